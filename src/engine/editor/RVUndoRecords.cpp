// The undo records of the editor: what each keeps, how it undoes itself through the opposite
// primitive edit and how much formatting that needs.
#include "engine/editor/RVUndoRecords.h"

#include "engine/document/CustomRVData.h"
#include "engine/document/RVTextItems.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVError.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace {

// The editor data a record undoes on; a record that reaches anything else refuses.
TRVEditRVData* EditData(TCustomRVData* RVData) {
  auto* d = RVData ? dynamic_cast<TRVEditRVData*>(RVData->GetRVData()) : nullptr;
  if (!d) throw EViroZereError("Undo error");
  return d;
}

// The item number a record names must still be in the document: a record that outlived the
// document it was made for refuses instead of reaching past the item list.
void CheckRecordItem(TCustomRVData* RVData, int ItemNo) {
  if (ItemNo < 0 || ItemNo >= RVData->ItemCount()) throw EViroZereError("Undo error");
}

int DocWidth(TCustomRVData* RVData) {
  TCustomRVFormattedData* fd = RVData ? RVData->AsFormattedData() : nullptr;
  return fd ? fd->DocumentWidth : -1;
}

// The minimum width of the paragraph sections of items First..Last (0 outside the document).
int RangeMinWidth(TCustomRVData* RVData, int First, int Last) {
  TCustomRVFormattedData* fd = RVData ? RVData->AsFormattedData() : nullptr;
  if (!fd || First < 0 || First > Last || Last >= fd->ItemCount()) return 0;
  return fd->CalculateParaSectionsMinWidthDef(First, Last);
}

}  // namespace

// ---- shared helpers -----------------------------------------------------------------------------

int RVUndoItemMinWidth(TCustomRVData* RVData, int ItemNo) {
  TCustomRVFormattedData* fd = RVData ? RVData->AsFormattedData() : nullptr;
  if (!fd || ItemNo < 0 || ItemNo >= fd->ItemCount()) return 0;
  return fd->CalculateMinItemWidthPlusEx(ItemNo);
}

bool RVUndoWidthCheck(TCustomRVData* RVData, int ItemNo, int OldWidth) {
  if (!RVData || ItemNo < 0 || ItemNo >= RVData->ItemCount()) return false;
  const int w = RVUndoItemMinWidth(RVData, ItemNo), d = DocWidth(RVData);
  return w != OldWidth && (OldWidth >= d || d < w);
}

void RVUndoFreeHeldItem(TCustomRVData* RVData, TCustomRVItemInfo* Item) {
  if (!Item) return;
  std::unique_ptr<TCustomRVItemInfo> guard(Item);
  if (RVData) {
    TRVUnicodeString text = Item->ItemText;
    RVData->ItemAction(rviaDestroying, Item, text, RVData);
    RVData->ControlAction(RVData, rvcaDestroyInUndoList, -1, Item);
  }
  Item->Tag.clear();
  if (TRVCPInfo* cp = Item->Checkpoint) {
    Item->Checkpoint = nullptr;
    cp->Tag.clear();
    delete cp;
  }
}

// ---- record bases -------------------------------------------------------------------------------

void TRVUndoItemNoInfo::GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* /*RVData*/) {
  if (ItemNo < 0) return;
  StartItem = ItemNo;
  EndItem = LastAffectedItemNo >= 0 ? LastAffectedItemNo : ItemNo;
}

TRVUndoItemInfo::~TRVUndoItemInfo() {
  // Destructors must not raise: a notification handler that fails here loses only its notice.
  try {
    RVUndoFreeHeldItem(OwnerData, Item);
  } catch (const Exception&) {
  }
  Item = nullptr;
}

TRVUndoItemListInfo::TRVUndoItemListInfo() : List(std::make_unique<TRVItemList>()) {}

