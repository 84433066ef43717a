#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/GdiFixture.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/ScriptString.h"

namespace {

struct TSample {
  const char* name;
  std::u16string text;
};

const TSample kSamples[] = {
    {"Latin", u"Waffle jiggery Tff"},
    {"Cyrillic", u"Съешь же ещё"},
    {"Hebrew", u"שלום עולם"},
    {"Arabic", u"مرحبا بالعالم"},
    {"Devanagari", u"नमस्ते दुनिया"},
    {"CJK", u"你好世界漢字"},
};

std::vector<int> VisualOrderOf(const std::vector<UINT>& order) {
  std::vector<int> idx(order.size());
  for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<int>(i);
  std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) { return order[static_cast<std::size_t>(a)] < order[static_cast<std::size_t>(b)]; });
  return idx;
}

}  // namespace

TEST(FontMetrics, LiberationSansAgainstItsTables) {
  // Liberation Sans: 2048 units per em, Windows ascent 1854 and descent 434, average width 1187,
  // hhea line gap 67, strike-out 102 at 530, underline 150 thick at -67.
  struct Case { int height; LONG ascent, descent, internal, external, avg; };
  const Case cases[] = {
      {-16, 14, 3, 1, 1, 9},
      {-100, 91, 21, 12, 3, 58},
      {-2048, 1854, 434, 240, 67, 1187},
      {20, 16, 4, 2, 1, 10},  // a cell height: ascent + descent is the height asked for
  };
  TSurface s(4, 4);
  for (const Case& c : cases) {
    TFontScope f(s.DC, MakeLogFont(u"Arial", c.height));
    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetricsW(s.DC, &tm));
    EXPECT_EQ(tm.tmAscent, c.ascent) << c.height;
    EXPECT_EQ(tm.tmDescent, c.descent) << c.height;
    EXPECT_EQ(tm.tmHeight, c.ascent + c.descent) << c.height;
    EXPECT_EQ(tm.tmInternalLeading, c.internal) << c.height;
    EXPECT_EQ(tm.tmExternalLeading, c.external) << c.height;
    EXPECT_EQ(tm.tmAveCharWidth, c.avg) << c.height;
    EXPECT_EQ(tm.tmPitchAndFamily & (TMPF_FIXED_PITCH | TMPF_TRUETYPE), TMPF_FIXED_PITCH | TMPF_TRUETYPE);
  }
  TFontScope f(s.DC, MakeLogFont(u"Arial", -2048));
  const UINT need = GetOutlineTextMetricsW(s.DC, 0, nullptr);
  ASSERT_GT(need, sizeof(OUTLINETEXTMETRICW));
  std::vector<BYTE> buf(need);
  auto* otm = reinterpret_cast<OUTLINETEXTMETRICW*>(buf.data());
  ASSERT_EQ(GetOutlineTextMetricsW(s.DC, need, otm), need);
  EXPECT_EQ(otm->otmEMSquare, 2048u);
  EXPECT_EQ(otm->otmsStrikeoutSize, 102u);
  EXPECT_EQ(otm->otmsStrikeoutPosition, 530);
  EXPECT_EQ(otm->otmsUnderscoreSize, 150);
  EXPECT_EQ(otm->otmsUnderscorePosition, -67);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buf.data() + otm->otmpFamilyName)), u"Liberation Sans");
  // A record too small for the fixed part is refused.
  EXPECT_EQ(GetOutlineTextMetricsW(s.DC, 8, otm), 0u);
}

