// Backspace and Delete without a selection: what goes before or after the caret (characters,
// whole characters, words, items, list markers, page breaks, empty paragraphs and the breaks
// between paragraphs), where the caret ends, the refusals, and that each change is one deletion
// step that one undo takes back exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/editor/EditorDocFixture.h"
#include "engine/editor/EditorTestUtil.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/ListInfo.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Dialogs.h"

namespace {

// One item of a test document: Mode '|' starts a paragraph, '+' continues it, '/' breaks the
// line, 'P' starts a paragraph on a new page.
struct TKeyDocItem {
  TRVUnicodeString Text;
  int StyleNo = 0, ParaNo = 0;
  char Mode = '|';
};

enum class TKey { Backspace, Delete };

struct DeleteKeys : EditorFixture {
  // A new editor on a style sheet with default styles again, for the next case of a table.
  void Fresh() {
    Editor.reset();
    Data = nullptr;
    Sheet.TextStyles()->Clear();
    Sheet.ParaStyles()->Clear();
    Sheet.ListStyles()->Clear();
    SetUp();
  }
  void Build(const std::vector<TKeyDocItem>& Items) {
    for (const TKeyDocItem& it : Items) {
      Add(it.Text, it.StyleNo, it.ParaNo, it.Mode == 'P' ? '|' : it.Mode);
      if (it.Mode == 'P') Data->GetItem(Data->ItemCount() - 1)->SetPageBreakBefore(true);
    }
  }
  void AddPicture(int ParaNo = -1) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(20, 20);
    auto* pic = new TRVGraphicItemInfo(Data, std::move(bmp), rvvaBaseline);
    pic->ParaNo = ParaNo;
    Data->AddItem(u"", pic);
  }
  // A numbered list marker at the start of the paragraph of item ItemNo.
  void AddMarker(int ItemNo) {
    TRVListInfo* list = Sheet.ListStyles()->Add();
    TRVListLevel* level = list->Levels()->Add();
    level->ListType = rvlstDecimal;
    level->FormatString = u"%0:s.";
    ASSERT_GE(Data->SetListMarkerInfo(ItemNo, list->GetIndex(), 0, 1, Data->GetItem(ItemNo)->ParaNo, false), 0);
  }
  void Format() {
    Editor->HandleNeeded();
    Editor->Format();
  }
  void Caret(int ItemNo, int Offs) {
    Data->SetCaretAtItem(ItemNo, Offs);
    Data->ChangeCaret(false, false, false, false);
  }
  bool Press(TKey Key, bool Ctrl) {
    if (Key == TKey::Backspace) return Data->OnBackSpacePress_(Ctrl, false, false, 0);
    Data->OnDeletePress_(Ctrl, false);
    return true;
  }
  // The items as "text@style/para" with S (continues), B (line break), P (page break), * (a
  // checkpoint); characters
  // outside ASCII as \uXXXX.
  std::string Doc() const {
    std::string s;
    for (int i = 0; i < Data->ItemCount(); ++i) {
      TCustomRVItemInfo* it = Data->GetItem(i);
      if (i) s += ' ';
      if (it->StyleNo == ItemKindListMarker)
        s += "#";
      else if (it->StyleNo < 0)
        s += "[pic]";
      for (char16_t c : Data->GetItemTextW(i)) {
        if (c < 128) {
          s += static_cast<char>(c);
        } else {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
          s += buf;
        }
      }
      s += "@" + std::to_string(it->StyleNo) + "/" + std::to_string(it->ParaNo);
      if (it->GetSameAsPrev()) s += 'S';
      if (it->GetBR()) s += 'B';
      if (it->GetPageBreakBefore()) s += 'P';
      if (it->Checkpoint) s += '*';
    }
    return s;
  }
  std::string CaretPos() {
    int no = -1, offs = -1;
    Data->CaretToItem(no, offs);
    return std::to_string(no) + ":" + std::to_string(offs);
  }
  // The key made exactly one deletion step, and one undo gives back Before.
  void ExpectOneStepUndoneTo(const std::string& Before, int StepsBefore, const std::string& Label) {
    ASSERT_EQ(Data->UndoList->Count(), StepsBefore + 1) << Label;
    EXPECT_EQ(Data->UndoList->LastStep()->UndoType, rvutDelete) << Label;
    Data->UndoList->Undo(Data);
    EXPECT_EQ(Snap(), Before) << Label << ": undo";
  }
};

