// Orv on a real X server: frames, input through the server, the window
// procedure's message table, and the OpenGL context with its debug output.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/testing.h"
#include "tests/support/warn_recorder.h"
#include "tests/support/window_server.h"
#include "tests/windowing/capture_stdout.h"
#include "windowing/context.h"
#include "windowing/frame.h"
#include "windowing/input/events.h"
#include "windowing/input/input_state.h"
#include "windowing/input/window_procedure.h"
#include "windowing/orv.h"

namespace {

using namespace Orv::Input::Events;
using Orv::Flags::Button;
using Orv::Flags::Style;
using Orv::Frame::FrameBase;
namespace Testing = Platform::Testing;

// One handler call and what the frame's input state held during it.
struct Call {
    std::string handler;
    bool buttons[3];
    Orv::Point position;
    Orv::Point delta;
    Orv::Point scroll;
    std::vector<int> values;
};

class RecordingFrame : public FrameBase {
public:
    RecordingFrame()
        : FrameBase(nullptr, Style::BORDER | Style::TITLE | Style::RESIZABLE,
                    Button::MINIMIZE | Button::MAXIMIZE | Button::CLOSE) {}

    std::vector<std::string> handlers() const {
        std::vector<std::string> out;
        for (const Call& c : calls)
            out.push_back(c.handler);
        return out;
    }
    const Call* last(const std::string& handler) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
            if (it->handler == handler)
                return &*it;
        }
        return nullptr;
    }
    int count(const std::string& handler) const {
        int n = 0;
        for (const Call& c : calls)
            n += c.handler == handler;
        return n;
    }

    void on_frame_resize(const EventFrameResize& e) override {
        record("on_frame_resize", {e.width, e.height});
    }
    void on_frame_move(const EventFrameMove& e) override { record("on_frame_move", {e.x, e.y}); }
    void on_frame_maximize(const EventFrameMaximize&) override { record("on_frame_maximize"); }
    void on_frame_minimize(const EventFrameMinimize&) override { record("on_frame_minimize"); }
    void on_frame_close(const EventFrameClose&) override { record("on_frame_close"); }
    void on_frame_menu_item(const EventFrameMenuItem& e) override {
        menu_values = {e.first, e.second};
        record("on_frame_menu_item");
    }
    void on_frame_event(const EventFrameBase&) override { record("on_frame_event"); }
    void on_mouse_move(const EventMouseMove& e) override {
        record("on_mouse_move", {e.x, e.y, e.dx, e.dy});
    }
    void on_mouse_scroll(const EventMouseScroll& e) override {
        record("on_mouse_scroll", {e.x, e.y});
    }
    void on_mouse_right_up(const EventMouseButtonRightUp&) override { record("on_mouse_right_up"); }
    void on_mouse_right_down(const EventMouseButtonRightDown&) override {
        record("on_mouse_right_down");
    }
    void on_mouse_right(const EventMouseButtonRightBase&) override { record("on_mouse_right"); }
    void on_mouse_middle_up(const EventMouseButtonMiddleUp&) override {
        record("on_mouse_middle_up");
    }
    void on_mouse_middle_down(const EventMouseButtonMiddleDown&) override {
        record("on_mouse_middle_down");
    }
    void on_mouse_middle(const EventMouseButtonMiddleBase&) override { record("on_mouse_middle"); }
    void on_mouse_left_up(const EventMouseButtonLeftUp&) override { record("on_mouse_left_up"); }
    void on_mouse_left_down(const EventMouseButtonLeftDown&) override {
        record("on_mouse_left_down");
    }
    void on_mouse_left(const EventMouseButtonLeftBase&) override { record("on_mouse_left"); }
    void on_mouse_button(const EventMouseButtonBase&) override { record("on_mouse_button"); }
    void on_mouse_event(const EventMouseBase&) override { record("on_mouse_event"); }
    void on_key_up(const EventKeyUp& e) override { record("on_key_up", {e.key}); }
    void on_key_down(const EventKeyDown& e) override { record("on_key_down", {e.key}); }
    void on_key_event(const EventKeyBase& e) override { record("on_key_event", {e.key}); }
    void on_event(const EventBase& e) override { record("on_event", {e.type}); }
    void draw() override {
        ++draws;
        if (on_draw)
            on_draw();
    }

    std::vector<Call> calls;
    std::vector<void*> menu_values;
    // Runs after each recorded handler call, with its name.
    std::function<void(const std::string&)> after;
    std::function<void()> on_draw;
    int draws = 0;

private:
    void record(const std::string& handler, std::vector<int> values = {}) {
        calls.push_back({handler,
                         {input->buttons[0], input->buttons[1], input->buttons[2]},
                         input->position,
                         input->delta,
                         input->scroll,
                         std::move(values)});
        if (after)
            after(handler);
    }
};

// Lets the server deliver what was asked of it, then handles the messages.
void pump() {
    Testing::sync();
    Orv::poll_events();
}

class FrameTest : public testing::Test {
protected:
    void SetUp() override { Orv::init(); }
    void TearDown() override {
        delete frame;
        Orv::deinit();
    }

    // A shown 400 x 300 frame at (200, 100), with the pointer over it and
    // its calls so far forgotten.
    RecordingFrame* shown_frame() {
        frame = new RecordingFrame();
        frame->set_size(400, 300);
        frame->set_position(200, 100);
        frame->set_show_state(Orv::Frame::SHOWN, 0);
        Testing::fake_motion(200 + 50, 100 + 50);
        pump();
        frame->calls.clear();
        return frame;
    }

