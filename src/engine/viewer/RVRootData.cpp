#include "engine/viewer/RVRootData.h"

#include <cstdlib>
#include <utility>

#include "engine/document/RVDocParams.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/RVAnimate.h"
#include "engine/layout/RVFontInfoCache.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/ui/Controls.h"

TViroZereRVData::TViroZereRVData(TRVRootDataViewer* AViroZere) : FViroZere(AViroZere) {
  // The page-layout editor of this document also decides the events' assignment tests (through
  // the events' RootData).
  FRootState = std::make_unique<TRVDataRootState>(this, CreateRootEvents(GetScroller()));
}

TViroZereRVData::~TViroZereRVData() {
  // The items go first, while the lists they leave and the animator list still exist.
  try {
    TCustomRVFormattedData::Clear();
  } catch (...) {
  }
  FRootState->FreeLists();
  FViroZere->StopAnimation();
  FAnimatorList.reset();
  delete FFontInfoCache;
  FFontInfoCache = nullptr;
  FRVFGlobalReadData.reset();
  FRootState.reset();
}

std::unique_ptr<TRVDataRootEvents> TViroZereRVData::CreateRootEvents(TObject* Owner) {
  return std::make_unique<TRVDataRootEventsEx>(Owner);
}

// ---- answers taken from the viewer -------------------------------------------------------------

TObject* TViroZereRVData::GetParentControl() { return GetScroller(); }

TCanvas* TViroZereRVData::GetCanvas() { return GetScroller()->GetCanvas(); }

TColor TViroZereRVData::GetColor() {
  const TColor color = GetScroller()->GetColor();
  if (color != clNone) return color;
  TRVStyle* style = GetRVStyle();
  return style ? style->Color : clNone;
}

int TViroZereRVData::GetVOffs() { return GetScroller()->GetVScrollPos() * GetVSmallStep() - GetRVDataExtraVOffs(); }

bool TViroZereRVData::VScrollBarShown() {
  // Shown and enabled: a bar kept visible but disabled (nothing to scroll) does not count.
  TRVScroller* s = GetScroller();
  if (!s->HandleAllocated()) return false;
  BOOL disabled = FALSE;
  return IsScrollBarShown(s->GetHandle(), SB_VERT, &disabled) && !disabled;
}

bool TViroZereRVData::HasOnlyVScrollBar() {
  const DWORD style = GetScroller()->GetWindowStyle();
  return (style & WS_VSCROLL) != 0 && (style & WS_HSCROLL) == 0;
}

int TViroZereRVData::GetMaxLength() { return IsRoot() ? FViroZere->GetMaxLength() : TRVControlData::GetMaxLength(); }

bool TViroZereRVData::GetWordWrap() { return IsRoot() ? FViroZere->GetWordWrap() : TRVControlData::GetWordWrap(); }

void TViroZereRVData::InvalidateRect(const TRect& R, bool /*FromLiveSpelling*/) {
  // Only the rectangle (client coordinates) is painted again: a key typed at the end of a long
  // document repaints its line, not the window. Inside a page-layout editor the owner repaints
  // the page, which the whole invalidation tells it.
  TRVScroller* Scroller = GetScroller();
  if (Scroller->HandleAllocated() && !GetScaleViroZereInterface()) {
    const RECT r = R;
    ::InvalidateRect(Scroller->GetHandle(), &r, FALSE);
    return;
  }
  Scroller->Invalidate();
}

void TViroZereRVData::ShowRectangle(int /*Left*/, int Top, int /*Width*/, int Height) {
  // Scrolls vertically the least that brings the rectangle into the client area.
  const int clientHeight = GetHeight();
  const int vOffs = GetVOffs();
  if (Top < vOffs)
    ScrollTo(Top, true);
  else if (Top + Height > vOffs + clientHeight)
    ScrollTo(Top + Height - clientHeight + GetVSmallStep() - 1, true);
}

// ---- events raised to the viewer -----------------------------------------------------------------

void TViroZereRVData::DoRVMouseMove(int id) {
  if (FViroZere->OnRVMouseMove) FViroZere->OnRVMouseMove(GetScroller(), id);
}

