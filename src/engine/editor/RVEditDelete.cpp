// Deleting the selection: whether it may go (protection, read-only paragraphs, persistent
// checkpoints and the editor's veto), the deletion itself as one undo step with the joining of
// what is left around it, and the reformatting shared with the Delete and Backspace keys.
#include <algorithm>
#include <memory>

#include "engine/document/RVItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/base/Classes.h"

namespace del_sel {

// The editor that shows the whole document: its events speak for every sub-document.
TCustomViroZereEdit* RootEditor(TRVEditRVData* D) {
  auto* root = dynamic_cast<TRVEditRVData*>(D->GetAbsoluteRootData());
  return (root ? root : D)->GetEditor();
}

// The editor's last word on a deletion it would otherwise allow.
bool AskOnDeleting(TRVEditRVData* D) {
  bool allowed = true;
  TCustomViroZereEdit* editor = RootEditor(D);
  if (editor && editor->OnDeleting) editor->OnDeleting(editor, allowed);
  return allowed;
}

bool IsText(TRVEditRVData* D, int ItemNo) { return D->GetItem(ItemNo)->StyleNo >= 0; }

// A text item with text whose style gives an empty item a width: selected whole, it is emptied
// rather than removed, so that the place it marks stays.
bool IsWideTextItemWithText(TRVEditRVData* D, int ItemNo) {
  TCustomRVItemInfo* item = D->GetItem(ItemNo);
  if (item->StyleNo < 0 || D->GetItemTextW(ItemNo).empty()) return false;
  TRVStyle* st = D->GetRVStyle();
  const int style = D->GetActualStyle(item);
  return st && style >= 0 && style < st->TextStyles()->Count() && st->TextStyles()->Items(style)->EmptyWidth > 0;
}

// The one wide text item that the (normalised) bounds cover whole; -1 when they cover more or other.
int SingleWideItem(TRVEditRVData* D, int StartNo, int StartOffs, int EndNo, int EndOffs) {
  int itemNo = -1;
  if (!D->DoGetSingleSelectedItem(StartNo, StartOffs, EndNo, EndOffs, itemNo)) return -1;
  return IsWideTextItemWithText(D, itemNo) ? itemNo : -1;
}

// Whether deleting From..To of the item is allowed by its protection.
bool PartMayGo(TRVEditRVData* D, int ItemNo, int From, int To) {
  const int before = D->GetOffsBeforeItem(ItemNo), after = D->GetOffsAfterItem(ItemNo);
  if (From >= To || To <= before || From >= after) return true;
  if (!IsText(D, ItemNo)) return !D->IsProtected(ItemNo, rvprDeleteProtect);
  const bool whole = From <= before && To >= after;
  if (whole && D->IsProtected(ItemNo, rvprDeleteProtect)) return false;
  if (!whole && D->IsProtected(ItemNo, rvprModifyProtect)) return false;
  return true;
}

// (A, AOffs) strictly after (B, BOffs).
bool PosAfter(int A, int AOffs, int B, int BOffs) { return A > B || (A == B && AOffs > BOffs); }

}  // namespace del_sel

