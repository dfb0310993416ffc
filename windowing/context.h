#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "windowing/frame.h"
#include "windowing/native_window.h"

namespace Orv {

// The program's one OpenGL context: a core profile of the requested version,
// created through a hidden bootstrap window, with the entry points loaded and
// the driver's GL and GLSL versions read back.
class Context {
public:
    // Leaves the context current on the bootstrap window. Orv::init must have
    // run.
    Context(int major, int minor, bool debug);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // Null makes the context current on the bootstrap window.
    void make_current(Frame::NativeWindow* window);
    void set_frame(Frame::FrameBase* frame);
    void set_vsync(bool on);
    // glGetString, or "Orv::Unknown" when it gives nothing.
    std::string gl_string(unsigned int name) const;

    // Prints one line per driver message; anything above a notification
    // ends the process after its line.
    static void report_gl_debug_message(unsigned int source, unsigned int type, unsigned int id,
                                        unsigned int severity, int length, const char* message,
                                        const void* user);

    // Versions as the driver reports them; -1 where absent.
    int gl_major = -1;
    int gl_minor = -1;
    int gl_release = -1;
    int glsl_major = -1;
    int glsl_minor = -1;
    int glsl_release = -1;
    bool debug;
    Frame::NativeWindow* bootstrap_window = nullptr;
    Frame::FrameBase* current_frame = nullptr;
    Frame::NativeWindow* current_window = nullptr;
    Platform::RenderContextHandle native_context = nullptr;

private:
    void load_entry_points();
};

// Reads "major.minor[.release]" from the first digit of the text up to the
// first space. Outputs are left alone when fewer than two numbers are found.
void parse_version(const std::string& text, int* major, int* minor, int* release);

// Splits on every occurrence of the delimiter; with max_splits other than -1,
// the pieces beyond max_splits + 1 stay joined to the last one.
std::vector<std::string> split(const std::string& text, const std::string& delimiter,
                               int max_splits = -1);

}  // namespace Orv
