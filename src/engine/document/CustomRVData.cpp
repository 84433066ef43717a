#include "engine/document/CustomRVData.h"

#include <exception>

#include "engine/document/RVBreakItem.h"
#include "engine/document/RVDataRootState.h"
#include "engine/document/RVDocParams.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVSeqItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVError.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/ui/Dialogs.h"

namespace {
// Sets a state flag for the lifetime of the object and restores its previous value.
class TStateScope {
 public:
  TStateScope(TRVStates& States, TRVState S) : FStates(States), FS(S), FWas(States.Contains(S)) { States.Include(S); }
  ~TStateScope() {
    if (!FWas) FStates.Exclude(FS);
  }

 private:
  TRVStates& FStates;
  TRVState FS;
  bool FWas;
};
}  // namespace

TCustomRVData::TCustomRVData() { CreateItemList(); }

TCustomRVData::~TCustomRVData() {
  // Descendants clear while their own parts exist (Clear is virtual and asks them); what is left
  // here is freed without asking anyone.
  if (FOwnsItems && FItems) {
    for (int i = 0; i < FItems->Count(); ++i) {
      TCustomRVItemInfo* item = FItems->GetObject(i);
      if (!item) continue;
      delete item->Checkpoint;
      delete item;
    }
    delete FItems;
  }
  delete NotAddedCP;
}

void TCustomRVData::CreateItemList() {
  if (FItems) return;
  FItems = new TRVItemList();
  FOwnsItems = true;
}

void TCustomRVData::DropOwnItemList() {
  if (FOwnsItems) delete FItems;
  FItems = nullptr;
  FOwnsItems = false;
}

// ---- delegation ---------------------------------------------------------------------------------------

TRVFlags TCustomRVData::GetFlags() const {
  TRVDataRootState* s = GetRootState();
  return s ? s->Flags : TRVFlags{};
}

void TCustomRVData::SetFlags(const TRVFlags& Value) {
  if (TRVDataRootState* s = GetRootState()) s->Flags = Value;
}

TRVDataRootProperties* TCustomRVData::GetRootProperties() {
  if (TRVDataRootState* s = GetRootState()) return s->Properties();
  TCustomRVData* r = GetAbsoluteRootData();
  return r != this ? r->GetRootProperties() : nullptr;
}

TRVDataRootEvents* TCustomRVData::GetRootEvents() {
  if (TRVDataRootState* s = GetRootState()) return s->Events();
  TCustomRVData* r = GetAbsoluteRootData();
  return r != this ? r->GetRootEvents() : nullptr;
}

bool TCustomRVData::GetWordWrap() {
  TCustomRVData* r = GetAbsoluteRootData();
  return r != this ? r->GetWordWrap() : true;
}

TRVOptions TCustomRVData::GetOptions() {
  if (TRVDataRootState* s = GetRootState()) return s->Options;
  TCustomRVData* r = GetRootData();
  return r != this ? r->GetOptions() : TRVOptions{};
}

void TCustomRVData::SetOptions(const TRVOptions& Value) {
  if (TRVDataRootState* s = GetRootState()) {
    s->Options = Value;
    return;
  }
  TCustomRVData* r = GetRootData();
  if (r != this) r->SetOptions(Value);
}

void TCustomRVData::GetSaveScopeRange(int, int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs,
                                      TRVMultiDrawItemPart*& StartPart, TRVMultiDrawItemPart*& EndPart,
                                      TCustomRVItemInfo*& SelectedItem) {
  StartItemNo = 0;
  StartOffs = ItemCount() > 0 ? GetOffsBeforeItem(0) : 0;
  EndItemNo = ItemCount() - 1;
  EndOffs = EndItemNo >= 0 ? GetOffsAfterItem(EndItemNo) : 0;
  StartPart = EndPart = nullptr;
  SelectedItem = nullptr;
}

int TCustomRVData::GetMaxLength() {
  TCustomRVData* r = GetAbsoluteRootData();
  return r != this ? r->GetMaxLength() : 0;
}

void TCustomRVData::ModifyStyleNoByTemplate(TCustomRVItemInfo* Item, int NewStyleNo) {
  if (Item->StyleNo >= 0)
    Item->StyleNo = NewStyleNo;
  else
    Item->SetAssociatedTextStyleNo(NewStyleNo);
}

