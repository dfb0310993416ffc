#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

#include "windowing/context.h"
#include "windowing/frame.h"

namespace gl_test {

// The one context of the test executable, with Quarn started on it.
Orv::Context* context();
// A shown 1024x768 window the context is current on, so the default framebuffer has pixels.
Orv::Frame::FrameBase* frame();

struct Rgba {
    int r, g, b, a;
};

// One pixel of the framebuffer bound for reading, as 8-bit values.
Rgba read_pixel(int x, int y);

// Within `tolerance` per channel.
bool near(const Rgba& found, const Rgba& expected, int tolerance);

std::string describe(const Rgba& c);

// A buffer and vertex array holding positions for the `_vec_vert_a` attribute of a program.
class Positions {
public:
    Positions(GLuint program, const std::vector<float>& xyzw);
    ~Positions();
    void draw(GLenum mode) const;

private:
    GLuint vao_ = 0;
    GLuint vbo_ = 0;
    GLsizei count_ = 0;
};

}  // namespace gl_test
