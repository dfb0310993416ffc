#include "demo_driver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef IK_DEMO_PATH
#error "IK_DEMO_PATH must name the ik-demo binary"
#endif

namespace e2e {

namespace {

constexpr const char* kTitle = "Inverse Kinematics - Tovald - 2014";
constexpr double kPi = 3.14159265358979323846;

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string temp_file(const char* stem) {
    std::string path = std::string("/tmp/ik-demo-") + stem + "-XXXXXX";
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    int fd = mkstemp(buffer.data());
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    close(fd);
    return buffer.data();
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Child side of a launch: outputs to the files, environment adjusted, exec.
[[noreturn]] void exec_demo(const std::string& out, const std::string& err,
                            const std::vector<std::string>& unset,
                            const std::vector<std::string>& set) {
    int out_fd = open(out.c_str(), O_WRONLY | O_TRUNC);
    int err_fd = open(err.c_str(), O_WRONLY | O_TRUNC);
    if (out_fd >= 0)
        dup2(out_fd, 1);
    if (err_fd >= 0)
        dup2(err_fd, 2);
    for (const std::string& name : unset)
        unsetenv(name.c_str());
    for (const std::string& pair : set) {
        std::size_t eq = pair.find('=');
        setenv(pair.substr(0, eq).c_str(), pair.substr(eq + 1).c_str(), 1);
    }
    execl(IK_DEMO_PATH, IK_DEMO_PATH, static_cast<char*>(nullptr));
    _exit(127);
}

int decode_status(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return -WTERMSIG(status);
    return -1000;
}

void normalize(double v[3]) {
    double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int i = 0; i < 3; ++i)
        v[i] /= l;
}

void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

double dot(const double a[3], const double b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Camera basis: side, up and forward, as a look-at toward the origin with +Y up.
void basis(const Camera& camera, double eye[3], double s[3], double u[3], double f[3]) {
    camera.eye(eye);
    for (int i = 0; i < 3; ++i)
        f[i] = -eye[i];
    normalize(f);
    const double up[3] = {0, 1, 0};
    cross(f, up, s);
    normalize(s);
    cross(s, f, u);
}

}  // namespace

void sleep_for(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string save_image(const Image& image, const std::string& name) {
    static int serial = 0;
    std::string path = "/tmp/ik-demo-e2e-" + std::to_string(getpid()) + "-" +
                       std::to_string(++serial) + "-" + name + ".ppm";
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.width << " " << image.height << "\n255\n";
    for (std::uint32_t p : image.pixels) {
        char rgb[3] = {static_cast<char>((p >> 16) & 0xFF), static_cast<char>((p >> 8) & 0xFF),
                       static_cast<char>(p & 0xFF)};
        out.write(rgb, 3);
    }
    return path;
}

Rgb Image::at(int x, int y) const {
    if (!inside(x, y))
        return {-1, -1, -1};
    std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
            static_cast<int>(p & 0xFF)};
}

Hue classify(const Rgb& c) {
    auto low = [](int v) { return v <= 40; };
    auto high = [](int v) { return v >= 200; };
    if (c.r < 0)
        return Hue::other;
    if (c.r <= 12 && c.g <= 12 && c.b <= 12)
        return Hue::black;
    if (std::abs(c.r - c.g) <= 6 && std::abs(c.g - c.b) <= 6 && c.r >= 30 && c.r <= 75)
        return Hue::grey;
    if (low(c.r) && high(c.g) && high(c.b))
        return Hue::cyan;
    if (high(c.r) && low(c.g) && low(c.b))
        return Hue::red;
    if (high(c.r) && c.g >= 100 && c.g <= 160 && low(c.b))
        return Hue::orange;
    if (high(c.r) && high(c.g) && low(c.b))
        return Hue::yellow;
    if (high(c.r) && high(c.g) && high(c.b))
        return Hue::white;
    return Hue::other;
}

const char* hue_name(Hue hue) {
    switch (hue) {
        case Hue::black:
            return "black";
        case Hue::grey:
            return "grey";
        case Hue::cyan:
            return "cyan";
        case Hue::red:
            return "red";
        case Hue::orange:
            return "orange";
        case Hue::yellow:
            return "yellow";
        case Hue::white:
            return "white";
        default:
            return "other";
    }
}

Blob solid_blob(const Image& image, Hue hue, double cx, double cy, double radius) {
    Blob blob;
    double sx = 0, sy = 0;
    for (int y = 1; y + 1 < image.height; ++y) {
        for (int x = 1; x + 1 < image.width; ++x) {
            if (radius >= 0 && std::hypot(x - cx, y - cy) > radius)
                continue;
            bool all = true;
            for (int dy = -1; dy <= 1 && all; ++dy) {
                for (int dx = -1; dx <= 1 && all; ++dx)
                    all = classify(image.at(x + dx, y + dy)) == hue;
            }
            if (all) {
                ++blob.count;
                sx += x;
                sy += y;
            }
        }
    }
    if (blob.count > 0) {
        blob.x = sx / blob.count;
        blob.y = sy / blob.count;
    }
    return blob;
}

int count_hue(const Image& image, Hue hue) {
    int n = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x)
            n += classify(image.at(x, y)) == hue ? 1 : 0;
    }
    return n;
}

