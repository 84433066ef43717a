#include <memory>
#include <vector>

#include "engine/editor/RVEditRVData.h"
#include "engine/editor/RVEdit.h"
#include "engine/tables/RVTable.h"
#include "engine/tables/RVTableUndo.h"

namespace rvtablegrid_detail {

[[noreturn]] void RaiseBadIndex() { throw EViroZereError("Invalid row or column index"); }

// Opens the item-modify bracket of a structure operation and closes it on every way out.
class TModifyBracket {
 public:
  TModifyBracket(TCustomRVData* RVData, int ItemNo)
      : FData(ItemNo >= 0 ? dynamic_cast<TRVEditRVData*>(RVData) : nullptr), FItemNo(ItemNo) {
    if (FData) FData->Do_ItemModifyTerminator(FItemNo, true);
  }
  ~TModifyBracket() {
    if (FData) FData->Do_ItemModifyTerminator(FItemNo, false);
  }
  TModifyBracket(const TModifyBracket&) = delete;
  TModifyBracket& operator=(const TModifyBracket&) = delete;

 private:
  TRVEditRVData* FData;
  int FItemNo;
};

// A new cell of the table's cell class that takes Source's attributes (sizes divided by the
// spans given) and its first text and paragraph style for its empty item.
void FreeCell(TRVTableCellData* Cell) { delete Cell; }

// One axis of the grid, so that an operation written once along "lines" serves rows (Cols
// false) and columns alike. A position on it is (Line, Across): the index along the axis and
// the index on the other one.
struct TGridAxis {
  bool Cols;

