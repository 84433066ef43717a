// Table structure changes inside an editor: every operation records its steps in the editor's
// undo list, one undo takes the whole operation back and redo makes it again.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>

#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/editor/RVUndo.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/tables/RVTableUndo.h"
#include "engine/tables/TableTestUtil.h"

namespace {

struct TTableEditor {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;
  TRVTableItemInfo* Table = nullptr;

  TTableEditor(int Rows, int Cols) {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    Editor = std::make_unique<TViroZereEdit>(nullptr);
    Editor->SetBounds(0, 0, 600, 400);
    Editor->SetStyle(&Sheet);
    TRVEditRVData& d = D();
    d.AddNL(u"before", 0, 0);
    auto T = TRVTableItemInfo::CreateEx(Rows, Cols, &d);
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        TRVTableCellData* Cell = T->GetCells(r, c);
        Cell->Clear();
        Cell->AddNL(std::u16string(1, static_cast<char16_t>(u'a' + (r * Cols + c) % 26)), r % 3, 0);
        Cell->AddNL(u"p2", 0, 0);
      }
    Table = T.get();
    d.AddItem(u"", std::move(T));
    Editor->Format();
  }
  TRVEditRVData& D() const { return *Editor->GetEditRVData(); }
  TRVTableRows& G() const { return *Table->GetRows(); }

  // One undo step around an operation.
  void Step(const std::function<void()>& Op) {
    D().BeginUndoSequence(rvutTable, true);
    Op();
    D().EndUndoSequence();
  }

  // The grid, each cell's spans, best size and paragraphs with their text styles, the rows'
  // properties.
  std::string State() const {
    std::string s;
    for (int r = 0; r < Table->RowCount(); ++r) {
      const TRVTableRow* Row = G().GetRow(r);
      s += "row" + std::to_string(r) + " v" + std::to_string(Row->FVAlign) + " k" + std::to_string(Row->FKeepTogether) +
           ":";
      for (int c = 0; c < Table->ColCount(); ++c) {
        TRVTableCellData* Cell = Table->GetCells(r, c);
        if (!Cell) {
          s += " .";
          continue;
        }
        s += " [" + std::to_string(Cell->FRowSpan) + "x" + std::to_string(Cell->FColSpan) + " w" +
             std::to_string(Cell->GetBestWidth()) + " h" + std::to_string(Cell->GetBestHeight()) + " c" +
             std::to_string(static_cast<long long>(Cell->GetCellColorProp()));
        for (int i = 0; i < Cell->ItemCount(); ++i) {
          s += i && Cell->GetItem(i)->GetSameAsPrev() ? "+" : " ";
          for (char16_t ch : Cell->GetItemTextW(i)) s += static_cast<char>(ch);
          s += "/" + std::to_string(Cell->GetItem(i)->StyleNo);
        }
        s += "]";
      }
      s += "\n";
    }
    return s;
  }
};

}  // namespace

TEST(TableUndo, TableInAnEditorRecordsUndo) {
  TTableEditor E(2, 2);
  EXPECT_TRUE(E.Table->FState.Contains(rvtsInserted));
  E.D().BeginUndoSequence(rvutTable, true);
  EXPECT_EQ(1, E.G().GetUndoItemNo());
  E.D().EndUndoSequence();
  E.Editor->SetUndoLimit(0);
  E.D().BeginUndoSequence(rvutTable, true);
  EXPECT_EQ(-1, E.G().GetUndoItemNo());
  E.D().EndUndoSequence();
}

TEST(TableUndo, MergingA2x2BlockWithTextThenUndoRestoresEachCell) {
  TTableEditor E(3, 3);
  E.Table->GetCells(0, 0)->SetBestWidth(40);
  E.Table->GetCells(0, 1)->SetBestWidth(60);
  const std::string Before = E.State();
  E.Step([&] { E.G().MergeCells(0, 0, 2, 2, true, true); });
  ASSERT_TRUE(CheckTableInvariants(*E.Table));
  EXPECT_EQ(u"a/p2/b/p2/d/p2/e/p2", CellText(E.Table->GetCells(0, 0)));
  EXPECT_EQ(100, E.Table->GetCells(0, 0)->GetBestWidth());
  const std::string Merged = E.State();
  E.Editor->Undo();
  ASSERT_TRUE(CheckTableInvariants(*E.Table));
  EXPECT_EQ(Before, E.State());
  E.Editor->Redo();
  ASSERT_TRUE(CheckTableInvariants(*E.Table));
  EXPECT_EQ(Merged, E.State());
  E.Editor->Undo();
  EXPECT_EQ(Before, E.State());
}

