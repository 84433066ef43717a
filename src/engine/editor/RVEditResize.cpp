// Resizing pictures and controls with the mouse or a finger: when the item resizer exists, how the
// mouse reaches it, how the size is applied as one undo step; and the editor's smart popup
// button: shown at the caret item, placed again after scrolling, clicked by its shortcut.
#include <algorithm>
#include <utility>

#include "engine/document/RVControlItem.h"
#include "engine/document/RVNonTextItems.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/editor/RVItemResizer.h"
#include "engine/editor/RVSmartPopup.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/Controls.h"

namespace rveditresize_detail {

// Tells the resize frame apart from the other feedback drawn by inverting pixels.
const char ResizeFrameTag = 0;

void DrawResizeFrame(TCustomRVFormattedData* RVData, TCanvas* Canvas, int /*X*/, int /*Y*/) {
  auto* data = static_cast<TRVEditRVData*>(RVData);
  TRVItemResizer* resizer = data->GetResizer();
  if (!resizer || !resizer->IsDragging()) return;
  TRVStoreDocTransform old;
  data->PrepareTransform(Canvas, old, 0, 0, rvtrbAbsRoot);
  try {
    resizer->XorDrawing(Canvas, data->GetHOffs(), data->GetVOffs());
  } catch (...) {
    data->RestoreTransform(Canvas, old);
    throw;
  }
  data->RestoreTransform(Canvas, old);
}

TRVXorDrawingHandler ResizeFrameHandler() {
  TRVXorDrawingHandler h;
  h.Owner = &ResizeFrameTag;
  h.Draw = &DrawResizeFrame;
  return h;
}

// The editor whose options rule the data: its own, else the root editor's.
TCustomViroZereEdit* OptionsEditor(TRVEditRVData* Data) {
  if (TCustomViroZereEdit* e = Data->GetEditor()) return e;
  auto* root = dynamic_cast<TRVEditRVData*>(Data->GetAbsoluteRootData());
  return root ? root->GetEditor() : nullptr;
}

bool ImageResizeAllowed(TRVEditRVData* Data) {
  TCustomViroZereEdit* e = OptionsEditor(Data);
  return !e || !e->GetEditorOptions().Contains(rvoNoImageResize);
}

}  // namespace rveditresize_detail

using namespace rveditresize_detail;

// ---- the resizer's life ---------------------------------------------------------------------------

void TRVEditRVData::CreateResizer() {
  if (State.Contains(rvstInvalidSelection)) return;
  DestroyResizer();
  if (!AllowChanging() || !ImageResizeAllowed(this)) return;
  TRVStyle* st = GetRVStyle();
  if (!st || !DrawItems || !SelectionExists(false, false)) return;
  int si = -1, so = 0, ei = -1, eo = 0;
  GetSelectionBoundsEx(si, so, ei, eo, true);
  if (si < 0 || ei < 0 || si >= ItemCount() || ei >= ItemCount()) return;
  // A bound at an item's edge belongs to the neighbour the selection covers.
  if (si < ei && so >= GetOffsAfterItem(si)) {
    ++si;
    so = GetOffsBeforeItem(si);
  }
  if (ei > si && eo <= GetOffsBeforeItem(ei)) {
    --ei;
    eo = GetOffsAfterItem(ei);
  }
  if (si != ei || so != GetOffsBeforeItem(si) || eo != GetOffsAfterItem(si)) return;
  TCustomRVItemInfo* item = GetItem(si);
  if (item->StyleNo >= 0 || !item->GetBoolValueEx(rvbpResizable, st) || IsItemParaProtected(si)) return;
  int dno = item->DrawItemNo;
  if (dno < 0 || dno >= DrawItems->Count() || DrawItems->Get(dno)->ItemNo != si) dno = FindDrawItemByItem(si);
  if (dno < 0 || dno >= DrawItems->Count()) return;
  const int bw = st->GetAsPixels(item->GetBorderWidth(), 0);
  const int bh = st->GetAsPixels(item->GetBorderHeight(), 0);
  FResizer = std::make_unique<TRVItemResizer>(DrawItems->Get(dno), item, dno, bw, bh, IsVerticalText(), this);
  if (item->GetBoolValueEx(rvbpResizeHandlesOutside, st)) FResizer->SetPosition(rvhpOutside);
}

