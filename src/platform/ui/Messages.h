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
constexpr Cardinal WM_SETREDRAW = 0x000B;  // WParam 0 stops redrawing, 1 resumes it
constexpr Cardinal WM_SETTEXT = 0x000C;
constexpr Cardinal WM_GETTEXT = 0x000D;
constexpr Cardinal WM_GETTEXTLENGTH = 0x000E;
constexpr Cardinal WM_PAINT = 0x000F;
constexpr Cardinal WM_ERASEBKGND = 0x0014;
constexpr Cardinal WM_SHOWWINDOW = 0x0018;
constexpr Cardinal WM_NCPAINT = 0x0085;
constexpr Cardinal WM_GETDLGCODE = 0x0087;
constexpr Cardinal WM_KEYDOWN = 0x0100;
constexpr Cardinal WM_KEYUP = 0x0101;
constexpr Cardinal WM_CHAR = 0x0102;
// A character typed while Alt is held (WParam: the UTF-16 unit).
constexpr Cardinal WM_SYSCHAR = 0x0106;
// A character as a whole code point (WParam). A window is asked first with UNICODE_NOCHAR and
// gets these only when it answers 1; others get the UTF-16 units as WM_CHAR.
constexpr Cardinal WM_UNICHAR = 0x0109;
constexpr WPARAM UNICODE_NOCHAR = 0xFFFF;
// Input-method composition (Imm.h): start, change or result (LParam: the GCS_ parts), end; a
// character of a result left to the default handling.
constexpr Cardinal WM_IME_STARTCOMPOSITION = 0x010D;
constexpr Cardinal WM_IME_ENDCOMPOSITION = 0x010E;
constexpr Cardinal WM_IME_COMPOSITION = 0x010F;
constexpr Cardinal WM_IME_CHAR = 0x0286;
constexpr Cardinal WM_TIMER = 0x0113;
constexpr Cardinal WM_HSCROLL = 0x0114;
constexpr Cardinal WM_VSCROLL = 0x0115;
constexpr Cardinal WM_GESTURE = 0x0119;
constexpr Cardinal WM_MOUSEMOVE = 0x0200;
constexpr Cardinal WM_LBUTTONDOWN = 0x0201;
constexpr Cardinal WM_LBUTTONUP = 0x0202;
constexpr Cardinal WM_LBUTTONDBLCLK = 0x0203;
constexpr Cardinal WM_RBUTTONDOWN = 0x0204;
constexpr Cardinal WM_RBUTTONUP = 0x0205;
constexpr Cardinal WM_RBUTTONDBLCLK = 0x0206;
constexpr Cardinal WM_MBUTTONDOWN = 0x0207;
constexpr Cardinal WM_MBUTTONUP = 0x0208;
constexpr Cardinal WM_MBUTTONDBLCLK = 0x0209;
constexpr Cardinal WM_MOUSEWHEEL = 0x020A;
constexpr Cardinal WM_MOUSEHWHEEL = 0x020E;
constexpr Cardinal WM_QUERYNEWPALETTE = 0x030F;
constexpr Cardinal WM_PALETTECHANGED = 0x0311;
constexpr Cardinal WM_THEMECHANGED = 0x031A;
constexpr Cardinal WM_CONTEXTMENU = 0x007B;
constexpr Cardinal WM_CUT = 0x0300;
constexpr Cardinal WM_COPY = 0x0301;
constexpr Cardinal WM_PASTE = 0x0302;
constexpr Cardinal WM_CLEAR = 0x0303;
constexpr Cardinal WM_UNDO = 0x0304;
constexpr Cardinal WM_USER = 0x0400;