void TViroZereRVData::DoRVMouseDown(TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y) {
  if (FViroZere->OnRVMouseDown) FViroZere->OnRVMouseDown(GetScroller(), Button, Shift, ItemNo, X, Y);
}

void TViroZereRVData::DoRVMouseUp(TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y) {
  if (FViroZere->OnRVMouseUp) FViroZere->OnRVMouseUp(GetScroller(), Button, Shift, ItemNo, X, Y);
}

void TViroZereRVData::DoRVRightClick(const TRVUnicodeString& ClickedWord, int StyleNo, int X, int Y) {
  if (FViroZere->OnRVRightClick) FViroZere->OnRVRightClick(GetScroller(), ClickedWord, StyleNo, X, Y);
}

void TViroZereRVData::DoRVDblClick(const TRVUnicodeString& ClickedWord, int StyleNo) {
  if (FViroZere->OnRVDblClick) FViroZere->OnRVDblClick(GetScroller(), ClickedWord, StyleNo);
}

void TViroZereRVData::DoCheckpointVisible(TRVCPInfo* CheckpointData) {
  if (FViroZere->OnCheckpointVisible) FViroZere->OnCheckpointVisible(GetScroller(), CheckpointData);
}

void TViroZereRVData::DoSelect() {
  if (!IsRoot()) {
    TRVControlData::DoSelect();
    return;
  }
  if (FViroZere->IsDestroying() || !GetScroller()->HandleAllocated()) return;
  if (FViroZere->OnSelect) FViroZere->OnSelect(GetScroller());
}

void TViroZereRVData::DoGetItemCursor(TCustomRVData* RVData, int ItemNo, TCursor& Cursor) {
  if (FViroZere->OnGetItemCursor) FViroZere->OnGetItemCursor(GetScroller(), RVData, ItemNo, Cursor);
}

void TViroZereRVData::DoStyleTemplatesChange() {
  if (!IsRoot()) {
    TRVControlData::DoStyleTemplatesChange();
    return;
  }
  FRootState->Events()->ExecuteStyleTemplatesChange();
}

void TViroZereRVData::ControlAction2(TCustomRVData* RVData, TRVControlAction AControlAction, int ItemNo,
                                     TObject* Control) {
  if (!IsRoot()) {
    TRVControlData::ControlAction2(RVData, AControlAction, ItemNo, Control);
    return;
  }
  if (!FViroZere->OnControlAction) return;
  if (TRVStyle* style = GetRVStyle()) style->RVData = RVData;
  FViroZere->OnControlAction(GetScroller(), AControlAction, ItemNo, Control);
}

void TViroZereRVData::ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, TRVUnicodeString& Text,
                                 TCustomRVData* RVData) {
  if (!IsRoot()) {
    TRVControlData::ItemAction(Action, Item, Text, RVData);
    return;
  }
  if (FViroZere->OnItemAction) FViroZere->OnItemAction(GetScroller(), Action, Item, Text, RVData);
}

void TViroZereRVData::AfterAddStyle(TCustomRVInfo* StyleInfo) {
  if (!IsRoot()) {
    TRVControlData::AfterAddStyle(StyleInfo);
    return;
  }
  if (FViroZere->OnAddStyle) FViroZere->OnAddStyle(GetScroller(), StyleInfo);
}

void TViroZereRVData::DoBeforeSaving() {
  TRVControlData::DoBeforeSaving();
  if (IsRoot()) FViroZere->DoBeforeSaving();
}

void TViroZereRVData::GetItemHint(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& UpperRVDataHint,
                                  TRVUnicodeString& Hint) {
  Hint.clear();
  if (RVData && ItemNo >= 0 && ItemNo < RVData->ItemCount()) {
    RVData->GetItem(ItemNo)->GetExtraStrProperty(rvespHint, Hint);
    if (FViroZere->OnItemHint) FViroZere->OnItemHint(GetScroller(), RVData, ItemNo, Hint);
  }
  if (Hint.empty()) Hint = UpperRVDataHint;
}

// ---- scroll geometry -----------------------------------------------------------------------------

