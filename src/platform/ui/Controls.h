// The component model of window controls. A control answers messages through Perform, which
// goes through WindowProc (replaceable, so a control's message handling can be hooked) to
// WndProc and Dispatch. Windowed controls get a native window only when something asks for
// their Handle; painting never needs one: every control paints itself through the device-context
// calls, so a control looks the same on the screen, in a bitmap, on a printer and in a metafile.
// The native window only shows what the control paints and delivers the window system's events.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/base/Persistent.h"
#include "platform/graphics/Graphics.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

enum TControlStateE {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking, csDesignerHide, csPanning,
  csRecreating, csAligning, csGlassPaint, csPrintClient
};
using TControlState = TSet<TControlStateE, 32>;

enum TControlStyleE {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
  csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
  csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents,
  csNeedsBorderPaint, csParentBackground, csPannable, csAlignWithMargins, csGestures,
  csPaintBlackOpaqueOnGlass, csOverrideStylePaint
};
using TControlStyle = TSet<TControlStyleE, 32>;

// Controls use the first two; forms use all of them.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Touch gestures as controls receive them (WM_GESTURE, LParam points at the information).
enum TInteractiveGesture { igZoom, igPan, igRotate, igTwoFingerTap, igPressAndTap };
using TInteractiveGestures = TSet<TInteractiveGesture, 8>;
enum TInteractiveGestureOption {
  igoPanSingleFingerHorizontal, igoPanSingleFingerVertical, igoPanInertia, igoPanGutter, igoParentPassthrough
};
using TInteractiveGestureOptions = TSet<TInteractiveGestureOption, 8>;
enum TInteractiveGestureFlag { gfBegin, gfInertia, gfEnd };
using TInteractiveGestureFlags = TSet<TInteractiveGestureFlag, 8>;
constexpr int igiPan = 4;  // the gesture id of a pan
struct TGestureEventInfo {
  int GestureID = 0;
  TPoint Location;  // client coordinates of the control
  TInteractiveGestureFlags Flags;
};

class TWinControl;
class TControl;
class TPopupMenu;

// What CM_HINTSHOW carries: the control may change the text or (answering non-zero) refuse it.
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint CursorPos;  // client coordinates
  UnicodeString HintStr;
};

class TControl : public TComponent {
  TAVRELO_PERSISTENT(TControl, TComponent)
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* GetParent() const { return FParent; }
  // Moves the control into AParent's list (null: out of any); a windowed control loses its
  // native window, which belonged to the old parent's.
  virtual void SetParent(TWinControl* AParent);

