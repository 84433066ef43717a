// The frame of a formatted document: creation, clearing, selection of everything, deselection,
// draw-item boundary offsets, the invisible-item rules and the hover range of hyperlinks.
#include "engine/layout/RVFormattedData.h"

#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFontInfoCache.h"
#include "engine/styles/FontInfo.h"

// ---- selecting info ------------------------------------------------------------------------------

void TRVSelectingInfo::InitE(TRVSelectingState ASWordState) {
  DrawItemENo = DrawItemSNo;
  DrawItemEOffs = DrawItemSOffs;
  DrawItemEWordOffs1 = DrawItemSWordOffs1;
  DrawItemEWordOffs2 = DrawItemSWordOffs2;
  if (ASWordState == rvsesParaMode) {
    SWordState = rvsesParaMode;
    EWordState = rvsesParaMode;
  } else {
    SWordState = ASWordState;
    EWordState = rvsesInWord;
  }
}

bool TRVSelectingInfo::IsInSWord(int DrawItemNo, int Offs) const {
  return DrawItemNo == DrawItemSNo && DrawItemSWordOffs1 <= Offs && Offs <= DrawItemSWordOffs2;
}

bool TRVSelectingInfo::IsAboveSWord(int DrawItemNo, int Offs) const {
  return DrawItemNo < DrawItemSNo || (DrawItemNo == DrawItemSNo && Offs < DrawItemSWordOffs1);
}

bool TRVSelectingInfo::IsBelowSWord(int DrawItemNo, int Offs) const {
  return DrawItemNo > DrawItemSNo || (DrawItemNo == DrawItemSNo && Offs > DrawItemSWordOffs2);
}

bool TRVSelectingInfo::IsEWord(int DrawItemNo, int WordOffs1, int WordOffs2) const {
  return DrawItemNo == DrawItemENo && WordOffs1 == DrawItemEWordOffs1 && WordOffs2 == DrawItemEWordOffs2;
}

bool TRVSelectingInfo::IsEFreeStateNeeded(int DrawItemNo, int Offs) const {
  return (IsAboveSWord(DrawItemNo, Offs) && Offs > DrawItemEOffs) ||
         (IsBelowSWord(DrawItemNo, Offs) && Offs < DrawItemEOffs);
}

// ---- creation ---------------------------------------------------------------------------------------

TCustomRVFormattedData::TCustomRVFormattedData() : DrawItems(std::make_unique<TRVDrawLines>()) {}

TCustomRVFormattedData::~TCustomRVFormattedData() {
  // Descendants are gone by now: free the draw items without asking them.
  for (int i = 0; i < DrawItems->Count(); ++i) delete DrawItems->Get(i);
  DrawItems->Clear();
  FSelectingInfo.reset();
}

void TCustomRVFormattedData::ClearTemporal() {
  for (int i = 0; i < DrawItems->Count(); ++i) delete DrawItems->Get(i);
  DrawItems->Clear();
  ClearJumps(false);
  nJmps = 0;
  FActiveItem = nullptr;
  FCaptureMouseItem = nullptr;
  LastDIMovedAbove = -1;
  State.Exclude(rvstMakingSelection);
  State.Exclude(rvstLineSelection);
  State.Exclude(rvstDrawHover);
  LastRaisedCP = nullptr;
  FClickedDrawItemNo = -1;
  FSelectingInfo.reset();
  LastItemFormatted = -1;
  DocumentHeight = GetTopMargin() + GetBottomMargin();
}

void TCustomRVFormattedData::ClearJumps(bool CallEvent) {
  if (LastJumpDIMovedAboveFirst >= 0) {
    State.Exclude(rvstDrawHover);
    if (CallEvent) DoRVMouseMove(-1);
  }
  LastJumpDIMovedAboveFirst = -1;
  LastJumpDIMovedAboveLast = -1;
  LastJumpDIDowned = -1;
}

void TCustomRVFormattedData::Clear() {
  const bool wasClearing = State.Contains(rvstClearing);
  State.Include(rvstClearing);
  try {
    ClearSoftPageBreaks();
    Deselect(nullptr, true);
    ClearTemporal();
    TCustomRVData::Clear();
  } catch (...) {
    if (!wasClearing) State.Exclude(rvstClearing);
    throw;
  }
  if (!wasClearing) State.Exclude(rvstClearing);
}

