// Live spelling in the editor: the worker's pass over the document with a checker that answers
// from a word list, how it cuts text into words, how it waits while the user types and resumes
// from the edited item, and stopping it (also by destroying the editor) while it waits for the GUI
// thread inside a synchronised call.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/document/RVBreakItem.h"
#include "engine/document/RVNoteItems.h"
#include "engine/editor/EditorTestUtil.h"
#include "engine/viewer/RVWordEnumThread.h"
#include "platform/base/Threads.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "support/TwoBoxesItem.h"

namespace {

using TClock = std::chrono::steady_clock;

// Ends the program when a test hangs (a deadlock would otherwise stop the whole run silently).
class TWatchdog {
 public:
  explicit TWatchdog(int Seconds)
      : FThread([this, Seconds] {
          std::unique_lock<std::mutex> l(FLock);
          if (!FCv.wait_for(l, std::chrono::seconds(Seconds), [this] { return FDone; })) {
            std::fprintf(stderr, "live-spelling test hung\n");
            std::abort();
          }
        }) {}
  ~TWatchdog() {
    {
      std::lock_guard<std::mutex> l(FLock);
      FDone = true;
    }
    FCv.notify_all();
    FThread.join();
  }

 private:
  std::mutex FLock;
  std::condition_variable FCv;
  bool FDone = false;
  std::thread FThread;
};

struct LiveSpellEditor : EditorFixture {
  // What the checker saw: each word with the time it was asked.
  struct TCall {
    std::string Word;
    TClock::time_point At;
  };
  std::mutex CallsLock;
  std::vector<TCall> Calls;
  std::set<std::u16string> Rejected{u"teh"};

  void SetUp() override {
    EditorFixture::SetUp();
    Editor->OnSpellingCheck = [this](TObject*, const TRVUnicodeString& Word, int, bool& Misspelled) {
      {
        std::lock_guard<std::mutex> l(CallsLock);
        Calls.push_back({ToUtf8(Word), TClock::now()});
      }
      Misspelled = Rejected.count(Word) > 0;
    };
  }
  void TearDown() override {
    // The worker goes before the handler's captures.
    if (Editor) Editor->EndLiveSpellingThread();
  }

  TRVWordEnumThread* Worker() { return Editor->GetRootWordEnumThread(); }

  std::vector<std::string> CheckedWords(std::size_t From = 0) {
    std::lock_guard<std::mutex> l(CallsLock);
    std::vector<std::string> r;
    for (std::size_t i = From; i < Calls.size(); ++i) r.push_back(Calls[i].Word);
    return r;
  }
  std::size_t CallCount() {
    std::lock_guard<std::mutex> l(CallsLock);
    return Calls.size();
  }

  // Serves the worker's synchronised calls until it has parked after its pass.
  bool WaitParked(int Seconds = 20) {
    const auto end = TClock::now() + std::chrono::seconds(Seconds);
    while (TClock::now() < end) {
      CheckSynchronize(5);
      TRVWordEnumThread* t = Worker();
      if (t && t->GetSuspended() && t->GetWorkingStatus() == 0 && PendingSynchronizeCount() == 0) return true;
    }
    return false;
  }

  void Start() {
    Editor->HandleNeeded();
    Editor->Format();
    Editor->StartLiveSpelling();
  }

