// Mouse input of a formatted document: the draw item under the pointer, the hover state of
// hyperlinks and the cursor, selecting by characters, words, lines and paragraphs while the
// button is held, the drag candidate of a press inside the selection, double and triple clicks,
// hyperlinks followed on release, the events raised through the root, and feedback drawn by
// inverting pixels.
#include <algorithm>

#include "engine/document/RVTextItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/Controls.h"

namespace {

// Entries of the screen's cursor table.
constexpr TCursor crArrowCursor = -2;
constexpr TCursor crIBeamCursor = -4;
constexpr TCursor NoLineSelectCursor = 0xFFFF;

TWinControl* ParentWindowOf(TCustomRVData* Data) {
  TCustomRVData* root = Data->GetAbsoluteRootData();
  return dynamic_cast<TWinControl*>((root ? root : Data)->GetParentControl());
}

void FocusControlOf(TCustomRVData* Data) {
  if (TWinControl* c = ParentWindowOf(Data); c && c->CanFocus()) c->SetFocus();
}

}  // namespace

// ---- events, raised by the root ----------------------------------------------------------------

void TCustomRVFormattedData::DoRVMouseDown(TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y) {
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->DoRVMouseDown(Button, Shift, ItemNo, X, Y);
}
void TCustomRVFormattedData::DoRVMouseUp(TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y) {
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->DoRVMouseUp(Button, Shift, ItemNo, X, Y);
}
void TCustomRVFormattedData::DoRVRightClick(const TRVUnicodeString& ClickedWord, int StyleNo, int X, int Y) {
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->DoRVRightClick(ClickedWord, StyleNo, X, Y);
}
void TCustomRVFormattedData::DoRVDblClick(const TRVUnicodeString& ClickedWord, int StyleNo) {
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->DoRVDblClick(ClickedWord, StyleNo);
}
void TCustomRVFormattedData::DoJump(int id) {
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->DoJump(id);
}
void TCustomRVFormattedData::DoGetItemCursor(TCustomRVData* RVData, int ItemNo, TCursor& Cursor) {
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->DoGetItemCursor(RVData, ItemNo, Cursor);
}
bool TCustomRVFormattedData::IsAssignedRVMouseDown() const {
  auto* root = const_cast<TCustomRVFormattedData*>(this)->AbsRootFormatted();
  return root && root->IsAssignedRVMouseDown();
}
bool TCustomRVFormattedData::IsAssignedRVMouseUp() const {
  auto* root = const_cast<TCustomRVFormattedData*>(this)->AbsRootFormatted();
  return root && root->IsAssignedRVMouseUp();
}
bool TCustomRVFormattedData::IsAssignedRVRightClick() const {
  auto* root = const_cast<TCustomRVFormattedData*>(this)->AbsRootFormatted();
  return root && root->IsAssignedRVRightClick();
}
bool TCustomRVFormattedData::IsAssignedRVDblClick() const {
  auto* root = const_cast<TCustomRVFormattedData*>(this)->AbsRootFormatted();
  return root && root->IsAssignedRVDblClick();
}
bool TCustomRVFormattedData::IsAssignedJump() const {
  auto* root = const_cast<TCustomRVFormattedData*>(this)->AbsRootFormatted();
  return root && root->IsAssignedJump();
}
TCursor TCustomRVFormattedData::GetNormalCursor() {
  TCustomRVFormattedData* root = AbsRootFormatted();
  return root ? root->GetNormalCursor() : crIBeamCursor;
}

TPoint TCustomRVFormattedData::ClientToScreen(TPoint P) {
  if (TWinControl* c = ParentWindowOf(this); c && c->HandleAllocated()) ::ClientToScreen(c->GetHandle(), &P);
  return P;
}

TPoint TCustomRVFormattedData::ScreenToClient(TPoint P) {
  if (TWinControl* c = ParentWindowOf(this); c && c->HandleAllocated()) ::ScreenToClient(c->GetHandle(), &P);
  return P;
}

HWND TCustomRVFormattedData::GetRootControlWindow() {
  TWinControl* c = ParentWindowOf(this);
  return c ? c->GetHandle() : nullptr;
}

