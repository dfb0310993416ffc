// The ShaderProgram operations that exist only for geometry: wiring the vertex record to the
// program's attributes and drawing records straight from memory.
#include <cstddef>
#include <vector>

#include "math/assert_warn.h"
#include "render/buffer_object.h"
#include "render/shading/program.h"
#include "render/vertex.h"

namespace Quarn::Shading {

namespace {

struct AttributeLayout {
    const char* name;
    GLint components;
    std::size_t offset;
};

const AttributeLayout vertex_layout[5] = {
    {"_vec_vert_a", 4, offsetof(Vertex, position)}, {"_vec_norm_a", 3, offsetof(Vertex, normal)},
    {"_texcoord_a", 4, offsetof(Vertex, texcoord)}, {"_vec_tang_a", 4, offsetof(Vertex, tangent)},
    {"_color_a", 4, offsetof(Vertex, color)},
};

}  // namespace

void ShaderProgram::wire_vertex_layout(bool position, bool normal, bool texcoord, bool tangent,
                                       bool color) {
    const bool wanted[5] = {position, normal, texcoord, tangent, color};
    for (int i = 0; i < 5; ++i) {
        const AttributeLayout& attribute = vertex_layout[i];
        if (!wanted[i] || !has_attribute(attribute.name))
            continue;
        const GLint found = locations[attribute.name];
        if (found < 0)
            continue;
        const GLuint location = static_cast<GLuint>(found);
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, attribute.components, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(attribute.offset));
    }
}

void ShaderProgram::draw_vertices(const Vertex* vertices, int count, int vertices_per_face,
                                  bool stripped) {
    const GLenum mode = primitive_for(vertices_per_face, stripped);
    // The first record decides the wiring; without one there is nothing to read or draw.
    assert_warn(count > 0, "Must have positive number of vertices to draw (got %d)!", count);
    assert_warn(vertices != nullptr, "Cannot draw vertices from a null pointer!");
    if (vertices == nullptr || count <= 0)
        return;
    if (mode == GL_QUADS) {
        // Core profiles have no quads: (a, b, c, d) goes as (a, b, c) and (a, c, d).
        std::vector<Vertex> triangles;
        for (int i = 0; i + 4 <= count; i += 4) {
            const Vertex* q = vertices + i;
            triangles.insert(triangles.end(), {q[0], q[1], q[2], q[0], q[2], q[3]});
        }
        if (!triangles.empty())
            draw_vertices(triangles.data(), static_cast<int>(triangles.size()), 3, false);
        return;
    }
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    {
        BufferObject buffer(BufferKind::vertex, BufferUsage::stream_draw);
        buffer.upload(static_cast<GLsizeiptr>(sizeof(Vertex)) * count, vertices);
        buffer.bind(true);
        const Vertex& first = vertices[0];
        wire_vertex_layout(true, first.has_normal, first.has_texcoord, first.has_tangent,
                           first.has_color);
        // A quad strip covers the same area as a triangle strip of the same vertices.
        glDrawArrays(mode == GL_QUAD_STRIP ? GL_TRIANGLE_STRIP : mode, 0, count);
    }
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);
}

}  // namespace Quarn::Shading
