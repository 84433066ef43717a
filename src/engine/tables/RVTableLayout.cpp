// Table layout: the formatter asks for the table's minimal width, then gives it the width of its
// line. The pass decides the column widths (rvtablecolumns), formats every cell's document at its
// cell's width, decides the row heights and places the cells, all in device pixels through
// cursad.
#include <algorithm>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"
#include "engine/tables/RVTable.h"
#include "engine/tables/RVTableColumns.h"
#include "engine/tables/RVTablePrint.h"
#include "platform/base/SysUtils.h"

namespace rvtablelayout_detail {

using namespace rvtablecolumns;

bool IsVertical(TRVTableCellData* Cell) {
  const TRVDocRotation r = Cell->GetCellRotation();
  return r == rvrot90 || r == rvrot270;
}

// The grid as the column solver sees it; Owners[i] is the cell of solver cell i.
struct TGridView {
  TGrid Grid;
  std::vector<TRVTableCellData*> Owners;
};

void BuildGrid(TRVTableItemInfo* Table, TGridView& V, const TRVScreenAndDevice* sad, TCanvas* Canvas) {
  const int rc = Table->RowCount(), cc = Table->ColCount();
  V.Grid.RowCount = rc;
  V.Grid.ColCount = cc;
  for (int r = 0; r < rc; ++r)
    for (int c = 0; c < cc; ++c) {
      TRVTableCellData* cell = Table->GetCells(r, c);
      if (!cell) continue;
      TGridCell g;
      g.Row = r;
      g.Col = c;
      g.RowSpan = std::max(1, std::min(cell->FRowSpan, rc - r));
      g.ColSpan = std::max(1, std::min(cell->FColSpan, cc - c));
      const TRVHTMLLength bw = cell->GetBestWidth();
      g.Best = bw > 0 ? Table->DevX(bw) : bw;
      V.Grid.Cells.push_back(g);
      V.Owners.push_back(cell);
    }
  V.Grid.Build();
  V.Grid.CellMinWidth = [&V, sad, Canvas](int i) { return V.Owners[i]->GetMinWidth(sad, Canvas); };
}

TTableLengths Lengths(TRVTableItemInfo* T) {
  TTableLengths L;
  L.Pad = T->DevX(T->GetCellHPadding());
  L.PadV = T->DevY(T->GetCellVPadding());
  L.HSp = T->DevX(T->GetCellHSpacing());
  L.VSp = T->DevY(T->GetCellVSpacing());
  L.CBW = T->DevX(T->GetCellBorderWidth());
  L.CBWV = T->DevY(T->GetCellBorderWidth());
  L.BW = T->DevX(T->GetBorderWidth());
  L.BWV = T->DevY(T->GetBorderWidth());
  L.BHS = T->DevX(T->GetBorderHSpacing());
  L.BVS = T->DevY(T->GetBorderVSpacing());
  return L;
}

int TableBest(TRVTableItemInfo* T) {
  const TRVHTMLLength bw = T->GetBestWidth();
  return bw > 0 ? T->DevX(bw) : bw;
}

void AssignList(TRVIntegerList& List, const std::vector<int>& V) {
  List.SetCount(static_cast<int>(V.size()));
  for (int i = 0; i < static_cast<int>(V.size()); ++i) List.Put(i, V[i]);
}

std::vector<int> ToVector(const TRVIntegerList& List) {
  std::vector<int> v(List.Count());
  for (int i = 0; i < List.Count(); ++i) v[i] = List.Get(i);
  return v;
}

// Removes a state flag on leaving unless it was set before.
class TStateFlagGuard {
 public:
  TStateFlagGuard(TRVStates& AStates, TRVState AFlag) : States(AStates), Flag(AFlag), Had(AStates.Contains(AFlag)) {
    States.Include(Flag);
  }
  ~TStateFlagGuard() {
    if (!Had) States.Exclude(Flag);
  }
  TStateFlagGuard(const TStateFlagGuard&) = delete;
  TStateFlagGuard& operator=(const TStateFlagGuard&) = delete;

 private:
  TRVStates& States;
  TRVState Flag;
  bool Had;
};

// Sets cursad for a scope and restores it, also when an exception passes.
class TSadGuard {
 public:
  TSadGuard(TRVTableItemInfo* ATable, const TRVScreenAndDevice* sad) : Table(ATable), Old(ATable->cursad) {
    Table->cursad = sad;
  }
  ~TSadGuard() { Table->cursad = Old; }
  TSadGuard(const TSadGuard&) = delete;
  TSadGuard& operator=(const TSadGuard&) = delete;

 private:
  TRVTableItemInfo* Table;
  const TRVScreenAndDevice* Old;
};

}  // namespace rvtablelayout_detail

using namespace rvtablelayout_detail;

