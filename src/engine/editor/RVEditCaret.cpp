// The caret line (its stops) and caret placement.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEditRVData.h"

void TRVEditRVData::OnChangeCaretLine(int DLOffs) {}
void TRVEditRVData::ChangeCaret(bool ForceCreate, bool ScrollToCaret, bool DontChangeStyle, bool RefreshBefore) {}
bool TRVEditRVData::IsCharOffsAtTheLineEndAndItemEnd(int Offs) { return false; }
bool TRVEditRVData::IsCharOffsAtTheLineStartAndItemStart(int Offs) { return false; }
