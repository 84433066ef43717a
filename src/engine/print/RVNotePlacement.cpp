// Footnotes and endnotes of a print job: the footnote documents made before pagination, their
// places at the bottom of each page, the endnotes laid out after the last text page, and drawing a
// page with the note line and the endnotes that follow the text.
#include <algorithm>

#include "engine/document/RVNoteItems.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/print/RVPageRects.h"
#include "engine/print/RVPrint.h"
#include "engine/print/RVPrintableViewer.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Graphics.h"

namespace {

// The note line's gap is the height of "-" in the first text style on the job's canvas.
void ApplyFirstTextStyle(TCustomMainPtblRVData* main, TRVStyle* style) {
  if (!main->PrinterCanvas || !style || style->TextStyles()->Count() == 0) return;
  style->ApplyStyle(main->PrinterCanvas, 0, rvbdUnspecified, true, false, nullptr, false, false, false,
                    &main->PrnSad);
}

int DrawItemCount(TCustomRVFormattedData* d) { return d->DrawItems ? d->DrawItems->Count() : 0; }

}  // namespace

// ---- the note lists -----------------------------------------------------------------------------

TRVFootnotePtblRVData* TRVFootnoteList::GetItems(int Index) const {
  return static_cast<TRVFootnotePtblRVData*>(Get(Index));
}

void TRVFootnoteList::SortByFootnotes() {
  Sort([](void* a, void* b) {
    const auto* fa = static_cast<TRVFootnotePtblRVData*>(static_cast<TObject*>(a))->Footnote;
    const auto* fb = static_cast<TRVFootnotePtblRVData*>(static_cast<TObject*>(b))->Footnote;
    return fa < fb ? -1 : fa > fb ? 1 : 0;
  });
}

TRVFootnotePtblRVData* TRVFootnoteList::FindByFootnote(TRVFootnoteItemInfo* Footnote) const {
  const int i = Find(Footnote, [](TObject* item, TRVFootnoteItemInfo* key) {
    const TRVFootnoteItemInfo* f = static_cast<TRVFootnotePtblRVData*>(item)->Footnote;
    return f < key ? -1 : f > key ? 1 : 0;
  });
  return i < 0 ? nullptr : GetItems(i);
}

TRVEndnoteList::TRVEndnoteList(TCustomRVPrint* AOwner)
    : FOwner(AOwner), Pages(std::make_unique<TRVEndnotePageList>()) {}

TRVEndnoteList::~TRVEndnoteList() = default;

TRVEndnotePtblRVData* TRVEndnoteList::GetItems(int Index) const {
  return static_cast<TRVEndnotePtblRVData*>(Get(Index));
}

void TRVEndnoteList::DrawPage(int GlobalPageNo, int /*GlobalPageCount*/, int /*GlobalFirstPageNumber*/, int PageNo,
                              TCanvas* Canvas, bool Printing, bool Preview, bool Correction) {
  if (PageNo < 0 || PageNo >= Pages->Count()) return;
  const TRVEndnotePage* rec = Pages->GetItems(PageNo);
  if (rec->Index < 0 || rec->Index >= Count()) return;
  TCustomPrintableRV* rv = FOwner->rv;
  TCustomMainPtblRVData* main = rv->GetMainData();
  TRVEndnotePtblRVData* note = GetItems(rec->Index);
  if (PageNo == 0 || rec->Page > 1 || note->FromNewPage) {
    const bool full = rec->Page > 1 || note->FromNewPage;
    const int y = main->GetTmpMForPage(GlobalPageNo).Top + main->TmpTMPix +
                  (rec->Page > 1 ? note->NextStartAt : note->StartAt);
    rv->DrawNoteSeparatorAbove(GlobalPageNo, y, Canvas, full);
  }
  note->DrawPage(rec->Page, GlobalPageNo, Canvas, Printing, Preview, Correction);
  // The following endnotes start on this page when this one ended here.
  if (note->PagesCount() != rec->Page || rec->Page > 1) return;
  for (int k = rec->Index + 1; k < Count(); ++k) {
    TRVEndnotePtblRVData* next = GetItems(k);
    if (next->FromNewPage) break;
    next->DrawPage(1, GlobalPageNo, Canvas, Printing, Preview, Correction);
    if (next->PagesCount() > 1) break;
  }
}

// ---- the printable viewer's part ------------------------------------------------------------------

TCustomMainPtblRVData* TCustomPrintableRV::GetMainData() const {
  return dynamic_cast<TCustomMainPtblRVData*>(GetRVData());
}

TRVPrintHost* TCustomPrintableRV::GetRVPrintHost() { return FRVPrint; }

TRVFootnotePageEntry* TCustomPrintableRV::GetFootnoteRVData(TRVFootnoteItemInfo* Footnote) {
  return FFootnotes ? FFootnotes->FindByFootnote(Footnote) : nullptr;
}

