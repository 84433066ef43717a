// Text search in a formatted document: the next occurrence in either direction, optionally
// matching case and whole words, across the items of one line, descending into the documents held
// by items; the occurrence found is selected and scrolled into view.
//
// Without matching case both sides are upper-cased character by character (one code unit for one
// code unit), so offsets found in the upper-cased text are offsets in the item.
#include <algorithm>
#include <memory>
#include <vector>

#include "engine/document/RVItem.h"
#include "engine/foundation/RVStrFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"

namespace {

// The texts of consecutive items of one displayed line, joined, with where each item lies.
struct TSearchRun {
  struct TPiece {
    int ItemNo;
    int Length;
    bool Text;
  };
  TRVUnicodeString Text;
  std::vector<TPiece> Pieces;  // in document order
  int FirstOffs = 1;           // item offset of the run's first character in its first item

  bool Empty() const { return Pieces.empty(); }
  void Clear() {
    Text.clear();
    Pieces.clear();
    FirstOffs = 1;
  }
  void Append(int ItemNo, const TRVUnicodeString& S, bool IsText) {
    Text += S;
    Pieces.push_back({ItemNo, static_cast<int>(S.size()), IsText});
  }
  void Prepend(int ItemNo, const TRVUnicodeString& S, bool IsText) {
    Text.insert(0, S);
    Pieces.insert(Pieces.begin(), {ItemNo, static_cast<int>(S.size()), IsText});
    FirstOffs = 1;
  }
  // The item position of the character at Index (After: the position after it).
  void Position(int Index, bool After, int& ItemNo, int& Offs) const {
    int acc = 0;
    for (std::size_t k = 0; k < Pieces.size(); ++k) {
      const TPiece& p = Pieces[k];
      if (Index < acc + p.Length || k + 1 == Pieces.size()) {
        ItemNo = p.ItemNo;
        Offs = Index - acc + (After ? 1 : 0) + (k == 0 ? FirstOffs : 1) - (p.Text ? 0 : 1);
        return;
      }
      acc += p.Length;
    }
    ItemNo = -1;
    Offs = 0;
  }
};

}  // namespace

// The first (Down) or last occurrence of Str in Text (0-based), -1 when none; with WholeWord only
// occurrences between delimiters or the text's ends count.
static int FindInText(TCustomRVFormattedData* Data, const TRVUnicodeString& Text, const TRVUnicodeString& Str,
                      bool Down, bool WholeWord) {
  const int n = static_cast<int>(Text.size()), m = static_cast<int>(Str.size());
  if (m == 0 || n < m) return -1;
  auto isWord = [&](int p) {
    if (!WholeWord) return true;
    return (p == 0 || Data->IsDelimiterW(Text[static_cast<std::size_t>(p - 1)])) &&
           (p + m == n || Data->IsDelimiterW(Text[static_cast<std::size_t>(p + m)]));
  };
  int last = -1;
  int from = 0;
  while (from <= n - m) {
    const WideChar* hit = StrPosLenW(Text.data() + from, n - from, Str.data(), m);
    if (!hit) break;
    const int p = static_cast<int>(hit - Text.data());
    if (isWord(p)) {
      if (Down) return p;
      last = p;
      from = p + 1;
    } else {
      from = p + m;
    }
  }
  return last;
}