TEST(FontMetrics, FaceSubstitutionAndScaling) {
  struct Case { const char16_t* face; const char16_t* family; };
  const Case cases[] = {{u"Arial", u"Liberation Sans"}, {u"Times New Roman", u"Liberation Serif"},
                        {u"Courier New", u"Liberation Mono"}, {u"@Arial", u"Liberation Sans"}};
  TSurface s(4, 4);
  for (const Case& c : cases) {
    TFontScope f(s.DC, MakeLogFont(c.face, -20));
    std::vector<BYTE> buf(GetOutlineTextMetricsW(s.DC, 0, nullptr));
    auto* otm = reinterpret_cast<OUTLINETEXTMETRICW*>(buf.data());
    ASSERT_GT(GetOutlineTextMetricsW(s.DC, static_cast<UINT>(buf.size()), otm), 0u);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buf.data() + otm->otmpFamilyName)), c.family);
  }
  // A width of twice the natural average doubles every advance.
  SIZE natural, wide;
  {
    TFontScope f(s.DC, MakeLogFont(u"Arial", -100));
    GetTextExtentPoint32W(s.DC, u"abcdef", 6, &natural);
  }
  LOGFONTW lf = MakeLogFont(u"Arial", -100);
  lf.lfWidth = 2 * 58;
  {
    TFontScope f(s.DC, lf);
    GetTextExtentPoint32W(s.DC, u"abcdef", 6, &wide);
  }
  EXPECT_NEAR(wide.cx, 2 * natural.cx, 0.02 * natural.cx);
  EXPECT_EQ(wide.cy, natural.cy);
}

TEST(TextExtent, FitAndCumulativeExtents) {
  TSurface s(4, 4);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -16));
  const std::u16string text = u"Hello, world";
  const int n = static_cast<int>(text.size());
  std::vector<INT> dx(text.size());
  INT fit = -1;
  SIZE size;
  ASSERT_TRUE(GetTextExtentExPointW(s.DC, text.c_str(), n, 0x7FFFFFFF, &fit, dx.data(), &size));
  EXPECT_EQ(fit, n);
  EXPECT_EQ(dx.back(), size.cx);
  for (int i = 1; i < n; ++i) EXPECT_GE(dx[static_cast<std::size_t>(i)], dx[static_cast<std::size_t>(i - 1)]);
  SIZE three;
  GetTextExtentPoint32W(s.DC, text.c_str(), 3, &three);
  EXPECT_EQ(dx[2], three.cx);
  struct Case { int maxExtent; int fit; };
  const Case cases[] = {{three.cx, 3}, {three.cx - 1, 2}, {0, 0}, {-5, 0}, {size.cx, n}};
  for (const Case& c : cases) {
    ASSERT_TRUE(GetTextExtentExPointW(s.DC, text.c_str(), n, c.maxExtent, &fit, nullptr, &size));
    EXPECT_EQ(fit, c.fit) << c.maxExtent;
  }
}

TEST(TextExtent, InvisibleCharactersAndCharacterExtra) {
  TSurface s(4, 4);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -16));
  SIZE plain, shy, zw;
  GetTextExtentPoint32W(s.DC, u"abcd", 4, &plain);
  GetTextExtentPoint32W(s.DC, u"ab\u00ADcd", 5, &shy);
  GetTextExtentPoint32W(s.DC, u"ab\u200Bc\u2060d", 6, &zw);
  EXPECT_EQ(shy.cx, plain.cx);
  EXPECT_EQ(zw.cx, plain.cx);
  INT dx[5];
  GetTextExtentExPointW(s.DC, u"ab\u00ADcd", 5, 1000, nullptr, dx, &shy);
  EXPECT_EQ(dx[2], dx[1]);  // the soft hyphen does not advance
  // The extra goes after every character that has a width; an empty text stays empty.
  SetTextCharacterExtra(s.DC, 3);
  SIZE extra, empty;
  GetTextExtentPoint32W(s.DC, u"abcd", 4, &extra);
  GetTextExtentPoint32W(s.DC, u"", 0, &empty);
  EXPECT_EQ(extra.cx, plain.cx + 4 * 3);
  EXPECT_EQ(empty.cx, 0);
  EXPECT_EQ(GetTextCharacterExtra(s.DC), 3);
  EXPECT_FALSE(GetTextExtentPoint32W(s.DC, u"ab", -1, &extra));
  EXPECT_FALSE(GetTextExtentPoint32W(nullptr, u"ab", 2, &extra));
}