void TCustomRVFormattedData::DestroyItem(TCustomRVItemInfo* Item, bool Clearing) {
  if (FCaptureMouseItem == Item) FCaptureMouseItem = nullptr;
  if (FActiveItem == Item) FActiveItem = nullptr;
  if (FPartialSelectedItem == Item) FPartialSelectedItem = nullptr;
  if (LastRaisedCP && LastRaisedCP->ItemInfo == Item) LastRaisedCP = nullptr;
  TCustomRVData::DestroyItem(Item, Clearing);
}

bool TCustomRVFormattedData::ClearSoftPageBreaks() {
  // Pagination in progress keeps them.
  if (State.Contains(rvstPreserveSoftPageBreaks)) return false;
  const bool had = FSoftPageBreaks != nullptr;
  FSoftPageBreaks.reset();
  // A document that shares another's items (a printed copy) leaves their breaks alone: the items
  // are the source's, and may already be gone when the copy is destroyed. Items get breaks only
  // together with the list (soft page breaks assigned by pagination), so without one there is
  // nothing to walk: every edit asks, and a long document would pay for each item.
  if (had && !SharesItemList())
    for (int i = 0; i < ItemCount(); ++i) GetItem(i)->ClearSoftPageBreaks();
  return had;
}

// ---- selection -------------------------------------------------------------------------------------

void TCustomRVFormattedData::Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent) {
  if (State.Contains(rvstDeselecting)) return;
  State.Include(rvstDeselecting);
  try {
    State.Exclude(rvstMakingSelection);
    State.Exclude(rvstLineSelection);
    FSelStartNo = -1;
    FSelEndNo = -1;
    FSelStartOffs = 0;
    FSelEndOffs = 0;
    if (FocusedItemNo >= 0 && FocusedItemNo < ItemCount()) GetItem(FocusedItemNo)->ClearFocus();
    FocusedItemNo = -1;
    ChosenItemChanging(NewPartiallySelected);
    if (MakeEvent) DoSelect();
  } catch (...) {
    State.Exclude(rvstDeselecting);
    throw;
  }
  State.Exclude(rvstDeselecting);
}

void TCustomRVFormattedData::ChosenItemChanging(TCustomRVItemInfo* NewItem) {
  if (FPartialSelectedItem && FPartialSelectedItem != NewItem) {
    TCustomRVItemInfo* old = FPartialSelectedItem;
    FPartialSelectedItem = nullptr;
    old->DeselectPartial();
  }
  TCustomRVItemInfo* chosen = GetChosenItem();
  if (chosen && chosen != NewItem) UnassignChosenRVData(GetChosenRVData());
}

void TCustomRVFormattedData::SelectAll() {
  if (ItemCount() == 0 || DrawItems->Count() == 0) return;
  LiveSpellingCheckCurrent();
  DestroyInplaceEditor();
  ChosenItemChanging(nullptr);
  FSelStartNo = 0;
  FSelStartOffs = GetOffsBeforeDrawItem(0);
  FSelEndNo = DrawItems->Count() - 1;
  FSelEndOffs = GetOffsAfterDrawItem(FSelEndNo);
  DoOnSelection(false);
  DoSelect();
}

void TCustomRVFormattedData::GetSelBounds(int& StartNo, int& EndNo, int& StartOffs, int& EndOffs, bool Normalize) {
  StartNo = FSelStartNo;
  EndNo = FSelEndNo;
  StartOffs = FSelStartOffs;
  EndOffs = FSelEndOffs;
  if (Normalize && (StartNo > EndNo || (StartNo == EndNo && StartOffs > EndOffs))) {
    std::swap(StartNo, EndNo);
    std::swap(StartOffs, EndOffs);
  }
}

void TCustomRVFormattedData::GetSelectionBoundsEx(int& StartItemNo, int& StartItemOffs, int& EndItemNo,
                                                  int& EndItemOffs, bool Normalize) {
  int sNo, eNo, sOffs, eOffs;
  GetSelBounds(sNo, eNo, sOffs, eOffs, Normalize);
  auto toItem = [this](int dNo, int dOffs, int& ItemNo, int& ItemOffs) {
    if (dNo < 0 || dNo >= DrawItems->Count()) {
      ItemNo = -1;
      ItemOffs = -1;
      return;
    }
    TRVDrawLineInfo* d = DrawItems->Get(dNo);
    ItemNo = d->ItemNo;
    ItemOffs = GetItem(ItemNo)->StyleNo >= 0 ? dOffs + d->Offs - 1 : dOffs;
  };
  toItem(sNo, sOffs, StartItemNo, StartItemOffs);
  toItem(eNo, eOffs, EndItemNo, EndItemOffs);
}

