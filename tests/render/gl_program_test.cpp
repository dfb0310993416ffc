#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "render/projection.h"
#include "render/shading/program.h"
#include "tests/render/gl_environment.h"
#include "tests/render/gl_misuse.h"
#include "tests/render/gl_spy.h"
#include "tests/render/worked_example.h"
#include "tests/support/warn_recorder.h"

using Quarn::Shading::ShaderBase;
using Quarn::Shading::ShaderFragment;
using Quarn::Shading::ShaderProgram;
using Quarn::Shading::ShaderVertex;
using Quarn::Shading::use_program;

namespace {

const char* const passthrough_fragment =
    "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n";

// A program of given whole sources (no generation); an empty fragment text leaves unit 4 empty.
std::unique_ptr<ShaderProgram> program_from(const std::string& vertex, const std::string& fragment,
                                            bool build = true) {
    auto program = std::make_unique<ShaderProgram>();
    auto* v = new ShaderVertex(gl_test::context(), "", "", "");
    v->set_source(vertex);
    program->add_vertex_shader(v);
    if (!fragment.empty()) {
        auto* f = new ShaderFragment(gl_test::context(), "");
        f->set_source(fragment);
        program->add_fragment_shader(f);
    }
    if (build)
        program->build();
    return program;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

GLint shader_status(GLuint shader) {
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    return status;
}

GLint link_status(GLuint program) {
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status;
}

// A GL matrix uniform read back into row-major order.
template <int N>
Matrix<float, N, N> uniform_matrix(ShaderProgram& program, const char* name) {
    float column_major[N * N] = {};
    glGetUniformfv(program.gl_program, glGetUniformLocation(program.gl_program, name),
                   column_major);
    Matrix<float, N, N> out(MatrixInit::zeros);
    for (int r = 0; r < N; ++r) {
        for (int c = 0; c < N; ++c)
            out.at(r, c) = column_major[c * N + r];
    }
    return out;
}

template <int N>
void expect_matrix_near(const Matrix<float, N, N>& found, const Matrix<float, N, N>& expected,
                        float tolerance, const char* what) {
    for (int r = 0; r < N; ++r) {
        for (int c = 0; c < N; ++c) {
            EXPECT_NEAR(found.at(r, c), expected.at(r, c), tolerance)
                << what << " element (" << r << ", " << c << ")";
        }
    }
}

}  // namespace

TEST(Programs, DemoProgramsCompileAndLinkOnTheDriver) {
    const struct {
        const char* name;
        std::string code_eye;
        std::string body;
        std::vector<std::string> vertex_lines;
        std::vector<std::string> fragment_lines;
    } programs[] = {
        {"lines", "", worked_example::line_body, worked_example::line_vertex_lines,
         worked_example::line_fragment_lines},
        {"points", worked_example::point_code_eye, worked_example::point_body,
         worked_example::point_vertex_lines(), worked_example::point_fragment_lines()},
    };
    Orv::Context* context = gl_test::context();
    const std::string version_line =
        "#version " + Quarn::Shading::glsl_version_number({context->gl_major, context->gl_minor});
    for (const auto& p : programs) {
        WarnRecorder rec;
        ShaderProgram program;
        auto* vertex = new ShaderVertex(context, "", "", p.code_eye);
        auto* fragment = new ShaderFragment(context, p.body);
        program.add_vertex_shader(vertex);
        program.add_fragment_shader(fragment);
        program.build();
        EXPECT_TRUE(rec.failures().empty()) << p.name;

        // The driver's version replaces 4.0 on the first line; the rest is the worked example.
        std::vector<std::string> expected_vertex = p.vertex_lines;
        std::vector<std::string> expected_fragment = p.fragment_lines;
        expected_vertex[0] = version_line;
        expected_fragment[0] = version_line;
        EXPECT_EQ(worked_example::split_lines(vertex->source), expected_vertex) << p.name;
        EXPECT_EQ(worked_example::split_lines(fragment->source), expected_fragment) << p.name;

        const std::string compile_log = program.get_compile_log();
        const std::string link_log = program.get_link_log();
        EXPECT_EQ(shader_status(vertex->gl_shader), GL_TRUE) << p.name << "\n" << compile_log;
        EXPECT_EQ(shader_status(fragment->gl_shader), GL_TRUE) << p.name << "\n" << compile_log;
        EXPECT_EQ(link_status(program.gl_program), GL_TRUE) << p.name << "\n" << link_log;
        EXPECT_TRUE(program.compiled && program.linked && program.valid) << p.name;
        EXPECT_EQ(lower(compile_log).find("error"), std::string::npos) << compile_log;
        EXPECT_EQ(lower(link_log).find("error"), std::string::npos) << link_log;
        EXPECT_EQ(compile_log, "#### Quarn Compile Log ####\n#### vertex shader ####\n" +
                                   vertex->get_info_log() + "#### fragment shader ####\n" +
                                   fragment->get_info_log() + "\n");
        EXPECT_EQ(link_log, "#### Quarn Link Log ####\n" +
                                Quarn::Shading::get_info_log(program.gl_program) + "\n");
    }
}

TEST(Programs, CompileLogCarriesTheDriversMessages) {
    WarnRecorder rec;
    auto program = program_from("#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n",
                                "#version 330 core\nvoid main() { undeclared = 1.0; }\n");
    const std::string fragment_log = program->units[4]->get_info_log();
    EXPECT_NE(fragment_log.find("undeclared"), std::string::npos) << fragment_log;
    EXPECT_EQ(program->get_compile_log(), "#### Quarn Compile Log ####\n#### vertex shader ####\n" +
                                              program->units[0]->get_info_log() +
                                              "#### fragment shader ####\n" + fragment_log + "\n");
}

TEST(Programs, EmptyInfoLogIsAnEmptyString) {
    auto program =
        program_from("#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n", "");
    const GLuint shader = program->units[0]->gl_shader;
    GLint length = -1;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    ASSERT_EQ(length, 0) << "the driver wrote a log for a clean shader";
    WarnRecorder rec;
    EXPECT_EQ(Quarn::Shading::get_info_log(shader), "");
    EXPECT_EQ(rec.failures(), (std::vector<std::string>{"Info log length is 0!"}));
}

TEST(Programs, UseProgramSkipsRepeatedCalls) {
    auto a = program_from("#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n",
                          passthrough_fragment);
    auto b = program_from("#version 330 core\nvoid main() { gl_Position = vec4(1.0); }\n",
                          passthrough_fragment);
    use_program(nullptr);
    gl_spy::UseProgram spy;
    use_program(a.get());
    use_program(a.get());
    EXPECT_EQ(spy.calls(), (std::vector<GLuint>{a->gl_program}));
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), a->gl_program);
    use_program(b.get());
    use_program(nullptr);
    use_program(nullptr);
    EXPECT_EQ(spy.calls(), (std::vector<GLuint>{a->gl_program, b->gl_program, 0u}));
    EXPECT_EQ(Quarn::Shading::current_program(), nullptr);
}

