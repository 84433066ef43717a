// Printable documents: copies of a document that share its items, are formatted at a page's
// width and are drawn page by page in device pixels of an output canvas.
//
// TCustomPrintableRVData draws one page (page background, paragraph and text backgrounds, items,
// checkpoints); TCustomMultiPagePtblRVData cuts its draw items into pages (FormatNextPage, called
// once per page by a driver that keeps the pagination state); TCustomMainPtblRVData is the whole
// document of a print job with margins for the three kinds of page and the page's footnotes and
// sidenotes; TPrintableRVData adds user-unit margins, mirror margins, a title page, facing pages
// and six header and footer documents.
//
// The classes reach the component that prints (page range, numbering, events) through
// TRVPrintHost and the hidden viewer that owns them (footnote documents, note separator, page
// switches) through TRVPrintableViewer; both are implemented above this library.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/document/DLines.h"
#include "engine/document/RVDataRootTypes.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/foundation/RVClasses.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/RVBack.h"
#include "engine/styles/RVStyleTypes.h"
#include "engine/viewer/RVRootData.h"
#include "platform/graphics/DeviceContext.h"

class TBitmap;
class TParaInfo;
class TRVFootnoteItemInfo;
class TStream;
class TRVMarkerList;
class TCustomPrintableRVData;
class TCustomMultiPagePtblRVData;
class TCustomMainPtblRVData;

// How margins smaller than the device's unprintable border are treated.
enum TRVFixMarginsMode : std::uint8_t { rvfmmAutoCorrect, rvfmmIgnore };
// Progress of a pagination.
enum TRVPrintingStep : std::uint8_t { rvpsStarting, rvpsProceeding, rvpsFinished };

// ---- what the printing component and the printable viewer answer -------------------------------

// The component that prints (settings shared by every page output, and its events). Sender of the
// events is GetPrintComponent().
class TRVPrintHost {
 public:
  virtual ~TRVPrintHost() = default;

  virtual TObject* GetPrintComponent() = 0;
  virtual bool GetMetafileCompatibility() = 0;
  virtual bool GetIgnorePageBreaks() = 0;
  // Root items whose pages are printed; a negative maximum means up to the last item.
  virtual int GetMinPrintedItemNo() = 0;
  virtual int GetMaxPrintedItemNo() = 0;
  // The number shown on global page PageNo.
  virtual int GetDispPageNo(int PageNo) = 0;
  virtual int GetPagesCount() = 0;
  // Y on the first page at which the document begins; Y at which it ends on the last page.
  virtual int GetStartAt() = 0;
  virtual int GetEndAt() = 0;
  virtual void SetEndAt(int Value) = 0;
  // The printing component's own settings; a component without them answers the defaults.
  virtual TRVFixMarginsMode GetFixMarginsMode() { return rvfmmAutoCorrect; }
  virtual bool GetClipMargins() { return false; }
  // The document whose pages are printed (the source viewer's root data), nil when the component
  // prints its own viewer's document.
  virtual TCustomRVData* GetSourceRVData() { return nullptr; }
  // A virtual printer lays pages out for a fixed page in pixels instead of the printer.
  virtual bool GetVirtualPrinterActive() { return false; }
  virtual int GetVirtualPageWidth() { return 0; }
  virtual int GetVirtualPageHeight() { return 0; }
  virtual int GetVirtualPixelsPerInchX() { return 0; }
  virtual int GetVirtualPixelsPerInchY() { return 0; }
  // The printer's printable area in device pixels.
  virtual int GetPrinterPageWidth() { return 0; }
  virtual int GetPrinterPageHeight() { return 0; }

  std::function<void(TObject* Sender, TCustomRVData* RVData, int ItemNo, const TRect& R)> OnDrawHyperlink;
  std::function<void(TObject* Sender, TCustomRVData* RVData, int ItemNo, int X, int Y)> OnDrawCheckpoint;
  std::function<void(TObject* Sender, int PageNo, TCanvas* Canvas, bool Preview, const TRect& PageRect,
                     const TRect& PrintAreaRect)>
      OnPagePrepaint, OnPagePostpaint;
  std::function<void(TObject* Sender, int PageCompleted, TRVPrintingStep Step)> OnFormatting;
};

