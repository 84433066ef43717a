// Text styles applied to exactly the selected characters (items split at the selection's edges
// and joined again afterwards), lists made, removed and moved between levels paragraph by
// paragraph, and the style templates replaced with every style derived again and equal styles
// merged; each as one undo step.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "EditorTestUtil.h"
#include "engine/document/RVDeleteUnusedStyles.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/ui/Dialogs.h"

namespace {

struct StyleApply : EditorFixture {
  int TextEvents = 0, ParaEvents = 0;

  void SetUp() override {
    EditorFixture::SetUp();
    Sheet.TextStyles()->Items(1)->Style.Include(fsBold);
    Editor->OnCurTextStyleChanged = [this](TObject*) { ++TextEvents; };
    Editor->OnCurParaStyleChanged = [this](TObject*) { ++ParaEvents; };
  }
  void Format() {
    Editor->HandleNeeded();
    Editor->Format();
  }
  void Select(int StartItem, int StartOffs, int EndItem, int EndOffs) {
    Data->SetSelectionBounds(StartItem, StartOffs, EndItem, EndOffs);
  }
  std::string Selected() const { return ToUtf8(Data->GetSelTextW()); }
  // Empty when the draw items show every item whole and in order, else the first fault.
  std::string LayoutFault() const {
    std::vector<int> shown(static_cast<size_t>(Data->ItemCount()), 0);
    int prev = -1;
    for (int i = 0; i < Data->DrawItems->Count(); ++i) {
      const TRVDrawLineInfo* d = Data->DrawItems->Get(i);
      if (d->ItemNo < prev || d->ItemNo >= Data->ItemCount()) return "draw item " + std::to_string(i);
      if (d->ItemNo != prev && Data->GetItem(d->ItemNo)->DrawItemNo != i)
        return "item " + std::to_string(d->ItemNo) + " names draw item " +
               std::to_string(Data->GetItem(d->ItemNo)->DrawItemNo) + ", not " + std::to_string(i);
      prev = d->ItemNo;
      shown[static_cast<size_t>(d->ItemNo)] += d->TextLength;
    }
    for (int i = 0; i < Data->ItemCount(); ++i)
      if (Data->GetItem(i)->StyleNo >= 0 && shown[static_cast<size_t>(i)] != Data->GetItemTextLength(i))
        return "item " + std::to_string(i) + " shows " + std::to_string(shown[static_cast<size_t>(i)]);
    return {};
  }
  // The items only, as Snap writes them.
  std::string Items() const {
    const std::string s = Snap();
    return s.substr(0, s.find(" cp"));
  }
  // Each paragraph as "[list:level, R from]text|text", paragraphs separated by " / ".
  std::string Lists() const {
    std::string r;
    for (int i = 0; i < Data->ItemCount(); ++i) {
      TCustomRVItemInfo* it = Data->GetItem(i);
      if (i > 0) r += it->GetSameAsPrev() ? "|" : " / ";
      if (auto* m = dynamic_cast<TRVMarkerItemInfo*>(it)) {
        r += "[" + std::to_string(m->ListNo) + ":" + std::to_string(m->Level);
        if (m->Reset) r += " R" + std::to_string(m->StartFrom);
        r += "]";
      } else {
        r += ToUtf8(Data->GetItemTextW(i));
      }
    }
    return r;
  }
  // A numbered list of three levels.
  int AddNumberedList() {
    TRVListInfo* list = Sheet.ListStyles()->Add();
    for (int i = 0; i < 3; ++i) list->Levels()->Add()->ListType = rvlstDecimal;
    return list->GetIndex();
  }
};

// ---- text styles ---------------------------------------------------------------------------------

TEST_F(StyleApply, BoldOnTheMiddleOfARunSplitsItPlainJoinsItOneUndoRestoresBold) {
  Add(u"Hello world", 0, 0);
  Format();
  Select(0, 3, 0, 8);
  Editor->ApplyTextStyle(1);
  EXPECT_EQ(Items(), "He@0/0 llo w@1/0S orld@0/0S");
  EXPECT_EQ(Selected(), "llo w");
  EXPECT_EQ(Data->UndoList->Count(), 1);
  EXPECT_EQ(Editor->GetCurTextStyleNo(), 1);

  Editor->ApplyTextStyle(0);
  EXPECT_EQ(Items(), "Hello world@0/0");
  EXPECT_EQ(Selected(), "llo w");
  EXPECT_EQ(Data->UndoList->Count(), 2);

  Editor->Undo();
  EXPECT_EQ(Items(), "He@0/0 llo w@1/0S orld@0/0S");
  Editor->Undo();
  EXPECT_EQ(Items(), "Hello world@0/0");
  Editor->Redo();
  Editor->Redo();
  EXPECT_EQ(Items(), "Hello world@0/0");
  // Every item still has its draw items after all that.
  for (int i = 0; i < Data->ItemCount(); ++i) EXPECT_GE(Data->GetItem(i)->DrawItemNo, 0);
}

// Where the selection's edges fall decides which items split; joining after the conversion and
// one undo put the document back as it was.
TEST_F(StyleApply, SelectionEdgesAcrossItemsAndParagraphs) {
  struct Case {
    const char* Name;
    int S, SO, E, EO;
    const char* After;
    const char* Sel;
  };
  const Case Cases[] = {
      {"head of an item", 0, 1, 0, 3, "ab@1/0 cdef@0/0S gh@2/0S ijkl@0/0", "ab"},
      {"tail of an item", 0, 3, 0, 7, "ab@0/0 cdef@1/0S gh@2/0S ijkl@0/0", "cdef"},
      {"whole item", 0, 1, 0, 7, "abcdef@1/0 gh@2/0S ijkl@0/0", "abcdef"},
      {"tail into the next item's head", 0, 5, 1, 2, "abcd@0/0 efg@1/0S h@2/0S ijkl@0/0", "efg"},
      {"across a paragraph", 1, 2, 2, 3, "abcdef@0/0 g@2/0S h@1/0S ij@1/0 kl@0/0S", "h\r\nij"},
  };
  Add(u"abcdef", 0, 0);
  Add(u"gh", 2, 0, '+');
  Add(u"ijkl", 0, 0);
  Format();
  const std::string Before = Items();
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.Name);
    Select(c.S, c.SO, c.E, c.EO);
    Editor->ApplyTextStyle(1);
    EXPECT_EQ(Items(), c.After);
    EXPECT_EQ(Selected(), c.Sel);
    Editor->Undo();
    EXPECT_EQ(Items(), Before);
  }
}

