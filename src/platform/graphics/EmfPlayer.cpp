// Playback of enhanced and Windows metafiles onto any device context. The player keeps the
// picture's own mapping (map mode, window, viewport, world transform) and sets the target's world
// transform to that mapping followed by the placement of the picture in the target rectangle, so
// pens, fonts and clip rectangles scale with the picture.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/base/NLS.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileRecords.h"

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

// A bitmap from a packed DIB inside a Windows-format record, drawn through StretchDIBits.
bool DibAt(std::string_view rec, std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits, std::uint32_t cbBits,
           const BITMAPINFO*& bmi, const void*& bits, std::string& copy) {
  if (cbBmi < 40 || offBmi > rec.size() || cbBmi > rec.size() - offBmi || offBits > rec.size() ||
      cbBits > rec.size() - offBits)
    return false;
  const std::string_view h = rec.substr(offBmi, cbBmi);
  const std::int64_t w = static_cast<std::int32_t>(LE32(h, 4)), ht = static_cast<std::int32_t>(LE32(h, 8));
  const std::uint32_t bc = LE16(h, 14);
  if (w <= 0 || ht == 0 || w > MaxPictureSide || std::abs(ht) > MaxPictureSide ||
      w * std::abs(ht) > PicturePixelBudget() || (bc != 1 && bc != 4 && bc != 8 && bc != 16 && bc != 24 && bc != 32))
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


// ---- enhanced metafiles ---------------------------------------------------------------------------

// Plays the records one by one: each record type has its handler, found in one table.
class TEmfPlayer : public TPlayerBase {
 public:
  TEmfPlayer(HDC dc, const TAffine& placement) : TPlayerBase(dc), Placement(placement) {}

  void Play(std::string_view bits) {
    TEmfRecordReader records(bits);
    while (records.Next())
      if (const THandler h = HandlerFor(records.Type())) (this->*h)(records.Type(), records.Record());
  }

 private:
  using R = const TRecordView&;
  using THandler = void (TEmfPlayer::*)(DWORD type, R r);
  static THandler HandlerFor(DWORD type);

  // A record's bitmap as StretchDIBits takes it: header and colours, then the bits, copied so
  // that both are aligned.
  bool Dib(const TRecordDib& dib, const BITMAPINFO*& bmi, const void*& bits) {
    DibCopy = dib.Packed();
    bmi = reinterpret_cast<const BITMAPINFO*>(DibCopy.data());
    bits = DibCopy.data() + dib.Info.size();
    return true;
  }
  // The characters of a text record: 16-bit, or 8-bit ones widened.
  static bool ReadText(R r, std::size_t at, std::uint32_t n, std::size_t unit, std::u16string& text) {
    if (at > r.Size() || !r.HasArray(at, n, unit)) return false;
    text.clear();
    for (std::uint32_t i = 0; i < n; ++i)
      text.push_back(unit == 2 ? static_cast<char16_t>(r.U16(at + 2 * i)) : static_cast<char16_t>(r.U8(at + i)));
    return true;
  }
  // The advances of a text part: one per character, two (x and y) with ETO_PDY. Empty when
  // the record has none or they do not fit.
  static std::vector<INT> ReadAdvances(const TEmrText& t) {
    std::vector<INT> dx;
    if (!t.HasAdvances()) return dx;
    const std::uint64_t entries = (t.Options() & ETO_PDY) ? 2 * std::uint64_t(t.Count()) : t.Count();
    for (std::uint64_t i = 0; i < entries; ++i) dx.push_back(t.Advance(i));
    return dx;
  }
  void TextRun(int x, int y, UINT options, const RECT& rc, const std::u16string& text, const std::vector<INT>& dx) {
    const std::size_t n = text.size();
    const bool full = !dx.empty() && dx.size() == ((options & ETO_PDY) ? 2 * n : n);
    ExtTextOutW(DC, x, y, full ? options : options & ~ETO_PDY, (options & (ETO_OPAQUE | ETO_CLIPPED)) ? &rc : nullptr,
                text.data(), static_cast<UINT>(n), full && n ? dx.data() : nullptr);
  }

  // Mapping: map mode, window, viewport, their scaling and the world transform.
  void Mapping(DWORD type, R r) {
    switch (type) {
      case EMR_SETMAPMODE: State.MapMode = TEmrValue{r}.Signed(); break;
      case EMR_SETWINDOWORGEX: State.WindowOrg = TEmrPoint{r}.Point(); break;
      case EMR_SETWINDOWEXTEX:
        if (!TEmrExtent{r}.Extent(State.WindowExt)) return;
        break;
      case EMR_SETVIEWPORTORGEX: State.ViewportOrg = TEmrPoint{r}.Point(); break;
      case EMR_SETVIEWPORTEXTEX:
        if (!TEmrExtent{r}.Extent(State.ViewportExt)) return;
        break;
      default: return;
    }
    Apply(Placement);
  }
  void ScaleExtent(DWORD type, R r) {
    if (!TEmrScaleExtent{r}.Scale(type == EMR_SCALEVIEWPORTEXTEX ? State.ViewportExt : State.WindowExt)) return;
    Apply(Placement);
  }
  void WorldTransform(DWORD type, R r) {
    const TEmrTransform t{r};
    const TAffine m = TAffine::From(t.Transform());
    const DWORD mode = type == EMR_SETWORLDTRANSFORM ? 0 : t.Mode();
    if (type == EMR_SETWORLDTRANSFORM) State.World = m;
    else if (mode == MWT_IDENTITY) State.World = TAffine{};
    else if (mode == MWT_LEFTMULTIPLY) State.World = m.Then(State.World);
    else if (mode == MWT_RIGHTMULTIPLY) State.World = State.World.Then(m);
    Apply(Placement);
  }
  void Save(DWORD, R) {
    SaveDC(DC);
    Stack.push_back(State);
  }
  void Restore(DWORD, R r) {
    const int rel = std::clamp(TEmrValue{r}.Signed(), -(1 << 27), 1 << 27);
    if (rel >= 0 || static_cast<std::size_t>(-rel) > Stack.size()) return;
    RestoreDC(DC, rel);
    State = Stack[Stack.size() + rel];
    Stack.resize(Stack.size() + rel);
    Apply(Placement);
  }
  // Modes and colours that go to the target as they stand.
  void SetMode(DWORD type, R r) {
    const DWORD v = TEmrValue{r}.Value();
    switch (type) {
      case EMR_SETBKMODE: SetBkMode(DC, static_cast<int>(v)); break;
      case EMR_SETBKCOLOR: SetBkColor(DC, v); break;
      case EMR_SETTEXTCOLOR: SetTextColor(DC, v); break;
      case EMR_SETTEXTALIGN: SetTextAlign(DC, v); break;
      case EMR_SETROP2: SetROP2(DC, static_cast<int>(v)); break;
      case EMR_SETPOLYFILLMODE: SetPolyFillMode(DC, static_cast<int>(v)); break;
      case EMR_SETSTRETCHBLTMODE: SetStretchBltMode(DC, static_cast<int>(v)); break;
      case EMR_SETBRUSHORGEX: SetBrushOrgEx(DC, TEmrPoint{r}.Point().X, TEmrPoint{r}.Point().Y, nullptr); break;
      default: break;
    }
  }

  // Objects.
  void CreatePen(DWORD, R r) {
    const TEmrCreatePen p{r};
    LOGPEN lp;
    lp.lopnStyle = p.Style();
    lp.lopnWidth = {p.Width(), 0};
    lp.lopnColor = p.Color();
    SetObject(p.Index(), CreatePenIndirect(&lp));
  }
  void ExtCreatePen(DWORD, R r) {
    const TEmrExtCreatePen p{r};
    LOGBRUSH lb;
    lb.lbStyle = RecordBrushStyle(p.BrushStyle());
    lb.lbColor = p.Color();
    lb.lbHatch = p.Hatch();
    SetObject(p.Index(), ::ExtCreatePen(p.Style(), std::min<std::uint32_t>(p.Width(), 1u << 27), &lb, 0, nullptr));
  }
  void CreateBrush(DWORD, R r) {
    const TEmrCreateBrush b{r};
    LOGBRUSH lb;
    lb.lbStyle = RecordBrushStyle(b.Style());
    lb.lbColor = b.Color();
    lb.lbHatch = b.Hatch();
    SetObject(b.Index(), CreateBrushIndirect(&lb));
  }
  void CreatePatternBrush(DWORD, R r) {
    const TEmrCreateDibBrush b{r};
    TRecordDib dib;
    HBRUSH brush = nullptr;
    if (b.Dib(dib)) {
      const std::string packed = dib.Packed();
      TBitmap pattern;
      if (pattern.LoadFromDIB(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size()))
        brush = ::CreatePatternBrush(static_cast<HBITMAP>(pattern.GetHandle()));
    }
    SetObject(b.Index(), brush ? brush : CreateSolidBrush(0x808080));
  }
  void CreateFont(DWORD, R r) {
    const TEmrCreateFont f{r};
    LOGFONTW lf;
    if (!f.Font(lf)) return;
    SetObject(f.Index(), CreateFontIndirectW(&lf));
  }
  void Select(DWORD, R r) {
    if (HGDIOBJ o = Object(TEmrValue{r}.Value())) SelectObject(DC, o);
  }
  void Delete(DWORD, R r) {
    const std::uint32_t i = TEmrValue{r}.Value();
    if (i < Objects.size() && Objects[i]) {
      DeleteObject(Objects[i]);
      Objects[i] = nullptr;
    }
  }

  // Shapes.
  void MoveTo(DWORD, R r) {
    const POINT p = TEmrPoint{r}.Point();
    MoveToEx(DC, p.X, p.Y, nullptr);
  }
  void Line(DWORD, R r) {
    const POINT p = TEmrPoint{r}.Point();
    LineTo(DC, p.X, p.Y);
  }
  void Box(DWORD type, R r) {
    const TEmrBox box{r};
    const RECT rc = box.Box();
    const LONG l = rc.Left, t = rc.Top, rt = rc.Right, b = rc.Bottom;
    switch (type) {
      case EMR_RECTANGLE: Rectangle(DC, l, t, rt, b); break;
      case EMR_ELLIPSE: Ellipse(DC, l, t, rt, b); break;
      case EMR_ROUNDRECT: RoundRect(DC, l, t, rt, b, box.Corner().cx, box.Corner().cy); break;
      default: {
        auto fn = type == EMR_ARC ? Arc : type == EMR_PIE ? Pie : Chord;
        fn(DC, l, t, rt, b, box.Start().X, box.Start().Y, box.End().X, box.End().Y);
      }
    }
  }
  void Pixel(DWORD, R r) {
    const TEmrPixel p{r};
    SetPixel(DC, p.Point().X, p.Point().Y, p.Color());
  }
  void Poly(DWORD type, R r) {
    const TEmrPoly poly{r, type >= EMR_POLYBEZIER16};
    if (!poly.Valid() || poly.Count() == 0) return;
    Pts.clear();
    for (std::uint32_t i = 0; i < poly.Count(); ++i) Pts.push_back(poly.At(i));
    const int n = static_cast<int>(Pts.size());
    switch (type) {
      case EMR_POLYGON16: case EMR_POLYGON: Polygon(DC, Pts.data(), n); break;
      case EMR_POLYLINE16: case EMR_POLYLINE: Polyline(DC, Pts.data(), n); break;
      case EMR_POLYBEZIER16: case EMR_POLYBEZIER: PolyBezier(DC, Pts.data(), static_cast<DWORD>(n)); break;
      case EMR_POLYLINETO16: case EMR_POLYLINETO: PolylineTo(DC, Pts.data(), static_cast<DWORD>(n)); break;
      default: PolyBezierTo(DC, Pts.data(), static_cast<DWORD>(n)); break;
    }
  }
  void PolyPoly(DWORD type, R r) {
    const TEmrPolyPoly pp{r, type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYLINE16};
    if (!pp.Valid()) return;
    const std::uint32_t polys = pp.Figures();
    Counts.clear();
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < polys; ++i) {
      const std::uint32_t c = pp.FigureCount(i);
      if (c > 0x7FFFFFFFu) return;
      Counts.push_back(static_cast<INT>(c));
      total += c;
    }
    if (total != pp.Total()) return;
    Pts.clear();
    for (std::uint64_t i = 0; i < total; ++i) Pts.push_back(pp.At(i));
    if (type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYGON) {
      PolyPolygon(DC, Pts.data(), Counts.data(), static_cast<int>(polys));
    } else {
      std::vector<DWORD> c(Counts.begin(), Counts.end());
      PolyPolyline(DC, Pts.data(), c.data(), polys);
    }
  }
  void Path(DWORD type, R r) {
    switch (type) {
      case EMR_BEGINPATH: BeginPath(DC); break;
      case EMR_ENDPATH: EndPath(DC); break;
      case EMR_CLOSEFIGURE: CloseFigure(DC); break;
      case EMR_ABORTPATH: AbortPath(DC); break;
      case EMR_FILLPATH: FillPath(DC); break;
      case EMR_STROKEPATH: StrokePath(DC); break;
      case EMR_STROKEANDFILLPATH: StrokeAndFillPath(DC); break;
      case EMR_SELECTCLIPPATH: SelectClipPath(DC, TEmrValue{r}.Signed()); break;
      default: break;
    }
  }

  // Clipping and regions. A region's rectangles follow its 32-byte header, in device units.
  void ClipRect(DWORD type, R r) {
    const RECT c = TEmrClipRect{r}.Rect();
    if (type == EMR_INTERSECTCLIPRECT) IntersectClipRect(DC, c.Left, c.Top, c.Right, c.Bottom);
    else ExcludeClipRect(DC, c.Left, c.Top, c.Right, c.Bottom);
  }
  void ClipRegion(DWORD, R r) {
    const TEmrClipRegion c{r};
    if (c.Cb() == 0) {
      ClipDevice(nullptr, Placement);
      return;
    }
    const TRegionRects region = c.Region();
    if (!region.Valid()) return;
    std::vector<TRect> rects;
    for (std::uint32_t i = 0; i < region.Count(); ++i) rects.push_back(region.Rect(i));
    ClipDevice(&rects, Placement);
  }
  void FillRegion(DWORD, R r) {
    const TEmrFillRegion f{r};
    HGDIOBJ brush = Object(f.Brush());
    const TRegionRects region = f.Region();
    if (!brush || !region.Valid()) return;
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    for (std::uint32_t i = 0; i < region.Count(); ++i) {
      const RECT q = region.Rect(i);
      HRGN part = CreateRectRgn(q.Left, q.Top, q.Right, q.Bottom);
      CombineRgn(rgn, rgn, part, RGN_OR);
      DeleteObject(part);
    }
    FillRgn(DC, rgn, brush);
    DeleteObject(rgn);
  }
  void RegionRects(DWORD type, R r) {
    // The region's rectangles: filled with the selected brush, inverted, or framed.
    const TRegionRects region{r, std::size_t(type == EMR_FRAMERGN ? 40 : 28), r.U32(24)};
    if (!region.Valid()) return;
    HGDIOBJ brush = type == EMR_FRAMERGN ? Object(r.U32(28)) : GetCurrentObject(DC, OBJ_BRUSH);
    for (std::uint32_t i = 0; i < region.Count(); ++i) {
      const RECT rc = region.Rect(i);
      if (type == EMR_INVERTRGN) InvertRect(DC, &rc);
      else if (brush && type == EMR_FRAMERGN) FrameRect(DC, &rc, brush);
      else if (brush) FillRect(DC, &rc, brush);
    }
  }

  // Text.
  void ExtTextOut(DWORD type, R r) {
    const TEmrExtTextOut rec{r};
    if (!rec.Valid()) return;
    const TEmrText t = rec.Text();
    std::u16string text;
    if (!ReadText(r, t.StringOffset(), t.Count(), type == EMR_EXTTEXTOUTW ? 2 : 1, text)) return;
    TextRun(t.Reference().X, t.Reference().Y, t.Options(), t.Rect(), text, ReadAdvances(t));
  }
  void SmallTextOut(DWORD, R r) {
    const TEmrSmallTextOut t{r};
    std::u16string text;
    if (!ReadText(r, t.TextAt(), t.Count(), t.Unit(), text)) return;
    const RECT rc = t.Rect();
    const UINT opts = t.Options() & (ETO_OPAQUE | ETO_CLIPPED);
    ExtTextOutW(DC, t.Reference().X, t.Reference().Y, t.HasRect() ? opts : 0, t.HasRect() && opts ? &rc : nullptr,
                text.data(), t.Count(), nullptr);
  }
  void PolyTextOut(DWORD, R r) {
    const std::uint32_t count = r.U32(36);
    if (!r.HasArray(std::min<std::size_t>(40, r.Size()), count, 40)) return;
    std::u16string text;
    for (std::uint32_t k = 0; k < count; ++k) {
      const TEmrText t{r, 40 + 40 * static_cast<std::size_t>(k)};
      if (!ReadText(r, t.StringOffset(), t.Count(), 2, text)) continue;
      TextRun(t.Reference().X, t.Reference().Y, t.Options(), t.Rect(), text, ReadAdvances(t));
    }
  }

  // Gradients: vertices (x, y, 16-bit red, green, blue, alpha), then rectangles or triangles.
  void GradientFill(DWORD, R r) {
    const std::uint32_t nv = r.U32(24), nt = r.U32(28), mode = r.U32(32);
    if (!r.HasArray(std::min<std::size_t>(36, r.Size()), nv, 16)) return;
    const std::size_t meshAt = 36 + 16 * static_cast<std::size_t>(nv);
    const std::size_t meshSize = mode == 2 ? 12 : 8;
    if (!r.HasArray(std::min(meshAt, r.Size()), nt, meshSize)) return;
    auto vx = [&](std::uint32_t i) { return r.Coord(36 + 16 * static_cast<std::size_t>(i)); };
    auto vy = [&](std::uint32_t i) { return r.Coord(40 + 16 * static_cast<std::size_t>(i)); };
    auto vc = [&](std::uint32_t i, int c) {
      return static_cast<int>(r.U16(44 + 16 * static_cast<std::size_t>(i) + 2 * c) >> 8);
    };
    for (std::uint32_t t = 0; t < nt; ++t) {
      const std::size_t m = meshAt + meshSize * t;
      if (mode == 2) {
        // Triangles in their mean colour.
        const std::uint32_t v[3] = {r.U32(m), r.U32(m + 4), r.U32(m + 8)};
        if (v[0] >= nv || v[1] >= nv || v[2] >= nv) continue;
        int c[3] = {0, 0, 0};
        POINT tri[3];
        for (int k = 0; k < 3; ++k) {
          tri[k] = {vx(v[k]), vy(v[k])};
          for (int ch = 0; ch < 3; ++ch) c[ch] += vc(v[k], ch);
        }
        HBRUSH b = CreateSolidBrush(RGB(static_cast<BYTE>(c[0] / 3), static_cast<BYTE>(c[1] / 3), static_cast<BYTE>(c[2] / 3)));
        HGDIOBJ oldBrush = SelectObject(DC, b);
        HGDIOBJ oldPen = SelectObject(DC, GetStockObject(NULL_PEN));
        Polygon(DC, tri, 3);
        SelectObject(DC, oldPen);
        SelectObject(DC, oldBrush);
        DeleteObject(b);
        continue;
      }
      const std::uint32_t a = r.U32(m), b = r.U32(m + 4);
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
        FillRect(DC, &strip, br);
        DeleteObject(br);
      }
    }
  }

  // Bitmaps.
  void BitBlt(DWORD type, R r) {
    const TEmrBlt blt{r, type};
    const POINT d = blt.Dest();
    const SIZE ds = blt.DestSize();
    if (blt.SourceInfoSize() == 0) {
      PatBlt(DC, d.X, d.Y, ds.cx, ds.cy, blt.Rop());
      return;
    }
    TRecordDib dib;
    const BITMAPINFO* bmi;
    const void* b;
    if (!blt.Dib(dib) || !Dib(dib, bmi, b)) return;
    const SIZE ss = blt.SourceSize();
    // StretchDIBits counts a bottom-up bitmap's rows from the bottom.
    const LONG top = blt.SourceTop(dib);
    const LONG sy = dib.BottomUp() ? dib.Height() - top - ss.cy : top;
    StretchDIBits(DC, d.X, d.Y, ds.cx, ds.cy, blt.Source().X, sy, ss.cx, ss.cy, b, bmi, blt.Usage(), blt.Rop());
  }
  void StretchDib(DWORD type, R r) {
    const TEmrDibBits rec{r, type};
    TRecordDib dib;
    const BITMAPINFO* bmi;
    const void* b;
    if (!rec.Dib(dib) || !Dib(dib, bmi, b)) return;
    const POINT d = rec.Dest(), s = rec.Source();
    const SIZE ds = rec.DestSize(), ss = rec.SourceSize();
    StretchDIBits(DC, d.X, d.Y, ds.cx, ds.cy, s.X, s.Y, ss.cx, ss.cy, b, bmi, rec.Usage(), rec.Rop());
  }
  void DibToDevice(DWORD type, R r) {
    const TEmrDibBits rec{r, type};
    TRecordDib dib;
    const BITMAPINFO* bmi;
    const void* b;
    if (!rec.Dib(dib) || !Dib(dib, bmi, b)) return;
    const POINT d = rec.Dest(), s = rec.Source();
    const SIZE ss = rec.SourceSize();
    SetDIBitsToDevice(DC, d.X, d.Y, static_cast<DWORD>(ss.cx), static_cast<DWORD>(ss.cy), s.X, s.Y, rec.StartScan(),
                      rec.Scans(), b, bmi, rec.Usage());
  }
  void BlendBlt(DWORD type, R r) {
    const TEmrBlt blt{r, type};
    TRecordDib dib;
    if (!blt.Dib(dib)) return;
    const std::string packed = dib.Packed();
    TBitmap src;
    if (!src.LoadFromDIB(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size())) return;
    src.SetPixelFormat(pf32bit);
    HDC mem = CreateCompatibleDC(DC);
    HGDIOBJ old = SelectObject(mem, static_cast<HBITMAP>(src.GetHandle()));
    const POINT d = blt.Dest(), s = blt.Source();
    const SIZE ds = blt.DestSize(), ss = blt.SourceSize();
    const DWORD op = blt.Rop();
    if (type == EMR_ALPHABLEND) {
      BLENDFUNCTION bf;
      bf.BlendOp = static_cast<BYTE>(op & 0xFF);
      bf.BlendFlags = static_cast<BYTE>((op >> 8) & 0xFF);
      bf.SourceConstantAlpha = static_cast<BYTE>((op >> 16) & 0xFF);
      bf.AlphaFormat = static_cast<BYTE>((op >> 24) & 0xFF);
      AlphaBlend(DC, d.X, d.Y, ds.cx, ds.cy, mem, s.X, s.Y, ss.cx, ss.cy, bf);
    } else {
      TransparentBlt(DC, d.X, d.Y, ds.cx, ds.cy, mem, s.X, s.Y, ss.cx, ss.cy, op);
    }
    SelectObject(mem, old);
    DeleteDC(mem);
  }

  TAffine Placement;
  std::string DibCopy;
  std::vector<POINT> Pts;
  std::vector<INT> Counts;
};

