// The primitive edits of the editor data. Each one asks GetUndoList: with a list it appends the
// record that takes the change back before it touches the document (so a refused AddInfo leaves
// the document as it was); without one it changes the document and frees what it removed.
// Primitives never format; those that can change the document's minimum width say whether the
// whole document must be formatted again.
#include <algorithm>

#include "engine/document/RVControlItem.h"
#include "engine/document/RVNonTextItems.h"
#include "engine/document/RVTextItems.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/editor/RVUndoRecords.h"
#include "engine/foundation/RVError.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace {

// Appends Info to List's step; the list owns it from then on, and a refusal frees it.
template <typename T>
T* Record(TRVUndoList* List, std::unique_ptr<T> Info, TObject* Editor) {
  T* p = Info.get();
  List->AddInfo(p, Editor);
  Info.release();
  return p;
}

[[noreturn]] void UndoError() { throw Exception(u"Undo error"); }
[[noreturn]] void CheckpointError() { throw EViroZereError("Checkpoint error"); }

bool IsTextItem(const TCustomRVItemInfo* Item) { return Item->StyleNo >= 0; }

}  // namespace

// ---- helpers of this unit ----------------------------------------------------------------------

// The last item of the paragraph that item ItemNo belongs to (hidden items do not start one).
static int ParaEndOf(TRVEditRVData* D, int ItemNo) {
  while (ItemNo + 1 < D->ItemCount() && (D->IsInvisibleItem(ItemNo + 1) || !D->IsDisplayedParaStart(ItemNo + 1)))
    ++ItemNo;
  return ItemNo;
}

// Pointers of the formatted data that name an item leaving the document.
static void ForgetItem(TRVEditRVData* D, TCustomRVItemInfo* Item, TCustomRVItemInfo* Successor) {
  if (D->FActiveItem == Item) D->FActiveItem = Successor;
  if (D->FCaptureMouseItem == Item) D->FCaptureMouseItem = nullptr;
  if (D->FPartialSelectedItem == Item) D->FPartialSelectedItem = Successor;
}

// Puts Item into the item list at ItemNo with its text, in the order items expect.
static void InsertItemRaw(TRVEditRVData* D, int ItemNo, TRVUnicodeString& Text, TCustomRVItemInfo* Item,
                          bool FromUndo) {
  Item->Inserting(D, Text, true);
  D->GetItems()->InsertObject(ItemNo, Text, Item);
  D->DoOnAddSpecialItem(ItemNo);
  if (FromUndo) Item->MovingFromUndoList(ItemNo, D);
  Item->Inserted(D, ItemNo);
}

// Takes item ItemNo out of the list: into Holder's care (it was recorded) or freed.
static TCustomRVItemInfo* RemoveItemRaw(TRVEditRVData* D, int ItemNo, TRVUndoInfo* Holder) {
  TCustomRVItemInfo* item = D->GetItem(ItemNo);
  ForgetItem(D, item, nullptr);
  if (Holder) {
    item->MovingToUndoList(ItemNo, D, Holder);
    D->DoOnDeleteSpecialItem(item, false);
    D->GetItems()->Delete(ItemNo);
    return item;
  }
  std::exception_ptr error;
  try {
    D->FreeItem(ItemNo, false);
  } catch (const Exception&) {
    error = std::current_exception();  // the item is gone all the same; the list must follow
  }
  D->GetItems()->Delete(ItemNo);
  if (error) std::rethrow_exception(error);
  return nullptr;
}

static void CheckItemNo(TRVEditRVData* D, int ItemNo) {
  if (ItemNo < 0 || ItemNo >= D->ItemCount()) UndoError();
}

// ---- items and their text ----------------------------------------------------------------------

void TRVEditRVData::Do_InsertItem(int ItemNo, TRVUnicodeString& Text, TCustomRVItemInfo* Item, bool FromUndo,
                                  bool& FullReformat) {
  FullReformat = false;
  if (!Item || ItemNo < 0 || ItemNo > ItemCount()) UndoError();
  int lastAffected = -1;
  if (Item->CanBeBorderStart() && ItemNo < ItemCount() && !IsParaStart(ItemNo)) lastAffected = ParaEndOf(this, ItemNo);
  if (TRVUndoList* list = GetUndoList()) {
    auto info = std::make_unique<TRVUndoInsertItemInfo>();
    info->ItemNo = ItemNo;
    info->LastAffectedItemNo = lastAffected;
    Record(list, std::move(info), GetEditor());
  }
  TRVCPInfo* cp = Item->Checkpoint;
  Item->Checkpoint = nullptr;
  InsertItemRaw(this, ItemNo, Text, Item, FromUndo);
  if (lastAffected >= 0) Do_Para(ItemNo + 1, lastAffected + 1, Item->ParaNo, FullReformat);
  if (cp) Do_AddCP(ItemNo, cp);
}

void TRVEditRVData::Do_InsertItems(int ItemNo, TRVItemList* List, bool FromUndo, bool& FullReformat) {
  FullReformat = false;
  if (!List || List->Count() == 0) return;
  if (ItemNo < 0 || ItemNo > ItemCount()) UndoError();
  const int n = List->Count();
  TRVUndoInsertItemsInfo* info = Do_InsertItems_1(ItemNo, n);
  for (int i = 0; i < n; ++i) {
    TCustomRVItemInfo* item = List->GetObject(i);
    TRVUnicodeString text = item->ItemText;
    InsertItemRaw(this, ItemNo, text, item, FromUndo);
  }
  Do_InsertItems_2(ItemNo, n, info, FullReformat);
}

TRVUndoInsertItemsInfo* TRVEditRVData::Do_InsertItems_1(int ItemNo, int Count) {
  TRVUndoList* list = Count > 0 ? GetUndoList() : nullptr;
  if (!list) return nullptr;
  auto info = std::make_unique<TRVUndoInsertItemsInfo>();
  info->ItemNo = ItemNo;
  info->Count = Count;
  return Record(list, std::move(info), GetEditor());
}

