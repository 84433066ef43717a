#include "pdf/PDFEMF.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "pdf/PDFForms.h"
#include "pdf/PDFImage.h"
#include "pdf/PDFMisc.h"
#include "platform/base/NLS.h"
#include "platform/graphics/MetafileRecords.h"

namespace {

using R = const TRecordView&;

constexpr BYTE PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6;
constexpr long double kPi = 3.14159265358979323846L;

// The twenty static entries of the system's default palette.
const COLORREF kDefaultPalette[20] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0, 0xC0DCC0, 0xF0CAA6,
    0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

COLORREF PlainColor(COLORREF c) {
  if (c >= 0x01000000 && c <= 0x01000013) return kDefaultPalette[c & 0xFF];
  return c & 0xFFFFFF;
}

TPDFColor PDFColor(COLORREF c) { return ColorToPDFRGB(static_cast<TColor>(PlainColor(c))); }

struct TXf {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
  // this, then b
  TXf Then(const TXf& b) const {
    return {m11 * b.m11 + m12 * b.m21, m11 * b.m12 + m12 * b.m22, m21 * b.m11 + m22 * b.m21,
            m21 * b.m12 + m22 * b.m22, dx * b.m11 + dy * b.m21 + b.dx, dx * b.m12 + dy * b.m22 + b.dy};
  }
};

TXf ReadXf(R r) {
  const XFORM x = TEmrTransform{r}.Transform();
  return {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy};
}

enum class TObjKind { None, Pen, Brush, Font };

struct TObj {
  TObjKind Kind = TObjKind::None;
  DWORD Style = 0;  // pen or brush style
  double Width = 0;
  COLORREF Color = 0;
  DWORD Hatch = 0;
  int Dib = -1;  // picture brush: its entry
  LOGFONTW Font;
  HFONT Handle = nullptr;
};

// One step of the clip: the rectangles (canvas units) it narrows to, or, when Exclude is set,
// the rectangle it takes away; or a path given by its content lines.
struct TClipStep {
  std::vector<std::array<double, 4>> Rects;
  bool Exclude = false;
  std::vector<std::string> Path;
  bool EvenOdd = false;
};

struct TDibPattern {
  std::string Packed;  // header, colours, bits
  UINT Usage = 0;
  TPDFPattern* Pattern = nullptr;
};

struct THatchPattern {
  DWORD Hatch;
  COLORREF Back, Color;
  TPDFPattern* Pattern;
};

// The drawing state that SaveDC keeps and RestoreDC brings back.
struct TState {
  int MapMode = MM_TEXT;
  POINT WO{0, 0}, VO{0, 0};
  SIZE WE{1, 1}, VE{1, 1};
  TXf World;
  bool Alternate = true, Opaque = true;
  COLORREF TextColor = 0, BkColor = 0xFFFFFF;
  UINT Align = 0;
  int Rop2 = R2_COPYPEN, StretchMode = 1;
  bool CCW = true;
  DWORD PenStyle = 0;
  double PenWidth = 1;  // logical
  COLORREF PenColor = 0;
  DWORD BrushStyle = BS_SOLID;
  COLORREF BrushColor = 0xFFFFFF;
  DWORD Hatch = 0;
  int BrushDib = -1;
  LOGFONTW Font;
  HFONT FontHandle = nullptr;
  POINT Cur{0, 0};
  std::vector<TClipStep> Clip;
};

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
  return a.lfHeight == b.lfHeight && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
         a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
         std::memcmp(a.lfFaceName, b.lfFaceName, sizeof a.lfFaceName) == 0;
}

std::u16string FaceOf(const LOGFONTW& lf) {
  std::u16string s;
  for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) s += static_cast<char16_t>(lf.lfFaceName[i]);
  return s;
}

std::string Upper(const std::u16string& s) {
  std::string u;
  for (char16_t c : s) u += c < 128 ? static_cast<char>(std::toupper(static_cast<int>(c))) : '?';
  return u;
}

constexpr std::size_t kMaxPixels = 16u << 20;  // a picture larger than this is left out

}  // namespace

class TEMWParserImpl {
 public:
  TEMWParserImpl(TPDFCanvas& canvas, TPDFImages* images, TPDFListManager* patterns, const TPDFEMFParseOptions& options,
                 TPDFFonts* fonts)
      : Canvas(canvas), Images(images), Patterns(patterns), Options(options), Fonts(fonts) {
    DC = CreateCompatibleDC(options.UsedDC());
    Res = canvas.D2P() * 72.0;
    const int px = std::max(1, GetDeviceCaps(options.UsedDC(), LOGPIXELSX));
    const int py = std::max(1, GetDeviceCaps(options.UsedDC(), LOGPIXELSY));
    PpiY = py;
    CalX = Res / px;
    CalY = Res / py;
  }
  ~TEMWParserImpl() {
    for (TObj& o : Objects)
      if (o.Handle) DeleteObject(o.Handle);
    if (DC) DeleteDC(DC);
  }

  void Load(std::string_view bytes) { Data.assign(bytes.data(), bytes.size()); }

  TSize GetMax() const {
    TRecordView h(Data);
    if (h.Size() < 88 || h.U32(0) != EMR_HEADER || h.U32(40) != ENHMETA_SIGNATURE) return TSize(0, 0);
    return TSize(static_cast<int>(std::lround(h.Coord(16) * CalX)) + 1,
                 static_cast<int>(std::lround(h.Coord(20) * CalY)) + 1);
  }

  void Execute();

 private:
  // ---- mapping ----
  double LX() const { return S.MapMode == MM_TEXT ? 1.0 : std::fabs(double(S.VE.cx) / (S.WE.cx ? S.WE.cx : 1)); }
  double LY() const { return S.MapMode == MM_TEXT ? 1.0 : std::fabs(double(S.VE.cy) / (S.WE.cy ? S.WE.cy : 1)); }
  // Logical to page (the world transform), page to device (window and viewport), device to canvas.
  TDoublePoint Map(double x, double y) const {
    const TXf& w = S.World;
    double px = x * w.m11 + y * w.m21 + w.dx, py = x * w.m12 + y * w.m22 + w.dy;
    double dx = px - S.WO.X, dy = py - S.WO.Y;
    if (S.MapMode == MM_ISOTROPIC || S.MapMode == MM_ANISOTROPIC) {
      dx = dx * S.VE.cx / (S.WE.cx ? S.WE.cx : 1);
      dy = dy * S.VE.cy / (S.WE.cy ? S.WE.cy : 1);
    } else if (S.MapMode != MM_TEXT) {
      // The metric modes: units of a fixed size, y upwards.
      const double mm = double(GetDeviceCaps(Options.UsedDC(), LOGPIXELSX)) / 25.4;
      double k = 1;
      switch (S.MapMode) {
        case MM_LOMETRIC: k = mm * 0.1; break;
        case MM_HIMETRIC: k = mm * 0.01; break;
        case MM_LOENGLISH: k = mm * 0.254; break;
        case MM_HIENGLISH: k = mm * 0.0254; break;
        case MM_TWIPS: k = mm * 25.4 / 1440; break;
        default: break;
      }
      dx *= k;
      dy *= -k;
    }
    dx += S.VO.X;
    dy += S.VO.Y;
    return {dx * CalX, dy * CalY};
  }
  TDoublePoint MapPt(POINT p) const { return Map(p.X, p.Y); }
  // The scale of logical lengths along x and y, in device pixels.
  double ScaleX() const { return std::hypot(S.World.m11, S.World.m12) * MetricScale() * LX(); }
  double ScaleY() const { return std::hypot(S.World.m21, S.World.m22) * MetricScale() * LY(); }
  double MetricScale() const {
    const double mm = double(GetDeviceCaps(Options.UsedDC(), LOGPIXELSX)) / 25.4;
    switch (S.MapMode) {
      case MM_LOMETRIC: return mm * 0.1;
      case MM_HIMETRIC: return mm * 0.01;
      case MM_LOENGLISH: return mm * 0.254;
      case MM_HIENGLISH: return mm * 0.0254;
      case MM_TWIPS: return mm * 25.4 / 1440;
      default: return 1;
    }
  }
  bool YUp() const {
    const TDoublePoint a = Map(0, 0), b = Map(0, 100);
    return b.y < a.y;
  }

  // ---- state reaching the canvas ----
  void SetFill(COLORREF c, bool force = false) {
    c = PlainColor(c);
    if (!force && HaveFill && c == CurFill) return;
    Canvas.SetColorFill(PDFColor(c));
    CurFill = c;
    HaveFill = true;
  }
  void SetStroke(COLORREF c, bool force = false) {
    c = PlainColor(c);
    if (!force && HaveStroke && c == CurStroke) return;
    Canvas.SetColorStroke(PDFColor(c));
    CurStroke = c;
    HaveStroke = true;
  }
  double PenCanvasWidth() const {
    const DWORD type = S.PenStyle & 0xF0000;
    double w = S.PenWidth;
    if (type != PS_GEOMETRIC && w < 1) w = 1;
    return std::max(w * ScaleX() * CalX, 0.0);
  }
  void SetPenState(bool force = false) {
    if (S.PenStyle % 16 == PS_NULL) return;
    SetStroke(S.PenColor, force);
    const double w = PenCanvasWidth();
    if (force || w != CurLineWidth) {
      Canvas.SetLineWidth(w);
      CurLineWidth = w;
    }
    std::string dash = "[] 0";
    if (S.PenWidth <= 1) {
      switch (S.PenStyle & 0xF) {
        case PS_DASH: dash = "[4 4] 0"; break;
        case PS_DOT: dash = "[1 1] 0"; break;
        case PS_DASHDOT: dash = "[4 1 1 1] 0"; break;
        case PS_DASHDOTDOT: dash = "[4 1 1 1 1 1] 0"; break;
        default: break;
      }
    }
    if (force || dash != CurDash) {
      Canvas.SetDash(dash);
      CurDash = dash;
    }
  }
  // After a "Q": what the canvas holds again is unknown.
  void StateLost() {
    HaveFill = HaveStroke = false;
    CurLineWidth = -1;
    CurDash.clear();
    FCha = true;
    Canvas.FontChanged();
  }
  void LeaveText() {
    if (!InText) return;
    InText = false;
  }

