#pragma once

#include <map>

#include "windowing/types.h"

namespace Orv::Input {

// Mouse, button and key state of one frame, brought up to date before each
// event is delivered. Positions are client coordinates, origin top-left, y
// down.
class InputState {
public:
    // Index 0 left, 1 middle, 2 right.
    bool buttons[3] = {false, false, false};
    Point previous_position = {-1, -1};
    Point position = {0, 0};
    // Nonzero only while a move event is being delivered.
    Point delta = {0, 0};
    // Nonzero only while a scroll event is being delivered.
    Point scroll = {0, 0};
    // By virtual-key code: true while held, false after release.
    std::map<int, bool> keys;
};

bool is_key_down(const InputState& input, int key);
bool is_key_down(const InputState* input, int key);

}  // namespace Orv::Input
