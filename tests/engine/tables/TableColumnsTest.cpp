// Column widths, row heights and geometry queries of the table layout on small grids given
// directly (cells with spans, best widths and minimal widths), each checked to the pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/tables/RVTableColumns.h"

using namespace rvtablecolumns;

namespace {

struct TCellSpec {
  int Row, Col, RowSpan, ColSpan, Best, Min;
};

// Lengths of a new table: cell padding 1, spacings 2, no borders.
TTableLengths DefaultLengths() {
  TTableLengths L;
  L.Pad = L.PadV = 1;
  L.HSp = L.VSp = 2;
  L.BHS = L.BVS = 2;
  return L;
}

TGrid MakeGrid(int Rows, int Cols, const std::vector<TCellSpec>& Specs, std::vector<int>* Mins) {
  TGrid g;
  g.RowCount = Rows;
  g.ColCount = Cols;
  for (const TCellSpec& s : Specs) {
    g.Cells.push_back({s.Row, s.Col, s.RowSpan, s.ColSpan, s.Best});
    Mins->push_back(s.Min);
  }
  g.Build();
  g.CellMinWidth = [Mins](int i) { return (*Mins)[i]; };
  return g;
}

// The named cells, and 1x1 cells without best width or content at every position not covered.
std::vector<TCellSpec> Fill(int Rows, int Cols, std::vector<TCellSpec> Specs) {
  std::vector<std::vector<bool>> taken(Rows, std::vector<bool>(Cols, false));
  for (const TCellSpec& s : Specs)
    for (int r = s.Row; r < s.Row + s.RowSpan; ++r)
      for (int c = s.Col; c < s.Col + s.ColSpan; ++c) taken[r][c] = true;
  for (int r = 0; r < Rows; ++r)
    for (int c = 0; c < Cols; ++c)
      if (!taken[r][c]) Specs.push_back({r, c, 1, 1, 0, 0});
  std::sort(Specs.begin(), Specs.end(),
            [](const TCellSpec& a, const TCellSpec& b) { return a.Row != b.Row ? a.Row < b.Row : a.Col < b.Col; });
  return Specs;
}

std::string Str(const std::vector<int>& V) {
  std::string s;
  for (int x : V) s += (s.empty() ? "" : " ") + std::to_string(x);
  return s;
}

}  // namespace

