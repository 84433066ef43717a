// The undo and redo lists of the editor data: opening and closing steps under a limit, the
// errors of misuse, group markers, typing that coalesces and comes back one character at a
// time, and the step performer's item range, its added-item count and its width brackets.
#include <gtest/gtest.h>

#include "support/PageLayoutDouble.h"

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine/document/RVScaleViroZere.h"
#include "engine/document/RVTextItems.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"

namespace {

inline const bool UndoTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

// ---- test records: they change the document through its own item operations ----------------

// What the performer asked a record; kept by the test, since a performed step frees its records.
struct TAsked {
  int Full1 = 0, Full2 = 0, Undone = 0;
};

// Answers the reformatting questions as a test chooses and counts them.
class TQuestionRecord : public TRVUndoInfo {
 public:
  TQuestionRecord() = default;
  explicit TQuestionRecord(TAsked* ALog) : Log(ALog) {}
  bool Full1 = false, Full2 = false, Format = true;
  TAsked Own;
  TAsked* Log = &Own;
  bool RequiresFullReformat1(TCustomRVData*) override {
    ++Log->Full1;
    return Full1;
  }
  bool RequiresFullReformat2(TCustomRVData*) override {
    ++Log->Full2;
    return Full2;
  }
  bool RequiresFormat() override { return Format; }
  void Undo(TCustomRVData*) override { ++Log->Undone; }
};

TCustomRVItemInfo* NewParagraph(TCustomRVData* D) {
  auto* Item = new TRVTextItemInfo(D);
  Item->StyleNo = 0;
  Item->ParaNo = 0;
  return Item;
}

class TRemovedItemsRecord;

// Paragraphs Count from ItemNo on were inserted: undoing removes them and records their return.
class TInsertedItemsRecord : public TQuestionRecord {
 public:
  TInsertedItemsRecord(int AItemNo, int ACount) : ItemNo(AItemNo), Count(ACount) {}
  void Undo(TCustomRVData* RVData) override;
  void GetItemsRange(int& StartItem, int& EndItem, TCustomRVData*) override { StartItem = EndItem = ItemNo; }
  int ItemsAdded() override { return -Count; }
  int ItemNo, Count;
};

// Paragraphs with these texts were removed from ItemNo on: undoing puts them back.
class TRemovedItemsRecord : public TQuestionRecord {
 public:
  TRemovedItemsRecord(int AItemNo, std::vector<TRVUnicodeString> ATexts) : ItemNo(AItemNo), Texts(std::move(ATexts)) {}
  void Undo(TCustomRVData* RVData) override {
    for (size_t i = 0; i < Texts.size(); ++i)
      RVData->GetItems()->InsertObject(ItemNo + static_cast<int>(i), Texts[i], NewParagraph(RVData));
    auto* Edit = static_cast<TRVEditRVData*>(RVData);
    if (TRVUndoList* List = Edit->GetUndoList())
      List->AddInfo(new TInsertedItemsRecord(ItemNo, static_cast<int>(Texts.size())), Edit->GetEditor());
  }
  void GetItemsRange(int& StartItem, int& EndItem, TCustomRVData*) override { StartItem = EndItem = ItemNo; }
  int ItemsAdded() override { return static_cast<int>(Texts.size()); }
  int ItemNo;
  std::vector<TRVUnicodeString> Texts;
};

void TInsertedItemsRecord::Undo(TCustomRVData* RVData) {
  std::vector<TRVUnicodeString> Texts;
  for (int i = 0; i < Count; ++i) Texts.push_back(RVData->GetItemTextW(ItemNo + i));
  RVData->DeleteItems(ItemNo, Count);
  auto* Edit = static_cast<TRVEditRVData*>(RVData);
  if (TRVUndoList* List = Edit->GetUndoList()) List->AddInfo(new TRemovedItemsRecord(ItemNo, Texts), Edit->GetEditor());
}

// One end of an item-modification bracket; the opening one tells the width the bracket handed it.
class TBracketRecord : public TQuestionRecord {
 public:
  TBracketRecord(TRVUndoWidthBracket ARole, TAsked* ALog, int* AOldWGiven = nullptr)
      : TQuestionRecord(ALog), Role(ARole), OldWGiven(AOldWGiven) {}
  TRVUndoWidthBracket WidthBracket() const override { return Role; }
  int GetBracketOldW() const override { return OldW; }
  void SetBracketOldW(int Value) override {
    OldW = Value;
    if (OldWGiven) *OldWGiven = Value;
  }
  TRVUndoWidthBracket Role;
  int OldW = 0;
  int* OldWGiven;
};

// A page-layout owner that counts what the undo list tells it.
struct TCountingPageLayout : TPageLayoutDouble {
  int Added = 0, Dropped = 0, Paginated = 0;
  void DoOnAddUndo(TObject*) override { ++Added; }
  void DoOnDeleteLastUndo(TObject*) override { ++Dropped; }
  void Paginate() override { ++Paginated; }
};

struct UndoListTest : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;
  TRVEditRVData* D = nullptr;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 2) Sheet.TextStyles()->Add();
    Editor = std::make_unique<TViroZereEdit>(nullptr);
    Editor->SetBounds(0, 0, 400, 300);
    Editor->SetStyle(&Sheet);
    D = Editor->GetEditRVData();
  }
  TRVUndoList& Undo() { return *D->UndoList; }
  TRVUndoList& Redo() { return *D->RedoList; }
  // Paragraphs, formatted.
  void MakeParagraphs(const std::vector<const char16_t*>& Texts) {
    for (const char16_t* t : Texts) D->AddNL(t, 0, 0);
    Editor->Format();
  }
  std::string Texts() const {
    std::string s;
    for (int i = 0; i < D->ItemCount(); ++i) {
      if (i) s += "|";
      for (char16_t c : D->GetItemTextW(i)) s += static_cast<char>(c);
    }
    return s;
  }
  // A step of one record on the undo list.
  TQuestionRecord* Step(TRVUndoType Type) {
    EXPECT_TRUE(Undo().BeginItem(Type, u"", -1, -1, Editor.get()));
    auto* R = new TQuestionRecord;
    Undo().AddInfo(R, Editor.get());
    return R;
  }
  // Inserts a paragraph at ItemNo as one recorded step.
  void InsertParagraph(int ItemNo, const char16_t* Text) {
    D->BeginUndoSequence(rvutInsert, true);
    D->GetItems()->InsertObject(ItemNo, Text, NewParagraph(D));
    if (TRVUndoList* List = D->GetUndoList()) List->AddInfo(new TInsertedItemsRecord(ItemNo, 1), Editor.get());
    D->EndUndoSequence();
    Editor->Format();
  }
  using TDrawn = std::tuple<int, int, int, int, int>;
  std::vector<TDrawn> Drawn() const {
    std::vector<TDrawn> r;
    for (int i = 0; i < D->DrawItems->Count(); ++i) {
      const TRVDrawLineInfo* d = D->DrawItems->Get(i);
      r.emplace_back(d->ItemNo, d->Left, d->Top, d->Width, d->Height);
    }
    return r;
  }
  // The caret (a collapsed selection) as item and offset.
  std::pair<int, int> Caret() const {
    int sNo, sOffs, eNo, eOffs;
    D->GetSelectionBounds(sNo, sOffs, eNo, eOffs, true);
    EXPECT_EQ(sNo, eNo);
    EXPECT_EQ(sOffs, eOffs);
    return {sNo, sOffs};
  }
  // Types Text into item ItemNo from offset Offs on, as typing records it.
  void Type(int ItemNo, int Offs, const std::u16string& Text) {
    for (char16_t c : Text) {
      TRVUnicodeString s = D->GetItemTextW(ItemNo);
      s.insert(s.begin() + (Offs - 1), c);
      D->SetItemTextW(ItemNo, s);
      Undo().AddTyping(ItemNo, Offs, true, Editor.get());
      ++Offs;
    }
  }
};

