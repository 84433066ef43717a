// The Enter key of the editor data: where the new paragraph or line goes and what it holds, the
// caret after it, list continuation, refusals, and one undo step that undo and redo take back
// and repeat exactly; the styles a new paragraph takes; the copy of a list marker.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/document/RVMarkerItem.h"
#include "engine/editor/EditorTestUtil.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/ui/Dialogs.h"

namespace {

// One item of a test document: text (or a list marker: "<n" with the list's start number n, "<"
// to continue, "<h" hidden), its text and paragraph style, and how it stands: '|' starts a
// paragraph, '+' continues it, '/' breaks the line, 'P' starts a paragraph on a new page.
struct TDocItem {
  const char16_t* Text;
  int Style = 0, Para = 0;
  char Mode = '|';
  const char* Tag = "";
};

struct EnterKey : EditorFixture {
  int ListNo = -1;

  void SetUp() override {
    EditorFixture::SetUp();
    while (Sheet.TextStyles()->Count() < 5) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 5) Sheet.ParaStyles()->Add();
    TRVListInfo* list = Sheet.ListStyles()->Add();
    TRVListLevel* level = list->Levels()->Add();
    level->ListType = rvlstDecimal;
    level->FormatString = u"%0:s.";
    ListNo = list->GetIndex();
  }

  // Builds and formats the document. A marker is put in when the text item after it is there
  // (the marker goes before the first item of that item's paragraph).
  void Build(const std::vector<TDocItem>& Items) {
    std::vector<std::pair<int, TRVUnicodeString>> markers;  // (item after it, what follows '<')
    for (const TDocItem& it : Items) {
      const TRVUnicodeString text = it.Text;
      if (!text.empty() && text[0] == u'<') {
        markers.emplace_back(Data->ItemCount(), text.substr(1));
        continue;
      }
      Add(text, it.Style, it.Para, it.Mode == 'P' ? '|' : it.Mode);
      TCustomRVItemInfo* item = Data->GetItem(Data->ItemCount() - 1);
      if (it.Mode == 'P') item->SetPageBreakBefore(true);
      item->Tag = TRVUnicodeString(it.Tag, it.Tag + std::char_traits<char>::length(it.Tag));
    }
    // From the last, so that the item numbers of the earlier ones still hold.
    for (auto m = markers.rbegin(); m != markers.rend(); ++m) {
      const bool hidden = m->second == u"h", restart = !hidden && !m->second.empty();
      const int start = restart ? std::stoi(std::string(m->second.begin(), m->second.end())) : 1;
      const int at = Data->SetListMarkerInfo(m->first, ListNo, 0, start, 0, restart);
      ASSERT_GE(at, 0);
      if (hidden) static_cast<TRVMarkerItemInfo*>(Data->GetItem(at))->Hidden = true;
    }
    Editor->Format();
  }

  // The document as Snap() writes it, with each marker as "<number" ("r" when it restarts
  // numbering, "h" when hidden).
  std::string Doc() const {
    std::string s;
    for (int i = 0; i < Data->ItemCount(); ++i) {
      TCustomRVItemInfo* it = Data->GetItem(i);
      if (i) s += ' ';
      if (auto* m = dynamic_cast<TRVMarkerItemInfo*>(it)) {
        s += "<" + std::to_string(m->Counter) + (m->Reset ? "r" : "") + (m->Hidden ? "h" : "");
        s += "/" + std::to_string(it->ParaNo);
        if (it->GetSameAsPrev()) s += 'S';
        if (it->GetPageBreakBefore()) s += 'P';
        continue;
      }
      s += ToUtf8(Data->GetItemTextW(i)) + "@" + std::to_string(it->StyleNo) + "/" + std::to_string(it->ParaNo);
      if (it->GetSameAsPrev()) s += 'S';
      if (it->GetBR()) s += 'B';
      if (it->GetPageBreakBefore()) s += 'P';
      if (!it->Tag.empty()) s += "#" + ToUtf8(it->Tag);
      if (it->Checkpoint) s += "*" + ToUtf8(it->Checkpoint->Name);
    }
    return s;
  }

  std::string Caret() const {
    int no = -1, offs = -1;
    Data->CaretToItem(no, offs);
    return std::to_string(no) + ":" + std::to_string(offs);
  }

