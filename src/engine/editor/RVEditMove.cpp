// Caret movement keys: the arrows, Home, End, Page Up and Page Down, by characters, words, lines,
// paragraphs and pages, with Shift extending the selection. Moving along the caret's line only
// changes the stop index; crossing to another line sets the caret's draw item and rebuilds the
// line. A true result tells the caller that the caret stands at the document's edge in that
// direction and did not move (a cell editor then passes the caret to the surrounding document).
#include <climits>

#include "engine/document/RVItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/Input.h"

namespace caret_move {

bool IsMarkerDrawItem(TRVEditRVData& D, int DrawItemNo) {
  return DrawItemNo >= 0 && DrawItemNo < D.DrawItems->Count() &&
         D.GetItem(D.DrawItems->Get(DrawItemNo)->ItemNo)->StyleNo == ItemKindListMarker;
}

bool CaretPlaced(TRVEditRVData& D) {
  return D.CaretDrawItemNo >= 0 && D.CaretDrawItemNo < D.DrawItems->Count() && D.CaretOffs >= 0 &&
         D.CaretOffs < D.CharEnds.Count();
}

TRVCharPos* Stop(TRVEditRVData& D, int Index) { return D.CharEnds.GetItem(Index); }

// Puts the caret at a draw-item offset and rebuilds its line.
void CaretToDrawItem(TRVEditRVData& D, int DrawItemNo, int DrawItemOffs) {
  D.CaretDrawItemNo = DrawItemNo;
  D.OnChangeCaretLine(DrawItemOffs - 2);
}

// The caret at an item position: along the caret's line when the line has a stop there (the
// visual place the user sees stays), else through the item's draw items.
void CaretToItemOffs(TRVEditRVData& D, int ItemNo, int ItemOffs) {
  for (int i = 0; i < D.CharEnds.Count(); ++i)
    if (D.DrawItems->Get(Stop(D, i)->DrawItemNo)->ItemNo == ItemNo && D.CharEndsItemOffs(i) == ItemOffs) {
      D.CaretOffs = i;
      return;
    }
  int dNo = -1, dOffs = 0;
  D.Item2DrawItem(ItemNo, ItemOffs, dNo, dOffs, 2);
  if (dNo < 0) return;
  // A marker never holds the caret: a position on it goes to the left.
  if (IsMarkerDrawItem(D, dNo) && dNo > 0) {
    --dNo;
    dOffs = D.GetOffsAfterDrawItem(dNo);
  }
  CaretToDrawItem(D, dNo, dOffs);
}

// Word ends of Ctrl+Left: the caret stops after a delimiter that precedes a word, and where a word
// meets a delimiter other than a space (the spaces after a word belong to it).
bool IsLeftWordBoundary(TRVEditRVData& D, WideChar Prev, WideChar Next) {
  const bool prevDelim = D.IsDelimiterW(Prev), nextDelim = D.IsDelimiterW(Next);
  return (prevDelim && !nextDelim) || (!prevDelim && nextDelim && Next != u' ');
}

// Word starts of Ctrl+Right.
bool IsRightWordBoundary(TRVEditRVData& D, WideChar Prev, WideChar Next) {
  if (Prev == u' ' && Next != u' ') return true;
  const bool prevDelim = D.IsDelimiterW(Prev), nextDelim = D.IsDelimiterW(Next);
  return (prevDelim && !nextDelim) || (!prevDelim && nextDelim && Next != u' ');
}

// The first and last draw items of the caret's line.
void CaretLineBounds(TRVEditRVData& D, int& First, int& Last) {
  D.GetLineBounds(Stop(D, 0)->DrawItemNo, First, Last);
}

// The vertical position a line is hit at: just below its top in document line order.
int HitY(TRVEditRVData& D, int DrawItemNo, bool Down) {
  TRVDrawLineInfo* d = D.DrawItems->Get(DrawItemNo);
  int y = D.GetTransformedDItemTop(DrawItemNo) + (d->Height > 1 ? 1 : 0);
  if (Down) y -= d->GetExtraSpaceAbove();
  return y;
}

}  // namespace caret_move

void TRVEditRVData::UpdateSelectionEnd() {
  if (CaretOffs < 0 || CaretOffs >= CharEnds.Count()) return;
  FSelEndNo = CharEnds.GetItem(CaretOffs)->DrawItemNo;
  FSelEndOffs = CharEnds.GetItem(CaretOffs)->Offset;
}

