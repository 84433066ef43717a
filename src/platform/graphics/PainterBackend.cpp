#include "platform/graphics/PainterBackend.h"

#include <QFont>
#include <QGlyphRun>
#include <QPainterPath>
#include <QRawFont>

#include <algorithm>
#include <cmath>

#include "platform/graphics/GdiInternal.h"

namespace {

QColor Col(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

QTransform ToQ(const TGdiMatrix& m) { return QTransform(m.M11, m.M12, m.M21, m.M22, m.Dx, m.Dy); }

QPainter::CompositionMode ModeOfRop2(int rop2) {
  switch (rop2) {
    case R2_XORPEN: return QPainter::RasterOp_SourceXorDestination;
    case R2_NOT: return QPainter::RasterOp_NotDestination;
    case R2_NOTXORPEN: return QPainter::RasterOp_NotSourceXorDestination;
    case R2_MASKPEN: return QPainter::RasterOp_SourceAndDestination;
    case R2_MERGEPEN: return QPainter::RasterOp_SourceOrDestination;
    case R2_NOTCOPYPEN: return QPainter::RasterOp_NotSource;
    case R2_MASKNOTPEN: return QPainter::RasterOp_NotSourceAndDestination;
    case R2_MERGENOTPEN: return QPainter::RasterOp_NotSourceOrDestination;
    case R2_MASKPENNOT: return QPainter::RasterOp_SourceAndNotDestination;
    case R2_MERGEPENNOT: return QPainter::RasterOp_SourceOrNotDestination;
    case R2_NOTMASKPEN: return QPainter::RasterOp_NotSourceOrNotDestination;
    case R2_NOTMERGEPEN: return QPainter::RasterOp_NotSourceAndNotDestination;
    default: return QPainter::CompositionMode_SourceOver;
  }
}

// Pen colour after the black/white raster operations.
QColor Rop2Color(int rop2, COLORREF c) {
  if (rop2 == R2_BLACK) return Qt::black;
  if (rop2 == R2_WHITE) return Qt::white;
  return Col(c);
}

QPainter::CompositionMode ModeOfRop3(DWORD rop, bool& skip) {
  skip = false;
  switch (rop) {
    case SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
    case SRCAND: return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT: case PATINVERT: return QPainter::RasterOp_SourceXorDestination;
    case SRCERASE: return QPainter::RasterOp_SourceAndNotDestination;
    case NOTSRCCOPY: return QPainter::RasterOp_NotSource;
    case NOTSRCERASE: return QPainter::RasterOp_NotSourceAndNotDestination;
    case MERGEPAINT: return QPainter::RasterOp_NotSourceOrDestination;
    case DSTINVERT: return QPainter::RasterOp_NotDestination;
    case 0x00A000C9: return QPainter::RasterOp_SourceAndDestination;  // pattern AND destination
    case 0x00FA0089: return QPainter::RasterOp_SourceOrDestination;   // pattern OR destination
    case 0x00AA0029: skip = true; return QPainter::CompositionMode_SourceOver;  // destination kept
    default: return QPainter::CompositionMode_SourceOver;
  }
}

// GDI's 8x8 hatches; bit 7 is the leftmost pixel.
const BYTE kHatch[6][8] = {
    {0, 0, 0, 0xFF, 0, 0, 0, 0},                                  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},             // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},             // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},             // backward diagonal
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},             // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},             // diagonal cross
};

