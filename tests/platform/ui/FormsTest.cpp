// Modal forms and the standard controls of dialogs: buttons that set the form's result, Enter and
// Escape reaching the default and cancel buttons, typing in edit fields, list boxes and simple
// combo boxes; under a real X server, a modal form answering the window system's own clicks and
// keys.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/GuiSession.h"
#include "platform/ui/StdCtrls.h"
#include "support/X11TestUtil.h"

namespace {

// A dialog with an edit field, an OK button (default) and a Cancel button (cancel).
struct Dialog {
  TForm Form{nullptr};
  TEdit* Edit = new TEdit(nullptr);
  TButton* Ok = new TButton(nullptr);
  TButton* Cancel = new TButton(nullptr);
  Dialog() {
    Form.SetCaption(u"Question");
    Form.SetFormBorderStyle(bsDialog);
    Form.SetClientWidth(300);
    Form.SetClientHeight(120);
    Edit->SetParent(&Form);
    Edit->SetBounds(10, 10, 200, 21);
    Ok->SetParent(&Form);
    Ok->SetCaption(u"OK");
    Ok->SetBounds(10, 80, 75, 25);
    Ok->SetModalResult(mrOk);
    Ok->SetDefault(true);
    Cancel->SetParent(&Form);
    Cancel->SetCaption(u"Cancel");
    Cancel->SetBounds(100, 80, 75, 25);
    Cancel->SetModalResult(mrCancel);
    Cancel->SetCancel(true);
  }
};

struct Forms : ::testing::Test {
  void TearDown() override { TCustomForm::ShowModalHook = nullptr; }
};

TEST_F(Forms, ShowModalAnswersTheResultOfTheButtonPressed) {
  Dialog d;
  std::string log;
  d.Form.OnShow = [&](TObject*) { log += "show;"; };
  d.Form.OnActivate = [&](TObject*) { log += "activate;"; };
  d.Ok->OnClick = [&](TObject*) { log += "ok;"; };
  TButton* press = d.Ok;
  TCustomForm::ShowModalHook = [&](TCustomForm& f) {
    EXPECT_EQ(&f, &d.Form);
    EXPECT_TRUE(f.IsModal());
    press->Click();
  };
  EXPECT_EQ(d.Form.ShowModal(), mrOk);
  EXPECT_EQ(log, "show;activate;ok;");
  EXPECT_FALSE(d.Form.IsModal());
  // Each showing starts unanswered; a disabled button does nothing, and a form left unanswered
  // counts as cancelled.
  press = d.Ok;
  d.Ok->SetEnabled(false);
  EXPECT_EQ(d.Form.ShowModal(), mrCancel);
  EXPECT_EQ(log, "show;activate;ok;show;activate;");
  d.Ok->SetEnabled(true);
  // A button without a modal result only runs its handler.
  d.Ok->SetModalResult(mrNone);
  TCustomForm::ShowModalHook = [&](TCustomForm& f) {
    d.Ok->Click();
    EXPECT_EQ(f.GetModalResult(), mrNone);
    f.SetModalResult(mrRetry);
  };
  EXPECT_EQ(d.Form.ShowModal(), mrRetry);
}

TEST_F(Forms, ShowingAModalFormAgainFromItsOwnShowingIsRefused) {
  Dialog d;
  TCustomForm::ShowModalHook = [&](TCustomForm& f) {
    EXPECT_THROW(f.ShowModal(), EInvalidOperation);
    f.SetModalResult(mrOk);
  };
  EXPECT_EQ(d.Form.ShowModal(), mrOk);
}

TEST_F(Forms, EnterAndEscapeReachTheDefaultAndCancelButtonsUnlessTheControlWantsThem) {
  struct Case {
    WORD Key;
    bool EditWantsAll;
    TModalResult Expected;
  };
  for (const Case& c : {Case{VK_RETURN, false, mrOk}, Case{VK_ESCAPE, false, mrCancel}, Case{VK_RETURN, true, mrNone},
                        Case{VK_ESCAPE, true, mrNone}, Case{VK_SPACE, false, mrNone}}) {
    Dialog d;
    if (c.EditWantsAll) {
      d.Edit->WindowProc = [&d](TMessage& m) {
        if (m.Msg == WM_GETDLGCODE)
          m.Result = DLGC_WANTALLKEYS;
        else
          d.Edit->WndProc(m);
      };
    }
    d.Edit->Perform(WM_KEYDOWN, c.Key, 0);
    EXPECT_EQ(d.Form.GetModalResult(), c.Expected) << c.Key << " " << c.EditWantsAll;
  }
  // A focused button takes Enter itself; hidden and disabled buttons are not the default.
  Dialog d;
  d.Cancel->Perform(WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(d.Form.GetModalResult(), mrCancel);
  d.Form.SetModalResult(mrNone);
  d.Ok->SetVisible(false);
  d.Edit->Perform(WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(d.Form.GetModalResult(), mrNone);
  EXPECT_EQ(d.Form.FindDefaultButton(), nullptr);
  EXPECT_EQ(d.Form.FindCancelButton(), d.Cancel);
  EXPECT_EQ(GetParentForm(d.Edit), &d.Form);
}

TEST_F(Forms, AButtonClicksWhenTheMouseIsReleasedOverIt) {
  Dialog d;
  int clicks = 0;
  d.Ok->OnClick = [&](TObject*) { ++clicks; };
  d.Ok->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
  d.Ok->Perform(WM_LBUTTONUP, 0, MakeLParam(80, 5));  // released beside it
  EXPECT_EQ(clicks, 0);
  d.Ok->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
  d.Ok->Perform(WM_LBUTTONUP, 0, MakeLParam(70, 20));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(d.Form.GetModalResult(), mrOk);
  d.Ok->Perform(WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(clicks, 2);
}

TEST(StdControls, AnEditTakesTypingAtTheCaretUnlessReadOnly) {
  TEdit e(nullptr);
  int changes = 0;
  e.OnChange = [&](TObject*) { ++changes; };
  for (char16_t c : std::u16string(u"helo")) e.Perform(WM_CHAR, c, 0);
  e.Perform(WM_KEYDOWN, VK_LEFT, 0);
  e.Perform(WM_CHAR, u'l', 0);
  EXPECT_EQ(e.GetText(), u"hello");
  e.Perform(WM_KEYDOWN, VK_END, 0);
  e.Perform(WM_CHAR, u'\b', 0);
  e.Perform(WM_KEYDOWN, VK_HOME, 0);
  e.Perform(WM_KEYDOWN, VK_DELETE, 0);
  e.Perform(WM_CHAR, 0x1B, 0);  // control characters type nothing
  EXPECT_EQ(e.GetText(), u"ell");
  EXPECT_EQ(changes, 7);
  // Text set shorter than the caret pulls the caret back.
  e.Perform(WM_KEYDOWN, VK_END, 0);
  e.SetText(u"x");
  e.Perform(WM_CHAR, u'y', 0);
  EXPECT_EQ(e.GetText(), u"xy");
  e.SetReadOnly(true);
  e.Perform(WM_CHAR, u'z', 0);
  e.Perform(WM_CHAR, u'\b', 0);
  e.Perform(WM_KEYDOWN, VK_HOME, 0);
  e.Perform(WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(e.GetText(), u"xy");
}

TEST(StdControls, AListBoxSelectsByClickAndKeysAndForgetsARemovedSelection) {
  TListBox l(nullptr);
  l.SetBounds(0, 0, 100, 4 + 3 * l.GetItemHeight());  // three lines show
  for (const char16_t* s : {u"one", u"two", u"three", u"four", u"five"}) l.Items().Add(s);
  int clicks = 0, doubles = 0;
  l.OnClick = [&](TObject*) { ++clicks; };
  l.OnDblClick = [&](TObject*) { ++doubles; };
  EXPECT_EQ(l.GetItemIndex(), -1);
  l.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10, l.GetItemHeight() + 2));
  EXPECT_EQ(l.GetItemIndex(), 1);
  l.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10, 60 * l.GetItemHeight()));  // below the lines
  EXPECT_EQ(l.GetItemIndex(), 1);
  l.Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(10, 2));
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(l.GetItemIndex(), 0);
  l.Perform(WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(l.GetItemIndex(), 4);
  EXPECT_EQ(l.GetTopIndex(), 2);  // scrolled so that the selection shows
  l.Perform(WM_KEYDOWN, VK_DOWN, 0);
  l.Perform(WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(l.GetItemIndex(), 3);
  EXPECT_EQ(clicks, 4);
  l.SetItemIndex(99);
  EXPECT_EQ(l.GetItemIndex(), -1);
  l.SetItemIndex(4);
  l.Items().Delete(4);
  EXPECT_EQ(l.GetItemIndex(), -1);
  l.Items().Clear();
  l.Perform(WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(l.GetItemIndex(), -1);
}

TEST(StdControls, ASimpleComboPutsTheChosenLineIntoItsField) {
  TComboBox c(nullptr);
  c.SetStyle(csSimple);
  c.SetBounds(0, 0, 150, 120);
  EXPECT_EQ(c.EditPart()->GetHeight() + 1 + c.ListPart()->GetHeight(), 120);
  for (const char16_t* s : {u"alpha", u"beta"}) c.Items().Add(s);
  int doubles = 0;
  std::u16string keys;
  c.OnDblClick = [&](TObject*) { ++doubles; };
  c.OnKeyDown = [&](TObject* sender, WORD& key, TShiftState) {
    EXPECT_EQ(sender, &c);
    keys += static_cast<char16_t>(key);
  };
  c.SetItemIndex(1);
  EXPECT_EQ(c.GetText(), u"beta");
  c.EditPart()->Perform(WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(c.GetText(), u"alpha");
  EXPECT_EQ(c.GetItemIndex(), 0);
  c.EditPart()->Perform(WM_CHAR, u's', 0);
  EXPECT_EQ(c.GetText(), u"alphas");
  c.ListPart()->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, c.ListPart()->GetItemHeight() + 1));
  EXPECT_EQ(c.GetText(), u"beta");
  c.ListPart()->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(5, 1));
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(keys, std::u16string(1, char16_t(VK_UP)));
  // Choosing nothing keeps what the field holds.
  c.SetItemIndex(-1);
  EXPECT_EQ(c.GetText(), u"alpha");
}

// ---- under a real X server ----------------------------------------------------------------------

using x11_test_util::RunCommand;

struct FormsX11 : ::testing::Test {
  void SetUp() override {
    if (WindowSystemName() != "xcb") GTEST_SKIP() << "needs an X server (CTest entry test_platform_ui_x11)";
    ASSERT_TRUE(RunCommand("command -v xdotool")) << "xdotool is missing: scripts/setup.sh installs it";
  }
  // Sends the window system's events from another process once the form shows (the modal loop
  // runs meanwhile).
  static void SendLater(const std::string& Actions) {
    std::system(("(sleep 0.5; xdotool " + Actions + ") > /dev/null 2>&1 &").c_str());
  }
  // Ends a showing that the events did not end, after a while, with mrIgnore.
  static void GiveUpLater(TForm& Form) {
    Form.WindowProc = [&Form](TMessage& m) {
      if (m.Msg == WM_TIMER && m.WParam == 77)
        Form.SetModalResult(mrIgnore);
      else
        Form.WndProc(m);
    };
    SetTimer(Form.GetHandle(), 77, 8000);
  }
};

TEST_F(FormsX11, AModalFormAnswersRealClicksAndKeys) {
  Dialog d;
  d.Form.SetPosition(poScreenCenter);
  bool centred = false;
  d.Form.OnActivate = [&](TObject*) {
    TPoint at(0, 0);
    ClientToScreen(d.Form.GetHandle(), &at);
    // 1024 x 768 screen: the 300 x 120 form's client area lies around the middle.
    centred = std::abs(at.X + 150 - 512) < 40 && std::abs(at.Y + 60 - 384) < 60;
    TPoint button(d.Cancel->GetWidth() / 2, d.Cancel->GetHeight() / 2);
    ClientToScreen(d.Cancel->GetHandle(), &button);
    SendLater("mousemove " + std::to_string(button.X) + " " + std::to_string(button.Y) + " click 1");
    GiveUpLater(d.Form);
  };
  const auto start = std::chrono::steady_clock::now();
  d.Cancel->SetModalResult(mrAbort);
  EXPECT_EQ(d.Form.ShowModal(), mrAbort);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
  EXPECT_TRUE(centred);
  // The window goes with the showing; the form counts as hidden.
  EXPECT_FALSE(d.Form.HandleAllocated());
  EXPECT_FALSE(d.Form.GetVisible());
  // Enter typed into the focused field clicks the default button.
  d.Form.SetActiveControl(d.Edit);
  d.Form.OnActivate = [&](TObject*) {
    EXPECT_TRUE(d.Edit->Focused());
    SendLater("type ab; xdotool key Return");
    GiveUpLater(d.Form);
  };
  EXPECT_EQ(d.Form.ShowModal(), mrOk);
  EXPECT_EQ(d.Edit->GetText(), u"ab");
}

}  // namespace