  // The misspelling marks of an item as "offset:length" pairs.
  std::vector<std::string> Marks(int ItemNo) {
    std::vector<std::string> r;
    TCustomRVItemInfo* item = Data->GetItem(ItemNo);
    if (!item->WordPaintList) return r;
    for (int i = 0; i < item->WordPaintList->Count(); ++i) {
      const TRVWordPainter* p = item->WordPaintList->Get(i);
      r.push_back(std::to_string(p->StartOffs) + ":" + std::to_string(p->Length));
    }
    return r;
  }
};

using Words = std::vector<std::string>;

TEST_F(LiveSpellEditor, PassMarksTheRejectedWordOnceAndParks) {
  Add(u"Fix teh bug", 0, 0);
  Add(u"all good", 0, 0);
  Start();
  ASSERT_NE(Worker(), nullptr);
  ASSERT_TRUE(WaitParked());
  EXPECT_EQ(CheckedWords(), (Words{"Fix", "teh", "bug", "all", "good"}));
  EXPECT_EQ(Marks(0), (Words{"5:3"}));
  EXPECT_TRUE(Marks(1).empty());
  EXPECT_TRUE(Data->GetItem(0)->IsMisspelled(5));
  EXPECT_FALSE(Data->GetItem(0)->IsMisspelled(4));
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(Data->GetItem(i)->ItemState.Contains(rvisSpellChecked)) << i;
  // A parked worker stays parked: nothing is checked again.
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
  CheckSynchronize(0);
  EXPECT_EQ(CallCount(), 5u);
}

TEST_F(LiveSpellEditor, NoHandlerNoWorker) {
  Editor->OnSpellingCheck = nullptr;
  Add(u"teh", 0, 0);
  Start();
  EXPECT_EQ(Worker(), nullptr);
  EXPECT_TRUE(Marks(0).empty());
}

// Words as the worker cuts them: apostrophes, ampersands, hyperlinks to addresses and symbol
// fonts (the last two yield no words at all).
TEST_F(LiveSpellEditor, WordBoundaries) {
  Sheet.TextStyles()->Items(1)->Jump = true;
  Sheet.TextStyles()->Items(2)->Charset = SYMBOL_CHARSET;
  struct Case {
    const char16_t* Text;
    int StyleNo;
    Words Expected;
  } cases[] = {
      {u"don't stop", 0, {"don't", "stop"}},
      {u"the dogs'", 0, {"the", "dogs"}},
      {u"'quoted' word", 0, {"quoted", "word"}},
      {u"a&b", 0, {"a", "b"}},
      {u"rock'&roll", 0, {"rock'", "roll"}},
      {u"tab\tsep, comma", 0, {"tab", "sep", "comma"}},
      {u"me@example.com", 1, {}},
      {u"http://example.com", 1, {}},
      {u"plain link text", 1, {"plain", "link", "text"}},
      {u"teh symbols", 2, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.Text));
    Editor->EndLiveSpellingThread();
    Data->Clear();
    {
      std::lock_guard<std::mutex> l(CallsLock);
      Calls.clear();
    }
    Add(c.Text, c.StyleNo, 0);
    Start();
    ASSERT_TRUE(WaitParked());
    EXPECT_EQ(CheckedWords(), c.Expected);
  }
}

