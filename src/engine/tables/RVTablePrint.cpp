// Printing tables: splitting a table across pages (heading rows repeated, rows kept together, cells
// continued mid-text), the cell copies' own pagination, footnotes of cells, soft page breaks and
// page numbers of printed parts, the table's Print and its background for printing.
#include "engine/tables/RVTablePrint.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "engine/document/RVNoteItems.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVBack.h"
#include "engine/print/RVPrintableViewer.h"
#include "engine/styles/RVStyle.h"
#include "engine/tables/RVTable.h"
#include "engine/tables/RVTableCellData.h"
#include "engine/tables/RVTableColumns.h"

namespace rvtableprint_detail {

// Room without a limit (kept far from overflow when page offsets are added to it).
constexpr int UnlimitedHeight = INT_MAX / 4;

bool CellCanSplit(TRVTableItemInfo* Table, TRVTableCellData* Cell) {
  if (Cell->IsVerticalText()) return false;
  return !(Table->GetOptions().Contains(rvtoIgnoreContentHeight) && Cell->GetBestHeight() > 0);
}

bool IsReversed(TRVTableCellData* Cell) { return Cell->IsLineOrderReversed(); }

// How far a cell copy's page moves down inside its printed padding box for middle and bottom
// alignment (never up). A cell turned by 90 or 270 degrees measures its page against the width.
int PrintedVAlignOffset(TRVTableCellData* Cell, TCellPtblRVData* Copy, int Page, int InnerWidth, int InnerHeight) {
  const TRVDocRotation rotation = Cell->GetRotation();
  const int room = rotation == rvrot90 || rotation == rvrot270 ? InnerWidth : InnerHeight;
  const int content = Copy->GetPageHeight(std::max(1, Page));
  int offs = 0;
  switch (Cell->GetRealVAlign()) {
    case rvcMiddle: offs = (room - content) / 2; break;
    case rvcBottom: offs = room - content; break;
    default: break;
  }
  return std::max(0, offs);
}

// The printable viewer that prints RVData (nil when it is not one).
TCustomPrintableRV* PrintableViewerOf(TCustomRVData* RVData) {
  if (auto* cell = dynamic_cast<TRectPtblRVData*>(RVData)) return cell->GetPrintableRV();
  if (auto* d = dynamic_cast<TViroZereRVData*>(RVData)) return dynamic_cast<TCustomPrintableRV*>(d->GetViroZere());
  return nullptr;
}

// A page list of a cell copy seen as a source of soft page breaks.
class TCellPageBreakSource : public IRVSoftPageBreakSource {
 public:
  explicit TCellPageBreakSource(TCustomMultiPagePtblRVData* AData) : Data(AData) {}
  bool IsComplexSoftPageBreak(int PageNo) override { return Data->IsComplexSoftPageBreak(PageNo); }
  void AssignComplexSoftPageBreakToItem(int PageNo, TCustomRVData* RVData) override {
    Data->AssignComplexSoftPageBreakToItem(PageNo, RVData);
  }
  void GetFirstItemOnPageEx(int PageNo, int& ItemNo, int& OffsetInItem, int& ExtraData) override {
    Data->GetFirstItemOnPageEx(PageNo, ItemNo, OffsetInItem, ExtraData);
  }
  TCustomMultiPagePtblRVData* Data;
};

}  // namespace rvtableprint_detail

using namespace rvtableprint_detail;

// ---- the cell copy -----------------------------------------------------------------------------------

TCellPtblRVData::TCellPtblRVData(TCustomPrintableRV* ViroZere, TCustomPrintableRVData* ParentPrintData,
                                 TRVTableCellData* Cell)
    : TRectPtblRVData(ViroZere, ParentPrintData, Cell), FCell(Cell) {}

TCellPtblRVData::~TCellPtblRVData() = default;

void TCellPtblRVData::InitScreenAndDevice(TCanvas* Canvas, TRVScreenAndDevice& SaD) {
  if (FParentPrintData)
    FParentPrintData->InitScreenAndDevice(Canvas, SaD);
  else
    TRectPtblRVData::InitScreenAndDevice(Canvas, SaD);
}

TCanvas* TCellPtblRVData::GetCanvas() {
  return FParentPrintData ? FParentPrintData->GetCanvas() : TRectPtblRVData::GetCanvas();
}

TRVColorMode TCellPtblRVData::GetColorMode() {
  return FParentPrintData ? FParentPrintData->GetColorMode() : TRectPtblRVData::GetColorMode();
}

bool TCellPtblRVData::IsLineOrderReversed() { return FCell && FCell->IsLineOrderReversed(); }

bool TCellPtblRVData::Finished() const {
  if (!DrawItems || DrawItems->Count() == 0) return true;
  return DrawItemNo >= DrawItems->Count() && !Splitting;
}

bool TCellPtblRVData::FormatNextPage(int MaxHeight, TRVFootnoteRefList*& FootnoteRVDataList,
                                     bool FootnotesChangeHeight) {
  LastFootnotesHeight = 0;
  if (Finished() && Pages) return false;
  if (!DrawItems || DrawItems->Count() == 0) {
    if (!Pages) Pages = std::make_unique<TRVPageCollection>();
    if (Pages->Count() == 0) Pages->Add();
    CurPageNo = 1;
    EndAt = 0;
    return true;
  }
  if (!Pages) {
    Pages = std::make_unique<TRVPageCollection>();
    CurPageNo = 0;
  }
  PrevPageInfo = {DrawItemNo, StartAt, StartY, Y, EndAt, Pages->Count(), Splitting};
  int mh = MaxHeight;
  // The cell's pages keep the footnotes of their own lines; the table hands them to the page. An
  // empty list of our own stands for the caller's, so that the separator is not taken again.
  TRVFootnoteRefList* own = FootnoteRVDataList ? new TRVFootnoteRefList : nullptr;
  TCustomMultiPagePtblRVData::FormatNextPage(DrawItemNo, StartAt, StartY, Y, Splitting, mh, own, FootnotesChangeHeight);
  delete own;
  if (FootnotesChangeHeight) LastFootnotesHeight = std::max(0, MaxHeight - mh);
  ++CurPageNo;
  return true;
}

void TCellPtblRVData::UnformatLastPage(TRVFootnoteRefList*& FootnoteRVDataList, int& ReleasedHeight,
                                       bool FootnotesChangeHeight) {
  if (!Pages || CurPageNo == 0) return;
  if (CurPageNo == 1) {
    ResetPages(FootnoteRVDataList, ReleasedHeight, FootnotesChangeHeight);
    return;
  }
  RemoveFootnotes(FootnoteRVDataList, ReleasedHeight, FootnotesChangeHeight, CurPageNo);
  DrawItemNo = PrevPageInfo.DrawItemNo;
  StartAt = PrevPageInfo.StartAt;
  StartY = PrevPageInfo.StartY;
  Y = PrevPageInfo.Y;
  EndAt = PrevPageInfo.EndAt;
  Splitting = PrevPageInfo.Splitting;
  Pages->SetCount(PrevPageInfo.PagesCount);
  --CurPageNo;
}

void TCellPtblRVData::ResetPages(TRVFootnoteRefList*& FootnoteRVDataList, int& ReleasedHeight,
                                 bool FootnotesChangeHeight) {
  RemoveFootnotes(FootnoteRVDataList, ReleasedHeight, FootnotesChangeHeight, 0);
  if (DrawItems)
    for (int i = 0; i < DrawItems->Count(); ++i)
      if (auto* m = dynamic_cast<TRVMultiDrawItemInfo*>((*DrawItems)[i])) {
        TRVFootnoteRefList* none = nullptr;
        int released = 0;
        m->ResetPages(none, released, false);
      }
  Pages.reset();
  DrawItemNo = 0;
  StartAt = StartY = Y = EndAt = 0;
  CurPageNo = 0;
  Splitting = false;
  PrevPageInfo = {};
}

