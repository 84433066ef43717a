#include "pdf/PDFCanvas.h"

#include <algorithm>
#include <cmath>

#include "pdf/PDFForms.h"
#include "pdf/PDFImage.h"
#include "platform/base/NLS.h"

namespace {

constexpr Extended kBezierK = 0.5522847498L;
constexpr Extended kDeg = M_PIl / 180.0L;

// "x y ... op" with two decimals.
std::string Nums(std::initializer_list<Extended> v, const char* op) {
  std::string s;
  s.reserve(8 * v.size() + 4);
  for (Extended x : v) {
    AppendPDFFloat(s, x);
    s += ' ';
  }
  s += op;
  return s;
}

}  // namespace

TPDFCanvas::TPDFCanvas(TPDFEngine* engine, TPDFFonts* fonts) : TPDFObject(engine), FFonts(fonts) {
  FRes = engine->FResolution > 0 ? engine->FResolution : 72;
  FD2P = FRes / 72.0L;
  GStateSave();
}

// ---- size ---------------------------------------------------------------------------------------

void TPDFCanvas::SetWidth(int value) { FWidth = static_cast<int>(std::lround(value / FD2P)); }
void TPDFCanvas::SetHeight(int value) { FHeight = static_cast<int>(std::lround(value / FD2P)); }
int TPDFCanvas::GetWidth() const { return static_cast<int>(std::nearbyint(FWidth * FD2P)); }
int TPDFCanvas::GetHeight() const { return static_cast<int>(std::nearbyint(FHeight * FD2P)); }

// ---- coordinates --------------------------------------------------------------------------------

Extended TPDFCanvas::ExtToIntX(Extended ax) {
  FActions = true;
  return ax / FD2P;
}
Extended TPDFCanvas::ExtToIntY(Extended ay) {
  FActions = true;
  return FHeight - ay / FD2P;
}
Extended TPDFCanvas::PointsToCanvasX(Extended x) {
  FActions = true;
  return x * FD2P;
}
Extended TPDFCanvas::PointsToCanvasY(Extended y) {
  FActions = true;
  return (FHeight - y) * FD2P;
}

// ---- graphics state -----------------------------------------------------------------------------

void TPDFCanvas::EndText() {
  if (!FTextInited) return;
  FContent.Add("ET");
  FTextInited = false;
}

void TPDFCanvas::OpenText() {
  if (FTextInited) return;
  FContent.Add("BT");
  FTextInited = true;
  TP = {0, 0};
}

void TPDFCanvas::AddLine(std::string_view nums, const char* op) {
  std::string s(nums);
  s += op;
  FContent.Add(std::move(s));
}

void TPDFCanvas::GStateSave() {
  if (FBCDStart) throw EPDFException("Cannot save or restore state in BCD section.");
  EndText();
  FContent.Add("q");
  ++FSaveCount;
  FStateStack.push_back({FCurrentDash, FCharSpace, FWordSpace, FHorizontalScaling});
}

void TPDFCanvas::GStateRestore() {
  if (FBCDStart) throw EPDFException("Cannot save or restore state in BCD section.");
  if (FSaveCount <= 1) return;
  EndText();
  FContent.Add("Q");
  --FSaveCount;
  // "Q" brings back the dash and the text state of the matching "q": so does the tracking.
  if (!FStateStack.empty()) {
    const TTrackedState& t = FStateStack.back();
    FCurrentDash = t.Dash;
    FCharSpace = t.CharSpace;
    FWordSpace = t.WordSpace;
    FHorizontalScaling = t.HorizontalScaling;
    FStateStack.pop_back();
  }
  if (FSaveCount < FCurrentFontIndex) FFontIsChanged = true;
}

void TPDFCanvas::CloseAllLevels() {
  EndText();
  while (FSaveCount > 0) {
    FContent.Add("Q");
    --FSaveCount;
  }
  FStateStack.clear();
}

void TPDFCanvas::SetLineWidth(Extended lw) {
  EndText();
  FContent.Add(Nums({lw / FD2P}, "w"));
}

void TPDFCanvas::SetLineCap(TPDFLineCap cap) {
  EndText();
  FContent.Add(PDFIntToStr(cap) + " J");
}

void TPDFCanvas::SetLineJoin(TPDFLineJoin join) {
  EndText();
  FContent.Add(PDFIntToStr(join) + " j");
}

void TPDFCanvas::SetDash(const std::string& dashSpec) {
  EndText();
  if (dashSpec == FCurrentDash) return;
  FCurrentDash = dashSpec;
  FContent.Add(dashSpec + " d");
}

static void UseColorSpace(const TPDFColor& c, bool& gray, bool& rgb, bool& cmyk) {
  if (c.ColorSpace == csGray)
    gray = true;
  else if (c.ColorSpace == csRGB)
    rgb = true;
  else
    cmyk = true;
}

void TPDFCanvas::SetColorFill(const TPDFColor& color) {
  static const char* ops[] = {" g", " rg", " k"};
  FContent.Add(PDFColorToStr(color) + ops[color.ColorSpace]);
  UseColorSpace(color, FGrayUsed, FRGBUsed, FCMYKUsed);
}

void TPDFCanvas::SetColorStroke(const TPDFColor& color) {
  static const char* ops[] = {" G", " RG", " K"};
  FContent.Add(PDFColorToStr(color) + ops[color.ColorSpace]);
  UseColorSpace(color, FGrayUsed, FRGBUsed, FCMYKUsed);
}

