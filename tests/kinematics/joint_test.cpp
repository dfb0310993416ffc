#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>

#include "kinematics/body.h"
#include "kinematics/joint.h"

namespace {

using Sinew::JointBase;
using Sinew::Node;
using Sinew::Values;

// Joints the demo never builds: one with nothing enabled, one with a slide.
class JointFixed : public JointBase {
public:
    JointFixed(Node* parent, Node* child) : JointBase(parent, child) {}
};

class JointSlideZ : public JointBase {
public:
    JointSlideZ(Node* parent, Node* child, float z, float s) : JointBase(parent, child) {
        angle_z.enabled = true;
        angle_z.value_shown = angle_z.value_solved = z;
        slide.enabled = true;
        slide.value_shown = slide.value_solved = s;
    }
};

struct Nodes {
    Node parent{identity4(), identity4()};
    Node child{identity4(), identity4()};
};

Vec3f apply(const Mat4f& m, const Vec3f& p) {
    const Vec4f q = m * Vec4f(p[0], p[1], p[2], 1);
    return Vec3f(q[0], q[1], q[2]);
}

void expect_near(const Vec3f& actual, const Vec3f& expected, float tolerance) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
    }
}

TEST(JointKinds, EnableTheirDegreesOfFreedomWithoutConstraining) {
    Nodes n;
    struct Expect {
        std::unique_ptr<JointBase> joint;
        bool x, y, z;
        float vx, vy, vz;
    };
    Expect table[] = {
        {std::make_unique<Sinew::JointHinge>(&n.parent, &n.child, 400), true, false, false, 400, 0,
         0},
        {std::make_unique<Sinew::JointTwist>(&n.parent, &n.child, -20), false, true, false, 0, -20,
         0},
        {std::make_unique<Sinew::JointUniv>(&n.parent, &n.child, 5, -7), true, false, true, 5, 0,
         -7},
        {std::make_unique<Sinew::JointBall>(&n.parent, &n.child, 1, 2, 3), true, true, true, 1, 2,
         3},
    };
    for (const Expect& e : table) {
        const JointBase& j = *e.joint;
        EXPECT_EQ(j.angle_x.enabled, e.x);
        EXPECT_EQ(j.angle_y.enabled, e.y);
        EXPECT_EQ(j.angle_z.enabled, e.z);
        EXPECT_FALSE(j.slide.enabled);
        EXPECT_EQ(j.angle_x.value_shown, e.vx);
        EXPECT_EQ(j.angle_x.value_solved, e.vx);
        EXPECT_EQ(j.angle_y.value_solved, e.vy);
        EXPECT_EQ(j.angle_z.value_solved, e.vz);
        EXPECT_EQ(j.angle_x.axis, 0);
        EXPECT_EQ(j.angle_y.axis, 1);
        EXPECT_EQ(j.angle_z.axis, 2);
        EXPECT_FALSE(j.angle_x.limited || j.angle_y.limited || j.angle_z.limited);
    }
}

TEST(JointKinds, LatestJointBecomesChildsIncomingJoint) {
    Nodes n;
    Sinew::JointHinge first(&n.parent, &n.child, 0);
    EXPECT_EQ(n.child.in_joint, &first);
    EXPECT_EQ(n.parent.in_joint, nullptr);
    Sinew::JointTwist second(&n.parent, &n.child, 0);
    EXPECT_EQ(n.child.in_joint, &second);
}

TEST(LocalTransform, Ball45AboutXIsThatRotation) {
    Nodes n;
    Sinew::JointBall ball(&n.parent, &n.child, 45, 0, 0);
    const float c = std::cos(3.14159265f / 4), s = std::sin(3.14159265f / 4);
    const Mat4f expected(1, 0, 0, 0, 0, c, -s, 0, 0, s, c, 0, 0, 0, 0, 1);
    const Mat4f m = ball.local_transform(Values::solved);
    for (int r = 0; r < 4; ++r) {
        for (int col = 0; col < 4; ++col) {
            EXPECT_NEAR(m.at(r, col), expected.at(r, col), 1e-6f) << r << "," << col;
        }
    }
}

