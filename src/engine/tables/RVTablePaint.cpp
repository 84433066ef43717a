// Table painting: the table background, the rules between columns and rows, the outer border,
// then every visible cell with its background (colour, picture, selection, opacity), its document
// and its border. Lines are drawn as one-pixel fills so that every width and style lands on
// exact pixels on every back-end. All geometry comes from the last layout.
#include <algorithm>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVBack.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/tables/RVTable.h"
#include "engine/tables/RVTableColumns.h"
#include "engine/tables/RVTablePrint.h"

namespace rvtablepaint_detail {

bool ClipEmpty(const TRect& R) { return R.Left == 0 && R.Top == 0 && R.Right == 0 && R.Bottom == 0; }

// A horizontal line of pixels x1..x2 (inclusive) at y.
void HLine(TRVGraphicInterface* GI, TCanvas* Canvas, int x1, int x2, int y, TColor C) {
  if (x2 < x1) std::swap(x1, x2);
  GI->FillColorRect(Canvas, TRect(x1, y, x2 + 1, y + 1), C);
}

// A vertical line of pixels y1..y2 (inclusive) at x.
void VLine(TRVGraphicInterface* GI, TCanvas* Canvas, int x, int y1, int y2, TColor C) {
  if (y2 < y1) std::swap(y1, y2);
  GI->FillColorRect(Canvas, TRect(x, y1, x + 1, y2 + 1), C);
}

// A line in a pen style: solid, or every other pixel for the dotted grid pen.
void StyledHLine(TRVGraphicInterface* GI, TCanvas* Canvas, int x1, int x2, int y, TColor C, TPenStyle Style) {
  if (Style == psSolid || Style == psInsideFrame) {
    HLine(GI, Canvas, x1, x2, y, C);
    return;
  }
  for (int x = x1; x <= x2; x += 2) GI->FillColorRect(Canvas, TRect(x, y, x + 1, y + 1), C);
}

void StyledVLine(TRVGraphicInterface* GI, TCanvas* Canvas, int x, int y1, int y2, TColor C, TPenStyle Style) {
  if (Style == psSolid || Style == psInsideFrame) {
    VLine(GI, Canvas, x, y1, y2, C);
    return;
  }
  for (int y = y1; y <= y2; y += 2) GI->FillColorRect(Canvas, TRect(x, y, x + 1, y + 1), C);
}

TColor Fore(TColor C, TRVColorMode Mode) { return RVColorToRGB(ApplyColorMode(C, Mode)); }
TColor Back(TColor C, TRVColorMode Mode) { return RVColorToRGB(ApplyBackColorMode(C, Mode)); }

// A colour filled at an opacity (thousandths of a per cent).
void FillOpacity(TRVGraphicInterface* GI, TCanvas* Canvas, const TRect& R, TColor C, int Opacity) {
  if (C == clNone || R.IsEmpty()) return;
  if (Opacity >= 100000)
    GI->FillColorRect(Canvas, R, C);
  else if (Opacity > 0)
    GI->FillRectAlpha(Canvas, R, C, OpacityToAlpha(Opacity));
}

bool Intersects(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

// Horizontal border and grid lines end one pixel further right (vertical ones one pixel lower)
// except on pages that a page-layout owner draws enlarged.
int LineEndFlag(TCustomRVData* RVData) {
  TCustomRVData* root = RVData ? RVData->GetAbsoluteRootData() : nullptr;
  if (!root) return 1;
  const std::shared_ptr<IRVScaleViroZereInterface> srv = root->GetScaleViroZereInterface();
  return srv && srv->GetDrawnPageZoomPercent() >= 1.45 ? 0 : 1;
}

// A background is composed off-screen in print-simulation drawing when it lets what lies under
// it show through.
bool IsSemitransparent(TRVBackground* Bg, TColor Color, int Opacity) {
  if (Bg && !Bg->Empty()) return Bg->IsSemitransparent() && (Color == clNone || Opacity < 100000);
  return Color != clNone && Opacity > 0 && Opacity < 100000;
}

// A line of a pen Pen pixels wide centred on Pos: the first pixel it covers.
int PenStart(int Pos, int Pen) { return Pos - Pen / 2; }

}  // namespace rvtablepaint_detail

using namespace rvtablepaint_detail;

// ---- cell colours ------------------------------------------------------------------------------

TColor TRVTableItemInfo::GetCellColor(int Row, int Col, bool UseTableColor, bool UseParentBackground) {
  const TColor over = GetColor(rvtcCellOverrideColor);
  if (over != clNone) return over;
  if (TRVTableCellData* cell =
          Row >= 0 && Row < RowCount() && Col >= 0 && Col < ColCount() ? GetCells(Row, Col) : nullptr;
      cell && cell->GetCellColorProp() != clNone)
    return cell->GetCellColorProp();
  const TColor heading = GetColor(rvtcHeadingRowColor);
  const int headingRows = GetHeadingRowCount() <= 0 ? 1 : GetHeadingRowCount();
  if (heading != clNone && Row < headingRows) return heading;
  if (GetColor(rvtcLastRowColor) != clNone && Row == RowCount() - 1) return GetColor(rvtcLastRowColor);
  const TColor first = GetColor(rvtcFirstColumnColor);
  if (first != clNone && Col == 0) return first;
  if (GetColor(rvtcLastColumnColor) != clNone && Col == ColCount() - 1) return GetColor(rvtcLastColumnColor);
  const TColor oddC = GetColor(rvtcOddColumnsColor), evenC = GetColor(rvtcEvenColumnsColor);
  if ((oddC != clNone || evenC != clNone) && GetColBandSize() > 0) {
    const int k = GetColBandSize();
    const int c = Col - (first != clNone ? 1 : 0);
    const int m = ((c % (2 * k)) + 2 * k) % (2 * k);
    const TColor v = m < k ? oddC : evenC;
    if (v != clNone) return v;
  }
  const TColor oddR = GetColor(rvtcOddRowsColor), evenR = GetColor(rvtcEvenRowsColor);
  if ((oddR != clNone || evenR != clNone) && GetRowBandSize() > 0) {
    const int k = GetRowBandSize();
    const int h = heading != clNone ? headingRows : GetHeadingRowCount();
    const int r = Row - h;
    const int m = r % (2 * k);
    const TColor v = (m < 0 ? -m : m) < k ? oddR : evenR;
    if (v != clNone) return v;
  }
  TColor result = UseTableColor ? GetColor(rvtcColor) : clNone;
  if (result == clNone && UseParentBackground && FRows->FMainRVData) {
    TCustomRVData* doc = FRows->FMainRVData;
    TRVStyle* st = GetRVStyle();
    if (st && ParaNo >= 0 && ParaNo < st->ParaStyles()->Count()) {
      const TColor pc = st->ParaStyles()->Items(ParaNo)->Background()->Color;
      if (pc != clNone) return pc;
    }
    result = doc->GetColor();
  }
  return result;
}

bool TRVTableItemInfo::IsCellTransparent(int Row, int Col) {
  TRVTableCellData* cell = GetCells(Row, Col);
  return GetCellColor(Row, Col, false, false) == clNone || (cell && cell->GetOpacity() < 100000);
}

// ---- painting ------------------------------------------------------------------------------------

void TRVTableItemInfo::PaintFullWidth(int Left, int /*Right*/, int Top, TCanvas* Canvas, const TRVItemDrawStates& State,
                                      TRVStyle* /*AStyle*/, const TRect& ClipRect, TCustomRVData* ARVData,
                                      TRVDrawLineInfo* dli, int ExtraX, int ExtraY, TRVPaintItemPart* /*PaintPart*/,
                                      bool /*ForMetafile*/) {
  BeforePaint();
  auto* fd = ARVData ? ARVData->AsFormattedData() : nullptr;
  const TRVColorMode mode = fd ? fd->GetPaintColorMode() : rvcmColor;
  const int x = Left - ExtraX, y = Top - ExtraY;
  TRect clip = ClipRect;
  if (fd && fd->GetRealRotation(false) != rvrotNone) {
    clip = TRect(0, 0, 0, 0);
  } else if (!ClipEmpty(clip) && dli) {
    // The clip is in the document's control coordinates: to the canvas through the draw item's
    // place in the document and on the canvas.
    const int sx = (fd ? fd->GetHOffs() : 0) - dli->Left + x, sy = (fd ? fd->GetVOffs() : 0) - dli->Top + y;
    clip = TRect(clip.Left + sx, clip.Top + sy, clip.Right + sx, clip.Bottom + sy);
  }
  // The document's left edge on the canvas, for signs drawn across the document's width.
  FPageBreakXShift = dli ? dli->Left - x : -x;
  DrawTable(Canvas, x, y, clip, State, Fmt.get(), mode, ARVData, false);
}

void TRVTableItemInfo::DrawTable(TCanvas* Canvas, int X, int Y, const TRect& Clip, const TRVItemDrawStates& State,
                                 TRVTableItemFormattingInfo* Info, TRVColorMode ColorMode, TCustomRVData* RVData,
                                 bool Printing, int FirstRow, int LastRow, const TRVTablePrintedCells* PrintedCells) {
  TRVStyle* st = GetRVStyle();
  if (!Canvas || !st || !Info) return;
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  const bool clipping = !ClipEmpty(Clip);
  const int cbw = DevX(FCellBorderWidth), cbwV = DevY(FCellBorderWidth);
  const int hsp = DevX(FCellHSpacing), vsp = DevY(FCellVSpacing);
  const int bw = DevX(FBorderWidth), bwV = DevY(FBorderWidth);
  const int bhs = DevX(FBorderHSpacing), bvs = DevY(FBorderVSpacing);
  const int lineEnd = LineEndFlag(RVData);
  const TColor selColor = st->GetSelectionColor(State.Contains(rvidsControlFocused), true);
  MyClientLeft = X;
  MyClientTop = Y;
  const int rc = RowCount(), cc = ColCount();
  // A printed part is as tall as its rows (the heading rows and the part's).
  const TRect tableRect(X, Y, X + Info->FWidth, Y + (PrintedCells ? PrintedCells->Height : Info->FHeight));
  const std::vector<int> rowStarts = [&] {
    std::vector<int> v(Info->RowStarts.Count());
    for (int i = 0; i < Info->RowStarts.Count(); ++i) v[i] = Info->RowStarts.Get(i);
    return v;
  }();
  // Rows to paint.
  int first = FirstRow >= 0 ? FirstRow : (clipping ? rvtablecolumns::IndexBefore(rowStarts, Clip.Top - Y - bwV) : 0);
  int last = LastRow >= 0 ? LastRow : (cc == 0 ? -1 : rc - 1);
  if (static_cast<int>(rowStarts.size()) < rc || Info->ColStarts.Count() < cc) last = -1;  // not laid out
  // Table background.
  {
    TRect area = tableRect;
    if (clipping) {
      area.Left = std::max(area.Left, Clip.Left);
      area.Top = std::max(area.Top, Clip.Top);
      area.Right = std::min(area.Right, Clip.Right);
      area.Bottom = std::min(area.Bottom, Clip.Bottom);
    }
    bool doDefault = true;
    if (!area.IsEmpty() && FOnDrawBackground)
      FOnDrawBackground(this, Canvas, tableRect.Left, tableRect.Top, tableRect.Right, tableRect.Bottom,
                        State.Contains(rvidsSelected), false, Printing, -1, -1, doDefault);
    if (!area.IsEmpty() && doDefault) {
      TColor c = GetColor(rvtcColor);
      if (c != clNone && Printing && FPrintOptions.Contains(rvtoWhiteBackground)) c = 0xFFFFFF;
      if (PrintedCells) {
        PrintTableBackground(Canvas, area, tableRect, ColorMode, gi);
      } else if (State.Contains(rvidsPrintSimulation) && !Printing &&
                 IsSemitransparent(FBackground.get(), c, FOpacity)) {
        ComposeBackground(Canvas, area, tableRect, nullptr, TRect(), ColorMode, RVData, State);
      } else if (FBackground && !FBackground->Empty()) {
        FBackground->Draw(Canvas, area, 0, 0, tableRect.Left, tableRect.Top, Info->FWidth, Info->FHeight,
                          c == clNone ? clNone : Back(c, ColorMode), FOpacity, clipping, false, gi, RVData, nullptr,
                          State.Contains(rvidsUseWordPainters) && !State.Contains(rvidsPrint));
      } else if (c != clNone) {
        FillOpacity(gi, Canvas, area, Back(c, ColorMode), FOpacity);
      }
    }
  }
  // Rules.
  const bool vRules = FVRuleWidth != 0 && GetColor(rvtcVRuleColor) != clNone;
  const bool hRules = FHRuleWidth != 0 && GetColor(rvtcHRuleColor) != clNone;
  const int clipTop = clipping ? Clip.Top - 1 : tableRect.Top,
            clipBottom = clipping ? Clip.Bottom + 1 : tableRect.Bottom;
  if (vRules && last >= 0) {
    const int w = DevX(FVRuleWidth);
    const TColor c = Fore(GetColor(rvtcVRuleColor), ColorMode);
    const int d = hRules && FHOutermostRule ? bwV + bvs / 2 : 0;
    const int top = std::max(tableRect.Top + d, clipTop), bottom = std::min(tableRect.Bottom - d, clipBottom);
    auto rule = [&](int x) {
      for (int i = 0; i < w; ++i) VLine(gi, Canvas, x - w / 2 + i, top, bottom - 1, c);
    };
    for (int col = 1; col < cc; ++col) {
      const int x = X + Info->ColStarts.Get(col) - (hsp + 2 * cbw + 1) / 2;
      if (clipping && x - w / 2 > Clip.Right) break;
      rule(x);
    }
    if (FVOutermostRule) {
      rule(X + bw + bhs / 2);
      rule(X + Info->FWidth - bw - bhs / 2 - 1 + (w % 2 == 0 ? 1 : 0));
    }
  }
  if (hRules && last >= 0) {
    const int w = DevY(FHRuleWidth);
    const TColor c = Fore(GetColor(rvtcHRuleColor), ColorMode);
    const int e = vRules && FVOutermostRule ? bw + bhs / 2 : 0;
    auto rule = [&](int y) {
      for (int i = 0; i < w; ++i) HLine(gi, Canvas, tableRect.Left + e, tableRect.Right - e - 1, y - w / 2 + i, c);
    };
    if (PrintedCells) {
      for (size_t i = 1; i < PrintedCells->RowTops.size(); ++i)
        rule(Y + PrintedCells->RowTops[i] - (vsp + 2 * cbwV + 1) / 2);
    } else {
      for (int r = std::max(first, 1); r <= last; ++r) {
        const int y = Y + rowStarts[r] - (vsp + 2 * cbwV + 1) / 2;
        if (clipping && y - w / 2 > Clip.Bottom) break;
        rule(y);
      }
    }
    if (FHOutermostRule) {
      if (first <= 1 || Printing) rule(Y + bwV + bvs / 2);
      rule(Y + tableRect.Height() - bwV - bvs / 2 - 1 + (w % 2 == 0 ? 1 : 0));
    }
  }
  // Outer border.
  TColor docColor = clNone;
  if (RVData) docColor = RVData->GetColor();
  DrawBorder(Canvas, tableRect.Left, tableRect.Top, tableRect.Right, tableRect.Bottom, FBorderWidth, FBorderStyle,
             GetColor(rvtcBorderColor), GetColor(rvtcBorderLightColor), docColor, FVisibleBorders.get(), -1, -1, Clip,
             Printing, ColorMode, RVData, lineEnd);
  // Cells.
  // A printed cell (Printed) has its rectangle from the printing layout; its document is printed
  // by the caller.
  auto paintCell = [&](int r, int c, TRVTableCellData* cell, const TRVTablePrintedCells::TCell* Printed = nullptr) {
    const TRect rect =
        Printed
            ? TRect(X + Printed->Rect.Left, Y + Printed->Rect.Top, X + Printed->Rect.Right, Y + Printed->Rect.Bottom)
            : TRect(X + cell->FLeft, Y + cell->FTop, X + cell->FLeft + cell->FWidth, Y + cell->FTop + cell->FHeight);
    if (clipping && rect.Right + cbw < Clip.Left) return;
    // Background.
    TColor sel = clNone;
    const bool tableSelected = State.Contains(rvidsSelected);
    // A selected table shows its cells' documents completely selected while they paint; the
    // state goes again afterwards unless the cell had it before.
    struct TCompleteSelection {
      TRVTableCellData* Cell = nullptr;
      ~TCompleteSelection() {
        if (Cell) Cell->State.Exclude(rvstCompletelySelected);
      }
    } completeSelection;
    if (tableSelected) {
      if (!cell->State.Contains(rvstCompletelySelected)) {
        cell->State.Include(rvstCompletelySelected);
        completeSelection.Cell = cell;
      }
      sel = selColor;
    }
    bool doDefault = true;
    if (FOnDrawBackground)
      FOnDrawBackground(this, Canvas, rect.Left, rect.Top, rect.Right, rect.Bottom, tableSelected,
                        cell->State.Contains(rvstCompletelySelected), Printing, r, c, doDefault);
    if (doDefault) {
      TColor color;
      int opacity = 100000;
      if (sel != clNone) {
        color = sel;
      } else {
        color = GetCellColor(r, c, false, false);
        opacity = cell->GetOpacity();
      }
      TRVBackground* bg = cell->GetBackground();
      const bool hasBg = bg && !bg->Empty();
      if (color != clNone || hasBg) {
        if (color != clNone && Printing && FPrintOptions.Contains(rvtoWhiteBackground)) color = 0xFFFFFF;
        TRect br = rect;
        if (FOptions.Contains(rvtoCellBelowBorders))
          br = TRect(br.Left - cbw, br.Top - cbwV, br.Right + cbw, br.Bottom + cbwV);
        const TColor mapped = color == clNone ? clNone : Back(color, ColorMode);
        if (Printed && sel == clNone)
          PrintCellBackground(Canvas, br, r, c, ColorMode, gi);
        else if (sel == clNone && State.Contains(rvidsPrintSimulation) && !Printing &&
                 IsSemitransparent(hasBg ? bg : nullptr, color, opacity))
          ComposeBackground(Canvas, br, tableRect, cell, br, ColorMode, RVData, State);
        else if (sel == clNone && hasBg)
          bg->Draw(Canvas, br, 0, 0, br.Left, br.Top, br.Width(), br.Height(), mapped, opacity, false, false, gi, cell,
                   nullptr, State.Contains(rvidsUseWordPainters) && !State.Contains(rvidsPrint));
        else
          FillOpacity(gi, Canvas, br, mapped, opacity);
      }
      if (sel == clNone && (!Printed || Printed->Page == 1)) AfterDrawCellBackground(Canvas, r, c, rect);
    }
    // Document, clipped to the cell.
    if (!Printed) {
      const int saved = gi->SaveCanvasState(Canvas);
      try {
        gi->IntersectClipRect(Canvas, rect.Left, rect.Top, rect.Right, rect.Bottom);
        cell->PaintTo(Canvas, TRect(0, 0, 0, 0), false, false, false, Printing, State.Contains(rvidsUseWordPainters), 0,
                      0, 0, -1, nullptr, nullptr, false);
      } catch (...) {
        gi->RestoreCanvasState(Canvas, saved);
        throw;
      }
      gi->RestoreCanvasState(Canvas, saved);
    }
    // Border.
    const TColor bc = cell->GetBorderColor() != clNone ? cell->GetBorderColor() : GetColor(rvtcCellBorderColor);
    const TColor lc =
        cell->GetBorderLightColor() != clNone ? cell->GetBorderLightColor() : GetColor(rvtcCellBorderLightColor);
    DrawBorder(Canvas, rect.Left - cbw, rect.Top - cbwV, rect.Right + cbw, rect.Bottom + cbwV, FCellBorderWidth,
               FCellBorderStyle, bc, lc, GetColor(rvtcColor), cell->GetVisibleBorders(), r, c, Clip, Printing,
               ColorMode, RVData, lineEnd);
    AfterDrawCell(Canvas, r, c, rect);
  };
  if (PrintedCells) {
    for (const TRVTablePrintedCells::TCell& p : PrintedCells->Cells)
      if (TRVTableCellData* cell = p.Row < rc && p.Col < cc ? GetCells(p.Row, p.Col) : nullptr)
        paintCell(p.Row, p.Col, cell, &p);
  } else if (last >= 0) {
    // Cells that begin above the first painted row and reach into it.
    if (first > 0 && first < rc)
      for (int c = 0; c < cc; ++c) {
        if (GetCells(first, c)) continue;
        int mr = -1, mc = -1;
        TRVTableCellData* main = FRows->GetMainCell(first, c, mr, mc);
        if (main && mr < first && mc == c) paintCell(mr, mc, main);
      }
    for (int r = first; r <= last && r < rc; ++r) {
      const int top = Y + rowStarts[r];
      if (clipping && top - cbwV > Clip.Bottom) break;
      for (int c = 0; c < cc; ++c) {
        if (clipping && X + Info->ColStarts.Get(c) - cbw > Clip.Right) break;
        if (TRVTableCellData* cell = GetCells(r, c)) paintCell(r, c, cell);
      }
    }
    // The page-break sign above rows that start a page.
    TCustomRVData* root = RVData ? RVData->GetAbsoluteRootData() : nullptr;
    if (!Printing && root && root->GetOptions().Contains(rvoShowPageBreaks) && RVData->AsFormattedData())
      for (int r = std::max(first, 1); r <= last && r < rc; ++r) {
        const int top = Y + rowStarts[r];
        if (clipping && top - cbwV > Clip.Bottom) break;
        if (!FRows->GetRow(r)->FPageBreakBefore) continue;
        st->DrawPageBreak(Canvas, top - (vsp + 2 * cbwV + 1) / 2, FPageBreakXShift, rvpbPageBreak,
                          RVData->GetParentControl(), RVData, RVData->GetItemNo(this));
      }
  }
  if (!Printing) AfterPaint();
}

void TRVTableItemInfo::DrawBorder(TCanvas* Canvas, int Left, int Top, int Right, int Bottom, TRVStyleLength Width,
                                  TRVTableBorderStyle Style, TColor Color, TColor LightColor, TColor BackgroundColor,
                                  TRVBooleanRect* VisibleBorders, int Row, int Col, const TRect& Clip, bool Printing,
                                  TRVColorMode ColorMode, TCustomRVData* RVData, int LineEnd) {
  if (!ClipEmpty(Clip) && !Intersects(TRect(Left, Top, Right + 1, Bottom + 1), Clip)) return;
  bool doDefault = true;
  if (FOnDrawBorder)
    FOnDrawBorder(this, Canvas, Left, Top, Right, Bottom, Width, LightColor, Color, BackgroundColor, Style, Printing,
                  VisibleBorders, Row, Col, doDefault);
  if (!doDefault) return;
  TRVStyle* st = GetRVStyle();
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  TCustomRVData* root = RVData ? RVData->GetAbsoluteRootData() : nullptr;
  const auto* editData = dynamic_cast<TRVEditRVData*>(root);
  const bool editable = editData && !(editData->GetEditor() && editData->GetEditor()->GetReadOnly());
  const TPenStyle gridStyle = editable ? st->GridStyle : st->GridReadOnlyStyle;
  const TColor gridColor = editable ? st->GridColor : st->GridReadOnlyColor;
  const bool grid = !FOptions.Contains(rvtoHideGridLines) && !Printing && gridStyle != psClear && gridColor != clNone &&
                    root && root->GetOptions().Contains(rvoShowGridLines);
  const TColor gc = grid ? Fore(gridColor, ColorMode) : clNone;
  bool vl = true, vt = true, vr = true, vb = true;
  if (VisibleBorders) VisibleBorders->GetValues(vl, vt, vr, vb);
  // Grid lines: the rectangle outlined, its last pixels at Right - 1 and Bottom - 1.
  auto gridSide = [&](int side) {
    switch (side) {
      case 0: StyledVLine(gi, Canvas, Left, Top, Bottom - 1, gc, gridStyle); break;
      case 1: StyledHLine(gi, Canvas, Left, Right - 1, Top, gc, gridStyle); break;
      case 2: StyledVLine(gi, Canvas, Right - 1, Top, Bottom - 1, gc, gridStyle); break;
      case 3: StyledHLine(gi, Canvas, Left, Right - 1, Bottom - 1, gc, gridStyle); break;
    }
  };
  // Grid lines of single invisible sides follow the line-end flag.
  auto gridSideLine = [&](int side) {
    const int cut = 1 - LineEnd;
    switch (side) {
      case 0: StyledVLine(gi, Canvas, Left, Top, Bottom - 1 - cut, gc, gridStyle); break;
      case 1: StyledHLine(gi, Canvas, Left, Right - 1 - cut, Top, gc, gridStyle); break;
      case 2: StyledVLine(gi, Canvas, Right - 1, Top, Bottom - 1 - cut, gc, gridStyle); break;
      case 3: StyledHLine(gi, Canvas, Left, Right - 1 - cut, Bottom - 1, gc, gridStyle); break;
    }
  };
  if (Width == 0) {
    if (grid)
      for (int s = 0; s < 4; ++s) gridSide(s);
    return;
  }
  int w = DevY(Width);
  if (grid && !(vl && vt && vr && vb)) {
    // A side whose neighbour's border lies over it (negative spacing) needs no grid line.
    auto covered = [&](int side) {
      if (Row < 0) return false;
      const bool vertical = side == 0 || side == 2;
      const int spacing = vertical ? FCellHSpacing : FCellVSpacing;
      const int nr = side == 1 ? Row - 1 : side == 3 ? Row + 1 : Row;
      const int nc = side == 0 ? Col - 1 : side == 2 ? Col + 1 : Col;
      if (nr < 0 || nc < 0 || nr >= RowCount() || nc >= ColCount()) {
        const int bsp = vertical ? FBorderHSpacing : FBorderVSpacing;
        bool tl = true, tt = true, tr = true, tb = true;
        FVisibleBorders->GetValues(tl, tt, tr, tb);
        const bool tableSide = side == 0 ? tl : side == 1 ? tt : side == 2 ? tr : tb;
        return bsp < 0 && FBorderWidth > 0 && tableSide;
      }
      if (spacing >= 0) return false;
      int mr = -1, mc = -1;
      TRVTableCellData* n = FRows->GetMainCell(nr, nc, mr, mc);
      if (!n || !n->GetVisibleBorders()) return false;
      bool nl = true, nt = true, nrr = true, nb = true;
      n->GetVisibleBorders()->GetValues(nl, nt, nrr, nb);
      return side == 0 ? nrr : side == 1 ? nb : side == 2 ? nl : nt;
    };
    const bool vis[4] = {vl, vt, vr, vb};
    for (int s = 0; s < 4; ++s)
      if (!vis[s] && !covered(s)) gridSideLine(s);
  }
  int R = Right - 1, B = Bottom - 1;
  TColor c1, c2;
  auto isHighlight = [&](TColor c) { return c != clNone && RVColorToRGB(c) == RVColorToRGB(clBtnHighlight); };
  switch (Style) {
    case rvtbRaised:
      c1 = isHighlight(BackgroundColor) ? clBtnFace : clBtnHighlight;
      c2 = clBtnShadow;
      break;
    case rvtbLowered:
      c1 = clBtnShadow;
      c2 = isHighlight(BackgroundColor) ? clBtnFace : clBtnHighlight;
      break;
    case rvtbRaisedColor:
      c1 = LightColor;
      c2 = Color;
      break;
    case rvtbLoweredColor:
      c1 = Color;
      c2 = LightColor;
      break;
    default:
      if (Color == clNone) return;
      c1 = c2 = Color;
      break;
  }
  const bool overlap = Style == rvtbColor && FOptions.Contains(rvtoOverlappingCorners);
  const TColor f1 = c1 == clNone ? clNone : Fore(c1, ColorMode), f2 = c2 == clNone ? clNone : Fore(c2, ColorMode);
  // A printer finer than the screen gets borders one pixel wider, from one pixel up and left, so
  // that no gap opens between a border and what it meets.
  const bool finerDevice = Printing && cursad && cursad->ppiyDevice > cursad->ppiyScreen;
  if (Printing && FPrintOptions.Contains(rvtoHalftoneBorders)) {
    // One line per side, centred on the rectangle inset by half the width, without the line-end
    // flag. The 3D styles keep the one-pixel pen unless the device is finer than the screen.
    const int pen = finerDevice ? w + 1 : (Style == rvtbColor ? w : 1);
    const int shift = finerDevice ? 1 : 0;
    const int l = Left + w / 2 - shift, t = Top + w / 2 - shift, r = R - w / 2 - shift, b = B - w / 2 - shift;
    auto band = [&](const TRect& Rc, TColor C) {
      if (C != clNone && !Rc.IsEmpty()) gi->FillColorRect(Canvas, Rc, C);
    };
    const int pl = PenStart(l, pen), pt = PenStart(t, pen), pr = PenStart(r, pen), pb = PenStart(b, pen);
    if (vt) band(TRect(l, pt, r, pt + pen), f1);
    if (vl) band(TRect(pl, t, pl + pen, b), f1);
    if (vb) band(TRect(l, pb, r, pb + pen), f2);
    if (vr) band(TRect(pr, t, pr + pen, b), f2);
    return;
  }
  if (finerDevice && Style == rvtbColor) {
    --Left;
    --Top;
    --R;
    --B;
    ++w;
  }
  for (int i = 0; i < w; ++i) {
    const int l = Left + i, t = Top + i, r = R - i, b = B - i;
    if (r < l || b < t) break;
    const int hl = overlap ? Left : l, hr = overlap ? R : r, vt2 = overlap ? Top : t, vb2 = overlap ? B : b;
    if (f1 != clNone) {
      if (vt) HLine(gi, Canvas, hl, hr - 1 + LineEnd, t, f1);
      if (vl) VLine(gi, Canvas, l, vt2, vb2 - 1 + LineEnd, f1);
    }
    if (f2 != clNone) {
      if (vb) HLine(gi, Canvas, hl, hr - 1 + LineEnd, b, f2);
      if (vr) VLine(gi, Canvas, r, vt2, vb2 - 1 + LineEnd, f2);
    }
  }
}

void TRVTableItemInfo::DrawBackgroundUnderCell(TCanvas* Canvas, TRVTableCellData* Cell, const TRect& Rect,
                                               TRVGraphicInterface* GraphicInterface, bool AllowThumbnails) {
  if (!Canvas || !Cell || !GraphicInterface) return;
  TCustomRVData* doc = FRows->FMainRVData;
  auto* fd = doc ? doc->AsFormattedData() : nullptr;
  const TRVColorMode mode = fd ? fd->GetPaintColorMode() : rvcmColor;
  TRVStyle* st = GetRVStyle();
  const TColor tc = GetColor(rvtcColor);
  if ((tc == clNone || FOpacity < 100000) && st && ParaNo >= 0 && ParaNo < st->ParaStyles()->Count()) {
    const TColor pc = st->ParaStyles()->Items(ParaNo)->Background()->Color;
    if (pc != clNone) FillOpacity(GraphicInterface, Canvas, Rect, Back(pc, mode), 100000);
  }
  const TColor c = tc == clNone ? clNone : Back(tc, mode);
  if (FBackground && !FBackground->Empty()) {
    const int left = Rect.Left - Cell->FLeft, top = Rect.Top - (Cell->FTop + Cell->GetExtraVOffs());
    FBackground->Draw(Canvas, Rect, 0, 0, left, top, Fmt->FWidth, Fmt->FHeight, c, FOpacity, false, false,
                      GraphicInterface, doc, nullptr, AllowThumbnails);
  } else {
    FillOpacity(GraphicInterface, Canvas, Rect, c, FOpacity);
  }
}

void TRVTableItemInfo::ComposeBackground(TCanvas* Canvas, const TRect& Area, const TRect& TableRect,
                                         TRVTableCellData* Cell, const TRect& CellRect, TRVColorMode ColorMode,
                                         TCustomRVData* RVData, const TRVItemDrawStates& State) {
  TRVStyle* st = GetRVStyle();
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  if (Area.IsEmpty()) return;
  TBitmap bmp(Area.Width(), Area.Height());
  TCanvas* bc = bmp.GetCanvas();
  const TRect whole(0, 0, Area.Width(), Area.Height());
  const bool thumbnails = State.Contains(rvidsUseWordPainters) && !State.Contains(rvidsPrint);
  // What lies under the table: the background of its place when the table is nested in a cell,
  // else the document's colour.
  TColor under = RVData ? RVData->GetColor() : clNone;
  std::unique_ptr<TBitmap> underBmp;
  bool useBmp = false;
  if (auto* holder = dynamic_cast<TRVTableCellData*>(RVData)) {
    TRect r = whole;
    holder->GetItemBackground(holder->GetItemNo(this), r, false, under, underBmp, useBmp, gi, thumbnails, false, 0);
  }
  if (useBmp && underBmp)
    gi->DrawBitmap(bc, 0, 0, underBmp.get());
  else
    gi->FillColorRect(bc, whole, Back(under == clNone ? clWindow : under, ColorMode));
  // The table's picture or colour, placed as on the canvas.
  const int dx = -Area.Left, dy = -Area.Top;
  const TRect table(TableRect.Left + dx, TableRect.Top + dy, TableRect.Right + dx, TableRect.Bottom + dy);
  const TColor tc = GetColor(rvtcColor) == clNone ? clNone : Back(GetColor(rvtcColor), ColorMode);
  if (FBackground && !FBackground->Empty())
    FBackground->Draw(bc, whole, 0, 0, table.Left, table.Top, table.Width(), table.Height(), tc, FOpacity, false, true,
                      gi, RVData, nullptr, thumbnails);
  else
    FillOpacity(gi, bc, whole, tc, FOpacity);
  // The cell's over it.
  if (Cell) {
    const TRect cr(CellRect.Left + dx, CellRect.Top + dy, CellRect.Right + dx, CellRect.Bottom + dy);
    const TColor cc = Cell->GetCellColor() == clNone ? clNone : Back(Cell->GetCellColor(), ColorMode);
    TRVBackground* bg = Cell->GetBackground();
    if (bg && !bg->Empty())
      bg->Draw(bc, cr, 0, 0, cr.Left, cr.Top, cr.Width(), cr.Height(), cc, Cell->GetOpacity(), false, true, gi, Cell,
               nullptr, thumbnails);
    else
      FillOpacity(gi, bc, cr, cc, Cell->GetOpacity());
  }
  bmp.Flush();
  gi->DrawBitmap(Canvas, Area.Left, Area.Top, &bmp);
}

bool TRVTableItemInfo::HasThumbnail() { return FBackground && FBackground->HasThumbnail(); }

void TRVTableItemInfo::FreeThumbnail() {
  if (FBackground) FBackground->FreeThumbnail();
}
