// Item queries, paragraph ranges, the special-item lists, navigation across sub-documents, and the
// document's share of the layout record, save scopes, blocks and progress.
#include <algorithm>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVFieldItems.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVSeqItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFileFuncs.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVGrIn.h"
#include "platform/graphics/Pictures.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "platform/base/NLS.h"

// ---- item flags and properties ---------------------------------------------------------------------

void TCustomRVData::SetItemTag(int ItemNo, const TRVUnicodeString& Tag) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->Tag != Tag) item->Tag = Tag;
}

bool TCustomRVData::GetPageBreaksBeforeItems(int Index) const {
  CheckItemIndex(Index);
  return GetItem(Index)->GetPageBreakBefore();
}

void TCustomRVData::SetPageBreaksBeforeItems(int Index, bool Value) {
  CheckItemIndex(Index);
  TCustomRVItemInfo* target = GetItem(Index);
  if (Index > 0 && GetItem(Index - 1)->StyleNo == ItemKindListMarker) target = GetItem(Index - 1);
  target->SetPageBreakBefore(Value);
}

bool TCustomRVData::GetClearLeft(int Index) const {
  CheckItemIndex(Index);
  return GetItem(Index)->GetClearLeft();
}

bool TCustomRVData::GetClearRight(int Index) const {
  CheckItemIndex(Index);
  return GetItem(Index)->GetClearRight();
}

TRVVAlign TCustomRVData::GetItemVAlign(int ItemNo) const { return CheckItemClass<TRVRectItemInfo>(ItemNo)->VAlign; }

void TCustomRVData::SetItemVAlign(int ItemNo, TRVVAlign AVAlign) { CheckItemClass<TRVRectItemInfo>(ItemNo)->VAlign = AVAlign; }

bool TCustomRVData::SetItemExtraIntPropertyEx(int ItemNo, int Prop, int Value) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  const bool r = item->SetExtraIntPropertyEx(Prop, Value);
  if (r && (Prop == rvepAnimationInterval || Prop == rvepImageWidth || Prop == rvepImageHeight))
    item->UpdateAnimator(this);
  if (auto* seq = dynamic_cast<TRVSeqItemInfo*>(item); seq && r) {
    TRVSeqList* list = GetSeqList(false);
    if (Prop == 300 || Prop == 301) {
      if (list) list->RecalcCounters(seq->GetIndexInList(list), GetRVStyle(), false);
    } else if (Prop == 302) {
      seq->CalcDisplayString(list);
    }
  }
  return r;
}

bool TCustomRVData::GetItemExtraIntPropertyEx(int ItemNo, int Prop, int& Value) {
  return GetItem(ItemNo)->GetExtraIntPropertyEx(Prop, Value);
}

bool TCustomRVData::SetItemExtraStrPropertyEx(int ItemNo, int Prop, const TRVUnicodeString& Value) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  const bool r = item->SetExtraStrPropertyEx(Prop, Value);
  if (auto* seq = dynamic_cast<TRVSeqItemInfo*>(item); seq && r) {
    TRVSeqList* list = GetSeqList(false);
    if (Prop == 300) {
      if (list) list->RecalcCounters(0, GetRVStyle(), true);
    } else if (Prop == 301) {
      seq->CalcDisplayString(list);
    }
  }
  return r;
}

bool TCustomRVData::GetItemExtraStrPropertyEx(int ItemNo, int Prop, TRVUnicodeString& Value) {
  return GetItem(ItemNo)->GetExtraStrPropertyEx(Prop, Value);
}

int TCustomRVData::GetFirstTextStyleNo(bool OnlyWithEmptyTags) {
  for (int i = 0; i < ItemCount(); ++i) {
    TCustomRVItemInfo* item = GetItem(i);
    if (item->StyleNo < 0) continue;
    if (OnlyWithEmptyTags && !item->Tag.empty()) continue;
    return GetActualStyle(item);
  }
  return 0;
}

// ---- hidden content ------------------------------------------------------------------------------------

bool TCustomRVData::IsHiddenItem(int ItemNo) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->StyleNo >= 0) {
    TRVStyle* st = GetRVStyle();
    return st && st->TextStyles()->Items(GetActualStyle(item))->Options.Contains(rvteoHidden);
  }
  auto* nt = dynamic_cast<TRVNonTextItemInfo*>(item);
  if (nt && nt->Hidden) return true;
  if (item->StyleNo != ItemKindListMarker) return false;
  // A marker is hidden with everything that follows it on its line.
  for (int i = ItemNo + 1; i < ItemCount() && GetItem(i)->GetSameAsPrev(); ++i)
    if (!IsHiddenItem(i)) return false;
  return true;
}

