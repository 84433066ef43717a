// List markers of the RTF reader: old-style paragraph numbering ("\pn"), the list table and the
// list override table. The reader fills them (RVRTFLists.cpp); the builder reads them after the
// read to make list styles.
#pragma once

#include "engine/foundation/RVClasses.h"
#include "formats/rtf/RVRTFTypes.h"

class TRVRTFCharProperties;

// What a "\pn" marker and a list level have in common.
class TRVRTFCustomMarkerProperties : public TObject {
 public:
  TRVRTFCustomMarkerProperties() = default;
  virtual void Reset();
  // Copies every field.
  virtual void Assign(const TRVRTFCustomMarkerProperties& Source);
  // Copies the defined flags of Source and only the values they mark.
  virtual void AssignDefinedProperties(const TRVRTFCustomMarkerProperties& Source);
  // Fills the values that are not defined from the text formatting (colour, font, size, bold,
  // italic, strike-out; the underline is never taken from the text).
  void UpdateFrom(const TRVRTFCharProperties& CharProps);

  TRVRTFParaListType FListType = rtf_pn_Default;
  int FFontIndex = -1;  // index into the font table
  int FIndentTw = 0, FSpaceTw = 0;
  int FStart = 0;
  TFontStyles FFontStyle;
  TColor FColor = clWindowText;
  TRVRTFAlignment FAlignment = rtf_al_Left;
  TRVRTFMarkerProps FDefinedProperties;
  int FFontSize = 12;  // points
};

// The marker of a "\pn" group.
class TRVRTFMarkerProperties : public TRVRTFCustomMarkerProperties {
 public:
  TRVRTFMarkerProperties();
  void Reset() override;
  void Assign(const TRVRTFCustomMarkerProperties& Source) override;

  int FLevel = 0;
  bool FHanging = false;
  TRVUnicodeString FTextAfter, FTextBefore;
};

// One level of a list, or the level of an override level.
class TRVRTFListLevel97 : public TRVRTFCustomMarkerProperties {
 public:
  TRVRTFListLevel97();
  void Reset() override;
  // Copies every field but FFontSizeDefined.
  void Assign(const TRVRTFCustomMarkerProperties& Source) override;
  void AssignDefinedProperties(const TRVRTFCustomMarkerProperties& Source) override;

  TRVRTFMarkerProps97 FDefinedProperties97;
  bool FOldStyle = false, FLegal = false, FNoRestart = false;
  TRVUnicodeString FText;  // the level text; its first character is its length
  TRVAnsiString FNumbers;  // the level numbers; the first byte is the length
  TRVRTFLevelFollow97 FFollow = rtf_lf_Tab;
  int FLeftIndentTw = 0, FFirstIndentTw = 0;
  int FTabPosTw = -1000;  // -1000: none
  bool FFontSizeDefined = false;
  bool FIndentsUpdated = false;
};

// A list of the list table: its levels, at most MaxLevelCount.
class TRVRTFList97 : public TRVList {
 public:
  static constexpr int MaxLevelCount = 9;
  // The level at Index. Levels missing below MaxLevelCount are made first, each a copy of the
  // last existing level indented 720 twips further per step; any other index raises EListError.
  TRVRTFListLevel97* Get(int Index);
  TRVRTFListLevel97* Items(int Index) const { return static_cast<TRVRTFListLevel97*>(TRVList::Get(Index)); }
  TRVRTFListLevel97* AddNew();

  int FId = 0;
  int FTemplateId = 0;  // never set by the reader
  bool FSimple = false;
  TRVAnsiString FName;
};

class TRVRTFListTable97 : public TRVList {
 public:
  TRVRTFList97* Get(int Index) const { return static_cast<TRVRTFList97*>(TRVList::Get(Index)); }
  TRVRTFList97* AddNew();
  // The last list, nullptr when there is none.
  TRVRTFList97* GetLastList() const;
  // The index of the list with this Id, -1 when none.
  int FindListById(int Id) const;
};

// One "\lfolevel" of an override.
class TRVRTFListOverrideLevel97 : public TObject {
 public:
  TRVRTFListOverrideLevel97() = default;
  TRVRTFListOverrideLevel97(const TRVRTFListOverrideLevel97&) = delete;
  TRVRTFListOverrideLevel97& operator=(const TRVRTFListOverrideLevel97&) = delete;
  ~TRVRTFListOverrideLevel97() override;
  // Created on first access.
  TRVRTFListLevel97* ListLevel();
  bool HasListLevel() const { return FListLevel != nullptr; }

  bool FUseStart = false;
  bool FOverrideFormat = false;
  int FStart = 1;
  bool Used = false;  // for the builder

 private:
  TRVRTFListLevel97* FListLevel = nullptr;
};

class TRVRTFListOverride97 : public TRVList {
 public:
  TRVRTFListOverrideLevel97* Get(int Index) const {
    return static_cast<TRVRTFListOverrideLevel97*>(TRVList::Get(Index));
  }
  TRVRTFListOverrideLevel97* AddNew();
  // The last level, nullptr when there is none.
  TRVRTFListOverrideLevel97* GetLastLevel() const;
  // True when one of the levels overrides the list's format.
  bool HasFormatOverride() const;

  int FListIndex = -1;  // index into the list table, -1: none
  int FNumber = 0;      // the "\ls" number
  int FOverrideCount = 0;
};

class TRVRTFListOverrideTable97 : public TRVList {
 public:
  TRVRTFListOverride97* Get(int Index) const { return static_cast<TRVRTFListOverride97*>(TRVList::Get(Index)); }
  TRVRTFListOverride97* AddNew();
  void Clear() override {
    FLastFound = -1;
    TRVList::Clear();
  }
  // The last override, nullptr when there is none.
  TRVRTFListOverride97* GetLastOverride() const;
  // The index of the override with this "\ls" number, -1 when none.
  int FindByNumber(int Number) const;

 private:
  mutable int FLastFound = -1;
};
