#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/shading/library_functions.h"
#include "render/shading/shader.h"
#include "tests/render/worked_example.h"
#include "tests/support/warn_recorder.h"

using Quarn::Shading::GLVersion;
using Quarn::Shading::ShaderBase;
using Quarn::Shading::ShaderFragment;
using Quarn::Shading::ShaderVertex;
using Quarn::Shading::StageLayout;

namespace {

const GLVersion gl40{4, 0};
const StageLayout vertex_and_fragment{true, false};

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

// Compares line by line first, so a failure names the line, then the whole text.
void expect_source(const std::string& source, const std::vector<std::string>& expected) {
    const std::vector<std::string> lines = worked_example::split_lines(source);
    ASSERT_EQ(lines.size(), expected.size()) << source;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
    }
    EXPECT_EQ(source, joined(expected));
}

std::string first_line(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(WorkedExample, LineProgramVertexSource) {
    WarnRecorder rec;
    ShaderVertex vertex(gl40, "", "", "");
    vertex.generate_as(vertex_and_fragment);
    expect_source(vertex.source, worked_example::line_vertex_lines);
    EXPECT_TRUE(vertex.generated);
    EXPECT_TRUE(rec.failures().empty());
}

TEST(WorkedExample, LineProgramFragmentSource) {
    WarnRecorder rec;
    ShaderFragment fragment(gl40, worked_example::line_body);
    fragment.generate_as(vertex_and_fragment);
    expect_source(fragment.source, worked_example::line_fragment_lines);
    EXPECT_TRUE(rec.failures().empty());
}

TEST(WorkedExample, PointProgramSources) {
    ShaderVertex vertex(gl40, "", "", worked_example::point_code_eye);
    vertex.generate_as(vertex_and_fragment);
    expect_source(vertex.source, worked_example::point_vertex_lines());

    ShaderFragment fragment(gl40, worked_example::point_body);
    fragment.generate_as(vertex_and_fragment);
    expect_source(fragment.source, worked_example::point_fragment_lines());
}

TEST(VertexGeneration, ObjectAndWorldTextsFollowTheirOwnStatements) {
    ShaderVertex vertex(gl40, "OBJ;", "WLD;", "");
    vertex.generate_as(vertex_and_fragment);
    std::vector<std::string> expected(worked_example::line_vertex_lines.begin(),
                                      worked_example::line_vertex_lines.begin() + 11);
    expected.insert(expected.end(), {"", "OBJ;", worked_example::line_vertex_lines[11], "", "WLD;",
                                     worked_example::line_vertex_lines[12]});
    expected.insert(expected.end(), worked_example::line_vertex_lines.begin() + 13,
                    worked_example::line_vertex_lines.end());
    expect_source(vertex.source, expected);
}

struct VersionCase {
    GLVersion version;
    std::string version_line;
    std::string attr_define;
    std::string color_define;
    bool reported;
};

class VersionTable : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionTable, HeaderAndDialect) {
    const VersionCase& c = GetParam();
    WarnRecorder rec;
    ShaderVertex vertex(c.version, "", "", "");
    vertex.generate_as(vertex_and_fragment);
    ShaderFragment fragment(c.version, "");
    fragment.generate_as(vertex_and_fragment);

    EXPECT_EQ(first_line(vertex.source), c.version_line);
    EXPECT_EQ(first_line(fragment.source), c.version_line);
    EXPECT_TRUE(contains(vertex.source, "\n" + c.attr_define + "\n\n")) << vertex.source;
    EXPECT_TRUE(contains(fragment.source, "\n" + c.color_define + "#define DEPTH gl_FragDepth\n\n"))
        << fragment.source;
    // The in/out qualifiers are written at every version.
    EXPECT_TRUE(contains(vertex.source, ";out vec4 _color_vf;"));
    EXPECT_TRUE(contains(fragment.source, "in vec4 _color_vf;vec4 color;"));
    if (c.reported) {
        EXPECT_EQ(rec.failures(),
                  (std::vector<std::string>{"Implementation error!", "Implementation error!"}));
    } else {
        EXPECT_TRUE(rec.failures().empty());
    }
}

const std::string modern_color = "#define COLOR(I) out_color[I]\nout vec4 out_color[8];\n";

