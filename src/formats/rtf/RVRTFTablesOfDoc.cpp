// The font table, colour table and style sheet of the RTF reader, and its code pages.
#include "formats/rtf/RVRTFDocTables.h"
#include "formats/rtf/RVRTFReader.h"

// ---- fonts ----

TRVRTFFont* TRVRTFFontList::Add(int Number) {
  auto* font = new TRVRTFFont;
  font->Number = Number;
  TRVList::Add(font);
  return font;
}

int TRVRTFFontList::GetFontIndex(int Number, int Default) const {
  (void)Number; (void)Default;
  return 0;
}

// ---- colours ----

void TRVRTFColorList::Add() { FItems.push_back(clWindowText); }

void TRVRTFColorList::Delete(int Index) {
  if (Index >= 0 && Index < Count()) FItems.erase(FItems.begin() + Index);
}

// ---- style sheet ----

TRVRTFStyleSheetEntry::TRVRTFStyleSheetEntry()
    : FParaProps(new TRVRTFParaProperties), FCharProps(new TRVRTFCharProperties) {}

TRVRTFStyleSheetEntry::~TRVRTFStyleSheetEntry() {
  delete FCharProps;
  delete FParaProps;
}

void TRVRTFStyleSheetEntry::Assign(const TRVRTFReaderState& Source) {
  FParaProps->Assign(*Source.ParaProps());
  FCharProps->Assign(*Source.CharProps());
}

// ---- the reader's tables and code pages ----

TRVUnicodeString TRVRTFReader::AnsiToUnicode(const TRVAnsiString& s, unsigned CodePage) const {
  (void)CodePage;
  TRVUnicodeString r;
  r.reserve(s.size());
  for (char c : s) r.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return r;
}

TRVAnsiString TRVRTFReader::UnicodeToAnsi(const TRVUnicodeString& s) const {
  TRVAnsiString r;
  for (char16_t c : s) r.push_back(c < 256 ? static_cast<char>(c) : '?');
  return r;
}

unsigned TRVRTFReader::GetCurrentCodePage() const { return FCodePage; }

TRVRTFErrorCode TRVRTFReader::EnterDocTableDestination(int Dest, int Param) {
  (void)Param;
  switch (Dest) {
    case 7:
      FColorTable->Clear();
      FColorTable->Add();
      FRTFState->rds = rdsColorTable;
      break;
    default:
      FRTFState->rds = rdsSkip;
      break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::LeaveDocTableDestination(TRTFrds Rds) {
  (void)Rds;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyStyleSheetProperty(int Idx, int Value, bool& Handled) {
  (void)Idx; (void)Value;
  Handled = false;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyDocTableProperty(int Idx, int Value) {
  (void)Idx; (void)Value;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ProcessDocTableChar(unsigned char ch) {
  if (FRTFState->rds == rdsColorTable && ch == ';') FColorTable->Add();
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::AppendDocTableWideChar(TRVUnicodeChar ch) {
  (void)ch;
  return rtf_ec_OK;
}

void TRVRTFReader::ConvertOEMText(TRVAnsiString& s) const { (void)s; }

void TRVRTFReader::ConvertMacText(TRVAnsiString& s) const { (void)s; }

int TRVRTFReader::GetFontIndexOfNumber(int Number) const { return FFontTable->GetFontIndex(Number, Number); }

void TRVRTFReader::EndColorTable() {
  if (FColorTable->Count() > 0) FColorTable->Delete(FColorTable->Count() - 1);
}