void TCustomRVFormattedData::SetCursor(TCursor Cursor) {
  if (auto* c = dynamic_cast<TControl*>(GetParentControl())) c->SetCursor(Cursor);
}

void TCustomRVFormattedData::RefreshControl(bool Now) {
  auto* c = dynamic_cast<TControl*>(GetParentControl());
  if (!c) return;
  if (Now)
    c->Refresh();
  else
    c->Invalidate();
}

// ---- tracking the pointer -------------------------------------------------------------------

void TCustomRVFormattedData::TrackDrawItemUnderPointer(int X, int Y) {
  if (FCaptureMouseItem) return;
  RotateCoordsFromScreenToDoc(X, Y, false, false);
  const int n = DrawItems->Count();
  if (LastDIMovedAbove >= n) LastDIMovedAbove = -1;
  if (LastDIMovedAbove >= 0) {
    TRVDrawLineInfo* d = DrawItems->Get(LastDIMovedAbove);
    const int top = GetTransformedDItemTop(LastDIMovedAbove) - d->GetExtraSpaceAbove();
    if (d->Left <= X && X < d->Left + d->Width && top <= Y && Y < top + d->Height) return;
  }
  LastDIMovedAbove = GetDrawItemAt(X, Y);
}

bool TCustomRVFormattedData::IsAboveLineSelectMargin(int X, int Y) {
  X += GetHOffs();
  Y += GetVOffs();
  RotateCoordsFromScreenToDoc(X, Y, false, false);
  return X < GetLeftMargin();
}

void TCustomRVFormattedData::ResetItemHint() {
  if (!GetOptions().Contains(rvoShowItemHints)) return;
  TRVUnicodeString hint;
  GetItemHint(this, -1, TRVUnicodeString(), hint);
  SetControlHint(hint);
}

void TCustomRVFormattedData::ClearJumpHover() {
  const bool highlighted = LastJumpDIMovedAboveFirst >= 0;
  InvalidateHighlightedJump();
  if (highlighted) {
    State.Exclude(rvstDrawHover);
    DoRVMouseMove(-1);
  }
  LastJumpDIMovedAboveFirst = -1;
  LastJumpDIMovedAboveLast = -1;
}

void TCustomRVFormattedData::UpdateJumpHover(int NewDI, int PrevDI, bool JumpsJustBuilt) {
  TCustomRVData* root = GetAbsoluteRootData();
  if (!root->GetFlags().Contains(rvflUseJumps)) return;
  TRVStyle* st = GetRVStyle();
  const int n = DrawItems->Count();
  TCustomRVItemInfo* item = NewDI >= 0 && NewDI < n ? GetItem(DrawItems->Get(NewDI)->ItemNo) : nullptr;
  const bool isJump = item && item->GetBoolValueEx(rvbpJump, st);
  if (isJump) {
    TCursor cursor = item->StyleNo >= 0 ? st->TextStyles()->Items(GetActualStyle(item))->JumpCursor
                                        : item->GetHypertextCursor(st);
    SetCursor(cursor);
  }
  if (NewDI == PrevDI && !JumpsJustBuilt) return;
  if (PrevDI >= 0 && PrevDI < n && (!item || DrawItems->Get(PrevDI)->ItemNo != DrawItems->Get(NewDI)->ItemNo))
    GetItem(DrawItems->Get(PrevDI)->ItemNo)->MouseLeave();
  if (!isJump) {
    if (LastJumpDIMovedAboveFirst >= 0) ClearJumpHover();
    return;
  }
  DoRVMouseMove(item->JumpID + FFirstJumpNo);
  InvalidateHighlightedJump();
  LastJumpDIMovedAboveFirst = NewDI;
  ExpandHoverJumpRange();
  // Every draw item of the hyperlink's item belongs to the range (an item wrapped over lines).
  const int itemNo = DrawItems->Get(NewDI)->ItemNo;
  while (LastJumpDIMovedAboveFirst > 0 && DrawItems->Get(LastJumpDIMovedAboveFirst - 1)->ItemNo == itemNo)
    --LastJumpDIMovedAboveFirst;
  while (LastJumpDIMovedAboveLast + 1 < n && DrawItems->Get(LastJumpDIMovedAboveLast + 1)->ItemNo == itemNo)
    ++LastJumpDIMovedAboveLast;
  State.Include(rvstDrawHover);
  InvalidateHighlightedJump();
}

