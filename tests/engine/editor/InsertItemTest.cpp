// Inserting one item at the caret: where the item lands, which paragraph role it takes over,
// which tag it takes, when it is refused (with one beep and the document untouched), list markers
// in empty paragraphs, partial against full reformatting, and the caret afterwards. Every
// insertion runs in an undo step whose undo restores the document exactly and whose redo gives
// the insertion back.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "EditorTestUtil.h"
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/ListInfo.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Dialogs.h"

namespace {

// Text styles: 0 and 1 plain, 2 and 3 sticking to each other, 4 modify-protected.
// Paragraph styles: 0 and 1 plain, 2 read-only.
constexpr int tsSticky1 = 2, tsSticky2 = 3, tsLocked = 4;
constexpr int psReadOnly = 2;

struct InsertItemTest : EditorFixture {
  void SetUp() override {
    EditorFixture::SetUp();
    while (Sheet.TextStyles()->Count() < 5) Sheet.TextStyles()->Add();
    Sheet.TextStyles()->Items(tsSticky1)->Protection.Include(rvprSticking);
    Sheet.TextStyles()->Items(tsSticky2)->Protection.Include(rvprSticking);
    Sheet.TextStyles()->Items(tsLocked)->Protection.Include(rvprModifyProtect);
    Sheet.ParaStyles()->Items(psReadOnly)->Options.Include(rvpaoReadOnly);
    Sheet.UseSound = true;
    TRVListInfo* list = Sheet.ListStyles()->Add();
    list->Levels()->Add()->ListType = rvlstBullet;
    BulletList = list->GetIndex();
  }
  int BulletList = -1;

  // A new editor on the same style sheet, for the next row of a table.
  void Reset() {
    Editor = std::make_unique<TViroZereEdit>(nullptr);
    Editor->SetBounds(0, 0, 400, 300);
    Editor->SetStyle(&Sheet);
    Data = Editor->GetEditRVData();
  }
  void Format() {
    Editor->HandleNeeded();
    Editor->Format();
  }
  // The caret at an item position, taking the styles there as a click would.
  void PlaceCaret(int ItemNo, int Offs) {
    Data->SetCaretAtItem(ItemNo, Offs);
    Data->ChangeCaret(false, false, false, false);
  }
  std::pair<int, int> Caret() const {
    int i = -1, o = -1;
    Data->CaretToItem(i, o);
    return {i, o};
  }
  std::string Doc() const {
    const std::string s = Snap();
    return s.substr(0, s.find(" probe"));
  }
  // Every draw item's place and extent: what a partial formatting must leave as a full one would.
  std::string Layout() const {
    std::ostringstream s;
    s << "W" << Data->DocumentWidth << " H" << Data->DocumentHeight;
    for (int i = 0; i < Data->DrawItems->Count(); ++i) {
      const TRVDrawLineInfo* d = Data->DrawItems->Get(i);
      s << " [" << d->ItemNo << ":" << d->Offs << "+" << d->TextLength << " " << d->Left << "," << d->Top << " "
        << d->Width << "x" << d->Height << "]";
    }
    return s.str();
  }

  TCustomRVItemInfo* Picture(int W = 20, int H = 20) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(W, H);
    return new TRVGraphicItemInfo(Data, std::move(bmp), rvvaBaseline);
  }
  void AddPicture(char Mode) {
    TCustomRVItemInfo* pic = Picture();
    pic->ParaNo = Mode == '+' ? -1 : 0;
    Data->AddItem(u"", pic);
  }
  TCustomRVItemInfo* Break() { return new TRVBreakItemInfo(Data); }
  static void GiveCheckpoint(TCustomRVItemInfo* Item, const char16_t* Name, bool Persistent) {
    auto* cp = new TRVCPInfo;
    cp->Name = Name;
    cp->Persistent = Persistent;
    Item->Checkpoint = cp;
  }

  // Inserts in an undo step of its own, as the control does.
  bool Insert(TCustomRVItemInfo* Item, const TRVUnicodeString& Text = u"", bool CaretBefore = false,
              bool TakeTag = false) {
    Data->BeginUndoSequence(rvutInsert, true);
    TRVUnicodeString text = Text, split;
    const bool ok = Data->InsertSomething(Item, text, split, TakeTag, CaretBefore, true);
    Data->EndUndoSequence();
    return ok;
  }
  // Undo gives Before back exactly, redo After.
  void ExpectUndoRedo(const std::string& Before, const std::string& After) {
    ASSERT_GT(Data->UndoList->Count(), 0);
    Data->UndoList->Undo(Data);
    EXPECT_EQ(Doc(), Before) << "after undo";
    Data->RedoList->Redo(Data);
    EXPECT_EQ(Doc(), After) << "after redo";
  }
};

