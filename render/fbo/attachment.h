#pragma once

#include <GL/glew.h>

namespace Quarn::FBO {

class FBOBase;

class AttachmentBase {
public:
    AttachmentBase(FBOBase* owner, int kind, GLenum attachment_point, GLenum draw_buffer);
    virtual ~AttachmentBase();

    AttachmentBase(const AttachmentBase&) = delete;
    AttachmentBase& operator=(const AttachmentBase&) = delete;

    virtual void attach_to_fbo() = 0;
    virtual void detach_from_fbo() = 0;

    FBOBase* owner;
    int kind;
    GLenum attachment_point;
    GLenum draw_buffer;
};

class AttachmentRenderbufferBase : public AttachmentBase {
public:
    AttachmentRenderbufferBase(FBOBase* owner, GLenum attachment_point, GLenum draw_buffer,
                               GLenum internal_format);
    ~AttachmentRenderbufferBase() override;

    void attach_to_fbo() override;
    void detach_from_fbo() override;

    GLuint renderbuffer = 0;
    GLenum internal_format;
    // Samples the storage really has: the owner's count, capped by the driver.
    int storage_samples = 1;

private:
    void bind_to_owner(GLuint buffer);
};

class AttachmentRenderbufferRGBA : public AttachmentRenderbufferBase {
public:
    AttachmentRenderbufferRGBA(FBOBase* owner, int precision, int index);
    ~AttachmentRenderbufferRGBA() override;

    int precision;
    int index;
};

class AttachmentRenderbufferDepth : public AttachmentRenderbufferBase {
public:
    AttachmentRenderbufferDepth(FBOBase* owner, int precision);
    ~AttachmentRenderbufferDepth() override;

    int precision;
};

}  // namespace Quarn::FBO