// Runs that became alike join into one item, over several items and an empty one, and come
// apart again item for item on undo.
TEST_F(StyleApply, AlikeRunsJoinAcrossSeveralItemsAndUndoRedoKeepEveryItem) {
  Add(u"one", 0, 0);
  Add(u"two", 1, 0, '+');
  Add(u"", 2, 0, '+');
  Add(u"three", 0, 0, '+');
  Add(u"four", 2, 0, '+');
  Add(u"next", 1, 0);
  Format();
  const std::string Before = Items();
  Select(0, 2, 4, 3);
  Editor->ApplyTextStyle(1);
  EXPECT_EQ(Items(), "o@0/0 netwothreefo@1/0S ur@2/0S next@1/0");
  EXPECT_EQ(Selected(), "netwothreefo");
  Editor->Undo();
  EXPECT_EQ(Items(), Before);
  Editor->Redo();
  EXPECT_EQ(Items(), "o@0/0 netwothreefo@1/0S ur@2/0S next@1/0");
  Editor->Undo();
  EXPECT_EQ(Items(), Before);
  for (int i = 0; i < Data->ItemCount(); ++i) EXPECT_GE(Data->GetItem(i)->DrawItemNo, 0);
}

// A tab between two texts takes the style as its associated text style and keeps the texts
// apart; a tab only touched at the selection's edge keeps its own.
TEST_F(StyleApply, ItemsThatAreNotTextConvertThemselvesWhenSelected) {
  Add(u"ab", 0, 0);
  for (int i = 0; i < 2; ++i) {
    auto* Tab = new TRVTabItemInfo(Data);
    Tab->SetAssociatedTextStyleNo(0);
    Tab->SetSameAsPrev(true);
    Data->AddItem(u"", Tab);
    Add(i == 0 ? u"cd" : u"ef", 0, 0, '+');
  }
  Format();
  Select(0, 2, 3, 0);  // "b", the first tab, "cd"; the second tab only touched
  Editor->ApplyTextStyle(1);
  auto TabStyle = [this](int ItemNo) { return Data->GetItem(ItemNo)->GetAssociatedTextStyleNo(); };
  ASSERT_EQ(Data->ItemCount(), 6);
  EXPECT_EQ(TabStyle(2), 1);
  EXPECT_EQ(TabStyle(4), 0);
  EXPECT_EQ(Data->GetItem(1)->StyleNo, 1);
  EXPECT_EQ(Data->GetItem(3)->StyleNo, 1);
  Editor->Undo();
  EXPECT_EQ(TabStyle(1), 0);
  EXPECT_EQ(Data->ItemCount(), 5);
}

