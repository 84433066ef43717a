#include "platform/ui/NativeWindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QPointer>
#include <QToolTip>
#include <atomic>
#include <QElapsedTimer>
#include <QGestureEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPanGesture>
#include <QScreen>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

#include "platform/base/NLS.h"
#include "platform/ui/GuiSession.h"
#include "platform/ui/QtCursors.h"

WPARAM MouseKeyFlags(Qt::MouseButtons b, Qt::KeyboardModifiers m) {
  WPARAM f = 0;
  if (b.testFlag(Qt::LeftButton)) f |= MK_LBUTTON;
  if (b.testFlag(Qt::RightButton)) f |= MK_RBUTTON;
  if (b.testFlag(Qt::MiddleButton)) f |= MK_MBUTTON;
  if (m.testFlag(Qt::ShiftModifier)) f |= MK_SHIFT;
  if (m.testFlag(Qt::ControlModifier)) f |= MK_CONTROL;
  return f;
}

namespace {

LPARAM PointParam(QPointF p) { return MakeLParam(static_cast<int>(p.x()), static_cast<int>(p.y())); }

// The virtual-key code of a toolkit key; 0 for keys without one. Keypad digits (the toolkit marks
// keypad keys) are the keypad's own codes, as with Num Lock on.
int VirtualKeyOf(int key, bool keypad) {
  if (keypad) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return VK_NUMPAD0 + (key - Qt::Key_0);
    switch (key) {
      case Qt::Key_Asterisk: return VK_MULTIPLY;
      case Qt::Key_Plus: return VK_ADD;
      case Qt::Key_Minus: return VK_SUBTRACT;
      case Qt::Key_Period:
      case Qt::Key_Comma: return VK_DECIMAL;
      case Qt::Key_Slash: return VK_DIVIDE;
      default: break;
    }
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Meta:
    case Qt::Key_Super_L: return VK_LWIN;
    case Qt::Key_Super_R: return VK_RWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    case Qt::Key_Back: return VK_BROWSER_BACK;
    case Qt::Key_Forward: return VK_BROWSER_FORWARD;
    case Qt::Key_Refresh: return VK_BROWSER_REFRESH;
    case Qt::Key_Stop: return VK_BROWSER_STOP;
    case Qt::Key_Search: return VK_BROWSER_SEARCH;
    case Qt::Key_Favorites: return VK_BROWSER_FAVORITES;
    case Qt::Key_HomePage: return VK_BROWSER_HOME;
    case Qt::Key_VolumeMute: return VK_VOLUME_MUTE;
    case Qt::Key_VolumeDown: return VK_VOLUME_DOWN;
    case Qt::Key_VolumeUp: return VK_VOLUME_UP;
    case Qt::Key_MediaNext: return VK_MEDIA_NEXT_TRACK;
    case Qt::Key_MediaPrevious: return VK_MEDIA_PREV_TRACK;
    case Qt::Key_MediaStop: return VK_MEDIA_STOP;
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause:
    case Qt::Key_MediaPause: return VK_MEDIA_PLAY_PAUSE;
    case Qt::Key_LaunchMail: return VK_LAUNCH_MAIL;
    case Qt::Key_LaunchMedia: return VK_LAUNCH_MEDIA_SELECT;
    case Qt::Key_Launch0: return VK_LAUNCH_APP1;
    case Qt::Key_Launch1: return VK_LAUNCH_APP2;
    default: return 0;
  }
}

// The keyboard state the key messages of e see: the modifiers of the event, with the event's own
// modifier key down on a press and up on a release (the window system reports the state from
// before the event), and the key itself.
void SetKeyboardStateOf(const QKeyEvent* e, int vk, bool press) {
  BYTE state[256];
  GetKeyboardState(state);
  const Qt::KeyboardModifiers m = e->modifiers();
  auto set = [&](int key, bool down) { state[key] = static_cast<BYTE>((state[key] & 0x01) | (down ? 0x80 : 0)); };
  auto modifier = [&](int key, Qt::KeyboardModifier flag) {
    const bool down = vk == key ? press : m.testFlag(flag);
    set(key, down);
  };
  modifier(VK_SHIFT, Qt::ShiftModifier);
  modifier(VK_CONTROL, Qt::ControlModifier);
  modifier(VK_MENU, Qt::AltModifier);
  if (vk && vk != VK_SHIFT && vk != VK_CONTROL && vk != VK_MENU) {
    // A toggle key flips its low bit on each press, as the window system counts it.
    if (press && !e->isAutoRepeat() && (vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL)) state[vk] ^= 0x01;
    set(vk, press);
  }
  SetKeyboardState(state);
}

