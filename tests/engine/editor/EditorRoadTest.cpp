// The editor control driven as a person drives it: keys and characters through the control's
// messages, undo and redo, and the editing operations, each read back through the document.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/document/RVGraphicItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

namespace {

inline const bool RoadTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

struct EditorRoad : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> E;
  TRVEditRVData* D = nullptr;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 3) Sheet.ParaStyles()->Add();
    E = std::make_unique<TViroZereEdit>(nullptr);
    E->SetBounds(0, 0, 400, 300);
    E->SetStyle(&Sheet);
    D = E->GetEditRVData();
    E->HandleNeeded();
    E->Format();
  }

  // A key as the window system delivers it: key down with the modifiers held, then the
  // character it makes (when any), then key up.
  void Key(WORD Vk, TShiftState Shift = {}, char16_t Ch = 0) {
    SendKeyDown(Vk, Shift);
    if (Ch) E->Perform(WM_CHAR, Ch, 0);
  }
  void Type(const std::u16string& Text) {
    for (char16_t c : Text) Key(static_cast<WORD>(c >= u'a' && c <= u'z' ? c - 32 : c), {}, c);
  }
  void SendKeyDown(WORD Vk, TShiftState Shift) {
    BYTE State[256] = {};
    if (Shift.Contains(ssShift)) State[VK_SHIFT] = 0x80;
    if (Shift.Contains(ssCtrl)) State[VK_CONTROL] = 0x80;
    if (Shift.Contains(ssAlt)) State[VK_MENU] = 0x80;
    State[Vk] = 0x80;
    SetKeyboardState(State);
    E->Perform(WM_KEYDOWN, Vk, Shift.Contains(ssAlt) ? (LPARAM(1) << 29) : 0);
    const BYTE None[256] = {};
    SetKeyboardState(None);
    E->Perform(WM_KEYUP, Vk, 0);
  }
  int Caret() { return D->GetOffsetInCurItem(); }
  // Every draw item is there and the lines equal those of a whole formatting.
  void ExpectLaidOutAsWhole() {
    for (int i = 0; i < D->DrawItems->Count(); ++i) ASSERT_NE(D->DrawItems->Get(i), nullptr) << i;
    std::vector<int> tops;
    for (int i = 0; i < D->DrawItems->Count(); ++i) tops.push_back(D->DrawItems->Get(i)->Top);
    E->Format();
    std::vector<int> whole;
    for (int i = 0; i < D->DrawItems->Count(); ++i) whole.push_back(D->DrawItems->Get(i)->Top);
    EXPECT_EQ(tops, whole);
  }

  std::u16string Text() const {
    std::u16string s;
    for (int i = 0; i < D->ItemCount(); ++i) {
      if (i && !D->GetItem(i)->GetSameAsPrev()) s += u'|';
      s += D->GetItemTextW(i);
    }
    return s;
  }
};

// Typed characters make one typing step that undo takes back a character at a time, the caret
// following; redo brings them back. Enter is a step of its own.
TEST_F(EditorRoad, TypingUndoAndRedoOneCharacterAtATime) {
  Type(u"abc");
  EXPECT_EQ(Text(), u"abc");
  EXPECT_EQ(D->UndoList->Count(), 1);
  EXPECT_EQ(E->UndoAction(), rvutTyping);
  const struct {
    std::u16string Text;
    int Caret;
  } afterUndo[] = {{u"ab", 3}, {u"a", 2}, {u"", 1}};
  for (const auto& a : afterUndo) {
    Key('Z', {ssCtrl});
    EXPECT_EQ(Text(), a.Text);
    EXPECT_EQ(Caret(), a.Caret);
  }
  for (const char16_t* t : {u"a", u"ab", u"abc"}) {
    Key('Z', {ssCtrl, ssShift});
    EXPECT_EQ(Text(), t);
  }
  EXPECT_EQ(Caret(), 4);
  ExpectLaidOutAsWhole();
}

TEST_F(EditorRoad, EnterIsUndoneBeforeTheTyping) {
  Type(u"abc");
  Key(VK_RETURN, {}, u'\r');
  EXPECT_EQ(Text(), u"abc|");
  EXPECT_EQ(D->GetCurItemNo(), 1);
  Key('Z', {ssCtrl});
  EXPECT_EQ(Text(), u"abc");
  for (int i = 0; i < 3; ++i) Key('Z', {ssCtrl});
  EXPECT_EQ(Text(), u"");
  EXPECT_EQ(E->UndoAction(), rvutNone);
  ExpectLaidOutAsWhole();
}

// Backspace in the empty paragraph that Enter made takes it away again; the view scrolled to a
// single line below its top still paints (the one draw item is found above the view's top).
TEST_F(EditorRoad, BackspaceTakesTheNewParagraphAway) {
  Type(u"abc");
  Key(VK_RETURN, {}, u'\r');
  Key(VK_BACK, {}, u'\b');
  EXPECT_EQ(Text(), u"abc");
  EXPECT_EQ(Caret(), 4);
  ExpectLaidOutAsWhole();
  EXPECT_EQ(D->GetDrawItemNo(D->DrawItems->Get(0)->Top + 5, 1), 0);
}

