#pragma once

#include "math/matrix.h"

namespace Quarn::Matrices {

// Where on the window a view is drawn and how the scene is projected into it.
class ProjectionBase {
public:
    // screen_rect is (x, y, width, height) in window pixels, origin lower left.
    ProjectionBase(const Vec4i& screen_rect, float near_clip, float far_clip, bool orthographic);
    virtual ~ProjectionBase();

    Mat4f projection_matrix() const;
    // Sets viewport and scissor rectangle (without enabling the scissor test).
    void apply_viewport() const;

    Vec4i screen_rect;
    Vec2i screen_size;
    Vec4i view_rect;
    float left = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
    float top = 0.0f;
    float near_clip;
    float far_clip;
    float aspect;
    bool orthographic;
};

// A symmetric perspective frustum with a vertical field of view in degrees.
class Projection3D : public ProjectionBase {
public:
    Projection3D(const Vec4i& screen_rect, float fov_y, float near_clip, float far_clip);
    ~Projection3D() override;

    float fov_y;
};

// The rectangle last applied; (0, 0, -1, -1) before any.
const Vec4i& current_viewport();

// Depth in [0, 1] of one pixel of the framebuffer bound for reading.
float read_depth(int x, int y);

// Maps a window point (x, y with y up, depth in [0, 1]) back through `matrix` and the current
// viewport into the space `matrix` maps from.
Vec3f unproject(const Mat4f& matrix, const Vec3f& window_point);

}  // namespace Quarn::Matrices
