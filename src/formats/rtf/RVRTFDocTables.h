// The document tables of the RTF reader: fonts, colours and the style sheet. Declared here; their
// bodies, the code-page rules and the reader's handling of these tables are filled in by
// RVRTFTablesOfDoc.cpp.
#pragma once

#include <unordered_map>
#include <vector>

#include "engine/foundation/RVClasses.h"
#include "formats/rtf/RVRTFTypes.h"

class TRVRTFParaProperties;
class TRVRTFCharProperties;
class TRVRTFReaderState;

class TRVRTFFont : public TObject {
 public:
  int Number = 0;
  TRVUnicodeString Name;
  TRVRTFFontFamily Family = rtf_ff_Default;
  TFontCharset Charset = 1;
};

class TRVRTFFontList : public TRVList {
 public:
  TRVRTFFont* Add(int Number);
  TRVRTFFont* Get(int Index) const { return static_cast<TRVRTFFont*>(TRVList::Get(Index)); }
  // The index of the font numbered Number; else of the font numbered Default; else 0. Never
  // negative, also for an empty list.
  int GetFontIndex(int Number, int Default) const;
  void Clear() override;

 private:
  // The first font of each number, so that a lookup does not walk the table.
  std::unordered_map<int, int> FIndexOfNumber;
};

class TRVRTFColorList {
 public:
  // Appends the automatic colour.
  void Add();
  int Count() const { return static_cast<int>(FItems.size()); }
  // Index must be within 0..Count()-1.
  TColor Get(int Index) const { return FItems[static_cast<std::size_t>(Index)]; }
  void Put(int Index, TColor Value) { FItems[static_cast<std::size_t>(Index)] = Value; }
  void Delete(int Index);
  void Clear() { FItems.clear(); }

 private:
  std::vector<TColor> FItems;
};

class TRVRTFStyleSheetEntry : public TObject {
 public:
  TRVRTFStyleSheetEntry();
  TRVRTFStyleSheetEntry(const TRVRTFStyleSheetEntry&) = delete;
  TRVRTFStyleSheetEntry& operator=(const TRVRTFStyleSheetEntry&) = delete;
  ~TRVRTFStyleSheetEntry() override;
  // Takes the paragraph and character properties of the state.
  void Assign(const TRVRTFReaderState& Source);
  TRVRTFParaProperties* ParaProps() const { return FParaProps; }
  TRVRTFCharProperties* CharProps() const { return FCharProps; }

  TRVRTFParaProperties* FParaProps = nullptr;
  TRVRTFCharProperties* FCharProps = nullptr;
  bool FAdditive = false, FHidden = false, FQuickAccess = false;
  int FNumber = 0;
  TRVRTFStyleSheetType FStyleType = rtf_sst_Char;
  int FBasedOnNumber = -1, FNextNumber = -1, FLinkNumber = -1;
  int FBasedOnIndex = -1, FNextIndex = -1, FLinkIndex = -1;
  TRVUnicodeString FName;
};

class TRVRTFStyleSheet : public TRVList {
 public:
  TRVRTFStyleSheetEntry* Get(int Index) const { return static_cast<TRVRTFStyleSheetEntry*>(TRVList::Get(Index)); }
  // The index of the first entry with the number (of any type); -1 for none or a negative number.
  int GetEntry(int Number) const;
  // GetEntry through a cache of the last answer.
  int GetParaEntry(int Number);
  int GetCharEntry(int Number);
  // Trims every name and resolves the based-on, next and link numbers to entry indexes.
  void CalculateLinks();
  void Clear() override;
  // The lookup map is made again at the next lookup (for numbers changed other than the last
  // entry's, which the map never holds).
  void NumbersChanged() { FMapCount = -1; }

 private:
  int FLastParaIndex = -1;
  int FLastCharIndex = -1;
  mutable std::unordered_map<int, int> FIndexOfNumber;
  mutable int FMapCount = -1;
};

// Bytes 0x80 to 0xFF of text in code page 437 (OEM) or Mac OS Roman, as Windows-1252 bytes.
void RTFConvertOEMText(TRVAnsiString& s);
void RTFConvertMacText(TRVAnsiString& s);
