// Small questions asked of a formatted document by the caret, keyboard navigation, paragraph
// commands, printing and painting: displayed paragraphs with hidden items in between, whether a
// draw item starts a paragraph or a line, line numbers counted through sub-documents, the caret
// rectangle of a position, page-dependent widths and repaint requests of draw items.
#include <algorithm>

#include "engine/document/RVTextItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"

namespace {

constexpr int MaxNestingDepth = 64;

}  // namespace

TCustomRVFormattedData* RVFormattedOf(TCustomRVData* Data) {
  if (!Data) return nullptr;
  if (TCustomRVData* d = Data->GetRVData())
    if (TCustomRVFormattedData* f = d->AsFormattedData()) return f;
  return Data->AsFormattedData();
}

// ---- displayed paragraphs ---------------------------------------------------------------------------

int TCustomRVFormattedData::GetDisplayedParaNoEx(int ItemNo, int Default) {
  const int prev = GetPrevVisibleItemNo(ItemNo);
  if (prev >= 0 && !IsParaStart(prev + 1)) return Default;
  return GetDisplayedParaNo(ItemNo);
}

bool TCustomRVFormattedData::IsNextVisibleParaStart(int ItemNo) {
  const int next = GetNextVisibleItemNo(ItemNo);
  return next < 0 || IsParaStart(next);
}

bool TCustomRVFormattedData::IsNextVisibleFromNewLine(int ItemNo) {
  const int next = GetNextVisibleItemNo(ItemNo);
  return next < 0 || IsFromNewLine(next);
}

int TCustomRVFormattedData::GetParaFirstItemNo(int ItemNo) {
  int i = std::min(ItemNo, ItemCount() - 1);
  while (i > 0 && (IsInvisibleItem(i) || !IsDisplayedParaStart(i))) --i;
  return std::max(i, 0);
}

int TCustomRVFormattedData::GetParaSectionFirstItemNo(int ItemNo) {
  int i = std::min(ItemNo, ItemCount() - 1);
  while (i > 0 && (IsInvisibleItem(i) || !IsDisplayedFromNewLine(i))) --i;
  return std::max(i, 0);
}

void TCustomRVFormattedData::GetDisplayedParaBounds(int First, int Last, int& FirstItemNo, int& LastItemNo) {
  FirstItemNo = GetParaFirstItemNo(First);
  LastItemNo = ItemCount() - 1;
  for (int i = Last + 1; i < ItemCount(); ++i)
    if (!IsInvisibleItem(i) && IsDisplayedParaStart(i)) {
      LastItemNo = i - 1;
      break;
    }
}

void TCustomRVFormattedData::GetDisplayedParaSectionBounds(int First, int Last, int& FirstItemNo, int& LastItemNo) {
  FirstItemNo = GetParaSectionFirstItemNo(First);
  LastItemNo = ItemCount() - 1;
  for (int i = Last + 1; i < ItemCount(); ++i)
    if (!IsInvisibleItem(i) && IsDisplayedFromNewLine(i)) {
      LastItemNo = i - 1;
      break;
    }
}

int TCustomRVFormattedData::GetFirstVisibleItemNo() { return GetNextVisibleItemNo(-1); }

int TCustomRVFormattedData::GetLastVisibleItemNo() { return GetPrevVisibleItemNo(ItemCount()); }

int TCustomRVFormattedData::GetPrevVisibleItemNo(int ItemNo) {
  for (int i = std::min(ItemNo, ItemCount()) - 1; i >= 0; --i)
    if (!IsInvisibleItem(i)) return i;
  return -1;
}

int TCustomRVFormattedData::GetNextVisibleItemNo(int ItemNo) {
  for (int i = std::max(ItemNo, -1) + 1; i < ItemCount(); ++i)
    if (!IsInvisibleItem(i)) return i;
  return -1;
}

// ---- draw-item predicates ------------------------------------------------------------------------------

bool TCustomRVFormattedData::IsDrawItemItemStart(int DrawItemNo) {
  return DrawItemNo == 0 || (*DrawItems)[DrawItemNo - 1]->ItemNo != (*DrawItems)[DrawItemNo]->ItemNo;
}

