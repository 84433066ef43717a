// The editor's live spelling with the spelling component as its checker: in a document of
// English and Russian paragraphs it marks exactly the words the hunspell tool rejects (the
// answers of tests/data/spelling), and it checks a word typed afterwards once typing pauses.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVWordPainter.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVWordEnumThread.h"
#include "platform/base/SysUtils.h"
#include "platform/base/Threads.h"
#include "platform/ui/Messages.h"
#include "spelling/RVHunSpell.h"

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

std::vector<std::string> Lines(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::vector<std::string> r;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) r.push_back(line);
  return r;
}

// The words the tool rejects, from its "-a" answers beside the word list.
std::set<std::string> Rejected(const std::string& Words, const std::string& Answers) {
  const fs::path data = fs::path(TAVRELO_TEST_DATA) / "spelling";
  const std::vector<std::string> words = Lines(data / Words), answers = Lines(data / Answers);
  std::set<std::string> r;
  for (std::size_t i = 0; i < words.size() && i < answers.size(); ++i)
    if (answers[i][0] == '&' || answers[i][0] == '#') r.insert(words[i]);
  return r;
}

class LiveSpellHunSpell : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!fs::exists("/usr/share/hunspell/en_US.dic") || !fs::exists("/usr/share/hunspell/ru_RU.dic")) return;
    Speller = new TRVHunSpell(nullptr);
    Speller->SetCustomDictionaryFileName(
        Utf8ToUnicode((fs::path(TAVRELO_TEST_OUTPUT) / "spelling-live-customdic.txt").string()));
    Speller->GetDictionaries()->Add()->Load(u"en_US");
    Speller->GetDictionaries()->Add()->Load(u"ru_RU");
  }
  static void TearDownTestSuite() {
    delete Speller;
    Speller = nullptr;
  }

  void SetUp() override {
    if (!Speller) GTEST_SKIP() << "the Debian dictionaries hunspell-en-us and hunspell-ru are not installed";
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    Sheet.TextStyles()->Add();
    Sheet.ParaStyles()->Add();
    Editor = std::make_unique<TViroZereEdit>(nullptr);
    Editor->SetBounds(0, 0, 600, 400);
    Editor->SetStyle(&Sheet);
    Editor->OnSpellingCheck = [](TObject*, const TRVUnicodeString& Word, int, bool& Misspelled) {
      Misspelled = !Speller->Spell(Word);
    };
  }
  void TearDown() override {
    if (Editor) Editor->EndLiveSpellingThread();
  }

  TRVEditRVData* Data() { return Editor->GetEditRVData(); }

  // Serves the worker's synchronised calls until it has parked after its pass.
  bool WaitParked(int Seconds = 60) {
    const auto end = TClock::now() + std::chrono::seconds(Seconds);
    while (TClock::now() < end) {
      CheckSynchronize(5);
      TRVWordEnumThread* t = Editor->GetRootWordEnumThread();
      if (t && t->GetSuspended() && t->GetWorkingStatus() == 0 && PendingSynchronizeCount() == 0) return true;
    }
    return false;
  }

  // The marked words of the whole document.
  std::multiset<std::string> MarkedWords() {
    std::multiset<std::string> r;
    for (int i = 0; i < Data()->ItemCount(); ++i) {
      TCustomRVItemInfo* item = Data()->GetItem(i);
      if (!item->WordPaintList) continue;
      const TRVUnicodeString& text = Data()->GetItemTextW(i);
      for (int k = 0; k < item->WordPaintList->Count(); ++k) {
        const TRVWordPainter* p = item->WordPaintList->Get(k);
        r.insert(UnicodeToUtf8(
            text.substr(static_cast<std::size_t>(p->StartOffs - 1), static_cast<std::size_t>(p->Length))));
      }
    }
    return r;
  }

  static TRVHunSpell* Speller;
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;
};

TRVHunSpell* LiveSpellHunSpell::Speller = nullptr;

TEST_F(LiveSpellHunSpell, MarksExactlyTheWordsTheToolRejects) {
  const fs::path data = fs::path(TAVRELO_TEST_DATA) / "spelling";
  const std::vector<std::string> en = Lines(data / "en_US.words"), ru = Lines(data / "ru_RU.words");
  // Paragraphs of five words, English and Russian in turn, and one that mixes the two.
  std::multiset<std::string> expected;
  const std::set<std::string> rejected = [] {
    std::set<std::string> r = Rejected("en_US.words", "en_US.answers");
    r.merge(Rejected("ru_RU.words", "ru_RU.answers"));
    return r;
  }();
  auto paragraphs = [&](const std::vector<std::string>& words) {
    for (std::size_t i = 0; i < words.size(); i += 5) {
      std::string text;
      for (std::size_t k = i; k < words.size() && k < i + 5; ++k) {
        text += (text.empty() ? "" : k % 3 ? " " : ", ") + words[k];
        if (words[k].size() > 1 && rejected.count(words[k])) expected.insert(words[k]);
      }
      Data()->AddNL(Utf8ToUnicode(text + "."), 0, 0);
    }
  };
  paragraphs(en);
  paragraphs(ru);
  Data()->AddNL(u"Mixed: hello привет wrold превет.", 0, 0);
  expected.insert({"wrold", "превет"});
  Editor->HandleNeeded();
  Editor->Format();
  Editor->StartLiveSpelling();
  ASSERT_TRUE(WaitParked());
  EXPECT_GT(expected.size(), 30u);
  EXPECT_EQ(MarkedWords(), expected);
}

TEST_F(LiveSpellHunSpell, TypedWordIsCheckedAfterTypingPauses) {
  Data()->AddNL(u"A good line.", 0, 0);
  Data()->AddNL(u"Another one", 0, 0);
  Editor->HandleNeeded();
  Editor->Format();
  Editor->StartLiveSpelling();
  ASSERT_TRUE(WaitParked());
  EXPECT_TRUE(MarkedWords().empty());
  Data()->SetCaretAtItem(1, 12);
  Data()->ChangeCaret(false, false, false, false);
  for (char16_t c : std::u16string(u" wrold and превет ")) {
    Editor->Perform(WM_CHAR, c, 0);
    CheckSynchronize(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(Data()->GetItemTextW(1), u"Another one wrold and превет ");
  ASSERT_TRUE(WaitParked());
  EXPECT_EQ(MarkedWords(), (std::multiset<std::string>{"wrold", "превет"}));
}

}  // namespace
