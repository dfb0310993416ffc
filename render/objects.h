#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "render/buffer_object.h"
#include "render/materials.h"
#include "render/vertex.h"

namespace Quarn::Objects {

class ObjectBase;

// Faces of one size over the vertices of its owner, with the materials they use.
class Mesh {
public:
    Mesh(ObjectBase* owner, const std::string& material_name, int vertices_per_face, bool stripped,
         int reserve);
    ~Mesh();

    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    void update_ibo();
    // One vertex array object per call, through the current program.
    void draw(int instances, bool adjacency);

    ObjectBase* owner;
    int vertices_per_face;
    GLenum primitive;
    std::vector<std::string> material_names;
    std::vector<std::uint32_t> indices;
    std::vector<std::uint32_t> adjacency_indices;
    BufferObject ibo{BufferKind::index, BufferUsage::dynamic_draw};
    BufferObject adjacency_ibo{BufferKind::index, BufferUsage::dynamic_draw};
};

// Retained geometry: vertices in one buffer, index lists by name, materials by name. The buffers
// change only through update_vbo and update_ibos.
class ObjectBase {
public:
    explicit ObjectBase(int reserve);
    virtual ~ObjectBase();

    ObjectBase(const ObjectBase&) = delete;
    ObjectBase& operator=(const ObjectBase&) = delete;

    void update_vbo();
    void update_ibos();
    void draw(int instances, bool adjacency);

    std::vector<Vertex> vertices;
    std::map<std::string, std::unique_ptr<Mesh>> meshes;
    std::map<std::string, std::unique_ptr<Materials::MaterialBase>> materials;
    std::unique_ptr<BufferObject> vbo;
};

// An object filled by hand: one mesh "[RawMesh]" of faces of one size, one material.
class ObjectRaw : public ObjectBase {
public:
    ObjectRaw(int vertex_reserve, int face_count, int vertices_per_face, bool stripped);
    ~ObjectRaw() override;

    void add_vertex(const Vertex& vertex);
    void add_index(std::uint32_t index);
};

}  // namespace Quarn::Objects
