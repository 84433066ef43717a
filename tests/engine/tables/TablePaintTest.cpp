// Painting tables into bitmaps with the fixed-metrics back-end: cell colours by the band rules,
// backgrounds with their opacity, borders of each style and width, rules and grid lines, and a
// screenshot against a kept reference.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/foundation/RVFuncs.h"
#include "engine/layout/LayoutTestUtil.h"
#include "engine/tables/RVTable.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Png.h"

namespace {

constexpr TColor White = 0xFFFFFF, Red = 0x0000FF, Blue = 0xFF0000, Green = 0x00FF00;

// A document holding one table whose own background and borders are off, painted into a bitmap.
struct TTablePaint : TLayoutDoc {
  TRVTableItemInfo* Table;
  TBitmap Bmp;
  TTablePaint(int Rows, int Cols, int Width = 100, int Height = 40) : TLayoutDoc(Width), Bmp(Width, Height) {
    auto t = TRVTableItemInfo::CreateEx(Rows, Cols, &Doc);
    Table = t.get();
    Table->ParaNo = 0;
    Table->SetColor(rvtcColor, White);
    Doc.AddItem(u"", t.release());
    for (int i = 0; i < Sheet.TextStyles()->Count(); ++i) Font(i)->Color = 0;
  }
  void Paint() {
    Doc.Format(false);
    TCanvas* c = Bmp.GetCanvas();
    c->Brush().SetStyle(bsSolid);
    c->Brush().SetColor(White);
    c->FillRect(TRect(0, 0, Bmp.GetWidth(), Bmp.GetHeight()));
    Doc.PaintTo(c, TRect(0, 0, 0, 0), false, false, false, false, true, 0, 0, 0, -1, nullptr, nullptr, false);
    Bmp.Flush();
  }
  TColor Px(int x, int y) const { return Bmp.GetPixel(x, y) & 0xFFFFFF; }
  TRVTableCellData* Cell(int r, int c) { return Table->GetCells(r, c); }
};

}  // namespace

TEST(TablePaint, CellColourByTheBandRules) {
  struct TCase {
    const char* Name;
    std::function<void(TRVTableItemInfo*)> Set;
    int Row, Col;
    bool UseTableColor;
    TColor Expected;
  };
  const TColor H = 0x111111, O = 0x222222, E = 0x333333, F = 0x444444, C = 0x555555, T = 0x666666, X = 0x777777;
  auto bands = [=](TRVTableItemInfo* t) {
    t->SetColor(rvtcOddRowsColor, O);
    t->SetColor(rvtcEvenRowsColor, E);
  };
  const TCase cases[] = {
      {"heading colour with no heading rows takes row 0",
       [=](TRVTableItemInfo* t) {
         bands(t);
         t->SetColor(rvtcHeadingRowColor, H);
       },
       0, 1, false, H},
      {"and the bands start at row 1",
       [=](TRVTableItemInfo* t) {
         bands(t);
         t->SetColor(rvtcHeadingRowColor, H);
       },
       1, 1, false, O},
      {"row 2 is even",
       [=](TRVTableItemInfo* t) {
         bands(t);
         t->SetColor(rvtcHeadingRowColor, H);
       },
       2, 1, false, E},
      {"without a heading colour row 0 is odd", bands, 0, 1, false, O},
      {"first column colour", [=](TRVTableItemInfo* t) { t->SetColor(rvtcFirstColumnColor, F); }, 0, 0, false, F},
      {"first column shifts the column bands: column 1 is odd",
       [=](TRVTableItemInfo* t) {
         t->SetColor(rvtcFirstColumnColor, F);
         t->SetColor(rvtcOddColumnsColor, O);
         t->SetColor(rvtcEvenColumnsColor, E);
       },
       1, 1, false, O},
      {"column bands before row bands",
       [=](TRVTableItemInfo* t) {
         bands(t);
         t->SetColor(rvtcEvenColumnsColor, C);
       },
       1, 1, false, C},
      {"override wins over the cell's own colour",
       [=](TRVTableItemInfo* t) {
         t->SetColor(rvtcCellOverrideColor, X);
         t->GetCells(1, 1)->SetColor(Red);
       },
       1, 1, false, X},
      {"the cell's own colour wins over the bands",
       [=](TRVTableItemInfo* t) {
         bands(t);
         t->GetCells(1, 1)->SetColor(Red);
       },
       1, 1, false, Red},
      {"band of size 2 after one heading row: rows 3-4 even",
       [=](TRVTableItemInfo* t) {
         bands(t);
         t->SetRowBandSize(2);
         t->SetHeadingRowCount(1);
       },
       3, 0, false, E},
      {"rows 1-2 odd",
       [=](TRVTableItemInfo* t) {
         bands(t);
         t->SetRowBandSize(2);
         t->SetHeadingRowCount(1);
       },
       2, 0, false, O},
      {"an unset band colour falls to the table's colour",
       [=](TRVTableItemInfo* t) {
         t->SetColor(rvtcOddRowsColor, O);
         t->SetColor(rvtcColor, T);
       },
       1, 0, true, T},
      {"or to none", [=](TRVTableItemInfo* t) { t->SetColor(rvtcOddRowsColor, O); }, 1, 0, false, clNone},
  };
  for (const TCase& c : cases) {
    auto t = TRVTableItemInfo::CreateEx(5, 4, nullptr);
    c.Set(t.get());
    EXPECT_EQ(t->GetCellColor(c.Row, c.Col, c.UseTableColor, false), c.Expected) << c.Name;
  }
}