// The page-related part of the printed document of one footnote: what pagination fills in and
// reads. The footnote documents derive from it beside their printable data.
class TRVFootnotePageEntry {
 public:
  virtual ~TRVFootnotePageEntry() = default;
  // The formatted footnote document (its DocumentHeight is the room it takes).
  virtual TCustomPrintableRVData* GetNoteRVData() = 0;

  TRVFootnoteItemInfo* Footnote = nullptr;
  // The printable document holding the reference, and the reference's draw item there.
  TCustomRVFormattedData* FootnoteItemRVData = nullptr;
  int FootnoteDItemNo = -1;
  int IndexOnPage = 0;
};

// What printable documents ask of the hidden viewer that owns them.
class TRVPrintableViewer {
 public:
  virtual ~TRVPrintableViewer() = default;

  virtual TRVPrintHost* GetRVPrintHost() = 0;
  // Height of the gap that holds the line above footnotes and endnotes (device pixels).
  virtual int GetNoteSeparatorHeight() { return 0; }
  // The printed document of a footnote, nil when there is none.
  virtual TRVFootnotePageEntry* GetFootnoteRVData(TRVFootnoteItemInfo* /*Footnote*/) { return nullptr; }
  // Places the footnotes of a closed page (References: a TRVFootnoteRefList).
  virtual void CalcFootnotesCoords(TList* /*References*/, int /*PageNo*/) {}
  virtual void DrawNoteSeparatorAbove(int /*PageNo*/, int /*Y*/, TCanvas* /*Canvas*/, bool /*FullSize*/) {}
  // Page switches and margins of a printer-oriented viewer; false and zeros elsewhere.
  virtual bool GetMirrorMargins() { return false; }
  virtual bool GetFacingPages() { return false; }
  virtual bool GetTitlePage() { return false; }
  virtual TRVUnits GetUnits() { return rvuMillimeters; }
  // Left, Top, Right, Bottom in GetUnits().
  virtual void GetMargins(double& Left, double& Top, double& Right, double& Bottom) { Left = Top = Right = Bottom = 0; }
};

// ---- pages ----------------------------------------------------------------------------------------

// The footnote documents referenced on one page (entries are TRVFootnotePageEntry*, not owned).
class TRVFootnoteRefList : public TList {
 public:
  TRVFootnotePageEntry* Get(int Index) const { return static_cast<TRVFootnotePageEntry*>(TList::Get(Index)); }
  // Index of the entry printing Footnote, searching from the last entry; -1 when absent.
  int GetFootnoteIndex(TRVFootnoteItemInfo* Footnote) const;
  // By the footnotes' numbers.
  void Sort();
};

// The sidenote and text-box documents printed on one page (owned).
class TRVSidenoteList : public TRVList {
 public:
  TCustomPrintableRVData* GetItems(int Index) const;
};

// One page of a paginated document.
class TRVPageInfo {
 public:
  TRVPageInfo() = default;
  TRVPageInfo(const TRVPageInfo&) = delete;
  TRVPageInfo& operator=(const TRVPageInfo&) = delete;
  // Copies the five numbers; the target gets its own footnote list over the same documents and
  // keeps no sidenotes.
  void Assign(const TRVPageInfo& Source);

  // Document Y at which the page begins; its first draw item; 0, or the 1-based part of a split
  // draw item that opens the page; the Y used after that part; the height of the text placed.
  int StartY = 0, StartDrawItemNo = 0, StartPart = 0, StartY2 = 0, DocumentHeight = 0;
  std::unique_ptr<TRVFootnoteRefList> FootnoteRVDataList;
  std::unique_ptr<TRVSidenoteList> Sidenotes;
};

