#include "engine/layout/LayoutTestUtil.h"

TEST(Formatting, TrimmedWrapKeepsTheWrappingSpaceOffBothLines) {
  TLayoutDoc t(70);
  t.Doc.AddNL(u"aaa bbb ccc", 0, 0);
  t.Doc.Format(false);
  EXPECT_EQ(t.Boxes(), "0,0 70x10 'aaa bbb' | 0,10 30x10 'ccc'");
  EXPECT_EQ(t.Doc.DocumentHeight, 20);
  EXPECT_EQ(t.D().Get(1)->Offs, 9);
  EXPECT_EQ(t.D().Get(0)->BaseLine, 8);
}

#include "engine/document/RVGraphicItem.h"
#include "engine/styles/ListInfo.h"
#include "platform/graphics/Pictures.h"

namespace {

std::unique_ptr<TGraphic> Bitmap(int W, int H) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(W, H);
  return bmp;
}

void AddPicture(TCustomRVData& Doc, int W, int H, TRVVAlign VAlign, int ParaNo) {
  auto* pic = new TRVGraphicItemInfo(&Doc, Bitmap(W, H), VAlign);
  pic->ParaNo = ParaNo;
  Doc.AddItem(u"", pic);
}

}  // namespace

// Alignment of the lines of a paragraph: justified lines end at the right bound, the last line
// keeps the last-line alignment; distribution spreads over characters.
TEST(Formatting, AlignmentTable) {
  struct TCase {
    TRVAlignment Align;
    const char* Text;
    const char* Boxes;
  } cases[] = {
      {rvaLeft, "aa bb cc dd", "0,0 50x10 'aa bb' | 0,10 50x10 'cc dd'"},
      {rvaRight, "aa bb cc dd", "20,0 50x10 'aa bb' | 20,10 50x10 'cc dd'"},
      {rvaCenter, "aa bb cc dd", "10,0 50x10 'aa bb' | 10,10 50x10 'cc dd'"},
      {rvaJustify, "aa bb cc dd", "0,0 70x10 'aa bb' | 0,10 50x10 'cc dd'"},
      {rvaDistribute, "aa bb cc dd", "0,0 70x10 'aa bb' | 0,10 50x10 'cc dd'"},
  };
  for (const TCase& c : cases) {
    TLayoutDoc t(70);
    t.Para(1)->Alignment = c.Align;
    std::u16string s(c.Text, c.Text + strlen(c.Text));
    t.Doc.AddNL(s, 0, 1);
    t.Doc.Format(false);
    EXPECT_EQ(t.Boxes(), c.Boxes) << c.Text << " align " << c.Align;
    TRVDrawLineInfo* d = t.D().Get(0);
    if (c.Align == rvaJustify && c.Text[2] == ' ') {
      EXPECT_EQ(d->GetSpaceCount(), 1);
      EXPECT_EQ(d->GetTextWidth(), 50);
      EXPECT_EQ(t.D().Get(1)->GetSpaceCount(), 0);
    }
    if (c.Align == rvaDistribute) {
      EXPECT_EQ(d->GetSpaceCount(), RV_DISTRIBUTE_SPACING);
      EXPECT_EQ(d->GetRightNoExpandIndex(), 5);  // the last character gets nothing after it
      // The caret stops show the 20 pixels spread evenly between the five characters.
      int cp[6];
      TCanvas* c = t.Doc.GetCanvas();
      ASSERT_TRUE(t.Sheet.GetGraphicInterface()->GetCaretPositions(c, u"aa bb", 5, d->GetSpaceCount(),
                                                                   d->Width - d->GetTextWidth(), false, false, cp,
                                                                   d->GetLeftNoExpandIndex(),
                                                                   d->GetRightNoExpandIndex()));
      EXPECT_EQ(std::vector<int>(cp, cp + 6), (std::vector<int>{0, 10, 25, 40, 55, 70}));
    }
  }
}

TEST(Formatting, JustifiedSpaceIsSharedByHeightAndLastItemTakesTheRest) {
  TLayoutDoc t(90);
  t.Para(1)->Alignment = rvaJustify;
  t.Doc.AddNL(u"a b ", 0, 1);
  t.Doc.AddNL(u"c d ef gh ij", 1, -1);
  t.Doc.Format(false);
  // Line 1: "a b " + "c d" = 70 wide, 20 to spread over 3 spaces in proportion to spaces times
  // height (the space at the wrap belongs to neither line).
  EXPECT_EQ(t.Lines(), "a b c d/ef gh ij");
  TRVDrawLineInfo* a = t.D().Get(0);
  TRVDrawLineInfo* b = t.D().Get(1);
  EXPECT_EQ(a->Left + a->Width, b->Left);
  EXPECT_EQ(b->Left + b->Width, 90);
  EXPECT_EQ(a->Width - a->GetTextWidth(), 13);  // 20 x 2 spaces / 3
  EXPECT_EQ(b->Width - b->GetTextWidth(), 7);   // what rounding left
  EXPECT_EQ(a->GetSpaceCount(), 2);
  EXPECT_EQ(b->GetSpaceCount(), 1);
}

