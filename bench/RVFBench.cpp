// The native format: saving and loading a generated document of about 300 pages (text runs in
// several styles, list paragraphs, footnotes) to and from memory, in the hexadecimal and the
// binary form, beside the floor of splitting the same bytes into lines.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVNoteItems.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

namespace {

struct TBenchDoc {
  TRVStyle Sheet{nullptr};
  TRVPlainRootData Doc{&Sheet};

  explicit TBenchDoc(bool Binary) {
    while (Sheet.TextStyles()->Count() < 6) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 4) Sheet.ParaStyles()->Add();
    Sheet.ListStyles()->Add()->Levels()->Add();
    TRVFOptions& o = Doc.GetRootProperties()->RVFOptions;
    Binary ? o.Include(rvfoSaveBinary) : o.Exclude(rvfoSaveBinary);
  }
};

UnicodeString Words(std::mt19937& rng, int Count) {
  std::uniform_int_distribution<int> letter('a', 'z'), length(2, 9);
  UnicodeString s;
  for (int w = 0; w < Count; ++w) {
    for (int n = length(rng); n > 0; --n) s.push_back(static_cast<char16_t>(letter(rng)));
    s.push_back(u' ');
  }
  return s;
}

// About 300 pages: 3000 paragraphs of ~60 words in runs of several styles, every 10th a list
// paragraph, a footnote every 25 paragraphs.
void Build(TBenchDoc& d) {
  std::mt19937 rng(12);
  std::uniform_int_distribution<int> style(0, 5), runs(1, 4);
  for (int p = 0; p < 3000; ++p) {
    const int para = p % 4;
    if (p % 10 == 0) d.Doc.SetListMarkerInfo(-1, 0, 0, 1, para, false);
    const int n = runs(rng);
    for (int r = 0; r < n; ++r) {
      const bool first = r == 0 && p % 10 != 0;
      d.Doc.AddNL(Words(rng, 60 / n), style(rng), first ? para : -1);
    }
    if (p % 25 == 0) {
      auto* note = new TRVFootnoteItemInfo(&d.Doc);
      note->GetDocument()->AddNL(Words(rng, 20), 0, 0);
      note->SetSameAsPrev(true);
      d.Doc.AddItem(u"", note);
    }
  }
}

std::string Saved(TBenchDoc& d) {
  TMemoryStream ms;
  d.Doc.SaveRVFToStream(&ms, false, clNone, nullptr, nullptr, true);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

void Save(benchmark::State& state, bool Binary) {
  TBenchDoc d(Binary);
  Build(d);
  std::int64_t bytes = 0;
  for (auto _ : state) {
    TMemoryStream ms;
    d.Doc.SaveRVFToStream(&ms, false, clNone, nullptr, nullptr, true);
    bytes += ms.GetSize();
    benchmark::DoNotOptimize(ms.Memory());
  }
  state.SetBytesProcessed(bytes);
}

void Load(benchmark::State& state, bool Binary) {
  TBenchDoc src(Binary);
  Build(src);
  const std::string data = Saved(src);
  TBenchDoc d(Binary);
  for (auto _ : state) {
    TMemoryStream ms;
    ms.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    ms.SetPosition(0);
    TColor color = clNone;
    if (!d.Doc.LoadRVFFromStream(&ms, color, nullptr, nullptr)) state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.size()));
  state.counters["items"] = d.Doc.ItemCount();
}

// The floor: copying the bytes into memory and cutting them into lines, as any reader must.
void SplitLines(benchmark::State& state, bool Binary) {
  TBenchDoc src(Binary);
  Build(src);
  const std::string data = Saved(src);
  for (auto _ : state) {
    std::string copy(data);
    std::size_t lines = 0;
    const char* p = copy.data();
    const char* const end = p + copy.size();
    while (p < end) {
      const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      p = nl ? static_cast<const char*>(nl) + 1 : end;
      ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.size()));
}

BENCHMARK_CAPTURE(Save, Hex, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, Hex, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SplitLines, Hex, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Save, Binary, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, Binary, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SplitLines, Binary, true)->Unit(benchmark::kMillisecond);

}  // namespace
