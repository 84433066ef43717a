#include "engine/tables/RVTable.h"

#include "engine/document/CustomRVData.h"
#include "engine/foundation/RVError.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/Cursors.h"

namespace rvtable_detail {

TRVTableCellData* NewCell(TRVTableRows* Rows, TRVTableRow* Row) {
  TRVTableCellDataClass CellClass = Rows && Rows->FTable ? Rows->FTable->GetCellDataClass() : nullptr;
  if (!CellClass) return new TRVTableCellData(Row);
  return CellClass(Row);
}

const TRVUnicodeString CRLF = u"\r\n";

}  // namespace rvtable_detail

// ---- sub-document positions -------------------------------------------------------------------

std::unique_ptr<TRVStoreSubRVData> TRVTableStoreSubRVData::Duplicate() const {
  return std::make_unique<TRVTableStoreSubRVData>(Row, Col);
}

int TRVTableStoreSubRVData::Compare(const TRVStoreSubRVData* StoreSub) const {
  const auto* Other = static_cast<const TRVTableStoreSubRVData*>(StoreSub);
  if (Row != Other->Row) return Row - Other->Row;
  return Col - Other->Col;
}

// ---- formatting info ------------------------------------------------------------------------------

TRVTableItemFormattingInfo::TRVTableItemFormattingInfo(bool CreateRows) {
  if (CreateRows) Rows = std::make_unique<TRVList>();
}

TRVTableItemFormattingInfo::~TRVTableItemFormattingInfo() = default;

void TRVTableItemFormattingInfo::Clear() {
  ColWidths.Clear();
  RowHeights.Clear();
  ColStarts.Clear();
  RowStarts.Clear();
}

void TRVTableItemFormattingInfo::QuickClear() {
  ColWidths.SetCount(0);
  RowHeights.SetCount(0);
  ColStarts.SetCount(0);
  RowStarts.SetCount(0);
}

// ---- rows -----------------------------------------------------------------------------------------

TRVTableRow::TRVTableRow(int nCols, TRVTableRows* ARows, TCustomRVData* MainRVData)
    : TRVDataList(MainRVData), FRows(ARows) {
  SetCapacity(nCols);
  for (int i = 0; i < nCols; ++i) Add();
}

// The cells are freed while this is still a row: they ask it for their table on the way out.
TRVTableRow::~TRVTableRow() { Clear(); }

TCustomRVData* TRVTableRow::GetParentRVData() const { return FRows ? FRows->FMainRVData : nullptr; }

TRVTableCellData* TRVTableRow::Add() {
  std::unique_ptr<TRVTableCellData> Cell(rvtable_detail::NewCell(FRows, this));
  TRVDataList::Add(Cell.get());
  return Cell.release();
}

TRVTableCellData* TRVTableRow::Insert(int Index) {
  std::unique_ptr<TRVTableCellData> Cell(rvtable_detail::NewCell(FRows, this));
  TRVDataList::Insert(Index, Cell.get());
  return Cell.release();
}

void TRVTableRow::InsertPointer(int Index) { TRVDataList::Insert(Index, nullptr); }

void TRVTableRow::InsertCell(int Index, TRVTableCellData* Cell) {
  TRVDataList::Insert(Index, Cell);
  if (Cell) Cell->FList = this;
}

void TRVTableRow::PutCell(int Index, TRVTableCellData* Cell) {
  Put(Index, Cell);
  if (Cell) Cell->FList = this;
}

TRVStyleLength TRVTableRow::GetBestHeight() const {
  TRVStyleLength Result = 0;
  for (int i = 0; i < Count(); ++i) {
    const TRVTableCellData* Cell = GetCell(i);
    if (Cell && Cell->FRowSpan <= 1 && Cell->GetBestHeight() > Result) Result = Cell->GetBestHeight();
  }
  return Result;
}

int TRVTableRow::GetHeight(TRVStyle* RVStyle) const {
  int Result = 0;
  for (int i = 0; i < Count(); ++i) {
    TRVTableCellData* Cell = GetCell(i);
    if (!Cell || Cell->FRowSpan > 1) continue;
    const int h = Cell->GetCellHeight(RVStyle);
    if (h > Result) Result = h;
  }
  return Result == 0 ? 10 : Result;
}

// ---- the grid -------------------------------------------------------------------------------------