QBrush MakeBrush(const TDCState& dc, const TBrushInfo& b, const QTransform& painterT, bool& none) {
  none = false;
  switch (b.Style) {
    case BS_NULL: none = true; return QBrush();
    case BS_SOLID: return QBrush(Col(b.Color));
    case BS_HATCHED:
    case BS_PATTERN: {
      QImage tile(8, 8, QImage::Format_ARGB32);
      const bool opaque = dc.BkMode == OPAQUE;
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
          QRgb px;
          if (b.Style == BS_HATCHED) {
            const bool on = (kHatch[std::clamp(b.Hatch, 0, 5)][y] >> (7 - x)) & 1;
            px = on ? Col(b.Color).rgb() : opaque ? Col(dc.BkColor).rgb() : qRgba(0, 0, 0, 0);
          } else if (b.Mono) {
            const bool set = b.Pattern.size() == 64 && b.Pattern[static_cast<std::size_t>(y * 8 + x)];
            px = set ? Col(dc.BkColor).rgb() : Col(dc.TextColor).rgb();
          } else {
            const DWORD c = b.Pattern.size() == 64 ? b.Pattern[static_cast<std::size_t>(y * 8 + x)] : 0;
            px = Col(c).rgb();
          }
          tile.setPixel(x, y, px);
        }
      QBrush br(tile);
      // The pattern stays on the device's pixel grid, starting at the brush origin.
      bool inv = false;
      const QTransform pinv = painterT.inverted(&inv);
      br.setTransform(QTransform::fromTranslate(dc.BrushOrg.X, dc.BrushOrg.Y) * (inv ? pinv : QTransform()));
      return br;
    }
    default: return QBrush(Col(b.Color));
  }
}

QPainterPath ToPath(const TGdiOutline& outline, Qt::FillRule rule, bool closeAll) {
  QPainterPath path;
  path.setFillRule(rule);
  for (const auto& f : outline) {
    if (f.Points.empty()) continue;
    path.moveTo(f.Points[0].X, f.Points[0].Y);
    for (std::size_t i = 1; i < f.Points.size(); ++i) path.lineTo(f.Points[i].X, f.Points[i].Y);
    if (f.Closed || closeAll) path.closeSubpath();
  }
  return path;
}

// Dash patterns of styled one-pixel pens, in pixels: on, off, on, off...
const std::vector<int>& DashOf(UINT style) {
  static const std::vector<int> solid, dash{18, 6}, dot{3, 3}, dashdot{9, 6, 3, 6},
      dashdotdot{9, 3, 3, 3, 3, 3}, alt{1, 1};
  switch (style & PS_STYLE_MASK) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashdot;
    case PS_DASHDOTDOT: return dashdotdot;
    case PS_ALTERNATE: return alt;
    default: return solid;
  }
}

}  // namespace

TPainterBackend::~TPainterBackend() = default;

void TPainterBackend::End() {
  if (FPainter && FPainter->isActive()) FPainter->end();
  FPainter.reset();
  FClipSerial = ~0u;
}

bool TPainterBackend::Prepare(const TDCState& dc) {
  QPainter* p = Painter();
  if (!p) return false;
  if (FClipSerial != dc.ClipSerial) {
    p->setTransform(FBase);
    if (dc.HasClip) {
      QRegion rgn;
      for (const TRect& r : dc.ClipRects) rgn += QRect(r.Left, r.Top, r.Width(), r.Height());
      p->setClipRegion(rgn);
    } else {
      p->setClipping(false);
    }
    FClipSerial = dc.ClipSerial;
  }
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setOpacity(1);
  p->setRenderHint(QPainter::Antialiasing, false);
  p->setRenderHint(QPainter::SmoothPixmapTransform, false);
  return !(dc.HasClip && dc.ClipRects.empty());
}