// Many applications over random selections, then every step undone and redone: each state comes
// back exactly, and every item keeps its draw items.
TEST_F(StyleApply, RandomApplicationsUndoAndRedoThroughEveryState) {
  Add(u"alpha beta", 0, 0);
  Add(u"gamma", 1, 0, '+');
  Add(u"delta", 2, 0, '/');
  Add(u"", 0, 1);
  Add(u"epsilon zeta", 2, 1);
  Add(u"eta", 0, 2, '+');
  Format();
  std::uint32_t seed = 12345;
  auto next = [&seed](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(n));
  };
  std::vector<std::string> states{Items()};
  for (int step = 0; step < 40; ++step) {
    const int a = next(Data->ItemCount()), b = next(Data->ItemCount());
    const int ao = 1 + next(static_cast<int>(Data->GetItemTextW(a).size()) + 1);
    const int bo = 1 + next(static_cast<int>(Data->GetItemTextW(b).size()) + 1);
    Select(a, ao, b, bo);
    const int steps = Data->UndoList->Count();
    const std::string before = Items();
    Editor->ApplyTextStyle(next(3));
    if (Items() == before) {
      // Nothing changed: the step left open holds no record.
      Data->UndoList->PopIfEmpty();
      ASSERT_EQ(Data->UndoList->Count(), steps);
      continue;
    }
    ASSERT_EQ(Data->UndoList->Count(), steps + 1);
    ASSERT_EQ(LayoutFault(), "") << "step " << states.size();
    states.push_back(Items());
  }
  ASSERT_GT(states.size(), 10u);
  for (size_t i = states.size() - 1; i > 0; --i) {
    Editor->Undo();
    ASSERT_EQ(Items(), states[i - 1]) << "undoing step " << i;
    ASSERT_EQ(LayoutFault(), "") << "undoing step " << i;
  }
  for (size_t i = 1; i < states.size(); ++i) {
    Editor->Redo();
    ASSERT_EQ(Items(), states[i]) << "redoing step " << i;
  }
  for (int i = 0; i < Data->ItemCount(); ++i) EXPECT_GE(Data->GetItem(i)->DrawItemNo, 0);
}

TEST_F(StyleApply, BackwardSelectionKeepsItsDirection) {
  Add(u"Hello world", 0, 0);
  Format();
  Select(0, 8, 0, 3);
  Editor->ApplyTextStyle(1);
  EXPECT_EQ(Selected(), "llo w");
  int sNo, sOffs, eNo, eOffs;
  Data->GetSelectionBoundsEx(sNo, sOffs, eNo, eOffs, false);
  EXPECT_EQ(sNo, 1);
  EXPECT_EQ(sOffs, 6);  // it starts after "llo w", where the user started it
  EXPECT_TRUE(eNo < sNo || (eNo == sNo && eOffs < sOffs));
}