// Edit-control messages. Character positions are 0-based; a selection is given as start and end.
constexpr Cardinal EM_GETSEL = 0x00B0;          // WParam, LParam: int* start and end (may be nil)
constexpr Cardinal EM_SETSEL = 0x00B1;          // WParam start, LParam end
constexpr Cardinal EM_LINEINDEX = 0x00BB;       // WParam line
constexpr Cardinal EM_CANUNDO = 0x00C6;
constexpr Cardinal EM_UNDO = 0x00C7;
constexpr Cardinal EM_LINELENGTH = 0x00C1;      // WParam character index
constexpr Cardinal EM_LINEFROMCHAR = 0x00C9;    // WParam character index
constexpr Cardinal EM_CANPASTE = WM_USER + 50;        // WParam a clipboard format (0: any)
constexpr Cardinal EM_EXLINEFROMCHAR = WM_USER + 54;  // LParam character index
constexpr Cardinal EM_GETTEXTRANGE = WM_USER + 75;    // LParam TTextRange*
constexpr Cardinal EM_REDO = WM_USER + 84;
constexpr Cardinal EM_CANREDO = WM_USER + 85;

// A range of characters (cpMax -1: to the end) and the buffer that receives its text.
struct TCharRange {
  std::int32_t cpMin = 0;
  std::int32_t cpMax = 0;
};
struct TTextRange {
  TCharRange chrg;
  WideChar* lpstrText = nullptr;
};

// Scroll-bar request codes (low word of WParam of WM_VSCROLL and WM_HSCROLL; the high word holds
// the position of SB_THUMBTRACK and SB_THUMBPOSITION).
constexpr int SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2, SB_PAGELEFT = 2,
              SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6, SB_LEFT = 6,
              SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;

// Answers of WM_GETDLGCODE: the keys a control wants for itself rather than for dialog navigation.
constexpr LRESULT DLGC_WANTARROWS = 0x0001, DLGC_WANTTAB = 0x0002, DLGC_WANTALLKEYS = 0x0004,
                  DLGC_WANTCHARS = 0x0080;

// Key flags of mouse messages (WParam); the wheel's delta is the signed high word of WParam.
constexpr WPARAM MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008,
                 MK_MBUTTON = 0x0010;
// One notch of a mouse wheel.
constexpr int WHEEL_DELTA = 120;

inline WPARAM MakeWParam(int Low, int High) {
  return static_cast<WPARAM>(static_cast<std::uint16_t>(Low)) |
         (static_cast<WPARAM>(static_cast<std::uint16_t>(High)) << 16);
}
// Client points of mouse messages: signed 16-bit x in the low word, y in the high word.
inline LPARAM MakeLParam(int Low, int High) { return static_cast<LPARAM>(MakeWParam(Low, High)); }
inline int LoWordSigned(std::uintptr_t v) { return static_cast<std::int16_t>(v & 0xFFFF); }
inline int HiWordSigned(std::uintptr_t v) { return static_cast<std::int16_t>((v >> 16) & 0xFFFF); }
inline int LoWord(std::uintptr_t v) { return static_cast<int>(v & 0xFFFF); }
inline int HiWord(std::uintptr_t v) { return static_cast<int>((v >> 16) & 0xFFFF); }

// The class library's own control messages.
constexpr Cardinal CM_BASE = 0xB000;
constexpr Cardinal CM_COLORCHANGED = CM_BASE + 29;
constexpr Cardinal CM_FONTCHANGED = CM_BASE + 14;
constexpr Cardinal CM_TEXTCHANGED = CM_BASE + 40;
constexpr Cardinal CM_SHOWINGCHANGED = CM_BASE + 44;
constexpr Cardinal CM_VISIBLECHANGED = CM_BASE + 45;
constexpr Cardinal CM_CTL3DCHANGED = CM_BASE + 15;
constexpr Cardinal CM_BORDERCHANGED = CM_BASE + 59;
constexpr Cardinal CM_ENABLEDCHANGED = CM_BASE + 0;
// The pointer entered or left the control's window; a hint is about to show (LParam: the
// THintInfo).
constexpr Cardinal CM_MOUSEENTER = CM_BASE + 19;
constexpr Cardinal CM_MOUSELEAVE = CM_BASE + 20;
constexpr Cardinal CM_HINTSHOW = CM_BASE + 48;
// Whether the control handles a key itself that a dialog would otherwise take (WParam: the
// virtual key; a non-zero Result means it does).
constexpr Cardinal CM_WANTSPECIALKEY = CM_BASE + 30;
// Enter or Escape that the focused control does not want, passed to the form it stands on
// (WParam: the virtual key); a non-zero Result means the form used it.
constexpr Cardinal CM_DIALOGKEY = CM_BASE + 5;

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
