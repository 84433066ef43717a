// The table item model and its cells: defaults, the grid with merged cells and its invariants,
// the walking queries, cell attributes, heights, offsets and what a cell answers for its
// surroundings.
#include <gtest/gtest.h>

#include "engine/editor/RVUndo.h"
#include "engine/foundation/RVError.h"
#include "engine/tables/TableTestUtil.h"
#include "platform/ui/Cursors.h"

namespace {

TEST(TableModel, CreateExDefaults) {
  auto Table = TRVTableItemInfo::CreateEx(3, 4, nullptr);
  EXPECT_EQ(Table->StyleNo, ItemKindTable);
  ASSERT_EQ(Table->RowCount(), 3);
  ASSERT_EQ(Table->ColCount(), 4);
  EXPECT_TRUE(CheckTableInvariants(*Table));
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(Table->GetRows()->GetRow(r)->FVAlign, rvcTop);
    EXPECT_FALSE(Table->GetRows()->GetRow(r)->FPageBreakBefore);
    EXPECT_FALSE(Table->GetRows()->GetRow(r)->FKeepTogether);
    for (int c = 0; c < 4; ++c) {
      TRVTableCellData* Cell = Table->GetCells(r, c);
      ASSERT_NE(Cell, nullptr);
      EXPECT_EQ(Cell->FRowSpan, 1);
      EXPECT_EQ(Cell->FColSpan, 1);
      EXPECT_EQ(Cell->GetVAlign(), rvcVDefault);
      EXPECT_EQ(Cell->GetCellColorProp(), clNone);
      EXPECT_EQ(Cell->GetTable(), Table.get());
      EXPECT_EQ(Cell->ItemCount(), 1);  // one empty paragraph
    }
  }
  const std::pair<TRVTableColorProperty, TColor> colors[] = {{rvtcColor, clWindow},
                                                             {rvtcBorderColor, clWindowText},
                                                             {rvtcBorderLightColor, clBtnHighlight},
                                                             {rvtcCellBorderColor, clWindowText},
                                                             {rvtcCellBorderLightColor, clBtnHighlight},
                                                             {rvtcHeadingRowColor, clNone},
                                                             {rvtcLastRowColor, clNone},
                                                             {rvtcOddRowsColor, clNone},
                                                             {rvtcEvenRowsColor, clNone},
                                                             {rvtcFirstColumnColor, clNone},
                                                             {rvtcLastColumnColor, clNone},
                                                             {rvtcOddColumnsColor, clNone},
                                                             {rvtcEvenColumnsColor, clNone},
                                                             {rvtcVRuleColor, clWindowText},
                                                             {rvtcHRuleColor, clWindowText},
                                                             {rvtcCellOverrideColor, clNone}};
  for (auto [prop, value] : colors) {
    EXPECT_EQ(Table->GetColor(prop), value) << int(prop);
    EXPECT_EQ(TRVTableItemInfo::GetDefaultColorValue(prop), value) << int(prop);
  }
  EXPECT_EQ(clWindow, TColor(0xFF000005));
  EXPECT_EQ(Table->GetHeadingRowCount(), 0);
  EXPECT_EQ(Table->GetRowBandSize(), 1);
  EXPECT_EQ(Table->GetColBandSize(), 1);
  EXPECT_EQ(Table->GetOpacity(), 100000);
  EXPECT_EQ(Table->GetBackgroundStyle(), rvbsColor);
  EXPECT_EQ(Table->GetBackgroundImage(), nullptr);
  EXPECT_EQ(Table->GetOptions(),
            (TRVTableOptions{rvtoEditing, rvtoRowSizing, rvtoColSizing, rvtoRowSelect, rvtoColSelect}));
  EXPECT_EQ(Table->GetPrintOptions(), (TRVTablePrintOptions{rvtoHalftoneBorders, rvtoRowsSplit}));
  EXPECT_EQ(Table->GetBestWidth(), 0);
  EXPECT_EQ(Table->GetTextRowSeparator(), u"\r\n");
  EXPECT_EQ(Table->GetTextColSeparator(), u"\r\n");
  EXPECT_EQ(Table->GetBorderWidth(), 0);
  EXPECT_EQ(Table->GetBorderStyle(), rvtbRaised);
  EXPECT_EQ(Table->GetBorderVSpacing(), 2);
  EXPECT_EQ(Table->GetBorderHSpacing(), 2);
  EXPECT_TRUE(Table->GetVisibleBorders()->IsAllEqual(true));
  EXPECT_EQ(Table->GetCellHPadding(), 1);
  EXPECT_EQ(Table->GetCellVPadding(), 1);
  EXPECT_EQ(Table->GetCellPadding(), 1);
  EXPECT_EQ(Table->GetCellBorderStyle(), rvtbLowered);
  EXPECT_EQ(Table->GetCellBorderWidth(), 0);
  EXPECT_EQ(Table->GetCellVSpacing(), 2);
  EXPECT_EQ(Table->GetCellHSpacing(), 2);
  EXPECT_EQ(Table->GetVRuleWidth(), 0);
  EXPECT_EQ(Table->GetHRuleWidth(), 0);
  EXPECT_FALSE(Table->GetVOutermostRule());
  EXPECT_FALSE(Table->GetHOutermostRule());
  EXPECT_EQ(Table->FState, (TRVTableStates{rvtsJustCreated, rvtsModified}));
  int sr, sc, ro, co;
  Table->GetSelectionBounds(sr, sc, ro, co);
  EXPECT_EQ(sr, -1);
  EXPECT_EQ(sc, -1);
  EXPECT_EQ(ro, 0);
  EXPECT_EQ(co, 0);
  EXPECT_EQ(Table->FocusedCellRow, -1);
  EXPECT_EQ(Table->ChosenCellCol, -1);
  EXPECT_EQ(Table->GetFormattingInfo()->Rows, nullptr);
  EXPECT_EQ(GetScreenCursor(crRVSelectCol), LoadCursorResource(u"RV_SELECTCOL_CURSOR"));
  EXPECT_EQ(GetScreenCursor(crRVSelectRow), LoadCursorResource(u"RV_SELECTROW_CURSOR"));
}

