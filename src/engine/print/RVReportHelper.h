// The report renderer: lays a document out page by page for a canvas whose page size the caller
// chooses page by page, and draws the pages it has laid out. The document lives in the renderer's
// own hidden viewer (ViroZere). A caller loads it there, calls Init with its canvas and page
// width, asks for one page after another with FormatNextPage and the height left on each page,
// and draws each with DrawPage on a bitmap, a printer or a recorded metafile.
#pragma once

#include <functional>

#include "engine/print/PtblRVData.h"
#include "engine/print/RVPrint.h"
#include "engine/print/RVPrintableViewer.h"

class TRVReportHelper;

// The main data of the report viewer: the pagination position between pages and the height of the
// page being laid out or drawn.
class TReportRVData : public TCustomMainPtblRVData {
 public:
  explicit TReportRVData(TRVRootDataViewer* AViroZere) : TCustomMainPtblRVData(AViroZere) {}

  int GetPageHeight() override { return CurHeight; }
  int GetContentHeightForPage(int /*PageNo*/) override { return CurHeight; }
  int GetHeight() override { return CurHeight; }
  int GetPageWidth() override;
  bool AllowTransparentDrawing() override { return FAllowTransparentDrawing; }
  bool SharesItemList() const override { return false; }

  // Where the next page starts (FormatNextPage's state).
  int NextDrawItemNo = 0, NextStartAt = 0, NextStartY = 0, NextY = 0;
  bool NextSplitting = false;
  int CurHeight = 0;
  bool FAllowTransparentDrawing = false;
};

class TReportViroZere : public TCustomPrintableRV {
  TAVRELO_PERSISTENT(TReportViroZere, TCustomPrintableRV)
 public:
  explicit TReportViroZere(TComponent* AOwner);
  TReportRVData* GetReportData() const { return static_cast<TReportRVData*>(GetRVData()); }
};

class TRVReportHelper : public TCustomRVPrint {
  TAVRELO_PERSISTENT(TRVReportHelper, TCustomRVPrint)
 public:
  explicit TRVReportHelper(TComponent* AOwner);
  ~TRVReportHelper() override;

  TCustomPrintableRV* CreateViroZere() override;
  // The number shown on a page; OnGetPageNumber may change it.
  int GetDispPageNo(int PageNo) override;

  // Starts a new layout for ACanvas and a page width in its device pixels.
  void Init(TCanvas* ACanvas, int APageWidth);
  // Lays out the next page of at most AMaxHeight device pixels; false when everything was laid
  // out already.
  bool FormatNextPage(int AMaxHeight);
  // No draw items, or the next page would start after the last one.
  bool Finished();
  // Draws laid-out page APageNo (1-based) onto ACanvas for a page AHeight high.
  void DrawPage(int APageNo, TCanvas* ACanvas, bool APreview, int AHeight);

  TReportViroZere* GetViroZere() const { return static_cast<TReportViroZere*>(rv); }
  bool GetAllowTransparentDrawing() const { return GetViroZere()->GetReportData()->FAllowTransparentDrawing; }
  void SetAllowTransparentDrawing(bool Value) { GetViroZere()->GetReportData()->FAllowTransparentDrawing = Value; }

  std::function<void(TObject* Sender, int PageNo, int& PageNumber)> OnGetPageNumber;
};
