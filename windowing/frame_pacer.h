#pragma once

#include <cstdint>

namespace Orv {

// Holds a loop to a frame rate on the platform's millisecond clock, and keeps
// the timer resolution at 1 ms while any pacer exists.
class FramePacer {
public:
    explicit FramePacer(int history_length);
    ~FramePacer();
    FramePacer(const FramePacer&) = delete;
    FramePacer& operator=(const FramePacer&) = delete;

    // Waits until the frame period, less a millisecond, has passed since the
    // previous call, records the frame time and starts timing the next frame.
    void pace(double fps);
    // Seconds since the mark.
    double elapsed() const;

    std::uint32_t mark;
    // Frame times in seconds, newest first; -1.0 for slots not filled yet.
    double* history;
    int history_length;
};

// The number of living pacers.
extern int timer_resolution_users;

}  // namespace Orv
