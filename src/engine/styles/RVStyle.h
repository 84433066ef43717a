// The style sheet: owner of the text, paragraph and list styles and of the style templates; the
// colours, cursors and options with which documents are drawn; the text engine; the events that
// let an application take over applying and drawing styled text; tab-stop lookup; conversions
// between its units and pixels, twips, points, EMU and user units; its CSS form.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVUni.h"
#include "engine/foundation/RVWordPainter.h"
#include "engine/styles/RVStyleDraw.h"
#include "engine/styles/RVStyleTypes.h"
#include "platform/base/IniFiles.h"
#include "platform/base/Persistent.h"
#include "platform/graphics/Pictures.h"

// Options of the sheet's CSS writer.
enum TRVSaveCSSOption : std::uint8_t {
  rvcssOnlyDifference, rvcssIgnoreLeftAlignment, rvcssNoDefCSSStyle, rvcssUTF8, rvcssDefault0Style,
  rvcssMarkersAsText
};
using TRVSaveCSSOptions = TSet<TRVSaveCSSOption, 6>;

enum TRVTextEngine : std::uint8_t { rvteWindows, rvteUniscribe };
enum TRVColoredPart : std::uint8_t { rvcpBack, rvcpText };
using TRVColoredParts = TSet<TRVColoredPart, 2>;
enum TRVPageBreakType : std::uint8_t { rvpbSoftPageBreak, rvpbPageBreak };
enum TRVSelectionMode : std::uint8_t { rvsmChar, rvsmWord, rvsmParagraph };
enum TRVSelectionStyle : std::uint8_t { rvssItems, rvssLines };
enum TRVTextBackgroundKind : std::uint8_t { rvtbkSimple, rvtbkItems, rvtbkLines };
enum TRVFieldHighlightType : std::uint8_t { rvfhNever, rvfhCurrent, rvfhAlways };
enum TRVSeqType : std::uint8_t {
  rvseqDecimal, rvseqLowerAlpha, rvseqUpperAlpha, rvseqLowerRoman, rvseqUpperRoman
};
enum TRVLineWrapMode : std::uint8_t { rvWrapAnywhere, rvWrapSimple, rvWrapNormal };
enum TRVSelectionHandleKind : std::uint8_t { rvshkWedge, rvshkCircle };

// Component notifications.
enum TOperation : std::uint8_t { opInsert, opRemove };

// The sheet's own cursors (registered with the screen cursor table by the constructor).
constexpr TCursor crRVFlipArrow = 106;
constexpr TCursor crRVLayingIBeam = 107;

// Points as CSS text: "12pt", "12.5pt", "12.05pt", "-18.5pt".
TRVAnsiString PointsToCSSText(long double Value);

class TFontInfo;
class TParaInfo;
class TFontInfos;
class TParaInfos;
class TStream;
enum TRVTabAlign : std::uint8_t;  // RVBorder.h
class TRVListInfos;
class TRVStyleTemplateCollection;
class TCanvas;
class TRVStyle;

// What the sheet reads of a document it draws marks for (the width of a page break line).
class IRVStyleDocument {
 public:
  virtual int GetWidth() const = 0;

 protected:
  ~IRVStyleDocument() = default;
};

// ---- events -------------------------------------------------------------------------------------

using TRVApplyStyleEvent = std::function<void(TRVStyle* Sender, TCanvas* ACanvas, int StyleNo,
                                              const TRVScreenAndDevice* PSaD, bool& DoDefault)>;
using TRVAfterApplyStyleEvent = std::function<void(TRVStyle* Sender, TCanvas* ACanvas, int StyleNo)>;
using TRVApplyStyleColorEvent =
    std::function<void(TRVStyle* Sender, TCanvas* ACanvas, int StyleNo, const TRVTextDrawStates& DrawState,
                       const TRVColoredParts& ApplyTo, bool& DoDefault)>;