TObject* TCustomRVData::GetRTFProperties() {
  TCustomRVData* r = GetRootData();
  return r != this ? r->GetRTFProperties() : nullptr;
}

TRVStyle* TCustomRVData::GetRVStyle() const {
  TCustomRVData* p = GetParentData();
  return p ? p->GetRVStyle() : nullptr;
}

TObject* TCustomRVData::GetParentControl() {
  TCustomRVData* r = GetRootData();
  return r != this ? r->GetParentControl() : nullptr;
}

void TCustomRVData::GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location) const {
  ParentItemNo = -1;
  Location = nullptr;
}

TCustomRVData* TCustomRVData::GetNoteText() {
  TCustomRVData* p = GetAbsoluteParentData();
  return p ? p->GetNoteText() : nullptr;
}

bool TCustomRVData::GetPrintedPageNumbers(int PageNo, int& DispPageNo, int& PageCount) {
  TCustomRVData* p = GetAbsoluteParentData();
  return p && p->GetPrintedPageNumbers(PageNo, DispPageNo, PageCount);
}

TRVBiDiMode TCustomRVData::GetBiDiMode() {
  TCustomRVData* r = GetRootData();
  return r != this ? r->GetBiDiMode() : rvbdUnspecified;
}

void TCustomRVData::ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, TRVUnicodeString& Text,
                               TCustomRVData* RVData) {
  TCustomRVData* r = GetAbsoluteRootData();
  if (r != this) r->ItemAction(Action, Item, Text, RVData);
}

void TCustomRVData::DoBeforeSaving() {
  if (!GetFlags().Contains(rvflRoot)) return;
  if (auto sv = GetScaleViroZereInterface()) sv->DoBeforeSaving(GetParentControl());
}

void TCustomRVData::AfterAddStyle(TCustomRVInfo* StyleInfo) {
  TCustomRVData* r = GetAbsoluteRootData();
  if (r != this) r->AfterAddStyle(StyleInfo);
}

TRVSeqList* TCustomRVData::GetSeqList(bool AllowCreate) {
  if (TRVDataRootState* s = GetRootState()) return s->GetSeqList(AllowCreate);
  TCustomRVData* p = GetAbsoluteParentData();
  return p ? p->GetSeqList(AllowCreate) : nullptr;
}

TRVMarkerList* TCustomRVData::GetMarkers(bool AllowCreate) {
  if (TRVDataRootState* s = GetRootState()) {
    // A list made now continues the markers before this document (GetPrevMarkers).
    TRVMarkerList* prev = AllowCreate && !s->GetMarkers(false, nullptr) ? GetPrevMarkers() : nullptr;
    return s->GetMarkers(AllowCreate, prev);
  }
  TCustomRVData* p = GetAbsoluteParentData();
  return p ? p->GetMarkers(AllowCreate) : nullptr;
}

TList* TCustomRVData::GetPrintFieldList(bool AllowCreate) {
  if (TRVDataRootState* s = GetRootState()) return s->GetPrintFieldList(AllowCreate);
  TCustomRVData* p = GetAbsoluteParentData();
  return p ? p->GetPrintFieldList(AllowCreate) : nullptr;
}

TRVDocParameters* TCustomRVData::GetDocParameters(bool AllowCreate) {
  if (TRVDataRootState* s = GetRootState()) return s->GetDocParameters(AllowCreate);
  TCustomRVData* r = GetAbsoluteRootData();
  return r != this ? r->GetDocParameters(AllowCreate) : nullptr;
}

TObject* TCustomRVData::GetDocObjects() {
  TRVDataRootState* s = GetRootState();
  return s ? s->GetDocObjects() : nullptr;
}

void TCustomRVData::DestroySeqList() {
  if (TRVDataRootState* s = GetRootState())
    s->DestroySeqList();
  else if (TCustomRVData* p = GetAbsoluteParentData())
    p->DestroySeqList();
}

void TCustomRVData::DestroyMarkers() {
  if (TRVDataRootState* s = GetRootState())
    s->DestroyMarkers();
  else if (TCustomRVData* p = GetAbsoluteParentData())
    p->DestroyMarkers();
}

void TCustomRVData::DestroyPrintFieldList() {
  if (TRVDataRootState* s = GetRootState())
    s->DestroyPrintFieldList();
  else if (TCustomRVData* p = GetAbsoluteParentData())
    p->DestroyPrintFieldList();
}