  int Row(int Line, int Across) const { return Cols ? Across : Line; }
  int Col(int Line, int Across) const { return Cols ? Line : Across; }
  int LineCount(const TRVTableRows& Rows) const { return Cols ? Rows.FTable->ColCount() : Rows.Count(); }
  int AcrossCount(const TRVTableRows& Rows) const { return Cols ? Rows.Count() : Rows.FTable->ColCount(); }
  // The cell's span along the axis and across it.
  int Span(const TRVTableCellData* Cell) const { return Cols ? Cell->FColSpan : Cell->FRowSpan; }
  int CrossSpan(const TRVTableCellData* Cell) const { return Cols ? Cell->FRowSpan : Cell->FColSpan; }
  // The cell covering (Line, Across) and its own position (left at the position given when
  // there is none).
  TRVTableCellData* MainCell(const TRVTableRows& Rows, int Line, int Across, int& MLine, int& MAcross) const {
    int MRow = Row(Line, Across), MCol = Col(Line, Across);
    TRVTableCellData* Cell = Rows.GetMainCell(MRow, MCol, MRow, MCol);
    MLine = Cols ? MCol : MRow;
    MAcross = Cols ? MRow : MCol;
    return Cell;
  }
};

// Before Count lines go in at Index: each cell that starts before Index and reaches into it
// spans the new lines too. Marks the positions across that such cells cover.
std::vector<bool> WidenSpansOver(TRVTableRows& Rows, TGridAxis Axis, int Index, int Count) {
  const int nAcross = Axis.AcrossCount(Rows);
  std::vector<bool> Flags(static_cast<std::size_t>(nAcross), false);
  if (Index >= Axis.LineCount(Rows)) return Flags;
  for (int a = nAcross - 1; a >= 0;) {
    int MLine = Index, MAcross = a;
    TRVTableCellData* Cell = Axis.MainCell(Rows, Index, a, MLine, MAcross);
    if (Cell && MLine < Index && MLine + Axis.Span(Cell) - 1 >= Index) {
      for (int x = MAcross; x < MAcross + Axis.CrossSpan(Cell); ++x) Flags[static_cast<std::size_t>(x)] = true;
      Rows.Do_SetSpan(Axis.Row(MLine, MAcross), Axis.Col(MLine, MAcross), Axis.Cols, Axis.Span(Cell) + Count);
    }
    a = MAcross - 1;
  }
  return Flags;
}

// The number of positions from From on, at most Max, before the first one Flags marks: how far
// a copied span may reach without running into a cell that spans over the inserted lines.
int UnmarkedRun(const std::vector<bool>& Flags, int From, int Max) {
  int n = 0;
  while (n < Max && From + n < static_cast<int>(Flags.size()) && !Flags[static_cast<std::size_t>(From + n)]) ++n;
  return n;
}

// Deletes Count lines from Index on. Cells spanning past the deleted lines are first split at
// their far edge; cells that start before and reach into them lose the deleted part of their
// span (and, with DecreaseBest, the same share of their best size).
void DeleteLines(TRVTableRows& Rows, TGridAxis Axis, int Index, int Count, bool DecreaseBest) {
  const int nLines = Axis.LineCount(Rows), nAcross = Axis.AcrossCount(Rows);
  if (Index < 0 || Index >= nLines || Count <= 0 || (Index == 0 && Count > nLines)) RaiseBadIndex();
  if (Index + Count > nLines) Count = nLines - Index;
  TModifyBracket Bracket(Rows.FMainRVData, Rows.GetUndoItemNo());
  const int Last = Index + Count - 1;
  for (int a = nAcross - 1; a >= 0;) {
    int MLine = Last, MAcross = a;
    TRVTableCellData* Cell = Axis.MainCell(Rows, Last, a, MLine, MAcross);
    if (Cell && MLine >= Index && MLine + Axis.Span(Cell) - 1 > Last) {
      if (Axis.Cols)
        Rows.Do_SplitCellVert(MAcross, MLine, Index + Count, DecreaseBest);
      else
        Rows.Do_SplitCellHorz(MLine, MAcross, Index + Count, DecreaseBest);
    }
    a = MAcross - 1;
  }
  for (int a = nAcross - 1; a >= 0;) {
    int MLine = Index, MAcross = a;
    TRVTableCellData* Cell = Axis.MainCell(Rows, Index, a, MLine, MAcross);
    if (Cell && MLine < Index) {
      const int OldSpan = Axis.Span(Cell);
      const int NewSpan = MLine + OldSpan - 1 > Last ? OldSpan - Count : Index - MLine;
      const int MRow = Axis.Row(MLine, MAcross), MCol = Axis.Col(MLine, MAcross);
      if (DecreaseBest) {
        if (Axis.Cols)
          Rows.Do_SetCellBestWidth(MRow, MCol, Cell->GetBestWidth() * NewSpan / OldSpan);
        else
          Rows.Do_SetCellBestHeight(MRow, MCol, Cell->GetBestHeight() * NewSpan / OldSpan);
      }
      Rows.Do_SetSpan(MRow, MCol, Axis.Cols, NewSpan);
    }
    a = MAcross - 1;
  }
  if (Axis.Cols)
    Rows.Do_DeleteCols(Index, Count);
  else
    Rows.Do_DeleteRows(Index, Count);
}

// Splits the cell at (Row, Col) into Count cells along the axis (side by side for columns). A
// cell spanning fewer lines gets new lines after each of its own, which the other cells of
// those lines are merged over; one spanning more is unmerged and its lines merged again into
// Count cells. Returns the number of lines added.
int SplitCellAlong(TRVTableRows& Rows, TGridAxis Axis, int Row, int Col, int Count) {
  TRVTableCellData* Cell = Rows.GetRow(Row)->GetCell(Col);
  if (Count <= 1 || !Cell) return 0;
  TModifyBracket Bracket(Rows.FMainRVData, Rows.GetUndoItemNo());
  const int Line = Axis.Cols ? Col : Row, Across = Axis.Cols ? Row : Col;
  int Span = Axis.Span(Cell);
  if (Span > 1) Rows.UnmergeCell(Row, Col, Axis.Cols, !Axis.Cols);
  // Merges Len lines from (L, A) on, CrossSpan wide across.
  const auto MergeAlong = [&](int L, int A, int Len, int CrossSpan) {
    Rows.MergeCells(Axis.Row(L, A), Axis.Col(L, A), Axis.Cols ? Len : CrossSpan, Axis.Cols ? CrossSpan : Len, true,
                    Axis.Cols);
  };
  int Result = 0;
  if (Span < Count) {
    Result = Count - Span;
    for (int k = Span - 1; k >= 0; --k) {
      const int l = Line + k;
      const int n = Count / (k + 1);
      if (n > 1) {
        if (Axis.Cols)
          Rows.InsertCols(l + 1, n - 1, true, l);
        else
          Rows.InsertRows(l + 1, n - 1, true, l);
        for (int a = Axis.AcrossCount(Rows) - 1; a >= 0;) {
          int MLine = l, MAcross = a;
          TRVTableCellData* M = Axis.MainCell(Rows, l, a, MLine, MAcross);
          if (M && MAcross != Across && MLine == l) {
            int LastLine = l + n - 1, LastAcross = MAcross;
            TRVTableCellData* LastCell = Axis.MainCell(Rows, l + n - 1, MAcross, LastLine, LastAcross);
            MergeAlong(MLine, MAcross, LastLine + (LastCell ? Axis.Span(LastCell) : 1) - MLine, Axis.CrossSpan(M));
          }
          a = MAcross - 1;
        }
      }
      Count -= n;
    }
  } else if (Count < Span) {
    int End = Line + Span;
    while (Span > 0 && Count > 0) {
      const int n = Span / Count;
      End -= n;
      if (n > 1)
        MergeAlong(End, Across, n, Axis.CrossSpan(Rows.GetRow(Axis.Row(End, Across))->GetCell(Axis.Col(End, Across))));
      Span -= n;
      --Count;
    }
  }
  return Result;
}

// Takes Count rows from Row on out of the table: into Kept, their cells told they move to
// Record, while undo is recorded (Kept given), else freed.
void TakeOutRows(TRVTableRows& Rows, int Row, int Count, TRVUndoInfo* Record, std::vector<TRVTableRow*>* Kept) {
  for (int i = 0; i < Count; ++i) {
    TRVTableRow* R = Rows.GetRow(Row);
    Rows.DeleteAsPointer(Row);
    if (!Kept) {
      delete R;
      continue;
    }
    for (int c = 0; c < R->Count(); ++c)
      if (TRVTableCellData* Cell = R->GetCell(c)) Cell->MovingToUndoList(Record);
    R->FRows = nullptr;
    Kept->push_back(R);
  }
}

}  // namespace rvtablegrid_detail

using namespace rvtablegrid_detail;

// ---- undo recording ----------------------------------------------------------------------------

int TRVTableRows::GetUndoItemNo() const {
  if (!FTable || !FTable->FState.Contains(rvtsInserted)) return -1;
  auto* Data = dynamic_cast<TRVEditRVData*>(FMainRVData);
  if (!Data || !Data->GetUndoList()) return -1;
  return FTable->GetMyItemNo();
}

