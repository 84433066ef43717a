#include "engine/tables/RVTableCellData.h"

#include "engine/document/RVTextItems.h"
#include "engine/editor/RVUndo.h"
#include "engine/foundation/RVGraphicHolder.h"
#include "engine/styles/RVStyle.h"
#include "engine/tables/RVTable.h"

namespace rvtablecell_detail {}  // namespace rvtablecell_detail

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

void TRVTableCellData::AssignAttributesFrom(TRVTableCellData* Cell, bool IncludeSize, int DivColSpan,
                                            int DivRowSpan) {
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

TRVTableRow* TRVTableCellData::GetRow() const {
  return static_cast<TRVTableRow*>(FList);
}

TRVTableItemInfo* TRVTableCellData::GetTable() const {
  TRVTableRow* Row = GetRow();
  return Row && Row->FRows ? Row->FRows->FTable : nullptr;
}

TCustomRVData* TRVTableCellData::GetRVData() {
  return this;
}

TObject* TRVTableCellData::GetEditor() {
  return nullptr;
}

TCustomRVData* TRVTableCellData::Edit() {
  return GetRVData();
}

void TRVTableCellData::GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location) const {
  TRVTableItemInfo* Table = GetTable();
  int Row = -1, Col = -1;
  if (Table) Table->GetCellPosition(this, Row, Col);
  Location = new TRVTableStoreSubRVData(Row, Col);
  ParentItemNo = Table ? Table->GetMyItemNo() : -1;
}

void TRVTableCellData::GetItemHint(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& /*UpperRVDataHint*/,
                                   TRVUnicodeString& Hint) {
  if (TCustomRVData* Parent = GetAbsoluteParentData()) Parent->GetItemHint(RVData, ItemNo, FHint, Hint);
  if (Hint.empty()) Hint = FHint;
}

void TRVTableCellData::SetColor(TColor Value) { FColor = Value; }
void TRVTableCellData::SetOpacity(TRVOpacity Value) { FOpacity = Value; }
void TRVTableCellData::SetVisibleBorders(TRVBooleanRect* Value) { FVisibleBorders->Assign(Value); }

TGraphic* TRVTableCellData::GetBackgroundImage() const {
  TRVGraphicHolder* Holder = GetBackgroundImageGraphicHolder();
  return Holder ? Holder->GetGraphic() : nullptr;
}

void TRVTableCellData::SetBackgroundImage(TGraphic* /*Value*/) {}

TRVItemBackgroundStyle TRVTableCellData::GetBackgroundStyle() const {
  return FBackground ? FBackground->GetItemBackStyle() : rvbsColor;
}

void TRVTableCellData::SetBackgroundStyle(TRVItemBackgroundStyle /*Value*/) {}

TRVGraphicHolder* TRVTableCellData::GetBackgroundImageGraphicHolder() const {
  return FBackground ? FBackground->GetGraphicHolder() : nullptr;
}

bool TRVTableCellData::HasBackgroundImage() const {
  TRVGraphicHolder* Holder = GetBackgroundImageGraphicHolder();
  return Holder && !Holder->IsEmpty();
}

void TRVTableCellData::SaveBackgroundImageToStream(TStream* /*Stream*/) {}
void TRVTableCellData::SaveBackgroundImageToFile(const TRVUnicodeString& /*FileName*/) {}

void TRVTableCellData::AssignSizeFrom(const TRVTableCellData* Cell) {
  FLeft = Cell->FLeft;
  FTop = Cell->FTop;
  FWidth = Cell->FWidth;
  FHeight = Cell->FHeight;
}

bool TRVTableCellData::HasData(bool /*CheckStyles*/) { return ItemCount() > 0; }
bool TRVTableCellData::CanClear() { return true; }

TRVCellVAlign TRVTableCellData::GetRealVAlign() {
  if (FVAlign != rvcVDefault) return FVAlign;
  TRVTableRow* Row = GetRow();
  if (Row && Row->FVAlign != rvcVDefault) return Row->FVAlign;
  return rvcMiddle;
}

int TRVTableCellData::GetExtraVOffs() { return 0; }
int TRVTableCellData::GetCellHeight(TRVStyle* /*RVStyle*/) { return DocumentHeight; }
int TRVTableCellData::GetMinWidth(const TRVScreenAndDevice* /*sad*/, TCanvas* /*Canvas*/) { return 10; }