TEST(TableModel, OneByOneAndEmptyGrids) {
  TRVTableItemInfo Single(nullptr);
  EXPECT_EQ(Single.RowCount(), 1);
  EXPECT_EQ(Single.ColCount(), 1);
  EXPECT_EQ(Single.StyleNo, ItemKindTable);

  auto None = TRVTableItemInfo::CreateEx(0, 3, nullptr);
  EXPECT_EQ(None->ColCount(), 0);
  EXPECT_TRUE(None->GetRows()->Empty());
  auto NoColumns = TRVTableItemInfo::CreateEx(2, 0, nullptr);
  EXPECT_TRUE(NoColumns->GetRows()->Empty());
  EXPECT_FALSE(Single.GetRows()->Empty());
}

TEST(TableModel, MergeTwoByTwoInThreeByThree) {
  auto Table = TRVTableItemInfo::CreateEx(3, 3, nullptr);
  TRVTableCellData* TopLeft = Table->GetCells(0, 0);
  ASSERT_TRUE(Table->GetRows()->CanMergeCells(0, 0, 2, 2, false));
  Table->GetRows()->MergeCells(0, 0, 2, 2, false, false);
  EXPECT_TRUE(CheckTableInvariants(*Table));
  EXPECT_EQ(Table->GetCells(1, 1), nullptr);
  int mr = -1, mc = -1;
  EXPECT_EQ(Table->GetRows()->GetMainCell(1, 1, mr, mc), TopLeft);
  EXPECT_EQ(mr, 0);
  EXPECT_EQ(mc, 0);
  TRVTableCellData* Corner = Table->GetCells(2, 2);
  EXPECT_EQ(Table->GetRows()->GetMainCell(2, 2, mr, mc), Corner);
  EXPECT_EQ(mr, 2);
  EXPECT_EQ(mc, 2);
  // A rectangle cutting through the merged cell cannot be merged.
  EXPECT_FALSE(Table->GetRows()->CanMergeCells(1, 1, 2, 2, true));
  EXPECT_FALSE(Table->GetRows()->CanMergeCells(0, 1, 2, 1, true));
}

// A grid whose nil position no cell covers (damaged data) is reported by the check, and the walk
// to the main cell answers nothing instead of leaving the grid.
TEST(TableModel, BrokenGridIsFoundAndWalkedSafely) {
  auto Table = TRVTableItemInfo::CreateEx(2, 2, nullptr);
  std::unique_ptr<TRVTableCellData> Taken(Table->GetCells(1, 1));
  Table->GetRows()->GetRow(1)->PutCell(1, nullptr);
  EXPECT_FALSE(CheckTableInvariants(*Table));
  int mr = 0, mc = 0;
  EXPECT_EQ(Table->GetRows()->GetMainCell(1, 1, mr, mc), nullptr);
  EXPECT_EQ(mr, -1);
  EXPECT_EQ(mc, -1);
  EXPECT_FALSE(Table->GetRows()->CanMergeCells(0, 0, 2, 2, true));
  Table->GetRows()->GetRow(1)->PutCell(1, Taken.release());
  EXPECT_TRUE(CheckTableInvariants(*Table));
  // A cell reaching outside the grid is caught too.
  Table->GetCells(0, 1)->FRowSpan = 3;
  EXPECT_FALSE(CheckTableInvariants(*Table));
}

