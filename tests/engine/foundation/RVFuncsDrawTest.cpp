#include <gtest/gtest.h>

#include <cstring>

#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVWinGrIn.h"
#include "platform/graphics/Pictures.h"

namespace {
// A white bitmap to draw on, with its pixels read back as text.
struct Sheet {
  TBitmap Bmp;
  TRVWinGraphicInterface GI;
  Sheet(int w, int h) : Bmp(w, h) {
    TCanvas* c = Bmp.GetCanvas();
    c->Brush().SetStyle(bsSolid);
    c->Brush().SetColor(clWhite);
    c->FillRect(TRect(0, 0, w, h));
  }
  TCanvas* Canvas() { return Bmp.GetCanvas(); }
  TColor At(int x, int y) {
    Bmp.Flush();
    return Bmp.GetPixel(x, y);
  }
  // '#' for ink, '.' for white.
  std::string Row(int y, int from, int to) {
    std::string s;
    for (int x = from; x < to; ++x) s += At(x, y) == clWhite ? '.' : '#';
    return s;
  }
};

// Red where x < w / 2 and y < h / 2, blue elsewhere.
std::unique_ptr<TGraphic> Quadrants(int w, int h) {
  auto b = std::make_unique<TBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->SetPixel(x, y, x < w / 2 && y < h / 2 ? clRed : clBlue);
  return b;
}
}  // namespace

TEST(RVDrawing, StyledLines) {
  struct Case { int kind, thickness, pattern, right; const char* row; };
  const Case cases[] = {
      {0, 1, 0, 20, "####################...."},
      {1, 1, 0, 20, "#.#.#.#.#.#.#.#.#.#....."},
      {2, 1, 0, 20, "#.#.#.#.#.#.#.#.#.#....."},
      {2, 2, 0, 20, "##..##..##..##..##......"},
      {3, 1, 0, 20, "##.##.##.##.##.##.##...."},
      {4, 1, 0, 20, "##.#.##.#.##.#.##.#....."},
      {5, 1, 0, 20, "##.#.#.##.#.#.##.#.#...."},
      {6, 1, 0, 20, "#..#..#..#..#..#..#....."},
      {2, 1, 8, 20, "####....####....####...."},
      {3, 1, 9, 20, "######...######...##...."},
      {4, 1, 14, 20, "########..##..######...."},
      {5, 1, 16, 20, "######..##..##..####...."},
      {6, 1, 8, 20, "#..#..#..#..#..#..#....."},  // sparse dots ignore the pattern length
      {3, 2, 0, 3, "###....................."},   // pieces are cut at Right
      {7, 3, 0, 20, "........................"},  // unknown kind
      {0, 0, 0, 20, "........................"},  // no thickness, nothing to draw
      {4, 1, 1, 20, "#.#.#.#.#.#.#.#.#.#....."},  // rounding to 0 still advances
  };
  for (const auto& c : cases) {
    Sheet s(24, 9);
    DrawStyledLine(s.Canvas(), clRed, c.kind, c.thickness, 0, c.right, 4, c.pattern, &s.GI);
    EXPECT_EQ(s.Row(4, 0, 24), c.row) << "kind " << c.kind << " thickness " << c.thickness << " pattern " << c.pattern;
  }
}

TEST(RVDrawing, StyledLinesWalkOnlyTheClippedPart) {
  // A band two billion pixels wide with one-pixel dashes would take minutes to walk in full;
  // inside a clip the pattern keeps its phase from Left.
  Sheet s(24, 9);
  IntersectClipRect(s.Canvas()->GetHandle(), 4, 0, 20, 9);
  DrawStyledLine(s.Canvas(), clRed, 2, 1, -2000000000, 2000000000, 4, 0, &s.GI);
  EXPECT_EQ(s.Row(4, 0, 24), "....#.#.#.#.#.#.#.#.....");
}