TRVUndoItemListInfo::~TRVUndoItemListInfo() {
  for (int i = 0; i < List->Count(); ++i) {
    try {
      RVUndoFreeHeldItem(OwnerData, List->GetObject(i));
    } catch (const Exception&) {
    }
  }
  List->Clear();
}

void TRVUndoItemRangeInfo::GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* /*RVData*/) {
  StartItem = StartItemNo;
  EndItem = LastAffectedItemNo >= 0 ? LastAffectedItemNo : StartItemNo + List->Count();
}

bool TRVUndoModifyItemProps::RequiresFullReformat1(TCustomRVData* RVData) {
  if (!(AffectSize && AffectWidth)) return false;
  OldW = RVUndoItemMinWidth(RVData, ItemNo);
  return OldW >= DocWidth(RVData);
}

bool TRVUndoModifyItemProps::RequiresFullReformat2(TCustomRVData* RVData) {
  if (!(AffectSize && AffectWidth)) return false;
  const int w = RVUndoItemMinWidth(RVData, ItemNo);
  return w != OldW && w > DocWidth(RVData);
}

// ---- items and their text ----------------------------------------------------------------------

void TRVUndoDeleteItemInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  if (!Item || ItemNo < 0 || ItemNo > d->ItemCount()) throw EViroZereError("Undo error");
  TRVUnicodeString text = s;
  TCustomRVItemInfo* item = Item;
  Item = nullptr;  // the document owns it from here, also when the insertion raises part-way
  try {
    d->Do_InsertItem(ItemNo, text, item, true, FR);
  } catch (...) {
    if (d->GetItemNo(item) < 0) Item = item;  // not taken: the record keeps it
    throw;
  }
}

bool TRVUndoDeleteItemInfo::RequiresFullReformat2(TCustomRVData* RVData) {
  return FR || RVUndoItemMinWidth(RVData, ItemNo) > DocWidth(RVData);
}

void TRVUndoDeleteItemsInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  if (StartItemNo < 0 || StartItemNo > d->ItemCount()) throw EViroZereError("Undo error");
  const int n = List->Count();
  try {
    d->Do_InsertItems(StartItemNo, List.get(), true, FR);
  } catch (...) {
    // Items the document took are its own now; the record keeps only the rest.
    for (int i = List->Count() - 1; i >= 0; --i)
      if (d->GetItemNo(List->GetObject(i)) >= 0) List->Delete(i);
    throw;
  }
  EndItemNo = StartItemNo + n - 1;
  List->Clear();
}

int TRVUndoDeleteItemsInfo::ItemsAdded() { return List->Count(); }

bool TRVUndoDeleteItemsInfo::RequiresFullReformat2(TCustomRVData* RVData) {
  return FR || RangeMinWidth(RVData, StartItemNo, EndItemNo) > DocWidth(RVData);
}

void TRVUndoDeleteSubstringInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  OldWidth = RVUndoItemMinWidth(d, ItemNo);
  d->Do_InsertSubstring(ItemNo, Index, s);
}

bool TRVUndoDeleteSubstringInfo::RequiresFullReformat2(TCustomRVData* RVData) {
  return RVUndoWidthCheck(RVData, ItemNo, OldWidth);
}

void TRVUndoInsertItemInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  d->Do_DeleteItem(ItemNo, FR);
}

bool TRVUndoInsertItemInfo::RequiresFullReformat1(TCustomRVData* RVData) {
  if (ItemNo < 0 || ItemNo >= RVData->ItemCount()) return false;
  return RVUndoItemMinWidth(RVData, ItemNo) >= DocWidth(RVData);
}

void TRVUndoInsertItemsInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  if (Count <= 0) return;
  CheckRecordItem(d, ItemNo);
  CheckRecordItem(d, ItemNo + Count - 1);
  d->Do_DeleteItems(ItemNo, ItemNo + Count - 1, FR);
}