// ---- items through the primitives --------------------------------------------------------------

TEST_F(UndoListTest, InsertedItemsComeOffInReverseOrderAndBack) {
  MakeParagraphs({u"start"});
  for (const char16_t* t : {u"X", u"Y", u"Z"}) {
    D->BeginUndoSequence(rvutInsert, true);
    TRVUnicodeString s = t;
    bool Full = false;
    D->Do_InsertItem(D->ItemCount(), s, NewParagraph(D), false, Full);
    D->EndUndoSequence();
  }
  Editor->Format();
  ASSERT_EQ(Texts(), "start|X|Y|Z");
  for (const char* Want : {"start|X|Y", "start|X", "start"}) {
    Undo().Undo(D);
    EXPECT_EQ(Texts(), Want);
  }
  for (const char* Want : {"start|X", "start|X|Y", "start|X|Y|Z"}) {
    Redo().Redo(D);
    EXPECT_EQ(Texts(), Want);
  }
}

// ---- opening and closing steps --------------------------------------------------------------------

TEST_F(UndoListTest, LimitKeepsTheNewestSteps) {
  struct Case {
    int Limit;
    bool Opens;
    std::vector<TRVUndoType> Left;
  };
  const TRVUndoType Four[] = {rvutDelete, rvutInsert, rvutPara, rvutTag};
  for (const Case& c : {Case{-1, true, {rvutDelete, rvutInsert, rvutPara, rvutTag}},
                        Case{3, true, {rvutInsert, rvutPara, rvutTag}}, Case{1, true, {rvutTag}}, Case{0, false, {}}}) {
    SCOPED_TRACE(c.Limit);
    Undo().Clear();
    Undo().Limit = c.Limit;
    for (TRVUndoType t : Four) {
      EXPECT_EQ(Undo().BeginItem(t, u"", -1, -1, Editor.get()), c.Opens);
      if (c.Opens) Undo().AddInfo(new TQuestionRecord, Editor.get());
    }
    std::vector<TRVUndoType> Left;
    for (int i = 0; i < Undo().Count(); ++i) Left.push_back(Undo().Items(i)->UndoType);
    EXPECT_EQ(Left, c.Left);
  }
  // With undo off the editor data records nowhere.
  D->BeginUndoSequence(rvutInsert, true);
  EXPECT_EQ(D->UndoDest, udNone);
  EXPECT_EQ(D->GetUndoList(), nullptr);
}

