#include <gtest/gtest.h>

#include <limits>

#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVOOXMLFuncs.h"
#include "engine/foundation/RVUniscribeGrIn.h"
#include "platform/ui/PrinterCaps.h"
#include "platform/base/SysUtils.h"

namespace {
std::string U8(const std::u16string& s) { return UnicodeToUtf8(s); }

// Pins the screen resolution for the duration of a test.
struct ScreenPpi {
  explicit ScreenPpi(int ppi) { ScreenPixelsPerInchOverride = ppi; }
  ~ScreenPpi() { ScreenPixelsPerInchOverride = 0; }
};
}  // namespace

TEST(RVUnits, ConversionsRoundHalvesToEven) {
  ScreenPpi ppi(96);
  struct Case { TRVUnits units; double value; int twips; };
  const Case cases[] = {
      {rvuInches, 1, 1440},       {rvuCentimeters, 2.54, 1440}, {rvuMillimeters, 10, 567},
      {rvuPicas, 1, 240},         {rvuPoints, 12, 240},         {rvuPixels, 96, 1440},
      {rvuPoints, 0.125, 2},      // 2.5 twips: halves go to even
      {rvuPoints, 0.375, 8},      // 7.5 twips
      {rvuMillimeters, -10, -567},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnitsValueToTwips(c.units, c.value), c.twips) << c.units << " " << c.value;
  }
  EXPECT_DOUBLE_EQ(TwipsToUnitsValue(1440, rvuCentimeters), 2.54);
  EXPECT_DOUBLE_EQ(TwipsToUnitsValue(720, rvuPixels), 48);
  EXPECT_DOUBLE_EQ(ConvertUnitsValue(rvuInches, rvuPoints, 2), 144);
  EXPECT_DOUBLE_EQ(ConvertUnitsValue(rvuMillimeters, rvuCentimeters, 25), 2.5);
  EXPECT_EQ(UnitsValueToPixels(rvuPoints, 96, 9), 12);
  EXPECT_EQ(UnitsValueToPixels(rvuInches, 600, 0.5), 300);
  EXPECT_EQ(UnitsValueToPixels(rvuPoints, 4, 9), 0);  // 0.5 rounds to even
  EXPECT_EQ(GetScreenPixelsPerInch(), 96);
  // Values out of range or no number at all stay defined.
  EXPECT_EQ(UnitsValueToTwips(rvuInches, 1e12), INT32_MAX);
  EXPECT_EQ(UnitsValueToTwips(rvuInches, -1e12), INT32_MIN);
  EXPECT_EQ(UnitsValueToTwips(rvuInches, std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(UnitsValueToPixels(rvuPoints, 96, std::numeric_limits<double>::infinity()), 0);
}

TEST(RVUnits, RealScreenResolutionWithoutOverride) {
  ScreenPixelsPerInchOverride = 0;
  const int ppi = GetScreenPixelsPerInch();
  EXPECT_GT(ppi, 0);
  EXPECT_DOUBLE_EQ(UnitsPerInchOf(rvuPixels), ppi);
}

TEST(RVUnits, ScreenAndDeviceUseMulDiv) {
  TRVScreenAndDevice sad;
  sad.ppixScreen = 96;
  sad.ppiyScreen = 96;
  sad.ppixDevice = 600;
  sad.ppiyDevice = 300;
  EXPECT_EQ(ScreenToDeviceX(10, sad), 63);  // 62.5 goes away from zero
  EXPECT_EQ(ScreenToDeviceY(10, sad), 31);  // 31.25
  EXPECT_EQ(ScreenToDeviceX(-10, sad), -63);
  EXPECT_EQ(DeviceToScreenX(600, sad), 96);
  EXPECT_EQ(DeviceToScreenY(150, sad), 48);
  TRect r(600, 300, 1200, 600);
  DeviceToScreenRect(r, sad);
  EXPECT_EQ(r, TRect(96, 96, 192, 192));
}

TEST(RVColors, LuminanceAndGrayscale) {
  struct Case { TColor color; int luminance; TColor gray; };
  const Case cases[] = {
      {clBlack, 0, 0},
      {clWhite, 255, 0xFFFFFF},
      {clRed, 76, 0x4C4C4C},        // 76.5 rounds to even
      {clLime, 150, 0x969696},      // 150.45
      {clBlue, 28, 0x1C1C1C},       // 28.05
      {clWindowText, 0, 0},
      {clWindow, 255, 0xFFFFFF},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ColorLuminance(c.color), c.luminance) << std::hex << c.color;
    EXPECT_EQ(ColorToGrayscale(c.color), c.gray) << std::hex << c.color;
  }
  EXPECT_EQ(ColorToGrayscale(clNone), clNone);
}

