// Orv without a display: flags, version parsing, debug lines and the pacer.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/platform.h"
#include "platform/testing.h"
#include "tests/support/warn_recorder.h"
#include "tests/windowing/capture_stdout.h"
#include "windowing/context.h"
#include "windowing/flags.h"
#include "windowing/frame.h"
#include "windowing/frame_pacer.h"
#include "windowing/input/events.h"
#include "windowing/native_window.h"

namespace {

using Orv::Flags::Button;
using Orv::Flags::Style;

// Styles and buttons must not mix.
static_assert(!std::is_invocable_v<std::bit_or<>, Style, Button>);
static_assert(!std::is_invocable_v<std::bit_and<>, Button, Style>);
static_assert(std::is_same_v<std::invoke_result_t<std::bit_or<>, Style, Style>, Style>);
static_assert(std::is_same_v<std::invoke_result_t<std::bit_and<>, Button, Button>, Button>);

TEST(Flags, ConstantsOperatorsAndTruth) {
    EXPECT_EQ(Style::NONE.bits, 0);
    EXPECT_EQ(Style::BORDER.bits, 1);
    EXPECT_EQ(Style::TOOL.bits, 2);
    EXPECT_EQ(Style::RESIZABLE.bits, 4);
    EXPECT_EQ(Style::TITLE.bits, 8);
    EXPECT_EQ(Button::NONE.bits, 0);
    EXPECT_EQ(Button::MINIMIZE.bits, 1);
    EXPECT_EQ(Button::MAXIMIZE.bits, 2);
    EXPECT_EQ(Button::CLOSE.bits, 4);

    Style both = Style::BORDER | Style::TITLE;
    EXPECT_EQ(both.bits, 9);
    EXPECT_EQ((both & Style::TITLE).bits, 8);
    EXPECT_TRUE(static_cast<bool>(both & Style::BORDER));
    EXPECT_FALSE(static_cast<bool>(both & Style::TOOL));
    EXPECT_FALSE(static_cast<bool>(Button::NONE));
    EXPECT_EQ((Button::MINIMIZE | Button::CLOSE).bits, 5);
}

struct StyleCase {
    const char* name;
    Style style;
    Button buttons;
    std::uint32_t window_style;
    std::uint32_t ex_style;
};

TEST(Flags, WindowStyleFromFlags) {
    const StyleCase cases[] = {
        {"demo window", Style::BORDER | Style::TITLE | Style::RESIZABLE,
         Button::MINIMIZE | Button::MAXIMIZE | Button::CLOSE, 0x86CF0000u, 0},
        {"bootstrap window", Style::BORDER | Style::TITLE, Button::CLOSE, 0x86C80000u, 0},
        {"bare pop-up without system menu", Style::NONE, Button::NONE, 0x86000000u, 0},
        {"bordered without buttons", Style::BORDER, Button::NONE, 0x06800000u, 0},
        {"tool window", Style::TOOL, Button::NONE, 0x86000000u, 0x80u},
        {"resizable pop-up", Style::RESIZABLE, Button::MAXIMIZE, 0x86050000u, 0},
    };
    for (const StyleCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Orv::Frame::window_style(c.style, c.buttons), c.window_style);
        EXPECT_EQ(Orv::Frame::window_ex_style(c.style), c.ex_style);
        EXPECT_EQ(Orv::Frame::window_style(c.style, c.buttons) & Platform::WS_VISIBLE, 0u);
    }
}

// Byte offset of a virtual operation in its class's table. Under the x86
// Itanium ABI a pointer to a virtual member holds that offset plus one.
template <typename Member>
std::ptrdiff_t table_offset(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(std::ptrdiff_t));
    std::ptrdiff_t raw = 0;
    std::memcpy(&raw, &member, sizeof raw);
    return raw - 1;
}

