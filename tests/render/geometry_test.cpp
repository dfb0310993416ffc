#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/buffer_object.h"
#include "render/materials.h"
#include "render/vertex.h"
#include "tests/support/warn_recorder.h"

namespace {

TEST(PrimitiveFor, MapsFaceSizeAndStrippingToTheGLMode) {
    const struct {
        int vertices_per_face;
        bool stripped;
        GLenum mode;
        const char* report;  // empty when the call is valid
    } cases[] = {
        {1, false, GL_POINTS, ""},
        {2, false, GL_LINES, ""},
        {3, false, GL_TRIANGLES, ""},
        {4, false, GL_QUADS, ""},
        {2, true, GL_LINE_STRIP, ""},
        {3, true, GL_TRIANGLE_STRIP, ""},
        {4, true, GL_QUAD_STRIP, ""},
        {1, true, 0, "Invalid number of vertices for stripped face (1)!"},
        {5, true, 0, "Invalid number of vertices for stripped face (5)!"},
        {5, false, 0, "Invalid number of vertices for face (5)!"},
        {0, false, 0, "Invalid number of vertices for face (0)!"},
        {-3, false, 0, "Invalid number of vertices for face (-3)!"},
    };
    for (const auto& c : cases) {
        WarnRecorder rec;
        EXPECT_EQ(Quarn::primitive_for(c.vertices_per_face, c.stripped), c.mode)
            << c.vertices_per_face << (c.stripped ? " stripped" : " plain");
        const std::vector<std::string> expected = std::string(c.report).empty()
                                                      ? std::vector<std::string>{}
                                                      : std::vector<std::string>{c.report};
        EXPECT_EQ(rec.failures(), expected) << c.vertices_per_face;
    }
    // The numbers the mesh and immediate-mode code rely on.
    EXPECT_EQ(Quarn::primitive_for(2, false), 1u);
    EXPECT_EQ(Quarn::primitive_for(4, true), 8u);
}

TEST(Vertex, EachSetterStoresItsValuesAndOnlyItsFlag) {
    struct Flags {
        bool normal, texcoord, tangent, color;
    };
    const struct {
        const char* setter;
        void (*apply)(Quarn::Vertex&);
        Flags flags;
    } cases[] = {
        {"position",
         [](Quarn::Vertex& v) { v.set_position(1, 2, 3, 4); },
         {false, false, false, false}},
        {"normal", [](Quarn::Vertex& v) { v.set_normal(1, 2, 3); }, {true, false, false, false}},
        {"texcoord",
         [](Quarn::Vertex& v) { v.set_texcoord(1, 2, 3, 4); },
         {false, true, false, false}},
        {"tangent",
         [](Quarn::Vertex& v) { v.set_tangent(1, 2, 3, -1); },
         {false, false, true, false}},
        {"color",
         [](Quarn::Vertex& v) { v.set_color(0.25f, 0.5f, 0.75f, 1); },
         {false, false, false, true}},
    };
    for (const auto& c : cases) {
        Quarn::Vertex v;
        EXPECT_FALSE(v.has_normal || v.has_texcoord || v.has_tangent || v.has_color) << c.setter;
        c.apply(v);
        EXPECT_EQ(v.has_normal, c.flags.normal) << c.setter;
        EXPECT_EQ(v.has_texcoord, c.flags.texcoord) << c.setter;
        EXPECT_EQ(v.has_tangent, c.flags.tangent) << c.setter;
        EXPECT_EQ(v.has_color, c.flags.color) << c.setter;
    }
    Quarn::Vertex v;
    v.set_position(1, 2, 3, 4);
    v.set_normal(5, 6, 7);
    v.set_texcoord(8, 9, 10, 11);
    v.set_tangent(12, 13, 14, -1);
    v.set_color(0.25f, 0.5f, 0.75f, 1);
    EXPECT_EQ(v.position, Vec4f(1, 2, 3, 4));
    EXPECT_EQ(v.normal, Vec3f(5, 6, 7));
    EXPECT_EQ(v.texcoord, Vec4f(8, 9, 10, 11));
    EXPECT_EQ(v.tangent, Vec4f(12, 13, 14, -1));
    EXPECT_EQ(v.color, Vec4f(0.25f, 0.5f, 0.75f, 1));
}

TEST(Vertex, RecordsLieBackToBackAt84Bytes) {
    // The upload copies the list as it lies in memory, so the vector's stride is the GL stride.
    std::vector<Quarn::Vertex> list(3);
    list[1].set_color(1, 0, 0, 1);
    const auto* base = reinterpret_cast<const unsigned char*>(list.data());
    const auto* second_color = reinterpret_cast<const unsigned char*>(&list[1].color);
    EXPECT_EQ(second_color - base, 84 + 64);
    EXPECT_EQ(base[84 + 83], 1);  // has_color of the second record
}

class CountedItem : public Quarn::Materials::ItemBase {
public:
    explicit CountedItem(int* deleted) : deleted_(deleted) {}
    ~CountedItem() override { ++*deleted_; }

private:
    int* deleted_;
};

TEST(Materials, StartWithTheDocumentedValuesAndDeleteOnlyOwnedItems) {
    int deleted = 0;
    CountedItem kept(&deleted);
    {
        Quarn::Materials::Material2D m("[SphereMaterial]");
        EXPECT_EQ(m.material_kind, 0);
        EXPECT_EQ(m.name, "[SphereMaterial]");
        EXPECT_EQ(m.ambient, Vec3f(0, 0, 0));
        EXPECT_EQ(m.refl_diff, Vec3f(1, 1, 1));
        EXPECT_EQ(m.refl_spec, Vec3f(1, 1, 1));
        EXPECT_EQ(m.refl_exp, 128.0f);
        EXPECT_FALSE(m.two_sided);
        EXPECT_TRUE(m.items.empty());
        m.items.push_back({new CountedItem(&deleted), true});
        m.items.push_back({&kept, false});
        m.items.push_back({new CountedItem(&deleted), true});
    }
    EXPECT_EQ(deleted, 2);
}

}  // namespace
