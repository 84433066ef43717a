// Playback of enhanced and Windows metafiles onto any device context. The player keeps the
// picture's own mapping (map mode, window, viewport, world transform) and sets the target's world
// transform to that mapping followed by the placement of the picture in the target rectangle, so
// pens, fonts and clip rectangles scale with the picture.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/base/NLS.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"

namespace {

struct TAffine {
  double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
  // This, then t.
  TAffine Then(const TAffine& t) const {
    return {M11 * t.M11 + M12 * t.M21, M11 * t.M12 + M12 * t.M22, M21 * t.M11 + M22 * t.M21,
            M21 * t.M12 + M22 * t.M22, Dx * t.M11 + Dy * t.M21 + t.Dx, Dx * t.M12 + Dy * t.M22 + t.Dy};
  }
  void Map(double x, double y, double& ox, double& oy) const {
    ox = x * M11 + y * M21 + Dx;
    oy = x * M12 + y * M22 + Dy;
  }
  static TAffine From(const XFORM& x) { return {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}; }
  XFORM ToXForm() const {
    XFORM x;
    x.eM11 = static_cast<FLOAT>(M11);
    x.eM12 = static_cast<FLOAT>(M12);
    x.eM21 = static_cast<FLOAT>(M21);
    x.eM22 = static_cast<FLOAT>(M22);
    x.eDx = static_cast<FLOAT>(Dx);
    x.eDy = static_cast<FLOAT>(Dy);
    return x;
  }
};

// The picture's own mapping state.
struct TPageState {
  int MapMode = MM_TEXT;
  TPoint WindowOrg, ViewportOrg;
  TSize WindowExt{1, 1}, ViewportExt{1, 1};
  TAffine World;
};

// What both players share: the target, its state at the start, the placement and the clip.
class TPlayerBase {
 public:
  TPlayerBase(HDC dc) : DC(dc) {
    Saved = SaveDC(dc);
    // The target's logical-to-device mapping, sampled, to place device-unit clip regions.
    POINT p[3] = {{0, 0}, {1000, 0}, {0, 1000}};
    LPtoDP(dc, p, 3);
    ToDevice = {(p[1].X - p[0].X) / 1000.0, (p[1].Y - p[0].Y) / 1000.0, (p[2].X - p[0].X) / 1000.0,
                (p[2].Y - p[0].Y) / 1000.0, double(p[0].X), double(p[0].Y)};
    OriginalClip = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, OriginalClip) != 1) {
      DeleteObject(OriginalClip);
      OriginalClip = nullptr;
    }
  }
  ~TPlayerBase() {
    RestoreDC(DC, Saved);
    for (HGDIOBJ o : Objects)
      if (o) DeleteObject(o);
    if (OriginalClip) DeleteObject(OriginalClip);
  }

  // The target maps the picture's logical units straight to its device pixels. An axis-aligned
  // mapping goes into the window and viewport, so shapes keep the compatible-mode edges they were
  // drawn with; anything rotated or sheared needs the world transform.
  void Apply(const TAffine& placement) {
    const TAffine m = State.World.Then(Page()).Then(placement).Then(ToDevice);
    if (m.M12 == 0 && m.M21 == 0) {
      if (GetGraphicsMode(DC) == GM_ADVANCED) {
        ModifyWorldTransform(DC, nullptr, MWT_IDENTITY);
        SetGraphicsMode(DC, GM_COMPATIBLE);
      }
      constexpr int Unit = 1 << 20;
      SetMapMode(DC, MM_ANISOTROPIC);
      SetWindowOrgEx(DC, 0, 0, nullptr);
      SetWindowExtEx(DC, Unit, Unit, nullptr);
      auto ext = [](double v) {
        const double e = std::round(v * Unit);
        return static_cast<int>(std::clamp(e, -2.0e9, 2.0e9));
      };
      SetViewportExtEx(DC, ext(m.M11) ? ext(m.M11) : 1, ext(m.M22) ? ext(m.M22) : 1, nullptr);
      SetViewportOrgEx(DC, static_cast<int>(std::lround(m.Dx)), static_cast<int>(std::lround(m.Dy)), nullptr);
      return;
    }
    SetMapMode(DC, MM_TEXT);
    SetWindowOrgEx(DC, 0, 0, nullptr);
    SetViewportOrgEx(DC, 0, 0, nullptr);
    SetGraphicsMode(DC, GM_ADVANCED);
    const XFORM x = m.ToXForm();
    SetWorldTransform(DC, &x);
  }

  TAffine Page() const {
    const TPageState& s = State;
    double sx = 1, sy = 1;
    switch (s.MapMode) {
      case MM_ANISOTROPIC:
      case MM_ISOTROPIC:
        sx = s.WindowExt.cx ? double(s.ViewportExt.cx) / s.WindowExt.cx : 1;
        sy = s.WindowExt.cy ? double(s.ViewportExt.cy) / s.WindowExt.cy : 1;
        if (s.MapMode == MM_ISOTROPIC) {
          const double m = std::min(std::abs(sx), std::abs(sy));
          sx = sx < 0 ? -m : m;
          sy = sy < 0 ? -m : m;
        }
        break;
      case MM_LOMETRIC: sx = PixelsPerMM * 0.1, sy = -sx; break;
      case MM_HIMETRIC: sx = PixelsPerMM * 0.01, sy = -sx; break;
      case MM_LOENGLISH: sx = PixelsPerMM * 0.254, sy = -sx; break;
      case MM_HIENGLISH: sx = PixelsPerMM * 0.0254, sy = -sx; break;
      case MM_TWIPS: sx = PixelsPerMM * 25.4 / 1440, sy = -sx; break;
      default: break;
    }
    return {sx, 0, 0, sy, s.ViewportOrg.X - s.WindowOrg.X * sx, s.ViewportOrg.Y - s.WindowOrg.Y * sy};
  }

  // A clip given in the picture's device pixels, placed on the target and kept inside the clip
  // the target had when playing began.
  void ClipDevice(const std::vector<TRect>* rects, const TAffine& placement) {
    HRGN rgn = nullptr;
    if (rects) {
      rgn = CreateRectRgn(0, 0, 0, 0);
      for (const TRect& r : *rects) {
        double x0, y0, x1, y1;
        const TAffine m = placement.Then(ToDevice);
        m.Map(r.Left, r.Top, x0, y0);
        m.Map(r.Right, r.Bottom, x1, y1);
        HRGN part = CreateRectRgn(static_cast<int>(std::lround(std::min(x0, x1))),
                                  static_cast<int>(std::lround(std::min(y0, y1))),
                                  static_cast<int>(std::lround(std::max(x0, x1))),
                                  static_cast<int>(std::lround(std::max(y0, y1))));
        CombineRgn(rgn, rgn, part, RGN_OR);
        DeleteObject(part);
      }
      if (OriginalClip) CombineRgn(rgn, rgn, OriginalClip, RGN_AND);
    } else if (OriginalClip) {
      rgn = CreateRectRgn(0, 0, 0, 0);
      CombineRgn(rgn, OriginalClip, nullptr, RGN_COPY);
    }
    SelectClipRgn(DC, rgn);
    if (rgn) DeleteObject(rgn);
  }

  HGDIOBJ Object(std::uint32_t index) {
    if (index & 0x80000000u) return GetStockObject(static_cast<int>(index & 0x7FFFFFFF));
    return index < Objects.size() ? Objects[index] : nullptr;
  }
  void SetObject(std::uint32_t index, HGDIOBJ obj) {
    if (index >= Objects.size() || index > 65535) {
      if (index > 65535) {
        DeleteObject(obj);
        return;
      }
      Objects.resize(index + 1);
    }
    if (Objects[index]) DeleteObject(Objects[index]);
    Objects[index] = obj;
  }

  HDC DC;
  int Saved = 0;
  TAffine ToDevice;
  HRGN OriginalClip = nullptr;
  std::vector<HGDIOBJ> Objects;
  TPageState State;
  std::vector<TPageState> Stack;
  double PixelsPerMM = 96 / 25.4;
};

