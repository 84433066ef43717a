// Keys and characters sent to the editor control as window messages with a shift state: which
// shortcut, gate, data operation or message each one reaches, characters typed by their code with
// Alt and the keypad, and the control's answers to the window system's questions about keys.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"

namespace keyboard_test {

inline const bool ScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

// An editor that notes the clipboard messages and characters its window gets.
class TRecordingEdit : public TViroZereEdit {
 public:
  using TViroZereEdit::TViroZereEdit;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_CUT || Message.Msg == WM_COPY || Message.Msg == WM_PASTE || Message.Msg == WM_CHAR)
      Seen.push_back(Message);
    TViroZereEdit::Dispatch(Message);
  }
  std::vector<TMessage> Seen;
};

std::string MessageName(Cardinal Msg) {
  switch (Msg) {
    case WM_CUT: return "cut";
    case WM_COPY: return "copy";
    case WM_PASTE: return "paste";
    case WM_CHAR: return "char";
    default: return "?";
  }
}

// A formatted editor with two paragraphs, the caret in the first; OnChanging counts the gate's
// questions and refuses (so that nothing changes unless a test allows it); OnKeyPress notes the
// characters that reach the class library's key-press handling.
struct KeyboardFixture : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TRecordingEdit> Editor;
  TRVEditRVData* Data = nullptr;
  int GateAsked = 0;
  bool AllowChanges = false;
  std::u16string Pressed;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    Sheet.UseSound = true;
    Editor = std::make_unique<TRecordingEdit>(nullptr);
    Editor->SetBounds(0, 0, 400, 300);
    Editor->SetStyle(&Sheet);
    Data = Editor->GetEditRVData();
    Data->AddNL(u"one two three", 0, 0);
    Data->AddNL(u"four", 0, 0);
    Editor->Format();
    Data->SetCaretAtItem(0, 1);
    Editor->OnChanging = [this](TCustomViroZereEdit*, bool& CanEdit) {
      ++GateAsked;
      CanEdit = AllowChanges;
    };
    Editor->OnKeyPress = [this](TObject*, WideChar& Key) { Pressed += Key; };
  }
  void TearDown() override {
    const BYTE None[256] = {};
    SetKeyboardState(None);
  }

  // WM_KEYDOWN with the keyboard state and key data of Shift.
  void Down(WORD Key, TShiftState Shift = {}) {
    BYTE State[256] = {};
    if (Shift.Contains(ssShift)) State[VK_SHIFT] = 0x80;
    if (Shift.Contains(ssCtrl)) State[VK_CONTROL] = 0x80;
    if (Shift.Contains(ssAlt)) State[VK_MENU] = 0x80;
    State[Key] = 0x80;
    SetKeyboardState(State);
    Editor->Perform(WM_KEYDOWN, Key, Shift.Contains(ssAlt) ? AltMask : 0);
  }
  void Up(WORD Key) {
    const BYTE None[256] = {};
    SetKeyboardState(None);
    Editor->Perform(WM_KEYUP, Key, 0);
  }
  void Char(WideChar C) { Editor->Perform(WM_CHAR, C, 0); }
  void SelectTwo() { Data->SetSelectionBounds(0, 5, 0, 8); }
  std::int64_t AltCode() { return Data->GetRootEditProperties()->AltCode; }
};

// ---- shortcuts ----------------------------------------------------------------------------------

