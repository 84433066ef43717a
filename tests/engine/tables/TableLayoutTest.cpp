// Tables laid out inside a formatted document with the fixed-metrics back-end (every character
// 10 pixels wide, lines 10 pixels high): column widths, row heights, cell places and totals.
#include <gtest/gtest.h>

#include <string>

#include "engine/layout/LayoutTestUtil.h"
#include "engine/tables/RVTable.h"

namespace {

// A document of the given width holding one table.
struct TTableDoc : TLayoutDoc {
  TRVTableItemInfo* Table;
  TTableDoc(int Width, int Rows, int Cols) : TLayoutDoc(Width) {
    auto t = TRVTableItemInfo::CreateEx(Rows, Cols, &Doc);
    Table = t.get();
    Table->ParaNo = 0;
    Doc.AddItem(u"", t.release());
  }
  // Text into a cell (replacing its empty paragraph).
  void SetText(int Row, int Col, const char16_t* Text) {
    TRVTableCellData* c = Table->GetCells(Row, Col);
    c->Clear();
    c->AddNL(Text, 0, 0);
  }
  void Format() { Doc.Format(false); }
  std::string Widths() { return List(Table->GetFormattingInfo()->ColWidths); }
  std::string Heights() { return List(Table->GetFormattingInfo()->RowHeights); }
  static std::string List(const TRVIntegerList& L) {
    std::string s;
    for (int i = 0; i < L.Count(); ++i) s += (i ? " " : "") + std::to_string(L.Get(i));
    return s;
  }
  // "left,top widthxheight" of a cell.
  std::string CellBox(int Row, int Col) {
    TRVTableCellData* c = Table->GetCells(Row, Col);
    return std::to_string(c->FLeft) + "," + std::to_string(c->FTop) + " " + std::to_string(c->FWidth) + "x" +
           std::to_string(c->FHeight);
  }
};

}  // namespace

TEST(TableLayout, DefaultOneByOneTakesTheWholeWidth) {
  TTableDoc t(600, 1, 1);
  t.Format();
  EXPECT_EQ(t.Table->GetTableWidth(), 600);
  EXPECT_EQ(t.Widths(), "594");
  EXPECT_EQ(t.D().Get(0)->Width, 600);
}

TEST(TableLayout, PercentBestWidthOfTheDocument) {
  TTableDoc t(600, 1, 1);
  t.Table->SetBestWidth(-50);
  t.Format();
  EXPECT_EQ(t.Table->GetTableWidth(), 300);
}

TEST(TableLayout, EmptyGridIsTheBorderOnly) {
  TTableDoc t(600, 1, 1);
  t.Table->GetRows()->Clear();
  t.Table->SetBorderWidth(3);
  t.Format();
  EXPECT_EQ(t.Table->GetTableWidth(), 10);
  EXPECT_EQ(t.Table->GetTableHeight(), 10);
}
