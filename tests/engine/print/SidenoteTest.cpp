// Sidenotes and text boxes of headers placed on pages: anchors to the inner margin, automatic and
// fixed heights, which pages have them, and drawing within the printed range.
#include "ReportTestUtil.h"

#include "engine/print/RVPrint.h"
#include "engine/viewer/RVViroZere.h"

namespace {

// A TRVPrint laying pages out for a virtual printer of 794 x 1123 pixels at 96 ppi, margins 20 mm
// (76 pixels), with a header document of its own holding one sidenote.
struct SidenoteFixture : ::testing::Test {
  TRVStyle Sheet{nullptr};
  TViroZere Source{nullptr};
  TViroZere HeaderSource{nullptr};
  TRVPrint P{nullptr};
  TRVSidenoteItemInfo* Note = nullptr;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    Source.SetStyle(&Sheet);
    Source.GetRVData()->AddNL(u"body", 0, 0);
    HeaderSource.SetStyle(&Sheet);
    HeaderSource.GetRVData()->AddNL(u"header text", 0, 0);
    Note = new TRVSidenoteItemInfo(HeaderSource.GetRVData());
    Note->GetDocument()->AddNL(u"side", 0, 0);
    Note->BoxProperties.Width = 50;  // pixels
    Note->BoxPosition.HorizontalAnchor = rvhanInnerMargin;
    Note->BoxPosition.HorizontalPositionKind = rvfpkAlignment;
    Note->BoxPosition.HorizontalAlignment = rvfphalLeft;
    Note->BoxPosition.VerticalAnchor = rvvanPage;
    Note->BoxPosition.VerticalOffset = 40;
    HeaderSource.GetRVData()->AddItem(u"", Note);
    HeaderSource.SetBounds(0, 0, 600, 100);
    HeaderSource.Format();
    P.SetPrintMe(&Source);
    P.rv->SetStyle(&Sheet);
    P.GetVirtualPrinter()->Active = true;
    P.GetVirtualPrinter()->PixelsPerInch = 96;
    P.SetFacingPages(true);
  }
  TPrintableRVData* Data() { return P.GetPrintableData(); }
  TRVHeaderFooterRVData* AddHeader(TRVHFType kind) {
    auto h = std::make_unique<TRVHeaderFooterRVData>(P.rv, Data(), HeaderSource.GetRVData());
    TRVHeaderFooterRVData* raw = h.get();
    Data()->GetHeaderOrFooter(kind, true) = std::move(h);
    return raw;
  }
  void Prepare() {
    Data()->PrinterCanvas = Data()->InitPrinterCanvas();
    Data()->PreparePageMetrics();
  }
  void TearDown() override {
    if (Data()->PrinterCanvas) Data()->DonePrinterCanvas(Data()->PrinterCanvas);
    Data()->PrinterCanvas = nullptr;
  }
  static TRVSidenotePtblRVData* Only(TRVHeaderFooterRVData* h) {
    if (!h->Sidenotes || h->Sidenotes->Count() != 1) return nullptr;
    return dynamic_cast<TRVSidenotePtblRVData*>(h->Sidenotes->Get(0));
  }
};

}  // namespace

TEST_F(SidenoteFixture, InnerMarginIsLeftForTheNormalHeaderAndRightForTheEvenOne) {
  TRVHeaderFooterRVData* normal = AddHeader(rvhftNormal);
  TRVHeaderFooterRVData* even = AddHeader(rvhftEvenPages);
  Prepare();
  const TRect& m = Data()->GetTmpM(rvhftNormal);
  ASSERT_EQ(m.Left, 76);
  TRVSidenotePtblRVData* n = Only(normal);
  TRVSidenotePtblRVData* e = Only(even);
  ASSERT_NE(n, nullptr);
  ASSERT_NE(e, nullptr);
  const int padL = Note->BoxProperties.GetTotalLeftPadding(&Sheet);
  // Page 3 (odd): the inner margin is the left one, from the paper's edge.
  EXPECT_EQ(n->FullRect.Left, 0 + padL);
  // Page 2 (even): the right margin, after the text area.
  EXPECT_EQ(e->FullRect.Left, m.Left + Data()->GetWidth() + padL);
  EXPECT_EQ(n->Width, 50 - padL - Note->BoxProperties.GetTotalRightPadding(&Sheet));
  EXPECT_EQ(n->FullRect.Top, 40 + Note->BoxProperties.GetTotalTopPadding(&Sheet));
  // A header's boxes are on its one page only.
  EXPECT_EQ(normal->GetSidenoteList(1), normal->Sidenotes.get());
  EXPECT_EQ(normal->GetSidenoteList(2), nullptr);
}

