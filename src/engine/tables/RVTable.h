// The table item (kind -60): a full-line item holding a rectangular grid of cells, each a
// document of its own, where cells can be merged into rectangles. The grid (TRVTableRows of
// TRVTableRow), the representation of merged cells and its invariants, the published properties
// with their defaults, and the queries that walk the grid.
//
// Grid invariants: every row has ColCount positions; a position holds a cell or nil; a cell at
// (r, c) with spans (rs, cs) covers rows r..r+rs-1 and columns c..c+cs-1, every other position of
// that rectangle is nil; every nil lies in exactly one such rectangle; rectangles do not overlap
// and stay inside the grid. A cell's owner list is the row that holds it.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "engine/document/RVNonTextItems.h"
#include "engine/foundation/RVClasses.h"
#include "engine/tables/RVTableCellData.h"
#include "engine/tables/RVTableStorageTypes.h"

class TRVUndoModifyItemProps;
using TRVUndoModifyItemPropsClass = TRVUndoModifyItemProps* (*)();

class TRVTableItemInfo;
class TRVTableRows;
struct TRVTablePrintedCells;
class TCustomRVFormattedData;

// ---- enums and sets ---------------------------------------------------------------------------

enum TRVTableState : std::uint8_t {
  rvtsInserted, rvtsEditMode, rvtsModified, rvtsFormatInplace, rvtsVerticalDraggedRule, rvtsDRChangeTableWidth,
  rvtsJustCreated, rvtsInplaceIsReformatting, rvtsSelExists, rvtsSavingFragment
};
using TRVTableStates = TSet<TRVTableState, 16>;

enum TRVTableColorProperty : std::uint8_t {
  rvtcColor, rvtcBorderColor, rvtcBorderLightColor, rvtcCellBorderColor, rvtcCellBorderLightColor,
  rvtcHeadingRowColor, rvtcLastRowColor, rvtcOddRowsColor, rvtcEvenRowsColor, rvtcFirstColumnColor,
  rvtcLastColumnColor, rvtcOddColumnsColor, rvtcEvenColumnsColor, rvtcVRuleColor, rvtcHRuleColor,
  rvtcCellOverrideColor
};
constexpr int RVTableColorPropertyCount = 16;

// The screen cursors a table registers: selecting a column from the top border, a row from the
// left border.
constexpr int crRVSelectCol = 105;
constexpr int crRVSelectRow = 104;

// Indexes of the integer properties.
constexpr int RVTableRowBandSizeIndex = 0;
constexpr int RVTableColBandSizeIndex = 1;
constexpr int RVTableHeadingRowCountIndex = 2;

enum TRVTableBorderStyle : std::uint8_t { rvtbRaised, rvtbLowered, rvtbColor, rvtbRaisedColor, rvtbLoweredColor };

const std::vector<UnicodeString>& RVTableBorderStyleNames();

enum TRVTableOption : std::uint8_t {
  rvtoEditing, rvtoRowSizing, rvtoColSizing, rvtoRowSelect, rvtoColSelect, rvtoNoCellSelect,
  rvtoRTFSaveCellPixelBestWidth, rvtoRTFAllowAutofit, rvtoHideGridLines, rvtoOverlappingCorners,
  rvtoCellBelowBorders, rvtoIgnoreContentWidth, rvtoIgnoreContentHeight
};
using TRVTableOptions = TSet<TRVTableOption, 16>;
inline const TRVTableOptions RVTableDefaultOptions{rvtoEditing, rvtoRowSizing, rvtoColSizing, rvtoRowSelect,
                                                   rvtoColSelect};

enum TRVTablePrintOption : std::uint8_t { rvtoHalftoneBorders, rvtoRowsSplit, rvtoWhiteBackground, rvtoContinue };
using TRVTablePrintOptions = TSet<TRVTablePrintOption, 8>;
inline const TRVTablePrintOptions RVTableDefaultPrintOptions{rvtoHalftoneBorders, rvtoRowsSplit};

// Where the cell editor was, kept across reformatting.
struct TRVTableInplaceParamStorage {
  bool Stored = false;
  int StartNo = 0, EndNo = 0, StartOffs = 0, EndOffs = 0;
  int Row = -1, Col = -1;
  TCustomRVItemInfo* PartialSelected = nullptr;
};

// The stored position of a cell sub-document.
class TRVTableStoreSubRVData : public TRVStoreSubRVData {
 public:
  TRVTableStoreSubRVData(int ARow, int ACol) : Row(ARow), Col(ACol) {}
  std::unique_ptr<TRVStoreSubRVData> Duplicate() const override;
  // By row, then column.
  int Compare(const TRVStoreSubRVData* StoreSub) const override;
  int Row, Col;
};

// ---- events -------------------------------------------------------------------------------------

using TRVTableDrawBorderEvent = std::function<void(
    TRVTableItemInfo* Sender, TCanvas* Canvas, int Left, int Top, int Right, int Bottom, TRVStyleLength Width,
    TColor LightColor, TColor Color, TColor BackgroundColor, TRVTableBorderStyle Style, bool Printing,
    TRVBooleanRect* VisibleBorders, int Row, int Col, bool& DoDefault)>;
