// Tables and borders in the RTF reader: table events from nesting levels, rows and cells, merged
// cells, widths, shading, borders, and the bounds taken from hostile input.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "RTFEventRecorder.h"
#include "formats/rtf/RVRTFReader.h"
#include "formats/rtf/RVRTFReaderState.h"
#include "formats/rtf/RVRTFTableProps.h"

namespace {

struct TTableCase {
  const char* Name;
  const char* Body;  // inside "{\rtf1 ... }"
  const char* Expected;
};

const TTableCase TableCases[] = {
    {"one row", "\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row\\pard C\\par",
     "table:start | P\"A\" | cell:end | P\"B\" | cell:end | row:end | table:end | P\"C\""},
    {"empty cell", "\\trowd\\cellx1000\\pard\\intbl\\cell\\row\\pard C",
     "table:start | P\"\" | cell:end | row:end | table:end | P\"C\""},
    {"document ends after the row", "\\trowd\\cellx1000\\pard\\intbl A\\cell\\row",
     "table:start | P\"A\" | cell:end | row:end | table:forced-end"},
    {"text between the last cell and the row end", "\\pard\\intbl A\\cell X\\row\\pard B",
     "table:start | P\"A\" | cell:end | row:end | table:end | P\"B\""},
    {"two rows", "\\pard\\intbl A\\cell\\row\\pard\\intbl B\\cell\\row\\pard C",
     "table:start | P\"A\" | cell:end | row:end | P\"B\" | cell:end | row:end | table:end | P\"C\""},
    {"nested table",
     "\\trowd\\cellx2000\\pard\\intbl A\\par\\pard\\itap2 B\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}"
     "\\pard\\intbl C\\cell\\row\\pard D\\par",
     "table:start | P\"A\" | table:start | P\"B\" | cell:end | row:end | table:end | P\"C\" | cell:end | row:end | "
     "table:end | P\"D\""},
    {"itap starts two tables at once", "\\pard\\itap2 A\\nestcell\\nestrow\\pard C",
     "table:start | table:start | P\"A\" | cell:end | row:end | table:end | table:end | P\"C\""},
    {"paragraph over tables raises no end", "\\pard\\intbl A\\cell\\row\\pard\\absnoovrlp B\\par",
     "table:start | P\"A\" | cell:end | row:end | P\"B\" | table:forced-end"},
    {"tables of a header end with it", "{\\header\\pard\\intbl H\\cell\\row}",
     "hf:header+ | table:start | P\"H\" | cell:end | row:end | table:end | hf:header-"},
    {"tables of a note end with it", "A{\\footnote\\pard\\intbl N\\cell\\row}B",
     "P\"A\" | note:start@C | table:start | P\"N\" | cell:end | row:end | P\"\" | table:end | note:end@C | C\"B\""},
    {"note inside a cell keeps the cell's table open", "\\pard\\intbl A{\\footnote N}B\\cell\\row",
     "table:start | P\"A\" | note:start@C | P\"N\" | note:end@C | C\"B\" | cell:end | row:end | table:forced-end"},
    // Levels from the file are bounded: a negative "\itap" is no level, not a negative one.
    {"negative itap", "\\pard\\intbl A\\cell\\row\\pard\\intbl\\itap-5 B\\par\\pard\\intbl C",
     "table:start | P\"A\" | cell:end | row:end | table:end | P\"B\" | table:start | P\"C\" | table:forced-end"},
};

TEST(RTFTables, EventsFollowNestingLevels) {
  for (const TTableCase& c : TableCases) {
    SCOPED_TRACE(c.Name);
    TRVRTFReader reader(nullptr);
    TRTFEventRecorder rec;
    rec.Attach(reader);
    EXPECT_EQ(TRTFEventRecorder::Read(reader, std::string("{\\rtf1 ") + c.Body + "}"), rtf_ec_OK);
    EXPECT_EQ(rec.Joined(), c.Expected);
  }
}

// The text a cell end flushes is reported while EndingCell is set; no other text is.
TEST(RTFTables, EndingCellMarksTheFlushOfACellEnd) {
  TRVRTFReader reader(nullptr);
  TRTFEventRecorder rec;
  rec.Attach(reader);
  std::string ending;
  rec.OnTextSeen = [&](TRVRTFReader& r) { ending += r.EndingCell() ? "1" : "0"; };
  EXPECT_EQ(TRTFEventRecorder::Read(reader, "{\\rtf1 \\pard\\intbl A\\par B\\cell\\cell\\row\\pard C}"), rtf_ec_OK);
  EXPECT_EQ(rec.Joined(), "table:start | P\"A\" | P\"B\" | cell:end | P\"\" | cell:end | row:end | table:end | P\"C\"");
  EXPECT_EQ(ending, "0110");
  EXPECT_FALSE(reader.EndingCell());
}

// Reads body and hands the row properties in force at each row end to check.
int CheckRows(const std::string& body, const std::function<void(TRVRTFRowProperties&)>& check) {
  TRVRTFReader reader(nullptr);
  int rows = 0;
  reader.OnTable = [&](TObject*, TRVRTFTableEventKind k, bool&) {
    if (k != rvf_tbl_RowEnd) return;
    ++rows;
    check(*reader.RTFState()->RowProps());
  };
  EXPECT_EQ(TRTFEventRecorder::Read(reader, "{\\rtf1 " + body + "}"), rtf_ec_OK) << body;
  return rows;
}

TEST(RTFTables, RowAndCellDefinitions) {
  EXPECT_EQ(CheckRows("\\trowd\\trgaph108\\trleft-108\\trrh-300\\trqc\\trhdr\\cellx1000\\clvmgf\\clmgf\\cellx2000"
                      "\\clvmrg\\clmrg\\clvertalc\\cltxbtlr\\cellx3000\\pard\\intbl A\\cell\\row",
                      [](TRVRTFRowProperties& row) {
                        EXPECT_EQ(row.FGapHTw, 108);
                        EXPECT_EQ(row.FLeftTw, -108);
                        EXPECT_EQ(row.FHeightTw, 300);
                        EXPECT_EQ(row.FAlignment, rtf_al_Center);
                        EXPECT_TRUE(row.FAlignmentDefined);
                        EXPECT_TRUE(row.FHeading);
                        ASSERT_EQ(row.CellProps()->Count(), 3);
                        const int bounds[] = {1000, 2000, 3000};
                        for (int i = 0; i < 3; ++i) EXPECT_EQ(row.CellProps()->Get(i)->FRightBoundaryTw, bounds[i]);
                        EXPECT_EQ(row.CellProps()->Get(1)->FVMerge, rtf_cm_First);
                        EXPECT_EQ(row.CellProps()->Get(1)->FHMerge, rtf_cm_First);
                        EXPECT_EQ(row.CellProps()->Get(2)->FVMerge, rtf_cm_Merged);
                        EXPECT_EQ(row.CellProps()->Get(2)->FHMerge, rtf_cm_Merged);
                        EXPECT_EQ(row.CellProps()->Get(2)->FVAlign, rtf_val_Center);
                        EXPECT_EQ(row.CellProps()->Get(2)->FTextFlow, rtf_ctf_BottomUp);
                      }),
            1);
  // A merge that starts stays the first cell whatever follows for the same cell.
  CheckRows("\\trowd\\clvmgf\\clvmrg\\cellx1000\\pard\\intbl\\cell\\row",
            [](TRVRTFRowProperties& row) { EXPECT_EQ(row.CellProps()->Get(0)->FVMerge, rtf_cm_First); });
  // Padding and spacing go by side (left, top, right, bottom), whatever order their words come in.
  CheckRows(
      "\\trowd\\trpaddl10\\trpaddt20\\trpaddr30\\trpaddb40\\trpaddfl3\\trpaddfb3\\trspdr5\\trspdfr3\\cellx1"
      "\\pard\\intbl\\cell\\row",
      [](TRVRTFRowProperties& row) {
        EXPECT_EQ(row.FPaddingTw[rtf_side_Left], 10);
        EXPECT_EQ(row.FPaddingTw[rtf_side_Top], 20);
        EXPECT_EQ(row.FPaddingTw[rtf_side_Right], 30);
        EXPECT_EQ(row.FPaddingTw[rtf_side_Bottom], 40);
        EXPECT_TRUE(row.FUsePadding[rtf_side_Left] && row.FUsePadding[rtf_side_Bottom]);
        EXPECT_FALSE(row.FUsePadding[rtf_side_Top] || row.FUsePadding[rtf_side_Right]);
        EXPECT_EQ(row.FSpacingTw[rtf_side_Right], 5);
        EXPECT_TRUE(row.FUseSpacing[rtf_side_Right]);
      });
}

// Copies of the row definition share their cells; a group that changes them changes its own copy.
TEST(RTFTables, RowDefinitionsAreScopedByGroups) {
  EXPECT_EQ(CheckRows("\\trowd\\cellx500{\\clshdng5000\\cellx1000\\cellx1500}\\cellx2000\\pard\\intbl\\cell\\row"
                      "{\\trowd\\cellx9000}\\pard\\intbl\\cell\\row",
                      [](TRVRTFRowProperties& row) {
                        ASSERT_EQ(row.CellProps()->Count(), 2);
                        EXPECT_EQ(row.CellProps()->Get(0)->FRightBoundaryTw, 500);
                        EXPECT_EQ(row.CellProps()->Get(1)->FRightBoundaryTw, 2000);
                        EXPECT_EQ(row.CellProps()->Get(1)->FColor, clNone);
                      }),
            2);
}

TEST(RTFTables, WidthsInTwipsPercentsAndPixels) {
  const struct {
    const char* Words;
    int RowWidth, CellWidth;
  } cases[] = {
      {"\\trftsWidth2\\trwWidth2500\\clftsWidth3\\clwWidth900", -2500, 900},
      {"\\trwWidth2500\\trftsWidth2\\clwWidth900\\clftsWidth2", -2500, -900},
      // A repeated percent unit does not turn the width back.
      {"\\trwWidth2500\\trftsWidth2\\trftsWidth2\\clwWidth900\\clftsWidth1", -2500, 0},
      {"\\virozeretbw100\\virozerecbw10", 1500, 150},
      {"\\virozeretbw0\\virozerecbwtw333", 0, 333},
      // Values at the limits of an Integer saturate instead of overflowing.
      {"\\virozeretbw2147483647\\trftsWidth2\\clwWidth-2147483648\\clftsWidth2", -2147483647, 2147483647},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Words);
    EXPECT_EQ(CheckRows(std::string("\\trowd") + c.Words + "\\cellx1000\\pard\\intbl\\cell\\row",
                        [&](TRVRTFRowProperties& row) {
                          EXPECT_EQ(row.FBestWidth, c.RowWidth);
                          EXPECT_EQ(row.CellProps()->Get(0)->FBestWidth, c.CellWidth);
                        }),
              1);
  }
}

