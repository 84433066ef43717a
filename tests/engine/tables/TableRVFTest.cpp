#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/RVStyle.h"
#include "engine/tables/RVTable.h"
#include "engine/tables/RVTableRVF.h"
#include "platform/graphics/Pictures.h"

namespace {

struct TTableDoc {
  TRVStyle Sheet{nullptr};
  TRVPlainRootData Doc{&Sheet};
  explicit TTableDoc(bool Binary) {
    while (Sheet.TextStyles()->Count() < 2) Sheet.TextStyles()->Add();
    if (Binary)
      Doc.GetRootProperties()->RVFOptions.Include(rvfoSaveBinary);
    else
      Doc.GetRootProperties()->RVFOptions.Exclude(rvfoSaveBinary);
  }
  std::string Save() {
    TMemoryStream ms;
    EXPECT_TRUE(Doc.SaveRVFToStream(&ms, false, clNone, nullptr, nullptr, true));
    return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  }
  bool Load(const std::string& Bytes) {
    TMemoryStream ms;
    if (!Bytes.empty()) ms.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
    ms.SetPosition(0);
    TColor color = clNone;
    return Doc.LoadRVFFromStream(&ms, color, nullptr, nullptr);
  }
};

void SetCellText(TRVTableCellData* Cell, const char* Text, int StyleNo = 0) {
  Cell->Clear();
  Cell->AddNL(AsciiToUnicode(Text), StyleNo, 0);
}

TRVUnicodeString CellText(TRVTableCellData* Cell) {
  TRVUnicodeString r;
  for (int i = 0; i < Cell->ItemCount(); ++i)
    if (Cell->GetItem(i)->StyleNo >= 0) r += Cell->GetItemText(i);
  return r;
}

// A 3x3 table whose (0,0) covers 2x2, a nested 1x2 table in (2,2), a picture in (1,2), row
// properties set on rows 1 and 2.
void FillDocument(TTableDoc& D, bool TextAfter = true) {
  auto table = TRVTableItemInfo::CreateEx(3, 3, &D.Doc);
  TRVTableRows* rows = table->GetRows();
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      SetCellText(table->GetCells(r, c), ("r" + std::to_string(r) + "c" + std::to_string(c)).c_str(), 1);
  // The merge, as the grid's invariants want it.
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c)
      if (r || c) {
        TRVTableCellData* cell = table->GetCells(r, c);
        rows->GetRow(r)->PutCell(c, nullptr);
        delete cell;
      }
  table->GetCells(0, 0)->FRowSpan = 2;
  table->GetCells(0, 0)->FColSpan = 2;
  rows->GetRow(1)->FVAlign = rvcBottom;
  rows->GetRow(2)->FKeepTogether = true;
  table->SetColor(rvtcOddRowsColor, 0x123456);
  table->SetCellPadding(3);
  table->SetHeadingRowCount(1);
  table->SetBestWidth(-50);
  TRVTableCellData* styled = table->GetCells(2, 1);
  styled->SetColor(0x0000FF);
  styled->SetBestWidth(-25);
  styled->SetHint(u"tip");
  styled->SetVAlign(rvcMiddle);

  TRVTableCellData* pictureCell = table->GetCells(1, 2);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetSize(4, 3);
  pictureCell->AddItem(u"pic", std::make_unique<TRVGraphicItemInfo>(pictureCell, std::move(bmp), rvvaBaseline));

  TRVTableCellData* outer = table->GetCells(2, 2);
  auto inner = TRVTableItemInfo::CreateEx(1, 2, outer);
  SetCellText(inner->GetCells(0, 0), "in0");
  SetCellText(inner->GetCells(0, 1), "in1");
  outer->AddItem(u"", std::move(inner));

  D.Doc.AddNL(u"before", 0, 0);
  D.Doc.AddItem(u"", std::move(table));
  if (TextAfter) D.Doc.AddNL(u"after", 0, 0);
}

