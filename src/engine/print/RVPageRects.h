// Documents laid out inside a rectangle of a printed page (headers, footers, footnotes, sidenotes
// and text boxes) and the endnotes that continue below the main text. Each shares the items of a
// source document (with a font-metric cache of its own for each formatting), is formatted at its own width and draws itself at an offset on the page of its
// parent printable document. Sidenote and text-box placement (from the box properties), the
// rectangle of the object a box is anchored to and their drawing are here too.
#pragma once

#include <memory>

#include "engine/print/PtblRVData.h"

class TCustomPrintableRV;
class TRVFootnoteItemInfo;
class TRVEndnoteItemInfo;
class TRVSidenoteItemInfo;

class TRectPtblRVData : public TCustomMultiPagePtblRVData {
 public:
  TRectPtblRVData(TCustomPrintableRV* ViroZere, TCustomPrintableRVData* ParentPrintData,
                  TCustomRVData* SourceDataForPrinting);
  ~TRectPtblRVData() override;

  // ---- coordinates ----
  int GetPrintableAreaLeft(int /*PageNo*/) override { return Left + DX; }
  int GetPrintableAreaTop(int /*PageNo*/) override { return Top + DY; }
  int GetRotatedCellVOffs() override { return VOffsInRotatedCell; }
  int GetPageStartY(int PageNo, int GlobalPageNo) override;
  int GetPageStartY2(int PageNo, int GlobalPageNo) override;
  void SetPageRect(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetPageRectLeft(int ALeft) override { Left = ALeft; }
  // ---- size ----
  int GetWidth() const override { return Width; }
  int GetHeight() override { return Height; }
  int GetLeftMargin() override { return 0; }
  int GetRightMargin() override { return 0; }
  int GetTopMargin() override { return 0; }
  int GetBottomMargin() override { return 0; }
  int GetMinTextWidth() override { return 0; }
  int GetMaxTextWidth() override { return 0; }
  // ---- from the main data of the printable viewer ----
  void InitScreenAndDevice(TCanvas* Canvas, TRVScreenAndDevice& SaD) override;
  TCanvas* GetCanvas() override;
  TCanvas* InitPrinterCanvas() override;
  TRVColorMode GetColorMode() override;
  // ---- from the source document ----
  TRVStyle* GetRVStyle() const override;
  TRVDocRotation GetRotation() const override;
  bool UseVerticalFonts() override;
  TCustomRVData* GetSourceRVDataForPrinting() override { return FSourceDataForPrinting; }
  // ---- from the parent ----
  TCustomRVData* GetParentData() const override;
  TCustomRVData* GetAbsoluteParentData() const override;
  TCustomRVData* GetRootData() override;
  TCustomRVData* GetAbsoluteRootData() override;
  void DoDrawHyperlink(TCustomRVData* RVData, int ItemNo, const TRect& R) override;
  void DoDrawCheckpoint(TCustomRVData* RVData, int ItemNo, int X, int Y) override;
  bool IsPageSubDocument() override;
  bool AllowTransparentDrawing() override;
  bool NoMetafiles() override;
  int MetafilePixelsPerInch() override;
  TColor GetColor() override { return FColor; }
  void DrawBackToBitmapEx(int ALeft, int ATop, TBitmap* bmp, const TRVScreenAndDevice& sad, int ItemBackgroundLayer,
                          bool RelativeToItem, bool AllowBitmaps, bool ParentAllowBitmaps, int PageNo) override;

  // The main data of the printable viewer.
  TCustomMainPtblRVData* GetMainData() const;
  TCustomPrintableRV* GetPrintableRV() const { return FPrintableRV; }

  TCustomRVData* FSourceDataForPrinting = nullptr;
  TCustomPrintableRVData* FParentPrintData = nullptr;
  int Left = 0, Top = 0, DX = 0, DY = 0, Width = 0, Height = 0, VOffsInRotatedCell = 0;
  bool Transparent = false;
  bool ComplexBackground = false;
  TColor FColor = clNone;

 private:
  TCustomPrintableRV* FPrintableRV;
};

// A header or footer: one page, with margins and sidenotes of its own.
class TRVHeaderFooterRVData : public TRectPtblRVData {
 public:
  using TRectPtblRVData::TRectPtblRVData;
  ~TRVHeaderFooterRVData() override;

