// Keeping a document and its style sheet tidy: finding or adding styles, deleting the styles no
// item uses with renumbering of every reference, joining adjacent text items and repairing the
// paragraph structure of a document built by hand.
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVDeleteUnusedStyles.h"
#include "engine/document/RVRTFReaderProps.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFileFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"

// ---- finding and adding styles ------------------------------------------------------------------------

int TCustomRVData::GetOrAddTextStyle(TFontInfo* TextStyle) {
  TRVStyle* st = GetRVStyle();
  if (!st) return -1;
  const int before = st->TextStyles()->Count();
  const int r = st->FindTextStyle(TextStyle);
  if (st->TextStyles()->Count() > before) AfterAddStyle(st->TextStyles()->Items(st->TextStyles()->Count() - 1));
  return r;
}

int TCustomRVData::GetOrAddParaStyle(TParaInfo* ParaStyle) {
  TRVStyle* st = GetRVStyle();
  if (!st) return -1;
  const int before = st->ParaStyles()->Count();
  const int r = st->FindParaStyle(ParaStyle);
  if (st->ParaStyles()->Count() > before) AfterAddStyle(st->ParaStyles()->Items(st->ParaStyles()->Count() - 1));
  return r;
}

// ---- deleting unused styles ---------------------------------------------------------------------------

namespace {

// Marks a used style and, depth first, the styles it refers to; references out of range become -1.
void MarkReferences(TCustomRVInfos* Styles, TRVIntegerList* Used, int Index, std::vector<bool>& Visited) {
  if (Index < 0 || Index >= Styles->Count() || Visited[static_cast<std::size_t>(Index)]) return;
  Visited[static_cast<std::size_t>(Index)] = true;
  Used->Put(Index, 1);
  TCustomRVInfo* info = Styles->GetInfo(Index);
  auto follow = [&](int& ref) {
    if (ref >= Styles->Count()) ref = -1;
    if (ref >= 0) MarkReferences(Styles, Used, ref, Visited);
  };
  follow(info->BaseStyleNo);
  if (auto* fi = dynamic_cast<TFontInfo*>(info)) follow(fi->NextStyleNo);
  if (auto* pi = dynamic_cast<TParaInfo*>(info)) follow(pi->NextParaNo);
}

void MarkUsedStyles(TCustomRVInfos* Styles, TRVIntegerList* Used) {
  std::vector<bool> visited(static_cast<std::size_t>(Styles->Count()), false);
  for (int i = 0; i < Styles->Count(); ++i)
    if (Used->Get(i) != 0) MarkReferences(Styles, Used, i, visited);
}

}  // namespace

void TCustomRVData::DoMarkStylesInUse(TRVDeleteUnusedStylesData* Data) {
  for (int i = 0; i < ItemCount(); ++i) GetItem(i)->MarkStylesInUse(Data);
}

void TCustomRVData::DoUpdateStyles(TRVDeleteUnusedStylesData* Data) {
  for (int i = 0; i < ItemCount(); ++i) GetItem(i)->UpdateStyles(Data);
}

void TCustomRVData::MarkStylesInUse(TRVDeleteUnusedStylesData* Data) {
  TRVStyle* st = GetRVStyle();
  if (!st) return;
  Data->Init(st);
  DoMarkStylesInUse(Data);
  if (Data->ParaStyles()) MarkUsedStyles(st->ParaStyles(), Data->UsedParaStyles());
  if (Data->TextStyles()) {
    TParaInfos* ps = st->ParaStyles();
    for (int i = 0; i < ps->Count(); ++i)
      if (Data->UsedParaStyles()->Get(i) != 0 && ps->Items(i)->DefStyleNo >= 0)
        Data->MarkTextStyle(ps->Items(i)->DefStyleNo);
    if (st->DefUnicodeStyle >= 0) {
      if (st->DefUnicodeStyle < st->TextStyles()->Count())
        Data->MarkTextStyle(st->DefUnicodeStyle);
      else
        st->DefUnicodeStyle = -1;
    }
    MarkUsedStyles(st->TextStyles(), Data->UsedTextStyles());
  }
  if (Data->ListStyles()) MarkUsedStyles(st->ListStyles(), Data->UsedListStyles());
}