TColor TRVTableCellData::GetColor() { return FColor; }
TColor TRVTableCellData::GetCellColor() { return FColor; }

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

void TRVTableCellData::GetOrigin(int& ALeft, int& ATop) {
  ALeft = FLeft;
  ATop = FTop;
}

void TRVTableCellData::GetOriginEx(int& ALeft, int& ATop) {
  ALeft = FLeft;
  ATop = FTop;
}

void TRVTableCellData::ResetSubCoords() {}

int TRVTableCellData::GetTransformedY(int Y, int /*LineTopY*/, int /*LineBottomY*/) { return Y; }
int TRVTableCellData::GetTransformedDItemObjectTop(int DrawItemNo) {
  return TRVItemFormattedData::GetTransformedDItemObjectTop(DrawItemNo);
}

void TRVTableCellData::AssignChosenRVData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) {
  FChosenRVData = RVData;
  FChosenItem = Item;
}

void TRVTableCellData::UnassignChosenRVData(TCustomRVData* /*RVData*/) {}

void TRVTableCellData::Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent) {
  TRVItemFormattedData::Deselect(NewPartiallySelected, MakeEvent);
}

void TRVTableCellData::MovingToUndoList(TRVUndoInfo* AContainerUndoItem) {
  ContainerUndoItem = AContainerUndoItem;
  FList = nullptr;
}

void TRVTableCellData::MovingFromUndoList() { ContainerUndoItem = nullptr; }

TRVOptions TRVTableCellData::GetOptions() { return TRVItemFormattedData::GetOptions(); }

void TRVTableCellData::ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, TRVUnicodeString& Text,
                                  TCustomRVData* RVData) {
  TRVItemFormattedData::ItemAction(Action, Item, Text, RVData);
}

void TRVTableCellData::ControlAction2(TCustomRVData* RVData, TRVControlAction AControlAction, int ItemNo,
                                      TObject* Control) {
  TRVItemFormattedData::ControlAction2(RVData, AControlAction, ItemNo, Control);
}

void TRVTableCellData::ControlAction(TCustomRVData* RVData, TRVControlAction AControlAction, int ItemNo,
                                     TCustomRVItemInfo* Item) {
  TRVItemFormattedData::ControlAction(RVData, AControlAction, ItemNo, Item);
}

TRVMarkerList* TRVTableCellData::GetMarkers(bool AllowCreate) { return TRVItemFormattedData::GetMarkers(AllowCreate); }
TRVSeqList* TRVTableCellData::GetSeqList(bool AllowCreate) { return TRVItemFormattedData::GetSeqList(AllowCreate); }
TList* TRVTableCellData::GetPrintFieldList(bool AllowCreate) {
  return TRVItemFormattedData::GetPrintFieldList(AllowCreate);
}

void TRVTableCellData::AdjustFocus(int NewFocusedItemNo, TCustomRVData* TopLevelRVData, int TopLevelItemNo) {
  TRVItemFormattedData::AdjustFocus(NewFocusedItemNo, TopLevelRVData, TopLevelItemNo);
}

void TRVTableCellData::ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* RVStyle, bool ConvertItems) {
  TRVItemFormattedData::ConvertToDifferentUnits(NewUnits, RVStyle, ConvertItems);
}

bool TRVTableCellData::KeepTogether() {
  TRVTableRow* Row = GetRow();
  return Row && Row->FKeepTogether;
}

TRVDocRotation TRVTableCellData::GetRotation() const { return FRotation; }

bool TRVTableCellData::UseVerticalFonts() {
  return IsVerticalText() && FOptions.Contains(rvtcoUseVerticalFonts);
}

void TRVTableCellData::GetItemBackground(int /*ItemNo*/, TRect& /*Rect*/, bool /*MakeImageRect*/, TColor& Color,
                                         TBitmap*& /*Bitmap*/, bool& UseBitmap,
                                         TRVGraphicInterface* /*GraphicInterface*/, bool /*AllowThumbnails*/,
                                         bool /*Printing*/, int /*LocalPageNo*/) {
  UseBitmap = false;
  Color = GetCellColor();
}

const TClassInfo& TRVTableCellData::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVTableCellData>(u"TRVTableCellData", &inherited::StaticClassInfo()).Build();
  return info;
}
