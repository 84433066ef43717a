// Text through a device context, each figure beside its peer in the same program: measuring and
// caret positions of 1 MB of varied Latin and Arabic text in lines of 80 characters against the
// shaper alone (same face, size and features) and the toolkit's font metrics; fitting a line
// from a short and a long paragraph; measuring on 1, 2 and 4 threads; drawing a page of 50 lines
// with warm and with cold glyph caches against the toolkit's painter.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/TextPeers.h"

namespace {

constexpr std::size_t TextChars = 1u << 20;
constexpr int LineChars = 80;
const std::u16string Face = u"DejaVu Sans";
constexpr int Pixels = 16;

// Random words: Latin letters (some accented, capitals now and then) or Arabic letters, with
// punctuation and numbers between, cut into lines of 80 characters.
std::u16string VariedText(bool arabic, std::size_t chars, unsigned seed) {
  std::mt19937 rng(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::u16string s;
  s.reserve(chars + 16);
  while (s.size() < chars) {
    const int len = pick(1, 11);
    for (int i = 0; i < len; ++i) {
      if (arabic)
        s += static_cast<char16_t>(pick(0x627, 0x64A));
      else if (pick(0, 12) == 0)
        s += static_cast<char16_t>(pick(0xC0, 0x17F));
      else
        s += static_cast<char16_t>(i == 0 && pick(0, 5) == 0 ? pick('A', 'Z') : pick('a', 'z'));
    }
    const int p = pick(0, 20);
    s += p == 0 ? (arabic ? u"\u060C " : u", ") : p == 1 ? (arabic ? u". " : u". ") : p == 2 ? u" 2026 " : u" ";
  }
  s.resize(chars);
  return s;
}

std::vector<std::u16string> Lines(bool arabic, std::size_t chars = TextChars, unsigned seed = 1) {
  const std::u16string all = VariedText(arabic, chars, seed + (arabic ? 100 : 0));
  std::vector<std::u16string> lines;
  for (std::size_t i = 0; i < all.size(); i += LineChars) lines.push_back(all.substr(i, LineChars));
  return lines;
}

const std::vector<std::u16string>& Text(bool arabic) {
  static const auto latin = Lines(false), ar = Lines(true);
  return arabic ? ar : latin;
}

LOGFONTW Font() {
  LOGFONTW lf;
  lf.lfHeight = -Pixels;
  std::copy(Face.begin(), Face.end(), lf.lfFaceName);
  return lf;
}

struct TTarget {
  HDC DC;
  HBITMAP Bmp;
  HFONT Font;
  TTarget(int w = 1200, int h = 40) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    DC = CreateCompatibleDC(nullptr);
    Bmp = CreateDIBSection(DC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(DC, Bmp);
    const LOGFONTW lf = ::Font();
    Font = CreateFontIndirectW(&lf);
    SelectObject(DC, Font);
    SetBkMode(DC, TRANSPARENT);
    SetTextAlign(DC, TA_BASELINE);
  }
  ~TTarget() {
    DeleteDC(DC);
    DeleteObject(Bmp);
    DeleteObject(Font);
  }
};

void Items(benchmark::State& state, std::size_t chars) {
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(chars));
}

// ---- measuring ----------------------------------------------------------------------------------

// The widths of the lines summed through the device context, and through the shaping library's
// own calls (the floor), each iteration; chars is what counts as processed.
void MeasureLines(benchmark::State& state, const std::vector<std::u16string>& lines, std::size_t chars) {
  TTarget t;
  SIZE sz;
  for (auto _ : state) {
    long long total = 0;
    for (const auto& l : lines) {
      GetTextExtentPoint32W(t.DC, l.c_str(), LineChars, &sz);
      total += sz.cx;
    }
    benchmark::DoNotOptimize(total);
  }
  Items(state, chars);
}

void MeasureLinesRaw(benchmark::State& state, const std::vector<std::u16string>& lines, bool arabic,
                     std::size_t chars) {
  TTarget t;
  TRawShapingPeer peer(t.DC);
  for (auto _ : state) {
    long long total = 0;
    for (const auto& l : lines) total += peer.Measure(l.c_str(), LineChars, arabic);
    benchmark::DoNotOptimize(total);
  }
  Items(state, chars);
}

void BM_Measure(benchmark::State& state, bool arabic) { MeasureLines(state, Text(arabic), TextChars); }

void BM_MeasureRaw(benchmark::State& state, bool arabic) { MeasureLinesRaw(state, Text(arabic), arabic, TextChars); }

void BM_MeasureToolkit(benchmark::State& state, bool arabic) {
  TToolkitTextPeer peer(Face, Pixels, 8, 8);
  const auto& lines = Text(arabic);
  for (auto _ : state) {
    double total = 0;
    for (const auto& l : lines) total += peer.Measure(l.c_str(), LineChars);
    benchmark::DoNotOptimize(total);
  }
  Items(state, TextChars);
}

// The same 500 lines measured again and again, as formatting asks: kept results answer.
std::vector<std::u16string> First500(bool arabic) {
  return std::vector<std::u16string>(Text(arabic).begin(), Text(arabic).begin() + 500);
}

void BM_Remeasure(benchmark::State& state, bool arabic) { MeasureLines(state, First500(arabic), 500 * LineChars); }

void BM_RemeasureRaw(benchmark::State& state, bool arabic) {
  MeasureLinesRaw(state, First500(arabic), arabic, 500 * LineChars);
}

// ---- caret positions ----------------------------------------------------------------------------

void BM_Carets(benchmark::State& state, bool arabic) {
  TTarget t;
  const auto& lines = Text(arabic);
  std::vector<int> carets(LineChars + 1);
  GCP_RESULTSW r;
  r.lpCaretPos = carets.data();
  for (auto _ : state) {
    for (const auto& l : lines) {
      r.nGlyphs = LineChars;
      GetCharacterPlacementW(t.DC, l.c_str(), LineChars, 0, &r, 0);
      benchmark::DoNotOptimize(carets.data());
    }
  }
  Items(state, TextChars);
}

void BM_CaretsRaw(benchmark::State& state, bool arabic) {
  TTarget t;
  TRawShapingPeer peer(t.DC);
  const auto& lines = Text(arabic);
  std::vector<int> carets(LineChars + 1);
  for (auto _ : state) {
    for (const auto& l : lines) {
      peer.Carets(l.c_str(), LineChars, arabic, carets.data());
      benchmark::DoNotOptimize(carets.data());
    }
  }
  Items(state, TextChars);
}

void BM_CaretsToolkit(benchmark::State& state, bool arabic) {
  TToolkitTextPeer peer(Face, Pixels, 8, 8);
  const auto& lines = Text(arabic);
  std::vector<double> carets(LineChars + 1);
  for (auto _ : state) {
    for (const auto& l : lines) {
      peer.Carets(l.c_str(), LineChars, carets.data());
      benchmark::DoNotOptimize(carets.data());
    }
  }
  Items(state, TextChars);
}

// ---- fitting ------------------------------------------------------------------------------------

// The characters of one line (68 of them) fitted from the start of a paragraph of range(0)
// characters; different paragraphs in turn so that no kept result answers.
void BM_FitLine(benchmark::State& state) {
  TTarget t;
  const int length = static_cast<int>(state.range(0));
  std::vector<std::u16string> paragraphs;
  std::vector<int> extents;
  const unsigned count = length <= 256 ? 4096 : 64;  // more short ones than results are kept
  for (unsigned i = 0; i < count; ++i) {
    paragraphs.push_back(VariedText(false, static_cast<std::size_t>(length), 500 + i));
    SIZE sz;
    GetTextExtentPoint32W(t.DC, paragraphs.back().c_str(), 68, &sz);
    extents.push_back(sz.cx);
  }
  std::size_t k = 0;
  INT fit = 0;
  SIZE sz;
  for (auto _ : state) {
    GetTextExtentExPointW(t.DC, paragraphs[k].c_str(), length, extents[k], &fit, nullptr, &sz);
    benchmark::DoNotOptimize(fit);
    k = (k + 1) % paragraphs.size();
  }
  state.counters["fit"] = fit;
}

// A whole paragraph broken into lines of at most 600 pixels, each line fitted from the rest.
void BM_BreakParagraph(benchmark::State& state) {
  TTarget t;
  const std::u16string text = VariedText(false, static_cast<std::size_t>(state.range(0)), 9);
  int lines = 0;
  for (auto _ : state) {
    lines = 0;
    for (int at = 0; at < static_cast<int>(text.size()); ++lines) {
      INT fit = 0;
      SIZE sz;
      GetTextExtentExPointW(t.DC, text.c_str() + at, static_cast<int>(text.size()) - at, 600, &fit, nullptr, &sz);
      at += std::max(fit, 1);
    }
  }
  state.counters["lines"] = lines;
  Items(state, text.size());
}

// ---- threads ------------------------------------------------------------------------------------

// Each thread measures 1,600 lines of its own (no two threads share a line, so no kept result
// answers); the real time per iteration stays flat when threads do not wait for each other.
void BM_MeasureThreads(benchmark::State& state) {
  TTarget t;
  const auto& lines = Text(false);
  const std::size_t per = 1600, from = static_cast<std::size_t>(state.thread_index()) * per;
  SIZE sz;
  for (auto _ : state) {
    long long total = 0;
    for (std::size_t i = from; i < from + per; ++i) {
      GetTextExtentPoint32W(t.DC, lines[i].c_str(), LineChars, &sz);
      total += sz.cx;
    }
    benchmark::DoNotOptimize(total);
  }
  Items(state, per * LineChars);
}

void BM_MeasureThreadsRaw(benchmark::State& state) {
  TTarget t;
  TRawShapingPeer peer(t.DC);
  const auto& lines = Text(false);
  const std::size_t per = 1600, from = static_cast<std::size_t>(state.thread_index()) * per;
  for (auto _ : state) {
    long long total = 0;
    for (std::size_t i = from; i < from + per; ++i) total += peer.Measure(lines[i].c_str(), LineChars, false);
    benchmark::DoNotOptimize(total);
  }
  Items(state, per * LineChars);
}

// ---- drawing ------------------------------------------------------------------------------------

constexpr int PageLines = 50, LineHeight = 19, PageWidth = 800, PageHeight = PageLines * LineHeight + 20;

// Pages of 50 lines taken in turn from the text.
std::vector<std::u16string> Page(bool arabic, std::size_t k) {
  const auto& lines = Text(arabic);
  const std::size_t pages = lines.size() / PageLines;
  const auto first = lines.begin() + static_cast<std::ptrdiff_t>((k % pages) * PageLines);
  return std::vector<std::u16string>(first, first + PageLines);
}

// A warm page: the same page drawn again. Cold: each iteration a page not drawn before, with the
// glyph images and outlines forgotten, as on the first draw of a page at a new size. The toolkit
// starts cold at a size of its own each time (its caches cannot be emptied from outside).
void BM_DrawPage(benchmark::State& state, bool arabic, bool cold) {
  TTarget t(PageWidth, PageHeight);
  std::size_t k = 3;
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      ForgetGlyphImages(t.DC);
      state.ResumeTiming();
    }
    const auto page = Page(arabic, cold ? k++ : 3);
    int y = LineHeight;
    for (const auto& l : page) {
      TextOutW(t.DC, 5, y, l.c_str(), LineChars);
      y += LineHeight;
    }
  }
  Items(state, PageLines * LineChars);
}