  int GetLeftMargin() override { return FLeftMargin; }
  int GetRightMargin() override { return FRightMargin; }
  int GetTopMargin() override { return FTopMargin; }
  int GetBottomMargin() override { return FBottomMargin; }
  bool IsPageSubDocument() override { return true; }
  TRVSidenoteList* GetSidenoteList(int PageNo) override;
  void DrawBackToBitmapEx(int ALeft, int ATop, TBitmap* bmp, const TRVScreenAndDevice& sad, int ItemBackgroundLayer,
                          bool RelativeToItem, bool AllowBitmaps, bool ParentAllowBitmaps, int PageNo) override;

  std::unique_ptr<TRVSidenoteList> Sidenotes;
  int FLeftMargin = 0, FRightMargin = 0, FTopMargin = 0, FBottomMargin = 0;
};

// The printed document of one footnote, placed by the printable viewer at the bottom of a page.
class TRVFootnotePtblRVData : public TRectPtblRVData, public TRVFootnotePageEntry {
 public:
  using TRectPtblRVData::TRectPtblRVData;
  bool IsPageSubDocument() override { return true; }
  TCustomPrintableRVData* GetNoteRVData() override { return this; }
};

// The printed document of one sidenote or text box on one page.
class TRVSidenotePtblRVData : public TRectPtblRVData {
 public:
  using TRectPtblRVData::TRectPtblRVData;
  bool IsPageSubDocument() override { return true; }

  TRect FullRect{0, 0, 0, 0};
  TRVSidenoteItemInfo* Sidenote = nullptr;
  TCustomRVFormattedData* SidenoteItemRVData = nullptr;
  int SidenoteItemNo = -1;
};

// An endnote: paginated, continuing below the main text on the main document's pages.
class TRVEndnotePtblRVData : public TCustomMultiPagePtblRVData {
 public:
  explicit TRVEndnotePtblRVData(TCustomPrintableRV* ViroZere);
  ~TRVEndnotePtblRVData() override;

  TCustomRVData* GetParentData() const override;
  TCustomRVData* GetRootData() override;
  TCustomRVData* GetAbsoluteParentData() const override;
  TCustomRVData* GetAbsoluteRootData() override;
  TCustomRVData* GetSourceRVDataForPrinting() override;
  int GetFirstPageStartAt() override { return StartAt; }
  int GetNextPageStartAt() override { return NextStartAt; }
  void SetEndAt(int Y) override { EndAt = Y; }
  void AddPageStartOffset(int PageNo) override { EndAt += PageNo == 1 ? StartAt : NextStartAt; }
  bool AllowEmptyStartPage() override { return false; }
  void InitScreenAndDevice(TCanvas* Canvas, TRVScreenAndDevice& SaD) override;
  TCanvas* GetCanvas() override;
  int GetPrintableAreaLeft(int PageNo) override;
  int GetPrintableAreaTop(int PageNo) override;
  int GetPageStartY(int PageNo, int GlobalPageNo) override;
  int GetPageStartY2(int PageNo, int GlobalPageNo) override;
  bool IsPageSubDocument() override { return true; }
  TRVStyle* GetRVStyle() const override;
  TRVColorMode GetColorMode() override;

  TCustomMainPtblRVData* GetMainData() const;

  TRVEndnoteItemInfo* Endnote = nullptr;
  int StartAt = 0, NextStartAt = 0, EndAt = 0;
  bool FromNewPage = false;

 private:
  TCustomPrintableRV* FPrintableRV;
};

// The rectangles (page coordinates of PtRVData's pages) of the object a box is anchored to; false
// when the anchor is not found.
bool GetAnchorObjectCoords(TCustomMultiPagePtblRVData* Self, TCustomMultiPagePtblRVData* PtRVData, int ItemNo,
                           bool& IsInnermost, TRect& RectV, TRect& RectH, bool RelativeToCell, int VerticalAnchor,
                           int HorizontalAnchor, int LocalPageNo, int PageNo);

// The bodies of TCustomMultiPagePtblRVData::PrepareSidenotes and DrawSidenotes: one printed
// document per box and page, placed for PrintData's page geometry (a header's or footer's boxes on
// a page of its kind), and drawing those of one page above or below the text.
void RVPrepareSidenotes(TCustomMultiPagePtblRVData* Self, TCustomMainPtblRVData* PrintData, TRVHFType HFType);
void RVDrawSidenotes(TCustomMultiPagePtblRVData* Self, TCanvas* Canvas, int PageNo, bool PostFormat,
                     bool PositionInText, bool Correction, bool Preview, bool Printing, int GlobalPageNo);