void TPDFCanvas::Rotate(Extended angle) {
  EndText();
  Extended a = angle * kDeg, c = std::cos(a), s = std::sin(a);
  FF = {c, s, -s, c, 0, 0};
  FContent.Add(Nums({c, s, -s, c, 0, 0}, "cm"));
}

void TPDFCanvas::AppendAction(std::string action) { FContent.Add(std::move(action)); }

// ---- paths --------------------------------------------------------------------------------------

void TPDFCanvas::MoveTo(Extended x, Extended y) {
  EndText();
  FX = ExtToIntX(x);
  FY = ExtToIntY(y);
  FPathInited = true;
  FContent.Add(Nums({FX, FY}, "m"));
}

void TPDFCanvas::LineTo(Extended x, Extended y) {
  EndText();
  FX = ExtToIntX(x);
  FY = ExtToIntY(y);
  FPathInited = true;
  FContent.Add(Nums({FX, FY}, "l"));
}

void TPDFCanvas::Curveto(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3,
                         Extended y3) {
  EndText();
  Extended a = ExtToIntX(x1), b = ExtToIntY(y1), c = ExtToIntX(x2), d = ExtToIntY(y2);
  FX = ExtToIntX(x3);
  FY = ExtToIntY(y3);
  FPathInited = true;
  FContent.Add(Nums({a, b, c, d, FX, FY}, "c"));
}

void TPDFCanvas::Rectangle(Extended x1, Extended y1, Extended x2, Extended y2) {
  EndText();
  NormalizeExtRect(x1, y1, x2, y2);
  Extended x = ExtToIntX(x1), y = ExtToIntY(y2);
  Extended w = (x2 - x1) / FD2P, h = (y2 - y1) / FD2P;
  FX = x;
  FY = y;
  FPathInited = true;
  FContent.Add(Nums({x, y, w, h}, "re"));
}

// Four quarter curves around (cx, cy) in points, counter-clockwise from (cx + rx, cy).
static void EllipsePath(TAnsiStringList& out, Extended cx, Extended cy, Extended rx, Extended ry) {
  Extended kx = kBezierK * rx, ky = kBezierK * ry;
  out.Add(Nums({cx + rx, cy}, "m"));
  out.Add(Nums({cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry}, "c"));
  out.Add(Nums({cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy}, "c"));
  out.Add(Nums({cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry}, "c"));
  out.Add(Nums({cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy}, "c"));
}

void TPDFCanvas::Circle(Extended x, Extended y, Extended r) {
  EndText();
  Extended cx = ExtToIntX(x), cy = ExtToIntY(y), rr = r / FD2P;
  EllipsePath(FContent, cx, cy, rr, rr);
  FX = cx + rr;
  FY = cy;
  FPathInited = true;
}

void TPDFCanvas::Ellipse(Extended x1, Extended y1, Extended x2, Extended y2) {
  EndText();
  Extended px1 = ExtToIntX(x1), py1 = ExtToIntY(y1), px2 = ExtToIntX(x2), py2 = ExtToIntY(y2);
  Extended rx = (px2 - px1) / 2, ry = (py2 - py1) / 2;
  Extended cx = px1 + rx, cy = py1 + ry;
  EllipsePath(FContent, cx, cy, rx, ry);
  FX = cx + rx;
  FY = cy;
  FPathInited = true;
}

void TPDFCanvas::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
  NormalizeIntRect(x1, y1, x2, y2);
  Extended a = w / 2.0L, b = h / 2.0L;
  Extended ka = kBezierK * a, kb = kBezierK * b;
  MoveTo(x1 + a, y1);
  LineTo(x2 - a, y1);
  Curveto(x2 - a + ka, y1, x2, y1 + b - kb, x2, y1 + b);
  LineTo(x2, y2 - b);
  Curveto(x2, y2 - b + kb, x2 - a + ka, y2, x2 - a, y2);
  LineTo(x1 + a, y2);
  Curveto(x1 + a - ka, y2, x1, y2 - b + kb, x1, y2 - b);
  LineTo(x1, y1 + b);
  Curveto(x1, y1 + b - kb, x1 + a - ka, y1, x1 + a, y1);
  ClosePath();
}

// Pieces of at most 90 degrees, each one cubic curve; angles in degrees, counter-clockwise in
// PDF space; a clockwise arc runs towards smaller angles.
void TPDFCanvas::ArcPieces(Extended cx, Extended cy, Extended rx, Extended ry, Extended startDeg,
                           Extended sweepDeg, bool clockwise) {
  const Extended shift = -0.0001L;
  int pieces = std::max(1, static_cast<int>(std::ceil(sweepDeg / 90.0L - 1e-9L)));
  Extended step = (clockwise ? -sweepDeg : sweepDeg) / pieces * kDeg;
  Extended t1 = startDeg * kDeg;
  FContent.Add(Nums({cx + rx * std::cos(t1) + shift, cy + ry * std::sin(t1) + shift}, "m"));
  for (int i = 0; i < pieces; ++i) {
    Extended t2 = t1 + step;
    Extended k = 4.0L / 3.0L * std::tan(step / 4);
    Extended x0 = cx + rx * std::cos(t1), y0 = cy + ry * std::sin(t1);
    Extended x3 = cx + rx * std::cos(t2), y3 = cy + ry * std::sin(t2);
    Extended x1 = x0 - k * rx * std::sin(t1), y1 = y0 + k * ry * std::cos(t1);
    Extended x2 = x3 + k * rx * std::sin(t2), y2 = y3 - k * ry * std::cos(t2);
    FContent.Add(Nums({x1 + shift, y1 + shift, x2 + shift, y2 + shift, x3 + shift, y3 + shift}, "c"));
    FX = x3 + shift;
    FY = y3 + shift;
    t1 = t2;
  }
  FPathInited = true;
}