// Cut, paste and copy go to the own window as messages; Shift+Delete is a cut, so without a
// selection it deletes nothing, while Delete and Backspace reach the data's delete keys and mark
// the document changed (unless the editor is read-only).
TEST_F(KeyboardFixture, ShortcutsSendClipboardMessagesAndDeleteKeysChange) {
  struct Case {
    const char* Name;
    WORD Key;
    TShiftState Shift;
    bool ReadOnly;
    const char* Message;  // the message the own window got; "" none
    bool Modified;
  } const Cases[] = {
      {"Ctrl+X", 'X', {ssCtrl}, false, "cut", false},
      {"Shift+Delete", VK_DELETE, {ssShift}, false, "cut", false},
      {"Ctrl+V", 'V', {ssCtrl}, false, "paste", false},
      {"Shift+Insert", VK_INSERT, {ssShift}, false, "paste", false},
      {"Ctrl+C", 'C', {ssCtrl}, false, "copy", false},
      {"Ctrl+Insert", VK_INSERT, {ssCtrl}, false, "copy", false},
      {"Ctrl+Alt+V is no paste", 'V', {ssCtrl, ssAlt}, false, "", false},
      {"Ctrl+Shift+Delete is no cut", VK_DELETE, {ssCtrl, ssShift}, false, "", true},
      {"Delete", VK_DELETE, {}, false, "", true},
      {"Backspace", VK_BACK, {}, false, "", true},
      {"Ctrl+Backspace", VK_BACK, {ssCtrl}, false, "", true},
      {"Delete, read-only", VK_DELETE, {}, true, "", false},
      {"Backspace, read-only", VK_BACK, {}, true, "", false},
  };
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.Name);
    Editor->SetModified(false);
    Editor->SetFReadOnly(c.ReadOnly);
    Editor->Seen.clear();
    Down(c.Key, c.Shift);
    std::string Got;
    for (const TMessage& m : Editor->Seen) Got += MessageName(m.Msg);
    EXPECT_EQ(Got, c.Message);
    EXPECT_EQ(Editor->GetModified(), c.Modified);
  }
}

// Ctrl+Up and Ctrl+Down scroll the view by one step; with Shift they are caret keys again (the
// caret stays in view there, so the view keeps its place).
TEST_F(KeyboardFixture, CtrlUpAndDownScrollByOneStep) {
  for (int i = 0; i < 80; ++i) Data->AddNL(u"line", 0, 0);
  Editor->HandleNeeded();
  Editor->Format();
  ASSERT_GT(Editor->GetVScrollMax(), 10);
  struct Case {
    WORD Key;
    TShiftState Shift;
    int Pos;
  } const Cases[] = {{VK_UP, {ssCtrl}, 4}, {VK_DOWN, {ssCtrl}, 6}, {VK_UP, {ssCtrl, ssShift}, 5}};
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.Key);
    Data->SetCaretAtItem(20, 0);
    Editor->SetVScrollPos(5);
    Down(c.Key, c.Shift);
    EXPECT_EQ(Editor->GetVScrollPos(), c.Pos);
  }
}

// ---- the gate before a key changes the document ---------------------------------------------------

// A key that types (no Alt or Ctrl, not Insert) first deletes a selection, after the gate allows
// it; movement and modifier keys never ask the gate. Enter asks it (unless the editor does not
// want returns, or Shift+Enter is not wanted), and so do Backspace and Delete with a selection.
TEST_F(KeyboardFixture, KeysThatChangeTheDocumentAskTheGateFirst) {
  struct Case {
    const char* Name;
    WORD Key;
    TShiftState Shift;
    bool Selection;
    TRVEditorOptions Options;
    int Asked;
  } const Cases[] = {
      {"letter with a selection", 'A', {}, true, RVDefaultEditorOptions, 1},
      {"letter without a selection", 'A', {}, false, RVDefaultEditorOptions, 0},
      {"Shift+letter with a selection", 'A', {ssShift}, true, RVDefaultEditorOptions, 1},
      {"Ctrl+letter with a selection", 'B', {ssCtrl}, true, RVDefaultEditorOptions, 0},
      {"Alt+letter with a selection", 'B', {ssAlt}, true, RVDefaultEditorOptions, 0},
      {"Insert with a selection", VK_INSERT, {}, true, RVDefaultEditorOptions, 0},
      {"Left with a selection", VK_LEFT, {}, true, RVDefaultEditorOptions, 0},
      {"Shift with a selection", VK_SHIFT, {ssShift}, true, RVDefaultEditorOptions, 0},
      {"F5 with a selection", VK_F1 + 4, {}, true, RVDefaultEditorOptions, 0},
      {"Backspace with a selection", VK_BACK, {}, true, RVDefaultEditorOptions, 1},
      {"Delete with a selection", VK_DELETE, {}, true, RVDefaultEditorOptions, 1},
      {"Enter", VK_RETURN, {}, false, RVDefaultEditorOptions, 1},
      {"Enter, returns not wanted", VK_RETURN, {}, false, {rvoDoNotWantReturns}, 0},
      {"Shift+Enter", VK_RETURN, {ssShift}, false, RVDefaultEditorOptions, 1},
      {"Shift+Enter, shift returns not wanted", VK_RETURN, {ssShift}, false, {rvoDoNotWantShiftReturns}, 0},
      {"Enter with a selection", VK_RETURN, {}, true, RVDefaultEditorOptions, 1},
  };
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.Name);
    Editor->SetEditorOptions(c.Options);
    Data->Deselect(nullptr, false);
    Data->SetCaretAtItem(0, 1);
    if (c.Selection) SelectTwo();
    GateAsked = 0;
    const int Beeps = MessageBeepCount();
    Down(c.Key, c.Shift);
    EXPECT_EQ(GateAsked, c.Asked);
    // A refusal is heard; a key that is not wanted is silent.
    EXPECT_EQ(MessageBeepCount() - Beeps, c.Asked);
  }
}

