// The two text back-ends on real fonts: measuring, caret positions, bidirectional order,
// agreement of measuring with drawing, the reference canvas, and the operations of the
// interface that draw shapes or touch the clip.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/RVUniscribeGrIn.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/ImageList.h"

namespace {

// A white 32-bit memory bitmap with a canvas on it.
class TTestSurface {
 public:
  TTestSurface(int w, int h) : W(w), H(h) {
    DC = ::CreateCompatibleDC(nullptr);
    Bmp = ::CreateCompatibleBitmap(DC, w, h);
    Old = ::SelectObject(DC, Bmp);
    Canvas = std::make_unique<TCanvas>(DC);
    Clear();
  }
  ~TTestSurface() {
    Canvas.reset();
    ::SelectObject(DC, Old);
    ::DeleteObject(Bmp);
    ::DeleteDC(DC);
  }
  void Clear() {
    TRect r(0, 0, W, H);
    HBRUSH b = ::CreateSolidBrush(RGB(255, 255, 255));
    ::FillRect(DC, &r, b);
    ::DeleteObject(b);
  }
  // 0x00BBGGRR, as a TColor.
  DWORD Pixel(int x, int y) const {
    const BYTE* row = ::GetBitmapScanLine(Bmp, y);
    return row ? (row[4 * x + 2] | (row[4 * x + 1] << 8) | (row[4 * x] << 16)) : 0xFFFFFF;
  }
  bool Ink(int x, int y) const { return Pixel(x, y) != 0xFFFFFF; }
  // Rightmost and leftmost columns with ink, -1 when none.
  int RightmostInk() const {
    for (int x = W - 1; x >= 0; --x)
      for (int y = 0; y < H; ++y)
        if (Ink(x, y)) return x;
    return -1;
  }
  int InkCount() const {
    int n = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) n += Ink(x, y);
    return n;
  }
  void SetFont(const char16_t* face, int height, TFontStyles style = {}) {
    Canvas->Font().SetName(face);
    Canvas->Font().SetHeight(height);
    Canvas->Font().SetStyle(style);
    Canvas->Font().SetColor(clBlack);
  }

  int W, H;
  HDC DC;
  HBITMAP Bmp;
  HGDIOBJ Old;
  std::unique_ptr<TCanvas> Canvas;
};

struct TSample {
  const char* Name;
  const char16_t* Face;
  const char16_t* Text;
  bool BiDi;
};

const TSample Samples[] = {
    {"Latin", u"Liberation Sans", u"Quick fox jumps; WAVY office", false},
    {"Cyrillic", u"Liberation Serif", u"Съешь же ещё этих булок", false},
    {"Hebrew", u"DejaVu Sans", u"שלום עולם ומה שלומך", true},
    {"Arabic", u"DejaVu Sans", u"مرحبا بالعالم الجميل", true},
    {"Devanagari", u"Lohit Devanagari", u"नमस्ते दुनिया क्षत्रिय", false},
    {"CJK", u"WenQuanYi Micro Hei", u"我能吞下玻璃而不伤身体", false},
};

int Len(const char16_t* s) { return static_cast<int>(std::char_traits<char16_t>::length(s)); }

enum class TBackEnd { GDI, Shaping };

std::unique_ptr<TRVGraphicInterface> Make(TBackEnd b) {
  if (b == TBackEnd::GDI) return std::make_unique<TRVWinGraphicInterface>();
  return std::make_unique<TRVUniscribeGraphicInterface>();
}

class BackEndTest : public ::testing::TestWithParam<TBackEnd> {
 protected:
  void SetUp() override {
    LoadUniscribe();
    GI = Make(GetParam());
  }
  std::unique_ptr<TRVGraphicInterface> GI;
};

INSTANTIATE_TEST_SUITE_P(Both, BackEndTest, ::testing::Values(TBackEnd::GDI, TBackEnd::Shaping),
                         [](const auto& info) {
                           return info.param == TBackEnd::GDI ? "GDI" : "Shaping";
                         });

TEST_P(BackEndTest, SoftHyphenTakesNoWidth) {
  TTestSurface s(10, 10);
  s.SetFont(u"Liberation Sans", -16);
  const char16_t* text = u"abc\u00ADdef";
  const int shy = GI->TextSizeBasic(s.Canvas.get(), u"\u00AD", 1, false).cx;
  const int with = GI->TextSize(s.Canvas.get(), text, 7, false, true).cx;
  const int without = GI->TextSize(s.Canvas.get(), text, 7, false, false).cx;
  EXPECT_EQ(with - without, shy);
  EXPECT_EQ(without, GI->TextSize(s.Canvas.get(), u"abcdef", 6, false, false).cx);

  // The device-context measuring gives coordinates; they do not advance at the soft hyphen.
  TRVWinGraphicInterface gdi;
  std::vector<int> coords(7);
  int fit = 0;
  TSize sz;
  gdi.GetTextExtentExPoint(s.Canvas.get(), text, 7, INT_MAX, false, false, coords.data(), fit, sz);
  EXPECT_EQ(fit, 7);
  EXPECT_EQ(coords[3], coords[2]);
  EXPECT_EQ(sz.cx, without);
}

// Each invisible character takes its width off wherever it stands: first, last, at the ends of
// blocks of eight code units, several in a row, or in a short tail.
TEST_P(BackEndTest, InvisibleCharactersAnywhereTakeTheirWidthOff) {
  TTestSurface s(10, 10);
  s.SetFont(u"Liberation Sans", -16);
  auto own = [&](char16_t c) {
    return TRVGraphicInterface::IsInvisibleSpecialChar(c) ? GI->TextSizeBasic(s.Canvas.get(), &c, 1, false).cx : 0;
  };
  const std::u16string base = u"abcdefghijklmnopqrstuvwxyz0123456789";
  const std::vector<std::vector<std::pair<std::size_t, char16_t>>> cases = {
      {},
      {{0, RV_SHY}},
      {{7, RV_SHY}},
      {{8, RV_ZWS}},
      {{15, RV_WJ}, {16, RV_SHY}},
      {{3, RV_SHY}, {4, RV_SHY}, {5, RV_ZWS}},
      {{35, RV_WJ}},
      {{33, RV_SHY}, {34, RV_ZWS}, {35, RV_WJ}},
      {{0, RV_WJ}, {9, RV_SHY}, {17, RV_ZWS}, {30, RV_SHY}}};
  for (std::size_t n : {std::size_t{3}, std::size_t{8}, std::size_t{9}, base.size()})
    for (const auto& placed : cases) {
      std::u16string text = base.substr(0, n);
      int want = 0;
      for (auto [at, c] : placed)
        if (at < n) {
          text[at] = c;
          want -= own(c);
        }
      TRVStringAdjRecord rec;
      EXPECT_EQ(GI->GetTextWidthAdjustingDeltaEx(s.Canvas.get(), text.data(), static_cast<int>(n), rec), want)
          << "length " << n << ", " << placed.size() << " placed";
    }
}

