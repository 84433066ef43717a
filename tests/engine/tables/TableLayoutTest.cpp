// Tables laid out inside a formatted document with the fixed-metrics back-end (every character
// 10 pixels wide, lines 10 pixels high): column widths, row heights, cell places and totals.
#include <gtest/gtest.h>

#include <string>

#include "engine/layout/LayoutTestUtil.h"
#include "engine/tables/RVTable.h"

namespace {

// A document of the given width holding one table.
struct TTableDoc : TLayoutDoc {
  TRVTableItemInfo* Table;
  TTableDoc(int Width, int Rows, int Cols) : TLayoutDoc(Width) {
    auto t = TRVTableItemInfo::CreateEx(Rows, Cols, &Doc);
    Table = t.get();
    Table->ParaNo = 0;
    Doc.AddItem(u"", t.release());
  }
  // Text into a cell (replacing its empty paragraph).
  void SetText(int Row, int Col, const char16_t* Text) {
    TRVTableCellData* c = Table->GetCells(Row, Col);
    c->Clear();
    c->AddNL(Text, 0, 0);
  }
  void Format() { Doc.Format(false); }
  std::string Widths() { return List(Table->GetFormattingInfo()->ColWidths); }
  std::string Heights() { return List(Table->GetFormattingInfo()->RowHeights); }
  static std::string List(const TRVIntegerList& L) {
    std::string s;
    for (int i = 0; i < L.Count(); ++i) s += (i ? " " : "") + std::to_string(L.Get(i));
    return s;
  }
  // "left,top widthxheight" of a cell.
  std::string CellBox(int Row, int Col) {
    TRVTableCellData* c = Table->GetCells(Row, Col);
    return std::to_string(c->FLeft) + "," + std::to_string(c->FTop) + " " + std::to_string(c->FWidth) + "x" +
           std::to_string(c->FHeight);
  }
};

}  // namespace

TEST(TableLayout, DefaultOneByOneTakesTheWholeWidth) {
  TTableDoc t(600, 1, 1);
  t.Format();
  EXPECT_EQ(t.Table->GetTableWidth(), 600);
  EXPECT_EQ(t.Widths(), "594");
  EXPECT_EQ(t.D().Get(0)->Width, 600);
}

TEST(TableLayout, PercentBestWidthOfTheDocument) {
  TTableDoc t(600, 1, 1);
  t.Table->SetBestWidth(-50);
  t.Format();
  EXPECT_EQ(t.Table->GetTableWidth(), 300);
}

TEST(TableLayout, EmptyGridIsTheBorderOnly) {
  TTableDoc t(600, 1, 1);
  t.Table->GetRows()->Clear();
  t.Table->SetBorderWidth(3);
  t.Format();
  EXPECT_EQ(t.Table->GetTableWidth(), 10);
  EXPECT_EQ(t.Table->GetTableHeight(), 10);
}

namespace {

// Merges (Row, Col) with the cells below it (the covered cells are freed).
void MergeDown(TRVTableItemInfo* T, int Row, int Col, int Span) {
  for (int r = Row + 1; r < Row + Span; ++r) {
    delete T->GetCells(r, Col);
    T->GetRows()->GetRow(r)->PutCell(Col, nullptr);
  }
  T->GetCells(Row, Col)->FRowSpan = Span;
}

}  // namespace

