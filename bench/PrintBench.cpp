// Drawing the pages of the generated document of about 300 A4 pages (650 x 969 pixels of text a
// page at 96 pixels an inch), laid out by the report renderer with the real shaping back-end,
// each beside the toolkit's rich-text document drawing the same text on pages of the same size:
// - every page recorded into a metafile (what the PDF export does), against the toolkit
//   recording every page into its own recorded picture;
// - one page drawn on a 150-ppi bitmap through the preview's mapping, against the toolkit
//   painting the same page scaled to 150 ppi. The page changes every
//   iteration, so no page's glyphs are all cached by the one before.
#include <benchmark/benchmark.h>

#include <memory>


#include "engine/print/RVReportHelper.h"
#include "engine/styles/RVStyle.h"
#include "support/GeneratedDocument.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/TextPeers.h"

#include "ToolkitDocCopy.h"

namespace {

constexpr int PageWidth = 650, PageHeight = 969, Ppi150 = 150;

// The report renderer with the generated document laid out for a 96-ppi canvas.
struct TPrintDoc {
  TRVStyle Sheet{nullptr};
  TRVReportHelper R{nullptr};
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
    R.Init(Target->GetCanvas(), Width);
    while (R.FormatNextPage(Height)) {
    }
  }
};

TPrintDoc& Doc96() {
  static TPrintDoc d(96);
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

// The page as laid out for the screen, drawn through the preview's mapping onto a bitmap of the
// page's size at 150 pixels an inch.
void BM_DrawPageTo150PpiBitmap(benchmark::State& state) {
  TPrintDoc& d = Doc96();
  const int pages = d.R.GetPagesCount();
  const int w = MulDiv(d.Width, Ppi150, 96), h = MulDiv(d.Height, Ppi150, 96);
  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetSize(w, h);
  TCanvas* c = target.GetCanvas();
  d.R.GetViroZere()->GetReportData()->CurHeight = d.Height;
  int n = 0;
  for (auto _ : state) {
    d.R.DrawPreview(1 + (n++ * 37) % pages, c, TRect(0, 0, w, h));
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
