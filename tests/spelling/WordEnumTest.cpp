// The word enumerator: which words it visits and where it starts, how a replaced word or item
// text is put into the document (undoably) and where the walk goes on after it, and the
// documents that items hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/document/RVBreakItem.h"
#include "engine/document/RVNoteItems.h"
#include "platform/base/Classes.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Messages.h"
#include "spelling/RVHunSpellHelper.h"
#include "spelling/RVWordEnum.h"
#include "spelling/SpellEditorFixture.h"
#include "support/TwoBoxesItem.h"

namespace {

using Words = std::vector<std::u16string>;

// Records every word with its item and position; Answer may change it or stop the walk.
class TRecordingEnumerator : public TRVWordEnumerator {
 public:
  Words Seen;
  std::vector<int> Items;
  std::function<bool(TRecordingEnumerator&)> Answer;

  TRVUnicodeString& Word() { return FWord; }
  TRVUnicodeString& Text() { return FText; }
  void ChangeWord(const TRVUnicodeString& W) {
    FWord = W;
    FWordChanged = true;
  }
  void ChangeText(const TRVUnicodeString& T) {
    FText = T;
    FTextChanged = true;
  }
  void SetPauseEvery(int Words) { FCounterMax = Words; }
  int Start() const { return FStartOffs; }
  int End() const { return FEndOffs; }
  TFontInfo* FontStyle() const { return FFontStyle; }

 protected:
  bool ProcessWord() override {
    Seen.push_back(FWord);
    Items.push_back(FItemNo);
    return Answer ? Answer(*this) : true;
  }
};

struct WordEnumTest : SpellEditorFixture {
  TRecordingEnumerator Enum;