TEST(RTFTables, CellShadingIsBlendedAtTheRowEnd) {
  CheckRows("\\trowd\\clshdng2500\\cellx1000\\clshdng10000\\cellx2000\\cellx3000\\pard\\intbl\\cell\\row",
            [](TRVRTFRowProperties& row) {
              // No background is white, the pattern colour black by default.
              EXPECT_EQ(row.CellProps()->Get(0)->FColor, TColor(0xBFBFBF));
              EXPECT_EQ(row.CellProps()->Get(1)->FColor, TColor(0));
              EXPECT_EQ(row.CellProps()->Get(2)->FColor, clNone);
            });
}

// A row with more cell definitions than the cap keeps the cap, the last cell taking the rest; a
// state copy per group then stays small.
TEST(RTFTables, CellDefinitionsAreCapped) {
  std::string cells;
  for (int i = 1; i <= 5000; ++i) cells += "\\cellx" + std::to_string(i);
  EXPECT_EQ(CheckRows("\\trowd" + cells + "\\clvmgf\\pard\\intbl{A}{B}\\cell\\row",
                      [](TRVRTFRowProperties& row) {
                        ASSERT_EQ(row.CellProps()->Count(), TRVRTFReader::MaxCellCount);
                        const TRVRTFCellProperties& last = *row.CellProps()->Get(TRVRTFReader::MaxCellCount - 1);
                        EXPECT_EQ(last.FRightBoundaryTw, 5000);
                        EXPECT_EQ(last.FVMerge, rtf_cm_First);
                      }),
            1);
}

