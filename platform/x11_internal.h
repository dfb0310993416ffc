#pragma once

// State shared by the X11 and the GLX halves of the platform layer. Only the
// Xlib header is included here: the GLX half keeps its own header to itself.

#include <X11/Xlib.h>

#include <cstdint>
#include <set>
#include <string>

#include "platform/platform.h"

namespace Platform::X11 {

struct NativeWindowRecord {
    WindowHandle handle = nullptr;
    DeviceContextHandle dc = nullptr;
    ::Window xid = 0;
    ::Colormap colormap = 0;
    Visual* visual = nullptr;
    int depth = 0;
    WindowProcedure procedure = nullptr;
    std::u16string class_name;
    std::u16string title;
    std::uint32_t style = 0;
    std::uint32_t ex_style = 0;
    ::Window parent_xid = 0;
    // Client area in root coordinates, as last requested or reported.
    int x = 0;
    int y = 0;
    int width = 1;
    int height = 1;
    // Geometry to come back to after an emulated maximize.
    int restore_x = 0;
    int restore_y = 0;
    int restore_width = 1;
    int restore_height = 1;
    bool mapped = false;
    bool minimized = false;
    bool maximized = false;
    // Serial of our latest own configure request; older notifications are stale.
    unsigned long configure_serial = 0;
    // Key codes held down, to mark repeated presses.
    std::set<unsigned int> keys_down;
    int pixel_format = 0;
    void* fb_config = nullptr;
};

// Opens the display on first use; exits with one line on stderr without one.
Display* display();
int screen();
NativeWindowRecord* find_window(WindowHandle window);
NativeWindowRecord* find_window(DeviceContextHandle dc);
// Replaces the server window with one of the given visual; the handle stays.
void recreate_window(NativeWindowRecord* record, Visual* visual, int depth);
// Another live window with the given pixel format, or null.
NativeWindowRecord* other_window_with_format(int pixel_format, ::Window excluded);

// Counts X errors raised between its construction and destruction instead of
// reporting them.
class ErrorTrap {
public:
    ErrorTrap();
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    // Syncs with the server and tells whether an error arrived meanwhile.
    bool failed();

private:
    int previous_count_;
    bool previous_trapping_;
};

// Called by the window half before a server window goes away, so that a
// context current on it is not left pointing at a dead drawable.
void forget_drawable(::Window xid);

}  // namespace Platform::X11