TRVTableRows::TRVTableRows(int nRows, int nCols, TCustomRVData* AMainRVData, TRVTableItemInfo* ATable)
    : FMainRVData(AMainRVData), FTable(ATable) {
  Reset(nRows, nCols);
}

TRVTableRows::~TRVTableRows() { Clear(); }

void TRVTableRows::Reset(int nRows, int nCols) {
  Clear();
  SetCapacity(nRows);
  for (int i = 0; i < nRows; ++i) Add(nCols);
}

TRVTableRow* TRVTableRows::Add(int nCols) {
  auto Row = std::make_unique<TRVTableRow>(nCols, this, FMainRVData);
  TRVList::Add(Row.get());
  return Row.release();
}

void TRVTableRows::InsertRow(int Index, TRVTableRow* Row) {
  TRVList::Insert(Index, Row);
  Row->FRows = this;
}

bool TRVTableRows::Empty() const { return Count() == 0 || GetRow(0)->Count() == 0; }

TRVTableCellData* TRVTableRows::GetMainCell(int ARow, int ACol, int& MRow, int& MCol) const {
  MRow = ARow;
  MCol = ACol;
  TRVTableCellData* Cell = GetRow(ARow)->GetCell(ACol);
  if (Cell) return Cell;
  // The main cell of a covered position is above it or to its left in the same rows.
  while (MRow >= 0) {
    TRVTableRow* Row = GetRow(MRow);
    while (MCol > 0 && !Row->GetCell(MCol)) --MCol;
    Cell = Row->GetCell(MCol);
    if (Cell && ACol - MCol < Cell->FColSpan && ARow - MRow < Cell->FRowSpan) return Cell;
    MCol = ACol;
    --MRow;
  }
  // Only a broken grid gets here.
  MRow = -1;
  MCol = -1;
  return nullptr;
}

bool TRVTableRows::NormalizeMergeRect(int TopRow, int LeftCol, int& ColSpan, int& RowSpan) const {
  if (TopRow + RowSpan > Count()) RowSpan = Count() - TopRow;
  const int PosCount = GetRow(TopRow)->Count();
  if (LeftCol + ColSpan > PosCount) ColSpan = PosCount - LeftCol;
  if (RowSpan <= 1 && ColSpan <= 1) return false;
  if (RowSpan <= 0 || ColSpan <= 0) throw EViroZereError("Parameters for cell merging are not correct");
  const TRVTableCellData* Cell = GetRow(TopRow)->GetCell(LeftCol);
  return Cell && (Cell->FRowSpan < RowSpan || Cell->FColSpan < ColSpan);
}

bool TRVTableRows::CanMergeCells(int TopRow, int LeftCol, int ColSpan, int RowSpan, bool AllowMergeRC) const {
  if (!NormalizeMergeRect(TopRow, LeftCol, ColSpan, RowSpan)) return false;
  const TRVTableCellData* TopLeft = GetRow(TopRow)->GetCell(LeftCol);
  bool OtherFound = false;
  for (int r = TopRow; r < TopRow + RowSpan; ++r)
    for (int c = LeftCol; c < LeftCol + ColSpan; ++c) {
      int mr = r, mc = c;
      const TRVTableCellData* Cell = GetRow(r)->GetCell(c);
      if (!Cell) Cell = GetMainCell(r, c, mr, mc);
      if (!Cell) return false;
      if (mr < TopRow || mc < LeftCol || mr + Cell->FRowSpan > TopRow + RowSpan ||
          mc + Cell->FColSpan > LeftCol + ColSpan)
        return false;
      if (Cell != TopLeft) OtherFound = true;
    }
  if (AllowMergeRC) return OtherFound;
  // Refuse merges that leave a column or a row without a cell of its own.
  if (ColSpan > 1)
    for (int c = LeftCol + 1; c < LeftCol + ColSpan; ++c) {
      bool HasCell = false;
      for (int r = 0; r < Count() && !HasCell; ++r)
        if ((r < TopRow || r >= TopRow + RowSpan) && GetRow(r)->GetCell(c)) HasCell = true;
      if (!HasCell) return false;
    }
  if (RowSpan > 1)
    for (int r = TopRow + 1; r < TopRow + RowSpan; ++r) {
      bool HasCell = false;
      const TRVTableRow* Row = GetRow(r);
      for (int c = 0; c < Row->Count() && !HasCell; ++c)
        if ((c < LeftCol || c >= LeftCol + ColSpan) && Row->GetCell(c)) HasCell = true;
      if (!HasCell) return false;
    }
  return true;
}

