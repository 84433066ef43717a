#include "engine/layout/RVPlainFormattedData.h"

#include "engine/foundation/RVGrIn.h"

TRVPlainFormattedData::TRVPlainFormattedData(TRVStyle* AStyle)
    : FStyle(AStyle), FRootState(std::make_unique<TRVDataRootState>(this)) {}

TRVPlainFormattedData::~TRVPlainFormattedData() {
  try {
    Clear();
  } catch (...) {
  }
  FRootState->FreeLists();
  FreeCanvases();
}

void TRVPlainFormattedData::FreeCanvases() {
  if (!FStyle) return;
  TRVGraphicInterface* gi = FStyle->GetGraphicInterface();
  if (FCanvas) gi->DestroyCompatibleCanvas(FCanvas);
  if (FRefCanvas) gi->DestroyCompatibleCanvas(FRefCanvas);
  FCanvas = FRefCanvas = nullptr;
}

void TRVPlainFormattedData::SetRVStyle(TRVStyle* Value) {
  if (Value == FStyle) return;
  FreeCanvases();
  FStyle = Value;
}

TCanvas* TRVPlainFormattedData::GetCanvas() {
  if (!FCanvas && FStyle) FCanvas = FStyle->GetGraphicInterface()->CreateScreenCompatibleCanvas();
  return FCanvas;
}

TCanvas* TRVPlainFormattedData::GetFormatCanvasEx(TCanvas* DefCanvas) {
  if (!FUseReferenceCanvas || !FStyle) return DefCanvas;
  if (!FRefCanvas) FRefCanvas = FStyle->GetGraphicInterface()->CreateScreenCompatibleCanvas();
  return FRefCanvas;
}

// The size of everything the document covers (margins included).
void TRVPlainFormattedData::SetDocumentAreaSize(int, int Height, bool, bool) { FHeight = Height; }

void TRVPlainFormattedData::InvalidateRect(const TRect& R, bool) { LastInvalidRect = R; }
