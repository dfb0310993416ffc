#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "kinematics/body.h"
#include "tests/kinematics/finite_difference.h"
#include "tests/support/warn_recorder.h"

namespace {

using Sinew::Body;
using Sinew::Effector;
using Sinew::Node;
using Sinew::Values;

void expect_near(const Vec3f& actual, const Vec3f& expected, float tolerance) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
    }
}

Vec3f origin_of(const Mat4f& m) {
    const Vec4f p = m * Vec4f(0, 0, 0, 1);
    return Vec3f(p[0], p[1], p[2]);
}

std::vector<float> solved_values(const Body& body) {
    std::vector<float> out;
    for (const Sinew::JointBase* j : body.joints) {
        j->for_each_dof(
            [&out](const Sinew::JointBase::DOFBase& d) { out.push_back(d.value_solved); });
    }
    return out;
}

TEST(ForwardKinematics, RootSitsAtOriginWhateverItsInAttach) {
    Body body;
    Node* root = body.add_node(translation(5, 5, 5), translation(0, 1, 2));
    EXPECT_TRUE(root->world_transform(Values::solved) == identity4());
    EXPECT_TRUE(root->out_attach_world(Values::shown) == translation(0, 1, 2));
    EXPECT_TRUE(root->in_attach_inverse == translation(-5, -5, -5));
}

TEST(ForwardKinematics, JointTurnsChildAboutParentsOutPoint) {
    // Hinge at (0, 1, 0) turned 90 degrees: the child's local +Y is world +Z.
    Body body;
    Node* root = body.add_node(identity4(), translation(0, 1, 0));
    Node* child = body.add_node(translation(0, -0.5f, 0), translation(0, 0.5f, 0));
    body.add_joint_hinge(root, child, 90);
    Effector* e = child->add_effector(Vec3f(0.25f, 0.5f, 0));

    const Mat4f w = child->world_transform(Values::solved);
    expect_near(origin_of(w * child->in_attach), Vec3f(0, 1, 0), 1e-6f);
    expect_near(origin_of(w), Vec3f(0, 1, 0.5f), 1e-6f);
    expect_near(origin_of(child->out_attach_world(Values::solved)), Vec3f(0, 1, 1), 1e-6f);
    expect_near(e->world_position(Values::solved), Vec3f(0.25f, 1, 1), 1e-6f);
}

TEST(ForwardKinematics, ShownAndSolvedChainsNeverMix) {
    Body body;
    Node* root = body.add_node(identity4(), translation(0, 1, 0));
    Node* mid = body.add_node(identity4(), translation(0, 1, 0));
    Node* tip = body.add_node(identity4(), identity4());
    body.add_joint_hinge(root, mid, 0);
    Sinew::JointTwist* twist = body.add_joint_twist(mid, tip, 0);
    Effector* e = tip->add_effector(Vec3f(1, 0, 0));

    body.joints[0]->angle_x.value_solved = 90;
    twist->angle_y.value_shown = 90;

    // Shown: straight up, tip turned about Y: (0, 2, -1). Solved: bent onto +Z: (1, 1, 1).
    expect_near(e->world_position(Values::shown), Vec3f(0, 2, -1), 1e-6f);
    expect_near(e->world_position(Values::solved), Vec3f(1, 1, 1), 1e-6f);
}

TEST(Effector, StartsWithUnsetGoal) {
    Body body;
    Effector* e = body.add_node(identity4(), identity4())->add_effector(Vec3f(1, 2, 3));
    EXPECT_EQ(e->goal[0], std::numeric_limits<float>::infinity());
    EXPECT_FALSE(e->goal_set());
    e->goal = Vec3f(0, 0, 0);
    EXPECT_TRUE(e->goal_set());
}

// Root, ball, link, hinge, middle link, ball, outer link; one effector on the
// middle and one on the outer link, the outer one created first. A single
// ball cannot move its effector along the lever, so the middle effector needs
// the hinge too: with rank below six, the 6 x 8 Jacobian has singular values
// that are zero only up to rounding, and the pseudo-inverse inverts them.
struct TwoEffectorChain {
    TwoEffectorChain() {
        Node* root = body.add_node(identity4(), translation(0, 1, 0));
        Node* link = body.add_node(identity4(), translation(0, 0.5f, 0));
        Node* mid = body.add_node(identity4(), translation(0, 1, 0));
        Node* outer = body.add_node(identity4(), translation(0, 1, 0));
        on_outer = outer->add_effector(Vec3f(0.3f, 1, 0));
        on_mid = mid->add_effector(Vec3f(0.5f, 0.5f, 0));
        body.add_joint_ball(root, link, 20, 10, -15);
        body.add_joint_hinge(link, mid, 30);
        body.add_joint_ball(mid, outer, -30, 15, 25);
    }
    Body body;
    Effector* on_outer;
    Effector* on_mid;
};