TEST(Formatting, RightToLeftParagraphReordersRuns) {
  TLayoutDoc t(70, 2);
  t.Para(1)->BiDiMode = rvbdRightToLeft;
  // R1 L1 L2 R2, each run one character of its own style so that the runs stay apart.
  t.Doc.AddNL(u"\u05D0", 0, 1);
  t.Doc.AddNL(u"a", 1, -1);
  t.Doc.AddNL(u"b", 0, -1);
  t.Doc.AddNL(u"\u05D1", 1, -1);
  t.Doc.Format(false);
  ASSERT_EQ(t.D().Count(), 4);
  // Laid out from the left as R2 L1 L2 R1.
  EXPECT_EQ(t.D().Get(3)->Left, 0);
  EXPECT_EQ(t.D().Get(1)->Left, 10);
  EXPECT_EQ(t.D().Get(2)->Left, 20);
  EXPECT_EQ(t.D().Get(0)->Left, 30);
}

// Mixed-direction lines: one-character items in alternating styles (so that they stay apart),
// read back in visual order from their boxes. L and R name the left-to-right and right-to-left
// items, numbered in logical order.
TEST(Formatting, MixedDirectionLinesTable) {
  struct TCase {
    TRVBiDiMode Para;
    std::vector<std::u16string> Items;
    const char* Visual;
  } cases[] = {
      {rvbdLeftToRight, {u"a", u"\u05D0", u"\u05D1", u"\u05D2", u"b"}, "L1 R3 R2 R1 L2"},
      {rvbdLeftToRight, {u"a", u"\u05D0", u"\u05D1", u"b"}, "L1 R2 R1 L2"},
      {rvbdLeftToRight, {u"a", u"\u05D0", u"b"}, "L1 R1 L2"},
      {rvbdLeftToRight, {u"a", u"\u05D0", u"\u05D1"}, "L1 R2 R1"},
      {rvbdLeftToRight, {u"\u05D0", u"\u05D1", u"a"}, "R2 R1 L1"},
      {rvbdLeftToRight, {u"a", u"\u05D0", u"\u05D1", u"b", u"\u05D2", u"\u05D3"}, "L1 R2 R1 L2 R4 R3"},
      {rvbdLeftToRight, {u"a", u"b", u"c"}, "L1 L2 L3"},
      {rvbdRightToLeft, {u"\u05D0", u"a", u"b", u"\u05D1"}, "R2 L1 L2 R1"},
      {rvbdRightToLeft, {u"\u05D0", u"\u05D1", u"\u05D2"}, "R3 R2 R1"},
      {rvbdRightToLeft, {u"a", u"b", u"\u05D0"}, "R1 L1 L2"},
      {rvbdRightToLeft, {u"a", u"\u05D0", u"b"}, "L2 R1 L1"},
  };
  for (const TCase& c : cases) {
    TLayoutDoc t(200);
    t.Para(1)->BiDiMode = c.Para;
    std::vector<std::string> names;
    int l = 0, r = 0;
    for (std::size_t i = 0; i < c.Items.size(); ++i) {
      t.Doc.AddNL(c.Items[i], static_cast<int>(i % 2), i == 0 ? 1 : -1);
      names.push_back(c.Items[i][0] < 0x80 ? "L" + std::to_string(++l) : "R" + std::to_string(++r));
    }
    t.Doc.Format(false);
    ASSERT_EQ(t.D().Count(), static_cast<int>(c.Items.size()));
    // Every item is 10 pixels wide and the line starts at 0: the item at Left 10 k is k-th.
    std::vector<std::string> visual(c.Items.size());
    for (int i = 0; i < t.D().Count(); ++i) {
      const int left = t.D().Get(i)->Left;
      ASSERT_TRUE(left % 10 == 0 && left / 10 < static_cast<int>(visual.size())) << c.Visual << ": " << left;
      visual[static_cast<std::size_t>(left / 10)] = names[static_cast<std::size_t>(i)];
    }
    std::string got;
    for (const std::string& v : visual) got += (got.empty() ? "" : " ") + v;
    EXPECT_EQ(got, c.Visual);
  }
}