TEST_F(StyleApply, WithoutSelectionOnlyTheCurrentStyleChangesButAnEmptyItemTakesIt) {
  Add(u"text", 0, 0);
  Add(u"", 0, 1);
  Format();
  Data->SetCaretAtItem(0, 3);
  Editor->ApplyTextStyle(2);
  EXPECT_EQ(Items(), "text@0/0 @0/1");
  EXPECT_EQ(Editor->GetCurTextStyleNo(), 2);
  EXPECT_EQ(Data->UndoList->Count(), 0);

  Data->SetCaretAtItem(1, 1);
  Editor->ApplyTextStyle(1);
  EXPECT_EQ(Items(), "text@0/0 @1/1");
  EXPECT_EQ(Editor->GetCurTextStyleNo(), 1);
  EXPECT_EQ(Data->UndoList->Count(), 1);
  Editor->Undo();
  EXPECT_EQ(Items(), "text@0/0 @0/1");
}

TEST_F(StyleApply, SplitProtectedTextIsConvertedWholeAndTagsClearedOnRequest) {
  Sheet.TextStyles()->Items(2)->Protection.Include(rvprStyleSplitProtect);
  Add(u"keep", 2, 0);
  Add(u" tagged", 0, 0, '+');
  Data->GetItem(1)->Tag = u"t";
  Format();
  Editor->SetEditorOptions(Editor->GetEditorOptions() + TRVEditorOptions{rvoClearTagOnStyleApp});
  Select(0, 2, 1, 4);
  Editor->ApplyTextStyle(1);
  // "keep" is bold whole and joins the bold " ta", whose tag went with its old style.
  EXPECT_EQ(Items(), "keep ta@1/0 gged@0/0S#t");
  Editor->Undo();
  EXPECT_EQ(Items(), "keep@2/0  tagged@0/0S#t");
}

// ---- lists ---------------------------------------------------------------------------------------

TEST_F(StyleApply, ListsAppliedRemovedAndMovedBetweenLevels) {
  const int List = AddNumberedList();
  Add(u"one", 0, 0);
  Add(u"two", 0, 0);
  Add(u"three", 0, 0);
  Add(u"four", 0, 0);
  Format();
  const std::string Before = Lists();
  Select(0, 2, 2, 2);
  const int Steps = Data->UndoList->Count();
  Editor->ApplyListStyle(List, 0, 5, true, false);
  // The start value restarts the numbering at the first paragraph only.
  EXPECT_EQ(Lists(), "[" + std::to_string(List) + ":0 R5]|one / [0:0]|two / [0:0]|three / four");
  EXPECT_EQ(Data->UndoList->Count(), Steps + 1);
  int sNo, sOffs, eNo, eOffs;
  Data->GetSelectionBoundsEx(sNo, sOffs, eNo, eOffs, false);
  EXPECT_EQ(std::to_string(sNo) + "," + std::to_string(sOffs) + "-" + std::to_string(eNo) + "," + std::to_string(eOffs),
            "1,2-5,2");
  EXPECT_EQ(static_cast<TRVMarkerItemInfo*>(Data->GetItem(4))->Counter, 7);

  Select(3, 1, 3, 1);
  Editor->ChangeListLevels(1);
  EXPECT_EQ(Lists(), "[0:0 R5]|one / [0:1]|two / [0:0]|three / four");
  Editor->ChangeListLevels(5);  // beyond the last level: the last level
  EXPECT_EQ(Lists(), "[0:0 R5]|one / [0:2]|two / [0:0]|three / four");
  Editor->ChangeListLevels(-9);
  EXPECT_EQ(Lists(), "[0:0 R5]|one / [0:0]|two / [0:0]|three / four");

  Select(1, 1, 6, 1);  // "one" to "four"; the last paragraph has no marker
  Editor->RemoveLists(false);
  EXPECT_EQ(Lists(), Before);
  EXPECT_EQ(Selected(), "one\r\ntwo\r\nthree\r\n");

  while (Data->UndoList->Count() > Steps + 1) Editor->Undo();
  EXPECT_EQ(Lists(), "[0:0 R5]|one / [0:0]|two / [0:0]|three / four");
  Editor->Undo();
  EXPECT_EQ(Lists(), Before);
}

