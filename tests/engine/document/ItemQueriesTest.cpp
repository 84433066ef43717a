#include <gtest/gtest.h>

#include "DocTestUtil.h"
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVSeqItem.h"
#include "engine/foundation/RVError.h"
#include "engine/styles/StyleTemplate.h"

namespace {

// A document inside an item of another document (as a cell or a note text is).
class TSubDoc : public TCustomRVData {
 public:
  TSubDoc(TCustomRVData* AParent, TCustomRVItemInfo* AHolder) : FParent(AParent), FHolder(AHolder) {}
  ~TSubDoc() override { Clear(); }
  TRVFlags GetFlags() const override { return {}; }
  void SetFlags(const TRVFlags&) override {}
  TCustomRVData* GetParentData() const override { return FParent; }
  TCustomRVData* GetAbsoluteParentData() const override { return FParent; }
  TCustomRVData* GetRootData() override { return FParent->GetRootData(); }
  TCustomRVData* GetAbsoluteRootData() override { return FParent->GetAbsoluteRootData(); }
  void GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location) const override {
    ParentItemNo = FParent->GetItemNo(FHolder);
    Location = const_cast<TRVStoreSubRVData*>(&FLocation);
  }
  TRVDocRotation GetRotation() const override { return Rotation; }
  TRVDocRotation Rotation = rvrotNone;

 private:
  TCustomRVData* FParent;
  TCustomRVItemInfo* FHolder;
  TRVStoreSubRVData FLocation;  // where the document lies inside its item
};

class THolderItem : public TRVFullLineItemInfo {
  TAVRELO_ITEM_CLASS(THolderItem)
 public:
  explicit THolderItem(TCustomRVData* ARVData) : TRVFullLineItemInfo(ARVData), Sub(std::make_unique<TSubDoc>(ARVData, this)) {
    StyleNo = -150;
  }
  TCustomRVData* GetSubRVData(std::unique_ptr<TRVStoreSubRVData>& StoreState, TRVSubRVDataPos Position,
                              TCustomRVData*) override {
    StoreState.reset();
    return Position == rvdFirst || Position == rvdLast ? Sub.get() : nullptr;
  }
  std::unique_ptr<TSubDoc> Sub;
};

TEST(Queries, PositionsAndSequencesAcrossSubDocuments) {
  TTestDoc t;
  t.Doc.AddItem(u"", new TRVSeqItemInfo(&t.Doc, u"Fig", rvseqDecimal, 0, 0, false));
  auto* holder = new THolderItem(&t.Doc);
  t.Doc.AddItem(u"", holder);
  t.Doc.AddNL(u"after", 0, 0);
  TSubDoc* sub = holder->Sub.get();
  sub->AddNL(u"cell", 0, 0);
  sub->AddItem(u"", new TRVSeqItemInfo(sub, u"fig", rvseqDecimal, 0, 0, false));
  t.Doc.AddItem(u"", new TRVSeqItemInfo(&t.Doc, u"FIG", rvseqDecimal, 0, 0, false));
  // One numbering spans the document and its sub-documents.
  EXPECT_EQ(static_cast<TRVSeqItemInfo*>(sub->GetItem(1))->GetText(), u"2");
  EXPECT_EQ(static_cast<TRVSeqItemInfo*>(t.Doc.GetItem(3))->GetText(), u"3");
  EXPECT_EQ(t.Doc.FindPreviousSeqItem(2), sub->GetItem(1));
  EXPECT_EQ(sub->FindPreviousSeqItem(0), t.Doc.GetItem(0));
  EXPECT_EQ(t.Doc.GetSeqList(false)->Count(), 3);

  EXPECT_GT(sub->CompareItemPositions(0, &t.Doc, 1), 0);
  EXPECT_LT(sub->CompareItemPositions(1, &t.Doc, 2), 0);
  EXPECT_EQ(t.Doc.CompareItemPositions(1, &t.Doc, 1), 0);
  TTestDoc other;
  other.Doc.AddNL(u"x", 0, 0);
  EXPECT_THROW(t.Doc.CompareItemPositions(0, &other.Doc, 0), EViroZereError);

  EXPECT_EQ(t.Doc.FindContainingItemNo(0, sub->GetItem(1)), 1);
  EXPECT_EQ(sub->GetAbsoluteRootItemNo(0), 1);
  int visited = 0;
  EXPECT_TRUE(t.Doc.EnumItems([](TCustomRVData*, int, int& n, const TRVUnicodeString&, bool&) { ++n; }, visited, {}));
  EXPECT_EQ(visited, 6);
  visited = 0;
  EXPECT_FALSE(t.Doc.EnumItems(
      [](TCustomRVData*, int, int& n, const TRVUnicodeString&, bool& go) { go = ++n < 3; }, visited, {}));
  EXPECT_EQ(visited, 3);

  sub->Rotation = rvrot180;
  EXPECT_EQ(sub->GetRealRotation(true), rvrot180);
  EXPECT_TRUE(sub->IsRotationUsed());
  EXPECT_FALSE(t.Doc.IsRotationUsed());
  // Deleting the holder takes the sub-document's sequence out of the list (the document's own
  // recalculation follows the deletion).
  t.Doc.DeleteItems(1, 1);
  EXPECT_EQ(t.Doc.GetSeqList(false)->Count(), 2);
}

