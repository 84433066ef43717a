// The editor control itself: the gate, undo and redo through the control and its window
// messages, the current styles and their events, the caret item queries, search from the caret
// and the settings the editor refuses.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EditorTestUtil.h"
#include "engine/document/DLines.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/layout/DrawLines.h"
#include "engine/foundation/RVError.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Messages.h"

namespace {

struct ControlOfEditor : EditorFixture {
  int Changes = 0;

  void SetUp() override {
    EditorFixture::SetUp();
    Editor->OnChange = [this](TObject*) { ++Changes; };
  }
  // "one two" in one paragraph and "three" in the next, formatted, the caret at its start.
  void MakeDoc() {
    Add(u"one two", 0, 0);
    Add(u"three", 1, 0);
    Editor->HandleNeeded();
    Editor->Format();
    Data->SetCaretAtItem(0, 1);
  }
  static std::unique_ptr<TGraphic> Picture(int W, int H) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(W, H);
    return bmp;
  }
};

TEST_F(ControlOfEditor, UndoAndRedoMessagesAnswerWhetherAStepExists) {
  MakeDoc();
  // Empty lists: EM_UNDO answers 0 and beeps (through Undo), EM_REDO answers 0 silently.
  int Beeps = MessageBeepCount();
  EXPECT_EQ(Editor->Perform(EM_CANUNDO, 0, 0), 0);
  EXPECT_EQ(Editor->Perform(EM_UNDO, 0, 0), 0);
  EXPECT_EQ(MessageBeepCount(), Beeps + 1);
  Beeps = MessageBeepCount();
  EXPECT_EQ(Editor->Perform(EM_CANREDO, 0, 0), 0);
  EXPECT_EQ(Editor->Perform(EM_REDO, 0, 0), 0);
  EXPECT_EQ(MessageBeepCount(), Beeps);
  EXPECT_FALSE(Editor->GetModified());

  Editor->SetItemTagEd(1, u"t");
  EXPECT_EQ(Editor->UndoAction(), rvutTag);
  EXPECT_EQ(Editor->GetItemTag(1), u"t");
  EXPECT_TRUE(Editor->GetModified());
  EXPECT_EQ(Changes, 1);

  EXPECT_EQ(Editor->Perform(EM_CANUNDO, 0, 0), 1);
  EXPECT_EQ(Editor->Perform(WM_UNDO, 0, 0), 1);
  EXPECT_EQ(Editor->GetItemTag(1), u"");
  EXPECT_EQ(Editor->UndoAction(), rvutNone);
  EXPECT_EQ(Editor->RedoAction(), rvutTag);
  EXPECT_EQ(Changes, 2);

  // Redo keeps the redo list it works from; a new change clears it.
  EXPECT_EQ(Editor->Perform(EM_CANREDO, 0, 0), 1);
  EXPECT_EQ(Editor->Perform(EM_REDO, 0, 0), 1);
  EXPECT_EQ(Editor->GetItemTag(1), u"t");
  EXPECT_EQ(Editor->UndoAction(), rvutTag);
  Editor->Undo();
  EXPECT_EQ(Editor->RedoAction(), rvutTag);
  Editor->SetItemTagEd(0, u"x");
  EXPECT_EQ(Editor->RedoAction(), rvutNone);
}

TEST_F(ControlOfEditor, ReadOnlyUndoBeepsPlainlyEvenWithoutSound) {
  MakeDoc();
  Editor->SetItemTagEd(1, u"t");
  Editor->SetModified(false);
  Sheet.UseSound = false;
  Editor->SetReadOnly(true);
  const int Beeps = MessageBeepCount();
  Editor->Undo();
  Editor->Redo();
  EXPECT_EQ(MessageBeepCount(), Beeps + 2);
  EXPECT_EQ(Editor->GetItemTag(1), u"t");
  EXPECT_FALSE(Editor->GetModified());
  // The refused gate beeps only when the style sheet asks for sound.
  Editor->SetItemTagEd(1, u"u");
  EXPECT_EQ(MessageBeepCount(), Beeps + 2);
  EXPECT_EQ(Editor->GetItemTag(1), u"t");
}