// Applications override handlers by slot, so the order is part of the
// interface: the destructor first (two table entries in this ABI), then the
// handlers from the most specific frame event to on_event, and draw last.
TEST(VirtualSlots, FrameHandlersAndEventDispatchInTheirSlots) {
#if !defined(__x86_64__) && !defined(__i386__)
    GTEST_SKIP() << "reads member pointers as the x86 Itanium ABI lays them out";
#endif
    using Orv::Frame::FrameBase;
    const std::ptrdiff_t entry = sizeof(void*);
    const std::ptrdiff_t handlers[] = {
        table_offset(&FrameBase::on_frame_resize),
        table_offset(&FrameBase::on_frame_move),
        table_offset(&FrameBase::on_frame_maximize),
        table_offset(&FrameBase::on_frame_minimize),
        table_offset(&FrameBase::on_frame_close),
        table_offset(&FrameBase::on_frame_menu_item),
        table_offset(&FrameBase::on_frame_event),
        table_offset(&FrameBase::on_mouse_move),
        table_offset(&FrameBase::on_mouse_scroll),
        table_offset(&FrameBase::on_mouse_right_up),
        table_offset(&FrameBase::on_mouse_right_down),
        table_offset(&FrameBase::on_mouse_right),
        table_offset(&FrameBase::on_mouse_middle_up),
        table_offset(&FrameBase::on_mouse_middle_down),
        table_offset(&FrameBase::on_mouse_middle),
        table_offset(&FrameBase::on_mouse_left_up),
        table_offset(&FrameBase::on_mouse_left_down),
        table_offset(&FrameBase::on_mouse_left),
        table_offset(&FrameBase::on_mouse_button),
        table_offset(&FrameBase::on_mouse_event),
        table_offset(&FrameBase::on_key_up),
        table_offset(&FrameBase::on_key_down),
        table_offset(&FrameBase::on_key_event),
        table_offset(&FrameBase::on_event),
        table_offset(&FrameBase::draw),
    };
    for (std::size_t slot = 1; slot <= std::size(handlers); ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(handlers[slot - 1], static_cast<std::ptrdiff_t>(slot + 1) * entry);
    }
    using namespace Orv::Input::Events;
    EXPECT_EQ(table_offset(&EventBase::dispatch), 2 * entry);
    EXPECT_EQ(table_offset(&EventMouseButtonLeftDown::dispatch), 2 * entry);
    EXPECT_EQ(table_offset(&EventFrameResize::dispatch), 2 * entry);
}

TEST(PixelFormatChoice, NoFormatsWarnsAndFallsBackToTheHighest) {
    WarnRecorder rec;
    Platform::PixelFormatDescriptor descriptor = {};
    EXPECT_EQ(Orv::Frame::choose_pixel_format(nullptr, &descriptor), 0);
    EXPECT_EQ(rec.failures(), std::vector<std::string>{
                                  "No satisfactory pixel format could be found!  Choosing some "
                                  "random one."});
}

struct SplitCase {
    std::string text;
    std::string delimiter;
    int max_splits;
    std::vector<std::string> pieces;
    bool warns;
};

TEST(Split, PiecesAndMaximum) {
    const SplitCase cases[] = {
        {"4.5.0", ".", -1, {"4", "5", "0"}, false},
        {"450", ".", -1, {"450"}, false},
        {"", ".", -1, {""}, false},
        {".4.", ".", -1, {"", "4", ""}, false},
        {"a..b", ".", -1, {"a", "", "b"}, false},
        {"a.b.c.d", ".", 1, {"a", "b.c.d"}, false},
        {"a.b.c.d", ".", 2, {"a", "b", "c.d"}, false},
        {"a.b.c.d", ".", 3, {"a", "b", "c", "d"}, false},
        {"a.b.c.d", ".", 9, {"a", "b", "c", "d"}, false},
        {"a::b::c", "::", 1, {"a", "b::c"}, false},
        {"a.b.c", ".", 0, {"a.b.c"}, true},
        {"a.b.c", ".", -7, {"a.b.c"}, true},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.text + " on " + c.delimiter + " max " + std::to_string(c.max_splits));
        WarnRecorder rec;
        EXPECT_EQ(Orv::split(c.text, c.delimiter, c.max_splits), c.pieces);
        std::vector<std::string> expected_warnings;
        if (c.warns)
            expected_warnings.push_back("The maximum split number must be positive!");
        EXPECT_EQ(rec.failures(), expected_warnings);
    }
}

struct VersionCase {
    std::string text;
    int major;
    int minor;
    int release;
    std::vector<std::string> warnings;
    // Characters checked on the way to the first digit, the end included when reached.
    std::size_t skipped;
};

TEST(ParseVersion, NumbersAndChecks) {
    const std::string invalid = "Invalid version string!";
    const std::string count = "Version string contains more than three or fewer than two numbers!";
    const VersionCase cases[] = {
        {"4.0.0 Driver words 1.2", 4, 0, 0, {}, 0},
        {"4.00 NVIDIA via Cg compiler", 4, 0, -1, {}, 0},
        {"4.5 (Core Profile) Mesa 22.3.6", 4, 5, -1, {}, 0},
        {"4.6.0", 4, 6, 0, {}, 0},
        {"4.60", 4, 60, -1, {}, 0},
        {"OpenGL ES 3.2 Mesa", 3, 2, -1, {}, 10},
        {"1.2.3.4", 1, 2, -1, {count}, 0},
        {"4.", 4, 0, -1, {}, 0},
        // No character is rejected: 'a' counts as 49.
        {"4a.1", 89, 1, -1, {}, 0},
        {"7 only", -1, -1, -1, {count}, 0},
        {"no digits at all", -1, -1, -1, {invalid, count}, 17},
        {"", -1, -1, -1, {invalid, count}, 1},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.text);
        WarnRecorder rec;
        int major = -1, minor = -1, release = -1;
        Orv::parse_version(c.text, &major, &minor, &release);
        EXPECT_EQ(major, c.major);
        EXPECT_EQ(minor, c.minor);
        EXPECT_EQ(release, c.release);
        EXPECT_EQ(rec.failures(), c.warnings);
        // The digit that ends the skipping is not itself checked.
        std::size_t checks = 0;
        for (const WarnRecorder::Report& r : rec.reports)
            checks += r.message == invalid;
        EXPECT_EQ(checks, c.skipped);
    }
}