int TRVTableItemInfo::DevX(TRVStyleLength Value) const {
  TRVStyle* st = GetRVStyle();
  if (!st) return Value;
  return cursad ? st->GetAsDevicePixelsX(Value, cursad) : st->GetAsPixels(Value);
}

int TRVTableItemInfo::DevY(TRVStyleLength Value) const {
  TRVStyle* st = GetRVStyle();
  if (!st) return Value;
  return cursad ? st->GetAsDevicePixelsY(Value, cursad) : st->GetAsPixels(Value);
}

int TRVTableItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* /*RVData*/) {
  TSadGuard guard(this, sad);
  TGridView v;
  BuildGrid(this, v, sad, Canvas);
  TColumnSolver solver(v.Grid, Lengths(this), TableBest(this), FOptions.Contains(rvtoIgnoreContentWidth));
  return solver.MinWidth(true);
}

void TRVTableItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* /*RVData*/,
                                        const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                                        const TRVDocWidthChangeStates& State) {
  HShift = 0;
  Desc = 0;
  if (State.Contains(rvdwcsPrinting)) {
    // The printing draw item carries its own copy of the formatting info; the pass on it is the
    // printing unit's (it sets cursad from its record and calls LayoutPass). The formatter lays
    // such an item out for printing right after this call, so a pass here would be thrown away.
    if (dynamic_cast<TRVTablePrintInfo*>(dli)) return;
    TSadGuard guard(this, sad);
    TRVDocWidthChangeStates st;
    for (TRVDocWidthChangeState s :
         {rvdwcsPrinting, rvdwcsMetafileCompatibility, rvdwcsNoMetafiles, rvdwcsThisLevelOnly})
      if (State.Contains(s)) st.Include(s);
    auto info = GetFormattingInfoClass()(true);
    LayoutPass(DocWidth, info.get(), Canvas, st);
    if (dli) {
      dli->Width = info->FWidth;
      dli->Height = info->FHeight;
    }
    return;
  }
  TRVDocWidthChangeStates st = State;
  if (FState.Contains(rvtsModified)) {
    FState.Exclude(rvtsModified);
    Fmt->FWidth = 0;
    st.Exclude(rvdwcsThisLevelOnly);
  }
  if (!st.Contains(rvdwcsThisLevelOnly)) {
    TSadGuard guard(this, nullptr);
    LayoutPass(DocWidth, Fmt.get(), Canvas, st);
  }
  if (dli) {
    dli->Width = Fmt->FWidth;
    dli->Height = Fmt->FHeight;
  }
}

