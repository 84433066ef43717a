// Code-page conversion of 1 MB of text, ours (`AnsiToUnicodeCP`, `UnicodeToAnsiCP`) beside the
// converter library's own calls on the same text in the same run: Western European text in 1252,
// Russian in 1251, Greek in 1253, Chinese in 936 and Japanese in 932.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "engine/foundation/RVUni.h"
#include "platform/base/CodePagePeer.h"

namespace {

// About 1 MB of 8-bit text: words of 2 to 9 letters drawn from the pool (the first half of the
// pool three times as often as the rest, as plain letters are in real text), spaces and now and
// then punctuation between them. Every word is one the code page has.
UnicodeString MakeText(TRVCodePage cp, const std::u16string& pool) {
  std::mt19937 rng(cp);
  std::uniform_int_distribution<int> length(2, 9), pick(0, 3);
  const size_t half = pool.size() / 2;
  UnicodeString text;
  size_t bytes = 0;
  while (bytes < (1u << 20)) {
    UnicodeString word;
    for (int n = length(rng); n > 0; --n) {
      const size_t i = pick(rng) < 3 ? rng() % half : half + rng() % (pool.size() - half);
      word.push_back(pool[i]);
    }
    const int p = pick(rng);
    word += p == 0 ? u", " : p == 1 ? u". " : u" ";
    TRVRawByteString b;
    if (!TryUnicodeToAnsiCP(cp, word, b)) continue;
    text += word;
    bytes += b.size();
  }
  return text;
}

std::u16string Range(char16_t lo, char16_t hi) {
  std::u16string s;
  for (char16_t c = lo; c <= hi; ++c) s.push_back(c);
  return s;
}

struct Sample {
  TRVCodePage CodePage;
  std::u16string Pool;
};

const Sample& SampleOf(int which) {
  static const Sample samples[] = {
      {1252, u"etaoinshrdlucmfwypvbgkqjxz" u"\u00E9\u00E8\u00E0\u00FC\u00F6\u00E4\u00DF\u00E7\u00F1\u00EA\u00E2\u00EE"},
      {1251, Range(u'\u0430', u'\u044F') + Range(u'\u0410', u'\u042F')},
      {1253, Range(u'\u03B1', u'\u03C9') + Range(u'\u0391', u'\u03A9') + u"\u03AC\u03AD\u03AE\u03AF\u03CC"},
      {936, Range(u'\u4E00', u'\u9FA5')},
      {932, Range(u'\u3041', u'\u3093') + Range(u'\u4E00', u'\u9FA0')},
  };
  return samples[which];
}

const UnicodeString& TextOf(int which) {
  static UnicodeString texts[5];
  if (texts[which].empty()) texts[which] = MakeText(SampleOf(which).CodePage, SampleOf(which).Pool);
  return texts[which];
}

void SetLabel(benchmark::State& state, int which, int64_t bytes) {
  state.SetLabel("cp" + std::to_string(SampleOf(which).CodePage));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

void ToUnicode_Ours(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const TRVCodePage cp = SampleOf(which).CodePage;
  const TRVRawByteString bytes = UnicodeToAnsiCP(cp, TextOf(which));
  for (auto _ : state) benchmark::DoNotOptimize(AnsiToUnicodeCP(cp, bytes));
  SetLabel(state, which, static_cast<int64_t>(bytes.size()));
}

void ToUnicode_Library(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const TRVCodePage cp = SampleOf(which).CodePage;
  const TRVRawByteString bytes = UnicodeToAnsiCP(cp, TextOf(which));
  for (auto _ : state) {
    UnicodeString out;
    if (!LibraryCodePageToUnicode(cp, bytes, out)) state.SkipWithError("no converter");
    benchmark::DoNotOptimize(out);
  }
  SetLabel(state, which, static_cast<int64_t>(bytes.size()));
}

void FromUnicode_Ours(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const TRVCodePage cp = SampleOf(which).CodePage;
  const UnicodeString& text = TextOf(which);
  const auto bytes = static_cast<int64_t>(UnicodeToAnsiCP(cp, text).size());
  for (auto _ : state) benchmark::DoNotOptimize(UnicodeToAnsiCP(cp, text));
  SetLabel(state, which, bytes);
}

void FromUnicode_Library(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const TRVCodePage cp = SampleOf(which).CodePage;
  const UnicodeString& text = TextOf(which);
  const auto bytes = static_cast<int64_t>(UnicodeToAnsiCP(cp, text).size());
  for (auto _ : state) {
    std::string out;
    if (!LibraryUnicodeToCodePage(cp, text, out)) state.SkipWithError("no converter");
    benchmark::DoNotOptimize(out);
  }
  SetLabel(state, which, bytes);
}

}  // namespace

BENCHMARK(ToUnicode_Ours)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(ToUnicode_Library)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(FromUnicode_Ours)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(FromUnicode_Library)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
