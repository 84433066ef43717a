// The Delete and Backspace keys without a selection. Backspace removes what stands before the
// caret: a character, a word, a whole item, a list marker, a page break or the break between two
// paragraphs. Delete steps one caret stop to the right and performs Backspace there, or joins the
// next paragraph when the caret stands at a paragraph's end. Every change goes through the
// primitives, so that one undo step gives the document back.
#include <algorithm>
#include <memory>

#include "engine/document/RVItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"

namespace delete_keys {

bool IsMarker(TRVEditRVData& D, int ItemNo) {
  return ItemNo >= 0 && ItemNo < D.ItemCount() && D.GetItem(ItemNo)->StyleNo == ItemKindListMarker;
}

bool IsEmptyText(TRVEditRVData& D, int ItemNo) {
  return ItemNo >= 0 && ItemNo < D.ItemCount() && D.GetItem(ItemNo)->StyleNo >= 0 && D.GetItemTextW(ItemNo).empty();
}

// Whether the text style of a text item gives it a width even when it holds no text.
bool HasEmptyWidth(TRVEditRVData& D, int ItemNo) {
  TRVStyle* st = D.GetRVStyle();
  if (!st || ItemNo < 0 || ItemNo >= D.ItemCount() || D.GetItem(ItemNo)->StyleNo < 0) return false;
  const int style = D.GetActualStyle(D.GetItem(ItemNo));
  return style >= 0 && style < st->TextStyles()->Count() && st->TextStyles()->Items(style)->EmptyWidth > 0;
}

bool IsFullWidth(TRVEditRVData& D, int ItemNo) {
  return ItemNo >= 0 && ItemNo < D.ItemCount() && D.GetItem(ItemNo)->GetBoolValue(rvbpFullWidth);
}

// The control's gate; a data without a control edits freely.
bool ChangeAllowed(TRVEditRVData& D) {
  TCustomViroZereEdit* editor = D.GetEditor();
  return !editor || editor->BeforeChange(false);
}

// The same test MovePersistentCheckpoint makes, asked before anything is changed.
bool CheckpointCanMove(TRVEditRVData& D, int ItemNo) {
  const bool nextFree = ItemNo + 1 < D.ItemCount() && !D.IsParaStart(ItemNo + 1) && !D.GetItem(ItemNo + 1)->Checkpoint;
  const bool prevFree = ItemNo > 0 && !D.IsParaStart(ItemNo) && !D.GetItem(ItemNo - 1)->Checkpoint;
  return nextFree || prevFree;
}

// After a full formatting the whole window is painted again.
void InvalidateView(TRVEditRVData& D) {
  if (TRVScroller* s = D.GetScroller()) s->Invalidate();
}

TCustomViroZere* Viewer(TRVEditRVData& D) { return dynamic_cast<TCustomViroZere*>(D.GetViroZere()); }

void SetBackLiveSpelling(TRVEditRVData& D, int ItemNo) {
  if (TCustomViroZere* v = Viewer(D)) v->LaterSetBackLiveSpellingTo(&D, ItemNo, 0);
}

bool IsDelimiter(const TRVUnicodeString& Delimiters, WideChar Ch) {
  return Delimiters.find(Ch) != TRVUnicodeString::npos;
}

// The code units Ctrl+Backspace removes from the Before units that precede the caret: the spaces
// before the caret, then the word before them.
int WordBeforeLength(const TRVUnicodeString& Text, int Before, const TRVUnicodeString& Delimiters) {
  int k = Before;
  while (k > 0 && Text[static_cast<size_t>(k - 1)] == u' ') --k;
  if (k > 0) {
    --k;
    while (k > 0) {
      const WideChar a = Text[static_cast<size_t>(k - 1)], b = Text[static_cast<size_t>(k)];
      const bool da = IsDelimiter(Delimiters, a), db = IsDelimiter(Delimiters, b);
      if ((da && !db) || (!da && a != u' ' && db)) break;
      --k;
    }
  }
  return std::max(Before - k, 1);
}

// The code units Ctrl+Delete removes from index Start (0-based): the word, then the spaces after it.
int WordAfterLength(const TRVUnicodeString& Text, int Start, const TRVUnicodeString& Delimiters) {
  const int len = static_cast<int>(Text.size());
  int k = Start;
  if (k < len) {
    ++k;
    while (k < len) {
      const WideChar a = Text[static_cast<size_t>(k - 1)], b = Text[static_cast<size_t>(k)];
      const bool da = IsDelimiter(Delimiters, a), db = IsDelimiter(Delimiters, b);
      if ((!da && db) || (da && !db) || (da && db && ((a == u' ') != (b == u' ')))) break;
      ++k;
    }
  }
  while (k < len && Text[static_cast<size_t>(k)] == u' ') ++k;
  return std::max(k - Start, 1);
}

// The draw items formatted again after a key's change: the caret line's paragraphs and one
// paragraph on each side. Taken before the change, while the draw items still match the items.
void CaretReformatRange(TRVEditRVData& D, int& First, int& Last) {
  First = Last = D.CaretDrawItemNo;
  if (D.CharEnds.Count() > 0) {
    First = D.CharEnds.GetItem(0)->DrawItemNo;
    Last = D.CharEnds.GetItem(D.CharEnds.Count() - 1)->DrawItemNo;
  }
  int f = First, l = Last;
  D.GetParaBoundsEx(f, l, First, Last, true);
}

// Formats after a key's change: everything when Full asks for it and the narrowest layout of the
// document no longer matches its width, else the paragraphs of the range (the same rule as the
// deletion of a selection follows). True when everything was formatted.
bool ReformatAfterKey(TRVEditRVData& D, bool Full, int FirstDrawItemNo, int LastDrawItemNo, int ItemsInserted) {
  return D.Reformat_(Full, FirstDrawItemNo, LastDrawItemNo, ItemsInserted, true);
}

// Shows the caret at an item position; ApplyPara gives the caret's paragraph one style again
// (a paragraph joined from two takes the first one's).
void PlaceCaret(TRVEditRVData& D, int ItemNo, int ItemOffs, bool ApplyPara) {
  if (D.ItemCount() == 0) return;
  ItemNo = std::clamp(ItemNo, 0, D.ItemCount() - 1);
  // A list marker never holds the caret: the start of what follows it does.
  if (IsMarker(D, ItemNo) && ItemNo + 1 < D.ItemCount()) {
    ++ItemNo;
    ItemOffs = D.GetOffsBeforeItem(ItemNo);
  }
  D.SetCaretAtItem(ItemNo, ItemOffs);
  D.ChangeCaret(false, true, false, true);
  if (ApplyPara) D.ApplyParaStyle(D.GetCurParaStyleNo(), rvscParaStyle, false, false);
}

// List markers and numbered sequences among deleted items: the numbers after them are
// recounted once the deletion is formatted.
struct TRenumbering {
  int FirstItemNo = -1, LastMarkerIndex = -1, LastSeqIndex = -1;
  std::unique_ptr<TRVIntegerList> ListNos;
  std::unique_ptr<TStringList> SeqNames;
  void Prepare(TRVEditRVData& D, int StartNo, int EndNo) {
    D.PrepareForUpdateRangeAfterMarkersOrSeq(StartNo, EndNo, true, FirstItemNo, LastMarkerIndex, LastSeqIndex, ListNos,
                                             SeqNames);
  }
  // From the item before the place of the deletion.
  void Apply(TRVEditRVData& D, int ItemBefore) {
    if (!ListNos && !SeqNames) return;
    D.UpdateAfterMarkersOrSeq(std::max(ItemBefore, -1), LastMarkerIndex, LastSeqIndex, ListNos.get(), SeqNames.get());
  }
};

// ---- Backspace inside a line ---------------------------------------------------------------------

bool DeleteCharacters(TRVEditRVData& D, int ItemNo, int Index, int Count) {
  const bool hadKeyPress = D.State.Contains(rvstKeyPress);
  D.State.Include(rvstKeyPress);
  const bool allowed = ChangeAllowed(D);
  if (!hadKeyPress) D.State.Exclude(rvstKeyPress);
  if (!allowed) return false;
  if (D.IsProtected(ItemNo, rvprModifyProtect)) {
    D.Beep();
    return false;
  }
  const bool full = D.CalculateParaSectionMinWidthDef(ItemNo) >= D.DocumentWidth;
  int first, last;
  CaretReformatRange(D, first, last);
  const TRVUnicodeString oldText = D.GetItemTextW(ItemNo);
  D.Do_DeleteSubstring(ItemNo, Index, Count);
  D.DoItemTextEdit(oldText, ItemNo);
  if (TCustomViroZere* v = Viewer(D)) v->AdjustLiveSpellingOnDelete(&D, ItemNo, Index, Count);
  ReformatAfterKey(D, full, first, last, 0);
  PlaceCaret(D, ItemNo, Index, false);
  D.DoAfterFormatAndCaretPositioning(true);
  return true;
}

// The last content of a paragraph goes: an empty text item keeps the paragraph.
bool ReplaceByEmptyItem(TRVEditRVData& D, int ItemNo) {
  if (!ChangeAllowed(D)) return false;
  if (D.IsItemParaProtected(ItemNo) || D.IsProtected(ItemNo, rvprDeleteProtect)) {
    D.Beep();
    return false;
  }
  TCustomRVItemInfo* old = D.GetItem(ItemNo);
  const int styleNo = D.GetActualCurStyleNo();
  const TRVTag tag = old->StyleNo == styleNo ? old->Tag : TRVTag();
  std::unique_ptr<TCustomRVItemInfo> item(
      D.CreateTextItem(tag, D.GetCurParaStyleNo(), old->GetBR(), old->GetSameAsPrev(), styleNo));
  if (old->Checkpoint) item->Checkpoint = old->Checkpoint->CreateCopy().release();
  const bool wasText = old->StyleNo >= 0;
  // The paragraph stays, and so does its page break and the clearing of floating boxes.
  const bool pageBreak = old->GetPageBreakBefore(), clearLeft = old->GetClearLeft(), clearRight = old->GetClearRight();
  const TRVUnicodeString oldText = D.GetItemTextW(ItemNo);
  bool full = D.CalculateMinItemWidthPlusEx(ItemNo) >= D.DocumentWidth;
  int first, last;
  CaretReformatRange(D, first, last);
  bool fr = false;
  D.Do_DeleteItem(ItemNo, fr);
  full = full || fr;
  TRVUnicodeString empty;
  D.Do_InsertItem(ItemNo, empty, item.release(), false, fr);
  full = full || fr;
  if (!D.GetItem(ItemNo)->GetSameAsPrev()) {
    if (pageBreak) D.Do_PageBreak(ItemNo, true);
    if (clearLeft || clearRight) D.Do_ClearTextFlow(ItemNo, clearLeft, clearRight);
  }
  if (wasText) D.DoItemTextEdit(oldText, ItemNo);
  SetBackLiveSpelling(D, ItemNo);
  ReformatAfterKey(D, full, first, last, 0);
  PlaceCaret(D, ItemNo, 1, false);
  D.DoAfterFormatAndCaretPositioning(true);
  return true;
}

// Removes a whole item that continues its paragraph or is followed by items of its paragraph
// (a list marker included: its paragraph then leaves the list).
bool DeleteWholeItem(TRVEditRVData& D, int ItemNo) {
  if (!ChangeAllowed(D)) return false;
  if (D.IsItemParaProtected(ItemNo) || D.IsProtected(ItemNo, rvprDeleteProtect) ||
      (D.ItemHasPersistentCheckpoint(ItemNo) && !CheckpointCanMove(D, ItemNo))) {
    D.Beep();
    return false;
  }
  int targetNo = ItemNo - 1;
  int targetOffs = ItemNo > 0 ? D.GetOffsAfterItem(ItemNo - 1) : 0;
  TRenumbering renumbering;
  renumbering.Prepare(D, ItemNo, ItemNo);
  bool full = D.CalculateMinItemWidthPlusEx(ItemNo) >= D.DocumentWidth;
  TCustomRVItemInfo* item = D.GetItem(ItemNo);
  const bool wasParaStart = !item->GetSameAsPrev();
  const bool br = item->GetBR(), pageBreak = item->GetPageBreakBefore();
  const bool clearLeft = item->GetClearLeft(), clearRight = item->GetClearRight();
  const int paraNo = item->ParaNo;
  int first, last;
  CaretReformatRange(D, first, last);
  if (D.ItemHasPersistentCheckpoint(ItemNo)) D.MovePersistentCheckpoint(ItemNo, false);
  bool fr = false;
  D.Do_DeleteItem(ItemNo, fr);
  full = full || fr;
  int itemsInserted = -1;
  if (ItemNo < D.ItemCount() && D.GetItem(ItemNo)->GetSameAsPrev()) {
    if (!wasParaStart) {
      if (ItemNo > 0 && D.CanConcateItemsAt(ItemNo - 1, false, false)) {
        D.Do_Concate(ItemNo - 1);
        --itemsInserted;
        SetBackLiveSpelling(D, ItemNo - 1);
      }
    } else {
      D.Do_NewLine(ItemNo, false, paraNo, fr);
      full = full || fr;
      D.Do_BR(ItemNo, br, fr);
      full = full || fr;
      D.Do_PageBreak(ItemNo, pageBreak);
      D.Do_ClearTextFlow(ItemNo, clearLeft, clearRight);
      targetNo = ItemNo;
      targetOffs = D.GetOffsBeforeItem(ItemNo);
    }
  }
  if (targetNo < 0) {
    targetNo = 0;
    targetOffs = D.ItemCount() > 0 ? D.GetOffsBeforeItem(0) : 0;
  }
  const bool formattedAll = ReformatAfterKey(D, full, first, last, itemsInserted);
  PlaceCaret(D, targetNo, targetOffs, false);
  if (!formattedAll) renumbering.Apply(D, ItemNo - 1);
  D.DoAfterFormatAndCaretPositioning(true);
  return true;
}

bool BackspaceInsideLine(TRVEditRVData& D, int ItemNo, int DrawOffs, bool Ctrl, bool MultiDelete, int ForceCount) {
  TCustomRVItemInfo* item = D.GetItem(ItemNo);
  if (item->StyleNo >= 0) {
    const TRVUnicodeString text = D.GetItemTextW(ItemNo);
    const int len = static_cast<int>(text.size());
    const int before = std::clamp(D.DrawItems->Get(D.CaretDrawItemNo)->Offs + DrawOffs - 1, 1, len + 1) - 1;
    // Nothing stands before the caret in this item: the line's start handles that position.
    if (before == 0 && len > 0) return false;
    int n = 1;
    if (before > 0) {
      if (Ctrl)
        n = ForceCount > 0 ? ForceCount : WordBeforeLength(text, before, D.GetRootProperties()->Delimiters);
      else if (MultiDelete)
        n = before - static_cast<int>(PrevCharPtr(text.data(), text.data() + before) - text.data());
      else if (before >= 2 && IsLowSurrogate(text[static_cast<size_t>(before - 1)]) &&
               IsHighSurrogate(text[static_cast<size_t>(before - 2)]))
        n = 2;
      n = std::clamp(n, 1, before);
    }
    if (before > 0 && (n < len || (len > 0 && HasEmptyWidth(D, ItemNo))))
      return DeleteCharacters(D, ItemNo, before - n + 1, n);
  }
  const bool startsPara = D.IsParaStart(ItemNo) || IsMarker(D, ItemNo - 1);
  if (startsPara && (ItemNo == D.ItemCount() - 1 || !D.GetItem(ItemNo + 1)->GetSameAsPrev()))
    return ReplaceByEmptyItem(D, ItemNo);
  return DeleteWholeItem(D, ItemNo);
}

// ---- Backspace at the start of a displayed line --------------------------------------------------

bool BackspaceAtLineStart(TRVEditRVData& D, int ItemNo, bool MarkerBefore) {
  // A page break before the paragraph is all that goes.
  TCustomRVItemInfo* paraItem = D.GetItem(MarkerBefore ? ItemNo - 1 : ItemNo);
  if (paraItem->GetPageBreakBefore()) {
    if (!ChangeAllowed(D)) return false;
    D.Do_PageBreak(ItemNo, false);
    D.Format_(true, true, false, 0, D.GetFormatCanvas(), false, false, false, false, false);
    D.DoAfterFormatAndCaretPositioning(true);
    D.Change();
    InvalidateView(D);
    return true;
  }
  if (MarkerBefore) return DeleteWholeItem(D, ItemNo - 1);
  const int prev = D.GetPrevVisibleItemNo(ItemNo);
  // The caret's own empty paragraph (or line) goes.
  if (IsEmptyText(D, ItemNo) && (!HasEmptyWidth(D, ItemNo) || D.CaretOffs != 0)) {
    if (!ChangeAllowed(D)) return false;
    if (D.IsProtected(ItemNo, rvprDeleteProtect) || D.IsItemParaProtected(ItemNo) ||
        D.ItemHasPersistentCheckpoint(ItemNo)) {
      D.Beep();
      return false;
    }
    int first, last;
    CaretReformatRange(D, first, last);
    bool fr = false;
    D.Do_DeleteItem(ItemNo, fr);
    ReformatAfterKey(D, fr, first, last, -1);
    if (prev >= 0)
      PlaceCaret(D, prev, D.GetOffsAfterItem(prev), true);
    else if (const int firstVisible = D.GetFirstVisibleItemNo(); firstVisible >= 0)
      PlaceCaret(D, firstVisible, D.GetOffsBeforeItem(firstVisible), true);
    D.DoAfterFormatAndCaretPositioning(true);
    return true;
  }
  if (prev < 0) return true;
  // An empty line before the caret's goes.
  if (IsEmptyText(D, prev) && (D.IsFromNewLine(prev) || IsMarker(D, prev - 1))) {
    if (!ChangeAllowed(D)) return false;
    const bool afterMarker = IsMarker(D, prev - 1);
    if (D.IsProtected(prev, rvprDeleteProtect) || D.IsItemParaProtected(prev) || D.IsItemParaProtected(ItemNo) ||
        D.ParaHasPersistentCheckpoint(prev) || (afterMarker && D.ParaHasPersistentCheckpoint(ItemNo))) {
      D.Beep();
      return false;
    }
    int first, last;
    CaretReformatRange(D, first, last);
    bool full = false, fr = false;
    if (!D.GetItem(prev)->GetBR()) {
      D.Do_BR(ItemNo, false, fr);
      full = full || fr;
    }
    if (afterMarker) {
      D.Do_NewLine(ItemNo, true, -1, fr);
      full = full || fr;
    }
    D.Do_DeleteItem(prev, fr);
    full = full || fr;
    ReformatAfterKey(D, full, first, last, -1);
    PlaceCaret(D, ItemNo - 1, D.GetOffsBeforeItem(ItemNo - 1), false);
    D.DoAfterFormatAndCaretPositioning(true);
    return true;
  }
  const bool refused = D.IsItemParaProtected(prev) || D.IsItemParaProtected(ItemNo) ||
                       D.IsProtected(ItemNo, rvprParaStartProtect) || D.ParaHasPersistentCheckpoint(ItemNo);
  // Two texts that can be one item become one.
  if (prev == ItemNo - 1 && D.CanConcateItemsAt(prev, false, true)) {
    if (!ChangeAllowed(D)) return false;
    if (refused) {
      D.Beep();
      return false;
    }
    int first, last;
    CaretReformatRange(D, first, last);
    const TRVUnicodeString oldText = D.GetItemTextW(prev);
    D.Do_Concate(prev);
    D.DoItemTextEdit(oldText, prev);
    SetBackLiveSpelling(D, prev);
    D.FormatParasExact(first, last, -1, false, true);
    PlaceCaret(D, prev, static_cast<int>(oldText.size()) + 1, true);
    D.DoAfterFormatAndCaretPositioning(true);
    return true;
  }
  // Otherwise the paragraph continues the previous one.
  if (!ChangeAllowed(D)) return false;
  if (refused) {
    D.Beep();
    return false;
  }
  int first, last;
  CaretReformatRange(D, first, last);
  bool fr = false;
  D.Do_NewLine(ItemNo, true, -1, fr);
  ReformatAfterKey(D, fr, first, last, 0);
  PlaceCaret(D, ItemNo, D.GetOffsBeforeItem(ItemNo), true);
  D.DoAfterFormatAndCaretPositioning(true);
  return true;
}

// ---- Delete at the end of a displayed line -------------------------------------------------------

// An empty text item removed by Delete: the caret's own (Forward, the caret then goes to what
// followed it) or the one on the next line (the caret stays at the end of its line).
void DeleteEmptyItemForward(TRVEditRVData& D, int ItemNo, bool Forward) {
  if (!ChangeAllowed(D)) return;
  const bool afterMarker = IsMarker(D, ItemNo - 1);
  if (D.IsProtected(ItemNo, rvprDeleteProtect) || D.IsItemParaProtected(ItemNo) ||
      D.ParaHasPersistentCheckpoint(ItemNo) || (afterMarker && D.IsProtected(ItemNo - 1, rvprDeleteProtect))) {
    D.Beep();
    return;
  }
  int first, last;
  CaretReformatRange(D, first, last);
  TRenumbering renumbering;
  if (afterMarker) renumbering.Prepare(D, ItemNo - 1, ItemNo);
  bool full = false, fr = false;
  if (Forward && !D.GetItem(ItemNo)->GetBR() && ItemNo + 1 < D.ItemCount()) {
    D.Do_BR(ItemNo + 1, false, fr);
    full = full || fr;
  }
  int at = ItemNo, itemsInserted = -1;
  D.Do_DeleteItem(ItemNo, fr);
  full = full || fr;
  if (afterMarker) {
    D.Do_DeleteItem(ItemNo - 1, fr);
    full = full || fr;
    at = ItemNo - 1;
    --itemsInserted;
  }
  int targetNo, targetOffs;
  if (Forward && at < D.ItemCount()) {
    targetNo = at;
    targetOffs = D.GetOffsBeforeItem(at);
  } else if (at > 0) {
    targetNo = at - 1;
    targetOffs = D.GetOffsAfterItem(at - 1);
  } else {
    targetNo = 0;
    targetOffs = D.ItemCount() > 0 ? D.GetOffsBeforeItem(0) : 0;
  }
  const bool formattedAll = ReformatAfterKey(D, full, first, last, itemsInserted);
  PlaceCaret(D, targetNo, targetOffs, !Forward);
  if (!formattedAll) renumbering.Apply(D, at - 1);
  D.DoAfterFormatAndCaretPositioning(true);
}

void DeleteAtLineEnd(TRVEditRVData& D, int ItemNo, int NextNo) {
  if (IsEmptyText(D, ItemNo) && !HasEmptyWidth(D, ItemNo)) {
    DeleteEmptyItemForward(D, ItemNo, true);
    return;
  }
  if (IsEmptyText(D, NextNo)) {
    DeleteEmptyItemForward(D, NextNo, false);
    return;
  }
  if (!ChangeAllowed(D)) return;
  const bool refused = D.IsItemParaProtected(ItemNo) || D.IsItemParaProtected(NextNo) ||
                       D.IsProtected(NextNo, rvprParaStartProtect) || D.ParaHasPersistentCheckpoint(NextNo);
  const bool full = D.CalculateParaSectionMinWidthDef(ItemNo) >= D.DocumentWidth;
  int first, last;
  if (NextNo == ItemNo + 1 && D.CanConcateItemsAt(ItemNo, false, true)) {
    if (refused) {
      D.Beep();
      return;
    }
    CaretReformatRange(D, first, last);
    const TRVUnicodeString oldText = D.GetItemTextW(ItemNo);
    D.Do_Concate(ItemNo);
    D.DoItemTextEdit(oldText, ItemNo);
    SetBackLiveSpelling(D, ItemNo);
    ReformatAfterKey(D, full, first, last, -1);
    PlaceCaret(D, ItemNo, static_cast<int>(oldText.size()) + 1, true);
    D.DoAfterFormatAndCaretPositioning(true);
    return;
  }
  const bool marker = IsMarker(D, NextNo);
  if (refused || (marker && D.IsProtected(NextNo, rvprDeleteProtect))) {
    D.Beep();
    return;
  }
  CaretReformatRange(D, first, last);
  TRenumbering renumbering;
  if (marker) renumbering.Prepare(D, NextNo, NextNo);
  // The caret stays where the two paragraphs meet.
  const int prev = D.GetPrevVisibleItemNo(NextNo);
  const int targetNo = prev >= 0 ? prev : ItemNo;
  const int targetOffs = D.GetOffsAfterItem(targetNo);
  bool fullFlag = full, fr = false;
  int itemsInserted = 0;
  D.Do_NewLine(NextNo, true, -1, fr);
  fullFlag = fullFlag || fr;
  if (marker) {
    D.Do_DeleteItem(NextNo, fr);
    fullFlag = fullFlag || fr;
    --itemsInserted;
    if (NextNo < D.ItemCount() && D.CanConcateItemsAt(NextNo - 1, false, false)) {
      D.Do_Concate(NextNo - 1);
      --itemsInserted;
    }
  }
  const bool formattedAll = ReformatAfterKey(D, fullFlag, first, last, itemsInserted);
  PlaceCaret(D, targetNo, targetOffs, true);
  if (!formattedAll) renumbering.Apply(D, NextNo - 1);
  D.DoAfterFormatAndCaretPositioning(true);
}

// Delete where the caret does not stand at a paragraph's end: the next caret stop's character
// (or item, or word with Ctrl) goes through Backspace.
void DeleteInsideLine(TRVEditRVData& D, bool Ctrl, bool MovedFromLineEnd) {
  TRVCharPos* stop = D.CharEnds.GetItem(D.CaretOffs);
  const int drawNo = stop->DrawItemNo;
  const int itemNo = D.DrawItems->Get(drawNo)->ItemNo;
  int savedNo = -1, savedOffs = 0;
  D.CaretToItem(savedNo, savedOffs);
  auto restore = [&] {
    if (savedNo >= 0 && savedNo < D.ItemCount()) D.SetCaretAtItem(savedNo, savedOffs);
    D.ChangeCaret(false, true, false, true);
  };
  if (Ctrl) {
    // The word after the caret: in this draw item, or in the next one when the caret stands at
    // this one's end.
    int wordDrawNo = drawNo, wordOffs = stop->Offset;
    if (D.CaretOffs + 1 < D.CharEnds.Count() && D.CharEnds.GetItem(D.CaretOffs + 1)->DrawItemNo != drawNo) {
      wordDrawNo = D.CharEnds.GetItem(D.CaretOffs + 1)->DrawItemNo;
      wordOffs = D.GetOffsBeforeDrawItem(wordDrawNo);
    }
    const int wordItemNo = D.DrawItems->Get(wordDrawNo)->ItemNo;
    if (D.GetItem(wordItemNo)->StyleNo >= 0) {
      const TRVUnicodeString text = D.GetItemTextW(wordItemNo);
      const int start = D.DrawItems->Get(wordDrawNo)->Offs + wordOffs - 2;
      if (start >= 0 && start < static_cast<int>(text.size())) {
        const int count = WordAfterLength(text, start, D.GetRootProperties()->Delimiters);
        D.SetCaretAtItem(wordItemNo, start + 1 + count);
        if (!D.OnBackSpacePress_(true, true, false, count)) restore();
        return;
      }
    }
  }
  // One stop to the right.
  if (D.CaretOffs == D.CharEnds.Count() - 1) {
    const int nextDrawNo = drawNo + 1;
    if (nextDrawNo >= D.DrawItems->Count()) return;
    TRVDrawLineInfo* cur = D.DrawItems->Get(drawNo);
    TRVDrawLineInfo* next = D.DrawItems->Get(nextDrawNo);
    const bool sameItem = next->ItemNo == cur->ItemNo;
    const bool gap = sameItem && next->Offs > cur->Offs + cur->TextLength;
    D.CaretDrawItemNo = nextDrawNo;
    D.OnChangeCaretLine(D.GetOffsBeforeDrawItem(nextDrawNo) - 2);
    D.CaretOffs = 0;
    if (sameItem && !gap) {
      D.OnDeletePress_(Ctrl, true);
      return;
    }
  } else if (MovedFromLineEnd) {
    if ((drawNo > 0 && D.DrawItems->Get(drawNo - 1)->ItemNo == itemNo) || D.IsDrawItemItemStart(drawNo)) ++D.CaretOffs;
  } else {
    ++D.CaretOffs;
  }
  if (D.OnBackSpacePress_(false, true, false, 0))
    D.ChangeCaret(false, true, false, true);
  else
    restore();
}

}  // namespace delete_keys