void TRVEditRVData::Do_InsertItems_2(int ItemNo, int Count, TRVUndoInsertItemsInfo* UndoInfo, bool& FullReformat) {
  FullReformat = false;
  if (Count <= 0 || ItemNo < 0 || ItemNo + Count > ItemCount()) return;
  const int last = ItemNo + Count - 1;
  if (last + 1 < ItemCount() && !IsDisplayedParaStart(last + 1)) {
    const int paraEnd = ParaEndOf(this, last);
    if (UndoInfo) UndoInfo->LastAffectedItemNo = paraEnd;
    Do_Para(last, paraEnd, GetItem(last)->ParaNo, FullReformat);
  }
  for (int i = ItemNo; i <= last; ++i) {
    TCustomRVItemInfo* item = GetItem(i);
    if (TRVCPInfo* cp = item->Checkpoint) {
      item->Checkpoint = nullptr;
      cp->ItemInfo = nullptr;
      Do_AddCP(i, cp);
    }
  }
}

void TRVEditRVData::Do_DeleteItem(int ItemNo, bool& FullReformat) {
  FullReformat = false;
  CheckItemNo(this, ItemNo);
  FullReformat = CalculateMinItemWidthPlusEx(ItemNo) == DocumentWidth;
  if (GetItem(ItemNo)->Checkpoint) Do_DeleteCP(ItemNo);
  TRVUndoDeleteItemInfo* info = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoDeleteItemInfo>();
    r->OwnerData = this;
    r->ItemNo = ItemNo;
    r->s = GetItemTextW(ItemNo);
    info = Record(list, std::move(r), GetEditor());
  }
  TCustomRVItemInfo* item = RemoveItemRaw(this, ItemNo, info);
  if (info) info->Item = item;
}

void TRVEditRVData::Do_DeleteItems(int StartItemNo, int EndItemNo, bool& FullReformat) {
  FullReformat = false;
  if (EndItemNo < StartItemNo) return;
  CheckItemNo(this, StartItemNo);
  CheckItemNo(this, EndItemNo);
  FullReformat = CalculateMinItemsWidthPlusEx(StartItemNo, EndItemNo) == DocumentWidth;
  for (int i = EndItemNo; i >= StartItemNo; --i)
    if (GetItem(i)->Checkpoint) Do_DeleteCP(i);
  TRVUndoDeleteItemsInfo* info = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoDeleteItemsInfo>();
    r->OwnerData = this;
    r->StartItemNo = StartItemNo;
    r->EndItemNo = EndItemNo;
    info = Record(list, std::move(r), GetEditor());
  }
  for (int i = EndItemNo; i >= StartItemNo; --i) {
    TCustomRVItemInfo* item = RemoveItemRaw(this, i, info);
    if (info) info->List->AddObject(item->ItemText, item);
  }
}

void TRVEditRVData::Do_ReplaceItem(int ItemNo, TCustomRVItemInfo* NewItem) {
  CheckItemNo(this, ItemNo);
  if (!NewItem) UndoError();
  TCustomRVItemInfo* old = GetItem(ItemNo);
  TRVUndoReplaceItemInfo* info = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoReplaceItemInfo>();
    r->OwnerData = this;
    r->ItemNo = ItemNo;
    r->s = GetItemTextW(ItemNo);
    info = Record(list, std::move(r), GetEditor());
  }
  const int styleNo = NewItem->StyleNo;
  NewItem->Assign(old);
  NewItem->StyleNo = styleNo;
  NewItem->DrawItemNo = old->DrawItemNo;
  NewItem->Tag = old->Tag;
  NewItem->ItemOptions = old->ItemOptions;
  NewItem->JumpID = old->JumpID;
  NewItem->Checkpoint = old->Checkpoint;
  if (NewItem->Checkpoint) NewItem->Checkpoint->ItemInfo = NewItem;
  old->Checkpoint = nullptr;
  old->Tag.clear();
  ForgetItem(this, old, NewItem);
  TRVUnicodeString text = GetItemTextW(ItemNo);
  if (info) {
    old->MovingToUndoList(ItemNo, this, info);
    DoOnDeleteSpecialItem(old, false);
    info->Item = old;
  } else {
    FreeItem(ItemNo, false);
  }
  NewItem->Inserting(this, text, true);
  GetItems()->SetObject(ItemNo, NewItem);
  SetItemTextW(ItemNo, text);
  DoOnAddSpecialItem(ItemNo);
  NewItem->Inserted(this, ItemNo);
}

void TRVEditRVData::Do_ModifyItem(int ItemNo, const TRVUnicodeString& Text, TCustomRVItemInfo* NewItem) {
  CheckItemNo(this, ItemNo);
  if (!NewItem) UndoError();
  TCustomRVItemInfo* old = GetItem(ItemNo);
  TRVUndoModifyItemInfo* info = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoModifyItemInfo>();
    r->OwnerData = this;
    r->ItemNo = ItemNo;
    r->s = GetItemTextW(ItemNo);
    info = Record(list, std::move(r), GetEditor());
  }
  NewItem->Checkpoint = old->Checkpoint;
  if (NewItem->Checkpoint) NewItem->Checkpoint->ItemInfo = NewItem;
  old->Checkpoint = nullptr;
  NewItem->ParaNo = old->ParaNo;
  NewItem->ItemOptions = old->ItemOptions;
  NewItem->JumpID = old->JumpID;
  NewItem->DrawItemNo = old->DrawItemNo;
  NewItem->TransferProperties(old, this);
  ForgetItem(this, old, NewItem);
  old->ItemText = GetItemTextW(ItemNo);
  DoOnDeleteSpecialItem(old, false);
  GetItems()->SetObject(ItemNo, NewItem);
  SetItemTextW(ItemNo, Text);
  DoOnAddSpecialItem(ItemNo);
  if (info)
    info->Item = old;
  else
    DestroyItem(old, false);
}

