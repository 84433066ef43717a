#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "support/GdiFixture.h"

namespace {

struct TAnalysis {
  SCRIPT_STRING_ANALYSIS ssa = nullptr;
  HRESULT hr = E_FAIL;
  TAnalysis(HDC dc, const std::u16string& s, DWORD flags = SSA_GLYPHS | SSA_FALLBACK | SSA_LINK, int reqWidth = -1,
            const int* dx = nullptr) {
    const int n = static_cast<int>(s.size());
    hr = ScriptStringAnalyse(dc, s.c_str(), n, n * 3 / 2 + 16, -1, flags, reqWidth, nullptr, nullptr, dx, nullptr,
                             nullptr, &ssa);
  }
  ~TAnalysis() {
    if (ssa) ScriptStringFree(&ssa);
  }
  int Out() const { return *ScriptString_pcOutChars(ssa); }
  std::vector<int> Widths() const {
    std::vector<int> w(static_cast<std::size_t>(Out()));
    ScriptStringGetLogicalWidths(ssa, w.data());
    return w;
  }
};

}  // namespace

TEST(ScriptString, SizeAndLogicalWidthsAgreeWithPlainMeasuring) {
  TSurface s(4, 4);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -16));
  const std::u16string samples[] = {u"Hello, world", u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD",
                                    u"\u0645\u0631\u062D\u0628\u0627", u"\u0928\u092E\u0938\u094D\u0924\u0947",
                                    u"\u4F60\u597D\u4E16\u754C", u"e\u0301a\U0001D400b"};
  for (const auto& text : samples) {
    TAnalysis a(s.DC, text);
    ASSERT_EQ(a.hr, S_OK);
    SIZE gdi;
    GetTextExtentPoint32W(s.DC, text.c_str(), static_cast<int>(text.size()), &gdi);
    EXPECT_EQ(*ScriptString_pSize(a.ssa), gdi);
    EXPECT_EQ(a.Out(), static_cast<int>(text.size()));
    const auto w = a.Widths();
    EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), gdi.cx);
  }
}

TEST(ScriptString, MarksAndSurrogatesTakeNoShare) {
  TSurface s(4, 4);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -32));
  TAnalysis a(s.DC, u"e\u0301a\U0001D400b");
  ASSERT_EQ(a.hr, S_OK);
  const auto w = a.Widths();
  EXPECT_GT(w[0], 0);
  EXPECT_EQ(w[1], 0);  // combining acute
  EXPECT_GT(w[3], 0);  // high surrogate carries the width
  EXPECT_EQ(w[4], 0);  // low surrogate
}

TEST(ScriptString, ClippingKeepsWhatFits) {
  TSurface s(4, 4);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -16));
  const std::u16string text = u"abcdefgh";
  SIZE three;
  GetTextExtentPoint32W(s.DC, text.c_str(), 3, &three);
  struct Case { int req; int out; };
  const Case cases[] = {{three.cx, 3}, {three.cx - 1, 2}, {0, 0}, {100000, 8}};
  for (const Case& c : cases) {
    TAnalysis a(s.DC, text, SSA_GLYPHS | SSA_FALLBACK | SSA_CLIP, c.req);
    ASSERT_EQ(a.hr, S_OK) << c.req;
    EXPECT_EQ(a.Out(), c.out) << c.req;
    EXPECT_LE(ScriptString_pSize(a.ssa)->cx, c.req) << c.req;
  }
}

TEST(ScriptString, CallerAdvancesAndCarets) {
  TSurface s(4, 4);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -16));
  const int dx[] = {10, 12, 14, 9};
  TAnalysis a(s.DC, u"abcd", SSA_GLYPHS, -1, dx);
  ASSERT_EQ(a.hr, S_OK);
  EXPECT_EQ(a.Widths(), (std::vector<int>{10, 12, 14, 9}));
  EXPECT_EQ(ScriptString_pSize(a.ssa)->cx, 45);
  struct Case { int cp; BOOL trailing; int x; };
  const Case cases[] = {{0, FALSE, 0}, {0, TRUE, 10}, {2, FALSE, 22}, {3, TRUE, 45}};
  for (const Case& c : cases) {
    int x = -1;
    ASSERT_EQ(ScriptStringCPtoX(a.ssa, c.cp, c.trailing, &x), S_OK);
    EXPECT_EQ(x, c.x) << c.cp;
  }
  int cp = -1, tr = -1;
  ScriptStringXtoCP(a.ssa, 24, &cp, &tr);
  EXPECT_EQ(cp, 2);
  EXPECT_EQ(tr, 0);
  int x;
  EXPECT_TRUE(FAILED(ScriptStringCPtoX(a.ssa, 4, FALSE, &x)));
  std::vector<UINT> order(4);
  ScriptStringGetOrder(a.ssa, order.data());
  EXPECT_EQ(order, (std::vector<UINT>{0, 1, 2, 3}));
}

