#include <gtest/gtest.h>

#include "DocTestUtil.h"
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVItem.h"
#include "engine/document/RVLabelItem.h"
#include "engine/foundation/RVError.h"

namespace {

struct TOtherItem : TRVRectItemInfo {
  TAVRELO_ITEM_CLASS(TOtherItem)
 public:
  using TRVRectItemInfo::TRVRectItemInfo;
};
struct TThirdItem : TRVRectItemInfo {
  TAVRELO_ITEM_CLASS(TThirdItem)
 public:
  using TRVRectItemInfo::TRVRectItemInfo;
};

TEST(ItemOptions, RVFNumbers) {
  const TRVItemOptions o{rvioPageBreakBefore, rvioBR, rvioUnicode, rvioGroupWithNext};
  EXPECT_EQ(ItemOptionsForRVF(o, true), 9);    // same line, Unicode
  EXPECT_EQ(ItemOptionsForRVF(o, false), 14);  // page break, line break, Unicode
  const TRVItemOptions back = ItemOptionsFromRVF(14);
  EXPECT_TRUE(back.Contains(rvioBR) && back.Contains(rvioPageBreakBefore) && back.Contains(rvioUnicode));
  EXPECT_FALSE(back.Contains(rvioGroupWithNext));
  EXPECT_TRUE(ItemOptionsFromRVF(64).Contains(rvioGroupWithNext));
}

TEST(ItemRegistry, RefusesTakenAndReservedKinds) {
  const char* msg = "Can't register ViroZere item type - this StyleNo is already registered";
  RegisterItemType(-10, TOtherItem::StaticItemClass());  // -10 is built in, but may be registered
  RegisterItemType(-10, TOtherItem::StaticItemClass());  // the same pair again does nothing
  for (int kind : {-10, -9, -5, 0, 3}) {
    SCOPED_TRACE(kind);
    try {
      RegisterItemType(kind, TThirdItem::StaticItemClass());
      ADD_FAILURE() << "registered";
    } catch (const EViroZereError& e) {
      EXPECT_EQ(UnicodeToUtf8(e.Message()), msg);
    }
  }
  UnregisterItemType(TOtherItem::StaticItemClass());
  RegisterItemType(-10, TThirdItem::StaticItemClass());  // free again
  UnregisterItemType(TThirdItem::StaticItemClass());
}

TEST(ItemRegistry, FactoryByKind) {
  EXPECT_EQ(CreateItemByStyleNo(-2, nullptr), nullptr);
  EXPECT_EQ(CreateItemByStyleNo(-150, nullptr), nullptr);
  auto t = CreateItemByStyleNo(7, nullptr);
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->Is<TRVTextItemInfo>());
  EXPECT_EQ(t->StyleNo, 7);
  EXPECT_TRUE(CreateItemByStyleNo(ItemKindHorizontalLine, nullptr)->Is<TRVBreakItemInfo>());
  EXPECT_TRUE(CreateItemByStyleNo(ItemKindTab, nullptr)->Is<TRVTabItemInfo>());
  auto label = CreateItemByStyleNo(ItemKindLabel, nullptr);  // registered at start-up
  ASSERT_TRUE(label);
  EXPECT_TRUE(label->Is<TRVLabelItemInfo>());
  EXPECT_EQ(label->StyleNo, ItemKindLabel);
}

TEST(ItemOptions, AccessorRules) {
  TRVBreakItemInfo line(nullptr);
  line.SetBR(true);
  EXPECT_FALSE(line.GetBR());
  TRVTextItemInfo text(nullptr);
  text.SetSameAsPrev(true);
  text.SetBR(true);
  EXPECT_TRUE(text.GetBR());
  EXPECT_FALSE(text.GetSameAsPrev());
  text.SetSameAsPrev(true);
  text.SetClearLeft(true);
  EXPECT_FALSE(text.GetClearLeft());
  text.SetPageBreakBefore(true);
  EXPECT_FALSE(text.GetSameAsPrev());
  text.SetClearLeft(true);
  EXPECT_TRUE(text.GetClearLeft());
  EXPECT_FALSE(text.CanBeBorderStart() == false);
}

TEST(ItemAssign, KeepsTargetKindAcrossClasses) {
  TOtherItem a(nullptr);
  a.StyleNo = -3;
  a.ParaNo = 4;
  a.Hint = u"h";
  a.Tag = u"t";
  a.ItemOptions = {rvioBR};
  a.Spacing = 7;
  TThirdItem b(nullptr);
  b.StyleNo = -10;
  b.Assign(&a);
  EXPECT_EQ(b.StyleNo, -10);
  EXPECT_EQ(b.ParaNo, 4);
  EXPECT_EQ(b.Hint, u"h");
  EXPECT_TRUE(b.Tag.empty());
  EXPECT_TRUE(b.GetBR());
  EXPECT_EQ(b.Spacing, 7);
  auto dup = a.CreateDuplicate(nullptr, false);
  EXPECT_EQ(dup->StyleNo, -3);
  EXPECT_EQ(dup->Tag, u"t");
}

// Marks as (start, length) pairs.
std::vector<std::pair<int, int>> Marks(const TCustomRVItemInfo& item) {
  std::vector<std::pair<int, int>> r;
  if (item.WordPaintList)
    for (int i = 0; i < item.WordPaintList->Count(); ++i)
      r.push_back({item.WordPaintList->Get(i)->StartOffs, item.WordPaintList->Get(i)->Length});
  return r;
}