void TRVEditRVData::Do_InsertSubstring(int ItemNo, int Index, const TRVUnicodeString& S) {
  if (S.empty()) return;
  if (ItemNo < 0 || ItemNo >= ItemCount() || !IsTextItem(GetItem(ItemNo))) UndoError();
  TRVUnicodeString text = GetItemTextW(ItemNo);
  if (Index < 1 || Index > static_cast<int>(text.size()) + 1) UndoError();
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoInsertSubstringInfo>();
    r->Action = rvuInsertSubstring;
    r->ItemNo = ItemNo;
    r->Index = Index;
    r->Length = static_cast<int>(S.size());
    Record(list, std::move(r), GetEditor());
  }
  text.insert(static_cast<size_t>(Index - 1), S);
  ItemAction(rviaTextModifying, GetItem(ItemNo), text, this);
  SetItemTextW(ItemNo, text);
}

void TRVEditRVData::Do_DeleteSubstring(int ItemNo, int Index, int Length) {
  if (Length == 0) return;
  CheckItemNo(this, ItemNo);
  TRVUnicodeString text = GetItemTextW(ItemNo);
  const int len = static_cast<int>(text.size());
  if (Index < 1 || Index > len + 1) UndoError();
  if (Length < 0 || Length > len - Index + 1) Length = len - Index + 1;
  if (Length == 0) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoDeleteSubstringInfo>();
    r->ItemNo = ItemNo;
    r->Index = Index;
    r->s = text.substr(static_cast<size_t>(Index - 1), static_cast<size_t>(Length));
    Record(list, std::move(r), GetEditor());
  }
  text.erase(static_cast<size_t>(Index - 1), static_cast<size_t>(Length));
  ItemAction(rviaTextModifying, GetItem(ItemNo), text, this);
  SetItemTextW(ItemNo, text);
}

void TRVEditRVData::Do_ChangeText(int ItemNo, const TRVUnicodeString& S) {
  CheckItemNo(this, ItemNo);
  if (GetItemTextW(ItemNo) == S) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoChangeTextInfo>();
    r->ItemNo = ItemNo;
    r->s = GetItemTextW(ItemNo);
    Record(list, std::move(r), GetEditor());
  }
  TRVUnicodeString text = S;
  ItemAction(rviaTextModifying, GetItem(ItemNo), text, this);
  SetItemTextW(ItemNo, text);
}

void TRVEditRVData::Do_Concate(int ItemNo) {
  CheckItemNo(this, ItemNo);
  CheckItemNo(this, ItemNo + 1);
  TCustomRVItemInfo* a = GetItem(ItemNo);
  TCustomRVItemInfo* b = GetItem(ItemNo + 1);
  bool fr = false;
  if (IsTextItem(b) && GetItemTextW(ItemNo + 1).empty()) {
    Do_DeleteItem(ItemNo + 1, fr);
    return;
  }
  if (IsTextItem(a) && GetItemTextW(ItemNo).empty()) {
    if (a->GetSameAsPrev()) {
      Do_NewLine(ItemNo + 1, true, a->ParaNo, fr);
    } else {
      Do_NewLine(ItemNo + 1, false, a->ParaNo, fr);
      Do_BR(ItemNo + 1, a->GetBR(), fr);
      Do_ClearTextFlow(ItemNo + 1, a->GetClearLeft(), a->GetClearRight());
    }
    if (a->Checkpoint && !b->Checkpoint) Do_AddCP(ItemNo + 1, a->Checkpoint->CreateCopy().release());
    Do_DeleteItem(ItemNo, fr);
    return;
  }
  if (!IsTextItem(a) || !IsTextItem(b)) return;
  Do_InsertSubstring(ItemNo, static_cast<int>(GetItemTextW(ItemNo).size()) + 1, GetItemTextW(ItemNo + 1));
  if (b->Checkpoint && !a->Checkpoint) Do_AddCP(ItemNo, b->Checkpoint->CreateCopy().release());
  Do_DeleteItem(ItemNo + 1, fr);
}

// ---- paragraph properties of items -------------------------------------------------------------

void TRVEditRVData::Do_NewLine(int ItemNo, bool SameAsPrev, int ParaNo, bool& FullReformat) {
  FullReformat = false;
  CheckItemNo(this, ItemNo);
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->GetBoolValue(rvbpFullWidth)) return;
  if (!SameAsPrev && !item->GetSameAsPrev()) return;
  if (SameAsPrev) {
    bool brFR = false;
    Do_BR(ItemNo, false, brFR);
    Do_PageBreak(ItemNo, false);
  }
  int lastAffected = -1;
  if (ItemNo + 1 < ItemCount() && !GetItem(ItemNo + 1)->CanBeBorderStart()) lastAffected = ParaEndOf(this, ItemNo + 1);
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoNewLineInfo>();
    r->ItemNo = ItemNo;
    r->WasSameAsPrev = item->GetSameAsPrev();
    r->WasParaNo = item->ParaNo;
    r->LastAffectedItemNo = lastAffected;
    Record(list, std::move(r), GetEditor());
  }
  if (lastAffected == -1) lastAffected = ItemNo;
  bool paraFR = false;
  if (SameAsPrev && ItemNo > 0)
    Do_Para(ItemNo, lastAffected, GetItem(ItemNo - 1)->ParaNo, paraFR);
  else if (!SameAsPrev && ParaNo != -1)
    Do_Para(ItemNo, lastAffected, ParaNo, paraFR);
  FullReformat = FullReformat || paraFR;
  item->SetSameAsPrev(SameAsPrev);
}

