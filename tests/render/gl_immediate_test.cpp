#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "render/immediate.h"
#include "render/library_state.h"
#include "render/quarn.h"
#include "render/shading/program.h"
#include "tests/render/gl_canvas.h"
#include "tests/render/gl_environment.h"
#include "tests/render/gl_geometry_spy.h"
#include "tests/support/warn_recorder.h"

using gl_canvas::Canvas;
using gl_test::Rgba;
using Quarn::Vertex;
using Quarn::Shading::ShaderProgram;
using Quarn::Shading::use_program;

namespace {

constexpr int size = 64;

const char* const state_message =
    "Incorrect state!  Are your begin/end calls matched with the correct number of vertices?";

float ndc(int p) {
    return (static_cast<float>(p) + 0.5f) * 2.0f / size - 1.0f;
}

// A vertex at the centre of pixel (x, y).
void at_pixel(int x, int y) {
    Quarn::vertex(ndc(x), ndc(y), 0, 1);
}

// Distinct, exactly representable positions for vertex i.
Vec4f position_of(int i) {
    return Vec4f(0.125f * i, -0.0625f * i, 0.0f, 1.0f);
}

// The positions of every face uploaded, as indices into position_of (-1 for strangers).
std::vector<std::vector<int>> uploaded_faces() {
    std::vector<std::vector<int>> faces;
    for (const std::vector<Vertex>& face : geometry_spy::BufferData::vertex_uploads()) {
        std::vector<int> ids;
        for (const Vertex& v : face) {
            int id = -1;
            for (int i = 0; i < 16; ++i) {
                if (v.position == position_of(i))
                    id = i;
            }
            ids.push_back(id);
        }
        faces.push_back(ids);
    }
    return faces;
}

class Immediate : public ::testing::Test {
public:
    void SetUp() override {
        program = gl_canvas::current_device_line_program();
        Quarn::color(1, 1, 1, 1);
    }
    void TearDown() override {
        // Leave immediate mode idle for the next test, whatever this one did.
        if (Quarn::library().immediate.face_size != -1)
            Quarn::end();
        Quarn::color(1, 1, 1, 1);
        use_program(nullptr);
    }

