// Typing.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

void TRVEditRVData::KeyPress(WideChar& Key) {}
void TRVEditRVData::InsertTextTyping(const TRVUnicodeString& Text) {}
int TRVEditRVData::GetActualCurStyleNo() { return GetActualStyleEx(FCurTextStyleNo, FCurParaStyleNo); }
void TRVEditRVData::SetCurTextStyleNo(int Value) {
  if (TCustomViroZereEdit* E = GetEditor()) E->SetCurTextStyleNo(Value);
  else FCurTextStyleNo = Value;
}
void TRVEditRVData::SetCurParaStyleNo(int Value) {
  if (TCustomViroZereEdit* E = GetEditor()) E->SetCurParaStyleNo(Value);
  else FCurParaStyleNo = Value;
}
void TRVEditRVData::AssignCurTag() {}
void TRVEditRVData::ClearCurTag() {
  FCurTag.clear();
  FCurTagStyleNo = -1;
}
bool TRVEditRVData::StylesCanShareTag(int StyleNo1, int StyleNo2) { return false; }
bool TRVEditRVData::DoItemTextEdit(const TRVUnicodeString& OldText, int ItemNo) { return false; }
bool TRVEditRVData::DoItemTextEditEx(const TRVUnicodeString& OldText, int ItemNo, TRVUndoType UndoType) { return false; }
void TRVEditRVData::DoCurrentTextStyleConversion(int& StyleNo, int ParaStyleNo, int ItemNo, int UserData, bool ToWholeParagraphs) {}
