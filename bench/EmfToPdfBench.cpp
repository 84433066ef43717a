// Translating 300 recorded pages of text into one PDF: each page drawn on the page's metafile
// canvas (60 lines in two TrueType faces and a few lines and a frame), translated when the page
// closes and written with subset fonts; beside the toolkit's PDF writer drawing the same pages in
// the same faces. A second measure translates pages recorded beforehand, to show the
// translator's own share. Every line differs, so no cache sees a repeat.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "pdf/PDFDocument.h"
#include "pdf/PDFEMF.h"
#include "platform/base/SysUtils.h"
#include "platform/ui/ToolkitPdf.h"

#include "BenchCommon.h"

namespace {

constexpr int kPages = 300;
constexpr int kLinesPerPage = 60;
const char16_t* const kFaces[2] = {u"Liberation Sans", u"Liberation Serif"};

const std::vector<std::vector<std::u16string>>& Document() {
  static const auto doc = [] {
    std::vector<std::vector<std::u16string>> pages(kPages);
    unsigned seed = 12345;
    for (int p = 0; p < kPages; ++p)
      for (int l = 0; l < kLinesPerPage; ++l) {
        const std::string s = VariedLine(p * kLinesPerPage + l, seed);
        pages[p].emplace_back(s.begin(), s.end());
      }
    return pages;
  }();
  return doc;
}

// One page as the report renderer would draw it: pixels of the reference context (96 per inch).
void DrawPage(HDC dc, const std::vector<std::u16string>& lines, HFONT fonts[2]) {
  Rectangle(dc, 53, 53, 740, 1069);
  for (int k = 0; k < 3; ++k) {
    MoveToEx(dc, 67, 80 + 320 * k, nullptr);
    LineTo(dc, 727, 80 + 320 * k);
  }
  SetBkMode(dc, TRANSPARENT);
  for (int l = 0; l < kLinesPerPage; ++l) {
    SelectObject(dc, fonts[l % 2]);
    const std::u16string& t = lines[l];
    std::vector<WCHAR> w(t.begin(), t.end());
    TextOutW(dc, 67, 85 + 16 * l, w.data(), static_cast<int>(w.size()));
  }
  SelectObject(dc, GetStockObject(SYSTEM_FONT));  // the fonts are the caller's to delete
}

struct TFonts {
  HFONT F[2];
  TFonts() {
    for (int i = 0; i < 2; ++i) {
      LOGFONTW lf;
      lf.lfHeight = -13;  // 10 points
      lf.lfWeight = i ? 700 : 400;
      std::u16string face(kFaces[i]);
      for (std::size_t k = 0; k < face.size(); ++k) lf.lfFaceName[k] = static_cast<WCHAR>(face[k]);
      F[i] = CreateFontIndirectW(&lf);
    }
  }
  ~TFonts() {
    for (HFONT f : F) DeleteObject(f);
  }
};

// Our PDF file of the document's pages, each page written by page(pdf, p).
template <typename Page>
void WritePdf(const std::string& path, Page page) {
  TPDFDocument pdf;
  pdf.SetFileName(Utf8ToUnicode(path));
  pdf.BeginDoc();
  for (int p = 0; p < kPages; ++p) {
    if (p > 0) pdf.NewPage();
    page(pdf, p);
  }
  pdf.EndDoc();
}

void BM_RecordAndTranslate(benchmark::State& state) {
  const auto& doc = Document();
  const std::string path = "/tmp/tavrelo-bench-emf-ours.pdf";
  TFonts fonts;
  for (auto _ : state)
    WritePdf(path, [&](TPDFDocument& pdf, int p) { DrawPage(pdf.Canvas()->GetHandle(), doc[p], fonts.F); });
  ReportWrittenPages(state, path, kPages);
}

void BM_TranslateRecorded(benchmark::State& state) {
  const auto& doc = Document();
  const std::string path = "/tmp/tavrelo-bench-emf-translate.pdf";
  TFonts fonts;
  std::vector<std::string> recorded;
  for (int p = 0; p < kPages; ++p) {
    TMetafile mf;
    mf.SetWidth(794);
    mf.SetHeight(1123);
    {
      TMetafileCanvas c(mf, nullptr);
      DrawPage(c.GetHandle(), doc[p], fonts.F);
    }
    recorded.push_back(mf.GetHandle()->Bits);
  }
  for (auto _ : state)
    WritePdf(path, [&](TPDFDocument& pdf, int p) {
      TEMWParser parser(*pdf.CurrentPage(), pdf.Images(), &pdf.Patterns(), pdf.EMFOptions(), &pdf.Fonts());
      parser.LoadBytes(recorded[std::size_t(p)]);
      parser.Execute();
    });
  ReportWrittenPages(state, path, kPages);
}

void BM_ToolkitWriter(benchmark::State& state) {
  const auto& doc = Document();
  std::vector<TToolkitPdfFont> fonts = {{kFaces[0], 10, false}, {kFaces[1], 10, true}};
  const std::string path = "/tmp/tavrelo-bench-emf-toolkit.pdf";
  const double k = 0.75;  // points per pixel
  for (auto _ : state) {
    std::vector<TToolkitPdfPage> pages(kPages);
    for (int p = 0; p < kPages; ++p) {
      auto& page = pages[p];
      page.Rects.push_back({53 * k, 53 * k, 687 * k, 1016 * k});
      for (int i = 0; i < 3; ++i) page.Lines.push_back({67 * k, (80 + 320 * i) * k, 727 * k, (80 + 320 * i) * k, k});
      for (int l = 0; l < kLinesPerPage; ++l)
        page.Texts.push_back({67 * k, (85 + 16 * l) * k + 9, l % 2, doc[p][l]});
    }
    if (!ToolkitWritePdf(Utf8ToUnicode(path), fonts, pages)) state.SkipWithError("cannot write");
  }
  ReportWrittenPages(state, path, kPages);
}

}  // namespace

BENCHMARK(BM_RecordAndTranslate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranslateRecorded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToolkitWriter)->Unit(benchmark::kMillisecond);
