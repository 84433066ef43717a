// The spacing arithmetic of the drawing interface, on plain arrays.
#include <gtest/gtest.h>

#include <vector>

#include "engine/foundation/RVGrIn.h"

namespace {

using V = std::vector<int>;
using GI = TRVGraphicInterface;

// Left and right x of each character from widths laid left to right.
void CoordsFromWidths(const V& w, V& l, V& r) {
  l.assign(w.size(), 0);
  r.assign(w.size(), 0);
  int x = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    l[i] = x;
    x += w[i];
    r[i] = x;
  }
}

TEST(SpacingTest, ApplyCharSpacing) {
  struct Case {
    const char16_t* Str;  // null: every entry counts
    int Spacing;
    V DX, Expected;
  };
  const Case cases[] = {
      {nullptr, -3, {5, 2, 0}, {2, 1, 0}},
      {nullptr, -3, {4, 3, 1, -2}, {1, 1, 1, -2}},
      {nullptr, 2, {5, 0, -1, 1}, {7, 0, -1, 3}},
      {nullptr, 0, {5, 0}, {5, 0}},
      // a surrogate pair and a combining mark widen once, at their first unit
      {u"a\U0001F600b", 2, {5, 5, 3, 5}, {7, 7, 3, 7}},
      {u"e\u0301x", 2, {5, 1, 5}, {7, 1, 7}},
      {u"e\u0301x", -3, {5, 1, 5}, {2, 1, 2}},
  };
  for (const Case& c : cases) {
    V dx = c.DX;
    int n = static_cast<int>(dx.size());
    int delta = GI::GetCharSpacingDelta(c.Str, n, c.Spacing, dx.data());
    GI::ApplyCharSpacingToDX(c.Str, n, c.Spacing, dx.data());
    EXPECT_EQ(dx, c.Expected) << "spacing " << c.Spacing;
    int sumBefore = 0, sumAfter = 0;
    for (int v : c.DX) sumBefore += v;
    for (int v : dx) sumAfter += v;
    EXPECT_EQ(delta, sumAfter - sumBefore);
  }
}

TEST(SpacingTest, ExpandSpacesInDX) {
  struct Case {
    const char16_t* Str;
    int SpaceCount, Extra;
    V Order;  // empty: none
    V Expected;
  };
  const Case cases[] = {
      {u"a b c d", 3, 10, {}, {1, 4, 1, 4, 1, 5, 1}},
      {u"a b c d", 3, -10, {}, {1, -2, 1, -2, 1, -3, 1}},
      {u"a b c d", 0, 10, {}, {1, 1, 1, 1, 1, 1, 1}},
      {u"a b c d", 3, 0, {}, {1, 1, 1, 1, 1, 1, 1}},
      // spaces beyond the SpaceCount-th get nothing
      {u"a b c d", 2, 10, {}, {1, 6, 1, 6, 1, 1, 1}},
      // advances in drawing order: the share goes to the space's drawing position
      {u"a b", 1, 4, {2, 1, 0}, {1, 5, 1}},
  };
  for (const Case& c : cases) {
    V dx(std::char_traits<char16_t>::length(c.Str), 1);
    GI::ExpandSpacesInDX(c.Str, static_cast<int>(dx.size()), dx.data(), c.SpaceCount, c.Extra,
                         c.Order.empty() ? nullptr : c.Order.data());
    EXPECT_EQ(dx, c.Expected) << c.SpaceCount << " " << c.Extra;
  }
}

TEST(SpacingTest, DistributeSpacingToDX) {
  struct Case {
    const char16_t* Str;
    V DX;
    int Extra, LeftNo, RightNo;
    V Expected;
  };
  const Case cases[] = {
      // 13 over 10: one each, then the 3rd, 6th and 8th get one more
      {u"abcdefghij", V(10, 10), 13, -1, -1, {11, 11, 12, 11, 11, 12, 11, 12, 11, 11}},
      {u"abcdefghij", V(10, 10), 3, -1, -1, {10, 10, 11, 10, 10, 11, 10, 11, 10, 10}},
      {u"abcdefghij", V(10, 10), -13, -1, -1, {9, 9, 8, 9, 9, 8, 9, 8, 9, 9}},
      {u"abcdefghij", V(10, 10), 20, -1, -1, V(10, 12)},
      // the outermost characters and zero advances take no share
      {u"abcd", {10, 10, 0, 10}, 4, 0, 3, {10, 14, 0, 10}},
      {u"abcd", {10, 10, 10, 10}, 3, 0, -1, {10, 11, 11, 11}},
      // a surrogate pair is one character
      {u"\U0001F600ab", {10, 0, 10, 10}, 6, -1, -1, {12, 0, 12, 12}},
      {u"ab", {0, 0}, 5, -1, -1, {0, 0}},
      {u"ab", {5, 5}, 0, -1, -1, {5, 5}},
  };
  for (const Case& c : cases) {
    V dx = c.DX;
    GI::DistributeSpacingToDX(c.Str, static_cast<int>(dx.size()), dx.data(), c.Extra, c.LeftNo,
                              c.RightNo, nullptr);
    EXPECT_EQ(dx, c.Expected) << "extra " << c.Extra;
  }
}

