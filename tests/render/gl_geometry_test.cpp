#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "render/buffer_object.h"
#include "render/objects.h"
#include "render/projection.h"
#include "render/shading/program.h"
#include "tests/render/gl_canvas.h"
#include "tests/render/gl_environment.h"
#include "tests/render/gl_geometry_spy.h"
#include "tests/support/warn_recorder.h"

using gl_canvas::Canvas;
using gl_test::Rgba;
using Quarn::Vertex;
using Quarn::Objects::Mesh;
using Quarn::Objects::ObjectRaw;
using Quarn::Shading::ShaderProgram;
using Quarn::Shading::use_program;

namespace {

constexpr int size = 64;

// The centre of pixel `p` of a `size`-pixel axis in normalised device coordinates.
float ndc(int p) {
    return (static_cast<float>(p) + 0.5f) * 2.0f / size - 1.0f;
}

Vertex coloured(int px, int py, float r, float g, float b) {
    Vertex v;
    v.set_position(ndc(px), ndc(py), 0, 1);
    v.set_color(r, g, b, 1);
    return v;
}

// The demo's line program with identity matrices, so positions are device coordinates.
class Geometry : public ::testing::Test {
public:
    void SetUp() override { program = gl_canvas::current_device_line_program(); }
    void TearDown() override { use_program(nullptr); }

    // A filled object of one mesh, both buffers uploaded.
    std::unique_ptr<ObjectRaw> object(const std::vector<Vertex>& vertices,
                                      const std::vector<std::uint32_t>& indices,
                                      int vertices_per_face, bool stripped) {
        auto o = std::make_unique<ObjectRaw>(static_cast<int>(vertices.size()),
                                             static_cast<int>(indices.size()) / vertices_per_face,
                                             vertices_per_face, stripped);
        for (const Vertex& v : vertices)
            o->add_vertex(v);
        for (std::uint32_t i : indices)
            o->add_index(i);
        o->update_vbo();
        o->update_ibos();
        return o;
    }

    Mesh& raw_mesh(ObjectRaw& o) { return *o.meshes.at("[RawMesh]"); }

    void upload_adjacency(Mesh& mesh, const std::vector<std::uint32_t>& indices) {
        mesh.adjacency_indices = indices;
        mesh.adjacency_ibo.upload(static_cast<GLsizeiptr>(4 * indices.size()), indices.data());
    }

    std::unique_ptr<ShaderProgram> program;
    Canvas canvas{size, size};
};

const Rgba red{255, 0, 0, 255};
const Rgba green{0, 255, 0, 255};
const Rgba black{0, 0, 0, 255};

TEST(BufferObjects, MapKindAndUsageAndKeepTheUploadBound) {
    using Quarn::BufferKind;
    using Quarn::BufferUsage;
    const struct {
        BufferKind kind;
        BufferUsage usage;
        GLenum target;
        GLenum gl_usage;
        GLenum binding;
    } cases[] = {
        {BufferKind::vertex, BufferUsage::stream_draw, GL_ARRAY_BUFFER, GL_STREAM_DRAW,
         GL_ARRAY_BUFFER_BINDING},
        {BufferKind::vertex, BufferUsage::static_draw, GL_ARRAY_BUFFER, GL_STATIC_DRAW,
         GL_ARRAY_BUFFER_BINDING},
        {BufferKind::index, BufferUsage::dynamic_draw, GL_ELEMENT_ARRAY_BUFFER, GL_DYNAMIC_DRAW,
         GL_ELEMENT_ARRAY_BUFFER_BINDING},
    };
    GLuint vao = 0;  // element array bindings live in a vertex array object
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    for (const auto& c : cases) {
        WarnRecorder rec;
        GLuint name = 0;
        {
            Quarn::BufferObject buffer(c.kind, c.usage);
            name = buffer.name;
            EXPECT_EQ(buffer.target, c.target);
            EXPECT_EQ(buffer.gl_usage, c.gl_usage);
            EXPECT_FALSE(buffer.updated);
            const float data[3] = {1, 2, 3};
            buffer.upload(sizeof data, data);
            EXPECT_TRUE(buffer.updated);
            GLint bound = 0, bytes = 0, usage = 0;
            glGetIntegerv(c.binding, &bound);
            glGetBufferParameteriv(c.target, GL_BUFFER_SIZE, &bytes);
            glGetBufferParameteriv(c.target, GL_BUFFER_USAGE, &usage);
            EXPECT_EQ(static_cast<GLuint>(bound), name);
            EXPECT_EQ(bytes, 12);
            EXPECT_EQ(static_cast<GLenum>(usage), c.gl_usage);
            buffer.bind(false);
            glGetIntegerv(c.binding, &bound);
            EXPECT_EQ(bound, 0);
        }
        EXPECT_EQ(glIsBuffer(name), GL_FALSE) << "the destructor deletes the GL buffer";
        EXPECT_TRUE(rec.failures().empty());
    }
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);

