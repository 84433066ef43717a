// Partial reformatting: after an edit only the paragraphs around the change are formatted again,
// their draw items replaced in place, and the draw items below moved by the change in height.
// Formatting continues into the following paragraphs while floating boxes still reach them.
#include <algorithm>

#include "engine/layout/RVFormattedData.h"
#include "engine/layout/RVFormattingUtils.h"
#include "engine/styles/ParaInfo.h"

void TCustomRVFormattedData::GetParaBoundsEx(int DINo1, int DINo2, int& ParaStart, int& ParaEnd,
                                             bool IncludeAdjacent) {
  const int n = DrawItems->Count();
  if (n == 0) {
    ParaStart = 0;
    ParaEnd = -1;
    return;
  }
  int s = std::clamp(DINo1, 0, n - 1);
  while (s > 0 && !(*DrawItems)[s]->FromNewPara) --s;
  if (IncludeAdjacent && s > 0) {
    --s;
    while (s > 0 && !(*DrawItems)[s]->FromNewPara) --s;
  }
  int e = std::clamp(DINo2, 0, n - 1);
  while (e + 1 < n && !(*DrawItems)[e + 1]->FromNewPara) ++e;
  if (IncludeAdjacent && e + 1 < n) {
    ++e;
    while (e + 1 < n && !(*DrawItems)[e + 1]->FromNewPara) ++e;
  }
  ParaStart = s;
  ParaEnd = std::max(e, s - 1);
}

void TCustomRVFormattedData::AdjustDrawItemsForFormatParas(int& StartDrawItemNo, int& EndDrawItemNo,
                                                           int /*ItemsInserted*/) {
  GetParaBoundsEx(StartDrawItemNo, EndDrawItemNo, StartDrawItemNo, EndDrawItemNo, false);
}

void TCustomRVFormattedData::FormatParas(int StartDrawItemNo, int EndDrawItemNo, int ItemsInserted,
                                         bool ThisLevelOnly) {
  AdjustDrawItemsForFormatParas(StartDrawItemNo, EndDrawItemNo, ItemsInserted);
  FormatParasExact(StartDrawItemNo, EndDrawItemNo, ItemsInserted, false, ThisLevelOnly);
}

namespace {

// The top of the line that starts at draw item Index, where formatting started it: the smallest
// Top - ExtraSpaceAbove. Floating boxes on a line were stretched over the line when it was
// finished (at least FloatLineMinHeight high, upwards), so they count only on a line of floating
// boxes alone, and there by the bottom of their one-pixel place.
int LineTopAt(const TRVDrawLines& D, int Index) {
  bool any = false, anyFloat = false;
  int top = 0, floatTop = 0;
  for (int i = Index; i < D.Count() && (i == Index || !D[i]->FromNewLine); ++i) {
    const TRVDrawLineInfo* d = D[i];
    if (AsFloatingDrawItem(d)) {
      const int t = d->Top + d->Height - 1;
      floatTop = anyFloat ? std::min(floatTop, t) : t;
      anyFloat = true;
      continue;
    }
    const int t = d->Top - d->GetExtraSpaceAbove();
    top = any ? std::min(top, t) : t;
    any = true;
  }
  return any ? top : floatTop;
}

}  // namespace

