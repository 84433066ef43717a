// Tables cut across printed pages by the report renderer: heading rows repeated on every part,
// rows kept together, footnotes of cells on the page of their row, and the same rows on a page at
// two printer resolutions.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/document/RVFieldItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/print/ReportTestUtil.h"
#include "engine/tables/RVTable.h"
#include "engine/tables/RVTablePrint.h"
#include "platform/ui/Printers.h"

namespace {

struct TablePrintFixture : PrintFixture {
  TRVTableItemInfo* Table = nullptr;

  // A table of Rows x Cols cells with one short line each ("r.c").
  TRVTableItemInfo* AddTable(int Rows, int Cols) {
    auto t = TRVTableItemInfo::CreateEx(Rows, Cols, Doc());
    Table = t.get();
    Table->ParaNo = 0;
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) SetText(r, c, {std::to_string(r) + "." + std::to_string(c)});
    Doc()->AddItem(u"", t.release());
    return Table;
  }
  void SetText(int Row, int Col, const std::vector<std::string>& Lines) {
    TRVTableCellData* cell = Table->GetCells(Row, Col);
    cell->Clear();
    for (const std::string& l : Lines) cell->AddNL(TRVUnicodeString(l.begin(), l.end()), 0, 0);
  }
  TRVTablePrintInfo* PrintItem() {
    TReportRVData* d = Data();
    for (int i = 0; d->DrawItems && i < d->DrawItems->Count(); ++i)
      if (auto* p = dynamic_cast<TRVTablePrintInfo*>((*d->DrawItems)[i])) return p;
    return nullptr;
  }
  int PaginateOnBitmap(int Width, int Height) {
    Bmp = WhiteBitmap(Width, Height);
    return Paginate(Bmp->GetCanvas(), Width, Height);
  }
  // The rows of every part (without the repeated last entry).
  std::vector<std::vector<int>> PartRows() {
    std::vector<std::vector<int>> rows;
    TRVTablePrintInfo* p = PrintItem();
    for (int k = 0; p && k < p->RealPartCount(); ++k) {
      TRVTablePrintPart* part = p->GetPart(k);
      std::vector<int> r;
      for (int i = 0; i + 1 < part->FRowIndices.Count(); ++i) r.push_back(part->FRowIndices.Get(i));
      rows.push_back(r);
    }
    return rows;
  }
  // Saves the printed page alone and loads it into Loaded: the first table loaded, nil (with the
  // failure reported) when the page does not save or load, or holds no table.
  TRVTableItemInfo* LoadPageAlone(int Page, TRVPlainRootData& Loaded) {
    TMemoryStream ms;
    if (!Data()->SavePageAsRVF(&ms, Page, clNone, nullptr, nullptr)) {
      ADD_FAILURE() << "page " << Page << " not saved";
      return nullptr;
    }
    ms.SetPosition(0);
    TColor color = clNone;
    if (!Loaded.LoadRVFFromStream(&ms, color, nullptr, nullptr)) {
      ADD_FAILURE() << "page " << Page << " not loaded";
      return nullptr;
    }
    TRVTableItemInfo* t = nullptr;
    for (int i = 0; i < Loaded.ItemCount() && !t; ++i) t = dynamic_cast<TRVTableItemInfo*>(Loaded.GetItem(i));
    return t;
  }
  std::unique_ptr<TBitmap> Bmp;
};

// Every row after the heading rows is printed once, in order; a row continued on the next part
// (an unfinished last row) is its first row there.
void ExpectRowsCovered(const std::vector<std::vector<int>>& Parts, int First, int Rows) {
  int next = First;
  for (const std::vector<int>& p : Parts) {
    ASSERT_FALSE(p.empty());
    EXPECT_TRUE(p.front() == next || p.front() == next - 1) << "part starts at " << p.front();
    for (int r : p) {
      EXPECT_LE(r, next);
      next = r + 1;
    }
  }
  EXPECT_EQ(next, Rows);
}

