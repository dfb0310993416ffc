#include "app/my_frame.h"

#include <GL/glew.h>

#include <cmath>

#include "app/arm.h"
#include "render/immediate.h"
#include "render/objects.h"
#include "render/projection.h"
#include "render/shading/builtin.h"
#include "render/shading/shader.h"
#include "windowing/input/events.h"
#include "windowing/input/input_state.h"

bool running = true;
Orv::Context* context = nullptr;
Quarn::Shading::ShaderProgram* program_lines = nullptr;
Quarn::Shading::ShaderProgram* program_points = nullptr;
int window_width = 1024;
int window_height = 768;
Matrix<float, 2, 1> camera_angles(20.0f, 20.0f);
float camera_distance = 4.0f;

namespace {

constexpr int key_escape = 27;
constexpr int key_shift = 16;
constexpr int key_s = 83;

using Quarn::Shading::ShaderFragment;
using Quarn::Shading::ShaderProgram;
using Quarn::Shading::ShaderVertex;

ShaderProgram* build_program(const std::string& code_eye, const std::string& fragment_body) {
    auto* program = new ShaderProgram();
    program->add_vertex_shader(new ShaderVertex(context, "", "", code_eye));
    program->add_fragment_shader(new ShaderFragment(context, fragment_body));
    program->build();
    return program;
}

bool all_finite(const Vec3f& v) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

}  // namespace

MyFrame::MyFrame()
    : FrameBase(
          nullptr,
          Orv::Flags::Style::BORDER | Orv::Flags::Style::RESIZABLE | Orv::Flags::Style::TITLE,
          Orv::Flags::Button::MINIMIZE | Orv::Flags::Button::MAXIMIZE | Orv::Flags::Button::CLOSE) {
    fbo = nullptr;
    rebuild_fbo();

    program_lines = build_program("", "\tCOLOR(0) = color;\n");
    program_points =
        build_program("point_size = 100.0 / length(vec_vert_eye.xyz);\n",
                      "\tvec2 del = gl_PointCoord - vec2(0.5);\n\tif (length(del)>0.5) discard;\n\n"
                      "\tCOLOR(0) = color;\n");

    grid = new Quarn::Objects::ObjectRaw(44, 22, 2, false);
    Quarn::Vertex corner;
    corner.set_color(0.2f, 0.2f, 0.2f, 1.0f);
    unsigned int next_index = 0;
    auto add_segment = [&](float x0, float z0, float x1, float z1) {
        corner.set_position(x0, 0.0f, z0, 1.0f);
        grid->add_vertex(corner);
        corner.set_position(x1, 0.0f, z1, 1.0f);
        grid->add_vertex(corner);
        grid->add_index(next_index++);
        grid->add_index(next_index++);
    };
    for (int i = -5; i <= 5; ++i)
        add_segment(-5.0f, static_cast<float>(i), 5.0f, static_cast<float>(i));
    for (int j = -5; j <= 5; ++j)
        add_segment(static_cast<float>(j), -5.0f, static_cast<float>(j), 5.0f);
    grid->update_vbo();
    grid->update_ibos();

    set_title("Inverse Kinematics - Tovald - 2014");
    set_size(window_width, window_height);
    set_position(200, 100);
    set_show_state(Orv::Frame::SHOWN, 0);
}

MyFrame::~MyFrame() {
    delete grid;
    delete program_lines;
    program_lines = nullptr;
    delete program_points;
    program_points = nullptr;
    delete fbo;
}

void MyFrame::on_frame_resize(const Orv::Input::Events::EventFrameResize& event) {
    window_width = event.width;
    window_height = event.height;
    rebuild_fbo();
}

void MyFrame::on_frame_close(const Orv::Input::Events::EventFrameClose&) {
    running = false;
}

void MyFrame::on_key_down(const Orv::Input::Events::EventKeyDown& event) {
    if (event.key == key_escape)
        running = false;
    else if (event.key == key_s)
        update_arm();
}

void MyFrame::on_event(const Orv::Input::Events::EventBase&) {
    if (input->buttons[2]) {
        camera_angles[0] += static_cast<float>(input->delta.x);
        camera_angles[1] += static_cast<float>(input->delta.y);
    }
    if (input->scroll.y > 0)
        camera_distance *= 0.9f;
    else if (input->scroll.y < 0)
        camera_distance *= 1.1111112f;
}

// A minimized window reports a client area of 0 x 0; the old target is kept
// until a real size comes, since an empty renderbuffer cannot be drawn into.
void MyFrame::rebuild_fbo() {
    if (window_width < 1 || window_height < 1)
        return;
    delete fbo;
    fbo = new Quarn::FBO::FBO2D(Vec2i(window_width, window_height), 32);
    fbo->attach_color(8, 1);
    fbo->attach_depth(32);
}

Vec3f MyFrame::camera_position() const {
    const float a = deg_to_rad(camera_angles[0]);
    const float b = deg_to_rad(camera_angles[1]);
    const float d = camera_distance;
    return Vec3f(d * std::cos(a) * std::cos(b), d * std::sin(b), d * std::sin(a) * std::cos(b));
}

