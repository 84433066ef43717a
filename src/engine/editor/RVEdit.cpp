// The editor control's state that the editor data uses.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

namespace {
std::unique_ptr<TViroZereRVData> MakeEditData(TCustomViroZere* Viewer) {
  return std::make_unique<TRVEditRVData>(Viewer);
}
}  // namespace

TCustomViroZereEdit::TCustomViroZereEdit(TComponent* AOwner) : TCustomViroZere(AOwner, &MakeEditData) {
  TRVFlags F = GetViewerFlags();
  F.Include(rvflRootEditor);
  F.Exclude(rvflUseJumps);
  F.Exclude(rvflUseExternalLeading);
  SetViewerFlags(F);
  GetEditRVData()->SetEditor(this);
}
TCustomViroZereEdit::~TCustomViroZereEdit() = default;

bool TCustomViroZereEdit::BeforeChange(bool /*FromOutside*/) { return !GetReadOnly() && GetStyle() && QueryChanging(); }
bool TCustomViroZereEdit::QueryChanging() {
  bool CanEdit = true;
  if (OnChanging) OnChanging(this, CanEdit);
  return CanEdit;
}
void TCustomViroZereEdit::DoChange(bool AClearRedo) {
  FModified = true;
  if (AClearRedo) ClearRedo();
  if (OnChange) OnChange(this);
}
int TCustomViroZereEdit::GetCurTextStyleNo() { return GetEditRVData()->FCurTextStyleNo; }
void TCustomViroZereEdit::SetCurTextStyleNo(int Value) { GetEditRVData()->FCurTextStyleNo = Value; }
int TCustomViroZereEdit::GetCurParaStyleNo() { return GetEditRVData()->FCurParaStyleNo; }
void TCustomViroZereEdit::SetCurParaStyleNo(int Value) { GetEditRVData()->FCurParaStyleNo = Value; }
void TCustomViroZereEdit::CurParaStyleChange() {}
void TCustomViroZereEdit::CurTextStyleChange() {}
void TCustomViroZereEdit::AfterCaretMove() {}
int TCustomViroZereEdit::GetCurItemNo() { return GetEditRVData()->GetCurItemNo(); }
int TCustomViroZereEdit::GetOffsetInCurItem() { return GetEditRVData()->GetOffsetInCurItem(); }
int TCustomViroZereEdit::GetUndoLimit() const { return GetEditRVData()->UndoList->Limit; }
void TCustomViroZereEdit::SetUndoLimit(int Value) { GetEditRVData()->UndoList->Limit = Value; }
void TCustomViroZereEdit::ClearUndo() {
  GetEditRVData()->UndoList->Clear();
  GetEditRVData()->RedoList->Clear();
}
void TCustomViroZereEdit::ClearRedo() { GetEditRVData()->RedoList->Clear(); }
int TCustomViroZereEdit::GetCustomCaretInterval() { return GetEditRVData()->GetRootEditProperties()->CustomCaretInterval; }
void TCustomViroZereEdit::SetCustomCaretInterval(int Value) {
  GetEditRVData()->GetRootEditProperties()->CustomCaretInterval = Value;
}

const TClassInfo& TCustomViroZereEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomViroZereEdit>(u"TCustomViroZereEdit", &TCustomViroZere::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TViroZereEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TViroZereEdit>(u"TViroZereEdit", &TCustomViroZereEdit::StaticClassInfo()).Build();
  return info;
}