TEST(TableModel, CanMergeCellsKeepsRowsAndColumnsOfTheirOwn) {
  auto Three = TRVTableItemInfo::CreateEx(3, 3, nullptr);
  EXPECT_TRUE(Three->GetRows()->CanMergeCells(0, 0, 2, 2, false));
  auto Two = TRVTableItemInfo::CreateEx(2, 2, nullptr);
  EXPECT_FALSE(Two->GetRows()->CanMergeCells(0, 0, 2, 2, false));
  EXPECT_TRUE(Two->GetRows()->CanMergeCells(0, 0, 2, 2, true));
  // 3 x 2 whose cell (0, 1) spans all three rows: merging (0, 0) with (1, 0) leaves row 1
  // without a cell of its own.
  auto Tall = TRVTableItemInfo::CreateEx(3, 2, nullptr);
  Tall->GetRows()->MergeCells(0, 1, 1, 3, true, false);
  ASSERT_TRUE(CheckTableInvariants(*Tall));
  ASSERT_EQ(Tall->GetCells(0, 1)->FRowSpan, 3);
  EXPECT_FALSE(Tall->GetRows()->CanMergeCells(0, 0, 1, 2, false));
  EXPECT_TRUE(Tall->GetRows()->CanMergeCells(0, 0, 1, 2, true));
  // One position is nothing to merge; a covered top-left position cannot start a merge.
  EXPECT_FALSE(Three->GetRows()->CanMergeCells(1, 1, 1, 1, true));
  EXPECT_FALSE(Tall->GetRows()->CanMergeCells(1, 1, 1, 2, true));
}

TEST(TableModel, NormalizeMergeRect) {
  auto Table = TRVTableItemInfo::CreateEx(3, 3, nullptr);
  int ColSpan = 1, RowSpan = 5;
  EXPECT_FALSE(Table->GetRows()->NormalizeMergeRect(2, 0, ColSpan, RowSpan));
  EXPECT_EQ(RowSpan, 1);
  ColSpan = 9;
  RowSpan = 9;
  EXPECT_TRUE(Table->GetRows()->NormalizeMergeRect(1, 1, ColSpan, RowSpan));
  EXPECT_EQ(ColSpan, 2);
  EXPECT_EQ(RowSpan, 2);
  // Nothing left of a span, with some span still above 1: the parameters are wrong.
  ColSpan = 0;
  RowSpan = 3;
  EXPECT_THROW(Table->GetRows()->NormalizeMergeRect(0, 0, ColSpan, RowSpan), EViroZereError);
}

struct TMerge {
  int Top, Left, ColSpan, RowSpan;
  bool AllowMergeRC;
  bool Merges;  // whether the merge takes place
};

struct TMergeCase {
  const char* Name;
  int Rows, Cols;
  std::vector<TMerge> Merges;
};

TEST(TableModel, InvariantsHoldAfterEveryMerge) {
  const TMergeCase cases[] = {
      {"row of three", 3, 3, {{0, 0, 3, 1, true, true}}},
      {"column of three", 3, 3, {{0, 0, 1, 3, true, true}}},
      {"whole table", 3, 3, {{0, 0, 3, 3, true, true}}},
      {"whole table, cells kept", 3, 3, {{0, 0, 3, 3, false, false}}},
      {"two blocks then both", 4, 4, {{0, 0, 2, 2, true, true}, {2, 2, 2, 2, true, true}, {0, 0, 4, 4, true, true}}},
      {"block then overlapping", 4, 4, {{1, 1, 2, 2, true, true}, {0, 0, 2, 2, true, false}, {0, 1, 2, 3, true, true}}},
      {"merge grown in steps", 4, 4, {{0, 0, 2, 1, true, true}, {0, 0, 2, 2, true, true}, {0, 0, 3, 3, true, true}}},
      {"clipped at the edges", 3, 3, {{1, 1, 9, 9, true, true}, {0, 0, 1, 9, true, true}}},
      {"same rectangle twice", 3, 3, {{0, 0, 2, 2, false, true}, {0, 0, 2, 2, false, false}}},
      {"cutting a merged cell refused",
       3,
       3,
       {{0, 1, 2, 1, true, true}, {0, 0, 2, 2, true, false}, {1, 0, 3, 2, true, true}}},
  };
  for (const TMergeCase& tc : cases) {
    SCOPED_TRACE(tc.Name);
    auto Table = TRVTableItemInfo::CreateEx(tc.Rows, tc.Cols, nullptr);
    for (const TMerge& m : tc.Merges) {
      SCOPED_TRACE(testing::Message() << "merge at (" << m.Top << "," << m.Left << ") " << m.ColSpan << "x"
                                      << m.RowSpan);
      TRVTableCellData* Before = Table->GetCells(m.Top, m.Left);
      const int OldRowSpan = Before ? Before->FRowSpan : 0, OldColSpan = Before ? Before->FColSpan : 0;
      Table->GetRows()->MergeCells(m.Top, m.Left, m.ColSpan, m.RowSpan, m.AllowMergeRC, false);
      ASSERT_TRUE(CheckTableInvariants(*Table));
      TRVTableCellData* After = Table->GetCells(m.Top, m.Left);
      const bool Merged = After && (After->FRowSpan != OldRowSpan || After->FColSpan != OldColSpan);
      EXPECT_EQ(Merged, m.Merges);
      if (m.Merges) {
        EXPECT_EQ(After->FColSpan, std::min(m.ColSpan, tc.Cols - m.Left));
        EXPECT_EQ(After->FRowSpan, std::min(m.RowSpan, tc.Rows - m.Top));
      }
    }
  }
}