TEST_P(BackEndTest, MaxExtentOfThreeCharactersFitsThree) {
  TTestSurface s(10, 10);
  s.SetFont(u"Liberation Sans", -16);
  struct Case {
    const char16_t* Text;
    bool Ignore;
  };
  const Case cases[] = {{u"Wavy lines", true}, {u"W\u00ADavy lines", false}, {u"iii iii", true}};
  for (const Case& c : cases) {
    const int w3 = GI->TextSize(s.Canvas.get(), c.Text, 3, false, c.Ignore).cx;
    int fit = -1;
    TSize sz;
    GI->GetTextExtentExPoint(s.Canvas.get(), c.Text, Len(c.Text), w3, false, c.Ignore, nullptr,
                             fit, sz);
    EXPECT_EQ(fit, 3) << UnicodeToUtf8(c.Text);
    EXPECT_LE(sz.cx, w3);
    GI->MaxFit(s.Canvas.get(), c.Text, Len(c.Text), w3 - 1, false, c.Ignore, fit, sz);
    EXPECT_EQ(fit, 2) << UnicodeToUtf8(c.Text);
  }
  int fit = -1;
  TSize sz(5, 5);
  GI->MaxFit(s.Canvas.get(), u"", 0, 100, false, false, fit, sz);
  EXPECT_EQ(fit, 0);
  EXPECT_EQ(sz.cx, 0);
}

TEST_P(BackEndTest, HebrewCaretFallsAsIndexRises) {
  TTestSurface s(10, 10);
  s.SetFont(u"DejaVu Sans", -16);
  const char16_t* text = u"שלום";
  std::vector<int> pcp(5, -12345);
  EXPECT_TRUE(GI->GetCaretPositions(s.Canvas.get(), text, 4, 0, 0, true, false, pcp.data(), -1,
                                    -1));
  for (int i = 1; i <= 4; ++i) EXPECT_LT(pcp[i], pcp[i - 1]) << i;
  EXPECT_EQ(*std::min_element(pcp.begin(), pcp.end()), 0);
  EXPECT_EQ(*std::max_element(pcp.begin(), pcp.end()),
            GI->TextSize(s.Canvas.get(), text, 4, true, false).cx);
}