void TCellPtblRVData::PageDrawItems(int PageNo, int& First, int& Last) {
  First = 0;
  Last = DrawItems ? DrawItems->Count() - 1 : -1;
  if (PageNo <= 0 || !Pages) return;
  int part = -1;
  GetDrawItemsRange(PageNo, First, Last, part);
  if (PageNo == CurPageNo && !Finished() && Pages->Count() > PageNo) {
    // The last page formatted ends where the next one (still open) begins.
    const TRVPageInfo* next = Pages->GetItem(PageNo);
    Last = next->StartDrawItemNo - (next->StartPart > 1 ? 0 : 1);
  }
}

int TCellPtblRVData::GetPageHeight(int PageNo) {
  if (!Pages || PageNo < 1 || PageNo > Pages->Count()) return DocumentHeight;
  if (PageNo == Pages->Count() && Finished()) return EndAt > 0 ? EndAt : Pages->GetItem(PageNo - 1)->DocumentHeight;
  return Pages->GetItem(PageNo - 1)->DocumentHeight;
}

void TCellPtblRVData::AddFootnotes(TRVFootnoteRefList*& FootnoteRVDataList, int& Height, bool FootnotesChangeHeight,
                                   int PageNo) {
  if (!DrawItems) return;
  int first, last;
  PageDrawItems(PageNo, first, last);
  for (int i = std::max(first, 0); i <= last && i < DrawItems->Count(); ++i) {
    TRVDrawLineInfo* d = (*DrawItems)[i];
    if (auto* m = dynamic_cast<TRVMultiDrawItemInfo*>(d)) {
      m->AddAllFootnotes(FootnoteRVDataList, Height, FootnotesChangeHeight);
      continue;
    }
    auto* fn = dynamic_cast<TRVFootnoteItemInfo*>(GetItem(d->ItemNo));
    if (!fn) continue;
    TRVFootnotePageEntry* f = GetFootnoteRVData(fn);
    if (!f || (FootnoteRVDataList && FootnoteRVDataList->GetFootnoteIndex(fn) >= 0)) continue;
    if (auto* fd = dynamic_cast<TRVFootnoteDrawItem*>(d)) fd->DocumentRVData = f;
    f->FootnoteItemRVData = this;
    f->FootnoteDItemNo = i;
    if (!FootnoteRVDataList) {
      FootnoteRVDataList = new TRVFootnoteRefList;
      if (FootnotesChangeHeight) Height -= GetNoteSeparatorHeight();
    }
    if (FootnotesChangeHeight && f->GetNoteRVData()) Height -= f->GetNoteRVData()->DocumentHeight;
    FootnoteRVDataList->Add(f);
  }
}

bool TCellPtblRVData::DecHeightByFootnotes(int& Height, bool& ThisPageHasFootnotes, int PageNo) {
  if (!DrawItems) return Height >= 0;
  int first, last;
  PageDrawItems(PageNo, first, last);
  for (int i = std::max(first, 0); i <= last && i < DrawItems->Count(); ++i) {
    TRVDrawLineInfo* d = (*DrawItems)[i];
    if (auto* m = dynamic_cast<TRVMultiDrawItemInfo*>(d)) {
      m->DecHeightByFootnotes(Height, ThisPageHasFootnotes);
    } else if (auto* fn = dynamic_cast<TRVFootnoteItemInfo*>(GetItem(d->ItemNo))) {
      TRVFootnotePageEntry* f = GetFootnoteRVData(fn);
      if (!f || !f->GetNoteRVData()) continue;
      Height -= f->GetNoteRVData()->DocumentHeight;
      if (!ThisPageHasFootnotes) {
        Height -= GetNoteSeparatorHeight();
        ThisPageHasFootnotes = true;
      }
    }
    if (Height < 0) return false;
  }
  return Height >= 0;
}

void TCellPtblRVData::RemoveFootnotes(TRVFootnoteRefList*& FootnoteRVDataList, int& Height, bool FootnotesChangeHeight,
                                      int PageNo) {
  if (!DrawItems || !FootnoteRVDataList) return;
  int first, last;
  PageDrawItems(PageNo, first, last);
  for (int i = std::max(first, 0); i <= last && i < DrawItems->Count() && FootnoteRVDataList; ++i) {
    TRVDrawLineInfo* d = (*DrawItems)[i];
    if (auto* m = dynamic_cast<TRVMultiDrawItemInfo*>(d)) {
      m->RemoveAllFootnotes(FootnoteRVDataList, Height, FootnotesChangeHeight);
      continue;
    }
    auto* fn = dynamic_cast<TRVFootnoteItemInfo*>(GetItem(d->ItemNo));
    if (!fn) continue;
    const int k = FootnoteRVDataList->GetFootnoteIndex(fn);
    if (k < 0) continue;
    TRVFootnotePageEntry* f = FootnoteRVDataList->Get(k);
    if (f->FootnoteItemRVData != this) continue;
    if (FootnotesChangeHeight && f->GetNoteRVData()) Height += f->GetNoteRVData()->DocumentHeight;
    FootnoteRVDataList->Delete(k);
    if (FootnoteRVDataList->Count() == 0) {
      delete FootnoteRVDataList;
      FootnoteRVDataList = nullptr;
      if (FootnotesChangeHeight) Height += GetNoteSeparatorHeight();
    }
  }
}

// ---- a part ----------------------------------------------------------------------------------------

TRVTablePrintPart::TRVTablePrintPart(TRVDrawLineInfo* AOwner, TRVTableItemFormattingInfo* AFmt)
    : TRVMultiDrawItemPart(AOwner), FFmtRef(AFmt) {}

TRVTablePrintPart::~TRVTablePrintPart() = default;

int TRVTablePrintPart::GetSoftPageBreakInfo() { return FRowIndices.Count() > 0 ? FRowIndices.Get(0) : -1; }

bool TRVTablePrintPart::IsComplexSoftPageBreak(TRVDrawLineInfo* /*DrawItem*/) {
  if (!FTableTopCutLine) return false;
  for (int c = 0; c < FTableTopCutLine->Count(); ++c)
    if (FTableTopCutLine->Get(c) > 1) return true;
  return false;
}

void TRVTablePrintPart::AssignSoftPageBreaksToItem(TRVDrawLineInfo* DrawItem, TCustomRVItemInfo* Item) {
  auto* info = dynamic_cast<TRVTablePrintInfo*>(DrawItem);
  auto* table = dynamic_cast<TRVTableItemInfo*>(Item);
  if (!info || !table || !FTableTopCutLine || FRowIndices.Count() == 0) return;
  const int row = FRowIndices.Get(0);
  for (int c = 0; c < FTableTopCutLine->Count() && c < table->ColCount(); ++c) {
    const int page = FTableTopCutLine->Get(c);
    if (page <= 1) continue;
    int mr, mc;
    TRVTableCellData* cell = table->GetRows()->GetMainCell(row, c, mr, mc);
    TCellPtblRVData* copy = info->GetCellCopy(mr, mc);
    if (!cell || !copy) continue;
    TCellPageBreakSource source(copy);
    cell->AssignSoftPageBreak(&source, page);
  }
}

// ---- the printing draw item --------------------------------------------------------------------------

TRVTablePrintInfo::TRVTablePrintInfo(TRVTableItemInfo* ATable)
    : FTable(ATable), Fmt(ATable->GetFormattingInfoClass()(true)) {}

TRVTablePrintInfo::~TRVTablePrintInfo() = default;

TCellPtblRVData* TRVTablePrintInfo::GetCellCopy(int Row, int Col) const {
  if (!Fmt->Rows) return nullptr;
  const int k = Row * FTable->ColCount() + Col;
  if (Row < 0 || Col < 0 || k >= Fmt->Rows->Count()) return nullptr;
  return static_cast<TCellPtblRVData*>(Fmt->Rows->Get(k));
}

TRVTablePrintPart* TRVTablePrintInfo::GetPart(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(PartsList.size())) return nullptr;
  return static_cast<TRVTablePrintPart*>(PartsList[static_cast<size_t>(Index)].get());
}

int TRVTablePrintInfo::RealPartCount() const {
  int n = static_cast<int>(PartsList.size());
  if (n > 0 && !PartsList.back()) --n;
  return n;
}