TEST(TextExtent, ReferenceCanvasAgreesWithScreen) {
  // Fonts 100 times larger on the 9600-ppi reference give the same widths within one pixel.
  TSurface s(4, 4);
  for (const TSample& sm : kSamples) {
    for (int h : {-13, -16, -21}) {
      SIZE small, large;
      {
        TFontScope f(s.DC, MakeLogFont(u"Arial", h));
        GetTextExtentPoint32W(s.DC, sm.text.c_str(), static_cast<int>(sm.text.size()), &small);
      }
      {
        TFontScope f(s.DC, MakeLogFont(u"Arial", h * 100));
        GetTextExtentPoint32W(s.DC, sm.text.c_str(), static_cast<int>(sm.text.size()), &large);
      }
      EXPECT_NEAR(small.cx, large.cx / 100.0, 1.0) << sm.name << " " << h;
    }
  }
}

TEST(TextPlacement, HebrewAndMixedOrder) {
  TSurface s(4, 4);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -16));
  struct Case { const char* name; std::u16string text; bool rtl; };
  const Case cases[] = {{"mixed", u"abc \u05D0\u05D1\u05D2 123", false},
                        {"mixed, right to left", u"abc \u05D0\u05D1\u05D2 123", true},
                        {"Hebrew", u"\u05E9\u05DC\u05D5\u05DD", false}};
  for (const Case& c : cases) {
    SetTextAlign(s.DC, TA_BASELINE | (c.rtl ? TA_RTLREADING : 0));
    const int n = static_cast<int>(c.text.size());
    std::vector<UINT> order(c.text.size());
    std::vector<INT> dx(2 * c.text.size() + 16), caret(c.text.size());
    std::vector<WCHAR> glyphs(dx.size());
    std::vector<char> cls(c.text.size());
    GCP_RESULTSW r;
    r.lpOrder = order.data();
    r.lpDx = dx.data();
    r.lpCaretPos = caret.data();
    r.lpClass = cls.data();
    r.lpGlyphs = glyphs.data();
    r.nGlyphs = static_cast<UINT>(dx.size());
    const DWORD res = GetCharacterPlacementW(s.DC, c.text.c_str(), n, 0, &r, GCP_REORDER | GCP_GLYPHSHAPE | GCP_LIGATE | GCP_DIACRITIC);
    ASSERT_NE(res >> 16, 0u) << c.name;
    // The visual order is the one the bidirectional algorithm gives.
    SCRIPT_STATE state;
    state.uBidiLevel = c.rtl ? 1 : 0;
    std::vector<SCRIPT_ITEM> items(c.text.size() + 2);
    int itemCount = 0;
    ASSERT_EQ(ScriptItemize(c.text.c_str(), n, n + 1, nullptr, &state, items.data(), &itemCount), S_OK) << c.name;
    std::vector<BYTE> levels(c.text.size());
    for (int k = 0; k < itemCount; ++k)
      std::fill(levels.begin() + items[k].iCharPos, levels.begin() + items[k + 1].iCharPos, items[k].a.s.uBidiLevel);
    std::vector<int> map(c.text.size());
    ASSERT_EQ(ScriptLayout(n, levels.data(), map.data(), nullptr), S_OK) << c.name;
    EXPECT_EQ(VisualOrderOf(order), map) << c.name;
    for (int i = 0; i < n; ++i) {
      const char16_t ch = c.text[static_cast<std::size_t>(i)];
      if (ch >= 0x5D0 && ch <= 0x5EA) {
        EXPECT_EQ(cls[static_cast<std::size_t>(i)], GCPCLASS_HEBREW);
      }
    }
  }
  SetTextAlign(s.DC, TA_BASELINE);
  // Carets of a Hebrew word fall as the index rises.
  const std::u16string heb = u"\u05E9\u05DC\u05D5\u05DD";
  SCRIPT_STRING_ANALYSIS ssa = nullptr;
  ASSERT_EQ(ScriptStringAnalyse(s.DC, heb.c_str(), 4, 22, -1, SSA_GLYPHS | SSA_FALLBACK, -1, nullptr, nullptr,
                                nullptr, nullptr, nullptr, &ssa), S_OK);
  int prev = 1 << 30;
  for (int i = 0; i < 4; ++i) {
    int lead = 0, trail = 0;
    ScriptStringCPtoX(ssa, i, FALSE, &lead);
    ScriptStringCPtoX(ssa, i, TRUE, &trail);
    EXPECT_LT(lead, prev);
    EXPECT_LT(trail, lead);
    prev = lead;
  }
  ScriptStringFree(&ssa);
}