TEST_F(TablePrintFixture, TallTableWithTwoHeadingRowsRepeatsThemOnEveryPart) {
  AddTable(40, 3);
  Table->SetHeadingRowCount(2);
  const int pages = PaginateOnBitmap(300, 200);
  TRVTablePrintInfo* p = PrintItem();
  ASSERT_TRUE(p);
  EXPECT_EQ(p->FHeadingRowCount, 2);
  ASSERT_GE(p->RealPartCount(), 3);
  EXPECT_EQ(pages, p->RealPartCount());
  const int headingHeight = p->Fmt->RowStarts.Get(2) - p->Fmt->RowStarts.Get(0);
  EXPECT_GT(headingHeight, 0);
  for (int k = 0; k < p->RealPartCount(); ++k) {
    TRVTablePrintPart* part = p->GetPart(k);
    EXPECT_EQ(part->FHeadingHeight, headingHeight) << "part " << k;
    EXPECT_LE(part->Height, 200) << "part " << k;
    EXPECT_TRUE(part->FRowFinished);
    EXPECT_GT(part->FRowStarts.Get(0), headingHeight) << "rows start below the heading rows";
  }
  const auto rows = PartRows();
  EXPECT_EQ(rows.front().front(), 2);
  ExpectRowsCovered(rows, 2, 40);
  // Every page prints the heading rows at its top: the strip above the part's rows looks the same
  // on every page (and differs from the strip of the rows below it).
  auto strip = [&](int Page, int Top, int Bottom) {
    auto bmp = WhiteBitmap(300, 200);
    R->DrawPage(Page, bmp->GetCanvas(), false, 200);
    std::vector<TColor> px;
    for (int y = Top; y < Bottom; ++y)
      for (int x = 0; x < 300; ++x) px.push_back(bmp->GetCanvas()->GetPixel(x, y) & 0xFFFFFF);
    return px;
  };
  // Glyphs reach a few pixels above their line: the strip stops short of the part's first row.
  const int rowsTop = p->GetPart(0)->FRowStarts.Get(0) - 4;
  const std::vector<TColor> first = strip(1, 0, rowsTop);
  EXPECT_NE(std::count(first.begin(), first.end(), TColor(0xFFFFFF)), static_cast<long>(first.size()))
      << "the heading rows are drawn";
  for (int page = 2; page <= pages; ++page) EXPECT_EQ(strip(page, 0, rowsTop), first) << "page " << page;
  EXPECT_NE(strip(2, rowsTop, 2 * rowsTop), strip(1, rowsTop, 2 * rowsTop)) << "the part's own rows differ";
}