// The character the window system makes of a keypad code typed with Alt: a code with a leading 0
// is a character of the ANSI code page, any other one of the OEM code page; both by the code's
// last byte. 0 when there is none.
char16_t CharOfAltCode(const QString& digits) {
  unsigned code = 0;
  for (const QChar d : digits) code = (code * 10 + static_cast<unsigned>(d.unicode() - '0')) & 0xFF;
  if (code == 0) return 0;
  const char byte = static_cast<char>(code);
  UnicodeString text;
  if (!CodePageToUnicode(digits.startsWith(u'0') ? CP_ACP : CP_OEMCP, 0, std::string_view(&byte, 1), text) ||
      text.size() != 1)
    return 0;
  return text[0];
}

}  // namespace

// ---- client area ----------------------------------------------------------------------------------

TClientArea::TClientArea(TNativeWindow* owner) : QWidget(owner), FOwner(owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_InputMethodEnabled);
  setMouseTracking(true);
}

bool TClientArea::event(QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    // Tab moves the focus unless the control wants it (WM_GETDLGCODE).
    auto* k = static_cast<QKeyEvent*>(e);
    if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
        (FOwner->Send(WM_GETDLGCODE, 0, 0) & (DLGC_WANTTAB | DLGC_WANTALLKEYS))) {
      keyPressEvent(k);
      return true;
    }
  }
  if (e->type() == QEvent::Gesture) {
    auto* g = static_cast<QGestureEvent*>(e);
    if (auto* pan = static_cast<QPanGesture*>(g->gesture(Qt::PanGesture))) {
      TGestureEventInfo info;
      info.GestureID = igiPan;
      if (pan->state() == Qt::GestureStarted) {
        info.Flags.Include(gfBegin);
        FPanStart = mapFromGlobal(pan->hotSpot());
      }
      if (pan->state() == Qt::GestureFinished || pan->state() == Qt::GestureCanceled) info.Flags.Include(gfEnd);
      const QPointF at = FPanStart + pan->offset();
      info.Location = TPoint(static_cast<int>(at.x()), static_cast<int>(at.y()));
      if (FOwner->Send(WM_GESTURE, 0, reinterpret_cast<LPARAM>(&info))) g->accept(pan);
      return true;
    }
  }
  if (e->type() == QEvent::ToolTip && FOwner->Control()) {
    auto* h = static_cast<QHelpEvent*>(e);
    TWinControl* c = FOwner->Control();
    THintInfo info;
    info.HintControl = c;
    info.CursorPos = TPoint(h->pos().x(), h->pos().y());
    info.HintStr = c->GetHint();
    QPointer<TClientArea> self(this);
    const bool refused = FOwner->Send(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    if (!self) return true;
    if (refused || !c->GetShowHint() || info.HintStr.empty())
      QToolTip::hideText();
    else
      QToolTip::showText(h->globalPos(), QString::fromUtf16(info.HintStr.data(), info.HintStr.size()), this);
    return true;
  }
  return QWidget::event(e);
}

void TClientArea::enterEvent(QEnterEvent*) { FOwner->Send(CM_MOUSEENTER, 0, 0); }

void TClientArea::leaveEvent(QEvent*) { FOwner->Send(CM_MOUSELEAVE, 0, 0); }

void TClientArea::contextMenuEvent(QContextMenuEvent* e) {
  // From the keyboard both coordinates are -1, as the window system reports it.
  LPARAM l = MakeLParam(-1, -1);
  if (e->reason() != QContextMenuEvent::Keyboard) {
    const QPoint g = e->globalPos();
    l = MakeLParam(g.x(), g.y());
  }
  FOwner->Send(WM_CONTEXTMENU, 0, l);
}

