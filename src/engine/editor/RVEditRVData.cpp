// The editor data: life cycle, the undo brackets and hyperlinks while Ctrl is held.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVError.h"

void TRVEditRVData::Clear() { TViroZereRVData::Clear(); }
void TRVEditRVData::ClearTemporal() { TViroZereRVData::ClearTemporal(); }
void TRVEditRVData::StartPartialFormatting() {}
void TRVEditRVData::PrepareForEdit() {}
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
int TRVEditRVData::BuildJumpsInfo(bool IgnoreReadOnly) { return -1; }
void TRVEditRVData::ClearJumpsInfo() {}

TRVEditRVData::TRVEditRVData(TRVRootDataViewer* AViroZere) : TViroZereRVData(AViroZere) {
  FRootEditEvents = std::make_unique<TRVEditRootEvents>();
  FRootEditProperties = std::make_unique<TRVEditRootProperties>();
  UndoList = std::make_unique<TRVUndoList>(this);
  RedoList = std::make_unique<TRVRedoList>(this);
  TabNavigation = rvtnNone;
}

TRVEditRVData::~TRVEditRVData() = default;

void TRVEditRootEvents::ExecuteCaretMove(TObject* Sender) const {
  if (CaretMoveHandlers) CaretMoveHandlers->Execute(Sender);
}
void TRVEditRootEvents::ExecuteCurParaStyleChange(TObject* Sender) const {
  if (CurParaStyleChangeHandlers) CurParaStyleChangeHandlers->Execute(Sender);
}
void TRVEditRootEvents::ExecuteCurTextStyleChange(TObject* Sender) const {
  if (CurTextStyleChangeHandlers) CurTextStyleChangeHandlers->Execute(Sender);
}
