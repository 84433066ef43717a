#include "platform/ui/Controls.h"

#include <QImage>
#include <QWidget>
#include <algorithm>
#include <functional>

#include "platform/ui/GuiSession.h"
#include "platform/ui/NativeWindow.h"
#include "platform/ui/QtCursors.h"
#include "platform/ui/UserDraw.h"

namespace {

// Lends the context to a control's canvas for one painting; the canvas lets go of it however the
// painting ends.
template <typename F>
void PaintOnCanvas(TCanvas& Canvas, HDC DC, F Paint) {
  Canvas.Lock();
  TFinally release([&Canvas] {
    Canvas.SetHandle(nullptr);
    Canvas.Unlock();
  });
  Canvas.SetHandle(DC);
  Paint();
}

}  // namespace

BOOL GetClientRect(HWND wnd, RECT* rect) {
  QWidget* w = NativeWidgetOf(wnd);
  if (!w || !rect) return FALSE;
  *rect = RECT(0, 0, w->width(), w->height());
  return TRUE;
}

BOOL PrintWindow(HWND wnd, HDC dc, UINT) {
  QWidget* w = NativeWidgetOf(wnd);
  if (!w || !dc) return FALSE;
  if (w->width() <= 0 || w->height() <= 0) return TRUE;
  const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) return FALSE;
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = image.width();
  bi.bmiHeader.biHeight = -image.height();
  bi.bmiHeader.biBitCount = 32;
  // 32-bit rows are whole words on both sides, so the image's rows are the bitmap's rows.
  return SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(image.width()), static_cast<DWORD>(image.height()), 0, 0, 0,
                           static_cast<UINT>(image.height()), image.constBits(), &bi, DIB_RGB_COLORS) != 0;
}

void MoveWindowOrg(HDC DC, int DX, int DY) {
  POINT org;
  if (!GetWindowOrgEx(DC, &org)) return;
  SetWindowOrgEx(DC, org.X - DX, org.Y - DY, nullptr);
}

// ---- TControl -----------------------------------------------------------------------------------

const TClassInfo& TControl::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TControl>(u"TControl", &TComponent::StaticClassInfo())
                                     .Integer(u"Left", &TControl::GetLeft, &TControl::SetLeft)
                                     .Integer(u"Top", &TControl::GetTop, &TControl::SetTop)
                                     .Integer(u"Width", &TControl::GetWidth, &TControl::SetWidth)
                                     .Integer(u"Height", &TControl::GetHeight, &TControl::SetHeight)
                                     .Boolean(u"Visible", &TControl::GetVisible, &TControl::SetVisible, true)
                                     .Build();
  return info;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) { Perform(CM_FONTCHANGED, 0, 0); };
}

TControl::~TControl() {
  FFont->OnChange = nullptr;
  if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  for (TControl* p = AParent; p; p = p->FParent)
    if (p == this) throw EInvalidOperation(u"A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* value) {
  if (auto* p = dynamic_cast<TWinControl*>(value)) SetParent(p);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
}

void TControl::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  Perform(CM_VISIBLECHANGED, v ? 1 : 0, 0);
}

void TControl::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetText(const UnicodeString& v) {
  if (v == FText) return;
  FText = v;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetCursor(int v) {
  if (v == FCursor) return;
  FCursor = v;
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    NativeClientOf(w->GetHandle())->setCursor(ScreenCursorToQt(v));
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (!handled) handled = WheelDelta < 0 ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos);
  return handled;
}