using TRVDrawStyleTextEvent = std::function<void(
    TRVStyle* Sender, const TRVUnicodeString& s, TCanvas* Canvas, int StyleNo, int SpaceAtLeft, int ALeft,
    int ATop, int AWidth, int AHeight, int BaseLine, int TextWidth, int SpaceCount,
    const TRVTextDrawStates& DrawState, bool Printing, bool PreviewCorrection, bool ForMetafile,
    TRVColorMode ColorMode, TRVBiDiMode DefBiDiMode, TCanvas* RefCanvas, int LeftNoExpIndex,
    int RightNoExpIndex, const TRVScreenAndDevice* PSaD, bool& DoDefault)>;
using TRVStyleHoverSensitiveEvent = std::function<void(TRVStyle* Sender, int StyleNo, bool& Sensitive)>;
using TRVDrawTextBackEvent =
    std::function<void(TRVStyle* Sender, TCanvas* ACanvas, int StyleNo, int ALeft, int ATop, int AWidth,
                       int AHeight, const TRVTextDrawStates& DrawState, bool& DoDefault)>;
using TRVDrawCheckpointEvent =
    std::function<void(TRVStyle* Sender, TCanvas* ACanvas, int X, int Y, int ItemNo, int XShift,
                       bool RaiseEvent, TObject* AControl, bool& DoDefault)>;
using TRVDrawPageBreakEvent =
    std::function<void(TRVStyle* Sender, TCanvas* ACanvas, int Y, int XShift, TRVPageBreakType PageBreakType,
                       TObject* AControl, bool& DoDefault)>;
using TRVDrawParaBackEvent =
    std::function<void(TRVStyle* Sender, TCanvas* ACanvas, int ParaNo, const TRect& ARect, bool& DoDefault)>;

// The sheet's invalid picture in the component stream: the graphic's class name (a short string)
// and its saved bytes, under the property "Data".
class TRVStylePictureData : public TPersistent {
  TAVRELO_PERSISTENT(TRVStylePictureData, TPersistent)
 public:
  explicit TRVStylePictureData(TRVStyle* AOwner = nullptr) : FOwner(AOwner) {}
  void DefineProperties(TFiler& Filer) override;

 private:
  TRVStyle* FOwner;
};

// ---- the sheet ----------------------------------------------------------------------------------

class TRVStyle : public TComponent, public IRVWordPainterStyle {
  TAVRELO_PERSISTENT(TRVStyle, TComponent)
 public:
  explicit TRVStyle(TComponent* AOwner);
  ~TRVStyle() override;

  // ---- collections ----
  TFontInfos* TextStyles() const;
  TParaInfos* ParaStyles() const;
  TRVListInfos* ListStyles() const;
  // Assign the contents of the given collection (nothing for the own one).
  void SetTextStyles(TFontInfos* Value);
  void SetParaStyles(TParaInfos* Value);
  void SetListStyles(TRVListInfos* Value);
  // The templates of MainRVStyle when one is set (followed down the chain), else the own ones.
  TRVStyleTemplateCollection* StyleTemplates() const;
  // Raises EViroZereError while MainRVStyle is set.
  void SetStyleTemplates(TRVStyleTemplateCollection* Value);
  // The own templates, whatever MainRVStyle says (what the sheet streams and converts).
  TRVStyleTemplateCollection* OwnStyleTemplates() const;

  // Item classes of the three collections; descendants may choose their own.
  virtual TCollectionItemClass GetTextStyleClass() const;
  virtual TCollectionItemClass GetParaStyleClass() const;
  virtual TCollectionItemClass GetListStyleClass() const;
  // Index of the first style equal in every property; without one, a copy is appended (not
  // standard) and its index given.
  virtual int FindTextStyle(TFontInfo* TextStyle);
  virtual int FindParaStyle(TParaInfo* ParaStyle);

  void ResetTextStyles();
  void ResetParaStyles();

  TRVStyle* GetMainRVStyle() const { return FMainRVStyle; }
  // The sheet itself counts as nil.
  void SetMainRVStyle(TRVStyle* Value);

  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  void Loaded() override;
  // A removed image list is forgotten by every list level that refers to it.
  virtual void Notification(TObject* AComponent, TOperation Operation);

