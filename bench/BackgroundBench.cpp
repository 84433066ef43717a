// Painting a document background: a 64 x 64 picture tiled over a 1000 x 800 view with the tiles
// following the scroll position (each iteration at another position, so no earlier picture
// helps), through the background and the drawing interface onto a bitmap. Its peer in the same
// run: the toolkit's own tiling of the same picture over a view of the same size.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/foundation/RVGrIn.h"
#include "engine/layout/RVBack.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/ToolkitPeer.h"

namespace {

constexpr int kViewW = 1000, kViewH = 800, kTile = 64;

std::unique_ptr<TBitmap> TileBitmap() {
  auto b = std::make_unique<TBitmap>(kTile, kTile);
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x)
      b->GetCanvas()->SetPixel(x, y, static_cast<TColor>(RGB(x * 4, y * 4, (x ^ y) * 4)));
  return b;
}

void BM_Background_TiledAndScrolled(benchmark::State& state) {
  auto gi = CreateDefaultGraphicInterface();
  TRVBackground back(false, nullptr);
  auto tile = TileBitmap();
  back.AssignImage(tile.get(), nullptr, true, nullptr);
  back.Style = bsTiledAndScrolled;
  TBitmap view(kViewW, kViewH);
  int pos = 0;
  for (auto _ : state) {
    pos = (pos + 37) % 100000;
    back.Draw(view.GetCanvas(), TRect(0, 0, kViewW, kViewH), pos / 7, pos, 0, 0, kViewW, kViewH, clNone, 100000, true,
              false, gi.get(), nullptr, nullptr, false);
    benchmark::DoNotOptimize(view.GetCanvas()->GetPixel(5, 5));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Background_TiledAndScrolled)->Unit(benchmark::kMicrosecond);

void BM_Background_ToolkitTiledPeer(benchmark::State& state) {
  const TPixelImage tile = TileBitmap()->ToPixels();
  TPixelImage view;
  view.Resize(kViewW, kViewH);
  int pos = 0;
  for (auto _ : state) {
    pos = (pos + 37) % 100000;
    ToolkitTiledFill(view, tile, -(pos / 7 % kTile), -(pos % kTile));
    benchmark::DoNotOptimize(view.Pixels[5]);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Background_ToolkitTiledPeer)->Unit(benchmark::kMicrosecond);

}  // namespace