void TRVTablePrintInfo::Lengths(int& BW, int& BVS, int& CBW, int& CVP, int& CVS) const {
  TRVStyle* st = FTable->GetRVStyle();
  BW = st->GetAsDevicePixelsY(FTable->GetBorderWidth(), &sad);
  BVS = st->GetAsDevicePixelsY(FTable->GetBorderVSpacing(), &sad);
  CBW = st->GetAsDevicePixelsY(FTable->GetCellBorderWidth(), &sad);
  CVP = st->GetAsDevicePixelsY(FTable->GetCellVPadding(), &sad);
  CVS = st->GetAsDevicePixelsY(FTable->GetCellVSpacing(), &sad);
}

bool TRVTablePrintInfo::InitSplit(const TRVScreenAndDevice& /*Sad*/, bool IgnorePageBreaks) {
  PartsList.clear();
  const int rows = FTable->RowCount();
  if (FTable->GetRows()->Empty() || FHeadingRowCount >= rows) return false;
  if (!FTable->GetPrintOptions().Contains(rvtoRowsSplit)) {
    bool breaks = false;
    if (!IgnorePageBreaks)
      for (int r = FHeadingRowCount + 1; r < rows && !breaks; ++r)
        breaks = FTable->GetRows()->GetRow(r)->FPageBreakBefore;
    if (!breaks) return false;
  }
  PartsList.push_back(nullptr);
  return true;
}

void TRVTablePrintInfo::AddHeadingFootnotes(TRVFootnoteRefList*& List, int& Height, bool FootnotesChangeHeight) {
  for (int r = 0; r < FHeadingRowCount; ++r)
    for (int c = 0; c < FTable->ColCount(); ++c)
      if (TCellPtblRVData* copy = GetCellCopy(r, c)) copy->AddFootnotes(List, Height, FootnotesChangeHeight, 0);
}

bool TRVTablePrintInfo::CanSplitFirst(int Y, const TRVScreenAndDevice& /*Sad*/, bool FirstOnPage, bool PageHasFootnotes,
                                      bool FootnotesChangeHeight, bool /*IgnorePageBreaks*/) {
  if (PartsList.empty()) return false;
  int BW, BVS, CBW, CVP, CVS;
  Lengths(BW, BVS, CBW, CVP, CVS);
  TRVStyle* st = FTable->GetRVStyle();
  const int I = FTable->GetPrintOptions().Contains(rvtoContinue) ? 0 : FHeadingRowCount;
  int top = Fmt->RowStarts.Get(I) - CBW;
  bool hasNotes = PageHasFootnotes;
  if (FootnotesChangeHeight && I > 0) {
    int h = 0;
    for (int r = 0; r < FHeadingRowCount; ++r)
      for (int c = 0; c < FTable->ColCount(); ++c)
        if (TCellPtblRVData* copy = GetCellCopy(r, c)) copy->DecHeightByFootnotes(h, hasNotes, 0);
    top -= h;
  }
  int height = Y - (BW + BVS) - top - (CVP + 2 * CBW);
  const int row = FHeadingRowCount;
  auto each = [&](auto&& Fn) {
    for (int c = 0; c < FTable->ColCount();) {
      TRVTableCellData* cell = FTable->GetCells(row, c);
      if (!cell) {
        ++c;
        continue;
      }
      if (!Fn(cell, GetCellCopy(row, c))) return false;
      c += std::max(1, cell->GetColSpan());
    }
    return true;
  };
  if (FootnotesChangeHeight) {
    const int before = height;
    const bool ok = each([&](TRVTableCellData* cell, TCellPtblRVData* copy) {
      if (!copy) return true;
      if (cell->IsVerticalText()) return copy->DecHeightByFootnotes(height, hasNotes, 0);
      return copy->CanPlaceFirstPageHere(height, FirstOnPage, sad, hasNotes, true);
    });
    if (!ok || height == before) return ok;
  }
  return each([&](TRVTableCellData* cell, TCellPtblRVData* copy) {
    if (!FirstOnPage && st->GetAsDevicePixelsY(cell->GetBestHeight(), &sad) + (CVP + 2 * CBW) - 1 > height)
      return false;
    if (!copy || cell->IsVerticalText()) return true;
    int h = height;
    return copy->CanPlaceFirstPageHere(h, FirstOnPage, sad, hasNotes, false);
  });
}

// The state of one SplitAt call.
struct TRVTablePrintInfo::TSplitCall {
  int Y = 0;
  int RO = 0;
  bool FirstOnPage = false;
  bool FootnotesChangeHeight = false;
  int LastRedoneRow = -1;
  // While the cells of a row are measured: the room their trial pages' footnotes took, and
  // whether the page or an earlier cell of the row counted the note separator.
  int RowNotesHeight = 0;
  bool RowHasNotes = false;
  TRVFootnoteRefList Counted;
  TRVTablePrintPart* Part = nullptr;
  TRVTablePrintPart* Prev = nullptr;
};

int TRVTablePrintInfo::CellHeightOnPage(TSplitCall& C, int Row, int Col, int v, int Slot, bool FirstSlot,
                                        bool& RowUnfinished) {
  if (v == 0) return 0;
  TRVTableCellData* cell = FTable->GetCells(Row, Col);
  if (!cell) return 0;
  TRVStyle* st = FTable->GetRVStyle();
  TCellPtblRVData* copy = GetCellCopy(Row, Col);
  const int A = C.Y - C.Part->FRowStarts.Get(Slot) - C.RO;
  int B = st->GetAsDevicePixelsY(cell->GetBestHeight(), &sad);
  if (A < B + C.RO - 1 && FirstSlot && C.FirstOnPage) B = A - C.RO + 1;
  const bool countNotes = C.FootnotesChangeHeight && Row > C.LastRedoneRow;
  if (CellCanSplit(FTable, cell) && !IsReversed(cell)) {
    int end;
    if (!copy) {
      end = MulDiv(cell->DocumentHeight, sad.ppiyDevice, std::max(1, sad.ppiyScreen));
    } else {
      // The footnotes found by the row's earlier cells stay counted although their trial pages
      // are undone, and the note separator is counted once for the row.
      TRVFootnoteRefList* none = nullptr;
      TRVFootnoteRefList* counted = C.RowHasNotes ? &C.Counted : nullptr;
      int released = 0;
      if (v == 1) copy->ResetPages(none, released, false);
      copy->FormatNextPage(A - (countNotes ? C.RowNotesHeight : 0), counted, countNotes);
      if (countNotes && copy->LastFootnotesHeight > 0) {
        C.RowNotesHeight += copy->LastFootnotesHeight;
        C.RowHasNotes = true;
      }
      if (v == 1) {
        end = copy->Finished() ? copy->EndAt : A + 100;
        copy->ResetPages(none, released, false);
        return std::max(B, end) + C.RO;
      }
      end = copy->Finished() ? copy->EndAt : A;
      if (!copy->Finished()) RowUnfinished = true;
      copy->UnformatLastPage(none, released, false);
    }
    return std::max(B, end) + C.RO;
  }
  if (copy && IsReversed(cell)) B = std::max(B, copy->DocumentHeight);
  return B + C.RO;
}

void TRVTablePrintInfo::FormatFirstPagesOfRows(int FromRow, int ToRow) {
  for (int r = std::max(FromRow, 0); r <= ToRow && r < FTable->RowCount(); ++r)
    for (int c = 0; c < FTable->ColCount(); ++c)
      if (TCellPtblRVData* copy = GetCellCopy(r, c); copy && !copy->Pages) {
        TRVFootnoteRefList* none = nullptr;
        copy->FormatNextPage(UnlimitedHeight, none, false);
      }
}

