#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/arm.h"
#include "kinematics/body.h"
#include "kinematics/joint.h"
#include "kinematics/primitives.h"
#include "math/matrix.h"
#include "render/immediate.h"
#include "render/projection.h"
#include "render/shading/program.h"
#include "tests/render/gl_canvas.h"
#include "tests/render/gl_environment.h"
#include "tests/render/gl_geometry_spy.h"
#include "tests/support/warn_recorder.h"

using gl_canvas::Canvas;
using gl_canvas::Pixel;
using gl_test::Rgba;
using Quarn::Vertex;
using Quarn::Shading::ShaderProgram;
using Quarn::Shading::use_program;
using Sinew::JointBase;
using Sinew::Values;

namespace {

constexpr float tolerance = 1e-5f;
constexpr float pi = 3.14159265f;

void expect_near(const Vec4f& found, const Vec4f& expected, const std::string& what) {
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(found[i], expected[i], tolerance) << what << " component " << i;
}

Vec3f origin_of(const Mat4f& m) {
    const Vec4f p = m * Vec4f(0, 0, 0, 1);
    return Vec3f(p[0], p[1], p[2]);
}

Vec3f apply(const Mat4f& m, const Vec3f& local) {
    const Vec4f p = m * Vec4f(local[0], local[1], local[2], 1);
    return Vec3f(p[0], p[1], p[2]);
}

// The angle in degrees, in [0, 360), of a point on a gizmo circle around `axis`.
float angle_on_circle(int axis, const Vec4f& p) {
    const int u = axis == 0 ? 1 : 0;
    const int v = axis == 2 ? 1 : 2;
    float a = rad_to_deg(std::atan2(p[v], p[u]));
    return a < -1e-3f ? a + 360.0f : a;
}

// Every face uploaded while it lives.
class Faces {
public:
    std::vector<std::vector<Vertex>> list() const { return spy_.vertex_uploads(); }

private:
    geometry_spy::BufferData spy_;
};

// Immediate-mode drawing needs a current program; the primitives tests use the demo's lines.
class Primitives : public ::testing::Test {
public:
    void SetUp() override { program = gl_canvas::current_device_line_program(); }
    void TearDown() override {
        Quarn::color(1, 1, 1, 1);
        use_program(nullptr);
    }

    std::unique_ptr<ShaderProgram> program;
    Canvas canvas{64, 64};
};

TEST_F(Primitives, CirclePointRunsFromTheFirstAxisTowardsTheSecond) {
    const struct {
        int axis;
        float degrees;
        Vec4f expected;
    } cases[] = {
        {0, 0, Vec4f(0.3f, 0.1f, 0, 1)},    {0, 90, Vec4f(0.3f, 0, 0.1f, 1)},
        {1, 0, Vec4f(0.1f, 0.3f, 0, 1)},    {1, 90, Vec4f(0, 0.3f, 0.1f, 1)},
        {2, 0, Vec4f(0.1f, 0, 0.3f, 1)},    {2, 90, Vec4f(0, 0.1f, 0.3f, 1)},
        {2, 180, Vec4f(-0.1f, 0, 0.3f, 1)},
    };
    for (const auto& c : cases) {
        const std::string what =
            "axis " + std::to_string(c.axis) + " at " + std::to_string(c.degrees);
        Faces faces;
        Quarn::begin(1, false);
        Sinew::circle_point(c.axis, deg_to_rad(c.degrees), 0.1f, 0.3f);
        Quarn::end();
        ASSERT_EQ(faces.list().size(), 1u) << what;
        expect_near(faces.list()[0][0].position, c.expected, what);
    }

    WarnRecorder rec;
    Faces faces;
    Quarn::begin(1, false);
    Sinew::circle_point(3, 0, 0.1f, 0);
    Quarn::end();
    EXPECT_EQ(rec.failures(), std::vector<std::string>{"Implementation error!"});
    EXPECT_TRUE(faces.list().empty()) << "no vertex for an unknown axis";
}

TEST_F(Primitives, ArcIsThirtySegmentsAlongTheCircle) {
    const struct { float from, to; } cases[] = {{0, 90}, {150, 360}, {-80, 80}, {40, 40}};
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.from) + " to " + std::to_string(c.to);
        Faces faces;
        Sinew::draw_arc(2, Vec3f(0, 1, 0), c.from, c.to);
        const auto list = faces.list();
        ASSERT_EQ(list.size(), 30u) << what;
        for (int i = 0; i < 30; ++i) {
            ASSERT_EQ(list[i].size(), 2u);
            for (int k = 0; k < 2; ++k) {
                const float degrees = deg_to_rad(c.from + (i + k) / 30.0f * (c.to - c.from));
                expect_near(list[i][k].position,
                            Vec4f(0.1f * std::cos(degrees), 0.1f * std::sin(degrees), 0, 1),
                            what + " segment " + std::to_string(i));
                EXPECT_EQ(list[i][k].color, Vec4f(0, 1, 0, 1)) << what;
            }
        }
    }
}