// Every printed part of a bordered table shows its outer border, its rules between the columns and
// between the rows printed there (the heading rows and the part's), the cells' borders and the
// heading rows' colour.
TEST_F(TablePrintFixture, EveryPartShowsItsBordersRulesAndBackgrounds) {
  const TColor border = 0x00C000, cellBorder = 0x00C0C0, vRule = 0xC00000, hRule = 0x0000C0, heading = 0xC0C000;
  AddTable(30, 3);
  Table->SetHeadingRowCount(1);
  Table->SetBorderWidth(2);
  Table->SetBorderStyle(rvtbColor);
  Table->SetCellBorderStyle(rvtbColor);
  Table->SetColor(rvtcBorderColor, border);
  Table->SetCellBorderWidth(1);
  Table->SetColor(rvtcCellBorderColor, cellBorder);
  Table->SetCellHSpacing(8);
  Table->SetCellVSpacing(8);
  Table->SetVRuleWidth(1);
  Table->SetColor(rvtcVRuleColor, vRule);
  Table->SetHRuleWidth(1);
  Table->SetColor(rvtcHRuleColor, hRule);
  Table->SetColor(rvtcHeadingRowColor, heading);
  // Borders drawn by the full pen, which reach the part's last pixel row (the half-tone pen of
  // printers has its own test).
  TRVTablePrintOptions printOptions = Table->GetPrintOptions();
  printOptions.Exclude(rvtoHalftoneBorders);
  Table->SetPrintOptions(printOptions);
  const int pages = PaginateOnBitmap(300, 200);
  TRVTablePrintInfo* p = PrintItem();
  ASSERT_TRUE(p);
  ASSERT_GE(pages, 3);
  ASSERT_EQ(pages, p->RealPartCount());
  for (int page = 1; page <= pages; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    auto bmp = WhiteBitmap(300, 200);
    R->DrawPage(page, bmp->GetCanvas(), false, 200);
    auto px = [&](int x, int y) { return TColor(bmp->GetCanvas()->GetPixel(x, y) & 0xFFFFFF); };
    // The outer border's box.
    int left = 300, top = 200, right = -1, bottom = -1, headingPixels = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 300; ++x) {
        if (px(x, y) == heading) ++headingPixels;
        if (px(x, y) != border) continue;
        left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
      }
    ASSERT_LT(left, right);
    ASSERT_LT(top, bottom);
    EXPECT_EQ(bottom - top + 1, p->GetPart(page - 1)->Height) << "the border closes the part";
    EXPECT_GT(headingPixels, 0) << "the heading row is printed with its colour";
    // Runs of a colour along a line.
    auto runs = [&](bool Vertical, int At, int From, int To, TColor C) {
      int n = 0;
      bool in = false;
      for (int i = From; i <= To; ++i) {
        const bool hit = (Vertical ? px(At, i) : px(i, At)) == C;
        if (hit && !in) ++n;
        in = hit;
      }
      return n;
    };
    TRVTablePrintPart* part = p->GetPart(page - 1);
    const int midY = top + (part->FRowStarts.Get(0) + part->FRowStarts.Get(1)) / 2, x0 = left + (right - left) / 6;
    EXPECT_EQ(runs(false, midY, left, right, vRule), 2) << "two rules between three columns";
    EXPECT_EQ(runs(false, midY, left, right, cellBorder), 6) << "two sides of three cells";
    const std::vector<int> partRows = PartRows()[static_cast<size_t>(page - 1)];
    const int printedRows = 1 + static_cast<int>(std::set<int>(partRows.begin(), partRows.end()).size());
    EXPECT_EQ(runs(true, x0, top, bottom, hRule), printedRows - 1) << "a rule between every two printed rows";
    EXPECT_EQ(runs(true, x0, top, bottom, cellBorder), 2 * printedRows);
  }
}

// Background pictures of the table and of a cell are printed, and a cell's colour at its opacity.
TEST_F(TablePrintFixture, PrintedBackgroundsShowPicturesAndColours) {
  const TColor tablePicture = 0x30A030, cellPicture = 0xA03030, cellColor = 0x3030A0;
  auto picture = [](TColor C) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(4, 4);
    bmp->GetCanvas()->Brush().SetStyle(bsSolid);
    bmp->GetCanvas()->Brush().SetColor(C);
    bmp->GetCanvas()->FillRect(TRect(0, 0, 4, 4));
    return bmp;
  };
  AddTable(3, 2);
  auto tp = picture(tablePicture), cp = picture(cellPicture);
  Table->SetBackgroundImage(tp.get());
  Table->SetBackgroundStyle(rvbsStretched);
  Table->GetCells(1, 1)->SetBackgroundImage(cp.get());
  Table->GetCells(1, 1)->SetBackgroundStyle(rvbsStretched);
  Table->GetCells(2, 0)->SetColor(cellColor);
  PaginateOnBitmap(300, 200);
  auto bmp = WhiteBitmap(300, 200);
  R->DrawPage(1, bmp->GetCanvas(), false, 200);
  std::set<TColor> seen;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) seen.insert(TColor(bmp->GetCanvas()->GetPixel(x, y) & 0xFFFFFF));
  EXPECT_TRUE(seen.count(tablePicture)) << "the table's picture";
  EXPECT_TRUE(seen.count(cellPicture)) << "the cell's picture";
  EXPECT_TRUE(seen.count(cellColor)) << "the cell's colour";
}