void TClientArea::paintEvent(QPaintEvent* e) {
  // The control paints the part asked for into an off-screen bitmap of the device layer, with
  // the origin moved so that it draws in its own client coordinates. On a screen with finer
  // pixels than the program's units the bitmap has the screen's pixels, so that text and
  // pictures are drawn at the screen's resolution, not enlarged afterwards.
  const QRect r = e->rect().intersected(rect());
  if (r.isEmpty() || !FOwner->Control()) return;
  const double ratio = std::clamp(devicePixelRatioF(), 1.0, 16.0);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = dc ? CreateScaledBitmap(r.width(), r.height(), ratio) : nullptr;
  if (bmp) {
    HGDIOBJ old = SelectObject(dc, bmp);
    SetWindowOrgEx(dc, r.x(), r.y(), nullptr);
    IntersectClipRect(dc, r.x(), r.y(), r.right() + 1, r.bottom() + 1);
    try {
      FOwner->Control()->PaintNative(dc);
    } catch (...) {
      // An event handler must not let a failure into the event loop; what was drawn stays.
    }
    SelectObject(dc, old);
    GdiFlush();
    BITMAP info{};
    if (const BYTE* bits = GetBitmapScanLine(bmp, 0); bits && GetObjectW(bmp, sizeof info, &info)) {
      QImage image(bits, info.bmWidth, info.bmHeight, GetBitmapStride(bmp), QImage::Format_RGB32);
      image.setDevicePixelRatio(ratio);
      QPainter(this).drawImage(r.topLeft(), image);
    }
    DeleteObject(bmp);
  }
  if (dc) DeleteDC(dc);
}

void TClientArea::MouseButton(QMouseEvent* e, Cardinal down, bool dbl) {
  Cardinal msg = 0;
  switch (e->button()) {
    case Qt::LeftButton: msg = WM_LBUTTONDOWN; break;
    case Qt::RightButton: msg = WM_RBUTTONDOWN; break;
    case Qt::MiddleButton: msg = WM_MBUTTONDOWN; break;
    default: return;
  }
  // Down, up and double-click messages keep the documented distances from the button's first.
  if (down == 1) msg += 1;
  else if (dbl) msg += 2;
  FOwner->Send(msg, MouseKeyFlags(e->buttons(), e->modifiers()), PointParam(e->position()));
}

void TClientArea::mousePressEvent(QMouseEvent* e) { MouseButton(e, 0, false); }
void TClientArea::mouseDoubleClickEvent(QMouseEvent* e) { MouseButton(e, 0, true); }
void TClientArea::mouseReleaseEvent(QMouseEvent* e) { MouseButton(e, 1, false); }

void TClientArea::mouseMoveEvent(QMouseEvent* e) {
  FOwner->Send(WM_MOUSEMOVE, MouseKeyFlags(e->buttons(), e->modifiers()), PointParam(e->position()));
}

void TClientArea::wheelEvent(QWheelEvent* e) {
  const QPoint d = e->angleDelta();
  const bool horz = d.x() != 0 && d.y() == 0;
  const int delta = horz ? d.x() : d.y();
  const QPointF g = e->globalPosition();
  const LRESULT handled =
      FOwner->Send(horz ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL,
                   MakeWParam(static_cast<int>(MouseKeyFlags(e->buttons(), e->modifiers())), delta), PointParam(g));
  if (!handled) e->ignore();
}

void TClientArea::keyPressEvent(QKeyEvent* e) {
  const bool keypad = e->modifiers().testFlag(Qt::KeypadModifier);
  const int vk = VirtualKeyOf(e->key(), keypad);
  const bool alt = e->modifiers().testFlag(Qt::AltModifier) && vk != VK_MENU;
  SetKeyboardStateOf(e, vk, true);
  const LPARAM data = alt ? AltMask : 0;
  // Keypad digits with Alt spell a character by its code: no character of their own.
  const bool altDigit = alt && vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9 && !e->modifiers().testFlag(Qt::ControlModifier);
  if (altDigit)
    FAltDigits += QChar(u'0' + (vk - VK_NUMPAD0));
  else if (vk != VK_MENU)
    FAltDigits.clear();
  QPointer<TClientArea> alive(this);
  if (vk) FOwner->Send(WM_KEYDOWN, static_cast<WPARAM>(vk), data);
  if (altDigit || !alive) return;
  const bool ctrl = e->modifiers().testFlag(Qt::ControlModifier);
  const QString text = e->text();
  for (qsizetype i = 0; i < text.size() && alive; ++i) {
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
      c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
      ++i;
    }
    // The control characters that keys give are Enter, Backspace, Escape and Tab (not with Ctrl:
    // Ctrl+Tab gives no character).
    const bool wanted = c >= 0x20 || c == '\r' || c == '\b' || c == 0x1B || (c == '\t' && !ctrl);
    if (wanted) SendCharacter(c, alt);
  }
}

void TClientArea::SendCharacter(char32_t Code, bool Alt) {
  QPointer<TClientArea> alive(this);
  SendTypedCharacter(Code, Alt,
                     [&](Cardinal Msg, WPARAM W, LPARAM L) -> LRESULT { return alive ? FOwner->Send(Msg, W, L) : 0; });
}