TEST(Jacobian, TwoEffectorsTakeRowsInNodeOrderAndMatchFiniteDifferences) {
    TwoEffectorChain c;
    const std::vector<Effector*> effectors = c.body.collect_effectors();
    ASSERT_EQ(effectors, (std::vector<Effector*>{c.on_mid, c.on_outer}));

    const Sinew::Jacobian J = c.body.jacobian(effectors);
    const Sinew::Jacobian expected = fd::jacobian(c.body, effectors, 1e-3f);

    for (int r = 0; r < 6; ++r) {
        for (int col = 0; col < 8; ++col) {
            EXPECT_NEAR(J.at(r, col), expected.at(r, col), 2e-3f) << r << "," << col;
        }
    }
    // The outer ball is beyond the middle link: it cannot move that effector.
    for (int r = 0; r < 3; ++r) {
        for (int col = 4; col < 7; ++col) {
            EXPECT_EQ(J.at(r, col), 0.0f) << r << "," << col;
        }
    }
}

TEST(Solve, TwoEffectorsReachGoalsOfAReachablePose) {
    TwoEffectorChain c;
    const std::vector<float> start = solved_values(c.body);
    // Undamped full steps converge only near the answer: a few degrees away.
    c.body.joints[0]->angle_x.value_solved = 26;
    c.body.joints[0]->angle_z.value_solved = -11;
    c.body.joints[1]->angle_x.value_solved = 36;
    c.body.joints[2]->angle_y.value_solved = 10;
    c.on_mid->goal = c.on_mid->world_position(Values::solved);
    c.on_outer->goal = c.on_outer->world_position(Values::solved);
    c.body.joints[0]->angle_x.value_solved = start[0];
    c.body.joints[0]->angle_z.value_solved = start[2];
    c.body.joints[1]->angle_x.value_solved = start[4];
    c.body.joints[2]->angle_y.value_solved = start[9];

    c.body.solve(20);

    expect_near(c.on_mid->world_position(Values::solved), c.on_mid->goal, 1e-4f);
    expect_near(c.on_outer->world_position(Values::solved), c.on_outer->goal, 1e-4f);
}

TEST(Solve, ZeroIterationsChangeNothing) {
    TwoEffectorChain c;
    c.on_mid->goal = Vec3f(3, 0, 0);
    c.on_outer->goal = Vec3f(0, 0, 3);
    c.body.joints[0]->angle_x.value_solved = 400;  // even out of range stays
    const std::vector<float> before = solved_values(c.body);

    c.body.solve(0);

    EXPECT_EQ(solved_values(c.body), before);
    EXPECT_EQ(c.body.joints[0]->angle_x.value_shown, 20.0f);
}

TEST(Solve, EffectorsAtTheirGoalsOnlyWrap) {
    TwoEffectorChain c;
    c.body.joints[0]->angle_x.value_solved = 380;
    c.on_mid->goal = c.on_mid->world_position(Values::solved);
    c.on_outer->goal = c.on_outer->world_position(Values::solved);

    c.body.solve(1);

    EXPECT_EQ(solved_values(c.body),
              (std::vector<float>{20, 10, -15, 0, 30, 0, 0, 0, -30, 15, 25, 0}));
}

TEST(Solve, ShownValuesStayPut) {
    TwoEffectorChain c;
    c.on_mid->goal = Vec3f(0.5f, 1.5f, 0.2f);
    c.on_outer->goal = Vec3f(0.3f, 2.5f, 0.5f);

    c.body.solve(3);

    EXPECT_EQ(c.body.joints[0]->angle_x.value_shown, 20.0f);
    EXPECT_EQ(c.body.joints[1]->angle_x.value_shown, 30.0f);
    EXPECT_EQ(c.body.joints[2]->angle_y.value_shown, 15.0f);
    EXPECT_NE(solved_values(c.body)[0], 20.0f);
}

TEST(Solve, UnsetGoalIsReportedAndPullsNowhere) {
    TwoEffectorChain c;
    c.on_outer->goal = c.on_outer->world_position(Values::solved);
    const std::vector<float> before = solved_values(c.body);

    WarnRecorder rec;
    c.body.solve(2);

    EXPECT_EQ(rec.failures(), (std::vector<std::string>{"Did not set an effector's goal!",
                                                        "Did not set an effector's goal!"}));
    EXPECT_EQ(solved_values(c.body), before);
}

TEST(Solve, BeyondTwoEffectorsOrEightColumnsIsReportedAndStaysFinite) {
    Body body;
    Node* nodes[4];
    for (Node*& n : nodes) {
        n = body.add_node(identity4(), translation(0, 1, 0));
    }
    for (int i = 0; i < 3; ++i) {
        body.add_joint_ball(nodes[i], nodes[i + 1], 10.0f * i, 5, -5);
        nodes[i + 1]->add_effector(Vec3f(0, 1, 0))->goal = Vec3f(1, 1, 1);
    }

    WarnRecorder rec;
    body.solve(1);

    using ::testing::Contains;
    EXPECT_THAT(rec.failures(), Contains("Matrix row index 6 out of bounds!"));
    EXPECT_THAT(rec.failures(), Contains("Matrix column index 8 out of bounds!"));
    EXPECT_THAT(rec.failures(), Contains("Matrix access index 6 out of bounds!"));
    EXPECT_THAT(rec.failures(), Contains("Matrix access index 8 out of bounds!"));
    for (float v : solved_values(body)) {
        EXPECT_TRUE(std::isfinite(v)) << v;
    }
}

}  // namespace
