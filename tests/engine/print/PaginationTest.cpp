// Cutting documents into pages: where pages start for small documents of one-word lines (10
// pixels each) under the keep, widow and orphan, page-break and footnote rules.
#include <gtest/gtest.h>

#include "support/PrintTestUtil.h"

namespace {

// Paragraph styles of the fixture: 0 plain, 1 keep with next, 2 widow and orphan control,
// 3 keep lines together.
struct TParaSpec {
  int Lines, ParaNo;
  bool PageBreakBefore = false;
};

struct TPageCase {
  const char* Name;
  std::vector<TParaSpec> Paras;
  int Height;
  std::vector<int> Starts;  // first draw item (= line) of each page
};

class PaginationCases : public ::testing::TestWithParam<TPageCase> {};

TEST_P(PaginationCases, PagesStartWhereTheRulesSay) {
  const TPageCase& c = GetParam();
  TPrintTestViewer v;
  for (const TParaSpec& p : c.Paras) v.Para(p.Lines, p.ParaNo, p.PageBreakBefore);
  v.Make();
  ASSERT_EQ(v.Data->DrawItems->Count(), [&] {
    int n = 0;
    for (const TParaSpec& p : c.Paras) n += p.Lines;
    return n;
  }()) << "one draw item a line";
  EXPECT_EQ(v.Paginate(c.Height), c.Starts);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PaginationCases,
    ::testing::Values(
        TPageCase{"AllFit", {{2, 0}, {1, 0}}, 35, {0}},
        TPageCase{"PlainOverflowBreaksAtTheLine", {{5, 0}}, 35, {0, 3}},
        TPageCase{"ExactFit", {{3, 0}, {3, 0}}, 30, {0, 3}},
        // The paragraph kept with the next one goes to the next page with it.
        TPageCase{"KeepWithNextMovesBoth", {{2, 0}, {1, 1}, {3, 0}}, 35, {0, 2, 5}},
        // ...unless together they start at the top of the page: the break stays at the overflow.
        TPageCase{"KeepWithNextAtPageTop", {{3, 1}, {3, 0}}, 35, {0, 3}},
        // A break never leaves one line of a paragraph alone at the top or bottom of a page.
        TPageCase{"OrphanMovesTheParagraph", {{2, 0}, {3, 2}}, 35, {0, 2}},
        TPageCase{"WidowMovesThreeLinesWhole", {{1, 0}, {3, 2}}, 35, {0, 1}},
        TPageCase{"WidowControlBreaksLongParagraphInside", {{6, 2}}, 35, {0, 3}},
        // Lines kept together longer than a page break where they overflow.
        TPageCase{"KeepLinesTogetherLongerThanPage", {{5, 3}}, 35, {0, 3}},
        TPageCase{"KeepLinesTogetherMovesWhole", {{1, 0}, {3, 3}}, 35, {0, 1}},
        TPageCase{"PageBreakBefore", {{1, 0}, {1, 0, true}}, 100, {0, 1}},
        TPageCase{"PageBreakBeforeOnPageStart", {{3, 0}, {1, 0, true}}, 30, {0, 3}},
        // A line taller than the page still takes a page (no endless empty pages).
        TPageCase{"PageLowerThanALine", {{3, 0}}, 5, {0, 1, 2}}),
    [](const ::testing::TestParamInfo<TPageCase>& i) { return std::string(i.param.Name); });

TEST(Pagination, OnePageHeightAndEnd) {
  TPrintTestViewer v;
  v.Para(2, 0);
  v.Para(1, 0);
  v.Make();
  EXPECT_EQ(v.Paginate(100), std::vector<int>({0}));
  const TRVPageInfo* p = v.Data->Pages->GetItem(0);
  EXPECT_EQ(p->StartY, 0);
  EXPECT_EQ(p->DocumentHeight, 30);
  EXPECT_EQ(v.EndAt, 30);
}

TEST(Pagination, IgnoredPageBreaks) {
  TPrintTestViewer v;
  v.IgnoreBreaks = true;
  v.Para(1, 0);
  v.Para(1, 0, true);
  v.Make();
  EXPECT_EQ(v.Paginate(100), std::vector<int>({0}));
}

TEST(Pagination, DrawItemsRangeOfPages) {
  TPrintTestViewer v;
  v.Para(5, 0);
  v.Make();
  v.Paginate(35);
  int s, e, part = 7;
  v.Data->GetDrawItemsRange(1, s, e, part);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(e, 2);
  EXPECT_EQ(part, -1);
  v.Data->GetDrawItemsRange(2, s, e, part);
  EXPECT_EQ(s, 3);
  EXPECT_EQ(e, 4);
  part = 7;
  v.Data->GetDrawItemsRange(3, s, e, part);
  EXPECT_EQ(s, -1);
  EXPECT_EQ(e, -1);
  EXPECT_EQ(part, 7);
  EXPECT_EQ(v.Data->Pages->GetItem(1)->StartY, 30);
  EXPECT_EQ(v.Data->Pages->GetItem(1)->DocumentHeight, 20);
}

// ---- footnotes ----

TEST(PaginationFootnotes, FootnoteThatDoesNotFitTakesItsLineToTheNextPage) {
  TPrintTestViewer v;
  v.Para(2, 0);
  v.Para(1, 0);
  v.Footnote(15);
  v.Make();
  // Lines: 0 'aaaa', 1 'bbbb', 2 'aaaa' + reference. 30 of text fits 35, the footnote and its
  // separator (20) do not.
  ASSERT_EQ(v.Data->DrawItems->Count(), 4);
  EXPECT_EQ(v.Paginate(35), std::vector<int>({0, 2}));
  EXPECT_FALSE(v.Data->Pages->GetItem(0)->FootnoteRVDataList);
  ASSERT_TRUE(v.Data->Pages->GetItem(1)->FootnoteRVDataList);
  EXPECT_EQ(v.Data->Pages->GetItem(1)->FootnoteRVDataList->Count(), 1);
  EXPECT_EQ(v.Footnotes[0]->FootnoteItemRVData, v.Data.get());
  EXPECT_EQ(v.Footnotes[0]->FootnoteDItemNo, 3);
}

TEST(PaginationFootnotes, FootnotesThatDoNotChangeTheHeight) {
  TPrintTestViewer v;
  v.Para(2, 0);
  v.Para(1, 0);
  v.Footnote(15);
  v.Make();
  EXPECT_EQ(v.Paginate(35, false), std::vector<int>({0}));
  ASSERT_TRUE(v.Data->Pages->GetItem(0)->FootnoteRVDataList);
  EXPECT_EQ(v.Data->Pages->GetItem(0)->FootnoteRVDataList->Count(), 1);
}

TEST(PaginationFootnotes, FootnoteThatFitsStaysAndIsPlaced) {
  TPrintTestViewer v;
  v.Para(1, 0);
  v.Footnote(10);
  v.Para(3, 0);
  v.Make();
  // 'aaaa'+ref (10) + footnote 10 + separator 5 leaves 20 of 45: two more lines, then a page.
  EXPECT_EQ(v.Paginate(45), std::vector<int>({0, 4}));
  ASSERT_TRUE(v.Data->Pages->GetItem(0)->FootnoteRVDataList);
  ASSERT_FALSE(v.FootnotePlacements.empty());
  EXPECT_EQ(v.FootnotePlacements[0], std::make_pair(1, 1));
}

// ---- documents that begin part-way down a page ----

class TEndnoteLikeData : public TCustomMainPtblRVData {
 public:
  using TCustomMainPtblRVData::TCustomMainPtblRVData;
  int GetFirstPageStartAt() override { return 30; }
  bool AllowEmptyStartPage() override { return AllowEmpty; }
  bool IsPageSubDocument() override { return true; }
  static inline bool AllowEmpty = true;
};

TEST(Pagination, DocumentStartingBelowTextMayLeaveItsFirstPageEmptyOnlyWhenAllowed) {
  for (bool allow : {true, false}) {
    TPrintTestViewer v;
    v.Para(2, 0);
    v.Make<TEndnoteLikeData>();
    TEndnoteLikeData::AllowEmpty = allow;
    // 5 pixels left under the text: the first line does not fit.
    const std::vector<int> starts = v.Paginate(35);
    if (allow)
      EXPECT_EQ(starts, std::vector<int>({0, 0})) << "an empty start page, then the lines";
    else
      EXPECT_EQ(starts, std::vector<int>({0, 1})) << "the first line is placed anyway";
  }
}

}  // namespace

