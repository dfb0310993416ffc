#include "render/shading/program.h"

#include <vector>

#include "math/assert_warn.h"
#include "render/library_state.h"

namespace Quarn::Shading {

ShaderProgram::ShaderProgram() {
    gl_program = glCreateProgram();
}

ShaderProgram::~ShaderProgram() {
    if (linked || compiled)
        unlink();
    for (ShaderBase*& shader : units) {
        delete shader;
        shader = nullptr;
    }
    glDeleteProgram(gl_program);
    // A later program may reuse this address; use_program must not take it for the current one.
    if (library().current_program == this)
        library().current_program = nullptr;
}

void ShaderProgram::add_shader(ShaderBase* shader, int unit) {
    const bool unit_valid = unit >= 0 && unit < unit_count;
    const bool unit_free = unit_valid && units[unit] == nullptr;
    assert_warn(unit_free,
                "Cannot add shader; this program already has a shader defined for this unit.");
    const bool unowned = shader == nullptr || shader->parent_program == nullptr;
    assert_warn(unowned, "Cannot add shader to more than one program");
    if (shader == nullptr)
        return;
    if (!unowned)
        return;  // its program keeps it
    if (!unit_free) {
        // The program took ownership but has nowhere to keep it.
        delete shader;
        return;
    }
    units[unit] = shader;
    shader->parent_program = this;
}

void ShaderProgram::add_vertex_shader(ShaderVertex* shader) {
    add_shader(shader, vertex_unit);
}

void ShaderProgram::add_fragment_shader(ShaderFragment* shader) {
    add_shader(shader, fragment_unit);
}

ShaderBase* ShaderProgram::get_vertex_shader() const {
    return units[vertex_unit];
}

ShaderBase* ShaderProgram::get_geometry_shader() const {
    return units[geometry_unit];
}

StageLayout ShaderProgram::stage_layout() const {
    return StageLayout{get_vertex_shader() != nullptr, get_geometry_shader() != nullptr};
}

void ShaderProgram::generate() {
    for (ShaderBase* shader : units) {
        if (shader != nullptr && !shader->generated)
            shader->generate();
    }
}

void ShaderProgram::compile() {
    for (ShaderBase* shader : units) {
        if (shader != nullptr && !shader->compiled)
            shader->compile();
    }
    for (ShaderBase* shader : units) {
        if (shader != nullptr)
            shader->attach();
    }
    compiled = true;
}

void ShaderProgram::link() {
    assert_warn(compiled, "Cannot link program; program not compiled!");
    assert_warn(!linked, "Cannot link program; program already linked!");
    glLinkProgram(gl_program);
    GLint status = GL_FALSE;
    glGetProgramiv(gl_program, GL_LINK_STATUS, &status);
    linked = true;
    glValidateProgram(gl_program);
    GLint validated = GL_FALSE;
    glGetProgramiv(gl_program, GL_VALIDATE_STATUS, &validated);
    valid = validated == GL_TRUE;
}

void ShaderProgram::build() {
    generate();
    compile();
    link();
}

void ShaderProgram::unlink() {
    assert_warn(compiled, "Cannot unlink/decompile program; program already not compiled!");
    for (ShaderBase* shader : units) {
        if (shader != nullptr)
            shader->detach();
    }
    compiled = false;
    linked = false;
    valid = false;
}

std::string ShaderProgram::get_compile_log() const {
    std::string log = "#### Quarn Compile Log ####\n";
    for (const ShaderBase* shader : units) {
        if (shader == nullptr)
            continue;
        log += "#### " + shader->shader_name + " shader ####\n" + shader->get_info_log();
    }
    return log + "\n";
}

std::string ShaderProgram::get_link_log() const {
    return "#### Quarn Link Log ####\n" + get_info_log(gl_program) + "\n";
}

GLint ShaderProgram::reporting_location(const std::string& name, bool attribute) {
    auto found = locations.find(name);
    if (found != locations.end())
        return found->second;
    const GLint location = attribute ? glGetAttribLocation(gl_program, name.c_str())
                                     : glGetUniformLocation(gl_program, name.c_str());
    assert_warn(location != -1, "Could not get the location of the %s \"%s\"!",
                attribute ? "attribute" : "uniform", name.c_str());
    assert_warn(location == -1 || location >= 0, "Invalid location %d!", location);
    locations[name] = location;
    return location;
}

bool ShaderProgram::silent_location(const std::string& name, bool attribute) {
    if (locations.count(name) != 0)
        return true;
    const GLint location = attribute ? glGetAttribLocation(gl_program, name.c_str())
                                     : glGetUniformLocation(gl_program, name.c_str());
    if (location == -1)
        return false;
    locations[name] = location;
    return true;
}

GLint ShaderProgram::get_attribute_location(const std::string& name) {
    return reporting_location(name, true);
}

GLint ShaderProgram::get_uniform_location(const std::string& name) {
    return reporting_location(name, false);
}

bool ShaderProgram::has_attribute(const std::string& name) {
    return silent_location(name, true);
}

bool ShaderProgram::has_uniform(const std::string& name) {
    return silent_location(name, false);
}

void ShaderProgram::pass_uniform(const std::string& name, const Matrix<float, 3, 3>& m,
                                 bool transpose) {
    const GLint location = get_uniform_location(name);
    if (location == -1)
        return;
    assert_warn(library().current_program == this, "Program must be current to pass uniform!");
    const float* data = transpose ? m.data() : gl_order(m.data(), 9);
    glUniformMatrix3fv(location, 1, GL_FALSE, data);
}

void ShaderProgram::pass_uniform(const std::string& name, const Mat4f& m, bool transpose) {
    const GLint location = get_uniform_location(name);
    if (location == -1)
        return;
    assert_warn(library().current_program == this, "Program must be current to pass uniform!");
    const float* data = transpose ? m.data() : gl_order(m.data(), 16);
    glUniformMatrix4fv(location, 1, GL_FALSE, data);
}

void ShaderProgram::pass_if_active(const std::string& name, const Mat4f& m) {
    if (has_uniform(name))
        pass_uniform(name, m, false);
}

void ShaderProgram::pass_products() {
    const Mat4f vm = matrix_view * matrix_model;
    const Mat4f pvm = matrix_projection * vm;
    pass_if_active("mat_VM", vm);
    pass_if_active("mat_PVM", pvm);
}

void ShaderProgram::set_model_matrix(const Mat4f& m) {
    matrix_model = m;
    pass_if_active("mat_M", m);
    if (has_uniform("mat_N")) {
        const Matrix<float, 3, 3> normal(m.transposed().inverse());
        pass_uniform("mat_N", normal, false);
    }
    pass_products();
}

void ShaderProgram::set_view_matrix(const Mat4f& v) {
    matrix_view = v;
    pass_if_active("mat_V", v);
    // The inverse is worked out only for a program that reads it, like mat_N.
    if (has_uniform("mat_Vinv"))
        pass_uniform("mat_Vinv", v.inverse(), false);
    pass_products();
}

void ShaderProgram::set_projection_matrix(const Mat4f& p) {
    matrix_projection = p;
    pass_if_active("mat_P", p);
    pass_products();
}

void ShaderProgram::set_matrices(const Mat4f& p, const Mat4f& v, const Mat4f& m) {
    set_model_matrix(m);
    set_view_matrix(v);
    set_projection_matrix(p);
}

ShaderProgram* current_program() {
    return library().current_program;
}

void use_program(ShaderProgram* program) {
    LibraryState& state = library();
    if (program == state.current_program)
        return;
    state.current_program = program;
    if (program != nullptr) {
        assert_warn(program->compiled, "Cannot use program; program is not compiled!");
        assert_warn(program->linked, "Cannot use program; program is not linked!");
        assert_warn(program->valid, "Cannot use program; program is not valid!");
        glUseProgram(program->gl_program);
    } else {
        glUseProgram(0);
    }
}

std::string get_info_log(GLuint name) {
    const bool shader = glIsShader(name) == GL_TRUE;
    GLint length = 0;
    if (shader) {
        glGetShaderiv(name, GL_INFO_LOG_LENGTH, &length);
    } else {
        glGetProgramiv(name, GL_INFO_LOG_LENGTH, &length);
    }
    assert_warn(length >= 1, "Info log length is 0!");
    if (length < 1)
        return "";
    std::vector<GLchar> buffer(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    if (shader) {
        glGetShaderInfoLog(name, length, &written, buffer.data());
    } else {
        glGetProgramInfoLog(name, length, &written, buffer.data());
    }
    return std::string(buffer.data(), static_cast<size_t>(written));
}

}  // namespace Quarn::Shading
