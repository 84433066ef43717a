// Checking every word of the generated 300-page document (tests/support/GeneratedDocument.h),
// with a quarter as many Russian paragraphs added, through the spelling component with the
// English and Russian dictionaries of /usr/share/hunspell, beside the same words handed straight
// to the library through the platform's Hunspell layer (the words already in UTF-8, the two
// dictionaries asked in the same order) in the same program. The difference is the component's
// own cost: its lock, the word lists, and recoding each word from UTF-16.
// - BM_SpellDocument: TRVHunSpell::Spell on every word, no language given;
// - BM_SpellDocument_Library: hunspell_spell on each dictionary until one accepts the word;
// - BM_LiveSpellingPass_Hunspell: the viewer's live-spelling pass over the same document with the
//   component as its checker (the worker thread runs while the main thread waits for it to park,
//   so the figure is the process's CPU time), beside BM_SpellDocument, the same checks in a loop.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "engine/viewer/RVWordEnumThread.h"
#include "platform/base/HunspellLayer.h"
#include "platform/base/SysUtils.h"
#include "platform/base/Threads.h"
#include "spelling/RVHunSpell.h"
#include "support/GeneratedDocument.h"

#include "SpellBenchCommon.h"

namespace {

// clang-format off
const char16_t* const kRussian[] = {
    u"и", u"в", u"не", u"на", u"что", u"с", u"по", u"это", u"как", u"он", u"документ", u"страница",
    u"абзац", u"река", u"камень", u"книга", u"счёт", u"столбец", u"квартал", u"между", u"соглашение",
    u"обстоятельства", u"ответственность", u"приблизительно", u"значительный", u"развитие",
    u"правительство", u"информация", u"опыт", u"окружающая", u"различный", u"важный", u"следующий",
    u"без", u"через", u"потому", u"однако", u"пример", u"вопрос", u"дети", u"утро", u"вечер", u"окно",
    u"гавань", u"библиотека", u"фонарь", u"сад", u"луг", u"деревня", u"путешествие", u"кухня",
    u"погода", u"письмо", u"число", u"люди", u"маленький", u"должен", u"вокруг", u"после", u"под",
    u"годы", u"государство", u"мир", u"дом", u"вода", u"свет", u"большой", u"великий", u"ранний",
    u"часто", u"никогда", u"снова", u"ещё", u"довольно", u"Москва", u"Новосибирск", u"Тавреллопад",
    u"превет", u"малако", u"харошый", u"сабака"};
// clang-format on
constexpr int kRussianSize = sizeof kRussian / sizeof *kRussian;

// The generated document and Russian paragraphs of 40 to 120 words, a quarter as many.
void BuildDocument(TCustomRVData& Doc) {
  const TGeneratedDocumentInfo info = GenerateDocument(Doc, {.Seed = 7, .Pages = 300, .Pictures = false});
  TGenRandom r(11);
  for (int p = 0; p < info.Paragraphs / 4; ++p) {
    std::u16string s;
    for (int w = r.Range(40, 120); w > 0; --w) {
      if (!s.empty()) s += r.Chance(8) ? u", " : u" ";
      s += kRussian[r.Range(0, kRussianSize - 1)];
    }
    Doc.AddNL(s + u".", gtsBody, gpsBody);
  }
}

struct TSpellWords {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TRVPlainRootData> Doc;
  std::vector<TRVUnicodeString> Words;
  std::vector<std::string> Utf8;
  std::unique_ptr<TRVHunSpell> Speller;
  std::vector<void*> Handles;  // the peer's own dictionaries
  bool Ready = false;

  TSpellWords() {
    SetGeneratedDocumentStyles(Sheet);
    Doc = std::make_unique<TRVPlainRootData>(&Sheet);
    BuildDocument(*Doc);
    // The words as the live spelling cuts them: at delimiters, "&" and edge apostrophes.
    ForEachSpellingWord(*Doc, [this](const TRVUnicodeString& Word, int) {
      Words.push_back(Word);
      Utf8.push_back(UnicodeToUtf8(Word));
    });
    Speller = std::make_unique<TRVHunSpell>(nullptr);
    Speller->SetCustomDictionaryFileName(u"/nonexistent/customdic.txt");
    Speller->SetDictDir(u"/usr/share/hunspell");
    for (const char16_t* language : {u"en_US", u"ru_RU"}) {
      if (!Speller->GetDictionaries()->Add()->Load(language)) return;
      const std::string base = "/usr/share/hunspell/" + UnicodeToUtf8(language);
      Handles.push_back(hunspell_initialize((base + ".aff").c_str(), (base + ".dic").c_str()));
      if (!Handles.back()) return;
    }
    Ready = true;
  }
};

TSpellWords& Words() {
  static TSpellWords* words = new TSpellWords();
  return *words;
}

void BM_SpellDocument(benchmark::State& state) {
  TSpellWords& w = Words();
  if (!w.Ready) return state.SkipWithError("the Debian dictionaries en_US and ru_RU are not installed");
  long long misspelled = 0;
  for (auto _ : state) {
    misspelled = 0;
    for (const TRVUnicodeString& word : w.Words) misspelled += !w.Speller->Spell(word);
  }
  ReportWords(state, static_cast<double>(w.Words.size()), static_cast<double>(misspelled));
}

void BM_SpellDocument_Library(benchmark::State& state) {
  TSpellWords& w = Words();
  if (!w.Ready) return state.SkipWithError("the Debian dictionaries en_US and ru_RU are not installed");
  long long misspelled = 0;
  for (auto _ : state) {
    misspelled = 0;
    for (std::size_t i = 0; i < w.Utf8.size(); ++i) {
      // The component's rule for words of one code unit, so that both ask about the same words.
      if (w.Words[i].size() < 2) continue;
      bool correct = false;
      for (void* h : w.Handles)
        if ((correct = hunspell_spell(h, w.Utf8[i].c_str()) != 0)) break;
      misspelled += !correct;
    }
  }
  ReportWords(state, static_cast<double>(w.Words.size()), static_cast<double>(misspelled));
}

// A viewer with the same paragraphs, whose live spelling asks the component. Kept until the
// process ends: windows cannot be destroyed after the application object.
struct TLiveSpelling {
  std::unique_ptr<TViroZere> V;
  long long Words = 0, Misspelled = 0;

  explicit TLiveSpelling(TSpellWords& w) {
    V = std::make_unique<TViroZere>(nullptr);
    V->SetStyle(&w.Sheet);
    BuildDocument(*V->GetRVData());
    V->OnSpellingCheck = [this, &w](TObject*, const TRVUnicodeString& Word, int, bool& Misspelled) {
      ++Words;
      Misspelled = !w.Speller->Spell(Word);
      if (Misspelled) ++this->Misspelled;
    };
  }
};

void BM_LiveSpellingPass_Hunspell(benchmark::State& state) {
  TSpellWords& w = Words();
  if (!w.Ready) return state.SkipWithError("the Debian dictionaries en_US and ru_RU are not installed");
  static TLiveSpelling* live = new TLiveSpelling(w);
  for (auto _ : state) {
    live->Words = live->Misspelled = 0;
    RunLiveSpellingPass(*live->V);
  }
  ReportWords(state, static_cast<double>(live->Words), static_cast<double>(live->Misspelled));
}

}  // namespace

BENCHMARK(BM_LiveSpellingPass_Hunspell)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpellDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpellDocument_Library)->Unit(benchmark::kMillisecond);
