// Pages on real devices: a document printed to a PDF file through the platform printer, and the
// preview of a page against the same page drawn on a bitmap.
#include <cstdio>
#include <string>

#include "ReportTestUtil.h"
#include "engine/layout/DrawLines.h"
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

// A renderer over a sheet with the installed fonts (Arial's stand-in at 12 points).
struct RealFontsFixture : PrintFixture {
  void SetUp() override { MakeRenderer(); }
};

}  // namespace

TEST_F(RealFontsFixture, TwentyPagesReachAPdfFileWithTheirTextInOrder) {
  if (RunCapture("command -v pdftotext").empty()) GTEST_SKIP() << "poppler-utils missing";
  for (int page = 1; page <= 20; ++page) {
    AddPara(u"Chapter " + IntToStr(page) + u" begins here");
    if (page > 1) Doc()->GetItem(Doc()->ItemCount() - 1)->SetPageBreakBefore(true);
    AddPara(u"Some words of chapter " + IntToStr(page) + u" follow.");
  }
  const std::string path = std::string(TAVRELO_TEST_OUTPUT) + "/twenty-pages.pdf";
  std::remove(path.c_str());
  TPrinter prn;
  prn.SetOutputFileName(Utf8ToUnicode(path));
  prn.SetFileResolution(300);
  prn.SetFileMargins(60, 60, 60, 60);
  prn.BeginDoc();
  TCanvas* canvas = prn.GetCanvas();
  const int h = prn.GetPageHeight();
  R->Init(canvas, prn.GetPageWidth());
  while (R->FormatNextPage(h)) {
  }
  ASSERT_EQ(R->GetPagesCount(), 20);
  for (int p = 1; p <= R->GetPagesCount(); ++p) {
    if (p > 1) prn.NewPage();
    R->DrawPage(p, prn.GetCanvas(), false, h);
  }
  prn.EndDoc();
  const std::string info = RunCapture("pdfinfo '" + path + "'");
  EXPECT_NE(info.find("Pages:           20"), std::string::npos) << info;
  const std::string text = RunCapture("pdftotext '" + path + "' -");
  size_t at = 0;
  for (int page = 1; page <= 20; ++page) {
    for (const std::string& line : {"Chapter " + std::to_string(page) + " begins here",
                                    "Some words of chapter " + std::to_string(page) + " follow."}) {
      const size_t found = text.find(line, at);
      ASSERT_NE(found, std::string::npos) << line << "\n" << text;
      at = found + line.size();
    }
  }
  // Page 2 of the file holds chapter 2 only.
  const std::string second = RunCapture("pdftotext -f 2 -l 2 '" + path + "' -");
  EXPECT_NE(second.find("Chapter 2 begins"), std::string::npos);
  EXPECT_EQ(second.find("Chapter 3"), std::string::npos);
}

TEST_F(RealFontsFixture, PreviewAtHalfSizeMatchesThePageDrawnOnABitmap) {
  for (int i = 0; i < 40; ++i) AddPara(u"Preview line number " + IntToStr(i));
  // The page laid out for a 96-ppi bitmap of 400 x 300.
  auto ref = WhiteBitmap(400, 300);
  R->Init(ref->GetCanvas(), 400);
  while (R->FormatNextPage(300)) {
  }
  ASSERT_GE(R->GetPagesCount(), 2);
  R->DrawPage(2, ref->GetCanvas(), true, 300);
  // The preview of page 2 at 50 %.
  auto prev = WhiteBitmap(200, 150);
  Data()->CurHeight = 300;
  Viewer()->SetBounds(0, 0, 400, 300);
  R->DrawPreview(2, prev->GetCanvas(), TRect(0, 0, 200, 150));
  // Each 2 x 2 block of the page has ink exactly where the preview's pixel has ink, allowing for
  // glyph edges a pixel apart.
  int both = 0, only = 0;
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) {
      bool inkRef = false;
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
          inkRef |= (ref->GetCanvas()->GetPixel(2 * x + dx, 2 * y + dy) & 0xFFFFFF) != 0xFFFFFF;
      const bool inkPrev = (prev->GetCanvas()->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
      both += inkRef && inkPrev;
      only += inkRef != inkPrev;
    }
  EXPECT_GT(both, 200);
  EXPECT_LT(only, both / 3);
}


TEST_F(RealFontsFixture, TheTextColumnFillsThePageAtAnyResolution) {
  AddPara(u"A line of text long enough to wrap on a narrow page, and then some more words after it");
  int lines96 = 0;
  for (int ppi : {96, 150, 300}) {
    TPrinter prn;
    prn.SetOutputFileName(u"/dev/null");
    prn.SetFileResolution(ppi);
    R->Init(prn.GetCanvas(), MulDiv(300, ppi, 96));
    const int margins = ScreenToDeviceX(Viewer()->GetLeftMargin() + Viewer()->GetRightMargin(), Data()->PrnSad);
    EXPECT_EQ(Data()->TextWidth, MulDiv(300, ppi, 96) - margins) << ppi;
    int lines = 0;
    for (int k = 0; k < Data()->DrawItems->Count(); ++k) lines += Data()->DrawItems->Get(k)->FromNewLine;
    if (ppi == 96) lines96 = lines;
    EXPECT_NEAR(lines, lines96, 1) << ppi;
  }
}