// Rows: the tallest one-row cell (10 pixels a line), merged cells growing their free rows or, when
// every row has a cell of its own, all their rows in proportion; cells placed with the spacing
// and padding between them.
TEST(TableLayout, RowHeightsAndCellPlaces) {
  struct TCase {
    const char* Name;
    int Lines00;  // paragraphs in cell (0, 0)
    bool Merge;   // (0, 0) over both rows
    bool OneColumn;
    const char* Heights;
    int Height;
  };
  const TCase cases[] = {
      {"plain rows", 3, false, false, "30 10", 50},
      // need 50 + 2; have 10 + 10 + 2 x 2 padding + 2 spacing: 26 more, 13 to each row
      {"merged over rows that have cells", 5, true, false, "23 23", 56},
      // the second row has no cell of its own and takes all
      {"merged in one column", 5, true, true, "10 36", 56},
  };
  for (const TCase& c : cases) {
    TTableDoc t(300, 2, c.OneColumn ? 1 : 2);
    t.Table->GetCells(0, 0)->Clear();
    for (int i = 0; i < c.Lines00; ++i) t.Table->GetCells(0, 0)->AddNL(u"ab", 0, 0);
    if (c.Merge) MergeDown(t.Table, 0, 0, 2);
    t.Format();
    EXPECT_EQ(t.Heights(), c.Heights) << c.Name;
    EXPECT_EQ(t.Table->GetTableHeight(), c.Height) << c.Name;
  }
  // Places: border spacing 2, then padding 1 inside each cell; 2 between cells.
  TTableDoc t(300, 2, 2);
  t.Format();
  EXPECT_EQ(t.Widths(), "145 145");
  EXPECT_EQ(t.CellBox(0, 0), "2,2 147x12");
  EXPECT_EQ(t.CellBox(0, 1), "151,2 147x12");
  EXPECT_EQ(t.CellBox(1, 1), "151,16 147x12");
  EXPECT_EQ(t.Table->GetTableHeight(), 30);
  EXPECT_EQ(t.Table->GetColNoAt(150), -1);
  EXPECT_EQ(t.Table->GetColNoAt(151), 1);
  EXPECT_EQ(t.Table->GetRowNoAt(20), 1);
}

// Stored column widths are taken only when there is one per column and the resolution they
// were stored at is known; otherwise the widths are laid out afresh.
TEST(TableLayout, StoredColumnWidthsOnlyWhenComplete) {
  struct TCase {
    std::vector<int> Widths;
    int PPI;
    const char* Expected;
  };
  const TCase cases[] = {
      {{50, 70}, 96, "50 70"},
      {{50}, 96, "145 145"},
      {{50, 70, 90}, 96, "145 145"},
      {{50, 70}, 0, "145 145"},
  };
  for (const TCase& c : cases) {
    TTableDoc t(300, 1, 2);
    t.Table->FFixedColWidths = c.Widths;
    t.Table->FFixedColWidthsPPI = c.PPI;
    t.Format();
    EXPECT_EQ(t.Widths(), c.Expected) << c.Widths.size() << " at " << c.PPI;
  }
}

TEST(TableLayout, SameWidthKeepsTheCellsFormatting) {
  TTableDoc t(300, 1, 1);
  t.Format();
  TRVTableCellData* cell = t.Table->GetCells(0, 0);
  const int before = cell->DocumentHeight;
  cell->DocumentHeight = 999;  // a repeated pass with the same width must not format again
  int hs = 0, desc = 0;
  t.Table->OnDocWidthChange(300, nullptr, nullptr, &t.Doc, nullptr, hs, desc, {});
  EXPECT_EQ(cell->DocumentHeight, 999);
  t.Table->OnDocWidthChange(300, nullptr, nullptr, &t.Doc, nullptr, hs, desc, {rvdwcsNoCaching});
  EXPECT_EQ(cell->DocumentHeight, before);
}

TEST(TableLayout, RowOfVerticalTextOnlyIsTenPixelsHigh) {
  TTableDoc t(300, 2, 1);
  t.SetText(0, 0, u"abc");
  t.Table->GetCells(0, 0)->SetRotation(rvrot90);
  t.Format();
  EXPECT_EQ(t.Heights(), "10 10");
}

// A printing pass lays out a copy at the device's resolution: the draw item gets the device
// size, and the table's own layout and its cells' places stay those of the screen.
TEST(TableLayout, PrintingPassLeavesTheScreenLayoutAlone) {
  TTableDoc t(300, 2, 2);
  t.Format();
  const std::string widths = t.Widths(), box = t.CellBox(1, 1);
  TRVScreenAndDevice sad;
  sad.ppixScreen = sad.ppiyScreen = 96;
  sad.ppixDevice = sad.ppiyDevice = 192;
  TRVDrawLineInfo dli;
  int hs = 0, desc = 0;
  t.Table->OnDocWidthChange(600, &dli, nullptr, &t.Doc, &sad, hs, desc, {rvdwcsPrinting});
  EXPECT_EQ(dli.Width, 600);
  // Device pixels: padding 2, spacing 4, border spacing 4; rows of 20 (the screen's 10 doubled).
  EXPECT_EQ(dli.Height, 2 * (2 * 2 + 4) + 4 + 2 * 20);
  EXPECT_EQ(t.Widths(), widths);
  EXPECT_EQ(t.CellBox(1, 1), box);
  EXPECT_EQ(t.Table->cursad, nullptr);
}
