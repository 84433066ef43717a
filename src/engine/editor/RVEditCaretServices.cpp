// Caret and selection services of the editor data: the caret as an item position, selection
// queries that answer the caret when nothing is selected, selection with Shift, the remembered
// column of Up and Down, the caret's line and paragraph predicates, persistent checkpoints, the
// self-drawn caret, the drop-caret record and what the root editor shares with its sub-documents.
#include <algorithm>
#include <exception>

#include "engine/layout/DrawLines.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Controls.h"

namespace {

// The window timer of the self-drawn caret (the viewer runs 1 and 2).
constexpr std::uintptr_t CustomCaretTimerId = 3;

}  // namespace

// ---- the root editor data --------------------------------------------------------------------------

// The editor data at the top of this tree; this one when the top is not an editor's.
static TRVEditRVData* RootEditData(TRVEditRVData* Data) {
  auto* root = dynamic_cast<TRVEditRVData*>(Data->GetAbsoluteRootData());
  return root ? root : Data;
}

// ---- the caret as an item position ---------------------------------------------------------------

int TRVEditRVData::GetCurItemNo() {
  // An empty editor gets its one empty paragraph on the first reading of the caret.
  PrepareForEdit();
  TCustomRVItemInfo* special = FPartialSelectedItem ? FPartialSelectedItem : GetChosenItem();
  if (special) {
    if (CaretDrawItemNo >= 0 && CaretDrawItemNo < DrawItems->Count()) {
      const int no = DrawItems->Get(CaretDrawItemNo)->ItemNo;
      if (GetItem(no) == special) return no;
    }
    return GetItemNo(special);
  }
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems->Count()) return -1;
  return DrawItems->Get(CaretDrawItemNo)->ItemNo;
}

int TRVEditRVData::GetOffsetInCurItem() {
  PrepareForEdit();
  if (FPartialSelectedItem) return 1;
  if (CaretOffs < 0 || CaretOffs >= CharEnds.Count()) return -1;
  return CharEndsItemOffs(CaretOffs);
}

int TRVEditRVData::CharEndsItemOffs(int Index) {
  if (Index < 0 || Index >= CharEnds.Count()) return -1;
  TRVCharPos* p = CharEnds.GetItem(Index);
  if (p->DrawItemNo < 0 || p->DrawItemNo >= DrawItems->Count()) return -1;
  TRVDrawLineInfo* d = DrawItems->Get(p->DrawItemNo);
  return GetItem(d->ItemNo)->StyleNo >= 0 ? d->Offs + p->Offset - 1 : p->Offset;
}

void TRVEditRVData::CaretToItem(int& ItemNo, int& ItemOffs) {
  if (CaretOffs < 0 || CaretOffs >= CharEnds.Count()) {
    ItemNo = ItemOffs = -1;
    return;
  }
  ItemNo = DrawItems->Get(CharEnds.GetItem(CaretOffs)->DrawItemNo)->ItemNo;
  ItemOffs = CharEndsItemOffs(CaretOffs);
}

void TRVEditRVData::SetCaretAtItem(int ItemNo, int ItemOffs) {
  int dNo = -1, dOffs = 0;
  Item2DrawItem(ItemNo, ItemOffs, dNo, dOffs, 2);
  if (dNo < 0) return;
  CaretDrawItemNo = dNo;
  OnChangeCaretLine(dOffs - 2);
}

// ---- selection queries -----------------------------------------------------------------------------

void TRVEditRVData::GetSelStart(int& DINo, int& DIOffs) {
  TViroZereRVData::GetSelStart(DINo, DIOffs);
  if (DINo < 0 && CaretOffs >= 0 && CaretOffs < CharEnds.Count()) {
    DINo = CharEnds.GetItem(CaretOffs)->DrawItemNo;
    DIOffs = CharEnds.GetItem(CaretOffs)->Offset;
  }
}