TEST(LocalTransform, XActsLastAndSlideFirstOnAPoint) {
    Nodes n;
    // Rx(90) Ry(90) takes +X to -Z and then to +Y; the reverse order would give -Z.
    Sinew::JointBall ball(&n.parent, &n.child, 90, 90, 0);
    expect_near(apply(ball.local_transform(Values::solved), Vec3f(1, 0, 0)), Vec3f(0, 1, 0), 1e-6f);

    // The slide moves along the joint's Y after its rotation: Rz(90) (0, 2, 0) = (-2, 0, 0).
    JointSlideZ slider(&n.parent, &n.child, 90, 2);
    expect_near(apply(slider.local_transform(Values::solved), Vec3f(0, 0, 0)), Vec3f(-2, 0, 0),
                1e-6f);
}

TEST(LocalTransform, ReadsTheChosenValueSet) {
    Nodes n;
    Sinew::JointTwist twist(&n.parent, &n.child, 0);
    twist.angle_y.value_solved = 90;
    expect_near(apply(twist.local_transform(Values::shown), Vec3f(1, 0, 0)), Vec3f(1, 0, 0), 1e-6f);
    expect_near(apply(twist.local_transform(Values::solved), Vec3f(1, 0, 0)), Vec3f(0, 0, -1),
                1e-6f);
}

TEST(JointFrame, IsParentsOutAttachmentTimesOwnMotion) {
    Node root(translation(9, 9, 9), translation(0, 1, 0));
    Node child(identity4(), identity4());
    Sinew::JointHinge hinge(&root, &child, 90);
    // At (0, 1, 0); its local Y has turned onto world +Z.
    const Mat4f f = hinge.joint_frame(Values::solved);
    expect_near(apply(f, Vec3f(0, 0, 0)), Vec3f(0, 1, 0), 1e-6f);
    expect_near(apply(f, Vec3f(0, 1, 0)), Vec3f(0, 1, 1), 1e-6f);
}

TEST(FillJacobian, HingeColumnIsAxisCrossLever) {
    // Hinge about X at (0, 1, 0), effector one unit above it: moving it per
    // radian pushes the effector along +Z.
    Node root(identity4(), translation(0, 1, 0));
    Node child(identity4(), identity4());
    Sinew::JointHinge hinge(&root, &child, 0);
    Sinew::Jacobian J(MatrixInit::zeros);
    int col = 2;

    hinge.fill_jacobian(J, 3, col, Vec3f(0, 2, 0));

    EXPECT_EQ(col, 3);
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 8; ++c) {
            const float expected = (r == 5 && c == 2) ? 1.0f : 0.0f;
            EXPECT_NEAR(J.at(r, c), expected, 1e-6f) << r << "," << c;
        }
    }
}

TEST(FillJacobian, SlideColumnIsTheJointsYAxis) {
    Nodes n;
    JointSlideZ slider(&n.parent, &n.child, 90, 0.5f);
    Sinew::Jacobian J(MatrixInit::zeros);
    int col = 0;

    slider.fill_jacobian(J, 0, col, Vec3f(0, 0, 0));

    EXPECT_EQ(col, 2);
    // Y turned by Rz(90) points along -X.
    EXPECT_NEAR(J.at(0, 1), -1.0f, 1e-6f);
    EXPECT_NEAR(J.at(1, 1), 0.0f, 1e-6f);
    EXPECT_NEAR(J.at(2, 1), 0.0f, 1e-6f);
}

TEST(NoDegreesOfFreedom, WritesNoColumnAndTakesNoEntry) {
    Node root(identity4(), translation(0, 1, 0));
    Node child(identity4(), identity4());
    JointFixed fixed(&root, &child);
    Sinew::Jacobian J(MatrixInit::zeros);
    int col = 4;
    fixed.fill_jacobian(J, 0, col, Vec3f(1, 2, 3));
    EXPECT_EQ(col, 4);
    EXPECT_TRUE(J == Sinew::Jacobian(MatrixInit::zeros));

    Sinew::Solution d(MatrixInit::ones);
    fixed.apply_delta(d, col);
    EXPECT_EQ(col, 4);
    EXPECT_EQ(fixed.angle_x.value_solved, 0.0f);
    EXPECT_EQ(fixed.slide.value_solved, 0.0f);
}

