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

// ---- measuring lines ------------------------------------------------------------------------------

namespace {

int DrawItemBottom(const TRVDrawLineInfo* d) { return d->GetExtraSpaceBelow() + d->Top + d->Height; }

TRVMultiDrawItemInfo* AsMulti(TRVDrawLineInfo* d) { return dynamic_cast<TRVMultiDrawItemInfo*>(d); }

}  // namespace


int TCustomMultiPagePtblRVData::SpaceBeforeOf(int DrawItemNo, const TRVScreenAndDevice& sad) {
  TRVStyle* st = GetRVStyle();
  const int p = GetItemPara((*DrawItems)[DrawItemNo]->ItemNo);
  if (!st || p < 0 || p >= st->ParaStyles()->Count()) return 0;
  return st->GetAsDevicePixelsY(st->ParaStyles()->Items(p)->GetSpaceBefore(), &sad);
}

int TCustomMultiPagePtblRVData::SpaceAfterOf(int DrawItemNo, const TRVScreenAndDevice& sad) {
  TRVStyle* st = GetRVStyle();
  const int p = GetItemPara((*DrawItems)[DrawItemNo]->ItemNo);
  if (!st || p < 0 || p >= st->ParaStyles()->Count()) return 0;
  return st->GetAsDevicePixelsY(st->ParaStyles()->Items(p)->GetSpaceAfter(), &sad);
}

int TCustomMultiPagePtblRVData::LineBottom(int k, const TRVScreenAndDevice& sad) {
  if (k < 0) return 0;
  int bottom = 0;
  for (int j = k; j >= 0; --j) {
    const TRVDrawLineInfo* d = (*DrawItems)[j];
    bottom = std::max(bottom, DrawItemBottom(d));
    if (const TRVFloatingDrawLineInfo* f = AsFloatingDrawItem(d)) bottom = std::max(bottom, f->GetFloatBottom());
    if (d->FromNewLine && !d->FloatingAboveUsed) break;
  }
  return bottom + SpaceAfterOf(k, sad);
}

int TCustomMultiPagePtblRVData::LineTop(int k, const TRVScreenAndDevice& sad) {
  const int n = DrawItems->Count();
  int top = (*DrawItems)[k]->Top - (*DrawItems)[k]->GetExtraSpaceAbove();
  for (int j = k + 1; j < n && !(*DrawItems)[j]->FromNewLine; ++j)
    top = std::min(top, (*DrawItems)[j]->Top - (*DrawItems)[j]->GetExtraSpaceAbove());
  return top - SpaceBeforeOf(k, sad);
}

void TCustomMultiPagePtblRVData::ClosePage(TRVPageInfo* Page, int ContentBottom) {
  Page->DocumentHeight = ContentBottom - (Page->StartPart != 0 ? Page->StartY2 : Page->StartY);
}

// ---- one page -----------------------------------------------------------------------------------

struct TCustomMultiPagePtblRVData::TPaginationCall {
  int& i;
  int& StartAt;
  int& StartY;
  int& Y;
  bool& Splitting;
  int& MaxHeight;
  TRVFootnoteRefList*& Footnotes;
  bool FootnotesChangeHeight;
  TRVScreenAndDevice sad;
  // The bottom of the current page's text area in document coordinates.
  int Room() const { return StartY + MaxHeight - StartAt; }
};

// The page takes the footnotes collected for it over; the main document has them placed.
void TCustomMultiPagePtblRVData::StoreFootnotes(TPaginationCall& C, TRVPageInfo* Page) {
  if (IsPageSubDocument()) return;
  if (C.Footnotes && Page->FootnoteRVDataList.get() != C.Footnotes) Page->FootnoteRVDataList.reset(C.Footnotes);
  C.Footnotes = nullptr;
  if (dynamic_cast<TCustomMainPtblRVData*>(this) && Page->FootnoteRVDataList) {
    int pageNo = 0;
    for (int k = 0; k < Pages->Count(); ++k)
      if (Pages->GetItem(k) == Page) pageNo = k + 1;
    CalcFootnotesCoords(Page->FootnoteRVDataList.get(), pageNo);
  }
}

