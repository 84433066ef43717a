// The font table, colour table and style sheet of the RTF reader, and its code pages.
#include <algorithm>

#include "engine/foundation/RVStrFuncs.h"
#include "engine/foundation/RVUni.h"
#include "formats/rtf/RVRTFDocTables.h"
#include "formats/rtf/RVRTFReader.h"
#include "platform/base/NLS.h"
#include "platform/base/SysUtils.h"

namespace rvrtftablesofdoc_detail {

// Code page 437 bytes 0x80..0xFF as Windows-1252 bytes; box-drawing characters become "|", "-"
// or "+", the rest without an equivalent "?".
constexpr unsigned char OEMTo1252[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5, 0xC9, 0xE6, 0xC6,
    0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x3F, 0x83, 0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1,
    0xAA, 0xBA, 0xBF, 0x3F, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB, 0x3F, 0x3F, 0x3F, 0x7C, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B,
    0x2B, 0x7C, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2D, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B,
    0x2B, 0x2D, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x3F, 0x3F, 0x3F, 0x3F,
    0x3F, 0x3F, 0xDF, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0xB1,
    0x3F, 0x3F, 0x3F, 0x3F, 0xF7, 0x3F, 0xB0, 0xB7, 0xB7, 0x3F, 0x6E, 0xB2, 0x3F, 0xA0};

// Mac OS Roman bytes 0x80..0xFF as Windows-1252 bytes.
constexpr unsigned char MacTo1252[128] = {
    0xC4, 0xC5, 0xC7, 0xC9, 0xD1, 0xD6, 0xDC, 0xE1, 0xE0, 0xE2, 0xE4, 0xE3, 0xE5, 0xE7, 0xE9, 0xE8, 0xEA, 0xEB, 0xED,
    0xEC, 0xEE, 0xEF, 0xF1, 0xF3, 0xF2, 0xF4, 0xF6, 0xF5, 0xFA, 0xF9, 0xFB, 0xFC, 0x86, 0xB0, 0xA2, 0xA3, 0xA7, 0x95,
    0xB6, 0xDF, 0xAE, 0xA9, 0x99, 0xB4, 0xA8, 0x3F, 0xC6, 0xD8, 0x3F, 0xB1, 0x3F, 0x3F, 0xA5, 0xB5, 0x3F, 0x3F, 0x3F,
    0x3F, 0x3F, 0xAA, 0xBA, 0x3F, 0xE6, 0xF8, 0xBF, 0xA1, 0xAC, 0x3F, 0x83, 0x3F, 0x3F, 0xAB, 0xBB, 0x85, 0xA0, 0xC0,
    0xC3, 0xD5, 0x8C, 0x9C, 0x96, 0x97, 0x93, 0x94, 0x91, 0x92, 0xF7, 0x3F, 0xFF, 0x9F, 0x2F, 0x80, 0x8B, 0x9B, 0x3F,
    0x3F, 0x87, 0xB7, 0x82, 0x84, 0x89, 0xC2, 0xCA, 0xC1, 0xCB, 0xC8, 0xCD, 0xCE, 0xCF, 0xCC, 0xD3, 0xD4, 0x3F, 0xD2,
    0xDA, 0xDB, 0xD9, 0x49, 0x88, 0x98, 0xAF, 0x3F, 0xB7, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F};

void TranslateHighBytes(TRVAnsiString& s, const unsigned char (&table)[128]) {
  for (auto& c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80) c = static_cast<char>(table[b - 0x80]);
  }
}

// Names that writers give the same face in another script: "Arial Cyr" is Arial with charset 204.
void RemoveCharsetSuffix(TRVRTFFont& font) {
  const char* suffix = nullptr;
  switch (font.Charset) {
    case 161: suffix = "greek"; break;
    case 162: suffix = "tur"; break;
    case 163: suffix = "(vietnamese)"; break;
    case 177: suffix = "(hebrew)"; break;
    case 178: suffix = "(arabic)"; break;
    case 186: suffix = "baltic"; break;
    case 204: suffix = "cyr"; break;
    case 238: suffix = "ce"; break;
    default: return;
  }
  TRVUnicodeString tail = u" ";
  for (const char* p = suffix; *p; ++p) tail.push_back(static_cast<char16_t>(*p));
  const TRVUnicodeString& name = font.Name;
  if (name.size() <= tail.size()) return;
  const TRVUnicodeString last = LowerCaseUnicode(name.substr(name.size() - tail.size()));
  if (last == tail) font.Name.resize(name.size() - tail.size());
}

}  // namespace rvrtftablesofdoc_detail