void TCustomRVData::DeleteMarkedStyles(TRVDeleteUnusedStylesData* Data) {
  TRVStyle* st = GetRVStyle();
  if (!st) return;
  Data->ConvertFlagsToShifts(st);
  DoUpdateStyles(Data);
  AfterDeleteUnusedStyles(Data);
}

void TCustomRVData::DeleteUnusedStyles(bool TextStyles, bool ParaStyles, bool ListStyles) {
  TRVStyle* st = GetRVStyle();
  if (!st) return;
  TRVDeleteUnusedStylesData data(TextStyles, ParaStyles, ListStyles);
  const int defUnicode = st->DefUnicodeStyle;
  MarkStylesInUse(&data);
  const int defAfterMark = st->DefUnicodeStyle;
  DeleteMarkedStyles(&data);
  if (TextStyles && defUnicode >= 0)
    st->DefUnicodeStyle = defAfterMark < 0 ? -1 : TRVDeleteUnusedStylesData::ShiftReference(data.UsedTextStyles(), defAfterMark);
}

// ---- joining items ------------------------------------------------------------------------------------

namespace {

bool IsTextItem(const TCustomRVItemInfo* Item) { return Item && Item->StyleNo >= 0; }

}  // namespace

bool TCustomRVData::CanConcateItems(TCustomRVItemInfo* Item1, TCustomRVItemInfo* Item2, bool IgnoreTags,
                                    bool AllowNonText, bool ForceSameLine, const TRVUnicodeString& Text2,
                                    const TRVUnicodeString& Text1) {
  if (!Item1 || !Item2) return false;
  const bool t1 = IsTextItem(Item1), t2 = IsTextItem(Item2);
  if (!AllowNonText && (!t1 || !t2)) return false;
  TRVStyle* st = GetRVStyle();
  auto font = [&](TCustomRVItemInfo* it) -> TFontInfo* {
    if (!st || !IsTextItem(it)) return nullptr;
    const int ts = GetActualTextStyle(it);
    return RVInRange(ts, st->TextStyles()->Count()) ? st->TextStyles()->Items(ts) : nullptr;
  };
  TFontInfo* f1 = font(Item1);
  TFontInfo* f2 = font(Item2);
  const bool w1 = f1 && f1->EmptyWidth > 0, w2 = f2 && f2->EmptyWidth > 0;
  auto prot = [](TFontInfo* f) {
    return f && (f->Protection.Contains(rvprModifyProtect) || f->Protection.Contains(rvprDeleteProtect) ||
                 f->Protection.Contains(rvprConcateProtect));
  };
  const bool p1 = prot(f1), p2 = prot(f2);
  const bool e1 = t1 && Text1.empty(), e2 = t2 && Text2.empty();
  const bool tagsDiffer = Item1->Tag != Item2->Tag;
  if (((Item1->StyleNo != Item2->StyleNo || (tagsDiffer && !IgnoreTags)) && (w1 || w2)) || (w1 && p1) || (w2 && p2))
    return false;
  if ((e1 || (e2 && Item1->StyleNo != ItemKindListMarker)) && (ForceSameLine || Item2->GetSameAsPrev())) return true;
  if (!t1 || !t2 || Item1->StyleNo != Item2->StyleNo || !(Item2->GetSameAsPrev() || ForceSameLine) ||
      Item1->Hint != Item2->Hint)
    return false;
  if (tagsDiffer && !IgnoreTags) return false;
  return !Item2->Checkpoint && (e1 || e2 || !p1);
}

