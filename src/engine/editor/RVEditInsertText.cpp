// Insertion of text and RVF at the caret; page breaks.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

void TRVEditRVData::InsertTextW(const TRVUnicodeString& AText, bool AutoTag, bool CaretBefore) {}
void TRVEditRVData::InsertTextA(const TRVAnsiString& AText, bool AutoTag, bool CaretBefore, int CodePage) {}
bool TRVEditRVData::InsertTextFromStreamW(TStream* Stream, bool AutoTag) { return false; }
bool TRVEditRVData::InsertTextFromStream(TStream* Stream, bool OEM, bool AutoTag, int CodePage) { return false; }
bool TRVEditRVData::InsertTextFromFileW(const TRVUnicodeString& FileName, bool AutoTag) { return false; }
bool TRVEditRVData::InsertTextFromFile(const TRVUnicodeString& FileName, bool OEM, bool AutoTag, int CodePage) { return false; }
bool TRVEditRVData::InsertRVFFromStreamEd_(TStream* Stream) { return false; }
bool TRVEditRVData::InsertRTFFromStreamEd_(TStream* Stream) { return false; }
void TRVEditRVData::ConcateAfterAdding(int& InsertPoint, int& LastInserted, int& ItemsAdded, int& Offs) {}
bool TRVEditRVData::InsertFirstRVFItem(int& Index, TRVUnicodeString& Text, TCustomRVItemInfo*& Item, bool EditFlag, bool& FullReformat, int& NewListNo) { return false; }
void TRVEditRVData::InsertPageBreak() {}