void TRVEditRVData::GetSelBounds(int& StartNo, int& EndNo, int& StartOffs, int& EndOffs, bool Normalize) {
  TViroZereRVData::GetSelBounds(StartNo, EndNo, StartOffs, EndOffs, Normalize);
  if (StartNo < 0 && CaretOffs >= 0 && CaretOffs < CharEnds.Count()) {
    StartNo = EndNo = CharEnds.GetItem(CaretOffs)->DrawItemNo;
    StartOffs = EndOffs = CharEnds.GetItem(CaretOffs)->Offset;
  }
}

void TRVEditRVData::GetSelectionBoundsEx(int& StartItemNo, int& StartItemOffs, int& EndItemNo, int& EndItemOffs,
                                         bool Normalize) {
  // The formatted data converts what GetSelBounds answers, the caret included.
  TViroZereRVData::GetSelectionBoundsEx(StartItemNo, StartItemOffs, EndItemNo, EndItemOffs, Normalize);
}

bool TRVEditRVData::NotFormatted() const { return DrawItems->Count() == 0; }

bool TRVEditRVData::AllowChanging() {
  TCustomViroZereEdit* editor = RootEditData(this)->GetEditor();
  if (!editor || !editor->GetReadOnly()) return true;
  return GetAbsoluteRootData()->GetFlags().Contains(rvflDBViroZereEdit);
}

// ---- the caret's line and paragraph ------------------------------------------------------------------

bool TRVEditRVData::IsCaretOnLastLine() {
  return CharEnds.Count() > 0 && CharEnds.GetItem(CharEnds.Count() - 1)->DrawItemNo == DrawItems->Count() - 1;
}

bool TRVEditRVData::IsCaretAtTheBeginningOfParaSection(bool ParaStart) {
  if (CharEnds.Count() == 0 || CaretOffs < 0 || CaretOffs >= CharEnds.Count()) return false;
  TRVCharPos* p = CharEnds.GetItem(CaretOffs);
  TRVDrawLineInfo* d = DrawItems->Get(p->DrawItemNo);
  TCustomRVItemInfo* item = GetItem(d->ItemNo);
  // An empty item whose style gives it a width has stops on both sides: both are its start.
  const bool emptyWide = item->StyleNo >= 0 && item->ItemText.empty() && CharEnds.Count() == 2 &&
                         CharEnds.GetItem(0)->DrawItemNo == p->DrawItemNo;
  if (CaretOffs != 0 && !emptyWide) return false;
  if (!emptyWide && !IsCharOffsAtTheLineStartAndItemStart(0)) return false;
  // A line that begins with a list marker counts from the marker.
  int first, last;
  GetLineBounds(p->DrawItemNo, first, last);
  return ParaStart ? IsDrawItemParaStart(first) : IsDrawItemParaSectionStart(first);
}

bool TRVEditRVData::IsCaretAtTheEndOfParaSection(bool ParaEnd) {
  if (CharEnds.Count() == 0 || CaretOffs != CharEnds.Count() - 1) return false;
  const int next = CharEnds.GetItem(CaretOffs)->DrawItemNo + 1;
  if (next >= DrawItems->Count()) return true;
  return ParaEnd ? IsDrawItemParaStart(next) : IsDrawItemParaSectionStart(next);
}

// ---- selection by keyboard --------------------------------------------------------------------------

void TRVEditRVData::StartShiftMoving() {
  if (SelectionExists(false, false) || CaretOffs < 0 || CaretOffs >= CharEnds.Count()) return;
  TRVCharPos* p = CharEnds.GetItem(CaretOffs);
  FSelStartNo = FSelEndNo = p->DrawItemNo;
  FSelStartOffs = FSelEndOffs = p->Offset;
}

