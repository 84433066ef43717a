// The printable document: page geometry answers and drawing one page.
#include "engine/print/PtblRVData.h"

#include "engine/document/RVNoteItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

TCustomPrintableRVData::TCustomPrintableRVData(TRVRootDataViewer* AViroZere)
    : TViroZereRVData(AViroZere), FPrintableViewer(dynamic_cast<TRVPrintableViewer*>(AViroZere)) {}

TCustomPrintableRVData::~TCustomPrintableRVData() = default;

TRVPrintHost* TCustomPrintableRVData::GetRVPrint() const {
  return FPrintableViewer ? FPrintableViewer->GetRVPrintHost() : nullptr;
}

TRVDocWidthChangeStates TCustomPrintableRVData::GetDrawingStates(bool NoCaching, bool Reformatting,
                                                                 bool UseFormatCanvas, bool ThisLevelOnly) {
  TRVDocWidthChangeStates s =
      TViroZereRVData::GetDrawingStates(NoCaching, Reformatting, UseFormatCanvas, ThisLevelOnly);
  if (NoMetafiles()) s.Include(rvdwcsNoMetafiles);
  if (TRVPrintHost* p = GetRVPrint(); p && p->GetMetafileCompatibility()) s.Include(rvdwcsMetafileCompatibility);
  return s;
}

void TCustomPrintableRVData::GetDrawItemsRange(int /*PageNo*/, int& StartNo, int& EndNo, int& Part) {
  StartNo = 0;
  EndNo = DrawItems ? DrawItems->Count() - 1 : -1;
  Part = -1;
}

void TCustomPrintableRVData::GetPrintableItemsRange(int& MinItemNo, int& MaxItemNo) {
  MinItemNo = 0;
  MaxItemNo = ItemCount() - 1;
}

void TCustomPrintableRVData::CalcFootnotesCoords(TList* References, int PageNo) {
  if (FPrintableViewer) FPrintableViewer->CalcFootnotesCoords(References, PageNo);
}

// ---- page numbers on pages ------------------------------------------------------------------------

void TCustomPrintableRVData::PostFormatPage(int PageNo, int DispPageNo, int PageCount) {
  if (!DrawItems || DrawItems->Count() == 0) return;
  int first, last, part;
  GetDrawItemsRange(PageNo, first, last, part);
  if (first < 0 || last < first) return;
  TRVScreenAndDevice sad;
  InitScreenAndDevice(nullptr, sad);
  AdjustItemsPrintingWidth(first, last, part, DispPageNo, PageCount, &sad);
}

void TCustomPrintableRVData::PostFormat(int GlobalPageNo) {
  TRVPrintHost* p = GetRVPrint();
  PostFormatPage(1, p ? p->GetDispPageNo(GlobalPageNo) : GlobalPageNo, p ? p->GetPagesCount() : 1);
}

bool TCustomPrintableRVData::GetPrintedPageNumbers(int PageNo, int& DispPageNo, int& PageCount) {
  TRVPrintHost* p = GetRVPrint();
  if (!p) return TViroZereRVData::GetPrintedPageNumbers(PageNo, DispPageNo, PageCount);
  DispPageNo = p->GetDispPageNo(PageNo);
  PageCount = p->GetPagesCount();
  return true;
}

// ---- drawing a page ---------------------------------------------------------------------------------

// The page background: the background image drawn once into a bitmap of the text area (screen
// pixels) and printed scaled to device pixels, or the document colour. A background that tiles
// with the scroll position is tiled from the area's origin: the document's own style is never
// changed for it.
void TCustomPrintableRVData::DrawPageBackground(TCanvas* Canvas, int GlobalPageNo, const TRVScreenAndDevice& sad,
                                                bool /*Preview*/, bool /*Printing*/) {
  TRVStyle* st = GetRVStyle();
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  const int left = GetPrintableAreaLeft(GlobalPageNo), top = GetPrintableAreaTop(GlobalPageNo);
  const int w = GetWidth(), h = GetContentHeightForPage(GlobalPageNo);
  TRVBackground* bg = GetPageBackground();
  if (bg && bg->Style != bsNoBitmap && !bg->EmptyImage()) {
    const int sw = DeviceToScreenX(w, sad), sh = DeviceToScreenY(h, sad);
    if (sw > 0 && sh > 0) {
      FBackgroundBmp = std::make_unique<TBitmap>();
      FBackgroundBmp->SetSize(sw, sh);
      bg->DrawOnPage(FBackgroundBmp->GetCanvas(), TRect(0, 0, sw, sh), sw, sh, GetColor(), 100000, false, gi);
      Canvas->StretchDraw(TRect(left, top, left + w, top + h), FBackgroundBmp.get());
    }
    return;
  }
  const TColor c = GetColor();
  if (ParentDrawsBack || c == clNone) return;
  Canvas->Brush().SetStyle(bsSolid);
  Canvas->Brush().SetColor(ApplyBackColorMode(c, GetColorMode()));
  Canvas->FillRect(TRect(left, top, left + w, top + h));
  Canvas->Brush().SetStyle(bsClear);
}

