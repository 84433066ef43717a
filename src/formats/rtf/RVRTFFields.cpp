// Fields in the RTF reader: "\field", "\fldinst", "\fldrslt" and the field kinds read from the
// instruction.
#include "formats/rtf/RVRTFReader.h"

bool TRVRTFReader::IsHyperlinkField(const TRVUnicodeString& FieldCode) const {
  (void)FieldCode;
  return false;
}

bool TRVRTFReader::IsMergeField(const TRVUnicodeString& FieldCode) const {
  (void)FieldCode;
  return false;
}

TRVUnicodeString TRVRTFReader::GetFieldCommandValueEx(const TRVUnicodeString& s, int& StartIndex, int& Len,
                                                      bool IgnorePrefixes) const {
  (void)s; (void)IgnorePrefixes;
  StartIndex = 0;
  Len = 0;
  return {};
}

TRVUnicodeString TRVRTFReader::GetFieldCommandValue(const TRVUnicodeString& s) const {
  int start = 0, len = 0;
  return GetFieldCommandValueEx(s, start, len, true);
}

TRVRTFErrorCode TRVRTFReader::EnterFieldDestination(int Dest) {
  (void)Dest;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::LeaveFieldDestination(TRTFrds Rds) {
  (void)Rds;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ProcessFieldChar(unsigned char ch) {
  (void)ch;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::AppendFieldWideChar(TRVUnicodeChar ch) {
  (void)ch;
  return rtf_ec_OK;
}
