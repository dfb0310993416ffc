#pragma once

// Runs the real ik-demo binary as a child process and works it from outside,
// through the X server: finds its window, reads pixels back, and sends input
// with the test extension.

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

struct Rgb {
    int r;
    int g;
    int b;
};

// A client-area capture; (x, y) with the origin at the top left.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Rgb at(int x, int y) const;
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Writes a PPM under /tmp for a look after a failure; returns its path.
std::string save_image(const Image& image, const std::string& name);

// Colour classes of the scene, with room for what multisampling blends at edges.
enum class Hue { black, grey, cyan, red, orange, yellow, white, other };
Hue classify(const Rgb& c);
const char* hue_name(Hue hue);

struct Blob {
    int count = 0;
    double x = 0;
    double y = 0;
};

// Pixels whose whole 3 x 3 neighbourhood is of the hue: the inside of the
// drawn discs, not the one-pixel lines of the same colour. Optionally only
// within `radius` of (cx, cy).
Blob solid_blob(const Image& image, Hue hue, double cx = 0, double cy = 0, double radius = -1);
// Pixels of the hue anywhere, lines included.
int count_hue(const Image& image, Hue hue);
// Whether a pixel of the hue lies within `radius` of (x, y).
bool hue_near(const Image& image, Hue hue, double x, double y, int radius);
std::string describe_near(const Image& image, double x, double y, int radius);

// The orbiting camera of the demo, recomputed here from its definition.
struct Camera {
    double azimuth = 20;
    double elevation = 20;
    double distance = 4;
    int width = 1024;
    int height = 768;

    // Client pixel (origin top left) that a world point lands on.
    void project(double wx, double wy, double wz, double* x, double* y) const;
    void eye(double out[3]) const;
    // The world ray through a client pixel: origin (the eye) and direction.
    void ray(double x, double y, double origin[3], double direction[3]) const;
};

class Demo {
public:
    Demo();
    ~Demo();
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    // Starts the program and waits for its window to be shown.
    void start();
    bool running();
    // Waits for the program to end; false on timeout. The exit status is in
    // exit_code (or -signal).
    bool wait_exit(double seconds);
    std::string read_stdout() const;
    std::string read_stderr() const;
    // User plus system CPU seconds of the program so far.
    double cpu_seconds() const;

    Image capture();
    // Captures until the predicate holds or the time is up; the last capture
    // stays in `last`.
    bool wait_for(const std::function<bool(const Image&)>& predicate, double seconds);

    void move(int client_x, int client_y);
    void button(int number, bool press);
    void key(const char* keysym_name, bool press);
    void tap(const char* keysym_name);
    void send_close_request();
    void resize(int width, int height);
    void iconify();
    void restore();
    // Waits until the server has handled our requests, then lets the program
    // run for a while to take them in.
    void settle(double seconds);

    Display* display = nullptr;
    Window window = 0;
    pid_t pid = -1;
    int exit_code = -1000;
    Image last;
    std::string stdout_path;
    std::string stderr_path;

private:
    Window find_window();
    void set_wm_state(long state);
};

// Runs the program with the given environment changes to completion (with a
// time limit) and returns its exit status, filling the outputs.
int run_to_exit(const std::vector<std::string>& unset, const std::vector<std::string>& set,
                double seconds, std::string* out, std::string* err);

void sleep_for(double seconds);

}  // namespace e2e
