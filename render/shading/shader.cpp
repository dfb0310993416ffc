#include "render/shading/shader.h"

#include "math/assert_warn.h"
#include "render/shading/program.h"
#include "windowing/context.h"

namespace Quarn::Shading {

std::string glsl_type_name(int components) {
    switch (components) {
        case 1:
            return "float";
        case 2:
            return "vec2";
        case 3:
            return "vec3";
        case 4:
            return "vec4";
        default:
            assert_warn(false, "Implementation error!");
            return "";
    }
}

std::string glsl_version_number(GLVersion version) {
    struct Entry {
        int major, minor;
        const char* number;
    };
    static const Entry table[] = {
        {2, 0, "110"}, {2, 1, "120"}, {3, 0, "130"}, {3, 1, "140"}, {3, 2, "150"},
        {3, 3, "330"}, {4, 0, "400"}, {4, 1, "410"}, {4, 2, "420"}, {4, 3, "430"},
        {4, 4, "440"}, {4, 5, "450"}, {4, 6, "460"},
    };
    for (const Entry& e : table) {
        if (e.major == version.major && e.minor == version.minor)
            return e.number;
    }
    assert_warn(false, "Implementation error!");
    return "";
}

namespace {

GLVersion version_of(Orv::Context* context) {
    if (context == nullptr)
        return GLVersion{};
    return GLVersion{context->gl_major, context->gl_minor};
}

// The value of one integer limit of the current context.
int gl_limit(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

}  // namespace

ShaderBase::ShaderBase(Orv::Context* context, GLenum kind, const std::string& name)
    : shader_name(name),
      shader_kind(kind),
      shader_context(context),
      gl_version(version_of(context)) {
    assert_warn(context != nullptr, "Cannot create shader; context is null!");
    fill_variables();
}

ShaderBase::ShaderBase(GLVersion version, GLenum kind, const std::string& name)
    : shader_name(name), shader_kind(kind), gl_version(version) {
    fill_variables();
}

ShaderBase::~ShaderBase() {
    if (compiled)
        decompile();
}

void ShaderBase::fill_variables() {
    struct Row {
        const char* name;
        int components, attribute_components;
        bool arrayed, per_space, normalized;
        const char *code_obj, *code_wld, *code_eye;
    };
    static const Row rows[] = {
        {"vec_vert", 4, 4, true, true, false, "vec_vert_obj=_vec_vert_a;",
         "vec_vert_wld=mat_M*vec_vert_obj;", "vec_vert_eye=mat_V*vec_vert_wld;"},
        {"vec_norm", 3, 3, true, true, true, "vec_norm_obj=_vec_norm_a;",
         "vec_norm_wld=mat_N*vec_norm_obj;", "vec_norm_eye=(mat_V*vec4(vec_norm_wld,1.0)).xyz;"},
        {"vec_tang", 3, 4, true, true, true, "vec_tang_obj=_vec_tang_a.xyz;",
         "vec_tang_wld= mat_N*vec_tang_obj;", "vec_tang_eye=(mat_V*vec4(vec_tang_wld,1.0)).xyz;"},
        {"vec_btng", 3, 0, true, true, true,
         "vec_btng_obj=cross(_vec_norm_a,_vec_tang_a.xyz)*_vec_tang_a.w;",
         "vec_btng_wld= mat_N*vec_btng_obj;", "vec_btng_eye=(mat_V*vec4(vec_btng_wld,1.0)).xyz;"},
        {"color", 4, 4, true, false, false, "color=_color_a;", "", ""},
        {"camera_pos", 3, 0, false, false, false,
         "camera_pos=(mat_Vinv*vec4(0.0,0.0,0.0,1.0)).xyz;", "", ""},
        {"texcoord", 4, 4, true, false, false, "texcoord=_texcoord_a;", "", ""},
        {"point_size", 1, 0, false, false, false, "point_size=1.0;", "", ""},
    };
    variables.clear();
    for (const Row& r : rows) {
        ShaderVariable v;
        v.components = r.components;
        v.attribute_components = r.attribute_components;
        v.name = r.name;
        v.code_obj = r.code_obj;
        v.code_wld = r.code_wld;
        v.code_eye = r.code_eye;
        v.type_name = glsl_type_name(r.components);
        if (r.attribute_components > 0)
            v.attribute_type_name = glsl_type_name(r.attribute_components);
        v.arrayed = r.arrayed;
        v.per_space = r.per_space;
        v.normalized = r.normalized;
        variables.push_back(v);
    }
}

bool ShaderBase::check_settable() const {
    assert_warn(!generated, "Cannot set string; shader is already generated!");
    return !generated;
}

void ShaderBase::set_source(const std::string& text) {
    check_settable();
    generated = true;
    assert_warn(text != "", "Shader source must not be empty!");
    source = text;
}

void ShaderBase::generate() {
    assert_warn(parent_program != nullptr,
                "Shader must be attached to a parent program to be generated.");
    // Without a parent there are no neighbouring stages to name the crossing variables after.
    StageLayout layout;
    if (parent_program != nullptr)
        layout = parent_program->stage_layout();
    generate_as(layout);
}

void ShaderBase::compile() {
    assert_warn(generated, "Cannot compile shader; shader source is not generated!");
    assert_warn(!compiled, "Cannot compile shader; shader is already compiled!");
    assert_warn(!source.empty(), "Implementation error: shader source empty!");
    if (!source.empty()) {
        assert_warn(source.back() == '\n',
                    "Each shader element should end with a newline character.");
    }
    gl_shader = glCreateShader(shader_kind);
    const GLchar* text = source.c_str();
    glShaderSource(gl_shader, 1, &text, nullptr);
    glCompileShader(gl_shader);
    compiled = true;
}

void ShaderBase::decompile() {
    assert_warn(compiled, "Cannot decompile shader; shader is already not compiled!");
    assert_warn(parent_program == nullptr || !parent_program->compiled,
                "Cannot decompile shader; shader is being used in a compiled program!");
    glDeleteShader(gl_shader);
    compiled = false;
}

void ShaderBase::attach() {
    assert_warn(parent_program != nullptr, "Cannot attach shader to nullptr parent!");
    if (parent_program == nullptr)
        return;
    glAttachShader(parent_program->gl_program, gl_shader);
}

void ShaderBase::detach() {
    assert_warn(parent_program != nullptr, "Cannot detach shader from nullptr parent!");
    if (parent_program == nullptr)
        return;
    glDetachShader(parent_program->gl_program, gl_shader);
}

std::string ShaderBase::get_info_log() const {
    return Shading::get_info_log(gl_shader);
}

ShaderVertex::ShaderVertex(Orv::Context* context, const std::string& code_obj,
                           const std::string& code_wld, const std::string& code_eye)
    : ShaderBase(context, GL_VERTEX_SHADER, "vertex") {
    set_code_obj(code_obj);
    set_code_wld(code_wld);
    set_code_eye(code_eye);
}

ShaderVertex::ShaderVertex(GLVersion version, const std::string& code_obj,
                           const std::string& code_wld, const std::string& code_eye)
    : ShaderBase(version, GL_VERTEX_SHADER, "vertex") {
    set_code_obj(code_obj);
    set_code_wld(code_wld);
    set_code_eye(code_eye);
}

ShaderVertex::~ShaderVertex() = default;

int ShaderVertex::get_max_uniform_components() const {
    return gl_limit(GL_MAX_VERTEX_UNIFORM_COMPONENTS);
}

int ShaderVertex::get_max_varying_components() const {
    return gl_limit(GL_MAX_VERTEX_OUTPUT_COMPONENTS);
}

void ShaderVertex::set_code_obj(const std::string& text) {
    check_settable();
    code_obj = text;
}

void ShaderVertex::set_code_wld(const std::string& text) {
    check_settable();
    code_wld = text;
}

void ShaderVertex::set_code_eye(const std::string& text) {
    check_settable();
    code_eye = text;
}

ShaderFragment::ShaderFragment(Orv::Context* context, const std::string& body)
    : ShaderBase(context, GL_FRAGMENT_SHADER, "fragment") {
    set_body(body);
}

ShaderFragment::ShaderFragment(GLVersion version, const std::string& body)
    : ShaderBase(version, GL_FRAGMENT_SHADER, "fragment") {
    set_body(body);
}

ShaderFragment::~ShaderFragment() = default;

int ShaderFragment::get_max_uniform_components() const {
    return gl_limit(GL_MAX_FRAGMENT_UNIFORM_COMPONENTS);
}

int ShaderFragment::get_max_varying_components() const {
    return gl_limit(GL_MAX_FRAGMENT_INPUT_COMPONENTS);
}

void ShaderFragment::set_body(const std::string& text) {
    check_settable();
    body = text;
}

}  // namespace Quarn::Shading
