#include "render/immediate.h"

#include "math/assert_warn.h"
#include "render/library_state.h"
#include "render/shading/program.h"

namespace Quarn {

namespace {

// Passed as the format itself, so reporters see the text; it holds no conversions.
constexpr char state_message[] =
    "Incorrect state!  Are your begin/end calls matched with the correct number of vertices?";

ImmediateState& immediate() {
    return library().immediate;
}

void flush(ImmediateState& s) {
    Shading::ShaderProgram* program = Shading::current_program();
    assert_warn(program != nullptr, "Cannot draw a face without a current program!");
    if (program == nullptr)
        return;
    if (s.face_size == 4) {
        const Vertex first[3] = {s.face[0], s.face[1], s.face[2]};
        const Vertex second[3] = {s.face[0], s.face[2], s.face[3]};
        program->draw_vertices(first, 3, 3, false);
        program->draw_vertices(second, 3, 3, false);
    } else {
        program->draw_vertices(s.face, s.face_size, s.face_size, false);
    }
}

}  // namespace

void begin(int vertices_per_face, bool stripped) {
    ImmediateState& s = immediate();
    assert_warn(s.face_size == -1, state_message);
    const bool size_valid = vertices_per_face >= 1 && vertices_per_face <= 4;
    assert_warn(size_valid, "Invalid number of vertices per face (%d)!", vertices_per_face);
    const bool strip_valid = !(stripped && vertices_per_face == 1);
    assert_warn(strip_valid, "Stripped single points don't make sense.");
    // A refused group leaves the state as it was, so no face can outgrow the four slots.
    if (!size_valid || !strip_valid)
        return;
    s.face_size = vertices_per_face;
    s.count = 0;
    s.stripped = stripped;
}

void color(float r, float g, float b, float a) {
    immediate().color = Vec4f(r, g, b, a);
}

void color(const Vec3f& rgb) {
    color(rgb[0], rgb[1], rgb[2], 1.0f);
}

void vertex(float x, float y, float z, float w) {
    ImmediateState& s = immediate();
    assert_warn(s.face_size != -1, state_message);
    if (s.face_size < 1 || s.face_size > 4 || s.count < 0 || s.count >= s.face_size)
        return;
    Vertex& v = s.face[s.count];
    v.set_position(x, y, z, w);
    v.set_normal(s.normal[0], s.normal[1], s.normal[2]);
    v.set_texcoord(s.texcoord[0], s.texcoord[1], s.texcoord[2], s.texcoord[3]);
    v.set_tangent(s.tangent[0], s.tangent[1], s.tangent[2], s.tangent[3]);
    v.set_color(s.color[0], s.color[1], s.color[2], s.color[3]);
    s.count += 1;
    if (s.count < s.face_size)
        return;
    flush(s);
    if (!s.stripped) {
        s.count = 0;
        return;
    }
    switch (s.face_size) {
        case 2:
            s.face[0] = s.face[1];
            s.count = 1;
            break;
        case 3:
            s.face[0] = s.face[1];
            s.face[1] = s.face[2];
            s.count = 2;
            break;
        case 4:
            s.face[0] = s.face[2];
            s.face[1] = s.face[3];
            s.count = 2;
            break;
        default:
            assert_warn(false, "Implementation error!");
            s.count = 0;
            break;
    }
}

void vertex(const Vec3f& xyz) {
    vertex(xyz[0], xyz[1], xyz[2], 1.0f);
}

void end() {
    ImmediateState& s = immediate();
    assert_warn(s.face_size != -1, state_message);
    s.face_size = -1;
}

}  // namespace Quarn
