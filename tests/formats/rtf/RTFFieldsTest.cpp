// Fields in the RTF reader: the instruction and its result, the field kinds the reader makes
// objects of (SEQ, PAGE, NUMPAGES, DOCPROPERTY Pages, SYMBOL, INCLUDEPICTURE), and the first
// argument of an instruction.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RTFEventRecorder.h"
#include "RTFTestRead.h"
#include "formats/rtf/RVRTFReader.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"

namespace {

std::string FieldGroup(const std::string& instruction, const std::string& result) {
  return "{\\field{\\*\\fldinst " + instruction + "}{\\fldrslt " + result + "}}";
}

// A document of one field.
std::string Field(const std::string& instruction, const std::string& result) {
  return "{\\rtf1 " + FieldGroup(instruction, result) + "}";
}

// What the control word "\probe" in a document sees: the field code and whether the text around
// it is read.
struct Probe {
  std::vector<std::u16string> Codes;
  std::vector<bool> Read;
  explicit Probe(TRVRTFReader& reader) {
    reader.OnTranslateKeyword = [this, &reader](TObject*, const TRVAnsiString& keyword, int, bool, TRVAnsiString&,
                                                bool&) {
      if (keyword != "probe") return;
      Codes.push_back(reader.RTFState()->FieldCode());
      Read.push_back(reader.RTFState()->rds == rdsNorm);
    };
  }
};

}  // namespace