// One printed page of a split table saved alone loads back as the heading row and that page's rows,
// each cell with its own text.
TEST_F(TablePrintFixture, APageSavedAloneHoldsTheHeadingRowAndItsRows) {
  AddTable(30, 3);
  Table->SetHeadingRowCount(1);
  const int pages = PaginateOnBitmap(300, 200);
  ASSERT_GE(pages, 3);
  const auto parts = PartRows();
  for (int page : {1, 2, pages}) {
    SCOPED_TRACE("page " + std::to_string(page));
    TRVPlainRootData loaded(&Sheet);
    TRVTableItemInfo* t = LoadPageAlone(page, loaded);
    ASSERT_TRUE(t);
    std::vector<int> rows{0};
    for (int r : parts[static_cast<size_t>(page - 1)])
      if (r != rows.back()) rows.push_back(r);
    ASSERT_EQ(t->RowCount(), static_cast<int>(rows.size()));
    ASSERT_EQ(t->ColCount(), 3);
    for (int i = 0; i < t->RowCount(); ++i)
      for (int c = 0; c < 3; ++c) {
        TRVTableCellData* cell = t->GetCells(i, c);
        ASSERT_TRUE(cell);
        ASSERT_EQ(cell->ItemCount(), 1);
        EXPECT_EQ(cell->GetItemText(0),
                  AsciiToUnicode(std::to_string(rows[static_cast<size_t>(i)]) + "." + std::to_string(c)));
      }
  }
}

// A page that continues a cell taller than a page saves the cell's lines of that page only.
TEST_F(TablePrintFixture, APageSavedAloneHoldsTheLinesOfAContinuedCellOnThatPage) {
  AddTable(6, 2);
  std::vector<std::string> lines;
  for (int i = 0; i < 25; ++i) lines.push_back("L" + std::to_string(i));
  SetText(3, 1, lines);
  const int pages = PaginateOnBitmap(300, 120);
  TRVTablePrintInfo* p = PrintItem();
  ASSERT_TRUE(p);
  int continued = -1;
  for (int k = 0; k < p->RealPartCount() && continued < 0; ++k)
    if (p->GetPart(k)->FTableTopCutLine && p->GetPart(k)->FTableTopCutLine->Get(1) > 1) continued = k;
  ASSERT_GE(continued, 1);
  ASSERT_LE(continued + 1, pages);
  TRVPlainRootData loaded(&Sheet);
  TRVTableItemInfo* t = LoadPageAlone(continued + 1, loaded);
  ASSERT_TRUE(t);
  ASSERT_GE(t->RowCount(), 1);
  TRVTableCellData* cell = t->GetCells(0, 1);
  ASSERT_TRUE(cell);
  ASSERT_GT(cell->ItemCount(), 0);
  EXPECT_LT(cell->ItemCount(), 25);
  EXPECT_NE(cell->GetItemText(0), u"L0") << "the page starts past the cell's first lines";
  for (int i = 1; i < cell->ItemCount(); ++i)
    EXPECT_EQ(StrToInt(cell->GetItemText(i).substr(1)), StrToInt(cell->GetItemText(i - 1).substr(1)) + 1);
}

TEST_F(TablePrintFixture, ContinueOptionLeavesHeadingRowsOutOfTheFirstPartOnly) {
  AddTable(30, 2);
  Table->SetHeadingRowCount(1);
  Table->SetPrintOptions(Table->GetPrintOptions() + rvtoContinue);
  PaginateOnBitmap(300, 150);
  const auto rows = PartRows();
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows.front().front(), 1);
  TRVTablePrintInfo* p = PrintItem();
  EXPECT_EQ(p->GetPart(0)->FRowStarts.Get(0), p->Fmt->RowStarts.Get(0)) << "the first part starts at the top";
}