bool TRVEditRVData::OnBackSpacePress_(bool Ctrl, bool MultiDelete, bool FromNextLine, int ForceDeleteCount) {
  if (CaretOffs < 0 || CaretOffs >= CharEnds.Count()) return false;
  TRVCharPos* stop = CharEnds.GetItem(CaretOffs);
  if (stop->DrawItemNo < 0 || stop->DrawItemNo >= DrawItems->Count()) return false;
  CaretDrawItemNo = stop->DrawItemNo;
  TRVDrawLineInfo* drawItem = DrawItems->Get(CaretDrawItemNo);
  const int itemNo = drawItem->ItemNo;
  int offs = stop->Offset;
  if (FromNextLine && CaretDrawItemNo + 1 < DrawItems->Count()) {
    // Carried over from the start of the line below: what goes is what stands right before that
    // line, a space swallowed at the wrap included.
    TRVDrawLineInfo* next = DrawItems->Get(CaretDrawItemNo + 1);
    if (next->ItemNo != itemNo)
      offs = GetOffsAfterDrawItem(CaretDrawItemNo);
    else if (GetItem(itemNo)->StyleNo >= 0)
      offs = next->Offs - drawItem->Offs + 1;
  }
  if (IsItemParaProtected(itemNo)) {
    Beep();
    return false;
  }
  const bool isText = GetItem(itemNo)->StyleNo >= 0;
  const int itemOffs = isText ? drawItem->Offs + offs - 1 : offs;
  const bool wideEmpty = delete_keys::IsEmptyText(*this, itemNo) && delete_keys::HasEmptyWidth(*this, itemNo);
  const bool atItemStart = itemOffs <= GetOffsBeforeItem(itemNo) || wideEmpty;
  const bool onFirstStop = CaretOffs == 0 || (wideEmpty && CharEnds.GetItem(0)->DrawItemNo == CaretDrawItemNo);
  const bool markerBefore = onFirstStop && atItemStart && CaretDrawItemNo > 0 &&
                            delete_keys::IsMarker(*this, DrawItems->Get(CaretDrawItemNo - 1)->ItemNo);
  if (onFirstStop && atItemStart) {
    if (itemNo == GetFirstVisibleItemNo()) {
      if (GetItem(itemNo)->GetPageBreakBefore())
        if (TCustomViroZereEdit* editor = GetEditor()) editor->RemoveCurrentPageBreak();
      return true;
    }
    if (delete_keys::IsFullWidth(*this, itemNo) ||
        (delete_keys::IsFullWidth(*this, GetPrevVisibleItemNo(itemNo)) && !delete_keys::IsEmptyText(*this, itemNo))) {
      OnLeftPress(false, false);
      return true;
    }
  }
  const bool displayedLineStart = onFirstStop && atItemStart && (markerBefore || IsDisplayedFromNewLine(itemNo));
  if (CaretOffs == 0 && !displayedLineStart && !markerBefore) {
    // A wrapped line: what goes is at the end of the line above.
    int first, last;
    GetLineBounds(CaretDrawItemNo, first, last);
    if (first > 0) {
      int savedNo = -1, savedOffs = 0;
      CaretToItem(savedNo, savedOffs);
      CaretDrawItemNo = first - 1;
      OnChangeCaretLine(GetOffsAfterDrawItem(first - 1) - 2);
      CaretOffs = CharEnds.Count() - 1;
      if (!OnBackSpacePress_(Ctrl, MultiDelete, true, 0) && savedNo >= 0 && savedNo < ItemCount())
        SetCaretAtItem(savedNo, savedOffs);
      ChangeCaret(false, true, false, true);
      return true;
    }
  }
  BeginUndoSequence(rvutDelete, true);
  const bool result = displayedLineStart
                          ? delete_keys::BackspaceAtLineStart(*this, itemNo, markerBefore)
                          : delete_keys::BackspaceInsideLine(*this, itemNo, offs, Ctrl, MultiDelete, ForceDeleteCount);
  // A refused change leaves an empty step, which goes.
  EndUndoSequence();
  return result;
}

