// The two per-word steps of formatting: finding where a line may end, and getting the metrics and
// canvas of a text style. Line breaking by the pair table is measured beside the Unicode
// library's line breaker on the same paragraphs (wrapping at a fixed number of characters, and
// walking every break opportunity); font-cache lookups beside selecting the style's font and
// reading its metrics for every run, which is what formatting would do without a cache.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/RVGrIn.h"
#include "engine/layout/RVFontInfoCache.h"
#include "engine/layout/RVLineBreak.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/UnicodeLineBreak.h"
#include "platform/graphics/Pictures.h"

namespace {

// About 600 KB of paragraphs of 40 to 120 words; most words Latin, some Cyrillic, Greek, Arabic,
// Hebrew and CJK, with punctuation, numbers and quotes. The same every run.
const std::vector<std::u16string>& Paragraphs() {
  static const std::vector<std::u16string> paras = [] {
    static const char16_t* const words[] = {
        u"office", u"waffle", u"quick", u"brown", u"fox", u"jumps", u"over", u"the", u"lazy",
        u"dog", u"ledger", u"margin", u"paragraph", u"column", u"invoice", u"total", u"river",
        u"stone", u"internationalization", u"well-known", u"(see", u"below)", u"\"quoted\"",
        u"it's", u"3.14", u"1,000", u"50%", u"$20", u"e.g.", u"2026-12-10", u"http://example.com/a",
        u"\u0442\u0435\u043A\u0441\u0442", u"\u03BA\u03B5\u03AF\u03BC\u03B5\u03BD\u03BF",
        u"\u0627\u0644\u0639\u0631\u0628\u064A\u0629", u"\u05E2\u05D1\u05E8\u05D9\u05EA",
        u"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3002", u"\u4E2D\u6587\uFF0C\u6587\u672C",
        u"\uD55C\uAD6D\uC5B4", u"\u2014", u"caf\u00E9", u"na\u00EFve"};
    constexpr unsigned n = sizeof words / sizeof *words;
    std::vector<std::u16string> r;
    unsigned seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    size_t total = 0;
    while (total < 300000) {
      std::u16string p;
      const unsigned count = 40 + next() % 81;
      for (unsigned w = 0; w < count; ++w) {
        if (w) p += u' ';
        p += words[next() % n];
        if (next() % 9 == 0) p += next() % 2 ? u',' : u'.';
      }
      total += p.size();
      r.push_back(std::move(p));
    }
    return r;
  }();
  return paras;
}

constexpr int LineChars = 70;

void SetCounters(benchmark::State& state) {
  size_t units = 0;
  for (const auto& p : Paragraphs()) units += p.size();
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(units * 2));
}

// Wraps every paragraph at LineChars code units, as word wrap asks after fitting a line.
void BM_WrapPairTable(benchmark::State& state) {
  for (auto _ : state) {
    long lines = 0;
    for (const auto& p : Paragraphs()) {
      const int n = static_cast<int>(p.size());
      for (int pos = 0; n - pos > LineChars; ++lines) {
        const int a = FindBreakBefore(std::u16string_view(p).substr(pos), LineChars, false, false);
        pos += a < 0 ? LineChars : a + 1;
      }
    }
    benchmark::DoNotOptimize(lines);
  }
  SetCounters(state);
}
BENCHMARK(BM_WrapPairTable);

void BM_WrapUnicodeBreaker(benchmark::State& state) {
  TUnicodeLineBreaker breaker;
  for (auto _ : state) {
    long lines = 0;
    for (const auto& p : Paragraphs()) {
      const int n = static_cast<int>(p.size());
      breaker.SetText(p);
      for (int pos = 0; n - pos > LineChars; ++lines) {
        const int b = breaker.Preceding(pos + LineChars);
        pos = b > pos ? b : pos + LineChars;
      }
    }
    benchmark::DoNotOptimize(lines);
  }
  SetCounters(state);
}
BENCHMARK(BM_WrapUnicodeBreaker);

