#include "engine/layout/RVItemFormattedData.h"

#include "engine/foundation/RVError.h"

TRVDataList::TRVDataList(TCustomRVData* /*AParentRVData*/) {}

TRVItemFormattedData::TRVItemFormattedData(TRVDataList* AList) : FList(AList) {}

TCustomRVData* TRVItemFormattedData::GetParentData() const { return FList ? FList->GetParentRVData() : nullptr; }

TCustomRVData* TRVItemFormattedData::GetRootData() {
  TCustomRVData* Parent = GetParentData();
  return Parent ? Parent->GetRootData() : this;
}

TCustomRVData* TRVItemFormattedData::GetAbsoluteParentData() const {
  return FList ? FList->GetParentRVData() : nullptr;
}

TCustomRVData* TRVItemFormattedData::GetAbsoluteRootData() {
  TCustomRVData* Parent = GetAbsoluteParentData();
  return Parent ? Parent->GetAbsoluteRootData() : this;
}

TRVFlags TRVItemFormattedData::GetFlags() const { return FList ? FList->Flags : TRVFlags{}; }

void TRVItemFormattedData::SetFlags(const TRVFlags& /*Value*/) {
  throw EViroZereError("This method is not supported for TRVItemFormattedData");
}

TCanvas* TRVItemFormattedData::GetCanvas() {
  TCustomRVData* Root = GetAbsoluteRootData();
  if (Root == this || !Root) return nullptr;
  TCustomRVFormattedData* Formatted = Root->AsFormattedData();
  return Formatted ? Formatted->GetCanvas() : nullptr;
}

void TRVItemFormattedData::ShowRectangle(int Left, int Top, int Width, int Height) {
  TCustomRVData* Root = GetAbsoluteRootData();
  TCustomRVFormattedData* Formatted = Root && Root != this ? Root->AsFormattedData() : nullptr;
  if (!Formatted) return;
  TRect R(Left, Top, Left + Width, Top + Height);
  RotateRectFromDocToScreen(R, rvtrbAbsRoot);
  Formatted->ShowRectangle(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top);
}

TCursor TRVItemFormattedData::GetNormalCursor() {
  if (IsReallyVerticalText()) return crRVVerticalText;
  TCustomRVData* Root = GetAbsoluteRootData();
  TCustomRVFormattedData* Formatted = Root && Root != this ? Root->AsFormattedData() : nullptr;
  return Formatted ? Formatted->GetNormalCursor() : TCustomRVFormattedData::GetNormalCursor();
}