TEST_F(SidenoteFixture, AutomaticAndFixedHeights) {
  TRVHeaderFooterRVData* h = AddHeader(rvhftNormal);
  Note->BoxProperties.VAlign = tlBottom;  // ignored for the automatic height
  Prepare();
  TRVSidenotePtblRVData* n = Only(h);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->FullRect.Height(), n->DocumentHeight);
  EXPECT_EQ(n->Top, n->FullRect.Top);
  // A fixed height below the content: no shift, the content overflows below the box.
  h->Sidenotes.reset();
  Note->BoxProperties.HeightType = rvbhtAbsolute;
  Note->BoxProperties.Height = 1;
  Data()->PreparePageMetrics();
  n = Only(h);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->FullRect.Height(), 0);
  EXPECT_EQ(n->Top, n->FullRect.Top);
  EXPECT_GT(n->DocumentHeight, n->FullRect.Height());
  // A fixed height above the content, aligned to the bottom: shifted down by the difference.
  h->Sidenotes.reset();
  Note->BoxProperties.Height = 100;
  Data()->PreparePageMetrics();
  n = Only(h);
  ASSERT_NE(n, nullptr);
  const int H = n->FullRect.Height();
  EXPECT_EQ(n->Top - n->FullRect.Top, H - n->DocumentHeight);
}

// The main document's own boxes, placed on its pages after pagination.
TEST_F(PrintFixture, BoxesOfItemsOutsideThePrintedRangeAreNotDrawn) {
  AddPara(u"first");
  AddPara(u"second");
  auto* box = new TRVTextBoxItemInfo(Doc());
  box->GetDocument()->AddNL(u"boxed words", 0, 0);
  box->BoxProperties.Background.Color = clNone;
  box->BoxProperties.Border.Style = rvbNone;
  box->BoxProperties.Width = 150;
  box->BoxPosition.HorizontalAnchor = rvhanPage;
  box->BoxPosition.VerticalAnchor = rvvanPage;
  box->BoxPosition.HorizontalOffset = 200;
  box->BoxPosition.VerticalOffset = 100;
  Doc()->AddItem(u"", box);  // item 2
  auto bmp = WhiteBitmap(400, 300);
  ASSERT_EQ(Paginate(bmp->GetCanvas(), 400, 300), 1);
  RVPrepareSidenotes(Data(), Data(), rvhftNormal);
  TRVSidenoteList* list = Data()->GetSidenoteList(1);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->Count(), 1);
  auto* n = static_cast<TRVSidenotePtblRVData*>(list->Get(0));
  EXPECT_EQ(n->FullRect.Left, 200 + box->BoxProperties.GetTotalLeftPadding(&Sheet));
  EXPECT_EQ(n->SidenoteItemNo, 2);
  const TRect area(200, 100, 350, 140);
  auto draw = [&] {
    auto page = WhiteBitmap(400, 300);
    RVDrawSidenotes(Data(), page->GetCanvas(), 1, false, true, false, true, false, 1);
    return OnlyWhite(*page, area);
  };
  EXPECT_FALSE(draw());
  R->MaxPrintedItemNo = 1;
  EXPECT_TRUE(draw());
  R->MaxPrintedItemNo = -1;
  R->MinPrintedItemNo = 3;
  EXPECT_TRUE(draw());
}