bool TCustomRVFormattedData::IsDrawItemParaStart(int DrawItemNo) {
  if (DrawItemNo == 0) return true;
  return (*DrawItems)[DrawItemNo - 1]->ItemNo != (*DrawItems)[DrawItemNo]->ItemNo &&
         IsDisplayedParaStart((*DrawItems)[DrawItemNo]->ItemNo);
}

bool TCustomRVFormattedData::IsDrawItemParaSectionStart(int DrawItemNo) {
  if (DrawItemNo == 0) return true;
  return (*DrawItems)[DrawItemNo - 1]->ItemNo != (*DrawItems)[DrawItemNo]->ItemNo &&
         IsDisplayedFromNewLine((*DrawItems)[DrawItemNo]->ItemNo);
}

bool TCustomRVFormattedData::IsDrawItemParaEnd(int DrawItemNo) {
  if (DrawItemNo == -1 || DrawItemNo >= DrawItems->Count() - 1) return true;
  TRVDrawLineInfo* next = (*DrawItems)[DrawItemNo + 1];
  return next->ItemNo != (*DrawItems)[DrawItemNo]->ItemNo && IsDisplayedParaStart(next->ItemNo);
}

bool TCustomRVFormattedData::IsDrawItemFromNewLine(int DrawItemNo) {
  TRVDrawLineInfo* d = (*DrawItems)[DrawItemNo];
  if (d->FromNewLine) return true;
  if (DrawItemNo == 0) return false;
  TRVDrawLineInfo* prev = (*DrawItems)[DrawItemNo - 1];
  return prev->ItemNo != d->ItemNo && GetItem(prev->ItemNo)->StyleNo == ItemKindListMarker;
}

bool TCustomRVFormattedData::IsDrawItemLastOnWrappedLine(int DrawItemNo) {
  if (DrawItemNo < 0 || DrawItemNo >= DrawItems->Count() - 1) return false;
  TRVDrawLineInfo* next = (*DrawItems)[DrawItemNo + 1];
  if (!next->FromNewLine) return false;
  return next->ItemNo == (*DrawItems)[DrawItemNo]->ItemNo || !IsDisplayedFromNewLine(next->ItemNo);
}

bool TCustomRVFormattedData::IsDrawItemStartsTheSecondParaLine(int DrawItemNo) {
  if (DrawItemNo <= 0 || DrawItemNo >= DrawItems->Count()) return false;
  if (!(*DrawItems)[DrawItemNo]->FromNewLine || IsDrawItemParaStart(DrawItemNo)) return false;
  int prev = DrawItemNo - 1;
  while (prev > 0 && !(*DrawItems)[prev]->FromNewLine) --prev;
  return IsDrawItemParaStart(prev);
}

bool TCustomRVFormattedData::IsDrawItemStartsTheLastParaLine(int DrawItemNo) {
  const int n = DrawItems->Count();
  if (DrawItemNo < 0 || DrawItemNo >= n) return false;
  if (!(*DrawItems)[DrawItemNo]->FromNewLine || IsDrawItemParaStart(DrawItemNo)) return false;
  int next = DrawItemNo + 1;
  while (next < n && !(*DrawItems)[next]->FromNewLine) ++next;
  return next >= n || IsDrawItemParaStart(next);
}

bool TCustomRVFormattedData::DrawItemSkipsChars(int DrawItemNo) {
  TRVDrawLineInfo* d = (*DrawItems)[DrawItemNo];
  TCustomRVItemInfo* item = GetItem(d->ItemNo);
  if (item->StyleNo < 0) return false;
  const int end = d->Offs + d->TextLength;  // 1-based offset after the draw item's last character
  if (end > static_cast<int>(item->ItemText.size())) return false;
  if (DrawItemNo + 1 < DrawItems->Count()) {
    TRVDrawLineInfo* next = (*DrawItems)[DrawItemNo + 1];
    if (next->ItemNo == d->ItemNo && next->Offs == end) return false;
  }
  return true;
}

