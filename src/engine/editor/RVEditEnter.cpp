// The Enter key: a new paragraph (with Shift, a new line in the same paragraph) at the caret, as
// one undo step; the styles a new paragraph takes; the copy of a list marker that continues a
// list in the new paragraph. Enter never inserts a character: it changes paragraph flags of
// items, splits a text item, adds an empty text item where the new paragraph would otherwise be
// empty and copies the paragraph's list marker.
#include <memory>

#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/StyleTemplate.h"

namespace enter_key {

bool IsMarker(TRVEditRVData& D, int ItemNo) {
  return ItemNo >= 0 && ItemNo < D.ItemCount() && D.GetItem(ItemNo)->StyleNo == ItemKindListMarker;
}

bool TextStyleHas(TRVEditRVData& D, int StyleNo, TRVProtectOption Option) {
  TRVStyle* st = D.GetRVStyle();
  return st && StyleNo >= 0 && StyleNo < st->TextStyles()->Count() &&
         st->TextStyles()->Items(StyleNo)->Protection.Contains(Option);
}

// The caret goes before the first draw item of ItemNo (a marker there is stepped over to its
// right) and is shown, scrolled to, with the current styles taken from it.
void PlaceCaretBefore(TRVEditRVData& D, int ItemNo) {
  D.SetCaretAtItem(ItemNo, D.GetOffsBeforeItem(ItemNo));
  D.ChangeCaret(false, true, false, false);
}

void SetBackLiveSpelling(TRVEditRVData& D, int ItemNo) {
  if (auto* viewer = dynamic_cast<TCustomViroZere*>(D.GetViroZere())) viewer->LaterSetBackLiveSpellingTo(&D, ItemNo, 0);
}

// What a split inside the caret's line reformats: the caret line's paragraphs and one more on
// each side; Full when the paragraph's layout depended on a width it no longer keeps.
struct TEnterRange {
  int FirstDrawItemNo = 0, LastDrawItemNo = -1;
  bool WidthSensitiveFull = false;
};

// Makes ItemNo (which continues the caret's line) start a paragraph or, with Shift, a line of the
// same paragraph; a visible list marker of the paragraph is copied so that the list goes on.
bool SplitBeforeItem(TRVEditRVData& D, int ItemNo, bool Shift, const TEnterRange& Range) {
  if (D.IsProtected(ItemNo, rvprParaStartProtect) || D.IsSticking(ItemNo - 1, true)) {
    D.Beep();
    return false;
  }
  bool full = false, fr = false;
  int markerNo = -1;
  if (Shift) {
    D.Do_NewLine(ItemNo, false, -1, fr);
    full = full || fr;
    D.Do_BR(ItemNo, true, fr);
    full = full || fr;
  } else if (D.InsertMarkerCopy(ItemNo - 1, ItemNo, true, true, fr)) {
    // The item already continues its line: after the copy it continues the copy's paragraph.
    full = full || fr;
    markerNo = ItemNo++;
  } else {
    D.Do_NewLine(ItemNo, false, -1, fr);
    full = full || fr;
  }
  D.Reformat_(Range.WidthSensitiveFull || full, Range.FirstDrawItemNo, Range.LastDrawItemNo, markerNo >= 0 ? 1 : 0,
              true);
  PlaceCaretBefore(D, ItemNo);
  if (markerNo >= 0) D.UpdateRangeAfterMarkersOrSeq(markerNo, markerNo);
  D.DoAfterFormatAndCaretPositioning(true);
  return true;
}

// Splits text item ItemNo before character Offs (an item offset strictly inside it).
bool SplitInsideItem(TRVEditRVData& D, int ItemNo, int Offs, bool Shift, const TEnterRange& Range) {
  TCustomRVItemInfo* item = D.GetItem(ItemNo);
  if (item->StyleNo < 0 || D.IsProtected(ItemNo, rvprParaStartProtect) ||
      D.IsProtected(ItemNo, rvprModifyProtect)) {
    D.Beep();
    return false;
  }
  const TRVUnicodeString oldText = D.GetItemTextW(ItemNo);
  TRVUnicodeString tail = oldText.substr(static_cast<std::size_t>(Offs - 1));
  std::unique_ptr<TCustomRVItemInfo> split(D.CreateSplitTextItem(item));
  split->SetSameAsPrev(false);
  bool full = false, fr = false;
  D.Do_DeleteSubstring(ItemNo, Offs, static_cast<int>(tail.size()));
  D.DoItemTextEdit(oldText, ItemNo);
  int newNo = ItemNo + 1, added = 1, markerNo = -1;
  if (Shift) {
    split->SetBR(true);
  } else if (D.InsertMarkerCopy(ItemNo, newNo, true, true, fr)) {
    full = full || fr;
    markerNo = newNo++;
    ++added;
    split->SetSameAsPrev(true);
  }
  D.Do_InsertItem(newNo, tail, split.get(), false, fr);
  split.release();
  full = full || fr;
  D.DoItemTextEdit(TRVUnicodeString(), newNo);
  SetBackLiveSpelling(D, ItemNo);
  D.Reformat_(Range.WidthSensitiveFull || full, Range.FirstDrawItemNo, Range.LastDrawItemNo, added, true);
  PlaceCaretBefore(D, newNo);
  if (markerNo >= 0) D.UpdateRangeAfterMarkersOrSeq(markerNo, markerNo);
  D.DoAfterFormatAndCaretPositioning(true);
  return true;
}

// Enter at the start or the end of a paragraph section (a paragraph, or a line of it begun by a
// line break): an empty text item becomes the new paragraph or line before or after it.
bool EnterAtSectionBoundary(TRVEditRVData& D, bool Shift, bool Recursive, int ItemNo) {
  const int stops = D.CharEnds.Count();
  const bool afterFirstStop = D.CaretOffs > 0 || stops == 1;
  if (D.IsProtected(ItemNo, rvprParaStartProtect) || D.IsSticking(afterFirstStop ? ItemNo : ItemNo - 1, true)) {
    D.Beep();
    return false;
  }
  int first = ItemNo, last = ItemNo;
  D.GetDisplayedParaSectionBounds(ItemNo, ItemNo, first, last);
  if (IsMarker(D, first) && first < last) ++first;
  const bool atEnd = D.CaretOffs == stops - 1;
  TCustomRVItemInfo* item = D.GetItem(ItemNo);
  const int paraNo = item->ParaNo;
  if (Shift && ((atEnd && D.GetItem(last)->ParaNo != paraNo) || (!atEnd && ItemNo != first))) Shift = false;

  // An empty list item: the marker goes (as Backspace takes it) and Enter is pressed again in
  // the plain paragraph that is left.
  if (!Shift && !Recursive && item->StyleNo >= 0 && D.GetItemTextW(ItemNo).empty() &&
      IsMarker(D, D.GetPrevVisibleItemNo(ItemNo))) {
    D.OnBackSpacePress_(false, false, false, 0);
    return D.OnEnterPress_(Shift, true);
  }

  // The styles of the new paragraph.
  if (atEnd) D.SetCurTextStyleNo(D.GetNextStyleNo(item->StyleNo >= 0 ? D.GetActualStyle(item) : -1, paraNo, true));
  const bool breakFollows = last + 1 < D.ItemCount() && D.GetItem(last + 1)->GetBR();
  if (!Shift && !breakFollows) {
    if (atEnd)
      D.SetCurParaStyleNo(D.GetNextParaNo(paraNo));
    else if (D.IsParaProtected(paraNo, rvpaoReadOnly))
      D.SetCurParaStyleNo(0);
  }

  bool fr = false;
  const int styleNo = TextStyleHas(D, D.GetActualCurStyleNo(), rvprModifyProtect) ? 0 : D.FCurTextStyleNo;
  std::unique_ptr<TCustomRVItemInfo> added(
      D.CreateTextItem(TRVTag(), Shift ? paraNo : D.FCurParaStyleNo, false, false, styleNo));
  if (Shift) {
    if (atEnd) {
      added->SetBR(!item->GetBoolValue(rvbpFullWidth));
    } else {
      added->SetBR(item->GetBR() && !(ItemNo > 0 && D.GetItem(ItemNo - 1)->GetBoolValue(rvbpFullWidth)));
      D.Do_BR(first, true, fr);
    }
  }
  if (added->StyleNo == item->StyleNo) {
    added->Tag = item->Tag;
    added->Hint = item->Hint;
  }

  int pos = 0, count = 1, markerNo = -1;
  if (atEnd) {
    pos = last + 1;
    if (!Shift && added->ParaNo == paraNo && D.InsertMarkerCopy(ItemNo, pos, false, true, fr)) {
      markerNo = pos++;
      ++count;
      added->SetSameAsPrev(true);
    }
  } else {
    pos = first;
    const bool afterMarker = IsMarker(D, first - 1);
    if (!Shift) {
      if (afterMarker) added->SetSameAsPrev(true);
      if (D.InsertMarkerCopy(first, first, true, true, fr)) {
        ++count;
        markerNo = first + 1;  // once the new item stands before it
        if (!D.GetItem(first + 1)->GetSameAsPrev()) D.Do_NewLine(first + 1, true, -1, fr);
      } else {
        // Changes only an item that continues a hidden marker's paragraph: a line that began
        // with a line break stays so and becomes the second line of the new paragraph.
        D.Do_NewLine(first, false, -1, fr);
      }
    } else if (afterMarker) {
      added->SetSameAsPrev(true);
      D.Do_NewLine(first, false, -1, fr);
      D.Do_BR(first, true, fr);
    }
  }

  TRVUnicodeString empty;
  TCustomRVItemInfo* n = added.get();
  D.Do_InsertItem(pos, empty, n, false, fr);
  added.release();
  const int caretItemNo = atEnd ? ItemNo : ItemNo + count;
  if (!atEnd && D.GetItem(caretItemNo)->Checkpoint && !D.IsProtected(caretItemNo, rvprModifyProtect))
    D.Do_MoveCP(caretItemNo, pos);
  SetBackLiveSpelling(D, pos);

  int lineFirst = D.CaretDrawItemNo, lineLast = D.CaretDrawItemNo;
  D.GetLineBounds(D.CaretDrawItemNo, lineFirst, lineLast);
  D.FormatParas(lineFirst, lineLast, count);
  PlaceCaretBefore(D, atEnd ? pos : caretItemNo);
  if (markerNo >= 0) D.UpdateRangeAfterMarkersOrSeq(markerNo, markerNo);
  D.DoAfterFormatAndCaretPositioning(true);
  return true;
}

// Closes the step of one Enter whatever way the key ends (an empty step is dropped).
struct TUndoStepCloser {
  TRVEditRVData& D;
  ~TUndoStepCloser() { D.EndUndoSequence(); }
};

}  // namespace enter_key

