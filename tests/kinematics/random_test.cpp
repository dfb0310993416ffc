#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "kinematics/body.h"
#include "kinematics/random.h"

namespace {

// The documented start of std::mt19937 with its default seed 5489, and its
// 10000th output.
constexpr uint32_t first_outputs[] = {3499211612u, 581869302u, 3890346734u, 3586334585u,
                                      545404204u};
constexpr uint32_t output_10000 = 4123659995u;

float expected_draw(uint32_t k, float low, float high) {
    return static_cast<float>(k) / 4294967296.0f * (high - low) + low;
}

// Runs f on a thread of its own, where the generator starts from its seed.
template <typename F>
void on_fresh_thread(F f) {
    std::thread t(f);
    t.join();
}

TEST(RandomSource, EachThreadStartsFromTheDefaultSeed) {
    Sinew::random_engine().discard(3);  // this thread's draws touch no other thread
    for (int run = 0; run < 2; ++run) {
        std::vector<uint32_t> got;
        uint32_t ten_thousandth = 0;
        on_fresh_thread([&] {
            for (int i = 0; i < 5; ++i) {
                got.push_back(Sinew::random_engine()());
            }
            Sinew::random_engine().discard(10000 - 6);
            ten_thousandth = Sinew::random_engine()();
        });
        EXPECT_EQ(got, std::vector<uint32_t>(std::begin(first_outputs), std::end(first_outputs)));
        EXPECT_EQ(ten_thousandth, output_10000);
    }
}

TEST(RandomSource, DrawScalesOneOutputIntoTheRange) {
    float a = 0, b = 0;
    on_fresh_thread([&] {
        a = Sinew::random_float(-180, 180);
        b = Sinew::random_float(2, 4);
    });
    EXPECT_NEAR(a, expected_draw(first_outputs[0], -180, 180), 1e-4f);
    EXPECT_NEAR(b, expected_draw(first_outputs[1], 2, 4), 1e-6f);
}

TEST(RandomSource, BodyRandomizeDrawsJointByJointThenConstrains) {
    std::vector<float> shown, solved;
    on_fresh_thread([&] {
        Sinew::Body body;
        Sinew::Node* n[4];
        for (Sinew::Node*& node : n) {
            node = body.add_node(identity4(), translation(0, 1, 0));
        }
        body.add_joint_ball(n[0], n[1], 1, 2, 3);
        body.add_joint_hinge(n[1], n[2], 4)->angle_x.set_limits(0, 150);
        body.add_joint_twist(n[2], n[3], 5)->angle_y.set_limits(-90, 90);

        body.randomize();

        for (Sinew::JointBase* j : body.joints) {
            j->for_each_dof([&](Sinew::JointBase::DOFBase& d) {
                if (d.enabled) {
                    shown.push_back(d.value_shown);
                    solved.push_back(d.value_solved);
                }
            });
        }
    });

    std::vector<float> expected;
    for (uint32_t k : first_outputs) {
        expected.push_back(expected_draw(k, -180, 180));
    }
    // The hinge's draw lies in its range; the twist's is below -90 and clamps.
    ASSERT_GT(expected[3], 0.0f);
    ASSERT_LT(expected[3], 150.0f);
    ASSERT_LT(expected[4], -90.0f);
    expected[4] = -90;

    ASSERT_EQ(solved.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(solved[i], expected[i], 1e-4f) << "value " << i;
        EXPECT_EQ(shown[i], solved[i]) << "value " << i;
    }
}

}  // namespace