void TRVEditRVData::Do_BR(int ItemNo, bool BR, bool& FullReformat) {
  FullReformat = false;
  CheckItemNo(this, ItemNo);
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->GetSameAsPrev() || item->GetBR() == BR || item->GetBoolValue(rvbpFullWidth)) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoBRInfo>();
    r->ItemNo = ItemNo;
    r->WasBR = item->GetBR();
    Record(list, std::move(r), GetEditor());
  }
  const int w0 = CalculateMinItemWidthPlusEx(ItemNo);
  item->SetBR(BR);
  FullReformat = WidthRuleRequiresFull(w0, CalculateMinItemWidthPlusEx(ItemNo));
}

void TRVEditRVData::Do_PageBreak(int ItemNo, bool PageBreak) {
  CheckItemNo(this, ItemNo);
  if (ItemNo > 0 && GetItem(ItemNo - 1)->StyleNo == ItemKindListMarker) --ItemNo;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if ((item->GetSameAsPrev() || item->GetPageBreakBefore()) == PageBreak) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoPageBreakInfo>();
    r->ItemNo = ItemNo;
    r->WasPageBreak = item->GetPageBreakBefore();
    Record(list, std::move(r), GetEditor());
  }
  item->SetPageBreakBefore(PageBreak);
}

void TRVEditRVData::Do_ClearTextFlow(int ItemNo, bool ClearLeft, bool ClearRight) {
  CheckItemNo(this, ItemNo);
  if (ItemNo > 0 && GetItem(ItemNo - 1)->StyleNo == ItemKindListMarker) --ItemNo;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->GetSameAsPrev() || (item->GetClearLeft() == ClearLeft && item->GetClearRight() == ClearRight)) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoClearTextFlowInfo>();
    r->ItemNo = ItemNo;
    r->WasClearLeft = item->GetClearLeft();
    r->WasClearRight = item->GetClearRight();
    Record(list, std::move(r), GetEditor());
  }
  item->SetClearLeft(ClearLeft);
  item->SetClearRight(ClearRight);
}

bool TRVEditRVData::Do_Para(int FirstItemNo, int EndItemNo, int ParaNo, bool& FullReformat) {
  FullReformat = false;
  if (EndItemNo < FirstItemNo) return false;
  CheckItemNo(this, FirstItemNo);
  CheckItemNo(this, EndItemNo);
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoParaListInfo>();
    r->StartItemNo = FirstItemNo;
    for (int i = FirstItemNo; i <= EndItemNo; ++i) r->List.Add(GetItem(i)->ParaNo);
    Record(list, std::move(r), GetEditor());
  }
  const int w0 = CalculateParaSectionsMinWidthDef(FirstItemNo, EndItemNo);
  TRVStyle* st = GetRVStyle();
  bool changed = false;
  for (int i = FirstItemNo; i <= EndItemNo; ++i) {
    TCustomRVItemInfo* item = GetItem(i);
    if (item->ParaNo == ParaNo) continue;
    const bool protectedStyle = st && item->ParaNo >= 0 && item->ParaNo < st->ParaStyles()->Count() &&
                                st->ParaStyles()->Items(item->ParaNo)->Options.Contains(rvpaoStyleProtect);
    const bool continuesPrevWithP = i > 0 && !item->CanBeBorderStart() && GetItem(i - 1)->ParaNo == ParaNo;
    if (!protectedStyle || continuesPrevWithP) {
      item->ParaNo = ParaNo;
      changed = true;
    }
  }
  if (changed) {
    const int w1 = CalculateParaSectionsMinWidthDef(FirstItemNo, EndItemNo);
    FullReformat = DocumentWidth < w1 || w0 >= DocumentWidth;
  }
  return changed;
}

bool TRVEditRVData::Do_ParaList(int StartItemNo, TRVIntegerList* ParaList, bool& FullReformat) {
  FullReformat = false;
  if (!ParaList || ParaList->Count() == 0) return false;
  const int last = StartItemNo + ParaList->Count() - 1;
  CheckItemNo(this, StartItemNo);
  CheckItemNo(this, last);
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoParaListInfo>();
    r->StartItemNo = StartItemNo;
    for (int i = StartItemNo; i <= last; ++i) r->List.Add(GetItem(i)->ParaNo);
    Record(list, std::move(r), GetEditor());
  }
  const int w0 = CalculateMinItemsWidthPlusEx(StartItemNo, last);
  bool changed = false;
  for (int i = 0; i < ParaList->Count(); ++i) {
    TCustomRVItemInfo* item = GetItem(StartItemNo + i);
    if (item->ParaNo != ParaList->Get(i)) {
      item->ParaNo = ParaList->Get(i);
      changed = true;
    }
  }
  FullReformat = WidthRuleRequiresFull(w0, CalculateMinItemsWidthPlusEx(StartItemNo, last));
  return changed;
}

// ---- styles of items and of the style sheet ----------------------------------------------------

void TRVEditRVData::Do_StyleNo(int ItemNo, int StyleNo) {
  CheckItemNo(this, ItemNo);
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (!IsTextItem(item) || item->StyleNo == StyleNo) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoStyleNoInfo>();
    r->ItemNo = ItemNo;
    r->WasStyleNo = item->StyleNo;
    Record(list, std::move(r), GetEditor());
  }
  item->StyleNo = StyleNo;
}

void TRVEditRVData::Do_AssociatedTextStyleNo(int ItemNo, int TextStyleNo) {
  CheckItemNo(this, ItemNo);
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->GetAssociatedTextStyleNo() == TextStyleNo) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoAssociatedTextStyleNoInfo>();
    r->ItemNo = ItemNo;
    r->WasStyleNo = item->GetAssociatedTextStyleNo();
    Record(list, std::move(r), GetEditor());
  }
  item->SetAssociatedTextStyleNo(TextStyleNo);
}