TDoublePoint TPDFCanvas::Arc(Extended x1, Extended y1, Extended x2, Extended y2,
                             Extended begAngle, Extended endAngle) {
  EndText();
  Extended px1 = ExtToIntX(x1), py1 = ExtToIntY(y1), px2 = ExtToIntX(x2), py2 = ExtToIntY(y2);
  Extended rx = std::max<Extended>(0, (std::fabs(px2 - px1) - 1) / 2);
  Extended ry = std::max<Extended>(0, (std::fabs(py2 - py1) - 1) / 2);
  Extended cx = (px1 + px2) / 2, cy = (py1 + py2) / 2;
  Extended sweep = endAngle - begAngle;
  if (sweep < 0) sweep += 360;
  Extended t = endAngle * kDeg;
  TDoublePoint start{PointsToCanvasX(cx + rx * std::cos(t)), PointsToCanvasY(cy + ry * std::sin(t))};
  if (sweep == 0) return start;
  ArcPieces(cx, cy, rx, ry, endAngle, sweep, true);
  return start;
}

TDoublePoint TPDFCanvas::Arc(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3,
                             Extended y3, Extended x4, Extended y4) {
  EndText();
  Extended px1 = ExtToIntX(x1), py1 = ExtToIntY(y1), px2 = ExtToIntX(x2), py2 = ExtToIntY(y2);
  Extended rx = std::max<Extended>(0, (std::fabs(px2 - px1) - 1) / 2);
  Extended ry = std::max<Extended>(0, (std::fabs(py2 - py1) - 1) / 2);
  Extended cx = (px1 + px2) / 2, cy = (py1 + py2) / 2;
  auto angleOf = [&](Extended x, Extended y) {
    Extended dx = ExtToIntX(x) - cx, dy = ExtToIntY(y) - cy;
    if (rx > 0) dx /= rx;
    if (ry > 0) dy /= ry;
    return std::atan2(dy, dx) / kDeg;
  };
  Extended a1 = angleOf(x3, y3), a2 = angleOf(x4, y4);
  Extended sweep = a1 - a2;  // clockwise on the page: from a1 down to a2
  if (sweep <= 0) sweep += 360;
  Extended t = a1 * kDeg;
  TDoublePoint start{PointsToCanvasX(cx + rx * std::cos(t)), PointsToCanvasY(cy + ry * std::sin(t))};
  ArcPieces(cx, cy, rx, ry, a1, sweep, true);
  return start;
}

void TPDFCanvas::Pie(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
                     Extended x4, Extended y4) {
  TDoublePoint start = Arc(x1, y1, x2, y2, x3, y3, x4, y4);
  Extended cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
  LineTo(cx, cy);
  MoveTo(start.x, start.y);
  LineTo(cx, cy);
}

void TPDFCanvas::ClosePath() {
  EndText();
  FContent.Add("h");
}
void TPDFCanvas::NewPath() {
  EndText();
  FContent.Add("n");
}
void TPDFCanvas::Fill() {
  EndText();
  FContent.Add("f");
  FPathInited = false;
}
void TPDFCanvas::EoFill() {
  EndText();
  FContent.Add("f*");
  FPathInited = false;
}
void TPDFCanvas::Stroke() {
  EndText();
  FContent.Add("S");
  FPathInited = false;
}
void TPDFCanvas::FillAndStroke() {
  EndText();
  FContent.Add("B");
  FPathInited = false;
}
void TPDFCanvas::EoFillAndStroke() {
  EndText();
  FContent.Add("B*");
  FPathInited = false;
}
void TPDFCanvas::Clip() {
  EndText();
  if (FPathInited) FContent.Add("W");
}

// ---- text state ---------------------------------------------------------------------------------

void TPDFCanvas::SetCharSpacingRaw(Extended v) {
  if (v == FCharSpace) return;
  OpenText();
  FCharSpace = v;
  std::string s;
  AppendPDFFloat(s, v, true);
  s += " Tc";
  FContent.Add(std::move(s));
}

void TPDFCanvas::SetWordSpacingRaw(Extended v) {
  if (v == FWordSpace) return;
  OpenText();
  FWordSpace = v;
  FContent.Add(Nums({v}, "Tw"));
}

void TPDFCanvas::SetHorizontalScalingRaw(Extended v) {
  if (v == FHorizontalScaling) return;
  OpenText();
  FHorizontalScaling = v;
  FContent.Add(Nums({v}, "Tz"));
}

void TPDFCanvas::SetCharacterSpacing(Extended spacing) { SetCharSpacingRaw(spacing / FD2P); }
void TPDFCanvas::SetWordSpacing(Extended spacing) { SetWordSpacingRaw(spacing / FD2P); }
void TPDFCanvas::SetHorizontalScaling(Extended scale) { SetHorizontalScalingRaw(scale); }

// ---- fonts --------------------------------------------------------------------------------------