// ---- the table item ---------------------------------------------------------------------------------

TRVTableItemInfo::TRVTableItemInfo(TCustomRVData* RVData) : TRVCustomTableItemInfo(RVData) { InitTable(1, 1, RVData); }

TRVTableItemInfo::TRVTableItemInfo(int nRows, int nCols, TCustomRVData* AMainRVData)
    : TRVCustomTableItemInfo(AMainRVData) {
  InitTable(nRows, nCols, AMainRVData);
}

std::unique_ptr<TRVTableItemInfo> TRVTableItemInfo::CreateEx(int nRows, int nCols, TCustomRVData* AMainRVData) {
  return std::make_unique<TRVTableItemInfo>(nRows, nCols, AMainRVData);
}

void TRVTableItemInfo::InitTable(int nRows, int nCols, TCustomRVData* AMainRVData) {
  Fmt = GetFormattingInfoClass()(false);
  StyleNo = ItemKindTable;
  FRows = std::make_unique<TRVTableRows>(nRows, nCols, AMainRVData, this);
  FBorderWidth = 0;
  FCellBorderWidth = 0;
  FBorderStyle = rvtbRaised;
  FCellBorderStyle = rvtbLowered;
  FOpacity = 100000;
  FCellHSpacing = FCellVSpacing = FBorderHSpacing = FBorderVSpacing = 2;
  FCellHPadding = FCellVPadding = 1;
  FHRuleWidth = FVRuleWidth = 0;
  for (int i = 0; i < RVTableColorPropertyCount; ++i)
    FColors[static_cast<std::size_t>(i)] = GetDefaultColorValue(static_cast<TRVTableColorProperty>(i));
  FIntegerProperties = {1, 1, 0};
  FSelStartCol = FSelStartRow = -1;
  FSelColOffs = FSelRowOffs = 0;
  FOptions = RVTableDefaultOptions;
  FPrintOptions = RVTableDefaultPrintOptions;
  // The pointers over the outer borders that select whole columns and rows.
  SetScreenCursor(crRVSelectCol, LoadCursorResource(u"RV_SELECTCOL_CURSOR"));
  SetScreenCursor(crRVSelectRow, LoadCursorResource(u"RV_SELECTROW_CURSOR"));
  FTextRowSeparator = FTextColSeparator = rvtable_detail::CRLF;
  FocusedCellRow = FocusedCellCol = ChosenCellRow = ChosenCellCol = -1;
  FVisibleBorders = std::make_unique<TRVBooleanRect>(true);
  FState.Include(rvtsJustCreated);
  FState.Include(rvtsModified);
}

TRVTableItemInfo::~TRVTableItemInfo() {
  if (FRows && FRows->FMainRVData) {
    if (FInplaceEditor) CloseInplace(false);
    if (TCustomRVFormattedData* Doc = FRows->FMainRVData->AsFormattedData()) Doc->ReleaseMouseCapture(this);
  }
  if (Fmt) Fmt->Clear();
  FRows.reset();
}

TRVTableCellDataClass TRVTableItemInfo::GetCellDataClass() const {
  return [](TRVTableRow* ARow) -> TRVTableCellData* { return new TRVTableCellData(ARow); };
}

TRVTableItemFormattingInfoClass TRVTableItemInfo::GetFormattingInfoClass() const {
  return [](bool CreateRows) { return std::make_unique<TRVTableItemFormattingInfo>(CreateRows); };
}

bool TRVTableItemInfo::GetCellPosition(const TRVTableCellData* Cell, int& Row, int& Col) const {
  if (Cell && Cell->FCachedRow >= 0 && Cell->FCachedRow < RowCount() && Cell->FCachedCol >= 0 &&
      Cell->FCachedCol < FRows->GetRow(Cell->FCachedRow)->Count() &&
      GetCells(Cell->FCachedRow, Cell->FCachedCol) == Cell) {
    Row = Cell->FCachedRow;
    Col = Cell->FCachedCol;
    return true;
  }
  for (int r = 0; r < RowCount(); ++r) {
    const TRVTableRow* R = FRows->GetRow(r);
    for (int c = 0; c < R->Count(); ++c)
      if (R->GetCell(c) == Cell && Cell) {
        auto* Mutable = const_cast<TRVTableCellData*>(Cell);
        Mutable->FCachedRow = Row = r;
        Mutable->FCachedCol = Col = c;
        return true;
      }
  }
  Row = Col = -1;
  return false;
}