// A character is typed only after the gate allows it, with the data in its typing state; control
// characters other than Tab only reach OnKeyPress; a partially selected item refuses with a beep.
TEST_F(KeyboardFixture, CharactersAskTheGateInTheTypingState) {
  bool TypingStateSeen = false;
  Editor->OnChanging = [&](TCustomViroZereEdit*, bool& CanEdit) {
    // The character's own ask is the first; inserting a tab item asks again outside it.
    if (GateAsked++ == 0) TypingStateSeen = Data->State.Contains(rvstKeyPress);
    CanEdit = AllowChanges;
  };
  struct Case {
    WideChar C;
    bool Allow;
    int Asked;
    const char16_t* Pressed;
  } const Cases[] = {
      {u'a', false, 1, u""},    {u'a', true, 1, u"a"},   {u'\t', true, 2, u"\t"},
      {0x1A, true, 0, u"\x1a"}, {u'\r', true, 0, u"\r"}, {0x7F, true, 0, u"\x7f"},
  };
  for (const Case& c : Cases) {
    SCOPED_TRACE(static_cast<int>(c.C));
    AllowChanges = c.Allow;
    GateAsked = 0;
    Pressed.clear();
    Char(c.C);
    EXPECT_EQ(GateAsked, c.Asked);
    EXPECT_EQ(Pressed, c.Pressed);
    if (c.Asked) {
      EXPECT_TRUE(TypingStateSeen);
    }
    EXPECT_FALSE(Data->State.Contains(rvstKeyPress));
  }
  // A table with selected cells takes no typing.
  AllowChanges = true;
  Data->FPartialSelectedItem = Data->GetItem(1);
  const int Beeps = MessageBeepCount();
  Char(u'z');
  Data->FPartialSelectedItem = nullptr;
  EXPECT_EQ(MessageBeepCount() - Beeps, 1);
  // While the data ignores the next character, nothing at all happens.
  Data->State.Include(rvstIgnoreNextChar);
  GateAsked = 0;
  Pressed.clear();
  Char(u'q');
  Data->State.Exclude(rvstIgnoreNextChar);
  EXPECT_EQ(GateAsked, 0);
  EXPECT_EQ(Pressed, u"");
}

// Ctrl+Tab posts a tab character to the own window; Tab alone does not.
TEST_F(KeyboardFixture, CtrlTabPostsATabCharacter) {
  Editor->HandleNeeded();
  AllowChanges = true;
  Down(VK_TAB, {});
  ProcessMessages(20);
  EXPECT_TRUE(Editor->Seen.empty());
  Down(VK_TAB, {ssCtrl});
  ProcessMessages(20);
  ASSERT_EQ(Editor->Seen.size(), 1u);
  EXPECT_EQ(Editor->Seen[0].Msg, WM_CHAR);
  EXPECT_EQ(Editor->Seen[0].WParam, static_cast<WPARAM>(VK_TAB));
  EXPECT_EQ(Pressed, u"\t");
}

