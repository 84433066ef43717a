#include "engine/foundation/RVSymbolFonts.h"

#include <gtest/gtest.h>

TEST(SymbolFonts, KindByName) {
  TRVSymbolFontKind k;
  ASSERT_TRUE(GetSymbolFontKind(u"wingdings 3", k));
  EXPECT_EQ(k, rvsfkWingdings3);
  EXPECT_FALSE(GetSymbolFontKind(u"Wingdings 4", k));
  EXPECT_FALSE(GetSymbolFontKind(u"Arial", k));
}

TEST(SymbolFonts, BytesAndUnicode) {
  EXPECT_EQ(SymbolTextToBytes(u"\xF041"), "A");
  EXPECT_EQ(SymbolTextToBytes(u"\xF100"), "");
  EXPECT_EQ(SymbolTextToPrivateUse(u"a"), u"\xF061");
  EXPECT_EQ(SymbolTextToUnicode(u"\xF061", rvsfkSymbol), u"\u03B1");
  EXPECT_EQ(SymbolTextToUnicode(u"\xF021", rvsfkWingdings), u"\xD83D\xDD89");  // U+1F589
  EXPECT_EQ(SymbolCharToUnicode(0x80, rvsfkSymbol), u"?");
  EXPECT_EQ(SymbolCharToUnicode(31, rvsfkSymbol), u"?");
  struct { TRVSymbolFontKind k; int code; std::uint32_t cp; } given[] = {
      {rvsfkSymbol, 0x41, 0x391},  {rvsfkSymbol, 0x22, 0x2200},     {rvsfkSymbol, 0xB7, 0x2022},
      {rvsfkSymbol, 0x60, 0xF8E5}, {rvsfkWingdings, 0x22, 0x2702}, {rvsfkWingdings3, 0x21, 0x2B60},
      {rvsfkWebdings, 0x21, 0x1F577}};
  for (auto& g : given) EXPECT_EQ(RVSymbolFontCodePoints[g.k][g.code - 32], g.cp) << g.k << " " << g.code;
  for (int k = 0; k < RVSymbolFontKindCount; ++k) EXPECT_EQ(RVSymbolFontCodePoints[k][0], 0x20u);
}

TEST(SymbolFonts, ZeroRangesStayZero) {
  auto zero = [](int k, int from, int to) {
    for (int c = from; c <= to; ++c) EXPECT_EQ(RVSymbolFontCodePoints[k][c - 32], 0u) << k << " " << c;
  };
  zero(rvsfkSymbol, 0x7F, 0xA0);
  zero(rvsfkSymbol, 0xF0, 0xF0);
  zero(rvsfkSymbol, 0xFF, 0xFF);
  zero(rvsfkWingdings, 0x7F, 0x7F);
  zero(rvsfkWingdings, 0xFF, 0xFF);
  zero(rvsfkWingdings2, 0x7F, 0x7F);
  zero(rvsfkWingdings2, 0xFA, 0xFF);
  zero(rvsfkWingdings3, 0x7F, 0x7F);
  zero(rvsfkWingdings3, 0xF1, 0xFF);
  zero(rvsfkWebdings, 0x7F, 0x7F);
  // Nothing else of the Symbol table is empty.
  int n = 0;
  for (int c = 32; c < 256; ++c) n += RVSymbolFontCodePoints[rvsfkSymbol][c - 32] == 0;
  EXPECT_EQ(n, 0xA0 - 0x7F + 1 + 2);
}

TEST(SymbolFonts, PlainText) {
  EXPECT_EQ(ConvertSymbolFontText(u"\xF083", true, u"Wingdings"), u"(3)");
  EXPECT_EQ(ConvertSymbolFontText(u"\xF08B\xF095\xF08A", true, u"Wingdings"), u"(0)(:)(:)");
  EXPECT_EQ(ConvertSymbolFontText(u"\xF0AB\xF0DE\xF041", true, u"Symbol"), u"<->=>?");
  EXPECT_EQ(ConvertSymbolFontText(u"\xF041", true, u"Wingdings 2"), u"\xF041");
  EXPECT_EQ(ConvertSymbolFontText(u"abc", false, u"Arial"), u"abc");
  EXPECT_EQ(ConvertSymbolFontText(u"\xF061", false, u"SYMBOL"), u"\u03B1");
}
