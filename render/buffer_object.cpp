#include "render/buffer_object.h"

#include "math/assert_warn.h"

namespace Quarn {

GLenum primitive_for(int vertices_per_face, bool stripped) {
    if (stripped) {
        switch (vertices_per_face) {
            case 2:
                return GL_LINE_STRIP;
            case 3:
                return GL_TRIANGLE_STRIP;
            case 4:
                return GL_QUAD_STRIP;
            default:
                assert_warn(false, "Invalid number of vertices for stripped face (%d)!",
                            vertices_per_face);
                return 0;
        }
    }
    switch (vertices_per_face) {
        case 1:
            return GL_POINTS;
        case 2:
            return GL_LINES;
        case 3:
            return GL_TRIANGLES;
        case 4:
            return GL_QUADS;
        default:
            assert_warn(false, "Invalid number of vertices for face (%d)!", vertices_per_face);
            return 0;
    }
}

namespace {

GLenum target_for(BufferKind kind) {
    switch (kind) {
        case BufferKind::vertex:
            return GL_ARRAY_BUFFER;
        case BufferKind::index:
            return GL_ELEMENT_ARRAY_BUFFER;
    }
    assert_warn(false, "Implementation error!");
    return 0;
}

GLenum usage_for(BufferUsage usage) {
    switch (usage) {
        case BufferUsage::stream_draw:
            return GL_STREAM_DRAW;
        case BufferUsage::static_draw:
            return GL_STATIC_DRAW;
        case BufferUsage::dynamic_draw:
            return GL_DYNAMIC_DRAW;
    }
    assert_warn(false, "Implementation error!");
    return 0;
}

}  // namespace

BufferObject::BufferObject(BufferKind kind, BufferUsage usage)
    : kind(kind), usage(usage), target(target_for(kind)), gl_usage(usage_for(usage)) {
    glGenBuffers(1, &name);
}

BufferObject::~BufferObject() {
    glDeleteBuffers(1, &name);
}

void BufferObject::bind(bool on) const {
    glBindBuffer(target, on ? name : 0);
}

void BufferObject::upload(GLsizeiptr bytes, const void* data) {
    assert_warn(bytes != 0, "Must have positive number of bytes to store!");
    bind(true);
    glBufferData(target, bytes, data, gl_usage);
    updated = true;
}

}  // namespace Quarn
