#include "engine/tables/RVTableCellData.h"

#include "engine/document/RVControlItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/editor/RVUndo.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVGraphicHolder.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVBorder.h"
#include "engine/styles/RVStyle.h"
#include "engine/tables/RVTable.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/graphics/Pictures.h"

namespace rvtablecell_detail {

// The document holding the table, when it is a formatted one.
TCustomRVFormattedData* TableDocument(const TRVTableCellData* Cell) {
  TCustomRVData* Parent = Cell->GetParentData();
  return Parent ? Parent->AsFormattedData() : nullptr;
}

bool IsDocumentFormatted(TCustomRVFormattedData* Doc) { return Doc && Doc->DrawItems && Doc->DrawItems->Count() > 0; }

// The color the cell shows: the table's override color, else the one the table finds for its
// position; the cell's own color while it is in no table.
TColor CellColorInTable(const TRVTableCellData* Cell, TColor Own, bool UseTableColor, bool UseParentBackground) {
  TRVTableItemInfo* Table = Cell->GetTable();
  if (!Table) return Own;
  const TColor Override = Table->GetColor(rvtcCellOverrideColor);
  if (Override != clNone) return Override;
  int Row, Col;
  if (!Table->GetCellPosition(Cell, Row, Col)) return Own;
  return Table->GetCellColor(Row, Col, UseTableColor, UseParentBackground);
}

// Adds States to Data's state now and removes them again when the guard ends (also when an
// exception passes).
class TStateGuard {
 public:
  TStateGuard() = default;
  TStateGuard(const TStateGuard&) = delete;
  TStateGuard& operator=(const TStateGuard&) = delete;
  ~TStateGuard() {
    for (TCustomRVData* Data : FData) Data->State.Exclude(FState);
  }
  void Add(TCustomRVData* Data, TRVState AState) {
    FState = AState;
    if (!Data || Data->State.Contains(AState)) return;
    Data->State.Include(AState);
    FData.push_back(Data);
  }

 private:
  TRVState FState{};
  std::vector<TCustomRVData*> FData;
};

}  // namespace rvtablecell_detail

TRVTableCellData::TRVTableCellData(TRVTableRow* ARow) : TRVItemFormattedData(ARow) {
  FVisibleBorders = std::make_unique<TRVBooleanRect>(true);
  FRowSpan = 1;
  FColSpan = 1;
  ResetProperties();
  AddNL(TRVUnicodeString(), 0, 0);
}

TRVTableCellData::~TRVTableCellData() {
  if (TRVTableItemInfo* Table = GetTable()) Table->ForgetLastCellMovedAbove(this);
}

void TRVTableCellData::ResetProperties() {
  FVisibleBorders->SetAll(true);
  FColor = clNone;
  FBorderColor = clNone;
  FBorderLightColor = clNone;
  FVAlign = rvcVDefault;
  FOpacity = 100000;
  State.Clear();
  FBestWidth = 0;
  FBestHeight = 0;
  FBackground.reset();
  FBackgroundImageFileName.clear();
  FHint.clear();
  FTag.clear();
  FRotation = rvrotNone;
  FOptions = TRVTableCellOptions{};
}

void TRVTableCellData::AssignAttributesFrom(TRVTableCellData* Cell, bool IncludeSize, int DivColSpan, int DivRowSpan) {
  FColor = Cell->FColor;
  FBorderColor = Cell->FBorderColor;
  FBorderLightColor = Cell->FBorderLightColor;
  FOpacity = Cell->FOpacity;
  FVisibleBorders->Assign(Cell->FVisibleBorders.get());
  FVAlign = Cell->FVAlign;
  FBackgroundImageFileName = Cell->FBackgroundImageFileName;
  FRotation = Cell->FRotation;
  FOptions = Cell->FOptions;
  FHint = Cell->FHint;
  FTag = Cell->FTag;
  if (IncludeSize) {
    FBestWidth = Cell->FBestWidth / DivColSpan;
    FBestHeight = Cell->FBestHeight / DivRowSpan;
  }
}

TRVTableRow* TRVTableCellData::GetRow() const { return static_cast<TRVTableRow*>(FList); }

TRVTableItemInfo* TRVTableCellData::GetTable() const {
  TRVTableRow* Row = GetRow();
  return Row && Row->FRows ? Row->FRows->FTable : nullptr;
}

TCustomRVData* TRVTableCellData::GetRVData() {
  TRVTableItemInfo* Table = GetTable();
  if (Table && Table->FInplaceEditor && Table->GetEditedCell() == this)
    if (TCustomRVFormattedData* EditorData = Table->GetInplaceEditorRVData()) return EditorData;
  return this;
}

