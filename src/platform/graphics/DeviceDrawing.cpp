// Lines, shapes, paths and pixel transfers of device contexts: each call becomes an outline or
// an image request to the context's back-end.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/GdiInternal.h"

namespace {

using Pt = TGdiFigure::Pt;

// Device coordinates far outside any surface (those of a damaged picture, mapped) are held where a
// difference of two still fits an int; a NaN becomes 0.
LONG Rnd(double v) {
  constexpr double Limit = 1 << 29;
  return v >= -Limit && v <= Limit ? static_cast<LONG>(std::floor(v + 0.5)) : v > 0 ? LONG(Limit) : v < 0 ? -LONG(Limit) : 0;
}

TDeviceContext* Ctx(HDC dc) { return DCLookup(dc); }

// Sends a shape, or adds it to the path under construction.
BOOL Emit(TDeviceContext* c, TShapeRequest& r, bool continues = false) {
  if (c->PathOpen) {
    r.InPath = true;
    for (auto& f : r.Outline) {
      if (continues && !c->Path.empty() && !c->Path.back().Closed && !c->Path.back().Points.empty() &&
          !f.Points.empty()) {
        const Pt& last = c->Path.back().Points.back();
        if (last.X == f.Points.front().X && last.Y == f.Points.front().Y) {
          c->Path.back().Points.insert(c->Path.back().Points.end(), f.Points.begin() + 1, f.Points.end());
          continue;
        }
      }
      c->Path.push_back(f);
    }
  }
  if (c->Backend) c->Backend->DrawShape(c->S, r);
  return TRUE;
}

// Points of an elliptic arc, counter-clockwise on screen from angle a0 over sweep (radians).
void AddArc(TGdiFigure& f, double cx, double cy, double rx, double ry, double a0, double sweep, double tol) {
  const double r = std::max({rx, ry, 1e-9});
  double step = tol < r ? 2 * std::acos(1 - tol / r) : std::numbers::pi / 2;
  step = std::max(step, 1e-3);
  const int n = std::clamp(static_cast<int>(std::ceil(std::abs(sweep) / step)), 4, 8192);
  for (int i = 0; i <= n; ++i) {
    const double a = a0 + sweep * i / n;
    f.Points.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
  }
}

// The box of Rectangle/Ellipse/..., with the right and bottom edges taken off by one device pixel
// in the compatible mode, and shrunk for an inside-frame pen.
struct TBox {
  double L, T, R, B;
};
TBox ShapeBox(TDeviceContext* c, int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  TBox box{double(l), double(t), double(r), double(b)};
  const TGdiMatrix& m = c->S.LogicalToDevice;
  if (c->S.GraphicsMode == GM_COMPATIBLE && m.M11 != 0 && m.M22 != 0) {
    box.R -= 1 / std::abs(m.M11);
    box.B -= 1 / std::abs(m.M22);
  }
  const TPenInfo& pen = c->S.PenInfo;
  if ((pen.Style & PS_STYLE_MASK) == PS_INSIDEFRAME && pen.Width > 1) {
    // Outer pixels of the stroke land on the box's edge pixels.
    const double h = (pen.Width - 1) / 2.0;
    box.L += h, box.T += h, box.R -= h, box.B -= h;
    if (box.R < box.L) box.R = box.L = (box.L + box.R) / 2;
    if (box.B < box.T) box.B = box.T = (box.T + box.B) / 2;
  }
  return box;
}

TGdiFigure RectFigure(double l, double t, double r, double b) {
  TGdiFigure f;
  f.Points = {{l, t}, {r, t}, {r, b}, {l, b}};
  f.Closed = true;
  return f;
}

void AppendPoints(TGdiFigure& f, const POINT* pts, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) f.Points.push_back({double(pts[i].X), double(pts[i].Y)});
}

