// Shared by benchmark programs that write PDF files or play metafiles: the lines of a varied
// document, the counters of a written file, and playback of a metafile onto a bitmap. Counts no allocations (see BenchPeers.h for that).
#pragma once

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <string>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Metafile.h"

namespace {

// Line number n of a varied document: "Line n:" and words drawn from seed, Length characters or
// a word more. The same seed gives the same document.
inline std::string VariedLine(int n, unsigned& seed, std::size_t Length = 80) {
  static const char* const words[] = {"office", "waffle", "quick", "brown", "fox", "jumps",
                                      "over", "the", "lazy", "dog", "ledger", "margin",
                                      "paragraph", "column", "invoice", "total", "river", "stone"};
  std::string s = "Line " + std::to_string(n) + ":";
  while (s.size() < Length) {
    seed = seed * 1103515245u + 12345u;
    s += ' ';
    s += words[(seed >> 16) % (sizeof words / sizeof *words)];
  }
  return s;
}

// The size of the file written, and the pages written a second.
inline void ReportWrittenPages(benchmark::State& state, const std::string& path, int pages) {
  struct stat st {};
  state.counters["bytes"] = stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_size) : 0.0;
  state.counters["pages/s"] = benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate);
}

// Plays the metafile onto an 800 x 1050 32-bit bitmap each iteration, counts its records, and
// deletes it.
inline void PlayMetafileOntoBitmap(benchmark::State& state, HENHMETAFILE emf) {
  ENHMETAHEADER h;
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetSize(800, 1050);
  HDC dc = target.GetCanvas()->GetHandle();
  const RECT rect{0, 0, 800, 1050};
  for (auto _ : state) {
    PlayEnhMetaFile(dc, emf, &rect);
    GdiFlush();
  }
  state.counters["records"] = h.nRecords;
  DeleteEnhMetaFile(emf);
}

}  // namespace