namespace {

// Draws the sample with one of the two paths and gives the measured width.
int DrawSample(TSurface& s, const std::u16string& text, bool analysis, int x, int y) {
  const int n = static_cast<int>(text.size());
  if (!analysis) {
    SIZE sz;
    GetTextExtentPoint32W(s.DC, text.c_str(), n, &sz);
    TextOutW(s.DC, x, y, text.c_str(), n);
    return sz.cx;
  }
  SCRIPT_STRING_ANALYSIS ssa = nullptr;
  if (FAILED(ScriptStringAnalyse(s.DC, text.c_str(), n, n * 3 / 2 + 16, -1, SSA_GLYPHS | SSA_FALLBACK | SSA_LINK, -1,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, &ssa)))
    return -1;
  const int w = ScriptString_pSize(ssa)->cx;
  ScriptStringOut(ssa, x, y, 0, nullptr, 0, 0, FALSE);
  ScriptStringFree(&ssa);
  return w;
}

}  // namespace

TEST(TextDrawing, InkStaysWithinTheMeasuredExtent) {
  for (bool analysis : {false, true}) {
    for (const TSample& sm : kSamples) {
      TSurface s(600, 80);
      TFontScope f(s.DC, MakeLogFont(u"Arial", -32));
      SetBkMode(s.DC, TRANSPARENT);
      SetTextAlign(s.DC, TA_BASELINE);
      const int x = 50;
      const int w = DrawSample(s, sm.text, analysis, x, 50);
      ASSERT_GT(w, 0) << sm.name;
      // Glyphs may reach past their advance by a small overhang of the design.
      const int overhang = 4;
      EXPECT_LE(s.InkRight(), x + w + overhang) << sm.name << (analysis ? " analysis" : " plain");
      EXPECT_GE(s.InkLeft(), x - overhang) << sm.name << (analysis ? " analysis" : " plain");
      EXPECT_GT(s.InkRight(), x + w / 2) << sm.name << (analysis ? " analysis" : " plain");
    }
  }
}

TEST(TextDrawing, SheetOfSamples) {
  TSurface s(900, 60 * 6 + 20);
  TFontScope f(s.DC, [] {
    LOGFONTW lf = MakeLogFont(u"Arial", -24);
    lf.lfUnderline = 1;
    lf.lfStrikeOut = 1;
    return lf;
  }());
  SetTextAlign(s.DC, TA_BASELINE);
  SetBkMode(s.DC, TRANSPARENT);
  int y = 40;
  for (const TSample& sm : kSamples) {
    const int w1 = DrawSample(s, sm.text, false, 10, y);
    const int w2 = DrawSample(s, sm.text, true, 450, y);
    EXPECT_EQ(w1, w2) << sm.name;
    y += 60;
  }
  // A vertical face written downwards, for a look.
  LOGFONTW vert = MakeLogFont(u"@Arial", -24);
  vert.lfEscapement = vert.lfOrientation = 2700;
  {
    TFontScope v(s.DC, vert);
    TextOutW(s.DC, 870, 20, u"\u4F60\u597D\u4E16\u754C ab", 7);
  }
  EXPECT_TRUE(SaveBitmapToPng(s.Bmp, TAVRELO_TEST_OUTPUT "/text-samples.png"));
}