bool TCustomRVFormattedData::IsMultiParagraphSelection() {
  int s, e, so, eo;
  GetSelBounds(s, e, so, eo, true);
  if (s < 0 || e < 0 || (s == e && so == eo)) return false;
  for (int i = s + 1; i <= e && i < DrawItems->Count(); ++i)
    if (IsDrawItemParaStart(i)) return true;
  return false;
}

bool TCustomRVFormattedData::IsWholeParagraphSelection() {
  int s, e, so, eo;
  GetSelBounds(s, e, so, eo, true);
  if (s < 0 || e < 0 || (s == e && so == eo)) return false;
  int si, sio, ei, eio;
  DrawItem2Item(s, so, si, sio);
  DrawItem2Item(e, eo, ei, eio);
  if (si < 0 || ei < 0) return false;
  if (sio > GetOffsBeforeItem(si) || eio < GetOffsAfterItem(ei)) return false;
  const bool afterMarker = si > 0 && GetItem(si - 1)->StyleNo == ItemKindListMarker;
  if (!IsDisplayedParaStart(si) && !afterMarker) return false;
  const int next = GetNextVisibleItemNo(ei);
  return next < 0 || IsDisplayedParaStart(next);
}

// ---- lines ------------------------------------------------------------------------------------------

int TCustomRVFormattedData::GetItemLineCount(int ItemNo) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  std::unique_ptr<TRVStoreSubRVData> state;
  int count = 0;
  int guard = 0;
  for (TCustomRVData* d = item->GetSubRVData(state, rvdFirst); d && guard < 1000000;
       d = item->GetSubRVData(state, rvdNext, d), ++guard)
    if (TCustomRVFormattedData* f = RVFormattedOf(d)) count += f->GetLineCount(-1, false);
  return count;
}

int TCustomRVFormattedData::GetLineCount(int DrawItemNo, bool BeforeItem) {
  const int n = DrawItems->Count();
  if (n == 0) return 0;
  if (DrawItemNo < 0 || DrawItemNo >= n) {
    DrawItemNo = n - 1;
    BeforeItem = false;
  }
  const int last = BeforeItem ? DrawItemNo - 1 : DrawItemNo;
  int count = 0;
  for (int i = 0; i <= last; ++i) {
    TRVDrawLineInfo* d = (*DrawItems)[i];
    TCustomRVItemInfo* item = GetItem(d->ItemNo);
    if (item->GetBoolValue(rvbpHasSubRVData)) {
      if (IsDrawItemItemStart(i)) count += GetItemLineCount(d->ItemNo) + 2;
    } else if (d->FromNewLine) {
      ++count;
    }
  }
  if (BeforeItem && (*DrawItems)[DrawItemNo]->FromNewLine) ++count;
  return count;
}

int TCustomRVFormattedData::GetLineNoEx(int ItemNo, int ItemOffs, bool IsLineBegin, TCustomRVData* RootRVData) {
  TCustomRVFormattedData* data = this;
  int result = 0;
  bool countHere = true;  // false when the position lies before the first item of data
  for (int depth = 0; data && depth < MaxNestingDepth; ++depth) {
    if (countHere) {
      int dNo, dOffs;
      data->Item2DrawItem(ItemNo, ItemOffs, dNo, dOffs, 0);
      if (dNo < 0) return depth == 0 ? 0 : result;
      if (IsLineBegin) data->ShiftPosToTheNewLine(dNo, dOffs);
      result += data->GetLineCount(dNo, ItemOffs <= data->GetOffsBeforeItem(ItemNo));
    }
    if (!RootRVData || data == RootRVData || data == RootRVData->GetSourceRVData() ||
        data == RootRVData->GetRVData())
      return result;
    // Up through the item that holds this document: its sub-documents before this one, the line
    // of its start, and the lines of the parent document up to the end of the item before it.
    int parentItemNo = -1;
    TRVStoreSubRVData* location = nullptr;
    data->GetParentInfo(parentItemNo, location);
    TCustomRVFormattedData* parent = RVFormattedOf(data->GetParentData());
    if (!parent || parentItemNo < 0 || parentItemNo >= parent->ItemCount()) return result;
    TCustomRVItemInfo* parentItem = parent->GetItem(parentItemNo);
    std::unique_ptr<TRVStoreSubRVData> state;
    int guard = 0;
    for (TCustomRVData* d = parentItem->GetSubRVData(state, rvdFirst); d && guard < 1000000;
         d = parentItem->GetSubRVData(state, rvdNext, d), ++guard) {
      TCustomRVFormattedData* f = RVFormattedOf(d);
      if (f == data || d == data) break;
      if (f) result += f->GetLineCount(-1, false);
    }
    result += 1;
    countHere = parentItemNo > 0;
    if (countHere) {
      ItemNo = parentItemNo - 1;
      ItemOffs = parent->GetOffsAfterItem(ItemNo);
    }
    IsLineBegin = false;
    data = parent;
  }
  return result;
}