// Characters in drawing order, from their left x.
std::u16string VisualString(TRVGraphicInterface& gi, TCanvas* c, const std::u16string& text) {
  auto data = gi.GetGlyphDX(c, text.data(), static_cast<int>(text.size()), 0, 0, true, false,
                            false, true, -1, -1);
  std::vector<int> idx(text.size());
  for (size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<int>(i);
  std::stable_sort(idx.begin(), idx.end(),
                   [&](int a, int b) { return data->PXL[a] < data->PXL[b]; });
  std::u16string r;
  for (int i : idx) r += text[i];
  return r;
}

TEST_P(BackEndTest, BidiVisualOrder) {
  TTestSurface s(10, 10);
  s.SetFont(u"DejaVu Sans", -16);
  struct Case {
    const char16_t* Logical;
    bool RTLReading;
    const char16_t* Visual;
  };
  const Case cases[] = {
      // the numbers after Hebrew letters stay on their right
      {u"abc אבג 123", false, u"abc 123 גבא"},
      // only the Hebrew part is reversed
      {u"abc אבג def", false, u"abc גבא def"},
      {u"ab אב", false, u"ab בא"},
      // a right-to-left paragraph puts the Latin word last
      {u"abc אבג", true, u"גבא abc"},
      {u"שלום", true, u"םולש"},
  };
  for (const Case& c : cases) {
    GI->SetTextAlign(s.Canvas.get(), TA_BASELINE | (c.RTLReading ? TA_RTLREADING : 0));
    EXPECT_EQ(UnicodeToUtf8(VisualString(*GI, s.Canvas.get(), c.Logical)),
              UnicodeToUtf8(c.Visual));
  }
}

TEST_P(BackEndTest, RangeOverBidiTextGivesTwoPieces) {
  TTestSurface s(10, 10);
  s.SetFont(u"DejaVu Sans", -16);
  const std::u16string text = u"ab אבג";
  TRVCoordRangeRecord r;
  // a, b, space and the first two Hebrew letters: the third is drawn between them.
  GI->GetTextRangeCoords(s.Canvas.get(), text.data(), 6, 0, 0, true, false, 0, 4, r, -1, -1);
  ASSERT_NE(r.PNext, nullptr);
  EXPECT_EQ(r.PNext->PNext, nullptr);
  EXPECT_EQ(r.Left, 0);
  EXPECT_LT(r.Right, r.PNext->Left);
  TRVGraphicInterface::FreeAdditionalCoordRangeRecords(r);
  EXPECT_EQ(r.PNext, nullptr);
  // A left-to-right range is one piece.
  GI->GetTextRangeCoords(s.Canvas.get(), text.data(), 6, 0, 0, true, false, 0, 2, r, -1, -1);
  EXPECT_EQ(r.PNext, nullptr);
  EXPECT_EQ(r.Left, 0);
  EXPECT_EQ(r.Right, GI->TextSize(s.Canvas.get(), u"ab ", 3, false, false).cx);
}

TEST_P(BackEndTest, MeasuringAgreesWithDrawing) {
  for (const TSample& smp : Samples) {
    SCOPED_TRACE(smp.Name);
    TTestSurface s(600, 40);
    s.SetFont(smp.Face, -20);
    TEXTMETRICW tm;
    ASSERT_TRUE(GI->GetTextMetrics(s.Canvas.get(), tm));
    const int n = Len(smp.Text);
    const int w = GI->TextSize(s.Canvas.get(), smp.Text, n, smp.BiDi, false).cx;
    ASSERT_GT(w, 0);
    ::SetBkMode(s.DC, TRANSPARENT);
    s.Canvas->Brush().SetStyle(bsClear);
    const int x0 = 10;
    GI->TextOut(s.Canvas.get(), x0, 5, smp.Text, n, false);
    const int ink = s.RightmostInk();
    ASSERT_GE(ink, x0);
    // A glyph may reach past its advance by a small side bearing.
    const int overhang = tm.tmOverhang + std::max(2, static_cast<int>(tm.tmHeight) / 8);
    EXPECT_LE(ink, x0 + w + overhang);
    EXPECT_GE(ink, x0 + w - w / 4) << "the drawn run is much shorter than measured";
  }
}

TEST_P(BackEndTest, ReferenceCanvasAgreesWithScreen) {
  const int factor = 100;
  for (const TSample& smp : Samples) {
    SCOPED_TRACE(smp.Name);
    TTestSurface screen(10, 10), ref(10, 10);
    screen.SetFont(smp.Face, -16);
    ref.Canvas->Font().SetPixelsPerInch(96 * factor);
    ::SetDeviceResolution(ref.DC, 96 * factor, 96 * factor);
    ref.SetFont(smp.Face, -16 * factor);
    const int n = Len(smp.Text);
    const int w = GI->TextSize(screen.Canvas.get(), smp.Text, n, smp.BiDi, false).cx;
    const int wr = GI->TextSize(ref.Canvas.get(), smp.Text, n, smp.BiDi, false).cx;
    EXPECT_NEAR(w, static_cast<int>(Round(wr / static_cast<long double>(factor))), 1);
  }
}

TEST_P(BackEndTest, RunMeasuredOnReferenceCanvasIsDrawnAtScreenScale) {
  const int factor = 100;
  for (const TSample& smp : Samples) {
    SCOPED_TRACE(smp.Name);
    TTestSurface screen(700, 40), ref(10, 10);
    ref.SetFont(smp.Face, -20 * factor);
    const int n = Len(smp.Text);
    auto data = GI->GetGlyphDX(ref.Canvas.get(), smp.Text, n, 0, 0, smp.BiDi, false, true, false,
                               -1, -1);
    const int wref = GI->TextSize(ref.Canvas.get(), smp.Text, n, smp.BiDi, false).cx;
    ::SetBkMode(screen.DC, TRANSPARENT);
    screen.Canvas->Brush().SetStyle(bsClear);
    GI->SetGraphicsMode(screen.Canvas.get(), true);
    TRVCanvasStoreTransformParams st;
    TRVCanvasStoreFontParams fst;
    GI->ScaleCanvasTransform(screen.Canvas.get(), st, factor);
    GI->CopyCanvasFont(ref.Canvas.get(), screen.Canvas.get(), fst);
    GI->TextOutWithDX(screen.Canvas.get(), 10 * factor, 28 * factor, smp.Text, n, false,
                      data.get());
    GI->FinalizeCopyCanvasFont(ref.Canvas.get(), screen.Canvas.get(), fst);
    GI->RestoreCanvasTransform(screen.Canvas.get(), st);
    XFORM x;
    GI->GetWorldTransform(screen.Canvas.get(), x);
    EXPECT_EQ(x, XFORM{});
    const int ink = screen.RightmostInk();
    EXPECT_GT(ink, 10 + wref / factor - wref / factor / 4);
    EXPECT_LE(ink, 10 + wref / factor + 3);
  }
}

TEST_P(BackEndTest, CharacterExtraWidensEachCharacterOnce) {
  TTestSurface s(10, 10);
  s.SetFont(u"DejaVu Sans", -16);
  struct Case {
    const char16_t* Text;
    int Characters;
  };
  const Case cases[] = {{u"abcd", 4}, {u"a\U0001D400b", 3}};
  for (const Case& c : cases) {
    const int n = Len(c.Text);
    const bool bidi = GetParam() == TBackEnd::Shaping;
    const int plain = GI->TextSize(s.Canvas.get(), c.Text, n, bidi, false).cx;
    GI->SetTextCharacterExtra(s.Canvas.get(), 2);
    const int wide = GI->TextSize(s.Canvas.get(), c.Text, n, bidi, false).cx;
    EXPECT_EQ(GI->GetTextCharacterExtra(s.Canvas.get()), 2) << "the extra is restored";
    GI->SetTextCharacterExtra(s.Canvas.get(), 0);
    if (GetParam() == TBackEnd::Shaping || n == c.Characters) {
      EXPECT_EQ(wide - plain, 2 * c.Characters) << UnicodeToUtf8(c.Text);
    }
  }
}

TEST_P(BackEndTest, PreferMaxFit) {
  TTestSurface s(10, 10);
  struct Case {
    bool UseFormatCanvas;
    int Extra, Length, EstimFit;
    bool GDI, Shaping;
  };
  const Case cases[] = {
      {true, 0, 100, 20, true, false},  {true, 0, 100, 10, false, false},
      {false, 0, 100, 20, false, false}, {true, 0, 30, 10, true, true},
      {true, 2, 30, 10, true, true},     {true, 0, 50, 10, true, false},
      {true, 2, 50, 10, true, true},     {true, 0, 5, 0, true, false},
  };
  for (const Case& c : cases) {
    GI->SetTextCharacterExtra(s.Canvas.get(), c.Extra);
    EXPECT_EQ(GI->PreferMaxFit(s.Canvas.get(), false, c.UseFormatCanvas, c.Length, c.EstimFit),
              GetParam() == TBackEnd::GDI ? c.GDI : c.Shaping)
        << c.Length << "/" << c.EstimFit << " extra " << c.Extra;
  }
}

TEST_P(BackEndTest, OutermostNonExpandableCharacters) {
  TTestSurface s(10, 10);
  s.SetFont(u"DejaVu Sans", -16);
  struct Case {
    const char16_t* Text;
    bool BiDi;
    int GDILeft, GDIRight, ShapingLeft, ShapingRight;
  };
  const Case cases[] = {
      {u"", false, -1, -1, -1, -1},
      {u"word", false, -1, 3, -1, 3},
      {u"word\u00AD", false, -1, 3, -1, 3},
      {u"שלום", true, -1, 0, 3, -1},
  };
  for (const Case& c : cases) {
    int l = 99, r = 99;
    GI->GetOutermostNonExpandableCharacters(s.Canvas.get(), c.Text, Len(c.Text), c.BiDi, false,
                                            true, true, l, r);
    const bool gdi = GetParam() == TBackEnd::GDI;
    EXPECT_EQ(l, gdi ? c.GDILeft : c.ShapingLeft) << UnicodeToUtf8(c.Text);
    EXPECT_EQ(r, gdi ? c.GDIRight : c.ShapingRight) << UnicodeToUtf8(c.Text);
  }
}

TEST_P(BackEndTest, JustifiedCaretsMatchGlyphAdvances) {
  TTestSurface s(10, 10);
  s.SetFont(u"Liberation Sans", -16);
  const std::u16string text = u"ab cd ef";
  const int n = static_cast<int>(text.size());
  struct Case {
    int SpaceCount, Extra;
  };
  for (Case c : {Case{2, 9}, Case{RV_DISTRIBUTE_SPACING, 11}, Case{0, 0}}) {
    std::vector<int> pcp(n + 1);
    GI->GetCaretPositions(s.Canvas.get(), text.data(), n, c.SpaceCount, c.Extra, false, false,
                          pcp.data(), -1, -1);
    auto data = GI->GetGlyphDX(s.Canvas.get(), text.data(), n, c.SpaceCount, c.Extra, false,
                               false, true, true, -1, -1);
    ASSERT_EQ(static_cast<int>(data->PXR.size()), n);
    for (int i = 0; i < n; ++i) EXPECT_EQ(pcp[i + 1], data->PXR[i]) << i;
    EXPECT_EQ(pcp[n], GI->TextSize(s.Canvas.get(), text.data(), n, false, false).cx + c.Extra);
  }
}

TEST_P(BackEndTest, FitWithCharacterExtra) {
  TTestSurface s(10, 10);
  s.SetFont(u"DejaVu Sans", -16);
  GI->SetTextCharacterExtra(s.Canvas.get(), 3);
  struct Case {
    const char16_t* Text;
    bool BiDi;
  };
  // Right-to-left runs with an extra take the slow, exact paths of both back-ends.
  for (const Case& c : {Case{u"abcdef", false}, Case{u"שלוםעולם", true}}) {
    const int n = Len(c.Text);
    const int w2 = GI->TextSize(s.Canvas.get(), c.Text, 2, c.BiDi, false).cx;
    int fit = -1;
    TSize sz;
    GI->GetTextExtentExPoint(s.Canvas.get(), c.Text, n, w2, c.BiDi, false, nullptr, fit, sz);
    EXPECT_EQ(fit, 2) << UnicodeToUtf8(c.Text);
    EXPECT_LE(sz.cx, w2);
    if (GetParam() == TBackEnd::GDI) {
      // With a coordinate array every prefix is measured: the same answer, and the edges.
      std::vector<int> coords(n, -1);
      TSize sz2;
      GI->GetTextExtentExPoint(s.Canvas.get(), c.Text, n, w2, c.BiDi, false, coords.data(), fit,
                               sz2);
      EXPECT_EQ(fit, 2);
      EXPECT_EQ(sz2.cx, sz.cx);
      EXPECT_EQ(coords[1], w2);
      EXPECT_LT(coords[0], coords[1]);
    }
    GI->GetTextExtentExPoint(s.Canvas.get(), c.Text, n, INT_MAX, c.BiDi, false, nullptr, fit, sz);
    EXPECT_EQ(fit, n);
    EXPECT_EQ(sz.cx, GI->TextSize(s.Canvas.get(), c.Text, n, c.BiDi, false).cx);
  }
  EXPECT_EQ(GI->GetTextCharacterExtra(s.Canvas.get()), 3);
}

TEST_P(BackEndTest, ExpandableCharacters) {
  TTestSurface s(10, 10);
  s.SetFont(u"DejaVu Sans", -16);
  struct Case {
    const char16_t* Text;
    bool BiDi;
    int Count;
  };
  const Case cases[] = {{u"", false, 0},          {u"word", false, 4},
                        {u"a b", false, 3},       {u"e\u0301x", false, 2},
                        {u"ab\u00AD", false, 2},  {u"שלום", true, 4},
                        {u"x\U0001D400", false, 2}};
  for (const Case& c : cases)
    EXPECT_EQ(GI->GetExpandableCharCount(s.Canvas.get(), c.Text, Len(c.Text), c.BiDi, false),
              c.Count)
        << UnicodeToUtf8(c.Text);
}

TEST_P(BackEndTest, JustifiedRunIsDrawnWithItsAdvances) {
  TTestSurface s(300, 30);
  s.SetFont(u"Liberation Sans", -16);
  ::SetBkMode(s.DC, TRANSPARENT);
  s.Canvas->Brush().SetStyle(bsClear);
  const std::u16string text = u"ab cd ef";
  const int n = static_cast<int>(text.size());
  const int plain = GI->TextSize(s.Canvas.get(), text.data(), n, false, false).cx;
  auto data = GI->GetGlyphDX(s.Canvas.get(), text.data(), n, 2, 60, false, false, true, false,
                             -1, -1);
  GI->TextOutWithDX(s.Canvas.get(), 10, 20, text.data(), n, false, data.get());
  const int ink = s.RightmostInk();
  EXPECT_GT(ink, 10 + plain + 50);
  EXPECT_LE(ink, 10 + plain + 60 + 2);
  // Nothing is drawn inside the widened gaps.
  const int gap = 10 + GI->TextSize(s.Canvas.get(), u"ab ", 3, false, false).cx + 10;
  for (int y = 0; y < 30; ++y) EXPECT_FALSE(s.Ink(gap, y)) << y;
}

TEST_P(BackEndTest, RunForMetafileLooksLikeRunOnScreen) {
  // Metafiles get characters with advances instead of glyphs; the picture must not change.
  for (const char16_t* text : {u"שלום עולם", u"abc אבג def", u"مرحبا بالعالم"}) {
    const int n = Len(text);
    std::vector<int> ink;
    for (bool forMetafile : {false, true}) {
      TTestSurface s(300, 30);
      s.SetFont(u"DejaVu Sans", -16);
      ::SetBkMode(s.DC, TRANSPARENT);
      s.Canvas->Brush().SetStyle(bsClear);
      auto data = GI->GetGlyphDX(s.Canvas.get(), text, n, 1, 12, true, false, true, false, -1, -1);
      GI->TextOutWithDX(s.Canvas.get(), 10, 20, text, n, forMetafile, data.get());
      ink.push_back(s.RightmostInk());
      ink.push_back(s.InkCount());
    }
    EXPECT_NEAR(ink[0], ink[2], 1) << UnicodeToUtf8(text);
    EXPECT_NEAR(ink[1], ink[3], ink[1] / 50) << UnicodeToUtf8(text);
  }
}

TEST_P(BackEndTest, SpacedRunForMetafileKeepsItsSpacing) {
  for (const char16_t* text : {u"spacing", u"שלום"}) {
    std::vector<int> right;
    for (bool forMetafile : {false, true}) {
      TTestSurface s(300, 30);
      s.SetFont(u"DejaVu Sans", -16);
      ::SetBkMode(s.DC, TRANSPARENT);
      s.Canvas->Brush().SetStyle(bsClear);
      GI->SetTextCharacterExtra(s.Canvas.get(), 6);
      GI->TextOut(s.Canvas.get(), 10, 20, text, Len(text), forMetafile);
      EXPECT_EQ(GI->GetTextCharacterExtra(s.Canvas.get()), 6);
      right.push_back(s.RightmostInk());
    }
    EXPECT_NEAR(right[0], right[1], 1) << UnicodeToUtf8(text);
  }
}

// Awkward runs through every text operation: no crash, every caret set, results in range.
TEST_P(BackEndTest, AwkwardRuns) {
  std::u16string longRun;
  for (int i = 0; i < 600; ++i) longRun += u"ab\u05D0\u0644\u0627 \u0915\u094D\u0937";
  const std::u16string runs[] = {
      std::u16string(u"\xD800"),          std::u16string(u"a\xDC00" u"b"),
      std::u16string(u"\u0301\u0301x"),   std::u16string(u"\u200F\u200E\u202E"),
      std::u16string(u"\uFFFF\uFFFE"),    std::u16string(u"a\0b", 3),
      std::u16string(u"\t\r\n"),          std::u16string(u"\u0644\u0627"),
      std::u16string(u"\u0915\u094D\u0937\u093F"), std::u16string(u"\U0001F600\U0001F3FD"),
      longRun};
  TTestSurface s(400, 30);
  s.SetFont(u"DejaVu Sans", -16);
  for (const auto& r : runs) {
    const int n = static_cast<int>(r.size());
    SCOPED_TRACE(testing::Message() << "length " << n);
    for (bool bidi : {false, true}) {
      for (int extra : {0, 2}) {
        GI->SetTextCharacterExtra(s.Canvas.get(), extra);
        const TSize size = GI->TextSize(s.Canvas.get(), r.data(), n, bidi, false);
        EXPECT_GE(size.cx, 0);
        int fit = -1;
        TSize sz;
        GI->GetTextExtentExPoint(s.Canvas.get(), r.data(), n, INT_MAX, bidi, false, nullptr, fit,
                                 sz);
        EXPECT_EQ(fit, n);
        GI->GetTextExtentExPoint(s.Canvas.get(), r.data(), n, 0, bidi, false, nullptr, fit, sz);
        EXPECT_GE(fit, 0);
        EXPECT_LE(fit, n);
        std::vector<int> pcp(n + 1, INT_MIN);
        GI->GetCaretPositions(s.Canvas.get(), r.data(), n, RV_DISTRIBUTE_SPACING, 7, bidi, false,
                              pcp.data(), -1, -1);
        EXPECT_EQ(std::count(pcp.begin(), pcp.end(), INT_MIN), 0);
        auto data = GI->GetGlyphDX(s.Canvas.get(), r.data(), n, 1, 5, bidi, false, true, true,
                                   -1, -1);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(static_cast<int>(data->PXL.size()), n);
        EXPECT_EQ(static_cast<int>(data->PXR.size()), n);
        const int expandable = GI->GetExpandableCharCount(s.Canvas.get(), r.data(), n, bidi, false);
        EXPECT_GE(expandable, 0);
        EXPECT_LE(expandable, n);
        int l = 0, rt = 0;
        GI->GetOutermostNonExpandableCharacters(s.Canvas.get(), r.data(), n, bidi, false, true,
                                                true, l, rt);
        EXPECT_TRUE(l >= -1 && l < n);
        EXPECT_TRUE(rt >= -1 && rt < n);
        GI->TextOut(s.Canvas.get(), 5, 20, r.data(), n, false);
        GI->TextOutWithDX(s.Canvas.get(), 5, 20, r.data(), n, true, data.get());
        GI->TextOutWithDX(s.Canvas.get(), 5, 20, r.data(), n, false, data.get());
      }
    }
  }
  GI->SetTextCharacterExtra(s.Canvas.get(), 0);
}

TEST_P(BackEndTest, RunNeedingFallbackFacesIsDrawn) {
  // The primary face has no Arabic or CJK letters: both come from fallback faces.
  for (const char16_t* text : {u"مرحبا بالعالم", u"我能吞下玻璃"}) {
    TTestSurface s(300, 40);
    s.SetFont(u"Liberation Sans", -16);
    const int n = Len(text);
    auto data = GI->GetGlyphDX(s.Canvas.get(), text, n, 0, 0, true, false, true, false, -1, -1);
    GI->TextOutWithDX(s.Canvas.get(), 10, 25, text, n, false, data.get());
    const int w = GI->TextSize(s.Canvas.get(), text, n, true, false).cx;
    EXPECT_GT(s.InkCount(), 20) << UnicodeToUtf8(text);
    EXPECT_NEAR(s.RightmostInk(), 10 + w, 3) << UnicodeToUtf8(text);
  }
}

// ---- the string-analysis back-end when analysis fails ------------------------------------------

HRESULT FailingAnalyse(HDC, const void*, int, int, int, DWORD, int, SCRIPT_CONTROL*, SCRIPT_STATE*,
                       const int*, SCRIPT_TABDEF*, const BYTE*, SCRIPT_STRING_ANALYSIS* ssa) {
  *ssa = nullptr;
  return E_FAIL;
}

class AnalysisFailsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadUniscribe();
    RVUniscribe().ScriptStringAnalyse = &FailingAnalyse;
  }
  void TearDown() override { LoadUniscribe(); }
  TRVUniscribeGraphicInterface GI;
  TRVWinGraphicInterface GDI;
};

