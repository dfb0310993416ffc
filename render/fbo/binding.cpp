#include "render/fbo/binding.h"

#include <cstdlib>

#include "math/assert_warn.h"
#include "render/fbo/fbo.h"
#include "render/library_state.h"
#include "render/projection.h"

namespace Quarn::FBO {

namespace {

void set_draw_buffers(const std::vector<GLenum>& buffers) {
    glDrawBuffers(static_cast<GLsizei>(buffers.size()), buffers.empty() ? nullptr : buffers.data());
}

}  // namespace

void bind_write(FBOBase* fbo) {
    FramebufferBinding& current = library().current_write;
    if (fbo == nullptr) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDrawBuffer(GL_BACK);
        current = {nullptr, {GL_BACK}};
    } else {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo->name);
        glDrawBuffer(GL_NONE);
        current = {fbo, {GL_NONE}};
    }
}

void bind_write(FBOBase* fbo, int index) {
    bind_write(fbo, &index, 1);
}

void bind_write(FBOBase* fbo, const int* indices, int count) {
    assert_warn(fbo != nullptr,
                "Use the single-argument overload to choose the default framebuffer.");
    assert_warn(count >= 1, "Must have at least one color target for this overload.");
    if (fbo == nullptr || count < 1 || indices == nullptr) {
        bind_write(fbo);
        return;
    }
    const std::vector<GLenum> buffers =
        fbo->draw_buffers_for(std::vector<int>(indices, indices + count));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo->name);
    set_draw_buffers(buffers);
    library().current_write = {fbo, buffers};
}

void FBOBase::bind_write_all() {
    const std::vector<GLenum> buffers = color_draw_buffers();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, name);
    set_draw_buffers(buffers);
    library().current_write = {this, buffers};
}

void bind_read(FBOBase* fbo) {
    FramebufferBinding& current = library().current_read;
    if (fbo == nullptr) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        current = {nullptr, {GL_BACK}};
    } else {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo->name);
        glReadBuffer(GL_NONE);
        current = {fbo, {GL_NONE}};
    }
}

void bind_read(FBOBase* fbo, int index) {
    assert_warn(fbo != nullptr,
                "Use the single-argument overload to choose the default framebuffer.");
    assert_warn(index >= 0,
                "Color index must be nonnegative!  Use the single-argument overload if no "
                "colorbuffers are needed.");
    if (fbo == nullptr || index < 0) {
        bind_read(fbo);
        return;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo->name);
    AttachmentBase* attachment = fbo->color_attachment(index);
    assert_warn(attachment != nullptr, "No color attachment exists for index %d!", index);
    const GLenum buffer = attachment != nullptr ? attachment->draw_buffer : GL_NONE;
    glReadBuffer(buffer);
    library().current_read = {fbo, {buffer}};
}

void push_write() {
    LibraryState& state = library();
    state.write_stack.push_back(state.current_write);
}

void pop_write() {
    LibraryState& state = library();
    assert_warn(!state.write_stack.empty(), "Cannot pop FBO write stack; underflow!");
    if (state.write_stack.empty())
        return;
    FramebufferBinding top = state.write_stack.back();
    state.write_stack.pop_back();
    if (top.fbo != nullptr) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, top.fbo->name);
        set_draw_buffers(top.buffers);
    } else {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDrawBuffer(GL_BACK);
    }
    state.current_write = top;
}

void copy_framebuffer(const Vec4i& read_rect, const Vec4i& write_rect, GLbitfield mask,
                      CopyFilter filter) {
    assert_warn(std::abs(read_rect[2]) == std::abs(write_rect[2]) &&
                    std::abs(read_rect[3]) == std::abs(write_rect[3]),
                "Absolute value of dimensions do not match (got read (%d,%d) write (%d,%d))!",
                read_rect[2], read_rect[3], write_rect[2], write_rect[3]);
    assert_warn(filter == CopyFilter::nearest || filter == CopyFilter::linear,
                "Invalid framebuffer copy filter!");
    const GLenum gl_filter = filter == CopyFilter::nearest ? GL_NEAREST : GL_LINEAR;
    glBlitFramebuffer(read_rect[0], read_rect[1], read_rect[0] + read_rect[2],
                      read_rect[1] + read_rect[3], write_rect[0], write_rect[1],
                      write_rect[0] + write_rect[2], write_rect[1] + write_rect[3], mask,
                      gl_filter);
}

void copy_bound(GLbitfield mask, CopyFilter filter) {
    auto rect_of = [](const FramebufferBinding& side) {
        if (side.fbo == nullptr)
            return Matrices::current_viewport();
        return Vec4i(0, 0, side.fbo->size[0], side.fbo->size[1]);
    };
    const LibraryState& state = library();
    copy_framebuffer(rect_of(state.current_read), rect_of(state.current_write), mask, filter);
}

const FramebufferBinding& current_read_binding() {
    return library().current_read;
}

const FramebufferBinding& current_write_binding() {
    return library().current_write;
}

int write_stack_depth() {
    return static_cast<int>(library().write_stack.size());
}

}  // namespace Quarn::FBO
