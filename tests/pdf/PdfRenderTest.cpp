// A canvas test page rendered by an independent rasterizer and compared with a kept reference
// picture (tests/data/pdf/canvas-page.pgm). TAVRELO_UPDATE_REFERENCE=1 rewrites the reference
// from the current output; look at it before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "PdfTestUtil.h"

using namespace pdftest;

namespace {

struct TGrayImage {
  int Width = 0, Height = 0;
  std::string Pixels;
};

// A binary PGM with 8-bit samples.
bool ReadPGM(const std::string& bytes, TGrayImage& img) {
  std::size_t p = 0;
  auto token = [&]() {
    while (p < bytes.size()) {
      if (bytes[p] == '#') {
        while (p < bytes.size() && bytes[p] != '\n') ++p;
      } else if (std::isspace(static_cast<unsigned char>(bytes[p]))) {
        ++p;
      } else {
        break;
      }
    }
    std::size_t s = p;
    while (p < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[p]))) ++p;
    return bytes.substr(s, p - s);
  };
  if (token() != "P5") return false;
  img.Width = std::atoi(token().c_str());
  img.Height = std::atoi(token().c_str());
  if (token() != "255") return false;
  ++p;
  std::size_t n = static_cast<std::size_t>(img.Width) * img.Height;
  if (img.Width <= 0 || img.Height <= 0 || bytes.size() < p + n) return false;
  img.Pixels = bytes.substr(p, n);
  return true;
}

void DrawCanvasPage(TPDFDocument& doc) {
  TPDFPage* p = doc.CurrentPage();
  // lines of several widths, caps and a dash
  p->SetColorStroke(ColorToPDFRGB(clBlack));
  for (int i = 0; i < 4; ++i) {
    p->SetLineWidth(1 + 2 * i);
    p->MoveTo(40, 40 + 20 * i);
    p->LineTo(260, 40 + 20 * i);
    p->Stroke();
  }
  p->SetDash("[12 6] 0");
  p->SetLineWidth(3);
  p->MoveTo(300, 40);
  p->LineTo(550, 120);
  p->Stroke();
  p->NoDash();
  // filled and stroked rectangles, a round rectangle
  p->SetColorFill(ColorToPDFRGB(0x3060C0));
  p->Rectangle(40, 140, 200, 240);
  p->Fill();
  p->SetColorFill(GrayColor(0.8));
  p->Rectangle(220, 140, 380, 240);
  p->FillAndStroke();
  p->RoundRect(400, 140, 550, 240, 40, 30);
  p->Stroke();
  // ellipses and a circle
  p->SetColorFill(ColorToPDFRGB(0x20A040));
  p->Ellipse(40, 260, 240, 360);
  p->FillAndStroke();
  p->Circle(320, 310, 50);
  p->Stroke();
  p->Arc(400, 260, 550, 360, 0, 270);
  p->Stroke();
  // a Bezier curve
  p->SetLineWidth(2);
  p->MoveTo(40, 480);
  p->Curveto(120, 360, 200, 600, 280, 480);
  p->Stroke();
  // a hatch pattern filling a rectangle
  auto* hatch = new TPDFPattern(&doc.Engine(), &doc.Fonts());
  doc.Patterns().Add(hatch);
  hatch->SetWidth(8);
  hatch->SetHeight(8);
  hatch->SetXStep(8);
  hatch->SetYStep(8);
  hatch->SetColorStroke(GrayColor(0));
  hatch->SetLineWidth(1);
  hatch->MoveTo(0, 8);
  hatch->LineTo(8, 0);
  hatch->Stroke();
  p->SetPattern(hatch);
  p->Rectangle(320, 400, 550, 560);
  p->Fill();
  // clipping: a large disc seen through a rectangle
  p->GStateSave();
  p->Rectangle(40, 600, 200, 700);
  p->Clip();
  p->NewPath();
  p->SetColorFill(ColorToPDFRGB(0x0000C0));
  p->Circle(200, 700, 120);
  p->Fill();
  p->GStateRestore();
  // text in two standard fonts
  p->SetColorFill(GrayColor(0));
  p->SetActiveFont(stdfHelvetica, 18);
  p->TextOut(240, 620, 0, "Helvetica text");
  p->SetActiveFont(stdfTimesBold, 18);
  p->TextOut(240, 660, 0, "Times bold text");
}

}  // namespace

TEST(PdfRender, CanvasPageMatchesTheReference) {
  std::string path = OutPath("pdf-canvas.pdf");
  TPDFDocument doc;
  doc.SetFileName(Utf8ToUnicode(path));
  doc.BeginDoc();
  DrawCanvasPage(doc);
  doc.EndDoc();
  ExpectQpdfClean(path);
  ExpectXrefWellFormed(ReadFile(path));
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm is not installed";
  std::string stem = OutPath("pdf-canvas");
  RunTool("pdftoppm -r 36 -gray -singlefile '" + path + "' '" + stem + "'");
  TGrayImage got, want;
  ASSERT_TRUE(ReadPGM(ReadFile(stem + ".pgm"), got));
  std::string ref = std::string(TAVRELO_TEST_DATA) + "/pdf/canvas-page.pgm";
  if (std::getenv("TAVRELO_UPDATE_REFERENCE")) {
    std::ofstream(ref, std::ios::binary) << ReadFile(stem + ".pgm");
  }
  ASSERT_TRUE(ReadPGM(ReadFile(ref), want)) << ref;
  ASSERT_EQ(got.Width, want.Width);
  ASSERT_EQ(got.Height, want.Height);
  long long sum = 0;
  int far = 0;
  for (std::size_t i = 0; i < got.Pixels.size(); ++i) {
    int d = std::abs(static_cast<unsigned char>(got.Pixels[i]) - static_cast<unsigned char>(want.Pixels[i]));
    sum += d;
    if (d > 64) ++far;
  }
  double mean = static_cast<double>(sum) / got.Pixels.size();
  EXPECT_LT(mean, 1.5);
  EXPECT_LT(far, static_cast<int>(got.Pixels.size() / 200));
  // The page is not blank: the drawing reached the rasterizer.
  int dark = 0;
  for (unsigned char c : got.Pixels) dark += c < 128;
  EXPECT_GT(dark, 2000);
}
