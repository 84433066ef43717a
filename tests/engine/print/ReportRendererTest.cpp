// The report renderer end to end: pages laid out for a caller's canvas and heights, footnotes at
// the page bottoms, endnotes after the text, drawing on bitmaps and recorded metafiles.
#include "ReportTestUtil.h"

#include "engine/layout/DrawLines.h"
#include "platform/graphics/Metafile.h"

namespace {

// Rows holding ink inside r.
int InkRowCount(TBitmap& bmp, const TRect& r) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if ((bmp.GetCanvas()->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
        ++n;
        break;
      }
  return n;
}

// Groups of consecutive rows with ink (lines of text) in the top h rows.
int InkBands(TBitmap& bmp, int w, int h) {
  int bands = 0;
  bool prev = false;
  for (int y = 0; y < h; ++y) {
    const bool ink = InkRowCount(bmp, TRect(0, y, w, y + 1)) > 0;
    bands += ink && !prev;
    prev = ink;
  }
  return bands;
}

}  // namespace

TEST_F(PrintFixture, LaysOutPagesOfTheHeightsTheCallerGives) {
  for (int i = 0; i < 40; ++i) AddPara(u"paragraph " + IntToStr(i));
  auto bmp = WhiteBitmap(400, 400);
  R->Init(bmp->GetCanvas(), 400);
  EXPECT_FALSE(R->Finished());
  // A shorter first page (a title block above the text), then full pages.
  ASSERT_TRUE(R->FormatNextPage(100));
  int pages = 1;
  while (R->FormatNextPage(200)) ++pages;
  EXPECT_TRUE(R->Finished());
  EXPECT_EQ(R->GetPagesCount(), pages);
  TReportRVData* d = Data();
  ASSERT_GE(d->PagesCount(), 3);
  EXPECT_LE(d->Pages->GetItem(0)->DocumentHeight, 100 - d->TmpTMPix - d->TmpBMPix);
  EXPECT_GT(d->Pages->GetItem(1)->DocumentHeight, d->Pages->GetItem(0)->DocumentHeight);
  // Every paragraph is on exactly one page, in order.
  int next = 0;
  for (int p = 1; p <= d->PagesCount(); ++p) {
    int s, e, part;
    d->GetDrawItemsRange(p, s, e, part);
    EXPECT_EQ(s, next) << p;
    next = e + 1;
  }
  EXPECT_EQ(next, d->DrawItems->Count());
  EXPECT_FALSE(R->FormatNextPage(200));
}

TEST_F(PrintFixture, DrawsPagesOnABitmapAndARecordedMetafile) {
  for (int i = 0; i < 12; ++i) AddPara(u"line " + IntToStr(i));
  auto bmp = WhiteBitmap(300, 200);
  R->Init(bmp->GetCanvas(), 300);
  while (R->FormatNextPage(100)) {
  }
  ASSERT_GE(R->GetPagesCount(), 2);
  R->DrawPage(2, bmp->GetCanvas(), false, 100);
  EXPECT_GT(InkRowCount(*bmp, TRect(0, 0, 300, 100)), 0);
  // The same page recorded: playing the record back gives the bitmap's pixels.
  TMetafile mf;
  mf.SetWidth(300);
  mf.SetHeight(100);
  {
    TMetafileCanvas mc(mf, nullptr);
    R->DrawPage(2, &mc, false, 100);
  }
  auto played = WhiteBitmap(300, 200);
  played->GetCanvas()->Draw(0, 0, &mf);
  EXPECT_GT(InkRowCount(*played, TRect(0, 0, 300, 100)), 0);
  // The record holds the same lines of text (its frame is the drawing's bounds, so the played
  // lines may sit a few pixels apart).
  const int drawn = InkRowCount(*bmp, TRect(0, 0, 300, 100)), replayed = InkRowCount(*played, TRect(0, 0, 300, 100));
  EXPECT_GT(drawn, 10);
  EXPECT_NEAR(replayed, drawn, 4);
  EXPECT_EQ(InkBands(*played, 300, 100), InkBands(*bmp, 300, 100));
}

