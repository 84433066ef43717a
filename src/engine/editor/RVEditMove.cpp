// Caret movement keys.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

bool TRVEditRVData::OnLeftPress(bool Shift, bool Ctrl) { return false; }
bool TRVEditRVData::OnRightPress(bool Shift, bool Ctrl) { return false; }
bool TRVEditRVData::OnUpPress(bool Shift, bool Ctrl) { return false; }
bool TRVEditRVData::OnDownPress(bool Shift, bool Ctrl) { return false; }
bool TRVEditRVData::OnHomePress(bool Shift, bool Ctrl) { return false; }
bool TRVEditRVData::OnEndPress(bool Shift, bool Ctrl) { return false; }
void TRVEditRVData::OnPgUpPress(bool Shift) {}
void TRVEditRVData::OnPgDownPress(bool Shift) {}
void TRVEditRVData::MoveCaretToTheBeginningOfThePrevParagraph(bool Select) {}
void TRVEditRVData::MoveCaretToTheEndOfTheNextParagraph(bool Select) {}
void TRVEditRVData::UpdateSelectionEnd() {}
