#pragma once

#include <string>

#include "platform/platform.h"
#include "windowing/flags.h"

namespace Orv::Frame {

// The platform window of a frame (or of the context's bootstrap window): the
// window, its private device context with a double-buffered RGBA pixel
// format, and a window class registered for it alone.
class NativeWindow {
public:
    NativeWindow(const Flags::Style& style, const Flags::Button& buttons,
                 Platform::WindowHandle parent, int x, int y, int width, int height);
    ~NativeWindow();
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

    Platform::WindowHandle window = nullptr;
    Platform::DeviceContextHandle device_context = nullptr;
    std::u16string class_name;
};

// The platform style and extended style for a frame's flags.
std::uint32_t window_style(const Flags::Style& style, const Flags::Button& buttons);
std::uint32_t window_ex_style(const Flags::Style& style);

// The first pixel format that is double-buffered RGBA for OpenGL on a window
// with 24 or 32 depth bits, 8 stencil bits and 8 bits per colour channel, or
// the highest-numbered one when none is; the descriptor holds the last one
// described.
int choose_pixel_format(Platform::DeviceContextHandle dc,
                        Platform::PixelFormatDescriptor* descriptor);

// Taken by each new native window for its class name, then incremented.
extern int window_counter;

}  // namespace Orv::Frame