void TPDFCanvas::SetActiveFont(const UnicodeString& fontName, TFontStyles fontStyle,
                               Extended fontSize, BYTE fontCharset) {
  if (fontName == FCurrentFontName && fontStyle == FCurrentFontStyle &&
      fontSize == FCurrentFontSize && FIsTrueType) {
    // only the character set changes
  } else {
    FCurrentFontName = fontName;
    FCurrentFontSize = fontSize;
    FCurrentFontStyle = fontStyle;
    FFontIsChanged = true;
    FCurrentIndex = -1;
    ResolveFont();
  }
  FCharset = fontCharset == 1 ? 0 : fontCharset;
  FIsTrueType = true;
}

void TPDFCanvas::SetActiveFont(TPDFStdFont stdFont, Extended fontSize, TFontStyles fontStyle) {
  if (!FIsTrueType && stdFont == FStdFont && fontSize == FCurrentFontSize &&
      fontStyle == FCurrentFontStyle)
    return;
  FIsTrueType = false;
  FStdFont = stdFont;
  FCurrentFontName.clear();
  FCurrentFontSize = fontSize;
  FCurrentFontStyle = fontStyle;
  FCharset = 0;
  FFontIsChanged = true;
  FCurrentIndex = -1;
}

TPDFFont* TPDFCanvas::ResolveFont() {
  if (!FFontIsChanged && FCurrentFont) return FCurrentFont->ParentFont();
  TPDFFont* f = FIsTrueType ? FFonts->GetFontByInfo(FCurrentFontName, FCurrentFontStyle)
                            : FFonts->GetFontByInfo(FStdFont);
  FItalicEmulated = FIsTrueType && FCurrentFontStyle.Contains(fsItalic) &&
                    !f->FontStyle().Contains(fsItalic);
  return f;
}

void TPDFCanvas::LinkFont(TPDFFont* f) {
  if (std::find(FLinkedFont.begin(), FLinkedFont.end(), f) == FLinkedFont.end())
    FLinkedFont.push_back(f);
}

void TPDFCanvas::SetCurrentFont(int index) {
  if (!FFontIsChanged && index == FCurrentIndex && FCurrentFont) return;
  OpenText();
  FTextUsed = true;
  TPDFFont* f = ResolveFont();
  if (index > 0 && f->IsTrueType()) f = f->GetSubset(index - 1);
  FCurrentFont = f;
  LinkFont(f);
  std::string s = PDFName(f->AliasName());
  s += " 1 Tf";
  FContent.Add(std::move(s));
  f->SetFontUsed(true);
  FFontIsChanged = false;
  FCurrentIndex = index;
  FCurrentFontIndex = FSaveCount;
}

Extended TPDFCanvas::FontAscent() {
  if (FBaseLine) return 0;
  TPDFFont* f = ResolveFont();
  return f->Ascent() * FCurrentFontSize / 1000.0L;
}

// ---- text ---------------------------------------------------------------------------------------

void TPDFCanvas::SetTextMatrixAt(Extended angle, Extended x, Extended y) {
  OpenText();
  ResolveFont();
  Extended t = angle * kDeg, s = FCurrentFontSize, k = FFontScale;
  Extended ca = std::cos(t), sa = std::sin(t);
  Extended a = ca * s * k, b = sa * s, c, d;
  if (!FItalicEmulated) {
    c = -sa * s;
    d = ca * s;
  } else {
    c = ca * s * 0.15707963L - sa * s;
    d = ca * s + sa * s * 0.15707963L;
  }
  FContent.Add(Nums({a, b, c, d, x, y}, "Tm"));
  FRealAngle = angle;
  TP = {x, y};
}

void TPDFCanvas::PlaceText(Extended x, Extended y, Extended orientation) {
  Extended ascent = FontAscent();
  Extended px = ExtToIntX(x), py;
  if (orientation == 0) {
    py = ExtToIntY(y) - ascent;
  } else {
    Extended t = orientation * kDeg;
    px += ascent * std::sin(t);
    py = ExtToIntY(y) - ascent * std::cos(t);
  }
  SetTextMatrixAt(orientation, px, py);
}

bool TPDFCanvas::HasDecoration() const {
  return FCurrentFontStyle.Contains(fsUnderline) || FCurrentFontStyle.Contains(fsStrikeOut);
}

UnicodeString TPDFCanvas::ToUnicode(const std::string& text) const {
  UnicodeString u = AnsiStringToUnicode(text, PDFCharsetToCodePage(FCharset));
  if (u.empty()) throw EPDFException("Cannot convert text to unicode");
  return u;
}

void TPDFCanvas::WriteRun(const std::string& codes) {
  std::string s;
  s.reserve(codes.size() + 6);
  s += '(';
  AppendPDFEscaped(s, codes);
  s += ") Tj";
  FContent.Add(std::move(s));
}

void TPDFCanvas::ShowAnsiText(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  int kind = ClassifyTextBytes(FCharset, text);
  TPDFFont* f = ResolveFont();
  bool standard = !f->IsTrueType();
  if (kind == 0 || (kind == 1 && standard)) {
    SetCurrentFont(0);
    FCurrentFont->FillUsed(text);
    WriteRun(text);
    if (HasDecoration()) DrawTextDecoration(AnsiTextWidth(text));
  } else {
    ShowWideText(ToUnicode(text));
  }
}