using TBuild = std::function<void(InsertItemTest&)>;
using TMake = std::function<TCustomRVItemInfo*(InsertItemTest&)>;

TMake PictureItem() {
  return [](InsertItemTest& t) { return t.Picture(); };
}
TMake TextItem(int StyleNo) {
  return [StyleNo](InsertItemTest& t) { return t.NewTextItem(StyleNo, 0); };
}

}  // namespace

// Where an accepted item lands, what it takes over from its neighbours and where the caret ends.
TEST_F(InsertItemTest, ItemLandsAtTheCaretAndTakesItsParagraphRole) {
  const TBuild hello = [](InsertItemTest& t) { t.Add(u"Hello", 0, 0); };
  const TBuild helloInPara1 = [](InsertItemTest& t) { t.Add(u"Hello", 0, 1); };
  const TBuild twoParasPageBreak = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Add(u"cd", 0, 1);
    t.Data->GetItem(1)->SetPageBreakBefore(true);
  };
  const TBuild lineBreak = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Add(u"cd", 0, 0, '/');
  };
  const TBuild emptyPara = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Add(u"", 0, 1);
  };
  const TBuild textPicture = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.AddPicture('+');
  };
  const TBuild pictureText = [](InsertItemTest& t) {
    t.AddPicture('|');
    t.Add(u"cd", 0, 0, '+');
  };
  const TBuild twoParas = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Add(u"cd", 0, 0);
  };
  const TBuild twoStyles = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Add(u"cd", 1, 0, '+');
  };
  const TBuild taggedText = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Data->GetItem(0)->Tag = u"t";
  };
  const TBuild taggedNext = [](InsertItemTest& t) {
    t.Add(u"ab", 1, 0);
    t.Add(u"cd", 0, 0, '+');
    t.Data->GetItem(1)->Tag = u"u";
  };
  const TBuild persistentNext = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Add(u"cd", 1, 0, '+');
    t.Data->SetCheckpointInfo(1, u"", u"p", false);
    t.Data->GetItem(1)->Checkpoint->Persistent = true;
  };
  const TBuild bookmarkedEmptyPara = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Add(u"", 0, 1);
    t.Data->SetCheckpointInfo(1, u"", u"b", false);
  };
  const TBuild textBreakText = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Data->AddItem(u"", t.Break());
    t.Add(u"cd", 0, 0);
  };
  const TBuild listPicture = [](InsertItemTest& t) {
    t.Data->SetListMarkerInfo(-1, t.BulletList, 0, 1, 0, false);
    t.AddPicture('+');
    t.Add(u"cd", 0, 0, '+');
  };
  const TBuild persistentListText = [](InsertItemTest& t) {
    t.Data->SetListMarkerInfo(-1, t.BulletList, 0, 1, 0, false);
    t.Add(u"ab", 0, 0, '+');
    t.Data->SetCheckpointInfo(0, u"", u"m", false);
    t.Data->GetItem(0)->Checkpoint->Persistent = true;
  };
  const TMake persistentPicture = [](InsertItemTest& t) {
    TCustomRVItemInfo* pic = t.Picture();
    GiveCheckpoint(pic, u"p", true);
    return pic;
  };
  const TMake persistentPictureQ = [](InsertItemTest& t) {
    TCustomRVItemInfo* pic = t.Picture();
    GiveCheckpoint(pic, u"q", true);
    return pic;
  };
  const TMake breakItem = [](InsertItemTest& t) { return t.Break(); };

  struct Case {
    const char* Name;
    TBuild Build;
    int CaretItem, CaretOffs;
    TMake Make;
    const char16_t* Text;
    bool CaretBefore, TakeTag;
    const char* Want;
    std::pair<int, int> WantCaret;
  };
  const Case cases[] = {
      {"picture after He", hello, 0, 3, PictureItem(), u"", false, false, "He@0/0 @-3/0S llo@0/0S cp0", {1, 1}},
      // Before the picture is after "He": the line has one stop there.
      {"picture after He, caret before it", hello, 0, 3, PictureItem(), u"", true, false,
       "He@0/0 @-3/0S llo@0/0S cp0", {0, 3}},
      {"text after He", hello, 0, 3, TextItem(1), u"xy", false, false, "He@0/0 xy@1/0S llo@0/0S cp0", {1, 3}},
      {"text after He, caret before it", hello, 0, 3, TextItem(1), u"xy", true, false,
       "He@0/0 xy@1/0S llo@0/0S cp0", {0, 3}},
      {"break in the middle of text", helloInPara1, 0, 3, breakItem, u"", false, false, "He@0/1 @-1/0 llo@0/1 cp0",
       {1, 1}},
      {"picture at a paragraph start takes the start and the page break", twoParasPageBreak, 1, 1, PictureItem(),
       u"", false, false, "ab@0/0 @-3/1P cd@0/1S cp0", {1, 1}},
      {"picture at a paragraph start, caret before it", twoParasPageBreak, 1, 1, PictureItem(), u"", true, false,
       "ab@0/0 @-3/1P cd@0/1S cp0", {1, 0}},
      {"text at a paragraph start, caret before it", pictureText, 0, 0, TextItem(1), u"x", true, false,
       "x@1/0 @-3/0S cd@0/0S cp0", {0, 1}},
      {"picture at a line start takes the line break", lineBreak, 1, 1, PictureItem(), u"", false, false,
       "ab@0/0 @-3/0B cd@0/0S cp0", {1, 1}},
      {"picture replaces an empty paragraph's item", emptyPara, 1, 1, PictureItem(), u"", false, false,
       "ab@0/0 @-3/1 cp0", {1, 1}},
      {"text replaces an empty paragraph's item", emptyPara, 1, 1, TextItem(1), u"xyz", false, false,
       "ab@0/0 xyz@1/1 cp0", {1, 4}},
      {"text after a picture", textPicture, 1, 1, TextItem(1), u"x", false, false, "ab@0/0 @-3/0S x@1/0S cp0",
       {2, 2}},
      {"text before a picture that starts the paragraph", pictureText, 0, 0, TextItem(1), u"x", false, false,
       "x@1/0 @-3/0S cd@0/0S cp0", {0, 2}},
      {"picture at the end of a paragraph", twoParas, 0, 3, PictureItem(), u"", false, false,
       "ab@0/0 @-3/0S cd@0/0 cp0", {1, 1}},
      {"break at the end of text starts the next item's paragraph", twoStyles, 0, 3, breakItem, u"", false, false,
       "ab@0/0 @-1/0 cd@1/0 cp0", {1, 1}},
      {"text takes the tag of the text it follows", taggedText, 0, 3, TextItem(0), u"x", false, true,
       "ab@0/0#t x@0/0S#t cp0", {1, 2}},
      {"no tag without TakeTag", taggedText, 0, 3, TextItem(0), u"x", false, false, "ab@0/0#t x@0/0S cp0", {1, 2}},
      {"text takes the tag of the next item of its style", taggedNext, 0, 3, TextItem(0), u"x", false, true,
       "ab@1/0 x@0/0S#u cd@0/0S#u cp0", {1, 2}},
      {"an item with a persistent checkpoint starts a paragraph", hello, 0, 3, persistentPicture, u"", false, false,
       "He@0/0 @-3/0*p llo@0/0S cp1", {1, 1}},
      {"the next item's persistent checkpoint moves onto the new item", persistentNext, 0, 3, PictureItem(), u"",
       false, false, "ab@0/0 @-3/0S*p cd@1/0S cp1", {1, 1}},
      {"two persistent checkpoints keep two paragraphs", persistentNext, 0, 3, persistentPictureQ, u"", false, false,
       "ab@0/0 @-3/0*q cd@1/0*p cp2", {1, 1}},
      {"text after a break starts a paragraph", textBreakText, 1, 1, TextItem(1), u"x", false, false,
       "ab@0/0 @-1/0 x@1/0 cd@0/0 cp0", {2, 2}},
      {"a break before a picture that follows a marker leaves the marker an empty text", listPicture, 1, 0,
       breakItem, u"", false, false, "@-11/0 @0/0S @-1/0 @-3/0 cd@0/0S cp0", {2, 1}},
      {"an item with a persistent checkpoint after a marker with one splits the text there", persistentListText, 1, 1,
       persistentPictureQ, u"", false, false, "@-11/0*m @0/0S @-3/0*q ab@0/0S cp2", {2, 1}},
      {"a bookmark on a replaced empty item stays", bookmarkedEmptyPara, 1, 1, PictureItem(), u"", false, false,
       "ab@0/0 @-3/1*b cp1", {1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Reset();
    c.Build(*this);
    Format();
    PlaceCaret(c.CaretItem, c.CaretOffs);
    const std::string before = Doc();
    const int beeps = MessageBeepCount();
    ASSERT_TRUE(Insert(c.Make(*this), c.Text, c.CaretBefore, c.TakeTag));
    EXPECT_EQ(Doc(), c.Want);
    EXPECT_EQ(Caret(), c.WantCaret);
    EXPECT_EQ(MessageBeepCount(), beeps);
    ExpectUndoRedo(before, c.Want);
  }
}

// Refusals leave the document as it was, beep once (when the sheet asks for sound) and free the
// item; a neighbour that the new text can join does not refuse it.
TEST_F(InsertItemTest, RefusalsBeepOnceAndLeaveTheDocument) {
  const TBuild sticky = [](InsertItemTest& t) {
    t.Add(u"ab", tsSticky1, 0);
    t.Add(u"cd", tsSticky2, 0, '+');
  };
  const TBuild readOnly = [](InsertItemTest& t) { t.Add(u"ab", 0, psReadOnly); };
  const TBuild boundByEvent = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Add(u"cd", 1, 0, '+');
    t.Editor->OnCheckStickingItems = [](TCustomViroZereEdit*, TCustomRVFormattedData*, int FirstItemNo,
                                        bool& Sticking) { Sticking = FirstItemNo == 0; };
  };
  const TBuild locked = [](InsertItemTest& t) { t.Add(u"abc", tsLocked, 0); };
  const TMake persistentPicture = [](InsertItemTest& t) {
    TCustomRVItemInfo* pic = t.Picture();
    GiveCheckpoint(pic, u"p", true);
    return pic;
  };
  struct Case {
    const char* Name;
    TBuild Build;
    int CaretItem, CaretOffs;
    TMake Make;
    const char16_t* Text;
    bool Sound;
    const char* Accepted;  // nullptr: refused
  };
  const Case cases[] = {
      {"picture between sticking items", sticky, 0, 3, PictureItem(), u"", true, nullptr},
      {"picture between sticking items, no sound", sticky, 0, 3, PictureItem(), u"", false, nullptr},
      {"text that joins the item before", sticky, 0, 3, TextItem(tsSticky1), u"x", true,
       "ab@2/0 x@2/0S cd@3/0S cp0"},
      {"text that joins the item after", sticky, 0, 3, TextItem(tsSticky2), u"x", true,
       "ab@2/0 x@3/0S cd@3/0S cp0"},
      {"text that joins neither", sticky, 0, 3, TextItem(0), u"x", true, nullptr},
      {"picture between items the sticking event binds", boundByEvent, 0, 3, PictureItem(), u"", true, nullptr},
      {"text joining an item the sticking event binds", boundByEvent, 0, 3, TextItem(0), u"x", true,
       "ab@0/0 x@0/0S cd@1/0S cp0"},
      {"read-only paragraph", readOnly, 0, 2, PictureItem(), u"", true, nullptr},
      {"read-only paragraph, an item with a checkpoint", readOnly, 0, 3, persistentPicture, u"", true, nullptr},
      {"splitting modify-protected text", locked, 0, 2, PictureItem(), u"", true, nullptr},
      {"text after modify-protected text", locked, 0, 4, TextItem(0), u"x", true, "abc@4/0 x@0/0S cp0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Reset();
    Sheet.UseSound = c.Sound;
    c.Build(*this);
    Format();
    PlaceCaret(c.CaretItem, c.CaretOffs);
    const std::string before = Doc();
    const int steps = Data->UndoList->Count();
    const int beeps = MessageBeepCount();
    const bool ok = Insert(c.Make(*this), c.Text);
    if (c.Accepted) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(Doc(), c.Accepted);
      EXPECT_EQ(MessageBeepCount(), beeps);
      ExpectUndoRedo(before, c.Accepted);
      continue;
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(Doc(), before);
    EXPECT_EQ(MessageBeepCount(), beeps + (c.Sound ? 1 : 0));
    EXPECT_EQ(Data->UndoList->Count(), steps) << "a refusal leaves no step";
  }
  Sheet.UseSound = true;
}

// A marker put into an empty list item replaces its old marker; a numbered marker put into an
// empty paragraph after an equal numbered list continues that list; the marker keeps an empty
// text after it, so the paragraph shows and holds the caret; a marker where no marker may go is
// dropped without a change.
TEST_F(InsertItemTest, ListMarkersInEmptyParagraphs) {
  auto addList = [&](TRVListType Type) {
    TRVListInfo* list = Sheet.ListStyles()->Add();
    TRVListLevel* level = list->Levels()->Add();
    level->ListType = Type;
    level->FormatString = u"%0:s.";
    list->SetListID(7);
    return list->GetIndex();
  };
  const int numbers = addList(rvlstDecimal);
  const int sameNumbers = addList(rvlstDecimal);
  const int otherNumbers = addList(rvlstDecimal);
  Sheet.ListStyles()->Items(otherNumbers)->SetListID(8);
  const int bullets = addList(rvlstBullet);
  auto marker = [&](int ListNo) { return new TRVMarkerItemInfo(Data, ListNo, 0, 1, false); };
  auto markerAt = [&](int ItemNo) { return static_cast<TRVMarkerItemInfo*>(Data->GetItem(ItemNo)); };

  struct Case {
    const char* Name;
    int ListNo;
    bool EmptyItemInList;  // the empty paragraph already has a marker
    int WantListNo;
    const char16_t* WantNumber;
    const char* Want;
  };
  const Case cases[] = {
      {"equal numbered list continues", sameNumbers, false, numbers, u"2.", "@-11/0 one@0/0S @-11/0 @0/0S cp0"},
      {"same numbered list continues", numbers, false, numbers, u"2.", "@-11/0 one@0/0S @-11/0 @0/0S cp0"},
      {"another numbered list starts anew", otherNumbers, false, otherNumbers, u"1.",
       "@-11/0 one@0/0S @-11/0 @0/0S cp0"},
      {"a marker replaces the empty item and its marker", bullets, true, bullets, nullptr,
       "@-11/0 one@0/0S @-11/0 @0/0S cp0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Reset();
    Add(u"one", 0, 0);
    ASSERT_EQ(Data->SetListMarkerInfo(0, numbers, 0, 1, 0, false), 0);
    Add(u"", 0, 0);
    if (c.EmptyItemInList) {
      ASSERT_EQ(Data->SetListMarkerInfo(2, otherNumbers, 0, 1, 0, false), 2);
    }
    Format();
    const int emptyNo = Data->ItemCount() - 1;
    PlaceCaret(emptyNo, 1);
    const std::string before = Doc();
    ASSERT_TRUE(Insert(marker(c.ListNo)));
    EXPECT_EQ(Doc(), c.Want);
    ASSERT_EQ(Data->ItemCount(), 4);
    EXPECT_EQ(markerAt(2)->ListNo, c.WantListNo);
    EXPECT_EQ(Caret(), std::make_pair(3, 1)) << "the caret stands in the list item's empty text";
    if (c.WantNumber) {
      EXPECT_EQ(markerAt(2)->DisplayString, c.WantNumber);
    }
    ExpectUndoRedo(before, c.Want);
  }

  // Text with characters cannot take a marker: nothing changes, and it is no refusal.
  Reset();
  Add(u"abc", 0, 0);
  Format();
  PlaceCaret(0, 2);
  const std::string before = Doc();
  const int beeps = MessageBeepCount();
  EXPECT_TRUE(Insert(marker(numbers)));
  EXPECT_EQ(Doc(), before);
  EXPECT_EQ(MessageBeepCount(), beeps);
}

// The partial formatting after an insertion leaves the lines as a full formatting would: in the
// paragraph itself, when a picture makes the document wider, and when a new first marker of a
// numbered list widens the numbers of the list paragraphs after it.
TEST_F(InsertItemTest, LinesAfterAnInsertionAreThoseOfAFullFormatting) {
  struct Case {
    const char* Name;
    TBuild Build;
    int CaretItem, CaretOffs;
    TMake Make;
    const char16_t* Text = u"";
  };
  TRVListInfo* numbered = Sheet.ListStyles()->Add();
  TRVListLevel* level = numbered->Levels()->Add();
  level->ListType = rvlstDecimal;
  level->FormatString = u"%0:s.";
  const int list = numbered->GetIndex();
  const Case cases[] = {
      {"picture in a wrapped paragraph",
       [](InsertItemTest& t) {
         t.Add(u"first paragraph", 0, 0);
         t.Add(u"aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll", 0, 1);
         t.Add(u"last", 0, 0);
       },
       1, 8, PictureItem()},
      {"break in a wrapped paragraph",
       [](InsertItemTest& t) {
         t.Add(u"first paragraph", 0, 0);
         t.Add(u"aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll", 0, 1);
         t.Add(u"last", 0, 0);
       },
       1, 23, [](InsertItemTest& t) { return t.Break(); }},
      {"text in place of an empty paragraph",
       [](InsertItemTest& t) {
         t.Add(u"first", 0, 0);
         t.Add(u"", 0, 0);
         t.Add(u"last", 0, 0);
       },
       1, 1, TextItem(1), u"xyz"},
      {"picture wider than the document",
       [](InsertItemTest& t) {
         t.Add(u"first", 0, 0);
         t.Add(u"Hello", 0, 0);
       },
       1, 3, [](InsertItemTest& t) { return t.Picture(700, 30); }},
      {"a first marker renumbers the list after it",
       [list](InsertItemTest& t) {
         t.Add(u"", 0, 0);
         for (int i = 0; i < 9; ++i) {
           t.Data->SetListMarkerInfo(-1, list, 0, 1, 0, false);
           t.Add(u"entry", 0, -1, '+');
         }
         t.Add(u"end", 0, 0);
       },
       0, 1, [list](InsertItemTest& t) { return new TRVMarkerItemInfo(t.Data, list, 0, 1, false); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Reset();
    c.Build(*this);
    Format();
    PlaceCaret(c.CaretItem, c.CaretOffs);
    ASSERT_TRUE(Insert(c.Make(*this), c.Text));
    const std::string partial = Layout();
    const std::pair<int, int> caret = Caret();
    Data->Format(false);
    EXPECT_EQ(partial, Layout());
    Data->SetCaretAtItem(caret.first, caret.second);
    EXPECT_EQ(Caret(), caret);
  }
}

// The placement step alone (the first item of a pasted block): the position and the change of
// the item count it reports, with and without a new paragraph asked for; it neither beeps nor
// formats.
TEST_F(InsertItemTest, PlacementReportsWhereTheItemWent) {
  const TBuild hello = [](InsertItemTest& t) { t.Add(u"Hello", 0, 0); };
  const TBuild emptyPara = [](InsertItemTest& t) {
    t.Add(u"ab", 0, 0);
    t.Add(u"", 0, 1);
  };
  const TMake marker = [](InsertItemTest& t) { return new TRVMarkerItemInfo(t.Data, t.BulletList, 0, 1, false); };
  struct Case {
    const char* Name;
    TBuild Build;
    int CaretItem, CaretOffs;
    bool NewPara;
    TMake Make;
    bool Ok, Kept;
    int Pos, ItemsAdded;
    const char* Want;
  };
  const Case cases[] = {
      {"into text", hello, 0, 3, false, PictureItem(), true, true, 1, 2, "He@0/0 @-3/0S llo@0/0S cp0"},
      {"into text, new paragraph", hello, 0, 3, true, PictureItem(), true, true, 1, 2, "He@0/0 @-3/0 llo@0/0S cp0"},
      // A pasted item that starts a paragraph brings its paragraph style (here 0) to it.
      {"empty paragraph replaced", emptyPara, 1, 1, false, PictureItem(), true, true, 1, 0, "ab@0/0 @-3/0 cp0"},
      {"empty paragraph kept for a new paragraph", emptyPara, 1, 1, true, PictureItem(), true, true, 2, 1,
       "ab@0/0 @0/1 @-3/0 cp0"},
      {"marker in text dropped", hello, 0, 3, false, marker, true, false, -1, 0, "Hello@0/0 cp0"},
      {"read-only paragraph", [](InsertItemTest& t) { t.Add(u"Hello", 0, psReadOnly); }, 0, 3, false,
       PictureItem(), false, false, -1, 1, "Hello@0/2 cp0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Reset();
    c.Build(*this);
    Format();
    PlaceCaret(c.CaretItem, c.CaretOffs);
    const int beeps = MessageBeepCount();
    TCustomRVItemInfo* item = c.Make(*this);
    TRVUnicodeString text;
    int pos = -7, added = -7, listNo = -7;
    bool full = true;
    EXPECT_EQ(Data->InsertItemAtCaret(item, text, c.NewPara, true, false, pos, added, full, listNo), c.Ok);
    EXPECT_EQ(item != nullptr, c.Kept);
    if (c.Kept) {
      EXPECT_EQ(pos, c.Pos);
      EXPECT_EQ(Data->GetItem(pos), item);
    }
    if (c.Ok) {
      EXPECT_EQ(added, c.ItemsAdded);
    }
    EXPECT_FALSE(full);
    EXPECT_EQ(listNo, -1);
    EXPECT_EQ(Doc(), c.Want);
    EXPECT_EQ(MessageBeepCount(), beeps);
  }
}

// While an item holds a selection of its own (a table with selected cells) nothing is inserted.
TEST_F(InsertItemTest, PartiallySelectedItemRefusesEveryInsertion) {
  Add(u"Hello", 0, 0);
  Format();
  PlaceCaret(0, 3);
  Data->FPartialSelectedItem = Data->GetItem(0);
  const std::string before = Doc();
  const int beeps = MessageBeepCount();
  EXPECT_FALSE(Insert(Picture()));
  EXPECT_FALSE(Insert(NewTextItem(1, 0), u"x"));
  Data->FPartialSelectedItem = nullptr;
  EXPECT_EQ(Doc(), before);
  EXPECT_EQ(MessageBeepCount(), beeps + 2);
}

// The text of a split item is handed back to a caller that reports the edit itself, and kept
// from one that lets the item-text-edit hook see it.
TEST_F(InsertItemTest, SplitTextGoesBackToTheCallerThatReportsItself) {
  for (const bool callHook : {false, true}) {
    SCOPED_TRACE(callHook);
    Reset();
    Add(u"Hello", 0, 0);
    Add(u"World", 0, 0);
    Format();
    struct {
      int Item, Offs;
      const char16_t* WantSplit;
    } places[] = {{0, 3, u"Hello"}, {3, 6, u""}};
    for (const auto& p : places) {
      PlaceCaret(p.Item, p.Offs);
      TRVUnicodeString text, split = u"stale";
      ASSERT_TRUE(Data->InsertSomething(Picture(), text, split, false, false, callHook));
      EXPECT_EQ(split, callHook ? u"" : p.WantSplit);
    }
    EXPECT_EQ(Doc(), "He@0/0 @-3/0S llo@0/0S World@0/0 @-3/0S cp0");
  }
}

// New text takes the current tag when its style may share it.
TEST_F(InsertItemTest, NewTextTakesTheCurrentTag) {
  Add(u"ab", 0, 0);
  Format();
  PlaceCaret(0, 3);
  Data->FCurTag = u"c";
  Data->FCurTagStyleNo = 0;
  ASSERT_TRUE(Insert(NewTextItem(0, 0), u"x", false, true));
  EXPECT_EQ(Doc(), "ab@0/0 x@0/0S#c cp0");
}

// Through the control: one step, the document modified; a read-only editor refuses with a beep
// and stays unmodified.
TEST_F(InsertItemTest, ControlInsertsAPictureAsOneStep) {
  Add(u"Hello", 0, 0);
  Format();
  PlaceCaret(0, 3);
  ASSERT_TRUE(Editor->InsertItem(u"", Picture()));
  EXPECT_EQ(Doc(), "He@0/0 @-3/0S llo@0/0S cp0");
  EXPECT_TRUE(Editor->GetModified());
  EXPECT_EQ(Data->UndoList->Count(), 1);
  Editor->Undo();
  EXPECT_EQ(Doc(), "Hello@0/0 cp0");

  Reset();
  Add(u"Hello", 0, 0);
  Format();
  Editor->SetReadOnly(true);
  PlaceCaret(0, 3);
  const int beeps = MessageBeepCount();
  EXPECT_FALSE(Editor->InsertItem(u"", Picture()));
  EXPECT_EQ(MessageBeepCount(), beeps + 1);
  EXPECT_FALSE(Editor->GetModified());
  EXPECT_EQ(Doc(), "Hello@0/0 cp0");
}
