// The grid operations of a table outside an editor (no undo): rows and columns inserted and
// deleted across merged cells, merging, unmerging and splitting, each step keeping the grid
// invariants.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/foundation/RVClasses.h"
#include "engine/tables/TableTestUtil.h"

namespace {

std::u16string Name(int r, int c) { return std::u16string(1, static_cast<char16_t>(u'a' + r * 4 + c)); }

// The shape of the grid: per row, "x" for a cell of span 1x1, "RxC" for a merged one, "." for nil.
std::string Shape(const TRVTableItemInfo& T) {
  std::string s;
  for (int r = 0; r < T.RowCount(); ++r) {
    if (r) s += "|";
    for (int c = 0; c < T.ColCount(); ++c) {
      const TRVTableCellData* Cell = T.GetCells(r, c);
      if (c) s += " ";
      if (!Cell)
        s += ".";
      else if (Cell->FRowSpan == 1 && Cell->FColSpan == 1)
        s += "x";
      else
        s += std::to_string(Cell->FRowSpan) + "x" + std::to_string(Cell->FColSpan);
    }
  }
  return s;
}

struct TGridCase {
  const char* Name;
  int Rows, Cols;
  std::function<void(TRVTableRows&)> Prepare, Act;
  const char* Shape;
};

void Merge(TRVTableRows& g, int r, int c, int rs, int cs) { g.MergeCells(r, c, cs, rs, true, false); }

}  // namespace

