// Lists in the RTF reader: old-style paragraph numbering with its section defaults, the list
// table, the list override table, the lists made from overrides, and the bounds on levels and
// indexes taken from the file.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "RTFEventRecorder.h"
#include "formats/rtf/RVRTFListTables.h"
#include "formats/rtf/RVRTFReader.h"
#include "formats/rtf/RVRTFReaderState.h"
#include "platform/base/SysUtils.h"

namespace {

// Reads body and hands the paragraph properties of each text event to check.
int CheckParagraphs(const std::string& body, const std::function<void(TRVRTFReader&, TRVRTFParaProperties&)>& check,
                    bool Markers = false) {
  TRVRTFReader reader(nullptr);
  int seen = 0;
  reader.OnNewText = [&](TObject*, const TRVAnsiString&, TRVRTFPosition) {
    ++seen;
    check(reader, *reader.RTFState()->ParaProps());
  };
  if (Markers) reader.OnUpdateMarker = [](TObject*) {};
  EXPECT_EQ(TRTFEventRecorder::Read(reader, "{\\rtf1 " + body + "}"), rtf_ec_OK) << body;
  return seen;
}

TEST(RTFLists, OldStyleMarkerTakesTheSectionDefault) {
  EXPECT_EQ(CheckParagraphs("{\\*\\pnseclvl1\\pnucrm\\pnstart1\\pnindent720}"
                            "\\pard{\\*\\pn\\pnlvl1\\pnb{\\pntxta .}{\\pntxtb (}}A\\par\\pard B\\par",
                            [](TRVRTFReader&, TRVRTFParaProperties& para) {
                              if (!para.HasMarker()) return;  // the paragraph after "\pard"
                              const TRVRTFMarkerProperties& m = *para.MarkerProps();
                              EXPECT_EQ(m.FListType, rtf_pn_UpperRoman);
                              EXPECT_EQ(m.FStart, 1);
                              EXPECT_EQ(m.FIndentTw, 720);
                              EXPECT_EQ(m.FLevel, 1);
                              EXPECT_EQ(m.FTextAfter, u".");
                              EXPECT_EQ(m.FTextBefore, u"(");
                              EXPECT_TRUE(m.FFontStyle.Contains(fsBold));
                              EXPECT_TRUE(m.FDefinedProperties.Contains(rtfmp_Bold));
                              EXPECT_TRUE(m.FDefinedProperties.Contains(rtfmp_Start));
                            }),
            2);
  // "\pard" drops the marker.
  int withMarker = 0;
  CheckParagraphs("\\pard{\\pn\\pnlvlblt}A\\par\\pard B\\par",
                  [&](TRVRTFReader&, TRVRTFParaProperties& para) { withMarker += para.HasMarker(); });
  EXPECT_EQ(withMarker, 1);
}

// Undefined marker properties follow the text at the paragraph mark; defined ones stay.
TEST(RTFLists, MarkerUpdateFollowsTheText) {
  CheckParagraphs(
      "\\pard{\\pn\\pnlvlbody\\pndec\\pnf2\\pnfs21\\pnb0}\\fs30\\b\\i A\\par",
      [](TRVRTFReader& reader, TRVRTFParaProperties& para) {
        ASSERT_TRUE(para.HasMarker());
        const TRVRTFMarkerProperties& m = *para.MarkerProps();
        EXPECT_EQ(m.FLevel, 10);
        EXPECT_EQ(m.FFontSize, 10);  // 21 half points, halves to even
        EXPECT_FALSE(m.FFontStyle.Contains(fsBold));
        EXPECT_TRUE(m.FFontStyle.Contains(fsItalic));
        (void)reader;
      },
      true);
  CheckParagraphs(
      "\\pard{\\pn\\pnlvlbody\\pnf2}\\fs30 A\\par",
      [](TRVRTFReader& reader, TRVRTFParaProperties& para) {
        ASSERT_TRUE(para.HasMarker());
        EXPECT_EQ(para.MarkerProps()->FFontSize, 15);
        EXPECT_NE(para.MarkerProps()->FFontIndex, reader.RTFState()->CharProps()->FFontIndex + 1000);
        EXPECT_TRUE(para.MarkerProps()->FDefinedProperties.Contains(rtfmp_FontIndex));
      },
      true);
}

const char* const ListTable =
    "{\\*\\listtable"
    "{\\list\\listtemplateid5\\listsimple0{\\listlevel\\levelnfc0\\levelstartat3\\leveljc1\\levelfollow1\\li360\\fi-360"
    "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
    "{\\listlevel\\levelnfc4\\b\\fs21\\li720{\\leveltext}{\\levelnumbers}}{\\listname Outline;}\\listid7}"
    "{\\list\\listid9{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}}}}"
    "{\\*\\listoverridetable"
    "{\\listoverride\\listid7\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid9\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat4}\\ls2}"
    "{\\listoverride\\listid7\\listoverridecount1{\\lfolevel\\listoverrideformat{\\listlevel\\levelnfc23\\fi-180}}"
    "\\ls3}"
    "{\\listoverride\\listid99\\listoverridecount1{\\lfolevel\\listoverrideformat{\\listlevel\\levelnfc23}}\\ls4}}";

TEST(RTFLists, ListAndOverrideTables) {
  TRVRTFReader reader(nullptr);
  reader.OnNewUnicodeText = [](TObject*, const TRVUnicodeString&, TRVRTFPosition) {};
  ASSERT_EQ(TRTFEventRecorder::Read(reader, std::string("{\\rtf1 ") + ListTable + "}"), rtf_ec_OK);
  TRVRTFListTable97& lists = *reader.ListTable();
  ASSERT_EQ(lists.Count(), 2);
  TRVRTFList97& outline = *lists.Get(0);
  EXPECT_EQ(outline.FId, 7);
  EXPECT_FALSE(outline.FSimple);
  EXPECT_EQ(outline.FName, "Outline;");
  ASSERT_EQ(outline.Count(), 2);
  const TRVRTFListLevel97& first = *outline.Items(0);
  EXPECT_EQ(first.FText, (TRVUnicodeString{2, 0, u'.'}));
  EXPECT_EQ(first.FNumbers, "\x01;");  // cut to the length byte and one more
  EXPECT_EQ(first.FListType, rtf_pn_Decimal);
  EXPECT_EQ(first.FStart, 3);
  EXPECT_EQ(first.FAlignment, rtf_al_Center);
  EXPECT_EQ(first.FFollow, rtf_lf_Space);
  EXPECT_EQ(first.FLeftIndentTw, 360);
  EXPECT_EQ(first.FFirstIndentTw, -360);
  EXPECT_TRUE(first.FDefinedProperties97.Contains(rtfmp_Text));
  EXPECT_TRUE(first.FDefinedProperties97.Contains(rtfmp_LeftIndent));
  const TRVRTFListLevel97& second = *outline.Items(1);
  EXPECT_TRUE(second.FText.empty());
  EXPECT_TRUE(second.FNumbers.empty());
  EXPECT_EQ(second.FListType, rtf_pn_LowerLetter);
  EXPECT_EQ(second.FFontSize, 10);
  EXPECT_TRUE(second.FFontSizeDefined);
  EXPECT_TRUE(second.FFontStyle.Contains(fsBold));
  EXPECT_EQ(lists.Get(1)->Items(0)->FText, (TRVUnicodeString{1, 0x2022}));

  TRVRTFListOverrideTable97& overrides = *reader.ListOverrideTable();
  ASSERT_EQ(overrides.Count(), 4);
  EXPECT_EQ(overrides.Get(0)->FListIndex, 0);
  EXPECT_EQ(overrides.Get(0)->FNumber, 1);
  EXPECT_EQ(overrides.Get(1)->FListIndex, 1);
  ASSERT_EQ(overrides.Get(1)->Count(), 1);
  EXPECT_TRUE(overrides.Get(1)->Get(0)->FUseStart);
  EXPECT_EQ(overrides.Get(1)->Get(0)->FStart, 4);
  EXPECT_FALSE(overrides.Get(1)->HasFormatOverride());
  EXPECT_TRUE(overrides.Get(2)->HasFormatOverride());
  EXPECT_EQ(overrides.Get(3)->FListIndex, -1);  // no list with id 99

  // Only the override that changes a format and names a list gets a list of its own.
  reader.CreateListsFromOverrides();
  ASSERT_EQ(lists.Count(), 3);
  EXPECT_EQ(overrides.Get(0)->FListIndex, 0);
  EXPECT_EQ(overrides.Get(2)->FListIndex, 2);
  EXPECT_EQ(overrides.Get(3)->FListIndex, -1);
  TRVRTFList97& made = *lists.Get(2);
  ASSERT_EQ(made.Count(), 2);
  EXPECT_EQ(made.Items(0)->FListType, rtf_pn_Bullet);
  EXPECT_EQ(made.Items(0)->FFirstIndentTw, -180);
  EXPECT_EQ(made.Items(0)->FLeftIndentTw, 360);  // not defined by the override: the base list's
  EXPECT_EQ(made.Items(0)->FText, first.FText);
  EXPECT_EQ(made.Items(1)->FListType, rtf_pn_LowerLetter);
  EXPECT_EQ(made.Items(1)->FFontSize, 10);
}

TEST(RTFLists, ParagraphReferencesAreBounded) {
  const struct {
    const char* Words;
    int OverrideIndex, Level;
  } cases[] = {
      {"\\ls1\\ilvl1", 0, 1}, {"\\ls3\\ilvl8", 2, 8},          {"\\ls5\\ilvl0", -1, 0},
      {"\\ls2\\ilvl9", 1, 8}, {"\\ls2\\ilvl2000000000", 1, 8}, {"\\ls2\\ilvl-1", 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Words);
    EXPECT_EQ(CheckParagraphs(std::string(ListTable) + "\\pard" + c.Words + " A\\par",
                              [&](TRVRTFReader&, TRVRTFParaProperties& para) {
                                EXPECT_EQ(para.FListOverrideIndex, c.OverrideIndex);
                                EXPECT_EQ(para.FListLevel, c.Level);
                              }),
              1);
  }
}

// Section and marker levels outside 1 to 11 are ignored instead of indexing past the defaults.
TEST(RTFLists, OldStyleLevelsOutOfRangeAreIgnored) {
  const struct {
    const char* Body;
    int Level;
    TRVRTFParaListType Type;
  } cases[] = {
      {"{\\pnseclvl12\\pnucrm}{\\pnseclvl0\\pnucrm}{\\pnseclvl-3\\pnucrm}\\pard{\\pn\\pnlvl1}A", 1, rtf_pn_Default},
      {"{\\pnseclvl11\\pnlcltr}\\pard{\\pn\\pnlvlblt}A", 11, rtf_pn_LowerLetter},
      {"{\\pnseclvl2\\pnlcltr}\\pard{\\pn\\pnlvl12\\pnlvl0\\pnlvl-1}A", 0, rtf_pn_Default},
      {"{\\pnseclvl2\\pnlcltr}\\pard{\\pn\\pnlvl2147483647\\pnlvl2}A", 2, rtf_pn_LowerLetter},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Body);
    EXPECT_EQ(CheckParagraphs(std::string(c.Body) + "\\par",
                              [&](TRVRTFReader&, TRVRTFParaProperties& para) {
                                ASSERT_TRUE(para.HasMarker());
                                EXPECT_EQ(para.MarkerProps()->FLevel, c.Level);
                                EXPECT_EQ(para.MarkerProps()->FListType, c.Type);
                              }),
              1);
  }
}