TEST(RTFFieldsTest, FirstArgumentOfAnInstruction) {
  TRVRTFReader reader(nullptr);
  struct Case {
    const char16_t* Code;
    bool IgnorePrefixes;
    const char16_t* Value;
    int Start, Len;
  };
  const Case cases[] = {
      {u"HYPERLINK \"http://a.b/c d\" \\o \"tip\"", true, u"http://a.b/c d", 11, 16},
      {u"HYPERLINK \\l \"Name\"", true, u"Name", 14, 6},
      {u"HYPERLINK \\l \"Name\"", false, u"", 0, 0},
      {u"HYPERLINK \\\\server", false, u"", 0, 0},
      {u"INCLUDEPICTURE pic.png \\d", false, u"pic.png", 16, 7},
      {u"SEQ Figure \\* ROMAN", true, u"Figure", 5, 6},
      {u" leading", true, u"leading", 2, 7},
      {u"X \"", true, u"\"", 3, 1},
      {u"X \"unterminated", true, u"unterminate", 3, 13},
      {u"NOARG", true, u"", 0, 0},
      {u"", true, u"", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(UnicodeToUtf8(c.Code));
    int start = -1, len = -1;
    EXPECT_EQ(reader.GetFieldCommandValueEx(c.Code, start, len, c.IgnorePrefixes), c.Value);
    EXPECT_EQ(start, c.Start);
    EXPECT_EQ(len, c.Len);
  }
  EXPECT_TRUE(reader.IsHyperlinkField(u"HYPERLINK \"x\""));
  EXPECT_TRUE(reader.IsHyperlinkField(u"PAGEREF _Toc1"));
  EXPECT_FALSE(reader.IsHyperlinkField(u" HYPERLINK"));
  EXPECT_FALSE(reader.IsHyperlinkField(u"hyperlink"));
  EXPECT_TRUE(reader.IsMergeField(u"MERGEFIELD Name"));
}

TEST(RTFFieldsTest, HyperlinkCodeTravelsIntoTheResult) {
  TRVRTFReader reader(nullptr);
  Probe probe(reader);
  ASSERT_EQ(ReadString(reader, Field("HYPERLINK \"http://x.org/\"", "\\probe click") + "\\probe"), rtf_ec_OK);
  ASSERT_EQ(probe.Codes.size(), 1u);  // the second probe lies after the outermost group
  EXPECT_EQ(probe.Codes[0], u"HYPERLINK \"http://x.org/\"");
  EXPECT_TRUE(probe.Read[0]);
  // An instruction written in pieces, with Unicode and 8-bit characters in the document's code page.
  probe.Codes.clear();
  ASSERT_EQ(ReadString(reader,
                       "{\\rtf1\\ansicpg1251 {\\field{\\*\\fldinst {HYPERLINK }{\"\\'cf\\u1088?\"}}"
                       "{\\fldrslt \\probe x}}}"),
            rtf_ec_OK);
  ASSERT_EQ(probe.Codes.size(), 1u);
  EXPECT_EQ(probe.Codes[0], u"HYPERLINK \"Пр\"");
  // Double-byte characters of the document's code page.
  probe.Codes.clear();
  ASSERT_EQ(ReadString(reader,
                       "{\\rtf1\\ansicpg932 {\\field{\\*\\fldinst HYPERLINK \"\\'93\\'fa\\'96\\'7b\"}"
                       "{\\fldrslt \\probe x}}}"),
            rtf_ec_OK);
  ASSERT_EQ(probe.Codes.size(), 1u);
  EXPECT_EQ(probe.Codes[0], u"HYPERLINK \"日本\"");
  // Other fields do not hand their code to the result.
  probe.Codes.clear();
  ASSERT_EQ(ReadString(reader, Field("DATE \\@ \"d\"", "\\probe 1")), rtf_ec_OK);
  ASSERT_EQ(probe.Codes.size(), 1u);
  EXPECT_EQ(probe.Codes[0], u"");
}

TEST(RTFFieldsTest, PageAndPageCountFieldsReplaceTheirResult) {
  struct Case {
    const char* Instruction;
    bool Count;
    TRVRTFPageNumberType Type;
  };
  const Case cases[] = {
      {"PAGE", false, rtf_pntDefault},
      {"PAGE \\\\* roman", false, rtf_pntLowerRoman},
      {"PAGE \\\\* ArabicDash", false, rtf_pntDecimalDash},
      {"PAGE \\\\* Arabic \\\\* MERGEFORMAT", false, rtf_pntDecimal},
      {" page \\\\*ALPHABETIC", false, rtf_pntUpperAlpha},
      {"NUMPAGES", true, rtf_pntDefault},
      {"NUMPAGES \\\\* ROMAN", true, rtf_pntUpperRoman},
      {"DOCPROPERTY Pages", true, rtf_pntDecimal},
      {"DOCPROPERTY \"Pages\" \\\\* roman", true, rtf_pntDecimal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Instruction);
    TRVRTFReader reader(nullptr);
    Probe probe(reader);
    std::vector<std::pair<bool, TRVRTFPageNumberType>> seen;
    reader.OnNewPageNumber = [&](TObject*, TRVRTFPosition, TRVRTFPageNumberType t) { seen.emplace_back(false, t); };
    reader.OnNewPageCount = [&](TObject*, TRVRTFPosition, TRVRTFPageNumberType t) { seen.emplace_back(true, t); };
    ASSERT_EQ(ReadString(reader, Field(c.Instruction, "\\probe 1")), rtf_ec_OK);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, c.Count);
    EXPECT_EQ(seen[0].second, c.Type);
    ASSERT_EQ(probe.Read.size(), 1u);
    EXPECT_FALSE(probe.Read[0]);  // the result is skipped
  }
  // PAGEREF is no page number; without a handler the result is read.
  TRVRTFReader reader(nullptr);
  Probe probe(reader);
  int raised = 0;
  reader.OnNewPageNumber = [&](TObject*, TRVRTFPosition, TRVRTFPageNumberType) { ++raised; };
  ASSERT_EQ(ReadString(reader, "{\\rtf1 " + FieldGroup("PAGEREF _Toc1 \\\\h", "\\probe 3") +
                                   FieldGroup("NUMPAGES", "\\probe 9") + "}"),
            rtf_ec_OK);
  EXPECT_EQ(raised, 0);
  EXPECT_EQ(probe.Read, (std::vector<bool>{true, true}));
}

TEST(RTFFieldsTest, SequenceFields) {
  struct Case {
    const char* Instruction;
    const char16_t* Name;
    TRVRTFSeqType Type;
    bool Reset;
    int StartFrom;
  };
  const Case cases[] = {
      {"SEQ Figure \\\\* ROMAN \\\\r 5", u"Figure", rtf_seqUpperRoman, true, 5},
      {"SEQ Table", u"Table", rtf_seqDecimal, false, 0},
      {"SEQ \"My list\" \\\\*alphabetic", u"My list", rtf_seqLowerAlpha, false, 0},
      {"SEQ X \\\\r 99999999999999", u"X", rtf_seqDecimal, true, 0x7FFFFFFF},
      {"SEQ X \\\\r x", u"X", rtf_seqDecimal, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Instruction);
    TRVRTFReader reader(nullptr);
    Probe probe(reader);
    int raised = 0;
    reader.OnNewSeq = [&](TObject*, TRVRTFPosition, const TRVUnicodeString& name, TRVRTFSeqType type, bool reset,
                          int startFrom) {
      ++raised;
      EXPECT_EQ(name, c.Name);
      EXPECT_EQ(type, c.Type);
      EXPECT_EQ(reset, c.Reset);
      if (c.Reset) {
        EXPECT_EQ(startFrom, c.StartFrom);
      }
    };
    ASSERT_EQ(ReadString(reader, Field(c.Instruction, "\\probe 1")), rtf_ec_OK);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(probe.Read, std::vector<bool>{false});
  }
}

