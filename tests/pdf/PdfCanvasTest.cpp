#include <gtest/gtest.h>

#include "PdfTestUtil.h"
#include "pdf/PDFDocument.h"

namespace {

// A document in generation to a memory stream, with its first page.
struct TCanvasFixture : ::testing::Test {
  TMemoryStream out;
  TPDFDocument doc;
  TPDFPage* page = nullptr;
  void SetUp() override {
    doc.SetOutputStream(&out);
    doc.BeginDoc();
    page = doc.CurrentPage();
  }
  void TearDown() override {
    if (doc.Printing()) doc.Abort();
  }
  int Lines() { return page->Content().Count(); }
  const std::string& Line(int i) { return page->Content().Get(i); }
  std::string Last() { return Line(Lines() - 1); }
};

}  // namespace

TEST_F(TCanvasFixture, PathsAreWrittenInPoints) {
  EXPECT_EQ(Line(0), "q");
  page->MoveTo(10, 20);
  EXPECT_EQ(Last(), "10 822 m");
  page->Rectangle(10, 10, 110, 60);
  EXPECT_EQ(Last(), "10 782 100 50 re");
  page->Rectangle(110, 60, 10, 10);
  EXPECT_EQ(Last(), "10 782 100 50 re");
  page->Clip();
  EXPECT_EQ(Last(), "W");
  page->NewPath();
  page->Stroke();
  int n = Lines();
  page->Clip();  // no path under construction: nothing
  EXPECT_EQ(Lines(), n);
}

TEST_F(TCanvasFixture, TrackedStateSuppressesRepeatsAndFollowsRestore) {
  page->SetDash("[3 3] 0");
  int n = Lines();
  page->SetDash("[3 3] 0");
  EXPECT_EQ(Lines(), n);
  page->GStateSave();
  page->SetDash("[1 1] 0");
  page->GStateRestore();
  // "Q" brought back the dash of the "q"; asking for the inner one again must write it.
  n = Lines();
  page->SetDash("[1 1] 0");
  EXPECT_EQ(Lines(), n + 1);
  // At the base level a restore writes nothing.
  TPDFPage* p = page;
  while (p->SaveCount() > 1) p->GStateRestore();
  n = Lines();
  page->GStateRestore();
  EXPECT_EQ(Lines(), n);
}

TEST_F(TCanvasFixture, CharacterSpacingOutlivesTheTextObject) {
  page->SetCharacterSpacing(1);
  EXPECT_EQ(Last(), "1 Tc");
  page->MoveTo(0, 0);  // ends the text object; the spacing stays in the graphics state
  int n = Lines();
  page->SetCharacterSpacing(1);
  EXPECT_EQ(Lines(), n);
  page->SetCharacterSpacing(0);
  EXPECT_EQ(Last(), "0 Tc");
}

TEST_F(TCanvasFixture, TextInTheDefaultFont) {
  page->TextOut(0, 0, 0, "A");
  ASSERT_GE(Lines(), 5);
  EXPECT_EQ(Line(1), "BT");
  // a = d = 8; origin at the page height less the ascent (728 x 8 / 1000 = 5.824)
  EXPECT_EQ(Line(2), "8 0 0 8 0 836.18 Tm");
  EXPECT_EQ(Line(3), "/Helv 1 Tf");
  EXPECT_EQ(Line(4), "(A) Tj");
  page->TextOut(0, 20, 0, std::string("a\tb"));
  EXPECT_EQ(Last(), "(a b) Tj");
  page->TextOut(0, 40, 0, "(x)");
  EXPECT_EQ(Last(), "(\\(x\\)) Tj");
}

TEST_F(TCanvasFixture, StandardFontsAndUnicodeText) {
  page->SetActiveFont(stdfTimesBold, 12);
  page->TextOut(0, 0, 0, "\xE9t\xE9");  // 8-bit text of the standard encoding passes as it is
  EXPECT_EQ(Last(), "(\xE9t\xE9) Tj");
  EXPECT_EQ(Line(Lines() - 2), "/TiBo 1 Tf");
  EXPECT_THROW(page->WideTextOut(0, 0, 0, u"x"), EPDFException);
  EXPECT_NEAR(page->GetTextWidth("AV"), (722 + 722) * 12 / 1000.0, 1e-9);
  // A face name stands for the metric-compatible standard font until faces are embedded.
  page->SetActiveFont(u"Courier New", TFontStyles{fsItalic}, 10);
  page->TextOut(0, 0, 0, "x");
  EXPECT_EQ(Line(Lines() - 2), "/CoOb 1 Tf");
}

TEST_F(TCanvasFixture, ImagesOutOfRangeAndEmptySize) {
  int n = Lines();
  page->ShowImage(0, 0, 0, 0, 10, 0);
  EXPECT_EQ(Lines(), n);
  EXPECT_THROW(page->ShowImage(-1, 0, 0, 10, 10, 0), EPDFException);
}

TEST_F(TCanvasFixture, UnderlineDrawsABandAfterTheText) {
  page->SetActiveFont(stdfHelvetica, 10, TFontStyles{fsUnderline});
  page->TextOut(0, 0, 0, "ab");
  EXPECT_EQ(Last(), "f");
  EXPECT_NE(Line(Lines() - 2).find(" re"), std::string::npos);
  EXPECT_EQ(Line(Lines() - 3), "ET");
}

TEST_F(TCanvasFixture, AutoUrlCreatesLinksAtWordStarts) {
  doc.SetAutoCreateURL(true);
  page->TextOut(0, 0, 0, "see http://example.org now");
  ASSERT_EQ(page->AnnotationCount(), 1);
  page->TextOut(0, 20, 0, "xhttp://example.org");
  EXPECT_EQ(page->AnnotationCount(), 1);
  page->TextOut(0, 40, 0, "HTTP://EXAMPLE.ORG");
  EXPECT_EQ(page->AnnotationCount(), 2);
  // The link starts after "see " and ends before " now".
  page->SetActiveFont(stdfHelvetica, 8);
  TPDFAnnotation* a = page->Annotation(0);
  int left = static_cast<int>(page->GetTextWidth("see "));
  EXPECT_EQ(a->Left(), left);
}

TEST_F(TCanvasFixture, LinkAnnotationRectangle) {
  auto* a = page->SetUrl(TRect(10, 10, 110, 30), "http://x");
  EXPECT_EQ(a->Left(), 10);
  EXPECT_EQ(a->Bottom(), 812);
  EXPECT_EQ(a->Right(), 110);
  EXPECT_EQ(a->Top(), 832);
}

TEST(PdfCanvasArcs, PiecesOfAtMostNinetyDegrees) {
  TMemoryStream out;
  TPDFDocument doc;
  doc.SetOutputStream(&out);
  doc.BeginDoc();
  TPDFPage* p = doc.CurrentPage();
  int n = p->Content().Count();
  TDoublePoint start = p->Arc(0, 0, 101, 101, 0, 180);
  // the half ellipse from 180 back to 0 degrees: a move and two curves
  EXPECT_EQ(p->Content().Count(), n + 3);
  EXPECT_NEAR(start.x, 0.5, 1e-6);
  EXPECT_NEAR(start.y, 50.5, 1e-6);
  n = p->Content().Count();
  p->Ellipse(0, 0, 100, 50);
  EXPECT_EQ(p->Content().Count(), n + 5);
  doc.Abort();
}