// Holding Ctrl makes hyperlinks answer the mouse (with rvoCtrlJumps); releasing it ends that.
TEST_F(KeyboardFixture, CtrlHeldBuildsHyperlinkRectangles) {
  for (const bool CtrlJumps : {true, false}) {
    SCOPED_TRACE(CtrlJumps);
    Editor->SetEditorOptions(CtrlJumps ? TRVEditorOptions{rvoCtrlJumps} : TRVEditorOptions{});
    Down(VK_CONTROL, {ssCtrl});
    EXPECT_EQ(Data->GetAbsoluteRootData()->GetFlags().Contains(rvflUseJumps), CtrlJumps);
    Up(VK_CONTROL);
    EXPECT_FALSE(Data->GetAbsoluteRootData()->GetFlags().Contains(rvflUseJumps));
  }
}

// ---- characters by their code: Alt and the numeric keypad -----------------------------------------

// Alt+keypad digits that start with 0 collect a code that replaces the character the window system
// then sends; without the leading 0, or with rvoAlt0CodesUseKeyboardCodepage, that character is
// typed. Another key cancels a code. A code that is a lone surrogate or beyond U+10FFFF is refused
// with a beep, and the window system's character with it.
TEST_F(KeyboardFixture, AltKeypadCodes) {
  struct Case {
    const char* Name;
    const char* Digits;  // keypad digits typed with Alt
    WORD Between;        // another key pressed after them (0: none)
    TRVEditorOptions Options;
    WideChar SystemChar;   // the character the window system sends when Alt is released
    std::int64_t Pending;  // AltCode before that character
    const char16_t* Pressed;
    int Beeps;
  } const Cases[] = {
      {"0169", "0169", 0, RVDefaultEditorOptions, 0xA9, 169, u"", 0},
      {"169 without the leading 0", "169", 0, RVDefaultEditorOptions, 0x2310, -1, u"\u2310", 0},
      {"0169 left to the keyboard's code page", "0169", 0, {rvoAlt0CodesUseKeyboardCodepage}, 0xA9, 169, u"\u00a9", 0},
      {"0 alone", "0", 0, RVDefaultEditorOptions, u'x', 0, u"x", 0},
      {"cancelled by another key", "01", VK_LEFT, RVDefaultEditorOptions, u'x', -1, u"x", 0},
      {"a lone high surrogate", "055296", 0, RVDefaultEditorOptions, 0xC0, 55296, u"", 1},
      {"a lone low surrogate", "057343", 0, RVDefaultEditorOptions, 0xFF, 57343, u"", 1},
      {"the last code point", "01114111", 0, RVDefaultEditorOptions, u'?', 1114111, u"", 0},
      {"beyond the last code point", "01114112", 0, RVDefaultEditorOptions, u'@', -2, u"", 1},
      {"far beyond", "099999999999999999999999", 0, RVDefaultEditorOptions, u'?', -2, u"", 1},
  };
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.Name);
    Editor->SetEditorOptions(c.Options);
    AllowChanges = true;
    Pressed.clear();
    Down(VK_MENU, {ssAlt});
    for (const char* d = c.Digits; *d; ++d) Down(static_cast<WORD>(VK_NUMPAD0 + (*d - '0')), {ssAlt});
    if (c.Between) Down(c.Between, {ssAlt});
    Up(VK_MENU);
    if (c.Pending == -2) {
      EXPECT_GT(AltCode(), 0x10FFFF);
    } else {
      EXPECT_EQ(AltCode(), c.Pending);
    }
    const int Beeps = MessageBeepCount();
    Char(c.SystemChar);
    EXPECT_EQ(Pressed, c.Pressed);
    EXPECT_EQ(MessageBeepCount() - Beeps, c.Beeps);
    if (!c.Options.Contains(rvoAlt0CodesUseKeyboardCodepage)) {
      EXPECT_EQ(AltCode(), -1);
    }
    Data->GetRootEditProperties()->AltCode = -1;
  }
}