TEST(RVColors, ScaleColorLuminance) {
  EXPECT_EQ(ScaleColorLuminance(clWhite, 1.0), clWhite);
  EXPECT_EQ(ScaleColorLuminance(clGray, 1.0), 0x7F7F7F);  // the 0..240 scale loses half a step
  EXPECT_EQ(ScaleColorLuminance(clBlack, 2.0), clBlack);
  EXPECT_EQ(ScaleColorLuminance(clGray, 2.0), clWhite);
  EXPECT_EQ(ScaleColorLuminance(clWhite, 0.0), clBlack);
  // Hue and saturation survive: a darker red is still pure red.
  const TColor darker = ScaleColorLuminance(clRed, 0.5);
  EXPECT_EQ(GetGValue(darker), 0);
  EXPECT_EQ(GetBValue(darker), 0);
  EXPECT_NEAR(GetRValue(darker), 128, 1);
}

TEST(RVColors, ColorModes) {
  struct Case { TColor color; TRVColorMode mode; TColor fore; TColor back; };
  const Case cases[] = {
      {clNone, rvcmBlackOnWhite, clNone, clNone},
      {clNone, rvcmGrayScale, clNone, clNone},
      {clBtnFace, rvcmColor, clBtnFace, clBtnFace},
      {clBtnFace, rvcmVCLThemeColor, clBtnFace, clBtnFace},
      {clScrollBar, rvcmPrinterColor, clSilver, clSilver},
      {clBtnFace, rvcmPrinterColor, clSilver, clSilver},
      {clWindow, rvcmPrinterColor, clWhite, clWhite},
      {clBtnHighlight, rvcmPrinterColor, clWhite, clWhite},
      {clWindowText, rvcmPrinterColor, clBlack, clBlack},
      {clBtnShadow, rvcmPrinterColor, clGray, clGray},
      {clHighlight, rvcmPrinterColor, clHighlight, clHighlight},
      {clBtnFace, rvcmGrayScale, 0xC0C0C0, 0xC0C0C0},
      {clRed, rvcmGrayScale, 0x4C4C4C, 0x4C4C4C},
      {clWhite, rvcmBlackAndWhite, clWhite, clWhite},
      {clWindow, rvcmBlackOnWhite, clBlack, clWhite},  // a system colour is not exactly white
      {clYellow, rvcmBlackAndWhite, clBlack, clWhite},
      {clBlack, rvcmBlackOnWhite, clBlack, clWhite},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ApplyColorMode(c.color, c.mode), c.fore) << std::hex << c.color << " mode " << c.mode;
    EXPECT_EQ(ApplyBackColorMode(c.color, c.mode), c.back) << std::hex << c.color << " mode " << c.mode;
  }
}

TEST(RVColors, OpacityToAlpha) {
  const std::pair<int, int> cases[] = {{-5, 0},    {0, 0},     {100, 0},      {50000, 128},
                                       {25000, 64}, {99999, 255}, {100000, 255}, {250000, 255}};
  for (auto [opacity, alpha] : cases) EXPECT_EQ(OpacityToAlpha(opacity), alpha) << opacity;
}

TEST(RVNumbering, RomanAndLetters) {
  const std::pair<int, const char16_t*> roman[] = {
      {1994, u"MCMXCIV"}, {3999, u"MMMCMXCIX"}, {4000, u"MMMM"}, {1, u"I"}, {4, u"IV"},
      {9, u"IX"},         {14, u"XIV"},         {40, u"XL"},     {0, u"?"}, {-5, u"?"}};
  for (auto [n, s] : roman) EXPECT_EQ(IntToRoman(n), s) << n;
  const std::pair<int, const char16_t*> letters[] = {{1, u"A"},   {26, u"Z"},   {27, u"AA"},   {28, u"AB"},
                                                     {52, u"AZ"}, {53, u"BA"},  {702, u"ZZ"}, {703, u"AAA"},
                                                     {0, u"?"},   {-1, u"?"}};
  for (auto [n, s] : letters) EXPECT_EQ(IntToLetters(n), s) << n;
}

