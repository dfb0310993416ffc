#include "render/shading/builtin.h"

#include <cstdio>

#include "render/library_state.h"

namespace Quarn::Shading {

// Starts empty; programs left by a start without a stop stay owned by the registry.
void init_builtin_programs() {}

void deinit_builtin_programs() {
    auto& programs = library().builtin_programs;
    for (auto& [name, program] : programs) {
        delete program;
        program = nullptr;
    }
    programs.clear();
}

ShaderProgram* get_builtin_nop_program(Orv::Context* context) {
    auto& programs = library().builtin_programs;
    auto found = programs.find("nop");
    if (found != programs.end())
        return found->second;
    auto* program = new ShaderProgram();
    program->add_vertex_shader(new ShaderVertex(context, "", "", ""));
    build_builtin_program(program);
    programs["nop"] = program;
    return programs.at("nop");
}

void build_builtin_program(ShaderProgram* program) {
    program->generate();
    program->compile();
    std::printf("Builtin shader compile:\n%s\n", program->get_compile_log().c_str());
    program->link();
    std::printf("Builtin shader link:\n%s\n", program->get_link_log().c_str());
}

}  // namespace Quarn::Shading