  // ---- painting ----
  bool NullPen() const { return S.PenStyle % 16 == PS_NULL; }
  bool NullBrush() const { return S.BrushStyle == BS_NULL || S.BrushStyle == BS_HOLLOW; }
  void BrushFill() {
    if (S.BrushStyle == BS_HATCHED && HatchFill()) return;
    if ((S.BrushStyle == BS_DIBPATTERN || S.BrushStyle == BS_DIBPATTERNPT) && DibFill()) return;
    SetFill(S.BrushColor);
  }
  void StrokeStep() {
    if (NullPen()) {
      if (Options.ShowNullPen && S.Rop2 == R2_COPYPEN) {
        Canvas.SetLineWidth(0.0001);
        CurLineWidth = 0.0001;
        Canvas.Stroke();
      } else {
        Canvas.NewPath();
      }
      return;
    }
    SetPenState();
    Canvas.Stroke();
  }
  void ClosedStep() {
    if (NullBrush()) {
      if (NullPen()) Canvas.NewPath();
      else StrokeStep();
      return;
    }
    BrushFill();
    if (NullPen()) {
      if (S.Alternate) Canvas.EoFill();
      else Canvas.Fill();
    } else {
      SetPenState();
      if (S.Alternate) Canvas.EoFillAndStroke();
      else Canvas.FillAndStroke();
    }
  }
  void BoxStep() {
    if (NullPen()) {
      if (NullBrush()) {
        Canvas.NewPath();
      } else {
        BrushFill();
        Canvas.Fill();
      }
      return;
    }
    SetPenState();
    if (NullBrush()) {
      Canvas.Stroke();
    } else {
      BrushFill();
      Canvas.FillAndStroke();
    }
  }
  void AreaStep() {
    BrushFill();
    Canvas.Fill();
  }

  bool HatchFill();
  bool DibFill();
  TPDFPattern* NewPattern(int w, int h);
  void UsePattern(TPDFPattern* p) {
    if (auto* page = dynamic_cast<TPDFPage*>(&Canvas)) page->SetPattern(p);
    else if (auto* form = dynamic_cast<TPDFForm*>(&Canvas)) form->SetPattern(p);
    HaveFill = false;
  }

  // ---- clipping ----
  void EmitStep(const TClipStep& st) {
    Canvas.NewPath();
    if (!st.Path.empty()) {
      for (const std::string& l : st.Path) Canvas.AppendAction(l);
      Canvas.AppendAction(st.EvenOdd ? "W* n" : "W n");
      return;
    }
    if (st.Exclude) {
      const auto& r = st.Rects.front();
      const double big = 1e5;
      Canvas.Rectangle(-big, -big, big, big);
      Canvas.Rectangle(r[0], r[1], r[2], r[3]);
      Canvas.AppendAction("W* n");
      return;
    }
    if (st.Rects.empty()) {
      Canvas.Rectangle(0, 0, 0, 0);
    } else {
      for (const auto& r : st.Rects) Canvas.Rectangle(r[0], r[1], r[2], r[3]);
    }
    Canvas.Clip();
    Canvas.NewPath();
  }
  void CloseClip() {
    if (!ClipOpen) return;
    Canvas.GStateRestore();
    ClipOpen = false;
    StateLost();
  }
  // Brings the canvas's clip to the steps of the state.
  void ApplyClip() {
    CloseClip();
    if (S.Clip.empty()) return;
    Canvas.GStateSave();
    ClipOpen = true;
    for (const TClipStep& st : S.Clip) EmitStep(st);
  }
  // Narrows the clip by one more step. Two rectangles in a row make their intersection.
  void AddClip(TClipStep st) {
    if (S.Clip.size() >= 32) return;  // a clip of that many steps is damage, not drawing
    if (ClipOpen && !S.Clip.empty() && IsRect(S.Clip.back()) && IsRect(st)) {
      auto& a = S.Clip.back().Rects.front();
      const auto& b = st.Rects.front();
      a = {std::max(a[0], b[0]), std::max(a[1], b[1]), std::min(a[2], b[2]), std::min(a[3], b[3])};
      if (a[2] < a[0]) a[2] = a[0];
      if (a[3] < a[1]) a[3] = a[1];
      EmitStep(st);
      return;
    }
    if (!ClipOpen) {
      Canvas.GStateSave();
      ClipOpen = true;
      for (const TClipStep& old : S.Clip) EmitStep(old);
    }
    EmitStep(st);
    S.Clip.push_back(std::move(st));
  }
  static bool IsRect(const TClipStep& st) { return !st.Exclude && st.Path.empty() && st.Rects.size() == 1; }
  std::array<double, 4> MapRect(LONG l, LONG t, LONG r, LONG b) const {
    TDoublePoint p[4] = {Map(l, t), Map(r, t), Map(l, b), Map(r, b)};
    double x0 = double(p[0].x), y0 = double(p[0].y), x1 = x0, y1 = y0;
    for (auto& q : p) {
      x0 = std::min(x0, double(q.x)), x1 = std::max(x1, double(q.x));
      y0 = std::min(y0, double(q.y)), y1 = std::max(y1, double(q.y));
    }
    return {x0, y0, x1, y1};
  }
  std::array<double, 4> DeviceRect(LONG l, LONG t, LONG r, LONG b) const {
    return {l * CalX, t * CalY, r * CalX, b * CalY};
  }

  // ---- records ----
  void Dispatch(DWORD type, R r);
  void Header(R r);
  void SelectObject(DWORD index);
  void SelectStock(DWORD index);
  void CreateObject(DWORD type, R r);
  void Restore(int n);
  void Poly(DWORD type, R r);
  void PolyPoly(DWORD type, R r);
  void PolyDraw(DWORD type, R r);
  void Box(DWORD type, R r);
  void ArcTo(R r);
  void AngleArc(R r);
  void FillRgn(R r);
  void ClipRegion(R r);
  void Text(DWORD type, R r);
  void SmallText(R r);
  void SendFont();
  void DrawText(double x, double y, UINT options, const std::u16string& text, const std::vector<double>& dx,
                bool haveDx, bool glyphs, const std::array<LONG, 4>* rect, double advance);
  void Bitmap(DWORD type, R r);
  void PlaceImage(const TBitmap& bmp, const std::string& alpha, const TPDFImageMask& key, double x0, double y0,
                  double x1, double y1, bool mirrorX, bool mirrorY);

  // A record's bitmap, header, colours and bits in one piece; pictures above kMaxPixels are
  // left out.
  static bool PackDib(const TRecordDib& dib, std::string& packed) {
    if (static_cast<std::uint64_t>(dib.Width()) * static_cast<std::uint64_t>(dib.Height()) > kMaxPixels) return false;
    packed = dib.Packed();
    return true;
  }

  TPDFCanvas& Canvas;
  TPDFImages* Images;
  TPDFListManager* Patterns;
  const TPDFEMFParseOptions& Options;
  TPDFFonts* Fonts;
  HDC DC = nullptr;
  std::string Data;
  double Res = 72, CalX = 1, CalY = 1;
  int PpiY = 96;

  TState S;
  std::vector<TState> Saved;
  std::vector<TObj> Objects;
  std::vector<TDibPattern> Dibs;
  std::vector<THatchPattern> Hatches;
  bool InText = false, InPath = false, ClipOpen = false, FCha = true;
  int PathStart = -1;  // content line where the open path bracket began
  COLORREF CurFill = 0, CurStroke = 0;
  bool HaveFill = false, HaveStroke = false;
  double CurLineWidth = -1;
  std::string CurDash;
  std::vector<POINT> Pts;
};

// ---- running ---------------------------------------------------------------------------------------

void TEMWParserImpl::Execute() {
  TEmfRecordReader reader(Data);
  if (!reader.Next() || reader.Type() != EMR_HEADER) return;
  Header(reader.Record());
  Canvas.SetFontWidthScale(1);
  Canvas.SetHorizontalScaling(100);
  Canvas.SetCharacterSpacing(0);
  Canvas.SetWordSpacing(0);
  Canvas.SetLineCap(Options.LineCap);
  Canvas.SetLineJoin(Options.LineJoin);
  S = TState();
  S.BkColor = GetBkColor(Options.UsedDC());
  if (DC) GetObjectW(GetCurrentObject(DC, OBJ_FONT), sizeof S.Font, &S.Font);
  if (Options.UseFrame) {
    const TRecordView h = reader.Record();
    const double dw = h.I32(72), dh = h.I32(76), mw = std::max(1, h.I32(80)), mh = std::max(1, h.I32(84));
    const double l = h.I32(24) * dw / (mw * 100) * CalX, t = h.I32(28) * dh / (mh * 100) * CalY;
    const double rr = h.I32(32) * dw / (mw * 100) * CalX, b = h.I32(36) * dh / (mh * 100) * CalY;
    Canvas.NewPath();
    Canvas.Rectangle(l, t, rr, b);
    Canvas.Clip();
    Canvas.NewPath();
  }
  while (reader.Next()) {
    const DWORD type = reader.Type();
    try {
      Dispatch(type, reader.Record());
    } catch (const Exception&) {
      // the record is left out
    }
  }
  CloseClip();
  Canvas.TextFromBaseLine(false);
  Canvas.SetHorizontalScaling(100);
  Canvas.SetCharacterSpacing(0);
  Canvas.SetWordSpacing(0);
  Canvas.SetFontWidthScale(1);
}

