// The undo records of tables. Every record names the table by its item number in the editor's
// document and keeps what it needs to take one elementary change of the grid or of a cell back.
// Undoing calls the grid operation that makes the opposite change; that operation records the
// opposite record on the other list through the same factory, so redo needs no code of its own.
// A record whose `Flag` is True performs the first operation its comment names, False the second.
#pragma once

#include <memory>
#include <vector>

#include "engine/editor/RVUndoRecords.h"
#include "engine/tables/RVTableCellData.h"

class TRVTableItemInfo;
class TRVTableRow;

// The table record factory: when RVData is an editor's document data with an undo list (the
// redo list while undoing), a new record of the class made by Make, with the item number and the
// two flags, is added to it and returned; else nil (the caller then only applies its change).
TRVUndoModifyItemProps* RVTableAddUndo(TCustomRVData* RVData, TRVUndoModifyItemPropsClass Make, int ItemNo,
                                       bool AffectWidth, bool AffectSize);

// The table a record names; raises "Undo error" when the item is no table.
TRVTableItemInfo* RVTableOfUndo(TCustomRVData* RVData, int ItemNo);

// Base of the records below: answers its own class as the opposite one.
template <class T>
class TRVTableUndoRecord : public TRVUndoModifyItemProps {
 public:
  TRVTableUndoRecord() { Action = rvuModifyItem; }
  static TRVUndoModifyItemProps* Make() { return new T; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
};

// ---- property records of cells and rows -------------------------------------------------------

// An integer published property of the cell (Row, Col) (the table itself when Row < 0).
class TRVUndoModifyCellIntProperty : public TRVUndoModifyItemIntProperty {
 public:
  static TRVUndoModifyItemProps* Make() { return new TRVUndoModifyCellIntProperty; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
  void SetOppositeUndoInfoProps(TRVUndoModifyItemProps* UndoInfo) override;
  int Row = -1, Col = -1;
};

// The same for a string property and for a list of integer properties.
class TRVUndoModifyCellStrProperty : public TRVUndoModifyItemStrProperty {
 public:
  static TRVUndoModifyItemProps* Make() { return new TRVUndoModifyCellStrProperty; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
  void SetOppositeUndoInfoProps(TRVUndoModifyItemProps* UndoInfo) override;
  int Row = -1, Col = -1;
};
class TRVUndoModifyCellIntProperties : public TRVUndoModifyItemIntProperties {
 public:
  static TRVUndoModifyItemProps* Make() { return new TRVUndoModifyCellIntProperties; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
  void SetOppositeUndoInfoProps(TRVUndoModifyItemProps* UndoInfo) override;
  int Row = -1, Col = -1;
};

// The four visible sides of the table's (Row < 0) or a cell's border are set to the stored ones.
class TRVUndoModifyVisibleBorders : public TRVTableUndoRecord<TRVUndoModifyVisibleBorders> {
 public:
  void Undo(TCustomRVData* RVData) override;
  int Row = -1, Col = -1;
  bool Left = true, Right = true, Top = true, Bottom = true;
};

class TRVUndoRowProperty : public TRVUndoModifyItemProps {
 public:
  int Row = 0;
};
class TRVUndoRowVAlign : public TRVUndoRowProperty {
 public:
  TRVUndoRowVAlign() { Action = rvuModifyItem; }
  static TRVUndoModifyItemProps* Make() { return new TRVUndoRowVAlign; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
  TRVCellVAlign OldVAlign = rvcTop;
};
class TRVUndoRowBooleanProperty : public TRVUndoRowProperty {
 public:
  bool OldValue = false;
};
class TRVUndoRowPageBreakBefore : public TRVUndoRowBooleanProperty {
 public:
  TRVUndoRowPageBreakBefore() { Action = rvuModifyItem; }
  static TRVUndoModifyItemProps* Make() { return new TRVUndoRowPageBreakBefore; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
};
class TRVUndoRowKeepTogether : public TRVUndoRowBooleanProperty {
 public:
  TRVUndoRowKeepTogether() { Action = rvuModifyItem; }
  static TRVUndoModifyItemProps* Make() { return new TRVUndoRowKeepTogether; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
};

// ---- grid records -------------------------------------------------------------------------------

// The cell is cleared and gets one empty text item of StyleNo and ParaNo.
class TRVUndoChangeEmptyCellStyles : public TRVTableUndoRecord<TRVUndoChangeEmptyCellStyles> {
 public:
  void Undo(TCustomRVData* RVData) override;
  int Row = 0, Col = 0, StyleNo = 0, ParaNo = 0;
};

// Insert Count rows of new cells at Row / delete them.
// The rows an undone insertion took out are held, so that redo brings back the copied
// attributes of their cells.
class TRVUndoInsertTableRows : public TRVTableUndoRecord<TRVUndoInsertTableRows> {
 public:
  ~TRVUndoInsertTableRows() override;
  void Undo(TCustomRVData* RVData) override;
  int Row = 0, Count = 0;
  bool Flag = false;
  std::vector<TRVTableRow*> Rows;  // owned
};

// Insert a new cell at (Row, Col) / delete that position.
// The cell an undone insertion took out is held for the same reason.
class TRVUndoInsertTableCell : public TRVTableUndoRecord<TRVUndoInsertTableCell> {
 public:
  ~TRVUndoInsertTableCell() override;
  void Undo(TCustomRVData* RVData) override;
  int Row = 0, Col = 0;
  bool Flag = false;
  TRVTableCellData* Cell = nullptr;  // owned
};

// The cell at (Row, Col) takes ColSpan, freeing the cells to its right / goes back to span 1 and
// those positions get new cells.
class TRVUndoSpreadOverEmptyCells : public TRVTableUndoRecord<TRVUndoSpreadOverEmptyCells> {
 public:
  void Undo(TCustomRVData* RVData) override;
  int Row = 0, Col = 0, ColSpan = 1;
  bool Flag = false;
};

// The cell gets OldSpan as its column span (IsColSpan) or row span.
class TRVUndoSpan : public TRVTableUndoRecord<TRVUndoSpan> {
 public:
  void Undo(TCustomRVData* RVData) override;
  bool IsColSpan = false;
  int Row = 0, Col = 0, OldSpan = 1;
};

// Free the cells of the rectangle and empty the positions / put new cells there.
class TRVUndoFreeEmptyCell : public TRVTableUndoRecord<TRVUndoFreeEmptyCell> {
 public:
  void Undo(TCustomRVData* RVData) override;
  bool Flag = false;
  int Row = 0, Col = 0, ColSpan = 1, RowSpan = 1;
};

// Insert ColCount empty positions at Col in RowCount rows from Row / delete them.
class TRVUndoInsertEmptyCell : public TRVTableUndoRecord<TRVUndoInsertEmptyCell> {
 public:
  void Undo(TCustomRVData* RVData) override;
  bool Flag = false;
  int Row = 0, Col = 0, ColCount = 1, RowCount = 1;
};

// Split the cell (Row, Col) at row Row2 / join the cell at (Row2, Col) back into it.
class TRVUndoCellSpitHorz : public TRVTableUndoRecord<TRVUndoCellSpitHorz> {
 public:
  void Undo(TCustomRVData* RVData) override;
  bool Flag = false, DecreaseHeight = false;
  int Row = 0, Col = 0, Row2 = 0;
  TRVStyleLength OldBestHeight = 0;
};

// The same across columns at Col2.
class TRVUndoCellSpitVert : public TRVTableUndoRecord<TRVUndoCellSpitVert> {
 public:
  void Undo(TCustomRVData* RVData) override;
  bool Flag = false, DecreaseWidth = false;
  int Row = 0, Col = 0, Col2 = 0;
  TRVHTMLLength OldBestWidth = 0;
};

// Delete Count rows at Row (they go to the opposite record) / put the held rows back.
class TRVUndoDeleteRows : public TRVTableUndoRecord<TRVUndoDeleteRows> {
 public:
  ~TRVUndoDeleteRows() override;
  void Undo(TCustomRVData* RVData) override;
  bool Flag = false;
  int Row = 0, Count = 0;
  // Held rows in grid order (owned).
  std::vector<TRVTableRow*> Rows;
};

// Base of the records holding cells taken out of the grid (owned).
class TCustomRVUndoWithCells : public TRVUndoModifyItemProps {
 public:
  ~TCustomRVUndoWithCells() override;
  bool Flag = false;
  std::vector<TRVTableCellData*> CellsList;
};

// Delete Count columns at Col / put the held cells back: row by row, each row's cells from the
// last removed column to the first (a nil for a covered position).
class TRVUndoDeleteCols : public TCustomRVUndoWithCells {
 public:
  TRVUndoDeleteCols() { Action = rvuModifyItem; }
  static TRVUndoModifyItemProps* Make() { return new TRVUndoDeleteCols; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
  int Col = 0, Count = 0;
};

// Replace each listed cell by an empty one (the old cells go to the opposite record) / put the
// held cells back, freeing the current ones.
class TRVUndoCellsClear : public TCustomRVUndoWithCells {
 public:
  TRVUndoCellsClear() { Action = rvuModifyItem; }
  static TRVUndoModifyItemProps* Make() { return new TRVUndoCellsClear; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
  TRVIntegerList RowList, ColList;
};

// One merged-away cell: its position, how many items it gave the main cell (0 when it had no
// data) and the cell itself (owned).
class TRVUndoMergeItem : public TObject {
 public:
  ~TRVUndoMergeItem() override;
  int Row = 0, Col = 0, ItemCount = 0;
  TRVTableCellData* Cell = nullptr;
};

// Merge the rectangle NewRowSpan x NewColSpan at (Row, Col) / unmerge it, giving each stored cell
// its items back.
class TRVUndoMerge : public TRVTableUndoRecord<TRVUndoMerge> {
 public:
  void Undo(TCustomRVData* RVData) override;
  bool Flag = false;
  int Row = 0, Col = 0, OldColSpan = 1, OldRowSpan = 1, NewColSpan = 1, NewRowSpan = 1;
  TRVHTMLLength OldBestWidth = 0;
  // Whether merging again combines the best widths.
  bool ChangeBestWidth = false;
  std::vector<std::unique_ptr<TRVUndoMergeItem>> MergedItemsList;
};

// Split the merged cell at (Row, Col) into single cells / merge them back with the old spans and
// best sizes.
class TRVUndoUnmerge : public TRVTableUndoRecord<TRVUndoUnmerge> {
 public:
  void Undo(TCustomRVData* RVData) override;
  bool Flag = false, UnmergeCols = false, UnmergeRows = false;
  int Row = 0, Col = 0, OldColSpan = 1, OldRowSpan = 1;
  TRVStyleLength OldBestHeight = 0;
  TRVHTMLLength OldBestWidth = 0;
};
