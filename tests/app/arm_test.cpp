#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>
#include <random>
#include <thread>
#include <vector>

#include "app/arm.h"
#include "kinematics/random.h"

namespace {

using Sinew::Values;

// The documented start of std::mt19937 with its default seed 5489.
constexpr uint32_t first_outputs[] = {3499211612u, 581869302u, 3890346734u, 3586334585u,
                                      545404204u};

// Farther than 2.5 from the ball joint at (0, 0.5, 0).
const Vec3f unreachable(5, 0.5f, 0);

void destroy_arm() {
    delete arm;
    arm = nullptr;
    effector = nullptr;
}

class ArmTest : public ::testing::Test {
protected:
    void SetUp() override { build_arm(); }
    void TearDown() override { destroy_arm(); }
};

float distance_to_goal() {
    return (effector->world_position(Values::shown) - effector->goal).length();
}

std::vector<float> all_values() {
    std::vector<float> out;
    for (const Sinew::JointBase* j : arm->joints) {
        j->for_each_dof([&out](const Sinew::JointBase::DOFBase& d) {
            out.push_back(d.value_shown);
            out.push_back(d.value_solved);
        });
    }
    return out;
}

template <typename F>
void on_fresh_thread(F f) {
    std::thread t(f);
    t.join();
}

TEST_F(ArmTest, BuildsFiveNodesFourJointsAndTheTipEffector) {
    ASSERT_EQ(arm->nodes.size(), 5u);
    ASSERT_EQ(arm->joints.size(), 4u);
    const float attach[5][2] = {
        {0, 0.5f}, {-0.2f, 0.5f}, {-0.2f, 0.2f}, {-0.4f, 0.7f}, {-0.1f, 0.2f}};
    for (int i = 0; i < 5; ++i) {
        const Sinew::Node* n = arm->nodes[i];
        EXPECT_TRUE(n->in_attach == translation(0, attach[i][0], 0)) << "node " << i;
        EXPECT_TRUE(n->out_attach == translation(0, attach[i][1], 0)) << "node " << i;
        EXPECT_EQ(n->in_joint, i == 0 ? nullptr : arm->joints[i - 1]) << "node " << i;
        if (i > 0) {
            EXPECT_EQ(arm->joints[i - 1]->parent, arm->nodes[i - 1]);
        }
    }

    auto* ball = dynamic_cast<Sinew::JointBall*>(arm->joints[0]);
    auto* hinge = dynamic_cast<Sinew::JointHinge*>(arm->joints[1]);
    auto* twist = dynamic_cast<Sinew::JointTwist*>(arm->joints[2]);
    auto* univ = dynamic_cast<Sinew::JointUniv*>(arm->joints[3]);
    ASSERT_TRUE(ball && hinge && twist && univ);
    EXPECT_EQ(ball->angle_x.value_solved, 45.0f);
    EXPECT_EQ(ball->angle_x.value_shown, 45.0f);
    EXPECT_EQ(hinge->angle_x.value_solved, 30.0f);
    EXPECT_FALSE(ball->angle_x.limited || ball->angle_y.limited || ball->angle_z.limited);

    struct Limit {
        const Sinew::JointBase::DOFBase& dof;
        float low, high;
    };
    const Limit limits[] = {{hinge->angle_x, 0, 150},
                            {twist->angle_y, -90, 90},
                            {univ->angle_x, -80, 80},
                            {univ->angle_z, -15, 15}};
    for (const Limit& l : limits) {
        EXPECT_TRUE(l.dof.limited);
        EXPECT_EQ(l.dof.limit_low, l.low);
        EXPECT_EQ(l.dof.limit_high, l.high);
    }

    ASSERT_EQ(arm->nodes[4]->effectors.size(), 1u);
    EXPECT_EQ(*arm->nodes[4]->effectors.begin(), effector);
    EXPECT_TRUE(effector->offset == Vec3f(0, 0.2f, 0));
    EXPECT_TRUE(effector->goal == Vec3f(1, 0, 1));
    EXPECT_EQ(iterations_spent, 0);
}

TEST_F(ArmTest, StartTipLiesAlongTheBentChain) {
    // 0.7 at 45 degrees from the ball joint, then 1.8 at 75 degrees, all in the YZ plane.
    const float d45 = 3.14159265f / 4, d75 = 3.14159265f * 75 / 180;
    const Vec3f expected(0, 0.5f + 0.7f * std::cos(d45) + 1.8f * std::cos(d75),
                         0.7f * std::sin(d45) + 1.8f * std::sin(d75));
    const Vec3f tip = effector->world_position(Values::shown);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(tip[i], expected[i], 1e-5f) << "component " << i;
    }
}

