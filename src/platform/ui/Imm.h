// The input-method seam of windows: the input context of a window, the composition window that
// shows the text being composed, and the composition strings the IME messages announce.
//
// The toolkit's input-method events reach a window's client area and become messages of the
// control: WM_IME_STARTCOMPOSITION when a composition begins, WM_IME_COMPOSITION with
// GCS_COMPSTR while it changes and with GCS_RESULTSTR when text is committed (the string is read
// with ImmGetCompositionStringW during the message), WM_IME_ENDCOMPOSITION when it ends. The text
// being composed is shown by the window itself, in the composition font, at the composition
// window's point; a control that leaves WM_IME_COMPOSITION to the default handling gets the
// committed text as WM_IME_CHAR and then WM_CHAR messages.
#pragma once

#include <cstdint>

#include "platform/base/Types.h"
#include "platform/graphics/DeviceContext.h"  // LOGFONTW, BOOL

struct TInputContext;
using HIMC = TInputContext*;

// Parts of a composition (lParam of WM_IME_COMPOSITION, Index of ImmGetCompositionStringW).
constexpr DWORD GCS_COMPSTR = 0x0008;
constexpr DWORD GCS_CURSORPOS = 0x0080;
constexpr DWORD GCS_RESULTSTR = 0x0800;
constexpr LONG IMM_ERROR_NODATA = -1;

// Styles of a composition window.
constexpr DWORD CFS_DEFAULT = 0x0000, CFS_RECT = 0x0001, CFS_POINT = 0x0002, CFS_FORCE_POSITION = 0x0020;

struct COMPOSITIONFORM {
  DWORD dwStyle = CFS_DEFAULT;
  TPoint ptCurrentPos;  // client coordinates
  TRect rcArea;
};

// ImmNotifyIME: NI_COMPOSITIONSTR completes (CPS_COMPLETE) or cancels (CPS_CANCEL) a composition.
constexpr DWORD NI_COMPOSITIONSTR = 0x0015;
constexpr DWORD CPS_COMPLETE = 0x0001, CPS_CANCEL = 0x0004;

// The input context of a window; null without one. The context lives with the window, so
// releasing it is only the pairing of the call.
HIMC ImmGetContext(HWND Wnd);
BOOL ImmReleaseContext(HWND Wnd, HIMC Context);
BOOL ImmSetCompositionFontW(HIMC Context, const LOGFONTW* Font);
BOOL ImmSetCompositionWindow(HIMC Context, const COMPOSITIONFORM* Form);
BOOL ImmGetCompositionWindow(HIMC Context, COMPOSITIONFORM* Form);
// Copies the part's UTF-16 text (no terminating zero) into Buf when BufLen bytes hold it; answers
// the part's length in bytes (so a call with BufLen 0 asks for it), IMM_ERROR_NODATA for an
// unknown part.
LONG ImmGetCompositionStringW(HIMC Context, DWORD Index, void* Buf, DWORD BufLen);
// CPS_COMPLETE turns a pending composition into its result (WM_IME_COMPOSITION with
// GCS_RESULTSTR, then WM_IME_ENDCOMPOSITION); CPS_CANCEL drops it. FALSE without a composition.
BOOL ImmNotifyIME(HIMC Context, DWORD Action, DWORD Index, DWORD Value);

// Sends the window the toolkit's input-method event an input method sends: the text being
// composed (empty: the composition ends) and the text committed (may be empty).
void SendInputMethodEvent(HWND Wnd, const UnicodeString& Composition, const UnicodeString& Commit);
// The text the window shows as being composed and its rectangle in client coordinates; empty when
// it shows none.
UnicodeString ShownComposition(HWND Wnd, TRect* Rect);