void TEMWParserImpl::Header(R r) {
  const std::uint32_t handles = r.U16(56);
  Objects.assign(std::max<std::uint32_t>(handles, 1), TObj());
}

void TEMWParserImpl::Dispatch(DWORD type, R r) {
  const bool textRecord = type == EMR_EXTTEXTOUTA || type == EMR_EXTTEXTOUTW || type == EMR_SMALLTEXTOUT;
  if (InPath && textRecord) return;
  if (InText) {
    switch (type) {
      case EMR_SETBKMODE: case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR: case EMR_SETBKCOLOR: case EMR_MOVETOEX:
      case EMR_SAVEDC: case EMR_RESTOREDC: case EMR_SELECTOBJECT: case EMR_CREATEPEN: case EMR_CREATEBRUSHINDIRECT:
      case EMR_DELETEOBJECT: case EMR_BITBLT: case EMR_EXTCREATEFONTINDIRECTW: case EMR_EXTTEXTOUTA:
      case EMR_EXTTEXTOUTW: case EMR_SMALLTEXTOUT:
        break;
      default:
        LeaveText();
    }
  }
  switch (type) {
    case EMR_SETMAPMODE: S.MapMode = TEmrValue{r}.Signed(); FCha = true; break;
    case EMR_SETWINDOWORGEX: S.WO = TEmrPoint{r}.Point(); break;
    case EMR_SETWINDOWEXTEX: TEmrExtent{r}.Extent(S.WE); break;
    case EMR_SETVIEWPORTORGEX: S.VO = TEmrPoint{r}.Point(); break;
    case EMR_SETVIEWPORTEXTEX: TEmrExtent{r}.Extent(S.VE); break;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: TEmrScaleExtent{r}.Scale(type == EMR_SCALEVIEWPORTEXTEX ? S.VE : S.WE); break;
    case EMR_SETWORLDTRANSFORM: S.World = ReadXf(r); FCha = true; break;
    case EMR_MODIFYWORLDTRANSFORM: {
      const TXf x = ReadXf(r);
      switch (TEmrTransform{r}.Mode()) {
        case MWT_IDENTITY: S.World = TXf(); break;
        case MWT_LEFTMULTIPLY: S.World = x.Then(S.World); break;
        case MWT_RIGHTMULTIPLY: S.World = S.World.Then(x); break;
        case 4: S.World = x; break;
        default: break;
      }
      FCha = true;
      break;
    }
    case EMR_SAVEDC:
      if (Saved.size() < 1024) Saved.push_back(S);
      break;
    case EMR_RESTOREDC: Restore(TEmrValue{r}.Signed()); break;
    case EMR_SETBKMODE: S.Opaque = TEmrValue{r}.Value() == OPAQUE; break;
    case EMR_SETPOLYFILLMODE: S.Alternate = TEmrValue{r}.Value() == ALTERNATE; break;
    case EMR_SETROP2: S.Rop2 = TEmrValue{r}.Signed(); break;
    case EMR_SETSTRETCHBLTMODE: S.StretchMode = TEmrValue{r}.Signed(); break;
    case EMR_SETTEXTALIGN: S.Align = TEmrValue{r}.Value(); break;
    case EMR_SETTEXTCOLOR:
      S.TextColor = TEmrValue{r}.Value();
      if (InText) SetFill(S.TextColor);
      break;
    case EMR_SETBKCOLOR: S.BkColor = TEmrValue{r}.Value(); break;
    case EMR_SETARCDIRECTION: S.CCW = TEmrValue{r}.Value() != 2; break;  // 2: clockwise
    case EMR_SELECTOBJECT: SelectObject(TEmrValue{r}.Value()); break;
    case EMR_CREATEPEN: case EMR_EXTCREATEPEN: case EMR_CREATEBRUSHINDIRECT: case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_EXTCREATEFONTINDIRECTW:
      CreateObject(type, r);
      break;
    case EMR_DELETEOBJECT: {
      const DWORD i = TEmrValue{r}.Value();
      if (i < Objects.size()) {
        if (Objects[i].Handle) DeleteObject(Objects[i].Handle);
        Objects[i] = TObj();
      }
      break;
    }
    case EMR_MOVETOEX:
      S.Cur = TEmrPoint{r}.Point();
      if (InPath) Canvas.MoveTo(MapPt(S.Cur).x, MapPt(S.Cur).y);
      break;
    case EMR_LINETO: {
      const POINT p = TEmrPoint{r}.Point();
      if (!InPath) Canvas.MoveTo(MapPt(S.Cur).x, MapPt(S.Cur).y);
      Canvas.LineTo(MapPt(p).x, MapPt(p).y);
      S.Cur = p;
      if (!InPath) StrokeStep();
      break;
    }
    case EMR_POLYLINE: case EMR_POLYLINE16: case EMR_POLYLINETO: case EMR_POLYLINETO16: case EMR_POLYGON:
    case EMR_POLYGON16: case EMR_POLYBEZIER: case EMR_POLYBEZIER16: case EMR_POLYBEZIERTO: case EMR_POLYBEZIERTO16:
      Poly(type, r);
      break;
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON: case EMR_POLYPOLYGON16:
      PolyPoly(type, r);
      break;
    case EMR_POLYDRAW: case EMR_POLYDRAW16: PolyDraw(type, r); break;
    case EMR_RECTANGLE: case EMR_ELLIPSE: case EMR_ROUNDRECT: case EMR_ARC: case EMR_CHORD: case EMR_PIE:
      Box(type, r);
      break;
    case EMR_ARCTO: ArcTo(r); break;
    case EMR_ANGLEARC: AngleArc(r); break;
    case EMR_SETPIXELV: {
      const TEmrPixel px{r};
      const TDoublePoint p = MapPt(px.Point());
      Canvas.NewPath();
      const COLORREF c = px.Color();
      Canvas.SetLineWidth(CalX);
      SetStroke(c);
      Canvas.MoveTo(p.x, p.y);
      Canvas.LineTo(p.x + 0.01, p.y + 0.01);
      Canvas.Stroke();
      CurLineWidth = -1;
      break;
    }
    case EMR_FILLRGN: FillRgn(r); break;
    case EMR_BEGINPATH:
      InPath = true;
      Canvas.NewPath();
      PathStart = Canvas.Content().Count();
      Canvas.MoveTo(MapPt(S.Cur).x, MapPt(S.Cur).y);
      break;
    case EMR_ENDPATH: InPath = false; break;
    case EMR_ABORTPATH: Canvas.NewPath(); InPath = false; PathStart = -1; break;
    case EMR_CLOSEFIGURE: Canvas.ClosePath(); break;
    case EMR_FILLPATH:
      InPath = false;
      if (!NullBrush()) AreaStep();
      Canvas.NewPath();
      PathStart = -1;
      break;
    case EMR_STROKEANDFILLPATH: InPath = false; ClosedStep(); Canvas.NewPath(); PathStart = -1; break;
    case EMR_STROKEPATH: InPath = false; StrokeStep(); Canvas.NewPath(); PathStart = -1; break;
    case EMR_SELECTCLIPPATH: {
      // The path's lines are taken out of the content and become a clip step.
      InPath = false;
      TClipStep st;
      TAnsiStringList& c = Canvas.Content();
      if (PathStart >= 0 && PathStart <= c.Count()) {
        for (int i = PathStart; i < c.Count(); ++i) st.Path.push_back(c.Get(i));
        while (c.Count() > PathStart) c.Delete(c.Count() - 1);
      }
      PathStart = -1;
      st.EvenOdd = S.Alternate;
      if (st.Path.empty()) break;
      const int mode = TEmrValue{r}.Signed();
      if (mode != RGN_AND) {
        S.Clip.clear();
        CloseClip();
      }
      AddClip(std::move(st));
      break;
    }
    case EMR_INTERSECTCLIPRECT: {
      TClipStep st;
      const RECT c = TEmrClipRect{r}.Rect();
      st.Rects.push_back(MapRect(c.Left, c.Top, c.Right, c.Bottom));
      AddClip(std::move(st));
      break;
    }
    case EMR_EXCLUDECLIPRECT: {
      TClipStep st;
      st.Exclude = true;
      const RECT c = TEmrClipRect{r}.Rect();
      st.Rects.push_back(MapRect(c.Left, c.Top, c.Right, c.Bottom));
      AddClip(std::move(st));
      break;
    }
    case EMR_EXTSELECTCLIPRGN: ClipRegion(r); break;
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: Text(type, r); break;
    case EMR_SMALLTEXTOUT: SmallText(r); break;
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_MASKBLT: case EMR_TRANSPARENTBLT: case EMR_SETDIBITSTODEVICE:
    case EMR_STRETCHDIBITS: case EMR_ALPHABLEND:
      Bitmap(type, r);
      break;
    default: break;
  }
  if (textRecord) InText = true;
}

