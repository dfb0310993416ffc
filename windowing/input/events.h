#pragma once

namespace Orv {
namespace Frame {
class FrameBase;
}

namespace Input::Events {

// An event delivers itself to a frame's handlers, the handler of its most
// general class first and that of its own class last.
class EventBase {
public:
    virtual ~EventBase() = default;
    virtual void dispatch(Frame::FrameBase* frame) const;

    int type;

protected:
    explicit EventBase(int type) : type(type) {}
};

class EventKeyBase : public EventBase {
public:
    void dispatch(Frame::FrameBase* frame) const override;

    int key;

protected:
    EventKeyBase(int type, int key) : EventBase(type), key(key) {}
};

class EventKeyDown : public EventKeyBase {
public:
    explicit EventKeyDown(int key) : EventKeyBase(1, key) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventKeyUp : public EventKeyBase {
public:
    explicit EventKeyUp(int key) : EventKeyBase(2, key) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventMouseBase : public EventBase {
public:
    void dispatch(Frame::FrameBase* frame) const override;

protected:
    explicit EventMouseBase(int type) : EventBase(type) {}
};

class EventMouseButtonBase : public EventMouseBase {
public:
    void dispatch(Frame::FrameBase* frame) const override;

protected:
    explicit EventMouseButtonBase(int type) : EventMouseBase(type) {}
};

class EventMouseButtonLeftBase : public EventMouseButtonBase {
public:
    void dispatch(Frame::FrameBase* frame) const override;

protected:
    explicit EventMouseButtonLeftBase(int type) : EventMouseButtonBase(type) {}
};

class EventMouseButtonLeftDown : public EventMouseButtonLeftBase {
public:
    EventMouseButtonLeftDown() : EventMouseButtonLeftBase(4) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventMouseButtonLeftUp : public EventMouseButtonLeftBase {
public:
    EventMouseButtonLeftUp() : EventMouseButtonLeftBase(32) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventMouseButtonMiddleBase : public EventMouseButtonBase {
public:
    void dispatch(Frame::FrameBase* frame) const override;

protected:
    explicit EventMouseButtonMiddleBase(int type) : EventMouseButtonBase(type) {}
};

class EventMouseButtonMiddleDown : public EventMouseButtonMiddleBase {
public:
    EventMouseButtonMiddleDown() : EventMouseButtonMiddleBase(8) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventMouseButtonMiddleUp : public EventMouseButtonMiddleBase {
public:
    EventMouseButtonMiddleUp() : EventMouseButtonMiddleBase(64) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventMouseButtonRightBase : public EventMouseButtonBase {
public:
    void dispatch(Frame::FrameBase* frame) const override;

protected:
    explicit EventMouseButtonRightBase(int type) : EventMouseButtonBase(type) {}
};

class EventMouseButtonRightDown : public EventMouseButtonRightBase {
public:
    EventMouseButtonRightDown() : EventMouseButtonRightBase(16) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventMouseButtonRightUp : public EventMouseButtonRightBase {
public:
    EventMouseButtonRightUp() : EventMouseButtonRightBase(128) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventMouseScroll : public EventMouseBase {
public:
    EventMouseScroll(int x, int y) : EventMouseBase(256), x(x), y(y) {}
    void dispatch(Frame::FrameBase* frame) const override;

    int x;
    int y;
};

class EventMouseMove : public EventMouseBase {
public:
    EventMouseMove(int x, int y, int dx, int dy)
        : EventMouseBase(512), x(x), y(y), dx(dx), dy(dy) {}
    void dispatch(Frame::FrameBase* frame) const override;

    int x;
    int y;
    int dx;
    int dy;
};

// Derives from EventBase directly: a menu item is not a frame event.
class EventFrameMenuItem : public EventBase {
public:
    EventFrameMenuItem(void* first, void* second) : EventBase(1024), first(first), second(second) {}
    void dispatch(Frame::FrameBase* frame) const override;

    void* first;
    void* second;
};

class EventFrameBase : public EventBase {
public:
    void dispatch(Frame::FrameBase* frame) const override;

protected:
    explicit EventFrameBase(int type) : EventBase(type) {}
};

class EventFrameClose : public EventFrameBase {
public:
    EventFrameClose() : EventFrameBase(2048) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventFrameMinimize : public EventFrameBase {
public:
    EventFrameMinimize() : EventFrameBase(4096) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventFrameMaximize : public EventFrameBase {
public:
    EventFrameMaximize() : EventFrameBase(8192) {}
    void dispatch(Frame::FrameBase* frame) const override;
};

class EventFrameMove : public EventFrameBase {
public:
    EventFrameMove(int x, int y) : EventFrameBase(16384), x(x), y(y) {}
    void dispatch(Frame::FrameBase* frame) const override;

    int x;
    int y;
};

class EventFrameResize : public EventFrameBase {
public:
    EventFrameResize(int width, int height) : EventFrameBase(16384), width(width), height(height) {}
    void dispatch(Frame::FrameBase* frame) const override;

    int width;
    int height;
};

}  // namespace Input::Events
}  // namespace Orv