bool TCustomRVFormattedData::HoverStep(TShiftState Shift, int X, int Y, bool AllowJumps, bool JumpsJustBuilt) {
  const int dx = X + GetHOffs(), dy = Y + GetVOffs();
  const int prev = LastDIMovedAbove;
  TrackDrawItemUnderPointer(dx, dy);
  const int di = LastDIMovedAbove;
  if (di < 0 || di >= DrawItems->Count()) {
    if (AllowJumps) UpdateJumpHover(-1, prev, JumpsJustBuilt);
    if (!State.Contains(rvstMakingSelection)) ResetItemHint();
    return false;
  }
  TRVDrawLineInfo* d = DrawItems->Get(di);
  const int itemNo = d->ItemNo;
  TCustomRVItemInfo* item = GetItem(itemNo);
  const int relX = dx - d->Left, relY = dy - GetTransformedDItemTop(di);
  if (GetOptions().Contains(rvoShowItemHints) && !State.Contains(rvstMakingSelection)) {
    TRVUnicodeString hint;
    GetItemHint(this, itemNo, TRVUnicodeString(), hint);
    SetControlHint(hint);
  }
  const bool isJump =
      AllowJumps && GetAbsoluteRootData()->GetFlags().Contains(rvflUseJumps) && item->GetBoolValueEx(rvbpJump, GetRVStyle());
  if (AllowJumps) UpdateJumpHover(di, prev, JumpsJustBuilt);
  if (isJump) {
    item->MouseMove(Shift, relX, relY, itemNo, this);
    return true;
  }
  const bool handled = item->MouseMove(Shift, relX, relY, itemNo, this);
  if (!handled && !Shift.Contains(ssShift) && CanStartDrag()) {
    int no, offs;
    FindDrawItemForSel(dx, dy, no, offs, true);
    if (no >= 0 && DrawItem_InsideSelection(no, offs, true)) {
      SetCursor(crArrowCursor);
      return true;
    }
  }
  TCursor cursor = -1;
  DoGetItemCursor(this, itemNo, cursor);
  if (cursor != -1) {
    SetCursor(cursor);
    return true;
  }
  return false;
}

// ---- collapsing the selection ------------------------------------------------------------------

void TCustomRVFormattedData::CollapseSelectionAt(int X, int Y, bool KeepInside) {
  int no, offs;
  FindDrawItemForSel(X, Y, no, offs, false);
  if (no >= 0 && DrawItem_InsideSelection(no, offs, true) && KeepInside) return;
  FSelStartNo = FSelEndNo = no;
  FSelStartOffs = FSelEndOffs = offs;
  AdjustMouseUpSelection();
  DoOnSelection(true);
  if (SelectionExists(false, false)) ChooseMe();
  DoSelect();
  RefreshControl(true);
}

// ---- the mouse ------------------------------------------------------------------------------------

