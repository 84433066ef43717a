#include "engine/editor/RVUndoStyleRecords.h"

#include "engine/document/RVItem.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVError.h"

namespace rvundostylerecords_detail {

TRVEditRVData* StyleEditData(TCustomRVData* RVData) {
  auto* d = RVData ? dynamic_cast<TRVEditRVData*>(RVData->GetRVData()) : nullptr;
  if (!d) throw EViroZereError("Undo error");
  return d;
}

// The paragraph sections' minimum width of the record's items (0 when they are not all there).
int ListMinWidth(TRVEditRVData* D, int First, int Count) {
  const int Last = First + Count - 1;
  if (First < 0 || Count <= 0 || Last >= D->ItemCount()) return 0;
  return D->CalculateParaSectionsMinWidthDef(First, Last);
}

}  // namespace rvundostylerecords_detail

void TRVUndoStyleNoListInfo::Undo(TCustomRVData* RVData) {
  using namespace rvundostylerecords_detail;
  TRVEditRVData* d = StyleEditData(RVData);
  OldWidth = ListMinWidth(d, StartItemNo, List.Count());
  d->Do_StyleNoList(StartItemNo, &List);
}

bool TRVUndoStyleNoListInfo::RequiresFullReformat2(TCustomRVData* RVData) {
  using namespace rvundostylerecords_detail;
  TRVEditRVData* d = StyleEditData(RVData);
  return d->WidthRuleRequiresFull(OldWidth, ListMinWidth(d, StartItemNo, List.Count()));
}

void TRVUndoStyleNoListInfo::GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* /*RVData*/) {
  if (StartItemNo < 0 || List.Count() == 0) return;
  StartItem = StartItemNo;
  EndItem = StartItemNo + List.Count() - 1;
}

TRVUndoTextJoinsInfo::TRVUndoTextJoinsInfo() { Action = rvuDeleteItems; }
TRVUndoTextJoinsInfo::~TRVUndoTextJoinsInfo() = default;

void TRVUndoTextJoinsInfo::Undo(TCustomRVData* RVData) {
  using namespace rvundostylerecords_detail;
  TRVEditRVData* d = StyleEditData(RVData);
  OldWidth = Lo >= 0 && Hi >= Lo ? ListMinWidth(d, Lo, Hi - Lo + 1) : 0;
  std::vector<TRVTextJoin> opposite;
  opposite.reserve(Joins.size());
  for (auto it = Joins.rbegin(); it != Joins.rend(); ++it) opposite.push_back(std::move(*it));
  Joins.clear();
  if (Joined)
    d->Do_SplitTextItems(opposite);
  else
    d->Do_JoinTextItems(opposite);
}

bool TRVUndoTextJoinsInfo::RequiresFullReformat2(TCustomRVData* RVData) {
  using namespace rvundostylerecords_detail;
  TRVEditRVData* d = StyleEditData(RVData);
  if (Lo < 0) return false;
  const int hi = Hi + ItemsAdded();
  return d->WidthRuleRequiresFull(OldWidth, hi >= Lo ? ListMinWidth(d, Lo, hi - Lo + 1) : 0);
}

void TRVUndoTextJoinsInfo::GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* /*RVData*/) {
  if (Lo < 0) return;
  StartItem = Lo;
  EndItem = Hi;
}
