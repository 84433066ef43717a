#include "engine/viewer/RVScroller.h"

#include <algorithm>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVItem.h"
#include "platform/base/SysUtils.h"

namespace {

constexpr int kChildTopLimit = 10000;

int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

}  // namespace

int RVVScrollUnits(int DocumentHeight, int Step) {
  if (Step <= 0) return 0;
  return static_cast<int>((static_cast<long long>(DocumentHeight) + Step - 1) / Step);
}

int RVAdjustedVSmallStep(int DocumentHeight, int CurrentStep) {
  if (CurrentStep > 0 && RVVScrollUnits(DocumentHeight, CurrentStep) > RVMaxVScrollUnits) {
    int step = std::max(1, DocumentHeight / RVMaxVScrollUnits);
    if (RVVScrollUnits(DocumentHeight, step) > RVMaxVScrollUnits) ++step;
    return step;
  }
  if (CurrentStep > 10 && RVVScrollUnits(DocumentHeight, 10) <= RVMaxVScrollUnits) return 10;
  return CurrentStep;
}

// ---- TRVScroller ------------------------------------------------------------------------------

TRVScroller::TRVScroller(TComponent* AOwner) : TCustomRVControl(AOwner) {
  TControlStyle style = GetControlStyle();
  style.Exclude(csSetCaption);
  style.Include(csReplicatable);
  style.Include(csPannable);
  SetControlStyle(style);
  SetTabStop(true);
  TouchInteractiveGestures() = TInteractiveGestures{igPan, igPressAndTap};
  TouchInteractiveGestureOptions() = TInteractiveGestureOptions{
      igoPanSingleFingerHorizontal, igoPanSingleFingerVertical, igoPanInertia, igoParentPassthrough};
}

TRVScroller::~TRVScroller() {
  FChosenRVData = nullptr;
  FChosenItem = nullptr;
  // The window goes first, while this class's handlers still exist.
  DestroyHandle();
  RVPalette = nullptr;
  PRVLogPal.reset();
}

bool TRVScroller::Destroying() const { return ComponentState().Contains(csDestroying); }

void TRVScroller::CreateParams(TCreateParams& Params) {
  TCustomRVControl::CreateParams(Params);
  if (GetBorderStyle() == bsSingle) {
    // A 3-D control gets the sunken client edge instead of the line.
    if (GetCtl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
  if (FBiDiMode == rvbdRightToLeft) Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  Params.Style |= WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN;
  FVDisableNoScroll = false;
}

void TRVScroller::CreateWnd() {
  TCustomRVControl::CreateWnd();
  FSmallStep = GetDefSmallStep();
  ResetScrollPositions();
  OpenThemeData();
  UpdateScrollBarsForClient();
}

void TRVScroller::DestroyWnd() {
  CloseThemeData();
  TCustomRVControl::DestroyWnd();
}

void TRVScroller::OpenThemeData() {
  CloseThemeData();
  if (FUseXPThemes && ::OpenThemeData && IsThemeActive && IsAppThemed && IsThemeActive() && IsAppThemed())
    FTheme = ::OpenThemeData(GetHandle(), u"edit");
  else FTheme = nullptr;
}

void TRVScroller::CloseThemeData() {
  if (FTheme && ::CloseThemeData) ::CloseThemeData(FTheme);
  FTheme = nullptr;
}

void TRVScroller::SetUseXPThemes(bool Value) {
  if (Value == FUseXPThemes) return;
  FUseXPThemes = Value;
  if (HandleAllocated()) {
    OpenThemeData();
    Invalidate();
  }
}

void TRVScroller::SetBiDiMode(TRVBiDiMode Value) {
  if (Value == FBiDiMode) return;
  FBiDiMode = Value;
  RecreateWnd();
}

void TRVScroller::UpdateScrollBars(int XS, int YS, bool UpdateH, bool UseDNS) {
  if (FUpdatingScrollBars || !HandleAllocated()) return;
  FUpdatingScrollBars = true;
  TFinally done([this] { FUpdatingScrollBars = false; });
  HWND h = GetHandle();
  SCROLLINFO si;
  if (UpdateH) {
    XSize = XS;
    FHScrollPage = GetClientWidth();
    FHScrollMax = XSize - 1;
    si.fMask = SIF_ALL & ~SIF_TRACKPOS;
    if (FHScrollVisible) {
      HPos = Clamp(HPos, 0, std::max(0, FHScrollMax - GetClientWidth() + 1));
      si.nMin = 0;
      si.nMax = FHScrollMax;
      si.nPage = static_cast<UINT>(std::max(0, FHScrollPage));
      si.nPos = HPos;
    } else {
      // A bar that cannot scroll is not shown.
      si.nMin = 0;
      si.nMax = 1;
      si.nPage = 2;
      si.nPos = 0;
    }
    SetScrollInfo(h, SB_HORZ, &si, TRUE);
    HPos = Clamp(HPos, 0, std::max(0, si.nMax - static_cast<int>(si.nPage) + 1));
  }
  YSize = YS;
  FVScrollPage = GetClientHeight() / FSmallStep;
  FVScrollMax = YSize - 1;
  VPos = Clamp(VPos, 0, std::max(0, YSize - FVScrollPage));
  si = SCROLLINFO();
  si.fMask = SIF_ALL & ~SIF_TRACKPOS;
  if (FVScrollVisible) {
    si.nMin = 0;
    si.nMax = FVScrollMax;
    si.nPage = static_cast<UINT>(std::max(0, FVScrollPage));
    si.nPos = VPos;
    if (UseDNS && FVDisableNoScroll) si.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
  } else {
    si.nMin = 0;
    si.nMax = 1;
    si.nPage = 2;
    si.nPos = 0;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    ShowScrollBar(h, SB_VERT, FALSE);
  }
  DoResize();
}

void TRVScroller::SetVScrollVisible(bool Value) {
  FVScrollVisible = Value;
  if (!HandleAllocated()) return;
  if (ComponentState().Contains(csLoading)) {
    UpdateScrollBars(XSize, YSize, true, true);
    return;
  }
  UpdateScrollBars(XSize, YSize, true, false);
  if (Value && FVDisableNoScroll) {
    UpdateScrollBars(XSize, YSize, true, true);
    ShowScrollBar(GetHandle(), SB_VERT, TRUE);
  }
}

void TRVScroller::SetHScrollVisible(bool Value) {
  FHScrollVisible = Value;
  UpdateScrollBars(XSize, YSize, true, true);
}

int TRVScroller::GetVScrollMax() {
  if (FVScrollVisible && HandleAllocated()) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(GetHandle(), SB_VERT, &si);
    return si.nMax - static_cast<int>(si.nPage) + 1;
  }
  return FVScrollMax - FVScrollPage + 1;
}

int TRVScroller::GetHScrollMax() {
  if (FHScrollVisible && HandleAllocated()) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(GetHandle(), SB_HORZ, &si);
    return si.nMax - static_cast<int>(si.nPage) + 1;
  }
  return FHScrollMax - FHScrollPage + 1;
}