// A figure of each count of consecutive points: lines, or filled shapes when closed.
template <typename N>
BOOL PolyFigures(HDC dc, TShapeKind kind, const POINT* pts, const N* counts, std::int64_t figures, bool closed) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !pts || !counts || figures <= 0 || figures > (1 << 24)) return FALSE;
  TShapeRequest req;
  req.Kind = kind;
  for (std::int64_t p = 0; p < figures; ++p) {
    const std::int64_t n = counts[p];
    if (n < 2 || n > (1 << 24)) return FALSE;
    req.Counts.push_back(static_cast<int>(n));
    TGdiFigure f;
    AppendPoints(f, pts, static_cast<std::size_t>(n));
    req.Points.insert(req.Points.end(), pts, pts + n);
    pts += n;
    f.Closed = closed;
    req.Outline.push_back(std::move(f));
  }
  req.Stroke = true;
  req.Fill = closed;
  return Emit(c, req);
}

double AngleOf(double cx, double cy, double rx, double ry, int x, int y) {
  return std::atan2(-(y - cy) / std::max(ry, 1e-9), (x - cx) / std::max(rx, 1e-9));
}

enum class TArcKind { Arc, Pie, Chord };

BOOL ArcShape(HDC dc, TArcKind kind, int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
  TDeviceContext* c = Ctx(dc);
  if (!c) return FALSE;
  const TBox box = ShapeBox(c, l, t, r, b);
  const double cx = (box.L + box.R) / 2, cy = (box.T + box.B) / 2;
  const double rx = (box.R - box.L) / 2, ry = (box.B - box.T) / 2;
  const double a0 = AngleOf(cx, cy, rx, ry, x3, y3);
  double a1 = AngleOf(cx, cy, rx, ry, x4, y4);
  while (a1 <= a0) a1 += 2 * std::numbers::pi;
  TShapeRequest req;
  req.Kind = kind == TArcKind::Arc ? TShapeKind::Arc : kind == TArcKind::Pie ? TShapeKind::Pie : TShapeKind::Chord;
  req.Points = {TPoint(l, t), TPoint(r, b), TPoint(x3, y3), TPoint(x4, y4)};
  TGdiFigure f;
  AddArc(f, cx, cy, rx, ry, a0, a1 - a0, CurveTolerance(*c));
  if (kind == TArcKind::Pie) f.Points.push_back({cx, cy});
  f.Closed = kind != TArcKind::Arc;
  req.Outline.push_back(std::move(f));
  req.Stroke = true;
  req.Fill = kind != TArcKind::Arc;
  return Emit(c, req);
}

void FlattenBezier(TGdiFigure& f, Pt p0, Pt p1, Pt p2, Pt p3, double tol) {
  const double len = std::hypot(p1.X - p0.X, p1.Y - p0.Y) + std::hypot(p2.X - p1.X, p2.Y - p1.Y) +
                     std::hypot(p3.X - p2.X, p3.Y - p2.Y);
  const int n = std::clamp(static_cast<int>(std::ceil(std::sqrt(len / std::max(tol, 1e-6)))), 1, 4096);
  for (int i = 1; i <= n; ++i) {
    const double t = static_cast<double>(i) / n, u = 1 - t;
    f.Points.push_back({u * u * u * p0.X + 3 * u * u * t * p1.X + 3 * u * t * t * p2.X + t * t * t * p3.X,
                        u * u * u * p0.Y + 3 * u * u * t * p1.Y + 3 * u * t * t * p2.Y + t * t * t * p3.Y});
  }
}

const TBrushInfo* BrushOf(HBRUSH brush, TBrushInfo& tmp) {
  const auto v = reinterpret_cast<std::uintptr_t>(brush);
  if (v >= 1 && v <= 31) {  // a system colour index + 1
    tmp = TBrushInfo{};
    tmp.Color = GetSysColor(static_cast<int>(v - 1));
    return &tmp;
  }
  auto* b = GdiAs<TGdiBrush>(brush, OBJ_BRUSH);
  return b ? &b->Info : nullptr;
}

}  // namespace

// ---- lines --------------------------------------------------------------------------------------

