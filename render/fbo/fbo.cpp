#include "render/fbo/fbo.h"

#include "math/assert_warn.h"
#include "render/library_state.h"

namespace Quarn::FBO {

FBOBase::FBOBase(const Vec2i& size, int samples) : size(size[0], size[1], -1), samples(samples) {
    assert_warn(size[0] > 0 && size[1] > 0,
                "Each framebuffer dimension must be greater than zero (got %dx%d).", size[0],
                size[1]);
    assert_warn(samples >= 1, "Samples must be at least 1 (got %d)!", samples);
    glGenFramebuffers(1, &name);
    if (samples >= 2)
        resolve_target = std::make_unique<FBOBase>(size, 1);
    check_complete();
}

FBOBase::~FBOBase() {
    resolve_target.reset();
    for (auto& [key, attachment] : attachments) {
        attachment->detach_from_fbo();
        attachment.reset();
    }
    attachments.clear();
    items.clear();
    glDeleteFramebuffers(1, &name);
    // GL falls back to the default framebuffer for a deleted binding; so do the records, which
    // would otherwise point at freed memory.
    LibraryState& state = library();
    auto forget = [this](FramebufferBinding& record) {
        if (record.fbo == this)
            record = FramebufferBinding{};
    };
    forget(state.current_read);
    forget(state.current_write);
    for (FramebufferBinding& record : state.read_stack)
        forget(record);
    for (FramebufferBinding& record : state.write_stack)
        forget(record);
}

bool FBOBase::attach_color(int precision, int index) {
    assert_warn(index >= 0, "Color attachment target index must be nonnegative!");
    const bool taken = attachments.count(index) != 0;
    assert_warn(!taken, "A color attachment has already been attached to index %d!", index);
    if (index < 0 || taken)
        return check_complete();
    auto attachment = std::make_unique<AttachmentRenderbufferRGBA>(this, precision, index);
    attachment->attach_to_fbo();
    attachments[index] = std::move(attachment);
    if (samples > 1 && resolve_target)
        resolve_target->attach_color(precision, index);
    return check_complete();
}

bool FBOBase::attach_depth(int precision) {
    const bool has_depth = attachments.count(depth_key) != 0;
    const bool has_depth_stencil = attachments.count(depth_stencil_key) != 0;
    assert_warn(!has_depth, "A depth attachment has already been attached!");
    assert_warn(!has_depth_stencil,
                "A depth-stencil attachment has already been attached!  FBOs cannot have both a "
                "depth and a depth-stencil attachment!");
    if (has_depth || has_depth_stencil)
        return check_complete();
    auto attachment = std::make_unique<AttachmentRenderbufferDepth>(this, precision);
    attachment->attach_to_fbo();
    attachments[depth_key] = std::move(attachment);
    if (samples > 1 && resolve_target)
        resolve_target->attach_depth(precision);
    return check_complete();
}

bool FBOBase::check_complete() {
    push_write();
    bind_write_all();
    bool complete = false;
    switch (kind) {
        case 2:
            complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
            break;
        case 3:
            assert_warn(false, "Implementation error: not implemented!");
            assert_warn(false, "Implementation error!");
            break;
        default:
            assert_warn(false, "Implementation error!");
            break;
    }
    pop_write();
    if (!complete)
        return false;
    if (samples < 2 || !resolve_target)
        return true;
    return resolve_target->check_complete();
}

AttachmentBase* FBOBase::color_attachment(int index) {
    assert_warn(index >= 0, "Color attachment target index must be nonnegative!");
    if (index < 0)
        return nullptr;
    auto found = attachments.find(index);
    if (found == attachments.end())
        return nullptr;
    if (samples >= 2 && resolve_target) {
        auto companion = resolve_target->attachments.find(index);
        if (companion != resolve_target->attachments.end())
            return companion->second.get();
    }
    return found->second.get();
}

std::vector<GLenum> FBOBase::color_draw_buffers() const {
    std::vector<GLenum> buffers;
    for (const auto& [key, attachment] : attachments) {
        if (key >= 0)
            buffers.push_back(attachment->draw_buffer);
    }
    return buffers;
}

std::vector<GLenum> FBOBase::draw_buffers_for(const std::vector<int>& indices) const {
    std::vector<GLenum> buffers;
    for (int index : indices) {
        auto found = attachments.find(index);
        assert_warn(found != attachments.end(), "Color index %d does not exist in FBO!", index);
        assert_warn(index >= 0, "Color attachment target index must be nonnegative!");
        // A missing or non-colour key names no buffer to draw to.
        if (found == attachments.end() || index < 0)
            continue;
        buffers.push_back(found->second->draw_buffer);
    }
    return buffers;
}

void FBOBase::resolve(int index, GLbitfield mask) {
    assert_warn(resolve_target != nullptr,
                "Cannot resolve a framebuffer that is not multisampled!");
    if (!resolve_target)
        return;
    if (index == -1) {
        bind_read(this);
    } else {
        bind_read(this, index);
    }
    resolve_target->bind_write_all();
    const Vec4i rect(0, 0, size[0], size[1]);
    copy_framebuffer(rect, rect, mask, CopyFilter::nearest);
    bind_write(nullptr);
    bind_read(nullptr);
}

void FBOBase::resolve(int index) {
    const bool has_depth = attachments.count(depth_key) != 0;
    const bool has_depth_stencil = attachments.count(depth_stencil_key) != 0;
    if (has_depth && has_depth_stencil) {
        assert_warn(color_attachment(index) != nullptr,
                    "There is no color attachment attached to index %d!", index);
        resolve(index, GL_COLOR_BUFFER_BIT);
    } else if (has_depth) {
        resolve(index, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    } else {
        resolve(index, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }
}

FBO2D::FBO2D(const Vec2i& size, int samples) : FBOBase(size, samples) {}

FBO2D::~FBO2D() = default;

}  // namespace Quarn::FBO
