#pragma once

#include <CL/cl.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "render/fbo/binding.h"

namespace Quarn {

namespace Shading {
class ShaderProgram;
}

// Everything the library keeps process-wide. Quarn::init fills it and Quarn::deinit empties it;
// outside that span every container is empty, so stray calls find nothing instead of freed state.
struct LibraryState {
    FT_Library freetype = nullptr;

    // Built-in programs by name, owned.
    std::map<std::string, Shading::ShaderProgram*> builtin_programs;

    int opencl_platform_count = 0;
    std::vector<cl_platform_id> opencl_platforms;

    std::vector<FBO::FramebufferBinding> read_stack;
    std::vector<FBO::FramebufferBinding> write_stack;
    FBO::FramebufferBinding current_read;
    FBO::FramebufferBinding current_write;

    Shading::ShaderProgram* current_program = nullptr;
    Vec4i current_viewport{0, 0, -1, -1};
};

LibraryState& library();

}  // namespace Quarn
