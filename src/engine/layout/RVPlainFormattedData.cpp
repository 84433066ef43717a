#include "engine/layout/RVPlainFormattedData.h"

#include "engine/foundation/RVGrIn.h"

TRVPlainFormattedData::TRVPlainFormattedData(TRVStyle* AStyle) : FStyle(AStyle) {}

TRVPlainFormattedData::~TRVPlainFormattedData() {
  try {
    Clear();
  } catch (...) {
  }
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

TRVSeqList* TRVPlainFormattedData::GetSeqList(bool AllowCreate) {
  if (!FSeqList && AllowCreate) FSeqList = std::make_unique<TRVSeqList>();
  return FSeqList.get();
}

TRVMarkerList* TRVPlainFormattedData::GetMarkers(bool AllowCreate) {
  if (!FMarkers && AllowCreate) FMarkers = std::make_unique<TRVMarkerList>();
  return FMarkers.get();
}

TList* TRVPlainFormattedData::GetPrintFieldList(bool AllowCreate) {
  if (!FPrintFields && AllowCreate) FPrintFields = std::make_unique<TList>();
  return FPrintFields.get();
}

void TRVPlainFormattedData::DestroySeqList() { FSeqList.reset(); }
void TRVPlainFormattedData::DestroyMarkers() { FMarkers.reset(); }
void TRVPlainFormattedData::DestroyPrintFieldList() { FPrintFields.reset(); }

TRVDocParameters* TRVPlainFormattedData::GetDocParameters(bool AllowCreate) {
  if (!FDocParameters && AllowCreate) FDocParameters = std::make_unique<TRVDocParameters>();
  return FDocParameters.get();
}