void TCustomMultiPagePtblRVData::FormatNextPage(int& i, int& StartAt, int& StartY, int& Y, bool& Splitting,
                                                int& MaxHeight, TRVFootnoteRefList*& FootnoteRVDataList,
                                                bool FootnotesChangeHeight) {
  if (ItemCount() == 0 || !DrawItems) return;
  if (!Pages) Pages = std::make_unique<TRVPageCollection>();
  TPaginationCall C{i, StartAt, StartY, Y, Splitting, MaxHeight, FootnoteRVDataList, FootnotesChangeHeight, {}};
  InitScreenAndDevice(GetCanvas(), C.sad);
  if (Pages->Count() == 0) {
    Pages->Add();
    StartY = 0;
    i = 0;
    StartAt = GetFirstPageStartAt();
    Splitting = false;
  }
  const int n = DrawItems->Count();
  const int pagesAtStart = Pages->Count();
  const int curNo = Pages->Count();
  TRVPageInfo* cur = Pages->GetItem(curNo - 1);
  const bool subDoc = IsPageSubDocument();
  const bool ignoreBreaks = IgnorePageBreaks();

  if (Splitting && i < n) {
    TRVDrawLineInfo* d = (*DrawItems)[i];
    TRVMultiDrawItemInfo* m = AsMulti(d);
    Y += MaxHeight;
    TList* list = FootnoteRVDataList;
    const bool more = m && m->SplitAt(Y, C.sad, cur->StartDrawItemNo == i, list, MaxHeight, FootnotesChangeHeight,
                                      ignoreBreaks);
    FootnoteRVDataList = static_cast<TRVFootnoteRefList*>(list);
    const int sb = SpaceBeforeOf(i, C.sad), sa = SpaceAfterOf(i, C.sad);
    const int parts = m ? static_cast<int>(m->PartsList.size()) : 0;
    if (more && parts >= 2) {
      TRVPageInfo* page = Pages->Add();
      page->StartDrawItemNo = i;
      page->StartY = d->Top - sb;
      page->StartPart = parts;
      StoreFootnotes(C, cur);
      const int ph = m->PartsList[static_cast<size_t>(parts - 2)]->Height;
      if (cur->StartDrawItemNo == i) {
        cur->StartY2 = d->Top + d->Height - ph - sb;
        cur->DocumentHeight = sb + ph + sa;
      } else {
        ClosePage(cur, sb + ph + d->Top + sa);
      }
      DoFormatting(curNo, rvpsProceeding);
      StartAt = GetNextPageStartAt();
      StartY = 0;
      Y = StartY - StartAt + page->StartY - d->Top - sa;
      return;
    }
    if (cur->StartDrawItemNo == i && parts > 0) {
      StartY = d->Top + d->Height - m->PartsList.back()->Height - sb;
      cur->StartY2 = StartY;
    }
    ++i;
    Splitting = false;
  }

  while (i < n) {
    TRVDrawLineInfo* d = (*DrawItems)[i];
    TCustomRVItemInfo* item = GetItem(d->ItemNo);
    TParaInfo* para = nullptr;
    if (TRVStyle* st = GetRVStyle(); st && item->ParaNo >= 0 && item->ParaNo < st->ParaStyles()->Count())
      para = st->ParaStyles()->Items(item->ParaNo);
    const int sb = SpaceBeforeOf(i, C.sad), sa = SpaceAfterOf(i, C.sad);
    const bool pbb = i >= 1 && (*DrawItems)[i - 1]->ItemNo != d->ItemNo && !ignoreBreaks && item->GetPageBreakBefore() &&
                     cur->StartDrawItemNo != i;
    TRVMultiDrawItemInfo* m = AsMulti(d);
    if (m && m->InitSplit(C.sad, ignoreBreaks)) {
      if (cur->StartDrawItemNo == i) {
        cur->StartPart = 1;
        cur->StartY = d->Top - sb;
      }
      Y = C.Room() - d->Top - sa;
      if (!pbb && (cur->StartDrawItemNo == i || m->CanSplitFirst(Y, C.sad, false, FootnoteRVDataList != nullptr,
                                                                 FootnotesChangeHeight, ignoreBreaks))) {
        if (ChoosePageBreak(C, true, false, true, para)) return;
        Splitting = true;
        Y -= MaxHeight;
        FormatNextPage(i, StartAt, StartY, Y, Splitting, MaxHeight, FootnoteRVDataList, FootnotesChangeHeight);
        return;
      }
      if (!pbb && ChoosePageBreak(C, true, false, false, para)) return;
      TRVPageInfo* page = Pages->Add();
      page->StartDrawItemNo = i;
      page->StartY = d->Top - sb;
      page->StartPart = 1;
      ClosePage(cur, LineBottom(i - 1, C.sad));
      DoFormatting(curNo, rvpsProceeding);
      StartY = 0;
      StartAt = GetNextPageStartAt();
      Y = StartY - StartAt + page->StartY - d->Top - sa;
      Splitting = true;
      StoreFootnotes(C, cur);
      return;
    }
    Y = DrawItemBottom(d) + (pbb ? 0 : sa);
    if (C.Room() < Y || pbb) {
      ChoosePageBreak(C, false, true, false, para);
      break;
    }
    if (!subDoc) {
      if (auto* fn = dynamic_cast<TRVFootnoteItemInfo*>(item)) {
        TRVFootnotePageEntry* f = GetFootnoteRVData(fn);
        if (f && (!FootnoteRVDataList || FootnoteRVDataList->GetFootnoteIndex(fn) < 0)) {
          if (auto* fd = dynamic_cast<TRVFootnoteDrawItem*>(d)) fd->DocumentRVData = f;
          f->FootnoteItemRVData = this;
          f->FootnoteDItemNo = i;
          if (FootnotesChangeHeight && f->GetNoteRVData()) MaxHeight -= f->GetNoteRVData()->DocumentHeight;
          if (!FootnoteRVDataList) {
            FootnoteRVDataList = new TRVFootnoteRefList;
            if (FootnotesChangeHeight) MaxHeight -= GetNoteSeparatorHeight();
          }
          FootnoteRVDataList->Add(f);
        }
      }
      if (m) m->AddAllFootnotes(FootnoteRVDataList, MaxHeight, FootnotesChangeHeight);
      if (C.Room() < Y) {
        ChoosePageBreak(C, false, false, false, para);
        break;
      }
    }
    ++i;
  }
  if (Pages->Count() != pagesAtStart) return;
  ChoosePageBreak(C, false, false, true, nullptr);
  TRVPageInfo* last = Pages->GetItem(Pages->Count() - 1);
  StoreFootnotes(C, last);
  ClosePage(last, LineBottom(i - 1, C.sad));
  SetEndAt(last->DocumentHeight);
  AddPageStartOffset(Pages->Count());
  DoFormatting(Pages->Count(), rvpsProceeding);
}