TEST(Programs, DestroyingTheCurrentProgramForgetsIt) {
    auto a = program_from("#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n",
                          passthrough_fragment);
    use_program(a.get());
    a.reset();
    EXPECT_EQ(Quarn::Shading::current_program(), nullptr);
    use_program(nullptr);
}

TEST(Uniforms, LinkerRemovedUniformGetsNoUpload) {
    auto program = program_from(
        "#version 330 core\nin vec4 _vec_vert_a;\nuniform mat4 mat_M;\nuniform mat4 "
        "mat_PVM;\nvoid main() { gl_Position = mat_PVM * _vec_vert_a; }\n",
        passthrough_fragment);
    use_program(program.get());
    const GLint pvm = glGetUniformLocation(program->gl_program, "mat_PVM");
    ASSERT_NE(pvm, -1);
    ASSERT_EQ(glGetUniformLocation(program->gl_program, "mat_M"), -1);

    gl_spy::UniformMatrix spy;
    program->set_model_matrix(translation(1, 2, 3));
    ASSERT_EQ(spy.calls().size(), 1u);
    EXPECT_EQ(spy.calls()[0].size, 4);
    EXPECT_EQ(spy.calls()[0].location, pvm);

    // A reporting lookup caches the miss; afterwards the name counts as present but is never sent.
    {
        WarnRecorder rec;
        program->pass_uniform("mat_M", identity4(), false);
        EXPECT_EQ(
            rec.failures(),
            (std::vector<std::string>{"Could not get the location of the uniform \"mat_M\"!"}));
    }
    EXPECT_TRUE(program->has_uniform("mat_M"));
    EXPECT_EQ(program->locations.at("mat_M"), -1);
    spy.calls().clear();
    program->set_model_matrix(identity4());
    ASSERT_EQ(spy.calls().size(), 1u);
    EXPECT_EQ(spy.calls()[0].location, pvm);
    use_program(nullptr);
}