  // Recomputes ModifiedProperties of every paragraph and text style from its template.
  void UpdateModifiedProperties();

  // ---- text engine ----
  TRVTextEngine GetTextEngine() const { return FTextEngine; }
  void SetTextEngine(TRVTextEngine Value);
  TRVGraphicInterface* GetGraphicInterface() const override { return FGraphicInterface.get(); }
  static std::unique_ptr<TRVGraphicInterface> CreateSystemGraphicInterface();
  // Replaces the text engine's drawing interface (a program's own, or fixed metrics for exact
  // layout checks); nil makes the one of TextEngine again.
  void SetGraphicInterface(std::unique_ptr<TRVGraphicInterface> Value);

  // ---- the invalid picture ----
  // Made on first read from the sheet's built-in picture.
  TPicture* GetInvalidPicture();
  // nil frees it; another picture is copied.
  void SetInvalidPicture(const TPicture* Value);
  // Whether the picture was given by the program (only then is it streamed).
  bool IsInvalidPictureStored() const { return FInvalidPictureAssigned && FInvalidPicture && FInvalidPicture->GetGraphic(); }

  // ---- styled text ----
  void ApplyStyle(TCanvas* Canvas, int StyleNo, TRVBiDiMode DefBiDiMode, bool CanUseCustomPPI,
                  bool CanUseFontQuality, const TRVExtraFontInfo* ExtraFontInfo, bool IgnoreSubSuperScript,
                  bool ToFormatCanvas, bool UseVerticalFont, const TRVScreenAndDevice* PSaD);
  void ApplyStyleColor(TCanvas* Canvas, int StyleNo, const TRVTextDrawStates& DrawState, bool Printing,
                       TRVColorMode ColorMode);
  void ApplyStyleBackColor(TCanvas* Canvas, int StyleNo, const TRVTextDrawStates& DrawState, bool Printing,
                           TRVColorMode ColorMode);
  void ApplyStyleTextColor(TCanvas* Canvas, int StyleNo, const TRVTextDrawStates& DrawState, bool Printing,
                           TRVColorMode ColorMode);
  void DrawStyleText(const TRVUnicodeString& s, TCanvas* Canvas, int AItemNo, int AOffsetInItem, int StyleNo,
                     TPersistent* ARVData, int SpaceAtLeft, int Left, int Top, int Width, int Height,
                     int BaseLine, int TextWidth, int SpaceCount, const TRVTextDrawStates& DrawState,
                     bool Printing, bool PreviewCorrection, bool ForMetafile, TRVColorMode ColorMode,
                     TRVBiDiMode DefBiDiMode, TCanvas* RefCanvas, int LeftNoExpIndex, int RightNoExpIndex,
                     const TRVScreenAndDevice* PSaD);
  // Redraws characters Index1..Index2 (1-based) of a run already drawn unselected, as selected.
  void DrawSelectedStyleText(const TRVUnicodeString& s, TCanvas* Canvas, int AItemNo, int AOffsetInItem,
                             int StyleNo, TPersistent* ARVData, int SpaceAtLeft, int Left, int Top, int Width,
                             int Height, int BaseLine, int TextWidth, int SpaceCount,
                             const TRVTextDrawStates& DrawState, bool Printing, bool PreviewCorrection,
                             bool ForMetafile, TRVColorMode ColorMode, TRVBiDiMode DefBiDiMode,
                             TCanvas* RefCanvas, int Index1, int Index2, int LeftNoExpIndex,
                             int RightNoExpIndex);
  void DrawTextBack(TCanvas* Canvas, int AItemNo, int StyleNo, TPersistent* ARVData, int Left, int Top,
                    int Width, int Height, const TRVTextDrawStates& DrawState, bool Printing,
                    TRVColorMode ColorMode);
  void DrawCheckpoint(TCanvas* Canvas, int X, int Y, int AreaLeft, int Width, TPersistent* ARVData,
                      int AItemNo, int XShift, bool RaiseEvent, TObject* Control);
  void DrawPageBreak(TCanvas* Canvas, int Y, int XShift, TRVPageBreakType PageBreakType, TObject* Control,
                     TPersistent* ARVData, int AItemNo);
  void DrawParaBack(TCanvas* Canvas, int ParaNo, const TRect& Rect, bool Printing, TRVColorMode ColorMode,
                    bool UseOpacity);
  TColor GetSelectionColor(bool Focused, bool Background) const;
  TColor GetHoverColor(int StyleNo) const;
  bool StyleHoverSensitive(int StyleNo);
  TColor GetLiveSpellingColor() const override { return LiveSpellingColor; }

