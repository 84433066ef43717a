// The document of a print job: margins of the three kinds of page, headers and footers, and the
// footnotes and sidenotes drawn with each page.
#include <algorithm>

#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVNoteItems.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/print/PtblRVData.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Graphics.h"

void ClampMarginPair(int& A, int& B, int Size) {
  if (A > Size) A = Size;
  if (A + B > Size) B = Size - A;
}

// ---- TCustomMainPtblRVData ------------------------------------------------------------------------

TCustomMainPtblRVData::TCustomMainPtblRVData(TRVRootDataViewer* AViroZere) : TCustomMultiPagePtblRVData(AViroZere) {
  Pages = std::make_unique<TRVPageCollection>();
}

TCustomMainPtblRVData::~TCustomMainPtblRVData() = default;

void TCustomMainPtblRVData::Clear() {
  TCustomMultiPagePtblRVData::Clear();
  if (FPrevMarkers) {
    // The list refers to markers it owns.
    for (int i = 0; i < FPrevMarkers->Count(); ++i) delete static_cast<TObject*>(FPrevMarkers->Get(i));
    FPrevMarkers.reset();
  }
}

TRVMarkerList* TCustomMainPtblRVData::GetPrevMarkers() {
  if (!FPrevMarkers) FPrevMarkers = std::make_unique<TRVMarkerList>();
  return FPrevMarkers.get();
}

TColor TCustomMainPtblRVData::GetColor() { return Transparent ? clNone : TCustomMultiPagePtblRVData::GetColor(); }

void TCustomMainPtblRVData::InitScreenAndDevice(TCanvas* /*Canvas*/, TRVScreenAndDevice& SaD) { SaD = PrnSad; }

bool TCustomMainPtblRVData::GetFirstParaListInfo(int& ListNo, int& Level) {
  if (State.Contains(rvstFirstParaAborted)) {
    ListNo = FFirstParaListNo;
    Level = FFirstParaLevel;
    return ListNo >= 0;
  }
  return TCustomMultiPagePtblRVData::GetFirstParaListInfo(ListNo, Level);
}

bool TCustomMainPtblRVData::IgnorePageBreaks() {
  TRVPrintHost* p = GetRVPrint();
  return p && p->GetIgnorePageBreaks();
}

TRVHFType TCustomMainPtblRVData::GetPageType(int GlobalPageNo) {
  TRVPrintableViewer* v = GetPrintableViewer();
  if (v && v->GetTitlePage() && GlobalPageNo == 1) return rvhftFirstPage;
  if (v && v->GetFacingPages() && GlobalPageNo % 2 == 0) return rvhftEvenPages;
  return rvhftNormal;
}

TRect& TCustomMainPtblRVData::GetTmpM(TRVHFType HFType) {
  switch (HFType) {
    case rvhftFirstPage: return TmpMFirstPage;
    case rvhftEvenPages: return TmpMEvenPages;
    default: return TmpMNormal;
  }
}

int& TCustomMainPtblRVData::GetContentHeight(TRVHFType HFType) {
  switch (HFType) {
    case rvhftFirstPage: return ContentHeightFirstPage;
    case rvhftEvenPages: return ContentHeightEvenPages;
    default: return ContentHeightNormal;
  }
}

int TCustomMainPtblRVData::GetContentHeightForPage(int GlobalPageNo) {
  return GetContentHeight(GetPageType(GlobalPageNo));
}

int TCustomMainPtblRVData::GetPageStartY(int PageNo, int GlobalPageNo) {
  int y = TCustomMultiPagePtblRVData::GetPageStartY(PageNo, GlobalPageNo) -
          (GetTmpMForPage(GlobalPageNo).Top + TmpTMPix);
  if (PageNo == 1)
    if (TRVPrintHost* p = GetRVPrint()) y -= p->GetStartAt();
  return y;
}

int TCustomMainPtblRVData::GetPageStartY2(int PageNo, int GlobalPageNo) {
  int y = TCustomMultiPagePtblRVData::GetPageStartY2(PageNo, GlobalPageNo) -
          (GetTmpMForPage(GlobalPageNo).Top + TmpTMPix);
  if (PageNo == 1)
    if (TRVPrintHost* p = GetRVPrint()) y -= p->GetStartAt();
  return y;
}

