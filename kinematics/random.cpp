#include "kinematics/random.h"

namespace Sinew {

std::mt19937& random_engine() {
    thread_local std::mt19937 engine;  // default seed 5489
    return engine;
}

float random_float(float low, float high) {
    // 4294967295.0f + 1.0f is 2^32 in single precision.
    float u = static_cast<float>(random_engine()()) / (4294967295.0f + 1.0f);
    return u * (high - low) + low;
}

}  // namespace Sinew