TEST_F(Primitives, DotRadialAndDiscEmitTheirFaces) {
    {
        Faces faces;
        Sinew::draw_dot(1, 0.5f, 0);
        ASSERT_EQ(faces.list().size(), 1u);
        ASSERT_EQ(faces.list()[0].size(), 1u);
        EXPECT_EQ(faces.list()[0][0].position, Vec4f(0, 0, 0, 1));
        EXPECT_EQ(faces.list()[0][0].color, Vec4f(1, 0.5f, 0, 1));
    }
    {
        Faces faces;
        Sinew::draw_radial(1, Vec3f(0.4f, 0.4f, 0.4f), 90);
        ASSERT_EQ(faces.list().size(), 1u);
        ASSERT_EQ(faces.list()[0].size(), 2u);
        EXPECT_EQ(faces.list()[0][0].position, Vec4f(0, 0, 0, 1));
        expect_near(faces.list()[0][1].position, Vec4f(0, 0, 0.1f, 1), "radial end");
        EXPECT_EQ(faces.list()[0][1].color, Vec4f(0.4f, 0.4f, 0.4f, 1));
    }
    // A flat disc and a cone, around the local Y axis, in the colour set before.
    const struct { float r, h0, h1; } discs[] = {{0.1f, 0.25f, 0.25f}, {0.09f, 0, -0.5f}};
    for (const auto& d : discs) {
        Quarn::color(1, 0, 0, 0.5f);
        Faces faces;
        Sinew::draw_disc(d.r, d.h0, d.h1);
        const auto list = faces.list();
        ASSERT_EQ(list.size(), 30u);
        for (int i = 0; i < 30; ++i) {
            ASSERT_EQ(list[i].size(), 3u);
            const float a0 = i / 30.0f * 2 * pi, a1 = (i + 1) / 30.0f * 2 * pi;
            const std::string what = "triangle " + std::to_string(i);
            expect_near(list[i][0].position, Vec4f(0, d.h0, 0, 1), what);
            expect_near(list[i][1].position, Vec4f(d.r * std::cos(a0), d.h1, d.r * std::sin(a0), 1),
                        what);
            expect_near(list[i][2].position, Vec4f(d.r * std::cos(a1), d.h1, d.r * std::sin(a1), 1),
                        what);
            EXPECT_EQ(list[i][0].color, Vec4f(1, 0, 0, 0.5f));
        }
    }
}

// Consecutive faces of a gizmo: an arc of joined segments of one colour, or one radial.
struct Stroke {
    Vec4f color;
    bool radial;
    int faces;
    float from, to;  // degrees at the first and the last vertex on the circle
    float sweep;     // degrees the arc turns through, summed over its segments
};