bool TRVEditRVData::OnEnterPress_(bool Shift, bool Recursive) {
  if (CaretOffs < 0 || CaretOffs >= CharEnds.Count() || !GetRVStyle()) return false;
  CaretDrawItemNo = CharEnds.GetItem(CaretOffs)->DrawItemNo;
  const int itemNo = DrawItems->Get(CaretDrawItemNo)->ItemNo;
  const int paraNo = GetItem(itemNo)->ParaNo;
  const bool readOnly = IsParaProtected(paraNo, rvpaoReadOnly);
  if (IsParaProtected(paraNo, rvpaoDoNotWantReturns) || (Shift && readOnly)) {
    Beep();
    return false;
  }
  // The start of a line that a wrap began inside a paragraph section is not a place for a new
  // section before the whole one (nor its end for one after): there the paragraph is split.
  const bool atStart = IsCharOffsAtTheLineStartAndItemStart(CaretOffs) && IsCaretAtTheBeginningOfParaSection(false);
  const bool atEnd = IsCharOffsAtTheLineEndAndItemEnd(CaretOffs) && IsCaretAtTheEndOfParaSection(false);
  if (atStart || atEnd) {
    if (readOnly && !IsCaretAtTheBeginningOfParaSection(true) && !IsCaretAtTheEndOfParaSection(true)) {
      Beep();
      return false;
    }
    BeginUndoSequence(rvutMiscTyping, true);
    enter_key::TUndoStepCloser closer{*this};
    return enter_key::EnterAtSectionBoundary(*this, Shift, Recursive, itemNo);
  }
  if (readOnly) {
    Beep();
    return false;
  }
  BeginUndoSequence(rvutMiscTyping, true);
  enter_key::TUndoStepCloser closer{*this};
  enter_key::TEnterRange range;
  int lineFirst = CaretDrawItemNo, lineLast = CaretDrawItemNo;
  GetLineBounds(CaretDrawItemNo, lineFirst, lineLast);
  GetParaBoundsEx(lineFirst, lineLast, range.FirstDrawItemNo, range.LastDrawItemNo, true);
  const bool widthSensitive = IsParaProtected(paraNo, rvpaoNoWrap) || !GetWordWrap();
  range.WidthSensitiveFull = widthSensitive && CalculateParaSectionMinWidthDef(itemNo) >= DocumentWidth;
  const int offs = CharEndsItemOffs(CaretOffs);
  if (offs > GetOffsBeforeItem(itemNo) && offs < GetOffsAfterItem(itemNo))
    return enter_key::SplitInsideItem(*this, itemNo, offs, Shift, range);
  if (offs < GetOffsAfterItem(itemNo)) return enter_key::SplitBeforeItem(*this, itemNo, Shift, range);
  // After the item: the paragraph is split before the next item of the line (a wrapped line's
  // next item included); an item that starts a line already needs nothing.
  if (CaretDrawItemNo + 1 >= DrawItems->Count()) return false;
  const int nextNo = DrawItems->Get(CaretDrawItemNo + 1)->ItemNo;
  if (IsFromNewLine(nextNo)) return false;
  return enter_key::SplitBeforeItem(*this, nextNo, Shift, range);
}

