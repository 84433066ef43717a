// The spelling dialogs: their controls, captions and modal results; the word-in-context dialog's
// context (the word highlighted, edits that replace the whole text, Undo Edit, one-line pastes);
// under a real X server, both dialogs answering the window system's own clicks and keys.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/editor/RVEdit.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/GuiSession.h"
#include "spelling/RVSpellFormUtils.h"
#include "spelling/RVSpellFrm.h"
#include "spelling/RVSpellWordFrm.h"
#include "support/X11TestUtil.h"

namespace {

// The text, text style and paragraph start of each item of the context editor, "|" before a new
// paragraph: "0:I saw a |1:mispeled|0: word".
std::u16string Context(TfrmRVSpellWord& F) {
  std::u16string s;
  for (int i = 0; i < F.rve->GetItemCount(); ++i) {
    if (i) s += F.rve->GetRVData()->IsParaStart(i) ? u"|" : u"";
    s += static_cast<char16_t>(u'0' + F.rve->GetItemStyle(i));
    s += u':';
    s += F.rve->GetItemTextW(i);
  }
  return s;
}

struct SpellDialogs : ::testing::Test {
  TfrmRVCustomSpell* Form = nullptr;
  TFontInfo Style{nullptr};
  void TearDown() override {
    TCustomForm::ShowModalHook = nullptr;
    delete Form;
  }
  TfrmRVSpellWord& Word() { return *dynamic_cast<TfrmRVSpellWord*>(Form); }
  TfrmRVSpell& Classic() { return *dynamic_cast<TfrmRVSpell*>(Form); }
  // Shows the dialog modally and presses Button (null: none) in the showing.
  TModalResult Press(TButton* Button) {
    TCustomForm::ShowModalHook = [Button](TCustomForm&) {
      if (Button) Button->Click();
    };
    return Form->ShowModal();
  }
};

TEST_F(SpellDialogs, BothDialogsHaveTheButtonsCaptionsAndModalResults) {
  for (TRVHunSpellFormStyle style : {rvhfClassic, rvhfMSWord}) {
    delete Form;
    Form = nullptr;
    CreateSpellForm(style, Form);
    ASSERT_NE(Form, nullptr);
    TfrmRVCustomSpell* made = Form;
    CreateSpellForm(style == rvhfClassic ? rvhfMSWord : rvhfClassic, Form);  // a form already there stays
    EXPECT_EQ(Form, made);
    EXPECT_EQ(Form->GetCaption(), u"Spelling");
    EXPECT_EQ(Form->GetFormBorderStyle(), bsDialog);
    EXPECT_EQ(Form->GetPosition(), poScreenCenter);
    EXPECT_EQ(Form->GetClientWidth(), style == rvhfClassic ? 364 : 517);
    EXPECT_EQ(Form->GetClientHeight(), style == rvhfClassic ? 228 : 293);
    EXPECT_EQ(Form->lblTxt->GetCaption(), u"Not in dictionary:");
    EXPECT_EQ(Form->lblCmb->GetCaption(), u"Change &to:");
    struct Case {
      TButton* Button;
      const char16_t* Caption;
      TModalResult Result;
    };
    for (const Case& c :
         {Case{Form->btnIgnore, u"&Ignore", mrNo}, Case{Form->btnIgnoreAll, u"I&gnore All", mrNoToAll},
          Case{Form->btnChange, u"&Change", mrYes}, Case{Form->btnChangeAll, u"C&hange All", mrYesToAll},
          Case{Form->btnAdd, u"&Add", mrOk}, Case{Form->btnCancel, u"Cancel", mrCancel}}) {
      EXPECT_EQ(c.Button->GetCaption(), c.Caption);
      EXPECT_EQ(c.Button->GetModalResult(), c.Result);
      EXPECT_EQ(Press(c.Button), c.Result) << std::string(c.Caption, c.Caption + 3);
    }
    EXPECT_EQ(Form->FindDefaultButton(), Form->btnIgnore);
    EXPECT_EQ(Form->FindCancelButton(), Form->btnCancel);
    // Nothing pressed (the window closed): Cancel.
    EXPECT_EQ(Press(nullptr), mrCancel);
  }
}

TEST_F(SpellDialogs, TheBaseDialogCorrectsNothing) {
  TfrmRVCustomSpell f(nullptr);
  EXPECT_EQ(f.GetCorrectedText(), u"");
  EXPECT_EQ(f.GetStringsForSuggestions(), nullptr);
  EXPECT_FALSE(f.IsReplacingItemText());
}

TEST_F(SpellDialogs, TheClassicDialogOffersTheSuggestionsInItsCombo) {
  CreateSpellForm(rvhfClassic, Form);
  TfrmRVSpell& f = Classic();
  EXPECT_EQ(f.cmb->GetStyle(), csSimple);
  EXPECT_EQ(f.cmb->GetBoundsRect(), TRect(7, 72, 7 + 210, 72 + 147));
  EXPECT_EQ(f.txtWrongWord->GetBoundsRect(), TRect(7, 26, 7 + 210, 26 + 21));
  EXPECT_TRUE(f.txtWrongWord->GetReadOnly());
  EXPECT_FALSE(f.txtWrongWord->GetTabStop());
  EXPECT_EQ(f.txtWrongWord->GetColor(), clBtnFace);
  EXPECT_EQ(f.lblCmb->GetFocusControl(), f.cmb);
  EXPECT_EQ(f.txtWrongWord->GetText(), u"");

  TStrings* suggestions = f.GetStringsForSuggestions();
  ASSERT_EQ(suggestions, &f.cmb->Items());
  suggestions->Add(u"misspelled");
  suggestions->Add(u"dispelled");
  Style.Charset = 204;
  FillSpellForm(u"mispeled", u"a mispeled word", 3, 11, &Style, Form);
  EXPECT_EQ(f.txtWrongWord->GetText(), u"mispeled");
  EXPECT_EQ(f.txtWrongWord->Font().GetCharset(), 204);
  EXPECT_EQ(f.cmb->GetItemIndex(), 0);
  // Shown: the first suggestion is the correction unless the user types another.
  f.cmb->SetText(u"");
  EXPECT_EQ(Press(f.btnChange), mrYes);
  EXPECT_EQ(f.GetCorrectedText(), u"misspelled");
  EXPECT_FALSE(f.IsReplacingItemText());
  TCustomForm::ShowModalHook = [&](TCustomForm&) {
    f.cmb->EditPart()->Perform(WM_KEYDOWN, VK_DOWN, 0);
    f.cmb->EditPart()->Perform(WM_CHAR, u'!', 0);
    f.btnChange->Click();
  };
  EXPECT_EQ(f.ShowModal(), mrYes);
  EXPECT_EQ(f.GetCorrectedText(), u"dispelled!");
  // A double click in the list answers Change only when a line is chosen; Escape answers Cancel.
  TCustomForm::ShowModalHook = [&](TCustomForm& form) {
    f.cmb->SetItemIndex(-1);
    for (int y : {100, 2}) {  // below the lines, then on the first
      EXPECT_EQ(form.GetModalResult(), mrNone);
      f.cmb->ListPart()->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, y));
      f.cmb->ListPart()->Perform(WM_LBUTTONUP, 0, MakeLParam(5, y));
      f.cmb->ListPart()->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(5, y));
    }
  };
  EXPECT_EQ(f.ShowModal(), mrYes);
  TCustomForm::ShowModalHook = [&](TCustomForm&) { f.cmb->EditPart()->Perform(WM_KEYDOWN, VK_ESCAPE, 0); };
  EXPECT_EQ(f.ShowModal(), mrCancel);
  // Without suggestions the field is empty, and Change replaces the word with the empty text.
  suggestions->Clear();
  EXPECT_EQ(Press(f.btnChange), mrYes);
  EXPECT_EQ(f.GetCorrectedText(), u"");
}

