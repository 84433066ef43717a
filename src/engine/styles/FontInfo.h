// Text styles: the properties of a run's characters, their comparison, similarity, selection by
// property, modified-property bookkeeping and INI form; the sheet's text-style collection.
#pragma once

#include <algorithm>
#include <limits>
#include <memory>

#include "engine/styles/CustomRVInfo.h"
#include "engine/styles/RVStyleDraw.h"

class TStream;
class TCustomRVRTFTables;

enum TRVUnderlineType : std::uint8_t {
  rvutNormal, rvutThick, rvutDouble, rvutDotted, rvutThickDotted, rvutDashed, rvutThickDashed,
  rvutLongDashed, rvutThickLongDashed, rvutDashDotted, rvutThickDashDotted, rvutDashDotDotted,
  rvutThickDashDotDotted
};
enum TRVHoverEffect : std::uint8_t { rvheUnderline };
using TRVHoverEffects = TSet<TRVHoverEffect, 1>;
enum TRVFontStyle : std::uint8_t { rvfsOverline, rvfsAllCaps };
using TRVFontStyles = TSet<TRVFontStyle, 2>;
enum TRVProtectOption : std::uint8_t {
  rvprStyleProtect, rvprStyleSplitProtect, rvprModifyProtect, rvprDeleteProtect,
  rvprConcateProtect, rvprRVFInsertProtect, rvprDoNotAutoSwitch, rvprParaStartProtect,
  rvprSticking, rvprSticking2, rvprSticking3, rvprStickToTop, rvprStickToBottom
};
using TRVProtectOptions = TSet<TRVProtectOption, 13>;
enum TRVTextOption : std::uint8_t {
  rvteoHTMLCode, rvteoRTFCode, rvteoDocXCode, rvteoDocXInRunCode, rvteoHidden
};
using TRVTextOptions = TSet<TRVTextOption, 5>;
enum TRVSubSuperScriptType : std::uint8_t { rvsssNormal, rvsssSubscript, rvsssSuperScript };

class TCustomRVFontInfo : public TCustomFontOrParaRVInfo {
  TAVRELO_PERSISTENT(TCustomRVFontInfo, TCustomFontOrParaRVInfo)
 public:
  explicit TCustomRVFontInfo(TCollection* ACollection);

  void Assign(TPersistent* Source) override;
  // From a canvas font: its name, size in points, colour, style and character set only.
  void Assign(const TFont& Source);
  // To a canvas font: the same five properties.
  void AssignTo(TFont& Dest) const;
  using TCustomFontOrParaRVInfo::AssignTo;
  UnicodeString GetDefaultStyleName() override { return u"Font Style"; }
  void DefineProperties(TFiler& Filer) override;