void TRVTableItemInfo::LayoutPass(int DocWidth, TRVTableItemFormattingInfo* Info, TCanvas* Canvas,
                                  const TRVDocWidthChangeStates& State) {
  const bool printing = State.Contains(rvdwcsPrinting);
  const bool noCaching = State.Contains(rvdwcsNoCaching);
  const TTableLengths L = Lengths(this);
  const int rc = RowCount(), cc = ColCount();
  if (FRows->Empty()) {
    Info->QuickClear();
    Info->FWidth = std::max(2 * L.BW + 2 * L.BHS, 1);
    Info->FHeight = std::max(2 * L.BVS + 2 * L.BWV, 1);
    return;
  }
  TGridView v;
  BuildGrid(this, v, cursad, Canvas);
  const int pad2 = 2 * L.Pad, padV2 = 2 * L.PadV;
  std::vector<int> w;
  int total = Info->FWidth;
  // Widths fixed by storage or a printed part: only a full list with a known resolution.
  if (static_cast<int>(FFixedColWidths.size()) == cc && FFixedColWidthsPPI > 0) {
    w = FFixedColWidths;
    if (cursad)
      for (int& x : w) x = MulDiv(x, cursad->ppixDevice, FFixedColWidthsPPI);
    TColumnSolver solver(v.Grid, L, 0, true);
    total = solver.FixedPart() + cc * pad2;
    for (int x : w) total += x;
  } else {
    TColumnSolver solver(v.Grid, L, TableBest(this), FOptions.Contains(rvtoIgnoreContentWidth));
    if (!solver.Solve(DocWidth, Info->FWidth, noCaching, w, total)) return;
  }
  Info->FWidth = total;
  AssignList(Info->ColWidths, w);
  // Horizontal geometry.
  const int G = cc * (L.HSp + pad2 + 2 * L.CBW);
  const std::vector<int> colStarts = SpreadStarts(w, L.BW + L.BHS + L.CBW, G);
  AssignList(Info->ColStarts, colStarts);
  // A printing pass leaves the cells' screen places alone (the printing cells are placed by
  // the printing unit from the copy's lists).
  if (!printing)
    for (size_t i = 0; i < v.Owners.size(); ++i) {
      const TGridCell& g = v.Grid.Cells[i];
      v.Owners[i]->FLeft = colStarts[g.Col];
      v.Owners[i]->FWidth = SpanSize(w, g.Col, g.ColSpan, pad2, G);
    }
  // Cell formatting; cells with vertical text wait for their heights.
  TCustomRVData* root = FRows->FMainRVData ? FRows->FMainRVData->GetAbsoluteRootData() : nullptr;
  std::vector<TRVTableCellData*> vertical;
  {
    std::unique_ptr<TStateFlagGuard> partGuard;
    if (root) partGuard = std::make_unique<TStateFlagGuard>(root->State, rvstFormattingPart);
    for (TRVTableCellData* cell : v.Owners) {
      if (IsVertical(cell)) {
        vertical.push_back(cell);
        continue;
      }
      if (!printing) cell->Format(noCaching);
    }
  }
  // Row heights.
  std::vector<int> h(rc, 0);
  TRVStyle* style = GetRVStyle();
  for (int r = 0; r < rc; ++r) {
    if (!printing) {
      h[r] = FRows->GetRow(r)->GetHeight(style);
      continue;
    }
    int best = 0;
    for (int c = 0; c < cc; ++c) {
      TRVTableCellData* cell = GetCells(r, c);
      if (!cell || cell->FRowSpan > 1) continue;
      best = std::max(best, DevY(cell->GetBestHeight()));
      const bool ignore = IsVertical(cell) || (FOptions.Contains(rvtoIgnoreContentHeight) && cell->GetBestHeight() > 0);
      if (!ignore && cursad && cursad->ppiyScreen > 0)
        best = std::max(best, MulDiv(cell->DocumentHeight, cursad->ppiyDevice, cursad->ppiyScreen));
    }
    h[r] = best == 0 ? 10 : best;
  }
  int height = 2 * (rc * L.PadV + L.BWV + L.BVS) + (rc - 1) * L.VSp + rc * 2 * L.CBWV;
  for (int x : h) height += x;
  height += GrowMergedRows(v.Grid, h, L, [&](int i) {
    TRVTableCellData* cell = v.Owners[i];
    if (!printing) return cell->GetCellHeight(style);
    int need = DevY(cell->GetBestHeight());
    if (cursad && cursad->ppiyScreen > 0 && !IsVertical(cell))
      need = std::max(need, MulDiv(cell->DocumentHeight, cursad->ppiyDevice, cursad->ppiyScreen));
    return need;
  });
  Info->FHeight = height;
  AssignList(Info->RowHeights, h);
  // Vertical geometry.
  const int GV = rc * (L.VSp + padV2 + 2 * L.CBWV);
  const std::vector<int> rowStarts = SpreadStarts(h, L.BWV + L.BVS + L.CBWV, GV);
  AssignList(Info->RowStarts, rowStarts);
  if (!printing)
    for (size_t i = 0; i < v.Owners.size(); ++i) {
      const TGridCell& g = v.Grid.Cells[i];
      v.Owners[i]->FTop = rowStarts[g.Row];
      v.Owners[i]->FHeight = SpanSize(h, g.Row, g.RowSpan, padV2, GV);
    }
  if (!vertical.empty() && !printing) {
    std::unique_ptr<TStateFlagGuard> partGuard;
    if (root) partGuard = std::make_unique<TStateFlagGuard>(root->State, rvstFormattingPart);
    for (TRVTableCellData* cell : vertical) cell->Format(noCaching);
  }
  AfterFormatting();
}

int TRVTableItemInfo::GetVerticalRuleNo(int X, int& MinX, int& ZeroChangeX, bool IsStrict) {
  TSadGuard guard(this, nullptr);
  const int B = DevX(FBorderWidth) + DevX(FBorderHSpacing) + DevX(FCellBorderWidth);
  const int gap = DevX(FCellHSpacing) + 2 * DevX(FCellBorderWidth);
  return RuleAt(X, Fmt->FWidth, ToVector(Fmt->ColStarts), B, gap, IsStrict, MinX, ZeroChangeX);
}

int TRVTableItemInfo::GetHorizontalRuleNo(int Y, int& MinY, int& ZeroChangeY, bool IsStrict) {
  TSadGuard guard(this, nullptr);
  const int B = DevY(FBorderWidth) + DevY(FBorderVSpacing) + DevY(FCellBorderWidth);
  const int gap = DevY(FCellVSpacing) + 2 * DevY(FCellBorderWidth);
  return RuleAt(Y, Fmt->FHeight, ToVector(Fmt->RowStarts), B, gap, IsStrict, MinY, ZeroChangeY);
}

int TRVTableItemInfo::GetColNoAt(int X) const { return IndexAt(ToVector(Fmt->ColStarts), ToVector(Fmt->ColWidths), X); }

int TRVTableItemInfo::GetRowNoAt(int Y) const {
  return IndexAt(ToVector(Fmt->RowStarts), ToVector(Fmt->RowHeights), Y);
}
