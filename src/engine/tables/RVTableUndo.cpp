#include "engine/tables/RVTableUndo.h"

#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/tables/RVTable.h"

TRVUndoModifyItemProps* RVTableAddUndo(TCustomRVData* RVData, TRVUndoModifyItemPropsClass Make, int ItemNo,
                                       bool AffectWidth, bool AffectSize) {
  auto* Data = dynamic_cast<TRVEditRVData*>(RVData);
  TRVUndoList* List = Data ? Data->GetUndoList() : nullptr;
  if (!List) return nullptr;
  std::unique_ptr<TRVUndoModifyItemProps> Record(Make());
  Record->Action = rvuModifyItem;
  Record->ItemNo = ItemNo;
  Record->AffectWidth = AffectWidth;
  Record->AffectSize = AffectSize;
  List->AddInfo(Record.get(), Data->GetEditor());
  return Record.release();
}

TRVTableItemInfo* RVTableOfUndo(TCustomRVData* RVData, int ItemNo) {
  if (!RVData || ItemNo < 0 || ItemNo >= RVData->ItemCount()) throw EViroZereError("Undo error");
  auto* Table = dynamic_cast<TRVTableItemInfo*>(RVData->GetItem(ItemNo));
  if (!Table) throw EViroZereError("Undo error");
  return Table;
}

namespace rvtableundo_detail {

// The grid of the table a record names, checked to hold the position (Row, Col).
TRVTableRows* GridAt(TCustomRVData* RVData, int ItemNo, int Row, int Col) {
  TRVTableItemInfo* Table = RVTableOfUndo(RVData, ItemNo);
  if (Row < 0 || Row >= Table->RowCount() || Col < 0 || Col >= Table->ColCount()) throw EViroZereError("Undo error");
  return Table->GetRows();
}

TRVTableRows* Grid(TCustomRVData* RVData, int ItemNo) { return RVTableOfUndo(RVData, ItemNo)->GetRows(); }

TRVTableCellData* CellAt(TCustomRVData* RVData, int ItemNo, int Row, int Col) {
  TRVTableCellData* Cell = GridAt(RVData, ItemNo, Row, Col)->GetRow(Row)->GetCell(Col);
  if (!Cell) throw EViroZereError("Undo error");
  return Cell;
}

void Changed(TCustomRVData* RVData, int ItemNo) { RVTableOfUndo(RVData, ItemNo)->Changed(); }

}  // namespace rvtableundo_detail

using namespace rvtableundo_detail;

// ---- property records ----------------------------------------------------------------------------

void TRVUndoModifyCellIntProperty::Undo(TCustomRVData* RVData) {
  TRVTableItemInfo* Table = RVTableOfUndo(RVData, ItemNo);
  SubObject = Row < 0 ? static_cast<TObject*>(nullptr) : CellAt(RVData, ItemNo, Row, Col);
  TRVUndoModifyItemIntProperty::Undo(RVData);
  Table->Changed();
}

void TRVUndoModifyCellIntProperty::SetOppositeUndoInfoProps(TRVUndoModifyItemProps* UndoInfo) {
  if (auto* Opposite = dynamic_cast<TRVUndoModifyCellIntProperty*>(UndoInfo)) {
    Opposite->Row = Row;
    Opposite->Col = Col;
  }
}

void TRVUndoModifyCellStrProperty::Undo(TCustomRVData* RVData) {
  TRVTableItemInfo* Table = RVTableOfUndo(RVData, ItemNo);
  SubObject = Row < 0 ? static_cast<TObject*>(nullptr) : CellAt(RVData, ItemNo, Row, Col);
  TRVUndoModifyItemStrProperty::Undo(RVData);
  Table->Changed();
}

void TRVUndoModifyCellStrProperty::SetOppositeUndoInfoProps(TRVUndoModifyItemProps* UndoInfo) {
  if (auto* Opposite = dynamic_cast<TRVUndoModifyCellStrProperty*>(UndoInfo)) {
    Opposite->Row = Row;
    Opposite->Col = Col;
  }
}

void TRVUndoModifyCellIntProperties::Undo(TCustomRVData* RVData) {
  TRVTableItemInfo* Table = RVTableOfUndo(RVData, ItemNo);
  SubObject = Row < 0 ? static_cast<TObject*>(nullptr) : CellAt(RVData, ItemNo, Row, Col);
  TRVUndoModifyItemIntProperties::Undo(RVData);
  Table->Changed();
}

void TRVUndoModifyCellIntProperties::SetOppositeUndoInfoProps(TRVUndoModifyItemProps* UndoInfo) {
  if (auto* Opposite = dynamic_cast<TRVUndoModifyCellIntProperties*>(UndoInfo)) {
    Opposite->Row = Row;
    Opposite->Col = Col;
  }
}