// A 1x1 table in a 100-pixel document: cell box 2..98 x 2..12 (border spacing 2, padding 1).
TEST(TablePaint, CellBackgroundWithItsOpacity) {
  struct TCase {
    int Opacity;
    int Alpha;  // 255 x opacity / 100000, halves to even
  };
  for (const TCase& c : {TCase{100000, 255}, TCase{50000, 128}, TCase{30000, 76}, TCase{0, 0}}) {
    EXPECT_EQ(OpacityToAlpha(c.Opacity), c.Alpha) << c.Opacity;
    TTablePaint t(1, 1);
    t.Cell(0, 0)->SetColor(Red);
    t.Cell(0, 0)->SetOpacity(c.Opacity);
    t.Paint();
    const TColor p = t.Px(50, 11);
    // Red over white: the red channel stays, green and blue drop by the alpha.
    EXPECT_EQ(p & 0xFF, 0xFFu) << c.Opacity;
    EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 255 - c.Alpha, 1) << c.Opacity;
    EXPECT_EQ(t.Px(1, 11), White) << "spacing outside the cell";
  }
}

TEST(TablePaint, BordersOfEachStyleAndWidth) {
  struct TCase {
    const char* Name;
    TRVTableBorderStyle Style;
    int Width;
    TColor BackColor;             // the table's colour, behind the cells
    TColor TopLeft, BottomRight;  // expected colours of the outermost ring
  };
  const TColor hi = RVColorToRGB(clBtnHighlight), sh = RVColorToRGB(clBtnShadow), face = RVColorToRGB(clBtnFace);
  const TCase cases[] = {
      {"colour, width 1", rvtbColor, 1, White, Blue, Blue},
      {"colour, width 3", rvtbColor, 3, White, Blue, Blue},
      {"raised", rvtbRaised, 2, 0x808080, hi, sh},
      {"lowered", rvtbLowered, 2, 0x808080, sh, hi},
      {"raised colour", rvtbRaisedColor, 1, White, Green, Blue},
      {"lowered colour", rvtbLoweredColor, 1, White, Blue, Green},
      {"raised on the highlight colour uses the face colour", rvtbRaised, 1, clBtnHighlight, face, sh},
  };
  for (const TCase& c : cases) {
    TTablePaint t(1, 1, 100, 40);
    t.Table->SetColor(rvtcColor, c.BackColor);
    t.Table->SetCellBorderWidth(c.Width);
    t.Table->SetCellBorderStyle(c.Style);
    t.Table->SetColor(rvtcCellBorderColor, Blue);
    t.Table->SetColor(rvtcCellBorderLightColor, Green);
    t.Paint();
    TRVTableCellData* cell = t.Cell(0, 0);
    const int L = cell->FLeft - c.Width, T = cell->FTop - c.Width;
    const int R = cell->FLeft + cell->FWidth + c.Width - 1, B = cell->FTop + cell->FHeight + c.Width - 1;
    const int mx = (L + R) / 2, my = (T + B) / 2;
    EXPECT_EQ(t.Px(mx, T), c.TopLeft) << c.Name << " top";
    EXPECT_EQ(t.Px(L, my), c.TopLeft) << c.Name << " left";
    EXPECT_EQ(t.Px(mx, B), c.BottomRight) << c.Name << " bottom";
    EXPECT_EQ(t.Px(R, my), c.BottomRight) << c.Name << " right";
    // Every ring of the width, and nothing inside it.
    EXPECT_EQ(t.Px(mx, T + c.Width - 1), c.TopLeft) << c.Name << " inner ring";
    EXPECT_NE(t.Px(mx, T + c.Width), c.TopLeft) << c.Name << " inside the border";
  }
}