  Words RunFrom(TRVEnumScope Scope) {
    Enum.Seen.clear();
    Enum.Run(Editor.get(), Scope);
    return Enum.Seen;
  }
};

TEST_F(WordEnumTest, WordsAreCutAtDelimitersAmpersandsAndOuterApostrophes) {
  struct Case {
    const char16_t* Text;
    Words Expected;
  } const cases[] = {
      {u"don't stop", {u"don't", u"stop"}},
      {u"the dogs'", {u"the", u"dogs"}},
      {u"'quoted' word", {u"quoted", u"word"}},
      {u"it\u2019s o\u0092k", {u"it\u2019s", u"o\u0092k"}},
      {u"a&b", {u"a", u"b"}},
      {u"rock'&roll", {u"rock", u"roll"}},
      {u"tab\tsep, comma.  end", {u"tab", u"sep", u"comma", u"end"}},
      {u"double''quote", {u"double", u"quote"}},
      {u"  ", {}},
  };
  for (const Case& c : cases) {
    Data->Clear();
    Add(c.Text);
    Format();
    EXPECT_EQ(RunFrom(rvesFromStart), c.Expected) << ToUtf8(c.Text);
  }
}

TEST_F(WordEnumTest, SymbolFontsAndHiddenTextAreSkippedUnlessHiddenTextIsShown) {
  Sheet.TextStyles()->Items(1)->Charset = SYMBOL_CHARSET;
  Sheet.TextStyles()->Items(2)->Options.Include(rvteoHidden);
  Add(u"one");
  Add(u"abc", 1, true);
  Add(u"secret", 2, true);
  Add(u"two", 0, true);
  Format();
  EXPECT_EQ(RunFrom(rvesFromStart), (Words{u"one", u"two"}));
  Editor->SetOptions(Editor->GetOptions() + rvoShowHiddenText);
  EXPECT_EQ(RunFrom(rvesFromStart), (Words{u"one", u"secret", u"two"}));
}

TEST_F(WordEnumTest, FromTheCaretStartsAtTheCaretWordAndFromTheVeryEndStartsOver) {
  Add(u"alpha beta");
  Add(u"gamma delta");
  Format();
  // Inside "delta": the word is visited whole; nothing before it.
  Editor->SetSelectionBounds(1, 9, 1, 9);
  EXPECT_EQ(RunFrom(rvesFromCursor), (Words{u"delta"}));
  // Behind the end of item 0: item 1 from its start.
  Editor->SetSelectionBounds(0, 11, 0, 11);
  EXPECT_EQ(RunFrom(rvesFromCursor), (Words{u"gamma", u"delta"}));
  // The very end of the document: everything.
  Editor->SetSelectionBounds(1, 12, 1, 12);
  EXPECT_EQ(RunFrom(rvesFromCursor), (Words{u"alpha", u"beta", u"gamma", u"delta"}));
  // A selection counts from its start, whichever way it was made.
  Editor->SetSelectionBounds(1, 4, 0, 8);
  EXPECT_EQ(RunFrom(rvesFromCursor), (Words{u"beta", u"gamma", u"delta"}));
  EXPECT_FALSE(Enum.GetWorking());
}

TEST_F(WordEnumTest, ReplacedWordsGoIntoTheDocumentAsOneUndoableStepEachAndTheWalkGoesOnBehindThem) {
  Add(u"Teh cat sat on teh mat");
  Add(u"and lenghty tails");
  Format();
  Enum.Answer = [](TRecordingEnumerator& e) {
    if (e.Word() == u"teh" || e.Word() == u"Teh") e.ChangeWord(e.Word() == u"Teh" ? u"The" : u"the");
    if (e.Word() == u"lenghty") e.ChangeWord(u"long");
    return true;
  };
  EXPECT_EQ(RunFrom(rvesFromStart),
            (Words{u"Teh", u"cat", u"sat", u"on", u"teh", u"mat", u"and", u"lenghty", u"tails"}));
  EXPECT_EQ(Texts(), "The cat sat on the mat|and long tails");
  Editor->Undo();
  EXPECT_EQ(Texts(), "The cat sat on the mat|and lenghty tails");
  Editor->Undo();
  Editor->Undo();
  EXPECT_EQ(Texts(), "Teh cat sat on teh mat|and lenghty tails");
}

TEST_F(WordEnumTest, AWholeNewItemTextIsCheckedAgainFromItsFirstChangedWord) {
  Add(u"one twoo three four");
  Format();
  int rounds = 0;
  Enum.Answer = [&rounds](TRecordingEnumerator& e) {
    // The user rewrites the item at "twoo" (its start and its word).
    if (e.Word() == u"twoo" && rounds++ == 0) e.ChangeText(u"one two thre four");
    return true;
  };
  EXPECT_EQ(RunFrom(rvesFromStart), (Words{u"one", u"twoo", u"two", u"thre", u"four"}));
  EXPECT_EQ(Texts(), "one two thre four");
  // A change before the word goes back to the word it changed.
  Data->Clear();
  Add(u"alpha beta gamma");
  Format();
  rounds = 0;
  Enum.Answer = [&rounds](TRecordingEnumerator& e) {
    if (e.Word() == u"gamma" && rounds++ == 0) e.ChangeText(u"alpha bet gamma");
    return true;
  };
  EXPECT_EQ(RunFrom(rvesFromStart), (Words{u"alpha", u"beta", u"gamma", u"bet", u"gamma"}));
}

TEST_F(WordEnumTest, AnEmptyReplacementRemovesTheWordAndARefusedChangeLeavesTheDocument) {
  Add(u"keep zap keep");
  Format();
  Enum.Answer = [](TRecordingEnumerator& e) {
    if (e.Word() == u"zap") e.ChangeWord(u"");
    return true;
  };
  EXPECT_EQ(RunFrom(rvesFromStart), (Words{u"keep", u"zap", u"keep"}));
  EXPECT_EQ(Texts(), "keep  keep");
  Editor->SetReadOnly(true);
  Enum.Answer = [](TRecordingEnumerator& e) {
    e.ChangeWord(u"x");
    return true;
  };
  EXPECT_EQ(RunFrom(rvesFromStart), (Words{u"keep", u"keep"}));
  EXPECT_EQ(Texts(), "keep  keep");
}

TEST_F(WordEnumTest, ReplacingAWholeItemThatMergesWithItsNeighbourGoesOnFromTheCaret) {
  // An item of another style between two of the same style in one paragraph.
  Add(u"abc", 0);
  Add(u"def ghi", 1, true);
  Add(u"jkl", 0, true);
  Format();
  Enum.Answer = [](TRecordingEnumerator& e) {
    if (e.Word() == u"def") e.ChangeText(u"");
    return true;
  };
  // The emptied item goes and its neighbours join: the walk goes on from the caret, where the
  // item that followed begins.
  EXPECT_EQ(RunFrom(rvesFromStart), (Words{u"abc", u"def", u"jkl"}));
  EXPECT_EQ(Texts(), "abcjkl");
}

TEST_F(WordEnumTest, StoppingEndsTheWalkAndKeepsEarlierChanges) {
  Add(u"one two three");
  Format();
  Enum.Answer = [](TRecordingEnumerator& e) {
    if (e.Word() == u"one") e.ChangeWord(u"ONE");
    return e.Word() != u"two";
  };
  EXPECT_EQ(RunFrom(rvesFromStart), (Words{u"one", u"two"}));
  EXPECT_EQ(Texts(), "ONE two three");
  EXPECT_FALSE(Enum.GetWorking());
}

TEST_F(WordEnumTest, TheWordComesWithItsPositionItemTextAndStyle) {
  Add(u"say helo", 1);
  Format();
  int start = 0, end = 0;
  TRVUnicodeString text;
  TFontInfo* font = nullptr;
  Enum.Answer = [&](TRecordingEnumerator& e) {
    if (e.Word() == u"helo") {
      start = e.Start();
      end = e.End();
      text = e.Text();
      font = e.FontStyle();
    }
    return true;
  };
  RunFrom(rvesFromStart);
  EXPECT_EQ(start, 5);
  EXPECT_EQ(end, 9);
  EXPECT_EQ(text, u"say helo");
  EXPECT_EQ(font, Sheet.TextStyles()->Items(1));
}

// A window that deletes the whole document when its posted message comes, as a user's edit
// made while the walk lets pending events run.
class TDeleteAllOnMessage : public TWinControl {
 public:
  using TWinControl::TWinControl;
  TCustomViroZereEdit* Target = nullptr;
  static constexpr Cardinal Msg = WM_USER + 77;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == Msg) {
      Target->SelectAll();
      Target->DeleteSelection();
      return;
    }
    TWinControl::Dispatch(Message);
  }
};