TEST_F(UndoListTest, EmptyStepsAreDroppedOrTakenOver) {
  auto Layout = std::make_shared<TCountingPageLayout>();
  D->OnGetScaleViroZereInterface = [Layout] { return Layout; };
  // Opened and closed without records: gone.
  ASSERT_TRUE(Undo().BeginItem(rvutDelete, u"Delete", 1, 2, Editor.get()));
  Undo().EndItem(Editor.get());
  EXPECT_EQ(Undo().Count(), 0);
  EXPECT_EQ(Layout->Added, 1);
  EXPECT_EQ(Layout->Dropped, 1);
  // Left empty and followed by another step: replaced, the new step keeps its type but restores
  // the caret and caption of the empty one.
  ASSERT_TRUE(Undo().BeginItem(rvutDelete, u"Delete", 1, 2, Editor.get()));
  ASSERT_TRUE(Undo().BeginItem(rvutPara, u"", 3, 4, Editor.get()));
  ASSERT_EQ(Undo().Count(), 1);
  EXPECT_EQ(Undo().CurrentUndoType(), rvutPara);
  EXPECT_EQ(Undo().CurrentUndoCaption(), u"Delete");
  EXPECT_EQ(Undo().LastStep()->CaretItemNo, 1);
  EXPECT_EQ(Undo().LastStep()->CaretOffs, 2);
  // PopIfEmpty drops it too, but not in group mode.
  Undo().SetUndoGroupMode(true, Editor.get());
  Undo().PopIfEmpty();
  EXPECT_EQ(Undo().Count(), 1);
  Undo().SetUndoGroupMode(false, Editor.get());
  Undo().PopIfEmpty();
  EXPECT_EQ(Undo().Count(), 0);
  EXPECT_EQ(Undo().CurrentUndoType(), rvutNone);
  EXPECT_EQ(Undo().CurrentUndoCaption(), u"");
}

