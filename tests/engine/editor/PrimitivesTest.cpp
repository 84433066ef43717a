// The primitive edits of the editor data: what each changes, what it records, the full-reformat
// flags, the edge cases of paragraphs, list markers and checkpoints, freeing without recording
// and the refusals.
#include <gtest/gtest.h>

#include "EditorTestUtil.h"
#include "engine/editor/RVUndoRecords.h"
#include "engine/foundation/RVError.h"
#include "engine/styles/ListInfo.h"

namespace {

// A text item that reports when it is freed.
class TTrackedItem : public TRVTextItemInfo {
 public:
  TTrackedItem(TCustomRVData* D, bool* AFreed) : TRVTextItemInfo(D), Freed(AFreed) {}
  ~TTrackedItem() override { *Freed = true; }
  bool* Freed;
};

using PrimitivesTest = EditorFixture;

TEST_F(PrimitivesTest, InsertedItemsLandReversedAndADeleteRecordHoldsThemLastFirst) {
  Add(u"a", 0, 0);
  Editor->Format();
  OpenUndoStep();
  TRVItemList list;
  for (const char16_t* t : {u"X", u"Y", u"Z"}) list.AddObject(t, NewTextItem(0, 0));
  bool fr = false;
  Data->Do_InsertItems(1, &list, false, fr);
  EXPECT_EQ(Snap(), "a@0/0 Z@0/0 Y@0/0 X@0/0 cp0 probe10,1,cap");
  auto* ins = dynamic_cast<TRVUndoInsertItemsInfo*>(LastUndoStep()->Items(0));
  ASSERT_NE(ins, nullptr);
  EXPECT_EQ(ins->ItemNo, 1);
  EXPECT_EQ(ins->Count, 3);

  Data->UndoList->Clear();
  Data->Clear();
  for (const char16_t* t : {u"X", u"Y", u"Z"}) Add(t, 0, 0);
  OpenUndoStep();
  Data->Do_DeleteItems(0, 2, fr);
  EXPECT_EQ(Data->ItemCount(), 0);
  auto* del = dynamic_cast<TRVUndoDeleteItemsInfo*>(LastUndoStep()->Items(0));
  ASSERT_NE(del, nullptr);
  ASSERT_EQ(del->List->Count(), 3);
  EXPECT_EQ(del->List->GetObject(0)->ItemText, u"Z");
  EXPECT_EQ(del->List->GetObject(1)->ItemText, u"Y");
  EXPECT_EQ(del->List->GetObject(2)->ItemText, u"X");
  EXPECT_EQ(del->ItemsAdded(), 3);

  // Opening the redo step reads the caret of the emptied editor, which gives it its empty
  // paragraph to type into; the restored items come before it.
  OpenRedoStep();
  del->Undo(Data);
  EXPECT_EQ(Snap(), "X@0/0 Y@0/0 Z@0/0 @0/0 cp0 probe10,1,cap");
  EXPECT_EQ(del->List->Count(), 0);  // the document owns the items again
  EXPECT_EQ(del->EndItemNo, 2);
}

TEST_F(PrimitivesTest, DeletingTheWidestItemAsksForAFullReformat) {
  struct Case {
    int ItemNo;
    bool Full;
  };
  for (const Case c : {Case{1, true}, Case{0, false}}) {
    SCOPED_TRACE(c.ItemNo);
    Data->Clear();
    Add(u"short", 0, 0);
    Add(u"wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww", 0, 0);
    Editor->Format();
    bool fr = !c.Full;
    Data->Do_DeleteItem(c.ItemNo, fr);
    EXPECT_EQ(fr, c.Full);
  }
}

TEST_F(PrimitivesTest, SubstringsAreInsertedAndDeletedByPosition) {
  struct Case {
    const char* Name;
    int Index, Length;
    const char16_t* Insert;  // nil: delete
    const char16_t* Result;
  };
  const Case cases[] = {
      {"to the end", 3, -1, nullptr, u"ab"},       {"nothing", 2, 0, nullptr, u"abcdef"},
      {"inside", 2, 2, nullptr, u"adef"},          {"past the end is clamped", 5, 10, nullptr, u"abcd"},
      {"insert inside", 3, 0, u"XY", u"abXYcdef"}, {"insert at the end", 7, 0, u"!", u"abcdef!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Add(u"abcdef", 0, 0);
    if (c.Insert)
      Data->Do_InsertSubstring(0, c.Index, c.Insert);
    else
      Data->Do_DeleteSubstring(0, c.Index, c.Length);
    EXPECT_EQ(Data->GetItemTextW(0), c.Result);
  }
}

TEST_F(PrimitivesTest, AnItemStartingAParagraphGivesItsStyleToTheRestOfIt) {
  Add(u"a", 0, 0);
  Add(u"b", 1, 0, '+');
  Add(u"c", 2, 0, '+');
  Add(u"d", 0, 1);
  OpenUndoStep();
  TRVUnicodeString text = u"P";
  bool fr = false;
  Data->Do_InsertItem(1, text, NewTextItem(0, 2), false, fr);
  EXPECT_EQ(Snap(), "a@0/0 P@0/2 b@1/2S c@2/2S d@0/1 cp0 probe10,1,cap");
  auto* r = dynamic_cast<TRVUndoInsertItemInfo*>(LastUndoStep()->Items(0));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->LastAffectedItemNo, 2);
  OpenRedoStep();
  for (int i = LastUndoStep()->Count() - 1; i >= 0; --i) LastUndoStep()->Items(i)->Undo(Data);
  EXPECT_EQ(Snap(), "a@0/0 b@1/0S c@2/0S d@0/1 cp0 probe10,1,cap");
}

TEST_F(PrimitivesTest, APageBreakOnAListParagraphGoesToItsMarker) {
  TRVListInfo* list = Sheet.ListStyles()->Add();
  TRVListLevel* level = list->Levels()->Add();
  level->ListType = rvlstDecimal;
  level->FormatString = u"%0:s.";
  Add(u"a", 0, 0);
  Add(u"b", 0, 0);
  ASSERT_GE(Data->SetListMarkerInfo(1, list->GetIndex(), 0, 1, 0, false), 0);
  ASSERT_EQ(Data->GetItem(1)->StyleNo, ItemKindListMarker);
  OpenUndoStep();
  Data->Do_PageBreak(2, true);
  EXPECT_TRUE(Data->GetItem(1)->GetPageBreakBefore());
  EXPECT_FALSE(Data->GetItem(2)->GetPageBreakBefore());
  auto* r = dynamic_cast<TRVUndoPageBreakInfo*>(LastUndoStep()->Items(0));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->ItemNo, 1);
  OpenRedoStep();
  r->Undo(Data);
  EXPECT_FALSE(Data->GetItem(1)->GetPageBreakBefore());
}