TEST_F(AnalysisFailsTest, CaretPositionsComeFromTheDeviceContext) {
  TTestSurface s(10, 10);
  s.SetFont(u"DejaVu Sans", -16);
  for (const char16_t* text : {u"caret", u"שלום", u"a\u00ADb"}) {
    const int n = Len(text);
    std::vector<int> got(n + 1, -777), want(n + 1, -888);
    GI.GetCaretPositions(s.Canvas.get(), text, n, 0, 0, true, false, got.data(), -1, -1);
    GDI.GetCaretPositions(s.Canvas.get(), text, n, 0, 0, true, false, want.data(), -1, -1);
    EXPECT_EQ(got, want) << UnicodeToUtf8(text);
  }
}

TEST_F(AnalysisFailsTest, RunsAreStillDrawn) {
  TTestSurface s(200, 30);
  s.SetFont(u"Liberation Sans", -16);
  GI.TextOut(s.Canvas.get(), 5, 5, u"drawn", 5, false);
  EXPECT_GT(s.InkCount(), 0);
  s.Clear();
  auto data = GI.GetGlyphDX(s.Canvas.get(), u"drawn", 5, 0, 0, false, false, true, false, -1, -1);
  GI.TextOutWithDX(s.Canvas.get(), 5, 5, u"drawn", 5, false, data.get());
  EXPECT_GT(s.InkCount(), 0);
  // Glyph data made by the string-analysis back-end before the failure is drawn as well.
  LoadUniscribe();
  auto shaped = GI.GetGlyphDX(s.Canvas.get(), u"drawn", 5, 0, 0, false, false, true, false, -1, -1);
  RVUniscribe().ScriptStringAnalyse = &FailingAnalyse;
  s.Clear();
  GI.TextOutWithDX(s.Canvas.get(), 5, 5, u"drawn", 5, false, shaped.get());
  EXPECT_GT(s.InkCount(), 0);
}