  bool IsSimpleEqual(TCustomRVInfo* Value, bool IgnoreReferences, bool IgnoreID = false) override;
  int SimilarityValue(TCustomRVInfo* Value) override;
  void Reset() override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits) override;

  virtual bool IsEqual(TCustomRVFontInfo* Value, const TRVFontInfoProperties& IgnoreList);
  virtual void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                         const TRVFontInfoProperties& Properties);
  virtual void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                           bool JumpByDefault, TCursor DefJumpCursor);
  virtual TRVFontInfoProperties CalculateModifiedProperties(TCustomRVFontInfo* Source,
                                                            const TRVFontInfoProperties& PossibleProps);
  virtual TRVFontInfoProperties CalculateModifiedProperties2(const TRVFontInfoProperties& PossibleProps);

  // The style's own pieces of the interchange formats; the writers add selectors, braces,
  // groups and enclosing elements.
  // CSS declarations relative to BaseStyle (nil: all of them), each beginning with a space.
  virtual void SaveCSSToStream(TStream* Stream, TCustomRVFontInfo* BaseStyle, bool Multiline, bool UTF8,
                               bool Jump);
  // Character keywords without braces and without the font number (the writer adds "\f").
  // StyleToFont is the writer's font index of each style; the keywords do not need it.
  virtual void SaveRTFToStream(TStream* Stream, TRVIntegerList* StyleToFont, TCustomRVRTFTables* RTFTables,
                               TRVStyle* RVStyle, bool InheritedStyle);
  // Run-property elements of the given properties, without the enclosing "w:rPr".
  virtual TRVAnsiString GetOOXMLStr(TRVStyle* RVStyle, const TRVFontInfoProperties& Properties);
  // CSS values; Hover takes the hover underline into account.
  TRVAnsiString GetCSSTextDecoration(bool Hover) const;
  TRVAnsiString GetCSSUnderlineBorder(bool Hover) const;
  TRVAnsiString GetCSSVerticalAlign() const;
  TRVAnsiString GetCSSFontSize() const;

  void AssignSelectedProperties(TCustomRVFontInfo* Source, const TRVFontInfoProperties& Props);
  bool IsSymbolCharset() const;

  // Putting the style on a canvas and choosing its colours (RVStyleDraw.cpp).
  bool HasDefaultCharScale() const { return CharScale == 100; }
  void Apply(TCanvas* Canvas, TRVBiDiMode DefBiDiMode, bool CanUseCustomPPI, bool CanUseFontQuality,
             const TRVExtraFontInfo* ExtraFontInfo, bool IgnoreSubSuperScript, bool ToFormatCanvas,
             bool UseVerticalFont, const TRVScreenAndDevice* PSaD, TRVStyle* RVStyle) const;
  void AssignToLogFont(LOGFONTW& LogFont, TCanvas* Canvas, bool CanUseCustomPPI, bool CanUseFontQuality,
                       bool ExcludeUnderline, bool ToFormatCanvas, TRVStyle* RVStyle) const;
  void ApplyBiDiMode(TCanvas* Canvas, TRVBiDiMode DefBiDiMode, bool ToFormatCanvas,
                     const TRVScreenAndDevice* PSaD, TRVStyle* RVStyle) const;
  void ApplyColor(TCanvas* Canvas, TRVStyle* RVStyle, const TRVTextDrawStates& DrawState, bool Printing,
                  TRVColorMode ColorMode) const;
  void ApplyTextColor(TCanvas* Canvas, TRVStyle* RVStyle, const TRVTextDrawStates& DrawState, bool Printing,
                      TRVColorMode ColorMode) const;
  void ApplyBackColor(TCanvas* Canvas, TRVStyle* RVStyle, const TRVTextDrawStates& DrawState, bool Printing,
                      TRVColorMode ColorMode) const;
  // Font height of a sub/superscript style on this canvas; 0 for normal text.
  int GetScriptHeight(TCanvas* Canvas, TRVGraphicInterface* GraphicInterface) const;

  // Whole points, rounded toward zero; setting gives twice the value in half points (a value
  // whose double does not fit is taken as the nearest that does, as files may hold anything).
  int GetSize() const { return SizeDouble / 2; }
  void SetSize(int Value) {
    SizeDouble = std::clamp(Value, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2) * 2;
  }

  TRVBiDiMode BiDiMode = rvbdUnspecified;
  TCursor JumpCursor = crJump;
  UnicodeString FontName = u"Arial";
  int SizeDouble = 20;
  TColor Color = clWindowText;
  TColor BackColor = clNone;
  TColor HoverColor = clNone;
  TColor HoverBackColor = clNone;
  TColor UnderlineColor = clNone;
  TColor HoverUnderlineColor = clNone;
  TRVUnderlineType UnderlineType = rvutNormal;
  TRVHoverEffects HoverEffects;
  TFontStyles Style;
  TRVFontStyles StyleEx;
  int VShift = 0;
  TFontCharset Charset = DEFAULT_CHARSET;
  TRVProtectOptions Protection;
  TRVTextOptions Options;
  int CharScale = 100;
  TRVStyleLength CharSpacing = 0;
  TRVStyleLength EmptyWidth = 0;
  TRVSubSuperScriptType SubSuperScriptType = rvsssNormal;
  TRVStyleTemplateId ParaStyleTemplateId = -1;

 protected:
  void ResetMainProperties();
  void ResetHoverProperties();
};

class TFontInfo : public TCustomRVFontInfo {
  TAVRELO_PERSISTENT(TFontInfo, TCustomRVFontInfo)
 public:
  explicit TFontInfo(TCollection* ACollection);