  int GetLeft() const { return FLeft; }
  int GetTop() const { return FTop; }
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect GetBoundsRect() const { return TRect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  // The area the control paints its content in, in its own coordinates.
  virtual TRect GetClientRect() const { return TRect(0, 0, FWidth, FHeight); }

  bool GetVisible() const { return FVisible; }
  void SetVisible(bool v);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  TFont& Font() { return *FFont; }
  void SetFont(const TFont& f) { FFont->Assign(f); }
  const UnicodeString& GetText() const { return FText; }
  void SetText(const UnicodeString& v);
  const UnicodeString& GetCaption() const { return FText; }
  void SetCaption(const UnicodeString& v) { SetText(v); }

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool v);
  // An entry of the screen's cursor table (Cursors.h); the window shows it while the pointer is over it.
  int GetCursor() const { return FCursor; }
  void SetCursor(int v);
  // The text shown in a tooltip while the pointer rests over the control.
  const UnicodeString& GetHint() const { return FHint; }
  void SetHint(const UnicodeString& v) { FHint = v; }
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool v) { FShowHint = v; }
  std::intptr_t GetTag() const { return FTag; }
  void SetTag(std::intptr_t v) { FTag = v; }
  // The menu a right click or the context-menu key shows (not owned; null: the parent's).
  TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* v) { FPopupMenu = v; }
  int GetClientWidth() const { return GetClientRect().Width(); }
  int GetClientHeight() const { return GetClientRect().Height(); }

  TControlState GetControlState() const { return FControlState; }
  void SetControlState(TControlState v) { FControlState = v; }
  TControlStyle GetControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle v) { FControlStyle = v; }

  // Sends a message to the control now and answers its Result.
  LRESULT Perform(Cardinal Msg, WPARAM WParam, LPARAM LParam);
  // The entry of every message; WndProc unless replaced. Replacing code keeps the previous value
  // and passes on what it does not handle.
  std::function<void(TMessage&)> WindowProc;
  virtual void WndProc(TMessage& Message);
  // Handles the messages the class knows; descendants handle theirs and pass the rest to the
  // base class; what nobody handles reaches DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // Asks for a repaint of the control on the screen (nothing without a native window).
  virtual void Invalidate();
  // Paints what waits to be painted now; Refresh repaints the whole control now.
  virtual void Update();
  void Refresh() {
    Invalidate();
    Update();
  }

  // Input. The window delivers the window system's events as messages (WM_LBUTTONDOWN,
  // WM_MOUSEWHEEL, WM_GESTURE...), which end in these handlers. A wheel message is counted in
  // notches: deltas add up, and every whole notch (WHEEL_DELTA) calls DoMouseWheel once.
  std::function<void(TObject*, TShiftState, int WheelDelta, TPoint MousePos, bool& Handled)> OnMouseWheel;
  std::function<void(TObject*)> OnResize;
  TInteractiveGestures& TouchInteractiveGestures() { return FTouchGestures; }
  TInteractiveGestureOptions& TouchInteractiveGestureOptions() { return FTouchGestureOptions; }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;

 protected:
  // Sets a field that only changes how the control looks: a real change repaints it.
  template <typename V>
  void SetLookField(V& Field, V Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
  }

  virtual void MouseDown(TMouseButton /*Button*/, TShiftState /*Shift*/, int /*X*/, int /*Y*/) {}
  virtual void MouseMove(TShiftState /*Shift*/, int /*X*/, int /*Y*/) {}
  virtual void MouseUp(TMouseButton /*Button*/, TShiftState /*Shift*/, int /*X*/, int /*Y*/) {}
  virtual void DblClick() {}
  // OnMouseWheel, then (unhandled) DoMouseWheelDown or DoMouseWheelUp; true when handled.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState /*Shift*/, TPoint /*MousePos*/) { return false; }
  virtual bool DoMouseWheelUp(TShiftState /*Shift*/, TPoint /*MousePos*/) { return false; }
  virtual void DoGesture(const TGestureEventInfo& /*EventInfo*/, bool& /*Handled*/) {}
  // The size changed: OnResize.
  virtual void Resize();

  TControlState FControlState;
  TControlStyle FControlStyle;

 private:
  friend class TWinControl;
  TPopupMenu* FPopupMenu = nullptr;
  void HandleMouseMessage(TMessage& Message);
  int FWheelAccumulator = 0;
  bool FEnabled = true;
  int FCursor = 0;
  UnicodeString FHint;
  bool FShowHint = false;
  std::intptr_t FTag = 0;
  TInteractiveGestures FTouchGestures;
  TInteractiveGestureOptions FTouchGestureOptions;
  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  UnicodeString FText;
};

struct TWindowHandleTag;  // the native window behind a handle (NativeWindow.cpp)

// Window styles a control asks for in CreateParams. With WS_EX_CLIENTEDGE (a sunken edge) or
// WS_BORDER (a line) the window system draws the frame, with WS_VSCROLL and WS_HSCROLL it gives
// the window its scroll bars (WS_EX_LEFTSCROLLBAR puts the vertical one on the left); the client
// area is what lies inside them. A window without any of these shows its control whole, and the
// control draws its own border (TWinControl::BorderStyle).
constexpr DWORD WS_BORDER = 0x00800000, WS_VSCROLL = 0x00200000, WS_HSCROLL = 0x00100000,
                WS_CLIPCHILDREN = 0x02000000, WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200, WS_EX_LEFTSCROLLBAR = 0x00004000;
