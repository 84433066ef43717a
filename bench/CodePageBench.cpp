// Code-page conversion of 1 MB of text: Cyrillic in 1251 and CJK in 936.
#include <benchmark/benchmark.h>

#include <random>

#include "engine/foundation/RVUni.h"

namespace {

// About 1 MB of 8-bit text: words of random letters of the given ranges, spaces between.
UnicodeString MakeText(TRVCodePage cp, char16_t lo, char16_t hi) {
  std::mt19937 rng(cp);
  std::uniform_int_distribution<int> letter(lo, hi), length(2, 9);
  UnicodeString text;
  TRVRawByteString bytes;
  while (bytes.size() < (1u << 20)) {
    UnicodeString word;
    for (int n = length(rng); n > 0; --n) word.push_back(static_cast<char16_t>(letter(rng)));
    word.push_back(u' ');
    TRVRawByteString b;
    if (!TryUnicodeToAnsiCP(cp, word, b)) continue;
    text += word;
    bytes += b;
  }
  return text;
}

void ToUnicode(benchmark::State& state, TRVCodePage cp, char16_t lo, char16_t hi) {
  const TRVRawByteString bytes = UnicodeToAnsiCP(cp, MakeText(cp, lo, hi));
  for (auto _ : state) benchmark::DoNotOptimize(AnsiToUnicodeCP(cp, bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void FromUnicode(benchmark::State& state, TRVCodePage cp, char16_t lo, char16_t hi) {
  const UnicodeString text = MakeText(cp, lo, hi);
  const auto bytes = static_cast<int64_t>(UnicodeToAnsiCP(cp, text).size());
  for (auto _ : state) benchmark::DoNotOptimize(UnicodeToAnsiCP(cp, text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

BENCHMARK_CAPTURE(ToUnicode, Cyrillic1251, 1251, u'\u0410', u'\u044F')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FromUnicode, Cyrillic1251, 1251, u'\u0410', u'\u044F')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ToUnicode, CJK936, 936, u'\u4E00', u'\u9FA5')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FromUnicode, CJK936, 936, u'\u4E00', u'\u9FA5')->Unit(benchmark::kMillisecond);

}  // namespace