// Lists whose tables are emptied or never opened under them, lists with too many levels, and
// level words outside a level: nothing is read past what exists.
TEST(RTFLists, MalformedListTablesAreReadSafely) {
  const char* const bodies[] = {
      "{\\*\\listtable{\\list{\\listlevel{\\listtable}\\levelnfc23{\\leveltext\\'01x;}}\\listid1}}",
      "{\\*\\listoverridetable{\\listoverride{\\listoverridetable}\\ls1{\\lfolevel\\listoverrideformat}}}",
      "{\\*\\listoverridetable{\\listoverride{\\lfolevel{\\listoverridetable}\\levelstartat2{\\listlevel\\b}}}}",
      "{\\list{\\listlevel\\levelnfc3}}{\\lfolevel}{\\leveltext x}{\\listoverride\\ls2}\\levelfollow7",
      "{\\*\\listtable{\\list\\listid1{\\listlevel\\levelfollow7\\levelfollow-1}}}",
  };
  for (const char* body : bodies) {
    SCOPED_TRACE(body);
    TRVRTFReader reader(nullptr);
    EXPECT_EQ(TRTFEventRecorder::Read(reader, std::string("{\\rtf1 ") + body + " A\\par}"), rtf_ec_OK);
    reader.CreateListsFromOverrides();
    for (int i = 0; i < reader.ListTable()->Count(); ++i)
      for (int j = 0; j < reader.ListTable()->Get(i)->Count(); ++j)
        EXPECT_EQ(reader.ListTable()->Get(i)->Items(j)->FFollow, rtf_lf_Tab);
  }
  std::string levels;
  for (int i = 0; i < 20; ++i) levels += "{\\listlevel\\li" + std::to_string(i) + "}";
  TRVRTFReader reader(nullptr);
  ASSERT_EQ(TRTFEventRecorder::Read(reader, "{\\rtf1 {\\*\\listtable{\\list" + levels + "\\listid3}}}"), rtf_ec_OK);
  ASSERT_EQ(reader.ListTable()->Count(), 1);
  EXPECT_EQ(reader.ListTable()->Get(0)->Count(), TRVRTFList97::MaxLevelCount);
  EXPECT_EQ(reader.ListTable()->Get(0)->FId, 3);
}

TEST(RTFLists, MissingLevelsAreMadeFromTheLastOne) {
  TRVRTFList97 list;
  list.AddNew()->FLeftIndentTw = 360;
  TRVRTFListLevel97& second = *list.AddNew();
  second.FLeftIndentTw = 720;
  second.FFirstIndentTw = -360;
  second.FListType = rtf_pn_LowerRoman;
  EXPECT_EQ(list.Get(4)->FLeftIndentTw, 2880);
  ASSERT_EQ(list.Count(), 5);
  const int indents[] = {360, 720, 1440, 2160, 2880};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list.Items(i)->FLeftIndentTw, indents[i]);
  EXPECT_EQ(list.Items(3)->FFirstIndentTw, -360);
  EXPECT_EQ(list.Items(3)->FListType, rtf_pn_LowerRoman);
  EXPECT_THROW(list.Get(9), EListError);
  EXPECT_THROW(list.Get(-1), EListError);
  EXPECT_EQ(list.Count(), 5);
}

}  // namespace
