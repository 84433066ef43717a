// The Delete and Backspace keys.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

bool TRVEditRVData::OnBackSpacePress_(bool Ctrl, bool MultiDelete, bool FromNextLine, int ForceDeleteCount) { return false; }
void TRVEditRVData::OnDeletePress_(bool Ctrl, bool MovedFromLineEnd) {}