// Page n is item n-1.
class TRVPageCollection {
 public:
  TRVPageInfo* Add();
  TRVPageInfo* GetItem(int Index) const { return FItems[static_cast<size_t>(Index)].get(); }
  TRVPageInfo* operator[](int Index) const { return GetItem(Index); }
  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear() { FItems.clear(); }
  // Drops the pages after the first NewCount.
  void SetCount(int NewCount) {
    if (NewCount >= 0 && NewCount < Count()) FItems.resize(static_cast<size_t>(NewCount));
  }

 private:
  std::vector<std::unique_ptr<TRVPageInfo>> FItems;
};

// ---- draw items of printed documents -----------------------------------------------------------

// The draw item of an item that can be split across pages; part k is the slice printed on the
// k-th page showing the item. Item kinds that split (tables, pictures) derive from it.
class TRVMultiDrawItemInfo : public TRVComplexLineHeightDrawLineInfo {
 public:
  std::vector<std::unique_ptr<TRVMultiDrawItemPart>> PartsList;

  // Forgets every part.
  virtual void ResetPages(TRVFootnoteRefList*& /*FootnoteRVDataList*/, int& /*ReleasedHeightAfterFootnotes*/,
                          bool /*FootnotesChangeHeight*/) {
    PartsList.clear();
  }
  virtual void UnformatLastPage(TRVFootnoteRefList*& /*FootnoteRVDataList*/, int& /*ReleasedHeight*/,
                                bool /*FootnotesChangeHeight*/) {}
  virtual void AddAllFootnotes(TRVFootnoteRefList*& /*FootnoteRVDataList*/, int& /*AHeight*/,
                               bool /*FootnotesChangeHeight*/) {}
  virtual void DecHeightByFootnotes(int& /*AHeight*/, bool& /*ThisPageHasFootnotes*/) {}
  virtual void RemoveAllFootnotes(TRVFootnoteRefList*& /*FootnoteRVDataList*/, int& /*AHeight*/,
                                  bool /*FootnotesChangeHeight*/) {}
  virtual bool GetPartNo(TCustomRVData* /*RVData*/, int /*AItemNo*/, int /*OffsInItem*/, int& /*PartNo*/,
                         int& /*LocalPageNo*/, int& /*LocalPageCount*/, TCustomMultiPagePtblRVData*& /*PtRVData*/) {
    return false;
  }
  virtual int GetLocalPageNoFor(int /*Location*/, int /*Part*/) { return 1; }
  virtual TCustomMultiPagePtblRVData* GetPrintableRVDataFor(int /*Location*/) { return nullptr; }
};

// The draw item of a footnote reference in a printed document: pagination links it to the
// printed footnote.
class TRVFootnoteDrawItem : public TRVComplexLineHeightDrawLineInfo {
 public:
  TRVFootnotePageEntry* DocumentRVData = nullptr;
};

// ---- a printable document -------------------------------------------------------------------------

class TCustomPrintableRVData : public TViroZereRVData, public IRVBackgroundPage {
 public:
  // AViroZere is the printable viewer; when it implements TRVPrintableViewer the document reaches
  // the printing component through it.
  explicit TCustomPrintableRVData(TRVRootDataViewer* AViroZere);
  ~TCustomPrintableRVData() override;

  bool SharesItemList() const override { return true; }
  // Pages are painted in the print job's colour mode.
  TRVColorMode GetPaintColorMode() override { return GetColorMode(); }
  // Pages never scroll.
  int GetHOffs() override { return 0; }
  int GetVOffs() override { return 0; }
  TRVDocWidthChangeStates GetDrawingStates(bool NoCaching, bool Reformatting, bool UseFormatCanvas,
                                           bool ThisLevelOnly) override;