void TCustomRVData::GetItemHint(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& UpperRVDataHint,
                                TRVUnicodeString& Hint) {
  if (TCustomRVData* p = GetAbsoluteParentData()) {
    p->GetItemHint(RVData, ItemNo, UpperRVDataHint, Hint);
    return;
  }
  Hint = UpperRVDataHint;
  if (RVData && ItemNo >= 0 && ItemNo < RVData->ItemCount() && !RVData->GetItem(ItemNo)->Hint.empty())
    Hint = RVData->GetItem(ItemNo)->Hint;
}

void TCustomRVData::ControlAction(TCustomRVData* RVData, TRVControlAction AControlAction, int ItemNo,
                                  TCustomRVItemInfo* Item) {
  // Only control items own a control; they answer OwnsControl for it. Until control items exist
  // nothing reaches the root from here.
  (void)RVData;
  (void)AControlAction;
  (void)ItemNo;
  (void)Item;
}

std::shared_ptr<IRVScaleViroZereInterface> TCustomRVData::GetScaleViroZereInterface() {
  TCustomRVData* r = GetAbsoluteRootData();
  return r != this ? r->GetScaleViroZereInterface() : nullptr;
}

void TCustomRVData::DoStyleTemplatesChange() {
  TCustomRVData* r = GetAbsoluteRootData();
  if (r != this) r->DoStyleTemplatesChange();
}

bool TCustomRVData::IsDelimiterW(TRVUnicodeChar Ch) {
  if (Ch == u'\t') return true;
  TRVDataRootProperties* rp = GetRootProperties();
  return rp && rp->Delimiters.find(Ch) != TRVUnicodeString::npos;
}

void TCustomRVData::ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* RVStyle, bool ConvertItems) {
  if (!ConvertItems) return;
  TCustomRVData* d = GetRVData();
  for (int i = 0; i < d->ItemCount(); ++i) d->GetItem(i)->ConvertToDifferentUnits(NewUnits, RVStyle, true);
}

void TCustomRVData::ChangeParagraphStyles(const TRVIntegerList* ParaMapList, const TRVIntegerList* NewIndices,
                                          TRVIntegerList* OldIndices, int& Index) {
  for (int i = 0; i < ItemCount(); ++i) GetItem(i)->ChangeParagraphStyles(ParaMapList, NewIndices, OldIndices, Index);
}

void TCustomRVData::ChangeTextStyles(const TRVIntegerList* TextMapList, const TRVIntegerList* NewIndices,
                                     TRVIntegerList* OldIndices, int& Index) {
  for (int i = 0; i < ItemCount(); ++i) GetItem(i)->ChangeTextStyles(TextMapList, NewIndices, OldIndices, Index);
}

// ---- the item list ---------------------------------------------------------------------------------------

int TCustomRVData::ItemCount() const { return FItems ? FItems->Count() : 0; }
TCustomRVItemInfo* TCustomRVData::GetItem(int ItemNo) const { return FItems->GetObject(ItemNo); }
int TCustomRVData::GetItemNo(const TCustomRVItemInfo* Item) const { return FItems ? FItems->IndexOfObject(Item) : -1; }
const TRVUnicodeString& TCustomRVData::GetItemTextW(int ItemNo) const { return FItems->GetItem(ItemNo); }
void TCustomRVData::SetItemTextW(int ItemNo, const TRVUnicodeString& Text) { FItems->SetItem(ItemNo, Text); }

bool TCustomRVData::IsWideEmptyTextItem(int ItemNo) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->StyleNo < 0 || !item->ItemText.empty()) return false;
  TRVStyle* st = GetRVStyle();
  return st && st->TextStyles()->Items(GetActualStyle(item))->EmptyWidth > 0;
}

int TCustomRVData::GetOffsBeforeItem(int ItemNo) { return GetItemStyle(ItemNo) >= 0 ? 1 : 0; }

int TCustomRVData::GetOffsAfterItem(int ItemNo) {
  if (GetItemStyle(ItemNo) < 0) return 1;
  if (IsWideEmptyTextItem(ItemNo)) return 2;
  return static_cast<int>(GetItemTextW(ItemNo).size()) + 1;
}

int TCustomRVData::GetItemTextLength(int ItemNo) const {
  const TCustomRVItemInfo* item = GetItem(ItemNo);
  return item->StyleNo < 0 ? 1 : static_cast<int>(item->ItemText.size());
}

