#include "engine/tables/RVTable.h"

// The cell editor, chosen cells and property undo arrive with table editing; until then a table
// has no cell editor and property changes are stored directly.

TCustomRVData* TRVTableItemInfo::EditCell(int Row, int Col) { return GetCells(Row, Col); }

void TRVTableItemInfo::CloseInplace(bool /*Unchoose*/) { FInplaceEditor = nullptr; }

void TRVTableItemInfo::SetChosenCell(TRVTableCellData* Cell) {
  if (!GetCellPosition(Cell, ChosenCellRow, ChosenCellCol)) ChosenCellRow = ChosenCellCol = -1;
}

void TRVTableItemInfo::SetFocusedCell(TRVTableCellData* Cell) {
  if (!GetCellPosition(Cell, FocusedCellRow, FocusedCellCol)) FocusedCellRow = FocusedCellCol = -1;
}

void TRVTableItemInfo::CleanUpChosen() { ChosenCellRow = ChosenCellCol = -1; }

void TRVTableItemInfo::AssignCellAttributesWithUndo(int Row, int Col, TRVTableCellData* SourceCell, bool IncludeSize,
                                                    int DivColSpan, int DivRowSpan) {
  GetCells(Row, Col)->AssignAttributesFrom(SourceCell, IncludeSize, DivColSpan, DivRowSpan);
}

void TRVTableItemInfo::AssignProperties(TRVTableItemInfo* /*Source*/) {}

namespace rvtableediting_detail {

// The best width of a merged rectangle: per row, the sum of the fixed widths of the cells that
// begin there, or the sum of their percentages once one has a percentage; over the rows a
// percentage beats a fixed width and the larger value of a kind wins.
TRVHTMLLength CombinedBestWidth(const TRVTableRows& Rows, int TopRow, int LeftCol, int ColSpan, int RowSpan) {
  TRVHTMLLength Result = 0;
  for (int r = TopRow; r < TopRow + RowSpan; ++r) {
    TRVHTMLLength Fixed = 0, Percent = 0;
    bool HasPercent = false;
    for (int c = LeftCol; c < LeftCol + ColSpan; ++c) {
      const TRVTableCellData* Cell = Rows.GetRow(r)->GetCell(c);
      if (!Cell) continue;
      const TRVHTMLLength w = Cell->GetBestWidth();
      if (w < 0) {
        HasPercent = true;
        Percent += w;
      } else if (w > 0) {
        Fixed += w;
      }
    }
    const TRVHTMLLength RowValue = HasPercent ? Percent : Fixed;
    if (RowValue < 0) {
      if (Result >= 0 || RowValue < Result) Result = RowValue;
    } else if (Result >= 0 && RowValue > Result) {
      Result = RowValue;
    }
  }
  return Result;
}

}  // namespace rvtableediting_detail

void TRVTableRows::MergeCells(int TopRow, int LeftCol, int ColSpan, int RowSpan, bool AllowMergeRC,
                              bool ChangeBestWidth) {
  if (!NormalizeMergeRect(TopRow, LeftCol, ColSpan, RowSpan)) return;
  if (!CanMergeCells(TopRow, LeftCol, ColSpan, RowSpan, AllowMergeRC)) {
    if (FMainRVData) FMainRVData->Beep();
    return;
  }
  TRVTableCellData* Main = GetRow(TopRow)->GetCell(LeftCol);
  if (ChangeBestWidth)
    Main->SetBestWidth(rvtableediting_detail::CombinedBestWidth(*this, TopRow, LeftCol, ColSpan, RowSpan));
  for (int r = TopRow; r < TopRow + RowSpan; ++r)
    for (int c = LeftCol; c < LeftCol + ColSpan; ++c) {
      TRVTableCellData* Cell = GetRow(r)->GetCell(c);
      if (!Cell || Cell == Main) continue;
      if (Cell->HasData(false)) Main->DrainFrom(Cell);
      GetRow(r)->PutCell(c, nullptr);
      delete Cell;
    }
  Main->FColSpan = ColSpan;
  Main->FRowSpan = RowSpan;
}