// Records without a handler (the header, comments, palettes, colour management and the rest)
// draw nothing.
TEmfPlayer::THandler TEmfPlayer::HandlerFor(DWORD type) {
  static const auto table = [] {
    std::array<THandler, EMR_CREATECOLORSPACEW + 1> t{};
    auto set = [&](std::initializer_list<DWORD> types, THandler h) {
      for (DWORD k : types) t[k] = h;
    };
    set({EMR_SETMAPMODE, EMR_SETWINDOWORGEX, EMR_SETWINDOWEXTEX, EMR_SETVIEWPORTORGEX, EMR_SETVIEWPORTEXTEX},
        &TEmfPlayer::Mapping);
    set({EMR_SCALEVIEWPORTEXTEX, EMR_SCALEWINDOWEXTEX}, &TEmfPlayer::ScaleExtent);
    set({EMR_SETWORLDTRANSFORM, EMR_MODIFYWORLDTRANSFORM}, &TEmfPlayer::WorldTransform);
    set({EMR_SAVEDC}, &TEmfPlayer::Save);
    set({EMR_RESTOREDC}, &TEmfPlayer::Restore);
    set({EMR_SETBKMODE, EMR_SETBKCOLOR, EMR_SETTEXTCOLOR, EMR_SETTEXTALIGN, EMR_SETROP2, EMR_SETPOLYFILLMODE,
         EMR_SETSTRETCHBLTMODE, EMR_SETBRUSHORGEX},
        &TEmfPlayer::SetMode);
    set({EMR_CREATEPEN}, &TEmfPlayer::CreatePen);
    set({EMR_EXTCREATEPEN}, &TEmfPlayer::ExtCreatePen);
    set({EMR_CREATEBRUSHINDIRECT}, &TEmfPlayer::CreateBrush);
    set({EMR_CREATEDIBPATTERNBRUSHPT, EMR_CREATEMONOBRUSH}, &TEmfPlayer::CreatePatternBrush);
    set({EMR_EXTCREATEFONTINDIRECTW}, &TEmfPlayer::CreateFont);
    set({EMR_SELECTOBJECT}, &TEmfPlayer::Select);
    set({EMR_DELETEOBJECT}, &TEmfPlayer::Delete);
    set({EMR_MOVETOEX}, &TEmfPlayer::MoveTo);
    set({EMR_LINETO}, &TEmfPlayer::Line);
    set({EMR_RECTANGLE, EMR_ELLIPSE, EMR_ROUNDRECT, EMR_ARC, EMR_PIE, EMR_CHORD}, &TEmfPlayer::Box);
    set({EMR_SETPIXELV}, &TEmfPlayer::Pixel);
    set({EMR_POLYGON16, EMR_POLYLINE16, EMR_POLYBEZIER16, EMR_POLYLINETO16, EMR_POLYBEZIERTO16, EMR_POLYGON,
         EMR_POLYLINE, EMR_POLYBEZIER, EMR_POLYLINETO, EMR_POLYBEZIERTO},
        &TEmfPlayer::Poly);
    set({EMR_POLYPOLYGON16, EMR_POLYPOLYLINE16, EMR_POLYPOLYGON, EMR_POLYPOLYLINE}, &TEmfPlayer::PolyPoly);
    set({EMR_BEGINPATH, EMR_ENDPATH, EMR_CLOSEFIGURE, EMR_ABORTPATH, EMR_FILLPATH, EMR_STROKEPATH,
         EMR_STROKEANDFILLPATH, EMR_SELECTCLIPPATH},
        &TEmfPlayer::Path);
    set({EMR_INTERSECTCLIPRECT, EMR_EXCLUDECLIPRECT}, &TEmfPlayer::ClipRect);
    set({EMR_EXTSELECTCLIPRGN}, &TEmfPlayer::ClipRegion);
    set({EMR_FILLRGN}, &TEmfPlayer::FillRegion);
    set({EMR_PAINTRGN, EMR_INVERTRGN, EMR_FRAMERGN}, &TEmfPlayer::RegionRects);
    set({EMR_EXTTEXTOUTW, EMR_EXTTEXTOUTA}, &TEmfPlayer::ExtTextOut);
    set({EMR_SMALLTEXTOUT}, &TEmfPlayer::SmallTextOut);
    set({EMR_POLYTEXTOUTW}, &TEmfPlayer::PolyTextOut);
    set({EMR_GRADIENTFILL}, &TEmfPlayer::GradientFill);
    set({EMR_BITBLT, EMR_STRETCHBLT}, &TEmfPlayer::BitBlt);
    set({EMR_STRETCHDIBITS}, &TEmfPlayer::StretchDib);
    set({EMR_SETDIBITSTODEVICE}, &TEmfPlayer::DibToDevice);
    set({EMR_ALPHABLEND, EMR_TRANSPARENTBLT}, &TEmfPlayer::BlendBlt);
    return t;
  }();
  return type < table.size() ? table[type] : nullptr;
}

}  // namespace

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
  TEmfPlayer p(dc, placement);
  p.PixelsPerMM = pxX * 100;
  p.Objects.resize(std::max<std::size_t>(hdr.nHandles, 1));
  p.Apply(placement);
  p.Play(emf->Bits);
  return TRUE;
}

