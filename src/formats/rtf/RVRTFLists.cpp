// Lists in the RTF reader: old-style paragraph numbering ("\pn"), the list table and the list
// override table.
#include "formats/rtf/RVRTFListTables.h"
#include "formats/rtf/RVRTFReader.h"

// ---- markers ----

void TRVRTFCustomMarkerProperties::Reset() {}

void TRVRTFCustomMarkerProperties::Assign(const TRVRTFCustomMarkerProperties& Source) { (void)Source; }

void TRVRTFCustomMarkerProperties::AssignDefinedProperties(const TRVRTFCustomMarkerProperties& Source) {
  (void)Source;
}

void TRVRTFCustomMarkerProperties::UpdateFrom(const TRVRTFCharProperties& CharProps) { (void)CharProps; }

TRVRTFMarkerProperties::TRVRTFMarkerProperties() { Reset(); }

void TRVRTFMarkerProperties::Reset() { TRVRTFCustomMarkerProperties::Reset(); }

void TRVRTFMarkerProperties::Assign(const TRVRTFCustomMarkerProperties& Source) {
  TRVRTFCustomMarkerProperties::Assign(Source);
}

TRVRTFListLevel97::TRVRTFListLevel97() { Reset(); }

void TRVRTFListLevel97::Reset() { TRVRTFCustomMarkerProperties::Reset(); }

void TRVRTFListLevel97::Assign(const TRVRTFCustomMarkerProperties& Source) {
  TRVRTFCustomMarkerProperties::Assign(Source);
}

void TRVRTFListLevel97::AssignDefinedProperties(const TRVRTFCustomMarkerProperties& Source) {
  TRVRTFCustomMarkerProperties::AssignDefinedProperties(Source);
}

TRVRTFListLevel97* TRVRTFList97::Get(int Index) { return static_cast<TRVRTFListLevel97*>(TRVList::Get(Index)); }

// ---- the reader's list handling ----

void TRVRTFReader::CreateListsFromOverrides() {}

TRVRTFErrorCode TRVRTFReader::EnterListDestination(int Dest, int Param) {
  (void)Dest; (void)Param;
  FRTFState->rds = rdsSkip;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::LeaveListDestination(TRTFrds Rds) {
  (void)Rds;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyListDestinationProperty(int Idx, int Value) {
  (void)Idx; (void)Value;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyParaListProperty(int Idx, int Value) {
  (void)Idx; (void)Value;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ProcessListChar(unsigned char ch) {
  (void)ch;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::AppendListWideChar(TRVUnicodeChar ch) {
  (void)ch;
  return rtf_ec_OK;
}

void TRVRTFReader::EndPNGroup() {}