namespace {

// An object 80 pixels high that can be cut anywhere: the last part holds what is left.
class TTallSplitItem : public TRVMultiDrawItemInfo {
 public:
  bool InitSplit(const TRVScreenAndDevice&, bool) override {
    PartsList.clear();
    Add(Height);
    return true;
  }
  bool CanSplitFirst(int Y, const TRVScreenAndDevice&, bool, bool, bool, bool) override { return Y >= 10; }
  bool SplitAt(int Y, const TRVScreenAndDevice&, bool, TList*&, int&, bool, bool) override {
    TRVMultiDrawItemPart* last = PartsList.back().get();
    if (last->Height <= Y) return false;
    const int rest = last->Height - Y;
    last->Height = Y;
    Add(rest);
    return true;
  }

 private:
  void Add(int H) {
    PartsList.push_back(std::make_unique<TRVMultiDrawItemPart>(this));
    PartsList.back()->Height = H;
  }
};

TEST(Pagination, ItemSplitAcrossPages) {
  TPrintTestViewer v;
  v.Para(1, 0);
  v.Para(1, 0);
  v.Para(1, 0);
  v.Make();
  // Line 1 becomes an object from 10 to 90; line 2 moves below it.
  TRVDrawLines& d = *v.Data->DrawItems;
  auto* tall = new TTallSplitItem;
  tall->SetData(0, 10, true, d.Get(1)->ItemNo);
  tall->SetSize(40, 80);
  delete d.Get(1);
  d.Put(1, tall);
  d.Get(2)->Top = 90;
  EXPECT_EQ(v.Paginate(35), std::vector<int>({0, 1, 1}));
  TRVPageCollection& p = *v.Data->Pages;
  EXPECT_EQ(p[0]->StartPart, 0);
  EXPECT_EQ(p[1]->StartPart, 2);
  EXPECT_EQ(p[2]->StartPart, 3);
  EXPECT_EQ(p[0]->DocumentHeight, 35) << "line 0 and the object's first 25 pixels";
  EXPECT_EQ(p[2]->StartY2, 70) << "the last 20 pixels of the object open page 3";
  int s, e, part;
  v.Data->GetDrawItemsRange(1, s, e, part);
  EXPECT_EQ(e, 1) << "the split draw item belongs to both pages";
  v.Data->GetDrawItemsRange(3, s, e, part);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(e, 2);
  EXPECT_EQ(part, 2);
  EXPECT_EQ(v.Data->GetPageStartY2(3, 3) - v.Data->GetTmpMForPage(3).Top, 70)
      << "line 2 follows the object's last part";
}

}  // namespace