BOOL MoveToEx(HDC dc, int x, int y, POINT* old) {
  TDeviceContext* c = Ctx(dc);
  if (!c) return FALSE;
  if (old) *old = c->S.CurrentPos;
  c->S.CurrentPos = TPoint(x, y);
  if (c->PathOpen) c->Path.push_back(TGdiFigure{{{double(x), double(y)}}, false});
  c->NotifyState(TDCChange::MoveTo);
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, POINT* pt) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !pt) return FALSE;
  *pt = c->S.CurrentPos;
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  TDeviceContext* c = Ctx(dc);
  if (!c) return FALSE;
  TShapeRequest req;
  req.Kind = TShapeKind::LineTo;
  req.Points = {TPoint(x, y)};
  req.Outline.push_back(TGdiFigure{{{double(c->S.CurrentPos.X), double(c->S.CurrentPos.Y)}, {double(x), double(y)}}, false});
  req.Stroke = true;
  Emit(c, req, true);
  c->S.CurrentPos = TPoint(x, y);
  return TRUE;
}

BOOL Polyline(HDC dc, const POINT* pts, int count) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !pts || count < 2) return FALSE;
  TShapeRequest req;
  req.Kind = TShapeKind::Polyline;
  req.Points.assign(pts, pts + count);
  TGdiFigure f;
  AppendPoints(f, pts, static_cast<std::size_t>(count));
  req.Outline.push_back(std::move(f));
  req.Stroke = true;
  return Emit(c, req);
}

BOOL PolylineTo(HDC dc, const POINT* pts, DWORD count) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !pts || count == 0 || count > (1u << 24)) return FALSE;
  TShapeRequest req;
  req.Kind = TShapeKind::PolylineTo;
  req.Points.assign(pts, pts + count);
  TGdiFigure f;
  f.Points.push_back({double(c->S.CurrentPos.X), double(c->S.CurrentPos.Y)});
  AppendPoints(f, pts, count);
  req.Outline.push_back(std::move(f));
  req.Stroke = true;
  Emit(c, req, true);
  c->S.CurrentPos = pts[count - 1];
  return TRUE;
}

BOOL PolyPolyline(HDC dc, const POINT* pts, const DWORD* counts, DWORD polylines) {
  return PolyFigures(dc, TShapeKind::PolyPolyline, pts, counts, polylines, false);
}

BOOL Polygon(HDC dc, const POINT* pts, int count) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !pts || count < 2) return FALSE;
  TShapeRequest req;
  req.Kind = TShapeKind::Polygon;
  req.Points.assign(pts, pts + count);
  TGdiFigure f;
  AppendPoints(f, pts, static_cast<std::size_t>(count));
  f.Closed = true;
  req.Outline.push_back(std::move(f));
  req.Fill = req.Stroke = true;
  return Emit(c, req);
}

BOOL PolyPolygon(HDC dc, const POINT* pts, const INT* counts, int polygons) {
  return PolyFigures(dc, TShapeKind::PolyPolygon, pts, counts, polygons, true);
}

namespace {
BOOL Bezier(HDC dc, const POINT* pts, DWORD count, bool to) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !pts || count > (1u << 24)) return FALSE;
  if (to ? count % 3 != 0 : (count < 1 || (count - 1) % 3 != 0)) return FALSE;
  TShapeRequest req;
  req.Kind = to ? TShapeKind::PolyBezierTo : TShapeKind::PolyBezier;
  req.Points.assign(pts, pts + count);
  TGdiFigure f;
  Pt cur = to ? Pt{double(c->S.CurrentPos.X), double(c->S.CurrentPos.Y)} : Pt{double(pts[0].X), double(pts[0].Y)};
  f.Points.push_back(cur);
  const double tol = CurveTolerance(*c);
  for (DWORD i = to ? 0 : 1; i + 2 < count; i += 3) {
    const Pt p1{double(pts[i].X), double(pts[i].Y)}, p2{double(pts[i + 1].X), double(pts[i + 1].Y)},
        p3{double(pts[i + 2].X), double(pts[i + 2].Y)};
    FlattenBezier(f, cur, p1, p2, p3, tol);
    cur = p3;
  }
  req.Outline.push_back(std::move(f));
  req.Stroke = true;
  Emit(c, req, to);
  if (to && count) c->S.CurrentPos = pts[count - 1];
  return TRUE;
}
}  // namespace

