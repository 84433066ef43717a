// The PDF road: a document laid out page by page by the report renderer on the canvases of PDF
// pages, each page recorded and translated when the next one begins, read back by independent
// readers.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "engine/print/RVReportHelper.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "pdf/PDFDocument.h"
#include "pdf/PDFMisc.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/DeviceContext.h"

namespace {

// The export records each page at 1440 pixels an inch (a twentieth of a point); the page's
// default reference, the screen, would put every glyph on a grid of 1/96 inch.
constexpr int kRecordingPpi = 1440;

std::string RunShell(const std::string& cmd, int* status = nullptr) {
  std::string out;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int rc = pclose(p);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

bool HaveTool(const std::string& name) { return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0; }

// Lays the document of `report` out on A4 pages of `pdf` recorded at ppi pixels an inch, as the
// export does; answers the pages.
int WriteThroughTheRoad(TRVReportHelper& report, TPDFDocument& pdf, int ppi) {
  HDC ref = CreateCompatibleDC(nullptr);
  SetDeviceResolution(ref, ppi, ppi);
  pdf.EMFOptions().SetUsedDC(ref);
  DeleteDC(ref);
  TBitmap layout;
  layout.SetSize(1, 1);
  SetDeviceResolution(layout.GetCanvas()->GetHandle(), ppi, ppi);
  layout.GetCanvas()->Font().SetPixelsPerInch(ppi);
  const int width = MulDiv(PDFPageSize(psA4).Width, ppi, 72), height = MulDiv(PDFPageSize(psA4).Height, ppi, 72);
  report.Init(layout.GetCanvas(), width);
  pdf.BeginDoc();
  int pages = 0;
  while (report.FormatNextPage(height)) {
    if (++pages > 1) pdf.NewPage();
    report.DrawPage(pages, pdf.Canvas(), false, height);
  }
  pdf.EndDoc();
  return pages;
}

struct TWordBox {
  double XMin, XMax, YMin;
  std::string Text;
};

// The words of page 1 as poppler places them (points).
std::vector<TWordBox> WordsOfFirstPage(const std::string& pdf) {
  const std::string html = RunShell("pdftotext -f 1 -l 1 -bbox '" + pdf + "' -");
  std::vector<TWordBox> r;
  const std::regex word(
      R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="[0-9.]+">([^<]*)</word>)re");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it)
    r.push_back({std::stod((*it)[1]), std::stod((*it)[3]), std::stod((*it)[2]), (*it)[4]});
  return r;
}

struct TRoadFixture : ::testing::Test {
  TRVStyle Sheet{nullptr};
  TRVReportHelper Report{nullptr};
  void SetUp() override {
    if (!IsTrueTypeFontName(u"DejaVu Sans", ANSI_CHARSET)) GTEST_SKIP() << "the face DejaVu Sans is not installed";
    if (!HaveTool("pdftotext") || !HaveTool("qpdf")) GTEST_SKIP() << "poppler-utils and qpdf are needed";
    TFontInfo* f = Sheet.TextStyles()->Items(0);
    f->FontName = u"DejaVu Sans";
    f->SetSize(11);
    Sheet.ParaStyles()->Items(0)->SetSpaceAfter(0);
    Report.GetViroZere()->SetStyle(&Sheet);
    Report.GetViroZere()->SetLeftMargin(72);
    Report.GetViroZere()->SetTopMargin(72);
    // Words whose widths are no whole number of 1/96 inch, so that rounding shows.
    for (int i = 0; i < 40; ++i)
      Report.GetViroZere()->GetRVData()->AddNL(u"illicit fillip minimum wavy " + IntToStr(i) + u" jiffy mill",
                                                0, 0);
  }
};

}  // namespace

// Text drawn by the report renderer on a PDF page keeps its layout's positions: glyphs are not
// put on a grid of 1/96 inch (which a reader zoomed in shows as uneven letter spacing). Read back,
// the words of a line start where the words before them end plus a space, to a tenth of a point,
// and their positions are not multiples of 0.75 point.
TEST_F(TRoadFixture, GlyphPositionsAreFinerThanScreenPixels) {
  const std::string dir = std::string(TAVRELO_TEST_OUTPUT) + "/road-" + std::to_string(getpid());
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/road.pdf";
  TPDFDocument pdf;
  pdf.SetFileName(Utf8ToUnicode(path));
  pdf.SetOnePass(true);
  ASSERT_EQ(WriteThroughTheRoad(Report, pdf, kRecordingPpi), 1);
  int st = 0;
  const std::string check = RunShell("qpdf --check '" + path + "'", &st);
  EXPECT_EQ(st, 0) << check;
  const std::vector<TWordBox> words = WordsOfFirstPage(path);
  ASSERT_GE(words.size(), 40u * 7);
  int offGrid = 0;
  for (const TWordBox& w : words) {
    const double k = w.XMin / 0.75;
    if (std::fabs(k - std::round(k)) > 0.05) ++offGrid;
  }
  EXPECT_GT(offGrid, static_cast<int>(words.size()) / 2);
  // Every line starts with the same words: each of them starts at the same distance from the
  // line's start.
  std::map<std::string, std::vector<double>> starts;
  double lineStart = 0;
  bool beforeNumber = false;
  for (const TWordBox& w : words) {
    if (w.Text == "illicit") lineStart = w.XMin, beforeNumber = true;
    if (std::isdigit(static_cast<unsigned char>(w.Text[0]))) beforeNumber = false;
    if (beforeNumber) starts[w.Text].push_back(w.XMin - lineStart);
  }
  EXPECT_EQ(starts.size(), 4u);
  for (const auto& [text, xs] : starts)
    for (double x : xs) EXPECT_NEAR(x, xs.front(), 0.01) << text;
  std::filesystem::remove_all(dir);
}