void TViroZereRVData::AdjustVScrollUnits() {
  TRVScroller* s = GetScroller();
  const int current = s->GetVSmallStep();
  int step = current;
  if (VScrollBarShown())
    step = RVAdjustedVSmallStep(DocumentHeight, current);
  else if (current > 10 && RVVScrollUnits(DocumentHeight, 10) <= RVMaxVScrollUnits)
    step = 10;
  if (step != current) s->SetVSmallStep(step);
}

// The horizontal range is always updated; the last argument (the horizontal-update flag of the
// callers, which format with both set) lets the vertical bar stay disabled instead of hidden.
void TViroZereRVData::SetDocumentAreaSize(int Width, int Height, bool /*UpdateH*/, bool AllowEvents) {
  const int step = GetVSmallStep() > 0 ? GetVSmallStep() : 1;
  GetScroller()->UpdateScrollBars(Width, (Height + step - 1) / step, true, AllowEvents);
}

void TViroZereRVData::ScrollTo(int Y, bool Redraw) {
  if (State.Contains(rvstNoScroll)) return;
  if (Redraw)
    GetScroller()->ScrollTo(Y);
  else
    GetScroller()->ScrollToNoRedraw(Y);
}

void TViroZereRVData::HScrollTo(int X) {
  if (State.Contains(rvstNoScroll)) return;
  GetScroller()->SetHScrollPos(X);
}

int TViroZereRVData::GetRVDataExtraVOffs() {
  const int space = GetHeight() - DocumentHeight;
  int extra = 0;
  switch (FViroZere->GetVAlign()) {
    case tlCenter: extra = space / 2; break;
    case tlBottom: extra = space; break;
    case tlTop: extra = 0; break;
  }
  return extra < 0 ? 0 : extra;
}

int TViroZereRVData::GetFullDocumentHeight() {
  if (!IsRoot()) return TRVControlData::GetFullDocumentHeight();
  return GetScroller()->GetAreaHeight() * GetVSmallStep();
}

// ---- the chosen sub-document ---------------------------------------------------------------------

void TViroZereRVData::AssignChosenRVData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) {
  GetScroller()->AssignChosenRVData(RVData, Item);
  TRVControlData::AssignChosenRVData(RVData, Item);
}

void TViroZereRVData::SilentReplaceChosenRVData(TCustomRVFormattedData* RVData) {
  GetScroller()->SilentReplaceChosenRVData(RVData);
}

void TViroZereRVData::UnassignChosenRVData(TCustomRVData* RVData) {
  if (State.Contains(rvstUnAssigningChosen)) return;
  State.Include(rvstUnAssigningChosen);
  try {
    TRVControlData::UnassignChosenRVData(RVData);
    GetScroller()->UnassignChosenRVData(RVData);
  } catch (...) {
    State.Exclude(rvstUnAssigningChosen);
    throw;
  }
  State.Exclude(rvstUnAssigningChosen);
}

// ---- root-level objects --------------------------------------------------------------------------

TObject* TViroZereRVData::GetDocObjects() { return IsRoot() ? FViroZere->GetDocObjects() : nullptr; }

// ---- RVF style mappings --------------------------------------------------------------------------

void TViroZereRVData::InitStyleMappings(std::unique_ptr<TRVIntegerList>*& PTextStylesMapping,
                                        std::unique_ptr<TRVIntegerList>*& PParaStylesMapping,
                                        std::unique_ptr<TRVIntegerList>*& PListStylesMapping, int*& PPixelsPerInch,
                                        TRVStyleUnits*& PUnits) {
  if (!FRVFGlobalReadData) {
    FRVFGlobalReadData = std::make_unique<TRVFGlobalReadData>();
    if (State.Contains(rvstRVFUsesUnits))
      if (TRVStyle* style = GetRVStyle()) FRVFGlobalReadData->Units = style->Units;
  }
  ++FRVFGlobalReadData->RefCount;
  PTextStylesMapping = &FRVFGlobalReadData->RVFTextStylesMapping;
  PParaStylesMapping = &FRVFGlobalReadData->RVFParaStylesMapping;
  PListStylesMapping = &FRVFGlobalReadData->RVFListStylesMapping;
  PPixelsPerInch = &FRVFGlobalReadData->PixelsPerInch;
  PUnits = &FRVFGlobalReadData->Units;
}