TEST(RVDrawing, StyledLineBandsAndColour) {
  Sheet s(24, 9);
  DrawStyledLine(s.Canvas(), clRed, 0, 3, 2, 10, 4, 0, &s.GI);  // rows 3, 4, 5
  EXPECT_EQ(s.Row(2, 0, 12), "............");
  EXPECT_EQ(s.Row(3, 0, 12), "..########..");
  EXPECT_EQ(s.Row(5, 0, 12), "..########..");
  EXPECT_EQ(s.Row(6, 0, 12), "............");
  EXPECT_EQ(s.At(5, 4), clRed);

  Sheet dots(24, 12);
  DrawStyledLine(dots.Canvas(), clBlue, 1, 4, 0, 24, 6, 0, &dots.GI);  // round dots, 8 pixels apart
  EXPECT_EQ(dots.At(2, 6), clBlue);
  EXPECT_EQ(dots.At(10, 6), clBlue);
  EXPECT_EQ(dots.At(6, 6), clWhite);
}

TEST(RVDrawing, PatternFillKeepsTheSetBits) {
  Sheet s(10, 10);
  FillRectWithPattern(s.Canvas(), TRect(1, 1, 9, 9), clGreen);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 1 && x < 9 && y >= 1 && y < 9;
      EXPECT_EQ(s.At(x, y), inside && (x + y) % 2 == 0 ? clGreen : clWhite) << x << "," << y;
    }
}

TEST(RVDrawing, LineBetweenRects) {
  Sheet s(30, 12);
  s.Canvas()->Pen().SetColor(clBlack);
  DrawLineBetweenRects(0, 5, 10, 4, 20, 5, 5, 6, s.Canvas(), &s.GI);
  EXPECT_EQ(s.Row(5, 0, 30), "..........##########..........");
}

TEST(RVDrawing, GraphicsStretchedOrPrinted) {
  auto red = std::make_unique<TBitmap>(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) red->SetPixel(x, y, clRed);
  struct Case { bool stretch; bool sad; int w, h; int inkTo; };
  const Case cases[] = {
      {true, false, -1, -1, 6},  // natural size
      {false, false, -1, -1, 6},
      {true, true, -1, -1, 10},  // 96 to 192 pixels per inch
      {true, false, 6, 2, 8},
  };
  for (const auto& c : cases) {
    Sheet s(20, 20);
    TRVScreenAndDevice sad;
    sad.ppixScreen = sad.ppiyScreen = 96;
    sad.ppixDevice = sad.ppiyDevice = 192;
    DrawOrPrintGraphic(s.Canvas(), 2, 2, &s.GI, c.stretch, red.get(), c.sad ? &sad : nullptr, c.h, c.w);
    EXPECT_EQ(s.At(2, 2), clRed);
    EXPECT_EQ(s.At(c.inkTo - 1, 2), clRed) << c.inkTo;
    EXPECT_EQ(s.At(c.inkTo, 2), clWhite) << c.inkTo;
  }
}

TEST(RVDrawing, BitmapsThroughDeviceIndependentImages) {
  // An odd width, so every row of the 24-bit image is padded.
  TBitmap src(3, 2);
  const TColor colors[2][3] = {{clRed, clLime, clBlue}, {clYellow, clFuchsia, clAqua}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) src.SetPixel(x, y, colors[y][x]);
  {
    Sheet s(10, 10);
    PrintBitmapThroughDIB(s.Canvas()->GetHandle(), 1, 1, &src, 2, 3);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(s.At(1 + x, 1 + y), colors[y][x]) << x << "," << y;
    EXPECT_EQ(s.At(4, 1), clWhite);
  }
  {
    Sheet s(10, 10);
    StretchDrawBitmapHalftone(s.Canvas(), 0, 0, &src, 4, 6);
    EXPECT_EQ(s.At(0, 0), clRed);
    EXPECT_EQ(s.At(5, 0), clBlue);
    EXPECT_EQ(s.At(0, 3), clYellow);
    EXPECT_EQ(s.At(5, 3), clAqua);
    EXPECT_EQ(s.At(6, 0), clWhite);
  }
}