    WarnRecorder rec;
    Quarn::BufferObject bad(static_cast<BufferKind>(7), static_cast<BufferUsage>(9));
    EXPECT_EQ(bad.target, 0u);
    EXPECT_EQ(bad.gl_usage, 0u);
    EXPECT_EQ(rec.failures(),
              (std::vector<std::string>{"Implementation error!", "Implementation error!"}));
}

TEST_F(Geometry, RawObjectHoldsOneMeshAndOneMaterial) {
    WarnRecorder rec;
    ObjectRaw grid(44, 22, 2, false);
    ASSERT_EQ(grid.meshes.size(), 1u);
    ASSERT_EQ(grid.materials.size(), 1u);
    Mesh& mesh = raw_mesh(grid);
    EXPECT_EQ(mesh.owner, &grid);
    EXPECT_EQ(mesh.vertices_per_face, 2);
    EXPECT_EQ(mesh.primitive, static_cast<GLenum>(GL_LINES));
    EXPECT_EQ(mesh.material_names, std::vector<std::string>{"[RawMaterial]"});
    EXPECT_EQ(mesh.indices.capacity(), 44u);
    EXPECT_EQ(grid.vertices.capacity(), 44u);
    const Quarn::Materials::MaterialBase& material = *grid.materials.at("[RawMaterial]");
    EXPECT_EQ(material.name, "[SphereMaterial]");
    EXPECT_EQ(material.material_kind, 0);
    EXPECT_NE(dynamic_cast<const Quarn::Materials::Material2D*>(&material), nullptr);
    EXPECT_TRUE(rec.failures().empty());
}

TEST_F(Geometry, IndexedLineDrawsBetweenItsTwoVertices) {
    geometry_spy::BufferData uploads;
    WarnRecorder rec;
    auto line = object({coloured(10, 20, 1, 0, 0), coloured(50, 20, 1, 0, 0)}, {0, 1}, 2, false);
    line->draw(1, false);
    EXPECT_TRUE(rec.failures().empty());

    ASSERT_EQ(uploads.calls().size(), 2u);
    EXPECT_EQ(uploads.calls()[0].target, static_cast<GLenum>(GL_ARRAY_BUFFER));
    EXPECT_EQ(uploads.calls()[0].bytes, 168);
    EXPECT_EQ(uploads.calls()[1].target, static_cast<GLenum>(GL_ELEMENT_ARRAY_BUFFER));
    EXPECT_EQ(uploads.calls()[1].indices(), (std::vector<std::uint32_t>{0, 1}));

    canvas.read();
    for (int x : {12, 30, 48})
        EXPECT_TRUE(canvas.has_near(x, 20, 1, red, 2)) << canvas.around(x, 20, 1);
    for (int x : {5, 56})
        EXPECT_TRUE(canvas.all_near(x, 20, 1, black, 0)) << canvas.around(x, 20, 1);
    EXPECT_EQ(canvas.count(0, 0, size, 18, black, 0), size * 18) << "nothing off the line";
}

TEST_F(Geometry, OverrunsAreReportedAndTheListsStillGrow) {
    WarnRecorder rec;
    auto line = object({coloured(10, 20, 1, 0, 0), coloured(50, 20, 1, 0, 0)}, {0, 1}, 2, false);
    ASSERT_TRUE(rec.failures().empty());
    line->add_index(7);
    line->add_vertex(coloured(0, 0, 1, 1, 1));
    EXPECT_EQ(rec.failures(),
              (std::vector<std::string>{"Index (7) exceeds the number of indices reserved (2)!",
                                        "Vertex exceeds the number of vertices reserved (2)!"}));
    EXPECT_EQ(raw_mesh(*line).indices, (std::vector<std::uint32_t>{0, 1, 7}));
    EXPECT_EQ(line->vertices.size(), 3u);
}

