#include <gtest/gtest.h>

#include "platform/base/SysUtils.h"

TEST(Format, IndexSpecifiersWidthsAndPrecisions) {
  struct Case { std::u16string fmt; std::u16string expected; };
  EXPECT_EQ(Format(u"%1:s %0:s", {u"a", u"b"}), u"b a");
  EXPECT_EQ(Format(u"%d|%5d|%-5d|%.3d", {7, 42, 42, -5}), u"7|   42|42   |-005");
  EXPECT_EQ(Format(u"%x %.4x %u", {255, 10, -1}), u"FF 000A 4294967295");
  EXPECT_EQ(Format(u"%s%%%.2s", {u"abc", u"xyz"}), u"abc%xy");
  EXPECT_EQ(Format(u"%.2f %g %e", {3.14159, 0.5, 1234.5}), u"3.14 0.5 1.23450000000000E+003");
  EXPECT_EQ(Format(u"%*d", {4, 7}), u"   7");
  EXPECT_EQ(Format(u"%0:s-%s", {u"x", u"y"}), u"x-y");
}

TEST(Format, BadFormatsRaise) {
  for (const char16_t* fmt : {u"%", u"%q", u"%d", u"%.s", u"%1"}) {
    EXPECT_THROW(Format(fmt, {}), EConvertError) << UnicodeToUtf8(fmt);
  }
  EXPECT_THROW(Format(u"%d", {u"text"}), EConvertError);
  EXPECT_THROW(Format(u"%s", {5}), EConvertError);
  EXPECT_THROW(Format(u"%f", {5}), EConvertError);
}

TEST(Numbers, IntConversions) {
  EXPECT_EQ(IntToStr(-123), u"-123");
  EXPECT_EQ(IntToHex(255, 4), u"00FF");
  EXPECT_EQ(StrToInt(u"  -42"), -42);
  EXPECT_EQ(StrToInt(u"$FF"), 255);
  EXPECT_EQ(StrToInt(u"0x10"), 16);
  EXPECT_EQ(StrToInt(u"-2147483648"), INT32_MIN);
  for (const char16_t* bad : {u"", u"12a", u"2147483648", u"- 1", u"1 "}) {
    EXPECT_THROW(StrToInt(bad), EConvertError) << UnicodeToUtf8(bad);
  }
  try {
    StrToInt(u"x1y");
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'x1y' is not a valid integer value");
  }
}

TEST(Numbers, FloatConversionsFollowTheDecimalSeparator) {
  EXPECT_EQ(FloatToStr(1.5), u"1.5");
  EXPECT_EQ(FloatToStr(100), u"100");
  EXPECT_EQ(FloatToStr(1e20), u"1E20");
  EXPECT_EQ(FloatToStr(1.5e-7), u"1.5E-7");
  EXPECT_EQ(FloatToStr(0.0001), u"0.0001");
  EXPECT_EQ(FloatToStr(-0.25), u"-0.25");
  EXPECT_EQ(FloatToStr(0.1), u"0.1");
  EXPECT_DOUBLE_EQ(static_cast<double>(StrToFloat(u" 2.5e2 ")), 250.0);
  EXPECT_THROW(StrToFloat(u"2,5"), EConvertError);
  FormatSettings().DecimalSeparator = u',';
  EXPECT_DOUBLE_EQ(static_cast<double>(StrToFloat(u"2,5")), 2.5);
  EXPECT_EQ(FloatToStr(2.5), u"2,5");
  EXPECT_THROW(StrToFloat(u"2.5"), EConvertError);
  FormatSettings().DecimalSeparator = u'.';
}

TEST(Numbers, TwoRoundingRules) {
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(2.4999), 2);
  EXPECT_EQ(Round(-3.5), -4);
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(5, -1, 2), -3);
  EXPECT_EQ(MulDiv(7, 3, 0), -1);
  EXPECT_EQ(MulDiv(2000000000, 2, 1), -1);
  EXPECT_EQ(MulDiv(1440, 96, 1440), 96);
}

TEST(Utf, RoundTripAndRepair) {
  const std::u16string s = u"a\u00E9\u0436\U0001F600z";
  EXPECT_EQ(Utf8ToUnicode(UnicodeToUtf8(s)), s);
  EXPECT_EQ(Utf8ToUnicode("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToUnicode("\xE0\x80\x80"), u"\uFFFD");  // overlong
  EXPECT_EQ(UnicodeToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(Utf, LittleEndianSixteenBitBytes) {
  const std::u16string s = u"a\u0436\U0001F600";
  const std::string bytes("a\0\x36\x04\x3D\xD8\x00\xDE", 8);
  EXPECT_EQ(UnicodeToUtf16LE(s), bytes);
  EXPECT_EQ(Utf16LEToUnicode(bytes), s);
  EXPECT_EQ(Utf16LEToUnicode(bytes + "x"), s);  // the odd last byte is left out
  EXPECT_EQ(Utf16LEToUnicode(""), u"");
  EXPECT_EQ(UnicodeToUtf16LE(u""), "");
}