  // Every draw item's place: partial formatting after the key must give what a full one gives.
  std::string Layout() const {
    std::string s;
    for (int i = 0; i < Data->DrawItems->Count(); ++i) {
      TRVDrawLineInfo* d = Data->DrawItems->Get(i);
      s += std::to_string(d->ItemNo) + "." + std::to_string(d->Offs) + "+" + std::to_string(d->TextLength) + "@" +
           std::to_string(d->Left) + "," + std::to_string(d->Top) + (d->FromNewLine ? "L" : "") +
           (d->FromNewPara ? "P" : "") + " ";
    }
    return s + "H" + std::to_string(Data->DocumentHeight);
  }
};

// A case of the table: the document, the caret (item and offset), Shift, and what follows.
struct TEnterCase {
  const char* What;
  std::vector<TDocItem> Items;
  int ItemNo, Offs;
  bool Shift;
  const char* Expected;
  const char* ExpectedCaret;
};

// Runs one case: Enter gives the document, the caret and a layout equal to a full formatting;
// it is one step that undo takes back exactly and redo repeats.
void RunCase(EnterKey& T, const TEnterCase& C) {
  SCOPED_TRACE(C.What);
  T.Build(C.Items);
  const std::string before = T.Doc();
  T.Data->SetCaretAtItem(C.ItemNo, C.Offs);
  T.Data->ChangeCaret(false, false, false, false);
  const int beeps = MessageBeepCount();
  ASSERT_TRUE(T.Data->OnEnterPress_(C.Shift, false));
  EXPECT_EQ(MessageBeepCount(), beeps);
  const std::string after = T.Doc();
  EXPECT_EQ(after, C.Expected);
  EXPECT_EQ(T.Caret(), C.ExpectedCaret);
  const std::string partial = T.Layout();
  T.Editor->Format();
  EXPECT_EQ(partial, T.Layout()) << "the partial reformat differs from a full one";
  ASSERT_EQ(T.Data->UndoList->Count(), 1);
  EXPECT_EQ(T.Data->UndoList->LastStep()->UndoType, rvutMiscTyping);
  T.Data->UndoList->Undo(T.Data);
  EXPECT_EQ(T.Doc(), before) << "undo";
  EXPECT_EQ(T.Data->UndoList->Count(), 0);
  T.Data->RedoList->Redo(T.Data);
  EXPECT_EQ(T.Doc(), after) << "redo";
}

// Enter and Shift+Enter at the start and the end of a paragraph or of a line begun by a line
// break: an empty item becomes the new paragraph or line.
TEST_F(EnterKey, AtTheStartOrEndOfALine) {
  const TEnterCase cases[] = {
      {"end of a paragraph: an empty paragraph after it", {{u"Hello"}}, 0, 6, false, "Hello@0/0 @0/0", "1:1"},
      {"end of the first of two paragraphs",
       {{u"ab"}, {u"cd"}},
       0,
       3,
       false,
       "ab@0/0 @0/0 cd@0/0",
       "1:1"},
      {"start of a paragraph: it moves down, an empty one before it",
       {{u"Hello"}},
       0,
       1,
       false,
       "@0/0 Hello@0/0",
       "1:1"},
      {"an empty paragraph", {{u""}}, 0, 1, false, "@0/0 @0/0", "1:1"},
      {"start of a paragraph on a new page: the break stays with it",
       {{u"ab"}, {u"cd", 0, 0, 'P'}},
       1,
       1,
       false,
       "ab@0/0 @0/0 cd@0/0P",
       "2:1"},
      {"start of a line begun by a line break: it becomes the second line of the new paragraph",
       {{u"ab"}, {u"cd", 0, 0, '/'}},
       1,
       1,
       false,
       "ab@0/0 @0/0 cd@0/0B",
       "2:1"},
      {"end of a line followed by a line break: the new paragraph keeps the paragraph style",
       {{u"ab", 0, 1}, {u"cd", 0, 1, '/'}, {u"ef", 0, 1, '/'}},
       1,
       3,
       false,
       "ab@0/1 cd@0/1B @0/1 ef@0/1B",
       "2:1"},
      {"Shift at the end: a line break in the paragraph",
       {{u"Hello"}},
       0,
       6,
       true,
       "Hello@0/0 @0/0B",
       "1:1"},
      {"Shift at the start: an empty first line, the old first item breaks the line",
       {{u"Hello"}},
       0,
       1,
       true,
       "@0/0 Hello@0/0B",
       "1:1"},
      {"the new item of the same style takes the tag",
       {{u"ab", 1, 0, '|', "t"}},
       0,
       3,
       false,
       "ab@1/0#t @1/0#t",
       "1:1"},
      {"after text that must not be changed the new text takes style 0",
       {{u"ab", 3}},
       0,
       3,
       false,
       "ab@3/0 @0/0",
       "1:1"},
      {"end of a list item: a new item of the list, numbers after it go up",
       {{u"<"}, {u"one"}, {u"<"}, {u"two"}},
       1,
       4,
       false,
       "<1/0 one@0/0S <2/0 @0/0S <3/0 two@0/0S",
       "3:1"},
      {"start of a list item: an empty item of the list before it",
       {{u"<"}, {u"one"}},
       1,
       1,
       false,
       "<1/0 @0/0S <2/0 one@0/0S",
       "3:1"},
      {"end of a list that restarts numbering: the copy continues it",
       {{u"<5"}, {u"five"}},
       1,
       5,
       false,
       "<5r/0 five@0/0S <6/0 @0/0S",
       "3:1"},
      {"Shift at the end of a list item: no marker",
       {{u"<"}, {u"one"}},
       1,
       4,
       true,
       "<1/0 one@0/0S @0/0B",
       "2:1"},
      {"Shift at the start of a list item: the text breaks the line after an empty one",
       {{u"<"}, {u"one"}},
       1,
       1,
       true,
       "<1/0 @0/0S one@0/0B",
       "2:1"},
      {"a hidden marker is not copied at the start",
       {{u"<h"}, {u"one"}},
       1,
       1,
       false,
       "<1h/0 @0/0S one@0/0",
       "2:1"},
  };
  Sheet.TextStyles()->Items(3)->Protection.Include(rvprModifyProtect);
  for (const TEnterCase& c : cases) {
    Data->Clear();
    RunCase(*this, c);
  }
}

