// The drop caret shown while something is dragged over a document, the start of a drag of the
// selection, and the services of the root data that every document of a tree reaches through it.
//
// The drop caret is feedback that drawing twice erases. Windows show only what their control
// paints, so the caret is an overlay: moving it repaints the old and the new place, and painting
// draws the caret where the root's record says it stands.
#include <algorithm>

#include "engine/foundation/RVGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DragDrop.h"

TCustomRVFormattedData* TCustomRVFormattedData::AbsRootFormatted() {
  TCustomRVData* root = GetAbsoluteRootData();
  TCustomRVFormattedData* f = root ? root->AsFormattedData() : nullptr;
  return f == this ? nullptr : f;
}

// ---- services of the root --------------------------------------------------------------------

TRVDragDropCaretInfo* TCustomRVFormattedData::GetDragDropCaretInfo() {
  TCustomRVFormattedData* root = AbsRootFormatted();
  return root ? root->GetDragDropCaretInfo() : nullptr;
}

bool TCustomRVFormattedData::IsDragging() const {
  TCustomRVFormattedData* root = const_cast<TCustomRVFormattedData*>(this)->AbsRootFormatted();
  return root && root->IsDragging();
}

TObject* TCustomRVFormattedData::GetSelectionHandles() {
  TCustomRVFormattedData* root = AbsRootFormatted();
  return root ? root->GetSelectionHandles() : nullptr;
}

void TCustomRVFormattedData::CreateSelectionHandlesAfterTap() {
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->CreateSelectionHandlesAfterTap();
}

bool TCustomRVFormattedData::GetDropSource(TObject*& DropSource, DWORD& OkEffects) {
  DropSource = nullptr;
  OkEffects = DROPEFFECT_NONE;
  TCustomRVFormattedData* root = AbsRootFormatted();
  return root && root->GetDropSource(DropSource, OkEffects);
}

void TCustomRVFormattedData::ReleaseDropSource(bool Moved) {
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->ReleaseDropSource(Moved);
}

void TCustomRVFormattedData::SetClickCoords(int X, int Y) {
  TCustomRVFormattedData* root = AbsRootFormatted();
  if (!root) return;
  RotateCoordsFromDocToScreen(X, Y, rvtrbAbsRoot);
  root->SetClickCoords(X, Y);
}

bool TCustomRVFormattedData::IsDragThresholdExceeded(int X, int Y) {
  TCustomRVFormattedData* root = AbsRootFormatted();
  if (!root) return false;
  RotateCoordsFromDocToScreen(X, Y, rvtrbAbsRoot);
  return root->IsDragThresholdExceeded(X, Y);
}

bool TCustomRVFormattedData::CanStartDrag() {
  TCustomRVFormattedData* root = AbsRootFormatted();
  return root && root->CanStartDrag();
}

void TCustomRVFormattedData::InsertAnimator(TRVItemAnimator*& Animator) {
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->InsertAnimator(Animator);
}

bool TCustomRVFormattedData::AllowAnimation() {
  TCustomRVFormattedData* root = AbsRootFormatted();
  return root && root->AllowAnimation();
}

void TCustomRVFormattedData::ResetAniBackground() {
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->ResetAniBackground();
}

void TCustomRVFormattedData::GetMouseClientCoords(TObject* Control, int& X, int& Y) {
  X = Y = 0;
  TPoint p;
  if (!GetCursorPos(&p)) return;
  if (auto* c = dynamic_cast<TWinControl*>(Control); c && c->HandleAllocated()) ::ScreenToClient(c->GetHandle(), &p);
  X = p.X;
  Y = p.Y;
}

// ---- the drop caret --------------------------------------------------------------------------

namespace {
// The caret's rectangle in the client coordinates of the control (a pixel wider on each side).
TRect DropCaretClientRect(TCustomRVFormattedData* Data, const TRVDragDropCaretInfo& Info) {
  int ox, oy;
  Data->GetOrigin(ox, oy);
  TCustomRVData* rootData = Data->GetAbsoluteRootData();
  TCustomRVFormattedData* root = rootData ? rootData->AsFormattedData() : Data;
  const int x = Info.X + ox - root->GetHOffs();
  const int y = Info.Y + oy - Data->GetRVDataExtraVOffs() - root->GetVOffs();
  return TRect(x - 1, y - 1, x + 2, y + Info.Height + 1);
}
}  // namespace