TEST_F(SpellDialogs, TheWordInContextDialogHighlightsTheWordInItsParagraph) {
  CreateSpellForm(rvhfMSWord, Form);
  TfrmRVSpellWord& f = Word();
  EXPECT_EQ(f.rve->GetBoundsRect(), TRect(10, 32, 10 + 359, 32 + 110));
  EXPECT_EQ(f.lst->GetBoundsRect(), TRect(10, 168, 10 + 359, 168 + 110));
  EXPECT_EQ(f.btnUndoEdit->GetBoundsRect(), f.btnIgnore->GetBoundsRect());
  EXPECT_EQ(f.btnIgnore->GetBoundsRect(), TRect(384, 8, 384 + 120, 8 + 25));
  EXPECT_EQ(f.btnUndoEdit->GetCaption(), u"&Undo Edit");
  EXPECT_FALSE(f.btnUndoEdit->GetVisible());
  EXPECT_TRUE(f.rve->GetEditorOptions().Contains(rvoDoNotWantReturns));
  EXPECT_TRUE(f.rve->GetEditorOptions().Contains(rvoDoNotWantShiftReturns));
  EXPECT_EQ(f.rve->GetAcceptDragDropFormats(), (TRVDragDropFormats{rvddText, rvddUnicodeText}));
  ASSERT_EQ(f.GetStringsForSuggestions(), &f.lst->Items());

  Style.FontName = u"Courier New";
  Style.SetSize(14);
  Style.Color = clBlue;
  Style.Charset = 204;
  f.lst->Items().Add(u"misspelled");
  FillSpellForm(u"mispeled", u"I saw a mispeled word", 9, 17, &Style, Form);
  EXPECT_EQ(Context(f), u"0:I saw a 1:mispeled0: word");
  EXPECT_EQ(f.rve->GetCurItemNo(), 1);
  EXPECT_EQ(f.rve->GetOffsetInCurItem(), 9);
  EXPECT_EQ(f.lst->GetItemIndex(), 0);
  EXPECT_EQ(f.lst->Font().GetCharset(), 204);
  TFontInfos* fonts = f.GetRVStyle1()->TextStyles();
  EXPECT_EQ(fonts->Count(), 2);
  EXPECT_EQ(fonts->Items(0)->FontName, u"Courier New");
  EXPECT_EQ(fonts->Items(0)->Color, clWindowText);
  EXPECT_FALSE(fonts->Items(0)->Style.Contains(fsBold));
  EXPECT_EQ(fonts->Items(1)->GetSize(), 14);
  EXPECT_EQ(fonts->Items(1)->Color, clRed);
  EXPECT_TRUE(fonts->Items(1)->Style.Contains(fsBold));
  EXPECT_EQ(f.GetCorrectedText(), u"misspelled");
  EXPECT_FALSE(f.IsReplacingItemText());
  f.lst->SetItemIndex(-1);
  EXPECT_EQ(f.GetCorrectedText(), u"");

  // A word at the start of its text makes no leading item; the caret goes after the word. A
  // word reaching past the text is cut at its end.
  f.Init(u"Teh end", 1, 3, &Style);
  EXPECT_EQ(Context(f), u"1:Teh0: end");
  EXPECT_EQ(f.rve->GetCurItemNo(), 0);
  EXPECT_EQ(f.rve->GetOffsetInCurItem(), 4);
  f.Init(u"the ned", 5, 10, &Style);
  EXPECT_EQ(Context(f), u"0:the 1:ned");
}

