// The RTF reader's input, group stack, main loop, control-word table and dispatch, and its
// state: error codes on bad input, tokenizing, the table, and the properties groups scope.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "RTFTestRead.h"
#include "formats/rtf/RVRTFReader.h"
#include "formats/rtf/RVRTFReaderState.h"
#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"

namespace {

TRVRTFErrorCode ReadString(const std::string& rtf) {
  TRVRTFReader reader(nullptr);
  return ::ReadString(reader, rtf);
}

// Reads rtf and hands the state in force when the outermost group closes to check.
void ReadAndInspect(const std::string& rtf, const std::function<void(TRVRTFReader&)>& check) {
  TRVRTFReader reader(nullptr);
  bool seen = false;
  reader.OnEndParsing = [&](TObject*) {
    seen = true;
    check(reader);
  };
  EXPECT_EQ(ReadString(reader, rtf), rtf_ec_OK) << rtf;
  EXPECT_TRUE(seen) << rtf;
}

// The document title read from "{\info{\title ...}}" around body: a destination whose text the
// reader collects itself, so that tokenizing and skipping can be seen without the text events.
TRVUnicodeString TitleOf(const std::string& body, TRVRTFErrorCode* result = nullptr) {
  TRVRTFReader reader(nullptr);
  const TRVRTFErrorCode ec = ReadString(reader, "{\\rtf1{\\info{\\title " + body + "}}}");
  if (result)
    *result = ec;
  else
    EXPECT_EQ(ec, rtf_ec_OK) << body.substr(0, 80);
  return reader.DocProps()->FTitle;
}

std::string Repeat(const std::string& s, int n) {
  std::string r;
  r.reserve(s.size() * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

}  // namespace

// ---- error codes ----

TEST(RTFParserTest, ErrorCodes) {
  struct Case {
    const char* name;
    std::string rtf;
    TRVRTFErrorCode expected;
  };
  const Case cases[] = {
      {"empty stream", "", rtf_ec_OK},
      {"whole document", "{\\rtf1 abc\\par}", rtf_ec_OK},
      {"outermost group never closed", "{\\rtf1 abc\\par", rtf_ec_UnmatchedBrace},
      {"second closing brace not read", "{\\rtf1 a}}", rtf_ec_OK},
      {"bytes after the end not read", "{\\rtf1 a}\\'zz{", rtf_ec_OK},
      {"closing brace first", "}", rtf_ec_StackUnderflow},
      {"hex digit then end", "{\\'4", rtf_ec_UnmatchedBrace},
      {"hex with a bad digit", "{\\'4x}", rtf_ec_InvalidHex},
      {"hex with a bad first digit", "{\\'g0}", rtf_ec_InvalidHex},
      {"line end between hex digits", "{\\'4\r\n1}", rtf_ec_OK},
      {"backslash last", "{\\rtf1 \\", rtf_ec_EndOfFile},
      {"binary data is not structure", "{\\bin3 {}\\}", rtf_ec_OK},
      {"binary length beyond the file", "{\\bin100 ab}", rtf_ec_UnmatchedBrace},
      {"binary length at the limit", "{\\bin2147483647 ab}", rtf_ec_UnmatchedBrace},
      {"negative binary length ignored", "{\\bin-5 ab}", rtf_ec_OK},
      {"unbalanced: more closing", "{{a}}}", rtf_ec_OK},
      {"unbalanced: more opening", "{{{a}}", rtf_ec_UnmatchedBrace},
      {"no group at all", "abc", rtf_ec_OK},
      {"closing brace after text outside a group", "abc}", rtf_ec_StackUnderflow},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadString(c.rtf), c.expected) << c.name;
}

TEST(RTFParserTest, NestingIsCappedWithStackOverflow) {
  EXPECT_EQ(ReadString(Repeat("{", TRVRTFReader::MaxGroupDepth) + "a" + Repeat("}", TRVRTFReader::MaxGroupDepth)),
            rtf_ec_OK);
  EXPECT_EQ(ReadString(Repeat("{", TRVRTFReader::MaxGroupDepth + 1)), rtf_ec_StackOverflow);
  EXPECT_EQ(ReadString(Repeat("{\\b", 100000)), rtf_ec_StackOverflow);
}

TEST(RTFParserTest, AlternativesOfUprStayLinear) {
  // Every "\\ud" group at the bottom of a deep chain of "\\upr" groups finds its destination at once.
  const int depth = TRVRTFReader::MaxGroupDepth - 4;  // the title's groups are around it
  EXPECT_EQ(TitleOf(Repeat("{\\upr", depth) + Repeat("{\\ud x}", 100000) + Repeat("}", depth)).size(), 100000u);
}

TEST(RTFParserTest, TruncatedAtEveryByte) {
  const std::string sample =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times;}}{\\colortbl;\\red255\\green0\\blue0;}"
      "{\\info{\\title T\\'e9}}\\pard\\b bold\\b0 \\u8364?\\'41 {\\*\\unknown x}{\\bin2 {}}\\par}";
  ASSERT_EQ(ReadString(sample), rtf_ec_OK);
  for (std::size_t n = 1; n < sample.size(); ++n) {
    const TRVRTFErrorCode ec = ReadString(sample.substr(0, n));
    EXPECT_TRUE(ec == rtf_ec_UnmatchedBrace || ec == rtf_ec_EndOfFile) << n << ": " << ec;
  }
}