// ---- where a page ends ------------------------------------------------------------------------------

bool TCustomMultiPagePtblRVData::ChoosePageBreak(TPaginationCall& C, bool SplittingItem, bool ItemDidNotFit,
                                                 bool ExactBreak, TParaInfo* Para) {
  int& i = C.i;
  const int n = DrawItems->Count();
  TCustomRVData* src = GetSourceRVDataForPrintingEx();
  const bool together = (src ? src : this)->KeepTogether();
  const int oldI = i;
  const int lastIdx = i == n ? i - 1 : i;
  const int curNo = Pages->Count();
  TRVPageInfo* cur = Pages->GetItem(curNo - 1);
  const int pageFirst = cur->StartDrawItemNo;
  TRVStyle* st = GetRVStyle();
  auto paraOf = [&](int DrawItemNo) -> TParaInfo* {
    const int p = GetItemPara((*DrawItems)[DrawItemNo]->ItemNo);
    return st && p >= 0 && p < st->ParaStyles()->Count() ? st->ParaStyles()->Items(p) : nullptr;
  };
  auto has = [](TParaInfo* p, TRVParaOption o) { return p && p->Options.Contains(o); };

  int firstLineEnd = pageFirst;
  for (int j = pageFirst + 1; j < n; ++j)
    if ((*DrawItems)[j]->FromNewLine) {
      firstLineEnd = j - 1;
      break;
    }

  // A floating box that reaches below the page takes its whole line to the next page.
  if (!ExactBreak) {
    bool floatBelow = false;
    for (int j = std::min(i, n) - 1; j > firstLineEnd; --j) {
      if (const TRVFloatingDrawLineInfo* f = AsFloatingDrawItem((*DrawItems)[j]); f && f->GetFloatBottom() > C.Room())
        floatBelow = true;
      if ((*DrawItems)[j]->FromNewLine) {
        if (floatBelow && j > pageFirst) i = j;
        break;
      }
    }
  }

  int brk = i;
  bool exact = ExactBreak;
  for (;;) {
    if (!exact) {
      int keepStart = -1;
      for (;;) {
        int lineStart = -1, cand = -1;
        for (int j = std::min(brk, n - 1); j >= 0; --j) {
          if (!(j == 0 || (*DrawItems)[j]->FromNewLine)) continue;
          if (lineStart < 0) lineStart = j;
          const bool free = !together && !has(Para, rvpaoKeepLinesTogether) && !has(Para, rvpaoKeepWithNext) &&
                            (!has(Para, rvpaoWidowOrphanControl) ||
                             !(IsDrawItemStartsTheSecondParaLine(j) || IsDrawItemStartsTheLastParaLine(j)));
          if (free || IsDrawItemParaStart(j)) {
            cand = j;
            break;
          }
        }
        if (cand < 0) cand = brk;
        if (C.StartAt <= 0 && lineStart >= 0 && cand <= pageFirst) {
          if (keepStart >= 0) {
            brk = keepStart;
            break;
          }
          cand = lineStart;
        }
        if (C.StartAt > 0 || (cand > pageFirst && cand > 0)) {
          if (cand == 0) {
            brk = 0;
            break;
          }
          if (cand < n && IsDrawItemParaStart(cand) && (together || has(paraOf(cand - 1), rvpaoKeepWithNext))) {
            Para = paraOf(cand - 1);
            if (!IgnorePageBreaks() && GetItem((*DrawItems)[cand]->ItemNo)->GetPageBreakBefore()) {
              brk = cand;
              break;
            }
            if (keepStart < 0) keepStart = cand;
            brk = cand - 1;
            continue;
          }
        }
        brk = cand;
        break;
      }
    }
    // A floating box above the break that reaches below the page moves the break up to it.
    if (n == 0) break;
    int probe = brk;
    if (brk < n) {
      int lf = brk, ll = brk;
      while (lf > 0 && !(*DrawItems)[lf]->FromNewLine) --lf;
      while (ll + 1 < n && !(*DrawItems)[ll + 1]->FromNewLine) ++ll;
      for (int j = lf; j <= ll; ++j)
        if ((*DrawItems)[j]->Top < (*DrawItems)[probe]->Top) probe = j;
    }
    const int f = DrawItems->FindFirstFloatingAboveDrawItem(probe, firstLineEnd + 1, exact, exact ? C.Room() + 1 : 0);
    if (f >= 0 && f < brk) {
      if (f == 0) {
        brk = 0;
        break;
      }
      brk = f;
      exact = false;
      Para = paraOf(f - 1);
      continue;
    }
    break;
  }

  // Every page takes at least one line, even one taller than the page.
  if (!ExactBreak && brk <= pageFirst && (C.StartAt <= 0 || !AllowEmptyStartPage())) {
    int j = pageFirst + 1;
    while (j < n && !(*DrawItems)[j]->FromNewLine) ++j;
    brk = j;
  }

  // What moves to the next page takes its footnotes and split parts with it.
  int released = 0;
  if (C.Footnotes && !IsPageSubDocument()) {
    for (int j = lastIdx; j >= brk && j >= 0; --j) {
      if (ItemDidNotFit && j >= oldI) continue;
      TCustomRVItemInfo* item = GetItem((*DrawItems)[j]->ItemNo);
      if (auto* fn = dynamic_cast<TRVFootnoteItemInfo*>(item); fn && C.Footnotes) {
        const int k = C.Footnotes->GetFootnoteIndex(fn);
        if (k >= 0) {
          C.Footnotes->Delete(k);
          if (C.Footnotes->Count() == 0) {
            delete C.Footnotes;
            C.Footnotes = nullptr;
          }
        }
      }
      if (TRVMultiDrawItemInfo* m = AsMulti((*DrawItems)[j]); m && (brk != oldI || !SplittingItem))
        m->ResetPages(C.Footnotes, C.MaxHeight, C.FootnotesChangeHeight);
    }
  } else if (brk != oldI) {
    for (int j = lastIdx; j >= brk && j >= 0; --j)
      if (TRVMultiDrawItemInfo* m = AsMulti((*DrawItems)[j]))
        m->ResetPages(C.Footnotes, released, C.FootnotesChangeHeight);
  }

  if (brk < n && (brk != oldI || !SplittingItem)) {
    C.StartY = LineTop(brk, C.sad);
    TRVPageInfo* page = Pages->Add();
    page->StartDrawItemNo = brk;
    page->StartY = C.StartY;
    StoreFootnotes(C, cur);
    C.StartAt = GetNextPageStartAt();
    C.Splitting = false;
    ClosePage(cur, LineBottom(brk - 1, C.sad));
    if (SplittingItem) {
      if (TRVMultiDrawItemInfo* m = oldI < n ? AsMulti((*DrawItems)[oldI]) : nullptr) m->PartsList.clear();
      DoFormatting(curNo, rvpsProceeding);
    }
  }
  i = brk;
  return i != oldI;
}