    RecordingFrame* frame = nullptr;
};

TEST_F(FrameTest, NewFrameIsHiddenWithDefaults) {
    frame = new RecordingFrame();
    Platform::WindowHandle window = frame->native_window->window;
    EXPECT_FALSE(Testing::server_is_mapped(window));
    EXPECT_EQ(Testing::server_title(window), "[default title]");
    EXPECT_EQ(Testing::server_utf8_title(window), "[default title]");
    EXPECT_EQ(frame->size, (Orv::Size{118, 33}));
    EXPECT_EQ(frame->position, (Orv::Point{0, 0}));
    EXPECT_EQ(frame->show_state, Orv::Frame::HIDDEN);
    EXPECT_TRUE(server_geometry_is(window, 0, 0, 118, 33));
    EXPECT_EQ(Platform::get_window_long(window, Platform::GWL_STYLE),
              static_cast<std::int32_t>(0x86CF0000u));
    ASSERT_NE(Orv::Frame::frame_registry, nullptr);
    EXPECT_EQ(Orv::Frame::frame_registry->at(window), frame);
    EXPECT_FALSE(frame->input->buttons[0] || frame->input->buttons[1] || frame->input->buttons[2]);
    EXPECT_EQ(frame->input->previous_position, (Orv::Point{-1, -1}));
    EXPECT_TRUE(frame->input->keys.empty());
}

TEST_F(FrameTest, ClassNamesCountUpAndAreNeverReused) {
    auto* first = new RecordingFrame();
    std::u16string name = first->native_window->class_name;
    ASSERT_EQ(name.compare(0, 6, u"window"), 0);
    int number = 0;
    for (char16_t c : name.substr(6))
        number = number * 10 + (c - u'0');
    Platform::WindowHandle first_window = first->native_window->window;
    delete first;
    EXPECT_EQ(Orv::Frame::frame_registry->count(first_window), 0u);
    for (int i = 1; i <= 2; ++i) {
        RecordingFrame next;
        std::string expected = "window" + std::to_string(number + i);
        EXPECT_EQ(next.native_window->class_name, std::u16string(expected.begin(), expected.end()));
    }
}

TEST_F(FrameTest, TitleIsWrittenToTheServer) {
    frame = new RecordingFrame();
    frame->set_title("Inverse Kinematics - Tovald - 2014");
    EXPECT_EQ(Testing::server_title(frame->native_window->window),
              "Inverse Kinematics - Tovald - 2014");
    EXPECT_EQ(Testing::server_utf8_title(frame->native_window->window),
              "Inverse Kinematics - Tovald - 2014");
    // Each byte is one unit: Latin-1 0xE9 is e-acute.
    frame->set_title("caf\xE9");
    EXPECT_EQ(Testing::server_title(frame->native_window->window), "caf\xE9");
    EXPECT_EQ(Testing::server_utf8_title(frame->native_window->window), "caf\xC3\xA9");
}

struct HintCase {
    const char* name;
    Style style;
    Button buttons;
    bool owned;
    bool utility;
    bool undecorated;
    bool fixed_size;
};

TEST_F(FrameTest, FlagsReachTheWindowManagerHints) {
    const HintCase cases[] = {
        {"demo window", Style::BORDER | Style::TITLE | Style::RESIZABLE,
         Button::MINIMIZE | Button::MAXIMIZE | Button::CLOSE, false, false, false, false},
        {"bare pop-up", Style::NONE, Button::NONE, false, false, true, true},
        {"owned tool window", Style::TOOL | Style::BORDER | Style::TITLE, Button::CLOSE, true, true,
         false, true},
    };
    RecordingFrame owner;
    for (const HintCase& c : cases) {
        SCOPED_TRACE(c.name);
        FrameBase made(c.owned ? &owner : nullptr, c.style, c.buttons);
        Testing::ManagerHints hints{};
        ASSERT_TRUE(Testing::server_manager_hints(made.native_window->window, &hints));
        EXPECT_EQ(hints.transient_for,
                  c.owned ? Testing::native_id(owner.native_window->window) : 0ul);
        EXPECT_EQ(hints.utility, c.utility);
        EXPECT_EQ(hints.undecorated, c.undecorated);
        EXPECT_EQ(hints.fixed_size, c.fixed_size);
    }
}

TEST_F(FrameTest, SizeAndPositionReachTheServerBeforeTheCallsReturn) {
    frame = new RecordingFrame();
    Platform::WindowHandle window = frame->native_window->window;
    frame->set_size(1024, 768);
    ASSERT_NE(frame->last("on_frame_resize"), nullptr);
    EXPECT_EQ(frame->last("on_frame_resize")->values, (std::vector<int>{1024, 768}));
    EXPECT_EQ(frame->size, (Orv::Size{1024, 768}));
    frame->calls.clear();
    frame->set_position(200, 100);
    ASSERT_NE(frame->last("on_frame_move"), nullptr);
    EXPECT_EQ(frame->last("on_frame_move")->values, (std::vector<int>{200, 100}));
    EXPECT_EQ(frame->position, (Orv::Point{200, 100}));

    EXPECT_TRUE(server_geometry_is(window, 200, 100, 1024, 768));

    frame->set_show_state(Orv::Frame::SHOWN, 0);
    EXPECT_TRUE(Testing::server_is_mapped(window));
    // NOTE: with no window manager the unmapped window keeps its geometry at map time.
    EXPECT_TRUE(server_geometry_is(window, 200, 100, 1024, 768));
    // The server's own notifications bring nothing new afterwards.
    frame->calls.clear();
    pump();
    EXPECT_EQ(frame->count("on_frame_resize"), 0);
    EXPECT_EQ(frame->count("on_frame_move"), 0);
    EXPECT_EQ(frame->size, (Orv::Size{1024, 768}));
    EXPECT_EQ(frame->position, (Orv::Point{200, 100}));
}