bool TCustomRVData::IsHiddenParaEnd(int FirstItemNo) {
  int last = FirstItemNo;
  while (last + 1 < ItemCount() && !IsParaStart(last + 1)) ++last;
  return IsHiddenItem(last);
}

// ---- paragraph ranges ---------------------------------------------------------------------------------

int TCustomRVData::GetFirstParaItem(int ItemNo) const {
  while (ItemNo > 0 && !IsParaStart(ItemNo)) --ItemNo;
  return ItemNo;
}

int TCustomRVData::GetFirstParaSectionItem(int ItemNo) const {
  while (ItemNo > 0 && !IsFromNewLine(ItemNo)) --ItemNo;
  return ItemNo;
}

void TCustomRVData::ExpandToPara(int ItemNo1, int ItemNo2, int& FirstItemNo, int& LastItemNo) const {
  FirstItemNo = GetFirstParaItem(ItemNo1);
  LastItemNo = ItemNo2;
  while (LastItemNo + 1 < ItemCount() && !IsParaStart(LastItemNo + 1)) ++LastItemNo;
}

void TCustomRVData::ExpandToParaSection(int ItemNo1, int ItemNo2, int& FirstItemNo, int& LastItemNo) const {
  FirstItemNo = GetFirstParaSectionItem(ItemNo1);
  LastItemNo = ItemNo2;
  while (LastItemNo + 1 < ItemCount() && !IsFromNewLine(LastItemNo + 1)) ++LastItemNo;
}

void TCustomRVData::UnifyParagraphStyle(int ItemNo) {
  if (ItemCount() == 0) return;
  ItemNo = std::min(ItemNo, ItemCount() - 1);
  const int first = GetFirstParaItem(ItemNo);
  const int para = GetItem(first)->ParaNo;
  for (int i = first + 1; i < ItemCount() && !GetItem(i)->CanBeBorderStart(); ++i) GetItem(i)->ParaNo = para;
}

void TCustomRVData::AdjustInItemsRange(int& ItemNo) const {
  ItemNo = std::clamp(ItemNo, 0, std::max(ItemCount() - 1, 0));
}

// ---- characters, code pages and direction ----------------------------------------------------------------

int TCustomRVData::GetNextCharPos(const TRVUnicodeString& S, int Pos) {
  if (Pos < 1 || Pos > static_cast<int>(S.size())) return Pos + 1;
  const WideChar* p = S.c_str() + (Pos - 1);
  return static_cast<int>(NextCharPtr(p) - S.c_str()) + 1;
}

int TCustomRVData::GetPrevCharPos(const TRVUnicodeString& S, int Pos) {
  if (Pos <= 1) return 1;
  Pos = std::min(Pos, static_cast<int>(S.size()) + 1);
  return static_cast<int>(PrevCharPtr(S.c_str(), S.c_str() + (Pos - 1)) - S.c_str()) + 1;
}

bool TCustomRVData::IsDelimiterAt(const TRVUnicodeString& S, int Index) {
  return Index >= 1 && Index <= static_cast<int>(S.size()) && IsDelimiterW(S[static_cast<std::size_t>(Index - 1)]);
}

TRVCodePage TCustomRVData::GetStyleCodePage(int StyleNo) const {
  TRVStyle* st = GetRVStyle();
  if (!st) return 0;
  if (StyleNo < 0) return st->DefCodePage;
  const TFontCharset cs = st->TextStyles()->Items(StyleNo)->Charset;
  return cs == DEFAULT_CHARSET ? st->DefCodePage : CharsetToCodePage(cs);
}

TRVCodePage TCustomRVData::GetItemCodePage(int ItemNo) { return GetStyleCodePage(GetActualTextStyle(GetItem(ItemNo))); }

bool TCustomRVData::IsSymbolCharset(int ItemNo) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  TRVStyle* st = GetRVStyle();
  if (item->StyleNo < 0 || !st) return false;
  return st->TextStyles()->Items(GetActualStyle(item))->Charset == SYMBOL_CHARSET;
}

LCID TCustomRVData::GetStyleLocale(int StyleNo) const {
  TRVStyle* st = GetRVStyle();
  if (StyleNo < 0 || !st) return LOCALE_USER_DEFAULT;
  return LocaleOfLanguage(CharsetToLanguageId(st->TextStyles()->Items(StyleNo)->Charset));
}