TObject* TRVTableCellData::GetEditor() {
  TRVTableItemInfo* Table = GetTable();
  if (Table && Table->FInplaceEditor && Table->GetEditedCell() == this) return Table->FInplaceEditor;
  return nullptr;
}

TCustomRVData* TRVTableCellData::Edit() {
  TRVTableItemInfo* Table = GetTable();
  if (Table && !GetEditor()) {
    int Row, Col;
    if (Table->GetCellPosition(this, Row, Col)) Table->EditCell(Row, Col);
  }
  return GetRVData();
}

void TRVTableCellData::GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location) const {
  TRVTableItemInfo* Table = GetTable();
  int Row = -1, Col = -1;
  if (Table) Table->GetCellPosition(this, Row, Col);
  if (!FParentLocation) FParentLocation = std::make_unique<TRVTableStoreSubRVData>(Row, Col);
  auto* Kept = static_cast<TRVTableStoreSubRVData*>(FParentLocation.get());
  Kept->Row = Row;
  Kept->Col = Col;
  Location = Kept;
  ParentItemNo = Table ? Table->GetMyItemNo() : -1;
}

void TRVTableCellData::GetItemHint(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& /*UpperRVDataHint*/,
                                   TRVUnicodeString& Hint) {
  if (TCustomRVData* Parent = GetAbsoluteParentData()) Parent->GetItemHint(RVData, ItemNo, FHint, Hint);
  if (Hint.empty()) Hint = FHint;
}

void TRVTableCellData::ColorChanged() {
  // The cell editor takes its colour from the table when table editing opens one; the formatted
  // document holding the table repaints its animations over the new colour.
  TCustomRVFormattedData* Doc = rvtablecell_detail::TableDocument(this);
  if (rvtablecell_detail::IsDocumentFormatted(Doc)) Doc->ResetAniBackground();
}

void TRVTableCellData::SetColor(TColor Value) {
  FColor = Value;
  ColorChanged();
}

void TRVTableCellData::SetOpacity(TRVOpacity Value) {
  FOpacity = Value;
  ColorChanged();
}
void TRVTableCellData::SetVisibleBorders(TRVBooleanRect* Value) { FVisibleBorders->Assign(Value); }

TGraphic* TRVTableCellData::GetBackgroundImage() const {
  TRVGraphicHolder* Holder = GetBackgroundImageGraphicHolder();
  return Holder ? Holder->GetGraphic() : nullptr;
}

void TRVTableCellData::SetBackgroundImage(TGraphic* Value) {
  if (!Value || Value->GetEmpty()) {
    if (FBackground) {
      FBackground->FreeImage();
      if (FBackground->Empty()) FBackground.reset();
    }
    return;
  }
  if (!FBackground) FBackground = std::make_unique<TRVBackground>(false, nullptr);
  FBackground->AssignImage(Value, this, true, nullptr);
  ColorChanged();
}

TRVItemBackgroundStyle TRVTableCellData::GetBackgroundStyle() const {
  return FBackground ? FBackground->GetItemBackStyle() : rvbsColor;
}

void TRVTableCellData::SetBackgroundStyle(TRVItemBackgroundStyle Value) {
  if (Value == GetBackgroundStyle()) return;
  if (!FBackground && Value != rvbsColor) FBackground = std::make_unique<TRVBackground>(false, nullptr);
  if (FBackground) {
    FBackground->FreeThumbnail();
    FBackground->SetItemBackStyle(Value);
    if (FBackground->EmptyImage() && Value == rvbsColor) FBackground.reset();
  }
  ColorChanged();
}

TRVGraphicHolder* TRVTableCellData::GetBackgroundImageGraphicHolder() const {
  return FBackground ? FBackground->GetGraphicHolder() : nullptr;
}

bool TRVTableCellData::HasBackgroundImage() const {
  TRVGraphicHolder* Holder = GetBackgroundImageGraphicHolder();
  return Holder && !Holder->IsEmpty();
}

void TRVTableCellData::SaveBackgroundImageToStream(TStream* Stream) {
  if (TRVGraphicHolder* Holder = GetBackgroundImageGraphicHolder()) Holder->SaveToStream(*Stream, false);
}

void TRVTableCellData::SaveBackgroundImageToFile(const TRVUnicodeString& FileName) {
  if (TRVGraphicHolder* Holder = GetBackgroundImageGraphicHolder()) Holder->SaveToFile(FileName);
}

void TRVTableCellData::AssignSizeFrom(const TRVTableCellData* Cell) {
  FLeft = Cell->FLeft;
  FTop = Cell->FTop;
  FWidth = Cell->FWidth;
  FHeight = Cell->FHeight;
}

