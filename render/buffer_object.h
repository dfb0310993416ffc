#pragma once

#include <GL/glew.h>

namespace Quarn {

enum class BufferKind : int { vertex = 0, index = 1 };
enum class BufferUsage : int { stream_draw = 0, static_draw = 1, dynamic_draw = 2 };

// The GL primitive for faces of 1 to 4 vertices, plain or stripped; 0 for sizes without one.
GLenum primitive_for(int vertices_per_face, bool stripped);

// One OpenGL buffer, alive as long as this object.
class BufferObject {
public:
    BufferObject(BufferKind kind, BufferUsage usage);
    ~BufferObject();

    BufferObject(const BufferObject&) = delete;
    BufferObject& operator=(const BufferObject&) = delete;

    void bind(bool on) const;
    // Replaces the whole store; the buffer stays bound afterwards.
    void upload(GLsizeiptr bytes, const void* data);

    BufferKind kind;
    BufferUsage usage;
    GLuint name = 0;
    GLenum target = 0;
    GLenum gl_usage = 0;
    bool updated = false;
};

}  // namespace Quarn
