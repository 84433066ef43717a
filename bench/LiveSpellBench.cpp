// The live-spelling pass over the generated 300-page document with a trivial checker (it accepts
// every word), beside a plain loop that cuts the same item texts into the same words and calls
// the same checker, in the same program. The pass runs in the worker thread at its lowest
// priority while the main thread waits for it to park, so the figure is the process's CPU time
// (both threads); the worker's own cost is the difference to the plain loop: its walk over the
// items, its state lock around each word, and the calls that tell the main thread the pass ended.
//
// The second pair does the same with the spelling component as the checker (the en_US and ru_RU
// dictionaries of Debian's packages): the editor's live-spelling pass against the plain loop
// asking the component about the same words.
#include <benchmark/benchmark.h>

#include <atomic>
#include <functional>
#include <memory>

#include "engine/document/RVItem.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "engine/viewer/RVWordEnumThread.h"
#include "platform/base/Threads.h"
#include "spelling/RVHunSpell.h"
#include "spelling/RVHunSpellHelper.h"
#include "support/GeneratedDocument.h"

namespace {

struct TSpellDoc {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZere> V;
  long long Words = 0;  // counted by the checker
  std::function<void(TObject*, const TRVUnicodeString&, int, bool&)> Checker;

  TSpellDoc() {
    SetGeneratedDocumentStyles(Sheet);
    V = std::make_unique<TViroZere>(nullptr);
    V->SetStyle(&Sheet);
    GenerateDocument(*V->GetRVData(), {.Seed = 7, .Pages = 300, .Pictures = true});
    Checker = [this](TObject*, const TRVUnicodeString& Word, int, bool& Misspelled) {
      ++Words;
      Misspelled = Word.empty();
    };
    V->OnSpellingCheck = Checker;
  }
};

// Kept until the process ends: windows cannot be destroyed after the application object.
TSpellDoc& Doc() {
  static TSpellDoc* doc = new TSpellDoc();
  return *doc;
}

void BM_LiveSpellingPass(benchmark::State& state) {
  TSpellDoc& d = Doc();
  long long words = 0;
  for (auto _ : state) {
    d.Words = 0;
    d.V->StartLiveSpelling();
    TRVWordEnumThread* t = d.V->GetRootWordEnumThread();
    while (!(t->GetSuspended() && t->GetWorkingStatus() == 0)) CheckSynchronize(10);
    words = d.Words;
  }
  state.counters["words"] = static_cast<double>(words);
  state.counters["words/s"] =
      benchmark::Counter(static_cast<double>(words), benchmark::Counter::kIsIterationInvariantRate);
}

// The same words through the same checker, without a thread: every text item's text cut at
// delimiters, "&" and apostrophes as the worker cuts it.
// Cuts every text item of Data into words as the worker does and calls Checker on each.
template <class TChecker>
void CheckEveryWord(TCustomRVData* data, TObject* Sender, const TChecker& Checker) {
  for (int i = 0; i < data->ItemCount(); ++i) {
    const TCustomRVItemInfo* item = data->GetItem(i);
    if (item->StyleNo < 0) continue;
    const TRVUnicodeString& text = data->GetItemTextW(i);
    const std::size_t n = text.size();
    std::size_t p = 0;
    while (p < n) {
      while (p < n && (text[p] == u'&' || data->IsDelimiterW(text[p]) || IsApostrophe(text[p]))) ++p;
      if (p >= n) break;
      const std::size_t start = p;
      while (p < n && text[p] != u'&' && !data->IsDelimiterW(text[p]) &&
             !(IsApostrophe(text[p]) && (p + 1 >= n || data->IsDelimiterW(text[p + 1]))))
        ++p;
      bool misspelled = false;
      Checker(Sender, text.substr(start, p - start), item->StyleNo, misspelled);
      benchmark::DoNotOptimize(misspelled);
    }
  }
}

void BM_LiveSpellingPass_PlainLoop(benchmark::State& state) {
  TSpellDoc& d = Doc();
  long long words = 0;
  for (auto _ : state) {
    d.Words = 0;
    CheckEveryWord(d.V->GetRVData(), d.V.get(), d.Checker);
    words = d.Words;
  }
  state.counters["words"] = static_cast<double>(words);
  state.counters["words/s"] =
      benchmark::Counter(static_cast<double>(words), benchmark::Counter::kIsIterationInvariantRate);
}

// ---- with the spelling component as the checker ----

struct THunSpellDoc {
  TRVStyle Sheet{nullptr};
  TRVHunSpell Speller{nullptr};
  std::unique_ptr<TViroZere> V;
  std::function<void(TObject*, const TRVUnicodeString&, int, bool&)> Checker;
  std::atomic<long long> Words{0}, MisspelledWords{0};
  bool Loaded = false;