bool TRVTableCellData::HasData(bool CheckStyles) {
  const int n = ItemCount();
  if (n == 0) return false;
  if (n > 1) return true;
  const TCustomRVItemInfo* Item = GetItem(0);
  if (Item->Checkpoint) return true;
  const bool IsText = Item->StyleNo >= 0;
  if (CheckStyles) return !(IsText && Item->StyleNo == 0 && Item->ParaNo == 0 && GetItemTextW(0).empty());
  return !IsText || !GetItemTextW(0).empty();
}

bool TRVTableCellData::CanClear() {
  TRVStyle* Style = GetRVStyle();
  if (!Style) return true;
  for (int i = 0; i < ItemCount(); ++i) {
    TCustomRVItemInfo* Item = GetItem(i);
    if (Item->StyleNo >= 0) {
      const int StyleNo = Item->GetActualTextStyleNo(Style);
      if (StyleNo >= 0 && StyleNo < Style->TextStyles()->Count() &&
          Style->TextStyles()->Items(StyleNo)->Protection.Contains(rvprDeleteProtect))
        return false;
    } else if (auto* NonText = dynamic_cast<TRVNonTextItemInfo*>(Item); NonText && NonText->DeleteProtect) {
      return false;
    }
  }
  return true;
}

TRVCellVAlign TRVTableCellData::GetRealVAlign() {
  if (FVAlign != rvcVDefault) return FVAlign;
  TRVTableRow* Row = GetRow();
  if (Row && Row->FVAlign != rvcVDefault) return Row->FVAlign;
  return rvcMiddle;
}

int TRVTableCellData::GetExtraVOffs() {
  if (FRotation != rvrotNone) return 0;
  const TRVCellVAlign VAlign = GetRealVAlign();
  if (VAlign != rvcMiddle && VAlign != rvcBottom) return 0;
  TCustomRVData* Data = GetRVData();
  TCustomRVFormattedData* Formatted = Data->AsFormattedData();
  const int ContentHeight = Formatted ? Formatted->DocumentHeight : 0;
  TRVTableItemInfo* Table = GetTable();
  const int VPadding = Data == this && Table ? Table->GetDevVPadding() : 0;
  if (VAlign == rvcMiddle) return (FHeight - ContentHeight) / 2 - VPadding;
  return FHeight - ContentHeight - 2 * VPadding;
}

int TRVTableCellData::GetBestHeightPixels() const {
  if (FBestHeight <= 0) return 0;
  TRVTableItemInfo* Table = GetTable();
  TRVStyle* Style = Table ? Table->GetRVStyle() : nullptr;
  if (!Style) return FBestHeight;
  return Table->cursad ? Style->GetAsDevicePixelsY(FBestHeight, Table->cursad) : Style->GetAsPixels(FBestHeight);
}

int TRVTableCellData::GetCellHeight(TRVStyle* /*RVStyle*/) {
  TRVTableItemInfo* Table = GetTable();
  const bool IgnoreContent = FBestHeight > 0 && Table && Table->GetOptions().Contains(rvtoIgnoreContentHeight);
  int Result = 0;
  if (!IsVerticalText() && !IgnoreContent) {
    TCustomRVData* Data = GetRVData();
    if (Data != this) {
      TCustomRVFormattedData* Formatted = Data->AsFormattedData();
      Result = (Formatted ? Formatted->DocumentHeight : 0) - 2 * (Table ? Table->GetDevVPadding() : 0);
    } else {
      Result = DocumentHeight;
    }
  }
  const int Best = GetBestHeightPixels();
  return Best > Result ? Best : Result;
}

int TRVTableCellData::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas) {
  if (ItemCount() == 0 || IsVerticalText()) return 0;
  TRVStyle* Style = GetRVStyle();
  if (ItemCount() == 1 && GetItem(0)->StyleNo >= 0 && GetItemTextW(0).empty()) {
    if (!Style) return 0;
    const int ParaNo = GetItem(0)->ParaNo;
    if (ParaNo < 0 || ParaNo >= Style->ParaStyles()->Count()) return 0;
    const TParaInfo* Para = Style->ParaStyles()->Items(ParaNo);
    auto Dev = [&](TRVStyleLength v) { return sad ? Style->GetAsDevicePixelsX(v, sad) : Style->GetAsPixels(v); };
    return Dev(Para->LeftIndent) + Dev(Para->RightIndent) + Dev(Para->FirstIndent);
  }
  TCustomRVData* Data = GetRVData();
  TCustomRVFormattedData* Formatted = Data->AsFormattedData();
  const int Result = Formatted ? Formatted->CalculateMinDocWidthPlus(0, sad, Canvas) : 0;
  return Result == 0 && Data == this ? 10 : Result;
}

TColor TRVTableCellData::GetColor() { return rvtablecell_detail::CellColorInTable(this, FColor, true, true); }

TColor TRVTableCellData::GetCellColor() { return rvtablecell_detail::CellColorInTable(this, FColor, false, false); }