void TClientArea::keyReleaseEvent(QKeyEvent* e) {
  const int vk = VirtualKeyOf(e->key(), e->modifiers().testFlag(Qt::KeypadModifier));
  SetKeyboardStateOf(e, vk, false);
  QPointer<TClientArea> alive(this);
  if (vk) FOwner->Send(WM_KEYUP, static_cast<WPARAM>(vk), 0);
  // Releasing Alt ends a code typed on the keypad: its character comes now.
  if (vk == VK_MENU && alive && !FAltDigits.isEmpty()) {
    const char16_t c = CharOfAltCode(FAltDigits);
    FAltDigits.clear();
    if (c) FOwner->Send(WM_CHAR, c, 0);
  }
}

void TClientArea::focusInEvent(QFocusEvent*) { FOwner->Send(WM_SETFOCUS, 0, 0); }
void TClientArea::focusOutEvent(QFocusEvent*) {
  // Alt may be let go elsewhere: a code typed on the keypad ends with the focus.
  FAltDigits.clear();
  FOwner->Send(WM_KILLFOCUS, 0, 0);
}

// ---- scroll bars ----------------------------------------------------------------------------------

TWindowScrollBar::TWindowScrollBar(TNativeWindow* owner, int bar)
    : QScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal, owner), FOwner(owner), FBar(bar) {
  setFocusPolicy(Qt::NoFocus);
  setTracking(false);
  setSingleStep(1);
  connect(this, &QAbstractSlider::actionTriggered, this, [this](int a) { Action(a); });
  connect(this, &QAbstractSlider::sliderReleased, this, [this] { Released(); });
}

void TWindowScrollBar::wheelEvent(QWheelEvent* e) { QApplication::sendEvent(FOwner->Client(), e); }

void TWindowScrollBar::Action(int action) {
  int code;
  switch (action) {
    case SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case SliderSingleStepSub: code = SB_LINEUP; break;
    case SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case SliderPageStepSub: code = SB_PAGEUP; break;
    case SliderToMinimum: code = SB_TOP; break;
    case SliderToMaximum: code = SB_BOTTOM; break;
    case SliderMove:
      if (isSliderDown()) {
        code = SB_THUMBTRACK;
        break;
      }
      // The thumb was let go away from the position: Released told the control already.
      setSliderPosition(FOwner->BarState(FBar).Pos);
      return;
    default: return;
  }
  QPointer<TWindowScrollBar> self(this);
  const int track = sliderPosition();
  FOwner->Send(FBar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MakeWParam(code, code == SB_THUMBTRACK ? track : 0), 0);
  if (!self) return;
  // The bar moves only where the control puts it; a dragged thumb stays under the pointer.
  if (code != SB_THUMBTRACK) setSliderPosition(FOwner->BarState(FBar).Pos);
}

void TWindowScrollBar::Released() {
  QPointer<TWindowScrollBar> self(this);
  const Cardinal msg = FBar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
  FOwner->Send(msg, MakeWParam(SB_THUMBPOSITION, sliderPosition()), 0);
  if (self) FOwner->Send(msg, MakeWParam(SB_ENDSCROLL, 0), 0);
}

// ---- the window -----------------------------------------------------------------------------------

TNativeWindow::TNativeWindow(TWinControl* control, QWidget* parent, const TCreateParams& params)
    : QFrame(parent), FControl(control), FParams(params) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  if (params.ExStyle & WS_EX_CLIENTEDGE) setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  else if (params.Style & WS_BORDER) setFrameStyle(QFrame::Box | QFrame::Plain);
  else setFrameStyle(QFrame::NoFrame);
  FClient = new TClientArea(this);
  setFocusProxy(FClient);
  FBarWidgets[SB_HORZ] = new TWindowScrollBar(this, SB_HORZ);
  FBarWidgets[SB_VERT] = new TWindowScrollBar(this, SB_VERT);
  FBars[SB_HORZ].Shown = (params.Style & WS_HSCROLL) != 0;
  FBars[SB_VERT].Shown = (params.Style & WS_VSCROLL) != 0;
  FCorner = new QWidget(this);
  FCorner->setAutoFillBackground(true);
  QPalette pal = FCorner->palette();
  const COLORREF face = static_cast<COLORREF>(ColorToRGB(clBtnFace));
  pal.setColor(QPalette::Window, QColor(face & 0xFF, (face >> 8) & 0xFF, (face >> 16) & 0xFF));
  FCorner->setPalette(pal);
  ApplyBar(SB_HORZ);
  ApplyBar(SB_VERT);
}

