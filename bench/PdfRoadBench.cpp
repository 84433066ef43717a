// The PDF road: a text file of about 300 A4 pages (one paragraph a line, DejaVu Sans 12 pt, 2 cm
// margins) loaded into the report renderer, laid out page by page on the pages of a PDF document
// and written in one pass, each page recorded at 1440 pixels an inch and translated when it ends.
// - BM_PdfRoad: the road inside this process, with the share of each step as counters;
// - BM_PdfRoadProcess: the same as a whole process (this program run again for one road), beside
//   BM_PdfRoadProcess_LibreOffice, the office suite's converter making a PDF of the same text in
//   the same face, size, page and margins (skipped when it is not installed).
// The counters give the pages and the bytes of each file.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "BenchCommon.h"
#include "engine/print/RVReportHelper.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "pdf/PDFDocument.h"
#include "platform/graphics/DeviceContext.h"

namespace {

constexpr int kLines = 15600;  // 52 lines a page
constexpr int kPpi = 1440;     // the recording's pixels an inch: a twentieth of a point
constexpr int kMarginPt = 57;  // 2 cm
const char* const kDir = "/tmp/tavrelo-pdf-road";

std::string Path(const char* name) { return std::string(kDir) + "/" + name; }

// The text file, and the same text as a flat office document for the peer.
void WriteInputs() {
  static bool done = false;
  if (done) return;
  done = true;
  ::mkdir(kDir, 0755);
  std::ofstream txt(Path("road.txt"), std::ios::binary), fodt(Path("road.fodt"), std::ios::binary);
  fodt << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
          "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
          "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
          "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
          "office:version=\"1.2\" office:mimetype=\"application/vnd.oasis.opendocument.text\">\n"
          "<office:font-face-decls><style:font-face style:name=\"DejaVu Sans\" "
          "svg:font-family=\"'DejaVu Sans'\" xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\"/>"
          "</office:font-face-decls>\n"
          "<office:styles><style:default-style style:family=\"paragraph\"><style:paragraph-properties "
          "fo:margin-top=\"0cm\" fo:margin-bottom=\"0cm\"/><style:text-properties style:font-name=\"DejaVu Sans\" "
          "fo:font-size=\"12pt\"/></style:default-style></office:styles>\n"
          "<office:automatic-styles><style:page-layout style:name=\"pm1\"><style:page-layout-properties "
          "fo:page-width=\"21cm\" fo:page-height=\"29.7cm\" fo:margin-top=\"2cm\" fo:margin-bottom=\"2cm\" "
          "fo:margin-left=\"2cm\" fo:margin-right=\"2cm\"/></style:page-layout></office:automatic-styles>\n"
          "<office:master-styles><style:master-page style:name=\"Standard\" style:page-layout-name=\"pm1\"/>"
          "</office:master-styles>\n<office:body><office:text>\n";
  unsigned seed = 2024;
  for (int n = 0; n < kLines; ++n) {
    const std::string line = VariedLine(n, seed, 60);
    txt << line << "\n";
    fodt << "<text:p>" << line << "</text:p>\n";
  }
  fodt << "</office:text></office:body></office:document>\n";
}

struct TRoadTimes {
  int Pages = 0;
  double Load = 0, Format = 0, Pages_ = 0, End = 0;  // seconds
};

double Since(std::chrono::steady_clock::time_point& t) {
  const auto now = std::chrono::steady_clock::now();
  const double s = std::chrono::duration<double>(now - t).count();
  t = now;
  return s;
}

// The road: load, lay out for the page width, then one page after another laid out and drawn on
// the PDF page's canvas, each page written when the next one begins.
TRoadTimes RunRoad(const std::string& in, const std::string& out) {
  TRoadTimes r;
  auto t = std::chrono::steady_clock::now();
  TRVStyle sheet(nullptr);
  TFontInfo* f = sheet.TextStyles()->Items(0);
  f->FontName = u"DejaVu Sans";
  f->SetSize(12);
  TParaInfo* para = sheet.ParaStyles()->Items(0);
  para->SetSpaceBefore(0);
  para->SetSpaceAfter(0);
  TRVReportHelper report(nullptr);
  TReportViroZere* viewer = report.GetViroZere();
  viewer->SetStyle(&sheet);
  const int margin = MulDiv(kMarginPt, 96, 72);  // the viewer's margins are screen pixels
  viewer->SetLeftMargin(margin);
  viewer->SetRightMargin(margin);
  viewer->SetTopMargin(margin);
  viewer->SetBottomMargin(margin);
  viewer->GetRVData()->LoadText(Utf8ToUnicode(in), 0, 0, false);
  r.Load = Since(t);

  // Pages are recorded at kPpi: the metafile canvases take the resolution of the reference
  // context, and the layout is made on a canvas of the same resolution.
  TPDFDocument pdf;
  pdf.SetFileName(Utf8ToUnicode(out));
  pdf.SetOnePass(true);
  HDC ref = CreateCompatibleDC(nullptr);
  SetDeviceResolution(ref, kPpi, kPpi);
  pdf.EMFOptions().SetUsedDC(ref);
  DeleteDC(ref);
  TBitmap layout;
  layout.SetSize(1, 1);
  SetDeviceResolution(layout.GetCanvas()->GetHandle(), kPpi, kPpi);
  layout.GetCanvas()->Font().SetPixelsPerInch(kPpi);
  const int pageWidth = MulDiv(PDFPageSize(psA4).Width, kPpi, 72);
  const int pageHeight = MulDiv(PDFPageSize(psA4).Height, kPpi, 72);
  report.Init(layout.GetCanvas(), pageWidth);
  r.Format = Since(t);

  pdf.BeginDoc();
  while (report.FormatNextPage(pageHeight)) {
    if (++r.Pages > 1) pdf.NewPage();
    report.DrawPage(r.Pages, pdf.Canvas(), false, pageHeight);
  }
  r.Pages_ = Since(t);
  pdf.EndDoc();
  r.End = Since(t);
  return r;
}

double FileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_size) : 0.0;
}