// Tabs with each alignment and a leader: the tab's draw item runs from the current position to
// where the text after it starts.
TEST(Formatting, TabTable) {
  struct TCase {
    TRVTabAlign Align;
    int Pos;
    const char* Boxes;
  } cases[] = {
      {rvtaLeft, 50, "0,0 10x10 'a' | 10,0 40x10 | 50,0 20x10 'bb'"},
      {rvtaRight, 60, "0,0 10x10 'a' | 10,0 30x10 | 40,0 20x10 'bb'"},
      {rvtaCenter, 50, "0,0 10x10 'a' | 10,0 30x10 | 40,0 20x10 'bb'"},
  };
  for (const TCase& c : cases) {
    TLayoutDoc t(100);
    TRVTabInfo* tab = t.Para(1)->Tabs()->Add();
    tab->SetPosition(c.Pos);
    tab->Align = c.Align;
    tab->Leader = u".";
    t.Doc.AddNL(u"a", 0, 1);
    t.AddTab();
    t.Doc.AddNL(u"bb", 0, -1);
    t.Doc.Format(false);
    EXPECT_EQ(t.Boxes(), c.Boxes) << "align " << c.Align;
    auto* item = dynamic_cast<TRVTabItemInfo*>(t.Doc.GetItem(1));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Leader, u".");
    EXPECT_EQ(item->Align, c.Align);
  }
}

TEST(Formatting, DefaultTabStopsWithoutTabs) {
  TLayoutDoc t(200);
  t.Sheet.DefTabWidth = 48;
  t.Doc.AddNL(u"a", 0, 1);
  t.AddTab();
  t.Doc.AddNL(u"b", 0, -1);
  t.Doc.Format(false);
  EXPECT_EQ(t.Boxes(), "0,0 10x10 'a' | 10,0 38x10 | 48,0 10x10 'b'");
}

// Objects and full-line items.
TEST(Formatting, PictureTallerThanTextRaisesTheLine) {
  TLayoutDoc t(200);
  t.Doc.AddNL(u"ab", 0, 0);
  AddPicture(t.Doc, 20, 30, rvvaBaseline, -1);
  t.Doc.AddNL(u"cd", 0, -1);
  t.Doc.Format(false);
  ASSERT_EQ(t.D().Count(), 3);
  TRVDrawLineInfo* pic = t.D().Get(1);
  TRVDrawLineInfo* text = t.D().Get(0);
  // The picture stands on the baseline; the text moved down with it.
  EXPECT_EQ(pic->Top, 0);
  EXPECT_EQ(pic->Left, 20);
  EXPECT_EQ(pic->BaseLine, text->BaseLine);
  EXPECT_EQ(text->Top + 8, text->BaseLine);
  EXPECT_EQ(t.D().Get(2)->Top, text->Top);
  EXPECT_EQ(t.D().Get(2)->Left, 40 + pic->Width - 20);
  EXPECT_EQ(t.Doc.DocumentHeight, text->BaseLine + 2);
}

TEST(Formatting, HorizontalLineTakesTheWholeWidth) {
  TLayoutDoc t(100);
  t.Doc.AddNL(u"ab", 0, 0);
  t.Doc.AddBreak(1, 0, clBlack);
  t.Doc.AddNL(u"cd", 0, 0);
  t.Doc.Format(false);
  ASSERT_EQ(t.D().Count(), 3);
  TRVDrawLineInfo* br = t.D().Get(1);
  EXPECT_TRUE(br->FromNewLine);
  EXPECT_FALSE(br->FromNewPara);
  // The line item keeps its own margins inside the line.
  EXPECT_EQ(br->Left, 5);
  EXPECT_EQ(br->Width, 90);
  EXPECT_EQ(br->Top, 10);
  EXPECT_EQ(t.D().Get(2)->Top, br->Top + br->Height);
  EXPECT_TRUE(t.D().Get(2)->FromNewPara);
}

TEST(Formatting, PageBreakChangesNoDrawItem) {
  TLayoutDoc a(70), b(70);
  for (TLayoutDoc* t : {&a, &b}) {
    t->Doc.AddNL(u"aaa bbb ccc", 0, 0);
    t->Doc.AddNL(u"ddd", 0, 0);
  }
  b.Doc.GetItem(1)->SetPageBreakBefore(true);
  a.Doc.Format(false);
  b.Doc.Format(false);
  EXPECT_EQ(a.Boxes(), b.Boxes());
}

