// Inserting an item at the caret.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

bool TRVEditRVData::InsertSomething(TCustomRVItemInfo* Item, TRVUnicodeString& Text, TRVUnicodeString& SplitText, bool TakeTag, bool CaretBefore, bool CallTextEditEvent) { return false; }
bool TRVEditRVData::InsertItemAtCaret(TCustomRVItemInfo*& Item, TRVUnicodeString& Text, bool NewPara, bool CallTextEditEvent, bool TakeTag, int& Pos, int& ItemsAdded, bool& FullReformat, int& NewListNo) { return false; }
