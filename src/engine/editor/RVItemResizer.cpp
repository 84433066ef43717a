// The item resizer and the selection handles.
#include "engine/editor/RVItemResizer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/document/RVScaleViroZere.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/layout/RVFormattingState.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/GraphUtil.h"

bool RVKeepAspectRatioOnCornerResize = true;

namespace rvitemresizer_detail {

// The resolution handles are measured at: the one formatting uses when it is fixed, else the
// screen's.
int HandlesPpi() { return RVFormattingPixelsPerInch > 0 ? RVFormattingPixelsPerInch : GetScreenPixelsPerInch(); }

int RoundHalfEven(double V) { return static_cast<int>(std::nearbyint(V)); }

bool MovesLeft(TRVResizeHandleIndex H) { return H == rvrhLeftTop || H == rvrhLeftBottom || H == rvrhLeft; }
bool MovesRight(TRVResizeHandleIndex H) { return H == rvrhRightTop || H == rvrhRightBottom || H == rvrhRight; }
bool MovesTop(TRVResizeHandleIndex H) { return H == rvrhLeftTop || H == rvrhRightTop || H == rvrhTop; }
bool MovesBottom(TRVResizeHandleIndex H) { return H == rvrhLeftBottom || H == rvrhRightBottom || H == rvrhBottom; }
bool IsCorner(TRVResizeHandleIndex H) { return H <= rvrhLeftBottom; }

// A frame never gets narrower or lower than 2 pixels: the moved side stops.
void KeepMinimum(TRect& R, bool L, bool T, bool Rt, bool B) {
  if (R.Left >= R.Right - 1) {
    if (L)
      R.Left = R.Right - 2;
    else if (Rt)
      R.Right = R.Left + 2;
  }
  if (R.Top >= R.Bottom - 1) {
    if (T)
      R.Top = R.Bottom - 2;
    else if (B)
      R.Bottom = R.Top + 2;
  }
}

}  // namespace rvitemresizer_detail

using namespace rvitemresizer_detail;

// ---- the item resizer ---------------------------------------------------------------------------

TRVItemResizer::TRVItemResizer(TRVDrawLineInfo* ADrawItem, TCustomRVItemInfo* AItem, int ADrawItemNo, int ABorderWidth,
                               int ABorderHeight, bool ARotated, TCustomRVFormattedData* ARVData) {
  UpdateItem(ADrawItem, AItem, ADrawItemNo, ABorderWidth, ABorderHeight, ARotated, ARVData);
}

void TRVItemResizer::UpdateItem(TRVDrawLineInfo* ADrawItem, TCustomRVItemInfo* AItem, int ADrawItemNo, int ABorderWidth,
                                int ABorderHeight, bool ARotated, TCustomRVFormattedData* ARVData) {
  FDrawItem = ADrawItem;
  FItem = AItem;
  FDrawItemNo = ADrawItemNo;
  FBorderWidth = ABorderWidth;
  FBorderHeight = ABorderHeight;
  FRotated = ARotated;
  FObjectTop = ARVData ? ARVData->GetTransformedDItemObjectTop(ADrawItemNo) : ADrawItem->GetObjectTop();
  FWidth = ADrawItem->GetObjectWidth();
  FHeight = ADrawItem->GetObjectHeight();
  FItemNo = ADrawItem->ItemNo;
}

int TRVItemResizer::HandleSize() {
  const int s = MulDiv(6, HandlesPpi(), 96);
  return s % 2 == 0 ? s : s + 1;
}

int TRVItemResizer::TouchRadius() { return MulDiv(18, HandlesPpi(), 96); }