TRVStyle* TRVTableItemInfo::GetRVStyle() const {
  return FRows && FRows->FMainRVData ? FRows->FMainRVData->GetRVStyle() : nullptr;
}

int TRVTableItemInfo::GetMyItemNo() {
  TCustomRVData* Doc = FRows ? FRows->FMainRVData : nullptr;
  if (!Doc) return -1;
  if (CachedItemNo >= 0 && CachedItemNo < Doc->ItemCount() && Doc->GetItem(CachedItemNo) == this) return CachedItemNo;
  CachedItemNo = -1;
  for (int i = 0; i < Doc->ItemCount(); ++i)
    if (Doc->GetItem(i) == this) {
      CachedItemNo = i;
      break;
    }
  return CachedItemNo;
}

int TRVTableItemInfo::GetDevHPadding() const {
  TRVStyle* Style = GetRVStyle();
  if (!Style) return FCellHPadding;
  return cursad ? Style->GetAsDevicePixelsX(FCellHPadding, cursad) : Style->GetAsPixels(FCellHPadding);
}

int TRVTableItemInfo::GetDevVPadding() const {
  TRVStyle* Style = GetRVStyle();
  if (!Style) return FCellVPadding;
  return cursad ? Style->GetAsDevicePixelsY(FCellVPadding, cursad) : Style->GetAsPixels(FCellVPadding);
}

TColor TRVTableItemInfo::GetDefaultColorValue(TRVTableColorProperty ColorType) {
  switch (ColorType) {
    case rvtcColor: return clWindow;
    case rvtcBorderColor:
    case rvtcCellBorderColor:
    case rvtcVRuleColor:
    case rvtcHRuleColor: return clWindowText;
    case rvtcBorderLightColor:
    case rvtcCellBorderLightColor: return clBtnHighlight;
    default: return clNone;
  }
}

void TRVTableItemInfo::SetColor(TRVTableColorProperty ColorType, TColor Value) { FColors[ColorType] = Value; }

void TRVTableItemInfo::SetIntegerProperty(int Index, int Value) {
  FIntegerProperties[static_cast<std::size_t>(Index)] = Value;
}

TRVStyleLength TRVTableItemInfo::GetCellPadding() const {
  // The mean of the two paddings, a half going to the even neighbour.
  const long long Sum = static_cast<long long>(FCellHPadding) + FCellVPadding;
  long long Half = Sum / 2;
  if (Sum % 2 != 0) {
    // Sum / 2 truncates toward zero; the two neighbours are Half and Half +- 1.
    const long long Other = Sum > 0 ? Half + 1 : Half - 1;
    if (Half % 2 != 0) Half = Other;
  }
  return static_cast<TRVStyleLength>(Half);
}

void TRVTableItemInfo::SetCellPadding(TRVStyleLength Value) {
  FCellHPadding = Value;
  FCellVPadding = Value;
}

void TRVTableItemInfo::SetVisibleBorders(TRVBooleanRect* Value) { FVisibleBorders->Assign(Value); }

TGraphic* TRVTableItemInfo::GetBackgroundImage() const {
  TRVGraphicHolder* Holder = GetBackgroundImageGraphicHolder();
  return Holder ? Holder->GetGraphic() : nullptr;
}

TRVGraphicHolder* TRVTableItemInfo::GetBackgroundImageGraphicHolder() const {
  return FBackground ? FBackground->GetGraphicHolder() : nullptr;
}

bool TRVTableItemInfo::HasBackgroundImage() const {
  TRVGraphicHolder* Holder = GetBackgroundImageGraphicHolder();
  return Holder && !Holder->IsEmpty();
}