int TRVTableCellData::GetWidth() const {
  TRVTableItemInfo* Table = GetTable();
  return FWidth - 2 * (Table ? Table->GetDevHPadding() : 0);
}

int TRVTableCellData::GetHeight() {
  TRVTableItemInfo* Table = GetTable();
  return FHeight - 2 * (Table ? Table->GetDevVPadding() : 0);
}

int TRVTableCellData::GetHOffs() {
  TRVTableItemInfo* Table = GetTable();
  if (!Table) return -FLeft;
  return -Table->GetDevHPadding() - Table->MyClientLeft - FLeft;
}

int TRVTableCellData::GetVOffs() {
  TRVTableItemInfo* Table = GetTable();
  if (!Table) return -FTop;
  return -Table->GetDevVPadding() - Table->MyClientTop - GetExtraVOffs() - FTop;
}

void TRVTableCellData::AddTableOffset(int& ALeft, int& ATop) {
  TRVTableItemInfo* Table = GetTable();
  if (!Table) {
    ALeft += FLeft;
    ATop += FTop + GetExtraVOffs();
    return;
  }
  if (TCustomRVFormattedData* Doc = rvtablecell_detail::TableDocument(this)) {
    int ItemLeft = 0, ItemTop = 0;
    const int ItemNo = Table->GetMyItemNo();
    if (ItemNo >= 0 && Doc->GetItemCoords(ItemNo, ItemLeft, ItemTop)) {
      ALeft += ItemLeft;
      ATop += ItemTop;
    }
  }
  ALeft += Table->GetDevHPadding() + FLeft;
  ATop += Table->GetDevVPadding() + FTop + GetExtraVOffs();
}

void TRVTableCellData::GetOrigin(int& ALeft, int& ATop) {
  ALeft = ATop = 0;
  if (TCustomRVFormattedData* Doc = rvtablecell_detail::TableDocument(this)) Doc->GetOrigin(ALeft, ATop);
  AddTableOffset(ALeft, ATop);
}

void TRVTableCellData::GetOriginEx(int& ALeft, int& ATop) {
  ALeft = ATop = 0;
  if (TCustomRVFormattedData* Doc = rvtablecell_detail::TableDocument(this)) Doc->GetOriginEx(ALeft, ATop);
  AddTableOffset(ALeft, ATop);
}

void TRVTableCellData::ResetSubCoords() {
  TRVItemFormattedData::ResetSubCoords();
  if (TCustomRVFormattedData* Doc = rvtablecell_detail::TableDocument(this)) Doc->ResetSubCoords();
  if (TRVTableItemInfo* Table = GetTable()) Table->ResetSubCoords();
}

int TRVTableCellData::GetTransformedY(int Y, int LineTopY, int LineBottomY) {
  if (!IsLineOrderReversed()) return Y;
  return DocumentHeight + Y + GetTopMargin() - GetBottomMargin() - LineBottomY - LineTopY;
}

int TRVTableCellData::GetTransformedDItemTop(int DrawItemNo) {
  if (!IsLineOrderReversed()) return TRVItemFormattedData::GetTransformedDItemTop(DrawItemNo);
  int LineTop, LineBottom, First, Last;
  GetLineVerticalBoundsOrigEx(DrawItemNo, LineTop, LineBottom, First, Last);
  return GetTransformedY(DrawItems->Get(DrawItemNo)->Top, LineTop, LineBottom);
}

int TRVTableCellData::GetTransformedDItemObjectTop(int DrawItemNo) {
  TRVDrawLineInfo* DrawItem = DrawItems->Get(DrawItemNo);
  if (!IsLineOrderReversed()) return DrawItem->GetObjectTop();
  if (dynamic_cast<TRVFloatingDrawLineInfo*>(DrawItem))
    return DocumentHeight + GetTopMargin() - GetBottomMargin() - DrawItem->GetObjectTop() - DrawItem->GetObjectHeight();
  return GetTransformedDItemTop(DrawItemNo);
}

void TRVTableCellData::AssignChosenRVData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) {
  if (TRVTableItemInfo* Table = GetTable()) Table->SetChosenCell(this);
  TRVItemFormattedData::AssignChosenRVData(RVData, Item);
  if (FChosenRVData && FChosenRVData != RVData) UnassignChosenRVData(FChosenRVData);
  FChosenRVData = RVData;
  FChosenItem = Item;
}