TRVCodePage TCustomRVData::GetDefaultCodePage() const {
  TRVStyle* st = GetRVStyle();
  return st ? st->DefCodePage : 0;
}

TRVBiDiMode TCustomRVData::GetParaBiDiMode(int ParaNo) {
  TRVStyle* st = GetRVStyle();
  const TRVBiDiMode m = st && ParaNo >= 0 ? st->ParaStyles()->Items(ParaNo)->BiDiMode : rvbdUnspecified;
  return m != rvbdUnspecified ? m : GetBiDiMode();
}

TRVBiDiMode TCustomRVData::GetItemBiDiMode2(TCustomRVItemInfo* Item) {
  TRVStyle* st = GetRVStyle();
  const int s = GetActualTextStyle(Item);
  if (st && s >= 0) {
    const TRVBiDiMode m = st->TextStyles()->Items(s)->BiDiMode;
    if (m != rvbdUnspecified) return m;
  }
  return GetParaBiDiMode(Item->ParaNo);
}

void TCustomRVData::GetItemBiDiModeEx(int ItemNo, TRVBiDiMode& Start, TRVBiDiMode& Ending) {
  Start = Ending = GetItemBiDiMode(ItemNo);
  TCustomRVItemInfo* item = GetItem(ItemNo);
  const TRVUnicodeString& text = item->ItemText;
  if (item->StyleNo < 0 || text.empty()) return;
  const int s = GetActualStyle(item);
  TRVStyle* st = GetRVStyle();
  if (st && st->TextStyles()->Items(s)->BiDiMode != rvbdUnspecified) Start = Ending = st->TextStyles()->Items(s)->BiDiMode;
  std::vector<WORD> types(text.size());
  if (!GetStringTypeExW(GetStyleLocale(s), CT_CTYPE2, text.data(), static_cast<int>(text.size()), types.data())) return;
  for (WORD t : types)
    if (t == C2_LEFTTORIGHT || t == C2_RIGHTTOLEFT) {
      Start = t == C2_LEFTTORIGHT ? rvbdLeftToRight : rvbdRightToLeft;
      break;
    }
  for (auto it = types.rbegin(); it != types.rend(); ++it)
    if (*it == C2_LEFTTORIGHT || *it == C2_RIGHTTOLEFT) {
      Ending = *it == C2_LEFTTORIGHT ? rvbdLeftToRight : rvbdRightToLeft;
      break;
    }
}

// ---- rotation ----------------------------------------------------------------------------------------------

TRVDocRotation TCustomRVData::GetRealRotation(bool FromAbsRoot) {
  if (!FromAbsRoot && GetParentData()) return GetRotation();
  int sum = 0;
  int depth = 0;
  for (TCustomRVData* d = this; d && depth < 1000; d = d->GetAbsoluteParentData(), ++depth) {
    sum += 90 * static_cast<int>(d->GetRotation());
    while (sum > 360) sum -= 360;
  }
  switch (sum) {
    case 90: return rvrot90;
    case 180: return rvrot180;
    case 270: return rvrot270;
    default: return rvrotNone;
  }
}

bool TCustomRVData::IsReallyVerticalText() {
  const TRVDocRotation r = GetRealRotation(true);
  return r == rvrot90 || r == rvrot270;
}

bool TCustomRVData::IsRotationUsed() {
  int depth = 0;
  for (TCustomRVData* d = this; d && depth < 1000; d = d->GetAbsoluteParentData(), ++depth)
    if (d->GetRotation() != rvrotNone) return true;
  return false;
}

// ---- list markers of paragraphs ------------------------------------------------------------------------------