bool hue_near(const Image& image, Hue hue, double x, double y, int radius) {
    int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (classify(image.at(cx + dx, cy + dy)) == hue)
                return true;
        }
    }
    return false;
}

std::string describe_near(const Image& image, double x, double y, int radius) {
    std::ostringstream text;
    int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
    text << "pixels around (" << cx << ", " << cy << "):";
    for (int dy = -radius; dy <= radius; ++dy) {
        text << "\n ";
        for (int dx = -radius; dx <= radius; ++dx) {
            Rgb c = image.at(cx + dx, cy + dy);
            text << " " << c.r << "," << c.g << "," << c.b;
        }
    }
    return text.str();
}

void Camera::eye(double out[3]) const {
    double a = azimuth * kPi / 180, b = elevation * kPi / 180;
    out[0] = distance * std::cos(a) * std::cos(b);
    out[1] = distance * std::sin(b);
    out[2] = distance * std::sin(a) * std::cos(b);
}

void Camera::project(double wx, double wy, double wz, double* x, double* y) const {
    double e[3], s[3], u[3], f[3];
    basis(*this, e, s, u, f);
    double d[3] = {wx - e[0], wy - e[1], wz - e[2]};
    double depth = dot(d, f);
    double t = std::tan(22.5 * kPi / 180);
    double aspect = static_cast<double>(width) / height;
    double nx = dot(d, s) / depth / (t * aspect);
    double ny = dot(d, u) / depth / t;
    *x = (nx + 1) / 2 * width;
    *y = (1 - ny) / 2 * height;
}

void Camera::ray(double x, double y, double origin[3], double direction[3]) const {
    double s[3], u[3], f[3];
    basis(*this, origin, s, u, f);
    double t = std::tan(22.5 * kPi / 180);
    double aspect = static_cast<double>(width) / height;
    double nx = x / width * 2 - 1, ny = 1 - y / height * 2;
    for (int i = 0; i < 3; ++i)
        direction[i] = f[i] + s[i] * nx * t * aspect + u[i] * ny * t;
    normalize(direction);
}

Demo::Demo() {
    display = XOpenDisplay(nullptr);
    if (display == nullptr)
        throw std::runtime_error("the tests need an X display");
    stdout_path = temp_file("out");
    stderr_path = temp_file("err");
}

