#include "windowing/frame_pacer.h"

#include "math/assert_warn.h"
#include "platform/platform.h"

namespace Orv {

int timer_resolution_users = 0;

namespace {

void acquire_timer_resolution() {
    if (++timer_resolution_users == 1)
        Platform::time_begin_period(1);
}

void release_timer_resolution() {
    if (--timer_resolution_users == 0)
        Platform::time_end_period(1);
}

}  // namespace

FramePacer::FramePacer(int history_length) : mark(0), history(nullptr), history_length(0) {
    acquire_timer_resolution();
    this->history_length = history_length;
    assert_warn(history_length > 0, "Must have a positive history length");
    try {
        // A length below 1 gets no slots at all; pace then keeps no history.
        int slots = history_length > 0 ? history_length : 0;
        history = new double[static_cast<std::size_t>(slots)];
        for (int i = 0; i < slots; ++i)
            history[i] = -1.0;
    } catch (...) {
        release_timer_resolution();
        throw;
    }
    mark = Platform::time_get_time();
}

FramePacer::~FramePacer() {
    delete[] history;
    release_timer_resolution();
}

double FramePacer::elapsed() const {
    std::uint32_t difference = Platform::time_get_time() - mark;
    return static_cast<double>(difference) / 1000.0;
}

void FramePacer::pace(double fps) {
    double e = elapsed();
    // A rate of zero or below would wait forever; it does not wait at all.
    while (fps > 0.0 && 1.0 / fps > e + 0.001) {
        Platform::select_wait(0, 1000);
        e = elapsed();
    }
    if (history_length > 0) {
        for (int i = history_length - 1; i > 0; --i)
            history[i] = history[i - 1];
        history[0] = e;
    }
    mark = Platform::time_get_time();
}

}  // namespace Orv