std::vector<Stroke> strokes(const std::vector<std::vector<Vertex>>& list, int axis) {
    std::vector<Stroke> out;
    for (size_t i = 0; i < list.size(); ++i) {
        const std::vector<Vertex>& face = list[i];
        const bool radial = face[0].position == Vec4f(0, 0, 0, 1);
        const float end = angle_on_circle(axis, face.back().position);
        const bool continues = !radial && !out.empty() && !out.back().radial &&
                               out.back().color == face[0].color &&
                               list[i - 1].back().position == face[0].position;
        const float begin = radial ? end : angle_on_circle(axis, face[0].position);
        float step = radial ? 0.0f : std::fmod(end - begin + 360.0f, 360.0f);
        if (step > 359.99f)
            step = 0.0f;  // a segment of zero length
        if (continues) {
            out.back().faces += 1;
            out.back().to = end;
            out.back().sweep += step;
            continue;
        }
        out.push_back({face[0].color, radial, 1, begin, end, step});
    }
    return out;
}

// Distance between two angles in degrees, around the circle.
float angle_gap(float a, float b) {
    const float d = std::fmod(std::fabs(a - b), 360.0f);
    return std::min(d, 360.0f - d);
}

TEST_F(Primitives, AngleGizmosShowTheAllowedRangeAndTheRest) {
    const Vec4f green(0, 1, 0, 1), red(1, 0, 0, 1), dark(0.2f, 0.2f, 0.2f, 1),
        light(0.4f, 0.4f, 0.4f, 1);
    const struct {
        const char* name;
        bool enabled, limited;
        float low, high, value;
        std::vector<Stroke> expected;
    } cases[] = {
        {"hinge limited to [0, 150] at 30",
         true,
         true,
         0,
         150,
         30,
         {{green, false, 30, 0, 150, 150},
          {red, false, 30, 150, 360, 210},
          {dark, true, 1, 0, 0, 0},
          {light, true, 1, 30, 30, 0},
          {dark, true, 1, 150, 150, 0}}},
        {"unlimited at 200",
         true,
         false,
         0,
         0,
         200,
         {{green, false, 30, 0, 360, 360}, {light, true, 1, 200, 200, 0}}},
        {"equal limits: zero-length green arc, full red circle",
         true,
         true,
         40,
         40,
         40,
         {{green, false, 30, 40, 40, 0},
          {red, false, 30, 40, 400, 360},
          {dark, true, 1, 40, 40, 0},
          {light, true, 1, 40, 40, 0},
          {dark, true, 1, 40, 40, 0}}},
        {"disabled, limits set", false, true, 0, 150, 30, {}},
    };
    for (int axis = 0; axis < 3; ++axis) {
        for (const auto& c : cases) {
            const std::string what = std::string(c.name) + ", axis " + std::to_string(axis);
            JointBase::DOFAngleX x;
            JointBase::DOFAngleY y;
            JointBase::DOFAngleZ z;
            JointBase::DOFAngleBase* dofs[3] = {&x, &y, &z};
            JointBase::DOFAngleBase& dof = *dofs[axis];
            dof.enabled = c.enabled;
            dof.limited = c.limited;
            dof.limit_low = c.low;
            dof.limit_high = c.high;
            dof.value_shown = c.value;
            dof.value_solved = c.value + 50;  // drawing shows the shown value only
            Faces faces;
            dof.draw(program.get());
            const auto list = faces.list();
            const std::vector<Stroke> found = strokes(list, axis);
            ASSERT_EQ(found.size(), c.expected.size()) << what;
            for (size_t i = 0; i < found.size(); ++i) {
                const Stroke& f = found[i];
                const Stroke& e = c.expected[i];
                const std::string which = what + ", stroke " + std::to_string(i);
                EXPECT_EQ(f.color, e.color) << which;
                EXPECT_EQ(f.radial, e.radial) << which;
                EXPECT_EQ(f.faces, e.faces) << which;
                EXPECT_LT(angle_gap(f.from, e.from), 0.01f) << which << ": from " << f.from;
                EXPECT_LT(angle_gap(f.to, e.to), 0.01f) << which << ": to " << f.to;
                EXPECT_NEAR(f.sweep, e.sweep, 0.05f) << which;
            }
        }
    }
}

