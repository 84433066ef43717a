// The fixed-metrics back-end: exact numbers for layout tests.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "engine/foundation/RVFixedGrIn.h"

namespace {

using V = std::vector<int>;

int Len(const char16_t* s) { return static_cast<int>(std::char_traits<char16_t>::length(s)); }

// Measuring does not need a device; a null canvas has no character extra.
class FixedTest : public ::testing::Test {
 protected:
  TRVFixedGraphicInterface GI{10, 8, 2};
};

TEST_F(FixedTest, SizesAndMetrics) {
  struct Case {
    const char16_t* Text;
    bool Ignore;
    int Width;
  };
  const Case cases[] = {{u"", false, 0},          {u"abc", false, 30},
                        {u"ab\u00ADc", false, 30}, {u"ab\u00ADc", true, 40},
                        {u"a\u200Bb", false, 30}};
  for (const Case& c : cases)
    EXPECT_EQ(GI.TextSize(nullptr, c.Text, Len(c.Text), false, c.Ignore), TSize(c.Width, 10));
  TEXTMETRICW tm;
  ASSERT_TRUE(GI.GetTextMetrics(nullptr, tm));
  EXPECT_EQ(tm.tmAscent, 8);
  EXPECT_EQ(tm.tmDescent, 2);
  EXPECT_EQ(tm.tmHeight, 10);
  EXPECT_EQ(tm.tmAveCharWidth, 10);
  EXPECT_EQ(GI.GetOutlineTextMetrics(nullptr, 0, nullptr), 0u);
}

TEST_F(FixedTest, FitAndCoordinates) {
  struct Case {
    const char16_t* Text;
    int MaxExtent;
    bool Ignore;
    int Fit, Width;
    V Coords;
  };
  const Case cases[] = {
      {u"abcde", 30, false, 3, 30, {10, 20, 30, 40, 50}},
      {u"abcde", 29, false, 2, 20, {10, 20, 30, 40, 50}},
      {u"abcde", INT_MAX, false, 5, 50, {10, 20, 30, 40, 50}},
      {u"ab\u00ADcd", 30, false, 4, 30, {10, 20, 20, 30, 40}},
      {u"ab\u00ADcd", 30, true, 3, 30, {10, 20, 30, 40, 50}},
      {u"abc", -1, false, 0, 0, {10, 20, 30}},
  };
  for (const Case& c : cases) {
    V coords(Len(c.Text));
    int fit = -1;
    TSize sz;
    GI.GetTextExtentExPoint(nullptr, c.Text, Len(c.Text), c.MaxExtent, false, c.Ignore,
                            coords.data(), fit, sz);
    EXPECT_EQ(fit, c.Fit) << c.MaxExtent;
    EXPECT_EQ(sz.cx, c.Width) << c.MaxExtent;
    EXPECT_EQ(coords, c.Coords);
  }
}

TEST_F(FixedTest, CaretsWithJustification) {
  struct Case {
    const char16_t* Text;
    int SpaceCount, Extra, LeftNo, RightNo;
    V Carets;
  };
  const Case cases[] = {
      {u"a b", 0, 0, -1, -1, {0, 10, 20, 30}},
      {u"a b c", 2, 5, -1, -1, {0, 10, 22, 32, 45, 55}},
      {u"abcd", RV_DISTRIBUTE_SPACING, 4, -1, -1, {0, 11, 22, 33, 44}},
      {u"abcd", RV_DISTRIBUTE_SPACING, 4, 0, 3, {0, 10, 22, 34, 44}},
      {u"a\u00ADb", 0, 0, -1, -1, {0, 10, 10, 20}},
  };
  for (const Case& c : cases) {
    const int n = Len(c.Text);
    V pcp(n + 1, -1);
    EXPECT_TRUE(GI.GetCaretPositions(nullptr, c.Text, n, c.SpaceCount, c.Extra, false, false,
                                     pcp.data(), c.LeftNo, c.RightNo));
    EXPECT_EQ(pcp, c.Carets);
    auto data = GI.GetGlyphDX(nullptr, c.Text, n, c.SpaceCount, c.Extra, false, false, true,
                              true, c.LeftNo, c.RightNo);
    for (int i = 0; i < n; ++i) EXPECT_EQ(data->PXR[i], c.Carets[i + 1]);
  }
}

TEST_F(FixedTest, ExpandableAndOutermostCharacters) {
  struct Case {
    const char16_t* Text;
    int Expandable, Right;
  };
  const Case cases[] = {{u"", 0, -1},
                        {u"word", 4, 3},
                        {u"word\u00AD", 4, 3},
                        {u"e\u0301x", 2, 2},
                        {u"x\U0001F600", 2, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(GI.GetExpandableCharCount(nullptr, c.Text, Len(c.Text), false, false),
              c.Expandable);
    int l = 5, r = 5;
    GI.GetOutermostNonExpandableCharacters(nullptr, c.Text, Len(c.Text), false, false, true, true,
                                           l, r);
    EXPECT_EQ(l, -1);
    EXPECT_EQ(r, c.Right);
  }
}

TEST_F(FixedTest, TextRangeCoords) {
  TRVCoordRangeRecord r;
  GI.GetTextRangeCoords(nullptr, u"abcdef", 6, 0, 0, false, false, 1, 3, r, -1, -1);
  EXPECT_EQ(r.Left, 10);
  EXPECT_EQ(r.Right, 40);
  EXPECT_EQ(r.PNext, nullptr);
}

}  // namespace