bool TRVTablePrintInfo::SplitAt(int Y, const TRVScreenAndDevice& /*Sad*/, bool FirstOnPage, TList*& FootnoteList,
                                int& MaxHeight, bool FootnotesChangeHeight, bool IgnorePageBreaks) {
  auto*& notes = reinterpret_cast<TRVFootnoteRefList*&>(FootnoteList);
  const int rows = FTable->RowCount(), cols = FTable->ColCount();
  int BW, BVS, CBW, CVP, CVS;
  Lengths(BW, BVS, CBW, CVP, CVS);
  TSplitCall C;
  C.RO = 2 * (CVP + CBW) + CVS;
  C.FirstOnPage = FirstOnPage;
  C.FootnotesChangeHeight = FootnotesChangeHeight;
  const int real = RealPartCount();
  C.Prev = real > 0 ? GetPart(real - 1) : nullptr;
  // 1. The first row of the part.
  int r = FHeadingRowCount;
  if (C.Prev) r = C.Prev->FRowIndices.Get(C.Prev->FRowIndices.Count() - 1) + (C.Prev->FRowFinished ? 1 : 0);
  auto finish = [&]() {
    if (!PartsList.empty() && !PartsList.back()) PartsList.pop_back();
    FTable->AfterPagination();
    return false;
  };
  if (r >= rows) return finish();
  // 2. The top of the first slot.
  const bool first = C.Prev == nullptr;
  const int I = first && FTable->GetPrintOptions().Contains(rvtoContinue) ? 0 : FHeadingRowCount;
  const int top0 = Fmt->RowStarts.Get(I) - CBW;
  // 3. Heading rows' footnotes go to the first part's page.
  if (first && FHeadingRowCount > 0) {
    int h = 0;
    AddHeadingFootnotes(notes, h, FootnotesChangeHeight);
    MaxHeight += h;
    Y += h;
  }
  // 4. The new part.
  Y -= BW + BVS - CVS;
  C.Y = Y;
  const int y4 = Y;
  auto owned = std::make_unique<TRVTablePrintPart>(this, Fmt.get());
  TRVTablePrintPart* part = owned.get();
  C.Part = part;
  part->FHeadingHeight = Fmt->RowStarts.Get(I) - Fmt->RowStarts.Get(0);
  if (C.Prev && C.Prev->FTableBottomCutLine) part->FTableTopCutLine = std::move(C.Prev->FTableBottomCutLine);
  if (!PartsList.empty() && !PartsList.back())
    PartsList.back() = std::move(owned);
  else
    PartsList.push_back(std::move(owned));
  PartsList.push_back(nullptr);

  TRVTableRows* grid = FTable->GetRows();
  auto restart = [&]() {
    part->FRowStarts.Clear();
    part->FRowIndices.Clear();
    part->FRowStarts.Add(top0);
    part->FRowIndices.Add(r);
    part->FRowFinished = true;
  };
  auto ensureSlot = [&](int Slot) {
    while (part->FRowStarts.Count() <= Slot) part->FRowStarts.Add(0);
  };
  auto topCut = [&](int c) { return part->FTableTopCutLine ? part->FTableTopCutLine->Get(c) : 1; };

  // 5. Rows as long as they fit.
  restart();
  int slot = 0, row = r;
  bool ranPast = false;
  for (;;) {
    if (row >= rows) {
      ranPast = true;
      break;
    }
    part->FRowIndices.Put(slot, row);
    ensureSlot(slot + 1);
    part->FRowStarts.Put(slot + 1, std::max(part->FRowStarts.Get(slot + 1), part->FRowStarts.Get(slot)));
    int largest = part->FRowStarts.Get(slot + 1);
    C.RowNotesHeight = 0;
    C.RowHasNotes = notes != nullptr;
    bool rowUnfinished = false;
    int rowNotes = 0;
    bool pageNotes = notes != nullptr;
    for (int c = 0; c < cols; ++c) {
      int cr = row, cc = c, v = 1;
      TRVTableCellData* cell = nullptr;
      if (slot == 0 && part->FTableTopCutLine) {
        v = topCut(c);
        if (v <= 0) continue;
        cell = grid->GetMainCell(row, c, cr, cc);
        if (cc != c) continue;
      } else {
        cell = FTable->GetCells(row, c);
        if (!cell) continue;
      }
      const int h = CellHeightOnPage(C, cr, cc, v, slot, slot == 0, rowUnfinished);
      const int ends = slot + std::max(1, cell->GetRowSpan() - (row - cr));
      ensureSlot(ends);
      part->FRowStarts.Put(ends, std::max(part->FRowStarts.Get(ends), part->FRowStarts.Get(slot) + h));
      largest = std::max(largest, part->FRowStarts.Get(ends));
      if (FootnotesChangeHeight && row > C.LastRedoneRow)
        if (TCellPtblRVData* copy = GetCellCopy(cr, cc)) {
          int fh = 0;
          copy->DecHeightByFootnotes(fh, pageNotes, v > 1 ? v : 0);
          rowNotes -= fh;
        }
    }
    if (rowUnfinished) part->FRowFinished = false;
    if (rowNotes > 0 && row > C.LastRedoneRow) {
      // The row's footnotes take room on this page: lay the part out again in what is left.
      C.Y -= rowNotes;
      C.LastRedoneRow = row;
      restart();
      slot = 0;
      row = r;
      continue;
    }
    const bool lastRow = row == rows - 1;
    if (lastRow && !part->FRowFinished) break;
    if (row + 1 < rows && grid->GetRow(row + 1)->FPageBreakBefore && !IgnorePageBreaks) break;
    if (part->FRowStarts.Get(slot + 1) >= C.Y - 1) break;
    if (slot != 0 && largest >= C.Y - 1) break;
    ++slot;
    ++row;
    if (row >= rows) {
      ranPast = true;
      part->FRowIndices.Add(rows - 1);
      break;
    }
    if (part->FRowIndices.Count() <= slot) part->FRowIndices.Add(row);
  }
  auto settleNotes = [&](int FromSlot, int ToSlot) {
    for (int k = FromSlot; k <= ToSlot && k < part->FRowIndices.Count(); ++k) {
      const int rr = part->FRowIndices.Get(k);
      for (int c = 0; c < cols; ++c) {
        TCellPtblRVData* copy = nullptr;
        int page = 1;
        if (k == 0 && part->FTableTopCutLine) {
          page = topCut(c);
          if (page <= 0) continue;
          int mr, mc;
          if (!grid->GetMainCell(rr, c, mr, mc) || mc != c) continue;
          copy = GetCellCopy(mr, mc);
        } else {
          copy = GetCellCopy(rr, c);
        }
        if (copy) {
          int h = 0;
          copy->AddFootnotes(notes, h, false, copy->Pages ? std::min(page, copy->CurPageNo) : 0);
        }
      }
    }
  };

  if (ranPast) {
    // 6-7. The table ends on this page.
    // The last entry repeats the last row; its start is the bottom of the rows.
    while (part->FRowStarts.Count() > part->FRowIndices.Count()) part->FRowStarts.Delete(part->FRowStarts.Count() - 1);
    part->Height = part->FRowStarts.Get(part->FRowStarts.Count() - 1) + (BW + BVS - CVS);
    FormatFirstPagesOfRows(r, rows - 1);
    settleNotes(0, part->FRowIndices.Count() - 1);
    if (FootnotesChangeHeight) MaxHeight -= y4 - C.Y;
    PartsList.pop_back();
    FTable->AfterPagination();
    return false;
  }

  // The row that stopped the loop is the last entry: its start is the bottom of the complete rows.
  int s = part->FRowIndices.Get(slot);
  part->FRowIndices.SetCount(slot + 1);
  part->FRowStarts.SetCount(slot + 1);
  const int lastStart = part->FRowStarts.Get(slot);
  // 8. Whether the stopping row prints partly here.
  bool fits = true;
  const int left = C.Y - lastStart - C.RO;
  TRVStyle* st = FTable->GetRVStyle();
  if (slot > 0) {
    for (int c = 0; c < cols && fits; ++c) {
      TRVTableCellData* cell = FTable->GetCells(s, c);
      if (!cell) continue;
      if (st->GetAsDevicePixelsY(cell->GetBestHeight(), &sad) + C.RO - 1 > left) fits = false;
      TCellPtblRVData* copy = GetCellCopy(s, c);
      if (fits && copy && CellCanSplit(FTable, cell)) {
        int h = left;
        bool hn = notes != nullptr;
        if (!copy->CanPlaceFirstPageHere(h, false, sad, hn, FootnotesChangeHeight)) fits = false;
      }
    }
  }
  if (!fits) {
    --s;
    part->FRowFinished = true;
    // Cells continued from the part before end on this part: their last page is laid out in the
    // room their trial page had, so that the copy is finished and that page's footnotes are found.
    for (int c = 0; part->FTableTopCutLine && c < cols; ++c) {
      const int v = topCut(c);
      int mr, mc;
      if (v <= 1 || !grid->GetMainCell(r, c, mr, mc) || mc != c) continue;
      TCellPtblRVData* copy = GetCellCopy(mr, mc);
      if (!copy || !copy->Pages || copy->CurPageNo >= v || copy->Finished()) continue;
      TRVFootnoteRefList* none = nullptr;
      copy->FormatNextPage(C.Y - part->FRowStarts.Get(0) - C.RO, none, false);
    }
  }
  // 9. The cut below the part.
  auto bottom = std::make_unique<TRVIntegerList>(cols, 0);
  bool finished = true;
  int rowEnd = lastStart;
  if (fits) {
    for (int c = cols - 1; c >= 0; --c) {
      int mr, mc;
      TRVTableCellData* cell = grid->GetMainCell(s, c, mr, mc);
      if (!cell || mc != c) continue;
      const int startSlot = std::max(0, slot - (s - mr));
      // A cell reaching the part's first row (from it or from above) goes on with the page the
      // top cut gives it, however many rows down the part stops.
      const bool cut = part->FTableTopCutLine && mr <= r;
      const int v = cut ? topCut(c) : 1;
      if (cut ? v == 0 : mr < r) continue;
      bottom->Put(c, 1);
      TCellPtblRVData* copy = GetCellCopy(mr, mc);
      const int cellStart = part->FRowStarts.Get(std::min(startSlot, part->FRowStarts.Count() - 1));
      const int room = C.Y - cellStart - C.RO;
      const bool canSplit = CellCanSplit(FTable, cell) && !IsReversed(cell);
      if (!copy) {
        bottom->Put(c, 0);
        continue;
      }
      if (!canSplit) {
        if (!copy->Pages) {
          TRVFootnoteRefList* none = nullptr;
          copy->FormatNextPage(UnlimitedHeight, none, false);
        }
        rowEnd = std::max(rowEnd, cellStart + st->GetAsDevicePixelsY(cell->GetBestHeight(), &sad) + C.RO);
        bottom->Put(c, 0);
        continue;
      }
      TRVFootnoteRefList* none = nullptr;
      if (v <= 1 || !copy->Pages) {
        int released = 0;
        copy->ResetPages(none, released, false);
      }
      copy->FormatNextPage(room, none, false);
      if (copy->Finished()) {
        rowEnd = std::max(
            rowEnd, cellStart + std::max(copy->EndAt, st->GetAsDevicePixelsY(cell->GetBestHeight(), &sad)) + C.RO);
        bottom->Put(c, 0);
      } else {
        bottom->Put(c, copy->CurPageNo + 1);
        finished = false;
      }
    }
  }
  // 10. Copies of the part's rows that have no page yet get their first page.
  FormatFirstPagesOfRows(r, s);
  // 11. The stopping row's slot.
  if (fits) {
    part->FRowStarts.Add(finished ? rowEnd : C.Y);
    part->FRowIndices.Add(s);
  } else {
    part->FRowStarts.Add(lastStart);
    part->FRowIndices.Put(part->FRowIndices.Count() - 1, std::max(s, r));
    part->FRowIndices.Add(std::max(s, r));
  }
  part->FRowFinished = !fits || finished;
  settleNotes(0, part->FRowIndices.Count() - 2);
  if (FootnotesChangeHeight) MaxHeight -= y4 - C.Y;
  part->Height = part->FRowStarts.Get(part->FRowStarts.Count() - 1) + (BW + BVS - CVS);
  // 12. The cut survives only inside a row.
  if (part->FRowFinished) {
    if (s >= rows - 1) {
      PartsList.pop_back();
      FTable->AfterPagination();
      return false;
    }
  } else {
    part->FTableBottomCutLine = std::move(bottom);
    part->Height = C.Y + (BW + BVS - CVS);
  }
  return true;
}

