// Deleting the selection: what remains around the deleted range and where the caret stands, one
// undo step that undo takes back exactly and redo repeats, and the refusals (protected text,
// read-only paragraphs, the editor's veto, a drop position inside the selection) that beep and
// leave the document alone.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/editor/EditorTestUtil.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/ListInfo.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Dialogs.h"

namespace {

// One item of a test document: Mode '|' starts a paragraph, '+' continues it, '/' breaks the line.
struct DocItem {
  const char16_t* Text;
  int Style, Para;
  char Mode;
  const char16_t* Tag = u"";
};

struct DeleteSelection : EditorFixture {
  // A fresh editor holding Doc, formatted, with the current text style as the caret gives it.
  void Make(const std::vector<DocItem>& Doc) {
    Editor.reset();
    EditorFixture::SetUp();
    for (const DocItem& d : Doc) {
      Add(d.Text, d.Style, d.Para, d.Mode);
      Data->GetItem(Data->ItemCount() - 1)->Tag = d.Tag;
    }
    Editor->HandleNeeded();
    // An empty editor would make its empty paragraph on formatting: the caller adds and formats.
    if (!Doc.empty()) Editor->Format();
  }
  // The items as Snap shows them, without the checkpoint count and the probe.
  std::string Items() const {
    const std::string s = Snap();
    return s.substr(0, s.rfind(" cp"));
  }
  // Where every draw item stands.
  std::string Layout() const {
    std::string r = "W" + std::to_string(Data->DocumentWidth) + " ";
    for (int i = 0; i < Data->DrawItems->Count(); ++i) {
      TRVDrawLineInfo* d = Data->DrawItems->Get(i);
      r += std::to_string(d->ItemNo) + "." + std::to_string(d->Offs) + "+" + std::to_string(d->TextLength) + "@" +
           std::to_string(d->Left) + "," + std::to_string(d->Top) + "," + std::to_string(d->Width) + " ";
    }
    return r;
  }
  std::string Caret() const {
    return std::to_string(Data->GetCurItemNo()) + ":" + std::to_string(Data->GetOffsetInCurItem());
  }

