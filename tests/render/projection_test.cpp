#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/projection.h"
#include "tests/support/warn_recorder.h"

using Quarn::Matrices::Projection3D;
using Quarn::Matrices::ProjectionBase;

TEST(Projection3D, DemoProjection) {
    WarnRecorder rec;
    const Projection3D p(Vec4i(0, 0, 1024, 768), 45.0f, 0.1f, 100.0f);
    EXPECT_TRUE(rec.failures().empty());
    const float tol = 1e-6f;
    EXPECT_NEAR(p.aspect, 1.3333334f, tol);
    EXPECT_NEAR(p.top, 0.041421358f, tol);
    EXPECT_NEAR(p.bottom, -0.041421358f, tol);
    EXPECT_NEAR(p.right, 0.05522848f, tol);
    EXPECT_NEAR(p.left, -0.05522848f, tol);
    EXPECT_FALSE(p.orthographic);
    EXPECT_EQ(p.view_rect, Vec4i(0, 0, 1024, 768));
    EXPECT_EQ(p.screen_size, Vec2i(1024, 768));

    const Mat4f m = p.projection_matrix();
    const float mtol = 1e-4f;
    EXPECT_NEAR(m.at(0, 0), 1.81066f, mtol);
    EXPECT_NEAR(m.at(1, 1), 2.41421f, mtol);
    EXPECT_NEAR(m.at(2, 2), -1.002002f, mtol);
    EXPECT_NEAR(m.at(2, 3), -0.2002002f, mtol);
    EXPECT_EQ(m.at(3, 2), -1.0f);
    EXPECT_EQ(m.at(3, 3), 0.0f);
    EXPECT_EQ(m.at(0, 2), 0.0f);
}

TEST(ProjectionBase, InvalidRectanglesAndPlanesAreReportedAndKept) {
    const struct {
        Vec4i rect;
        float near_clip, far_clip;
        std::vector<std::string> reports;
    } cases[] = {
        {Vec4i(-1, 0, 10, 10), 1, 2, {"Screen rect left must be nonnegative (got -1)!"}},
        {Vec4i(0, -3, 10, 10), 1, 2, {"Screen rect bottom must be nonnegative (got -3)!"}},
        {Vec4i(0, 0, 0, 10), 1, 2, {"Screen rect width must be positive (got 0)!"}},
        {Vec4i(0, 0, 10, -2), 1, 2, {"Screen rect height must be positive (got -2)!"}},
        {Vec4i(0, 0, 10, 10),
         5,
         1,
         {"Near clip plane (got 5.000000) must be no greater than the far clip plane (got "
          "1.000000)!"}},
        {Vec4i(-1, -1, 10, 10),
         1,
         2,
         {"Screen rect left must be nonnegative (got -1)!",
          "Screen rect bottom must be nonnegative (got -1)!"}},
    };
    for (const auto& c : cases) {
        WarnRecorder rec;
        const ProjectionBase p(c.rect, c.near_clip, c.far_clip, true);
        EXPECT_EQ(rec.failures(), c.reports);
        EXPECT_EQ(p.screen_rect, c.rect);
        EXPECT_EQ(p.near_clip, c.near_clip);
        EXPECT_EQ(p.far_clip, c.far_clip);
    }
}

TEST(ProjectionBase, OrthographicUsesItsBounds) {
    ProjectionBase p(Vec4i(0, 0, 10, 10), -1.0f, 1.0f, true);
    p.left = -1;
    p.right = 1;
    p.bottom = -1;
    p.top = 1;
    const Mat4f m = p.projection_matrix();
    const Mat4f expected(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(m.at(r, c), expected.at(r, c)) << r << "," << c;
    }
}