TNativeWindow::~TNativeWindow() {
  for (const auto& [id, qtId] : FTimers) killTimer(qtId);
  DropTarget.reset();
  // Focus and other events while the widgets go no longer reach the control.
  FControl = nullptr;
  // The client area goes while this object is still a window: a focused one loses the focus on
  // its way out and tells Send, which must not be called on what is left of a destroyed window.
  delete FClient;
  FClient = nullptr;
}

bool TNativeWindow::HasFrame() const {
  return (FParams.ExStyle & WS_EX_CLIENTEDGE) || (FParams.Style & (WS_BORDER | WS_VSCROLL | WS_HSCROLL));
}

LRESULT TNativeWindow::Send(Cardinal msg, WPARAM w, LPARAM l) {
  // A handler may destroy the window (and the control); nothing of this object is touched after.
  if (!FControl) return 0;
  try {
    return FControl->Perform(msg, w, l);
  } catch (...) {
    // Input handlers must not let a failure into the event loop.
    return 0;
  }
}

void TNativeWindow::ApplyBar(int bar) {
  TBarState& s = FBars[bar];
  TWindowScrollBar* b = FBarWidgets[bar];
  const QSignalBlocker block(b);
  const int page = static_cast<int>(s.Page);
  b->setRange(s.Min, std::max(s.Min, s.Max - std::max(page - 1, 0)));
  b->setPageStep(std::max(1, page));
  b->setValue(s.Pos);
  b->setEnabled(!s.Disabled);
  Relayout();
}