void TRVEditRVData::EndShiftMoving() {
  if (CaretOffs >= 0 && CaretOffs < CharEnds.Count()) {
    FSelEndNo = CharEnds.GetItem(CaretOffs)->DrawItemNo;
    FSelEndOffs = CharEnds.GetItem(CaretOffs)->Offset;
  }
  TRVStyle* st = GetRVStyle();
  if (st && st->SelectionMode == rvsmParagraph) ExpandSelectionToParagraph(false);
  DoOnSelection(true);
  DoSelect();
}

void TRVEditRVData::DoOnSelection(bool AllowScrolling) {
  const int n = DrawItems->Count();
  if (FSelEndNo >= 0 && FSelEndNo < n) {
    // A selection never ends on a list marker: it ends where the marker's text begins.
    if (GetItem(DrawItems->Get(FSelEndNo)->ItemNo)->StyleNo == ItemKindListMarker && FSelEndNo + 1 < n) {
      ++FSelEndNo;
      FSelEndOffs = GetOffsBeforeDrawItem(FSelEndNo);
    }
    CaretDrawItemNo = FSelEndNo;
    OnChangeCaretLine(FSelEndOffs - 2);
  }
  CreateResizer();
  ChangeCaret(false, AllowScrolling, false, false);
  ResetAniBackground();
}

// ---- the remembered column of Up and Down --------------------------------------------------------

int TRVEditRVData::GetUpDownMovingX() {
  const int x = RootEditData(this)->FUpDownMovingX;
  if (x == INT_MAX) return x;
  int left = 0, top = 0;
  GetOriginEx(left, top);
  return x - left;
}

void TRVEditRVData::SetUpDownMovingX(int X) {
  TRVEditRVData* root = RootEditData(this);
  if (root != this && GetRealRotation(false) != rvrotNone) {
    // Turned sub-documents have no common column with the root.
    root->FUpDownMovingX = INT_MAX;
    return;
  }
  int left = 0, top = 0;
  GetOriginEx(left, top);
  root->FUpDownMovingX = X + left;
}

void TRVEditRVData::ResetUpDownMovingX() { RootEditData(this)->FUpDownMovingX = INT_MAX; }

// ---- persistent checkpoints ---------------------------------------------------------------------------

bool TRVEditRVData::ItemHasPersistentCheckpoint(int ItemNo) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  return item->Checkpoint && item->Checkpoint->Persistent;
}

bool TRVEditRVData::ParaHasPersistentCheckpoint(int ItemNo) {
  int first = ItemNo;
  while (first > 0 && !IsParaStart(first)) --first;
  for (int i = first; i < ItemCount(); ++i) {
    if (i > first && IsParaStart(i)) break;
    if (ItemHasPersistentCheckpoint(i)) return true;
  }
  return false;
}

bool TRVEditRVData::MovePersistentCheckpoint(int ItemNo, bool PreferPrevious) {
  const bool nextFree = ItemNo + 1 < ItemCount() && !IsParaStart(ItemNo + 1) && !GetItem(ItemNo + 1)->Checkpoint;
  const bool prevFree = ItemNo > 0 && !IsParaStart(ItemNo) && !GetItem(ItemNo - 1)->Checkpoint;
  if (nextFree && !(PreferPrevious && prevFree)) {
    Do_MoveCP(ItemNo, ItemNo + 1);
    return true;
  }
  if (prevFree) {
    Do_MoveCP(ItemNo, ItemNo - 1);
    return true;
  }
  return false;
}

// ---- the self-drawn caret ---------------------------------------------------------------------------

void TRVEditRVData::ActivateCustomCaretTimer() {
  TRVScroller* control = GetScroller();
  const int interval = GetRootEditProperties()->CustomCaretInterval;
  if (FCustomCaretActive || interval <= 0 || !control || !control->HandleAllocated()) return;
  FCustomCaretActive = SetTimer(control->GetHandle(), CustomCaretTimerId, static_cast<UINT>(interval)) != 0;
}