TEST_F(TablePrintFixture, HeadingRowsCutByAMergedCellAreNotRepeated) {
  AddTable(20, 2);
  Table->GetRows()->MergeCells(1, 0, 1, 2, true, false);  // row 1's cell spans rows 1 and 2
  Table->SetHeadingRowCount(2);
  EXPECT_FALSE(Table->CanUseHeadingRowCount());
  EXPECT_EQ(Table->GetSplitRowBelow(1), 2);
  EXPECT_EQ(Table->GetSplitRowBelow(0), 0);
  PaginateOnBitmap(300, 120);
  EXPECT_EQ(PrintItem()->FHeadingRowCount, 0);
}

TEST_F(TablePrintFixture, RowKeptTogetherMovesWhole) {
  for (bool keep : {false, true}) {
    MakeRenderer();
    AddTable(12, 2);
    // Row 8 holds six lines; on pages of 130 pixels it would straddle the first page's end.
    SetText(8, 0, {"a", "b", "c", "d", "e", "f"});
    Table->GetRows()->GetRow(8)->FKeepTogether = keep;
    PaginateOnBitmap(300, 130);
    const auto rows = PartRows();
    ASSERT_GE(rows.size(), 2u) << "keep " << keep;
    TRVTablePrintPart* first = PrintItem()->GetPart(0);
    if (keep) {
      EXPECT_EQ(rows[0].back(), 7);
      EXPECT_TRUE(first->FRowFinished);
      EXPECT_EQ(rows[1].front(), 8);
    } else {
      EXPECT_EQ(rows[0].back(), 8) << "the row starts on the first page";
      EXPECT_FALSE(first->FRowFinished);
      ASSERT_TRUE(PrintItem()->GetPart(1)->FTableTopCutLine);
      EXPECT_GT(PrintItem()->GetPart(1)->FTableTopCutLine->Get(0), 1) << "the cell continues with its page 2";
      EXPECT_EQ(PrintItem()->GetPart(1)->FTableTopCutLine->Get(1), 0) << "its short neighbour is done";
    }
  }
}

TEST_F(TablePrintFixture, WithoutRowSplittingTheTableMovesWhole) {
  AddPara(u"before");
  AddTable(6, 2);
  Table->SetPrintOptions(Table->GetPrintOptions() - rvtoRowsSplit);
  PaginateOnBitmap(300, 400);
  EXPECT_EQ(PrintItem()->RealPartCount(), 0);
}

TEST_F(TablePrintFixture, RowWithPageBreakBeforeStartsAPart) {
  AddTable(8, 2);
  Table->GetRows()->GetRow(3)->FPageBreakBefore = true;
  PaginateOnBitmap(300, 400);
  const auto rows = PartRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].front(), 3);
}

TEST_F(TablePrintFixture, FootnoteInACellGoesToThePageOfItsRow) {
  AddTable(40, 2);
  // A footnote referenced from row 30's first cell.
  TRVTableCellData* cell = Table->GetCells(30, 0);
  auto* note = new TRVFootnoteItemInfo(cell);
  note->GetDocument()->AddNL(u"cell note", 0, 0);
  cell->AddItem(u"", note);
  const int pages = PaginateOnBitmap(300, 200);
  ASSERT_GE(pages, 3);
  // The page whose part holds row 30.
  const auto rows = PartRows();
  int expected = -1;
  for (size_t k = 0; k < rows.size(); ++k)
    for (int r : rows[k])
      if (r == 30 && expected < 0) expected = static_cast<int>(k) + 1;
  ASSERT_GT(expected, 0);
  for (int page = 1; page <= Data()->PagesCount(); ++page) {
    const TRVFootnoteRefList* list = Data()->Pages->GetItem(page - 1)->FootnoteRVDataList.get();
    const bool has = list && list->GetFootnoteIndex(note) >= 0;
    EXPECT_EQ(has, page == expected) << "page " << page;
  }
}