TEST(RTFTables, NestingFromTheFileIsCapped) {
  TRVRTFReader reader(nullptr);
  int starts = 0, ends = 0;
  reader.OnTable = [&](TObject*, TRVRTFTableEventKind k, bool&) {
    starts += k == rvf_tbl_TableStart;
    ends += k == rvf_tbl_TableForcedEnd;
  };
  EXPECT_EQ(TRTFEventRecorder::Read(reader, "{\\rtf1 \\pard\\itap2000000000 A}"), rtf_ec_OK);
  EXPECT_EQ(starts, TRVRTFReader::MaxTableNesting);
  EXPECT_EQ(ends, TRVRTFReader::MaxTableNesting);
}

// A table whose end the handler refuses stays open; the next text of a lower level asks again.
TEST(RTFTables, RefusedTableEndIsAskedAgain) {
  TRVRTFReader reader(nullptr);
  TRTFEventRecorder rec;
  rec.Attach(reader);
  int refusals = 1;
  auto record = reader.OnTable;
  reader.OnTable = [&](TObject* s, TRVRTFTableEventKind k, bool& processed) {
    record(s, k, processed);
    if (k == rvf_tbl_TableEnd && refusals > 0) {
      --refusals;
      processed = false;
    }
  };
  EXPECT_EQ(TRTFEventRecorder::Read(reader, "{\\rtf1 \\pard\\intbl A\\cell\\row\\pard B\\par C}"), rtf_ec_OK);
  EXPECT_EQ(rec.Joined(), "table:start | P\"A\" | cell:end | row:end | table:end | table:end | P\"B\" | P\"C\"");
}