TEST_F(Primitives, SlideGizmoIsADiscAndTwoConesThatDoNotWriteDepth) {
    JointBase::DOFSlide slide;
    {
        Faces faces;
        slide.limited = true;
        slide.draw(program.get());
        EXPECT_TRUE(faces.list().empty()) << "disabled";
    }
    slide.enabled = true;
    slide.limit_low = -0.5f;
    slide.limit_high = 0.75f;
    slide.value_shown = 0.25f;
    Faces faces;
    slide.draw(program.get());
    const auto list = faces.list();
    ASSERT_EQ(list.size(), 90u);
    const struct {
        int first;
        float apex, rim, radius;
        Vec4f color;
    } parts[] = {
        {0, 0.25f, 0.25f, 0.1f, Vec4f(0, 1, 0, 1)},
        {30, 0, -0.5f, 0.09f, Vec4f(1, 0, 0, 0.5f)},
        {60, 0, 0.75f, 0.09f, Vec4f(1, 0, 0, 0.5f)},
    };
    for (const auto& p : parts) {
        const auto& face = list[p.first];
        expect_near(face[0].position, Vec4f(0, p.apex, 0, 1), "apex");
        expect_near(face[1].position, Vec4f(p.radius, p.rim, 0, 1), "rim");
        EXPECT_EQ(face[0].color, p.color) << p.first;
    }
    GLboolean writes_depth = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &writes_depth);
    EXPECT_EQ(writes_depth, GL_TRUE) << "depth writes are back on afterwards";

    // Seen from above at 60 degrees, stretched sideways: the disc writes depth, the upper cone
    // colours its pixels and leaves the depth as cleared.
    canvas.clear();
    const Mat4f stretch(5, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    program->set_matrices(stretch, rotation_degrees(Vec3f(1, 0, 0), 60), identity4());
    slide.limit_low = -0.9f;
    slide.limit_high = 0.9f;
    slide.value_shown = 0;
    slide.draw(program.get());
    canvas.read();
    const Pixel disc{32, 32}, cone{32, 42};
    EXPECT_TRUE(canvas.has_near(cone.x, cone.y, 0, Rgba{255, 0, 0, 128}, 3))
        << canvas.around(cone.x, cone.y, 0);
    EXPECT_EQ(canvas.depth(cone.x, cone.y), 1.0f);
    EXPECT_LT(canvas.depth(disc.x, disc.y), 0.99f);
}

// The demo's start view of the arm through its two programs.
class ArmDrawing : public ::testing::Test {
public:
    static constexpr int width = 1024;
    static constexpr int height = 768;

    void SetUp() override {
        build_arm();
        glEnable(GL_PROGRAM_POINT_SIZE);
        // The demo's start angles, zoomed out far enough that the whole arm is in view.
        const float a = deg_to_rad(20), d = 8;
        const Vec3f eye(d * std::cos(a) * std::cos(a), d * std::sin(a),
                        d * std::sin(a) * std::cos(a));
        const Quarn::Matrices::Projection3D projection(Vec4i(0, 0, width, height), 45, 0.1f, 100);
        p = projection.projection_matrix();
        v = look_at(eye, Vec3f(0, 0, 0), Vec3f(0, 1, 0));
        lines = gl_canvas::line_program();
        points = gl_canvas::point_program();
    }
    void TearDown() override {
        use_program(nullptr);
        glDisable(GL_PROGRAM_POINT_SIZE);
        glDisable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        Quarn::color(1, 1, 1, 1);
        delete arm;
        arm = nullptr;
    }

    void start(ShaderProgram* program) {
        canvas.clear();
        use_program(program);
        program->set_projection_matrix(p);
        program->set_view_matrix(v);
    }

    Pixel pixel_of(const Vec3f& world) const {
        return gl_canvas::project(p * v, world, width, height);
    }

    // Every pixel of `colour` lies within `radius` of one of the places.
    void expect_only_near(const Rgba& colour, const std::vector<Pixel>& places, int radius,
                          const char* what) const {
        int stray = 0, found = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (!gl_test::near(canvas.at(x, y), colour, 2))
                    continue;
                ++found;
                bool close = false;
                for (const Pixel& q : places)
                    close = close || (std::abs(q.x - x) <= radius && std::abs(q.y - y) <= radius);
                if (!close && stray++ < 3)
                    ADD_FAILURE() << what << " pixel at (" << x << ", " << y
                                  << ") far from every expected place";
            }
        }
        EXPECT_GT(found, 0) << what;
        EXPECT_EQ(stray, 0) << what;
    }

    Mat4f p, v;
    std::unique_ptr<ShaderProgram> lines, points;
    Canvas canvas{width, height};
};