// One-pixel lines: each segment from its start to just before its end (an open figure's last
// point is not drawn), in device pixels, with the pen's dash pattern running on along the figure
// and the gaps in the background colour when the background is opaque.
void TPainterBackend::PlotPixels(QPainter& p, const TDCState& dc, const TGdiOutline& outline) {
  const TGdiMatrix& m = dc.LogicalToDevice;
  const std::vector<int>& dash = DashOf(dc.PenInfo.Style);
  const QColor on = Rop2Color(dc.Rop2, dc.PenInfo.Color);
  const QColor gap = Col(dc.BkColor);
  const bool drawGaps = !dash.empty() && dc.BkMode == OPAQUE;
  p.setTransform(FBase);
  p.setCompositionMode(ModeOfRop2(dc.Rop2));
  if (dc.Rop2 == R2_NOP) return;
  // Runs of pixels on one row with one colour are filled together.
  int runY = 0, runX0 = 0, runX1 = -1;
  bool runOn = true;
  auto flush = [&] {
    if (runX1 >= runX0) p.fillRect(QRect(runX0, runY, runX1 - runX0 + 1, 1), runOn ? on : gap);
    runX1 = runX0 - 1;
  };
  auto plot = [&](int x, int y, bool isOn) {
    if (!isOn && !drawGaps) {
      flush();
      return;
    }
    if (y == runY && isOn == runOn && x == runX1 + 1 && runX1 >= runX0) {
      runX1 = x;
      return;
    }
    flush();
    runY = y, runX0 = runX1 = x, runOn = isOn;
  };
  // Long segments are cut to the visible part (with a margin) before walking them pixel by
  // pixel, or a line far outside the device would take minutes. Short ones are walked whole, so
  // ordinary drawing keeps exactly its pixels.
  QRectF visible(0, 0, 1, 1);
  if (p.device()) visible = FBase.inverted().mapRect(QRectF(0, 0, p.device()->width(), p.device()->height()));
  visible.adjust(-4, -4, 4, 4);
  const double longSegment = 4 * (visible.width() + visible.height()) + 64;
  int dashTotal = 0;
  for (int d : dash) dashTotal += d;
  for (const auto& f : outline) {
    const std::size_t n = f.Points.size();
    if (n < 2) continue;
    std::size_t di = 0;
    int left = dash.empty() ? 0 : dash[0];
    // Moves the dash pattern on by the pixels of a part that is not walked.
    auto skip = [&](double pixels) {
      if (dashTotal <= 0 || !(pixels > 0)) return;
      for (long k = static_cast<long>(std::fmod(std::floor(pixels), dashTotal)); k > 0; --k)
        if (--left <= 0) {
          di = (di + 1) % dash.size();
          left = dash[di];
        }
    };
    // Counted in whole pixels of the walk, so that the pattern is where it would have been.
    auto px = [](double v) { return std::floor(v + 0.5); };
    auto walk = [&](double x0, double y0, double x1, double y1) {
      return std::max(std::abs(px(x1) - px(x0)), std::abs(px(y1) - px(y0)));
    };
    const std::size_t segs = f.Closed ? n : n - 1;
    for (std::size_t s = 0; s < segs; ++s) {
      const auto& a = f.Points[s];
      const auto& b = f.Points[(s + 1) % n];
      double ax, ay, bx, by;
      m.Map(a.X, a.Y, ax, ay);
      m.Map(b.X, b.Y, bx, by);
      const double steps = std::max(std::abs(bx - ax), std::abs(by - ay));
      if (!std::isfinite(steps)) continue;
      if (std::max(ax, bx) < visible.left() || std::min(ax, bx) > visible.right() ||
          std::max(ay, by) < visible.top() || std::min(ay, by) > visible.bottom()) {
        skip(walk(ax, ay, bx, by));  // nothing of it shows
        continue;
      }
      double tail = 0;  // pixels cut off after the visible part
      if (steps > longSegment) {
        // Clip the parameter range [t0, t1] of a + t (b - a) to the visible box.
        double t0 = 0, t1 = 1;
        const double d[4] = {-(bx - ax), bx - ax, -(by - ay), by - ay};
        const double q[4] = {ax - visible.left(), visible.right() - ax, ay - visible.top(), visible.bottom() - ay};
        for (int i = 0; i < 4 && t0 <= t1; ++i) {
          if (d[i] == 0) {
            if (q[i] < 0) t1 = -1;
            continue;
          }
          const double r = q[i] / d[i];
          if (d[i] < 0)
            t0 = std::max(t0, r);
          else
            t1 = std::min(t1, r);
        }
        if (t0 > t1) {
          skip(walk(ax, ay, bx, by));
          continue;
        }
        const double cx0 = ax + t0 * (bx - ax), cy0 = ay + t0 * (by - ay);
        const double cx1 = ax + t1 * (bx - ax), cy1 = ay + t1 * (by - ay);
        const double before = walk(ax, ay, cx0, cy0);
        skip(before);
        tail = walk(ax, ay, bx, by) - before - walk(cx0, cy0, cx1, cy1);
        ax = cx0, ay = cy0, bx = cx1, by = cy1;
      }
      int x0 = static_cast<int>(std::floor(ax + 0.5)), y0 = static_cast<int>(std::floor(ay + 0.5));
      const int x1 = static_cast<int>(std::floor(bx + 0.5)), y1 = static_cast<int>(std::floor(by + 0.5));
      const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
      const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
      int err = dx + dy;
      while (!(x0 == x1 && y0 == y1)) {
        bool isOn = true;
        if (!dash.empty()) {
          isOn = di % 2 == 0;
          if (--left <= 0) {
            di = (di + 1) % dash.size();
            left = dash[di];
          }
        }
        plot(x0, y0, isOn);
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
      }
      skip(tail);
    }
  }
  flush();
}