struct TKeyCase {
  const char* Name;
  std::vector<TKeyDocItem> Items;
  int CaretItem, CaretOffs;
  TKey Key;
  bool Ctrl;
  const char* Expected;       // Doc() after the key
  const char* ExpectedCaret;  // "item:offset"
};

// Each case in a fresh editor 400 pixels wide (every character 10 pixels): no line wraps.
TEST_F(DeleteKeys, EdgeCasesOfBothKeys) {
  // clang-format off
  const TKeyCase cases[] = {
      {"Backspace after ab", {{u"ab"}}, 0, 3, TKey::Backspace, false, "a@0/0", "0:2"},
      {"Backspace after a surrogate pair removes both units",
       {{u"a\xD83D\xDE00"}}, 0, 4, TKey::Backspace, false, "a@0/0", "0:2"},
      {"Backspace after a combining accent removes only the accent",
       {{u"xe\u0301"}}, 0, 4, TKey::Backspace, false, "xe@0/0", "0:3"},
      {"Delete before a base letter and its accent removes both",
       {{u"xe\u0301y"}}, 0, 2, TKey::Delete, false, "xy@0/0", "0:2"},
      {"Delete before a surrogate pair removes both units",
       {{u"\xD83D\xDE00z"}}, 0, 1, TKey::Delete, false, "z@0/0", "0:1"},
      {"Ctrl+Backspace takes the word and the spaces after it",
       {{u"hello world  "}}, 0, 14, TKey::Backspace, true, "hello @0/0", "0:7"},
      {"Ctrl+Backspace stops at punctuation",
       {{u"one.two"}}, 0, 8, TKey::Backspace, true, "one.@0/0", "0:5"},
      {"Ctrl+Delete takes the word and the space after it",
       {{u"hello world"}}, 0, 1, TKey::Delete, true, "world@0/0", "0:1"},
      {"Ctrl+Delete at the start of the next item of the line",
       {{u"ab"}, {u"cd ef", 1, 0, '+'}}, 0, 3, TKey::Delete, true, "ab@0/0 ef@1/0S", "0:3"},
      {"Backspace of the last character of a paragraph leaves an empty item",
       {{u"a"}, {u"b"}}, 0, 2, TKey::Backspace, false, "@0/0 b@0/0", "0:1"},
      {"Backspace of the last character of a paragraph on a new page keeps the page break",
       {{u"a"}, {u"b", 0, 0, 'P'}}, 1, 2, TKey::Backspace, false, "a@0/0 @0/0P", "1:1"},
      {"Backspace of a one-character item inside a paragraph removes the item",
       {{u"ab"}, {u"c", 1, 0, '+'}}, 1, 2, TKey::Backspace, false, "ab@0/0", "0:3"},
      {"Backspace at a paragraph start joins same-style text into one item",
       {{u"ab"}, {u"cd", 0, 1}}, 1, 1, TKey::Backspace, false, "abcd@0/0", "0:3"},
      {"Backspace at a paragraph start joins text of another style",
       {{u"ab"}, {u"cd", 1, 1}}, 1, 1, TKey::Backspace, false, "ab@0/0 cd@1/0S", "0:3"},
      {"Backspace at a line-break start joins the line",
       {{u"ab"}, {u"cd", 1, 0, '/'}}, 1, 1, TKey::Backspace, false, "ab@0/0 cd@1/0S", "0:3"},
      {"Backspace after a page break removes only the page break",
       {{u"ab"}, {u"cd", 0, 0, 'P'}}, 1, 1, TKey::Backspace, false, "ab@0/0 cd@0/0", "1:1"},
      {"Backspace after an empty paragraph removes it",
       {{u"ab"}, {u""}, {u"cd", 0, 1}}, 2, 1, TKey::Backspace, false, "ab@0/0 cd@0/1", "1:1"},
      {"Backspace in an empty paragraph removes it",
       {{u"ab"}, {u"", 0, 1}, {u"cd"}}, 1, 1, TKey::Backspace, false, "ab@0/0 cd@0/0", "0:3"},
      {"Delete at the end of the last, empty paragraph acts as Backspace",
       {{u"ab"}, {u""}}, 1, 1, TKey::Delete, false, "ab@0/0", "0:3"},
      {"Delete at a paragraph end joins the next paragraph",
       {{u"ab"}, {u"cd", 0, 1}}, 0, 3, TKey::Delete, false, "abcd@0/0", "0:3"},
      {"Delete at a paragraph end before an empty paragraph removes it",
       {{u"ab"}, {u""}, {u"cd"}}, 0, 3, TKey::Delete, false, "ab@0/0 cd@0/0", "0:3"},
      {"Delete in an empty paragraph removes it, the caret going forward",
       {{u"ab"}, {u""}, {u"cd"}}, 1, 1, TKey::Delete, false, "ab@0/0 cd@0/0", "1:1"},
      {"Delete inside text",
       {{u"abc"}}, 0, 2, TKey::Delete, false, "ac@0/0", "0:2"},
      {"Delete at an item end takes the first character of the next item",
       {{u"ab"}, {u"cd", 1, 0, '+'}}, 0, 3, TKey::Delete, false, "ab@0/0 d@1/0S", "0:3"},
  };
  // clang-format on
  for (const TKeyCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Fresh();
    Build(c.Items);
    Format();
    Caret(c.CaretItem, c.CaretOffs);
    const std::string before = Snap();
    const int steps = Data->UndoList->Count();
    EXPECT_TRUE(Press(c.Key, c.Ctrl));
    EXPECT_EQ(Doc(), c.Expected);
    EXPECT_EQ(CaretPos(), c.ExpectedCaret);
    ExpectOneStepUndoneTo(before, steps, c.Name);
  }
}