void TEMWParserImpl::Restore(int n) {
  const int depth = static_cast<int>(Saved.size());
  const int target = n < 0 ? depth + n : n - 1;
  if (target < 0 || target >= depth) return;
  const std::vector<TClipStep> before = S.Clip;
  const bool clipChanged = ClipOpen && S.Clip.size() != Saved[std::size_t(target)].Clip.size();
  S = std::move(Saved[std::size_t(target)]);
  Saved.resize(std::size_t(target));
  if (clipChanged || (!ClipOpen && !S.Clip.empty())) ApplyClip();
  if (S.FontHandle) ::SelectObject(DC, S.FontHandle);
  FCha = true;
  (void)before;
}

// ---- objects -----------------------------------------------------------------------------------

void TEMWParserImpl::CreateObject(DWORD type, R r) {
  // Every creating record has the object's index first.
  const DWORD i = TEmrCreateBrush{r}.Index();
  if (i == 0 || i >= Objects.size()) return;
  TObj& o = Objects[i];
  if (o.Handle) DeleteObject(o.Handle);
  o = TObj();
  switch (type) {
    case EMR_CREATEPEN: {
      const TEmrCreatePen p{r};
      o.Kind = TObjKind::Pen;
      o.Style = p.Style();
      o.Width = p.Width();
      o.Color = p.Color();
      break;
    }
    case EMR_EXTCREATEPEN: {
      const TEmrExtCreatePen p{r};
      o.Kind = TObjKind::Pen;
      o.Style = p.Style() & 0xF;
      o.Width = p.Width() > (1u << 20) ? 1 : p.Width();
      o.Color = p.Color();
      if (p.BrushStyle() == BS_NULL) o.Style = PS_NULL;
      break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
      const TEmrCreateBrush b{r};
      o.Kind = TObjKind::Brush;
      o.Style = b.Style();
      o.Color = b.Color();
      o.Hatch = b.Hatch();
      break;
    }
    case EMR_CREATEDIBPATTERNBRUSHPT: {
      const TEmrCreateDibBrush b{r};
      o.Kind = TObjKind::Brush;
      o.Style = BS_DIBPATTERNPT;
      TDibPattern d;
      d.Usage = b.Usage();
      TRecordDib dib;
      if (b.Dib(dib) && PackDib(dib, d.Packed)) {
        o.Dib = static_cast<int>(Dibs.size());
        Dibs.push_back(std::move(d));
      }
      o.Color = 0x808080;
      break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
      if (!TEmrCreateFont{r}.Font(o.Font)) break;
      o.Kind = TObjKind::Font;
      o.Handle = CreateFontIndirectW(&o.Font);
      break;
    }
    default: break;
  }
}

void TEMWParserImpl::SelectStock(DWORD index) {
  switch (index) {
    case WHITE_BRUSH: case LTGRAY_BRUSH: case GRAY_BRUSH: case DKGRAY_BRUSH: case BLACK_BRUSH: case NULL_BRUSH: {
      static const COLORREF c[6] = {0xFFFFFF, 0xAAAAAA, 0x808080, 0x666666, 0, 0xFFFFFF};
      S.BrushColor = c[index];
      S.BrushStyle = index == NULL_BRUSH ? BS_NULL : BS_SOLID;
      S.BrushDib = -1;
      break;
    }
    case WHITE_PEN: case BLACK_PEN:
      S.PenColor = index == WHITE_PEN ? 0xFFFFFF : 0;
      S.PenStyle = PS_SOLID;
      S.PenWidth = 1;
      break;
    case NULL_PEN: S.PenStyle = PS_NULL; break;
    case 10: case 11: case 12: case 13: case 16: case 17: {
      LOGFONTW lf;
      lf.lfHeight = -16;
      const char16_t face[] = u"Arial";
      for (int k = 0; face[k]; ++k) lf.lfFaceName[k] = static_cast<WCHAR>(face[k]);
      S.Font = lf;
      S.FontHandle = nullptr;
      FCha = true;
      break;
    }
    default: break;
  }
}

void TEMWParserImpl::SelectObject(DWORD index) {
  if (index & 0x80000000u) return SelectStock(index & 0x7FFFFFFF);
  if (index >= Objects.size()) return;
  const TObj& o = Objects[index];
  switch (o.Kind) {
    case TObjKind::Pen:
      S.PenColor = o.Color;
      S.PenStyle = o.Width > 1 && o.Style % 16 != PS_NULL ? (o.Style & ~0xFu) | PS_SOLID : o.Style;
      S.PenWidth = o.Width;
      break;
    case TObjKind::Brush:
      S.BrushStyle = o.Style;
      S.BrushColor = o.Color;
      S.Hatch = o.Hatch;
      S.BrushDib = o.Dib;
      break;
    case TObjKind::Font:
      if (!SameFont(o.Font, S.Font)) FCha = true;
      S.Font = o.Font;
      S.FontHandle = o.Handle;
      if (o.Handle) ::SelectObject(DC, o.Handle);
      break;
    default: break;
  }
}

// ---- patterns ----------------------------------------------------------------------------------

TPDFPattern* TEMWParserImpl::NewPattern(int w, int h) {
  auto* p = new TPDFPattern(Canvas.Engine(), Fonts);
  Patterns->Add(p);
  p->SetWidth(w);
  p->SetHeight(h);
  p->SetXStep(static_cast<unsigned>(w));
  p->SetYStep(static_cast<unsigned>(h));
  return p;
}

bool TEMWParserImpl::HatchFill() {
  if (!Patterns || S.Hatch > HS_DIAGCROSS) return false;
  const COLORREF back = PlainColor(S.BkColor), color = PlainColor(S.BrushColor);
  TPDFPattern* p = nullptr;
  for (const THatchPattern& h : Hatches)
    if (h.Hatch == S.Hatch && h.Back == back && h.Color == color) p = h.Pattern;
  if (!p) {
    p = NewPattern(4, 4);
    // The pattern's own units are points.
    const double k = p->D2P();
    p->SetColorFill(PDFColor(back));
    p->NewPath();
    p->Rectangle(0, 0, 4 * k, 4 * k);
    p->Fill();
    p->SetColorStroke(PDFColor(color));
    p->SetLineWidth(0.3 * k);
    auto line = [&](double x0, double y0, double x1, double y1) {
      p->MoveTo(x0 * k, y0 * k);
      p->LineTo(x1 * k, y1 * k);
      p->Stroke();
    };
    if (S.Hatch == HS_HORIZONTAL || S.Hatch == HS_CROSS) line(0, 2, 4, 2);
    if (S.Hatch == HS_VERTICAL || S.Hatch == HS_CROSS) line(2, 0, 2, 4);
    if (S.Hatch == HS_FDIAGONAL || S.Hatch == HS_DIAGCROSS) line(0, 0, 4, 4);
    if (S.Hatch == HS_BDIAGONAL || S.Hatch == HS_DIAGCROSS) line(4, 0, 0, 4);
    Hatches.push_back({S.Hatch, back, color, p});
  }
  UsePattern(p);
  return true;
}

bool TEMWParserImpl::DibFill() {
  if (!Patterns || !Images || S.BrushDib < 0 || S.BrushDib >= static_cast<int>(Dibs.size())) return false;
  TDibPattern& d = Dibs[std::size_t(S.BrushDib)];
  if (!d.Pattern) {
    TBitmap bmp;
    if (!bmp.LoadFromDIB(reinterpret_cast<const std::uint8_t*>(d.Packed.data()), d.Packed.size())) return false;
    const int idx = Images->AddImage(bmp, bmp.GetPixelFormat() == pf1bit ? itcCCITT4 : itcFlate);
    const int w = bmp.GetWidth(), h = bmp.GetHeight();
    d.Pattern = NewPattern(w, h);
    d.Pattern->ShowImage(idx, 0, 0, w * d.Pattern->D2P(), h * d.Pattern->D2P(), 0);
    d.Packed.clear();
  }
  UsePattern(d.Pattern);
  return true;
}

// ---- figures ------------------------------------------------------------------------------------

void TEMWParserImpl::Poly(DWORD type, R r) {
  const TEmrPoly poly{r, type >= EMR_POLYBEZIER16};
  const std::uint32_t n = poly.Count();
  if (!poly.Valid() || n == 0) return;
  auto pt = [&](std::uint32_t i) { return poly.At(i); };
  auto to = [&](POINT p) {
    const TDoublePoint q = MapPt(p);
    Canvas.LineTo(q.x, q.y);
  };
  auto mv = [&](POINT p) {
    const TDoublePoint q = MapPt(p);
    Canvas.MoveTo(q.x, q.y);
  };
  auto curve = [&](POINT a, POINT b, POINT c) {
    const TDoublePoint p = MapPt(a), q = MapPt(b), s = MapPt(c);
    Canvas.Curveto(p.x, p.y, q.x, q.y, s.x, s.y);
  };
  switch (type) {
    case EMR_POLYLINE: case EMR_POLYLINE16:
      if (type == EMR_POLYLINE && NullPen() && !InPath) return;
      if (!InPath) Canvas.NewPath();
      mv(pt(0));
      for (std::uint32_t i = 1; i < n; ++i) to(pt(i));
      if (!InPath) StrokeStep();
      break;
    case EMR_POLYLINETO: case EMR_POLYLINETO16:
      if (!InPath) {
        Canvas.NewPath();
        mv(S.Cur);
      }
      for (std::uint32_t i = 0; i < n; ++i) to(pt(i));
      S.Cur = pt(n - 1);
      if (!InPath) StrokeStep();
      break;
    case EMR_POLYGON: case EMR_POLYGON16:
      Canvas.NewPath();
      mv(pt(0));
      for (std::uint32_t i = 1; i < n; ++i) to(pt(i));
      if (!InPath) {
        Canvas.ClosePath();
        ClosedStep();
      }
      break;
    case EMR_POLYBEZIER: case EMR_POLYBEZIER16:
      if (n < 4) return;
      mv(pt(0));
      for (std::uint32_t i = 1; i + 2 < n; i += 3) curve(pt(i), pt(i + 1), pt(i + 2));
      if (!InPath) StrokeStep();
      break;
    default:  // POLYBEZIERTO
      if (n < 3) return;
      if (!InPath) mv(S.Cur);
      for (std::uint32_t i = 0; i + 2 < n; i += 3) {
        curve(pt(i), pt(i + 1), pt(i + 2));
        S.Cur = pt(i + 2);
      }
      if (!InPath) StrokeStep();
      break;
  }
}