TEST(WordPainters, DeleteKeepsMarksBeforeShiftsMarksAfterDropsOverlaps) {
  // Marks on "aaa bbb ccc ddd": words at 1, 5, 9, 13.
  struct Case {
    int Index, Count;
    std::vector<std::pair<int, int>> Left;
    bool Removed;
  } cases[] = {
      {8, 1, {{1, 3}, {5, 3}, {8, 3}, {12, 3}}, false},  // the space before ccc
      {4, 5, {{1, 3}, {4, 3}, {8, 3}}, true},             // " bbb " gone: bbb dropped, ccc, ddd shift
      {5, 3, {{1, 3}, {6, 3}, {10, 3}}, true},            // bbb itself
      {6, 6, {{1, 3}, {7, 3}}, true},                     // from inside bbb to inside ccc
      {1, 15, {}, true},                                  // everything
      {16, 2, {{1, 3}, {5, 3}, {9, 3}, {13, 3}}, false},  // after the text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Index << "," << c.Count);
    TRVTextItemInfo item(nullptr);
    for (int s : {1, 5, 9, 13}) item.AddMisspelling(s, 3);
    EXPECT_EQ(item.AdjustWordPaintersOnDelete(c.Index, c.Count), c.Removed);
    EXPECT_EQ(Marks(item), c.Left);
    if (c.Left.empty()) {
      EXPECT_EQ(item.WordPaintList, nullptr);
    }
  }
}

TEST(WordPainters, InsertClearAndQueries) {
  TRVPlainRootData doc;
  TRVTextItemInfo item(nullptr);
  item.AddMisspelling(1, 3);
  item.AddMisspelling(5, 3);
  // A letter typed at 6 (inside the second word) drops it; the first stays.
  EXPECT_TRUE(item.AdjustWordPaintersOnInsert(6, u"aaa bxbb", u'x', &doc));
  EXPECT_EQ(Marks(item), (std::vector<std::pair<int, int>>{{1, 3}}));
  // A space typed at 1 moves the word right.
  EXPECT_TRUE(item.AdjustWordPaintersOnInsert(1, u" aaa", u' ', &doc));
  EXPECT_EQ(Marks(item), (std::vector<std::pair<int, int>>{{2, 3}}));
  int o = 0, l = 0;
  EXPECT_TRUE(item.GetMisspelling(5, o, l));  // just after the word counts
  EXPECT_EQ(o, 2);
  EXPECT_FALSE(item.IsMisspelled(5));
  EXPECT_TRUE(item.IsMisspelled(4));
  EXPECT_TRUE(item.ValidateMisspelledWord(u" aaa", u"aaa"));
  EXPECT_EQ(item.WordPaintList, nullptr);
  item.AddMisspelling(10, 2);
  item.ItemState.Include(rvisSpellChecked);
  item.ClearWordPainters(1);
  EXPECT_EQ(item.WordPaintList, nullptr);
  EXPECT_FALSE(item.ItemState.Contains(rvisSpellChecked));
}

TEST(ExtraProperties, LinesAndSetters) {
  TTestDoc t;
  TRVRectItemInfo r(&t.Doc);
  EXPECT_EQ(r.GetRVFExtraPropertyCount(), 0);
  EXPECT_EQ(r.GetRVFHeaderTailText(&t.Doc), "0");
  r.ReadRVFExtraPropertyLine("spacing=-3", true, 0);
  EXPECT_EQ(r.Spacing, 0);
  r.ReadRVFExtraPropertyLine("Hint=x", true, 0);
  r.ReadRVFExtraPropertyLine("no equals sign", true, 0);
  r.ReadRVFExtraPropertyLine("vshift=abc", true, 0);
  EXPECT_TRUE(r.Hint.empty());
  EXPECT_EQ(r.VShift, 0);
  r.ReadRVFExtraPropertyLine("valign=5", true, 0);
  EXPECT_EQ(r.VAlign, rvvaLeft);
  EXPECT_TRUE(r.GetBoolValue(rvbpFloating));
  EXPECT_FALSE(r.SetExtraIntPropertyEx(23, 1));
  EXPECT_TRUE(r.SetExtraIntPropertyEx(22, rvvaMiddle));
  EXPECT_EQ(r.VAlign, rvvaMiddle);
  r.ReadRVFExtraPropertyLine("hint=a\x01\x02" "b", true, 0);
  EXPECT_EQ(r.Hint, u"a\r\nb");
  r.Hidden = true;
  TMemoryStream s;
  r.SaveRVFExtraProperties(&s);
  EXPECT_EQ(StreamText(s), "hint=a\x01\x02" "b\r\nhidden=1\r\nspacing=0\r\n");
  EXPECT_EQ(r.GetRVFExtraPropertyCount(), 3);
  // Black borders are the default and write nothing.
  r.ReadRVFExtraPropertyLine("bordercolor=255", true, 0);
  EXPECT_EQ(r.BorderColor, 255);
  EXPECT_EQ(ExtraIntPropertyFromName("outervspacing"), rvepOuterVSpacing);
  EXPECT_EQ(ExtraStrPropertyFromName("Tag"), rvespUnknown);
}

}  // namespace