Demo::~Demo() {
    if (running()) {
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
    }
    // Whatever the test left pressed stays pressed for the next one otherwise.
    for (int b = 1; b <= 3; ++b)
        XTestFakeButtonEvent(display, b, False, CurrentTime);
    for (const char* name : {"Shift_L", "s", "Escape"}) {
        KeyCode code = XKeysymToKeycode(display, XStringToKeysym(name));
        if (code != 0)
            XTestFakeKeyEvent(display, code, False, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
    unlink(stdout_path.c_str());
    unlink(stderr_path.c_str());
}

void Demo::start() {
    pid = fork();
    if (pid == 0)
        exec_demo(stdout_path, stderr_path, {}, {});
    Clock::time_point begin = Clock::now();
    while (seconds_since(begin) < 30 && running()) {
        window = find_window();
        if (window != 0)
            break;
        sleep_for(0.05);
    }
    if (window == 0)
        throw std::runtime_error("the demo window did not appear; stderr: " + read_stderr());
    // NOTE: bare Xvfb has no window manager, so nobody gives the new window the
    // keyboard focus; take it for the window ourselves.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
}

Window Demo::find_window() {
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name != nullptr) {
            XWindowAttributes attributes;
            if (std::strcmp(name, kTitle) == 0 &&
                XGetWindowAttributes(display, children[i], &attributes) &&
                attributes.map_state == IsViewable) {
                found = children[i];
            }
            XFree(name);
        }
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

bool Demo::running() {
    if (pid <= 0 || exit_code != -1000)
        return false;
    int status = 0;
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) {
        exit_code = decode_status(status);
        return false;
    }
    return true;
}

bool Demo::wait_exit(double seconds) {
    Clock::time_point begin = Clock::now();
    while (running()) {
        if (seconds_since(begin) > seconds)
            return false;
        sleep_for(0.01);
    }
    return true;
}

std::string Demo::read_stdout() const {
    return slurp(stdout_path);
}

std::string Demo::read_stderr() const {
    return slurp(stderr_path);
}

double Demo::cpu_seconds() const {
    std::string stat = slurp("/proc/" + std::to_string(pid) + "/stat");
    // Fields after the parenthesised command name; utime and stime are 14 and 15.
    std::size_t close = stat.rfind(')');
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i >= 14)
            ticks += std::stod(field);
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

Image Demo::capture() {
    Image image;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return image;
    // Only the part on the screen can be read back.
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    int width = std::min(attributes.width, DisplayWidth(display, DefaultScreen(display)) - x);
    int height = std::min(attributes.height, DisplayHeight(display, DefaultScreen(display)) - y);
    if (width < 1 || height < 1)
        return image;
    XImage* xi = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (xi == nullptr)
        return image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            unsigned long p = XGetPixel(xi, col, row);
            image.pixels[static_cast<std::size_t>(row) * width + col] =
                static_cast<std::uint32_t>(p & 0xFFFFFF);
        }
    }
    XDestroyImage(xi);
    return image;
}

bool Demo::wait_for(const std::function<bool(const Image&)>& predicate, double seconds) {
    Clock::time_point begin = Clock::now();
    for (;;) {
        last = capture();
        if (predicate(last))
            return true;
        if (seconds_since(begin) > seconds || !running()) {
            std::fprintf(stderr, "last capture: %s\n", save_image(last, "timeout").c_str());
            return false;
        }
        sleep_for(0.02);
    }
}

void Demo::move(int client_x, int client_y) {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), client_x, client_y, &x, &y,
                          &child);
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XSync(display, False);
}

void Demo::button(int number, bool press) {
    XTestFakeButtonEvent(display, static_cast<unsigned int>(number), press, CurrentTime);
    XSync(display, False);
}

void Demo::key(const char* keysym_name, bool press) {
    KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysym_name));
    XTestFakeKeyEvent(display, code, press, CurrentTime);
    XSync(display, False);
}

void Demo::tap(const char* keysym_name) {
    key(keysym_name, true);
    key(keysym_name, false);
}

void Demo::send_close_request() {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

void Demo::resize(int width, int height) {
    XResizeWindow(display, window, static_cast<unsigned int>(width),
                  static_cast<unsigned int>(height));
    XSync(display, False);
}

void Demo::set_wm_state(long state) {
    Atom wm_state = XInternAtom(display, "WM_STATE", False);
    long data[2] = {state, 0};
    XChangeProperty(display, window, wm_state, wm_state, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(data), 2);
}

// NOTE: bare Xvfb has no window manager to honour XIconifyWindow; do what one
// would: mark the window iconic and unmap it, and the reverse to restore it.
void Demo::iconify() {
    set_wm_state(IconicState);
    XUnmapWindow(display, window);
    XSync(display, False);
}

void Demo::restore() {
    XMapWindow(display, window);
    set_wm_state(NormalState);
    XSync(display, False);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
}

void Demo::settle(double seconds) {
    XSync(display, False);
    sleep_for(seconds);
}

int run_to_exit(const std::vector<std::string>& unset, const std::vector<std::string>& set,
                double seconds, std::string* out, std::string* err) {
    std::string out_path = temp_file("out"), err_path = temp_file("err");
    pid_t child = fork();
    if (child == 0)
        exec_demo(out_path, err_path, unset, set);
    Clock::time_point begin = Clock::now();
    int status = 0;
    int code = -1000;
    while (true) {
        pid_t r = waitpid(child, &status, WNOHANG);
        if (r == child) {
            code = decode_status(status);
            break;
        }
        if (seconds_since(begin) > seconds) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            code = -2000;
            break;
        }
        sleep_for(0.01);
    }
    *out = slurp(out_path);
    *err = slurp(err_path);
    unlink(out_path.c_str());
    unlink(err_path.c_str());
    return code;
}

}  // namespace e2e
