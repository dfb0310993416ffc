#pragma once

#include <set>
#include <vector>

#include "kinematics/joint.h"
#include "math/matrix.h"

namespace Quarn::Shading {
class ShaderProgram;
}

namespace Sinew {

class Effector;

// One rigid link. Its incoming joint acts at in_attach, a further joint at
// out_attach, both given in the node's own coordinates.
class Node {
public:
    Node(Mat4f in_attach, Mat4f out_attach);
    ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    Effector* add_effector(Vec3f offset);

    // Node-to-world transform; a node without an incoming joint is the root
    // and sits at the origin whatever its in_attach.
    Mat4f world_transform(Values values) const;
    Mat4f out_attach_world(Values values) const;

    // A line from in_attach to out_attach in the current colour; the caller sets the model matrix.
    void draw_bone(Quarn::Shading::ShaderProgram* program) const;
    // A white point at the node's origin, then its effectors.
    void draw_marker(Quarn::Shading::ShaderProgram* program) const;

    JointBase* in_joint = nullptr;
    Mat4f in_attach;
    Mat4f out_attach;
    Mat4f in_attach_inverse;
    std::set<Effector*> effectors;
};

// A point fixed on a node that the solver pulls toward its goal.
class Effector {
public:
    Effector(Node* node, Vec3f offset);

    Vec3f world_position(Values values) const;
    // A goal is unset until the application writes one.
    bool goal_set() const;
    // Yellow point at the effector, orange at its goal, a grey line between them.
    void draw(Quarn::Shading::ShaderProgram* program) const;

    Node* node;
    Vec3f offset;
    Vec3f goal;
};

// Owns the nodes, the joints between them and, through the nodes, the
// effectors; solves the joints' values so that the effectors reach their goals.
class Body {
public:
    Body() = default;
    ~Body();
    Body(const Body&) = delete;
    Body& operator=(const Body&) = delete;

    Node* add_node(Mat4f in_attach, Mat4f out_attach);
    JointBall* add_joint_ball(Node* parent, Node* child, float x, float y, float z);
    JointHinge* add_joint_hinge(Node* parent, Node* child, float x);
    JointTwist* add_joint_twist(Node* parent, Node* child, float y);
    JointUniv* add_joint_univ(Node* parent, Node* child, float x, float z);

    // Runs n undamped pseudo-inverse steps on the solved values; the shown
    // values stay as they are.
    void solve(int n);
    void randomize();

    // Inspection passes over the shown values; each sets model matrices on `program`, which the
    // caller has made current with its projection and view.
    void draw_joint_points(Quarn::Shading::ShaderProgram* program) const;
    void draw_joint_gizmos(Quarn::Shading::ShaderProgram* program) const;
    void draw_bones(Quarn::Shading::ShaderProgram* program) const;
    void draw_markers(Quarn::Shading::ShaderProgram* program) const;

    // The effectors in solver order: by node creation, then by each node's set.
    std::vector<Effector*> collect_effectors() const;
    // The Jacobian of the given effectors (three rows each) over every enabled
    // degree of freedom, from the solved values.
    Jacobian jacobian(const std::vector<Effector*>& effectors) const;
    // Goal minus solved position of the given effectors, three rows each.
    ErrorVector error(const std::vector<Effector*>& effectors) const;

    std::vector<Node*> nodes;
    std::vector<JointBase*> joints;
};

}  // namespace Sinew