using TRVTableDrawBackEvent =
    std::function<void(TRVTableItemInfo* Sender, TCanvas* Canvas, int Left, int Top, int Right, int Bottom,
                       bool TableSelected, bool CellSelected, bool Printing, int Row, int Col, bool& DoDefault)>;
using TRVCellEditingEvent =
    std::function<void(TRVTableItemInfo* Sender, int Row, int Col, bool Automatic, bool& AllowEdit)>;
using TRVCellEndEditEvent = std::function<void(TRVTableItemInfo* Sender, int Row, int Col, bool Clearing)>;

// ---- the result of a layout ------------------------------------------------------------------

class TRVTableItemFormattingInfo : public TObject {
 public:
  // ==== model (RVTable.cpp) ====
  explicit TRVTableItemFormattingInfo(bool CreateRows);
  ~TRVTableItemFormattingInfo() override;
  // Empties the four lists.
  virtual void Clear();
  // Sets their counts to 0 and keeps their memory.
  void QuickClear();

  // Device pixels: inner column widths, x of each column's cell area relative to the table, and
  // the same for rows.
  TRVIntegerList ColWidths, RowHeights, ColStarts, RowStarts;
  int FWidth = 0, FHeight = 0;
  // Only for printing copies.
  std::unique_ptr<TRVList> Rows;

  // ==== layout (RVTableLayout.cpp) ====

  // ==== painting (RVTablePaint.cpp) ====

  // ==== storage (RVTableRVF.cpp) ====

  // ==== printing (RVTablePrint.cpp) ====

  // ==== editing (next issue) ====
};
// Class references: the constructors of the formatting-info and cell classes a table makes.
using TRVTableItemFormattingInfoClass = std::unique_ptr<TRVTableItemFormattingInfo> (*)(bool CreateRows);
using TRVTableCellDataClass = TRVTableCellData* (*)(TRVTableRow* ARow);

// ---- the grid -----------------------------------------------------------------------------------

// One row of the grid: owns its cells (nil at positions covered by a merged cell).
class TRVTableRow : public TRVDataList {
 public:
  // ==== model (RVTable.cpp) ====
  TRVTableRow(int nCols, TRVTableRows* ARows, TCustomRVData* MainRVData);
  ~TRVTableRow() override;

  TCustomRVData* GetParentRVData() const override;
  TRVTableCellData* GetCell(int Index) const { return static_cast<TRVTableCellData*>(Get(Index)); }
  TRVTableCellData* operator[](int Index) const { return GetCell(Index); }
  // A new cell of the table's cell class, appended or inserted.
  TRVTableCellData* Add();
  TRVTableCellData* Insert(int Index);
  // A covered position (nil) inserted at Index.
  void InsertPointer(int Index);
  // An existing cell inserted at Index; its owner becomes this row.
  void InsertCell(int Index, TRVTableCellData* Cell);
  // Stores a cell or nil; a cell's owner becomes this row. The old object is not freed.
  void PutCell(int Index, TRVTableCellData* Cell);
  // The largest best height of the row's cells that span one row (style units).
  TRVStyleLength GetBestHeight() const;
  // The largest content height of the row's cells that span one row; 10 when that is 0.
  int GetHeight(TRVStyle* RVStyle) const;
  TRVTableRows* GetRows() const { return FRows; }

  TRVCellVAlign FVAlign = rvcTop;
  bool FPageBreakBefore = false;
  bool FKeepTogether = false;
  TRVTableRows* FRows;

  // ==== layout (RVTableLayout.cpp) ====

  // ==== painting (RVTablePaint.cpp) ====

  // ==== storage (RVTableRVF.cpp) ====

  // ==== printing (RVTablePrint.cpp) ====

  // ==== editing (next issue) ====
};

// The grid: owns its rows.
class TRVTableRows : public TRVList {
 public:
  // ==== model (RVTable.cpp) ====
  TRVTableRows(int nRows, int nCols, TCustomRVData* AMainRVData, TRVTableItemInfo* ATable);
  ~TRVTableRows() override;

  TRVTableRow* GetRow(int Index) const { return static_cast<TRVTableRow*>(Get(Index)); }
  TRVTableRow* operator[](int Index) const { return GetRow(Index); }
  // Frees every row, then appends nRows rows of nCols new cells.
  void Reset(int nRows, int nCols);
  // Appends a row of nCols new cells.
  TRVTableRow* Add(int nCols);
  // An existing row inserted at Index; its back-reference becomes this grid.
  void InsertRow(int Index, TRVTableRow* Row);
  // No rows, or a first row without positions.
  bool Empty() const;
  // The cell covering (ARow, ACol) and its own position.
  TRVTableCellData* GetMainCell(int ARow, int ACol, int& MRow, int& MCol) const;
  // Clips the spans to the grid; False when nothing is left to merge; raises on an empty
  // rectangle; True when (TopRow, LeftCol) holds a cell that does not already cover it.
  bool NormalizeMergeRect(int TopRow, int LeftCol, int& ColSpan, int& RowSpan) const;
  bool CanMergeCells(int TopRow, int LeftCol, int ColSpan, int RowSpan, bool AllowMergeRC) const;
  TRVTableItemInfo* GetTable() const { return FTable; }