void TCustomRVFormattedData::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomRVData* root = GetAbsoluteRootData();
  const bool jumpsJustBuilt = root->State.Contains(rvstJumpsJustBuilt);
  root->State.Exclude(rvstJumpsJustBuilt);
  TRVStyle* st = GetRVStyle();
  if (!st) return;
  if (State.Contains(rvstMakingSelection) && !Shift.Contains(ssLeft)) {
    State.Exclude(rvstMakingSelection);
    FSelectingInfo.reset();
  }
  ClearXorDrawing();
  const int dx = X + GetHOffs(), dy = Y + GetVOffs();
  bool cursorSet = false;
  if (!FCaptureMouseItem) {
    if (root->State.Contains(rvstStartingDragDrop) && IsDragThresholdExceeded(dx, dy)) {
      // The control starts the drag from its message loop.
      if (HWND w = GetRootControlWindow()) PostMessage(w, WM_USER + 16, 0, 0);
      return;
    }
    const bool making = State.Contains(rvstMakingSelection);
    if (making) {
      int cx = X, cy = Y;
      if (!root->GetFlags().Contains(rvflMouseXYAlwaysCorrect)) {
        cx = std::clamp(cx, 0, GetWidth());
        cy = std::clamp(cy, 0, GetHeight());
      }
      const bool lines = State.Contains(rvstLineSelection);
      bool changed;
      if (lines) {
        changed = ExtendSelectionTo(cx + GetHOffs(), cy + GetVOffs());
        ExpandSelectionToLines(false);
      } else {
        changed = ExtendSelectionByWordTo(cx + GetHOffs(), cy + GetVOffs());
      }
      if (changed) {
        DoOnSelection(!lines);
        RefreshControl(true);
      }
    }
    if (st->LineSelectCursor != NoLineSelectCursor && !making && GetBiDiMode() != rvbdRightToLeft &&
        IsAboveLineSelectMargin(X, Y) && GetOptions().Contains(rvoAllowSelection)) {
      ResetItemHint();
      SetCursor(st->LineSelectCursor);
      cursorSet = true;
    } else {
      cursorSet = HoverStep(Shift, X, Y, true, jumpsJustBuilt);
    }
  } else {
    cursorSet = HoverStep(Shift, X, Y, false, jumpsJustBuilt);
  }
  if (!cursorSet) SetCursor(GetNormalCursor());
  XorDrawingEx(X, Y);
}

void TCustomRVFormattedData::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  LiveSpellingCheckCurrent();
  TCustomRVData* root = GetAbsoluteRootData();
  TRVStyle* st = GetRVStyle();
  const int dx = X + GetHOffs(), dy = Y + GetVOffs();
  TrackDrawItemUnderPointer(dx, dy);
  const int di = LastDIMovedAbove >= 0 && LastDIMovedAbove < DrawItems->Count() ? LastDIMovedAbove : -1;
  FClickedDrawItemNo = di;
  const bool dbl = Shift.Contains(ssDouble);
  int itemNo = -1;
  TCustomRVItemInfo* item = nullptr;
  if (di < 0) {
    DestroyInplaceEditor();
    if (!dbl) FocusControlOf(this);
  } else {
    TRVDrawLineInfo* d = DrawItems->Get(di);
    itemNo = d->ItemNo;
    item = GetItem(itemNo);
    if (item != FPartialSelectedItem && item != GetChosenItem()) {
      ChosenItemChanging(nullptr);
      if (!dbl) FocusControlOf(this);
    }
    if (TObject* editor = GetInplaceEditor(); editor && !item->OwnsInplaceEditor(editor)) {
      DestroyInplaceEditor();
      if (!dbl) FocusControlOf(this);
    }
    item->MouseDown(static_cast<int>(Button), Shift, dx - d->Left, dy - GetTransformedDItemTop(di), itemNo, this);
  }
  if (!GetInplaceEditor() && IsAssignedRVMouseDown()) DoRVMouseDown(Button, Shift, itemNo, X, Y);
  LastJumpDIDowned = item && root->GetFlags().Contains(rvflUseJumps) && item->GetBoolValueEx(rvbpJump, st) ? di : -1;
  if (FCaptureMouseItem || GetInplaceEditor()) {
    if (di >= 0) {
      FSelStartNo = FSelEndNo = di;
      FSelStartOffs = FSelEndOffs = 1;
      DoOnSelection(true);
    }
    return;
  }
  if (Button != mbLeft || dbl || root->State.Contains(rvstStartingDragDrop) || !st) return;
  const TRVOptions options = GetOptions();
  if (options.Contains(rvoSingleClick) && IsAssignedRVDblClick()) {
    TRVUnicodeString word;
    int styleNo = 0, wItemNo = -1, wOffs = 0;
    TCustomRVFormattedData* wData = nullptr;
    if (FindWordAt(word, X, Y, styleNo, wItemNo, wOffs, wData)) DoRVDblClick(word, styleNo);
  }
  if (!options.Contains(rvoAllowSelection) || !Shift.Contains(ssLeft)) return;
  State.Exclude(rvstLineSelection);
  ChosenItemChanging(nullptr);
  const bool shift = Shift.Contains(ssShift);
  int no, offs;
  FindDrawItemForSel(dx, dy, no, offs, false);
  GetSelStart(FSelStartNo, FSelStartOffs);
  if (no >= 0 && DrawItem_InsideSelection(no, offs, true)) {
    int sNo, sOffs;
    FindDrawItemForSel(dx, dy, sNo, sOffs, true);
    if (sNo >= 0 && !shift && !IsAboveLineSelectMargin(X, Y) && DrawItem_InsideSelection(sNo, sOffs, true) && CanStartDrag()) {
      // A drag candidate: the release collapses the selection, a move past the threshold drags.
      root->State.Include(rvstStartingDragDrop);
      SetClickCoords(dx, dy);
      return;
    }
  }
  const bool hadStart = FSelStartNo >= 0;
  FSelEndNo = no;
  FSelEndOffs = offs;
  if (!shift || !hadStart) {
    FSelStartNo = no;
    FSelStartOffs = offs;
  }
  if (FSelEndNo == -1) {
    State.Exclude(rvstMakingSelection);
  } else {
    State.Include(rvstMakingSelection);
    FSelectingInfo.reset();
    if (st->LineSelectCursor != NoLineSelectCursor && GetBiDiMode() != rvbdRightToLeft &&
        IsAboveLineSelectMargin(X, Y) && !shift) {
      State.Include(rvstLineSelection);
      ExpandSelectionToLines(false);
    } else if (st->SelectionMode == rvsmWord || st->SelectionMode == rvsmParagraph) {
      FSelectingInfo = std::make_unique<TRVSelectingInfo>();
      TRVSelectingInfo& si = *FSelectingInfo;
      si.DrawItemSNo = FSelStartNo;
      si.DrawItemSOffs = si.DrawItemEOffs = FSelStartOffs;
      if (st->SelectionMode == rvsmParagraph) {
        si.InitE(rvsesParaMode);
        if (shift) ExtendSelectionByWordTo(dx, dy);
      } else if (IsInsideWord(FSelStartNo, FSelStartOffs)) {
        GetWordBounds(FSelStartNo, FSelStartOffs, si.DrawItemSWordOffs1, si.DrawItemSWordOffs2);
        si.InitE(rvsesInWord);
      } else {
        si.DrawItemSWordOffs1 = si.DrawItemSWordOffs2 = FSelStartOffs;
        si.InitE(rvsesFreeMode);
      }
    }
  }
  DoOnSelection(!State.Contains(rvstMakingSelection));
  RefreshControl(false);
}