TEST(GraphicInterfaceChoice, ShapingByDefaultGDIWithoutIt) {
  LoadUniscribe();
  ASSERT_TRUE(IsUniscribeLoaded());
  EXPECT_NE(dynamic_cast<TRVUniscribeGraphicInterface*>(RVCreateGraphicInterface(true).get()),
            nullptr);
  EXPECT_EQ(dynamic_cast<TRVUniscribeGraphicInterface*>(RVCreateGraphicInterface(false).get()),
            nullptr);
  UnloadUniscribe();
  EXPECT_FALSE(IsUniscribeLoaded());
  auto gi = RVCreateGraphicInterface(true);
  EXPECT_EQ(dynamic_cast<TRVUniscribeGraphicInterface*>(gi.get()), nullptr);
  EXPECT_NE(dynamic_cast<TRVWinGraphicInterface*>(gi.get()), nullptr);
  LoadUniscribe();
}

// ---- a sheet of every sample, for a look ---------------------------------------------------------

TEST(DrawingSheet, AllSamplesOnBothBackEnds) {
  LoadUniscribe();
  const int rowH = 34;
  TTestSurface s(760, rowH * 4 * static_cast<int>(std::size(Samples)) + 10);
  ::SetBkMode(s.DC, TRANSPARENT);
  s.Canvas->Brush().SetStyle(bsClear);
  int y = 5;
  for (TBackEnd b : {TBackEnd::GDI, TBackEnd::Shaping}) {
    auto gi = Make(b);
    // Drawn directly, then measured on a reference canvas with fonts 100 times larger and
    // drawn through the scaled transform, as formatted text is.
    for (bool viaRef : {false, true}) {
      for (const TSample& smp : Samples) {
        s.SetFont(u"Liberation Sans", -12);
        const std::u16string label = Utf8ToUnicode(std::string(b == TBackEnd::GDI ? "GDI " : "Shaping ") +
                                                   (viaRef ? "ref. " : "") + smp.Name);
        gi->TextOut(s.Canvas.get(), 5, y + 8, label.data(), static_cast<int>(label.size()), false);
        const TFontStyles lines{fsUnderline, fsStrikeOut};
        const int n = Len(smp.Text);
        if (!viaRef) {
          s.SetFont(smp.Face, -20, lines);
          gi->TextOut(s.Canvas.get(), 160, y, smp.Text, n, false);
        } else {
          TTestSurface ref(4, 4);
          ref.SetFont(smp.Face, -2000, lines);
          auto data = gi->GetGlyphDX(ref.Canvas.get(), smp.Text, n, 0, 0, smp.BiDi, false, true,
                                     false, -1, -1);
          gi->SetGraphicsMode(s.Canvas.get(), true);
          TRVCanvasStoreTransformParams st;
          TRVCanvasStoreFontParams fst;
          gi->ScaleCanvasTransform(s.Canvas.get(), st, 100);
          gi->CopyCanvasFont(ref.Canvas.get(), s.Canvas.get(), fst);
          gi->TextOutWithDX(s.Canvas.get(), 160 * 100, y * 100, smp.Text, n, false, data.get());
          gi->FinalizeCopyCanvasFont(ref.Canvas.get(), s.Canvas.get(), fst);
          gi->RestoreCanvasTransform(s.Canvas.get(), st);
          gi->SetGraphicsMode(s.Canvas.get(), false);
        }
        y += rowH;
      }
    }
  }
  std::filesystem::create_directories(TAVRELO_TEST_OUTPUT);
  const std::string file = std::string(TAVRELO_TEST_OUTPUT) + "/drawing-samples.png";
  ASSERT_TRUE(::SaveBitmapToPng(s.Bmp, file));
  EXPECT_GT(std::filesystem::file_size(file), 1000u);
}

