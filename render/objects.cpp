#include "render/objects.h"

#include <algorithm>

#include "math/assert_warn.h"
#include "render/shading/program.h"

namespace Quarn::Objects {

namespace {

// The adjacency form of a primitive, or 0 when it has none.
GLenum adjacency_mode(GLenum primitive) {
    switch (primitive) {
        case GL_LINES:
            return GL_LINES_ADJACENCY;
        case GL_LINE_STRIP:
            return GL_LINE_STRIP_ADJACENCY;
        case GL_TRIANGLES:
            return GL_TRIANGLES_ADJACENCY;
        case GL_TRIANGLE_STRIP:
            return GL_TRIANGLE_STRIP_ADJACENCY;
        default:
            return 0;
    }
}

const char* primitive_name(GLenum primitive) {
    switch (primitive) {
        case GL_POINTS:
            return "0x0000";
        case GL_LINE_LOOP:
            return "0x0002";
        case GL_TRIANGLE_FAN:
            return "0x0006";
        case GL_QUADS:
            return "0x0007";
        case GL_QUAD_STRIP:
            return "0x0008";
        case GL_PATCHES:
            return "0xE";
        default:
            return "<unknown type>";
    }
}

// Core profiles have no quads: each (a, b, c, d) becomes (a, b, c) and (a, c, d); a trailing
// incomplete quad is left out.
std::vector<std::uint32_t> quads_as_triangles(const std::vector<std::uint32_t>& quads) {
    std::vector<std::uint32_t> triangles;
    triangles.reserve(quads.size() / 4 * 6);
    for (std::size_t i = 0; i + 4 <= quads.size(); i += 4) {
        const std::uint32_t a = quads[i], b = quads[i + 1], c = quads[i + 2], d = quads[i + 3];
        triangles.insert(triangles.end(), {a, b, c, a, c, d});
    }
    return triangles;
}

void draw_elements(GLenum mode, GLsizei count, int instances) {
    if (instances == 1) {
        glDrawElements(mode, count, GL_UNSIGNED_INT, nullptr);
    } else {
        // A negative count would only raise a GL error; nothing is drawn either way.
        glDrawElementsInstanced(mode, count, GL_UNSIGNED_INT, nullptr, std::max(instances, 0));
    }
}

}  // namespace

Mesh::Mesh(ObjectBase* owner, const std::string& material_name, int vertices_per_face,
           bool stripped, int reserve)
    : owner(owner),
      vertices_per_face(vertices_per_face),
      primitive(primitive_for(vertices_per_face, stripped)) {
    material_names.push_back(material_name);
    assert_warn(reserve >= 0, "Cannot preallocate a negative number (%d) of indices!", reserve);
    if (reserve > 0)
        indices.reserve(static_cast<std::size_t>(reserve));
}

Mesh::~Mesh() = default;

void Mesh::update_ibo() {
    assert_warn(!indices.empty(), "Cannot update mesh VBOs if the mesh contains no indices!");
    ibo.upload(static_cast<GLsizeiptr>(4 * indices.size()), indices.data());
}

void Mesh::draw(int instances, bool adjacency) {
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);

    owner->vbo->bind(true);
    assert_warn(owner->vbo->updated, "Invalid vertex VBO; %s", "VBO was not updated.");
    const BufferObject& buffer = adjacency ? adjacency_ibo : ibo;
    buffer.bind(true);
    if (adjacency) {
        assert_warn(buffer.updated, "Invalid index adjacency IBO; %s", "IBO was not updated.");
    } else {
        assert_warn(buffer.updated, "Invalid index IBO; %s", "IBO was not updated.");
    }
    const std::vector<std::uint32_t>& list = adjacency ? adjacency_indices : indices;

