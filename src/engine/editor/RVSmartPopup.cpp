// The smart popup button and its properties.
#include "engine/editor/RVSmartPopup.h"

#include "engine/viewer/RVViroZere.h"

namespace rvsmartpopup_detail {
// What a hot button grows by at its right, for the arrow or the dots.
constexpr int HotExtraWidth = 10;
}  // namespace rvsmartpopup_detail

using namespace rvsmartpopup_detail;

// ---- properties ---------------------------------------------------------------------------------

const TClassInfo& TRVSmartPopupProperties::StaticClassInfo() {
  using P = TRVSmartPopupProperties;
  static const TClassInfo info =
      TClassInfoBuilder<P>(u"TRVSmartPopupProperties", &inherited::StaticClassInfo())
          .Integer(u"ImageIndex", &P::GetImageIndex, &P::SetImageIndex, 0)
          .Integer(u"Color", &P::GetColor, &P::SetColor, clWindow)
          .Integer(u"HoverColor", &P::GetHoverColor, &P::SetHoverColor, clInfoBk)
          .Integer(u"LineColor", &P::GetLineColor, &P::SetLineColor, clHighlight)
          .Integer(u"HoverLineColor", &P::GetHoverLineColor, &P::SetHoverLineColor, clInfoText)
          .Integer(u"ShortCut", &P::GetShortCut, &P::SetShortCut, RVDefaultSmartPopupShortCut)
          .Build();
  return info;
}

TRVSmartPopupProperties::~TRVSmartPopupProperties() {
  if (FButton) FButton->FSmartPopupProperties = nullptr;
}

void TRVSmartPopupProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TRVSmartPopupProperties*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  FImageList = src->FImageList;
  FImageIndex = src->FImageIndex;
  FColor = src->FColor;
  FHoverColor = src->FHoverColor;
  FLineColor = src->FLineColor;
  FHoverLineColor = src->FHoverLineColor;
  FShortCut = src->FShortCut;
  FButtonType = src->FButtonType;
  SetHint(src->FHint);
  FMenu = src->FMenu;
  FPosition = src->FPosition;
  RepaintButton();
}

void TRVSmartPopupProperties::RepaintButton() {
  if (FButton) FButton->Invalidate();
}

void TRVSmartPopupProperties::SetImageIndex(int Value) {
  FImageIndex = Value;
  RepaintButton();
}
void TRVSmartPopupProperties::SetImageList(TCustomImageList* Value) {
  FImageList = Value;
  RepaintButton();
}
void TRVSmartPopupProperties::SetColor(TColor Value) {
  FColor = Value;
  RepaintButton();
}
void TRVSmartPopupProperties::SetHoverColor(TColor Value) {
  FHoverColor = Value;
  RepaintButton();
}
void TRVSmartPopupProperties::SetLineColor(TColor Value) {
  FLineColor = Value;
  RepaintButton();
}
void TRVSmartPopupProperties::SetHoverLineColor(TColor Value) {
  FHoverLineColor = Value;
  RepaintButton();
}
void TRVSmartPopupProperties::SetHint(const UnicodeString& Value) {
  FHint = Value;
  if (FButton) FButton->SetHint(Value);
}

void TRVSmartPopupProperties::SetButtonState(bool Hot) {
  if (!FButton) return;
  FButton->FAlwaysHot = Hot;
  FButton->Perform(Hot ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
}

// ---- the button -----------------------------------------------------------------------------------

const TClassInfo& TRVSmartPopupButton::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVSmartPopupButton>(u"TRVSmartPopupButton", &inherited::StaticClassInfo()).Build();
  return info;
}

TRVSmartPopupButton::TRVSmartPopupButton(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 20, 20); }

TRVSmartPopupButton::~TRVSmartPopupButton() {
  if (FSmartPopupProperties && FSmartPopupProperties->FButton == this) FSmartPopupProperties->FButton = nullptr;
}

void TRVSmartPopupButton::SetSmartPopupProperties(TRVSmartPopupProperties* Value) {
  if (FSmartPopupProperties && FSmartPopupProperties->FButton == this) FSmartPopupProperties->FButton = nullptr;
  FSmartPopupProperties = Value;
  if (!Value) return;
  if (Value->FButton && Value->FButton != this) Value->FButton->FSmartPopupProperties = nullptr;
  Value->FButton = this;
  SetShowHint(true);
  SetHint(Value->GetHint());
  if (TCustomImageList* images = Value->GetImageList())
    SetBounds(GetLeft(), GetTop(), images->GetWidth() + 4, images->GetHeight() + 4);
  else
    SetBounds(GetLeft(), GetTop(), 20, 20);
}