// ---- shapes, clips and transforms through the interface ------------------------------------------

class ShapesTest : public ::testing::Test {
 protected:
  TRVWinGraphicInterface GI;
  TTestSurface S{40, 40};
};

TEST_F(ShapesTest, FeedbackLines) {
  S.Canvas->Pen().SetColor(clBlack);
  struct Case {
    int Kind;  // 0 drag-and-drop caret, 1 vertical resize line, 2 horizontal resize line
    int From, To;
    std::vector<int> Inked;  // along the line
  };
  const Case cases[] = {{0, 3, 7, {4, 6}},
                        {0, 7, 3, {}},
                        {0, -3, 0, {-2, 0}},
                        {1, 0, 16, {0, 2, 4, 8, 10, 12}},
                        {1, 3, 4, {3, 5, 7}},
                        {2, 0, 9, {0, 2, 4, 8, 10, 12}}};
  for (const Case& c : cases) {
    S.Clear();
    if (c.Kind == 0) GI.LineDragDropCaret(S.Canvas.get(), 10, c.From, c.To);
    if (c.Kind == 1) GI.DrawTableResizeVLine(S.Canvas.get(), 10, c.From, c.To);
    if (c.Kind == 2) GI.DrawTableResizeHLine(S.Canvas.get(), c.From, c.To, 10);
    std::vector<int> inked;
    for (int t = 0; t < 40; ++t)
      if (c.Kind == 2 ? S.Ink(t, 10) : S.Ink(10, t)) inked.push_back(t);
    std::vector<int> want;
    for (int t : c.Inked)
      if (t >= 0) want.push_back(t);
    EXPECT_EQ(inked, want) << c.Kind << " " << c.From << ".." << c.To;
  }
  // The caret strokes are two pixels long: the end point is not drawn.
  S.Clear();
  GI.LineDragDropCaret(S.Canvas.get(), 10, 4, 4);
  EXPECT_TRUE(S.Ink(11, 4));
  EXPECT_FALSE(S.Ink(12, 4));
}

TEST_F(ShapesTest, BrushesFromPens) {
  S.Canvas->Pen().SetColor(clGreen);
  S.Canvas->Pen().SetStyle(psSolid);
  GI.SetPenColorToBrush(S.Canvas.get());
  EXPECT_EQ(S.Canvas->Brush().GetStyle(), bsSolid);
  EXPECT_EQ(S.Canvas->Brush().GetColor(), clGreen);
  std::unique_ptr<TBrush> saved = GI.CloneBrush(S.Canvas.get());
  S.Canvas->Pen().SetStyle(psClear);
  GI.SetPenColorToBrush(S.Canvas.get());
  EXPECT_EQ(S.Canvas->Brush().GetStyle(), bsClear);
  GI.SetRVBrush(S.Canvas.get(), std::move(saved));
  EXPECT_EQ(S.Canvas->Brush().GetStyle(), bsSolid);
  EXPECT_EQ(S.Canvas->Brush().GetColor(), clGreen);
  // Without gradients the second colour fills the rectangle.
  S.Canvas->Pen().SetStyle(psClear);
  GI.RectangleGradient(S.Canvas.get(), 0, 0, 20, 20, clRed, clBlue, true);
  EXPECT_EQ(S.Pixel(10, 10), static_cast<DWORD>(clBlue));
}

TEST_F(ShapesTest, EmptySweepDrawsNothing) {
  S.Canvas->Brush().SetColor(clBlack);
  GI.Pie(S.Canvas.get(), 5, 5, 30, 30, 0, 0);
  GI.Arc(S.Canvas.get(), 5, 5, 30, 30, 45, 1e-9);
  EXPECT_EQ(S.InkCount(), 0);
  GI.Pie(S.Canvas.get(), 5, 5, 30, 30, 0, 90);
  // A quarter from 0 degrees turns clockwise on screen: into the lower right.
  EXPECT_TRUE(S.Ink(24, 24));
  EXPECT_FALSE(S.Ink(10, 10));
}