TEST_F(SpellDialogs, EditingTheContextReplacesTheWholeTextUntilUndoEdit) {
  CreateSpellForm(rvhfMSWord, Form);
  TfrmRVSpellWord& f = Word();
  f.lst->Items().Add(u"misspelled");
  FillSpellForm(u"mispeled", u"I saw a mispeled word", 9, 17, &Style, Form);
  EXPECT_EQ(f.FindDefaultButton(), f.btnIgnore);
  // The suggestions' list takes the default from Ignore for Change; a double click answers Change.
  f.lst->Perform(WM_SETFOCUS, 0, 0);
  EXPECT_EQ(f.FindDefaultButton(), f.btnChange);
  TCustomForm::ShowModalHook = [&](TCustomForm&) {
    f.lst->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 2));
    f.lst->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(5, 2));
  };
  EXPECT_EQ(f.ShowModal(), mrYes);

  FillSpellForm(u"mispeled", u"I saw a mispeled word", 9, 17, &Style, Form);
  f.rve->Perform(WM_CHAR, u's', 0);  // the caret is after the word
  EXPECT_TRUE(f.IsReplacingItemText());
  EXPECT_EQ(Context(f), u"0:I saw a mispeleds word");
  EXPECT_EQ(f.GetCorrectedText(), u"I saw a mispeleds word");
  EXPECT_EQ(f.rve->GetOffsetInCurItem(), 18);  // the caret stays where the typing left it
  for (TControl* c : {static_cast<TControl*>(f.btnChangeAll), static_cast<TControl*>(f.btnAdd),
                      static_cast<TControl*>(f.lblCmb), static_cast<TControl*>(f.lst)})
    EXPECT_FALSE(c->GetEnabled());
  EXPECT_TRUE(f.btnUndoEdit->GetVisible());
  EXPECT_TRUE(f.btnUndoEdit->GetDefault());
  EXPECT_FALSE(f.btnIgnore->GetDefault());
  // Further typing keeps the plain text.
  f.rve->Perform(WM_CHAR, u'!', 0);
  EXPECT_EQ(Context(f), u"0:I saw a mispeleds! word");
  // Enter in the context is the dialog's: Undo Edit, the default now, brings the context back.
  f.SetModalResult(mrNone);
  f.rve->Perform(WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(f.GetModalResult(), mrNone);
  EXPECT_FALSE(f.IsReplacingItemText());
  EXPECT_EQ(Context(f), u"0:I saw a 1:mispeled0: word");
  EXPECT_FALSE(f.btnUndoEdit->GetVisible());
  EXPECT_TRUE(f.btnIgnore->GetDefault());
  EXPECT_TRUE(f.btnChangeAll->GetEnabled() && f.btnAdd->GetEnabled() && f.lst->GetEnabled());
  // Unedited, Enter answers Ignore and Escape Cancel.
  f.rve->Perform(WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(f.GetModalResult(), mrNo);
  f.rve->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(f.GetModalResult(), mrCancel);
}

// Pixels of the context editor's area, in the dialog painted whole, that are clearly red.
int RedPixelsOfContext(TfrmRVSpellWord& F) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(F.GetWidth(), F.GetHeight());
  F.PaintTo(bmp.GetCanvas()->GetHandle(), 0, 0);
  const TRect r = F.rve->GetBoundsRect();
  int red = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      const TColor c = bmp.GetPixel(x, y);
      if ((c & 0xFF) > 180 && ((c >> 8) & 0xFF) < 90 && ((c >> 16) & 0xFF) < 90) ++red;
    }
  return red;
}