TEST(RTFFieldsTest, HandlerErrorsLeaveTheResultToBeRead) {
  TRVRTFReader reader(nullptr);
  Probe probe(reader);
  reader.OnNewSeq = [](TObject*, TRVRTFPosition, const TRVUnicodeString&, TRVRTFSeqType, bool, int) {
    throw EConvertError(u"refused");
  };
  reader.OnNewPageNumber = [](TObject*, TRVRTFPosition, TRVRTFPageNumberType) { throw EReadError(u"refused"); };
  ASSERT_EQ(ReadString(reader, "{\\rtf1 " + FieldGroup("SEQ A", "\\probe 1") + FieldGroup("PAGE", "\\probe 2") + "}"),
            rtf_ec_OK);
  EXPECT_EQ(probe.Read, (std::vector<bool>{true, true}));
}

TEST(RTFFieldsTest, BadSymbolFieldsAreIgnoredAndTheirResultRead) {
  const char* instructions[] = {
      "SYMBOL abc \\\\f \"Symbol\"",           // code is not a number
      "SYMBOL 183 \\\\f \"Symbol\" \\\\s x1",  // size is not a number
      "SYMBOL 183 \\\\f Symbol",               // font name not quoted
      "SYMBOL 183 \\\\f \"Symbol",             // closing quote missing
      "SYMBOL -5 \\\\s 10",                    // code out of range
      "SYMBOL 99999999999 \\\\s 10",           // code beyond an integer
      "SYMBOL 183 \\\\s 1e400",                // size beyond a font's
      "SYMBOL",                                // nothing after it
  };
  for (const char* instruction : instructions) {
    SCOPED_TRACE(instruction);
    TRVRTFReader reader(nullptr);
    Probe probe(reader);
    int fontSize = 0;
    reader.OnEndParsing = [&](TObject*) { fontSize = reader.RTFState()->CharProps()->FSizeDouble; };
    ASSERT_EQ(ReadString(reader, Field(instruction, "\\probe x") + ""), rtf_ec_OK);
    EXPECT_EQ(probe.Read, std::vector<bool>{true});
    EXPECT_EQ(fontSize, 24);  // the size is put back
  }
}

TEST(RTFFieldsTest, SymbolFieldsInsertTheirCharacter) {
  struct Case {
    const char* Instruction;
    const char* Events;
    const char* FontName;
    int Size;
  };
  const Case cases[] = {
      {"SYMBOL 183 \\\\f \"Symbol\" \\\\s 10", "P\"\xb7\" | C\"r\"", "Symbol", 20},
      {"SYMBOL 65 \\\\s 10.5", "P\"A\" | C\"r\"", "", 21},
      {"SYMBOL 8364 \\\\u", "uP\"\xe2\x82\xac\" | C\"r\"", "", 24},
      {"SYMBOL 300 \\\\f \"Wingdings\"", "P\"r\"", "", 0},  // beyond a byte without "\u": nothing
      {"SYMBOL 183 \\\\f Symbol", "P\"r\"", "", 0},         // font name not quoted: nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Instruction);
    TRVRTFReader reader(nullptr);
    TRTFEventRecorder rec;
    rec.Attach(reader, std::string(c.Instruction).find("\\\\u") != std::string::npos);
    std::vector<std::pair<std::u16string, int>> fonts;
    rec.OnTextSeen = [&](TRVRTFReader& r) {
      fonts.emplace_back(r.RTFState()->CharProps()->FFontName, r.RTFState()->CharProps()->FSizeDouble);
    };
    ASSERT_EQ(ReadString(reader, Field(c.Instruction, "r")), rtf_ec_OK);
    EXPECT_EQ(rec.Joined(), c.Events);
    ASSERT_FALSE(fonts.empty());
    if (c.Size) {
      EXPECT_EQ(fonts[0].first, Utf8ToUnicode(c.FontName));
      EXPECT_EQ(fonts[0].second, c.Size);
    }
    // The result is read in the size and font it had.
    EXPECT_EQ(fonts.back().first, u"");
    EXPECT_EQ(fonts.back().second, 24);
  }
}