TEST(ScriptString, RightToLeftReadingReversesTheOrder) {
  TSurface s(4, 4);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -16));
  const std::u16string text = u"ab \u05D0\u05D1";
  for (bool rtl : {false, true}) {
    TAnalysis a(s.DC, text, SSA_GLYPHS | SSA_FALLBACK | (rtl ? SSA_RTL : 0));
    ASSERT_EQ(a.hr, S_OK);
    std::vector<UINT> order(text.size());
    ScriptStringGetOrder(a.ssa, order.data());
    // Left to right: "ab", space, then the Hebrew pair reversed; right to left: the Hebrew pair
    // comes first on the left.
    if (rtl) {
      EXPECT_LT(order[4], order[0]);
    } else {
      EXPECT_LT(order[0], order[4]);
      EXPECT_LT(order[4], order[3]);
    }
  }
}

TEST(ScriptString, FailuresAreReported) {
  TSurface s(4, 4);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -16));
  SCRIPT_STRING_ANALYSIS ssa = reinterpret_cast<SCRIPT_STRING_ANALYSIS>(1);
  struct Case { const char* name; HDC dc; const char16_t* text; int length; int glyphs; };
  const Case cases[] = {{"no context", nullptr, u"ab", 2, 20},
                        {"empty text", s.DC, u"ab", 0, 20},
                        {"no text", s.DC, nullptr, 2, 20},
                        {"glyph buffer too small", s.DC, u"abcdef", 6, 2}};
  for (const Case& c : cases) {
    ssa = reinterpret_cast<SCRIPT_STRING_ANALYSIS>(1);
    EXPECT_TRUE(FAILED(ScriptStringAnalyse(c.dc, c.text, c.length, c.glyphs, -1, SSA_GLYPHS, -1, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, &ssa)))
        << c.name;
    EXPECT_EQ(ssa, nullptr) << c.name;
  }
  EXPECT_TRUE(FAILED(ScriptStringFree(&ssa)));
  EXPECT_EQ(ScriptString_pSize(nullptr), nullptr);
}

TEST(ScriptString, ItemsShapingAndPlacement) {
  TSurface s(4, 4);
  TFontScope f(s.DC, MakeLogFont(u"Arial", -16));
  const std::u16string text = u"abc \u05D0\u05D1 def";
  SCRIPT_ITEM items[8];
  int count = 0;
  ASSERT_EQ(ScriptItemize(text.c_str(), static_cast<int>(text.size()), 7, nullptr, nullptr, items, &count), S_OK);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(items[1].iCharPos, 4);
  EXPECT_TRUE(items[1].a.fRTL);
  EXPECT_EQ(items[3].iCharPos, static_cast<int>(text.size()));
  EXPECT_EQ(ScriptItemize(text.c_str(), static_cast<int>(text.size()), 2, nullptr, nullptr, items, &count), E_OUTOFMEMORY);

  SCRIPT_CACHE cache = nullptr;
  WORD glyphs[16], clust[3];
  SCRIPT_VISATTR va[16];
  int ng = 0;
  ASSERT_EQ(ScriptShape(s.DC, &cache, u"abc", 3, 16, &items[0].a, glyphs, clust, va, &ng), S_OK);
  EXPECT_EQ(ng, 3);
  int adv[16];
  GOFFSET off[16];
  ABC abc;
  ASSERT_EQ(ScriptPlace(s.DC, &cache, glyphs, ng, va, &items[0].a, adv, off, &abc), S_OK);
  SIZE sz;
  GetTextExtentPoint32W(s.DC, u"abc", 3, &sz);
  EXPECT_EQ(static_cast<int>(abc.abcB), sz.cx);
  SCRIPT_FONTPROPERTIES props;
  ASSERT_EQ(ScriptGetFontProperties(s.DC, &cache, &props), S_OK);
  EXPECT_NE(props.wgBlank, 0);
  EXPECT_EQ(ScriptFreeCache(&cache), S_OK);
  EXPECT_EQ(cache, nullptr);
}

