// A line item holding two documents, as a table holds its cells: for the walks over the documents
// that items hold (word enumeration, live spelling).
#pragma once

#include <memory>

#include "engine/document/RVBreakItem.h"
#include "engine/document/RVNoteItems.h"

// A document held by an item that tells its place in the main document.
class TBoxText : public TRVSubData {
 public:
  using TRVSubData::TRVSubData;
  void GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location) const override {
    ParentItemNo = MainRVData->GetItemNo(GetOwner());
    Location = nullptr;
  }
};

class TTwoBoxesItem : public TRVBreakItemInfo {
 public:
  explicit TTwoBoxesItem(TCustomRVData* Main) : TRVBreakItemInfo(Main) {
    for (auto& b : Boxes) b = std::make_unique<TBoxText>(this, Main);
  }
  bool GetBoolValue(TRVItemBoolProperty Prop) const override {
    return Prop == rvbpHasSubRVData || TRVBreakItemInfo::GetBoolValue(Prop);
  }
  TCustomRVData* GetSubRVData(std::unique_ptr<TRVStoreSubRVData>& StoreState, TRVSubRVDataPos Position,
                              TCustomRVData* CurRVData) override {
    StoreState.reset();
    if (Position == rvdFirst) return Boxes[0].get();
    if (Position == rvdNext && CurRVData == Boxes[0].get()) return Boxes[1].get();
    return nullptr;
  }
  std::unique_ptr<TBoxText> Boxes[2];
};