  // ---- page geometry and settings (virtual, in this order) ----
  virtual TRVBackground* GetPageBackground() { return nullptr; }
  virtual int GetPageStartY(int /*PageNo*/, int /*GlobalPageNo*/) { return 0; }
  virtual int GetPageStartY2(int /*PageNo*/, int /*GlobalPageNo*/) { return 0; }
  virtual int GetPrintableAreaTop(int /*PageNo*/) { return 0; }
  virtual int GetRotatedCellVOffs() { return 0; }
  virtual void DoPagePrepaint(TCanvas* /*Canvas*/, int /*GlobalPageNo*/, bool /*PageStartsInRange*/,
                              bool /*Correction*/, bool /*Preview*/, bool /*Printing*/) {}
  virtual void DoPagePostpaint(TCanvas* /*Canvas*/, int /*GlobalPageNo*/, bool /*PageEndsInRange*/,
                               bool /*Correction*/, bool /*Preview*/, bool /*Printing*/) {}
  virtual void CheckPageNo(int /*PageNo*/) {}
  virtual TRVColorMode GetColorMode() { return rvcmPrinterColor; }
  virtual void DoDrawHyperlink(TCustomRVData* /*RVData*/, int /*ItemNo*/, const TRect& /*R*/) {}
  virtual void DoDrawCheckpoint(TCustomRVData* /*RVData*/, int /*ItemNo*/, int /*X*/, int /*Y*/) {}
  virtual bool PageExists(int /*PageNo*/) { return true; }
  virtual bool IsPageSubDocument() { return false; }
  virtual bool NoMetafiles() { return false; }
  virtual int MetafilePixelsPerInch() { return 0; }
  virtual TCustomRVData* GetSourceRVDataForPrinting() { return nullptr; }
  virtual TCustomRVData* GetSourceRVDataForPrintingEx() { return GetSourceRVDataForPrinting(); }
  // The page's draw items StartNo..EndNo; Part: the part of StartNo that opens the page (-1: none).
  virtual void GetDrawItemsRange(int PageNo, int& StartNo, int& EndNo, int& Part);
  virtual int GetPrintableAreaLeft(int /*PageNo*/) { return 0; }
  virtual void DrawPage(int PageNo, int GlobalPageNo, TCanvas* Canvas, bool Printing, bool Preview, bool Correction);
  // IRVBackgroundPage: what the page shows behind a rectangle at (Left, Top) of the text area.
  void DrawBackToBitmap(int Left, int Top, TBitmap* bmp, const TRVScreenAndDevice& sad, int ItemBackgroundLayer,
                        bool RelativeToItem, bool AllowBitmaps, int PageNo) override {
    DrawBackToBitmapEx(Left, Top, bmp, sad, ItemBackgroundLayer, RelativeToItem, AllowBitmaps, true, PageNo);
  }
  virtual void DrawBackToBitmapEx(int Left, int Top, TBitmap* bmp, const TRVScreenAndDevice& sad,
                                  int ItemBackgroundLayer, bool RelativeToItem, bool AllowBitmaps,
                                  bool ParentAllowBitmaps, int PageNo);
  virtual void GetPrintableItemsRange(int& MinItemNo, int& MaxItemNo);
  virtual int GetContentHeightForPage(int /*PageNo*/) { return GetHeight(); }
  virtual TCanvas* InitPrinterCanvas() { return nullptr; }
  virtual void DonePrinterCanvas(TCanvas* /*Canvas*/) {}
  virtual void PostFormat(int GlobalPageNo);
  bool AllowTransparentDrawing() override { return false; }
  bool GetPrintedPageNumbers(int PageNo, int& DispPageNo, int& PageCount) override;
  // A document laid out in a rectangle of a page (header, footer, note, sidenote) takes its place
  // here (device pixels, relative to the parent's printable area); other documents ignore it.
  virtual void SetPageRect(int /*Left*/, int /*Top*/, int /*Width*/, int /*Height*/) {}
  virtual void SetPageRectLeft(int /*Left*/) {}

  // ---- non-virtual ----
  // The printable viewer (nil when the viewer is not one) and the printing component.
  TRVPrintableViewer* GetPrintableViewer() const { return FPrintableViewer; }
  TRVPrintHost* GetRVPrint() const;
  // Adjusts the page-dependent widths (page numbers, counts) of the page's draw items.
  void PostFormatPage(int PageNo, int DispPageNo, int PageCount);
  void CalcFootnotesCoords(TList* References, int PageNo);

