// Probes and fake input for tests, through the server and its test extension.

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstring>

#include "platform/testing.h"
#include "platform/x11_internal.h"

namespace Platform {
namespace X11 {
int make_current_count();
}

namespace Testing {
namespace {

std::string read_text_property(WindowHandle window, const char* property, const char* type) {
    X11::NativeWindowRecord* record = X11::find_window(window);
    if (record == nullptr)
        return {};
    Display* d = X11::display();
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(d, record->xid, XInternAtom(d, property, False), 0, 4096, False,
                           XInternAtom(d, type, False), &actual, &format, &count, &after,
                           &data) == Success &&
        data != nullptr && format == 8) {
        text.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data != nullptr)
        XFree(data);
    return text;
}

KeySym key_symbol(int key) {
    if (key >= 'A' && key <= 'Z')
        return XK_a + static_cast<KeySym>(key - 'A');
    if (key >= '0' && key <= '9')
        return static_cast<KeySym>(key);
    if (key >= VK_F1 && key <= VK_F12)
        return XK_F1 + static_cast<KeySym>(key - VK_F1);
    switch (key) {
        case VK_ESCAPE:
            return XK_Escape;
        case VK_SHIFT:
            return XK_Shift_L;
        case VK_CONTROL:
            return XK_Control_L;
        case VK_MENU:
            return XK_Alt_L;
        case VK_SPACE:
            return XK_space;
        case VK_RETURN:
            return XK_Return;
        case VK_TAB:
            return XK_Tab;
        case VK_BACK:
            return XK_BackSpace;
        case VK_LEFT:
            return XK_Left;
        case VK_UP:
            return XK_Up;
        case VK_RIGHT:
            return XK_Right;
        case VK_DOWN:
            return XK_Down;
        default:
            return NoSymbol;
    }
}

}  // namespace

int make_current_calls() {
    return X11::make_current_count();
}

bool server_geometry(WindowHandle window, Geometry* geometry) {
    X11::NativeWindowRecord* record = X11::find_window(window);
    if (record == nullptr || geometry == nullptr)
        return false;
    Display* d = X11::display();
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, record->xid, &attributes))
        return false;
    ::Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(d, record->xid, RootWindow(d, X11::screen()), 0, 0, &x, &y, &child);
    *geometry = {x, y, attributes.width, attributes.height};
    return true;
}

bool server_is_mapped(WindowHandle window) {
    X11::NativeWindowRecord* record = X11::find_window(window);
    if (record == nullptr)
        return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(X11::display(), record->xid, &attributes))
        return false;
    return attributes.map_state != IsUnmapped;
}

std::string server_title(WindowHandle window) {
    return read_text_property(window, "WM_NAME", "STRING");
}

std::string server_utf8_title(WindowHandle window) {
    return read_text_property(window, "_NET_WM_NAME", "UTF8_STRING");
}

long server_pixel(WindowHandle window, int x, int y) {
    X11::NativeWindowRecord* record = X11::find_window(window);
    if (record == nullptr)
        return -1;
    X11::ErrorTrap trap;
    XImage* image = XGetImage(X11::display(), record->xid, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr || trap.failed()) {
        if (image != nullptr)
            XDestroyImage(image);
        return -1;
    }
    unsigned long pixel = XGetPixel(image, 0, 0);
    auto channel = [pixel](unsigned long mask) {
        if (mask == 0)
            return 0ul;
        unsigned long value = pixel & mask;
        while ((mask & 1) == 0) {
            mask >>= 1;
            value >>= 1;
        }
        return mask == 0xFF ? value : value * 255 / mask;
    };
    long rgb = static_cast<long>((channel(image->red_mask) << 16) |
                                 (channel(image->green_mask) << 8) | channel(image->blue_mask));
    XDestroyImage(image);
    return rgb;
}

bool server_manager_hints(WindowHandle window, ManagerHints* hints) {
    X11::NativeWindowRecord* record = X11::find_window(window);
    if (record == nullptr || hints == nullptr)
        return false;
    Display* d = X11::display();
    *hints = {0, false, false, false};
    ::Window owner = 0;
    if (XGetTransientForHint(d, record->xid, &owner))
        hints->transient_for = owner;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, record->xid, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), 0, 8,
                           False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data != nullptr && count >= 1) {
        hints->utility = reinterpret_cast<const Atom*>(data)[0] ==
                         XInternAtom(d, "_NET_WM_WINDOW_TYPE_UTILITY", False);
    }
    if (data != nullptr)
        XFree(data);
    data = nullptr;
    Atom motif = XInternAtom(d, "_MOTIF_WM_HINTS", False);
    if (XGetWindowProperty(d, record->xid, motif, 0, 5, False, motif, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr && count == 5) {
        const long* values = reinterpret_cast<const long*>(data);
        hints->undecorated = (values[0] & 2) != 0 && values[2] == 0;
    }
    if (data != nullptr)
        XFree(data);
    XSizeHints size;
    long supplied = 0;
    if (XGetWMNormalHints(d, record->xid, &size, &supplied) && (size.flags & PMinSize) &&
        (size.flags & PMaxSize)) {
        hints->fixed_size = size.min_width == size.max_width && size.min_height == size.max_height;
    }
    return true;
}

unsigned long native_id(WindowHandle window) {
    X11::NativeWindowRecord* record = X11::find_window(window);
    return record != nullptr ? record->xid : 0;
}

unsigned long native_visual_id(WindowHandle window) {
    X11::NativeWindowRecord* record = X11::find_window(window);
    return record != nullptr ? XVisualIDFromVisual(record->visual) : 0;
}

bool fake_motion(int x, int y) {
    Display* d = X11::display();
    bool done = XTestFakeMotionEvent(d, X11::screen(), x, y, CurrentTime) != 0;
    XFlush(d);
    return done;
}

bool fake_button(int button, bool press) {
    Display* d = X11::display();
    bool done = XTestFakeButtonEvent(d, static_cast<unsigned>(button), press, CurrentTime) != 0;
    XFlush(d);
    return done;
}

bool fake_key(int virtual_key, bool press) {
    Display* d = X11::display();
    KeySym symbol = key_symbol(virtual_key);
    if (symbol == NoSymbol)
        return false;
    KeyCode code = XKeysymToKeycode(d, symbol);
    if (code == 0)
        return false;
    bool done = XTestFakeKeyEvent(d, code, press, CurrentTime) != 0;
    XFlush(d);
    return done;
}

bool send_close_request(WindowHandle window) {
    X11::NativeWindowRecord* record = X11::find_window(window);
    if (record == nullptr)
        return false;
    Display* d = X11::display();
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = record->xid;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    bool done = XSendEvent(d, record->xid, False, NoEventMask, &event) != 0;
    XFlush(d);
    return done;
}

void sync() {
    XSync(X11::display(), False);
}

}  // namespace Testing
}  // namespace Platform
