#pragma once

namespace Quarn {

// Starts the library on the current GL context: fixed GL state, FreeType, the built-in program
// registry, the OpenCL platform list and the framebuffer binding records.
void init();
// Releases all of it; the context must still be current.
void deinit();

}  // namespace Quarn