INSTANTIATE_TEST_SUITE_P(
    Generation, VersionTable,
    ::testing::Values(VersionCase{{2, 1},
                                  "#version 120",
                                  "#define ATTR attribute",
                                  "#define COLOR(I) gl_FragData[I]\n",
                                  false},
                      VersionCase{{3, 3}, "#version 330", "#define ATTR in", modern_color, false},
                      VersionCase{{4, 0}, "#version 400", "#define ATTR in", modern_color, false},
                      VersionCase{{4, 5}, "#version 450", "#define ATTR in", modern_color, false},
                      // Current desktop drivers report 4.6 for a 4.0 request.
                      VersionCase{{4, 6}, "#version 460", "#define ATTR in", modern_color, false},
                      VersionCase{{4, 7}, "#version ", "#define ATTR in", modern_color, true}),
    [](const ::testing::TestParamInfo<VersionCase>& info) {
        return "gl" + std::to_string(info.param.version.major) +
               std::to_string(info.param.version.minor);
    });

TEST(GlslVersion, EveryEntry) {
    const struct {
        GLVersion version;
        const char* number;
    } table[] = {{{2, 0}, "110"}, {{2, 1}, "120"}, {{3, 0}, "130"}, {{3, 1}, "140"},
                 {{3, 2}, "150"}, {{3, 3}, "330"}, {{4, 0}, "400"}, {{4, 1}, "410"},
                 {{4, 2}, "420"}, {{4, 3}, "430"}, {{4, 4}, "440"}, {{4, 5}, "450"},
                 {{4, 6}, "460"}};
    WarnRecorder rec;
    for (const auto& entry : table) {
        EXPECT_EQ(Quarn::Shading::glsl_version_number(entry.version), entry.number)
            << entry.version.major << "." << entry.version.minor;
    }
    EXPECT_TRUE(rec.failures().empty());
    EXPECT_EQ(Quarn::Shading::glsl_version_number({1, 5}), "");
    EXPECT_EQ(Quarn::Shading::glsl_version_number({-1, -1}), "");
    EXPECT_EQ(rec.failures(),
              (std::vector<std::string>{"Implementation error!", "Implementation error!"}));
}

TEST(GlslVersion, UnknownVersionGoesStraightToTheStructBlock) {
    WarnRecorder rec;
    ShaderVertex vertex(GLVersion{4, 7}, "", "", "");
    vertex.generate_as(vertex_and_fragment);
    EXPECT_EQ(vertex.source.rfind("#version \nstruct Light {", 0), 0u) << vertex.source;
}

TEST(StageNaming, GeometryUnitOccupied) {
    const StageLayout with_geometry{true, true};
    ShaderVertex vertex(gl40, "", "", "");
    vertex.generate_as(with_geometry);
    for (const char* name : {"_vecs_vert_obj_vg", "_vecs_norm_wld_vg", "_vecs_btng_eye_vg",
                             "_colors_vg", "_texcoords_vg", "_camera_pos_vg", "_point_size_vg"}) {
        EXPECT_TRUE(contains(vertex.source, name)) << name;
    }
    EXPECT_TRUE(contains(vertex.source,
                         "ATTR vec4 _color_a;vec4 color;out vec4 _colors_vg;vec3 camera_pos;out "
                         "vec3 _camera_pos_vg;"));
    EXPECT_TRUE(contains(vertex.source, "\t_vecs_vert_obj_vg=vec_vert_obj;"));
    EXPECT_TRUE(contains(vertex.source, "_colors_vg=color;_camera_pos_vg=camera_pos;"));
    EXPECT_FALSE(contains(vertex.source, "_vf"));

    ShaderFragment fragment(gl40, "");
    fragment.generate_as(with_geometry);
    EXPECT_TRUE(
        contains(fragment.source, "in vec4 _vec_vert_obj_gf,_vec_vert_wld_gf,_vec_vert_eye_gf;"));
    EXPECT_TRUE(contains(fragment.source, "in vec4 _color_gf;vec4 color;"));
    EXPECT_TRUE(contains(fragment.source, "color=_color_gf;"));
    EXPECT_FALSE(contains(fragment.source, "vecs_"));
}

TEST(StageNaming, FragmentWithoutVertexStageHasNoSuffix) {
    ShaderFragment fragment(gl40, "");
    fragment.generate_as(StageLayout{false, false});
    EXPECT_TRUE(contains(fragment.source, "in vec4 _color;vec4 color;")) << fragment.source;
    EXPECT_TRUE(contains(fragment.source, "in vec3 _vec_norm_obj,_vec_norm_wld,_vec_norm_eye;"));
    EXPECT_TRUE(contains(fragment.source, "vec_norm_obj=normalize(_vec_norm_obj);"));
    EXPECT_TRUE(contains(fragment.source, "color=_color;"));
}