int TCustomRVData::GetItemLength(int ItemNo) {
  if (GetItem(ItemNo)->StyleNo < 0 || IsWideEmptyTextItem(ItemNo)) return 1;
  return static_cast<int>(GetItemTextW(ItemNo).size());
}

void TCustomRVData::ShareItemsFrom(TCustomRVData* Source) {
  if (!SharesItemList()) return;
  Clear();
  AssignItemsFrom(Source);
}

void TCustomRVData::AssignItemsFrom(TCustomRVData* Source) {
  if (FOwnsItems && FItems != Source->FItems) delete FItems;
  FItems = Source->FItems;
  FOwnsItems = false;
}

void TCustomRVData::Inserting(TCustomRVData* RVData, bool Safe) {
  for (int i = 0; i < ItemCount(); ++i) {
    TCustomRVItemInfo* item = GetItem(i);
    TRVUnicodeString s = item->ItemText;
    item->Inserting(RVData, s, Safe);
    item->ItemText = s;
  }
}

void TCustomRVData::Inserted(TCustomRVData* RVData) {
  for (int i = 0; i < ItemCount(); ++i) GetItem(i)->Inserted(RVData, i);
}

void TCustomRVData::Beep() {
  TRVStyle* st = GetRVStyle();
  if (st && st->UseSound) MessageBeep(0);
}

bool TCustomRVData::IsEmpty() const {
  const int n = ItemCount();
  return n == 0 || (n == 1 && GetItem(0)->StyleNo >= 0 && GetItem(0)->ItemText.empty());
}

void TCustomRVData::CheckItemIndex(int ItemNo) const {
  if (ItemNo < 0 || ItemNo >= ItemCount()) throw EViroZereError("Item index is out of bounds");
}

void TCustomRVData::RaiseWrongItemClass() {
  throw EViroZereError("Can't get or set this kind of information for this item");
}

// ---- adding --------------------------------------------------------------------------------------------------

void TCustomRVData::PrepareAddedItem(TCustomRVItemInfo* Item) {
  const int n = ItemCount();
  if (Item->ParaNo == -1 && n > 0 && !GetItem(n - 1)->GetBoolValue(rvbpFullWidth)) {
    Item->ItemOptions.Exclude(rvioPageBreakBefore).Exclude(rvioBR).Include(rvioSameAsPrev);
    Item->ParaNo = GetItem(n - 1)->ParaNo;
    return;
  }
  if (n > 0 && GetItem(n - 1)->StyleNo == ItemKindListMarker) {
    // A marker never ends a paragraph: an empty text run continues the marker's paragraph.
    TCustomRVItemInfo* marker = GetItem(n - 1);
    auto empty = TextItemClass->Create(this);
    empty->StyleNo = 0;
    empty->ItemOptions.Include(rvioSameAsPrev);
    empty->ParaNo = marker->ParaNo;
    TRVUnicodeString text;
    empty->Inserting(this, text, !State.Contains(rvstClearing));
    TCustomRVItemInfo* e = empty.release();
    FItems->AddObject(text, e);
    e->Inserted(this, ItemCount() - 1);
  }
  Item->ItemOptions.Exclude(rvioSameAsPrev);
  const bool br = (Item->ItemOptions.Contains(rvioBR) || !FAllowNewPara) && !Item->GetBoolValue(rvbpFullWidth) &&
                  ItemCount() > 0;
  if (br)
    Item->ItemOptions.Include(rvioBR);
  else
    Item->ItemOptions.Exclude(rvioBR);
  if (Item->ParaNo == -1) Item->ParaNo = 0;
}

void TCustomRVData::DoAddItem(TRVUnicodeString Text, TCustomRVItemInfo* Item) {
  std::unique_ptr<TCustomRVItemInfo> guard(Item);
  PrepareAddedItem(Item);
  if (Item->Checkpoint) {
    std::unique_ptr<TRVCPInfo> cp(Item->Checkpoint);
    Item->Checkpoint = nullptr;
    AddCheckpoint(cp->Name, cp->RaiseEvent, cp->Tag);
  }
  SetCP(Item, LastCP, NotAddedCP);
  Item->Inserting(this, Text, !State.Contains(rvstClearing));
  FItems->AddObject(std::move(Text), guard.release());
  Item->Inserted(this, ItemCount() - 1);
}