// Fixed part with the default lengths: 4 + 2 x (columns - 1); each column adds 2 of padding.
TEST(TableColumns, WidthsOfSmallTables) {
  struct TCase {
    const char* Name;
    int Rows, Cols, TableBest, DocWidth;
    bool IgnoreContent;
    std::vector<TCellSpec> Cells;
    const char* Widths;
    int Total;
  };
  // clang-format off
  const std::vector<TCase> cases = {
      {"1x1 automatic takes the whole width", 1, 1, 0, 600, false, {}, "594", 600},
      {"per cent of the document", 1, 1, -50, 600, false, {}, "294", 300},
      {"fixed table width", 1, 2, 200, 600, false, {}, "95 95", 200},
      {"free width dealt from the left", 1, 3, 0, 100, false, {}, "28 29 29", 100},
      {"free width on top of a content minimum", 1, 2, 0, 100, false, {{0, 0, 1, 1, 0, 60}}, "75 15", 100},
      {"content wider than the document widens the table", 1, 2, 0, 50, false,
       {{0, 0, 1, 1, 0, 60}, {0, 1, 1, 1, 0, 30}}, "60 30", 100},
      {"all-fixed columns keep their widths whatever the document", 1, 2, 0, 600, false,
       {{0, 0, 1, 1, 50, 0}, {0, 1, 1, 1, 80, 0}}, "50 80", 140},
      {"all-fixed column widened by content", 1, 2, 0, 600, false, {{0, 0, 1, 1, 50, 70}, {0, 1, 1, 1, 80, 0}},
       "70 80", 160},
      {"fixed column beside an automatic one", 1, 2, 0, 300, false, {{0, 0, 1, 1, 100, 0}}, "100 190", 300},
      {"per-cent column beside an automatic one", 1, 2, 0, 306, false, {{0, 0, 1, 1, -50, 0}}, "148 148", 306},
      {"per-cent columns share what is left by their weights", 1, 2, 0, 206, false,
       {{0, 0, 1, 1, -25, 0}, {0, 1, 1, 1, -25, 0}}, "98 98", 206},
      {"merged cell widens its columns evenly", 2, 2, 0, 10, false, {{0, 0, 1, 2, 0, 100}}, "48 48", 106},
      {"merged cell widens in proportion to the widths", 2, 2, 0, 10, false,
       {{0, 0, 1, 2, 0, 100}, {1, 0, 1, 1, 0, 70}}, "95 1", 106},
      {"fixed merged cell over automatic columns", 2, 2, 0, 500, false, {{0, 0, 1, 2, 120, 0}}, "245 245", 500},
      {"percentage beyond the room shrinks to the minima", 1, 2, 0, 106, false,
       {{0, 0, 1, 1, -90, 0}, {0, 1, 1, 1, 0, 40}}, "56 40", 106},
      {"ignored content keeps the document width", 1, 1, 0, 50, true, {{0, 0, 1, 1, 0, 300}}, "44", 50},
  };
  // clang-format on
  for (const TCase& t : cases) {
    std::vector<int> mins;
    TGrid g = MakeGrid(t.Rows, t.Cols, Fill(t.Rows, t.Cols, t.Cells), &mins);
    TColumnSolver s(g, DefaultLengths(), t.TableBest, t.IgnoreContent);
    std::vector<int> w;
    int total = 0;
    ASSERT_TRUE(s.Solve(t.DocWidth, 0, false, w, total)) << t.Name;
    EXPECT_EQ(Str(w), t.Widths) << t.Name;
    EXPECT_EQ(total, t.Total) << t.Name;
  }
}

TEST(TableColumns, MinimalWidths) {
  struct TCase {
    const char* Name;
    int Rows, Cols, TableBest;
    std::vector<TCellSpec> Cells;
    int WithBest, WithoutBest;
  };
  const std::vector<TCase> cases = {
      {"empty cells", 1, 2, 0, {}, 10, 10},
      {"contents", 1, 2, 0, {{0, 0, 1, 1, 0, 30}, {0, 1, 1, 1, 0, 20}}, 60, 60},
      {"fixed width counts with best widths", 1, 2, 0, {{0, 0, 1, 1, 100, 30}}, 110, 40},
      {"table best width is the floor", 1, 1, 300, {{0, 0, 1, 1, 0, 30}}, 300, 36},
      // 101 + 2 over two columns: averages 50.5 (half to even: 50) and 51.
      {"merged cell evenly", 2, 2, 0, {{0, 0, 1, 2, 0, 101}}, 107, 107},
      {"merged cell over a fixed column", 2, 2, 0, {{0, 0, 1, 2, 0, 101}, {1, 0, 1, 1, 40, 0}}, 107, 107},
  };
  for (const TCase& t : cases) {
    std::vector<int> mins;
    TGrid g = MakeGrid(t.Rows, t.Cols, Fill(t.Rows, t.Cols, t.Cells), &mins);
    TColumnSolver s(g, DefaultLengths(), t.TableBest, false);
    EXPECT_EQ(s.MinWidth(true), t.WithBest) << t.Name;
    EXPECT_EQ(s.MinWidth(false), t.WithoutBest) << t.Name;
  }
}

TEST(TableColumns, SameWidthEndsThePassEarlyUnlessForced) {
  std::vector<int> mins;
  TGrid g = MakeGrid(1, 1, Fill(1, 1, {}), &mins);
  TColumnSolver s(g, DefaultLengths(), 0, false);
  std::vector<int> w{7};
  int total = 600;
  EXPECT_FALSE(s.Solve(600, 600, false, w, total));
  EXPECT_EQ(Str(w), "7");
  EXPECT_TRUE(s.Solve(600, 600, true, w, total));
  EXPECT_EQ(Str(w), "594");
}