TEST(TextDrawing, AlignmentBackgroundAndUpdatePosition) {
  TSurface s(200, 40);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -20));
  SIZE sz;
  GetTextExtentPoint32W(s.DC, u"IIII", 4, &sz);
  SetBkColor(s.DC, 0x0000FF);
  SetBkMode(s.DC, OPAQUE);
  SetTextAlign(s.DC, TA_RIGHT | TA_TOP);
  TextOutW(s.DC, 150, 5, u"IIII", 4);
  // The opaque cell spans the measured width, ending at the reference point.
  EXPECT_EQ(s.At(150 - sz.cx, 10), 0x0000FFu);
  EXPECT_EQ(s.At(149, 10) == 0xFFFFFFu, false);
  EXPECT_EQ(s.At(150, 10), 0xFFFFFFu);
  EXPECT_EQ(s.At(150 - sz.cx - 1, 10), 0xFFFFFFu);
  SetTextAlign(s.DC, TA_UPDATECP);
  MoveToEx(s.DC, 10, 5, nullptr);
  TextOutW(s.DC, 0, 0, u"IIII", 4);
  POINT p;
  GetCurrentPositionEx(s.DC, &p);
  EXPECT_EQ(p.X, 10 + sz.cx);
}

TEST(TextDrawing, TextFarOffTheDeviceDrawsNothing) {
  // Glyph positions beyond the range of pixel coordinates are skipped, not converted.
  TSurface s(60, 30);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -20));
  for (const POINT at : {POINT{INT32_MAX - 5, 5}, POINT{INT32_MIN + 5, 5}, POINT{5, INT32_MAX - 5}}) {
    TextOutW(s.DC, at.X, at.Y, u"WWWW", 4);
    for (int y = 0; y < 30; ++y) EXPECT_EQ(s.Row(y, 0, 60), std::string(60, '.')) << at.X << "," << at.Y;
  }
  TextOutW(s.DC, 2, 2, u"WW", 2);
  EXPECT_NE(s.Row(12, 0, 60), std::string(60, '.'));
}

TEST(TextDrawing, GlyphImageCacheStaysBoundedForHugeGlyphs) {
  // Each glyph of a 1000-pixel font is megabytes; the cache must not keep them all.
  TSurface s(64, 64);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -1000));
  std::size_t most = 0;
  for (char16_t ch = u'A'; ch < u'A' + 40; ++ch)
    for (COLORREF color : {0x000000u, 0x0000FFu}) {
      SetTextColor(s.DC, color);
      TextOutW(s.DC, -100, -100, &ch, 1);
      most = std::max(most, GetGlyphImageCacheBytes(s.DC));
    }
  EXPECT_GT(most, 0u);
  EXPECT_LE(most, GetGlyphImageCacheLimit() + (8u << 20));
}

TEST(TextDrawing, ScaledDownReferenceFontDrawsInTheSamePlace) {
  const std::u16string text = u"Hello world";
  TSurface a(200, 40), b(200, 40);
  SetTextAlign(a.DC, TA_BASELINE);
  SetTextAlign(b.DC, TA_BASELINE);
  SetBkMode(a.DC, TRANSPARENT);
  SetBkMode(b.DC, TRANSPARENT);
  {
    TFontScope f(a.DC, MakeLogFont(u"Arial", -16));
    TextOutW(a.DC, 10, 25, text.c_str(), static_cast<int>(text.size()));
  }
  // Window extent 100 times the viewport's, font 100 times larger.
  SetMapMode(b.DC, MM_ANISOTROPIC);
  SetWindowExtEx(b.DC, 100, 100, nullptr);
  SetViewportExtEx(b.DC, 1, 1, nullptr);
  {
    TFontScope f(b.DC, MakeLogFont(u"Arial", -1600));
    TextOutW(b.DC, 1000, 2500, text.c_str(), static_cast<int>(text.size()));
  }
  EXPECT_NEAR(a.InkLeft(), b.InkLeft(), 1);
  EXPECT_NEAR(a.InkRight(), b.InkRight(), 1);
}

TEST(TextDrawing, BottomUpBitmapsHoldTheSameImage) {
  TSurface down(80, 30, true), up(80, 30, false);
  for (TSurface* s : {&down, &up}) {
    TFontScope f(s->DC, MakeLogFont(u"Arial", -20));
    SetBkMode(s->DC, TRANSPARENT);
    TextOutW(s->DC, 5, 2, u"Hg", 2);
    MoveToEx(s->DC, 0, 28, nullptr);
    LineTo(s->DC, 60, 28);
  }
  // Lines are identical; glyph edges may differ by their smoothing only.
  EXPECT_EQ(up.Row(28, 0, 62), std::string(60, '#') + "..");
  EXPECT_EQ(down.Row(28, 0, 62), up.Row(28, 0, 62));
  int ink = 0, differ = 0;
  for (int y = 0; y < 28; ++y)
    for (int x = 0; x < 80; ++x) {
      ink += down.Dark(x, y);
      differ += down.Dark(x, y) != up.Dark(x, y);
    }
  EXPECT_GT(ink, 50);
  EXPECT_LE(differ * 20, ink);
}