  TCustomRVData* FMainRVData;
  TRVTableItemInfo* FTable;

  // ==== layout (RVTableLayout.cpp) ====

  // ==== painting (RVTablePaint.cpp) ====

  // ==== storage (RVTableRVF.cpp) ====

  // ==== printing (RVTablePrint.cpp) ====

  // ==== editing (next issue) ====
  // Merges the rectangle into the cell at (TopRow, LeftCol): the other cells' documents are
  // appended to it; the emptied cells go to the undo record (or are freed). With ChangeBestWidth
  // the merged cell's best width becomes the combined one.
  void MergeCells(int TopRow, int LeftCol, int ColSpan, int RowSpan, bool AllowMergeRC, bool ChangeBestWidth);

  // ==== grid editing (RVTableGrid.cpp) ====
  // Structure operations. Each keeps the grid invariants and, while undo is recorded for the
  // table, adds one record per elementary step to the editor's undo list. A bad index raises
  // "Invalid row or column index" before anything changes.
  void InsertCols(int Index, int Count, bool DivideBestWidth, int CopyIndex);
  void InsertRows(int Index, int Count, bool DivideBestHeight, int CopyIndex);
  void DeleteRows(int Index, int Count, bool DecreaseBestHeight);
  void DeleteCols(int Index, int Count, bool DecreaseBestWidth);
  void UnmergeCell(int Row, int Col, bool UnmergeCols, bool UnmergeRows);
  void UnmergeCells(int TopRow, int LeftCol, int RowCount, int ColCount, bool UnmergeCols, bool UnmergeRows);
  // Each returns the number of grid columns (rows) added.
  int SplitCellVertically(int Row, int Col, int Count);
  int SplitCellHorizontally(int Row, int Col, int Count);
  int SplitCellsVertically(int TopRow, int LeftCol, int RowCount, int ColCount, int Count);
  int SplitCellsHorizontally(int TopRow, int LeftCol, int RowCount, int ColCount, int Count);
  // Replaces the i-th listed cell (Rows[i], Cols[i]) by an empty cell with its attributes, spans
  // and first text and paragraph styles. With Removed the old cells are appended to it and told
  // they move to UndoRecord; without, their documents are only cleared.
  void ClearCells(std::vector<TRVTableCellData*>* Removed, const TRVIntegerList& Rows, const TRVIntegerList& Cols,
                  TRVUndoInfo* UndoRecord);

  // The table's item number while undo is recorded for it, else -1.
  int GetUndoItemNo() const;
  // A record of the class Make makes, added to the current undo list; nil when none records.
  TRVUndoModifyItemProps* AddUndo(TRVUndoModifyItemPropsClass Make, bool AffectWidth, bool AffectSize);

  // Elementary steps: each makes its change and records the record that takes it back (the
  // undo records call them for the opposite change).
  // Held: rows (a cell) an undone insertion kept, inserted again instead of new ones.
  void Do_InsertRows(int Row, int Count, std::vector<TRVTableRow*>* Held = nullptr);
  void Do_UninsertRows(int Row, int Count);
  void Do_InsertCell(int Row, int Col, TRVTableCellData** Held = nullptr);
  void Do_UninsertCell(int Row, int Col);
  void Do_SpreadOverEmptyCells(int Row, int Col, int ColSpan);
  void Do_UnspreadOverEmptyCells(int Row, int Col, int ColSpan);
  void Do_SetSpan(int Row, int Col, bool IsColSpan, int Span);
  void Do_ChangeEmptyCellStyles(int Row, int Col, int StyleNo, int ParaNo);
  void Do_FreeEmptyCells(int Row, int Col, int RowCount, int ColCount);
  void Do_UnfreeEmptyCells(int Row, int Col, int RowCount, int ColCount);
  void Do_InsertEmptyCells(int Row, int Col, int RowCount, int ColCount);
  void Do_UninsertEmptyCells(int Row, int Col, int RowCount, int ColCount);
  void Do_SplitCellHorz(int Row, int Col, int Row2, bool DecreaseHeight);
  void Do_JoinCellHorz(int Row, int Col, int Row2, TRVStyleLength OldBestHeight, bool DecreaseHeight);
  void Do_SplitCellVert(int Row, int Col, int Col2, bool DecreaseWidth);
  void Do_JoinCellVert(int Row, int Col, int Col2, TRVHTMLLength OldBestWidth, bool DecreaseWidth);
  void Do_DeleteRows(int Row, int Count);
  void Do_RestoreRows(int Row, std::vector<TRVTableRow*>& Rows);
  void Do_DeleteCols(int Col, int Count);
  void Do_RestoreCols(int Col, int Count, std::vector<TRVTableCellData*>& Cells);
  void Do_Merge(int Row, int Col, int ColSpan, int RowSpan, bool ChangeBestWidth);
  void Do_Unmerge(int Row, int Col, bool UnmergeCols, bool UnmergeRows);
  void Do_Remerge(int Row, int Col, int ColSpan, int RowSpan, bool UnmergeCols, bool UnmergeRows,
                  TRVHTMLLength BestWidth, TRVStyleLength BestHeight);
  // Clears the listed cells, the old cells going to the record while undo is recorded.
  void Do_ClearCells(const TRVIntegerList& Rows, const TRVIntegerList& Cols);
  void Do_RestoreClearedCells(const TRVIntegerList& Rows, const TRVIntegerList& Cols,
                              std::vector<TRVTableCellData*>& Cells);
  void Do_SetCellBestWidth(int Row, int Col, TRVHTMLLength Value);
  void Do_SetCellBestHeight(int Row, int Col, TRVStyleLength Value);
  // The visible sides of the table's (Row < 0) or the cell's border.
  void Do_SetVisibleBorders(int Row, int Col, bool Left, bool Right, bool Top, bool Bottom);
  void Do_SetRowVAlign(int Row, TRVCellVAlign Value);
  void Do_SetRowKeepTogether(int Row, bool Value);
  void Do_SetRowPageBreakBefore(int Row, bool Value);
};

