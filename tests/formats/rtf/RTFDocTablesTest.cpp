// The RTF reader's document tables: fonts with their charsets and code pages, the colour table
// with its automatic colour, the style sheet, and the decoding of 8-bit names and text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RTFEventRecorder.h"
#include "RTFTestRead.h"
#include "formats/rtf/RVRTFDocTables.h"
#include "formats/rtf/RVRTFReader.h"
#include "platform/base/Classes.h"

namespace {

std::u16string U(const char* utf8) { return Utf8ToUnicode(utf8); }

}  // namespace

TEST(RTFDocTablesTest, FontTableNumbersNamesFamiliesAndCharsets) {
  TRVRTFReader reader(nullptr);
  ASSERT_EQ(ReadString(reader,
                       "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
                       "{\\f1\\fswiss\\fcharset204{\\*\\panose 020b0604020202020204}Arial Cyr;}"
                       "{\\f2\\fnil\\fcharset0 Arial Cyr;}{\\f3\\ftech\\fcharset2 Symbol;}"
                       "{\\f4\\fbidi\\fcharset177 David (Hebrew);}{\\f5\\fcharset300 Mac;}"
                       "{\\f6\\fcharset-5\\fmodern Courier;}}}"),
            rtf_ec_OK);
  TRVRTFFontList& fonts = *reader.FontTable();
  ASSERT_EQ(fonts.Count(), 7);
  struct Case {
    int Number;
    const char* Name;
    TRVRTFFontFamily Family;
    int Charset;
  };
  const Case cases[] = {{0, "Times New Roman", rtf_ff_Roman, 0}, {1, "Arial", rtf_ff_Swiss, 204},
                        {2, "Arial Cyr", rtf_ff_Default, 0},     {3, "Symbol", rtf_ff_Symbol, 2},
                        {4, "David", rtf_ff_BiDi, 177},          {5, "Mac", rtf_ff_Default, 77},
                        {6, "Courier", rtf_ff_Modern, 1}};
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(fonts.Get(i)->Number, cases[i].Number);
    EXPECT_EQ(fonts.Get(i)->Name, U(cases[i].Name));
    EXPECT_EQ(fonts.Get(i)->Family, cases[i].Family);
    EXPECT_EQ(fonts.Get(i)->Charset, cases[i].Charset);
  }
}

TEST(RTFDocTablesTest, FontNumbersFallBackToTheDefaultFontAndNeverGoNegative) {
  TRVRTFFontList fonts;
  EXPECT_EQ(fonts.GetFontIndex(7, 0), 0);  // empty list
  fonts.Add(3);
  fonts.Add(5);
  fonts.Add(0);
  fonts.Add(5);  // a second font with a number already taken: the first one is found
  EXPECT_EQ(fonts.GetFontIndex(5, 0), 1);
  EXPECT_EQ(fonts.GetFontIndex(7, 0), 2);
  EXPECT_EQ(fonts.GetFontIndex(7, 9), 0);
  EXPECT_EQ(fonts.GetFontIndex(-2147483647 - 1, 3), 0);
  fonts.Clear();
  EXPECT_EQ(fonts.GetFontIndex(5, 5), 0);
}

TEST(RTFDocTablesTest, ColourTableWithTheAutomaticColour) {
  TRVRTFReader reader(nullptr);
  ASSERT_EQ(ReadString(reader,
                       "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue255;"
                       "\\red999\\green-4\\blue2147483647;}}"),
            rtf_ec_OK);
  const TRVRTFColorList& colors = *reader.ColorTable();
  ASSERT_EQ(colors.Count(), 4);
  EXPECT_EQ(colors.Get(0), clWindowText);
  EXPECT_EQ(colors.Get(1), 0x0000FF);
  EXPECT_EQ(colors.Get(2), 0xFF8000);
  // Components out of range stay within their byte.
  EXPECT_EQ(colors.Get(3), 0xFF00FF);
}