// ---- whether a document can begin on the current page ---------------------------------------------

bool TCustomMultiPagePtblRVData::CanPlaceFirstPageHere(int& Height, bool ParentIsFirstItemOnPage,
                                                       const TRVScreenAndDevice& sad, bool ThisPageHasFootnotes,
                                                       bool FootnotesChangeHeight) {
  const int n = DrawItems ? DrawItems->Count() : 0;
  if (n == 0) return true;
  if (ParentIsFirstItemOnPage) {
    for (int j = 1; j < n; ++j)
      if ((*DrawItems)[j]->FromNewLine) return true;
    return false;
  }
  TCustomRVData* src = GetSourceRVDataForPrintingEx();
  const bool keepAll = IsLineOrderReversed() || (src ? src : this)->KeepTogether();
  TRVStyle* st = GetRVStyle();
  auto paraOf = [&](int j) -> TParaInfo* {
    const int p = GetItemPara((*DrawItems)[j]->ItemNo);
    return st && p >= 0 && p < st->ParaStyles()->Count() ? st->ParaStyles()->Items(p) : nullptr;
  };
  auto has = [](TParaInfo* p, TRVParaOption o) { return p && p->Options.Contains(o); };
  const bool ignoreBreaks = IgnorePageBreaks();
  TParaInfo* para = paraOf(0);
  int sa = SpaceAfterOf(0, sad);
  int lines = 0;
  // Whether draw item j can be split here (then the rest does not matter), else whether it fits.
  auto fits = [&](int j, bool& decided) -> bool {
    decided = false;
    TRVDrawLineInfo* d = (*DrawItems)[j];
    if (TRVMultiDrawItemInfo* m = IsLineOrderReversed() ? nullptr : AsMulti(d); m && m->InitSplit(sad, ignoreBreaks)) {
      const bool r = m->CanSplitFirst(Height - (d->GetExtraSpaceBelow() + d->Top + sa), sad, false,
                                      ThisPageHasFootnotes, FootnotesChangeHeight, ignoreBreaks);
      m->PartsList.clear();
      decided = true;
      return r;
    }
    if (!(DrawItemBottom(d) + sa < Height)) return false;
    if (FootnotesChangeHeight && !IsPageSubDocument()) {
      TCustomRVItemInfo* item = GetItem(d->ItemNo);
      if (auto* fn = dynamic_cast<TRVFootnoteItemInfo*>(item)) {
        if (TRVFootnotePageEntry* f = GetFootnoteRVData(fn); f && f->GetNoteRVData()) {
          Height -= f->GetNoteRVData()->DocumentHeight;
          if (!ThisPageHasFootnotes) {
            Height -= GetNoteSeparatorHeight();
            ThisPageHasFootnotes = true;
          }
        }
      } else if (TRVMultiDrawItemInfo* m = AsMulti(d)) {
        m->DecHeightByFootnotes(Height, ThisPageHasFootnotes);
      }
      if (!(DrawItemBottom(d) + sa < Height)) return false;
    }
    if (const TRVFloatingDrawLineInfo* f = AsFloatingDrawItem(d); f && !(f->GetFloatBottom() < Height)) return false;
    return true;
  };
  bool decided;
  if (!fits(0, decided)) return false;
  if (decided) return true;
  for (int j = 1; j < n; ++j) {
    TRVDrawLineInfo* d = (*DrawItems)[j];
    if (d->FromNewLine) {
      if (IsDrawItemParaStart(j)) {
        if (!keepAll && !has(para, rvpaoKeepWithNext)) return true;
        if (!ignoreBreaks && GetItem(d->ItemNo)->GetPageBreakBefore()) return true;
        para = paraOf(j);
        sa = SpaceAfterOf(j, sad);
      } else if (!keepAll && !has(para, rvpaoKeepLinesTogether) && !has(para, rvpaoKeepWithNext) &&
                 !(has(para, rvpaoWidowOrphanControl) && lines == 0)) {
        return true;
      }
      ++lines;
    }
    const bool ok = fits(j, decided);
    if (!ok) return false;
    if (decided) return true;
  }
  return true;
}

