#include "engine/print/RVPageRects.h"

#include "engine/document/RVNoteItems.h"
#include "engine/print/RVPrintableViewer.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"

// ---- TRectPtblRVData ----------------------------------------------------------------------------

TRectPtblRVData::TRectPtblRVData(TCustomPrintableRV* ViroZere, TCustomPrintableRVData* ParentPrintData,
                                 TCustomRVData* SourceDataForPrinting)
    : TCustomMultiPagePtblRVData(ViroZere),
      FSourceDataForPrinting(SourceDataForPrinting),
      FParentPrintData(ParentPrintData),
      FPrintableRV(ViroZere) {
  if (SourceDataForPrinting) ShareItemsFrom(SourceDataForPrinting);
}

// The items belong to the source document: this document lets go of them before the base
// classes clear (which would no longer see that the list is shared).
TRectPtblRVData::~TRectPtblRVData() {
  try {
    TCustomRVFormattedData::Clear();  // the draw items; the shared list stays whole
  } catch (...) {
  }
  FItems = nullptr;
  FOwnsItems = false;
}

TCustomMainPtblRVData* TRectPtblRVData::GetMainData() const {
  return dynamic_cast<TCustomMainPtblRVData*>(FPrintableRV->GetRVData());
}

int TRectPtblRVData::GetPageStartY(int PageNo, int /*GlobalPageNo*/) {
  int r = -Top - DY;
  if (Pages && PageNo >= 1 && PageNo <= Pages->Count()) r += Pages->GetItem(PageNo - 1)->StartY;
  return r;
}

int TRectPtblRVData::GetPageStartY2(int PageNo, int /*GlobalPageNo*/) {
  int r = -Top - DY;
  if (Pages && PageNo >= 1 && PageNo <= Pages->Count()) r += Pages->GetItem(PageNo - 1)->StartY2;
  return r;
}

void TRectPtblRVData::SetPageRect(int ALeft, int ATop, int AWidth, int AHeight) {
  Left = ALeft;
  Top = ATop;
  Width = AWidth;
  Height = AHeight;
}

void TRectPtblRVData::InitScreenAndDevice(TCanvas* /*Canvas*/, TRVScreenAndDevice& SaD) {
  if (TCustomMainPtblRVData* m = GetMainData()) SaD = m->PrnSad;
}

TCanvas* TRectPtblRVData::GetCanvas() {
  TCustomMainPtblRVData* m = GetMainData();
  return m ? m->PrinterCanvas : nullptr;
}

TCanvas* TRectPtblRVData::InitPrinterCanvas() { return GetCanvas(); }

TRVColorMode TRectPtblRVData::GetColorMode() {
  TCustomMainPtblRVData* m = GetMainData();
  return m ? m->ColorMode : rvcmPrinterColor;
}

TRVStyle* TRectPtblRVData::GetRVStyle() const {
  return FSourceDataForPrinting ? FSourceDataForPrinting->GetRVStyle() : TCustomMultiPagePtblRVData::GetRVStyle();
}

TRVDocRotation TRectPtblRVData::GetRotation() const {
  return FSourceDataForPrinting ? FSourceDataForPrinting->GetRotation() : rvrotNone;
}

bool TRectPtblRVData::UseVerticalFonts() {
  if (!FSourceDataForPrinting || !FSourceDataForPrinting->AsFormattedData()) return false;
  return FSourceDataForPrinting->UseVerticalFonts();
}

TCustomRVData* TRectPtblRVData::GetParentData() const { return FParentPrintData; }
TCustomRVData* TRectPtblRVData::GetAbsoluteParentData() const { return FParentPrintData; }

TCustomRVData* TRectPtblRVData::GetRootData() {
  return FParentPrintData ? FParentPrintData->GetRootData() : this;
}

TCustomRVData* TRectPtblRVData::GetAbsoluteRootData() {
  return FParentPrintData ? FParentPrintData->GetAbsoluteRootData() : this;
}

void TRectPtblRVData::DoDrawHyperlink(TCustomRVData* RVData, int ItemNo, const TRect& R) {
  if (FParentPrintData) FParentPrintData->DoDrawHyperlink(RVData, ItemNo, R);
}