TEST(FragmentGeneration, BodyEnding) {
    const std::string tail = "\n\tCOLOR(0) = vec4(0.0,0.0,0.0,1.0);\n";
    const struct {
        std::string body;
        std::string ending;
    } cases[] = {
        {"", tail + "}\n"},
        {"\tCOLOR(1) = color;\n", tail + "\n\tCOLOR(1) = color;\n}\n"},
        // Without its own newline the body shares its last line with the closing brace.
        {"\tCOLOR(1) = color;", tail + "\n\tCOLOR(1) = color;}\n"},
    };
    for (const auto& c : cases) {
        ShaderFragment fragment(gl40, c.body);
        fragment.generate_as(vertex_and_fragment);
        const std::string& s = fragment.source;
        ASSERT_GE(s.size(), c.ending.size());
        EXPECT_EQ(s.substr(s.size() - c.ending.size()), c.ending) << "body: " << c.body;
    }
}

TEST(HeaderGeneration, CountsAndTextsBeforeMain) {
    ShaderFragment fragment(gl40, "");
    fragment.num_tex2D = 2;
    fragment.num_lights = 1;
    fragment.num_materials3D = 3;
    fragment.pre_main_a = "float first;";
    fragment.pre_main_b = "float second;";
    fragment.generate_as(vertex_and_fragment);
    const std::string& s = fragment.source;
    EXPECT_TRUE(
        contains(s,
                 "float alpha; };\nuniform sampler2D tex2D_0,tex2D_1;\nuniform struct "
                 "Light light0;\nuniform struct Material3D mat3D_0,mat3D_1,mat3D_2;\n#define "
                 "COLOR(I)"))
        << s;
    EXPECT_FALSE(contains(s, "sampler1D"));
    EXPECT_TRUE(contains(s, ";\n\nfloat first;\n\nfloat second;\nvoid main(void) {\n\t")) << s;
}

TEST(GenerationChecks, MisuseIsReportedAndGenerationGoesOn) {
    {
        WarnRecorder rec;
        ShaderVertex vertex(gl40, "", "", "");
        vertex.generate();  // no parent program
        EXPECT_EQ(rec.failures(),
                  (std::vector<std::string>{
                      "Shader must be attached to a parent program to be generated."}));
        EXPECT_TRUE(vertex.generated);
        EXPECT_EQ(vertex.source, joined(worked_example::line_vertex_lines))
            << "a vertex stage without a program has no geometry stage after it";
    }
    {
        WarnRecorder rec;
        ShaderFragment fragment(gl40, "A");
        fragment.generate_as(vertex_and_fragment);
        const std::string first = fragment.source;
        fragment.set_body("B");
        EXPECT_EQ(fragment.body, "B");
        EXPECT_EQ(fragment.source, first);
        fragment.generate_as(vertex_and_fragment);
        EXPECT_EQ(rec.failures(), (std::vector<std::string>{
                                      "Cannot set string; shader is already generated!",
                                      "Cannot generate shader; shader is already generated!"}));
    }
    {
        WarnRecorder rec;
        ShaderVertex vertex(gl40, "", "", "");
        vertex.set_source("void main() {}\n");
        EXPECT_TRUE(vertex.generated);
        EXPECT_EQ(vertex.source, "void main() {}\n");
        vertex.set_code_eye("x");
        vertex.set_source("");
        EXPECT_EQ(vertex.source, "");
        EXPECT_EQ(rec.failures(),
                  (std::vector<std::string>{"Cannot set string; shader is already generated!",
                                            "Cannot set string; shader is already generated!",
                                            "Shader source must not be empty!"}));
    }
}

TEST(GenerationChecks, NullContextIsReportedAndLeavesTheVersionEmpty) {
    WarnRecorder rec;
    ShaderVertex vertex(static_cast<Orv::Context*>(nullptr), "", "", "");
    vertex.generate_as(vertex_and_fragment);
    EXPECT_EQ(first_line(vertex.source), "#version ");
    EXPECT_EQ(rec.failures(), (std::vector<std::string>{"Cannot create shader; context is null!",
                                                        "Implementation error!"}));
}

TEST(StandardVariables, TypeNames) {
    WarnRecorder rec;
    EXPECT_EQ(Quarn::Shading::glsl_type_name(1), "float");
    EXPECT_EQ(Quarn::Shading::glsl_type_name(4), "vec4");
    EXPECT_TRUE(rec.failures().empty());
    EXPECT_EQ(Quarn::Shading::glsl_type_name(0), "");
    EXPECT_EQ(Quarn::Shading::glsl_type_name(5), "");
    EXPECT_EQ(rec.failures(),
              (std::vector<std::string>{"Implementation error!", "Implementation error!"}));
}

