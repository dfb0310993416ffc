#include "windowing/input/events.h"

#include "windowing/frame.h"

namespace Orv::Input::Events {

void EventBase::dispatch(Frame::FrameBase* frame) const {
    frame->on_event(*this);
}

void EventKeyBase::dispatch(Frame::FrameBase* frame) const {
    EventBase::dispatch(frame);
    frame->on_key_event(*this);
}

void EventKeyDown::dispatch(Frame::FrameBase* frame) const {
    EventKeyBase::dispatch(frame);
    frame->on_key_down(*this);
}

void EventKeyUp::dispatch(Frame::FrameBase* frame) const {
    EventKeyBase::dispatch(frame);
    frame->on_key_up(*this);
}

void EventMouseBase::dispatch(Frame::FrameBase* frame) const {
    EventBase::dispatch(frame);
    frame->on_mouse_event(*this);
}

void EventMouseButtonBase::dispatch(Frame::FrameBase* frame) const {
    EventMouseBase::dispatch(frame);
    frame->on_mouse_button(*this);
}

void EventMouseButtonLeftBase::dispatch(Frame::FrameBase* frame) const {
    EventMouseButtonBase::dispatch(frame);
    frame->on_mouse_left(*this);
}

void EventMouseButtonLeftDown::dispatch(Frame::FrameBase* frame) const {
    EventMouseButtonLeftBase::dispatch(frame);
    frame->on_mouse_left_down(*this);
}

void EventMouseButtonLeftUp::dispatch(Frame::FrameBase* frame) const {
    EventMouseButtonLeftBase::dispatch(frame);
    frame->on_mouse_left_up(*this);
}

void EventMouseButtonMiddleBase::dispatch(Frame::FrameBase* frame) const {
    EventMouseButtonBase::dispatch(frame);
    frame->on_mouse_middle(*this);
}

void EventMouseButtonMiddleDown::dispatch(Frame::FrameBase* frame) const {
    EventMouseButtonMiddleBase::dispatch(frame);
    frame->on_mouse_middle_down(*this);
}

void EventMouseButtonMiddleUp::dispatch(Frame::FrameBase* frame) const {
    EventMouseButtonMiddleBase::dispatch(frame);
    frame->on_mouse_middle_up(*this);
}

void EventMouseButtonRightBase::dispatch(Frame::FrameBase* frame) const {
    EventMouseButtonBase::dispatch(frame);
    frame->on_mouse_right(*this);
}

void EventMouseButtonRightDown::dispatch(Frame::FrameBase* frame) const {
    EventMouseButtonRightBase::dispatch(frame);
    frame->on_mouse_right_down(*this);
}

void EventMouseButtonRightUp::dispatch(Frame::FrameBase* frame) const {
    EventMouseButtonRightBase::dispatch(frame);
    frame->on_mouse_right_up(*this);
}

void EventMouseScroll::dispatch(Frame::FrameBase* frame) const {
    EventMouseBase::dispatch(frame);
    frame->on_mouse_scroll(*this);
}

void EventMouseMove::dispatch(Frame::FrameBase* frame) const {
    EventMouseBase::dispatch(frame);
    frame->on_mouse_move(*this);
}

void EventFrameMenuItem::dispatch(Frame::FrameBase* frame) const {
    EventBase::dispatch(frame);
    frame->on_frame_menu_item(*this);
}

void EventFrameBase::dispatch(Frame::FrameBase* frame) const {
    EventBase::dispatch(frame);
    frame->on_frame_event(*this);
}

void EventFrameClose::dispatch(Frame::FrameBase* frame) const {
    EventFrameBase::dispatch(frame);
    frame->on_frame_close(*this);
}

void EventFrameMinimize::dispatch(Frame::FrameBase* frame) const {
    EventFrameBase::dispatch(frame);
    frame->on_frame_minimize(*this);
}

void EventFrameMaximize::dispatch(Frame::FrameBase* frame) const {
    EventFrameBase::dispatch(frame);
    frame->on_frame_maximize(*this);
}

void EventFrameMove::dispatch(Frame::FrameBase* frame) const {
    EventFrameBase::dispatch(frame);
    frame->on_frame_move(*this);
}

void EventFrameResize::dispatch(Frame::FrameBase* frame) const {
    EventFrameBase::dispatch(frame);
    frame->on_frame_resize(*this);
}

}  // namespace Orv::Input::Events