// Text written for a symbol font holds U+F020..U+F0FF. Whatever face answers for the font, those
// code points never vanish: a face of the symbol encoding (with a symbol table, or in an
// encoding of its own, as the PostScript symbol and dingbat faces are) shows its symbol for the
// byte, any other face a visible missing glyph.
TEST(FontMetrics, SymbolFacesKeepPrivateUseCodePoints) {
  for (const char16_t* face : {u"Symbol", u"Wingdings", u"Webdings", u"Zapf Dingbats"}) {
    SCOPED_TRACE(UnicodeToUtf8(face));
    TSurface s(60, 30);
    LOGFONTW lf = MakeLogFont(face, -20);
    lf.lfCharSet = SYMBOL_CHARSET;
    TFontScope f(s.DC, lf);
    SIZE sz;
    ASSERT_TRUE(GetTextExtentPoint32W(s.DC, u"\uF061\uF062", 2, &sz));
    EXPECT_GT(sz.cx, 0);
    TextOutW(s.DC, 2, 2, u"\uF061\uF062", 2);
    EXPECT_GE(s.InkRight(), 2);
    // Where the face has a glyph for the code point, it is the glyph of the byte (flag 1 marks a
    // missing glyph 0xFFFF).
    WORD pua[2], bytes[2];
    ASSERT_EQ(GetGlyphIndicesW(s.DC, u"\uF061\uF062", 2, pua, 1), 2u);
    ASSERT_EQ(GetGlyphIndicesW(s.DC, u"ab", 2, bytes, 1), 2u);
    for (int i = 0; i < 2; ++i) {
      if (pua[i] != 0xFFFF) {
        EXPECT_EQ(pua[i], bytes[i]) << i;
      }
    }
  }
}

TEST(TextDrawing, AdvanceArraysAndGlyphIndexes) {
  const std::u16string text = u"Hxl";
  TSurface plain(120, 40), glyphs(120, 40), spaced(120, 40);
  for (TSurface* s : {&plain, &glyphs, &spaced}) SetBkMode(s->DC, TRANSPARENT);
  TFontScope f1(plain.DC, MakeLogFont(u"Arial", -20)), f2(glyphs.DC, MakeLogFont(u"Arial", -20)),
      f3(spaced.DC, MakeLogFont(u"Arial", -20));
  TextOutW(plain.DC, 5, 5, text.c_str(), 3);
  // The glyphs and advances of character placement draw the same image.
  WCHAR gl[32];
  INT adv[32];
  GCP_RESULTSW r;
  r.lpGlyphs = gl;
  r.lpDx = adv;
  r.nGlyphs = 32;
  ASSERT_NE(GetCharacterPlacementW(glyphs.DC, text.c_str(), 3, 0, &r, GCP_REORDER | GCP_GLYPHSHAPE) >> 16, 0u);
  ASSERT_EQ(r.nGlyphs, 3u);
  ExtTextOutW(glyphs.DC, 5, 5, ETO_GLYPH_INDEX, nullptr, gl, r.nGlyphs, adv);
  for (int y = 0; y < 40; ++y) EXPECT_EQ(plain.Row(y, 0, 120), glyphs.Row(y, 0, 120)) << y;
  // Caller advances move the characters.
  const INT wide[] = {40, 40, 40};
  ExtTextOutW(spaced.DC, 5, 5, 0, nullptr, text.c_str(), 3, wide);
  int lastInk = -1;
  for (int x = 0; x < 120; ++x)
    for (int y = 0; y < 40; ++y)
      if (spaced.Dark(x, y)) lastInk = x;
  EXPECT_GE(lastInk, 85);
}