void TEMWParserImpl::PolyPoly(DWORD type, R r) {
  const TEmrPolyPoly pp{r, type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYLINE16};
  const bool gon = type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYGON;
  if (!pp.Valid()) return;
  const std::uint32_t polys = pp.Figures(), total = pp.Total();
  auto pt = [&](std::uint64_t i) { return MapPt(pp.At(i)); };
  std::uint64_t at = 0;
  if (type != EMR_POLYPOLYGON) Canvas.NewPath();
  for (std::uint32_t k = 0; k < polys; ++k) {
    const std::uint32_t c = pp.FigureCount(k);
    if (c > total - at) break;
    if (c == 0) continue;
    if (type == EMR_POLYPOLYGON) Canvas.NewPath();
    TDoublePoint first = pt(at);
    Canvas.MoveTo(first.x, first.y);
    for (std::uint32_t i = 1; i < c; ++i) {
      const TDoublePoint p = pt(at + i);
      Canvas.LineTo(p.x, p.y);
    }
    if (gon) Canvas.LineTo(first.x, first.y);
    at += c;
    if (type == EMR_POLYPOLYGON && !InPath) ClosedStep();
  }
  if (type == EMR_POLYPOLYGON) return;
  if (InPath) return;
  if (gon) ClosedStep();
  else StrokeStep();
}

void TEMWParserImpl::PolyDraw(DWORD type, R r) {
  const bool small = type == EMR_POLYDRAW16;
  const std::uint32_t n = r.U32(24);
  const std::size_t step = small ? 4 : 8;
  if (!r.HasArray(std::min<std::size_t>(28, r.Size()), n, step + 1)) return;
  const std::size_t typesAt = 28 + std::size_t(n) * step;
  auto pt = [&](std::uint32_t i) {
    const std::size_t o = 28 + std::size_t(i) * step;
    return small ? POINT{r.I16(o), r.I16(o + 2)} : POINT{r.Coord(o), r.Coord(o + 4)};
  };
  if (!InPath) Canvas.NewPath();
  POINT start = S.Cur;
  TDoublePoint q = MapPt(S.Cur);
  Canvas.MoveTo(q.x, q.y);
  for (std::uint32_t i = 0; i < n;) {
    const BYTE t = r.U8(typesAt + i);
    const POINT p = pt(i);
    if ((t & 6) == PT_MOVETO) {
      q = MapPt(p);
      Canvas.MoveTo(q.x, q.y);
      start = p;
      S.Cur = p;
      ++i;
    } else if ((t & 6) == PT_BEZIERTO && i + 2 < n) {
      const TDoublePoint a = MapPt(p), b = MapPt(pt(i + 1)), c = MapPt(pt(i + 2));
      Canvas.Curveto(a.x, a.y, b.x, b.y, c.x, c.y);
      S.Cur = pt(i + 2);
      const BYTE last = r.U8(typesAt + i + 2);
      i += 3;
      if (last & PT_CLOSEFIGURE) {
        q = MapPt(start);
        Canvas.LineTo(q.x, q.y);
      }
    } else {
      // A line, and any type that is neither: drawn as a line.
      q = MapPt(p);
      Canvas.LineTo(q.x, q.y);
      S.Cur = p;
      ++i;
      if (t & PT_CLOSEFIGURE) {
        q = MapPt(start);
        Canvas.LineTo(q.x, q.y);
      }
    }
  }
  if (!InPath) StrokeStep();
  if (type == EMR_POLYDRAW16) Canvas.SetLineCap(lcRound);
}

void TEMWParserImpl::Box(DWORD type, R r) {
  const TEmrBox box{r};
  const RECT rc = box.Box();
  const LONG l = rc.Left, t = rc.Top, rt = rc.Right, b = rc.Bottom;
  const TDoublePoint p1 = Map(l, t), p2 = Map(rt, b);
  switch (type) {
    case EMR_RECTANGLE:
      if (l == rt || t == b) {
        Canvas.NewPath();
        return;
      }
      Canvas.Rectangle(p1.x, p1.y, p2.x, p2.y);
      if (!InPath) BoxStep();
      return;
    case EMR_ELLIPSE:
      Canvas.Ellipse(p1.x, p1.y, p2.x, p2.y);
      if (!InPath) BoxStep();
      return;
    case EMR_ROUNDRECT:
      Canvas.RoundRect(static_cast<int>(std::lround(p1.x)), static_cast<int>(std::lround(p1.y)),
                       static_cast<int>(std::lround(p2.x)), static_cast<int>(std::lround(p2.y)),
                       static_cast<int>(std::lround(box.Corner().cx * CalX)), static_cast<int>(std::lround(box.Corner().cy * CalY)));
      if (!InPath) BoxStep();
      return;
    default: break;
  }
  TDoublePoint a = MapPt(box.Start()), c = MapPt(box.End());
  if (type == EMR_PIE) {
    Canvas.Pie(p1.x, p1.y, p2.x, p2.y, a.x, a.y, c.x, c.y);
    if (!InPath) ClosedStep();
    return;
  }
  if (!S.CCW) std::swap(a, c);
  const TDoublePoint s = Canvas.Arc(p1.x, p1.y, p2.x, p2.y, a.x, a.y, c.x, c.y);
  if (type == EMR_CHORD) {
    Canvas.LineTo(s.x, s.y);
    if (!InPath) ClosedStep();
  } else if (!InPath) {
    StrokeStep();
  }
}

void TEMWParserImpl::ArcTo(R r) {
  const TEmrBox box{r};
  const RECT rc = box.Box();
  const LONG l = rc.Left, t = rc.Top, rt = rc.Right, b = rc.Bottom;
  POINT a = box.Start(), c = box.End();
  if (!S.CCW) std::swap(a, c);
  const double cx = (l + rt) / 2.0, cy = (t + b) / 2.0, rx = std::max(1e-9, (rt - l) / 2.0), ry = std::max(1e-9, (b - t) / 2.0);
  auto on = [&](POINT p) {
    const double ang = std::atan2((p.Y - cy) / ry, (p.X - cx) / rx);
    return std::pair<double, double>(cx + rx * std::cos(ang), cy + ry * std::sin(ang));
  };
  const TDoublePoint cur = MapPt(S.Cur);
  Canvas.MoveTo(cur.x, cur.y);
  const auto [sx, sy] = on(a);
  const TDoublePoint s = Map(sx, sy);
  Canvas.LineTo(s.x, s.y);
  const TDoublePoint p1 = Map(l, t), p2 = Map(rt, b), ma = MapPt(a), mc = MapPt(c);
  Canvas.Arc(p1.x, p1.y, p2.x, p2.y, ma.x, ma.y, mc.x, mc.y);
  const auto [ex, ey] = on(c);
  S.Cur = {static_cast<LONG>(std::lround(ex)), static_cast<LONG>(std::lround(ey))};
  if (!InPath) StrokeStep();
}

void TEMWParserImpl::AngleArc(R r) {
  const double cx = r.Coord(8), cy = r.Coord(12), rad = std::min<std::uint32_t>(r.U32(16), 1u << 27);
  double a = r.F32(20), sweep = r.F32(24);
  if (!std::isfinite(a) || !std::isfinite(sweep)) return;
  a = std::fmod(a, 360.0);
  sweep = std::clamp(sweep, -720.0, 720.0);
  const double ar = a * kPi / 180;
  const TDoublePoint cur = MapPt(S.Cur);
  Canvas.MoveTo(cur.x, cur.y);
  const TDoublePoint s = Map(cx + std::cos(ar) * rad, cy - std::sin(ar) * rad);
  Canvas.LineTo(s.x, s.y);
  const TDoublePoint p1 = Map(cx - rad, cy - rad), p2 = Map(cx + rad, cy + rad);
  if (std::fabs(sweep) < 360) Canvas.Arc(p1.x, p1.y, p2.x, p2.y, a, a + sweep);
  else Canvas.Ellipse(p1.x, p1.y, p2.x, p2.y);
  const double er = (a + sweep) * kPi / 180;
  S.Cur = {static_cast<LONG>(std::lround(cx + std::cos(er) * rad)), static_cast<LONG>(std::lround(cy - std::sin(er) * rad))};
  if (!InPath) StrokeStep();
}