// A bitmap from a packed DIB inside a record, drawn through StretchDIBits.
bool DibAt(std::string_view rec, std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits, std::uint32_t cbBits,
           const BITMAPINFO*& bmi, const void*& bits, std::string& copy) {
  if (cbBmi < 40 || offBmi > rec.size() || cbBmi > rec.size() - offBmi || offBits > rec.size() ||
      cbBits > rec.size() - offBits)
    return false;
  const std::string_view h = rec.substr(offBmi, cbBmi);
  const std::int64_t w = static_cast<std::int32_t>(LE32(h, 4)), ht = static_cast<std::int32_t>(LE32(h, 8));
  const std::uint32_t bc = LE16(h, 14);
  if (w <= 0 || ht == 0 || w > MaxPictureSide || std::abs(ht) > MaxPictureSide || (bc != 1 && bc != 4 && bc != 8 && bc != 16 && bc != 24 && bc != 32))
    return false;
  const std::uint64_t need = ((static_cast<std::uint64_t>(w) * bc + 31) / 32) * 4 * static_cast<std::uint64_t>(std::abs(ht));
  if (need > cbBits) return false;
  // Aligned copies: the header and colours, then the bits.
  copy.assign(rec.substr(offBmi, cbBmi));
  copy.append(rec.substr(offBits, cbBits));
  bmi = reinterpret_cast<const BITMAPINFO*>(copy.data());
  bits = copy.data() + cbBmi;
  return true;
}

// Coordinates and sizes from a record, kept in a range where sums of them cannot overflow.
LONG S32(std::string_view d, std::size_t at) {
  constexpr std::int32_t Limit = 1 << 27;
  return std::clamp(static_cast<std::int32_t>(LE32(d, at)), -Limit, Limit);
}
int S16(std::string_view d, std::size_t at) { return static_cast<std::int16_t>(LE16(d, at)); }

// Brushes of a record are solid, hollow or hatched; other styles (patterns named by handle) are
// drawn solid.
UINT RecordBrushStyle(UINT style) {
  return style == BS_SOLID || style == BS_NULL || style == BS_HATCHED ? style : BS_SOLID;
}

// The eight byte fields of a logical font, from italic to pitch and family, at r[at]; bytes past
// the record's end read 0.
void ReadFontBytes(std::string_view r, std::size_t at, LOGFONTW& lf) {
  BYTE* b8[] = {&lf.lfItalic,      &lf.lfUnderline,     &lf.lfStrikeOut, &lf.lfCharSet,
                &lf.lfOutPrecision, &lf.lfClipPrecision, &lf.lfQuality,   &lf.lfPitchAndFamily};
  for (std::size_t i = 0; i < 8; ++i) *b8[i] = at + i < r.size() ? static_cast<BYTE>(r[at + i]) : 0;
}

}  // namespace

// ---- enhanced metafiles ---------------------------------------------------------------------------

BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE emf, const RECT* rect) {
  if (!dc || !emf || !rect) return FALSE;
  ENHMETAHEADER hdr;
  if (!GetEnhMetaFileHeader(emf, sizeof hdr, &hdr)) return FALSE;
  // Picture frame in the recording device's pixels, mapped onto the rectangle.
  const double pxX = hdr.szlMillimeters.cx > 0 ? double(hdr.szlDevice.cx) / (hdr.szlMillimeters.cx * 100.0) : 96 / 2540.0;
  const double pxY = hdr.szlMillimeters.cy > 0 ? double(hdr.szlDevice.cy) / (hdr.szlMillimeters.cy * 100.0) : 96 / 2540.0;
  const double fl = hdr.rclFrame.Left * pxX, ft = hdr.rclFrame.Top * pxY;
  double fw = (hdr.rclFrame.Right - hdr.rclFrame.Left) * pxX, fh = (hdr.rclFrame.Bottom - hdr.rclFrame.Top) * pxY;
  if (fw <= 0) fw = 1;
  if (fh <= 0) fh = 1;
  const double sx = rect->Width() / fw, sy = rect->Height() / fh;
  const TAffine placement{sx, 0, 0, sy, rect->Left - fl * sx, rect->Top - ft * sy};

  TPlayerBase p(dc);
  p.PixelsPerMM = pxX * 100;
  p.Objects.resize(std::max<std::size_t>(hdr.nHandles, 1));
  p.Apply(placement);
  const std::string& bits = emf->Bits;
  std::size_t at = 0;
  std::string dibCopy;
  std::vector<POINT> pts;
  std::vector<INT> counts;
  while (at + 8 <= bits.size()) {
    const DWORD type = LE32(bits, at), size = LE32(bits, at + 4);
    if (size < 8 || size > bits.size() - at) break;
    const std::string_view r(bits.data() + at, size);
    at += size;
    auto pt = [&](std::size_t o) { return POINT{S32(r, o), S32(r, o + 4)}; };
    auto readPoints = [&](std::size_t countAt, std::size_t first, bool small) {
      const std::uint32_t n = LE32(r, countAt);
      const std::size_t step = small ? 4 : 8;
      pts.clear();
      if (n > (r.size() - std::min(first, r.size())) / step) return false;
      for (std::uint32_t i = 0; i < n; ++i) {
        const std::size_t o = first + i * step;
        pts.push_back(small ? POINT{S16(r, o), S16(r, o + 2)} : POINT{S32(r, o), S32(r, o + 4)});
      }
      return true;
    };
    switch (type) {
      case EMR_EOF: at = bits.size(); break;
      case EMR_SETMAPMODE: p.State.MapMode = static_cast<int>(LE32(r, 8)); p.Apply(placement); break;
      case EMR_SETWINDOWORGEX: p.State.WindowOrg = {S32(r, 8), S32(r, 12)}; p.Apply(placement); break;
      case EMR_SETWINDOWEXTEX: p.State.WindowExt = {S32(r, 8), S32(r, 12)}; p.Apply(placement); break;
      case EMR_SETVIEWPORTORGEX: p.State.ViewportOrg = {S32(r, 8), S32(r, 12)}; p.Apply(placement); break;
      case EMR_SETVIEWPORTEXTEX: p.State.ViewportExt = {S32(r, 8), S32(r, 12)}; p.Apply(placement); break;
      case EMR_SCALEVIEWPORTEXTEX:
      case EMR_SCALEWINDOWEXTEX: {
        const LONG xn = S32(r, 8), xd = S32(r, 12), yn = S32(r, 16), yd = S32(r, 20);
        if (xd && yd) {
          TSize& e = type == EMR_SCALEVIEWPORTEXTEX ? p.State.ViewportExt : p.State.WindowExt;
          e = {e.cx * xn / xd, e.cy * yn / yd};
          p.Apply(placement);
        }
        break;
      }
      case EMR_SETWORLDTRANSFORM:
      case EMR_MODIFYWORLDTRANSFORM: {
        XFORM x;
        float f[6];
        for (int i = 0; i < 6; ++i) {
          const std::uint32_t v = LE32(r, 8 + 4 * i);
          std::memcpy(&f[i], &v, 4);
        }
        x = {f[0], f[1], f[2], f[3], f[4], f[5]};
        const TAffine m = TAffine::From(x);
        const DWORD mode = type == EMR_SETWORLDTRANSFORM ? 0 : LE32(r, 32);
        if (type == EMR_SETWORLDTRANSFORM) p.State.World = m;
        else if (mode == MWT_IDENTITY) p.State.World = TAffine{};
        else if (mode == MWT_LEFTMULTIPLY) p.State.World = m.Then(p.State.World);
        else if (mode == MWT_RIGHTMULTIPLY) p.State.World = p.State.World.Then(m);
        p.Apply(placement);
        break;
      }
      case EMR_SAVEDC:
        SaveDC(dc);
        p.Stack.push_back(p.State);
        break;
      case EMR_RESTOREDC: {
        const int rel = S32(r, 8);
        if (rel < 0 && static_cast<std::size_t>(-rel) <= p.Stack.size()) {
          RestoreDC(dc, rel);
          p.State = p.Stack[p.Stack.size() + rel];
          p.Stack.resize(p.Stack.size() + rel);
          p.Apply(placement);
        }
        break;
      }
      case EMR_SETBKMODE: SetBkMode(dc, static_cast<int>(LE32(r, 8))); break;
      case EMR_SETBKCOLOR: SetBkColor(dc, LE32(r, 8)); break;
      case EMR_SETTEXTCOLOR: SetTextColor(dc, LE32(r, 8)); break;
      case EMR_SETTEXTALIGN: SetTextAlign(dc, LE32(r, 8)); break;
      case EMR_SETROP2: SetROP2(dc, static_cast<int>(LE32(r, 8))); break;
      case EMR_SETPOLYFILLMODE: SetPolyFillMode(dc, static_cast<int>(LE32(r, 8))); break;
      case EMR_SETSTRETCHBLTMODE: SetStretchBltMode(dc, static_cast<int>(LE32(r, 8))); break;
      case EMR_SETBRUSHORGEX: SetBrushOrgEx(dc, S32(r, 8), S32(r, 12), nullptr); break;
      case EMR_CREATEPEN: {
        LOGPEN lp;
        lp.lopnStyle = LE32(r, 12);
        lp.lopnWidth = {S32(r, 16), 0};
        lp.lopnColor = LE32(r, 24);
        p.SetObject(LE32(r, 8), CreatePenIndirect(&lp));
        break;
      }
      case EMR_EXTCREATEPEN: {
        LOGBRUSH lb;
        lb.lbStyle = RecordBrushStyle(LE32(r, 32));
        lb.lbColor = LE32(r, 36);
        lb.lbHatch = LE32(r, 40);
        p.SetObject(LE32(r, 8), ExtCreatePen(LE32(r, 24), LE32(r, 28), &lb, 0, nullptr));
        break;
      }
      case EMR_CREATEBRUSHINDIRECT: {
        LOGBRUSH lb;
        lb.lbStyle = RecordBrushStyle(LE32(r, 12));
        lb.lbColor = LE32(r, 16);
        lb.lbHatch = LE32(r, 20);
        p.SetObject(LE32(r, 8), CreateBrushIndirect(&lb));
        break;
      }
      case EMR_CREATEDIBPATTERNBRUSHPT:
      case EMR_CREATEMONOBRUSH: {
        const BITMAPINFO* bmi;
        const void* b;
        HBRUSH brush = nullptr;
        if (DibAt(r, LE32(r, 16), LE32(r, 20), LE32(r, 24), LE32(r, 28), bmi, b, dibCopy)) {
          TBitmap pattern;
          if (pattern.LoadFromDIB(reinterpret_cast<const std::uint8_t*>(dibCopy.data()), dibCopy.size()))
            brush = CreatePatternBrush(static_cast<HBITMAP>(pattern.GetHandle()));
        }
        p.SetObject(LE32(r, 8), brush ? brush : CreateSolidBrush(0x808080));
        break;
      }
      case EMR_EXTCREATEFONTINDIRECTW: {
        if (r.size() < 12 + 92) break;
        LOGFONTW lf;
        lf.lfHeight = S32(r, 12);
        lf.lfWidth = S32(r, 16);
        lf.lfEscapement = S32(r, 20);
        lf.lfOrientation = S32(r, 24);
        lf.lfWeight = S32(r, 28);
        ReadFontBytes(r, 32, lf);
        for (int i = 0; i < LF_FACESIZE; ++i) lf.lfFaceName[i] = static_cast<WCHAR>(LE16(r, 40 + 2 * i));
        lf.lfFaceName[LF_FACESIZE - 1] = 0;
        p.SetObject(LE32(r, 8), CreateFontIndirectW(&lf));
        break;
      }
      case EMR_SELECTOBJECT:
        if (HGDIOBJ o = p.Object(LE32(r, 8))) SelectObject(dc, o);
        break;
      case EMR_DELETEOBJECT: {
        const std::uint32_t i = LE32(r, 8);
        if (i < p.Objects.size() && p.Objects[i]) {
          DeleteObject(p.Objects[i]);
          p.Objects[i] = nullptr;
        }
        break;
      }
      case EMR_MOVETOEX: MoveToEx(dc, S32(r, 8), S32(r, 12), nullptr); break;
      case EMR_LINETO: LineTo(dc, S32(r, 8), S32(r, 12)); break;
      case EMR_RECTANGLE: Rectangle(dc, S32(r, 8), S32(r, 12), S32(r, 16), S32(r, 20)); break;
      case EMR_ELLIPSE: Ellipse(dc, S32(r, 8), S32(r, 12), S32(r, 16), S32(r, 20)); break;
      case EMR_ROUNDRECT: RoundRect(dc, S32(r, 8), S32(r, 12), S32(r, 16), S32(r, 20), S32(r, 24), S32(r, 28)); break;
      case EMR_ARC:
      case EMR_PIE:
      case EMR_CHORD: {
        auto fn = type == EMR_ARC ? Arc : type == EMR_PIE ? Pie : Chord;
        fn(dc, S32(r, 8), S32(r, 12), S32(r, 16), S32(r, 20), S32(r, 24), S32(r, 28), S32(r, 32), S32(r, 36));
        break;
      }
      case EMR_SETPIXELV: SetPixel(dc, S32(r, 8), S32(r, 12), LE32(r, 16)); break;
      case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIER16: case EMR_POLYLINETO16:
      case EMR_POLYBEZIERTO16: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIER:
      case EMR_POLYLINETO: case EMR_POLYBEZIERTO: {
        const bool small = type >= EMR_POLYBEZIER16;
        if (!readPoints(24, 28, small) || pts.empty()) break;
        const int n = static_cast<int>(pts.size());
        switch (type) {
          case EMR_POLYGON16: case EMR_POLYGON: Polygon(dc, pts.data(), n); break;
          case EMR_POLYLINE16: case EMR_POLYLINE: Polyline(dc, pts.data(), n); break;
          case EMR_POLYBEZIER16: case EMR_POLYBEZIER: PolyBezier(dc, pts.data(), static_cast<DWORD>(n)); break;
          case EMR_POLYLINETO16: case EMR_POLYLINETO: PolylineTo(dc, pts.data(), static_cast<DWORD>(n)); break;
          default: PolyBezierTo(dc, pts.data(), static_cast<DWORD>(n)); break;
        }
        break;
      }
      case EMR_POLYPOLYGON16: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE: {
        const bool small = type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYLINE16;
        const std::uint32_t polys = LE32(r, 24);
        if (polys > r.size() / 4) break;
        counts.clear();
        std::uint64_t total = 0;
        for (std::uint32_t i = 0; i < polys; ++i) {
          counts.push_back(static_cast<INT>(LE32(r, 32 + 4 * i)));
          total += static_cast<std::uint32_t>(counts.back());
        }
        if (!readPoints(28, 32 + 4 * static_cast<std::size_t>(polys), small) || total != pts.size()) break;
        if (type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYGON) {
          PolyPolygon(dc, pts.data(), counts.data(), static_cast<int>(polys));
        } else {
          std::vector<DWORD> c(counts.begin(), counts.end());
          PolyPolyline(dc, pts.data(), c.data(), polys);
        }
        break;
      }
      case EMR_BEGINPATH: BeginPath(dc); break;
      case EMR_ENDPATH: EndPath(dc); break;
      case EMR_CLOSEFIGURE: CloseFigure(dc); break;
      case EMR_ABORTPATH: AbortPath(dc); break;
      case EMR_FILLPATH: FillPath(dc); break;
      case EMR_STROKEPATH: StrokePath(dc); break;
      case EMR_STROKEANDFILLPATH: StrokeAndFillPath(dc); break;
      case EMR_SELECTCLIPPATH: SelectClipPath(dc, static_cast<int>(LE32(r, 8))); break;
      case EMR_INTERSECTCLIPRECT: IntersectClipRect(dc, S32(r, 8), S32(r, 12), S32(r, 16), S32(r, 20)); break;
      case EMR_EXCLUDECLIPRECT: ExcludeClipRect(dc, S32(r, 8), S32(r, 12), S32(r, 16), S32(r, 20)); break;
      case EMR_EXTSELECTCLIPRGN: {
        const std::uint32_t cb = LE32(r, 8);
        if (cb == 0) {
          p.ClipDevice(nullptr, placement);
          break;
        }
        const std::uint32_t n = LE32(r, 16 + 8);
        if (cb > r.size() - 16 || n > (cb - std::min<std::uint32_t>(cb, 32)) / 16) break;
        std::vector<TRect> rects;
        for (std::uint32_t i = 0; i < n; ++i) {
          const std::size_t o = 16 + 32 + 16 * static_cast<std::size_t>(i);
          rects.emplace_back(S32(r, o), S32(r, o + 4), S32(r, o + 8), S32(r, o + 12));
        }
        p.ClipDevice(&rects, placement);
        break;
      }
      case EMR_FILLRGN: {
        // Bounds, the region data's size, the brush, then the region (device units).
        const std::uint32_t cb = LE32(r, 24);
        HGDIOBJ brush = p.Object(LE32(r, 28));
        const std::uint32_t n = LE32(r, 32 + 8);
        if (!brush || cb > r.size() - 32 || n > cb / 16) break;
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        for (std::uint32_t i = 0; i < n; ++i) {
          const std::size_t o = 32 + 32 + 16 * static_cast<std::size_t>(i);
          HRGN part = CreateRectRgn(S32(r, o), S32(r, o + 4), S32(r, o + 8), S32(r, o + 12));
          CombineRgn(rgn, rgn, part, RGN_OR);
          DeleteObject(part);
        }
        FillRgn(dc, rgn, brush);
        DeleteObject(rgn);
        break;
      }
      case EMR_EXTTEXTOUTW:
      case EMR_EXTTEXTOUTA: {
        if (r.size() < 76) break;
        const POINT ref = pt(36);
        const std::uint32_t n = LE32(r, 44), offString = LE32(r, 48), options = LE32(r, 52), offDx = LE32(r, 72);
        const RECT rc{S32(r, 56), S32(r, 60), S32(r, 64), S32(r, 68)};
        const std::size_t unit = type == EMR_EXTTEXTOUTW ? 2 : 1;
        if (offString > r.size() || n > (r.size() - offString) / unit) break;
        std::u16string text;
        for (std::uint32_t i = 0; i < n; ++i)
          text.push_back(unit == 2 ? static_cast<char16_t>(LE16(r, offString + 2 * i))
                                   : static_cast<char16_t>(static_cast<std::uint8_t>(r[offString + i])));
        // With ETO_PDY the advances come in pairs (x and y).
        const std::uint32_t entries = (options & ETO_PDY) ? 2 * n : n;
        std::vector<INT> dx;
        if (offDx && offDx <= r.size() && entries <= (r.size() - offDx) / 4)
          for (std::uint32_t i = 0; i < entries; ++i) dx.push_back(S32(r, offDx + 4 * i));
        const UINT opts = dx.size() == entries ? options : options & ~ETO_PDY;
        ExtTextOutW(dc, ref.X, ref.Y, opts, (options & (ETO_OPAQUE | ETO_CLIPPED)) ? &rc : nullptr, text.data(), n,
                    dx.size() == entries && n ? dx.data() : nullptr);
        break;
      }
      case EMR_SMALLTEXTOUT: {
        // Reference point, count, options, graphics mode, scales, the clip unless ETO_NO_RECT
        // (0x100), then 8-bit characters with ETO_SMALL_CHARS (0x200) or 16-bit ones.
        const UINT options = LE32(r, 20);
        const std::uint32_t n = LE32(r, 16);
        std::size_t o = 36;
        RECT rc{};
        const bool hasRect = !(options & 0x100);
        if (hasRect) {
          rc = {S32(r, 36), S32(r, 40), S32(r, 44), S32(r, 48)};
          o += 16;
        }
        const std::size_t unit = (options & 0x200) ? 1 : 2;
        if (o > r.size() || n > (r.size() - o) / unit) break;
        std::u16string text;
        for (std::uint32_t i = 0; i < n; ++i)
          text.push_back(unit == 2 ? static_cast<char16_t>(LE16(r, o + 2 * i)) : static_cast<std::uint8_t>(r[o + i]));
        const UINT opts = options & (ETO_OPAQUE | ETO_CLIPPED);
        ExtTextOutW(dc, S32(r, 8), S32(r, 12), hasRect ? opts : 0, hasRect && opts ? &rc : nullptr, text.data(), n, nullptr);
        break;
      }
      case EMR_POLYTEXTOUTW: {
        const std::uint32_t count = LE32(r, 36);
        if (count > (r.size() - std::min<std::size_t>(40, r.size())) / 40) break;
        for (std::uint32_t k = 0; k < count; ++k) {
          const std::size_t e = 40 + 40 * static_cast<std::size_t>(k);
          const std::uint32_t n = LE32(r, e + 8), offString = LE32(r, e + 12), options = LE32(r, e + 16) & ~ETO_PDY;
          const std::uint32_t offDx = LE32(r, e + 36);
          const RECT rc{S32(r, e + 20), S32(r, e + 24), S32(r, e + 28), S32(r, e + 32)};
          if (offString > r.size() || n > (r.size() - offString) / 2) continue;
          std::u16string text;
          for (std::uint32_t i = 0; i < n; ++i) text.push_back(static_cast<char16_t>(LE16(r, offString + 2 * i)));
          std::vector<INT> dx;
          if (offDx && offDx <= r.size() && n <= (r.size() - offDx) / 4)
            for (std::uint32_t i = 0; i < n; ++i) dx.push_back(S32(r, offDx + 4 * i));
          ExtTextOutW(dc, S32(r, e), S32(r, e + 4), options, (options & (ETO_OPAQUE | ETO_CLIPPED)) ? &rc : nullptr,
                      text.data(), n, dx.size() == n && n ? dx.data() : nullptr);
        }
        break;
      }
      case EMR_PAINTRGN:
      case EMR_INVERTRGN:
      case EMR_FRAMERGN: {
        // The region's rectangles: filled with the selected brush, inverted, or framed.
        const std::size_t data = type == EMR_FRAMERGN ? 40 : 28;
        const std::uint32_t cb = LE32(r, 24);
        const std::uint32_t n = LE32(r, data + 8);
        if (cb > r.size() - std::min(data, r.size()) || n > cb / 16) break;
        HGDIOBJ brush = type == EMR_FRAMERGN ? p.Object(LE32(r, 28)) : GetCurrentObject(dc, OBJ_BRUSH);
        for (std::uint32_t i = 0; i < n; ++i) {
          const std::size_t o = data + 32 + 16 * static_cast<std::size_t>(i);
          const RECT rc{S32(r, o), S32(r, o + 4), S32(r, o + 8), S32(r, o + 12)};
          if (type == EMR_INVERTRGN) InvertRect(dc, &rc);
          else if (brush && type == EMR_FRAMERGN) FrameRect(dc, &rc, brush);
          else if (brush) FillRect(dc, &rc, brush);
        }
        break;
      }
      case EMR_GRADIENTFILL: {
        // Vertices (x, y, 16-bit red, green, blue, alpha), then rectangles or triangles.
        const std::uint32_t nv = LE32(r, 24), nt = LE32(r, 28), mode = LE32(r, 32);
        if (nv > (r.size() - std::min<std::size_t>(36, r.size())) / 16) break;
        const std::size_t meshAt = 36 + 16 * static_cast<std::size_t>(nv);
        const std::size_t meshSize = mode == 2 ? 12 : 8;
        if (nt > (r.size() - std::min(meshAt, r.size())) / meshSize) break;
        auto vx = [&](std::uint32_t i) { return S32(r, 36 + 16 * static_cast<std::size_t>(i)); };
        auto vy = [&](std::uint32_t i) { return S32(r, 40 + 16 * static_cast<std::size_t>(i)); };
        auto vc = [&](std::uint32_t i, int c) { return static_cast<int>(LE16(r, 44 + 16 * static_cast<std::size_t>(i) + 2 * c) >> 8); };
        for (std::uint32_t t = 0; t < nt; ++t) {
          const std::size_t m = meshAt + meshSize * t;
          if (mode == 2) {
            // Triangles in their mean colour.
            std::uint32_t v[3] = {LE32(r, m), LE32(r, m + 4), LE32(r, m + 8)};
            if (v[0] >= nv || v[1] >= nv || v[2] >= nv) continue;
            int c[3] = {0, 0, 0};
            POINT tri[3];
            for (int k = 0; k < 3; ++k) {
              tri[k] = {vx(v[k]), vy(v[k])};
              for (int ch = 0; ch < 3; ++ch) c[ch] += vc(v[k], ch);
            }
            HBRUSH b = CreateSolidBrush(RGB(static_cast<BYTE>(c[0] / 3), static_cast<BYTE>(c[1] / 3), static_cast<BYTE>(c[2] / 3)));
            HGDIOBJ oldBrush = SelectObject(dc, b);
            HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
            Polygon(dc, tri, 3);
            SelectObject(dc, oldPen);
            SelectObject(dc, oldBrush);
            DeleteObject(b);
            continue;
          }
          const std::uint32_t a = LE32(r, m), b = LE32(r, m + 4);
          if (a >= nv || b >= nv) continue;
          const LONG x0 = std::min(vx(a), vx(b)), x1 = std::max(vx(a), vx(b));
          const LONG y0 = std::min(vy(a), vy(b)), y1 = std::max(vy(a), vy(b));
          const bool horizontal = mode == 0;
          const LONG span = horizontal ? x1 - x0 : y1 - y0;
          if (span <= 0 || span > 8192) continue;
          const std::uint32_t from = (horizontal ? vx(a) <= vx(b) : vy(a) <= vy(b)) ? a : b, to = from == a ? b : a;
          for (LONG i = 0; i < span; ++i) {
            auto mix = [&](int ch) {
              return static_cast<BYTE>(vc(from, ch) + (vc(to, ch) - vc(from, ch)) * (2 * i + 1) / (2 * span));
            };
            HBRUSH br = CreateSolidBrush(RGB(mix(0), mix(1), mix(2)));
            const RECT strip = horizontal ? RECT{x0 + i, y0, x0 + i + 1, y1} : RECT{x0, y0 + i, x1, y0 + i + 1};
            FillRect(dc, &strip, br);
            DeleteObject(br);
          }
        }
        break;
      }
      case EMR_BITBLT:
      case EMR_STRETCHBLT: {
        // Bounds, destination, rop, source origin, source transform, colour, usage, the DIB.
        const LONG x = S32(r, 24), y = S32(r, 28), w = S32(r, 32), h = S32(r, 36);
        const DWORD rop = LE32(r, 40);
        const std::uint32_t cbBmi = LE32(r, 84);
        if (cbBmi == 0) {
          PatBlt(dc, x, y, w, h, rop);
          break;
        }
        const BITMAPINFO* bmi;
        const void* b;
        if (!DibAt(r, LE32(r, 80), cbBmi, LE32(r, 88), LE32(r, 92), bmi, b, dibCopy)) break;
        const LONG sw = type == EMR_STRETCHBLT ? S32(r, 100) : w, sh = type == EMR_STRETCHBLT ? S32(r, 104) : h;
        const int ht = std::abs(static_cast<int>(bmi->bmiHeader.biHeight));
        // Source rows count from the top; a bottom-up DIB counts them from the bottom.
        const LONG sy = bmi->bmiHeader.biHeight > 0 ? ht - S32(r, 48) - sh : S32(r, 48);
        StretchDIBits(dc, x, y, w, h, S32(r, 44), sy, sw, sh, b, bmi, LE32(r, 76), rop);
        break;
      }
      case EMR_STRETCHDIBITS: {
        const BITMAPINFO* bmi;
        const void* b;
        if (!DibAt(r, LE32(r, 48), LE32(r, 52), LE32(r, 56), LE32(r, 60), bmi, b, dibCopy)) break;
        StretchDIBits(dc, S32(r, 24), S32(r, 28), S32(r, 72), S32(r, 76), S32(r, 32), S32(r, 36), S32(r, 40),
                      S32(r, 44), b, bmi, LE32(r, 64), LE32(r, 68));
        break;
      }
      case EMR_SETDIBITSTODEVICE: {
        const BITMAPINFO* bmi;
        const void* b;
        if (!DibAt(r, LE32(r, 48), LE32(r, 52), LE32(r, 56), LE32(r, 60), bmi, b, dibCopy)) break;
        SetDIBitsToDevice(dc, S32(r, 24), S32(r, 28), LE32(r, 40), LE32(r, 44), S32(r, 32), S32(r, 36), LE32(r, 68),
                          LE32(r, 72), b, bmi, LE32(r, 64));
        break;
      }
      case EMR_ALPHABLEND:
      case EMR_TRANSPARENTBLT: {
        const BITMAPINFO* bmi;
        const void* b;
        if (!DibAt(r, LE32(r, 84), LE32(r, 88), LE32(r, 92), LE32(r, 96), bmi, b, dibCopy)) break;
        TBitmap src;
        if (!src.LoadFromDIB(reinterpret_cast<const std::uint8_t*>(dibCopy.data()), dibCopy.size())) break;
        src.SetPixelFormat(pf32bit);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, static_cast<HBITMAP>(src.GetHandle()));
        const LONG x = S32(r, 24), y = S32(r, 28), w = S32(r, 32), h = S32(r, 36);
        const DWORD op = LE32(r, 40);
        if (type == EMR_ALPHABLEND) {
          BLENDFUNCTION bf;
          bf.BlendOp = static_cast<BYTE>(op & 0xFF);
          bf.BlendFlags = static_cast<BYTE>((op >> 8) & 0xFF);
          bf.SourceConstantAlpha = static_cast<BYTE>((op >> 16) & 0xFF);
          bf.AlphaFormat = static_cast<BYTE>((op >> 24) & 0xFF);
          AlphaBlend(dc, x, y, w, h, mem, S32(r, 44), S32(r, 48), S32(r, 100), S32(r, 104), bf);
        } else {
          TransparentBlt(dc, x, y, w, h, mem, S32(r, 44), S32(r, 48), S32(r, 100), S32(r, 104), op);
        }
        SelectObject(mem, old);
        DeleteDC(mem);
        break;
      }
      default:
        break;  // comments, palettes, colour management and the rest draw nothing
    }
  }
  return TRUE;
}

