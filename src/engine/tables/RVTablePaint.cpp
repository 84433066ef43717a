#include "engine/tables/RVTable.h"

TColor TRVTableItemInfo::GetCellColor(int Row, int Col, bool UseTableColor, bool /*UseParentBackground*/) {
  if (GetColor(rvtcCellOverrideColor) != clNone) return GetColor(rvtcCellOverrideColor);
  TRVTableCellData* Cell = GetCells(Row, Col);
  if (Cell && Cell->GetCellColorProp() != clNone) return Cell->GetCellColorProp();
  return UseTableColor ? GetColor(rvtcColor) : clNone;
}

bool TRVTableItemInfo::IsCellTransparent(int Row, int Col) {
  return GetCellColor(Row, Col, false, false) == clNone || GetCells(Row, Col)->GetOpacity() < 100000;
}