TEST_F(Geometry, MisuseIsReportedWithItsMessage) {
    const struct {
        const char* name;
        void (*run)(Geometry&);
        std::vector<std::string> reports;
    } cases[] = {
        {"draw before the uploads",
         [](Geometry&) {
             ObjectRaw o(2, 1, 2, false);
             o.add_vertex(coloured(1, 1, 1, 0, 0));
             o.add_vertex(coloured(9, 9, 1, 0, 0));
             o.add_index(0);
             o.add_index(1);
             o.draw(1, false);
         },
         {"Invalid vertex VBO; VBO was not updated.", "Invalid index IBO; IBO was not updated."}},
        {"empty vertex list",
         [](Geometry&) {
             ObjectRaw o(2, 1, 2, false);
             o.update_vbo();
         },
         {"Cannot update object VBOs if the object contains no vertices!",
          "Must have positive number of bytes to store!"}},
        {"empty index list",
         [](Geometry&) {
             ObjectRaw o(2, 1, 2, false);
             o.update_ibos();
         },
         {"Cannot update mesh VBOs if the mesh contains no indices!",
          "Must have positive number of bytes to store!"}},
        {"negative reservations",
         [](Geometry&) { ObjectRaw o(-1, -2, 2, false); },
         {"Cannot preallocate a negative number (-1) of vertices!",
          "Cannot preallocate a negative number (-4) of indices!"}},
        {"no instances",
         [](Geometry& g) {
             g.object({coloured(1, 1, 1, 0, 0), coloured(9, 9, 1, 0, 0)}, {0, 1}, 2, false)
                 ->draw(0, false);
         },
         {"Number of instances to draw must be positive (got 0)!"}},
        {"adjacency buffer never uploaded",
         [](Geometry& g) {
             auto o =
                 g.object({coloured(1, 1, 1, 0, 0), coloured(9, 9, 1, 0, 0)}, {0, 1}, 2, false);
             o->draw(1, true);
         },
         {"Invalid index adjacency IBO; IBO was not updated."}},
        {"first index past the vertices",
         [](Geometry& g) {
             g.object({coloured(1, 1, 1, 0, 0), coloured(9, 9, 1, 0, 0)}, {5, 0}, 2, false)
                 ->draw(1, false);
         },
         {"Index (5) designates no vertex of the 2 the object holds!"}},
        {"no current program",
         [](Geometry& g) {
             auto o =
                 g.object({coloured(1, 1, 1, 0, 0), coloured(9, 9, 1, 0, 0)}, {0, 1}, 2, false);
             use_program(nullptr);
             o->draw(1, false);
         },
         {"Cannot draw a mesh without a current program!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        use_program(program.get());
        canvas.clear();
        WarnRecorder rec;
        c.run(*this);
        EXPECT_EQ(rec.failures(), c.reports);
        if (c.name != std::string("draw before the uploads")) {
            canvas.read();
            EXPECT_EQ(canvas.count(0, 0, size, size, black, 0), size * size) << "nothing drawn";
        }
    }
}

TEST_F(Geometry, AdjacencyFormsDrawOnlyTheInnerPrimitive) {
    // a - b - c - d on one row: plain lines are (a, b) and (c, d); with adjacency only (b, c).
    auto lines = object({coloured(2, 30, 0, 1, 0), coloured(18, 30, 0, 1, 0),
                         coloured(44, 30, 0, 1, 0), coloured(60, 30, 0, 1, 0)},
                        {0, 1, 2, 3}, 2, false);
    WarnRecorder rec;
    lines->draw(1, false);
    canvas.read();
    EXPECT_TRUE(canvas.has_near(10, 30, 1, green, 2)) << canvas.around(10, 30, 1);
    EXPECT_TRUE(canvas.all_near(31, 30, 1, black, 0)) << canvas.around(31, 30, 1);

    canvas.clear();
    upload_adjacency(raw_mesh(*lines), {0, 1, 2, 3});
    lines->draw(1, true);
    canvas.read();
    EXPECT_TRUE(canvas.has_near(31, 30, 1, green, 2)) << canvas.around(31, 30, 1);
    EXPECT_TRUE(canvas.all_near(10, 30, 1, black, 0)) << canvas.around(10, 30, 1);
    EXPECT_TRUE(canvas.all_near(52, 30, 1, black, 0)) << canvas.around(52, 30, 1);

    // A triangle strip with adjacency of six indices is the one triangle (0, 2, 4); the odd
    // vertices lie far off to the right, where the plain strip would reach.
    canvas.clear();
    auto strip =
        object({coloured(4, 4, 1, 0, 0), coloured(60, 4, 1, 0, 0), coloured(28, 4, 1, 0, 0),
                coloured(60, 30, 1, 0, 0), coloured(4, 28, 1, 0, 0), coloured(60, 60, 1, 0, 0)},
               {0, 1, 2, 3, 4, 5}, 3, true);
    upload_adjacency(raw_mesh(*strip), {0, 1, 2, 3, 4, 5});
    strip->draw(1, true);
    canvas.read();
    EXPECT_TRUE(canvas.all_near(10, 10, 2, red, 2)) << canvas.around(10, 10, 2);
    EXPECT_TRUE(canvas.all_near(50, 20, 2, black, 0)) << canvas.around(50, 20, 2);
    EXPECT_TRUE(rec.failures().empty());
}

TEST_F(Geometry, AdjacencyOfOtherPrimitivesIsReportedByNameAndDrawsNothing) {
    const struct {
        GLenum primitive;
        const char* name;
    } cases[] = {
        {GL_POINTS, "0x0000"},      {GL_LINE_LOOP, "0x0002"},  {GL_TRIANGLE_FAN, "0x0006"},
        {GL_QUADS, "0x0007"},       {GL_QUAD_STRIP, "0x0008"}, {GL_PATCHES, "0xE"},
        {0x1234, "<unknown type>"},
    };
    auto o = object({coloured(4, 4, 1, 0, 0), coloured(60, 4, 1, 0, 0), coloured(30, 60, 1, 0, 0),
                     coloured(4, 60, 1, 0, 0)},
                    {0, 1, 2, 3}, 1, false);
    upload_adjacency(raw_mesh(*o), {0, 1, 2, 3});
    for (const auto& c : cases) {
        canvas.clear();
        raw_mesh(*o).primitive = c.primitive;
        WarnRecorder rec;
        geometry_spy::VertexAttribPointer wiring;
        o->draw(1, true);
        EXPECT_EQ(rec.failures(),
                  std::vector<std::string>{
                      std::string("Cannot draw adjacency information for a mesh of type ") +
                      c.name + "!"});
        // The first vertex's layout is wired before the mode is looked at.
        std::vector<std::uintptr_t> offsets;
        for (const geometry_spy::AttributePointer& call : wiring.calls())
            offsets.push_back(call.offset);
        EXPECT_EQ(offsets, (std::vector<std::uintptr_t>{0, 64})) << c.name;
        canvas.read();
        EXPECT_EQ(canvas.count(0, 0, size, size, black, 0), size * size) << c.name;
    }
}

TEST_F(Geometry, SeveralInstancesGoThroughTheInstancedDraw) {
    auto line = object({coloured(10, 20, 1, 0, 0), coloured(50, 20, 1, 0, 0)}, {0, 1}, 2, false);
    geometry_spy::DrawElementsInstanced spy;
    line->draw(1, false);
    EXPECT_TRUE(spy.calls().empty()) << "one instance is a plain draw";
    line->draw(3, false);
    ASSERT_EQ(spy.calls().size(), 1u);
    EXPECT_EQ(spy.calls()[0].mode, static_cast<GLenum>(GL_LINES));
    EXPECT_EQ(spy.calls()[0].count, 2);
    EXPECT_EQ(spy.calls()[0].instances, 3);
    canvas.read();
    EXPECT_TRUE(canvas.has_near(30, 20, 1, red, 2)) << canvas.around(30, 20, 1);
}

TEST_F(Geometry, QuadMeshesCoverTheirWholeArea) {
    // Core profiles lack quads; the square must still be filled, its diagonal included.
    const Rgba blue{0, 0, 255, 255};
    auto quad = object({coloured(8, 8, 0, 0, 1), coloured(40, 8, 0, 0, 1),
                        coloured(40, 40, 0, 0, 1), coloured(8, 40, 0, 0, 1)},
                       {0, 1, 2, 3}, 4, false);
    // Two quads of a strip: (0, 1, 2, 3) and (2, 3, 4, 5), side by side.
    auto strip =
        object({coloured(44, 8, 0, 0, 1), coloured(44, 40, 0, 0, 1), coloured(52, 8, 0, 0, 1),
                coloured(52, 40, 0, 0, 1), coloured(60, 8, 0, 0, 1), coloured(60, 40, 0, 0, 1)},
               {0, 1, 2, 3, 4, 5}, 4, true);
    WarnRecorder rec;
    quad->draw(1, false);
    strip->draw(1, false);
    EXPECT_TRUE(rec.failures().empty());
    canvas.read();
    // Interiors, one pixel in from the rims where the edge rule may go either way.
    EXPECT_EQ(canvas.count(10, 10, 39, 39, blue, 0), 29 * 29);
    EXPECT_EQ(canvas.count(46, 10, 59, 39, blue, 0), 13 * 29);
    EXPECT_EQ(canvas.count(0, 42, size, size, black, 0), size * (size - 42));
}

TEST_F(Geometry, DrawVerticesTakesRecordsStraightFromMemory) {
    const Rgba blue{0, 0, 255, 255};
    const Vertex square[4] = {coloured(8, 8, 0, 0, 1), coloured(40, 8, 0, 0, 1),
                              coloured(40, 40, 0, 0, 1), coloured(8, 40, 0, 0, 1)};
    // The same square as a strip: (0, 1, 3, 2) in strip order.
    const Vertex strip[4] = {square[0], square[1], square[3], square[2]};
    const struct {
        const char* name;
        const Vertex* vertices;
        int count, vertices_per_face;
        bool stripped;
    } cases[] = {
        {"quad", square, 4, 4, false},
        {"quad strip", strip, 4, 4, true},
        {"triangle strip", strip, 4, 3, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        canvas.clear();
        WarnRecorder rec;
        program->draw_vertices(c.vertices, c.count, c.vertices_per_face, c.stripped);
        EXPECT_TRUE(rec.failures().empty());
        canvas.read();
        EXPECT_EQ(canvas.count(10, 10, 39, 39, blue, 0), 29 * 29);
        EXPECT_EQ(canvas.count(0, 42, size, size, black, 0), size * (size - 42));
    }

    canvas.clear();
    WarnRecorder rec;
    geometry_spy::BufferData uploads;
    program->draw_vertices(square, 0, 3, false);
    program->draw_vertices(nullptr, 3, 3, false);
    EXPECT_EQ(rec.failures(),
              (std::vector<std::string>{"Must have positive number of vertices to draw (got 0)!",
                                        "Cannot draw vertices from a null pointer!"}));
    EXPECT_TRUE(uploads.calls().empty());
}

// A program that uses all five attributes, so that only the wiring decides what is read.
std::unique_ptr<ShaderProgram> all_attributes_program() {
    auto program = std::make_unique<ShaderProgram>();
    auto* v = new Quarn::Shading::ShaderVertex(gl_test::context(), "", "", "");
    v->set_source(
        "#version 330 core\n"
        "in vec4 _vec_vert_a; in vec3 _vec_norm_a; in vec4 _texcoord_a; in vec4 _vec_tang_a;\n"
        "in vec4 _color_a; out vec4 c;\n"
        "void main() {\n"
        "  vec4 extra = vec4(_vec_norm_a, 0.0) + _texcoord_a + _vec_tang_a;\n"
        "  gl_Position = _vec_vert_a + 1e-9 * extra; c = _color_a;\n"
        "}\n");
    auto* f = new Quarn::Shading::ShaderFragment(gl_test::context(), "");
    f->set_source("#version 330 core\nin vec4 c; out vec4 o; void main() { o = c; }\n");
    program->add_vertex_shader(v);
    program->add_fragment_shader(f);
    program->build();
    return program;
}

TEST_F(Geometry, TheFirstVertexsFlagsDecideTheWiring) {
    auto program = all_attributes_program();
    use_program(program.get());
    const struct Expected {
        const char* name;
        GLint components;
        std::uintptr_t offset;
    } position{"_vec_vert_a", 4, 0}, normal{"_vec_norm_a", 3, 16}, texcoord{"_texcoord_a", 4, 32},
        tangent{"_vec_tang_a", 4, 48}, color{"_color_a", 4, 64};
    const struct {
        const char* name;
        void (*flags)(Vertex&);
        std::vector<Expected> wired;
    } cases[] = {
        {"nothing set", [](Vertex&) {}, {position}},
        {"colour only", [](Vertex& v) { v.set_color(1, 0, 0, 1); }, {position, color}},
        {"normal and tangent",
         [](Vertex& v) {
             v.set_normal(0, 0, 1);
             v.set_tangent(1, 0, 0, 1);
         },
         {position, normal, tangent}},
        {"everything",
         [](Vertex& v) {
             v.set_normal(0, 0, 1);
             v.set_texcoord(0, 0, 0, 1);
             v.set_tangent(1, 0, 0, 1);
             v.set_color(1, 0, 0, 1);
         },
         {position, normal, texcoord, tangent, color}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Vertex triangle[3];
        triangle[0].set_position(-1, -1, 0, 1);
        triangle[1].set_position(3, -1, 0, 1);
        triangle[2].set_position(-1, 3, 0, 1);
        for (Vertex& v : triangle)
            c.flags(v);
        canvas.clear();
        WarnRecorder rec;
        geometry_spy::VertexAttribPointer spy;
        program->draw_vertices(triangle, 3, 3, false);
        EXPECT_TRUE(rec.failures().empty());
        if (triangle[0].has_color) {
            // The colour wired from the records reaches the pixels.
            canvas.read();
            EXPECT_TRUE(canvas.all_near(32, 32, 2, red, 2)) << canvas.around(32, 32, 2);
        }
        ASSERT_EQ(spy.calls().size(), c.wired.size());
        for (size_t i = 0; i < c.wired.size(); ++i) {
            const geometry_spy::AttributePointer& call = spy.calls()[i];
            const GLint location = glGetAttribLocation(program->gl_program, c.wired[i].name);
            ASSERT_GE(location, 0) << c.wired[i].name;
            EXPECT_EQ(call.location, static_cast<GLuint>(location)) << c.wired[i].name;
            EXPECT_EQ(call.components, c.wired[i].components) << c.wired[i].name;
            EXPECT_EQ(call.offset, c.wired[i].offset) << c.wired[i].name;
            EXPECT_EQ(call.type, static_cast<GLenum>(GL_FLOAT));
            EXPECT_EQ(call.normalized, GL_FALSE);
            EXPECT_EQ(call.stride, 84);
        }
        EXPECT_EQ(spy.enabled().size(), c.wired.size());
    }
}

TEST_F(Geometry, ProgramWithoutColourAttributeSkipsItSilently) {
    auto program = std::make_unique<ShaderProgram>();
    auto* v = new Quarn::Shading::ShaderVertex(gl_test::context(), "", "", "");
    v->set_source(
        "#version 330 core\nin vec4 _vec_vert_a;\nvoid main() { gl_Position = "
        "_vec_vert_a; }\n");
    auto* f = new Quarn::Shading::ShaderFragment(gl_test::context(), "");
    f->set_source("#version 330 core\nout vec4 o; void main() { o = vec4(0.0, 1.0, 0.0, 1.0); }\n");
    program->add_vertex_shader(v);
    program->add_fragment_shader(f);
    program->build();
    use_program(program.get());

    Vertex triangle[3];
    triangle[0].set_position(-1, -1, 0, 1);
    triangle[1].set_position(3, -1, 0, 1);
    triangle[2].set_position(-1, 3, 0, 1);
    for (Vertex& vertex : triangle)
        vertex.set_color(1, 0, 0, 1);
    WarnRecorder rec;
    geometry_spy::VertexAttribPointer spy;
    program->draw_vertices(triangle, 3, 3, false);
    EXPECT_TRUE(rec.failures().empty());
    ASSERT_EQ(spy.calls().size(), 1u);
    EXPECT_EQ(spy.calls()[0].location,
              static_cast<GLuint>(glGetAttribLocation(program->gl_program, "_vec_vert_a")));
    canvas.read();
    EXPECT_TRUE(canvas.all_near(32, 32, 2, green, 2)) << canvas.around(32, 32, 2);
}

TEST(Grid, DemoGridDrawsGreyLinesAtTheirProjectedPlaces) {
    constexpr int width = 1024, height = 768;
    Canvas canvas(width, height);
    auto program = gl_canvas::line_program();

    // Built as the demo window builds it.
    WarnRecorder rec;
    ObjectRaw grid(44, 22, 2, false);
    Vertex v;
    v.set_color(0.2f, 0.2f, 0.2f, 1);
    std::uint32_t next = 0;
    auto segment = [&](float x0, float z0, float x1, float z1) {
        v.set_position(x0, 0, z0, 1);
        grid.add_vertex(v);
        v.set_position(x1, 0, z1, 1);
        grid.add_vertex(v);
        grid.add_index(next++);
        grid.add_index(next++);
    };
    for (int i = -5; i <= 5; ++i)
        segment(-5, static_cast<float>(i), 5, static_cast<float>(i));
    for (int j = -5; j <= 5; ++j)
        segment(static_cast<float>(j), -5, static_cast<float>(j), 5);
    grid.update_vbo();
    grid.update_ibos();

    // The demo's start camera: azimuth and elevation 20 degrees at distance 4.
    const float a = deg_to_rad(20), d = 4;
    const Vec3f eye(d * std::cos(a) * std::cos(a), d * std::sin(a), d * std::sin(a) * std::cos(a));
    const Quarn::Matrices::Projection3D projection(Vec4i(0, 0, width, height), 45, 0.1f, 100);
    const Mat4f p = projection.projection_matrix();
    const Mat4f view = look_at(eye, Vec3f(0, 0, 0), Vec3f(0, 1, 0));
    use_program(program.get());
    program->set_projection_matrix(p);
    program->set_view_matrix(view);
    program->set_model_matrix(identity4());
    grid.draw(1, false);
    EXPECT_TRUE(rec.failures().empty());
    canvas.read();
    use_program(nullptr);

    const Mat4f pv = p * view;
    const Rgba grey = gl_canvas::rgba(0.2f, 0.2f, 0.2f);
    int on_screen = 0;
    // Points on every line, between the crossings; and cell centres, which no line passes.
    for (int k = -5; k <= 5; ++k) {
        for (float t = -4.5f; t <= 4.5f; t += 1.0f) {
            const Vec3f on_lines[2] = {Vec3f(t, 0, static_cast<float>(k)),
                                       Vec3f(static_cast<float>(k), 0, t)};
            for (const Vec3f& q : on_lines) {
                const gl_canvas::Pixel px = gl_canvas::project(pv, q, width, height);
                if (px.x < 2 || px.y < 2 || px.x >= width - 2 || px.y >= height - 2)
                    continue;
                ++on_screen;
                EXPECT_TRUE(canvas.has_near(px.x, px.y, 1, grey, 2))
                    << "line point (" << q[0] << ", " << q[2] << ") "
                    << canvas.around(px.x, px.y, 1);
            }
            if (k == 5)
                continue;
            const Vec3f cell(t, 0, static_cast<float>(k) + 0.5f);
            const gl_canvas::Pixel px = gl_canvas::project(pv, cell, width, height);
            if (px.x < 2 || px.y < 2 || px.x >= width - 2 || px.y >= height - 2)
                continue;
            EXPECT_TRUE(canvas.all_near(px.x, px.y, 1, gl_canvas::black, 0))
                << "cell centre (" << cell[0] << ", " << cell[2] << ") "
                << canvas.around(px.x, px.y, 1);
        }
    }
    EXPECT_GT(on_screen, 60) << "the camera sees most of the grid";
    // Beyond the grid's edge, on its lines' extensions, nothing.
    int beyond_on_screen = 0;
    for (int k = -5; k <= 5; ++k) {
        for (const Vec3f& q :
             {Vec3f(-5.5f, 0, static_cast<float>(k)), Vec3f(static_cast<float>(k), 0, -5.5f),
              Vec3f(5.5f, 0, static_cast<float>(k)), Vec3f(static_cast<float>(k), 0, 5.5f)}) {
            const gl_canvas::Pixel px = gl_canvas::project(pv, q, width, height);
            if (px.x < 2 || px.y < 2 || px.x >= width - 2 || px.y >= height - 2)
                continue;
            ++beyond_on_screen;
            EXPECT_TRUE(canvas.all_near(px.x, px.y, 1, gl_canvas::black, 0))
                << "(" << q[0] << ", " << q[2] << ") " << canvas.around(px.x, px.y, 1);
        }
    }
    EXPECT_GT(beyond_on_screen, 5) << "the far edges are in view";
}

}  // namespace
