#include "engine/tables/RVTable.h"

// The cell editor, chosen cells and property undo arrive with table editing; until then a table
// has no cell editor and property changes are stored directly.

TCustomRVData* TRVTableItemInfo::EditCell(int Row, int Col) {
  return GetCells(Row, Col);
}

void TRVTableItemInfo::CloseInplace(bool /*Unchoose*/) {
  FInplaceEditor = nullptr;
}

void TRVTableItemInfo::SetChosenCell(TRVTableCellData* Cell) {
  if (!GetCellPosition(Cell, ChosenCellRow, ChosenCellCol)) ChosenCellRow = ChosenCellCol = -1;
}

void TRVTableItemInfo::SetFocusedCell(TRVTableCellData* Cell) {
  if (!GetCellPosition(Cell, FocusedCellRow, FocusedCellCol)) FocusedCellRow = FocusedCellCol = -1;
}

void TRVTableItemInfo::CleanUpChosen() {
  ChosenCellRow = ChosenCellCol = -1;
}

void TRVTableItemInfo::AssignCellAttributesWithUndo(int Row, int Col, TRVTableCellData* SourceCell, bool IncludeSize,
                                                    int DivColSpan, int DivRowSpan) {
  GetCells(Row, Col)->AssignAttributesFrom(SourceCell, IncludeSize, DivColSpan, DivRowSpan);
}

void TRVTableItemInfo::AssignProperties(TRVTableItemInfo* /*Source*/) {}

void TRVTableRows::MergeCells(int /*TopRow*/, int /*LeftCol*/, int /*ColSpan*/, int /*RowSpan*/,
                              bool /*AllowMergeRC*/, bool /*ChangeBestWidth*/) {}