TEST_F(UndoListTest, MisuseRaisesWithItsText) {
  auto Raises = [](const std::function<void()>& f) -> std::string {
    try {
      f();
    } catch (const EViroZereError& e) {
      return e.what();
    }
    return "";
  };
  auto* Ed = Editor.get();
  // Each record that the list refuses stays the caller's: unique_ptr frees it.
  auto Add = [&](TRVUndoList& L) {
    auto R = std::make_unique<TQuestionRecord>();
    L.AddInfo(R.get(), Ed);
    R.release();
  };
  EXPECT_EQ(Raises([&] { Add(Undo()); }), "Can't modify empty undo list");
  EXPECT_EQ(Raises([&] { Undo().Undo(D); }), "Undo buffer is empty");
  EXPECT_EQ(Raises([&] { Redo().Redo(D); }), "Undo buffer is empty");
  Undo().AddBeginGroup2(rvutInsert, u"", -1, -1, Ed);
  EXPECT_EQ(Raises([&] { Add(Undo()); }), "Can't modify empty undo list");
  MakeParagraphs({u"ab"});
  Type(0, 1, u"x");
  EXPECT_EQ(Raises([&] { Add(Undo()); }), "Incorrect adding into undo list");
  // Where AddInfo raises, AddInfoIfPossible frees the record (the sanitizer sees a leak otherwise).
  const int Steps = Undo().Count();
  Undo().AddInfoIfPossible(new TQuestionRecord, Ed);
  EXPECT_EQ(Undo().Count(), Steps);
  EXPECT_EQ(Undo().LastStep()->Count(), 1);
  Redo().AddInfoIfPossible(new TQuestionRecord, Ed);
  EXPECT_EQ(Redo().Count(), 0);
  // In group mode a record after a typing step (or a group marker) gets a step of its own.
  Undo().SetUndoGroupMode(true, Ed);
  ASSERT_TRUE(Undo().BeginItem(rvutPara, u"", -1, -1, Ed));
  EXPECT_EQ(Raises([&] { Add(Undo()); }), "");
  EXPECT_EQ(Undo().Count(), Steps + 1);
  ASSERT_TRUE(Undo().BeginItem(rvutTag, u"", -1, -1, Ed));  // joins the last step
  EXPECT_EQ(Raises([&] { Add(Undo()); }), "");
  EXPECT_EQ(Undo().Count(), Steps + 1);
  EXPECT_EQ(Undo().LastStep()->Count(), 2);
  Undo().SetUndoGroupMode(false, Ed);
}

// ---- groups ----------------------------------------------------------------------------------

TEST_F(UndoListTest, GroupIsUndoneAndRedoneAsOne) {
  MakeParagraphs({u"start"});
  D->BeginUndoGroup2(rvutInsert);
  InsertParagraph(1, u"X");
  InsertParagraph(2, u"Y");
  D->EndUndoGroup2(rvutInsert);
  ASSERT_EQ(Texts(), "start|X|Y");
  ASSERT_EQ(Undo().Count(), 4);
  Undo().Undo(D);
  EXPECT_EQ(Texts(), "start");
  EXPECT_EQ(Undo().Count(), 0);
  ASSERT_EQ(Redo().Count(), 4);
  EXPECT_NE(dynamic_cast<TRVUndoInfosBegin2*>(Redo().Items(0)), nullptr);
  EXPECT_NE(dynamic_cast<TRVUndoInfosEnd2*>(Redo().Items(3)), nullptr);
  Redo().Redo(D);
  EXPECT_EQ(Texts(), "start|X|Y");
  EXPECT_EQ(Redo().Count(), 0);
  ASSERT_EQ(Undo().Count(), 4);
  EXPECT_NE(dynamic_cast<TRVUndoInfosBegin2*>(Undo().Items(0)), nullptr);
  EXPECT_NE(dynamic_cast<TRVUndoInfosEnd2*>(Undo().Items(3)), nullptr);
  // Undone once more, still as one.
  Undo().Undo(D);
  EXPECT_EQ(Texts(), "start");
  // A finite limit adds no markers: each step is undone on its own.
  Undo().Clear();
  Redo().Clear();
  Undo().Limit = 5;
  EXPECT_FALSE(Undo().AddBeginGroup2(rvutInsert, u"", -1, -1, Editor.get()));
  EXPECT_FALSE(Undo().AddEndGroup2(rvutInsert, u"", -1, -1, Editor.get()));
  D->BeginUndoGroup2(rvutInsert);
  InsertParagraph(1, u"X");
  InsertParagraph(2, u"Y");
  D->EndUndoGroup2(rvutInsert);
  EXPECT_EQ(Undo().Count(), 2);
  Undo().Undo(D);
  EXPECT_EQ(Texts(), "start|X");
}

// ---- typing --------------------------------------------------------------------------------