TEST_F(SpellDialogs, TheDialogPaintsTheWordInRedUntilTheTextIsEdited) {
  CreateSpellForm(rvhfMSWord, Form);
  TfrmRVSpellWord& f = Word();
  f.lst->Items().Add(u"misspelled");
  FillSpellForm(u"mispeled", u"I saw a mispeled word", 9, 17, &Style, Form);
  EXPECT_GT(RedPixelsOfContext(f), 20);
  f.rve->Perform(WM_CHAR, u's', 0);
  EXPECT_EQ(RedPixelsOfContext(f), 0);
}

TEST_F(SpellDialogs, OnlyOneLineOfTextIsPastedIntoTheContext) {
  CreateSpellForm(rvhfMSWord, Form);
  TfrmRVSpellWord& f = Word();
  FillSpellForm(u"mispeled", u"a mispeled word", 3, 11, &Style, Form);
  for (const char16_t* text : {u"two\r\nlines", u"line\n", u"\r"}) {
    Clipboard()->SetAsText(text);
    f.rve->Paste();
    EXPECT_EQ(Context(f), u"0:a 1:mispeled0: word");
    EXPECT_FALSE(f.IsReplacingItemText());
  }
  Clipboard()->SetAsText(u"ly");
  f.rve->Paste();
  EXPECT_TRUE(f.IsReplacingItemText());
  EXPECT_EQ(f.GetCorrectedText(), u"a mispeledly word");
}

