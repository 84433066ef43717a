// Caret and selection services of the editor data.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEditRVData.h"

int TRVEditRVData::GetCurItemNo() { return -1; }
int TRVEditRVData::GetOffsetInCurItem() { return -1; }
void TRVEditRVData::CaretToItem(int& ItemNo, int& ItemOffs) {}
void TRVEditRVData::SetCaretAtItem(int ItemNo, int ItemOffs) {}
void TRVEditRVData::GetSelStart(int& DINo, int& DIOffs) { TViroZereRVData::GetSelStart(DINo, DIOffs); }
void TRVEditRVData::GetSelBounds(int& StartNo, int& EndNo, int& StartOffs, int& EndOffs, bool Normalize) { TViroZereRVData::GetSelBounds(StartNo, EndNo, StartOffs, EndOffs, Normalize); }
void TRVEditRVData::GetSelectionBoundsEx(int& StartItemNo, int& StartItemOffs, int& EndItemNo, int& EndItemOffs, bool Normalize) { TViroZereRVData::GetSelectionBoundsEx(StartItemNo, StartItemOffs, EndItemNo, EndItemOffs, Normalize); }
bool TRVEditRVData::NotFormatted() const { return false; }
bool TRVEditRVData::AllowChanging() { return true; }
bool TRVEditRVData::IsCaretOnLastLine() { return false; }
bool TRVEditRVData::IsCaretAtTheBeginningOfParaSection(bool ParaStart) { return false; }
bool TRVEditRVData::IsCaretAtTheEndOfParaSection(bool ParaEnd) { return false; }
int TRVEditRVData::CharEndsItemOffs(int Index) { return -1; }
void TRVEditRVData::StartShiftMoving() {}
void TRVEditRVData::EndShiftMoving() {}
void TRVEditRVData::DoOnSelection(bool AllowScrolling) { TViroZereRVData::DoOnSelection(AllowScrolling); }
int TRVEditRVData::GetUpDownMovingX() { return FUpDownMovingX; }
void TRVEditRVData::SetUpDownMovingX(int X) {}
void TRVEditRVData::ResetUpDownMovingX() {}
bool TRVEditRVData::ItemHasPersistentCheckpoint(int ItemNo) { return false; }
bool TRVEditRVData::ParaHasPersistentCheckpoint(int ItemNo) { return false; }
bool TRVEditRVData::MovePersistentCheckpoint(int ItemNo, bool PreferPrevious) { return false; }
void TRVEditRVData::ActivateCustomCaretTimer() {}
void TRVEditRVData::DeactivateCustomCaretTimer() {}
void TRVEditRVData::ResetCaretBlinking() {}
void TRVEditRVData::DrawCustomCaret() {}
void TRVEditRVData::ClearCustomCaret() {}
void TRVEditRVData::PaintBuffered() { TViroZereRVData::PaintBuffered(); }
TRVDragDropCaretInfo* TRVEditRVData::GetDragDropCaretInfo() { return TViroZereRVData::GetDragDropCaretInfo(); }
void TRVEditRVData::CreateDragDropCaretInfo() {}
void TRVEditRVData::ReleaseDragDropCaretInfo() {}
TPoint TRVEditRVData::GetIMEWinCoord() { return {}; }
TRVEditRootEvents* TRVEditRVData::GetRootEditEvents() { return FRootEditEvents.get(); }
TRVEditRootProperties* TRVEditRVData::GetRootEditProperties() { return FRootEditProperties.get(); }
bool TRVEditRVData::GetForceFieldHighlight() { return false; }
bool TRVEditRVData::IsSticking(int FirstItemNo, bool NoSound) { return TViroZereRVData::IsSticking(FirstItemNo, NoSound); }
void TRVEditRVData::EnsureEmptyParagraph(int FirstItemNo, int LastItemNo, bool Partial) {}
void TRVEditRVData::ChosenItemChanging(TCustomRVItemInfo* NewItem) { TViroZereRVData::ChosenItemChanging(NewItem); }
void TRVEditRVData::SetPartialSelectedItem(TCustomRVItemInfo* Item) { TViroZereRVData::SetPartialSelectedItem(Item); }