std::string address_of(const void* p) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%016" PRIXPTR, reinterpret_cast<std::uintptr_t>(p));
    return text;
}

struct DebugCase {
    unsigned int source;
    unsigned int type;
    unsigned int id;
    unsigned int severity;
    const char* words;  // what follows "received ", or null when nothing is printed
    bool warns;
};

TEST(DebugReport, NotificationLinesDropsAndUnknownWords) {
    const DebugCase cases[] = {
        {0x824A, 0x8251, 1, 0x826B, "notification (other) from a user", false},
        {0x8246, 0x824C, 2, 0x826B, "notification (error) from OpenGL API", false},
        {0x8247, 0x824D, 3, 0x826B, "notification (deprecated) from the windowing system API",
         false},
        {0x8248, 0x824E, 4, 0x826B, "notification (undefined behavior) from a shader compiler",
         false},
        {0x8249, 0x824F, 5, 0x826B, "notification (portability) from a third party", false},
        {0x824B, 0x8250, 6, 0x826B, "notification (performance issue) from <unknown>", false},
        {0x824A, 0x8268, 7, 0x826B, "notification (command stream annotation) from a user", false},
        {0x824A, 0x8269, 8, 0x826B, "notification (push group) from a user", false},
        {0x824A, 0x826A, 9, 0x826B, "notification (pop group) from a user", false},
        // Dropped ids print nothing and are not fatal, whatever the severity.
        {0x824A, 0x824C, 131185, 0x9146, nullptr, false},
        {0x824A, 0x824C, 131186, 0x9147, nullptr, false},
        {0x824A, 0x824C, 131218, 0x9146, nullptr, false},
        // Unknown words are reported and the message is dropped.
        {0x824A, 0x8251, 10, 0x1234, nullptr, true},
        {0x1234, 0x8251, 11, 0x9146, nullptr, true},
        {0x824A, 0x1234, 12, 0x9146, nullptr, true},
    };
    int marker = 0;
    for (const DebugCase& c : cases) {
        SCOPED_TRACE(c.id);
        WarnRecorder rec;
        StdoutCapture capture;
        Orv::Context::report_gl_debug_message(c.source, c.type, c.id, c.severity, 3, "text\"x",
                                              &marker);
        std::string expected;
        if (c.words != nullptr) {
            expected =
                "Orv context " + address_of(&marker) + " received " + c.words + ": \"text\"x\"\n";
        }
        EXPECT_EQ(capture.text(), expected);
        std::vector<std::string> warnings;
        if (c.warns)
            warnings.push_back("Implementation error!");
        EXPECT_EQ(rec.failures(), warnings);
    }
}

struct FatalCase {
    unsigned int severity;
    const char* word;
};

TEST(DebugReportDeathTest, AboveNotificationEndsTheProcessAfterItsLine) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const FatalCase cases[] = {
        {0x9146, "high severity issue"},
        {0x9147, "medium severity issue"},
        {0x9148, "low severity issue"},
    };
    // The child is a fresh run of this program: only a fixed address prints the same.
    const void* context = reinterpret_cast<const void*>(std::uintptr_t{0x1234ABCD});
    for (const FatalCase& c : cases) {
        SCOPED_TRACE(c.word);
        std::string line = std::string("Orv context 0x000000001234ABCD received ") + c.word +
                           " \\(error\\) from OpenGL API: \"bad call\"\n$";
        EXPECT_EXIT(
            {
                // The line goes to standard output; the death test reads stderr.
                dup2(2, 1);
                Orv::Context::report_gl_debug_message(0x8246, 0x824C, 1280, c.severity, -1,
                                                      "bad call", context);
                std::fprintf(stderr, "still running\n");
                std::_Exit(0);
            },
            testing::ExitedWithCode(1), line);
    }
}

// A millisecond clock that moves only when told to, and on every wait.
struct FakeClock {
    std::uint32_t now = 0;
    int waits = 0;

    static std::uint32_t read(void* user) { return static_cast<FakeClock*>(user)->now; }
    static void wait(void* user, long seconds, long microseconds) {
        auto* clock = static_cast<FakeClock*>(user);
        EXPECT_EQ(seconds, 0);
        EXPECT_EQ(microseconds, 1000);
        ++clock->waits;
        ++clock->now;
    }
};

