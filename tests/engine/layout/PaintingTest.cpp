// Painting a formatted document into bitmaps with the fixed-metrics back-end (every character
// 10 pixels wide, lines 10 pixels high), checked pixel by pixel.
#include <cstdlib>
#include <string>

#include "engine/document/RVGraphicItem.h"
#include "engine/layout/LayoutTestUtil.h"
#include "engine/layout/RVPainting.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Png.h"
#include "platform/base/SysUtils.h"
#include "support/PixelCompare.h"

namespace {

constexpr TColor White = 0xFFFFFF;

struct TPaintDoc : TLayoutDoc {
  TBitmap Bmp;

  explicit TPaintDoc(int Width = 100, int Height = 40) : TLayoutDoc(Width), Bmp(Width, Height) {
    Sheet.SelColor = 0x800000;     // navy
    Sheet.SelTextColor = 0x00FFFF;  // yellow
    Sheet.InactiveSelColor = 0x800000;
    Sheet.InactiveSelTextColor = 0x00FFFF;
    for (int i = 0; i < Sheet.TextStyles()->Count(); ++i) Font(i)->Color = 0;
  }
  void Clear() {
    TCanvas* c = Bmp.GetCanvas();
    c->Brush().SetStyle(bsSolid);
    c->Brush().SetColor(White);
    c->FillRect(TRect(0, 0, Bmp.GetWidth(), Bmp.GetHeight()));
  }
  void Paint(const TRect& Clip = TRect(0, 0, 0, 0), bool PrintMode = false) {
    Clear();
    Doc.PaintTo(Bmp.GetCanvas(), Clip, false, false, false, PrintMode, true, 0, 0, 0, -1, nullptr, nullptr, false);
    Bmp.Flush();
  }
  TColor Px(int x, int y) const { return Bmp.GetPixel(x, y) & 0xFFFFFF; }
  // Pixels of colour C inside R.
  int Count(const TRect& R, TColor C) const {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) n += Px(x, y) == C;
    return n;
  }
  // Pixels that are not white inside R.
  int Ink(const TRect& R) const {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) n += Px(x, y) != White;
    return n;
  }
};

// Writes a bitmap for a look into the test output folder.
void SaveLook(TBitmap& Bmp, const char* Name, const std::string& Path = {}) {
  TPngImage png;
  png.Assign(&Bmp);
  png.SaveToFile(Utf8ToUnicode(Path.empty() ? std::string(TAVRELO_TEST_OUTPUT) + "/" + Name : Path));
}

}  // namespace

TEST(Painting, EmptyDocumentPaintsNothingAndLeavesTheBrushClear) {
  TPaintDoc t;
  t.Doc.Format(false);
  t.Paint();
  EXPECT_EQ(t.Ink(TRect(0, 0, 100, 40)), 0);
  EXPECT_EQ(t.Bmp.GetCanvas()->Brush().GetStyle(), bsClear);
}

TEST(Painting, UnselectedTextDrawsOnlyGlyphs) {
  TPaintDoc t;
  t.Doc.AddNL(u"abcdef", 0, 0);
  t.Doc.Format(false);
  t.Paint();
  EXPECT_GT(t.Ink(TRect(0, 0, 60, 10)), 0);
  EXPECT_EQ(t.Ink(TRect(60, 0, 100, 40)), 0);
  EXPECT_EQ(t.Count(TRect(0, 0, 60, 10), 0x800000), 0);
}