BOOL PolyBezier(HDC dc, const POINT* pts, DWORD count) { return Bezier(dc, pts, count, false); }
BOOL PolyBezierTo(HDC dc, const POINT* pts, DWORD count) { return Bezier(dc, pts, count, true); }

// ---- shapes -------------------------------------------------------------------------------------

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  TDeviceContext* c = Ctx(dc);
  if (!c) return FALSE;
  const TBox b = ShapeBox(c, left, top, right, bottom);
  TShapeRequest req;
  req.Kind = TShapeKind::Rectangle;
  req.Points = {TPoint(left, top), TPoint(right, bottom)};
  req.Outline.push_back(RectFigure(b.L, b.T, b.R, b.B));
  req.Fill = req.Stroke = true;
  return Emit(c, req);
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  TDeviceContext* c = Ctx(dc);
  if (!c) return FALSE;
  const TBox b = ShapeBox(c, left, top, right, bottom);
  TShapeRequest req;
  req.Kind = TShapeKind::Ellipse;
  req.Points = {TPoint(left, top), TPoint(right, bottom)};
  TGdiFigure f;
  AddArc(f, (b.L + b.R) / 2, (b.T + b.B) / 2, (b.R - b.L) / 2, (b.B - b.T) / 2, 0, 2 * std::numbers::pi,
         CurveTolerance(*c));
  f.Points.pop_back();
  f.Closed = true;
  req.Outline.push_back(std::move(f));
  req.Fill = req.Stroke = true;
  return Emit(c, req);
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
  TDeviceContext* c = Ctx(dc);
  if (!c) return FALSE;
  const TBox b = ShapeBox(c, left, top, right, bottom);
  const double rx = std::min(std::abs(width) / 2.0, (b.R - b.L) / 2), ry = std::min(std::abs(height) / 2.0, (b.B - b.T) / 2);
  TShapeRequest req;
  req.Kind = TShapeKind::RoundRect;
  req.Points = {TPoint(left, top), TPoint(right, bottom), TPoint(width, height)};
  TGdiFigure f;
  const double tol = CurveTolerance(*c), pi = std::numbers::pi;
  AddArc(f, b.R - rx, b.T + ry, rx, ry, 0, pi / 2, tol);
  AddArc(f, b.L + rx, b.T + ry, rx, ry, pi / 2, pi / 2, tol);
  AddArc(f, b.L + rx, b.B - ry, rx, ry, pi, pi / 2, tol);
  AddArc(f, b.R - rx, b.B - ry, rx, ry, 3 * pi / 2, pi / 2, tol);
  f.Closed = true;
  req.Outline.push_back(std::move(f));
  req.Fill = req.Stroke = true;
  return Emit(c, req);
}

BOOL Arc(HDC dc, int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
  return ArcShape(dc, TArcKind::Arc, l, t, r, b, x3, y3, x4, y4);
}
BOOL Pie(HDC dc, int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
  return ArcShape(dc, TArcKind::Pie, l, t, r, b, x3, y3, x4, y4);
}
BOOL Chord(HDC dc, int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
  return ArcShape(dc, TArcKind::Chord, l, t, r, b, x3, y3, x4, y4);
}

namespace {
// A request over a rectangle, its outline the whole rectangle unless the caller builds its own.
TShapeRequest RectRequest(TShapeKind kind, const RECT& r, bool whole = true) {
  TShapeRequest req;
  req.Kind = kind;
  req.Points = {r.TopLeft(), r.BottomRight()};
  if (whole) req.Outline.push_back(RectFigure(r.Left, r.Top, r.Right, r.Bottom));
  return req;
}
}  // namespace

