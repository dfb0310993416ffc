#include "windowing/frame.h"

#include <GL/glew.h>

#include "math/assert_warn.h"
#include "windowing/input/events.h"
#include "windowing/input/input_state.h"

namespace Orv::Frame {

std::map<Platform::WindowHandle, FrameBase*>* frame_registry = nullptr;

namespace {

enum class Command { Same, None, Hide, Show };

struct ShowCommand {
    Command kind;
    int command;
};

// By current state (rows) and requested state (columns). A hidden frame asked
// to maximize is shown maximized; a minimized or maximized one asked to hide
// is hidden, as in the rest of those columns.
const ShowCommand kShowCommands[5][5] = {
    {{Command::Same, 0},
     {Command::Hide, 0},
     {Command::Show, Platform::SW_MINIMIZE},
     {Command::Show, Platform::SW_MAXIMIZE},
     {Command::None, 0}},
    {{Command::Show, Platform::SW_SHOW},
     {Command::Same, 0},
     {Command::Show, Platform::SW_SHOWMINNOACTIVE},
     {Command::Show, Platform::SW_MAXIMIZE},
     {Command::None, 0}},
    {{Command::Show, Platform::SW_RESTORE},
     {Command::Hide, 0},
     {Command::Same, 0},
     {Command::Show, Platform::SW_MAXIMIZE},
     {Command::None, 0}},
    {{Command::Show, Platform::SW_RESTORE},
     {Command::Hide, 0},
     {Command::Show, Platform::SW_MINIMIZE},
     {Command::Same, 0},
     {Command::None, 0}},
    {{Command::None, 0},
     {Command::None, 0},
     {Command::None, 0},
     {Command::None, 0},
     {Command::None, 0}},
};

bool valid_state(int state) {
    return state >= SHOWN && state <= RESERVED;
}

}  // namespace

FrameBase::FrameBase(FrameBase* parent, const Flags::Style& style, const Flags::Button& buttons)
    : size{118, 33}, position{0, 0}, show_state(HIDDEN), input(nullptr), native_window(nullptr) {
    input = new Input::InputState();
    native_window = new NativeWindow(style, buttons,
                                     parent != nullptr ? parent->native_window->window : nullptr,
                                     position.x, position.y, size.width, size.height);
    assert_warn(frame_registry != nullptr, "Orv::init must run before a frame is made!");
    if (frame_registry != nullptr)
        (*frame_registry)[native_window->window] = this;
}

FrameBase::~FrameBase() {
    delete native_window;
    delete input;
}

void FrameBase::on_frame_resize(const Input::Events::EventFrameResize&) {}
void FrameBase::on_frame_move(const Input::Events::EventFrameMove&) {}
void FrameBase::on_frame_maximize(const Input::Events::EventFrameMaximize&) {}
void FrameBase::on_frame_minimize(const Input::Events::EventFrameMinimize&) {}
void FrameBase::on_frame_close(const Input::Events::EventFrameClose&) {}
void FrameBase::on_frame_menu_item(const Input::Events::EventFrameMenuItem&) {}
void FrameBase::on_frame_event(const Input::Events::EventFrameBase&) {}
void FrameBase::on_mouse_move(const Input::Events::EventMouseMove&) {}
void FrameBase::on_mouse_scroll(const Input::Events::EventMouseScroll&) {}
void FrameBase::on_mouse_right_up(const Input::Events::EventMouseButtonRightUp&) {}
void FrameBase::on_mouse_right_down(const Input::Events::EventMouseButtonRightDown&) {}
void FrameBase::on_mouse_right(const Input::Events::EventMouseButtonRightBase&) {}
void FrameBase::on_mouse_middle_up(const Input::Events::EventMouseButtonMiddleUp&) {}
void FrameBase::on_mouse_middle_down(const Input::Events::EventMouseButtonMiddleDown&) {}
void FrameBase::on_mouse_middle(const Input::Events::EventMouseButtonMiddleBase&) {}
void FrameBase::on_mouse_left_up(const Input::Events::EventMouseButtonLeftUp&) {}
void FrameBase::on_mouse_left_down(const Input::Events::EventMouseButtonLeftDown&) {}
void FrameBase::on_mouse_left(const Input::Events::EventMouseButtonLeftBase&) {}
void FrameBase::on_mouse_button(const Input::Events::EventMouseButtonBase&) {}
void FrameBase::on_mouse_event(const Input::Events::EventMouseBase&) {}
void FrameBase::on_key_up(const Input::Events::EventKeyUp&) {}
void FrameBase::on_key_down(const Input::Events::EventKeyDown&) {}
void FrameBase::on_key_event(const Input::Events::EventKeyBase&) {}
void FrameBase::on_event(const Input::Events::EventBase&) {}
void FrameBase::draw() {}

void FrameBase::set_title(const std::string& text) {
    std::u16string wide;
    for (char c : text)
        wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    Platform::set_window_text(native_window->window, wide.c_str());
}

void FrameBase::set_size(int width, int height) {
    assert_warn(width >= 1 && height >= 1, "Frame size must be positive (got (%d,%d))!", width,
                height);
    size = {width, height};
    place_window();
}

void FrameBase::set_position(int x, int y) {
    position = {x, y};
    place_window();
}

void FrameBase::place_window() {
    Platform::Rect rect = {position.x, position.y, position.x + size.width,
                           position.y + size.height};
    Platform::adjust_window_rect(&rect,
                                 static_cast<std::uint32_t>(Platform::get_window_long(
                                     native_window->window, Platform::GWL_STYLE)),
                                 false);
    Platform::move_window(native_window->window, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, false);
}

void FrameBase::set_show_state(ShowState state, int blend_ms) {
    assert_warn(blend_ms >= 0, "Blending time must be nonnegative!");
    // An out-of-range state is treated like the reserved one.
    int from = valid_state(show_state) ? show_state : RESERVED;
    int to = valid_state(state) ? state : RESERVED;
    const ShowCommand& entry = kShowCommands[from][to];
    assert_warn(entry.kind != Command::Same, "Implementation error!");
    assert_warn(entry.kind != Command::None, "Not implemented!");
    Platform::WindowHandle window = native_window->window;
    if (entry.kind == Command::Hide) {
        if (blend_ms != 0) {
            Platform::animate_window(window, static_cast<std::uint32_t>(blend_ms),
                                     Platform::AW_HIDE | Platform::AW_BLEND);
        } else {
            Platform::show_window(window, Platform::SW_HIDE);
        }
    } else if (entry.kind == Command::Show) {
        if (blend_ms != 0) {
            Platform::animate_window(
                window, static_cast<std::uint32_t>(blend_ms),
                static_cast<std::uint32_t>(entry.command) | Platform::AW_BLEND);
        } else {
            Platform::show_window(window, entry.command);
        }
    }
    show_state = state;
}

void FrameBase::swap_buffers() {
    glFinish();
    Platform::swap_buffers(native_window->device_context);
}

void FrameBase::redraw(bool swap) {
    draw();
    if (swap)
        swap_buffers();
}

}  // namespace Orv::Frame
