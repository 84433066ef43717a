// Paginating the generated document of about 300 A4 pages (650 x 969 pixels of text a page, 96
// pixels an inch) with the real shaping back-end, beside the toolkit's rich-text document
// paginating the same text at the same page size:
// - formatting plus pagination of a printable copy (what a print job or a PDF export does
//   before the first page is drawn), against the toolkit laying the document out on pages;
// - pagination alone over a formatted copy, the share of the work this library adds.
// Two documents of different seeds take turns, so no cache of a previous iteration answers the
// next one.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "engine/print/PtblRVData.h"
#include "support/GeneratedDocument.h"
#include "support/PrintTestUtil.h"
#include "platform/graphics/TextPeers.h"

#include "ToolkitDocCopy.h"

namespace {

constexpr int PageWidth = 650, PageHeight = 969;
constexpr std::uint32_t Seeds[2] = {11, 12};

struct TPaginateDoc {
  TPrintTestViewer V{false};
  TGeneratedDocumentInfo Info;
  explicit TPaginateDoc(std::uint32_t Seed) {
    SetGeneratedDocumentStyles(V.Sheet);
    Info = GenerateDocument(V.Source, {.Seed = Seed, .Pages = 300, .Pictures = true});
    // As a viewer measures: on the reference canvas.
    V.RefCanvas = V.Sheet.GetGraphicInterface()->CreateScreenCompatibleCanvas();
    V.Make<TCustomMainPtblRVData>(PageWidth);
  }
  void Format() {
    V.Data->Format_(false, true, false, 0, V.GetCanvas(), false, false, false, false, false);
  }
};

TPaginateDoc& Doc(int i) {
  static TPaginateDoc docs[2] = {TPaginateDoc(Seeds[0]), TPaginateDoc(Seeds[1])};
  return docs[i];
}

void BM_FormatAndPaginate(benchmark::State& state) {
  Doc(1);
  int n = 0;
  std::size_t pages = 0;
  for (auto _ : state) {
    TPaginateDoc& d = Doc(n++ % 2);
    d.Format();
    pages = d.V.Paginate(PageHeight).size();
  }
  // Pages of the second document (the first gives 320).
  state.counters["pages"] = static_cast<double>(pages);
  state.counters["draw_items"] = Doc(0).V.Data->DrawItems->Count();
  state.SetItemsProcessed(state.iterations() * Doc(0).Info.Characters);
}

void BM_PaginateOnly(benchmark::State& state) {
  Doc(0).Format();
  Doc(1).Format();
  int n = 0;
  std::size_t pages = 0;
  for (auto _ : state) pages = Doc(n++ % 2).V.Paginate(PageHeight).size();
  state.counters["pages"] = static_cast<double>(pages);
}

TToolkitDocumentPeer& Toolkit(int i) {
  static std::unique_ptr<TToolkitDocumentPeer> peers[2] = {ToolkitCopy(Doc(0).V.Source, Doc(0).V.Sheet),
                                                           ToolkitCopy(Doc(1).V.Source, Doc(1).V.Sheet)};
  return *peers[i];
}

void BM_FormatAndPaginate_QTextDocument(benchmark::State& state) {
  Toolkit(1);
  int n = 0, pages = 0;
  for (auto _ : state) pages = Toolkit(n++ % 2).Paginate(PageWidth, PageHeight);
  state.counters["pages"] = pages;
  state.SetItemsProcessed(state.iterations() * Doc(0).Info.Characters);
}

// ---- resident memory --------------------------------------------------------------------------

// The process's resident memory in bytes (from /proc/self/status).
double ResidentBytes() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) * 1024;
  return 0;
}

// Runs Body in a child process (so that neither side keeps the other's memory) and answers what
// Body gives: the child's resident memory, taken by Body while its document is alive (the whole
// process, libraries and fonts included).
template <typename Body>
double InChild(Body body) {
  int fds[2];
  if (pipe(fds) != 0) return 0;
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const double rss = body();
    if (write(fds[1], &rss, sizeof rss) != sizeof rss) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  double rss = 0;
  if (pid < 0 || read(fds[0], &rss, sizeof rss) != sizeof rss) rss = 0;
  close(fds[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return rss;
}

// The generated document formatted and paginated (one seed), against the toolkit's document of
// the same text laid out on pages of the same size; the toolkit's side builds its copy from ours
// and frees ours first. Both give the allocator's free memory back before measuring.
void BM_PaginatedResidentMemory(benchmark::State& state) {
  double ours = 0, peer = 0;
  for (auto _ : state) {
    ours = InChild([] {
      TPaginateDoc d(Seeds[0]);
      d.Format();
      benchmark::DoNotOptimize(d.V.Paginate(PageHeight).size());
      malloc_trim(0);
      return ResidentBytes();
    });
    peer = InChild([] {
      std::unique_ptr<TToolkitDocumentPeer> copy;
      {
        TPaginateDoc d(Seeds[0]);
        copy = ToolkitCopy(d.V.Source, d.V.Sheet);
      }
      benchmark::DoNotOptimize(copy->Paginate(PageWidth, PageHeight));
      malloc_trim(0);
      return ResidentBytes();
    });
  }
  state.counters["ours_MB"] = ours / 1e6;
  state.counters["toolkit_MB"] = peer / 1e6;
  state.counters["ratio"] = peer > 0 ? ours / peer : 0;
}

}  // namespace

BENCHMARK(BM_PaginatedResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatAndPaginate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaginateOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatAndPaginate_QTextDocument)->Unit(benchmark::kMillisecond);