TEST(Uniforms, DerivedMatricesReachTheShader) {
    auto program = program_from(
        "#version 330 core\nin vec4 _vec_vert_a;\nuniform mat4 "
        "mat_P,mat_V,mat_Vinv,mat_M,mat_VM,mat_PVM;\nuniform mat3 mat_N;\nvoid main() { "
        "gl_Position = mat_P*mat_V*mat_Vinv*mat_M*mat_VM*mat_PVM*_vec_vert_a + "
        "vec4(mat_N*_vec_vert_a.xyz,0.0); }\n",
        passthrough_fragment);
    ASSERT_TRUE(program->valid);
    use_program(program.get());
    const float tol = 1e-4f;

    // A fresh program multiplies by the identity for what it was not given.
    const Mat4f m1 = translation(1, 2, 3);
    program->set_model_matrix(m1);
    expect_matrix_near(uniform_matrix<4>(*program, "mat_VM"), m1, tol, "fresh mat_VM");
    expect_matrix_near(uniform_matrix<4>(*program, "mat_PVM"), m1, tol, "fresh mat_PVM");

    const Mat4f v = look_at(Vec3f(3, 2, 5), Vec3f(0, 0, 0), Vec3f(0, 1, 0));
    const Mat4f p =
        Quarn::Matrices::Projection3D(Vec4i(0, 0, 1024, 768), 45, 0.1f, 100).projection_matrix();
    const Mat4f scale(2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1);
    const Mat4f m = translation(-1, 0.5f, 2) * rotation_degrees(Vec3f(0, 1, 0), 30) * scale;
    program->set_view_matrix(v);
    program->set_projection_matrix(p);
    program->set_model_matrix(m);

    expect_matrix_near(uniform_matrix<4>(*program, "mat_M"), m, tol, "mat_M");
    expect_matrix_near(uniform_matrix<4>(*program, "mat_V"), v, tol, "mat_V");
    expect_matrix_near(uniform_matrix<4>(*program, "mat_P"), p, tol, "mat_P");
    expect_matrix_near(uniform_matrix<4>(*program, "mat_VM"), v * m, tol, "mat_VM");
    expect_matrix_near(uniform_matrix<4>(*program, "mat_PVM"), p * (v * m), tol, "mat_PVM");
    expect_matrix_near(uniform_matrix<4>(*program, "mat_Vinv") * v, identity4(), tol,
                       "mat_Vinv * V");
    // The normal matrix undoes the transpose of the model's linear part.
    const Matrix<float, 3, 3> linear_transposed(m.transposed());
    expect_matrix_near(uniform_matrix<3>(*program, "mat_N") * linear_transposed,
                       Matrix<float, 3, 3>(MatrixInit::identity), tol, "mat_N * M^T");
    use_program(nullptr);
}

TEST(Programs, FailedLinkIsLinkedButNotValid) {
    WarnRecorder build_rec;
    auto program = program_from(
        "#version 330 core\nvoid helper();\nvoid main() { helper(); gl_Position = vec4(0.0); }\n",
        passthrough_fragment);
    EXPECT_TRUE(build_rec.failures().empty());
    EXPECT_TRUE(program->compiled);
    EXPECT_TRUE(program->linked);
    EXPECT_FALSE(program->valid);
    EXPECT_EQ(link_status(program->gl_program), GL_FALSE);

    use_program(nullptr);
    WarnRecorder rec;
    use_program(program.get());
    EXPECT_EQ(rec.failures(),
              (std::vector<std::string>{"Cannot use program; program is not valid!"}));
    EXPECT_EQ(Quarn::Shading::current_program(), program.get());
    use_program(nullptr);
    while (glGetError() != GL_NO_ERROR) {
    }
}

TEST(Programs, GivenSourceIsCompiledUnchanged) {
    const std::string text = "#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n";
    auto program = program_from(text, passthrough_fragment);
    EXPECT_EQ(program->units[0]->source, text);
    EXPECT_TRUE(program->valid);
}

TEST(Programs, UnlinkKeepsShadersCompiledForARelink) {
    auto program = program_from("#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n",
                                passthrough_fragment);
    const GLuint shader = program->units[0]->gl_shader;
    program->unlink();
    EXPECT_FALSE(program->compiled || program->linked || program->valid);
    EXPECT_TRUE(program->units[0]->compiled);
    GLint attached = -1;
    glGetProgramiv(program->gl_program, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 0);

    WarnRecorder rec;
    program->compile();
    program->link();
    EXPECT_TRUE(rec.failures().empty());
    EXPECT_EQ(program->units[0]->gl_shader, shader);
    EXPECT_TRUE(program->valid);
}