bool TRVUndoInsertItemsInfo::RequiresFullReformat1(TCustomRVData* RVData) {
  if (Count <= 0 || ItemNo < 0 || ItemNo + Count - 1 >= RVData->ItemCount()) return false;
  return RangeMinWidth(RVData, ItemNo, ItemNo + Count - 1) >= DocWidth(RVData);
}

void TRVUndoModifyItemInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  if (!Item) throw EViroZereError("Undo error");
  TCustomRVItemInfo* item = Item;
  Item = nullptr;
  d->Do_ModifyItem(ItemNo, s, item);
}

bool TRVUndoModifyItemInfo::RequiresFullReformat1(TCustomRVData* RVData) {
  TCustomRVFormattedData* fd = RVData->AsFormattedData();
  if (!fd || !Item || ItemNo < 0 || ItemNo >= RVData->ItemCount()) return false;
  TRVStyle* st = fd->GetRVStyle();
  if (!st) return false;
  TCanvas* canvas = fd->GetFormatCanvas();
  const int heldW = Item->GetMinWidth(nullptr, canvas, RVData);
  const int curW = RVData->GetItem(ItemNo)->GetMinWidth(nullptr, canvas, RVData);
  const int section = RVUndoItemMinWidth(RVData, ItemNo), d = fd->DocumentWidth;
  return (heldW != curW && section + heldW - curW > d) || section >= d;
}

void TRVUndoReplaceItemInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  if (!Item) throw EViroZereError("Undo error");
  TCustomRVItemInfo* item = Item;
  Item = nullptr;
  d->Do_ReplaceItem(ItemNo, item);
}

void TRVUndoChangeTextInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  OldWidth = RVUndoItemMinWidth(d, ItemNo);
  d->Do_ChangeText(ItemNo, s);
}

bool TRVUndoChangeTextInfo::RequiresFullReformat2(TCustomRVData* RVData) {
  return RVUndoWidthCheck(RVData, ItemNo, OldWidth);
}

void TRVUndoChangeVAlignInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  d->Do_ChangeVAlign(ItemNo, VAlign);
}

void TRVUndoResizeInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  OldWidth = RVUndoItemMinWidth(d, ItemNo);
  d->Do_Resize(ItemNo, Width, Height, false);
}

bool TRVUndoResizeInfo::RequiresFullReformat2(TCustomRVData* RVData) {
  return RVUndoWidthCheck(RVData, ItemNo, OldWidth);
}

void TRVUndoInsertSubstringInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  OldWidth = RVUndoItemMinWidth(d, ItemNo);
  d->Do_DeleteSubstring(ItemNo, Index, Length);
}

bool TRVUndoInsertSubstringInfo::RequiresFullReformat2(TCustomRVData* RVData) {
  return RVUndoWidthCheck(RVData, ItemNo, OldWidth);
}

// ---- styles ------------------------------------------------------------------------------------

void TRVUndoStyleNoInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  OldWidth = RVUndoItemMinWidth(d, ItemNo);
  d->Do_StyleNo(ItemNo, WasStyleNo);
}

bool TRVUndoStyleNoInfo::RequiresFullReformat2(TCustomRVData* RVData) {
  return RVUndoWidthCheck(RVData, ItemNo, OldWidth);
}

void TRVUndoAssociatedTextStyleNoInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  OldWidth = RVUndoItemMinWidth(d, ItemNo);
  d->Do_AssociatedTextStyleNo(ItemNo, WasStyleNo);
}

// ---- paragraph properties ----------------------------------------------------------------------

void TRVUndoNewLineInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  d->Do_NewLine(ItemNo, WasSameAsPrev, WasParaNo, FR);
}

void TRVUndoBRInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  bool fr = false;
  d->Do_BR(ItemNo, WasBR, fr);
}

void TRVUndoPageBreakInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  d->Do_PageBreak(ItemNo, WasPageBreak);
}

void TRVUndoClearTextFlowInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  d->Do_ClearTextFlow(ItemNo, WasClearLeft, WasClearRight);
}

void TRVUndoParaListInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  if (List.Count() == 0) return;
  CheckRecordItem(d, StartItemNo);
  CheckRecordItem(d, StartItemNo + List.Count() - 1);
  d->Do_ParaList(StartItemNo, &List, FR);
}

void TRVUndoParaListInfo::GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* /*RVData*/) {
  StartItem = StartItemNo;
  EndItem = StartItemNo + List.Count();
}

void TRVUndoChangeAllParasInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  if (!SubDoc) throw EViroZereError("Undo error");
  TRVIntegerList indices(Indices);
  d->Do_ChangeAllParas(nullptr, SubDoc, d->GetUndoList(), &indices);
}

void TRVUndoChangeAllTextStyleInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  if (!SubDoc) throw EViroZereError("Undo error");
  TRVIntegerList indices(Indices);
  d->Do_ChangeAllTextStyles(nullptr, SubDoc, d->GetUndoList(), &indices);
}

// ---- item properties ---------------------------------------------------------------------------

bool TRVUndoExtraProperty::RequiresFormat() {
  return ReformatType == rvrfNormal || ReformatType == rvrfFull || ReformatType == rvrfSRVReformat;
}

bool TRVUndoExtraProperty::RequiresFullReformat2(TCustomRVData* RVData) {
  if (ReformatType == rvrfFull) return true;
  if (ReformatType == rvrfSRVReformat && RVData->GetScaleViroZereInterface()) return true;
  return OldWidth >= 0 && RVUndoWidthCheck(RVData, ItemNo, OldWidth);
}

void TRVUndoExtraProperty::RememberWidth(TCustomRVData* RVData) {
  OldWidth = RequiresFormat() ? RVUndoItemMinWidth(RVData, ItemNo) : -1;
}

void TRVUndoExtraIntProperty::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  RememberWidth(d);
  d->Do_ExtraIntProperty(ItemNo, Prop, OldValue, ReformatType);
}

void TRVUndoExtraStrProperty::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  RememberWidth(d);
  d->Do_ExtraStrProperty(ItemNo, Prop, OldValue, ReformatType);
}

void TRVUndoTagInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  d->Do_Tag(ItemNo, WasTag, false);
}

void TRVUndoModifyItemIntProperty::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  if (TRVUndoModifyItemProps* opposite = d->Do_ModifyItemIntProperty(ItemNo, SubObject, PropertyName, Value, AffectSize,
                                                                     AffectWidth, GetOppositeClass()))
    SetOppositeUndoInfoProps(opposite);
}

void TRVUndoModifyItemStrProperty::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  if (TRVUndoModifyItemProps* opposite =
          d->Do_ModifyItemStrProperty(ItemNo, SubObject, PropertyName, Value, GetOppositeClass()))
    SetOppositeUndoInfoProps(opposite);
}

TRVUndoModifyItemIntProperties::TRVUndoModifyItemIntProperties() : PropList(std::make_unique<TStringList>()) {
  Action = rvuModifyItem;
}
TRVUndoModifyItemIntProperties::~TRVUndoModifyItemIntProperties() = default;

void TRVUndoModifyItemIntProperties::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  CheckRecordItem(d, ItemNo);
  if (TRVUndoModifyItemProps* opposite =
          d->Do_ModifyItemIntProperties(ItemNo, SubObject, PropList.get(), AffectSize, AffectWidth, GetOppositeClass()))
    SetOppositeUndoInfoProps(opposite);
}

void TRVUndoModifyItemTerminator::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  d->Do_ItemModifyTerminator(ItemNo, !Opening);
}

// ---- checkpoints -------------------------------------------------------------------------------

void TRVUndoAddCPInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  if (ItemNo != -1) CheckRecordItem(d, ItemNo);
  d->Do_DeleteCP(ItemNo);
}