  // ---- fields ----
  std::unique_ptr<TBitmap> FBackgroundBmp;  // while a page with a background image is drawn
  TRVDrawLineInfo* FDrawItem = nullptr;
  TParaInfo* FParaStyle = nullptr;
  TCustomRVItemInfo* FTextBoxItem = nullptr;
  int FItemTop = 0;
  bool ParentDrawsBack = false;

 protected:
  void DrawPageBackground(TCanvas* Canvas, int GlobalPageNo, const TRVScreenAndDevice& sad, bool Preview,
                          bool Printing);
  void FindPagePartsOfSplitItems(int PageNo, int From, int To, int Part, TRVPrintedPage& Page);

 private:
  TRVPrintableViewer* FPrintableViewer = nullptr;
};

// ---- a document cut into pages ----------------------------------------------------------------

class TCustomMultiPagePtblRVData : public TCustomPrintableRVData {
 public:
  using TCustomPrintableRVData::TCustomPrintableRVData;
  ~TCustomMultiPagePtblRVData() override;

  // ---- virtual, in this order ----
  virtual void DoFormatting(int /*PageCompleted*/, TRVPrintingStep /*Step*/) {}
  virtual int GetFirstPageStartAt() { return 0; }
  virtual int GetNextPageStartAt() { return 0; }
  virtual void SetEndAt(int /*Bottom*/) {}
  virtual void AddPageStartOffset(int /*PageNo*/) {}
  virtual bool AllowEmptyStartPage() { return true; }
  virtual TRVSidenoteList* GetSidenoteList(int PageNo);

  // ---- overrides ----
  void GetDrawItemsRange(int PageNo, int& StartNo, int& EndNo, int& Part) override;
  void PostFormat(int GlobalPageNo) override;
  int GetPageStartY(int PageNo, int GlobalPageNo) override;
  int GetPageStartY2(int PageNo, int GlobalPageNo) override;
  bool PageExists(int PageNo) override;
  void GetSaveScopeRange(int SaveScope, int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs,
                         TRVMultiDrawItemPart*& StartPart, TRVMultiDrawItemPart*& EndPart,
                         TCustomRVItemInfo*& SelectedItem) override;

  // ---- pagination ----
  // Lays out one more page. The driver keeps the state between calls: i the next draw item,
  // StartAt the Y on the page where this document begins, StartY the document Y at the page's
  // top, Y a working height, Splitting whether draw item i is being split, MaxHeight the page's
  // text height (less footnotes), FootnoteRVDataList the footnotes of the current page (nil
  // before each page; the page takes it over when it closes).
  void FormatNextPage(int& i, int& StartAt, int& StartY, int& Y, bool& Splitting, int& MaxHeight,
                      TRVFootnoteRefList*& FootnoteRVDataList, bool FootnotesChangeHeight);
  // Whether the beginning of this document fits into Height on the current page.
  bool CanPlaceFirstPageHere(int& Height, bool ParentIsFirstItemOnPage, const TRVScreenAndDevice& sad,
                             bool ThisPageHasFootnotes, bool FootnotesChangeHeight);
  int GetNoteSeparatorHeight();
  TRVFootnotePageEntry* GetFootnoteRVData(TRVFootnoteItemInfo* Footnote);
  // The page printing item position (ItemNo, OffsetInItem) of RVData; false when not found.
  bool GetPageNo(TCustomRVData* RVData, int ItemNo, int OffsetInItem, TCustomRVData* PrintSourceRVData, int& PageNo,
                 int& LocalPageNo, int& LocalPageCount, TCustomMultiPagePtblRVData*& PtRVData);
  void GetFirstItemOnPageEx(int PageNo, int& ItemNo, int& OffsetInItem, int& ExtraData);
  bool IsComplexSoftPageBreak(int PageNo);
  void AssignComplexSoftPageBreakToItem(int PageNo, TCustomRVData* RVData);
  bool SavePageAsRVF(TStream* Stream, int PageNo, TColor Color, TObject* Background, TRVLayoutInfo* Layout);
  int PagesCount() const { return Pages ? Pages->Count() : 0; }