struct TBorderCase {
  const char* Words;
  // Per side (left, top, right, bottom): "-" when the side is absent, else "type/width/space".
  const char* Sides[4];
};

std::string DescribeSide(const TRVRTFBorderSide* s) {
  if (!s) return "-";
  return std::to_string(s->FBorderType) + "/" + std::to_string(s->FWidthTw) + "/" + std::to_string(s->FSpaceTw);
}

TEST(RTFTables, ParagraphBorders) {
  const TBorderCase cases[] = {
      {"\\box\\brdrs\\brdrw15", {"1/15/0", "1/15/0", "1/15/0", "1/15/0"}},
      {"\\brdrl\\brdrs\\brdrw15", {"1/15/0", "-", "-", "-"}},
      {"\\box\\brdrs\\brsp40", {"1/10/40", "1/10/40", "1/10/40", "1/10/40"}},
      {"\\brdrb\\brdrdb\\brdrl\\brdrdot", {"5/10/0", "-", "-", "4/10/0"}},
      // A second type word for a side keeps the first and leaves the other sides alone.
      {"\\brdrl\\brdrs\\brdrdb", {"1/10/0", "-", "-", "-"}},
      // Character and table-grid borders do not reach the paragraph.
      {"\\chbrdr\\brdrs\\brdrw20", {"-", "-", "-", "-"}},
      {"\\trbrdrh\\brdrs", {"-", "-", "-", "-"}},
  };
  for (const TBorderCase& c : cases) {
    SCOPED_TRACE(c.Words);
    TRVRTFReader reader(nullptr);
    bool seen = false;
    reader.OnNewText = [&](TObject*, const TRVAnsiString&, TRVRTFPosition) {
      seen = true;
      TRVRTFParaProperties& para = *reader.RTFState()->ParaProps();
      for (int side = 0; side < 4; ++side)
        EXPECT_EQ(DescribeSide(para.FBorder ? para.FBorder->FindSide(static_cast<TRVRTFSide>(side)) : nullptr),
                  c.Sides[side])
            << side;
    };
    EXPECT_EQ(TRTFEventRecorder::Read(reader, std::string("{\\rtf1 \\pard") + c.Words + " A\\par}"), rtf_ec_OK);
    EXPECT_TRUE(seen);
  }
}