void TRVEditRVData::DestroyResizer() {
  if (FResizer && FResizer->IsDragging()) StopResizeFrame();
  FResizer.reset();
}

void TRVEditRVData::UpdateResizer() {
  if (!FResizer) return;
  const int dno = FResizer->GetDrawItemNo();
  if (dno < 0 || dno >= DrawItems->Count() || DrawItems->Get(dno) != FResizer->GetDrawItem()) CreateResizer();
}

// ---- the mouse ------------------------------------------------------------------------------------

void TRVEditRVData::ClientToDocument(int& X, int& Y) {
  X += GetHOffs();
  Y += GetVOffs();
  RotateCoordsFromScreenToDoc(X, Y, false, false);
}

void TRVEditRVData::StartResizeFrame() {
  AssignXorDrawing(ResizeFrameHandler());
  XorDrawing();
}

void TRVEditRVData::StopResizeFrame() { UnAssignXorDrawing(ResizeFrameHandler()); }

bool TRVEditRVData::GetResizeHandleAt(int X, int Y, bool ExtraRadius, TRVResizeHandleIndex& Index) {
  if (!FResizer) return false;
  ClientToDocument(X, Y);
  return FResizer->GetResizeHandleAt(X, Y, ExtraRadius, Index);
}

void TRVEditRVData::MouseMove(TShiftState Shift, int X, int Y) {
  if (FResizer && FResizer->IsDragging()) {
    ClearXorDrawing();
    int x = X, y = Y;
    ClientToDocument(x, y);
    FResizer->DragTo(Shift, x, y);
    XorDrawing();
    return;
  }
  TRVResizeHandleIndex index;
  if (GetResizeHandleAt(X, Y, false, index)) {
    SetCursor(FResizer->GetResizeHandleCursor(index));
    return;
  }
  TViroZereRVData::MouseMove(Shift, X, Y);
}

void TRVEditRVData::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft || Button == mbRight) ResetUpDownMovingX();
  if (FResizer && Button == mbLeft) {
    int x = X, y = Y;
    ClientToDocument(x, y);
    if (FResizer->MouseDown(x, y, false)) {
      StartResizeFrame();
      SetCursor(crRVCross);
      return;
    }
  }
  TViroZereRVData::MouseDown(Button, Shift, X, Y);
}

void TRVEditRVData::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FResizer && (FResizer->IsDragging() || FResizer->IsDragCancelled())) {
    StopResizeFrame();
    const bool cancelled = FResizer->IsDragCancelled();
    int x = X, y = Y;
    ClientToDocument(x, y);
    FResizer->MouseUp(x, y);
    if (cancelled) return;
    SetCursor(GetNormalCursor());
    ResizeItem(FResizer->GetItemNo(), FResizer->GetWidth(), FResizer->GetHeight());
    return;
  }
  TViroZereRVData::MouseUp(Button, Shift, X, Y);
}

bool TRVEditRVData::CancelResize() {
  if (TViroZereRVData::CancelResize()) return true;
  if (!FResizer || !FResizer->IsDragging()) return false;
  StopResizeFrame();
  FResizer->CancelDrag();
  SetCursor(GetNormalCursor());
  return true;
}

TCursor TRVEditRVData::GetNormalCursor() {
  if (IsVerticalText()) return crRVLayingIBeam;
  return TViroZereRVData::GetNormalCursor();
}