// ---- Windows metafiles ----------------------------------------------------------------------------

namespace {

// Plays Windows-format records: the window the records set (or the bounding box) is mapped onto
// the rectangle. Parameters are 16-bit words, points given y before x.
class TWmfPlayer : public TPlayerBase {
 public:
  TWmfPlayer(HDC dc, std::uint32_t objects, const RECT& bbox, const RECT& rect)
      : TPlayerBase(dc), Rect(rect), Org{bbox.Left, bbox.Top},
        Ext{bbox.Width() ? bbox.Width() : 1, bbox.Height() ? bbox.Height() : 1} {
    Objects.assign(std::max<std::uint32_t>(objects, 1), nullptr);
    Charsets.assign(Objects.size(), -1);
    ApplyWindow();
  }

  void Play(std::string_view data) {
    TWmfRecordReader records(data);
    while (records.Next()) Dispatch(records.Function(), records.Params());
  }

 private:
  using R = const TRecordView&;
  static int W(R r, std::size_t i) { return r.I16(2 * i); }
  static COLORREF Color(R r, std::size_t i) { return r.U32(2 * i); }

  void Dispatch(std::uint32_t fn, R r) {
    switch (fn) {
      case 0x020B: Org = {W(r, 1), W(r, 0)}; return ApplyWindow();  // SETWINDOWORG
      case 0x020C: Ext = {W(r, 1), W(r, 0)}; return ApplyWindow();  // SETWINDOWEXT
      case 0x0103: return;  // SETMAPMODE: the placement decides
      case 0x0201: SetBkColor(DC, Color(r, 0)); return;
      case 0x0209: SetTextColor(DC, Color(r, 0)); return;
      case 0x0102: SetBkMode(DC, W(r, 0)); return;
      case 0x0104: SetROP2(DC, W(r, 0)); return;
      case 0x0106: SetPolyFillMode(DC, W(r, 0)); return;
      case 0x0107: SetStretchBltMode(DC, W(r, 0)); return;
      case 0x012E: SetTextAlign(DC, static_cast<UINT>(static_cast<std::uint16_t>(W(r, 0)))); return;
      case 0x001E: return Save();
      case 0x0127: return Restore(W(r, 0));
      case 0x02FA: return CreatePen(r);
      case 0x02FC: return CreateBrush(r);
      case 0x02FB: return CreateFont(r);
      case 0x0142: return CreatePatternBrush(r);
      case 0x00F7:  // CREATEPALETTE
      case 0x06FF:  // CREATEREGION
      case 0x01F9:  // CREATEPATTERNBRUSH
        return AddObject(CreateSolidBrush(0));  // holds the slot; such objects draw nothing here
      case 0x012D: return Select(static_cast<std::uint16_t>(W(r, 0)));
      case 0x01F0: return Delete(static_cast<std::uint16_t>(W(r, 0)));
      case 0x0214: MoveToEx(DC, W(r, 1), W(r, 0), nullptr); return;
      case 0x0213: LineTo(DC, W(r, 1), W(r, 0)); return;
      case 0x041B: Rectangle(DC, W(r, 3), W(r, 2), W(r, 1), W(r, 0)); return;
      case 0x0418: Ellipse(DC, W(r, 3), W(r, 2), W(r, 1), W(r, 0)); return;
      case 0x061C: RoundRect(DC, W(r, 5), W(r, 4), W(r, 3), W(r, 2), W(r, 1), W(r, 0)); return;
      case 0x0817: Arc(DC, W(r, 7), W(r, 6), W(r, 5), W(r, 4), W(r, 3), W(r, 2), W(r, 1), W(r, 0)); return;
      case 0x081A: Pie(DC, W(r, 7), W(r, 6), W(r, 5), W(r, 4), W(r, 3), W(r, 2), W(r, 1), W(r, 0)); return;
      case 0x0830: Chord(DC, W(r, 7), W(r, 6), W(r, 5), W(r, 4), W(r, 3), W(r, 2), W(r, 1), W(r, 0)); return;
      case 0x041F: SetPixel(DC, W(r, 3), W(r, 2), Color(r, 0)); return;
      case 0x0416: IntersectClipRect(DC, W(r, 3), W(r, 2), W(r, 1), W(r, 0)); return;
      case 0x0415: ExcludeClipRect(DC, W(r, 3), W(r, 2), W(r, 1), W(r, 0)); return;
      case 0x0324:  // POLYGON
      case 0x0325: return Poly(r, fn == 0x0324);  // POLYLINE
      case 0x0538: return PolyPolygon(r);
      case 0x0521: return TextOut(r);
      case 0x0A32: return ExtTextOut(r);
      case 0x0F43: return StretchDib(r);
      case 0x0B41:  // DIBSTRETCHBLT
      case 0x0940: return DibBlt(r, fn == 0x0B41);  // DIBBITBLT
      default: return;  // the end, palettes, escapes and the rest draw nothing
    }
  }