// The character at k; a surrogate pair is read as one code point and k moves to its second unit.
static char32_t CodePointAt(const UnicodeString& text, std::size_t& k) {
  const char16_t u = text[k];
  if (u >= 0xD800 && u < 0xDC00 && k + 1 < text.size() && text[k + 1] >= 0xDC00 && text[k + 1] < 0xE000) {
    ++k;
    return 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[k]) - 0xDC00);
  }
  return u;
}

void TPDFCanvas::ShowWideText(const UnicodeString& text) {
  TPDFFont* font = ResolveFont();
  if (!font->IsTrueType()) throw EPDFException("Available for TrueType font only");
  std::string run;
  int runFont = -1;
  Extended widthSum = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    TNewCharInfo ci = font->GetNewCharByUnicode(CodePointAt(text, k));
    if (ci.FontIndex == 0) font->UsedChar(ci.NewCharacter);
    if (ci.FontIndex != runFont) {
      if (!run.empty()) WriteRun(run);
      run.clear();
      SetCurrentFont(ci.FontIndex);
      runFont = ci.FontIndex;
    }
    run += static_cast<char>(ci.NewCharacter);
    widthSum += ci.Width;
  }
  if (!run.empty()) WriteRun(run);
  if (HasDecoration()) {
    Extended w = widthSum * FCurrentFontSize / 1000;
    if (FHorizontalScaling != 100) w = w * FHorizontalScaling / 100;
    int n = static_cast<int>(text.size());
    if (FWordSpace > 0 && n > 1) w += FWordSpace * std::count(text.begin(), text.end(), u' ');
    if (FCharSpace > 0 && (n > 1 || widthSum != 0)) w += FCharSpace * n;
    DrawTextDecoration(w);
  }
}

void TPDFCanvas::ShowWideTextAdvances(const UnicodeString& text, const float* dx) {
  TPDFFont* font = ResolveFont();
  if (!font->IsTrueType()) throw EPDFException("Available for TrueType font only");
  SetWordSpacingRaw(0);
  const Extended unit = FD2P * FCurrentFontSize;
  std::vector<TNewCharInfo> infos;
  std::vector<float> advances;  // one per character: a surrogate pair takes both advances
  infos.reserve(text.size());
  advances.reserve(text.size());
  for (std::size_t k = 0; k < text.size(); ++k) {
    const std::size_t first = k;
    TNewCharInfo ci = font->GetNewCharByUnicode(CodePointAt(text, k));
    if (ci.FontIndex == 0) font->UsedChar(ci.NewCharacter);
    infos.push_back(ci);
    advances.push_back(k > first ? dx[first] + dx[k] : dx[k]);
  }
  dx = advances.data();
  std::string run;
  Extended requested = 0, natural = 0, total = 0;
  SetCurrentFont(infos[0].FontIndex);
  int selected = infos[0].FontIndex;
  auto flush = [&]() {
    if (run.empty()) return;
    SetCharSpacingRaw((requested - natural) / static_cast<Extended>(run.size()));
    WriteRun(run);
    run.clear();
  };
  for (std::size_t i = 0; i < infos.size(); ++i) {
    const TNewCharInfo& ci = infos[i];
    Extended n = ci.Width / 1000.0L;
    if (FHorizontalScaling != 100) n = n * FHorizontalScaling / 100;
    Extended r = dx[i] / unit;
    total += dx[i];
    if (ci.FontIndex != selected) {
      flush();
      FContent.Add(Nums({requested}, "0 Td"));
      SetCurrentFont(ci.FontIndex);
      selected = ci.FontIndex;
      requested = natural = 0;
    }
    run += static_cast<char>(ci.NewCharacter);
    if (std::fabs(n - r) <= 0.2L) {
      requested += r;
      natural += n;
    } else {
      flush();
      if (i + 1 < infos.size()) {
        FContent.Add(Nums({requested + r}, "0 Td"));
        if (infos[i + 1].FontIndex != selected) {
          SetCurrentFont(infos[i + 1].FontIndex);
          selected = infos[i + 1].FontIndex;
        }
      }
      requested = natural = 0;
    }
  }
  flush();
  if (HasDecoration()) DrawTextDecoration(total / FD2P);
}

void TPDFCanvas::ShowAnsiTextAdvances(std::string text, const float* dx) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  SetHorizontalScalingRaw(100);
  SetWordSpacingRaw(0);
  SetCharSpacingRaw(0);
  int kind = ClassifyTextBytes(FCharset, text);
  TPDFFont* f = ResolveFont();
  if (!(kind == 0 || (kind == 1 && !f->IsTrueType()))) {
    UnicodeString u = ToUnicode(text);
    if (u.size() == text.size()) {
      ShowWideTextAdvances(u, dx);
      return;
    }
    // A multi-byte code page: the advances belong to bytes; measure the characters instead.
    ShowWideText(u);
    return;
  }
  SetCurrentFont(0);
  FCurrentFont->FillUsed(text);
  const Extended unit = FD2P * FCurrentFontSize;
  Extended total = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string s = "(";
    AppendPDFEscaped(s, std::string_view(&text[i], 1));
    s += ") Tj ";
    AppendPDFFloat(s, dx[i] / unit);
    s += " 0 Td";
    FContent.Add(std::move(s));
    total += dx[i];
  }
  if (HasDecoration()) DrawTextDecoration(total / FD2P);
}