TEST_F(ArmDrawing, JointPointsAreRedDiscsWhereTheJointsAct) {
    start(points.get());
    WarnRecorder rec;
    arm->draw_joint_points(points.get());
    EXPECT_TRUE(rec.failures().empty());
    canvas.read();
    const Rgba red{255, 0, 0, 255};
    std::vector<Pixel> places;
    ASSERT_EQ(arm->joints.size(), 4u);
    for (const JointBase* j : arm->joints) {
        const Pixel px = pixel_of(origin_of(j->parent->out_attach_world(Values::shown)));
        places.push_back(px);
        EXPECT_TRUE(canvas.all_near(px.x, px.y, 2, red, 2)) << canvas.around(px.x, px.y, 2);
    }
    // Discs of 100 / distance pixels across: at about 4 units away, well within 20 pixels.
    expect_only_near(red, places, 20, "red");
}

TEST_F(ArmDrawing, MarkersShowNodesEffectorAndGoal) {
    start(points.get());
    arm->draw_markers(points.get());
    canvas.read();
    const Rgba white{255, 255, 255, 255};
    const Rgba yellow{255, 255, 0, 255};
    const Rgba orange = gl_canvas::rgba(1, 0.5f, 0);
    std::vector<Pixel> nodes;
    for (const Sinew::Node* n : arm->nodes) {
        const Pixel px = pixel_of(origin_of(n->world_transform(Values::shown)));
        nodes.push_back(px);
        EXPECT_TRUE(canvas.has_near(px.x, px.y, 2, white, 2)) << canvas.around(px.x, px.y, 2);
    }
    expect_only_near(white, nodes, 20, "white");
    const Pixel tip = pixel_of(effector->world_position(Values::shown));
    EXPECT_TRUE(canvas.has_near(tip.x, tip.y, 3, yellow, 2)) << canvas.around(tip.x, tip.y, 3);
    expect_only_near(yellow, {tip}, 20, "yellow");
    const Pixel goal = pixel_of(Vec3f(1, 0, 1));
    EXPECT_TRUE(canvas.has_near(goal.x, goal.y, 3, orange, 2)) << canvas.around(goal.x, goal.y, 3);
    expect_only_near(orange, {goal}, 20, "orange");
}

TEST_F(ArmDrawing, BonesAreCyanLinesAlongTheNodes) {
    start(lines.get());
    lines->set_model_matrix(identity4());
    Quarn::color(0, 1, 1, 1);
    arm->draw_bones(lines.get());
    canvas.read();
    const Rgba cyan{0, 255, 255, 255};
    for (const Sinew::Node* n : arm->nodes) {
        const Mat4f w = n->world_transform(Values::shown);
        const Vec3f a = origin_of(w * n->in_attach), b = origin_of(w * n->out_attach);
        for (float t : {0.25f, 0.5f, 0.75f}) {
            const Pixel px = pixel_of(a + t * (b - a));
            EXPECT_TRUE(canvas.has_near(px.x, px.y, 1, cyan, 2)) << canvas.around(px.x, px.y, 1);
        }
    }
    // Beside the arm, nothing: the goal's place and the origin's far side.
    for (const Vec3f& q : {Vec3f(1, 0, 1), Vec3f(-1, 0.5f, -1)}) {
        const Pixel px = pixel_of(q);
        EXPECT_TRUE(canvas.all_near(px.x, px.y, 3, gl_canvas::black, 0))
            << canvas.around(px.x, px.y, 3);
    }
}