TRVUndoModifyItemProps* TRVTableRows::AddUndo(TRVUndoModifyItemPropsClass Make, bool AffectWidth, bool AffectSize) {
  const int ItemNo = GetUndoItemNo();
  if (ItemNo < 0) return nullptr;
  return RVTableAddUndo(FMainRVData, Make, ItemNo, AffectWidth, AffectSize);
}

template <class T>
static T* AddTableUndo(TRVTableRows* Rows, bool AffectWidth, bool AffectSize) {
  return static_cast<T*>(Rows->AddUndo(&T::Make, AffectWidth, AffectSize));
}

void TRVTableItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) {
  TRVCustomTableItemInfo::MovingToUndoList(ItemNo, ARVData, AContainerUndoItem);
  FState.Exclude(rvtsInserted);
}

// ---- elementary steps --------------------------------------------------------------------------

void TRVTableRows::Do_InsertRows(int Row, int Count, std::vector<TRVTableRow*>* Held) {
  const int nCols = FTable->ColCount();
  if (auto* U = AddTableUndo<TRVUndoInsertTableRows>(this, true, true)) {
    U->Row = Row;
    U->Count = Count;
    U->Flag = false;
  }
  // Grow the capacity in steps: a quarter above 64 entries, 16 from 9 on, 4 below.
  int Cap = GetCapacity();
  while (Cap < this->Count() + Count) Cap += Cap > 64 ? Cap / 4 : (Cap > 8 ? 16 : 4);
  SetCapacity(Cap);
  if (Held && static_cast<int>(Held->size()) == Count) {
    std::vector<TRVTableRow*> Rows;
    Rows.swap(*Held);
    for (int i = 0; i < Count; ++i) {
      TRVTableRow* R = Rows[static_cast<std::size_t>(i)];
      InsertRow(Row + i, R);
      for (int c = 0; c < R->Count(); ++c)
        if (TRVTableCellData* Cell = R->GetCell(c)) {
          Cell->FList = R;
          Cell->MovingFromUndoList();
        }
    }
    return;
  }
  for (int i = 0; i < Count; ++i) InsertRow(Row + i, new TRVTableRow(nCols, this, FMainRVData));
}

void TRVTableRows::Do_UninsertRows(int Row, int Count) {
  auto* U = AddTableUndo<TRVUndoInsertTableRows>(this, true, true);
  if (U) {
    U->Row = Row;
    U->Count = Count;
    U->Flag = true;
  }
  TakeOutRows(*this, Row, Count, U, U ? &U->Rows : nullptr);
}

void TRVTableRows::Do_InsertCell(int Row, int Col, TRVTableCellData** Held) {
  if (auto* U = AddTableUndo<TRVUndoInsertTableCell>(this, true, true)) {
    U->Row = Row;
    U->Col = Col;
    U->Flag = false;
  }
  if (Held && *Held) {
    TRVTableCellData* Cell = *Held;
    *Held = nullptr;
    GetRow(Row)->InsertCell(Col, Cell);
    Cell->MovingFromUndoList();
    return;
  }
  GetRow(Row)->Insert(Col);
}

void TRVTableRows::Do_UninsertCell(int Row, int Col) {
  auto* U = AddTableUndo<TRVUndoInsertTableCell>(this, true, true);
  if (U) {
    U->Row = Row;
    U->Col = Col;
    U->Flag = true;
  }
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  GetRow(Row)->DeleteAsPointer(Col);
  if (U && Cell) {
    Cell->MovingToUndoList(U);
    U->Cell = Cell;
  } else {
    FreeCell(Cell);
  }
}

void TRVTableRows::Do_SpreadOverEmptyCells(int Row, int Col, int ColSpan) {
  if (auto* U = AddTableUndo<TRVUndoSpreadOverEmptyCells>(this, true, true)) {
    U->Row = Row;
    U->Col = Col;
    U->ColSpan = ColSpan;
    U->Flag = false;
  }
  TRVTableRow* R = GetRow(Row);
  R->GetCell(Col)->FColSpan = ColSpan;
  for (int c = Col + 1; c < Col + ColSpan; ++c) {
    TRVTableCellData* Cell = R->GetCell(c);
    R->PutCell(c, nullptr);
    FreeCell(Cell);
  }
}

void TRVTableRows::Do_UnspreadOverEmptyCells(int Row, int Col, int ColSpan) {
  if (auto* U = AddTableUndo<TRVUndoSpreadOverEmptyCells>(this, true, true)) {
    U->Row = Row;
    U->Col = Col;
    U->ColSpan = ColSpan;
    U->Flag = true;
  }
  TRVTableRow* R = GetRow(Row);
  R->GetCell(Col)->FColSpan = 1;
  for (int c = Col + 1; c < Col + ColSpan; ++c) {
    R->DeleteAsPointer(c);
    R->Insert(c);
  }
}

void TRVTableRows::Do_SetSpan(int Row, int Col, bool IsColSpan, int Span) {
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  int& Field = IsColSpan ? Cell->FColSpan : Cell->FRowSpan;
  if (auto* U = AddTableUndo<TRVUndoSpan>(this, true, true)) {
    U->IsColSpan = IsColSpan;
    U->Row = Row;
    U->Col = Col;
    U->OldSpan = Field;
  }
  Field = Span;
}