void TRVTableItemInfo::SetBackgroundImage(TGraphic* Value) {
  // The background object exists only while it holds a picture or a picture style.
  if (!Value || Value->GetEmpty()) {
    if (FBackground) {
      FBackground->FreeImage();
      if (FBackground->Empty()) FBackground.reset();
    }
    return;
  }
  if (!FBackground) FBackground = std::make_unique<TRVBackground>(false, nullptr);
  FBackground->AssignImage(Value, FRows ? FRows->FMainRVData : nullptr, true, nullptr);
}

TRVItemBackgroundStyle TRVTableItemInfo::GetBackgroundStyle() const {
  return FBackground ? FBackground->GetItemBackStyle() : rvbsColor;
}

void TRVTableItemInfo::SetBackgroundStyle(TRVItemBackgroundStyle Value) {
  if (Value == GetBackgroundStyle()) return;
  if (!FBackground && Value != rvbsColor) FBackground = std::make_unique<TRVBackground>(false, nullptr);
  if (!FBackground) return;
  FBackground->FreeThumbnail();
  FBackground->SetItemBackStyle(Value);
  if (FBackground->EmptyImage() && Value == rvbsColor) FBackground.reset();
}

void TRVTableItemInfo::GetSelectionBounds(int& StartRow, int& StartCol, int& RowOffs, int& ColOffs) {
  StartRow = FSelStartRow;
  StartCol = FSelStartCol;
  RowOffs = FSelRowOffs;
  ColOffs = FSelColOffs;
}

void TRVTableItemInfo::Select(int StartRow, int StartCol, int RowOffs, int ColOffs) {
  FSelStartRow = StartRow;
  FSelStartCol = StartCol;
  FSelRowOffs = RowOffs;
  FSelColOffs = ColOffs;
  if (StartRow >= 0)
    FState.Include(rvtsSelExists);
  else
    FState.Exclude(rvtsSelExists);
}

// ---- published properties -------------------------------------------------------------------------

const std::vector<UnicodeString>& RVTableBorderStyleNames() {
  static const std::vector<UnicodeString> names{u"rvtbRaised", u"rvtbLowered", u"rvtbColor", u"rvtbRaisedColor",
                                                u"rvtbLoweredColor"};
  return names;
}

const std::vector<UnicodeString>& RVItemBackgroundStyleNames() {
  static const std::vector<UnicodeString> names{u"rvbsColor", u"rvbsStretched", u"rvbsTiled", u"rvbsCentered"};
  return names;
}

namespace rvtable_detail {

template <TRVTableColorProperty P>
void AddColor(TClassInfoBuilder<TRVTableItemInfo>& B, const char16_t* Name) {
  B.Integer(
      Name, [](TRVTableItemInfo& t) { return static_cast<std::int64_t>(t.GetColor(P)); },
      [](TRVTableItemInfo& t, std::int64_t v) { t.SetColor(P, static_cast<TColor>(v)); },
      static_cast<std::int64_t>(TRVTableItemInfo::GetDefaultColorValue(P)));
}

}  // namespace rvtable_detail