int TCustomRVData::SetListMarkerInfo(int AItemNo, int AListNo, int AListLevel, int AStartFrom, int AParaNo,
                                     bool AUseStartFrom) {
  int index = ItemCount();
  if (AItemNo >= 0 && AItemNo < ItemCount()) {
    index = GetFirstParaItem(AItemNo);
    if (GetItem(index)->GetBoolValue(rvbpFullWidth)) return -1;
  }
  if (index < ItemCount() && GetItem(index)->StyleNo == ItemKindListMarker) {
    auto* m = static_cast<TRVMarkerItemInfo*>(GetItem(index));
    if (m->ListNo != AListNo || m->Level != AListLevel || m->StartFrom != AStartFrom || m->Reset != AUseStartFrom) {
      m->ListNo = AListNo;
      m->Level = AListLevel;
      m->StartFrom = AStartFrom;
      m->Reset = AUseStartFrom;
      if (TRVMarkerList* list = GetMarkers(false)) list->RecalcCounters(m->GetIndexInList(list), GetRVStyle(), true);
    }
    return index;
  }
  auto marker = std::make_unique<TRVMarkerItemInfo>(this, AListNo, AListLevel, AStartFrom, AUseStartFrom);
  TRVUnicodeString text;
  marker->Inserting(this, text, true);
  if (index < ItemCount()) {
    TCustomRVItemInfo* first = GetItem(index);
    marker->ParaNo = first->ParaNo;
    marker->ItemOptions = first->ItemOptions;
    marker->ItemOptions.Exclude(rvioSameAsPrev);
    marker->ItemOptions.Exclude(rvioBR);
    first->SetSameAsPrev(true);
  } else {
    marker->ParaNo = AParaNo >= 0 ? AParaNo : (ItemCount() > 0 ? GetItem(ItemCount() - 1)->ParaNo : 0);
  }
  TRVMarkerItemInfo* m = marker.release();
  FItems->InsertObject(index, u"", m);
  m->Inserted(this, index);
  AddMarkerInList(index);
  return index;
}

int TCustomRVData::GetListMarkerInfo(int AItemNo, int& AListNo, int& AListLevel, int& AStartFrom,
                                     bool& AUseStartFrom) {
  if (AItemNo < 0 || AItemNo >= ItemCount()) return -1;
  const int first = GetFirstParaItem(AItemNo);
  auto* m = dynamic_cast<TRVMarkerItemInfo*>(GetItem(first));
  if (!m || m->StyleNo != ItemKindListMarker) return -1;
  AListNo = m->ListNo;
  AListLevel = m->Level;
  AStartFrom = m->StartFrom;
  AUseStartFrom = m->Reset;
  return first;
}

void TCustomRVData::RecalcMarker(int AItemNo, bool AllowCreateList) {
  auto* m = dynamic_cast<TRVMarkerItemInfo*>(GetItem(AItemNo));
  if (!m) return;
  if (TRVMarkerList* list = GetMarkers(AllowCreateList)) list->RecalcCounters(m->GetIndexInList(list), GetRVStyle(), true);
}

// ---- the special-item lists --------------------------------------------------------------------------------

namespace {
template <typename T>
TCustomRVItemInfo* FindInSubDocs(TCustomRVItemInfo* Item, TRVStoreSubRVData* Before, bool UseBefore);

// The last item of class T in Doc at or before ItemNo, looking into sub-documents, depth first.
template <typename T>
TCustomRVItemInfo* FindBackwards(TCustomRVData* Doc, int ItemNo) {
  for (int i = std::min(ItemNo, Doc->ItemCount() - 1); i >= 0; --i) {
    TCustomRVItemInfo* item = Doc->GetItem(i);
    // Text items are neither markers nor sequences and hold no documents: most of a document
    // is passed over without a cast.
    if (item->StyleNo >= 0) continue;
    if (dynamic_cast<T*>(item)) return item;
    if (TCustomRVItemInfo* r = FindInSubDocs<T>(item, nullptr, false)) return r;
  }
  return nullptr;
}

// Sub-documents of Item from the last (or from the one before Before) to the first.
template <typename T>
TCustomRVItemInfo* FindInSubDocs(TCustomRVItemInfo* Item, TRVStoreSubRVData* Before, bool UseBefore) {
  std::unique_ptr<TRVStoreSubRVData> state;
  std::vector<TCustomRVData*> docs;
  std::vector<std::unique_ptr<TRVStoreSubRVData>> states;
  for (TCustomRVData* d = Item->GetSubRVData(state, rvdFirst); d && docs.size() < 100000;
       d = Item->GetSubRVData(state, rvdNext, d)) {
    docs.push_back(d);
    states.push_back(state ? state->Duplicate() : nullptr);
  }
  std::size_t end = docs.size();
  if (UseBefore) {
    end = 0;
    for (std::size_t i = 0; i < docs.size(); ++i)
      if (Before && states[i] && states[i]->Compare(Before) < 0) end = i + 1;
  }
  for (std::size_t i = end; i-- > 0;)
    if (TCustomRVItemInfo* r = FindBackwards<T>(docs[i], docs[i]->ItemCount() - 1)) return r;
  return nullptr;
}

template <typename T>
TCustomRVItemInfo* FindPreviousItemOfClass(TCustomRVData* Doc, int ItemNo) {
  int depth = 0;
  while (Doc && depth++ < 1000) {
    if (TCustomRVItemInfo* r = FindBackwards<T>(Doc, ItemNo)) return r;
    int parentItemNo = -1;
    TRVStoreSubRVData* location = nullptr;
    Doc->GetParentInfo(parentItemNo, location);
    TCustomRVData* parent = Doc->GetAbsoluteParentData();
    if (parentItemNo < 0 || !parent) return nullptr;
    if (TCustomRVItemInfo* r = FindInSubDocs<T>(parent->GetItem(parentItemNo), location, true)) return r;
    Doc = parent;
    ItemNo = parentItemNo - 1;
  }
  return nullptr;
}
}  // namespace