// List operations over random selections, then every step undone and redone.
TEST_F(StyleApply, RandomListOperationsUndoAndRedoThroughEveryState) {
  const int List = AddNumberedList();
  for (const char16_t* text : {u"one", u"two", u"three", u"four", u"five", u"six"}) Add(text, 0, 0);
  Add(u"more", 1, 0, '+');
  Format();
  std::uint32_t seed = 777;
  auto next = [&seed](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(n));
  };
  std::vector<std::string> states{Lists()};
  for (int step = 0; step < 40; ++step) {
    int a = next(Data->ItemCount()), b = next(Data->ItemCount());
    if (Data->GetItem(a)->StyleNo < 0) ++a;
    if (Data->GetItem(b)->StyleNo < 0) ++b;
    Select(a, 1, b, 1);
    const int steps = Data->UndoList->Count();
    const std::string before = Lists();
    switch (next(3)) {
      case 0: Editor->ApplyListStyle(List, next(3) - 1, next(9), next(2) == 0, false); break;
      case 1: Editor->RemoveLists(false); break;
      default: Editor->ChangeListLevels(next(5) - 2); break;
    }
    // A marker made again as it was is a step too; a step without records is dropped.
    Data->UndoList->PopIfEmpty();
    if (Data->UndoList->Count() == steps) {
      ASSERT_EQ(Lists(), before);
      continue;
    }
    ASSERT_EQ(Data->UndoList->Count(), steps + 1);
    ASSERT_EQ(LayoutFault(), "") << "step " << states.size();
    states.push_back(Lists());
  }
  ASSERT_GT(states.size(), 10u);
  for (size_t i = states.size() - 1; i > 0; --i) {
    Editor->Undo();
    ASSERT_EQ(Lists(), states[i - 1]) << "undoing step " << i;
    ASSERT_EQ(LayoutFault(), "") << "undoing step " << i;
  }
  for (size_t i = 1; i < states.size(); ++i) {
    Editor->Redo();
    ASSERT_EQ(Lists(), states[i]) << "redoing step " << i;
  }
}

TEST_F(StyleApply, ListRefusalsAndWhatMarkersKeep) {
  const int List = AddNumberedList();
  Add(u"one", 0, 0);
  Add(u"two", 0, 0);
  Data->GetItem(1)->SetPageBreakBefore(true);
  Format();
  // A list the sheet does not have is refused.
  const int Beeps = MessageBeepCount();
  Select(0, 1, 1, 2);
  Editor->ApplyListStyle(List + 1, 0, 1, false, false);
  EXPECT_EQ(MessageBeepCount(), Beeps + 1);
  EXPECT_EQ(Lists(), "one / two");

  // The paragraph's page break stays with it through the list and back.
  Editor->ApplyListStyle(List, 0, 1, false, false);
  EXPECT_TRUE(Data->GetItem(2)->GetPageBreakBefore());
  auto* Marker = static_cast<TRVMarkerItemInfo*>(Data->GetItem(2));
  Marker->DeleteProtect = true;
  Marker->Tag = u"m";
  Select(1, 1, 3, 2);
  Editor->ChangeListLevels(1);
  EXPECT_EQ(Lists(), "[0:1]|one / [0:1]|two");
  EXPECT_EQ(Data->GetItem(2)->Tag, u"m");  // a new level keeps the tag and the protection
  Editor->RemoveLists(false);
  EXPECT_EQ(Lists(), "one / [0:1]|two");  // a marker protected against deletion stays
  Marker = static_cast<TRVMarkerItemInfo*>(Data->GetItem(1));
  Marker->DeleteProtect = false;
  Select(0, 1, 2, 2);
  Editor->RemoveLists(false);
  EXPECT_EQ(Lists(), "one / two");
  EXPECT_TRUE(Data->GetItem(1)->GetPageBreakBefore());
}

// ---- style templates -----------------------------------------------------------------------------

