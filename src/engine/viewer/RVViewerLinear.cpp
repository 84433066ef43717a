// Linear character positions of a viewer's document (see RVViewerLinear.h).
#include "engine/viewer/RVViewerLinear.h"

#include "engine/document/RVItem.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/viewer/RVViroZere.h"

void GetLinearSelection(TCustomViroZere* Viewer, int& SelStart, int& SelLength, int LB) {
  LB = RVLinearLB(LB);
  SelStart = SelLength = 0;
  TCustomRVData* root = Viewer->GetRVData();
  TCustomRVFormattedData* chosen = RVFormattedOf(root->GetTopLevelChosenRVData());
  if (!chosen) return;
  int startNo = -1, startOffs = 0, endNo = -1, endOffs = 0;
  chosen->GetSelectionBoundsEx(startNo, startOffs, endNo, endOffs, false);
  if (startNo < 0) return;
  int start = 0, end = 0;
  if (!ItemPosToLinear(root, chosen, LB, start, startOffs, startNo)) return;
  if (!ItemPosToLinear(root, chosen, LB, end, endOffs, endNo)) return;
  SelStart = start - LB;
  SelLength = end - start;
}

bool SetLinearSelection(TCustomViroZere* Viewer, int SelStart, int SelLength, int LB) {
  LB = RVLinearLB(LB);
  TCustomRVData* root = Viewer->GetRVData();
  int pos1 = SelStart, pos2 = SelStart + SelLength;
  int offs1 = 0, item1 = -1, offs2 = 0, item2 = -1;
  TCustomRVData* data1 = nullptr;
  TCustomRVData* data2 = nullptr;
  if (!LinearToItemPos(root, pos1, LB, offs1, item1, data1) || !LinearToItemPos(root, pos2, LB, offs2, item2, data2))
    return false;
  if (data1->GetSourceRVData() != data2->GetSourceRVData()) return false;
  TCustomRVFormattedData* target = RVFormattedOf(data1->Edit());
  if (!target) return false;
  target->SetSelectionBounds(item1, offs1, item2, offs2);
  Viewer->Invalidate();
  return true;
}

void StoreLinearSelection(TCustomViroZere* Viewer, TRVLinearSelection& Selection, int LB) {
  // A selected range of table cells is kept by the table itself; tables report it once they
  // exist. Until then every selection is a linear one.
  Selection = TRVLinearSelection();
  GetLinearSelection(Viewer, Selection.SelStart, Selection.SelLength, LB);
}

void RestoreLinearSelection(TCustomViroZere* Viewer, const TRVLinearSelection& Selection, int LB) {
  if (Selection.MultiCell) return;  // only a table can take a cell range back
  SetLinearSelection(Viewer, Selection.SelStart, Selection.SelLength, LB);
}

TRVUnicodeString GetLinearText(TCustomViroZere* Viewer, int Start, int Length, int LB) {
  return GetLinearTextOfData(Viewer->GetRVData(), Start, Length, LB);
}

int GetLinearTextLength(TCustomViroZere* Viewer, int LB) {
  return GetLinearTextLengthOfData(Viewer->GetRVData(), LB);
}