TEST_F(PrintFixture, FootnotesOfAPageStandAtItsBottomUnderALine) {
  AddPara(u"text");
  TRVFootnoteItemInfo* f[3] = {AddFootnote(1), AddFootnote(2), AddFootnote(1)};
  AddPara(u"more text");
  auto bmp = WhiteBitmap(400, 300);
  R->Init(bmp->GetCanvas(), 400);
  while (R->FormatNextPage(300)) {
  }
  ASSERT_EQ(R->GetPagesCount(), 1);
  TRVPageInfo* page = Data()->Pages->GetItem(0);
  ASSERT_NE(page->FootnoteRVDataList, nullptr);
  ASSERT_EQ(page->FootnoteRVDataList->Count(), 3);
  int bottom = 300 - Data()->GetTmpMForPage(1).Bottom;
  for (int i = 2; i >= 0; --i) {
    TRVFootnotePageEntry* e = page->FootnoteRVDataList->Get(i);
    auto* note = static_cast<TRectPtblRVData*>(e->GetNoteRVData());
    EXPECT_EQ(e->Footnote, f[i]);
    EXPECT_EQ(note->Top + note->DocumentHeight, bottom);
    bottom = note->Top;
  }
  // The text's room shrank by the notes and the line's gap.
  R->DrawPage(1, bmp->GetCanvas(), false, 300);
  const int lineY = bottom - Viewer()->GetNoteSeparatorHeight() / 2;
  int ink = 0;
  for (int x = 0; x < 400; ++x) ink += (bmp->GetCanvas()->GetPixel(x, lineY) & 0xFFFFFF) != 0xFFFFFF;
  EXPECT_GT(ink, 20);
  EXPECT_LT(ink, 400 / 3 + 5);  // a third of the text width
}

TEST_F(PrintFixture, EndnotesThatDoNotFitStartAPageWithAFullLine) {
  for (int i = 0; i < 9; ++i) AddPara(u"text line " + IntToStr(i));
  AddEndnote(3);
  auto bmp = WhiteBitmap(400, 120);
  R->Init(bmp->GetCanvas(), 400);
  while (R->FormatNextPage(120)) {
  }
  const int textPages = Data()->PagesCount();
  ASSERT_NE(Viewer()->FEndnotes, nullptr);
  TRVEndnoteList& list = *Viewer()->FEndnotes;
  ASSERT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.GetItems(0)->FromNewPage);
  ASSERT_GE(list.Pages->Count(), 2);
  EXPECT_EQ(list.Pages->GetItems(0)->Index, -1);  // the last text page shows no endnote
  EXPECT_EQ(list.Pages->GetItems(1)->Index, 0);
  EXPECT_EQ(R->GetPagesCount(), textPages + list.Pages->Count() - 1);
  // The endnote page starts with a full-width line.
  auto page = WhiteBitmap(400, 120);
  R->DrawPage(textPages + 1, page->GetCanvas(), false, 120);
  const int y = Data()->TmpTMPix + list.GetItems(0)->StartAt - Viewer()->GetNoteSeparatorHeight() / 2;
  int ink = 0;
  for (int x = 0; x < 400; ++x) ink += (page->GetCanvas()->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
  EXPECT_GT(ink, 400 / 2);
  // The last text page draws no endnote line.
  auto last = WhiteBitmap(400, 120);
  R->DrawPage(textPages, last->GetCanvas(), false, 120);
  EXPECT_EQ(InkRowCount(*last, TRect(0, Data()->Pages->GetItem(textPages - 1)->DocumentHeight + Data()->TmpTMPix + 2,
                                     400, 120)),
            0);
}

TEST_F(PrintFixture, EndnotesThatFitFollowTheTextUnderAThirdLine) {
  AddPara(u"short text");
  AddEndnote(1);
  auto bmp = WhiteBitmap(400, 300);
  R->Init(bmp->GetCanvas(), 400);
  while (R->FormatNextPage(300)) {
  }
  ASSERT_EQ(R->GetPagesCount(), 1);
  ASSERT_NE(Viewer()->FEndnotes, nullptr);
  EXPECT_FALSE(Viewer()->FEndnotes->GetItems(0)->FromNewPage);
  EXPECT_EQ(Viewer()->FEndnotes->Pages->GetItems(0)->Index, 0);
  EXPECT_GT(R->EndAt, Data()->Pages->GetItem(0)->DocumentHeight);
}