// ---- footnotes of the whole table ---------------------------------------------------------------------

void TRVTablePrintInfo::AddAllFootnotes(TRVFootnoteRefList*& FootnoteRVDataList, int& AHeight,
                                        bool FootnotesChangeHeight) {
  for (int k = 0; Fmt->Rows && k < Fmt->Rows->Count(); ++k)
    if (auto* copy = static_cast<TCellPtblRVData*>(Fmt->Rows->Get(k)))
      copy->AddFootnotes(FootnoteRVDataList, AHeight, FootnotesChangeHeight, 0);
}

void TRVTablePrintInfo::DecHeightByFootnotes(int& AHeight, bool& ThisPageHasFootnotes) {
  for (int k = 0; Fmt->Rows && k < Fmt->Rows->Count(); ++k)
    if (auto* copy = static_cast<TCellPtblRVData*>(Fmt->Rows->Get(k)))
      if (!copy->DecHeightByFootnotes(AHeight, ThisPageHasFootnotes, 0)) return;
}

void TRVTablePrintInfo::RemoveAllFootnotes(TRVFootnoteRefList*& FootnoteRVDataList, int& AHeight,
                                           bool FootnotesChangeHeight) {
  for (int k = 0; Fmt->Rows && k < Fmt->Rows->Count(); ++k)
    if (auto* copy = static_cast<TCellPtblRVData*>(Fmt->Rows->Get(k)))
      copy->RemoveFootnotes(FootnoteRVDataList, AHeight, FootnotesChangeHeight, 0);
}

void TRVTablePrintInfo::ResetPages(TRVFootnoteRefList*& FootnoteRVDataList, int& ReleasedHeightAfterFootnotes,
                                   bool FootnotesChangeHeight) {
  RemoveAllFootnotes(FootnoteRVDataList, ReleasedHeightAfterFootnotes, FootnotesChangeHeight);
  for (int k = 0; Fmt->Rows && k < Fmt->Rows->Count(); ++k)
    if (auto* copy = static_cast<TCellPtblRVData*>(Fmt->Rows->Get(k))) {
      TRVFootnoteRefList* none = nullptr;
      int released = 0;
      copy->ResetPages(none, released, false);
    }
  TRVMultiDrawItemInfo::ResetPages(FootnoteRVDataList, ReleasedHeightAfterFootnotes, FootnotesChangeHeight);
}

void TRVTablePrintInfo::UnformatLastPage(TRVFootnoteRefList*& FootnoteRVDataList, int& ReleasedHeight,
                                         bool FootnotesChangeHeight) {
  const int real = RealPartCount();
  if (real == 0) {
    RemoveAllFootnotes(FootnoteRVDataList, ReleasedHeight, FootnotesChangeHeight);
    return;
  }
  TRVTablePrintPart* last = GetPart(real - 1);
  const int firstRow = last->FRowIndices.Count() > 0 ? last->FRowIndices.Get(0) : FTable->RowCount();
  for (int c = 0; c < FTable->ColCount(); ++c) {
    if (!last->FTableTopCutLine || last->FTableTopCutLine->Get(c) <= 0) continue;
    int mr, mc;
    if (!FTable->GetRows()->GetMainCell(firstRow, c, mr, mc)) continue;
    if (TCellPtblRVData* copy = GetCellCopy(mr, mc))
      copy->UnformatLastPage(FootnoteRVDataList, ReleasedHeight, FootnotesChangeHeight);
  }
  for (int rr = firstRow + 1; rr < FTable->RowCount(); ++rr)
    for (int c = 0; c < FTable->ColCount(); ++c)
      if (TCellPtblRVData* copy = GetCellCopy(rr, c))
        copy->ResetPages(FootnoteRVDataList, ReleasedHeight, FootnotesChangeHeight);
  PartsList.erase(PartsList.begin() + (real - 1));
}

// ---- locations of cell copies ---------------------------------------------------------------------------

TCustomMultiPagePtblRVData* TRVTablePrintInfo::GetPrintableRVDataFor(int Location) {
  const int cols = FTable->ColCount();
  if (cols <= 0 || Location < 0) return nullptr;
  return GetCellCopy(Location / cols, Location % cols);
}