TEST(TableColumns, GeometryDealsTheGapsFromTheLeft) {
  EXPECT_EQ(Str(SpreadStarts({10, 20, 30}, 2, 12)), "2 16 40");
  EXPECT_EQ(Str(SpreadStarts({0, 0, 0}, 0, 10)), "0 3 6");
  EXPECT_EQ(SpanSize({10, 20, 30}, 0, 2, 2, 12), 10 + 20 + 2 + 4);
  EXPECT_EQ(SpanSize({10, 20, 30}, 1, 1, 2, 12), 22);
}

TEST(TableColumns, MergedRowsGrowTheirFreeRows) {
  const TTableLengths L = DefaultLengths();
  {
    // One column, one cell over two rows: the second row has no cell of its own and takes all.
    std::vector<int> mins;
    TGrid g = MakeGrid(2, 1, {{0, 0, 2, 1, 0, 0}}, &mins);
    std::vector<int> h{10, 10};
    EXPECT_EQ(GrowMergedRows(g, h, L, [](int) { return 40; }), 16);
    EXPECT_EQ(Str(h), "10 26");
  }
  {
    // 2x2 whose first column is one cell over both rows: spread in proportion to the heights.
    std::vector<int> mins;
    TGrid g = MakeGrid(2, 2, Fill(2, 2, {{0, 0, 2, 1, 0, 0}}), &mins);
    std::vector<int> h{10, 30};
    EXPECT_EQ(GrowMergedRows(g, h, L, [](int i) { return i == 0 ? 86 : 0; }), 42);
    EXPECT_EQ(Str(h), "21 61");
  }
}

TEST(TableColumns, IndexQueries) {
  const std::vector<int> starts{2, 20, 40};
  struct TCase {
    int Coord, Before, At;
  };
  for (const TCase& t : std::vector<TCase>{{0, 0, -1},
                                           {2, 0, 0},
                                           {15, 0, 0},
                                           {17, 0, -1},
                                           {20, 0, 1},
                                           {21, 1, 1},
                                           {40, 2, 2},
                                           {55, 2, 2},
                                           {60, 2, -1}}) {
    EXPECT_EQ(IndexBefore(starts, t.Coord), t.Before) << t.Coord;
    EXPECT_EQ(IndexAt(starts, {13, 14, 15}, t.Coord), t.At) << t.Coord;
  }
  EXPECT_EQ(IndexBefore({5}, 100), 0);
}

TEST(TableColumns, RuleHitTests) {
  // BorderWidth 0, BorderHSpacing 2, CellBorderWidth 0: outer part 2; columns at 2 and 20 with
  // spacing 2; total width 40.
  const std::vector<int> starts{2, 20};
  int minX = 99, zero = 99;
  EXPECT_EQ(RuleAt(1, 40, starts, 2, 2, false, minX, zero), 0);
  EXPECT_EQ(minX, -1);
  EXPECT_EQ(zero, 1);
  EXPECT_EQ(RuleAt(39, 40, starts, 2, 2, false, minX, zero), 2);
  EXPECT_EQ(minX, 20);
  EXPECT_EQ(zero, 39);
  EXPECT_EQ(RuleAt(18, 40, starts, 2, 2, false, minX, zero), 1);
  EXPECT_EQ(minX, 2);
  EXPECT_EQ(zero, 19);
  EXPECT_EQ(RuleAt(10, 40, starts, 2, 2, false, minX, zero), -1);
  EXPECT_EQ(RuleAt(-5, 40, starts, 2, 2, true, minX, zero), -1);
  EXPECT_EQ(RuleAt(-5, 40, starts, 2, 2, false, minX, zero), 0);
}