void TCustomRVFormattedData::FormatParasExact(int StartDrawItemNo, int EndDrawItemNo, int ItemsInserted,
                                              bool NoCaching, bool ThisLevelOnly) {
  TRVStyle* st = GetRVStyle();
  if (!st) return;
  StartPartialFormatting();
  NotifyBeforeFormat();
  TCustomRVData* absRoot = GetAbsoluteRootData();
  const bool hadPart = absRoot->State.Contains(rvstFormattingPart);
  absRoot->State.Include(rvstFormattingPart);
  int firstFormatted = 0, lastFormatted = -1;
  TRect inval(0, 0, 0, 0);
  try {
    int Start = StartDrawItemNo, End = EndDrawItemNo;
    int n = DrawItems->Count();
    Start = std::clamp(Start, 0, n);
    End = std::clamp(End, Start - 1, n - 1);
    // 1. Lines below laid out under floating boxes join the range. The mark is kept by a line's
    // first draw item, so the rest of such a line joins with it.
    int wEnd = End;
    while (wEnd + 1 < n && (!(*DrawItems)[wEnd + 1]->FromNewLine || (*DrawItems)[wEnd + 1]->FloatingAboveUsed)) ++wEnd;
    if (wEnd != End) {
      int s2 = Start;
      AdjustDrawItemsForFormatParas(s2, wEnd, ItemsInserted);
    }
    // 2. Items of the range.
    const int itemCount = ItemCount();
    int First = Start == 0 ? 0 : (*DrawItems)[Start - 1]->ItemNo + 1;
    int Last = End >= n - 1 ? itemCount - 1 : (*DrawItems)[End + 1]->ItemNo + ItemsInserted - 1;
    if (wEnd != End) {
      const int lastW = wEnd >= n - 1 ? itemCount - 1 : (*DrawItems)[wEnd + 1]->ItemNo + ItemsInserted - 1;
      if (lastW > Last) {
        Last = lastW;
        End = wEnd;
      }
    }
    AdjustInItemsRange(First);
    Last = std::max(Last, -1);
    firstFormatted = First;
    // 3. Where the range starts and where the next line stood.
    TRVFormattingState S;
    InitFormattingState(S, GetFormatCanvas(), NoCaching, false, ThisLevelOnly);
    struct TGuard {
      TCustomRVFormattedData* D;
      TRVFormattingState& S;
      ~TGuard() { D->DoneFormattingState(S); }
    } guard{this, S};
    int topY = GetDevTopMargin(&S.SaD);
    if (Start > 0) {
      int ls = Start - 1;
      while (ls > 0 && !(*DrawItems)[ls]->FromNewLine) --ls;
      for (int i = ls; i < Start; ++i) {
        TRVDrawLineInfo* d = (*DrawItems)[i];
        topY = std::max(topY, d->Top + d->Height + d->GetExtraSpaceBelow());
      }
    }
    int oldNextTop = End + 1 < n ? LineTopAt(*DrawItems, End + 1) : -1;
    // 4. The strip to repaint.
    inval = TRect(0, topY - GetVOffs() - 10, GetWidth(), 0);
    // 5. The state of a run that starts at the line below topY.
    S.BaseLineY = topY;
    S.DrawItemCount = Start;
    if (Start < n && (*DrawItems)[Start]->FloatingAboveUsed) {
      S.Floats = std::make_unique<TRVFloatingDrawItems>();
      S.Floats->FillFloatingCrossingY(topY, Start, *DrawItems);
    }
    // 6. The old draw items of the range go (their entries stay as a gap for the new ones).
    DrawItems->MarkForDelete(Start, End);
    int countBefore = n;
    const bool shared = SharesItemList();
    // 7. Format, continuing while floating boxes reach further.
    while (true) {
      for (int i = First; i <= Last; ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (IsInvisibleItem(i)) {
          if (!shared) {
            item->DrawItemNo = -1;
            item->JumpID = -1;
            item->Hiding();
          }
          continue;
        }
        if (IsDisplayedParaStart(i)) S.ParaFirstItem = i;
        FormatItemLines(i, S.FormatCanvas, &S.SaD, S);
      }
      lastFormatted = Last;
      if (Last >= itemCount - 1) break;
      if (!(S.Floats && S.Floats->Count() > 0) && !S.LineHasFloat) break;
      DrawItems->DeleteMarked();
      n = DrawItems->Count();
      if (ItemsInserted != 0) {
        for (int i = S.DrawItemCount; i < n; ++i) (*DrawItems)[i]->ItemNo += ItemsInserted;
        ItemsInserted = 0;
      }
      if (n != countBefore && !shared) {
        const int delta = n - countBefore;
        for (int i = Last + 1; i < itemCount; ++i) {
          TCustomRVItemInfo* it = GetItem(i);
          if (it->DrawItemNo >= 0) it->DrawItemNo += delta;
        }
      }
      countBefore = n;
      First = Last + 1;
      int f2, l2;
      ExpandToParaSection(First, First, f2, l2);
      Last = l2;
      Start = S.DrawItemCount;
      End = Start - 1;
      while (End + 1 < n && (*DrawItems)[End + 1]->ItemNo <= Last) ++End;
      oldNextTop = End + 1 < n ? LineTopAt(*DrawItems, End + 1) : -1;
      DrawItems->MarkForDelete(Start, End);
    }
    // 8. The last line.
    FinishTabSection(S);
    int extraBelow = 0;
    FinishLine(&S.SaD, true, extraBelow, S);
    S.BaseLineY += extraBelow;
    const int floatBottom = TRVFloatingDrawItems::GetFloatBottom(S.Floats.get());
    DoneFormattingState(S);
    DrawItems->DeleteMarked();
    n = DrawItems->Count();
    // 9. The gap to the next paragraph.
    int gap = 0;
    int next = Last + 1;
    while (next < itemCount && IsInvisibleItem(next)) ++next;
    const bool nextExists = next < itemCount;
    const bool nextParaStart = nextExists && IsDisplayedParaStart(next);
    if (Last >= 0 && (!nextExists || nextParaStart)) {
      int lv = Last;
      while (lv >= 0 && IsInvisibleItem(lv)) --lv;
      if (lv >= 0) gap += st->GetAsPixels(st->ParaStyles()->Items(GetDisplayedParaNo(lv))->GetSpaceAfter());
    }
    if (nextParaStart) {
      TCustomRVItemInfo* ni = GetItem(next);
      const int p = ni->GetBoolValue(rvbpIgnorePara) ? 0 : GetDisplayedParaNo(next);
      gap += st->GetAsPixels(st->ParaStyles()->Items(p)->GetSpaceBefore());
    }
    const int newNextTop = S.BaseLineY + S.PendingGap + gap;
    inval.Bottom = newNextTop - GetVOffs() + 10;
    // 10. Everything below moves.
    const bool countChanged = n != countBefore;
    if (ItemsInserted != 0 || countChanged || newNextTop != oldNextTop) {
      const int delta = oldNextTop >= 0 ? newNextTop - oldNextTop : 0;
      int bottom = newNextTop;
      bool any = false;
      for (int i = S.DrawItemCount; i < n; ++i) {
        TRVDrawLineInfo* d = (*DrawItems)[i];
        d->Top += delta;
        d->BaseLine += delta;
        d->ItemNo += ItemsInserted;
        if (TRVFloatingDrawLineInfo* f = AsFloatingDrawItem(d)) {
          f->FloatTop += delta;
          bottom = std::max(bottom, f->GetFloatBottom());
        }
        if (!shared && (i == 0 || (*DrawItems)[i - 1]->ItemNo != d->ItemNo)) GetItem(d->ItemNo)->DrawItemNo = i;
        bottom = std::max(bottom, d->Top + d->Height + d->GetExtraSpaceBelow());
        any = true;
      }
      if (any) {
        int lv = itemCount - 1;
        while (lv >= 0 && IsInvisibleItem(lv)) --lv;
        if (lv >= 0) bottom += st->GetAsPixels(st->ParaStyles()->Items(GetDisplayedParaNo(lv))->GetSpaceAfter());
      }
      bottom = std::max(bottom, floatBottom);
      const int bm = GetDevBottomMargin(&S.SaD);
      inval.Bottom = std::max(bottom - GetVOffs() + 10, DocumentHeight - bm + 10);
      inval.Bottom = std::min(inval.Bottom, GetHeight());
      if (bm + bottom != DocumentHeight) {
        DocumentHeight = bm + bottom;
        AdjustVScrollUnits();
        const int v = GetVOffs();
        AlreadyFormatted = true;
        if (IsVerticalText())
          SetDocumentAreaSize(DocumentHeight, GetAreaHeight(), true, true);
        else
          SetDocumentAreaSize(GetAreaWidth(), DocumentHeight, true, true);
        AlreadyFormatted = false;
        if (GetVOffs() != v) inval = TRect(0, 0, GetWidth(), GetHeight());
      }
    }
    // 11.
    AdjustChildrenCoords();
    LastItemFormatted = itemCount - 1;
  } catch (...) {
    AlreadyFormatted = false;
    if (!hadPart) absRoot->State.Exclude(rvstFormattingPart);
    throw;
  }
  if (!hadPart) absRoot->State.Exclude(rvstFormattingPart);
  InvalidateRect(inval, false);
  EnsureEmptyParagraph(firstFormatted, lastFormatted, true);
}
