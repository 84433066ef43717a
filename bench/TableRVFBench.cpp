// A table in the native format: saving and loading a document holding one 1,000-row, 5-column
// table of short texts, in the hexadecimal and the binary form, beside the floor of copying the
// saved bytes into a memory stream.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "engine/document/CustomRVData.h"
#include "engine/styles/RVStyle.h"
#include "engine/tables/RVTable.h"

namespace {

struct TTableBenchDoc {
  TRVStyle Sheet{nullptr};
  TRVPlainRootData Doc{&Sheet};
  explicit TTableBenchDoc(bool Binary) {
    while (Sheet.TextStyles()->Count() < 2) Sheet.TextStyles()->Add();
    TRVFOptions& o = Doc.GetRootProperties()->RVFOptions;
    Binary ? o.Include(rvfoSaveBinary) : o.Exclude(rvfoSaveBinary);
  }
};

void Build(TTableBenchDoc& d) {
  auto table = TRVTableItemInfo::CreateEx(1000, 5, &d.Doc);
  for (int r = 0; r < 1000; ++r)
    for (int c = 0; c < 5; ++c) {
      TRVTableCellData* cell = table->GetCells(r, c);
      cell->Clear();
      cell->AddNL(u"r" + AsciiToUnicode(std::to_string(r)) + u" c" + AsciiToUnicode(std::to_string(c)), c % 2, 0);
    }
  d.Doc.AddItem(u"", table.release());
}

std::string Saved(TTableBenchDoc& d) {
  TMemoryStream ms;
  d.Doc.SaveRVFToStream(&ms, false, clNone, nullptr, nullptr, true);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

void TableRVF_Save(benchmark::State& state) {
  TTableBenchDoc d(state.range(0) != 0);
  Build(d);
  const std::int64_t size = static_cast<std::int64_t>(Saved(d).size());
  for (auto _ : state) {
    TMemoryStream ms;
    d.Doc.SaveRVFToStream(&ms, false, clNone, nullptr, nullptr, true);
    benchmark::DoNotOptimize(ms.Memory());
  }
  state.SetBytesProcessed(state.iterations() * size);
}

void TableRVF_Load(benchmark::State& state) {
  TTableBenchDoc d(state.range(0) != 0);
  Build(d);
  const std::string data = Saved(d);
  TTableBenchDoc back(state.range(0) != 0);
  for (auto _ : state) {
    TMemoryStream ms;
    ms.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    ms.SetPosition(0);
    TColor color = clNone;
    if (!back.Doc.LoadRVFFromStream(&ms, color, nullptr, nullptr)) state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
  state.counters["file_KB"] = static_cast<double>(data.size()) / 1e3;
}

// The floor: the same bytes copied into a memory stream.
void TableRVF_CopyFloor(benchmark::State& state) {
  TTableBenchDoc d(state.range(0) != 0);
  Build(d);
  const std::string data = Saved(d);
  for (auto _ : state) {
    TMemoryStream ms;
    ms.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    benchmark::DoNotOptimize(ms.Memory());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}

}  // namespace

// Argument: 0 hexadecimal, 1 binary.
BENCHMARK(TableRVF_Save)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(TableRVF_Load)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(TableRVF_CopyFloor)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