namespace caret_move {

bool Left(TRVEditRVData& D, bool Shift, bool Ctrl) {
  if (!CaretPlaced(D)) return false;
  if (Shift) {
    if (D.FPartialSelectedItem) {
      D.FPartialSelectedItem->KeyDown(VK_LEFT, TShiftState{ssShift});
      return false;
    }
    TRVStyle* st = D.GetRVStyle();
    if (st && st->SelectionMode == rvsmParagraph && D.IsMultiParagraphSelection()) {
      D.MoveCaretToTheBeginningOfThePrevParagraph(true);
      return false;
    }
  }
  bool result = false;
  TRVCharPos* cur = Stop(D, D.CaretOffs);
  const int itemNo = D.DrawItems->Get(cur->DrawItemNo)->ItemNo;
  const int itemOffs = D.CharEndsItemOffs(D.CaretOffs);
  TCustomRVItemInfo* item = D.GetItem(itemNo);
  if (Ctrl && item->StyleNo >= 0 && itemOffs > 1) {
    const TRVUnicodeString& s = item->ItemText;
    // s[p - 1] is the character before position p (1-based positions).
    int p = itemOffs - 1;
    while (p > 1 && !IsLeftWordBoundary(D, s[static_cast<std::size_t>(p - 2)], s[static_cast<std::size_t>(p - 1)]))
      --p;
    CaretToItemOffs(D, itemNo, p);
  } else if (D.CaretOffs == 0) {
    const int d = cur->DrawItemNo;
    if (d == 0) return true;
    int prev = d - 1;
    if (IsMarkerDrawItem(D, prev) && prev > 0) --prev;
    CaretToDrawItem(D, prev, D.GetOffsAfterDrawItem(prev));
    result = prev == 0 && IsMarkerDrawItem(D, 0);
  } else {
    // An item that holds documents (a table) takes the caret into its last place.
    if (!Shift && !Ctrl && item->StyleNo < 0 && cur->Offset == 1 && item->EnterItem(rvedRight, 0)) return false;
    --D.CaretOffs;
  }
  if (Shift) D.UpdateSelectionEnd();
  D.ChangeCaret(false, true, false, false);
  return result;
}

}  // namespace caret_move

bool TRVEditRVData::OnLeftPress(bool Shift, bool Ctrl) { return caret_move::Left(*this, Shift, Ctrl); }

namespace caret_move {

bool Right(TRVEditRVData& D, bool Shift, bool Ctrl) {
  if (!CaretPlaced(D)) return false;
  if (Shift) {
    if (D.FPartialSelectedItem) {
      D.FPartialSelectedItem->KeyDown(VK_RIGHT, TShiftState{ssShift});
      return false;
    }
    TRVStyle* st = D.GetRVStyle();
    if (st && st->SelectionMode == rvsmParagraph && D.IsMultiParagraphSelection()) {
      D.MoveCaretToTheEndOfTheNextParagraph(true);
      return false;
    }
  }
  const int lastStop = D.CharEnds.Count() - 1;
  if (Ctrl) {
    if (D.CaretOffs < lastStop) {
      ++D.CaretOffs;
    } else {
      const int d = Stop(D, lastStop)->DrawItemNo;
      if (d >= D.DrawItems->Count() - 1) return true;
      int next = d + 1;
      if (IsMarkerDrawItem(D, next) && next + 1 < D.DrawItems->Count()) ++next;
      CaretToDrawItem(D, next, D.GetOffsBeforeDrawItem(next));
    }
    const int itemNo = D.DrawItems->Get(Stop(D, D.CaretOffs)->DrawItemNo)->ItemNo;
    TCustomRVItemInfo* item = D.GetItem(itemNo);
    const int p0 = D.CharEndsItemOffs(D.CaretOffs);
    if (item->StyleNo >= 0 && p0 >= 2) {
      const TRVUnicodeString& s = item->ItemText;
      const int len = static_cast<int>(s.size());
      int p = p0;
      while (p <= len && !IsRightWordBoundary(D, s[static_cast<std::size_t>(p - 2)], s[static_cast<std::size_t>(p - 1)]))
        ++p;
      if (p != p0) CaretToItemOffs(D, itemNo, p);
    }
  } else if (D.CaretOffs == lastStop) {
    const int d = Stop(D, lastStop)->DrawItemNo;
    if (d >= D.DrawItems->Count() - 1) return true;
    int next = d + 1;
    if (IsMarkerDrawItem(D, next) && next + 1 < D.DrawItems->Count()) ++next;
    CaretToDrawItem(D, next, D.GetOffsBeforeDrawItem(next));
  } else {
    TRVCharPos* nextStop = Stop(D, D.CaretOffs + 1);
    TCustomRVItemInfo* item = D.GetItem(D.DrawItems->Get(nextStop->DrawItemNo)->ItemNo);
    // An item that holds documents (a table) takes the caret into its first place.
    if (!Shift && !Ctrl && item->StyleNo < 0 && nextStop->Offset == 1 && item->EnterItem(rvedLeft, 0)) return false;
    ++D.CaretOffs;
  }
  if (Shift) D.UpdateSelectionEnd();
  D.ChangeCaret(false, true, false, false);
  return false;
}

}  // namespace caret_move