int FillRect(HDC dc, const RECT* r, HBRUSH brush) {
  TDeviceContext* c = Ctx(dc);
  TBrushInfo tmp;
  const TBrushInfo* bi = BrushOf(brush, tmp);
  if (!c || !r || !bi) return 0;
  if (r->Right <= r->Left || r->Bottom <= r->Top) return 1;
  TShapeRequest req = RectRequest(TShapeKind::FillRect, *r);
  req.Fill = true;
  req.FillBrush = bi;
  Emit(c, req);
  return 1;
}

int FrameRect(HDC dc, const RECT* r, HBRUSH brush) {
  TDeviceContext* c = Ctx(dc);
  TBrushInfo tmp;
  const TBrushInfo* bi = BrushOf(brush, tmp);
  if (!c || !r || !bi) return 0;
  if (r->Right <= r->Left || r->Bottom <= r->Top) return 1;
  TShapeRequest req = RectRequest(TShapeKind::FrameRect, *r, false);
  const double l = r->Left, t = r->Top, rr = r->Right, b = r->Bottom;
  req.Outline.push_back(RectFigure(l, t, rr, t + 1));
  if (b - t > 1) {
    req.Outline.push_back(RectFigure(l, b - 1, rr, b));
    if (b - t > 2) {
      req.Outline.push_back(RectFigure(l, t + 1, l + 1, b - 1));
      if (rr - l > 1) req.Outline.push_back(RectFigure(rr - 1, t + 1, rr, b - 1));
    }
  }
  req.Fill = true;
  req.FillBrush = bi;
  Emit(c, req);
  return 1;
}

BOOL InvertRect(HDC dc, const RECT* r) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !r) return FALSE;
  TShapeRequest req = RectRequest(TShapeKind::InvertRect, *r);
  req.Fill = true;
  req.Rop3 = DSTINVERT;
  return Emit(c, req);
}

BOOL DrawFocusRect(HDC dc, const RECT* r) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !r) return FALSE;
  TShapeRequest req = RectRequest(TShapeKind::FocusRect, *r);
  req.Rop3 = PATINVERT;
  return Emit(c, req);
}

BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop) {
  TDeviceContext* c = Ctx(dc);
  if (!c) return FALSE;
  // Sums in 64 bits, clamped: a huge size from a damaged picture must not overflow.
  auto clampSum = [](int a, int d) {
    const long long v = static_cast<long long>(a) + d;
    return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
  };
  int l = x, t = y, r = clampSum(x, w), b = clampSum(y, h);
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  TShapeRequest req;
  req.Kind = TShapeKind::PatBlt;
  req.Points = {TPoint(x, y), TPoint(w, h)};
  req.Outline.push_back(RectFigure(l, t, r, b));
  req.Fill = true;
  req.Rop3 = rop;
  return Emit(c, req);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  TDeviceContext* c = Ctx(dc);
  if (!c) return CLR_INVALID;
  TShapeRequest req;
  req.Kind = TShapeKind::SetPixel;
  req.Points = {TPoint(x, y)};
  req.PixelColor = color & 0xFFFFFF;
  Emit(c, req);
  return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC dc, int x, int y) {
  TDeviceContext* c = Ctx(dc);
  TPixelView v;
  if (!c || !c->Backend || !c->Backend->GetPixels(v)) return CLR_INVALID;
  double dx, dy;
  c->S.LogicalToDevice.Map(x, y, dx, dy);
  const int px = Rnd(dx), py = Rnd(dy);
  if (c->S.HasClip && !c->Clip.contains(QPoint(px, py))) return CLR_INVALID;
  const double k = c->PixelScale();
  const int ix = static_cast<int>(px * k), iy = static_cast<int>(py * k);
  if (ix < 0 || iy < 0 || ix >= v.Width || iy >= v.Height) return CLR_INVALID;
  const BYTE* p = v.Row(iy) + ix * (v.BitCount / 8);
  return RGB(p[2], p[1], p[0]);
}

BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush) {
  TDeviceContext* c = Ctx(dc);
  auto* g = GdiAs<TGdiRegion>(rgn, OBJ_REGION);
  TBrushInfo tmp;
  const TBrushInfo* bi = BrushOf(brush, tmp);
  if (!c || !g || !bi) return FALSE;
  TShapeRequest req;
  req.Kind = TShapeKind::FillRgn;
  for (const QRect& q : g->Rgn) {
    req.Points.push_back(TPoint(q.left(), q.top()));
    req.Points.push_back(TPoint(q.right() + 1, q.bottom() + 1));
    req.Outline.push_back(RectFigure(q.left(), q.top(), q.right() + 1, q.bottom() + 1));
  }
  req.Fill = true;
  req.FillBrush = bi;
  return Emit(c, req);
}

// ---- paths --------------------------------------------------------------------------------------

BOOL BeginPath(HDC dc) {
  TDeviceContext* c = Ctx(dc);
  if (!c) return FALSE;
  c->PathOpen = true;
  c->PathDone = false;
  c->Path.clear();
  c->NotifyState(TDCChange::BeginPath);
  return TRUE;
}

BOOL EndPath(HDC dc) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !c->PathOpen) return FALSE;
  c->PathOpen = false;
  c->PathDone = true;
  // A figure of a single point (a move) draws nothing.
  std::erase_if(c->Path, [](const TGdiFigure& f) { return f.Points.size() < 2; });
  c->NotifyState(TDCChange::EndPath);
  return TRUE;
}

BOOL AbortPath(HDC dc) {
  TDeviceContext* c = Ctx(dc);
  if (!c) return FALSE;
  c->PathOpen = c->PathDone = false;
  c->Path.clear();
  c->NotifyState(TDCChange::AbortPath);
  return TRUE;
}

BOOL CloseFigure(HDC dc) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !c->PathOpen || c->Path.empty()) return FALSE;
  c->Path.back().Closed = true;
  c->NotifyState(TDCChange::CloseFigure);
  return TRUE;
}

namespace {
BOOL UsePath(HDC dc, TShapeKind kind, bool fill, bool stroke) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !c->PathDone) return FALSE;
  TShapeRequest req;
  req.Kind = kind;
  req.Outline = std::move(c->Path);
  req.Fill = fill;
  req.Stroke = stroke;
  if (fill)
    for (auto& f : req.Outline) f.Closed = true;
  c->Path.clear();
  c->PathDone = false;
  if (c->Backend) c->Backend->DrawShape(c->S, req);
  return TRUE;
}
}  // namespace

BOOL FillPath(HDC dc) { return UsePath(dc, TShapeKind::FillPath, true, false); }
BOOL StrokePath(HDC dc) { return UsePath(dc, TShapeKind::StrokePath, false, true); }
BOOL StrokeAndFillPath(HDC dc) { return UsePath(dc, TShapeKind::StrokeAndFillPath, true, true); }

