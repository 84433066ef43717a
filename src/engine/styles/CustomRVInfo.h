// The base of every style of the style sheet (name, base style, "standard" flag), the base of
// text and paragraph styles (the link to a style template), the collection base with merging and
// duplicate search, the rectangle of floating lengths, the INI key functions, the two similarity
// measures from which styles build their scores, and small helpers every style unit shares (value
// names, ordinals read from outside, the stored form of pictures).
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "engine/foundation/RVClasses.h"
#include "engine/styles/RVStyleTypes.h"
#include "platform/base/Classes.h"
#include "platform/base/IniFiles.h"
#include "platform/base/Persistent.h"

class TRVStyle;
class TCustomRVInfo;

// Process-wide switches of the style unit; nothing in the program changes them.
extern bool MergedStylesNotStandard;
extern bool CompareStyleNames;
extern bool SmartMergeAppendsNumberedLists;
extern bool DoNotSaveListIDs;

// What a document offers the style collections: a call for every style that merging appends.
class IRVStyleAddListener {
 public:
  virtual void AfterAddStyle(TCustomRVInfo* Style) = 0;

 protected:
  ~IRVStyleAddListener() = default;
};

// Merging fills a list of own indices, one per incoming style.
using TRVStyleMapping = TRVIntegerList;

class TCustomRVInfo : public TCollectionItem {
  TAVRELO_PERSISTENT(TCustomRVInfo, TCollectionItem)
  explicit TCustomRVInfo(TCollection* ACollection);

  void Assign(TPersistent* Source) override;
  UnicodeString GetDisplayName() const override;

  virtual UnicodeString GetDefaultStyleName();
  // The owning style sheet: the owner of the collection, nil outside a sheet.
  virtual TRVStyle* GetRVStyle() const;

  virtual bool IsSimpleEqual(TCustomRVInfo* Value, bool IgnoreReferences, bool IgnoreID = false);
  virtual bool IsSimpleEqualEx(TCustomRVInfo* Value, const TRVStyleMapping& Mapping);
  virtual int SimilarityValue(TCustomRVInfo* Value);
  virtual void Reset();
  virtual void ConvertToDifferentUnits(TRVStyleUnits NewUnits) = 0;

  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                   const UnicodeString& DefName);

  int BaseStyleNo = -1;
  UnicodeString StyleName;
  bool Standard = true;

 protected:
  // Called by the most derived constructor: the name depends on the class.
  void InitStyleName() { StyleName = GetDefaultStyleName(); }
};

class TCustomFontOrParaRVInfo : public TCustomRVInfo {
  TAVRELO_PERSISTENT(TCustomFontOrParaRVInfo, TCustomRVInfo)
  explicit TCustomFontOrParaRVInfo(TCollection* ACollection) : TCustomRVInfo(ACollection) {}
  void Assign(TPersistent* Source) override;
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                   const UnicodeString& DefName);
  // Whether the component stream stores StyleTemplateId.
  bool StoreStyleTemplateId();

  TRVStyleTemplateId StyleTemplateId = -1;
};

class TCustomRVInfos : public TCollection {
  TAVRELO_PERSISTENT(TCustomRVInfos, TCollection)
  TCustomRVInfos(TCollectionItemClass AItemClass, TPersistent* AOwner);

  TPersistent* GetOwner() const override { return FOwner; }
  TCustomRVInfo* GetInfo(int Index) const { return static_cast<TCustomRVInfo*>(GetItem(Index)); }

  void MergeWith(TCustomRVInfos* Styles, TRVStyleMergeMode Mode, TRVStyleMapping& Mapping,
                 const TRVStyleMapping* TextStyleMapping, IRVStyleAddListener* RVData = nullptr);
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits);
  int FindDuplicate(int Index);
  // The style names in collection order (the string list is cleared first).
  void AssignTo(TStrings* Dest);

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  TPersistent* FOwner;
};

// Shared by the text and paragraph collections: the index of a style equal to Style but for the
// properties outside Mask, BaseStyle preferred; -1 when there is none.
template <typename TInfos, typename TInfo, typename TProps>
int RVFindSuchStyle(TInfos& Styles, int BaseStyle, TInfo* Style, const TProps& Mask, const TProps& All) {
  const TProps ignore = All - Mask;
  if (Style->IsEqual(Styles.Items(BaseStyle), ignore)) return BaseStyle;
  for (int i = 0; i < Styles.Count(); ++i)
    if (i != BaseStyle && Style->IsEqual(Styles.Items(i), ignore)) return i;
  return -1;
}