TEST(TableModel, MergingMovesTextAndCombinesBestWidths) {
  TTableDoc d;
  TRVTableItemInfo* Table = d.AddTable(2, 3, [](int r, int c) {
    return r == 1 && c == 1 ? std::u16string() : std::u16string(1, char16_t(u'a' + r * 3 + c));
  });
  Table->GetCells(0, 0)->SetBestWidth(30);
  Table->GetCells(0, 1)->SetBestWidth(40);
  Table->GetCells(1, 0)->SetBestWidth(100);
  Table->GetRows()->MergeCells(0, 0, 2, 2, true, true);
  ASSERT_TRUE(CheckTableInvariants(*Table));
  // The empty cell adds nothing; the others' paragraphs follow in row order.
  EXPECT_EQ(CellText(Table->GetCells(0, 0)), u"a/b/d");
  // Per row the fixed widths add up (70, 100); the larger row wins.
  EXPECT_EQ(Table->GetCells(0, 0)->GetBestWidth(), 100);
  // A percentage beats a fixed width; of two percentages the larger wins.
  Table->GetCells(0, 2)->SetBestWidth(-20);
  Table->GetCells(1, 2)->SetBestWidth(-30);
  Table->GetRows()->MergeCells(0, 0, 3, 2, true, true);
  ASSERT_TRUE(CheckTableInvariants(*Table));
  EXPECT_EQ(Table->GetCells(0, 0)->GetBestWidth(), -30);
  EXPECT_EQ(CellText(Table->GetCells(0, 0)), u"a/b/d/c/f");
}

TEST(TableModel, CellPaddingAndItsStorage) {
  TRVTableItemInfo Table(nullptr);
  struct {
    TRVStyleLength H, V, Mean;
    bool HStored, VStored, BothStored;
  } cases[] = {
      {1, 1, 1, false, false, false}, {1, 2, 2, false, true, false}, {2, 3, 2, true, true, false},
      {3, 3, 3, false, false, true},  {3, 1, 2, true, false, false}, {4, 5, 4, true, true, false},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.H << "," << c.V);
    Table.SetCellHPadding(c.H);
    Table.SetCellVPadding(c.V);
    EXPECT_EQ(Table.GetCellPadding(), c.Mean);
    EXPECT_EQ(Table.IsCellHPaddingStored(), c.HStored);
    EXPECT_EQ(Table.IsCellVPaddingStored(), c.VStored);
    EXPECT_EQ(Table.IsCellPaddingStored(), c.BothStored);
  }
  Table.SetCellPadding(7);
  EXPECT_EQ(Table.GetCellHPadding(), 7);
  EXPECT_EQ(Table.GetCellVPadding(), 7);
}

TEST(TableModel, RowHeightsIgnoreCellsSpanningRows) {
  auto Table = TRVTableItemInfo::CreateEx(2, 2, nullptr);
  Table->GetRows()->MergeCells(0, 0, 1, 2, true, false);
  Table->GetRows()->MergeCells(0, 1, 1, 2, true, false);
  ASSERT_TRUE(CheckTableInvariants(*Table));
  Table->GetCells(0, 0)->SetBestHeight(50);
  TRVTableRow* Row = Table->GetRows()->GetRow(0);
  EXPECT_EQ(Row->GetHeight(nullptr), 10);
  EXPECT_EQ(Row->GetBestHeight(), 0);

  auto Plain = TRVTableItemInfo::CreateEx(1, 2, nullptr);
  Plain->GetCells(0, 0)->SetBestHeight(25);
  Plain->GetCells(0, 1)->SetBestHeight(40);
  Plain->GetCells(0, 1)->DocumentHeight = 12;
  EXPECT_EQ(Plain->GetRows()->GetRow(0)->GetBestHeight(), 40);
  EXPECT_EQ(Plain->GetRows()->GetRow(0)->GetHeight(nullptr), 40);
}