  // Deletes the selection, expecting Expected and the caret at ExpectedCaret; then one undo step
  // of deletion that gives back the document exactly, and redo that deletes again.
  void ExpectDeletes(const std::string& Expected, const std::string& ExpectedCaret) {
    const std::string before = Items();
    ASSERT_TRUE(Data->CanDelete());
    ASSERT_TRUE(Data->DeleteSelection_());
    EXPECT_EQ(Items(), Expected);
    EXPECT_EQ(Caret(), ExpectedCaret);
    EXPECT_TRUE(Editor->GetModified());
    // The partial reformatting lays the document out as a whole formatting does.
    const std::string layout = Layout();
    Editor->Format();
    EXPECT_EQ(layout, Layout());
    ASSERT_EQ(Data->UndoList->Count(), 1);
    EXPECT_EQ(Data->UndoList->LastStep()->UndoType, rvutDelete);
    Data->UndoList->Undo(Data);
    EXPECT_EQ(Items(), before) << "undo";
    ASSERT_EQ(Data->RedoList->Count(), 1);
    Data->RedoList->Redo(Data);
    EXPECT_EQ(Items(), Expected) << "redo";
  }
  // The deletion is refused with one beep, nothing changes and no step is left. CanDelete judges
  // the selection only (not a drop position).
  void ExpectRefused(bool ByCanDelete = true) {
    const std::string before = Items();
    const int beeps = MessageBeepCount();
    EXPECT_EQ(Data->CanDelete(), !ByCanDelete);
    EXPECT_FALSE(Data->DeleteSelection_());
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    EXPECT_EQ(Items(), before);
    EXPECT_EQ(Data->UndoList->Count(), 0);
    EXPECT_FALSE(Editor->GetModified());
  }
};

// What remains of paragraphs and items around the deleted text, and where the caret goes.
TEST_F(DeleteSelection, LeavesTheDocumentAndTheCaretTheRangeAsks) {
  struct Case {
    const char* Name;
    std::vector<DocItem> Doc;
    int S, SO, E, EO;
    int CurTextStyle;  // set after selecting; -1 leaves the caret's
    std::string Expected, Caret;
  } cases[] = {
      {"a paragraph's whole text leaves an empty item of the current style in the paragraph's style",
       {{u"abc", 0, 1, '|'}, {u"def", 0, 0, '|'}}, 0, 1, 0, 4, 1, "@1/1 def@0/0", "0:1"},
      {"the empty item keeps the tag of the end item when it has the current style",
       {{u"abc", 2, 1, '|', u"t"}, {u"def", 0, 0, '|'}}, 0, 1, 0, 4, -1, "@2/1#t def@0/0", "0:1"},
      {"middle of one paragraph to the middle of the next joins head and tail into one item",
       {{u"Hello", 0, 1, '|'}, {u"World", 0, 2, '|'}}, 0, 3, 1, 3, -1, "Herld@0/1", "0:3"},
      {"a tail of another style continues the first paragraph",
       {{u"Hello", 0, 1, '|'}, {u"World", 1, 2, '|'}}, 0, 3, 1, 3, -1, "He@0/1 rld@1/1S", "0:3"},
      {"whole paragraphs between go, the rest joins",
       {{u"ab", 0, 0, '|'}, {u"cd", 0, 1, '|'}, {u"ef", 1, 1, '+'}, {u"gh", 0, 2, '|'}}, 0, 2, 3, 2, -1, "ah@0/0",
       "0:2"},
      {"a start at the beginning of an item that continues a paragraph leaves no stray empty item",
       {{u"ab", 0, 0, '|'}, {u"cd", 1, 0, '+'}, {u"ef", 0, 1, '|'}}, 1, 1, 1, 3, -1, "ab@0/0 ef@0/1", "0:3"},
      {"from an item continuing a paragraph to the middle of the next paragraph",
       {{u"ab", 0, 0, '|'}, {u"cd", 1, 0, '+'}, {u"ef", 0, 1, '|'}}, 1, 1, 2, 2, -1, "abf@0/0", "0:3"},
      {"a paragraph's first item whole, tail of the paragraph becomes its start",
       {{u"ab", 1, 0, '|'}, {u"cd", 0, 0, '+'}}, 0, 1, 0, 3, -1, "cd@0/0", "0:1"},
      {"a line's first item whole keeps the line break on what follows",
       {{u"ab", 0, 0, '|'}, {u"cd", 1, 0, '/'}, {u"ef", 0, 0, '+'}}, 1, 1, 1, 3, -1, "ab@0/0 ef@0/0B", "1:1"},
      {"inside one item", {{u"abcdef", 0, 0, '|'}}, 0, 2, 0, 5, -1, "aef@0/0", "0:2"},
      {"a paragraph wider than the window goes: the document narrows",
       {{u"ab", 0, 0, '|'}, {u"mmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmm", 0, 1, '|'}, {u"cd", 0, 2, '|'}},
       0, 3, 2, 1, -1, "abcd@0/0", "0:3"},
      {"the whole document leaves one empty paragraph",
       {{u"ab", 0, 1, '|'}, {u"cd", 0, 2, '|'}}, 0, 1, 1, 3, 0, "@0/1", "0:1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Make(c.Doc);
    Data->SetSelectionBounds(c.S, c.SO, c.E, c.EO);
    if (c.CurTextStyle >= 0) Data->FCurTextStyleNo = c.CurTextStyle;
    ExpectDeletes(c.Expected, c.Caret);
  }
}

// A text item whose style gives an empty item a width is emptied when selected whole, the caret
// after it; in part it loses characters as any other.
TEST_F(DeleteSelection, WideTextItemSelectedWholeIsEmptied) {
  Sheet.TextStyles()->Items(2)->EmptyWidth = 20;
  Make({{u"ab", 0, 0, '|'}, {u"xyz", 2, 0, '+'}, {u"cd", 0, 0, '+'}});
  Data->SetSelectionBounds(1, 1, 1, 4);
  ExpectDeletes("ab@0/0 @2/0S cd@0/0S", "1:2");

  Make({{u"ab", 0, 0, '|'}, {u"xyz", 2, 0, '+'}, {u"cd", 0, 0, '+'}});
  Data->SetSelectionBounds(1, 2, 1, 4);
  ExpectDeletes("ab@0/0 x@2/0S cd@0/0S", "1:2");

  // Modify protection keeps it from being emptied.
  Sheet.TextStyles()->Items(2)->Protection.Include(rvprModifyProtect);
  Make({{u"ab", 0, 0, '|'}, {u"xyz", 2, 0, '+'}, {u"cd", 0, 0, '+'}});
  Data->SetSelectionBounds(1, 1, 1, 4);
  ExpectRefused();
}

// Delete protection forbids deleting an item whole, modify protection deleting part of one.
TEST_F(DeleteSelection, ProtectedTextGoesOnlyAsItsProtectionAllows) {
  struct Case {
    const char* Name;
    TRVProtectOption Option;
    int S, SO, E, EO;
    const char* Expected;  // nullptr: refused
    const char* Caret;
  } cases[] = {
      {"delete-protected item inside the selection", rvprDeleteProtect, 0, 2, 2, 2, nullptr, ""},
      {"delete-protected item selected exactly", rvprDeleteProtect, 0, 3, 2, 1, nullptr, ""},
      {"delete-protected item in part", rvprDeleteProtect, 1, 1, 1, 2, "ab@0/0 d@1/0S ef@0/0S", "0:3"},
      {"modify-protected item whole", rvprModifyProtect, 0, 2, 2, 2, "af@0/0", "0:2"},
      {"modify-protected item in part at the start", rvprModifyProtect, 1, 2, 2, 2, nullptr, ""},
      {"modify-protected item in part at the end", rvprModifyProtect, 0, 2, 1, 2, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Sheet.TextStyles()->Items(1)->Protection = {c.Option};
    Make({{u"ab", 0, 0, '|'}, {u"cd", 1, 0, '+'}, {u"ef", 0, 0, '+'}});
    Data->SetSelectionBounds(c.S, c.SO, c.E, c.EO);
    if (c.Expected)
      ExpectDeletes(c.Expected, c.Caret);
    else
      ExpectRefused();
  }
}

// A read-only paragraph may go as a whole, never in part.
TEST_F(DeleteSelection, ReadOnlyParagraphGoesOnlyWhole) {
  Sheet.ParaStyles()->Items(1)->Options.Include(rvpaoReadOnly);
  struct Case {
    const char* Name;
    int S, SO, E, EO;
    const char* Expected;
    const char* Caret;
  } cases[] = {
      {"the whole paragraph with its neighbours' edges", 0, 3, 2, 1, "abef@0/0", "0:3"},
      {"its start", 1, 1, 1, 2, nullptr, ""},
      {"from the paragraph before into it", 0, 2, 1, 2, nullptr, ""},
      {"from inside it into the next paragraph", 1, 2, 2, 2, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Make({{u"ab", 0, 0, '|'}, {u"cd", 0, 1, '|'}, {u"ef", 0, 0, '|'}});
    Data->SetSelectionBounds(c.S, c.SO, c.E, c.EO);
    if (c.Expected)
      ExpectDeletes(c.Expected, c.Caret);
    else
      ExpectRefused();
  }
}

// The editor's OnDeleting has the last word, asked with the root editor as sender.
TEST_F(DeleteSelection, OnDeletingVetoes) {
  Make({{u"abc", 0, 0, '|'}});
  TCustomViroZereEdit* sender = nullptr;
  int asked = 0;
  Editor->OnDeleting = [&](TCustomViroZereEdit* Sender, bool& CanDelete) {
    sender = Sender;
    ++asked;
    CanDelete = false;
  };
  Data->SetSelectionBounds(0, 1, 0, 3);
  ExpectRefused();
  EXPECT_GT(asked, 0);
  EXPECT_EQ(sender, Editor.get());

  Editor->OnDeleting = [](TCustomViroZereEdit*, bool&) {};
  Data->SetSelectionBounds(0, 1, 0, 3);
  ExpectDeletes("c@0/0", "0:1");
}

// A list item's whole text goes, its marker stays with an empty item after it.
TEST_F(DeleteSelection, ListItemKeepsItsMarker) {
  TRVListInfo* list = Sheet.ListStyles()->Add();
  TRVListLevel* level = list->Levels()->Add();
  level->ListType = rvlstDecimal;
  level->FormatString = u"%0:s.";
  Make({{u"xy", 0, 0, '|'}, {u"zw", 0, 0, '|'}});
  ASSERT_GE(Data->SetListMarkerInfo(0, list->GetIndex(), 0, 1, 0, false), 0);
  Editor->Format();
  ASSERT_EQ(Data->GetItem(0)->StyleNo, ItemKindListMarker);
  Data->SetSelectionBounds(1, 1, 1, 3);
  Data->FCurTextStyleNo = 1;
  ExpectDeletes("@-11/0 @1/0S zw@0/0", "1:1");
}

// A persistent checkpoint stays in its paragraph: rescued to what remains of it, and a deletion that
// would carry one out of its paragraph's start is refused.
TEST_F(DeleteSelection, PersistentCheckpointsStayInTheirParagraph) {
  struct Case {
    const char* Name;
    std::vector<DocItem> Doc;
    int CheckpointItem;
    int S, SO, E, EO;
    const char* Expected;  // nullptr: refused
    const char* Caret;
  } cases[] = {
      {"across a paragraph start that holds one",
       {{u"ab", 0, 0, '|'}, {u"cd", 0, 1, '|'}}, 1, 0, 1, 1, 2, nullptr, ""},
      {"in the rest of the last paragraph",
       {{u"ab", 0, 0, '|'}, {u"cd", 0, 1, '|'}, {u"ef", 1, 1, '+'}}, 2, 0, 2, 1, 2, nullptr, ""},
      {"an item continuing a paragraph gives it to the item before",
       {{u"ab", 0, 0, '|'}, {u"cd", 1, 0, '+'}, {u"ef", 0, 1, '|'}}, 1, 1, 1, 1, 3, "ab@0/0*p ef@0/1", "0:3"},
      {"the paragraph's only item gives it to the empty item that stays",
       {{u"ab", 0, 0, '|'}, {u"cd", 0, 1, '|'}}, 0, 0, 1, 0, 3, "@0/0*p cd@0/1", "0:1"},
      {"a paragraph's first item gives it to the next item",
       {{u"ab", 0, 0, '|'}, {u"cd", 1, 0, '+'}}, 0, 0, 1, 0, 3, "cd@1/0*p", "0:1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Make(c.Doc);
    Data->SetCheckpointInfo(c.CheckpointItem, u"", u"p", false);
    Data->GetItem(c.CheckpointItem)->Checkpoint->Persistent = true;
    Data->SetSelectionBounds(c.S, c.SO, c.E, c.EO);
    if (c.Expected)
      ExpectDeletes(c.Expected, c.Caret);
    else
      ExpectRefused();
  }
}

// The numbers of the list items after the deleted ones follow at once, and a number that got
// narrower (10 to 9) is laid out again however far from the deletion it stands.
TEST_F(DeleteSelection, ListItemsAfterTheDeletedOnesAreRenumbered) {
  TRVListInfo* list = Sheet.ListStyles()->Add();
  TRVListLevel* level = list->Levels()->Add();
  level->ListType = rvlstDecimal;
  level->FormatString = u"%0:s.";
  std::vector<DocItem> doc;
  const char16_t* texts[] = {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"i", u"j"};
  for (const char16_t* t : texts) doc.push_back({t, 0, 0, '|'});
  Make(doc);
  for (int item = 0; item < 20; item += 2) ASSERT_GE(Data->SetListMarkerInfo(item, list->GetIndex(), 0, 1, 0, false), 0);
  Editor->Format();
  auto number = [this](int ItemNo) {
    auto* marker = dynamic_cast<TRVMarkerItemInfo*>(Data->GetItem(ItemNo));
    return marker ? ToUtf8(marker->DisplayString) : std::string("not a marker");
  };
  ASSERT_EQ(number(18), "10.");
  Data->SetSelectionBounds(1, 2, 3, 2);  // from the end of "a" to the end of "b"
  const std::string before = Items();
  ASSERT_TRUE(Data->DeleteSelection_());
  EXPECT_EQ(Items(), before.substr(0, before.find(" @-11/0 b@0/0S")) + before.substr(before.find(" @-11/0 c")));
  EXPECT_EQ(number(16), "9.");
  const std::string layout = Layout();
  Editor->Format();
  EXPECT_EQ(layout, Layout());
}

// Random documents of text in two styles (one of them sometimes protected), pictures, breaks,
// list items and a persistent checkpoint over three paragraph styles (one sometimes read-only),
// in windows narrow enough to wrap, and random selections: a refusal changes nothing; each
// deletion is one step,
// lays the document out as a whole formatting does, undo gives back exactly what was there and
// redo deletes again.
TEST_F(DeleteSelection, RandomSelectionsDeleteAndUndoExactly) {
  std::mt19937 random(20261211);
  auto pick = [&random](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(random); };
  const char16_t* words[] = {u"alpha", u"be", u"gamma delta", u"e", u"zeta eta theta"};
  TRVListInfo* list = Sheet.ListStyles()->Add();
  TRVListLevel* level = list->Levels()->Add();
  level->ListType = rvlstDecimal;
  level->FormatString = u"%0:s.";
  for (int round = 0; round < 400; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const TRVProtectOption protections[] = {rvprDeleteProtect, rvprModifyProtect, rvprConcateProtect};
    Sheet.TextStyles()->Items(1)->Protection.Clear();
    if (pick(0, 2) == 0) Sheet.TextStyles()->Items(1)->Protection.Include(protections[pick(0, 2)]);
    Sheet.ParaStyles()->Items(2)->Options.Exclude(rvpaoReadOnly);
    if (pick(0, 3) == 0) Sheet.ParaStyles()->Items(2)->Options.Include(rvpaoReadOnly);
    Make({});
    const int count = pick(2, 9);
    int para = 0;  // the items of one paragraph share its style
    for (int i = 0; i < count; ++i) {
      const int kind = pick(0, 9);
      const bool newPara = i == 0 || pick(0, 2) == 0;
      if (newPara) para = pick(0, 2);
      if (kind == 0) {
        auto bmp = std::make_unique<TBitmap>();
        bmp->SetPixelFormat(pf24bit);
        bmp->SetSize(pick(5, 40), pick(5, 30));
        auto* pic = new TRVGraphicItemInfo(Data, std::move(bmp), rvvaBaseline);
        pic->ParaNo = newPara ? para : -1;
        Data->AddItem(u"", pic);
        if (i == 0) Data->GetItem(0)->SetSameAsPrev(false);
      } else if (kind == 1) {
        Data->AddBreak(0, 0, clNone);
        para = Data->GetItem(Data->ItemCount() - 1)->ParaNo;
      } else {
        const bool lineBreak = !newPara && pick(0, 3) == 0;
        Add(words[pick(0, 4)], pick(0, 1), para, newPara ? '|' : lineBreak ? '/' : '+');
      }
    }
    // Some paragraphs of text become list items.
    for (int i = Data->ItemCount() - 1; i >= 1; --i)
      if (Data->GetItem(i)->StyleNo >= 0 && Data->IsParaStart(i) && pick(0, 2) == 0)
        Data->SetListMarkerInfo(i, list->GetIndex(), 0, 1, Data->GetItem(i)->ParaNo, false);
    if (pick(0, 2) == 0) {
      const int holder = pick(0, Data->ItemCount() - 1);
      Data->SetCheckpointInfo(holder, u"", u"p", false);
      Data->GetItem(holder)->Checkpoint->Persistent = true;
    }
    Editor->SetBounds(0, 0, pick(80, 400), 300);  // narrow windows wrap the lines
    Editor->Format();
    const int n = Data->ItemCount();
    int s = pick(0, n - 1), e = pick(0, n - 1);
    if (e < s) std::swap(s, e);
    const int so = pick(Data->GetOffsBeforeItem(s), Data->GetOffsAfterItem(s));
    const int eo = pick(Data->GetOffsBeforeItem(e), Data->GetOffsAfterItem(e));
    if (s == e && eo <= so) continue;
    Data->SetSelectionBounds(s, so, e, eo);
    if (!Data->SelectionExists(false, false)) continue;
    const std::string before = Items();
    if (!Data->DeleteSelection_()) {  // refused: protection, a read-only paragraph, a checkpoint
      EXPECT_EQ(Items(), before);
      EXPECT_EQ(Data->UndoList->Count(), 0);
      continue;
    }
    const std::string after = Items();
    ASSERT_EQ(Data->UndoList->Count(), 1) << before;
    ASSERT_GE(Data->CaretDrawItemNo, 0);
    const std::string layout = Layout();
    Editor->Format();
    EXPECT_EQ(layout, Layout()) << before << " -> " << after;
    Data->UndoList->Undo(Data);
    EXPECT_EQ(Items(), before) << "undo of " << before << " -> " << after;
    // A range holding only the end of a break line has nothing to give back: no redo step.
    if (after == before) continue;
    ASSERT_EQ(Data->RedoList->Count(), 1) << before << " -> " << after;
    Data->RedoList->Redo(Data);
    EXPECT_EQ(Items(), after) << "redo of " << before << " -> " << after;
  }
}

// Nothing selected: nothing to delete, no step.
TEST_F(DeleteSelection, WithoutSelectionNothingHappens) {
  Make({{u"abc", 0, 0, '|'}});
  Data->SetCaretAtItem(0, 2);
  EXPECT_TRUE(Data->CanDelete());
  EXPECT_TRUE(Data->DeleteSelection_());
  EXPECT_EQ(Items(), "abc@0/0");
  EXPECT_EQ(Data->UndoList->Count(), 0);
}

// A drop position inside the selection refuses the deletion; one after it keeps pointing at the
// same character.
TEST_F(DeleteSelection, DropPositionFollowsTheContent) {
  Make({{u"Hello", 0, 0, '|'}, {u"World", 0, 1, '|'}});
  Data->CreateDragDropCaretInfo();
  TRVDragDropCaretInfo* drop = Data->GetDragDropCaretInfo();
  ASSERT_NE(drop, nullptr);
  drop->RVData = Data;
  drop->ItemNo = 1;
  drop->ItemOffs = 2;
  Data->SetSelectionBounds(0, 2, 1, 2);
  ExpectRefused(false);

  drop->ItemNo = 1;
  drop->ItemOffs = 4;  // before "l" of "World"
  Data->SetSelectionBounds(0, 2, 1, 2);
  ASSERT_TRUE(Data->DeleteSelection_());
  EXPECT_EQ(Items(), "Horld@0/0");
  EXPECT_EQ(drop->ItemNo, 0);
  EXPECT_EQ(drop->ItemOffs, 4);
  Data->ReleaseDragDropCaretInfo();
}

}  // namespace