TEST(StandardVariables, ConstructionAsksOnlyForRealTypes) {
    WarnRecorder rec;
    ShaderFragment fragment(gl40, "");
    ASSERT_EQ(fragment.variables.size(), 8u);
    EXPECT_TRUE(rec.failures().empty());
    EXPECT_EQ(fragment.variables[3].name, "vec_btng");
    EXPECT_EQ(fragment.variables[3].attribute_type_name, "");
    EXPECT_EQ(fragment.variables[2].attribute_type_name, "vec4");
    EXPECT_EQ(fragment.variables[2].type_name, "vec3");
}

namespace {

// A geometry stage exists only as naming rules; this shader lets them be exercised.
class GeometryStage : public ShaderBase {
public:
    GeometryStage() : ShaderBase(gl40, GL_GEOMETRY_SHADER, "geometry") {}
    int get_max_uniform_components() const override { return 0; }
    int get_max_varying_components() const override { return 0; }

    // The text one mode writes for the variable at `index`.
    std::string emit_one(size_t index, Quarn::Shading::EmitMode mode, int count) {
        const std::vector<Quarn::Shading::ShaderVariable> all = variables;
        variables = {all[index]};
        source.clear();
        emit_variables(StageLayout{true, true}, mode, count, 0);
        variables = all;
        return mode == Quarn::Shading::declare ? source.substr(source.rfind('\n') + 1) : source;
    }
};

}  // namespace

TEST(GeometryRules, PerVariableTexts) {
    using namespace Quarn::Shading;
    // Indices into the standard variables: 0 vec_vert (per space, arrayed), 4 color (arrayed),
    // 5 camera_pos (neither).
    const struct {
        size_t variable;
        EmitMode mode;
        int count;
        std::string text;
    } cases[] = {
        {0, declare, 3,
         "in vec4 _vecs_vert_obj_vg[3],_vecs_vert_wld_vg[3],_vecs_vert_eye_vg[3];vec4 "
         "vecs_vert_obj[3],vecs_vert_wld[3],vecs_vert_eye[3];vec4 "
         "vec_vert_obj,vec_vert_wld,vec_vert_eye;out vec4 _vec_vert_obj_gf,_vec_vert_wld_gf,"
         "_vec_vert_eye_gf;"},
        {4, declare, 2, "in vec4 _colors_vg[2];vec4 colors[2];vec4 color;out vec4 _color_gf;"},
        {5, declare, 2, "in vec3 _camera_pos_vg[2];vec3 camera_pos;out vec3 _camera_pos_gf;"},
        {0, compute, 2,
         "vecs_vert_obj[0]=_vecs_vert_obj_vg[0];vecs_vert_wld[0]=_vecs_vert_wld_vg[0];"
         "vecs_vert_eye[0]=_vecs_vert_eye_vg[0];vecs_vert_obj[1]=_vecs_vert_obj_vg[1];"
         "vecs_vert_wld[1]=_vecs_vert_wld_vg[1];vecs_vert_eye[1]=_vecs_vert_eye_vg[1];"},
        {4, compute, 2, "colors[0]=_colors_vg[0];colors[1]=_colors_vg[1];"},
        {5, compute, 2, "camera_pos=_camera_pos_vg[0];"},
        {0, fetch, 2,
         "vec_vert_obj=vecs_vert_obj[from_index];vec_vert_wld=vecs_vert_wld[from_index];"
         "vec_vert_eye=vecs_vert_eye[from_index];"},
        {4, fetch, 2, "color=colors[from_index];"},
        {5, fetch, 2, ""},
        {0, store, 2,
         "_vec_vert_obj_gf=vec_vert_obj;_vec_vert_wld_gf=vec_vert_wld;_vec_vert_eye_gf=vec_vert_"
         "eye;"},
        {5, store, 2, "_camera_pos_gf=camera_pos;"},
    };
    GeometryStage stage;
    for (const auto& c : cases) {
        EXPECT_EQ(stage.emit_one(c.variable, c.mode, c.count), c.text)
            << "variable " << c.variable << " mode " << c.mode;
    }
}

TEST(GeometryRules, UnknownModesAndKindsAreReported) {
    WarnRecorder rec;
    GeometryStage stage;
    stage.emit_one(0, static_cast<Quarn::Shading::EmitMode>(7), 1);
    ShaderVertex vertex(gl40, "", "", "");
    vertex.emit_variables(vertex_and_fragment, Quarn::Shading::fetch, 0, 0);
    EXPECT_EQ(rec.failures().size(), 1u + 8u);
    stage.shader_kind = GL_TESS_CONTROL_SHADER;
    rec.reports.clear();
    stage.emit_one(0, Quarn::Shading::store, 1);
    EXPECT_EQ(rec.failures(),
              (std::vector<std::string>{"Implementation error or not implemented!"}));
}
