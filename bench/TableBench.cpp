// A table of 1,000 rows and 5 columns of short texts, each figure beside the toolkit's rich-text
// document holding a table of the same texts in the same run:
// - the table formatted at a page width of 650 pixels (every column width decided and every
//   cell formatted again), against the toolkit laying out its table at the same width;
// - one screen of it (650 x 800 pixels from the middle) painted, against the toolkit's drawing
//   of the same area.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/layout/RVPlainFormattedData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/tables/RVTable.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/TextPeers.h"

namespace {

constexpr int PageWidth = 650, ViewHeight = 800, Rows = 1000, Cols = 5;

std::u16string CellText(int r, int c) {
  static const char16_t* words[] = {u"alpha", u"beta", u"gamma", u"delta", u"epsilon", u"zeta", u"eta"};
  std::u16string s = words[(r * 7 + c * 3) % 7];
  s += u' ';
  for (char ch : std::to_string(r * Cols + c)) s += static_cast<char16_t>(ch);
  return s;
}

struct TTableBenchDoc {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TRVPlainFormattedData> Doc;
  TRVTableItemInfo* Table = nullptr;
  TTableBenchDoc() {
    Sheet.TextStyles()->Items(0)->FontName = u"Arial";
    Sheet.TextStyles()->Items(0)->SetSize(10);
    Doc = std::make_unique<TRVPlainFormattedData>(&Sheet);
    Doc->SetWidth(PageWidth);
    Doc->SetUseReferenceCanvas(true);
    auto t = TRVTableItemInfo::CreateEx(Rows, Cols, Doc.get());
    Table = t.get();
    Table->ParaNo = 0;
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        TRVTableCellData* cell = Table->GetCells(r, c);
        cell->Clear();
        cell->AddNL(CellText(r, c), 0, 0);
      }
    Doc->AddItem(u"", t.release());
    Doc->Format(false);
  }
};

TTableBenchDoc& Doc() {
  static TTableBenchDoc d;
  return d;
}

TToolkitTablePeer& Peer() {
  static TToolkitTablePeer p = [] {
    std::vector<std::u16string> texts;
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) texts.push_back(CellText(r, c));
    return TToolkitTablePeer(Rows, Cols, texts, u"Arial", 10);
  }();
  return p;
}

void BM_TableFormat(benchmark::State& state) {
  TTableBenchDoc& d = Doc();
  for (auto _ : state) {
    d.Table->FState.Include(rvtsModified);  // every column and cell laid out again
    d.Doc->Format(false);
    benchmark::DoNotOptimize(d.Doc->DocumentHeight);
  }
  state.counters["height_px"] = d.Doc->DocumentHeight;
}

void BM_TableFormat_QTextTable(benchmark::State& state) {
  TToolkitTablePeer& p = Peer();
  double h = 0;
  for (auto _ : state) {
    h = p.Layout(PageWidth);
    benchmark::DoNotOptimize(h);
  }
  state.counters["height_px"] = h;
}

void BM_TablePaintScreen(benchmark::State& state) {
  TTableBenchDoc& d = Doc();
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(PageWidth, ViewHeight);
  TCanvas* c = bmp.GetCanvas();
  const int top = d.Doc->DocumentHeight / 2;
  for (auto _ : state) {
    c->Brush().SetStyle(bsSolid);
    c->Brush().SetColor(clWhite);
    c->FillRect(TRect(0, 0, PageWidth, ViewHeight));
    d.Doc->PaintTo(c, TRect(0, top, PageWidth, top + ViewHeight), false, false, false, false, true, 0, 0, 0, -1,
                   nullptr, nullptr, false);
    bmp.Flush();
  }
}

void BM_TablePaintScreen_QTextTable(benchmark::State& state) {
  TToolkitTablePeer& p = Peer();
  const int top = static_cast<int>(p.Layout(PageWidth) / 2);
  for (auto _ : state) p.Paint(top, PageWidth, ViewHeight);
}

}  // namespace

BENCHMARK(BM_TableFormat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableFormat_QTextTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TablePaintScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TablePaintScreen_QTextTable)->Unit(benchmark::kMillisecond);