void RTFConvertOEMText(TRVAnsiString& s) {
  rvrtftablesofdoc_detail::TranslateHighBytes(s, rvrtftablesofdoc_detail::OEMTo1252);
}

void RTFConvertMacText(TRVAnsiString& s) {
  rvrtftablesofdoc_detail::TranslateHighBytes(s, rvrtftablesofdoc_detail::MacTo1252);
}

// ---- fonts ----

TRVRTFFont* TRVRTFFontList::Add(int Number) {
  auto* font = new TRVRTFFont;
  font->Number = Number;
  TRVList::Add(font);
  FIndexOfNumber.emplace(Number, Count() - 1);
  return font;
}

int TRVRTFFontList::GetFontIndex(int Number, int Default) const {
  auto it = FIndexOfNumber.find(Number);
  if (it != FIndexOfNumber.end()) return it->second;
  if (Number != Default) {
    it = FIndexOfNumber.find(Default);
    if (it != FIndexOfNumber.end()) return it->second;
  }
  return 0;
}

void TRVRTFFontList::Clear() {
  TRVList::Clear();
  FIndexOfNumber.clear();
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

int TRVRTFStyleSheet::GetEntry(int Number) const {
  if (Number < 0 || Count() == 0) return -1;
  // The map holds every entry but the last, whose number may still change while it is read; it
  // grows as entries are added, so that lookups between entries cost no rebuilding.
  if (FMapCount < 0) {
    FIndexOfNumber.clear();
    FMapCount = 0;
  }
  for (; FMapCount < Count() - 1; ++FMapCount) FIndexOfNumber.emplace(Get(FMapCount)->FNumber, FMapCount);
  const auto it = FIndexOfNumber.find(Number);
  if (it != FIndexOfNumber.end()) return it->second;
  return Get(Count() - 1)->FNumber == Number ? Count() - 1 : -1;
}

int TRVRTFStyleSheet::GetParaEntry(int Number) {
  if (FLastParaIndex >= 0 && FLastParaIndex < Count() && Get(FLastParaIndex)->FNumber == Number) return FLastParaIndex;
  FLastParaIndex = GetEntry(Number);
  return FLastParaIndex;
}

int TRVRTFStyleSheet::GetCharEntry(int Number) {
  if (FLastCharIndex >= 0 && FLastCharIndex < Count() && Get(FLastCharIndex)->FNumber == Number) return FLastCharIndex;
  FLastCharIndex = GetEntry(Number);
  return FLastCharIndex;
}

void TRVRTFStyleSheet::CalculateLinks() {
  NumbersChanged();
  for (int i = 0; i < Count(); ++i) {
    TRVRTFStyleSheetEntry* entry = Get(i);
    entry->FName = Trim(entry->FName);
    entry->FLinkIndex = GetEntry(entry->FLinkNumber);
    entry->FBasedOnIndex = GetEntry(entry->FBasedOnNumber);
    entry->FNextIndex = GetEntry(entry->FNextNumber);
  }
}

void TRVRTFStyleSheet::Clear() {
  TRVList::Clear();
  FLastParaIndex = -1;
  FLastCharIndex = -1;
  NumbersChanged();
}

// ---- the reader's tables and code pages ----

TRVUnicodeString TRVRTFReader::AnsiToUnicode(const TRVAnsiString& s, unsigned CodePage) const {
  TRVUnicodeString r;
  if (s.empty()) return r;
  if (CodePageToUnicode(CodePage, MB_PRECOMPOSED | MB_USEGLYPHCHARS, s, r) && !r.empty()) return r;
  r.clear();
  if (CodePage != CP_ACP && CodePageToUnicode(CP_ACP, MB_PRECOMPOSED | MB_USEGLYPHCHARS, s, r) && !r.empty()) return r;
  return TRVUnicodeString(s.size(), u'?');
}

TRVAnsiString TRVRTFReader::UnicodeToAnsi(const TRVUnicodeString& s) const {
  std::string r;
  if (s.empty()) return r;
  constexpr DWORD flags = WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR;
  if (UnicodeToCodePage(FCodePage, flags, s, r, "?") && !r.empty()) return r;
  r.clear();
  if (FCodePage != CP_ACP && UnicodeToCodePage(CP_ACP, flags, s, r, "?") && !r.empty()) return r;
  return TRVAnsiString(s.size(), '?');
}

unsigned TRVRTFReader::GetCurrentCodePage() const {
  const int index = FRTFState->CharProps()->FFontIndex;
  if (index < 0 || index >= FFontTable->Count()) return FCodePage;
  const TFontCharset charset = FFontTable->Get(index)->Charset;
  // A font without a charset of its own (the default charset) is read in the document's code page.
  if (charset == 1) return FCodePage;
  // Text in Mac fonts is turned into Windows-1252 bytes before it is reported, as OEM text is.
  if (charset == 77) return 1252;
  return CharsetToCodePage(charset);
}

TRVRTFErrorCode TRVRTFReader::EnterDocTableDestination(int Dest, int Param) {
  switch (Dest) {
    case 5:
      FFontTable->Clear();
      FTmpString.clear();
      FRTFState->rds = rdsFontTable;
      break;
    case 6:
      FStyleSheet->Clear();
      FRTFState->rds = OnStyleSheet ? rdsStyleSheet : rdsSkip;
      break;
    case 7:
      FColorTable->Clear();
      FColorTable->Add();
      FRTFState->rds = rdsColorTable;
      break;
    case 8:
    case 9:
    case 10:
    case 11: {
      if (FStyleSheet->Count() == 0) break;
      static constexpr TRVRTFStyleSheetType types[] = {rtf_sst_Par, rtf_sst_Char, rtf_sst_Sect, rtf_sst_Table};
      TRVRTFStyleSheetEntry* entry = FStyleSheet->Get(FStyleSheet->Count() - 1);
      entry->FNumber = Param;
      entry->FStyleType = types[Dest - 8];
      FRTFState->rds = rdsStyleSheetEntry;
      FTmpString.clear();
      break;
    }
    default: FRTFState->rds = rdsSkip; break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::LeaveDocTableDestination(TRTFrds Rds) {
  switch (Rds) {
    case rdsFontTable: {
      if (FFontTable->Count() > 0) {
        TRVRTFFont* last = FFontTable->Get(FFontTable->Count() - 1);
        last->Name += AnsiToUnicode(FTmpString, FCodePage);
      }
      FTmpString.clear();
      for (int i = 0; i < FFontTable->Count(); ++i) {
        TRVRTFFont* font = FFontTable->Get(i);
        // Blanks between the entries of a table written without groups are no part of a name.
        font->Name = Trim(font->Name);
        rvrtftablesofdoc_detail::RemoveCharsetSuffix(*font);
      }
      break;
    }
    case rdsStyleSheet:
      FStyleSheet->CalculateLinks();
      if (OnStyleSheet) OnStyleSheet(this);
      break;
    case rdsStyleSheetEntry:
      if (FStyleSheet->Count() > 0)
        FStyleSheet->Get(FStyleSheet->Count() - 1)->FName += AnsiToUnicode(FTmpString, FCodePage);
      FTmpString.clear();
      break;
    default: break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyStyleSheetProperty(int Idx, int Value, bool& Handled) {
  Handled = Idx >= 85 && Idx <= 94;
  if (!Handled || FStyleSheet->Count() == 0) return rtf_ec_OK;
  TRVRTFStyleSheetEntry* entry = FStyleSheet->Get(FStyleSheet->Count() - 1);
  switch (Idx) {
    case 85: return EnterDocTableDestination(8, Value);
    case 86: return EnterDocTableDestination(9, Value);
    case 87: return EnterDocTableDestination(11, Value);
    case 88: return EnterDocTableDestination(10, Value);
    case 89: entry->FBasedOnNumber = Value; break;
    case 90: entry->FLinkNumber = Value; break;
    case 91: entry->FNextNumber = Value; break;
    case 92: entry->FAdditive = true; break;
    case 93: entry->FHidden = true; break;
    case 94: entry->FQuickAccess = true; break;
    default: break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyDocTableProperty(int Idx, int Value) {
  const TRTFrds rds = FRTFState->rds;
  switch (Idx) {
    case 52:  // "\f"
      if (rds == rdsFontTable) {
        if (FFontTable->Count() > 0)
          FFontTable->Get(FFontTable->Count() - 1)->Name += AnsiToUnicode(FTmpString, FCodePage);
        FFontTable->Add(Value);
        FTmpString.clear();
      } else if (rds == rdsNorm || rds == rdsStyleSheetEntry || rds == rdsBmkStart || rds == rdsFldInst ||
                 rds == rdsListLevelText || rds == rdsLOListLevelText) {
        FRTFState->CharProps()->FFontIndex = FFontTable->GetFontIndex(Value, FRTFState->DefFontNumber);
      }
      break;
    case 54:  // "\deff"
      if (rds == rdsNorm) FRTFState->DefFontNumber = Value;
      break;
    case 67:  // "\ansicpg"
      if (Value >= 0) FCodePage = static_cast<unsigned>(Value);
      break;
    case 80:
    case 81:
    case 82:  // "\red", "\green", "\blue"
      if (rds == rdsColorTable && FColorTable->Count() > 0) {
        const int last = FColorTable->Count() - 1;
        TColor color = FColorTable->Get(last);
        if (color == clWindowText) color = 0;
        // A component is one byte: a larger value must not reach the other components or the
        // marker bits of the colour.
        color |= static_cast<TColor>(std::clamp(Value, 0, 255)) << ((Idx - 80) * 8);
        FColorTable->Put(last, color);
      }
      break;
    case 83:  // font families
      if (rds == rdsFontTable && FFontTable->Count() > 0 && Value >= 0 && Value <= rtf_ff_BiDi)
        FFontTable->Get(FFontTable->Count() - 1)->Family = static_cast<TRVRTFFontFamily>(Value);
      break;
    case 84:  // "\fcharset"
      if (rds == rdsFontTable && FFontTable->Count() > 0 && Value >= 0)
        FFontTable->Get(FFontTable->Count() - 1)->Charset = Value >= 256 ? 77 : static_cast<TFontCharset>(Value);
      break;
    case 85:  // "\s"
      FRTFState->ParaProps()->FStyleSheetIndex = FStyleSheet->GetParaEntry(Value);
      break;
    case 86:  // "\cs"
      FRTFState->CharProps()->FStyleSheetIndex = FStyleSheet->GetCharEntry(Value);
      break;
    default: break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ProcessDocTableChar(unsigned char ch) {
  switch (FRTFState->rds) {
    case rdsFontTable:
      if (FFontTable->Count() > 0 && ch != ';') FTmpString.push_back(static_cast<char>(ch));
      break;
    case rdsColorTable:
      if (ch == ';') FColorTable->Add();
      break;
    case rdsStyleSheetEntry:
      if (ch != ';') FTmpString.push_back(static_cast<char>(ch));
      break;
    default: break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::AppendDocTableWideChar(TRVUnicodeChar ch) {
  switch (FRTFState->rds) {
    case rdsFontTable:
      if (ch != u';' && FFontTable->Count() > 0) {
        TRVRTFFont* last = FFontTable->Get(FFontTable->Count() - 1);
        last->Name += AnsiToUnicode(FTmpString, FCodePage);
        last->Name.push_back(ch);
        FTmpString.clear();
      }
      break;
    case rdsStyleSheetEntry:
      if (FStyleSheet->Count() > 0) {
        TRVRTFStyleSheetEntry* entry = FStyleSheet->Get(FStyleSheet->Count() - 1);
        entry->FName += AnsiToUnicode(FTmpString, FCodePage);
        entry->FName.push_back(ch);
        FTmpString.clear();
      }
      break;
    default: break;
  }
  return rtf_ec_OK;
}

void TRVRTFReader::ConvertOEMText(TRVAnsiString& s) const { RTFConvertOEMText(s); }

void TRVRTFReader::ConvertMacText(TRVAnsiString& s) const { RTFConvertMacText(s); }

int TRVRTFReader::GetFontIndexOfNumber(int Number) const { return FFontTable->GetFontIndex(Number, Number); }

void TRVRTFReader::EndColorTable() {
  if (FColorTable->Count() > 0) FColorTable->Delete(FColorTable->Count() - 1);
}