void TRVScroller::SetVSmallStep(int Value) { FSmallStep = Value; }

void TRVScroller::ScrollChildren(int DX, int DY) {
  if (DX == 0 && DY == 0) return;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = GetControl(i);
    if (DY != 0) {
      c->SetTag(c->GetTag() + DY);
      c->SetTop(static_cast<int>(std::clamp<std::intptr_t>(c->GetTag(), -kChildTopLimit, kChildTopLimit)));
    }
    if (DX != 0) c->SetLeft(c->GetLeft() + DX);
  }
}

void TRVScroller::SetVPos(int Pos, bool Redraw) {
  if (!HandleAllocated()) return;
  if (FNoVScroll) Pos = 0;
  const int old = VPos;
  VPos = Pos;
  if (FVScrollVisible) {
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = VPos;
    SetScrollInfo(GetHandle(), SB_VERT, &si, TRUE);
    GetScrollInfo(GetHandle(), SB_VERT, &si);
    VPos = si.nPos;
  } else {
    VPos = Clamp(VPos, 0, std::max(0, FVScrollMax - FVScrollPage + 1));
  }
  if (old == VPos) return;
  BeforeScroll();
  const int d = (old - VPos) * FSmallStep;
  if (Redraw) {
    if (FFullRedraw) {
      ScrollChildren(0, d);
      Refresh();
    } else {
      const TRect r = GetClientRect();
      ScrollWindowEx(GetHandle(), 0, d, &r, &r, nullptr, nullptr, SW_INVALIDATE);
      ScrollChildren(0, d);
      Update();
    }
  } else {
    ScrollChildren(0, d);
  }
  DoVScrolled();
}

void TRVScroller::SetHScrollPos(int Pos) {
  if (!HandleAllocated()) return;
  if (FNoHScroll) Pos = 0;
  const int old = HPos;
  HPos = Pos;
  if (FHScrollVisible) {
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = HPos;
    SetScrollInfo(GetHandle(), SB_HORZ, &si, TRUE);
    GetScrollInfo(GetHandle(), SB_HORZ, &si);
    HPos = si.nPos;
  } else {
    HPos = Clamp(HPos, 0, std::max(0, FHScrollMax - FHScrollPage + 1));
  }
  if (old == HPos) return;
  BeforeScroll();
  const int d = old - HPos;
  if (FFullRedraw) {
    ScrollChildren(d, 0);
    Refresh();
  } else {
    const TRect r = GetClientRect();
    ScrollWindowEx(GetHandle(), d, 0, &r, &r, nullptr, nullptr, SW_INVALIDATE);
    ScrollChildren(d, 0);
    Update();
  }
  DoHScrolled();
}