// Two paragraph templates; styles 1 and 2 are derived from them.
struct StyleTemplates : StyleApply {
  TRVStyleTemplate* Normal = nullptr;
  TRVStyleTemplate* Heading = nullptr;
  void SetUp() override {
    StyleApply::SetUp();
    Editor->SetUseStyleTemplates(true);
    Normal = Sheet.StyleTemplates()->Add();
    Normal->SetName(u"Normal");
    Heading = Sheet.StyleTemplates()->Add();
    Heading->SetName(u"Heading");
    Heading->ParaStyle()->LeftIndent = 30;
    Heading->ValidParaProperties.Include(rvpiLeftIndent);
    for (int i = 1; i <= 2; ++i) {
      TParaInfo* p = Sheet.ParaStyles()->Items(i);
      p->Standard = false;
      (i == 1 ? Normal : Heading)->ApplyToParaStyle(p);
    }
    Add(u"a", 0, 1);
    Add(u"b", 0, 2);
    Add(u"c", 0, 0);
    Add(u"d", 0, 2);
    Format();
  }
  std::string Paras() const {
    std::string r;
    for (int i = 0; i < Data->ItemCount(); ++i) r += std::to_string(Data->GetItem(i)->ParaNo);
    return r;
  }
};

TEST_F(StyleTemplates, ReplacedTemplatesMergeStylesThatBecameEqualAndUndoRestoresBoth) {
  ASSERT_EQ(Sheet.ParaStyles()->Items(2)->LeftIndent, 30);
  TRVStyleTemplateCollection New(nullptr);
  New.AssignStyleTemplates(Sheet.StyleTemplates(), true);
  New.Delete(New.FindByName(u"Heading"));
  const int Events = ParaEvents;
  Data->SetCaretAtItem(1, 1);
  Editor->SetCurParaStyleNo(2);

  Editor->ChangeStyleTemplates(&New);
  EXPECT_EQ(Editor->GetCurParaStyleNo(), 1);  // the current style followed the merge
  // Style 2 lost its template for the Normal one and became style 1.
  EXPECT_EQ(Sheet.ParaStyles()->Count(), 2);
  EXPECT_EQ(Paras(), "1101");
  EXPECT_EQ(Sheet.ParaStyles()->Items(1)->LeftIndent, 0);
  EXPECT_EQ(Sheet.StyleTemplates()->Count(), 1);
  EXPECT_GT(ParaEvents, Events);
  EXPECT_EQ(Data->UndoList->Count(), 1);

  Editor->Undo();
  EXPECT_EQ(Sheet.ParaStyles()->Count(), 3);
  EXPECT_EQ(Paras(), "1202");
  EXPECT_EQ(Sheet.ParaStyles()->Items(2)->LeftIndent, 30);
  EXPECT_EQ(Sheet.StyleTemplates()->Count(), 2);
  Editor->Redo();
  EXPECT_EQ(Paras(), "1101");
}

// A header on the same style sheet is renumbered with the document when its styles merge.
TEST_F(StyleTemplates, HeaderOnTheSameSheetIsRenumberedToo) {
  TRVPlainRootData Header(&Sheet);
  Header.AddNL(u"h", 0, 2);
  Data->GetRootProperties()->SetHeader(&Header, rvhftNormal);
  TRVStyleTemplateCollection New(nullptr);
  New.AssignStyleTemplates(Sheet.StyleTemplates(), true);
  New.Delete(New.FindByName(u"Heading"));
  Editor->ChangeStyleTemplates(&New);
  EXPECT_EQ(Paras(), "1101");
  EXPECT_EQ(Header.GetItem(0)->ParaNo, 1);
  Editor->Undo();
  EXPECT_EQ(Paras(), "1202");
  EXPECT_EQ(Header.GetItem(0)->ParaNo, 2);
  Data->GetRootProperties()->SetHeader(nullptr, rvhftNormal);
}

