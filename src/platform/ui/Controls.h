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

class TWinControl;

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

  TControlState FControlState;
  TControlStyle FControlStyle;

 private:
  friend class TWinControl;
  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  UnicodeString FText;
};

struct TWindowHandleTag;  // the native window behind a handle (Controls.cpp)

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

  bool GetCtl3D() const { return FCtl3D; }
  void SetCtl3D(bool v);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  // Width of the border on each side: 2 for a 3-D single border, 1 for a flat one.
  int GetBorderSize() const;
  TRect GetClientRect() const override;

  void Dispatch(TMessage& Message) override;
  void Invalidate() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // The native window asks for its picture: border, background, content and graphic children.
  void PaintNative(HDC DC);

 protected:
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
  void PaintSelf(HDC DC);  // border and what WM_ERASEBKGND and WM_PAINT draw
  void UpdateNativeVisibility();

  std::vector<TControl*> FControls;     // owned
  std::vector<TControl*> FWinControls;  // owned
  std::unique_ptr<TWindowHandleTag> FHandle;
  bool FCtl3D = true;
  TBorderStyle FBorderStyle = bsNone;
};

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