TEST_F(ArmDrawing, HingeGizmoIsGreenOver150DegreesAndRedOverTheOther210) {
    start(lines.get());
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // additive, as the demo draws gizmos
    const JointBase* hinge = arm->joints[1];
    ASSERT_TRUE(hinge->angle_x.enabled && hinge->angle_x.limited);
    ASSERT_EQ(hinge->angle_x.limit_high, 150.0f);
    hinge->draw_gizmo(lines.get());
    canvas.read();

    const Mat4f frame = hinge->parent->out_attach_world(Values::shown);
    auto on_circle = [&](float degrees, float r) {
        const float a = deg_to_rad(degrees);
        return pixel_of(apply(frame, Vec3f(0, r * std::cos(a), r * std::sin(a))));
    };
    const Rgba green{0, 255, 0, 255}, red{255, 0, 0, 255};
    int green_seen = 0, red_seen = 0;
    for (int degrees = 0; degrees < 360; degrees += 5) {
        // Leave out the ends of the arcs and the current-value radial.
        if (degrees % 150 < 8 || degrees % 150 > 142 || std::abs(degrees - 30) < 8 || degrees > 352)
            continue;
        const Pixel px = on_circle(static_cast<float>(degrees), 0.1f);
        const bool allowed = degrees < 150;
        const Rgba& want = allowed ? green : red;
        const Rgba& other = allowed ? red : green;
        EXPECT_TRUE(canvas.has_near(px.x, px.y, 1, want, 2))
            << degrees << " degrees " << canvas.around(px.x, px.y, 1);
        EXPECT_FALSE(canvas.has_near(px.x, px.y, 1, other, 2))
            << degrees << " degrees " << canvas.around(px.x, px.y, 1);
        (allowed ? green_seen : red_seen) += 1;
    }
    EXPECT_GT(green_seen, 15);
    EXPECT_GT(red_seen, 30);
    // Dark radials at the limits, a lighter one at the current angle.
    const struct {
        float degrees;
        Rgba colour;
    } radials[] = {{0, gl_canvas::rgba(0.2f, 0.2f, 0.2f)},
                   {150, gl_canvas::rgba(0.2f, 0.2f, 0.2f)},
                   {hinge->angle_x.value_shown, gl_canvas::rgba(0.4f, 0.4f, 0.4f)}};
    for (const auto& r : radials) {
        const Pixel px = on_circle(r.degrees, 0.06f);
        EXPECT_TRUE(canvas.has_near(px.x, px.y, 1, r.colour, 2))
            << r.degrees << " degrees " << canvas.around(px.x, px.y, 1);
    }
}

TEST_F(ArmDrawing, EffectorLineRunsToTheGoal) {
    start(lines.get());
    const Sinew::Effector* tip = effector;
    tip->draw(lines.get());
    canvas.read();
    const Vec3f a = tip->world_position(Values::shown), b = tip->goal;
    const Rgba grey = gl_canvas::rgba(0.2f, 0.2f, 0.2f);
    for (float t : {0.25f, 0.5f, 0.75f}) {
        const Pixel px = pixel_of(a + t * (b - a));
        EXPECT_TRUE(canvas.has_near(px.x, px.y, 1, grey, 2)) << canvas.around(px.x, px.y, 1);
    }
}

TEST_F(ArmDrawing, EffectorWithoutGoalDrawsOnlyItself) {
    start(lines.get());
    Sinew::Body body;
    Sinew::Node* root = body.add_node(identity4(), translation(0, 1, 0));
    Sinew::Effector* e = root->add_effector(Vec3f(0, 1, 0));
    {
        WarnRecorder rec;
        Faces faces;
        e->draw(lines.get());
        EXPECT_TRUE(rec.failures().empty());
        ASSERT_EQ(faces.list().size(), 1u);
        EXPECT_EQ(faces.list()[0][0].color, Vec4f(1, 1, 0, 1));
    }

    // At its goal: both points on one place and a zero-length line.
    e->goal = Vec3f(0, 1, 0);
    Faces at_goal;
    e->draw(lines.get());
    const auto list = at_goal.list();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1][0].color, Vec4f(1, 0.5f, 0, 1));
    ASSERT_EQ(list[2].size(), 2u);
    EXPECT_EQ(list[2][0].position, list[2][1].position);
    EXPECT_EQ(list[2][0].color, Vec4f(0.2f, 0.2f, 0.2f, 1));
}

}  // namespace
