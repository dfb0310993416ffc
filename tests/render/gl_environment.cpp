#include "tests/render/gl_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "render/quarn.h"
#include "windowing/flags.h"
#include "windowing/orv.h"

namespace gl_test {

namespace {

Orv::Context* the_context = nullptr;
Orv::Frame::FrameBase* the_frame = nullptr;

class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        Orv::init();
        the_context = new Orv::Context(4, 0, false);
        Quarn::init();
        the_frame =
            new Orv::Frame::FrameBase(nullptr, Orv::Flags::Style::BORDER | Orv::Flags::Style::TITLE,
                                      Orv::Flags::Button::CLOSE);
        the_frame->set_size(1024, 768);
        the_frame->set_position(0, 0);
        the_frame->set_show_state(Orv::Frame::SHOWN, 0);
        the_context->set_frame(the_frame);
        Orv::poll_events();
    }
    void TearDown() override {
        the_context->set_frame(nullptr);
        delete the_frame;
        Quarn::deinit();
        delete the_context;
        Orv::deinit();
    }
};

}  // namespace

Orv::Context* context() {
    return the_context;
}

Orv::Frame::FrameBase* frame() {
    return the_frame;
}

Rgba read_pixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return Rgba{p[0], p[1], p[2], p[3]};
}

bool near(const Rgba& found, const Rgba& expected, int tolerance) {
    return std::abs(found.r - expected.r) <= tolerance &&
           std::abs(found.g - expected.g) <= tolerance &&
           std::abs(found.b - expected.b) <= tolerance &&
           std::abs(found.a - expected.a) <= tolerance;
}

std::string describe(const Rgba& c) {
    std::ostringstream out;
    out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
    return out.str();
}

Positions::Positions(GLuint program, const std::vector<float>& xyzw)
    : count_(static_cast<GLsizei>(xyzw.size() / 4)) {
    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenBuffers(1, &vbo_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(xyzw.size() * sizeof(float)), xyzw.data(),
                 GL_STATIC_DRAW);
    const GLint location = glGetAttribLocation(program, "_vec_vert_a");
    if (location >= 0) {
        glEnableVertexAttribArray(static_cast<GLuint>(location));
        glVertexAttribPointer(static_cast<GLuint>(location), 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

Positions::~Positions() {
    glDeleteBuffers(1, &vbo_);
    glDeleteVertexArrays(1, &vao_);
}

void Positions::draw(GLenum mode) const {
    glBindVertexArray(vao_);
    glDrawArrays(mode, 0, count_);
    glBindVertexArray(0);
}

}  // namespace gl_test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new gl_test::Environment());
    return RUN_ALL_TESTS();
}