BOOL SelectClipPath(HDC dc, int mode) {
  TDeviceContext* c = Ctx(dc);
  if (!c || !c->PathDone) return FALSE;
  QPainterPath p;
  p.setFillRule(c->S.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  const TGdiMatrix& m = c->S.LogicalToDevice;
  for (const auto& f : c->Path) {
    for (std::size_t i = 0; i < f.Points.size(); ++i) {
      double x, y;
      m.Map(f.Points[i].X, f.Points[i].Y, x, y);
      if (i == 0) p.moveTo(x, y); else p.lineTo(x, y);
    }
    p.closeSubpath();
  }
  c->Path.clear();
  c->PathDone = false;
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  GdiAs<TGdiRegion>(rgn, OBJ_REGION)->Rgn = QRegion(p.toFillPolygon().toPolygon(), p.fillRule());
  const int r = ExtSelectClipRgn(dc, rgn, mode);
  DeleteObject(rgn);
  return r != ERROR;
}

// ---- pixel transfers ----------------------------------------------------------------------------

namespace {

bool UsesSource(DWORD rop) {
  const DWORD code = (rop >> 16) & 0xFF;
  return ((code >> 2) & 0x33) != (code & 0x33);
}

// The source rectangle of a blit in the source's pixels (device pixels times its scale).
TRect SourceRect(TDeviceContext* s, int sx, int sy, int sw, int sh) {
  double x1, y1, x2, y2;
  s->S.LogicalToDevice.Map(sx, sy, x1, y1);
  s->S.LogicalToDevice.Map(sx + sw, sy + sh, x2, y2);
  const double k = s->PixelScale();
  return TRect(Rnd(x1 * k), Rnd(y1 * k), Rnd(x2 * k), Rnd(y2 * k));
}

BOOL Blit(TImageKind kind, HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop,
          BLENDFUNCTION blend = {}, UINT transparent = 0) {
  TDeviceContext* d = Ctx(dst);
  if (!d) return FALSE;
  TImageRequest req;
  req.Kind = kind;
  req.Dest = TRect(x, y, x + w, y + h);
  req.Rop3 = rop;
  req.Blend = blend;
  req.TransparentColor = transparent;
  const bool needSrc = kind != TImageKind::BitBlt || UsesSource(rop);
  std::vector<BYTE> copy;
  if (needSrc) {
    TDeviceContext* s = Ctx(src);
    TPixelView v;
    if (!s || !s->Backend || !s->Backend->GetPixels(v)) return FALSE;
    req.Src = SourceRect(s, sx, sy, sw, sh);
    TRect& r = req.Src;
    if (kind == TImageKind::AlphaBlend) {
      if (blend.BlendOp != AC_SRC_OVER || w < 0 || h < 0 || sw < 0 || sh < 0) return FALSE;
      if (r.Left < 0 || r.Top < 0 || r.Right > v.Width || r.Bottom > v.Height) return FALSE;
    }
    if (s == d) {
      // Reading and writing the same pixels: work from a copy.
      const int bpp = v.BitCount / 8;
      copy.resize(static_cast<std::size_t>(v.Width) * v.Height * bpp);
      for (int yy = 0; yy < v.Height; ++yy)
        std::memcpy(copy.data() + static_cast<std::size_t>(yy) * v.Width * bpp, v.Row(yy), static_cast<std::size_t>(v.Width) * bpp);
      v.Bits = copy.data();
      v.Stride = v.Width * bpp;
    }
    req.HasSource = true;
    req.Source = v;
  }
  if (d->Backend) d->Backend->DrawImage(d->S, req);
  return TRUE;
}

// Any BI_RGB (1, 4, 8, 16, 24, 32 bits) or standard-mask BI_BITFIELDS DIB as top-down BGRX rows.
bool DibToBgrx(const BITMAPINFO* bmi, const void* bits, std::vector<BYTE>& out, int& w, int& h) {
  if (!bmi || !bits) return false;
  const BITMAPINFOHEADER& hd = bmi->bmiHeader;
  if (hd.biSize < sizeof(BITMAPINFOHEADER) || hd.biWidth <= 0 || hd.biHeight == 0) return false;
  w = hd.biWidth;
  h = std::abs(hd.biHeight);
  const int bpp = hd.biBitCount;
  if (!(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)) return false;
  if (!(hd.biCompression == BI_RGB || (hd.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32)))) return false;
  const std::int64_t stride = ((static_cast<std::int64_t>(w) * bpp + 31) / 32) * 4;
  if (stride * h > (std::int64_t(1) << 30) || static_cast<std::int64_t>(w) * h * 4 > (std::int64_t(1) << 30)) return false;
  const auto* colors = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(bmi) + hd.biSize);
  const DWORD* masks = reinterpret_cast<const DWORD*>(reinterpret_cast<const BYTE*>(bmi) + hd.biSize);
  const int palSize = bpp <= 8 ? (hd.biClrUsed && hd.biClrUsed < (1u << bpp) ? static_cast<int>(hd.biClrUsed) : 1 << bpp) : 0;
  out.assign(static_cast<std::size_t>(w) * h * 4, 0);
  const auto* src = static_cast<const BYTE*>(bits);
  for (int y = 0; y < h; ++y) {
    const BYTE* row = src + (hd.biHeight > 0 ? (h - 1 - y) : y) * stride;
    BYTE* o = out.data() + static_cast<std::size_t>(y) * w * 4;
    for (int x = 0; x < w; ++x, o += 4) {
      BYTE r = 0, g = 0, b = 0;
      if (bpp <= 8) {
        const int per = 8 / bpp;
        const int idx = (row[x / per] >> ((per - 1 - x % per) * bpp)) & ((1 << bpp) - 1);
        if (idx < palSize) r = colors[idx].rgbRed, g = colors[idx].rgbGreen, b = colors[idx].rgbBlue;
      } else if (bpp == 16) {
        const int v = row[x * 2] | (row[x * 2 + 1] << 8);
        const bool is565 = hd.biCompression == BI_BITFIELDS && masks[0] == 0xF800;
        if (is565) r = static_cast<BYTE>(((v >> 11) & 31) * 255 / 31), g = static_cast<BYTE>(((v >> 5) & 63) * 255 / 63);
        else r = static_cast<BYTE>(((v >> 10) & 31) * 255 / 31), g = static_cast<BYTE>(((v >> 5) & 31) * 255 / 31);
        b = static_cast<BYTE>((v & 31) * 255 / 31);
      } else {
        const BYTE* p = row + x * (bpp / 8);
        b = p[0], g = p[1], r = p[2];
      }
      o[0] = b, o[1] = g, o[2] = r, o[3] = 255;
    }
  }
  return true;
}

}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  return Blit(TImageKind::BitBlt, dst, x, y, w, h, src, sx, sy, w, h, rop);
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
  return Blit(TImageKind::StretchBlt, dst, x, y, w, h, src, sx, sy, sw, sh, rop);
}

BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, BLENDFUNCTION blend) {
  return Blit(TImageKind::AlphaBlend, dst, x, y, w, h, src, sx, sy, sw, sh, SRCCOPY, blend);
}

BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, UINT color) {
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return FALSE;
  return Blit(TImageKind::TransparentBlt, dst, x, y, w, h, src, sx, sy, sw, sh, SRCCOPY, {}, color & 0xFFFFFF);
}

int StretchDIBits(HDC dst, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                  const BITMAPINFO* bmi, UINT usage, DWORD rop) {
  TDeviceContext* d = Ctx(dst);
  if (!d || usage != DIB_RGB_COLORS) return 0;
  std::vector<BYTE> pix;
  int bw = 0, bh = 0;
  if (!DibToBgrx(bmi, bits, pix, bw, bh)) return 0;
  TImageRequest req;
  req.Kind = TImageKind::StretchDIBits;
  req.Dest = TRect(x, y, x + w, y + h);
  // Source y counts from the bottom row for bottom-up bitmaps.
  const int top = bmi->bmiHeader.biHeight > 0 ? bh - (sy + sh) : sy;
  req.Src = TRect(sx, top, sx + sw, top + sh);
  req.Rop3 = rop;
  req.HasSource = true;
  req.Source = TPixelView{pix.data(), bw, bh, bw * 4, 32};
  req.Dib = bmi;
  req.DibBits = bits;
  if (d->Backend) d->Backend->DrawImage(d->S, req);
  return sh == 0 ? bh : std::abs(sh);
}

int SetDIBitsToDevice(HDC dst, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* bmi, UINT usage) {
  if (!bmi || startScan != 0 || lines < static_cast<UINT>(std::abs(bmi->bmiHeader.biHeight))) {
    // Banded transfers are not used by anything here.
    if (!bmi || startScan != 0) return 0;
  }
  const int r = StretchDIBits(dst, x, y, static_cast<int>(w), static_cast<int>(h), sx, sy, static_cast<int>(w),
                              static_cast<int>(h), bits, bmi, usage, SRCCOPY);
  return r ? static_cast<int>(lines) : 0;
}