// Deleting everything keeps the vertical bar (disabled), so the text keeps its width and what undo
// brings back wraps as before.
TEST_F(EditorRoad, DeletingEverythingKeepsTheTextWidth) {
  for (int i = 0; i < 60; ++i) D->AddNL(u"a line of words that wraps in a narrow window when it is long enough", 0, 0);
  E->Format();
  const int width = E->GetClientWidth(), height = D->DocumentHeight, items = D->ItemCount();
  E->SelectAll();
  Key(VK_DELETE);
  ASSERT_EQ(D->ItemCount(), 1);
  EXPECT_EQ(E->GetClientWidth(), width);
  E->Undo();
  EXPECT_EQ(D->ItemCount(), items);
  EXPECT_EQ(E->GetClientWidth(), width);
  EXPECT_EQ(D->DocumentHeight, height);
  ExpectLaidOutAsWhole();
}

// Shift+Enter breaks the line inside the paragraph; Backspace joins what Enter split.
TEST_F(EditorRoad, ShiftEnterBreaksTheLineAndBackspaceJoins) {
  Type(u"ab");
  Key(VK_LEFT);
  Key(VK_RETURN, {ssShift}, u'\r');
  ASSERT_EQ(D->ItemCount(), 2);
  EXPECT_TRUE(D->GetItem(1)->GetBR());
  EXPECT_FALSE(D->GetItem(1)->GetSameAsPrev());
  Key(VK_RETURN, {}, u'\r');
  EXPECT_EQ(Text(), u"a||b");
  Key(VK_BACK, {}, u'\b');
  Key(VK_BACK, {}, u'\b');
  EXPECT_EQ(Text(), u"ab");
  EXPECT_EQ(D->ItemCount(), 1);
  ExpectLaidOutAsWhole();
}

// Alt+X turns the code before the caret into its character and back, one step each.
TEST_F(EditorRoad, AltXTogglesTheCodeBeforeTheCaret) {
  Type(u"x263a");
  Key('X', {ssAlt});
  EXPECT_EQ(Text(), u"x\u263A");
  Key('X', {ssAlt});
  EXPECT_EQ(Text(), u"x263A");
  Key('Z', {ssCtrl});
  EXPECT_EQ(Text(), u"x\u263A");
}

// A picture goes between the halves of the word; a read-only editor beeps and stays unmodified.
TEST_F(EditorRoad, PictureSplitsTheWordAndReadOnlyRefuses) {
  Type(u"Hello");
  for (int i = 0; i < 3; ++i) Key(VK_LEFT);
  auto* bmp = new TBitmap;
  bmp->SetSize(20, 10);
  ASSERT_TRUE(E->InsertPicture(u"pic", bmp, rvvaBaseline));
  ASSERT_EQ(D->ItemCount(), 3);
  EXPECT_EQ(D->GetItemTextW(0), u"He");
  EXPECT_EQ(D->GetItem(1)->StyleNo, -3);
  EXPECT_EQ(D->GetItemTextW(2), u"llo");
  EXPECT_TRUE(D->GetItem(2)->GetSameAsPrev());
  Key('Z', {ssCtrl});
  EXPECT_EQ(Text(), u"Hello");

  E->SetModified(false);
  E->SetReadOnly(true);
  const int beeps = MessageBeepCount();
  Type(u"q");
  Key(VK_BACK, {}, u'\b');
  Key(VK_RETURN, {}, u'\r');
  EXPECT_EQ(Text(), u"Hello");
  EXPECT_FALSE(E->GetModified());
  EXPECT_GE(MessageBeepCount() - beeps, 3);
}

// Ctrl+Right stops before the next word; Up and Down keep their column across a short line.
TEST_F(EditorRoad, WordAndLineMovesKeepTheirPlaces) {
  Type(u"one two");
  Key(VK_HOME);
  Key(VK_RIGHT, {ssCtrl});
  EXPECT_EQ(Caret(), 5);
  Key(VK_END);
  Key(VK_RETURN, {}, u'\r');
  Type(u"ab");
  Key(VK_RETURN, {}, u'\r');
  Type(u"three four");
  Key(VK_UP);
  Key(VK_UP);
  EXPECT_EQ(D->GetCurItemNo(), 0);
  EXPECT_EQ(Caret(), 8);
  Key(VK_DOWN);
  EXPECT_EQ(D->GetCurItemNo(), 1);
  EXPECT_EQ(Caret(), 3);
  Key(VK_DOWN);
  EXPECT_EQ(D->GetCurItemNo(), 2);
  EXPECT_EQ(Caret(), 11);
}

}  // namespace