TEST_F(FrameTest, SizeBelowOneIsReportedAndStillPassedOn) {
    frame = new RecordingFrame();
    WarnRecorder rec;
    frame->set_size(0, 40);
    EXPECT_EQ(rec.failures(),
              std::vector<std::string>{"Frame size must be positive (got (0,40))!"});
    // The platform cannot make an empty window and reports what it made.
    Testing::Geometry g{};
    ASSERT_TRUE(Testing::server_geometry(frame->native_window->window, &g));
    EXPECT_EQ(g.width, 1);
    EXPECT_EQ(g.height, 40);
    EXPECT_EQ(frame->size, (Orv::Size{1, 40}));
}

struct ShowStep {
    Orv::Frame::ShowState state;
    int blend_ms;
    // The platform calls issued: "show <command>" or "animate <ms> <flags in hex>".
    std::vector<std::string> commands;
    bool mapped;
    std::vector<std::string> warnings;
    // Frame handlers (besides the general ones) the step delivers, in order.
    std::vector<std::string> handlers;
};

std::vector<std::string> specific(const std::vector<std::string>& handlers) {
    std::vector<std::string> out;
    for (const std::string& h : handlers) {
        if (h != "on_event" && h != "on_frame_event")
            out.push_back(h);
    }
    return out;
}

std::vector<std::string> show_commands() {
    std::vector<std::string> out;
    for (const Testing::ShowCall& call : Testing::take_show_calls()) {
        char text[64];
        if (call.animated) {
            std::snprintf(text, sizeof text, "animate %u %x", call.time_ms, call.flags);
        } else {
            std::snprintf(text, sizeof text, "show %d", call.command);
        }
        out.push_back(text);
    }
    return out;
}

TEST_F(FrameTest, ShowStatesFollowTheCommandTable) {
    using namespace Orv::Frame;
    const std::string same = "Implementation error!";
    const std::string none = "Not implemented!";
    const ShowStep steps[] = {
        {HIDDEN, 0, {}, false, {same}, {}},
        {SHOWN, 0, {"show 5"}, true, {}, {"on_frame_resize"}},
        {SHOWN, 0, {}, true, {same}, {}},
        {MINIMIZED, 0, {"show 6"}, false, {}, {"on_frame_minimize", "on_frame_resize"}},
        {SHOWN, 0, {"show 9"}, true, {}, {"on_frame_resize"}},
        {MAXIMIZED,
         0,
         {"show 3"},
         true,
         {},
         {"on_frame_maximize", "on_frame_resize", "on_frame_move"}},
        {SHOWN, 0, {"show 9"}, true, {}, {"on_frame_resize", "on_frame_move"}},
        {HIDDEN, 0, {"show 0"}, false, {}, {}},
        {SHOWN, 250, {"animate 250 80005"}, true, {}, {"on_frame_resize"}},
        {HIDDEN, 250, {"animate 250 90000"}, false, {}, {}},
        {MAXIMIZED,
         0,
         {"show 3"},
         true,
         {},
         {"on_frame_maximize", "on_frame_resize", "on_frame_move"}},
        {HIDDEN, 0, {"show 0"}, false, {}, {}},
        // Shown again after hiding while maximized, it comes back maximized.
        {SHOWN,
         -5,
         {"animate 4294967291 80005"},
         true,
         {"Blending time must be nonnegative!"},
         {"on_frame_maximize", "on_frame_resize"}},
        {RESERVED, 0, {}, true, {none}, {}},
        {SHOWN, 0, {}, true, {none}, {}},
        {HIDDEN, 0, {"show 0"}, false, {}, {}},
        {MINIMIZED, 0, {"show 7"}, false, {}, {"on_frame_minimize", "on_frame_resize"}},
        {HIDDEN, 0, {"show 0"}, false, {}, {}},
    };
    frame = new RecordingFrame();
    frame->set_size(400, 300);
    frame->set_position(200, 100);
    Platform::WindowHandle window = frame->native_window->window;
    Testing::take_show_calls();
    int step = 0;
    for (const ShowStep& s : steps) {
        SCOPED_TRACE("step " + std::to_string(step++));
        frame->calls.clear();
        WarnRecorder rec;
        frame->set_show_state(s.state, s.blend_ms);
        EXPECT_EQ(frame->show_state, s.state);
        EXPECT_EQ(show_commands(), s.commands);
        EXPECT_EQ(Testing::server_is_mapped(window), s.mapped);
        EXPECT_EQ(rec.failures(), s.warnings);
        EXPECT_EQ(specific(frame->handlers()), s.handlers);
        pump();
    }
}

