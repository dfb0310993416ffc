#include "windowing/input/window_procedure.h"

#include <cstdint>
#include <limits>

#include "windowing/frame.h"
#include "windowing/input/events.h"
#include "windowing/input/input_state.h"
#include "windowing/orv.h"

namespace Orv {
namespace Input {

std::map<int, MenuEntry>* menu_registry = nullptr;

namespace {

int low_signed(Platform::LParam value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

int high_signed(Platform::LParam value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((value >> 16) & 0xFFFF));
}

Frame::FrameBase* frame_of(Platform::WindowHandle window) {
    if (Frame::frame_registry == nullptr)
        return nullptr;
    auto found = Frame::frame_registry->find(window);
    return found != Frame::frame_registry->end() ? found->second : nullptr;
}

// A handler may delete its frame; state is touched afterwards only if the
// frame is still there.
bool still_alive(Platform::WindowHandle window, const Frame::FrameBase* frame) {
    return frame_of(window) == frame;
}

int scaled_limit(int value) {
    long long scaled = static_cast<long long>(value) * 1024;
    if (scaled > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (scaled < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(scaled);
}

}  // namespace

Platform::LResult window_procedure(Platform::WindowHandle window, std::uint32_t message,
                                   Platform::WParam first, Platform::LParam second) {
    using namespace Platform;
    Frame::FrameBase* frame = frame_of(window);
    if (frame == nullptr)
        return def_window_proc(window, message, first, second);
    InputState& input = *frame->input;
    switch (message) {
        case WM_MOVE: {
            int x = low_signed(second), y = high_signed(second);
            frame->position = {x, y};
            Events::EventFrameMove(x, y).dispatch(frame);
            return 0;
        }
        case WM_SIZE: {
            int width = static_cast<int>(second & 0xFFFF);
            int height = static_cast<int>((second >> 16) & 0xFFFF);
            switch (first) {
                case SIZE_RESTORED:
                    break;
                case SIZE_MINIMIZED:
                    Events::EventFrameMinimize().dispatch(frame);
                    break;
                case SIZE_MAXIMIZED:
                case SIZE_MAXSHOW:
                case SIZE_MAXHIDE:
                    Events::EventFrameMaximize().dispatch(frame);
                    break;
                default:
                    return 0;
            }
            if (!still_alive(window, frame))
                return 0;
            frame->size = {width, height};
            Events::EventFrameResize(width, height).dispatch(frame);
            return 0;
        }
        case WM_CLOSE:
            Events::EventFrameClose().dispatch(frame);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MinMaxInfo*>(second);
            if (info != nullptr) {
                info->max_size.x = scaled_limit(info->max_size.x);
                info->max_size.y = scaled_limit(info->max_size.y);
                info->max_track_size.x = scaled_limit(info->max_track_size.x);
                info->max_track_size.y = scaled_limit(info->max_track_size.y);
            }
            return 0;
        }
        case WM_KEYDOWN: {
            int key = static_cast<int>(static_cast<std::uint32_t>(first));
            input.keys[key] = true;
            Events::EventKeyDown(key).dispatch(frame);
            return 0;
        }
        case WM_KEYUP: {
            int key = static_cast<int>(static_cast<std::uint32_t>(first));
            input.keys[key] = false;
            Events::EventKeyUp(key).dispatch(frame);
            return 0;
        }
        case WM_COMMAND: {
            int id = static_cast<int>(static_cast<std::uint32_t>(first));
            MenuEntry entry;
            if (menu_registry != nullptr)
                entry = (*menu_registry)[id];
            Events::EventFrameMenuItem(entry.first, entry.second).dispatch(frame);
            return 0;
        }
        case WM_MOUSEMOVE: {
            int x = low_signed(second), y = high_signed(second);
            input.previous_position = input.position;
            input.position = {x, y};
            input.delta = {x - input.previous_position.x, y - input.previous_position.y};
            Events::EventMouseMove(x, y, input.delta.x, input.delta.y).dispatch(frame);
            if (still_alive(window, frame))
                input.delta = {0, 0};
            return 0;
        }
        case WM_LBUTTONDOWN:
            input.buttons[0] = true;
            Events::EventMouseButtonLeftDown().dispatch(frame);
            return 0;
        case WM_LBUTTONUP:
            input.buttons[0] = false;
            Events::EventMouseButtonLeftUp().dispatch(frame);
            return 0;
        case WM_RBUTTONDOWN:
            input.buttons[2] = true;
            Events::EventMouseButtonRightDown().dispatch(frame);
            return 0;
        case WM_RBUTTONUP:
            input.buttons[2] = false;
            Events::EventMouseButtonRightUp().dispatch(frame);
            return 0;
        case WM_MBUTTONDOWN:
            input.buttons[1] = true;
            Events::EventMouseButtonMiddleDown().dispatch(frame);
            return 0;
        case WM_MBUTTONUP:
            input.buttons[1] = false;
            Events::EventMouseButtonMiddleUp().dispatch(frame);
            return 0;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL: {
            // The wheel delta is multiplied by 120, not divided: one notch is 14400.
            int delta =
                static_cast<std::int16_t>(static_cast<std::uint16_t>((first >> 16) & 0xFFFF));
            int amount = delta * WHEEL_DELTA;
            input.scroll = message == WM_MOUSEWHEEL ? Point{0, amount} : Point{amount, 0};
            Events::EventMouseScroll(input.scroll.x, input.scroll.y).dispatch(frame);
            if (still_alive(window, frame))
                input.scroll = {0, 0};
            return 0;
        }
        default:
            return def_window_proc(window, message, first, second);
    }
}

}  // namespace Input

void poll_events() {
    Platform::Message message;
    while (Platform::peek_message(&message, nullptr, 0, 0, Platform::PM_REMOVE)) {
        Platform::translate_message(&message);
        Platform::dispatch_message(&message);
    }
}

void init() {
    // A second init keeps the registries of the first.
    if (Input::menu_registry == nullptr)
        Input::menu_registry = new std::map<int, Input::MenuEntry>();
    if (Frame::frame_registry == nullptr) {
        Frame::frame_registry = new std::map<Platform::WindowHandle, Frame::FrameBase*>();
    }
}

void deinit() {
    delete Frame::frame_registry;
    Frame::frame_registry = nullptr;
    delete Input::menu_registry;
    Input::menu_registry = nullptr;
}

}  // namespace Orv
