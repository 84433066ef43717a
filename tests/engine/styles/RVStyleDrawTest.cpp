#include "engine/styles/RVStyleDraw.h"

#include <algorithm>
#include <string>

#include "StyleTestUtil.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/styles/FontInfo.h"
#include "platform/graphics/Pictures.h"

namespace {

constexpr int SurfaceWidth = 240, SurfaceHeight = 48;

struct TInk {
  int MinX = 1 << 30, MaxX = -1, MinY = 1 << 30, MaxY = -1, Count = 0;
  bool Empty() const { return Count == 0; }
  void Add(int x, int y) {
    MinX = std::min(MinX, x);
    MaxX = std::max(MaxX, x);
    MinY = std::min(MinY, y);
    MaxY = std::max(MaxY, y);
    ++Count;
  }
};

// A white bitmap with a sheet whose text style 0 is drawn the way layout draws it: applied, coloured,
// measured, then painted with the baseline at Top + ascent.
class StyleDrawSurface {
 public:
  TBitmap Bmp{SurfaceWidth, SurfaceHeight};
  TRVStyle Sheet{nullptr};
  TFontInfo* Style;
  static constexpr int Top = 8;

  StyleDrawSurface() : Style(Sheet.TextStyles()->Items(0)) {
    Style->FontName = u"Arial";
    Style->SetSize(14);
    Style->Color = clBlack;
    Clear();
  }
  TCanvas* Canvas() { return Bmp.GetCanvas(); }
  TRVGraphicInterface* GI() { return Sheet.GetGraphicInterface(); }
  void Clear() {
    Canvas()->Brush().SetStyle(bsSolid);
    Canvas()->Brush().SetColor(clWhite);
    Canvas()->FillRect(TRect(0, 0, SurfaceWidth, SurfaceHeight));
  }
  std::vector<TColor> Pixels() const {
    std::vector<TColor> r;
    for (int y = 0; y < SurfaceHeight; ++y)
      for (int x = 0; x < SurfaceWidth; ++x) r.push_back(Bmp.GetPixel(x, y) & 0xFFFFFF);
    return r;
  }
  void Prepare(const TRVTextDrawStates& State) {
    Style->Apply(Canvas(), rvbdUnspecified, false, false, nullptr, false, false, false, nullptr, &Sheet);
    Style->ApplyColor(Canvas(), &Sheet, State, false, rvcmColor);
  }
  int TextWidth(const TRVUnicodeString& s) { return GI()->TextWidth(Canvas(), s, false, false); }
  int Ascent() {
    TEXTMETRICW tm;
    GI()->GetTextMetrics(Canvas(), tm);
    return tm.tmAscent;
  }
  int LineHeight() {
    TEXTMETRICW tm;
    GI()->GetTextMetrics(Canvas(), tm);
    return tm.tmHeight;
  }
  // Paints s at Left; Width 0 means the text's own width plus SpaceAtLeft.
  void Draw(const TRVUnicodeString& s, int Left, const TRVTextDrawStates& State = {}, int SpaceAtLeft = 0,
            int Width = 0, int SpaceCount = 0) {
    Prepare(State);
    const int tw = TextWidth(s);
    if (Width == 0) Width = tw + SpaceAtLeft;
    Style->Draw(s, Canvas(), 0, SpaceAtLeft, Left, Top, Width, LineHeight(), Top + Ascent(), tw, SpaceCount, &Sheet,
                State, false, false, false, rvcmColor, rvbdUnspecified, nullptr, GI(), -1, -1, nullptr);
  }
  // Where a second drawing differs from the first.
  static TInk Diff(const std::vector<TColor>& A, const std::vector<TColor>& B) {
    TInk ink;
    for (int i = 0; i < static_cast<int>(A.size()); ++i)
      if (A[i] != B[i]) ink.Add(i % SurfaceWidth, i / SurfaceWidth);
    return ink;
  }
  TInk InkOf(TColor Color) const {
    TInk ink;
    for (int y = 0; y < SurfaceHeight; ++y)
      for (int x = 0; x < SurfaceWidth; ++x)
        if ((Bmp.GetPixel(x, y) & 0xFFFFFF) == Color) ink.Add(x, y);
    return ink;
  }
  // Smoothed glyphs are blends; a blue sign shows as pixels clearly bluer than they are red.
  int BluishCount() const {
    int n = 0;
    for (int y = 0; y < SurfaceHeight; ++y)
      for (int x = 0; x < SurfaceWidth; ++x) {
        const TColor c = Bmp.GetPixel(x, y);
        if (int((c >> 16) & 0xFF) > int(c & 0xFF) + 60) ++n;
      }
    return n;
  }
  // The pixels a run adds over the same run drawn with another set-up.
  template <typename F1, typename F2>
  TInk Added(F1 Plain, F2 Marked) {
    Clear();
    Plain();
    const std::vector<TColor> a = Pixels();
    Clear();
    Marked();
    return Diff(a, Pixels());
  }
};

// Rows and columns that a line drawn on a white 60 x 40 bitmap inks.
struct TLineInk {
  std::vector<int> Rows;
  std::vector<int> Columns;
};
TLineInk LineInk(TBitmap& bmp) {
  TLineInk r;
  for (int y = 0; y < bmp.GetHeight(); ++y)
    for (int x = 0; x < bmp.GetWidth(); ++x)
      if ((bmp.GetPixel(x, y) & 0xFFFFFF) != clWhite) {
        if (std::find(r.Rows.begin(), r.Rows.end(), y) == r.Rows.end()) r.Rows.push_back(y);
        if (std::find(r.Columns.begin(), r.Columns.end(), x) == r.Columns.end()) r.Columns.push_back(x);
      }
  std::sort(r.Rows.begin(), r.Rows.end());
  std::sort(r.Columns.begin(), r.Columns.end());
  return r;
}

}  // namespace