void TCustomRVData::AddItem(TRVUnicodeString Text, TCustomRVItemInfo* Item) {
  DoAddItem(std::move(Text), Item);
  const int i = ItemCount() - 1;
  // Sequences and print fields enter their lists here; a list marker is entered by the list
  // operations that make it.
  if (GetItem(i)->StyleNo != ItemKindListMarker) DoOnAddSpecialItem(i);
}

void TCustomRVData::AddItemAsIs(const TRVUnicodeString& Text, std::unique_ptr<TCustomRVItemInfo> Item) {
  TCustomRVItemInfo* item = Item.get();
  if (item->Checkpoint) {
    std::unique_ptr<TRVCPInfo> cp(item->Checkpoint);
    item->Checkpoint = nullptr;
    AddCheckpoint(cp->Name, cp->RaiseEvent, cp->Tag);
  }
  SetCP(item, LastCP, NotAddedCP);
  TRVUnicodeString s = Text;
  item->Inserting(this, s, !State.Contains(rvstClearing));
  FItems->AddObject(s, Item.release());
  item->Inserted(this, ItemCount() - 1);
}

void TCustomRVData::AddNL(const TRVUnicodeString& Text, int StyleNo, int ParaNo, const TRVUnicodeString& Tag) {
  AddNLW(Text, StyleNo, ParaNo, Tag, true);
}

void TCustomRVData::AddNLW(TRVUnicodeString Text, int StyleNo, int ParaNo, const TRVUnicodeString& Tag,
                           bool ProcessTabs) {
  auto item = TextItemClass->Create(this);
  item->StyleNo = StyleNo < 0 ? StyleNoFromParagraph : StyleNo;
  item->ParaNo = ParaNo;
  item->Tag = Tag;
  if (ProcessTabs && StyleNo >= 0 && Text.find(u'\t') != TRVUnicodeString::npos) {
    TRVStyle* st = GetRVStyle();
    Text = ReplaceTabsWithSpaces(Text, st && st->SpacesInTab > 0 ? st->SpacesInTab : 8);
  }
  AddItem(std::move(Text), item.release());
}

void TCustomRVData::AddBreak(TRVStyleLength Width, int Style, TColor Color, const TRVUnicodeString& Tag) {
  TRVStyle* st = GetRVStyle();
  if (Width == 0) Width = st ? st->PixelsToUnits(1) : 1;
  const TRVBreakStyle bs = Style >= rvbsLine && Style <= rvbsDashed ? static_cast<TRVBreakStyle>(Style) : rvbsLine;
  auto item = std::make_unique<TRVBreakItemInfo>(this, Width, bs, Color);
  item->ParaNo = 0;
  item->Tag = Tag;
  DoAddItem(u"", item.release());
}

int TCustomRVData::AddCheckpoint(const TRVUnicodeString& CpName, bool RaiseEvent, const TRVUnicodeString& Tag) {
  if (NotAddedCP) return CPCount - 1;
  NotAddedCP = new TRVCPInfo();
  NotAddedCP->Name = CpName;
  NotAddedCP->RaiseEvent = RaiseEvent;
  NotAddedCP->Tag = Tag;
  return CPCount++;
}

// ---- deleting -------------------------------------------------------------------------------------------------

void TCustomRVData::FreeItem(int ItemNo, bool Clearing) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (!item) return;
  // The item goes even when a handler of the notifications raises; the error is passed on after.
  // The handler is given the item's own text: the item is destroyed right after, so a change the
  // handler makes reaches nothing, and no copy of every text is made while a document is cleared.
  std::exception_ptr error;
  try {
    ItemAction(rviaDestroying, item, item->ItemText, this);
    ControlAction(this, rvcaDestroy, ItemNo, item);
  } catch (...) {
    error = std::current_exception();
  }
  DestroyItem(item, Clearing);
  if (error) std::rethrow_exception(error);
}

void TCustomRVData::DestroyItem(TCustomRVItemInfo* Item, bool Clearing) {
  if (!Item) return;
  std::unique_ptr<TCustomRVItemInfo> guard(Item);
  DoOnDeleteSpecialItem(Item, Clearing);
  if (Item->Checkpoint) {
    TRVCPInfo* cp = Item->Checkpoint;
    Item->Checkpoint = nullptr;
    FreeCheckpoint(cp, true, true);
  }
  if (auto* nt = Item->StyleNo < 0 ? dynamic_cast<TRVNonTextItemInfo*>(Item) : nullptr; nt && nt->HasThumbnail())
    if (TRVDataRootProperties* rp = GetRootProperties()) rp->RemoveThumbnail(Item);
}

