#pragma once

#include <map>
#include <string>

#include "platform/platform.h"
#include "windowing/flags.h"
#include "windowing/native_window.h"
#include "windowing/types.h"

namespace Orv {
namespace Input {
class InputState;
namespace Events {
class EventBase;
class EventKeyBase;
class EventKeyDown;
class EventKeyUp;
class EventMouseBase;
class EventMouseButtonBase;
class EventMouseButtonLeftBase;
class EventMouseButtonLeftDown;
class EventMouseButtonLeftUp;
class EventMouseButtonMiddleBase;
class EventMouseButtonMiddleDown;
class EventMouseButtonMiddleUp;
class EventMouseButtonRightBase;
class EventMouseButtonRightDown;
class EventMouseButtonRightUp;
class EventMouseScroll;
class EventMouseMove;
class EventFrameMenuItem;
class EventFrameBase;
class EventFrameClose;
class EventFrameMinimize;
class EventFrameMaximize;
class EventFrameMove;
class EventFrameResize;
}  // namespace Events
}  // namespace Input

namespace Frame {

enum ShowState : int { SHOWN = 0, HIDDEN = 1, MINIMIZED = 2, MAXIMIZED = 3, RESERVED = 4 };

// A window with a double-buffered OpenGL device context. Applications derive
// from it and override the handlers; every handler of FrameBase does nothing.
class FrameBase {
public:
    FrameBase(FrameBase* parent, const Flags::Style& style, const Flags::Button& buttons);
    virtual ~FrameBase();
    FrameBase(const FrameBase&) = delete;
    FrameBase& operator=(const FrameBase&) = delete;

    virtual void on_frame_resize(const Input::Events::EventFrameResize& event);
    virtual void on_frame_move(const Input::Events::EventFrameMove& event);
    virtual void on_frame_maximize(const Input::Events::EventFrameMaximize& event);
    virtual void on_frame_minimize(const Input::Events::EventFrameMinimize& event);
    virtual void on_frame_close(const Input::Events::EventFrameClose& event);
    virtual void on_frame_menu_item(const Input::Events::EventFrameMenuItem& event);
    virtual void on_frame_event(const Input::Events::EventFrameBase& event);
    virtual void on_mouse_move(const Input::Events::EventMouseMove& event);
    virtual void on_mouse_scroll(const Input::Events::EventMouseScroll& event);
    virtual void on_mouse_right_up(const Input::Events::EventMouseButtonRightUp& event);
    virtual void on_mouse_right_down(const Input::Events::EventMouseButtonRightDown& event);
    virtual void on_mouse_right(const Input::Events::EventMouseButtonRightBase& event);
    virtual void on_mouse_middle_up(const Input::Events::EventMouseButtonMiddleUp& event);
    virtual void on_mouse_middle_down(const Input::Events::EventMouseButtonMiddleDown& event);
    virtual void on_mouse_middle(const Input::Events::EventMouseButtonMiddleBase& event);
    virtual void on_mouse_left_up(const Input::Events::EventMouseButtonLeftUp& event);
    virtual void on_mouse_left_down(const Input::Events::EventMouseButtonLeftDown& event);
    virtual void on_mouse_left(const Input::Events::EventMouseButtonLeftBase& event);
    virtual void on_mouse_button(const Input::Events::EventMouseButtonBase& event);
    virtual void on_mouse_event(const Input::Events::EventMouseBase& event);
    virtual void on_key_up(const Input::Events::EventKeyUp& event);
    virtual void on_key_down(const Input::Events::EventKeyDown& event);
    virtual void on_key_event(const Input::Events::EventKeyBase& event);
    virtual void on_event(const Input::Events::EventBase& event);
    virtual void draw();

    // Each byte of the text becomes one UTF-16 unit.
    void set_title(const std::string& text);
    void set_size(int width, int height);
    void set_position(int x, int y);
    void set_show_state(ShowState state, int blend_ms);
    void swap_buffers();
    void redraw(bool swap);

    // Client-area size and top-left screen position, as last set or reported.
    Size size;
    Point position;
    ShowState show_state;
    Input::InputState* input;
    NativeWindow* native_window;

private:
    void place_window();
};

// Frames by their window handle; created by Orv::init, deleted by Orv::deinit.
extern std::map<Platform::WindowHandle, FrameBase*>* frame_registry;

}  // namespace Frame
}  // namespace Orv
