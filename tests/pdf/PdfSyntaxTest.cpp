#include <gtest/gtest.h>

#include "pdf/PDFMisc.h"

TEST(PdfSyntax, NumbersAreFormattedWithoutLocale) {
  struct {
    bool precise;
    long double x;
    const char* text;
  } cases[] = {
      {false, 12.345L, "12.35"}, {false, 12.345, "12.35"}, {false, 3, "3"},
      {true, 0.1234567, "0.12346"}, {false, -0.001, "0"}, {false, -2.5, "-2.5"},
      {false, 0.1, "0.1"}, {false, 1234567.891, "1234567.89"}, {false, 0.005, "0.01"},
  };
  for (auto& c : cases) EXPECT_EQ(PDFFloatToStr(c.precise, c.x), c.text) << static_cast<double>(c.x);
  // The program's decimal separator does not reach PDF numbers.
  FormatSettings().DecimalSeparator = u',';
  EXPECT_EQ(PDFFloatToStr(false, 12.345), "12.35");
  FormatSettings().DecimalSeparator = u'.';
}

TEST(PdfSyntax, StringsHexAndRectangles) {
  EXPECT_EQ(PDFEscapeString("a(b)c\\"), "a\\(b\\)c\\\\");
  EXPECT_EQ(PDFEscapeString("\r\n\x80"), "\\r\\n\x80");
  EXPECT_EQ(WideToPDFTextString(u"A"), std::string("\xFE\xFF\x00\x41", 4));
  EXPECT_EQ(WideToPDFTextString(u""), "\xFE\xFF");
  EXPECT_EQ(UTF16ToUTF8(u"a\u00E9\u20AC"), "a\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(IntToZeroPaddedStr(1234, 10), "0000001234");
  EXPECT_EQ(IntToZeroPaddedStr(123456, 3), "123456");
  EXPECT_EQ(StrToHexString("\x0A\xFF", true), "<0AFF>");
  EXPECT_EQ(PDFRectToStr(TRect(10, 20, 30, 5)), "10 5 30 20");
  EXPECT_EQ(PDFObjectRef(7), "7 0 R");
  EXPECT_EQ(AnsiPosFrom("b", "abcb", 3), 4);
  EXPECT_EQ(AnsiPosFrom("x", "abcb", 1), 0);
  EXPECT_EQ(XMLEscape("A & B <\"x\">'"), "A &amp; B &lt;&quot;x&quot;&gt;&apos;");
  EXPECT_EQ(PDFColorToStr(ColorToPDFRGB(0x0000FF)), "1 0 0");
  EXPECT_EQ(PDFCharsetToCodePage(204), 1251u);
  EXPECT_EQ(PDFCharsetToCodePage(0), 1252u);
  EXPECT_EQ(PDFCharsetToCodePage(1), 1252u);
  // The system's own code pages are fixed ones in a document.
  EXPECT_EQ(PDFCharsetToCodePage(2), 1252u);
  EXPECT_EQ(PDFCharsetToCodePage(77), 10000u);
  EXPECT_EQ(PDFCharsetToCodePage(255), 1252u);
  EXPECT_EQ(PDFCharsetToCodePage(99), 1252u);
  EXPECT_EQ(ClassifyTextBytes(0, "abc"), 0);
  EXPECT_EQ(ClassifyTextBytes(0, "ab\xE9"), 1);
  EXPECT_EQ(ClassifyTextBytes(204, "ab\xE9"), 2);
}

TEST(PdfSyntax, DatesAreWrittenInUtc) {
  // 2026-03-01 12:34:56 as a date-time value; formatting takes it as it is.
  TDateTime t = 46082 + (12 * 3600 + 34 * 60 + 56) / 86400.0;
  EXPECT_EQ(FormatPDFDateTime(t), "20260301123456");
  EXPECT_EQ(FormatXMPDate(t), "2026-03-01");
  EXPECT_EQ(FormatXMPTime(t), "12:34:56");
  // Local time converts to UTC by the zone's bias at that moment.
  setenv("TZ", "UTC-3", 1);
  tzset();
  EXPECT_EQ(FormatPDFDateTime(LocalToUTC(t)), "20260301093456");
  unsetenv("TZ");
  tzset();
}

TEST(PdfSyntax, BitStreamAndStringList) {
  TMemoryStream m;
  {
    TBitStream b(m);
    b.Put(5, 3);
    b.FlushBits();
    b.Put(0xABCDEF, 24);
    b.Put(1, 1);
  }
  ASSERT_EQ(m.GetSize(), 5);
  auto* p = static_cast<unsigned char*>(m.Memory());
  EXPECT_EQ(p[0], 0xA0);
  EXPECT_EQ(p[1], 0xAB);
  EXPECT_EQ(p[3], 0xEF);
  EXPECT_EQ(p[4], 0x80);

  TAnsiStringList l;
  l.Add("a");
  l.Add("b");
  EXPECT_EQ(l.Text(), "a\r\nb\r\n");
  l.SetText("x\r\n\ny");
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Get(1), "");
  EXPECT_EQ(l.Get(2), "y");
  EXPECT_THROW(l.Get(3), EStringListError);
  TAnsiStringList sorted;
  for (const char* s : {"apple", "Banana", "cherry"}) sorted.Add(s);
  int i = -1;
  EXPECT_TRUE(sorted.Find("BANANA", i));
  EXPECT_EQ(i, 1);
  EXPECT_FALSE(sorted.Find("b", i));
  EXPECT_EQ(i, 1);
}