int TCustomRVFormattedData::GetOffsBeforeDrawItem(int DrawItemNo) {
  return GetItem(DrawItems->Get(DrawItemNo)->ItemNo)->StyleNo >= 0 ? 1 : 0;
}

int TCustomRVFormattedData::GetOffsAfterDrawItem(int DrawItemNo) {
  TRVDrawLineInfo* d = DrawItems->Get(DrawItemNo);
  TCustomRVItemInfo* item = GetItem(d->ItemNo);
  if (item->StyleNo < 0) return 1;
  if (d->TextLength == 0 && item->ItemText.empty()) {
    TRVStyle* st = GetRVStyle();
    const int style = GetActualStyle(item);
    if (st && RVInRange(style, st->TextStyles()->Count()) && st->TextStyles()->Items(style)->EmptyWidth > 0)
      return 2;
  }
  return d->TextLength + 1;
}

// ---- invisible items -------------------------------------------------------------------------------

bool TCustomRVFormattedData::IsInvisibleItem(int ItemNo) {
  if (GetOptions().Contains(rvoShowHiddenText)) return false;
  return IsHiddenItem(ItemNo);
}

bool TCustomRVFormattedData::IsInvisibleLine(int ItemNo) {
  if (GetOptions().Contains(rvoShowHiddenText)) return false;
  if (!IsHiddenItem(ItemNo)) return false;
  for (int i = ItemNo + 1; i < ItemCount() && !IsFromNewLine(i); ++i)
    if (!IsHiddenItem(i)) return false;
  return true;
}

bool TCustomRVFormattedData::IsHiddenParaSection(int ItemNo) {
  if (GetOptions().Contains(rvoShowHiddenText)) return false;
  const int first = GetFirstParaSectionItem(ItemNo);
  return IsInvisibleLine(first);
}

bool TCustomRVFormattedData::ShowsSpecialCharacters() {
  return GetOptions().Contains(rvoShowSpecialCharacters) && !State.Contains(rvstNoSpecialCharacters);
}

bool TCustomRVFormattedData::AllowChanging() {
  if (GetFlags().Contains(rvflRoot)) return false;
  TCustomRVData* root = GetAbsoluteRootData();
  if (!root || root == this) return false;
  TCustomRVFormattedData* f = root->AsFormattedData();
  return f ? f->AllowChanging() : false;
}

void TCustomRVFormattedData::ExpandHoverJumpRange() {
  LastJumpDIMovedAboveLast = LastJumpDIMovedAboveFirst;
  const int n = DrawItems->Count();
  if (LastJumpDIMovedAboveFirst < 0 || LastJumpDIMovedAboveFirst >= n) return;
  const TRVUnicodeString& tag = GetItem(DrawItems->Get(LastJumpDIMovedAboveFirst)->ItemNo)->Tag;
  if (tag.empty()) return;
  while (LastJumpDIMovedAboveFirst > 0 &&
         GetItem(DrawItems->Get(LastJumpDIMovedAboveFirst - 1)->ItemNo)->Tag == tag)
    --LastJumpDIMovedAboveFirst;
  while (LastJumpDIMovedAboveLast + 1 < n && GetItem(DrawItems->Get(LastJumpDIMovedAboveLast + 1)->ItemNo)->Tag == tag)
    ++LastJumpDIMovedAboveLast;
}

TRVDocWidthChangeStates TCustomRVFormattedData::GetDrawingStates(bool NoCaching, bool Reformatting,
                                                                 bool UseFormatCanvas, bool ThisLevelOnly) {
  TRVDocWidthChangeStates s;
  if (GetFlags().Contains(rvflPrinting)) s.Include(rvdwcsPrinting);
  if (NoCaching) s.Include(rvdwcsNoCaching);
  if (Reformatting) s.Include(rvdwcsReformatting);
  if (UseFormatCanvas) s.Include(rvdwcsUseFormatCanvas);
  if (ThisLevelOnly) s.Include(rvdwcsThisLevelOnly);
  return s;
}

