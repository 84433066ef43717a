// Paragraph styles: indents, spacing, alignment, line spacing, border, background, tab stops and
// flow options; their comparison, similarity, selection by property, modified-property
// bookkeeping and INI form; the sheet's paragraph-style collection.
#pragma once

#include <memory>

#include "engine/styles/RVBorder.h"

class TStream;
class TCustomRVRTFTables;

enum TRVAlignment : std::uint8_t { rvaLeft, rvaRight, rvaCenter, rvaJustify, rvaDistribute };
enum TRVLastLineAlignment : std::uint8_t { rvllaDefault, rvllaLeft, rvllaRight, rvllaCenter, rvllaJustify };
enum TRVLineSpacingType : std::uint8_t {
  rvlsPercent, rvlsSpaceBetween, rvlsLineHeightAtLeast, rvlsLineHeightExact
};
enum TRVParaOption : std::uint8_t {
  rvpaoNoWrap, rvpaoReadOnly, rvpaoStyleProtect, rvpaoDoNotWantReturns, rvpaoKeepLinesTogether,
  rvpaoKeepWithNext, rvpaoWidowOrphanControl
};
using TRVParaOptions = TSet<TRVParaOption, 7>;

class TCustomRVParaInfo : public TCustomFontOrParaRVInfo {
  TAVRELO_PERSISTENT(TCustomRVParaInfo, TCustomFontOrParaRVInfo)
 public:
  explicit TCustomRVParaInfo(TCollection* ACollection);
  ~TCustomRVParaInfo() override;

  void Assign(TPersistent* Source) override;
  UnicodeString GetDefaultStyleName() override { return u"Paragraph Style"; }
  bool IsSimpleEqual(TCustomRVInfo* Value, bool IgnoreReferences, bool IgnoreID = false) override;
  int SimilarityValue(TCustomRVInfo* Value) override;
  void Reset() override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits) override;

  virtual void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                         const TRVParaInfoProperties& Properties);
  virtual void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);
  virtual bool IsEqual(TCustomRVParaInfo* Value, const TRVParaInfoProperties& IgnoreList);
  virtual TRVParaInfoProperties CalculateModifiedProperties(TCustomRVParaInfo* Source,
                                                            const TRVParaInfoProperties& PossibleProps);
  virtual TRVParaInfoProperties CalculateModifiedProperties2(const TRVParaInfoProperties& PossibleProps);

  // The style's own pieces of the interchange formats; the writers add what surrounds them.
  // Lengths go through the sheet: twips for RTF and OOXML, CSS sizes for CSS.
  // CSS declarations relative to BaseStyle (nil: all of them), each beginning with a space.
  virtual void SaveCSSToStream(TStream* Stream, TCustomRVParaInfo* BaseStyle, bool Multiline,
                               bool IgnoreLeftAlignment, bool IgnoreStartIndents, TRVBiDiMode MainBiDiMode);
  // Paragraph keywords without braces. Tab stops at or before MinAllowedTabPos are left out;
  // a non-empty FILIText (a list's indents) replaces the style's own first and left indents.
  virtual void SaveRTFToStream(TStream* Stream, TCustomRVRTFTables* RTFTables, TRVStyleLength MinAllowedTabPos,
                               const TRVAnsiString& FILIText, TRVStyle* RVStyle);
  // Paragraph-property elements of the given properties, without the enclosing "w:pPr". With
  // ParentTabs the stops are written against the inherited ones, clearing what this style lacks.
  virtual TRVAnsiString GetOOXMLStr(TRVStyle* RVStyle, TRVStyleLength MinAllowedTabPos, TRVTabInfos* ParentTabs,
                                    const TRVParaInfoProperties& Properties);

  void AssignSelectedProperties(TCustomRVParaInfo* Source, const TRVParaInfoProperties& Props);
  bool IsHeading(int MaxLevel) const { return OutlineLevel >= 1 && OutlineLevel <= MaxLevel; }
  // Percent spacing other than 100, or a positive length of another kind.
  bool HasNonSingleLineSpacing() const;

  TRVStyleLength GetSpaceBefore() const { return FSpaceBefore; }
  TRVStyleLength GetSpaceAfter() const { return FSpaceAfter; }
  // Spaces are never negative: a negative value is stored as 0.
  void SetSpaceBefore(TRVStyleLength Value) { FSpaceBefore = Value < 0 ? 0 : Value; }
  void SetSpaceAfter(TRVStyleLength Value) { FSpaceAfter = Value < 0 ? 0 : Value; }

  TRVBorder* Border() const { return FBorder.get(); }
  TRVBackgroundRect* Background() const { return FBackground.get(); }
  TRVTabInfos* Tabs() const { return FTabs.get(); }
  void SetBorder(TRVBorder* Value) { FBorder->Assign(Value); }
  void SetBackground(TRVBackgroundRect* Value) { FBackground->Assign(Value); }
  void SetTabs(TRVTabInfos* Value) { FTabs->Assign(Value); }

  TRVStyleLength FirstIndent = 0;
  TRVStyleLength LeftIndent = 0;
  TRVStyleLength RightIndent = 0;
  TRVLineSpacingValue LineSpacing = 100;
  TRVLineSpacingType LineSpacingType = rvlsPercent;
  TRVAlignment Alignment = rvaLeft;
  TRVLastLineAlignment LastLineAlignment = rvllaDefault;
  TRVParaOptions Options;
  TRVBiDiMode BiDiMode = rvbdUnspecified;
  int OutlineLevel = 0;

 protected:
  void ResetMainProperties();
  void ResetBorderAndBackProperties();

 private:
  TRVStyleLength FSpaceBefore = 0;
  TRVStyleLength FSpaceAfter = 0;
  std::unique_ptr<TRVBorder> FBorder;
  std::unique_ptr<TRVBackgroundRect> FBackground;
  std::unique_ptr<TRVTabInfos> FTabs;
};

