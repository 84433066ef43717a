// Writing a PDF file of 300 A4 pages, each with 60 lines of text in two standard fonts and a few
// paths: our writer beside the toolkit's PDF writer drawing the same lines and paths. Both write
// a file; the counters give the file sizes. Every line of the document differs, so no cache of
// either writer sees a repeat.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "pdf/PDFDocument.h"
#include "platform/ui/ToolkitPdf.h"

#include "BenchCommon.h"

namespace {

constexpr int kPages = 300;
constexpr int kLinesPerPage = 60;

struct TLine {
  std::string Text;
  int Font;
};

const std::vector<std::vector<TLine>>& Document() {
  static const auto doc = [] {
    std::vector<std::vector<TLine>> pages(kPages);
    unsigned seed = 12345;
    for (int p = 0; p < kPages; ++p)
      for (int l = 0; l < kLinesPerPage; ++l) pages[p].push_back({VariedLine(p * kLinesPerPage + l, seed), l % 2});
    return pages;
  }();
  return doc;
}

void BM_OurWriter(benchmark::State& state) {
  const auto& doc = Document();
  std::string path = "/tmp/tavrelo-bench-ours.pdf";
  for (auto _ : state) {
    TPDFDocument pdf;
    pdf.SetFileName(Utf8ToUnicode(path));
    pdf.BeginDoc();
    for (int p = 0; p < kPages; ++p) {
      if (p > 0) pdf.NewPage();
      TPDFPage* page = pdf.CurrentPage();
      page->SetLineWidth(1);
      page->Rectangle(40, 40, 555, 802);
      page->Stroke();
      for (int k = 0; k < 3; ++k) {
        page->MoveTo(50, 60 + 240 * k);
        page->LineTo(545, 60 + 240 * k);
        page->Stroke();
      }
      const auto& lines = doc[p];
      for (int l = 0; l < kLinesPerPage; ++l) {
        page->SetActiveFont(lines[l].Font ? stdfTimesBold : stdfHelvetica, 10);
        page->TextOut(50, 64 + 12 * l, 0, lines[l].Text);
      }
    }
    pdf.EndDoc();
  }
  ReportWrittenPages(state, path, kPages);
}

void BM_ToolkitWriter(benchmark::State& state) {
  const auto& doc = Document();
  std::vector<TToolkitPdfFont> fonts = {{u"Helvetica", 10, false}, {u"Times", 10, true}};
  std::string path = "/tmp/tavrelo-bench-toolkit.pdf";
  for (auto _ : state) {
    // Building the records belongs to the measure too: our writer takes its text in the loop.
    std::vector<TToolkitPdfPage> pages(kPages);
    for (int p = 0; p < kPages; ++p) {
      auto& page = pages[p];
      page.Rects.push_back({40, 40, 515, 762});
      for (int k = 0; k < 3; ++k) page.Lines.push_back({50, 60.0 + 240 * k, 545, 60.0 + 240 * k, 1});
      for (int l = 0; l < kLinesPerPage; ++l) {
        const auto& line = doc[p][l];
        // the same baseline as ours: top of the line plus the font's ascent
        page.Texts.push_back({50, 64 + 12.0 * l + 7.28, line.Font,
                              std::u16string(line.Text.begin(), line.Text.end())});
      }
    }
    if (!ToolkitWritePdf(Utf8ToUnicode(path), fonts, pages)) state.SkipWithError("cannot write");
  }
  ReportWrittenPages(state, path, kPages);
}

}  // namespace

BENCHMARK(BM_OurWriter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToolkitWriter)->Unit(benchmark::kMillisecond);