void TPainterBackend::StrokeOutline(QPainter& p, const TDCState& dc, const TGdiOutline& outline, bool deviceUnits) {
  const TPenInfo& pen = dc.PenInfo;
  if (pen.IsNull() || dc.Rop2 == R2_NOP) return;
  const TGdiMatrix& m = dc.LogicalToDevice;
  const double scale = deviceUnits ? 1 : std::sqrt(std::abs(m.M11 * m.M22 - m.M12 * m.M21));
  const bool geometric = (pen.Style & PS_TYPE_MASK) == PS_GEOMETRIC;
  const double devWidth = geometric ? pen.Width * scale : pen.Width;
  if (devWidth <= 1.5 && !deviceUnits) {
    PlotPixels(p, dc, outline);
    return;
  }
  const QTransform t = deviceUnits ? FBase : ToQ(m) * FBase;
  // Pixel centres lie on integer device coordinates for strokes.
  p.setTransform(QTransform::fromTranslate(0.5, 0.5) * t);
  p.setCompositionMode(ModeOfRop2(dc.Rop2));
  QPen qp(Rop2Color(dc.Rop2, pen.Color));
  qp.setWidthF(geometric ? std::max(1, pen.Width) : std::max(1, pen.Width) / std::max(scale, 1e-9));
  const UINT cap = pen.Style & PS_ENDCAP_MASK, join = pen.Style & PS_JOIN_MASK;
  qp.setCapStyle(cap == PS_ENDCAP_SQUARE ? Qt::SquareCap : cap == PS_ENDCAP_FLAT ? Qt::FlatCap : Qt::RoundCap);
  qp.setJoinStyle(join == PS_JOIN_BEVEL ? Qt::BevelJoin : join == PS_JOIN_MITER ? Qt::MiterJoin : Qt::RoundJoin);
  switch (pen.Style & PS_STYLE_MASK) {
    case PS_DASH: qp.setStyle(Qt::DashLine); break;
    case PS_DOT: qp.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: qp.setStyle(Qt::DashDotLine); break;
    case PS_DASHDOTDOT: qp.setStyle(Qt::DashDotDotLine); break;
    default: break;
  }
  p.setPen(qp);
  p.setBrush(Qt::NoBrush);
  p.drawPath(ToPath(outline, Qt::WindingFill, false));
  p.setPen(Qt::NoPen);
}

void TPainterBackend::FillOutline(QPainter& p, const TDCState& dc, const TGdiOutline& outline, const TBrushInfo& brush,
                                  bool deviceUnits) {
  const QTransform t = deviceUnits ? FBase : ToQ(dc.LogicalToDevice) * FBase;
  p.setTransform(t);
  bool none = false;
  QBrush qb = MakeBrush(dc, brush, t, none);
  if (none) return;
  p.setPen(Qt::NoPen);
  p.setBrush(qb);
  p.drawPath(ToPath(outline, dc.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill, true));
  p.setBrush(Qt::NoBrush);
}

void TPainterBackend::FocusRect(QPainter& p, const TDCState& dc, const TRect& r) {
  double x1, y1, x2, y2;
  dc.LogicalToDevice.Map(r.Left, r.Top, x1, y1);
  dc.LogicalToDevice.Map(r.Right, r.Bottom, x2, y2);
  int l = static_cast<int>(std::lround(std::min(x1, x2))), t = static_cast<int>(std::lround(std::min(y1, y2)));
  int rr = static_cast<int>(std::lround(std::max(x1, x2))), b = static_cast<int>(std::lround(std::max(y1, y2)));
  if (rr <= l || b <= t) return;
  p.setTransform(FBase);
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  // Every other pixel of the one-pixel frame, each pixel once, so that drawing twice erases.
  auto dot = [&](int x, int y) {
    if (((x + y) & 1) == 0) p.fillRect(QRect(x, y, 1, 1), Qt::white);
  };
  for (int x = l; x < rr; ++x) {
    dot(x, t);
    if (b - 1 > t) dot(x, b - 1);
  }
  for (int y = t + 1; y < b - 1; ++y) {
    dot(l, y);
    if (rr - 1 > l) dot(rr - 1, y);
  }
}

