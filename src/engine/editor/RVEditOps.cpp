// Editing operations of the editor control.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

bool TCustomViroZereEdit::BeforeInserting() { return false; }
void TCustomViroZereEdit::AfterInserting() {}
bool TCustomViroZereEdit::InsertItem(const TRVUnicodeString& AName, TCustomRVItemInfo* Item) { return false; }
bool TCustomViroZereEdit::InsertBreak(TRVStyleLength AWidth, TRVBreakStyle AStyle, TColor AColor) { return false; }
bool TCustomViroZereEdit::InsertTab() { return false; }
bool TCustomViroZereEdit::InsertPicture(const TRVUnicodeString& AName, TGraphic* gr, TRVVAlign AVAlign) { return false; }
bool TCustomViroZereEdit::InsertStringWTag(const TRVUnicodeString& s, const TRVTag& ATag) { return false; }
void TCustomViroZereEdit::InsertTextW(const TRVUnicodeString& AText, bool CaretBefore) {}
void TCustomViroZereEdit::InsertPageBreak() {}
void TCustomViroZereEdit::RemoveCurrentPageBreak() {}
void TCustomViroZereEdit::ApplyParaStyle(int ParaStyleNo) {}
void TCustomViroZereEdit::DeleteSelection() {}
bool TCustomViroZereEdit::CanDelete() { return false; }
