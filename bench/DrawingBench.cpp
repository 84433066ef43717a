// Measuring text through the drawing interface: 1 MB (2^20 characters) of Latin and of Arabic
// text, cut into lines of about 80 characters as formatting measures them, through each back-end.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/RVUniscribeGrIn.h"

namespace {

constexpr size_t TextChars = 1u << 20;

std::vector<std::u16string> Lines(const std::u16string& words) {
  std::vector<std::u16string> lines;
  std::u16string all;
  while (all.size() < TextChars) all += words;
  all.resize(TextChars);
  for (size_t i = 0; i < all.size(); i += 80) lines.push_back(all.substr(i, 80));
  return lines;
}

const std::vector<std::u16string>& Latin() {
  static const auto l = Lines(u"The quick brown fox jumps over the lazy dog; office waffle. ");
  return l;
}

const std::vector<std::u16string>& Arabic() {
  static const auto l = Lines(u"مرحبا بالعالم الجميل، هذا نص عربي للقياس والرسم. ");
  return l;
}

// The back-end under measure: the shaping one or the device-context one.
template <bool Shaping>
std::unique_ptr<TRVGraphicInterface> MakeInterface() {
  LoadUniscribe();
  if (Shaping) return std::make_unique<TRVUniscribeGraphicInterface>();
  return std::make_unique<TRVWinGraphicInterface>();
}

struct TSurface {
  TSurface() {
    DC = ::CreateCompatibleDC(nullptr);
    Canvas = std::make_unique<TCanvas>(DC);
    Canvas->Font().SetName(u"DejaVu Sans");
    Canvas->Font().SetHeight(-16);
  }
  ~TSurface() {
    Canvas.reset();
    ::DeleteDC(DC);
  }
  HDC DC;
  std::unique_ptr<TCanvas> Canvas;
};

template <bool Shaping, bool ArabicText>
void BM_Measure1MB(benchmark::State& state) {
  std::unique_ptr<TRVGraphicInterface> gi = MakeInterface<Shaping>();
  TSurface s;
  const auto& lines = ArabicText ? Arabic() : Latin();
  for (auto _ : state) {
    long long total = 0;
    for (const auto& line : lines)
      total += gi->TextSize(s.Canvas.get(), line.data(), static_cast<int>(line.size()),
                            ArabicText, false)
                   .cx;
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(TextChars));
}

template <bool Shaping, bool ArabicText>
void BM_Carets1MB(benchmark::State& state) {
  std::unique_ptr<TRVGraphicInterface> gi = MakeInterface<Shaping>();
  TSurface s;
  const auto& lines = ArabicText ? Arabic() : Latin();
  std::vector<int> pcp(81);
  for (auto _ : state) {
    for (const auto& line : lines) {
      gi->GetCaretPositions(s.Canvas.get(), line.data(), static_cast<int>(line.size()), 0, 0,
                            ArabicText, false, pcp.data(), -1, -1);
      benchmark::DoNotOptimize(pcp.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(TextChars));
}

}  // namespace

BENCHMARK(BM_Measure1MB<false, false>)->Name("Measure/GDI/Latin")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Measure1MB<false, true>)->Name("Measure/GDI/Arabic")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Measure1MB<true, false>)->Name("Measure/Shaping/Latin")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Measure1MB<true, true>)->Name("Measure/Shaping/Arabic")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Carets1MB<false, false>)->Name("Carets/GDI/Latin")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Carets1MB<false, true>)->Name("Carets/GDI/Arabic")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Carets1MB<true, false>)->Name("Carets/Shaping/Latin")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Carets1MB<true, true>)->Name("Carets/Shaping/Arabic")->Unit(benchmark::kMillisecond);
