// Window messages as controls dispatch them: the numbers keep their documented values, so code
// written against them reads the same. Messages stay inside the process; a parameter that carries
// a handle (a device context for WM_PAINT) is only ever given by our own callers.
#pragma once

#include <cstdint>

#include "platform/base/Types.h"

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr Cardinal WM_NULL = 0x0000;
constexpr Cardinal WM_CREATE = 0x0001;
constexpr Cardinal WM_DESTROY = 0x0002;
constexpr Cardinal WM_MOVE = 0x0003;
constexpr Cardinal WM_SIZE = 0x0005;
constexpr Cardinal WM_SETFOCUS = 0x0007;
constexpr Cardinal WM_KILLFOCUS = 0x0008;
constexpr Cardinal WM_ENABLE = 0x000A;
constexpr Cardinal WM_SETTEXT = 0x000C;
constexpr Cardinal WM_GETTEXT = 0x000D;
constexpr Cardinal WM_GETTEXTLENGTH = 0x000E;
constexpr Cardinal WM_PAINT = 0x000F;
constexpr Cardinal WM_ERASEBKGND = 0x0014;
constexpr Cardinal WM_SHOWWINDOW = 0x0018;
constexpr Cardinal WM_TIMER = 0x0113;
constexpr Cardinal WM_USER = 0x0400;

// The class library's own control messages.
constexpr Cardinal CM_BASE = 0xB000;
constexpr Cardinal CM_COLORCHANGED = CM_BASE + 29;
constexpr Cardinal CM_FONTCHANGED = CM_BASE + 30;
constexpr Cardinal CM_TEXTCHANGED = CM_BASE + 40;
constexpr Cardinal CM_SHOWINGCHANGED = CM_BASE + 44;
constexpr Cardinal CM_VISIBLECHANGED = CM_BASE + 45;
constexpr Cardinal CM_CTL3DCHANGED = CM_BASE + 15;
constexpr Cardinal CM_BORDERCHANGED = CM_BASE + 59;

struct TMessage {
  Cardinal Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

class TDeviceContext;

// WM_PAINT and WM_ERASEBKGND: WParam is the device context to draw on (0 for the window's own).
inline TDeviceContext* MessageDC(const TMessage& m) { return reinterpret_cast<TDeviceContext*>(m.WParam); }
inline WPARAM DCToWParam(TDeviceContext* dc) { return reinterpret_cast<WPARAM>(dc); }