TRVTableItemInfo* TableAt(TCustomRVData& D, int ItemNo) { return dynamic_cast<TRVTableItemInfo*>(D.GetItem(ItemNo)); }

}  // namespace

class TableRVF : public ::testing::TestWithParam<bool> {};

TEST_P(TableRVF, MergedNestedAndPictureCellsRoundTripByteIdentical) {
  TTableDoc src(GetParam());
  FillDocument(src);
  const std::string first = src.Save();
  // The table's record: kind -60, the lines it announces, then the body.
  EXPECT_NE(first.find("-60 3 0 8 "), std::string::npos);

  TTableDoc back(GetParam());
  ASSERT_TRUE(back.Load(first));
  ASSERT_EQ(back.Doc.ItemCount(), 3);
  TRVTableItemInfo* t = TableAt(back.Doc, 1);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(t->RowCount(), 3);
  ASSERT_EQ(t->ColCount(), 3);
  EXPECT_EQ(t->GetCells(0, 0)->FRowSpan, 2);
  EXPECT_EQ(t->GetCells(0, 0)->FColSpan, 2);
  EXPECT_EQ(t->GetCells(0, 1), nullptr);
  EXPECT_EQ(t->GetCells(1, 1), nullptr);
  EXPECT_EQ(CellText(t->GetCells(0, 0)), u"r0c0");
  EXPECT_EQ(CellText(t->GetCells(2, 1)), u"r2c1");
  EXPECT_EQ(t->GetCells(2, 1)->GetItem(0)->StyleNo, 1);
  EXPECT_EQ(t->GetColor(rvtcOddRowsColor), 0x123456);
  EXPECT_EQ(t->GetCellHPadding(), 3);
  EXPECT_EQ(t->GetCellVPadding(), 3);
  EXPECT_EQ(t->GetHeadingRowCount(), 1);
  EXPECT_EQ(t->GetBestWidth(), -50);
  TRVTableCellData* styled = t->GetCells(2, 1);
  EXPECT_EQ(styled->GetCellColorProp(), 0x0000FF);
  EXPECT_EQ(styled->GetBestWidth(), -25);
  EXPECT_EQ(styled->GetHint(), u"tip");
  EXPECT_EQ(styled->GetVAlign(), rvcMiddle);
  EXPECT_EQ(t->GetCells(2, 0)->GetVAlign(), rvcVDefault);
  EXPECT_EQ(t->GetRows()->GetRow(1)->FVAlign, rvcBottom);
  EXPECT_TRUE(t->GetRows()->GetRow(2)->FKeepTogether);
  EXPECT_FALSE(t->GetRows()->GetRow(1)->FKeepTogether);
  ASSERT_EQ(t->GetCells(1, 2)->ItemCount(), 2);
  auto* pic = dynamic_cast<TRVGraphicItemInfo*>(t->GetCells(1, 2)->GetItem(1));
  ASSERT_NE(pic, nullptr);
  TRVTableCellData* outer = t->GetCells(2, 2);
  TRVTableItemInfo* inner = TableAt(*outer, outer->ItemCount() - 1);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->ColCount(), 2);
  EXPECT_EQ(CellText(inner->GetCells(0, 1)), u"in1");

  EXPECT_EQ(back.Save(), first);
}