// Keys that have nothing to delete change nothing and leave no step.
TEST_F(DeleteKeys, NothingToDeleteLeavesNoStep) {
  // clang-format off
  const TKeyCase cases[] = {
      {"Delete at the end of the last, non-empty paragraph", {{u"ab"}, {u"cd"}}, 1, 3, TKey::Delete, false, "", ""},
      {"Backspace at the start of the document", {{u"ab"}}, 0, 1, TKey::Backspace, false, "", ""},
  };
  // clang-format on
  for (const TKeyCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Fresh();
    Build(c.Items);
    Format();
    Caret(c.CaretItem, c.CaretOffs);
    const std::string before = Snap();
    EXPECT_TRUE(Press(c.Key, c.Ctrl));
    EXPECT_EQ(Snap(), before);
    EXPECT_EQ(Data->UndoList->Count(), 0);
  }
}

// A picture between two texts of one style goes whole, and the texts become one item.
TEST_F(DeleteKeys, BackspaceAfterPictureJoinsTheTextsAround) {
  Add(u"ab", 0, 0);
  AddPicture();
  Add(u"cd", 0, 0, '+');
  Format();
  Caret(1, 1);
  const std::string before = Snap();
  ASSERT_TRUE(Data->OnBackSpacePress_(false, false, false, 0));
  EXPECT_EQ(Doc(), "abcd@0/0");
  EXPECT_EQ(CaretPos(), "0:3");
  ExpectOneStepUndoneTo(before, 0, "picture");
}

// Backspace at a list item's start removes the marker: the text stays, as a plain paragraph
// start; the other list's numbers are recounted.
TEST_F(DeleteKeys, BackspaceAtListItemStartRemovesTheMarker) {
  Add(u"ab", 0, 0);
  Add(u"cd", 0, 1);
  AddMarker(1);
  Format();
  ASSERT_EQ(Data->GetItem(1)->StyleNo, ItemKindListMarker);
  Caret(2, 1);
  const std::string before = Snap();
  ASSERT_TRUE(Data->OnBackSpacePress_(false, false, false, 0));
  EXPECT_EQ(Doc(), "ab@0/0 cd@0/1");
  EXPECT_EQ(CaretPos(), "1:1");
  ExpectOneStepUndoneTo(before, 0, "marker");
}

// Delete at the end of a paragraph before a list item pulls the item's text up and drops its
// marker.
TEST_F(DeleteKeys, DeleteBeforeListItemJoinsItsText) {
  Add(u"ab", 0, 0);
  Add(u"cd", 0, 0);
  AddMarker(1);
  Format();
  Caret(0, 3);
  const std::string before = Snap();
  Data->OnDeletePress_(false, false);
  EXPECT_EQ(Doc(), "abcd@0/0");
  EXPECT_EQ(CaretPos(), "0:3");
  ExpectOneStepUndoneTo(before, 0, "marker");
}

