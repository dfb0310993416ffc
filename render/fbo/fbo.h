#pragma once

#include <GL/glew.h>

#include <map>
#include <memory>
#include <vector>

#include "math/matrix.h"
#include "render/fbo/attachment.h"
#include "render/fbo/binding.h"

namespace Quarn::FBO {

// Anything an FBO keeps besides its attachments; owned and deleted with it.
class FBOItemBase {
public:
    virtual ~FBOItemBase() = default;
};

// An OpenGL framebuffer with renderbuffer attachments; a multisampled one owns a single-sampled
// companion of the same size to resolve into.
class FBOBase {
public:
    static constexpr int depth_key = -1;
    static constexpr int depth_stencil_key = -2;

    FBOBase(const Vec2i& size, int samples);
    virtual ~FBOBase();

    FBOBase(const FBOBase&) = delete;
    FBOBase& operator=(const FBOBase&) = delete;

    bool attach_color(int precision, int index);
    bool attach_depth(int precision);
    bool check_complete();

    AttachmentBase* color_attachment(int index);
    std::vector<GLenum> color_draw_buffers() const;
    std::vector<GLenum> draw_buffers_for(const std::vector<int>& indices) const;

    void bind_write_all();

    // Index -1 resolves no colour buffer.
    void resolve(int index, GLbitfield mask);
    void resolve(int index);

    int kind = 2;
    Vec3i size;
    int samples;
    GLuint name = 0;
    std::map<int, std::unique_ptr<AttachmentBase>> attachments;
    std::unique_ptr<FBOBase> resolve_target;
    // Nothing in the library fills it yet.
    std::map<int, std::unique_ptr<FBOItemBase>> items;
};

class FBO2D : public FBOBase {
public:
    FBO2D(const Vec2i& size, int samples);
    ~FBO2D() override;
};

}  // namespace Quarn::FBO
