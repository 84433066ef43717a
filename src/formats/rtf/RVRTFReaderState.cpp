// The reader's formatting state: character, paragraph, section and document properties and the
// state that groups save and restore.
#include "formats/rtf/RVRTFReaderState.h"

#include "formats/rtf/RVRTFListTables.h"
#include "formats/rtf/RVRTFTableProps.h"
#include "platform/graphics/Pictures.h"

namespace rvrtfstate_detail {

// Each channel: (back × (10000 − shading) + fore × shading) div 10000, low 8 bits kept.
TColor BlendColors(TColor Back, TColor Fore, int Shading) {
  const COLORREF b = ColorToRGB(Back), f = ColorToRGB(Fore);
  std::uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::int64_t cb = (b >> shift) & 0xFF, cf = (f >> shift) & 0xFF;
    const std::int64_t c = (cb * (10000 - Shading) + cf * Shading) / 10000;
    result |= static_cast<std::uint32_t>(c & 0xFF) << shift;
  }
  return static_cast<TColor>(result);
}

}  // namespace rvrtfstate_detail

// ---- TRVRTFCharProperties ----

TRVRTFCharProperties::TRVRTFCharProperties() { TRVRTFCharProperties::Reset(0, 0); }

void TRVRTFCharProperties::Reset(unsigned DefLanguage, int DefFontIndex) {
  FHidden = false;
  FIsProtected = false;
  FBiDiMode = rtf_bidi_Unspecified;
  FColor = clWindowText;
  FBackColor = clNone;
  FUnderlineColor = clNone;
  FBorderColor = clNone;
  FSizeDouble = 24;
  FFontIndex = DefFontIndex;
  FCharScaleX = 100;
  FVShiftPt = 0;
  FCharSpacingTw = 0;
  FHighlight = -1;
  FSkipAnsiCount = 1;
  FStyleSheetIndex = -1;
  FBorderWidthTw = 0;
  FBorderSpacingTw = 0;
  FStyle = TFontStyles();
  FStyleEx = TRVRTFFontStylesEx();
  FSScriptType = rtf_ss_Normal;
  FLanguage = DefLanguage;
  FFontName.clear();
  FUnderlineType = rtf_rvut_Normal;
  FBorderType = rtf_brdr_None;
}

void TRVRTFCharProperties::Assign(const TRVRTFCharProperties& Source) {
  const TRVUnicodeString fontName = std::move(FFontName);
  FHidden = Source.FHidden;
  FIsProtected = Source.FIsProtected;
  FBiDiMode = Source.FBiDiMode;
  FColor = Source.FColor;
  FBackColor = Source.FBackColor;
  FUnderlineColor = Source.FUnderlineColor;
  FBorderColor = Source.FBorderColor;
  FSizeDouble = Source.FSizeDouble;
  FFontIndex = Source.FFontIndex;
  FCharScaleX = Source.FCharScaleX;
  FVShiftPt = Source.FVShiftPt;
  FCharSpacingTw = Source.FCharSpacingTw;
  FHighlight = Source.FHighlight;
  FSkipAnsiCount = Source.FSkipAnsiCount;
  FStyleSheetIndex = Source.FStyleSheetIndex;
  FBorderWidthTw = Source.FBorderWidthTw;
  FBorderSpacingTw = Source.FBorderSpacingTw;
  FStyle = Source.FStyle;
  FStyleEx = Source.FStyleEx;
  FSScriptType = Source.FSScriptType;
  FLanguage = Source.FLanguage;
  FUnderlineType = Source.FUnderlineType;
  FBorderType = Source.FBorderType;
  FFontName = fontName;
}

bool TRVRTFCharProperties::CanParseKeyword(const TRVAnsiString& Keyword) {
  (void)Keyword;
  return false;
}

void TRVRTFCharProperties::ParseKeyword(const TRVAnsiString& Keyword, int Param, bool fParam) {
  (void)Keyword;
  (void)Param;
  (void)fParam;
}

// ---- tabs ----

TRVRTFTab* TRVRTFTabList::AddNew() {
  auto* tab = new TRVRTFTab;
  Add(tab);
  return tab;
}

void TRVRTFTabList::Assign(const TRVRTFTabList& Source) {
  Clear();
  for (int i = 0; i < Source.Count(); ++i) *AddNew() = *Source.Get(i);
}

// ---- TRVRTFParaProperties ----

TRVRTFParaProperties::TRVRTFParaProperties() { Reset(); }

TRVRTFParaProperties::~TRVRTFParaProperties() {
  delete FBorder;
  delete FMarkerProps;
  delete FTabs;
}