class TParaInfo : public TCustomRVParaInfo {
  TAVRELO_PERSISTENT(TParaInfo, TCustomRVParaInfo)
 public:
  explicit TParaInfo(TCollection* ACollection) : TCustomRVParaInfo(ACollection) {}

  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler& Filer) override;
  bool IsSimpleEqual(TCustomRVInfo* Value, bool IgnoreReferences, bool IgnoreID = false) override;
  bool IsSimpleEqualEx(TCustomRVInfo* Value, const TRVStyleMapping& Mapping) override;
  void Reset() override;
  bool IsEqual(TCustomRVParaInfo* Value, const TRVParaInfoProperties& IgnoreList) override;
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                 const TRVParaInfoProperties& Properties) override;
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) override;

  void IncludeModifiedProperties(TCustomRVParaInfo* Source, const TRVParaInfoProperties& PossibleProps) {
    ModifiedProperties += CalculateModifiedProperties(Source, PossibleProps);
  }
  void IncludeModifiedProperties2(const TRVParaInfoProperties& PossibleProps) {
    ModifiedProperties += CalculateModifiedProperties2(PossibleProps);
  }

  int NextParaNo = -1;
  int DefStyleNo = -1;
  TRVParaInfoProperties ModifiedProperties;
};

class TErrParaInfo : public TParaInfo {
  TAVRELO_PERSISTENT(TErrParaInfo, TParaInfo)
 public:
  TErrParaInfo() : TParaInfo(nullptr) {}
  static std::unique_ptr<TErrParaInfo> CreateErr(TRVStyle* RVStyle);
  TRVStyle* GetRVStyle() const override { return FRVStyle; }

 private:
  TRVStyle* FRVStyle = nullptr;
};

class TParaInfos : public TCustomRVInfos {
  TAVRELO_PERSISTENT(TParaInfos, TCustomRVInfos)
 public:
  TParaInfos(TCollectionItemClass ItemClass, TPersistent* AOwner);
  ~TParaInfos() override;

  TParaInfo* Add() { return static_cast<TParaInfo*>(TCollection::Add()); }
  // An index outside the collection answers the invalid item instead of failing.
  TParaInfo* Items(int Index);
  void SetItems(int Index, TParaInfo* Value) { SetItem(Index, Value); }
  TParaInfo* GetInvalidItem();
  void SetInvalidItem(TParaInfo* Value);

  int FindSuchStyle(int BaseStyle, TParaInfo* Style, const TRVParaInfoProperties& Mask);
  int FindSuchStyleEx(int BaseStyle, TParaInfo* Style, const TRVParaInfoProperties& Mask);

 private:
  std::unique_ptr<TErrParaInfo> FInvalidItem;
};

std::vector<UnicodeString> RVParaInfoPropertiesToNames(const TRVParaInfoProperties& Props);