void TRVTableCellData::UnassignChosenRVData(TCustomRVData* RVData) {
  TRVItemFormattedData::UnassignChosenRVData(RVData);
  if (State.Contains(rvstUnAssigningChosen)) return;
  rvtablecell_detail::TStateGuard Guard;
  Guard.Add(this, rvstUnAssigningChosen);
  TCustomRVData* Current = GetRVData();
  if (Current != this) Guard.Add(Current, rvstUnAssigningChosen);
  if (FChosenRVData && (RVData == FChosenRVData || RVData == FChosenRVData->GetSourceRVData())) {
    TCustomRVFormattedData* Chosen = FChosenRVData;
    TCustomRVItemInfo* Item = FChosenItem;
    Chosen->Deselect(nullptr, false);
    FChosenRVData = nullptr;
    FChosenItem = nullptr;
    if (Item) Item->CleanUpChosen();
  }
}

void TRVTableCellData::Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent) {
  TRVItemFormattedData::Deselect(NewPartiallySelected, MakeEvent);
  if (ContainerUndoItem || State.Contains(rvstDeselecting)) return;
  rvtablecell_detail::TStateGuard Guard;
  Guard.Add(this, rvstDeselecting);
  TCustomRVData* Current = GetRVData();
  if (Current != this) Guard.Add(Current, rvstDeselecting);
  TCustomRVFormattedData* Doc = rvtablecell_detail::TableDocument(this);
  if (!NewPartiallySelected && rvtablecell_detail::IsDocumentFormatted(Doc)) Doc->UnassignChosenRVData(this);
}

TCustomRVFormattedData* TRVTableCellData::GetUndoOwnerRVData() const {
  return ContainerUndoItem ? ContainerUndoItem->GetUndoListOwnerRVData() : nullptr;
}

void TRVTableCellData::MovingToUndoList(TRVUndoInfo* AContainerUndoItem) {
  if (FBackground) FBackground->FreeThumbnail();
  if (TCustomRVData* Root = GetAbsoluteRootData(); Root && Root != this)
    if (auto* Viewer = dynamic_cast<TCustomViroZere*>(Root->GetParentControl()))
      Viewer->RemoveRVDataFromLiveSpelling(this);
  if (TRVTableItemInfo* Table = GetTable()) Table->ForgetLastCellMovedAbove(this);
  for (int i = 0; i < ItemCount(); ++i) GetItem(i)->MovingToUndoList(i, this, AContainerUndoItem);
  ContainerUndoItem = AContainerUndoItem;
  FList = nullptr;
}

void TRVTableCellData::MovingFromUndoList() {
  ContainerUndoItem = nullptr;
  for (int i = 0; i < ItemCount(); ++i) GetItem(i)->MovingFromUndoList(i, this);
}

TRVOptions TRVTableCellData::GetOptions() {
  if (TCustomRVFormattedData* Owner = GetUndoOwnerRVData()) {
    TRVOptions Result = Owner->GetOptions();
    Result.Exclude(rvoClientTextWidth);
    return Result;
  }
  return TRVItemFormattedData::GetOptions();
}

void TRVTableCellData::ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, TRVUnicodeString& Text,
                                  TCustomRVData* RVData) {
  if (TCustomRVFormattedData* Owner = GetUndoOwnerRVData()) {
    Owner->ItemAction(Action, Item, Text, RVData);
    return;
  }
  TRVItemFormattedData::ItemAction(Action, Item, Text, RVData);
}

void TRVTableCellData::ControlAction2(TCustomRVData* RVData, TRVControlAction AControlAction, int ItemNo,
                                      TObject* Control) {
  if (TCustomRVFormattedData* Owner = GetUndoOwnerRVData()) {
    if (AControlAction == rvcaDestroy) {
      AControlAction = rvcaDestroyInUndoList;
      ItemNo = -1;
    }
    Owner->ControlAction2(RVData, AControlAction, ItemNo, Control);
    return;
  }
  TCustomRVData* Root = GetAbsoluteRootData();
  if (Root && Root != this) Root->ControlAction2(RVData, AControlAction, ItemNo, Control);
}

void TRVTableCellData::ControlAction(TCustomRVData* RVData, TRVControlAction AControlAction, int ItemNo,
                                     TCustomRVItemInfo* Item) {
  if (auto* ControlItem = dynamic_cast<TRVControlItemInfo*>(Item))
    ControlAction2(RVData, AControlAction, ItemNo, ControlItem->Control);
}

bool TRVTableCellData::HasNoListHost() const {
  if (ContainerUndoItem) return true;
  TRVTableItemInfo* Table = GetTable();
  return !Table || !Table->GetRows()->FMainRVData;
}

TRVMarkerList* TRVTableCellData::GetMarkers(bool AllowCreate) {
  return HasNoListHost() ? nullptr : TRVItemFormattedData::GetMarkers(AllowCreate);
}

TRVSeqList* TRVTableCellData::GetSeqList(bool AllowCreate) {
  return HasNoListHost() ? nullptr : TRVItemFormattedData::GetSeqList(AllowCreate);
}