  // The next tab stop after X (device pixels) in paragraph ParaNo.
  void GetNextTab(int ParaNo, int X, const TRVScreenAndDevice& sad, int& Position, TRVUnicodeString& Leader,
                  TRVTabAlign& Align, TRVBiDiMode DefBiDiMode, int LeftIndent, int RightIndent);

  // ---- units (halves to even; twips to pixels never turns a non-zero length into 0) ----
  TRVStyleLength GetAsPixels(TRVStyleLength Value, int MinNonZeroValue = 1) const;
  static TRVStyleLength GetAsPixelsEx(TRVStyleLength Value, TRVStyleUnits Units, int MinNonZeroValue = 1);
  // Device pixels of a print job (screen pixels without one).
  int GetAsDevicePixelsX(TRVStyleLength Value, const TRVScreenAndDevice* PSaD, int MinNonZeroValue = 1) const;
  int GetAsDevicePixelsY(TRVStyleLength Value, const TRVScreenAndDevice* PSaD, int MinNonZeroValue = 1) const;
  TRVStyleLength GetAsTwips(TRVStyleLength Value) const;
  static TRVStyleLength GetAsTwipsEx(TRVStyleLength Value, TRVStyleUnits Units);
  std::int64_t GetAsEMU(TRVStyleLength Value) const;
  long double GetAsPoints(TRVStyleLength Value) const;
  TRVStyleLength GetAsDifferentUnits(TRVStyleLength Value, TRVStyleUnits NewUnits) const;
  TRVStyleLength DifferentUnitsToUnits(TRVStyleLength Value, TRVStyleUnits FromUnits) const;
  TRVStyleLength TwipsToUnits(TRVStyleLength Value) const;
  static TRVStyleLength TwipsToUnitsEx(TRVStyleLength Value, TRVStyleUnits Units);
  TRVStyleLength PixelsToUnits(TRVStyleLength Value) const;
  static TRVStyleLength PixelsToUnitsEx(TRVStyleLength Value, TRVStyleUnits Units);
  static TRVStyleLength PixelsToTwips(TRVStyleLength Value);
  static TRVStyleLength TwipsToPixels(TRVStyleLength Value);
  TRVLength GetAsRVUnits(TRVStyleLength Value, TRVUnits RVUnits) const;
  static TRVLength GetAsRVUnitsEx(TRVStyleLength Value, TRVStyleUnits Units, TRVUnits RVUnits);
  TRVStyleLength RVUnitsToUnits(TRVLength Value, TRVUnits RVUnits) const;
  static TRVStyleLength RVUnitsToUnitsEx(TRVLength Value, TRVUnits RVUnits, TRVStyleUnits Units);
  static int RVUnitsToPixels(TRVLength Value, TRVUnits RVUnits);
  static TRVLength PixelsToRVUnits(int Value, TRVUnits RVUnits);

  void ConvertToDifferentUnits(TRVStyleUnits NewUnits);
  void ConvertToTwips() { ConvertToDifferentUnits(rvstuTwips); }
  void ConvertToPixels() { ConvertToDifferentUnits(rvstuPixels); }