int TRVTablePrintInfo::GetLocalPageNoFor(int Location, int Part) {
  const int cols = FTable->ColCount();
  TRVTablePrintPart* p = Part >= 0 ? GetPart(Part) : nullptr;
  if (!p || cols <= 0 || !p->FTableTopCutLine || p->FRowIndices.Count() == 0) return 1;
  if (Location / cols != p->FRowIndices.Get(0)) return 1;
  return p->FTableTopCutLine->Get(Location % cols);
}

bool TRVTablePrintInfo::GetPartNo(TCustomRVData* RVData, int AItemNo, int OffsInItem, int& PartNo, int& LocalPageNo,
                                  int& LocalPageCount, TCustomMultiPagePtblRVData*& PtRVData) {
  const int rows = FTable->RowCount(), cols = FTable->ColCount();
  for (int row = 0; row < rows; ++row)
    for (int col = 0; col < cols; ++col) {
      TCellPtblRVData* copy = GetCellCopy(row, col);
      if (!copy) continue;
      int p = 1;
      if (!copy->GetPageNo(RVData, AItemNo, OffsInItem, copy, p, LocalPageNo, LocalPageCount, PtRVData)) continue;
      const int real = RealPartCount();
      if (real == 0) {
        PartNo = -1;
        return true;
      }
      if (row < FHeadingRowCount) {
        PartNo = FTable->GetPrintOptions().Contains(rvtoContinue) ? 1 : 0;
        LocalPageCount = real;
        return true;
      }
      // The part that prints page p of the cell: the one whose first row continues the cell with
      // that page, or for page 1 the one that prints the cell's row in full.
      for (int k = 0; k < real; ++k) {
        TRVTablePrintPart* part = GetPart(k);
        if (part->FRowIndices.Count() == 0) continue;
        const int first = part->FRowIndices.Get(0);
        int mr = -1, mc = -1;
        const bool continues =
            part->FTableTopCutLine && FTable->GetRows()->GetMainCell(first, col, mr, mc) && mr == row && mc == col;
        if (continues && part->FTableTopCutLine->Get(col) == p) {
          PartNo = k;
          return true;
        }
        if (p != 1) continue;
        for (int slot = continues ? 1 : 0; slot + 1 < part->FRowIndices.Count(); ++slot)
          if (part->FRowIndices.Get(slot) == row) {
            PartNo = k;
            return true;
          }
      }
      PartNo = real - 1;
      for (int k = 0; k < real; ++k) {
        TRVTablePrintPart* part = GetPart(k);
        const int first = part->FRowIndices.Count() > 0 ? part->FRowIndices.Get(0) : 0;
        if (first > row) {
          PartNo = std::max(0, k - 1);
          break;
        }
        if (first == row) {
          const int a = part->FTableTopCutLine ? part->FTableTopCutLine->Get(col) : 0;
          PartNo = a > 0 && p >= a ? k + p - a : std::max(0, k - 1);
          if (a <= 0 && k == 0) PartNo = 0;
          break;
        }
      }
      return true;
    }
  return false;
}

bool TRVTablePrintInfo::GetSubDocCoords(int Location, int Part, TRect& InnerCoords, TRect& OuterCoords,
                                        TPoint& Origin) {
  const int cols = FTable->ColCount();
  if (cols <= 0 || Location < 0) return false;
  const int row = Location / cols, col = Location % cols;
  TRVTableCellData* cell = FTable->GetCells(row, col);
  TCellPtblRVData* copy = GetCellCopy(row, col);
  if (!cell || !copy) return false;
  TRVStyle* st = FTable->GetRVStyle();
  const int CVP = st->GetAsDevicePixelsY(FTable->GetCellVPadding(), &sad);
  const int CHP = st->GetAsDevicePixelsX(FTable->GetCellHPadding(), &sad);
  const int CBW = st->GetAsDevicePixelsY(FTable->GetCellBorderWidth(), &sad);
  InnerCoords = TRect(copy->Left, copy->Top, copy->Left + copy->Width, copy->Top + copy->Height);
  int height = copy->Height;
  TRVTablePrintPart* p = Part >= 0 ? GetPart(Part) : nullptr;
  if (p && row >= FHeadingRowCount) {
    int slot = -1;
    for (int k = 0; k + 1 < p->FRowIndices.Count(); ++k)
      if (p->FRowIndices.Get(k) == row) {
        slot = k;
        break;
      }
    if (slot < 0) return false;
    const int top = p->FRowStarts.Get(slot) + CVP + CBW;
    const int endSlot = std::min(slot + cell->GetRowSpan(), p->FRowStarts.Count() - 1);
    height =
        std::max(0, std::min(copy->Height, p->FRowStarts.Get(endSlot) - p->FRowStarts.Get(slot) - 2 * (CVP + CBW)));
    InnerCoords = TRect(copy->Left, top, copy->Left + copy->Width, top + height);
  }
  const int offs = PrintedVAlignOffset(cell, copy, GetLocalPageNoFor(Location, Part), copy->Width, height);
  Origin = TPoint(InnerCoords.Left, InnerCoords.Top + offs);
  OuterCoords = TRect(InnerCoords.Left - CHP, InnerCoords.Top - CVP, InnerCoords.Right + CHP, InnerCoords.Bottom + CVP);
  return true;
}

// ---- the table's side -------------------------------------------------------------------------------------

bool TRVTableItemInfo::IsRowBoundaryFree(int Row) {
  if (Row >= RowCount() - 1) return true;
  for (int c = ColCount() - 1; c >= 0;) {
    int mr, mc;
    TRVTableCellData* cell = FRows->GetMainCell(Row, c, mr, mc);
    if (!cell) return true;
    if (mr + cell->GetRowSpan() - 1 > Row) return false;
    c = mc - 1;
  }
  return true;
}

bool TRVTableItemInfo::CanUseHeadingRowCount() {
  const int h = std::min(GetHeadingRowCount(), RowCount());
  return h > 0 && IsRowBoundaryFree(h - 1);
}

int TRVTableItemInfo::GetRealHeadingRowCount() {
  return CanUseHeadingRowCount() ? std::min(GetHeadingRowCount(), RowCount()) : 0;
}

bool TRVTableItemInfo::HasPageBreakInRows(int FromRow) {
  if (FromRow < 0) FromRow = GetRealHeadingRowCount() + 1;
  for (int r = std::max(FromRow, 0); r < RowCount(); ++r)
    if (FRows->GetRow(r)->FPageBreakBefore) return true;
  return false;
}

int TRVTableItemInfo::GetSplitRowBelow(int Row) {
  int cur = Row;
  bool moved = true;
  while (moved && cur < RowCount() - 1) {
    moved = false;
    for (int c = ColCount() - 1; c >= 0;) {
      int mr, mc;
      TRVTableCellData* cell = FRows->GetMainCell(cur, c, mr, mc);
      if (!cell) break;
      const int last = mr + cell->GetRowSpan() - 1;
      if (last > cur) {
        cur = std::min(last, RowCount() - 1);
        moved = true;
        break;
      }
      c = mc - 1;
    }
  }
  return cur;
}

TObject* TRVTableItemInfo::GetSoftPageBreakDY(TObject* Data) {
  const int row = static_cast<int>(reinterpret_cast<std::intptr_t>(Data));
  const int y = row >= 0 && row < Fmt->RowStarts.Count() ? Fmt->RowStarts.Get(row) : Fmt->FHeight;
  return reinterpret_cast<TObject*>(static_cast<std::intptr_t>(y));
}

void TRVTableItemInfo::ClearSoftPageBreaks() {
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData* cell = GetCells(r, c)) cell->ClearSoftPageBreaks();
}