    std::unique_ptr<ShaderProgram> program;
    Canvas canvas{size, size};
};

TEST_F(Immediate, EachFaceIsDrawnAsSoonAsItIsComplete) {
    using Faces = std::vector<std::vector<int>>;
    const struct {
        const char* name;
        int vertices_per_face;
        bool stripped;
        int vertices;
        Faces faces;
    } cases[] = {
        {"points", 1, false, 3, {{0}, {1}, {2}}},
        {"lines, last one incomplete", 2, false, 5, {{0, 1}, {2, 3}}},
        {"line strip", 2, true, 4, {{0, 1}, {1, 2}, {2, 3}}},
        {"triangles", 3, false, 6, {{0, 1, 2}, {3, 4, 5}}},
        {"triangle strip keeps the order", 3, true, 5, {{0, 1, 2}, {1, 2, 3}, {2, 3, 4}}},
        {"quad as two triangles", 4, false, 4, {{0, 1, 2}, {0, 2, 3}}},
        {"quad strip", 4, true, 6, {{0, 1, 2}, {0, 2, 3}, {2, 3, 4}, {2, 4, 5}}},
    };
    for (const auto& c : cases) {
        WarnRecorder rec;
        geometry_spy::BufferData uploads;
        Quarn::begin(c.vertices_per_face, c.stripped);
        for (int i = 0; i < c.vertices; ++i) {
            const Vec4f p = position_of(i);
            Quarn::vertex(p[0], p[1], p[2], p[3]);
        }
        Quarn::end();
        EXPECT_EQ(uploaded_faces(), c.faces) << c.name;
        EXPECT_TRUE(rec.failures().empty()) << c.name;
    }
}

TEST_F(Immediate, IncompleteFaceIsDroppedAtEnd) {
    WarnRecorder rec;
    geometry_spy::BufferData uploads;
    Quarn::begin(3, false);
    Quarn::vertex(position_of(0)[0], position_of(0)[1], 0, 1);
    Quarn::vertex(position_of(1)[0], position_of(1)[1], 0, 1);
    Quarn::end();
    Quarn::begin(2, false);
    Quarn::vertex(position_of(2)[0], position_of(2)[1], 0, 1);
    Quarn::vertex(position_of(3)[0], position_of(3)[1], 0, 1);
    Quarn::end();
    EXPECT_EQ(uploaded_faces(), (std::vector<std::vector<int>>{{2, 3}}));
    EXPECT_TRUE(rec.failures().empty());
}

TEST_F(Immediate, VerticesCarryTheCurrentValues) {
    geometry_spy::BufferData uploads;
    Quarn::begin(2, false);
    Quarn::vertex(Vec3f(1, 2, 3));  // white, the colour set up before
    Quarn::color(Vec3f(0.25f, 0.5f, 0.75f));
    Quarn::vertex(4, 5, 6, 7);
    Quarn::end();
    // The colour outlives the group.
    Quarn::begin(1, false);
    Quarn::vertex(8, 9, 10, 1);
    Quarn::end();

    const auto faces = uploads.vertex_uploads();
    ASSERT_EQ(faces.size(), 2u);
    ASSERT_EQ(faces[0].size(), 2u);
    ASSERT_EQ(faces[1].size(), 1u);
    const Vertex records[3] = {faces[0][0], faces[0][1], faces[1][0]};
    const Vec4f positions[3] = {Vec4f(1, 2, 3, 1), Vec4f(4, 5, 6, 7), Vec4f(8, 9, 10, 1)};
    const Vec4f colours[3] = {Vec4f(1, 1, 1, 1), Vec4f(0.25f, 0.5f, 0.75f, 1),
                              Vec4f(0.25f, 0.5f, 0.75f, 1)};
    for (int i = 0; i < 3; ++i) {
        const Vertex& v = records[i];
        EXPECT_EQ(v.position, positions[i]) << i;
        EXPECT_EQ(v.color, colours[i]) << i;
        EXPECT_EQ(v.normal, Vec3f(0, 0, 1)) << i;
        EXPECT_EQ(v.texcoord, Vec4f(0, 0, 0, 1)) << i;
        EXPECT_EQ(v.tangent, Vec4f(0, 0, 0, 0)) << i;
        EXPECT_TRUE(v.has_normal && v.has_texcoord && v.has_tangent && v.has_color) << i;
    }
}

TEST_F(Immediate, MisuseIsReportedAndStaysInsideTheFaceBuffer) {
    const struct {
        const char* name;
        std::function<void()> run;
        std::vector<std::string> reports;
        std::vector<std::vector<int>> faces;
    } cases[] = {
        {"begin twice: the second one counts",
         [] {
             Quarn::begin(2, false);
             Quarn::begin(3, false);
             for (int i = 0; i < 3; ++i)
                 Quarn::vertex(position_of(i)[0], position_of(i)[1], 0, 1);
             Quarn::end();
         },
         {state_message},
         {{0, 1, 2}}},
        {"vertex while idle", [] { Quarn::vertex(1, 2, 3, 1); }, {state_message}, {}},
        {"end while idle", [] { Quarn::end(); }, {state_message}, {}},
        {"face size 5",
         [] {
             Quarn::begin(5, false);
             for (int i = 0; i < 6; ++i)
                 Quarn::vertex(9, 9, 9, 9);
         },
         {"Invalid number of vertices per face (5)!", state_message, state_message, state_message,
          state_message, state_message, state_message},
         {}},
        {"face size 0",
         [] { Quarn::begin(0, true); },
         {"Invalid number of vertices per face (0)!"},
         {}},
        {"stripped points",
         [] {
             Quarn::begin(1, true);
             Quarn::vertex(9, 9, 9, 9);
         },
         {"Stripped single points don't make sense.", state_message},
         {}},
        {"face size 5 while a group is open",
         [] {
             Quarn::begin(2, false);
             Quarn::vertex(position_of(0)[0], position_of(0)[1], 0, 1);
             Quarn::begin(5, false);
             for (int i = 1; i < 6; ++i)
                 Quarn::vertex(position_of(i)[0], position_of(i)[1], 0, 1);
             Quarn::end();
         },
         {state_message, "Invalid number of vertices per face (5)!"},
         {{0, 1}, {2, 3}, {4, 5}}},
        {"no current program",
         [] {
             use_program(nullptr);
             Quarn::begin(2, false);
             Quarn::vertex(1, 2, 3, 1);
             Quarn::vertex(4, 5, 6, 1);
             Quarn::end();
         },
         {"Cannot draw a face without a current program!"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        use_program(program.get());
        geometry_spy::BufferData uploads;
        {
            WarnRecorder rec;
            c.run();
            EXPECT_EQ(rec.failures(), c.reports);
            // The state message goes to assert_warn as its format, not as an argument.
            for (const WarnRecorder::Report& r : rec.reports) {
                if (r.message == state_message) {
                    EXPECT_EQ(r.format, state_message);
                }
            }
        }
        EXPECT_EQ(uploaded_faces(), c.faces);
        // The fields after the four slots would be the first to suffer from an overrun.
        const Quarn::ImmediateState& s = Quarn::library().immediate;
        EXPECT_EQ(s.normal, Vec3f(0, 0, 1));
        EXPECT_EQ(s.texcoord, Vec4f(0, 0, 0, 1));
        EXPECT_EQ(s.tangent, Vec4f(0, 0, 0, 0));
        EXPECT_EQ(s.color, Vec4f(1, 1, 1, 1));
        EXPECT_GE(s.count, 0);
        EXPECT_LE(s.count, 4);
        if (s.face_size != -1)
            Quarn::end();
    }
}

TEST_F(Immediate, DrawnShapesCoverTheirPixels) {
    const Rgba cyan{0, 255, 255, 255};
    const struct {
        const char* name;
        void (*draw)();
        std::vector<gl_canvas::Pixel> lit;
        std::vector<gl_canvas::Pixel> dark;
    } cases[] = {
        {"line strip of four vertices: three sides of a square, the fourth open",
         [] {
             Quarn::begin(2, true);
             at_pixel(10, 10);
             at_pixel(50, 10);
             at_pixel(50, 50);
             at_pixel(10, 50);
             Quarn::end();
         },
         {{30, 10}, {50, 30}, {30, 50}},
         {{10, 30}, {30, 30}}},
        {"triangle strip: both triangles of the band",
         [] {
             Quarn::begin(3, true);
             at_pixel(10, 10);
             at_pixel(10, 30);
             at_pixel(50, 10);
             at_pixel(50, 30);
             Quarn::end();
         },
         {{15, 15}, {45, 25}, {30, 20}},
         {{30, 45}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        canvas.clear();
        Quarn::color(0, 1, 1, 1);
        c.draw();
        canvas.read();
        for (const auto& p : c.lit)
            EXPECT_TRUE(canvas.has_near(p.x, p.y, 1, cyan, 2)) << canvas.around(p.x, p.y, 1);
        for (const auto& p : c.dark)
            EXPECT_TRUE(canvas.all_near(p.x, p.y, 1, gl_canvas::black, 0))
                << canvas.around(p.x, p.y, 1);
    }
}

TEST_F(Immediate, QuadCoversItsWholeSquare) {
    const Rgba magenta{255, 0, 255, 255};
    Quarn::color(1, 0, 1, 1);
    Quarn::begin(4, false);
    at_pixel(8, 8);
    at_pixel(56, 8);
    at_pixel(56, 56);
    at_pixel(8, 56);
    Quarn::end();
    canvas.read();
    // Pixel centres 9..55 lie strictly inside, the diagonal (i, i) among them.
    EXPECT_EQ(canvas.count(9, 9, 56, 56, magenta, 0), 47 * 47);
    int diagonal = 0;
    for (int i = 9; i < 56; ++i)
        diagonal += gl_test::near(canvas.at(i, i), magenta, 0) ? 1 : 0;
    EXPECT_EQ(diagonal, 47);
    EXPECT_EQ(canvas.count(0, 0, size, 8, gl_canvas::black, 0), size * 8);
    EXPECT_EQ(canvas.count(0, 57, size, size, gl_canvas::black, 0), size * 7);
}

}  // namespace

namespace {

TEST(ImmediateLifetime, RestartingTheLibraryStartsIdleWithTheInitialValues) {
    Quarn::color(0.5f, 0.5f, 0.5f, 1);
    Quarn::begin(3, false);
    Quarn::vertex(1, 2, 3, 1);
    Quarn::deinit();
    EXPECT_EQ(Quarn::library().immediate.face_size, -1);
    Quarn::init();
    const Quarn::ImmediateState& s = Quarn::library().immediate;
    EXPECT_EQ(s.face_size, -1);
    EXPECT_EQ(s.count, 0);
    EXPECT_FALSE(s.stripped);
    EXPECT_EQ(s.color, Vec4f(1, 1, 1, 1));
    EXPECT_EQ(s.normal, Vec3f(0, 0, 1));
    EXPECT_EQ(s.texcoord, Vec4f(0, 0, 0, 1));
    EXPECT_EQ(s.tangent, Vec4f(0, 0, 0, 0));
    WarnRecorder rec;
    Quarn::begin(2, false);  // no leftover group to complain about
    Quarn::end();
    EXPECT_TRUE(rec.failures().empty());
}

}  // namespace
