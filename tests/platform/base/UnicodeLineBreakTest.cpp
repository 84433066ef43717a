// The Unicode line-breaking data and the library's breaker, as the engine's tests use them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/UnicodeLineBreak.h"

namespace {

using L = TUnicodeLineBreak;

TEST(UnicodeLineBreak, Properties) {
  EXPECT_EQ(GetUnicodeLineBreak(U'a'), L::AL);
  EXPECT_EQ(GetUnicodeLineBreak(U' '), L::SP);
  EXPECT_EQ(GetUnicodeLineBreak(U'('), L::OP);
  EXPECT_EQ(GetUnicodeLineBreak(U')'), L::CP);
  EXPECT_EQ(GetUnicodeLineBreak(U'7'), L::NU);
  EXPECT_EQ(GetUnicodeLineBreak(0x4E00), L::ID);
  EXPECT_EQ(GetUnicodeLineBreak(0x05D0), L::HL);
  EXPECT_EQ(GetUnicodeLineBreak(0x0301), L::CM);
  EXPECT_EQ(GetUnicodeLineBreak(0xD800), L::SG);
  EXPECT_EQ(GetUnicodeLineBreak(0x1F600), L::ID);
}

TEST(UnicodeLineBreak, Breaker) {
  const std::u16string t = u"one two  three";
  EXPECT_EQ(UnicodeLineBreakOffsets(t), (std::vector<int>{4, 9}));
  EXPECT_TRUE(UnicodeLineBreakOffsets(u"").empty());
  TUnicodeLineBreaker b;
  b.SetText(t);
  EXPECT_EQ(b.Preceding(6), 4);
  EXPECT_EQ(b.Preceding(9), 9);
  EXPECT_EQ(b.Preceding(2), 0);
  EXPECT_EQ(b.Following(4), 9);
  EXPECT_EQ(b.Following(9), 14);
  b.SetText(u"");
  EXPECT_EQ(b.Following(0), 0);
}

}  // namespace