bool TRVEditRVData::OnRightPress(bool Shift, bool Ctrl) { return caret_move::Right(*this, Shift, Ctrl); }

namespace caret_move {

// Ctrl+Up: the start of the caret's paragraph, or of the previous one when the caret already
// stands at its line's start.
void ParagraphUp(TRVEditRVData& D) {
  int d = Stop(D, D.CaretOffs)->DrawItemNo;
  if (D.CaretOffs == 0 && d > 0) {
    --d;
    if (IsMarkerDrawItem(D, d) && d > 0) --d;
  }
  while (d > 0 && !D.IsDrawItemParaStart(d)) --d;
  if (IsMarkerDrawItem(D, d) && d + 1 < D.DrawItems->Count()) ++d;
  CaretToDrawItem(D, d, D.GetOffsBeforeDrawItem(d));
}

// Ctrl+Down: the start of the next paragraph, or the document's end when there is none.
void ParagraphDown(TRVEditRVData& D) {
  const int n = D.DrawItems->Count();
  int d = Stop(D, D.CaretOffs)->DrawItemNo + 1;
  while (d < n && !D.IsDrawItemParaStart(d)) ++d;
  if (d >= n) {
    CaretToDrawItem(D, n - 1, D.GetOffsAfterDrawItem(n - 1));
    return;
  }
  if (IsMarkerDrawItem(D, d) && d + 1 < n) ++d;
  CaretToDrawItem(D, d, D.GetOffsBeforeDrawItem(d));
}

// The remembered column of vertical moves; the first vertical move remembers the caret's.
int UpDownX(TRVEditRVData& D) {
  int x = D.GetUpDownMovingX();
  if (x == INT_MAX) {
    x = Stop(D, D.CaretOffs)->X;
    D.SetUpDownMovingX(x);
  }
  return x;
}

void ScrollToEdge(TRVEditRVData& D, bool Bottom) {
  if (D.IsLineOrderReversed()) Bottom = !Bottom;
  D.ScrollTo(Bottom ? D.DocumentHeight : 0, true);
}

bool UpDown(TRVEditRVData& D, bool Down, bool Shift, bool Ctrl) {
  if (!CaretPlaced(D)) return false;
  if (Shift) {
    if (D.FPartialSelectedItem) {
      D.FPartialSelectedItem->KeyDown(Down ? VK_DOWN : VK_UP, TShiftState{ssShift});
      return false;
    }
    TRVStyle* st = D.GetRVStyle();
    if (st && st->SelectionMode == rvsmParagraph && D.IsMultiParagraphSelection()) {
      if (Down)
        D.MoveCaretToTheEndOfTheNextParagraph(true);
      else
        D.MoveCaretToTheBeginningOfThePrevParagraph(true);
      return false;
    }
  }
  const int X = Ctrl ? Stop(D, D.CaretOffs)->X : UpDownX(D);
  const int n = D.DrawItems->Count();
  const int lastStop = D.CharEnds.Count() - 1;
  int first, last;
  CaretLineBounds(D, first, last);
  // The draw item of the line to go to; -1 when there is no line in that direction.
  int target;
  if (Down) {
    target = Stop(D, lastStop)->DrawItemNo + 1;
    if (target >= n) target = -1;
  } else {
    target = Stop(D, 0)->DrawItemNo - 1;
    if (IsMarkerDrawItem(D, target)) --target;
    if (first == 0) target = -1;
  }
  const int edgeStop = Down ? lastStop : 0;
  if (target < 0) {
    if (!Shift || D.CaretOffs == edgeStop) {
      if (Ctrl) {
        if (Down)
          ParagraphDown(D);
        else
          ParagraphUp(D);
        if (Shift) D.UpdateSelectionEnd();
        D.ChangeCaret(false, true, false, false);
      } else {
        ScrollToEdge(D, Down);
      }
      return true;
    }
    D.CaretOffs = edgeStop;
    D.UpdateSelectionEnd();
    D.ChangeCaret(false, true, false, false);
    return false;
  }
  if (Ctrl) {
    if (Down)
      ParagraphDown(D);
    else
      ParagraphUp(D);
  } else {
    int No = -1, Offs = -1;
    D.FindDrawItemForSel(X, HitY(D, target, Down), No, Offs, false);
    if (No < 0) return false;
    TRVDrawLineInfo* d = D.DrawItems->Get(No);
    TCustomRVItemInfo* item = D.GetItem(d->ItemNo);
    if (!Shift && d->Left <= X && X < d->Left + d->Width &&
        item->EnterItem(Down ? rvedTop : rvedBottom, X - d->Left))
      return false;
    CaretToDrawItem(D, No, Offs);
  }
  if (Shift) D.UpdateSelectionEnd();
  D.ChangeCaret(false, true, false, false);
  return false;
}

}  // namespace caret_move

