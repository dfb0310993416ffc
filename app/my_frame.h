#pragma once

#include "math/matrix.h"
#include "render/fbo/fbo.h"
#include "render/shading/program.h"
#include "windowing/context.h"
#include "windowing/frame.h"

namespace Quarn::Objects {
class ObjectRaw;
}

// Cleared by the close button and by Escape; the main loop runs while it holds.
extern bool running;
extern Orv::Context* context;
extern Quarn::Shading::ShaderProgram* program_lines;
extern Quarn::Shading::ShaderProgram* program_points;
extern int window_width;
extern int window_height;
// Azimuth and elevation of the orbiting camera, in degrees.
extern Matrix<float, 2, 1> camera_angles;
extern float camera_distance;

// The demo's window: the grid, the arm and its goal, drawn into a multisampled
// off-screen target and copied to the window; the mouse orbits, zooms and
// drags the goal.
class MyFrame : public Orv::Frame::FrameBase {
public:
    MyFrame();
    ~MyFrame() override;

    void on_frame_resize(const Orv::Input::Events::EventFrameResize& event) override;
    void on_frame_close(const Orv::Input::Events::EventFrameClose& event) override;
    void on_key_down(const Orv::Input::Events::EventKeyDown& event) override;
    void on_event(const Orv::Input::Events::EventBase& event) override;
    void draw() override;

    void rebuild_fbo();
    Vec3f camera_position() const;

    Quarn::FBO::FBO2D* fbo = nullptr;
    Quarn::Objects::ObjectRaw* grid = nullptr;

private:
    void drag_goal(const Mat4f& projection, const Mat4f& view);
};