void TCustomRVFormattedData::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomRVData* root = GetAbsoluteRootData();
  const int dx = X + GetHOffs(), dy = Y + GetVOffs();
  if (Button == mbLeft && root->State.Contains(rvstStartingDragDrop)) {
    root->State.Exclude(rvstStartingDragDrop);
    CollapseSelectionAt(dx, dy, false);
  }
  // Without resetting an empty selection: a click leaves the place Shift+click extends from.
  const bool selExisted = SelectionExists(false, true);
  if (!FCaptureMouseItem) {
    if (State.Contains(rvstMakingSelection) && Button == mbLeft) {
      int cx = X, cy = Y;
      if (!root->GetFlags().Contains(rvflMouseXYAlwaysCorrect)) {
        cx = std::clamp(cx, 0, GetWidth());
        cy = std::clamp(cy, 0, GetHeight());
      }
      if (State.Contains(rvstLineSelection))
        ExtendSelectionTo(cx + GetHOffs(), cy + GetVOffs());
      else
        ExtendSelectionByWordTo(cx + GetHOffs(), cy + GetVOffs());
      State.Exclude(rvstMakingSelection);
      State.Exclude(rvstLineSelection);
      FSelectingInfo.reset();
      TrackDrawItemUnderPointer(dx, dy);
      AdjustMouseUpSelection();
      DoOnSelection(true);
      if (SelectionExists(false, false)) ChooseMe();
      DoSelect();
      RefreshControl(false);
    } else if (GetOptions().Contains(rvoRClickDeselects) && Button == mbRight) {
      CollapseSelectionAt(dx, dy, true);
    }
  }
  TrackDrawItemUnderPointer(dx, dy);
  const int di = LastDIMovedAbove >= 0 && LastDIMovedAbove < DrawItems->Count() ? LastDIMovedAbove : -1;
  int itemNo = -1;
  TCustomRVItemInfo* item = nullptr;
  if (di >= 0) {
    TRVDrawLineInfo* d = DrawItems->Get(di);
    itemNo = d->ItemNo;
    item = GetItem(itemNo);
    item->MouseUp(static_cast<int>(Button), Shift, dx - d->Left, dy - GetTransformedDItemTop(di), itemNo, this);
  }
  if (FCaptureMouseItem) return;
  if (!selExisted && (Button == mbLeft || Button == mbRight) && item && item->GetBoolValueEx(rvbpAllowsFocus, GetRVStyle()) &&
      FocusesItemsOnClick()) {
    AdjustFocus(itemNo, this, itemNo);
    item->Focusing();
  }
  if (IsAssignedRVMouseUp()) DoRVMouseUp(Button, Shift, itemNo, X, Y);
  if (Button == mbRight && IsAssignedRVRightClick()) {
    TRVUnicodeString word;
    int styleNo = 0, wItemNo = -1, wOffs = 0;
    TCustomRVFormattedData* wData = nullptr;
    FindWordAt(word, X, Y, styleNo, wItemNo, wOffs, wData);
    const TPoint p = ClientToScreen(TPoint(X, Y));
    DoRVRightClick(word, styleNo, p.X, p.Y);
  }
  if (Button == mbLeft && LastJumpDIDowned >= 0 && LastJumpDIDowned == di && !selExisted && IsAssignedJump())
    DoJump(item->JumpID + FFirstJumpNo);
  LastJumpDIDowned = -1;
  FClickedDrawItemNo = -1;
}