TCustomRVItemInfo* TCustomRVData::FindPreviousMarker(int ItemNo) {
  return FindPreviousItemOfClass<TRVMarkerItemInfo>(this, ItemNo);
}

TCustomRVItemInfo* TCustomRVData::FindPreviousSeqItem(int ItemNo) {
  return FindPreviousItemOfClass<TRVSeqItemInfo>(this, ItemNo);
}

void TCustomRVData::AddMarkerInList(int ItemNo) {
  auto* m = dynamic_cast<TRVMarkerItemInfo*>(GetItem(ItemNo));
  if (!m) return;
  TRVMarkerList* list = GetMarkers(true);
  if (!list || m->GetIndexInList(list) >= 0) return;
  auto* after = static_cast<TRVMarkerItemInfo*>(FindPreviousMarker(ItemNo - 1));
  if (after && after->GetIndexInList(list) < 0) return;
  const int index = list->InsertAfter(m, after);
  list->RecalcCounters(index, GetRVStyle(), false);
}

void TCustomRVData::DeleteMarkerFromList(TCustomRVItemInfo* Item, bool Clearing) {
  auto* m = dynamic_cast<TRVMarkerItemInfo*>(Item);
  TRVMarkerList* list = m ? GetMarkers(false) : nullptr;
  if (!list) return;
  const int index = m->GetIndexInList(list);
  if (index < 0) return;
  list->Delete(index);
  m->FCachedIndexInList = -1;
  if (list->Count() == 0)
    DestroyMarkers();
  else if (!Clearing)
    list->RecalcCounters(std::min(index, list->Count() - 1), GetRVStyle(), true);
}

void TCustomRVData::AddSeqInList(int ItemNo) {
  auto* s = dynamic_cast<TRVSeqItemInfo*>(GetItem(ItemNo));
  if (!s) return;
  TRVSeqList* list = GetSeqList(true);
  if (!list || s->GetIndexInList(list) >= 0) return;
  auto* after = static_cast<TRVSeqItemInfo*>(FindPreviousSeqItem(ItemNo - 1));
  const int index = list->InsertAfter(s, after && after->GetIndexInList(list) >= 0 ? after : nullptr);
  list->RecalcCounters(index, GetRVStyle(), false);
}

void TCustomRVData::DeleteSeqFromList(TCustomRVItemInfo* Item, bool Clearing) {
  auto* s = dynamic_cast<TRVSeqItemInfo*>(Item);
  TRVSeqList* list = s ? GetSeqList(false) : nullptr;
  if (!list) return;
  const int index = s->GetIndexInList(list);
  if (index < 0) return;
  list->Delete(index);
  s->FCachedIndexInList = -1;
  if (list->Count() == 0)
    DestroySeqList();
  else if (!Clearing)
    list->RecalcCounters(std::min(index, list->Count() - 1), GetRVStyle(), true);
}

void TCustomRVData::AddPrintFieldInList(int ItemNo) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (!item->GetBoolValue(rvbpIsPrintField)) return;
  TList* list = GetPrintFieldList(true);
  if (list && list->IndexOf(item) < 0) list->Add(item);
}

void TCustomRVData::DeletePrintFieldFromList(TCustomRVItemInfo* Item) {
  if (!Item->GetBoolValue(rvbpIsPrintField)) return;
  TList* list = GetPrintFieldList(false);
  if (!list) return;
  list->Remove(Item);
  if (list->Count() == 0) DestroyPrintFieldList();
}

