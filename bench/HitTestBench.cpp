// Hit-testing points on the last pages of the generated 300-page document (real shaping back-end,
// formatted at 650 pixels on the reference canvas, as a viewer does), beside the toolkit's own hit
// test of its rich-text document holding the same text, in the same program:
// - the draw item and character nearest to a point (what a click and the caret ask), converted to
//   an item and offset;
// - the draw item exactly under a point (what the cursor and hyperlinks ask);
// - the toolkit's fuzzy hit test of its laid-out document.
// The points run over 64 places of the last two pages and two documents take turns, so no result
// of a previous iteration answers the next one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVPlainFormattedData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "support/GeneratedDocument.h"
#include "platform/graphics/TextPeers.h"
#include "ToolkitDocCopy.h"

namespace {

constexpr int PageWidth = 650;
constexpr int PageHeight = 969;
constexpr int PointCount = 64;

struct TBenchDoc {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TRVPlainFormattedData> Doc;
  TGeneratedDocumentInfo Info;
  std::unique_ptr<TToolkitDocumentPeer> Peer;
  double PeerHeight = 0;
  explicit TBenchDoc(std::uint32_t Seed) {
    SetGeneratedDocumentStyles(Sheet);
    Doc = std::make_unique<TRVPlainFormattedData>(&Sheet);
    Doc->SetWidth(PageWidth);
    Doc->SetUseReferenceCanvas(true);
    Info = GenerateDocument(*Doc, {.Seed = Seed, .Pages = 300, .Pictures = true});
    Doc->Format(false);
    Peer = ToolkitCopy(*Doc, Sheet);
    PeerHeight = Peer->Layout(PageWidth);
  }
};

TBenchDoc& Doc(int i) {
  static TBenchDoc docs[2] = {TBenchDoc(21), TBenchDoc(22)};
  return docs[i];
}

// Points spread over the last two pages of a document Height pixels high: x across the page and
// beyond it, y downwards.
struct TPoint2 {
  int X, Y;
};
std::vector<TPoint2> EndPoints(int Height) {
  std::vector<TPoint2> pts;
  for (int k = 0; k < PointCount; ++k)
    pts.push_back({(k * 97) % (PageWidth + 60) - 20, std::max(0, Height - 2 * PageHeight + k * 2 * PageHeight / PointCount)});
  return pts;
}

void Counters(benchmark::State& state) {
  state.counters["draw_items"] = Doc(0).Doc->DrawItems->Count();
  state.counters["pages_A4"] = Doc(0).Doc->DocumentHeight / static_cast<double>(PageHeight);
}

void BM_HitTestNearestAtEnd(benchmark::State& state) {
  const std::vector<TPoint2> pts[2] = {EndPoints(Doc(0).Doc->DocumentHeight), EndPoints(Doc(1).Doc->DocumentHeight)};
  int n = 0;
  for (auto _ : state) {
    const int d = n % 2;
    const TPoint2& p = pts[d][static_cast<std::size_t>((n / 2) % PointCount)];
    ++n;
    TRVPlainFormattedData& doc = *Doc(d).Doc;
    int no, offs, item, itemOffs;
    doc.FindDrawItemForSel(p.X, p.Y, no, offs, false);
    doc.DrawItem2Item(no, offs, item, itemOffs);
    benchmark::DoNotOptimize(itemOffs);
  }
  Counters(state);
}

void BM_HitTestExactAtEnd(benchmark::State& state) {
  const std::vector<TPoint2> pts[2] = {EndPoints(Doc(0).Doc->DocumentHeight), EndPoints(Doc(1).Doc->DocumentHeight)};
  int n = 0;
  for (auto _ : state) {
    const int d = n % 2;
    const TPoint2& p = pts[d][static_cast<std::size_t>((n / 2) % PointCount)];
    ++n;
    benchmark::DoNotOptimize(Doc(d).Doc->GetDrawItemAt(p.X, p.Y));
  }
  Counters(state);
}

void BM_HitTestAtEnd_QTextDocument(benchmark::State& state) {
  const std::vector<TPoint2> pts[2] = {EndPoints(static_cast<int>(Doc(0).PeerHeight)),
                                       EndPoints(static_cast<int>(Doc(1).PeerHeight))};
  int n = 0;
  for (auto _ : state) {
    const int d = n % 2;
    const TPoint2& p = pts[d][static_cast<std::size_t>((n / 2) % PointCount)];
    ++n;
    benchmark::DoNotOptimize(Doc(d).Peer->HitTest(p.X, p.Y));
  }
  state.counters["pages_A4"] = Doc(0).PeerHeight / PageHeight;
}

}  // namespace

BENCHMARK(BM_HitTestNearestAtEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitTestExactAtEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitTestAtEnd_QTextDocument)->Unit(benchmark::kMicrosecond);
