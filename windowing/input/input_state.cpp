#include "windowing/input/input_state.h"

namespace Orv::Input {

bool is_key_down(const InputState& input, int key) {
    auto found = input.keys.find(key);
    return found != input.keys.end() && found->second;
}

bool is_key_down(const InputState* input, int key) {
    return input != nullptr && is_key_down(*input, key);
}

}  // namespace Orv::Input