// Next to a full-width item the keys only move the caret: the document stays as it is.
TEST_F(DeleteKeys, FullWidthNeighbourIsNotDeleted) {
  Add(u"ab", 0, 0);
  Data->AddBreak(1, 0, clBlack);
  Add(u"cd", 0, 0);
  Format();
  const std::string before = Snap();
  Caret(2, 1);
  EXPECT_TRUE(Data->OnBackSpacePress_(false, false, false, 0));
  EXPECT_EQ(Snap(), before);
  Caret(0, 3);
  Data->OnDeletePress_(false, false);
  EXPECT_EQ(Snap(), before);
  EXPECT_EQ(Data->UndoList->Count(), 0);
}

// Lines wrapped at 80 pixels: "abcd " / "efgh" with its space swallowed at the wrap, and
// "abcdefg" / "hij" wrapped between two items. Backspace at a wrapped line's start and Delete at
// a wrapped line's end take the character at the wrap.
TEST_F(DeleteKeys, KeysAtAWrap) {
  // clang-format off
  const TKeyCase cases[] = {
      {"Backspace at the start of the line after a swallowed space", {{u"abcd efgh"}}, 0, 6, TKey::Backspace, false,
       "abcdefgh@0/0", "0:5"},
      {"Delete at the end of the line before a swallowed space", {{u"abcd efgh"}}, 0, 5, TKey::Delete, false,
       "abcdefgh@0/0", "0:5"},
      {"Backspace at the start of a line that begins the next item", {{u"abcdefg"}, {u"hij", 1, 0, '+'}}, 1, 1,
       TKey::Backspace, false, "abcdef@0/0 hij@1/0S", "0:7"},
      {"Delete at the end of a line before the next item", {{u"abcdefg"}, {u"hij", 1, 0, '+'}}, 0, 8, TKey::Delete,
       false, "abcdefg@0/0 ij@1/0S", "1:1"},
  };
  // clang-format on
  for (const TKeyCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Fresh();
    Editor->SetBounds(0, 0, 80, 300);
    Build(c.Items);
    Format();
    ASSERT_EQ(Data->DrawItems->Count(), 2);
    Data->CaretDrawItemNo = c.Key == TKey::Backspace ? 1 : 0;
    Data->OnChangeCaretLine(c.Key == TKey::Backspace ? -1 : Data->GetOffsAfterDrawItem(0) - 2);
    Data->CaretOffs = c.Key == TKey::Backspace ? 0 : Data->CharEnds.Count() - 1;
    Data->ChangeCaret(false, false, false, false);
    const std::string before = Snap();
    EXPECT_TRUE(Press(c.Key, c.Ctrl));
    EXPECT_EQ(Doc(), c.Expected);
    EXPECT_EQ(CaretPos(), c.ExpectedCaret);
    ExpectOneStepUndoneTo(before, 0, c.Name);
  }
}