// Keys every few milliseconds keep the worker waiting: no word is checked sooner than 50 ms after
// a key. Afterwards it checks the edited item only, from its start, and marks the typed word.
TEST_F(LiveSpellEditor, TypingKeepsTheWorkerIdleThenItResumesAtTheEditedItem) {
  TWatchdog watchdog(60);
  Add(u"one two", 0, 0);
  Add(u"three teh", 0, 0);
  Add(u"four", 0, 0);
  Start();
  ASSERT_TRUE(WaitParked());
  ASSERT_EQ(Marks(1), (Words{"7:3"}));
  const std::size_t before = CallCount();

  Data->SetCaretAtItem(2, 5);
  Data->ChangeCaret(false, false, false, false);
  std::vector<TClock::time_point> keys;
  for (char16_t c : std::u16string(u" teh ")) {
    Editor->Perform(WM_CHAR, c, 0);
    keys.push_back(TClock::now());
    // The GUI thread keeps serving calls while the user types.
    CheckSynchronize(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(Worker()->IsDelaying() || Worker()->GetSuspended());
  }
  ASSERT_EQ(Data->GetItemTextW(2), u"four teh ");
  ASSERT_TRUE(WaitParked());

  std::vector<TCall> after;
  {
    std::lock_guard<std::mutex> l(CallsLock);
    after.assign(Calls.begin() + static_cast<std::ptrdiff_t>(before), Calls.end());
  }
  for (const TCall& call : after) {
    // The key just before this call came at least 50 ms earlier.
    TClock::time_point last{};
    for (TClock::time_point k : keys)
      if (k <= call.At) last = k;
    EXPECT_GE(call.At - last, TRVWordEnumThread::EditPause) << call.Word;
  }
  EXPECT_EQ(CheckedWords(before), (Words{"four", "teh"}));
  EXPECT_EQ(Marks(1), (Words{"7:3"}));
  EXPECT_EQ(Marks(2), (Words{"6:3"}));
}

// Letters typed into a checked item are not checked while the caret stays in the word; a click
// or a caret key checks the item again, keeping the marks it has.
TEST_F(LiveSpellEditor, AWordTypedIntoIsCheckedWhenTheCaretMovesOn) {
  TWatchdog watchdog(60);
  const std::function<void(LiveSpellEditor&)> moves[] = {
      [](LiveSpellEditor& t) { t.Data->LiveSpellingCheckCurrent(); },
      [](LiveSpellEditor& t) {
        t.Editor->Perform(WM_KEYDOWN, VK_LEFT, 0);
        t.Editor->Perform(WM_KEYUP, VK_LEFT, 0);
      },
  };
  for (const auto& move : moves) {
    Editor->EndLiveSpellingThread();
    Data->Clear();
    Add(u"teh te", 0, 0);
    Start();
    ASSERT_TRUE(WaitParked());
    ASSERT_EQ(Marks(0), (Words{"1:3"}));
    Data->SetCaretAtItem(0, 7);
    Data->ChangeCaret(false, false, false, false);
    Editor->Perform(WM_CHAR, u'h', 0);
    ASSERT_EQ(Data->GetItemTextW(0), u"teh teh");
    ASSERT_TRUE(WaitParked());
    EXPECT_EQ(Marks(0), (Words{"1:3"}));
    const std::size_t before = CallCount();
    move(*this);
    ASSERT_TRUE(WaitParked());
    EXPECT_EQ(CheckedWords(before), (Words{"teh"}));
    EXPECT_EQ(Marks(0), (Words{"1:3", "5:3"}));
  }
}

// A worker that waits in a synchronised call (the GUI thread is busy elsewhere and serves no
// calls) neither deadlocks an edit's stop nor the editor's destruction; nothing stays queued.
TEST_F(LiveSpellEditor, StoppingWhileTheWorkerWaitsInASynchronisedCall) {
  TWatchdog watchdog(60);
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroying the editor" : "an edit");
    Editor->EndLiveSpellingThread();
    Data->Clear();
    Add(u"teh teh teh teh", 0, 0);
    Start();
    // The worker asks the GUI thread to mark the first word and waits for it.
    const auto end = TClock::now() + std::chrono::seconds(20);
    while (PendingSynchronizeCount() == 0 && TClock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GT(PendingSynchronizeCount(), 0);
    if (destroy) {
      Editor.reset();
    } else {
      Data->SetCaretAtItem(0, 1);
      Data->ChangeCaret(false, false, false, false);
      Editor->InsertText(u"x ");
      EXPECT_EQ(Data->GetItemTextW(0), u"x teh teh teh teh");
      ASSERT_TRUE(WaitParked());
      EXPECT_EQ(Marks(0), (Words{"3:3", "7:3", "11:3", "15:3"}));
    }
    EXPECT_EQ(PendingSynchronizeCount(), 0);
  }
}

// Set-back requests keep the earliest position; a finished worker ignores stops.
TEST_F(LiveSpellEditor, SetBacksKeepTheEarliestPositionAndAFinishedWorkerIgnoresStops) {
  for (const char16_t* t : {u"a", u"b", u"c", u"d", u"e", u"f"}) Add(t, 0, 0);
  Start();
  ASSERT_TRUE(WaitParked());
  TRVWordEnumThread* t = Worker();
  t->Stop(false, false);
  t->LaterSetBackTo(Data, 5, 1);
  t->LaterSetBackTo(Data, 2, 2);
  t->LaterSetBackTo(Data, 4, 1);
  t->LaterSetBackTo(Data, 2, 3);
  t->ContinueCheckWithoutResuming();
  EXPECT_TRUE(t->IsAt(Data, 2));
  // A position after the worker's is kept for later, not taken.
  t->LaterSetBackTo(Data, 4, 1);
  t->ContinueCheckWithoutResuming();
  EXPECT_TRUE(t->IsAt(Data, 2));

  t->Finish();
  t->Finish();
  t->WaitFor();
  EXPECT_EQ(t->GetWorkingStatus(), 3);
  t->Stop(true, true);
  EXPECT_EQ(t->GetWorkingStatus(), 3);
}

// An error of the handler ends the pass; it reaches the caller that clears the results, and the
// editor's destruction (which cannot raise) drops it.
TEST_F(LiveSpellEditor, AHandlersErrorEndsThePassAndReachesWhoClearsTheResults) {
  TWatchdog watchdog(60);
  Editor->OnSpellingCheck = [](TObject*, const TRVUnicodeString& Word, int, bool&) {
    if (Word == u"boom") throw std::runtime_error("checker failed");
  };
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroying the editor" : "clearing the results");
    Data->Clear();
    Add(u"fine boom later", 0, 0);
    Start();
    while (Worker()->GetWorkingStatus() != 3) CheckSynchronize(5);
    if (destroy) {
      EXPECT_NO_THROW(Editor.reset());
    } else {
      EXPECT_THROW(Editor->ClearLiveSpellingResults(), std::runtime_error);
      EXPECT_EQ(Worker(), nullptr);
    }
  }
}