// Selection offsets 3..5 of "abcdef" select characters 3 and 4 (x 20..40): the background there is
// the selection colour, the text beside it is not.
TEST(Painting, SelectedCharactersDrawInTheSelectionColours) {
  struct TCase {
    int StartOffs, EndOffs;
    int SelLeft, SelRight;
  } cases[] = {{3, 5, 20, 40}, {1, 7, 0, 60}, {5, 3, 20, 40}};
  for (const TCase& c : cases) {
    TPaintDoc t;
    t.Doc.AddNL(u"abcdef", 0, 0);
    t.Doc.Format(false);
    t.Doc.FSelStartNo = t.Doc.FSelEndNo = 0;
    t.Doc.FSelStartOffs = c.StartOffs;
    t.Doc.FSelEndOffs = c.EndOffs;
    t.Paint();
    const int selW = c.SelRight - c.SelLeft;
    // Most of the selected cells are navy; yellow glyph pixels lie on them.
    EXPECT_GT(t.Count(TRect(c.SelLeft, 0, c.SelRight, 10), 0x800000), selW * 10 / 2) << c.StartOffs;
    EXPECT_GT(t.Count(TRect(c.SelLeft, 0, c.SelRight, 10), 0x00FFFF), 0) << c.StartOffs;
    EXPECT_EQ(t.Count(TRect(0, 0, c.SelLeft, 10), 0x800000), 0) << c.StartOffs;
    EXPECT_EQ(t.Count(TRect(c.SelRight, 0, 100, 40), 0x800000), 0) << c.StartOffs;
    // Painting for print never shows the selection.
    t.Paint(TRect(0, 0, 0, 0), true);
    EXPECT_EQ(t.Count(TRect(0, 0, 100, 40), 0x800000), 0) << c.StartOffs;
  }
}

TEST(Painting, SelectionAcrossTwoRunsCoversBoth) {
  TPaintDoc t(120);
  t.Doc.AddNL(u"abc", 0, 0);
  t.Doc.AddNL(u"def", 1, -1);
  t.Doc.Format(false);
  ASSERT_EQ(t.D().Count(), 2);
  t.Doc.FSelStartNo = 0;
  t.Doc.FSelStartOffs = 2;
  t.Doc.FSelEndNo = 1;
  t.Doc.FSelEndOffs = 3;
  t.Paint();
  EXPECT_EQ(t.Count(TRect(0, 0, 10, 10), 0x800000), 0);
  EXPECT_GT(t.Count(TRect(10, 0, 30, 10), 0x800000), 80);
  SaveLook(t.Bmp, "painting-two-runs.png");
  EXPECT_GT(t.Count(TRect(30, 0, 50, 10), 0x800000), 80);
  EXPECT_EQ(t.Count(TRect(50, 0, 120, 10), 0x800000), 0);
}

// A hyperlink style in the hover range draws in its hover colours only while hover drawing is on.
TEST(Painting, HoveredHyperlinkUsesItsHoverColours) {
  TPaintDoc t(120);
  TFontInfo* link = t.Font(1);
  link->Jump = true;
  link->HoverColor = 0x0000FF;      // red
  link->HoverBackColor = 0x00FF00;  // lime
  t.Doc.AddNL(u"see ", 0, 0);
  t.Doc.AddNL(u"link", 1, -1);
  t.Doc.Format(false);
  ASSERT_EQ(t.D().Count(), 2);
  t.Paint();
  EXPECT_EQ(t.Count(TRect(0, 0, 120, 10), 0x00FF00), 0);
  t.Doc.LastJumpDIMovedAboveFirst = t.Doc.LastJumpDIMovedAboveLast = 1;
  t.Doc.State.Include(rvstDrawHover);
  t.Paint();
  EXPECT_GT(t.Count(TRect(40, 0, 80, 10), 0x00FF00), 100);
  EXPECT_GT(t.Count(TRect(40, 0, 80, 10), 0x0000FF), 0);
  EXPECT_EQ(t.Count(TRect(0, 0, 40, 10), 0x00FF00), 0);
  EXPECT_EQ(t.Count(TRect(0, 0, 40, 10), 0x0000FF), 0);
  // The hover range without hover drawing shows the normal colours.
  t.Doc.State.Exclude(rvstDrawHover);
  t.Paint();
  EXPECT_EQ(t.Count(TRect(0, 0, 120, 40), 0x00FF00), 0);
}

TEST(Painting, ParagraphBackgroundFillsItsRectangle) {
  TPaintDoc t(80, 50);
  t.Para(1)->Background()->Color = 0x00FF00;
  t.Doc.AddNL(u"aa", 0, 0);
  t.Doc.AddNL(u"bbbb cccc", 0, 1);
  t.Doc.AddNL(u"dd", 0, 0);
  t.Doc.Format(false);
  // Paragraph 1 takes lines 10..30 across the whole width.
  t.Paint();
  ASSERT_EQ(t.Lines(), "aa/bbbb/cccc/dd");
  EXPECT_EQ(t.Count(TRect(0, 0, 80, 10), 0x00FF00), 0);
  EXPECT_EQ(t.Count(TRect(0, 30, 80, 50), 0x00FF00), 0);
  EXPECT_GT(t.Count(TRect(0, 10, 80, 30), 0x00FF00), 80 * 20 / 2);
  EXPECT_EQ(t.Px(79, 12), 0x00FF00);
  EXPECT_EQ(t.Px(0, 29), 0x00FF00);
}