  // ---- sidenotes and text boxes on pages (placed by the sidenote unit) ----
  virtual void PrepareSidenotes(TCustomMainPtblRVData* PrintData, TRVHFType HFType);
  virtual void DrawSidenotes(TCanvas* Canvas, int PageNo, bool PostFormat, bool PositionInText, bool Correction,
                             bool Preview, bool Printing, int GlobalPageNo);

  // ---- fields ----
  int StreamSavePage = 0;
  std::unique_ptr<TRVPageCollection> Pages;

 protected:
  // Line top and bottom of draw item k (paragraph space included), as pagination measures them.
  int LineBottom(int k, const TRVScreenAndDevice& sad);
  int LineTop(int k, const TRVScreenAndDevice& sad);
  int SpaceBeforeOf(int DrawItemNo, const TRVScreenAndDevice& sad);
  int SpaceAfterOf(int DrawItemNo, const TRVScreenAndDevice& sad);

 private:
  struct TPaginationCall;
  bool ChoosePageBreak(TPaginationCall& C, bool SplittingItem, bool ItemDidNotFit, bool ExactBreak, TParaInfo* Para);
  void ClosePage(TRVPageInfo* Page, int ContentBottom);
  void StoreFootnotes(TPaginationCall& C, TRVPageInfo* Page);
};

// ---- the document of a print job -----------------------------------------------------------------

class TCustomMainPtblRVData : public TCustomMultiPagePtblRVData {
 public:
  explicit TCustomMainPtblRVData(TRVRootDataViewer* AViroZere);
  ~TCustomMainPtblRVData() override;

  // ---- virtual, in this order ----
  virtual void PreparePageMetrics();
  virtual int GetPageWidth() { return 0; }
  virtual int GetPageHeight() { return 0; }
  virtual void FinalizeFormatPages();
  virtual TRVMarkerList* GetPrevMarkers();

  // ---- overrides ----
  void Clear() override;
  TColor GetColor() override;
  void InitScreenAndDevice(TCanvas* Canvas, TRVScreenAndDevice& SaD) override;
  bool GetFirstParaListInfo(int& ListNo, int& Level) override;
  TCanvas* GetCanvas() override { return PrinterCanvas; }
  bool IgnorePageBreaks() override;
  TRVBackground* GetPageBackground() override { return GetBackground(); }
  int GetPageStartY(int PageNo, int GlobalPageNo) override;
  int GetPageStartY2(int PageNo, int GlobalPageNo) override;
  int GetPrintableAreaTop(int GlobalPageNo) override { return GetTmpMForPage(GlobalPageNo).Top; }
  int GetPrintableAreaLeft(int GlobalPageNo) override { return GetTmpMForPage(GlobalPageNo).Left; }
  int GetContentHeightForPage(int GlobalPageNo) override;
  void CheckPageNo(int PageNo) override;
  TRVColorMode GetColorMode() override { return ColorMode; }
  bool NoMetafiles() override { return FNoMetafiles; }
  int MetafilePixelsPerInch() override { return FMetafilePixelsPerInch; }
  void DoDrawHyperlink(TCustomRVData* RVData, int ItemNo, const TRect& R) override;
  void DoDrawCheckpoint(TCustomRVData* RVData, int ItemNo, int X, int Y) override;
  TCustomRVData* GetSourceRVDataForPrinting() override { return this; }
  void GetPrintableItemsRange(int& MinItemNo, int& MaxItemNo) override;
  void DrawPage(int PageNo, int GlobalPageNo, TCanvas* Canvas, bool Printing, bool Preview, bool Correction) override;
  void DoPagePrepaint(TCanvas* Canvas, int GlobalPageNo, bool PageStartsInRange, bool Correction, bool Preview,
                      bool Printing) override;
  void DoPagePostpaint(TCanvas* Canvas, int GlobalPageNo, bool PageEndsInRange, bool Correction, bool Preview,
                       bool Printing) override;
  int GetFirstPageStartAt() override;
  void SetEndAt(int Y) override;
  void AddPageStartOffset(int PageNo) override;

