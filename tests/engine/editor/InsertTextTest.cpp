// Insertion of text and RVF at the caret, the joining of inserted items with their neighbours and
// page breaks: the items made, where the caret ends, what one insertion records, and the answers
// of the stream and file forms.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/document/RVMarkerItem.h"
#include "engine/editor/EditorTestUtil.h"
#include "engine/foundation/RVError.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/ListInfo.h"
#include "platform/base/Classes.h"
#include "platform/ui/Dialogs.h"

namespace {

struct InsertTextEditor : EditorFixture {
  void FormatAndPlace(int ItemNo, int Offs) {
    Editor->HandleNeeded();
    Editor->Format();
    Data->SetCaretAtItem(ItemNo, Offs);
    Data->ChangeCaret(false, false, false, false);
  }
  std::string Doc() const {
    std::string s = Snap();
    return s.substr(0, s.find(" cp"));
  }
  std::string Caret() const {
    return std::to_string(Data->GetCurItemNo()) + ":" + std::to_string(Data->GetOffsetInCurItem());
  }
  static std::string ItemKinds(TRVEditRVData* D) {
    std::string s;
    for (int i = 0; i < D->ItemCount(); ++i) s += std::to_string(D->GetItem(i)->StyleNo) + " ";
    return s;
  }
  static TRVUnicodeString TempPath(const char* Name) {
    const std::string Path = ::testing::TempDir() + "insert_text_" + Name;
    TRVUnicodeString W;
    for (char c : Path) W += static_cast<char16_t>(static_cast<unsigned char>(c));
    return W;
  }
  // A file in the test's temporary folder with the given bytes; its name.
  static TRVUnicodeString TempFile(const char* Name, const std::string& Bytes) {
    std::ofstream(::testing::TempDir() + "insert_text_" + Name, std::ios::binary) << Bytes;
    return TempPath(Name);
  }
};

// The text's control characters cut it into items, paragraphs, lines and pages, and the caret ends
// after the inserted text.
TEST_F(InsertTextEditor, ControlCharactersCutTheText) {
  struct Case {
    const char* Name;
    std::u16string Text;
    int SpacesInTab;
    const char* Expected;
    const char* Caret;
  } cases[] = {
      {"ends with CR LF", u"xy\r\n", 4, "abxy@0/0 cd@0/0", "1:1"},
      {"CR LF CR LF", u"x\r\n\r\ny", 4, "abx@0/0 @0/0 ycd@0/0", "2:2"},
      {"LF CR is one break", u"x\n\ry", 4, "abx@0/0 ycd@0/0", "1:2"},
      {"line separator", u"x\u2028y", 4, "abx@0/0 ycd@0/0B", "1:2"},
      {"NUL", std::u16string(u"x\0y", 3), 4, "abx?ycd@0/0", "0:6"},
      {"tab as spaces", u"x\ty", 4, "abx    ycd@0/0", "0:9"},
      {"tab as an item", u"x\ty", 0, "abx@0/0 @-12/0S ycd@0/0S", "2:2"},
      {"form feed", u"x\fy", 4, "abx@0/0 ycd@0/0P", "1:2"},
      {"byte-order mark", u"\uFEFFxy", 4, "abxycd@0/0", "0:5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Sheet.SpacesInTab = c.SpacesInTab;
    Add(u"abcd", 0, 0);
    FormatAndPlace(0, 3);
    OpenUndoStep();
    Data->InsertTextW(c.Text, false, false);
    EXPECT_EQ(Doc(), c.Expected);
    EXPECT_EQ(Caret(), c.Caret);
  }
}

// Text inserted into a word of its own style joins both halves: one item, one insertion.
TEST_F(InsertTextEditor, TextInTheMiddleOfASameStyleWordStaysOneItem) {
  Add(u"abcd", 0, 0);
  FormatAndPlace(0, 3);
  OpenUndoStep();
  Data->InsertTextW(u"xy", false, false);
  EXPECT_EQ(Doc(), "abxycd@0/0");
  EXPECT_EQ(Caret(), "0:5");
  Data->UndoList->Undo(Data);
  EXPECT_EQ(Doc(), "abcd@0/0");
}

// With CaretBefore the caret stays before the inserted text.
TEST_F(InsertTextEditor, CaretBeforeLeavesTheCaretBeforeTheText) {
  Add(u"abcd", 0, 0);
  FormatAndPlace(0, 3);
  OpenUndoStep();
  Data->InsertTextW(u"x\r\ny", false, true);
  EXPECT_EQ(Doc(), "abx@0/0 ycd@0/0");
  EXPECT_EQ(Caret(), "0:3");
}

// Each paragraph inserted into a numbered list paragraph gets a marker of the same list.
TEST_F(InsertTextEditor, ParagraphsInsertedIntoAListItemGetMarkers) {
  TRVListInfo* List = Sheet.ListStyles()->Add();
  TRVListLevel* Level = List->Levels()->Add();
  Level->ListType = rvlstDecimal;
  Level->FormatString = u"%0:s.";
  Data->AddNL(u"ab", 0, 0);
  ASSERT_GE(Data->SetListMarkerInfo(0, List->GetIndex(), 0, 1, 0, false), 0);
  FormatAndPlace(1, 3);
  OpenUndoStep();
  Data->InsertTextW(u"x\ny\nz", false, false);
  EXPECT_EQ(ItemKinds(Data), "-11 0 -11 0 -11 0 ");
  for (int i : {2, 4}) EXPECT_EQ(static_cast<TRVMarkerItemInfo*>(Data->GetItem(i))->ListNo, List->GetIndex());
  EXPECT_EQ(Caret(), "5:2");
}

// A UTF-16 stream with an odd number of bytes is raised; the file form answers false instead.
TEST_F(InsertTextEditor, OddUtf16StreamRaises) {
  Add(u"ab", 0, 0);
  FormatAndPlace(0, 2);
  TMemoryStream Stream;
  Stream.WriteBuffer("abc", 3);
  Stream.SetPosition(0);
  try {
    Data->InsertTextFromStreamW(&Stream, false);
    ADD_FAILURE() << "no exception";
  } catch (const EViroZereError& e) {
    EXPECT_EQ(e.Message(), u"Can't perform Unicode operation");
  }
  EXPECT_FALSE(Data->InsertTextFromFileW(TempFile("odd.txt", "abc"), false));
  EXPECT_EQ(Doc(), "ab@0/0");
}

// The file forms answer false whenever nothing was inserted.
TEST_F(InsertTextEditor, FileFormsAnswerFalseWhenNothingWasInserted) {
  Sheet.TextStyles()->Items(0)->Protection = {rvprModifyProtect};
  Add(u"abcd", 0, 0);
  FormatAndPlace(0, 3);
  struct Case {
    const char* Name;
    TRVUnicodeString File;
  } cases[] = {
      {"no such file", TempPath("no/such/file.txt")},
      {"empty file", TempFile("empty.txt", "")},
      {"refused place", TempFile("text.txt", "xy")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    OpenUndoStep();
    EXPECT_FALSE(Data->InsertTextFromFileW(c.File, false));
    EXPECT_FALSE(Data->InsertTextFromFile(c.File, false, false, 1252));
    EXPECT_EQ(Doc(), "abcd@0/0");
  }
  Sheet.TextStyles()->Items(0)->Protection = {};
}

// Text from a file or an 8-bit stream is inserted, and the answer says so.
TEST_F(InsertTextEditor, FileAndStreamTextIsInserted) {
  Add(u"abcd", 0, 0);
  FormatAndPlace(0, 3);
  OpenUndoStep();
  EXPECT_TRUE(Data->InsertTextFromFile(TempFile("cp.txt", "\xE9"), false, false, 1252));
  EXPECT_EQ(Doc(), "ab\xE9" "cd@0/0");
  TMemoryStream Stream;
  Stream.WriteBuffer("\x82", 1);  // OEM 437: e with acute
  Stream.SetPosition(0);
  EXPECT_TRUE(Data->InsertTextFromStream(&Stream, true, false, 1252));
  EXPECT_EQ(Doc(), "ab\xE9\xE9" "cd@0/0");
}

// No RTF reader yet: an empty rest succeeds with nothing inserted, anything else is refused.
TEST_F(InsertTextEditor, RtfInsertionWithoutAReader) {
  Add(u"ab", 0, 0);
  FormatAndPlace(0, 2);
  TMemoryStream Stream;
  EXPECT_TRUE(Data->InsertRTFFromStreamEd_(&Stream));
  Stream.WriteBuffer("{\\rtf1 x}", 9);
  Stream.SetPosition(0);
  EXPECT_FALSE(Data->InsertRTFFromStreamEd_(&Stream));
  EXPECT_EQ(Doc(), "ab@0/0");
}

// An RVF fragment with no items inserts nothing and says so.
TEST_F(InsertTextEditor, EmptyRvfInsertsNothingAndAnswersFalse) {
  Add(u"ab", 0, 0);
  FormatAndPlace(0, 2);
  TMemoryStream Stream;
  EXPECT_FALSE(Data->InsertRVFFromStreamEd_(&Stream));
  EXPECT_EQ(Doc(), "ab@0/0");
  EXPECT_EQ(Data->UndoList->Count(), 0);
}

// RVF inserted at the caret: joined with the caret's item on both sides, one insert step.
TEST_F(InsertTextEditor, RvfIsInsertedAtTheCaret) {
  TViroZereEdit Source(nullptr);
  Source.SetStyle(&Sheet);
  Source.GetEditRVData()->AddNL(u"xy", 0, 0);
  Source.GetEditRVData()->AddNL(u"z", 1, -1);
  TMemoryStream Stream;
  ASSERT_TRUE(Source.SaveRVFToStream(&Stream, false));
  Stream.SetPosition(0);
  Add(u"abcd", 0, 0);
  FormatAndPlace(0, 3);
  EXPECT_TRUE(Data->InsertRVFFromStreamEd_(&Stream));
  EXPECT_EQ(Doc(), "abxy@0/0 z@1/0S cd@0/0S");
  EXPECT_EQ(Caret(), "1:2");
  ASSERT_EQ(Data->UndoList->Count(), 1);
  EXPECT_EQ(Data->UndoList->LastStep()->UndoType, rvutInsert);
}

// Joining an inserted run with its neighbours: the items joined, the counts lowered and the caret
// offset following the text that grows in front of it.
TEST_F(InsertTextEditor, ConcateAfterAdding) {
  struct Item {
    const char16_t* Text;
    int Style, Para;
    char Mode;
  };
  struct Case {
    const char* Name;
    std::vector<Item> Items;
    int InsertPoint, Last, Offs;
    const char* Expected;
    int NewInsertPoint, NewLast, Added, NewOffs;
  } cases[] = {
      {"joined on both sides", {{u"ab", 0, 0, '|'}, {u"cd", 0, 0, '+'}, {u"ef", 0, 0, '+'}}, 1, 1, 3,
       "abcdef@0/0", 1, 0, -1, 5},
      {"nothing can be joined", {{u"ab", 0, 0, '|'}, {u"cd", 1, 0, '+'}, {u"ef", 0, 0, '+'}}, 1, 1, 3,
       "ab@0/0 cd@1/0S ef@0/0S", 1, 1, 1, 3},
      {"a run joined inside and in front",
       {{u"ab", 0, 0, '|'}, {u"x", 0, 0, '+'}, {u"y", 0, 0, '+'}, {u"cd", 1, 0, '+'}}, 1, 2, 2,
       "abxy@0/0 cd@1/0S", 1, 0, -1, 5},
      {"a paragraph start is not joined", {{u"ab", 0, 0, '|'}, {u"cd", 0, 0, '|'}}, 1, 1, 3,
       "ab@0/0 cd@0/0", 1, 1, 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    for (const Item& i : c.Items) Add(i.Text, i.Style, i.Para, i.Mode);
    FormatAndPlace(0, 1);
    OpenUndoStep();
    int InsertPoint = c.InsertPoint, Last = c.Last, Added = 1, Offs = c.Offs;
    Data->ConcateAfterAdding(InsertPoint, Last, Added, Offs);
    EXPECT_EQ(Doc(), c.Expected);
    EXPECT_EQ(InsertPoint, c.NewInsertPoint);
    EXPECT_EQ(Last, c.NewLast);
    EXPECT_EQ(Added, c.Added);
    EXPECT_EQ(Offs, c.NewOffs);
  }
}

// A page break at the start of a paragraph goes onto it, as one step of its own.
TEST_F(InsertTextEditor, PageBreakAtAParagraphStart) {
  Add(u"ab", 0, 0);
  Add(u"cd", 0, 1);
  FormatAndPlace(1, 1);
  Data->InsertPageBreak();
  EXPECT_EQ(Doc(), "ab@0/0 cd@0/1P");
  ASSERT_EQ(Data->UndoList->Count(), 1);
  EXPECT_EQ(Data->UndoList->LastStep()->UndoType, rvutInsertPageBreak);
  EXPECT_TRUE(Editor->GetModified());
  Data->UndoList->Undo(Data);
  EXPECT_EQ(Doc(), "ab@0/0 cd@0/1");
}

// A page break inside a paragraph, or where the paragraph already starts a page, needs Enter first.
TEST_F(InsertTextEditor, PageBreakThatNeedsEnter) {
  struct Case {
    const char* Name;
    bool PageBreak;
    int Offs;
    const char* Expected;
  } cases[] = {
      {"inside the item", false, 2, "ab@0/0 c@0/1 d@0/1P"},
      {"the paragraph already starts a page", true, 1, "ab@0/0 @0/1P cd@0/1P"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Add(u"ab", 0, 0);
    Add(u"cd", 0, 1);
    Data->GetItem(1)->SetPageBreakBefore(c.PageBreak);
    FormatAndPlace(1, c.Offs);
    Data->InsertPageBreak();
    EXPECT_EQ(Doc(), c.Expected);
  }
}

}  // namespace