TRVUndoDeleteCPInfo::~TRVUndoDeleteCPInfo() {
  if (Checkpoint) {
    Checkpoint->Tag.clear();
    delete Checkpoint;
    Checkpoint = nullptr;
  }
}

void TRVUndoDeleteCPInfo::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  if (ItemNo != -1) CheckRecordItem(d, ItemNo);
  if (!Checkpoint) throw EViroZereError("Undo error");
  TRVCPInfo* cp = Checkpoint;
  Checkpoint = nullptr;
  try {
    d->Do_AddCP(ItemNo, cp);
  } catch (...) {
    Checkpoint = cp;  // refused: the record keeps it
    throw;
  }
}

// ---- ranges, sub-documents, style sheets and the control ----------------------------------------

void TRVUndoReformateRange::Undo(TCustomRVData* RVData) {
  EditData(RVData)->Do_ReformateRange(ItemNo, LastAffectedItemNo, SuperReformat);
}

TRVUndoChangeSubDoc::~TRVUndoChangeSubDoc() { delete Stream; }

void TRVUndoChangeSubDoc::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  if (!SubDoc || !Stream) throw EViroZereError("Undo error");
  d->Do_ChangeSubDoc(Stream, SubDoc);
}

TRVUndoStyleTemplate::TRVUndoStyleTemplate() { Action = rvuMisc; }
TRVUndoStyleTemplate::~TRVUndoStyleTemplate() = default;

void TRVUndoStyleTemplate::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  if (!OldStyleTemplates) throw EViroZereError("Undo error");
  d->Do_ChangeStyleTemplates(OldStyleTemplates.get());
}

TRVUndoTextParaStyles::~TRVUndoTextParaStyles() = default;

void TRVUndoTextParaStyles::Undo(TCustomRVData* RVData) {
  TRVEditRVData* d = EditData(RVData);
  TRVStyle* st = SubDoc ? SubDoc->GetRVStyle() : nullptr;
  if (!st || !OldTextStyles || !OldParaStyles) throw EViroZereError("Undo error");
  d->Do_RememberStyles(SubDoc, d->GetUndoList());
  st->TextStyles()->Assign(OldTextStyles.get());
  st->ParaStyles()->Assign(OldParaStyles.get());
  if (SubDoc != RVData && SubDoc->GetFlags().Contains(rvflRoot))
    if (TCustomRVFormattedData* fd = SubDoc->AsFormattedData())
      fd->Format_(false, true, false, 0, fd->GetFormatCanvas(), false, false, false, true, false);
  if (auto sv = d->GetScaleViroZereInterface()) sv->UpdateHFEditors(true);
}

bool TRVUndoEditorIntProp::AffectsLayout() const {
  switch (Prop) {
    case rvipLeftMargin:
    case rvipRightMargin:
    case rvipTopMargin:
    case rvipBottomMargin:
    case rvipMaxTextWidth:
    case rvipMinTextWidth:
    case rvipBiDiMode: return true;
    default: return false;
  }
}

void TRVUndoEditorIntProp::Undo(TCustomRVData* RVData) { EditData(RVData)->Do_SetIntProperty(Prop, OldValue); }

TRVUndoBackgroundImage::~TRVUndoBackgroundImage() = default;

void TRVUndoBackgroundImage::Undo(TCustomRVData* RVData) { EditData(RVData)->Do_SetBackgroundImage(OldGraphic.get()); }

TRVCompositeUndo::TRVCompositeUndo() : UndoList(std::make_unique<TRVUndoList>(nullptr)) { Action = rvuMisc; }
TRVCompositeUndo::~TRVCompositeUndo() = default;

void TRVCompositeUndo::Undo(TCustomRVData* RVData) { UndoList->Undo(EditData(RVData)); }

void TRVCompositeUndo::GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* /*RVData*/) {
  StartItem = ItemNo;
  EndItem = ItemNo;
}

bool TRVCompositeUndo::HoldsMore() const { return UndoList && UndoList->Count() > 0; }