// Refusals: a read-only paragraph and protected text beep; a read-only editor changes nothing
// and leaves the document unmodified. None leaves a step behind.
TEST_F(DeleteKeys, RefusalsChangeNothing) {
  struct TRefusal {
    const char* Name;
    TKey Key;
    int CaretItem, CaretOffs;
  };
  const TRefusal cases[] = {
      {"Backspace in a read-only paragraph", TKey::Backspace, 1, 2},
      {"Delete in a read-only paragraph", TKey::Delete, 1, 1},
      {"Backspace at the start of a paragraph after a read-only one", TKey::Backspace, 2, 1},
      {"Backspace in modify-protected text", TKey::Backspace, 3, 2},
      {"Delete in modify-protected text", TKey::Delete, 3, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Fresh();
    Sheet.ParaStyles()->Items(1)->Options.Include(rvpaoReadOnly);
    Sheet.TextStyles()->Items(2)->Protection.Include(rvprModifyProtect);
    Add(u"ab", 0, 0);
    Add(u"ro", 0, 1);
    Add(u"cd", 0, 0);
    Add(u"pqr", 2, 0);
    Format();
    Caret(c.CaretItem, c.CaretOffs);
    const std::string before = Snap();
    const int beeps = MessageBeepCount();
    Press(c.Key, false);
    EXPECT_EQ(Snap(), before);
    EXPECT_GT(MessageBeepCount(), beeps);
    EXPECT_EQ(Data->UndoList->Count(), 0);
  }
  Fresh();
  Add(u"ab", 0, 0);
  Format();
  Editor->SetReadOnly(true);
  Caret(0, 3);
  const std::string before = Snap();
  EXPECT_FALSE(Data->OnBackSpacePress_(false, false, false, 0));
  Data->OnDeletePress_(false, false);
  EXPECT_EQ(Snap(), before);
  EXPECT_FALSE(Editor->GetModified());
  EXPECT_EQ(Data->UndoList->Count(), 0);
}

// Documents with list markers, empty items, styles with an empty width and persistent
// checkpoints: what the keys remove, or that they refuse (beep, nothing changed, no step).
TEST_F(DeleteKeys, StructureAndRefusalCases) {
  struct TCase {
    const char* Name;
    std::function<void(DeleteKeys&)> Make;  // builds the document (formatted afterwards)
    int CaretItem, CaretOffs;
    TKey Key;
    bool Ctrl;
    const char* Expected;  // nullptr: refused
    const char* ExpectedCaret;
  };
  // A persistent checkpoint on an item.
  auto pin = [](DeleteKeys& f, int ItemNo) {
    auto* cp = new TRVCPInfo;
    cp->Name = u"pin";
    cp->Persistent = true;
    f.Data->Do_AddCP(ItemNo, cp);
  };
  const TCase cases[] = {
      {"Backspace after an empty list item pulls the paragraph into the item",
       [](DeleteKeys& f) {
         f.Add(u"", 0, 0);
         f.Add(u"cd", 0, 0);
         f.AddMarker(0);
       },
       2, 1, TKey::Backspace, false, "#@-11/0 cd@0/0S", "1:1"},
      {"Backspace in an empty list item removes the marker and keeps the paragraph",
       [](DeleteKeys& f) {
         f.Add(u"ab", 0, 0);
         f.Add(u"", 0, 0);
         f.AddMarker(1);
       },
       2, 1, TKey::Backspace, false, "ab@0/0 @0/0", "1:1"},
      {"Delete in an empty list item removes the item and its marker",
       [](DeleteKeys& f) {
         f.Add(u"", 0, 0);
         f.Add(u"cd", 0, 0);
         f.AddMarker(0);
       },
       1, 1, TKey::Delete, false, "cd@0/0", "0:1"},
      {"Backspace of the last character of text with an empty width keeps the item",
       [](DeleteKeys& f) {
         f.Sheet.TextStyles()->Items(1)->EmptyWidth = 20;
         f.Add(u"ab", 0, 0);
         f.Add(u"c", 1, 0, '+');
       },
       1, 2, TKey::Backspace, false, "ab@0/0 @1/0S", "0:3"},
      {"Ctrl+Backspace of a whole item inside a paragraph removes the item",
       [](DeleteKeys& f) {
         f.Add(u"ab", 0, 0);
         f.Add(u"cd", 1, 0, '+');
       },
       1, 3, TKey::Backspace, true, "ab@0/0", "0:3"},
      {"Backspace of a picture that starts a paragraph: the text after it starts the paragraph",
       [](DeleteKeys& f) {
         f.Add(u"ab", 0, 0);
         f.AddPicture(1);
         f.Data->GetItem(1)->SetPageBreakBefore(true);
         f.Add(u"cd", 0, 0, '+');
       },
       1, 1, TKey::Backspace, false, "ab@0/0 cd@0/1P", "1:1"},
      {"Backspace of delete-protected text is refused",
       [](DeleteKeys& f) {
         f.Sheet.TextStyles()->Items(1)->Protection.Include(rvprDeleteProtect);
         f.Add(u"ab", 0, 0);
         f.Add(u"c", 1, 0, '+');
       },
       1, 2, TKey::Backspace, false, nullptr, ""},
      {"Backspace joining a paragraph that holds a persistent checkpoint is refused",
       [pin](DeleteKeys& f) {
         f.Add(u"ab", 0, 0);
         f.Add(u"cd", 0, 1);
         pin(f, 1);
       },
       1, 1, TKey::Backspace, false, nullptr, ""},
      {"Delete joining a paragraph that holds a persistent checkpoint is refused",
       [pin](DeleteKeys& f) {
         f.Add(u"ab", 0, 0);
         f.Add(u"cd", 0, 1);
         pin(f, 1);
       },
       0, 3, TKey::Delete, false, nullptr, ""},
      {"Backspace at a paragraph start whose style protects it is refused",
       [](DeleteKeys& f) {
         f.Sheet.TextStyles()->Items(1)->Protection.Include(rvprParaStartProtect);
         f.Add(u"ab", 0, 0);
         f.Add(u"cd", 1, 0);
       },
       1, 1, TKey::Backspace, false, nullptr, ""},
      {"Backspace of a pinned item whose checkpoint cannot move is refused",
       [pin](DeleteKeys& f) {
         f.Add(u"ab", 0, 0);
         f.Add(u"c", 1, 0, '+');
         pin(f, 0);
         pin(f, 1);
       },
       1, 2, TKey::Backspace, false, nullptr, ""},
      {"Backspace of a pinned item moves its checkpoint to its neighbour",
       [pin](DeleteKeys& f) {
         f.Add(u"ab", 0, 0);
         f.Add(u"c", 1, 0, '+');
         pin(f, 1);
       },
       1, 2, TKey::Backspace, false, "ab@0/0*", "0:3"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Fresh();
    c.Make(*this);
    Format();
    Caret(c.CaretItem, c.CaretOffs);
    const std::string before = Snap();
    const int beeps = MessageBeepCount();
    Press(c.Key, c.Ctrl);
    if (!c.Expected) {
      EXPECT_EQ(Snap(), before);
      EXPECT_GT(MessageBeepCount(), beeps);
      EXPECT_EQ(Data->UndoList->Count(), 0);
      continue;
    }
    EXPECT_EQ(Doc(), c.Expected);
    EXPECT_EQ(CaretPos(), c.ExpectedCaret);
    ExpectOneStepUndoneTo(before, 0, c.Name);
  }
}

// Removing a list item's marker renumbers the items after it: "10." becomes "9.", a narrower
// marker, and the lines laid out after the key are those of a full formatting.
TEST(DeleteKeysLists, NumbersAfterARemovedMarkerAreLaidOutAgain) {
  TEditorDoc t(400);
  TRVEditRVData& d = t.D();
  d.AddNL(u"intro", gtsBody, gpsBody);
  for (int i = 0; i < 12; ++i) {
    d.SetListMarkerInfo(-1, glsNumbers, 0, 1, gpsList, false);
    d.AddNL(u"entry", gtsBody, -1);
  }
  t.Editor->HandleNeeded();
  t.Editor->Format();
  ASSERT_EQ(static_cast<TRVMarkerItemInfo*>(d.GetItem(d.ItemCount() - 2))->DisplayString, u"12.");
  d.SetCaretAtItem(2, 1);
  ASSERT_TRUE(d.OnBackSpacePress_(false, false, false, 0));
  ASSERT_EQ(d.GetItem(1)->StyleNo, gtsBody);
  EXPECT_EQ(static_cast<TRVMarkerItemInfo*>(d.GetItem(d.ItemCount() - 2))->DisplayString, u"11.");
  const std::string after = t.Snapshot();
  d.Format(false);
  EXPECT_EQ(after, t.Snapshot());
}

// The joined paragraph takes the first one's style for all its items.
TEST_F(DeleteKeys, JoinedParagraphTakesTheFirstStyle) {
  Add(u"ab", 0, 0);
  Add(u"cd", 0, 1);
  Add(u"ef", 1, 1, '+');
  Format();
  Caret(1, 1);
  ASSERT_TRUE(Data->OnBackSpacePress_(false, false, false, 0));
  EXPECT_EQ(Doc(), "abcd@0/0 ef@1/0S");
}

// Next to a full-width item the keys move the caret over to it.
TEST_F(DeleteKeys, FullWidthNeighbourTakesTheCaret) {
  Add(u"ab", 0, 0);
  Data->AddBreak(1, 0, clBlack);
  Add(u"cd", 0, 0);
  Format();
  Caret(2, 1);
  EXPECT_TRUE(Data->OnBackSpacePress_(false, false, false, 0));
  EXPECT_EQ(CaretPos(), "1:1");
  Caret(0, 3);
  Data->OnDeletePress_(false, false);
  EXPECT_EQ(CaretPos(), "1:0");
}

// At the very start of the document Backspace removes a page break there and nothing else.
TEST_F(DeleteKeys, BackspaceAtDocumentStartRemovesOnlyPageBreak) {
  Add(u"ab", 0, 0);
  Data->GetItem(0)->SetPageBreakBefore(true);
  Add(u"cd", 0, 0);
  Format();
  Caret(0, 1);
  ASSERT_TRUE(Data->OnBackSpacePress_(false, false, false, 0));
  EXPECT_EQ(Doc(), "ab@0/0 cd@0/0");
  EXPECT_EQ(CaretPos(), "0:1");
}

}  // namespace