void TCustomRVData::DeleteItems(int FirstItemNo, int Count) {
  if (SharesItemList() || FirstItemNo < 0 || FirstItemNo >= ItemCount() || Count <= 0) return;
  Count = std::min(Count, ItemCount() - FirstItemNo);
  for (int i = FirstItemNo; i < FirstItemNo + Count; ++i) {
    try {
      FreeItem(i, false);
    } catch (...) {
      // An item that fails while it is freed must not keep the others alive.
    }
    FItems->Put(i, nullptr);
  }
  for (int i = FirstItemNo + Count - 1; i >= FirstItemNo; --i) FItems->Delete(i);
}

void TCustomRVData::Clear() {
  TStateScope clearing(State, rvstClearing);
  State.Exclude(rvstFirstParaAborted);
  State.Exclude(rvstLastParaAborted);
  FFirstParaListNo = -1;
  FFirstParaLevel = -1;
  if (!SharesItemList() && FItems) {
    // Every item is freed even when one of them raises while it goes.
    for (int i = 0; i < ItemCount(); ++i) {
      try {
        FreeItem(i, true);
      } catch (...) {
      }
      FItems->Put(i, nullptr);
    }
    FItems->Clear();
  }
  FreeCheckpoint(NotAddedCP, false, true);
  FirstCP = LastCP = nullptr;
  if (FOwnsItems) CPCount = 0;
  if (GetFlags().Contains(rvflRoot))
    if (TRVDataRootProperties* rp = GetRootProperties()) rp->ClearDocProperties();
}

void TCustomRVData::DrainFrom(TCustomRVData* Victim) {
  if (!Victim) return;
  for (int i = 0; i < Victim->ItemCount(); ++i) {
    TCustomRVItemInfo* item = Victim->GetItem(i);
    Victim->FItems->Put(i, nullptr);
    if (item->GetSameAsPrev()) item->ParaNo = -1;
    AddItem(item->ItemText, item);
  }
  if (Victim->NotAddedCP) {
    if (NotAddedCP) {
      Victim->FreeCheckpoint(Victim->NotAddedCP, false, false);
    } else {
      NotAddedCP = Victim->NotAddedCP;
      Victim->NotAddedCP = nullptr;
      ++CPCount;
    }
  }
  Victim->FItems->TList::Clear();
  Victim->FirstCP = Victim->LastCP = nullptr;
  Victim->CPCount = 0;
  TStateScope preserve(Victim->State, rvstPreserveSoftPageBreaks);
  Victim->Clear();
}

// ---- checkpoints ------------------------------------------------------------------------------------------

TRVCPInfo* TCustomRVData::GetItemCheckpoint(int ItemNo) const { return GetItem(ItemNo)->Checkpoint; }

void TCustomRVData::SetCheckpointInfo(int ItemNo, const TRVUnicodeString& ATag, const TRVUnicodeString& AName,
                                      bool ARaiseEvent) {
  if (TRVCPInfo* cp = GetItem(ItemNo)->Checkpoint) {
    cp->Tag = ATag;
    cp->RaiseEvent = ARaiseEvent;
    cp->Name = AName;
  } else {
    CreateCheckpoint(ItemNo, ATag, ARaiseEvent, AName);
  }
}

void TCustomRVData::GetCheckpointInfo(TRVCPInfo* CheckpointData, TRVUnicodeString& Tag, TRVUnicodeString& Name,
                                      bool& RaiseEvent) {
  if (!CheckpointData) throw EViroZereError("Parameter can't be NIL");
  Tag = CheckpointData->Tag;
  Name = CheckpointData->Name;
  RaiseEvent = CheckpointData->RaiseEvent;
}

TRVCPInfo* TCustomRVData::CreateCheckpoint(int ItemNo, const TRVUnicodeString& Tag, bool RaiseEvent,
                                           const TRVUnicodeString& Name) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->Checkpoint) throw EViroZereError("Checkpoint already exists");
  auto* cp = new TRVCPInfo();
  cp->Tag = Tag;
  cp->RaiseEvent = RaiseEvent;
  cp->Name = Name;
  cp->ItemInfo = item;
  item->Checkpoint = cp;
  ++CPCount;
  UpdateCPPos(cp, ItemNo);
  return cp;
}