void TPainterBackend::DrawShape(const TDCState& dc, const TShapeRequest& r) {
  if (r.InPath || !Prepare(dc)) return;
  QPainter& p = *Painter();
  switch (r.Kind) {
    case TShapeKind::FocusRect:
      if (r.Points.size() == 2) FocusRect(p, dc, TRect(r.Points[0].X, r.Points[0].Y, r.Points[1].X, r.Points[1].Y));
      return;
    case TShapeKind::SetPixel: {
      if (r.Points.empty()) return;
      double x, y;
      dc.LogicalToDevice.Map(r.Points[0].X, r.Points[0].Y, x, y);
      // A pixel mapped far outside any surface (or to no number at all) is not drawn.
      constexpr double Limit = 1 << 29;
      if (!(std::fabs(x) <= Limit && std::fabs(y) <= Limit)) return;
      p.setTransform(FBase);
      p.fillRect(QRect(static_cast<int>(std::floor(x + 0.5)), static_cast<int>(std::floor(y + 0.5)), 1, 1), Col(r.PixelColor));
      return;
    }
    case TShapeKind::FillRect:
    case TShapeKind::FrameRect:
    case TShapeKind::FillRgn:
      if (r.FillBrush) FillOutline(p, dc, r.Outline, *r.FillBrush, r.DeviceUnits);
      return;
    case TShapeKind::InvertRect:
    case TShapeKind::PatBlt: {
      bool skip = false;
      const QPainter::CompositionMode mode = ModeOfRop3(r.Rop3, skip);
      if (skip) return;
      TBrushInfo b = dc.BrushInfo;
      if (r.Rop3 == BLACKNESS || r.Rop3 == WHITENESS) {
        b = TBrushInfo{};
        b.Color = r.Rop3 == BLACKNESS ? 0 : 0xFFFFFF;
      }
      if (r.Rop3 == DSTINVERT) {
        b = TBrushInfo{};
        b.Color = 0xFFFFFF;
      }
      p.setCompositionMode(mode);
      FillOutline(p, dc, r.Outline, b, r.DeviceUnits);
      return;
    }
    default: break;
  }
  if (r.Fill && dc.Rop2 != R2_NOP) {
    p.setCompositionMode(ModeOfRop2(dc.Rop2));
    TBrushInfo b = dc.BrushInfo;
    if (dc.Rop2 == R2_BLACK || dc.Rop2 == R2_WHITE) b.Color = dc.Rop2 == R2_BLACK ? 0 : 0xFFFFFF;
    FillOutline(p, dc, r.Outline, b, r.DeviceUnits);
  }
  if (r.Stroke) StrokeOutline(p, dc, r.Outline, r.DeviceUnits);
}

