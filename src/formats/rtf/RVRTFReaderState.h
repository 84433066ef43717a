// The formatting state of the RTF reader: character, paragraph, section and row properties and
// the position in the document structure. Every opening brace saves a copy of the state and every
// closing brace restores it, which is how groups scope formatting. Document-wide properties are
// in TRVRTFDocProperties. Lengths ending in Tw are twips, font sizes half points.
#pragma once

#include "engine/foundation/RVClasses.h"
#include "formats/rtf/RVRTFTypes.h"

class TGraphic;
class TRVRTFParaBorder;
class TRVRTFMarkerProperties;
class TRVRTFRowProperties;

// Character properties. A descendant may accept control words the reader does not know
// (CanParseKeyword, ParseKeyword).
class TRVRTFCharProperties : public TObject {
 public:
  TRVRTFCharProperties();
  virtual void Reset(unsigned DefLanguage, int DefFontIndex);
  // Copies every field but the font name.
  virtual void Assign(const TRVRTFCharProperties& Source);
  virtual bool CanParseKeyword(const TRVAnsiString& Keyword);
  virtual void ParseKeyword(const TRVAnsiString& Keyword, int Param, bool fParam);

  bool FHidden = false;
  bool FIsProtected = false;
  TRVRTFBiDiMode FBiDiMode = rtf_bidi_Unspecified;
  TColor FColor = clWindowText;
  TColor FBackColor = clNone;
  TColor FUnderlineColor = clNone;
  TColor FBorderColor = clNone;
  int FSizeDouble = 24;
  int FFontIndex = 0;
  int FCharScaleX = 100;
  int FVShiftPt = 0;
  int FCharSpacingTw = 0;
  int FHighlight = -1;
  int FSkipAnsiCount = 1;
  int FStyleSheetIndex = -1;
  int FBorderWidthTw = 0;
  int FBorderSpacingTw = 0;
  TFontStyles FStyle;
  TRVRTFFontStylesEx FStyleEx;
  TRVRTFSScriptType FSScriptType = rtf_ss_Normal;
  unsigned FLanguage = 0;
  TRVUnicodeString FFontName;
  TRVRTFUnderlineType FUnderlineType = rtf_rvut_Normal;
  TRVRTFBorderType FBorderType = rtf_brdr_None;
};

// One tab stop.
class TRVRTFTab : public TObject {
 public:
  int PositionTW = 0;
  TRVRTFTabAlign Align = rtf_tab_Left;
  TRVRTFTabLeader Leader = rtf_tl_None;
  bool IsListTab = false;
};

class TRVRTFTabList : public TRVList {
 public:
  TRVRTFTab* Get(int Index) const { return static_cast<TRVRTFTab*>(TRVList::Get(Index)); }
  TRVRTFTab* AddNew();
  void Assign(const TRVRTFTabList& Source);
};

class TRVRTFParaProperties : public TObject {
 public:
  TRVRTFParaProperties();
  TRVRTFParaProperties(const TRVRTFParaProperties&) = delete;
  TRVRTFParaProperties& operator=(const TRVRTFParaProperties&) = delete;
  ~TRVRTFParaProperties() override;
  void Reset();
  void Assign(const TRVRTFParaProperties& Source);
  // The sub-objects, created on first access.
  TRVRTFTabList* Tabs();
  TRVRTFParaBorder* Border();
  TRVRTFMarkerProperties* MarkerProps();
  bool HasTabs() const;
  bool HasBorder() const;
  bool HasMarker() const { return FMarkerProps != nullptr; }
  // Run before content is reported: blends the shading and settles the tab stops.
  void Finalize();
  // The tab being defined (the last one), created when there is none.
  TRVRTFTab* CurrentTab();

  int FLeftIndentTw = 0, FRightIndentTw = 0, FFirstIndentTw = 0;
  int FMarkerTabTw = -1000;
  int FOutlineLevel = 0;
  int FSpaceBeforeTw = 0, FSpaceAfterTw = 0;
  TRVRTFAlignment FAlignment = rtf_al_Left;
  TRVRTFBiDiMode FBiDiMode = rtf_bidi_Unspecified;
  TRVRTFParaBorder* FBorder = nullptr;
  TRVRTFMarkerProperties* FMarkerProps = nullptr;
  TRVRTFSideEx FCurBorderSide = rtf_side_Left;
  int FLineSpacing = 240;
  bool FLineSpacingMulti = true;
  bool FPageBreakBefore = false;
  TColor FColor = clNone;
  int FNestingLevel = 1;
  bool FInTable = false;
  int Shading = 0;
  TColor ForeColor = 0;
  int FListOverrideIndex = -1;
  int FListLevel = 0;
  int FStyleSheetIndex = -1;
  bool FKeepLinesTogether = false, FKeepWithNext = false;
  bool NoTableEv = false;
  bool NoResetLev = false;
  TRVRTFParaWidowOrphanControl FWidowOrphanControl = rtf_woc_Default;
  bool FPageBreakPara = false;
  TRVRTFTabList* FTabs = nullptr;
  bool FTabsReady = false;
};