TEST_F(FrameTest, MinimizeReportsAnEmptySizeAndRestoreBringsItBack) {
    shown_frame();
    frame->set_show_state(Orv::Frame::MINIMIZED, 0);
    ASSERT_NE(frame->last("on_frame_resize"), nullptr);
    EXPECT_EQ(frame->last("on_frame_resize")->values, (std::vector<int>{0, 0}));
    EXPECT_EQ(frame->size, (Orv::Size{0, 0}));
    frame->set_show_state(Orv::Frame::SHOWN, 0);
    EXPECT_EQ(frame->size, (Orv::Size{400, 300}));
    frame->set_show_state(Orv::Frame::MAXIMIZED, 0);
    EXPECT_EQ(frame->size, (Orv::Size{1600, 1200}));
    EXPECT_EQ(frame->position, (Orv::Point{0, 0}));
    frame->set_show_state(Orv::Frame::SHOWN, 0);
    EXPECT_EQ(frame->size, (Orv::Size{400, 300}));
    EXPECT_EQ(frame->position, (Orv::Point{200, 100}));
}

TEST_F(FrameTest, PixelFormatIsDoubleBufferedRgbaWithDepthAndStencil) {
    frame = new RecordingFrame();
    Platform::DeviceContextHandle dc = frame->native_window->device_context;
    int format = Platform::get_pixel_format(dc);
    ASSERT_GE(format, 1);
    Platform::PixelFormatDescriptor d = {};
    ASSERT_NE(Platform::describe_pixel_format(dc, format, sizeof d, &d), 0);
    std::uint32_t required =
        Platform::PFD_DOUBLEBUFFER | Platform::PFD_SUPPORT_OPENGL | Platform::PFD_DRAW_TO_WINDOW;
    EXPECT_EQ(d.flags & required, required);
    EXPECT_EQ(d.pixel_type, Platform::PFD_TYPE_RGBA);
    EXPECT_TRUE(d.depth_bits == 24 || d.depth_bits == 32);
    EXPECT_GE(d.stencil_bits, 8);
    EXPECT_GE(d.alpha_bits, 8);
    // It is the first acceptable one.
    Platform::PixelFormatDescriptor chosen = {};
    EXPECT_EQ(Orv::Frame::choose_pixel_format(dc, &chosen), format);
}

TEST_F(FrameTest, HandlersMayDeleteTheirFrame) {
    shown_frame();
    // The hook lives in the frame: nothing captured is read after the delete.
    frame->after = [this](const std::string& handler) {
        if (handler == "on_mouse_move") {
            RecordingFrame* doomed = frame;
            frame = nullptr;
            delete doomed;
        }
    };
    Testing::fake_motion(200 + 60, 100 + 70);
    pump();
    EXPECT_EQ(frame, nullptr);
    frame = new RecordingFrame();
    frame->after = [this](const std::string& handler) {
        if (handler == "on_frame_maximize") {
            RecordingFrame* doomed = frame;
            frame = nullptr;
            delete doomed;
        }
    };
    Orv::Input::window_procedure(frame->native_window->window, Platform::WM_SIZE,
                                 Platform::SIZE_MAXIMIZED, 0);
    EXPECT_EQ(frame, nullptr);
}

TEST(FirstWindowsDeathTest, BootstrapWindowIsWindow0AndTheFirstFrameWindow1) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Only a fresh process starts the window counter at zero.
    EXPECT_EXIT(
        {
            Orv::init();
            auto* context = new Orv::Context(4, 0, false);
            auto* first = new RecordingFrame();
            bool named = context->bootstrap_window->class_name == u"window0" &&
                         first->native_window->class_name == u"window1";
            std::fprintf(stderr, named ? "named in order\n" : "named out of order\n");
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "^named in order\n$");
}

class InputTest : public FrameTest {};

struct ButtonCase {
    int button;
    int index;
    std::vector<std::string> down;
    std::vector<std::string> up;
};

TEST_F(InputTest, ButtonsReachTheirHandlersInOrderWithTheStateAlreadySet) {
    const ButtonCase cases[] = {
        {1,
         0,
         {"on_event", "on_mouse_event", "on_mouse_button", "on_mouse_left", "on_mouse_left_down"},
         {"on_event", "on_mouse_event", "on_mouse_button", "on_mouse_left", "on_mouse_left_up"}},
        {2,
         1,
         {"on_event", "on_mouse_event", "on_mouse_button", "on_mouse_middle",
          "on_mouse_middle_down"},
         {"on_event", "on_mouse_event", "on_mouse_button", "on_mouse_middle",
          "on_mouse_middle_up"}},
        {3,
         2,
         {"on_event", "on_mouse_event", "on_mouse_button", "on_mouse_right", "on_mouse_right_down"},
         {"on_event", "on_mouse_event", "on_mouse_button", "on_mouse_right", "on_mouse_right_up"}},
    };
    shown_frame();
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(c.button);
        frame->calls.clear();
        Testing::fake_button(c.button, true);
        pump();
        EXPECT_EQ(frame->handlers(), c.down);
        for (const Call& call : frame->calls) {
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(call.buttons[i], i == c.index) << call.handler;
            EXPECT_EQ(call.position, (Orv::Point{50, 50}));
        }
        EXPECT_TRUE(frame->input->buttons[c.index]);
        frame->calls.clear();
        Testing::fake_button(c.button, false);
        pump();
        EXPECT_EQ(frame->handlers(), c.up);
        for (const Call& call : frame->calls)
            EXPECT_FALSE(call.buttons[c.index]);
        EXPECT_FALSE(frame->input->buttons[c.index]);
    }
}