TEST_F(ArmTest, FirstUpdateSolvesAndShowsTheSolvedPose) {
    const std::vector<float> before = all_values();
    update_arm();
    EXPECT_EQ(iterations_spent, 10);
    EXPECT_NE(all_values(), before);
    for (const Sinew::JointBase* j : arm->joints) {
        j->for_each_dof(
            [](const Sinew::JointBase::DOFBase& d) { EXPECT_EQ(d.value_shown, d.value_solved); });
    }
}

struct Goal {
    float x, y, z;
};

void PrintTo(const Goal& g, std::ostream* os) {
    *os << g.x << " " << g.y << " " << g.z;
}

class ReachableGoalTest : public ArmTest, public ::testing::WithParamInterface<Goal> {};

TEST_P(ReachableGoalTest, ConvergesThenHoldsStill) {
    effector->goal = Vec3f(GetParam().x, GetParam().y, GetParam().z);
    int updates = 0;
    while (distance_to_goal() >= 0.001f && updates < 60) {
        update_arm();
        ++updates;
    }
    ASSERT_LT(distance_to_goal(), 0.001f) << "after " << updates << " updates";

    const std::vector<float> settled = all_values();
    for (int frame = 0; frame < 5; ++frame) {
        update_arm();
        EXPECT_EQ(iterations_spent, 0);
    }
    EXPECT_EQ(all_values(), settled);
}

INSTANTIATE_TEST_SUITE_P(Goals, ReachableGoalTest,
                         ::testing::Values(Goal{1, 0, 1}, Goal{0, 2.5f, 0}, Goal{1.5f, 1, -0.5f},
                                           Goal{-1, 0.5f, 1}, Goal{-1.2f, 0, -1.2f},
                                           Goal{2, 0.5f, 0}, Goal{0, -1.5f, 0.3f}));

TEST_F(ArmTest, ExactlyOneThousandthAwayIsNotConverged) {
    const Vec3f tip = effector->world_position(Values::shown);
    // Every rotation of the start pose is about X, so the tip lies exactly on x = 0
    // and a goal shifted along x is exactly that far.
    ASSERT_EQ(tip[0], 0.0f);

    effector->goal = Vec3f(0.000999f, tip[1], tip[2]);
    update_arm();
    EXPECT_EQ(iterations_spent, 0);

    effector->goal = Vec3f(0.001f, tip[1], tip[2]);
    ASSERT_EQ(distance_to_goal(), 0.001f);
    update_arm();
    EXPECT_EQ(iterations_spent, 10);
}

TEST_F(ArmTest, UnreachableGoalRestartsOnEleventhUpdateAndEveryTenthAfter) {
    effector->goal = unreachable;
    for (int update = 1; update <= 35; ++update) {
        update_arm();
        // A restart zeroes the budget before the update's own 10 iterations.
        EXPECT_EQ(iterations_spent, ((update - 1) % 10 + 1) * 10) << "update " << update;
    }
}

TEST_F(ArmTest, ExtraUpdatesBringTheRestartSooner) {
    effector->goal = unreachable;
    // S pressed in each of the first five frames: two updates a frame.
    for (int frame = 1; frame <= 5; ++frame) {
        update_arm();
        update_arm();
    }
    EXPECT_EQ(iterations_spent, 100);
    update_arm();  // frame 6 restarts instead of frame 11
    EXPECT_EQ(iterations_spent, 10);
}

