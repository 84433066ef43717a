// Cutting a formatted document into pages.
#include <algorithm>

#include "engine/document/RVNoteItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/print/PtblRVData.h"
#include "engine/styles/RVStyle.h"

// ---- lists and pages ------------------------------------------------------------------------------

int TRVFootnoteRefList::GetFootnoteIndex(TRVFootnoteItemInfo* Footnote) const {
  for (int i = Count() - 1; i >= 0; --i)
    if (Get(i)->Footnote == Footnote) return i;
  return -1;
}

void TRVFootnoteRefList::Sort() {
  TList::Sort([](void* a, void* b) {
    auto* fa = static_cast<TRVFootnotePageEntry*>(a)->Footnote;
    auto* fb = static_cast<TRVFootnotePageEntry*>(b)->Footnote;
    const int ca = fa ? fa->Counter : 0, cb = fb ? fb->Counter : 0;
    return ca < cb ? -1 : ca > cb ? 1 : 0;
  });
}

TCustomPrintableRVData* TRVSidenoteList::GetItems(int Index) const {
  return dynamic_cast<TCustomPrintableRVData*>(static_cast<TObject*>(Get(Index)));
}

void TRVPageInfo::Assign(const TRVPageInfo& Source) {
  StartY = Source.StartY;
  StartDrawItemNo = Source.StartDrawItemNo;
  StartPart = Source.StartPart;
  StartY2 = Source.StartY2;
  DocumentHeight = Source.DocumentHeight;
  FootnoteRVDataList.reset();
  if (Source.FootnoteRVDataList) {
    FootnoteRVDataList = std::make_unique<TRVFootnoteRefList>();
    for (int i = 0; i < Source.FootnoteRVDataList->Count(); ++i)
      FootnoteRVDataList->Add(Source.FootnoteRVDataList->Get(i));
  }
}

TRVPageInfo* TRVPageCollection::Add() {
  FItems.push_back(std::make_unique<TRVPageInfo>());
  return FItems.back().get();
}

// ---- the paginated document ----------------------------------------------------------------------

TCustomMultiPagePtblRVData::~TCustomMultiPagePtblRVData() = default;

TRVSidenoteList* TCustomMultiPagePtblRVData::GetSidenoteList(int PageNo) {
  if (!Pages || PageNo < 1 || PageNo > Pages->Count()) return nullptr;
  return Pages->GetItem(PageNo - 1)->Sidenotes.get();
}

void TCustomMultiPagePtblRVData::GetDrawItemsRange(int PageNo, int& StartNo, int& EndNo, int& Part) {
  if (!Pages) {
    TCustomPrintableRVData::GetDrawItemsRange(PageNo, StartNo, EndNo, Part);
    return;
  }
  if (PageNo < 1 || PageNo > Pages->Count()) {
    StartNo = EndNo = -1;
    return;
  }
  const TRVPageInfo* page = Pages->GetItem(PageNo - 1);
  StartNo = page->StartDrawItemNo;
  Part = page->StartPart - 1;
  if (PageNo == Pages->Count()) {
    EndNo = DrawItems->Count() - 1;
  } else {
    const TRVPageInfo* next = Pages->GetItem(PageNo);
    EndNo = next->StartDrawItemNo - 1;
    if (next->StartPart > 1) ++EndNo;
  }
}

void TCustomMultiPagePtblRVData::PostFormat(int GlobalPageNo) {
  if (!Pages) {
    TCustomPrintableRVData::PostFormat(GlobalPageNo);
    return;
  }
  TRVPrintHost* p = GetRVPrint();
  const int count = p ? p->GetPagesCount() : Pages->Count();
  for (int n = 1; n <= Pages->Count(); ++n) {
    const int g = GlobalPageNo + n - 1;
    PostFormatPage(n, p ? p->GetDispPageNo(g) : g, count);
  }
}

int TCustomMultiPagePtblRVData::GetPageStartY(int PageNo, int /*GlobalPageNo*/) {
  if (!Pages || PageNo < 1 || PageNo > Pages->Count()) return 0;
  return Pages->GetItem(PageNo - 1)->StartY;
}

int TCustomMultiPagePtblRVData::GetPageStartY2(int PageNo, int /*GlobalPageNo*/) {
  if (!Pages || PageNo < 1 || PageNo > Pages->Count()) return 0;
  return Pages->GetItem(PageNo - 1)->StartY2;
}

bool TCustomMultiPagePtblRVData::PageExists(int PageNo) {
  if (!Pages) return PageNo == 1;
  return PageNo >= 1 && PageNo <= Pages->Count();
}

int TCustomMultiPagePtblRVData::GetNoteSeparatorHeight() {
  auto* root = dynamic_cast<TCustomPrintableRVData*>(GetAbsoluteRootData());
  TRVPrintableViewer* v = root ? root->GetPrintableViewer() : GetPrintableViewer();
  return v ? v->GetNoteSeparatorHeight() : 0;
}

TRVFootnotePageEntry* TCustomMultiPagePtblRVData::GetFootnoteRVData(TRVFootnoteItemInfo* Footnote) {
  auto* root = dynamic_cast<TCustomPrintableRVData*>(GetAbsoluteRootData());
  TRVPrintableViewer* v = root ? root->GetPrintableViewer() : GetPrintableViewer();
  return v ? v->GetFootnoteRVData(Footnote) : nullptr;
}
