// The caret line (its stops) and caret placement: where the caret can stand on its visual line,
// and the step that every caret move and every change ends with (the caret shown at its stop, the
// selection end, the current styles, the hyperlink under the caret).
#include <algorithm>
#include <vector>

#include "engine/layout/DrawLines.h"
#include "engine/document/RVScaleViroZere.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Input.h"

namespace {

// No stop chosen yet while a line is measured.
constexpr int NoCaretStop = 100000;

}  // namespace

void TRVEditRVData::OnChangeCaretLine(int DLOffs) {
  CharEnds.Clear();
  TRVDrawLines& D = *DrawItems;
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= D.Count()) return;
  CaretOffs = NoCaretStop;
  int first, last;
  GetLineBounds(CaretDrawItemNo, first, last);
  if (GetItem(D[first]->ItemNo)->StyleNo == ItemKindListMarker) {
    // The marker never holds the caret: a caret on it goes to the start of what follows.
    if (CaretDrawItemNo == first && first < last) {
      CaretDrawItemNo = first + 1;
      DLOffs = GetOffsBeforeDrawItem(CaretDrawItemNo) - 2;
    }
    ++first;
  }
  if (std::shared_ptr<IRVScaleViroZereInterface> sv = GetScaleViroZereInterface())
    sv->DoBeforeCaretPositioning(this, first, last);
  TRVStyle* st = GetRVStyle();
  auto addStop = [this](int X, int DrawItemNo, int Offset, bool Chosen) {
    TRVCharPos* p = CharEnds.AddPos();
    p->X = X;
    p->DrawItemNo = DrawItemNo;
    p->Offset = Offset;
    if (Chosen) CaretOffs = CharEnds.Count() - 1;
  };
  std::vector<int> pos;
  for (int i = first; i <= last; ++i) {
    TRVDrawLineInfo* d = D[i];
    TCustomRVItemInfo* item = GetItem(d->ItemNo);
    const bool isFirst = i == first, caretHere = i == CaretDrawItemNo, caretNext = i + 1 == CaretDrawItemNo;
    const bool rtl = GetItemBiDiMode(d->ItemNo) == rvbdRightToLeft;
    bool wideEmpty = false;
    if (item->StyleNo >= 0 && d->TextLength == 0 && item->ItemText.empty() && st)
      wideEmpty = st->TextStyles()->Items(GetActualStyle(item))->EmptyWidth > 0;
    if (item->StyleNo < 0 || wideEmpty) {
      if (isFirst)
        addStop(rtl ? d->Left + d->Width : d->Left, i, item->StyleNo < 0 ? 0 : 1, caretHere && DLOffs < 0);
      addStop(rtl ? d->Left : d->Left + d->Width, i, GetOffsAfterDrawItem(i),
              (caretNext && DLOffs < 0) || (caretHere && DLOffs >= (wideEmpty ? 0 : -1)));
      continue;
    }
    const int len = d->TextLength;
    if (len <= 0) {
      addStop(d->Left, i, GetOffsAfterDrawItem(i), (caretNext && DLOffs < 0) || (caretHere && DLOffs >= -1));
      continue;
    }
    // The same positions painting places the characters at: bidi order, justification spacing.
    GetDrawItemCaretPositions(i, pos);
    const int left = d->Left + d->GetSpaceAtLeft();
    const int target = DLOffs + 1;  // the caret's boundary in this draw item
    const WideChar* text = item->ItemText.data() + d->Offs - 1;
    int b = 0;
    while (true) {
      // The next boundary steps over a whole character (a surrogate pair, a combining sequence).
      const int next = b < len ? std::min(static_cast<int>(NextCharPtr(text + b) - text), len) : len + 1;
      bool chosen = false;
      if (caretHere) {
        if (b == 0 && DLOffs < 0) chosen = true;
        else if (b <= target && target < next) chosen = true;
        else if (b == len && target > len) chosen = true;
      }
      if (b == len && caretNext && DLOffs < 0) chosen = true;
      if (b > 0 || isFirst) addStop(left + pos[static_cast<std::size_t>(b)], i, b + 1, chosen);
      if (b >= len) break;
      b = std::max(next, b + 1);
    }
  }
  if (CaretOffs == NoCaretStop && CharEnds.Count() > 0) {
    // A position inside the first character of a draw item that shares its start with the one
    // before: the stop before that character, which the previous draw item holds.
    for (int k = CharEnds.Count() - 1; k >= 0; --k)
      if (CharEnds.GetItem(k)->DrawItemNo < CaretDrawItemNo ||
          (CharEnds.GetItem(k)->DrawItemNo == CaretDrawItemNo && k == 0)) {
        CaretOffs = k;
        break;
      }
    if (CaretOffs == NoCaretStop) CaretOffs = 0;
  }
}

