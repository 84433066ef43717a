// The frame of a formatted document: its state before and after formatting, selection of
// everything, boundary offsets, hidden items and re-aligning a line after a width change.
#include "engine/layout/LayoutTestUtil.h"

TEST(FormattedData, NewAndClearedDocumentState) {
  TLayoutDoc t(100);
  EXPECT_EQ(t.Doc.DocumentWidth, -1);
  EXPECT_EQ(t.Doc.DocumentHeight, 0);
  EXPECT_EQ(t.Doc.LastItemFormatted, -1);
  t.Doc.TopMargin = 5;
  t.Doc.BottomMargin = 5;
  t.Doc.ClearTemporal();
  EXPECT_EQ(t.Doc.DocumentHeight, 10);
  // Selecting everything in an empty document selects nothing and says nothing.
  int selects = 0;
  struct TCounting : TRVPlainFormattedData {
    using TRVPlainFormattedData::TRVPlainFormattedData;
    int* Count = nullptr;
    void DoSelect() override { ++*Count; }
  } doc(&t.Sheet);
  doc.Count = &selects;
  doc.SelectAll();
  EXPECT_EQ(doc.FSelStartNo, -1);
  EXPECT_EQ(selects, 0);
  doc.AddNL(u"ab", 0, 0);
  doc.AddNL(u"", 0, 0);
  doc.Format(false);
  doc.SelectAll();
  EXPECT_EQ(selects, 1);
  EXPECT_EQ(doc.FSelStartNo, 0);
  EXPECT_EQ(doc.FSelStartOffs, 1);
  EXPECT_EQ(doc.FSelEndNo, 1);
  EXPECT_EQ(doc.FSelEndOffs, 1);  // an empty text without an empty width ends at 1
  t.Font(0)->EmptyWidth = 4;
  EXPECT_EQ(doc.GetOffsAfterDrawItem(1), 2);
  doc.Deselect(nullptr, true);
  EXPECT_EQ(doc.FSelStartNo, -1);
  EXPECT_EQ(selects, 2);
}

TEST(FormattedData, HiddenItemsGetNoDrawItemsAndAMarkerBeforeHiddenTextIsHidden) {
  TLayoutDoc t(100, 3);
  t.Font(2)->Options.Include(rvteoHidden);
  TRVListLevel* l = t.Sheet.ListStyles()->Add()->Levels()->Add();
  l->ListType = rvlstBullet;
  t.Doc.AddNL(u"ab", 0, 0);
  t.Doc.AddNL(u"hidden", 2, -1);
  t.Doc.AddNL(u"cd", 0, -1);
  t.Doc.SetListMarkerInfo(-1, 0, 0, 1, 0, true);
  t.Doc.AddNL(u"hidden", 2, -1);
  t.Doc.Format(false);
  EXPECT_EQ(t.Lines(), "abcd");
  EXPECT_EQ(t.Doc.GetItem(1)->DrawItemNo, -1);
  EXPECT_TRUE(t.Doc.IsInvisibleItem(3));  // the marker: only hidden text follows it on its line
  t.Doc.SetOptions(t.Doc.GetOptions() + rvoShowHiddenText);
  EXPECT_FALSE(t.Doc.IsInvisibleItem(1));
  EXPECT_FALSE(t.Doc.IsInvisibleItem(3));
  t.Doc.Format(false);
  EXPECT_EQ(t.Lines(), "abhiddencd/#hidden");
}

TEST(FormattedData, ChangingADrawItemWidthRealignsItsLine) {
  struct TCase {
    TRVAlignment Align;
    int Lefts[3];
  } cases[] = {
      {rvaLeft, {0, 10, 40}},   // what follows moves right
      {rvaRight, {50, 60, 90}},  // it and what precedes move left
      {rvaCenter, {25, 35, 65}},  // half each way
  };
  for (const TCase& c : cases) {
    TLayoutDoc t(100, 3);
    t.Para(1)->Alignment = c.Align;
    t.Doc.AddNL(u"a", 0, 1);
    t.Doc.AddNL(u"b", 1, -1);
    t.Doc.AddNL(u"c", 2, -1);
    t.Doc.Format(false);
    t.Doc.ChangeDItemWidth(1, 30);
    EXPECT_EQ(t.D().Get(1)->Width, 30);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(t.D().Get(i)->Left, c.Lefts[i]) << c.Align << " " << i;
  }
}

// A scroll bar that appears while formatting narrows the area: formatted once more at the new
// width, and never a third time.
TEST(FormattedData, AScrollBarThatAppearsFormatsOnceMore) {
  struct TScrolled : TRVPlainFormattedData {
    using TRVPlainFormattedData::TRVPlainFormattedData;
    int AreaCalls = 0, W = 100;
    int GetAreaWidth() override { return W; }
    int GetWidth() const override { return W; }
    void SetDocumentAreaSize(int Width, int Height, bool UpdateH, bool AllowEvents) override {
      ++AreaCalls;
      TRVPlainFormattedData::SetDocumentAreaSize(Width, Height, UpdateH, AllowEvents);
      if (Height > 15) W = 80;  // taller than the window: the bar takes 20 pixels
    }
  };
  TLayoutDoc t(100);
  TScrolled doc(&t.Sheet);
  doc.AddNL(u"aaa bbb ccc", 0, 0);
  doc.Format(false);
  EXPECT_EQ(doc.AreaCalls, 2);
  EXPECT_EQ(doc.TextWidth, 80);
  EXPECT_EQ(doc.DrawItems->Count(), 2);  // "aaa bbb" / "ccc" at 80
}

// Formatting only the tail appends the draw items of new items to those kept.
TEST(FormattedData, TailFormattingAppendsLikeAFullFormat) {
  TLayoutDoc t(60);
  t.Para(0)->SetSpaceAfter(3);
  t.Doc.AddNL(u"aaa bbb", 0, 0);
  t.Doc.Format(false);
  t.Doc.AddNL(u"ccc ddd", 0, 0);
  t.Doc.AddNL(u"eee", 0, -1);
  EXPECT_TRUE(t.Doc.Format_(false, false, false, 0, nullptr, true, false, false, false, false));
  const std::string tail = t.Boxes();
  const int height = t.Doc.DocumentHeight;
  t.Doc.Format(false);
  EXPECT_EQ(tail, t.Boxes());
  EXPECT_EQ(height, t.Doc.DocumentHeight);
  // Nothing new: nothing to do.
  EXPECT_FALSE(t.Doc.Format_(false, false, false, 0, nullptr, true, false, false, false, false));
}