TEST(TableGrid, StructureOperationsKeepTheInvariants) {
  const TGridCase Cases[] = {
      {"insert a column inside a cell spanning three", 2, 3, [](TRVTableRows& g) { Merge(g, 0, 0, 1, 3); },
       [](TRVTableRows& g) { g.InsertCols(1, 1, false, -1); }, "1x4 . . .|x x x x"},
      {"append a column", 2, 2, [](TRVTableRows& g) { Merge(g, 0, 0, 2, 1); },
       [](TRVTableRows& g) { g.InsertCols(2, 2, false, 1); }, "2x1 x x x|. x x x"},
      {"insert a column copying a cell two rows high", 3, 2, [](TRVTableRows& g) { Merge(g, 0, 0, 2, 1); },
       [](TRVTableRows& g) { g.InsertCols(1, 1, false, 0); }, "2x1 2x1 x|. . x|x x x"},
      {"insert a row inside a cell spanning rows", 3, 2, [](TRVTableRows& g) { Merge(g, 0, 0, 3, 1); },
       [](TRVTableRows& g) { g.InsertRows(1, 2, false, -1); }, "5x1 x|. x|. x|. x|. x"},
      {"insert a row copying a wide cell", 2, 3, [](TRVTableRows& g) { Merge(g, 1, 0, 1, 2); },
       [](TRVTableRows& g) { g.InsertRows(2, 1, false, 1); }, "x x x|1x2 . x|1x2 . x"},
      {"insert a row copying a wide cell over a tall one", 3, 3,
       [](TRVTableRows& g) {
         Merge(g, 0, 0, 1, 3);
         Merge(g, 1, 1, 2, 1);
       },
       [](TRVTableRows& g) { g.InsertRows(2, 1, false, 0); }, "1x3 . .|x 3x1 x|x . x|x . x"},
      {"insert a column copying a tall cell over a wide one", 3, 3,
       [](TRVTableRows& g) {
         Merge(g, 0, 0, 3, 1);
         Merge(g, 1, 1, 1, 2);
       },
       [](TRVTableRows& g) { g.InsertCols(2, 1, false, 0); }, "3x1 x x x|. 1x3 . .|. x x x"},
      {"delete a row inside a cell spanning three", 3, 2, [](TRVTableRows& g) { Merge(g, 0, 0, 3, 1); },
       [](TRVTableRows& g) { g.DeleteRows(1, 1, true); }, "2x1 x|. x"},
      {"delete the rows where a tall cell begins", 3, 2, [](TRVTableRows& g) { Merge(g, 1, 0, 2, 1); },
       [](TRVTableRows& g) { g.DeleteRows(0, 2, false); }, "x x"},
      {"delete a row that holds no cell of its own", 3, 2,
       [](TRVTableRows& g) {
         Merge(g, 0, 0, 2, 1);
         Merge(g, 0, 1, 2, 1);
       },
       [](TRVTableRows& g) { g.DeleteRows(1, 1, false); }, "x x|x x"},
      {"delete rows past the end", 3, 2, nullptr, [](TRVTableRows& g) { g.DeleteRows(1, 5, false); }, "x x"},
      {"delete a column inside a wide cell", 2, 3, [](TRVTableRows& g) { Merge(g, 0, 0, 1, 3); },
       [](TRVTableRows& g) { g.DeleteCols(1, 1, true); }, "1x2 .|x x"},
      {"delete the columns where a wide cell begins", 2, 3, [](TRVTableRows& g) { Merge(g, 0, 1, 2, 2); },
       [](TRVTableRows& g) { g.DeleteCols(0, 2, false); }, "2x1|."},
      {"delete a column crossing a 2x2 block", 3, 3, [](TRVTableRows& g) { Merge(g, 0, 0, 2, 2); },
       [](TRVTableRows& g) { g.DeleteCols(0, 1, false); }, "2x1 x|. x|x x"},
      {"unmerge a 2x2 block by rows only", 2, 3, [](TRVTableRows& g) { Merge(g, 0, 0, 2, 2); },
       [](TRVTableRows& g) { g.UnmergeCell(0, 0, false, true); }, "1x2 . x|1x2 . x"},
      {"unmerge a 2x2 block completely", 2, 2, [](TRVTableRows& g) { Merge(g, 0, 0, 2, 2); },
       [](TRVTableRows& g) { g.UnmergeCells(0, 0, 2, 2, true, true); }, "x x|x x"},
      {"split a single cell into three columns", 2, 2, nullptr,
       [](TRVTableRows& g) { EXPECT_EQ(2, g.SplitCellVertically(0, 0, 3)); }, "x x x x|1x3 . . x"},
      {"split a four-column cell into two", 1, 4, [](TRVTableRows& g) { Merge(g, 0, 0, 1, 4); },
       [](TRVTableRows& g) { EXPECT_EQ(0, g.SplitCellVertically(0, 0, 2)); }, "1x2 . 1x2 ."},
      {"split a single cell into two rows", 2, 2, nullptr,
       [](TRVTableRows& g) { EXPECT_EQ(1, g.SplitCellHorizontally(1, 1, 2)); }, "x x|2x1 x|. x"},
      {"split a block of cells vertically", 2, 2, nullptr,
       [](TRVTableRows& g) { EXPECT_EQ(2, g.SplitCellsVertically(0, 0, 2, 2, 2)); }, "x x x x|x x x x"},
  };
  for (const TGridCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TTableDoc D;
    TRVTableItemInfo* T = D.AddTable(Case.Rows, Case.Cols, Name);
    if (Case.Prepare) Case.Prepare(*T->GetRows());
    ASSERT_TRUE(CheckTableInvariants(*T));
    Case.Act(*T->GetRows());
    EXPECT_TRUE(CheckTableInvariants(*T));
    EXPECT_EQ(Case.Shape, Shape(*T));
  }
}

TEST(TableGrid, BadIndexesRaiseBeforeAnythingChanges) {
  TTableDoc D;
  TRVTableItemInfo* T = D.AddTable(3, 2, Name);
  TRVTableRows& g = *T->GetRows();
  const std::function<void()> Calls[] = {
      [&] { g.DeleteRows(0, 5, false); }, [&] { g.DeleteRows(3, 1, false); }, [&] { g.DeleteRows(1, 0, false); },
      [&] { g.DeleteCols(0, 3, false); }, [&] { g.InsertRows(4, 1, false, -1); }, [&] { g.InsertRows(0, 1, false, 3); },
      [&] { g.InsertCols(-1, 1, false, -1); }, [&] { g.InsertCols(0, 1, false, 2); }};
  for (const auto& Call : Calls) {
    try {
      Call();
      ADD_FAILURE() << "no error";
    } catch (const EViroZereError& e) {
      EXPECT_STREQ("Invalid row or column index", e.what());
    }
    EXPECT_EQ("x x|x x|x x", Shape(*T));
  }
}

