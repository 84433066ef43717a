// PDF writer: subsetting a face for 200 characters (beside the fontTools subsetter, whole
// process), Group 4 coding of a 2480 x 3508 page (beside libtiff's coder) and JPEG pass-through
// (beside copying the bytes).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "pdf/BilevelTest.h"
#include "pdf/PDFCCITT.h"
#include "pdf/PDFImage.h"
#include "pdf/PDFTrueType.h"
#include "platform/graphics/Jpeg.h"

#ifdef TAVRELO_HAVE_TIFF
#include <tiffio.h>
#endif

namespace {

const char* const Faces[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};

std::string ReadFile(const char* path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// 200 characters the face maps: ASCII letters and digits, then Latin-1, Greek and Cyrillic.
std::vector<char32_t> Chars(unsigned seed) {
  std::vector<char32_t> pool;
  for (char32_t c = 0x21; c < 0x7F; ++c) pool.push_back(c);
  for (char32_t c = 0xC0; c <= 0xFF; ++c) pool.push_back(c);
  for (char32_t c = 0x391; c <= 0x3C9; ++c)
    if (c != 0x3A2) pool.push_back(c);
  for (char32_t c = 0x410; c <= 0x44F; ++c) pool.push_back(c);
  std::shuffle(pool.begin(), pool.end(), std::mt19937(seed));
  pool.resize(200);
  return pool;
}

// The subset programs a document with these 200 characters embeds: the ASCII font and as many
// 96-glyph subsets as the other characters need; reading the file and its tables included.
std::size_t OurSubset(const char* face, const std::vector<char32_t>& chars) {
  TTrueTypeManager m = TTrueTypeManager::FromFileData(ReadFile(face), u"Bench", {});
  bool used[96] = {};
  std::vector<int> others;
  for (char32_t c : chars)
    if (c < 128) used[c - 32] = true;
    else others.push_back(m.GetIdxByUnicode(c));
  std::string out;
  m.PrepareASCIIFont(used, out);
  for (std::size_t i = 0; i < others.size(); i += 96) {
    const int n = static_cast<int>(std::min<std::size_t>(96, others.size() - i));
    m.PrepareFont(others.data() + i, n, out);
  }
  return out.size();
}

// Sizes are given for the first face and character set, the same on every side.
void SubsetOurs(benchmark::State& state) {
  std::size_t k = 0;
  const std::size_t bytes = OurSubset(Faces[0], Chars(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(OurSubset(Faces[k % 4], Chars(unsigned(k))));
    ++k;
  }
  state.counters["bytes"] = double(bytes);
}

std::string UnicodeList(const std::vector<char32_t>& chars) {
  std::string unicodes;
  for (char32_t c : chars) {
    char b[16];
    std::snprintf(b, sizeof b, "%X,", unsigned(c));
    unicodes += b;
  }
  unicodes.pop_back();
  return unicodes;
}

long FontToolsSubset(const char* face, const std::vector<char32_t>& chars) {
  const std::string out = "/tmp/tavrelo-bench-subset.ttf";
  const std::string cmd = std::string("/usr/bin/python3 -m fontTools.subset ") + face + " --unicodes=" +
                          UnicodeList(chars) + " --output-file=" + out + " >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return -1;
  std::ifstream f(out, std::ios::binary | std::ios::ate);
  return long(f.tellg());
}

// Whether the font tools' Python package is there; the benchmark is skipped without it.
bool HaveFontTools(benchmark::State& state) {
  if (std::system("/usr/bin/python3 -c 'import fontTools' >/dev/null 2>&1") == 0) return true;
  state.SkipWithError("python3-fonttools is not installed");
  return false;
}

// The same glyph groups as our programs (ASCII, then 96 at a time), one process each: the size
// that compares with ours.
void SubsetFontToolsSameGroups(benchmark::State& state) {
  if (!HaveFontTools(state)) return;
  std::size_t k = 0;
  long bytes = 0;
  for (auto _ : state) {
    std::vector<char32_t> ascii, other;
    for (char32_t c : Chars(unsigned(k))) (c < 128 ? ascii : other).push_back(c);
    long size = FontToolsSubset(Faces[k % 4], ascii);
    for (std::size_t i = 0; i < other.size(); i += 96)
      size += FontToolsSubset(Faces[k % 4], std::vector<char32_t>(other.begin() + long(i),
                                                                  other.begin() + long(std::min(other.size(), i + 96))));
    if (k++ == 0) bytes = size;
  }
  state.counters["bytes"] = double(bytes);
}

void SubsetFontTools(benchmark::State& state) {
  if (!HaveFontTools(state)) return;
  std::size_t k = 0;
  long bytes = 0;
  for (auto _ : state) {
    std::string unicodes;
    for (char32_t c : Chars(unsigned(k))) {
      char b[16];
      std::snprintf(b, sizeof b, "%X,", unsigned(c));
      unicodes += b;
    }
    unicodes.pop_back();
    const std::string out = "/tmp/tavrelo-bench-subset.ttf";
    const std::string cmd = std::string("/usr/bin/python3 -m fontTools.subset ") + Faces[k % 4] +
                            " --unicodes=" + unicodes + " --output-file=" + out + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) {
      state.SkipWithError("the subsetter failed");
      return;
    }
    std::ifstream f(out, std::ios::binary | std::ios::ate);
    if (k++ == 0) bytes = long(f.tellg());
  }
  state.counters["bytes"] = double(bytes);
}

// ---- Group 4 ------------------------------------------------------------------------------------

struct TPage {
  std::vector<std::uint8_t> Rows;
  int W = 2480, H = 3508, Stride = 310;
};

const std::vector<TPage>& Pages() {
  static const std::vector<TPage> pages = [] {
    std::vector<TPage> v(3);
    for (std::size_t i = 0; i < v.size(); ++i) {
      TBitmap b;
      pdftest::MakeBlackIs1(b, v[i].W, v[i].H);
      pdftest::FillPage(b, unsigned(i + 1));
      for (int y = 0; y < v[i].H; ++y) v[i].Rows.insert(v[i].Rows.end(), b.ScanLine(y), b.ScanLine(y) + v[i].Stride);
    }
    return v;
  }();
  return pages;
}

void G4Ours(benchmark::State& state) {
  std::size_t k = 0, bytes = 0;
  Pages();
  for (auto _ : state) {
    const TPage& p = Pages()[k % 3];
    std::string out;
    CCITTEncodeRows(p.Rows.data(), p.Stride, p.W, p.H, CCITT42D, out);
    if (k++ % 3 == 0) bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = double(bytes);
}

#ifdef TAVRELO_HAVE_TIFF
// libtiff's coder on the same rows, into a file in memory-backed storage.
void G4Tiff(benchmark::State& state) {
  std::size_t k = 0;
  long bytes = 0;
  TIFFSetWarningHandler(nullptr);
  Pages();
  for (auto _ : state) {
    const TPage& p = Pages()[k % 3];
    const char* path = "/dev/shm/tavrelo-bench-g4.tif";
    TIFF* t = TIFFOpen(path, "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, p.W);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, p.H);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, p.H);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFWriteEncodedStrip(t, 0, const_cast<std::uint8_t*>(p.Rows.data()), tmsize_t(p.Rows.size()));
    if (k++ % 3 == 0) bytes = long(TIFFRawStripSize(t, 0));
    TIFFClose(t);
  }
  std::remove("/dev/shm/tavrelo-bench-g4.tif");
  state.counters["bytes"] = double(bytes);
}
BENCHMARK(G4Tiff)->Unit(benchmark::kMillisecond);
#endif

// ---- JPEG pass-through ----------------------------------------------------------------------------

const std::vector<std::unique_ptr<TJPEGImage>>& Jpegs() {
  static const std::vector<std::unique_ptr<TJPEGImage>> v = [] {
    std::vector<std::unique_ptr<TJPEGImage>> r;
    for (int i = 0; i < 3; ++i) {
      TBitmap b(1600 + 16 * i, 1200);
      b.SetPixelFormat(pf24bit);
      std::mt19937 rng{unsigned(i)};
      for (int y = 0; y < b.GetHeight(); ++y) {
        std::uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < b.GetWidth() * 3; ++x) row[x] = std::uint8_t((x / 3 + y) ^ (rng() & 15));
      }
      auto j = std::make_unique<TJPEGImage>();
      j->Assign(&b);
      j->Compress();
      r.push_back(std::move(j));
    }
    return r;
  }();
  return v;
}

void JpegPassThrough(benchmark::State& state) {
  TPDFEngine engine;
  TMemoryStream out;
  engine.SetStream(&out);
  TPDFImages images(&engine);
  std::size_t k = 0, bytes = 0;
  Jpegs();
  for (auto _ : state) {
    const TJPEGImage& j = *Jpegs()[k++ % 3];
    images.AddImage(j, itcJpeg);
    bytes += j.Data().size();
    if (images.GetCount() >= 16) {
      state.PauseTiming();
      images.Clear();
      out.Clear();
      engine.Reset();
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed(int64_t(bytes));
}

void JpegCopyFloor(benchmark::State& state) {
  TMemoryStream out;
  std::size_t k = 0, bytes = 0, n = 0;
  Jpegs();
  for (auto _ : state) {
    const TJPEGImage& j = *Jpegs()[k++ % 3];
    out.WriteBuffer(j.Data().data(), int64_t(j.Data().size()));
    bytes += j.Data().size();
    if (++n >= 16) {
      state.PauseTiming();
      out.Clear();
      n = 0;
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed(int64_t(bytes));
}

BENCHMARK(SubsetOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(SubsetFontTools)->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK(SubsetFontToolsSameGroups)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(G4Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegPassThrough)->Unit(benchmark::kMicrosecond);
BENCHMARK(JpegCopyFloor)->Unit(benchmark::kMicrosecond);

}  // namespace