void TControl::HandleMouseMessage(TMessage& Message) {
  TShiftState shift;
  if (Message.WParam & MK_SHIFT) shift.Include(ssShift);
  if (Message.WParam & MK_CONTROL) shift.Include(ssCtrl);
  if (GetAsyncKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  if (Message.WParam & MK_LBUTTON) shift.Include(ssLeft);
  if (Message.WParam & MK_RBUTTON) shift.Include(ssRight);
  if (Message.WParam & MK_MBUTTON) shift.Include(ssMiddle);
  const int x = LoWordSigned(static_cast<std::uintptr_t>(Message.LParam));
  const int y = HiWordSigned(static_cast<std::uintptr_t>(Message.LParam));
  switch (Message.Msg) {
    case WM_MOUSEMOVE: MouseMove(shift, x, y); break;
    case WM_LBUTTONDOWN: MouseDown(mbLeft, shift, x, y); break;
    case WM_RBUTTONDOWN: MouseDown(mbRight, shift, x, y); break;
    case WM_MBUTTONDOWN: MouseDown(mbMiddle, shift, x, y); break;
    case WM_LBUTTONDBLCLK:
      DblClick();
      MouseDown(mbLeft, shift.Include(ssDouble), x, y);
      break;
    case WM_RBUTTONDBLCLK: MouseDown(mbRight, shift.Include(ssDouble), x, y); break;
    case WM_MBUTTONDBLCLK: MouseDown(mbMiddle, shift.Include(ssDouble), x, y); break;
    case WM_LBUTTONUP: MouseUp(mbLeft, shift, x, y); break;
    case WM_RBUTTONUP: MouseUp(mbRight, shift, x, y); break;
    case WM_MBUTTONUP: MouseUp(mbMiddle, shift, x, y); break;
    case WM_MOUSEWHEEL: {
      // Deltas add up; every whole notch is one call, and what is left waits for the next turn.
      FWheelAccumulator += HiWordSigned(Message.WParam);
      const TPoint at(x, y);
      bool handled = false;
      while (FWheelAccumulator >= WHEEL_DELTA || FWheelAccumulator <= -WHEEL_DELTA) {
        const int notch = FWheelAccumulator > 0 ? WHEEL_DELTA : -WHEEL_DELTA;
        FWheelAccumulator -= notch;
        if (DoMouseWheel(shift, notch, at)) handled = true;
      }
      Message.Result = handled ? 1 : 0;
      break;
    }
    default: break;
  }
}

LRESULT TControl::Perform(Cardinal Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  if (WindowProc) WindowProc(m);
  else WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
      HandleMouseMessage(Message);
      break;
    case WM_GESTURE: {
      bool handled = false;
      if (const auto* info = reinterpret_cast<const TGestureEventInfo*>(Message.LParam)) DoGesture(*info, handled);
      Message.Result = handled ? 1 : 0;
      break;
    }
    case WM_SIZE:
      Resize();
      break;
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
    case CM_VISIBLECHANGED:
      Invalidate();
      break;
    default:
      DefaultHandler(Message);
  }
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    // The window text is the control's Text (its caption).
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<WideChar*>(Message.LParam);
      const auto max = static_cast<size_t>(Message.WParam);
      if (!buf || max == 0) {
        Message.Result = 0;
        return;
      }
      const size_t n = std::min(FText.size(), max - 1);
      std::copy_n(FText.data(), n, buf);
      buf[n] = 0;
      Message.Result = static_cast<LRESULT>(n);
      return;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(FText.size());
      return;
    case WM_SETTEXT: {
      const auto* text = reinterpret_cast<const WideChar*>(Message.LParam);
      SetText(text ? UnicodeString(text) : UnicodeString());
      Message.Result = 1;
      return;
    }
    default:
      Message.Result = 0;
  }
}

void TControl::Invalidate() {
  if (FParent) FParent->Invalidate();
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

// ---- TWinControl --------------------------------------------------------------------------------

const TClassInfo& TWinControl::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TWinControl>(u"TWinControl", &TControl::StaticClassInfo()).Build();
  return info;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  for (auto* list : {&FControls, &FWinControls}) {
    while (!list->empty()) {
      TControl* c = list->back();
      list->pop_back();
      c->FParent = nullptr;
      delete c;
    }
  }
  DestroyHandle();
  SetParent(nullptr);
}

TControl* TWinControl::GetControl(int Index) const {
  const int n = static_cast<int>(FControls.size());
  if (Index < 0 || Index >= ControlCount())
    throw EListError(Format(u"List index out of bounds (%d)", {Index}));
  return Index < n ? FControls[static_cast<std::size_t>(Index)]
                   : FWinControls[static_cast<std::size_t>(Index - n)];
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->FParent == this) return;
  if (AControl->FParent) AControl->FParent->RemoveControl(AControl);
  (dynamic_cast<TWinControl*>(AControl) ? FWinControls : FControls).push_back(AControl);
  AControl->FParent = this;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) w->UpdateNativeVisibility();
  AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (!AControl || AControl->FParent != this) return;
  // The child's window lives inside ours; it goes with the move.
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) w->DestroyHandle();
  AControl->Invalidate();
  for (auto* list : {&FControls, &FWinControls})
    list->erase(std::remove(list->begin(), list->end(), AControl), list->end());
  AControl->FParent = nullptr;
}