// Every cut inside a table's record is refused: no crash, no hang, false from the load. (A cut
// between records leaves a shorter valid document.)
TEST_P(TableRVF, TruncationAtEveryByteIsRefused) {
  TTableDoc src(GetParam());
  FillDocument(src, false);
  const std::string whole = src.Save();
  const std::size_t tableStart = whole.find("-60 ");
  ASSERT_NE(tableStart, std::string::npos);
  for (std::size_t n = tableStart + 1; n < whole.size(); ++n) {
    // A text line may end with CR alone.
    if (!GetParam() && n + 1 == whole.size()) continue;
    TTableDoc back(GetParam());
    EXPECT_FALSE(back.Load(whole.substr(0, n))) << "cut at " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(TextAndBinary, TableRVF, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Binary" : "Text"; });

namespace {

// A body stream written by hand: the root, "C" with the given counts and cell records.
std::string Body(int Rows, int Cols, const std::vector<std::pair<int, int>>& Spans, bool CloseList = true) {
  TMemoryStream ms;
  TWriter w(ms);
  w.WriteSignature();
  w.WriteStr("TRVTableSW");
  w.WriteStr("");
  w.WriteStr("C");
  w.WriteInteger(static_cast<std::int32_t>(Rows));
  if (Rows > 0) {
    w.WriteInteger(static_cast<std::int32_t>(Cols));
    w.WriteListBegin();
    for (auto [cs, rs] : Spans) {
      w.WriteInteger(static_cast<std::int32_t>(cs));
      w.WriteInteger(static_cast<std::int32_t>(rs));
      w.WriteStr("TD");
      w.WriteStr("");
      w.WriteListEnd();
      w.WriteListEnd();
    }
    if (CloseList) w.WriteListEnd();
  }
  w.WriteListEnd();
  w.WriteListEnd();
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

bool LoadBody(TRVTableItemInfo& T, const std::string& Bytes) {
  TMemoryStream ms;
  ms.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
  ms.SetPosition(0);
  return T.LoadFromStream(&ms);
}

}  // namespace

TEST(TableRVFBody, HandWrittenBodiesLoadOrFailCleanly) {
  TTableDoc d(false);
  struct Case {
    const char* what;
    std::string body;
    bool ok;
    int rows, cols;
  };
  const std::vector<Case> cases = {
      {"empty grid", Body(0, 0, {}), true, 0, 0},
      {"2x2, top row merged", Body(2, 2, {{2, 1}, {1, 1}, {1, 1}}), true, 2, 2},
      {"spans clipped to the grid", Body(1, 2, {{5, 9}}), true, 1, 2},
      {"huge row count", Body(0x7FFFFFFF, 1, {{1, 1}}), false, -1, -1},
      {"huge column count", Body(1, 0x7FFFFFFF, {{1, 1}}), false, -1, -1},
      {"huge grid of small counts", Body(60000, 60000, {{1, 1}}), false, -1, -1},
      {"negative row count", Body(-3, 1, {}), false, -1, -1},
      {"too few cells", Body(2, 2, {{1, 1}, {1, 1}}), false, -1, -1},
      {"too many cells", Body(1, 1, {{1, 1}, {1, 1}}), false, -1, -1},
      {"zero span", Body(1, 2, {{0, 1}, {1, 1}}), false, -1, -1},
      {"overlapping merges", Body(2, 2, {{1, 1}, {1, 2}, {2, 1}}), false, -1, -1},
      {"list not closed", Body(1, 1, {{1, 1}}, false), false, -1, -1},
  };
  for (const Case& c : cases) {
    auto t = TRVTableItemInfo::CreateEx(1, 1, &d.Doc);
    EXPECT_EQ(LoadBody(*t, c.body), c.ok) << c.what;
    if (!c.ok) continue;
    EXPECT_EQ(t->RowCount(), c.rows) << c.what;
    EXPECT_EQ(t->ColCount(), c.cols) << c.what;
  }
  auto t = TRVTableItemInfo::CreateEx(1, 1, &d.Doc);
  ASSERT_TRUE(LoadBody(*t, Body(2, 2, {{2, 1}, {1, 1}, {1, 1}})));
  EXPECT_EQ(t->GetCells(0, 0)->FColSpan, 2);
  EXPECT_EQ(t->GetCells(0, 1), nullptr);
  EXPECT_NE(t->GetCells(1, 1), nullptr);
}

TEST(TableRVFBody, RectanglesCutMergedCellsAtTheirEdges) {
  TTableDoc d(false);
  // Column 0 of rows 0 and 1 is one cell; saving row 1 alone writes it there with RowSpan 1.
  auto t = TRVTableItemInfo::CreateEx(2, 2, &d.Doc);
  SetCellText(t->GetCells(0, 0), "merged");
  TRVTableCellData* gone = t->GetCells(1, 0);
  t->GetRows()->GetRow(1)->PutCell(0, nullptr);
  delete gone;
  t->GetCells(0, 0)->FRowSpan = 2;
  TMemoryStream ms;
  t->SaveRowsToStream(&ms, 1, 1, false);
  ms.SetPosition(0);
  auto part = TRVTableItemInfo::CreateEx(1, 1, &d.Doc);
  ASSERT_TRUE(part->LoadFromStream(&ms));
  ASSERT_EQ(part->RowCount(), 1);
  ASSERT_EQ(part->ColCount(), 2);
  EXPECT_EQ(part->GetCells(0, 0)->FRowSpan, 1);
  EXPECT_EQ(CellText(part->GetCells(0, 0)), u"merged");
  EXPECT_NE(part->GetCells(0, 1), nullptr);
}

TEST(TableRVFBody, ANestedSaveOfTheSameTableIsRefused) {
  TTableDoc d(false);
  auto t = TRVTableItemInfo::CreateEx(1, 1, &d.Doc);
  TRVTableStreamSaveInfo busy(1, 1);
  t->FStreamSaveInfo = &busy;
  TMemoryStream ms;
  EXPECT_THROW(t->SaveRectangleToStream(&ms, 0, 0, 1, 1, false, false), EViroZereError);
  EXPECT_THROW(t->LoadFromStream(&ms), EViroZereError);
  t->FStreamSaveInfo = nullptr;
}

TEST(TableRVFRecord, StoredColumnWidthsAreKeptOnlyWhenTheyFitTheGrid) {
  struct Case {
    const char* line;
    bool kept;
  };
  const std::vector<Case> cases = {
      {"colwidths=96 500 100 200 200", true},     {"colwidths=96 500 100 200", false},  // short list
      {"colwidths=96 500 100 200 200 50", false},                                       // long list
      {"colwidths=0 500 100 200 200", false},                                           // no resolution
      {"colwidths=-96 500 100 200 200", false},   {"colwidths=96", false},
  };
  for (const Case& c : cases) {
    // A 1x3 table's record in text RVF with the line inserted after the name.
    TTableDoc src(false);
    auto table = TRVTableItemInfo::CreateEx(1, 3, &src.Doc);
    src.Doc.AddItem(u"", std::move(table));
    std::string bytes = src.Save();
    const std::size_t header = bytes.find("-60 3 ");
    ASSERT_NE(header, std::string::npos);
    bytes.replace(header, 6, "-60 4 ");
    const std::size_t nameEnd = bytes.find("\r\n", bytes.find("\r\n", header) + 2);
    bytes.insert(nameEnd + 2, std::string(c.line) + "\r\n");
    TTableDoc back(false);
    ASSERT_TRUE(back.Load(bytes)) << c.line;
    TRVTableItemInfo* t = TableAt(back.Doc, back.Doc.ItemCount() - 1);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->FStoredColWidths != nullptr, c.kept) << c.line;
    if (c.kept) {
      EXPECT_EQ(t->FStoredColWidths->ppxDevice, 96);
      EXPECT_EQ(t->FStoredColWidths->TableWidth, 500);
      EXPECT_EQ(t->FStoredColWidths->ColWidths.Get(1), 200);
    }
  }
}

TEST(TableRVFRecord, DamagedBodiesFailTheRecord) {
  TTableDoc src(false);
  src.Doc.AddItem(u"", TRVTableItemInfo::CreateEx(2, 2, &src.Doc));
  const std::string good = src.Save();
  const std::size_t header = good.find("-60 ");
  ASSERT_NE(header, std::string::npos);
  // The hex body is the last line of the record.
  const std::size_t bodyEnd = good.rfind("\r\n");
  const std::size_t bodyStart = good.rfind("\r\n", bodyEnd - 1) + 2;
  const std::string body = good.substr(bodyStart, bodyEnd - bodyStart);
  const auto withBody = [&](const std::string& b) { return good.substr(0, bodyStart) + b + "\r\n"; };
  const std::string hugeRows = AnsiToHex(Body(0x7FFFFFFF, 2, {{1, 1}}));
  struct Case {
    const char* what;
    std::string doc;
  };
  const std::vector<Case> cases = {
      {"odd hex", withBody(body.substr(1))},
      {"not hex", withBody(std::string(body.size(), 'Z'))},
      {"huge counts", withBody(hugeRows)},
      {"no body", withBody("")},
  };
  for (const Case& c : cases) {
    TTableDoc back(false);
    EXPECT_FALSE(back.Load(c.doc)) << c.what;
  }
  TTableDoc back(false);
  EXPECT_TRUE(back.Load(good));
}

TEST(TableRVFBody, APictureClassNameLongerThanTheStreamIsRefused) {
  TTableDoc d(false);
  for (const std::int32_t len : {-1, 1000, 0x7FFFFFFF}) {
    TMemoryStream ms;
    TWriter w(ms);
    w.WriteSignature();
    w.WriteStr("TRVTableSW");
    w.WriteStr("");
    w.WriteStr("T.BackgroundImg");
    w.WriteBinary([len](TStream& s) {
      s.WriteBuffer(&len, 4);
      s.WriteBuffer("TBitmap", 7);
    });
    w.WriteStr("C");
    w.WriteInteger(std::int32_t(0));
    w.WriteListEnd();
    w.WriteListEnd();
    ms.SetPosition(0);
    auto t = TRVTableItemInfo::CreateEx(1, 1, &d.Doc);
    EXPECT_FALSE(t->LoadFromStream(&ms)) << len;
  }
}

TEST(TableRVFFormatting, TheBlockReadsBackIntoTheSameGrid) {
  TTableDoc d(false);
  auto t = TRVTableItemInfo::CreateEx(1, 2, &d.Doc);
  TRVTableItemFormattingInfo* fmt = t->GetFormattingInfo();
  fmt->ColWidths.Add(40);
  fmt->ColWidths.Add(60);
  fmt->RowHeights.Add(20);
  fmt->ColStarts.Add(2);
  fmt->ColStarts.Add(44);
  fmt->RowStarts.Add(2);
  fmt->FWidth = 110;
  fmt->FHeight = 24;
  t->GetCells(0, 1)->FLeft = 44;
  TMemoryStream ms;
  t->SaveFormattingToStream(&ms);
  ms.SetPosition(0);
  std::int32_t tag = 0;
  ms.ReadBuffer(&tag, 4);
  EXPECT_EQ(tag, -1);
  auto back = TRVTableItemInfo::CreateEx(1, 2, &d.Doc);
  back->LoadFormattingFromStream(&ms);
  EXPECT_EQ(back->GetFormattingInfo()->FWidth, 110);
  EXPECT_EQ(back->GetFormattingInfo()->ColWidths.Get(1), 60);
  EXPECT_EQ(back->GetCells(0, 1)->FLeft, 44);
  // Into a grid of another size it is refused.
  ms.SetPosition(4);
  auto other = TRVTableItemInfo::CreateEx(2, 2, &d.Doc);
  EXPECT_THROW(other->LoadFormattingFromStream(&ms), EReadError);
}

TEST(TableRVFRecord, ASelectionSaveWritesTheSelectedRectangle) {
  TTableDoc src(false);
  auto table = TRVTableItemInfo::CreateEx(2, 3, &src.Doc);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c)
      SetCellText(table->GetCells(r, c), ("t" + std::to_string(r) + std::to_string(c)).c_str());
  table->GetCells(1, 0)->SetColor(0x00FF00);
  // Cells (0,1)..(1,2) selected, anchored at the bottom right.
  table->Select(1, 2, -1, -1);
  TRVTableItemInfo* t = table.get();
  src.Doc.AddItem(u"", std::move(table));
  TMemoryStream ms;
  t->SaveRVFSelection(&ms, &src.Doc, 0, 0);
  // The record goes after the version line a document's writer puts first.
  const std::string whole = src.Save();
  const std::string version = whole.substr(0, whole.find("\r\n") + 2);
  TTableDoc back(false);
  ASSERT_TRUE(
      back.Load(version + std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()))));
  TRVTableItemInfo* part = TableAt(back.Doc, 0);
  ASSERT_NE(part, nullptr);
  ASSERT_EQ(part->RowCount(), 2);
  ASSERT_EQ(part->ColCount(), 2);
  EXPECT_EQ(CellText(part->GetCells(0, 0)), u"t01");
  EXPECT_EQ(CellText(part->GetCells(1, 1)), u"t12");
}