  // ---- non-virtual ----
  // The kind of global page PageNo (title page, even page, normal page).
  TRVHFType GetPageType(int GlobalPageNo);
  TRect& GetTmpM(TRVHFType HFType);
  TRect& GetTmpMForPage(int GlobalPageNo) { return GetTmpM(GetPageType(GlobalPageNo)); }
  int& GetContentHeight(TRVHFType HFType);
  void PostFormatPageNotes();

  // ---- fields ----
  std::unique_ptr<TRVMarkerList> FPrevMarkers;
  TCanvas* PrinterCanvas = nullptr;
  int TmpTMPix = 0, TmpBMPix = 0;
  TRVScreenAndDevice PrnSad;
  int FTopMarginPix = 0, FBottomMarginPix = 0;
  bool Transparent = false;
  // Margins (Left, Top, Right, Bottom) in device pixels from the device's printable area, each
  // including the room of that kind's header and footer.
  TRect TmpMNormal{0, 0, 0, 0}, TmpMFirstPage{0, 0, 0, 0}, TmpMEvenPages{0, 0, 0, 0};
  // The device's unprintable border on each side.
  TRect PhysM{0, 0, 0, 0};
  int ContentHeightNormal = 0, ContentHeightFirstPage = 0, ContentHeightEvenPages = 0;
  TRVColorMode ColorMode = rvcmPrinterColor;
  bool FIsDestinationReady = false;
  bool FNoMetafiles = false;
  int FMetafilePixelsPerInch = 0;
};

// Keeps A inside Size and A + B inside Size.
void ClampMarginPair(int& A, int& B, int Size);

// ---- the document of a printer-oriented print job -------------------------------------------------

class TPrintableRVData : public TCustomMainPtblRVData {
 public:
  explicit TPrintableRVData(TRVRootDataViewer* AViroZere);
  ~TPrintableRVData() override;

  TCustomRVData* GetSourceRVDataForPrintingEx() override;
  TRVMarkerList* GetMarkers(bool AllowCreate) override;
  TCanvas* InitPrinterCanvas() override;
  void DonePrinterCanvas(TCanvas* Canvas) override;
  void DoFormatting(int PageCompleted, TRVPrintingStep Step) override;
  int GetPrintableAreaLeft(int GlobalPageNo) override;
  int GetPageWidth() override;
  int GetPageHeight() override;
  void PreparePageMetrics() override;
  void DoPagePrepaint(TCanvas* Canvas, int GlobalPageNo, bool PageStartsInRange, bool Correction, bool Preview,
                      bool Printing) override;
  void DoPagePostpaint(TCanvas* Canvas, int GlobalPageNo, bool PageEndsInRange, bool Correction, bool Preview,
                       bool Printing) override;

  // The header and footer documents of a page's kind (nil when that kind has none: no fallback to
  // the normal ones).
  TCustomMultiPagePtblRVData* GetHeaderForPage(int GlobalPageNo);
  TCustomMultiPagePtblRVData* GetFooterForPage(int GlobalPageNo);
  std::unique_ptr<TCustomMultiPagePtblRVData>& GetHeaderOrFooter(TRVHFType HFType, bool IsHeader);
  void InitVirtualPrinterMetrics();

  // ---- fields ----
  HRGN Rgn = nullptr;
  bool RgnValid = false;
  int TmpLMMir = 0;
  std::unique_ptr<TCustomMultiPagePtblRVData> Header, Footer, FirstPageHeader, FirstPageFooter, EvenPagesHeader,
      EvenPagesFooter;
  // Distance of the header's top from the paper's top and of the footer's bottom from the
  // paper's bottom, in the viewer's units.
  TRVLength HeaderY = 10, FooterY = 10;
};