// A paragraph style's next style and a text style's next style give the new paragraph its
// styles; a read-only paragraph is followed (or preceded) by one of style 0.
TEST_F(EnterKey, NewParagraphTakesTheNextStyles) {
  Sheet.ParaStyles()->Items(1)->NextParaNo = 3;
  Sheet.TextStyles()->Items(1)->NextStyleNo = 2;
  Sheet.ParaStyles()->Items(4)->Options.Include(rvpaoReadOnly);
  const TEnterCase cases[] = {
      {"next paragraph and text styles", {{u"Head", 1, 1}}, 0, 5, false, "Head@1/1 @2/3", "1:1"},
      {"at the start the styles stay", {{u"Head", 1, 1}}, 0, 1, false, "@1/1 Head@1/1", "1:1"},
      {"after a read-only paragraph", {{u"ro", 0, 4}}, 0, 3, false, "ro@0/4 @0/0", "1:1"},
      {"before a read-only paragraph", {{u"ro", 0, 4}}, 0, 1, false, "@0/0 ro@0/4", "1:1"},
  };
  for (const TEnterCase& c : cases) {
    Data->Clear();
    RunCase(*this, c);
  }
}

// Where Enter is not allowed the editor beeps (when the style sheet asks for sound) and nothing
// changes, not even the undo list.
TEST_F(EnterKey, RefusalsBeepAndChangeNothing) {
  Sheet.ParaStyles()->Items(1)->Options.Include(rvpaoDoNotWantReturns);
  Sheet.ParaStyles()->Items(2)->Options.Include(rvpaoReadOnly);
  Sheet.TextStyles()->Items(1)->Protection.Include(rvprParaStartProtect);
  Sheet.TextStyles()->Items(2)->Protection.Include(rvprModifyProtect);
  struct {
    const char* What;
    std::vector<TDocItem> Items;
    int ItemNo, Offs;
    bool Shift;
  } cases[] = {
      {"a paragraph that wants no returns, at its end", {{u"abc", 0, 1}}, 0, 4, false},
      {"a paragraph that wants no returns, inside", {{u"abc", 0, 1}}, 0, 2, false},
      {"Shift in a read-only paragraph", {{u"abc", 0, 2}}, 0, 4, true},
      {"inside a read-only paragraph", {{u"abc", 0, 2}}, 0, 2, false},
      {"between items of a read-only paragraph", {{u"ab", 0, 2}, {u"cd", 1, 2, '+'}}, 1, 1, false},
      {"a line of a read-only paragraph that is neither its start nor its end",
       {{u"ab", 0, 2}, {u"cd", 0, 2, '/'}, {u"ef", 0, 2, '/'}},
       1,
       1,
       false},
      {"text that may not start a paragraph, at its end", {{u"abc", 1}}, 0, 4, false},
      {"text that may not start a paragraph, inside", {{u"abc", 1}}, 0, 2, false},
      {"text that may not start a paragraph, after the item before it", {{u"ab"}, {u"cd", 1, 0, '+'}}, 1, 1, false},
      {"text that may not be changed, inside", {{u"abc", 2}}, 0, 2, false},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.What);
    Data->Clear();
    Build(c.Items);
    const std::string before = Doc();
    Data->SetCaretAtItem(c.ItemNo, c.Offs);
    Data->ChangeCaret(false, false, false, false);
    const int beeps = MessageBeepCount();
    EXPECT_FALSE(Data->OnEnterPress_(c.Shift, false));
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    EXPECT_EQ(Doc(), before);
    EXPECT_EQ(Data->UndoList->Count(), 0);
  }
  // Without sound the refusal is silent.
  Sheet.UseSound = false;
  Data->Clear();
  Build({{u"abc", 0, 1}});
  Data->SetCaretAtItem(0, 4);
  const int beeps = MessageBeepCount();
  EXPECT_FALSE(Data->OnEnterPress_(false, false));
  EXPECT_EQ(MessageBeepCount(), beeps);
}