TEST(RTFDocTablesTest, ColourIndexesFromTheTextAreBoundsChecked) {
  TRVRTFReader reader(nullptr);
  std::vector<TColor> seen;
  reader.OnEndParsing = [&](TObject*) { seen.push_back(reader.RTFState()->CharProps()->FColor); };
  for (const char* word : {"\\cf1", "\\cf2", "\\cf0", "\\cf-1", "\\cf2147483647"}) {
    const std::string rtf = std::string("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}") + word + " x}";
    ASSERT_EQ(ReadString(reader, rtf), rtf_ec_OK) << word;
  }
  const std::vector<TColor> expected{0x0000FF, clWindowText, clWindowText, clWindowText, clWindowText};
  EXPECT_EQ(seen, expected);
}

TEST(RTFDocTablesTest, StyleSheetEntries) {
  TRVRTFReader reader(nullptr);
  int raised = 0;
  reader.OnStyleSheet = [&](TObject*) { ++raised; };
  ASSERT_EQ(ReadString(reader,
                       "{\\rtf1{\\stylesheet{\\ql\\fs24 Normal;}{\\s1\\sbasedon0\\snext1\\b\\fs32 heading 1;}"
                       "{\\s2\\sbasedon1\\qc\\b Heading;}{\\*\\cs10\\additive\\sqformat Default Paragraph Font;}"
                       "{\\*\\ts11\\tsrowd\\shidden Normal Table;}{\\ds12 Section;}"
                       "{\\s3\\sbasedon77\\slink10  Spaced  ;}}}"),
            rtf_ec_OK);
  EXPECT_EQ(raised, 1);
  const TRVRTFStyleSheet& ss = *reader.StyleSheet();
  ASSERT_EQ(ss.Count(), 7);
  struct Case {
    const char* Name;
    int Number;
    TRVRTFStyleSheetType Type;
    int BasedOn, Next, Link;
  };
  const Case cases[] = {{"Normal", 0, rtf_sst_Par, -1, -1, -1},
                        {"heading 1", 1, rtf_sst_Par, 0, 1, -1},
                        {"Heading", 2, rtf_sst_Par, 1, -1, -1},
                        {"Default Paragraph Font", 10, rtf_sst_Char, -1, -1, -1},
                        {"Normal Table", 11, rtf_sst_Table, -1, -1, -1},
                        {"Section", 12, rtf_sst_Sect, -1, -1, -1},
                        {"Spaced", 3, rtf_sst_Par, -1, -1, 3}};
  for (int i = 0; i < ss.Count(); ++i) {
    SCOPED_TRACE(i);
    const TRVRTFStyleSheetEntry* e = ss.Get(i);
    EXPECT_EQ(e->FName, U(cases[i].Name));
    EXPECT_EQ(e->FNumber, cases[i].Number);
    EXPECT_EQ(e->FStyleType, cases[i].Type);
    EXPECT_EQ(e->FBasedOnIndex, cases[i].BasedOn);
    EXPECT_EQ(e->FNextIndex, cases[i].Next);
    EXPECT_EQ(e->FLinkIndex, cases[i].Link);
  }
  EXPECT_EQ(ss.Get(2)->ParaProps()->FAlignment, rtf_al_Center);
  EXPECT_TRUE(ss.Get(2)->CharProps()->FStyle.Contains(fsBold));
  EXPECT_EQ(ss.Get(1)->CharProps()->FSizeDouble, 32);
  EXPECT_TRUE(ss.Get(3)->FAdditive);
  EXPECT_TRUE(ss.Get(3)->FQuickAccess);
  EXPECT_TRUE(ss.Get(4)->FHidden);
}

TEST(RTFDocTablesTest, StyleSheetIsSkippedWithoutItsEvent) {
  TRVRTFReader reader(nullptr);
  ASSERT_EQ(ReadString(reader, "{\\rtf1{\\stylesheet{\\s1 Heading;}}}"), rtf_ec_OK);
  EXPECT_EQ(reader.StyleSheet()->Count(), 0);
}

