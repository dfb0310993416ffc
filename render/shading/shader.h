#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Orv {
class Context;
}

namespace Quarn::Shading {

class ShaderProgram;

// The OpenGL version whose GLSL dialect a shader is written in.
struct GLVersion {
    int major = -1;
    int minor = -1;
};

// Which neighbouring stages the parent program holds: they decide the names that cross stages.
struct StageLayout {
    bool vertex = false;    // unit 0
    bool geometry = false;  // unit 3
};

// What emit_variables writes for each standard variable.
enum EmitMode : int { declare = 0, compute = 1, fetch = 2, store = 3 };

// The space a vertex compute pass writes.
enum Space : int { obj = 0, wld = 1, eye = 2 };

// "float", "vec2", "vec3", "vec4" for 1 to 4 components; empty otherwise.
std::string glsl_type_name(int components);

// The number after "#version" for a GL version, e.g. "400" for 4.0; empty outside the table.
std::string glsl_version_number(GLVersion version);

// One of the eight variables every generated shader carries from the attributes to the fragment.
struct ShaderVariable {
    int components = 0;
    int attribute_components = 0;
    std::string name;
    std::string code_obj;
    std::string code_wld;
    std::string code_eye;
    std::string type_name;
    std::string attribute_type_name;
    bool arrayed = false;
    bool per_space = false;
    bool normalized = false;
};

// One stage of a program, whose source is generated around a few lines of user GLSL.
class ShaderBase {
public:
    // Takes the GL version that the context reports.
    ShaderBase(Orv::Context* context, GLenum kind, const std::string& name);
    // For a dialect chosen without a context (offline generation).
    ShaderBase(GLVersion version, GLenum kind, const std::string& name);
    virtual ~ShaderBase();

    ShaderBase(const ShaderBase&) = delete;
    ShaderBase& operator=(const ShaderBase&) = delete;

    virtual int get_max_uniform_components() const = 0;
    virtual int get_max_varying_components() const = 0;

    // Replaces generation: the text is compiled as given.
    virtual void set_source(const std::string& text);

    // Generates the source for the stages the parent program holds.
    void generate();
    // Generates the source as if the parent held the given stages; the base writes the header.
    virtual void generate_as(const StageLayout& layout);

    void compile();
    void decompile();
    void attach();
    void detach();
    std::string get_info_log() const;

    // For the geometry stage, space_or_count is the input vertex count.
    void emit_variables(const StageLayout& layout, EmitMode mode, int space_or_count, int newlines);

    std::string shader_name;
    std::string pre_main_b;
    GLenum shader_kind;
    std::string source;
    std::string pre_main_a;
    int num_tex1D = 0;
    int num_tex2D = 0;
    int num_tex3D = 0;
    int num_texCube = 0;
    int num_lights = 0;
    int num_materials2D = 0;
    int num_materials3D = 0;
    GLuint gl_shader = 0;
    bool generated = false;
    bool compiled = false;
    ShaderProgram* parent_program = nullptr;
    Orv::Context* shader_context = nullptr;
    GLVersion gl_version;
    std::vector<ShaderVariable> variables;

protected:
    // Refuses text changes once the source exists.
    bool check_settable() const;
    void append_pre_main();

private:
    void fill_variables();
    void emit_vertex(const ShaderVariable& v, const StageLayout& layout, EmitMode mode, int space);
    void emit_fragment(const ShaderVariable& v, const StageLayout& layout, EmitMode mode);
    void emit_geometry(const ShaderVariable& v, EmitMode mode, int count);
};

class ShaderVertex : public ShaderBase {
public:
    ShaderVertex(Orv::Context* context, const std::string& code_obj, const std::string& code_wld,
                 const std::string& code_eye);
    ShaderVertex(GLVersion version, const std::string& code_obj, const std::string& code_wld,
                 const std::string& code_eye);
    ~ShaderVertex() override;

    int get_max_uniform_components() const override;
    int get_max_varying_components() const override;
    void generate_as(const StageLayout& layout) override;

    void set_code_obj(const std::string& text);
    void set_code_wld(const std::string& text);
    void set_code_eye(const std::string& text);

    std::string code_obj;
    std::string code_wld;
    std::string code_eye;
};

class ShaderFragment : public ShaderBase {
public:
    ShaderFragment(Orv::Context* context, const std::string& body);
    ShaderFragment(GLVersion version, const std::string& body);
    ~ShaderFragment() override;

    int get_max_uniform_components() const override;
    int get_max_varying_components() const override;
    void generate_as(const StageLayout& layout) override;

    void set_body(const std::string& text);

    std::string body;
};

}  // namespace Quarn::Shading
