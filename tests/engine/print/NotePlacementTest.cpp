// Footnotes stacked at the bottom of a page, the note line, and endnotes after the text.
#include "ReportTestUtil.h"

namespace {

// Darkest pixel rows inside a rectangle: the rows that hold any non-white pixel.
std::vector<int> InkRows(TBitmap& bmp, const TRect& r) {
  std::vector<int> rows;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if ((bmp.GetCanvas()->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
        rows.push_back(y);
        break;
      }
  return rows;
}

// Ink extent of one row: first and last non-white x (-1, -1 when none).
std::pair<int, int> InkSpan(TBitmap& bmp, int y, int w) {
  int a = -1, b = -1;
  for (int x = 0; x < w; ++x)
    if ((bmp.GetCanvas()->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
      if (a < 0) a = x;
      b = x;
    }
  return {a, b};
}

}  // namespace

TEST_F(PrintFixture, FootnoteDocumentsAreMadeBeforePagination) {
  AddPara(u"no notes");
  auto bmp = WhiteBitmap(10, 10);
  R->Init(bmp->GetCanvas(), 400);
  EXPECT_EQ(Viewer()->FFootnotes, nullptr);
  EXPECT_GT(Viewer()->GetNoteSeparatorHeight(), 0);  // set even without footnotes

  MakeRenderer();
  AddPara(u"text");
  TRVFootnoteItemInfo* f1 = AddFootnote(1);
  TRVFootnoteItemInfo* f2 = AddFootnote(2);
  R->Init(bmp->GetCanvas(), 400);
  ASSERT_NE(Viewer()->FFootnotes, nullptr);
  ASSERT_EQ(Viewer()->FFootnotes->Count(), 2);
  TRVFootnotePageEntry* e1 = Viewer()->GetFootnoteRVData(f1);
  TRVFootnotePageEntry* e2 = Viewer()->GetFootnoteRVData(f2);
  ASSERT_NE(e1, nullptr);
  ASSERT_NE(e2, nullptr);
  EXPECT_EQ(e1->Footnote, f1);
  auto* d1 = static_cast<TRectPtblRVData*>(e1->GetNoteRVData());
  auto* d2 = static_cast<TRectPtblRVData*>(e2->GetNoteRVData());
  EXPECT_GT(d1->DocumentHeight, 0);
  EXPECT_GT(d2->DocumentHeight, d1->DocumentHeight);  // two lines against one
  EXPECT_TRUE(d1->Transparent);
  EXPECT_EQ(d1->GetColor(), clNone);
  // Shares the note's items, owns none.
  EXPECT_EQ(d1->GetItems(), f1->GetDocument()->GetItems());
}

TEST_F(PrintFixture, ThreeFootnotesStackUpwardsFromTheBottomMargin) {
  AddPara(u"text with three notes");
  TRVFootnoteItemInfo* f[3] = {AddFootnote(1), AddFootnote(2), AddFootnote(1)};
  auto bmp = WhiteBitmap(10, 10);
  R->Init(bmp->GetCanvas(), 400);
  Data()->CurHeight = 1000;
  Data()->TmpMNormal.Bottom = 40;
  // The page lists them in any order; placing sorts them by number.
  TRVFootnoteRefList list;
  list.Add(Viewer()->GetFootnoteRVData(f[2]));
  list.Add(Viewer()->GetFootnoteRVData(f[0]));
  list.Add(Viewer()->GetFootnoteRVData(f[1]));
  Viewer()->CalcFootnotesCoords(&list, 1);
  int bottom = 1000 - 40;
  for (int i = 2; i >= 0; --i) {
    TRVFootnotePageEntry* e = list.Get(i);
    auto* d = static_cast<TRectPtblRVData*>(e->GetNoteRVData());
    EXPECT_EQ(e->Footnote, f[i]) << i;
    EXPECT_EQ(e->IndexOnPage, i + 1);
    EXPECT_EQ(d->Top + d->DocumentHeight, bottom) << i;
    EXPECT_EQ(d->Left, ScreenToDeviceX(Viewer()->GetLeftMargin(), Data()->PrnSad));
    bottom = d->Top;
  }
}

TEST_F(PrintFixture, NoteLineIsAThirdOfTheTextAtTheReadingStart) {
  AddPara(u"text");
  auto bmp = WhiteBitmap(500, 100);
  R->Init(bmp->GetCanvas(), 400);
  Viewer()->FNoteLineWidth = 1;
  const int textW = Viewer()->GetWidth() - Viewer()->GetLeftMargin() - Viewer()->GetRightMargin();
  const int left = Viewer()->GetLeftMargin();
  const int h = Viewer()->GetNoteSeparatorHeight();
  Viewer()->DrawNoteSeparatorAbove(1, 50, bmp->GetCanvas(), false);
  const std::vector<int> rows = InkRows(*bmp, TRect(0, 0, 500, 100));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], 50 - h / 2);
  auto span = InkSpan(*bmp, rows[0], 500);
  EXPECT_EQ(span.first, left + h / 2);
  EXPECT_EQ(span.second, left + textW / 3 - h - 1);
  // Full width.
  auto full = WhiteBitmap(500, 100);
  Viewer()->DrawNoteSeparatorAbove(1, 50, full->GetCanvas(), true);
  span = InkSpan(*full, 50 - h / 2, 500);
  EXPECT_EQ(span.second, left + textW - h - 1);
  // Right to left: the third moves to the right end.
  Viewer()->SetBiDiMode(rvbdRightToLeft);
  auto rtl = WhiteBitmap(500, 100);
  Viewer()->DrawNoteSeparatorAbove(1, 50, rtl->GetCanvas(), false);
  span = InkSpan(*rtl, 50 - h / 2, 500);
  EXPECT_EQ(span.first, left + textW - textW / 3 + h / 2);
}