void TRVSmartPopupButton::MouseEnter() {
  const bool simple = !FSmartPopupProperties || FSmartPopupProperties->GetButtonType() == rvsptSimple;
  if (!FHot && !simple) SetBounds(GetLeft(), GetTop(), GetWidth() + HotExtraWidth, GetHeight());
  FHot = true;
  Invalidate();
}

void TRVSmartPopupButton::MouseLeave() {
  // The menu holds the hot look while it is open, though the pointer is over the menu.
  if (FAlwaysHot) return;
  const bool simple = !FSmartPopupProperties || FSmartPopupProperties->GetButtonType() == rvsptSimple;
  if (FHot && !simple) SetBounds(GetLeft(), GetTop(), GetWidth() - HotExtraWidth, GetHeight());
  FHot = false;
  Invalidate();
}

void TRVSmartPopupButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER: MouseEnter(); return;
    case CM_MOUSELEAVE: MouseLeave(); return;
    case WM_ERASEBKGND:
      // The paint covers the whole button.
      Message.Result = 1;
      return;
    case WM_RVSMARTPOPUPCLICK: ShowSmartPopupMenu(); return;
    default: TCustomControl::Dispatch(Message);
  }
}

void TRVSmartPopupButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  FPressed = Button == mbLeft;
}

void TRVSmartPopupButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  const bool pressed = FPressed;
  FPressed = false;
  if (pressed && Button == mbLeft && X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight()) Click();
}

void TRVSmartPopupButton::Click() {
  // The menu opens after the click has been handled, so that the button is not inside its own
  // input handling while the menu runs (or is freed by it).
  if (HandleAllocated())
    PostMessage(GetHandle(), WM_RVSMARTPOPUPCLICK, 0, 0);
  else
    ShowSmartPopupMenu();
}

void TRVSmartPopupButton::ShowSmartPopupMenu() {
  TRVSmartPopupProperties* props = FSmartPopupProperties;
  if (!props) return;
  if (TPopupMenu* menu = props->GetMenu()) {
    TPoint p(0, GetHeight());
    if (HandleAllocated()) ::ClientToScreen(GetHandle(), &p);
    props->SetButtonState(true);
    FShowingMenu = true;
    // A command of the menu may change the document, which hides the button: the editor then
    // keeps it until the menu has returned, unlinked from the properties.
    try {
      menu->Popup(p.X, p.Y);
    } catch (...) {
      FShowingMenu = false;
      if (props->GetButton() == this) props->SetButtonState(false);
      throw;
    }
    FShowingMenu = false;
    if (props->GetButton() == this) props->SetButtonState(false);
    return;
  }
  TCustomViroZere* viewer = props->ViroZere ? props->ViroZere->GetRootControl() : nullptr;
  if (viewer && viewer->OnSmartPopupClick) viewer->OnSmartPopupClick(viewer, this);
}

void TRVSmartPopupButton::Paint() {
  TCanvas* c = GetCanvas();
  TRVSmartPopupProperties* props = FSmartPopupProperties;
  const int W = GetWidth(), H = GetHeight();
  const TColor line = props ? (FHot ? props->GetHoverLineColor() : props->GetLineColor()) : clHighlight;
  const TColor face = props ? (FHot ? props->GetHoverColor() : props->GetColor()) : clWindow;
  c->Pen().SetMode(pmCopy);
  c->Pen().SetStyle(psSolid);
  c->Pen().SetWidth(1);
  c->Pen().SetColor(line);
  c->Brush().SetStyle(bsSolid);
  c->Brush().SetColor(face);
  c->Rectangle(0, 0, W, H);
  if (!props) return;
  TCustomImageList* images = props->GetImageList();
  if (images && props->GetImageIndex() >= 0 && props->GetImageIndex() < images->Count())
    images->Draw(*c, 2, 2, props->GetImageIndex(), true);
  if (!FHot) return;
  switch (props->GetButtonType()) {
    case rvsptDropDown:
      c->Brush().SetColor(line);
      c->Polygon({TPoint(W - 10, H / 2 - 2), TPoint(W - 4, H / 2 - 2), TPoint(W - 7, H / 2 + 1)});
      break;
    case rvsptShowDialog:
      for (int x : {W - 10, W - 7, W - 4}) {
        c->MoveTo(x, H / 2 + 1);
        c->LineTo(x, H / 2 + 3);
      }
      break;
    case rvsptSimple: break;
  }
}