void MyFrame::draw() {
    // Nothing is visible while minimized, and a zero-sized view has no aspect.
    if (size.width < 1 || size.height < 1 || fbo == nullptr)
        return;
    Quarn::Matrices::Projection3D projection(Vec4i(0, 0, size.width, size.height), 45.0f, 0.1f,
                                             100.0f);
    projection.apply_viewport();
    const Mat4f p = projection.projection_matrix();
    const Mat4f v = look_at(camera_position(), Vec3f(0, 0, 0), Vec3f(0, 1, 0));

    if (input->buttons[0])
        drag_goal(p, v);

    Quarn::FBO::bind_write(fbo, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    Quarn::Shading::use_program(program_points);
    program_points->set_projection_matrix(p);
    program_points->set_view_matrix(v);
    arm->draw_joint_points(program_points);
    arm->draw_markers(program_points);

    Quarn::Shading::use_program(program_lines);
    program_lines->set_projection_matrix(p);
    program_lines->set_view_matrix(v);
    program_lines->set_model_matrix(identity4());
    grid->draw(1, false);

    glLineWidth(3);
    program_lines->set_model_matrix(identity4());
    Quarn::color(0, 1, 1, 1);
    arm->draw_bones(program_lines);
    glLineWidth(1);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    arm->draw_joint_gizmos(program_lines);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);

    const Vec3f goal = effector->goal;
    const float gx = goal[0], gz = goal[2];
    program_lines->set_model_matrix(identity4());
    Quarn::begin(2, false);
    Quarn::color(1, 0.5f, 0, 1);
    Quarn::vertex(gx, 0, gz, 1);
    Quarn::vertex(goal[0], goal[1], goal[2], 1);
    Quarn::vertex(static_cast<float>(static_cast<int>(std::floor(gx))), 0, gz, 1);
    Quarn::vertex(static_cast<float>(static_cast<int>(std::ceil(gx))), 0, gz, 1);
    Quarn::vertex(gx, 0, static_cast<float>(static_cast<int>(std::floor(gz))), 1);
    Quarn::vertex(gx, 0, static_cast<float>(static_cast<int>(std::ceil(gz))), 1);
    Quarn::end();

    Quarn::FBO::bind_write(nullptr);
    fbo->resolve(1);
    Quarn::FBO::bind_read(fbo, 1);
    Quarn::FBO::copy_bound(GL_COLOR_BUFFER_BIT, Quarn::FBO::CopyFilter::nearest);
    Quarn::FBO::bind_read(nullptr);
}

// Moves the goal to the scene point under the cursor on an invisible plane:
// the ground, or with Shift the upright plane through the goal facing the
// camera. The depth comes from the window's own buffer, which the previous
// frame's copy left bound.
void MyFrame::drag_goal(const Mat4f& projection, const Mat4f& view) {
    glClear(GL_DEPTH_BUFFER_BIT);
    ShaderProgram* nop = Quarn::Shading::get_builtin_nop_program(context);
    Quarn::Shading::use_program(nop);

    const Vec3f goal = effector->goal;
    const bool upright = Orv::Input::is_key_down(input, key_shift);
    Mat4f model = identity4();
    if (upright) {
        const Vec3f eye = camera_position();
        const float theta = rad_to_deg(std::atan2(eye[2], eye[0]));
        model =
            translation(goal[0], 0, goal[2]) * rotation_degrees(Vec3f(0, 1, 0), -(theta + 90.0f));
    }
    nop->set_matrices(projection, view, model);
    Quarn::begin(4, false);
    if (upright) {
        Quarn::vertex(-5, -5, 0, 1);
        Quarn::vertex(5, -5, 0, 1);
        Quarn::vertex(5, 5, 0, 1);
        Quarn::vertex(-5, 5, 0, 1);
    } else {
        Quarn::vertex(-5, 0, -5, 1);
        Quarn::vertex(5, 0, -5, 1);
        Quarn::vertex(5, 0, 5, 1);
        Quarn::vertex(-5, 0, 5, 1);
    }
    Quarn::end();

    // NOTE: X11 keeps reporting the pointer while a button is held outside the
    // window; depth outside the window is undefined, so the pick stays on the
    // window's edge.
    const float width = static_cast<float>(size.width);
    const float height = static_cast<float>(size.height);
    const float x = clamp(static_cast<float>(input->position.x), 0.0f, width - 1.0f);
    const float y = clamp(height - static_cast<float>(input->position.y), 0.0f, height - 1.0f);
    const float depth = Quarn::Matrices::read_depth(round_half_up(x), round_half_up(y));
    const Vec3f picked = Quarn::Matrices::unproject(projection * view, Vec3f(x, y, depth));
    if (!all_finite(picked))
        return;
    effector->goal =
        Vec3f(clamp(picked[0], -10, 10), clamp(picked[1], -10, 10), clamp(picked[2], -10, 10));
}