bool TRVEditRVData::OnUpPress(bool Shift, bool Ctrl) { return caret_move::UpDown(*this, false, Shift, Ctrl); }

bool TRVEditRVData::OnDownPress(bool Shift, bool Ctrl) { return caret_move::UpDown(*this, true, Shift, Ctrl); }

bool TRVEditRVData::OnHomePress(bool Shift, bool Ctrl) {
  if (!caret_move::CaretPlaced(*this)) return Ctrl;
  if (Ctrl) caret_move::CaretToDrawItem(*this, 0, GetOffsBeforeDrawItem(0));
  CaretOffs = 0;
  if (Shift) UpdateSelectionEnd();
  ChangeCaret(false, true, false, false);
  return Ctrl;
}

bool TRVEditRVData::OnEndPress(bool Shift, bool Ctrl) {
  if (!caret_move::CaretPlaced(*this)) return Ctrl;
  if (Ctrl) {
    const int last = DrawItems->Count() - 1;
    caret_move::CaretToDrawItem(*this, last, GetOffsAfterDrawItem(last));
  }
  CaretOffs = CharEnds.Count() - 1;
  if (Shift) UpdateSelectionEnd();
  ChangeCaret(false, true, false, false);
  return Ctrl;
}

namespace caret_move {

void Page(TRVEditRVData& D, bool Down, bool Shift) {
  if (!CaretPlaced(D)) return;
  const bool reversed = D.IsLineOrderReversed();
  const int X = UpDownX(D);
  const int H = reversed ? -D.GetHeight() : D.GetHeight();
  // The direction Y goes in: down the document for Page Down in normal line order.
  const int dir = Down ? 1 : -1;
  int Y = D.GetVOffs() + dir * (H * 3 / 4);
  const int step = dir * (H / 2);
  const bool towardsEnd = (step > 0) || (step == 0 && dir * (reversed ? -1 : 1) > 0);
  const int caretDI = Stop(D, D.CaretOffs)->DrawItemNo;
  int No = -1, Offs = -1;
  bool found = false;
  while (towardsEnd ? Y < D.DocumentHeight : Y > 0) {
    D.FindDrawItemForSel(X, Y, No, Offs, false);
    Y += step;
    if (No >= 0 && (Down ? No > caretDI : No < caretDI)) {
      found = true;
      break;
    }
    // A view too small to move by leaves nothing further to find.
    if (step == 0) break;
  }
  if (!found) {
    if (Down)
      D.OnEndPress(Shift, true);
    else
      D.OnHomePress(Shift, true);
    return;
  }
  CaretToDrawItem(D, No, Offs);
  if (Shift) D.UpdateSelectionEnd();
  if (!Down) {
    D.ChangeCaret(false, !reversed, false, false);
    if (reversed) D.ScrollTo(D.GetTransformedDItemTop(D.CaretDrawItemNo), true);
  } else if (!reversed) {
    D.ChangeCaret(false, false, false, false);
    D.ScrollTo(D.GetTransformedDItemTop(D.CaretDrawItemNo), true);
  } else {
    D.ChangeCaret(false, true, false, false);
  }
}

}  // namespace caret_move

void TRVEditRVData::OnPgUpPress(bool Shift) { caret_move::Page(*this, false, Shift); }

void TRVEditRVData::OnPgDownPress(bool Shift) { caret_move::Page(*this, true, Shift); }

void TRVEditRVData::MoveCaretToTheBeginningOfThePrevParagraph(bool Select) {
  if (!caret_move::CaretPlaced(*this)) return;
  int d = CharEnds.GetItem(CaretOffs)->DrawItemNo;
  while (d > 0 && !IsDrawItemParaStart(d)) --d;
  if (d > 0) --d;
  while (d > 0 && !IsDrawItemParaStart(d)) --d;
  caret_move::CaretToDrawItem(*this, d, GetOffsBeforeDrawItem(d));
  if (Select) UpdateSelectionEnd();
  ChangeCaret(false, true, false, false);
}

void TRVEditRVData::MoveCaretToTheEndOfTheNextParagraph(bool Select) {
  if (!caret_move::CaretPlaced(*this)) return;
  const int n = DrawItems->Count();
  int d = CharEnds.GetItem(CaretOffs)->DrawItemNo;
  while (d + 1 < n && !IsDrawItemParaStart(d + 1)) ++d;
  if (d + 1 < n) ++d;
  while (d + 1 < n && !IsDrawItemParaStart(d + 1)) ++d;
  caret_move::CaretToDrawItem(*this, d, GetOffsAfterDrawItem(d));
  if (Select) UpdateSelectionEnd();
  ChangeCaret(false, true, false, false);
}