  void ApplyWindow() {
    const double sx = double(Rect.Width()) / (Ext.cx ? Ext.cx : 1), sy = double(Rect.Height()) / (Ext.cy ? Ext.cy : 1);
    State = TPageState{};
    Apply(TAffine{sx, 0, 0, sy, Rect.Left - Org.X * sx, Rect.Top - Org.Y * sy});
  }
  void Save() {
    SaveDC(DC);
    Windows.emplace_back(Org, Ext);
  }
  void Restore(int rel) {
    if (rel >= 0 || static_cast<std::size_t>(-rel) > Windows.size()) return;
    RestoreDC(DC, rel);
    const auto s = Windows[Windows.size() + rel];
    Windows.resize(Windows.size() + rel);
    Org = s.first;
    Ext = s.second;
    ApplyWindow();
  }

  // Objects take the lowest free index, as the format assigns them.
  void AddObject(HGDIOBJ obj, int fontCharset = -1) {
    for (std::size_t i = 0; i < Objects.size(); ++i)
      if (!Objects[i]) {
        Objects[i] = obj;
        Charsets.resize(Objects.size(), -1);
        Charsets[i] = fontCharset;
        return;
      }
    Objects.push_back(obj);
    Charsets.resize(Objects.size(), -1);
    Charsets.back() = fontCharset;
  }
  void CreatePen(R r) {
    LOGPEN lp;
    lp.lopnStyle = static_cast<std::uint16_t>(W(r, 0));
    lp.lopnWidth = {W(r, 1), 0};
    lp.lopnColor = Color(r, 3);
    AddObject(CreatePenIndirect(&lp));
  }
  void CreateBrush(R r) {
    LOGBRUSH lb;
    lb.lbStyle = RecordBrushStyle(static_cast<std::uint16_t>(W(r, 0)));
    lb.lbColor = Color(r, 1);
    lb.lbHatch = static_cast<std::uint16_t>(W(r, 3));
    AddObject(CreateBrushIndirect(&lb));
  }
  void CreateFont(R r) {
    LOGFONTW lf;
    lf.lfHeight = W(r, 0);
    lf.lfWidth = W(r, 1);
    lf.lfEscapement = W(r, 2);
    lf.lfOrientation = W(r, 3);
    lf.lfWeight = W(r, 4);
    ReadFontBytes(r.Bytes, 10, lf);
    for (int i = 0; i < LF_FACESIZE - 1 && 18 + static_cast<std::size_t>(i) < r.Size(); ++i) {
      const auto c = r.U8(18 + static_cast<std::size_t>(i));
      if (!c) break;
      lf.lfFaceName[i] = c;
    }
    AddObject(CreateFontIndirectW(&lf), lf.lfCharSet);
  }
  void CreatePatternBrush(R r) {
    const BITMAPINFO* bmi;
    const void* b;
    HBRUSH brush = nullptr;
    if (Dib(r, 4, bmi, b)) {
      TBitmap pattern;
      if (pattern.LoadFromDIB(reinterpret_cast<const std::uint8_t*>(DibCopy.data()), DibCopy.size()))
        brush = ::CreatePatternBrush(static_cast<HBITMAP>(pattern.GetHandle()));
    }
    AddObject(brush ? brush : CreateSolidBrush(0x808080));
  }
  void Select(std::size_t i) {
    if (i >= Objects.size() || !Objects[i]) return;
    SelectObject(DC, Objects[i]);
    if (i < Charsets.size() && Charsets[i] >= 0) Charset = static_cast<BYTE>(Charsets[i]);
  }
  void Delete(std::size_t i) {
    if (i >= Objects.size() || !Objects[i]) return;
    DeleteObject(Objects[i]);
    Objects[i] = nullptr;
  }