void TRVTableRows::Do_ChangeEmptyCellStyles(int Row, int Col, int StyleNo, int ParaNo) {
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  if (auto* U = AddTableUndo<TRVUndoChangeEmptyCellStyles>(this, true, true)) {
    U->Row = Row;
    U->Col = Col;
    U->StyleNo = Cell->ItemCount() ? Cell->GetItem(0)->StyleNo : 0;
    U->ParaNo = Cell->GetFirstParaStyleNo();
  }
  Cell->Clear();
  Cell->AddNL(TRVUnicodeString(), StyleNo, ParaNo);
}

void TRVTableRows::Do_FreeEmptyCells(int Row, int Col, int RowCount, int ColCount) {
  if (auto* U = AddTableUndo<TRVUndoFreeEmptyCell>(this, true, true)) {
    U->Flag = false;
    U->Row = Row;
    U->Col = Col;
    U->RowSpan = RowCount;
    U->ColSpan = ColCount;
  }
  for (int r = Row; r < Row + RowCount; ++r)
    for (int c = Col; c < Col + ColCount; ++c) {
      TRVTableCellData* Cell = GetRow(r)->GetCell(c);
      GetRow(r)->PutCell(c, nullptr);
      FreeCell(Cell);
    }
}

void TRVTableRows::Do_UnfreeEmptyCells(int Row, int Col, int RowCount, int ColCount) {
  if (auto* U = AddTableUndo<TRVUndoFreeEmptyCell>(this, true, true)) {
    U->Flag = true;
    U->Row = Row;
    U->Col = Col;
    U->RowSpan = RowCount;
    U->ColSpan = ColCount;
  }
  for (int r = Row; r < Row + RowCount; ++r)
    for (int c = Col; c < Col + ColCount; ++c) {
      GetRow(r)->DeleteAsPointer(c);
      GetRow(r)->Insert(c);
    }
}

void TRVTableRows::Do_InsertEmptyCells(int Row, int Col, int RowCount, int ColCount) {
  if (auto* U = AddTableUndo<TRVUndoInsertEmptyCell>(this, true, true)) {
    U->Flag = false;
    U->Row = Row;
    U->Col = Col;
    U->RowCount = RowCount;
    U->ColCount = ColCount;
  }
  for (int r = Row; r < Row + RowCount; ++r)
    for (int i = 0; i < ColCount; ++i) GetRow(r)->InsertPointer(Col);
}

void TRVTableRows::Do_UninsertEmptyCells(int Row, int Col, int RowCount, int ColCount) {
  if (auto* U = AddTableUndo<TRVUndoInsertEmptyCell>(this, true, true)) {
    U->Flag = true;
    U->Row = Row;
    U->Col = Col;
    U->RowCount = RowCount;
    U->ColCount = ColCount;
  }
  for (int r = Row; r < Row + RowCount; ++r)
    for (int i = 0; i < ColCount; ++i) GetRow(r)->DeleteAsPointer(Col);
}

void TRVTableRows::Do_SplitCellHorz(int Row, int Col, int Row2, bool DecreaseHeight) {
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  if (auto* U = AddTableUndo<TRVUndoCellSpitHorz>(this, false, true)) {
    U->Flag = false;
    U->DecreaseHeight = DecreaseHeight;
    U->Row = Row;
    U->Col = Col;
    U->Row2 = Row2;
    U->OldBestHeight = Cell->GetBestHeight();
  }
  const int Span = Cell->FRowSpan, Lower = Row + Span - Row2, Upper = Span - Lower;
  const TRVStyleLength Best = Cell->GetBestHeight();
  TRVTableRow* R2 = GetRow(Row2);
  R2->DeleteAsPointer(Col);
  TRVTableCellData* NewCell = R2->Insert(Col);
  NewCell->AssignAttributesFrom(Cell, false, 1, 1);
  NewCell->FColSpan = Cell->FColSpan;
  NewCell->FRowSpan = Lower;
  NewCell->SetBestHeight(Lower * Best / Span);
  if (DecreaseHeight) Cell->SetBestHeight(Upper * Best / Span);
  Cell->FRowSpan = Upper;
}

void TRVTableRows::Do_JoinCellHorz(int Row, int Col, int Row2, TRVStyleLength OldBestHeight, bool DecreaseHeight) {
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  TRVTableCellData* Lower = GetRow(Row2)->GetCell(Col);
  if (auto* U = AddTableUndo<TRVUndoCellSpitHorz>(this, false, true)) {
    U->Flag = true;
    U->DecreaseHeight = DecreaseHeight;
    U->Row = Row;
    U->Col = Col;
    U->Row2 = Row2;
  }
  Cell->SetBestHeight(OldBestHeight);
  Cell->FRowSpan += Lower->FRowSpan;
  GetRow(Row2)->PutCell(Col, nullptr);
  FreeCell(Lower);
}

void TRVTableRows::Do_SplitCellVert(int Row, int Col, int Col2, bool DecreaseWidth) {
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  if (auto* U = AddTableUndo<TRVUndoCellSpitVert>(this, true, true)) {
    U->Flag = false;
    U->DecreaseWidth = DecreaseWidth;
    U->Row = Row;
    U->Col = Col;
    U->Col2 = Col2;
    U->OldBestWidth = Cell->GetBestWidth();
  }
  const int Span = Cell->FColSpan, Right = Col + Span - Col2, Left = Span - Right;
  const TRVHTMLLength Best = Cell->GetBestWidth();
  TRVTableRow* R = GetRow(Row);
  R->DeleteAsPointer(Col2);
  TRVTableCellData* NewCell = R->Insert(Col2);
  NewCell->AssignAttributesFrom(Cell, false, 1, 1);
  NewCell->FRowSpan = Cell->FRowSpan;
  NewCell->FColSpan = Right;
  NewCell->SetBestWidth(Right * Best / Span);
  NewCell->SetBestHeight(Cell->GetBestHeight());
  if (DecreaseWidth) Cell->SetBestWidth(Left * Best / Span);
  Cell->FColSpan = Left;
}