// The table laid out for printers of 150 and 300 pixels per inch: the same rows on every page, and
// every size twice as large within rounding.
struct TablePrintResolutionFixture : TablePrintFixture {
  // The sheet's own drawing back-end: text measured with real fonts at the device's resolution.
  // Lengths in twips, chosen as whole pixels at both resolutions (48 twips: 5 and 10 pixels).
  void SetUp() override {
    Sheet.Units = rvstuTwips;
    MakeRenderer();
  }
};

TEST_F(TablePrintResolutionFixture, TableScalesWithTheTextAtTwoResolutions) {
  AddTable(60, 3);
  Table->SetHeadingRowCount(1);
  Table->SetCellBorderWidth(48);
  Table->SetCellPadding(48);
  Table->SetCellHSpacing(48);
  Table->SetCellVSpacing(48);
  Table->SetBorderHSpacing(48);
  Table->SetBorderVSpacing(48);
  struct TResult {
    std::vector<std::vector<int>> Rows;
    int Width = 0, Height = 0, RowHeight = 0;
  };
  auto layout = [&](int Ppi) {
    TPrinter prn;
    prn.SetOutputFileName(u"/dev/null");
    prn.SetFileResolution(Ppi);
    TResult r;
    Paginate(prn.GetCanvas(), prn.GetPageWidth(), prn.GetPageHeight());
    r.Rows = PartRows();
    TRVTablePrintInfo* p = PrintItem();
    r.Width = p->Fmt->FWidth;
    r.Height = p->Fmt->FHeight;
    r.RowHeight = p->Fmt->RowStarts.Get(5) - p->Fmt->RowStarts.Get(4);
    return r;
  };
  const TResult low = layout(150), high = layout(300);
  RecordProperty("Heights", std::to_string(low.RowHeight) + " " + std::to_string(high.RowHeight));
  ASSERT_GE(low.Rows.size(), 2u);
  EXPECT_EQ(low.Rows, high.Rows);
  EXPECT_NEAR(high.Width, 2 * low.Width, 4);
  EXPECT_NEAR(high.RowHeight, 2 * low.RowHeight, 3);
  EXPECT_NEAR(high.Height, 2 * low.Height, 2 * 60);
}

}  // namespace

namespace {

// Merged cells across page ends and a cell taller than a page: every row still printed in order,
// every page drawn.
TEST_F(TablePrintFixture, MergedAndTallCellsAcrossPages) {
  AddTable(30, 3);
  Table->GetRows()->MergeCells(8, 0, 1, 3, true, false);
  SetText(8, 0, {"a", "b", "c", "d", "e", "f", "g", "h"});
  SetText(20, 1, std::vector<std::string>(25, "x"));  // taller than a page
  const int pages = PaginateOnBitmap(300, 120);
  const auto rows = PartRows();
  ASSERT_GE(rows.size(), 4u);
  ExpectRowsCovered(rows, 0, 30);
  EXPECT_EQ(pages, PrintItem()->RealPartCount());
  for (int k = 0; k < PrintItem()->RealPartCount(); ++k) EXPECT_LE(PrintItem()->GetPart(k)->Height, 120) << k;
  for (int page = 1; page <= pages; ++page) R->DrawPage(page, Bmp->GetCanvas(), false, 120);
}

}  // namespace

