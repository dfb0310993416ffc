#include <gtest/gtest.h>

#include <string>

#include "render/library_state.h"
#include "render/quarn.h"
#include "render/shading/builtin.h"
#include "tests/render/gl_environment.h"
#include "tests/render/worked_example.h"
#include "tests/support/warn_recorder.h"

using Quarn::Shading::get_builtin_nop_program;
using Quarn::Shading::ShaderProgram;

TEST(Builtin, NopIsBuiltOnceWithItsLogsPrinted) {
    // Start from an empty registry whatever ran before.
    Quarn::deinit();
    Quarn::init();
    ASSERT_TRUE(Quarn::library().builtin_programs.empty());

    ::testing::internal::CaptureStdout();
    ShaderProgram* nop = get_builtin_nop_program(gl_test::context());
    const std::string first_output = ::testing::internal::GetCapturedStdout();
    ASSERT_NE(nop, nullptr);

    ::testing::internal::CaptureStdout();
    ShaderProgram* again = get_builtin_nop_program(nullptr);
    const std::string second_output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(again, nop);
    EXPECT_EQ(second_output, "");

    WarnRecorder rec;  // clean logs may be empty, which get_info_log reports
    const std::string vertex_log = nop->units[0]->get_info_log();
    const std::string program_log = Quarn::Shading::get_info_log(nop->gl_program);
    EXPECT_EQ(first_output,
              "Builtin shader compile:\n#### Quarn Compile Log ####\n#### vertex "
              "shader ####\n" +
                  vertex_log + "\n\nBuiltin shader link:\n#### Quarn Link Log ####\n" +
                  program_log + "\n\n");
}

TEST(Builtin, NopHasOnlyTheGeneratedVertexStage) {
    ShaderProgram* nop = get_builtin_nop_program(gl_test::context());
    ASSERT_NE(nop->units[0], nullptr);
    for (int unit = 1; unit < ShaderProgram::unit_count; ++unit) {
        EXPECT_EQ(nop->units[unit], nullptr) << unit;
    }
    EXPECT_TRUE(nop->compiled && nop->linked && nop->valid);
    std::vector<std::string> expected = worked_example::line_vertex_lines;
    Orv::Context* context = gl_test::context();
    expected[0] =
        "#version " + Quarn::Shading::glsl_version_number({context->gl_major, context->gl_minor});
    EXPECT_EQ(worked_example::split_lines(nop->units[0]->source), expected);
}

TEST(Builtin, DeinitEmptiesTheRegistry) {
    ShaderProgram* nop = get_builtin_nop_program(gl_test::context());
    Quarn::Shading::use_program(nop);
    Quarn::deinit();
    EXPECT_TRUE(Quarn::library().builtin_programs.empty());
    EXPECT_EQ(Quarn::Shading::current_program(), nullptr);
    Quarn::init();

    ::testing::internal::CaptureStdout();
    ShaderProgram* rebuilt = get_builtin_nop_program(gl_test::context());
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(rebuilt->valid);
    EXPECT_EQ(output.rfind("Builtin shader compile:\n", 0), 0u) << output;
}