TEST(RTFDocTablesTest, StyleNumbersInTheTextGiveEntryIndexesOrMinusOne) {
  TRVRTFReader reader(nullptr);
  reader.OnStyleSheet = [](TObject*) {};
  std::vector<std::pair<int, int>> seen;  // paragraph, character
  reader.OnEndParsing = [&](TObject*) {
    seen.emplace_back(reader.RTFState()->ParaProps()->FStyleSheetIndex,
                      reader.RTFState()->CharProps()->FStyleSheetIndex);
  };
  for (const char* words : {"\\s2\\cs10", "\\s5\\cs-1", "\\s10\\cs2"}) {
    const std::string rtf = std::string("{\\rtf1{\\stylesheet{Normal;}{\\s2 Two;}{\\*\\cs10 Ten;}}") + words + " x}";
    ASSERT_EQ(ReadString(reader, rtf), rtf_ec_OK) << words;
  }
  const std::vector<std::pair<int, int>> expected{{1, 2}, {-1, -1}, {2, 1}};
  EXPECT_EQ(seen, expected);
}

TEST(RTFDocTablesTest, FontIndexesFromTheTextFallBackToTheDefaultFont) {
  TRVRTFReader reader(nullptr);
  std::vector<int> seen;
  reader.OnEndParsing = [&](TObject*) { seen.push_back(reader.RTFState()->CharProps()->FFontIndex); };
  const char* table = "{\\fonttbl{\\f4 A;}{\\f5 B;}{\\f0 C;}}";
  for (const char* words : {"\\deff0\\f5", "\\deff0\\f7", "\\deff9\\f7", "\\deff0\\f-2147483648"}) {
    const std::string rtf = std::string("{\\rtf1") + words + table + "\\plain" + words + " x}";
    ASSERT_EQ(ReadString(reader, rtf), rtf_ec_OK) << words;
  }
  const std::vector<int> expected{1, 2, 0, 2};
  EXPECT_EQ(seen, expected);
}

// Names and texts in 8-bit code pages: the document's "\ansicpg" for names, the font's charset for
// the current code page of text.
TEST(RTFDocTablesTest, NamesDecodeInTheDocumentCodePage) {
  struct Case {
    const char* CodePage;
    const char* Bytes;
    const char* Expected;
  };
  const Case cases[] = {
      {"1251", "\\'d2\\'e5\\'ea\\'f1\\'f2", "Текст"}, {"1253", "\\'c5\\'eb\\'eb\\'e7\\'ed\\'e9\\'ea\\'dc", "Ελληνικά"},
      {"1255", "\\'f2\\'e1\\'f8\\'e9\\'fa", "עברית"}, {"1256", "\\'da\\'d1\\'c8\\'ed", "عربي"},
      {"932", "\\'93\\'fa\\'96\\'7b", "日本"},        {"936", "\\'d6\\'d0\\'ce\\'c4", "中文"},
      {"949", "\\'c7\\'d1\\'b1\\'db", "한글"},        {"950", "\\'a4\\'a4\\'a4\\'e5", "中文"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.CodePage);
    TRVRTFReader reader(nullptr);
    reader.OnStyleSheet = [](TObject*) {};
    const std::string rtf = std::string("{\\rtf1\\ansi\\ansicpg") + c.CodePage + "{\\fonttbl{\\f0 " + c.Bytes +
                            ";}}{\\stylesheet{\\s1 " + c.Bytes + ";}}{\\info{\\title " + c.Bytes + "}}}";
    ASSERT_EQ(ReadString(reader, rtf), rtf_ec_OK);
    ASSERT_EQ(reader.CodePage(), static_cast<unsigned>(std::stoi(c.CodePage)));
    EXPECT_EQ(reader.FontTable()->Get(0)->Name, U(c.Expected));
    EXPECT_EQ(reader.StyleSheet()->Get(0)->FName, U(c.Expected));
    EXPECT_EQ(reader.DocProps()->FTitle, U(c.Expected));
  }
}