void TCustomRVData::DoOnAddSpecialItem(int ItemNo) {
  if (GetItem(ItemNo)->StyleNo >= 0) return;  // text items are never special
  AddSeqInList(ItemNo);
  AddMarkerInList(ItemNo);
  AddPrintFieldInList(ItemNo);
}

void TCustomRVData::DoOnDeleteSpecialItem(TCustomRVItemInfo* Item, bool Clearing) {
  if (Item->StyleNo >= 0) return;  // text items are never special
  DeleteSeqFromList(Item, Clearing);
  DeleteMarkerFromList(Item, Clearing);
  DeletePrintFieldFromList(Item);
}

int TCustomRVData::FindLastMarkerByLists(int Index, const TRVIntegerList* Lists) {
  TRVMarkerList* list = GetMarkers(false);
  if (!list || !Lists) return -1;
  for (int i = list->Count() - 1; i > Index; --i)
    if (Lists->IndexOf(list->Items(i)->ListNo) >= 0) return i;
  return -1;
}

int TCustomRVData::FindLastSeqItemByNames(int Index, const std::vector<TRVUnicodeString>& Names) {
  TRVSeqList* list = GetSeqList(false);
  if (!list) return -1;
  for (int i = list->Count() - 1; i > Index; --i)
    if (std::find(Names.begin(), Names.end(), list->Items(i)->SeqName) != Names.end()) return i;
  return -1;
}

// ---- navigation and enumeration --------------------------------------------------------------------------

int TCustomRVData::GetAbsoluteRootItemNo(int ItemNo) {
  TCustomRVData* d = this;
  for (int depth = 0; depth < 1000; ++depth) {
    int parentItemNo = -1;
    TRVStoreSubRVData* location = nullptr;
    d->GetParentInfo(parentItemNo, location);
    TCustomRVData* parent = d->GetAbsoluteParentData();
    if (parentItemNo < 0 || !parent) return ItemNo;
    ItemNo = parentItemNo;
    d = parent;
  }
  return ItemNo;
}

TCustomRVData* TCustomRVData::GetTopLevelChosenRVData() {
  TCustomRVData* r = this;
  for (int depth = 0; depth < 1000; ++depth) {
    TCustomRVData* c = r->GetChosenRVData();
    if (!c || c == r) break;
    r = c;
  }
  return r;
}

static bool ContainsItem(TCustomRVItemInfo* Holder, const TCustomRVItemInfo* Item, int Depth) {
  if (Depth > 200) return false;
  std::unique_ptr<TRVStoreSubRVData> state;
  for (TCustomRVData* d = Holder->GetSubRVData(state, rvdFirst); d; d = Holder->GetSubRVData(state, rvdNext, d))
    for (int i = 0; i < d->ItemCount(); ++i)
      if (d->GetItem(i) == Item || ContainsItem(d->GetItem(i), Item, Depth + 1)) return true;
  return false;
}

int TCustomRVData::FindContainingItemNo(int StartItemNo, const TCustomRVItemInfo* Item) {
  for (int i = std::max(StartItemNo, 0); i < ItemCount(); ++i)
    if (GetItem(i) == Item || ContainsItem(GetItem(i), Item, 0)) return i;
  return -1;
}

bool TCustomRVData::EnumItems(const TRVEnumItemsProc& Proc, int& UserData1, const TRVUnicodeString& UserData2) {
  bool cont = true;
  for (int i = 0; i < ItemCount() && cont; ++i) {
    Proc(this, i, UserData1, UserData2, cont);
    if (!cont) break;
    TCustomRVItemInfo* item = GetItem(i);
    std::unique_ptr<TRVStoreSubRVData> state;
    for (TCustomRVData* d = item->GetSubRVData(state, rvdFirst); d && cont; d = item->GetSubRVData(state, rvdNext, d))
      cont = d->EnumItems(Proc, UserData1, UserData2);
  }
  return cont;
}

