// List styles: the levels of a bulleted or numbered list (marker kind, text, indents, font,
// numbering options), their equality, similarity, unit conversion and streamed forms.
#pragma once

#include <memory>

#include "engine/foundation/RVHtmlFuncs.h"
#include "engine/styles/CustomRVInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Pictures.h"

enum TRVListType : std::uint8_t {
  rvlstBullet, rvlstPicture, rvlstImageList, rvlstDecimal, rvlstLowerAlpha, rvlstUpperAlpha,
  rvlstLowerRoman, rvlstUpperRoman, rvlstImageListCounter, rvlstUnicodeBullet
};
enum TRVMarkerAlignment : std::uint8_t { rvmaLeft, rvmaRight, rvmaCenter };
enum TRVListLevelOption : std::uint8_t { rvloContinuous, rvloLevelReset, rvloLegalStyleNumbering };
using TRVListLevelOptions = TSet<TRVListLevelOption, 3>;

// The font of text markers: "Arial", 8 points unless changed.
class TRVMarkerFont : public TPersistent {
  TAVRELO_PERSISTENT(TRVMarkerFont, TPersistent)
 public:
  void Assign(TPersistent* Source) override;
  bool IsEqual(const TRVMarkerFont* Font) const;
  bool IsDefault() const;

  // Points and pixel heights at the screen resolution; a negative height is a character height.
  int GetSize() const;
  void SetSize(int Value);
  int GetHeight() const { return FHeight; }
  void SetHeight(int Value) { FHeight = Value; }
  // The marker font as one line of text: name, height, style letters, pitch, colour, charset.
  UnicodeString ToText() const;
  void FromText(const UnicodeString& Text);
  // The same font as a canvas font.
  void AssignTo(TFont& Dest) const;
  using TPersistent::AssignTo;

  UnicodeString Name = u"Arial";
  TFontStyles Style;
  TColor Color = clWindowText;
  TFontCharset Charset = DEFAULT_CHARSET;
  TFontPitch Pitch = fpDefault;

 private:
  int FHeight = -11;  // 8 points at 96 pixels per inch
};

class TRVListLevel;
class TRVListInfos;

// What a document offers while its list styles are streamed: the image lists of its viewer by tag.
class IRVListStylesDocument {
 public:
  virtual TCustomImageList* GetImageListByTag(int Tag) = 0;

 protected:
  ~IRVListStylesDocument() = default;
};

// The CSS texts of list levels already written to a style sheet, in order; the position of a
// text gives its class name ("list" and the position).
class TRVHTMLListCSSList {
 public:
  int Find(const TRVAnsiString& Text) const;
  // Appends unless present; true when appended.
  bool Add(const TRVAnsiString& Text);
  int Count() const { return static_cast<int>(FItems.size()); }
  const TRVAnsiString& Items(int Index) const { return FItems.at(static_cast<std::size_t>(Index)); }

 private:
  std::vector<TRVAnsiString> FItems;
};

enum TRVBulletShape : std::uint8_t { rvbsNoShape, rvbsDisc, rvbsCircle, rvbsSquare };

// The streamed face of a level's picture: one binary property "Data" holding the graphic's class
// name (a short string) and its saved bytes, under the level's property "Picture".
class TRVListLevelPictureData : public TPersistent {
  TAVRELO_PERSISTENT(TRVListLevelPictureData, TPersistent)
 public:
  explicit TRVListLevelPictureData(TRVListLevel* ALevel = nullptr) : FLevel(ALevel) {}
  void DefineProperties(TFiler& Filer) override;

 private:
  TRVListLevel* FLevel;
};

class TRVListLevel : public TCollectionItem {
  TAVRELO_PERSISTENT(TRVListLevel, TCollectionItem)
 public:
  explicit TRVListLevel(TCollection* ACollection);
  ~TRVListLevel() override;

  void Assign(TPersistent* Source) override;
  UnicodeString GetDisplayName() const override;
  void DefineProperties(TFiler& Filer) override;

