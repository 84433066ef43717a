// The column widths of a table pass: minimal widths, widening of merged spans, fixed and per-cent
// columns, shrinking and the distribution of what is left. Every division rounds as the layout's
// pixel positions depend on it: MulDiv to the nearest, the even widening's average half to even.
#include "engine/tables/RVTableColumns.h"

#include <algorithm>
#include <cstdlib>

#include "platform/base/SysUtils.h"

namespace rvtablecolumns {

namespace {

// MulDiv that never divides by zero (the platform's answers -1 then).
int SafeMulDiv(int a, int b, int c) { return c == 0 ? 0 : MulDiv(a, b, c); }

int RoundHalfEven(int Num, int Den) { return static_cast<int>(Round(static_cast<long double>(Num) / Den)); }

}  // namespace

void TGrid::Build() {
  Main.assign(static_cast<size_t>(RowCount) * ColCount, -1);
  for (int i = 0; i < static_cast<int>(Cells.size()); ++i) {
    const TGridCell& c = Cells[i];
    for (int r = c.Row; r < c.Row + c.RowSpan && r < RowCount; ++r)
      for (int k = c.Col; k < c.Col + c.ColSpan && k < ColCount; ++k) Main[r * ColCount + k] = i;
  }
}

TColumnSolver::TColumnSolver(const TGrid& Grid, const TTableLengths& ALengths, int ATableBest, bool IgnoreContentWidth)
    : G(Grid), L(ALengths), TableBest(ATableBest), IgnoreContent(IgnoreContentWidth), CC(Grid.ColCount) {
  CellMin.assign(G.Cells.size(), -1);
}

int TColumnSolver::FixedPart() const { return 2 * L.BW + 2 * L.BHS + L.HSp * (CC - 1) + 2 * L.CBW * CC; }

int TColumnSolver::CellMinW(int i) {
  if (CellMin[i] < 0) CellMin[i] = G.CellMinWidth ? std::max(0, G.CellMinWidth(i)) : 0;
  return CellMin[i];
}

const std::vector<int>& TColumnSolver::ColMin() {
  if (!ColMinReady) {
    ColMinCache.assign(CC, 0);
    if (!IgnoreContent)
      for (int i = 0; i < static_cast<int>(G.Cells.size()); ++i)
        if (G.Cells[i].ColSpan == 1) {
          int& m = ColMinCache[G.Cells[i].Col];
          m = std::max(m, CellMinW(i));
        }
    ColMinReady = true;
  }
  return ColMinCache;
}

const std::vector<int>& TColumnSolver::Fixed() {
  if (!FixedReady) {
    FixedCache.assign(CC, 0);
    std::vector<bool> pct(CC, false);
    for (const TGridCell& c : G.Cells) {
      if (c.ColSpan != 1) continue;
      if (c.Best < 0)
        pct[c.Col] = true;
      else
        FixedCache[c.Col] = std::max(FixedCache[c.Col], c.Best);
    }
    for (int c = 0; c < CC; ++c)
      if (pct[c]) FixedCache[c] = 0;
    FixedReady = true;
  }
  return FixedCache;
}

int TColumnSolver::Pct(int Col, int R) const {
  int v = 0;
  for (const TGridCell& c : G.Cells)
    if (c.ColSpan == 1 && c.Col == Col && c.Best < 0) v = std::max(v, R * -c.Best / 100);
  return v;
}

bool TColumnSolver::PctEnds(int Col) const {
  for (const TGridCell& c : G.Cells)
    if (c.Best < 0 && c.Col + c.ColSpan - 1 == Col) return true;
  return false;
}

bool TColumnSolver::AllFixed() {
  if (AllFixedCache < 0) {
    bool all = TableBest == 0 && !G.Empty();
    for (const TGridCell& c : G.Cells)
      if (c.Best < 0) all = false;
    for (int col = 0; all && col < CC; ++col) {
      bool hasCell = false, hasFixedEnd = false;
      for (int r = 0; r < G.RowCount; ++r)
        if (G.Origin(r, col)) hasCell = true;
      for (const TGridCell& c : G.Cells)
        if (c.Best > 0 && c.Col + c.ColSpan - 1 == col) hasFixedEnd = true;
      all = hasCell && hasFixedEnd;
    }
    AllFixedCache = all ? 1 : 0;
  }
  return AllFixedCache == 1;
}

int TColumnSolver::SpanWidth(const std::vector<int>& A, int c0, int s) const {
  int v = 0;
  for (int c = c0; c < c0 + s; ++c) v += A[c] + 2 * L.Pad + L.HSp + 2 * L.CBW;
  return v - L.HSp - 2 * L.CBW;
}

// Even widening of a span to a need (minimal width with best widths and an automatic table).
void TColumnSolver::WidenEvenly(std::vector<int>& M, int c0, int s, int m, int Depth) {
  if (m <= 0) return;
  const int pad2 = 2 * L.Pad;
  for (;; ++Depth) {
    const int req = m + pad2, avail = SpanWidth(M, c0, s);
    int total = 0;
    for (int c = c0; c < c0 + s; ++c) total += M[c] + pad2;
    int count = s;
    if (avail >= req || count == 0) return;
    int R = req - avail + total;
    if (Depth > 30) {
      // Proportional to the widths, an empty column counted as 1.
      int T = 0;
      for (int c = c0; c < c0 + s; ++c) T += std::max(M[c] + pad2, 1);
      for (int c = c0; c < c0 + s; ++c) {
        const int n = std::max(M[c] + pad2, 1);
        const int v = SafeMulDiv(n, R, T);
        M[c] = std::max(v - pad2, M[c]);
        R -= v;
        T -= n;
      }
      return;
    }
    std::vector<bool> left(s, false);
    for (int c = c0; c < c0 + s && count > 0 && R > 0; ++c)
      if (M[c] + pad2 >= RoundHalfEven(R, count)) {
        left[c - c0] = true;
        R -= M[c] + pad2;
        --count;
      }
    bool changed = false;
    for (int c = c0; c < c0 + s && count > 0 && R > 0; ++c) {
      if (left[c - c0]) continue;
      const int avg = RoundHalfEven(R, count);
      if (M[c] + pad2 < avg) {
        M[c] = avg - pad2;
        changed = true;
      }
      R -= avg;
      --count;
    }
    if (!changed) return;
  }
}

// Widening of a merged cell's span through its fixed columns first, then evenly over the others.
void TColumnSolver::WidenFixedThenEvenly(std::vector<int>& M, int c0, int s, int m) {
  if (m <= 0) return;
  const int pad2 = 2 * L.Pad, gap = L.HSp + 2 * L.CBW;
  const int req = m + pad2;
  if (SpanWidth(M, c0, s) >= req) return;
  const std::vector<int>& fx = Fixed();
  std::vector<int> fixedCols, otherCols;
  for (int c = c0; c < c0 + s; ++c) (fx[c] > 0 ? fixedCols : otherCols).push_back(c);
  if (!fixedCols.empty()) {
    int availF = 0;
    for (int c : fixedCols) availF += fx[c] + pad2 + gap;
    availF -= gap;
    const bool whole = otherCols.empty() || availF >= req;
    int T0 = req - (static_cast<int>(fixedCols.size()) - 1) * gap;
    for (int c : otherCols) T0 -= M[c] + pad2 + gap;
    int S0 = 0;
    for (int c : fixedCols) S0 += fx[c] + pad2;
    // Columns whose share stays below their minimum leave the sharing.
    std::vector<int> in = fixedCols;
    int T = T0, S = S0;
    for (bool again = true; again && !in.empty();) {
      again = false;
      const int roundS = S;
      std::vector<int> keep;
      for (int c : in) {
        const int share = SafeMulDiv(fx[c] + pad2, T, roundS);
        if (share < M[c] + pad2) {
          T -= M[c] + pad2;
          S -= fx[c] + pad2;
          again = true;
        } else {
          keep.push_back(c);
        }
      }
      in.swap(keep);
    }
    if (in.empty()) {
      in = fixedCols;
      T = T0;
      S = S0;
    }
    for (size_t k = 0; k < in.size(); ++k) {
      const int c = in[k];
      int share = k + 1 == in.size() ? T : SafeMulDiv(fx[c] + pad2, T, S);
      if (!whole) share = std::min(share, fx[c] + pad2);
      if (share > M[c] + pad2) {
        M[c] = share - pad2;
        S -= fx[c] + pad2;
        T -= share;
      }
    }
    if (whole) return;
  }
  if (otherCols.empty()) return;
  // Even sharing among the columns without a fixed width.
  int T0 = req - (s - 1) * gap;
  for (int c : fixedCols) T0 -= M[c] + pad2;
  std::vector<int> in = otherCols;
  int T = T0;
  int avg = T / static_cast<int>(in.size());
  for (bool again = true; again && !in.empty();) {
    again = false;
    std::vector<int> keep;
    for (int c : in) {
      if (M[c] + pad2 > avg) {
        T -= M[c] + pad2;
        again = true;
      } else {
        keep.push_back(c);
      }
    }
    in.swap(keep);
    if (!in.empty()) avg = T / static_cast<int>(in.size());
  }
  if (in.empty()) {
    in = otherCols;
    T = T0;
    avg = T / static_cast<int>(in.size());
  }
  for (size_t k = 0; k < in.size(); ++k) {
    const int c = in[k];
    if (M[c] + pad2 < avg) {
      M[c] = avg - pad2;
      T -= avg;
      const int rest = static_cast<int>(in.size() - k - 1);
      if (rest > 0) avg = T / rest;
    }
  }
}

int TColumnSolver::MinWidth(bool IncludeBest) {
  if (G.Empty()) return 2 * L.BW + 2 * L.BHS;
  std::vector<int> M = ColMin();
  const bool autoTable = TableBest == 0;
  if (IncludeBest && autoTable) {
    const std::vector<int>& fx = Fixed();
    for (int c = 0; c < CC; ++c) M[c] = std::max(M[c], fx[c]);
  }
  for (int i = 0; i < static_cast<int>(G.Cells.size()); ++i) {
    const TGridCell& cell = G.Cells[i];
    if (cell.ColSpan <= 1) continue;
    int m = IgnoreContent ? 0 : CellMinW(i);
    if (IncludeBest && autoTable) {
      if (cell.Best > 0) m = std::max(m, cell.Best);
      WidenEvenly(M, cell.Col, cell.ColSpan, m, 0);
    } else {
      WidenFixedThenEvenly(M, cell.Col, cell.ColSpan, m);
    }
  }
  int v = FixedPart() + CC * 2 * L.Pad;
  for (int x : M) v += x;
  if (IncludeBest && TableBest > 0 && v < TableBest) v = TableBest;
  return v;
}

// Widens the run c0..c0+s-1 to a need m; the eligible columns are those of the lowest settle
// kind level (0..K) that has any.
void TColumnSolver::WidenProportionally(int c0, int s, int m, int K, bool UpdateMin) {
  const int pad2 = 2 * L.Pad;
  std::vector<int> el;
  for (int level = 0; level <= K && el.empty(); ++level)
    for (int c = c0; c < c0 + s; ++c)
      if (Kind[c] <= level) el.push_back(c);
  const int span = SpanWidth(W, c0, s);
  if (span >= m + pad2 || el.empty()) return;
  const int deficit = m + pad2 - span;
  if (!IsAllFixed) {
    Free -= deficit;
    for (int c : el)
      if (W[c] + pad2 == 0) --Free;
  }
  int D = 0;
  for (int c : el) D += std::max(W[c] + pad2, 1);
  int T = deficit + D;
  for (int c : el) {
    const int n = std::max(W[c] + pad2, 1);
    const int v = SafeMulDiv(n, T, D);
    W[c] = v - pad2;
    T -= v;
    D -= n;
    if (UpdateMin && W[c] > MinP[c]) {
      SumMin += W[c] - MinP[c];
      MinP[c] = W[c];
    }
  }
}

void TColumnSolver::Shrink() {
  for (bool changed = true; Free < 0 && changed;) {
    changed = false;
    int D = 0;
    for (int c = 0; c < CC; ++c)
      if (W[c] > MinP[c]) D += W[c];
    for (int c = 0; c < CC && Free < 0; ++c) {
      if (W[c] <= MinP[c]) continue;
      const int old = W[c];
      const int nw = std::max(old + SafeMulDiv(old, Free, D), MinP[c]);
      if (nw != old) changed = true;
      W[c] = nw;
      Free += old - nw;
      D -= old;
    }
  }
}

template <class F>
void TColumnSolver::ForMergedEndingIn(int c, F Fn) const {
  for (int r = 0; r < G.RowCount; ++r) {
    const int i = G.MainAt(r, c);
    if (i < 0) continue;
    const TGridCell& cell = G.Cells[i];
    if (cell.Row != r || cell.Col >= c || cell.Col + cell.ColSpan - 1 != c) continue;
    Fn(cell);
  }
}

bool TColumnSolver::Solve(int DocWidth, int PrevTotal, bool NoCaching, std::vector<int>& Widths, int& Total) {
  const int pad2 = 2 * L.Pad;
  IsAllFixed = AllFixed();
  const int H0 = FixedPart();
  // Target width.
  int Wt;
  if (TableBest > 0)
    Wt = TableBest;
  else if (TableBest < 0)
    Wt = DocWidth * -TableBest / 100;
  else
    Wt = IsAllFixed ? 0 : std::max(MinWidth(true), DocWidth);
  if (Wt != 0 && Wt == PrevTotal && !NoCaching) return false;
  Total = Wt;
  int cellRoom = 0, contentRoom = 0;
  auto rooms = [&] {
    if (!IsAllFixed) {
      cellRoom = Total - H0;
      contentRoom = cellRoom - CC * pad2;
    }
  };
  rooms();
  W = ColMin();
  SumMin = 0;
  for (int x : W) SumMin += x;
  const int minNoBest = IsAllFixed ? 0 : MinWidth(false);
  if (!IsAllFixed && minNoBest >= Total) {
    Total = minNoBest;
    rooms();
  }
  Kind.assign(CC, 0);
  MinP = W;
  Free = 0;
  const std::vector<int>& fx = Fixed();
  if (!IsAllFixed) {
    Free = contentRoom - SumMin;
    // Per-cent columns.
    std::vector<int> t(CC);
    bool any = false;
    for (int c = 0; c < CC; ++c) {
      t[c] = std::max(Pct(c, cellRoom) - pad2, 0);
      if (t[c] > W[c]) {
        Free += W[c];
        any = true;
      }
    }
    if (any)
      for (int c = 0; c < CC; ++c) {
        if (t[c] <= 0) continue;
        Kind[c] = 4;
        if (W[c] < t[c]) {
          W[c] = t[c];
          Free -= W[c];
        }
      }
    // Per-cent merged cells.
    for (int c = 0; c < CC; ++c) {
      std::vector<int> best(CC + 1, 0);
      int largest = 0;
      ForMergedEndingIn(c, [&](const TGridCell& cell) {
        if (cell.Best >= 0 || cell.ColSpan >= CC) return;
        const int v = SafeMulDiv(-cell.Best, cellRoom, 100) - pad2;
        if (v > best[cell.ColSpan]) best[cell.ColSpan] = v;
        if (v > 0) largest = std::max(largest, cell.ColSpan);
      });
      if (largest == 0) continue;
      for (int s = 2; s <= largest; ++s)
        if (best[s] > 0) WidenProportionally(c - s + 1, s, best[s], 4, false);
      for (int k = c - largest + 1; k <= c; ++k)
        if (Kind[k] == 0) Kind[k] = 3;
    }
    if (Free < 0) Shrink();
  }
  // Fixed columns.
  if (IsAllFixed) {
    for (int c = 0; c < CC; ++c)
      if (Kind[c] == 0 && fx[c] > 0) {
        Kind[c] = 2;
        W[c] = std::max(W[c], fx[c]);
      }
  } else if (Free > 0) {
    std::vector<int> asking;
    int D = 0;
    for (int c = 0; c < CC; ++c) {
      if (Kind[c] != 0 || fx[c] <= 0) continue;
      Kind[c] = 2;
      if (fx[c] > W[c]) {
        Free += W[c];
        D += fx[c];
        asking.push_back(c);
      }
    }
    int N = std::min(Free, D);
    for (int c : asking) {
      const int v = std::max(std::min(SafeMulDiv(fx[c], N, D), Free), W[c]);
      W[c] = v;
      Free -= v;
      D -= fx[c];
      N -= v;
    }
    if (Free < 0) Shrink();
  }
  // Minimal widths of merged cells.
  if (!IgnoreContent)
    for (int i = 0; i < static_cast<int>(G.Cells.size()); ++i) {
      const TGridCell& cell = G.Cells[i];
      if (cell.ColSpan > 1) WidenProportionally(cell.Col, cell.ColSpan, CellMinW(i), 5, true);
    }
  // Fixed merged cells.
  if (IsAllFixed || Free > 0) {
    for (int c = 0; c < CC; ++c) {
      std::vector<int> best(CC + 1, 0);
      int largest = 0;
      ForMergedEndingIn(c, [&](const TGridCell& cell) {
        if (cell.Best <= 0) return;
        best[cell.ColSpan] = std::max(best[cell.ColSpan], cell.Best);
        largest = std::max(largest, cell.ColSpan);
      });
      if (largest == 0) continue;
      for (int s = 2; s <= largest; ++s)
        if (best[s] > 0) WidenProportionally(c - s + 1, s, best[s], 2, false);
      for (int k = c - largest + 1; k <= c; ++k)
        if (Kind[k] == 0) Kind[k] = 1;
    }
    if (Free < 0) Shrink();
  }
  // What is left.
  if (IsAllFixed) {
    Total = H0 + CC * pad2;
    for (int x : W) Total += x;
  } else if (Free > 0) {
    int unsettled = 0, fixedCount = 0;
    for (int c = 0; c < CC; ++c) {
      if (Kind[c] == 0) ++unsettled;
      if (Kind[c] == 1 || Kind[c] == 2) ++fixedCount;
    }
    if (unsettled > 0) {
      for (int c = 0; c < CC && Free > 0; ++c) {
        if (Kind[c] != 0) continue;
        const int share = Free / unsettled--;
        W[c] += share;
        Free -= share;
      }
    } else if (fixedCount > 0) {
      int rest = 0;
      for (int c = 0; c < CC; ++c)
        if (!PctEnds(c)) rest += std::max(fx[c], 1);
      for (int c = 0; c < CC && Free > 0; ++c) {
        if (PctEnds(c)) continue;
        const int wt = std::max(fx[c], 1);
        const int share = SafeMulDiv(Free, wt, rest);
        W[c] += share;
        Free -= share;
        rest -= wt;
      }
    } else {
      std::vector<int> wt(CC, 0);
      int rest = 0;
      for (int c = 0; c < CC; ++c)
        if (PctEnds(c)) rest += wt[c] = std::max(Pct(c, cellRoom) - pad2, 1);
      for (int c = 0; c < CC && Free >= 1; ++c) {
        if (!wt[c]) continue;
        const int share = std::min(SafeMulDiv(Free, wt[c], rest), Free);
        W[c] += share;
        Free -= share;
        rest -= wt[c];
      }
    }
  }
  Widths = W;
  return true;
}

}  // namespace rvtablecolumns