TEST(RTFDocTablesTest, CurrentCodePageFollowsTheFontCharset) {
  struct Case {
    const char* Font;
    unsigned Expected;
  };
  // With "\ansicpg1250" as the document's code page.
  const Case cases[] = {{"\\fcharset204", 1251}, {"\\fcharset161", 1253},
                        {"\\fcharset177", 1255}, {"\\fcharset178", 1256},
                        {"\\fcharset128", 932},  {"\\fcharset134", 936},
                        {"\\fcharset129", 949},  {"\\fcharset136", 950},
                        {"\\fcharset0", 1252},   {"", 1250},  // no charset of its own: the document's code page
                        {"\\fcharset254", 1252}, {"\\fcharset77", 1252}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Font);
    TRVRTFReader reader(nullptr);
    unsigned seen = 0;
    reader.OnEndParsing = [&](TObject*) { seen = reader.GetCurrentCodePage(); };
    const std::string rtf = std::string("{\\rtf1\\ansicpg1250{\\fonttbl{\\f0") + c.Font + " F;}}\\f0 x}";
    ASSERT_EQ(ReadString(reader, rtf), rtf_ec_OK);
    EXPECT_EQ(seen, c.Expected);
  }
  // A font index outside the table: the document's code page.
  TRVRTFReader reader(nullptr);
  unsigned seen = 0;
  reader.OnEndParsing = [&](TObject*) { seen = reader.GetCurrentCodePage(); };
  ASSERT_EQ(ReadString(reader, "{\\rtf1\\ansicpg1251 x}"), rtf_ec_OK);
  EXPECT_EQ(seen, 1251u);
}

TEST(RTFDocTablesTest, UnicodeInNamesSkipsUcFallbackBytes) {
  // "\uc" 0, 1 and 2: the fallback bytes after "\u" are skipped as many as "\uc" says.
  struct Case {
    const char* Rtf;
    const char* Expected;
  };
  const Case cases[] = {
      {"\\uc0\\u1055\\u1088  ok", "Пр ok"},
      {"\\uc1\\u1055?\\u1088?ok", "Прok"},
      {"\\uc2\\u1055\\'cf\\'cf\\u1088??ok", "Прok"},
      {"\\u1055?x", "Пx"},  // one after a reset
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Rtf);
    TRVRTFReader reader(nullptr);
    reader.OnStyleSheet = [](TObject*) {};
    const std::string rtf = std::string("{\\rtf1{\\fonttbl{\\f0 ") + c.Rtf + ";}}{\\stylesheet{\\s1 " + c.Rtf + ";}}}";
    ASSERT_EQ(ReadString(reader, rtf), rtf_ec_OK);
    EXPECT_EQ(reader.FontTable()->Get(0)->Name, U(c.Expected));
    EXPECT_EQ(reader.StyleSheet()->Get(0)->FName, U(c.Expected));
  }
}

TEST(RTFDocTablesTest, ConversionsFallBackToQuestionMarks) {
  TRVRTFReader reader(nullptr);
  EXPECT_EQ(reader.AnsiToUnicode("", 1251), u"");
  EXPECT_EQ(reader.AnsiToUnicode("\xcf", 1251), u"П");
  // A code page that does not exist: the system ANSI code page (1252).
  EXPECT_EQ(reader.AnsiToUnicode("\xe9", 12345), u"é");
  ASSERT_EQ(ReadString(reader, "{\\rtf1\\ansicpg1251 x}"), rtf_ec_OK);
  EXPECT_EQ(reader.UnicodeToAnsi(u"Пé"),
            "\xcf"
            "e");  // best fit for the letter 1251 lacks
  EXPECT_EQ(reader.UnicodeToAnsi(u"日"), "?");
}

TEST(RTFDocTablesTest, OEMAndMacBytesBecomeWindows1252) {
  TRVAnsiString mac = "A\x8e\x80\xff";
  RTFConvertMacText(mac);
  EXPECT_EQ(mac, "A\xe9\xc4?");
  TRVAnsiString oem = "b\x81\xb3\xc4\xda\xe1";
  RTFConvertOEMText(oem);
  EXPECT_EQ(oem, "b\xfc|-+\xdf");
}