// Enter inside the caret's line splits the paragraph there.
TEST_F(EnterKey, InsideALine) {
  const TEnterCase cases[] = {
      {"inside a text item: two paragraphs of the same style",
       {{u"Hello world", 1, 2}},
       0,
       6,
       false,
       "Hello@1/2  world@1/2",
       "1:1"},
      {"inside an item on a new page: the break stays with the first part",
       {{u"Hello world", 0, 0, 'P'}},
       0,
       6,
       false,
       "Hello@0/0P  world@0/0",
       "1:1"},
      {"Shift inside a text item: a line break", {{u"Hello world"}}, 0, 6, true, "Hello@0/0  world@0/0B", "1:1"},
      {"between two items: the second starts a paragraph",
       {{u"ab"}, {u"cd", 1, 0, '+'}},
       1,
       1,
       false,
       "ab@0/0 cd@1/0",
       "1:1"},
      {"after an item that the next one continues",
       {{u"ab"}, {u"cd", 1, 0, '+'}},
       0,
       3,
       false,
       "ab@0/0 cd@1/0",
       "1:1"},
      {"Shift between two items", {{u"ab"}, {u"cd", 1, 0, '+'}}, 1, 1, true, "ab@0/0 cd@1/0B", "1:1"},
      {"inside a list item: the list goes on",
       {{u"<"}, {u"onetwo"}},
       1,
       4,
       false,
       "<1/0 one@0/0S <2/0 two@0/0S",
       "3:1"},
      {"between the items of a list item: the list goes on",
       {{u"<"}, {u"one"}, {u"two", 1, 0, '+'}},
       2,
       1,
       false,
       "<1/0 one@0/0S <2/0 two@1/0S",
       "3:1"},
  };
  for (const TEnterCase& c : cases) {
    Data->Clear();
    RunCase(*this, c);
  }
}

// At a wrap between two items of a paragraph (the start of the second line, or the end of the
// first) the paragraph is split there, not before or after the whole paragraph.
TEST_F(EnterKey, AtAWrapBetweenItems) {
  // 400 pixels hold 38 characters of 10 pixels: the second item starts the second line.
  const TRVUnicodeString first = TRVUnicodeString(30, u'a') + u" ";
  struct {
    const char* What;
    int ItemNo, Offs;
  } cases[] = {{"start of the second line", 1, 1}, {"end of the first line", 0, 32}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.What);
    Data->Clear();
    Build({{first.c_str()}, {u"bbbbbbbbbbbbbbbbbbbb", 1, 0, '+'}});
    ASSERT_EQ(Data->DrawItems->Count(), 2);
    ASSERT_TRUE(Data->DrawItems->Get(1)->FromNewLine);
    Data->SetCaretAtItem(c.ItemNo, c.Offs);
    ASSERT_TRUE(Data->OnEnterPress_(false, false));
    EXPECT_EQ(Data->ItemCount(), 2) << Doc();
    EXPECT_FALSE(Data->GetItem(1)->GetSameAsPrev());
    EXPECT_EQ(Caret(), "1:1");
  }
}