bool TCustomRVData::CanConcateItemsAt(int ItemNo, bool AllowNonText, bool ForceSameLine) {
  if (ItemNo < 0 || ItemNo + 1 >= ItemCount()) return false;
  TCustomRVItemInfo* a = GetItem(ItemNo);
  TCustomRVItemInfo* b = GetItem(ItemNo + 1);
  return CanConcateItems(a, b, false, AllowNonText, ForceSameLine, b->ItemText, a->ItemText);
}

void TCustomRVData::ConcateItems(int ItemNo) {
  TCustomRVItemInfo* item1 = GetItem(ItemNo);
  TCustomRVItemInfo* item2 = GetItem(ItemNo + 1);
  if (IsTextItem(item2) && item2->ItemText.empty()) {
    DeleteItems(ItemNo + 1, 1);
  } else if (IsTextItem(item1) && item1->ItemText.empty()) {
    item2->AssignParaProperties(item1);
    item2->ParaNo = item1->ParaNo;
    if (!item2->Checkpoint && item1->Checkpoint) {
      item2->Checkpoint = item1->Checkpoint;
      item1->Checkpoint = nullptr;
      item2->Checkpoint->ItemInfo = item2;
    }
    DeleteItems(ItemNo, 1);
  } else if (IsTextItem(item1) && IsTextItem(item2)) {
    item1->ItemText += item2->ItemText;
    DeleteItems(ItemNo + 1, 1);
  } else {
    DeleteItems(ItemNo + 1, 1);
  }
}

void TCustomRVData::ConcateItemsInRange(int FirstItemNo, int LastItemNo) {
  FirstItemNo = std::max(FirstItemNo, 0);
  LastItemNo = std::min(LastItemNo, ItemCount() - 1);
  for (int i = LastItemNo; i > FirstItemNo; --i) {
    if (i >= ItemCount()) continue;
    ConcateItemsInSubDocs(i);
    if (CanConcateItemsAt(i - 1, true, false)) ConcateItems(i - 1);
  }
  if (FirstItemNo < ItemCount()) ConcateItemsInSubDocs(FirstItemNo);
  UpdateCheckpointItemNumbers();
}

void TCustomRVData::ConcateItemsInSubDocs(int ItemNo) {
  std::unique_ptr<TRVStoreSubRVData> store;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  for (TCustomRVData* d = item->GetSubRVData(store, rvdFirst); d; d = item->GetSubRVData(store, rvdNext, d)) {
    TCustomRVData* sub = d->GetRVData();
    sub->ConcateItemsInRange(0, sub->ItemCount() - 1);
    for (int i = 0; i < sub->ItemCount(); ++i) sub->ConcateItemsInSubDocs(i);
  }
}

// ---- normalisation ------------------------------------------------------------------------------------

