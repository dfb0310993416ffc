#pragma once

// Hooks and probes for tests of the platform layer and of the libraries above
// it. They let a test drive the real window system (fake input, close
// requests) and read back what the server holds, without naming any type of
// the window system, and replace the clock with a controllable one.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace Platform::Testing {

// A replacement for the millisecond clock and the 1 ms wait. Either function
// may be null to keep the real one.
struct ClockHooks {
    std::uint32_t (*now)(void* user);
    void (*wait)(void* user, long seconds, long microseconds);
    void* user;
};

// Installs the hooks (copied); null restores the real clock and wait.
void set_clock_hooks(const ClockHooks* hooks);

// How often the timer resolution was raised and released since start.
int timer_period_begins();
int timer_period_ends();

// How often a rendering context was made current or released since start.
int make_current_calls();

// One call of show_window (animated false, with its command) or of
// animate_window (animated true, with its time and flags).
struct ShowCall {
    bool animated;
    int command;
    std::uint32_t time_ms;
    std::uint32_t flags;
};

// The show and animate calls made since the last take, oldest first.
std::vector<ShowCall> take_show_calls();

struct Geometry {
    int x;
    int y;
    int width;
    int height;
};

// The client area as the server holds it, in root coordinates.
bool server_geometry(WindowHandle window, Geometry* geometry);
bool server_is_mapped(WindowHandle window);
// WM_NAME as Latin-1 bytes and _NET_WM_NAME as UTF-8, read from the server.
std::string server_title(WindowHandle window);
std::string server_utf8_title(WindowHandle window);
// The colour the server shows at a client pixel, as 0xRRGGBB; -1 if unreadable.
long server_pixel(WindowHandle window, int x, int y);
// What a window manager would read from the window.
struct ManagerHints {
    unsigned long transient_for;  // X id of the owner, or 0
    bool utility;                 // typed as a tool window
    bool undecorated;             // asks for no frame
    bool fixed_size;              // minimum and maximum size equal
};
bool server_manager_hints(WindowHandle window, ManagerHints* hints);
// The X id of the window, for tools such as xdotool.
unsigned long native_id(WindowHandle window);
// The visual the server window was created with.
unsigned long native_visual_id(WindowHandle window);

// Input through the server's test extension; positions are in root
// coordinates, buttons are 1 left, 2 middle, 3 right, 4-7 wheel.
bool fake_motion(int x, int y);
bool fake_button(int button, bool press);
// Presses or releases the key that produces the given virtual-key code.
bool fake_key(int virtual_key, bool press);
// Sends the window manager's close request (WM_DELETE_WINDOW) to the window.
bool send_close_request(WindowHandle window);
// Waits until the server has handled every request and queued its events.
void sync();

}  // namespace Platform::Testing
