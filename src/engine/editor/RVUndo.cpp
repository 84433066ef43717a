// The undo and redo lists: steps, group markers, typing and the step performer.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVUndo.h"

#include "engine/editor/RVEditRVData.h"

TCustomRVFormattedData* TRVUndoInfo::GetUndoListOwnerRVData() const { return FUndoList ? FUndoList->FRVData : nullptr; }

void TRVUndoInfos::Undo(TRVEditRVData* /*RVData*/, bool /*Reformat*/) {}
void TRVUndoInfos::Redo(TRVEditRVData* /*RVData*/, bool /*Reformat*/) {}
bool TRVUndoInfos::CanDelete() const { return true; }
void TRVUndoInfos::ChangeUndoList(TRVUndoList* List) {
  for (int i = 0; i < Count(); ++i) Items(i)->FUndoList = List;
}
void TRVUndoInfosBegin2::Undo(TRVEditRVData* /*RVData*/, bool /*Reformat*/) {}
void TRVUndoInfosBegin2::Redo(TRVEditRVData* /*RVData*/, bool /*Reformat*/) {}
void TRVUndoInfosEnd2::Undo(TRVEditRVData* /*RVData*/, bool /*Reformat*/) {}
void TRVUndoInfosEnd2::Redo(TRVEditRVData* /*RVData*/, bool /*Reformat*/) {}

bool TRVUndoList::BeginItem(TRVUndoType UndoType, const TRVUnicodeString& Caption, int CaretItemNo, int CaretOffs,
                            TObject* /*Editor*/) {
  if (Limit == 0) return false;
  auto* Step = new TRVUndoInfos;
  Step->UndoType = UndoType;
  Step->Caption = Caption;
  Step->CaretItemNo = CaretItemNo;
  Step->CaretOffs = CaretOffs;
  Add(Step);
  return true;
}
void TRVUndoList::EndItem(TObject* /*Editor*/) {
  if (Count() && LastStep()->IsEmpty()) Delete(Count() - 1);
}
void TRVUndoList::AddInfo(TRVUndoInfo* Info, TObject* /*Editor*/) {
  Info->FUndoList = this;
  LastStep()->Add(Info);
}
void TRVUndoList::AddInfoIfPossible(TRVUndoInfo* Info, TObject* Editor) {
  if (Count()) AddInfo(Info, Editor);
  else delete Info;
}
void TRVUndoList::AddInfos(TRVUndoInfos* Infos, TObject* /*Editor*/) {
  Infos->ChangeUndoList(this);
  Add(Infos);
}
void TRVUndoList::AddTyping(int /*CaretItemNo*/, int /*CaretOffs*/, bool /*Unicode*/, TObject* /*Editor*/) {}
void TRVUndoList::AddUntyping(WideChar /*Char*/, int /*CaretItemNo*/, int /*CaretOffs*/, TObject* /*Editor*/) {}
bool TRVUndoList::AddBeginGroup2(TRVUndoType, const TRVUnicodeString&, int, int, TObject*) { return false; }
bool TRVUndoList::AddEndGroup2(TRVUndoType, const TRVUnicodeString&, int, int, TObject*) { return false; }
void TRVUndoList::PopIfEmpty() {}
void TRVUndoList::SetUndoGroupMode(bool GroupUndo, TObject* /*Editor*/) { GroupModeCount += GroupUndo ? 1 : -1; }
TRVUndoType TRVUndoList::CurrentUndoType() const { return Count() ? LastStep()->UndoType : rvutNone; }
TRVUnicodeString TRVUndoList::CurrentUndoCaption() const { return Count() ? LastStep()->Caption : TRVUnicodeString(); }
void TRVUndoList::Undo(TRVEditRVData* /*RVData*/) {}
void TRVUndoList::Redo(TRVEditRVData* /*RVData*/) {}
