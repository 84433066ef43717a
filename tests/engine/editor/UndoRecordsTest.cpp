// The editor's undo records: each undoes through its opposite primitive, which leaves the
// opposite record on the redo list; undoing that gives the edit back item by item; the records
// answer the reformatting questions; and a record that no longer fits its document refuses.
#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>

#include "EditorTestUtil.h"
#include "engine/editor/RVUndoRecords.h"
#include "engine/foundation/RVError.h"
#include "platform/base/Classes.h"

namespace {

using TRecordTest = std::function<bool(TRVUndoInfo*)>;
template <typename T>
TRecordTest Is() {
  return [](TRVUndoInfo* R) { return R && typeid(*R) == typeid(T); };
}

struct RecordCase {
  const char* Name;
  std::function<void(EditorFixture&)> Edit;
  TRecordTest Record;    // the record the edit's primitive makes (the first of the step)
  TRecordTest Opposite;  // a record undoing it leaves on the redo list
  int ItemsAdded;
  bool RequiresFormat;
  bool Full2;  // asked after undoing, on a document narrower than its width
  bool ChangesDocument = true;
};

struct UndoRecordsTest : EditorFixture {
  // Paragraphs "Hello world", "Second" with a line break before "line" (which holds checkpoint
  // "mark") and "Third".
  void BuildDoc() {
    Add(u"Hello", 0, 0);
    Add(u" world", 1, 0, '+');
    Add(u"Second", 0, 1);
    Add(u"line", 2, 1, '/');
    Add(u"Third", 1, 2);
    Data->SetCheckpointInfo(3, u"", u"mark", false);
    Editor->Format();
  }
  std::string SnapWithHints() const {
    std::string s = Snap();
    for (int i = 0; i < Data->ItemCount(); ++i)
      if (!Data->GetItem(i)->Hint.empty()) s += " hint" + std::to_string(i) + "=" + ToUtf8(Data->GetItem(i)->Hint);
    return s;
  }
  // Undoes every record of Step, last first, as a step is performed.
  void UndoStep(TRVUndoInfos* Step) {
    for (int i = Step->Count() - 1; i >= 0; --i) Step->Items(i)->Undo(Data);
  }
};

bool AnyRecord(TRVUndoInfos* Step, const TRecordTest& Test) {
  for (int i = 0; Step && i < Step->Count(); ++i)
    if (Test(Step->Items(i))) return true;
  return false;
}

TEST_F(UndoRecordsTest, EveryRecordUndoesThroughItsOppositeAndRedoGivesTheEditBack) {
  const RecordCase cases[] = {
      {"insert item",
       [](EditorFixture& f) {
         TRVUnicodeString t = u"new";
         bool fr = false;
         f.Data->Do_InsertItem(1, t, f.NewTextItem(1, 0, true), false, fr);
       },
       Is<TRVUndoInsertItemInfo>(), Is<TRVUndoDeleteItemInfo>(), -1, true, false},
      {"delete item",
       [](EditorFixture& f) {
         bool fr = false;
         f.Data->Do_DeleteItem(1, fr);
       },
       Is<TRVUndoDeleteItemInfo>(), Is<TRVUndoInsertItemInfo>(), 1, true, false},
      {"delete items",
       [](EditorFixture& f) {
         bool fr = false;
         f.Data->Do_DeleteItems(1, 2, fr);
       },
       Is<TRVUndoDeleteItemsInfo>(), Is<TRVUndoInsertItemsInfo>(), 2, true, false},
      {"insert items",
       [](EditorFixture& f) {
         TRVItemList list;
         list.AddObject(u"p", f.NewTextItem(0, 1));
         list.AddObject(u"q", f.NewTextItem(1, 1, true));
         bool fr = false;
         f.Data->Do_InsertItems(2, &list, false, fr);
       },
       Is<TRVUndoInsertItemsInfo>(), Is<TRVUndoDeleteItemsInfo>(), -2, true, false},
      {"insert substring", [](EditorFixture& f) { f.Data->Do_InsertSubstring(0, 3, u"XY"); },
       Is<TRVUndoInsertSubstringInfo>(), Is<TRVUndoDeleteSubstringInfo>(), 0, true, false},
      {"delete substring", [](EditorFixture& f) { f.Data->Do_DeleteSubstring(4, 2, 2); },
       Is<TRVUndoDeleteSubstringInfo>(), Is<TRVUndoInsertSubstringInfo>(), 0, true, false},
      {"change text", [](EditorFixture& f) { f.Data->Do_ChangeText(2, u"Changed"); }, Is<TRVUndoChangeTextInfo>(),
       Is<TRVUndoChangeTextInfo>(), 0, true, false},
      {"new line",
       [](EditorFixture& f) {
         bool fr = false;
         f.Data->Do_NewLine(1, false, 2, fr);
       },
       Is<TRVUndoNewLineInfo>(), Is<TRVUndoNewLineInfo>(), 0, true, false},
      {"line break",
       [](EditorFixture& f) {
         bool fr = false;
         f.Data->Do_BR(2, true, fr);
       },
       Is<TRVUndoBRInfo>(), Is<TRVUndoBRInfo>(), 0, true, false},
      {"page break", [](EditorFixture& f) { f.Data->Do_PageBreak(2, true); }, Is<TRVUndoPageBreakInfo>(),
       Is<TRVUndoPageBreakInfo>(), 0, true, false},
      {"clear text flow", [](EditorFixture& f) { f.Data->Do_ClearTextFlow(2, true, false); },
       Is<TRVUndoClearTextFlowInfo>(), Is<TRVUndoClearTextFlowInfo>(), 0, true, false},
      {"paragraph style",
       [](EditorFixture& f) {
         bool fr = false;
         f.Data->Do_Para(2, 3, 0, fr);
       },
       Is<TRVUndoParaListInfo>(), Is<TRVUndoParaListInfo>(), 0, true, false},
      {"paragraph list",
       [](EditorFixture& f) {
         TRVIntegerList paras;
         paras.Add(2);
         paras.Add(0);
         bool fr = false;
         f.Data->Do_ParaList(3, &paras, fr);
       },
       Is<TRVUndoParaListInfo>(), Is<TRVUndoParaListInfo>(), 0, true, false},
      {"text style", [](EditorFixture& f) { f.Data->Do_StyleNo(0, 2); }, Is<TRVUndoStyleNoInfo>(),
       Is<TRVUndoStyleNoInfo>(), 0, true, false},
      {"tag", [](EditorFixture& f) { f.Data->Do_Tag(1, u"t", false); }, Is<TRVUndoTagInfo>(), Is<TRVUndoTagInfo>(), 0,
       false, false},
      {"add checkpoint",
       [](EditorFixture& f) {
         auto* cp = new TRVCPInfo;
         cp->Name = u"new";
         f.Data->Do_AddCP(2, cp);
       },
       Is<TRVUndoAddCPInfo>(), Is<TRVUndoDeleteCPInfo>(), 0, true, false},
      {"delete checkpoint", [](EditorFixture& f) { f.Data->Do_DeleteCP(3); }, Is<TRVUndoDeleteCPInfo>(),
       Is<TRVUndoAddCPInfo>(), 0, true, false},
      {"move checkpoint", [](EditorFixture& f) { f.Data->Do_MoveCP(3, 0); }, Is<TRVUndoAddCPInfo>(),
       Is<TRVUndoDeleteCPInfo>(), 0, true, false},
      {"extra string property", [](EditorFixture& f) { f.Data->Do_ExtraStrProperty(0, rvespHint, u"tip", rvrfNone); },
       Is<TRVUndoExtraStrProperty>(), Is<TRVUndoExtraStrProperty>(), 0, false, false},
      {"published integer",
       [](EditorFixture& f) { f.Data->Do_ModifyItemIntProperty(0, &f.Probe, u"Size", 20, true, true, nullptr); },
       Is<TRVUndoModifyItemIntProperty>(), Is<TRVUndoModifyItemIntProperty>(), 0, true, false},
      {"published string",
       [](EditorFixture& f) { f.Data->Do_ModifyItemStrProperty(0, &f.Probe, u"Caption", u"x", nullptr); },
       Is<TRVUndoModifyItemStrProperty>(), Is<TRVUndoModifyItemStrProperty>(), 0, false, false},
      {"published integers",
       [](EditorFixture& f) {
         TStringList props;
         props.Add(u"Size=30");
         props.Add(u"Depth=5");
         f.Data->Do_ModifyItemIntProperties(0, &f.Probe, &props, false, false, nullptr);
       },
       Is<TRVUndoModifyItemIntProperties>(), Is<TRVUndoModifyItemIntProperties>(), 0, false, false},
      {"replace item", [](EditorFixture& f) { f.Data->Do_ReplaceItem(2, f.NewTextItem(2, 0)); },
       Is<TRVUndoReplaceItemInfo>(), Is<TRVUndoReplaceItemInfo>(), 0, false, false},
      {"modify item", [](EditorFixture& f) { f.Data->Do_ModifyItem(2, u"mod", f.NewTextItem(1, 0)); },
       Is<TRVUndoModifyItemInfo>(), Is<TRVUndoModifyItemInfo>(), 0, true, false},
      {"item modify bracket", [](EditorFixture& f) { f.Data->Do_ItemModifyTerminator(0, true); },
       Is<TRVUndoModifyItemTerminator>(), Is<TRVUndoModifyItemTerminator>(), 0, true, false, false},
      {"reformat range", [](EditorFixture& f) { f.Data->Do_ReformateRange(1, 2, false); }, Is<TRVUndoReformateRange>(),
       Is<TRVUndoReformateRange>(), 0, true, false, false},
  };
  for (const RecordCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Data->Clear();
    Data->UndoList->Clear();
    Data->RedoList->Clear();
    Probe.Size = 10;
    Probe.Depth = 1;
    Probe.Caption = u"cap";
    BuildDoc();
    const std::string before = SnapWithHints();

    OpenUndoStep();
    c.Edit(*this);
    const std::string after = SnapWithHints();
    if (c.ChangesDocument) {
      EXPECT_NE(after, before);
    }
    TRVUndoInfos* step = LastUndoStep();
    ASSERT_NE(step, nullptr);
    ASSERT_GE(step->Count(), 1);
    TRVUndoInfo* record = step->Items(0);
    EXPECT_TRUE(c.Record(record)) << typeid(*record).name();
    EXPECT_EQ(record->ItemsAdded(), c.ItemsAdded);
    EXPECT_EQ(record->RequiresFormat(), c.RequiresFormat);

    OpenRedoStep();
    UndoStep(step);
    EXPECT_EQ(SnapWithHints(), before);
    EXPECT_EQ(record->RequiresFullReformat2(Data), c.Full2);
    TRVUndoInfos* redo = LastRedoStep();
    ASSERT_NE(redo, nullptr);
    EXPECT_TRUE(AnyRecord(redo, c.Opposite));

    OpenUndoStep();
    UndoStep(redo);
    EXPECT_EQ(SnapWithHints(), after);
  }
}

TEST_F(UndoRecordsTest, RecordsAnswerTheirReformattingQuestions) {
  TRVUndoReformateRange super;
  super.SuperReformat = true;
  EXPECT_TRUE(super.RequiresSuperFormat());
  TRVUndoChangeSubDoc sub;
  EXPECT_FALSE(sub.RequiresFormat());
  EXPECT_TRUE(sub.RequiresRepagination(nullptr));
  TRVUndoEditorIntProp margin, color;
  margin.Prop = rvipLeftMargin;
  color.Prop = rvipColor;
  EXPECT_TRUE(margin.RequiresFormat());
  EXPECT_TRUE(margin.RequiresFullReformat2(nullptr));
  EXPECT_FALSE(color.RequiresFormat());
  EXPECT_FALSE(color.RequiresFullReformat2(nullptr));
  TRVUndoChangeAllParasInfo paras;
  EXPECT_TRUE(paras.ChangesStyles());
  EXPECT_TRUE(paras.RequiresFullReformat2(nullptr));
  TRVUndoParaListInfo list;
  list.StartItemNo = 4;
  list.List.Add(0);
  list.List.Add(0);
  int first = -1, last = -1;
  list.GetItemsRange(first, last, nullptr);
  EXPECT_EQ(first, 4);
  EXPECT_EQ(last, 6);  // one past the last item, as the step performer expects
  TRVUndoInsertItemInfo none;
  first = last = 7;
  none.GetItemsRange(first, last, nullptr);  // no item: the range stays as it was
  EXPECT_EQ(first, 7);
  TRVUndoExtraIntProperty full, normal;
  full.ReformatType = rvrfFull;
  normal.ReformatType = rvrfNone;
  EXPECT_TRUE(full.RequiresFormat());
  EXPECT_TRUE(full.RequiresFullReformat2(Data));
  EXPECT_FALSE(normal.RequiresFormat());
}

TEST_F(UndoRecordsTest, AFullReformatFollowsTheWidthRule) {
  // A word far wider than the window makes the document as wide as its paragraph section.
  Add(u"short", 0, 0);
  Add(u"wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww", 0, 0);
  Editor->Format();
  const int wide = Data->CalculateMinItemWidthPlusEx(1);
  ASSERT_EQ(Data->DocumentWidth, wide);
  OpenUndoStep();
  Data->Do_InsertSubstring(1, 1, u"wwww");  // wider than the document now
  auto* grow = dynamic_cast<TRVUndoInsertSubstringInfo*>(LastUndoStep()->Items(0));
  ASSERT_NE(grow, nullptr);
  OpenRedoStep();
  grow->Undo(Data);  // narrows from a width at least the document's
  EXPECT_TRUE(grow->RequiresFullReformat2(Data));
  auto* shrink = dynamic_cast<TRVUndoDeleteSubstringInfo*>(LastRedoStep()->Items(0));
  ASSERT_NE(shrink, nullptr);
  OpenUndoStep();
  shrink->Undo(Data);  // widens past the document
  EXPECT_GT(Data->CalculateMinItemWidthPlusEx(1), Data->DocumentWidth);
  EXPECT_TRUE(shrink->RequiresFullReformat2(Data));
  OpenRedoStep();
  Data->Do_ChangeText(0, u"tiny");  // a narrow paragraph changing within the width
  auto* narrow = dynamic_cast<TRVUndoChangeTextInfo*>(LastRedoStep()->Items(0));
  ASSERT_NE(narrow, nullptr);
  OpenUndoStep();
  narrow->Undo(Data);
  EXPECT_FALSE(narrow->RequiresFullReformat2(Data));
}

TEST_F(UndoRecordsTest, ARecordWhoseItemNoLongerFitsRefusesSafely) {
  Add(u"one", 0, 0);
  Add(u"two", 0, 0);
  Editor->Format();
  OpenUndoStep();
  Data->Do_InsertSubstring(1, 1, u"x");
  Data->Do_Tag(1, u"t", false);
  bool fr = false;
  Data->Do_DeleteItem(1, fr);
  TRVUndoInfos* step = LastUndoStep();
  ASSERT_EQ(step->Count(), 3);
  const std::string now = Snap();
  OpenRedoStep();
  // The item the first two records name is gone: both refuse and the document stays.
  for (int i : {0, 1}) {
    try {
      step->Items(i)->Undo(Data);
      ADD_FAILURE() << "record " << i << " undid on a missing item";
    } catch (const EViroZereError& e) {
      EXPECT_EQ(e.Message(), u"Undo error");
    }
  }
  EXPECT_EQ(Snap(), now);
  // The delete record gives its item back once; reached again it has nothing to give.
  step->Items(2)->Undo(Data);
  EXPECT_EQ(Data->ItemCount(), 2);
  EXPECT_THROW(step->Items(2)->Undo(Data), EViroZereError);
  EXPECT_EQ(Data->ItemCount(), 2);
  auto* cpRecord = new TRVUndoDeleteCPInfo;  // holds no checkpoint
  cpRecord->ItemNo = 0;
  std::unique_ptr<TRVUndoInfo> guard(cpRecord);
  EXPECT_THROW(cpRecord->Undo(Data), EViroZereError);
  EXPECT_EQ(Data->CPCount, 0);
}

TEST_F(UndoRecordsTest, ACompositeRecordOwnsANestedList) {
  TRVCompositeUndo c;
  c.ItemNo = 3;
  ASSERT_NE(c.UndoList, nullptr);
  EXPECT_FALSE(c.RequiresFormat());
  int first = -1, last = -1;
  c.GetItemsRange(first, last, nullptr);
  EXPECT_EQ(first, 3);
  EXPECT_EQ(last, 3);
}

}  // namespace