  bool HasNumbering() const { return ListType >= rvlstDecimal && ListType <= rvlstImageListCounter; }
  bool HasVariableWidth() const { return ListType >= rvlstDecimal && ListType <= rvlstUpperRoman; }
  bool UsesFont() const {
    return ListType == rvlstBullet || HasVariableWidth() || ListType == rvlstUnicodeBullet;
  }
  bool IsEqual(const TRVListLevel* Value) const;
  int SimilarityValue(const TRVListLevel* Value) const;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, const TRVStyle* RVStyle);
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);

  // The standard shape a bullet character stands for (one code unit in a known font).
  TRVBulletShape GetBulletShape() const;
  // " list-style-type: ...;" or empty.
  TRVAnsiString GetListStyleTypeCSS() const;
  TRVAnsiString GetHTMLOpenCSS(const TRVStyle* RVStyle, TRVBiDiMode BiDiMode) const;
  TRVAnsiString GetIndentCSSForTextVersion(const TRVStyle* RVStyle, TRVBiDiMode BiDiMode) const;
  void HTMLOpenTag(TStream* Stream, bool UseCSS, const TRVStyle* RVStyle, const TRVSaveOptions& SaveOptions,
                   const TRVHTMLListCSSList* ListBullets, TRVBiDiMode BiDiMode) const;
  void HTMLCloseTag(TStream* Stream, bool UseCSS) const;

  // Created on first read; setting nil frees it.
  TRVMarkerFont* GetFont();
  void SetFont(TRVMarkerFont* Value);
  bool HasFont() const { return FFont != nullptr; }
  // Created on first read. Setting copies the picture and makes its graphic transparent; nil or
  // a picture without a graphic frees it.
  TPicture* GetPicture();
  void SetPicture(const TPicture* Value);
  bool HasPicture() const { return FPicture && FPicture->GetGraphic(); }

  // The list styles this level belongs to, nil outside a sheet.
  TRVListInfos* GetListInfos() const;

  TRVListType ListType = rvlstBullet;
  TCustomImageList* ImageList = nullptr;  // not owned
  int ImageIndex = 0;
  UnicodeString FormatString = UnicodeString(1, u'\u00B7');
  UnicodeString FormatStringW;
  TRVStyleLength LeftIndent = 0;
  TRVStyleLength FirstIndent = 10;
  TRVStyleLength MarkerIndent = 0;
  TRVMarkerAlignment MarkerAlignment = rvmaLeft;
  TRVListLevelOptions Options = {rvloContinuous, rvloLevelReset};
  int StartFrom = 1;

 private:
  bool FontsEqual(const TRVListLevel* Value) const;
  bool PicturesEqual(const TRVListLevel* Value) const;
  std::unique_ptr<TRVMarkerFont> FFont;
  std::unique_ptr<TPicture> FPicture;
  TRVListLevelPictureData FPictureData{this};
};

class TRVListLevelCollection : public TCollection {
  TAVRELO_PERSISTENT(TRVListLevelCollection, TCollection)
 public:
  explicit TRVListLevelCollection(TPersistent* AOwner = nullptr);
  TPersistent* GetOwner() const override { return FOwner; }
  TRVListLevel* Add() { return static_cast<TRVListLevel*>(TCollection::Add()); }
  TRVListLevel* Items(int Index) const { return static_cast<TRVListLevel*>(GetItem(Index)); }
  bool IsSimpleEqual(const TRVListLevelCollection* Value) const;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, const TRVStyle* RVStyle);

 private:
  TPersistent* FOwner;
};

class TRVListInfo : public TCustomRVInfo {
  TAVRELO_PERSISTENT(TRVListInfo, TCustomRVInfo)
 public:
  explicit TRVListInfo(TCollection* ACollection);
  ~TRVListInfo() override;

  void Assign(TPersistent* Source) override;
  UnicodeString GetDefaultStyleName() override { return u"List Style"; }
  void DefineProperties(TFiler& Filer) override;
  bool IsSimpleEqual(TCustomRVInfo* Value, bool IgnoreReferences, bool IgnoreID = false) override;
  bool IsSimpleEqualEx(TCustomRVInfo* Value, const TRVStyleMapping& Mapping) override;
  int SimilarityValue(TCustomRVInfo* Value) override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits) override;

  bool HasNumbering() const;
  bool AllNumbered() const;
  bool HasVariableWidth() const;
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);
  // One rule per level whose CSS is new to Bullets; AIndex counts the rules written.
  void SaveCSSToStream(TStream* Stream, TRVHTMLListCSSList& Bullets, const TRVSaveCSSOptions& SaveOptions,
                       int& AIndex, const TRVAnsiString& Title, TRVBiDiMode BiDiMode);

  TRVListLevelCollection* Levels() const { return FLevels.get(); }
  void SetLevels(TRVListLevelCollection* Value) { FLevels->Assign(Value); }
  // Drawn on first read (1 to 2147483646): identifies one list across copies and documents.
  int GetListID();
  void SetListID(int Value) { FListID = Value; }

  bool OneLevelPreview = false;

 private:
  std::unique_ptr<TRVListLevelCollection> FLevels;
  int FListID = 0;
};

class TRVListInfos : public TCustomRVInfos {
  TAVRELO_PERSISTENT(TRVListInfos, TCustomRVInfos)
 public:
  TRVListInfos(TCollectionItemClass ItemClass, TPersistent* AOwner) : TCustomRVInfos(ItemClass, AOwner) {}

  TRVListInfo* Add() { return static_cast<TRVListInfo*>(TCollection::Add()); }
  // Out of range fails with the list-index error: list styles have no stand-in item.
  TRVListInfo* Items(int Index) const { return static_cast<TRVListInfo*>(GetItem(Index)); }
  int FindSuchStyle(TRVListInfo* Style, bool AddIfNotFound);
  int FindStyleWithLevels(TRVListLevelCollection* Levels, const UnicodeString& StyleNameForAdding,
                          bool AddIfNotFound);
  void SaveCSSToStream(TStream* Stream, TRVHTMLListCSSList& Bullets, const TRVSaveCSSOptions& SaveOptions,
                       const TRVAnsiString& Title);

  // A removed image list is no longer referred to by any level.
  void ForgetImageList(const TCustomImageList* AImageList);

  // The document whose list styles are being streamed; set by its reader and writer around it.
  IRVListStylesDocument* FRVData = nullptr;
  // While true, Assign of the list styles copies ListID.
  bool FViroZereAllowAssignListID = false;
};