void TCustomMainPtblRVData::CheckPageNo(int PageNo) {
  if (PageNo <= 0 || PageNo > PagesCount()) throw EViroZereError("Invalid page number is specified for printing");
}

void TCustomMainPtblRVData::DoDrawHyperlink(TCustomRVData* RVData, int ItemNo, const TRect& R) {
  TRVPrintHost* p = GetRVPrint();
  if (p && p->OnDrawHyperlink) p->OnDrawHyperlink(p->GetPrintComponent(), RVData, ItemNo, R);
}

void TCustomMainPtblRVData::DoDrawCheckpoint(TCustomRVData* RVData, int ItemNo, int X, int Y) {
  TRVPrintHost* p = GetRVPrint();
  if (p && p->OnDrawCheckpoint) p->OnDrawCheckpoint(p->GetPrintComponent(), RVData, ItemNo, X, Y);
}

void TCustomMainPtblRVData::GetPrintableItemsRange(int& MinItemNo, int& MaxItemNo) {
  TRVPrintHost* p = GetRVPrint();
  if (!p) {
    TCustomMultiPagePtblRVData::GetPrintableItemsRange(MinItemNo, MaxItemNo);
    return;
  }
  MinItemNo = p->GetMinPrintedItemNo();
  MaxItemNo = p->GetMaxPrintedItemNo();
  if (MaxItemNo < 0) MaxItemNo = ItemCount() - 1;
}

void TCustomMainPtblRVData::DrawPage(int PageNo, int GlobalPageNo, TCanvas* Canvas, bool Printing, bool Preview,
                                     bool Correction) {
  if (PageNo > 0) TCustomMultiPagePtblRVData::DrawPage(PageNo, GlobalPageNo, Canvas, Printing, Preview, Correction);
}

int TCustomMainPtblRVData::GetFirstPageStartAt() {
  TRVPrintHost* p = GetRVPrint();
  return p ? p->GetStartAt() : 0;
}

void TCustomMainPtblRVData::SetEndAt(int Y) {
  if (TRVPrintHost* p = GetRVPrint()) p->SetEndAt(Y);
}

void TCustomMainPtblRVData::AddPageStartOffset(int PageNo) {
  if (PageNo != 1) return;
  if (TRVPrintHost* p = GetRVPrint()) p->SetEndAt(p->GetEndAt() + p->GetStartAt());
}

void TCustomMainPtblRVData::PreparePageMetrics() {
  TRVStyle* st = GetRVStyle();
  ::InitScreenAndDevice(PrnSad, PrinterCanvas, st ? st->GetGraphicInterface() : nullptr);
  if (ScreenPixelsPerInchOverride != 0) PrnSad.ppixScreen = PrnSad.ppiyScreen = ScreenPixelsPerInchOverride;
  TRVScreenAndDevice sad = PrnSad;
  InitScreenAndDevice(PrinterCanvas, sad);
  PrnSad = sad;
  TmpTMPix = ScreenToDeviceY(FTopMarginPix, PrnSad);
  TmpBMPix = ScreenToDeviceY(FBottomMarginPix, PrnSad);
}

void TCustomMainPtblRVData::PostFormatPageNotes() {
  if (!Pages) return;
  for (int n = 1; n <= Pages->Count(); ++n) {
    TRVPageInfo* page = Pages->GetItem(n - 1);
    if (page->Sidenotes)
      for (int k = 0; k < page->Sidenotes->Count(); ++k)
        if (TCustomPrintableRVData* d = page->Sidenotes->GetItems(k)) d->PostFormat(n);
    if (page->FootnoteRVDataList)
      for (int k = 0; k < page->FootnoteRVDataList->Count(); ++k)
        if (TCustomPrintableRVData* d = page->FootnoteRVDataList->Get(k)->GetNoteRVData()) d->PostFormat(n);
  }
}

void TCustomMainPtblRVData::FinalizeFormatPages() {
  PostFormat(1);
  PostFormatPageNotes();
  DonePrinterCanvas(PrinterCanvas);
  PrinterCanvas = nullptr;
  DoFormatting(PagesCount(), rvpsFinished);
}

