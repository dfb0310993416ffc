#pragma once

// Checks shared by the tests that drive the real window server through
// Platform::Testing.

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/testing.h"

// Virtual keys that the server's test extension is asked to press: letters and
// digits at both ends and between, the modifiers, the editing and arrow keys,
// and function keys at both ends and between.
inline constexpr int faked_virtual_keys[] = {'A',
                                             'M',
                                             'S',
                                             'Z',
                                             '0',
                                             '5',
                                             '9',
                                             Platform::VK_ESCAPE,
                                             Platform::VK_SHIFT,
                                             Platform::VK_CONTROL,
                                             Platform::VK_MENU,
                                             Platform::VK_SPACE,
                                             Platform::VK_RETURN,
                                             Platform::VK_TAB,
                                             Platform::VK_BACK,
                                             Platform::VK_LEFT,
                                             Platform::VK_UP,
                                             Platform::VK_RIGHT,
                                             Platform::VK_DOWN,
                                             Platform::VK_F1,
                                             Platform::VK_F1 + 5,
                                             Platform::VK_F12};

// Whether the server holds the window's client area at (x, y), in root
// coordinates, with the given size.
inline ::testing::AssertionResult server_geometry_is(Platform::WindowHandle window, int x, int y,
                                                     int width, int height) {
    Platform::Testing::Geometry g{};
    if (!Platform::Testing::server_geometry(window, &g))
        return ::testing::AssertionFailure() << "the server has no geometry for the window";
    if (g.x != x || g.y != y || g.width != width || g.height != height) {
        return ::testing::AssertionFailure()
               << "the server holds " << g.width << " x " << g.height << " at (" << g.x << ", "
               << g.y << "), not " << width << " x " << height << " at (" << x << ", " << y << ")";
    }
    return ::testing::AssertionSuccess();
}
