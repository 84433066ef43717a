#include "engine/print/RVReportHelper.h"

#include <algorithm>

#include "engine/layout/DrawLines.h"

const TClassInfo& TReportViroZere::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TReportViroZere>(u"TReportViroZere", &TCustomPrintableRV::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TRVReportHelper::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVReportHelper>(u"TRVReportHelper", &TCustomRVPrint::StaticClassInfo()).Build();
  return info;
}

int TReportRVData::GetPageWidth() { return GetScroller()->GetClientWidth(); }

namespace {

std::unique_ptr<TViroZereRVData> MakeReportData(TCustomViroZere* viewer) {
  return std::make_unique<TReportRVData>(viewer);
}

// The viewer's top and bottom margins are kept by the main data while pages are made; the viewer's
// own are zero meanwhile.
class TMarginsMoved {
 public:
  TMarginsMoved(TCustomPrintableRV* rv) : FRV(rv), FTop(rv->GetTopMargin()), FBottom(rv->GetBottomMargin()) {
    rv->SetTopMargin(0);
    rv->SetBottomMargin(0);
  }
  ~TMarginsMoved() {
    FRV->SetTopMargin(FTop);
    FRV->SetBottomMargin(FBottom);
  }
  int Top() const { return FTop; }
  int Bottom() const { return FBottom; }

 private:
  TCustomPrintableRV* FRV;
  int FTop, FBottom;
};

}  // namespace

TReportViroZere::TReportViroZere(TComponent* AOwner) : TCustomPrintableRV(AOwner, &MakeReportData) {
  SetName(u"ViroZere");
  Flags.Exclude(rvflShareContents);
  Flags.Include(rvflCanUseCustomPPI);
}

TRVReportHelper::TRVReportHelper(TComponent* AOwner) : TCustomRVPrint(AOwner) {
  InitViewer();
  SetColorMode(rvcmColor);
}

TRVReportHelper::~TRVReportHelper() = default;

TCustomPrintableRV* TRVReportHelper::CreateViroZere() { return new TReportViroZere(this); }

int TRVReportHelper::GetDispPageNo(int PageNo) {
  int n = TCustomRVPrint::GetDispPageNo(PageNo);
  if (OnGetPageNumber) OnGetPageNumber(this, PageNo, n);
  return n;
}

void TRVReportHelper::Init(TCanvas* ACanvas, int APageWidth) {
  TReportViroZere* viewer = GetViroZere();
  TReportRVData* data = viewer->GetReportData();
  viewer->FreeNotesLists();
  FormattingID = FormattingID >= 9999 ? 0 : FormattingID + 1;
  // Forget the previous layout.
  if (data->DrawItems)
    for (int k = 0; k < data->DrawItems->Count(); ++k)
      if (auto* m = dynamic_cast<TRVMultiDrawItemInfo*>(data->DrawItems->Get(k))) {
        TRVFootnoteRefList* none = nullptr;
        int released = 0;
        m->ResetPages(none, released, false);
      }
  if (data->Pages) data->Pages->Clear();
  data->NextDrawItemNo = data->NextStartAt = data->NextStartY = data->NextY = 0;
  data->NextSplitting = false;
  StartAt = EndAt = 0;
  data->PrinterCanvas = ACanvas;
  data->TmpMNormal.Left = data->TmpMNormal.Top = 0;
  data->TmpMFirstPage = data->TmpMNormal;
  data->TmpMEvenPages = data->TmpMNormal;
  {
    TMarginsMoved moved(viewer);
    data->FTopMarginPix = moved.Top();
    data->FBottomMarginPix = moved.Bottom();
    data->PreparePageMetrics();
    data->State.Include(rvstSkipFormatting);
    try {
      viewer->SetVScrollVisible(false);
      viewer->SetHScrollVisible(false);
      viewer->SetBounds(viewer->GetLeft(), viewer->GetTop(), APageWidth, APageWidth);
    } catch (...) {
      data->State.Exclude(rvstSkipFormatting);
      throw;
    }
    data->State.Exclude(rvstSkipFormatting);
    // The formatter compares text widths with the canvas's own pixels.
    const int textWidth =
        std::max(APageWidth - ScreenToDeviceX(viewer->GetLeftMargin() + viewer->GetRightMargin(), data->PrnSad), 0);
    viewer->SetMaxTextWidth(textWidth);
    viewer->SetMinTextWidth(textWidth);
    data->Format_(false, true, false, 0, ACanvas, false, false, false, false, false);
  }
  data->FIsDestinationReady = true;
  PrepareFootnotes();
}

bool TRVReportHelper::Finished() {
  TReportRVData* data = GetViroZere()->GetReportData();
  const int count = data->DrawItems ? data->DrawItems->Count() : 0;
  if (count == 0 || data->ItemCount() == 0) return true;
  return data->PagesCount() > 0 && data->NextDrawItemNo >= count && !data->NextSplitting;
}

bool TRVReportHelper::FormatNextPage(int AMaxHeight) {
  TReportViroZere* viewer = GetViroZere();
  TReportRVData* data = viewer->GetReportData();
  data->CurHeight = AMaxHeight;
  if (Finished()) return false;
  {
    TMarginsMoved moved(viewer);
    int height = AMaxHeight - data->TmpTMPix - data->TmpBMPix;
    TRVFootnoteRefList* footnotes = nullptr;
    const int before = data->PagesCount();
    data->FormatNextPage(data->NextDrawItemNo, data->NextStartAt, data->NextStartY, data->NextY, data->NextSplitting,
                         height, footnotes, true);
    delete footnotes;  // a page that closed took its list over
    // A call that placed nothing cannot place anything on the next one either.
    if (data->PagesCount() == before && !Finished()) data->NextDrawItemNo = data->DrawItems->Count();
  }
  if (Finished()) {
    const TList* fields = data->GetPrintFieldList(false);
    if ((fields && fields->Count() > 0) || viewer->FFootnotes) data->PostFormat(1);
    PlaceFootnotesBelowText();
    FormatEndnotes();
  }
  return true;
}

void TRVReportHelper::DrawPage(int APageNo, TCanvas* ACanvas, bool APreview, int AHeight) {
  GetViroZere()->GetReportData()->CurHeight = AHeight;
  GetViroZere()->DrawPage(APageNo, ACanvas, !APreview, APreview, PreviewCorrection);
}