void TCustomMainPtblRVData::DoPagePrepaint(TCanvas* Canvas, int GlobalPageNo, bool PageStartsInRange,
                                           bool Correction, bool Preview, bool Printing) {
  if (GlobalPageNo <= PagesCount())
    DrawSidenotes(Canvas, GlobalPageNo, false, false, Correction, Preview, Printing, GlobalPageNo);
  TCustomMultiPagePtblRVData::DoPagePrepaint(Canvas, GlobalPageNo, PageStartsInRange, Correction, Preview, Printing);
}

void TCustomMainPtblRVData::DoPagePostpaint(TCanvas* Canvas, int GlobalPageNo, bool /*PageEndsInRange*/,
                                            bool Correction, bool Preview, bool Printing) {
  if (GlobalPageNo > PagesCount()) return;
  TRVPageInfo* page = Pages->GetItem(GlobalPageNo - 1);
  if (TRVFootnoteRefList* list = page->FootnoteRVDataList.get(); list && list->Count() > 0) {
    int minNo, maxNo;
    GetPrintableItemsRange(minNo, maxNo);
    // The absolute root item of a footnote's reference, read from the reference's draw item.
    auto inRange = [&](TRVFootnotePageEntry* e) {
      TCustomRVFormattedData* holder = e->FootnoteItemRVData;
      if (!holder || !holder->DrawItems || e->FootnoteDItemNo < 0 || e->FootnoteDItemNo >= holder->DrawItems->Count())
        return true;
      const int itemNo = holder->GetAbsoluteRootItemNo(holder->DrawItems->Get(e->FootnoteDItemNo)->ItemNo);
      return itemNo >= minNo && itemNo <= maxNo;
    };
    for (int k = 0; k < list->Count(); ++k) {
      TRVFootnotePageEntry* e = list->Get(k);
      if (inRange(e))
        if (TCustomPrintableRVData* d = e->GetNoteRVData()) d->DrawPage(1, GlobalPageNo, Canvas, Printing, Preview, Correction);
    }
    TRVFootnotePageEntry* first = list->Get(0);
    if (inRange(first) && GetPrintableViewer())
      if (TCustomPrintableRVData* d = first->GetNoteRVData())
        GetPrintableViewer()->DrawNoteSeparatorAbove(GlobalPageNo, d->GetPrintableAreaTop(GlobalPageNo), Canvas,
                                                     false);
  }
  DrawSidenotes(Canvas, GlobalPageNo, false, true, Correction, Preview, Printing, GlobalPageNo);
}

// ---- TPrintableRVData ---------------------------------------------------------------------------

TPrintableRVData::TPrintableRVData(TRVRootDataViewer* AViroZere) : TCustomMainPtblRVData(AViroZere) {}

TPrintableRVData::~TPrintableRVData() {
  Header.reset();
  Footer.reset();
  FirstPageHeader.reset();
  FirstPageFooter.reset();
  EvenPagesHeader.reset();
  EvenPagesFooter.reset();
}

TCustomRVData* TPrintableRVData::GetSourceRVDataForPrintingEx() {
  TRVPrintHost* p = GetRVPrint();
  TCustomRVData* src = p ? p->GetSourceRVData() : nullptr;
  return src ? src : this;
}

TRVMarkerList* TPrintableRVData::GetMarkers(bool /*AllowCreate*/) {
  TCustomRVData* src = GetSourceRVDataForPrintingEx();
  if (!src || src == this) return TCustomMainPtblRVData::GetMarkers(false);
  return src->GetMarkers(false);
}

TCanvas* TPrintableRVData::InitPrinterCanvas() {
  TRVStyle* st = GetRVStyle();
  if (!st) return nullptr;
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  TRVPrintHost* p = GetRVPrint();
  if (p && p->GetVirtualPrinterActive()) {
    TCanvas* c = gi->CreateScreenCompatibleCanvas();
    if (c) c->Font().SetPixelsPerInch(p->GetVirtualPixelsPerInchY());
    return c;
  }
  return gi->CreatePrinterCanvas();
}

void TPrintableRVData::DonePrinterCanvas(TCanvas* Canvas) {
  TRVStyle* st = GetRVStyle();
  if (st && Canvas) st->GetGraphicInterface()->DestroyCompatibleCanvas(Canvas);
}

