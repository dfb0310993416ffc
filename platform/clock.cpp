// The millisecond clock, the timer resolution and the 1 ms wait.

#include <sys/select.h>
#include <time.h>

#include "platform/platform.h"
#include "platform/testing.h"

namespace Platform {
namespace {

struct ClockState {
    Testing::ClockHooks hooks = {nullptr, nullptr, nullptr};
    int period_begins = 0;
    int period_ends = 0;
};

ClockState& clock_state() {
    static ClockState s;
    return s;
}

}  // namespace

std::uint32_t time_get_time() {
    ClockState& s = clock_state();
    if (s.hooks.now != nullptr)
        return s.hooks.now(s.hooks.user);
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Wraps in 32 bits like the original multimedia clock.
    std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                       static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

// NOTE: the kernel's timers are fine-grained already; the request is only
// accepted and counted.
std::uint32_t time_begin_period(std::uint32_t period_ms) {
    if (period_ms < 1)
        return TIMERR_NOCANDO;
    ++clock_state().period_begins;
    return TIMERR_NOERROR;
}

std::uint32_t time_end_period(std::uint32_t period_ms) {
    if (period_ms < 1)
        return TIMERR_NOCANDO;
    ++clock_state().period_ends;
    return TIMERR_NOERROR;
}

int select_wait(long seconds, long microseconds) {
    ClockState& s = clock_state();
    if (s.hooks.wait != nullptr) {
        s.hooks.wait(s.hooks.user, seconds, microseconds);
        return 0;
    }
    struct timeval timeout;
    timeout.tv_sec = seconds;
    timeout.tv_usec = microseconds;
    return select(0, nullptr, nullptr, nullptr, &timeout);
}

namespace Testing {

void set_clock_hooks(const ClockHooks* hooks) {
    clock_state().hooks = hooks != nullptr ? *hooks : ClockHooks{nullptr, nullptr, nullptr};
}

int timer_period_begins() {
    return clock_state().period_begins;
}

int timer_period_ends() {
    return clock_state().period_ends;
}

}  // namespace Testing
}  // namespace Platform