void TRVUndoModifyVisibleBorders::Undo(TCustomRVData* RVData) {
  if (Row >= 0) CellAt(RVData, ItemNo, Row, Col);
  Grid(RVData, ItemNo)->Do_SetVisibleBorders(Row, Col, Left, Right, Top, Bottom);
  Changed(RVData, ItemNo);
}

void TRVUndoRowVAlign::Undo(TCustomRVData* RVData) {
  GridAt(RVData, ItemNo, Row, 0)->Do_SetRowVAlign(Row, OldVAlign);
  Changed(RVData, ItemNo);
}

void TRVUndoRowPageBreakBefore::Undo(TCustomRVData* RVData) {
  GridAt(RVData, ItemNo, Row, 0)->Do_SetRowPageBreakBefore(Row, OldValue);
  Changed(RVData, ItemNo);
}

void TRVUndoRowKeepTogether::Undo(TCustomRVData* RVData) {
  GridAt(RVData, ItemNo, Row, 0)->Do_SetRowKeepTogether(Row, OldValue);
  Changed(RVData, ItemNo);
}

// ---- grid records ----------------------------------------------------------------------------------

void TRVUndoChangeEmptyCellStyles::Undo(TCustomRVData* RVData) {
  CellAt(RVData, ItemNo, Row, Col);
  Grid(RVData, ItemNo)->Do_ChangeEmptyCellStyles(Row, Col, StyleNo, ParaNo);
  Changed(RVData, ItemNo);
}

TRVUndoInsertTableRows::~TRVUndoInsertTableRows() {
  for (TRVTableRow* R : Rows) delete R;
}

void TRVUndoInsertTableRows::Undo(TCustomRVData* RVData) {
  TRVTableRows* Rows = Grid(RVData, ItemNo);
  if (Flag) {
    if (Row < 0 || Row > Rows->Count()) throw EViroZereError("Undo error");
    Rows->Do_InsertRows(Row, Count, &this->Rows);
  } else {
    if (Row < 0 || Row + Count > Rows->Count()) throw EViroZereError("Undo error");
    Rows->Do_UninsertRows(Row, Count);
  }
  Changed(RVData, ItemNo);
}

TRVUndoInsertTableCell::~TRVUndoInsertTableCell() { delete Cell; }

void TRVUndoInsertTableCell::Undo(TCustomRVData* RVData) {
  TRVTableRows* Rows = Flag ? Grid(RVData, ItemNo) : GridAt(RVData, ItemNo, Row, Col);
  if (Flag) {
    if (Row < 0 || Row >= Rows->Count()) throw EViroZereError("Undo error");
    Rows->Do_InsertCell(Row, Col, &Cell);
  } else {
    Rows->Do_UninsertCell(Row, Col);
  }
  Changed(RVData, ItemNo);
}

void TRVUndoSpreadOverEmptyCells::Undo(TCustomRVData* RVData) {
  CellAt(RVData, ItemNo, Row, Col);
  if (Flag)
    Grid(RVData, ItemNo)->Do_SpreadOverEmptyCells(Row, Col, ColSpan);
  else
    Grid(RVData, ItemNo)->Do_UnspreadOverEmptyCells(Row, Col, ColSpan);
  Changed(RVData, ItemNo);
}

void TRVUndoSpan::Undo(TCustomRVData* RVData) {
  CellAt(RVData, ItemNo, Row, Col);
  Grid(RVData, ItemNo)->Do_SetSpan(Row, Col, IsColSpan, OldSpan);
  Changed(RVData, ItemNo);
}

void TRVUndoFreeEmptyCell::Undo(TCustomRVData* RVData) {
  TRVTableRows* Rows = GridAt(RVData, ItemNo, Row + RowSpan - 1, Col + ColSpan - 1);
  if (Flag)
    Rows->Do_FreeEmptyCells(Row, Col, RowSpan, ColSpan);
  else
    Rows->Do_UnfreeEmptyCells(Row, Col, RowSpan, ColSpan);
  Changed(RVData, ItemNo);
}

void TRVUndoInsertEmptyCell::Undo(TCustomRVData* RVData) {
  TRVTableRows* Rows = GridAt(RVData, ItemNo, Row + RowCount - 1, 0);
  if (Flag)
    Rows->Do_InsertEmptyCells(Row, Col, RowCount, ColCount);
  else
    Rows->Do_UninsertEmptyCells(Row, Col, RowCount, ColCount);
  Changed(RVData, ItemNo);
}

