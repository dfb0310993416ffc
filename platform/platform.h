#pragma once

// The Win32-shaped window-system services the windowing library is written
// against: window classes and a window procedure fed with messages, private
// device contexts with numbered pixel formats, rendering contexts, a
// millisecond clock and a 1 ms wait. This build implements them on X11 + GLX;
// a native backend can replace the implementation without touching callers.
// Nothing here exposes a type of the underlying window system.

#include <cstdint>

namespace Platform {

// Opaque handles. Their values are tokens that are never reused within a run,
// so a stale handle is simply not found.
struct WindowRecord;
struct DeviceContextRecord;
struct RenderContextRecord;
struct InstanceRecord;
struct MenuRecord;
struct IconRecord;
struct CursorRecord;
struct BrushRecord;
using WindowHandle = WindowRecord*;
using DeviceContextHandle = DeviceContextRecord*;
using RenderContextHandle = RenderContextRecord*;
using InstanceHandle = InstanceRecord*;
using MenuHandle = MenuRecord*;
using IconHandle = IconRecord*;
using CursorHandle = CursorRecord*;
using BrushHandle = BrushRecord*;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

using WindowProcedure = LResult (*)(WindowHandle window, std::uint32_t message, WParam first,
                                    LParam second);

struct Point {
    std::int32_t x;
    std::int32_t y;
};

struct Rect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

struct Message {
    WindowHandle window;
    std::uint32_t message;
    WParam first;
    LParam second;
    std::uint32_t time;
    Point point;
};

struct WindowClass {
    std::uint32_t style;
    WindowProcedure procedure;
    int class_extra;
    int window_extra;
    InstanceHandle instance;
    IconHandle icon;
    CursorHandle cursor;
    BrushHandle background;
    const char16_t* menu_name;
    const char16_t* class_name;
};

// The size limits a window procedure may adjust before a window is sized.
struct MinMaxInfo {
    Point reserved;
    Point max_size;
    Point max_position;
    Point min_track_size;
    Point max_track_size;
};

// Laid out byte for byte like the 40-byte descriptor of the original platform.
struct PixelFormatDescriptor {
    std::uint16_t size;
    std::uint16_t version;
    std::uint32_t flags;
    std::uint8_t pixel_type;
    std::uint8_t color_bits;
    std::uint8_t red_bits;
    std::uint8_t red_shift;
    std::uint8_t green_bits;
    std::uint8_t green_shift;
    std::uint8_t blue_bits;
    std::uint8_t blue_shift;
    std::uint8_t alpha_bits;
    std::uint8_t alpha_shift;
    std::uint8_t accum_bits;
    std::uint8_t accum_red_bits;
    std::uint8_t accum_green_bits;
    std::uint8_t accum_blue_bits;
    std::uint8_t accum_alpha_bits;
    std::uint8_t depth_bits;
    std::uint8_t stencil_bits;
    std::uint8_t aux_buffers;
    std::uint8_t layer_type;
    std::uint8_t reserved;
    std::uint32_t layer_mask;
    std::uint32_t visible_mask;
    std::uint32_t damage_mask;
};
static_assert(sizeof(PixelFormatDescriptor) == 40, "the descriptor is 40 bytes");

// Window messages.
constexpr std::uint32_t WM_NULL = 0x0;
constexpr std::uint32_t WM_CREATE = 0x1;
constexpr std::uint32_t WM_DESTROY = 0x2;
constexpr std::uint32_t WM_MOVE = 0x3;
constexpr std::uint32_t WM_SIZE = 0x5;
constexpr std::uint32_t WM_SETFOCUS = 0x7;
constexpr std::uint32_t WM_KILLFOCUS = 0x8;
constexpr std::uint32_t WM_PAINT = 0xF;
constexpr std::uint32_t WM_CLOSE = 0x10;
constexpr std::uint32_t WM_QUIT = 0x12;
constexpr std::uint32_t WM_SHOWWINDOW = 0x18;
constexpr std::uint32_t WM_GETMINMAXINFO = 0x24;
constexpr std::uint32_t WM_KEYDOWN = 0x100;
constexpr std::uint32_t WM_KEYUP = 0x101;
constexpr std::uint32_t WM_COMMAND = 0x111;
constexpr std::uint32_t WM_MOUSEMOVE = 0x200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x201;
constexpr std::uint32_t WM_LBUTTONUP = 0x202;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x204;
constexpr std::uint32_t WM_RBUTTONUP = 0x205;
constexpr std::uint32_t WM_MBUTTONDOWN = 0x207;
constexpr std::uint32_t WM_MBUTTONUP = 0x208;
constexpr std::uint32_t WM_MOUSEWHEEL = 0x20A;
constexpr std::uint32_t WM_MOUSEHWHEEL = 0x20E;

// WM_SIZE codes.
constexpr WParam SIZE_RESTORED = 0;
constexpr WParam SIZE_MINIMIZED = 1;
constexpr WParam SIZE_MAXIMIZED = 2;
constexpr WParam SIZE_MAXSHOW = 3;
constexpr WParam SIZE_MAXHIDE = 4;

constexpr int WHEEL_DELTA = 120;

// Window styles.
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
constexpr std::uint32_t WS_CLIPSIBLINGS = 0x4000000u;
constexpr std::uint32_t WS_CLIPCHILDREN = 0x2000000u;
constexpr std::uint32_t WS_CAPTION = 0xC00000u;
constexpr std::uint32_t WS_BORDER = 0x800000u;
constexpr std::uint32_t WS_SYSMENU = 0x80000u;
constexpr std::uint32_t WS_THICKFRAME = 0x40000u;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x20000u;
constexpr std::uint32_t WS_MAXIMIZEBOX = 0x10000u;
constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x80u;

constexpr std::uint32_t CS_OWNDC = 0x20;

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;

// Show commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

// Animation flags.
constexpr std::uint32_t AW_HIDE = 0x10000;
constexpr std::uint32_t AW_BLEND = 0x80000;

constexpr std::uint32_t PM_NOREMOVE = 0;
constexpr std::uint32_t PM_REMOVE = 1;

constexpr int IDC_ARROW = 32512;
constexpr int BLACK_BRUSH = 4;

// Pixel-format descriptor flags and types.
constexpr std::uint32_t PFD_DOUBLEBUFFER = 0x1;
constexpr std::uint32_t PFD_STEREO = 0x2;
constexpr std::uint32_t PFD_DRAW_TO_WINDOW = 0x4;
constexpr std::uint32_t PFD_DRAW_TO_BITMAP = 0x8;
constexpr std::uint32_t PFD_SUPPORT_GDI = 0x10;
constexpr std::uint32_t PFD_SUPPORT_OPENGL = 0x20;
constexpr std::uint32_t PFD_GENERIC_FORMAT = 0x40;
constexpr std::uint32_t PFD_GENERIC_ACCELERATED = 0x1000;
constexpr std::uint8_t PFD_TYPE_RGBA = 0;
constexpr std::uint8_t PFD_TYPE_COLORINDEX = 1;

// Attributes of the attribute-list context creation.
constexpr int WGL_CONTEXT_MAJOR_VERSION_ARB = 0x2091;
constexpr int WGL_CONTEXT_MINOR_VERSION_ARB = 0x2092;
constexpr int WGL_CONTEXT_LAYER_PLANE_ARB = 0x2093;
constexpr int WGL_CONTEXT_FLAGS_ARB = 0x2094;
constexpr int WGL_CONTEXT_PROFILE_MASK_ARB = 0x9126;
constexpr int WGL_CONTEXT_DEBUG_BIT_ARB = 0x1;
constexpr int WGL_CONTEXT_FORWARD_COMPATIBLE_BIT_ARB = 0x2;
constexpr int WGL_CONTEXT_CORE_PROFILE_BIT_ARB = 0x1;
constexpr int WGL_CONTEXT_COMPATIBILITY_PROFILE_BIT_ARB = 0x2;

constexpr std::uint32_t TIMERR_NOERROR = 0;
constexpr std::uint32_t TIMERR_NOCANDO = 97;

// Virtual-key codes; letters and digits are their upper-case ASCII codes.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F12 = 0x7B;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_OEM_1 = 0xBA;
constexpr int VK_OEM_PLUS = 0xBB;
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF;
constexpr int VK_OEM_3 = 0xC0;
constexpr int VK_OEM_4 = 0xDB;
constexpr int VK_OEM_5 = 0xDC;
constexpr int VK_OEM_6 = 0xDD;
constexpr int VK_OEM_7 = 0xDE;

// Window classes and windows.
std::uint16_t register_class(const WindowClass* window_class);
bool unregister_class(const char16_t* class_name, InstanceHandle instance);
WindowHandle create_window_ex(std::uint32_t ex_style, const char16_t* class_name,
                              const char16_t* title, std::uint32_t style, int x, int y, int width,
                              int height, WindowHandle parent, MenuHandle menu,
                              InstanceHandle instance, void* creation_data);
bool destroy_window(WindowHandle window);
DeviceContextHandle get_dc(WindowHandle window);
int release_dc(WindowHandle window, DeviceContextHandle dc);
LResult def_window_proc(WindowHandle window, std::uint32_t message, WParam first, LParam second);
// Calls the window's procedure at once and returns its result.
LResult send_message(WindowHandle window, std::uint32_t message, WParam first, LParam second);
bool adjust_window_rect(Rect* rect, std::uint32_t style, bool menu);
std::int32_t get_window_long(WindowHandle window, int index);
bool move_window(WindowHandle window, int x, int y, int width, int height, bool repaint);
bool show_window(WindowHandle window, int command);
bool animate_window(WindowHandle window, std::uint32_t time_ms, std::uint32_t flags);
bool set_window_text(WindowHandle window, const char16_t* text);
CursorHandle load_cursor(InstanceHandle instance, int id);
BrushHandle get_stock_object(int id);

// The message queue of the calling thread.
bool peek_message(Message* message, WindowHandle filter, std::uint32_t first_message,
                  std::uint32_t last_message, std::uint32_t remove);
bool translate_message(const Message* message);
LResult dispatch_message(const Message* message);

// Pixel formats are numbered from 1.
int describe_pixel_format(DeviceContextHandle dc, int index, std::uint32_t bytes,
                          PixelFormatDescriptor* descriptor);
bool set_pixel_format(DeviceContextHandle dc, int index, const PixelFormatDescriptor* descriptor);
int get_pixel_format(DeviceContextHandle dc);
bool swap_buffers(DeviceContextHandle dc);

// Rendering contexts.
RenderContextHandle wgl_create_context(DeviceContextHandle dc);
// A null dc and context releases the current context.
bool wgl_make_current(DeviceContextHandle dc, RenderContextHandle context);
bool wgl_delete_context(RenderContextHandle context);
// Attribute list of (name, value) pairs ended by 0; null when creation fails.
RenderContextHandle wgl_create_context_attribs(DeviceContextHandle dc, RenderContextHandle share,
                                               const int* attributes);
bool wgl_is_extension_supported(const char* name);
bool wgl_swap_interval(int interval);

// Millisecond clock (wraps in 32 bits), timer resolution and the 1 ms wait.
std::uint32_t time_get_time();
std::uint32_t time_begin_period(std::uint32_t period_ms);
std::uint32_t time_end_period(std::uint32_t period_ms);
// Waits on no descriptors for the given time; returns what the wait returned.
int select_wait(long seconds, long microseconds);

}  // namespace Platform