// A stream whose size promises more bytes than it gives.
class TShortStream : public TMemoryStream {
 public:
  std::int64_t GetSize() override { return TMemoryStream::GetSize() + 100000; }
};

TEST(RTFParserTest, StreamShorterThanItsSizeEnds) {
  for (const std::string rtf : {"{\\rtf1 abc", "{\\rtf1 abc}", "{\\rtf1 {\\bin50000 abc"}) {
    TShortStream stream;
    stream.WriteBuffer(rtf.data(), static_cast<std::int64_t>(rtf.size()));
    stream.SetPosition(0);
    TRVRTFReader reader(nullptr);
    const TRVRTFErrorCode ec = reader.ReadFromStream(&stream);
    EXPECT_EQ(ec, rtf.back() == '}' ? rtf_ec_OK : rtf_ec_UnmatchedBrace) << rtf;
  }
}

TEST(RTFParserTest, ReadingAMissingFileRaisesNoEvent) {
  TRVRTFReader reader(nullptr);
  bool event = false;
  reader.OnUpdateMarker = [&](TObject*) { event = true; };
  reader.OnProgress = [&](TObject*, TRVRTFProgressStage, std::uint8_t) { event = true; };
  EXPECT_EQ(reader.ReadFromFile(u"/nonexistent/folder/file.rtf"), rtf_ec_FileOpenError);
  EXPECT_FALSE(event);
  const TRVRTFErrorCode folder = reader.ReadFromFile(u"/tmp");
  EXPECT_EQ(folder, rtf_ec_FileOpenError);
}

TEST(RTFParserTest, DataErrorOfAHandlerEndsTheReadWithException) {
  TRVRTFReader reader(nullptr);
  reader.OnEndParsing = [](TObject*) { throw EReadError(std::string_view("handler")); };
  EXPECT_EQ(ReadString(reader, "{\\rtf1 a}"), rtf_ec_Exception);
  // A fault of the program is not hidden as a failed read.
  reader.OnEndParsing = [](TObject*) { throw EListError(std::string_view("fault")); };
  EXPECT_THROW(ReadString(reader, "{\\rtf1 a}"), EListError);
  // The next read starts afresh.
  reader.OnEndParsing = nullptr;
  EXPECT_EQ(ReadString(reader, "{\\rtf1 a}"), rtf_ec_OK);
}

TEST(RTFParserTest, ProgressStagesBySize) {
  auto stages = [](std::size_t textSize) {
    std::vector<TRVRTFProgressStage> seen;
    TRVRTFReader reader(nullptr);
    reader.OnProgress = [&](TObject*, TRVRTFProgressStage s, std::uint8_t) {
      if (seen.empty() || seen.back() != s) seen.push_back(s);
    };
    EXPECT_EQ(ReadString(reader, "{\\rtf1 " + std::string(textSize, 'a') + "}"), rtf_ec_OK);
    return seen;
  };
  EXPECT_EQ(stages(21 * 1024), (std::vector<TRVRTFProgressStage>{rvprtfprStarting, rvprtfprEnding}));
  EXPECT_EQ(stages(3 * 1024 * 1024),
            (std::vector<TRVRTFProgressStage>{rvprtfprStarting, rvprtfprRunning, rvprtfprEnding}));
  EXPECT_TRUE(stages(1000).empty());
}

