#pragma once

#include <random>

namespace Sinew {

// The generator behind every random pose: one per thread, default-seeded, so
// that the sequence of poses is the same on every run.
std::mt19937& random_engine();

// A value in [low, high] from the next 32-bit output of this thread's
// generator; high itself comes out only when the output rounds up to 2^32.
float random_float(float low, float high);

}  // namespace Sinew