TEST(Formatting, FloatingBoxesOnTheLeftAndOnTheRight) {
  for (TRVVAlign side : {rvvaLeft, rvvaRight}) {
    TLayoutDoc t(100);
    AddPicture(t.Doc, 40, 25, side, 0);
    t.Doc.AddNL(u"aaa bbb ccc ddd", 0, -1);
    t.Doc.Format(false);
    auto* f = AsFloatingDrawItem(t.D().Get(0));
    ASSERT_NE(f, nullptr);
    // The box is the picture with its spacing.
    const int w = f->FloatWidth;
    EXPECT_EQ(f->FloatTop, 0);
    EXPECT_EQ(w, 42);
    EXPECT_EQ(f->FloatHeight, 27);
    EXPECT_EQ(f->FloatLeft, side == rvvaLeft ? 0 : 100 - w);
    // Beside the box the lines are 60 wide; below it (from y 26) the full width.
    EXPECT_EQ(t.Lines(), "#aaa/bbb/ccc/ddd") << side;
    const int textLeft = side == rvvaLeft ? w : 0;
    EXPECT_EQ(t.D().Get(1)->Left, textLeft);
    EXPECT_EQ(t.D().Get(2)->Left, textLeft);
    EXPECT_EQ(t.D().Get(3)->Top, 20);  // still beside the box (27 high)
    EXPECT_EQ(t.D().Get(4)->Top, 30);  // below it, at the left margin
    EXPECT_EQ(t.D().Get(4)->Left, 0);
    EXPECT_TRUE(t.D().Get(2)->FloatingAboveUsed);
  }
}

TEST(Formatting, ListMarkerAndItsIndents) {
  TLayoutDoc t(100);
  TRVListLevel* l = t.Sheet.ListStyles()->Add()->Levels()->Add();
  l->ListType = rvlstBullet;
  l->LeftIndent = 30;
  l->FirstIndent = 0;
  l->MarkerIndent = 10;
  t.Doc.SetListMarkerInfo(-1, 0, 0, 1, 1, true);
  t.Doc.AddNL(u"aaa bbb ccc", 0, -1);
  t.Doc.Format(false);
  ASSERT_GE(t.D().Count(), 3);
  TRVDrawLineInfo* marker = t.D().Get(0);
  EXPECT_EQ(t.Doc.GetItem(marker->ItemNo)->StyleNo, ItemKindListMarker);
  EXPECT_EQ(marker->Left, 10);
  // The text after the marker starts at the level's left indent; wrapped lines there too.
  EXPECT_EQ(t.D().Get(1)->Left, 30);
  EXPECT_EQ(t.Lines(), "#aaa bbb/ccc");
  EXPECT_EQ(t.D().Get(2)->Left, 30);
}

TEST(Formatting, NarrowLinesTakeOneCharacterAndSurrogatePairsStayWhole) {
  TLayoutDoc t(3);
  t.Sheet.LineWrapMode = rvWrapAnywhere;
  t.Doc.AddNL(u"ab\U0001F600c", 0, 0);
  t.Doc.Format(false);
  // The document is as wide as its widest character (the pair, 20): "ab", the pair, "c".
  EXPECT_EQ(t.Lines(), "ab/?" "?/c");
  EXPECT_EQ(t.D().Get(1)->TextLength, 2);
}

TEST(Formatting, EmptyDocumentIsAsHighAsItsMargins) {
  TLayoutDoc t(100);
  t.Doc.TopMargin = 5;
  t.Doc.BottomMargin = 7;
  t.Doc.Format(false);
  EXPECT_EQ(t.D().Count(), 0);
  EXPECT_EQ(t.Doc.DocumentHeight, 12);
  EXPECT_EQ(t.Doc.DocumentWidth, 100);
}

TEST(Formatting, LineSpacingTable) {
  struct TCase {
    TRVLineSpacingType Type;
    int Value;
    int SecondTop;
  } cases[] = {
      {rvlsPercent, 100, 10}, {rvlsPercent, 40, 10},  {rvlsPercent, 200, 20}, {rvlsPercent, 50, 5},
      {rvlsSpaceBetween, 4, 14}, {rvlsLineHeightExact, 20, 20}, {rvlsLineHeightAtLeast, 20, 20},
      {rvlsLineHeightExact, 2, 4},
  };
  for (const TCase& c : cases) {
    TLayoutDoc t(30);
    t.Para(1)->LineSpacingType = c.Type;
    t.Para(1)->LineSpacing = c.Value;
    t.Doc.AddNL(u"aaa bbb", 0, 1);
    t.Doc.Format(false);
    ASSERT_EQ(t.D().Count(), 2);
    TRVDrawLineInfo* a = t.D().Get(0);
    TRVDrawLineInfo* b = t.D().Get(1);
    EXPECT_EQ((b->Top - b->GetExtraSpaceAbove()) - (a->Top - a->GetExtraSpaceAbove()), c.SecondTop)
        << c.Type << " " << c.Value;
  }
}
