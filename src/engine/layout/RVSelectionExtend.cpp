// Growing a selection while the mouse is dragged: the moving end snaps to word boundaries, or
// the selection widens to whole lines or paragraphs.
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/RVStyle.h"

namespace {
struct TSelSnapshot {
  int StartNo, StartOffs, EndNo, EndOffs;
  explicit TSelSnapshot(const TCustomRVFormattedData& D)
      : StartNo(D.FSelStartNo), StartOffs(D.FSelStartOffs), EndNo(D.FSelEndNo), EndOffs(D.FSelEndOffs) {}
  bool Differs(const TCustomRVFormattedData& D) const {
    return StartNo != D.FSelStartNo || StartOffs != D.FSelStartOffs || EndNo != D.FSelEndNo ||
           EndOffs != D.FSelEndOffs;
  }
};
}  // namespace

bool TCustomRVFormattedData::IsSelectionForward() {
  return FSelStartNo < FSelEndNo || (FSelStartNo == FSelEndNo && FSelEndOffs >= FSelStartOffs);
}

bool TCustomRVFormattedData::IsInsideWord(int DrawItemNo, int DrawItemOffs) {
  if (DrawItemNo < 0 || DrawItemNo >= DrawItems->Count()) return false;
  TRVDrawLineInfo* d = DrawItems->Get(DrawItemNo);
  if (GetItem(d->ItemNo)->StyleNo < 0) return false;
  if (DrawItemOffs <= 1 || DrawItemOffs > d->TextLength) return false;
  const TRVUnicodeString s = DrawItems->GetString(DrawItemNo, GetItems());
  return !IsDelimiterAt(s, DrawItemOffs - 1) && !IsDelimiterAt(s, DrawItemOffs);
}

void TCustomRVFormattedData::GetWordBounds(int DrawItemNo, int DrawItemOffs, int& WordStart, int& WordEnd) {
  const TRVUnicodeString s = DrawItems->GetString(DrawItemNo, GetItems());
  const int len = static_cast<int>(s.size());
  WordStart = DrawItemOffs - 1;
  while (WordStart >= 2 && !IsDelimiterAt(s, WordStart - 1)) --WordStart;
  WordEnd = DrawItemOffs;
  while (WordEnd <= len && !IsDelimiterAt(s, WordEnd)) ++WordEnd;
}

bool TCustomRVFormattedData::ExtendSelectionByWordTo(int X, int Y) {
  const TSelSnapshot old(*this);
  int no, offs;
  FindDrawItemForSel(X, Y, no, offs, false, false, false);
  if (no < 0) return false;
  if (!FSelectingInfo) {
    FSelEndNo = no;
    FSelEndOffs = offs;
    return old.Differs(*this);
  }
  TRVSelectingInfo& si = *FSelectingInfo;
  if (si.SWordState == rvsesParaMode) {
    si.DrawItemENo = no;
    si.DrawItemEOffs = offs;
    FSelStartNo = si.DrawItemSNo;
    FSelStartOffs = si.DrawItemSOffs;
    FSelEndNo = no;
    FSelEndOffs = offs;
    ExpandSelectionToParagraph(true);
    return old.Differs(*this);
  }
  // The start word: once the end leaves it the start snaps to its far side; coming back into it
  // stops the start's snapping for the rest of the gesture.
  bool snap = true;
  switch (si.SWordState) {
    case rvsesInWord:
    case rvsesOutsideWord:
      if (si.IsAboveSWord(no, offs)) {
        si.SWordState = rvsesOutsideWord;
        FSelStartNo = si.DrawItemSNo;
        FSelStartOffs = si.DrawItemSWordOffs2;
      } else if (si.IsBelowSWord(no, offs)) {
        si.SWordState = rvsesOutsideWord;
        FSelStartNo = si.DrawItemSNo;
        FSelStartOffs = si.DrawItemSWordOffs1;
      } else if (si.SWordState == rvsesOutsideWord) {
        si.SWordState = rvsesFreeMode;
        FSelStartNo = si.DrawItemSNo;
        FSelStartOffs = si.DrawItemSOffs;
        snap = false;
      } else {
        snap = false;
      }
      break;
    default: break;
  }
  // The end word.
  if (snap) {
    if (IsInsideWord(no, offs)) {
      int w1, w2;
      GetWordBounds(no, offs, w1, w2);
      if (si.IsEWord(no, w1, w2)) {
        if (si.EWordState == rvsesFreeMode) {
          snap = false;
        } else if (si.IsEFreeStateNeeded(no, offs)) {
          si.EWordState = rvsesFreeMode;
          snap = false;
        } else {
          si.DrawItemEOffs = offs;
        }
      } else {
        si.EWordState = rvsesInWord;
        si.DrawItemENo = no;
        si.DrawItemEWordOffs1 = w1;
        si.DrawItemEWordOffs2 = w2;
        si.DrawItemEOffs = offs;
      }
      if (snap) {
        if (si.IsAboveSWord(no, offs))
          offs = w1;
        else if (si.IsBelowSWord(no, offs))
          offs = w2;
      }
    } else {
      si.EWordState = rvsesInWord;
      si.DrawItemEWordOffs1 = -1;
      si.DrawItemEWordOffs2 = -1;
    }
  }
  FSelEndNo = no;
  FSelEndOffs = offs;
  return old.Differs(*this);
}