// ---- underline painters ---------------------------------------------------------------------------

TEST(RVDrawUnderline, BandAndExtentOfEachKind) {
  struct Case {
    TRVUnderlineType Kind;
    int Width;
    std::vector<int> Rows;
    bool Broken;  // a patterned line leaves gaps
  };
  const Case cases[] = {
      {rvutNormal, 1, {20}, false},
      {rvutNormal, 0, {20}, false},  // no width counts as 1
      {rvutNormal, 2, {19, 20}, false},
      {rvutThick, 1, {19, 20}, false},
      {rvutThick, 2, {18, 19, 20, 21}, false},
      {rvutDouble, 1, {19, 21}, false},
      {rvutDouble, 3, {16, 17, 22, 23}, false},  // two 2-pixel lines at 17 and 23
      {rvutDotted, 1, {20}, true},
      {rvutThickDotted, 1, {19, 20}, true},
      {rvutDashed, 1, {20}, true},
      {rvutThickDashed, 1, {19, 20}, true},
      {rvutLongDashed, 1, {20}, true},
      {rvutThickLongDashed, 1, {19, 20}, true},
      {rvutDashDotted, 1, {20}, true},
      {rvutThickDashDotted, 1, {19, 20}, true},
      {rvutDashDotDotted, 1, {20}, true},
      {rvutThickDashDotDotted, 1, {19, 20}, true},
  };
  TRVStyle sheet(nullptr);
  for (const Case& c : cases) {
    TBitmap bmp(90, 40);
    RVDrawUnderline(bmp.GetCanvas(), c.Kind, clRed, 5, 85, 20, c.Width, sheet.GetGraphicInterface());
    const TLineInk ink = LineInk(bmp);
    SCOPED_TRACE(testing::Message() << "kind " << int(c.Kind) << " width " << c.Width);
    EXPECT_EQ(ink.Rows, c.Rows);
    ASSERT_FALSE(ink.Columns.empty());
    EXPECT_EQ(ink.Columns.front(), 5);
    EXPECT_LE(ink.Columns.back(), 84);
    EXPECT_EQ(static_cast<int>(ink.Columns.size()) < 80, c.Broken);
    EXPECT_EQ(bmp.GetPixel(5, c.Rows.front()) & 0xFFFFFF, clRed);
  }
}

TEST(RVDrawUnderline, PatternsDiffer) {
  // Kinds sharing a dash style differ by their pattern length, so no two patterned kinds of one
  // thickness may draw the same columns.
  const TRVUnderlineType kinds[] = {rvutDotted, rvutDashed, rvutLongDashed, rvutDashDotted, rvutDashDotDotted};
  TRVStyle sheet(nullptr);
  std::vector<std::vector<int>> seen;
  for (TRVUnderlineType k : kinds) {
    TBitmap bmp(200, 40);
    RVDrawUnderline(bmp.GetCanvas(), k, clBlack, 0, 200, 20, 1, sheet.GetGraphicInterface());
    const std::vector<int> cols = LineInk(bmp).Columns;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), cols), 0) << int(k);
    seen.push_back(cols);
  }
}

TEST(RVDrawUnderline, EmptyRangeDrawsNothing) {
  TRVStyle sheet(nullptr);
  TBitmap bmp(40, 40);
  RVDrawUnderline(bmp.GetCanvas(), rvutThick, clBlack, 10, 10, 20, 3, sheet.GetGraphicInterface());
  RVDrawDottedLine(bmp.GetCanvas(), clBlack, 10, 10, 20, sheet.GetGraphicInterface());
  EXPECT_TRUE(LineInk(bmp).Rows.empty());
}

TEST(RVDrawDottedLine, SparseDotsOnOneRow) {
  TRVStyle sheet(nullptr);
  TBitmap bmp(90, 40);
  RVDrawDottedLine(bmp.GetCanvas(), clBlue, 5, 85, 20, sheet.GetGraphicInterface());
  const TLineInk ink = LineInk(bmp);
  EXPECT_EQ(ink.Rows, std::vector<int>{20});
  ASSERT_FALSE(ink.Columns.empty());
  EXPECT_GE(ink.Columns.front(), 5);
  EXPECT_LE(ink.Columns.back(), 84);
  EXPECT_LT(ink.Columns.size(), 40u);
}

// ---- applying a style ---------------------------------------------------------------------------

TEST(RVStyleApply, FontHeightFromSizeAndResolution) {
  struct Case {
    int SizeDouble;
    bool ToFormatCanvas;
    int CustomPPI;
    bool CanUseCustomPPI;
    int Height;
  };
  const Case cases[] = {
      {21, false, 0, false, -14},     // 10.5 pt: -MulDiv(21, 96, 144)
      {20, false, 0, false, -13},     // whole points through the point size
      {20, true, 0, false, -1333},    // format canvas: 9600 ppi
      {21, true, 0, false, -1400},
      {20, false, 120, true, -17},    // the collection's resolution
      {20, false, 120, false, -13},   // ... only when allowed
      {21, false, 0, true, -14},      // allowed but unset
  };
  StyleDrawSurface s;
  for (const Case& c : cases) {
    s.Style->SizeDouble = c.SizeDouble;
    s.Sheet.TextStyles()->PixelsPerInch = c.CustomPPI;
    s.Style->Apply(s.Canvas(), rvbdUnspecified, c.CanUseCustomPPI, false, nullptr, false, c.ToFormatCanvas, false,
                   nullptr, &s.Sheet);
    EXPECT_EQ(s.Canvas()->Font().GetHeight(), c.Height) << c.SizeDouble << " " << c.ToFormatCanvas << " "
                                                        << c.CustomPPI;
  }
}

