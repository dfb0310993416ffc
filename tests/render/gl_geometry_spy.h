#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "render/vertex.h"

// Records the GL calls through which geometry reaches the driver, by swapping GLEW's function
// pointers while a recorder lives; the calls still reach the driver.
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
    // Recorders may nest; the outermost one keeps the driver's entry point.
    BufferData() : saved_(__glewBufferData) {
        if (saved_ != &hook)
            original() = saved_;
        calls().clear();
        __glewBufferData = &hook;
    }
    ~BufferData() { __glewBufferData = saved_; }
    BufferData(const BufferData&) = delete;
    BufferData& operator=(const BufferData&) = delete;

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
    static PFNGLBUFFERDATAPROC& original() {
        static PFNGLBUFFERDATAPROC f = nullptr;
        return f;
    }
    static void GLAPIENTRY hook(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
        Upload u{target, size, {}};
        if (data != nullptr && size > 0) {
            const auto* bytes = static_cast<const unsigned char*>(data);
            u.data.assign(bytes, bytes + size);
        }
        calls().push_back(u);
        original()(target, size, data, usage);
    }
    PFNGLBUFFERDATAPROC saved_;
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
    VertexAttribPointer()
        : saved_pointer_(__glewVertexAttribPointer), saved_enable_(__glewEnableVertexAttribArray) {
        if (saved_pointer_ != &hook_pointer)
            original_pointer() = saved_pointer_;
        if (saved_enable_ != &hook_enable)
            original_enable() = saved_enable_;
        calls().clear();
        enabled().clear();
        __glewVertexAttribPointer = &hook_pointer;
        __glewEnableVertexAttribArray = &hook_enable;
    }
    ~VertexAttribPointer() {
        __glewVertexAttribPointer = saved_pointer_;
        __glewEnableVertexAttribArray = saved_enable_;
    }
    VertexAttribPointer(const VertexAttribPointer&) = delete;
    VertexAttribPointer& operator=(const VertexAttribPointer&) = delete;

    static std::vector<AttributePointer>& calls() {
        static std::vector<AttributePointer> c;
        return c;
    }
    static std::vector<GLuint>& enabled() {
        static std::vector<GLuint> e;
        return e;
    }

private:
    static PFNGLVERTEXATTRIBPOINTERPROC& original_pointer() {
        static PFNGLVERTEXATTRIBPOINTERPROC f = nullptr;
        return f;
    }
    static PFNGLENABLEVERTEXATTRIBARRAYPROC& original_enable() {
        static PFNGLENABLEVERTEXATTRIBARRAYPROC f = nullptr;
        return f;
    }
    static void GLAPIENTRY hook_pointer(GLuint location, GLint size, GLenum type,
                                        GLboolean normalized, GLsizei stride, const void* pointer) {
        calls().push_back(
            {location, size, type, normalized, stride, reinterpret_cast<std::uintptr_t>(pointer)});
        original_pointer()(location, size, type, normalized, stride, pointer);
    }
    static void GLAPIENTRY hook_enable(GLuint location) {
        enabled().push_back(location);
        original_enable()(location);
    }
    PFNGLVERTEXATTRIBPOINTERPROC saved_pointer_;
    PFNGLENABLEVERTEXATTRIBARRAYPROC saved_enable_;
};

struct InstancedDraw {
    GLenum mode;
    GLsizei count;
    GLsizei instances;
};

class DrawElementsInstanced {
public:
    DrawElementsInstanced() : saved_(__glewDrawElementsInstanced) {
        if (saved_ != &hook)
            original() = saved_;
        calls().clear();
        __glewDrawElementsInstanced = &hook;
    }
    ~DrawElementsInstanced() { __glewDrawElementsInstanced = saved_; }
    DrawElementsInstanced(const DrawElementsInstanced&) = delete;
    DrawElementsInstanced& operator=(const DrawElementsInstanced&) = delete;

    static std::vector<InstancedDraw>& calls() {
        static std::vector<InstancedDraw> c;
        return c;
    }

private:
    static PFNGLDRAWELEMENTSINSTANCEDPROC& original() {
        static PFNGLDRAWELEMENTSINSTANCEDPROC f = nullptr;
        return f;
    }
    static void GLAPIENTRY hook(GLenum mode, GLsizei count, GLenum type, const void* indices,
                                GLsizei instances) {
        calls().push_back({mode, count, instances});
        original()(mode, count, type, indices, instances);
    }
    PFNGLDRAWELEMENTSINSTANCEDPROC saved_;
};

}  // namespace geometry_spy
