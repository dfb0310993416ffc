#include "render/projection.h"

#include <GL/glew.h>

#include <cmath>

#include "math/assert_warn.h"
#include "render/library_state.h"

namespace Quarn::Matrices {

ProjectionBase::ProjectionBase(const Vec4i& screen_rect, float near_clip, float far_clip,
                               bool orthographic)
    : screen_rect(screen_rect),
      screen_size(screen_rect[2], screen_rect[3]),
      view_rect(screen_rect),
      near_clip(near_clip),
      far_clip(far_clip),
      aspect(static_cast<float>(screen_rect[2]) / static_cast<float>(screen_rect[3])),
      orthographic(orthographic) {
    assert_warn(screen_rect[0] >= 0, "Screen rect left must be nonnegative (got %d)!",
                screen_rect[0]);
    assert_warn(screen_rect[1] >= 0, "Screen rect bottom must be nonnegative (got %d)!",
                screen_rect[1]);
    assert_warn(screen_rect[2] > 0, "Screen rect width must be positive (got %d)!", screen_rect[2]);
    assert_warn(screen_rect[3] > 0, "Screen rect height must be positive (got %d)!",
                screen_rect[3]);
    assert_warn(near_clip <= far_clip,
                "Near clip plane (got %f) must be no greater than the far clip plane (got %f)!",
                static_cast<double>(near_clip), static_cast<double>(far_clip));
}

ProjectionBase::~ProjectionBase() = default;

Mat4f ProjectionBase::projection_matrix() const {
    return make_projection(orthographic, left, right, bottom, top, near_clip, far_clip);
}

void ProjectionBase::apply_viewport() const {
    glViewport(view_rect[0], view_rect[1], view_rect[2], view_rect[3]);
    glScissor(view_rect[0], view_rect[1], view_rect[2], view_rect[3]);
    library().current_viewport = view_rect;
}

Projection3D::Projection3D(const Vec4i& screen_rect, float fov_y, float near_clip, float far_clip)
    : ProjectionBase(screen_rect, near_clip, far_clip, false), fov_y(fov_y) {
    const float t = std::tan(deg_to_rad(fov_y * 0.5f)) * near_clip;
    const float r = t * aspect;
    left = -r;
    right = r;
    bottom = -t;
    top = t;
}

Projection3D::~Projection3D() = default;

const Vec4i& current_viewport() {
    return library().current_viewport;
}

float read_depth(int x, int y) {
    float depth = 0.0f;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

Vec3f unproject(const Mat4f& matrix, const Vec3f& window_point) {
    const Vec4i& viewport = current_viewport();
    const float vx = static_cast<float>(viewport[0]);
    const float vy = static_cast<float>(viewport[1]);
    const float vw = static_cast<float>(viewport[2]);
    const float vh = static_cast<float>(viewport[3]);
    const float nx = 2.0f * (window_point[0] - vx) / vw - 1.0f;
    const float ny = 2.0f * (window_point[1] - vy) / vh - 1.0f;
    const float nz = 2.0f * window_point[2] - 1.0f;
    Vec4f p = matrix.inverse() * Vec4f(nx, ny, nz, 1.0f);
    assert_warn(p[3] != 0.0f, "Vertex w coordinate is zero!");
    p /= p[3];
    return Vec3f(p);
}

}  // namespace Quarn::Matrices