TEST_F(ControlOfEditor, AnItemHoldingTheMouseRefusesInternalEditsOnly) {
  MakeDoc();
  TCustomRVItemInfo* Holder = Data->GetItem(1);
  Data->FCaptureMouseItem = Holder;
  const int Beeps = MessageBeepCount();
  EXPECT_TRUE(Editor->CanChange());
  Editor->SetItemTagEd(1, u"t");
  EXPECT_EQ(MessageBeepCount(), Beeps + 1);
  EXPECT_EQ(Editor->GetItemTag(1), u"");
  EXPECT_FALSE(Editor->GetModified());
  Data->FCaptureMouseItem = nullptr;
  Editor->SetItemTagEd(1, u"t");
  EXPECT_EQ(Editor->GetItemTag(1), u"t");
  // OnChanging refuses outside questions too.
  Editor->OnChanging = [](TCustomViroZereEdit*, bool& CanEdit) { CanEdit = false; };
  EXPECT_FALSE(Editor->CanChange());
}

TEST_F(ControlOfEditor, ForcedStyleChangeEventFiresForTheSameValue) {
  MakeDoc();
  int TextEvents = 0, ParaEvents = 0;
  Editor->OnCurTextStyleChanged = [&](TObject*) { ++TextEvents; };
  Editor->OnCurParaStyleChanged = [&](TObject*) { ++ParaEvents; };
  const int TextStyle = Editor->GetActualCurTextStyleNo();
  const int ParaStyle = Editor->GetCurParaStyleNo();

  Editor->SetCurTextStyleNo(TextStyle);
  Editor->SetCurParaStyleNo(ParaStyle);
  EXPECT_EQ(TextEvents, 0);
  EXPECT_EQ(ParaEvents, 0);

  Data->State.Include(rvstForceStyleChangeEvent);
  Editor->SetCurParaStyleNo(ParaStyle);
  EXPECT_EQ(ParaEvents, 1);
  EXPECT_TRUE(Data->State.Contains(rvstForceStyleChangeEvent));
  Editor->SetCurTextStyleNo(TextStyle);
  EXPECT_EQ(TextEvents, 1);
  EXPECT_FALSE(Data->State.Contains(rvstForceStyleChangeEvent));
  EXPECT_EQ(Editor->GetActualCurTextStyleNo(), TextStyle);
}

TEST_F(ControlOfEditor, CaretItemQueries) {
  Add(u"one", 0, 0);
  Data->AddNL(u"two", 2, -1, u"tg");
  auto* Pic = new TRVGraphicItemInfo(Data, Picture(20, 20), rvvaMiddle);
  Pic->ParaNo = -1;
  Data->AddItem(u"pic", Pic);
  Editor->HandleNeeded();
  Editor->Format();

  Data->SetCaretAtItem(1, 2);
  EXPECT_EQ(Editor->GetCurItemNo(), 1);
  EXPECT_EQ(Editor->GetCurItemStyle(), 2);
  EXPECT_EQ(Editor->GetCurrentTag(), u"tg");
  EXPECT_EQ(Editor->GetCurrentItemTextW(), u"two");
  EXPECT_EQ(Editor->GetCurrentItem(), Data->GetItem(1));
  TCustomViroZereEdit* Owner = nullptr;
  TRVGraphicItemInfo* Found = nullptr;
  EXPECT_FALSE(Editor->GetCurrentItemEx(Owner, Found));
  EXPECT_EQ(Found, nullptr);

  Data->SetCaretAtItem(2, 0);
  EXPECT_EQ(Editor->GetCurItemStyle(), ItemKindPicture);
  EXPECT_EQ(Editor->GetCurrentItemVAlign(), rvvaMiddle);
  EXPECT_TRUE(Editor->GetCurrentItemEx(Owner, Found));
  EXPECT_EQ(Found, Pic);
  EXPECT_EQ(Owner, Editor.get());
}

