// Input: the state of the pointer and the modifier keys, the virtual-key codes that key messages
// carry, and the system settings of mouse input (wheel lines, drag threshold, double-click time).
#pragma once

#include <functional>

#include "platform/base/Classes.h"
#include "platform/ui/Messages.h"

// Virtual-key codes (the documented values). Letters and digits are their upper-case ASCII codes.
constexpr int VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_MBUTTON = 0x04, VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12,
              VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
              VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
              VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_APPS = 0x5D, VK_F1 = 0x70, VK_F24 = 0x87;
constexpr int VK_SNAPSHOT = 0x2C, VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_NUMPAD0 = 0x60, VK_NUMPAD9 = 0x69,
              VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
              VK_NUMLOCK = 0x90, VK_SCROLL = 0x91, VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2,
              VK_RCONTROL = 0xA3, VK_LMENU = 0xA4, VK_RMENU = 0xA5, VK_BROWSER_BACK = 0xA6, VK_BROWSER_FORWARD = 0xA7,
              VK_BROWSER_REFRESH = 0xA8, VK_BROWSER_STOP = 0xA9, VK_BROWSER_SEARCH = 0xAA, VK_BROWSER_FAVORITES = 0xAB,
              VK_BROWSER_HOME = 0xAC, VK_VOLUME_MUTE = 0xAD, VK_VOLUME_DOWN = 0xAE, VK_VOLUME_UP = 0xAF,
              VK_MEDIA_NEXT_TRACK = 0xB0, VK_MEDIA_PREV_TRACK = 0xB1, VK_MEDIA_STOP = 0xB2, VK_MEDIA_PLAY_PAUSE = 0xB3,
              VK_LAUNCH_MAIL = 0xB4, VK_LAUNCH_MEDIA_SELECT = 0xB5, VK_LAUNCH_APP1 = 0xB6, VK_LAUNCH_APP2 = 0xB7,
              VK_PROCESSKEY = 0xE5;

// The mouse buttons of input events (TShiftState is in Classes.h).
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// The pointer position in screen coordinates; false when the window system cannot tell.
BOOL GetCursorPos(TPoint* point);
// For VK_SHIFT, VK_CONTROL, VK_MENU and the mouse buttons: the high bit is set while the key is
// down; 0 for other keys, whose state the window system does not give outside input events.
std::int16_t GetAsyncKeyState(int vKey);
// The keyboard as the key message being handled found it (the calling thread's keyboard state):
// the high bit is set while the key is down, the low bit while a toggle key (Caps Lock, Num Lock)
// is on. The window sets it from each key event before it sends the key's messages; tests that
// send key messages themselves set it with SetKeyboardState. The state is 256 bytes, one a key.
std::int16_t GetKeyState(int vKey);
BOOL GetKeyboardState(BYTE* KeyState);
BOOL SetKeyboardState(const BYTE* KeyState);

// Bit 29 of a key message's key data (LParam): Alt was held when the key came.
constexpr LPARAM AltMask = 0x20000000;

// Sends a character typed on the keyboard through Send as the window system does: WM_SYSCHAR
// while Alt is held, else WM_CHAR; a code point beyond the basic plane as one WM_UNICHAR when the
// window answers WM_UNICHAR with UNICODE_NOCHAR by 1, else as its two UTF-16 units.
void SendTypedCharacter(char32_t Code, bool Alt, const std::function<LRESULT(Cardinal, WPARAM, LPARAM)>& Send);

// System settings read and written through SystemParametersInfoW. SPI_GETWHEELSCROLLLINES fills
// the UINT at pvParam with the lines one wheel notch scrolls (3 without a session;
// WHEEL_PAGESCROLL means a page); SPI_SETWHEELSCROLLLINES sets it from uiParam for this process.
constexpr UINT SPI_GETWHEELSCROLLLINES = 0x0068, SPI_SETWHEELSCROLLLINES = 0x0069;
// SPI_GETCARETWIDTH fills the DWORD at pvParam with the caret's width in pixels.
constexpr UINT SPI_GETCARETWIDTH = 0x2006;
constexpr UINT WHEEL_PAGESCROLL = 0xFFFFFFFFu;
BOOL SystemParametersInfoW(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni);

// System metrics: the drag threshold in pixels (the toolkit's start-drag distance, as a square of
// that side) and, for anything else, 0.
constexpr int SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CXDRAG = 68, SM_CYDRAG = 69;
int GetSystemMetrics(int nIndex);
// Milliseconds between the two clicks of a double click.
UINT GetDoubleClickTime();