TEST_F(PrimitivesTest, ConcatenationMovesAParagraphStartOffAnEmptyItem) {
  struct Case {
    const char* Name;
    std::function<void(PrimitivesTest&)> Build;
    const char* After;
  };
  const Case cases[] = {
      {"empty item starting a paragraph",
       [](PrimitivesTest& t) {
         t.Add(u"x", 0, 0);
         t.Add(u"", 1, 2, '/');
         t.Data->GetItem(1)->SetClearLeft(true);
         t.Data->SetCheckpointInfo(1, u"", u"cp", false);
         t.Add(u"abc", 2, 1, '+');
       },
       "x@0/0 abc@2/2BL*cp cp1 probe10,1,cap"},
      {"empty item after",
       [](PrimitivesTest& t) {
         t.Add(u"ab", 0, 0);
         t.Add(u"", 1, 0, '+');
       },
       "ab@0/0 cp0 probe10,1,cap"},
      {"two texts",
       [](PrimitivesTest& t) {
         t.Add(u"ab", 0, 0);
         t.Add(u"cd", 0, 0, '+');
         t.Data->SetCheckpointInfo(1, u"", u"b", false);
       },
       "abcd@0/0*b cp1 probe10,1,cap"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->UndoList->Clear();
    Data->RedoList->Clear();
    Data->Clear();
    c.Build(*this);
    const std::string before = Snap();
    OpenUndoStep();
    Data->Do_Concate(Data->ItemCount() - 2);
    EXPECT_EQ(Snap(), c.After);
    OpenRedoStep();
    for (int i = LastUndoStep()->Count() - 1; i >= 0; --i) LastUndoStep()->Items(i)->Undo(Data);
    EXPECT_EQ(Snap(), before);
  }
}

TEST_F(PrimitivesTest, AStyleProtectedParagraphKeepsItsStyle) {
  Sheet.ParaStyles()->Items(1)->Options.Include(rvpaoStyleProtect);
  struct Case {
    const char* Name;
    int FirstPara;
    bool Changed;
    const char* After;
  };
  // Item 0 starts a paragraph of style FirstPara; item 1 continues it with protected style 1.
  const Case cases[] = {
      {"protected items keep their style", 1, false, "a@0/1 b@0/1S cp0 probe10,1,cap"},
      {"a continuation follows a previous item of the new style", 2, true, "a@0/2 b@0/2S cp0 probe10,1,cap"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->UndoList->Clear();
    Data->Clear();
    Add(u"a", 0, c.FirstPara);
    Add(u"b", 0, 0, '+');
    Data->GetItem(1)->ParaNo = 1;
    OpenUndoStep();
    bool fr = true;
    EXPECT_EQ(Data->Do_Para(0, 1, 2, fr), c.Changed);
    EXPECT_EQ(Snap(), c.After);
    if (!c.Changed) {
      EXPECT_FALSE(fr);
    }
    // The record is made whether or not anything changed.
    EXPECT_NE(dynamic_cast<TRVUndoParaListInfo*>(LastUndoStep()->Items(0)), nullptr);
  }
}

TEST_F(PrimitivesTest, WithoutRecordingRemovedItemsAreFreedAtOnce) {
  struct Case {
    const char* Name;
    bool Recording;
  };
  for (const Case c : {Case{"recording", true}, Case{"not recording", false}}) {
    SCOPED_TRACE(c.Name);
    Data->UndoList->Clear();
    Data->Clear();
    bool freed = false;
    Add(u"a", 0, 0);
    Data->AddItem(u"tracked", new TTrackedItem(Data, &freed));
    if (c.Recording)
      OpenUndoStep();
    else
      Data->UndoDest = udNone;
    bool fr = false;
    Data->Do_DeleteItem(1, fr);
    EXPECT_EQ(Data->ItemCount(), 1);
    EXPECT_EQ(freed, !c.Recording);
    EXPECT_EQ(Data->UndoList->Count(), c.Recording ? 1 : 0);
    Data->UndoList->Clear();  // a held item goes with its record
    EXPECT_TRUE(freed);
  }
}

TEST_F(PrimitivesTest, RefusalsSayWhatWentWrong) {
  Add(u"a", 0, 0);
  Data->AddBreak(0, 0, clNone);
  Data->SetCheckpointInfo(0, u"", u"cp", false);
  OpenUndoStep();
  const std::string before = Snap();
  auto message = [](const std::function<void()>& F) -> TRVUnicodeString {
    try {
      F();
    } catch (const Exception& e) {
      return e.Message();
    }
    return u"(nothing raised)";
  };
  EXPECT_EQ(message([&] { Data->Do_InsertSubstring(5, 1, u"x"); }), u"Undo error");  // no such item
  EXPECT_EQ(message([&] { Data->Do_InsertSubstring(1, 1, u"x"); }), u"Undo error");  // not text
  TRVCPInfo second;                                                                  // refused: the caller keeps it
  EXPECT_EQ(message([&] { Data->Do_AddCP(0, &second); }), u"Checkpoint error");
  EXPECT_EQ(message([&] { Data->Do_DeleteCP(1); }), u"Checkpoint error");
  EXPECT_THROW(Data->Do_DeleteCP(1), EViroZereError);
  EXPECT_EQ(message([&] { Data->Do_ModifyItemIntProperty(0, &Probe, u"NoSuch", 1, false, false, nullptr); }),
            u"Undo error");
  EXPECT_EQ(Snap(), before);
  EXPECT_EQ(LastUndoStep()->Count(), 0);  // nothing recorded for a refused change
}

TEST_F(PrimitivesTest, PublishedPropertiesChangeInsideOneBracket) {
  Add(u"a", 0, 0);
  OpenUndoStep();
  EXPECT_EQ(Data->Do_ModifyItemIntProperty(0, &Probe, u"Size", 10, true, true, nullptr), nullptr);  // equal
  TStringList props;
  props.Add(u"Size=10");  // unchanged: left out of the record
  props.Add(u"Depth=4");
  TRVUndoModifyItemProps* r = Data->Do_ModifyItemIntProperties(0, &Probe, &props, true, false, nullptr);
  ASSERT_NE(r, nullptr);
  auto* rec = dynamic_cast<TRVUndoModifyItemIntProperties*>(r);
  ASSERT_NE(rec, nullptr);
  ASSERT_EQ(rec->PropList->Count(), 1);
  EXPECT_EQ(rec->PropList->Get(0), u"Depth=1");
  EXPECT_EQ(Probe.Depth, 4);
  EXPECT_TRUE(rec->RequiresFormat());
}

}  // namespace