int TCustomRVData::CompareItemPositions(int ItemNo, TCustomRVData* RVData2, int ItemNo2) {
  TCustomRVData* D1 = GetSourceRVData();
  TCustomRVData* D2 = RVData2->GetSourceRVData();
  int I1 = ItemNo, I2 = ItemNo2;
  TRVStoreSubRVData* L1 = nullptr;
  TRVStoreSubRVData* L2 = nullptr;
  for (int guard = 0; D1 != D2; ++guard) {
    if (guard > 100000) throw EViroZereError("Error when comparing positions in the document");
    int p = -1;
    TRVStoreSubRVData* loc = nullptr;
    D2->GetParentInfo(p, loc);
    TCustomRVData* parent2 = D2->GetAbsoluteParentData();
    if (p >= 0 && parent2) {
      I2 = p;
      L2 = loc;
      D2 = parent2->GetSourceRVData();
      continue;
    }
    D1->GetParentInfo(p, loc);
    TCustomRVData* parent1 = D1->GetAbsoluteParentData();
    if (p < 0 || !parent1) throw EViroZereError("Error when comparing positions in the document");
    I1 = p;
    L1 = loc;
    D1 = parent1->GetSourceRVData();
    D2 = RVData2->GetSourceRVData();
    I2 = ItemNo2;
    L2 = nullptr;
  }
  if (I1 != I2) return I1 - I2;
  if (L1 && L2) return L1->Compare(L2);
  if (L1) return 1;
  if (L2) return -1;
  return 0;
}

// ---- layout record, save scope, blocks and progress ---------------------------------------------------------

bool TCustomRVData::InsertFirstRVFItem(int& Index, TRVUnicodeString& Text, TCustomRVItemInfo*& Item, bool,
                                       bool& FullReformat, int& NewListNo) {
  FullReformat = false;
  NewListNo = -1;
  if (!Item) return false;
  Index = std::clamp(Index, 0, ItemCount());
  Item->Inserting(this, Text, true);
  FItems->InsertObject(Index, Text, Item);
  Item->Inserted(this, Index);
  DoOnAddSpecialItem(Index);
  return true;
}

int TCustomRVData::GetRVFSaveScope(bool SelectionOnly) {
  if (SelectionOnly) return rvfss_Selection;
  if (GetAbsoluteRootData()->State.Contains(rvstSavingPage)) return rvfss_FullInPage;
  return rvfss_Full;
}

void TCustomRVData::SaveRVFBlockToStream(TStream* Stream) {
  const std::int64_t start = Stream->GetPosition();
  Stream->WriteValue<std::int32_t>(0);
  TRVDataRootProperties* rp = GetRootProperties();
  const bool saveBack = rp && rp->RVFOptions.Contains(rvfoSaveBack);
  if (saveBack) rp->RVFOptions.Exclude(rvfoSaveBack);
  try {
    GetRVData()->SaveRVFToStream(Stream, false, clNone, nullptr, nullptr, false);
  } catch (...) {
    if (saveBack) rp->RVFOptions.Include(rvfoSaveBack);
    throw;
  }
  if (saveBack) rp->RVFOptions.Include(rvfoSaveBack);
  const std::int64_t end = Stream->GetPosition();
  Stream->Seek(start, soBeginning);
  Stream->WriteValue<std::int32_t>(static_cast<std::int32_t>(end - start - 4));
  Stream->Seek(end, soBeginning);
}

void TCustomRVData::LoadRVFBlockFromStream(TStream* Stream) {
  const std::int64_t left = Stream->GetSize() - Stream->GetPosition();
  if (left < 4) throw EReadError("Error in reading RVF subdocument");
  const std::int32_t size = Stream->ReadValue<std::int32_t>();
  if (size < 0 || size > left - 4) throw EReadError("Error in reading RVF subdocument");
  TMemoryStream block;
  block.SetSize(size);
  if (size > 0) Stream->ReadBuffer(block.Memory(), size);
  block.Seek(0, soBeginning);
  State.Include(rvstLoadingAsPartOfItem);
  State.Include(rvstLoadingAsSubDoc);
  TRVLayoutInfo layout;
  TColor color = clNone;
  bool ok = false;
  try {
    ok = LoadRVFFromStream(&block, color, nullptr, &layout);
  } catch (...) {
    RVRethrowUnlessDataError();
    ok = false;
  }
  State.Exclude(rvstLoadingAsPartOfItem);
  State.Exclude(rvstLoadingAsSubDoc);
  if (!ok) throw EReadError("Error in reading RVF subdocument");
  if (layout.Loaded) ApplyLayoutFlags(layout);
}

void TCustomRVData::ApplyLayoutFlags(const TRVLayoutInfo& Layout) {
  if (Layout.FirstParaAborted != 0) {
    State.Include(rvstFirstParaAborted);
    FFirstParaListNo = Layout.FirstMarkerListNo;
    FFirstParaLevel = Layout.FirstMarkerLevel;
  } else {
    State.Exclude(rvstFirstParaAborted);
    FFirstParaListNo = FFirstParaLevel = -1;
  }
  if (Layout.LastParaAborted != 0)
    State.Include(rvstLastParaAborted);
  else
    State.Exclude(rvstLastParaAborted);
}

