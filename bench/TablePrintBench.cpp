// Paginating a table of 1,000 rows and 5 columns of short texts on A4 pages (650 x 969 pixels of
// text a page at 96 pixels an inch) with the report renderer and the real shaping back-end, beside
// the formatting of the same table in the same program:
// - formatting alone: the printable copy laid out at the page width (the table's layout for the
//   device, every cell copy formatted at its cell's width);
// - formatting and pagination: the same, then the table cut into pages with its heading row
//   repeated. The pagination's share is the difference; the aim is under twice the formatting.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/print/RVReportHelper.h"
#include "engine/styles/RVStyle.h"
#include "engine/tables/RVTable.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Pictures.h"

namespace {

constexpr int PageWidth = 650, PageHeight = 969, Rows = 1000, Cols = 5;

struct TTableDoc {
  TRVStyle Sheet{nullptr};
  TRVReportHelper R{nullptr};
  std::unique_ptr<TBitmap> Target;
  int Characters = 0;
  TTableDoc() {
    R.GetViroZere()->SetStyle(&Sheet);
    TCustomRVData* doc = R.GetViroZere()->GetRVData();
    auto t = TRVTableItemInfo::CreateEx(Rows, Cols, doc);
    t->ParaNo = 0;
    t->SetHeadingRowCount(1);
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        TRVTableCellData* cell = t->GetCells(r, c);
        cell->Clear();
        const std::string s = "Cell " + std::to_string(r) + "." + std::to_string(c);
        Characters += static_cast<int>(s.size());
        cell->AddNL(TRVUnicodeString(s.begin(), s.end()), 0, 0);
      }
    doc->AddItem(u"", t.release());
    Target = std::make_unique<TBitmap>();
    Target->SetPixelFormat(pf32bit);
    Target->SetSize(PageWidth, PageHeight);
  }
  void Format() { R.Init(Target->GetCanvas(), PageWidth); }
  int Paginate() {
    while (R.FormatNextPage(PageHeight)) {
    }
    return R.GetPagesCount();
  }
};

TTableDoc& Doc() {
  static TTableDoc d;
  return d;
}

void BM_TableFormatForPrinting(benchmark::State& state) {
  TTableDoc& d = Doc();
  for (auto _ : state) d.Format();
  state.SetItemsProcessed(state.iterations() * Rows);
}

void BM_TableFormatAndPaginate(benchmark::State& state) {
  TTableDoc& d = Doc();
  int pages = 0;
  for (auto _ : state) {
    d.Format();
    pages = d.Paginate();
  }
  state.counters["pages"] = pages;
  state.SetItemsProcessed(state.iterations() * Rows);
}

}  // namespace

BENCHMARK(BM_TableFormatForPrinting)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_TableFormatAndPaginate)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
