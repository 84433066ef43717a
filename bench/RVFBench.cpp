// The native format: saving and loading a generated document of about 300 pages (text runs in
// several styles, list paragraphs, footnotes) to and from memory, in the hexadecimal and the
// binary form, beside the floor of splitting the same bytes into lines; and the memory a load
// takes at its peak beside what the loaded document keeps. A load replaces the document loaded
// before (`Load`, which frees the previous items) or fills an empty one (`LoadIntoEmpty`).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <random>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVNoteItems.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

// Allocation counting for the memory benchmark only: a plain flag keeps the other benchmarks at
// the cost of an unused branch.
namespace {
bool gCounting = false;
std::int64_t gNow = 0, gPeak = 0;
}  // namespace

void* operator new(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  if (gCounting) {
    gNow += static_cast<std::int64_t>(malloc_usable_size(p));
    if (gNow > gPeak) gPeak = gNow;
  }
  return p;
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept {
  if (gCounting && p) gNow -= static_cast<std::int64_t>(malloc_usable_size(p));
  std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

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

// A load into an empty document, as when a file opens in a new tab: making the document and
// freeing it after the load are outside the measured time.
void LoadIntoEmpty(benchmark::State& state, bool Binary) {
  TBenchDoc src(Binary);
  Build(src);
  const std::string data = Saved(src);
  int items = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto d = std::make_unique<TBenchDoc>(Binary);
    state.ResumeTiming();
    TMemoryStream ms;
    ms.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    ms.SetPosition(0);
    TColor color = clNone;
    if (!d->Doc.LoadRVFFromStream(&ms, color, nullptr, nullptr)) state.SkipWithError("load failed");
    state.PauseTiming();
    items = d->Doc.ItemCount();
    d.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.size()));
  state.counters["items"] = items;
}

// Memory: a load into a new document, counting what is allocated while it runs. "document_MB"
// is what the loaded document keeps, "peak_MB" the most held at any moment of the load (the
// stream with the file's bytes exists before and is not counted; "file_MB" gives its size).
void LoadMemory(benchmark::State& state, bool Binary) {
  TBenchDoc src(Binary);
  Build(src);
  const std::string data = Saved(src);
  double document = 0, peak = 0;
  for (auto _ : state) {
    TMemoryStream ms;
    ms.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    ms.SetPosition(0);
    auto d = std::make_unique<TBenchDoc>(Binary);
    TColor color = clNone;
    gNow = gPeak = 0;
    gCounting = true;
    const bool ok = d->Doc.LoadRVFFromStream(&ms, color, nullptr, nullptr);
    gCounting = false;
    if (!ok) state.SkipWithError("load failed");
    document = static_cast<double>(gNow) / 1e6;
    peak = static_cast<double>(gPeak) / 1e6;
  }
  state.counters["file_MB"] = static_cast<double>(data.size()) / 1e6;
  state.counters["document_MB"] = document;
  state.counters["peak_MB"] = peak;
  state.counters["peak_per_document"] = document > 0 ? peak / document : 0;
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
BENCHMARK_CAPTURE(LoadIntoEmpty, Hex, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SplitLines, Hex, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Save, Binary, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, Binary, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadIntoEmpty, Binary, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SplitLines, Binary, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadMemory, Hex, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(LoadMemory, Binary, true)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