void TRVTableRows::Do_JoinCellVert(int Row, int Col, int Col2, TRVHTMLLength OldBestWidth, bool DecreaseWidth) {
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  TRVTableCellData* Right = GetRow(Row)->GetCell(Col2);
  if (auto* U = AddTableUndo<TRVUndoCellSpitVert>(this, true, true)) {
    U->Flag = true;
    U->DecreaseWidth = DecreaseWidth;
    U->Row = Row;
    U->Col = Col;
    U->Col2 = Col2;
  }
  Cell->SetBestWidth(OldBestWidth);
  Cell->FColSpan += Right->FColSpan;
  GetRow(Row)->PutCell(Col2, nullptr);
  FreeCell(Right);
}

void TRVTableRows::Do_DeleteRows(int Row, int Count) {
  auto* U = AddTableUndo<TRVUndoDeleteRows>(this, true, true);
  if (U) {
    U->Flag = false;
    U->Row = Row;
    U->Count = Count;
  }
  TakeOutRows(*this, Row, Count, U, U ? &U->Rows : nullptr);
}

void TRVTableRows::Do_RestoreRows(int Row, std::vector<TRVTableRow*>& Rows) {
  if (auto* U = AddTableUndo<TRVUndoDeleteRows>(this, true, true)) {
    U->Flag = true;
    U->Row = Row;
    U->Count = static_cast<int>(Rows.size());
  }
  while (!Rows.empty()) {
    TRVTableRow* R = Rows.back();
    Rows.pop_back();
    InsertRow(Row, R);
    for (int c = 0; c < R->Count(); ++c)
      if (TRVTableCellData* Cell = R->GetCell(c)) {
        Cell->FList = R;
        Cell->MovingFromUndoList();
        Cell->Inserted(Cell);
      }
  }
}

void TRVTableRows::Do_DeleteCols(int Col, int Count) {
  auto* U = AddTableUndo<TRVUndoDeleteCols>(this, true, true);
  if (U) {
    U->Flag = false;
    U->Col = Col;
    U->Count = Count;
  }
  for (int r = 0; r < this->Count(); ++r) {
    TRVTableRow* R = GetRow(r);
    for (int c = Col + Count - 1; c >= Col; --c) {
      TRVTableCellData* Cell = R->GetCell(c);
      R->DeleteAsPointer(c);
      if (!U) {
        FreeCell(Cell);
        continue;
      }
      if (Cell) Cell->MovingToUndoList(U);
      U->CellsList.push_back(Cell);
    }
  }
}

void TRVTableRows::Do_RestoreCols(int Col, int Count, std::vector<TRVTableCellData*>& Cells) {
  if (auto* U = AddTableUndo<TRVUndoDeleteCols>(this, true, true)) {
    U->Flag = true;
    U->Col = Col;
    U->Count = Count;
  }
  std::size_t k = 0;
  for (int r = 0; r < this->Count(); ++r) {
    TRVTableRow* R = GetRow(r);
    for (int i = 0; i < Count; ++i) {
      TRVTableCellData* Cell = k < Cells.size() ? Cells[k] : nullptr;
      if (k < Cells.size()) Cells[k] = nullptr;
      ++k;
      R->InsertCell(Col, Cell);
      if (Cell) {
        Cell->MovingFromUndoList();
        Cell->Inserted(Cell);
      }
    }
  }
  Cells.clear();
}

void TRVTableRows::Do_SetCellBestWidth(int Row, int Col, TRVHTMLLength Value) {
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  if (Cell->GetBestWidth() == Value) return;
  if (auto* U = AddTableUndo<TRVUndoModifyCellIntProperty>(this, true, true)) {
    U->Row = Row;
    U->Col = Col;
    U->PropertyName = u"BestWidth";
    U->Value = Cell->GetBestWidth();
  }
  Cell->SetBestWidth(Value);
}

void TRVTableRows::Do_SetCellBestHeight(int Row, int Col, TRVStyleLength Value) {
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  if (Cell->GetBestHeight() == Value) return;
  if (auto* U = AddTableUndo<TRVUndoModifyCellIntProperty>(this, false, true)) {
    U->Row = Row;
    U->Col = Col;
    U->PropertyName = u"BestHeight";
    U->Value = Cell->GetBestHeight();
  }
  Cell->SetBestHeight(Value);
}

void TRVTableRows::Do_SetVisibleBorders(int Row, int Col, bool Left, bool Right, bool Top, bool Bottom) {
  TRVBooleanRect* Borders = Row < 0 ? FTable->GetVisibleBorders() : GetRow(Row)->GetCell(Col)->GetVisibleBorders();
  if (auto* U = AddTableUndo<TRVUndoModifyVisibleBorders>(this, false, false)) {
    U->Row = Row;
    U->Col = Col;
    Borders->GetValues(U->Left, U->Top, U->Right, U->Bottom);
  }
  Borders->SetValues(Left, Top, Right, Bottom);
}