void TCustomRVData::SetCP(TCustomRVItemInfo* Item, TRVCPInfo*& PrevCP, TRVCPInfo*& CP) {
  if (!CP) return;
  TRVCPInfo* prev = PrevCP;
  CP->Prev = prev;
  if (prev) {
    CP->Next = prev->Next;
    if (prev->Next) prev->Next->Prev = CP;
    prev->Next = CP;
  } else {
    CP->Next = FirstCP;
    if (FirstCP) FirstCP->Prev = CP;
    FirstCP = CP;
  }
  if (prev == LastCP) LastCP = CP;
  CP->ItemInfo = Item;
  Item->Checkpoint = CP;
  CP = nullptr;
}

void TCustomRVData::UnlinkCheckpoint(TRVCPInfo* CP, bool DecCount) {
  if (!CP) return;
  CP->ItemInfo = nullptr;
  if (FirstCP == CP) FirstCP = CP->Next;
  if (LastCP == CP) LastCP = CP->Prev;
  if (CP->Prev) CP->Prev->Next = CP->Next;
  if (CP->Next) CP->Next->Prev = CP->Prev;
  CP->Prev = CP->Next = nullptr;
  if (DecCount) --CPCount;
}

void TCustomRVData::FreeCheckpoint(TRVCPInfo*& CP, bool AdjustLinks, bool DecCPCount) {
  if (!CP) return;
  if (AdjustLinks) UnlinkCheckpoint(CP, false);
  delete CP;
  CP = nullptr;
  if (DecCPCount) --CPCount;
}

void TCustomRVData::UpdateCheckpointItemNumbers() {
  if (CPCount <= 0) return;
  int found = 0;
  for (int i = 0; i < ItemCount() && found < CPCount; ++i)
    if (TRVCPInfo* cp = GetItem(i)->Checkpoint) {
      cp->ItemNo = i;
      ++found;
    }
}

void TCustomRVData::UpdateCPPos(TRVCPInfo* CP, int ItemNo) {
  if (ItemNo == -1 || !CP) return;
  UpdateCheckpointItemNumbers();
  CP->ItemNo = ItemNo;
  if (!FirstCP) {
    CP->Prev = CP->Next = nullptr;
    FirstCP = LastCP = CP;
    return;
  }
  if (ItemNo < FirstCP->ItemNo) {
    CP->Prev = nullptr;
    CP->Next = FirstCP;
    FirstCP->Prev = CP;
    FirstCP = CP;
    return;
  }
  if (ItemNo < LastCP->ItemNo) {
    TRVCPInfo* after = FirstCP;
    while (after->Next && after->Next->ItemNo <= ItemNo) after = after->Next;
    CP->Prev = after;
    CP->Next = after->Next;
    if (after->Next) after->Next->Prev = CP;
    after->Next = CP;
    return;
  }
  CP->Prev = LastCP;
  CP->Next = nullptr;
  LastCP->Next = CP;
  LastCP = CP;
}

TRVCPInfo* TCustomRVData::FindCheckpointBefore(int ItemNo) {
  UpdateCheckpointItemNumbers();
  TRVCPInfo* r = nullptr;
  for (TRVCPInfo* cp = FirstCP; cp && cp->ItemNo < ItemNo; cp = cp->Next) r = cp;
  return r;
}

// ---- notifications and settings ----------------------------------------------------------------------------

void TCustomRVData::AfterReadNote(TCustomRVData* RVData, int ItemNo) {
  if (auto sv = GetScaleViroZereInterface()) sv->DoAfterReadNote(RVData, ItemNo);
}

TRVColorMode TCustomRVData::GetScreenColorMode() {
  if (auto sv = GetScaleViroZereInterface()) return sv->GetColorMode();
  TRVDataRootProperties* rp = GetRootProperties();
  return rp && rp->UseVCLThemes ? rvcmVCLThemeColor : rvcmColor;
}

TColor TCustomRVData::GetActualColor(TColor Color) {
  TRVDataRootProperties* rp = GetRootProperties();
  return rp && rp->UseVCLThemes ? GetStyledColor(Color) : Color;
}

