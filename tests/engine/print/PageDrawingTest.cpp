// Drawing pages: the page background, the text at its page position, the printed item range and
// the notifications of a page.
#include <gtest/gtest.h>

#include "support/PrintTestUtil.h"
#include "engine/layout/RVBack.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace {

constexpr TColor Red = static_cast<TColor>(0x000000FF);

struct TPage {
  TBitmap Bmp;
  TPage() {
    Bmp.SetSize(200, 300);
    TCanvas* c = Bmp.GetCanvas();
    c->Brush().SetStyle(bsSolid);
    c->Brush().SetColor(clWhite);
    c->FillRect(TRect(0, 0, 200, 300));
  }
  // Whether any pixel of R differs from white.
  bool Painted(const TRect& R) {
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x)
        if ((Bmp.GetCanvas()->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return true;
    return false;
  }
};

// Margins 20, 30, 10, 40 on a 200 x 300 page: the text area is (20, 30) - (190, 260).
TPrintableRVData& Paginated(TPrintTestViewer& v, int Paras) {
  for (int i = 0; i < Paras; ++i) v.Para(1, 0);
  TPrintableRVData& d = v.Make<TPrintableRVData>();
  d.PreparePageMetrics();
  v.Paginate(d.ContentHeightNormal);
  return d;
}

TEST(PageDrawing, TiledAndScrolledBackgroundIsPrintedTiledAndKeepsItsStyle) {
  TPrintTestViewer v;
  TBitmap img;
  img.SetSize(4, 4);
  img.GetCanvas()->Brush().SetStyle(bsSolid);
  img.GetCanvas()->Brush().SetColor(Red);
  img.GetCanvas()->FillRect(TRect(0, 0, 4, 4));
  TRVBackground bg(false, nullptr);
  bg.AssignImage(&img, &v.Source, true, nullptr);
  bg.Style = bsTiledAndScrolled;
  v.Background = &bg;
  TPrintableRVData& d = Paginated(v, 1);
  TPage page;
  d.DrawPage(1, 1, page.Bmp.GetCanvas(), true, false, false);
  EXPECT_EQ(bg.Style, bsTiledAndScrolled) << "printing leaves the document's background style alone";
  EXPECT_EQ(page.Bmp.GetCanvas()->GetPixel(100, 200) & 0xFFFFFF, Red) << "the text area is tiled";
  EXPECT_EQ(page.Bmp.GetCanvas()->GetPixel(150, 250) & 0xFFFFFF, Red);
  EXPECT_FALSE(page.Painted(TRect(0, 0, 200, 29))) << "the top margin stays blank";
  EXPECT_FALSE(page.Painted(TRect(191, 0, 200, 300))) << "the right margin stays blank";
  EXPECT_FALSE(d.FBackgroundBmp) << "the page's background bitmap lives only while the page is drawn";
}

TEST(PageDrawing, TextIsDrawnAtItsPagePosition) {
  TPrintTestViewer v;
  TPrintableRVData& d = Paginated(v, 2);
  TPage page;
  d.DrawPage(1, 1, page.Bmp.GetCanvas(), true, false, false);
  EXPECT_TRUE(page.Painted(TRect(20, 30, 60, 50))) << "two lines at the text area's top-left";
  EXPECT_FALSE(page.Painted(TRect(0, 0, 200, 30)));
  EXPECT_FALSE(page.Painted(TRect(0, 50, 200, 300)));
  EXPECT_FALSE(page.Painted(TRect(0, 0, 20, 300)));
}

TEST(PageDrawing, TextTakesTheJobsColourMode) {
  for (TRVColorMode mode : {rvcmColor, rvcmBlackAndWhite}) {
    TPrintTestViewer v;
    v.Sheet.TextStyles()->Items(0)->Color = Red;
    TPrintableRVData& d = Paginated(v, 1);
    d.ColorMode = mode;
    TPage page;
    d.DrawPage(1, 1, page.Bmp.GetCanvas(), true, false, false);
    // Glyphs are smoothed: a reddish pixel has much more red than green.
    bool red = false;
    for (int y = 30; y < 40; ++y)
      for (int x = 20; x < 60; ++x) {
        const unsigned c = page.Bmp.GetCanvas()->GetPixel(x, y);
        red |= (c & 0xFF) > 0xC0 && ((c >> 8) & 0xFF) < 0x80;
      }
    EXPECT_EQ(red, mode == rvcmColor) << "mode " << int(mode);
    EXPECT_TRUE(page.Painted(TRect(20, 30, 60, 40)));
  }
}

TEST(PageDrawing, ItemsOutsideThePrintedRangeAreNotDrawn) {
  TPrintTestViewer v;
  v.MinPrinted = 1;
  TPrintableRVData& d = Paginated(v, 3);
  TPage page;
  std::vector<bool> startsInRange;
  v.OnPagePrepaint = [&](TObject*, int, TCanvas*, bool, const TRect&, const TRect&) { startsInRange.push_back(true); };
  d.DrawPage(1, 1, page.Bmp.GetCanvas(), true, false, false);
  EXPECT_FALSE(page.Painted(TRect(20, 30, 70, 40))) << "item 0 is before the range";
  EXPECT_TRUE(page.Painted(TRect(20, 40, 70, 60)));
  EXPECT_EQ(startsInRange.size(), 1u) << "the page prepaint event is raised";

  v.MinPrinted = 0;
  v.MaxPrinted = 0;
  TPage page2;
  d.DrawPage(1, 1, page2.Bmp.GetCanvas(), true, false, false);
  EXPECT_TRUE(page2.Painted(TRect(20, 30, 70, 40)));
  EXPECT_FALSE(page2.Painted(TRect(20, 40, 70, 60))) << "drawing stops after the last printed item";
}

TEST(PageDrawing, PostpaintIsRaisedWhenThePageEndsInRange) {
  TPrintTestViewer v;
  TPrintableRVData& d = Paginated(v, 1);
  int post = 0;
  TRect pageRect, area;
  v.OnPagePostpaint = [&](TObject*, int, TCanvas*, bool Preview, const TRect& P, const TRect& A) {
    ++post;
    pageRect = P;
    area = A;
    EXPECT_FALSE(Preview);
  };
  TPage page;
  d.DrawPage(1, 1, page.Bmp.GetCanvas(), true, false, false);
  EXPECT_EQ(post, 1);
  EXPECT_EQ(pageRect, TRect(0, 0, 200, 300));
  EXPECT_EQ(area, TRect(20, 30, 190, 260));
  d.DrawPage(0, 0, page.Bmp.GetCanvas(), true, false, false);
  EXPECT_EQ(post, 1) << "page 0 draws nothing";
}

TEST(PageDrawing, WithoutStyleSheetDrawingRaises) {
  struct TNoSheetViewer : TPrintTestViewer {
    TRVStyle* GetStyle() const override { return nullptr; }
  } bare;
  TCustomPrintableRVData orphan(&bare);
  TPage page;
  EXPECT_THROW(orphan.DrawPage(1, 1, page.Bmp.GetCanvas(), true, false, false), EViroZereError);
}

}  // namespace