bool TCustomRVData::SaveProgressInit(int& Progress, int Max, int Operation) {
  Progress = 0;
  TRVDataRootEvents* ev = GetRootEvents();
  const bool active = Max > 1000 && ev && ev->OnProgress;
  if (active) ev->OnProgress(Operation, rvpstgStarting, 0);
  return active;
}

void TCustomRVData::SaveProgressRun(int& Progress, int Position, int Max, int Operation) {
  const int p = MulDiv(Position, 100, Max);
  if (p == Progress) return;
  Progress = p;
  if (TRVDataRootEvents* ev = GetRootEvents(); ev && ev->OnProgress) ev->OnProgress(Operation, rvpstgRunning, p);
}

void TCustomRVData::SaveProgressDone(int Operation) {
  if (TRVDataRootEvents* ev = GetRootEvents(); ev && ev->OnProgress) ev->OnProgress(Operation, rvpstgEnding, 100);
}

TRVUnicodeString TCustomRVData::GetNextFileName(const TRVUnicodeString& ImagesPrefix, const TRVUnicodeString& Path,
                                                const TRVUnicodeString& Ext, int& imgSaveNo, bool OverrideFiles) {
  return GetNextFileNameBase(ImagesPrefix, Path, Ext, imgSaveNo, OverrideFiles);
}

TRVUnicodeString TCustomRVData::DoSavePicture(TRVSaveFormat DocumentSaveFormat, TCustomRVData* RVData, int ItemNo,
                                              const TRVUnicodeString& imgSavePrefix, const TRVUnicodeString& Path,
                                              int& imgSaveNo, bool OverrideFiles, TColor CurrentFileColor,
                                              TGraphic* gr) {
  TRVUnicodeString location;
  bool doDefault = true;
  if (TRVDataRootEvents* ev = GetRootEvents(); ev && ev->OnSaveImage2) ev->OnSaveImage2(RVData, ItemNo, gr, location, doDefault);
  if (!doDefault) return location;
  return SavePicture(DocumentSaveFormat, imgSavePrefix, Path, imgSaveNo, OverrideFiles, CurrentFileColor, gr);
}

TRVUnicodeString TCustomRVData::SavePicture(TRVSaveFormat DocumentSaveFormat, const TRVUnicodeString& imgSavePrefix,
                                            const TRVUnicodeString& Path, int& imgSaveNo, bool OverrideFiles,
                                            TColor CurrentFileColor, TGraphic* gr) {
  const bool html = DocumentSaveFormat == rvsfHTML;
  const bool native = html && GraphicHandler && GraphicHandler->IsHTMLGraphic(gr);
  TRVUnicodeString ext = u".bmp";
  if (native)
    ext = u"." + GraphicHandler->GetGraphicExt(gr);
  else if (html && GraphicHandler && GraphicHandler->IsJpegClassAssigned())
    ext = u".jpg";
  const TRVUnicodeString fileName = GetNextFileName(imgSavePrefix, Path, ext, imgSaveNo, OverrideFiles);
  TRVUnicodeString folder = FilePathOf(imgSavePrefix);
  if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
  const TRVUnicodeString location = folder + FileNameOf(fileName);
  if (native) {
    GraphicHandler->SaveToFile(gr, fileName);
    return location;
  }
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(gr->GetWidth(), gr->GetHeight());
  TCanvas* c = bmp.GetCanvas();
  c->Brush().SetStyle(bsSolid);
  c->Brush().SetColor(CurrentFileColor == clNone ? clWhite : CurrentFileColor);
  c->FillRect(TRect(0, 0, gr->GetWidth(), gr->GetHeight()));
  if (TRVStyle* st = GetRVStyle())
    st->GetGraphicInterface()->DrawGraphic(c, 0, 0, gr);
  else
    c->Draw(0, 0, gr);
  if (ext == u".jpg") {
    std::unique_ptr<TGraphic> jpeg = GraphicHandler->CreateGraphicByType(rvgtJPEG);
    jpeg->Assign(&bmp);
    GraphicHandler->SaveToFile(jpeg.get(), fileName);
  } else {
    GraphicHandler->SaveToFile(&bmp, fileName);
  }
  return location;
}