int TRVEditRVData::GetNextParaNo(int ParaNo) {
  TRVStyle* st = GetRVStyle();
  if (!st || ParaNo < 0 || ParaNo >= st->ParaStyles()->Count()) return ParaNo;
  TParaInfo* para = st->ParaStyles()->Items(ParaNo);
  TRVDataRootProperties* rp = GetRootProperties();
  if (rp && rp->UseStyleTemplates) {
    TRVStyleTemplateCollection* templates = st->StyleTemplates();
    TRVStyleTemplate* own = templates->FindItemById(para->StyleTemplateId);
    if (own && own->GetNext() && own->GetNext() != own) {
      std::unique_ptr<TParaInfo> copy(static_cast<TParaInfo*>(st->GetParaStyleClass()(nullptr)));
      copy->Assign(para);
      TRVStyleTemplate::UpdateModifiedParaStyleProperties(own, copy.get());
      own->GetNext()->ApplyToParaStyle(copy.get());
      return GetOrAddParaStyle(copy.get());
    }
  } else if (para->NextParaNo >= 0) {
    return para->NextParaNo;
  }
  return para->Options.Contains(rvpaoReadOnly) ? 0 : ParaNo;
}

int TRVEditRVData::GetNextStyleNo(int StyleNo, int ParaNo, bool NewLine) {
  if (StyleNo == -1) StyleNo = FCurTextStyleNo;
  TRVStyle* st = GetRVStyle();
  if (!st || StyleNo < 0 || StyleNo >= st->TextStyles()->Count()) return StyleNo;
  TFontInfo* font = st->TextStyles()->Items(StyleNo);
  TRVDataRootProperties* rp = GetRootProperties();
  if (!rp || !rp->UseStyleTemplates) {
    if (StyleNo != FCurTextStyleNo) return FCurTextStyleNo;
    return font->NextStyleNo >= 0 ? font->NextStyleNo : FCurTextStyleNo;
  }
  if (!font->Jump && !NewLine) return StyleNo;
  TRVStyleTemplateCollection* templates = st->StyleTemplates();
  TRVStyleTemplate* own = templates->FindItemById(font->StyleTemplateId);
  TRVStyleTemplate* paraTemplate = templates->FindItemById(font->ParaStyleTemplateId);
  TRVStyleTemplate* target = paraTemplate;
  if (NewLine && paraTemplate && paraTemplate->GetNext()) target = paraTemplate->GetNext();
  if (NewLine && target == paraTemplate && IsParaProtected(ParaNo, rvpaoReadOnly) && st->ParaStyles()->Count() > 0)
    target = templates->FindItemById(st->ParaStyles()->Items(0)->StyleTemplateId);
  std::unique_ptr<TFontInfo> copy(static_cast<TFontInfo*>(st->GetTextStyleClass()(nullptr)));
  copy->Assign(font);
  TRVStyleTemplate::UpdateModifiedTextStyleProperties(own, copy.get(), paraTemplate);
  copy->Jump = false;
  TRVStyleTemplate::ApplyToTextStyle(font->Jump ? nullptr : own, copy.get(), target);
  copy->ParaStyleTemplateId = target ? target->GetId() : -1;
  return GetOrAddTextStyle(copy.get());
}

