// Input-method composition in the editor: the toolkit's input-method events sent to the editor's
// window show the composition at the caret and insert the committed text as one step.
#include <gtest/gtest.h>

#include <string>

#include "EditorTestUtil.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Imm.h"
#include "platform/ui/Messages.h"

namespace {

struct Ime : EditorFixture {
  void SetUp() override {
    EditorFixture::SetUp();
    Sheet.UseSound = false;
    Add(u"abc", 0, 0);
    Add(u"indented", 0, 1);
    Editor->HandleNeeded();
    Editor->Format();
    Data->SetCaretAtItem(0, 2);  // a|bc
  }
  HWND Wnd() { return Editor->GetHandle(); }
  COMPOSITIONFORM Form() {
    COMPOSITIONFORM f;
    HIMC c = ImmGetContext(Wnd());
    ImmGetCompositionWindow(c, &f);
    ImmReleaseContext(Wnd(), c);
    return f;
  }
};

TEST_F(Ime, ACommitIsInsertedAtTheCaretAsOneUndoStep) {
  SendInputMethodEvent(Wnd(), u"", u"日本語");
  EXPECT_EQ(Data->GetItemTextW(0), u"a日本語bc");
  EXPECT_EQ(Editor->GetOffsetInCurItem(), 5);
  EXPECT_EQ(Data->UndoList->Count(), 1);
  Editor->Undo();
  EXPECT_EQ(Data->GetItemTextW(0), u"abc");
  EXPECT_EQ(Editor->UndoAction(), rvutNone);
}

TEST_F(Ime, ACompositionShowsAtTheCaretAndIsReplacedByTheCommit) {
  SendInputMethodEvent(Wnd(), u"にほん", u"");
  TRect shown;
  EXPECT_EQ(ShownComposition(Wnd(), &shown), u"にほん");
  // The document is untouched while composing; the composition stands at the caret.
  EXPECT_EQ(Data->GetItemTextW(0), u"abc");
  const TPoint caret = Data->GetIMEWinCoord();
  EXPECT_EQ(Form().ptCurrentPos, caret);
  EXPECT_EQ(shown.TopLeft(), caret);
  EXPECT_EQ(Form().dwStyle, CFS_RECT);

  SendInputMethodEvent(Wnd(), u"", u"日本");
  EXPECT_EQ(ShownComposition(Wnd(), nullptr), u"");
  EXPECT_EQ(Data->GetItemTextW(0), u"a日本bc");
  EXPECT_EQ(Data->UndoList->Count(), 1);
}

TEST_F(Ime, APressOfTheMouseCompletesTheComposition) {
  SendInputMethodEvent(Wnd(), u"かな", u"");
  Editor->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(1, 1));
  Editor->Perform(WM_LBUTTONUP, 0, MakeLParam(1, 1));
  EXPECT_EQ(Data->GetItemTextW(0), u"aかなbc");
  EXPECT_EQ(ShownComposition(Wnd(), nullptr), u"");
}

TEST_F(Ime, AReadOnlyEditorKeepsItsDocument) {
  Editor->SetReadOnly(true);
  SendInputMethodEvent(Wnd(), u"", u"日本語");
  EXPECT_EQ(Data->GetItemTextW(0), u"abc");
  EXPECT_EQ(Editor->UndoAction(), rvutNone);
}

// The composition area leaves out the control's margins and the paragraph's indents.
TEST_F(Ime, TheAreaStaysInsideTheParagraphsTextArea) {
  TParaInfo* para = Sheet.ParaStyles()->Items(1);
  para->LeftIndent = 30;
  para->RightIndent = 20;
  Editor->Format();
  Data->SetCaretAtItem(1, 1);
  Editor->SetCurParaStyleNo(1);
  Editor->Perform(WM_IME_STARTCOMPOSITION, 0, 0);
  const COMPOSITIONFORM f = Form();
  const TRect client = Editor->GetClientRect();
  EXPECT_EQ(f.rcArea.Left, client.Left + Editor->GetLeftMargin() + Sheet.GetAsPixels(30));
  EXPECT_EQ(f.rcArea.Right, client.Right - Editor->GetRightMargin() - Sheet.GetAsPixels(20));
  EXPECT_GE(f.ptCurrentPos.X, f.rcArea.Left);
}

}  // namespace