// ---- the table item -------------------------------------------------------------------------

class TRVTableItemInfo : public TRVCustomTableItemInfo {
  TAVRELO_ITEM_CLASS(TRVTableItemInfo)
  TAVRELO_PERSISTENT(TRVTableItemInfo, TRVCustomTableItemInfo)
 public:
  // ==== model (RVTable.cpp) ====
  // One row and one column.
  explicit TRVTableItemInfo(TCustomRVData* RVData);
  TRVTableItemInfo(int nRows, int nCols, TCustomRVData* AMainRVData);
  static std::unique_ptr<TRVTableItemInfo> CreateEx(int nRows, int nCols, TCustomRVData* AMainRVData);
  ~TRVTableItemInfo() override;

  // ---- grid queries ----
  TRVTableCellData* GetCells(int Row, int Col) const { return FRows->GetRow(Row)->GetCell(Col); }
  TRVTableCellData* Cells(int Row, int Col) const { return GetCells(Row, Col); }
  int RowCount() const { return FRows->Count(); }
  int ColCount() const { return FRows->Count() == 0 ? 0 : FRows->GetRow(0)->Count(); }
  TRVTableRows* GetRows() const { return FRows.get(); }
  // The row and column of a cell (the cached place first), -1, -1 when it is not in the grid.
  bool GetCellPosition(const TRVTableCellData* Cell, int& Row, int& Col) const;

  // ---- size and place ----
  int GetWidth(TRVStyle* /*ARVStyle*/) override { return Fmt->FWidth; }
  int GetHeight(TRVStyle* /*ARVStyle*/) override { return Fmt->FHeight; }
  int GetTableWidth() const { return Fmt->FWidth; }
  int GetTableHeight() const { return Fmt->FHeight; }
  TRVStyle* GetRVStyle() const;
  int GetMyItemNo() override;
  TRVTableItemFormattingInfo* GetFormattingInfo() const { return Fmt.get(); }
  // The table's cell paddings converted through cursad when set, else to screen pixels.
  int GetDevHPadding() const;
  int GetDevVPadding() const;

  // ---- virtual operations the table introduces ----
  virtual void AfterFormatting() {}
  virtual void AfterPagination() {}
  virtual void AfterDrawCellBackground(TCanvas* /*Canvas*/, int /*Row*/, int /*Col*/, const TRect& /*R*/) {}
  virtual TRVTableCellDataClass GetCellDataClass() const;
  virtual void BeforePaint() {}
  virtual void AfterPaint() {}
  virtual void AfterDrawCell(TCanvas* /*Canvas*/, int /*Row*/, int /*Col*/, const TRect& /*R*/) {}
  virtual TRVTableItemFormattingInfoClass GetFormattingInfoClass() const;