void TCustomRVData::NormalizeDocument(int FirstItemNo, bool Recursive) {
  if (FirstItemNo < 0 || FirstItemNo >= ItemCount()) return;
  bool prevFullWidth = true, prevMarker = false;
  int curPara = GetItem(FirstItemNo)->ParaNo;
  auto makeEmpty = [this]() {
    auto e = TextItemClass->Create(this);
    e->StyleNo = 0;
    e->ParaNo = 0;
    e->SetSameAsPrev(true);
    return e;
  };
  auto insertAt = [this](int Index, std::unique_ptr<TCustomRVItemInfo> Item) {
    TRVUnicodeString s;
    Item->Inserting(this, s, true);
    TCustomRVItemInfo* raw = Item.release();
    FItems->InsertObject(Index, s, raw);
    raw->Inserted(this, Index);
  };
  int i = FirstItemNo;
  while (i < ItemCount()) {
    TCustomRVItemInfo* item = GetItem(i);
    const bool fullWidth = item->GetBoolValue(rvbpFullWidth);
    const bool marker = item->StyleNo == ItemKindListMarker;
    if (prevFullWidth || fullWidth || marker) {
      item->SetBR(false);
      item->SetSameAsPrev(false);
    }
    if (item->GetSameAsPrev() || item->GetBR())
      item->ParaNo = curPara;
    else
      curPara = item->ParaNo;
    if (Recursive) {
      std::unique_ptr<TRVStoreSubRVData> store;
      for (TCustomRVData* d = item->GetSubRVData(store, rvdFirst); d; d = item->GetSubRVData(store, rvdNext, d))
        d->GetRVData()->NormalizeDocument(0, true);
    }
    if (prevMarker) {
      if (marker) {
        insertAt(i, makeEmpty());
        item = GetItem(i);
      } else {
        item->SetSameAsPrev(true);
      }
    }
    prevFullWidth = item->GetBoolValue(rvbpFullWidth);
    prevMarker = item->StyleNo == ItemKindListMarker;
    if (item->StyleNo < 0) {
      ++i;
      continue;
    }
    const bool empty = item->ItemText.empty();
    TCustomRVItemInfo* next = i + 1 < ItemCount() ? GetItem(i + 1) : nullptr;
    if (empty && !item->GetSameAsPrev() && !IsWideEmptyTextItem(i) && next && next->GetSameAsPrev()) {
      next->SetPageBreakBefore(item->GetPageBreakBefore());
      next->SetSameAsPrev(false);
      next->SetBR(item->GetBR());
      if (!next->Checkpoint && item->Checkpoint) {
        next->Checkpoint = item->Checkpoint;
        item->Checkpoint = nullptr;
        next->Checkpoint->ItemInfo = next;
      }
      DeleteItems(i, 1);
      continue;
    }
    if (empty && item->GetSameAsPrev() && i >= 1 && !IsWideEmptyTextItem(i) &&
        GetItem(i - 1)->StyleNo != ItemKindListMarker) {
      if (item->Checkpoint && next && next->GetSameAsPrev() && !next->Checkpoint) {
        next->Checkpoint = item->Checkpoint;
        item->Checkpoint = nullptr;
        next->Checkpoint->ItemInfo = next;
      }
      DeleteItems(i, 1);
      continue;
    }
    if (item->GetSameAsPrev() && i >= 1 && !item->Checkpoint) {
      TCustomRVItemInfo* before = GetItem(i - 1);
      if (item->StyleNo == GetActualStyle(before) && item->Tag == before->Tag) {
        TRVUnicodeString joined = before->ItemText + item->ItemText;
        ItemAction(rviaTextModifying, before, joined, this);
        before->ItemText = joined;
        DeleteItems(i, 1);
        continue;
      }
    }
    ++i;
  }
  if (ItemCount() > 0 && GetItem(ItemCount() - 1)->StyleNo == ItemKindListMarker)
    insertAt(ItemCount(), makeEmpty());
  UpdateCheckpointItemNumbers();
}

// ---- reading RTF ----------------------------------------------------------------------------------------

int TCustomRVData::LoadRTF(const TRVUnicodeString& FileName) {
  auto* reader = dynamic_cast<TRVRTFReaderProperties*>(GetRTFProperties());
  if (!reader) return rtf_ec_Assertion;
  const int before = ItemCount();
  reader->BasePath = FilePathOf(FileName);
  int r;
  try {
    r = reader->ReadFromFile(FileName, this, false);
  } catch (...) {
    reader->BasePath.clear();
    throw;
  }
  reader->BasePath.clear();
  ConcateItemsInRange(before - 1, ItemCount() - 1);
  return r;
}

int TCustomRVData::LoadRTFFromStream(TStream* Stream) {
  auto* reader = dynamic_cast<TRVRTFReaderProperties*>(GetRTFProperties());
  if (!reader) return rtf_ec_Assertion;
  const int before = ItemCount();
  const int r = reader->ReadFromStream(Stream, this, false);
  ConcateItemsInRange(before - 1, ItemCount() - 1);
  return r;
}