void TEMWParserImpl::FillRgn(R r) {
  const TEmrFillRegion f{r};
  const TRegionRects region = f.Region();
  const std::uint32_t brush = f.Brush();
  if (!region.Valid()) return;
  const std::uint32_t n = region.Count();
  const TState keep = S;
  if (brush & 0x80000000u) {
    if ((brush & 0x7FFFFFFF) <= NULL_BRUSH) SelectStock(brush & 0x7FFFFFFF);
  } else {
    if (brush >= Objects.size() || Objects[brush].Kind != TObjKind::Brush) return;
    SelectObject(brush);
  }
  if (S.BrushStyle == BS_HATCHED) S.BrushColor = S.BkColor, S.BrushStyle = BS_SOLID;
  if (!NullBrush()) {
    Canvas.NewPath();
    BrushFill();
    for (std::uint32_t i = 0; i < n; ++i) {
      const RECT rc = region.Rect(i);
      const auto q = DeviceRect(rc.Left, rc.Top, rc.Right, rc.Bottom);
      Canvas.Rectangle(q[0], q[1], q[2], q[3]);
    }
    Canvas.Fill();
    Canvas.NewPath();
  }
  S.BrushStyle = keep.BrushStyle, S.BrushColor = keep.BrushColor, S.Hatch = keep.Hatch, S.BrushDib = keep.BrushDib;
}

void TEMWParserImpl::ClipRegion(R r) {
  const TEmrClipRegion c{r};
  const std::uint32_t cb = c.Cb(), mode = c.Mode();
  TClipStep st;
  const TRegionRects region = c.Region();
  if (region.Valid())
    for (std::uint32_t i = 0; i < region.Count(); ++i) {
      const RECT q = region.Rect(i);
      st.Rects.push_back(DeviceRect(q.Left, q.Top, q.Right, q.Bottom));
    }
  if (mode == RGN_AND) {
    AddClip(std::move(st));
  } else if (mode == RGN_DIFF) {
    for (const auto& q : st.Rects) {
      TClipStep ex;
      ex.Exclude = true;
      ex.Rects.push_back(q);
      AddClip(std::move(ex));
    }
  } else {
    // Copy (and the modes that widen): the region replaces the clip; none removes it.
    S.Clip.clear();
    CloseClip();
    if (cb != 0) AddClip(std::move(st));
  }
}

// ---- text ---------------------------------------------------------------------------------------

void TEMWParserImpl::SendFont() {
  if (!FCha) return;
  FCha = false;
  const LOGFONTW& lf = S.Font;
  TFontStyles style;
  if (lf.lfWeight > 599) style.Include(fsBold);
  if (lf.lfItalic) style.Include(fsItalic);
  if (lf.lfUnderline) style.Include(fsUnderline);
  if (lf.lfStrikeOut) style.Include(fsStrikeOut);
  const std::u16string face = FaceOf(lf);
  const std::string up = Upper(face);
  BYTE charset = lf.lfCharSet;
  if (up == "WINGDINGS") charset = SYMBOL_CHARSET;
  bool subst = up == "HELVETICA" && charset != 0;
  // The face as the reference context realises it: another one means it is not installed.
  std::u16string realised;
  if (S.FontHandle) {
    WCHAR buf[LF_FACESIZE] = {};
    const int n = GetTextFaceW(DC, LF_FACESIZE, buf);
    for (int i = 0; i < n && i < LF_FACESIZE && buf[i]; ++i) realised += static_cast<char16_t>(buf[i]);
    if (Upper(realised) != up) subst = true;
  }
  // Size in whole points.
  double pts;
  if (lf.lfHeight < 0) {
    pts = std::round(-lf.lfHeight * 72.0 / PpiY);
  } else {
    TEXTMETRICW tm;
    if (lf.lfHeight > 0 && GetTextMetricsW(DC, &tm)) pts = std::round((tm.tmHeight - tm.tmInternalLeading) * 72.0 / PpiY);
    else pts = 12;
  }
  pts *= ScaleY();
  UnicodeString name;
  BYTE cs = 0;
  if (!subst) {
    name = face;
  } else if (up == "COURIER") {
    name = u"Courier New", cs = lf.lfCharSet;
  } else if (up == "TIMES") {
    name = u"Times New Roman", cs = lf.lfCharSet;
  } else if (!realised.empty()) {
    name = realised, cs = lf.lfCharSet;
  } else {
    name = u"Arial";
  }
  if (name.empty()) name = u"Arial";
  Canvas.SetActiveFont(name, style, std::max(pts, 0.5), cs);
  double scale = 100;
  if (lf.lfWidth != 0 && S.FontHandle) {
    LOGFONTW natural = lf;
    natural.lfWidth = 0;
    HFONT h = CreateFontIndirectW(&natural);
    SIZE a{}, b{};
    const WCHAR A[1] = {u'A'};
    GetTextExtentPoint32W(DC, A, 1, &a);
    HGDIOBJ old = ::SelectObject(DC, h);
    GetTextExtentPoint32W(DC, A, 1, &b);
    ::SelectObject(DC, old);
    DeleteObject(h);
    if (b.cx > 0) scale = 100.0 * a.cx / b.cx;
  }
  Canvas.SetHorizontalScaling(scale);
  const double sx = std::hypot(S.World.m11, S.World.m12) * LX(), sy = std::hypot(S.World.m21, S.World.m22) * LY();
  Canvas.SetFontWidthScale(sy > 0 ? std::min(1.0, sx / sy) : 1.0);
}

void TEMWParserImpl::DrawText(double x, double y, UINT options, const std::u16string& text, const std::vector<double>& dx,
                              bool haveDx, bool glyphs, const std::array<LONG, 4>* rect, double advance) {
  // The opaque or clipping rectangle.
  bool painted = false, clipped = false;
  const bool hasRect = rect && (*rect)[2] > (*rect)[0] && (*rect)[3] > (*rect)[1];
  if (rect && !InPath) {
    const auto q = MapRect((*rect)[0], (*rect)[1], (*rect)[2], (*rect)[3]);
    if ((options & ETO_OPAQUE) && hasRect) {
      Canvas.NewPath();
      SetFill(S.BkColor);
      Canvas.Rectangle(q[0], q[1], q[2], q[3]);
      Canvas.Fill();
      painted = true;
    }
    if ((options & ETO_CLIPPED) && !text.empty()) {
      Canvas.GStateSave();
      Canvas.NewPath();
      Canvas.Rectangle(q[0], q[1], q[2], q[3]);
      Canvas.Clip();
      Canvas.NewPath();
      clipped = true;
    }
  }
  if (text.empty()) {
    if (clipped) Canvas.GStateRestore(), StateLost();
    return;
  }
  // The reference point moves to the baseline's start, in logical units along the text's axes.
  const double esc = S.Font.lfEscapement / 10.0 * kPi / 180;
  const double ux = std::cos(esc), uy = -std::sin(esc);  // along the text (y downwards)
  const double vx = std::sin(esc), vy = std::cos(esc);   // down the text
  TEXTMETRICW tm{};
  const bool haveTm = S.FontHandle && GetTextMetricsW(DC, &tm);
  const double ascent = haveTm ? tm.tmAscent : std::fabs(S.Font.lfHeight) * 0.8;
  const double descent = haveTm ? tm.tmDescent : std::fabs(S.Font.lfHeight) * 0.2;
  if (S.Align & TA_UPDATECP) {
    x = S.Cur.X, y = S.Cur.Y;
    const UINT h = S.Align & 6;
    const double m = h == TA_CENTER ? 0 : h == TA_RIGHT ? -advance : advance;
    S.Cur = {static_cast<LONG>(std::lround(x + ux * m)), static_cast<LONG>(std::lround(y + uy * m))};
  }
  switch (S.Align & 6) {
    case TA_CENTER: x -= ux * advance / 2, y -= uy * advance / 2; break;
    case TA_RIGHT: x -= ux * advance, y -= uy * advance; break;
    default: break;
  }
  const UINT v = S.Align & 0x18;
  double top = 0;  // from the baseline up to the cell's top, for the background
  if (v == TA_TOP) x += vx * ascent, y += vy * ascent, top = ascent;
  else if (v == TA_BOTTOM) x -= vx * descent, y -= vy * descent, top = ascent;
  else top = ascent;
  if (S.Opaque && !painted && !glyphs && !InPath && esc == 0 && !rect) {
    SetFill(S.BkColor);
    Canvas.NewPath();
    const TDoublePoint a = Map(x, y - top), b = Map(x + advance, y + descent);
    Canvas.Rectangle(a.x, a.y, b.x, b.y);
    Canvas.Fill();
  }
  // Text mode: the fill colour is the text colour.
  SetFill(S.TextColor, FCha);
  SendFont();
  const TDoublePoint p = Map(x, y);
  double angle = S.Font.lfEscapement / 10.0;
  const TDoublePoint o = Map(0, 0), ax = Map(1, 0);
  angle += -std::atan2(ax.y - o.y, ax.x - o.x) * 180 / kPi;
  if (YUp()) angle = -angle;
  if (std::fabs(angle) < 1e-9) angle = 0;
  Canvas.TextFromBaseLine(true);
  std::vector<float> cdx;
  if (haveDx) {
    const double k = ScaleY() * CalX;
    cdx.reserve(dx.size());
    for (double d : dx) cdx.push_back(static_cast<float>(d * k));
  }
  if (glyphs) {
    std::vector<WORD> g(text.begin(), text.end());
    Canvas.ExtGlyphTextOut(p.x, p.y, angle, g.data(), static_cast<int>(g.size()), haveDx ? cdx.data() : nullptr);
  } else if (haveDx) {
    Canvas.ExtWideTextOut(p.x, p.y, angle, UnicodeString(text), cdx.data());
  } else {
    Canvas.WideTextOut(p.x, p.y, angle, UnicodeString(text));
  }
  if (clipped) {
    Canvas.GStateRestore();
    StateLost();
  }
}