TEST(TableModel, PublishedPropertiesAreDescribed) {
  const TClassInfo& Info = TRVTableItemInfo::StaticClassInfo();
  for (const char16_t* Name :
       {u"Color", u"CellOverrideColor", u"HeadingRowCount", u"Opacity", u"Options", u"PrintOptions", u"BestWidth",
        u"TextRowSeparator", u"BorderStyle", u"VisibleBorders", u"CellPadding", u"CellHPadding", u"VOutermostRule"})
    EXPECT_NE(Info.FindProperty(Name), nullptr);
  const TClassInfo& CellInfo = TRVTableCellData::StaticClassInfo();
  for (const char16_t* Name : {u"Color", u"Opacity", u"BestWidth", u"BestHeight", u"VAlign", u"Rotation", u"Hint",
                               u"Tag", u"Options", u"VisibleBorders", u"BackgroundImageFileName"})
    EXPECT_NE(CellInfo.FindProperty(Name), nullptr);
}

// ---- cells ----

TEST(TableCell, HasData) {
  TTableDoc d;
  TRVTableItemInfo* Table = d.AddTable(1, 1);
  TRVTableCellData* Cell = Table->GetCells(0, 0);
  EXPECT_FALSE(Cell->HasData(true));
  EXPECT_FALSE(Cell->HasData(false));
  Cell->GetItem(0)->StyleNo = 2;  // empty text of another style
  EXPECT_TRUE(Cell->HasData(true));
  EXPECT_FALSE(Cell->HasData(false));
  Cell->GetItem(0)->StyleNo = 0;
  Cell->GetItem(0)->ParaNo = 1;
  EXPECT_TRUE(Cell->HasData(true));
  Cell->Clear();
  EXPECT_FALSE(Cell->HasData(true));
  Cell->AddNL(u"x", 0, 0);
  EXPECT_TRUE(Cell->HasData(false));
  Cell->AddNL(u"", 0, 0);
  EXPECT_TRUE(Cell->HasData(true));  // two items
}

TEST(TableCell, VerticalAlignmentAndOffsets) {
  auto Table = TRVTableItemInfo::CreateEx(1, 1, nullptr);
  TRVTableCellData* Cell = Table->GetCells(0, 0);
  TRVTableRow* Row = Table->GetRows()->GetRow(0);
  Row->FVAlign = rvcVDefault;
  EXPECT_EQ(Cell->GetRealVAlign(), rvcMiddle);
  Row->FVAlign = rvcBottom;
  EXPECT_EQ(Cell->GetRealVAlign(), rvcBottom);
  Cell->SetVAlign(rvcTop);
  EXPECT_EQ(Cell->GetRealVAlign(), rvcTop);

  Cell->FHeight = 100;
  Cell->DocumentHeight = 40;
  struct {
    TRVCellVAlign VAlign;
    TRVDocRotation Rotation;
    int Expected;
  } cases[] = {{rvcTop, rvrotNone, 0}, {rvcBottom, rvrotNone, 58}, {rvcMiddle, rvrotNone, 29}, {rvcBottom, rvrot90, 0}};
  for (auto& c : cases) {
    Cell->SetVAlign(c.VAlign);
    Cell->SetRotation(c.Rotation);
    EXPECT_EQ(Cell->GetExtraVOffs(), c.Expected) << int(c.VAlign) << " " << int(c.Rotation);
  }
  Cell->SetRotation(rvrotNone);
  // A 41-pixel document leaves an odd gap: halved toward zero.
  Cell->SetVAlign(rvcMiddle);
  Cell->DocumentHeight = 41;
  EXPECT_EQ(Cell->GetExtraVOffs(), 29 - 1);
}

TEST(TableCell, MinimalWidthAndContentHeight) {
  TTableDoc d;
  TRVTableItemInfo* Table = d.AddTable(1, 3, [](int, int c) { return c == 0 ? u"" : u"abcd efg"; });
  d.Para(1)->LeftIndent = 15;
  d.Para(1)->RightIndent = 7;
  d.Para(1)->FirstIndent = 3;
  TRVTableCellData* Empty = Table->GetCells(0, 0);
  EXPECT_EQ(Empty->GetMinWidth(nullptr, nullptr), 0);  // paragraph style 0 has no indents
  Empty->GetItem(0)->ParaNo = 1;
  EXPECT_EQ(Empty->GetMinWidth(nullptr, nullptr), 25);
  TRVTableCellData* Text = Table->GetCells(0, 1);
  EXPECT_EQ(Text->GetMinWidth(nullptr, nullptr), 40);  // the longest word
  Text->SetRotation(rvrot90);
  EXPECT_EQ(Text->GetMinWidth(nullptr, nullptr), 0);
  Text->SetRotation(rvrotNone);
  Text->Clear();
  EXPECT_EQ(Text->GetMinWidth(nullptr, nullptr), 0);

  TRVTableCellData* Cell = Table->GetCells(0, 2);
  Cell->DocumentHeight = 40;
  EXPECT_EQ(Cell->GetCellHeight(nullptr), 40);
  Cell->SetBestHeight(25);
  EXPECT_EQ(Cell->GetCellHeight(nullptr), 40);  // the content is taller
  Cell->SetBestHeight(55);
  EXPECT_EQ(Cell->GetCellHeight(nullptr), 55);
  Cell->SetBestHeight(25);
  Table->SetOptions(Table->GetOptions() + rvtoIgnoreContentHeight);
  EXPECT_EQ(Cell->GetCellHeight(nullptr), 25);
  Cell->SetBestHeight(0);
  EXPECT_EQ(Cell->GetCellHeight(nullptr), 40);  // no best height: the content counts again
  Cell->SetRotation(rvrot270);
  EXPECT_EQ(Cell->GetCellHeight(nullptr), 0);
}