TEST(RVNumbering, SizesAndLineWidths) {
  const std::pair<int, int> sub[] = {{1, 1}, {2, 1}, {3, 2}, {4, 3}, {10, 7}, {12, 8}, {0, 0}, {-4, -3}, {-12, -8}};
  for (auto [size, r] : sub) EXPECT_EQ(SubSuperScriptSize(size), r) << size;
  const std::pair<int, int> widths[] = {{0, 1}, {22, 1}, {23, 2}, {37, 2}, {38, 3}, {-38, 3}, {-22, 1}, {INT32_MIN, 143165577}};
  for (auto [size, r] : widths) EXPECT_EQ(LineWidthForFontSize(size), r) << size;
}

TEST(RVText, ControlCharactersAndTabs) {
  EXPECT_EQ(ReplaceControlChars(u"a\tb\r\n\x01\x1F\uFFFE\uFFFF\uFFFDz"), u"a\tb??????\uFFFDz");
  EXPECT_EQ(ReplaceControlChars(std::u16string(u"a\0b", 3)), u"a?b");
  EXPECT_EQ(ReplaceControlCharsAnsi("x\t\r\x01y\x7F\x80"), "x\t??y\x7F\x80");
  EXPECT_EQ(ReplaceTabsWithSpaces(u"\ta\t", 2), u"  a  ");
  EXPECT_EQ(ReplaceTabsWithSpaces(u"\ta\t", 0), u"a");
  EXPECT_EQ(EscapeXmlText(u"<a href=\"x\">&'\x02"), u"&lt;a href=&quot;x&quot;&gt;&amp;&apos;?");
}

TEST(RVText, AppendingAndSets) {
  struct Case { std::u16string s, text, result; };
  const Case cases[] = {{u"", u"b", u"b"}, {u"a", u"", u"a"}, {u"a", u"b", u"a, b"}, {u"", u"", u""}};
  for (const auto& c : cases) {
    std::u16string s = c.s;
    AppendWithSeparator(s, c.text, u", ");
    EXPECT_EQ(s, c.result);
    std::string a = U8(c.s);
    AppendWithSeparatorAnsi(a, U8(c.text), ", ");
    EXPECT_EQ(a, U8(c.result));
  }
  std::u16string s = u"font-weight: bold;";
  AppendWithSpace(s, u"color: red;");
  EXPECT_EQ(s, u"font-weight: bold; color: red;");
  std::string a;
  AppendWithSpaceAnsi(a, "x");
  AppendWithSpaceAnsi(a, "y");
  EXPECT_EQ(a, "x y");

  EXPECT_EQ(ReplaceCharsInSet(u"a/b\\c:\u0101", u'_', TRVCharSet{'/', '\\', ':'}), u"a_b_c_\u0101");
  // Only code units below 128 can match, even when their low byte is in the set.
  EXPECT_EQ(ReplaceCharsInSet(u"\u012F/", u'_', TRVCharSet{'/'}), u"\u012F_");

  EXPECT_TRUE(IsNotVerticalFontName(u"Arial"));
  EXPECT_FALSE(IsNotVerticalFontName(u"@Arial"));
  EXPECT_FALSE(IsNotVerticalFontName(u""));
  EXPECT_TRUE(AreItemTagsEqual(CopyItemTag(u"Tag"), u"Tag"));
  EXPECT_FALSE(AreItemTagsEqual(u"Tag", u"tag"));
  std::string x = "x", y = "y";
  SwapAnsiStrings(x, y);
  EXPECT_EQ(x + y, "yx");
}

TEST(RVText, HintAttributes) {
  struct Case { TRVSaveFormat format; bool asFields; std::u16string hint, result; };
  const Case cases[] = {
      {rvsfHTML, false, u"", u""},
      {rvsfHTML, false, u"a \"b\" & <c>  d", u"title=\"a &quot;b&quot; &amp; &lt;c&gt;&nbsp; d\""},
      {rvsfRTF, false, u"say \"hi\"", u"\\o \"say 'hi'\""},
      {rvsfDocX, false, u"a<b'", u"w:tooltip=\"a&lt;b&apos;\""},
      {rvsfDocX, true, u"a<b", u"\\o \"a&lt;b\""},
      {rvsfText, false, u"x<y", u"x<y"},
      {rvsfRVF, false, u"x\"y", u"x\"y"},
  };
  for (const auto& c : cases) {
    DocXHyperlinksAsFields = c.asFields;
    EXPECT_EQ(MakeHintAttribute(c.format, c.hint), c.result) << U8(c.hint);
  }
  DocXHyperlinksAsFields = false;
}