void TEMWParserImpl::Text(DWORD type, R r) {
  const TEmrExtTextOut rec{r};
  if (!rec.Valid()) return;
  const TEmrText t = rec.Text();
  const std::uint32_t n = t.Count(), offString = t.StringOffset(), options = t.Options();
  const RECT box = t.Rect();
  const std::array<LONG, 4> rc{box.Left, box.Top, box.Right, box.Bottom};
  const std::size_t cw = type == EMR_EXTTEXTOUTW ? 2 : 1;
  if (n > (1u << 20) || !t.HasText(cw)) return;
  std::u16string text;
  text.reserve(n);
  if (cw == 2) {
    for (std::uint32_t i = 0; i < n; ++i) text += static_cast<char16_t>(r.U16(offString + 2 * std::size_t(i)));
  } else {
    // 8-bit text through the code page of the font's character set.
    UnicodeString u;
    if (CodePageToUnicode(CharsetCodePage(S.Font.lfCharSet), 0, r.Sub(offString, n), u)) text = u;
  }
  const bool glyphs = (options & ETO_GLYPH_INDEX) != 0 && cw == 2;
  std::vector<double> dx;
  bool haveDx = false;
  double advance = rc[2] - rc[0];
  const std::size_t per = (options & ETO_PDY) ? 2 : 1;
  if (t.HasAdvances()) {
    haveDx = true;
    advance = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
      const double d = t.Advance(per * std::uint64_t(i));
      dx.push_back(d);
      advance += d;
    }
    advance *= 1;
  }
  if (cw == 1 && haveDx && dx.size() != text.size()) haveDx = false;
  // Bengali loses its advances: its clusters are placed by shaping.
  for (char16_t c : text)
    if (c >= 0x0901 && c <= 0x09FF) haveDx = false;
  // Combining marks: when the reference context's shaping changes the number of glyphs, the
  // glyphs and their placement are drawn instead of the characters.
  bool glyphMode = glyphs;
  const bool marks = std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x0300 && c <= 0x036F; });
  if (marks && !glyphs && S.FontHandle) {
    std::vector<WCHAR> w(text.begin(), text.end()), g(text.size() * 2 + 8);
    std::vector<INT> gdx(g.size());
    GCP_RESULTSW res;
    res.lpGlyphs = g.data();
    res.lpDx = gdx.data();
    res.nGlyphs = static_cast<UINT>(g.size());
    if (GetCharacterPlacementW(DC, w.data(), static_cast<int>(w.size()), 0, &res,
                               GCP_DIACRITIC | GCP_GLYPHSHAPE | GCP_REORDER) != 0 &&
        res.nGlyphs != text.size() && res.nGlyphs > 0 && res.nGlyphs <= g.size()) {
      text.assign(g.begin(), g.begin() + res.nGlyphs);
      dx.assign(gdx.begin(), gdx.begin() + res.nGlyphs);
      haveDx = true;
      glyphMode = true;
      advance = 0;
      for (double d : dx) advance += d;
    }
  }
  // Right-to-left runs: the record holds the characters in reading order, the page wants them in
  // drawing order (with their advances), as the reference context lays them out.
  const bool rtl = std::any_of(text.begin(), text.end(), [](char16_t c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF);
  });
  if (rtl && !glyphMode && S.FontHandle) {
    std::vector<WCHAR> w(text.begin(), text.end());
    std::vector<UINT> order(text.size());
    GCP_RESULTSW res;
    res.lpOrder = order.data();
    res.nGlyphs = static_cast<UINT>(text.size());
    if (GetCharacterPlacementW(DC, w.data(), static_cast<int>(w.size()), 0, &res, GCP_REORDER) != 0) {
      std::u16string visual(text.size(), u' ');
      std::vector<double> vdx(dx.size());
      bool ok = true;
      for (std::size_t i = 0; i < text.size() && ok; ++i) {
        if (order[i] >= text.size()) {
          ok = false;
          break;
        }
        visual[order[i]] = text[i];
        if (haveDx) vdx[order[i]] = dx[i];
      }
      if (ok) {
        text.swap(visual);
        if (haveDx) dx.swap(vdx);
      }
    }
  }
  if (!haveDx && !text.empty() && S.FontHandle) {
    SIZE sz{};
    std::vector<WCHAR> w(text.begin(), text.end());
    if (!glyphMode && GetTextExtentPoint32W(DC, w.data(), static_cast<int>(w.size()), &sz)) advance = sz.cx;
  }
  const bool clipRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
  DrawText(t.Reference().X, t.Reference().Y, options, text, dx, haveDx, glyphMode, clipRect ? &rc : nullptr, advance);
}

void TEMWParserImpl::SmallText(R r) {
  const TEmrSmallTextOut t{r};
  const UINT options = t.Options();
  const std::uint32_t n = t.Count();
  if (n == 0 || n > (1u << 20)) return;
  const std::size_t o = t.TextAt();
  const RECT box = t.Rect();
  const std::array<LONG, 4> rc{box.Left, box.Top, box.Right, box.Bottom};
  const bool hasRect = t.HasRect();
  const std::size_t cw = t.Unit();
  if (!t.HasText()) return;
  std::u16string text;
  if (cw == 2) {
    for (std::uint32_t i = 0; i < n; ++i) text += static_cast<char16_t>(r.U16(o + 2 * std::size_t(i)));
  } else {
    UnicodeString u;
    if (CodePageToUnicode(CharsetCodePage(S.Font.lfCharSet), 0, r.Sub(o, n), u)) text = u;
  }
  const bool glyphs = (options & ETO_GLYPH_INDEX) != 0 && cw == 2;
  double advance = 0;
  if (!glyphs && S.FontHandle) {
    SIZE sz{};
    std::vector<WCHAR> w(text.begin(), text.end());
    if (GetTextExtentPoint32W(DC, w.data(), static_cast<int>(w.size()), &sz)) advance = sz.cx;
  }
  DrawText(t.Reference().X, t.Reference().Y, hasRect ? ETO_CLIPPED : 0, text, {}, false, glyphs,
           hasRect ? &rc : nullptr, advance);
}

// ---- bitmaps ------------------------------------------------------------------------------------

void TEMWParserImpl::PlaceImage(const TBitmap& bmp, const std::string& alpha, const TPDFImageMask& key, double x0,
                                double y0, double x1, double y1, bool mirrorX, bool mirrorY) {
  if (!Images) return;
  const TBitmap* shown = &bmp;
  TBitmap mirrored;
  std::string a = alpha;
  const int w = bmp.GetWidth(), h = bmp.GetHeight();
  if (mirrorX || mirrorY) {
    mirrored.SetPixelFormat(pf24bit);
    mirrored.SetSize(w, h);
    std::string flipped(a.size(), '\0');
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int sx = mirrorX ? w - 1 - x : x, sy = mirrorY ? h - 1 - y : y;
        mirrored.SetPixel(x, y, bmp.GetPixel(sx, sy));
        if (!a.empty()) flipped[std::size_t(y) * w + x] = a[std::size_t(sy) * w + sx];
      }
    shown = &mirrored;
    a.swap(flipped);
  }
  TPDFImageMask mask = key;
  const bool mono = shown->GetPixelFormat() == pf1bit;
  if (!a.empty()) {
    if (a.find_first_not_of('\0') == std::string::npos) return;  // wholly transparent
    if (a.find_first_not_of('\xFF') != std::string::npos) mask.SoftMask = Images->AddSoftMask(w, h, a);
  }
  TImageCompressionType c = mono ? itcCCITT4 : Options.ColorImagesAsJPEG ? itcJpeg : itcFlate;
  if (mask.HasColorKey && c == itcJpeg) c = itcFlate;  // a colour key needs exact colours
  if (mono && (mask.SoftMask >= 0 || mask.HasColorKey)) {
    // Masks go with full-colour images only.
    TBitmap full;
    full.Assign(shown);
    full.SetPixelFormat(pf24bit);
    const int idx = Images->AddImage(full, itcFlate, mask);
    Canvas.ShowImage(idx, std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0), 0);
    return;
  }
  const int idx = mask.SoftMask >= 0 || mask.HasColorKey ? Images->AddImage(*shown, c, mask) : Images->AddImage(*shown, c);
  Canvas.ShowImage(idx, std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0), 0);
}