TEST(TablePaint, RuleOfWidthThreeStartsOneLeftOfItsCentre) {
  TTablePaint t(1, 2);
  t.Table->SetVRuleWidth(3);
  t.Table->SetColor(rvtcVRuleColor, Red);
  t.Paint();
  const TRVTableItemFormattingInfo* f = t.Table->GetFormattingInfo();
  // Centre of the gap: the second column's start less (spacing 2 + 1) div 2.
  const int x = f->ColStarts.Get(1) - 1;
  EXPECT_EQ(t.Px(x - 2, 5), White);
  EXPECT_EQ(t.Px(x - 1, 5), Red);
  EXPECT_EQ(t.Px(x, 5), Red);
  EXPECT_EQ(t.Px(x + 1, 5), Red);
  EXPECT_EQ(t.Px(x + 2, 5), White);
}

TEST(TablePaint, GridLinesForBorderlessCells) {
  for (bool hide : {false, true}) {
    TTablePaint t(1, 1);
    t.Sheet.GridReadOnlyStyle = psSolid;
    t.Sheet.GridReadOnlyColor = Green;
    t.Doc.SetOptions(t.Doc.GetOptions() + rvoShowGridLines);
    if (hide) t.Table->SetOptions(t.Table->GetOptions() + rvtoHideGridLines);
    t.Paint();
    TRVTableCellData* cell = t.Cell(0, 0);
    EXPECT_EQ(t.Px(cell->FLeft, cell->FTop + 5), hide ? White : Green) << hide;
    EXPECT_EQ(t.Px(cell->FLeft + 20, cell->FTop), hide ? White : Green) << hide;
  }
}

TEST(TablePaint, DrawBorderEventCanSkipTheOuterBorder) {
  TTablePaint t(1, 1);
  t.Table->SetBorderWidth(1);
  t.Table->SetBorderStyle(rvtbColor);
  t.Table->SetColor(rvtcBorderColor, Red);
  t.Cell(0, 0)->SetColor(Blue);
  t.Table->FOnDrawBorder = [](TRVTableItemInfo*, TCanvas*, int, int, int, int, TRVStyleLength, TColor, TColor, TColor,
                              TRVTableBorderStyle, bool, TRVBooleanRect*, int Row, int, bool& DoDefault) {
    if (Row < 0) DoDefault = false;
  };
  t.Paint();
  EXPECT_EQ(t.Px(0, 5), White);
  EXPECT_EQ(t.Px(50, 5), Blue);
}

