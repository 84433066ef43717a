// Hyperlink numbering and lookup, choosing a sub-document, and what lies under a point through
// nested documents (item, offset and word).
#include <algorithm>

#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/RVStyle.h"

namespace {

constexpr int MaxNestingDepth = 64;

TCustomRVFormattedData* FormattedSub(TCustomRVData* Data) {
  if (!Data) return nullptr;
  if (TCustomRVData* d = Data->GetRVData())
    if (TCustomRVFormattedData* f = d->AsFormattedData()) return f;
  return Data->AsFormattedData();
}

bool FindJump(TCustomRVFormattedData* Data, int id, TCustomRVFormattedData*& RVData, int& ItemNo, int Depth) {
  if (Depth > MaxNestingDepth) return false;
  TRVStyle* st = Data->GetRVStyle();
  for (int i = 0; i < Data->ItemCount(); ++i) {
    if (Data->IsInvisibleItem(i)) continue;
    TCustomRVItemInfo* item = Data->GetItem(i);
    if (item->GetBoolValueEx(rvbpJump, st)) {
      if (item->JumpID + Data->FFirstJumpNo == id) {
        RVData = Data;
        ItemNo = i;
        return true;
      }
      continue;
    }
    std::unique_ptr<TRVStoreSubRVData> state;
    for (TCustomRVData* d = item->GetSubRVData(state, rvdFirst); d; d = item->GetSubRVData(state, rvdNext, d))
      if (TCustomRVFormattedData* f = FormattedSub(d))
        if (FindJump(f, id, RVData, ItemNo, Depth + 1)) return true;
  }
  return false;
}

}  // namespace

void TCustomRVFormattedData::BuildJumps(int& StartJumpNo) {
  TRVStyle* st = GetRVStyle();
  if (!st) return;
  nJmps = 0;
  TCustomRVItemInfo* lastJumpItem = nullptr;
  for (int i = 0; i < DrawItems->Count(); ++i) {
    TCustomRVItemInfo* item = GetItem(DrawItems->Get(i)->ItemNo);
    if (item->GetBoolValueEx(rvbpJump, st)) {
      // Every draw item of one item shares the item's id.
      if (item != lastJumpItem) {
        item->JumpID = nJmps + StartJumpNo;
        ++nJmps;
        lastJumpItem = item;
      }
    } else if (item->StyleNo < 0) {
      int no = nJmps + StartJumpNo;
      item->BuildJumps(no);
      nJmps = no - StartJumpNo;
    }
  }
  StartJumpNo += nJmps;
}

void TCustomRVFormattedData::GetJumpPointLocation(int id, TCustomRVFormattedData*& RVData, int& ItemNo) {
  RVData = nullptr;
  ItemNo = -1;
  if (!FindJump(this, id, RVData, ItemNo, 0)) {
    RVData = nullptr;
    ItemNo = -1;
  }
}

void TCustomRVFormattedData::ChooseMe() {
  if (GetAbsoluteRootData()->GetFlags().Contains(rvflRootEditor)) return;
  TCustomRVData* parent = GetParentData();
  if (!parent || parent->GetChosenRVData() == this) return;
  int itemNo = -1;
  TRVStoreSubRVData* location = nullptr;
  GetParentInfo(itemNo, location);
  std::unique_ptr<TRVStoreSubRVData> owned(location);
  if (itemNo >= 0 && itemNo < parent->ItemCount()) parent->GetItem(itemNo)->ChooseSubRVData(location);
}

void TCustomRVFormattedData::GetItemAtEx(int X, int Y, TCustomRVFormattedData*& RVData, int& ItemNo,
                                         int& OffsetInItem, bool FStrict, bool ClosestSubRVData,
                                         bool& InSubRVDataOwnerItem, bool IgnoreFloating,
                                         bool CoordRelativeToControl) {
  TCustomRVFormattedData* data = this;
  InSubRVDataOwnerItem = false;
  ItemNo = -1;
  OffsetInItem = -1;
  if (CoordRelativeToControl) {
    X += GetHOffs();
    Y += GetVOffs();
  }
  for (int depth = 0; depth <= MaxNestingDepth; ++depth) {
    RVData = data;
    data->RotateCoordsFromScreenToDoc(X, Y, false, false);
    int no, offs;
    data->FindDrawItemForSel(X, Y, no, offs, FStrict, IgnoreFloating, true);
    if (no < 0) {
      ItemNo = -1;
      return;
    }
    data->DrawItem2Item(no, offs, ItemNo, OffsetInItem);
    TRVDrawLineInfo* d = data->DrawItems->Get(no);
    TCustomRVItemInfo* item = data->GetItem(ItemNo);
    TCustomRVFormattedData* sub =
        FormattedSub(item->GetSubRVDataAt(X - d->Left, Y - data->GetTransformedDItemTop(no), ClosestSubRVData));
    if (!sub) {
      InSubRVDataOwnerItem = item->GetBoolValue(rvbpHasSubRVData);
      return;
    }
    int ox, oy, sx, sy;
    data->GetOriginEx(ox, oy);
    sub->GetOriginEx(sx, sy);
    X += ox - sx;
    Y += oy - sy;
    data = sub;
  }
}

bool TCustomRVFormattedData::FindWordAt(TRVUnicodeString& Word, int X, int Y, int& StyleNo, int& ItemNo, int& Offs,
                                        TCustomRVFormattedData*& RVData) {
  return FindWordAt_(Word, X, Y, StyleNo, ItemNo, Offs, RVData, true);
}

bool TCustomRVFormattedData::FindWordAt_(TRVUnicodeString& Word, int X, int Y, int& StyleNo, int& ItemNo, int& Offs,
                                         TCustomRVFormattedData*& RVData, bool CoordRelativeToControl) {
  Word.clear();
  bool inOwner;
  GetItemAtEx(X, Y, RVData, ItemNo, Offs, true, false, inOwner, false, CoordRelativeToControl);
  if (ItemNo < 0 || !RVData) return false;
  TCustomRVItemInfo* item = RVData->GetItem(ItemNo);
  StyleNo = item->StyleNo;
  const TRVUnicodeString& text = RVData->GetItemTextW(ItemNo);
  if (item->StyleNo < 0) {
    Word = text;
    return true;
  }
  const int len = static_cast<int>(text.size());
  if (len == 0) return true;
  Offs = std::clamp(Offs, 1, len);
  if (RVData->IsDelimiterAt(text, Offs)) return true;
  while (Offs > 1 && !RVData->IsDelimiterAt(text, Offs - 1)) --Offs;
  int end = Offs;
  while (end <= len && !RVData->IsDelimiterAt(text, end)) ++end;
  Word = text.substr(static_cast<std::size_t>(Offs - 1), static_cast<std::size_t>(end - Offs));
  return true;
}

bool TCustomRVFormattedData::GetItemCoords(int ItemNo, int& Left, int& Top) {
  Left = Top = 0;
  if (ItemNo < 0 || ItemNo >= ItemCount()) return false;
  const int dNo = FindDrawItemByItem(ItemNo);
  if (dNo < 0) return false;
  Left = DrawItems->Get(dNo)->Left;
  Top = GetTransformedDItemTop(dNo);
  return true;
}

bool TCustomRVFormattedData::GetItemClientCoords(int ItemNo, int& Left, int& Top) {
  if (!GetItemCoords(ItemNo, Left, Top)) return false;
  Left -= GetHOffs();
  Top -= GetVOffs();
  return true;
}