TEST(TableUndo, EachOperationIsUndoneAndRedone) {
  struct TCase {
    const char* Name;
    int Rows, Cols;
    std::function<void(TRVTableRows&)> Prepare, Act;
  };
  const TCase Cases[] = {
      {"insert rows copying a row", 3, 3,
       [](TRVTableRows& g) {
         g.MergeCells(0, 0, 2, 2, true, false);
         g.GetRow(2)->GetCell(1)->SetBestHeight(40);
         g.GetRow(2)->GetCell(1)->SetColor(static_cast<TColor>(255));
         g.GetRow(2)->FKeepTogether = true;
       },
       [](TRVTableRows& g) { g.InsertRows(1, 2, true, 2); }},
      {"insert columns copying a tall cell", 3, 3,
       [](TRVTableRows& g) {
         g.MergeCells(0, 0, 1, 2, true, false);
         g.GetRow(0)->GetCell(0)->SetBestWidth(90);
         g.GetRow(0)->GetCell(0)->SetColor(static_cast<TColor>(255));
         g.GetRow(2)->GetCell(0)->SetBestWidth(-30);
       },
       [](TRVTableRows& g) { g.InsertCols(1, 2, true, 0); }},
      {"delete rows crossed by merged cells", 4, 3,
       [](TRVTableRows& g) {
         g.MergeCells(0, 0, 1, 3, true, false);
         g.MergeCells(2, 1, 2, 2, true, false);
       },
       [](TRVTableRows& g) { g.DeleteRows(1, 2, true); }},
      {"delete columns crossed by merged cells", 3, 4,
       [](TRVTableRows& g) {
         g.MergeCells(0, 0, 3, 1, true, false);
         g.MergeCells(1, 2, 2, 2, true, false);
       },
       [](TRVTableRows& g) { g.DeleteCols(1, 2, true); }},
      {"unmerge", 3, 3, [](TRVTableRows& g) { g.MergeCells(0, 0, 3, 3, true, false); },
       [](TRVTableRows& g) { g.UnmergeCells(0, 0, 3, 3, true, true); }},
      {"clear cells", 2, 3, [](TRVTableRows& g) { g.MergeCells(0, 1, 2, 2, true, false); },
       [](TRVTableRows& g) {
         TRVIntegerList Rows, Cols;
         for (auto [r, c] : {std::pair{0, 1}, std::pair{1, 0}}) {
           Rows.Add(r);
           Cols.Add(c);
         }
         g.Do_ClearCells(Rows, Cols);
       }},
      {"split vertically", 2, 2, nullptr, [](TRVTableRows& g) { g.SplitCellVertically(0, 1, 3); }},
      {"split horizontally", 2, 2, nullptr, [](TRVTableRows& g) { g.SplitCellHorizontally(0, 0, 3); }},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TTableEditor E(Case.Rows, Case.Cols);
    if (Case.Prepare) Case.Prepare(E.G());
    const std::string Before = E.State();
    E.Step([&] { Case.Act(E.G()); });
    ASSERT_TRUE(CheckTableInvariants(*E.Table));
    const std::string After = E.State();
    ASSERT_NE(Before, After);
    E.Editor->Undo();
    ASSERT_TRUE(CheckTableInvariants(*E.Table));
    EXPECT_EQ(Before, E.State());
    E.Editor->Redo();
    ASSERT_TRUE(CheckTableInvariants(*E.Table));
    EXPECT_EQ(After, E.State());
  }
}

// Random operations, each one undo step, checked after every step; undoing all of them gives
// back the first table and redoing all of them the last one.
TEST(TableUndo, RandomSequencesEndWhereTheyStarted) {
  for (unsigned Seed = 1; Seed <= 12; ++Seed) {
    SCOPED_TRACE(Seed);
    std::mt19937 Rnd(Seed);
    auto Pick = [&](int n) { return n <= 0 ? 0 : static_cast<int>(Rnd() % static_cast<unsigned>(n)); };
    TTableEditor E(3 + Pick(2), 3 + Pick(2));
    const std::string Start = E.State();
    int Steps = 0;
    for (int i = 0; i < 25; ++i) {
      TRVTableRows& g = E.G();
      const int Rows = E.Table->RowCount(), Cols = E.Table->ColCount();
      const int Kind = Pick(8);
      if ((Kind == 2 && Rows < 2) || (Kind == 3 && Cols < 2) || (Kind <= 1 && (Rows > 7 || Cols > 7))) continue;
      E.Step([&] {
        switch (Kind) {
          case 0: g.InsertRows(Pick(Rows + 1), 1 + Pick(2), Pick(2) == 1, Pick(Rows + 1) - 1); break;
          case 1: g.InsertCols(Pick(Cols + 1), 1 + Pick(2), Pick(2) == 1, Pick(Cols + 1) - 1); break;
          case 2: g.DeleteRows(1 + Pick(Rows - 1), 1 + Pick(2), Pick(2) == 1); break;
          case 3: g.DeleteCols(1 + Pick(Cols - 1), 1 + Pick(2), Pick(2) == 1); break;
          case 4:
          case 5: {
            const int r = Pick(Rows), c = Pick(Cols);
            if (E.Table->GetCells(r, c)) g.MergeCells(r, c, 1 + Pick(3), 1 + Pick(3), true, Pick(2) == 1);
            break;
          }
          case 6: g.UnmergeCells(0, 0, Rows, Cols, Pick(2) == 1, true); break;
          default: {
            const int r = Pick(Rows), c = Pick(Cols);
            if (Cols < 7 && Pick(2)) g.SplitCellVertically(r, c, 2 + Pick(2));
            else if (Rows < 7) g.SplitCellHorizontally(r, c, 2 + Pick(2));
          }
        }
      });
      ASSERT_TRUE(CheckTableInvariants(*E.Table)) << "step " << i << " kind " << Kind;
      ++Steps;
    }
    const std::string End = E.State();
    while (E.D().UndoList->Count()) E.Editor->Undo();
    ASSERT_TRUE(CheckTableInvariants(*E.Table));
    EXPECT_EQ(Start, E.State()) << Steps << " steps";
    while (E.D().RedoList->Count()) E.Editor->Redo();
    ASSERT_TRUE(CheckTableInvariants(*E.Table));
    EXPECT_EQ(End, E.State());
  }
}