// ---- actual styles ---------------------------------------------------------------------------------------------

int TCustomRVData::GetActualStyleEx(int StyleNo, int ParaNo) {
  if (StyleNo == StyleNoFromParagraph) {
    TRVStyle* st = GetRVStyle();
    StyleNo = st ? st->ParaStyles()->Items(ParaNo)->DefStyleNo : -1;
    if (StyleNo < 0) StyleNo = 0;
  }
  if (StyleNo < 0) return StyleNo;
  return GetStyleFromStyleTemplate(StyleNo, ParaNo);
}

int TCustomRVData::GetActualStyle(TCustomRVItemInfo* Item) {
  const int r = GetActualStyleEx(Item->StyleNo, Item->ParaNo);
  if (Item->StyleNo >= 0 && r != Item->StyleNo && Item->StyleNo != StyleNoFromParagraph)
    ModifyStyleNoByTemplate(Item, r);
  return r;
}

int TCustomRVData::GetActualTextStyle(TCustomRVItemInfo* Item) {
  if (Item->StyleNo >= 0) return GetActualStyle(Item);
  const int stored = Item->GetAssociatedTextStyleNo();
  if (stored < 0) return stored;
  const int r = GetActualStyleEx(stored, Item->ParaNo);
  if (r != stored && stored != StyleNoFromParagraph) ModifyStyleNoByTemplate(Item, r);
  return r;
}

int TCustomRVData::GetStyleFromStyleTemplate(int StyleNo, int ParaNo) {
  TRVDataRootProperties* rp = GetRootProperties();
  TRVStyle* st = GetRVStyle();
  if (!rp || !rp->UseStyleTemplates || ParaNo < 0 || !st) return StyleNo;
  if (GetAbsoluteRootData()->State.Contains(rvstNoStyleTemplateAdustment)) return StyleNo;
  if (StyleNo < 0 || StyleNo >= st->TextStyles()->Count() || ParaNo >= st->ParaStyles()->Count()) return StyleNo;
  TFontInfo* T = st->TextStyles()->Items(StyleNo);
  TParaInfo* P = st->ParaStyles()->Items(ParaNo);
  if (T->ParaStyleTemplateId == P->StyleTemplateId &&
      !(T->StyleTemplateId >= 1 && T->StyleTemplateId == T->ParaStyleTemplateId))
    return StyleNo;
  TRVStyleTemplateCollection* templates = st->StyleTemplates();
  std::unique_ptr<TFontInfo> copy(static_cast<TFontInfo*>(st->GetTextStyleClass()(nullptr)));
  copy->Assign(T);
  TRVStyleTemplate* textTemplate = templates->FindItemById(copy->StyleTemplateId);
  TRVStyleTemplate::UpdateModifiedTextStyleProperties(textTemplate, copy.get(),
                                                      templates->FindItemById(copy->ParaStyleTemplateId));
  copy->ParaStyleTemplateId = P->StyleTemplateId;
  if (copy->ParaStyleTemplateId == copy->StyleTemplateId) copy->StyleTemplateId = -1;
  textTemplate = templates->FindItemById(copy->StyleTemplateId);
  TRVStyleTemplate::ApplyToTextStyle(textTemplate, copy.get(), templates->FindItemById(P->StyleTemplateId));
  return st->FindTextStyle(copy.get());
}


// ---- a root document without a control ---------------------------------------------------------------------

TRVPlainRootData::TRVPlainRootData(TRVStyle* AStyle)
    : FStyle(AStyle), FRootState(std::make_unique<TRVDataRootState>(this)) {
  // Without a control, files carry their styles (a viewer's root keeps the viewer's defaults).
  FRootState->Properties()->RVFOptions = {rvfoSavePicturesBody, rvfoSaveControlsBody, rvfoSaveBinary,
                                          rvfoSaveTextStyles,   rvfoSaveParaStyles,   rvfoSaveDocProperties,
                                          rvfoLoadDocProperties};
}

TRVPlainRootData::~TRVPlainRootData() {
  try {
    Clear();
  } catch (...) {
  }
  FRootState->FreeLists();
}

void TRVPlainRootData::ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, TRVUnicodeString& Text,
                                  TCustomRVData* RVData) {
  TRVDataRootEvents* events = FRootState->Events();
  if (events->OnItemAction) events->OnItemAction(Action, Item, Text, RVData);
}