void TCustomRVFormattedData::MouseLeave() {
  if (!GetAbsoluteRootData()->GetFlags().Contains(rvflUseJumps)) return;
  if (LastDIMovedAbove >= 0 && LastDIMovedAbove < DrawItems->Count() && !FCaptureMouseItem) {
    GetItem(DrawItems->Get(LastDIMovedAbove)->ItemNo)->MouseLeave();
    LastDIMovedAbove = -1;
  }
  ClearJumpHover();
  LastJumpDIDowned = -1;
}

// ---- double and triple clicks -------------------------------------------------------------------

void TCustomRVFormattedData::DblClick() {
  TPoint p;
  if (!GetCursorPos(&p)) return;
  p = ScreenToClient(p);
  DblClickAt(p.X, p.Y);
}

void TCustomRVFormattedData::DblClickAt(int X, int Y) {
  const TRVOptions options = GetOptions();
  TRVUnicodeString word;
  int styleNo = 0, itemNo = -1, offs = 0;
  TCustomRVFormattedData* data = nullptr;
  if (options.Contains(rvoDblClickSelectsWord) && options.Contains(rvoAllowSelection)) {
    if (!FindWordAt(word, X, Y, styleNo, itemNo, offs, data) || !data || itemNo < 0) return;
    TCustomRVItemInfo* item = data->GetItem(itemNo);
    if (item->StyleNo >= 0 && !data->GetItemTextW(itemNo).empty())
      data->SetSelectionBounds(itemNo, offs, itemNo, offs + static_cast<int>(word.size()));
    else
      data->SetSelectionBounds(itemNo, data->GetOffsBeforeItem(itemNo), itemNo, data->GetOffsAfterItem(itemNo));
    data->ChooseMe();
    data->State.Exclude(rvstMakingSelection);
    State.Exclude(rvstMakingSelection);
    FSelectingInfo.reset();
    if (GetAbsoluteRootData()->State.Contains(rvstTouchMouseDown)) CreateSelectionHandlesAfterTap();
    data->DoOnSelection(true);
    data->DoSelect();
    DoRVDblClick(word, styleNo);
    RefreshControl(false);
    return;
  }
  if (options.Contains(rvoSingleClick) || !IsAssignedRVDblClick()) return;
  FindWordAt(word, X, Y, styleNo, itemNo, offs, data);
  DoRVDblClick(word, styleNo);
}