// Deliberately unlike a platform without pointer grabs: a button released
// outside the window still reaches the frame, so it does not stay held.
TEST_F(InputTest, ReleaseOutsideTheWindowReachesTheFrame) {
    shown_frame();
    Testing::fake_button(1, true);
    pump();
    ASSERT_TRUE(frame->input->buttons[0]);
    Testing::fake_motion(20, 30);
    pump();
    frame->calls.clear();
    Testing::fake_button(1, false);
    pump();
    EXPECT_EQ(frame->handlers(),
              (std::vector<std::string>{"on_event", "on_mouse_event", "on_mouse_button",
                                        "on_mouse_left", "on_mouse_left_up"}));
    EXPECT_FALSE(frame->input->buttons[0]);
    EXPECT_EQ(frame->input->position, (Orv::Point{20 - 200, 30 - 100}));
}

TEST_F(InputTest, MovesGiveDeltasOnlyDuringTheirDelivery) {
    shown_frame();
    Testing::fake_motion(200 + 10, 100 + 10);
    pump();
    frame->calls.clear();
    Testing::fake_motion(200 + 15, 100 + 7);
    pump();
    EXPECT_EQ(frame->handlers(),
              (std::vector<std::string>{"on_event", "on_mouse_event", "on_mouse_move"}));
    const Call* move = frame->last("on_mouse_move");
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(move->values, (std::vector<int>{15, 7, 5, -3}));
    EXPECT_EQ(move->delta, (Orv::Point{5, -3}));
    EXPECT_EQ(frame->input->delta, (Orv::Point{0, 0}));
    EXPECT_EQ(frame->input->position, (Orv::Point{15, 7}));
    EXPECT_EQ(frame->input->previous_position, (Orv::Point{10, 10}));
}

TEST_F(InputTest, FirstMoveReportsItsPositionAsDelta) {
    frame = new RecordingFrame();
    frame->set_size(400, 300);
    frame->set_position(200, 100);
    Testing::fake_motion(10, 10);
    frame->set_show_state(Orv::Frame::SHOWN, 0);
    pump();
    frame->calls.clear();
    Testing::fake_motion(200 + 30, 100 + 40);
    pump();
    const Call* move = frame->last("on_mouse_move");
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(move->values, (std::vector<int>{30, 40, 30, 40}));
}

struct WheelCase {
    int button;
    Orv::Point scroll;
};

TEST_F(InputTest, WheelNotchesScrollBy14400) {
    const WheelCase cases[] = {
        {4, {0, 14400}},
        {5, {0, -14400}},
        {6, {-14400, 0}},
        {7, {14400, 0}},
    };
    shown_frame();
    for (const WheelCase& c : cases) {
        SCOPED_TRACE(c.button);
        frame->calls.clear();
        Testing::fake_button(c.button, true);
        Testing::fake_button(c.button, false);
        pump();
        EXPECT_EQ(frame->handlers(),
                  (std::vector<std::string>{"on_event", "on_mouse_event", "on_mouse_scroll"}));
        const Call* scroll = frame->last("on_mouse_scroll");
        ASSERT_NE(scroll, nullptr);
        EXPECT_EQ(scroll->values, (std::vector<int>{c.scroll.x, c.scroll.y}));
        EXPECT_EQ(scroll->scroll, c.scroll);
        EXPECT_EQ(frame->input->scroll, (Orv::Point{0, 0}));
    }
}

TEST_F(InputTest, KeysGiveVirtualKeyCodes) {
    EXPECT_EQ(Platform::VK_ESCAPE, 27);
    EXPECT_EQ(Platform::VK_SHIFT, 16);
    shown_frame();
    for (int key : faked_virtual_keys) {
        SCOPED_TRACE(key);
        frame->calls.clear();
        ASSERT_TRUE(Testing::fake_key(key, true));
        pump();
        EXPECT_EQ(frame->handlers(),
                  (std::vector<std::string>{"on_event", "on_key_event", "on_key_down"}));
        ASSERT_NE(frame->last("on_key_down"), nullptr);
        EXPECT_EQ(frame->last("on_key_down")->values, std::vector<int>{key});
        EXPECT_TRUE(Orv::Input::is_key_down(frame->input, key));
        frame->calls.clear();
        ASSERT_TRUE(Testing::fake_key(key, false));
        pump();
        EXPECT_EQ(frame->handlers(),
                  (std::vector<std::string>{"on_event", "on_key_event", "on_key_up"}));
        EXPECT_FALSE(Orv::Input::is_key_down(frame->input, key));
        ASSERT_EQ(frame->input->keys.count(key), 1u);
        EXPECT_FALSE(frame->input->keys.at(key));
    }
    EXPECT_FALSE(Orv::Input::is_key_down(frame->input, 'Q'));
    EXPECT_EQ(frame->input->keys.count('Q'), 0u);
}

TEST_F(InputTest, HeldKeyRepeatsDownsWithoutUps) {
    shown_frame();
    ASSERT_TRUE(Testing::fake_key('D', true));
    // Past the server's auto-repeat delay.
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    pump();
    Testing::fake_key('D', false);
    int downs_before_release = frame->count("on_key_down");
    EXPECT_GE(downs_before_release, 2);
    EXPECT_EQ(frame->count("on_key_up"), 0);
    EXPECT_TRUE(Orv::Input::is_key_down(frame->input, 'D'));
    pump();
    EXPECT_EQ(frame->count("on_key_up"), 1);
    EXPECT_FALSE(Orv::Input::is_key_down(frame->input, 'D'));
}