void TRectPtblRVData::DoDrawCheckpoint(TCustomRVData* RVData, int ItemNo, int X, int Y) {
  if (FParentPrintData) FParentPrintData->DoDrawCheckpoint(RVData, ItemNo, X, Y);
}

bool TRectPtblRVData::IsPageSubDocument() { return FParentPrintData && FParentPrintData->IsPageSubDocument(); }

bool TRectPtblRVData::AllowTransparentDrawing() {
  return FParentPrintData && FParentPrintData->AllowTransparentDrawing();
}

bool TRectPtblRVData::NoMetafiles() {
  auto* root = dynamic_cast<TCustomPrintableRVData*>(GetAbsoluteRootData());
  return root && root != this && root->NoMetafiles();
}

int TRectPtblRVData::MetafilePixelsPerInch() {
  auto* root = dynamic_cast<TCustomPrintableRVData*>(GetAbsoluteRootData());
  return root && root != this ? root->MetafilePixelsPerInch() : 0;
}

// What lies behind a rectangle of this document: its paragraph's opaque background, else what the
// parent shows there (for a transparent rectangle) with the paragraph's background over it.
void TRectPtblRVData::DrawBackToBitmapEx(int ALeft, int ATop, TBitmap* bmp, const TRVScreenAndDevice& sad,
                                         int ItemBackgroundLayer, bool RelativeToItem, bool AllowBitmaps,
                                         bool ParentAllowBitmaps, int PageNo) {
  if (!bmp) return;
  if (RelativeToItem && FDrawItem) {
    ALeft += DeviceToScreenX(FDrawItem->Left, sad);
    ATop += DeviceToScreenY(FItemTop - GetPrintableAreaTop(PageNo), sad);
  }
  TRVStyle* style = GetRVStyle();
  TParaInfo* para = FParaStyle;
  if (FDrawItem && style) para = style->ParaStyles()->Items(GetItemPara(FDrawItem->ItemNo));
  TRVBackgroundRect* back = para ? para->Background() : nullptr;
  const TRect whole(0, 0, bmp->GetWidth(), bmp->GetHeight());
  if (back && back->Color != clNone && back->Opacity == 100000) {
    bmp->GetCanvas()->Brush().SetColor(ApplyBackColorMode(back->Color, GetColorMode()));
    bmp->GetCanvas()->Brush().SetStyle(bsSolid);
    bmp->GetCanvas()->FillRect(whole);
  } else if ((ComplexBackground || Transparent) && FParentPrintData) {
    if (!ParentAllowBitmaps) AllowBitmaps = false;
    FParentPrintData->DrawBackToBitmapEx(
        ALeft + DeviceToScreenX(GetPrintableAreaLeft(PageNo) - FParentPrintData->GetPrintableAreaLeft(PageNo), sad),
        ATop + DeviceToScreenY(GetPrintableAreaTop(PageNo) + VOffsInRotatedCell -
                                   FParentPrintData->GetPrintableAreaTop(PageNo),
                               sad),
        bmp, sad, ItemBackgroundLayer - 1, false, AllowBitmaps, GetRotation() == rvrotNone, PageNo);
    if (back && style) back->Draw(whole, bmp->GetCanvas(), false, GetColorMode(), style->GetGraphicInterface(), true);
  } else {
    TCustomMultiPagePtblRVData::DrawBackToBitmapEx(ALeft, ATop, bmp, sad, ItemBackgroundLayer, RelativeToItem,
                                                   AllowBitmaps, ParentAllowBitmaps, PageNo);
    return;
  }
  // Items have no background of their own to print into the bitmap yet: the item layer is left
  // to them when they get one.
  (void)ItemBackgroundLayer;
}

// ---- TRVHeaderFooterRVData ----------------------------------------------------------------------

TRVHeaderFooterRVData::~TRVHeaderFooterRVData() = default;

TRVSidenoteList* TRVHeaderFooterRVData::GetSidenoteList(int PageNo) {
  return PageNo == 1 ? Sidenotes.get() : nullptr;
}

