#include "render/fbo/attachment.h"

#include <algorithm>

#include "math/assert_warn.h"
#include "render/fbo/fbo.h"

namespace Quarn::FBO {

namespace {

GLenum color_format(int precision) {
    switch (precision) {
        case 8:
            return GL_RGBA8;
        case 16:
            return GL_RGBA16F;
        case 32:
            return GL_RGBA32F;
        default:
            assert_warn(false, "Unrecognized color precision %d requested!", precision);
            return static_cast<GLenum>(-1);
    }
}

GLenum depth_format(int precision) {
    switch (precision) {
        case 16:
            return GL_DEPTH_COMPONENT16;
        case 24:
            return GL_DEPTH_COMPONENT24;
        case 32:
            return GL_DEPTH_COMPONENT32;
        default:
            assert_warn(false, "Unrecognized depth precision %d requested!", precision);
            return static_cast<GLenum>(-1);
    }
}

}  // namespace

AttachmentBase::AttachmentBase(FBOBase* owner, int kind, GLenum attachment_point,
                               GLenum draw_buffer)
    : owner(owner), kind(kind), attachment_point(attachment_point), draw_buffer(draw_buffer) {}

AttachmentBase::~AttachmentBase() = default;

AttachmentRenderbufferBase::AttachmentRenderbufferBase(FBOBase* owner, GLenum attachment_point,
                                                       GLenum draw_buffer, GLenum internal_format)
    : AttachmentBase(owner, 1, attachment_point, draw_buffer), internal_format(internal_format) {
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    const GLsizei width = owner->size[0];
    const GLsizei height = owner->size[1];
    if (owner->samples == 1) {
        glRenderbufferStorage(GL_RENDERBUFFER, internal_format, width, height);
    } else {
        // Above the driver's limit the storage would stay unallocated and the FBO incomplete.
        GLint max_samples = 0;
        glGetIntegerv(GL_MAX_SAMPLES, &max_samples);
        storage_samples = std::min(owner->samples, static_cast<int>(max_samples));
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, storage_samples, internal_format, width,
                                         height);
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
}

AttachmentRenderbufferBase::~AttachmentRenderbufferBase() {
    glDeleteRenderbuffers(1, &renderbuffer);
}

void AttachmentRenderbufferBase::bind_to_owner(GLuint buffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, owner->name);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment_point, GL_RENDERBUFFER, buffer);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void AttachmentRenderbufferBase::attach_to_fbo() {
    bind_to_owner(renderbuffer);
}

void AttachmentRenderbufferBase::detach_from_fbo() {
    bind_to_owner(0);
}

AttachmentRenderbufferRGBA::AttachmentRenderbufferRGBA(FBOBase* owner, int precision, int index)
    : AttachmentRenderbufferBase(owner, GL_COLOR_ATTACHMENT0 + index, GL_COLOR_ATTACHMENT0 + index,
                                 color_format(precision)),
      precision(precision),
      index(index) {}

AttachmentRenderbufferRGBA::~AttachmentRenderbufferRGBA() = default;

AttachmentRenderbufferDepth::AttachmentRenderbufferDepth(FBOBase* owner, int precision)
    : AttachmentRenderbufferBase(owner, GL_DEPTH_ATTACHMENT, GL_NONE, depth_format(precision)),
      precision(precision) {}

AttachmentRenderbufferDepth::~AttachmentRenderbufferDepth() = default;

}  // namespace Quarn::FBO
