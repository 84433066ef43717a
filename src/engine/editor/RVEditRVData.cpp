// The editor data: life cycle, the undo brackets and hyperlinks while Ctrl is held.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"

void TRVEditRVData::Clear() { TViroZereRVData::Clear(); }
void TRVEditRVData::ClearTemporal() { TViroZereRVData::ClearTemporal(); }
void TRVEditRVData::StartPartialFormatting() {}
void TRVEditRVData::PrepareForEdit() {}
TRVUndoList* TRVEditRVData::GetUndoList() {
  if (UndoDest == udUndo) return UndoList->Limit != 0 ? UndoList.get() : nullptr;
  if (UndoDest == udRedo) return RedoList.get();
  return nullptr;
}
void TRVEditRVData::BeginUndoSequence(TRVUndoType UndoType, bool AllowFinalize) {}
void TRVEditRVData::BeginNamedUndoSequence(TRVUndoType UndoType, const TRVUnicodeString& Caption, bool AllowFinalize) {}
void TRVEditRVData::BeginRedoSequence(TRVUndoType UndoType, const TRVUnicodeString& Caption) {}
void TRVEditRVData::EndUndoSequence() {}
void TRVEditRVData::SetUndoGroupMode(bool GroupUndo) {}
void TRVEditRVData::BeginUndoGroup2(TRVUndoType UndoType) {}
void TRVEditRVData::EndUndoGroup2(TRVUndoType UndoType) {}
void TRVEditRVData::BeginRedoGroup2(TRVUndoType UndoType) {}
void TRVEditRVData::EndRedoGroup2(TRVUndoType UndoType) {}
void TRVEditRVData::FinalizeUndoGroup() {}
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