TEST(RTFTables, CellRowAndCharacterBorders) {
  CheckRows(
      "\\trowd\\trbrdrt\\brdrs\\brdrw5\\clbrdrl\\brdrdb\\brdrw7\\clbrdrb\\brdrdot\\cellx1000\\pard\\intbl\\cell\\row",
      [](TRVRTFRowProperties& row) {
        EXPECT_EQ(DescribeSide(row.Border()->FindSide(rtf_side_Top)), "1/5/0");
        EXPECT_EQ(DescribeSide(row.Border()->FindSide(rtf_side_Left)), "-");
        TRVRTFParaBorder& cell = *row.CellProps()->Get(0)->Border();
        EXPECT_EQ(DescribeSide(cell.FindSide(rtf_side_Left)), "4/7/0");
        EXPECT_EQ(DescribeSide(cell.FindSide(rtf_side_Bottom)), "5/10/0");
      });
  TRVRTFReader reader(nullptr);
  reader.OnNewText = [&](TObject*, const TRVAnsiString&, TRVRTFPosition) {
    const TRVRTFCharProperties& chr = *reader.RTFState()->CharProps();
    EXPECT_EQ(chr.FBorderType, rtf_brdr_Single);
    EXPECT_EQ(chr.FBorderWidthTw, 10);
    EXPECT_EQ(chr.FBorderSpacingTw, 20);
  };
  EXPECT_EQ(TRTFEventRecorder::Read(reader, "{\\rtf1 \\chbrdr\\brdrs\\brsp20 A}"), rtf_ec_OK);
}

TEST(RTFTables, TotalBorderWidths) {
  const struct {
    TRVRTFBorderType Type;
    int Total, Additional;
  } cases[] = {
      {rtf_brdr_None, 0, 0},
      {rtf_brdr_Single, 10, 14},
      {rtf_brdr_DoubleWavy, 0, 4},
      {rtf_brdr_DoubleThickness, 20, 24},
      {rtf_brdr_Double, 30, 34},
      {rtf_brdr_Hairline, 1, 5},
      {rtf_brdr_Triple, 50, 54},
      {rtf_brdr_ThickThinSmall, 40, 44},
      {rtf_brdr_ThinThickThinSmall, 70, 74},
      {rtf_brdr_ThickThinLarge, 55, 59},
      {rtf_brdr_ThinThickThinLarge, 80, 84},
      {rtf_brdr_ThinThickThinMed, 30, 34},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Type);
    TRVRTFBorderSide side;
    side.FBorderType = c.Type;
    side.FWidthTw = 10;
    side.FSpaceTw = 4;
    EXPECT_EQ(side.GetTotalBorderWidthTw(), c.Total);
    EXPECT_EQ(side.GetAdditionalSpaceTw(), c.Additional);
  }
  TRVRTFBorderSide huge;
  huge.FBorderType = rtf_brdr_Triple;
  huge.FWidthTw = 2000000000;
  EXPECT_EQ(huge.GetTotalBorderWidthTw(), 2147483647);
}

}  // namespace
