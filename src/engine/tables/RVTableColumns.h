// The column widths of a table pass, apart from the table object: the grid of cells (their
// positions, spans, best widths and minimal widths) and the lengths of the pass, all in device
// pixels, go in; the column widths and the total width come out. Kept apart so that the rounding
// of every widening and shrinking step can be checked on small grids.
#pragma once

#include <functional>
#include <vector>

namespace rvtablecolumns {

// Device-pixel lengths of a pass.
struct TTableLengths {
  int Pad = 0, PadV = 0;  // cell padding
  int HSp = 0, VSp = 0;   // cell spacing
  int CBW = 0, CBWV = 0;  // cell border width
  int BW = 0, BWV = 0;    // table border width
  int BHS = 0, BVS = 0;   // border spacing
};

struct TGridCell {
  int Row = 0, Col = 0, RowSpan = 1, ColSpan = 1;
  int Best = 0;  // > 0 pixels, -p per cent, 0 automatic
};

// The grid as the solver sees it. Cells are listed row by row from the top and left to right;
// Main[r * ColCount + c] is the index of the cell covering the position, Origin tells whether
// the cell begins there.
struct TGrid {
  int RowCount = 0, ColCount = 0;
  std::vector<TGridCell> Cells;
  std::vector<int> Main;
  // Minimal content width of cell i (asked at most once per cell and solver).
  std::function<int(int)> CellMinWidth;

  void Build();  // fills Main from Cells
  int MainAt(int r, int c) const { return Main[r * ColCount + c]; }
  bool Origin(int r, int c) const {
    const int i = MainAt(r, c);
    return i >= 0 && Cells[i].Row == r && Cells[i].Col == c;
  }
  bool Empty() const { return RowCount == 0 || ColCount == 0; }
};

class TColumnSolver {
 public:
  TColumnSolver(const TGrid& Grid, const TTableLengths& L, int TableBest, bool IgnoreContentWidth);

  // Fixed part of the width: borders, border spacing, cell spacing and cell borders.
  int FixedPart() const;
  bool AllFixed();
  // The table's minimal width with or without the best widths.
  int MinWidth(bool IncludeBest);
  // The width pass. PrevTotal is the total width of the last pass; false when the pass ended
  // early because the width did not change (Widths and Total are left as they were).
  bool Solve(int DocWidth, int PrevTotal, bool NoCaching, std::vector<int>& Widths, int& Total);

  // What Solve leaves (for checks).
  const std::vector<int>& Kinds() const { return Kind; }

 private:
  const TGrid& G;
  TTableLengths L;
  int TableBest;
  bool IgnoreContent;
  int CC;
  std::vector<int> CellMin;  // -1 not asked yet
  std::vector<int> ColMinCache;
  bool ColMinReady = false;
  std::vector<int> FixedCache;
  bool FixedReady = false;
  int AllFixedCache = -1;

  // State of a pass.
  std::vector<int> W, MinP, Kind;
  int SumMin = 0, Free = 0;
  bool IsAllFixed = false;

  int CellMinW(int i);
  const std::vector<int>& ColMin();
  const std::vector<int>& Fixed();
  int Pct(int c, int R) const;
  bool PctEnds(int c) const;
  int SpanWidth(const std::vector<int>& A, int c0, int s) const;
  void WidenEvenly(std::vector<int>& M, int c0, int s, int m, int Depth);
  void WidenFixedThenEvenly(std::vector<int>& M, int c0, int s, int m);
  void WidenProportionally(int c0, int s, int m, int K, bool UpdateMin);
  void Shrink();
  // Merged cells that begin left of column c and end in it, found through the covered positions
  // of column c in the cells' own first rows.
  template <class F>
  void ForMergedEndingIn(int c, F Fn) const;
};

}  // namespace rvtablecolumns

namespace rvtablecolumns {

// Starts of columns (or rows) from their inner sizes: the gaps G (count x (spacing + 2 padding
// + 2 cell border)) are dealt out from the left, each column getting what is left of G divided
// by the number of columns from it to the end. First is the start of the first column.
std::vector<int> SpreadStarts(const std::vector<int>& Sizes, int First, int G);
// The size of a cell over Span columns from Col: the inner sizes, twice the padding and its
// share of the gaps.
int SpanSize(const std::vector<int>& Sizes, int Col, int Span, int Pad2, int G);

// Heights of merged rows: for every cell spanning more than one row (row by row from the top),
// Need is its content height plus twice the vertical padding; when the rows it spans are lower,
// the difference goes to its free rows (rows in which no cell of another begins whose span ends
// inside its own), or to all its rows when it has none, in proportion to their heights.
// Returns what the total height grew by.
int GrowMergedRows(const TGrid& Grid, std::vector<int>& H, const TTableLengths& L,
                   const std::function<int(int)>& NeedOf);

// Index before a coordinate in a sorted list of starts (0 with fewer than 2 entries).
int IndexBefore(const std::vector<int>& Starts, int Coord);
// The column (row) whose inner area [Start, Start + Size] holds Coord; -1 in a gap or outside.
int IndexAt(const std::vector<int>& Starts, const std::vector<int>& Sizes, int Coord);

// Rule hit test along one axis (screen pixels, relative to the table): B is the outer part
// (border + border spacing + cell border), Gap the inner one (cell spacing + 2 cell borders).
// Answers 0 for the leading outer edge, Count for the trailing one, i for the boundary before
// column i, -1 for none.
int RuleAt(int X, int Total, const std::vector<int>& Starts, int B, int Gap, bool IsStrict, int& MinX,
           int& ZeroChangeX);

}  // namespace rvtablecolumns