  void Poly(R r, bool polygon) {
    const int n = W(r, 0);
    if (n <= 0 || static_cast<std::size_t>(1 + 2 * n) * 2 > r.Size()) return;
    Pts.clear();
    for (int i = 0; i < n; ++i) Pts.push_back({W(r, 1 + 2 * i), W(r, 2 + 2 * i)});
    if (polygon) Polygon(DC, Pts.data(), n);
    else Polyline(DC, Pts.data(), n);
  }
  void PolyPolygon(R r) {
    const int polys = W(r, 0);
    if (polys <= 0 || static_cast<std::size_t>(1 + polys) * 2 > r.Size()) return;
    std::vector<INT> counts;
    std::size_t total = 0;
    for (int i = 0; i < polys; ++i) {
      counts.push_back(std::max(W(r, 1 + i), 0));
      total += static_cast<std::size_t>(counts.back());
    }
    const std::size_t first = 1 + polys;
    if ((first + 2 * total) * 2 > r.Size()) return;
    Pts.clear();
    for (std::size_t i = 0; i < total; ++i) Pts.push_back({W(r, first + 2 * i), W(r, first + 2 * i + 1)});
    ::PolyPolygon(DC, Pts.data(), counts.data(), polys);
  }

  // Text bytes are in the code page of the selected font's character set.
  std::u16string Decode(std::string_view bytes) const {
    std::u16string text;
    if (Charset == SYMBOL_CHARSET || !CodePageToUnicode(CharsetCodePage(Charset), 0, bytes, text)) {
      text.clear();
      for (char b : bytes) text.push_back(static_cast<std::uint8_t>(b));
    }
    return text;
  }
  void TextOut(R r) {  // count, string, y, x
    const int n = W(r, 0);
    const std::size_t strWords = (static_cast<std::size_t>(std::max(n, 0)) + 1) / 2;
    if (n <= 0 || (1 + strWords + 2) * 2 > r.Size()) return;
    const std::u16string text = Decode(r.Sub(2, static_cast<std::size_t>(n)));
    TextOutW(DC, W(r, 1 + strWords + 1), W(r, 1 + strWords), text.data(), static_cast<int>(text.size()));
  }
  void ExtTextOut(R r) {  // y, x, count, options, [rect], string, [dx]
    const int y = W(r, 0), x = W(r, 1), n = W(r, 2);
    // Windows-format advances are single values.
    const UINT options = static_cast<std::uint16_t>(W(r, 3)) & ~ETO_PDY;
    std::size_t pos = 4;
    RECT rc;
    const bool hasRect = options & (ETO_OPAQUE | ETO_CLIPPED);
    if (hasRect) {
      rc = {W(r, 4), W(r, 5), W(r, 6), W(r, 7)};
      pos = 8;
    }
    if (n < 0 || pos * 2 + static_cast<std::size_t>(n) > r.Size()) return;
    const std::string_view bytes = r.Sub(pos * 2, static_cast<std::size_t>(n));
    const std::u16string text = Decode(bytes);
    pos += (static_cast<std::size_t>(n) + 1) / 2;
    // One advance per byte; a character made of two bytes takes the sum of both.
    std::vector<INT> dx;
    if ((pos + static_cast<std::size_t>(n)) * 2 <= r.Size()) {
      if (text.size() == static_cast<std::size_t>(n)) {
        for (int i = 0; i < n; ++i) dx.push_back(W(r, pos + static_cast<std::size_t>(i)));
      } else {
        std::size_t b = 0;
        for (std::size_t k = 0; k < text.size() && b < bytes.size(); ++k) {
          std::string one;
          UnicodeToCodePage(CharsetCodePage(Charset), 0, std::u16string_view(text).substr(k, 1), one);
          INT sum = 0;
          for (std::size_t e = 0; e < std::max<std::size_t>(one.size(), 1) && b < bytes.size(); ++e, ++b)
            sum += W(r, pos + b);
          dx.push_back(sum);
        }
      }
    }
    ExtTextOutW(DC, x, y, options, hasRect ? &rc : nullptr, text.data(), static_cast<UINT>(text.size()),
                dx.size() == text.size() && !text.empty() ? dx.data() : nullptr);
  }