namespace {

struct FieldPicture {
  bool HasRecord;
  int Width;
  std::u16string FileName;
};

}  // namespace

TEST(RTFFieldsTest, IncludedPicturesComeFromTheirPath) {
  const std::u16string base = Utf8ToUnicode(std::string(TAVRELO_TEST_DATA) + "/pictures/");
  const std::string resultPicture = "{\\pict\\macpict 01}";
  struct Case {
    const char* Name;
    std::string Instruction;
    std::vector<bool> Records;  // one entry a reported picture: true for the result's own
  };
  const Case cases[] = {
      {"relative path", "INCLUDEPICTURE \"rgba3x2.png\" \\\\* MERGEFORMAT", {false}},
      {"leading separator", "INCLUDEPICTURE \"\\\\\\\\rgba3x2.png\"", {false}},
      {"percent-encoded", "INCLUDEPICTURE \"rgba%33x2.png\" \\\\d", {false}},
      {"import", "\\\\IMPORT rgba3x2.png", {false}},
      {"missing file: the result's picture", "INCLUDEPICTURE \"nothing.png\"", {true}},
      {"not a picture: the result's picture", "INCLUDEPICTURE \"make_fixtures.py\"", {true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TRVRTFReader reader(nullptr);
    reader.BasePath = base;
    std::vector<FieldPicture> seen;
    reader.OnNewPicture = [&](TObject*, TRVRTFPicture* pic, TGraphic* graphic, TRVRTFPosition,
                              const TRVUnicodeString& fileName, bool& inserted) {
      std::unique_ptr<TGraphic> owned(graphic);
      seen.push_back({pic != nullptr, graphic ? graphic->GetWidth() : -1, fileName});
      inserted = true;
    };
    ASSERT_EQ(ReadString(reader, Field(c.Instruction, resultPicture)), rtf_ec_OK);
    ASSERT_EQ(seen.size(), c.Records.size());
    EXPECT_EQ(seen[0].HasRecord, c.Records[0]);
    if (!c.Records[0]) {
      EXPECT_EQ(seen[0].Width, 3);
      EXPECT_EQ(seen[0].FileName, base + u"rgba3x2.png");
    }
  }
}

TEST(RTFFieldsTest, ImportHandlerGivesThePathAndMayCallThePictureInvalid) {
  struct Case {
    const char* Name;
    std::string Instruction;
    std::u16string Location;
  };
  const Case cases[] = {
      {"relative", "INCLUDEPICTURE \"a\\\\\\\\\\\\\\\\b.png\"", u"/base/a\\b.png"},
      {"drive letter", "INCLUDEPICTURE \"C:\\\\\\\\x.png\"", u"C:\\x.png"},
      {"file url", "INCLUDEPICTURE \"file:///tmp/x.png\"", u"/tmp/x.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    for (const bool resultHasPicture : {true, false}) {
      TRVRTFReader reader(nullptr);
      reader.BasePath = u"/base/";
      std::vector<std::u16string> locations;
      reader.OnImportPicture = [&](TObject*, const TRVUnicodeString& location, TGraphic*& graphic, bool& invalid) {
        locations.push_back(location);
        graphic = new TBitmap(5, 4);
        invalid = true;
      };
      std::vector<std::pair<bool, int>> seen;  // record, width
      reader.OnNewPicture = [&](TObject*, TRVRTFPicture* pic, TGraphic* graphic, TRVRTFPosition,
                                const TRVUnicodeString&, bool& inserted) {
        seen.emplace_back(pic != nullptr, graphic ? graphic->GetWidth() : -1);
        if (pic) delete graphic;    // an embedded picture's graphic is always the handler's
        inserted = pic == nullptr;  // takes the field's picture over
        if (!pic) delete graphic;
      };
      ASSERT_EQ(ReadString(reader, Field(c.Instruction, resultHasPicture ? "{\\pict\\macpict 01}" : "r")), rtf_ec_OK);
      ASSERT_FALSE(locations.empty());
      EXPECT_EQ(locations[0], c.Location);
      // The invalid picture is used only when the result brings none of its own.
      const std::vector<std::pair<bool, int>> expected = resultHasPicture
                                                             ? std::vector<std::pair<bool, int>>{{true, -1}, {false, 5}}
                                                             : std::vector<std::pair<bool, int>>{{false, 5}};
      EXPECT_EQ(seen, expected);
    }
  }
}