TEST_F(UndoListTest, TypingComesOffAndBackOneCharacterAtATime) {
  MakeParagraphs({u""});
  Type(0, 1, u"abc");
  ASSERT_EQ(Undo().Count(), 1);
  auto* Typing = dynamic_cast<TRVUndoTypingInfo*>(Undo().LastStep()->Items(0));
  ASSERT_NE(Typing, nullptr);
  EXPECT_EQ(Typing->Index, 1);
  EXPECT_EQ(Typing->Length, 3);
  EXPECT_EQ(Undo().CurrentUndoType(), rvutTyping);

  struct Turn {
    const char* Text;
    int CaretOffs;
  };
  for (const Turn& t : {Turn{"ab", 3}, Turn{"a", 2}, Turn{"", 1}}) {
    Undo().Undo(D);
    EXPECT_EQ(Texts(), t.Text);
    EXPECT_EQ(Caret(), std::make_pair(0, t.CaretOffs));
  }
  EXPECT_EQ(Undo().Count(), 0);
  ASSERT_EQ(Redo().Count(), 1);
  auto* Untyping = dynamic_cast<TRVRedoTypingInfo*>(Redo().LastStep()->Items(0));
  ASSERT_NE(Untyping, nullptr);
  EXPECT_EQ(Untyping->s, u"cba");

  for (const Turn& t : {Turn{"a", 2}, Turn{"ab", 3}, Turn{"abc", 4}}) {
    Redo().Redo(D);
    EXPECT_EQ(Texts(), t.Text);
    EXPECT_EQ(Caret(), std::make_pair(0, t.CaretOffs));
  }
  EXPECT_EQ(Redo().Count(), 0);
  ASSERT_EQ(Undo().Count(), 1);
  Typing = dynamic_cast<TRVUndoTypingInfo*>(Undo().LastStep()->Items(0));
  ASSERT_NE(Typing, nullptr);
  EXPECT_EQ(Typing->Length, 3);
}

TEST_F(UndoListTest, TypingCoalescesOnlyWhereItContinues) {
  struct Key {
    int ItemNo, Offs;
  };
  struct Case {
    const char* Name;
    std::vector<Key> Keys;
    int Steps;
  };
  for (const Case& c : {Case{"one run", {{0, 1}, {0, 2}, {0, 3}}, 1}, Case{"another position", {{0, 1}, {0, 2}, {0, 1}}, 2},
                        Case{"another item", {{0, 1}, {1, 2}}, 2}, Case{"back to the first", {{0, 1}, {1, 1}, {0, 2}}, 3}}) {
    SCOPED_TRACE(c.Name);
    Undo().Clear();
    for (const Key& k : c.Keys) Undo().AddTyping(k.ItemNo, k.Offs, true, Editor.get());
    EXPECT_EQ(Undo().Count(), c.Steps);
  }
  // Typing with undo off records nothing.
  Undo().Clear();
  Undo().Limit = 0;
  Undo().AddTyping(0, 1, true, Editor.get());
  EXPECT_EQ(Undo().Count(), 0);
}

TEST_F(UndoListTest, TypingThatNoLongerMatchesTheTextIsDropped) {
  MakeParagraphs({u""});
  Type(0, 1, u"abc");
  D->SetItemTextW(0, u"a");  // shortened behind the list's back
  Undo().Undo(D);
  EXPECT_EQ(Texts(), "a");
  EXPECT_EQ(Undo().Count(), 0);
  EXPECT_EQ(Redo().Count(), 0);
}

// ---- the step performer -------------------------------------------------------------------

TEST_F(UndoListTest, PerformerFormatsTheRangeWithTheItemsAdded) {
  struct Case {
    const char* Name;
    std::vector<const char16_t*> Before;
    std::function<TRVUndoInfo*()> Record;
    const char* After;
  };
  const std::vector<const char16_t*> Ten = {u"p0", u"p1", u"p2", u"p3", u"p4", u"p5", u"p6", u"p7", u"p8", u"p9"};
  for (const Case& c :
       {Case{"a deletion of three items comes back",
             {u"p0", u"p1", u"p5", u"p6", u"p7", u"p8", u"p9"},
             [] { return new TRemovedItemsRecord(2, {u"p2", u"p3", u"p4"}); },
             "p0|p1|p2|p3|p4|p5|p6|p7|p8|p9"},
        Case{"an insertion of two items goes", Ten, [] { return new TInsertedItemsRecord(3, 2); },
             "p0|p1|p2|p5|p6|p7|p8|p9"},
        Case{"a deletion at the end comes back", {u"p0", u"p1"}, [] { return new TRemovedItemsRecord(2, {u"p2"}); },
             "p0|p1|p2"}}) {
    SCOPED_TRACE(c.Name);
    D->Clear();
    Undo().Clear();
    Redo().Clear();
    MakeParagraphs(c.Before);
    ASSERT_TRUE(Undo().BeginItem(rvutDelete, u"", -1, -1, Editor.get()));
    Undo().AddInfo(c.Record(), Editor.get());
    Undo().Undo(D);
    EXPECT_EQ(Texts(), c.After);
    const auto Partial = Drawn();
    Editor->Format();
    EXPECT_EQ(Partial, Drawn());
  }
}