TEST_F(ArmTest, ExtraUpdateWhileConvergedChangesNothing) {
    effector->goal = effector->world_position(Values::shown);
    const std::vector<float> before = all_values();
    update_arm();
    update_arm();
    EXPECT_EQ(iterations_spent, 0);
    EXPECT_EQ(all_values(), before);
}

TEST_F(ArmTest, MovingTheGoalKeepsTheBudget) {
    effector->goal = unreachable;
    update_arm();
    update_arm();
    effector->goal = Vec3f(0, 0.5f, -6);
    update_arm();
    EXPECT_EQ(iterations_spent, 30);
}

// Number of generator outputs consumed after the given number of updates on
// an unreachable goal: seven, one per enabled degree of freedom, per restart.
int draws_after(int updates) {
    return updates <= 10 ? 0 : 7 * ((updates - 1) / 10);
}

TEST(ArmRandomRestart, DrawsTheSeededSequenceOnlyAtRestarts) {
    for (int updates : {10, 11, 20, 21, 31}) {
        uint32_t next = 0;
        on_fresh_thread([&] {
            build_arm();
            effector->goal = unreachable;
            for (int i = 0; i < updates; ++i) {
                update_arm();
            }
            next = Sinew::random_engine()();
            destroy_arm();
        });
        std::mt19937 reference;  // default seed 5489
        reference.discard(draws_after(updates));
        EXPECT_EQ(next, reference()) << "after " << updates << " updates";
    }
}

TEST(ArmRandomRestart, FirstRestartStartsFromTheSeedsFirstDraws) {
    std::vector<float> by_policy, by_hand;
    on_fresh_thread([&] {
        build_arm();
        effector->goal = unreachable;
        iterations_spent = 100;
        update_arm();
        by_policy = all_values();
        destroy_arm();
    });
    on_fresh_thread([&] {
        std::mt19937 reference;
        reference.discard(5);
        const uint32_t sixth = static_cast<uint32_t>(reference());
        const uint32_t seventh = static_cast<uint32_t>(reference());
        const uint32_t k[7] = {first_outputs[0], first_outputs[1], first_outputs[2],
                               first_outputs[3], first_outputs[4], sixth,
                               seventh};
        float v[7];
        for (int i = 0; i < 7; ++i) {
            v[i] = static_cast<float>(k[i]) / 4294967296.0f * 360.0f - 180.0f;
        }
        build_arm();
        effector->goal = unreachable;
        Sinew::JointBase::DOFBase* dofs[7] = {&arm->joints[0]->angle_x, &arm->joints[0]->angle_y,
                                              &arm->joints[0]->angle_z, &arm->joints[1]->angle_x,
                                              &arm->joints[2]->angle_y, &arm->joints[3]->angle_x,
                                              &arm->joints[3]->angle_z};
        for (int i = 0; i < 7; ++i) {
            dofs[i]->value_shown = dofs[i]->value_solved = v[i];
            dofs[i]->constrain();
        }
        arm->solve(10);
        for (Sinew::JointBase* j : arm->joints) {
            j->update_shown(1.0f);
        }
        by_hand = all_values();
        destroy_arm();
    });
    EXPECT_EQ(by_policy, by_hand);
}

TEST(ArmRandomRestart, SameRestartsOnEveryRun) {
    std::vector<float> runs[2];
    for (std::vector<float>& run : runs) {
        on_fresh_thread([&run] {
            build_arm();
            effector->goal = unreachable;
            for (int i = 0; i < 25; ++i) {
                update_arm();
                const std::vector<float> v = all_values();
                run.insert(run.end(), v.begin(), v.end());
            }
            destroy_arm();
        });
    }
    EXPECT_EQ(runs[0], runs[1]);
}

}  // namespace