// ---- pages of positions ---------------------------------------------------------------------------

bool TCustomMultiPagePtblRVData::GetPageNo(TCustomRVData* RVData, int ItemNo, int OffsetInItem,
                                           TCustomRVData* PrintSourceRVData, int& PageNo, int& LocalPageNo,
                                           int& LocalPageCount, TCustomMultiPagePtblRVData*& PtRVData) {
  TCustomRVData* src = nullptr;
  if (auto* p = dynamic_cast<TCustomPrintableRVData*>(PrintSourceRVData)) src = p->GetSourceRVDataForPrintingEx();
  TCustomRVData* own = GetSourceRVDataForPrintingEx();
  const bool here = RVData == this || RVData == PrintSourceRVData || (src && RVData == src) || (own && RVData == own);
  if (here) {
    int found = 1;
    if (Pages && Pages->Count() > 0) {
      found = 0;
      for (int k = Pages->Count() - 1; k >= 0; --k) {
        const TRVDrawLineInfo* d = (*DrawItems)[Pages->GetItem(k)->StartDrawItemNo];
        const int offs = GetItem(d->ItemNo)->StyleNo >= 0 ? d->Offs : 0;
        if (d->ItemNo < ItemNo || (d->ItemNo == ItemNo && offs <= OffsetInItem)) {
          found = k + 1;
          break;
        }
      }
      if (found == 0) return false;
    }
    PageNo = LocalPageNo = found;
    LocalPageCount = 1;
    PtRVData = this;
    return true;
  }
  if (!DrawItems) return false;
  for (int j = 0; j < DrawItems->Count(); ++j) {
    TRVMultiDrawItemInfo* m = AsMulti((*DrawItems)[j]);
    int partNo = 0;
    if (!m || !m->GetPartNo(RVData, ItemNo, OffsetInItem, partNo, LocalPageNo, LocalPageCount, PtRVData)) continue;
    partNo = std::max(0, partNo);
    const int count = PagesCount();
    PageNo = count > 0 ? count : 1;
    for (int k = 0; k < count; ++k) {
      const TRVPageInfo* page = Pages->GetItem(k);
      if (page->StartDrawItemNo == j) {
        PageNo = k + 1 + (m->PartsList.empty() ? 0 : partNo - (page->StartPart - 1));
        break;
      }
      if (page->StartDrawItemNo > j) {
        PageNo = std::max(1, k);
        break;
      }
    }
    return true;
  }
  return false;
}