void TRVUndoCellSpitHorz::Undo(TCustomRVData* RVData) {
  CellAt(RVData, ItemNo, Row, Col);
  if (Flag)
    Grid(RVData, ItemNo)->Do_SplitCellHorz(Row, Col, Row2, DecreaseHeight);
  else
    Grid(RVData, ItemNo)->Do_JoinCellHorz(Row, Col, Row2, OldBestHeight, DecreaseHeight);
  Changed(RVData, ItemNo);
}

void TRVUndoCellSpitVert::Undo(TCustomRVData* RVData) {
  CellAt(RVData, ItemNo, Row, Col);
  if (Flag)
    Grid(RVData, ItemNo)->Do_SplitCellVert(Row, Col, Col2, DecreaseWidth);
  else
    Grid(RVData, ItemNo)->Do_JoinCellVert(Row, Col, Col2, OldBestWidth, DecreaseWidth);
  Changed(RVData, ItemNo);
}

TRVUndoDeleteRows::~TRVUndoDeleteRows() {
  for (TRVTableRow* R : Rows) delete R;
}

void TRVUndoDeleteRows::Undo(TCustomRVData* RVData) {
  TRVTableRows* Grid_ = Grid(RVData, ItemNo);
  if (Flag)
    Grid_->Do_DeleteRows(Row, Count);
  else
    Grid_->Do_RestoreRows(Row, Rows);
  Changed(RVData, ItemNo);
}

TCustomRVUndoWithCells::~TCustomRVUndoWithCells() {
  for (TRVTableCellData* Cell : CellsList) delete Cell;
}

void TRVUndoDeleteCols::Undo(TCustomRVData* RVData) {
  TRVTableRows* Grid_ = Grid(RVData, ItemNo);
  if (Flag)
    Grid_->Do_DeleteCols(Col, Count);
  else
    Grid_->Do_RestoreCols(Col, Count, CellsList);
  Changed(RVData, ItemNo);
}

void TRVUndoCellsClear::Undo(TCustomRVData* RVData) {
  TRVTableItemInfo* Table = RVTableOfUndo(RVData, ItemNo);
  for (int i = 0; i < RowList.Count() && i < ColList.Count(); ++i)
    GridAt(RVData, ItemNo, RowList.Get(i), ColList.Get(i));
  if (Flag)
    Table->GetRows()->Do_ClearCells(RowList, ColList);
  else
    Table->GetRows()->Do_RestoreClearedCells(RowList, ColList, CellsList);
  Table->Changed();
}

TRVUndoMergeItem::~TRVUndoMergeItem() { delete Cell; }

void TRVUndoMerge::Undo(TCustomRVData* RVData) {
  TRVTableCellData* Main = CellAt(RVData, ItemNo, Row, Col);
  TRVTableRows* Rows = Grid(RVData, ItemNo);
  if (Flag) {
    Rows->Do_Merge(Row, Col, NewColSpan, NewRowSpan, ChangeBestWidth);
  } else {
    if (auto* Opposite = static_cast<TRVUndoMerge*>(Rows->AddUndo(&Make, true, true))) {
      Opposite->Flag = true;
      Opposite->Row = Row;
      Opposite->Col = Col;
      Opposite->OldColSpan = OldColSpan;
      Opposite->OldRowSpan = OldRowSpan;
      Opposite->NewColSpan = NewColSpan;
      Opposite->NewRowSpan = NewRowSpan;
      Opposite->OldBestWidth = OldBestWidth;
      Opposite->ChangeBestWidth = ChangeBestWidth;
    }
    Main->SetBestWidth(OldBestWidth);
    // Last entry first: each cell takes its own items back from the end of the main cell.
    while (!MergedItemsList.empty()) {
      std::unique_ptr<TRVUndoMergeItem> Entry = std::move(MergedItemsList.back());
      MergedItemsList.pop_back();
      TRVTableCellData* Cell = Entry->Cell;
      Entry->Cell = nullptr;
      Rows->GetRow(Entry->Row)->PutCell(Entry->Col, Cell);
      Cell->MovingFromUndoList();
      if (Entry->ItemCount > 0) Cell->TakeItemsFrom(Main, Entry->ItemCount);
      Cell->Inserted(Cell);
    }
    Main->FRowSpan = OldRowSpan;
    Main->FColSpan = OldColSpan;
  }
  Changed(RVData, ItemNo);
}

void TRVUndoUnmerge::Undo(TCustomRVData* RVData) {
  CellAt(RVData, ItemNo, Row, Col);
  TRVTableRows* Rows = Grid(RVData, ItemNo);
  if (Flag)
    Rows->Do_Unmerge(Row, Col, UnmergeCols, UnmergeRows);
  else
    Rows->Do_Remerge(Row, Col, OldColSpan, OldRowSpan, UnmergeCols, UnmergeRows, OldBestWidth, OldBestHeight);
  Changed(RVData, ItemNo);
}