TEST_F(ControlOfEditor, SearchGoesOnFromTheSelection) {
  Add(u"one two one", 0, 0);
  Editor->HandleNeeded();
  Editor->Format();
  Data->SetSelectionBounds(0, 3, 0, 4);
  ASSERT_TRUE(Editor->SearchTextW(u"one", TRVESearchOptions{rvseoDown}));
  int StartNo, StartOffs, EndNo, EndOffs;
  Editor->GetSelectionBounds(StartNo, StartOffs, EndNo, EndOffs, true);
  EXPECT_EQ(StartOffs, 9);
  EXPECT_EQ(EndOffs, 12);
  EXPECT_FALSE(Editor->SearchTextW(u"ONE", TRVESearchOptions{rvseoDown, rvseoMatchCase}));
}

TEST_F(ControlOfEditor, MisspellingAtTheCaret) {
  Add(u"one twoo", 0, 0);
  auto* Pic = new TRVGraphicItemInfo(Data, Picture(10, 10), rvvaBaseline);
  Pic->ParaNo = -1;
  Data->AddItem(u"", Pic);
  Data->AddNL(u"helo", 1, -1);
  Editor->HandleNeeded();
  Editor->Format();
  Data->GetItem(0)->AddMisspelling(5, 4);
  Data->GetItem(2)->AddMisspelling(1, 4);
  struct Case {
    int ItemNo, Offs;
    bool Found;
    const char16_t* Word;
    int StyleNo;
  };
  const Case Cases[] = {
      {0, 2, false, u"", 0},   // a correct word
      {0, 7, true, u"twoo", 0},
      {1, 1, true, u"helo", 1},  // after a picture the next word of the line
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::to_string(C.ItemNo) + ":" + std::to_string(C.Offs));
    Data->SetCaretAtItem(C.ItemNo, C.Offs);
    TRVUnicodeString Word = u"stale";
    int StyleNo = -1;
    EXPECT_EQ(Editor->GetCurrentMisspelling(false, Word, StyleNo), C.Found);
    EXPECT_EQ(Word, C.Word);
    if (C.Found) {
      EXPECT_EQ(StyleNo, C.StyleNo);
    }
  }
  Data->SetCaretAtItem(0, 6);
  TRVUnicodeString Word;
  int StyleNo = -1;
  ASSERT_TRUE(Editor->GetCurrentMisspelling(true, Word, StyleNo));
  int StartNo, StartOffs, EndNo, EndOffs;
  Editor->GetSelectionBounds(StartNo, StartOffs, EndNo, EndOffs, true);
  EXPECT_EQ(StartOffs, 5);
  EXPECT_EQ(EndOffs, 9);
}

TEST_F(ControlOfEditor, ScrollToDrawItemPutsItsLineAtTheTopOrInTheMiddle) {
  for (int i = 0; i < 60; ++i) Add(u"line", 0, 0);
  Editor->HandleNeeded();
  Editor->Format();
  const int Step = Editor->GetVSmallStep();
  TRVDrawLineInfo* DItem = Data->DrawItems->Get(25);
  Editor->ScrollToDrawItem(Data, 25, false);
  EXPECT_EQ(Editor->GetVScrollPos(), (DItem->Top + 1) / Step);
  Editor->ScrollToDrawItem(Data, 25, true);
  EXPECT_EQ(Editor->GetVScrollPos(),
            ((DItem->Top + DItem->Top + DItem->Height - Editor->GetClientHeight()) / 2) / Step);
}

// An editor standing in for a table's cell editor: the outer editor's chosen document is its
// data, and it gives that choice up when it is closed.
class TCellStandIn : public TViroZereEdit {
 public:
  TCellStandIn(TCustomViroZereEdit* AOuter, bool* AClosed) : TViroZereEdit(nullptr), Outer(AOuter), Closed(AClosed) {}
  ~TCellStandIn() override {
    Outer->UnassignChosenRVData(GetRVData());
    *Closed = true;
  }
  TCustomViroZereEdit* Outer;
  bool* Closed;
};