TList* TRVTableCellData::GetPrintFieldList(bool AllowCreate) {
  return HasNoListHost() ? nullptr : TRVItemFormattedData::GetPrintFieldList(AllowCreate);
}

void TRVTableCellData::AdjustFocus(int NewFocusedItemNo, TCustomRVData* TopLevelRVData, int TopLevelItemNo) {
  TRVItemFormattedData::AdjustFocus(NewFocusedItemNo, TopLevelRVData, TopLevelItemNo);
  if (TRVTableItemInfo* Table = GetTable()) Table->SetFocusedCell(this);
}

void TRVTableCellData::ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* RVStyle, bool ConvertItems) {
  TRVItemFormattedData::ConvertToDifferentUnits(NewUnits, RVStyle, ConvertItems);
  if (!RVStyle) return;
  FBestHeight = RVStyle->GetAsDifferentUnits(FBestHeight, NewUnits);
  // A percentage stays what it is.
  if (FBestWidth > 0) FBestWidth = RVStyle->GetAsDifferentUnits(FBestWidth, NewUnits);
}

bool TRVTableCellData::KeepTogether() {
  TRVTableRow* Row = GetRow();
  return Row && Row->FKeepTogether;
}

TRVDocRotation TRVTableCellData::GetRotation() const { return IsWinNT ? FRotation : rvrotNone; }

bool TRVTableCellData::UseVerticalFonts() { return IsVerticalText() && FOptions.Contains(rvtcoUseVerticalFonts); }

namespace rvtablecell_detail {

enum TBackMode { bmNone, bmSolid, bmMixed, bmOpaquePicture };

void OffsetRect(TRect& R, int DX, int DY) {
  R.Left += DX;
  R.Right += DX;
  R.Top += DY;
  R.Bottom += DY;
}

std::unique_ptr<TBitmap> NewFilledBitmap(const TRect& Rect, TColor Color) {
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetSize(std::max(0, Rect.Right - Rect.Left), std::max(0, Rect.Bottom - Rect.Top));
  if (Color != clNone && !Bitmap->GetEmpty()) {
    TCanvas* Canvas = Bitmap->GetCanvas();
    Canvas->Brush().SetColor(Color);
    Canvas->FillRect(TRect(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight()));
  }
  return Bitmap;
}

// The item paragraph's background, or nil.
TRVBackgroundRect* ParaBackground(TCustomRVData* Data, int ItemNo) {
  TRVStyle* Style = Data->GetRVStyle();
  if (!Style) return nullptr;
  const int ParaNo = Data->GetItem(ItemNo)->ParaNo;
  if (ParaNo < 0 || ParaNo >= Style->ParaStyles()->Count()) return nullptr;
  return Style->ParaStyles()->Items(ParaNo)->Background();
}

// Whether the table item lies within its document's selection.
bool TableSelectedInDocument(TCustomRVFormattedData* Doc, int TableItemNo) {
  if (!Doc || TableItemNo < 0) return false;
  if (Doc->State.Contains(rvstCompletelySelected)) return true;
  int StartNo, StartOffs, EndNo, EndOffs;
  Doc->GetSelectionBoundsEx(StartNo, StartOffs, EndNo, EndOffs, true);
  if (StartNo < 0 || EndNo < 0) return false;
  const bool StartsBefore = StartNo < TableItemNo || (StartNo == TableItemNo && StartOffs <= 0);
  const bool EndsAfter = EndNo > TableItemNo || (EndNo == TableItemNo && EndOffs >= 1);
  return StartsBefore && EndsAfter && !(StartNo == EndNo && StartOffs == EndOffs);
}

}  // namespace rvtablecell_detail

