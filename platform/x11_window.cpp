// Window classes, windows, the message queue and input on X11.

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/testing.h"
#include "platform/x11_internal.h"

namespace Platform {
namespace X11 {
namespace {

struct ClassRecord {
    WindowClass window_class;
    std::u16string name;
};

struct State {
    Display* display = nullptr;
    int screen = 0;
    std::map<std::u16string, ClassRecord> classes;
    std::map<WindowHandle, std::unique_ptr<NativeWindowRecord>> windows;
    std::map<::Window, NativeWindowRecord*> by_xid;
    std::map<DeviceContextHandle, NativeWindowRecord*> by_dc;
    std::deque<Message> queue;
    std::vector<Testing::ShowCall> show_calls;
    std::uintptr_t next_token = 1;
    std::uint16_t next_atom = 0xC000;
    int error_count = 0;
    bool trapping = false;
    Atom wm_protocols = 0;
    Atom wm_delete_window = 0;
    Atom wm_state = 0;
    Atom net_wm_name = 0;
    Atom net_wm_state = 0;
    Atom net_wm_state_hidden = 0;
    Atom net_wm_state_max_vert = 0;
    Atom net_wm_state_max_horz = 0;
    Atom net_supporting_wm_check = 0;
    Atom net_wm_window_type = 0;
    Atom net_wm_window_type_utility = 0;
    Atom motif_wm_hints = 0;
    Atom utf8_string = 0;
};

State& state() {
    static State s;
    return s;
}

template <typename Handle>
Handle next_handle() {
    return reinterpret_cast<Handle>(state().next_token++);
}

int on_x_error(Display* display, XErrorEvent* error) {
    State& s = state();
    ++s.error_count;
    if (!s.trapping) {
        char text[256] = {0};
        XGetErrorText(display, error->error_code, text, sizeof text);
        std::fprintf(stderr, "platform: X error %s (request %d.%d, resource 0x%lx)\n", text,
                     error->request_code, error->minor_code, error->resourceid);
    }
    return 0;
}

// Xlib ends the process when this returns, so it only says why.
int on_x_io_error(Display*) {
    std::fprintf(stderr, "platform: lost the connection to the X display\n");
    std::fflush(stderr);
    std::_Exit(1);
}

std::string to_utf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// WM_NAME is Latin-1; what it cannot hold becomes '?'.
std::string to_latin1(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out += c < 0x100 ? static_cast<char>(c) : '?';
    return out;
}

std::u16string from_wide(const char16_t* text) {
    return text != nullptr ? std::u16string(text) : std::u16string();
}

LParam make_lparam(int low, int high) {
    return static_cast<LParam>(
        static_cast<std::uint32_t>(static_cast<std::uint16_t>(low)) |
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16));
}

std::uint32_t now_ms() {
    return Platform::time_get_time();
}

void post(NativeWindowRecord* record, std::uint32_t message, WParam first, LParam second) {
    state().queue.push_back({record->handle, message, first, second, now_ms(), {0, 0}});
}

bool window_manager_running() {
    State& s = state();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool running = false;
    if (XGetWindowProperty(s.display, RootWindow(s.display, s.screen), s.net_supporting_wm_check, 0,
                           1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        running = count == 1;
    }
    if (data != nullptr)
        XFree(data);
    return running;
}

void set_title_properties(NativeWindowRecord* record) {
    State& s = state();
    std::string latin1 = to_latin1(record->title);
    std::string utf8 = to_utf8(record->title);
    XChangeProperty(s.display, record->xid, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(latin1.data()),
                    static_cast<int>(latin1.size()));
    XChangeProperty(s.display, record->xid, s.net_wm_name, s.utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
}

void set_normal_hints(NativeWindowRecord* record) {
    XSizeHints* hints = XAllocSizeHints();
    // Static gravity makes a window manager keep the client area, not its
    // frame, at the requested position.
    hints->flags = USPosition | USSize | PWinGravity;
    hints->x = record->x;
    hints->y = record->y;
    hints->width = record->width;
    hints->height = record->height;
    hints->win_gravity = StaticGravity;
    if ((record->style & WS_THICKFRAME) == 0) {
        hints->flags |= PMinSize | PMaxSize;
        hints->min_width = hints->max_width = record->width;
        hints->min_height = hints->max_height = record->height;
    }
    XSetWMNormalHints(state().display, record->xid, hints);
    XFree(hints);
}

// Everything a window manager reads from the window, set again whenever the
// server window is replaced.
void set_window_properties(NativeWindowRecord* record) {
    State& s = state();
    set_title_properties(record);
    std::string class_utf8 = to_utf8(record->class_name);
    XClassHint class_hint;
    class_hint.res_name = const_cast<char*>(class_utf8.c_str());
    class_hint.res_class = const_cast<char*>(class_utf8.c_str());
    XSetClassHint(s.display, record->xid, &class_hint);
    Atom protocols[] = {s.wm_delete_window};
    XSetWMProtocols(s.display, record->xid, protocols, 1);
    set_normal_hints(record);
    if (record->parent_xid != 0)
        XSetTransientForHint(s.display, record->xid, record->parent_xid);
    if ((record->style & WS_CAPTION) != WS_CAPTION && (record->style & WS_POPUP) != 0) {
        // Motif hints: flags = decorations, decorations = none.
        long motif[5] = {2, 0, 0, 0, 0};
        XChangeProperty(s.display, record->xid, s.motif_wm_hints, s.motif_wm_hints, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(motif), 5);
    }
    if ((record->ex_style & WS_EX_TOOLWINDOW) != 0) {
        XChangeProperty(s.display, record->xid, s.net_wm_window_type, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&s.net_wm_window_type_utility), 1);
    }
}

::Window create_server_window(NativeWindowRecord* record, Visual* visual, int depth) {
    State& s = state();
    ::Window root = RootWindow(s.display, s.screen);
    Colormap colormap = XCreateColormap(s.display, root, visual, AllocNone);
    XSetWindowAttributes attributes;
    std::memset(&attributes, 0, sizeof attributes);
    attributes.colormap = colormap;
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                            PointerMotionMask | StructureNotifyMask | PropertyChangeMask |
                            FocusChangeMask | ExposureMask;
    ::Window xid =
        XCreateWindow(s.display, root, record->x, record->y, static_cast<unsigned>(record->width),
                      static_cast<unsigned>(record->height), 0, depth, InputOutput, visual,
                      CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    record->xid = xid;
    record->colormap = colormap;
    record->visual = visual;
    record->depth = depth;
    s.by_xid[xid] = record;
    set_window_properties(record);
    return xid;
}

void destroy_server_window(NativeWindowRecord* record) {
    State& s = state();
    forget_drawable(record->xid);
    s.by_xid.erase(record->xid);
    XDestroyWindow(s.display, record->xid);
    XFreeColormap(s.display, record->colormap);
    record->xid = 0;
    record->colormap = 0;
}

int clamp_extent(int value) {
    return value < 1 ? 1 : (value > 32767 ? 32767 : value);
}

// Lets the window procedure adjust the size limits, then applies them.
void apply_size_limits(NativeWindowRecord* record, int* width, int* height) {
    State& s = state();
    int screen_width = DisplayWidth(s.display, s.screen);
    int screen_height = DisplayHeight(s.display, s.screen);
    MinMaxInfo info = {{0, 0},
                       {screen_width, screen_height},
                       {0, 0},
                       {1, 1},
                       {screen_width + 12, screen_height + 12}};
    send_message(record->handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&info));
    if (info.max_track_size.x > 0 && *width > info.max_track_size.x)
        *width = info.max_track_size.x;
    if (info.max_track_size.y > 0 && *height > info.max_track_size.y) {
        *height = info.max_track_size.y;
    }
    if (*width < info.min_track_size.x)
        *width = info.min_track_size.x;
    if (*height < info.min_track_size.y)
        *height = info.min_track_size.y;
}

WParam size_code(const NativeWindowRecord* record) {
    return record->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
}

// Moves and sizes the server window and tells the window procedure at once,
// as the original platform does from inside the call.
void configure(NativeWindowRecord* record, int x, int y, int width, int height) {
    State& s = state();
    width = clamp_extent(width);
    height = clamp_extent(height);
    record->configure_serial = NextRequest(s.display);
    XMoveResizeWindow(s.display, record->xid, x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    record->x = x;
    record->y = y;
    record->width = width;
    record->height = height;
    set_normal_hints(record);
    XFlush(s.display);
}

// Sends the size of the window's current state, then its position when that
// differs from the one given (a move always reports it).
void send_geometry(NativeWindowRecord* record, bool always_move, int old_x = 0, int old_y = 0) {
    WindowHandle handle = record->handle;
    int x = record->x, y = record->y, width = record->width, height = record->height;
    send_message(handle, WM_SIZE, size_code(record), make_lparam(width, height));
    if (find_window(handle) == nullptr)
        return;
    if (always_move || x != old_x || y != old_y)
        send_message(handle, WM_MOVE, 0, make_lparam(x, y));
}

Bool is_map_notify(Display*, XEvent* event, XPointer arg) {
    return event->type == MapNotify && event->xmap.window == *reinterpret_cast<::Window*>(arg);
}

// Maps the window, waits until the server says so and gives it the focus,
// as a newly shown window gets it.
void map_and_focus(NativeWindowRecord* record, bool focus) {
    State& s = state();
    if (!record->mapped) {
        set_normal_hints(record);
        XMapRaised(s.display, record->xid);
        XFlush(s.display);
        ::Window xid = record->xid;
        XEvent event;
        for (int waited = 0; waited < 2000; ++waited) {
            if (XCheckIfEvent(s.display, &event, is_map_notify, reinterpret_cast<XPointer>(&xid))) {
                break;
            }
            struct timespec pause = {0, 1000000};
            nanosleep(&pause, nullptr);
        }
        record->mapped = true;
    }
    if (focus) {
        ErrorTrap trap;
        XSetInputFocus(s.display, record->xid, RevertToParent, CurrentTime);
        trap.failed();
    }
}

void send_net_wm_state(NativeWindowRecord* record, long action, Atom first, Atom second) {
    State& s = state();
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = record->xid;
    event.xclient.message_type = s.net_wm_state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = action;
    event.xclient.data.l[1] = static_cast<long>(first);
    event.xclient.data.l[2] = static_cast<long>(second);
    event.xclient.data.l[3] = 1;
    XSendEvent(s.display, RootWindow(s.display, s.screen), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// Tells the window manager the state, IconicState or NormalState, that the
// window takes when it is next mapped.
void set_initial_state(NativeWindowRecord* record, int initial_state) {
    State& s = state();
    XWMHints* hints = XAllocWMHints();
    hints->flags = StateHint;
    hints->initial_state = initial_state;
    XSetWMHints(s.display, record->xid, hints);
    XFree(hints);
}

void minimize(NativeWindowRecord* record) {
    State& s = state();
    bool has_manager = window_manager_running();
    if (record->mapped) {
        if (has_manager) {
            XIconifyWindow(s.display, record->xid, s.screen);
        } else {
            // NOTE: without a window manager nobody iconifies; hiding is the
            // closest a bare X server offers.
            XUnmapWindow(s.display, record->xid);
            record->mapped = false;
        }
    } else if (has_manager) {
        set_initial_state(record, IconicState);
        XMapWindow(s.display, record->xid);
        record->mapped = true;
    }
    XFlush(s.display);
    record->minimized = true;
    send_message(record->handle, WM_SIZE, SIZE_MINIMIZED, 0);
}

void unminimize(NativeWindowRecord* record) {
    State& s = state();
    if (window_manager_running()) {
        set_initial_state(record, NormalState);
        XMapRaised(s.display, record->xid);
    }
    record->minimized = false;
    map_and_focus(record, true);
}

void maximize(NativeWindowRecord* record) {
    State& s = state();
    int old_x = record->x, old_y = record->y;
    if (record->minimized)
        unminimize(record);
    map_and_focus(record, true);
    if (!record->maximized) {
        record->restore_x = record->x;
        record->restore_y = record->y;
        record->restore_width = record->width;
        record->restore_height = record->height;
        record->maximized = true;
        if (window_manager_running()) {
            send_net_wm_state(record, 1, s.net_wm_state_max_vert, s.net_wm_state_max_horz);
        } else {
            // NOTE: without a window manager nobody maximizes; fill the screen.
            configure(record, 0, 0, DisplayWidth(s.display, s.screen),
                      DisplayHeight(s.display, s.screen));
        }
    }
    send_geometry(record, false, old_x, old_y);
}

void restore(NativeWindowRecord* record) {
    State& s = state();
    int old_x = record->x, old_y = record->y;
    if (record->minimized) {
        unminimize(record);
    } else if (record->maximized) {
        record->maximized = false;
        if (window_manager_running()) {
            send_net_wm_state(record, 0, s.net_wm_state_max_vert, s.net_wm_state_max_horz);
        } else {
            configure(record, record->restore_x, record->restore_y, record->restore_width,
                      record->restore_height);
        }
    } else {
        map_and_focus(record, true);
    }
    send_geometry(record, false, old_x, old_y);
}

int virtual_key(KeySym sym) {
    if (sym >= XK_a && sym <= XK_z)
        return static_cast<int>('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z)
        return static_cast<int>(sym);
    if (sym >= XK_0 && sym <= XK_9)
        return static_cast<int>(sym);
    if (sym >= XK_F1 && sym <= XK_F24)
        return VK_F1 + static_cast<int>(sym - XK_F1);
    if (sym >= XK_KP_0 && sym <= XK_KP_9)
        return VK_NUMPAD0 + static_cast<int>(sym - XK_KP_0);
    switch (sym) {
        case XK_Escape:
            return VK_ESCAPE;
        case XK_Shift_L:
        case XK_Shift_R:
            return VK_SHIFT;
        case XK_Control_L:
        case XK_Control_R:
            return VK_CONTROL;
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Meta_L:
        case XK_Meta_R:
            return VK_MENU;
        case XK_space:
            return VK_SPACE;
        case XK_Return:
        case XK_KP_Enter:
            return VK_RETURN;
        case XK_Tab:
        case XK_ISO_Left_Tab:
            return VK_TAB;
        case XK_BackSpace:
            return VK_BACK;
        case XK_Left:
            return VK_LEFT;
        case XK_Up:
            return VK_UP;
        case XK_Right:
            return VK_RIGHT;
        case XK_Down:
            return VK_DOWN;
        case XK_Home:
            return VK_HOME;
        case XK_End:
            return VK_END;
        case XK_Prior:
            return VK_PRIOR;
        case XK_Next:
            return VK_NEXT;
        case XK_Insert:
            return VK_INSERT;
        case XK_Delete:
            return VK_DELETE;
        case XK_Pause:
            return VK_PAUSE;
        case XK_Caps_Lock:
            return VK_CAPITAL;
        case XK_KP_Multiply:
            return VK_MULTIPLY;
        case XK_KP_Add:
            return VK_ADD;
        case XK_KP_Subtract:
            return VK_SUBTRACT;
        case XK_KP_Decimal:
            return VK_DECIMAL;
        case XK_KP_Divide:
            return VK_DIVIDE;
        case XK_semicolon:
            return VK_OEM_1;
        case XK_equal:
            return VK_OEM_PLUS;
        case XK_comma:
            return VK_OEM_COMMA;
        case XK_minus:
            return VK_OEM_MINUS;
        case XK_period:
            return VK_OEM_PERIOD;
        case XK_slash:
            return VK_OEM_2;
        case XK_grave:
            return VK_OEM_3;
        case XK_bracketleft:
            return VK_OEM_4;
        case XK_backslash:
            return VK_OEM_5;
        case XK_bracketright:
            return VK_OEM_6;
        case XK_apostrophe:
            return VK_OEM_7;
        default:
            return 0;
    }
}

// The button and modifier bits the original platform puts in the first
// parameter of mouse messages.
WParam mouse_key_state(unsigned int state_bits) {
    WParam bits = 0;
    if (state_bits & Button1Mask)
        bits |= 0x1;
    if (state_bits & Button3Mask)
        bits |= 0x2;
    if (state_bits & ShiftMask)
        bits |= 0x4;
    if (state_bits & ControlMask)
        bits |= 0x8;
    if (state_bits & Button2Mask)
        bits |= 0x10;
    return bits;
}

bool has_atom(const NativeWindowRecord* record, Atom property, Atom wanted) {
    State& s = state();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(s.display, record->xid, property, 0, 64, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32) {
        const long* atoms = reinterpret_cast<const long*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            if (static_cast<Atom>(atoms[i]) == wanted)
                found = true;
        }
    }
    if (data != nullptr)
        XFree(data);
    return found;
}

long wm_state_of(const NativeWindowRecord* record) {
    State& s = state();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long value = -1;
    if (XGetWindowProperty(s.display, record->xid, s.wm_state, 0, 2, False, s.wm_state, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr && count >= 1 && format == 32) {
        value = reinterpret_cast<const long*>(data)[0];
    }
    if (data != nullptr)
        XFree(data);
    return value;
}

void translate_event(XEvent& event) {
    State& s = state();
    auto found = s.by_xid.find(event.xany.window);
    if (event.type == ConfigureNotify)
        found = s.by_xid.find(event.xconfigure.window);
    if (found == s.by_xid.end())
        return;
    NativeWindowRecord* record = found->second;
    switch (event.type) {
        case ButtonPress:
        case ButtonRelease: {
            const XButtonEvent& b = event.xbutton;
            bool press = event.type == ButtonPress;
            LParam at = make_lparam(b.x, b.y);
            // A release outside the window comes here too (the server's implicit
            // grab after a press); it is passed on, so no button stays held for
            // want of a release the window never saw.
            // X reports the state before the event; the message carries the one after.
            unsigned int after = b.state;
            const unsigned int masks[] = {0, Button1Mask, Button2Mask, Button3Mask};
            if (b.button >= 1 && b.button <= 3) {
                after = press ? (after | masks[b.button]) : (after & ~masks[b.button]);
            }
            WParam keys = mouse_key_state(after);
            switch (b.button) {
                case 1:
                    post(record, press ? WM_LBUTTONDOWN : WM_LBUTTONUP, keys, at);
                    break;
                case 2:
                    post(record, press ? WM_MBUTTONDOWN : WM_MBUTTONUP, keys, at);
                    break;
                case 3:
                    post(record, press ? WM_RBUTTONDOWN : WM_RBUTTONUP, keys, at);
                    break;
                case 4:
                case 5:
                case 6:
                case 7: {
                    if (!press)
                        break;
                    // Wheel messages carry screen coordinates and the delta in
                    // the high half of the first parameter.
                    int delta = (b.button == 4 || b.button == 7) ? WHEEL_DELTA : -WHEEL_DELTA;
                    WParam first =
                        keys | (static_cast<WParam>(static_cast<std::uint16_t>(delta)) << 16);
                    post(record, b.button <= 5 ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL, first,
                         make_lparam(b.x_root, b.y_root));
                    break;
                }
                default:
                    break;
            }
            break;
        }
        case MotionNotify:
            post(record, WM_MOUSEMOVE, mouse_key_state(event.xmotion.state),
                 make_lparam(event.xmotion.x, event.xmotion.y));
            break;
        case KeyPress:
        case KeyRelease: {
            int key = virtual_key(XLookupKeysym(&event.xkey, 0));
            if (key == 0)
                break;
            bool press = event.type == KeyPress;
            // Bit 30 says the key was down before; bit 31 marks a release.
            LParam second = 1 | (static_cast<LParam>(event.xkey.keycode & 0xFF) << 16);
            unsigned int code = event.xkey.keycode;
            bool was_down = record->keys_down.count(code) != 0;
            if (press) {
                record->keys_down.insert(code);
            } else {
                record->keys_down.erase(code);
            }
            if (was_down)
                second |= LParam(1) << 30;
            if (!press)
                second |= (LParam(1) << 30) | (LParam(1) << 31);
            post(record, press ? WM_KEYDOWN : WM_KEYUP, static_cast<WParam>(key), second);
            break;
        }
        case ConfigureNotify: {
            // Notifications that predate our latest own request are stale.
            if (!event.xconfigure.send_event &&
                static_cast<long>(event.xconfigure.serial - record->configure_serial) < 0) {
                break;
            }
            int x = 0, y = 0;
            ::Window child = 0;
            XTranslateCoordinates(s.display, record->xid, RootWindow(s.display, s.screen), 0, 0, &x,
                                  &y, &child);
            int width = event.xconfigure.width, height = event.xconfigure.height;
            bool moved = x != record->x || y != record->y;
            bool resized = width != record->width || height != record->height;
            record->x = x;
            record->y = y;
            record->width = width;
            record->height = height;
            if (resized && !record->minimized) {
                post(record, WM_SIZE, size_code(record), make_lparam(width, height));
            }
            if (moved)
                post(record, WM_MOVE, 0, make_lparam(x, y));
            break;
        }
        case FocusOut:
            // Releases of keys held when the focus left go elsewhere.
            record->keys_down.clear();
            break;
        case MapNotify:
            record->mapped = true;
            break;
        case UnmapNotify:
            record->mapped = false;
            break;
        case PropertyNotify: {
            if (event.xproperty.atom == s.wm_state) {
                long wm_state = wm_state_of(record);
                if (wm_state == IconicState && !record->minimized) {
                    record->minimized = true;
                    post(record, WM_SIZE, SIZE_MINIMIZED, 0);
                } else if (wm_state == NormalState && record->minimized) {
                    record->minimized = false;
                    post(record, WM_SIZE, size_code(record),
                         make_lparam(record->width, record->height));
                }
            } else if (event.xproperty.atom == s.net_wm_state) {
                bool maximized = has_atom(record, s.net_wm_state, s.net_wm_state_max_vert) &&
                                 has_atom(record, s.net_wm_state, s.net_wm_state_max_horz);
                if (maximized != record->maximized) {
                    record->maximized = maximized;
                    post(record, WM_SIZE, size_code(record),
                         make_lparam(record->width, record->height));
                }
            }
            break;
        }
        case ClientMessage:
            if (event.xclient.message_type == s.wm_protocols && event.xclient.format == 32 &&
                static_cast<Atom>(event.xclient.data.l[0]) == s.wm_delete_window) {
                post(record, WM_CLOSE, 0, 0);
            }
            break;
        default:
            break;
    }
}

void drain_server_queue() {
    Display* d = display();
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        translate_event(event);
    }
}

}  // namespace

Display* display() {
    State& s = state();
    if (s.display != nullptr)
        return s.display;
    const char* name = std::getenv("DISPLAY");
    s.display = XOpenDisplay(nullptr);
    if (s.display == nullptr) {
        std::fprintf(
            stderr,
            "platform: cannot open the X display \"%s\"; set DISPLAY to a running X server\n",
            name != nullptr ? name : "");
        std::fflush(stderr);
        std::exit(1);
    }
    XSetErrorHandler(on_x_error);
    XSetIOErrorHandler(on_x_io_error);
    s.screen = DefaultScreen(s.display);
    // Held keys then repeat presses without releases in between.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(s.display, True, &supported);
    auto atom = [&s](const char* name) { return XInternAtom(s.display, name, False); };
    s.wm_protocols = atom("WM_PROTOCOLS");
    s.wm_delete_window = atom("WM_DELETE_WINDOW");
    s.wm_state = atom("WM_STATE");
    s.net_wm_name = atom("_NET_WM_NAME");
    s.net_wm_state = atom("_NET_WM_STATE");
    s.net_wm_state_hidden = atom("_NET_WM_STATE_HIDDEN");
    s.net_wm_state_max_vert = atom("_NET_WM_STATE_MAXIMIZED_VERT");
    s.net_wm_state_max_horz = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    s.net_supporting_wm_check = atom("_NET_SUPPORTING_WM_CHECK");
    s.net_wm_window_type = atom("_NET_WM_WINDOW_TYPE");
    s.net_wm_window_type_utility = atom("_NET_WM_WINDOW_TYPE_UTILITY");
    s.motif_wm_hints = atom("_MOTIF_WM_HINTS");
    s.utf8_string = atom("UTF8_STRING");
    return s.display;
}

int screen() {
    display();
    return state().screen;
}

NativeWindowRecord* find_window(WindowHandle window) {
    State& s = state();
    auto found = s.windows.find(window);
    return found != s.windows.end() ? found->second.get() : nullptr;
}

NativeWindowRecord* find_window(DeviceContextHandle dc) {
    State& s = state();
    auto found = s.by_dc.find(dc);
    return found != s.by_dc.end() ? found->second : nullptr;
}

void recreate_window(NativeWindowRecord* record, Visual* visual, int depth) {
    bool was_mapped = record->mapped;
    destroy_server_window(record);
    record->mapped = false;
    create_server_window(record, visual, depth);
    if (was_mapped)
        map_and_focus(record, false);
    XFlush(display());
}

NativeWindowRecord* other_window_with_format(int pixel_format, ::Window excluded) {
    for (const auto& entry : state().windows) {
        NativeWindowRecord* record = entry.second.get();
        if (record->xid != excluded && record->pixel_format == pixel_format)
            return record;
    }
    return nullptr;
}

ErrorTrap::ErrorTrap() {
    State& s = state();
    XSync(display(), False);
    previous_count_ = s.error_count;
    previous_trapping_ = s.trapping;
    s.trapping = true;
}

ErrorTrap::~ErrorTrap() {
    State& s = state();
    XSync(s.display, False);
    s.trapping = previous_trapping_;
}

bool ErrorTrap::failed() {
    State& s = state();
    XSync(s.display, False);
    return s.error_count != previous_count_;
}

}  // namespace X11

using X11::find_window;
using X11::NativeWindowRecord;
using X11::state;

std::uint16_t register_class(const WindowClass* window_class) {
    if (window_class == nullptr || window_class->class_name == nullptr)
        return 0;
    X11::State& s = state();
    std::u16string name = window_class->class_name;
    if (s.classes.count(name) != 0)
        return 0;
    X11::ClassRecord& record = s.classes[name];
    record.window_class = *window_class;
    record.name = name;
    record.window_class.class_name = record.name.c_str();
    record.window_class.menu_name = nullptr;
    return s.next_atom++;
}

bool unregister_class(const char16_t* class_name, InstanceHandle) {
    if (class_name == nullptr)
        return false;
    X11::State& s = state();
    std::u16string name = class_name;
    for (const auto& entry : s.windows) {
        if (entry.second->class_name == name)
            return false;
    }
    return s.classes.erase(name) != 0;
}

WindowHandle create_window_ex(std::uint32_t ex_style, const char16_t* class_name,
                              const char16_t* title, std::uint32_t style, int x, int y, int width,
                              int height, WindowHandle parent, MenuHandle, InstanceHandle,
                              void* creation_data) {
    Display* d = X11::display();
    X11::State& s = state();
    auto found = s.classes.find(X11::from_wide(class_name));
    if (found == s.classes.end())
        return nullptr;
    auto owned = std::make_unique<NativeWindowRecord>();
    NativeWindowRecord* record = owned.get();
    record->handle = X11::next_handle<WindowHandle>();
    record->dc = X11::next_handle<DeviceContextHandle>();
    record->procedure = found->second.window_class.procedure;
    record->class_name = found->first;
    record->title = X11::from_wide(title);
    record->style = style & ~WS_VISIBLE;
    record->ex_style = ex_style;
    if (NativeWindowRecord* owner = find_window(parent))
        record->parent_xid = owner->xid;
    record->x = x;
    record->y = y;
    record->width = X11::clamp_extent(width);
    record->height = X11::clamp_extent(height);
    s.windows[record->handle] = std::move(owned);
    s.by_dc[record->dc] = record;
    X11::apply_size_limits(record, &record->width, &record->height);
    X11::create_server_window(record, DefaultVisual(d, s.screen), DefaultDepth(d, s.screen));
    XFlush(d);
    WindowHandle handle = record->handle;
    if (send_message(handle, WM_CREATE, 0, reinterpret_cast<LParam>(creation_data)) == -1) {
        destroy_window(handle);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0)
        show_window(handle, SW_SHOW);
    return handle;
}

bool destroy_window(WindowHandle window) {
    X11::State& s = state();
    if (find_window(window) == nullptr)
        return false;
    send_message(window, WM_DESTROY, 0, 0);
    NativeWindowRecord* record = find_window(window);
    if (record == nullptr)
        return true;
    X11::destroy_server_window(record);
    XFlush(s.display);
    for (auto it = s.queue.begin(); it != s.queue.end();) {
        it = it->window == window ? s.queue.erase(it) : it + 1;
    }
    s.by_dc.erase(record->dc);
    s.windows.erase(window);
    return true;
}

DeviceContextHandle get_dc(WindowHandle window) {
    NativeWindowRecord* record = find_window(window);
    return record != nullptr ? record->dc : nullptr;
}

int release_dc(WindowHandle window, DeviceContextHandle dc) {
    NativeWindowRecord* record = find_window(window);
    return record != nullptr && record->dc == dc ? 1 : 0;
}

LResult def_window_proc(WindowHandle window, std::uint32_t message, WParam, LParam) {
    // A close request destroys the window unless the procedure handles it.
    if (message == WM_CLOSE)
        destroy_window(window);
    return 0;
}

LResult send_message(WindowHandle window, std::uint32_t message, WParam first, LParam second) {
    NativeWindowRecord* record = find_window(window);
    if (record == nullptr || record->procedure == nullptr)
        return 0;
    return record->procedure(window, message, first, second);
}

// NOTE: on X11 the window manager's frame lies outside the client window and
// the client window is what we position, so the outer rectangle is the
// client rectangle.
bool adjust_window_rect(Rect* rect, std::uint32_t, bool) {
    return rect != nullptr;
}

std::int32_t get_window_long(WindowHandle window, int index) {
    NativeWindowRecord* record = find_window(window);
    if (record == nullptr)
        return 0;
    if (index == GWL_STYLE) {
        return static_cast<std::int32_t>(record->style | (record->mapped ? WS_VISIBLE : 0));
    }
    if (index == GWL_EXSTYLE)
        return static_cast<std::int32_t>(record->ex_style);
    return 0;
}

bool move_window(WindowHandle window, int x, int y, int width, int height, bool) {
    NativeWindowRecord* record = find_window(window);
    if (record == nullptr)
        return false;
    width = X11::clamp_extent(width);
    height = X11::clamp_extent(height);
    X11::apply_size_limits(record, &width, &height);
    if (find_window(window) == nullptr)
        return false;
    X11::configure(record, x, y, width, height);
    X11::send_geometry(record, true);
    return true;
}

namespace X11 {
namespace {

bool show(WindowHandle window, int command) {
    NativeWindowRecord* record = find_window(window);
    if (record == nullptr)
        return false;
    bool was_visible = record->mapped;
    switch (command) {
        case SW_HIDE:
            if (record->mapped) {
                XWithdrawWindow(X11::display(), record->xid, X11::screen());
                XFlush(X11::display());
                record->mapped = false;
            }
            break;
        case SW_SHOW:
        case SW_SHOWNA:
        case SW_SHOWNOACTIVATE:
            if (!record->mapped && !record->minimized) {
                X11::map_and_focus(record, command == SW_SHOW);
                X11::send_geometry(record, false, record->x, record->y);
            }
            break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
            X11::restore(record);
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE:
            if (!record->minimized)
                X11::minimize(record);
            break;
        case SW_MAXIMIZE:
            X11::maximize(record);
            break;
        default:
            break;
    }
    return was_visible;
}

}  // namespace
}  // namespace X11

bool show_window(WindowHandle window, int command) {
    state().show_calls.push_back({false, command, 0, 0});
    return X11::show(window, command);
}

// NOTE: X11 has no window animation; the blend shows or hides at once.
bool animate_window(WindowHandle window, std::uint32_t time_ms, std::uint32_t flags) {
    state().show_calls.push_back({true, 0, time_ms, flags});
    NativeWindowRecord* record = find_window(window);
    if (record == nullptr)
        return false;
    if ((flags & AW_HIDE) != 0) {
        if (!record->mapped)
            return false;
        X11::show(window, SW_HIDE);
        return true;
    }
    if (record->mapped)
        return false;
    X11::show(window, SW_SHOW);
    return true;
}

bool set_window_text(WindowHandle window, const char16_t* text) {
    NativeWindowRecord* record = find_window(window);
    if (record == nullptr)
        return false;
    record->title = X11::from_wide(text);
    X11::set_title_properties(record);
    XFlush(X11::display());
    return true;
}

// Cursors and brushes are tokens: the server draws the default arrow and the
// window background is black anyway.
CursorHandle load_cursor(InstanceHandle, int id) {
    return reinterpret_cast<CursorHandle>(static_cast<std::uintptr_t>(0x10000 + id));
}

BrushHandle get_stock_object(int id) {
    return reinterpret_cast<BrushHandle>(static_cast<std::uintptr_t>(0x20000 + id));
}

bool peek_message(Message* message, WindowHandle filter, std::uint32_t first_message,
                  std::uint32_t last_message, std::uint32_t remove) {
    X11::drain_server_queue();
    X11::State& s = state();
    for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
        if (filter != nullptr && it->window != filter)
            continue;
        if ((first_message != 0 || last_message != 0) &&
            (it->message < first_message || it->message > last_message)) {
            continue;
        }
        if (message != nullptr)
            *message = *it;
        if ((remove & PM_REMOVE) != 0)
            s.queue.erase(it);
        return true;
    }
    return false;
}

// Character messages are not produced; key messages carry virtual-key codes.
bool translate_message(const Message*) {
    return false;
}

LResult dispatch_message(const Message* message) {
    if (message == nullptr)
        return 0;
    return send_message(message->window, message->message, message->first, message->second);
}

namespace Testing {

std::vector<ShowCall> take_show_calls() {
    std::vector<ShowCall> calls;
    calls.swap(state().show_calls);
    return calls;
}

}  // namespace Testing
}  // namespace Platform