bool TCustomRVFormattedData::GetFirstParaListInfo(int& ListNo, int& Level) {
  ListNo = -1;
  Level = -1;
  return false;
}

void TCustomRVFormattedData::GetOrigin(int& ALeft, int& ATop) {
  ALeft = 0;
  ATop = 0;
}

void TCustomRVFormattedData::GetOriginEx(int& ALeft, int& ATop) { GetOrigin(ALeft, ATop); }

int TCustomRVFormattedData::GetAreaWidthRot() {
  return IsVerticalText() ? GetAreaHeight() : GetAreaWidth();
}

int TCustomRVFormattedData::GetWidthRot() { return IsVerticalText() ? GetHeight() : GetWidth(); }

int TCustomRVFormattedData::GetHeightRot() { return IsVerticalText() ? GetWidth() : GetHeight(); }

// ---- font metric caches ----------------------------------------------------------------------------

TRVFontInfoCache* TCustomRVFormattedData::CreateFontInfoCache(TCanvas* ACanvas, TCanvas* AFormatCanvas) {
  TCustomRVData* root = GetAbsoluteRootData();
  if (root && root != this && root->AsFormattedData())
    return root->AsFormattedData()->GetFontInfoCache(ACanvas, AFormatCanvas, this);
  return GetFontInfoCache(ACanvas, AFormatCanvas, this);
}

TRVFontInfoCache* TCustomRVFormattedData::GetFontInfoCache(TCanvas* ACanvas, TCanvas* AFormatCanvas,
                                                           TCustomRVFormattedData* RVData) {
  const bool canUseCustomPPI = RVData->GetFlags().Contains(rvflCanUseCustomPPI);
  if (GetOptions().Contains(rvoFastFormatting))
    return new TRVFontInfoCacheFast(RVData, canUseCustomPPI, ACanvas, AFormatCanvas, GetRVStyle());
  return new TRVFontInfoCacheLowResource(RVData, canUseCustomPPI, ACanvas, AFormatCanvas, GetRVStyle());
}

// A cache lent by the root (made for the root or another document) stays with its owner.
void TCustomRVFormattedData::DestroyFontInfoCache(TRVFontInfoCache*& Cache) {
  if (!Cache || Cache->FOwner != this) return;
  delete Cache;
  Cache = nullptr;
}

// ---- focus among items and the document background ------------------------------------------------

int TCustomRVFormattedData::GetNextFocusedItem(int ItemNo, bool GoForward, TCustomRVFormattedData*& TopLevelRVData,
                                               int& TopLevelItemNo) {
  TopLevelRVData = nullptr;
  TopLevelItemNo = -1;
  const int count = ItemCount();
  if (count == 0) return -1;
  if (ItemNo < -1 || ItemNo >= count) ItemNo = -1;
  TRVStyle* style = GetRVStyle();
  int i = ItemNo < 0 ? (GoForward ? 0 : count - 1) : (GoForward ? ItemNo + 1 : ItemNo - 1);
  for (; i >= 0 && i < count; i += GoForward ? 1 : -1) {
    if (IsInvisibleItem(i)) continue;
    TCustomRVItemInfo* item = GetItem(i);
    if (item->GetBoolValue(rvbpHasSubRVData)) {
      TCustomRVData* sub = nullptr;
      int subItem = -1;
      if (item->MoveFocus(GoForward, sub, subItem) && sub) {
        TopLevelRVData = sub->AsFormattedData();
        TopLevelItemNo = subItem;
        return i;
      }
      continue;
    }
    if (item->GetBoolValueEx(rvbpAllowsFocus, style)) {
      TopLevelRVData = this;
      TopLevelItemNo = i;
      return i;
    }
  }
  return -1;
}

void TCustomRVFormattedData::DrawBackground(TCanvas* Canvas, const TRect& R, bool /*AllowThumbnails*/,
                                            TRVGraphicInterface* /*GraphicInterface*/) {
  TColor color = GetColor();
  if (color == clNone) return;
  Canvas->Brush().SetColor(color);
  Canvas->Brush().SetStyle(bsSolid);
  Canvas->FillRect(R);
}