// Signs of paragraph and line ends appear only while the document shows special characters.
TEST(Painting, SpecialCharacterSignsOnlyWhenAsked) {
  TPaintDoc t(100, 30);
  t.Doc.AddNL(u"ab", 0, 0);
  t.Doc.AddNL(u"cd", 0, 0);
  t.Doc.Format(false);
  t.Paint();
  EXPECT_EQ(t.Ink(TRect(20, 0, 100, 30)), 0);
  t.Doc.SetOptions(t.Doc.GetOptions() + rvoShowSpecialCharacters);
  t.Paint();
  EXPECT_GT(t.Ink(TRect(20, 0, 40, 10)), 0);
  EXPECT_GT(t.Ink(TRect(20, 10, 40, 20)), 0);
  // The document's state can hide them, and printing does not show them unless asked.
  t.Doc.State.Include(rvstNoSpecialCharacters);
  t.Paint();
  EXPECT_EQ(t.Ink(TRect(20, 0, 100, 30)), 0);
  t.Doc.State.Exclude(rvstNoSpecialCharacters);
  t.Paint(TRect(0, 0, 0, 0), true);
  EXPECT_EQ(t.Ink(TRect(20, 0, 100, 30)), 0);
  ShowSpecialCharactersInPrintMode = true;
  t.Paint(TRect(0, 0, 0, 0), true);
  ShowSpecialCharactersInPrintMode = false;
  EXPECT_GT(t.Ink(TRect(20, 0, 40, 10)), 0);
  // The kind can be switched off for the whole process.
  PaintedSpecialCharacters.Exclude(rvpscLineEnds);
  t.Paint();
  PaintedSpecialCharacters.Include(rvpscLineEnds);
  EXPECT_EQ(t.Ink(TRect(20, 0, 100, 30)), 0);
}

// Painting a clip rectangle: the canvas origin stands for the clip's corner and nothing of the
// document outside the clip reaches the canvas.
TEST(Painting, ClipRectangleTouchesNothingOutsideIt) {
  TPaintDoc full(100, 200);
  full.Para(1)->Background()->Color = 0x00FF00;
  for (int i = 0; i < 20; ++i) full.Doc.AddNL(u"xxxxxx", 0, i % 2);
  full.Doc.Format(false);
  full.Paint();
  // Lines 50..80 painted into a canvas whose origin is the clip's corner.
  TPaintDoc part(100, 200);
  part.Para(1)->Background()->Color = 0x00FF00;
  for (int i = 0; i < 20; ++i) part.Doc.AddNL(u"xxxxxx", 0, i % 2);
  part.Doc.Format(false);
  part.Paint(TRect(0, 50, 100, 80));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(part.Px(x, y), full.Px(x, y + 50)) << x << "," << y;
  // Draw items far below the clip are not visited: nothing lands below the clip's height but
  // the line that may overlap its bottom edge.
  EXPECT_EQ(part.Ink(TRect(0, 40, 100, 200)), 0);
}

// A picture is drawn selected only when the selection covers it: a selection starting after it
// (offset 1) or ending before it (offset 0) leaves it as it is.
TEST(Painting, PictureSelectionStates) {
  struct TCase {
    int StartNo, StartOffs, EndNo, EndOffs;
    bool Selected;
  } cases[] = {
      {0, 0, 0, 1, true}, {0, 1, 1, 2, false}, {0, 0, 0, 0, false}, {0, 0, 1, 1, true},
  };
  for (const TCase& c : cases) {
    TPaintDoc t(100, 40);
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(20, 20);
    auto* pic = new TRVGraphicItemInfo(&t.Doc, std::move(bmp), rvvaBaseline);
    pic->ParaNo = 0;
    t.Doc.AddItem(u"", pic);
    t.Doc.AddNL(u"ab", 0, -1);
    t.Doc.Format(false);
    ASSERT_EQ(t.D().Count(), 2);
    t.Doc.FSelStartNo = c.StartNo;
    t.Doc.FSelStartOffs = c.StartOffs;
    t.Doc.FSelEndNo = c.EndNo;
    t.Doc.FSelEndOffs = c.EndOffs;
    t.Paint();
    const TRVDrawLineInfo* d = t.D().Get(0);
    const int navy = t.Count(TRect(d->Left, d->Top, d->Left + d->Width, d->Top + d->Height), 0x800000);
    EXPECT_EQ(navy > 0, c.Selected) << c.StartNo << ":" << c.StartOffs << " " << c.EndNo << ":" << c.EndOffs;
  }
}

