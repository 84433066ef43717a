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
#include "support/PageLayoutDouble.h"
#include "support/PixelCompare.h"

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
  // The drawing routine alone, the table's corner at (0, 0), in the given draw states.
  void Draw(const TRVItemDrawStates& States, TCustomRVData* Data, bool Printing = false) {
    Doc.Format(false);
    TCanvas* c = Bmp.GetCanvas();
    c->Brush().SetStyle(bsSolid);
    c->Brush().SetColor(White);
    c->FillRect(TRect(0, 0, Bmp.GetWidth(), Bmp.GetHeight()));
    Table->DrawTable(c, 0, 0, TRect(0, 0, 0, 0), States, Table->GetFormattingInfo(), rvcmColor, Data, Printing);
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
  EXPECT_EQ(PixelsBeyondTolerance(want, got, Tolerance), 0) << "pixels beyond the tolerance; the painted picture is table-sample.png in the test output";
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

namespace {

// A page-layout owner drawing its pages at a zoom.
struct TZoomedLayout : TPageLayoutDouble {
  double Zoom = 1.0;
  double GetDrawnPageZoomPercent() override { return Zoom; }
};

// A document hosted by a page-layout owner.
struct THostedDoc : TRVPlainFormattedData {
  using TRVPlainFormattedData::TRVPlainFormattedData;
  std::shared_ptr<IRVScaleViroZereInterface> Host;
  std::shared_ptr<IRVScaleViroZereInterface> GetScaleViroZereInterface() override { return Host; }
};

}  // namespace

// Borders close their bottom-right corner (the line-end flag) unless a page-layout owner draws
// the page enlarged by 1.45 or more.
TEST(TablePaint, LineEndFlagByTheDrawnPageZoom) {
  struct TCase {
    double Zoom;  // 0: no page-layout owner
    bool CornerDrawn;
  };
  for (const TCase& c : {TCase{0, true}, TCase{1.0, true}, TCase{1.44, true}, TCase{1.45, false}, TCase{2.0, false}}) {
    TTablePaint t(1, 1);
    t.Table->SetCellBorderWidth(1);
    t.Table->SetCellBorderStyle(rvtbColor);
    t.Table->SetColor(rvtcCellBorderColor, Blue);
    THostedDoc host(&t.Sheet);
    if (c.Zoom > 0) {
      auto zoomed = std::make_shared<TZoomedLayout>();
      zoomed->Zoom = c.Zoom;
      host.Host = zoomed;
    }
    t.Draw({}, &host);
    TRVTableCellData* cell = t.Cell(0, 0);
    const int R = cell->FLeft + cell->FWidth, B = cell->FTop + cell->FHeight;
    EXPECT_EQ(t.Px(R, B), c.CornerDrawn ? Blue : White) << c.Zoom;
    EXPECT_EQ(t.Px(R - 1, B), Blue) << c.Zoom << " the bottom side itself";
    EXPECT_EQ(t.Px(R, B - 1), Blue) << c.Zoom << " the right side itself";
  }
}

// Print simulation composes semi-transparent backgrounds off-screen: the picture is the one the
// direct paint gives.
TEST(TablePaint, PrintSimulationDrawsAsTheDirectPaint) {
  struct TCase {
    const char* Name;
    int TableOpacity, CellOpacity;
    TColor CellColor;
  };
  const TCase cases[] = {
      {"semi-transparent table and cell", 50000, 30000, Blue},
      {"semi-transparent table, opaque cell", 40000, 100000, Blue},
      {"opaque table, semi-transparent cell", 100000, 60000, Green},
      {"semi-transparent table, cell without colour", 70000, 100000, clNone},
  };
  for (const TCase& c : cases) {
    TPixelImage direct, simulated;
    for (bool simulate : {false, true}) {
      TTablePaint t(2, 2, 100, 40);
      t.Table->SetColor(rvtcColor, Red);
      t.Table->SetOpacity(c.TableOpacity);
      t.Table->SetCellBorderWidth(1);
      t.Table->SetColor(rvtcCellBorderColor, 0x404040);
      t.Cell(1, 1)->SetColor(c.CellColor);
      t.Cell(1, 1)->SetOpacity(c.CellOpacity);
      t.Cell(0, 0)->Clear();
      t.Cell(0, 0)->AddNL(u"ab", 0, 0);
      TRVItemDrawStates states;
      if (simulate) states.Include(rvidsPrintSimulation);
      t.Draw(states, &t.Doc);
      (simulate ? simulated : direct) = t.Bmp.ToPixels();
    }
    ASSERT_EQ(direct.Width, simulated.Width);
    int bad = 0;
    for (int y = 0; y < direct.Height; ++y)
      for (int x = 0; x < direct.Width; ++x)
        for (int shift = 0; shift < 24; shift += 8) {
          const int d = static_cast<int>((direct.At(x, y) >> shift) & 0xFF) -
                        static_cast<int>((simulated.At(x, y) >> shift) & 0xFF);
          if (d > 1 || d < -1) ++bad;
        }
    EXPECT_EQ(bad, 0) << c.Name;
  }
}

// The page-break sign is drawn in the gap above a row marked to start a page, on screen only and
// when the document shows page breaks.
TEST(TablePaint, PageBreakSignAtARow) {
  struct TCase {
    const char* Name;
    bool ShowBreaks, Printing;
    bool Expected;
  };
  const TCase cases[] = {
      {"shown", true, false, true},
      {"page breaks not shown", false, false, false},
      {"printing", true, true, false},
  };
  for (const TCase& c : cases) {
    TTablePaint t(3, 1, 100, 60);
    t.Sheet.PageBreakColor = Red;
    t.Table->GetRows()->GetRow(1)->FPageBreakBefore = true;
    if (c.ShowBreaks) t.Doc.SetOptions(t.Doc.GetOptions() + rvoShowPageBreaks);
    t.Draw({}, &t.Doc, c.Printing);
    const TRVTableItemFormattingInfo* f = t.Table->GetFormattingInfo();
    const int y1 = f->RowStarts.Get(1) - 1, y2 = f->RowStarts.Get(2) - 1;  // the middle of the 2-pixel gaps
    EXPECT_EQ(t.Px(30, y1), c.Expected ? Red : White) << c.Name;
    EXPECT_EQ(t.Px(30, y2), White) << c.Name << ": the row after";
  }
}

// Printing with half-tone borders draws one line per side on the rectangle inset by half the
// width: a pen of the width for the colour style, one pixel for the 3D styles, one pixel wider
// and from one pixel up and left on a device finer than the screen.
TEST(TablePaint, HalftoneBordersWhenPrinting) {
  struct TCase {
    const char* Name;
    TRVTableBorderStyle Style;
    bool Halftone, FinerDevice;
    TColor Top[6];  // rows T-2 .. T+3 at the middle of the top side (T: the border's outer row)
  };
  const TCase cases[] = {
      {"3D, rings without half-tone", rvtbRaisedColor, false, false, {White, White, Green, Green, Green, White}},
      {"3D, one pixel at the inset", rvtbRaisedColor, true, false, {White, White, White, Green, White, White}},
      {"colour, a band of the width", rvtbColor, true, false, {White, White, Blue, Blue, Blue, White}},
      {"colour on a finer device, pen one wider", rvtbColor, true, true, {Blue, Blue, Blue, Blue, White, White}},
      {"colour on a finer device without half-tone", rvtbColor, false, true, {White, Blue, Blue, Blue, Blue, White}},
      {"3D on a finer device, pen one wider", rvtbRaisedColor, true, true, {Green, Green, Green, Green, White, White}},
  };
  for (const TCase& c : cases) {
    TTablePaint t(1, 1, 100, 40);
    t.Table->SetCellBorderWidth(3);
    t.Table->SetCellBorderStyle(c.Style);
    t.Table->SetColor(rvtcCellBorderColor, Blue);
    t.Table->SetColor(rvtcCellBorderLightColor, Green);
    t.Table->SetCellVSpacing(6);
    t.Table->SetBorderVSpacing(6);
    TRVTablePrintOptions po = t.Table->GetPrintOptions();
    if (c.Halftone)
      po.Include(rvtoHalftoneBorders);
    else
      po.Exclude(rvtoHalftoneBorders);
    t.Table->SetPrintOptions(po);
    t.Doc.Format(false);
    TRVScreenAndDevice sad;
    sad.ppixScreen = sad.ppiyScreen = sad.ppixDevice = sad.ppiyDevice = 96;
    if (c.FinerDevice) sad.ppiyDevice = 97;  // finer, and 3 pixels still 3 device pixels
    t.Table->cursad = &sad;
    t.Draw({rvidsPrint}, &t.Doc, true);
    t.Table->cursad = nullptr;
    TRVTableCellData* cell = t.Cell(0, 0);
    const int T = cell->FTop - 3, mx = cell->FLeft + cell->FWidth / 2;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(t.Px(mx, T - 2 + i), c.Top[i]) << c.Name << " row T" << i - 2;
  }
}

// A selected table reports its cells as selected to the background event and paints them in the
// selection colour; the cells' documents are completely selected only while they paint.
TEST(TablePaint, SelectedTableSelectsItsCellsWhilePainting) {
  for (bool selected : {false, true}) {
    TTablePaint t(1, 2);
    t.Sheet.SelColor = Green;
    t.Sheet.InactiveSelColor = Green;
    t.Cell(0, 1)->State.Include(rvstCompletelySelected);  // kept: it was set before
    std::vector<bool> reported;
    t.Table->FOnDrawBackground = [&](TRVTableItemInfo*, TCanvas*, int, int, int, int, bool, bool CellSelected, bool,
                                     int Row, int, bool&) {
      if (Row >= 0) reported.push_back(CellSelected);
    };
    TRVItemDrawStates states;
    if (selected) states.Include(rvidsSelected);
    t.Draw(states, &t.Doc);
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[0], selected);
    EXPECT_TRUE(reported[1]);
    EXPECT_FALSE(t.Cell(0, 0)->State.Contains(rvstCompletelySelected)) << selected;
    EXPECT_TRUE(t.Cell(0, 1)->State.Contains(rvstCompletelySelected)) << selected;
    TRVTableCellData* cell = t.Cell(0, 0);
    EXPECT_EQ(t.Px(cell->FLeft + 1, cell->FTop + 1), selected ? Green : White);
  }
}