void TRVEditRVData::ModifyStyleNoByTemplate(TCustomRVItemInfo* Item, int NewStyleNo) {
  UndoDest = udUndo;
  const int itemNo = Item ? GetItemNo(Item) : -1;
  if (TRVUndoList* list = GetUndoList(); list && itemNo >= 0) {
    std::unique_ptr<TRVUndoStyleNoInfo> r;
    if (IsTextItem(Item)) {
      r = std::make_unique<TRVUndoStyleNoInfo>();
      r->WasStyleNo = Item->StyleNo;
    } else {
      r = std::make_unique<TRVUndoAssociatedTextStyleNoInfo>();
      r->WasStyleNo = Item->GetAssociatedTextStyleNo();
    }
    r->ItemNo = itemNo;
    list->AddInfoIfPossible(r.release(), GetEditor());
  }
  TViroZereRVData::ModifyStyleNoByTemplate(Item, NewStyleNo);
}

void TRVEditRVData::Do_ChangeAllParas(TRVIntegerList* ParaMapList, TCustomRVData* SubDoc, TRVUndoList* List,
                                      TRVIntegerList* NewIndices) {
  if (!SubDoc) return;
  TRVUndoChangeAllParasInfo* info = nullptr;
  if (List) {
    auto r = std::make_unique<TRVUndoChangeAllParasInfo>();
    r->SubDoc = SubDoc;
    info = Record(List, std::move(r), GetEditor());
  }
  int index = 0;
  SubDoc->ChangeParagraphStyles(ParaMapList, NewIndices, info ? &info->Indices : nullptr, index);
}

void TRVEditRVData::Do_ChangeAllTextStyles(TRVIntegerList* StyleMapList, TCustomRVData* SubDoc, TRVUndoList* List,
                                           TRVIntegerList* NewIndices) {
  if (!SubDoc) return;
  TRVUndoChangeAllTextStyleInfo* info = nullptr;
  if (List) {
    auto r = std::make_unique<TRVUndoChangeAllTextStyleInfo>();
    r->SubDoc = SubDoc;
    info = Record(List, std::move(r), GetEditor());
  }
  int index = 0;
  SubDoc->ChangeTextStyles(StyleMapList, NewIndices, info ? &info->Indices : nullptr, index);
}

void TRVEditRVData::Do_RememberStyles(TCustomRVData* SubDoc, TRVUndoList* List) {
  TRVStyle* st = SubDoc ? SubDoc->GetRVStyle() : nullptr;
  if (!List || !st) return;
  auto r = std::make_unique<TRVUndoTextParaStyles>();
  r->SubDoc = SubDoc;
  r->OldTextStyles = std::make_unique<TFontInfos>(st->TextStyles()->ItemClass(), st);
  r->OldTextStyles->Assign(st->TextStyles());
  r->OldParaStyles = std::make_unique<TParaInfos>(st->ParaStyles()->ItemClass(), st);
  r->OldParaStyles->Assign(st->ParaStyles());
  Record(List, std::move(r), GetEditor());
}

bool TRVEditRVData::Do_ChangeStyleTemplates(TRVStyleTemplateCollection* NewStyleTemplates) {
  TRVStyle* st = GetRVStyle();
  if (!st || !NewStyleTemplates) return true;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoStyleTemplate>();
    r->OldStyleTemplates = std::make_unique<TRVStyleTemplateCollection>(nullptr);
    r->OldStyleTemplates->AssignStyleTemplates(st->StyleTemplates(), true);
    Record(list, std::move(r), GetEditor());
  }
  st->StyleTemplates()->AssignStyleTemplates(NewStyleTemplates, true);
  DoStyleTemplatesChange();
  return true;
}

// ---- item properties ---------------------------------------------------------------------------

void TRVEditRVData::Do_Tag(int ItemNo, const TRVTag& Tag, bool /*AssignAsIs*/) {
  CheckItemNo(this, ItemNo);
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->Tag == Tag) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoTagInfo>();
    r->ItemNo = ItemNo;
    r->WasTag = item->Tag;
    r->TagsArePChars = GetOptions().Contains(rvoTagsArePChars);
    Record(list, std::move(r), GetEditor());
  }
  // Tags are strings: assigning as is and copying are the same here.
  item->Tag = Tag;
}

void TRVEditRVData::Do_ExtraIntProperty(int ItemNo, int Prop, int Value, TRVReformatType ReformatType) {
  CheckItemNo(this, ItemNo);
  int old = 0;
  if (!GetItem(ItemNo)->GetExtraIntPropertyEx(Prop, old) || old == Value) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoExtraIntProperty>();
    r->ItemNo = ItemNo;
    r->OldValue = old;
    r->Prop = Prop;
    r->ReformatType = ReformatType;
    Record(list, std::move(r), GetEditor());
  }
  SetItemExtraIntPropertyEx(ItemNo, Prop, Value);
}

void TRVEditRVData::Do_ExtraStrProperty(int ItemNo, int Prop, const TRVUnicodeString& Value,
                                        TRVReformatType ReformatType) {
  CheckItemNo(this, ItemNo);
  TRVUnicodeString old;
  if (!GetItem(ItemNo)->GetExtraStrPropertyEx(Prop, old) || old == Value) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoExtraStrProperty>();
    r->ItemNo = ItemNo;
    r->OldValue = old;
    r->Prop = Prop;
    r->ReformatType = ReformatType;
    Record(list, std::move(r), GetEditor());
  }
  SetItemExtraStrPropertyEx(ItemNo, Prop, Value);
}

