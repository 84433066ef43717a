// Reformatting after edits: the editor data's formatting entry, partial reformatting, item
// modification brackets, the change notification and renumbering of lists and sequences.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEditRVData.h"

bool TRVEditRVData::Format_(bool OnlyResized, bool ForceFormat, bool NoScroll, int depth, TCanvas* Canvas, bool OnlyTail, bool NoCaching, bool Reformatting, bool CallOnFormat, bool AbsRotation) { return TViroZereRVData::Format_(OnlyResized, ForceFormat, NoScroll, depth, Canvas, OnlyTail, NoCaching, Reformatting, CallOnFormat, AbsRotation); }
void TRVEditRVData::Reformat(bool FullFormat, bool ForceFormat, bool NoScroll, int ItemNo, bool AUpdateView, bool ThisLevelOnly) {}
void TRVEditRVData::ReformatEx(bool FullFormat, bool ForceFormat, bool NoScroll, int ItemNo, bool AUpdateView, int SelStartNo, int SelStartOffs, int SelEndNo, int SelEndOffs, bool ThisLevelOnly) {}
void TRVEditRVData::BeginItemModify(int ItemNo, int& ModifyData) {}
void TRVEditRVData::EndItemModify(int ItemNo, int ModifyData) {}
void TRVEditRVData::EndItemModifyEx(int ItemNo, int ModifyData, int SelStartNo, int SelStartOffs, int SelEndNo, int SelEndOffs) {}
void TRVEditRVData::ChangeEx(bool ClearRedo) {}
void TRVEditRVData::DoAfterFormatAndCaretPositioning(bool UpdateControl) {}
void TRVEditRVData::PrepareForUpdateRangeAfterMarkersOrSeq(int StartNo, int EndNo, bool ForDeletion, int& FirstItemNo, int& LastMarkerIndex, int& LastSeqIndex, std::unique_ptr<TRVIntegerList>& ListNos, std::unique_ptr<TStringList>& SeqNames) {}
void TRVEditRVData::UpdateAfterMarkersOrSeq(int FirstItemNo, int LastMarkerIndex, int LastSeqIndex, TRVIntegerList* ListNos, TStringList* SeqNames) {}
void TRVEditRVData::UpdateRangeAfterMarkersOrSeq(int StartNo, int EndNo) {}
bool TRVEditRVData::LoadFormattingFromStream(TStream* Stream) { return TViroZereRVData::LoadFormattingFromStream(Stream); }
