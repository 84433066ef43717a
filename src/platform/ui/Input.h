// Asynchronous input state: where the mouse pointer is and which modifier keys are down.
#pragma once

#include "platform/base/Types.h"

constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;

// The pointer position in screen coordinates; false when the window system cannot tell.
BOOL GetCursorPos(TPoint* point);
// For VK_SHIFT, VK_CONTROL and VK_MENU: the high bit is set while the key is down; 0 for other
// keys, whose state the window system does not give outside input events.
std::int16_t GetAsyncKeyState(int vKey);