void TCustomRVFormattedData::SrchStart(bool Down, bool FromStart, bool SmartStart, int& strt, int& Offs) {
  const int n = ItemCount();
  strt = -1;
  Offs = 0;
  if (FromStart) {
    strt = Down ? GetFirstVisibleItemNo() : GetLastVisibleItemNo();
    if (strt >= 0) Offs = Down ? GetOffsBeforeItem(strt) : GetOffsAfterItem(strt) + 1;
    return;
  }
  const bool fromSelection = SelectionExists(true, false);
  if (fromSelection) {
    int s, so, e, eo;
    if (!SmartStart) {
      // The end the user extended the selection to.
      GetSelectionBounds(s, so, e, eo, false);
      strt = e;
      Offs = eo;
    } else {
      GetSelectionBounds(s, so, e, eo, true);
      if (Down) {
        strt = s;
        Offs = so + 1;
        if (s >= 0 && s < n && so >= GetOffsAfterItem(s)) {
          strt = s + 1;
          Offs = strt < n ? GetOffsBeforeItem(strt) + 1 : 0;
        }
      } else {
        strt = e;
        Offs = eo - 1;
        if (e >= 0 && e < n && eo <= GetOffsBeforeItem(e)) {
          strt = e - 1;
          Offs = strt >= 0 ? GetOffsAfterItem(strt) - 1 : 0;
        }
      }
    }
  } else {
    strt = Down ? GetFirstItemVisible() : GetLastItemVisible();
    if (strt >= 0 && strt < n) Offs = Down ? GetOffsBeforeItem(strt) : GetOffsAfterItem(strt) + 1;
  }
  // Before the first item (a selection that ends at the document's start, searched upwards, keeps
  // its offset and so finds nothing in item 0).
  if (strt < 0) {
    strt = 0;
    if (n > 0 && !fromSelection) Offs = Down ? GetOffsBeforeItem(0) : GetOffsAfterItem(0) + 1;
  }
}

void TCustomRVFormattedData::SrchSelectIt(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs, bool Invert) {
  LiveSpellingCheckCurrent();
  ChosenItemChanging(nullptr);
  DestroyInplaceEditor();
  if (Invert)
    RestoreSelBounds(EndItemNo, StartItemNo, EndOffs, StartOffs, false);
  else
    RestoreSelBounds(StartItemNo, EndItemNo, StartOffs, EndOffs, false);
  const int dn = DrawItems->Count();
  if (FSelStartNo >= 0 && FSelStartNo < dn)
    FSelStartOffs = std::clamp(FSelStartOffs, GetOffsBeforeDrawItem(FSelStartNo), GetOffsAfterDrawItem(FSelStartNo));
  if (FSelEndNo >= 0 && FSelEndNo < dn)
    FSelEndOffs = std::clamp(FSelEndOffs, GetOffsBeforeDrawItem(FSelEndNo), GetOffsAfterDrawItem(FSelEndNo));
  const int first = std::min(FSelStartNo, FSelEndNo);
  if (first >= 0 && first < dn) {
    TRVDrawLineInfo* d = DrawItems->Get(first);
    ShowRectangle(d->Left, GetTransformedDItemTop(first), d->Width, d->Height);
  }
  DoOnSelection(true);
  DoSelect();
  TCustomRVData* root = GetAbsoluteRootData();
  if (TCustomRVFormattedData* r = root ? root->AsFormattedData() : nullptr)
    r->InvalidateRect(TRect(0, 0, std::max(r->GetWidth(), 0), std::max(r->GetHeight(), 0)), false);
}

