#include <gtest/gtest.h>

#include "render/fbo/binding.h"
#include "render/fbo/fbo.h"
#include "render/library_state.h"
#include "render/quarn.h"
#include "tests/render/gl_environment.h"

namespace {

GLint get_int(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

void expect_started_state() {
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP_SEAMLESS));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(get_int(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_EQ(get_int(GL_BLEND_SRC_ALPHA), GL_SRC_ALPHA);
    EXPECT_EQ(get_int(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(get_int(GL_BLEND_DST_ALPHA), GL_ONE_MINUS_SRC_ALPHA);

    const Quarn::LibraryState& state = Quarn::library();
    EXPECT_NE(state.freetype, nullptr);
    EXPECT_TRUE(state.read_stack.empty());
    EXPECT_TRUE(state.write_stack.empty());
    EXPECT_EQ(state.current_read.fbo, nullptr);
    EXPECT_TRUE(state.current_read.buffers.empty());
    EXPECT_EQ(state.current_write.fbo, nullptr);
    EXPECT_TRUE(state.current_write.buffers.empty());
    EXPECT_TRUE(state.builtin_programs.empty());
}

}  // namespace

TEST(Lifetime, InitSetsTheFixedStateAndEmptyRecords) {
    // The executable's environment has started the library; restart it from scratch here.
    Quarn::deinit();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    glBlendFunc(GL_ONE, GL_ZERO);
    Quarn::init();
    expect_started_state();
}

TEST(Lifetime, DeinitReleasesStackedRecordsAndFreeType) {
    Quarn::FBO::FBO2D fbo(Vec2i(16, 16), 1);
    fbo.attach_color(8, 0);
    Quarn::FBO::bind_write(&fbo, 0);
    Quarn::FBO::push_write();
    Quarn::FBO::push_write();
    ASSERT_EQ(Quarn::FBO::write_stack_depth(), 2);

    Quarn::deinit();
    const Quarn::LibraryState& state = Quarn::library();
    EXPECT_TRUE(state.write_stack.empty());
    EXPECT_EQ(state.current_write.fbo, nullptr);
    EXPECT_EQ(state.freetype, nullptr);
    EXPECT_EQ(state.opencl_platform_count, 0);
    EXPECT_TRUE(state.opencl_platforms.empty());

    Quarn::init();
    expect_started_state();
    Quarn::FBO::bind_write(nullptr);
}