void TRVEditRVData::DeactivateCustomCaretTimer() {
  TRVScroller* control = GetScroller();
  if (FCustomCaretActive && control && control->HandleAllocated()) KillTimer(control->GetHandle(), CustomCaretTimerId);
  FCustomCaretActive = false;
}

void TRVEditRVData::ResetCaretBlinking() {
  DeactivateCustomCaretTimer();
  ActivateCustomCaretTimer();
}

void TRVEditRVData::DrawCustomCaret() {
  ClearCustomCaret();
  FCustomCaretVisible = !FCustomCaretVisible;
  // Every second call draws: the caret blinks at half the timer's rate.
  if (!FCustomCaretVisible) DrawCustomCaretNow();
  // Outside a paint the control's canvas is not the window's surface: the window shows the new
  // phase when it repaints the caret's rectangle, which the buffered paint draws it on.
  TRVScroller* control = GetScroller();
  if (control && control->HandleAllocated() && FCustomCaretRect.Height() > 0) {
    TRect r = FCustomCaretRect;
    RotateRectFromDocToScreen(r, rvtrbAbsRoot);
    ::InvalidateRect(control->GetHandle(), &r, FALSE);
  }
}

void TRVEditRVData::DrawCustomCaretNow() {
  TCustomViroZereEdit* editor = GetEditor();
  TRVScroller* control = GetScroller();
  if (GetInplaceEditor() || !control || !control->Focused() || FResizer || FPartialSelectedItem) return;
  if (TRVDragDropCaretInfo* dd = GetDragDropCaretInfo(); dd && dd->RVData) return;
  if (!editor || !editor->OnDrawCustomCaret) return;
  TCanvas* canvas = GetCanvas();
  if (!canvas) return;
  TRect r = FCustomCaretRect;
  if (editor->OnMeasureCustomCaret) editor->OnMeasureCustomCaret(editor, r);
  RotateRectFromDocToScreen(r, rvtrbAbsRoot);
  if (r.Width() <= 0 || r.Height() <= 0) return;
  try {
    // The pixels under the caret, copied (not inverted), so that erasing gives back exactly what
    // was there whatever the window system composes.
    auto back = std::make_unique<TBitmap>();
    back->SetPixelFormat(pf24bit);
    back->SetSize(r.Width(), r.Height());
    back->GetCanvas()->CopyRect(TRect(0, 0, r.Width(), r.Height()), *canvas, r);
    FCustomCaretBack = std::move(back);
    FCustomCaretOldPos = TPoint(r.Left, r.Top);
    editor->OnDrawCustomCaret(editor, canvas, r);
  } catch (const std::exception&) {
    // A caret that cannot be drawn now is drawn at the next tick.
  }
}

void TRVEditRVData::ClearCustomCaret() {
  if (!FCustomCaretBack) return;
  std::unique_ptr<TBitmap> back = std::move(FCustomCaretBack);
  TCanvas* canvas = GetCanvas();
  if (!canvas) return;
  const int w = back->GetWidth(), h = back->GetHeight();
  canvas->CopyRect(TRect(FCustomCaretOldPos.X, FCustomCaretOldPos.Y, FCustomCaretOldPos.X + w,
                         FCustomCaretOldPos.Y + h),
                   *back->GetCanvas(), TRect(0, 0, w, h));
}

void TRVEditRVData::PaintBuffered() {
  ClearCustomCaret();
  TViroZereRVData::PaintBuffered();
  // The repaint covered the caret: draw it again in the phase it was in.
  if (FCustomCaretActive && !FCustomCaretVisible) DrawCustomCaretNow();
}

// ---- the drop caret record ----------------------------------------------------------------------------

TRVDragDropCaretInfo* TRVEditRVData::GetDragDropCaretInfo() {
  TRVEditRVData* root = RootEditData(this);
  if (root != this) return root->GetDragDropCaretInfo();
  return FDragDropCaretInfo.get();
}

