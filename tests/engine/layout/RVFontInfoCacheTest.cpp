// Font metric caches on a back-end whose metrics follow the selected font's height exactly.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/RVFontInfoCache.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"

namespace {

// Fixed metrics scaled by the font: for a font H pixels high, ascent 3H/4, descent the rest and
// every code unit H/2 wide. With outline metrics, script sizes are 6H/10 with the subscript
// lowered by 15H/100 and the superscript raised by H/2 (above the ascent, so it is clamped).
class TScaledMetrics : public TRVFixedGraphicInterface {
 public:
  bool Outline = false;
  static int H(TCanvas* c) { return std::abs(c->Font().GetHeight()); }
  TSize TextSizeBasic(TCanvas* Canvas, const WideChar*, int Length, bool) override {
    return TSize(Length * (H(Canvas) / 2), H(Canvas));
  }
  bool GetTextMetrics(TCanvas* Canvas, TEXTMETRICW& TM) override {
    TRVFixedGraphicInterface::GetTextMetrics(Canvas, TM);
    TM.tmHeight = H(Canvas);
    TM.tmAscent = H(Canvas) * 3 / 4;
    TM.tmDescent = TM.tmHeight - TM.tmAscent;
    return true;
  }
  UINT GetOutlineTextMetrics(TCanvas* Canvas, UINT Size, OUTLINETEXTMETRICW* POTM) override {
    if (!Outline) return 0;
    if (POTM && Size >= sizeof(OUTLINETEXTMETRICW)) {
      const int h = H(Canvas);
      POTM->otmSize = sizeof(OUTLINETEXTMETRICW);
      GetTextMetrics(Canvas, POTM->otmTextMetrics);
      POTM->otmptSubscriptSize = TPoint(h / 2, h * 6 / 10);
      POTM->otmptSubscriptOffset = TPoint(0, h * 15 / 100);
      POTM->otmptSuperscriptSize = TPoint(h / 2, h * 6 / 10);
      POTM->otmptSuperscriptOffset = TPoint(0, h / 2);
    }
    return sizeof(OUTLINETEXTMETRICW);
  }
};

// A sheet that measures with TScaledMetrics.
class TMetricsStyle : public TRVStyle {
 public:
  TScaledMetrics* GI;
  TMetricsStyle() : TRVStyle(nullptr) {
    auto gi = std::make_unique<TScaledMetrics>();
    GI = gi.get();
    FGraphicInterface = std::move(gi);
  }
  // A style of Points points (96 pixels per inch: 12 points are 16 pixels).
  int AddStyle(int Points, TRVSubSuperScriptType Script = rvsssNormal, int VShift = 0) {
    TFontInfo* f = TextStyles()->Add();
    f->FontName = u"Arial";
    f->SetSize(Points);
    f->SubSuperScriptType = Script;
    f->VShift = VShift;
    return TextStyles()->Count() - 1;
  }
};

struct TMeasures {
  int Ascent, Descent, Height, EmptyLine, Hyphen, HyphenFC, Average, VOffset, Script;
  bool operator==(const TMeasures&) const = default;
};

TMeasures Measures(const TRVFontInfoCacheItem* i) {
  return {i->TextMetric.tmAscent, i->TextMetric.tmDescent, i->TextMetric.tmHeight,
          i->EmptyLineHeight, i->HyphenWidth, i->HyphenWidthFC, i->AverageCharWidth,
          i->VerticalOffset, i->ExtraFontInfo.ScriptHeight};
}

std::ostream& operator<<(std::ostream& o, const TMeasures& m) {
  return o << "{" << m.Ascent << "," << m.Descent << "," << m.Height << "," << m.EmptyLine << ","
           << m.Hyphen << "," << m.HyphenFC << "," << m.Average << "," << m.VOffset << ","
           << m.Script << "}";
}

class FontCacheTest : public ::testing::Test {
 protected:
  FontCacheTest() {
    Style.TextStyles()->Clear();
    for (TBitmap* b : {&DrawBmp, &RefBmp}) b->GetCanvas()->Font().SetPixelsPerInch(96);
  }
  TCanvas* Draw() { return DrawBmp.GetCanvas(); }
  TCanvas* Ref() { return RefBmp.GetCanvas(); }
  template <class Cache>
  std::unique_ptr<TRVFontInfoCache> Make(bool UseRef) {
    return std::make_unique<Cache>(nullptr, false, Draw(), UseRef ? Ref() : Draw(), &Style);
  }
  TMetricsStyle Style;
  TBitmap DrawBmp{8, 8}, RefBmp{8, 8};
};

// Every measure, for both kinds of cache, on the drawing canvas and on a reference canvas.
TEST_F(FontCacheTest, MeasuresOfStyles) {
  Style.AddStyle(12);                    // 16 pixels
  Style.AddStyle(15, rvsssNormal, 50);   // 20 pixels, raised by half its height
  Style.AddStyle(12, rvsssSuperScript);  // script 11 (2/3 of 16), raised by 0.45 x 16
  Style.AddStyle(12, rvsssSubscript);    // lowered by a quarter of 16
  Style.AddStyle(15, rvsssSubscript, -50);
  struct Case {
    bool UseRef;
    int StyleNo;
    TMeasures Expected;
  };
  const Case cases[] = {
      //  asc desc  h  empty hy hyFC avg voff script
      {false, 0, {12, 4, 16, 16, 8, 8, 8, 0, 0}},
      {false, 1, {15, 5, 20, 20, 10, 10, 10, 10, 0}},
      {false, 2, {8, 3, 11, 11, 5, 5, 5, 7, 11}},
      {false, 3, {8, 3, 11, 11, 5, 5, 5, -4, 11}},
      {false, 4, {9, 4, 13, 13, 6, 6, 6, -12, 13}},  // -5 for the script, -7 (half of 13)
      // the reference canvas measures fonts 100 times larger and scales back
      {true, 0, {12, 4, 16, 16, 8, 800, 800, 0, 0}},
      {true, 1, {15, 5, 20, 20, 10, 1000, 1000, 10, 0}},
      {true, 2, {8, 3, 11, 11, 5, 533, 533, 7, 11}},
      {true, 3, {8, 3, 11, 11, 5, 533, 533, -4, 11}},
  };
  for (const Case& c : cases) {
    auto fast = Make<TRVFontInfoCacheFast>(c.UseRef);
    auto low = Make<TRVFontInfoCacheLowResource>(c.UseRef);
    EXPECT_EQ(Measures(fast->GetItems(c.StyleNo)), c.Expected) << c.StyleNo << " " << c.UseRef;
    EXPECT_EQ(Measures(low->GetItems(c.StyleNo)), c.Expected) << c.StyleNo << " " << c.UseRef;
  }
}

// With outline metrics the script comes from the font's own sizes; a superscript that would
// stick out above the ascent is placed at ascent - script height.
TEST_F(FontCacheTest, ScriptsFromOutlineMetrics) {
  Style.GI->Outline = true;
  const int super = Style.AddStyle(12, rvsssSuperScript);  // 16: script 9, offset 8 > 12 - 9
  const int sub = Style.AddStyle(12, rvsssSubscript);      // 16: script 9, lowered by 2
  for (bool fastKind : {true, false}) {
    auto cache = fastKind ? Make<TRVFontInfoCacheFast>(false)
                          : Make<TRVFontInfoCacheLowResource>(false);
    TRVFontInfoCacheItem* i = cache->GetItems(super);
    EXPECT_EQ(i->ExtraFontInfo.ScriptHeight, 9);
    EXPECT_EQ(i->VerticalOffset, 3);
    EXPECT_EQ(i->TextMetric.tmHeight, 9);  // measured in the script font
    EXPECT_EQ(i->Canvas->Font().GetHeight(), -9);
    // Measured again for another rotation, from the full-size font, not the script font.
    cache->Rotation = rvrot90;
    EXPECT_EQ(cache->GetItems(super), i);
    EXPECT_EQ(i->ExtraFontInfo.ScriptHeight, 9);
    EXPECT_EQ(i->VerticalOffset, 3);
    i = cache->GetItems(sub);
    EXPECT_EQ(i->ExtraFontInfo.ScriptHeight, 9);
    EXPECT_EQ(i->VerticalOffset, -2);
  }
}

TEST_F(FontCacheTest, FastCacheGivesEachStyleItsOwnCanvas) {
  const int a = Style.AddStyle(12), b = Style.AddStyle(15);
  auto cache = Make<TRVFontInfoCacheFast>(false);
  EXPECT_EQ(cache->Count(), 2);
  TRVFontInfoCacheItem* ia = cache->GetItems(a);
  TRVFontInfoCacheItem* ib = cache->GetItems(b);
  ASSERT_NE(ia->Canvas, nullptr);
  EXPECT_NE(ia->Canvas, Draw());
  EXPECT_NE(ia->Canvas, ib->Canvas);
  EXPECT_EQ(ia->FontInfo, Style.TextStyles()->Items(a));
  EXPECT_EQ(ia->Canvas->Font().GetHeight(), -16);
  EXPECT_EQ(ib->Canvas->Font().GetHeight(), -20);
  EXPECT_EQ(cache->GetItems(a), ia);  // made once, font kept
  EXPECT_EQ(ia->Canvas->Font().GetHeight(), -16);
  // A new rotation measures again in the same item.
  cache->Rotation = rvrot90;
  EXPECT_EQ(cache->GetItems(a), ia);
  EXPECT_EQ(ia->Rotation, rvrot90);
  EXPECT_EQ(Measures(ia).Height, 16);
  // The paragraph direction reaches the item's canvas when it changes.
  EXPECT_EQ(Style.GI->GetTextAlign(ia->Canvas) & TA_RTLREADING, 0u);
  cache->CurParaBiDiMode = rvbdRightToLeft;
  cache->GetItems(a);
  EXPECT_EQ(ia->LastBiDiMode, rvbdRightToLeft);
  EXPECT_NE(Style.GI->GetTextAlign(ia->Canvas) & TA_RTLREADING, 0u);
}

// A style's own canvas takes the reference canvas's scaling and world transform.
TEST_F(FontCacheTest, FastCacheCanvasFollowsTheFormatCanvas) {
  const int a = Style.AddStyle(12);
  TScaledMetrics* gi = Style.GI;
  gi->SetMapMode(Ref(), MM_ANISOTROPIC);
  gi->SetWindowExtEx(Ref(), 100, 200, nullptr);
  gi->SetViewportExtEx(Ref(), 10, 20, nullptr);
  gi->SetGraphicsMode(Ref(), true);
  XFORM shift{1, 0, 0, 1, 30, 40};
  gi->SetWorldTransform(Ref(), shift);
  auto cache = Make<TRVFontInfoCacheFast>(true);
  TCanvas* c = cache->GetItems(a)->Canvas;
  EXPECT_EQ(gi->GetMapMode(c), MM_ANISOTROPIC);
  SIZE ext;
  gi->GetWindowExtEx(c, ext);
  EXPECT_EQ(ext.cx, 100);
  EXPECT_EQ(ext.cy, 200);
  gi->GetViewportExtEx(c, ext);
  EXPECT_EQ(ext.cx, 10);
  EXPECT_EQ(ext.cy, 20);
  ASSERT_TRUE(gi->IsAdvancedGraphicsMode(c));
  XFORM x{};
  gi->GetWorldTransform(c, x);
  EXPECT_EQ(x.eDx, 30);
  EXPECT_EQ(x.eDy, 40);
  // Back in the compatible mode, a new rotation puts the style's canvas there too.
  gi->SetGraphicsMode(Ref(), false);
  cache->Rotation = rvrot180;
  cache->GetItems(a);
  EXPECT_FALSE(gi->IsAdvancedGraphicsMode(c));
}

TEST_F(FontCacheTest, LowResourceCacheSelectsTheFontOnTheFormatCanvas) {
  const int a = Style.AddStyle(12), b = Style.AddStyle(15);
  auto cache = Make<TRVFontInfoCacheLowResource>(false);
  TRVFontInfoCacheItem* ia = cache->GetItems(a);
  EXPECT_EQ(ia->Canvas, Draw());
  EXPECT_EQ(Draw()->Font().GetHeight(), -16);
  TRVFontInfoCacheItem* ib = cache->GetItems(b);
  EXPECT_EQ(ib->Canvas, Draw());
  EXPECT_EQ(Draw()->Font().GetHeight(), -20);
  EXPECT_EQ(cache->GetItems(a), ia);
  EXPECT_EQ(Draw()->Font().GetHeight(), -16);
  cache->CurParaBiDiMode = rvbdRightToLeft;
  cache->GetItems(a);
  EXPECT_EQ(ia->LastBiDiMode, rvbdRightToLeft);
  EXPECT_NE(Style.GI->GetTextAlign(Draw()) & TA_RTLREADING, 0u);
}

TEST_F(FontCacheTest, StylesOutsideTheSheetAndStylesAddedLater) {
  Style.AddStyle(12);
  for (bool fastKind : {true, false}) {
    Style.TextStyles()->Clear();
    Style.AddStyle(12);
    auto cache = fastKind ? Make<TRVFontInfoCacheFast>(false)
                          : Make<TRVFontInfoCacheLowResource>(false);
    // One invalid-style item, made once, for every number outside the sheet.
    TRVFontInfoCacheItem* invalid = cache->GetItems(-1);
    ASSERT_NE(invalid, nullptr);
    EXPECT_EQ(cache->GetItems(5), invalid);
    EXPECT_EQ(cache->GetItems(-7), invalid);
    EXPECT_EQ(invalid->FontInfo, Style.TextStyles()->GetInvalidItem());
    EXPECT_EQ(cache->Count(), 1);
    // A style added after the cache was made gets its own entry.
    const int added = Style.AddStyle(15);
    TRVFontInfoCacheItem* item = cache->GetItems(added);
    EXPECT_NE(item, invalid);
    EXPECT_EQ(cache->Count(), 2);
    EXPECT_EQ(item->FontInfo, Style.TextStyles()->Items(added));
    EXPECT_EQ(Measures(item).Height, 20);
    cache->Clear();
    EXPECT_EQ(cache->Count(), 0);
  }
}

TEST_F(FontCacheTest, VerticalFonts) {
  const int a = Style.AddStyle(12);
  const int b = Style.AddStyle(12);
  Style.TextStyles()->Items(b)->FontName = u"@Arial";
  for (bool fastKind : {true, false}) {
    auto cache = fastKind ? Make<TRVFontInfoCacheFast>(false)
                          : Make<TRVFontInfoCacheLowResource>(false);
    TRVFontInfoCacheItem* i = cache->GetItems(a);
    EXPECT_FALSE(i->UseVerticalFont);
    EXPECT_EQ(i->Canvas->Font().GetName(), u"Arial");
    // Switching to vertical fonts selects the vertical variant in the same item.
    cache->UseVerticalFonts = true;
    EXPECT_EQ(cache->GetItems(a), i);
    EXPECT_TRUE(i->UseVerticalFont);
    EXPECT_EQ(i->Canvas->Font().GetName(), u"@Arial");
    // A font that is already vertical is left as it is.
    EXPECT_FALSE(cache->GetItems(b)->UseVerticalFont);
  }
}

}  // namespace
