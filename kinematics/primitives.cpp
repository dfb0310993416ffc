#include "kinematics/primitives.h"

#include <cmath>

#include "math/assert_warn.h"
#include "render/immediate.h"

namespace Sinew {

namespace {
constexpr int arc_segments = 30;
constexpr int disc_segments = 30;
const float two_pi = static_cast<float>(2.0 * 3.141592653589793);
}  // namespace

void circle_point(int axis, float a, float r, float h) {
    const float c = r * std::cos(a);
    const float s = r * std::sin(a);
    switch (axis) {
        case 0:
            Quarn::vertex(h, c, s, 1.0f);
            break;
        case 1:
            Quarn::vertex(c, h, s, 1.0f);
            break;
        case 2:
            Quarn::vertex(c, s, h, 1.0f);
            break;
        default:
            assert_warn(false, "Implementation error!");
            break;
    }
}

void draw_dot(float r, float g, float b) {
    Quarn::begin(1, false);
    Quarn::color(r, g, b, 1.0f);
    Quarn::vertex(0.0f, 0.0f, 0.0f, 1.0f);
    Quarn::end();
}

void draw_arc(int axis, const Vec3f& rgb, float from, float to) {
    Quarn::begin(2, true);
    Quarn::color(rgb);
    for (int i = 0; i <= arc_segments; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(arc_segments);
        circle_point(axis, deg_to_rad(from + t * (to - from)), gizmo_radius, 0.0f);
    }
    Quarn::end();
}

void draw_radial(int axis, const Vec3f& rgb, float a) {
    Quarn::begin(2, false);
    Quarn::color(rgb);
    Quarn::vertex(0.0f, 0.0f, 0.0f, 1.0f);
    circle_point(axis, deg_to_rad(a), gizmo_radius, 0.0f);
    Quarn::end();
}

void draw_disc(float r, float h0, float h1) {
    Quarn::begin(3, false);
    for (int i = 0; i < disc_segments; ++i) {
        const float t0 = static_cast<float>(i) / static_cast<float>(disc_segments);
        const float t1 = static_cast<float>(i + 1) / static_cast<float>(disc_segments);
        Quarn::vertex(0.0f, h0, 0.0f, 1.0f);
        circle_point(1, t0 * two_pi, r, h1);
        circle_point(1, t1 * two_pi, r, h1);
    }
    Quarn::end();
}

}  // namespace Sinew
