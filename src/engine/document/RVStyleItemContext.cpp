#include "engine/document/RVStyleItemContext.h"

#include "engine/document/CustomRVData.h"

TRVStyleItemContext::TRVStyleItemContext(TRVStyle* Style, TCustomRVData* RVData, int ItemNo) : FStyle(Style) {
  if (!FStyle) return;
  FStyle->RVData = RVData;
  FStyle->ItemNo = ItemNo;
}