namespace {

// A short cell beside a three-line one is printed at the top, the middle or the bottom of its row,
// as it is on screen.
TEST_F(TablePrintFixture, PrintedCellsFollowTheirVerticalAlignment) {
  struct TCase {
    TRVCellVAlign Align;
    int Lines;  // the lines of the tall neighbour the short cell moves down by
  };
  for (const TCase& k : {TCase{rvcTop, 0}, TCase{rvcMiddle, 1}, TCase{rvcBottom, 2}, TCase{rvcVDefault, 0}}) {
    SCOPED_TRACE(static_cast<int>(k.Align));
    MakeRenderer();
    AddTable(1, 2);
    Table->SetBorderWidth(0);
    Table->SetCellBorderWidth(0);
    SetText(0, 0, {"a", "b", "c"});
    SetText(0, 1, {"x"});
    Table->GetCells(0, 1)->SetVAlign(k.Align);
    ASSERT_EQ(PaginateOnBitmap(300, 200), 1);
    TRVTablePrintInfo* p = PrintItem();
    ASSERT_TRUE(p);
    const int split = p->Fmt->ColStarts.Get(1) - 1;
    R->DrawPage(1, Bmp->GetCanvas(), false, 200);
    auto topInk = [&](int From, int To) {
      for (int y = 0; y < 200; ++y)
        for (int x = From; x < To; ++x)
          if ((Bmp->GetCanvas()->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return y;
      return -1;
    };
    const int left = topInk(0, split), right = topInk(split, 300);
    ASSERT_GE(left, 0);
    ASSERT_GE(right, 0);
    // Lines of the fixed metrics are 10 pixels high.
    EXPECT_EQ(right - left, 10 * k.Lines);
  }
}

}  // namespace

namespace {

// A tall merged cell spreads its extra height over its rows in the printing layout as on screen:
// over the rows where nothing else begins and ends inside it, else over all of them by height.
TEST_F(TablePrintFixture, MergedCellSpreadsItsHeightOverItsPrintedRows) {
  struct TCase {
    const char* Name;
    bool MergeRightPair;  // (0,1) over rows 0 and 1: row 1 is the only free row
  };
  for (const TCase& k : {TCase{"no free row", false}, TCase{"one free row", true}}) {
    SCOPED_TRACE(k.Name);
    MakeRenderer();
    AddTable(3, 2);
    Table->GetRows()->MergeCells(0, 0, 1, 3, true, false);
    if (k.MergeRightPair) Table->GetRows()->MergeCells(0, 1, 1, 2, true, false);
    SetText(0, 0, std::vector<std::string>(9, "m"));
    ASSERT_EQ(PaginateOnBitmap(300, 400), 1);
    TRVTablePrintInfo* p = PrintItem();
    ASSERT_TRUE(p);
    ASSERT_EQ(p->Fmt->RowHeights.Count(), 3);
    const int h0 = p->Fmt->RowHeights.Get(0), h1 = p->Fmt->RowHeights.Get(1), h2 = p->Fmt->RowHeights.Get(2);
    if (k.MergeRightPair) {
      EXPECT_EQ(h0, h2) << "rows with cells of their own keep their height";
      EXPECT_GT(h1, h0 + 30);
    } else {
      EXPECT_LE(std::max({h0, h1, h2}) - std::min({h0, h1, h2}), 1) << h0 << " " << h1 << " " << h2;
      EXPECT_GT(h0, 15);
    }
    // The merged cell's copy is as tall as its rows and gaps.
    TCellPtblRVData* copy = p->GetCellCopy(0, 0);
    ASSERT_TRUE(copy);
    EXPECT_GE(copy->Height, 90);
  }
}

}  // namespace

namespace {

// A page-number field in a heading row is measured again on every page it repeats on: its width
// follows the digits of the page printed.
TEST_F(TablePrintFixture, HeadingRowPageNumbersAreMeasuredForEachPage) {
  AddTable(120, 2);
  Table->SetHeadingRowCount(1);
  TRVTableCellData* cell = Table->GetCells(0, 0);
  cell->Clear();
  cell->AddNL(u"p", 0, 0);
  auto* field = new TRVPageNumberItemInfo(cell, rvpntDefault, 0);
  field->ParaNo = -1;
  cell->AddItem(u"", field);
  const int pages = PaginateOnBitmap(300, 120);
  ASSERT_GE(pages, 10);
  TCellPtblRVData* copy = PrintItem()->GetCellCopy(0, 0);
  ASSERT_TRUE(copy);
  auto fieldWidth = [&]() {
    for (int i = 0; copy->DrawItems && i < copy->DrawItems->Count(); ++i)
      if (copy->GetItem((*copy->DrawItems)[i]->ItemNo) == field) return (*copy->DrawItems)[i]->Width;
    return -1;
  };
  // Characters of the fixed metrics are 10 pixels wide.
  for (int page : {10, 2, pages}) {
    R->DrawPage(page, Bmp->GetCanvas(), false, 120);
    EXPECT_EQ(fieldWidth(), 10 * static_cast<int>(std::to_string(page).size())) << "page " << page;
  }
}

}  // namespace

namespace {

// A merged cell taller than two pages goes on over parts that start inside it, and each of its
// lines is found on the part that prints it.
TEST_F(TablePrintFixture, PartNumbersOfLinesInACellContinuedOverSeveralParts) {
  AddTable(8, 2);
  Table->GetRows()->MergeCells(2, 0, 1, 3, true, false);
  SetText(2, 0, std::vector<std::string>(30, "m"));
  const int pages = PaginateOnBitmap(300, 120);
  ASSERT_GE(pages, 4);
  TRVTablePrintInfo* p = PrintItem();
  ASSERT_TRUE(p);
  TRVTableCellData* cell = Table->GetCells(2, 0);
  TCellPtblRVData* copy = p->GetCellCopy(2, 0);
  ASSERT_TRUE(copy && copy->Pages);
  // Parts that start inside the merged cell carry it on: all of its text is printed.
  ASSERT_GE(copy->Pages->Count(), 3);
  EXPECT_TRUE(copy->Finished());
  // The part of each line, in order; and the cell page of each line.
  std::vector<int> parts;
  std::set<int> seen;
  for (int i = 0; i < cell->ItemCount(); ++i) {
    int part = -2, local = 0, count = 0, page = 0, lp = 0, lc = 0;
    TCustomMultiPagePtblRVData* data = nullptr;
    ASSERT_TRUE(p->GetPartNo(cell, i, 1, part, local, count, data)) << "line " << i;
    ASSERT_TRUE(copy->GetPageNo(cell, i, 1, copy, page, lp, lc, data));
    parts.push_back(part);
    seen.insert(part);
    // The part found prints that page of the cell.
    TRVTablePrintPart* pp = p->GetPart(part);
    ASSERT_TRUE(pp) << "line " << i;
    const int shown = pp->FTableTopCutLine ? pp->FTableTopCutLine->Get(0) : 1;
    EXPECT_EQ(shown, page) << "line " << i << " on part " << part;
  }
  EXPECT_TRUE(std::is_sorted(parts.begin(), parts.end()));
  EXPECT_EQ(static_cast<int>(seen.size()), copy->Pages->Count()) << "each page of the cell on a part of its own";
}

}  // namespace

namespace {

// A cell's trial page takes the note separator only when the page (or an earlier cell of the row)
// has not counted it yet, so that a row of cells with footnotes counts it once.
TEST_F(TablePrintFixture, CellTrialPageTakesTheNoteSeparatorOnlyOnce) {
  AddTable(40, 2);
  TRVTableCellData* cell = Table->GetCells(30, 0);
  auto* note = new TRVFootnoteItemInfo(cell);
  note->GetDocument()->AddNL(u"cell note", 0, 0);
  cell->AddItem(u"", note);
  PaginateOnBitmap(300, 200);
  const int separator = Viewer()->GetNoteSeparatorHeight();
  ASSERT_GT(separator, 0);
  TCellPtblRVData* copy = PrintItem()->GetCellCopy(30, 0);
  ASSERT_TRUE(copy);
  auto trial = [&](TRVFootnoteRefList* Counted) {
    TRVFootnoteRefList* none = nullptr;
    int released = 0;
    copy->ResetPages(none, released, false);
    copy->FormatNextPage(1000, Counted, true);
    return copy->LastFootnotesHeight;
  };
  const int first = trial(nullptr);
  TRVFootnoteRefList counted;
  const int later = trial(&counted);
  EXPECT_GT(later, 0) << "the note itself is counted";
  EXPECT_EQ(first - later, separator);
  EXPECT_EQ(counted.Count(), 0) << "the caller's list is left alone";
}

}  // namespace