std::unique_ptr<TRVDrawLineInfo> TRVTableItemInfo::CreatePrintingDrawItem(TCustomRVData* RVData,
                                                                          TParaInfo* /*ParaStyle*/,
                                                                          const TRVScreenAndDevice& sad) {
  auto info = std::make_unique<TRVTablePrintInfo>(this);
  info->sad = sad;
  info->FHeadingRowCount = GetRealHeadingRowCount();
  auto* parent = dynamic_cast<TCustomPrintableRVData*>(RVData);
  TCustomPrintableRV* viewer = PrintableViewerOf(RVData);
  info->Fmt->Rows = std::make_unique<TRVList>();
  TRVList* copies = info->Fmt->Rows.get();
  copies->SetCapacity(RowCount() * ColCount());
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c) {
      TRVTableCellData* cell = GetCells(r, c);
      if (!cell || !viewer || !parent) {
        copies->Add(nullptr);
        continue;
      }
      auto copy = std::make_unique<TCellPtblRVData>(viewer, parent, cell);
      copy->FColor = GetCellColor(r, c, false, false);
      copy->ParentDrawsBack = true;
      copy->Transparent = IsCellTransparent(r, c);
      copy->ComplexBackground = cell->HasExtraBackground() || cell->GetBackground() != nullptr;
      copies->Add(copy.release());
    }
  return info;
}

// Prints the rows of a part (or every row): the table's drawing routine paints the backgrounds,
// rules and borders of the printing layout, then each cell copy prints its page at its place.
void TRVTableItemInfo::Print(TCanvas* Canvas, int X, int Y, int /*x2*/, bool Printing, bool Preview, bool Correction,
                             const TRVScreenAndDevice& sad, TRVMultiDrawItemPart* Part, TRVColorMode ColorMode,
                             TCustomRVData* ARVData, TRVDrawLineInfo* dli, int PageNo, bool /*ForMetafile*/) {
  auto* info = dynamic_cast<TRVTablePrintInfo*>(dli);
  if (!info) return;
  auto* part = dynamic_cast<TRVTablePrintPart*>(Part);
  TRVTableItemFormattingInfo* fmt = info->Fmt.get();
  TRVTablePrintData data;
  data.CurrentPrintFmt = fmt;
  struct TGuard {
    TRVTableItemInfo* T;
    const TRVScreenAndDevice* Old;
    ~TGuard() {
      T->FPrintData = nullptr;
      T->cursad = Old;
    }
  } guard{this, cursad};
  FPrintData = &data;
  cursad = &info->sad;
  TRVStyle* st = GetRVStyle();
  const int rc = RowCount(), cc = ColCount();
  if (rc == 0 || cc == 0 || fmt->RowStarts.Count() != rc || fmt->ColStarts.Count() != cc) return;
  const int CBW = st->GetAsDevicePixelsY(GetCellBorderWidth(), &sad);
  const int CVP = st->GetAsDevicePixelsY(GetCellVPadding(), &sad);
  const int CVS = st->GetAsDevicePixelsY(GetCellVSpacing(), &sad);
  const int pad = DevX(GetCellHPadding());
  const bool headings =
      info->FHeadingRowCount > 0 && !(part && info->GetPart(0) == part && GetPrintOptions().Contains(rvtoContinue));

  // The cells as printed: (row, column, top of the padding box, its height, page).
  TRVTablePrintedCells cells;
  cells.Height = part ? part->Height : fmt->FHeight;
  auto addCell = [&](int Row, int Col, int Top, int Height, int Page) {
    TRVTableCellData* cell = GetCells(Row, Col);
    TCellPtblRVData* copy = info->GetCellCopy(Row, Col);
    if (!cell) return;
    const int left = fmt->ColStarts.Get(Col);
    int width = 0;
    if (copy) {
      width = copy->GetWidth() + 2 * pad;
    } else {
      const int lastCol = std::min(Col + cell->GetColSpan(), cc) - 1;
      width = fmt->ColStarts.Get(lastCol) + fmt->ColWidths.Get(lastCol) + 2 * pad - left;
    }
    cells.Cells.push_back({Row, Col, TRect(left, Top, left + width, Top + std::max(Height, 0)), Page});
  };
  auto addWholeRow = [&](int r) {
    cells.RowTops.push_back(fmt->RowStarts.Get(r));
    for (int c = 0; c < cc; ++c)
      if (TCellPtblRVData* copy = info->GetCellCopy(r, c))
        addCell(r, c, fmt->RowStarts.Get(r), copy->Height + 2 * CVP, 1);
  };
  if (!part) {
    for (int r = 0; r < rc; ++r) addWholeRow(r);
  } else {
    if (headings)
      for (int r = 0; r < info->FHeadingRowCount; ++r) addWholeRow(r);
    const int shift = headings ? 0 : -part->FHeadingHeight;
    for (int k = 0; k + 1 < part->FRowIndices.Count(); ++k) {
      const int row = part->FRowIndices.Get(k);
      // A part that stops on a row boundary repeats its last row at the bottom: a row is printed
      // once on a part.
      if (k > 0 && part->FRowIndices.Get(k - 1) == row) continue;
      const int top = shift + part->FRowStarts.Get(k) + CBW;
      cells.RowTops.push_back(top);
      for (int c = 0; c < cc; ++c) {
        int mr = row, mc = c, page = 1;
        if (k == 0 && part->FTableTopCutLine) {
          page = part->FTableTopCutLine->Get(c);
          if (!GetRows()->GetMainCell(row, c, mr, mc) || mc != c) continue;
        } else if (!GetCells(row, c)) {
          continue;
        }
        TRVTableCellData* cell = GetCells(mr, mc);
        const int endSlot = std::min(k + cell->GetRowSpan() - (row - mr), part->FRowStarts.Count() - 1);
        addCell(mr, mc, top, part->FRowStarts.Get(endSlot) - part->FRowStarts.Get(k) - 2 * CBW - CVS, page);
      }
    }
  }

  // Backgrounds, rules and borders.
  TRVItemDrawStates states;
  states.Include(rvidsPrint);
  DrawTable(Canvas, X, Y, TRect(0, 0, 0, 0), states, fmt, ColorMode, ARVData, true, -1, -1, &cells);

  // The cells' pages.
  for (const TRVTablePrintedCells::TCell& p : cells.Cells) {
    TCellPtblRVData* copy = info->GetCellCopy(p.Row, p.Col);
    if (!copy || p.Page <= 0) continue;
    const int oldLeft = copy->Left, oldTop = copy->Top, oldHeight = copy->Height;
    struct TRestore {
      TCellPtblRVData* C;
      int L, T, H;
      TRVTablePrintData* D;
      ~TRestore() {
        C->Left = L;
        C->Top = T;
        C->Height = H;
        D->CellRow = D->CellCol = -1;
      }
    } restore{copy, oldLeft, oldTop, oldHeight, &data};
    const int page = copy->Pages ? std::min(p.Page, copy->Pages->Count()) : 1;
    const int innerHeight = std::max(0, p.Rect.Height() - 2 * CVP);
    const int offs = PrintedVAlignOffset(GetCells(p.Row, p.Col), copy, page, p.Rect.Width() - 2 * pad, innerHeight);
    copy->Left = X + oldLeft;
    copy->Top = Y + p.Rect.Top + CVP + offs;
    copy->Height = std::max(0, innerHeight - offs);
    data.CellRow = p.Row;
    data.CellCol = p.Col;
    data.CellPage = p.Page;
    data.CellRect = TRect(X + p.Rect.Left, Y + p.Rect.Top, X + p.Rect.Right, Y + p.Rect.Bottom);
    // Heading rows repeat on every page: their page numbers and counts are measured for this one.
    if (p.Row < info->FHeadingRowCount) {
      int dispPageNo = PageNo, pageCount = 0;
      copy->GetPrintedPageNumbers(PageNo, dispPageNo, pageCount);
      copy->PostFormatPage(page, dispPageNo, pageCount);
    }
    copy->DrawPage(page, PageNo, Canvas, Printing, Preview, Correction);
  }
}

void TRVTableItemInfo::PrintTableBackground(TCanvas* Canvas, const TRect& Rect, const TRect& FullRect,
                                            TRVColorMode ColorMode, TRVGraphicInterface* GraphicInterface) {
  if (!GraphicInterface || Rect.IsEmpty()) return;
  TColor c = GetColor(rvtcColor);
  if (c != clNone)
    c = GetPrintOptions().Contains(rvtoWhiteBackground) ? static_cast<TColor>(0xFFFFFF)
                                                        : ApplyBackColorMode(c, ColorMode);
  if (FBackground && !FBackground->Empty() && cursad) {
    FBackground->Print(Canvas, Rect, FullRect, *cursad, c, GetOpacity(), true, nullptr, nullptr, 1, GraphicInterface, 0,
                       ColorMode);
    return;
  }
  if (c != clNone && GetOpacity() > 0) GraphicInterface->FillRectAlpha(Canvas, Rect, c, GetOpacity());
}