TEST_F(WordEnumTest, AnEditMadeWhilePendingEventsRunDoesNotDerailTheWalk) {
  Add(u"alpha beta gamma delta");
  Add(u"epsilon zeta");
  Format();
  TDeleteAllOnMessage editor(nullptr);
  editor.Target = Editor.get();
  editor.HandleNeeded();
  Enum.SetPauseEvery(2);
  Enum.Answer = [&editor](TRecordingEnumerator& e) {
    if (e.Word() == u"alpha") PostMessage(editor.GetHandle(), TDeleteAllOnMessage::Msg, 0, 0);
    return true;
  };
  // After "beta" the events run, the document is emptied, and the walk ends there.
  EXPECT_EQ(RunFrom(rvesFromStart), (Words{u"alpha", u"beta"}));
  EXPECT_EQ(Texts(), "");
}

TEST_F(WordEnumTest, DocumentsHeldByItemsAreWalkedInPlaceButNotesAreNot) {
  Add(u"before");
  auto* boxes = new TTwoBoxesItem(Data);
  boxes->Boxes[0]->AddNL(u"first box", 0, 0);
  boxes->Boxes[1]->AddNL(u"second box", 0, 0);
  Data->AddItem(u"", boxes);
  auto* note = new TRVFootnoteItemInfo(Data, 0, 1, false);
  note->GetDocument()->AddNL(u"note text", 0, 0);
  Data->AddItem(u"", note);
  Add(u"after", 0, true);
  Format();
  EXPECT_EQ(RunFrom(rvesFromStart), (Words{u"before", u"first", u"box", u"second", u"box", u"after"}));
}

// ---- the interactive check ------------------------------------------------------------------------

// A spelling dialog that answers from a script and records what it was shown.
struct TScriptedAnswer {
  int Result;
  TRVUnicodeString Corrected;
  bool ReplacesItemText = false;
};
struct TShownWord {
  TRVUnicodeString Word, Text;
  int S = 0, E = 0;
  std::vector<TRVUnicodeString> Suggestions;
};
struct TDialogScript {
  std::deque<TScriptedAnswer> Answers;
  std::vector<TShownWord> Shown;
  int Made = 0;
};