// Word painters (the wavy line of a misspelled word) are drawn under their characters only, and
// only when the paint asks for them.
TEST(Painting, WordPaintersUnderTheirCharacters) {
  TPaintDoc t(100, 20);
  t.Doc.AddNL(u"abc defg", 0, 0);
  t.Doc.GetItem(0)->WordPaintList = std::make_unique<TRVWordPainterList>();
  t.Doc.GetItem(0)->WordPaintList->Add(new TRVWordMisspellPainter(5, 4));
  t.Doc.Format(false);
  t.Paint();
  const TColor red = t.Sheet.LiveSpellingColor;
  EXPECT_GT(t.Count(TRect(40, 0, 80, 12), red), 0);
  EXPECT_EQ(t.Count(TRect(0, 0, 40, 20), red), 0);
  EXPECT_EQ(t.Count(TRect(81, 0, 100, 20), red), 0);
  t.Clear();
  t.Doc.PaintTo(t.Bmp.GetCanvas(), TRect(0, 0, 0, 0), false, false, false, false, false, 0, 0, 0, -1, nullptr, nullptr,
                false);
  EXPECT_EQ(t.Count(TRect(0, 0, 100, 20), red), 0);
}

// StrictBottom leaves out draw items that reach below the clip; the scroll offset and the extra
// offsets move the output.
TEST(Painting, StrictBottomAndOffsets) {
  TPaintDoc t(100, 40);
  t.Doc.AddNL(u"aaaa", 0, 0);
  t.Doc.AddNL(u"bbbb", 0, 0);
  t.Doc.AddNL(u"cccc", 0, 0);
  t.Doc.Format(false);
  t.Clear();
  t.Doc.PaintTo(t.Bmp.GetCanvas(), TRect(0, 0, 100, 15), false, true, false, false, false, 0, 0, 0, -1, nullptr,
                nullptr, false);
  EXPECT_GT(t.Ink(TRect(0, 0, 100, 10)), 0);
  EXPECT_EQ(t.Ink(TRect(0, 10, 100, 40)), 0);
  // Extra offsets of -30, -20: the document is painted 30 right and 20 down.
  t.Clear();
  t.Doc.PaintTo(t.Bmp.GetCanvas(), TRect(0, 0, 0, 0), false, false, false, false, false, -30, -20, 0, -1, nullptr,
                nullptr, false);
  EXPECT_EQ(t.Ink(TRect(0, 0, 100, 20)), 0);
  EXPECT_EQ(t.Ink(TRect(0, 0, 30, 40)), 0);
  EXPECT_GT(t.Ink(TRect(30, 20, 70, 30)), 0);
  // Only draw items 1..1.
  t.Clear();
  t.Doc.PaintTo(t.Bmp.GetCanvas(), TRect(0, 0, 0, 0), false, false, false, false, false, 0, 0, 1, 1, nullptr, nullptr,
                false);
  // (the real glyphs are taller than the fixed metrics: only the upper half of line 0 is free)
  EXPECT_EQ(t.Ink(TRect(0, 0, 100, 5)), 0);
  EXPECT_GT(t.Ink(TRect(0, 10, 100, 20)), 0);
  EXPECT_EQ(t.Ink(TRect(0, 20, 100, 40)), 0);
}