void TPrintableRVData::DoFormatting(int PageCompleted, TRVPrintingStep Step) {
  TRVPrintHost* p = GetRVPrint();
  if (p && p->OnFormatting) p->OnFormatting(GetScroller(), PageCompleted, Step);
}

int TPrintableRVData::GetPrintableAreaLeft(int GlobalPageNo) {
  TRVPrintableViewer* v = GetPrintableViewer();
  if (v && v->GetMirrorMargins() && GlobalPageNo % 2 == 0) return TmpLMMir;
  return TCustomMainPtblRVData::GetPrintableAreaLeft(GlobalPageNo);
}

int TPrintableRVData::GetPageWidth() {
  TRVPrintHost* p = GetRVPrint();
  if (!p) return 0;
  return p->GetVirtualPrinterActive() ? p->GetVirtualPageWidth() : p->GetPrinterPageWidth();
}

int TPrintableRVData::GetPageHeight() {
  TRVPrintHost* p = GetRVPrint();
  if (!p) return 0;
  return p->GetVirtualPrinterActive() ? p->GetVirtualPageHeight() : p->GetPrinterPageHeight();
}

std::unique_ptr<TCustomMultiPagePtblRVData>& TPrintableRVData::GetHeaderOrFooter(TRVHFType HFType, bool IsHeader) {
  switch (HFType) {
    case rvhftFirstPage: return IsHeader ? FirstPageHeader : FirstPageFooter;
    case rvhftEvenPages: return IsHeader ? EvenPagesHeader : EvenPagesFooter;
    default: return IsHeader ? Header : Footer;
  }
}

TCustomMultiPagePtblRVData* TPrintableRVData::GetHeaderForPage(int GlobalPageNo) {
  return GetHeaderOrFooter(GetPageType(GlobalPageNo), true).get();
}

TCustomMultiPagePtblRVData* TPrintableRVData::GetFooterForPage(int GlobalPageNo) {
  return GetHeaderOrFooter(GetPageType(GlobalPageNo), false).get();
}

void TPrintableRVData::InitVirtualPrinterMetrics() {
  TRVPrintHost* p = GetRVPrint();
  PrnSad.ppixDevice = p ? p->GetVirtualPixelsPerInchX() : GetScreenPixelsPerInch();
  PrnSad.ppiyDevice = p ? p->GetVirtualPixelsPerInchY() : GetScreenPixelsPerInch();
  const int screen = ScreenPixelsPerInchOverride != 0 ? ScreenPixelsPerInchOverride : GetScreenPixelsPerInch();
  PrnSad.ppixScreen = PrnSad.ppiyScreen = screen;
  TRVScreenAndDevice sad = PrnSad;
  TCustomMainPtblRVData::InitScreenAndDevice(PrinterCanvas, sad);
  PrnSad = sad;
  TmpTMPix = ScreenToDeviceY(FTopMarginPix, PrnSad);
  TmpBMPix = ScreenToDeviceY(FBottomMarginPix, PrnSad);
}