// ---- tokenizing ----

TEST(RTFParserTest, ControlWordParameters) {
  struct Case {
    const char* rtf;
    const char* keyword;
    int param;
    bool fParam;
  };
  const Case cases[] = {
      {"\\b0", "b", 0, true},
      {"\\b-", "b", 0, false},
      {"\\b", "b", 0, false},
      {"\\li-720", "li", -720, true},
      {"\\fs2147483647", "fs", 2147483647, true},
      {"\\fs-2147483648", "fs", -2147483647 - 1, true},
      {"\\fs2147483648", "fs", 0, true},
      {"\\fs-2147483649", "fs", 0, true},
      {"\\fs99999999999999999999999", "fs", 0, true},
      {"\\B1", "B", 1, true},
      {"\\'", "'", 0, false},
      {"\\*", "*", 0, false},
      {"\\\n", "\n", 0, false},
      {"\\\r", "\r", 0, false},
  };
  for (const Case& c : cases) {
    TRVRTFReader reader(nullptr);
    std::vector<std::tuple<TRVAnsiString, int, bool>> words;
    reader.OnTranslateKeyword = [&](TObject*, const TRVAnsiString& k, int p, bool f, TRVAnsiString&, bool& doDefault) {
      words.emplace_back(k, p, f);
      doDefault = false;
    };
    ReadString(reader, std::string("{") + c.rtf + "}");
    ASSERT_FALSE(words.empty()) << c.rtf;
    EXPECT_EQ(words.front(), std::make_tuple(TRVAnsiString(c.keyword), c.param, c.fParam)) << c.rtf;
  }
}

TEST(RTFParserTest, DelimitersAndSkipping) {
  struct Case {
    const char* body;
    const char16_t* title;
  };
  const Case cases[] = {
      {"\\b1x", u"x"},                  // a letter after the parameter is text
      {"\\b1 x", u"x"},                 // a space after it is consumed
      {"\\b1  x", u" x"},               // only one
      {"\\b-x", u"x"},                  // a sign without digits is consumed
      {"a\\u8364?b", u"a\u20ACb"},      // one replacement byte by default
      {"\\uc0\\u8364?", u"\u20AC?"},    // none
      {"\\uc2\\u8364??b", u"\u20ACb"},  // two
      {"\\uc2\\u8364\\'41\\'42b", u"\u20ACb"},
      {"\\uc2\\u8364\\emspace\\tab b", u"\u20ACb"},  // character words count as replacements
      {"\\uc2\\u8364{}ab", u"\u20ACab"},             // a brace ends the replacements
      {"\\uc2{\\plain\\u8364 ab}c", u"\u20ACc"},     // "\plain" keeps the count
      {"\\u-3913?", u"\uF0B7"},                      // negative parameters wrap to 16 bits
      {"\\u65?\\u66?", u"AB"},
      {"A{\\*\\unknownword B{C}}D", u"AD"},  // an unknown ignorable destination is skipped
      {"A{\\unknownword B{C}}D", u"ABCD"},   // without "\*" its text is read
      {"A\\B D", u"AD"},                     // control words are case-sensitive
      {"\\emspace\\enspace", u"  "},         // wide characters by their fallback here
      {"\\zwnj\\zwj", u""},                  // no fallback: nothing
      {"a\\\\b\\{c\\}", u"a\\b{c}"},
      {"\\'41\\'42", u"AB"},
      {"\\bin2 {}", u"{}"},
      {"{\\upr{A}{\\*\\ud{B}}}", u"B"},  // "\ud" reads in the surrounding destination
  };
  for (const Case& c : cases) EXPECT_EQ(TitleOf(c.body), TRVUnicodeString(c.title)) << c.body;
}

TEST(RTFParserTest, TranslatedKeywordsBecomeText) {
  TRVRTFReader reader(nullptr);
  reader.OnTranslateKeyword = [](TObject*, const TRVAnsiString& k, int, bool, TRVAnsiString& text, bool& doDefault) {
    if (k == "par") {
      text = "X";
      doDefault = false;
    }
  };
  EXPECT_EQ(ReadString(reader, "{\\rtf1{\\info{\\title A\\par B\\par}}}"), rtf_ec_OK);
  EXPECT_EQ(reader.DocProps()->FTitle, u"AXBX");
}

