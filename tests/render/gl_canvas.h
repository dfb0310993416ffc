#pragma once

#include <GL/glew.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "render/fbo/binding.h"
#include "render/fbo/fbo.h"
#include "render/shading/program.h"
#include "render/shading/shader.h"
#include "tests/render/gl_environment.h"

// An off-screen single-sample target to draw into and read back, and the demo's two programs.
namespace gl_canvas {

using gl_test::Rgba;

// A program generated around user code, as the demo window builds its two.
inline std::unique_ptr<Quarn::Shading::ShaderProgram> generated_program(
    const std::string& code_eye, const std::string& fragment_body) {
    auto program = std::make_unique<Quarn::Shading::ShaderProgram>();
    program->add_vertex_shader(
        new Quarn::Shading::ShaderVertex(gl_test::context(), "", "", code_eye));
    program->add_fragment_shader(
        new Quarn::Shading::ShaderFragment(gl_test::context(), fragment_body));
    program->build();
    return program;
}

inline std::unique_ptr<Quarn::Shading::ShaderProgram> line_program() {
    return generated_program("", "\tCOLOR(0) = color;\n");
}

// The line program made current with identity matrices, so positions are device coordinates.
inline std::unique_ptr<Quarn::Shading::ShaderProgram> current_device_line_program() {
    auto program = line_program();
    Quarn::Shading::use_program(program.get());
    program->set_matrices(identity4(), identity4(), identity4());
    return program;
}

inline std::unique_ptr<Quarn::Shading::ShaderProgram> point_program() {
    return generated_program("point_size = 100.0 / length(vec_vert_eye.xyz);\n",
                             "\tvec2 del = gl_PointCoord - vec2(0.5);\n\tif (length(del)>0.5) "
                             "discard;\n\n\tCOLOR(0) = color;\n");
}

inline Rgba rgba(float r, float g, float b) {
    return Rgba{static_cast<int>(std::lround(r * 255)), static_cast<int>(std::lround(g * 255)),
                static_cast<int>(std::lround(b * 255)), 255};
}

inline const Rgba black{0, 0, 0, 255};

class Canvas {
public:
    Canvas(int width, int height) : width(width), height(height), fbo_(Vec2i(width, height), 1) {
        fbo_.attach_color(8, 0);
        fbo_.attach_depth(32);
        Quarn::FBO::bind_write(&fbo_, 0);
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_BLEND);
        glViewport(0, 0, width, height);
        clear();
    }
    ~Canvas() {
        Quarn::FBO::bind_write(nullptr);
        Quarn::FBO::bind_read(nullptr);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void clear() {
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // Takes a copy of every pixel; at() and the searches below look at that copy.
    void read() {
        glFinish();
        Quarn::FBO::bind_read(&fbo_, 0);
        pixels_.assign(static_cast<size_t>(width) * height * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
        Quarn::FBO::bind_read(nullptr);
    }

    // Depth in [0, 1] of one pixel, read from the target itself.
    float depth(int x, int y) {
        float d = -1.0f;
        Quarn::FBO::bind_read(&fbo_, 0);
        glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &d);
        Quarn::FBO::bind_read(nullptr);
        return d;
    }

    Rgba at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height || pixels_.empty())
            return Rgba{-1, -1, -1, -1};
        const unsigned char* p = &pixels_[(static_cast<size_t>(y) * width + x) * 4];
        return Rgba{p[0], p[1], p[2], p[3]};
    }

    // Whether some pixel within `radius` (a square) of (x, y) is `expected` within `tolerance`.
    bool has_near(int x, int y, int radius, const Rgba& expected, int tolerance) const {
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                if (gl_test::near(at(x + dx, y + dy), expected, tolerance))
                    return true;
            }
        }
        return false;
    }

    // Whether every pixel within `radius` of (x, y) is `expected` within `tolerance`.
    bool all_near(int x, int y, int radius, const Rgba& expected, int tolerance) const {
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                if (!gl_test::near(at(x + dx, y + dy), expected, tolerance))
                    return false;
            }
        }
        return true;
    }

    int count(int x0, int y0, int x1, int y1, const Rgba& expected, int tolerance) const {
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x)
                n += gl_test::near(at(x, y), expected, tolerance) ? 1 : 0;
        }
        return n;
    }

    // The distinct colours around (x, y), for failure messages.
    std::string around(int x, int y, int radius) const {
        std::set<std::string> seen;
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx)
                seen.insert(gl_test::describe(at(x + dx, y + dy)));
        }
        std::ostringstream out;
        out << "around (" << x << ", " << y << "):";
        for (const std::string& s : seen)
            out << " " << s;
        return out.str();
    }

    const int width;
    const int height;

private:
    Quarn::FBO::FBO2D fbo_;
    std::vector<unsigned char> pixels_;
};

// Pixel coordinates (origin lower left) of a world point seen through projection x view.
struct Pixel {
    int x;
    int y;
};

inline Pixel project(const Mat4f& pv, const Vec3f& p, int width, int height) {
    const Vec4f clip = pv * Vec4f(p[0], p[1], p[2], 1.0f);
    const float nx = clip[0] / clip[3];
    const float ny = clip[1] / clip[3];
    return Pixel{static_cast<int>(std::floor((nx + 1.0f) * 0.5f * width)),
                 static_cast<int>(std::floor((ny + 1.0f) * 0.5f * height))};
}

}  // namespace gl_canvas