void TCustomPrintableRV::CalcFootnotesCoords(TList* References, int PageNo) {
  if (!FFootnotes || !References) return;
  TCustomMainPtblRVData* main = GetMainData();
  if (!main) return;
  auto* list = static_cast<TRVFootnoteRefList*>(References);
  list->Sort();
  int y = main->GetPageHeight() - main->GetTmpMForPage(PageNo).Bottom;
  const int left = main->GetPrintableAreaLeft(PageNo) + ScreenToDeviceX(GetLeftMargin(), main->PrnSad);
  for (int i = list->Count() - 1; i >= 0; --i) {
    TRVFootnotePageEntry* entry = list->Get(i);
    auto* note = static_cast<TRectPtblRVData*>(entry->GetNoteRVData());
    y -= note->DocumentHeight;
    note->Top = y;
    note->Left = left;
    entry->IndexOnPage = i + 1;
  }
}

void TCustomPrintableRV::DrawNoteSeparatorAbove(int PageNo, int Y, TCanvas* ACanvas, bool FullSize) {
  TCustomMainPtblRVData* main = GetMainData();
  if (!main || !ACanvas) return;
  const TRVScreenAndDevice& sad = main->PrnSad;
  ACanvas->Pen().SetWidth(FNoteLineWidth);
  ACanvas->Pen().SetStyle(psInsideFrame);
  ACanvas->Pen().SetColor(static_cast<TColor>(0x808080));
  int x = main->GetPrintableAreaLeft(PageNo) + ScreenToDeviceX(GetLeftMargin(), sad);
  // The viewer is as wide as the page in device pixels; only its margins are in screen pixels.
  const int wFull = GetWidth() - ScreenToDeviceX(GetLeftMargin() + GetRightMargin(), sad);
  int w = wFull;
  if (!FullSize) {
    w = wFull / 3;
    if (main->GetBiDiMode() == rvbdRightToLeft) x += wFull - w;
  }
  const int h = FNoteSeparatorHeight;
  const int y = Y - h / 2;
  ACanvas->MoveTo(x + h / 2, y);
  ACanvas->LineTo(x + w - h, y);
}

void TCustomPrintableRV::DrawPage(int PageNo, TCanvas* ACanvas, bool Printing, bool Preview, bool Correction) {
  if (!FRVPrint) return;
  if (PageNo < FRVPrint->GetFirstPageNo() || PageNo > FRVPrint->GetLastPageNo()) return;
  TCustomMainPtblRVData* main = GetMainData();
  if (!main) return;
  TCanvas* own = nullptr;
  if (dynamic_cast<TPrintableRVData*>(main) && !main->PrinterCanvas) {
    own = main->InitPrinterCanvas();
    main->PrinterCanvas = own;
  }
  struct TRelease {
    TCustomMainPtblRVData* Main;
    TCanvas* Own;
    ~TRelease() {
      if (Own) {
        Main->PrinterCanvas = nullptr;
        Main->DonePrinterCanvas(Own);
      }
    }
  } release{main, own};
  const int textPages = main->PagesCount();
  main->DrawPage(PageNo, PageNo, ACanvas, Printing, Preview, Correction);
  if (FEndnotes && PageNo >= textPages) {
    const int maxItem = FRVPrint->MaxPrintedItemNo;
    if (maxItem < 0 || maxItem >= main->ItemCount() - 1)
      FEndnotes->DrawPage(PageNo, FRVPrint->GetPagesCount(), FRVPrint->PageNoFromNumber, PageNo - textPages, ACanvas,
                          Printing, Preview, Correction);
  }
}

// ---- note placement of the print component ----------------------------------------------------------

void TCustomRVPrint::PrepareFootnotes() {
  TCustomMainPtblRVData* main = GetMainData();
  if (!main) return;
  TRVStyle* style = rv->GetStyle();
  ApplyFirstTextStyle(main, style);
  if (main->PrinterCanvas && style)
    rv->FNoteSeparatorHeight = style->GetGraphicInterface()->TextHeight(main->PrinterCanvas, u"-", false, false);
  rv->FNoteLineWidth = ScreenToDeviceY(1, main->PrnSad);
  TCustomViroZere* source = GetSourceViroZere();
  TCustomRVData* src = source ? source->GetRVData() : nullptr;
  if (!src) return;
  TRVFootnoteItemInfo* f = FindNoteOfClass<TRVFootnoteItemInfo>(src, nullptr, true);
  if (!f) return;
  rv->FFootnotes = std::make_unique<TRVFootnoteList>(this);
  const TRect& m = main->GetTmpM(rvhftNormal);
  // Footnotes run at the width of the text column.
  const int width = std::max(main->GetPageWidth() - m.Left - m.Right -
                                 ScreenToDeviceX(rv->GetLeftMargin() + rv->GetRightMargin(), main->PrnSad),
                             0);
  for (; f; f = FindNoteOfClass<TRVFootnoteItemInfo>(src, f, true)) {
    auto note = std::make_unique<TRVFootnotePtblRVData>(rv, main, f->GetDocument());
    note->Footnote = f;
    note->ParentDrawsBack = true;
    note->Transparent = true;
    note->FColor = clNone;
    note->Left = m.Left;
    note->Width = width;
    note->Top = 0;
    note->Height = 1;
    note->Format(false);
    rv->FFootnotes->Add(note.release());
  }
  rv->FFootnotes->SortByFootnotes();
}

