#include "platform/ui/Controls.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "platform/ui/GuiSession.h"
#include "platform/ui/NativeWindow.h"
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

// The window shows what its control paints, through an off-screen bitmap of the device layer.
class TNativeWindow : public QWidget {
 public:
  TNativeWindow(TWinControl* control, QWidget* parent) : QWidget(parent), FControl(control) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const int w = width(), h = height();
    if (w <= 0 || h <= 0) return;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = dc ? CreateCompatibleBitmap(dc, w, h) : nullptr;
    if (bmp) {
      HGDIOBJ old = SelectObject(dc, bmp);
      try {
        FControl->PaintNative(dc);
      } catch (...) {
        // An event handler must not let a failure into the event loop; what was drawn stays.
      }
      SelectObject(dc, old);
      GdiFlush();
      if (const BYTE* bits = GetBitmapScanLine(bmp, 0)) {
        const QImage image(bits, w, h, GetBitmapStride(bmp), QImage::Format_RGB32);
        QPainter(this).drawImage(0, 0, image);
      }
      DeleteObject(bmp);
    }
    if (dc) DeleteDC(dc);
  }

 private:
  TWinControl* FControl;
};

}  // namespace

struct TWindowHandleTag {
  std::unique_ptr<TNativeWindow> Widget;
};

QWidget* NativeWidgetOf(HWND handle) { return handle ? handle->Widget.get() : nullptr; }

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

void TControl::DefaultHandler(TMessage& Message) { Message.Result = 0; }

void TControl::Invalidate() {
  if (FParent) FParent->Invalidate();
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

void TWinControl::CreateWnd() {
  QWidget* parentWidget = nullptr;
  int dx = 0, dy = 0;
  if (TWinControl* p = GetParent()) {
    p->HandleNeeded();
    parentWidget = p->FHandle->Widget.get();
    dx = dy = p->GetBorderSize();
  }
  if (!GuiSessionRunning()) throw EInvalidOperation(u"Cannot create a window without the application object");
  auto tag = std::make_unique<TWindowHandleTag>();
  tag->Widget = std::make_unique<TNativeWindow>(this, parentWidget);
  tag->Widget->setGeometry(GetLeft() + dx, GetTop() + dy, std::max(0, GetWidth()), std::max(0, GetHeight()));
  FHandle = std::move(tag);
  UpdateNativeVisibility();
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
    const int b = GetParent() ? GetParent()->GetBorderSize() : 0;
    FHandle->Widget->setGeometry(GetLeft() + b, GetTop() + b, std::max(0, GetWidth()), std::max(0, GetHeight()));
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
  const int b = GetBorderSize();
  return TRect(0, 0, std::max(0, GetWidth() - 2 * b), std::max(0, GetHeight() - 2 * b));
}

void TWinControl::Invalidate() {
  if (FHandle) FHandle->Widget->update();
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
    case CM_CTL3DCHANGED:
    case CM_BORDERCHANGED:
      Invalidate();
      break;
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
  if (const int b = GetBorderSize()) {
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