TEST(SpacingTest, DistributeThroughOrder) {
  // Drawing order reversed: the character at text index 1 is drawn at position 2.
  V dx = {10, 10, 10, 10};
  V order = {3, 2, 1, 0};
  GI::DistributeSpacingToDX(u"abcd", 4, dx.data(), 1, 0, -1, order.data());
  // expandable text indexes 1, 2, 3; b = 2 / 2 = 1: the pixel goes to text index 2
  EXPECT_EQ(dx, (V{10, 11, 10, 10}));
}

// For a left-to-right run, spacing applied to coordinates must give the same edges as spacing
// applied to the widths.
TEST(SpacingTest, CoordsAgreeWithWidths) {
  struct Case {
    const char16_t* Str;
    V Widths;
    int SpaceCount, Extra, LeftNo, RightNo;
  };
  const Case cases[] = {
      {u"ab cd ef g", {7, 8, 3, 9, 6, 3, 5, 5, 3, 7}, 3, 10, -1, -1},
      {u"ab cd ef g", {7, 8, 3, 9, 6, 3, 5, 5, 3, 7}, 3, -7, -1, -1},
      {u"ab cd ef g", {7, 8, 3, 9, 6, 3, 5, 5, 3, 7}, -100, 13, -1, 9},
      {u"ab cd ef g", {7, 8, 3, 9, 6, 3, 5, 5, 3, 7}, -100, -5, 0, 9},
      {u"abcdefghij", V(10, 6), -100, 27, -1, -1},
      {u"a\u0301bc", {6, 0, 6, 6}, -100, 4, -1, -1},
  };
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.Widths.size());
    V dx = c.Widths;
    if (c.SpaceCount > 0)
      GI::ExpandSpacesInDX(c.Str, n, dx.data(), c.SpaceCount, c.Extra, nullptr);
    else
      GI::DistributeSpacingToDX(c.Str, n, dx.data(), c.Extra, c.LeftNo, c.RightNo, nullptr);
    V wantL, wantR;
    CoordsFromWidths(dx, wantL, wantR);

    V l, r;
    CoordsFromWidths(c.Widths, l, r);
    V pcp(n + 1);
    pcp[0] = 0;
    for (int i = 0; i < n; ++i) pcp[i + 1] = r[i];
    if (c.SpaceCount > 0)
      GI::ExpandSpacesInCoords(c.Str, n, l.data(), r.data(), pcp.data(), c.SpaceCount, c.Extra);
    else
      GI::DistributeSpacingInCoords(c.Str, n, l.data(), r.data(), pcp.data(), c.Extra, c.LeftNo,
                                    c.RightNo);
    EXPECT_EQ(l, wantL) << c.SpaceCount << " " << c.Extra;
    EXPECT_EQ(r, wantR) << c.SpaceCount << " " << c.Extra;
    V wantPCP(n + 1);
    for (int i = 0; i < n; ++i) wantPCP[i + 1] = wantR[i];
    EXPECT_EQ(pcp, wantPCP);
  }
}

TEST(SpacingTest, AdjustCoordArrayRemovesSoftHyphens) {
  struct Case {
    const char16_t* Str;
    V Coords, Expected;
  };
  const Case cases[] = {
      {u"ab\u00ADcd", {5, 10, 14, 19, 24}, {5, 10, 10, 15, 20}},
      {u"\u00ADab", {4, 9, 14}, {0, 5, 10}},
      {u"a\u00AD\u00ADb", {5, 9, 13, 18}, {5, 5, 5, 10}},
      {u"ab\u00AD", {5, 10, 10}, {5, 10, 10}},
      // U+200B and U+2060 are drawn as nothing by the shaping layer, so they stay
      {u"a\u200Bb", {5, 5, 10}, {5, 5, 10}},
  };
  for (const Case& c : cases) {
    V coords = c.Coords;
    GI::AdjustCoordArray(c.Str, static_cast<int>(coords.size()), coords.data());
    EXPECT_EQ(coords, c.Expected);
  }
}

TEST(SpacingTest, CharStarts) {
  struct Case {
    const char16_t* Str;
    std::vector<bool> Expected;
  };
  const Case cases[] = {
      {u"ab", {true, true}},
      {u"a\U0001F600b", {true, true, false, true}},
      {u"e\u0301\u0302x", {true, false, false, true}},
      {u"\u05E9\u05C1\u05B8", {true, false, false}},
      {u"\u0915\u093F", {true, false}},
      // a stray low surrogate joins the character before it
      {u"a\xDC00" u"b", {true, false, true}},
      {u"", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GI::CharStarts(c.Str, static_cast<int>(std::char_traits<char16_t>::length(c.Str))),
              c.Expected);
}

}  // namespace