class TRVRTFSectionProperties : public TObject {
 public:
  TRVRTFSectionProperties();
  TRVRTFSectionProperties(const TRVRTFSectionProperties&) = delete;
  TRVRTFSectionProperties& operator=(const TRVRTFSectionProperties&) = delete;
  ~TRVRTFSectionProperties() override;
  void Reset();
  // Copies every field but the header and footer positions.
  void Assign(const TRVRTFSectionProperties& Source);
  // The default "\pn" markers of section levels 1 to 11 (index 0 to 10), created on first need.
  TRVList* DefMarkerPropsList();

  int FColumnCount = 1;
  TRVRTFSectionBreakType FSectionBreakType = rtf_sbk_Page;
  int FPageNumberXTw = 720, FPageNumberYTw = 720;
  TRVRTFPageNumberFormat FPageNumberFormat = rtf_pg_Decimal;
  int FHeaderYTw = 720, FFooterYTw = 720;
  TRVList* FDefMarkerPropsList = nullptr;
  bool FHasTitlePage = false;
};

// Document-wide properties, reset once when the reader is made.
class TRVRTFDocProperties : public TObject {
 public:
  TRVRTFDocProperties() { Reset(); }
  void Reset();

  int FPaperWidthTw = 12240, FPaperHeightTw = 15840;
  int FLeftMarginTw = 1800, FRightMarginTw = 1800;
  int FTopMarginTw = 1440, FBottomMarginTw = 1440;
  int FPageNumberStart = 1;
  bool FFacingPages = false, FMirrorMargins = false, FLandscape = false;
  int FViewScale = 100;
  TRVRTFZoomKind FZoomKind = rtf_zk_None;
  bool FFootnotePageRestart = false;
  TRVUnicodeString FAuthor, FTitle, FComments;
};

class TRVRTFReaderState : public TObject {
 public:
  TRVRTFReaderState();
  TRVRTFReaderState(const TRVRTFReaderState&) = delete;
  TRVRTFReaderState& operator=(const TRVRTFReaderState&) = delete;
  ~TRVRTFReaderState() override;
  // Back to the defaults; the destination and the input state are left as they are.
  void Reset();
  // Copies what a group restores at its end (see the fields below).
  void Assign(const TRVRTFReaderState& Source);
  // Created on first access.
  TRVRTFRowProperties* RowProps();
  bool HasRowProps() const { return FRowProps != nullptr; }

  TRVRTFParaProperties* ParaProps() const { return FParaProps; }
  TRVRTFCharProperties* CharProps() const { return FCharProps; }
  TRVRTFSectionProperties* SectProps() const { return FSectProps; }
  const TRVUnicodeString& FieldCode() const { return FFieldCode; }
  unsigned DefLanguage() const { return FDefLanguage; }

  // Restored at group end.
  unsigned FDefLanguage = 0;
  TRVRTFCharProperties* FCharProps = nullptr;
  TRVRTFParaProperties* FParaProps = nullptr;
  TRVRTFSectionProperties* FSectProps = nullptr;
  TRVRTFRowProperties* FRowProps = nullptr;
  bool FInNote = false;
  TRVRTFCurrentBorderType FCurrentBorderType = rtf_bt_Para;
  TRTFrds rds = rdsNorm;
  TRTFris ris = risNorm;
  TRVUnicodeString FFieldCode;
  bool FFieldInserted = false;
  TRVRTFHeaderFooterType FHFType = rtf_hf_MainText;
  // Inside "\upr": the destination that surrounded it, where "\ud" reads.
  TRTFrds FUprOuterRds = rdsNorm;
  // Kept across group boundaries: reader-wide values.
  TRVUnicodeString FBmkStartName;
  bool FFieldPictureIncluded = false;
  TGraphic* FInvalidFieldPicture = nullptr;  // owned
  int DefFontNumber = 0;
  int DefFontIndex = -1;

  // ==== text and document events (RVRTFEvents.cpp) ====
  // ==== tables and borders (RVRTFTables.cpp) ====
  // ==== lists (RVRTFLists.cpp) ====
  // ==== pictures and objects (RVRTFPictures.cpp) ====
  // ==== fields (RVRTFFields.cpp) ====
  // ==== font, colour and style tables, code pages (RVRTFTablesOfDoc.cpp) ====
};