// A digit without Alt, or Alt with a key that is not a keypad digit, forgets a pending code.
TEST_F(KeyboardFixture, AltCodeIsForgottenByOtherKeys) {
  struct Case {
    WORD Key;
    TShiftState Shift;
    std::int64_t After;
  } const Cases[] = {
      {VK_NUMPAD0 + 7, {}, -1}, {'7', {ssAlt}, -1}, {VK_NUMPAD0 + 7, {ssAlt}, 17}, {VK_SHIFT, {ssAlt, ssShift}, -1}};
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.Key);
    Data->GetRootEditProperties()->AltCode = 1;
    Down(c.Key, c.Shift);
    EXPECT_EQ(AltCode(), c.After);
  }
}

// ---- the window system's questions and whole characters -------------------------------------------

TEST_F(KeyboardFixture, DialogCodesFollowTheOptions) {
  struct Case {
    TRVEditorOptions Options;
    LRESULT DlgCode;
    LRESULT WantsEnter;
  } const Cases[] = {
      {{}, DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS, 1},
      {{rvoWantTabs}, DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_WANTTAB, 1},
      {{rvoDoNotWantReturns}, DLGC_WANTARROWS | DLGC_WANTCHARS, 0},
      {{rvoDoNotWantReturns, rvoWantTabs}, DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB, 0},
  };
  for (const Case& c : Cases) {
    Editor->SetEditorOptions(c.Options);
    EXPECT_EQ(Editor->Perform(WM_GETDLGCODE, 0, 0), c.DlgCode);
    EXPECT_EQ(Editor->Perform(CM_WANTSPECIALKEY, VK_RETURN, 0), c.WantsEnter);
    EXPECT_EQ(Editor->Perform(CM_WANTSPECIALKEY, VK_LEFT, 0), 0);
  }
}

// WM_UNICHAR: the control says it takes whole code points; a code point is typed after the gate
// allows it, while a surrogate or a value beyond U+10FFFF is refused with a beep.
TEST_F(KeyboardFixture, WholeCodePointsAreTypedAfterTheGateOrRefused) {
  struct Case {
    WPARAM Code;
    int Asked;
    int Beeps;
  } const Cases[] = {
      {0x263A, 1, 1}, {0x1F600, 1, 1}, {0x10FFFF, 1, 1}, {0xD800, 0, 1},     {0xDBFF, 0, 1},
      {0xDC00, 0, 1}, {0xDFFF, 0, 1},  {0x110000, 0, 1}, {0xFFFFFFFF, 0, 1},
  };
  EXPECT_EQ(Editor->Perform(WM_UNICHAR, UNICODE_NOCHAR, 0), 1);
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.Code);
    GateAsked = 0;
    const int Beeps = MessageBeepCount();
    // The gate refuses here: its refusal beeps too, so every case beeps once, one way or the other.
    EXPECT_EQ(Editor->Perform(WM_UNICHAR, c.Code, 0), 0);
    EXPECT_EQ(GateAsked, c.Asked);
    EXPECT_EQ(MessageBeepCount() - Beeps, c.Beeps);
  }
}

// Alt+Backspace is undo on key-down; its system character is swallowed while undo is on.
TEST_F(KeyboardFixture, AltBackspaceSystemCharacterIsSwallowedWhileUndoIsOn) {
  struct Case {
    WPARAM Char;
    int UndoLimit;
    bool Handled;
  } const Cases[] = {{VK_BACK, -1, true}, {VK_BACK, 5, true}, {VK_BACK, 0, false}, {u'x', -1, false}};
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.UndoLimit);
    Editor->SetUndoLimit(c.UndoLimit);
    TMessage m{WM_SYSCHAR, c.Char, AltMask, 0};
    EXPECT_EQ(Editor->KeyDispatch(m), c.Handled);
  }
}