// The published property PropertyName of the item or of SubObject; a name the class does not
// publish is a caller's error and refused.
static std::pair<TPersistent*, const TPropInfo*> FindPublished(TRVEditRVData* D, int ItemNo, TObject* SubObject,
                                                               const TRVUnicodeString& PropertyName, bool Ordinal) {
  TPersistent* obj = SubObject ? dynamic_cast<TPersistent*>(SubObject) : D->GetItem(ItemNo);
  const TPropInfo* prop = obj ? obj->ClassInfo().FindProperty(PropertyName) : nullptr;
  const bool fits = prop && (Ordinal ? (prop->GetOrd && prop->SetOrd) : (prop->GetStr && prop->SetStr));
  if (!fits) throw EViroZereError("Undo error");
  return {obj, prop};
}

// Calls AfterUndoChangeProperty however the change ends.
namespace {
struct TPropertyChangeBracket {
  explicit TPropertyChangeBracket(TCustomRVItemInfo* AItem) : Item(AItem) { Item->BeforeUndoChangeProperty(); }
  ~TPropertyChangeBracket() { Item->AfterUndoChangeProperty(); }
  TCustomRVItemInfo* Item;
};
}  // namespace

TRVUndoModifyItemProps* TRVEditRVData::Do_ModifyItemIntProperty(int ItemNo, TObject* SubObject,
                                                                const TRVUnicodeString& PropertyName, int Value,
                                                                bool AffectSize, bool AffectWidth,
                                                                TRVUndoModifyItemPropsClass UndoInfoClass) {
  CheckItemNo(this, ItemNo);
  auto [obj, prop] = FindPublished(this, ItemNo, SubObject, PropertyName, true);
  const int old = static_cast<int>(prop->GetOrd(*obj));
  if (old == Value) return nullptr;
  TRVUndoModifyItemProps* result = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    std::unique_ptr<TRVUndoModifyItemProps> r(UndoInfoClass ? UndoInfoClass() : TRVUndoModifyItemIntProperty::Make());
    auto* rec = dynamic_cast<TRVUndoModifyItemIntProperty*>(r.get());
    if (!rec) throw EViroZereError("Undo error");
    rec->ItemNo = ItemNo;
    rec->PropertyName = PropertyName;
    rec->Value = old;
    rec->AffectWidth = AffectWidth;
    rec->AffectSize = AffectSize;
    rec->SubObject = SubObject;
    result = Record(list, std::move(r), GetEditor());
  }
  TPropertyChangeBracket bracket(GetItem(ItemNo));
  prop->SetOrd(*obj, Value);
  return result;
}

TRVUndoModifyItemProps* TRVEditRVData::Do_ModifyItemStrProperty(int ItemNo, TObject* SubObject,
                                                                const TRVUnicodeString& PropertyName,
                                                                const TRVUnicodeString& Value,
                                                                TRVUndoModifyItemPropsClass UndoInfoClass) {
  CheckItemNo(this, ItemNo);
  auto [obj, prop] = FindPublished(this, ItemNo, SubObject, PropertyName, false);
  const TRVUnicodeString old = prop->GetStr(*obj);
  if (old == Value) return nullptr;
  TRVUndoModifyItemProps* result = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    std::unique_ptr<TRVUndoModifyItemProps> r(UndoInfoClass ? UndoInfoClass() : TRVUndoModifyItemStrProperty::Make());
    auto* rec = dynamic_cast<TRVUndoModifyItemStrProperty*>(r.get());
    if (!rec) throw EViroZereError("Undo error");
    rec->ItemNo = ItemNo;
    rec->PropertyName = PropertyName;
    rec->Value = old;
    rec->SubObject = SubObject;
    result = Record(list, std::move(r), GetEditor());
  }
  TPropertyChangeBracket bracket(GetItem(ItemNo));
  prop->SetStr(*obj, Value);
  return result;
}

TRVUndoModifyItemProps* TRVEditRVData::Do_ModifyItemIntProperties(int ItemNo, TObject* SubObject, TStringList* PropList,
                                                                  bool AffectSize, bool AffectWidth,
                                                                  TRVUndoModifyItemPropsClass UndoInfoClass) {
  CheckItemNo(this, ItemNo);
  if (!PropList) return nullptr;
  // Every name is checked before anything changes, so a bad list changes nothing.
  for (int i = 0; i < PropList->Count(); ++i) FindPublished(this, ItemNo, SubObject, PropList->Names(i), true);
  std::unique_ptr<TRVUndoModifyItemProps> r(UndoInfoClass ? UndoInfoClass() : TRVUndoModifyItemIntProperties::Make());
  auto* rec = dynamic_cast<TRVUndoModifyItemIntProperties*>(r.get());
  if (!rec) throw EViroZereError("Undo error");
  rec->ItemNo = ItemNo;
  rec->AffectWidth = AffectWidth;
  rec->AffectSize = AffectSize;
  rec->SubObject = SubObject;
  // The old values are collected first: the record goes to the list before the item changes.
  struct TChange {
    TPersistent* Obj;
    const TPropInfo* Prop;
    int Value;
  };
  std::vector<TChange> changes;
  for (int i = PropList->Count() - 1; i >= 0; --i) {
    const TRVUnicodeString name = PropList->Names(i);
    auto [obj, prop] = FindPublished(this, ItemNo, SubObject, name, true);
    const int value = StrToInt(PropList->ValueFromIndex(i));
    const int old = static_cast<int>(prop->GetOrd(*obj));
    if (old == value) continue;
    rec->PropList->Add(name + u"=" + IntToStr(old));
    changes.push_back({obj, prop, value});
  }
  if (changes.empty()) return nullptr;
  TRVUndoModifyItemProps* result = nullptr;
  if (TRVUndoList* list = GetUndoList()) result = Record(list, std::move(r), GetEditor());
  TPropertyChangeBracket bracket(GetItem(ItemNo));
  for (const TChange& c : changes) c.Prop->SetOrd(*c.Obj, c.Value);
  return result;
}