void TRVTableCellData::GetItemBackground(int ItemNo, TRect& Rect, bool MakeImageRect, TColor& Color,
                                         std::unique_ptr<TBitmap>& Bitmap, bool& UseBitmap,
                                         TRVGraphicInterface* GraphicInterface, bool AllowThumbnails, bool Printing,
                                         int LocalPageNo) {
  using namespace rvtablecell_detail;
  UseBitmap = false;
  TRVStyle* Style = GetRVStyle();
  TRVBackgroundRect* ParaBack = ParaBackground(this, ItemNo);
  // 1. An opaque paragraph background hides everything below.
  if (ParaBack && ParaBack->Color != clNone && ParaBack->Opacity >= 100000) {
    Color = ParaBack->Color;
    return;
  }
  TRVTableItemInfo* Table = GetTable();
  TCustomRVFormattedData* Doc = TableDocument(this);
  // 2. The selection colour over a selected cell or table.
  if (!Printing && Style &&
      (State.Contains(rvstCompletelySelected) || (Table && TableSelectedInDocument(Doc, Table->GetMyItemNo())))) {
    Color = Style->SelColor;
    if (Color != clNone) return;
  }
  // 3. The cell's colour and the rectangle in the cell's screen orientation.
  Color = GetCellColor();
  if (MakeImageRect) {
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    const int DrawItemNo = Item->DrawItemNo;
    if (DrawItemNo >= 0 && DrawItemNo < DrawItems->Count()) {
      const int BorderW = Style ? Style->GetAsPixels(Item->GetBorderWidth()) : Item->GetBorderWidth();
      const int BorderH = Style ? Style->GetAsPixels(Item->GetBorderHeight()) : Item->GetBorderHeight();
      const int Left = DrawItems->Get(DrawItemNo)->Left + BorderW;
      const int Top = GetTransformedDItemTop(DrawItemNo) + BorderH;
      Rect = TRect(Left, Top, Left + Item->GetImageWidth(Style), Top + Item->GetImageHeight(Style));
    }
  }
  if (GetRVData() != this) OffsetRect(Rect, 0, GetExtraVOffs());
  if (FRotation != rvrotNone) {
    Rect.Left -= 1;
    Rect.Top -= 1;
    Rect.Right += 1;
    Rect.Bottom += 1;
  }
  RotateRectFromDocToScreen(Rect, rvtrbLocal);
  if (GetRVData() == this && Table) OffsetRect(Rect, Table->GetDevHPadding(), Table->GetDevVPadding());
  // 4. What the cell itself contributes.
  TBackMode Mode;
  if (!HasBackgroundImage() && !(ParaBack && ParaBack->IsSemitransparent()) && !HasExtraBackground()) {
    if (Color == clNone || FOpacity <= 0)
      Mode = bmNone;
    else if (FOpacity >= 100000)
      Mode = bmSolid;
    else
      Mode = bmMixed;
  } else if (Color == clNone || FOpacity < 100000) {
    Mode = !FBackground || FBackground->IsSemitransparent() ? bmMixed : bmOpaquePicture;
  } else {
    Mode = bmOpaquePicture;
  }
  if (Mode == bmSolid) return;
  const TColor CellColor = Color;
  if (Mode == bmOpaquePicture) {
    // 5.
    Bitmap = NewFilledBitmap(Rect, Color);
  } else {
    // 6. What the table shows under the cell.
    TColor TableColor = Table ? Table->GetColor(rvtcColor) : clNone;
    const TRVOpacity TableOpacity = Table ? Table->GetOpacity() : 100000;
    TRVBackgroundRect* TableParaBack =
        Table && Doc && Table->GetMyItemNo() >= 0 ? ParaBackground(Doc, Table->GetMyItemNo()) : nullptr;
    const TColor TableParaColor = TableParaBack ? TableParaBack->Color : clNone;
    const TRVOpacity TableParaOpacity = TableParaBack ? TableParaBack->Opacity : 100000;
    TBackMode TableMode;
    if (Table && Table->HasBackgroundImage()) {
      TableMode = (TableColor != clNone && TableOpacity >= 100000) ||
                          (TableParaColor != clNone && TableParaOpacity >= 100000) ||
                          !Table->GetBackground()->IsSemitransparent()
                      ? bmOpaquePicture
                      : bmMixed;
    } else if (TableColor == clNone && TableParaColor == clNone) {
      TableMode = bmNone;
    } else {
      const bool Full =
          (TableColor == clNone || TableOpacity >= 100000) && (TableParaColor == clNone || TableParaOpacity >= 100000);
      TableMode = Full ? bmSolid : bmMixed;
    }
    if (TableColor == clNone) TableColor = TableParaColor;
    if (TableMode == bmSolid) {
      Color = TableColor;
      if (Mode == bmNone) return;
      Bitmap = NewFilledBitmap(Rect, Color);
    } else if (TableMode == bmOpaquePicture) {
      Color = TableColor;
      Bitmap = NewFilledBitmap(Rect, Color);
      Table->GetBackground()->Draw(Bitmap->GetCanvas(), TRect(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight()), 0, 0,
                                   -FLeft - Rect.Left, -FTop - Rect.Top, Table->GetTableWidth(),
                                   Table->GetTableHeight(), Color, TableOpacity, false, false, GraphicInterface, this,
                                   nullptr, AllowThumbnails);
      if (Mode == bmNone) {
        if (ParaBack)
          ParaBack->Draw(TRect(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight()), Bitmap->GetCanvas(), Printing,
                         GetPaintColorMode(), GraphicInterface, true);
        UseBitmap = true;
        return;
      }
    } else {
      // The document holding the table answers for what lies behind it: another cell asks its
      // own table in turn; a document of its own shows its colour.
      Color = Doc ? Doc->GetColor() : clNone;
      if (auto* Outer = dynamic_cast<TRVTableCellData*>(Doc); Outer && Table) {
        TRect OuterRect = Rect;
        int ItemLeft = 0, ItemTop = 0;
        Outer->GetItemCoords(Table->GetMyItemNo(), ItemLeft, ItemTop);
        OffsetRect(OuterRect, ItemLeft + FLeft, ItemTop + FTop);
        std::unique_ptr<TBitmap> OuterBitmap;
        bool OuterUseBitmap = false;
        Outer->GetItemBackground(Table->GetMyItemNo(), OuterRect, false, Color, OuterBitmap, OuterUseBitmap,
                                 GraphicInterface, AllowThumbnails, Printing, LocalPageNo);
        if (OuterUseBitmap) Bitmap = std::move(OuterBitmap);
      }
      if (TableMode == bmMixed && Table) {
        if (!Bitmap) Bitmap = NewFilledBitmap(Rect, Color);
        const TRect Whole(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight());
        if (Table->HasBackgroundImage())
          Table->GetBackground()->Draw(Bitmap->GetCanvas(), Whole, 0, 0, -FLeft - Rect.Left, -FTop - Rect.Top,
                                       Table->GetTableWidth(), Table->GetTableHeight(), TableColor, TableOpacity, false,
                                       false, GraphicInterface, this, nullptr, AllowThumbnails);
        else if (TableColor != clNone && GraphicInterface)
          GraphicInterface->FillRectAlpha(Bitmap->GetCanvas(), Whole, TableColor, TableOpacity);
      }
      if (Mode == bmNone) {
        UseBitmap = Bitmap != nullptr;
        return;
      }
      if (!Bitmap) Bitmap = NewFilledBitmap(Rect, Color);
    }
  }
  // 7. The cell's own layer over what lies below.
  const TRect Whole(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight());
  if (HasBackgroundImage()) {
    FBackground->Draw(Bitmap->GetCanvas(), Whole, 0, 0, -Rect.Left, -Rect.Top, FWidth, FHeight, CellColor, FOpacity,
                      false, false, GraphicInterface, this, nullptr, AllowThumbnails);
  } else if (CellColor != clNone && FOpacity > 0 && GraphicInterface) {
    GraphicInterface->FillRectAlpha(Bitmap->GetCanvas(), Whole, CellColor, FOpacity);
  }
  TRect CellRect(0, 0, FWidth, FHeight);
  OffsetRect(CellRect, -Rect.Left, -Rect.Top);
  DrawExtraBackground(Bitmap->GetCanvas(), CellRect);
  if (ParaBack) ParaBack->Draw(Whole, Bitmap->GetCanvas(), Printing, GetPaintColorMode(), GraphicInterface, true);
  UseBitmap = true;
}

