#pragma once

#include <GL/glew.h>

#include <array>
#include <map>
#include <string>

#include "math/matrix.h"
#include "render/shading/shader.h"

namespace Quarn {
class Vertex;
}

namespace Quarn::Shading {

// A GLSL program owning one shader per pipeline unit (0 vertex, 3 geometry, 4 fragment).
class ShaderProgram {
public:
    static constexpr int unit_count = 5;
    static constexpr int vertex_unit = 0;
    static constexpr int geometry_unit = 3;
    static constexpr int fragment_unit = 4;

    ShaderProgram();
    virtual ~ShaderProgram();

    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Takes ownership of the shader; a refused shader is deleted unless another program owns it.
    void add_shader(ShaderBase* shader, int unit);
    void add_vertex_shader(ShaderVertex* shader);
    void add_fragment_shader(ShaderFragment* shader);
    ShaderBase* get_vertex_shader() const;
    ShaderBase* get_geometry_shader() const;
    StageLayout stage_layout() const;

    void generate();
    void compile();
    void link();
    void build();
    void unlink();

    std::string get_compile_log() const;
    std::string get_link_log() const;

    GLint get_attribute_location(const std::string& name);
    GLint get_uniform_location(const std::string& name);
    bool has_attribute(const std::string& name);
    bool has_uniform(const std::string& name);

    void pass_uniform(const std::string& name, const Matrix<float, 3, 3>& m, bool transpose);
    void pass_uniform(const std::string& name, const Mat4f& m, bool transpose);

    void set_model_matrix(const Mat4f& m);
    void set_view_matrix(const Mat4f& v);
    void set_projection_matrix(const Mat4f& p);
    void set_matrices(const Mat4f& p, const Mat4f& v, const Mat4f& m);

    // Points the attributes this program declares at the fields of Vertex records in the buffer
    // bound to GL_ARRAY_BUFFER; fields it does not declare are skipped.
    void wire_vertex_layout(bool position, bool normal, bool texcoord, bool tangent, bool color);
    // Draws records straight from memory through a temporary buffer and vertex array object.
    void draw_vertices(const Vertex* vertices, int count, int vertices_per_face, bool stripped);

    bool compiled = false;
    bool linked = false;
    bool valid = false;
    GLuint gl_program = 0;
    std::map<std::string, GLint> locations;
    std::array<ShaderBase*, unit_count> units{};
    Mat4f matrix_model = identity4();
    Mat4f matrix_view = identity4();
    Mat4f matrix_projection = identity4();

private:
    GLint reporting_location(const std::string& name, bool attribute);
    bool silent_location(const std::string& name, bool attribute);
    void pass_if_active(const std::string& name, const Mat4f& m);
    // Passes mat_VM and mat_PVM, the products of the held matrices, where active.
    void pass_products();
};

// The program last made current through use_program, or null.
ShaderProgram* current_program();

// Makes a program current; repeating the current one costs no GL call.
void use_program(ShaderProgram* program);

// The info log of a GL shader or program object.
std::string get_info_log(GLuint name);

}  // namespace Quarn::Shading