namespace rvtablecolumns {

std::vector<int> SpreadStarts(const std::vector<int>& Sizes, int First, int G) {
  const int n = static_cast<int>(Sizes.size());
  std::vector<int> s(n);
  int x = First, left = G;
  for (int c = 0; c < n; ++c) {
    s[c] = x;
    const int share = left / (n - c);
    x += Sizes[c] + share;
    left -= share;
  }
  return s;
}

int SpanSize(const std::vector<int>& Sizes, int Col, int Span, int Pad2, int G) {
  int v = Pad2;
  for (int c = Col; c < Col + Span && c < static_cast<int>(Sizes.size()); ++c) v += Sizes[c];
  const int n = static_cast<int>(Sizes.size());
  return v + (n > 0 ? MulDiv(G, Span - 1, n) : 0);
}

int GrowMergedRows(const TGrid& Grid, std::vector<int>& H, const TTableLengths& L,
                   const std::function<int(int)>& NeedOf) {
  int grown = 0;
  const int step = L.VSp + 2 * L.PadV + 2 * L.CBWV;
  for (int i = 0; i < static_cast<int>(Grid.Cells.size()); ++i) {
    const TGridCell& cell = Grid.Cells[i];
    if (cell.RowSpan <= 1) continue;
    const int r0 = cell.Row, r1 = std::min(cell.Row + cell.RowSpan, Grid.RowCount) - 1;
    const int need = NeedOf(i) + 2 * L.PadV;
    int have = 0;
    for (int r = r0; r <= r1; ++r) have += H[r] + step;
    have -= L.VSp + 2 * L.CBWV;
    if (have >= need) continue;
    int diff = need - have;
    grown += diff;
    // Free rows: no other cell begins in them whose span ends inside this cell's rows.
    std::vector<int> rows;
    for (int r = r0 + 1; r <= r1; ++r) {
      bool free = true;
      for (int c = 0; c < Grid.ColCount && free; ++c) {
        if (!Grid.Origin(r, c)) continue;
        const TGridCell& o = Grid.Cells[Grid.MainAt(r, c)];
        if (o.Row + o.RowSpan - 1 <= r1) free = false;
      }
      if (free) rows.push_back(r);
    }
    if (rows.empty())
      for (int r = r0; r <= r1; ++r) rows.push_back(r);
    int sum = 0;
    for (int r : rows) sum += H[r];
    for (size_t k = 0; k < rows.size(); ++k) {
      const int r = rows[k];
      // With no height to weigh by, the rows share evenly.
      const int add = sum > 0 ? MulDiv(H[r], diff, sum) : diff / static_cast<int>(rows.size() - k);
      sum -= H[r];
      H[r] += add;
      diff -= add;
    }
    if (diff > 0) H[rows.back()] += diff;
  }
  return grown;
}

int IndexBefore(const std::vector<int>& Starts, int Coord) {
  const int n = static_cast<int>(Starts.size());
  if (n < 2) return 0;
  if (Coord >= Starts[n - 1]) return n - 1;
  // Largest index whose entry is less than Coord.
  const auto it = std::lower_bound(Starts.begin(), Starts.end(), Coord);
  const int i = static_cast<int>(it - Starts.begin()) - 1;
  return std::max(i, 0);
}

int IndexAt(const std::vector<int>& Starts, const std::vector<int>& Sizes, int Coord) {
  for (size_t c = 0; c < Starts.size() && c < Sizes.size(); ++c) {
    if (Coord < Starts[c]) return -1;
    if (Coord <= Starts[c] + Sizes[c]) return static_cast<int>(c);
  }
  return -1;
}

int RuleAt(int X, int Total, const std::vector<int>& Starts, int B, int Gap, bool IsStrict, int& MinX,
           int& ZeroChangeX) {
  if (IsStrict) {
    if (X < 0 || X > Total) return -1;
  } else {
    X = std::clamp(X, 0, std::max(Total, 0));
  }
  auto near = [&](int Line, int t) { return std::abs(X - Line) <= std::max(t / 2, 2); };
  const int n = static_cast<int>(Starts.size());
  const int f = B / 2;
  if (near(f, B)) {
    MinX = -1;
    ZeroChangeX = f;
    return 0;
  }
  if (n > 0 && near(Total - f, B)) {
    MinX = Starts[n - 1];
    ZeroChangeX = Total - f;
    return n;
  }
  for (int i = 1; i < n; ++i)
    if (near(Starts[i] - Gap / 2, Gap)) {
      MinX = Starts[i - 1];
      ZeroChangeX = Starts[i] - (Gap + 1) / 2;
      return i;
    }
  return -1;
}

}  // namespace rvtablecolumns