void TRVTableRows::Do_SetRowVAlign(int Row, TRVCellVAlign Value) {
  TRVTableRow* R = GetRow(Row);
  if (R->FVAlign == Value) return;
  if (auto* U = AddTableUndo<TRVUndoRowVAlign>(this, false, true)) {
    U->Row = Row;
    U->OldVAlign = R->FVAlign;
  }
  R->FVAlign = Value;
}

void TRVTableRows::Do_SetRowKeepTogether(int Row, bool Value) {
  TRVTableRow* R = GetRow(Row);
  if (R->FKeepTogether == Value) return;
  if (auto* U = AddTableUndo<TRVUndoRowKeepTogether>(this, false, false)) {
    U->Row = Row;
    U->OldValue = R->FKeepTogether;
  }
  R->FKeepTogether = Value;
}

void TRVTableRows::Do_SetRowPageBreakBefore(int Row, bool Value) {
  TRVTableRow* R = GetRow(Row);
  if (R->FPageBreakBefore == Value) return;
  if (auto* U = AddTableUndo<TRVUndoRowPageBreakBefore>(this, false, false)) {
    U->Row = Row;
    U->OldValue = R->FPageBreakBefore;
  }
  R->FPageBreakBefore = Value;
}

// ---- rows and columns --------------------------------------------------------------------------

void TRVTableRows::InsertCols(int Index, int Count, bool DivideBestWidth, int CopyIndex) {
  const int nCols = FTable->ColCount(), nRows = this->Count();
  if (Index < 0 || Index > nCols || CopyIndex < -1 || CopyIndex >= nCols || Count < 0) RaiseBadIndex();
  if (Count == 0) return;
  TModifyBracket Bracket(FMainRVData, GetUndoItemNo());
  const std::vector<bool> Flags = WidenSpansOver(*this, TGridAxis{true}, Index, Count);
  for (int r = 0; r < nRows;) {
    if (Flags[static_cast<std::size_t>(r)]) {
      Do_InsertEmptyCells(r, Index, 1, Count);
      ++r;
      continue;
    }
    TRVTableCellData* Source = nullptr;
    if (CopyIndex != -1) {
      int MRow = r, MCol = CopyIndex;
      Source = GetMainCell(r, CopyIndex, MRow, MCol);
      if (MRow != r) Source = nullptr;
      // Row r has no inserted positions yet: MCol is the source's place now.
      if (Source && DivideBestWidth)
        Do_SetCellBestWidth(r, MCol, Source->GetBestWidth() * Source->FColSpan / (Source->FColSpan + Count));
    }
    // The copies span the source's rows, but not into a row where a cell spans over the new
    // columns: that row's new positions are its cell's.
    const int Span = Source ? UnmarkedRun(Flags, r, Source->FRowSpan) : 1;
    for (int i = 0; i < Count; ++i) {
      Do_InsertCell(r, Index);
      if (Source) {
        TRVTableCellData* NewCell = GetRow(r)->GetCell(Index);
        NewCell->AssignAttributesFrom(Source, true, Source->FColSpan, 1);
        NewCell->SetBestHeight(Source->GetBestHeight());
        Do_ChangeEmptyCellStyles(r, Index, Source->GetFirstTextStyleNo(false), Source->GetFirstParaStyleNo());
        if (Span != 1) Do_SetSpan(r, Index, false, Span);
      }
    }
    if (Span > 1) Do_InsertEmptyCells(r + 1, Index, Span - 1, Count);
    r += Span;
  }
}

void TRVTableRows::InsertRows(int Index, int Count, bool DivideBestHeight, int CopyIndex) {
  const int nCols = FTable->ColCount(), nRows = this->Count();
  if (Index < 0 || Index > nRows || CopyIndex < -1 || CopyIndex >= nRows || Count < 0) RaiseBadIndex();
  if (Count == 0) return;
  TModifyBracket Bracket(FMainRVData, GetUndoItemNo());
  const std::vector<bool> Flags = WidenSpansOver(*this, TGridAxis{false}, Index, Count);
  if (CopyIndex >= Index) CopyIndex += Count;
  Do_InsertRows(Index, Count);
  if (CopyIndex != -1)
    for (int i = 0; i < Count; ++i) {
      Do_SetRowVAlign(Index + i, GetRow(CopyIndex)->FVAlign);
      Do_SetRowKeepTogether(Index + i, GetRow(CopyIndex)->FKeepTogether);
    }
  for (int c = 0; c < nCols;) {
    if (Flags[static_cast<std::size_t>(c)]) {
      Do_FreeEmptyCells(Index, c, Count, 1);
      ++c;
      continue;
    }
    TRVTableCellData* Source = nullptr;
    if (CopyIndex != -1) {
      int MRow = CopyIndex, MCol = c;
      Source = GetMainCell(CopyIndex, c, MRow, MCol);
      if (MCol != c) Source = nullptr;
      if (Source && DivideBestHeight)
        Do_SetCellBestHeight(MRow, MCol, Source->GetBestHeight() * Source->FRowSpan / (Source->FRowSpan + Count));
    }
    if (!Source) {
      ++c;
      continue;
    }
    // The copies span the source's columns, but not into a column where a cell spans over the
    // new rows: that column's new positions are its cell's.
    const int Span = UnmarkedRun(Flags, c, Source->FColSpan);
    for (int i = 0; i < Count; ++i) {
      TRVTableCellData* NewCell = GetRow(Index + i)->GetCell(c);
      NewCell->AssignAttributesFrom(Source, true, 1, Source->FRowSpan);
      NewCell->SetBestWidth(Source->GetBestWidth());
      Do_ChangeEmptyCellStyles(Index + i, c, Source->GetFirstTextStyleNo(false), Source->GetFirstParaStyleNo());
      if (Span > 1) Do_SpreadOverEmptyCells(Index + i, c, Span);
    }
    c += Span;
  }
}