// Every break opportunity, first to last.
void BM_AllBreaksPairTable(benchmark::State& state) {
  for (auto _ : state) {
    long breaks = 0;
    for (const auto& p : Paragraphs()) {
      std::u16string_view rest(p);
      int lastClass = 0;
      WideChar lastChar = 0;
      for (;;) {
        const int b = FindBreakInString(rest, false, 0, lastClass, lastChar, false);
        if (lastChar != 0 || b <= 0) break;
        ++breaks;
        size_t start = static_cast<size_t>(b);
        while (start < rest.size() && rest[start] == u' ') ++start;
        rest.remove_prefix(start);
      }
    }
    benchmark::DoNotOptimize(breaks);
  }
  SetCounters(state);
}
BENCHMARK(BM_AllBreaksPairTable);

void BM_AllBreaksUnicodeBreaker(benchmark::State& state) {
  TUnicodeLineBreaker breaker;
  for (auto _ : state) {
    long breaks = 0;
    for (const auto& p : Paragraphs()) {
      const int n = static_cast<int>(p.size());
      breaker.SetText(p);
      for (int b = breaker.Following(0); b < n; b = breaker.Following(b)) ++breaks;
    }
    benchmark::DoNotOptimize(breaks);
  }
  SetCounters(state);
}
BENCHMARK(BM_AllBreaksUnicodeBreaker);

// ---- font metric caches ------------------------------------------------------------------------

constexpr int StyleCount = 8;
constexpr int Runs = 20000;

// A sheet of eight text styles (sizes, bold, italic, one superscript) in the real text engine,
// and the order in which a document's runs ask for them.
struct TSheet {
  TRVStyle Sheet{nullptr};
  TBitmap Bmp{8, 8};
  std::vector<int> Order;
  TSheet() {
    Sheet.TextStyles()->Clear();
    for (int i = 0; i < StyleCount; ++i) {
      TFontInfo* f = Sheet.TextStyles()->Add();
      f->FontName = i % 3 == 2 ? u"DejaVu Serif" : u"DejaVu Sans";
      f->SetSize(9 + i);
      if (i % 2) f->Style = {fsBold};
      if (i == 5) f->Style = {fsItalic};
      if (i == 7) f->SubSuperScriptType = rvsssSuperScript;
    }
    unsigned seed = 7;
    for (int i = 0; i < Runs; ++i) {
      seed = seed * 1103515245u + 12345u;
      Order.push_back(static_cast<int>((seed >> 16) % StyleCount));
    }
  }
};

// One formatting pass: a new cache, then a lookup per run.
template <class Cache>
void BM_FontCache(benchmark::State& state) {
  TSheet s;
  TCanvas* c = s.Bmp.GetCanvas();
  for (auto _ : state) {
    Cache cache(nullptr, false, c, c, &s.Sheet);
    long sum = 0;
    for (int st : s.Order) sum += cache.GetItems(st)->TextMetric.tmAscent;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * Runs);
}
BENCHMARK_TEMPLATE(BM_FontCache, TRVFontInfoCacheFast)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_FontCache, TRVFontInfoCacheLowResource)->Unit(benchmark::kMillisecond);

// Without a cache: select the style's font and read its metrics for every run.
void BM_ApplyStyleEveryRun(benchmark::State& state) {
  TSheet s;
  TCanvas* c = s.Bmp.GetCanvas();
  TRVGraphicInterface* gi = s.Sheet.GetGraphicInterface();
  for (auto _ : state) {
    long sum = 0;
    TEXTMETRICW tm;
    for (int st : s.Order) {
      s.Sheet.ApplyStyle(c, st, rvbdUnspecified, false, false, nullptr, false, false, false, nullptr);
      gi->GetTextMetrics(c, tm);
      sum += tm.tmAscent;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * Runs);
}
BENCHMARK(BM_ApplyStyleEveryRun)->Unit(benchmark::kMillisecond);

}  // namespace