TEST_F(ShapesTest, FillPathStrokesAndFillsAsAsked) {
  S.Canvas->Pen().SetColor(clBlack);
  S.Canvas->Brush().SetColor(clRed);
  struct Case {
    bool Line, Back;
    DWORD Edge, Inside;
  };
  const Case cases[] = {{false, false, 0xFFFFFF, 0xFFFFFF},
                        {true, false, 0x000000, 0xFFFFFF},
                        {false, true, 0x0000FF, 0x0000FF},
                        {true, true, 0x000000, 0x0000FF}};
  for (const Case& c : cases) {
    S.Clear();
    GI.BeginPath(S.Canvas.get());
    GI.PathAddRect(S.Canvas.get(), 5, 5, 30, 30);
    GI.EndPath(S.Canvas.get());
    GI.FillPath(S.Canvas.get(), c.Line, c.Back);
    EXPECT_EQ(S.Pixel(5, 15), c.Edge) << c.Line << c.Back;
    EXPECT_EQ(S.Pixel(15, 15), c.Inside) << c.Line << c.Back;
  }
}

TEST_F(ShapesTest, AlphaFillPieces) {
  using R = std::vector<TRect>;
  EXPECT_EQ(TRVWinGraphicInterface::AlphaFillPieces(TRect(0, 0, 2500, 1200)),
            (R{Bounds(0, 0, 1000, 1000), Bounds(1000, 0, 1000, 1000), Bounds(2000, 0, 500, 1000),
               Bounds(0, 1000, 1000, 200), Bounds(1000, 1000, 1000, 200),
               Bounds(2000, 1000, 500, 200)}));
  EXPECT_EQ(TRVWinGraphicInterface::AlphaFillPieces(TRect(10, 20, 30, 25)),
            (R{TRect(10, 20, 30, 25)}));
  EXPECT_EQ(TRVWinGraphicInterface::AlphaFillPieces(TRect(0, 0, 2000, 10)),
            (R{Bounds(0, 0, 1000, 10), Bounds(1000, 0, 1000, 10)}));
  EXPECT_TRUE(TRVWinGraphicInterface::AlphaFillPieces(TRect(5, 5, 5, 9)).empty());
}

TEST_F(ShapesTest, FillRectAlphaBlends) {
  struct Case {
    int Opacity;
    TColor Color;
    DWORD Expected;  // 0x00BBGGRR at the centre
  };
  const Case cases[] = {{0, clBlack, 0xFFFFFF},       {128, clNone, 0xFFFFFF},
                        {255, clBlack, 0x000000},     {300, clBlack, 0x000000},
                        {128, clBlack, 0x7F7F7F}};
  for (const Case& c : cases) {
    S.Clear();
    GI.FillRectAlpha(S.Canvas.get(), TRect(10, 10, 30, 30), c.Color, c.Opacity);
    const DWORD p = S.Pixel(20, 20);
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(static_cast<int>((p >> shift) & 0xFF),
                  static_cast<int>((c.Expected >> shift) & 0xFF), 1)
          << c.Opacity;
    EXPECT_FALSE(S.Ink(5, 5));
  }
}

TEST_F(ShapesTest, TextRangeRegionWithReversedRangeLeavesClip) {
  S.SetFont(u"Liberation Sans", -16);
  HRGN before;
  bool valid = true;
  GI.GetClipRgn(S.Canvas.get(), before, valid);
  EXPECT_FALSE(valid);
  GI.FreeClipRgn(before, valid);
  EXPECT_FALSE(GI.ApplyTextRangeRegion(S.Canvas.get(), S.Canvas.get(), u"abc", 3, 0, 0, false,
                                       false, 2, 1, 0, 0, 0, 20, -1, -1));
  GI.GetClipRgn(S.Canvas.get(), before, valid);
  EXPECT_FALSE(valid);
  GI.FreeClipRgn(before, valid);

  // A left-to-right range clips to its characters only.
  EXPECT_TRUE(GI.ApplyTextRangeRegion(S.Canvas.get(), S.Canvas.get(), u"abc", 3, 0, 0, false,
                                      false, 1, 1, 0, 0, 0, 40, -1, -1));
  GI.FillColorRect(S.Canvas.get(), TRect(0, 0, 40, 40), clBlack);
  const int a = GI.TextSize(S.Canvas.get(), u"a", 1, false, false).cx;
  const int ab = GI.TextSize(S.Canvas.get(), u"ab", 2, false, false).cx;
  EXPECT_FALSE(S.Ink(a - 1, 10));
  EXPECT_TRUE(S.Ink(a, 10));
  EXPECT_TRUE(S.Ink(ab - 1, 10));
  EXPECT_FALSE(S.Ink(ab, 10));
}

TEST_F(ShapesTest, TextRangeRegionOverBidiText) {
  TTestSurface s(200, 20);
  s.SetFont(u"DejaVu Sans", -16);
  const std::u16string text = u"ab אבג";
  auto data = GI.GetGlyphDX(s.Canvas.get(), text.data(), 6, 0, 0, true, false, false, true, -1, -1);
  const int textLeft = 10;
  // An outer clip that cuts the last pixel column of the run away.
  const int runRight = textLeft + *std::max_element(data->PXR.begin(), data->PXR.end());
  GI.IntersectClipRect(s.Canvas.get(), 0, 0, runRight - 1, 20);
  // a, b, space and the first two Hebrew letters: the third is drawn between them.
  EXPECT_TRUE(GI.ApplyTextRangeRegion(s.Canvas.get(), s.Canvas.get(), text.data(), 6, 0, 0, true,
                                      false, 0, 4, 5, textLeft, 0, 20, -1, -1));
  GI.FillColorRect(s.Canvas.get(), TRect(0, 0, 200, 20), clBlack);
  auto inside = [&](int i) { return (data->PXL[i] + data->PXR[i]) / 2 + textLeft; };
  for (int i : {0, 1, 2, 3, 4}) EXPECT_TRUE(s.Ink(inside(i), 10)) << i;
  EXPECT_FALSE(s.Ink(inside(5), 10)) << "the letter outside the range";
  EXPECT_TRUE(s.Ink(7, 10)) << "the space before the text belongs to a range from its start";
  EXPECT_FALSE(s.Ink(3, 10));
  EXPECT_FALSE(s.Ink(runRight - 1, 10)) << "the outer clip still holds";
}