void TRVEditRVData::AdjustMouseUpSelection() {
  const int di = FClickedDrawItemNo;
  if (di < 0 || di != LastDIMovedAbove || di >= DrawItems->Count()) return;
  TRVStyle* st = GetRVStyle();
  TCustomRVItemInfo* item = GetItem(DrawItems->Get(di)->ItemNo);
  const bool resizable = item->GetBoolValueEx(rvbpResizable, st) && ImageResizeAllowed(this);
  if (!resizable && !item->GetBoolValue(rvbpFloating) && !item->GetBoolValue(rvbpClickSelect)) return;
  if (SelectionExists(false, false)) return;
  FSelStartNo = FSelEndNo = di;
  FSelStartOffs = 0;
  FSelEndOffs = 1;
}

void TRVEditRVData::DrawItemResizer(TCanvas* Canvas, int XShift, int YShift, bool /*StrictTop*/, bool /*StrictBottom*/,
                                    bool PrintMode, int FirstDItemNo, int LastDItemNo) {
  if (PrintMode || !FResizer) return;
  const int dno = FResizer->GetDrawItemNo();
  if (dno < FirstDItemNo || dno > LastDItemNo) return;
  TRVStyle* st = GetRVStyle();
  if (!FocusedEx() && (!st || st->InactiveSelColor == clNone)) return;
  FResizer->Draw(Canvas, XShift, YShift, st ? st->GetGraphicInterface() : nullptr);
}

bool TRVEditRVData::ResizeGesture(bool Begin, bool End, bool Inertia, TShiftState Shift, int X, int Y) {
  if (!FResizer) return false;
  int x = X, y = Y;
  ClientToDocument(x, y);
  if (Begin && !FResizer->IsDragging()) {
    if (!FResizer->MouseDown(x, y, true)) return false;
    StartResizeFrame();
  }
  if (!FResizer->IsDragging()) return false;
  if (End) {
    StopResizeFrame();
    FResizer->MouseUp(x, y);
    ResizeItem(FResizer->GetItemNo(), FResizer->GetWidth(), FResizer->GetHeight());
    return true;
  }
  if (!Inertia && !Begin) {
    ClearXorDrawing();
    FResizer->DragTo(Shift, x, y);
    XorDrawing();
  }
  return true;
}

// ---- applying the size ----------------------------------------------------------------------------

void TRVEditRVData::ResizeItem(int ItemNo, int Width, int Height) {
  if (ItemNo < 0 || ItemNo >= ItemCount()) return;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  TRVStyle* st = GetRVStyle();
  TCustomViroZereEdit* editor = GetEditor();
  if (!st || !editor) return;
  int w = Width, h = Height;
  int wUnits = st->PixelsToUnits(Width), hUnits = st->PixelsToUnits(Height);
  auto* rect = dynamic_cast<TRVRectItemInfo*>(item);
  if (rect) {
    const TRVStyleLength bw = item->GetBorderWidth(), bh = item->GetBorderHeight();
    w -= 2 * st->GetAsPixels(bw, 0);
    h -= 2 * st->GetAsPixels(bh, 0);
    wUnits -= 2 * bw;
    hUnits -= 2 * bh;
  }
  if (!editor->BeforeChange(false)) return;
  BeginUndoSequence(rvutResize, true);
  SetUndoGroupMode(true);
  try {
    if (dynamic_cast<TRVControlItemInfo*>(item)) {
      Do_Resize(ItemNo, std::max(1, w), std::max(1, h), true);
    } else {
      int modifyData = 0;
      BeginItemModify(ItemNo, modifyData);
      if (rect) {
        editor->SetItemExtraIntPropertyExEd(ItemNo, rvepImageHeight, std::max(1, hUnits), false);
        editor->SetItemExtraIntPropertyExEd(ItemNo, rvepImageWidth, std::max(1, wUnits), false);
      }
      EndItemModify(ItemNo, modifyData);
    }
  } catch (...) {
    SetUndoGroupMode(false);
    throw;
  }
  SetUndoGroupMode(false);
  Change();
  editor->Invalidate();
  if (TCustomViroZereEdit* root = editor->GetRootEditor(); root && root->OnItemResize)
    root->OnItemResize(root, this, ItemNo, -1, -1);
}

