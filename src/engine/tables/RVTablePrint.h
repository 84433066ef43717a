// Printing tables: the printing draw item of a table (one per printed document), the slices of it
// that the page formatter places on pages, and the printable copies of the cell documents, each
// paginated on its own so that a tall cell continues on the next page in the middle of its text.
//
// The page formatter (engine/print) drives the split: InitSplit once, CanSplitFirst when the table
// does not open a page, then SplitAt once a page until it answers false. Heading rows repeat at the
// top of every slice; footnotes referenced from cells take room on the page of their row.
#pragma once

#include <memory>
#include <vector>

#include "engine/foundation/RVClasses.h"
#include "engine/print/PtblRVData.h"
#include "engine/print/RVPageRects.h"

class TRVTableItemInfo;
class TRVTableItemFormattingInfo;
class TRVTableCellData;
class TRVTablePrintInfo;

// The pagination state of a cell copy before its last formatted page.
struct TRVPageFormatSaveRec {
  int DrawItemNo = 0, StartAt = 0, StartY = 0, Y = 0, EndAt = 0, PagesCount = 0;
  bool Splitting = false;
};

// The printable copy of one cell document. Its style sheet and line order are its cell's; its
// page list is made by the first FormatNextPage and freed by ResetPages.
class TCellPtblRVData : public TRectPtblRVData {
 public:
  TCellPtblRVData(TCustomPrintableRV* ViroZere, TCustomPrintableRVData* ParentPrintData, TRVTableCellData* Cell);
  ~TCellPtblRVData() override;

  // The cell copy measures and draws with its parent printed document's device.
  void InitScreenAndDevice(TCanvas* Canvas, TRVScreenAndDevice& SaD) override;
  TCanvas* GetCanvas() override;
  TRVColorMode GetColorMode() override;
  bool IsLineOrderReversed() override;
  bool IsPageSubDocument() override { return false; }
  bool AllowEmptyStartPage() override { return false; }
  void SetEndAt(int Bottom) override { EndAt = Bottom; }
  int GetFirstPageStartAt() override { return 0; }
  int GetNextPageStartAt() override { return 0; }

  // One more page in MaxHeight; false when everything was placed already. A FootnoteRVDataList
  // that is not nil tells that the note separator is counted already (the list itself is left
  // alone); LastFootnotesHeight is then the room the page's footnotes took.
  bool FormatNextPage(int MaxHeight, TRVFootnoteRefList*& FootnoteRVDataList, bool FootnotesChangeHeight);
  void UnformatLastPage(TRVFootnoteRefList*& FootnoteRVDataList, int& ReleasedHeight, bool FootnotesChangeHeight);
  void ResetPages(TRVFootnoteRefList*& FootnoteRVDataList, int& ReleasedHeight, bool FootnotesChangeHeight);
  // No draw items, or every draw item placed.
  bool Finished() const;

  // The footnotes of the copy's draw items (of page PageNo; 0: of every draw item).
  void AddFootnotes(TRVFootnoteRefList*& FootnoteRVDataList, int& Height, bool FootnotesChangeHeight, int PageNo = 0);
  bool DecHeightByFootnotes(int& Height, bool& ThisPageHasFootnotes, int PageNo = 0);
  void RemoveFootnotes(TRVFootnoteRefList*& FootnoteRVDataList, int& Height, bool FootnotesChangeHeight,
                       int PageNo = 0);

  TRVTableCellData* GetCell() const { return FCell; }
  // The page height of page PageNo (the document height when there are fewer pages).
  int GetPageHeight(int PageNo);

  // The pagination state, in declared order.
  int DrawItemNo = 0, StartAt = 0, StartY = 0, Y = 0, CurPageNo = 0, EndAt = 0;
  bool Splitting = false;
  TRVPageFormatSaveRec PrevPageInfo;
  int LastFootnotesHeight = 0;

 private:
  // The draw items of page PageNo (0: all).
  void PageDrawItems(int PageNo, int& First, int& Last);
  TRVTableCellData* FCell;
};

// One page's slice of a printed table.
class TRVTablePrintPart : public TRVMultiDrawItemPart {
 public:
  TRVTablePrintPart(TRVDrawLineInfo* AOwner, TRVTableItemFormattingInfo* AFmt);
  ~TRVTablePrintPart() override;

  int GetSoftPageBreakInfo() override;
  bool IsComplexSoftPageBreak(TRVDrawLineInfo* DrawItem) override;
  void AssignSoftPageBreaksToItem(TRVDrawLineInfo* DrawItem, TCustomRVItemInfo* Item) override;

  // The first row's entry of a column: 0 finished earlier, 1 starts here, n > 1 continues with
  // the cell copy's page n. Nil when the part starts on a row boundary.
  std::unique_ptr<TRVIntegerList> FTableTopCutLine;
  // The same for the next part; nil when this part ends on a row boundary.
  std::unique_ptr<TRVIntegerList> FTableBottomCutLine;
  // Slot k: grid row FRowIndices[k] whose top is FRowStarts[k] in the printing layout; the last
  // entries give the bottom of the part's rows and repeat the last row.
  TRVIntegerList FRowStarts, FRowIndices;
  bool FRowFinished = true;
  int FHeadingHeight = 0;
  TRVTableItemFormattingInfo* FFmtRef;
};