// The parent page shows what lies behind the header: only the vertical position differs.
void TRVHeaderFooterRVData::DrawBackToBitmapEx(int ALeft, int ATop, TBitmap* bmp, const TRVScreenAndDevice& sad,
                                               int ItemBackgroundLayer, bool RelativeToItem, bool AllowBitmaps,
                                               bool ParentAllowBitmaps, int PageNo) {
  if (!FParentPrintData) return;
  FParentPrintData->DrawBackToBitmapEx(ALeft,
                                       ATop + DeviceToScreenY(Top - FParentPrintData->GetPrintableAreaTop(PageNo), sad),
                                       bmp, sad, ItemBackgroundLayer, RelativeToItem, AllowBitmaps, ParentAllowBitmaps,
                                       PageNo);
}

// ---- TRVEndnotePtblRVData -----------------------------------------------------------------------

TRVEndnotePtblRVData::TRVEndnotePtblRVData(TCustomPrintableRV* ViroZere)
    : TCustomMultiPagePtblRVData(ViroZere), FPrintableRV(ViroZere) {
  Pages = std::make_unique<TRVPageCollection>();
  ParentDrawsBack = true;
}

TRVEndnotePtblRVData::~TRVEndnotePtblRVData() {
  try {
    TCustomRVFormattedData::Clear();
  } catch (...) {
  }
  FItems = nullptr;
  FOwnsItems = false;
}

TCustomMainPtblRVData* TRVEndnotePtblRVData::GetMainData() const {
  return dynamic_cast<TCustomMainPtblRVData*>(FPrintableRV->GetRVData());
}

TCustomRVData* TRVEndnotePtblRVData::GetParentData() const { return GetMainData(); }
TCustomRVData* TRVEndnotePtblRVData::GetRootData() { return GetMainData(); }
TCustomRVData* TRVEndnotePtblRVData::GetAbsoluteParentData() const { return GetMainData(); }
TCustomRVData* TRVEndnotePtblRVData::GetAbsoluteRootData() { return GetMainData(); }

TCustomRVData* TRVEndnotePtblRVData::GetSourceRVDataForPrinting() {
  return Endnote ? static_cast<TCustomRVData*>(Endnote->GetDocument()) : nullptr;
}

void TRVEndnotePtblRVData::InitScreenAndDevice(TCanvas* Canvas, TRVScreenAndDevice& SaD) {
  if (TCustomMainPtblRVData* m = GetMainData()) m->InitScreenAndDevice(Canvas, SaD);
}

TCanvas* TRVEndnotePtblRVData::GetCanvas() {
  TCustomMainPtblRVData* m = GetMainData();
  return m ? m->PrinterCanvas : nullptr;
}

TRVStyle* TRVEndnotePtblRVData::GetRVStyle() const {
  TCustomMainPtblRVData* m = GetMainData();
  return m ? m->GetRVStyle() : nullptr;
}

TRVColorMode TRVEndnotePtblRVData::GetColorMode() {
  TCustomMainPtblRVData* m = GetMainData();
  return m ? m->ColorMode : rvcmPrinterColor;
}

int TRVEndnotePtblRVData::GetPrintableAreaLeft(int PageNo) {
  TCustomMainPtblRVData* m = GetMainData();
  return m ? m->GetPrintableAreaLeft(PageNo) : 0;
}

int TRVEndnotePtblRVData::GetPrintableAreaTop(int PageNo) {
  TCustomMainPtblRVData* m = GetMainData();
  return m ? m->GetPrintableAreaTop(PageNo) : 0;
}

int TRVEndnotePtblRVData::GetPageStartY(int PageNo, int GlobalPageNo) {
  TCustomMainPtblRVData* m = GetMainData();
  if (!m || !Pages || PageNo < 1 || PageNo > Pages->Count()) return 0;
  return Pages->GetItem(PageNo - 1)->StartY - (m->GetTmpMForPage(GlobalPageNo).Top + m->TmpTMPix) -
         (PageNo == 1 ? StartAt : NextStartAt);
}

int TRVEndnotePtblRVData::GetPageStartY2(int PageNo, int GlobalPageNo) {
  TCustomMainPtblRVData* m = GetMainData();
  if (!m || !Pages || PageNo < 1 || PageNo > Pages->Count()) return 0;
  return Pages->GetItem(PageNo - 1)->StartY2 - (m->GetTmpMForPage(GlobalPageNo).Top + m->TmpTMPix) -
         (PageNo == 1 ? StartAt : NextStartAt);
}