TEST_F(InputTest, SyntheticKeysFromXdotoolAreAccepted) {
    shown_frame();
    std::string command = "xdotool key --window " +
                          std::to_string(Testing::native_id(frame->native_window->window)) + " s";
    ASSERT_EQ(std::system(command.c_str()), 0);
    pump();
    EXPECT_EQ(frame->count("on_key_down"), 1);
    ASSERT_NE(frame->last("on_key_down"), nullptr);
    EXPECT_EQ(frame->last("on_key_down")->values, std::vector<int>{'S'});
}

TEST_F(InputTest, CloseRequestReachesOnFrameCloseAndTheWindowStays) {
    shown_frame();
    Platform::WindowHandle window = frame->native_window->window;
    ASSERT_TRUE(Testing::send_close_request(window));
    pump();
    EXPECT_EQ(frame->handlers(),
              (std::vector<std::string>{"on_event", "on_frame_event", "on_frame_close"}));
    EXPECT_TRUE(Testing::server_is_mapped(window));
    EXPECT_EQ(Platform::get_dc(window), frame->native_window->device_context);
}

// The window procedure, called directly with crafted messages.
class WindowProcedureTest : public FrameTest {
protected:
    Platform::LResult send(std::uint32_t message, Platform::WParam first, Platform::LParam second) {
        return Orv::Input::window_procedure(frame->native_window->window, message, first, second);
    }
    static Platform::LParam halves(int low, int high) {
        return static_cast<Platform::LParam>(
            static_cast<std::uint32_t>(static_cast<std::uint16_t>(low)) |
            (static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16));
    }
};

struct SizeCase {
    Platform::WParam code;
    std::vector<std::string> handlers;
    bool records;
};

TEST_F(WindowProcedureTest, SizeCodesSelectTheEvents) {
    const std::vector<std::string> resize = {"on_event", "on_frame_event", "on_frame_resize"};
    auto with = [&](const char* first) {
        std::vector<std::string> out = {"on_event", "on_frame_event", first};
        out.insert(out.end(), resize.begin(), resize.end());
        return out;
    };
    const SizeCase cases[] = {
        {0, resize, true},
        {1, with("on_frame_minimize"), true},
        {2, with("on_frame_maximize"), true},
        {3, with("on_frame_maximize"), true},
        {4, with("on_frame_maximize"), true},
        {5, {}, false},
        {0xFFFF, {}, false},
    };
    frame = new RecordingFrame();
    int width = 640;
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.code);
        frame->calls.clear();
        Orv::Size before = frame->size;
        // Sizes are unsigned halves: 40000 does not turn negative.
        EXPECT_EQ(send(Platform::WM_SIZE, c.code, halves(width, 40000)), 0);
        EXPECT_EQ(frame->handlers(), c.handlers);
        if (c.records) {
            EXPECT_EQ(frame->size, (Orv::Size{width, 40000}));
            EXPECT_EQ(frame->last("on_frame_resize")->values, (std::vector<int>{width, 40000}));
        } else {
            EXPECT_EQ(frame->size, before);
        }
        ++width;
    }
}

TEST_F(WindowProcedureTest, MoveTakesSignedHalves) {
    frame = new RecordingFrame();
    EXPECT_EQ(send(Platform::WM_MOVE, 0, halves(-5, -20)), 0);
    EXPECT_EQ(frame->position, (Orv::Point{-5, -20}));
    EXPECT_EQ(frame->handlers(),
              (std::vector<std::string>{"on_event", "on_frame_event", "on_frame_move"}));
    EXPECT_EQ(frame->last("on_frame_move")->values, (std::vector<int>{-5, -20}));
    frame->calls.clear();
    EXPECT_EQ(send(Platform::WM_MOUSEMOVE, 0, halves(-3, 70)), 0);
    EXPECT_EQ(frame->input->position, (Orv::Point{-3, 70}));
}

TEST_F(WindowProcedureTest, SizeLimitsAreRaised1024Times) {
    frame = new RecordingFrame();
    Platform::MinMaxInfo info = {{1, 2}, {1600, 1200}, {3, 4}, {5, 6}, {1612, 1212}};
    EXPECT_EQ(send(Platform::WM_GETMINMAXINFO, 0, reinterpret_cast<Platform::LParam>(&info)), 0);
    EXPECT_EQ(info.max_size.x, 1600 * 1024);
    EXPECT_EQ(info.max_size.y, 1200 * 1024);
    EXPECT_EQ(info.max_track_size.x, 1612 * 1024);
    EXPECT_EQ(info.max_track_size.y, 1212 * 1024);
    EXPECT_EQ(info.reserved.x, 1);
    EXPECT_EQ(info.max_position.y, 4);
    EXPECT_EQ(info.min_track_size.x, 5);
    EXPECT_TRUE(frame->calls.empty());
    // Limits too large to scale stay at the largest int instead of overflowing.
    Platform::MinMaxInfo huge = {{0, 0}, {3000000, 1}, {0, 0}, {1, 1}, {1, 3000000}};
    send(Platform::WM_GETMINMAXINFO, 0, reinterpret_cast<Platform::LParam>(&huge));
    EXPECT_EQ(huge.max_size.x, 2147483647);
    EXPECT_EQ(huge.max_track_size.y, 2147483647);
}