TEST(Queries, ParagraphRangesHiddenItemsAndDirection) {
  TTestDoc t;
  t.Sheet.TextStyles()->Items(1)->Options.Include(rvteoHidden);
  t.Doc.AddNL(u"a", 0, 1);
  t.Doc.AddNL(u"b", 0, -1);
  t.Doc.SetAddParagraphMode(false);
  t.Doc.AddNL(u"c", 0, 2);  // a line break inside the paragraph
  t.Doc.SetAddParagraphMode(true);
  t.Doc.AddNL(u"d", 1, 0);
  t.Doc.AddNL(u"e", 0, -1);
  int first = 0, last = 0;
  t.Doc.ExpandToPara(1, 2, first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 2);
  t.Doc.ExpandToParaSection(2, 2, first, last);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(last, 2);
  EXPECT_EQ(t.Doc.GetFirstParaItem(4), 3);
  t.Doc.UnifyParagraphStyle(1);
  EXPECT_EQ(t.Structure(), "P1 S1 B1 P0 S0");
  EXPECT_TRUE(t.Doc.IsHiddenItem(3));
  EXPECT_FALSE(t.Doc.IsHiddenParaEnd(3));

  TTestDoc m;
  m.Sheet.TextStyles()->Items(1)->Options.Include(rvteoHidden);
  m.Doc.AddNL(u"x", 1, 0);
  m.Doc.AddNL(u"y", 0, 0);
  m.Doc.SetListMarkerInfo(0, -1, 0, 1, 0, false);
  m.Doc.SetListMarkerInfo(2, -1, 0, 1, 0, false);
  EXPECT_TRUE(m.Doc.IsHiddenItem(0));   // followed only by hidden text
  EXPECT_FALSE(m.Doc.IsHiddenItem(2));  // followed by visible text

  TTestDoc b;
  b.Doc.AddNL(u"abc \u05D0\u05D1", 0, 0);
  TRVBiDiMode start, ending;
  b.Doc.GetItemBiDiModeEx(0, start, ending);
  EXPECT_EQ(start, rvbdLeftToRight);
  EXPECT_EQ(ending, rvbdRightToLeft);
  EXPECT_EQ(TCustomRVData::GetNextCharPos(u"a\U0001F600b", 2), 4);
  EXPECT_EQ(TCustomRVData::GetPrevCharPos(u"a\U0001F600b", 4), 2);
  EXPECT_TRUE(b.Doc.IsDelimiterAt(u"a b", 2));
  EXPECT_THROW(b.Doc.GetItemVAlign(0), EViroZereError);
  EXPECT_THROW(b.Doc.GetPageBreaksBeforeItems(3), EViroZereError);
}

TEST(Queries, StyleTemplatesFollowTheParagraph) {
  TTestDoc t(2, 2);
  t.Doc.GetRootProperties()->UseStyleTemplates = true;
  TRVStyleTemplate* body = t.Sheet.StyleTemplates()->Add();
  body->SetName(u"Body");
  TRVStyleTemplate* head = t.Sheet.StyleTemplates()->Add();
  head->SetName(u"Heading");
  head->ValidTextProperties.Include(rvfiBold);
  head->TextStyle()->Style.Include(fsBold);
  t.Sheet.ParaStyles()->Items(0)->StyleTemplateId = body->GetId();
  t.Sheet.ParaStyles()->Items(1)->StyleTemplateId = head->GetId();
  t.Sheet.TextStyles()->Items(0)->ParaStyleTemplateId = body->GetId();
  t.Doc.AddNL(u"plain", 0, 0);
  t.Doc.AddNL(u"heading", 0, 1);  // text style 0 made for a body paragraph
  EXPECT_EQ(t.Doc.GetItemStyle(0), 0);
  const int s = t.Doc.GetItemStyle(1);
  EXPECT_NE(s, 0);
  EXPECT_EQ(t.Doc.GetItem(1)->StyleNo, s);  // stored into the item when read
  EXPECT_EQ(t.Sheet.TextStyles()->Items(s)->ParaStyleTemplateId, head->GetId());
  EXPECT_TRUE(t.Sheet.TextStyles()->Items(s)->Style.Contains(fsBold));
  EXPECT_EQ(t.Doc.GetItemStyle(1), s);  // the same style again, not another copy
  const int count = t.Sheet.TextStyles()->Count();
  t.Doc.State.Include(rvstNoStyleTemplateAdustment);
  t.Doc.AddNL(u"kept", 0, 1);
  EXPECT_EQ(t.Doc.GetItemStyle(2), 0);
  EXPECT_EQ(t.Sheet.TextStyles()->Count(), count);
}

}  // namespace