TEST_F(ShapesTest, ClipRegionRoundTrip) {
  GI.IntersectClipRect(S.Canvas.get(), 0, 0, 10, 10);
  HRGN rgn;
  bool valid = false;
  GI.RemoveClipRgn(S.Canvas.get(), rgn, valid);
  EXPECT_TRUE(valid);
  GI.FillColorRect(S.Canvas.get(), TRect(0, 0, 40, 40), clBlack);
  EXPECT_TRUE(S.Ink(20, 20)) << "no clip while removed";
  S.Clear();
  GI.RestoreClipRgn(S.Canvas.get(), rgn, valid);
  GI.FillColorRect(S.Canvas.get(), TRect(0, 0, 40, 40), clBlack);
  EXPECT_TRUE(S.Ink(5, 5));
  EXPECT_FALSE(S.Ink(20, 20));
}

TEST_F(ShapesTest, ScaleAndMoveTransforms) {
  GI.SetGraphicsMode(S.Canvas.get(), true);
  XFORM x;
  x.eM11 = 2;
  x.eM22 = 4;
  x.eDx = 7;
  GI.SetWorldTransform(S.Canvas.get(), x);
  TRVCanvasStoreTransformParams st;
  GI.ScaleCanvasTransform(S.Canvas.get(), st, 100);
  XFORM got;
  GI.GetWorldTransform(S.Canvas.get(), got);
  EXPECT_FLOAT_EQ(got.eM11, 0.02f);
  EXPECT_FLOAT_EQ(got.eM22, 0.04f);
  EXPECT_FLOAT_EQ(got.eDx, 7);
  GI.RestoreCanvasTransform(S.Canvas.get(), st);
  GI.GetWorldTransform(S.Canvas.get(), got);
  EXPECT_EQ(got, x);
  GI.MoveWindowOrgAdvanced(S.Canvas.get(), 3, 5);
  GI.GetWorldTransform(S.Canvas.get(), got);
  // The shift is in world units, before the scaling.
  EXPECT_FLOAT_EQ(got.eDx, 7 + 3 * 2);
  EXPECT_FLOAT_EQ(got.eDy, 5 * 4);
  EXPECT_TRUE(GI.SetGraphicsMode(S.Canvas.get(), false));
  EXPECT_FALSE(GI.IsAdvancedGraphicsMode(S.Canvas.get()));

  POINT org;
  GI.MoveWindowOrgAdvanced(S.Canvas.get(), 3, 5);
  GI.GetWindowOrgEx(S.Canvas.get(), org);
  EXPECT_EQ(org, TPoint(-3, -5));
}

TEST_F(ShapesTest, CompatibleCanvasKeepsModeTransformAndResolution) {
  GI.SetGraphicsMode(S.Canvas.get(), true);
  XFORM x;
  x.eM11 = 0.5f;
  x.eDy = 3;
  GI.SetWorldTransform(S.Canvas.get(), x);
  S.Canvas->Font().SetPixelsPerInch(9600);
  TCanvas* c = GI.CreateCompatibleCanvas(S.Canvas.get());
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(GI.IsAdvancedGraphicsMode(c));
  XFORM got;
  GI.GetWorldTransform(c, got);
  EXPECT_EQ(got, x);
  EXPECT_EQ(c->Font().GetPixelsPerInch(), 9600);
  GI.DestroyCompatibleCanvas(c);
  // The printer canvas measures like the current printer (here the A4 sheet at 600 pixels per
  // inch that stands in when there is none).
  TCanvas* prn = GI.CreatePrinterCanvas();
  ASSERT_NE(prn, nullptr);
  EXPECT_EQ(GetDeviceCaps(prn->GetHandle(), LOGPIXELSY), GetDeviceCaps(prn->GetHandle(), LOGPIXELSX));
  EXPECT_EQ(prn->Font().GetPixelsPerInch(), GetDeviceCaps(prn->GetHandle(), LOGPIXELSY));
  EXPECT_GT(GetDeviceCaps(prn->GetHandle(), PHYSICALWIDTH), GetDeviceCaps(prn->GetHandle(), HORZRES) - 1);
  GI.DestroyCompatibleCanvas(prn);
}

TEST_F(ShapesTest, DiagonalBrushHatchesInBothColours) {
  GI.SetDiagonalBrush(S.Canvas.get(), clYellow, clBlue, 0, 0);
  GI.FillRect(S.Canvas.get(), TRect(0, 0, 40, 40));
  int yellow = 0, blue = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      yellow += S.Pixel(x, y) == static_cast<DWORD>(clYellow);
      blue += S.Pixel(x, y) == static_cast<DWORD>(clBlue);
    }
  EXPECT_GT(blue, 0);
  EXPECT_GT(yellow, blue);
  EXPECT_EQ(yellow + blue, 256);
}

TEST_F(ShapesTest, ImageListDrawnTransparentOrBlended) {
  TBitmap img(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) img.SetPixel(x, y, x < 4 ? clBlack : clFuchsia);
  TCustomImageList list(8, 8);
  ASSERT_EQ(list.AddMasked(&img, clFuchsia), 0);
  struct Case {
    TColor Blend;
    DWORD Image, Masked;
  };
  const Case cases[] = {{clNone, 0x000000, 0xFFFFFF}, {clWhite, 0x808080, 0xFFFFFF}};
  for (const Case& c : cases) {
    S.Clear();
    GI.DrawImageList(S.Canvas.get(), &list, 0, 10, 10, c.Blend);
    for (int shift : {0, 8, 16}) {
      EXPECT_NEAR(static_cast<int>((S.Pixel(11, 12) >> shift) & 0xFF),
                  static_cast<int>((c.Image >> shift) & 0xFF), 2);
    }
    EXPECT_EQ(S.Pixel(16, 12), c.Masked);
    EXPECT_EQ(list.BlendColor, clDefault);
  }
}

TEST_F(ShapesTest, CopyCanvasFontAndBack) {
  TTestSurface ref(10, 10);
  ref.SetFont(u"Liberation Serif", -1600);
  ref.Canvas->Font().SetCharset(RUSSIAN_CHARSET);
  GI.SetTextCharacterExtra(ref.Canvas.get(), 300);
  GI.SetTextAlign(ref.Canvas.get(), TA_BASELINE);
  S.SetFont(u"Liberation Sans", -16);
  TRVCanvasStoreFontParams st;
  GI.CopyCanvasFont(ref.Canvas.get(), S.Canvas.get(), st);
  EXPECT_EQ(GI.GetTextCharacterExtra(S.Canvas.get()), 300);
  EXPECT_EQ(GI.GetTextAlign(S.Canvas.get()), TA_BASELINE);
  TEXTMETRICW tm;
  GI.GetTextMetrics(S.Canvas.get(), tm);
  EXPECT_GT(tm.tmHeight, 1000) << "the reference font is selected";
  GI.FinalizeCopyCanvasFont(ref.Canvas.get(), S.Canvas.get(), st);
  EXPECT_EQ(S.Canvas->Font().GetCharset(), DEFAULT_CHARSET);
  GI.GetTextMetrics(S.Canvas.get(), tm);
  EXPECT_LT(tm.tmHeight, 40);
}

}  // namespace
