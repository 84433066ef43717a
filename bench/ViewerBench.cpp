// The viewer control on the generated 300-page document, each figure beside the toolkit's
// rich-text document painting the same view of the same text (drawContents) in the same program:
// - painting one 1000 x 800 view through the viewer (its window's paint: the root data's buffered
//   painting onto the window's picture) at the start, the middle and the end, warm (the view moves
//   by a few lines each time) and cold (each view lies far from the ones painted before, so the
//   shaping caches hold none of its lines);
// - scrolling by one page, the repaint included (the window paints what the scroll uncovered);
// - the item under a point at the end of the document (client point to document point, nearest
//   draw item and character, item and offset).
// Two viewers of different seeds take turns, so no result of one iteration answers the next.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"
#include "support/GeneratedDocument.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/TextPeers.h"
#include "ToolkitDocCopy.h"

namespace {

constexpr int ViewWidth = 1000, ViewHeight = 800;

struct TViewerDoc {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZere> V;
  std::unique_ptr<TToolkitDocumentPeer> Peer;
  int Paints = 0;
  explicit TViewerDoc(std::uint32_t Seed) {
    SetGeneratedDocumentStyles(Sheet);
    V = std::make_unique<TViroZere>(nullptr);
    V->SetStyle(&Sheet);
    // The client area is the view: the window's frame and scroll bars lie around it (measured on
    // a first window, which then goes).
    V->SetBounds(0, 0, ViewWidth, ViewHeight);
    V->HandleNeeded();
    const int frameW = V->GetWidth() - V->GetClientWidth(), frameH = V->GetHeight() - V->GetClientHeight();
    V->DestroyHandle();
    V->SetBounds(0, 0, ViewWidth + frameW, ViewHeight + frameH);
    V->HandleNeeded();
    // Shown, so that a scroll repaints through the window as on the screen.
    ShowWindow(V->GetHandle(), SW_SHOW);
    ProcessMessages(20);
    GenerateDocument(*V->GetRVData(), {.Seed = Seed, .Pages = 300, .Pictures = true});
    V->Format();
    V->OnPaint = [this](TObject*, TCanvas*, bool) { ++Paints; };
    Peer = ToolkitCopy(*V->GetRVData(), Sheet);
    Peer->Layout(V->GetClientWidth());
  }
  int Height() const { return V->GetDocumentHeight(); }
};

// Kept until the process ends: windows cannot be destroyed after the application object.
TViewerDoc& Doc(int i) {
  static TViewerDoc* docs[2] = {new TViewerDoc(11), new TViewerDoc(12)};
  return *docs[i];
}

// The top of the view for iteration n: at the start, the middle or the end of the document;
// warm views move by a few lines, cold ones by 811 pixels over a range of 40,000.
int ViewTop(int Position, int Height, int n, bool Cold) {
  const int spread = Cold ? 40000 : 400;
  const int range = std::max(0, Height - ViewHeight - spread);
  const int offset = Cold ? (n / 2 * 811) % spread : (n * 37) % 400;
  return Position * range / 2 + offset;
}

void PaintViewer(benchmark::State& state, bool Cold) {
  const int pos = static_cast<int>(state.range(0));
  Doc(0), Doc(1);  // made and formatted before the timing
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(Doc(0).V->GetClientWidth(), Doc(0).V->GetClientHeight());
  HDC dc = bmp.GetCanvas()->GetHandle();
  int n = 0;
  for (auto _ : state) {
    TViewerDoc& d = Doc(n % 2);
    const int top = ViewTop(pos, d.Height(), n++, Cold);
    state.PauseTiming();
    d.V->ScrollToNoRedraw(top);
    state.ResumeTiming();
    d.V->PaintTo(dc, 0, 0);
    bmp.Flush();
  }
  state.counters["height_px"] = Doc(0).Height();
  state.counters["view_w"] = Doc(0).V->GetClientWidth();
  state.counters["view_h"] = Doc(0).V->GetClientHeight();
}

void PaintPeer(benchmark::State& state, bool Cold) {
  const int pos = static_cast<int>(state.range(0));
  Doc(0), Doc(1);
  int n = 0;
  for (auto _ : state) {
    TViewerDoc& d = Doc(n % 2);
    const int top = ViewTop(pos, d.Height(), n++, Cold);
    d.Peer->Paint(top, d.V->GetClientWidth(), d.V->GetClientHeight());
  }
}

void BM_ViewerPaint_Warm(benchmark::State& state) { PaintViewer(state, false); }
void BM_ViewerPaint_Cold(benchmark::State& state) { PaintViewer(state, true); }
void BM_ViewerPaint_Warm_QTextDocument(benchmark::State& state) { PaintPeer(state, false); }
void BM_ViewerPaint_Cold_QTextDocument(benchmark::State& state) { PaintPeer(state, true); }

// Scrolling down by a page from the middle, the window painting what the scroll uncovered; the
// peer paints the view at the new position.
void BM_ViewerScrollPage(benchmark::State& state) {
  Doc(0), Doc(1);
  int n = 0, paints = 0;
  for (auto _ : state) {
    TViewerDoc& d = Doc(n % 2);
    const int step = d.V->GetVSmallStep();
    const int top = ViewTop(1, d.Height(), n++, true);
    state.PauseTiming();
    d.V->ScrollToNoRedraw(top);
    const int before = d.Paints;
    state.ResumeTiming();
    d.V->SetVScrollPos(d.V->GetVScrollPos() + d.V->GetClientHeight() / step);
    paints += d.Paints - before;
  }
  state.counters["paints_per_scroll"] = benchmark::Counter(paints, benchmark::Counter::kAvgIterations);
}

void BM_ViewerScrollPage_QTextDocument(benchmark::State& state) {
  Doc(0), Doc(1);
  int n = 0;
  for (auto _ : state) {
    TViewerDoc& d = Doc(n % 2);
    const int top = ViewTop(1, d.Height(), n++, true) + d.V->GetClientHeight();
    d.Peer->Paint(top, d.V->GetClientWidth(), d.V->GetClientHeight());
  }
}

// The item and offset under a client point of a view at the end of the document.
void BM_ViewerGetItemAt(benchmark::State& state) {
  Doc(0), Doc(1);
  for (int i = 0; i < 2; ++i) Doc(i).V->ScrollToNoRedraw(Doc(i).Height());
  int n = 0;
  long long found = 0;
  for (auto _ : state) {
    TViewerDoc& d = Doc(n % 2);
    TViroZereRVData* rv = d.V->GetRVData();
    const int x = 20 + (n * 53) % (d.V->GetClientWidth() + 100), y = 10 + (n * 89) % (d.V->GetClientHeight() - 20);
    ++n;
    int no = -1, offs = -1, item = -1, itemOffs = -1;
    rv->FindDrawItemForSel(x + rv->GetHOffs(), y + rv->GetVOffs(), no, offs, false);
    if (no >= 0) rv->DrawItem2Item(no, offs, item, itemOffs);
    found += item;
    benchmark::DoNotOptimize(itemOffs);
  }
  benchmark::DoNotOptimize(found);
}

// The toolkit's fuzzy hit test at the same place.
void BM_ViewerGetItemAt_QTextDocument(benchmark::State& state) {
  Doc(0), Doc(1);
  int n = 0;
  for (auto _ : state) {
    TViewerDoc& d = Doc(n % 2);
    const int top = d.Height() - d.V->GetClientHeight();
    const int x = 20 + (n * 53) % (d.V->GetClientWidth() + 100), y = 10 + (n * 89) % (d.V->GetClientHeight() - 20);
    ++n;
    benchmark::DoNotOptimize(d.Peer->HitTest(x, top + y));
  }
}

}  // namespace

// 0 the start, 1 the middle, 2 the end.
BENCHMARK(BM_ViewerPaint_Warm)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewerPaint_Warm_QTextDocument)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewerPaint_Cold)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewerPaint_Cold_QTextDocument)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewerScrollPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewerScrollPage_QTextDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewerGetItemAt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewerGetItemAt_QTextDocument)->Unit(benchmark::kMicrosecond);
