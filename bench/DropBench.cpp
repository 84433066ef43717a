// Dropping about 1 MB of plain text, as another program's drag offers it, into the middle of a
// document of about 300 A4 pages (one paragraph a line, DejaVu Sans 12 pt, the text width of an A4
// page less 2 cm margins), beside the toolkit's rich-text document with the same text inserting
// the same text through a cursor, in the same program. Ours is the whole road of a drop: the
// window's drag-enter, drag-move and drop events with the MIME data, the drop caret, the text read
// through the clipboard's format mapping, the insertion as one undo step, the reformat and the
// dropped text selected. The toolkit's side inserts and lays out; the control's own insertion of
// the same text at the same place is the floor of the drop's road. Each drop is undone outside
// the timing.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "EditorPageBench.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/TextPeers.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DragDrop.h"

namespace {

constexpr int kLines = 15600;    // 52 lines a page
constexpr std::size_t kDropBytes = 1 << 20;

struct TDropDoc {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;
  TToolkitDocumentPeer Peer;
  std::string Dropped;  // UTF-8 lines ended by "\n"

  TDropDoc() {
    TFontInfo* f = SetPlainPageStyles(Sheet);
    unsigned seed = 2024;
    std::vector<std::u16string> lines;
    for (int n = 0; n < kLines; ++n) {
      const std::string line = VariedLine(n, seed, 60);
      lines.emplace_back(line.begin(), line.end());
    }
    for (int n = 0; Dropped.size() < kDropBytes; ++n) Dropped += VariedLine(n, seed, 60) + "\n";

    Editor = OpenPageEditor(Sheet);
    for (const auto& l : lines) Data()->AddNL(l, 0, 0);
    FormatToPageWidth(*Editor);
    AddPeerLines(Peer, lines, *f);
    Peer.Layout(Editor->GetClientWidth() - 2 * kMargin);
  }
  TRVEditRVData* Data() const { return Editor->GetEditRVData(); }
};

TDropDoc& Doc() {
  static TDropDoc* doc = new TDropDoc;
  return *doc;
}

// The drop lands at the start of the line in the view's middle, scrolled to the document's middle.
TPoint DropPoint() {
  TDropDoc& d = Doc();
  TRVEditRVData* data = d.Data();
  const int item = kLines / 2;
  data->ShowRectangle(0, data->DrawItems->Get(data->GetItem(item)->DrawItemNo)->Top, 1, 1);
  int x, top, bottom;
  data->GetCoordsOf(item, 1, x, top, bottom);
  return TPoint(x - data->GetHOffs() + 1, (top + bottom) / 2 - data->GetVOffs());
}

void BM_DropText(benchmark::State& state) {
  TDropDoc& d = Doc();
  const std::vector<std::pair<std::string, std::string>> mime = {{"text/plain", d.Dropped}};
  const int before = d.Data()->ItemCount();
  for (auto _ : state) {
    state.PauseTiming();
    const TPoint at = DropPoint();
    state.ResumeTiming();
    const DWORD effect = SendMimeDragDropEvents(d.Editor->GetHandle(), mime, at, DROPEFFECT_COPY, 0);
    state.PauseTiming();
    if (effect != DROPEFFECT_COPY || d.Data()->ItemCount() <= before) state.SkipWithError("nothing was dropped");
    d.Editor->Undo();
    if (d.Data()->ItemCount() != before) state.SkipWithError("undo did not take the drop back");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.Dropped.size()));
}

// The floor of ours: the same text inserted by the control at the same place, without the drop.
void BM_InsertTextAtDropPoint(benchmark::State& state) {
  TDropDoc& d = Doc();
  const std::u16string text(d.Dropped.begin(), d.Dropped.end());
  const int before = d.Data()->ItemCount();
  for (auto _ : state) {
    state.PauseTiming();
    DropPoint();
    d.Data()->SetSelectionBounds(kLines / 2, 1, kLines / 2, 1);
    state.ResumeTiming();
    d.Editor->InsertTextW(text);
    state.PauseTiming();
    if (d.Data()->ItemCount() <= before) state.SkipWithError("nothing was inserted");
    d.Editor->Undo();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.Dropped.size()));
}

void BM_DropText_QTextDocument(benchmark::State& state) {
  TDropDoc& d = Doc();
  const std::u16string text = [&] {
    std::u16string t;
    for (char c : d.Dropped) t += static_cast<char16_t>(c);
    return t;
  }();
  for (auto _ : state) {
    benchmark::DoNotOptimize(d.Peer.Type(kLines / 2, 0, text));
    state.PauseTiming();
    d.Peer.RemoveTyped();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.Dropped.size()));
}

}  // namespace

BENCHMARK(BM_DropText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertTextAtDropPoint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DropText_QTextDocument)->Unit(benchmark::kMillisecond);