void TRVRTFParaProperties::Reset() {
  FLeftIndentTw = FRightIndentTw = FFirstIndentTw = 0;
  FMarkerTabTw = -1000;
  FOutlineLevel = 0;
  FSpaceBeforeTw = FSpaceAfterTw = 0;
  FAlignment = rtf_al_Left;
  FBiDiMode = rtf_bidi_Unspecified;
  delete FBorder;
  FBorder = nullptr;
  delete FMarkerProps;
  FMarkerProps = nullptr;
  FCurBorderSide = rtf_side_Left;
  FLineSpacing = 240;
  FLineSpacingMulti = true;
  FPageBreakBefore = false;
  FColor = clNone;
  if (!NoResetLev) {
    FNestingLevel = 1;
    FInTable = false;
  }
  Shading = 0;
  ForeColor = 0;
  FListOverrideIndex = -1;
  FListLevel = 0;
  FStyleSheetIndex = -1;
  FKeepLinesTogether = FKeepWithNext = false;
  NoTableEv = false;
  NoResetLev = false;
  FWidowOrphanControl = rtf_woc_Default;
  FPageBreakPara = false;
  delete FTabs;
  FTabs = nullptr;
  FTabsReady = false;
}

void TRVRTFParaProperties::Assign(const TRVRTFParaProperties& Source) {
  if (&Source == this) return;
  FLeftIndentTw = Source.FLeftIndentTw;
  FRightIndentTw = Source.FRightIndentTw;
  FFirstIndentTw = Source.FFirstIndentTw;
  FMarkerTabTw = Source.FMarkerTabTw;
  FOutlineLevel = Source.FOutlineLevel;
  FSpaceBeforeTw = Source.FSpaceBeforeTw;
  FSpaceAfterTw = Source.FSpaceAfterTw;
  FAlignment = Source.FAlignment;
  FBiDiMode = Source.FBiDiMode;
  if (Source.FBorder) {
    Border()->Assign(*Source.FBorder);
  } else {
    delete FBorder;
    FBorder = nullptr;
  }
  if (Source.FMarkerProps) {
    MarkerProps()->Assign(*Source.FMarkerProps);
  } else {
    delete FMarkerProps;
    FMarkerProps = nullptr;
  }
  FCurBorderSide = Source.FCurBorderSide;
  FLineSpacing = Source.FLineSpacing;
  FLineSpacingMulti = Source.FLineSpacingMulti;
  FPageBreakBefore = Source.FPageBreakBefore;
  FColor = Source.FColor;
  FNestingLevel = Source.FNestingLevel;
  FInTable = Source.FInTable;
  Shading = Source.Shading;
  ForeColor = Source.ForeColor;
  FListOverrideIndex = Source.FListOverrideIndex;
  FListLevel = Source.FListLevel;
  FStyleSheetIndex = Source.FStyleSheetIndex;
  FKeepLinesTogether = Source.FKeepLinesTogether;
  FKeepWithNext = Source.FKeepWithNext;
  NoTableEv = Source.NoTableEv;
  NoResetLev = Source.NoResetLev;
  FWidowOrphanControl = Source.FWidowOrphanControl;
  FPageBreakPara = Source.FPageBreakPara;
  if (Source.HasTabs()) {
    Tabs()->Assign(*Source.FTabs);
  } else {
    delete FTabs;
    FTabs = nullptr;
  }
  FTabsReady = Source.FTabsReady;
}

TRVRTFTabList* TRVRTFParaProperties::Tabs() {
  if (!FTabs) FTabs = new TRVRTFTabList;
  return FTabs;
}

TRVRTFParaBorder* TRVRTFParaProperties::Border() {
  if (!FBorder) FBorder = new TRVRTFParaBorder;
  return FBorder;
}

TRVRTFMarkerProperties* TRVRTFParaProperties::MarkerProps() {
  if (!FMarkerProps) FMarkerProps = new TRVRTFMarkerProperties;
  return FMarkerProps;
}

bool TRVRTFParaProperties::HasTabs() const { return FTabs && FTabs->Count() > 0; }

bool TRVRTFParaProperties::HasBorder() const {
  if (!FBorder) return false;
  for (TRVRTFSide side : {rtf_side_Left, rtf_side_Top, rtf_side_Right, rtf_side_Bottom}) {
    const TRVRTFBorderSide* s = FBorder->FindSide(side);
    if (s && s->FBorderType != rtf_brdr_None) return true;
  }
  return false;
}

TRVRTFTab* TRVRTFParaProperties::CurrentTab() {
  TRVRTFTabList* tabs = Tabs();
  if (tabs->Count() == 0) return tabs->AddNew();
  return tabs->Get(tabs->Count() - 1);
}

void TRVRTFParaProperties::Finalize() {
  if (Shading != 0) {
    if (FColor == clNone) FColor = 0xFFFFFF;
    FColor = rvrtfstate_detail::BlendColors(FColor, ForeColor, Shading);
    Shading = 0;
  }
  if (HasTabs() && !FTabsReady) {
    FTabs->Delete(FTabs->Count() - 1);
    for (int i = FTabs->Count() - 1; i >= 0; --i) {
      if (FTabs->Get(i)->IsListTab) {
        FMarkerTabTw = FTabs->Get(i)->PositionTW;
        FTabs->Delete(i);
      }
    }
    FTabsReady = true;
  }
}

