#include "kinematics/joint.h"

#include <cmath>

#include "kinematics/body.h"
#include "kinematics/random.h"
#include "math/assert_warn.h"

namespace Sinew {

namespace {

void enable(JointBase::DOFBase& dof, float value) {
    dof.enabled = true;
    dof.value_shown = value;
    dof.value_solved = value;
}

// Motion of one degree of freedom in column order: rotations about X, Y, Z,
// then the slide along Y.
Mat4f dof_transform(int k, float value) {
    switch (k) {
        case 0:
            return rotation_degrees(Vec3f(1, 0, 0), value);
        case 1:
            return rotation_degrees(Vec3f(0, 1, 0), value);
        case 2:
            return rotation_degrees(Vec3f(0, 0, 1), value);
        default:
            return translation(0, value, 0);
    }
}

}  // namespace

void JointBase::DOFBase::set_limits(float low, float high) {
    assert_warn(enabled,
                "Setting constraint is meaningless; this joint does not support this degree of "
                "freedom!");
    limited = true;
    limit_low = low;
    limit_high = high;
}

void JointBase::DOFBase::update_shown(float t) {
    if (!enabled) {
        return;
    }
    // shown + (solved - shown) can miss solved by a rounding step, and a full
    // update must show exactly what the solver left.
    value_shown = t == 1.0f ? value_solved : value_shown + (value_solved - value_shown) * t;
}

void JointBase::DOFBase::randomize() {
    if (enabled) {
        float x = random_float(-180.0f, 180.0f);
        value_shown = x;
        value_solved = x;
        constrain();
    }
}

void JointBase::DOFAngleBase::constrain() {
    if (!enabled) {
        return;
    }
    value_shown = std::fmod(value_shown, 360.0f);
    value_solved = std::fmod(value_solved, 360.0f);
    if (limited) {
        value_shown = clamp(value_shown, limit_low, limit_high);
        value_solved = clamp(value_solved, limit_low, limit_high);
    }
}

void JointBase::DOFSlide::constrain() {
    if (enabled && limited) {
        value_shown = clamp(value_shown, limit_low, limit_high);
        value_solved = clamp(value_solved, limit_low, limit_high);
    }
}

JointBase::JointBase(Node* parent, Node* child) : parent(parent), child(child) {
    child->in_joint = this;
}

Mat4f JointBase::local_transform(Values values) const {
    const DOFBase* dofs[4] = {&angle_x, &angle_y, &angle_z, &slide};
    Mat4f m = identity4();
    for (int k = 0; k < 4; ++k) {
        if (dofs[k]->enabled) {
            m = m * dof_transform(k, dofs[k]->value(values));
        }
    }
    return m;
}

Mat4f JointBase::joint_frame(Values values) const {
    return parent->out_attach_world(values) * local_transform(values);
}

void JointBase::update_shown(float t) {
    for_each_dof([t](DOFBase& dof) { dof.update_shown(t); });
}

void JointBase::randomize() {
    for_each_dof([](DOFBase& dof) { dof.randomize(); });
}

void JointBase::fill_jacobian(Jacobian& J, int row, int& col, const Vec3f& p_e) const {
    // Each degree of freedom acts in the frame left by the ones before it:
    // X turns about the parent's X, Y about X-turned Y, and so on. Taking every
    // axis from the final frame would be right only while the other angles are 0.
    const DOFBase* dofs[4] = {&angle_x, &angle_y, &angle_z, &slide};
    Mat4f frame = parent->out_attach_world(Values::solved);
    for (int k = 0; k < 4; ++k) {
        if (!dofs[k]->enabled) {
            continue;
        }
        const Vec3f origin(frame * Vec4f(0, 0, 0, 1));
        const int a = k < 3 ? k : 1;
        const Vec3f axis =
            Vec3f(frame * Vec4f(a == 0 ? 1 : 0, a == 1 ? 1 : 0, a == 2 ? 1 : 0, 1)) - origin;
        const Vec3f column = k < 3 ? cross(axis, p_e - origin) : axis;
        for (int i = 0; i < 3; ++i) {
            J.at(row + i, col) = column[i];
        }
        ++col;
        frame = frame * dof_transform(k, dofs[k]->value_solved);
    }
}

void JointBase::apply_delta(const Solution& delta, int& col) {
    DOFBase* dofs[4] = {&angle_x, &angle_y, &angle_z, &slide};
    for (int k = 0; k < 4; ++k) {
        if (!dofs[k]->enabled) {
            continue;
        }
        dofs[k]->value_solved += k < 3 ? rad_to_deg(delta[col]) : delta[col];
        ++col;
        dofs[k]->constrain();
    }
}

JointHinge::JointHinge(Node* parent, Node* child, float x) : JointBase(parent, child) {
    enable(angle_x, x);
}

JointTwist::JointTwist(Node* parent, Node* child, float y) : JointBase(parent, child) {
    enable(angle_y, y);
}

JointUniv::JointUniv(Node* parent, Node* child, float x, float z) : JointBase(parent, child) {
    enable(angle_x, x);
    enable(angle_z, z);
}

JointBall::JointBall(Node* parent, Node* child, float x, float y, float z)
    : JointBase(parent, child) {
    enable(angle_x, x);
    enable(angle_y, y);
    enable(angle_z, z);
}

}  // namespace Sinew