void TViroZereRVData::DoneStyleMappings() {
  if (!FRVFGlobalReadData) return;
  if (--FRVFGlobalReadData->RefCount <= 0) FRVFGlobalReadData.reset();
}

void TViroZereRVData::SetRVFUseUnits(bool Value) {
  if (Value)
    State.Include(rvstRVFUsesUnits);
  else
    State.Exclude(rvstRVFUsesUnits);
}

// ---- dragging ------------------------------------------------------------------------------------

bool TViroZereRVData::CanStartDrag() {
  if (!IsRoot()) return false;
  if (GetOptions().Contains(rvoDisallowDrag)) return false;
  return FDropSource == nullptr;
}

void TViroZereRVData::SetClickPoint(int X, int Y) {
  FClickX = X;
  FClickY = Y;
}

bool TViroZereRVData::DragThresholdPassed(int X, int Y) {
  const int dx = (GetSystemMetrics(SM_CXDRAG) + 1) / 2;
  const int dy = (GetSystemMetrics(SM_CYDRAG) + 1) / 2;
  return !(std::abs(X - FClickX) < dx && std::abs(Y - FClickY) < dy);
}

// ---- animation -----------------------------------------------------------------------------------

void TViroZereRVData::InsertAnimator(TRVItemAnimator*& Animator) {
  auto* animator = dynamic_cast<TRVAnimator*>(Animator);
  if (!animator) return;
  if (!FAnimatorList) FAnimatorList = std::make_unique<TRVAnimatorList>();
  FAnimatorList->Add(animator);
  Animator = animator;
  if (animator && FPlayingAnimation) FViroZere->StartAnimation();
}

bool TViroZereRVData::AllowAnimation() { return FViroZere->GetAnimationMode() != rvaniDisabled; }

void TViroZereRVData::ResetAniBackground() {
  if (FAnimatorList) FAnimatorList->ResetBackground();
}

// ---- the font-metric cache -----------------------------------------------------------------------

TRVFontInfoCache* TViroZereRVData::CreateFontInfoCache(TCanvas* ACanvas, TCanvas* AFormatCanvas) {
  if (!IsRoot()) return TRVControlData::CreateFontInfoCache(ACanvas, AFormatCanvas);
  delete FFontInfoCache;
  FFontInfoCache = nullptr;
  FFontInfoCache = GetFontInfoCache(ACanvas, AFormatCanvas, this);
  return FFontInfoCache;
}

TRVFontInfoCache* TViroZereRVData::GetFontInfoCache(TCanvas* ACanvas, TCanvas* AFormatCanvas,
                                                    TCustomRVFormattedData* RVData) {
  if (FFontInfoCache) return FFontInfoCache;
  const bool canUseCustomPPI = GetFlags().Contains(rvflCanUseCustomPPI);
  if (GetOptions().Contains(rvoFastFormatting) && IsWinNT)
    return new TRVFontInfoCacheFast(RVData, canUseCustomPPI, ACanvas, AFormatCanvas, GetRVStyle());
  return new TRVFontInfoCacheLowResource(RVData, canUseCustomPPI, ACanvas, AFormatCanvas, GetRVStyle());
}

void TViroZereRVData::DestroyFontInfoCache(TRVFontInfoCache*& Cache) {
  if (Cache == FFontInfoCache) FFontInfoCache = nullptr;
  TRVControlData::DestroyFontInfoCache(Cache);
}

// ---- clearing and the page-layout editor -----------------------------------------------------------

void TViroZereRVData::Clear() {
  FViroZere->ClearLiveSpellingResult();
  if (FViroZere->GetAnimationMode() == rvaniOnFormat) FViroZere->StopAnimation();
  if (IsRoot()) FRootState->Properties()->ClearThumbnailCache();
  TRVControlData::Clear();
  if (IsRoot()) {
    if (auto sv = GetScaleViroZereInterface()) sv->DoOnClear(this);
    FViroZere->DoOnClear();
  }
}

std::shared_ptr<IRVScaleViroZereInterface> TViroZereRVData::GetScaleViroZereInterface() {
  if (GetParentData()) return TRVControlData::GetScaleViroZereInterface();
  return OnGetScaleViroZereInterface ? OnGetScaleViroZereInterface() : nullptr;
}