void TRVItemResizer::GetResizeHandleCoords(TRVResizeHandleIndex Index, bool Shifted, int& X, int& Y) const {
  const int W = FWidth, H = FHeight;
  switch (Index) {
    case rvrhLeftTop: X = 0, Y = 0; break;
    case rvrhRightTop: X = W, Y = 0; break;
    case rvrhRightBottom: X = W, Y = H; break;
    case rvrhLeftBottom: X = 0, Y = H; break;
    case rvrhTop: X = W / 2, Y = 0; break;
    case rvrhRight: X = W, Y = H / 2; break;
    case rvrhBottom: X = W / 2, Y = H; break;
    case rvrhLeft: X = 0, Y = H / 2; break;
  }
  if (!Shifted) return;
  const int S = HandleSize();
  // A small object keeps its handles outside, so that they do not cover it.
  const bool outside = FPosition == rvhpOutside || W < 2 * S || H < 2 * S;
  const int s = outside ? -(S / 2) : S / 2;
  if (MovesLeft(Index)) X += s;
  if (MovesRight(Index)) X -= s;
  if (MovesTop(Index)) Y += s;
  if (MovesBottom(Index)) Y -= s;
}

bool TRVItemResizer::GetResizeHandleAt(int X, int Y, bool ExtraRadius, TRVResizeHandleIndex& Index) const {
  X -= GetObjectLeft();
  Y -= FObjectTop;
  if (!ExtraRadius) {
    const int half = (HandleSize() + 1) / 2;
    for (int i = rvrhLeftTop; i <= rvrhLeft; ++i) {
      int hx, hy;
      GetResizeHandleCoords(static_cast<TRVResizeHandleIndex>(i), true, hx, hy);
      if (std::abs(X - hx) <= half && std::abs(Y - hy) <= half) {
        Index = static_cast<TRVResizeHandleIndex>(i);
        return true;
      }
    }
    return false;
  }
  const long long r = TouchRadius();
  long long best = r * r;
  bool found = false;
  for (int i = rvrhLeftTop; i <= rvrhLeft; ++i) {
    int hx, hy;
    GetResizeHandleCoords(static_cast<TRVResizeHandleIndex>(i), true, hx, hy);
    const long long dx = X - hx, dy = Y - hy, d = dx * dx + dy * dy;
    if (d < best || (!found && d == best)) {
      best = d;
      Index = static_cast<TRVResizeHandleIndex>(i);
      found = true;
    }
  }
  return found;
}

TCursor TRVItemResizer::GetResizeHandleCursor(TRVResizeHandleIndex Index) const {
  switch (Index) {
    case rvrhLeftTop:
    case rvrhRightBottom: return FRotated ? crRVSizeNESW : crRVSizeNWSE;
    case rvrhRightTop:
    case rvrhLeftBottom: return FRotated ? crRVSizeNWSE : crRVSizeNESW;
    case rvrhTop:
    case rvrhBottom: return FRotated ? crRVSizeWE : crRVSizeNS;
    case rvrhRight:
    case rvrhLeft: return FRotated ? crRVSizeNS : crRVSizeWE;
  }
  return crRVSizeWE;
}