// As RVFindSuchStyle, appending a non-standard copy of Style when there is none.
template <typename TInfos, typename TInfo, typename TProps>
int RVFindSuchStyleEx(TInfos& Styles, int BaseStyle, TInfo* Style, const TProps& Mask, const TProps& All) {
  int r = RVFindSuchStyle(Styles, BaseStyle, Style, Mask, All);
  if (r < 0) {
    TInfo* added = Styles.Add();
    added->Assign(Style);
    added->Standard = false;
    r = added->GetIndex();
  }
  return r;
}

class TRVUnitsRect : public TPersistent {
  TAVRELO_PERSISTENT(TRVUnitsRect, TPersistent)
  explicit TRVUnitsRect(TPersistent* AOwner) : FOwner(AOwner) {}
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() const override { return FOwner; }
  void SetAll(TRVLength Value) { Left = Right = Top = Bottom = Value; }

  TRVLength Left = 0, Right = 0, Top = 0, Bottom = 0;

 private:
  TPersistent* FOwner;
};

// ---- INI key functions -------------------------------------------------------------------------

// The key of a property: fs (one "%s") formatted with the name. A format that cannot take the
// name falls back to the name itself rather than failing.
UnicodeString RVIniKey(const UnicodeString& fs, const UnicodeString& Name);

void IniWriteString(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& Key,
                    const UnicodeString& Default, const UnicodeString& Value);
void IniReadString(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& Key,
                   UnicodeString& Value, const UnicodeString& Default);
void IniWriteInteger(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& Key,
                     int Default, int Value);
void IniWriteBool(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& Key,
                  bool Default, bool Value);
bool IniReadBool(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& Key,
                 bool Default);
void IniWriteLongString(TCustomIniFile* ini, const UnicodeString& Section,
                        const UnicodeString& Key, const UnicodeString& Text);
UnicodeString IniReadLongString(TCustomIniFile* ini, const UnicodeString& Section,
                                const UnicodeString& Key);

// Writes the selected properties of a style under keys made from the format fs; a property
// outside the selection, or equal to its default, is not written.
template <typename TProps>
class TRVIniPropWriter {
 public:
  TRVIniPropWriter(TCustomIniFile* Ini, const UnicodeString& Section, const UnicodeString& Fs, const TProps& Props)
      : FIni(Ini), FSection(Section), FFs(Fs), FProps(Props) {}
  template <typename P>
  void Int(P Prop, const char16_t* Name, int Default, int Value) const {
    if (FProps.Contains(Prop)) IniWriteInteger(FIni, FSection, RVIniKey(FFs, Name), Default, Value);
  }
  template <typename P>
  void Bool(P Prop, const char16_t* Name, bool Default, bool Value) const {
    if (FProps.Contains(Prop)) IniWriteBool(FIni, FSection, RVIniKey(FFs, Name), Default, Value);
  }

 private:
  TCustomIniFile* FIni;
  UnicodeString FSection, FFs;
  TProps FProps;
};

// ---- small helpers -------------------------------------------------------------------------------

// One byte into the data of a binary property being written.
inline void WriterWriteByte(TStream& Writer, BYTE Value) { Writer.WriteBuffer(&Value, 1); }
inline bool AreRectsEqual(const TRect& R1, const TRect& R2) { return R1 == R2; }
inline UnicodeString RVStringToWide(const UnicodeString& s) { return s; }
inline UnicodeString RVWideToString(const UnicodeString& s) { return s; }

// The value names of an enumeration or set property of the component stream.
inline std::vector<UnicodeString> RVValueNames(std::initializer_list<const char16_t*> names) {
  return std::vector<UnicodeString>(names.begin(), names.end());
}

// An ordinal read from outside: out of range gives the default.
template <typename E>
E RVOrdinalOr(int Value, int Count, E Default) {
  return (Value >= 0 && Value < Count) ? static_cast<E>(Value) : Default;
}

// A graphic of the named class (as the graphic handler knows it) loaded from Bytes; nil for an
// unknown class or bad data.
std::unique_ptr<TGraphic> RVLoadGraphic(const UnicodeString& ClassName, const std::string& Bytes);
// The data of a picture property: a length byte, the class name, then the graphic's own bytes.
// Reading gives nil for an unknown class or bad bytes; the caller decides what nil means.
std::unique_ptr<TGraphic> RVReadPictureData(TStream& Stream);
void RVWritePictureData(TStream& Stream, TGraphic* Graphic);

int IntSimilarity(int A, int B, int Weight);
int ColorSimilarity(TColor Color1, TColor Color2, int Weight, int Bonus);