TEST_F(ControlOfEditor, UndoGoesToTheCellEditorFirstThenClosesIt) {
  MakeDoc();
  Editor->SetItemTagEd(0, u"outer");
  bool Closed = false;
  auto* Cell = new TCellStandIn(Editor.get(), &Closed);
  Cell->SetBounds(0, 0, 200, 100);
  Cell->SetStyle(&Sheet);
  Cell->AddNL(u"cell", 0, 0);
  Cell->HandleNeeded();
  Cell->Format();
  Cell->GetEditRVData()->SetCaretAtItem(0, 1);
  Editor->AssignChosenRVData(Cell->GetRVData(), Data->GetItem(1));
  ASSERT_EQ(Editor->GetInplaceEditor(), Cell);
  ASSERT_EQ(Editor->GetTopLevelEditor(), Cell);

  // The cell's step comes first.
  Cell->SetItemTagEd(0, u"inner");
  EXPECT_EQ(Editor->UndoAction(), rvutTag);
  Editor->Undo();
  EXPECT_EQ(Cell->GetItemTag(0), u"");
  EXPECT_EQ(Editor->GetItemTag(0), u"outer");
  EXPECT_FALSE(Closed);
  EXPECT_EQ(Editor->RedoAction(), rvutTag);  // the cell's redo step

  // Nothing left in the cell: undoing at once closes it and undoes the outer step.
  Cell->ClearUndo();
  Editor->DoUndo(false);
  EXPECT_TRUE(Closed);
  EXPECT_EQ(Editor->GetInplaceEditor(), nullptr);
  EXPECT_EQ(Editor->GetItemTag(0), u"");
}

TEST_F(ControlOfEditor, UndoOfTheOuterStepIsPostedWhileACellIsEdited) {
  MakeDoc();
  Editor->SetItemTagEd(0, u"outer");
  bool Closed = false;
  auto* Cell = new TCellStandIn(Editor.get(), &Closed);
  Cell->SetStyle(&Sheet);
  Cell->AddNL(u"cell", 0, 0);
  Editor->AssignChosenRVData(Cell->GetRVData(), Data->GetItem(1));
  ASSERT_EQ(Editor->GetInplaceEditor(), Cell);
  Editor->Undo();
  // Nothing happens inside the cell editor's own handling: the message does it later.
  EXPECT_FALSE(Closed);
  EXPECT_EQ(Editor->GetItemTag(0), u"outer");
  for (int i = 0; i < 50 && !Closed; ++i) ProcessMessages(10);
  EXPECT_TRUE(Closed);
  EXPECT_EQ(Editor->GetItemTag(0), u"");
}

TEST_F(ControlOfEditor, FocusMessagesMakeAndDropTheSystemCaret) {
  MakeDoc();
  ShowWindow(Editor->GetHandle(), SW_SHOW);
  Editor->SetFocus();
  for (int i = 0; i < 50 && !Editor->Focused(); ++i) ProcessMessages(10);
  if (!Editor->Focused()) GTEST_SKIP() << "the window system gives no window the focus here";
  Editor->Perform(WM_SETFOCUS, 0, 0);
  EXPECT_EQ(GetCaretWindow(nullptr, nullptr), Editor->GetHandle());
  Editor->Perform(WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(GetCaretWindow(nullptr, nullptr), nullptr);
}

TEST_F(ControlOfEditor, TabNavigationIsRefused) {
  EXPECT_EQ(Editor->GetTabNavigation(), rvtnNone);
  for (TRVTabNavigationType Value : {rvtnTab, rvtnCtrlTab}) {
    try {
      Editor->SetTabNavigation(Value);
      ADD_FAILURE() << "no error for " << int(Value);
    } catch (const EViroZereError& e) {
      EXPECT_EQ(e.Message(), u"Not supported in editor");
    }
    EXPECT_EQ(Editor->GetTabNavigation(), rvtnNone);
  }
  EXPECT_NO_THROW(Editor->SetTabNavigation(rvtnNone));
}

}  // namespace