TEST(RTFParserTest, KnownWordAfterStarActs) {
  std::vector<TRVUnicodeString> names;
  TRVRTFReader reader(nullptr);
  reader.OnBookmarkStart = [&](TObject*, const TRVUnicodeString& name) { names.push_back(name); };
  EXPECT_EQ(ReadString(reader, "{\\rtf1 a{\\*\\bkmkstart mark1}b{\\*\\bkmkend mark1}}"), rtf_ec_OK);
  EXPECT_EQ(names, std::vector<TRVUnicodeString>{u"mark1"});
}

// ---- the control-word table and dispatch ----

TEST(RTFParserTest, TableIsSortedAndEveryRowIsFound) {
  int count = 0;
  const TRVRTFsymbol* rows = RTFControlWordTable(count);
  ASSERT_EQ(count, 405);
  for (int i = 1; i < count; ++i) EXPECT_LT(std::strcmp(rows[i - 1].Keyword, rows[i].Keyword), 0) << rows[i].Keyword;
  for (int i = 0; i < count; ++i) EXPECT_EQ(RTFFindControlWord(rows[i].Keyword), i) << rows[i].Keyword;
  for (const char* unknown : {"", "B", "Par", "bx", "zzzzzz", "\x01", "~~", "pardd", "a"})
    EXPECT_EQ(RTFFindControlWord(unknown), -1) << unknown;
  // Every row is reached through the reader's lookup: a keyword the table holds never falls
  // through to the handling of unknown words, which would skip a "\*" group.
  for (int i = 0; i < count; ++i) {
    const std::string k = rows[i].Keyword;
    if (rows[i].Kwd != rtf_kwd_Prop || !std::isalpha(static_cast<unsigned char>(k[0]))) continue;
    if (k == "u" || k == "bin" || k == "page") continue;
    TRVRTFErrorCode ec;
    const TRVUnicodeString title = TitleOf("A{\\*\\" + k + " B}C", &ec);
    EXPECT_EQ(ec, rtf_ec_OK) << k;
    EXPECT_EQ(title, u"ABC") << k;
  }
}