void TEMWParserImpl::Bitmap(DWORD type, R r) {
  const bool blt = type == EMR_BITBLT || type == EMR_STRETCHBLT || type == EMR_MASKBLT || type == EMR_TRANSPARENTBLT ||
                   type == EMR_ALPHABLEND;
  const TEmrBlt b{r, type};
  const TEmrDibBits d{r, type};
  // Destination in logical units, source rectangle.
  const POINT dest = blt ? b.Dest() : d.Dest(), source = blt ? b.Source() : d.Source();
  const SIZE destSize = blt ? b.DestSize() : d.DestSize(), sourceSize = blt ? b.SourceSize() : d.SourceSize();
  const LONG dx = dest.X, dy = dest.Y, dw = destSize.cx, dh = destSize.cy, sx = source.X, sw = sourceSize.cx,
             sh = sourceSize.cy;
  DWORD rop = SRCCOPY;
  if (type == EMR_BITBLT || type == EMR_STRETCHBLT || type == EMR_MASKBLT) {
    rop = b.Rop();
  } else if (type == EMR_STRETCHDIBITS) {
    rop = d.Rop();
    if (rop == 0xB8074A) rop = SRCCOPY;
  }
  const DWORD usage = blt ? b.Usage() : d.Usage();
  std::string packed;
  TRecordDib dib;
  const bool hasDib = (blt ? b.SourceInfoSize() : d.SourceInfoSize()) != 0 && (blt ? b.Dib(dib) : d.Dib(dib)) &&
                      PackDib(dib, packed);
  const TDoublePoint d0 = Map(dx, dy), d1 = Map(double(dx) + dw, double(dy) + dh);
  if (!hasDib) {
    // No picture: the destination is filled with the brush (a pattern operation).
    if (dw == 0 || dh == 0 || (type != EMR_BITBLT && type != EMR_STRETCHBLT && type != EMR_TRANSPARENTBLT &&
                               type != EMR_ALPHABLEND)) {
      if (type == EMR_STRETCHBLT) Canvas.NewPath();
      return;
    }
    if (type == EMR_BITBLT && rop != PATCOPY && rop != BLACKNESS && rop != WHITENESS && rop != SRCCOPY) return;
    if (rop == BLACKNESS && type == EMR_BITBLT) SetFill(0);
    else if (rop == WHITENESS && type == EMR_BITBLT) SetFill(0xFFFFFF);
    else BrushFill();
    Canvas.NewPath();
    Canvas.Rectangle(d0.x, d0.y, d1.x, d1.y);
    Canvas.Fill();
    return;
  }
  if (type == EMR_BITBLT) {
    static const DWORD ok[] = {SRCCOPY, BLACKNESS, DSTINVERT, MERGECOPY, MERGEPAINT, NOTSRCCOPY, NOTSRCERASE,
                               PATCOPY, PATPAINT, SRCAND, SRCERASE, SRCINVERT, SRCPAINT, WHITENESS};
    if (std::find(std::begin(ok), std::end(ok), rop) == std::end(ok)) return;
  }
  if (sw <= 0 || sh <= 0 || dw == 0 || dh == 0) {
    if (type == EMR_ALPHABLEND && dw && dh) {
      SetFill(CurFill, true);
      Canvas.NewPath();
      Canvas.Rectangle(d0.x, d0.y, d1.x, d1.y);
      Canvas.Fill();
    }
    return;
  }
  const int bw = dib.Width(), bh = dib.Height(), bits = dib.BitCount();
  const bool bottomUp = dib.BottomUp();
  // The source rectangle inside the picture (rows counted from the top).
  const int top = blt ? b.SourceTop(dib) : d.SourceTop(dib);
  const int x0 = std::clamp(sx, 0, bw), y0 = std::clamp(top, 0, bh);
  const int x1 = std::clamp(sx + sw, 0, bw), y1 = std::clamp(top + sh, 0, bh);
  if (x1 <= x0 || y1 <= y0) return;
  const int w = x1 - x0, h = y1 - y0;
  TBitmap src;
  if (!src.LoadFromDIB(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size())) return;
  // The scratch picture: the source part, with the raster operation applied onto a blank one.
  TBitmap out;
  std::string alpha;
  TPDFImageMask key;
  const bool mono = src.GetPixelFormat() == pf1bit;
  if (rop == SRCCOPY || type == EMR_ALPHABLEND || type == EMR_TRANSPARENTBLT || type == EMR_MASKBLT) {
    out.SetPixelFormat(mono && type != EMR_ALPHABLEND ? pf1bit : pf24bit);
    if (mono && type != EMR_ALPHABLEND) out.SetPalette(src.Palette());
    out.SetSize(w, h);
    if (mono && type != EMR_ALPHABLEND) {
      for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = src.ScanLine(y0 + y);
        std::uint8_t* t = out.ScanLine(y);
        std::memset(t, 0, std::size_t(out.BytesPerScanLine()));
        for (int x = 0; x < w; ++x)
          if (s[(x0 + x) >> 3] & (0x80 >> ((x0 + x) & 7))) t[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
      }
    } else {
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.SetPixel(x, y, src.GetPixel(x0 + x, y0 + y));
    }
  } else {
    out.SetPixelFormat(pf24bit);
    out.SetSize(w, h);
    HDC odc = out.GetCanvas()->GetHandle();
    const BITMAPINFO* bmi = reinterpret_cast<const BITMAPINFO*>(packed.data());
    const std::size_t bitsAt = dib.Info.size();
    StretchDIBits(odc, 0, 0, w, h, x0, bottomUp ? bh - y1 : y0, w, h, packed.data() + bitsAt, bmi, usage, rop);
    out.Flush();
  }
  if (type == EMR_TRANSPARENTBLT) {
    key.HasColorKey = true;
    key.ColorKey = PlainColor(b.Rop());
  } else if (type == EMR_ALPHABLEND) {
    // Per-pixel alpha of a 32-bit picture (premultiplied when AC_SRC_ALPHA), times the constant.
    const DWORD bf = b.Rop();
    const int constant = (bf >> 16) & 0xFF;
    const bool perPixel = ((bf >> 24) & 0xFF) == AC_SRC_ALPHA && bits == 32;
    alpha.assign(std::size_t(w) * h, static_cast<char>(constant));
    if (perPixel) {
      const std::size_t cb = dib.Info.size();
      const std::size_t stride = std::size_t(bw) * 4;
      const std::string_view px = std::string_view(packed).substr(cb);
      for (int y = 0; y < h; ++y) {
        const int row = bottomUp ? bh - 1 - (y0 + y) : y0 + y;
        for (int x = 0; x < w; ++x) {
          const std::size_t at = std::size_t(row) * stride + std::size_t(x0 + x) * 4;
          if (at + 3 >= px.size()) continue;
          const int a = static_cast<std::uint8_t>(px[at + 3]);
          const int pa = a * constant / 255;
          alpha[std::size_t(y) * w + x] = static_cast<char>(pa);
          if (a > 0 && a < 255) {
            // Undo the premultiplication: PDF wants the colour itself.
            auto un = [&](int c) { return static_cast<BYTE>(std::min(255, c * 255 / a)); };
            out.SetPixel(x, y, static_cast<TColor>(RGB(un(static_cast<std::uint8_t>(px[at + 2])),
                                                       un(static_cast<std::uint8_t>(px[at + 1])),
                                                       un(static_cast<std::uint8_t>(px[at])))));
          }
        }
      }
    }
  } else if (type == EMR_MASKBLT) {
    // The mask: where its bit is 0 the destination stays as it was.
    std::string mpacked;
    TRecordDib mdib;
    TBitmap mask;
    if (b.MaskDib(mdib) && PackDib(mdib, mpacked) &&
        mask.LoadFromDIB(reinterpret_cast<const std::uint8_t*>(mpacked.data()), mpacked.size())) {
      const int mx = b.MaskOrigin().X, my = b.MaskOrigin().Y;
      alpha.assign(std::size_t(w) * h, '\0');
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const int px = mx + x, py = my + y;
          if (px < 0 || py < 0 || px >= mask.GetWidth() || py >= mask.GetHeight()) continue;
          bool set;
          if (mask.GetPixelFormat() == pf1bit) set = (mask.ScanLine(py)[px >> 3] >> (7 - (px & 7))) & 1;
          else set = (mask.GetPixel(px, py) & 0xFFFFFF) != 0;
          if (set) alpha[std::size_t(y) * w + x] = '\xFF';
        }
    }
  }
  bool mirrorX = false, mirrorY = false;
  if (type == EMR_STRETCHDIBITS && S.StretchMode != HALFTONE) mirrorX = dw < 0, mirrorY = dh < 0;
  if (type == EMR_STRETCHDIBITS) {
    const RECT bounds = d.Bounds();
    const LONG bl = bounds.Left, bt = bounds.Top, br = bounds.Right, bb = bounds.Bottom;
    if ((br < bl || bb < bt) && (std::fabs(d1.x - d0.x) < 0.01 || std::fabs(d1.y - d0.y) < 0.01)) return;
  }
  PlaceImage(out, alpha, key, d0.x, d0.y, d1.x, d1.y, mirrorX, mirrorY);
}

// ---- the public face ----------------------------------------------------------------------------

TEMWParser::TEMWParser(TPDFCanvas& canvas, TPDFImages* images, TPDFListManager* patterns,
                       const TPDFEMFParseOptions& options, TPDFFonts* fonts)
    : FImpl(std::make_unique<TEMWParserImpl>(canvas, images, patterns, options, fonts)) {}

TEMWParser::~TEMWParser() = default;

void TEMWParser::LoadMetaFile(const TMetafile& metafile) {
  HENHMETAFILE h = metafile.GetHandle();
  if (!h) return LoadBytes({});
  LoadBytes(h->Bits);
}

void TEMWParser::LoadBytes(std::string_view emf) { FImpl->Load(emf); }

TSize TEMWParser::GetMax() const { return FImpl->GetMax(); }

void TEMWParser::Execute() { FImpl->Execute(); }

bool PDFTranslateMetafile(TPDFPage& page, TMetafile& metafile) {
  TPDFPages* pages = page.Owner();
  if (!pages) return false;
  TEMWParser parser(page, pages->Images, pages->Patterns, pages->EMFOptions(), pages->Fonts());
  parser.LoadMetaFile(metafile);
  const TSize m = parser.GetMax();
  if (m.cx <= 0 || m.cy <= 0) return false;
  parser.Execute();
  return true;
}
