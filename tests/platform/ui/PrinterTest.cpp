#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/base/SysUtils.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Graphics.h"
#include "platform/ui/Printers.h"

namespace {

std::string RunCapture(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

bool HaveTool(const char* name) { return !RunCapture(std::string("command -v ") + name).empty(); }

std::string OutPath(const char* name) { return std::string(TAVRELO_TEST_OUTPUT) + "/" + name; }

}  // namespace

TEST(Printer, FileOutputMetricsFollowPaperResolutionAndMargins) {
  TPrinter prn;
  prn.SetOutputFileName(Utf8ToUnicode(OutPath("metrics.pdf")));
  prn.SetFileResolution(300);
  prn.SetFileMargins(30, 45, 60, 75);
  TPrinterMetrics m = prn.GetMetrics();
  EXPECT_EQ(m.PixelsPerInchX, 300);
  EXPECT_EQ(m.PhysicalWidth, 2480);  // A4 at 300 ppi
  EXPECT_EQ(m.PhysicalHeight, 3508);
  EXPECT_EQ(m.PhysicalOffsetX, 30);
  EXPECT_EQ(m.PhysicalOffsetY, 45);
  EXPECT_EQ(m.PageWidth, 2480 - 90);
  EXPECT_EQ(m.PageHeight, 3508 - 120);
  prn.SetOrientation(poPrinterLandscape);
  m = prn.GetMetrics();
  EXPECT_EQ(m.PhysicalWidth, 3508);
  EXPECT_EQ(m.PhysicalHeight, 2480);
  // The information context reports the same through the device capabilities.
  HDC dc = prn.GetHandle();
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 300);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 3508);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 30);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 3508 - 90);
  EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
  EXPECT_EQ(prn.GetMaxCopies(), 1);
}

TEST(Printer, JobErrors) {
  TPrinter prn;
  EXPECT_THROW(prn.NewPage(), EPrinter);
  EXPECT_THROW(prn.EndDoc(), EPrinter);
  prn.SetOutputFileName(u"/no/such/folder/x.pdf");
  EXPECT_THROW(prn.BeginDoc(), EPrinter);
  EXPECT_FALSE(prn.GetPrinting());
  EXPECT_THROW(prn.SetPrinterIndex(1000000), EPrinter);
}

TEST(Printer, PagesReachThePdfFileAsText) {
  if (!HaveTool("pdftotext") || !HaveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils missing";
  const std::string path = OutPath("printer-job.pdf");
  std::remove(path.c_str());
  TPrinter prn;
  prn.SetOutputFileName(Utf8ToUnicode(path));
  prn.SetFileResolution(600);
  prn.SetFileMargins(100, 100, 100, 100);
  prn.SetTitle(u"job");
  prn.BeginDoc();
  EXPECT_TRUE(prn.GetPrinting());
  for (int page = 1; page <= 3; ++page) {
    if (page > 1) prn.NewPage();
    EXPECT_EQ(prn.GetPageNumber(), page);
    TCanvas* c = prn.GetCanvas();
    c->Font().SetName(u"Arial");
    c->Font().SetSize(14);
    c->TextOut(200, 300, Utf8ToUnicode("Page number " + std::to_string(page) + " of the job"));
    c->Rectangle(100, 1000, 1000, 1500);
  }
  prn.EndDoc();
  EXPECT_FALSE(prn.GetPrinting());
  const std::string info = RunCapture("pdfinfo '" + path + "'");
  EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
  const std::string text = RunCapture("pdftotext -layout '" + path + "' -");
  const size_t p1 = text.find("Page number 1 of the job"), p2 = text.find("Page number 2 of the job"),
               p3 = text.find("Page number 3 of the job");
  ASSERT_NE(p1, std::string::npos) << text;
  ASSERT_NE(p2, std::string::npos) << text;
  ASSERT_NE(p3, std::string::npos) << text;
  EXPECT_LT(p1, p2);
  EXPECT_LT(p2, p3);
}

TEST(Printer, AbortRemovesTheFile) {
  const std::string path = OutPath("printer-aborted.pdf");
  TPrinter prn;
  prn.SetOutputFileName(Utf8ToUnicode(path));
  prn.BeginDoc();
  prn.GetCanvas()->TextOut(10, 10, u"x");
  prn.Abort();
  EXPECT_TRUE(prn.GetAborted());
  std::ifstream f(path);
  EXPECT_FALSE(f.good());
}