TEST(RVUrl, Decode) {
  struct Case { std::u16string text; bool allowCRLF; std::u16string result; };
  const Case cases[] = {
      {u"a%20b", false, u"a b"},
      {u"%41%42%43", false, u"ABC"},
      {u"x%41", false, u"xA"},
      {u"a%0Ab", false, u"a%0Ab"},
      {u"a%0Ab", true, u"a\nb"},
      {u"a%0d%0Ab", true, u"a\r\nb"},
      {u"%D0%B0x", false, u"\u0430x"},
      {u"%d0%b0%D0%B1", false, u"\u0430\u0431"},
      {u"%D0%B0%0A%D0%B1", false, u"\u0430%0A\u0431"},
      {u"a+b+cd", false, u"a b cd"},
      {u"ab+", false, u"ab+"},  // the walk ends two units before the end
      {u"a+", false, u"a+"},
      {u"%4", false, u"%4"},
      {u"%zz%41", false, u"%zzA"},
      {u"100%", false, u"100%"},
      {u"%FF%41", false, u"\uFFFDA"},  // a byte that is no UTF-8 is kept visible
      {u"%E2%82%AC+%E2%82%AC", false, u"\u20AC \u20AC"},
      {u"%\u0141\u0142x", false, u"%\u0141\u0142x"},  // digits are ASCII only, not their low bytes
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeUrlText(c.text, c.allowCRLF), c.result) << U8(c.text);

  // A long text: every escape decoded, every "+" but the one among the last two units a space.
  std::u16string text, expected;
  for (int i = 0; i < 10000; ++i) {
    text += u"%41+b";
    expected += i < 9999 ? u"A b" : u"A+b";
  }
  EXPECT_EQ(DecodeUrlText(text, false), expected);
}

TEST(RVUrl, EncodeAndFileUrls) {
  EXPECT_EQ(EncodeUrlText(u"a b+c%d\"e\r\n\u0430/?"), u"a%20b%2Bc%25d%22e%0D%0A\u0430/?");
  EXPECT_EQ(EncodeUrlSpaces(u"a b+%\r\n"), u"a%20b+%%0D%0A");
  EXPECT_EQ(DecodeUrlText(EncodeUrlText(u"x y+z%"), false), u"x y+z%");
  const std::pair<const char16_t*, const char16_t*> files[] = {
      {u"file:///home/u/a.png", u"/home/u/a.png"},
      {u"FILE:\\\\srv\\share\\b.png", u"/srv/share/b.png"},
      {u"file:c.png", u"/c.png"},
      {u"http://x/y", u"http://x/y"},
      {u"fil", u"fil"},
  };
  for (auto [url, path] : files) EXPECT_EQ(FileUrlToPath(url), path) << U8(url);
}

TEST(RVGeometry, PointsRectsAndRotations) {
  EXPECT_TRUE(PointInBounds(10, 20, 10, 20, 5, 5));
  EXPECT_FALSE(PointInBounds(15, 20, 10, 20, 5, 5));
  EXPECT_FALSE(PointInBounds(10, 25, 10, 20, 5, 5));
  EXPECT_FALSE(PointInBounds(9, 20, 10, 20, 5, 5));

  struct Case { TRVSide side; bool centered; int size; TRect result; };
  const TRect start(10, 20, 31, 40);
  const Case cases[] = {
      {rvsdLeft, false, 5, TRect(26, 20, 31, 40)},   {rvsdTop, false, 5, TRect(10, 35, 31, 40)},
      {rvsdRight, false, 5, TRect(10, 20, 15, 40)},  {rvsdBottom, false, 5, TRect(10, 20, 31, 25)},
      {rvsdTop, true, 4, TRect(10, 28, 31, 32)},     {rvsdBottom, true, 5, TRect(10, 27, 31, 32)},
      {rvsdLeft, true, 6, TRect(17, 20, 23, 40)},    {rvsdRight, true, 6, TRect(17, 20, 23, 40)},
  };
  for (const auto& c : cases) {
    TRect r = start;
    SetRectSizeFromSide(r, c.side, c.size, c.centered);
    EXPECT_EQ(r, c.result) << c.side << " " << c.centered;
  }
  TRect neg(-11, 0, 0, 0);
  SetRectSizeFromSide(neg, rvsdLeft, 4, true);  // (-11 + 0 - 4) div 2 truncates towards zero
  EXPECT_EQ(neg.Left, -7);

  EXPECT_EQ(CombineRotation(rvrot270, 1), rvrotNone);
  EXPECT_EQ(CombineRotation(rvrot270, 3), rvrot180);
  EXPECT_EQ(CombineRotation(rvrot90, 2), rvrot270);
  EXPECT_EQ(CombineRotation(rvrot90, 0), rvrot90);
  EXPECT_EQ(CombineRotation(rvrot90, 4), rvrot90);
  EXPECT_EQ(CombineRotation(rvrot90, -1), rvrot90);

  EXPECT_EQ(NonNegative(-3), 0);
  EXPECT_EQ(NonNegative(3), 3);
  EXPECT_EQ(SignOf(-7), -1);
  EXPECT_EQ(SignOf(0), 0);
  EXPECT_EQ(SignOf(9), 1);
  auto owned = std::make_unique<int>(5);
  FreeAndNilObject(owned);
  EXPECT_EQ(owned, nullptr);
  int* raw = new int(5);
  FreeAndNilObject(raw);
  EXPECT_EQ(raw, nullptr);
}