// ---- under a real X server ----------------------------------------------------------------------

using x11_test_util::RunCommand;

struct SpellDialogsX11 : SpellDialogs {
  void SetUp() override {
    if (WindowSystemName() != "xcb") GTEST_SKIP() << "needs an X server (CTest entry test_spelling_x11)";
    ASSERT_TRUE(RunCommand("command -v xdotool")) << "xdotool is missing: scripts/setup.sh installs it";
  }
  // The window system's own events from another process once the dialog shows, and a timer that
  // ends a showing they did not end (with mrIgnore).
  void SendLater(const std::string& Actions) {
    std::system(("(sleep 0.5; xdotool " + Actions + ") > /dev/null 2>&1 &").c_str());
    Form->WindowProc = [this](TMessage& m) {
      if (m.Msg == WM_TIMER && m.WParam == 77)
        Form->SetModalResult(mrIgnore);
      else
        Form->WndProc(m);
    };
    SetTimer(Form->GetHandle(), 77, 8000);
  }
  static std::string Centre(TWinControl* Control) {
    TPoint p(Control->GetWidth() / 2, Control->GetHeight() / 2);
    ClientToScreen(Control->GetHandle(), &p);
    return std::to_string(p.X) + " " + std::to_string(p.Y);
  }
};

TEST_F(SpellDialogsX11, TheDialogsAnswerRealTypingAndClicks) {
  CreateSpellForm(rvhfMSWord, Form);
  TfrmRVSpellWord& f = Word();
  FillSpellForm(u"mispeled", u"a mispeled word", 3, 11, &Style, Form);
  // Typing into the context (focused when the dialog shows), then a click on Change.
  f.OnActivate = [&](TObject*) {
    EXPECT_TRUE(f.rve->Focused());
    SendLater("type ly; xdotool mousemove " + Centre(f.btnChange) + " click 1");
  };
  EXPECT_EQ(f.ShowModal(), mrYes);
  EXPECT_TRUE(f.IsReplacingItemText());
  EXPECT_EQ(f.GetCorrectedText(), u"a mispeledly word");
  // Shown again for the next word: Enter answers Ignore.
  FillSpellForm(u"wrod", u"wrod", 1, 5, &Style, Form);
  f.OnActivate = [&](TObject*) { SendLater("key Return"); };
  EXPECT_EQ(f.ShowModal(), mrNo);
  delete Form;
  Form = nullptr;

  CreateSpellForm(rvhfClassic, Form);
  TfrmRVSpell& c = Classic();
  c.cmb->Items().Add(u"word");
  FillSpellForm(u"wrod", u"a wrod", 3, 7, &Style, Form);
  c.OnActivate = [&](TObject*) {
    EXPECT_TRUE(c.cmb->EditPart()->Focused());
    SendLater("type s; xdotool mousemove " + Centre(c.btnChangeAll) + " click 1");
  };
  EXPECT_EQ(c.ShowModal(), mrYesToAll);
  EXPECT_EQ(c.GetCorrectedText(), u"words");
}

}  // namespace
