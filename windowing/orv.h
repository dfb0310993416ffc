#pragma once

namespace Orv {

// Creates the menu registry and the frame registry; run before the first
// window is made.
void init();
// Deletes the frame registry and the menu registry; run after the last frame
// is destroyed.
void deinit();

// Handles every message waiting in the calling thread's queue; never waits.
void poll_events();

}  // namespace Orv