// A 3x3 table with a heading row, bands, a merged cell, coloured borders and text, compared
// with a kept reference (glyph edges may differ between rasteriser versions; tolerance as the
// document painting's screenshot). TAVRELO_RENEW_REFERENCES=1 writes the reference anew.
TEST(TablePaint, ScreenshotOfASample) {
  TTablePaint t(3, 3, 200, 60);
  for (int i = 0; i < t.Sheet.TextStyles()->Count(); ++i) t.Font(i)->SetSize(7);
  t.Table->SetBorderWidth(1);
  t.Table->SetBorderStyle(rvtbColor);
  t.Table->SetColor(rvtcBorderColor, 0x404040);
  t.Table->SetCellBorderWidth(1);
  t.Table->SetCellBorderStyle(rvtbColor);
  t.Table->SetColor(rvtcCellBorderColor, 0x808080);
  t.Table->SetColor(rvtcHeadingRowColor, 0xE0C0A0);
  t.Table->SetColor(rvtcOddRowsColor, 0xF0F0F0);
  t.Table->SetColor(rvtcEvenRowsColor, 0xD0F0D0);
  t.Table->SetHeadingRowCount(1);
  const char16_t* texts[3][3] = {{u"Name", u"Qty", u"Sum"}, {u"ab", u"1", u"10"}, {u"cd", u"2", u"20"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      t.Cell(r, c)->Clear();
      t.Cell(r, c)->AddNL(texts[r][c], 0, 0);
    }
  t.Cell(2, 2)->SetOpacity(50000);
  t.Cell(2, 2)->SetColor(Red);
  t.Paint();
  const std::string reference = std::string(TAVRELO_TEST_DATA) + "/tables/table-sample.png";
  TPngImage out;
  out.Assign(&t.Bmp);
  out.SaveToFile(Utf8ToUnicode(std::string(TAVRELO_TEST_OUTPUT) + "/table-sample.png"));
  if (const char* renew = std::getenv("TAVRELO_RENEW_REFERENCES"); renew && *renew == '1') {
    out.SaveToFile(Utf8ToUnicode(reference));
    FAIL() << "reference written to " << reference << ": look at it and commit it";
  }
  TPngImage png;
  png.LoadFromFile(Utf8ToUnicode(reference));
  const TPixelImage want = png.ToPixels();
  const TPixelImage got = t.Bmp.ToPixels();
  ASSERT_EQ(want.Width, got.Width);
  ASSERT_EQ(want.Height, got.Height);
  constexpr int Tolerance = 48;
  int bad = 0;
  for (int y = 0; y < got.Height; ++y)
    for (int x = 0; x < got.Width; ++x) {
      const std::uint32_t a = want.At(x, y), b = got.At(x, y);
      for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > Tolerance || d < -Tolerance) {
          ++bad;
          break;
        }
      }
    }
  EXPECT_EQ(bad, 0) << "pixels beyond the tolerance; the painted picture is table-sample.png in the test output";
}

// Painting a clipped area: the canvas origin stands for the clip's corner, rows above the clip
// are skipped and the visible ones land where the clip puts them.
TEST(TablePaint, ClippedAreaPaintsTheRowsUnderIt) {
  TTablePaint t(6, 1, 100, 30);
  for (int r = 0; r < 6; ++r) t.Cell(r, 0)->SetColor(r == 4 ? Red : Blue);
  t.Doc.Format(false);
  const int top = t.Cell(4, 0)->FTop - 5;
  TCanvas* c = t.Bmp.GetCanvas();
  c->Brush().SetStyle(bsSolid);
  c->Brush().SetColor(White);
  c->FillRect(TRect(0, 0, 100, 30));
  t.Doc.PaintTo(c, TRect(0, top, 100, top + 30), false, false, false, false, true, 0, 0, 0, -1, nullptr, nullptr,
                false);
  t.Bmp.Flush();
  EXPECT_EQ(t.Px(50, 5), Red);
  EXPECT_EQ(t.Px(50, 3), White);  // the spacing above row 4
  EXPECT_EQ(t.Px(50, 1), Blue);   // the end of row 3
}