void TCustomRVPrint::PlaceFootnotesBelowText() {
  TCustomMainPtblRVData* main = GetMainData();
  if (!main || !main->Pages) return;
  for (int p = 1; p <= main->PagesCount(); ++p) {
    TRVPageInfo* page = main->Pages->GetItem(p - 1);
    TRVFootnoteRefList* list = page->FootnoteRVDataList.get();
    if (!list || list->Count() == 0) continue;
    auto* first = static_cast<TRectPtblRVData*>(list->Get(0)->GetNoteRVData());
    const int textBottom =
        main->GetTmpMForPage(p).Top + main->TmpTMPix + page->DocumentHeight + rv->GetNoteSeparatorHeight();
    if (first->Top < textBottom) {
      const int d = textBottom - first->Top;
      for (int k = 0; k < list->Count(); ++k) static_cast<TRectPtblRVData*>(list->Get(k)->GetNoteRVData())->Top += d;
    }
  }
}

int TCustomRVPrint::FormatEndnotes() {
  TCustomMainPtblRVData* main = GetMainData();
  if (!main || main->PagesCount() == 0) return 0;
  int pageNo = main->PagesCount();
  const auto roomOf = [main](int p) {
    const TRect& m = main->GetTmpMForPage(p);
    return main->GetPageHeight() - (main->TmpTMPix + main->TmpBMPix + m.Top + m.Bottom);
  };
  int room = roomOf(pageNo);
  TRVPageInfo* last = main->Pages->GetItem(pageNo - 1);
  const bool hasFootnotes = last->FootnoteRVDataList && last->FootnoteRVDataList->Count() > 0;
  const int sep = rv->GetNoteSeparatorHeight();
  int limit = room;
  if (hasFootnotes) {
    auto* first = static_cast<TRectPtblRVData*>(last->FootnoteRVDataList->Get(0)->GetNoteRVData());
    limit = first->Top - sep - main->GetTmpMForPage(pageNo).Top - main->TmpTMPix - main->TmpBMPix;
  }
  TCustomViroZere* source = GetSourceViroZere();
  TCustomRVData* src = source ? source->GetRVData() : nullptr;
  const bool hidden = src && src->GetOptions().Contains(rvoShowHiddenText);
  TRVEndnoteItemInfo* e =
      IgnoreEndnotes() || !src ? nullptr : FindNoteOfClass<TRVEndnoteItemInfo>(src, nullptr, hidden);
  if (!e) {
    if (hasFootnotes) EndAt = room;
    return 0;
  }
  ApplyFirstTextStyle(main, rv->GetStyle());
  int startY = EndAt + sep;
  rv->FEndnotes = std::make_unique<TRVEndnoteList>(this);
  TRVEndnoteList& list = *rv->FEndnotes;
  auto pending = std::make_unique<TRVEndnotePage>(0, 1);
  for (; e; e = FindNoteOfClass<TRVEndnoteItemInfo>(src, e, hidden)) {
    auto note = std::make_unique<TRVEndnotePtblRVData>(rv);
    note->ShareItemsFrom(e->GetDocument());
    note->Endnote = e;
    note->Format(false);
    const int index = list.Count();
    int height = limit - startY;
    if (!note->CanPlaceFirstPageHere(height, false, main->PrnSad, false, false)) {
      ++pageNo;
      room = limit = roomOf(pageNo);
      startY = sep;
      note->FromNewPage = true;
      if (pending) {
        pending->Index = -1;
        pending->Page = -1;
        list.Pages->Add(pending.release());
      }
      pending = std::make_unique<TRVEndnotePage>(index, 1);
    }
    if (pending) list.Pages->Add(pending.release());
    note->StartAt = startY;
    note->NextStartAt = sep;
    int i = 0, startAt = startY, docY = startY, y = 0, maxHeight = limit;
    bool splitting = false;
    const int count = DrawItemCount(note.get());
    int calls = 0;
    do {
      if (calls > 0) {
        ++pageNo;
        room = limit = roomOf(pageNo);
        maxHeight = limit;
        list.Pages->Add(new TRVEndnotePage(index, calls + 1));
      }
      TRVFootnoteRefList* footnotes = nullptr;
      const int before = note->PagesCount();
      note->FormatNextPage(i, startAt, docY, y, splitting, maxHeight, footnotes, false);
      delete footnotes;
      ++calls;
      // A call that neither places anything nor adds a page would repeat itself.
      if (note->PagesCount() == before && i < count && !splitting) break;
    } while ((i < count || splitting) && calls <= count + 1);
    startY = note->EndAt;
    list.Add(note.release());
  }
  EndAt = startY;
  return list.Pages->Count() - 1;
}