void TRVEditRVData::CreateDragDropCaretInfo() {
  if (!FDragDropCaretInfo) FDragDropCaretInfo = std::make_unique<TRVDragDropCaretInfo>();
  ++FDragDropCaretRefCount;
}

void TRVEditRVData::ReleaseDragDropCaretInfo() {
  if (FDragDropCaretRefCount > 0 && --FDragDropCaretRefCount == 0) FDragDropCaretInfo.reset();
}

// ---- other services -------------------------------------------------------------------------------------

TPoint TRVEditRVData::GetIMEWinCoord() {
  if (CaretOffs < 0 || CaretOffs >= CharEnds.Count() || CaretDrawItemNo < 0 ||
      CaretDrawItemNo >= DrawItems->Count())
    return {};
  int x = CharEnds.GetItem(CaretOffs)->X - GetHOffs() - 1;
  int y = GetTransformedDItemTop(CaretDrawItemNo) - GetVOffs() - 1;
  RotateCoordsFromDocToScreen(x, y, rvtrbAbsRoot);
  return TPoint(x, y);
}

TRVEditRootEvents* TRVEditRVData::GetRootEditEvents() {
  TRVEditRVData* root = RootEditData(this);
  return root != this ? root->GetRootEditEvents() : FRootEditEvents.get();
}

TRVEditRootProperties* TRVEditRVData::GetRootEditProperties() {
  TRVEditRVData* root = RootEditData(this);
  return root != this ? root->GetRootEditProperties() : FRootEditProperties.get();
}

bool TRVEditRVData::GetForceFieldHighlight() {
  TRVEditRVData* root = RootEditData(this);
  if (root != this) return root->GetForceFieldHighlight();
  return FEditor && FEditor->GetForceFieldHighlight();
}

bool TRVEditRVData::IsSticking(int FirstItemNo, bool NoSound) {
  if (TViroZereRVData::IsSticking(FirstItemNo, NoSound)) return true;
  TCustomViroZereEdit* editor = RootEditData(this)->GetEditor();
  if (!editor || !editor->OnCheckStickingItems) return false;
  bool sticking = false;
  editor->OnCheckStickingItems(editor, this, FirstItemNo, sticking);
  if (sticking && !NoSound) Beep();
  return sticking;
}

void TRVEditRVData::EnsureEmptyParagraph(int /*FirstItemNo*/, int /*LastItemNo*/, bool /*Partial*/) {
  TRVStyle* st = GetRVStyle();
  if (DrawItems->Count() > 0 || !st) return;
  for (int i = 0; i < ItemCount(); ++i)
    if (!IsHiddenItem(i)) return;
  int style = -1;
  for (int i = 0; i < st->TextStyles()->Count() && style < 0; ++i)
    if (!st->TextStyles()->Items(i)->Options.Contains(rvteoHidden)) style = i;
  if (style < 0) return;
  AddNL(TRVUnicodeString(), style, 0);
  Format(false);
}

// Whether the data or one of its parents is being cleared.
static bool BeingCleared(TCustomRVData* Data) {
  for (TCustomRVData* d = Data; d; d = d->GetAbsoluteParentData())
    if (d->State.Contains(rvstClearing)) return true;
  return false;
}

void TRVEditRVData::ChosenItemChanging(TCustomRVItemInfo* NewItem) {
  TCustomRVItemInfo* partial = FPartialSelectedItem;
  TViroZereRVData::ChosenItemChanging(NewItem);
  if (partial && !FPartialSelectedItem && FEditor && !BeingCleared(this)) FEditor->AfterCaretMove();
}

void TRVEditRVData::SetPartialSelectedItem(TCustomRVItemInfo* Item) {
  const bool changed = Item != FPartialSelectedItem;
  TViroZereRVData::SetPartialSelectedItem(Item);
  if (changed && FEditor && !BeingCleared(this)) FEditor->AfterCaretMove();
}
