// The print component's page questions (counts, the printed range, page of a position), the scaled
// preview of a page, and the settings it keeps in its printable viewer's main data.
#include "engine/foundation/RVGrIn.h"
#include "engine/print/RVPrint.h"
#include "engine/print/RVPrintableViewer.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Graphics.h"
#include "platform/ui/Printers.h"

TRVDataClass PrintableRVDataClass() {
  return [](TCustomViroZere* viewer) -> std::unique_ptr<TViroZereRVData> {
    return std::make_unique<TPrintableRVData>(viewer);
  };
}

TCustomMainPtblRVData* TCustomRVPrint::GetMainData() const { return rv ? rv->GetMainData() : nullptr; }

TCustomRVData* TCustomRVPrint::GetSourceRVData() {
  TCustomViroZere* source = GetSourceViroZere();
  if (!source || source == rv) return nullptr;
  return source->GetRVData();
}

void TCustomRVPrint::UpdatePaletteInfo() {
  if (rv) rv->UpdatePaletteInfoPublic();
}

int TCustomRVPrint::GetPagesCount() {
  TCustomMainPtblRVData* main = GetMainData();
  if (!main) return 0;
  int n = main->PagesCount();
  if (rv->FEndnotes && rv->FEndnotes->Pages->Count() > 0) n += rv->FEndnotes->Pages->Count() - 1;
  return n;
}

int TCustomRVPrint::GetPageNo(TCustomRVData* RVData, int ItemNo, int OffsetInItem) {
  TCustomMainPtblRVData* main = GetMainData();
  if (!main) return -1;
  TCustomViroZere* source = GetSourceViroZere();
  int page = -1, localPage = 0, localCount = 0;
  TCustomMultiPagePtblRVData* pt = nullptr;
  if (!main->GetPageNo(RVData, ItemNo, OffsetInItem, source ? source->GetRVData() : nullptr, page, localPage,
                       localCount, pt))
    return -1;
  return page;
}

int TCustomRVPrint::GetFirstPageNo() {
  if (MinPrintedItemNo < 1) return 1;
  TCustomViroZere* source = GetSourceViroZere();
  TCustomRVData* src = source ? source->GetRVData() : nullptr;
  if (src && MinPrintedItemNo < src->ItemCount()) {
    const int p = GetPageNo(src, MinPrintedItemNo, src->GetOffsBeforeItem(MinPrintedItemNo));
    return p < 1 ? 1 : p;
  }
  const int n = GetPagesCount() + 1;
  return n < 1 ? 1 : n;
}

int TCustomRVPrint::GetLastPageNo() {
  TCustomViroZere* source = GetSourceViroZere();
  TCustomRVData* src = source ? source->GetRVData() : nullptr;
  if (src && MaxPrintedItemNo >= 0 && MaxPrintedItemNo < src->ItemCount() - 1) {
    const int p = GetPageNo(src, MaxPrintedItemNo, src->GetOffsAfterItem(MaxPrintedItemNo));
    if (p > 0) return p;
  }
  return GetPagesCount();
}

namespace {

// The whole page in device pixels: the text width and height plus the normal margins.
TSize FullPageSize(TCustomPrintableRV* rv, TCustomMainPtblRVData* main) {
  const TRect& m = main->GetTmpM(rvhftNormal);
  return TSize{rv->GetClientWidth() + m.Left + m.Right, rv->GetClientHeight() + m.Top + m.Bottom};
}

}  // namespace

