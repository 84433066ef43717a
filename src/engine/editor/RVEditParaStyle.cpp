// Paragraph style application and the character-code toggle.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

void TRVEditRVData::ApplyParaStyle(int ParaStyleNo, TRVEStyleConversionType ConvType, bool Recursive, bool CallChange) {}
void TRVEditRVData::GetCurrentHexNumberOrChar(TRVUnicodeString& S, int& ItemNo, int& Offs, int MaxLength) {}
bool TRVEditRVData::ReplaceCharCode() { return false; }