TEST(TableRVFRecord, UnsavedPicturesAreAskedForOncePerTableAndCell) {
  for (const bool pictures : {true, false}) {
    TTableDoc src(false);
    if (!pictures) src.Doc.GetRootProperties()->RVFOptions.Exclude(rvfoSavePicturesBody);
    src.Doc.AddItem(u"", TRVTableItemInfo::CreateEx(2, 2, &src.Doc));
    const std::string bytes = src.Save();
    TTableDoc back(false);
    std::vector<TCustomRVItemInfo*> asked;
    back.Doc.GetRootEvents()->OnRVFPictureNeeded = [&](const TRVUnicodeString&, TCustomRVItemInfo* Item) {
      asked.push_back(Item);
      return std::unique_ptr<TGraphic>();
    };
    ASSERT_TRUE(back.Load(bytes));
    EXPECT_EQ(asked.size(), pictures ? 0u : 5u) << pictures;
  }
}

TEST(TableRVFBody, RowPropertiesAreWrittenOnlyWhenARowDiffers) {
  TTableDoc d(false);
  const auto body = [](TRVTableItemInfo& T) {
    TMemoryStream ms;
    T.SaveRowsToStream(&ms, 0, T.RowCount(), false);
    return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  };
  auto t = TRVTableItemInfo::CreateEx(2, 2, &d.Doc);
  std::string plain = body(*t);
  EXPECT_EQ(plain.find("RowVAlign"), std::string::npos);
  EXPECT_EQ(plain.find("RowPageBreakBefore"), std::string::npos);
  EXPECT_EQ(plain.find("RowKeepTogether"), std::string::npos);
  t->GetRows()->GetRow(1)->FPageBreakBefore = true;
  const std::string marked = body(*t);
  EXPECT_EQ(marked.find("RowVAlign"), std::string::npos);
  EXPECT_NE(marked.find("RowPageBreakBefore"), std::string::npos);
  // Saving row 0 alone leaves the flag of row 1 out.
  TMemoryStream first;
  t->SaveRowsToStream(&first, 0, 1, false);
  const std::string firstRow(static_cast<const char*>(first.Memory()), static_cast<std::size_t>(first.GetSize()));
  EXPECT_EQ(firstRow.find("RowPageBreakBefore"), std::string::npos);
  // An empty grid writes "C" as the single integer 0 and reads back empty.
  auto empty = TRVTableItemInfo::CreateEx(0, 0, &d.Doc);
  const std::string none = body(*empty);
  const std::size_t c = none.find(
      "\x01"
      "C");
  ASSERT_NE(c, std::string::npos);
  EXPECT_EQ(none.substr(c + 2, 2), std::string("\x02\x00", 2));
  auto back = TRVTableItemInfo::CreateEx(2, 2, &d.Doc);
  ASSERT_TRUE(LoadBody(*back, none));
  EXPECT_EQ(back->RowCount(), 0);
}