void TCustomMultiPagePtblRVData::GetFirstItemOnPageEx(int PageNo, int& ItemNo, int& OffsetInItem, int& ExtraData) {
  ItemNo = -1;
  OffsetInItem = 0;
  ExtraData = -1;
  if (!Pages || PageNo < 1 || PageNo > Pages->Count()) return;
  const TRVPageInfo* page = Pages->GetItem(PageNo - 1);
  const TRVDrawLineInfo* d = (*DrawItems)[page->StartDrawItemNo];
  ItemNo = d->ItemNo;
  OffsetInItem = GetItem(ItemNo)->StyleNo >= 0 ? d->Offs : 0;
  if (page->StartPart > 0)
    if (TRVMultiDrawItemInfo* m = AsMulti((*DrawItems)[page->StartDrawItemNo]);
        m && page->StartPart <= static_cast<int>(m->PartsList.size()))
      ExtraData = m->PartsList[static_cast<size_t>(page->StartPart - 1)]->GetSoftPageBreakInfo();
}

bool TCustomMultiPagePtblRVData::IsComplexSoftPageBreak(int PageNo) {
  if (!Pages || PageNo < 1 || PageNo > Pages->Count()) return false;
  const TRVPageInfo* page = Pages->GetItem(PageNo - 1);
  if (page->StartPart == 0) return false;
  TRVMultiDrawItemInfo* m = AsMulti((*DrawItems)[page->StartDrawItemNo]);
  if (!m || page->StartPart > static_cast<int>(m->PartsList.size())) return false;
  return m->PartsList[static_cast<size_t>(page->StartPart - 1)]->IsComplexSoftPageBreak(m);
}