void TWinControl::HandleNeeded() {
  if (!FHandle) CreateHandle();
}

HWND TWinControl::GetHandle() {
  HandleNeeded();
  return FHandle.get();
}

void TWinControl::CreateHandle() {
  if (!FHandle) CreateWnd();
}

void TWinControl::CreateParams(TCreateParams&) {}

void TWinControl::CreateWnd() {
  QWidget* parentWidget = nullptr;
  int d = 0;
  if (TWinControl* p = GetParent()) {
    p->HandleNeeded();
    parentWidget = p->FHandle->Widget->Client();
    d = p->ChildOffset();
  }
  if (!GuiSessionRunning()) throw EInvalidOperation(u"Cannot create a window without the application object");
  TCreateParams params;
  if (FTabStop) params.Style |= WS_TABSTOP;
  CreateParams(params);
  auto tag = std::make_unique<TWindowHandleTag>();
  tag->Widget = std::make_unique<TNativeWindow>(this, parentWidget, params);
  TNativeWindow* w = tag->Widget.get();
  w->setGeometry(GetLeft() + d, GetTop() + d, std::max(0, GetWidth()), std::max(0, GetHeight()));
  w->Client()->setFocusPolicy(FTabStop ? Qt::StrongFocus : Qt::ClickFocus);
  w->Client()->setCursor(ScreenCursorToQt(GetCursor()));
  if (FTouchGestures.Contains(igPan)) w->Client()->grabGesture(Qt::PanGesture);
  w->setEnabled(GetEnabled());
  FHandle = std::move(tag);
  w->Relayout();
  UpdateNativeVisibility();
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  // The windows inside go with this one; those that existed are made again after it.
  std::vector<TWinControl*> had;
  std::function<void(TWinControl*)> collect = [&](TWinControl* w) {
    for (TControl* c : w->FWinControls) {
      auto* child = static_cast<TWinControl*>(c);
      if (!child->FHandle) continue;
      had.push_back(child);
      collect(child);
    }
  };
  collect(this);
  DestroyHandle();
  HandleNeeded();
  for (TWinControl* w : had) w->HandleNeeded();
}

DWORD TWinControl::GetWindowStyle() const { return FHandle ? FHandle->Widget->Params().Style : 0; }
DWORD TWinControl::GetWindowExStyle() const { return FHandle ? FHandle->Widget->Params().ExStyle : 0; }

bool TWinControl::WindowHasFrame() const { return FHandle && FHandle->Widget->HasFrame(); }

int TWinControl::ChildOffset() const { return WindowHasFrame() ? 0 : GetBorderSize(); }

void TWinControl::WindowResized(int AWidth, int AHeight) {
  if (AWidth == GetWidth() && AHeight == GetHeight()) return;
  TControl::SetBounds(GetLeft(), GetTop(), AWidth, AHeight);
}

void TWinControl::SetTabStop(bool v) {
  if (v == FTabStop) return;
  FTabStop = v;
  if (FHandle) FHandle->Widget->Client()->setFocusPolicy(v ? Qt::StrongFocus : Qt::ClickFocus);
}