void TRVTableRows::DeleteRows(int Index, int Count, bool DecreaseBestHeight) {
  DeleteLines(*this, TGridAxis{false}, Index, Count, DecreaseBestHeight);
}

void TRVTableRows::DeleteCols(int Index, int Count, bool DecreaseBestWidth) {
  DeleteLines(*this, TGridAxis{true}, Index, Count, DecreaseBestWidth);
}

// ---- merging and splitting ---------------------------------------------------------------------

void TRVTableRows::UnmergeCell(int Row, int Col, bool UnmergeCols, bool UnmergeRows) {
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  if (!Cell || !((UnmergeCols && Cell->FColSpan != 1) || (UnmergeRows && Cell->FRowSpan != 1))) return;
  Do_Unmerge(Row, Col, UnmergeCols, UnmergeRows);
}

void TRVTableRows::Do_Unmerge(int Row, int Col, bool UnmergeCols, bool UnmergeRows) {
  TRVTableCellData* Cell = GetRow(Row)->GetCell(Col);
  if (auto* U = AddTableUndo<TRVUndoUnmerge>(this, true, true)) {
    U->Flag = false;
    U->UnmergeCols = UnmergeCols;
    U->UnmergeRows = UnmergeRows;
    U->Row = Row;
    U->Col = Col;
    U->OldColSpan = Cell->FColSpan;
    U->OldRowSpan = Cell->FRowSpan;
    U->OldBestHeight = Cell->GetBestHeight();
    U->OldBestWidth = Cell->GetBestWidth();
  }
  TRVHTMLLength WidthShare = Cell->GetBestWidth();
  if (UnmergeCols) {
    WidthShare = Cell->GetBestWidth() / Cell->FColSpan;
    if (WidthShare == 0 && Cell->GetBestWidth() != 0) WidthShare = Cell->GetBestWidth() > 0 ? 1 : -1;
  }
  const int RowSpan = Cell->FRowSpan, ColSpan = Cell->FColSpan;
  if (UnmergeRows && RowSpan > 1) {
    const TRVStyleLength HeightShare = Cell->GetBestHeight() / RowSpan;
    for (int r = Row + 1; r < Row + RowSpan; ++r) {
      GetRow(r)->DeleteAsPointer(Col);
      TRVTableCellData* NewCell = GetRow(r)->Insert(Col);
      NewCell->AssignAttributesFrom(Cell, true, 1, RowSpan);
      NewCell->FColSpan = ColSpan;
    }
    Cell->FRowSpan = 1;
    Cell->SetBestHeight(HeightShare);
  }
  if (UnmergeCols && ColSpan > 1) {
    const int LastRow = UnmergeRows ? Row + RowSpan - 1 : Row;
    for (int r = Row; r <= LastRow; ++r) {
      TRVTableCellData* Left = GetRow(r)->GetCell(Col);
      for (int c = Col + 1; c < Col + ColSpan; ++c) {
        GetRow(r)->DeleteAsPointer(c);
        TRVTableCellData* NewCell = GetRow(r)->Insert(c);
        NewCell->AssignAttributesFrom(Left, false, 1, 1);
        NewCell->SetBestWidth(WidthShare);
        NewCell->FRowSpan = Left->FRowSpan;
      }
      Left->FColSpan = 1;
      Left->SetBestWidth(WidthShare);
    }
  }
}

void TRVTableRows::Do_Remerge(int Row, int Col, int ColSpan, int RowSpan, bool UnmergeCols, bool UnmergeRows,
                              TRVHTMLLength BestWidth, TRVStyleLength BestHeight) {
  TRVTableCellData* Main = GetRow(Row)->GetCell(Col);
  if (auto* U = AddTableUndo<TRVUndoUnmerge>(this, true, true)) {
    U->Flag = true;
    U->UnmergeCols = UnmergeCols;
    U->UnmergeRows = UnmergeRows;
    U->Row = Row;
    U->Col = Col;
  }
  for (int r = Row; r < Row + RowSpan; ++r)
    for (int c = Col; c < Col + ColSpan; ++c) {
      TRVTableCellData* Cell = GetRow(r)->GetCell(c);
      if (!Cell || Cell == Main) continue;
      // The cells the split made are empty; anything typed into them since is kept.
      if (Cell->HasData(false)) Main->DrainFrom(Cell);
      GetRow(r)->PutCell(c, nullptr);
      FreeCell(Cell);
    }
  Main->FColSpan = ColSpan;
  Main->FRowSpan = RowSpan;
  Main->SetBestWidth(BestWidth);
  Main->SetBestHeight(BestHeight);
}

void TRVTableRows::UnmergeCells(int TopRow, int LeftCol, int RowCount, int ColCount, bool UnmergeCols,
                                bool UnmergeRows) {
  TModifyBracket Bracket(FMainRVData, GetUndoItemNo());
  for (int r = TopRow + RowCount - 1; r >= TopRow; --r)
    for (int c = LeftCol + ColCount - 1; c >= LeftCol; --c) UnmergeCell(r, c, UnmergeCols, UnmergeRows);
}

