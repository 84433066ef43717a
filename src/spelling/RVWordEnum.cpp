#include "spelling/RVWordEnum.h"

#include <algorithm>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/ui/Controls.h"

namespace rvwordenum_detail {

bool IsText(TCustomRVData* D, int ItemNo) { return D->GetItemStyle(ItemNo) >= 0; }

// The first position of item ItemNo: 1 for text, 0 for other items.
int FirstPos(TCustomRVData* D, int ItemNo) { return IsText(D, ItemNo) ? 1 : 0; }

// The 1-based position of the start of the word that holds the 1-based position Pos.
int WordStartAt(TCustomRVData* D, const TRVUnicodeString& Text, int Pos) {
  while (Pos > 1 && Pos <= static_cast<int>(Text.size()) &&
         !TRVWordEnumerator::IsWordDelimiter(D, Text, static_cast<std::size_t>(Pos - 1)))
    --Pos;
  return Pos;
}

}  // namespace rvwordenum_detail

TRVWordEnumerator::TRVWordEnumerator() = default;
TRVWordEnumerator::~TRVWordEnumerator() = default;

bool TRVWordEnumerator::IsWordDelimiter(TCustomRVData* RVData, const TRVUnicodeString& Text, std::size_t Index) {
  auto plainDelimiter = [RVData](TRVUnicodeChar c) { return c == u'&' || RVData->IsDelimiterW(c); };
  const TRVUnicodeChar c = Text[Index];
  if (IsApostrophe(c)) {
    // Inside a word only: between two characters that are neither delimiters nor "&".
    return Index == 0 || Index + 1 >= Text.size() || plainDelimiter(Text[Index - 1]) || IsApostrophe(Text[Index - 1]) ||
           plainDelimiter(Text[Index + 1]) || IsApostrophe(Text[Index + 1]);
  }
  return plainDelimiter(c);
}

bool TRVWordEnumerator::ProcessWord() { return true; }

bool TRVWordEnumerator::AllowItem(TCustomRVData* RVData, int ItemNo) {
  TRVStyle* st = RVData->GetRVStyle();
  const int style = RVData->GetItemStyle(ItemNo);
  if (!st || style < 0 || style >= st->TextStyles()->Count()) return false;
  TFontInfo* fi = st->TextStyles()->Items(style);
  if (fi->Charset == SYMBOL_CHARSET) return false;
  if (RVData->GetOptions().Contains(rvoShowHiddenText)) return true;
  return !fi->Options.Contains(rvteoHidden);
}

void TRVWordEnumerator::Run(TCustomViroZereEdit* Editor, TRVEnumScope Scope) {
  FDialogShown = false;
  FEditor = Editor;
  // The form that holds the editor is not kept from closing while the walk runs: the platform's
  // forms offer no close query yet.
  FCounter = FCounterMax;
  FWorking = true;
  struct TFinally {
    TRVWordEnumerator* E;
    ~TFinally() {
      E->FWorking = false;
      E->FEditor = nullptr;
    }
  } fin{this};

  TCustomRVData* d = Editor->GetRVData();
  int itemNo = 0, pos = 0;
  bool fromStart = Scope == rvesFromStart;
  if (!fromStart) {
    TCustomViroZereEdit* top = Editor->GetTopLevelEditor();
    TCustomRVFormattedData* fd = top->GetRVData();
    int si = 0, so = 0, ei = 0, eo = 0;
    fd->GetSelectionBounds(si, so, ei, eo, true);
    d = fd;
    itemNo = si;
    pos = so;
    if (itemNo < 0 || itemNo >= d->ItemCount()) {
      fromStart = true;
    } else if (pos >= d->GetOffsAfterItem(itemNo)) {
      if (itemNo + 1 < d->ItemCount()) {
        ++itemNo;
        pos = rvwordenum_detail::FirstPos(d, itemNo);
      } else if (top == Editor) {
        fromStart = true;  // the caret at the very end of the document: check it all
      }
    }
  }
  if (fromStart) {
    d = Editor->GetRVData();
    itemNo = 0;
    if (d->ItemCount() == 0) return;
    pos = rvwordenum_detail::FirstPos(d, 0);
  }
  Walk(d, itemNo, pos);
}