void TPainterBackend::DrawText(const TDCState& dc, const TTextRequest& r) {
  if (!Prepare(dc) || !r.Font) return;
  QPainter& p = *Painter();
  const TFontInstance& f = *r.Font;
  const QTransform page = ToQ(dc.LogicalToDevice) * FBase;
  p.setTransform(page);
  p.save();
  if (r.HasRect && (r.Options & ETO_OPAQUE)) {
    const TRect& q = r.Rect;
    p.fillRect(QRectF(q.Left, q.Top, q.Width(), q.Height()), Col(dc.BkColor));
  }
  if (r.HasRect && (r.Options & ETO_CLIPPED)) {
    const TRect& q = r.Rect;
    p.setClipRect(QRectF(q.Left, q.Top, q.Width(), q.Height()), Qt::IntersectClip);
  }
  // An escapement turns the run (baseline, background, lines) about the reference point,
  // counter-clockwise on the page; the option rectangle stays as given.
  QTransform t = page;
  if (const int esc = f.Log.lfEscapement % 3600) {
    t = QTransform::fromTranslate(-r.X, -r.Y) * QTransform().rotate(-esc / 10.0) *
        QTransform::fromTranslate(r.X, r.Y) * page;
    p.setTransform(t);
  }
  const double asc = f.TM.tmAscent, desc = f.TM.tmDescent;
  if (dc.BkMode == OPAQUE && r.Width > 0)
    p.fillRect(QRectF(r.OriginX, r.OriginY - asc, r.Width, asc + desc), Col(dc.BkColor));
  if (TextAsGlyphRuns() && DrawGlyphRuns(p, f, r, dc.TextColor)) {
    // drawn as text
  } else if (t.type() <= QTransform::TxScale && t.m11() > 0 && t.m22() > 0) {
    // Unrotated: glyph images cached per device size and quarter-pixel position.
    p.setTransform(QTransform());
    for (const TPlacedGlyph& g : r.Glyphs) {
      const QPointF pos = t.map(QPointF(r.OriginX + g.X, r.OriginY + g.Y));
      // Far off any device (and beyond the pixel coordinates below): nothing to draw.
      if (!(std::abs(pos.x()) < 1e9 && std::abs(pos.y()) < 1e9)) continue;
      const double fx = std::floor(pos.x() * 4 + 0.5) / 4;
      const int ix = static_cast<int>(std::floor(fx)), sub = static_cast<int>((fx - ix) * 4);
      const int iy = static_cast<int>(std::floor(pos.y() + 0.5));
      QPoint off;
      const QImage& img = f.GlyphImage(g.Face, g.Glyph, g.Rotated, t.m11(), t.m22(), sub, dc.TextColor, off);
      if (!img.isNull()) p.drawImage(QPoint(ix + off.x(), iy + off.y()), img);
    }
    p.setTransform(t);
  } else {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const TPlacedGlyph& g : r.Glyphs) {
      const QPainterPath& gp = f.GlyphOutline(g.Face, g.Glyph, g.Rotated);
      if (gp.isEmpty()) continue;
      path.addPath(gp.translated(r.OriginX + g.X, r.OriginY + g.Y));
    }
    p.setRenderHint(QPainter::Antialiasing, f.Antialiased);
    p.fillPath(path, Col(dc.TextColor));
    p.setRenderHint(QPainter::Antialiasing, false);
  }
  if (r.Width > 0 && (f.Log.lfUnderline || f.Log.lfStrikeOut)) {
    // A line is at least one device pixel thick: a large font drawn through a transform that
    // scales it down gives bands thinner than a pixel, which could fall between pixel rows.
    const double sy = std::hypot(t.m21(), t.m22());
    const bool axisAligned = t.type() <= QTransform::TxScale && t.m11() > 0 && t.m22() > 0;
    // The underline keeps a device row between itself and the baseline, as at screen scale.
    const auto band = [&](double top, double size, bool belowBaseline) {
      if (axisAligned) {
        const QPointF a = t.map(QPointF(r.OriginX, r.OriginY + top));
        const QPointF b = t.map(QPointF(r.OriginX + r.Width, r.OriginY + top + size));
        int y = static_cast<int>(std::lround(a.y()));
        if (belowBaseline) y = std::max(y, static_cast<int>(std::lround(t.map(QPointF(0, r.OriginY)).y())) + 1);
        const int h = std::max(1, static_cast<int>(std::lround(b.y() - a.y())));
        p.setTransform(QTransform());
        p.fillRect(QRectF(a.x(), y, b.x() - a.x(), h), Col(dc.TextColor));
        p.setTransform(t);
      } else {
        if (sy > 0 && size * sy < 1) size = 1 / sy;
        p.fillRect(QRectF(r.OriginX, r.OriginY + top, r.Width, size), Col(dc.TextColor));
      }
    };
    double top, size;
    if (f.Log.lfUnderline) {
      f.UnderlineBand(top, size);
      band(top, size, true);
    }
    if (f.Log.lfStrikeOut) {
      f.StrikeOutBand(top, size);
      band(top, size, false);
    }
  }
  p.restore();
  FClipSerial = ~0u;  // restore() may have changed the clip
}

