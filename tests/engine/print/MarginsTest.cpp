// The margins of a print job: page kinds, headers and footers pushing the text area, mirror
// margins and margins inside the device's unprintable border.
#include <gtest/gtest.h>

#include "support/PrintTestUtil.h"

namespace {

// The document a header prints; it outlives the printable copy that shares its items.
struct THeaderSource {
  explicit THeaderSource(TRVStyle* Sheet) : Src(Sheet) {}
  TRVPlainFormattedData Src;
};

// A header or footer: a one-page document laid out in a rectangle of the page.
class THeaderDoc : public THeaderSource, public TCustomMultiPagePtblRVData {
 public:
  THeaderDoc(TPrintTestViewer& V, int Lines) : THeaderSource(&V.Sheet), TCustomMultiPagePtblRVData(&V) {
    for (int i = 0; i < Lines; ++i) Src.AddNL(u"hh", 0, 0);
    ShareItemsFrom(&Src);
  }
  void SetPageRect(int ALeft, int ATop, int AWidth, int AHeight) override {
    R = TRect(ALeft, ATop, ALeft + AWidth, ATop + AHeight);
    ++Placed;
  }
  void SetPageRectLeft(int ALeft) override { R = TRect(ALeft, R.Top, ALeft + R.Width(), R.Bottom); }
  int GetWidth() const override { return R.Width(); }
  int GetPrintableAreaLeft(int) override { return R.Left; }
  int GetPrintableAreaTop(int) override { return R.Top; }
  bool IsPageSubDocument() override { return true; }
  void InitScreenAndDevice(TCanvas*, TRVScreenAndDevice& SaD) override {
    SaD.ppixScreen = SaD.ppiyScreen = SaD.ppixDevice = SaD.ppiyDevice = 96;
  }
  TRect R{0, 0, 0, 0};
  int Placed = 0;
};

TEST(Margins, NormalPageFromTheViewersMargins) {
  TPrintTestViewer v;
  v.Para(1, 0);
  TPrintableRVData& d = v.Make<TPrintableRVData>();
  d.PreparePageMetrics();
  EXPECT_EQ(d.TmpMNormal, TRect(20, 30, 10, 40));
  EXPECT_EQ(d.ContentHeightNormal, 230);
  EXPECT_EQ(d.TmpLMMir, 10);
  EXPECT_EQ(v.GetWidth(), 170) << "the text is laid out at the page width less the margins";
}

TEST(Margins, TitlePageAndFacingPagesUseTheirOwnMarginsAndHeaders) {
  TPrintTestViewer v;
  v.TitlePage = v.FacingPages = true;
  v.Para(1, 0);
  TPrintableRVData& d = v.Make<TPrintableRVData>();
  d.Header = std::make_unique<THeaderDoc>(v, 1);
  d.FirstPageHeader = std::make_unique<THeaderDoc>(v, 3);  // 10 below the paper's top + 30 > 30
  d.EvenPagesFooter = std::make_unique<THeaderDoc>(v, 5);  // 50 + 10 above the paper's bottom > 40
  d.PreparePageMetrics();
  EXPECT_EQ(d.GetPageType(1), rvhftFirstPage);
  EXPECT_EQ(d.GetPageType(2), rvhftEvenPages);
  EXPECT_EQ(d.GetPageType(3), rvhftNormal);
  EXPECT_EQ(d.GetTmpMForPage(1), TRect(20, 40, 10, 40)) << "the tall header pushes the text down";
  EXPECT_EQ(d.GetTmpMForPage(2), TRect(20, 30, 10, 60)) << "the tall footer pushes the text up";
  EXPECT_EQ(d.GetTmpMForPage(3), TRect(20, 30, 10, 40));
  EXPECT_EQ(d.GetContentHeightForPage(1), 220);
  EXPECT_EQ(d.GetContentHeightForPage(2), 210);
  EXPECT_EQ(d.GetContentHeightForPage(3), 230);
  EXPECT_EQ(d.GetHeaderForPage(1), d.FirstPageHeader.get());
  EXPECT_EQ(d.GetHeaderForPage(2), nullptr) << "no fallback to the normal header";
  EXPECT_EQ(d.GetHeaderForPage(3), d.Header.get());
  EXPECT_EQ(d.GetFooterForPage(2), d.EvenPagesFooter.get());
  EXPECT_EQ(static_cast<THeaderDoc*>(d.FirstPageHeader.get())->R.Top, 10);
  EXPECT_EQ(static_cast<THeaderDoc*>(d.EvenPagesFooter.get())->R.Top, 240);
  EXPECT_EQ(d.GetPrintableAreaTop(1), 40);
  EXPECT_EQ(d.GetPageStartY(1, 1), -40) << "page 1's text starts under the first-page header";
}

TEST(Margins, WithoutTitlePageOrFacingPagesEveryPageIsNormal) {
  TPrintTestViewer v;
  v.Para(1, 0);
  TPrintableRVData& d = v.Make<TPrintableRVData>();
  for (int p : {1, 2, 3}) EXPECT_EQ(d.GetPageType(p), rvhftNormal);
}

TEST(Margins, MirrorMarginsMoveEvenPagesText) {
  TPrintTestViewer v;
  v.MirrorMargins = true;
  v.Para(1, 0);
  TPrintableRVData& d = v.Make<TPrintableRVData>();
  d.PreparePageMetrics();
  EXPECT_EQ(d.GetPrintableAreaLeft(1), 20);
  EXPECT_EQ(d.GetPrintableAreaLeft(2), 10);
  EXPECT_EQ(d.GetPrintableAreaLeft(3), 20);
}

// A device whose unprintable border is 25 left, 12 top, 5 right and 8 bottom.
TEST(Margins, MarginInsideTheUnprintableBorder) {
  struct TCase {
    TRVFixMarginsMode Mode;
    TRect Expected;
    int Mirror;
  };
  for (const TCase& c : {TCase{rvfmmAutoCorrect, TRect(0, 18, 0, 32), 0}, TCase{rvfmmIgnore, TRect(-5, 18, 5, 32), -15}}) {
    TPrintTestViewer v;
    v.Virtual = false;
    v.FixMargins = c.Mode;
    SetDevicePhysicalPage(v.DC(), 230, 320, 25, 12);
    v.Para(1, 0);
    TPrintableRVData& d = v.Make<TPrintableRVData>();
    d.PreparePageMetrics();
    EXPECT_EQ(d.PhysM, TRect(25, 12, 5, 8));
    EXPECT_EQ(d.TmpMNormal, c.Expected) << "mode " << int(c.Mode);
    EXPECT_EQ(d.TmpLMMir, c.Mirror);
  }
}

TEST(Margins, MarginsWiderThanThePageAreCut) {
  TPrintTestViewer v;
  v.Margins = TRect(150, 200, 100, 200);
  v.Para(1, 0);
  TPrintableRVData& d = v.Make<TPrintableRVData>();
  d.PreparePageMetrics();
  // The left margin also leaves room for the mirrored left margin (the right one, 100).
  EXPECT_EQ(d.TmpMNormal, TRect(100, 200, 50, 100));
  EXPECT_EQ(d.ContentHeightNormal, 0);
}

TEST(Margins, PageNumbersOutsideThePagesAreRefused) {
  TPrintTestViewer v;
  v.Para(5, 0);
  TPrintableRVData& d = v.Make<TPrintableRVData>();
  v.Paginate(35);
  EXPECT_NO_THROW(d.CheckPageNo(2));
  EXPECT_THROW(d.CheckPageNo(0), EViroZereError);
  EXPECT_THROW(d.CheckPageNo(3), EViroZereError);
}

TEST(Margins, ClampMarginPair) {
  int a = 300, b = 20;
  ClampMarginPair(a, b, 200);
  EXPECT_EQ(a, 200);
  EXPECT_EQ(b, 0);
  a = 50, b = 20;
  ClampMarginPair(a, b, 200);
  EXPECT_EQ(a, 50);
  EXPECT_EQ(b, 20);
}

}  // namespace
