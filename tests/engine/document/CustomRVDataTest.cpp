#include <gtest/gtest.h>

#include "DocTestUtil.h"
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVFieldItems.h"
#include "engine/foundation/RVError.h"
#include "support/PageLayoutDouble.h"

namespace {

// An item that counts its destructions.
int Destroyed = 0;
struct TCountedItem : TRVTextItemInfo {
  TAVRELO_ITEM_CLASS(TCountedItem)
 public:
  using TRVTextItemInfo::TRVTextItemInfo;
  ~TCountedItem() override { ++Destroyed; }
};

TCustomRVItemInfo* Text(int ParaNo, bool BR = false) {
  auto* t = new TRVTextItemInfo(nullptr);
  t->StyleNo = 0;
  t->ParaNo = ParaNo;
  if (BR) t->ItemOptions.Include(rvioBR);
  return t;
}
TCustomRVItemInfo* Marker(int ParaNo) {
  auto* m = new TRVSimpleRectItemInfo(nullptr);
  m->StyleNo = ItemKindListMarker;
  m->ParaNo = ParaNo;
  return m;
}
TCustomRVItemInfo* Line() { return new TRVBreakItemInfo(nullptr); }

TEST(AddRule, Cases) {
  struct Step {
    TCustomRVItemInfo* (*Make)(int);
    int ParaNo;
    bool AllowNewPara;
  };
  auto text = [](int p) { return Text(p); };
  auto brText = [](int p) { return Text(p, true); };
  auto marker = [](int p) { return Marker(p); };
  auto line = [](int) { return Line(); };
  struct Case {
    const char* Name;
    std::vector<Step> Steps;
    const char* Structure;
  } cases[] = {
      {"first item continuing starts paragraph 0", {{text, -1, true}}, "P0"},
      {"continuation takes the paragraph", {{text, 1, true}, {text, -1, true}}, "P1 S1"},
      {"marker gets an empty text before a new paragraph", {{marker, 2, true}, {text, 1, true}}, "P2 S2 P1"},
      {"a continuation follows a marker directly", {{marker, 2, true}, {text, -1, true}}, "P2 S2"},
      {"paragraph mode off gives line breaks", {{text, 0, true}, {text, 5, false}}, "P0 B5"},
      {"the first item never gets a break", {{text, 3, false}}, "P3"},
      {"a line never gets a break", {{text, 0, true}, {line, 0, false}}, "P0 P0"},
      {"nothing continues a line", {{line, 0, true}, {text, -1, true}}, "P0 P0"},
      {"a break asked for is kept", {{text, 0, true}, {brText, 1, true}}, "P0 B1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestDoc t;
    for (const Step& s : c.Steps) {
      t.Doc.SetAddParagraphMode(s.AllowNewPara);
      t.Doc.AddItem(u"x", s.Make(s.ParaNo));
    }
    EXPECT_EQ(t.Structure(), c.Structure);
  }
}

TEST(AddRule, InsertionIsReported) {
  TTestDoc t;
  t.Doc.AddNL(u"a\tb", 1, 0);
  t.Doc.AddNLW(u"c\td", -1, 0, u"tag", true);  // paragraph default: tabs stay
  EXPECT_EQ(t.Doc.GetItemTextW(0), u"a        b");
  EXPECT_EQ(t.Doc.GetItem(1)->StyleNo, StyleNoFromParagraph);
  EXPECT_EQ(t.Doc.GetItemTextW(1), u"c\td");
  EXPECT_EQ(t.Doc.GetItem(1)->Tag, u"tag");
  EXPECT_EQ(t.CountActions(rviaInserting), 2);
  EXPECT_EQ(t.CountActions(rviaInserted), 2);
  t.Doc.AddBreak(0, rvbsDashed, clRed);
  auto* line = dynamic_cast<TRVBreakItemInfo*>(t.Doc.GetItem(2));
  ASSERT_TRUE(line);
  EXPECT_EQ(line->LineWidth, 1);
  EXPECT_EQ(line->Style, rvbsDashed);
}

TEST(Deleting, DeleteItemsClipsToTheEnd) {
  TTestDoc t;
  Destroyed = 0;
  for (int i = 0; i < 12; ++i) t.Doc.AddItem(u"x", new TCountedItem(nullptr));
  t.Doc.DeleteItems(10, 5);
  EXPECT_EQ(Destroyed, 2);
  EXPECT_EQ(t.CountActions(rviaDestroying), 2);
  EXPECT_EQ(t.Doc.ItemCount(), 10);
  t.Doc.DeleteItems(12, 1);
  EXPECT_EQ(t.Doc.ItemCount(), 10);
}

TEST(Deleting, ClearFreesEveryItemWhenOneRaises) {
  for (const bool clear : {true, false}) {
    SCOPED_TRACE(clear);
    TTestDoc t;
    Destroyed = 0;
    for (int i = 0; i < 5; ++i) t.Doc.AddItem(u"x", new TCountedItem(nullptr));
    TCustomRVItemInfo* bad = t.Doc.GetItem(1);
    t.Doc.GetRootEvents()->OnItemAction = [bad](TRVItemAction a, TCustomRVItemInfo* i, TRVUnicodeString&,
                                                TCustomRVData*) {
      if (a == rviaDestroying && i == bad) throw EViroZereError("refused");
    };
    if (clear)
      t.Doc.Clear();
    else
      t.Doc.DeleteItems(0, 5);
    EXPECT_EQ(Destroyed, 5);
    EXPECT_EQ(t.Doc.ItemCount(), 0);
    EXPECT_FALSE(t.Doc.State.Contains(rvstClearing));
  }
}

// The destroying notification shows each item's text, whatever the handler does with it.
TEST(Deleting, DestroyingNotificationShowsTheText) {
  TTestDoc t;
  t.Doc.AddNL(u"alpha", 0, 0);
  t.Doc.AddNL(u"beta", 0, -1);
  std::vector<TRVUnicodeString> seen;
  t.Doc.GetRootEvents()->OnItemAction = [&seen](TRVItemAction a, TCustomRVItemInfo*, TRVUnicodeString& s,
                                                TCustomRVData*) {
    if (a != rviaDestroying) return;
    seen.push_back(s);
    s = u"changed";
  };
  t.Doc.DeleteItems(1, 1);
  t.Doc.Clear();
  EXPECT_EQ(seen, (std::vector<TRVUnicodeString>{u"beta", u"alpha"}));
}

struct TSharingDoc : TRVPlainRootData {
  explicit TSharingDoc(TRVStyle* s) : TRVPlainRootData(s) { DropOwnItemList(); }
  bool SharesItemList() const override { return true; }
  ~TSharingDoc() override { Clear(); }
};

TEST(Deleting, SharedListIsNeverFreed) {
  TTestDoc t;
  t.Doc.AddNL(u"a", 0, 0);
  t.Doc.AddNL(u"b", 0, 0);
  TSharingDoc copy(&t.Sheet);
  copy.ShareItemsFrom(&t.Doc);
  EXPECT_EQ(copy.ItemCount(), 2);
  copy.Clear();
  copy.DeleteItems(0, 1);
  EXPECT_EQ(copy.ItemCount(), 2);
  EXPECT_EQ(t.Doc.ItemCount(), 2);
  EXPECT_EQ(t.CountActions(rviaDestroying), 0);
}

TEST(Checkpoints, ChainFollowsItems) {
  TTestDoc t;
  EXPECT_EQ(t.Doc.AddCheckpoint(u"first", false), 0);
  EXPECT_EQ(t.Doc.AddCheckpoint(u"second", true), 0);  // one pending already
  t.Doc.AddNL(u"a", 0, 0);
  t.Doc.AddNL(u"b", 0, 0);
  t.Doc.AddNL(u"c", 0, 0);
  ASSERT_TRUE(t.Doc.GetItemCheckpoint(0));
  EXPECT_EQ(t.Doc.GetItemCheckpoint(0)->Name, u"first");
  EXPECT_EQ(t.Doc.CPCount, 1);
  t.Doc.CreateCheckpoint(2, u"t2", false, u"c2");
  t.Doc.SetCheckpointInfo(1, u"t1", u"c1", true);  // created between the two
  EXPECT_THROW(t.Doc.CreateCheckpoint(2, {}, false, {}), EViroZereError);
  EXPECT_EQ(t.Doc.CPCount, 3);
  std::vector<TRVUnicodeString> names;
  for (TRVCPInfo* cp = t.Doc.FirstCP; cp; cp = cp->Next) names.push_back(cp->Name);
  EXPECT_EQ(names, (std::vector<TRVUnicodeString>{u"first", u"c1", u"c2"}));
  EXPECT_EQ(t.Doc.LastCP->Name, u"c2");
  EXPECT_EQ(t.Doc.FindCheckpointBefore(2)->Name, u"c1");
  EXPECT_EQ(t.Doc.FindCheckpointBefore(0), nullptr);
  TRVUnicodeString tag, name;
  bool raise = false;
  EXPECT_THROW(t.Doc.GetCheckpointInfo(nullptr, tag, name, raise), EViroZereError);
  t.Doc.GetCheckpointInfo(t.Doc.GetItemCheckpoint(1), tag, name, raise);
  EXPECT_EQ(tag, u"t1");
  EXPECT_TRUE(raise);
  t.Doc.DeleteItems(1, 1);
  EXPECT_EQ(t.Doc.CPCount, 2);
  EXPECT_EQ(t.Doc.FirstCP->Next, t.Doc.LastCP);
  t.Doc.AddCheckpoint(u"end", false);  // pending at the end: freed by Clear
  t.Doc.Clear();
  EXPECT_EQ(t.Doc.CPCount, 0);
  EXPECT_EQ(t.Doc.FirstCP, nullptr);
}

TEST(Draining, ContinuationsAreDerivedAgain) {
  TTestDoc t;
  t.Doc.AddNL(u"a", 0, 1);
  TRVPlainRootData victim(&t.Sheet);
  victim.AddNL(u"b", 0, 2);
  victim.AddNL(u"c", 0, -1);
  victim.GetItem(0)->SetSameAsPrev(true);  // continues a line of an earlier document
  victim.AddCheckpoint(u"pending", false);
  t.Doc.DrainFrom(&victim);
  EXPECT_EQ(t.Structure(), "P1 S1 S1");
  EXPECT_EQ(victim.ItemCount(), 0);
  EXPECT_EQ(victim.CPCount, 0);
  EXPECT_EQ(t.Doc.CPCount, 1);
  ASSERT_TRUE(t.Doc.NotAddedCP);
  EXPECT_EQ(t.Doc.NotAddedCP->Name, u"pending");
  TTestDoc u;
  u.Doc.AddBreak(1, rvbsLine, clNone);
  TRVPlainRootData v2(&u.Sheet);
  v2.AddNL(u"b", 0, 2);
  v2.GetItem(0)->SetSameAsPrev(true);
  u.Doc.DrainFrom(&v2);
  EXPECT_EQ(u.Structure(), "P0 P0");  // a line ends its paragraph
}

TEST(Offsets, TextAndObjects) {
  TTestDoc t;
  t.Sheet.TextStyles()->Items(2)->EmptyWidth = 5;
  t.Doc.AddNL(u"abc", 0, 0);
  t.Doc.AddNL(u"", 2, 0);
  t.Doc.AddNL(u"", 1, 0);
  t.Doc.AddBreak(1, rvbsLine, clNone);
  struct Case {
    int Item, Before, After, TextLength, Length;
  } cases[] = {{0, 1, 4, 3, 3}, {1, 1, 2, 0, 1}, {2, 1, 1, 0, 0}, {3, 0, 1, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Item);
    EXPECT_EQ(t.Doc.GetOffsBeforeItem(c.Item), c.Before);
    EXPECT_EQ(t.Doc.GetOffsAfterItem(c.Item), c.After);
    EXPECT_EQ(t.Doc.GetItemTextLength(c.Item), c.TextLength);
    EXPECT_EQ(t.Doc.GetItemLength(c.Item), c.Length);
  }
  EXPECT_FALSE(t.Doc.IsEmpty());
  t.Doc.Clear();
  EXPECT_TRUE(t.Doc.IsEmpty());
  t.Doc.AddNL(u"", 0, 0);
  EXPECT_TRUE(t.Doc.IsEmpty());
  EXPECT_THROW(t.Doc.CheckItemIndex(1), EViroZereError);
  EXPECT_THROW(t.Doc.CheckItemClass<TRVBreakItemInfo>(0), EViroZereError);
}

}  // namespace

namespace {

struct TFakePageLayout : TPageLayoutDouble {
  std::vector<std::string> Calls;
  void DoAfterReadNote(TCustomRVData*, int ItemNo) override { Calls.push_back("note " + std::to_string(ItemNo)); }
  void DoBeforeSaving(TObject*) override { Calls.push_back("saving"); }
  TRVColorMode GetColorMode() override { return rvcmGrayScale; }
};

TEST(PageLayoutInterface, AskedOfTheRootOnEveryUse) {
  TTestDoc t;
  EXPECT_EQ(t.Doc.GetScreenColorMode(), rvcmColor);
  t.Doc.GetRootProperties()->UseVCLThemes = true;
  EXPECT_EQ(t.Doc.GetScreenColorMode(), rvcmVCLThemeColor);
  auto fake = std::make_shared<TFakePageLayout>();
  t.Doc.ScaleViroZere = fake;
  EXPECT_EQ(t.Doc.GetScreenColorMode(), rvcmGrayScale);
  t.Doc.DoBeforeSaving();
  t.Doc.AfterReadNote(&t.Doc, 3);
  t.Doc.SetFlags({});  // not the root of a tree: nothing before saving
  t.Doc.DoBeforeSaving();
  EXPECT_EQ(fake->Calls, (std::vector<std::string>{"saving", "note 3"}));
}

}  // namespace

namespace {

TEST(ReaderHooks, FirstItemIsInsertedWithItsLists) {
  TTestDoc t;
  t.Doc.AddNL(u"a", 0, 0);
  TCustomRVItemInfo* item = new TRVPageNumberItemInfo(&t.Doc);
  int index = 7;  // beyond the end: the end
  TRVUnicodeString text;
  bool full = true;
  int list = 0;
  ASSERT_TRUE(t.Doc.InsertFirstRVFItem(index, text, item, false, full, list));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(t.Doc.GetItem(1), item);
  EXPECT_FALSE(full);
  EXPECT_EQ(list, -1);
  EXPECT_EQ(t.Doc.GetPrintFieldList(false)->Count(), 1);
}

}  // namespace
