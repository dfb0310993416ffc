#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "math/matrix.h"
#include "render/fbo/binding.h"
#include "render/projection.h"
#include "render/shading/builtin.h"
#include "tests/render/gl_environment.h"
#include "tests/support/warn_recorder.h"

using Quarn::Matrices::Projection3D;
using Quarn::Matrices::ProjectionBase;
using Quarn::Matrices::unproject;

namespace {

Vec4i get_rect(GLenum name) {
    GLint v[4] = {-1, -1, -1, -1};
    glGetIntegerv(name, v);
    return Vec4i(v[0], v[1], v[2], v[3]);
}

void expect_vec_near(const Vec3f& found, const Vec3f& expected, float tolerance) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(found[i], expected[i], tolerance) << "component " << i;
}

}  // namespace

TEST(Viewport, ApplySetsViewportAndScissorOnly) {
    for (bool scissor_on : {false, true}) {
        if (scissor_on) {
            glEnable(GL_SCISSOR_TEST);
        } else {
            glDisable(GL_SCISSOR_TEST);
        }
        const ProjectionBase p(Vec4i(10, 20, 800, 600), 0.1f, 10.0f, false);
        p.apply_viewport();
        EXPECT_EQ(get_rect(GL_VIEWPORT), Vec4i(10, 20, 800, 600));
        EXPECT_EQ(get_rect(GL_SCISSOR_BOX), Vec4i(10, 20, 800, 600));
        EXPECT_EQ(Quarn::Matrices::current_viewport(), Vec4i(10, 20, 800, 600));
        EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE, scissor_on);
    }
    glDisable(GL_SCISSOR_TEST);
}

TEST(Unproject, CentreAndCornerOfTheViewport) {
    ProjectionBase(Vec4i(0, 0, 800, 600), 0.1f, 10.0f, false).apply_viewport();
    const float tol = 1e-6f;
    const struct {
        Vec3f window;
        Vec3f expected;
    } cases[] = {
        {Vec3f(400, 300, 0.5f), Vec3f(0, 0, 0)},
        {Vec3f(0, 0, 0), Vec3f(-1, -1, -1)},
        {Vec3f(800, 600, 1), Vec3f(1, 1, 1)},
        {Vec3f(200, 450, 0.25f), Vec3f(-0.5f, 0.5f, -0.5f)},
    };
    WarnRecorder rec;
    for (const auto& c : cases)
        expect_vec_near(unproject(identity4(), c.window), c.expected, tol);
    EXPECT_TRUE(rec.failures().empty());
}

TEST(Unproject, InvertsTheDemoCamera) {
    const Projection3D projection(Vec4i(0, 0, 1024, 768), 45, 0.1f, 100);
    projection.apply_viewport();
    const Mat4f pv = projection.projection_matrix() *
                     look_at(Vec3f(3.53f, 1.37f, 1.29f), Vec3f(0, 0, 0), Vec3f(0, 1, 0));
    for (const Vec3f& world : {Vec3f(0, 0, 0), Vec3f(1, 0, -2), Vec3f(-0.5f, 0.7f, 0.3f)}) {
        Vec4f clip = pv * Vec4f(world[0], world[1], world[2], 1.0f);
        clip /= clip[3];
        const Vec3f window((clip[0] + 1) * 0.5f * 1024, (clip[1] + 1) * 0.5f * 768,
                           (clip[2] + 1) * 0.5f);
        expect_vec_near(unproject(pv, window), world, 1e-3f);
    }
}

TEST(Unproject, ZeroWIsReported) {
    ProjectionBase(Vec4i(0, 0, 800, 600), 0.1f, 10.0f, false).apply_viewport();
    // Swapping x and w: the window's centre column maps to w = 0.
    const Mat4f swap_xw(0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0);
    WarnRecorder rec;
    const Vec3f p = unproject(swap_xw, Vec3f(400, 100, 0.5f));
    EXPECT_EQ(rec.failures(), (std::vector<std::string>{"Vertex w coordinate is zero!",
                                                        "Divisor must be nonzero!"}));
    EXPECT_FALSE(std::isfinite(p[0]));
}

TEST(ReadDepth, AfterDrawingWithTheNopProgram) {
    Quarn::FBO::bind_write(nullptr);
    Quarn::FBO::bind_read(nullptr);
    const Projection3D projection(Vec4i(0, 0, 1024, 768), 45, 0.1f, 100);
    projection.apply_viewport();
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LESS);

    auto* nop = Quarn::Shading::get_builtin_nop_program(gl_test::context());
    Quarn::Shading::use_program(nop);
    const Mat4f view = look_at(Vec3f(0, 0, 5), Vec3f(0, 0, 0), Vec3f(0, 1, 0));
    nop->set_matrices(projection.projection_matrix(), view, identity4());
    // A square in the plane z = 0 covering the middle of the window.
    gl_test::Positions square(nop->gl_program, {-1, -1, 0, 1, 1, -1, 0, 1, 1,  1, 0, 1,
                                                -1, -1, 0, 1, 1, 1,  0, 1, -1, 1, 0, 1});
    square.draw(GL_TRIANGLES);
    Quarn::Shading::use_program(nullptr);

    const float centre = Quarn::Matrices::read_depth(512, 384);
    const float corner = Quarn::Matrices::read_depth(5, 5);
    EXPECT_EQ(corner, 1.0f) << "nothing drawn there";
    EXPECT_GT(centre, 0.0f);
    EXPECT_LT(centre, 1.0f);
    // Back through the camera the depth lands on the square.
    const Vec3f world = unproject(projection.projection_matrix() * view, Vec3f(512, 384, centre));
    EXPECT_NEAR(world[2], 0.0f, 1e-2f) << "depth " << centre;
    EXPECT_NEAR(world[0], 0.0f, 1e-2f);
}
