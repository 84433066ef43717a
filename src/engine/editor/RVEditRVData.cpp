// The editor data: life cycle, the undo brackets and hyperlinks while Ctrl is held.
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVError.h"
#include "engine/layout/DrawLines.h"
#include "platform/graphics/Graphics.h"

namespace {
// The editor's current styles go through the control's accessors so that rulers and actions hear
// of the change; a data without an editor keeps them itself.
void ResetCurrentStyles(TRVEditRVData& Data) {
  if (TCustomViroZereEdit* Editor = Data.GetEditor()) {
    if (Editor->ComponentState().Contains(csDestroying)) return;
    Editor->SetCurTextStyleNo(0);
    Editor->SetCurParaStyleNo(0);
  } else {
    Data.FCurTextStyleNo = 0;
    Data.FCurParaStyleNo = 0;
  }
}

// Hyperlink rectangles are not kept for a read-only editor unless its options ask for them.
bool JumpsBlockedByReadOnly(TRVEditRVData& Data) {
  TCustomViroZereEdit* Editor = Data.GetEditor();
  return Editor && Editor->GetReadOnly() && !Editor->GetEditorOptions().Contains(rvoNoReadOnlyJumps);
}

// The item of the tree that holds the mouse (a table column being dragged, for example).
bool ItemCapturesMouse(TRVEditRVData& Data) {
  if (Data.FCaptureMouseItem) return true;
  TCustomRVFormattedData* Root = Data.GetAbsoluteRootData()->AsFormattedData();
  return Root && Root->FCaptureMouseItem;
}
}  // namespace

void TRVEditRVData::Clear() {
  FPrevTextStyleNo = 0;
  ResetCurrentStyles(*this);
  TViroZereRVData::Clear();
  if (FEditor) FEditor->SetModified(false);
  UndoList->Clear();
  RedoList->Clear();
  // Clearing may have moved the caret through items and taken their styles.
  ResetCurrentStyles(*this);
  State.Include(rvstEditorUnformatted);
}

void TRVEditRVData::ClearTemporal() {
  CharEnds.Clear();
  CaretDrawItemNo = -1;
  CaretOffs = -1;
  FResizer.reset();
  FCurTag.clear();
  FCurTagStyleNo = -1;
  State.Exclude(rvstDoNotClearCurTag);
  DeactivateCustomCaretTimer();
  FCustomCaretBack.reset();
  // Pagination and opening a cell editor reformat without the user having moved: the column that
  // Up and Down keep survives them.
  if (!State.Contains(rvstPreserveSoftPageBreaks) && !GetAbsoluteRootData()->State.Contains(rvstCreatingInplace)) {
    if (auto* Root = dynamic_cast<TRVEditRVData*>(GetAbsoluteRootData()))
      Root->FUpDownMovingX = INT_MAX;
    else
      FUpDownMovingX = INT_MAX;
  }
  TViroZereRVData::ClearTemporal();
}

// The resize handles belong to the old draw items.
void TRVEditRVData::StartPartialFormatting() { FResizer.reset(); }