struct TCreateParams {
  DWORD Style = 0;
  DWORD ExStyle = 0;
};

// The client area of a control's native window: from (0, 0) to its size. FALSE for a null handle
// or rect.
BOOL GetClientRect(HWND wnd, RECT* rect);

constexpr UINT PW_CLIENTONLY = 0x1;
// Copies what a native window shows, its child windows included, to DC with its top-left corner
// at DC's origin. Windows have no frame of the window system's own, so PW_CLIENTONLY changes
// nothing. FALSE for a null handle or context or when the picture cannot be taken; TRUE with
// nothing copied for a window without area.
BOOL PrintWindow(HWND wnd, HDC dc, UINT flags);

class TWinControl : public TControl {
  TAVRELO_PERSISTENT(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* AOwner);
  // Frees the controls it holds, then its native window.
  ~TWinControl() override;

  // Child controls: non-windowed ones first, then windowed ones, each in insertion order.
  int ControlCount() const { return static_cast<int>(FControls.size() + FWinControls.size()); }
  TControl* GetControl(int Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);

  bool HandleAllocated() const { return FHandle != nullptr; }
  // Destroys the window and makes it again with the current parameters, when it exists.
  void RecreateWnd();
  // The window styles the window was made with (0 without a window).
  DWORD GetWindowStyle() const;
  DWORD GetWindowExStyle() const;
  // Creates the native window (and those of the parents before it) when it does not exist yet.
  void HandleNeeded();
  HWND GetHandle();
  void DestroyHandle();

  // Paints the control with its top-left corner at (X, Y) of DC, then its visible windowed
  // children at their places: border, background, content and graphic children, clipped to
  // the control. DC's state is as before afterwards, also when painting raises.
  void PaintTo(HDC DC, int X, int Y);
  // The same with Canvas locked around the painting.
  void PaintTo(TCanvas* Canvas, int X, int Y);

  bool GetTabStop() const { return FTabStop; }
  void SetTabStop(bool v);
  // Focus: the window takes the keyboard focus (a window is made when needed); Focused is true
  // while it has it.
  void SetFocus();
  bool Focused() const;
  virtual bool CanFocus() const;
  std::function<void(TObject*, WORD& Key, TShiftState Shift)> OnKeyDown, OnKeyUp;
  // Raised when the control's window gets the keyboard focus (OnEnter) and loses it (OnExit).
  std::function<void(TObject*)> OnEnter, OnExit;
  // Raised for each character the control gets; a handler may change Key or set it to 0.
  std::function<void(TObject*, WideChar& Key)> OnKeyPress;

  bool GetCtl3D() const { return FCtl3D; }
  void SetCtl3D(bool v);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  // Width of the border on each side: 2 for a 3-D single border, 1 for a flat one.
  int GetBorderSize() const;
  TRect GetClientRect() const override;

  void Dispatch(TMessage& Message) override;
  void Invalidate() override;
  void Update() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // The native window asks for its picture: border (unless the window system draws it),
  // background, content and graphic children.
  void PaintNative(HDC DC);

 protected:
  // The window styles of the window about to be made; nothing by default.
  virtual void CreateParams(TCreateParams& Params);
  // Keys: WM_KEYDOWN, WM_KEYUP, WM_CHAR, with the shift state of the message (KeyDataToShiftState).
  // They raise OnKeyDown, OnKeyUp and OnKeyPress.
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyPress(WideChar& Key);
  virtual void CreateHandle();
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Draws the control's own content on DC, in client coordinates; nothing by default.
  virtual void PaintWindow(HDC DC);
  // Paints the visible graphic children, each through WM_PAINT at its place, clipped to it.
  void PaintControls(HDC DC);
  void PaintHandler(HDC DC);
  // Fills the client area with Color.
  void EraseBackground(HDC DC);

