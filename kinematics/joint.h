#pragma once

#include "math/matrix.h"

namespace Quarn::Shading {
class ShaderProgram;
}

namespace Sinew {

class Node;

// Which of the two value sets of every degree of freedom a computation reads.
enum class Values { shown, solved };

// The solver's fixed work sizes: three rows per effector for at most two
// effectors, one column per enabled degree of freedom for at most eight.
constexpr int max_effectors = 2;
constexpr int max_dofs = 8;
using Jacobian = Matrix<float, 3 * max_effectors, max_dofs>;
using ErrorVector = Matrix<float, 3 * max_effectors, 1>;
using Solution = Matrix<float, max_dofs, 1>;

class JointBase {
public:
    class DOFBase {
    public:
        virtual ~DOFBase() = default;
        // Brings both values back into this degree of freedom's range; a disabled one, whose
        // limits never act, is left as it is.
        virtual void constrain() = 0;
        // The gizmo of this degree of freedom in the joint's frame; nothing while disabled.
        virtual void draw(Quarn::Shading::ShaderProgram* program) const = 0;

        void set_limits(float low, float high);
        void update_shown(float t);
        void randomize();
        float value(Values values) const {
            return values == Values::shown ? value_shown : value_solved;
        }

        bool enabled = false;
        float value_shown = 0;
        float value_solved = 0;
        bool limited = false;
        float limit_low = 0;
        float limit_high = 0;
    };

    class DOFAngleBase : public DOFBase {
    public:
        explicit DOFAngleBase(int axis) : axis(axis) {}
        // Wraps by the remainder after 360 (keeping the sign), then clamps.
        void constrain() override;
        void draw(Quarn::Shading::ShaderProgram* program) const override;

        int axis;
    };

    class DOFAngleX : public DOFAngleBase {
    public:
        DOFAngleX() : DOFAngleBase(0) {}
        ~DOFAngleX() override = default;
    };

    class DOFAngleY : public DOFAngleBase {
    public:
        DOFAngleY() : DOFAngleBase(1) {}
        ~DOFAngleY() override = default;
    };

    class DOFAngleZ : public DOFAngleBase {
    public:
        DOFAngleZ() : DOFAngleBase(2) {}
        ~DOFAngleZ() override = default;
    };

    // Translation along the joint's local Y axis; clamped, never wrapped.
    class DOFSlide : public DOFBase {
    public:
        void constrain() override;
        void draw(Quarn::Shading::ShaderProgram* program) const override;
    };

    virtual ~JointBase() = default;
    JointBase(const JointBase&) = delete;
    JointBase& operator=(const JointBase&) = delete;

    // The joint's own motion: Rx, Ry, Rz and the slide of its enabled degrees
    // of freedom, multiplied in that order (X acts last on a point).
    Mat4f local_transform(Values values) const;
    // World transform of the joint after its own motion.
    Mat4f joint_frame(Values values) const;

    void update_shown(float t);
    void randomize();

    // Inspection drawing from the shown values, in the parent's outgoing attachment frame.
    void draw_point(Quarn::Shading::ShaderProgram* program) const;
    void draw_gizmo(Quarn::Shading::ShaderProgram* program) const;

    // Writes d(effector position)/d(value) per radian (per unit for the slide)
    // into rows row..row+2, one column per enabled degree of freedom from col.
    void fill_jacobian(Jacobian& J, int row, int& col, const Vec3f& p_e) const;
    // Adds this joint's entries of a solver step (radians, or units for the
    // slide) to the solved values, constraining each one.
    void apply_delta(const Solution& delta, int& col);

    // Visits the four degrees of freedom in column order.
    template <typename F>
    void for_each_dof(F&& f) {
        f(angle_x);
        f(angle_y);
        f(angle_z);
        f(slide);
    }
    template <typename F>
    void for_each_dof(F&& f) const {
        f(angle_x);
        f(angle_y);
        f(angle_z);
        f(slide);
    }

    Node* parent;
    Node* child;
    DOFAngleX angle_x;
    DOFAngleY angle_y;
    DOFAngleZ angle_z;
    DOFSlide slide;

protected:
    // Records the joint as the child's incoming joint; all degrees of freedom
    // start disabled and zero.
    JointBase(Node* parent, Node* child);
};

class JointHinge : public JointBase {
public:
    JointHinge(Node* parent, Node* child, float x);
    ~JointHinge() override = default;
};

class JointTwist : public JointBase {
public:
    JointTwist(Node* parent, Node* child, float y);
    ~JointTwist() override = default;
};

class JointUniv : public JointBase {
public:
    JointUniv(Node* parent, Node* child, float x, float z);
    ~JointUniv() override = default;
};

class JointBall : public JointBase {
public:
    JointBall(Node* parent, Node* child, float x, float y, float z);
    ~JointBall() override = default;
};

}  // namespace Sinew