class TScriptedDialog : public IRVSpellDialog {
 public:
  explicit TScriptedDialog(TDialogScript& Script) : FScript(Script) { ++Script.Made; }
  TStrings* GetStringsForSuggestions() override { return &FSuggestions; }
  void Fill(const TRVUnicodeString& Word, const TRVUnicodeString& Text, int S, int E, TFontInfo*) override {
    TShownWord w{Word, Text, S, E, {}};
    for (int i = 0; i < FSuggestions.Count(); ++i) w.Suggestions.push_back(FSuggestions.Get(i));
    FScript.Shown.push_back(w);
  }
  int ShowModal() override {
    if (FScript.Answers.empty()) return 2;
    FAnswer = FScript.Answers.front();
    FScript.Answers.pop_front();
    return FAnswer.Result;
  }
  TRVUnicodeString GetCorrectedText() override { return FAnswer.Corrected; }
  bool IsReplacingItemText() override { return FAnswer.ReplacesItemText; }

 private:
  TDialogScript& FScript;
  TStringList FSuggestions;
  TScriptedAnswer FAnswer{2, u""};
};

// The modal results of the dialog's buttons.
constexpr int AnsAdd = 1, AnsChange = 6, AnsIgnore = 7, AnsIgnoreAll = 13, AnsChangeAll = 14, AnsCancel = 2;

struct HunSpellCheckTest : SpellEditorFixture {
  std::unique_ptr<TRVHunSpell> Speller;
  TDialogScript Script;
  std::vector<std::pair<TRVUnicodeString, TRVHunSpellFormAction>> Actions;

  void SetUp() override {
    SpellEditorFixture::SetUp();
    Speller = std::make_unique<TRVHunSpell>(nullptr);
    const std::string dic = std::string(TAVRELO_TEST_OUTPUT) + "/wordenum_customdic.txt";
    std::remove(dic.c_str());  // nothing left from an earlier run
    Speller->SetCustomDictionaryFileName(TRVUnicodeString(dic.begin(), dic.end()));
    Speller->SetDictDir(u"/usr/share/hunspell");
    ASSERT_TRUE(Speller->GetDictionaries()->Add()->Load(u"en_US")) << "the en_US dictionary (hunspell-en-us)";
    Speller->OnSpellFormAction = [this](TObject*, const TRVUnicodeString& W, const TRVUnicodeString&,
                                        TRVHunSpellFormAction A) { Actions.emplace_back(W, A); };
    RVSpellDialogFactory() = [this](TRVHunSpellFormStyle) { return std::make_unique<TScriptedDialog>(Script); };
  }
  void TearDown() override {
    RVSpellDialogFactory() = nullptr;
    Speller->CustomDic().Clear();
    Speller.reset();
    SpellEditorFixture::TearDown();
  }
  std::vector<TRVUnicodeString> ShownWords() const {
    std::vector<TRVUnicodeString> r;
    for (const TShownWord& w : Script.Shown) r.push_back(w.Word);
    return r;
  }
};