 private:
  friend struct TWindowHandleTag;
  friend class TNativeWindow;
  void PaintSelf(HDC DC);  // border and what WM_ERASEBKGND and WM_PAINT draw
  void UpdateNativeVisibility();
  // The window system draws the frame and the scroll bars; the control paints its client area only.
  bool WindowHasFrame() const;
  // Where the client area of the children's windows starts inside this control.
  int ChildOffset() const;
  // The window system changed the size of a top-level window.
  void WindowResized(int AWidth, int AHeight);

  std::vector<TControl*> FControls;     // owned
  std::vector<TControl*> FWinControls;  // owned
  std::unique_ptr<TWindowHandleTag> FHandle;
  bool FCtl3D = true;
  bool FTabStop = false;
  TBorderStyle FBorderStyle = bsNone;
};

// ---- window functions --------------------------------------------------------------------------

// Scroll bars of a window: SB_HORZ and SB_VERT (SB_BOTH for ShowScrollBar). A window bar is shown
// by the window system when its range can scroll (the page is shorter than the range), hidden
// when it cannot, or kept visible and disabled when SIF_DISABLENOSCROLL asks; positions are
// limited to Min .. Max - Page + 1. The user's actions on a bar reach the control as WM_VSCROLL
// and WM_HSCROLL; the bar's thumb moves only when the control sets a position.
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3;
constexpr UINT SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8, SIF_TRACKPOS = 0x10,
               SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};
// Answers the new position (0 without a window).
int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO* Info, BOOL Redraw);
BOOL GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO* Info);
BOOL ShowScrollBar(HWND Wnd, int Bar, BOOL Show);
// Whether the bar is on the screen, and whether it is shown disabled.
BOOL IsScrollBarShown(HWND Wnd, int Bar, BOOL* Disabled);

// Moves the pixels of the client area (or of Scroll, within Clip) by (DX, DY); with
// SW_INVALIDATE the uncovered part is repainted. Child windows stay where they are.
constexpr UINT SW_INVALIDATE = 0x2, SW_ERASE = 0x4;
int ScrollWindowEx(HWND Wnd, int DX, int DY, const RECT* Scroll, const RECT* Clip, HRGN Update, RECT* UpdateRect,
                   UINT Flags);
// Marks Rect of the client area (client coordinates; nil: all of it) to be painted again from
// the event loop. Erase is accepted for the callers' sake: painting covers the whole rectangle.
BOOL InvalidateRect(HWND Wnd, const RECT* Rect, BOOL Erase);
// Paints what waits to be painted now.
BOOL UpdateWindow(HWND Wnd);
constexpr int SW_HIDE = 0, SW_SHOW = 5;
// Shows or hides a window; for top-level windows (forms and tools that show a control alone).
BOOL ShowWindow(HWND Wnd, int CmdShow);
// Brings a top-level window to the front and gives it the keyboard.
BOOL SetForegroundWindow(HWND Wnd);
// Whether the window is shown (a top-level window the user closed is hidden).
BOOL IsWindowVisible(HWND Wnd);
// Copies what the screen shows in the rectangle at (X, Y) to DC at its origin: the pixels the
// window system holds (PrintWindow paints a window again instead). FALSE when the window
// system gives no screen pixels (the headless one does not).
BOOL CopyScreenRect(int X, int Y, int Width, int Height, HDC DC);
// The screen's own pixels (0x00RRGGBB, rows top down) of the rectangle at (X, Y), Width x Height
// units: on a screen with finer pixels than the program's units there are more pixels than
// units, PixelWidth x PixelHeight of them. Empty when the window system gives no screen pixels.
std::vector<std::uint32_t> GrabScreenPixels(int X, int Y, int Width, int Height, int& PixelWidth, int& PixelHeight);
// Client coordinates of a window to the screen's.
BOOL ClientToScreen(HWND Wnd, TPoint* Point);

// Window timers: WM_TIMER with the id in WParam every Elapse milliseconds until KillTimer. Setting
// an id again re-arms it with the new interval. Answers the id, 0 without a window.
std::uintptr_t SetTimer(HWND Wnd, std::uintptr_t IDEvent, UINT Elapse);
BOOL KillTimer(HWND Wnd, std::uintptr_t IDEvent);
// Whether the window's timer IDEvent is armed.
BOOL IsTimerSet(HWND Wnd, std::uintptr_t IDEvent);