void TPDFCanvas::ShowGlyphs(const WORD* glyphs, int len, const float* dx) {
  TPDFFont* font = ResolveFont();
  if (!font->IsTrueType()) throw EPDFException("Available for TrueType font only");
  if (!dx) {
    std::string run;
    int runFont = -1;
    Extended widthSum = 0;
    for (int i = 0; i < len; ++i) {
      TNewCharInfo ci = font->GetNewCharByIndex(glyphs[i]);
      if (ci.FontIndex != runFont) {
        if (!run.empty()) WriteRun(run);
        run.clear();
        SetCurrentFont(ci.FontIndex);
        runFont = ci.FontIndex;
      }
      run += static_cast<char>(ci.NewCharacter);
      widthSum += ci.Width;
    }
    if (!run.empty()) WriteRun(run);
    if (HasDecoration()) DrawTextDecoration(widthSum * FCurrentFontSize / 1000);
    return;
  }
  SetWordSpacingRaw(0);
  ShowGlyphArray(font, glyphs, len, dx);
}

void TPDFCanvas::ShowGlyphArray(TPDFFont* font, const WORD* glyphs, int len, const float* dx) {
  // One "TJ" per subset font. The character spacing takes the usual difference between the
  // caller's advances and the font's widths (widths written in whole thousandths fall behind by
  // half a thousandth a glyph on average); a glyph then keeps its width, inside one string with
  // the glyphs before it, while it stands within kDrift of where the caller put it, and past that
  // a number (whole thousandths of the font size) moves it there. The caller's advances come
  // rounded to its device's pixels: following each of those roundings would cost a number per
  // glyph and show nothing; measuring the drift from the start of the line keeps it from adding
  // up. Plain doubles: a line has some eighty glyphs and a document thousands of lines.
  constexpr double kDrift = 0.05;  // points: two thirds of a pixel at 96 ppi zoomed ten times
  const double perUnit = 1.0 / static_cast<double>(FD2P * FCurrentFontSize);  // advances to font sizes
  const double scale = FHorizontalScaling > 0 ? static_cast<double>(FHorizontalScaling) / 100 : 1;
  const double tolerance = FCurrentFontSize > 0 ? kDrift / static_cast<double>(FCurrentFontSize) : 0;
  const std::size_t n = static_cast<std::size_t>(len);
  FGlyphInfos.resize(n);
  FDeviations.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    FGlyphInfos[k] = font->GetNewCharByIndex(glyphs[k]);
    FDeviations[k] = dx[k] * perUnit / scale - FGlyphInfos[k].Width / 1000.0;
  }
  // The mean of the glyphs near the median: the wider spaces of a justified line or a kerned
  // pair must not move every glyph.
  auto middle = FDeviations.begin() + len / 2;
  std::nth_element(FDeviations.begin(), middle, FDeviations.end());
  const double median = *middle;
  double sum = 0;
  int usual = 0;
  for (double d : FDeviations)
    if (std::fabs(d - median) <= 0.01) sum += d, ++usual;
  double spacing = std::round(sum / usual * 100000) / 100000;  // as written: five decimals
  if (!(std::fabs(spacing) < 1)) spacing = 0;
  SetCharSpacingRaw(spacing);
  double requested = 0;  // where the caller wants the next glyph, in units of the font size
  double written = 0;    // where the operators put it
  double total = 0;
  int selected = -1;
  std::string line;
  line.reserve(n + 16);
  bool inString = false;
  auto closeArray = [&]() {
    if (line.empty()) return;
    if (inString) line += ')';
    line += "] TJ";
    FContent.Add(std::move(line));
    line = std::string();
    line.reserve(n + 16);
    inString = false;
  };
  for (std::size_t k = 0; k < n; ++k) {
    const TNewCharInfo& ci = FGlyphInfos[k];
    if (ci.FontIndex != selected) {
      closeArray();
      SetCurrentFont(ci.FontIndex);
      selected = ci.FontIndex;
    }
    if (line.empty()) line += '[';
    const double drift = written - requested;
    if (k > 0 && std::fabs(drift) > tolerance && std::fabs(drift) < 1e9) {
      const std::int64_t adjust = std::llround(drift / scale * 1000);
      if (adjust != 0) {
        if (inString) line += ')';
        AppendPDFInt(line, adjust);
        inString = false;
        written -= adjust / 1000.0 * scale;
      }
    }
    if (!inString) {
      line += '(';
      inString = true;
    }
    const char code = static_cast<char>(ci.NewCharacter);
    switch (code) {
      case '\n': line += "\\n"; break;
      case '\r': line += "\\r"; break;
      case '(': line += "\\("; break;
      case ')': line += "\\)"; break;
      case '\\': line += "\\\\"; break;
      default: line += code;
    }
    written += (ci.Width / 1000.0 + spacing) * scale;
    requested += dx[k] * perUnit;
    total += dx[k];
  }
  closeArray();
  if (HasDecoration()) DrawTextDecoration(total / FD2P);
}