void TRVEditRVData::OnDeletePress_(bool Ctrl, bool MovedFromLineEnd) {
  if (CaretOffs < 0 || CaretOffs >= CharEnds.Count()) return;
  TRVCharPos* stop = CharEnds.GetItem(CaretOffs);
  if (stop->DrawItemNo < 0 || stop->DrawItemNo >= DrawItems->Count()) return;
  CaretDrawItemNo = stop->DrawItemNo;
  const int itemNo = DrawItems->Get(CaretDrawItemNo)->ItemNo;
  if (IsItemParaProtected(itemNo)) {
    Beep();
    return;
  }
  const bool lineEnd = IsCharOffsAtTheLineEndAndItemEnd(CaretOffs);
  const int nextNo = GetNextVisibleItemNo(itemNo);
  if (lineEnd) {
    if (delete_keys::IsFullWidth(*this, itemNo) ||
        (delete_keys::IsFullWidth(*this, nextNo) && !delete_keys::IsEmptyText(*this, itemNo))) {
      OnRightPress(false, false);
      return;
    }
    if (nextNo < 0) {
      if (delete_keys::IsEmptyText(*this, itemNo)) OnBackSpacePress_(false, false, false, 0);
      return;
    }
    if (!IsDisplayedFromNewLine(nextNo)) {
      // A wrapped line: what goes is at the start of the line below.
      const int nextDrawNo = stop->DrawItemNo + 1;
      if (nextDrawNo < DrawItems->Count()) {
        CaretDrawItemNo = nextDrawNo;
        OnChangeCaretLine(GetOffsBeforeDrawItem(nextDrawNo) - 2);
        CaretOffs = 0;
        OnDeletePress_(Ctrl, true);
        ChangeCaret(false, true, false, true);
      }
      return;
    }
  }
  BeginUndoSequence(rvutDelete, true);
  if (lineEnd)
    delete_keys::DeleteAtLineEnd(*this, itemNo, nextNo);
  else
    delete_keys::DeleteInsideLine(*this, Ctrl, MovedFromLineEnd);
  EndUndoSequence();
}