// The sample as the viewer shows it: a selection across two runs, a hovered hyperlink, a
// paragraph background and the special-character signs, compared with a kept reference image
// with a small per-pixel tolerance (glyph edges may differ by a few levels between font
// rasteriser versions).
//
// To renew the reference after a deliberate change of painting: run this test with
// TAVRELO_RENEW_REFERENCES=1 in the environment; it writes tests/data/layout/painting-sample.png
// (and fails, to say so). Look at the picture, then commit it.
TEST(Painting, ScreenshotOfASample) {
  TLayoutDoc t(200, 3, 2);
  TBitmap bmp(200, 50);
  t.Sheet.SelColor = t.Sheet.InactiveSelColor = 0x800000;
  t.Sheet.SelTextColor = t.Sheet.InactiveSelTextColor = 0xFFFFFF;
  for (int i = 0; i < 3; ++i) {
    t.Font(i)->Color = 0;
    t.Font(i)->SetSize(7);  // glyphs that fit the fixed 10-pixel lines
  }
  t.Font(1)->Jump = true;
  t.Font(1)->Color = 0xFF0000;
  t.Font(1)->HoverColor = 0x0000FF;
  t.Font(1)->HoverBackColor = 0xC0FFFF;
  t.Font(2)->Color = 0x008000;
  t.Para(1)->Background()->Color = 0xE0E0E0;
  t.Doc.AddNL(u"Open the ", 0, 0);
  t.Doc.AddNL(u"link", 1, -1);
  t.Doc.AddNL(u" now", 0, -1);
  t.Doc.AddNL(u"two runs", 0, 1);
  t.Doc.AddNL(u" selected", 2, -1);
  t.Doc.SetOptions(t.Doc.GetOptions() + rvoShowSpecialCharacters);
  t.Doc.Format(false);
  ASSERT_EQ(t.D().Count(), 5);
  // "runs selec" selected: from offset 5 of "two runs" to offset 7 of " selected".
  t.Doc.FSelStartNo = 3;
  t.Doc.FSelStartOffs = 5;
  t.Doc.FSelEndNo = 4;
  t.Doc.FSelEndOffs = 7;
  t.Doc.State.Include(rvstDrawHover);
  t.Doc.LastJumpDIMovedAboveFirst = t.Doc.LastJumpDIMovedAboveLast = 1;
  TCanvas* c = bmp.GetCanvas();
  c->Brush().SetStyle(bsSolid);
  c->Brush().SetColor(White);
  c->FillRect(TRect(0, 0, 200, 50));
  t.Doc.PaintTo(c, TRect(0, 0, 0, 0), false, false, false, false, true, 0, 0, 0, -1, nullptr, nullptr, false);
  bmp.Flush();
  SaveLook(bmp, "painting-sample.png");
  {
    TBitmap big(800, 200);  // four times as large, for a look
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 800; ++x) big.SetPixel(x, y, bmp.GetPixel(x / 4, y / 4));
    SaveLook(big, "painting-sample-x4.png");
  }

  const std::string reference = std::string(TAVRELO_TEST_DATA) + "/layout/painting-sample.png";
  if (const char* renew = std::getenv("TAVRELO_RENEW_REFERENCES"); renew && *renew == '1') {
    SaveLook(bmp, nullptr, reference);
    FAIL() << "reference written to " << reference << ": look at it and commit it";
  }
  TPngImage png;
  png.LoadFromFile(Utf8ToUnicode(reference));
  const TPixelImage want = png.ToPixels();
  const TPixelImage got = bmp.ToPixels();
  ASSERT_EQ(want.Width, got.Width);
  ASSERT_EQ(want.Height, got.Height);
  constexpr int Tolerance = 48;  // per channel
  EXPECT_EQ(PixelsBeyondTolerance(want, got, Tolerance), 0) << "pixels beyond the tolerance; the painted picture is painting-sample.png in the test output";
}

// Line selection: the selection colour fills the whole line height, clipped to the selected
// characters of a partly selected run.
TEST(Painting, LineSelectionFillsTheLineHeightOfTheSelectedCharacters) {
  TPaintDoc t(100, 30);
  t.Sheet.SelectionStyle = rvssLines;
  t.Doc.AddNL(u"abcdef", 0, 0);
  t.Doc.Format(false);
  t.Doc.FSelStartNo = t.Doc.FSelEndNo = 0;
  t.Doc.FSelStartOffs = 3;
  t.Doc.FSelEndOffs = 5;
  t.Paint();
  EXPECT_EQ(t.Count(TRect(0, 0, 20, 30), 0x800000), 0);
  EXPECT_EQ(t.Count(TRect(40, 0, 100, 30), 0x800000), 0);
  // The fill's corners are free of glyphs.
  EXPECT_EQ(t.Px(20, 0), 0x800000);
  EXPECT_EQ(t.Px(39, 9), 0x800000);
  // The clip region of the canvas is given back: a later fill reaches everywhere.
  TCanvas* c = t.Bmp.GetCanvas();
  c->Brush().SetStyle(bsSolid);
  c->Brush().SetColor(0x0000FF);
  c->FillRect(TRect(0, 0, 100, 30));
  t.Bmp.Flush();
  EXPECT_EQ(t.Px(5, 25), 0x0000FF);
  EXPECT_EQ(t.Px(95, 5), 0x0000FF);
}