void TCustomPrintableRVData::DrawPage(int PageNo, int GlobalPageNo, TCanvas* Canvas, bool Printing, bool Preview,
                                      bool Correction) {
  TRVStyle* st = GetRVStyle();
  if (!st) throw EViroZereError("Style of printable TViroZere component is not assigned");
  TRVPrintHost* host = GetRVPrint();
  const bool metafileCompatibility = host && host->GetMetafileCompatibility();
  (void)metafileCompatibility;
  TRVScreenAndDevice sad;
  InitScreenAndDevice(Canvas, sad);
  Canvas->Brush().SetStyle(bsClear);
  FBackgroundBmp.reset();
  int first = 0, last = -1, part = -1;
  GetDrawItemsRange(PageNo, first, last, part);
  int minNo, maxNo;
  GetPrintableItemsRange(minNo, maxNo);
  const int n = DrawItems ? DrawItems->Count() : 0;
  const bool hasItems = first >= 0 && first < n && last >= first;
  auto itemInRange = [&](int d) { const int it = (*DrawItems)[d]->ItemNo; return it >= minNo && it <= maxNo; };
  struct TCleanup {
    TCustomPrintableRVData* D;
    ~TCleanup() {
      D->FBackgroundBmp.reset();
      D->FDrawItem = nullptr;
    }
  } cleanup{this};

  if (!hasItems || itemInRange(first)) DrawPageBackground(Canvas, GlobalPageNo, sad, Preview, Printing);
  DoPagePrepaint(Canvas, GlobalPageNo, !hasItems || itemInRange(first), Correction, Preview, Printing);
  if (!PageExists(PageNo)) {
    FBackgroundBmp.reset();
    DoPagePostpaint(Canvas, GlobalPageNo, false, Correction, Preview, Printing);
    return;
  }
  if (hasItems) {
    const int areaLeft = GetPrintableAreaLeft(GlobalPageNo);
    const int startY = GetPageStartY(PageNo, GlobalPageNo);
    const int startY2 = part >= 0 ? GetPageStartY2(PageNo, GlobalPageNo) : startY;
    // The draw items of the page inside the printed item range.
    int from = first, to = std::min(last, n - 1);
    while (from <= to && (*DrawItems)[from]->ItemNo < minNo) ++from;
    int stop = from;
    while (stop <= to && (*DrawItems)[stop]->ItemNo <= maxNo) ++stop;
    to = stop - 1;
    // Notifications in page coordinates (device pixels).
    for (int i = from; i <= to; ++i) {
      TRVDrawLineInfo* d = (*DrawItems)[i];
      FDrawItem = d;
      const int y0 = i == first ? startY : startY2;
      TCustomRVItemInfo* item = GetItem(d->ItemNo);
      const int pageY = GetTransformedDItemTop(i) - y0;
      if (item->GetBoolValueEx(rvbpJump, st)) {
        const int x = d->Left + areaLeft;
        DoDrawHyperlink(this, d->ItemNo, TRect(x, pageY, x + d->Width, pageY + d->Height));
      }
      const bool itemStart = i == 0 || (*DrawItems)[i - 1]->ItemNo != d->ItemNo;
      if (item->Checkpoint && itemStart && !(i == first && part > 0)) {
        FItemTop = pageY;
        DoDrawCheckpoint(this, d->ItemNo, d->Left + areaLeft, pageY);
      }
    }
    FDrawItem = nullptr;
    // The paragraph and text backgrounds, items and checkpoints, painted for print. A page that
    // opens with a continuation part places the draw items after it by the second start.
    if (from <= to) {
      TRVPrintedPage page{&sad, GlobalPageNo, Printing, Preview, Correction};
      FindPagePartsOfSplitItems(PageNo, from, to, part, page);
      struct TPageGuard {
        TCustomPrintableRVData* D;
        ~TPageGuard() { D->PrintedPage = nullptr; }
      } pageGuard{this};
      PrintedPage = &page;
      if (part >= 0 && from == first && to > first) {
        PaintTo(Canvas, TRect(0, 0, 0, 0), false, false, false, true, false, -areaLeft, startY, from, from, nullptr,
                nullptr, false);
        PaintTo(Canvas, TRect(0, 0, 0, 0), false, false, false, true, false, -areaLeft, startY2, from + 1, to,
                nullptr, nullptr, false);
      } else {
        PaintTo(Canvas, TRect(0, 0, 0, 0), false, false, false, true, false, -areaLeft, from == first ? startY : startY2,
                from, to, nullptr, nullptr, false);
      }
    }
  }
  FBackgroundBmp.reset();
  DoPagePostpaint(Canvas, GlobalPageNo, !hasItems || itemInRange(std::min(last, n - 1)), Correction, Preview,
                  Printing);
}

