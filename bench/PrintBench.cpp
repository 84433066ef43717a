// Drawing the pages of the generated document of about 300 A4 pages (650 x 969 pixels of text a
// page at 96 pixels an inch), laid out by the report renderer with the real shaping back-end,
// each beside the toolkit's rich-text document drawing the same text on pages of the same size:
// - every page recorded into a metafile (what the PDF export does), against the toolkit
//   recording every page into its own recorded picture;
// - one page drawn on a 150-ppi bitmap (a print preview or a page printed through a bitmap),
//   against the toolkit painting the same page scaled to 150 ppi. The page changes every
//   iteration, so no page's glyphs are all cached by the one before.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/print/RVReportHelper.h"
#include "engine/styles/RVStyle.h"
#include "engine/support/GeneratedDocument.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/TextPeers.h"
#include "platform/ui/Printers.h"

#include "ToolkitDocCopy.h"

namespace {

constexpr int PageWidth = 650, PageHeight = 969, Ppi150 = 150;

// The report renderer with the generated document laid out for a canvas of ppi pixels an inch:
// the screen's at 96, else a printer's (a PDF file's information context), as when pages are
// printed through bitmaps of the printer's resolution.
struct TPrintDoc {
  TRVStyle Sheet{nullptr};
  TRVReportHelper R{nullptr};
  TPrinter Printer;
  std::unique_ptr<TBitmap> Target;
  TGeneratedDocumentInfo Info;
  int Width = 0, Height = 0;
  explicit TPrintDoc(int ppi) {
    SetGeneratedDocumentStyles(Sheet);
    R.GetViroZere()->SetStyle(&Sheet);
    Info = GenerateDocument(*R.GetViroZere()->GetRVData(), {.Seed = 11, .Pages = 300, .Pictures = true});
    Width = MulDiv(PageWidth, ppi, 96);
    Height = MulDiv(PageHeight, ppi, 96);
    Target = std::make_unique<TBitmap>();
    Target->SetPixelFormat(pf32bit);
    Target->SetSize(Width, Height);
    SetDeviceResolution(Target->GetCanvas()->GetHandle(), ppi, ppi);
    Target->GetCanvas()->Font().SetPixelsPerInch(ppi);
    TCanvas* layout = Target->GetCanvas();
    if (ppi != 96) {
      Printer.SetOutputFileName(u"/dev/null");
      Printer.SetFileResolution(ppi);
      layout = Printer.GetCanvas();
    }
    R.Init(layout, Width);
    while (R.FormatNextPage(Height)) {
    }
  }
};

TPrintDoc& Doc96() {
  static TPrintDoc d(96);
  return d;
}
TPrintDoc& Doc150() {
  static TPrintDoc d(Ppi150);
  return d;
}

TToolkitDocumentPeer& Toolkit() {
  static std::unique_ptr<TToolkitDocumentPeer> peer = [] {
    auto p = ToolkitCopy(*Doc96().R.GetViroZere()->GetRVData(), Doc96().Sheet);
    p->Paginate(PageWidth, PageHeight);
    return p;
  }();
  return *peer;
}

void BM_DrawAllPagesToMetafile(benchmark::State& state) {
  TPrintDoc& d = Doc96();
  const int pages = d.R.GetPagesCount();
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (int p = 1; p <= pages; ++p) {
      TMetafile mf;
      mf.SetWidth(d.Width);
      mf.SetHeight(d.Height);
      {
        TMetafileCanvas mc(mf, nullptr);
        d.R.DrawPage(p, &mc, false, d.Height);
      }
      bytes += static_cast<std::size_t>(GetEnhMetaFileBits(mf.GetHandle(), 0, nullptr));
    }
  }
  state.counters["pages"] = pages;
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["pages/s"] = benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_DrawAllPagesToMetafile_QTextDocument(benchmark::State& state) {
  TToolkitDocumentPeer& t = Toolkit();
  const int pages = t.Paginate(PageWidth, PageHeight);
  std::size_t bytes = 0;
  for (auto _ : state) bytes = t.RecordPages(PageWidth, PageHeight);
  state.counters["pages"] = pages;
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["pages/s"] = benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_DrawPageTo150PpiBitmap(benchmark::State& state) {
  TPrintDoc& d = Doc150();
  const int pages = d.R.GetPagesCount();
  TCanvas* c = d.Target->GetCanvas();
  int n = 0;
  for (auto _ : state) {
    const int p = 1 + (n++ * 37) % pages;
    c->Brush().SetColor(clWhite);
    c->FillRect(TRect(0, 0, d.Width, d.Height));
    d.R.DrawPage(p, c, false, d.Height);
    GdiFlush();
  }
  state.counters["pages"] = pages;
}

void BM_DrawPageTo150PpiBitmap_QTextDocument(benchmark::State& state) {
  TToolkitDocumentPeer& t = Toolkit();
  const int pages = t.Paginate(PageWidth, PageHeight);
  int n = 0;
  for (auto _ : state) t.PaintPage(1 + (n++ * 37) % pages, PageWidth, PageHeight, Ppi150 / 96.0);
  state.counters["pages"] = pages;
}

}  // namespace

BENCHMARK(BM_DrawAllPagesToMetafile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawAllPagesToMetafile_QTextDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawPageTo150PpiBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawPageTo150PpiBitmap_QTextDocument)->Unit(benchmark::kMillisecond);
