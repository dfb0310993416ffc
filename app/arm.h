#pragma once

#include "kinematics/body.h"

// The demo's one figure and its solving state.
extern Sinew::Body* arm;
extern Sinew::Effector* effector;
extern int iterations_spent;

// Builds the five-link arm with its goal at (1, 0, 1). A previous arm is
// deleted and the iteration budget starts afresh.
void build_arm();

// One frame of solving: nothing once the tip is within 0.001 of the goal,
// else 10 iterations, after a random restart when 100 iterations did not do.
void update_arm();
