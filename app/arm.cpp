#include "app/arm.h"

Sinew::Body* arm = nullptr;
Sinew::Effector* effector = nullptr;
int iterations_spent = 0;

namespace {
constexpr float converged_distance = 0.001f;
constexpr int iterations_per_update = 10;
constexpr int iterations_before_restart = 100;
}  // namespace

void build_arm() {
    delete arm;
    iterations_spent = 0;

    arm = new Sinew::Body();
    Sinew::Node* n1 = arm->add_node(identity4(), translation(0, 0.5f, 0));
    Sinew::Node* n2 = arm->add_node(translation(0, -0.2f, 0), translation(0, 0.5f, 0));
    Sinew::Node* n3 = arm->add_node(translation(0, -0.2f, 0), translation(0, 0.2f, 0));
    Sinew::Node* n4 = arm->add_node(translation(0, -0.4f, 0), translation(0, 0.7f, 0));
    Sinew::Node* n5 = arm->add_node(translation(0, -0.1f, 0), translation(0, 0.2f, 0));

    effector = n5->add_effector(Vec3f(0, 0.2f, 0));
    effector->goal = Vec3f(1, 0, 1);

    arm->add_joint_ball(n1, n2, 45, 0, 0);
    Sinew::JointHinge* hinge = arm->add_joint_hinge(n2, n3, 30);
    Sinew::JointTwist* twist = arm->add_joint_twist(n3, n4, 0);
    Sinew::JointUniv* univ = arm->add_joint_univ(n4, n5, 0, 0);

    hinge->angle_x.set_limits(0, 150);
    twist->angle_y.set_limits(-90, 90);
    univ->angle_x.set_limits(-80, 80);
    univ->angle_z.set_limits(-15, 15);
}

void update_arm() {
    const Vec3f p = effector->world_position(Sinew::Values::shown);
    if ((p - effector->goal).length() < converged_distance) {
        iterations_spent = 0;
        return;
    }
    if (iterations_spent >= iterations_before_restart) {
        arm->randomize();
        iterations_spent = 0;
    }
    arm->solve(iterations_per_update);
    for (Sinew::JointBase* j : arm->joints) {
        j->update_shown(1.0f);
    }
    iterations_spent += iterations_per_update;
}