// Body text: 8-bit runs are reported as they are and read in the code page of their font (as the
// builder does); "\u" runs come as Unicode with "\uc" fallback bytes skipped.
TEST(RTFDocTablesTest, BodyTextDecodesInTheCodePageOfItsFont) {
  struct Case {
    const char* Font;
    const char* Bytes;
    const char* Expected;
  };
  const Case cases[] = {
      {"\\fcharset204", "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2", "Привет"},
      {"", "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2", "Привет"},  // no charset: "\ansicpg1251"
      {"\\fcharset161", "\\'e1\\'e5\\'e9\\'e1", "αεια"},
      {"\\fcharset177", "\\'f9\\'ec\\'e5\\'ed", "שלום"},
      {"\\fcharset178", "\\'d3\\'e1\\'c7\\'e3", "سلام"},
      {"\\fcharset128", "\\'93\\'fa\\'96\\'7b\\'8c\\'ea", "日本語"},
      {"\\fcharset134", "\\'d6\\'d0\\'ce\\'c4", "中文"},
      {"\\fcharset129", "\\'c7\\'d1\\'b1\\'db", "한글"},
      {"\\fcharset136", "\\'a4\\'a4\\'a4\\'e5", "中文"},
      {"\\fcharset77", "caf\\'8e", "café"},
      {"\\fcharset254", "\\'82t\\'82", "été"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Expected);
    TRVRTFReader reader(nullptr);
    TRTFEventRecorder rec;
    rec.Attach(reader, false);
    std::u16string text;
    rec.OnTextSeen = [&](TRVRTFReader& r) {
      const std::string& last = rec.Events.back();
      const std::string bytes = last.substr(2, last.size() - 3);  // P"..."
      text += r.AnsiToUnicode(bytes, r.GetCurrentCodePage());
    };
    const std::string rtf =
        std::string("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0") + c.Font + " F;}}\\f0 " + c.Bytes + "}";
    ASSERT_EQ(TRTFEventRecorder::Read(reader, rtf), rtf_ec_OK);
    EXPECT_EQ(text, U(c.Expected));
  }
}

TEST(RTFDocTablesTest, UnicodeBodyTextSkipsUcFallbackBytes) {
  struct Case {
    const char* Rtf;
    const char* Expected;
  };
  const Case cases[] = {
      {"\\uc0\\u1055\\u1088 ok", "uP\"Пр\" | C\"ok\""},
      {"\\uc1\\u1055?\\u1088?ok", "uP\"Пр\" | C\"ok\""},
      {"\\uc2\\u1055\\'cf\\'cf\\u1088??ok", "uP\"Пр\" | C\"ok\""},
      {"{\\uc2\\plain\\u-3913??}x", "uP\"\xef\x82\xb7\" | C\"x\""},  // negative: U+F0B7; "\plain" keeps "\uc"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Rtf);
    TRVRTFReader reader(nullptr);
    TRTFEventRecorder rec;
    rec.Attach(reader);
    ASSERT_EQ(TRTFEventRecorder::Read(reader, std::string("{\\rtf1 ") + c.Rtf + "}"), rtf_ec_OK);
    EXPECT_EQ(rec.Joined(), c.Expected);
  }
}

TEST(RTFDocTablesTest, ManyTableEntriesWithLookupsBetweenThemStayCheap) {
  // Style and font numbers looked up between every pair of entries: each lookup must not walk
  // or rebuild the whole table.
  std::string rtf = "{\\rtf1{\\fonttbl";
  constexpr int n = 60000;
  for (int i = 0; i < n; ++i) rtf += "\\f" + std::to_string(i) + " F;";
  rtf += "}{\\stylesheet";
  for (int i = 0; i < n; ++i) rtf += "{\\s" + std::to_string(i) + " S;}\\s" + std::to_string(n);
  rtf += "}";
  for (int i = 0; i < n; ++i) rtf += "\\f" + std::to_string(n - i) + "\\s" + std::to_string(i);
  rtf += "}";
  TRVRTFReader reader(nullptr);
  reader.OnStyleSheet = [](TObject*) {};
  ASSERT_EQ(ReadString(reader, rtf), rtf_ec_OK);
  EXPECT_EQ(reader.FontTable()->Count(), n);
  EXPECT_EQ(reader.StyleSheet()->Count(), n);
  EXPECT_EQ(reader.StyleSheet()->GetEntry(n - 1), n - 1);
  EXPECT_EQ(reader.StyleSheet()->GetEntry(n), -1);
}