class PacerTest : public testing::Test {
protected:
    void SetUp() override {
        Platform::Testing::ClockHooks hooks = {&FakeClock::read, &FakeClock::wait, &clock};
        Platform::Testing::set_clock_hooks(&hooks);
    }
    void TearDown() override { Platform::Testing::set_clock_hooks(nullptr); }

    FakeClock clock;
};

TEST_F(PacerTest, HistoryHoldsNewestFirst) {
    clock.now = 500;
    Orv::FramePacer pacer(3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(pacer.history[i], -1.0);
    for (std::uint32_t ms : {17u, 16u, 20u, 18u}) {
        clock.now += ms;
        pacer.pace(10000.0);
    }
    EXPECT_EQ(clock.waits, 0);
    EXPECT_NEAR(pacer.history[0], 0.018, 1e-12);
    EXPECT_NEAR(pacer.history[1], 0.020, 1e-12);
    EXPECT_NEAR(pacer.history[2], 0.016, 1e-12);
}

TEST_F(PacerTest, LongFrameDoesNotWaitAndRestartsTiming) {
    clock.now = 1000;
    Orv::FramePacer pacer(10);
    clock.now += 40;
    pacer.pace(60.0);
    EXPECT_EQ(clock.waits, 0);
    EXPECT_NEAR(pacer.history[0], 0.040, 1e-12);
    EXPECT_EQ(pacer.history[1], -1.0);
    EXPECT_EQ(pacer.mark, 1040u);
    EXPECT_NEAR(pacer.elapsed(), 0.0, 1e-12);
}

TEST_F(PacerTest, ShortFrameWaitsUntilWithinAMillisecondOfThePeriod) {
    clock.now = 2000;
    Orv::FramePacer pacer(2);
    clock.now += 5;
    pacer.pace(60.0);
    // 1/60 s less 1 ms is 15.667 ms: the wait stops at the first whole 16.
    EXPECT_EQ(clock.waits, 11);
    EXPECT_NEAR(pacer.history[0], 0.016, 1e-12);
    EXPECT_EQ(pacer.mark, 2016u);
}

TEST_F(PacerTest, ElapsedSurvivesTheClockWrap) {
    clock.now = 0xFFFFFFF0u;
    Orv::FramePacer pacer(1);
    clock.now += 40;  // wraps to 24
    EXPECT_NEAR(pacer.elapsed(), 0.040, 1e-12);
    pacer.pace(60.0);
    EXPECT_EQ(clock.waits, 0);
    EXPECT_NEAR(pacer.history[0], 0.040, 1e-12);
}

TEST_F(PacerTest, TimerResolutionIsRaisedOnceAndReleasedWithTheLastPacer) {
    int begins = Platform::Testing::timer_period_begins();
    int ends = Platform::Testing::timer_period_ends();
    auto* first = new Orv::FramePacer(10);
    auto* second = new Orv::FramePacer(10);
    EXPECT_EQ(Orv::timer_resolution_users, 2);
    EXPECT_EQ(Platform::Testing::timer_period_begins(), begins + 1);
    delete first;
    EXPECT_EQ(Platform::Testing::timer_period_ends(), ends);
    delete second;
    EXPECT_EQ(Platform::Testing::timer_period_ends(), ends + 1);
    EXPECT_EQ(Orv::timer_resolution_users, 0);
}

TEST_F(PacerTest, NonPositiveHistoryWarnsAndKeepsNoHistory) {
    for (int length : {0, -3}) {
        SCOPED_TRACE(length);
        WarnRecorder rec;
        Orv::FramePacer pacer(length);
        EXPECT_EQ(rec.failures(), std::vector<std::string>{"Must have a positive history length"});
        clock.now += 30;
        pacer.pace(60.0);
        EXPECT_EQ(pacer.mark, clock.now);
    }
}

TEST_F(PacerTest, NonPositiveRateDoesNotWait) {
    Orv::FramePacer pacer(2);
    clock.now += 3;
    pacer.pace(0.0);
    pacer.pace(-5.0);
    EXPECT_EQ(clock.waits, 0);
    EXPECT_NEAR(pacer.history[1], 0.003, 1e-12);
    EXPECT_NEAR(pacer.history[0], 0.0, 1e-12);
}

TEST(PacerRealClock, HoldsALoopToTheRate) {
    Orv::FramePacer pacer(4);
    std::uint32_t start = Platform::time_get_time();
    for (int i = 0; i < 4; ++i)
        pacer.pace(100.0);
    std::uint32_t spent = Platform::time_get_time() - start;
    // Four frames of at least 9 ms each, with generous room above.
    EXPECT_GE(spent, 36u);
    EXPECT_LT(spent, 400u);
    for (int i = 0; i < 4; ++i)
        EXPECT_GE(pacer.history[i], 0.009 - 1e-12);
}

}  // namespace