TEST_F(StyleTemplates, ChangedTemplateIsDerivedAgainWithoutMerging) {
  TRVStyleTemplateCollection New(nullptr);
  New.AssignStyleTemplates(Sheet.StyleTemplates(), true);
  New.Items(New.FindByName(u"Heading"))->ParaStyle()->LeftIndent = 50;
  Editor->ChangeStyleTemplates(&New);
  EXPECT_EQ(Sheet.ParaStyles()->Count(), 3);
  EXPECT_EQ(Paras(), "1202");
  EXPECT_EQ(Sheet.ParaStyles()->Items(2)->LeftIndent, 50);
  Editor->Undo();
  EXPECT_EQ(Sheet.ParaStyles()->Items(2)->LeftIndent, 30);
}

TEST_F(StyleTemplates, WithoutTemplatesInUseOnlyBeeps) {
  Editor->SetUseStyleTemplates(false);
  TRVStyleTemplateCollection New(nullptr);
  const int Beeps = MessageBeepCount();
  Editor->ChangeStyleTemplates(&New);
  EXPECT_EQ(MessageBeepCount(), Beeps + 1);
  EXPECT_EQ(Sheet.StyleTemplates()->Count(), 2);
}

// A text template applied to two selections derives one style for both: the second application
// finds the style the first one made, and runs of it that meet are one item.
TEST_F(StyleTemplates, TextTemplateOnSelectionsDerivesOneStyleAndJoinsItsRuns) {
  TRVStyleTemplate* Emphasis = Sheet.StyleTemplates()->Add();
  Emphasis->SetName(u"Emphasis");
  Emphasis->SetKind(rvstkText);
  Emphasis->TextStyle()->Style.Include(fsItalic);
  Emphasis->ValidTextProperties.Include(rvfiItalic);
  Data->Clear();
  Add(u"abcdef", 0, 0);
  Format();
  const int Count = Sheet.TextStyles()->Count();
  Select(0, 2, 0, 4);
  Editor->ApplyTextStyleTemplate(Emphasis->GetIndex(), true);
  ASSERT_EQ(Data->ItemCount(), 3);
  const int Derived = Data->GetItem(1)->StyleNo;
  EXPECT_EQ(Sheet.TextStyles()->Count(), Count + 1);
  EXPECT_TRUE(Sheet.TextStyles()->Items(Derived)->Style.Contains(fsItalic));
  EXPECT_EQ(Sheet.TextStyles()->Items(Derived)->StyleTemplateId, Emphasis->GetId());

  Select(2, 1, 2, 3);  // "de", right after the derived run
  Editor->ApplyTextStyleTemplate(Emphasis->GetIndex(), true);
  EXPECT_EQ(Sheet.TextStyles()->Count(), Count + 1);
  EXPECT_EQ(Items(), "a@0/0 bcde@" + std::to_string(Derived) + "/0S f@0/0S");
  EXPECT_EQ(Selected(), "de");
  Editor->Undo();
  Editor->Undo();
  EXPECT_EQ(Items(), "abcdef@0/0");
}

// ---- the current styles when styles are renumbered or deleted ----------------------------------

TEST_F(StyleApply, DeletingUnusedStylesKeepsTheCurrentOnesAndRenumbersThem) {
  while (Sheet.TextStyles()->Count() < 5) Sheet.TextStyles()->Add();
  for (int i = 0; i < 5; ++i) Sheet.TextStyles()->Items(i)->Standard = false;
  Sheet.TextStyles()->Items(4)->SetSize(20);
  Add(u"x", 3, 0);
  Format();
  Editor->SetItemTagEd(0, u"t");
  ASSERT_GT(Data->UndoList->Count(), 0);
  Data->SetCaretAtItem(0, 1);
  Editor->SetCurTextStyleNo(4);
  Data->FPrevTextStyleNo = 2;
  const int Events = TextEvents;
  Editor->DeleteUnusedStyles(true, false, false);
  // Style 3 is used by the text and style 4 is the current one: both stay, renumbered.
  EXPECT_LT(Sheet.TextStyles()->Count(), 5);
  EXPECT_EQ(Sheet.TextStyles()->Items(Editor->GetCurTextStyleNo())->GetSize(), 20);
  EXPECT_EQ(Data->FPrevTextStyleNo, 0);  // the previous style went
  EXPECT_EQ(Data->UndoList->Count(), 0);
  EXPECT_GT(TextEvents, Events);
}

}  // namespace
