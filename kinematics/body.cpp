#include "kinematics/body.h"

#include <limits>

#include "math/assert_warn.h"
#include "math/pseudo_inverse.h"

namespace Sinew {

Node::Node(Mat4f in_attach, Mat4f out_attach)
    : in_attach(in_attach), out_attach(out_attach), in_attach_inverse(in_attach.inverse()) {}

Node::~Node() {
    for (Effector* e : effectors) {
        delete e;
    }
}

Effector* Node::add_effector(Vec3f offset) {
    Effector* e = new Effector(this, offset);
    effectors.insert(e);
    return e;
}

Mat4f Node::world_transform(Values values) const {
    if (in_joint == nullptr) {
        return identity4();
    }
    return in_joint->joint_frame(values) * in_attach_inverse;
}

Mat4f Node::out_attach_world(Values values) const {
    return world_transform(values) * out_attach;
}

Effector::Effector(Node* node, Vec3f offset)
    : node(node), offset(offset), goal(std::numeric_limits<float>::infinity(), 0, 0) {}

Vec3f Effector::world_position(Values values) const {
    const Mat4f m = node->world_transform(values) * translation(offset[0], offset[1], offset[2]);
    return Vec3f(m * Vec4f(0, 0, 0, 1));
}

bool Effector::goal_set() const {
    return goal[0] != std::numeric_limits<float>::infinity();
}

Body::~Body() {
    for (Node* n : nodes) {
        delete n;
    }
    for (JointBase* j : joints) {
        delete j;
    }
}

Node* Body::add_node(Mat4f in_attach, Mat4f out_attach) {
    nodes.push_back(new Node(in_attach, out_attach));
    return nodes.back();
}

JointBall* Body::add_joint_ball(Node* parent, Node* child, float x, float y, float z) {
    JointBall* j = new JointBall(parent, child, x, y, z);
    joints.push_back(j);
    return j;
}

JointHinge* Body::add_joint_hinge(Node* parent, Node* child, float x) {
    JointHinge* j = new JointHinge(parent, child, x);
    joints.push_back(j);
    return j;
}

JointTwist* Body::add_joint_twist(Node* parent, Node* child, float y) {
    JointTwist* j = new JointTwist(parent, child, y);
    joints.push_back(j);
    return j;
}

JointUniv* Body::add_joint_univ(Node* parent, Node* child, float x, float z) {
    JointUniv* j = new JointUniv(parent, child, x, z);
    joints.push_back(j);
    return j;
}

std::vector<Effector*> Body::collect_effectors() const {
    std::vector<Effector*> out;
    for (const Node* n : nodes) {
        out.insert(out.end(), n->effectors.begin(), n->effectors.end());
    }
    return out;
}

namespace {

// Whether the joint lies on the path from the node back to its root, i.e.
// whether moving it moves the node. The walk is bounded so that a joint loop
// built by mistake cannot hang the solver.
bool moves(const JointBase* joint, const Node* node, size_t joint_count) {
    for (size_t steps = 0; node != nullptr && node->in_joint != nullptr && steps <= joint_count;
         ++steps) {
        if (node->in_joint == joint) {
            return true;
        }
        node = node->in_joint->parent;
    }
    return false;
}

int enabled_count(const JointBase* joint) {
    int n = 0;
    joint->for_each_dof([&n](const JointBase::DOFBase& d) { n += d.enabled ? 1 : 0; });
    return n;
}

}  // namespace

Jacobian Body::jacobian(const std::vector<Effector*>& effectors) const {
    Jacobian J(MatrixInit::zeros);
    for (size_t k = 0; k < effectors.size(); ++k) {
        const Vec3f p = effectors[k]->world_position(Values::solved);
        int col = 0;
        for (const JointBase* j : joints) {
            // A joint beyond the effector's node cannot move it: its columns
            // stay zero instead of the lever arm a rotation there would have.
            if (moves(j, effectors[k]->node, joints.size())) {
                j->fill_jacobian(J, 3 * static_cast<int>(k), col, p);
            } else {
                col += enabled_count(j);
            }
        }
    }
    return J;
}

ErrorVector Body::error(const std::vector<Effector*>& effectors) const {
    ErrorVector e(MatrixInit::zeros);
    for (size_t k = 0; k < effectors.size(); ++k) {
        const Effector* eff = effectors[k];
        assert_warn(eff->goal_set(), "Did not set an effector's goal!");
        // An unset goal would fill the step with NaN and ruin every joint for
        // good; that effector simply pulls nowhere instead.
        if (!eff->goal_set()) {
            continue;
        }
        const Vec3f p = eff->world_position(Values::solved);
        for (int i = 0; i < 3; ++i) {
            e[3 * static_cast<int>(k) + i] = eff->goal[i] - p[i];
        }
    }
    return e;
}

void Body::solve(int n) {
    const std::vector<Effector*> effectors = collect_effectors();
    for (int iteration = 0; iteration < n; ++iteration) {
        const Jacobian J = jacobian(effectors);
        const ErrorVector e = error(effectors);
        const Solution d = pseudo_inverse(J) * e;
        int col = 0;
        for (JointBase* j : joints) {
            j->apply_delta(d, col);
        }
    }
}

void Body::randomize() {
    for (JointBase* j : joints) {
        j->randomize();
    }
}

}  // namespace Sinew