void TPDFCanvas::DrawTextDecoration(Extended width) {
  if (!HasDecoration()) return;
  EndText();
  Extended s = FCurrentFontSize, x = TP.x, y = TP.y, a = FRealAngle * kDeg;
  auto band = [&](Extended bx, Extended by, Extended thick) {
    if (FRealAngle == 0) {
      FContent.Add(Nums({bx, by, width, thick}, "re"));
    } else {
      Extended ca = std::cos(a), sa = std::sin(a);
      Extended x2 = bx + width * ca, y2 = by + width * sa;
      Extended ox = -sa * thick, oy = ca * thick;
      FContent.Add(Nums({bx, by}, "m"));
      FContent.Add(Nums({x2, y2}, "l"));
      FContent.Add(Nums({x2 + ox, y2 + oy}, "l"));
      FContent.Add(Nums({bx + ox, by + oy}, "l"));
      FContent.Add("h");
    }
  };
  if (FCurrentFontStyle.Contains(fsUnderline)) {
    if (FRealAngle == 0)
      band(x, y - 0.05L * s, -0.05L * s);
    else
      band(x + 3 * std::sin(a), y - 3 * std::cos(a), -0.05L * s);
  }
  if (FCurrentFontStyle.Contains(fsStrikeOut)) {
    if (FRealAngle == 0)
      band(x, y + s / 4, 0.05L * s);
    else
      band(x - std::sin(a) * s / 4, y + std::cos(a) * s / 4, 0.05L * s);
  }
  FContent.Add(FRender == 1 ? "S" : (FRender == 2 ? "B" : "f"));
}

Extended TPDFCanvas::AnsiTextWidth(const std::string& text) {
  if (FHorizontalScaling <= 0 || text.empty()) return 0;
  if (FCharset != 0) return WideTextWidth(ToUnicode(text));
  SetCurrentFont(0);
  TPDFFont* f = FCurrentFont;
  Extended sum = 0;
  int spaces = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]) < 32 ? ' ' : static_cast<unsigned char>(text[i]);
    sum += f->GetWidth(c);
    if (c == ' ' && i + 1 < text.size()) ++spaces;
  }
  Extended w = sum * FCurrentFontSize / 1000;
  if (FHorizontalScaling != 100) w = w * FHorizontalScaling / 100;
  if (FWordSpace > 0) w += FWordSpace * spaces;
  if (FCharSpace > 0) {
    int chars = static_cast<int>(text.size());
    if (f->GetWidth(static_cast<unsigned char>(text.back())) == 0) --chars;
    w += FCharSpace * chars;
  }
  return w;
}

Extended TPDFCanvas::WideTextWidth(const UnicodeString& text) {
  if (FHorizontalScaling <= 0 || text.empty()) return 0;
  TPDFFont* f = ResolveFont();
  Extended sum = 0;
  int spaces = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (f->IsTrueType()) {
      const std::size_t first = i;
      sum += f->GetWidth(static_cast<int>(CodePointAt(text, i)));
      if (i > first) continue;
    } else {
      sum += text[i] < 256 ? f->GetWidth(text[i]) : 0;
    }
    if (text[i] == u' ' && i + 1 < text.size()) ++spaces;
  }
  Extended w = sum * FCurrentFontSize / 1000;
  if (FHorizontalScaling != 100) w = w * FHorizontalScaling / 100;
  if (FWordSpace > 0) w += FWordSpace * spaces;
  if (FCharSpace > 0) {
    int chars = static_cast<int>(text.size());
    char16_t last = text.back();
    if ((f->IsTrueType() || last < 256) && f->GetWidth(last) == 0) --chars;
    w += FCharSpace * chars;
  }
  return w;
}

Extended TPDFCanvas::GetTextWidth(const std::string& text) { return AnsiTextWidth(text) * FD2P; }
Extended TPDFCanvas::GetWideTextWidth(const UnicodeString& text) {
  return PointsToCanvasX(WideTextWidth(text));
}

void TPDFCanvas::MakeUrlLinks(Extended x, Extended y, Extended orientation,
                              const std::string& text8,
                              const std::function<Extended(int)>& widthOf) {
  if (orientation != 0 || !AutoURL()) return;
  std::string lower = LowerCaseASCII(text8);
  for (const char* prefix : {"http://", "ftp://", "mailto:"}) {
    std::size_t from = 0;
    while ((from = lower.find(prefix, from)) != std::string::npos) {
      std::size_t start = from;
      from += 1;
      if (start > 0 && lower[start - 1] != ' ') continue;
      std::size_t end = lower.find(' ', start);
      if (end == std::string::npos) end = lower.size();
      Extended left = x + widthOf(static_cast<int>(start));
      Extended right = x + widthOf(static_cast<int>(end));
      Extended bottom = FBaseLine ? y - FCurrentFontSize * FD2P : y + FontAscent() * FD2P;
      TRect r(static_cast<LONG>(left), static_cast<LONG>(y), static_cast<LONG>(right),
              static_cast<LONG>(bottom));
      CreateUrlLink(r, text8.substr(start, end - start));
    }
  }
}

void TPDFCanvas::TextOut(Extended x, Extended y, Extended orientation, const std::string& textStr) {
  if (textStr.empty()) return;
  PlaceText(x, y, orientation);
  ShowAnsiText(textStr);
  if (AutoURL() && orientation == 0)
    MakeUrlLinks(x, y, orientation, textStr,
                 [&](int n) { return GetTextWidth(textStr.substr(0, n)); });
}

void TPDFCanvas::WideTextOut(Extended x, Extended y, Extended orientation,
                             const UnicodeString& wideText) {
  if (wideText.empty()) return;
  PlaceText(x, y, orientation);
  ShowWideText(wideText);
  if (AutoURL() && orientation == 0) {
    std::string t8;
    for (char16_t c : wideText) t8 += c < 128 ? static_cast<char>(c) : '?';
    MakeUrlLinks(x, y, orientation, t8,
                 [&](int n) { return GetWideTextWidth(wideText.substr(0, n)); });
  }
}