TEST(RTFParserTest, PropertyDispatch) {
  struct Case {
    const char* rtf;
    std::function<bool(TRVRTFReader&)> holds;
  };
  auto cp = [](TRVRTFReader& r) -> TRVRTFCharProperties& { return *r.RTFState()->CharProps(); };
  auto pp = [](TRVRTFReader& r) -> TRVRTFParaProperties& { return *r.RTFState()->ParaProps(); };
  const Case cases[] = {
      {"\\b", [&](TRVRTFReader& r) { return cp(r).FStyle.Contains(fsBold); }},
      {"\\b\\b0", [&](TRVRTFReader& r) { return !cp(r).FStyle.Contains(fsBold); }},
      {"\\B", [&](TRVRTFReader& r) { return !cp(r).FStyle.Contains(fsBold); }},
      {"\\ul\\ulnone", [&](TRVRTFReader& r) { return !cp(r).FStyle.Contains(fsUnderline); }},
      {"\\ul\\ul0", [&](TRVRTFReader& r) { return !cp(r).FStyle.Contains(fsUnderline); }},
      {"\\uldb",
       [&](TRVRTFReader& r) { return cp(r).FStyle.Contains(fsUnderline) && cp(r).FUnderlineType == rtf_rvut_Double; }},
      {"\\uld99",
       [&](TRVRTFReader& r) {  // a type beyond the known ones keeps the type
         return cp(r).FStyle.Contains(fsUnderline) && cp(r).FUnderlineType == rtf_rvut_Normal;
       }},
      {"\\fs", [&](TRVRTFReader& r) { return cp(r).FSizeDouble == 24; }},
      {"\\fs31", [&](TRVRTFReader& r) { return cp(r).FSizeDouble == 31; }},
      {"\\dn", [&](TRVRTFReader& r) { return cp(r).FVShiftPt == -6; }},
      {"\\dn-2147483648", [&](TRVRTFReader& r) { return cp(r).FVShiftPt == 2147483647; }},
      {"\\super\\sub", [&](TRVRTFReader& r) { return cp(r).FSScriptType == rtf_ss_Subscript; }},
      {"\\rtlch", [&](TRVRTFReader& r) { return cp(r).FBiDiMode == rtf_bidi_RTL; }},
      {"\\highlight7", [&](TRVRTFReader& r) { return cp(r).FBackColor == 0x00FFFF && cp(r).FHighlight == 7; }},
      {"\\highlight99", [&](TRVRTFReader& r) { return cp(r).FBackColor == clNone; }},
      {"\\cf5", [&](TRVRTFReader& r) { return cp(r).FColor == clWindowText; }},  // out of the table
      {"\\cf-1", [&](TRVRTFReader& r) { return cp(r).FColor == clWindowText; }},
      {"\\uc3", [&](TRVRTFReader& r) { return cp(r).FSkipAnsiCount == 3; }},
      {"\\paperh", [&](TRVRTFReader& r) { return r.DocProps()->FPaperHeightTw == 15480; }},
      {"\\paperw10000", [&](TRVRTFReader& r) { return r.DocProps()->FPaperWidthTw == 10000; }},
      {"\\viewzk2", [&](TRVRTFReader& r) { return r.DocProps()->FZoomKind == rtf_zk_BestFit; }},
      {"\\viewzk7", [&](TRVRTFReader& r) { return r.DocProps()->FZoomKind == rtf_zk_None; }},
      {"\\landscape0", [&](TRVRTFReader& r) { return r.DocProps()->FLandscape; }},
      {"\\ftnrstpg", [&](TRVRTFReader& r) { return r.DocProps()->FFootnotePageRestart; }},
      {"\\qc5", [&](TRVRTFReader& r) { return pp(r).FAlignment == rtf_al_Center; }},
      {"\\qd", [&](TRVRTFReader& r) { return pp(r).FAlignment == rtf_al_Distribute; }},
      {"\\li-720\\ri300\\fi-360",
       [&](TRVRTFReader& r) {
         return pp(r).FLeftIndentTw == -720 && pp(r).FRightIndentTw == 300 && pp(r).FFirstIndentTw == -360;
       }},
      {"\\sl360\\slmult1", [&](TRVRTFReader& r) { return pp(r).FLineSpacing == 360 && pp(r).FLineSpacingMulti; }},
      {"\\sl360", [&](TRVRTFReader& r) { return pp(r).FLineSpacing == 360 && !pp(r).FLineSpacingMulti; }},
      {"\\outlinelevel", [&](TRVRTFReader& r) { return pp(r).FOutlineLevel == 0; }},
      {"\\outlinelevel0", [&](TRVRTFReader& r) { return pp(r).FOutlineLevel == 1; }},
      {"\\outlinelevel2147483647", [&](TRVRTFReader& r) { return pp(r).FOutlineLevel == 2147483647; }},
      {"\\nowidctlpar", [&](TRVRTFReader& r) { return !r.GetWidowOrphanControl(pp(r)); }},
      {"\\widowctrl", [&](TRVRTFReader& r) { return r.GetWidowOrphanControl(pp(r)); }},
      {"\\widowctrl\\nowidctlpar", [&](TRVRTFReader& r) { return !r.GetWidowOrphanControl(pp(r)); }},
      {"\\keepn\\pagebb0", [&](TRVRTFReader& r) { return pp(r).FKeepWithNext && pp(r).FPageBreakBefore; }},
      {"\\li500\\pard", [&](TRVRTFReader& r) { return pp(r).FLeftIndentTw == 0; }},
      {"\\b\\fs40\\plain", [&](TRVRTFReader& r) { return cp(r).FStyle.Empty() && cp(r).FSizeDouble == 24; }},
      {"\\deflang1049\\plain", [&](TRVRTFReader& r) { return cp(r).FLanguage == 1049; }},
      {"\\b{\\i}", [&](TRVRTFReader& r) { return cp(r).FStyle.Contains(fsBold) && !cp(r).FStyle.Contains(fsItalic); }},
      {"{\\headery400}", [&](TRVRTFReader& r) { return r.RTFState()->SectProps()->FHeaderYTw == 400; }},
      {"{\\pgnx400}", [&](TRVRTFReader& r) { return r.RTFState()->SectProps()->FPageNumberXTw == 720; }},
      {"\\sbkodd\\pgnlcrm\\cols2\\titlepg",
       [&](TRVRTFReader& r) {
         const TRVRTFSectionProperties& s = *r.RTFState()->SectProps();
         return s.FSectionBreakType == rtf_sbk_Odd && s.FPageNumberFormat == rtf_pg_LowerRoman && s.FColumnCount == 2 &&
                s.FHasTitlePage;
       }},
  };
  for (const Case& c : cases)
    ReadAndInspect(std::string("{\\rtf1") + c.rtf + "}", [&](TRVRTFReader& r) { EXPECT_TRUE(c.holds(r)) << c.rtf; });
}