  using TCustomRVFontInfo::Assign;
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler& Filer) override;
  bool IsSimpleEqual(TCustomRVInfo* Value, bool IgnoreReferences, bool IgnoreID = false) override;
  bool IsSimpleEqualEx(TCustomRVInfo* Value, const TRVStyleMapping& Mapping) override;
  int SimilarityValue(TCustomRVInfo* Value) override;
  void Reset() override;
  bool IsEqual(TCustomRVFontInfo* Value, const TRVFontInfoProperties& IgnoreList) override;
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                 const TRVFontInfoProperties& Properties) override;
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                   bool JumpByDefault, TCursor DefJumpCursor) override;
  TRVFontInfoProperties CalculateModifiedProperties(TCustomRVFontInfo* Source,
                                                    const TRVFontInfoProperties& PossibleProps) override;
  TRVFontInfoProperties CalculateModifiedProperties2(const TRVFontInfoProperties& PossibleProps) override;

  // Paints one run of text in this style (RVStyleDraw.cpp).
  virtual void Draw(const TRVUnicodeString& s, TCanvas* Canvas, int ThisStyleNo, int SpaceAtLeft, int Left,
                    int Top, int Width, int Height, int BaseLine, int TextWidth, int SpaceCount,
                    TRVStyle* RVStyle, const TRVTextDrawStates& DrawState, bool Printing,
                    bool PreviewCorrection, bool ForMetafile, TRVColorMode ColorMode, TRVBiDiMode DefBiDiMode,
                    TCanvas* RefCanvas, TRVGraphicInterface* GraphicInterface, int LeftNoExpIndex,
                    int RightNoExpIndex, const TRVScreenAndDevice* PSaD);

  void IncludeModifiedProperties(TCustomRVFontInfo* Source, const TRVFontInfoProperties& PossibleProps) {
    ModifiedProperties += CalculateModifiedProperties(Source, PossibleProps);
  }
  void IncludeModifiedProperties2(const TRVFontInfoProperties& PossibleProps) {
    ModifiedProperties += CalculateModifiedProperties2(PossibleProps);
  }

  bool Unicode = true;
  bool Jump = false;
  int NextStyleNo = -1;
  TRVFontInfoProperties ModifiedProperties;
};

// A text style outside any collection that still knows its sheet.
class TErrFontInfo : public TFontInfo {
  TAVRELO_PERSISTENT(TErrFontInfo, TFontInfo)
 public:
  TErrFontInfo() : TFontInfo(nullptr) {}
  static std::unique_ptr<TErrFontInfo> CreateErr(TRVStyle* RVStyle);
  TRVStyle* GetRVStyle() const override { return FRVStyle; }

 private:
  TRVStyle* FRVStyle = nullptr;
};

class TFontInfos : public TCustomRVInfos {
  TAVRELO_PERSISTENT(TFontInfos, TCustomRVInfos)
 public:
  TFontInfos(TCollectionItemClass ItemClass, TPersistent* AOwner);
  ~TFontInfos() override;

  TFontInfo* Add() { return static_cast<TFontInfo*>(TCollection::Add()); }
  // An index outside the collection answers the invalid item instead of failing.
  TFontInfo* Items(int Index);
  void SetItems(int Index, TFontInfo* Value) { SetItem(Index, Value); }
  TFontInfo* GetInvalidItem();
  void SetInvalidItem(TFontInfo* Value);

  int FindSuchStyle(int BaseStyle, TFontInfo* Style, const TRVFontInfoProperties& Mask);
  int FindSuchStyleEx(int BaseStyle, TFontInfo* Style, const TRVFontInfoProperties& Mask);

  // Resolution that may replace the canvas's when text styles are put on a canvas; 0 = unset.
  int PixelsPerInch = 0;

 private:
  std::unique_ptr<TErrFontInfo> FInvalidItem;
};

// Member names of a property set as written in streams and INI files, in enumeration order.
std::vector<UnicodeString> RVFontInfoPropertiesToNames(const TRVFontInfoProperties& Props);