TEST(TableUndo, RecordsAlternateBetweenUndoAndRedo) {
  TTableEditor E(2, 2);
  E.Step([&] { E.G().InsertRows(1, 1, false, -1); });
  auto FindInsertRows = [](TRVUndoList& List) -> TRVUndoInsertTableRows* {
    TRVUndoInfos* Step = List.LastStep();
    for (int i = 0; Step && i < Step->Count(); ++i)
      if (auto* R = dynamic_cast<TRVUndoInsertTableRows*>(Step->Items(i))) return R;
    return nullptr;
  };
  TRVUndoInsertTableRows* U = FindInsertRows(*E.D().UndoList);
  ASSERT_NE(nullptr, U);
  EXPECT_FALSE(U->Flag);
  E.Editor->Undo();
  TRVUndoInsertTableRows* R = FindInsertRows(*E.D().RedoList);
  ASSERT_NE(nullptr, R);
  EXPECT_TRUE(R->Flag);
  EXPECT_EQ(1, R->Row);
  EXPECT_EQ(1, R->Count);
  EXPECT_EQ(2, E.Table->RowCount());
}

// A visible-borders undo with Row -1 changes the table's outer border; the records of row
// properties ask for formatting only where the layout changes.
TEST(TableUndo, BordersAndRowPropertiesComeBack) {
  TTableEditor E(2, 2);
  auto Sides = [](TRVBooleanRect* b) {
    bool l, t, r, bo;
    b->GetValues(l, t, r, bo);
    return std::to_string(l) + std::to_string(t) + std::to_string(r) + std::to_string(bo);
  };
  E.Step([&] {
    E.G().Do_SetVisibleBorders(-1, -1, false, true, false, true);
    E.G().Do_SetVisibleBorders(1, 1, true, false, true, false);
    E.G().Do_SetRowVAlign(0, rvcBottom);
    E.G().Do_SetRowKeepTogether(1, true);
    E.G().Do_SetRowPageBreakBefore(1, true);
  });
  EXPECT_EQ("0011", Sides(E.Table->GetVisibleBorders()));
  EXPECT_EQ("1100", Sides(E.Table->GetCells(1, 1)->GetVisibleBorders()));
  TRVUndoInfos* Step = E.D().UndoList->LastStep();
  ASSERT_NE(nullptr, Step);
  for (int i = 0; i < Step->Count(); ++i) {
    TRVUndoInfo* R = Step->Items(i);
    if (dynamic_cast<TRVUndoRowVAlign*>(R)) {
      EXPECT_TRUE(R->RequiresFormat());
      EXPECT_FALSE(static_cast<TRVUndoModifyItemProps*>(R)->AffectWidth);
    }
    if (dynamic_cast<TRVUndoRowBooleanProperty*>(R)) {
      EXPECT_FALSE(R->RequiresFormat());
    }
  }
  E.Editor->Undo();
  EXPECT_EQ("1111", Sides(E.Table->GetVisibleBorders()));
  EXPECT_EQ("1111", Sides(E.Table->GetCells(1, 1)->GetVisibleBorders()));
  EXPECT_EQ(rvcTop, E.G().GetRow(0)->FVAlign);
  EXPECT_FALSE(E.G().GetRow(1)->FKeepTogether);
  EXPECT_FALSE(E.G().GetRow(1)->FPageBreakBefore);
  E.Editor->Redo();
  EXPECT_EQ("0011", Sides(E.Table->GetVisibleBorders()));
  EXPECT_EQ(rvcBottom, E.G().GetRow(0)->FVAlign);
  EXPECT_TRUE(E.G().GetRow(1)->FPageBreakBefore);
}

// A cell's best width, recorded by name for the cell at the record's place, comes back and goes
// again.
TEST(TableUndo, CellPropertyRecordsFollowThePosition) {
  TTableEditor E(2, 2);
  E.Step([&] { E.G().Do_SetCellBestWidth(1, 0, 70); });
  E.Editor->Undo();
  EXPECT_EQ(0, E.Table->GetCells(1, 0)->GetBestWidth());
  E.Editor->Redo();
  EXPECT_EQ(70, E.Table->GetCells(1, 0)->GetBestWidth());
}