void TCustomRVFormattedData::ExpandSelectionToLines(bool Collapse) {
  const int n = DrawItems->Count();
  if (FSelStartNo < 0 || FSelEndNo < 0 || FSelStartNo >= n || FSelEndNo >= n) return;
  if (Collapse) {
    FSelEndNo = FSelStartNo;
    FSelEndOffs = FSelStartOffs;
  }
  int first, last;
  if (IsSelectionForward()) {
    GetLineBounds(FSelStartNo, first, last);
    FSelStartNo = first;
    FSelStartOffs = GetOffsBeforeDrawItem(first);
    GetLineBounds(FSelEndNo, first, last);
    FSelEndNo = last;
    FSelEndOffs = GetOffsAfterDrawItem(last);
  } else {
    GetLineBounds(FSelStartNo, first, last);
    FSelStartNo = last;
    FSelStartOffs = GetOffsAfterDrawItem(last);
    GetLineBounds(FSelEndNo, first, last);
    FSelEndNo = first;
    FSelEndOffs = GetOffsBeforeDrawItem(first);
  }
}

bool TCustomRVFormattedData::ExpandSelectionToParagraph(bool OnlyIfMultiple) {
  const int n = DrawItems->Count();
  if (FSelStartNo < 0 || FSelEndNo < 0 || FSelStartNo >= n || FSelEndNo >= n) return false;
  if (FSelStartNo == FSelEndNo && FSelStartOffs == FSelEndOffs) return false;
  auto paraStart = [this](int i) {
    while (i > 0 && !IsDrawItemParaStart(i)) --i;
    return i;
  };
  auto paraEnd = [this, n](int i) {
    while (i + 1 < n && !IsDrawItemParaStart(i + 1)) ++i;
    return i;
  };
  if (OnlyIfMultiple && paraStart(FSelStartNo) == paraStart(FSelEndNo)) return false;
  const TSelSnapshot old(*this);
  if (IsSelectionForward()) {
    FSelStartNo = paraStart(FSelStartNo);
    FSelStartOffs = GetOffsBeforeDrawItem(FSelStartNo);
    FSelEndNo = paraEnd(FSelEndNo);
    FSelEndOffs = GetOffsAfterDrawItem(FSelEndNo);
  } else {
    FSelStartNo = paraEnd(FSelStartNo);
    FSelStartOffs = GetOffsAfterDrawItem(FSelStartNo);
    FSelEndNo = paraStart(FSelEndNo);
    FSelEndOffs = GetOffsBeforeDrawItem(FSelEndNo);
  }
  return old.Differs(*this);
}

bool TCustomRVFormattedData::ExtendSelectionTo(int X, int Y) {
  const TSelSnapshot old(*this);
  int no, offs;
  FindDrawItemForSel(X, Y, no, offs, false, false, false);
  if (no < 0) return false;
  FSelEndNo = no;
  FSelEndOffs = offs;
  ExpandSelectionToLines(false);
  TRVStyle* st = GetRVStyle();
  if (st && st->SelectionMode == rvsmParagraph) ExpandSelectionToParagraph(true);
  return old.Differs(*this);
}