void TPrintableRVData::PreparePageMetrics() {
  TRVPrintHost* p = GetRVPrint();
  TRVPrintableViewer* v = GetPrintableViewer();
  TRVStyle* st = GetRVStyle();
  int ppiX, ppiY;
  if (p && p->GetVirtualPrinterActive()) {
    InitVirtualPrinterMetrics();
    ppiX = p->GetVirtualPixelsPerInchX();
    ppiY = p->GetVirtualPixelsPerInchY();
    PhysM = TRect(0, 0, 0, 0);
  } else {
    TCustomMainPtblRVData::PreparePageMetrics();
    TRVGraphicInterface* gi = st ? st->GetGraphicInterface() : nullptr;
    if (gi && PrinterCanvas) {
      ppiY = gi->GetDeviceCaps(PrinterCanvas, LOGPIXELSY);
      ppiX = gi->GetDeviceCaps(PrinterCanvas, LOGPIXELSX);
      PhysM.Left = gi->GetDeviceCaps(PrinterCanvas, PHYSICALOFFSETX);
      PhysM.Top = gi->GetDeviceCaps(PrinterCanvas, PHYSICALOFFSETY);
      PhysM.Right = gi->GetDeviceCaps(PrinterCanvas, PHYSICALWIDTH) - GetPageWidth() - PhysM.Left;
      PhysM.Bottom = gi->GetDeviceCaps(PrinterCanvas, PHYSICALHEIGHT) - GetPageHeight() - PhysM.Top;
    } else {
      ppiX = PrnSad.ppixDevice;
      ppiY = PrnSad.ppiyDevice;
      PhysM = TRect(0, 0, 0, 0);
    }
  }
  // A printer that reports no physical page has no unprintable border to subtract.
  if (PhysM.Right < 0) PhysM.Right = 0;
  if (PhysM.Bottom < 0) PhysM.Bottom = 0;
  if (PrinterCanvas) PrinterCanvas->Font().SetPixelsPerInch(PrnSad.ppiyDevice);

  double ml = 0, mt = 0, mr = 0, mb = 0;
  TRVUnits units = rvuMillimeters;
  if (v) {
    v->GetMargins(ml, mt, mr, mb);
    units = v->GetUnits();
  }
  const int pw = GetPageWidth(), ph = GetPageHeight();
  TRect& m = TmpMNormal;
  m.Left = UnitsValueToPixels(units, ppiX, ml) - PhysM.Left;
  m.Top = UnitsValueToPixels(units, ppiY, mt) - PhysM.Top;
  m.Right = UnitsValueToPixels(units, ppiX, mr) - PhysM.Right;
  m.Bottom = UnitsValueToPixels(units, ppiY, mb) - PhysM.Bottom;
  TmpLMMir = UnitsValueToPixels(units, ppiX, mr) - PhysM.Left;
  if (!p || p->GetFixMarginsMode() == rvfmmAutoCorrect) {
    // The text keeps its width: what the left (top) margin lacks comes off the right (bottom).
    if (m.Left < 0) {
      m.Right += m.Left;
      m.Left = 0;
    }
    if (m.Top < 0) {
      m.Bottom += m.Top;
      m.Top = 0;
    }
    m.Right = std::max(0, m.Right);
    m.Bottom = std::max(0, m.Bottom);
    TmpLMMir = std::max(0, TmpLMMir);
  }
  ClampMarginPair(m.Left, m.Right, pw);
  ClampMarginPair(TmpLMMir, m.Left, pw);
  TmpMFirstPage = TmpMNormal;
  TmpMEvenPages = TmpMNormal;

  auto format = [&](TCustomMultiPagePtblRVData* d) {
    d->Format_(false, true, false, 0, d->GetCanvas(), false, false, false, false, false);
  };
  const TRVHFType kinds[3] = {rvhftNormal, rvhftFirstPage, rvhftEvenPages};
  for (TRVHFType k : kinds)
    if (TCustomMultiPagePtblRVData* h = GetHeaderOrFooter(k, true).get()) {
      TRect& km = GetTmpM(k);
      const int top = std::max(0, UnitsValueToPixels(units, ppiY, HeaderY) - PhysM.Top);
      h->SetPageRect(km.Left, top, pw - km.Left - km.Right, 1);
      format(h);
      if (km.Top < top + h->DocumentHeight) km.Top = top + h->DocumentHeight;
    }
  for (TRVHFType k : kinds)
    if (TCustomMultiPagePtblRVData* f = GetHeaderOrFooter(k, false).get()) {
      TRect& km = GetTmpM(k);
      f->SetPageRect(km.Left, 0, pw - km.Left - km.Right, 1);
      format(f);
      const int h = f->DocumentHeight + UnitsValueToPixels(units, ppiY, FooterY) - PhysM.Bottom;
      f->SetPageRect(km.Left, std::max(0, ph - h), pw - km.Left - km.Right, 1);
      if (km.Bottom < h) km.Bottom = h;
    }
  for (TRVHFType k : kinds) {
    TRect& km = GetTmpM(k);
    ClampMarginPair(km.Top, km.Bottom, ph);
    GetContentHeight(k) = std::max(0, ph - km.Top - km.Bottom);
  }
  State.Include(rvstSkipFormatting);
  try {
    TRVScroller* sc = GetScroller();
    sc->SetHScrollVisible(false);
    sc->SetVScrollVisible(false);
    sc->SetWidth(std::max(0, pw - TmpMNormal.Left - TmpMNormal.Right));
    sc->SetHeight(ContentHeightNormal);
  } catch (...) {
    State.Exclude(rvstSkipFormatting);
    throw;
  }
  State.Exclude(rvstSkipFormatting);
  for (TRVHFType k : kinds) {
    if (TCustomMultiPagePtblRVData* h = GetHeaderOrFooter(k, true).get()) h->PrepareSidenotes(this, k);
    if (TCustomMultiPagePtblRVData* f = GetHeaderOrFooter(k, false).get()) f->PrepareSidenotes(this, k);
  }
}