void TRVItemResizer::Draw(TCanvas* Canvas, int HOffs, int VOffs, TRVGraphicInterface* GraphicInterface) {
  HRGN rgn = nullptr;
  bool rgnValid = false;
  if (GraphicInterface) GraphicInterface->RemoveClipRgn(Canvas, rgn, rgnValid);
  auto restore = [&] {
    Canvas->Pen().SetMode(pmCopy);
    if (GraphicInterface) GraphicInterface->RestoreClipRgn(Canvas, rgn, rgnValid);
  };
  try {
    const int S = HandleSize();
    Canvas->Pen().SetWidth(1);
    Canvas->Pen().SetStyle(psSolid);
    Canvas->Pen().SetColor(clBlack);
    Canvas->Brush().SetStyle(bsClear);
    for (int i = rvrhLeftTop; i <= rvrhLeft; ++i) {
      int hx, hy;
      GetResizeHandleCoords(static_cast<TRVResizeHandleIndex>(i), true, hx, hy);
      const int cx = GetObjectLeft() + hx - HOffs, cy = FObjectTop + hy - VOffs;
      const int left = cx - S / 2, top = cy - S / 2;
      Canvas->Pen().SetMode(pmCopy);
      Canvas->Rectangle(left, top, left + S, top + S);
      // The inside is inverted, so that the handle shows on any background.
      Canvas->Pen().SetMode(pmNot);
      for (int side = S - 2, in = 1; side > 1; side -= 2, ++in)
        Canvas->Rectangle(left + in, top + in, left + in + side, top + in + side);
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

bool TRVItemResizer::MouseDown(int X, int Y, bool ExtraRadius) {
  TRVResizeHandleIndex index;
  if (!GetResizeHandleAt(X, Y, ExtraRadius, index)) return false;
  FDragging = true;
  FDragCancelled = false;
  FDraggedResizeHandle = index;
  int hx, hy;
  GetResizeHandleCoords(index, false, hx, hy);
  FDx = X - GetObjectLeft() - hx;
  FDy = Y - FObjectTop - hy;
  FDragRect = TRect(0, 0, FDrawItem->GetObjectWidth(), FDrawItem->GetObjectHeight());
  return true;
}

void TRVItemResizer::DragTo(TShiftState Shift, int X, int Y) {
  const int W0 = FDrawItem->GetObjectWidth(), H0 = FDrawItem->GetObjectHeight();
  TRect& R = FDragRect;
  R = TRect(0, 0, W0, H0);
  const int x = X - FDx - GetObjectLeft(), y = Y - FDy - FObjectTop;
  const TRVResizeHandleIndex h = FDraggedResizeHandle;
  const bool L = MovesLeft(h), T = MovesTop(h), Rt = MovesRight(h), B = MovesBottom(h);
  if (L) R.Left = x;
  if (Rt) R.Right = x;
  if (T) R.Top = y;
  if (B) R.Bottom = y;
  KeepMinimum(R, L, T, Rt, B);
  const bool ctrl = Shift.Contains(ssCtrl);
  if (ctrl) {
    if (L) R.Right = W0 - R.Left;
    if (T) R.Bottom = H0 - R.Top;
    if (Rt) R.Left = W0 - R.Right;
    if (B) R.Top = H0 - R.Bottom;
    // A side mirrored past the centre would turn the frame inside out.
    if (R.Left >= R.Right - 1) {
      const int c = W0 / 2;
      R.Left = c - 1;
      R.Right = c + 1;
    }
    if (R.Top >= R.Bottom - 1) {
      const int c = H0 / 2;
      R.Top = c - 1;
      R.Bottom = c + 1;
    }
  }
  if (!Shift.Contains(ssShift) && !(IsCorner(h) && RVKeepAspectRatioOnCornerResize)) return;
  const int bw = 2 * FBorderWidth, bh = 2 * FBorderHeight;
  if (W0 - bw < 1 || H0 - bh < 1) return;
  const int w = std::max(1, static_cast<int>(R.Right - R.Left) - bw);
  const int hgt = std::max(1, static_cast<int>(R.Bottom - R.Top) - bh);
  const double rh = static_cast<double>(hgt) / (H0 - bh), rw = static_cast<double>(w) / (W0 - bw);
  if (rh >= rw) {
    const int m = RoundHalfEven(rh * (W0 - bw)) - w;
    if (ctrl) {
      R.Left -= m / 2;
      R.Right += m / 2;
    } else if (L) {
      R.Left -= m;
    } else {
      R.Right += m;
    }
  } else {
    const int m = RoundHalfEven(rw * (H0 - bh)) - hgt;
    if (ctrl) {
      R.Top -= m / 2;
      R.Bottom += m / 2;
    } else if (T) {
      R.Top -= m;
    } else {
      R.Bottom += m;
    }
  }
}

void TRVItemResizer::XorDrawing(TCanvas* Canvas, int HOffs, int VOffs) {
  Canvas->Pen().SetMode(pmNot);
  Canvas->Pen().SetWidth(1);
  Canvas->Pen().SetStyle(psDot);
  Canvas->Brush().SetStyle(bsClear);
  const int dx = GetObjectLeft() - HOffs, dy = FObjectTop - VOffs;
  Canvas->Rectangle(FDragRect.Left + dx, FDragRect.Top + dy, FDragRect.Right + dx, FDragRect.Bottom + dy);
  Canvas->Pen().SetMode(pmCopy);
  Canvas->Pen().SetStyle(psSolid);
}

void TRVItemResizer::MouseUp(int /*X*/, int /*Y*/) {
  if (!FDragCancelled) {
    FWidth = FDragRect.Right - FDragRect.Left;
    FHeight = FDragRect.Bottom - FDragRect.Top;
  }
  FDragging = false;
  FDragCancelled = false;
}

void TRVItemResizer::CancelDrag() {
  FDragging = false;
  FDragCancelled = true;
}

// ---- the selection handles ------------------------------------------------------------------------

namespace rvitemresizer_detail {

bool PositionBefore(int ItemNo1, int Offs1, int ItemNo2, int Offs2) {
  return ItemNo1 < ItemNo2 || (ItemNo1 == ItemNo2 && Offs1 < Offs2);
}

// The outline colour of a handle: the selection colour at 0.65 of its luminance.
TColor HandleOutlineColor(TRVStyle* Style) {
  TColor c = Style ? Style->SelColor : clHighlight;
  if (c == clNone) c = clHighlight;
  WORD h = 0, l = 0, s = 0;
  ColorRGBToHLS(ColorToRGB(c), h, l, s);
  return static_cast<TColor>(ColorHLSToRGB(h, static_cast<WORD>(std::lround(l * 0.65)), s));
}

// Fills the region with translucent grey: a bitmap of its bounding box whose every pixel is grey
// 135 at alpha 135 (premultiplied), blended through the region as clip.
void FillTranslucent(HDC DC, HRGN Rgn, const TRect& Bounds) {
  const int w = Bounds.Right - Bounds.Left, h = Bounds.Bottom - Bounds.Top;
  if (w <= 0 || h <= 0) return;
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(w, h);
  bmp.SetAlphaFormat(afPremultiplied);
  const std::uint8_t grey = static_cast<std::uint8_t>(135 * 135 / 255);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = bmp.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = grey;
      row[4 * x + 3] = 135;
    }
  }
  const int saved = SaveDC(DC);
  ExtSelectClipRgn(DC, Rgn, RGN_AND);
  BLENDFUNCTION blend;
  blend.BlendOp = AC_SRC_OVER;
  blend.SourceConstantAlpha = 255;
  blend.AlphaFormat = AC_SRC_ALPHA;
  AlphaBlend(DC, Bounds.Left, Bounds.Top, w, h, bmp.GetCanvas()->GetHandle(), 0, 0, w, h, blend);
  if (saved) RestoreDC(DC, saved);
}

}  // namespace rvitemresizer_detail

TRVSelectionHandles::TRVSelectionHandles(TCustomRVFormattedData* ARVData) : RVData(ARVData) {}

TRVSelectionHandles::~TRVSelectionHandles() {
  if (Rgn1) DeleteObject(Rgn1);
  if (Rgn2) DeleteObject(Rgn2);
}

int TRVSelectionHandles::Ppi() const { return HandlesPpi(); }

double TRVSelectionHandles::ScaleFactor() const {
  if (!RVData) return 1.0;
  if (std::shared_ptr<IRVScaleViroZereInterface> owner = RVData->GetScaleViroZereInterface()) {
    const int zoom = owner->GetCurrentPageZoomPercent();
    if (zoom > 0) return 100.0 / zoom;
  }
  return 1.0;
}

bool TRVSelectionHandles::Circles() const {
  TRVStyle* st = RVData ? RVData->GetRVStyle() : nullptr;
  return st && st->SelectionHandleKind == rvshkCircle;
}

int TRVSelectionHandles::HandleHeight() const { return RoundHalfEven(ScaleFactor() * 21 * Ppi() / 96.0); }

int TRVSelectionHandles::HandleWidth() const {
  return Circles() ? HandleHeight() : RoundHalfEven(ScaleFactor() * 11.5 * Ppi() / 96.0);
}

double TRVSelectionHandles::DrawnSize() const { return ScaleFactor() * 19 * Ppi() / 96.0; }

void TRVSelectionHandles::CalculatePositions() {
  Offset1 = TSize{};
  Offset2 = TSize{};
  const int W = HandleWidth(), H = HandleHeight();
  const bool circles = Circles();
  if (circles && std::abs(Bottom1 - Bottom2) <= 3 && std::abs(X1 - X2) < W + 3) {
    int e = RoundHalfEven((W - std::abs(X1 - X2) + 3) / 2.0);
    if (X1 > X2) e = -e;
    Offset1.cx = -e;
    Offset2.cx = e;
  }
  if (!RVData || RVData->GetScaleViroZereInterface()) return;
  const int maxY = std::max(RVData->GetHeight(), RVData->GetFullDocumentHeight());
  const int maxX = std::max(RVData->GetWidth(), RVData->GetAreaWidth());
  auto keepInside = [&](int Bottom, TSize& Offset) {
    if (Bottom + Offset.cy + H > maxY) Offset.cy -= Bottom + Offset.cy + H - maxY;
    if (Bottom + Offset.cy < 0) Offset.cy = -Bottom;
  };
  keepInside(Bottom1, Offset1);
  keepInside(Bottom2, Offset2);
  const int w = circles ? W / 2 : W;
  if (X1 + Offset1.cx - w < 0) Offset1.cx = w - X1;
  if (X2 + Offset2.cx + w > maxX) Offset2.cx = maxX - w - X2;
}

bool TRVSelectionHandles::GetHandleAt(int X, int Y, bool& UpperBound) {
  const double D = DrawnSize();
  const int r = RoundHalfEven(D), half = RoundHalfEven(D / 2);
  // The centres where the handles are drawn, vertical offsets included.
  const double dx1 = X - (X1 + Offset1.cx - 1), dy1 = Y - (Bottom1 + Offset1.cy + half);
  const double dx2 = X - (X2 + Offset2.cx + 1), dy2 = Y - (Bottom2 + Offset2.cy + half);
  const int d1 = RoundHalfEven(std::sqrt(dx1 * dx1 + dy1 * dy1));
  const int d2 = RoundHalfEven(std::sqrt(dx2 * dx2 + dy2 * dy2));
  if (d1 > r && d2 > r) return false;
  UpperBound = d1 <= r && d1 < d2;
  return true;
}

void TRVSelectionHandles::StartDrag(int X, int Y, bool UpperBound) {
  FDragging = true;
  FStartPoint = TPoint(X, Y);
  FDraggingUpperBound = UpperBound;
}

bool TRVSelectionHandles::MoveTo(int X, int Y) {
  if (!RVData) return false;
  const bool upper = FDraggingUpperBound;
  const int ax = upper ? X1 : X2, ab = upper ? Bottom1 : Bottom2;
  const int tx = X + (ax - FStartPoint.X), ty = Y + (ab - FStartPoint.Y) - 2;
  int no = -1, offs = 0;
  RVData->FindDrawItemForSel(tx, ty, no, offs, false);
  if (no < 0) return false;
  int itemNo = -1, itemOffs = 0;
  RVData->DrawItem2Item(no, offs, itemNo, itemOffs);
  if (itemNo < 0) return false;
  int si = -1, so = 0, ei = -1, eo = 0;
  RVData->GetSelectionBoundsEx(si, so, ei, eo, true);
  bool changed = false;
  if (upper) {
    if (itemNo != si || itemOffs != so) {
      changed = true;
      si = itemNo;
      so = itemOffs;
      if (PositionBefore(ei, eo, si, so)) FDraggingUpperBound = false;
    }
  } else if (itemNo != ei || itemOffs != eo) {
    changed = true;
    ei = itemNo;
    eo = itemOffs;
    if (PositionBefore(ei, eo, si, so)) FDraggingUpperBound = true;
  }
  if (!changed) return false;
  RVData->SetSelectionBounds(si, so, ei, eo);
  // The owner places the anchors when the selection changes; the handle stays under the finger.
  const int nx = FDraggingUpperBound ? X1 : X2, nb = FDraggingUpperBound ? Bottom1 : Bottom2;
  FStartPoint.X += nx - ax;
  FStartPoint.Y += nb - ab;
  return true;
}

void TRVSelectionHandles::Draw(TCanvas* Canvas, int XOffs, int YOffs, TRVStyle* RVStyle, bool Draw1, bool Draw2) {
  if (!Draw1 && !Draw2) return;
  TRVGraphicInterface* gi = RVStyle ? RVStyle->GetGraphicInterface() : nullptr;
  HRGN rgn = nullptr;
  bool rgnValid = false;
  if (gi) gi->RemoveClipRgn(Canvas, rgn, rgnValid);
  try {
    if (Draw1) DrawHandle(Canvas, X1 - XOffs, Bottom1 - YOffs, Offset1, true, RVStyle);
    if (Draw2) DrawHandle(Canvas, X2 - XOffs, Bottom2 - YOffs, Offset2, false, RVStyle);
  } catch (...) {
    if (gi) gi->RestoreClipRgn(Canvas, rgn, rgnValid);
    throw;
  }
  if (gi) gi->RestoreClipRgn(Canvas, rgn, rgnValid);
}

void TRVSelectionHandles::DrawHandle(TCanvas* Canvas, int X, int Bottom, TSize Offset, bool Start, TRVStyle* RVStyle) {
  const double F = ScaleFactor(), D = DrawnSize();
  const int r = RoundHalfEven(D), half = RoundHalfEven(D / 2);
  const bool circles = RVStyle && RVStyle->SelectionHandleKind == rvshkCircle;
  if ((Offset.cx != 0 || Offset.cy != 0) && !circles) {
    Canvas->Pen().SetMode(pmCopy);
    Canvas->Pen().SetStyle(psSolid);
    Canvas->Pen().SetWidth(2);
    Canvas->Pen().SetColor(clRed);
    Canvas->MoveTo(X, Bottom);
    Canvas->LineTo(X + Offset.cx, Bottom + Offset.cy);
  }
  X += Offset.cx;
  Bottom += Offset.cy;
  HDC dc = Canvas->GetHandle();
  const bool manyColours = GetDeviceCaps(dc, BITSPIXEL) > 15;
  TRect bounds;
  std::vector<TPoint> pts;
  HRGN shape;
  if (circles) {
    bounds = TRect(X - half, Bottom, X - half + r, Bottom + r);
    shape = CreateEllipticRgn(bounds.Left, bounds.Top, bounds.Right, bounds.Bottom);
  } else {
    const int d = Start ? -half : half;
    pts = {TPoint(X, Bottom), TPoint(X, Bottom + r), TPoint(X + d, Bottom + r), TPoint(X + d, Bottom + half)};
    bounds = TRect(std::min(X, X + d), Bottom, std::max(X, X + d) + 1, Bottom + r + 1);
    POINT p[4];
    for (int i = 0; i < 4; ++i) p[i] = POINT{pts[i].X, pts[i].Y};
    shape = CreatePolygonRgn(p, 4, WINDING);
  }
  if (manyColours && shape) FillTranslucent(dc, shape, bounds);
  Canvas->Pen().SetMode(pmCopy);
  Canvas->Pen().SetWidth(std::max(1, RoundHalfEven(2 * F)));
  Canvas->Pen().SetStyle(psInsideFrame);
  if (manyColours) {
    Canvas->Pen().SetColor(HandleOutlineColor(RVStyle));
    Canvas->Brush().SetStyle(bsClear);
  } else {
    Canvas->Pen().SetColor(clBlack);
    Canvas->Brush().SetStyle(bsSolid);
    Canvas->Brush().SetColor(clWhite);
  }
  if (circles)
    Canvas->Ellipse(bounds);
  else
    Canvas->Polygon(pts);
  Canvas->Pen().SetStyle(psSolid);
  Canvas->Pen().SetWidth(1);
  // With a page-layout owner the kept regions stop the page's painting from covering the handles.
  if (RVData && RVData->GetScaleViroZereInterface()) {
    HRGN& kept = Start ? Rgn1 : Rgn2;
    bool& valid = Start ? RgnValid1 : RgnValid2;
    if (kept) DeleteObject(kept);
    kept = shape;
    valid = shape != nullptr;
  } else if (shape) {
    DeleteObject(shape);
  }
}

void TRVSelectionHandles::ExcludeRegions(TCanvas* Canvas) {
  HDC dc = Canvas->GetHandle();
  if (RgnValid1 && Rgn1) ExtSelectClipRgn(dc, Rgn1, RGN_DIFF);
  if (RgnValid2 && Rgn2) ExtSelectClipRgn(dc, Rgn2, RGN_DIFF);
}
