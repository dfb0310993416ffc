#pragma once

#include <memory>

#include "app/my_frame.h"
#include "windowing/frame_pacer.h"

// What the demo runs on from start_demo to stop_demo.
struct Demo {
    MyFrame* frame = nullptr;
    // Paces the main loop; it outlives the context.
    std::unique_ptr<Orv::FramePacer> pacer;
};

// Builds the arm, starts Orv, opens a GL 4.0 context and starts Quarn on it,
// clears to black and lets shaders size points, opens the demo window on the
// context with vsync off, then makes a pacer keeping 10 frame times.
Demo start_demo();

// Deletes the window, ends Quarn and deletes the context, then the pacer; ends
// Orv and deletes the arm last.
void stop_demo(Demo& demo);
