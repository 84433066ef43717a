// While a save handler runs, the style sheet's context fields name the item being saved; they
// are reset on every path.
#pragma once

#include "engine/styles/RVStyle.h"

class TCustomRVData;

class TRVStyleItemContext {
 public:
  // Defined where the document class is complete (the sheet's field holds it as its base).
  TRVStyleItemContext(TRVStyle* Style, TCustomRVData* RVData, int ItemNo);
  ~TRVStyleItemContext() {
    if (!FStyle) return;
    FStyle->RVData = nullptr;
    FStyle->ItemNo = -1;
  }
  TRVStyleItemContext(const TRVStyleItemContext&) = delete;
  TRVStyleItemContext& operator=(const TRVStyleItemContext&) = delete;

 private:
  TRVStyle* FStyle;
};
