#pragma once

#include <vector>

#include "kinematics/body.h"

namespace fd {

// Central-difference Jacobian of the effectors' solved positions over every
// enabled degree of freedom, per radian for angles and per unit for slides,
// in the solver's column order. Values are nudged directly, never constrained.
inline Sinew::Jacobian jacobian(Sinew::Body& body, const std::vector<Sinew::Effector*>& effectors,
                                float h) {
    Sinew::Jacobian J(MatrixInit::zeros);
    int col = 0;
    for (Sinew::JointBase* joint : body.joints) {
        Sinew::JointBase::DOFBase* dofs[4] = {&joint->angle_x, &joint->angle_y, &joint->angle_z,
                                              &joint->slide};
        for (int k = 0; k < 4; ++k) {
            if (!dofs[k]->enabled) {
                continue;
            }
            const float step = k < 3 ? rad_to_deg(h) : h;
            const float original = dofs[k]->value_solved;
            for (size_t e = 0; e < effectors.size(); ++e) {
                dofs[k]->value_solved = original + step;
                const Vec3f plus = effectors[e]->world_position(Sinew::Values::solved);
                dofs[k]->value_solved = original - step;
                const Vec3f minus = effectors[e]->world_position(Sinew::Values::solved);
                for (int i = 0; i < 3; ++i) {
                    J.at(3 * static_cast<int>(e) + i, col) = (plus[i] - minus[i]) / (2 * h);
                }
            }
            dofs[k]->value_solved = original;
            ++col;
        }
    }
    return J;
}

}  // namespace fd