void TCustomRVFormattedData::SetDragDropCaret(int ItemNo, int Offs) {
  TRVDragDropCaretInfo* info = GetDragDropCaretInfo();
  if (!info) return;
  info->RVData = this;
  info->ItemNo = ItemNo;
  info->ItemOffs = Offs;
  int x, top, bottom;
  GetCoordsOf(ItemNo, Offs, x, top, bottom);
  info->X = x;
  info->Y = top;
  info->Height = bottom - top;
}

void TCustomRVFormattedData::RemoveDragDropCaret() {
  TRVDragDropCaretInfo* info = GetDragDropCaretInfo();
  if (!info || !info->RVData) return;
  TCustomRVFormattedData* owner = info->RVData;
  const TRect r = DropCaretClientRect(owner, *info);
  info->RVData = nullptr;
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->InvalidateRect(r, false);
  else InvalidateRect(r, false);
}

void TCustomRVFormattedData::SetDragDropCaretTo(int X, int Y) {
  RemoveDragDropCaret();
  TCustomRVFormattedData* data = nullptr;
  int itemNo, offs;
  bool inOwner;
  GetItemAtEx(X, Y, data, itemNo, offs, false, true, inOwner, false, true);
  if (!data || itemNo < 0) return;
  data->SetDragDropCaret(itemNo, offs);
  TRVDragDropCaretInfo* info = GetDragDropCaretInfo();
  if (!info || !info->RVData) return;
  const TRect r = DropCaretClientRect(info->RVData, *info);
  if (TCustomRVFormattedData* root = AbsRootFormatted()) root->InvalidateRect(r, false);
  else InvalidateRect(r, false);
  if (!inOwner) info->RVData->ShowRectangle(info->X, info->Y, 1, info->Height);
}

void TCustomRVFormattedData::DrawDragDropCaret(TCanvas* Canvas, bool OnlyForSelf) {
  TRVDragDropCaretInfo* info = GetDragDropCaretInfo();
  if (!info || !info->RVData || !Canvas) return;
  if (info->RVData != this) {
    // One level of redirection: the caret's own document draws it.
    if (!OnlyForSelf) info->RVData->DrawDragDropCaret(Canvas, true);
    return;
  }
  TRVStyle* st = GetRVStyle();
  if (!st) return;
  ResetSubCoords();
  const TRect r = DropCaretClientRect(this, *info);
  const int x = r.Left + 1, y = r.Top + 1;
  Canvas->Pen().SetMode(pmNot);
  Canvas->Pen().SetWidth(1);
  Canvas->Pen().SetStyle(psDot);
  Canvas->Brush().SetStyle(bsClear);
  st->GetGraphicInterface()->LineDragDropCaret(Canvas, x, y, y + info->Height);
  Canvas->Pen().SetStyle(psSolid);
  Canvas->Pen().SetMode(pmCopy);
}

// ---- starting a drag ---------------------------------------------------------------------------

void TCustomRVFormattedData::DoDrag() {
  TCustomRVData* root = GetAbsoluteRootData();
  root->State.Exclude(rvstStartingDragDrop);
  root->State.Include(rvstCanDragDropDeleteSelection);
  TObject* source = nullptr;
  DWORD okEffects = DROPEFFECT_NONE;
  if (!GetDropSource(source, okEffects)) return;
  auto* drag = dynamic_cast<IRVDragSource*>(source);
  auto* control = dynamic_cast<TWinControl*>(root->GetParentControl());
  DWORD effect = DROPEFFECT_NONE;
  if (drag && control) effect = drag->ExecuteDrag(control->GetHandle(), okEffects);
  ReleaseDropSource(effect == DROPEFFECT_MOVE && root->State.Contains(rvstCanDragDropDeleteSelection));
}
