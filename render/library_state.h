#pragma once

#include <CL/cl.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "render/fbo/binding.h"
#include "render/vertex.h"

namespace Quarn {

namespace Shading {
class ShaderProgram;
}

// Immediate-mode drawing: the face being filled and the values new vertices take.
struct ImmediateState {
    int face_size = -1;  // vertices per face; -1 outside begin/end
    int count = 0;       // vertices of the current face so far
    bool stripped = false;
    Vertex face[4];
    Vec3f normal{0.0f, 0.0f, 1.0f};
    Vec4f texcoord{0.0f, 0.0f, 0.0f, 1.0f};
    Vec4f tangent{0.0f, 0.0f, 0.0f, 0.0f};
    Vec4f color{1.0f, 1.0f, 1.0f, 1.0f};
};

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

    ImmediateState immediate;
};

LibraryState& library();

}  // namespace Quarn