void TWinControl::SetFocus() {
  HandleNeeded();
  FHandle->Widget->Client()->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const { return FHandle && FHandle->Widget->Client()->hasFocus(); }

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->GetParent())
    if (!c->GetVisible() || !c->GetEnabled()) return false;
  return true;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(WideChar& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if ((KeyData & AltMask) || GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  return shift;
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  FControlState.Include(csDestroyingHandle);
  TFinally done([this] { FControlState.Exclude(csDestroyingHandle); });
  for (TControl* c : FWinControls) static_cast<TWinControl*>(c)->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() { FHandle.reset(); }

void TWinControl::UpdateNativeVisibility() {
  // A window without a parent is a top-level one; showing those is the business of forms.
  if (FHandle && GetParent()) FHandle->Widget->setVisible(GetVisible());
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FHandle) {
    const int b = GetParent() ? GetParent()->ChildOffset() : 0;
    FHandle->Widget->setGeometry(GetLeft() + b, GetTop() + b, std::max(0, GetWidth()), std::max(0, GetHeight()));
    // A hidden window learns its new size only when shown; the client area must know it now.
    FHandle->Widget->Relayout();
  }
}

void TWinControl::SetCtl3D(bool v) {
  if (v == FCtl3D) return;
  FCtl3D = v;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  Perform(CM_BORDERCHANGED, 0, 0);
}

int TWinControl::GetBorderSize() const {
  if (FBorderStyle != bsSingle) return 0;
  return FCtl3D ? 2 : 1;
}

TRect TWinControl::GetClientRect() const {
  if (WindowHasFrame()) {
    const QWidget* c = FHandle->Widget->Client();
    return TRect(0, 0, c->width(), c->height());
  }
  const int b = GetBorderSize();
  return TRect(0, 0, std::max(0, GetWidth() - 2 * b), std::max(0, GetHeight() - 2 * b));
}

void TWinControl::Invalidate() {
  if (FHandle) FHandle->Widget->Client()->update();
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle.get());
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      if (HDC dc = MessageDC(Message)) PaintHandler(dc);
      break;
    case WM_ERASEBKGND:
      if (HDC dc = MessageDC(Message)) EraseBackground(dc);
      Message.Result = 1;
      break;
    case CM_VISIBLECHANGED:
      UpdateNativeVisibility();
      TControl::Dispatch(Message);
      break;
    case WM_SETREDRAW:
      // The window and its children stop painting until redrawing is switched on again.
      if (FHandle) FHandle->Widget->setUpdatesEnabled(Message.WParam != 0);
      break;
    case CM_ENABLEDCHANGED:
      if (FHandle) FHandle->Widget->setEnabled(GetEnabled());
      TControl::Dispatch(Message);
      break;
    case WM_SETFOCUS:
      if (OnEnter) OnEnter(this);
      TControl::Dispatch(Message);
      break;
    case WM_KILLFOCUS:
      if (OnExit) OnExit(this);
      TControl::Dispatch(Message);
      break;
    case WM_KEYDOWN:
    case WM_KEYUP: {
      WORD key = static_cast<WORD>(Message.WParam);
      // Enter and Escape that the control does not want belong to the form it stands on, which
      // clicks its default or cancel button.
      if (Message.Msg == WM_KEYDOWN && (key == VK_RETURN || key == VK_ESCAPE) &&
          !(Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS)) {
        TWinControl* top = this;
        while (top->GetParent()) top = top->GetParent();
        if (top->Perform(CM_DIALOGKEY, key, Message.LParam)) break;
      }
      const TShiftState shift = KeyDataToShiftState(Message.LParam);
      if (Message.Msg == WM_KEYDOWN) KeyDown(key, shift);
      else KeyUp(key, shift);
      break;
    }
    case WM_CHAR: {
      WideChar c = static_cast<WideChar>(Message.WParam);
      KeyPress(c);
      break;
    }
    case CM_CTL3DCHANGED:
    case CM_BORDERCHANGED:
      Invalidate();
      break;
    case WM_IME_COMPOSITION:
      // Left to the default handling, a result arrives as characters: one WM_IME_CHAR each.
      if ((static_cast<DWORD>(Message.LParam) & GCS_RESULTSTR) && FHandle) {
        HIMC context = ImmGetContext(GetHandle());
        const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
        UnicodeString result(bytes > 0 ? static_cast<std::size_t>(bytes) / 2 : 0, u'\0');
        if (!result.empty())
          ImmGetCompositionStringW(context, GCS_RESULTSTR, result.data(), static_cast<DWORD>(result.size() * 2));
        ImmReleaseContext(GetHandle(), context);
        for (const char16_t c : result) Perform(WM_IME_CHAR, c, 1);
      }
      break;
    case WM_IME_CHAR: Perform(WM_CHAR, Message.WParam, Message.LParam); break;
    default:
      TControl::Dispatch(Message);
  }
}

