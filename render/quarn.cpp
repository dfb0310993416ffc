#include "render/quarn.h"

#include <GL/glew.h>

#include "render/library_state.h"
#include "render/opencl.h"
#include "render/shading/builtin.h"

namespace Quarn {

void init() {
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    LibraryState& state = library();
    // A second start keeps the instance it already has.
    if (state.freetype == nullptr)
        FT_Init_FreeType(&state.freetype);
    Shading::init_builtin_programs();
    query_opencl_platforms();
    state.read_stack.clear();
    state.write_stack.clear();
    state.current_read = FBO::FramebufferBinding{};
    state.current_write = FBO::FramebufferBinding{};
    state.immediate = ImmediateState{};
}

void deinit() {
    LibraryState& state = library();
    state.immediate = ImmediateState{};
    state.current_read = FBO::FramebufferBinding{};
    state.current_write = FBO::FramebufferBinding{};
    state.read_stack.clear();
    state.write_stack.clear();
    release_opencl_platforms();
    Shading::deinit_builtin_programs();
    if (state.freetype != nullptr) {
        FT_Done_FreeType(state.freetype);
        state.freetype = nullptr;
    }
}

}  // namespace Quarn