// The pass goes into the documents an item holds and comes back after the item; a document that
// goes away while the worker walks it (or holds its pending place) restarts the pass.
TEST_F(LiveSpellEditor, NestedDocumentsAreWalkedInOrder) {
  Add(u"one", 0, 0);
  auto* holder = new TTwoBoxesItem(Data);
  holder->Boxes[0]->AddNL(u"teh in box", 0, 0);
  holder->Boxes[1]->AddNL(u"second teh", 0, 0);
  Data->AddItem(u"", holder);
  Add(u"last teh", 0, 0);
  Start();
  ASSERT_TRUE(WaitParked());
  EXPECT_EQ(CheckedWords(), (Words{"one", "teh", "in", "box", "second", "teh", "last", "teh"}));
  EXPECT_TRUE(holder->Boxes[0]->GetItem(0)->IsMisspelled(1));
  EXPECT_TRUE(holder->Boxes[1]->GetItem(0)->IsMisspelled(8));
  EXPECT_TRUE(Data->GetItem(2)->IsMisspelled(6));

  // A pending place in a document that goes away is dropped, not entered.
  TRVWordEnumThread* t = Worker();
  t->Stop(false, false);
  t->LaterSetBackTo(holder->Boxes[1].get(), 0, 0);
  t->RemoveRVData(holder->Boxes[1].get());
  t->ContinueCheckWithoutResuming();
  EXPECT_TRUE(t->IsAt(Data, 0));

  t->DoContinueCheck();
  ASSERT_TRUE(WaitParked());
  t->Stop(false, false);
  t->LaterSetBackTo(holder->Boxes[0].get(), 0, 0);
  t->ContinueCheckWithoutResuming();
  ASSERT_TRUE(t->IsAt(holder->Boxes[0].get(), 0));
  t->RemoveRVData(holder->Boxes[0].get());
  t->ContinueCheckWithoutResuming();
  EXPECT_TRUE(t->IsAt(Data, 0));
}

}  // namespace