    Shading::ShaderProgram* program = Shading::current_program();
    assert_warn(program != nullptr, "Cannot draw a mesh without a current program!");
    // The first index picks the vertex whose flags wire the whole mesh; it must exist.
    const bool first_valid = !list.empty() && list.front() < owner->vertices.size();
    assert_warn(list.empty() || first_valid,
                "Index (%u) designates no vertex of the %d the object holds!",
                list.empty() ? 0u : list.front(), static_cast<int>(owner->vertices.size()));
    if (program != nullptr && first_valid) {
        const Vertex& first = owner->vertices[list.front()];
        program->wire_vertex_layout(true, first.has_normal, first.has_texcoord, first.has_tangent,
                                    first.has_color);
    }

    GLenum mode = primitive;
    if (adjacency) {
        mode = adjacency_mode(primitive);
        assert_warn(mode != 0, "Cannot draw adjacency information for a mesh of type %s!",
                    primitive_name(primitive));
    }
    if (mode == 0 || program == nullptr || !first_valid) {
        glBindVertexArray(0);
        glDeleteVertexArrays(1, &vao);
        return;
    }

    if (mode == GL_QUADS) {
        const std::vector<std::uint32_t> triangles = quads_as_triangles(list);
        BufferObject split(BufferKind::index, BufferUsage::stream_draw);
        if (!triangles.empty()) {
            split.upload(static_cast<GLsizeiptr>(4 * triangles.size()), triangles.data());
            draw_elements(GL_TRIANGLES, static_cast<GLsizei>(triangles.size()), instances);
        }
    } else {
        // A quad strip covers the same area as a triangle strip of the same vertices.
        if (mode == GL_QUAD_STRIP)
            mode = GL_TRIANGLE_STRIP;
        draw_elements(mode, static_cast<GLsizei>(list.size()), instances);
    }
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);
}

ObjectBase::ObjectBase(int reserve) {
    assert_warn(reserve >= 0, "Cannot preallocate a negative number (%d) of vertices!", reserve);
    if (reserve > 0)
        vertices.reserve(static_cast<std::size_t>(reserve));
    vbo = std::make_unique<BufferObject>(BufferKind::vertex, BufferUsage::dynamic_draw);
}

ObjectBase::~ObjectBase() {
    vbo.reset();
    meshes.clear();
    materials.clear();
}

void ObjectBase::update_vbo() {
    assert_warn(!vertices.empty(), "Cannot update object VBOs if the object contains no vertices!");
    vbo->upload(static_cast<GLsizeiptr>(sizeof(Vertex) * vertices.size()), vertices.data());
}

void ObjectBase::update_ibos() {
    for (auto& [name, mesh] : meshes)
        mesh->update_ibo();
}

void ObjectBase::draw(int instances, bool adjacency) {
    assert_warn(instances > 0, "Number of instances to draw must be positive (got %d)!", instances);
    for (auto& [name, mesh] : meshes)
        mesh->draw(instances, adjacency);
}

ObjectRaw::ObjectRaw(int vertex_reserve, int face_count, int vertices_per_face, bool stripped)
    : ObjectBase(vertex_reserve) {
    meshes["[RawMesh]"] = std::make_unique<Mesh>(this, "[RawMaterial]", vertices_per_face, stripped,
                                                 face_count * vertices_per_face);
    materials["[RawMaterial]"] = std::make_unique<Materials::Material2D>("[SphereMaterial]");
}

ObjectRaw::~ObjectRaw() = default;

void ObjectRaw::add_vertex(const Vertex& vertex) {
    assert_warn(vertices.size() < vertices.capacity(),
                "Vertex exceeds the number of vertices reserved (%d)!",
                static_cast<int>(vertices.capacity()));
    vertices.push_back(vertex);
}

void ObjectRaw::add_index(std::uint32_t index) {
    auto found = meshes.find("[RawMesh]");
    if (found == meshes.end())
        return;
    std::vector<std::uint32_t>& list = found->second->indices;
    assert_warn(list.size() < list.capacity(),
                "Index (%u) exceeds the number of indices reserved (%d)!", index,
                static_cast<int>(list.capacity()));
    list.push_back(index);
}

}  // namespace Quarn::Objects