// A checkpoint of the paragraph that Enter pushes down goes to the new empty paragraph before it
// (unless its text may not be changed); at the end of a paragraph it stays.
TEST_F(EnterKey, CheckpointAtTheStartGoesToTheNewParagraph) {
  Sheet.TextStyles()->Items(2)->Protection.Include(rvprModifyProtect);
  struct {
    const char* What;
    int Style, Offs;
    const char* Expected;
  } cases[] = {
      {"start", 0, 1, "@0/0*cp ab@0/0"},
      {"start of text that may not be changed", 2, 1, "@0/0 ab@2/0*cp"},
      {"end", 0, 3, "ab@0/0*cp @0/0"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.What);
    Data->Clear();
    Build({{u"ab", c.Style}});
    Data->SetCheckpointInfo(0, u"", u"cp", false);
    const std::string before = Doc();
    Data->SetCaretAtItem(0, c.Offs);
    ASSERT_TRUE(Data->OnEnterPress_(false, false));
    EXPECT_EQ(Doc(), c.Expected);
    Data->UndoList->Undo(Data);
    EXPECT_EQ(Doc(), before);
  }
}

// Enter in an empty list item takes the paragraph out of the list (as Backspace there does), then
// Enter goes on in the plain paragraph that is left.
TEST_F(EnterKey, InAnEmptyListItem) {
  Build({{u"<"}, {u"one"}, {u"<"}, {u""}});
  Data->SetCaretAtItem(3, 1);
  ASSERT_TRUE(Data->OnEnterPress_(false, false));
  EXPECT_EQ(Doc(), "<1/0 one@0/0S @0/0 @0/0");
  EXPECT_EQ(Caret(), "3:1");
  EXPECT_EQ(Data->UndoList->LastStep()->UndoType, rvutMiscTyping);
}

// The next styles of a new paragraph.
TEST_F(EnterKey, NextParagraphAndTextStyles) {
  Sheet.ParaStyles()->Items(1)->NextParaNo = 3;
  Sheet.ParaStyles()->Items(2)->Options.Include(rvpaoReadOnly);
  Sheet.TextStyles()->Items(1)->NextStyleNo = 4;
  struct {
    int ParaNo, Expected;
  } paras[] = {{0, 0}, {1, 3}, {2, 0}};
  for (auto& c : paras) EXPECT_EQ(Data->GetNextParaNo(c.ParaNo), c.Expected) << "paragraph style " << c.ParaNo;

  Data->FCurTextStyleNo = 1;
  struct {
    int StyleNo, Expected;
    const char* What;
  } texts[] = {
      {-1, 4, "the current style's next style"},
      {1, 4, "the current style's next style"},
      {2, 1, "another style than the current one: the current one"},
  };
  for (auto& c : texts) EXPECT_EQ(Data->GetNextStyleNo(c.StyleNo, 0, true), c.Expected) << c.What;
  Data->FCurTextStyleNo = 2;
  EXPECT_EQ(Data->GetNextStyleNo(-1, 0, true), 2) << "no next style: the current one";
}

