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

#include "SpellBenchCommon.h"

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
    RunLiveSpellingPass(*d.V);
    words = d.Words;
  }
  ReportWords(state, static_cast<double>(words));
}

// The same words through the same checker, without a thread: every text item's text cut at
// delimiters, "&" and apostrophes as the worker cuts it.
template <class TChecker>
void CheckEveryWord(TCustomRVData* data, TObject* Sender, const TChecker& Checker) {
  ForEachSpellingWord(*data, [&](const TRVUnicodeString& Word, int StyleNo) {
    bool misspelled = false;
    Checker(Sender, Word, StyleNo, misspelled);
    benchmark::DoNotOptimize(misspelled);
  });
}

void BM_LiveSpellingPass_PlainLoop(benchmark::State& state) {
  TSpellDoc& d = Doc();
  long long words = 0;
  for (auto _ : state) {
    d.Words = 0;
    CheckEveryWord(d.V->GetRVData(), d.V.get(), d.Checker);
    words = d.Words;
  }
  ReportWords(state, static_cast<double>(words));
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
    RunLiveSpellingPass(*d.V);
    words = d.Words;
    misspelled = d.MisspelledWords;
  }
  ReportWords(state, static_cast<double>(words), static_cast<double>(misspelled));
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
  ReportWords(state, static_cast<double>(words));
}

}  // namespace

BENCHMARK(BM_LiveSpellingPass)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveSpellingPass_PlainLoop)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveSpellingPass_HunSpell)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveSpellingPass_HunSpellPlainLoop)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