void TRVEditRVData::ResizeControl(int ItemNo, int NewWidth, int NewHeight, bool Reformat) {
  if (ItemNo < 0 || ItemNo >= ItemCount()) return;
  auto* item = dynamic_cast<TRVControlItemInfo*>(GetItem(ItemNo));
  if (!item || !item->Control) return;
  TControl* control = item->Control;
  if (control->GetWidth() == NewWidth && control->GetHeight() == NewHeight) return;
  const int oldMin = Reformat ? CalculateMinItemWidthPlusEx(ItemNo) : 0;
  const bool widthChanged = control->GetWidth() != NewWidth;
  const int growth = NewWidth - control->GetWidth();
  ResizingControl = control;
  struct TResizing {
    TRVEditRVData* D;
    ~TResizing() { D->ResizingControl = nullptr; }
  } resizing{this};
  control->SetBounds(control->GetLeft(), control->GetTop(), NewWidth, NewHeight);
  if (!Reformat) return;
  const int newMin = CalculateMinItemWidthPlusEx(ItemNo);
  const bool full = widthChanged && (oldMin + growth >= DocumentWidth || newMin > DocumentWidth);
  TRVEditRVData::Reformat(full, true, false, ItemNo, true);
  RefreshControl(false);
}

// ---- the smart popup button -----------------------------------------------------------------------

TRVSmartPopupProperties* TCustomViroZereEdit::GetSmartPopupProperties() {
  if (!FSmartPopupProperties) FSmartPopupProperties = std::make_unique<TRVSmartPopupProperties>(this);
  return static_cast<TRVSmartPopupProperties*>(FSmartPopupProperties.get());
}

void TCustomViroZereEdit::SetSmartPopupProperties(TRVSmartPopupProperties* Value) {
  GetSmartPopupProperties()->Assign(Value);
}

void TCustomViroZereEdit::ShowSmartPopup() {
  // A button whose menu is still open is freed once its menu has returned.
  if (FRetiredSmartPopupButton && !FRetiredSmartPopupButton->IsShowingMenu()) FRetiredSmartPopupButton.reset();
  TCustomViroZereEdit* top = GetTopLevelEditor();
  if (!GetStyle() || !top || top->GetCurItemNo() < 0) {
    HideSmartPopup();
    return;
  }
  if (!FSmartPopupButton) {
    FSmartPopupButton = std::make_unique<TRVSmartPopupButton>(nullptr);
    FSmartPopupButton->SetSmartPopupProperties(GetSmartPopupProperties());
    FSmartPopupButton->SetParent(this);
  }
  // On the screen the button is a window of its own inside the editor's.
  if (HandleAllocated()) FSmartPopupButton->HandleNeeded();
  AfterShowSmartPopup();
}

void TCustomViroZereEdit::HideSmartPopup() {
  if (FRetiredSmartPopupButton && !FRetiredSmartPopupButton->IsShowingMenu()) FRetiredSmartPopupButton.reset();
  if (!FSmartPopupButton) return;
  if (FSmartPopupButton->IsShowingMenu()) {
    // Freed from inside its own menu (a menu command changed the document): it is hidden now
    // and freed later, when the menu has returned.
    FSmartPopupButton->SetVisible(false);
    FSmartPopupButton->SetSmartPopupProperties(nullptr);
    FRetiredSmartPopupButton = std::move(FSmartPopupButton);
    return;
  }
  FSmartPopupButton.reset();
}

void TCustomViroZereEdit::AfterShowSmartPopup() {
  if (!FSmartPopupButton) return;
  TCustomViroZereEdit* top = GetTopLevelEditor();
  TRVEditRVData* data = top->GetEditRVData();
  FSmartPopupButton->RVData = data->GetSourceRVData();
  FSmartPopupButton->ItemNo = top->GetCurItemNo();
  FSmartPopupButton->Item = top->GetCurrentItem();
  UpdateSmartPopupPosition();
}