// ---- Windows metafiles ----------------------------------------------------------------------------

BOOL PlayWinMetaFile(HDC dc, const BYTE* data, UINT size, const RECT& bbox, const RECT& rect) {
  if (!dc || !data) return FALSE;
  const std::string_view d(reinterpret_cast<const char*>(data), size);
  if (d.size() < 18) return FALSE;
  const std::size_t headerWords = LE16(d, 2);
  const std::uint32_t objects = LE16(d, 10);
  TPlayerBase p(dc);
  p.Objects.assign(std::max<std::uint32_t>(objects, 1), nullptr);
  // The window the records set (or the bounding box) is mapped onto the rectangle.
  TPoint org{bbox.Left, bbox.Top};
  TSize ext{bbox.Width() ? bbox.Width() : 1, bbox.Height() ? bbox.Height() : 1};
  std::vector<std::pair<TPoint, TSize>> stack;
  auto apply = [&] {
    const double sx = double(rect.Width()) / (ext.cx ? ext.cx : 1), sy = double(rect.Height()) / (ext.cy ? ext.cy : 1);
    p.State = TPageState{};
    p.Apply(TAffine{sx, 0, 0, sy, rect.Left - org.X * sx, rect.Top - org.Y * sy});
  };
  apply();
  // Text bytes are in the code page of the selected font's character set.
  std::vector<int> charsets(p.Objects.size(), -1);
  BYTE charset = DEFAULT_CHARSET;
  auto addObject = [&](HGDIOBJ obj, int fontCharset = -1) {
    for (std::size_t i = 0; i < p.Objects.size(); ++i)
      if (!p.Objects[i]) {
        p.Objects[i] = obj;
        charsets.resize(p.Objects.size(), -1);
        charsets[i] = fontCharset;
        return;
      }
    p.Objects.push_back(obj);
    charsets.resize(p.Objects.size(), -1);
    charsets.back() = fontCharset;
  };
  auto decode = [&](std::string_view bytes) {
    std::u16string text;
    if (charset == SYMBOL_CHARSET || !CodePageToUnicode(CharsetCodePage(charset), 0, bytes, text)) {
      text.clear();
      for (char b : bytes) text.push_back(static_cast<std::uint8_t>(b));
    }
    return text;
  };
  std::string dibCopy;
  std::vector<POINT> pts;
  std::size_t at = headerWords * 2;
  while (at + 6 <= d.size()) {
    const std::uint64_t words = LE32(d, at);
    const std::uint32_t fn = LE16(d, at + 4);
    if (words < 3 || words * 2 > d.size() - at) break;
    const std::string_view r = d.substr(at + 6, static_cast<std::size_t>(words * 2 - 6));
    at += static_cast<std::size_t>(words * 2);
    auto w = [&](std::size_t i) { return S16(r, 2 * i); };
    auto color = [&](std::size_t i) { return LE32(r, 2 * i); };
    auto dibAt = [&](std::size_t byteOffset, const BITMAPINFO*& bmi, const void*& bits) {
      if (byteOffset + 40 > r.size()) return false;
      const std::string_view h = r.substr(byteOffset);
      const std::uint32_t hs = LE32(h, 0), bc = LE16(h, 14), used = LE32(h, 32), comp = LE32(h, 16);
      std::size_t colors = used ? used : (bc <= 8 ? (1u << bc) : 0);
      if (comp == BI_BITFIELDS) colors = 3;
      const std::size_t cb = hs + colors * 4;
      if (hs < 40 || cb > h.size()) return false;
      return DibAt(r, static_cast<std::uint32_t>(byteOffset), static_cast<std::uint32_t>(cb),
                   static_cast<std::uint32_t>(byteOffset + cb), static_cast<std::uint32_t>(h.size() - cb), bmi, bits,
                   dibCopy);
    };
    switch (fn) {
      case 0x0000: at = d.size(); break;
      case 0x020B: org = {w(1), w(0)}; apply(); break;   // SETWINDOWORG
      case 0x020C: ext = {w(1), w(0)}; apply(); break;   // SETWINDOWEXT
      case 0x0103: break;                                  // SETMAPMODE: the placement decides
      case 0x0201: SetBkColor(dc, color(0)); break;
      case 0x0209: SetTextColor(dc, color(0)); break;
      case 0x0102: SetBkMode(dc, w(0)); break;
      case 0x0104: SetROP2(dc, w(0)); break;
      case 0x0106: SetPolyFillMode(dc, w(0)); break;
      case 0x0107: SetStretchBltMode(dc, w(0)); break;
      case 0x012E: SetTextAlign(dc, static_cast<UINT>(static_cast<std::uint16_t>(w(0)))); break;
      case 0x001E:
        SaveDC(dc);
        stack.emplace_back(org, ext);
        break;
      case 0x0127:
        if (w(0) < 0 && static_cast<std::size_t>(-w(0)) <= stack.size()) {
          RestoreDC(dc, w(0));
          const auto s = stack[stack.size() + w(0)];
          stack.resize(stack.size() + w(0));
          org = s.first;
          ext = s.second;
          apply();
        }
        break;
      case 0x02FA: {  // CREATEPENINDIRECT
        LOGPEN lp;
        lp.lopnStyle = static_cast<std::uint16_t>(w(0));
        lp.lopnWidth = {w(1), 0};
        lp.lopnColor = color(3);
        addObject(CreatePenIndirect(&lp));
        break;
      }
      case 0x02FC: {  // CREATEBRUSHINDIRECT
        LOGBRUSH lb;
        lb.lbStyle = RecordBrushStyle(static_cast<std::uint16_t>(w(0)));
        lb.lbColor = color(1);
        lb.lbHatch = static_cast<std::uint16_t>(w(3));
        addObject(CreateBrushIndirect(&lb));
        break;
      }
      case 0x02FB: {  // CREATEFONTINDIRECT
        LOGFONTW lf;
        lf.lfHeight = w(0);
        lf.lfWidth = w(1);
        lf.lfEscapement = w(2);
        lf.lfOrientation = w(3);
        lf.lfWeight = w(4);
        ReadFontBytes(r, 10, lf);
        for (int i = 0; i < LF_FACESIZE - 1 && 18 + static_cast<std::size_t>(i) < r.size(); ++i) {
          const auto c = static_cast<std::uint8_t>(r[18 + i]);
          if (!c) break;
          lf.lfFaceName[i] = c;
        }
        addObject(CreateFontIndirectW(&lf), lf.lfCharSet);
        break;
      }
      case 0x0142: {  // DIBCREATEPATTERNBRUSH
        const BITMAPINFO* bmi;
        const void* b;
        HBRUSH brush = nullptr;
        if (dibAt(4, bmi, b)) {
          TBitmap pattern;
          if (pattern.LoadFromDIB(reinterpret_cast<const std::uint8_t*>(dibCopy.data()), dibCopy.size()))
            brush = CreatePatternBrush(static_cast<HBITMAP>(pattern.GetHandle()));
        }
        addObject(brush ? brush : CreateSolidBrush(0x808080));
        break;
      }
      case 0x00F7:   // CREATEPALETTE
      case 0x06FF:   // CREATEREGION
      case 0x01F9:   // CREATEPATTERNBRUSH
        addObject(CreateSolidBrush(0));  // holds the slot; such objects draw nothing here
        break;
      case 0x012D: {  // SELECTOBJECT
        const auto i = static_cast<std::uint16_t>(w(0));
        if (i < p.Objects.size() && p.Objects[i]) {
          SelectObject(dc, p.Objects[i]);
          if (i < charsets.size() && charsets[i] >= 0) charset = static_cast<BYTE>(charsets[i]);
        }
        break;
      }
      case 0x01F0: {  // DELETEOBJECT
        const auto i = static_cast<std::uint16_t>(w(0));
        if (i < p.Objects.size() && p.Objects[i]) {
          DeleteObject(p.Objects[i]);
          p.Objects[i] = nullptr;
        }
        break;
      }
      case 0x0214: MoveToEx(dc, w(1), w(0), nullptr); break;
      case 0x0213: LineTo(dc, w(1), w(0)); break;
      case 0x041B: Rectangle(dc, w(3), w(2), w(1), w(0)); break;
      case 0x0418: Ellipse(dc, w(3), w(2), w(1), w(0)); break;
      case 0x061C: RoundRect(dc, w(5), w(4), w(3), w(2), w(1), w(0)); break;
      case 0x0817: Arc(dc, w(7), w(6), w(5), w(4), w(3), w(2), w(1), w(0)); break;
      case 0x081A: Pie(dc, w(7), w(6), w(5), w(4), w(3), w(2), w(1), w(0)); break;
      case 0x0830: Chord(dc, w(7), w(6), w(5), w(4), w(3), w(2), w(1), w(0)); break;
      case 0x041F: SetPixel(dc, w(3), w(2), color(0)); break;
      case 0x0416: IntersectClipRect(dc, w(3), w(2), w(1), w(0)); break;
      case 0x0415: ExcludeClipRect(dc, w(3), w(2), w(1), w(0)); break;
      case 0x0324:
      case 0x0325: {  // POLYGON, POLYLINE
        const int n = w(0);
        if (n <= 0 || static_cast<std::size_t>(1 + 2 * n) * 2 > r.size()) break;
        pts.clear();
        for (int i = 0; i < n; ++i) pts.push_back({w(1 + 2 * i), w(2 + 2 * i)});
        if (fn == 0x0324) Polygon(dc, pts.data(), n);
        else Polyline(dc, pts.data(), n);
        break;
      }
      case 0x0538: {  // POLYPOLYGON
        const int polys = w(0);
        if (polys <= 0 || static_cast<std::size_t>(1 + polys) * 2 > r.size()) break;
        std::vector<INT> counts;
        std::size_t total = 0;
        for (int i = 0; i < polys; ++i) {
          counts.push_back(std::max(w(1 + i), 0));
          total += static_cast<std::size_t>(counts.back());
        }
        const std::size_t first = 1 + polys;
        if ((first + 2 * total) * 2 > r.size()) break;
        pts.clear();
        for (std::size_t i = 0; i < total; ++i) pts.push_back({w(first + 2 * i), w(first + 2 * i + 1)});
        PolyPolygon(dc, pts.data(), counts.data(), polys);
        break;
      }
      case 0x0521: {  // TEXTOUT: count, string, y, x
        const int n = w(0);
        const std::size_t strWords = (static_cast<std::size_t>(std::max(n, 0)) + 1) / 2;
        if (n <= 0 || (1 + strWords + 2) * 2 > r.size()) break;
        const std::u16string text = decode(r.substr(2, static_cast<std::size_t>(n)));
        TextOutW(dc, w(1 + strWords + 1), w(1 + strWords), text.data(), static_cast<int>(text.size()));
        break;
      }
      case 0x0A32: {  // EXTTEXTOUT: y, x, count, options, [rect], string, [dx]
        const int y = w(0), x = w(1), n = w(2);
        // Windows-format advances are single values.
        const UINT options = static_cast<std::uint16_t>(w(3)) & ~ETO_PDY;
        std::size_t pos = 4;
        RECT rc;
        const bool hasRect = options & (ETO_OPAQUE | ETO_CLIPPED);
        if (hasRect) {
          rc = {w(4), w(5), w(6), w(7)};
          pos = 8;
        }
        if (n < 0 || pos * 2 + static_cast<std::size_t>(n) > r.size()) break;
        const std::string_view bytes = r.substr(pos * 2, static_cast<std::size_t>(n));
        const std::u16string text = decode(bytes);
        pos += (static_cast<std::size_t>(n) + 1) / 2;
        // One advance per byte; a character made of two bytes takes the sum of both.
        std::vector<INT> dx;
        if ((pos + static_cast<std::size_t>(n)) * 2 <= r.size()) {
          if (text.size() == static_cast<std::size_t>(n)) {
            for (int i = 0; i < n; ++i) dx.push_back(w(pos + i));
          } else {
            std::size_t b = 0;
            for (std::size_t k = 0; k < text.size() && b < bytes.size(); ++k) {
              std::string one;
              UnicodeToCodePage(CharsetCodePage(charset), 0, std::u16string_view(text).substr(k, 1), one);
              INT sum = 0;
              for (std::size_t e = 0; e < std::max<std::size_t>(one.size(), 1) && b < bytes.size(); ++e, ++b)
                sum += w(pos + b);
              dx.push_back(sum);
            }
          }
        }
        ExtTextOutW(dc, x, y, options, hasRect ? &rc : nullptr, text.data(), static_cast<UINT>(text.size()),
                    dx.size() == text.size() && !text.empty() ? dx.data() : nullptr);
        break;
      }
      case 0x0F43: {  // STRETCHDIB: rop, usage, sh, sw, sy, sx, dh, dw, dy, dx, DIB
        const BITMAPINFO* bmi;
        const void* b;
        if (!dibAt(22, bmi, b)) break;
        // The source origin is StretchDIBits's own (from the bottom row of a bottom-up bitmap).
        StretchDIBits(dc, w(10), w(9), w(8), w(7), w(6), w(5), w(4), w(3), b, bmi, static_cast<UINT>(w(2)), color(0));
        break;
      }
      case 0x0B41:    // DIBSTRETCHBLT: rop, sh, sw, sy, sx, dh, dw, dy, dx, DIB
      case 0x0940: {  // DIBBITBLT: rop, sy, sx, h, w, dy, dx, DIB
        const bool stretch = fn == 0x0B41;
        const std::size_t fixedWords = stretch ? 10 : 8;
        const DWORD rop = color(0);
        if (r.size() <= fixedWords * 2 + 2) {
          // No bitmap: a pattern fill (one more reserved word before the destination).
          if (stretch) PatBlt(dc, w(10), w(9), w(8), w(7), rop);
          else PatBlt(dc, w(8), w(7), w(6), w(5), rop);
          break;
        }
        const BITMAPINFO* bmi;
        const void* b;
        if (!dibAt(fixedWords * 2, bmi, b)) break;
        const int ht = std::abs(static_cast<int>(bmi->bmiHeader.biHeight));
        if (stretch) {
          const int sh = w(2), sy = w(4);
          StretchDIBits(dc, w(9), w(8), w(7), w(6), w(5), bmi->bmiHeader.biHeight > 0 ? ht - sy - sh : sy, w(3), sh, b,
                        bmi, DIB_RGB_COLORS, rop);
        } else {
          const int hh = w(4), sy = w(2);
          StretchDIBits(dc, w(7), w(6), w(5), hh, w(3), bmi->bmiHeader.biHeight > 0 ? ht - sy - hh : sy, w(5), hh, b,
                        bmi, DIB_RGB_COLORS, rop);
        }
        break;
      }
      default:
        break;  // palettes, escapes and the rest draw nothing
    }
  }
  return TRUE;
}