TEST(RTFParserTest, TabStops) {
  ReadAndInspect("{\\rtf1\\tqr\\tx1000\\tx2000}", [](TRVRTFReader& r) {
    TRVRTFParaProperties& pp = *r.RTFState()->ParaProps();
    pp.Finalize();
    ASSERT_EQ(pp.Tabs()->Count(), 2);
    EXPECT_EQ(pp.Tabs()->Get(0)->PositionTW, 1000);
    EXPECT_EQ(pp.Tabs()->Get(0)->Align, rtf_tab_Right);
    EXPECT_EQ(pp.Tabs()->Get(1)->PositionTW, 2000);
    EXPECT_EQ(pp.Tabs()->Get(1)->Align, rtf_tab_Left);
  });
  ReadAndInspect("{\\rtf1\\tx500\\jclisttab\\tx800}", [](TRVRTFReader& r) {
    TRVRTFParaProperties& pp = *r.RTFState()->ParaProps();
    pp.Finalize();
    ASSERT_EQ(pp.Tabs()->Count(), 1);
    EXPECT_EQ(pp.Tabs()->Get(0)->PositionTW, 500);
    EXPECT_EQ(pp.FMarkerTabTw, 800);
  });
  // Tab stops are bounded, and a deep nesting copies no more than that many per group.
  ReadAndInspect("{\\rtf1" + Repeat("\\tx1", 1000) + Repeat("{", 2000) + Repeat("}", 2000) + "}", [](TRVRTFReader& r) {
    EXPECT_EQ(r.RTFState()->ParaProps()->Tabs()->Count(), TRVRTFReader::MaxTabStops);
  });
}

// ---- the state ----

TEST(RTFParserStateTest, ParagraphResetKeepsNestingOnlyWhenAsked) {
  TRVRTFParaProperties pp;
  pp.FNestingLevel = 2;
  pp.FInTable = true;
  pp.Reset();
  EXPECT_EQ(pp.FNestingLevel, 1);
  EXPECT_FALSE(pp.FInTable);
  pp.FNestingLevel = 2;
  pp.FInTable = true;
  pp.NoResetLev = true;
  pp.NoTableEv = true;
  pp.Reset();
  EXPECT_EQ(pp.FNestingLevel, 2);
  EXPECT_TRUE(pp.FInTable);
  EXPECT_FALSE(pp.NoResetLev);
  EXPECT_FALSE(pp.NoTableEv);
}

TEST(RTFParserStateTest, ShadingBlendsWithWhite) {
  TRVRTFParaProperties pp;
  pp.Shading = 5000;
  pp.ForeColor = 0;
  pp.Finalize();
  EXPECT_EQ(pp.FColor, 0x7F7F7F);
  EXPECT_EQ(pp.Shading, 0);
}

TEST(RTFParserStateTest, AssignCopiesPresenceOfSubObjects) {
  TRVRTFReaderState a, b;
  a.ParaProps()->CurrentTab()->PositionTW = 100;
  a.ParaProps()->Tabs()->AddNew();
  a.CharProps()->FFontName = u"Symbol";
  a.rds = rdsFldInst;
  a.FBmkStartName = u"kept";
  a.DefFontIndex = 3;
  a.RowProps();
  b.Assign(a);
  EXPECT_TRUE(b.ParaProps()->HasTabs());
  EXPECT_EQ(b.ParaProps()->Tabs()->Get(0)->PositionTW, 100);
  EXPECT_TRUE(b.HasRowProps());
  EXPECT_TRUE(b.CharProps()->FFontName.empty());
  EXPECT_EQ(b.rds, rdsFldInst);
  EXPECT_TRUE(b.FBmkStartName.empty());
  EXPECT_EQ(b.DefFontIndex, -1);
  TRVRTFReaderState c;
  b.Assign(c);
  EXPECT_FALSE(b.ParaProps()->HasTabs());
  EXPECT_FALSE(b.HasRowProps());
}