TEST(TableCell, CoordinatesBetweenCellAndTable) {
  TTableDoc d;
  d.Doc.AddNL(u"abc", 0, 0);
  TRVTableItemInfo* Table = d.AddTable(2, 2);
  Table->SetCellHPadding(3);
  Table->SetCellVPadding(2);
  d.Doc.Format(false);
  int ItemLeft = 0, ItemTop = 0;
  ASSERT_TRUE(d.Doc.GetItemCoords(1, ItemLeft, ItemTop));
  EXPECT_EQ(ItemTop, 10);  // below the first line
  TRVTableCellData* Cell = Table->GetCells(1, 1);
  Cell->FLeft = 50;
  Cell->FTop = 20;
  Cell->FWidth = 40;
  Cell->FHeight = 30;
  Cell->SetVAlign(rvcTop);
  Table->MyClientLeft = 7;
  Table->MyClientTop = 9;
  EXPECT_EQ(Cell->GetWidth(), 40 - 6);
  EXPECT_EQ(Cell->GetHeight(), 30 - 4);
  EXPECT_EQ(Cell->GetAreaWidth(), 34);
  EXPECT_EQ(Cell->GetHOffs(), -3 - 7 - 50);
  EXPECT_EQ(Cell->GetVOffs(), -2 - 9 - 20);
  int Left = 0, Top = 0;
  Cell->GetOrigin(Left, Top);
  EXPECT_EQ(Left, ItemLeft + 3 + 50);
  EXPECT_EQ(Top, ItemTop + 2 + 20);
  // Bottom alignment moves the content by the alignment offset.
  Cell->SetVAlign(rvcBottom);
  Cell->DocumentHeight = 10;
  const int Extra = Cell->GetExtraVOffs();
  EXPECT_EQ(Extra, 30 - 10 - 4);
  EXPECT_EQ(Cell->GetVOffs(), -2 - 9 - Extra - 20);
  Cell->GetOriginEx(Left, Top);
  EXPECT_EQ(Top, ItemTop + 2 + 20 + Extra);
}

TEST(TableCell, AnswersThroughItsRowAndTheTableDocument) {
  TTableDoc d;
  TRVTableItemInfo* Table = d.AddTable(2, 2);
  TRVTableCellData* Cell = Table->GetCells(1, 0);
  EXPECT_EQ(Cell->GetParentData(), &d.Doc);
  EXPECT_EQ(Cell->GetAbsoluteParentData(), &d.Doc);
  EXPECT_EQ(Cell->GetRootData(), &d.Doc);
  EXPECT_EQ(Cell->GetAbsoluteRootData(), &d.Doc);
  EXPECT_EQ(Cell->GetRVStyle(), &d.Sheet);
  EXPECT_EQ(Cell->GetFlags(), (TRVFlags{rvflTrim, rvflMouseXYAlwaysCorrect, rvflCanUseCustomPPI}));
  try {
    Cell->SetFlags(TRVFlags{});
    ADD_FAILURE() << "setting the flags of a cell succeeded";
  } catch (const EViroZereError& e) {
    EXPECT_EQ(e.Message(), u"This method is not supported for TRVItemFormattedData");
  }
  EXPECT_EQ(Cell->GetLeftMargin(), 0);
  EXPECT_EQ(Cell->GetVSmallStep(), 0);
  EXPECT_FALSE(Cell->SupportsPageBreaks());
  int ItemNo = -2;
  TRVStoreSubRVData* Location = nullptr;
  Cell->GetParentInfo(ItemNo, Location);
  EXPECT_EQ(ItemNo, 0);
  auto* Pos = dynamic_cast<TRVTableStoreSubRVData*>(Location);
  ASSERT_NE(Pos, nullptr);
  EXPECT_EQ(Pos->Row, 1);
  EXPECT_EQ(Pos->Col, 0);
  Table->GetRows()->GetRow(1)->FKeepTogether = true;
  EXPECT_TRUE(Cell->KeepTogether());
}