bool TCustomRVFormattedData::SearchText(bool Down, bool MatchCase, bool WholeWord, bool FromStart, bool MultiItem,
                                        bool SmartStart, const TRVUnicodeString& Str) {
  const int n = ItemCount();
  if (Str.empty() || n == 0) return false;
  const TRVUnicodeString str = MatchCase ? Str : UpperCaseUnicode(Str);
  auto textOf = [&](int ItemNo) { return MatchCase ? GetItemTextW(ItemNo) : UpperCaseUnicode(GetItemTextW(ItemNo)); };
  auto select = [&](int StartItemNo, int StartOffs, int EndItemNo, int EndOffs) {
    TCustomRVData* ed = Edit();
    TCustomRVFormattedData* target = ed ? ed->AsFormattedData() : nullptr;
    (target ? target : this)->SrchSelectIt(StartItemNo, StartOffs, EndItemNo, EndOffs, !Down);
    return true;
  };
  // Walks the sub-documents of an item from Position on; a find becomes the item's chosen one.
  auto searchSubDocs = [&](TCustomRVItemInfo* Item, TRVSubRVDataPos First, bool SubFromStart) {
    std::unique_ptr<TRVStoreSubRVData> state;
    const TRVSubRVDataPos step = Down ? rvdNext : rvdPrev;
    int guard = 0;
    for (TCustomRVData* d = Item->GetSubRVData(state, First); d && guard < 1000000;
         d = Item->GetSubRVData(state, step, d), ++guard) {
      TCustomRVFormattedData* f = d->AsFormattedData();
      if (!f || f == this) continue;
      if (f->SearchText(Down, MatchCase, WholeWord, SubFromStart, MultiItem, SmartStart, Str)) {
        Item->ChooseSubRVData(state.get());
        return true;
      }
      SubFromStart = true;  // the documents after the current one are searched whole
    }
    return false;
  };

  // The document inside an item that holds the selection continues the search first.
  int justSearched = -1;
  if (!FromStart) {
    TCustomRVItemInfo* active = GetChosenItem();
    if (!active) active = FPartialSelectedItem;
    const int activeNo = active ? GetItemNo(active) : -1;
    if (activeNo >= 0) {
      if (searchSubDocs(active, Down ? rvdChosenDown : rvdChosenUp, false)) return true;
      justSearched = activeNo;
    }
  }

  int strt, offs;
  SrchStart(Down, FromStart, SmartStart, strt, offs);
  if (strt < 0 || strt >= n) return false;

  TSearchRun run;
  auto searchRun = [&]() {
    if (run.Empty()) return false;
    const int p = FindInText(this, run.Text, str, Down, WholeWord);
    if (p < 0) {
      run.Clear();
      return false;
    }
    int si, so, ei, eo;
    run.Position(p, false, si, so);
    run.Position(p + static_cast<int>(str.size()) - 1, true, ei, eo);
    run.Clear();
    return select(si, so, ei, eo);
  };

  int i = strt;
  if (strt == justSearched) {
    i = Down ? strt + 1 : strt - 1;
  } else if (GetItem(strt)->StyleNo >= 0 && !IsInvisibleItem(strt)) {
    const TRVUnicodeString text = textOf(strt);
    const int len = static_cast<int>(text.size());
    TRVUnicodeString part;
    int base;
    if (Down) {
      base = std::clamp(offs, 1, len + 1);
      part = text.substr(static_cast<std::size_t>(base - 1));
    } else {
      base = 1;
      part = text.substr(0, static_cast<std::size_t>(std::clamp(offs - 1, 0, len)));
    }
    if (!MultiItem) {
      const int p = FindInText(this, part, str, Down, WholeWord);
      if (p >= 0) return select(strt, base + p, strt, base + p + static_cast<int>(str.size()));
    } else {
      run.Append(strt, part, true);
      run.FirstOffs = base;
      if (!Down && IsDisplayedFromNewLine(strt) && searchRun()) return true;
    }
    i = Down ? strt + 1 : strt - 1;
  }

  for (; Down ? i < n : i >= 0; i += Down ? 1 : -1) {
    if (IsInvisibleItem(i)) continue;
    TCustomRVItemInfo* item = GetItem(i);
    if (MultiItem && Down && IsDisplayedFromNewLine(i) && searchRun()) return true;
    if (item->StyleNo >= 0) {
      const TRVUnicodeString text = textOf(i);
      if (!MultiItem) {
        const int p = FindInText(this, text, str, Down, WholeWord);
        if (p >= 0) return select(i, 1 + p, i, 1 + p + static_cast<int>(str.size()));
      } else if (Down) {
        run.Append(i, text, true);
      } else {
        run.Prepend(i, text, true);
      }
    } else if (item->StyleNo == ItemKindTab) {
      if (MultiItem) {
        if (Down)
          run.Append(i, u"\t", false);
        else
          run.Prepend(i, u"\t", false);
      } else if (Str == u"\t") {
        return select(i, 0, i, 1);
      }
    } else {
      if (MultiItem && searchRun()) return true;
      if (searchSubDocs(item, Down ? rvdFirst : rvdLast, true)) return true;
    }
    if (MultiItem && !Down && (IsDisplayedFromNewLine(i) || i == 0) && searchRun()) return true;
  }
  return MultiItem && searchRun();
}