void BM_DrawPageToolkit(benchmark::State& state, bool arabic, bool cold) {
  TToolkitTextPeer peer(Face, Pixels, PageWidth, PageHeight);
  static int fresh = 1;
  std::size_t k = 3;
  for (auto _ : state) peer.Draw(Page(arabic, cold ? k++ : 3), LineHeight, cold ? Pixels + 0.0001 * fresh++ : 0);
  Items(state, PageLines * LineChars);
}

}  // namespace

#define TEXT_BENCH(fn, name)                                                                              \
  BENCHMARK_CAPTURE(fn, Latin, false)->Name(name "/Latin")->Unit(benchmark::kMillisecond);               \
  BENCHMARK_CAPTURE(fn, Arabic, true)->Name(name "/Arabic")->Unit(benchmark::kMillisecond)

TEXT_BENCH(BM_Measure, "Measure/Device");
TEXT_BENCH(BM_MeasureRaw, "Measure/RawShaper");
TEXT_BENCH(BM_MeasureToolkit, "Measure/Toolkit");
TEXT_BENCH(BM_Remeasure, "Remeasure500/Device");
TEXT_BENCH(BM_RemeasureRaw, "Remeasure500/RawShaper");
TEXT_BENCH(BM_Carets, "Carets/Device");
TEXT_BENCH(BM_CaretsRaw, "Carets/RawShaper");
TEXT_BENCH(BM_CaretsToolkit, "Carets/Toolkit");
BENCHMARK(BM_FitLine)->Name("Fit68/Device")->Arg(100)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BreakParagraph)->Name("BreakParagraph/Device")->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureThreads)->Name("MeasureThreads/Device")->Threads(1)->Threads(2)->Threads(4)->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureThreadsRaw)->Name("MeasureThreads/RawShaper")->Threads(1)->Threads(2)->Threads(4)
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawPage, LatinWarm, false, false)->Name("DrawPage/Device/Latin/Warm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawPageToolkit, LatinWarm, false, false)->Name("DrawPage/Toolkit/Latin/Warm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawPage, ArabicWarm, true, false)->Name("DrawPage/Device/Arabic/Warm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawPageToolkit, ArabicWarm, true, false)->Name("DrawPage/Toolkit/Arabic/Warm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawPage, LatinCold, false, true)->Name("DrawPage/Device/Latin/Cold")->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawPageToolkit, LatinCold, false, true)->Name("DrawPage/Toolkit/Latin/Cold")->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawPage, ArabicCold, true, true)->Name("DrawPage/Device/Arabic/Cold")->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawPageToolkit, ArabicCold, true, true)->Name("DrawPage/Toolkit/Arabic/Cold")->Iterations(100)->Unit(benchmark::kMillisecond);