TEST(TableCell, NestedCellsReachTheOuterDocument) {
  TTableDoc d;
  TRVTableItemInfo* Outer = d.AddTable(1, 2);
  TRVTableCellData* OuterCell = Outer->GetCells(0, 1);
  auto InnerOwned = TRVTableItemInfo::CreateEx(2, 1, OuterCell);
  TRVTableItemInfo* Inner = InnerOwned.get();
  OuterCell->AddItem(u"", std::move(InnerOwned));
  TRVTableCellData* InnerCell = Inner->GetCells(1, 0);
  EXPECT_EQ(InnerCell->GetParentData(), OuterCell);
  EXPECT_EQ(InnerCell->GetRootData(), &d.Doc);
  EXPECT_EQ(InnerCell->GetAbsoluteRootData(), &d.Doc);
  EXPECT_EQ(InnerCell->GetRVStyle(), &d.Sheet);
  EXPECT_EQ(Inner->GetRVStyle(), &d.Sheet);
  EXPECT_EQ(Inner->GetMyItemNo(), 1);  // after the cell's empty paragraph
  int ItemNo = -2;
  TRVStoreSubRVData* Location = nullptr;
  InnerCell->GetParentInfo(ItemNo, Location);
  EXPECT_EQ(ItemNo, 1);
  EXPECT_EQ(static_cast<TRVTableStoreSubRVData*>(Location)->Row, 1);
}

TEST(TableCell, CellsInAnUndoRecord) {
  TTableDoc d;
  TRVTableItemInfo* Table = d.AddTable(1, 2);
  TRVTableCellData* Cell = Table->GetCells(0, 1);
  Table->FLastCellMovedAbove = Cell;
  TRVUndoInfo Record;
  Cell->MovingToUndoList(&Record);
  EXPECT_EQ(Table->FLastCellMovedAbove, nullptr);
  EXPECT_EQ(Cell->FList, nullptr);
  EXPECT_EQ(Cell->GetTable(), nullptr);
  EXPECT_EQ(Cell->ContainerUndoItem, &Record);
  EXPECT_EQ(Cell->GetMarkers(true), nullptr);
  EXPECT_EQ(Cell->GetSeqList(true), nullptr);
  EXPECT_EQ(Cell->GetPrintFieldList(true), nullptr);
  EXPECT_EQ(Cell->GetFlags(), TRVFlags{});
  Cell->MovingFromUndoList();
  EXPECT_EQ(Cell->ContainerUndoItem, nullptr);
  Table->GetRows()->GetRow(0)->PutCell(1, Cell);
  EXPECT_EQ(Cell->GetTable(), Table);
  EXPECT_TRUE(CheckTableInvariants(*Table));
}

TEST(TableCell, AttributesUnitsAndLineOrder) {
  auto Table = TRVTableItemInfo::CreateEx(1, 2, nullptr);
  TRVTableCellData* Source = Table->GetCells(0, 0);
  TRVTableCellData* Target = Table->GetCells(0, 1);
  Source->SetBestWidth(100);
  Source->SetBestHeight(50);
  Source->SetColor(0x123456);
  Source->SetHint(u"hint");
  Source->GetVisibleBorders()->SetValues(false, true, true, false);
  Target->AssignAttributesFrom(Source, true, 3, 2);
  EXPECT_EQ(Target->GetBestWidth(), 33);
  EXPECT_EQ(Target->GetBestHeight(), 25);
  EXPECT_EQ(Target->GetCellColorProp(), 0x123456);
  EXPECT_EQ(Target->GetHint(), u"hint");
  EXPECT_TRUE(Target->GetVisibleBorders()->IsEqual2(false, true, true, false));
  Target->AssignAttributesFrom(Source, false, 1, 1);
  EXPECT_EQ(Target->GetBestWidth(), 33);

  TRVStyle Sheet(nullptr);
  Source->SetBestWidth(-50);
  Source->SetBestHeight(15);
  Source->ConvertToDifferentUnits(rvstuTwips, &Sheet, false);
  EXPECT_EQ(Source->GetBestWidth(), -50);
  EXPECT_EQ(Source->GetBestHeight(), Sheet.GetAsDifferentUnits(15, rvstuTwips));
  EXPECT_NE(Source->GetBestHeight(), 15);

  // Two lines of 10 and 20 pixels: reversed, the first line's top goes to 20 and the second's to 0.
  Source->DocumentHeight = 30;
  EXPECT_EQ(Source->GetTransformedY(0, 0, 10), 0);
  Source->SetCellOptions(TRVTableCellOptions{rvtcoReverseLineOrder});
  EXPECT_TRUE(Source->IsLineOrderReversed());
  EXPECT_EQ(Source->GetTransformedY(0, 0, 10), 20);
  EXPECT_EQ(Source->GetTransformedY(10, 10, 30), 0);

  Source->ResetProperties();
  EXPECT_EQ(Source->GetCellColorProp(), clNone);
  EXPECT_EQ(Source->GetCellOptions(), TRVTableCellOptions{});
  EXPECT_TRUE(Source->GetVisibleBorders()->IsAllEqual(true));
}

