#pragma once

#include <cstddef>

#include "math/matrix.h"

namespace Quarn {

// One vertex as it lies in every vertex buffer: the record is uploaded as is, 84 bytes apiece.
class Vertex {
public:
    void set_position(float x, float y, float z, float w) { position = Vec4f(x, y, z, w); }
    void set_normal(float x, float y, float z) {
        normal = Vec3f(x, y, z);
        has_normal = true;
    }
    void set_texcoord(float s, float t, float p, float q) {
        texcoord = Vec4f(s, t, p, q);
        has_texcoord = true;
    }
    void set_tangent(float x, float y, float z, float w) {
        tangent = Vec4f(x, y, z, w);
        has_tangent = true;
    }
    void set_color(float r, float g, float b, float a) {
        color = Vec4f(r, g, b, a);
        has_color = true;
    }

    Vec4f position{};
    Vec3f normal{};
    float unused = 0.0f;  // keeps texcoord on a 16-byte boundary; no attribute reads it
    Vec4f texcoord{};
    // w is the sign the generated shaders give the bitangent.
    Vec4f tangent{};
    Vec4f color{};
    bool has_normal = false;
    bool has_texcoord = false;
    bool has_tangent = false;
    bool has_color = false;
};

static_assert(sizeof(Vertex) == 84, "Vertex is the 84-byte stride of every vertex buffer");
static_assert(offsetof(Vertex, position) == 0, "position offset");
static_assert(offsetof(Vertex, normal) == 16, "normal offset");
static_assert(offsetof(Vertex, texcoord) == 32, "texcoord offset");
static_assert(offsetof(Vertex, tangent) == 48, "tangent offset");
static_assert(offsetof(Vertex, color) == 64, "color offset");
static_assert(offsetof(Vertex, has_normal) == 80, "has_normal offset");
static_assert(offsetof(Vertex, has_texcoord) == 81, "has_texcoord offset");
static_assert(offsetof(Vertex, has_tangent) == 82, "has_tangent offset");
static_assert(offsetof(Vertex, has_color) == 83, "has_color offset");

}  // namespace Quarn