bool TRVEditRVData::CanDelete() {
  using namespace del_sel;
  if (!SelectionExists(true, false)) {
    if (!FPartialSelectedItem) return true;
    return FPartialSelectedItem->CanDeletePartiallySelected() && AskOnDeleting(this);
  }
  if (TCustomRVData* chosen = GetChosenRVData()) {
    auto* edit = dynamic_cast<TRVEditRVData*>(chosen);
    return edit && edit->CanDelete();
  }
  int StartNo, EndNo, StartOffs, EndOffs;
  StoreSelBounds(StartNo, EndNo, StartOffs, EndOffs, true);
  if (StartNo < 0 || EndNo < 0) return true;
  if (int wide = SingleWideItem(this, StartNo, StartOffs, EndNo, EndOffs); wide >= 0)
    return !IsProtected(wide, rvprModifyProtect);
  for (int i = StartNo + 1; i < EndNo; ++i)
    if (IsProtected(i, rvprDeleteProtect)) return false;
  if (StartNo == EndNo) {
    if (!PartMayGo(this, StartNo, StartOffs, EndOffs)) return false;
  } else if (!PartMayGo(this, StartNo, StartOffs, GetOffsAfterItem(StartNo)) ||
             !PartMayGo(this, EndNo, GetOffsBeforeItem(EndNo), EndOffs)) {
    return false;
  }
  // A read-only paragraph goes whole or not at all.
  if (IsItemParaProtected(StartNo) && (!IsParaStart(StartNo) || StartOffs > GetOffsBeforeItem(StartNo)))
    return false;
  if (IsItemParaProtected(EndNo) &&
      (EndOffs < GetOffsAfterItem(EndNo) || (EndNo + 1 < ItemCount() && !IsParaStart(EndNo + 1))))
    return false;
  if (IsItemParaProtected(StartNo) && StartNo == EndNo && StartOffs == EndOffs) return false;
  if (IsParaProtected(FCurParaStyleNo, rvpaoReadOnly)) return false;
  // A persistent checkpoint must not leave the start of its paragraph: the paragraphs after the
  // first one inside the selection would join the first.
  int firstParaStart = -1;
  for (int i = StartNo + 1; i <= EndNo && firstParaStart < 0; ++i)
    if (IsParaStart(i)) firstParaStart = i;
  if (firstParaStart >= 0)
    for (int i = firstParaStart; i < ItemCount() && (i <= EndNo || !IsParaStart(i)); ++i)
      if (ItemHasPersistentCheckpoint(i)) return false;
  return AskOnDeleting(this);
}

bool TRVEditRVData::Reformat_(bool FullFormat, int StartDrawItemNo, int EndDrawItemNo, int ItemsInserted,
                              bool ThisLevelOnly) {
  if (FullFormat && CalculateMinDocWidthPlus(0, nullptr, GetFormatCanvas()) != DocumentWidth) {
    Format_(false, true, false, 0, GetFormatCanvas(), false, false, false, false, false);
    InvalidateDocument();
    return true;
  }
  FormatParas(StartDrawItemNo, EndDrawItemNo, ItemsInserted, ThisLevelOnly);
  return false;
}