void TCustomRVPrint::DrawPreview(int pgNo, TCanvas* Canvas, const TRect& PageRect) {
  if (!rv || !rv->GetStyle() || !Canvas) return;
  TCustomMainPtblRVData* main = GetMainData();
  if (!main) return;
  TRVGraphicInterface* gi = rv->GetStyle()->GetGraphicInterface();
  const int oldMode = gi->GetMapMode(Canvas);
  gi->SetMapMode(Canvas, MM_TEXT);
  Canvas->Brush().SetColor(clWhite);
  Canvas->Brush().SetStyle(bsSolid);
  Canvas->Pen().SetColor(clWhite);
  gi->FillRect(Canvas, PageRect);
  gi->SetMapMode(Canvas, MM_ANISOTROPIC);
  const TSize page = FullPageSize(rv, main);
  SIZE oldWindowExt{}, oldViewportExt{};
  POINT oldViewportOrg{};
  gi->SetWindowExtEx(Canvas, page.cx, page.cy, &oldWindowExt);
  gi->SetViewportExtEx(Canvas, PageRect.Width(), PageRect.Height(), &oldViewportExt);
  gi->SetViewportOrgEx(Canvas, PageRect.Left, PageRect.Top, &oldViewportOrg);
  const int oldPPI = Canvas->Font().GetPixelsPerInch();
  Canvas->Font().SetPixelsPerInch(main->PrnSad.ppiyDevice > 0 ? main->PrnSad.ppiyDevice : oldPPI);
  struct TRestore {
    TRVGraphicInterface* GI;
    TCanvas* C;
    int PPI, Mode;
    SIZE WExt, VExt;
    POINT VOrg;
    ~TRestore() {
      C->Font().SetPixelsPerInch(PPI);
      GI->SetViewportOrgEx(C, VOrg.X, VOrg.Y, nullptr);
      GI->SetViewportExtEx(C, VExt.cx, VExt.cy, nullptr);
      GI->SetWindowExtEx(C, WExt.cx, WExt.cy, nullptr);
      GI->SetMapMode(C, Mode);
    }
  } restore{gi, Canvas, oldPPI, oldMode, oldWindowExt, oldViewportExt, oldViewportOrg};
  if (pgNo > 0 && pgNo <= GetPagesCount()) rv->DrawPage(pgNo, Canvas, true, true, PreviewCorrection);
}

int TCustomRVPrint::GetPreview100PercentWidth() {
  TCustomMainPtblRVData* main = GetMainData();
  if (!main) return 0;
  return DeviceToScreenX(FullPageSize(rv, main).cx, main->PrnSad);
}

int TCustomRVPrint::GetPreview100PercentHeight() {
  TCustomMainPtblRVData* main = GetMainData();
  if (!main) return 0;
  return DeviceToScreenY(FullPageSize(rv, main).cy, main->PrnSad);
}

bool TCustomRVPrint::IsDestinationReady() {
  TCustomMainPtblRVData* main = GetMainData();
  return main && main->FIsDestinationReady;
}

bool TCustomRVPrint::GetTransparentBackground() {
  TCustomMainPtblRVData* main = GetMainData();
  return main && main->Transparent;
}
void TCustomRVPrint::SetTransparentBackground(bool Value) {
  if (TCustomMainPtblRVData* main = GetMainData()) main->Transparent = Value;
}
TRVColorMode TCustomRVPrint::GetColorMode() {
  TCustomMainPtblRVData* main = GetMainData();
  return main ? main->ColorMode : rvcmPrinterColor;
}
void TCustomRVPrint::SetColorMode(TRVColorMode Value) {
  if (TCustomMainPtblRVData* main = GetMainData()) main->ColorMode = Value;
}
bool TCustomRVPrint::GetNoMetafiles() {
  TCustomMainPtblRVData* main = GetMainData();
  return main && main->FNoMetafiles;
}
void TCustomRVPrint::SetNoMetafiles(bool Value) {
  if (TCustomMainPtblRVData* main = GetMainData()) main->FNoMetafiles = Value;
}
int TCustomRVPrint::GetMetafilePixelsPerInch() {
  TCustomMainPtblRVData* main = GetMainData();
  return main ? main->FMetafilePixelsPerInch : 0;
}
void TCustomRVPrint::SetMetafilePixelsPerInch(int Value) {
  if (TCustomMainPtblRVData* main = GetMainData()) main->FMetafilePixelsPerInch = Value;
}

// ---- TRVPrint's settings kept in the main data, and the printer ----------------------------------

TPrintableRVData* TRVPrint::GetPrintableData() const {
  return rv ? dynamic_cast<TPrintableRVData*>(rv->GetRVData()) : nullptr;
}

TRVLength TRVPrint::GetHeaderY() const { return GetPrintableData()->HeaderY; }
void TRVPrint::SetHeaderY(TRVLength Value) { GetPrintableData()->HeaderY = Value; }
TRVLength TRVPrint::GetFooterY() const { return GetPrintableData()->FooterY; }
void TRVPrint::SetFooterY(TRVLength Value) { GetPrintableData()->FooterY = Value; }

int TRVPrint::GetPrinterPageWidth() { return Printer()->GetPageWidth(); }
int TRVPrint::GetPrinterPageHeight() { return Printer()->GetPageHeight(); }

void TPrintableRV::GetMargins(double& Left, double& Top, double& Right, double& Bottom) {
  Left = static_cast<double>(FMargins->Left);
  Top = static_cast<double>(FMargins->Top);
  Right = static_cast<double>(FMargins->Right);
  Bottom = static_cast<double>(FMargins->Bottom);
}