bool TRVWordEnumerator::Walk(TCustomRVData* D, int ItemNo, int Pos) {
  bool visitFrom = true;
  if (D->ItemCount() == 0) {
    visitFrom = false;
  } else if (Pos >= D->GetOffsAfterItem(ItemNo)) {
    if (ItemNo + 1 < D->ItemCount()) {
      ++ItemNo;
      Pos = rvwordenum_detail::FirstPos(D, ItemNo);
    } else {
      visitFrom = false;  // the rest of this document is done; what holds it follows
    }
  }
  if (visitFrom) {
    if (rvwordenum_detail::IsText(D, ItemNo)) {
      Pos = rvwordenum_detail::WordStartAt(D, D->GetItemTextW(ItemNo), Pos);
      if (!VisitWords(D, ItemNo, Pos)) return false;
      ++ItemNo;
    }
    if (!VisitItems(D, ItemNo)) return false;
  }
  // Climb out of the documents that hold D, up to the root.
  for (TCustomRVData* parent = D->GetAbsoluteParentData(); parent; parent = D->GetAbsoluteParentData()) {
    int parentItemNo = -1;
    TRVStoreSubRVData* location = nullptr;
    D->GetParentInfo(parentItemNo, location);
    if (parentItemNo < 0 || parentItemNo >= parent->ItemCount()) return true;
    if (!VisitSubDocuments(parent->GetItem(parentItemNo), D)) return false;
    if (!VisitItems(parent, parentItemNo + 1)) return false;
    D = parent;
  }
  return true;
}

bool TRVWordEnumerator::CanDescendInto(TCustomRVData* D, int ItemNo) {
  TCustomRVItemInfo* item = D->GetItem(ItemNo);
  if (!item->GetBoolValue(rvbpHasSubRVData)) return false;
  // The text of a note or a text box is edited in an editor of its own, not in place.
  if (item->GetBoolValue(rvbpIsNote)) return false;
  return D->GetOptions().Contains(rvoShowHiddenText) || !D->IsHiddenItem(ItemNo);
}

bool TRVWordEnumerator::VisitItems(TCustomRVData* D, int FromItemNo) {
  for (int i = FromItemNo; i < D->ItemCount(); ++i) {
    if (rvwordenum_detail::IsText(D, i)) {
      if (!VisitWords(D, i, 1)) return false;
    } else if (CanDescendInto(D, i)) {
      if (!VisitSubDocuments(D->GetItem(i), nullptr)) return false;
    }
  }
  return true;
}

bool TRVWordEnumerator::VisitSubDocuments(TCustomRVItemInfo* Item, TCustomRVData* After) {
  std::unique_ptr<TRVStoreSubRVData> state;
  bool started = After == nullptr;
  for (TCustomRVData* sub = Item->GetSubRVData(state, rvdFirst); sub; sub = Item->GetSubRVData(state, rvdNext, sub)) {
    if (!started) {
      started = sub == After || sub->GetRVData() == After || sub == After->GetSourceRVData();
      continue;
    }
    if (!VisitItems(sub, 0)) return false;
  }
  return true;
}