void TNativeWindow::Relayout() {
  const QRect cr = contentsRect();
  const int ext = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const bool v = FBars[SB_VERT].Shown, h = FBars[SB_HORZ].Shown;
  const bool left = (FParams.ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
  const int cw = std::max(0, cr.width() - (v ? ext : 0));
  const int ch = std::max(0, cr.height() - (h ? ext : 0));
  const int cx = cr.x() + (left && v ? ext : 0);
  const int vx = left ? cr.x() : cr.x() + cw;
  FClient->setGeometry(cx, cr.y(), cw, ch);
  FBarWidgets[SB_VERT]->setGeometry(vx, cr.y(), ext, ch);
  FBarWidgets[SB_VERT]->setVisible(v);
  FBarWidgets[SB_HORZ]->setGeometry(cx, cr.y() + ch, cw, ext);
  FBarWidgets[SB_HORZ]->setVisible(h);
  FCorner->setGeometry(vx, cr.y() + ch, ext, ext);
  FCorner->setVisible(v && h);
  const QSize size(cw, ch);
  if (size != FClientSize) {
    const bool first = FClientSize.width() < 0;
    FClientSize = size;
    if (!first) Send(WM_SIZE, 0, MakeLParam(cw, ch));
  }
}

void TNativeWindow::resizeEvent(QResizeEvent* e) {
  QFrame::resizeEvent(e);
  if (!parentWidget() && FControl) FControl->WindowResized(width(), height());
  Relayout();
}

std::uintptr_t TNativeWindow::SetTimer(std::uintptr_t id, UINT elapse) {
  KillTimer(id);
  const int qtId = startTimer(static_cast<int>(std::min<UINT>(elapse, 0x7FFFFFFF)));
  if (!qtId) return 0;
  FTimers[id] = qtId;
  return id;
}

bool TNativeWindow::KillTimer(std::uintptr_t id) {
  const auto it = FTimers.find(id);
  if (it == FTimers.end()) return false;
  killTimer(it->second);
  FTimers.erase(it);
  return true;
}

void TNativeWindow::timerEvent(QTimerEvent* e) {
  for (const auto& [id, qtId] : FTimers)
    if (qtId == e->timerId()) {
      Send(WM_TIMER, id, 0);
      return;
    }
}

// ---- posted messages ------------------------------------------------------------------------------

namespace {

std::atomic<int> PostedDataCount{0};

const QEvent::Type PostedMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// A message waiting in the toolkit's queue for a window. It owns its data, so the data goes with
// the event however the event ends: handled, or dropped with the window it was posted to.
class TPostedMessageEvent : public QEvent {
 public:
  TPostedMessageEvent(Cardinal msg, WPARAM w, LPARAM l, std::unique_ptr<TObject> data)
      : QEvent(PostedMessageEvent), Msg(msg), WParam(w), LParam(l), Data(std::move(data)) {
    if (Data) ++PostedDataCount;
  }
  ~TPostedMessageEvent() override {
    if (Data) --PostedDataCount;
  }
  Cardinal Msg;
  WPARAM WParam;
  LPARAM LParam;
  std::unique_ptr<TObject> Data;
};

QElapsedTimer& MessageClock() {
  static QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return clock;
}

}  // namespace

bool TNativeWindow::event(QEvent* e) {
  if (e->type() == PostedMessageEvent) {
    auto* m = static_cast<TPostedMessageEvent*>(e);
    const LPARAM l = m->Data ? reinterpret_cast<LPARAM>(m->Data.get()) : m->LParam;
    Send(m->Msg, m->WParam, l);
    return true;
  }
  return QFrame::event(e);
}

BOOL PostMessage(HWND Wnd, Cardinal Msg, WPARAM WParam, LPARAM LParam) {
  QWidget* w = NativeWidgetOf(Wnd);
  if (!w) return FALSE;
  QCoreApplication::postEvent(w, new TPostedMessageEvent(Msg, WParam, LParam, nullptr));
  return TRUE;
}

BOOL PostMessageWithData(HWND Wnd, Cardinal Msg, WPARAM WParam, std::unique_ptr<TObject> Data) {
  QWidget* w = NativeWidgetOf(Wnd);
  if (!w) return FALSE;
  QCoreApplication::postEvent(w, new TPostedMessageEvent(Msg, WParam, 0, std::move(Data)));
  return TRUE;
}

int PostedMessageDataCount() { return PostedDataCount.load(); }

DWORD GetMessageTime() { return static_cast<DWORD>(MessageClock().elapsed() + 1); }

BOOL ScreenToClient(HWND Wnd, TPoint* Point) {
  QWidget* c = NativeClientOf(Wnd);
  if (!c || !Point) return FALSE;
  const QPoint p = c->mapFromGlobal(QPoint(Point->X, Point->Y));
  Point->X = p.x();
  Point->Y = p.y();
  return TRUE;
}

QWidget* NativeWidgetOf(HWND handle) { return handle ? handle->Widget.get() : nullptr; }
QWidget* NativeClientOf(HWND handle) { return handle ? handle->Widget->Client() : nullptr; }

// ---- window functions -----------------------------------------------------------------------------

namespace {
TNativeWindow* WindowOf(HWND wnd) { return wnd ? wnd->Widget.get() : nullptr; }
}  // namespace

int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO* Info, BOOL) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w || !Info || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
  TNativeWindow::TBarState& s = w->BarState(Bar);
  if (Info->fMask & SIF_RANGE) {
    s.Min = Info->nMin;
    s.Max = std::max(Info->nMin, Info->nMax);
  }
  if (Info->fMask & SIF_PAGE) s.Page = Info->nPage;
  const long long range = static_cast<long long>(s.Max) - s.Min + 1;
  if (static_cast<long long>(s.Page) > range) s.Page = static_cast<UINT>(range);
  if (Info->fMask & SIF_POS) s.Pos = Info->nPos;
  const int page = static_cast<int>(s.Page);
  s.Pos = std::clamp(s.Pos, s.Min, std::max(s.Min, s.Max - std::max(page - 1, 0)));
  if (Info->fMask & (SIF_RANGE | SIF_PAGE)) {
    const bool scrollable = s.Max > s.Min && static_cast<long long>(s.Page) < range;
    if (scrollable) {
      s.Shown = true;
      s.Disabled = false;
    } else if (Info->fMask & SIF_DISABLENOSCROLL) {
      s.Shown = true;
      s.Disabled = true;
    } else {
      s.Shown = false;
    }
  }
  w->ApplyBar(Bar);
  return s.Pos;
}

BOOL GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO* Info) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w || !Info || (Bar != SB_HORZ && Bar != SB_VERT)) return FALSE;
  const TNativeWindow::TBarState& s = w->BarState(Bar);
  if (Info->fMask & SIF_RANGE) {
    Info->nMin = s.Min;
    Info->nMax = s.Max;
  }
  if (Info->fMask & SIF_PAGE) Info->nPage = s.Page;
  if (Info->fMask & SIF_POS) Info->nPos = s.Pos;
  if (Info->fMask & SIF_TRACKPOS) Info->nTrackPos = w->Bar(Bar)->isSliderDown() ? w->Bar(Bar)->sliderPosition() : s.Pos;
  return TRUE;
}