int TRVTableRows::SplitCellVertically(int Row, int Col, int Count) {
  return SplitCellAlong(*this, TGridAxis{true}, Row, Col, Count);
}

int TRVTableRows::SplitCellHorizontally(int Row, int Col, int Count) {
  return SplitCellAlong(*this, TGridAxis{false}, Row, Col, Count);
}

int TRVTableRows::SplitCellsVertically(int TopRow, int LeftCol, int RowCount, int ColCount, int Count) {
  int Result = 0;
  for (int c = LeftCol + ColCount - 1; c >= LeftCol; --c)
    for (int r = TopRow; r < TopRow + RowCount; ++r) Result += SplitCellVertically(r, c, Count);
  return Result;
}

int TRVTableRows::SplitCellsHorizontally(int TopRow, int LeftCol, int RowCount, int ColCount, int Count) {
  int Result = 0;
  for (int r = TopRow + RowCount - 1; r >= TopRow; --r)
    for (int c = LeftCol; c < LeftCol + ColCount; ++c) Result += SplitCellHorizontally(r, c, Count);
  return Result;
}

// ---- clearing cells ------------------------------------------------------------------------------

void TRVTableRows::ClearCells(std::vector<TRVTableCellData*>* Removed, const TRVIntegerList& Rows,
                              const TRVIntegerList& Cols, TRVUndoInfo* UndoRecord) {
  for (int i = 0; i < Rows.Count() && i < Cols.Count(); ++i) {
    const int r = Rows.Get(i), c = Cols.Get(i);
    TRVTableCellData* Cell = GetRow(r)->GetCell(c);
    if (!Cell) continue;
    const int StyleNo = Cell->GetFirstTextStyleNo(false), ParaNo = Cell->GetFirstParaStyleNo();
    if (!Removed) {
      Cell->Clear();
      Cell->AddNL(TRVUnicodeString(), StyleNo, ParaNo);
      continue;
    }
    Cell->Deselect(nullptr, false);
    const bool WasSelected = Cell->State.Contains(rvstCompletelySelected);
    Cell->State.Exclude(rvstCompletelySelected);
    TRVTableRow* R = GetRow(r);
    TRVTableCellData* NewCell = R->Insert(c);
    R->DeleteAsPointer(c + 1);
    NewCell->AssignAttributesFrom(Cell, true, 1, 1);
    NewCell->AssignSizeFrom(Cell);
    NewCell->FRowSpan = Cell->FRowSpan;
    NewCell->FColSpan = Cell->FColSpan;
    NewCell->Clear();
    NewCell->AddNL(TRVUnicodeString(), StyleNo, ParaNo);
    if (WasSelected) NewCell->State.Include(rvstCompletelySelected);
    Cell->MovingToUndoList(UndoRecord);
    Removed->push_back(Cell);
  }
}

void TRVTableRows::Do_ClearCells(const TRVIntegerList& Rows, const TRVIntegerList& Cols) {
  auto* U = AddTableUndo<TRVUndoCellsClear>(this, true, true);
  if (U) {
    U->Flag = false;
    U->RowList.Assign(Rows);
    U->ColList.Assign(Cols);
  }
  ClearCells(U ? &U->CellsList : nullptr, Rows, Cols, U);
}

void TRVTableRows::Do_RestoreClearedCells(const TRVIntegerList& Rows, const TRVIntegerList& Cols,
                                          std::vector<TRVTableCellData*>& Cells) {
  if (auto* U = AddTableUndo<TRVUndoCellsClear>(this, true, true)) {
    U->Flag = true;
    U->RowList.Assign(Rows);
    U->ColList.Assign(Cols);
  }
  for (int i = static_cast<int>(Cells.size()) - 1; i >= 0; --i) {
    TRVTableCellData* Cell = Cells[static_cast<std::size_t>(i)];
    Cells[static_cast<std::size_t>(i)] = nullptr;
    if (!Cell || i >= Rows.Count() || i >= Cols.Count()) {
      delete Cell;
      continue;
    }
    TRVTableRow* R = GetRow(Rows.Get(i));
    TRVTableCellData* Current = R->GetCell(Cols.Get(i));
    R->PutCell(Cols.Get(i), Cell);
    Cell->MovingFromUndoList();
    Cell->Inserted(Cell);
    FreeCell(Current);
  }
  Cells.clear();
}

// ---- the cell's side of undoing a merge ----------------------------------------------------------

void TRVTableCellData::TakeItemsFrom(TRVTableCellData* From, int Count) {
  const int First = From->ItemCount() - Count;
  if (Count <= 0 || First < 0) return;
  Clear();
  for (int i = First; i < From->ItemCount(); ++i) {
    TCustomRVItemInfo* Item = From->GetItem(i);
    if (Item->Checkpoint) From->UnlinkCheckpoint(Item->Checkpoint, true);
    From->GetItems()->Put(i, nullptr);
    if (i > First && Item->GetSameAsPrev()) Item->ParaNo = -1;
    if (i == First) Item->SetSameAsPrev(false);
    AddItem(Item->ItemText, Item);
  }
  for (int i = From->ItemCount() - 1; i >= First; --i) From->GetItems()->Delete(i);
}