void TWinControl::EraseBackground(HDC DC) {
  if (GetColor() == clNone) return;
  const TRect r = GetClientRect();
  HBRUSH brush = CreateSolidBrush(ColorToRGB(GetColor()));
  FillRect(DC, &r, brush);
  DeleteObject(brush);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintHandler(HDC DC) {
  PaintWindow(DC);
  PaintControls(DC);
}

void TWinControl::PaintControls(HDC DC) {
  const bool copy = FControlState.Contains(csPaintCopy);
  for (TControl* c : FControls) {
    if (c->GetVisible() && !PaintControlAt(c, DC, c->GetLeft(), c->GetTop(), copy)) return;
  }
}

void TWinControl::PaintSelf(HDC DC) {
  if (const int b = WindowHasFrame() ? 0 : GetBorderSize()) {
    RECT r(0, 0, GetWidth(), GetHeight());
    DrawEdge(DC, &r, FCtl3D ? EDGE_SUNKEN : BDR_OUTER, BF_RECT | BF_ADJUST | (FCtl3D ? 0 : BF_MONO));
    MoveWindowOrg(DC, r.Left, r.Top);
    IntersectClipRect(DC, 0, 0, r.Width(), r.Height());
  }
  Perform(WM_ERASEBKGND, DCToWParam(DC), 0);
  Perform(WM_PAINT, DCToWParam(DC), 0);
}

void TWinControl::PaintNative(HDC DC) {
  const int saved = SaveDC(DC);
  if (!saved) return;
  TFinally restore([&] { RestoreDC(DC, saved); });
  PaintSelf(DC);
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  const int saved = SaveDC(DC);
  if (!saved) return;  // not a context
  FControlState.Include(csPaintCopy);
  TFinally restore([&] {
    FControlState.Exclude(csPaintCopy);
    RestoreDC(DC, saved);
  });
  MoveWindowOrg(DC, X, Y);
  IntersectClipRect(DC, 0, 0, GetWidth(), GetHeight());
  PaintSelf(DC);
  for (TControl* c : FWinControls)
    if (c->GetVisible()) static_cast<TWinControl*>(c)->PaintTo(DC, c->GetLeft(), c->GetTop());
}

void TWinControl::PaintTo(TCanvas* Canvas, int X, int Y) {
  if (!Canvas) return;
  Canvas->Lock();
  TFinally unlock([Canvas] { Canvas->Unlock(); });
  PaintTo(Canvas->GetHandle(), X, Y);
}

// ---- TGraphicControl ----------------------------------------------------------------------------

const TClassInfo& TGraphicControl::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TGraphicControl>(u"TGraphicControl", &TControl::StaticClassInfo()).Build();
  return info;
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& Message) {
  HDC dc = Message.Msg == WM_PAINT ? MessageDC(Message) : nullptr;
  if (!dc) {
    TControl::Dispatch(Message);
    return;
  }
  PaintOnCanvas(*FCanvas, dc, [this] { Paint(); });
}

// ---- TCustomControl -----------------------------------------------------------------------------

const TClassInfo& TCustomControl::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomControl>(u"TCustomControl", &TWinControl::StaticClassInfo()).Build();
  return info;
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC DC) {
  PaintOnCanvas(*FCanvas, DC, [this] { Paint(); });
}

void PaintControlFace(TCanvas& Canvas, TRect Rect, bool Opaque, TColor Color, TFont& Font, const UnicodeString& Caption,
                      TAlignment Alignment, UINT Format) {
  if (Opaque) {
    Canvas.Brush().SetColor(Color);
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.FillRect(Rect);
  }
  Canvas.Brush().SetStyle(bsClear);
  Canvas.SetFont(Font);
  static const UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  DrawTextW(Canvas.GetHandle(), Caption.c_str(), -1, &Rect, Format | kAlign[Alignment]);
}

bool PaintControlAt(TControl* Control, HDC DC, int X, int Y, bool Copy) {
  const int saved = SaveDC(DC);
  if (!saved) return false;
  const bool hadCopy = Control->GetControlState().Contains(csPaintCopy);
  if (Copy) Control->SetControlState(Control->GetControlState().Include(csPaintCopy));
  TFinally restore([&] {
    if (!hadCopy) Control->SetControlState(Control->GetControlState().Exclude(csPaintCopy));
    RestoreDC(DC, saved);
  });
  MoveWindowOrg(DC, X, Y);
  IntersectClipRect(DC, 0, 0, Control->GetWidth(), Control->GetHeight());
  Control->Perform(WM_PAINT, DCToWParam(DC), 0);
  return true;
}