TEST(Programs, MisuseIsReported) {
    const std::string ok_vertex = "#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n";
    const gl_test::Misuse cases[] = {
        {"decompile a shader of a compiled program",
         [&] {
             auto p = program_from(ok_vertex, "");
             p->units[0]->decompile();
             p->units[0]->compile();
         },
         {"Cannot decompile shader; shader is being used in a compiled program!"}},
        {"compile twice",
         [&] {
             auto p = program_from(ok_vertex, "");
             p->units[0]->compile();
         },
         {"Cannot compile shader; shader is already compiled!"}},
        {"compile before generation",
         [&] {
             ShaderVertex v(gl_test::context(), "", "", "");
             v.compile();
         },
         {"Cannot compile shader; shader source is not generated!",
          "Implementation error: shader source empty!"}},
        {"source without final newline",
         [&] {
             ShaderVertex v(gl_test::context(), "", "", "");
             v.set_source("#version 330 core\nvoid main() {}");
             v.compile();
         },
         {"Each shader element should end with a newline character."}},
        {"decompile an uncompiled shader",
         [&] {
             ShaderVertex v(gl_test::context(), "", "", "");
             v.decompile();
         },
         {"Cannot decompile shader; shader is already not compiled!"}},
        {"attach without a parent",
         [&] {
             ShaderVertex v(gl_test::context(), "", "", "");
             v.attach();
             v.detach();
         },
         {"Cannot attach shader to nullptr parent!", "Cannot detach shader from nullptr parent!"}},
        {"link twice",
         [&] {
             auto p = program_from(ok_vertex, "");
             p->link();
         },
         {"Cannot link program; program already linked!"}},
        {"link uncompiled",
         [&] {
             auto p = program_from(ok_vertex, "", false);
             p->link();
         },
         // The destructor unlinks what was linked, and finds it not compiled.
         {"Cannot link program; program not compiled!",
          "Cannot unlink/decompile program; program already not compiled!"}},
        {"unlink uncompiled",
         [&] {
             auto p = program_from(ok_vertex, "", false);
             p->unlink();
         },
         {"Cannot unlink/decompile program; program already not compiled!"}},
        {"occupied unit",
         [&] {
             auto p = program_from(ok_vertex, "", false);
             ShaderBase* first = p->units[0];
             p->add_vertex_shader(new ShaderVertex(gl_test::context(), "", "", ""));
             EXPECT_EQ(p->units[0], first);
         },
         {"Cannot add shader; this program already has a shader defined for this unit."}},
        {"shader of another program",
         [&] {
             auto p = program_from(ok_vertex, "", false);
             ShaderProgram other;
             other.add_shader(p->units[0], 1);
             EXPECT_EQ(other.units[1], nullptr);
             EXPECT_EQ(p->units[0]->parent_program, p.get());
         },
         {"Cannot add shader to more than one program"}},
        {"use an unbuilt program",
         [&] {
             auto p = program_from(ok_vertex, "", false);
             use_program(p.get());
             use_program(nullptr);
         },
         {"Cannot use program; program is not compiled!",
          "Cannot use program; program is not linked!",
          "Cannot use program; program is not valid!"}},
        {"uniform to a program that is not current",
         [&] {
             auto p = program_from(
                 "#version 330 core\nuniform mat4 mat_P;\nvoid main() { gl_Position = mat_P * "
                 "vec4(1.0); }\n",
                 "");
             use_program(nullptr);
             p->pass_uniform("mat_P", identity4(), false);
         },
         {"Program must be current to pass uniform!"}},
    };
    gl_test::expect_reports(cases);
}

namespace {

// Only occupies unit 3, so the neighbours name their crossing variables after a geometry stage.
class PlaceholderGeometry : public Quarn::Shading::ShaderBase {
public:
    PlaceholderGeometry() : ShaderBase(gl_test::context(), GL_GEOMETRY_SHADER, "geometry") {}
    int get_max_uniform_components() const override { return 0; }
    int get_max_varying_components() const override { return 0; }
};

}  // namespace

TEST(Programs, GenerationFollowsTheOccupiedUnits) {
    {
        ShaderProgram program;
        auto* fragment = new ShaderFragment(gl_test::context(), "");
        program.add_fragment_shader(fragment);
        program.generate();
        EXPECT_NE(fragment->source.find("in vec4 _color;vec4 color;"), std::string::npos);
    }
    {
        ShaderProgram program;
        auto* vertex = new ShaderVertex(gl_test::context(), "", "", "");
        auto* fragment = new ShaderFragment(gl_test::context(), "");
        program.add_vertex_shader(vertex);
        program.add_shader(new PlaceholderGeometry(), ShaderProgram::geometry_unit);
        program.add_fragment_shader(fragment);
        program.generate();
        EXPECT_NE(vertex->source.find("out vec4 _colors_vg;"), std::string::npos);
        EXPECT_NE(fragment->source.find("in vec4 _color_gf;vec4 color;"), std::string::npos);
        EXPECT_TRUE(program.units[ShaderProgram::geometry_unit]->generated);
    }
}