// What the table's painting reads while a table prints: the printing layout and the cell being
// printed (CellRow -1: the table itself).
class TRVTablePrintData : public TObject {
 public:
  TRect CellRect{0, 0, 0, 0};
  int CellRow = -1, CellCol = -1, CellPage = 0;
  TRVTableItemFormattingInfo* CurrentPrintFmt = nullptr;
};

// What the table's drawing routine paints of a printed part instead of the screen layout: the
// cells in painting order (heading rows first) with their padding boxes relative to the table's
// top-left corner, the tops of the printed rows in order (a horizontal rule lies above each but the
// first), and the height of the part.
struct TRVTablePrintedCells {
  struct TCell {
    int Row = 0, Col = 0;
    TRect Rect{0, 0, 0, 0};
    // The page of the cell's printable copy shown here (0 or less: background and border only).
    int Page = 1;
  };
  std::vector<TCell> Cells;
  std::vector<int> RowTops;
  int Height = 0;
};

// The printing draw item of a table.
class TRVTablePrintInfo : public TRVMultiDrawItemInfo {
 public:
  explicit TRVTablePrintInfo(TRVTableItemInfo* ATable);
  ~TRVTablePrintInfo() override;

  bool PrintsFullLineItem() const override { return true; }
  // The table's layout at the device's resolution in Fmt: columns by the table's layout pass, cell
  // copies placed and formatted at their cells' widths, rows as tall as the printed cells.
  void LayOutForPrinting(int DocWidth, TCanvas* Canvas) override;
  // The size comes from the layout.
  void SetSize(int /*AWidth*/, int /*AHeight*/) override {}

  bool InitSplit(const TRVScreenAndDevice& Sad, bool IgnorePageBreaks) override;
  bool CanSplitFirst(int Y, const TRVScreenAndDevice& Sad, bool FirstOnPage, bool PageHasFootnotes,
                     bool FootnotesChangeHeight, bool IgnorePageBreaks) override;
  bool SplitAt(int Y, const TRVScreenAndDevice& Sad, bool FirstOnPage, TList*& FootnoteRVDataList, int& MaxHeight,
               bool FootnotesChangeHeight, bool IgnorePageBreaks) override;

  void ResetPages(TRVFootnoteRefList*& FootnoteRVDataList, int& ReleasedHeightAfterFootnotes,
                  bool FootnotesChangeHeight) override;
  void UnformatLastPage(TRVFootnoteRefList*& FootnoteRVDataList, int& ReleasedHeight,
                        bool FootnotesChangeHeight) override;
  void AddAllFootnotes(TRVFootnoteRefList*& FootnoteRVDataList, int& AHeight, bool FootnotesChangeHeight) override;
  void DecHeightByFootnotes(int& AHeight, bool& ThisPageHasFootnotes) override;
  void RemoveAllFootnotes(TRVFootnoteRefList*& FootnoteRVDataList, int& AHeight, bool FootnotesChangeHeight) override;
  bool GetPartNo(TCustomRVData* RVData, int AItemNo, int OffsInItem, int& PartNo, int& LocalPageNo, int& LocalPageCount,
                 TCustomMultiPagePtblRVData*& PtRVData) override;
  // Location: the grid position row x column count + column.
  int GetLocalPageNoFor(int Location, int Part) override;
  TCustomMultiPagePtblRVData* GetPrintableRVDataFor(int Location) override;
  // Where the copy at Location lies on part Part (the part's coordinates, the table's top-left at
  // 0, 0); false when its row is not printed there.
  bool GetSubDocCoords(int Location, int Part, TRect& InnerCoords, TRect& OuterCoords, TPoint& Origin);

  // The copy of the cell at (Row, Col); nil for a covered position.
  TCellPtblRVData* GetCellCopy(int Row, int Col) const;
  TRVTablePrintPart* GetPart(int Index) const;
  // The parts list without the placeholder.
  int RealPartCount() const;

  TRVScreenAndDevice sad;
  TRVTableItemInfo* FTable;
  int FHeadingRowCount = 0;
  std::unique_ptr<TRVTableItemFormattingInfo> Fmt;

 private:
  struct TSplitCall;
  int CellHeightOnPage(TSplitCall& C, int Row, int Col, int v, int Slot, bool FirstSlot, bool& RowUnfinished);
  void AddHeadingFootnotes(TRVFootnoteRefList*& List, int& Height, bool FootnotesChangeHeight);
  void FormatFirstPagesOfRows(int FromRow, int ToRow);
  // The device lengths of the table for the resolution in force.
  void Lengths(int& BW, int& BVS, int& CBW, int& CVP, int& CVS) const;
};
