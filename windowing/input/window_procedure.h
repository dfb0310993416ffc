#pragma once

#include <map>

#include "platform/platform.h"

namespace Orv::Input {

// What a menu command id stands for.
struct MenuEntry {
    void* first = nullptr;
    void* second = nullptr;
};

// Created by Orv::init, deleted by Orv::deinit. Looking up an id that is not
// present adds an empty entry.
extern std::map<int, MenuEntry>* menu_registry;

// Registered by every frame's window class: turns messages into events for
// the frame of the window, or hands them to the default procedure.
Platform::LResult window_procedure(Platform::WindowHandle window, std::uint32_t message,
                                   Platform::WParam first, Platform::LParam second);

}  // namespace Orv::Input