bool TCustomRVFormattedData::GetPositionInItem(int ThisItemNo, int& LineNo, TCustomRVData*& RVData, int& ItemNo,
                                               int& Offs) {
  TCustomRVItemInfo* item = GetItem(ThisItemNo);
  std::unique_ptr<TRVStoreSubRVData> state;
  int guard = 0;
  for (TCustomRVData* d = item->GetSubRVData(state, rvdFirst); d && guard < 1000000;
       d = item->GetSubRVData(state, rvdNext, d), ++guard)
    if (TCustomRVFormattedData* f = RVFormattedOf(d))
      if (f->GetPositionAtLine(LineNo, RVData, ItemNo, Offs)) return true;
  return false;
}

bool TCustomRVFormattedData::GetPositionAtLine(int& LineNo, TCustomRVData*& RVData, int& ItemNo, int& Offs) {
  const int n = DrawItems->Count();
  for (int i = 0; i < n; ++i) {
    TRVDrawLineInfo* d = (*DrawItems)[i];
    TCustomRVItemInfo* item = GetItem(d->ItemNo);
    if (d->FromNewLine) {
      --LineNo;
      if (LineNo <= 0) {
        RVData = this;
        ItemNo = d->ItemNo;
        Offs = item->StyleNo >= 0 ? d->Offs : 0;
        if (item->StyleNo == ItemKindListMarker) {
          const int next = GetNextVisibleItemNo(ItemNo);
          if (next >= 0) {
            ItemNo = next;
            Offs = GetOffsBeforeItem(next);
          }
        }
        return true;
      }
    }
    if (item->GetBoolValue(rvbpHasSubRVData) && IsDrawItemItemStart(i)) {
      if (GetPositionInItem(d->ItemNo, LineNo, RVData, ItemNo, Offs)) return true;
      --LineNo;
      if (LineNo <= 0) {
        RVData = this;
        ItemNo = d->ItemNo;
        Offs = GetOffsAfterItem(ItemNo);
        return true;
      }
    }
  }
  return false;
}

void TCustomRVFormattedData::ExpandToLines(int ItemNo1, int Offs1, int ItemNo2, int Offs2, int& DItemNo1,
                                           int& DItemNo2) {
  int o;
  const int n = DrawItems->Count();
  Item2DrawItem(ItemNo1, Offs1, DItemNo1, o, 0);
  if (DItemNo1 >= 0) {
    if (DItemNo1 + 1 < n && (*DrawItems)[DItemNo1 + 1]->ItemNo == ItemNo1 &&
        GetItem(ItemNo1)->StyleNo >= 0 && (*DrawItems)[DItemNo1 + 1]->Offs == Offs1)
      ++DItemNo1;
    while (DItemNo1 > 0 && !(*DrawItems)[DItemNo1]->FromNewLine) --DItemNo1;
    if (GetItem((*DrawItems)[DItemNo1]->ItemNo)->StyleNo == ItemKindListMarker && DItemNo1 + 1 < n &&
        !(*DrawItems)[DItemNo1 + 1]->FromNewLine)
      ++DItemNo1;
  }
  Item2DrawItem(ItemNo2, Offs2, DItemNo2, o, 1);
  if (DItemNo2 >= 0)
    while (DItemNo2 + 1 < n && !(*DrawItems)[DItemNo2 + 1]->FromNewLine) ++DItemNo2;
}