BOOL ShowScrollBar(HWND Wnd, int Bar, BOOL Show) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w) return FALSE;
  for (int b : {SB_HORZ, SB_VERT})
    if (Bar == b || Bar == SB_BOTH) w->BarState(b).Shown = Show != 0;
  w->Relayout();
  return TRUE;
}

BOOL IsScrollBarShown(HWND Wnd, int Bar, BOOL* Disabled) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w || (Bar != SB_HORZ && Bar != SB_VERT)) return FALSE;
  if (Disabled) *Disabled = w->BarState(Bar).Disabled;
  return w->BarState(Bar).Shown;
}

int ScrollWindowEx(HWND Wnd, int DX, int DY, const RECT* Scroll, const RECT* Clip, HRGN, RECT* UpdateRect, UINT) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w) return 0;
  QWidget* c = w->Client();
  QRect r = c->rect();
  if (Scroll) r &= QRect(Scroll->Left, Scroll->Top, Scroll->Width(), Scroll->Height());
  if (Clip) r &= QRect(Clip->Left, Clip->Top, Clip->Width(), Clip->Height());
  if (UpdateRect) *UpdateRect = RECT(0, 0, 0, 0);
  if (r.isEmpty()) return 1;
  // With a rectangle the toolkit moves the pixels only, never the child windows.
  c->scroll(DX, DY, r);
  return 2;
}

BOOL InvalidateRect(HWND Wnd, const RECT* Rect, BOOL /*Erase*/) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w) return FALSE;
  if (!Rect)
    w->Client()->update();
  else if (Rect->Right > Rect->Left && Rect->Bottom > Rect->Top)
    w->Client()->update(QRect(Rect->Left, Rect->Top, Rect->Right - Rect->Left, Rect->Bottom - Rect->Top));
  return TRUE;
}

BOOL UpdateWindow(HWND Wnd) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w) return FALSE;
  // The toolkit gathers what waits to be painted in the top-level window's update request.
  QCoreApplication::sendPostedEvents(w->window(), QEvent::UpdateRequest);
  return TRUE;
}

BOOL ShowWindow(HWND Wnd, int CmdShow) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w) return FALSE;
  const bool was = w->isVisible();
  w->setVisible(CmdShow != SW_HIDE);
  return was;
}

BOOL IsWindowVisible(HWND Wnd) {
  TNativeWindow* w = WindowOf(Wnd);
  return w && w->isVisible() ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND Wnd) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w) return FALSE;
  w->window()->raise();
  w->window()->activateWindow();
  return TRUE;
}

BOOL CopyScreenRect(int X, int Y, int Width, int Height, HDC DC) {
  if (!GuiSessionRunning() || !DC || Width <= 0 || Height <= 0) return FALSE;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return FALSE;
  const QImage image = screen->grabWindow(0, X, Y, Width, Height).toImage().convertToFormat(QImage::Format_RGB32);
  if (image.isNull() || image.width() != Width || image.height() != Height) return FALSE;
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = Width;
  bi.bmiHeader.biHeight = -Height;
  bi.bmiHeader.biBitCount = 32;
  return SetDIBitsToDevice(DC, 0, 0, static_cast<DWORD>(Width), static_cast<DWORD>(Height), 0, 0, 0,
                           static_cast<UINT>(Height), image.constBits(), &bi, DIB_RGB_COLORS) != 0;
}

std::vector<std::uint32_t> GrabScreenPixels(int X, int Y, int Width, int Height, int& PixelWidth, int& PixelHeight) {
  PixelWidth = PixelHeight = 0;
  QScreen* screen = GuiSessionRunning() ? QGuiApplication::primaryScreen() : nullptr;
  if (!screen || Width <= 0 || Height <= 0) return {};
  const QImage image = screen->grabWindow(0, X, Y, Width, Height).toImage().convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) return {};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(image.width()) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      pixels[static_cast<std::size_t>(y) * image.width() + x] = row[x] & 0xFFFFFFu;
  }
  PixelWidth = image.width();
  PixelHeight = image.height();
  return pixels;
}

BOOL ClientToScreen(HWND Wnd, TPoint* Point) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w || !Point) return FALSE;
  const QPoint p = w->Client()->mapToGlobal(QPoint(Point->X, Point->Y));
  *Point = TPoint(p.x(), p.y());
  return TRUE;
}

std::uintptr_t SetTimer(HWND Wnd, std::uintptr_t IDEvent, UINT Elapse) {
  TNativeWindow* w = WindowOf(Wnd);
  return w ? w->SetTimer(IDEvent, Elapse) : 0;
}