TEST(TextDrawing, EscapementAndVerticalFaces) {
  // Escapement 900 runs the text upward from the reference point.
  TSurface s(60, 200);
  LOGFONTW lf = MakeLogFont(u"Arial", -20);
  lf.lfEscapement = lf.lfOrientation = 900;
  {
    TFontScope f(s.DC, lf);
    SetTextAlign(s.DC, TA_BASELINE);
    SetBkMode(s.DC, TRANSPARENT);
    TextOutW(s.DC, 40, 190, u"Hello world", 11);
  }
  int top = 200, bottom = -1;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 60; ++x)
      if (s.Dark(x, y)) top = std::min(top, y), bottom = std::max(bottom, y);
  EXPECT_LE(bottom, 191);
  EXPECT_LT(top, 120);
  EXPECT_LE(s.InkRight(), 41);
  // A vertical face sets ideographs on their side, one cell apart; Latin keeps its advance.
  TSurface v(10, 10);
  SIZE plain, vertical, latinPlain, latinVertical;
  {
    TFontScope f(v.DC, MakeLogFont(u"Arial", -20));
    GetTextExtentPoint32W(v.DC, u"\u4F60\u597D", 2, &plain);
    GetTextExtentPoint32W(v.DC, u"ab", 2, &latinPlain);
  }
  {
    TFontScope f(v.DC, MakeLogFont(u"@Arial", -20));
    GetTextExtentPoint32W(v.DC, u"\u4F60\u597D", 2, &vertical);
    GetTextExtentPoint32W(v.DC, u"ab", 2, &latinVertical);
  }
  EXPECT_GT(vertical.cx, 0);
  EXPECT_NE(vertical.cx, plain.cx);
  EXPECT_EQ(latinVertical.cx, latinPlain.cx);
}

// Underline and strike-out span the run at every position, whatever its direction, drawn
// directly or through a world transform that scales a 100 times larger font down to the same
// size (where the lines are thinner than a device pixel).
TEST(TextDrawing, LinesSpanRunsOfEitherDirectionAtAnyScale) {
  const struct {
    const char* name;
    std::u16string text;
    bool rtl;
  } texts[] = {{"Latin", u"Waffle jiggery", false}, {"Hebrew", u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD", true}};
  for (const auto& t : texts)
    for (const int k : {1, 100})
      for (int sub = 0; sub < k; sub += 7) {
        SCOPED_TRACE(std::string(t.name) + " at " + std::to_string(k) + "x, +" + std::to_string(sub));
        TSurface s(220, 40);
        SetBkMode(s.DC, TRANSPARENT);
        SetTextAlign(s.DC, TA_BASELINE | (t.rtl ? TA_RTLREADING : 0));
        if (k > 1) {
          SetGraphicsMode(s.DC, GM_ADVANCED);
          const XFORM x{1.0f / k, 0, 0, 1.0f / k, 0, 0};
          SetWorldTransform(s.DC, &x);
        }
        LOGFONTW lf = MakeLogFont(u"DejaVu Sans", -20 * k);
        lf.lfUnderline = 1;
        lf.lfStrikeOut = 1;
        TFontScope f(s.DC, lf);
        const int n = static_cast<int>(t.text.size());
        const int baseline = 28 * k + sub;
        ExtTextOutW(s.DC, 10 * k + sub, baseline, t.rtl ? ETO_RTLREADING : 0, nullptr, t.text.c_str(),
                    static_cast<UINT>(n), nullptr);
        const int left = s.InkLeft(), right = s.InkRight();
        ASSERT_GT(right - left, 40);
        // Rows inked from the first to the last column of the run: one above the baseline
        // (strike-out), one below it (underline), never on it.
        bool above = false, below = false;
        for (int y = 0; y < s.H; ++y) {
          bool full = true;
          for (int x = left + 1; x < right && full; ++x) full = s.At(x, y) != 0xFFFFFF;
          if (full) (y * k < baseline ? above : below) = true;
        }
        EXPECT_TRUE(above);
        EXPECT_TRUE(below);
      }
}
