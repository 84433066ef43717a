// The Enter key.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

bool TRVEditRVData::OnEnterPress_(bool Shift, bool Recursive) { return false; }
int TRVEditRVData::GetNextParaNo(int ParaNo) { return -1; }
int TRVEditRVData::GetNextStyleNo(int StyleNo, int ParaNo, bool NewLine) { return -1; }
bool TRVEditRVData::InsertMarkerCopy(int FromItemNo, int Index, bool RequireVisible, bool Recorded, bool& FullReformat) { return false; }