// The system caret: one for the whole program, owned by the window that made it last (making it
// for another window takes it away from the first). CreateCaret makes it hidden, Width x Height;
// SetCaretPos places its top-left corner in the owner's client coordinates; ShowCaret and
// HideCaret of the owner show it blinking and hide it (not counted: one HideCaret hides it);
// DestroyCaret removes it. All answer FALSE without a caret of that window (CreateCaret: without
// a window).
BOOL CreateCaret(HWND Wnd, int Width, int Height);
BOOL DestroyCaret();
BOOL SetCaretPos(int X, int Y);
BOOL GetCaretPos(TPoint* Point);
BOOL ShowCaret(HWND Wnd);
BOOL HideCaret(HWND Wnd);
// The caret's window and rectangle (client coordinates) and whether it is shown now; nil window
// without a caret.
HWND GetCaretWindow(TRect* Rect, bool* Shown);

// The shift state of a key message: Shift and Ctrl from the keyboard state of the message
// (GetKeyState), Alt from KeyData's AltMask or the keyboard state.
TShiftState KeyDataToShiftState(LPARAM KeyData);

// Posted messages: queued for the window and delivered to its control from the event loop, after
// what is being handled now. Data, when given, belongs to the message: the control finds it in
// LParam while it handles the message, and it is freed afterwards, also when the window is
// destroyed with the message still queued. FALSE without a window (Data is then freed at once).
BOOL PostMessage(HWND Wnd, Cardinal Msg, WPARAM WParam, LPARAM LParam);
BOOL PostMessageWithData(HWND Wnd, Cardinal Msg, WPARAM WParam, std::unique_ptr<TObject> Data);
// How many messages with data wait in the queues now (for tests of their lifetime).
int PostedMessageDataCount();
// Milliseconds on a clock that never goes back, from 1: the time of the message being handled.
DWORD GetMessageTime();
// Screen coordinates to a window's client coordinates.
BOOL ScreenToClient(HWND Wnd, TPoint* Point);

// Runs the window system's pending events (input, painting, timers) for up to MaxMilliseconds,
// or once when 0; for tools and tests that drive windows without an event loop of their own.
void ProcessMessages(int MaxMilliseconds = 0);
// Waits until the window system has events and runs them: a program's event loop.
void WaitMessage();

// A control without a window of its own, painted by its parent on the parent's context.
class TGraphicControl : public TControl {
  TAVRELO_PERSISTENT(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* GetCanvas() { return FCanvas.get(); }
  void Dispatch(TMessage& Message) override;

 protected:
  // Draws on Canvas, in the control's coordinates.
  virtual void Paint() {}

 private:
  std::unique_ptr<TCanvas> FCanvas;
};

// A windowed control that draws its content on Canvas in Paint.
class TCustomControl : public TWinControl {
  TAVRELO_PERSISTENT(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* GetCanvas() { return FCanvas.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

 private:
  std::unique_ptr<TCanvas> FCanvas;
};

// Moves DC's window origin so that (0, 0) falls at the current (DX, DY).
void MoveWindowOrg(HDC DC, int DX, int DY);

// Paints Control through WM_PAINT on DC with its top-left at (X, Y), clipped to its size; with Copy,
// as a copy (csPaintCopy) for that time. DC and the control's state are restored however the
// painting ends. False when DC cannot save its state, and nothing is painted.
bool PaintControlAt(TControl* Control, HDC DC, int X, int Y, bool Copy);

// Paints a control's face: Rect filled with Color when Opaque, then Caption in Font over it, aligned
// as Alignment says, with the further DrawText Format flags.
void PaintControlFace(TCanvas& Canvas, TRect Rect, bool Opaque, TColor Color, TFont& Font, const UnicodeString& Caption,
                      TAlignment Alignment, UINT Format);