void TRVEditRVData::Do_ItemModifyTerminator(int ItemNo, bool Opening) {
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoModifyItemTerminator>();
    r->ItemNo = ItemNo;
    r->Opening = Opening;
    Record(list, std::move(r), GetEditor());
  }
}

void TRVEditRVData::Do_ChangeVAlign(int ItemNo, TRVVAlign VAlign) {
  auto* item = CheckItemClass<TRVRectItemInfo>(ItemNo);
  if (item->VAlign == VAlign) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoChangeVAlignInfo>();
    r->ItemNo = ItemNo;
    r->VAlign = item->VAlign;
    Record(list, std::move(r), GetEditor());
  }
  item->VAlign = VAlign;
}

void TRVEditRVData::Do_Resize(int ItemNo, int Width, int Height, bool Reformat) {
  CheckItemNo(this, ItemNo);
  auto* item = dynamic_cast<TRVControlItemInfo*>(GetItem(ItemNo));
  if (!item || !item->Control) return;
  TControl* control = item->Control;
  if (control->GetWidth() == Width && control->GetHeight() == Height) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoResizeInfo>();
    r->ItemNo = ItemNo;
    r->Width = control->GetWidth();
    r->Height = control->GetHeight();
    Record(list, std::move(r), GetEditor());
  }
  int modifyData = 0;
  if (Reformat) BeginItemModify(ItemNo, modifyData);
  ResizingControl = control;
  struct TResizing {
    TRVEditRVData* D;
    ~TResizing() { D->ResizingControl = nullptr; }
  } resizing{this};
  control->SetBounds(control->GetLeft(), control->GetTop(), Width, Height);
  if (Reformat) EndItemModify(ItemNo, modifyData);
}

void TRVEditRVData::Do_SetIntProperty(TRVIntProperty Prop, int Value) {
  TCustomViroZereEdit* editor = GetEditor();
  if (!editor) return;
  const int old = editor->GetIntProperty(Prop);
  if (old == Value) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoEditorIntProp>();
    r->Prop = Prop;
    r->OldValue = old;
    Record(list, std::move(r), GetEditor());
  }
  editor->SetIntProperty(Prop, Value);
}

void TRVEditRVData::Do_SetBackgroundImage(TGraphic* Graphic) {
  TCustomViroZereEdit* editor = GetEditor();
  if (!editor) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoBackgroundImage>();
    auto copy = std::make_unique<TBitmap>();
    if (TGraphic* cur = editor->GetBackgroundBitmap()) copy->Assign(cur);
    r->OldGraphic = std::move(copy);
    Record(list, std::move(r), GetEditor());
  }
  try {
    editor->SetBackgroundBitmap(Graphic);
  } catch (const Exception&) {
    if (!Graphic) throw;
    // A graphic the bitmap cannot take is drawn onto a white bitmap of its size.
    TBitmap bmp;
    bmp.SetSize(Graphic->GetWidth(), Graphic->GetHeight());
    bmp.GetCanvas()->Brush().SetStyle(bsSolid);
    bmp.GetCanvas()->Brush().SetColor(static_cast<TColor>(0xFFFFFF));
    bmp.GetCanvas()->FillRect(TRect(0, 0, Graphic->GetWidth(), Graphic->GetHeight()));
    bmp.GetCanvas()->Draw(0, 0, Graphic);
    editor->SetBackgroundBitmap(&bmp);
  }
}

// ---- checkpoints -------------------------------------------------------------------------------

void TRVEditRVData::Do_AddCP(int ItemNo, TRVCPInfo* Checkpoint) {
  if (!Checkpoint) return;
  if (ItemNo != -1) CheckItemNo(this, ItemNo);
  if (ItemNo == -1 ? NotAddedCP != nullptr : GetItem(ItemNo)->Checkpoint != nullptr) CheckpointError();
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoAddCPInfo>();
    r->ItemNo = ItemNo;
    Record(list, std::move(r), GetEditor());
  }
  Checkpoint->Prev = Checkpoint->Next = nullptr;
  if (ItemNo == -1) {
    Checkpoint->ItemInfo = nullptr;
    NotAddedCP = Checkpoint;
    ++CPCount;
    return;
  }
  TCustomRVItemInfo* item = GetItem(ItemNo);
  Checkpoint->ItemInfo = item;
  item->Checkpoint = Checkpoint;
  ++CPCount;
  UpdateCPPos(Checkpoint, ItemNo);
}

void TRVEditRVData::Do_DeleteCP(int ItemNo) {
  if (ItemNo != -1) CheckItemNo(this, ItemNo);
  TRVCPInfo* cp = ItemNo == -1 ? NotAddedCP : GetItem(ItemNo)->Checkpoint;
  if (!cp) CheckpointError();
  TRVUndoDeleteCPInfo* info = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoDeleteCPInfo>();
    r->ItemNo = ItemNo;
    r->TagsArePChars = GetOptions().Contains(rvoTagsArePChars);
    info = Record(list, std::move(r), GetEditor());
  }
  if (ItemNo == -1)
    NotAddedCP = nullptr;
  else
    GetItem(ItemNo)->Checkpoint = nullptr;
  if (ItemNo == -1) {
    // The not-added checkpoint is outside the chain.
    --CPCount;
  } else {
    UnlinkCheckpoint(cp, true);
  }
  if (LastRaisedCP == cp) LastRaisedCP = nullptr;
  if (info) {
    info->Checkpoint = cp;
  } else {
    delete cp;
  }
}