void TRVEditRVData::ChangeCaret(bool /*ForceCreate*/, bool ScrollToCaret, bool DontChangeStyle, bool RefreshBefore) {
  if (State.Contains(rvstSkipFormatting)) return;
  TCustomViroZereEdit* editor = GetEditor();
  TRVScroller* control = GetScroller();
  const bool pageLayout = GetScaleViroZereInterface() != nullptr;
  if (RefreshBefore && !pageLayout) {
    UpdateResizer();
    if (control && control->HandleAllocated()) UpdateWindow(control->GetHandle());
  }
  // Handles left from a selection that is gone (a deselection without events) would keep the
  // caret hidden.
  if (FResizer && !FResizer->IsDragging() && !SelectionExists(false, false)) DestroyResizer();
  const bool focused = control && control->Focused();
  auto hideCaret = [&] {
    if (focused) HideCaret(control->GetHandle());
  };
  auto announce = [&] {
    if (editor) editor->AfterCaretMove();
  };
  if (FPartialSelectedItem || GetInplaceEditor() || State.Contains(rvstCompletelySelected)) {
    hideCaret();
    announce();
    return;
  }
  TRVDrawLines& D = *DrawItems;
  const bool placed = CaretDrawItemNo >= 0 && CaretDrawItemNo < D.Count();
  int height = 0, X = 0, Y = 0;
  if (FResizer) {
    hideCaret();
  } else {
    if (placed) {
      if (CaretOffs < 0 || CaretOffs >= CharEnds.Count()) {
        // A broken caret is put back at the start with a valid line, so the next placement works.
        CaretDrawItemNo = 0;
        OnChangeCaretLine(GetOffsBeforeDrawItem(0) - 2);
        throw EViroZereError("Invalid caret position. Please contact the developer, if you can reproduce this problem");
      }
      TRVCharPos* cp = CharEnds.GetItem(CaretOffs);
      CaretDrawItemNo = cp->DrawItemNo;
      if (!SelectionExists(false, false)) {
        FSelStartNo = CaretDrawItemNo;
        FSelStartOffs = cp->Offset;
      }
      FSelEndNo = CaretDrawItemNo;
      FSelEndOffs = cp->Offset;
      height = std::clamp(D[CaretDrawItemNo]->Height + 2, 0, 1000);
      X = cp->X;
      Y = GetTransformedDItemTop(CaretDrawItemNo) - 1;
    }
    if (CaretHeight != 0 && focused) {
      HideCaret(control->GetHandle());
      DestroyCaret();
    }
    TRVDragDropCaretInfo* dd = GetDragDropCaretInfo();
    const bool dragCaret = dd && dd->RVData;
    const bool hiddenReadOnly = editor && editor->GetReadOnly() && editor->GetEditorOptions().Contains(rvoHideReadOnlyCaret);
    if (height != 0 && !dragCaret && !hiddenReadOnly && focused) {
      TRVDrawLineInfo* d = D[CaretDrawItemNo];
      DWORD caretWidth = 1;
      if (!SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &caretWidth, 0) || caretWidth < 1) caretWidth = 1;
      TRect r;
      r.Left = X - GetHOffs();
      r.Top = Y + d->Height - GetVOffs() - height + 1;
      r.Right = r.Left + static_cast<int>(caretWidth);
      r.Bottom = r.Top + height;
      FCaretPosAdjustable = true;
      if (GetItemBiDiMode(d->ItemNo) == rvbdRightToLeft) {
        const int shift = static_cast<int>(caretWidth) - 1;
        r.Left -= shift;
        r.Right -= shift;
      }
      if (GetRootEditProperties()->CustomCaretInterval > 0) {
        FCustomCaretRect = r;
      } else {
        RotateRectFromDocToScreen(r, rvtrbAbsRoot);
        CreateCaret(control->GetHandle(), r.Width(), r.Height());
        SetCaretPos(r.Left, r.Top);
        ShowCaret(control->GetHandle());
      }
    }
    CaretHeight = placed ? height : 0;
  }
  if (placed && CaretOffs >= 0 && CaretOffs < CharEnds.Count()) {
    // The style source: the caret's item, or the visible item to its left when the caret stands
    // at the start of an item that continues the line.
    TRVDrawLineInfo* cd = D[CaretDrawItemNo];
    int srcNo = cd->ItemNo;
    TRVCharPos* cp = CharEnds.GetItem(CaretOffs);
    if (srcNo > 0 && !IsFromNewLine(srcNo) && cp->Offset == GetOffsBeforeItem(srcNo) &&
        cd->Offs <= 1 && !IsHiddenItem(srcNo - 1) && GetItem(srcNo - 1)->StyleNo != ItemKindListMarker)
      --srcNo;
    const int oldPara = FCurParaStyleNo;
    if (!DontChangeStyle) FCurParaStyleNo = GetItem(srcNo)->ParaNo;
    TRVStyle* st = GetRVStyle();
    TCustomRVItemInfo* src = GetItem(srcNo);
    if (src->GetBoolValueEx(rvbpDisplayActiveState, st)) {
      if (FActiveItem != src) {
        FActiveItem = src;
        InvalidateDrawItem(CaretDrawItemNo, 0);
      }
    } else if (FActiveItem) {
      FActiveItem = nullptr;
      InvalidateDrawItem(CaretDrawItemNo, 0);
    }
    if (SelectionExists(false, false)) {
      int sNo, eNo, sOffs, eOffs;
      GetSelBounds(sNo, eNo, sOffs, eOffs, false);
      if (eNo >= 0 && eNo < D.Count()) {
        srcNo = D[eNo]->ItemNo;
        const bool backward = eNo < sNo || (eNo == sNo && eOffs < sOffs);
        if (backward && eOffs >= GetOffsAfterDrawItem(eNo) && eNo + 1 < D.Count() &&
            !IsParaStart(D[eNo + 1]->ItemNo))
          srcNo = D[eNo + 1]->ItemNo;
        src = GetItem(srcNo);
      }
    }
    if (!DontChangeStyle && editor && st) {
      int textStyle = -1;
      if (src->StyleNo >= 0) textStyle = src->StyleNo;
      else if (src->GetBoolValue(rvbpSwitchToAssStyleNo)) textStyle = src->GetAssociatedTextStyleNo();
      const int count = st->TextStyles()->Count();
      if (textStyle >= 0 && textStyle < count) {
        if (st->TextStyles()->Items(textStyle)->Protection.Contains(rvprDoNotAutoSwitch)) {
          // Text that must not become the typing style: typing goes on in the style used before.
          if (FPrevTextStyleNo >= 0 && FPrevTextStyleNo < count &&
              !st->TextStyles()->Items(FPrevTextStyleNo)->Protection.Contains(rvprDoNotAutoSwitch))
            editor->SetCurTextStyleNo(FPrevTextStyleNo);
        } else {
          editor->SetCurTextStyleNo(textStyle);
          FPrevTextStyleNo = textStyle;
        }
      }
      if (FCurParaStyleNo != oldPara) {
        const bool had = State.Contains(rvstForceStyleChangeEvent);
        State.Include(rvstForceStyleChangeEvent);
        struct TRestore {
          TRVEditRVData* Data;
          bool Had;
          ~TRestore() {
            if (!Had) Data->State.Exclude(rvstForceStyleChangeEvent);
          }
        } restore{this, had};
        editor->SetCurParaStyleNo(FCurParaStyleNo);
      }
    }
    if (!(editor && editor->GetReadOnly())) {
      const bool link = src->GetBoolValueEx(rvbpHotColdJump, st) &&
                        !(editor && editor->GetEditorOptions().Contains(rvoNoCaretHighlightJumps));
      if (link) {
        InvalidateHighlightedJump();
        int first = CaretDrawItemNo, lastDI = CaretDrawItemNo;
        while (first > 0 && D[first - 1]->ItemNo == srcNo) --first;
        while (first < D.Count() && D[first]->ItemNo != srcNo) ++first;
        lastDI = first;
        while (lastDI + 1 < D.Count() && D[lastDI + 1]->ItemNo == srcNo) ++lastDI;
        if (first < D.Count()) {
          LastJumpDIMovedAboveFirst = first;
          LastJumpDIMovedAboveLast = lastDI;
          ExpandHoverJumpRange();
          State.Include(rvstDrawHover);
          InvalidateHighlightedJump();
        }
      } else if (LastJumpDIMovedAboveFirst >= 0) {
        InvalidateHighlightedJump();
        State.Exclude(rvstDrawHover);
        LastJumpDIMovedAboveFirst = LastJumpDIMovedAboveLast = -1;
      }
    }
  }
  if (!FResizer && ScrollToCaret && CaretHeight != 0 && !FCaptureMouseItem) ShowRectangle(X, Y, 5, CaretHeight);
  announce();
}

bool TRVEditRVData::IsCharOffsAtTheLineEndAndItemEnd(int Offs) {
  if (Offs < 0 || Offs != CharEnds.Count() - 1) return false;
  TRVCharPos* p = CharEnds.GetItem(Offs);
  return CharEndsItemOffs(Offs) >= GetOffsAfterItem(DrawItems->Get(p->DrawItemNo)->ItemNo);
}

bool TRVEditRVData::IsCharOffsAtTheLineStartAndItemStart(int Offs) {
  if (Offs != 0 || CharEnds.Count() == 0) return false;
  return CharEndsItemOffs(0) <= GetOffsBeforeItem(DrawItems->Get(CharEnds.GetItem(0)->DrawItemNo)->ItemNo);
}