void TPDFCanvas::ExtTextOut(Extended x, Extended y, Extended orientation,
                            const std::string& textStr, const float* dx) {
  if (!dx) return TextOut(x, y, orientation, textStr);
  if (textStr.empty()) return;
  PlaceText(x, y, orientation);
  ShowAnsiTextAdvances(textStr, dx);
  if (AutoURL() && orientation == 0)
    MakeUrlLinks(x, y, orientation, textStr, [&](int n) {
      Extended s = 0;
      for (int i = 0; i < n; ++i) s += dx[i];
      return s;
    });
}

void TPDFCanvas::ExtWideTextOut(Extended x, Extended y, Extended orientation,
                                const UnicodeString& wideText, const float* dx) {
  if (!dx) return WideTextOut(x, y, orientation, wideText);
  if (wideText.empty()) return;
  PlaceText(x, y, orientation);
  ShowWideTextAdvances(wideText, dx);
  if (AutoURL() && orientation == 0) {
    std::string t8;
    for (char16_t c : wideText) t8 += c < 128 ? static_cast<char>(c) : '?';
    MakeUrlLinks(x, y, orientation, t8, [&](int n) {
      Extended s = 0;
      for (int i = 0; i < n; ++i) s += dx[i];
      return s;
    });
  }
}

void TPDFCanvas::ExtGlyphTextOut(Extended x, Extended y, Extended orientation, const WORD* text,
                                 int len, const float* dx) {
  if (!text || len <= 0) return;
  PlaceText(x, y, orientation);
  ShowGlyphs(text, len, dx);
}

// ---- images -------------------------------------------------------------------------------------

void TPDFCanvas::ShowImage(int imageIndex, Extended x, Extended y, Extended w, Extended h,
                           Extended angle) {
  if (w == 0 || h == 0) return;
  Extended px = ExtToIntX(x), ph = h / FD2P, pw = w / FD2P, py = ExtToIntY(y) - ph;
  auto& images = FEngine->Resources.Images;
  if (imageIndex < 0 || imageIndex >= static_cast<int>(images.size()))
    throw EPDFException("Out of range");
  TPDFImage* img = images[imageIndex];
  if (img->BitPerPixel() == 1 || img->GrayScale()) {
    FGrayUsed = true;
  } else {
    FColorUsed = true;
    FRGBUsed = true;
  }
  auto it = std::find(FLinkedImages.begin(), FLinkedImages.end(), img);
  int idx = static_cast<int>(it - FLinkedImages.begin());
  if (it == FLinkedImages.end()) FLinkedImages.push_back(img);
  GStateSave();
  FContent.Add(Nums({1, 0, 0, 1, px, py}, "cm"));
  if (std::fabs(angle) > 0.001L) Rotate(angle);
  FContent.Add(Nums({pw, 0, 0, ph, 0, 0}, "cm"));
  FContent.Add("/Img" + PDFIntToStr(idx) + " Do");
  GStateRestore();
}

// ---- resource dictionaries ----------------------------------------------------------------------

std::string TPDFCanvas::ColorSpaceEntries() {
  if (!FEngine->PDFACompatibile || !(FGrayUsed || FRGBUsed || FCMYKUsed)) return {};
  std::string s = "/ColorSpace <<\r\n";
  if (FGrayUsed) s += "/DefaultGray " + PDFObjectRef(FEngine->GrayICCObject()) + "\r\n";
  if (FRGBUsed) s += "/DefaultRGB " + PDFObjectRef(FEngine->RGBICCObject()) + "\r\n";
  if (FCMYKUsed) s += "/DefaultCMYK " + PDFObjectRef(FEngine->CMYKICCObject()) + "\r\n";
  s += ">>\r\n";
  return s;
}

std::string TPDFCanvas::ProcSetEntry() const {
  std::string s = "/ProcSet [/PDF ";
  if (FTextUsed) s += "/Text ";
  if (FGrayUsed) s += "/ImageB ";
  if (FColorUsed) s += "/ImageC ";
  s += "]\r\n";
  return s;
}

std::string TPDFCanvas::FontEntries() const {
  if (FLinkedFont.empty()) return {};
  std::string s = "/Font <<\r\n";
  for (TPDFFont* f : FLinkedFont) s += PDFName(f->AliasName()) + " " + f->RefID() + "\r\n";
  s += ">>\r\n";
  return s;
}

std::string TPDFCanvas::ExtGStateEntries() const {
  if (FLinkedExtGState.empty()) return {};
  std::string s = "/ExtGState <<\r\n";
  for (std::size_t i = 0; i < FLinkedExtGState.size(); ++i)
    s += "/GS" + PDFIntToStr(static_cast<int>(i)) + " " + FLinkedExtGState[i]->RefID() + "\r\n";
  s += ">>\r\n";
  return s;
}

std::string TPDFCanvas::ImageEntries() const {
  std::string s;
  for (std::size_t i = 0; i < FLinkedImages.size(); ++i)
    s += "/Img" + PDFIntToStr(static_cast<int>(i)) + " " + FLinkedImages[i]->RefID() + "\r\n";
  return s;
}
