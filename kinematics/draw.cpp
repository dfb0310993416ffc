// Inspection drawing of joints, nodes and effectors, always from the shown values.
#include <GL/glew.h>

#include "kinematics/body.h"
#include "kinematics/joint.h"
#include "kinematics/primitives.h"
#include "math/assert_warn.h"
#include "render/immediate.h"
#include "render/shading/program.h"

namespace Sinew {

namespace {

constexpr float slide_disc_radius = 0.1f;
constexpr float slide_limit_radius = 0.09f;

void set_model(Quarn::Shading::ShaderProgram* program, const Mat4f& m) {
    assert_warn(program != nullptr, "Cannot set a model matrix without a program!");
    if (program != nullptr)
        program->set_model_matrix(m);
}

}  // namespace

void JointBase::DOFAngleBase::draw(Quarn::Shading::ShaderProgram*) const {
    if (!enabled)
        return;
    const float v = value_shown;
    const Vec3f green(0.0f, 1.0f, 0.0f);
    const Vec3f red(1.0f, 0.0f, 0.0f);
    const Vec3f dark(0.2f, 0.2f, 0.2f);
    const Vec3f light(0.4f, 0.4f, 0.4f);
    if (!limited) {
        draw_arc(axis, green, 0.0f, 360.0f);
        draw_radial(axis, light, v);
        return;
    }
    // The allowed range and the forbidden rest together close the circle.
    draw_arc(axis, green, limit_low, limit_high);
    draw_arc(axis, red, limit_high, limit_low + 360.0f);
    draw_radial(axis, dark, limit_low);
    draw_radial(axis, light, v);
    draw_radial(axis, dark, limit_high);
}

void JointBase::DOFSlide::draw(Quarn::Shading::ShaderProgram*) const {
    if (!enabled)
        return;
    const float v = value_shown;
    Quarn::color(0.0f, 1.0f, 0.0f, 1.0f);
    draw_disc(slide_disc_radius, v, v);
    if (!limited)
        return;
    // The half-transparent cones must not hide what is drawn behind them later.
    glDepthMask(GL_FALSE);
    Quarn::color(1.0f, 0.0f, 0.0f, 0.5f);
    draw_disc(slide_limit_radius, 0.0f, limit_low);
    draw_disc(slide_limit_radius, 0.0f, limit_high);
    glDepthMask(GL_TRUE);
}

void JointBase::draw_point(Quarn::Shading::ShaderProgram* program) const {
    set_model(program, parent->out_attach_world(Values::shown));
    draw_dot(1.0f, 0.0f, 0.0f);
}

void JointBase::draw_gizmo(Quarn::Shading::ShaderProgram* program) const {
    set_model(program, parent->out_attach_world(Values::shown));
    for_each_dof([program](const DOFBase& dof) { dof.draw(program); });
}

void Node::draw_bone(Quarn::Shading::ShaderProgram*) const {
    const Mat4f w = world_transform(Values::shown);
    const Vec3f a(w * in_attach * Vec4f(0, 0, 0, 1));
    const Vec3f b(w * out_attach * Vec4f(0, 0, 0, 1));
    Quarn::begin(2, false);
    Quarn::vertex(a);
    Quarn::vertex(b);
    Quarn::end();
}

void Node::draw_marker(Quarn::Shading::ShaderProgram* program) const {
    set_model(program, world_transform(Values::shown));
    draw_dot(1.0f, 1.0f, 1.0f);
    for (const Effector* e : effectors)
        e->draw(program);
}

void Effector::draw(Quarn::Shading::ShaderProgram* program) const {
    const Vec3f p = world_position(Values::shown);
    set_model(program, translation(p[0], p[1], p[2]));
    draw_dot(1.0f, 1.0f, 0.0f);
    // An unset goal has no place to be drawn at.
    if (!goal_set())
        return;
    set_model(program, translation(goal[0], goal[1], goal[2]));
    draw_dot(1.0f, 0.5f, 0.0f);
    set_model(program, identity4());
    Quarn::begin(2, false);
    Quarn::color(0.2f, 0.2f, 0.2f, 1.0f);
    Quarn::vertex(p);
    Quarn::vertex(goal);
    Quarn::end();
}

void Body::draw_joint_points(Quarn::Shading::ShaderProgram* program) const {
    for (const JointBase* j : joints)
        j->draw_point(program);
}

void Body::draw_joint_gizmos(Quarn::Shading::ShaderProgram* program) const {
    for (const JointBase* j : joints)
        j->draw_gizmo(program);
}

void Body::draw_bones(Quarn::Shading::ShaderProgram* program) const {
    for (const Node* n : nodes)
        n->draw_bone(program);
}

void Body::draw_markers(Quarn::Shading::ShaderProgram* program) const {
    for (const Node* n : nodes)
        n->draw_marker(program);
}

}  // namespace Sinew