// ---- TRVRTFSectionProperties ----

TRVRTFSectionProperties::TRVRTFSectionProperties() { Reset(); }

TRVRTFSectionProperties::~TRVRTFSectionProperties() { delete FDefMarkerPropsList; }

void TRVRTFSectionProperties::Reset() {
  FColumnCount = 1;
  FSectionBreakType = rtf_sbk_Page;
  FPageNumberXTw = FPageNumberYTw = 720;
  FPageNumberFormat = rtf_pg_Decimal;
  FHeaderYTw = FFooterYTw = 720;
  delete FDefMarkerPropsList;
  FDefMarkerPropsList = nullptr;
  FHasTitlePage = false;
}

void TRVRTFSectionProperties::Assign(const TRVRTFSectionProperties& Source) {
  if (&Source == this) return;
  FColumnCount = Source.FColumnCount;
  FSectionBreakType = Source.FSectionBreakType;
  FPageNumberXTw = Source.FPageNumberXTw;
  FPageNumberYTw = Source.FPageNumberYTw;
  FPageNumberFormat = Source.FPageNumberFormat;
  if (Source.FDefMarkerPropsList) {
    TRVList* list = DefMarkerPropsList();
    for (int i = 0; i < list->Count() && i < Source.FDefMarkerPropsList->Count(); ++i)
      static_cast<TRVRTFMarkerProperties*>(list->Get(i))
          ->Assign(*static_cast<TRVRTFMarkerProperties*>(Source.FDefMarkerPropsList->Get(i)));
  } else {
    delete FDefMarkerPropsList;
    FDefMarkerPropsList = nullptr;
  }
  FHasTitlePage = Source.FHasTitlePage;
}

TRVList* TRVRTFSectionProperties::DefMarkerPropsList() {
  if (!FDefMarkerPropsList) {
    FDefMarkerPropsList = new TRVList;
    for (int i = 0; i < 11; ++i) FDefMarkerPropsList->Add(new TRVRTFMarkerProperties);
  }
  return FDefMarkerPropsList;
}

// ---- TRVRTFDocProperties ----

void TRVRTFDocProperties::Reset() {
  FPaperWidthTw = 12240;
  FPaperHeightTw = 15840;
  FLeftMarginTw = FRightMarginTw = 1800;
  FTopMarginTw = FBottomMarginTw = 1440;
  FPageNumberStart = 1;
  FFacingPages = FMirrorMargins = FLandscape = false;
  FViewScale = 100;
  FZoomKind = rtf_zk_None;
  FFootnotePageRestart = false;
  FAuthor.clear();
  FTitle.clear();
  FComments.clear();
}

// ---- TRVRTFReaderState ----

TRVRTFReaderState::TRVRTFReaderState()
    : FCharProps(new TRVRTFCharProperties),
      FParaProps(new TRVRTFParaProperties),
      FSectProps(new TRVRTFSectionProperties) {}

TRVRTFReaderState::~TRVRTFReaderState() {
  delete FInvalidFieldPicture;
  delete FRowProps;
  delete FSectProps;
  delete FParaProps;
  delete FCharProps;
}

void TRVRTFReaderState::Reset() {
  FDefLanguage = 0;
  FCharProps->Reset(0, 0);
  FParaProps->Reset();
  FSectProps->Reset();
  delete FRowProps;
  FRowProps = nullptr;
  FFieldCode.clear();
  FBmkStartName.clear();
  FFieldPictureIncluded = false;
  FFieldInserted = false;
  FInNote = false;
  FCurrentBorderType = rtf_bt_Para;
  DefFontNumber = 0;
  DefFontIndex = -1;
  FHFType = rtf_hf_MainText;
  delete FInvalidFieldPicture;
  FInvalidFieldPicture = nullptr;
}

void TRVRTFReaderState::Assign(const TRVRTFReaderState& Source) {
  if (&Source == this) return;
  FDefLanguage = Source.FDefLanguage;
  FCharProps->Assign(*Source.FCharProps);
  FParaProps->Assign(*Source.FParaProps);
  FSectProps->Assign(*Source.FSectProps);
  if (Source.FRowProps) {
    RowProps()->Assign(*Source.FRowProps);
  } else {
    delete FRowProps;
    FRowProps = nullptr;
  }
  FInNote = Source.FInNote;
  FCurrentBorderType = Source.FCurrentBorderType;
  rds = Source.rds;
  ris = Source.ris;
  FFieldCode = Source.FFieldCode;
  FFieldInserted = Source.FFieldInserted;
  FHFType = Source.FHFType;
  FUprOuterRds = Source.FUprOuterRds;
}

TRVRTFRowProperties* TRVRTFReaderState::RowProps() {
  if (!FRowProps) FRowProps = new TRVRTFRowProperties;
  return FRowProps;
}
