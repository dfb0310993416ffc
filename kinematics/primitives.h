#pragma once

#include "math/matrix.h"

// Immediate-mode figures of the inspection drawing, in the current model frame.
namespace Sinew {

// Radius of the angle gizmos' circles.
constexpr float gizmo_radius = 0.1f;

// Emits the vertex at angle `a` (radians) on a circle of radius r around the local axis 0, 1 or 2,
// at height h along that axis.
void circle_point(int axis, float a, float r, float h);
// One point at the origin.
void draw_dot(float r, float g, float b);
// A 30-segment arc of the gizmo circle from `from` to `to` degrees.
void draw_arc(int axis, const Vec3f& rgb, float from, float to);
// A line from the origin to the gizmo circle at `a` degrees.
void draw_radial(int axis, const Vec3f& rgb, float a);
// A disc (h0 = h1) or cone (apex at h0, rim at h1) around the local Y axis, in the current colour.
void draw_disc(float r, float h0, float h1);

}  // namespace Sinew