// The part that opens the page (Part) and, when the next page continues the page's last draw
// item, that item's first part: a split item prints only the slice of its page.
void TCustomPrintableRVData::FindPagePartsOfSplitItems(int PageNo, int From, int To, int Part, TRVPrintedPage& Page) {
  auto multi = [&](int k) { return dynamic_cast<TRVMultiDrawItemInfo*>((*DrawItems)[k]); };
  int first = 0, last = -1, dummy = -1;
  GetDrawItemsRange(PageNo, first, last, dummy);
  if (Part >= 0 && From == first)
    if (TRVMultiDrawItemInfo* m = multi(From); m && Part < static_cast<int>(m->PartsList.size())) {
      Page.StartPartDrawItemNo = From;
      Page.StartPart = m->PartsList[static_cast<size_t>(Part)].get();
    }
  if (To == Page.StartPartDrawItemNo) return;
  int nextFirst = 0, nextLast = -1, nextPart = -1;
  if (!PageExists(PageNo + 1)) return;
  GetDrawItemsRange(PageNo + 1, nextFirst, nextLast, nextPart);
  if (nextFirst == To && nextPart > 0)
    if (TRVMultiDrawItemInfo* m = multi(To); m && !m->PartsList.empty() && m->PartsList[0]) {
      Page.EndPartDrawItemNo = To;
      Page.EndPart = m->PartsList[0].get();
    }
}

// What the page shows behind a rectangle of the text area: the page's background bitmap where
// there is one, else the paragraph's opaque colour or the document colour, then a
// semi-transparent paragraph background over it.
void TCustomPrintableRVData::DrawBackToBitmapEx(int Left, int Top, TBitmap* bmp, const TRVScreenAndDevice& sad,
                                                int /*ItemBackgroundLayer*/, bool RelativeToItem, bool AllowBitmaps,
                                                bool ParentAllowBitmaps, int PageNo) {
  if (!bmp) return;
  if (RelativeToItem && FDrawItem) {
    Left += DeviceToScreenX(FDrawItem->Left, sad);
    Top += DeviceToScreenY(FItemTop - GetPrintableAreaTop(PageNo), sad);
  }
  TParaInfo* para = FParaStyle;
  if (!FTextBoxItem && FDrawItem) {
    TRVStyle* st = GetRVStyle();
    const int p = GetItemPara(FDrawItem->ItemNo);
    if (st && p >= 0 && p < st->ParaStyles()->Count()) para = st->ParaStyles()->Items(p);
  }
  const bool opaquePara = para && para->Background()->Color != clNone && para->Background()->Opacity >= 100000;
  TCanvas* c = bmp->GetCanvas();
  const TRect all(0, 0, bmp->GetWidth(), bmp->GetHeight());
  if (AllowBitmaps && ParentAllowBitmaps && FBackgroundBmp && !opaquePara) {
    c->CopyRect(all, *FBackgroundBmp->GetCanvas(), TRect(Left, Top, Left + all.Right, Top + all.Bottom));
  } else {
    TColor color = opaquePara ? para->Background()->Color : GetColor();
    if (color == clNone) color = clWhite;
    c->Brush().SetStyle(bsSolid);
    c->Brush().SetColor(ApplyBackColorMode(color, GetColorMode()));
    c->FillRect(all);
  }
}