void TRVEditRVData::PrepareForEdit() {
  if (ItemCount() != 0 || !GetRVStyle()) return;
  AddNL(TRVUnicodeString(), FCurTextStyleNo, FCurParaStyleNo);
  Format(false);
  if (DrawItems->Count() > 0) {
    CaretDrawItemNo = 0;
    OnChangeCaretLine(GetOffsBeforeDrawItem(0) - 2);
    CaretOffs = 0;
  }
}
TRVUndoList* TRVEditRVData::GetUndoList() {
  if (UndoDest == udUndo) return UndoList->Limit != 0 ? UndoList.get() : nullptr;
  if (UndoDest == udRedo) return RedoList.get();
  return nullptr;
}
void TRVEditRVData::BeginUndoSequence(TRVUndoType UndoType, bool AllowFinalize) { BeginNamedUndoSequence(UndoType, TRVUnicodeString(), AllowFinalize); }
void TRVEditRVData::BeginNamedUndoSequence(TRVUndoType UndoType, const TRVUnicodeString& Caption, bool AllowFinalize) {
  if (AllowFinalize) FinalizeUndoGroup();
  UndoDest = udUndo;
  const int ItemNo = GetCurItemNo(), Offs = GetOffsetInCurItem();
  if (!UndoList->BeginItem(UndoType, Caption, ItemNo, Offs, GetEditor())) UndoDest = udNone;
}
void TRVEditRVData::BeginRedoSequence(TRVUndoType UndoType, const TRVUnicodeString& Caption) {
  UndoDest = udRedo;
  const int ItemNo = GetCurItemNo(), Offs = GetOffsetInCurItem();
  if (!RedoList->BeginItem(UndoType, Caption, ItemNo, Offs, GetEditor())) UndoDest = udNone;
}
void TRVEditRVData::EndUndoSequence() { UndoList->EndItem(GetEditor()); }
void TRVEditRVData::SetUndoGroupMode(bool GroupUndo) { UndoList->SetUndoGroupMode(GroupUndo, GetEditor()); }
void TRVEditRVData::BeginUndoGroup2(TRVUndoType UndoType) {
  if (UndoList->GroupModeCount > 0)
    throw EViroZereError("Can't start undo group: undo is already in a grouping mode");
  FinalizeUndoGroup();
  UndoDest = udUndo;
  const int ItemNo = GetCurItemNo(), Offs = GetOffsetInCurItem();
  UndoList->AddBeginGroup2(UndoType, TRVUnicodeString(), ItemNo, Offs, GetEditor());
  UndoDest = udNone;
}
void TRVEditRVData::EndUndoGroup2(TRVUndoType UndoType) {
  if (UndoList->GroupModeCount > 0)
    throw EViroZereError("Can't end undo group: undo is in a grouping mode");
  FinalizeUndoGroup();
  UndoDest = udUndo;
  const int ItemNo = GetCurItemNo(), Offs = GetOffsetInCurItem();
  UndoList->AddEndGroup2(UndoType, TRVUnicodeString(), ItemNo, Offs, GetEditor());
  UndoDest = udNone;
}
void TRVEditRVData::BeginRedoGroup2(TRVUndoType UndoType) {
  UndoDest = udRedo;
  const int ItemNo = GetCurItemNo(), Offs = GetOffsetInCurItem();
  RedoList->AddBeginGroup2(UndoType, TRVUnicodeString(), ItemNo, Offs, GetEditor());
  UndoDest = udNone;
}
void TRVEditRVData::EndRedoGroup2(TRVUndoType UndoType) {
  UndoDest = udRedo;
  const int ItemNo = GetCurItemNo(), Offs = GetOffsetInCurItem();
  RedoList->AddEndGroup2(UndoType, TRVUnicodeString(), ItemNo, Offs, GetEditor());
  UndoDest = udNone;
}
void TRVEditRVData::FinalizeUndoGroup() {
  if (State.Contains(rvstFinalizingUndo)) return;
  State.Include(rvstFinalizingUndo);
  struct Restore {
    TRVEditRVData* D;
    ~Restore() { D->State.Exclude(rvstFinalizingUndo); }
  } restore{this};
  // A table whose cell is being edited closes its cell editor's undo group here (tables come
  // later: the item operation is the hook).
}
int TRVEditRVData::BuildJumpsInfo(bool IgnoreReadOnly) {
  if (!IgnoreReadOnly && JumpsBlockedByReadOnly(*this)) return 0;
  if (ItemCapturesMouse(*this)) return 0;
  ClearJumps(true);
  int Count = 0;
  BuildJumps(Count);
  TCustomRVData* Root = GetAbsoluteRootData();
  Root->SetFlags(Root->GetFlags() + rvflUseJumps);
  Root->State.Include(rvstJumpsJustBuilt);
  State.Exclude(rvstDrawHover);
  InvalidateDocument();
  return Count;
}

void TRVEditRVData::ClearJumpsInfo() {
  if (JumpsBlockedByReadOnly(*this) || ItemCapturesMouse(*this)) return;
  TCustomRVData* Root = GetAbsoluteRootData();
  if (!Root->GetFlags().Contains(rvflUseJumps)) return;
  ClearJumps(true);
  Root->SetFlags(Root->GetFlags() - rvflUseJumps);
  State.Exclude(rvstDrawHover);
  ChangeCaret(false, false, true, false);
  InvalidateDocument();
}

TRVEditRVData::TRVEditRVData(TRVRootDataViewer* AViroZere) : TViroZereRVData(AViroZere) {
  FRootEditEvents = std::make_unique<TRVEditRootEvents>();
  FRootEditProperties = std::make_unique<TRVEditRootProperties>();
  UndoList = std::make_unique<TRVUndoList>(this);
  RedoList = std::make_unique<TRVRedoList>(this);
  TabNavigation = rvtnNone;
}

// Undo records hold items that refer to this document: they go while it is still whole.
TRVEditRVData::~TRVEditRVData() {
  CharEnds.Clear();
  UndoList.reset();
  RedoList.reset();
}

void TRVEditRootEvents::ExecuteCaretMove(TObject* Sender) const {
  if (CaretMoveHandlers) CaretMoveHandlers->Execute(Sender);
}
void TRVEditRootEvents::ExecuteCurParaStyleChange(TObject* Sender) const {
  if (CurParaStyleChangeHandlers) CurParaStyleChangeHandlers->Execute(Sender);
}
void TRVEditRootEvents::ExecuteCurTextStyleChange(TObject* Sender) const {
  if (CurTextStyleChangeHandlers) CurTextStyleChangeHandlers->Execute(Sender);
}