TEST_F(UndoListTest, PerformerJudgesABracketAsOneWidthChange) {
  MakeParagraphs({u"p0"});
  auto* Ed = Editor.get();
  {
    SCOPED_TRACE("a bracket around a change");
    TAsked OpeningAsked, InsideAsked, ClosingAsked;
    int OldWGiven = -1;
    ASSERT_TRUE(Undo().BeginItem(rvutModifyItem, u"", -1, -1, Ed));
    // Recorded in this order; undone backwards, so the closing bracket comes first.
    Undo().AddInfo(new TBracketRecord(rvwbOpening, &OpeningAsked, &OldWGiven), Ed);
    auto* Inside = new TQuestionRecord(&InsideAsked);
    Inside->Full1 = Inside->Full2 = true;
    Undo().AddInfo(Inside, Ed);
    auto* Closing = new TBracketRecord(rvwbClosing, &ClosingAsked);
    Closing->OldW = 123;
    Undo().AddInfo(Closing, Ed);
    Undo().Undo(D);
    EXPECT_EQ(OldWGiven, 123);  // the width measured before the closing bracket was undone
    EXPECT_EQ(ClosingAsked.Full1, 1);
    EXPECT_EQ(ClosingAsked.Full2, 0);
    EXPECT_EQ(InsideAsked.Full1 + InsideAsked.Full2, 0);  // judged with the bracket, not alone
    EXPECT_EQ(InsideAsked.Undone, 1);
    EXPECT_EQ(OpeningAsked.Full1, 0);
    EXPECT_EQ(OpeningAsked.Full2, 1);
  }
  {
    SCOPED_TRACE("an opening bracket without its closing one");
    TAsked OpeningAsked, BeforeAsked;
    ASSERT_TRUE(Undo().BeginItem(rvutModifyItem, u"", -1, -1, Ed));
    Undo().AddInfo(new TQuestionRecord(&BeforeAsked), Ed);
    Undo().AddInfo(new TBracketRecord(rvwbOpening, &OpeningAsked), Ed);
    Undo().Undo(D);
    EXPECT_EQ(OpeningAsked.Full1 + OpeningAsked.Full2, 2);
    EXPECT_EQ(BeforeAsked.Full1 + BeforeAsked.Full2, 2);  // still judged: no bracket is open
  }
}

TEST_F(UndoListTest, PerformerTellsThePageLayoutAndPlacesTheCaret) {
  auto Layout = std::make_shared<TCountingPageLayout>();
  D->OnGetScaleViroZereInterface = [Layout] { return Layout; };
  MakeParagraphs({u"first", u"second"});
  struct TRepaginating : TQuestionRecord {
    bool RequiresRepagination(TCustomRVData*) override { return true; }
  };
  ASSERT_TRUE(Undo().BeginItem(rvutMiscTyping, u"", 1, 3, Editor.get()));
  Undo().AddInfo(new TRepaginating, Editor.get());
  Undo().Undo(D);
  EXPECT_EQ(Layout->Paginated, 1);
  EXPECT_EQ(Caret(), std::make_pair(1, 3));
  // A step that asks for no new pages gets none.
  ASSERT_TRUE(Undo().BeginItem(rvutMiscTyping, u"", 0, 2, Editor.get()));
  Undo().AddInfo(new TQuestionRecord, Editor.get());
  Undo().Undo(D);
  EXPECT_EQ(Layout->Paginated, 1);
  EXPECT_EQ(Caret(), std::make_pair(0, 2));
}

// A record whose undoing opens another step on its own list: the performed step is the one freed.
TEST_F(UndoListTest, PerformedStepIsTheOneFreed) {
  struct TOpensStep : TQuestionRecord {
    void Undo(TCustomRVData*) override {
      FUndoList->BeginItem(rvutTag, u"opened meanwhile", -1, -1, nullptr);
      FUndoList->AddInfo(new TQuestionRecord, nullptr);
    }
  };
  ASSERT_TRUE(Undo().BeginItem(rvutPara, u"performed", -1, -1, Editor.get()));
  Undo().AddInfo(new TOpensStep, Editor.get());
  Undo().Undo(D);
  ASSERT_EQ(Undo().Count(), 1);
  EXPECT_EQ(Undo().CurrentUndoCaption(), u"opened meanwhile");
}

}  // namespace