void TCustomRVFormattedData::TripleClick() {
  if (TCustomRVData* chosen = GetChosenRVData()) {
    TCustomRVData* c = chosen->GetRVData() ? chosen->GetRVData() : chosen;
    if (TCustomRVFormattedData* f = c->AsFormattedData(); f && f != this) {
      f->TripleClick();
      return;
    }
  }
  const TRVOptions options = GetOptions();
  if (!options.Contains(rvoDblClickSelectsWord) || !options.Contains(rvoAllowSelection)) return;
  int si, so, ei, eo;
  GetSelectionBoundsEx(si, so, ei, eo, true);
  if (si < 0 || ei < 0) return;
  int first, last;
  GetDisplayedParaBounds(si, ei, first, last);
  SetSelectionBounds(first, GetOffsBeforeItem(first), last, GetOffsAfterItem(last));
  State.Exclude(rvstMakingSelection);
  FSelectingInfo.reset();
  if (GetAbsoluteRootData()->State.Contains(rvstTouchMouseDown)) CreateSelectionHandlesAfterTap();
  DoOnSelection(true);
  DoSelect();
  RefreshControl(false);
}

// ---- mouse capture ------------------------------------------------------------------------------

void TCustomRVFormattedData::SetMouseCapture(TCustomRVItemInfo* Item, int& Left, int& Top) {
  FCaptureMouseItem = Item;
  Left = Top = 0;
  const int n = DrawItems->Count();
  if (LastDIMovedAbove < 0 || LastDIMovedAbove >= n || GetItem(DrawItems->Get(LastDIMovedAbove)->ItemNo) != Item) {
    const int itemNo = GetItems()->IndexOfObject(Item);
    LastDIMovedAbove = itemNo >= 0 ? FindDrawItemByItem(itemNo) : -1;
  }
  if (LastDIMovedAbove >= 0) {
    Left = DrawItems->Get(LastDIMovedAbove)->Left;
    Top = GetTransformedDItemTop(LastDIMovedAbove);
  }
}

void TCustomRVFormattedData::ReleaseMouseCapture(TCustomRVItemInfo* Item) {
  if (FCaptureMouseItem == Item) FCaptureMouseItem = nullptr;
}

bool TCustomRVFormattedData::CancelResize() {
  if (!FCaptureMouseItem || !FXORDrawing) return false;
  UnAssignXorDrawing(FXORDrawing);
  FCaptureMouseItem = nullptr;
  SetCursor(GetNormalCursor());
  return true;
}

// ---- feedback drawn by inverting pixels ---------------------------------------------------------
//
// A window shows only what its control paints, so the image is an overlay: drawing it flips
// whether it is shown and repaints the control, whose painting inverts the pixels under it
// (the viewer's Paint). Drawing twice leaves the window as it was.

void TCustomRVFormattedData::XorDrawing() {
  if (!FXORDrawing) return;
  XorImageDrawn = !XorImageDrawn;
  RefreshControl(false);
}

void TCustomRVFormattedData::XorDrawingEx(int X, int Y) {
  X += GetHOffs();
  Y += GetVOffs();
  RotateCoordsFromScreenToDoc(X, Y, false, false);
  MouseX = X;
  MouseY = Y;
  XorDrawing();
}

void TCustomRVFormattedData::AssignXorDrawing(const TRVXorDrawingHandler& Handler) {
  if (XorImageDrawn) XorDrawing();
  XorImageDrawn = false;
  FXORDrawing = Handler;
}

void TCustomRVFormattedData::UnAssignXorDrawing(const TRVXorDrawingHandler& Handler) {
  if (!UsingThisXorDrawing(Handler)) return;
  if (XorImageDrawn) {
    TCustomRVData* root = GetAbsoluteRootData();
    auto* c = dynamic_cast<TControl*>(root ? root->GetParentControl() : nullptr);
    if (!c || !c->ComponentState().Contains(csDestroying)) XorDrawing();
  }
  XorImageDrawn = false;
  FXORDrawing = TRVXorDrawingHandler();
}

bool TCustomRVFormattedData::UsingThisXorDrawing(const TRVXorDrawingHandler& Handler) const {
  return FXORDrawing && FXORDrawing.Owner == Handler.Owner;
}

bool TCustomRVFormattedData::ClearXorDrawing() {
  if (!XorImageDrawn) return false;
  XorDrawing();
  return true;
}