  // A packed DIB at a byte offset of the parameters, running to the record's end.
  bool Dib(R r, std::size_t byteOffset, const BITMAPINFO*& bmi, const void*& bits) {
    if (byteOffset + 40 > r.Size()) return false;
    const TRecordView h(r.Sub(byteOffset));
    const std::uint32_t hs = h.U32(0), bc = h.U16(14), used = h.U32(32), comp = h.U32(16);
    std::size_t colors = used ? used : (bc <= 8 ? (1u << bc) : 0);
    if (comp == BI_BITFIELDS) colors = 3;
    const std::size_t cb = hs + colors * 4;
    if (hs < 40 || cb > h.Size()) return false;
    return DibAt(r.Bytes, static_cast<std::uint32_t>(byteOffset), static_cast<std::uint32_t>(cb),
                 static_cast<std::uint32_t>(byteOffset + cb), static_cast<std::uint32_t>(h.Size() - cb), bmi, bits,
                 DibCopy);
  }
  void StretchDib(R r) {  // rop, usage, sh, sw, sy, sx, dh, dw, dy, dx, DIB
    const BITMAPINFO* bmi;
    const void* b;
    if (!Dib(r, 22, bmi, b)) return;
    // The source origin is StretchDIBits's own (from the bottom row of a bottom-up bitmap).
    StretchDIBits(DC, W(r, 10), W(r, 9), W(r, 8), W(r, 7), W(r, 6), W(r, 5), W(r, 4), W(r, 3), b, bmi,
                  static_cast<UINT>(W(r, 2)), Color(r, 0));
  }
  // DIBSTRETCHBLT: rop, sh, sw, sy, sx, dh, dw, dy, dx, DIB; DIBBITBLT: rop, sy, sx, h, w, dy, dx, DIB.
  void DibBlt(R r, bool stretch) {
    const std::size_t fixedWords = stretch ? 10 : 8;
    const DWORD rop = Color(r, 0);
    if (r.Size() <= fixedWords * 2 + 2) {
      // No bitmap: a pattern fill (one more reserved word before the destination).
      if (stretch) PatBlt(DC, W(r, 10), W(r, 9), W(r, 8), W(r, 7), rop);
      else PatBlt(DC, W(r, 8), W(r, 7), W(r, 6), W(r, 5), rop);
      return;
    }
    const BITMAPINFO* bmi;
    const void* b;
    if (!Dib(r, fixedWords * 2, bmi, b)) return;
    const int ht = std::abs(static_cast<int>(bmi->bmiHeader.biHeight));
    if (stretch) {
      const int sh = W(r, 2), sy = W(r, 4);
      StretchDIBits(DC, W(r, 9), W(r, 8), W(r, 7), W(r, 6), W(r, 5), bmi->bmiHeader.biHeight > 0 ? ht - sy - sh : sy,
                    W(r, 3), sh, b, bmi, DIB_RGB_COLORS, rop);
    } else {
      const int hh = W(r, 4), sy = W(r, 2);
      StretchDIBits(DC, W(r, 7), W(r, 6), W(r, 5), hh, W(r, 3), bmi->bmiHeader.biHeight > 0 ? ht - sy - hh : sy,
                    W(r, 5), hh, b, bmi, DIB_RGB_COLORS, rop);
    }
  }

  RECT Rect;
  TPoint Org;
  TSize Ext;
  std::vector<std::pair<TPoint, TSize>> Windows;  // saved by SAVEDC
  std::vector<int> Charsets;                       // of each object; -1 for all but fonts
  BYTE Charset = DEFAULT_CHARSET;
  std::string DibCopy;
  std::vector<POINT> Pts;
};

}  // namespace

BOOL PlayWinMetaFile(HDC dc, const BYTE* data, UINT size, const RECT& bbox, const RECT& rect) {
  if (!dc || !data) return FALSE;
  const std::string_view d(reinterpret_cast<const char*>(data), size);
  if (d.size() < 18) return FALSE;
  TWmfPlayer p(dc, LE16(d, 10), bbox, rect);
  p.Play(d);
  return TRUE;
}
