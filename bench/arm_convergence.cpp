// How quickly the demo arm's per-frame policy reaches its goals: from the
// start pose on (1, 0, 1), and on random goals spread through the reachable
// shell around the ball joint.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "app/arm.h"

namespace {

const Vec3f ball_centre(0, 0.5f, 0);
constexpr int frames_per_second = 60;
constexpr int update_cap = 6000;

float tip_distance() {
    return (effector->world_position(Sinew::Values::shown) - effector->goal).length();
}

// Updates until the tip is within 0.001 of the goal (the update after that one
// would leave the arm alone); -1 if the cap passes first. The arm starts from
// its start pose unless chained, when it starts where the last goal left it.
int updates_to_converge(const Vec3f& goal, int cap, bool chained = false) {
    if (!chained || arm == nullptr) {
        build_arm();
    }
    effector->goal = goal;
    for (int updates = 0; updates <= cap; ++updates) {
        if (tip_distance() < 0.001f) {
            return updates;
        }
        update_arm();
    }
    return -1;
}

// The ball joint turns the rest of the arm freely, so the reachable set is a
// shell around it; its radii are the extremes of the tip's distance over the
// other joints' ranges, found on a grid.
void shell_radii(float& inner, float& outer) {
    build_arm();
    Sinew::JointBase* hinge = arm->joints[1];
    Sinew::JointBase* twist = arm->joints[2];
    Sinew::JointBase* univ = arm->joints[3];
    inner = 1e9f;
    outer = 0;
    constexpr int steps = 60;
    for (int h = 0; h <= steps; ++h) {
        for (int t = 0; t <= steps; ++t) {
            for (int ux = 0; ux <= steps; ++ux) {
                for (int uz = 0; uz <= 6; ++uz) {
                    hinge->angle_x.value_solved = 150.0f * h / steps;
                    twist->angle_y.value_solved = -90.0f + 180.0f * t / steps;
                    univ->angle_x.value_solved = -80.0f + 160.0f * ux / steps;
                    univ->angle_z.value_solved = -15.0f + 30.0f * uz / 6;
                    const float d =
                        (effector->world_position(Sinew::Values::solved) - ball_centre).length();
                    inner = std::min(inner, d);
                    outer = std::max(outer, d);
                }
            }
        }
    }
}

void report(const std::vector<Vec3f>& goals, bool chained) {
    std::vector<int> all;
    int within_second = 0;
    int never = 0;
    const int goal_count = static_cast<int>(goals.size());
    for (const Vec3f& goal : goals) {
        const int n = updates_to_converge(goal, update_cap, chained);
        if (n < 0) {
            ++never;
            all.push_back(update_cap + 1);
        } else {
            all.push_back(n);
            if (n <= frames_per_second) {
                ++within_second;
            }
        }
    }
    std::sort(all.begin(), all.end());
    std::printf("random goals: %d, each from %s\n", goal_count,
                chained ? "where the previous one left the arm" : "the start pose");
    std::printf("converged within %d updates: %d\n", frames_per_second, within_second);
    std::printf("not converged within %d updates: %d\n", update_cap, never);
    std::printf("updates to converge: median %d, 90th percentile %d, 99th percentile %d\n",
                all[goal_count / 2], all[goal_count * 9 / 10], all[goal_count * 99 / 100]);
}

}  // namespace

int main() {
    const int start_updates = updates_to_converge(Vec3f(1, 0, 1), update_cap);
    std::printf("start pose to (1, 0, 1): %d updates (%d iterations)\n", start_updates,
                start_updates * 10);

    float inner = 0, outer = 0;
    shell_radii(inner, outer);
    std::printf("reachable shell around (0, 0.5, 0): radius %.4f to %.4f\n", inner, outer);

    // Uniform by volume in the shell: a Gaussian direction and r^3 uniform
    // between the radii' cubes, from a generator of its own with seed 2014.
    std::mt19937 sampler(2014);
    std::normal_distribution<float> gauss(0.0f, 1.0f);
    std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
    constexpr int goal_count = 1000;
    std::vector<Vec3f> goals;
    for (int i = 0; i < goal_count; ++i) {
        Vec3f dir(gauss(sampler), gauss(sampler), gauss(sampler));
        dir = dir.normalized();
        const float r3 = inner * inner * inner +
                         uniform(sampler) * (outer * outer * outer - inner * inner * inner);
        goals.push_back(ball_centre + std::cbrt(r3) * dir);
    }
    report(goals, false);
    report(goals, true);
    delete arm;
    return 0;
}