TEST_F(HunSpellCheckTest, ThreeMisspellingsChangeIgnoreAllAndAdd) {
  Add(u"Teh quick brwn fox");
  Add(u"jumps ovr the brwn dog");
  Format();
  std::string events;
  Speller->OnSpellFormLocalize = [&events](TObject*, TfrmRVCustomSpell*) { events += "localize "; };
  Speller->OnSpellForm = [&events](TObject*, TfrmRVCustomSpell*) { events += "form "; };
  Script.Answers = {{AnsChange, u"The"}, {AnsIgnoreAll, u""}, {AnsAdd, u""}};
  Speller->Check(Editor.get(), rvesFromStart);
  EXPECT_TRUE(Speller->GetDialogShown());
  // One dialog for the whole check, announced once, translated first.
  EXPECT_EQ(Script.Made, 1);
  EXPECT_EQ(events, "localize form ");
  // Each word shown in its item's text; the second "brwn" is ignored without asking.
  ASSERT_EQ(ShownWords(), (Words{u"Teh", u"brwn", u"ovr"}));
  EXPECT_EQ(Script.Shown[0].Text, u"Teh quick brwn fox");
  EXPECT_EQ(Script.Shown[1].Text, u"The quick brwn fox");
  EXPECT_EQ(Script.Shown[1].S, 11);
  EXPECT_EQ(Script.Shown[1].E, 15);
  EXPECT_EQ(Script.Shown[2].Text, u"jumps ovr the brwn dog");
  // The suggestions are the dictionary's.
  const auto& sug = Script.Shown[1].Suggestions;
  EXPECT_NE(std::find(sug.begin(), sug.end(), u"brown"), sug.end());
  // The document and the lists.
  EXPECT_EQ(Texts(), "The quick brwn fox|jumps ovr the brwn dog");
  EXPECT_GE(Speller->IgnoreList().IndexOf(u"brwn"), 0);
  EXPECT_GE(Speller->CustomDic().IndexOf(u"ovr"), 0);
  EXPECT_LT(Speller->IgnoreList().IndexOf(u"ovr"), 0);
  ASSERT_EQ(Actions.size(), 3u);
  EXPECT_EQ(Actions[0].second, rvhsChange);
  EXPECT_EQ(Actions[1].second, rvhsIgnoreAll);
  EXPECT_EQ(Actions[2], std::make_pair(TRVUnicodeString(u"ovr"), rvhsAdd));
  // A second check finds nothing to ask.
  Script.Shown.clear();
  Speller->Check(Editor.get(), rvesFromStart);
  EXPECT_FALSE(Speller->GetDialogShown());
  EXPECT_TRUE(Script.Shown.empty());
}

TEST_F(HunSpellCheckTest, ChangeAllReplacesLaterWordsInAnyLetterCaseWithoutAsking) {
  Add(u"I recieve mail");
  Add(u"Recieve it and RECIEVE that");
  Format();
  Script.Answers = {{AnsChangeAll, u"receive"}};
  Speller->Check(Editor.get(), rvesFromStart);
  EXPECT_EQ(ShownWords(), (Words{u"recieve"}));
  EXPECT_EQ(Texts(), "I receive mail|receive it and receive that");
  ASSERT_EQ(Actions.size(), 1u);
  EXPECT_EQ(Actions[0].second, rvhsChangeAll);
}

TEST_F(HunSpellCheckTest, CancelStopsTheWalkAndTheChangesMadeCanBeUndone) {
  Add(u"one wrold two brwn three ovr");
  Format();
  Script.Answers = {{AnsChange, u"world"}, {AnsCancel, u"x"}};
  Speller->Check(Editor.get(), rvesFromStart);
  EXPECT_EQ(ShownWords(), (Words{u"wrold", u"brwn"}));
  EXPECT_EQ(Texts(), "one world two brwn three ovr");
  EXPECT_EQ(Actions.size(), 1u);  // a cancelled dialog raises nothing
  Editor->Undo();
  EXPECT_EQ(Texts(), "one wrold two brwn three ovr");
}

TEST_F(HunSpellCheckTest, AnEditedContextReplacesTheItemTextAndIsCheckedFromItsFirstChange) {
  Add(u"the wrold is brwn");
  Format();
  // The user rewrites the context: "wrold" becomes "wurld", still wrong, and is asked again.
  Script.Answers = {{AnsChange, u"the wurld is brwn", true}, {AnsChange, u"world"}, {AnsIgnore, u""}};
  Speller->Check(Editor.get(), rvesFromStart);
  EXPECT_EQ(ShownWords(), (Words{u"wrold", u"wurld", u"brwn"}));
  EXPECT_EQ(Texts(), "the world is brwn");
  EXPECT_LT(Speller->IgnoreList().IndexOf(u"brwn"), 0);
}

TEST_F(HunSpellCheckTest, WithoutADialogTheCheckStopsAtTheFirstMisspelling) {
  RVSpellDialogFactory() = [](TRVHunSpellFormStyle) { return std::unique_ptr<IRVSpellDialog>(); };
  Add(u"wrold brwn");
  Format();
  Speller->Check(Editor.get(), rvesFromStart);
  EXPECT_FALSE(Speller->GetDialogShown());
  EXPECT_EQ(Texts(), "wrold brwn");
}

}  // namespace
