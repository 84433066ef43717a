// Live spelling with the spelling component as the checker: the editor's pass over a document of
// English and Russian paragraphs marks exactly the words the hunspell tool rejects with the same
// dictionaries (tests/data/spelling/live_mixed.rejected holds the tool's answer:
// hunspell -d en_US,ru_RU -l live_mixed.txt; the word lists beside it hold its "-a" answers), and
// an edited word is checked again once typing pauses and the caret moves on.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/foundation/RVUni.h"
#include "engine/viewer/RVWordEnumThread.h"
#include "platform/base/Threads.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "spelling/RVHunSpellHelper.h"
#include "spelling/SpellEditorFixture.h"

namespace {

std::vector<std::string> ReadLines(const std::string& Name) {
  std::ifstream f(std::string(TAVRELO_TEST_DATA) + "/spelling/" + Name);
  std::vector<std::string> r;
  for (std::string line; std::getline(f, line);)
    if (!line.empty()) r.push_back(line);
  return r;
}

// The words of the list the tool rejects, from its "-a" answers beside it.
std::set<std::string> Rejected(const std::string& Words, const std::string& Answers) {
  const std::vector<std::string> words = ReadLines(Words), answers = ReadLines(Answers);
  std::set<std::string> r;
  for (std::size_t i = 0; i < words.size() && i < answers.size(); ++i)
    if (answers[i][0] == '&' || answers[i][0] == '#') r.insert(words[i]);
  return r;
}

struct LiveSpellingTest : SpellEditorFixture {
  std::unique_ptr<TRVHunSpell> Speller;

  void SetUp() override {
    SpellEditorFixture::SetUp();
    Speller = std::make_unique<TRVHunSpell>(nullptr);
    const std::string dic = std::string(TAVRELO_TEST_OUTPUT) + "/livespelling_customdic.txt";
    std::remove(dic.c_str());  // nothing left from an earlier run
    Speller->SetCustomDictionaryFileName(TRVUnicodeString(dic.begin(), dic.end()));
    Speller->SetDictDir(u"/usr/share/hunspell");
    for (const char16_t* lang : {u"en_US", u"ru_RU"})
      ASSERT_TRUE(Speller->GetDictionaries()->Add()->Load(lang)) << ToUtf8(lang);
    RVConnectLiveSpelling(Editor.get(), Speller.get());
  }
  void TearDown() override {
    SpellEditorFixture::TearDown();  // the worker ends before the component goes
    Speller->CustomDic().Clear();
    Speller.reset();
  }

  bool WaitParked(int Seconds = 30) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
    while (std::chrono::steady_clock::now() < end) {
      CheckSynchronize(5);
      TRVWordEnumThread* t = Editor->GetRootWordEnumThread();
      if (t && t->GetSuspended() && t->GetWorkingStatus() == 0 && PendingSynchronizeCount() == 0) return true;
    }
    return false;
  }

  // Every marked word of the document, in document order.
  std::vector<std::string> MarkedWords() {
    std::vector<std::string> r;
    for (int i = 0; i < Data->ItemCount(); ++i) {
      TCustomRVItemInfo* item = Data->GetItem(i);
      if (!item->WordPaintList) continue;
      const TRVUnicodeString& text = Data->GetItemTextW(i);
      for (int k = 0; k < item->WordPaintList->Count(); ++k) {
        const TRVWordPainter* p = item->WordPaintList->Get(k);
        r.push_back(
            ToUtf8(text.substr(static_cast<std::size_t>(p->StartOffs - 1), static_cast<std::size_t>(p->Length))));
      }
    }
    return r;
  }

  void Key(WORD VKey) {
    Editor->Perform(WM_KEYDOWN, VKey, 0);
    Editor->Perform(WM_KEYUP, VKey, 0);
  }
};

TEST_F(LiveSpellingTest, MarksExactlyTheWordsTheToolRejects) {
  for (const std::string& line : ReadLines("live_mixed.txt")) Add(UTF8ToUnicode(line));
  Format();
  Editor->StartLiveSpelling();
  ASSERT_TRUE(WaitParked());
  EXPECT_EQ(MarkedWords(), ReadLines("live_mixed.rejected"));
}

// The whole word lists, in paragraphs of five words with commas between some, English and
// Russian in turn, and one paragraph that mixes the two.
TEST_F(LiveSpellingTest, MarksExactlyTheRejectedWordsOfTheWordLists) {
  std::set<std::string> rejected = Rejected("en_US.words", "en_US.answers");
  rejected.merge(Rejected("ru_RU.words", "ru_RU.answers"));
  std::vector<std::string> expected;
  for (const char* list : {"en_US.words", "ru_RU.words"}) {
    const std::vector<std::string> words = ReadLines(list);
    for (std::size_t i = 0; i < words.size(); i += 5) {
      std::string text;
      for (std::size_t k = i; k < words.size() && k < i + 5; ++k) {
        text += (text.empty() ? "" : k % 3 ? " " : ", ") + words[k];
        if (words[k].size() > 1 && rejected.count(words[k])) expected.push_back(words[k]);
      }
      Add(UTF8ToUnicode(text + "."));
    }
  }
  Add(u"Mixed: hello привет wrold превет.");
  expected.insert(expected.end(), {"wrold", "превет"});
  Format();
  Editor->StartLiveSpelling();
  ASSERT_TRUE(WaitParked(60));
  EXPECT_GT(expected.size(), 30u);
  EXPECT_EQ(MarkedWords(), expected);
}

TEST_F(LiveSpellingTest, AnEditedWordIsCheckedAgainAfterTypingPauses) {
  Add(u"The quick brwn fox");
  Add(u"jumps over the dog");
  Format();
  Editor->StartLiveSpelling();
  ASSERT_TRUE(WaitParked());
  ASSERT_EQ(MarkedWords(), (std::vector<std::string>{"brwn"}));

  // "brwn" corrected by typing "o" into it: checked again once the caret moves on.
  Data->SetCaretAtItem(0, 13);
  Data->ChangeCaret(false, false, false, false);
  Editor->Perform(WM_CHAR, u'o', 0);
  ASSERT_EQ(Data->GetItemTextW(0), u"The quick brown fox");
  Key(VK_RIGHT);
  ASSERT_TRUE(WaitParked());
  EXPECT_TRUE(MarkedWords().empty());

  // Wrong words typed at the end of the document, an English and a Russian one, are marked after
  // the pause; the worker's calls are served while the keys come.
  Data->SetCaretAtItem(1, 19);
  Data->ChangeCaret(false, false, false, false);
  for (char16_t c : std::u16string(u" qwk and превет ")) {
    Editor->Perform(WM_CHAR, c, 0);
    CheckSynchronize(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(Data->GetItemTextW(1), u"jumps over the dog qwk and превет ");
  ASSERT_TRUE(WaitParked());
  EXPECT_EQ(MarkedWords(), (std::vector<std::string>{"qwk", "превет"}));
}

}  // namespace