void TRVTableItemInfo::PrintCellBackground(TCanvas* Canvas, const TRect& Rect, int Row, int Col, TRVColorMode ColorMode,
                                           TRVGraphicInterface* GraphicInterface) {
  if (!GraphicInterface || Rect.IsEmpty() || Row < 0 || Col < 0 || Row >= RowCount() || Col >= ColCount()) return;
  TRVTableCellData* cell = GetCells(Row, Col);
  if (!cell) return;
  TColor c = GetCellColor(Row, Col, false, false);
  if (c != clNone)
    c = GetPrintOptions().Contains(rvtoWhiteBackground) ? static_cast<TColor>(0xFFFFFF)
                                                        : ApplyBackColorMode(c, ColorMode);
  TRVBackground* bg = cell->GetBackground();
  if (bg && !bg->Empty() && cursad) {
    bg->Print(Canvas, Rect, Rect, *cursad, c, cell->GetOpacity(), true, nullptr, nullptr, 2, GraphicInterface, 0,
              ColorMode);
    return;
  }
  if (c != clNone && cell->GetOpacity() > 0) GraphicInterface->FillRectAlpha(Canvas, Rect, c, cell->GetOpacity());
}

// What lies under a printed cell's text: the table's background (layer 1) and, from layer 2, the
// background of the cell FPrintData names.
void TRVTableItemInfo::DrawBackgroundForPrinting(TCanvas* Canvas, const TRect& Rect, const TRect& FullRect,
                                                 TRVColorMode ColorMode, int ItemBackgroundLayer,
                                                 TRVGraphicInterface* GraphicInterface, bool /*AllowBitmaps*/) {
  if (ItemBackgroundLayer == 0 || !GraphicInterface) return;
  PrintTableBackground(Canvas, Rect, FullRect, ColorMode, GraphicInterface);
  if (ItemBackgroundLayer == 1 || !FPrintData || FPrintData->CellRow < 0) return;
  PrintCellBackground(Canvas, Rect, FPrintData->CellRow, FPrintData->CellCol, ColorMode, GraphicInterface);
}

// ---- the printing layout -------------------------------------------------------------------------------

void TRVTablePrintInfo::LayOutForPrinting(int DocWidth, TCanvas* Canvas) {
  TRVTableItemInfo* t = FTable;
  const TRVScreenAndDevice* old = t->cursad;
  struct TRestore {
    TRVTableItemInfo* T;
    const TRVScreenAndDevice* Old;
    ~TRestore() { T->cursad = Old; }
  } restore{t, old};
  t->cursad = &sad;
  TRVDocWidthChangeStates st;
  st.Include(rvdwcsPrinting);
  Fmt->FWidth = 0;
  t->LayoutPass(DocWidth, Fmt.get(), Canvas, st);
  const int rc = t->RowCount(), cc = t->ColCount();
  if (rc == 0 || cc == 0 || Fmt->ColWidths.Count() != cc) {
    Width = Fmt->FWidth;
    Height = Fmt->FHeight;
    return;
  }
  const int pad = t->DevX(t->GetCellHPadding()), padV = t->DevY(t->GetCellVPadding());
  const int hsp = t->DevX(t->GetCellHSpacing()), vsp = t->DevY(t->GetCellVSpacing());
  const int cbw = t->DevX(t->GetCellBorderWidth()), cbwV = t->DevY(t->GetCellBorderWidth());
  const int bwV = t->DevY(t->GetBorderWidth()), bvs = t->DevY(t->GetBorderVSpacing());
  std::vector<int> w(static_cast<size_t>(cc));
  for (int c = 0; c < cc; ++c) w[static_cast<size_t>(c)] = Fmt->ColWidths.Get(c);
  const int G = cc * (hsp + 2 * pad + 2 * cbw);
  // Each copy is formatted at its cell's width.
  for (int r = 0; r < rc; ++r)
    for (int c = 0; c < cc; ++c) {
      TRVTableCellData* cell = t->GetCells(r, c);
      TCellPtblRVData* copy = GetCellCopy(r, c);
      if (!cell || !copy) continue;
      const int width = rvtablecolumns::SpanSize(w, c, cell->GetColSpan(), 2 * pad, G) - 2 * pad;
      copy->SetPageRect(Fmt->ColStarts.Get(c) + pad, 0, std::max(width, 0), 1);
      copy->Format_(false, true, false, 0, copy->GetCanvas() ? copy->GetCanvas() : Canvas, false, false, false, false,
                    false);
    }
  // Rows as tall as their printed one-row cells (or their best heights).
  auto printed = [&](TRVTableCellData* cell, TCellPtblRVData* copy) {
    int need = t->DevY(cell->GetBestHeight());
    const bool ignore =
        cell->IsVerticalText() || (t->GetOptions().Contains(rvtoIgnoreContentHeight) && cell->GetBestHeight() > 0);
    if (!ignore && copy) need = std::max(need, copy->DocumentHeight);
    return need;
  };
  std::vector<int> h(static_cast<size_t>(rc), 0);
  for (int r = 0; r < rc; ++r) {
    int best = 0;
    for (int c = 0; c < cc; ++c)
      if (TRVTableCellData* cell = t->GetCells(r, c); cell && cell->GetRowSpan() <= 1)
        best = std::max(best, printed(cell, GetCellCopy(r, c)));
    h[static_cast<size_t>(r)] = best == 0 ? (Fmt->RowHeights.Count() == rc ? Fmt->RowHeights.Get(r) : 10) : best;
  }
  // Merged cells taller than their rows grow them as the screen layout does.
  rvtablecolumns::TGrid grid;
  grid.RowCount = rc;
  grid.ColCount = cc;
  for (int r = 0; r < rc; ++r)
    for (int c = 0; c < cc; ++c)
      if (TRVTableCellData* cell = t->GetCells(r, c)) {
        rvtablecolumns::TGridCell g;
        g.Row = r;
        g.Col = c;
        g.RowSpan = std::max(1, std::min(cell->GetRowSpan(), rc - r));
        g.ColSpan = std::max(1, std::min(cell->GetColSpan(), cc - c));
        grid.Cells.push_back(g);
      }
  grid.Build();
  rvtablecolumns::TTableLengths L;
  L.PadV = padV;
  L.VSp = vsp;
  L.CBWV = cbwV;
  rvtablecolumns::GrowMergedRows(grid, h, L, [&](int i) {
    const rvtablecolumns::TGridCell& g = grid.Cells[static_cast<size_t>(i)];
    return printed(t->GetCells(g.Row, g.Col), GetCellCopy(g.Row, g.Col));
  });
  const int GV = rc * (vsp + 2 * padV + 2 * cbwV);
  int height = 2 * (rc * padV + bwV + bvs) + (rc - 1) * vsp + rc * 2 * cbwV;
  for (int x : h) height += x;
  const std::vector<int> starts = rvtablecolumns::SpreadStarts(h, bwV + bvs + cbwV, GV);
  Fmt->RowHeights.Clear();
  Fmt->RowStarts.Clear();
  for (int r = 0; r < rc; ++r) {
    Fmt->RowHeights.Add(h[static_cast<size_t>(r)]);
    Fmt->RowStarts.Add(starts[static_cast<size_t>(r)]);
  }
  Fmt->FHeight = height;
  for (int r = 0; r < rc; ++r)
    for (int c = 0; c < cc; ++c)
      if (TRVTableCellData* cell = t->GetCells(r, c); TCellPtblRVData* copy = GetCellCopy(r, c)) {
        copy->Top = starts[static_cast<size_t>(r)] + padV;
        copy->Height = rvtablecolumns::SpanSize(h, r, cell ? cell->GetRowSpan() : 1, 0, GV);
      }
  Width = Fmt->FWidth;
  Height = Fmt->FHeight;
}
