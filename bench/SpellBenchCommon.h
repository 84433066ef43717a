// Shared by the spelling benchmark programs: the words of a document as the live spelling cuts
// them, one live-spelling pass run to its end, and the word counters.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>

#include "engine/document/CustomRVData.h"
#include "engine/foundation/RVUni.h"
#include "engine/viewer/RVViroZere.h"
#include "engine/viewer/RVWordEnumThread.h"
#include "platform/base/Threads.h"

namespace {

// Calls Word(Text, StyleNo) on every word of the text items of Data, cut as the live spelling's
// worker cuts them: at delimiters, "&" and apostrophes at a word's edges.
template <class TWord>
void ForEachSpellingWord(TCustomRVData& Data, TWord&& Word) {
  for (int i = 0; i < Data.ItemCount(); ++i) {
    const int styleNo = Data.GetItem(i)->StyleNo;
    if (styleNo < 0) continue;
    const TRVUnicodeString& text = Data.GetItemTextW(i);
    const std::size_t n = text.size();
    std::size_t p = 0;
    while (p < n) {
      while (p < n && (text[p] == u'&' || Data.IsDelimiterW(text[p]) || IsApostrophe(text[p]))) ++p;
      if (p >= n) break;
      const std::size_t start = p;
      while (p < n && text[p] != u'&' && !Data.IsDelimiterW(text[p]) &&
             !(IsApostrophe(text[p]) && (p + 1 >= n || Data.IsDelimiterW(text[p + 1]))))
        ++p;
      Word(text.substr(start, p - start), styleNo);
    }
  }
}

// Starts the viewer's live spelling and serves the worker until it has parked after its pass.
inline void RunLiveSpellingPass(TCustomViroZere& V) {
  V.StartLiveSpelling();
  TRVWordEnumThread* t = V.GetRootWordEnumThread();
  while (!(t->GetSuspended() && t->GetWorkingStatus() == 0)) CheckSynchronize(10);
}

// The words checked an iteration and the words a second.
inline void ReportWords(benchmark::State& state, double words) {
  state.counters["words"] = words;
  state.counters["words/s"] = benchmark::Counter(words, benchmark::Counter::kIsIterationInvariantRate);
}

// The same with the words found misspelled.
inline void ReportWords(benchmark::State& state, double words, double misspelled) {
  ReportWords(state, words);
  state.counters["misspelled"] = misspelled;
}

}  // namespace