void TRVScroller::DoVScrolled() {
  if (OnVScrolled) OnVScrolled(this);
}

void TRVScroller::DoHScrolled() {
  if (OnHScrolled) OnHScrolled(this);
}

void TRVScroller::DoResize() {
  if (OnResize) OnResize(this);
}

void TRVScroller::ResetScrollPositions() {
  VPos = 0;
  HPos = 0;
}

void TRVScroller::UpdateScrollBarsForClient() {
  UpdateScrollBars(GetClientWidth(), GetClientHeight() / FSmallStep, true, true);
}

void TRVScroller::ScrollByMessage(TMessage& Message, bool Vertical) {
  const int code = LoWord(Message.WParam);
  const int msgPos = HiWord(Message.WParam);
  const int pos = Vertical ? VPos : HPos;
  const int line = Vertical ? FScrollFactor : FSmallStep * FScrollFactor;
  const int page = Vertical ? GetClientHeight() / FSmallStep : GetClientWidth();
  int target;
  switch (code) {
    case SB_LINEUP: target = pos - line; break;
    case SB_LINEDOWN: target = pos + line; break;
    case SB_PAGEUP: target = pos - page; break;
    case SB_PAGEDOWN: target = pos + page; break;
    case SB_THUMBTRACK:
      if (!FTracking) return;
      target = msgPos;
      break;
    case SB_THUMBPOSITION: target = msgPos; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = Vertical ? YSize : XSize; break;
    default: return;
  }
  if (Vertical) SetVScrollPos(target);
  else SetHScrollPos(target);
}

void TRVScroller::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_VSCROLL:
      ScrollByMessage(Message, true);
      break;
    case WM_HSCROLL:
      ScrollByMessage(Message, false);
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      break;
    case WM_SETFOCUS:
      if (!FSilentFocusing) TCustomRVControl::Dispatch(Message);
      if (!Destroying()) {
        TWinControl* editor = GetInplaceEditor();
        if (editor && editor->HandleAllocated()) editor->SetFocus();
      }
      break;
    case WM_THEMECHANGED:
      TCustomRVControl::Dispatch(Message);
      CloseThemeData();
      OpenThemeData();
      Invalidate();
      Message.Result = 1;
      break;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
      TCustomRVControl::Dispatch(Message);
      Invalidate();
      break;
    case CM_BORDERCHANGED:
      RecreateWnd();
      break;
    case CM_CTL3DCHANGED:
      if (GetBorderStyle() == bsSingle) RecreateWnd();
      break;
    default:
      TCustomRVControl::Dispatch(Message);
  }
}

void TRVScroller::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomRVControl::KeyDown(Key, Shift);
  if (!KeyboardScroll) return;
  switch (Key) {
    case VK_PRIOR: Perform(WM_VSCROLL, SB_PAGEUP, 0); break;
    case VK_NEXT: Perform(WM_VSCROLL, SB_PAGEDOWN, 0); break;
    case VK_END: Perform(WM_VSCROLL, SB_BOTTOM, 0); break;
    case VK_HOME: Perform(WM_VSCROLL, SB_TOP, 0); break;
    case VK_UP: Perform(WM_VSCROLL, SB_LINEUP, 0); break;
    case VK_DOWN: Perform(WM_VSCROLL, SB_LINEDOWN, 0); break;
    case VK_LEFT: Perform(WM_HSCROLL, SB_LINELEFT, 0); break;
    case VK_RIGHT: Perform(WM_HSCROLL, SB_LINERIGHT, 0); break;
    default: break;
  }
}

void TRVScroller::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomRVControl::MouseDown(Button, Shift, X, Y);
}

void TRVScroller::WheelScroll(int Direction) {
  UINT lines = 3;
  if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
  if (lines == 0) return;
  int steps;
  if (static_cast<int>(lines) < 0) steps = GetClientHeight() / FSmallStep;  // a page a notch
  else steps = static_cast<int>(Round(static_cast<long double>(FWheelStep) * lines / 3));
  SetVScrollPos(VPos + Direction * steps);
}

bool TRVScroller::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  const bool handled = TCustomRVControl::DoMouseWheelDown(Shift, MousePos);
  if (FWheelStep == 0) return handled;
  WheelScroll(1);
  return true;
}

