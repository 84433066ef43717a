// Painting one 1000 x 800 view of the generated 300-page document at its start, middle and end,
// beside the toolkit's rich-text document painting the same view of the same text
// (drawContents with the view as its clip). Two documents of different seeds take turns and the
// view moves by a few lines each time, so no cache of the previous iteration paints the next
// one; the figure must not grow with the position in the document.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/layout/DrawLines.h"
#include "engine/layout/RVPlainFormattedData.h"
#include "engine/styles/RVStyle.h"
#include "support/GeneratedDocument.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/TextPeers.h"

#include "BenchPeers.h"
#include "ToolkitDocCopy.h"

namespace {

constexpr int ViewWidth = 1000, ViewHeight = 800;

struct TPaintDoc {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TRVPlainFormattedData> Doc;
  std::unique_ptr<TToolkitDocumentPeer> Peer;
  explicit TPaintDoc(std::uint32_t Seed) {
    SetGeneratedDocumentStyles(Sheet);
    Doc = std::make_unique<TRVPlainFormattedData>(&Sheet);
    // As a viewer formats: on the reference canvas, at the view's width.
    Doc->SetWidth(ViewWidth);
    Doc->SetUseReferenceCanvas(true);
    GenerateDocument(*Doc, {.Seed = Seed, .Pages = 300, .Pictures = true});
    Doc->Format(false);
    Peer = ToolkitCopy(*Doc, Sheet);
    Peer->Layout(ViewWidth);
  }
};

TPaintDoc& Doc(int i) {
  static TPaintDoc docs[2] = {TPaintDoc(11), TPaintDoc(12)};
  return docs[i];
}

// The top of the view: the start, the middle or the end of a document of that height, moved
// down by a varying number of pixels.
int ViewTop(int Position, int Height, int n) {
  const int range = std::max(0, Height - ViewHeight - 400);
  return Position * range / 2 + (n * 37) % 400;
}

void BM_PaintView(benchmark::State& state) {
  const int pos = static_cast<int>(state.range(0));
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(ViewWidth, ViewHeight);
  TCanvas* c = bmp.GetCanvas();
  Doc(0), Doc(1);  // made and formatted before the timing
  int n = 0;
  for (auto _ : state) {
    TPaintDoc& d = Doc(n % 2);
    const int top = ViewTop(pos, d.Doc->DocumentHeight, n++);
    c->Brush().SetStyle(bsSolid);
    c->Brush().SetColor(clWhite);
    c->FillRect(TRect(0, 0, ViewWidth, ViewHeight));
    d.Doc->PaintTo(c, TRect(0, top, ViewWidth, top + ViewHeight), false, false, false, false, true, 0, 0, 0, -1,
                   nullptr, nullptr, false);
    bmp.Flush();
  }
  state.counters["draw_items"] = Doc(0).Doc->DrawItems->Count();
  state.counters["height_px"] = Doc(0).Doc->DocumentHeight;
}

void BM_PaintView_QTextDocument(benchmark::State& state) {
  const int pos = static_cast<int>(state.range(0));
  Doc(0), Doc(1);
  int n = 0;
  for (auto _ : state) {
    TPaintDoc& d = Doc(n % 2);
    const int top = ViewTop(pos, d.Doc->DocumentHeight, n++);
    d.Peer->Paint(top, ViewWidth, ViewHeight);
  }
  state.counters["lines"] = Doc(0).Peer->LineCount();
}

}  // namespace

// 0 the start, 1 the middle, 2 the end.
BENCHMARK(BM_PaintView)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintView_QTextDocument)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