TEST_F(WindowProcedureTest, MenuCommandsLookUpTheRegistry) {
    frame = new RecordingFrame();
    ASSERT_NE(Orv::Input::menu_registry, nullptr);
    EXPECT_EQ(send(Platform::WM_COMMAND, 77, 0), 0);
    EXPECT_EQ(frame->handlers(), (std::vector<std::string>{"on_event", "on_frame_menu_item"}));
    EXPECT_EQ(frame->menu_values, (std::vector<void*>{nullptr, nullptr}));
    ASSERT_EQ(Orv::Input::menu_registry->count(77), 1u);

    int a = 0, b = 0;
    (*Orv::Input::menu_registry)[12] = {&a, &b};
    frame->calls.clear();
    // Only the low 32 bits of the first parameter are the id.
    send(Platform::WM_COMMAND, (Platform::WParam(1) << 32) | 12, 0);
    EXPECT_EQ(frame->menu_values, (std::vector<void*>{&a, &b}));
}

TEST_F(WindowProcedureTest, KeysUseTheLow32BitsAndOtherMessagesGoToTheDefault) {
    frame = new RecordingFrame();
    EXPECT_EQ(send(Platform::WM_KEYDOWN, (Platform::WParam(1) << 32) | 'W', 0), 0);
    EXPECT_TRUE(Orv::Input::is_key_down(frame->input, 'W'));
    frame->calls.clear();
    EXPECT_EQ(send(Platform::WM_PAINT, 0, 0), 0);
    EXPECT_TRUE(frame->calls.empty());
}

TEST_F(WindowProcedureTest, WindowsWithoutAFrameGetTheDefaultProcedure) {
    auto* bare = new Orv::Frame::NativeWindow(Style::BORDER | Style::TITLE, Button::CLOSE, nullptr,
                                              0, 0, 10, 10);
    Platform::WindowHandle window = bare->window;
    ASSERT_NE(Platform::get_dc(window), nullptr);
    // The default procedure destroys a window asked to close.
    Orv::Input::window_procedure(window, Platform::WM_CLOSE, 0, 0);
    EXPECT_EQ(Platform::get_dc(window), nullptr);
    delete bare;
}

TEST_F(WindowProcedureTest, UnknownWindowsAreLeftToTheDefault) {
    frame = new RecordingFrame();
    (*Orv::Frame::frame_registry)[frame->native_window->window] = nullptr;
    EXPECT_EQ(send(Platform::WM_KEYDOWN, 'K', 0), 0);
    EXPECT_TRUE(frame->calls.empty());
    EXPECT_FALSE(Orv::Input::is_key_down(frame->input, 'K'));
}

std::string address_of(const void* p) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%016" PRIXPTR, reinterpret_cast<std::uintptr_t>(p));
    return text;
}

class ContextTest : public testing::Test {
protected:
    void SetUp() override { Orv::init(); }
    void TearDown() override {
        delete frame;
        delete context;
        Orv::deinit();
    }

    Orv::Context* context = nullptr;
    RecordingFrame* frame = nullptr;
};

TEST_F(ContextTest, CoreRequestStoresTheReportedVersions) {
    context = new Orv::Context(4, 0, false);
    std::string version = context->gl_string(GL_VERSION);
    ASSERT_NE(version, "Orv::Unknown");
    GLint mask = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
    EXPECT_NE(mask & GL_CONTEXT_CORE_PROFILE_BIT, 0);
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    EXPECT_EQ(context->gl_major, major);
    EXPECT_EQ(context->gl_minor, minor);
    EXPECT_GE(context->gl_major, 4);
    if (context->gl_string(GL_RENDERER).find("llvmpipe") != std::string::npos) {
        // Mesa's llvmpipe answers a 4.0 request with "4.5 (Core Profile) ..." and GLSL "4.50".
        EXPECT_EQ(context->gl_minor, 5);
        EXPECT_EQ(context->gl_release, -1);
        EXPECT_EQ(context->glsl_major, 4);
        EXPECT_EQ(context->glsl_minor, 50);
        EXPECT_EQ(context->glsl_release, -1);
    }
    EXPECT_EQ(context->current_window, context->bootstrap_window);
    EXPECT_EQ(context->current_frame, nullptr);
    EXPECT_FALSE(Testing::server_is_mapped(context->bootstrap_window->window));
    EXPECT_EQ(Orv::Frame::frame_registry->count(context->bootstrap_window->window), 0u);
    // Entry points above 1.1 are loaded.
    ASSERT_NE(glGenBuffers, nullptr);
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    EXPECT_NE(buffer, 0u);
    glDeleteBuffers(1, &buffer);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ContextTest, UnsupportedVersionLeavesNoContextAndTheProcessAlive) {
    WarnRecorder rec;
    context = new Orv::Context(9, 9, false);
    EXPECT_EQ(context->native_context, nullptr);
    EXPECT_EQ(context->gl_major, -1);
    EXPECT_EQ(context->gl_minor, -1);
    EXPECT_EQ(context->gl_string(GL_VERSION), "Orv::Unknown");
    EXPECT_EQ(rec.failures(),
              (std::vector<std::string>{
                  "Invalid version string!",
                  "Version string contains more than three or fewer than two numbers!",
                  "Invalid version string!",
                  "Version string contains more than three or fewer than two numbers!"}));
}

