// Deleting the selection.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

bool TRVEditRVData::CanDelete() { return false; }
bool TRVEditRVData::DeleteSelection_() { return false; }
void TRVEditRVData::Reformat_(bool FullFormat, int StartDrawItemNo, int EndDrawItemNo, int ItemsInserted, bool ThisLevelOnly) {}
