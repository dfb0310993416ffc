#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/arm.h"
#include "tests/kinematics/finite_difference.h"

namespace {

struct Pose {
    const char* name;
    float ball[3];
    float hinge;
    float twist;
    float univ[2];
    float slide;  // on the twist joint, when enabled
};

struct JacobianCase {
    Pose pose;
    bool with_slide;
};

void PrintTo(const JacobianCase& c, std::ostream* os) {
    *os << c.pose.name << (c.with_slide ? " with slide" : "");
}

class ArmJacobianTest : public ::testing::TestWithParam<JacobianCase> {
protected:
    void SetUp() override { build_arm(); }
    void TearDown() override {
        delete arm;
        arm = nullptr;
        effector = nullptr;
    }
};

// Every joint kind of the arm, and a slide added to its twist joint, against
// central differences of the tip's solved position.
TEST_P(ArmJacobianTest, MatchesFiniteDifferences) {
    const JacobianCase& c = GetParam();
    Sinew::JointBase* ball = arm->joints[0];
    Sinew::JointBase* hinge = arm->joints[1];
    Sinew::JointBase* twist = arm->joints[2];
    Sinew::JointBase* univ = arm->joints[3];
    ball->angle_x.value_solved = c.pose.ball[0];
    ball->angle_y.value_solved = c.pose.ball[1];
    ball->angle_z.value_solved = c.pose.ball[2];
    hinge->angle_x.value_solved = c.pose.hinge;
    twist->angle_y.value_solved = c.pose.twist;
    univ->angle_x.value_solved = c.pose.univ[0];
    univ->angle_z.value_solved = c.pose.univ[1];
    if (c.with_slide) {
        twist->slide.enabled = true;
        twist->slide.value_solved = c.pose.slide;
    }
    const int columns = c.with_slide ? 8 : 7;

    const std::vector<Sinew::Effector*> effectors = arm->collect_effectors();
    ASSERT_EQ(effectors.size(), 1u);
    const Sinew::Jacobian J = arm->jacobian(effectors);
    const Sinew::Jacobian expected = fd::jacobian(*arm, effectors, 1e-3f);

    for (int col = 0; col < 8; ++col) {
        for (int r = 0; r < 3; ++r) {
            EXPECT_NEAR(J.at(r, col), expected.at(r, col), 2e-3f) << "row " << r << " col " << col;
        }
        for (int r = 3; r < 6; ++r) {
            EXPECT_EQ(J.at(r, col), 0.0f) << "row " << r << " col " << col;
        }
    }
    if (columns == 7) {
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(J.at(r, 7), 0.0f) << "row " << r;
        }
    }
}

const Pose poses[] = {
    {"Start", {45, 0, 0}, 30, 0, {0, 0}, 0},
    {"Straight", {0, 0, 0}, 0, 0, {0, 0}, 0.1f},
    {"Bent", {10, -35, 20}, 60, 45, {-30, 10}, 0.2f},
    {"Twisted", {-120, 70, 160}, 140, -80, {75, -14}, -0.3f},
    {"AtLimits", {90, 90, 90}, 150, 90, {80, 15}, 0.5f},
};

std::vector<JacobianCase> cases() {
    std::vector<JacobianCase> out;
    for (const Pose& p : poses) {
        out.push_back({p, false});
        out.push_back({p, true});
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Poses, ArmJacobianTest, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<JacobianCase>& info) {
                             return std::string(info.param.pose.name) +
                                    (info.param.with_slide ? "WithSlide" : "");
                         });

}  // namespace