  THunSpellDoc() {
    SetGeneratedDocumentStyles(Sheet);
    Speller.SetDictDir(u"/usr/share/hunspell");
    Loaded = Speller.GetDictionaries()->Add()->Load(u"en_US") && Speller.GetDictionaries()->Add()->Load(u"ru_RU");
    V = std::make_unique<TViroZere>(nullptr);
    V->SetStyle(&Sheet);
    GenerateDocument(*V->GetRVData(), {.Seed = 7, .Pages = 300, .Pictures = true});
    // The component's check, counted.
    RVConnectLiveSpelling(V.get(), &Speller);
    auto check = V->OnSpellingCheck;
    Checker = [this, check](TObject* Sender, const TRVUnicodeString& Word, int StyleNo, bool& Misspelled) {
      check(Sender, Word, StyleNo, Misspelled);
      ++Words;
      if (Misspelled) ++MisspelledWords;
    };
    V->OnSpellingCheck = Checker;
  }
};

THunSpellDoc& HunSpellDoc() {
  static THunSpellDoc* doc = new THunSpellDoc();
  return *doc;
}

void BM_LiveSpellingPass_HunSpell(benchmark::State& state) {
  THunSpellDoc& d = HunSpellDoc();
  if (!d.Loaded) {
    state.SkipWithError("the en_US and ru_RU dictionaries (hunspell-en-us, hunspell-ru) are needed");
    return;
  }
  long long words = 0, misspelled = 0;
  for (auto _ : state) {
    d.Words = 0;
    d.MisspelledWords = 0;
    d.V->StartLiveSpelling();
    TRVWordEnumThread* t = d.V->GetRootWordEnumThread();
    while (!(t->GetSuspended() && t->GetWorkingStatus() == 0)) CheckSynchronize(10);
    words = d.Words;
    misspelled = d.MisspelledWords;
  }
  state.counters["words"] = static_cast<double>(words);
  state.counters["misspelled"] = static_cast<double>(misspelled);
  state.counters["words/s"] =
      benchmark::Counter(static_cast<double>(words), benchmark::Counter::kIsIterationInvariantRate);
}

// The peer: the same words asked of the component in a plain loop on this thread.
void BM_LiveSpellingPass_HunSpellPlainLoop(benchmark::State& state) {
  THunSpellDoc& d = HunSpellDoc();
  if (!d.Loaded) {
    state.SkipWithError("the en_US and ru_RU dictionaries (hunspell-en-us, hunspell-ru) are needed");
    return;
  }
  long long words = 0;
  for (auto _ : state) {
    d.Words = 0;
    CheckEveryWord(d.V->GetRVData(), d.V.get(), d.Checker);
    words = d.Words;
  }
  state.counters["words"] = static_cast<double>(words);
  state.counters["words/s"] =
      benchmark::Counter(static_cast<double>(words), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(BM_LiveSpellingPass)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveSpellingPass_PlainLoop)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveSpellingPass_HunSpell)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveSpellingPass_HunSpellPlainLoop)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