void TRVEditRVData::Do_MoveCP(int FromItemNo, int ToItemNo) {
  CheckItemNo(this, FromItemNo);
  TRVCPInfo* cp = GetItem(FromItemNo)->Checkpoint;
  if (!cp) return;
  if (ToItemNo != -1) CheckItemNo(this, ToItemNo);
  if (ToItemNo == -1 ? NotAddedCP != nullptr : GetItem(ToItemNo)->Checkpoint != nullptr) Do_DeleteCP(ToItemNo);
  std::unique_ptr<TRVCPInfo> copy = cp->CreateCopy();
  Do_AddCP(ToItemNo, copy.get());
  copy.release();
  Do_DeleteCP(FromItemNo);
}

// ---- text items made for edits -----------------------------------------------------------------

TCustomRVItemInfo* TRVEditRVData::CreateTextItem(const TRVTag& Tag, int ParaNo, bool BR, bool SameAsPrev, int StyleNo) {
  std::unique_ptr<TCustomRVItemInfo> item = TextItemClass->Create(this);
  item->StyleNo = StyleNo;
  item->ParaNo = ParaNo;
  item->SetSameAsPrev(SameAsPrev);
  item->SetBR(BR);
  item->Tag = Tag;
  return item.release();
}

TCustomRVItemInfo* TRVEditRVData::CreateTextItemLike(const TRVTag& Tag, TCustomRVItemInfo* Source, bool BR,
                                                     bool SameAsPrev) {
  std::unique_ptr<TCustomRVItemInfo> item = TextItemClass->Create(this);
  if (Source) item->Assign(Source);
  item->ItemOptions = TRVItemOptions{rvioUnicode};
  item->SetSameAsPrev(SameAsPrev);
  item->SetBR(BR);
  item->Tag = Tag;
  return item.release();
}

TCustomRVItemInfo* TRVEditRVData::CreateSplitTextItem(TCustomRVItemInfo* Source) {
  std::unique_ptr<TCustomRVItemInfo> item = TextItemClass->Create(this);
  item->Assign(Source);
  item->ItemOptions = TRVItemOptions{rvioUnicode};
  item->SetSameAsPrev(Source->GetSameAsPrev());
  item->Tag = Source->Tag;
  item->Checkpoint = nullptr;
  return item.release();
}

TCustomRVItemInfo* TRVEditRVData::InsertNewTextItem(const TRVUnicodeString& Text, int ItemNo, bool& FullReformat,
                                                    bool BR, bool SameAsPrev, int StyleNo, int ParaNo,
                                                    const TRVTag& Tag) {
  std::unique_ptr<TCustomRVItemInfo> item(CreateTextItem(Tag, ParaNo, BR, SameAsPrev, StyleNo));
  TRVUnicodeString text = Text;
  TCustomRVItemInfo* p = item.get();
  Do_InsertItem(ItemNo, text, p, false, FullReformat);
  item.release();
  return p;
}

TCustomRVItemInfo* TRVEditRVData::InsertNewTextItemLike(const TRVUnicodeString& Text, int ItemNo, bool& FullReformat,
                                                        bool BR, bool SameAsPrev, TCustomRVItemInfo* Source,
                                                        const TRVTag& Tag) {
  std::unique_ptr<TCustomRVItemInfo> item(CreateTextItemLike(Tag, Source, BR, SameAsPrev));
  TRVUnicodeString text = Text;
  TCustomRVItemInfo* p = item.get();
  Do_InsertItem(ItemNo, text, p, false, FullReformat);
  item.release();
  return p;
}

TCustomRVItemInfo* TRVEditRVData::InsertEmptyTextItem(int ItemNo, const TRVTag& Tag, bool BR, bool SameAsPrev,
                                                      int StyleNo, int ParaNo) {
  bool fr = false;
  return InsertNewTextItem(TRVUnicodeString(), ItemNo, fr, BR, SameAsPrev, StyleNo, ParaNo, Tag);
}

// ---- sub-documents and ranges ------------------------------------------------------------------

void TRVEditRVData::Do_ChangeSubDoc(TRVMemoryStream* Stream, TCustomRVData* SubDoc) {
  if (!Stream || !SubDoc) return;
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoChangeSubDoc>();
    r->SubDoc = SubDoc;
    auto saved = std::make_unique<TRVMemoryStream>();
    SubDoc->SaveRVFToStream(saved.get(), false, clNone, nullptr, nullptr, true);
    r->Stream = saved.release();
    Record(list, std::move(r), GetEditor());
  }
  Stream->Seek(0, soBeginning);
  SubDoc->Clear();
  TColor color = clNone;
  TRVStyle* st = GetRVStyle();
  SubDoc->LoadRVFFromStreamEx(Stream, color, nullptr, nullptr, st ? st->StyleTemplates() : nullptr, nullptr);
  if (SubDoc->GetFlags().Contains(rvflRoot))
    if (TCustomRVFormattedData* fd = SubDoc->AsFormattedData())
      fd->Format_(false, true, false, 0, fd->GetFormatCanvas(), false, false, false, true, false);
  if (auto sv = GetScaleViroZereInterface()) sv->UpdateHFEditors(true);
}

void TRVEditRVData::RememberSubDoc(TRVMemoryStream* Stream, TCustomRVData* SubDoc) {
  std::unique_ptr<TRVMemoryStream> owned(Stream);
  BeginUndoSequence(rvutSubDoc, true);
  if (TRVUndoList* list = GetUndoList(); list && SubDoc && owned) {
    auto r = std::make_unique<TRVUndoChangeSubDoc>();
    r->SubDoc = SubDoc;
    r->Stream = owned.release();
    Record(list, std::move(r), GetEditor());
  }
  Change();
}

void TRVEditRVData::Do_ReformateRange(int StartNo, int EndNo, bool SuperReformat) {
  if (TRVUndoList* list = GetUndoList()) {
    auto r = std::make_unique<TRVUndoReformateRange>();
    r->ItemNo = StartNo;
    r->LastAffectedItemNo = EndNo;
    r->SuperReformat = SuperReformat;
    Record(list, std::move(r), GetEditor());
  }
}
