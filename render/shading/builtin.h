#pragma once

#include "render/shading/program.h"

namespace Orv {
class Context;
}

namespace Quarn::Shading {

void init_builtin_programs();
void deinit_builtin_programs();

// The depth-only program (a generated vertex stage, no fragment stage), built and logged to
// standard output on first use; later calls ignore the context.
ShaderProgram* get_builtin_nop_program(Orv::Context* context);

// Generates, compiles and links, printing the compile and link logs.
void build_builtin_program(ShaderProgram* program);

}  // namespace Quarn::Shading
