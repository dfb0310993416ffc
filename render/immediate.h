#pragma once

#include "math/matrix.h"

// Drawing without building an object: each face goes to the current program as soon as its last
// vertex arrives.
namespace Quarn {

// Starts a group of faces of 1 to 4 vertices; stripped faces share vertices with the previous one.
void begin(int vertices_per_face, bool stripped);
// The colour of the vertices that follow; it persists across begin/end.
void color(float r, float g, float b, float a);
void color(const Vec3f& rgb);
void vertex(float x, float y, float z, float w);
void vertex(const Vec3f& xyz);
// Closes the group; the vertices of an incomplete face are dropped.
void end();

}  // namespace Quarn
