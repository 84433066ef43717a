// The viewer's buffered painting of a 1000 x 800 view: background and the draw items in view (of 400) painted into
// an off-screen bitmap of the clip rectangle, then copied onto the window's bitmap. Each
// iteration scrolls to another position so that no earlier picture helps. Its peer in the same
// run paints the same rectangles straight onto the window's bitmap (the floor without a buffer),
// so the ratio is the price of flicker-free painting.
#include <benchmark/benchmark.h>

#include "support/RootDataTestUtil.h"

namespace {

constexpr int kViewW = 1000, kViewH = 800;

struct TBenchViewer {
  TTestViewer V;
  TBitmap Window{kViewW, kViewH};
  TBenchViewer() {
    V.SetBounds(0, 0, kViewW, kViewH);
    V.SetColor(static_cast<TColor>(0xFFFFFF));
    for (int i = 0; i < 400; ++i) V.D().AddNL(u"some words of text on a line", i % 2, 0);
    V.Format();
    V.HandleNeeded();
    V.D().SetDocumentAreaSize(kViewW, V.D().DocumentHeight, true, true);
  }
};

void BM_Viewer_PaintBuffered(benchmark::State& state) {
  TBenchViewer b;
  int pos = 0;
  for (auto _ : state) {
    pos = (pos + 37) % 300;
    b.V.D().ScrollTo(pos * 10, false);
    b.V.PaintOnto(b.Window);
    benchmark::DoNotOptimize(b.Window.GetPixel(5, 5));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Viewer_PaintBuffered)->Unit(benchmark::kMicrosecond);

void BM_Viewer_PaintDirectPeer(benchmark::State& state) {
  TBenchViewer b;
  TCanvas* c = b.Window.GetCanvas();
  int pos = 0;
  for (auto _ : state) {
    pos = (pos + 37) % 300;
    b.V.D().ScrollTo(pos * 10, false);
    c->Brush().SetColor(static_cast<TColor>(0xFFFFFF));
    c->Brush().SetStyle(bsSolid);
    c->FillRect(TRect(0, 0, kViewW, kViewH));
    b.V.D().PaintTo(c, TRect(0, 0, kViewW, kViewH), false, false, false, false, true, 0, 0, 0,
                    b.V.D().DrawItems->Count() - 1, nullptr, nullptr, false);
    benchmark::DoNotOptimize(b.Window.GetPixel(5, 5));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Viewer_PaintDirectPeer)->Unit(benchmark::kMicrosecond);

}  // namespace
