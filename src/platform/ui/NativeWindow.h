// Inside the platform only: the toolkit widgets behind a window handle.
//
// A window is a frame widget (drawn by the toolkit's style when the control asks for a client
// edge or a border) that holds the client area, the two scroll bars and the square between them.
// The client area shows what the control paints, parents the windows of child controls and
// turns the window system's input into the control's messages.
#pragma once

#include <QFrame>
#include <QPointer>
#include <QScrollBar>
#include <map>
#include <memory>

#include "platform/graphics/DeviceContext.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Imm.h"

class TNativeWindow;
class QLabel;

// The input-method state of a window (Imm.cpp): the composition under way, the result being
// announced, and the composition window (where and in which font the composition shows).
struct TInputContext {
  TNativeWindow* Window = nullptr;
  bool Composing = false;
  UnicodeString Composition, Result;
  COMPOSITIONFORM Form;
  LOGFONTW Font;
  bool FontSet = false;
  QPointer<QLabel> Overlay;  // shows the composition; a child of the client area
};

// The MK_ flags of mouse messages for buttons and modifiers held.
WPARAM MouseKeyFlags(Qt::MouseButtons b, Qt::KeyboardModifiers m);

class TClientArea : public QWidget {
 public:
  explicit TClientArea(TNativeWindow* owner);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  // Drops reach the window's registered drop target (DragDrop.cpp).
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dragLeaveEvent(QDragLeaveEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  // The input method's composition and results become the IME messages of the control (Imm.cpp).
  void inputMethodEvent(QInputMethodEvent* e) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 private:
  void MouseButton(QMouseEvent* e, Cardinal down, bool dbl);
  // Sends a typed character: WM_SYSCHAR while Alt is held, else WM_CHAR; a code point outside the
  // basic plane as one WM_UNICHAR to a control that takes them, else as its two units.
  void SendCharacter(char32_t Code, bool Alt);
  TNativeWindow* FOwner;
  QPointF FPanStart;
  // The keypad digits typed while Alt is held (the window system's character-by-code entry);
  // empty when none.
  QString FAltDigits;
};

// A window's scroll bar: the toolkit's bar whose actions become WM_VSCROLL / WM_HSCROLL.
class TWindowScrollBar : public QScrollBar {
 public:
  TWindowScrollBar(TNativeWindow* owner, int bar);

 protected:
  // The wheel over a bar scrolls the window, as over its client area.
  void wheelEvent(QWheelEvent* e) override;

 private:
  void Action(int action);
  void Released();
  TNativeWindow* FOwner;
  int FBar;
};

class TNativeWindow : public QFrame {
 public:
  TNativeWindow(TWinControl* control, QWidget* parent, const TCreateParams& params);
  ~TNativeWindow() override;

  TWinControl* Control() const { return FControl; }
  TClientArea* Client() const { return FClient; }
  const TCreateParams& Params() const { return FParams; }
  // Whether the window system draws frame or scroll bars (the control then paints its client only).
  bool HasFrame() const;

  struct TBarState {
    int Min = 0, Max = 100;
    UINT Page = 0;
    int Pos = 0;
    bool Shown = false, Disabled = false;
  };
  TBarState& BarState(int bar) { return FBars[bar]; }
  TWindowScrollBar* Bar(int bar) const { return FBarWidgets[bar]; }
  // Gives the bar widget the state (range, page, position, enabled) and places everything again.
  void ApplyBar(int bar);
  // Places the client area, the bars and the corner inside the frame; a changed client size is
  // told to the control (WM_SIZE).
  void Relayout();

  std::uintptr_t SetTimer(std::uintptr_t id, UINT elapse);
  bool KillTimer(std::uintptr_t id);
  bool HasTimer(std::uintptr_t id) const { return FTimers.count(id) != 0; }

  // Sends a message to the control, safely: nothing once the window is gone.
  LRESULT Send(Cardinal msg, WPARAM w, LPARAM l);

  // The drop target the window is registered with (DragDrop.cpp); null when none.
  std::shared_ptr<IDropTarget> DropTarget;
  // The input-method state of the window, made on first use (Imm.cpp).
  TInputContext& InputContext();

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  bool event(QEvent* e) override;

 private:
  TWinControl* FControl;
  TCreateParams FParams;
  TClientArea* FClient;
  TWindowScrollBar* FBarWidgets[2];
  QWidget* FCorner;
  TBarState FBars[2];
  QSize FClientSize{-1, -1};
  std::map<std::uintptr_t, int> FTimers;  // our id -> the toolkit's timer id
  std::unique_ptr<TInputContext> FInputContext;
};

struct TWindowHandleTag {
  std::unique_ptr<TNativeWindow> Widget;
};

// The widget of a handle made by a windowed control; null for a null handle.
QWidget* NativeWidgetOf(HWND handle);
// The client area of a handle: where the control paints and child windows live.
QWidget* NativeClientOf(HWND handle);
