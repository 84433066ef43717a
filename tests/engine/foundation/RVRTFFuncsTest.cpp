#include <gtest/gtest.h>

#include "engine/foundation/RVRTFFuncs.h"
#include "platform/base/SysUtils.h"

TEST(RVRTF, EscapeBytesAndAnsiText) {
  struct Case { std::string s; bool raw, nbsp, hex, quote; std::string result; };
  const Case cases[] = {
      {"a{b}\\c", false, false, false, false, "a\\{b\\}\\\\c"},
      {"say \"x\"", false, false, false, true, "say \\\\\"x\\\\\""},
      {"say \"x\"", false, false, false, false, "say \"x\""},
      {"\t\x7F\x80\xFF", false, false, false, false, "\\'09\x7F\\'80\\'ff"},
      {"a\xA0" "b", false, true, false, false, "a\\~b"},
      {"a\xA0" "b", false, false, false, false, "a\\'a0b"},
      {"{\\b x}\xE9", true, false, false, true, "{\\b x}\\'e9"},      // raw: already RTF
      {"{a}\\\xE9", false, false, true, false, "\\'7ba\\'7d\\'5c\\'e9"},  // hex: no backslash doubling
      {"", false, false, false, false, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RTFEscapeAnsiText(c.s, c.raw, c.nbsp, c.hex, c.quote), c.result) << c.s;
  std::string s = "\x01z\xA0";
  RTFEscapeBytes(s, true, false);
  EXPECT_EQ(s, "\\'01z\\~");
}

TEST(RVRTF, EncodeText) {
  struct Case { std::u16string text; TRVCodePage cp; bool duplicate; std::string result; };
  const Case cases[] = {
      {u"a{b}", 1252, false, "a\\{b\\}"},
      {u"\t", 1252, false, "\\'09"},
      {u"\u20AC", 1252, false, "\\uc1\\u8364 \\'80\\uc0"},  // the fallback forces \uc1, restored after
      {u"\u00E9", 1252, true, "\\u233 \\'e9"},
      {u"\u3042", 932, true, "\\uc2\\u12354 \\'82\\'a0\\uc1"},  // a trail byte 0xA0 is no "\\~"
      {u"\u3042\u00E9", 1252, true, "\\u12354 ?\\u233 \\'e9"},
      {u"\u00A0\u00AD\u2002\u2003\u2005\u200C\u200D", 1252, false,
       "\\~\\-{\\enspace }{\\emspace }{\\qmspace }\\zwnj\\zwj"},
      {u"\u2013\u2014\u2018\u2019\u201C\u201D\u2022", 1252, false,
       "\\endash \\emdash \\lquote \\rquote \\ldblquote \\rdblquote \\bullet "},
      {u"\U0001F600", 1252, false, "\\uc1\\u55357 ?\\u56832 ?\\uc0"},  // one code unit at a time
      {u"x\\y\"", 1252, false, "x\\\\y\""},
      {u"", 1252, false, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(RTFEncodeText(c.text, c.cp, c.duplicate), c.result) << UnicodeToUtf8(c.text);
}

TEST(RVRTF, EncodeTextEx) {
  struct Case { std::u16string text; bool duplicate, force, raw, hex; std::string result; };
  const Case cases[] = {
      {u"\u2014", false, false, true, false, "\\u8212 "},  // raw: no named forms, no fallback
      {u"\u2014", false, false, false, false, "\\emdash "},
      {u"\u00A0", true, false, true, false, "\\u160 \\~"},  // raw: the fallback carries the no-break space
      {u"\u0436", false, false, false, false, "\\u1078 "},
      {u"\u0436", false, true, false, false, "\\uc1\\u1078 ?\\uc0"},
      {u"{\\}", false, false, false, true, "\\'7b\\'5c\\'7d"},
      {u"{\\b}", false, false, true, false, "{\\b}"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RTFEncodeTextEx(c.text, 1252, c.duplicate, c.force, c.raw, c.hex), c.result) << UnicodeToUtf8(c.text);
}

TEST(RVRTF, EscapedTextWithDoubledBackslashesAndQuotes) {
  TMemoryStream stream;
  RTFWriteEscapedText(stream, u"C:\\dir \"x\"", 1252, false, true, false, true, false, true);
  EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.GetSize())),
            "C:\\\\\\\\dir \\\\\"x\\\\\"");
}

TEST(RVRTF, ColorTable) {
  TRVRTFTables tables;
  tables.AddColor(clRed);
  tables.AddColor(clBlue);
  tables.AddColor(clRed);
  tables.AddColor(clWindowText);
  EXPECT_EQ(tables.Colors().size(), 3u);
  TCustomRVRTFTables& base = tables;
  EXPECT_EQ(base.GetColorIndex(clRed), 0);
  EXPECT_EQ(base.GetColorIndex(clBlue), 1);
  EXPECT_EQ(base.GetColorIndex(clWindowText), 2);
  EXPECT_EQ(base.GetColorIndex(clGreen), -1);
}

TEST(RVRTF, ColorKeywordOnlyForTableEntries) {
  TRVRTFTables tables;
  tables.AddColor(clRed);
  tables.AddColor(clBlue);
  TRVAnsiString s = "\\x";
  RTFAppendColorKeyword(s, "\\cf", &tables, clBlue);
  RTFAppendColorKeyword(s, "\\cb", &tables, clGreen);
  RTFAppendColorKeyword(s, "\\ulc", nullptr, clRed);
  RTFAppendColorKeyword(s, "\\cbpat", &tables, clRed);
  EXPECT_EQ(s, "\\x\\cf1\\cbpat0");
}