bool TRVEditRVData::DeleteSelection_() {
  using namespace del_sel;
  // 1. Nothing selected: only a partly selected item (cells of a table) may have something to delete.
  if (!SelectionExists(true, false)) {
    if (!FPartialSelectedItem) return true;
    TCustomRVItemInfo* item = FPartialSelectedItem;
    const bool allowed = item->CanDeletePartiallySelected();
    if (allowed)
      item->DeletePartiallySelected();
    else
      Beep();
    return allowed;
  }
  // 2. Refusals.
  if (!CanDelete() || GetChosenRVData()) {
    Beep();
    return false;
  }
  int StartNo, EndNo, StartOffs, EndOffs;
  StoreSelBounds(StartNo, EndNo, StartOffs, EndOffs, true);
  if (StartNo < 0 || EndNo < 0) return true;
  // 3. A drop inside what goes would lose its place; one after it follows the content.
  TRVDragDropCaretInfo* drop = GetDragDropCaretInfo();
  if (drop && drop->RVData != this) drop = nullptr;
  if (drop && Item_InsideSelection(drop->ItemNo, drop->ItemOffs, true)) {
    Beep();
    return false;
  }
  if (drop && !PosAfter(drop->ItemNo, drop->ItemOffs, EndNo, EndOffs)) drop = nullptr;

  // 4. One step; from here on every path finishes below.
  const int savedTextStyleNo = FCurTextStyleNo;
  BeginUndoSequence(rvutDelete, true);
  int FirstDrawNo, LastDrawNo;
  {
    int sd, ed, so, eo;
    GetSelBounds(sd, ed, so, eo, true);
    GetParaBoundsEx(sd, ed, FirstDrawNo, LastDrawNo, true);
    // The tail that joins the first paragraph takes its style down to the end of its own
    // paragraph, past line breaks: those lines are laid out again too.
    while (LastDrawNo + 1 < DrawItems->Count() && !IsParaStart(DrawItems->Get(LastDrawNo + 1)->ItemNo)) ++LastDrawNo;
  }
  TRVTag emptyItemTag;
  {
    int rs, re, rso, reo;
    StoreSelBounds(rs, re, rso, reo, false);
    if (re >= 0 && GetItem(re)->StyleNo == FCurTextStyleNo) emptyItemTag = GetItem(re)->Tag;
  }
  Deselect(nullptr, false);

  int firstMarkerItemNo = -1, lastMarkerIndex = -1, lastSeqIndex = -1;
  std::unique_ptr<TRVIntegerList> listNos;
  std::unique_ptr<TStringList> seqNames;
  auto finish = [&] {
    listNos.reset();
    seqNames.reset();
    FCurTextStyleNo = savedTextStyleNo;
    DoAfterFormatAndCaretPositioning(true);
    Change();
    DoSelect();
  };

  try {
    // 5. Bounds: a start at the beginning of an item that continues a line is the end of the
    // previous item (no stray empty item remains); list markers never bound a deletion.
    if (StartNo > 0 && StartOffs <= GetOffsBeforeItem(StartNo) && GetItem(StartNo)->GetSameAsPrev()) {
      --StartNo;
      StartOffs = GetOffsAfterItem(StartNo);
    }
    if (GetItem(StartNo)->StyleNo == ItemKindListMarker && StartNo + 1 < ItemCount()) {
      ++StartNo;
      StartOffs = GetOffsBeforeItem(StartNo);
    }
    if (GetItem(EndNo)->StyleNo == ItemKindListMarker && EndNo + 1 < ItemCount()) {
      ++EndNo;
      EndOffs = GetOffsBeforeItem(EndNo);
    }
    if (EndNo < StartNo || (EndNo == StartNo && EndOffs < StartOffs)) {
      EndNo = StartNo;
      EndOffs = StartOffs;
    }
    PrepareForUpdateRangeAfterMarkersOrSeq(StartNo, EndNo, true, firstMarkerItemNo, lastMarkerIndex, lastSeqIndex,
                                           listNos, seqNames);
    if (drop && !PosAfter(drop->ItemNo, drop->ItemOffs, EndNo, EndOffs)) drop = nullptr;
    // The drop position counted from the document's end, and inside the end item from the
    // characters that go before it.
    const int dropItemsAfter = drop ? ItemCount() - drop->ItemNo : 0;
    int dropShift = 0;
    if (drop && drop->ItemNo == EndNo && IsText(this, EndNo))
      dropShift = EndOffs - (StartNo == EndNo ? StartOffs : GetOffsBeforeItem(EndNo));

    bool full = false;
    int minWidth = 0, removed = 0;
    int caretItemNo = StartNo, caretOffs = StartOffs;
    auto note = [&full](bool fr) { full = full || fr; };

    if (int wide = SingleWideItem(this, StartNo, StartOffs, EndNo, EndOffs); wide >= 0) {
      // 6. The wide item keeps its place, empty.
      GetItem(wide)->ClearLiveSpellingResult();
      const TRVUnicodeString old = GetItemTextW(wide);
      Do_ChangeText(wide, TRVUnicodeString());
      DoItemTextEdit(old, wide);
      caretItemNo = wide;
      caretOffs = GetOffsAfterItem(wide);
    } else {
      // 7. A persistent checkpoint of what goes stays in the paragraph.
      int holder = -1;
      if (StartOffs < GetOffsAfterItem(StartNo) && ItemHasPersistentCheckpoint(StartNo)) {
        holder = StartNo;
      } else {
        for (int i = StartNo + 1; i < EndNo && !IsParaStart(i); ++i)
          if (ItemHasPersistentCheckpoint(i)) {
            holder = i;
            break;
          }
        if (holder < 0 && EndNo > StartNo && EndOffs >= GetOffsAfterItem(EndNo) && GetItem(EndNo)->GetSameAsPrev() &&
            ItemHasPersistentCheckpoint(EndNo))
          holder = EndNo;
      }
      if (holder >= 0) {
        const int dest = StartNo > 0 && StartOffs <= GetOffsBeforeItem(StartNo) && GetItem(StartNo)->GetSameAsPrev()
                             ? StartNo - 1
                             : StartNo;
        if (dest < holder) Do_MoveCP(holder, dest);
      }

      // 8. Delete: the end item, the items between, then the start item.
      bool newParaAfter = false, joinTail = false;
      auto nextStartsLine = [this](int ItemNo) {
        return ItemNo + 1 >= ItemCount() || !GetItem(ItemNo + 1)->GetSameAsPrev();
      };
      int startTo = EndOffs;
      if (StartNo == EndNo) {
        newParaAfter = nextStartsLine(StartNo);
      } else {
        minWidth = std::max(minWidth, CalculateMinItemWidthPlusEx(EndNo));
        bool fr = false;
        if (EndOffs < GetOffsAfterItem(EndNo)) {
          if (IsText(this, EndNo) && EndOffs > GetOffsBeforeItem(EndNo)) {
            GetItem(EndNo)->ClearLiveSpellingResult();
            const TRVUnicodeString old = GetItemTextW(EndNo);
            Do_DeleteSubstring(EndNo, 1, EndOffs - 1);
            DoItemTextEdit(old, EndNo);
          }
          joinTail = true;
        } else {
          newParaAfter = nextStartsLine(EndNo);
          Do_DeleteItem(EndNo, fr);
          note(fr);
          ++removed;
        }
        if (EndNo - 1 >= StartNo + 1) {
          // The primitive measures the items it removes and asks for everything when they were
          // what made the document as wide as it is (measuring them here too cost a second pass
          // over a large selection).
          Do_DeleteItems(StartNo + 1, EndNo - 1, fr);
          note(fr);
          removed += EndNo - 1 - StartNo;
        }
        startTo = GetOffsAfterItem(StartNo);
      }

      // The start item.
      minWidth = std::max(minWidth, CalculateMinItemWidthPlusEx(StartNo));
      TCustomRVItemInfo* start = GetItem(StartNo);
      if (StartOffs <= GetOffsBeforeItem(StartNo) && startTo >= GetOffsAfterItem(StartNo)) {
        const bool continued = StartNo > 0 && start->GetSameAsPrev();
        const bool needEmpty =
            newParaAfter && (!continued || (StartNo > 0 && GetItem(StartNo - 1)->StyleNo == ItemKindListMarker));
        std::unique_ptr<TRVCPInfo> savedCP;
        if (needEmpty && ItemHasPersistentCheckpoint(StartNo)) savedCP = start->Checkpoint->CreateCopy();
        if (!needEmpty && ItemHasPersistentCheckpoint(StartNo)) MovePersistentCheckpoint(StartNo, false);
        const bool br = start->GetBR();
        const int paraNo = start->ParaNo;
        const bool wasText = IsText(this, StartNo);
        const TRVUnicodeString oldText = GetItemTextW(StartNo);
        bool fr = false;
        Do_DeleteItem(StartNo, fr);
        note(fr);
        ++removed;
        if (needEmpty) {
          // The paragraph (or the list item) stays, empty, in the current text style.
          InsertEmptyTextItem(StartNo, emptyItemTag, br, continued, FCurTextStyleNo, paraNo);
          --removed;
          if (wasText) DoItemTextEdit(oldText, StartNo);
          if (savedCP) Do_AddCP(StartNo, savedCP.release());
          caretItemNo = StartNo;
          caretOffs = GetOffsBeforeItem(StartNo);
        } else if (continued || StartNo >= ItemCount()) {
          caretItemNo = StartNo - 1;
          caretOffs = GetOffsAfterItem(caretItemNo);
          if (StartNo < ItemCount() && joinTail) {
            Do_NewLine(StartNo, true, -1, fr);
            note(fr);
          }
        } else {
          if (!IsProtected(StartNo, rvprParaStartProtect)) {
            Do_NewLine(StartNo, false, -1, fr);
            note(fr);
            Do_BR(StartNo, br, fr);
            note(fr);
          }
          caretItemNo = StartNo;
          caretOffs = GetOffsBeforeItem(StartNo);
        }
      } else {
        if (IsText(this, StartNo) && startTo > StartOffs) {
          start->ClearLiveSpellingResult();
          const TRVUnicodeString old = GetItemTextW(StartNo);
          Do_DeleteSubstring(StartNo, StartOffs, startTo - StartOffs);
          DoItemTextEdit(old, StartNo);
        }
        caretItemNo = StartNo;
        caretOffs = StartOffs;
        if (StartNo + 1 < ItemCount()) {
          bool fr = false;
          if (start->GetBoolValue(rvbpFullWidth))
            Do_NewLine(StartNo + 1, false, -1, fr);
          else if (joinTail)
            Do_NewLine(StartNo + 1, true, -1, fr);
          note(fr);
        }
      }
    }

    if (drop) {
      drop->ItemNo = ItemCount() - dropItemsAfter;
      drop->ItemOffs -= dropShift;
    }
    // 9. Join the caret item with the next one when they are alike.
    if (CanConcateItemsAt(caretItemNo, true, false)) {
      const bool firstEmpty = IsText(this, caretItemNo) && GetItemTextW(caretItemNo).empty();
      const bool secondEmpty = IsText(this, caretItemNo + 1) && GetItemTextW(caretItemNo + 1).empty();
      const int firstLength = IsText(this, caretItemNo) ? static_cast<int>(GetItemTextW(caretItemNo).size()) : 0;
      Do_Concate(caretItemNo);
      ++removed;
      if (!secondEmpty && firstEmpty) caretOffs = GetOffsBeforeItem(caretItemNo);
      if (drop && drop->ItemNo > caretItemNo) {
        if (drop->ItemNo == caretItemNo + 1 && !firstEmpty)
          drop->ItemOffs = secondEmpty ? firstLength + 1 : drop->ItemOffs + firstLength;
        --drop->ItemNo;
      }
    }

    // Joining can make a word longer than the document is wide: the width rule asks for
    // everything then, as for any other change of a paragraph's narrowest layout.
    if (caretItemNo >= 0 && caretItemNo < ItemCount() && CalculateMinItemWidthPlusEx(caretItemNo) > DocumentWidth)
      full = true;

    // 10. Live spelling looks at the caret item again; reformat.
    if (auto* viewer = dynamic_cast<TCustomViroZere*>(GetViroZere()))
      viewer->LaterSetBackLiveSpellingTo(this, caretItemNo, 0);
    Reformat_(full || minWidth >= DocumentWidth, FirstDrawNo, LastDrawNo, -removed, true);

    // 11. The caret, off a list marker, without taking styles from where it lands.
    int dNo = -1, dOffs = 0;
    Item2DrawItem(caretItemNo, caretOffs, dNo, dOffs, 2);
    if (dNo >= 0) {
      if (GetItem(DrawItems->Get(dNo)->ItemNo)->StyleNo == ItemKindListMarker && dNo + 1 < DrawItems->Count()) {
        ++dNo;
        dOffs = GetOffsBeforeDrawItem(dNo);
      }
      CaretDrawItemNo = dNo;
      OnChangeCaretLine(dOffs - 2);
      ChangeCaret(false, true, true, false);
    }

    // 12. A paragraph joined from two takes the style of the first; counters after it renumber.
    const int caretItem = GetCurItemNo();
    if (caretItem >= 0) {
      ApplyParaStyle(GetItem(caretItem)->ParaNo, rvscParaStyle, false, false);
      int paraFirst = caretItem;
      while (paraFirst > 0 && !IsParaStart(paraFirst)) --paraFirst;
      UpdateAfterMarkersOrSeq(paraFirst - 1, lastMarkerIndex, lastSeqIndex, listNos.get(), seqNames.get());
    }
  } catch (...) {
    // 13 on the way out of a failure as well; the failure goes on to the caller.
    finish();
    throw;
  }
  // 13.
  finish();
  return true;
}