namespace {

// Fonts of vector output by face, found once per thread through the toolkit's font database (so
// that the output embeds the file itself); a face the database gives differently is remembered
// as missing and its runs are drawn as outlines.
const QRawFont* RawFontOf(const TFontFace& face) {
  thread_local std::vector<std::pair<std::string, std::unique_ptr<QRawFont>>> fonts;
  for (auto& e : fonts)
    if (e.first == face.File) return e.second.get();
  if (fonts.size() >= 64) fonts.erase(fonts.begin());
  QFont qf(QString::fromStdU16String(face.Family));
  qf.setStyleName(QString::fromStdU16String(face.Style));
  qf.setPixelSize(64);
  qf.setStyleStrategy(QFont::NoFontMerging);
  QRawFont raw = QRawFont::fromFont(qf);
  std::unique_ptr<QRawFont> kept;
  if (raw.isValid() && raw.familyName() == QString::fromStdU16String(face.Family) &&
      raw.styleName() == QString::fromStdU16String(face.Style)) {
    bool same = true;
    for (char16_t c : {u'A', u'e', u'0'}) {
      const QVector<quint32> g = raw.glyphIndexesForString(QString(QChar(c)));
      if (g.size() != 1 || g[0] != face.GlyphOf(c)) same = false;
    }
    if (same) kept = std::make_unique<QRawFont>(raw);
  }
  fonts.emplace_back(face.File, std::move(kept));
  return fonts.back().second.get();
}

}  // namespace