void BM_PdfRoad(benchmark::State& state) {
  WriteInputs();
  TRoadTimes sum;
  for (auto _ : state) {
    const TRoadTimes r = RunRoad(Path("road.txt"), Path("ours.pdf"));
    sum.Pages = r.Pages;
    sum.Load += r.Load, sum.Format += r.Format, sum.Pages_ += r.Pages_, sum.End += r.End;
  }
  const double n = static_cast<double>(state.iterations()), all = sum.Load + sum.Format + sum.Pages_ + sum.End;
  state.counters["pages"] = sum.Pages;
  state.counters["bytes"] = FileSize(Path("ours.pdf"));
  state.counters["bytes/page"] = FileSize(Path("ours.pdf")) / std::max(1, sum.Pages);
  state.counters["load_ms"] = 1000 * sum.Load / n;
  state.counters["format_ms"] = 1000 * sum.Format / n;
  state.counters["pages_ms"] = 1000 * sum.Pages_ / n;
  state.counters["end_ms"] = 1000 * sum.End / n;
  state.counters["format_share"] = sum.Format / all;
}

// Run by the process measure below: one road, nothing else (the inputs are there already, as
// they are for the office suite's run).
void BM_PdfRoadOnce(benchmark::State& state) {
  if (!std::getenv("TAVRELO_ROAD_INPUTS_WRITTEN")) WriteInputs();
  for (auto _ : state) RunRoad(Path("road.txt"), Path("once.pdf"));
}

// Wall time of a command run through the shell.
double TimeCommand(const std::string& cmd) {
  const auto t = std::chrono::steady_clock::now();
  const int rc = std::system(cmd.c_str());
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
  return rc == 0 ? s : -1;
}

// Pages of a PDF file, from its page tree's count (both writers write one "/Count" per tree).
int PdfPages(const std::string& path) {
  std::string out;
  if (FILE* p = popen(("pdfinfo '" + path + "' 2>/dev/null").c_str(), "r")) {
    char buf[4096];
    std::size_t k;
    while ((k = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, k);
    pclose(p);
  }
  const auto at = out.find("Pages:");
  return at == std::string::npos ? 0 : std::atoi(out.c_str() + at + 6);
}

void BM_PdfRoadProcess(benchmark::State& state) {
  WriteInputs();
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return state.SkipWithError("cannot find this program");
  self[n] = '\0';
  const std::string cmd = "QT_QPA_PLATFORM=offscreen TAVRELO_ROAD_INPUTS_WRITTEN=1 '" + std::string(self) +
                          "' --benchmark_filter='^BM_PdfRoadOnce/' >/dev/null 2>&1";
  for (auto _ : state) {
    const double s = TimeCommand(cmd);
    if (s < 0) return state.SkipWithError("the road failed");
    state.SetIterationTime(s);
  }
  state.counters["pages"] = PdfPages(Path("once.pdf"));
  state.counters["bytes"] = FileSize(Path("once.pdf"));
  state.counters["bytes/page"] = FileSize(Path("once.pdf")) / std::max(1, PdfPages(Path("once.pdf")));
}

void BM_PdfRoadProcess_LibreOffice(benchmark::State& state) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0)
    return state.SkipWithError("LibreOffice is not installed");
  WriteInputs();
  const std::string cmd = "soffice -env:UserInstallation=file://" + Path("profile") +
                          " --headless --convert-to pdf --outdir " + Path("lo") + " " + Path("road.fodt") +
                          " >/dev/null 2>&1";
  // Its first run makes the profile; that is not part of a conversion.
  static const bool warm = TimeCommand(cmd) >= 0;
  if (!warm) return state.SkipWithError("the converter failed");
  for (auto _ : state) {
    const double s = TimeCommand(cmd);
    if (s < 0) return state.SkipWithError("the converter failed");
    state.SetIterationTime(s);
  }
  const std::string pdf = Path("lo/road.pdf");
  state.counters["pages"] = PdfPages(pdf);
  state.counters["bytes"] = FileSize(pdf);
  state.counters["bytes/page"] = FileSize(pdf) / std::max(1, PdfPages(pdf));
}

}  // namespace

BENCHMARK(BM_PdfRoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PdfRoadOnce)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PdfRoadProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_PdfRoadProcess_LibreOffice)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
