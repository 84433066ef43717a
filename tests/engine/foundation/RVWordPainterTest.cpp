#include <gtest/gtest.h>

#include <vector>

#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVWordPainter.h"
#include "platform/graphics/Pictures.h"

namespace {

// Draws as the device back-end does and remembers the polylines asked for.
class TRecordingInterface : public TRVFixedGraphicInterface {
 public:
  void Polyline(TCanvas* Canvas, const TPoint* Points, int Count) override {
    Lines.emplace_back(Points, Points + Count);
    Pens.push_back({Canvas->Pen().GetColor(), Canvas->Pen().GetWidth(), Canvas->Pen().GetStyle()});
    TRVFixedGraphicInterface::Polyline(Canvas, Points, Count);
  }
  struct PenState { TColor Color; int Width; TPenStyle Style; };
  std::vector<std::vector<TPoint>> Lines;
  std::vector<PenState> Pens;
};

class TStyle : public IRVWordPainterStyle {
 public:
  TColor GetLiveSpellingColor() const override { return clRed; }
  TRVGraphicInterface* GetGraphicInterface() const override { return &Interface; }
  mutable TRecordingInterface Interface;
};

class TData : public IRVWordPainterData {
 public:
  IRVWordPainterStyle* GetRVStyle() const override { return &Style; }
  mutable TStyle Style;
};

}  // namespace

TEST(WordPainter, WavyLinePoints) {
  struct Case { TRect r; std::vector<TPoint> points; };
  const Case cases[] = {
      {TRect(10, 0, 15, 20), {{10, 18}, {12, 20}, {15, 18}}},
      {TRect(10, 0, 14, 20), {{10, 18}, {14, 20}}},
      {TRect(10, 0, 12, 20), {}},  // narrower than 3 pixels
      {TRect(10, 0, 10, 20), {}},
      {TRect(10, 0, 5, 20), {}},
  };
  for (const Case& tc : cases) EXPECT_EQ(RVWavyLinePoints(tc.r), tc.points) << tc.r.Right;

  // 3000 pixels wide: cut at 1024 points, the last stretched to the right edge.
  const std::vector<TPoint> wide = RVWavyLinePoints(TRect(0, 0, 3000, 50));
  ASSERT_EQ(wide.size(), 1024u);
  EXPECT_EQ(wide[1022], TPoint(2044, 48));
  EXPECT_EQ(wide.back(), TPoint(3000, 50));
}

TEST(WordPainter, MisspellingLineUnderTheMarkedRangeOnly) {
  TBitmap bmp(40, 30);
  TCanvas* canvas = bmp.GetCanvas();
  canvas->Brush().SetColor(clWhite);
  canvas->FillRect(TRect(0, 0, 40, 30));
  canvas->Pen().SetColor(clBlue);
  canvas->Pen().SetWidth(3);
  canvas->Pen().SetStyle(psDash);
  TData data;
  TRVWordPainterList list;
  list.Add(new TRVWordMisspellPainter(3, 4));
  EXPECT_EQ(list.Get(0)->StartOffs, 3);
  EXPECT_EQ(list.Get(0)->Length, 4);

  list.Get(0)->Draw(canvas, nullptr, &data, TRect(10, 4, 30, 20), 0);
  list.Get(0)->Draw(canvas, nullptr, &data, TRect(10, 4, 11, 20), 0);  // too narrow: nothing
  auto& gi = data.Style.Interface;
  ASSERT_EQ(gi.Lines.size(), 1u);
  EXPECT_EQ(gi.Lines[0].front(), TPoint(10, 18));
  EXPECT_EQ(gi.Lines[0].back(), TPoint(30, 20));
  EXPECT_EQ(gi.Pens[0].Color, clRed);
  EXPECT_EQ(gi.Pens[0].Width, 1);
  EXPECT_EQ(gi.Pens[0].Style, psSolid);
  // The canvas's pen is as it was.
  EXPECT_EQ(canvas->Pen().GetColor(), clBlue);
  EXPECT_EQ(canvas->Pen().GetWidth(), 3);
  EXPECT_EQ(canvas->Pen().GetStyle(), psDash);

  bmp.Flush();
  int red = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor c = bmp.GetPixel(x, y);
      if (c == clWhite) continue;
      EXPECT_EQ(c, clRed) << x << "," << y;
      EXPECT_TRUE(x >= 10 && x <= 30 && y >= 18 && y <= 20) << x << "," << y;
      ++red;
    }
  EXPECT_GT(red, 0);
  for (int x = 10; x < 30; ++x) {  // a column of the range is touched wherever the line runs
    bool any = false;
    for (int y = 18; y <= 20; ++y) any = any || bmp.GetPixel(x, y) == clRed;
    EXPECT_TRUE(any) << x;
  }
}