const TClassInfo& TRVTableCellData::StaticClassInfo() {
  using T = TRVTableCellData;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TRVTableCellData", &inherited::StaticClassInfo())
          .Integer(u"Color", &T::GetCellColorProp, &T::SetColor, clNone)
          .Integer(u"Opacity", &T::GetOpacity, &T::SetOpacity, 100000)
          .Integer(u"BorderColor", &T::GetBorderColor, &T::SetBorderColor, clNone)
          .Integer(u"BorderLightColor", &T::GetBorderLightColor, &T::SetBorderLightColor, clNone)
          .Integer(u"BestWidth", &T::GetBestWidth, &T::SetBestWidth, 0)
          .Integer(u"BestHeight", &T::GetBestHeight, &T::SetBestHeight, 0)
          .Object(u"VisibleBorders", &T::GetVisibleBorders)
          .StoredIf([](T& c) { return !c.GetVisibleBorders()->IsAllEqual(true); })
          .Enum(u"VAlign", &T::GetVAlign, &T::SetVAlign, {u"rvcTop", u"rvcMiddle", u"rvcBottom", u"rvcVDefault"},
                rvcVDefault)
          .Enum(u"BackgroundStyle", &T::GetBackgroundStyle, &T::SetBackgroundStyle, RVItemBackgroundStyleNames(),
                rvbsColor)
          .String(u"BackgroundImageFileName", &T::GetBackgroundImageFileName, &T::SetBackgroundImageFileName)
          .String(u"Hint", &T::GetHint, &T::SetHint)
          .Enum(u"Rotation", &T::GetCellRotation, &T::SetRotation, {u"rvrotNone", u"rvrot90", u"rvrot180", u"rvrot270"},
                rvrotNone)
          .String(u"Tag", &T::GetTag, &T::SetTag)
          .Set(u"Options", &T::GetCellOptions, &T::SetCellOptions, {u"rvtcoReverseLineOrder", u"rvtcoUseVerticalFonts"},
               TRVTableCellOptions{})
          .Build();
  return info;
}