  // ---- CSS ----
  // Points for a sheet in twips, else pixels ("30px").
  TRVAnsiString GetCSSSize(TRVStyleLength Value) const;
  UnicodeString GetCSSSizeW(TRVStyleLength Value) const;
  TRVAnsiString GetCSSSizeInPoints(TRVStyleLength Value) const { return PointsToCSSText(GetAsPoints(Value)); }
  void SaveCSSToStream(TStream* Stream, const TRVSaveCSSOptions& AOptions);

  // ---- the sheet as an INI file (".rvst") ----
  // Writes every collection and option into Section (the file's other sections are kept).
  void SaveINI(const UnicodeString& FileName, const UnicodeString& Section);
  // False, with the sheet unchanged, when the file is missing, unreadable or damaged; never
  // writes to the file.
  bool LoadINI(const UnicodeString& FileName, const UnicodeString& Section);
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section);
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section);

  // ---- published options (streamed; see the class description for defaults) ----
  int SpacesInTab = 0;
  TRVStyleLength DefTabWidth = 48;
  TCursor JumpCursor = crJump;
  TCursor LineSelectCursor = crRVFlipArrow;
  bool FullRedraw = false;
  bool UseSound = true;
  TColor Color = clWindow;
  TColor HoverColor = clNone;
  TColor CurrentItemColor = clNone;
  TColor SelColor = clHighlight;
  TColor SelTextColor = clHighlightText;
  TColor InactiveSelColor = clHighlight;
  TColor InactiveSelTextColor = clHighlightText;
  TColor CheckpointColor = clGreen;
  TColor CheckpointEvColor = clLime;
  TColor PageBreakColor = clBtnShadow;
  TColor SoftPageBreakColor = clBtnFace;
  TColor LiveSpellingColor = clRed;
  TColor FloatingLineColor = 0xBDA28A;
  TColor SpecialCharactersColor = clNone;
  TColor GridColor = clBtnFace;
  TColor GridReadOnlyColor = clBtnFace;
  TPenStyle GridStyle = psDot;
  TPenStyle GridReadOnlyStyle = psClear;
  TRVSelectionMode SelectionMode = rvsmWord;
  TRVSelectionStyle SelectionStyle = rvssItems;
  TRVTextBackgroundKind TextBackgroundKind = rvtbkItems;
  TColor FieldHighlightColor = clBtnFace;
  TRVFieldHighlightType FieldHighlightType = rvfhCurrent;
  TColor DisabledFontColor = clNone;
  TRVSeqType FootnoteNumbering = rvseqDecimal;
  TRVSeqType EndnoteNumbering = rvseqLowerRoman;
  TRVSeqType SidenoteNumbering = rvseqLowerAlpha;
  bool FootnotePageReset = true;
  TRVLineWrapMode LineWrapMode = rvWrapNormal;
  int DefUnicodeStyle = -1;
  TRVCodePage DefCodePage = 0;
  TRVStyleUnits Units = rvstuPixels;
  TFontQuality FontQuality = fqDefault;
  TRVSelectionHandleKind SelectionHandleKind = rvshkWedge;

  // ---- events ----
  TRVApplyStyleEvent OnApplyStyle;
  TRVAfterApplyStyleEvent OnAfterApplyStyle;
  TRVApplyStyleColorEvent OnApplyStyleColor;
  TRVDrawStyleTextEvent OnDrawStyleText;
  TRVStyleHoverSensitiveEvent OnStyleHoverSensitive;
  TRVDrawTextBackEvent OnDrawTextBack;
  TRVDrawCheckpointEvent OnDrawCheckpoint;
  TRVDrawPageBreakEvent OnDrawPageBreak;
  TRVDrawParaBackEvent OnDrawParaBack;

  // ---- not streamed ----
  // The document writer saves the templates of a sheet with a MainRVStyle only while true.
  bool SaveStyleTemplatesForNonMain = false;
  // Set while the collections are streamed into a document: styles then leave their template
  // links out.
  bool IgnoreStyleTemplates = false;
  // What an event handler reads about the item being drawn and the view's scroll position.
  int ItemNo = -1;
  int OffsetInItem = 0;
  int XShiftParam = 0;
  int YShiftParam = 0;
  TPersistent* RVData = nullptr;

 protected:
  // Makes the graphic interface for TextEngine when there is none.
  virtual void CreateGraphicInterface();
  // Descendants that override CreateGraphicInterface make their own interface here (tests give
  // a sheet the fixed-metrics back-end this way).
  std::unique_ptr<TRVGraphicInterface> FGraphicInterface;

 private:
  void MakeCollections() const;
  TRVStyle* StyleTemplatesOwner() const;

  mutable std::unique_ptr<TFontInfos> FTextStyles;
  mutable std::unique_ptr<TParaInfos> FParaStyles;
  mutable std::unique_ptr<TRVListInfos> FListStyles;
  mutable std::unique_ptr<TRVStyleTemplateCollection> FStyleTemplates;
  std::unique_ptr<TPicture> FInvalidPicture;
  bool FInvalidPictureAssigned = false;
  TRVStylePictureData FInvalidPictureData{this};
  TRVTextEngine FTextEngine = rvteUniscribe;
  TRVStyle* FMainRVStyle = nullptr;
  // Sheets whose MainRVStyle is this one: they forget it when this sheet goes.
  std::vector<TRVStyle*> FFreeNotifies;

 public:
  // ---- controls that refer to the sheet ----
  // Notify runs when the sheet is destroyed (first of all), so that Key (a control showing
  // documents with this sheet) forgets it; Key removes itself when it goes first. Registering a
  // key again replaces its notification.
  void FreeNotification(const void* Key, std::function<void()> Notify);
  void RemoveFreeNotification(const void* Key);

 private:
  std::vector<std::pair<const void*, std::function<void()>>> FControlFreeNotifies;
};

