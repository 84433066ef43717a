#include <memory>

#include "engine/tables/RVTable.h"
#include "engine/tables/RVTableUndo.h"

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
  Do_Merge(TopRow, LeftCol, ColSpan, RowSpan, ChangeBestWidth);
}

void TRVTableRows::Do_Merge(int Row, int Col, int ColSpan, int RowSpan, bool ChangeBestWidth) {
  TRVTableCellData* Main = GetRow(Row)->GetCell(Col);
  auto* U = static_cast<TRVUndoMerge*>(AddUndo(&TRVUndoMerge::Make, true, true));
  if (U) {
    U->Flag = false;
    U->Row = Row;
    U->Col = Col;
    U->OldColSpan = Main->FColSpan;
    U->OldRowSpan = Main->FRowSpan;
    U->NewColSpan = ColSpan;
    U->NewRowSpan = RowSpan;
    U->OldBestWidth = Main->GetBestWidth();
    U->ChangeBestWidth = ChangeBestWidth;
  }
  if (ChangeBestWidth) Main->SetBestWidth(rvtableediting_detail::CombinedBestWidth(*this, Row, Col, ColSpan, RowSpan));
  for (int r = Row; r < Row + RowSpan; ++r)
    for (int c = Col; c < Col + ColSpan; ++c) {
      TRVTableCellData* Cell = GetRow(r)->GetCell(c);
      if (!Cell || Cell == Main) continue;
      int Moved = 0;
      if (Cell->HasData(false)) {
        Moved = Cell->ItemCount();
        Main->DrainFrom(Cell);
      }
      GetRow(r)->PutCell(c, nullptr);
      if (U) {
        Cell->State.Exclude(rvstCompletelySelected);
        Cell->MovingToUndoList(U);
        auto Entry = std::make_unique<TRVUndoMergeItem>();
        Entry->Row = r;
        Entry->Col = c;
        Entry->ItemCount = Moved;
        Entry->Cell = Cell;
        U->MergedItemsList.push_back(std::move(Entry));
      } else {
        delete Cell;
      }
    }
  Main->FColSpan = ColSpan;
  Main->FRowSpan = RowSpan;
}

