#pragma once

#include <GL/glew.h>

#include <vector>

#include "math/matrix.h"

namespace Quarn::FBO {

class FBOBase;

// What one side (read or write) is bound to: an FBO, or none for the window's framebuffer, and
// the buffers selected on that side.
struct FramebufferBinding {
    FBOBase* fbo = nullptr;
    std::vector<GLenum> buffers;
};

enum class CopyFilter : int { nearest = 1, linear = 2 };

// Write side; null selects the default framebuffer's back buffer.
void bind_write(FBOBase* fbo);
void bind_write(FBOBase* fbo, int index);
void bind_write(FBOBase* fbo, const int* indices, int count);

// Read side; null selects the default framebuffer's back buffer.
void bind_read(FBOBase* fbo);
void bind_read(FBOBase* fbo, int index);

void push_write();
void pop_write();

// Rectangles are (x, y, width, height); negative sizes mirror the copy.
void copy_framebuffer(const Vec4i& read_rect, const Vec4i& write_rect, GLbitfield mask,
                      CopyFilter filter);
// Copies the whole read side onto the whole write side (the viewport for the default framebuffer).
void copy_bound(GLbitfield mask, CopyFilter filter);

const FramebufferBinding& current_read_binding();
const FramebufferBinding& current_write_binding();
int write_stack_depth();

}  // namespace Quarn::FBO