void TCustomViroZereEdit::UpdateSmartPopupPosition() {
  TRVSmartPopupButton* button = FSmartPopupButton.get();
  if (!button) return;
  TCustomViroZereEdit* top = GetTopLevelEditor();
  TRVEditRVData* data = top->GetEditRVData();
  const int itemNo = button->ItemNo;
  if (itemNo < 0 || itemNo >= data->ItemCount() || data->GetItem(itemNo) != button->Item) {
    HideSmartPopup();
    return;
  }
  // The draw item that holds the caret when it is the item's, else the item's first.
  int dno = data->CaretDrawItemNo;
  if (dno < 0 || dno >= data->DrawItems->Count() || data->DrawItems->Get(dno)->ItemNo != itemNo)
    dno = data->FindDrawItemByItem(itemNo);
  if (dno < 0 || dno >= data->DrawItems->Count()) {
    button->SetVisible(false);
    return;
  }
  TRVDrawLineInfo* d = data->DrawItems->Get(dno);
  TRect r(d->Left, data->GetTransformedDItemTop(dno), d->Left + d->Width,
          data->GetTransformedDItemTop(dno) + d->Height);
  data->RotateRectFromDocToScreen(r, rvtrbAbsRoot);
  TPoint p1(r.Left - data->GetHOffs(), r.Top - data->GetVOffs());
  TPoint p2(r.Right - data->GetHOffs(), r.Bottom - data->GetVOffs());
  if (top != this && top->HandleAllocated() && HandleAllocated()) {
    ::ClientToScreen(top->GetHandle(), &p1);
    ::ScreenToClient(GetHandle(), &p1);
    ::ClientToScreen(top->GetHandle(), &p2);
    ::ScreenToClient(GetHandle(), &p2);
  }
  const int w = button->GetWidth(), h = button->GetHeight();
  int x = p2.X, y = p2.Y;
  switch (GetSmartPopupProperties()->GetPosition()) {
    case rvsppTopLeft: x = p1.X - w, y = p1.Y - h; break;
    case rvsppTopRight: x = p2.X, y = p1.Y - h; break;
    case rvsppBottomRight: x = p2.X, y = p2.Y; break;
    case rvsppBottomLeft: x = p1.X - w, y = p2.Y; break;
  }
  button->SetBounds(x, y, w, h);
  button->SetVisible(true);
}

bool TCustomViroZereEdit::SmartPopupShortcut(WORD Key, TShiftState Shift) {
  if (!FSmartPopupButton || Key == 0) return false;
  int shortCut = Key;
  if (Shift.Contains(ssShift)) shortCut |= 0x2000;
  if (Shift.Contains(ssCtrl)) shortCut |= 0x4000;
  if (Shift.Contains(ssAlt)) shortCut |= 0x8000;
  if (shortCut != GetSmartPopupProperties()->GetShortCut()) return false;
  FSmartPopupButton->Click();
  return true;
}

void TCustomViroZereEdit::DoVScrolled() {
  TCustomViroZere::DoVScrolled();
  UpdateSmartPopupPosition();
}

void TCustomViroZereEdit::DoHScrolled() {
  TCustomViroZere::DoHScrolled();
  UpdateSmartPopupPosition();
}

// ---- gestures -------------------------------------------------------------------------------------

void TCustomViroZereEdit::DoGesture(const TGestureEventInfo& EventInfo, bool& Handled) {
  if (EventInfo.GestureID == igiPan) {
    TShiftState shift;
    if (GetAsyncKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
    if (GetAsyncKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
    if (GetAsyncKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    const TInteractiveGestureFlags& f = EventInfo.Flags;
    if (GetEditRVData()->ResizeGesture(f.Contains(gfBegin), f.Contains(gfEnd), f.Contains(gfInertia), shift,
                                       EventInfo.Location.X, EventInfo.Location.Y)) {
      Handled = true;
      return;
    }
  }
  TCustomViroZere::DoGesture(EventInfo, Handled);
}