// With style templates the next paragraph takes the next template.
TEST_F(EnterKey, NextStylesFollowStyleTemplates) {
  TRVStyleTemplateCollection* templates = Sheet.StyleTemplates();
  TRVStyleTemplate* heading = templates->Add();
  heading->SetName(u"heading 1");
  TRVStyleTemplate* body = templates->Add();
  body->SetName(u"Body");
  heading->SetNextId(body->GetId());
  body->ParaStyle()->SetSpaceBefore(30);
  body->ValidParaProperties.Include(rvpiSpaceBefore);
  Editor->SetUseStyleTemplates(true);
  TParaInfo* p = Sheet.ParaStyles()->Items(1);
  heading->ApplyToParaStyle(p);
  p->StyleTemplateId = heading->GetId();
  TFontInfo* t = Sheet.TextStyles()->Items(1);
  t->ParaStyleTemplateId = heading->GetId();

  const int next = Data->GetNextParaNo(1);
  ASSERT_GE(next, 0);
  EXPECT_EQ(Sheet.ParaStyles()->Items(next)->StyleTemplateId, body->GetId());
  EXPECT_EQ(Sheet.ParaStyles()->Items(next)->GetSpaceBefore(), 30);
  EXPECT_EQ(Data->GetNextParaNo(next), next) << "a template without a next one";

  Data->FCurTextStyleNo = 1;
  const int nextText = Data->GetNextStyleNo(1, 1, true);
  ASSERT_GE(nextText, 0);
  EXPECT_EQ(Sheet.TextStyles()->Items(nextText)->ParaStyleTemplateId, body->GetId());
  EXPECT_EQ(Data->GetNextStyleNo(1, 1, false), 1) << "not a new line, not a hyperlink";

  // Text after a hyperlink is plain text of the hyperlink's paragraph template.
  TFontInfo* link = Sheet.TextStyles()->Items(2);
  link->Jump = true;
  link->ParaStyleTemplateId = heading->GetId();
  Data->FCurTextStyleNo = 2;
  const int afterLink = Data->GetNextStyleNo(2, 1, false);
  ASSERT_GE(afterLink, 0);
  EXPECT_FALSE(Sheet.TextStyles()->Items(afterLink)->Jump);
  EXPECT_EQ(Sheet.TextStyles()->Items(afterLink)->ParaStyleTemplateId, heading->GetId());

  // Enter at the end of a heading: the new paragraph is of the next template.
  Data->FCurTextStyleNo = 0;
  Build({{u"Head", 1, 1}});
  Data->SetCaretAtItem(0, 5);
  Data->ChangeCaret(false, false, false, false);
  ASSERT_TRUE(Data->OnEnterPress_(false, false));
  ASSERT_EQ(Data->ItemCount(), 2);
  EXPECT_EQ(Sheet.ParaStyles()->Items(Data->GetItem(1)->ParaNo)->StyleTemplateId, body->GetId());
  EXPECT_EQ(Sheet.TextStyles()->Items(Data->GetItem(1)->StyleNo)->ParaStyleTemplateId, body->GetId());
}

// The copy of a list marker: recorded or put straight into the item list, without the flags
// that belong to the original only.
TEST_F(EnterKey, MarkerCopy) {
  struct {
    const char* What;
    std::vector<TDocItem> Items;
    int From, Index;
    bool RequireVisible, Recorded, Inserted;
    const char* Expected;
  } cases[] = {
      {"recorded", {{u"<5"}, {u"a"}}, 1, 2, true, true, true, "<5r/0 a@0/0S <6/0"},
      {"direct", {{u"<5"}, {u"a"}}, 1, 2, true, false, true, "<5r/0 a@0/0S <6/0"},
      {"no marker", {{u"a"}}, 0, 1, true, true, false, "a@0/0"},
      {"a hidden marker when a visible one is asked for", {{u"<h"}, {u"a"}}, 1, 2, true, true, false, "<1h/0 a@0/0S"},
      {"a hidden marker", {{u"<h"}, {u"a"}}, 1, 2, false, true, true, "<1h/0 a@0/0S <2/0"},
      {"from a later paragraph item", {{u"<"}, {u"a"}, {u"b", 0, 0, '+'}}, 2, 3, true, false, true,
       "<1/0 a@0/0S b@0/0S <2/0"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.What);
    Data->Clear();
    Build(c.Items);
    Data->BeginUndoSequence(rvutMiscTyping, false);
    bool full = true;
    EXPECT_EQ(Data->InsertMarkerCopy(c.From, c.Index, c.RequireVisible, c.Recorded, full), c.Inserted);
    EXPECT_FALSE(full);
    EXPECT_EQ(Doc(), c.Expected);
    TRVMarkerList* markers = Data->GetMarkers(false);
    int count = 0;
    for (int i = 0; i < Data->ItemCount(); ++i) count += Data->GetItem(i)->StyleNo == ItemKindListMarker;
    EXPECT_EQ(markers ? markers->Count() : 0, count) << "every marker is in the document's list";
    const bool recorded = Data->UndoList->Count() == 1 && !Data->UndoList->LastStep()->IsEmpty();
    EXPECT_EQ(recorded, c.Inserted && c.Recorded);
    Data->EndUndoSequence();
    Data->UndoList->Clear();
  }
}

}  // namespace