const TClassInfo& TRVTableItemInfo::StaticClassInfo() {
  using T = TRVTableItemInfo;
  static const TClassInfo info = [] {
    TClassInfoBuilder<T> B(u"TRVTableItemInfo", &inherited::StaticClassInfo());
    using rvtable_detail::AddColor;
    AddColor<rvtcColor>(B, u"Color");
    AddColor<rvtcBorderColor>(B, u"BorderColor");
    AddColor<rvtcBorderLightColor>(B, u"BorderLightColor");
    AddColor<rvtcCellBorderColor>(B, u"CellBorderColor");
    AddColor<rvtcCellBorderLightColor>(B, u"CellBorderLightColor");
    AddColor<rvtcVRuleColor>(B, u"VRuleColor");
    AddColor<rvtcHRuleColor>(B, u"HRuleColor");
    AddColor<rvtcHeadingRowColor>(B, u"HeadingRowColor");
    AddColor<rvtcLastRowColor>(B, u"LastRowColor");
    AddColor<rvtcOddRowsColor>(B, u"OddRowsColor");
    AddColor<rvtcEvenRowsColor>(B, u"EvenRowsColor");
    AddColor<rvtcFirstColumnColor>(B, u"FirstColumnColor");
    AddColor<rvtcLastColumnColor>(B, u"LastColumnColor");
    AddColor<rvtcOddColumnsColor>(B, u"OddColumnsColor");
    AddColor<rvtcEvenColumnsColor>(B, u"EvenColumnsColor");
    AddColor<rvtcCellOverrideColor>(B, u"CellOverrideColor");
    B.Integer(u"HeadingRowCount", &T::GetHeadingRowCount, &T::SetHeadingRowCount, 0)
        .Integer(u"RowBandSize", &T::GetRowBandSize, &T::SetRowBandSize, 1)
        .Integer(u"ColBandSize", &T::GetColBandSize, &T::SetColBandSize, 1)
        .Integer(u"Opacity", &T::GetOpacity, &T::SetOpacity, 100000)
        .Enum(u"BackgroundStyle", &T::GetBackgroundStyle, &T::SetBackgroundStyle, RVItemBackgroundStyleNames(),
              rvbsColor)
        .Set(
            u"Options", &T::GetOptions, &T::SetOptions,
            {u"rvtoEditing", u"rvtoRowSizing", u"rvtoColSizing", u"rvtoRowSelect", u"rvtoColSelect",
             u"rvtoNoCellSelect", u"rvtoRTFSaveCellPixelBestWidth", u"rvtoRTFAllowAutofit", u"rvtoHideGridLines",
             u"rvtoOverlappingCorners", u"rvtoCellBelowBorders", u"rvtoIgnoreContentWidth", u"rvtoIgnoreContentHeight"},
            RVTableDefaultOptions)
        .Set(u"PrintOptions", &T::GetPrintOptions, &T::SetPrintOptions,
             {u"rvtoHalftoneBorders", u"rvtoRowsSplit", u"rvtoWhiteBackground", u"rvtoContinue"},
             RVTableDefaultPrintOptions)
        .Integer(u"BestWidth", &T::GetBestWidth, &T::SetBestWidth, 0)
        .String(u"TextRowSeparator", &T::GetTextRowSeparator, &T::SetTextRowSeparator)
        .StoredIf([](T&) { return true; })
        .String(u"TextColSeparator", &T::GetTextColSeparator, &T::SetTextColSeparator)
        .StoredIf([](T&) { return true; })
        .Integer(u"BorderWidth", &T::GetBorderWidth, &T::SetBorderWidth, 0)
        .Enum(u"BorderStyle", &T::GetBorderStyle, &T::SetBorderStyle, RVTableBorderStyleNames(), rvtbRaised)
        .Integer(u"BorderVSpacing", &T::GetBorderVSpacing, &T::SetBorderVSpacing, 2)
        .Integer(u"BorderHSpacing", &T::GetBorderHSpacing, &T::SetBorderHSpacing, 2)
        .Object(u"VisibleBorders", &T::GetVisibleBorders)
        .StoredIf([](T& t) { return !t.GetVisibleBorders()->IsAllEqual(true); })
        .Integer(u"CellHPadding", &T::GetCellHPadding, &T::SetCellHPadding)
        .StoredIf(&T::IsCellHPaddingStored)
        .Integer(u"CellVPadding", &T::GetCellVPadding, &T::SetCellVPadding)
        .StoredIf(&T::IsCellVPaddingStored)
        .Integer(u"CellPadding", &T::GetCellPadding, &T::SetCellPadding)
        .StoredIf(&T::IsCellPaddingStored)
        .Enum(u"CellBorderStyle", &T::GetCellBorderStyle, &T::SetCellBorderStyle, RVTableBorderStyleNames(),
              rvtbLowered)
        .Integer(u"CellBorderWidth", &T::GetCellBorderWidth, &T::SetCellBorderWidth, 0)
        .Integer(u"CellVSpacing", &T::GetCellVSpacing, &T::SetCellVSpacing, 2)
        .Integer(u"CellHSpacing", &T::GetCellHSpacing, &T::SetCellHSpacing, 2)
        .Integer(u"VRuleWidth", &T::GetVRuleWidth, &T::SetVRuleWidth, 0)
        .Integer(u"HRuleWidth", &T::GetHRuleWidth, &T::SetHRuleWidth, 0)
        .Boolean(u"VOutermostRule", &T::GetVOutermostRule, &T::SetVOutermostRule, false)
        .Boolean(u"HOutermostRule", &T::GetHOutermostRule, &T::SetHOutermostRule, false);
    return B.Build();
  }();
  return info;
}