bool TRVScroller::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  const bool handled = TCustomRVControl::DoMouseWheelUp(Shift, MousePos);
  if (FWheelStep == 0) return handled;
  WheelScroll(-1);
  return true;
}

void TRVScroller::DoGesture(const TGestureEventInfo& EventInfo, bool& Handled) {
  if (EventInfo.GestureID != igiPan) return;
  Handled = true;
  if (EventInfo.Flags.Contains(gfBegin)) {
    FPanPoint = EventInfo.Location;
    FPanVPos = VPos;
    FPanHPos = HPos;
    return;
  }
  SetHScrollPos(FPanHPos + FPanPoint.X - EventInfo.Location.X);
  SetVPos(FPanVPos - (EventInfo.Location.Y - FPanPoint.Y) / FSmallStep, true);
}

std::unique_ptr<TRVLogPalette> TRVScroller::GetLogPalette() { return RVMakeColorCubePalette(); }

void TRVScroller::UpdatePaletteInfo() {
  bool paletteDevice = false;
  if (FDoInPaletteMode != rvpaDoNothing) {
    if (HDC dc = CreateCompatibleDC(nullptr)) {
      paletteDevice = (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
      DeleteDC(dc);
    }
  }
  if (!paletteDevice) {
    RVPalette = nullptr;
    PRVLogPal.reset();
    return;
  }
  // A palette device: the logical palette is made once. Selecting a palette does nothing on this
  // platform's devices, so no palette object stands behind it.
  if (!PRVLogPal) PRVLogPal = GetLogPalette();
}

void TRVScroller::SetDoInPaletteMode(TRVPaletteAction Value) {
  if (Value == FDoInPaletteMode) return;
  FDoInPaletteMode = Value;
  UpdatePaletteInfo();
}

// ---- chosen sub-document ------------------------------------------------------------------------

void TRVScroller::AssignChosenRVData(TCustomRVData* RVData, TCustomRVItemInfo* Item) {
  if (RVData != FChosenRVData) {
    DestroyInplace();
    if (FChosenRVData) UnassignChosenRVData(FChosenRVData);
    FChosenRVData = RVData;
    FChosenItem = Item;
  }
  if (TWinControl* editor = GetInplaceEditor()) editor->SetTag(editor->GetTop());
}

void TRVScroller::SilentReplaceChosenRVData(TCustomRVData* RVData) {
  FChosenRVData = RVData;
  if (!RVData) FChosenItem = nullptr;
}

void TRVScroller::UnassignChosenRVData(TCustomRVData* RVData) {
  if (!FChosenRVData || !RVData) return;
  if (RVData != FChosenRVData && RVData != FChosenRVData->GetRVData()) return;
  if (!Destroying()) DeselectChosen(RVData);
  FChosenRVData = nullptr;
  if (TCustomRVItemInfo* item = FChosenItem) {
    FChosenItem = nullptr;
    item->CleanUpChosen();
  }
}

TCustomRVData* TRVScroller::GetChosenRVData() const { return FChosenRVData ? FChosenRVData->GetRVData() : nullptr; }

TWinControl* TRVScroller::GetInplaceEditor() const {
  if (!FChosenRVData) return nullptr;
  auto* editor = dynamic_cast<TWinControl*>(FChosenRVData->GetParentControl());
  return editor != this ? editor : nullptr;
}

void TRVScroller::DestroyInplace() {
  if (TWinControl* editor = GetInplaceEditor()) delete editor;
}

bool TRVScroller::FocusedEx() const {
  if (Focused()) return true;
  TWinControl* editor = GetInplaceEditor();
  if (auto* s = dynamic_cast<TRVScroller*>(editor)) return s->FocusedEx();
  return editor && editor->Focused();
}

bool TRVScroller::EnabledEx() const {
  for (const TControl* c = this; c; c = c->GetParent())
    if (!c->GetEnabled()) return false;
  return true;
}

void TRVScroller::SetFocusSilent() {
  if (!CanFocus()) return;
  FSilentFocusing = true;
  TFinally done([this] { FSilentFocusing = false; });
  SetFocus();
}

// ---- the drag-and-drop companion ----------------------------------------------------------------

TRVScrollerInternalIfcObject::TRVScrollerInternalIfcObject(TRVScroller* AOwner)
    : InitRes(OleInitialize(nullptr)), FOwner(AOwner) {}

TRVScrollerInternalIfcObject::~TRVScrollerInternalIfcObject() {
  if (InitRes == S_OK || InitRes == S_FALSE) OleUninitialize();
}