TEST_F(ContextTest, DebugOffInstallsNoCallbackAndPrintsNothing) {
    context = new Orv::Context(4, 0, false);
    GLvoid* callback = reinterpret_cast<GLvoid*>(1);
    glGetPointerv(GL_DEBUG_CALLBACK_FUNCTION, &callback);
    EXPECT_EQ(callback, nullptr);
    StdoutCapture capture;
    glDebugMessageInsert(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_ERROR, 1,
                         GL_DEBUG_SEVERITY_HIGH, -1, "ignored");
    glFinish();
    EXPECT_EQ(capture.text(), "");
}

struct InsertedMessage {
    GLenum source;
    GLenum type;
    GLuint id;
    GLenum severity;
    const char* text;
    const char* expected_words;  // null when nothing is printed
};

TEST_F(ContextTest, DebugMessagesPrintOneExactLine) {
    const InsertedMessage messages[] = {
        {GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_OTHER, 1, GL_DEBUG_SEVERITY_NOTIFICATION,
         "hello there", "notification (other) from a user"},
        {GL_DEBUG_SOURCE_THIRD_PARTY, GL_DEBUG_TYPE_MARKER, 2, GL_DEBUG_SEVERITY_NOTIFICATION,
         "frame 7", "notification (command stream annotation) from a third party"},
        {GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_PERFORMANCE, 131218, GL_DEBUG_SEVERITY_HIGH,
         "shader recompiled", nullptr},
        {GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_ERROR, 131185, GL_DEBUG_SEVERITY_MEDIUM,
         "buffer placement", nullptr},
    };
    context = new Orv::Context(4, 0, true);
    GLint flags = 0;
    glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
    EXPECT_NE(flags & GL_CONTEXT_FLAG_DEBUG_BIT, 0);
    for (const InsertedMessage& m : messages) {
        SCOPED_TRACE(m.id);
        StdoutCapture capture;
        glDebugMessageInsert(m.source, m.type, m.id, m.severity, -1, m.text);
        std::string expected;
        if (m.expected_words != nullptr) {
            expected = "Orv context " + address_of(context) + " received " + m.expected_words +
                       ": \"" + m.text + "\"\n";
        }
        EXPECT_EQ(capture.text(), expected);
    }
}

TEST_F(ContextTest, DebugMessageAboveNotificationEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Orv::init();
            auto* dying = new Orv::Context(4, 0, true);
            // The line goes to standard output; the death test reads stderr.
            dup2(2, 1);
            glDebugMessageInsert(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_ERROR, 3,
                                 GL_DEBUG_SEVERITY_HIGH, -1, "fatal one");
            std::fprintf(stderr, "still running\n");
            delete dying;
            std::_Exit(0);
        },
        testing::ExitedWithCode(1),
        "Orv context 0x[0-9A-F]+ received high severity issue \\(error\\) from a user: \"fatal "
        "one\"\n$");
}

TEST_F(ContextTest, MakeCurrentOnTheCurrentWindowMakesNoPlatformCall) {
    context = new Orv::Context(4, 0, false);
    frame = new RecordingFrame();
    int calls = Testing::make_current_calls();
    context->make_current(context->bootstrap_window);
    EXPECT_EQ(Testing::make_current_calls(), calls);

    context->set_frame(frame);
    EXPECT_EQ(Testing::make_current_calls(), calls + 1);
    EXPECT_EQ(context->current_frame, frame);
    EXPECT_EQ(context->current_window, frame->native_window);
    context->set_frame(frame);
    EXPECT_EQ(Testing::make_current_calls(), calls + 1);

    context->set_frame(nullptr);
    EXPECT_EQ(Testing::make_current_calls(), calls + 2);
    EXPECT_EQ(context->current_frame, nullptr);
    EXPECT_EQ(context->current_window, nullptr);
    context->make_current(nullptr);
    EXPECT_EQ(Testing::make_current_calls(), calls + 2);
}

TEST_F(ContextTest, FrameDrawsAndSwapsIntoItsWindow) {
    context = new Orv::Context(4, 0, false);
    frame = new RecordingFrame();
    frame->set_size(64, 48);
    frame->set_position(300, 200);
    frame->set_show_state(Orv::Frame::SHOWN, 0);
    context->set_frame(frame);
    context->set_vsync(false);
    frame->on_draw = [this] {
        // NOTE: after switching windows the viewport keeps the old window's size.
        glViewport(0, 0, frame->size.width, frame->size.height);
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    };
    frame->redraw(false);
    EXPECT_EQ(frame->draws, 1);
    glFinish();
    Testing::sync();
    // Drawn into the back buffer only: the window still shows its black background.
    EXPECT_EQ(Testing::server_pixel(frame->native_window->window, 10, 10), 0x000000);
    frame->redraw(true);
    EXPECT_EQ(frame->draws, 2);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    Testing::sync();
    EXPECT_EQ(Testing::server_pixel(frame->native_window->window, 10, 10), 0xFF0000);
    EXPECT_EQ(Testing::server_pixel(frame->native_window->window, 63, 47), 0xFF0000);
}

TEST_F(ContextTest, ContextOutlivesItsFrameAsInTheDemoShutdown) {
    context = new Orv::Context(4, 0, false);
    frame = new RecordingFrame();
    frame->set_show_state(Orv::Frame::SHOWN, 0);
    context->set_frame(frame);
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    delete frame;
    frame = nullptr;
    // GL objects can still be deleted once the window is gone.
    glDeleteBuffers(1, &buffer);
    EXPECT_EQ(glIsBuffer(buffer), GL_FALSE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    delete context;
    context = nullptr;
}

}  // namespace