struct DeltaCase {
    const char* name;
    int kind;                     // 0 hinge, 1 twist, 2 ball, 3 slide joint (angle_z + slide)
    float limit_low, limit_high;  // on the first enabled degree of freedom; low > high: none
    int start_col;
    float expected[4];  // solved values of angle_x, angle_y, angle_z, slide
    int expected_col;
};

void PrintTo(const DeltaCase& c, std::ostream* os) {
    *os << c.name;
}

class ApplyDeltaTest : public ::testing::TestWithParam<DeltaCase> {};

// The solution vector is (0, 1, -0.5, 2, 0.25, 0, 0, 0); angles start at
// 10 (hinge), 330 (twist), (10, 20, 30) (ball) and 90 with slide 1.
TEST_P(ApplyDeltaTest, AddsDegreesPerRadianThenConstrains) {
    const DeltaCase& c = GetParam();
    Nodes n;
    std::unique_ptr<JointBase> j;
    switch (c.kind) {
        case 0:
            j = std::make_unique<Sinew::JointHinge>(&n.parent, &n.child, 10);
            break;
        case 1:
            j = std::make_unique<Sinew::JointTwist>(&n.parent, &n.child, 330);
            break;
        case 2:
            j = std::make_unique<Sinew::JointBall>(&n.parent, &n.child, 10, 20, 30);
            break;
        default:
            j = std::make_unique<JointSlideZ>(&n.parent, &n.child, 90, 1);
            break;
    }
    if (c.limit_low <= c.limit_high) {
        JointBase::DOFBase* first = &j->angle_z;
        if (j->angle_x.enabled) {
            first = &j->angle_x;
        } else if (j->angle_y.enabled) {
            first = &j->angle_y;
        }
        first->set_limits(c.limit_low, c.limit_high);
    }
    const float shown_x = j->angle_x.value_shown;
    const Sinew::Solution d(0, 1, -0.5f, 2, 0.25f, 0, 0, 0);
    int col = c.start_col;

    j->apply_delta(d, col);

    EXPECT_EQ(col, c.expected_col);
    EXPECT_NEAR(j->angle_x.value_solved, c.expected[0], 1e-4f);
    EXPECT_NEAR(j->angle_y.value_solved, c.expected[1], 1e-4f);
    EXPECT_NEAR(j->angle_z.value_solved, c.expected[2], 1e-4f);
    EXPECT_NEAR(j->slide.value_solved, c.expected[3], 1e-6f);
    EXPECT_EQ(j->angle_x.value_shown, shown_x);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ApplyDeltaTest,
    ::testing::Values(DeltaCase{"OneRadian", 0, 1, 0, 1, {10 + 57.29578f, 0, 0, 0}, 2},
                      DeltaCase{"ClampedAtLimit", 0, 0, 50, 1, {50, 0, 0, 0}, 2},
                      DeltaCase{"NegativeClampedAtLimit", 0, 0, 150, 2, {0, 0, 0, 0}, 3},
                      DeltaCase{"WrapsPast360", 1, 1, 0, 1, {0, 330 + 57.29578f - 360, 0, 0}, 2},
                      DeltaCase{"BallTakesThreeInOrder",
                                2,
                                1,
                                0,
                                1,
                                {10 + 57.29578f, 20 - 28.64789f, 30 + 114.59156f, 0},
                                4},
                      DeltaCase{
                          "SlideTakesLengthAsIs", 3, 1, 0, 3, {0, 0, 90 + 114.59156f, 1.25f}, 5}),
    [](const ::testing::TestParamInfo<DeltaCase>& info) { return info.param.name; });

TEST(JointUpdateShown, TouchesEveryEnabledDegreeOfFreedom) {
    Nodes n;
    Sinew::JointUniv univ(&n.parent, &n.child, 0, 0);
    univ.angle_x.value_solved = 20;
    univ.angle_z.value_solved = -40;
    univ.angle_y.value_solved = 99;  // disabled: never shown

    univ.update_shown(0.5f);

    EXPECT_NEAR(univ.angle_x.value_shown, 10.0f, 1e-6f);
    EXPECT_NEAR(univ.angle_z.value_shown, -20.0f, 1e-6f);
    EXPECT_EQ(univ.angle_y.value_shown, 0.0f);
}

}  // namespace