TEST(RVDrawing, RotatedGraphics) {
  struct Probe { int x, y; TColor color; };
  struct Case { TRVDocRotation rotation; int w, h; std::vector<Probe> probes; };
  // 12 x 8 with a red top-left quadrant; the result loses a pixel at each edge.
  const Case cases[] = {
      {rvrot90, 6, 10, {{1, 8, clRed}, {4, 8, clBlue}, {1, 2, clBlue}}},    // top-left to bottom-left
      {rvrot180, 10, 6, {{8, 5, clRed}, {2, 5, clBlue}, {8, 1, clBlue}}},   // to bottom-right
      {rvrot270, 6, 10, {{5, 2, clRed}, {1, 2, clBlue}, {5, 8, clBlue}}},   // to top-right
  };
  TRVWinGraphicInterface gi;
  for (const auto& c : cases) {
    std::unique_ptr<TGraphic> g = Quadrants(12, 8);
    RotateGraphic(g, c.rotation, &gi);
    ASSERT_TRUE(g->InstanceOf(TBitmap::StaticClass()));
    EXPECT_EQ(g->GetWidth(), c.w) << c.rotation;
    EXPECT_EQ(g->GetHeight(), c.h) << c.rotation;
    auto* b = static_cast<TBitmap*>(g.get());
    b->Flush();
    for (const auto& p : c.probes) EXPECT_EQ(b->GetPixel(p.x, p.y), p.color) << c.rotation << " " << p.x << "," << p.y;
  }
  std::unique_ptr<TGraphic> g = Quadrants(4, 4);
  TGraphic* before = g.get();
  RotateGraphic(g, rvrotNone, &gi);
  EXPECT_EQ(g.get(), before);
}

namespace {
// Answers outline metrics whose underscore thickness is 0, or none at all.
class TMetricsInterface : public TRVWinGraphicInterface {
 public:
  bool HasOutline = true;
  UINT GetOutlineTextMetrics(TCanvas*, UINT Size, OUTLINETEXTMETRICW* POTM) override {
    const UINT needed = sizeof(OUTLINETEXTMETRICW) + 16;
    if (!HasOutline) return 0;
    if (!POTM) return needed;
    if (Size < needed) return 0;
    OUTLINETEXTMETRICW m;
    m.otmSize = needed;
    m.otmsUnderscoreSize = 0;
    m.otmsUnderscorePosition = -3;
    std::memcpy(POTM, &m, sizeof m);
    return needed;
  }
};
}  // namespace

TEST(RVDrawing, OutlineTextMetrics) {
  Sheet s(4, 4);
  s.Canvas()->Font().SetName(u"Liberation Sans");
  s.Canvas()->Font().SetHeight(-20);
  TRVOutlineTextMetrics real = AllocOutlineTextMetrics(s.Canvas(), &s.GI);
  ASSERT_NE(real, nullptr);
  EXPECT_GE(real->otmsUnderscoreSize, 1);
  EXPECT_GT(real->otmAscent, 0);

  TMetricsInterface fake;
  TRVOutlineTextMetrics m = AllocOutlineTextMetrics(s.Canvas(), &fake);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->otmSize, sizeof(OUTLINETEXTMETRICW) + 16);
  EXPECT_EQ(m->otmsUnderscoreSize, 1);
  EXPECT_EQ(m->otmsUnderscorePosition, -3);
  fake.HasOutline = false;
  EXPECT_EQ(AllocOutlineTextMetrics(s.Canvas(), &fake), nullptr);
}

TEST(RVDrawing, ScreenAndDeviceFromCanvases) {
  Sheet s(4, 4);
  TRVScreenAndDevice sad;
  sad.LeftMargin = 7;
  sad.RightMargin = 9;
  InitScreenAndDevice(sad, s.Canvas(), &s.GI);
  EXPECT_EQ(sad.ppixDevice, 96);
  EXPECT_EQ(sad.ppiyDevice, 96);
  EXPECT_EQ(sad.ppixScreen, 96);
  EXPECT_EQ(sad.ppiyScreen, 96);
  EXPECT_EQ(sad.LeftMargin, 7);
  EXPECT_EQ(sad.RightMargin, 9);
}