// ---- the caret rectangle --------------------------------------------------------------------------------

void TCustomRVFormattedData::GetCoordsOfDrawItem(int DrawItemNo, int DrawItemOffs, int& X, int& Top, int& Bottom) {
  if (DrawItemNo < 0 || DrawItemNo >= DrawItems->Count()) return;
  TRVDrawLineInfo* d = (*DrawItems)[DrawItemNo];
  Top = GetTransformedDItemTop(DrawItemNo);
  Bottom = Top + d->Height;
  TCustomRVItemInfo* item = GetItem(d->ItemNo);
  if (item->StyleNo < 0 || d->TextLength == 0) {
    X = DrawItemOffs > GetOffsBeforeDrawItem(DrawItemNo) ? d->Left + d->Width : d->Left;
    return;
  }
  std::vector<int> pos;
  GetDrawItemCaretPositions(DrawItemNo, pos);
  const int b = std::clamp(DrawItemOffs - 1, 0, d->TextLength);
  X = d->Left + pos[static_cast<std::size_t>(b)];
}

void TCustomRVFormattedData::GetCoordsOf(int ItemNo, int Offs, int& X, int& Top, int& Bottom) {
  int dNo, dOffs;
  Item2DrawItem(ItemNo, Offs, dNo, dOffs, 2);
  if (dNo >= 0) GetCoordsOfDrawItem(dNo, dOffs, X, Top, Bottom);
}

// ---- printing widths --------------------------------------------------------------------------------------

void TCustomRVFormattedData::AdjustItemsPrintingWidth(int FirstDrawItemNo, int LastDrawItemNo, int FirstItemPart,
                                                      int PageNo, int PageCount, const TRVScreenAndDevice* PSaD) {
  (void)FirstItemPart;
  const int n = DrawItems->Count();
  TCanvas* canvas = GetCanvas();
  for (int i = std::max(FirstDrawItemNo, 0); i <= LastDrawItemNo && i < n; ++i) {
    TRVDrawLineInfo* d = (*DrawItems)[i];
    TCustomRVItemInfo* item = GetItem(d->ItemNo);
    if (item->StyleNo >= 0 || !item->GetBoolValueEx(rvbpHasPrintingWidth, GetRVStyle())) continue;
    ChangeDItemWidth(i, item->GetFinalPrintingWidth(canvas, d, this, PageNo, PageCount, PSaD));
  }
}

void TCustomRVFormattedData::AdjustAllItemsPrintingWidth(int PageNo, int PageCount, const TRVScreenAndDevice* PSaD) {
  AdjustItemsPrintingWidth(0, DrawItems->Count() - 1, -1, PageNo, PageCount, PSaD);
}

// ---- repaint requests ----------------------------------------------------------------------------------------

void TCustomRVFormattedData::InvalidateDrawItem(int DrawItemNo, int Spacing, bool FromLiveSpelling) {
  if (DrawItemNo < 0 || DrawItemNo >= DrawItems->Count()) return;
  ResetSubCoords();
  TRVDrawLineInfo* d = (*DrawItems)[DrawItemNo];
  const int top = GetTransformedDItemTop(DrawItemNo);
  const int dx = GetHOffs(), dy = GetVOffs();
  InvalidateRect(TRect(d->Left - Spacing - dx, top - Spacing - dy, d->Left + d->Width + Spacing - dx,
                       top + d->Height + Spacing - dy),
                 FromLiveSpelling);
}

void TCustomRVFormattedData::InvalidateHighlightedJump() {
  if (LastJumpDIMovedAboveFirst < 0) return;
  for (int i = LastJumpDIMovedAboveFirst; i <= LastJumpDIMovedAboveLast; ++i) InvalidateDrawItem(i, 5);
}
