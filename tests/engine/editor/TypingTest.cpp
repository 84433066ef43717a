// Typing: where a typed character goes (the caret's item, the next item of the current style, a
// new item), what the undo list keeps of it, what protection and read-only paragraphs refuse, the
// item-text-edit hook, the current tag and the conversion of an item's associated text style.
#include <gtest/gtest.h>

#include <string>

#include "engine/document/RVTextItems.h"
#include "engine/editor/EditorTestUtil.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "platform/ui/Dialogs.h"

namespace {

struct TypingEditor : EditorFixture {
  void FormatAndPlace(int ItemNo, int Offs, int CurTextStyle = -1) {
    Editor->HandleNeeded();
    Editor->Format();
    Data->SetCaretAtItem(ItemNo, Offs);
    Data->ChangeCaret(false, false, false, false);
    if (CurTextStyle >= 0) Data->SetCurTextStyleNo(CurTextStyle);
  }
  void Type(const std::u16string& Keys) {
    for (char16_t c : Keys) {
      WideChar k = c;
      Data->KeyPress(k);
    }
  }
  // The document without the probe and checkpoint counts.
  std::string Doc() const {
    std::string s = Snap();
    return s.substr(0, s.find(" cp"));
  }
  void Protect(int StyleNo, TRVProtectOptions P) { Sheet.TextStyles()->Items(StyleNo)->Protection = P; }
  int Steps() const { return Data->UndoList->Count(); }
  void UndoOnce() { Data->UndoList->Undo(Data); }
};

// Three keys into an item of the current style: one typing step that gives the characters back
// one undo at a time, the caret following them; an empty document types into its empty paragraph.
TEST_F(TypingEditor, ThreeKeysAreOneTypingStepUndoneOneCharacterAtATime) {
  struct Case {
    const char* Name;
    const char16_t* Text;
    int Offs;
    const char* Typed;
    const char* Undone[3];
  } cases[] = {
      {"after ab", u"ab", 3, "abxyz@0/0", {"abxy@0/0", "abx@0/0", "ab@0/0"}},
      {"empty document", nullptr, 1, "xyz@0/0", {"xy@0/0", "x@0/0", "@0/0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Editor->SetModified(false);
    if (c.Text) Add(c.Text, 0, 0);
    FormatAndPlace(0, c.Offs, 0);
    Type(u"xyz");
    EXPECT_EQ(Doc(), c.Typed);
    ASSERT_EQ(Steps(), 1);
    EXPECT_EQ(LastUndoStep()->UndoType, rvutTyping);
    EXPECT_EQ(Data->GetCurItemNo(), 0);
    EXPECT_EQ(Data->GetOffsetInCurItem(), c.Offs + 3);
    EXPECT_TRUE(Editor->GetModified());
    for (int i = 0; i < 3; ++i) {
      UndoOnce();
      EXPECT_EQ(Doc(), c.Undone[i]);
      EXPECT_EQ(Data->GetOffsetInCurItem(), c.Offs + 2 - i);
    }
  }
}

// Where typed text goes and what is refused, for a caret in or beside protected text, in a
// read-only paragraph and at the end of an item of another style.
TEST_F(TypingEditor, PlaceOfTypedTextAndRefusals) {
  struct Case {
    const char* Name;
    TRVProtectOptions Protection;  // of text style 0
    bool ReadOnlyPara;             // paragraph style 0
    bool SecondItem;               // "ab" of style 1 followed by "cd" of style 0, else "ab" of style 0
    int ItemNo, Offs;
    const char* Expected;
    int Beeps;
    int CaretItem, CaretOffs;
  } cases[] = {
      {"middle of a concat-protected item", {rvprConcateProtect}, false, false, 0, 2, "axb@0/0", 0, 0, 3},
      {"middle of a modify-protected item", {rvprModifyProtect}, false, false, 0, 2, "ab@0/0", 1, 0, 2},
      {"read-only paragraph", {}, true, false, 0, 2, "ab@0/0", 1, 0, 2},
      {"end of another style, next item current", {}, false, true, 0, 3, "ab@1/0 xcd@0/0S", 0, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Data->UndoList->Clear();
    Protect(0, c.Protection);
    Sheet.ParaStyles()->Items(0)->Options = c.ReadOnlyPara ? TRVParaOptions{rvpaoReadOnly} : TRVParaOptions{};
    if (c.SecondItem) {
      Add(u"ab", 1, 0);
      Add(u"cd", 0, 0, '+');
    } else {
      Add(u"ab", 0, 0);
    }
    FormatAndPlace(c.ItemNo, c.Offs, 0);
    const int Beeps = MessageBeepCount();
    Type(u"x");
    EXPECT_EQ(Doc(), c.Expected);
    EXPECT_EQ(MessageBeepCount() - Beeps, c.Beeps);
    EXPECT_EQ(Steps(), c.Beeps ? 0 : 1);
    EXPECT_EQ(Data->GetCurItemNo(), c.CaretItem);
    EXPECT_EQ(Data->GetOffsetInCurItem(), c.CaretOffs);
  }
  Protect(0, {});
  Sheet.ParaStyles()->Items(0)->Options = {};
}

// Keys typed at the end of an item of another style continue in the next item, as one step.
TEST_F(TypingEditor, KeysAtTheEndOfAnotherStyleGoIntoTheNextItem) {
  Add(u"ab", 1, 0);
  Add(u"cd", 0, 0, '+');
  FormatAndPlace(0, 3, 0);
  Type(u"xy");
  EXPECT_EQ(Doc(), "ab@1/0 xycd@0/0S");
  EXPECT_EQ(Steps(), 1);
  UndoOnce();
  EXPECT_EQ(Doc(), "ab@1/0 xcd@0/0S");
}

// An empty paragraph typed into takes the paragraph style chosen for the caret.
TEST_F(TypingEditor, TypingIntoAnEmptyItemGivesItTheCurrentParagraphStyle) {
  Add(u"", 0, 0);
  FormatAndPlace(0, 1, 0);
  Data->SetCurParaStyleNo(2);
  Type(u"a");
  EXPECT_EQ(Doc(), "a@0/2");
  EXPECT_EQ(Steps(), 1);
}

// Several characters at once (a paste, an input method) are one step of their own, not typing.
TEST_F(TypingEditor, SeveralCharactersAtOnceAreOneMiscTypingStep) {
  Add(u"ab", 0, 0);
  FormatAndPlace(0, 2, 0);
  Type(u"q");
  Data->InsertTextTyping(u"xyz");
  EXPECT_EQ(Doc(), "aqxyzb@0/0");
  ASSERT_EQ(Steps(), 2);
  EXPECT_EQ(LastUndoStep()->UndoType, rvutMiscTyping);
  EXPECT_EQ(Data->GetOffsetInCurItem(), 6);
  UndoOnce();
  EXPECT_EQ(Doc(), "aqb@0/0");
}

// A hook that changes the tag makes each key its own step with the tag change and the character;
// a hook that changes nothing leaves the keys one typing step.
TEST_F(TypingEditor, ItemTextEditHookThatChangesTheTagSplitsTheSteps) {
  struct Case {
    const char* Name;
    bool ChangeTag;
    int Steps;
    const char* Typed;
    const char* AfterOneUndo;
  } cases[] = {
      {"tag changed", true, 3, "abxyz@0/0#3", "abxy@0/0#2"},
      {"nothing changed", false, 1, "abxyz@0/0", "abxy@0/0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Data->UndoList->Clear();
    Add(u"ab", 0, 0);
    int Calls = 0;
    TRVUnicodeString SeenOld;
    Editor->OnItemTextEdit = [&](TCustomViroZereEdit* Sender, const TRVUnicodeString& OldText, TCustomRVData* RVData,
                                 int ItemNo, TRVTag& NewTag, int& NewStyleNo) {
      EXPECT_EQ(Sender, Editor.get());
      EXPECT_EQ(RVData, Data);
      EXPECT_EQ(ItemNo, 0);
      EXPECT_EQ(NewStyleNo, 0);
      SeenOld = OldText;
      ++Calls;
      if (c.ChangeTag) NewTag = TRVTag(1, static_cast<char16_t>(u'0' + Calls));
    };
    FormatAndPlace(0, 3, 0);
    Type(u"xyz");
    EXPECT_EQ(Calls, 3);
    EXPECT_EQ(SeenOld, u"abxy");
    EXPECT_EQ(Doc(), c.Typed);
    ASSERT_EQ(Steps(), c.Steps);
    if (c.ChangeTag) {
      EXPECT_EQ(LastUndoStep()->UndoType, rvutTyping);
      EXPECT_EQ(LastUndoStep()->Count(), 2);
    }
    UndoOnce();
    EXPECT_EQ(Doc(), c.AfterOneUndo);
    Editor->OnItemTextEdit = nullptr;
  }
}

// A key that needs a new item asks the control's gate first: a read-only editor beeps, records
// nothing and stays unmodified.
TEST_F(TypingEditor, NewItemRefusedByTheGateChangesNothing) {
  Add(u"abc", 1, 0);
  FormatAndPlace(0, 2, 0);
  Editor->SetReadOnly(true);
  const int Beeps = MessageBeepCount();
  Type(u"x");
  EXPECT_EQ(Doc(), "abc@1/0");
  EXPECT_EQ(MessageBeepCount() - Beeps, 1);
  EXPECT_EQ(Steps(), 0);
  EXPECT_FALSE(Editor->GetModified());
}

// Keys that cannot join the caret's item become a new item of the current style.
TEST_F(TypingEditor, KeysThatCannotJoinMakeANewItem) {
  struct Case {
    const char* Name;
    TRVProtectOptions Protection;
    int Style, Offs;
    const char* Expected;
  } cases[] = {
      {"middle of another style", {}, 1, 2, "a@1/0 x@0/0S bc@1/0S"},
      {"end of a concat-protected item", {rvprConcateProtect}, 0, 4, "abc@0/0 x@0/0S"},
      {"start of a concat-protected item", {rvprConcateProtect}, 0, 1, "x@0/0 abc@0/0S"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Data->UndoList->Clear();
    Protect(0, c.Protection);
    Add(u"abc", c.Style, 0);
    FormatAndPlace(0, c.Offs, 0);
    Type(u"x");
    EXPECT_EQ(Doc(), c.Expected);
    ASSERT_EQ(Steps(), 1);
    EXPECT_EQ(LastUndoStep()->UndoType, rvutMiscTyping);
    EXPECT_EQ(Data->GetOffsetInCurItem(), 2);
  }
  Protect(0, {});
}

// Whether two text styles may share a tag.
TEST_F(TypingEditor, StylesCanShareTag) {
  Sheet.TextStyles()->Items(1)->Jump = true;
  Sheet.TextStyles()->Items(2)->Protection = {rvprModifyProtect};
  while (Sheet.TextStyles()->Count() < 4) Sheet.TextStyles()->Add();
  struct Case {
    int A, B;
    bool ClearTagOption;
    bool Expected;
  } cases[] = {
      {1, 1, true, true},   {0, 3, false, true},  {0, 3, true, false}, {0, 1, false, false},
      {0, 2, false, false}, {0, -1, false, false}, {-1, -1, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.A) + "," + std::to_string(c.B) + (c.ClearTagOption ? " clear" : ""));
    TRVEditorOptions Options = RVDefaultEditorOptions;
    if (c.ClearTagOption) Options.Include(rvoClearTagOnStyleApp);
    Editor->SetEditorOptions(Options);
    EXPECT_EQ(Data->StylesCanShareTag(c.A, c.B), c.Expected);
  }
}

// The current tag comes from the caret's item when its style can share a tag with the current one.
TEST_F(TypingEditor, AssignCurTagTakesTheTagOfTheCaretsItem) {
  Data->AddNL(u"ab", 0, 0, u"T");
  FormatAndPlace(0, 2);
  struct Case {
    int CurStyle;
    const char* Tag;
    int TagStyle;
  } cases[] = {{0, "T", 0}, {3, "", -1}};
  Sheet.TextStyles()->Items(2)->Jump = true;
  while (Sheet.TextStyles()->Count() < 4) Sheet.TextStyles()->Add();
  Sheet.TextStyles()->Items(3)->Jump = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.CurStyle);
    Data->FCurTextStyleNo = c.CurStyle;
    Data->AssignCurTag();
    EXPECT_EQ(EditorFixture::ToUtf8(Data->FCurTag), c.Tag);
    EXPECT_EQ(Data->FCurTagStyleNo, c.TagStyle);
  }
}

// A style conversion asks the control's current conversion for an item's associated style and
// records the change.
TEST_F(TypingEditor, CurrentTextStyleConversionSetsTheAssociatedStyle) {
  Add(u"ab", 0, 0);
  auto* Tab = new TRVTabItemInfo(Data);
  Tab->SetAssociatedTextStyleNo(0);
  Tab->SetSameAsPrev(true);
  Data->AddItem(u"", Tab);
  FormatAndPlace(0, 1);
  int StyleNo = 0;
  Data->DoCurrentTextStyleConversion(StyleNo, 0, 1, 7, false);
  EXPECT_EQ(StyleNo, 0) << "without a conversion nothing changes";
  Editor->FCurStyleConversion = [](TCustomViroZereEdit*, int Style, int ParaStyle, int UserData, bool AppliedToText,
                                   int& NewStyleNo) {
    EXPECT_EQ(ParaStyle, 0);
    EXPECT_EQ(UserData, 7);
    EXPECT_TRUE(AppliedToText);
    NewStyleNo = Style + 2;
  };
  OpenUndoStep();
  Data->DoCurrentTextStyleConversion(StyleNo, 0, 1, 7, false);
  EXPECT_EQ(StyleNo, 2);
  EXPECT_EQ(Tab->GetAssociatedTextStyleNo(), 2);
  EXPECT_EQ(LastUndoStep()->Count(), 1);
}

}  // namespace
