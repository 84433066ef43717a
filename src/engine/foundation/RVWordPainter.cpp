#include "engine/foundation/RVWordPainter.h"

#include "engine/foundation/RVGrIn.h"

std::vector<TPoint> RVWavyLinePoints(const TRect& r) {
  constexpr std::size_t MaxPoints = 1024;
  std::vector<TPoint> points;
  bool up = true;
  for (int x = r.Left; points.size() < MaxPoints && x < r.Right; x += 2) {
    points.push_back(TPoint{x, up ? r.Bottom - 2 : r.Bottom});
    up = !up;
  }
  if (points.size() < 2) return {};
  points.back().X = r.Right;
  return points;
}

void TRVWordMisspellPainter::Draw(TCanvas* Canvas, TRVDrawLineInfo*, IRVWordPainterData* RVData,
                                  const TRect& r, int) {
  const std::vector<TPoint> points = RVWavyLinePoints(r);
  if (points.empty() || !Canvas || !RVData) return;
  IRVWordPainterStyle* style = RVData->GetRVStyle();
  if (!style || !style->GetGraphicInterface()) return;  // nothing to draw with
  TPen& pen = Canvas->Pen();
  const TColor color = pen.GetColor();
  const int width = pen.GetWidth();
  const TPenStyle penStyle = pen.GetStyle();
  pen.SetColor(style->GetLiveSpellingColor());
  pen.SetWidth(1);
  pen.SetStyle(psSolid);
  try {
    style->GetGraphicInterface()->Polyline(Canvas, points.data(), static_cast<int>(points.size()));
  } catch (...) {
    pen.SetStyle(penStyle);
    pen.SetWidth(width);
    pen.SetColor(color);
    throw;
  }
  pen.SetStyle(penStyle);
  pen.SetWidth(width);
  pen.SetColor(color);
}