void TCustomMultiPagePtblRVData::AssignComplexSoftPageBreakToItem(int PageNo, TCustomRVData* RVData) {
  if (!Pages || !RVData || PageNo < 1 || PageNo > Pages->Count()) return;
  const TRVPageInfo* page = Pages->GetItem(PageNo - 1);
  if (page->StartPart == 0) return;
  TRVMultiDrawItemInfo* m = AsMulti((*DrawItems)[page->StartDrawItemNo]);
  if (!m || page->StartPart > static_cast<int>(m->PartsList.size()) || m->ItemNo >= RVData->ItemCount()) return;
  m->PartsList[static_cast<size_t>(page->StartPart - 1)]->AssignSoftPageBreaksToItem(m, RVData->GetItem(m->ItemNo));
}

// ---- saving one page --------------------------------------------------------------------------------

void TCustomMultiPagePtblRVData::GetSaveScopeRange(int SaveScope, int& StartItemNo, int& StartOffs, int& EndItemNo,
                                                   int& EndOffs, TRVMultiDrawItemPart*& StartPart,
                                                   TRVMultiDrawItemPart*& EndPart, TCustomRVItemInfo*& SelectedItem) {
  if ((SaveScope != rvfss_Page && SaveScope != rvfss_FromPage) || !Pages || StreamSavePage < 1 ||
      StreamSavePage > Pages->Count() || !DrawItems || DrawItems->Count() == 0) {
    TCustomPrintableRVData::GetSaveScopeRange(SaveScope, StartItemNo, StartOffs, EndItemNo, EndOffs, StartPart,
                                              EndPart, SelectedItem);
    return;
  }
  SelectedItem = nullptr;
  const TRVPageInfo* page = Pages->GetItem(StreamSavePage - 1);
  const int first = page->StartDrawItemNo;
  DrawItem2Item(first, GetOffsBeforeDrawItem(first), StartItemNo, StartOffs);
  StartPart = nullptr;
  if (page->StartPart > 0)
    if (TRVMultiDrawItemInfo* m = AsMulti((*DrawItems)[first]);
        m && page->StartPart <= static_cast<int>(m->PartsList.size()))
      StartPart = m->PartsList[static_cast<size_t>(page->StartPart - 1)].get();
  EndPart = nullptr;
  int last = DrawItems->Count() - 1;
  if (SaveScope == rvfss_Page) {
    int s, e, p;
    GetDrawItemsRange(StreamSavePage, s, e, p);
    last = e;
    if (e > s && StreamSavePage < Pages->Count() && Pages->GetItem(StreamSavePage)->StartPart > 1)
      if (TRVMultiDrawItemInfo* m = AsMulti((*DrawItems)[e]); m && !m->PartsList.empty())
        EndPart = m->PartsList[0].get();
  }
  DrawItem2Item(last, GetOffsAfterDrawItem(last), EndItemNo, EndOffs);
}

bool TCustomMultiPagePtblRVData::SavePageAsRVF(TStream* Stream, int PageNo, TColor Color, TObject* Background,
                                               TRVLayoutInfo* Layout) {
  StreamSavePage = PageNo;
  State.Include(rvstSavingPage);
  bool r = false;
  try {
    TRVScreenAndDevice sad;
    InitScreenAndDevice(GetCanvas(), sad);
    r = SaveRVFToStreamEx(Stream, rvfss_Page, Color, Background, Layout, false, &sad);
  } catch (...) {
    State.Exclude(rvstSavingPage);
    throw;
  }
  State.Exclude(rvstSavingPage);
  return r;
}