TEST(ScriptString, LayoutOrdersRunsByTheirLevels) {
  struct Case { const char* name; std::vector<BYTE> levels; std::vector<int> visual, logical; };
  const Case cases[] = {{"left to right", {0, 0, 0}, {0, 1, 2}, {0, 1, 2}},
                        {"right to left", {1, 1, 1}, {2, 1, 0}, {2, 1, 0}},
                        {"embedded", {0, 1, 1, 0}, {0, 2, 1, 3}, {0, 2, 1, 3}},
                        {"numbers in right to left", {1, 2, 2, 0}, {1, 2, 0, 3}, {2, 0, 1, 3}},
                        {"deepest level", {126, 0}, {0, 1}, {0, 1}}};
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.levels.size());
    std::vector<int> v2l(c.levels.size(), -1), l2v(c.levels.size(), -1);
    ASSERT_EQ(ScriptLayout(n, c.levels.data(), v2l.data(), l2v.data()), S_OK) << c.name;
    EXPECT_EQ(v2l, c.visual) << c.name;
    EXPECT_EQ(l2v, c.logical) << c.name;
    EXPECT_EQ(ScriptLayout(n, c.levels.data(), nullptr, nullptr), S_OK) << c.name;
  }
  const BYTE ok[] = {0, 1}, tooDeep[] = {0, 127};
  int map[2] = {-1, -1};
  EXPECT_EQ(ScriptLayout(0, ok, map, map), E_INVALIDARG);
  EXPECT_EQ(ScriptLayout(2, nullptr, map, map), E_INVALIDARG);
  EXPECT_EQ(ScriptLayout(2, tooDeep, map, map), E_INVALIDARG);
  EXPECT_EQ(map[0], -1) << "a refused call leaves the maps alone";
}

// A piece of a text measured just before is answered from that text's shaping where its ends
// are safe cuts: every answer must equal that of shaping the piece alone (here a copy of it,
// held elsewhere, which nothing shaped before holds).
TEST(ScriptString, PiecesOfAShapedTextMeasureAsTheirOwnShaping) {
  TSurface s(4, 4);
  const std::u16string texts[] = {
      u"Type AVATAR. WAVE To, office ffl fi: 1,234.50 (quoted) \u201Cdone\u201D -- end",
      u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645 \u0627\u0644\u0639\u0631\u0628\u064A "
      u"\u0644\u0627 \u0633\u0644\u0627\u0645",
      u"12 abc \u0928\u092E\u0938\u094D\u0924\u0947 \u043C\u0438\u0440 e\u0301t\u00E9 \u03B1\u03B2\u03B3 "
      u"\u05E9\u05DC\u05D5\u05DD 99 \u4F60\u597D xyz",
      u"12 abc \u0928\u092E\u0938\u094D\u0924\u0947 \u043C\u0438\u0440 e\u0301t\u00E9 \u03B1\u03B2 \u4F60\u597D"
      u"\U0001D400 a\u200Db \u0915\u094D\u0937 fin"};
  for (const char16_t* face : {u"Arial", u"Times New Roman"}) {
    TFontScope f(s.DC, MakeLogFont(face, -15));
    for (const std::u16string& whole : texts) {
      const int N = static_cast<int>(whole.size());
      for (int a = 0; a < N; ++a) {
        for (int b = a + 1; b <= N; ++b) {
          const int n = b - a;
          const std::u16string copy = whole.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(n));
          // The whole text first, then its piece, then the piece on its own.
          TAnalysis w(s.DC, whole);
          ASSERT_EQ(w.hr, S_OK);
          SIZE piece{}, alone{};
          ASSERT_TRUE(GetTextExtentPoint32W(s.DC, whole.c_str() + a, n, &piece));
          ASSERT_TRUE(GetTextExtentPoint32W(s.DC, copy.c_str(), n, &alone));
          ASSERT_EQ(piece, alone) << "piece " << a << ".." << b;
          const int req = alone.cx * 2 / 3;
          SCRIPT_STRING_ANALYSIS pa = nullptr, pb = nullptr;
          TAnalysis w2(s.DC, whole);
          const DWORD flags = SSA_GLYPHS | SSA_FALLBACK | SSA_LINK | SSA_CLIP;
          ASSERT_EQ(ScriptStringAnalyse(s.DC, whole.c_str() + a, n, n * 3 / 2 + 16, -1, flags, req, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, &pa),
                    S_OK);
          ASSERT_EQ(ScriptStringAnalyse(s.DC, copy.c_str(), n, n * 3 / 2 + 16, -1, flags, req, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, &pb),
                    S_OK);
          const int outA = *ScriptString_pcOutChars(pa), outB = *ScriptString_pcOutChars(pb);
          EXPECT_EQ(outA, outB) << "fit of " << a << ".." << b;
          EXPECT_EQ(*ScriptString_pSize(pa), *ScriptString_pSize(pb)) << "fit of " << a << ".." << b;
          if (outA == outB && outA > 0) {
            std::vector<int> wa(static_cast<std::size_t>(outA)), wb(wa.size());
            ScriptStringGetLogicalWidths(pa, wa.data());
            ScriptStringGetLogicalWidths(pb, wb.data());
            EXPECT_EQ(wa, wb) << "widths of " << a << ".." << b;
          }
          ScriptStringFree(&pa);
          ScriptStringFree(&pb);
          if (HasFailure()) return;
        }
      }
    }
  }
}
