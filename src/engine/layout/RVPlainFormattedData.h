// A formatted root document without a control: it keeps its own style sheet, root state, width
// and margins, and measures on a canvas of its own (and, when asked, on a reference canvas with
// enlarged fonts). Documents built in code are formatted with it where no
// viewer shows them: conversions, tests and benchmarks.
#pragma once

#include <algorithm>

#include "engine/document/RVDataRootState.h"
#include "engine/document/RVDocParams.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVSeqItem.h"
#include "engine/layout/RVFormattedData.h"

class TRVPlainFormattedData : public TCustomRVFormattedData {
 public:
  explicit TRVPlainFormattedData(TRVStyle* AStyle = nullptr);
  ~TRVPlainFormattedData() override;

  // ---- the document tree ----
  TRVStyle* GetRVStyle() const override { return FStyle; }
  // Changing the sheet drops the canvases (they belong to the sheet's text engine).
  void SetRVStyle(TRVStyle* Value);
  TRVDataRootState* GetRootState() const override { return FRootState.get(); }
  TCanvas* GetFormatCanvasEx(TCanvas* DefCanvas) override;

  // ---- geometry ----
  int GetAreaWidth() override { return FWidth; }
  // The visible area: as wide as the document, and AreaHeight high (the document has no window,
  // so no scroll bar comes or goes while it is formatted).
  int GetAreaHeight() override { return AreaHeight; }
  int GetLeftMargin() override { return LeftMargin; }
  int GetRightMargin() override { return RightMargin; }
  int GetTopMargin() override { return TopMargin; }
  int GetBottomMargin() override { return BottomMargin; }
  int GetMinTextWidth() override { return MinTextWidth; }
  int GetMaxTextWidth() override { return MaxTextWidth; }
  int GetWidth() const override { return FWidth; }
  int GetHeight() override { return std::max(AreaHeight, FHeight); }
  void SetDocumentAreaSize(int Width, int Height, bool UpdateH, bool AllowEvents) override;
  void AdjustVScrollUnits() override {}
  void ScrollTo(int, bool) override {}
  void HScrollTo(int) override {}
  int GetVSmallStep() override { return 10; }
  TCanvas* GetCanvas() override;
  void InvalidateRect(const TRect& R, bool FromLiveSpelling) override;

  // The width the document is formatted at (pixels, margins included).
  void SetWidth(int Value) { FWidth = Value; }
  // Measure on a reference canvas with enlarged fonts (as a viewer does), or on the canvas itself.
  void SetUseReferenceCanvas(bool Value) { FUseReferenceCanvas = Value; }

  int LeftMargin = 0, RightMargin = 0, TopMargin = 0, BottomMargin = 0;
  int AreaHeight = 0;
  int MinTextWidth = 0, MaxTextWidth = 0;
  // The last rectangle partial reformatting asked to repaint.
  TRect LastInvalidRect{0, 0, 0, 0};

 private:
  void FreeCanvases();
  TRVStyle* FStyle;
  std::unique_ptr<TRVDataRootState> FRootState;
  TCanvas* FCanvas = nullptr;
  TCanvas* FRefCanvas = nullptr;
  bool FUseReferenceCanvas = false;
  int FWidth = 600, FHeight = 0;
};