// Runs of one face each, at the font's size in logical units; the painter's transform is already
// the run's. Glyphs that a file cannot give as they are shaped (synthetic styles, horizontal
// scaling, rotated upright glyphs, faces inside collections) leave the run to the outlines.
bool TPainterBackend::DrawGlyphRuns(QPainter& p, const TFontInstance& f, const TTextRequest& r, COLORREF color) {
  if (f.XScale != 1 || f.SynthBold || f.SynthItalic || f.Ppem <= 0) return false;
  for (const TPlacedGlyph& g : r.Glyphs) {
    if (g.Rotated) return false;
    const TFontFace& face = f.Face(g.Face);
    if (!RawFontOf(face)) return false;
    if (g.Face != 0 && ((f.Log.lfItalic && !face.Italic) || (f.Log.lfWeight >= 600 && face.Weight < 600))) return false;
  }
  p.setPen(Col(color));
  std::size_t i = 0;
  while (i < r.Glyphs.size()) {
    const int faceNo = r.Glyphs[i].Face;
    QRawFont raw = *RawFontOf(f.Face(faceNo));
    raw.setPixelSize(f.Ppem);
    QVector<quint32> glyphs;
    QVector<QPointF> positions;
    for (; i < r.Glyphs.size() && r.Glyphs[i].Face == faceNo; ++i) {
      glyphs.push_back(r.Glyphs[i].Glyph);
      positions.push_back(QPointF(r.Glyphs[i].X, r.Glyphs[i].Y));
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    p.drawGlyphRun(QPointF(r.OriginX, r.OriginY), run);
  }
  return true;
}

void TPainterBackend::DrawImage(const TDCState& dc, const TImageRequest& r) {
  if (!Prepare(dc)) return;
  QPainter& p = *Painter();
  p.setTransform(ToQ(dc.LogicalToDevice) * FBase);
  QRectF dest(r.Dest.Left, r.Dest.Top, r.Dest.Width(), r.Dest.Height());
  bool skip = false;
  QPainter::CompositionMode mode = ModeOfRop3(r.Rop3, skip);
  if (skip) return;
  if (!r.HasSource) {
    TBrushInfo b = dc.BrushInfo;
    if (r.Rop3 == BLACKNESS || r.Rop3 == WHITENESS || r.Rop3 == DSTINVERT) {
      b = TBrushInfo{};
      b.Color = r.Rop3 == BLACKNESS ? 0 : 0xFFFFFF;
    }
    p.setCompositionMode(mode);
    bool none = false;
    QBrush qb = MakeBrush(dc, b, p.transform(), none);
    if (!none) p.fillRect(dest.normalized(), qb);
    return;
  }
  const TPixelView& v = r.Source;
  if (!v.Bits || v.Width <= 0 || v.Height <= 0) return;
  const bool alpha = r.Kind == TImageKind::AlphaBlend && (r.Blend.AlphaFormat & AC_SRC_ALPHA) && v.BitCount == 32;
  const QImage::Format fmt = v.BitCount == 24 ? QImage::Format_BGR888
                             : alpha          ? QImage::Format_ARGB32_Premultiplied
                                              : QImage::Format_RGB32;
  QImage src;
  if (v.Stride > 0) {
    src = QImage(v.Bits, v.Width, v.Height, v.Stride, fmt);
  } else {
    src = QImage(v.Row(v.Height - 1), v.Width, v.Height, -v.Stride, fmt).mirrored(false, true);
  }
  if (r.Kind == TImageKind::TransparentBlt) {
    QImage a = src.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(GetRValue(r.TransparentColor), GetGValue(r.TransparentColor), GetBValue(r.TransparentColor));
    for (int y = 0; y < a.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(a.scanLine(y));
      for (int x = 0; x < a.width(); ++x)
        if ((row[x] | 0xFF000000u) == key) row[x] = 0;
    }
    src = a;
  }
  QRectF s(r.Src.Left, r.Src.Top, r.Src.Width(), r.Src.Height());
  // Mirroring by negative extents.
  bool fx = false, fy = false;
  if (dest.width() < 0) dest = QRectF(dest.right(), dest.top(), -dest.width(), dest.height()), fx = !fx;
  if (dest.height() < 0) dest = QRectF(dest.left(), dest.bottom(), dest.width(), -dest.height()), fy = !fy;
  if (s.width() < 0) s = QRectF(s.right(), s.top(), -s.width(), s.height()), fx = !fx;
  if (s.height() < 0) s = QRectF(s.left(), s.bottom(), s.width(), -s.height()), fy = !fy;
  // Only the part of the source on the bitmap draws, onto the matching part of the destination:
  // copying a source rectangle that reaches far past the bitmap would make an image as large as it.
  const QRectF on = s.intersected(QRectF(0, 0, src.width(), src.height()));
  if (on.isEmpty()) return;
  if (on != s) {
    const double kx = dest.width() / s.width(), ky = dest.height() / s.height();
    const double left = fx ? s.right() - on.right() : on.left() - s.left();
    const double top = fy ? s.bottom() - on.bottom() : on.top() - s.top();
    dest = QRectF(dest.left() + left * kx, dest.top() + top * ky, on.width() * kx, on.height() * ky);
    s = on;
  }
  if (fx || fy) {
    src = src.copy(s.toRect()).mirrored(fx, fy);
    s = QRectF(0, 0, src.width(), src.height());
  }
  p.setCompositionMode(mode);
  if (r.Kind == TImageKind::AlphaBlend) {
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setOpacity(r.Blend.SourceConstantAlpha / 255.0);
  }
  p.setRenderHint(QPainter::SmoothPixmapTransform, dc.StretchBltMode == HALFTONE);
  p.drawImage(dest, src, s);
  p.setOpacity(1);
}

// ---- bitmaps ------------------------------------------------------------------------------------

namespace {

class TBitmapBackend : public TPainterBackend {
 public:
  ~TBitmapBackend() override { End(); }
  void BitmapSelected(HBITMAP bmp) override {
    End();
    FBitmap = bmp;
  }
  bool GetPixels(TPixelView& view) override {
    auto* b = GdiAs<TGdiBitmap>(FBitmap, OBJ_BITMAP);
    if (!b) return false;
    view = b->View();
    return true;
  }

 protected:
  QPainter* Painter() override {
    if (FPainter) return FPainter.get();
    auto* b = GdiAs<TGdiBitmap>(FBitmap, OBJ_BITMAP);
    if (!b || b->Memory.empty()) return nullptr;
    FImage = QImage(b->Memory.data(), b->Width, b->Height, b->Stride,
                    b->BitCount == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32);
    // A scaled bitmap (a window's on a finer screen) takes device units to its pixels.
    FBase = QTransform::fromScale(b->Scale, b->Scale) *
            (b->TopDown ? QTransform() : QTransform(1, 0, 0, -1, 0, b->Height));
    FPainter = std::make_unique<QPainter>();
    if (!FPainter->begin(&FImage)) {
      FPainter.reset();
      return nullptr;
    }
    FClipSerial = ~0u;
    return FPainter.get();
  }

 private:
  HBITMAP FBitmap = nullptr;
  QImage FImage;
};

}  // namespace

std::unique_ptr<TDeviceBackend> CreateBitmapBackend() { return std::make_unique<TBitmapBackend>(); }