// A new text engine of the best kind available: shaping when the shaping library is loaded.
std::unique_ptr<TRVGraphicInterface> CreateDefaultGraphicInterface();

// Converts a length between units when no sheet is at hand.
TRVStyleLength RVConvertStyleLength(const TRVStyle* Sheet, TRVStyleLength Value,
                                    TRVStyleUnits NewUnits);
inline TRVStyleLength RVTwipsOf(const TRVStyle* Sheet, TRVStyleLength Value) {
  return RVConvertStyleLength(Sheet, Value, rvstuTwips);
}
// A length as CSS text; a style outside any sheet is in pixels.
inline TRVAnsiString RVCSSSize(const TRVStyle* Sheet, TRVStyleLength Value) {
  return Sheet ? Sheet->GetCSSSize(Value) : std::to_string(Value) + "px";
}
// Sheet units in one pixel: similarity weights of lengths are scaled by it.
inline int RVUnitsPerPixel(const TRVStyle* Sheet) { return (Sheet && Sheet->Units == rvstuTwips) ? 15 : 1; }

// ---- typed style references of the document format ----------------------------------------------

// A decimal index, or a quoted name looked up among the text styles (0 when none matches).
bool ReadRVFTextStyleRef(const TRVStyle* RVStyle, const char*& P, int& StyleNo, bool& NameUsed, bool UTF8);
bool ReadRVFParaStyleRef(const TRVStyle* RVStyle, const char*& P, int& ParaNo, bool& NameUsed, bool UTF8);
// With UseStyleNames and a real style index, the style's quoted name; else the decimal number.
TRVRawByteString EncodeRVFTextStyleRef(const TRVStyle* RVStyle, bool UseStyleNames, int StyleNo);
TRVRawByteString EncodeRVFParaStyleRef(const TRVStyle* RVStyle, bool UseStyleNames, int ParaNo);
// The paragraph reference of an item: -1 ("same paragraph as before") when ForceSameAsPrev.
TRVRawByteString EncodeRVFItemParaRef(const TRVStyle* RVStyle, bool UseStyleNames, int ParaNo,
                                      bool ForceSameAsPrev);
