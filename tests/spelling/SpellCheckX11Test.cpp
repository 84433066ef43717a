// The interactive spell check with the real word-in-context dialog on a real window system (run
// under a virtual X server by test_spelling_x11; skipped elsewhere): the dialog is shown modally
// for each rejected word with the word's paragraph and the word highlighted, and its buttons,
// clicked while it is shown, give the document and the lists their answers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/editor/RVEdit.h"
#include "platform/base/Classes.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StdCtrls.h"
#include "spelling/RVHunSpellHelper.h"
#include "spelling/RVSpellWordFrm.h"
#include "spelling/SpellEditorFixture.h"

namespace {

bool OnX11() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return platform && std::string(platform) == "xcb" && std::getenv("DISPLAY");
}

// A window whose timer answers the spelling dialog while the dialog runs its modal loop: each
// time the dialog is shown and waits for the user, Act is called once with it.
class TDialogDriver : public TWinControl {
 public:
  using TWinControl::TWinControl;
  TfrmRVSpellWord* Form = nullptr;
  std::function<void(TfrmRVSpellWord&)> Act;
  std::chrono::steady_clock::time_point Deadline;

  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_TIMER && Form && Form->IsModal() && Form->GetModalResult() == mrNone &&
        IsWindowVisible(Form->GetHandle())) {
      if (std::chrono::steady_clock::now() > Deadline)
        Form->btnCancel->Click();
      else
        Act(*Form);
      return;
    }
    TWinControl::Dispatch(Message);
  }
};

struct SpellCheckX11Test : SpellEditorFixture {
  std::unique_ptr<TRVHunSpell> Speller;

  void SetUp() override {
    if (!OnX11()) GTEST_SKIP() << "needs the X window system (test_spelling_x11)";
    SpellEditorFixture::SetUp();
    Speller = std::make_unique<TRVHunSpell>(nullptr);
    const std::string dic = std::string(TAVRELO_TEST_OUTPUT) + "/spellcheck_x11_customdic.txt";
    std::remove(dic.c_str());  // nothing left from an earlier run
    Speller->SetCustomDictionaryFileName(TRVUnicodeString(dic.begin(), dic.end()));
    Speller->SetDictDir(u"/usr/share/hunspell");
    ASSERT_TRUE(Speller->GetDictionaries()->Add()->Load(u"en_US"));
    Speller->SetSpellFormStyle(rvhfMSWord);
  }
  void TearDown() override {
    if (Speller) {
      Speller->CustomDic().Clear();
      Speller.reset();
    }
    SpellEditorFixture::TearDown();
  }

  // Driver answers the word dialogs the checker shows (through its Act), for 30 seconds at most.
  void Attach(TDialogDriver& Driver) {
    Driver.SetBounds(0, 0, 10, 10);
    Driver.HandleNeeded();
    Driver.Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    Speller->OnSpellForm = [&Driver](TObject*, TfrmRVCustomSpell* Form) {
      Driver.Form = dynamic_cast<TfrmRVSpellWord*>(Form);
    };
  }
};

TEST_F(SpellCheckX11Test, TheRealDialogShowsEachWordInContextAndItsButtonsAnswer) {
  Add(u"Teh quick brwn fox");
  Add(u"jumps ovr the brwn dog");
  Format();
  ShowWindow(Editor->GetHandle(), SW_SHOW);

  TDialogDriver driver(nullptr);
  Attach(driver);
  struct TSeen {
    std::string Context, Highlighted;
    bool Visible;
  };
  std::vector<TSeen> seen;
  driver.Act = [&seen](TfrmRVSpellWord& F) {
    TSeen s{"", "", IsWindowVisible(F.GetHandle()) != 0};
    TCustomRVData* d = F.rve->GetRVData();
    for (int i = 0; i < d->ItemCount(); ++i) {
      s.Context += ToUtf8(d->GetItemTextW(i));
      if (d->GetItem(i)->StyleNo == 1) s.Highlighted = ToUtf8(d->GetItemTextW(i));
    }
    seen.push_back(s);
    switch (seen.size()) {
      case 1: {  // "Teh": take the suggestion "The"
        const int k = F.lst->Items().IndexOf(u"The");
        if (k < 0) {
          F.btnCancel->Click();
          return;
        }
        F.lst->SetItemIndex(k);
        F.btnChange->Click();
        return;
      }
      case 2: F.btnIgnoreAll->Click(); return;  // "brwn"
      case 3: F.btnAdd->Click(); return;        // "ovr"
      default: F.btnCancel->Click();
    }
  };
  SetTimer(driver.GetHandle(), 1, 50);
  Speller->Check(Editor.get(), rvesFromStart);

  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[0].Visible);
  EXPECT_EQ(seen[0].Highlighted, "Teh");
  EXPECT_EQ(seen[0].Context, "Teh quick brwn fox");
  EXPECT_EQ(seen[1].Highlighted, "brwn");
  EXPECT_EQ(seen[1].Context, "The quick brwn fox");
  EXPECT_EQ(seen[2].Highlighted, "ovr");
  EXPECT_EQ(seen[2].Context, "jumps ovr the brwn dog");
  EXPECT_TRUE(Speller->GetDialogShown());
  EXPECT_EQ(Texts(), "The quick brwn fox|jumps ovr the brwn dog");
  EXPECT_GE(Speller->IgnoreList().IndexOf(u"brwn"), 0);
  EXPECT_GE(Speller->CustomDic().IndexOf(u"ovr"), 0);
}

// Typing into the dialog's context and pressing Change replaces the whole item with the edited
// text, which is checked again from its first change.
TEST_F(SpellCheckX11Test, AnEditedContextReplacesTheItemText) {
  Add(u"the wrold is round");
  Add(u"second line");
  Format();
  ShowWindow(Editor->GetHandle(), SW_SHOW);
  TDialogDriver driver(nullptr);
  Attach(driver);
  int shown = 0;
  driver.Act = [&shown](TfrmRVSpellWord& F) {
    if (++shown > 1) {
      F.btnCancel->Click();
      return;
    }
    // The caret stands behind the word: "wrold" becomes "wrolds".
    F.rve->Perform(WM_CHAR, u's', 0);
    F.btnChange->Click();
  };
  SetTimer(driver.GetHandle(), 1, 50);
  Speller->Check(Editor.get(), rvesFromStart);
  // "wrolds" is wrong too: asked again (and cancelled).
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(Texts(), "the wrolds is round|second line");
}

}  // namespace
