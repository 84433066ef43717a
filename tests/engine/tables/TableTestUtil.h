// Fixtures of the table tests: the merged-cell invariants of a grid as one check, and a table of
// short texts added to a document over the fixed-metrics style sheet of the layout tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/layout/LayoutTestUtil.h"
#include "engine/tables/RVTable.h"

// Every row has ColCount positions; every cell has spans of at least 1 and covers a rectangle
// inside the grid whose other positions are nil; every nil position lies in exactly one such
// rectangle; every cell's owner is the row holding it and GetMainCell finds the owner of every
// position.
inline ::testing::AssertionResult CheckTableInvariants(const TRVTableItemInfo& Table) {
  const int Rows = Table.RowCount(), Cols = Table.ColCount();
  std::vector<std::vector<const TRVTableCellData*>> Cover(
      static_cast<std::size_t>(Rows), std::vector<const TRVTableCellData*>(static_cast<std::size_t>(Cols)));
  auto At = [&](int r, int c) -> const TRVTableCellData*& {
    return Cover[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
  };
  for (int r = 0; r < Rows; ++r) {
    const TRVTableRow* Row = Table.GetRows()->GetRow(r);
    if (Row->Count() != Cols)
      return ::testing::AssertionFailure() << "row " << r << " has " << Row->Count() << " positions, not " << Cols;
    if (Row->FRows != Table.GetRows()) return ::testing::AssertionFailure() << "row " << r << " has another grid";
  }
  for (int r = 0; r < Rows; ++r)
    for (int c = 0; c < Cols; ++c) {
      const TRVTableCellData* Cell = Table.GetCells(r, c);
      if (!Cell) continue;
      if (Cell->FList != Table.GetRows()->GetRow(r))
        return ::testing::AssertionFailure() << "cell (" << r << "," << c << ") is owned by another list";
      if (Cell->FRowSpan < 1 || Cell->FColSpan < 1)
        return ::testing::AssertionFailure()
               << "cell (" << r << "," << c << ") has spans " << Cell->FRowSpan << "x" << Cell->FColSpan;
      if (r + Cell->FRowSpan > Rows || c + Cell->FColSpan > Cols)
        return ::testing::AssertionFailure() << "cell (" << r << "," << c << ") reaches outside the grid";
      for (int rr = r; rr < r + Cell->FRowSpan; ++rr)
        for (int cc = c; cc < c + Cell->FColSpan; ++cc) {
          if (At(rr, cc))
            return ::testing::AssertionFailure() << "position (" << rr << "," << cc << ") is covered twice";
          if ((rr != r || cc != c) && Table.GetCells(rr, cc))
            return ::testing::AssertionFailure() << "covered position (" << rr << "," << cc << ") holds a cell";
          At(rr, cc) = Cell;
        }
    }
  for (int r = 0; r < Rows; ++r)
    for (int c = 0; c < Cols; ++c) {
      if (!At(r, c)) return ::testing::AssertionFailure() << "nil position (" << r << "," << c << ") is not covered";
      int mr = -1, mc = -1;
      if (Table.GetRows()->GetMainCell(r, c, mr, mc) != At(r, c) || Table.GetCells(mr, mc) != At(r, c))
        return ::testing::AssertionFailure() << "GetMainCell(" << r << "," << c << ") misses its cell";
    }
  return ::testing::AssertionSuccess();
}

// A document over the fixed-metrics sheet (10-pixel characters, 10-pixel lines) that holds
// tables; text style 2 and paragraph style 1 exist besides the defaults.
struct TTableDoc : TLayoutDoc {
  explicit TTableDoc(int Width = 650) : TLayoutDoc(Width, 3, 2) {}

  // A Rows x Cols table whose cell (r, c) holds Text(r, c) in text style 0, appended to the
  // document (which owns it).
  TRVTableItemInfo* AddTable(int Rows, int Cols, const std::function<std::u16string(int, int)>& Text = nullptr) {
    auto Table = TRVTableItemInfo::CreateEx(Rows, Cols, &Doc);
    if (Text)
      for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Cols; ++c) {
          TRVTableCellData* Cell = Table->GetCells(r, c);
          Cell->Clear();
          Cell->AddNL(Text(r, c), 0, 0);
        }
    TRVTableItemInfo* Result = Table.get();
    Doc.AddItem(u"", std::move(Table));
    return Result;
  }
};

// The text of a cell's document, its paragraphs joined by "/".
inline std::u16string CellText(TRVTableCellData* Cell) {
  std::u16string s;
  for (int i = 0; i < Cell->ItemCount(); ++i) {
    if (i && !Cell->GetItem(i)->GetSameAsPrev()) s += u"/";
    s += Cell->GetItemTextW(i);
  }
  return s;
}