BOOL KillTimer(HWND Wnd, std::uintptr_t IDEvent) {
  TNativeWindow* w = WindowOf(Wnd);
  return w && w->KillTimer(IDEvent);
}

BOOL IsTimerSet(HWND Wnd, std::uintptr_t IDEvent) {
  TNativeWindow* w = WindowOf(Wnd);
  return w && w->HasTimer(IDEvent);
}

// ---- the system caret -----------------------------------------------------------------------------

namespace {

// A bar over the client area, filled with the text colour, that blinks while shown. It lets the
// mouse through so that clicks reach the client area under it.
class TCaretBar : public QWidget {
 public:
  explicit TCaretBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
  }
  void SetShown(bool Value) {
    FShown = Value;
    if (FBlink) {
      killTimer(FBlink);
      FBlink = 0;
    }
    setVisible(Value);
    if (!Value) return;
    raise();
    // The desktop's flash time is a whole on-off period; 0 or less means a caret that does not blink.
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0) FBlink = startTimer(std::max(flash / 2, 50));
  }
  bool Shown() const { return FShown; }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), palette().color(QPalette::Text)); }
  void timerEvent(QTimerEvent* e) override {
    if (e->timerId() == FBlink) setVisible(!isVisible());
  }

 private:
  bool FShown = false;
  int FBlink = 0;
};

struct TSystemCaret {
  HWND Owner = nullptr;
  QPointer<TCaretBar> Bar;
  TRect Rect;
};

TSystemCaret& SystemCaret() {
  static TSystemCaret caret;
  return caret;
}

// The caret of Wnd (any window when Wnd is nil); null when there is none.
TSystemCaret* CaretOf(HWND Wnd) {
  TSystemCaret& c = SystemCaret();
  // The bar goes with its window's client area, so a destroyed window leaves no caret (its
  // handle is then never looked at).
  if (!c.Owner || !c.Bar) return nullptr;
  return !Wnd || c.Owner == Wnd ? &c : nullptr;
}

}  // namespace

BOOL CreateCaret(HWND Wnd, int Width, int Height) {
  TNativeWindow* w = WindowOf(Wnd);
  if (!w || !w->Client()) return FALSE;
  DestroyCaret();
  TSystemCaret& c = SystemCaret();
  c.Owner = Wnd;
  c.Rect = TRect(0, 0, std::max(Width, 0), std::max(Height, 0));
  c.Bar = new TCaretBar(w->Client());  // owned by the client area, or freed by DestroyCaret
  c.Bar->setGeometry(0, 0, c.Rect.Width(), c.Rect.Height());
  return TRUE;
}

BOOL DestroyCaret() {
  TSystemCaret& c = SystemCaret();
  const bool had = CaretOf(nullptr) != nullptr;
  delete c.Bar.data();
  c.Bar = nullptr;
  c.Owner = nullptr;
  return had;
}

BOOL SetCaretPos(int X, int Y) {
  TSystemCaret* c = CaretOf(nullptr);
  if (!c) return FALSE;
  c->Rect = TRect(X, Y, X + c->Rect.Width(), Y + c->Rect.Height());
  c->Bar->move(X, Y);
  return TRUE;
}

BOOL GetCaretPos(TPoint* Point) {
  TSystemCaret* c = CaretOf(nullptr);
  if (!c || !Point) return FALSE;
  *Point = TPoint(c->Rect.Left, c->Rect.Top);
  return TRUE;
}

BOOL ShowCaret(HWND Wnd) {
  TSystemCaret* c = CaretOf(Wnd);
  if (!c) return FALSE;
  c->Bar->SetShown(true);
  return TRUE;
}

BOOL HideCaret(HWND Wnd) {
  TSystemCaret* c = CaretOf(Wnd);
  if (!c) return FALSE;
  c->Bar->SetShown(false);
  return TRUE;
}

HWND GetCaretWindow(TRect* Rect, bool* Shown) {
  TSystemCaret* c = CaretOf(nullptr);
  if (Rect) *Rect = c ? c->Rect : TRect();
  if (Shown) *Shown = c && c->Bar->Shown();
  return c ? c->Owner : nullptr;
}

void WaitMessage() {
  if (GuiSessionRunning()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void ProcessMessages(int MaxMilliseconds) {
  if (!GuiSessionRunning()) return;
  if (MaxMilliseconds <= 0) {
    QCoreApplication::processEvents();
    return;
  }
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < MaxMilliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