// A paragraph sign takes the text's font but never less than 12 points.
TEST(Painting, ParagraphSignIsAtLeastTwelvePoints) {
  auto signInk = [](int Size) {
    TPaintDoc t(100, 60);
    t.Font(0)->SetSize(Size);
    t.Doc.AddNL(u"a", 0, 0);
    t.Doc.SetOptions(t.Doc.GetOptions() + rvoShowSpecialCharacters);
    t.Doc.Format(false);
    t.Doc.DrawItems->Get(0)->Top = 30;  // room above for the large sign
    t.Doc.DrawItems->Get(0)->BaseLine = 38;
    t.Paint();
    return t.Ink(TRect(10, 0, 100, 60));
  };
  const int small = signInk(6), twelve = signInk(12), large = signInk(24);
  EXPECT_GT(small, 0);
  EXPECT_EQ(small, twelve);
  EXPECT_GT(large, twelve);
}

// Text back colours in each kind of text background: one rectangle for neighbouring runs of a
// style (or the whole line's height with rvtbkLines), drawn under the text.
TEST(Painting, TextBackgroundKinds) {
  for (TRVTextBackgroundKind kind : {rvtbkSimple, rvtbkItems, rvtbkLines}) {
    TPaintDoc t(100, 40);
    t.Sheet.TextBackgroundKind = kind;
    t.Font(0)->BackColor = 0x00FF00;
    t.Doc.AddNL(u"ab", 0, 0);
    t.Doc.AddNL(u"cd", 0, -1);
    // A taller picture makes the line higher than the back-coloured runs.
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(10, 20);
    auto* pic = new TRVGraphicItemInfo(&t.Doc, std::move(bmp), rvvaBaseline);
    pic->ParaNo = -1;
    pic->SetSameAsPrev(true);
    t.Doc.AddItem(u"", pic);
    t.Doc.Format(false);
    t.Paint();
    const TRVDrawLineInfo* d = t.D().Get(0);
    EXPECT_GT(t.Count(TRect(0, d->Top, 40, d->Top + d->Height), 0x00FF00), 40 * d->Height / 2) << kind;
    EXPECT_EQ(t.Count(TRect(40, 0, 100, 40), 0x00FF00), 0) << kind;
    int lineTop, lineBottom, f, l;
    t.Doc.GetLineVerticalBoundsOrigEx(0, lineTop, lineBottom, f, l);
    ASSERT_LT(lineTop, d->Top);
    // (with rvtbkSimple the text output fills the glyph cells of the real font, taller than the
    // fixed metrics, so only the two other kinds are checked above the runs)
    if (kind != rvtbkSimple) {
      EXPECT_EQ(t.Count(TRect(0, lineTop, 40, d->Top - 2), 0x00FF00) > 0, kind == rvtbkLines) << kind;
    }
  }
}

// Explicit page breaks are drawn above their line when the document shows them.
TEST(Painting, PageBreakLine) {
  TPaintDoc t(100, 30);
  t.Sheet.PageBreakColor = 0x0000FF;
  t.Doc.AddNL(u"aa", 0, 0);
  t.Doc.AddNL(u"bb", 0, 0);
  t.Doc.GetItem(1)->SetPageBreakBefore(true);
  t.Doc.Format(false);
  t.Paint();
  EXPECT_EQ(t.Count(TRect(0, 0, 100, 30), 0x0000FF), 0);
  t.Doc.SetOptions(t.Doc.GetOptions() + rvoShowPageBreaks);
  t.Paint();
  const int y = t.D().Get(1)->Top - 1;
  EXPECT_EQ(t.Px(50, y), 0x0000FF);
  EXPECT_EQ(t.Count(TRect(0, 0, 100, y), 0x0000FF), 0);
}