TEST(RVGeometry, RotationTransforms) {
  struct Case { TRVDocRotation rot; int alignment; XFORM x; };
  // L = 2, T = 3, W = 20, H = 10, S = 6
  const Case cases[] = {
      {rvrotNone, 0, {1, 0, 0, 1, 0, 0}},      {rvrotNone, 1, {1, 0, 0, 1, 0, 2}},
      {rvrotNone, 2, {1, 0, 0, 1, 0, 4}},      {rvrot90, 0, {0, 1, -1, 0, 15, -1}},
      {rvrot90, 1, {0, 1, -1, 0, 8, -1}},      {rvrot90, 2, {0, 1, -1, 0, 1, -1}},
      {rvrot180, 0, {-1, 0, 0, -1, 16, 4}},    {rvrot180, 1, {-1, 0, 0, -1, 16, 2}},
      {rvrot180, 2, {-1, 0, 0, -1, 16, 0}},    {rvrot270, 0, {0, -1, 1, 0, 1, 5}},
      {rvrot270, 1, {0, -1, 1, 0, 8, 5}},      {rvrot270, 2, {0, -1, 1, 0, 15, 5}},
  };
  for (const auto& c : cases) {
    XFORM x{9, 9, 9, 9, 9, 9};
    MakeRotationTransform(x, c.rot, 2, 3, 20, 10, 6, c.alignment);
    EXPECT_EQ(x, c.x) << c.rot << " " << c.alignment;
  }
  XFORM half;
  MakeRotationTransform(half, rvrotNone, 0, 0, 0, 7, 0, 1);
  EXPECT_FLOAT_EQ(half.eDy, 3.5f);
}

TEST(RVGeometry, LineBetweenRectsTakesNearestEnds) {
  struct Case { int r1[4], r2[4]; TPoint from, to; };
  const Case cases[] = {
      // second to the right and below: end of the first, start of the second
      {{0, 0, 10, 10}, {20, 30, 5, 5}, {10, 10}, {20, 30}},
      // second to the left and above
      {{50, 50, 10, 10}, {0, 0, 5, 5}, {50, 50}, {5, 5}},
      // same spans: the first pair (start, start) wins the tie
      {{0, 0, 10, 10}, {0, 0, 10, 10}, {0, 0}, {0, 0}},
  };
  for (const auto& c : cases) {
    TPoint from, to;
    GetLineBetweenRects(c.r1[0], c.r1[1], c.r1[2], c.r1[3], c.r2[0], c.r2[1], c.r2[2], c.r2[3], from, to);
    EXPECT_EQ(from, c.from);
    EXPECT_EQ(to, c.to);
  }
}

TEST(RVInput, HeadlessAnswers) {
  // No keys are held and the pointer rests in the screen under the offscreen platform.
  EXPECT_TRUE(GetAsyncShiftState().Empty());
  const TPoint p = GetCursorPosSafe();
  EXPECT_GE(p.X, 0);
  EXPECT_GE(p.Y, 0);
}

TEST(RVInput, PrinterCopies) {
  // Whatever printer there is, asking for no copies or one fewer than it has is answered yes.
  const int most = GetDefaultPrinterMaxCopies();
  EXPECT_TRUE(PrinterCopiesAtLeast(0));
  EXPECT_TRUE(PrinterCopiesAtLeast(most));
  EXPECT_FALSE(PrinterCopiesAtLeast(most + 1));
  // The drawing interfaces give the same answer.
  TRVWinGraphicInterface gdi;
  TRVUniscribeGraphicInterface analysed;
  for (int n : {0, 1, most, most + 1}) {
    EXPECT_EQ(gdi.PrinterSupportsCopies(n), PrinterCopiesAtLeast(n)) << n;
    EXPECT_EQ(analysed.PrinterSupportsCopies(n), PrinterCopiesAtLeast(n)) << n;
  }
}