bool TRVWordEnumerator::VisitWords(TCustomRVData* D, int& ItemNo, int Pos) {
  if (!AllowItem(D, ItemNo)) return true;
  TRVUnicodeString text = D->GetItemTextW(ItemNo);
  std::size_t p = static_cast<std::size_t>(std::max(Pos, 1) - 1);
  std::size_t wordStart = TRVUnicodeString::npos;
  while (p <= text.size()) {
    const bool delimiter = p == text.size() || IsWordDelimiter(D, text, p);
    if (!delimiter) {
      if (wordStart == TRVUnicodeString::npos) wordStart = p;
      ++p;
      continue;
    }
    if (wordStart == TRVUnicodeString::npos) {
      ++p;
      continue;
    }
    // Process the word wordStart..p.
    const int s = static_cast<int>(wordStart) + 1, e = static_cast<int>(p) + 1;
    wordStart = TRVUnicodeString::npos;
    FRVData = D;
    FItemNo = ItemNo;
    FStartOffs = s;
    FEndOffs = e;
    FWord = text.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(e - s));
    FText = text;
    TRVStyle* st = D->GetRVStyle();
    FFontStyle = st ? st->TextStyles()->Items(D->GetItemStyle(ItemNo)) : nullptr;
    FWordChanged = false;
    FTextChanged = false;
    const int itemCount = D->ItemCount();
    if (!ProcessWord()) return false;

    bool changed = false;
    if (FTextChanged)
      changed = ReplaceInEditor(D, ItemNo, D->GetOffsBeforeItem(ItemNo), D->GetOffsAfterItem(ItemNo), FText);
    else if (FWordChanged)
      changed = ReplaceInEditor(D, ItemNo, s, e, FWord);

    int next = 0;  // the 1-based position to scan on from
    if (changed && D->ItemCount() != itemCount) {
      // The change joined or split items: go on from the caret of the editor that made it.
      TCustomViroZereEdit* top = FEditor->GetTopLevelEditor();
      if (top->GetRVData() != D) return true;
      ItemNo = top->GetCurItemNo();
      if (ItemNo < 0 || ItemNo >= D->ItemCount()) return true;
      if (!rvwordenum_detail::IsText(D, ItemNo) || !AllowItem(D, ItemNo)) return true;
      next = top->GetOffsetInCurItem();
    } else if (changed && FTextChanged) {
      const TRVUnicodeString& now = D->GetItemTextW(ItemNo);
      std::size_t k = 0;
      while (k < now.size() && k < text.size() && now[k] == text[k]) ++k;
      // From the word that holds the first changed character or ends just before it.
      next = std::min(rvwordenum_detail::WordStartAt(D, now, std::max(static_cast<int>(k), 1)), s);
    } else if (changed) {
      next = s + static_cast<int>(FWord.size());
    } else {
      next = e;
    }
    if (changed) text = ItemNo < D->ItemCount() ? D->GetItemTextW(ItemNo) : TRVUnicodeString();
    p = static_cast<std::size_t>(std::clamp(next, 1, static_cast<int>(text.size()) + 1) - 1);

    if (--FCounter <= 0) {
      ProcessMessages();
      FCounter = FCounterMax;
      // The user may have edited the document meanwhile: go on with what the item holds now.
      if (ItemNo >= D->ItemCount() || !rvwordenum_detail::IsText(D, ItemNo)) return true;
      if (D->GetItemTextW(ItemNo) != text) {
        text = D->GetItemTextW(ItemNo);
        p = std::min(p, text.size());
        wordStart = TRVUnicodeString::npos;
      }
    }
  }
  return true;
}

bool TRVWordEnumerator::ReplaceInEditor(TCustomRVData* D, int ItemNo, int From, int To, const TRVUnicodeString& Text) {
  TCustomRVData* edited = D->Edit();
  TCustomRVFormattedData* fd = edited ? edited->AsFormattedData() : nullptr;
  if (!fd || !FEditor) return false;
  TCustomViroZereEdit* top = FEditor->GetTopLevelEditor();
  // Only where this editor edits D itself; anything else would put the text elsewhere.
  if (top->GetRVData() != fd || fd->GetSourceRVData() != D->GetSourceRVData()) return false;
  const TRVUnicodeString before = D->GetItemTextW(ItemNo);
  const int itemCount = D->ItemCount();
  fd->SetSelectionBounds(ItemNo, From, ItemNo, To);
  top->InsertTextW(Text);
  return D->ItemCount() != itemCount || D->GetItemTextW(ItemNo) != before;
}

void TRVWordEnumerator::SelectCurrentWord() {
  if (!FEditor || !FRVData) return;
  TCustomRVData* edited = FRVData->Edit();
  TCustomRVFormattedData* fd = edited ? edited->AsFormattedData() : nullptr;
  if (!fd) return;
  fd->SetSelectionBounds(FItemNo, FStartOffs, FItemNo, FEndOffs);
  FEditor->RefreshAll();
}