TEST(TableCell, BackgroundPictureComesAndGoes) {
  auto Table = TRVTableItemInfo::CreateEx(1, 1, nullptr);
  TRVTableCellData* Cell = Table->GetCells(0, 0);
  TBitmap Picture;
  Picture.SetSize(4, 3);
  for (int WhoIsIt = 0; WhoIsIt < 2; ++WhoIsIt) {
    SCOPED_TRACE(WhoIsIt ? "table" : "cell");
    auto SetImage = [&](TGraphic* g) { WhoIsIt ? Table->SetBackgroundImage(g) : Cell->SetBackgroundImage(g); };
    auto SetStyle = [&](TRVItemBackgroundStyle v) {
      WhoIsIt ? Table->SetBackgroundStyle(v) : Cell->SetBackgroundStyle(v);
    };
    auto Background = [&] { return WhoIsIt ? Table->GetBackground() : Cell->GetBackground(); };
    auto Style = [&] { return WhoIsIt ? Table->GetBackgroundStyle() : Cell->GetBackgroundStyle(); };
    auto HasImage = [&] { return WhoIsIt ? Table->HasBackgroundImage() : Cell->HasBackgroundImage(); };
    EXPECT_EQ(Background(), nullptr);
    SetStyle(rvbsTiled);
    ASSERT_NE(Background(), nullptr);  // a picture style alone keeps the object
    EXPECT_EQ(Style(), rvbsTiled);
    EXPECT_FALSE(HasImage());
    SetImage(&Picture);
    EXPECT_TRUE(HasImage());
    SetStyle(rvbsColor);
    EXPECT_NE(Background(), nullptr);  // the picture keeps it
    SetImage(nullptr);
    EXPECT_EQ(Background(), nullptr);
    EXPECT_EQ(Style(), rvbsColor);
  }
}

TEST(TableCell, WhatLiesBehindAnItem) {
  struct TCase {
    const char* Name;
    std::function<void(TTableDoc&, TRVTableItemInfo&, TRVTableCellData&)> Setup;
    bool UseBitmap;
    TColor Color;  // checked without a bitmap
  };
  const TCase cases[] = {
      {"table colour under an empty cell", [](TTableDoc&, TRVTableItemInfo&, TRVTableCellData&) {}, false, clWindow},
      {"opaque cell colour", [](TTableDoc&, TRVTableItemInfo&, TRVTableCellData& c) { c.SetColor(0x00FF00); }, false,
       0x00FF00},
      {"opaque paragraph background",
       [](TTableDoc& d, TRVTableItemInfo&, TRVTableCellData& c) {
         d.Para(1)->Background()->Color = 0x0000FF;
         c.GetItem(0)->ParaNo = 1;
         c.SetColor(0x00FF00);
       },
       false, 0x0000FF},
      {"band colour of the cell",
       [](TTableDoc&, TRVTableItemInfo& t, TRVTableCellData&) { t.SetColor(rvtcCellOverrideColor, 0x112233); }, false,
       0x112233},
      {"selected table",
       [](TTableDoc& d, TRVTableItemInfo&, TRVTableCellData& c) {
         c.SetColor(0x00FF00);
         d.Doc.State.Include(rvstCompletelySelected);
       },
       false, clHighlight},
      {"semi-transparent cell over the table",
       [](TTableDoc&, TRVTableItemInfo&, TRVTableCellData& c) {
         c.SetColor(0x00FF00);
         c.SetOpacity(50000);
       },
       true, clNone},
  };
  for (const TCase& tc : cases) {
    SCOPED_TRACE(tc.Name);
    TTableDoc d;
    TRVTableItemInfo* Table = d.AddTable(1, 1);
    TRVTableCellData* Cell = Table->GetCells(0, 0);
    tc.Setup(d, *Table, *Cell);
    TRect R(0, 0, 8, 6);
    TColor Color = 0;
    std::unique_ptr<TBitmap> Bitmap;
    bool UseBitmap = false;
    Cell->GetItemBackground(0, R, false, Color, Bitmap, UseBitmap, d.Sheet.GetGraphicInterface(), false, false, 0);
    EXPECT_EQ(UseBitmap, tc.UseBitmap);
    if (UseBitmap) {
      ASSERT_NE(Bitmap, nullptr);
      EXPECT_EQ(Bitmap->GetWidth(), 8);  // the rectangle moves by the paddings and keeps its size
      EXPECT_EQ(Bitmap->GetHeight(), 6);
    } else {
      EXPECT_EQ(Color, tc.Color);
    }
  }
}

}  // namespace