bool TRVEditRVData::InsertMarkerCopy(int FromItemNo, int Index, bool RequireVisible, bool Recorded,
                                     bool& FullReformat) {
  FullReformat = false;
  if (FromItemNo < 0 || FromItemNo >= ItemCount() || Index < 0 || Index > ItemCount()) return false;
  const int markerNo = GetFirstParaItem(FromItemNo);
  auto* marker = dynamic_cast<TRVMarkerItemInfo*>(GetItem(markerNo));
  if (!marker || marker->StyleNo != ItemKindListMarker) return false;
  if (RequireVisible && IsHiddenItem(markerNo)) return false;
  std::unique_ptr<TCustomRVItemInfo> made = marker->ItemClass()->Create(this);
  auto* copy = static_cast<TRVMarkerItemInfo*>(made.get());
  copy->Assign(marker);
  copy->Reset = false;
  copy->DeleteProtect = false;
  copy->Hidden = false;
  // The copy starts a paragraph of its own; a page break stays with the paragraph it was on.
  copy->SetSameAsPrev(false);
  copy->SetBR(false);
  copy->SetPageBreakBefore(false);
  TRVUnicodeString text;
  if (Recorded) {
    Do_InsertItem(Index, text, copy, false, FullReformat);
    made.release();
    return true;
  }
  copy->Inserting(this, text, true);
  GetItems()->InsertObject(Index, text, copy);
  made.release();
  copy->Inserted(this, Index);
  AddMarkerInList(Index);
  return true;
}