void TPrintableRVData::DoPagePrepaint(TCanvas* Canvas, int GlobalPageNo, bool PageStartsInRange, bool Correction,
                                      bool Preview, bool Printing) {
  TRVPrintHost* p = GetRVPrint();
  const TRect& m = GetTmpMForPage(GlobalPageNo);
  const int left = GetPrintableAreaLeft(GlobalPageNo), top = GetPrintableAreaTop(GlobalPageNo);
  const int ch = GetContentHeightForPage(GlobalPageNo);
  const TRect printArea(left, top, left + GetWidth(), top + ch);
  const TRect pageRect(0, 0, GetWidth() + m.Left + m.Right, ch + m.Top + m.Bottom);
  if (p && p->OnPagePrepaint)
    p->OnPagePrepaint(p->GetPrintComponent(), GlobalPageNo, Canvas, Preview || !Printing, pageRect, printArea);
  if (PageStartsInRange) {
    if (TCustomMultiPagePtblRVData* h = GetHeaderForPage(GlobalPageNo)) {
      h->SetPageRectLeft(left);
      h->DrawSidenotes(Canvas, 1, true, false, Correction, Preview, Printing, GlobalPageNo);
      h->PostFormat(GlobalPageNo);
      h->DrawPage(1, GlobalPageNo, Canvas, Printing, Preview, Correction);
      h->DrawSidenotes(Canvas, 1, true, true, Correction, Preview, Printing, GlobalPageNo);
    }
    if (TCustomMultiPagePtblRVData* f = GetFooterForPage(GlobalPageNo)) {
      f->SetPageRectLeft(left);
      f->DrawSidenotes(Canvas, 1, true, false, Correction, Preview, Printing, GlobalPageNo);
      f->DrawPage(1, GlobalPageNo, Canvas, Printing, Preview, Correction);
      f->DrawSidenotes(Canvas, 1, true, true, Correction, Preview, Printing, GlobalPageNo);
    }
  }
  TCustomMainPtblRVData::DoPagePrepaint(Canvas, GlobalPageNo, PageStartsInRange, Correction, Preview, Printing);
  if (p && p->GetClipMargins() && GetRVStyle())
    GetRVStyle()->GetGraphicInterface()->IntersectClipRectEx(Canvas, printArea.Left, printArea.Top, printArea.Right,
                                                             printArea.Bottom, Rgn, RgnValid);
}

void TPrintableRVData::DoPagePostpaint(TCanvas* Canvas, int GlobalPageNo, bool PageEndsInRange, bool Correction,
                                       bool Preview, bool Printing) {
  TRVPrintHost* p = GetRVPrint();
  auto raisePostpaint = [&] {
    if (!PageEndsInRange || !p || !p->OnPagePostpaint) return;
    const TRect& m = GetTmpMForPage(GlobalPageNo);
    const int left = GetPrintableAreaLeft(GlobalPageNo), top = GetPrintableAreaTop(GlobalPageNo);
    const int ch = GetContentHeightForPage(GlobalPageNo);
    p->OnPagePostpaint(p->GetPrintComponent(), GlobalPageNo, Canvas, Preview || !Printing,
                       TRect(0, 0, GetWidth() + m.Left + m.Right, ch + m.Top + m.Bottom),
                       TRect(left, top, left + GetWidth(), top + ch));
  };
  try {
    if (p && p->GetClipMargins() && GetRVStyle()) {
      GetRVStyle()->GetGraphicInterface()->RestoreClipRgn(Canvas, Rgn, RgnValid);
      Rgn = nullptr;
      RgnValid = false;
    }
    TCustomMainPtblRVData::DoPagePostpaint(Canvas, GlobalPageNo, PageEndsInRange, Correction, Preview, Printing);
  } catch (...) {
    raisePostpaint();
    throw;
  }
  raisePostpaint();
}
