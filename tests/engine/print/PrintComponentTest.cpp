// The print component's settings, page numbering, the printed range and the preview; the report
// renderer's own rules.
#include "ReportTestUtil.h"

#include "engine/print/RVPrint.h"
#include "platform/base/ComponentStream.h"

TEST(PrintComponent, DefaultsAndPageNumbers) {
  TRVPrint p(nullptr);
  EXPECT_TRUE(p.PreviewCorrection);
  EXPECT_EQ(p.MinPrintedItemNo, 0);
  EXPECT_EQ(p.MaxPrintedItemNo, -1);
  EXPECT_EQ(p.GetColorMode(), rvcmPrinterColor);
  EXPECT_EQ(p.GetUnits(), rvuMillimeters);
  EXPECT_EQ(p.GetMargins()->Left, 20);
  EXPECT_EQ(p.GetMargins()->Bottom, 20);
  EXPECT_EQ(p.GetHeaderY(), 10);
  EXPECT_EQ(p.GetFooterY(), 10);
  EXPECT_EQ(p.rv->GetRVPrint(), &p);
  EXPECT_TRUE(p.rv->Flags.Contains(rvflPrinting));
  EXPECT_FALSE(p.rv->Flags.Contains(rvflUseJumps));
  EXPECT_EQ(p.GetDispPageNo(1), 1);
  p.PageNoFromNumber = 5;
  EXPECT_EQ(p.GetDispPageNo(1), 5);
  EXPECT_EQ(p.GetDispPageNo(3), 7);
  // The printable documents reach the component through the printable viewer.
  EXPECT_EQ(p.GetMainData()->GetRVPrint(), static_cast<TRVPrintHost*>(&p));
  EXPECT_FALSE(p.GetMirrorMargins());
  p.SetMirrorMargins(true);
  EXPECT_TRUE(static_cast<TRVPrintableViewer*>(p.rv)->GetMirrorMargins());
}

TEST(PrintComponent, LegacyMillimetreProperties) {
  TRVPrint p(nullptr);
  p.SetUnits(rvuInches);
  p.GetMargins()->Left = 1;
  EXPECT_EQ(p.GetLeftMarginMM(), 25);
  p.SetTopMarginMM(254);
  EXPECT_NEAR(static_cast<double>(p.GetMargins()->Top), 10.0, 1e-9);
  p.SetHeaderY(2);
  EXPECT_EQ(p.GetHeaderYMM(), 51);
}

TEST(PrintComponent, VirtualPrinterResolution) {
  TRVVirtualPrinterProperties v;
  EXPECT_EQ(v.PageWidth, 794);
  EXPECT_EQ(v.PageHeight, 1123);
  EXPECT_FALSE(v.Active);
  const int saved = ScreenPixelsPerInchOverride;
  ScreenPixelsPerInchOverride = 120;
  EXPECT_EQ(v.GetActualPixelsPerInchX(), 120);
  v.PixelsPerInch = 300;
  EXPECT_EQ(v.GetActualPixelsPerInchY(), 300);
  ScreenPixelsPerInchOverride = 0;
  v.PixelsPerInch = 0;
  EXPECT_EQ(v.GetActualPixelsPerInchX(), GetScreenPixelsPerInch());
  ScreenPixelsPerInchOverride = saved;
  TRVVirtualPrinterProperties w;
  v.PageWidth = 500;
  v.Active = true;
  w.Assign(&v);
  EXPECT_EQ(w.PageWidth, 500);
  EXPECT_TRUE(w.Active);
}

TEST_F(PrintFixture, ReportRendererDefaults) {
  EXPECT_EQ(R->GetColorMode(), rvcmColor);
  EXPECT_EQ(R->GetViroZere()->GetName(), u"ViroZere");
  EXPECT_FALSE(Viewer()->Flags.Contains(rvflShareContents));
  EXPECT_TRUE(Viewer()->Flags.Contains(rvflCanUseCustomPPI));
  EXPECT_FALSE(Data()->SharesItemList());
  R->OnGetPageNumber = [](TObject*, int PageNo, int& n) { n = PageNo * 10; };
  EXPECT_EQ(R->GetDispPageNo(3), 30);
  R->FormattingID = 9999;
  auto bmp = WhiteBitmap(50, 50);
  R->Init(bmp->GetCanvas(), 400);
  EXPECT_EQ(R->FormattingID, 0);
  R->Init(bmp->GetCanvas(), 400);
  EXPECT_EQ(R->FormattingID, 1);
}

TEST_F(PrintFixture, EmptyDocumentIsFinishedAtOnce) {
  auto bmp = WhiteBitmap(50, 50);
  R->Init(bmp->GetCanvas(), 400);
  EXPECT_TRUE(R->Finished());
  EXPECT_TRUE(R->IsDestinationReady());
  EXPECT_FALSE(R->FormatNextPage(500));
  EXPECT_EQ(R->GetPagesCount(), 0);
}

TEST_F(PrintFixture, PreviewOfABlankDocumentIsWhite) {
  auto bmp = WhiteBitmap(300, 400);
  bmp->GetCanvas()->Brush().SetColor(clRed);
  bmp->GetCanvas()->FillRect(TRect(0, 0, 300, 400));
  R->Init(bmp->GetCanvas(), 400);
  const TRect page(10, 10, 210, 290);
  for (int pg : {0, 1, 5}) R->DrawPreview(pg, bmp->GetCanvas(), page);
  EXPECT_TRUE(OnlyWhite(*bmp, page));
  EXPECT_EQ(bmp->GetCanvas()->GetPixel(5, 5) & 0xFFFFFF, static_cast<TColor>(clRed));
  // The canvas comes back in its own mapping.
  EXPECT_EQ(GetMapMode(bmp->GetCanvas()->GetHandle()), MM_TEXT);
}

TEST_F(PrintFixture, FirstPageBeyondTheDocumentWhenTheRangeStartsAfterIt) {
  auto bmp = WhiteBitmap(50, 50);
  AddPara(u"one");
  AddPara(u"two");
  R->Init(bmp->GetCanvas(), 400);
  R->MinPrintedItemNo = 5;
  EXPECT_EQ(R->GetFirstPageNo(), R->GetPagesCount() + 1);
  R->MinPrintedItemNo = 0;
  EXPECT_EQ(R->GetFirstPageNo(), 1);
  R->MaxPrintedItemNo = -1;
  EXPECT_EQ(R->GetLastPageNo(), R->GetPagesCount());
}
