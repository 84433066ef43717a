// The draw items of a formatted document of about 300 pages (3000 paragraphs of 40 to 120 words,
// lines of about 75 characters, some justified, some with extra spacing, a floating box every
// few pages): written to and read from the formatting stream, beside the floor of moving the
// same records through the stream (and, for reading, of allocating as many objects); and one
// paragraph reformatted in place through the list's gap, beside one bulk erase and insert on a
// plain vector.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVTextItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"

namespace {

struct TOwnedLines : TRVDrawLines {
  ~TOwnedLines() override { FreeAll(); }
};

struct TBenchDoc {
  TRVStyle Sheet{nullptr};
  TRVPlainRootData Doc{&Sheet};
  TOwnedLines Lines;
  std::vector<int> ParaStart;  // first draw item of each paragraph

  TBenchDoc() {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> words(40, 120), letters(2, 9);
    int y = 0;
    for (int p = 0; p < 3000; ++p) {
      UnicodeString s;
      for (int w = words(rng); w > 0; --w) s.append(static_cast<std::size_t>(letters(rng)), u'x').push_back(u' ');
      Doc.AddNL(s, 0, 0);
      TRVDrawLineInfoClass c = RVDrawLineInfoClassOf<TRVDrawLineInfo>();
      if (p % 3 == 1) c = RVDrawLineInfoClassOf<TRVJustifyDrawLineInfo>();
      if (p % 17 == 5) c = RVDrawLineInfoClassOf<TRVSimpleLineHeightDrawLineInfo>();
      if (p % 29 == 7) c = RVDrawLineInfoClassOf<TRVComplexLineHeightDrawLineInfo>();
      if (p % 40 == 0) c = RVDrawLineInfoClassOf<TRVFloatingDrawLineInfo>();
      ParaStart.push_back(Lines.Count());
      const int len = static_cast<int>(s.size());
      for (int offs = 1; offs <= len; offs += 75, y += 20) {
        auto d = c->CreateEx(10, y, 640, 20, p, true);
        d->Offs = offs;
        d->TextLength = std::min(75, len - offs + 1);
        d->BaseLine = y + 15;
        d->FromNewPara = offs == 1;
        d->SetSpaceCount(11);
        Lines.Add(d.release());
      }
    }
  }
};

TBenchDoc& Doc() {
  static TBenchDoc d;
  return d;
}

// The records of the stream: offsets of each draw item's record.
const std::vector<std::int64_t>& RecordEnds(TMemoryStream& ms) {
  static std::vector<std::int64_t> ends;
  if (ends.empty()) {
    const auto* p = static_cast<const std::uint8_t*>(ms.Memory());
    constexpr int fields[5] = {36, 52, 56, 60, 80};
    std::int64_t at = 4;
    for (int i = 0; i < Doc().Lines.Count(); ++i) {
      at += 4 + fields[p[at]];
      ends.push_back(at);
    }
  }
  return ends;
}

TMemoryStream& Saved() {
  static TMemoryStream ms;
  if (ms.GetSize() == 0) Doc().Lines.SaveToStream(&ms, Doc().Doc.GetItems());
  return ms;
}

void BM_SaveStream(benchmark::State& state) {
  TBenchDoc& d = Doc();
  for (auto _ : state) {
    TMemoryStream ms;
    d.Lines.SaveToStream(&ms, d.Doc.GetItems());
    benchmark::DoNotOptimize(ms.Memory());
  }
  state.counters["items"] = d.Lines.Count();
  state.SetBytesProcessed(state.iterations() * Saved().GetSize());
}

// The same records written into a new stream one by one, already encoded.
void BM_SaveFloor(benchmark::State& state) {
  TMemoryStream& src = Saved();
  const auto& ends = RecordEnds(src);
  const auto* p = static_cast<const std::uint8_t*>(src.Memory());
  for (auto _ : state) {
    TMemoryStream ms;
    ms.WriteBuffer(p, 4);
    std::int64_t at = 4;
    for (std::int64_t e : ends) {
      ms.WriteBuffer(p + at, e - at);
      at = e;
    }
    ms.WriteBuffer(p + at, 4);
    benchmark::DoNotOptimize(ms.Memory());
  }
  state.SetBytesProcessed(state.iterations() * src.GetSize());
}

void BM_LoadStream(benchmark::State& state) {
  TBenchDoc& d = Doc();
  TMemoryStream& src = Saved();
  TOwnedLines lines;
  for (auto _ : state) {
    src.SetPosition(0);
    if (!lines.LoadFromStream(&src, d.Doc.GetItems())) state.SkipWithError("load failed");
    state.PauseTiming();
    lines.FreeAll();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * src.GetSize());
}

// Reading the same records from the stream (a kind, then its fields) and allocating an object of
// the same size for each: the work any reader of this format must do.
void BM_LoadFloor(benchmark::State& state) {
  TMemoryStream& src = Saved();
  const auto& ends = RecordEnds(src);
  std::vector<std::unique_ptr<TRVDrawLineInfo>> items;
  items.reserve(ends.size());
  std::uint8_t buf[84];
  for (auto _ : state) {
    src.SetPosition(0);
    src.Read(buf, 4);
    std::int64_t at = 4;
    for (std::int64_t e : ends) {
      src.Read(buf, 4);
      src.Read(buf + 4, e - at - 4);
      items.push_back(std::make_unique<TRVDrawLineInfo>());
      at = e;
    }
    src.Read(buf, 4);
    state.PauseTiming();
    items.clear();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * src.GetSize());
}

// A paragraph near the start, in the middle and near the end reformatted, one line longer and
// back in turns: its draw items freed and marked, the new ones inserted at the gap, the rest of
// the list closed up with one move.
void BM_ReformatParagraph(benchmark::State& state) {
  TBenchDoc& d = Doc();
  const int para = static_cast<int>(state.range(0));
  const int first = d.ParaStart[static_cast<std::size_t>(para)];
  int last = d.ParaStart[static_cast<std::size_t>(para) + 1] - 1;
  bool longer = true;
  for (auto _ : state) {
    const int newLast = longer ? last + 1 : last - 1;
    d.Lines.MarkForDelete(first, last);
    for (int i = first; i <= newLast; ++i)
      d.Lines.Insert(i, TRVDrawLineInfo::CreateEx(10, i, 640, 20, para, true).release());
    d.Lines.DeleteMarked();
    last = newLast;
    longer = !longer;
  }
  if (!longer) {
    d.Lines.MarkForDelete(last, last);
    d.Lines.DeleteMarked();
  }
}

// The same on a plain vector of draw items of its own: the old ones freed, the new ones made,
// one bulk erase and one bulk insert.
void BM_ReformatParagraphVectorFloor(benchmark::State& state) {
  TBenchDoc& d = Doc();
  std::vector<TRVDrawLineInfo*> v;
  for (int i = 0; i < d.Lines.Count(); ++i) v.push_back(TRVDrawLineInfo::CreateEx(10, i, 640, 20, 0, true).release());
  const int para = static_cast<int>(state.range(0));
  const int first = d.ParaStart[static_cast<std::size_t>(para)];
  int last = d.ParaStart[static_cast<std::size_t>(para) + 1] - 1;
  bool longer = true;
  std::vector<TRVDrawLineInfo*> fresh;
  for (auto _ : state) {
    const int newLast = longer ? last + 1 : last - 1;
    for (int i = first; i <= last; ++i) delete v[static_cast<std::size_t>(i)];
    fresh.clear();
    for (int i = first; i <= newLast; ++i) fresh.push_back(TRVDrawLineInfo::CreateEx(10, i, 640, 20, para, true).release());
    v.erase(v.begin() + first, v.begin() + last + 1);
    v.insert(v.begin() + first, fresh.begin(), fresh.end());
    last = newLast;
    longer = !longer;
  }
  for (TRVDrawLineInfo* p : v) delete p;
}

}  // namespace

BENCHMARK(BM_SaveStream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadStream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReformatParagraph)->Arg(10)->Arg(1500)->Arg(2990)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReformatParagraphVectorFloor)->Arg(10)->Arg(1500)->Arg(2990)->Unit(benchmark::kMicrosecond);