  // ---- published properties ----
  TColor GetColor(TRVTableColorProperty ColorType) const { return FColors[ColorType]; }
  void SetColor(TRVTableColorProperty ColorType, TColor Value);
  static TColor GetDefaultColorValue(TRVTableColorProperty ColorType);
  int GetIntegerProperty(int Index) const { return FIntegerProperties[static_cast<std::size_t>(Index)]; }
  void SetIntegerProperty(int Index, int Value);
  int GetHeadingRowCount() const { return FIntegerProperties[RVTableHeadingRowCountIndex]; }
  void SetHeadingRowCount(int Value) { SetIntegerProperty(RVTableHeadingRowCountIndex, Value); }
  int GetRowBandSize() const { return FIntegerProperties[RVTableRowBandSizeIndex]; }
  void SetRowBandSize(int Value) { SetIntegerProperty(RVTableRowBandSizeIndex, Value); }
  int GetColBandSize() const { return FIntegerProperties[RVTableColBandSizeIndex]; }
  void SetColBandSize(int Value) { SetIntegerProperty(RVTableColBandSizeIndex, Value); }
  TRVOpacity GetOpacity() const { return FOpacity; }
  void SetOpacity(TRVOpacity Value) { FOpacity = Value; }
  TGraphic* GetBackgroundImage() const;
  void SetBackgroundImage(TGraphic* Value);
  TRVItemBackgroundStyle GetBackgroundStyle() const;
  void SetBackgroundStyle(TRVItemBackgroundStyle Value);
  TRVGraphicHolder* GetBackgroundImageGraphicHolder() const;
  TRVBackground* GetBackground() const { return FBackground.get(); }
  bool HasBackgroundImage() const;
  const TRVUnicodeString& GetBackgroundImageFileName() const { return FBackgroundImageFileName; }
  void SetBackgroundImageFileName(const TRVUnicodeString& Value) { FBackgroundImageFileName = Value; }
  TRVTableOptions GetOptions() const { return FOptions; }
  void SetOptions(const TRVTableOptions& Value) { FOptions = Value; }
  TRVTablePrintOptions GetPrintOptions() const { return FPrintOptions; }
  void SetPrintOptions(const TRVTablePrintOptions& Value) { FPrintOptions = Value; }
  TRVHTMLLength GetBestWidth() const { return FBestWidth; }
  void SetBestWidth(TRVHTMLLength Value) { FBestWidth = Value; }
  const TRVUnicodeString& GetTextRowSeparator() const { return FTextRowSeparator; }
  void SetTextRowSeparator(const TRVUnicodeString& Value) { FTextRowSeparator = Value; }
  const TRVUnicodeString& GetTextColSeparator() const { return FTextColSeparator; }
  void SetTextColSeparator(const TRVUnicodeString& Value) { FTextColSeparator = Value; }
  TRVStyleLength GetBorderWidth() const override { return FBorderWidth; }
  void SetBorderWidth(TRVStyleLength Value) { FBorderWidth = Value; }
  TRVTableBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TRVTableBorderStyle Value) { FBorderStyle = Value; }
  TRVStyleLength GetBorderVSpacing() const { return FBorderVSpacing; }
  void SetBorderVSpacing(TRVStyleLength Value) { FBorderVSpacing = Value; }
  TRVStyleLength GetBorderHSpacing() const { return FBorderHSpacing; }
  void SetBorderHSpacing(TRVStyleLength Value) { FBorderHSpacing = Value; }
  TRVBooleanRect* GetVisibleBorders() const { return FVisibleBorders.get(); }
  void SetVisibleBorders(TRVBooleanRect* Value);
  TRVStyleLength GetCellHPadding() const { return FCellHPadding; }
  void SetCellHPadding(TRVStyleLength Value) { FCellHPadding = Value; }
  TRVStyleLength GetCellVPadding() const { return FCellVPadding; }
  void SetCellVPadding(TRVStyleLength Value) { FCellVPadding = Value; }
  // The rounded mean (halves to even) of the two paddings; writing sets both.
  TRVStyleLength GetCellPadding() const;
  void SetCellPadding(TRVStyleLength Value);
  TRVTableBorderStyle GetCellBorderStyle() const { return FCellBorderStyle; }
  void SetCellBorderStyle(TRVTableBorderStyle Value) { FCellBorderStyle = Value; }
  TRVStyleLength GetCellBorderWidth() const { return FCellBorderWidth; }
  void SetCellBorderWidth(TRVStyleLength Value) { FCellBorderWidth = Value; }
  TRVStyleLength GetCellVSpacing() const { return FCellVSpacing; }
  void SetCellVSpacing(TRVStyleLength Value) { FCellVSpacing = Value; }
  TRVStyleLength GetCellHSpacing() const { return FCellHSpacing; }
  void SetCellHSpacing(TRVStyleLength Value) { FCellHSpacing = Value; }
  TRVStyleLength GetVRuleWidth() const { return FVRuleWidth; }
  void SetVRuleWidth(TRVStyleLength Value) { FVRuleWidth = Value; }
  TRVStyleLength GetHRuleWidth() const { return FHRuleWidth; }
  void SetHRuleWidth(TRVStyleLength Value) { FHRuleWidth = Value; }
  bool GetVOutermostRule() const { return FVOutermostRule; }
  void SetVOutermostRule(bool Value) { FVOutermostRule = Value; }
  bool GetHOutermostRule() const { return FHOutermostRule; }
  void SetHOutermostRule(bool Value) { FHOutermostRule = Value; }
  // Stored rules of the component stream.
  bool IsCellHPaddingStored() const { return FCellHPadding != FCellVPadding && FCellHPadding != 1; }
  bool IsCellVPaddingStored() const { return FCellHPadding != FCellVPadding && FCellVPadding != 1; }
  bool IsCellPaddingStored() const { return FCellHPadding == FCellVPadding && FCellHPadding != 1; }

  // ---- the item's answers ----
  void GetSelectionBounds(int& StartRow, int& StartCol, int& RowOffs, int& ColOffs) override;
  void Select(int StartRow, int StartCol, int RowOffs, int ColOffs) override;
  // Forgets the cell as the one under the mouse (it is being destroyed or moved to undo).
  void ForgetLastCellMovedAbove(const TRVTableCellData* Cell) {
    if (FLastCellMovedAbove == Cell) FLastCellMovedAbove = nullptr;
  }

  // ---- fields (declared order) ----
  std::unique_ptr<TRVTableRows> FRows;
  TRVTableCellData* FLastCellMovedAbove = nullptr;
  TRVTableStates FState;
  int CachedItemNo = -1;
  int MyTop = 0, MyLeft = 0, MyClientTop = 0, MyClientLeft = 0;
  int MouseRow = -1, MouseCol = -1;
  int DRMin = 0, DRMax = 0, DRNo = 0, DRCoord = 0, DRDelta = 0;
  int FSelStartCol = -1, FSelStartRow = -1, FSelColOffs = 0, FSelRowOffs = 0;
  int BusyCount = 0;
  int FocusedCellRow = -1, FocusedCellCol = -1, ChosenCellRow = -1, ChosenCellCol = -1;
  int FMinWidthPlus = 0, FInplaceMinWidthPlus = 0;
  TRVStyleLength FCellVSpacing = 2, FCellHSpacing = 2, FCellHPadding = 1, FCellVPadding = 1, FBorderWidth = 0;
  TRVHTMLLength FBestWidth = 0;
  std::array<TColor, RVTableColorPropertyCount> FColors{};
  std::array<int, 3> FIntegerProperties{1, 1, 0};
  TRVStyleLength FCellBorderWidth = 0, FHRuleWidth = 0, FVRuleWidth = 0, FBorderHSpacing = 2, FBorderVSpacing = 2;
  TRVTableBorderStyle FBorderStyle = rvtbRaised, FCellBorderStyle = rvtbLowered;
  bool FHOutermostRule = false, FVOutermostRule = false;
  TRVTableOptions FOptions = RVTableDefaultOptions;
  TRVTablePrintOptions FPrintOptions = RVTableDefaultPrintOptions;
  TRVTableInplaceParamStorage FStoredInplace;
  TRVUnicodeString FTextRowSeparator, FTextColSeparator, FBackgroundImageFileName;
  std::unique_ptr<TRVBackground> FBackground;
  std::unique_ptr<TRVBooleanRect> FVisibleBorders;
  TRVOpacity FOpacity = 100000;
  TRVTableDrawBorderEvent FOnDrawBorder;
  TRVTableDrawBackEvent FOnDrawBackground;
  TRVCellEditingEvent FOnCellEditing;
  TRVCellEndEditEvent FOnCellEndEdit;
  std::unique_ptr<TRVTableItemFormattingInfo> Fmt;
  // The screen-and-device record of the layout or printing pass in progress; nil outside one.
  const TRVScreenAndDevice* cursad = nullptr;
  bool FMakingSelection = false;
  // The cell editor while a cell is edited (editing's).
  TObject* FInplaceEditor = nullptr;

 private:
  void InitTable(int nRows, int nCols, TCustomRVData* AMainRVData);

 public:
  // ==== layout (RVTableLayout.cpp) ====
  // The table's minimal width in device pixels for a screen-and-device record (cursad for the
  // call).
  int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* RVData) override;
  // The formatter's call: lays the table out in DocWidth (a printing pass lays out the printing
  // draw item's own copy through LayoutPass).
  void OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* RVData,
                        const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                        const TRVDocWidthChangeStates& State) override;
  // One layout pass on Info (the table's own or a printing copy) with cursad as set by the
  // caller: column widths, cell formatting, row heights and cell places.
  void LayoutPass(int DocWidth, TRVTableItemFormattingInfo* Info, TCanvas* Canvas,
                  const TRVDocWidthChangeStates& State);
  // Which column (row) boundary lies at a coordinate relative to the table (screen pixels): 0
  // the leading outer edge, ColCount (RowCount) the trailing one, i the one before column i; -1
  // for none.
  int GetVerticalRuleNo(int X, int& MinX, int& ZeroChangeX, bool IsStrict);
  int GetHorizontalRuleNo(int Y, int& MinY, int& ZeroChangeY, bool IsStrict);
  // The column (row) whose cell area holds the coordinate; -1 in a gap or outside.
  int GetColNoAt(int X) const;
  int GetRowNoAt(int Y) const;
  // Device pixels of a horizontal (vertical) length through cursad.
  int DevX(TRVStyleLength Value) const;
  int DevY(TRVStyleLength Value) const;
  // Column widths fixed by storage or by a printed part and the horizontal resolution they were
  // stored at. Layout takes them only when there is one per column and the resolution is above 0.
  std::vector<int> FFixedColWidths;
  int FFixedColWidthsPPI = 0;

  // ==== painting (RVTablePaint.cpp) ====
  // The colour a cell shows: CellOverrideColor, the cell's own, heading, last row, first and last
  // column, column bands, row bands, then (by the flags) the table's and the parent's colours.
  TColor GetCellColor(int Row, int Col, bool UseTableColor, bool UseParentBackground);
  bool IsCellTransparent(int Row, int Col);
  void PaintFullWidth(int Left, int Right, int Top, TCanvas* Canvas, const TRVItemDrawStates& State, TRVStyle* AStyle,
                      const TRect& ClipRect, TCustomRVData* ARVData, TRVDrawLineInfo* dli, int ExtraX, int ExtraY,
                      TRVPaintItemPart* PaintPart, bool ForMetafile) override;
  // The drawing routine shared by the screen and printing: background, rules, outer border and
  // every visible cell of the layout in Info, with the table's top-left corner at (X, Y) and an
  // empty Clip meaning everything. Rows FirstRow..LastRow (-1: from the clip, and to the end).
  void DrawTable(TCanvas* Canvas, int X, int Y, const TRect& Clip, const TRVItemDrawStates& State,
                 TRVTableItemFormattingInfo* Info, TRVColorMode ColorMode, TCustomRVData* RVData, bool Printing,
                 int FirstRow = -1, int LastRow = -1, const TRVTablePrintedCells* PrintedCells = nullptr);
  // One border rectangle: grid lines for the invisible sides, then the border in its style.
  void DrawBorder(TCanvas* Canvas, int Left, int Top, int Right, int Bottom, TRVStyleLength Width,
                  TRVTableBorderStyle Style, TColor Color, TColor LightColor, TColor BackgroundColor,
                  TRVBooleanRect* VisibleBorders, int Row, int Col, const TRect& Clip, bool Printing,
                  TRVColorMode ColorMode, TCustomRVData* RVData, int LineEnd);
  // What the table shows under a cell, painted into Rect (the cell editor's coordinates).
  void DrawBackgroundUnderCell(TCanvas* Canvas, TRVTableCellData* Cell, const TRect& Rect,
                               TRVGraphicInterface* GraphicInterface, bool AllowThumbnails);
  bool HasThumbnail() override;
  void FreeThumbnail() override;
  // Print-simulation drawing of a semi-transparent background: what lies under the table, the
  // table's picture or colour, and (for a cell) the cell's, composed in a bitmap of Area and
  // copied to the canvas.
  void ComposeBackground(TCanvas* Canvas, const TRect& Area, const TRect& TableRect, TRVTableCellData* Cell,
                         const TRect& CellRect, TRVColorMode ColorMode, TCustomRVData* RVData,
                         const TRVItemDrawStates& State);
  // The canvas x of the left edge of the document holding the table, negated (set by
  // PaintFullWidth for the page-break sign).
  int FPageBreakXShift = 0;

  // ==== storage (RVTableRVF.cpp) ====
  // The RVF record: header, name, extra properties, "colwidths", pictures flag, body stream.
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  // The same record for the cell selection only.
  void SaveRVFSelection(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo) override;
  bool ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo, int LineCount,
                   TRVUnicodeString& Name, TRVFReadMode& ReadMode, TRVFReadState& ReadState, bool UTF8Strings,
                   bool& AssStyleNameUsed) override;
  // Takes "colwidths"; false for any other name.
  bool SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) override;
  int GetRVFExtraPropertyCount() override;
  void SaveRVFExtraProperties(TStream* Stream) override;
  void BeforeLoading(TRVLoadFormat FileFormat) override;
  void AfterLoading(TRVLoadFormat FileFormat) override;
  void AfterLoadingEx(TRVLoadFormat FileFormat, int Row, int ARowCount);
  // Stand-alone body streams (signature first, no length, no RVF lines around them).
  void SaveRowsToStream(TStream* Stream, int Index, int Count, bool Fragment);
  void SaveRectangleToStream(TStream* Stream, int TopRow, int LeftCol, int ARowCount, int AColCount,
                             bool SelectionOnly, bool Fragment);
  bool LoadFromStream(TStream* Stream);
  // False when the stream is damaged or a cell failed to load; the cells read stay.
  bool LoadFromStreamEx(TStream* Stream, int StartRow, int StartCol, bool Reset);
  // The table's block of the formatting stream.
  void SaveFormattingToStream(TStream* Stream) override;
  void LoadFormattingFromStream(TStream* Stream) override;
  void StartExport() override { ++BusyCount; }
  void EndExport() override { --BusyCount; }
  void Inserting(TCustomRVData* ARVData, TRVUnicodeString& AText, bool Safe) override;
  void Inserted(TCustomRVData* ARVData, int ItemNo) override;
  // "BackgroundImg" of the table ("T.BackgroundImg" in the body stream).
  void DefineProperties(TFiler& Filer) override;
  // The defined properties of the body stream's root: "C" and the row properties.
  // Carrier is the root's cell carrier: the reader calls Loaded on it when the whole body is read.
  void WriteCells(TWriter& Writer, TD& Carrier);
  void ReadCells(TReader& Reader, TD& Carrier);
  bool HasRowVAlign();
  bool HasRowFlag(bool PageBreak);
  void WriteRowVAlign(TWriter& Writer);
  void WriteRowFlags(TWriter& Writer, bool PageBreak);
  void ReadRowVAlign(TReader& Reader);
  void ReadRowFlags(TReader& Reader, bool PageBreak);

  // Set while a write or read of the body runs (the operation owns it); nil otherwise.
  TRVTableStreamSaveInfo* FStreamSaveInfo = nullptr;
  std::unique_ptr<TRVTableStoredColWidths> FStoredColWidths;

 private:
  // Writes the body stream with Info attached (signature and root record).
  void WriteBody(TStream* Stream, TRVTableStreamSaveInfo& Info);
  bool ReadBody(TStream* Stream, TRVTableStreamSaveInfo& Info);
  void WriteRecord(TStream* Stream, TCustomRVData* ARVData, int AParaNo, TRVMultiDrawItemPart* Part,
                   bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD, bool Selection);
  // 0, 2, 4 or 5 while a record is read: the body's save type.
  int FReadSaveType = 0;
  // The item's name written on the record's name line.
  TRVUnicodeString FRVFName;

 public:

  // ==== printing (RVTablePrint.cpp) ====
  // The printing draw item of the table in the printed document RVData, with a printable copy of
  // every cell document.
  std::unique_ptr<TRVDrawLineInfo> CreatePrintingDrawItem(TCustomRVData* RVData, TParaInfo* ParaStyle,
                                                           const TRVScreenAndDevice& sad) override;
  // Prints the part of the page (nil: the whole table) with its top-left corner at (X, Y).
  void Print(TCanvas* Canvas, int X, int Y, int x2, bool Printing, bool Preview, bool Correction,
             const TRVScreenAndDevice& sad, TRVMultiDrawItemPart* Part, TRVColorMode ColorMode, TCustomRVData* ARVData,
             TRVDrawLineInfo* dli, int PageNo, bool ForMetafile) override;
  // The table's background, or the background of the cell FPrintData names, for printing.
  void DrawBackgroundForPrinting(TCanvas* Canvas, const TRect& Rect, const TRect& FullRect, TRVColorMode ColorMode,
                                 int ItemBackgroundLayer, class TRVGraphicInterface* GraphicInterface, bool AllowBitmaps);
  // The table's own background (colour at its opacity, or its picture) in Rect of the table's
  // rectangle FullRect, and one cell's background (colour from the cell and band rules, or its
  // picture) in the cell's rectangle Rect, as printing draws them through cursad.
  void PrintTableBackground(TCanvas* Canvas, const TRect& Rect, const TRect& FullRect, TRVColorMode ColorMode,
                            class TRVGraphicInterface* GraphicInterface);
  void PrintCellBackground(TCanvas* Canvas, const TRect& Rect, int Row, int Col, TRVColorMode ColorMode,
                           class TRVGraphicInterface* GraphicInterface);
  // Data: a row index; answers the y of that row (the table's height past the last row).
  TObject* GetSoftPageBreakDY(TObject* Data) override;
  void ClearSoftPageBreaks() override;
  // The last row of the band that merged cells tie to Row.
  int GetSplitRowBelow(int Row);
  // Whether the heading rows can repeat (no merged cell crosses the boundary below them).
  bool CanUseHeadingRowCount();
  int GetRealHeadingRowCount();
  // Whether a row from FromRow on (default: below the first row after the heading rows) starts a
  // new page.
  bool HasPageBreakInRows(int FromRow = -1);
  // Whether no main cell of row Row reaches below it.
  bool IsRowBoundaryFree(int Row);
  // Set while the table prints (made and freed by Print).
  class TRVTablePrintData* FPrintData = nullptr;

  // ==== editing (next issue) ====
  // Cell editor.
  TCustomRVFormattedData* GetInplaceEditorRVData() const { return nullptr; }
  TRVTableCellData* GetEditedCell() const { return nullptr; }
  TCustomRVData* EditCell(int Row, int Col);
  void CloseInplace(bool Unchoose);
  // Chosen and focused cell, cell sub-documents.
  void SetChosenCell(TRVTableCellData* Cell);
  void SetFocusedCell(TRVTableCellData* Cell);
  void CleanUpChosen() override;
  void ResetSubCoords() override {}
  // Undo of property changes.
  virtual void AssignCellAttributesWithUndo(int Row, int Col, TRVTableCellData* SourceCell, bool IncludeSize,
                                            int DivColSpan, int DivRowSpan);
  virtual void AssignProperties(TRVTableItemInfo* Source);
  virtual TRVUnicodeString GetCellBackgroundImageHTML(int /*Row*/, int /*Col*/) { return {}; }
  void BeforeUndoChangeProperty() override {}
  void AfterUndoChangeProperty() override {}

  // ==== grid editing (RVTableGrid.cpp) ====
  // A table placed in a document (or coming back from an undo record) is marked inserted by
  // Inserted (storage section); undo is recorded only for such a table. Moving to an undo record
  // takes the mark away.
  void MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) override;
  // The table changed (its state gets rvtsModified).
  void Changed() { FState.Include(rvtsModified); }
};
