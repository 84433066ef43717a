// Painting styled runs: lines of 80 characters in one text style onto a bitmap, as the viewer
// paints a screen of text: plain, underlined (solid and dash-dotted), and with special characters
// shown.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/foundation/RVGrIn.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"

namespace {

const std::vector<std::u16string>& Lines() {
  static const std::vector<std::u16string> lines = [] {
    std::u16string all;
    while (all.size() < 80 * 50) all += u"The quick brown fox jumps over the lazy dog; office waffle. ";
    std::vector<std::u16string> r;
    for (size_t i = 0; i + 80 <= all.size(); i += 80) r.push_back(all.substr(i, 80));
    return r;
  }();
  return lines;
}

enum TRunKind { rkPlain, rkUnderlined, rkDashDotUnderlined, rkSpecialCharacters };

template <TRunKind Kind>
void BM_DrawStyledLines(benchmark::State& state) {
  TBitmap bmp(900, 1000);
  TCanvas* c = bmp.GetCanvas();
  TRVStyle sheet(nullptr);
  TFontInfo* st = sheet.TextStyles()->Items(0);
  st->FontName = u"DejaVu Sans";
  st->SetSize(12);
  if (Kind == rkUnderlined || Kind == rkDashDotUnderlined) st->Style = {fsUnderline};
  if (Kind == rkDashDotUnderlined) st->UnderlineType = rvutDashDotted;
  const TRVTextDrawStates drawState =
      Kind == rkSpecialCharacters ? TRVTextDrawStates{rvtsSpecialCharacters} : TRVTextDrawStates{};
  TRVGraphicInterface* gi = sheet.GetGraphicInterface();
  st->Apply(c, rvbdUnspecified, false, false, nullptr, false, false, false, nullptr, &sheet);
  TEXTMETRICW tm;
  gi->GetTextMetrics(c, tm);
  std::vector<int> widths;
  for (const auto& l : Lines()) widths.push_back(gi->TextWidth(c, l, false, false));
  for (auto _ : state) {
    int y = 0;
    for (size_t i = 0; i < Lines().size(); ++i, y += tm.tmHeight) {
      st->Apply(c, rvbdUnspecified, false, false, nullptr, false, false, false, nullptr, &sheet);
      st->ApplyColor(c, &sheet, drawState, false, rvcmColor);
      st->Draw(Lines()[i], c, 0, 0, 4, y, widths[i], tm.tmHeight, y + tm.tmAscent, widths[i], 0, &sheet, drawState,
               false, false, false, rvcmColor, rvbdUnspecified, nullptr, gi, -1, -1, nullptr);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Lines().size()));
}

BENCHMARK_TEMPLATE(BM_DrawStyledLines, rkPlain)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_DrawStyledLines, rkUnderlined)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_DrawStyledLines, rkDashDotUnderlined)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_DrawStyledLines, rkSpecialCharacters)->Unit(benchmark::kMillisecond);

}  // namespace
