#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "render/vertex.h"
#include "tests/render/gl_spy.h"

// Records the GL calls through which geometry reaches the driver, with the swaps of gl_spy.h; the
// calls still reach the driver. Recorders may nest.
namespace geometry_spy {

struct Upload {
    GLenum target;
    GLsizeiptr bytes;
    std::vector<unsigned char> data;

    // The uploaded records, for uploads to GL_ARRAY_BUFFER.
    std::vector<Quarn::Vertex> vertices() const {
        std::vector<Quarn::Vertex> out(data.size() / sizeof(Quarn::Vertex));
        if (!out.empty())
            std::memcpy(out.data(), data.data(), out.size() * sizeof(Quarn::Vertex));
        return out;
    }
    std::vector<std::uint32_t> indices() const {
        std::vector<std::uint32_t> out(data.size() / 4);
        if (!out.empty())
            std::memcpy(out.data(), data.data(), out.size() * 4);
        return out;
    }
};

class BufferData {
public:
    BufferData() { calls().clear(); }

    static std::vector<Upload>& calls() {
        static std::vector<Upload> c;
        return c;
    }
    // The vertex records of every upload to GL_ARRAY_BUFFER, one list per upload.
    static std::vector<std::vector<Quarn::Vertex>> vertex_uploads() {
        std::vector<std::vector<Quarn::Vertex>> out;
        for (const Upload& u : calls()) {
            if (u.target == GL_ARRAY_BUFFER)
                out.push_back(u.vertices());
        }
        return out;
    }

private:
    using Entry = gl_spy::Swap<PFNGLBUFFERDATAPROC, &__glewBufferData>;
    static void GLAPIENTRY hook(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
        Upload u{target, size, {}};
        if (data != nullptr && size > 0) {
            const auto* bytes = static_cast<const unsigned char*>(data);
            u.data.assign(bytes, bytes + size);
        }
        calls().push_back(u);
        Entry::original()(target, size, data, usage);
    }
    Entry swap_{&hook};
};

struct AttributePointer {
    GLuint location;
    GLint components;
    GLenum type;
    GLboolean normalized;
    GLsizei stride;
    std::uintptr_t offset;
};

// Attribute pointers together with the arrays enabled.
class VertexAttribPointer {
public:
    VertexAttribPointer() {
        calls().clear();
        enabled().clear();
    }

    static std::vector<AttributePointer>& calls() {
        static std::vector<AttributePointer> c;
        return c;
    }
    static std::vector<GLuint>& enabled() {
        static std::vector<GLuint> e;
        return e;
    }

private:
    using PointerEntry = gl_spy::Swap<PFNGLVERTEXATTRIBPOINTERPROC, &__glewVertexAttribPointer>;
    using EnableEntry =
        gl_spy::Swap<PFNGLENABLEVERTEXATTRIBARRAYPROC, &__glewEnableVertexAttribArray>;
    static void GLAPIENTRY hook_pointer(GLuint location, GLint size, GLenum type,
                                        GLboolean normalized, GLsizei stride, const void* pointer) {
        calls().push_back(
            {location, size, type, normalized, stride, reinterpret_cast<std::uintptr_t>(pointer)});
        PointerEntry::original()(location, size, type, normalized, stride, pointer);
    }
    static void GLAPIENTRY hook_enable(GLuint location) {
        enabled().push_back(location);
        EnableEntry::original()(location);
    }
    PointerEntry swap_pointer_{&hook_pointer};
    EnableEntry swap_enable_{&hook_enable};
};

struct InstancedDraw {
    GLenum mode;
    GLsizei count;
    GLsizei instances;
};

class DrawElementsInstanced {
public:
    DrawElementsInstanced() { calls().clear(); }

    static std::vector<InstancedDraw>& calls() {
        static std::vector<InstancedDraw> c;
        return c;
    }

private:
    using Entry = gl_spy::Swap<PFNGLDRAWELEMENTSINSTANCEDPROC, &__glewDrawElementsInstanced>;
    static void GLAPIENTRY hook(GLenum mode, GLsizei count, GLenum type, const void* indices,
                                GLsizei instances) {
        calls().push_back({mode, count, instances});
        Entry::original()(mode, count, type, indices, instances);
    }
    Entry swap_{&hook};
};

}  // namespace geometry_spy