TEST(TableGrid, SizesFollowTheSpans) {
  {  // The source cell's width is divided before the new cell copies it.
    TTableDoc D;
    TRVTableItemInfo* T = D.AddTable(2, 2, Name);
    T->GetCells(0, 0)->SetBestWidth(100);
    T->GetCells(1, 0)->SetBestWidth(-40);
    T->GetRows()->InsertCols(1, 1, true, 0);
    EXPECT_EQ(50, T->GetCells(0, 0)->GetBestWidth());
    EXPECT_EQ(50, T->GetCells(0, 1)->GetBestWidth());
    EXPECT_EQ(-20, T->GetCells(1, 0)->GetBestWidth());
    EXPECT_EQ(-20, T->GetCells(1, 1)->GetBestWidth());
  }
  {  // A tall cell loses a third of its height with one of its three rows.
    TTableDoc D;
    TRVTableItemInfo* T = D.AddTable(3, 2, Name);
    T->GetRows()->MergeCells(0, 0, 1, 3, true, false);
    T->GetCells(0, 0)->SetBestHeight(90);
    T->GetRows()->DeleteRows(1, 1, true);
    EXPECT_EQ(2, T->GetCells(0, 0)->FRowSpan);
    EXPECT_EQ(60, T->GetCells(0, 0)->GetBestHeight());
  }
  for (auto [Width, Share] : {std::pair{100, 33}, std::pair{2, 1}, std::pair{-2, -1}}) {
    TTableDoc D;
    TRVTableItemInfo* T = D.AddTable(1, 3, Name);
    T->GetRows()->MergeCells(0, 0, 3, 1, true, false);
    T->GetCells(0, 0)->SetBestWidth(Width);
    T->GetRows()->UnmergeCell(0, 0, true, false);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(Share, T->GetCells(0, c)->GetBestWidth()) << Width << " col " << c;
  }
}

TEST(TableGrid, DeletingTheRowsWhereATallCellBeginsDropsItsText) {
  TTableDoc D;
  TRVTableItemInfo* T = D.AddTable(3, 2, Name);
  T->GetRows()->MergeCells(1, 0, 1, 2, true, false);
  T->GetRows()->DeleteRows(0, 2, false);
  ASSERT_TRUE(CheckTableInvariants(*T));
  EXPECT_EQ(u"", CellText(T->GetCells(0, 0)));
  EXPECT_EQ(u"j", CellText(T->GetCells(0, 1)));
}

TEST(TableGrid, ClearingCellsKeepsTheirFirstStyles) {
  TTableDoc D;
  TRVTableItemInfo* T = D.AddTable(2, 2, Name);
  T->GetCells(1, 1)->Clear();
  T->GetCells(1, 1)->AddNL(u"x", 2, 1);
  T->GetCells(1, 1)->AddNL(u"y", 0, 0);
  TRVIntegerList Rows, Cols;
  Rows.Add(1);
  Cols.Add(1);
  T->GetRows()->ClearCells(nullptr, Rows, Cols, nullptr);
  TRVTableCellData* Cell = T->GetCells(1, 1);
  ASSERT_EQ(1, Cell->ItemCount());
  EXPECT_EQ(u"", Cell->GetItemTextW(0));
  EXPECT_EQ(2, Cell->GetItem(0)->StyleNo);
  EXPECT_EQ(1, Cell->GetItem(0)->ParaNo);
  EXPECT_EQ(u"a", CellText(T->GetCells(0, 0)));
}
