// Message boxes: a modal window with a text, a caption and an OK button, over the toolkit's own.
// MessageBoxHook replaces the showing (tests record the request instead of opening a window).
#pragma once

#include <functional>

#include "platform/base/Types.h"
#include "platform/ui/Controls.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;

// Shows Text under Caption, modal to Wnd's window (or to none), until the user closes it; IDOK,
// or 0 when there is no window system to show it on.
int MessageBoxW(HWND Wnd, const UnicodeString& Text, const UnicodeString& Caption, UINT Type);

// Replaces the modal showing of every message box: answers what the box would have.
extern std::function<int(HWND Wnd, const UnicodeString& Text, const UnicodeString& Caption, UINT Type)>
    MessageBoxHook;

// Sounds the window system's alert (Type is the kind of alert; every kind sounds the same here).
// Every call is counted, also without a window system to sound it on, so that a refusal that
// beeps can be told from one that does not.
bool MessageBeep(UINT Type);
// The number of MessageBeep calls since the process started.
int MessageBeepCount();