// An editor without a style sheet, or with one but never formatted, takes every key and character
// without harm; without a style sheet nothing is added to the document.
TEST(KeyboardWithoutDocument, KeysAndCharactersDoNoHarm) {
  TRVStyle Sheet(nullptr);
  Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
  Sheet.UseSound = false;
  for (const bool WithStyle : {false, true}) {
    SCOPED_TRACE(WithStyle);
    TViroZereEdit E(nullptr);
    E.SetBounds(0, 0, 200, 100);
    if (WithStyle) E.SetStyle(&Sheet);
    const struct {
      WORD Key;
      LPARAM Data;
    } Keys[] = {{VK_LEFT, 0},          {VK_END, 0},
                {VK_NEXT, 0},          {'A', 0},
                {VK_BACK, 0},          {VK_DELETE, 0},
                {VK_RETURN, 0},        {VK_TAB, 0},
                {VK_CONTROL, 0},       {VK_UP, 0},
                {VK_ESCAPE, 0},        {'X', AltMask},
                {VK_NUMPAD0, AltMask}, {VK_NUMPAD0 + 5, AltMask}};
    for (const auto& k : Keys) {
      E.Perform(WM_KEYDOWN, k.Key, k.Data);
      E.Perform(WM_KEYUP, k.Key, k.Data);
    }
    for (const WPARAM c : {WPARAM(u'a'), WPARAM(u'\t'), WPARAM(u'\r'), WPARAM(0x41)}) E.Perform(WM_CHAR, c, 0);
    E.Perform(WM_UNICHAR, 0x263A, 0);
    E.Perform(WM_SYSCHAR, VK_BACK, AltMask);
    if (!WithStyle) {
      EXPECT_EQ(E.GetRVData()->ItemCount(), 0);
    }
  }
}

// ---- effects that need the data's operations -------------------------------------------------------

std::u16string Text(TRVEditRVData* D) {
  std::u16string s;
  for (int i = 0; i < D->ItemCount(); ++i) s += (i && D->IsParaStart(i) ? u"|" : u"") + D->GetItemTextW(i);
  return s;
}

TEST_F(KeyboardFixture, TypingALetterReplacesTheSelection) {
  AllowChanges = true;
  SelectTwo();
  Down('X', {ssShift});
  Char(u'X');
  EXPECT_EQ(Text(Data), u"one X three|four");
  Editor->Undo();
  EXPECT_EQ(Text(Data), u"one  three|four");
  Editor->Undo();
  EXPECT_EQ(Text(Data), u"one two three|four");
}

TEST_F(KeyboardFixture, DeleteDeletesAndShiftDeleteWithoutSelectionDoesNot) {
  AllowChanges = true;
  Data->SetCaretAtItem(0, 1);
  Down(VK_DELETE, {ssShift});
  EXPECT_EQ(Text(Data), u"one two three|four");
  Down(VK_DELETE, {});
  EXPECT_EQ(Text(Data), u"ne two three|four");
}

TEST_F(KeyboardFixture, AltKeypadCodeIsInsertedAsText) {
  AllowChanges = true;
  Data->SetCaretAtItem(1, 5);
  for (const char* Digits : {"0169", "0128512"}) {
    Down(VK_MENU, {ssAlt});
    for (const char* d = Digits; *d; ++d) Down(static_cast<WORD>(VK_NUMPAD0 + (*d - '0')), {ssAlt});
    Up(VK_MENU);
    Char(u'?');
  }
  Editor->Perform(WM_UNICHAR, 0x263A, 0);
  EXPECT_EQ(Text(Data), u"one two three|four\u00a9\U0001F600\u263A");
}

// Ctrl+End at the end of the document tells OnCaretGetOut that the caret wants to leave at the
// bottom, Ctrl+Home at its start at the top (a cell editor leaves its cell so); plain End and Home
// stay on their line and never ask to leave. The arrows of a document
// turned by 90 degrees (Left acting as Down) need a rotated cell editor, which comes with tables.
TEST_F(KeyboardFixture, EndAndHomeAtTheEdgesRaiseCaretGetOut) {
  std::vector<TRVGetOutDirection> Out;
  Editor->OnCaretGetOut = [&](TCustomViroZereEdit*, TRVGetOutDirection D) { Out.push_back(D); };
  Data->SetCaretAtItem(1, 5);
  Down(VK_END, {});
  Down(VK_END, {ssCtrl});
  Data->SetCaretAtItem(0, 1);
  Down(VK_HOME, {ssCtrl});
  Down(VK_RIGHT, {});
  EXPECT_EQ(Out, (std::vector<TRVGetOutDirection>{rvdBottom, rvdTop}));
}

}  // namespace keyboard_test
