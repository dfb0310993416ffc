// The platform layer's parts that need no display: the clock, the timer
// resolution, the wait, window classes, and the exit without a display.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdint>

#include "platform/platform.h"
#include "platform/testing.h"

namespace {

Platform::LResult no_procedure(Platform::WindowHandle window, std::uint32_t message,
                               Platform::WParam first, Platform::LParam second) {
    return Platform::def_window_proc(window, message, first, second);
}

Platform::WindowClass class_named(const char16_t* name) {
    Platform::WindowClass c = {};
    c.style = Platform::CS_OWNDC;
    c.procedure = &no_procedure;
    c.class_name = name;
    return c;
}

TEST(Clock, RealClockFollowsTheSteadyClock) {
    auto start = std::chrono::steady_clock::now();
    std::uint32_t first = Platform::time_get_time();
    // Each wait really sleeps about a millisecond here.
    for (int i = 0; i < 20; ++i)
        Platform::select_wait(0, 1000);
    std::uint32_t second = Platform::time_get_time();
    auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - start)
                     .count();
    EXPECT_GE(second - first, 20u);
    // Within two milliseconds of what the steady clock measured around it.
    EXPECT_LE(static_cast<long long>(second - first), spent + 2);
}

struct HookedClock {
    std::uint32_t now;
    long waited_us;
    static std::uint32_t read(void* user) { return static_cast<HookedClock*>(user)->now; }
    static void wait(void* user, long seconds, long microseconds) {
        static_cast<HookedClock*>(user)->waited_us += seconds * 1000000 + microseconds;
    }
};

TEST(Clock, HooksReplaceTheClockAndTheWaitUntilRemoved) {
    HookedClock clock = {0xFFFFFFFEu, 0};
    Platform::Testing::ClockHooks hooks = {&HookedClock::read, &HookedClock::wait, &clock};
    Platform::Testing::set_clock_hooks(&hooks);
    EXPECT_EQ(Platform::time_get_time(), 0xFFFFFFFEu);
    clock.now += 3;
    EXPECT_EQ(Platform::time_get_time(), 1u);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Platform::select_wait(1, 500), 0);
    EXPECT_EQ(clock.waited_us, 1000500);
    // The hooked wait does not sleep.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    Platform::Testing::set_clock_hooks(nullptr);
    EXPECT_NE(Platform::time_get_time(), 1u);
}

TEST(Clock, TimerResolutionRequestsAreCounted) {
    int begins = Platform::Testing::timer_period_begins();
    int ends = Platform::Testing::timer_period_ends();
    EXPECT_EQ(Platform::time_begin_period(1), Platform::TIMERR_NOERROR);
    EXPECT_EQ(Platform::time_end_period(1), Platform::TIMERR_NOERROR);
    EXPECT_EQ(Platform::time_begin_period(0), Platform::TIMERR_NOCANDO);
    EXPECT_EQ(Platform::time_end_period(0), Platform::TIMERR_NOCANDO);
    EXPECT_EQ(Platform::Testing::timer_period_begins(), begins + 1);
    EXPECT_EQ(Platform::Testing::timer_period_ends(), ends + 1);
}

TEST(WindowClasses, RegisterOnceAndUnregisterByName) {
    Platform::WindowClass c = class_named(u"platform test class");
    EXPECT_NE(Platform::register_class(&c), 0);
    EXPECT_EQ(Platform::register_class(&c), 0);
    EXPECT_TRUE(Platform::unregister_class(u"platform test class", nullptr));
    EXPECT_FALSE(Platform::unregister_class(u"platform test class", nullptr));
    EXPECT_NE(Platform::register_class(&c), 0);
    EXPECT_TRUE(Platform::unregister_class(u"platform test class", nullptr));
    EXPECT_EQ(Platform::register_class(nullptr), 0);
    EXPECT_FALSE(Platform::unregister_class(nullptr, nullptr));
}

TEST(WindowClasses, UnknownHandlesAreNotFound) {
    auto stale = reinterpret_cast<Platform::WindowHandle>(std::uintptr_t{0xDEAD});
    EXPECT_EQ(Platform::get_dc(stale), nullptr);
    EXPECT_EQ(Platform::send_message(stale, Platform::WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(Platform::destroy_window(stale));
    EXPECT_FALSE(Platform::show_window(stale, Platform::SW_SHOW));
    EXPECT_FALSE(Platform::move_window(stale, 0, 0, 10, 10, false));
    EXPECT_EQ(Platform::get_window_long(stale, Platform::GWL_STYLE), 0);
    EXPECT_EQ(Platform::get_dc(nullptr), nullptr);
}

TEST(NoDisplayDeathTest, ExitsWithOneLineInsteadOfCrashing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            Platform::WindowClass c = class_named(u"no display");
            Platform::register_class(&c);
            Platform::create_window_ex(0, u"no display", u"t", 0, 0, 0, 10, 10, nullptr, nullptr,
                                       nullptr, nullptr);
            std::_Exit(0);
        },
        testing::ExitedWithCode(1),
        "^platform: cannot open the X display \"\"; set DISPLAY to a running X server\n$");
}

}  // namespace