TEST(RVStyleApply, NameStyleCharsetQualityAndVerticalFonts) {
  struct Case {
    const char16_t* Name;
    bool Vertical;
    const char16_t* Expected;
  };
  const Case cases[] = {
      {u"Arial", false, u"Arial"}, {u"Arial", true, u"@Arial"}, {u"@Arial", true, u"@Arial"}};
  StyleDrawSurface s;
  s.Style->Style = {fsBold, fsItalic};
  s.Style->Charset = 204;
  s.Sheet.FontQuality = fqAntialiased;
  for (const Case& c : cases) {
    s.Style->FontName = c.Name;
    s.Style->Apply(s.Canvas(), rvbdUnspecified, false, true, nullptr, false, false, c.Vertical, nullptr, &s.Sheet);
    EXPECT_EQ(s.Canvas()->Font().GetName(), c.Expected);
  }
  TFont& f = s.Canvas()->Font();
  EXPECT_EQ(f.GetStyle(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(f.GetCharset(), 204);
  EXPECT_EQ(f.GetQuality(), fqAntialiased);
  s.Sheet.FontQuality = fqDraft;
  s.Style->Apply(s.Canvas(), rvbdUnspecified, false, false, nullptr, false, false, false, nullptr, &s.Sheet);
  EXPECT_EQ(f.GetQuality(), fqAntialiased) << "quality is applied only when asked";
}

TEST(RVStyleApply, SameStyleTwiceKeepsTheFont) {
  StyleDrawSurface s;
  s.Style->SizeDouble = 21;
  s.Style->Apply(s.Canvas(), rvbdUnspecified, false, true, nullptr, false, false, false, nullptr, &s.Sheet);
  const HFONT first = s.Canvas()->Font().GetHandle();
  int changes = 0;
  s.Canvas()->Font().OnChange = [&](TObject*) { ++changes; };
  s.Style->Apply(s.Canvas(), rvbdUnspecified, false, true, nullptr, false, false, false, nullptr, &s.Sheet);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(s.Canvas()->Font().GetHandle(), first);
}

TEST(RVStyleApply, SubAndSuperscriptHeights) {
  StyleDrawSurface s;
  s.Style->SetSize(12);  // -16 at 96 ppi
  TRVExtraFontInfo extra{9};
  struct Case {
    TRVSubSuperScriptType Type;
    const TRVExtraFontInfo* Extra;
    bool Ignore;
    bool Precomputed;  // the height is the given one
  };
  const Case cases[] = {{rvsssSubscript, &extra, false, true},
                        {rvsssSuperScript, &extra, false, true},
                        {rvsssSubscript, &extra, true, false},
                        {rvsssNormal, &extra, false, false}};
  for (const Case& c : cases) {
    s.Style->SubSuperScriptType = c.Type;
    s.Style->Apply(s.Canvas(), rvbdUnspecified, false, false, c.Extra, c.Ignore, false, false, nullptr, &s.Sheet);
    EXPECT_EQ(s.Canvas()->Font().GetHeight(), c.Precomputed ? -9 : -16) << int(c.Type) << c.Ignore;
  }
  // Measured on the canvas: smaller than the text, at least a third of it.
  s.Style->SubSuperScriptType = rvsssSuperScript;
  s.Style->Apply(s.Canvas(), rvbdUnspecified, false, false, nullptr, false, false, false, nullptr, &s.Sheet);
  const int h = -s.Canvas()->Font().GetHeight();
  EXPECT_GT(h, 16 / 3);
  EXPECT_LT(h, 16);
  s.Style->SubSuperScriptType = rvsssNormal;
  EXPECT_EQ(s.Style->GetScriptHeight(s.Canvas(), s.GI()), 0);
}

TEST(RVStyleApply, ScaledCharactersGetAWidth) {
  StyleDrawSurface s;
  s.Style->Style = {fsUnderline};
  s.Style->Apply(s.Canvas(), rvbdUnspecified, false, false, nullptr, false, false, false, nullptr, &s.Sheet);
  TEXTMETRICW tm;
  ASSERT_TRUE(s.GI()->GetTextMetrics(s.Canvas(), tm));
  for (int scale : {50, 200}) {
    s.Style->CharScale = scale;
    s.Style->Apply(s.Canvas(), rvbdUnspecified, false, false, nullptr, false, false, false, nullptr, &s.Sheet);
    EXPECT_EQ(s.Canvas()->Font().GetWidth(), scale * tm.tmAveCharWidth / 100) << scale;
    EXPECT_FALSE(s.Canvas()->Font().GetStyle().Contains(fsUnderline)) << "the painter underlines scaled text";
    EXPECT_EQ(s.Canvas()->Font().GetHeight(), -19);
  }
}

TEST(RVStyleApply, LogFontFields) {
  StyleDrawSurface s;
  s.Style->SizeDouble = 21;
  s.Style->Style = {fsBold, fsUnderline, fsStrikeOut};
  s.Style->Charset = 2;
  s.Sheet.FontQuality = fqClearTypeNatural;
  LOGFONTW lf;
  s.Style->AssignToLogFont(lf, s.Canvas(), false, true, false, false, &s.Sheet);
  EXPECT_EQ(lf.lfHeight, -14);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfStrikeOut, 1);
  EXPECT_EQ(lf.lfCharSet, 2);
  EXPECT_EQ(lf.lfQuality, 6);
  EXPECT_EQ(std::u16string(lf.lfFaceName), u"Arial");
  s.Style->AssignToLogFont(lf, s.Canvas(), false, false, true, true, &s.Sheet);
  EXPECT_EQ(lf.lfHeight, -1400);
  EXPECT_EQ(lf.lfUnderline, 0);
  EXPECT_EQ(lf.lfQuality, 0);
}

TEST(RVStyleApply, LongFaceNamesAreCutWhole) {
  struct Case {
    std::u16string Name;
    std::u16string Expected;
  };
  const std::u16string a30(30, u'a');
  const Case cases[] = {
      {std::u16string(31, u'n'), std::u16string(31, u'n')},
      {std::u16string(40, u'n'), std::u16string(31, u'n')},
      {a30 + u"\U0001D400xyz", a30},  // a pair across the limit goes whole
      {a30 + u"b\U0001D400", a30 + u"b"},
  };
  StyleDrawSurface s;
  for (const Case& c : cases) {
    s.Style->FontName = c.Name;
    LOGFONTW lf;
    s.Style->AssignToLogFont(lf, s.Canvas(), false, false, false, false, &s.Sheet);
    EXPECT_EQ(std::u16string(lf.lfFaceName), c.Expected);
  }
}

TEST(RVStyleApply, DirectionAndSpacing) {
  struct Case {
    TRVBiDiMode Own, Def;
    bool ToFormatCanvas;
    UINT Align;
    int Extra;
  };
  const Case cases[] = {
      {rvbdUnspecified, rvbdUnspecified, false, 24, 2},   {rvbdUnspecified, rvbdRightToLeft, false, 280, 2},
      {rvbdLeftToRight, rvbdRightToLeft, false, 24, 2},   {rvbdRightToLeft, rvbdLeftToRight, true, 280, 200},
  };
  StyleDrawSurface s;
  s.Style->CharSpacing = 2;
  for (const Case& c : cases) {
    s.Style->BiDiMode = c.Own;
    s.Style->ApplyBiDiMode(s.Canvas(), c.Def, c.ToFormatCanvas, nullptr, &s.Sheet);
    EXPECT_EQ(s.GI()->GetTextAlign(s.Canvas()), c.Align);
    EXPECT_EQ(s.GI()->GetTextCharacterExtra(s.Canvas()), c.Extra);
  }
  // Printing: the spacing in device pixels.
  TRVScreenAndDevice sad;
  sad.ppixScreen = sad.ppiyScreen = 96;
  sad.ppixDevice = sad.ppiyDevice = 600;
  s.Style->ApplyBiDiMode(s.Canvas(), rvbdUnspecified, false, &sad, &s.Sheet);
  EXPECT_EQ(s.GI()->GetTextCharacterExtra(s.Canvas()), 12);
}

// ---- colours ------------------------------------------------------------------------------------

TEST(RVStyleColors, TextAndBackColorByStateAndMode) {
  constexpr TColor DarkGrey = 0x404040;
  struct Case {
    const char* Name;
    TRVTextDrawStates State;
    bool Printing;
    TRVColorMode Mode;
    TColor Color, Back;
    TColor Text, Brush;
  };
  const Case cases[] = {
      {"screen", {}, false, rvcmColor, clRed, clYellow, clRed, clYellow},
      {"screen ignores print modes", {}, false, rvcmBlackOnWhite, clRed, clYellow, clRed, clYellow},
      {"selected focused", {rvtsSelected, rvtsControlFocused}, false, rvcmColor, clRed, clNone, clLime, clNavy},
      {"selected unfocused", {rvtsSelected}, false, rvcmColor, clRed, clNone, clGray, clSilver},
      {"hover", {rvtsHover}, false, rvcmColor, clRed, clYellow, clFuchsia, clAqua},
      {"disabled", {rvtstControlDisabled}, false, rvcmColor, clRed, clNone, clOlive, clNone},
      {"hover disabled", {rvtsHover, rvtstControlDisabled}, false, rvcmColor, clRed, clNone, clOlive, clAqua},
      {"printer colours", {}, true, rvcmPrinterColor, clWindowText, clBtnFace, clBlack, clSilver},
      {"grey", {}, true, rvcmGrayScale, clRed, clBlue, 0x4C4C4C, 0x1C1C1C},
      {"b&w white text", {}, true, rvcmBlackAndWhite, clWhite, clNone, clWhite, clNone},
      {"b&w coloured text", {}, true, rvcmBlackAndWhite, clYellow, clNone, clBlack, clNone},
      {"b&w black on black", {}, true, rvcmBlackAndWhite, clBlack, clBlack, clWhite, clBlack},
      {"b&w black on dark grey", {}, true, rvcmBlackAndWhite, clBlack, DarkGrey, clBlack, clWhite},
      {"b&w system text on window", {}, true, rvcmBlackAndWhite, clWindowText, clWindow, clBlack, clWhite},
      {"black on white", {}, true, rvcmBlackOnWhite, clRed, clYellow, clBlack, clNone},
      {"printing hover keeps colours", {rvtsHover}, true, rvcmBlackOnWhite, clRed, clNone, clFuchsia, clAqua},
      {"printing in colour", {}, true, rvcmColor, clRed, clYellow, clRed, clYellow},
  };
  StyleDrawSurface s;
  s.Sheet.SelColor = clNavy;
  s.Sheet.SelTextColor = clLime;
  s.Sheet.InactiveSelColor = clSilver;
  s.Sheet.InactiveSelTextColor = clGray;
  s.Sheet.DisabledFontColor = clOlive;
  s.Style->HoverColor = clFuchsia;
  s.Style->HoverBackColor = clAqua;
  for (const Case& c : cases) {
    s.Style->Color = c.Color;
    s.Style->BackColor = c.Back;
    s.Style->ApplyColor(s.Canvas(), &s.Sheet, c.State, c.Printing, c.Mode);
    EXPECT_EQ(s.Canvas()->Font().GetColor(), c.Text) << c.Name;
    EXPECT_EQ(s.Canvas()->Brush().GetColor(), c.Brush) << c.Name;
    EXPECT_EQ(s.Canvas()->Brush().GetStyle(), c.Brush == clNone ? bsClear : bsSolid) << c.Name;
  }
}

TEST(RVStyleColors, HoverFallsBackToTheSheetAndUnderlines) {
  StyleDrawSurface s;
  s.Sheet.HoverColor = clTeal;
  s.Style->HoverEffects = {rvheUnderline};
  s.Style->ApplyTextColor(s.Canvas(), &s.Sheet, {rvtsHover}, false, rvcmColor);
  EXPECT_EQ(s.Canvas()->Font().GetColor(), clTeal);
  EXPECT_TRUE(s.Canvas()->Font().GetStyle().Contains(fsUnderline));

  s.Canvas()->Font().SetStyle({});
  s.Style->ApplyTextColor(s.Canvas(), &s.Sheet, {}, false, rvcmColor);
  EXPECT_FALSE(s.Canvas()->Font().GetStyle().Contains(fsUnderline)) << "only in the hover state";
  s.Style->CharScale = 80;
  s.Style->ApplyTextColor(s.Canvas(), &s.Sheet, {rvtsHover}, false, rvcmColor);
  EXPECT_FALSE(s.Canvas()->Font().GetStyle().Contains(fsUnderline)) << "scaled text is underlined by the painter";
}

// ---- drawing runs -------------------------------------------------------------------------------

TEST(RVStyleDrawRun, UnderlineLiesUnderTheRunOnly) {
  StyleDrawSurface s;
  const TRVUnicodeString text = u"Hollow";
  const int left = 30;
  for (int k = rvutNormal; k <= rvutThickDashDotDotted; ++k) {
    const auto kind = static_cast<TRVUnderlineType>(k);
    TInk added = s.Added(
        [&] {
          s.Style->Style = {};
          s.Draw(text, left);
        },
        [&] {
          s.Style->Style = {fsUnderline};
          s.Style->UnderlineType = kind;
          s.Draw(text, left);
        });
    s.Prepare({});
    const int width = s.TextWidth(text);
    SCOPED_TRACE(testing::Message() << "kind " << k);
    ASSERT_FALSE(added.Empty());
    EXPECT_GE(added.MinX, left);
    EXPECT_LT(added.MaxX, left + width);
    EXPECT_GT(added.MinY, StyleDrawSurface::Top + s.Ascent() - 2) << "below the baseline";
    EXPECT_LE(added.MaxY - added.MinY, 6) << "a band, not the glyphs";
    EXPECT_TRUE(s.Canvas()->Font().GetStyle().Contains(fsUnderline)) << "the font keeps its underline";
  }
}

TEST(RVStyleDrawRun, UnderlineColorBySelectionAndHover) {
  struct Case {
    const char* Name;
    TRVTextDrawStates State;
    TColor Expected;
  };
  const Case cases[] = {{"plain", {}, clRed},
                        {"selected: the selection text colour", {rvtsSelected, rvtsControlFocused}, clLime},
                        {"hover", {rvtsHover}, clBlue}};
  StyleDrawSurface s;
  s.Sheet.SelTextColor = clLime;
  s.Sheet.SelColor = clWhite;
  s.Style->Style = {fsUnderline};
  s.Style->UnderlineType = rvutThick;
  s.Style->UnderlineColor = clRed;
  s.Style->HoverUnderlineColor = clBlue;
  s.Style->HoverColor = clBlack;
  for (const Case& c : cases) {
    s.Clear();
    s.Draw(u"Hollow", 20, c.State);
    EXPECT_GT(s.InkOf(c.Expected).Count, 10) << c.Name;
    for (TColor other : {clRed, clLime, clBlue}) {
      if (other == c.Expected) continue;
      EXPECT_EQ(s.InkOf(other).Count, 0) << c.Name;
    }
  }
}

TEST(RVStyleDrawRun, HoverUnderlineOnlyWhenHovering) {
  StyleDrawSurface s;
  s.Style->HoverEffects = {rvheUnderline};
  s.Style->HoverColor = clBlack;
  TInk plain = s.Added([&] { s.Draw(u"link", 20); }, [&] { s.Draw(u"link", 20); });
  EXPECT_TRUE(plain.Empty());
  TInk hover = s.Added([&] { s.Draw(u"link", 20); }, [&] { s.Draw(u"link", 20, {rvtsHover}); });
  EXPECT_FALSE(hover.Empty());
  EXPECT_GE(hover.MinX, 20);
}

TEST(RVStyleDrawRun, HiddenTextGetsADottedLineAndNoUnderline) {
  StyleDrawSurface s;
  s.Style->Style = {fsUnderline};
  s.Style->UnderlineType = rvutThick;
  const TRVUnicodeString text = u"Hollow";
  TInk solid = s.Added([&] { s.Style->Style = {}; s.Draw(text, 20); },
                       [&] { s.Style->Style = {fsUnderline}; s.Draw(text, 20); });
  TInk dotted = s.Added(
      [&] {
        s.Style->Style = {};
        s.Draw(text, 20);
      },
      [&] {
        s.Style->Style = {fsUnderline};
        s.Style->Options = {rvteoHidden};
        s.Draw(text, 20);
      });
  s.Style->Options = {};
  ASSERT_FALSE(dotted.Empty());
  EXPECT_EQ(dotted.MinY, dotted.MaxY) << "one row of dots";
  EXPECT_LT(dotted.Count, solid.Count / 2);

  // Hidden text that is not underlined must not leave the canvas font underlined.
  s.Style->Style = {};
  s.Style->Options = {rvteoHidden};
  s.Draw(text, 20);
  EXPECT_FALSE(s.Canvas()->Font().GetStyle().Contains(fsUnderline));
}

TEST(RVStyleDrawRun, SpaceAtLeftMovesTheTextNotTheUnderline) {
  StyleDrawSurface s;
  s.Style->UnderlineColor = clRed;
  // Without underline, a run with 5 pixels of space at its left equals the run drawn 5 pixels on.
  s.Clear();
  s.Draw(u"Hollow", 25);
  const std::vector<TColor> shifted = s.Pixels();
  s.Clear();
  s.Draw(u"Hollow", 20, {}, 5);
  EXPECT_TRUE(StyleDrawSurface::Diff(shifted, s.Pixels()).Empty());
  // Underlined, the line starts at Left, under the empty space too.
  s.Style->Style = {fsUnderline};
  s.Clear();
  s.Draw(u"Hollow", 20, {}, 5);
  const TInk red = s.InkOf(clRed);
  ASSERT_FALSE(red.Empty());
  EXPECT_EQ(red.MinX, 20);
  // The empty space is filled with the back colour.
  s.Style->Style = {};
  s.Style->BackColor = clYellow;
  s.Clear();
  s.Draw(u"Hollow", 20, {}, 5);
  const TInk back = s.InkOf(clYellow);
  EXPECT_EQ(back.MinX, 20);
  EXPECT_EQ(s.Bmp.GetPixel(22, StyleDrawSurface::Top + 1) & 0xFFFFFF, clYellow);
}

TEST(RVStyleDrawRun, Overline) {
  StyleDrawSurface s;
  TInk added = s.Added([&] { s.Draw(u"Hollow", 20); },
                       [&] {
                         s.Style->StyleEx = {rvfsOverline};
                         s.Draw(u"Hollow", 20);
                       });
  s.Style->StyleEx = {};
  ASSERT_FALSE(added.Empty());
  EXPECT_LE(added.MaxY, StyleDrawSurface::Top);
  EXPECT_GE(added.MinX, 20);
}

TEST(RVStyleDrawRun, SpecialCharacterSigns) {
  struct Case {
    const char16_t* Text;
    TRVSpecialCharacters Shown;
    TRVTextDrawStates State;
    bool Signs;
  };
  const TRVSpecialCharacters all{rvspcSpace, rvspcNBSP, rvspcTab, rvspcSoftHyphen};
  const Case cases[] = {
      {u"a b", all, {rvtsSpecialCharacters}, true},
      {u"a\u00A0b", all, {rvtsSpecialCharacters}, true},
      {u"a b", all, {}, false},                                      // not shown in this document
      {u"a b", {rvspcNBSP}, {rvtsSpecialCharacters}, false},         // spaces not among the kinds
      {u"a\u00A0b", {rvspcSpace}, {rvtsSpecialCharacters}, false},
      {u"ab", all, {rvtsSpecialCharacters}, false},
  };
  StyleDrawSurface s;
  s.Sheet.SpecialCharactersColor = clBlue;
  const TRVSpecialCharacters saved = ShownSpecialCharacters;
  for (const Case& c : cases) {
    ShownSpecialCharacters = c.Shown;
    TInk added = s.Added([&] { s.Draw(c.Text, 20); }, [&] { s.Draw(c.Text, 20, c.State); });
    SCOPED_TRACE(testing::Message() << "text length " << std::u16string(c.Text).size());
    EXPECT_EQ(!added.Empty(), c.Signs);
    if (!c.Signs || added.Empty()) continue;
    // The sign lies in the box of the second character, centred, in the special-character colour.
    s.Prepare({});
    const int boxL = 20 + s.TextWidth(u"a"), boxR = boxL + s.TextWidth(TRVUnicodeString(1, c.Text[1]));
    // A sign may be a pixel wider than a narrow space; its middle is the box's.
    EXPECT_GE(added.MinX, boxL - 1);
    EXPECT_LE(added.MaxX, boxR);
    EXPECT_LE(std::abs((added.MinX + added.MaxX + 1) - (boxL + boxR)), 2);
    EXPECT_GT(s.BluishCount(), 0);
  }
  ShownSpecialCharacters = saved;
}

TEST(RVStyleDrawRun, SoftHyphenVisibilityFollowsTheShownKinds) {
  const TRVSpecialCharacters saved = ShownSpecialCharacters;
  ASSERT_NE(SoftHyphensShownQuery, nullptr);
  ShownSpecialCharacters = {rvspcSpace};
  EXPECT_FALSE(SoftHyphensShownQuery());
  ShownSpecialCharacters = {rvspcSoftHyphen};
  EXPECT_TRUE(SoftHyphensShownQuery());
  ShownSpecialCharacters = saved;
}

TEST(RVStyleDrawRun, JustifiedRunSpreadsTheExtraOverSpaces) {
  StyleDrawSurface s;
  s.Prepare({});
  const int tw = s.TextWidth(u"a b");
  TInk plain, justified;
  s.Clear();
  s.Draw(u"a b", 20);
  plain = s.InkOf(clBlack);
  s.Clear();
  s.Draw(u"a b", 20, {}, 0, tw + 30, 1);
  justified = s.InkOf(clBlack);
  ASSERT_FALSE(plain.Empty());
  EXPECT_EQ(justified.MinX, plain.MinX);
  EXPECT_EQ(justified.MaxX, plain.MaxX + 30);
}

TEST(RVStyleDrawRun, PicturesOfEveryUnderlineKind) {
  const int rowHeight = 30;
  TBitmap bmp(320, rowHeight * 14 + 10);
  TCanvas* c = bmp.GetCanvas();
  c->Brush().SetColor(clWhite);
  c->FillRect(TRect(0, 0, bmp.GetWidth(), bmp.GetHeight()));
  TRVStyle sheet(nullptr);
  TFontInfo* st = sheet.TextStyles()->Items(0);
  st->FontName = u"Arial";
  st->SetSize(12);
  st->Color = clBlack;
  st->UnderlineColor = clNavy;
  sheet.SpecialCharactersColor = clGray;
  TRVGraphicInterface* gi = sheet.GetGraphicInterface();
  const TRVUnicodeString text = u"Underline kind\u00A0no. ";
  for (int k = 0; k <= 13; ++k) {
    st->Style = k < 13 ? TFontStyles{fsUnderline} : TFontStyles{};
    st->StyleEx = k < 13 ? TRVFontStyles{} : TRVFontStyles{rvfsOverline};
    st->UnderlineType = static_cast<TRVUnderlineType>(k % 13);
    const TRVUnicodeString s = text + AsciiToUnicode(std::to_string(k).c_str());
    st->Apply(c, rvbdUnspecified, false, false, nullptr, false, false, false, nullptr, &sheet);
    st->ApplyColor(c, &sheet, {}, false, rvcmColor);
    TEXTMETRICW tm;
    gi->GetTextMetrics(c, tm);
    const int top = 8 + k * rowHeight, tw = gi->TextWidth(c, s, false, false);
    st->Draw(s, c, 0, 4, 10, top, tw + 4, tm.tmHeight, top + tm.tmAscent, tw, 0, &sheet, {rvtsSpecialCharacters},
             false, false, false, rvcmColor, rvbdUnspecified, nullptr, gi, -1, -1, nullptr);
  }
  EXPECT_TRUE(SaveBitmapToPng(static_cast<HBITMAP>(bmp.GetHandle()), TAVRELO_TEST_OUTPUT "/underline-kinds.png"));
}

TEST(RVStyleDrawRun, PreviewCorrectionSpreadsTheDifference) {
  // A printed run formatted 20 pixels wider than this canvas measures it: with preview correction
  // the text is spread to the formatted width, without it the text keeps its own.
  StyleDrawSurface s;
  s.Prepare({});
  const int tw = s.TextWidth(u"Hollow");
  struct Case {
    bool Correction;
    int Shift;
  };
  const Case cases[] = {{false, 0}, {true, 20}};
  s.Clear();
  s.Draw(u"Hollow", 20);
  const TInk plain = s.InkOf(clBlack);
  for (const Case& c : cases) {
    s.Clear();
    s.Prepare({});
    s.Style->Draw(u"Hollow", s.Canvas(), 0, 0, 20, StyleDrawSurface::Top, tw + 20, s.LineHeight(),
                  StyleDrawSurface::Top + s.Ascent(), tw + 20, 0, &s.Sheet, {}, true, c.Correction, false, rvcmColor,
                  rvbdUnspecified, nullptr, s.GI(), -1, -1, nullptr);
    const TInk ink = s.InkOf(clBlack);
    EXPECT_EQ(ink.MinX, plain.MinX) << c.Correction;
    // Six letters share the difference; the last share lies after the last glyph.
    EXPECT_GE(ink.MaxX, plain.MaxX + c.Shift * 5 / 6 - 1) << c.Correction;
    EXPECT_LE(ink.MaxX, plain.MaxX + c.Shift) << c.Correction;
  }
}

TEST(RVStyleDrawRun, BackgroundOfEmptyAndPrintedRuns) {
  struct Case {
    const char* Name;
    const char16_t* Text;
    bool Printing;
    int SpaceAtLeft;
    bool BoxFilled;  // the whole box, not only behind the glyphs
  };
  const Case cases[] = {
      {"empty run with a width", u"", false, 0, true},
      {"printed run", u"Hollow", true, 0, true},
      {"screen run", u"Hollow", false, 4, false},
  };
  StyleDrawSurface s;
  s.Style->BackColor = clYellow;
  for (const Case& c : cases) {
    s.Clear();
    s.Prepare({});
    const int h = s.LineHeight();
    s.Style->Draw(c.Text, s.Canvas(), 0, c.SpaceAtLeft, 20, StyleDrawSurface::Top, 60, h,
                  StyleDrawSurface::Top + s.Ascent(), s.TextWidth(c.Text), 0, &s.Sheet, {}, c.Printing, false, false,
                  rvcmColor, rvbdUnspecified, nullptr, s.GI(), -1, -1, nullptr);
    const TInk back = s.InkOf(clYellow);
    SCOPED_TRACE(c.Name);
    ASSERT_FALSE(back.Empty());
    EXPECT_EQ(back.MinX, 20);
    EXPECT_EQ(back.MaxX == 79, c.BoxFilled);
    EXPECT_EQ(back.MinY, StyleDrawSurface::Top);
    EXPECT_EQ(s.Canvas()->Brush().GetStyle(), bsClear) << "the brush is left clear";
  }
}

TEST(RVStyleDrawRun, PrintingShowsNoSpecialCharacters) {
  StyleDrawSurface s;
  TInk added = s.Added(
      [&] {
        s.Prepare({});
        s.Style->Draw(u"a b", s.Canvas(), 0, 0, 20, StyleDrawSurface::Top, s.TextWidth(u"a b"), s.LineHeight(),
                      StyleDrawSurface::Top + s.Ascent(), s.TextWidth(u"a b"), 0, &s.Sheet, {}, true, false, false,
                      rvcmColor, rvbdUnspecified, nullptr, s.GI(), -1, -1, nullptr);
      },
      [&] {
        s.Prepare({});
        s.Style->Draw(u"a b", s.Canvas(), 0, 0, 20, StyleDrawSurface::Top, s.TextWidth(u"a b"), s.LineHeight(),
                      StyleDrawSurface::Top + s.Ascent(), s.TextWidth(u"a b"), 0, &s.Sheet, {rvtsSpecialCharacters},
                      true, false, false, rvcmColor, rvbdUnspecified, nullptr, s.GI(), -1, -1, nullptr);
      });
  EXPECT_TRUE(added.Empty());
}

TEST(RVStyleDrawRun, ReferenceCanvasDrawsAtTheFormattedPlace) {
  // Formatted on an enlarged reference canvas and drawn through the scaled transform, a run lands
  // where the same run drawn directly lands, with its underline and special characters.
  StyleDrawSurface s;
  s.Style->Style = {fsUnderline};
  s.Style->UnderlineColor = clRed;
  s.Sheet.SpecialCharactersColor = clBlue;
  const TRVUnicodeString text = u"Hol low";
  s.Clear();
  s.Draw(text, 20, {rvtsSpecialCharacters});
  const TInk direct = s.InkOf(clRed);
  const int directBlue = s.BluishCount();

  TBitmap refBmp(8, 8);
  TCanvas* ref = refBmp.GetCanvas();
  TRVGraphicInterface* gi = s.GI();
  s.Clear();
  gi->SetGraphicsMode(s.Canvas(), true);
  s.Style->Apply(s.Canvas(), rvbdUnspecified, false, false, nullptr, false, true, false, nullptr, &s.Sheet);
  s.Style->ApplyColor(s.Canvas(), &s.Sheet, {}, false, rvcmColor);
  TRVCanvasStoreFontParams old;
  gi->CopyCanvasFont(s.Canvas(), ref, old);
  TEXTMETRICW tm;
  gi->GetTextMetrics(ref, tm);
  const int tw = static_cast<int>(Round(gi->TextWidth(ref, text, false, false) / 100.0L));
  const int ascent = static_cast<int>(Round(tm.tmAscent / 100.0L));
  const int height = static_cast<int>(Round(tm.tmHeight / 100.0L));
  gi->FinalizeCopyCanvasFont(s.Canvas(), ref, old);
  s.Style->Draw(text, s.Canvas(), 0, 0, 20, StyleDrawSurface::Top, tw, height, StyleDrawSurface::Top + ascent, tw, 0,
                &s.Sheet, {rvtsSpecialCharacters}, false, false, false, rvcmColor, rvbdUnspecified, ref, gi, -1, -1,
                nullptr);
  const TInk viaRef = s.InkOf(clRed);
  ASSERT_FALSE(viaRef.Empty());
  EXPECT_EQ(viaRef.MinX, direct.MinX);
  EXPECT_NEAR(viaRef.MaxX, direct.MaxX, 1);
  EXPECT_NEAR(viaRef.MinY, direct.MinY, 1);
  EXPECT_GT(s.BluishCount(), 0) << "the signs take the special-character colour on the drawn canvas";
  EXPECT_GT(directBlue, 0);
}

TEST(RVStyleDrawRun, DegenerateRunsDrawSafely) {
  // Boxes and measurements that layout should never produce must still draw without harm.
  struct Case {
    const char16_t* Text;
    int SpaceAtLeft, Width, TextWidth, SpaceCount;
    bool Printing, PreviewCorrection;
  };
  const Case cases[] = {
      {u"", 0, 0, 0, 0, false, false},
      {u"", 5, 0, 0, 0, true, true},
      {u"a b", 0, -40, 30, 1, false, false},
      {u"a b", 50, 10, 30, RV_DISTRIBUTE_SPACING, true, true},
      {u"a\u00A0\U0001F600 b", 0, 5000, 30, 2, true, false},
      {u"\u00AD\u200B \u00A0", 3, 20, -5, RV_DISTRIBUTE_SPACING, false, false},
  };
  StyleDrawSurface s;
  s.Style->Style = {fsUnderline};
  s.Style->StyleEx = {rvfsOverline};
  s.Style->UnderlineType = rvutThickDashDotDotted;
  for (const Case& c : cases) {
    for (bool hidden : {false, true}) {
      s.Style->Options = hidden ? TRVTextOptions{rvteoHidden} : TRVTextOptions{};
      s.Prepare({});
      s.Style->Draw(c.Text, s.Canvas(), 0, c.SpaceAtLeft, 20, StyleDrawSurface::Top, c.Width, s.LineHeight(),
                    StyleDrawSurface::Top + s.Ascent(), c.TextWidth, c.SpaceCount, &s.Sheet,
                    {rvtsSpecialCharacters, rvtsSelected}, c.Printing, c.PreviewCorrection, false, rvcmColor,
                    rvbdRightToLeft, nullptr, s.GI(), -1, -1, nullptr);
    }
  }
  EXPECT_EQ(s.Canvas()->Brush().GetStyle(), bsClear);
}
