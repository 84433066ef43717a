// Inserting one item at the caret: where it goes (after a non-text item, in place of an empty
// text item, or into a text item that is split around it), which paragraph role it takes over,
// which neighbour's tag it takes, when the insertion is refused, and the reformatting and caret
// placement afterwards. Every change goes through the primitive edits, so it is recorded in the
// undo step the caller opened.
#include <algorithm>
#include <memory>

#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVSeqItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

namespace insert_item {

bool IsMarker(const TCustomRVItemInfo* Item) { return Item && Item->StyleNo == ItemKindListMarker; }

bool HasPersistentCP(const TCustomRVItemInfo* Item) { return Item->Checkpoint && Item->Checkpoint->Persistent; }

// An item that never reached the document: its checkpoint is not in the document's chain yet,
// so it goes with the item.
void FreeLoose(TCustomRVItemInfo*& Item) {
  if (!Item) return;
  std::unique_ptr<TCustomRVItemInfo> guard(Item);
  Item = nullptr;
  delete guard->Checkpoint;
  guard->Checkpoint = nullptr;
}

// Live spelling checks the document again from this position.
void SpellFrom(TRVEditRVData& D, int ItemNo, int Offs) {
  if (auto* viewer = dynamic_cast<TCustomViroZere*>(D.GetViroZere()))
    viewer->LaterSetBackLiveSpellingTo(&D, ItemNo, Offs);
}

// Keeps rvstNoStyleTemplateAdustment on the root data while the item goes in, and takes it off
// afterwards unless it was there before, also when the insertion throws.
class NoStyleTemplateAdjustment {
 public:
  explicit NoStyleTemplateAdjustment(TCustomRVData* Root)
      : FRoot(Root), FWasSet(Root->State.Contains(rvstNoStyleTemplateAdustment)) {
    FRoot->State.Include(rvstNoStyleTemplateAdustment);
  }
  ~NoStyleTemplateAdjustment() {
    if (!FWasSet) FRoot->State.Exclude(rvstNoStyleTemplateAdustment);
  }
  NoStyleTemplateAdjustment(const NoStyleTemplateAdjustment&) = delete;
  NoStyleTemplateAdjustment& operator=(const NoStyleTemplateAdjustment&) = delete;

 private:
  TCustomRVData* FRoot;
  bool FWasSet;
};

// What the placement works out besides the position.
struct Placement {
  int Pos = -1;
  int ItemsAdded = 1;
  bool FullReformat = false;
  int NewListNo = -1;
  int ParaToApply = -1;
  // The item takes over the paragraph start of the item now at Pos: that one continues the new
  // item's paragraph once the new item is in.
  bool TakeOver = false;
  // The empty item the new one replaces: its checkpoint, which passes on, and its text style,
  // which the text kept after a lone marker takes.
  std::unique_ptr<TRVCPInfo> InheritedCP;
  int EmptyStyleNo = -1;
};

class Placer {
 public:
  Placer(TRVEditRVData& D, TCustomRVItemInfo*& Item, TRVUnicodeString& Text, bool NewPara, bool CallTextEditEvent,
         bool TakeTag, TRVUnicodeString& SplitText)
      : D(D),
        Item(Item),
        Text(Text),
        NewPara(NewPara),
        CallTextEditEvent(CallTextEditEvent),
        TakeTag(TakeTag),
        SplitText(SplitText) {}

  // False when refused: Item is freed then. True with Item nil when it was consumed unplaced.
  bool Run(Placement& R);

 private:
  TRVStyle* Style() const { return D.GetRVStyle(); }
  TCustomRVItemInfo* At(int ItemNo) const { return D.GetItem(ItemNo); }
  bool Fail() {
    FreeLoose(Item);
    return false;
  }
  bool Consume(Placement& R) {
    FreeLoose(Item);
    R.ItemsAdded = 0;
    return true;
  }
  // Nothing may go between items N-1 and N, and the new item joins neither of them.
  bool RefusedBySticking(int N);
  // The new text item takes the tag of First, or of Second when First's style differs and the
  // later of the two continues the line.
  void TakeNeighbourTag(int First, int Second);
  // The new item takes over the paragraph start of item X: X's paragraph flags pass to it.
  void TakeOverParaStart(int X, Placement& R);
  bool CaseNonText(int I, int P, Placement& R);
  bool CaseEmptyText(int I, Placement& R);
  bool CaseText(int I, int P, Placement& R);
  void ContinueListNumbering(int I, Placement& R);
  void Insert(Placement& R);

  TRVEditRVData& D;
  TCustomRVItemInfo*& Item;
  TRVUnicodeString& Text;
  bool NewPara, CallTextEditEvent, TakeTag;
  TRVUnicodeString& SplitText;
};

bool Placer::RefusedBySticking(int N) {
  if (!D.IsSticking(N - 1, true)) return false;
  if (N - 1 >= 0 && D.CanConcateItems(At(N - 1), Item, false, false, false, Text, D.GetItemTextW(N - 1))) return false;
  if (N < D.ItemCount() && D.CanConcateItems(Item, At(N), false, false, false, D.GetItemTextW(N), Text)) return false;
  return true;
}

void Placer::TakeNeighbourTag(int First, int Second) {
  if (!TakeTag || Item->StyleNo < 0 || First < 0 || First >= D.ItemCount()) return;
  int look = First;
  if (At(First)->StyleNo != Item->StyleNo && Second >= 0 && Second < D.ItemCount() &&
      At(std::max(First, Second))->GetSameAsPrev())
    look = Second;
  TCustomRVItemInfo* n = At(look);
  if (!n->Tag.empty() && n->StyleNo == Item->StyleNo) Item->Tag = n->Tag;
}

void Placer::TakeOverParaStart(int X, Placement& R) {
  TCustomRVItemInfo* x = At(X);
  Item->SetSameAsPrev(false);
  Item->SetBR(x->GetBR());
  Item->SetPageBreakBefore(x->GetPageBreakBefore());
  Item->SetClearLeft(x->GetClearLeft());
  Item->SetClearRight(x->GetClearRight());
  if (Item->GetBR()) R.ParaToApply = -1;
  R.TakeOver = true;
}

bool Placer::CaseNonText(int I, int P, Placement& R) {
  if (IsMarker(Item)) return Consume(R);
  const bool fullWidth = Item->GetBoolValue(rvbpFullWidth);
  if (P >= 1) {
    R.Pos = I + 1;
    R.ParaToApply = -1;
    if (RefusedBySticking(I + 1)) return Fail();
    if (At(I)->GetBoolValue(rvbpFullWidth)) Item->SetSameAsPrev(false);
    return true;
  }
  R.Pos = I;
  if (D.IsSticking(I - 1, true)) return Fail();
  if (!D.IsParaStart(I)) {
    R.ParaToApply = -1;
    if (I > 0 && IsMarker(At(I - 1)) && (fullWidth || (HasPersistentCP(Item) && HasPersistentCP(At(I - 1))))) {
      // The marker keeps a text item of its own so that its paragraph survives.
      D.InsertEmptyTextItem(I, TRVTag(), false, true, D.GetActualCurStyleNo(), At(I)->ParaNo);
      ++R.Pos;
      ++R.ItemsAdded;
    }
  } else {
    TakeOverParaStart(I, R);
  }
  return true;
}

void Placer::ContinueListNumbering(int I, Placement& R) {
  auto* marker = static_cast<TRVMarkerItemInfo*>(Item);
  TRVStyle* st = Style();
  if (!st || marker->ListNo < 0 || marker->ListNo >= st->ListStyles()->Count()) return;
  TRVListInfo* list = st->ListStyles()->Items(marker->ListNo);
  if (!list->HasNumbering()) return;
  const int start = D.GetFirstParaItem(I);
  if (start <= 0) return;
  TCustomRVItemInfo* prev = At(D.GetFirstParaItem(start - 1));
  if (!IsMarker(prev)) return;
  const int prevListNo = static_cast<TRVMarkerItemInfo*>(prev)->ListNo;
  if (prevListNo < 0 || prevListNo >= st->ListStyles()->Count()) return;
  if (!st->ListStyles()->Items(prevListNo)->IsSimpleEqual(list, true)) return;
  marker->ListNo = prevListNo;
  R.NewListNo = prevListNo;
}

bool Placer::CaseEmptyText(int I, Placement& R) {
  if (D.IsSticking(I - 1, true) || D.IsSticking(I, true)) return Fail();
  TCustomRVItemInfo* e = At(I);
  const bool fullWidth = Item->GetBoolValue(rvbpFullWidth);
  if ((I > 0 && IsMarker(At(I - 1)) && fullWidth) || (NewPara && !Item->GetSameAsPrev()) ||
      (HasPersistentCP(Item) && D.ParaHasPersistentCheckpoint(I))) {
    R.Pos = I + 1;
    return true;
  }
  const bool marker = IsMarker(Item);
  if (marker) ContinueListNumbering(I, R);
  if (!e->GetSameAsPrev()) {
    Item->SetSameAsPrev(false);
    if (!marker) Item->SetBR(e->GetBR());
    if (Item->GetBR()) R.ParaToApply = -1;
    Item->SetPageBreakBefore(e->GetPageBreakBefore());
    Item->SetClearLeft(e->GetClearLeft());
    Item->SetClearRight(e->GetClearRight());
  }
  // A bookmark on the empty paragraph stays with what is put there.
  if (e->Checkpoint && !Item->Checkpoint) R.InheritedCP = e->Checkpoint->CreateCopy();
  R.EmptyStyleNo = e->StyleNo;
  bool fr = false;
  D.Do_DeleteItem(I, fr);
  R.FullReformat = R.FullReformat || fr;
  R.Pos = I;
  --R.ItemsAdded;
  Item->ParaNo = D.FCurParaStyleNo;
  if (marker && R.Pos > 0 && IsMarker(At(R.Pos - 1))) {
    // A marker put into an empty list item replaces the item's marker.
    D.Do_DeleteItem(R.Pos - 1, fr);
    R.FullReformat = R.FullReformat || fr;
    --R.Pos;
    --R.ItemsAdded;
  }
  return true;
}

bool Placer::CaseText(int I, int P, Placement& R) {
  if (IsMarker(Item)) return Consume(R);
  const bool fullWidth = Item->GetBoolValue(rvbpFullWidth);
  TCustomRVItemInfo* t = At(I);
  const bool afterMarker =
      I > 0 && IsMarker(At(I - 1)) && (fullWidth || (HasPersistentCP(Item) && HasPersistentCP(At(I - 1))));
  if (P > 1 || afterMarker) {
    const TRVUnicodeString old = D.GetItemTextW(I);
    const int len = static_cast<int>(old.size());
    if (P > len) {
      R.Pos = I + 1;
      R.ParaToApply = -1;
      TakeNeighbourTag(I, I + 1);
      if (RefusedBySticking(I + 1)) return Fail();
      return true;
    }
    if (D.IsProtected(I, rvprModifyProtect)) return Fail();
    P = std::max(P, 1);
    SpellFrom(D, I, P);
    D.Do_DeleteSubstring(I, P, len - P + 1);
    std::unique_ptr<TCustomRVItemInfo> tail(D.CreateSplitTextItem(t));
    tail->SetSameAsPrev(true);
    TRVUnicodeString tailText = old.substr(static_cast<size_t>(P - 1));
    SplitText = old;
    if (CallTextEditEvent) D.DoItemTextEdit(old, I);
    bool fr = false;
    TCustomRVItemInfo* tailItem = tail.get();
    D.Do_InsertItem(I + 1, tailText, tailItem, false, fr);
    tail.release();
    R.FullReformat = R.FullReformat || fr;
    if (CallTextEditEvent) {
      D.DoItemTextEdit(old, I + 1);
      SplitText.clear();
    }
    R.Pos = I + 1;
    ++R.ItemsAdded;
    R.ParaToApply = -1;
    TakeNeighbourTag(I + 1, -1);
    return true;
  }
  R.Pos = I;
  TakeNeighbourTag(I, I - 1);
  if (RefusedBySticking(I)) return Fail();
  if (fullWidth || t->GetSameAsPrev() || (NewPara && D.GetItemTextW(I).empty() && D.IsParaStart(I))) {
    R.ParaToApply = -1;
    return true;
  }
  TakeOverParaStart(I, R);
  return true;
}

void Placer::Insert(Placement& R) {
  bool fr = false;
  const int pos = R.Pos;
  // The first item of a paragraph that continues a list marker shares the marker's paragraph.
  if (pos > 0 && IsMarker(At(pos - 1))) Item->SetSameAsPrev(true);
  if (Item->GetBoolValue(rvbpFullWidth)) {
    if (pos < D.ItemCount()) {
      D.Do_NewLine(pos, false, -1, fr);
      R.FullReformat = R.FullReformat || fr;
      D.Do_BR(pos, false, fr);
      R.FullReformat = R.FullReformat || fr;
    }
    if (Item->StyleNo == ItemKindHorizontalLine) Item->ParaNo = 0;
  }
  if (pos == 0) Item->SetSameAsPrev(false);
  if (Item->GetSameAsPrev()) Item->ParaNo = At(pos - 1)->ParaNo;
  TCustomRVItemInfo* item = Item;
  {
    NoStyleTemplateAdjustment guard(D.GetAbsoluteRootData());
    D.Do_InsertItem(pos, Text, item, false, fr);
  }
  R.FullReformat = R.FullReformat || fr;
  if (R.TakeOver && pos + 1 < D.ItemCount()) {
    D.Do_NewLine(pos + 1, true, -1, fr);
    R.FullReformat = R.FullReformat || fr;
  }
  int cpTarget = pos;
  if (IsMarker(item) && (pos + 1 >= D.ItemCount() || D.IsParaStart(pos + 1))) {
    // A marker alone would be a paragraph with nothing to show and nowhere for the caret: it
    // gets an empty text of its own.
    D.InsertEmptyTextItem(pos + 1, TRVTag(), false, true,
                          R.EmptyStyleNo >= 0 ? R.EmptyStyleNo : D.GetActualCurStyleNo(), item->ParaNo);
    ++R.ItemsAdded;
    cpTarget = pos + 1;
  }
  if (R.InheritedCP && !At(cpTarget)->Checkpoint) D.Do_AddCP(cpTarget, R.InheritedCP.release());
  const int n = D.ItemCount();
  if (pos + 1 < n && HasPersistentCP(At(pos + 1)) && At(pos + 1)->GetSameAsPrev() && !item->Checkpoint)
    D.Do_MoveCP(pos + 1, pos);
  if (R.ParaToApply >= 0 && R.ParaToApply != item->ParaNo && item->StyleNo != ItemKindHorizontalLine) {
    int first = pos, last = pos;
    D.ExpandToPara(pos, pos, first, last);
    D.Do_Para(first, last, R.ParaToApply, fr);
    R.FullReformat = R.FullReformat || fr;
  }
  if (pos + 1 < n && At(pos + 1)->GetSameAsPrev() && HasPersistentCP(At(pos + 1))) {
    D.Do_NewLine(pos + 1, false, -1, fr);
    R.FullReformat = R.FullReformat || fr;
  }
  SpellFrom(D, pos, 0);
}

bool Placer::Run(Placement& R) {
  if (!Item) return false;
  TRVStyle* st = Style();
  R.ParaToApply =
      !Item->GetSameAsPrev() && st && Item->ParaNo >= 0 && Item->ParaNo < st->ParaStyles()->Count() ? Item->ParaNo : -1;
  int I = -1, P = -1;
  if (D.CaretDrawItemNo >= 0 && D.CaretDrawItemNo < D.DrawItems->Count()) D.CaretToItem(I, P);
  if (I >= D.ItemCount()) I = -1;
  if (NewPara || D.DrawItems->Count() == 0 || I < 0 || Item->GetBoolValue(rvbpFullWidth) || HasPersistentCP(Item) ||
      IsMarker(Item)) {
    Item->SetSameAsPrev(false);
    Item->ParaNo = D.FCurParaStyleNo;
  } else {
    Item->SetSameAsPrev(true);
    Item->ParaNo = At(I)->ParaNo;
  }
  if (D.IsParaProtected(Item->ParaNo, rvpaoReadOnly)) return Fail();
  if (TakeTag && Item->StyleNo >= 0 && Item->Tag.empty() && !D.FCurTag.empty() &&
      D.StylesCanShareTag(Item->StyleNo, D.FCurTagStyleNo))
    Item->Tag = D.FCurTag;

  bool placed;
  if (I < 0) {
    // No caret (nothing shown): the item ends the document.
    if (IsMarker(Item)) return Consume(R);
    R.Pos = D.ItemCount();
    if (RefusedBySticking(R.Pos)) return Fail();
    placed = true;
  } else if (At(I)->StyleNo < 0) {
    placed = CaseNonText(I, P, R);
  } else {
    const int style = D.GetActualStyle(At(I));
    const bool wide =
        st && style >= 0 && style < st->TextStyles()->Count() && st->TextStyles()->Items(style)->EmptyWidth > 0;
    placed = D.GetItemTextW(I).empty() && !wide ? CaseEmptyText(I, R) : CaseText(I, P, R);
  }
  if (!placed || !Item) return placed;
  Insert(R);
  return true;
}

}  // namespace insert_item

bool TRVEditRVData::InsertSomething(TCustomRVItemInfo* Item, TRVUnicodeString& Text, TRVUnicodeString& SplitText,
                                    bool TakeTag, bool CaretBefore, bool CallTextEditEvent) {
  SplitText.clear();
  if (!Item) return false;
  if (Item->StyleNo != ItemKindHorizontalLine && !insert_item::HasPersistentCP(Item)) Item->ParaNo = FCurParaStyleNo;
  if (FPartialSelectedItem) {
    insert_item::FreeLoose(Item);
    Beep();
    return false;
  }
  // The caret line as it was: the draw items that partial formatting starts from.
  int firstDItem = -1, lastDItem = -1;
  if (CharEnds.Count() > 0) {
    firstDItem = CharEnds.GetItem(0)->DrawItemNo;
    lastDItem = CharEnds.GetItem(CharEnds.Count() - 1)->DrawItemNo;
  }
  insert_item::Placement R;
  insert_item::Placer placer(*this, Item, Text, false, CallTextEditEvent, TakeTag, SplitText);
  if (!placer.Run(R)) {
    Beep();
    return false;
  }
  if (!Item) return true;

  const int pos = R.Pos;
  const bool partial = firstDItem >= 0 && lastDItem < DrawItems->Count() &&
                       ((!R.FullReformat && DocumentWidth >= CalculateMinItemWidthPlusEx(pos)) ||
                        CalculateMinDocWidthPlus(0, nullptr, GetFormatCanvas()) == DocumentWidth);
  if (partial) {
    FormatParas(firstDItem, lastDItem, R.ItemsAdded);
    // Counters after a new number (sequences, numbered markers) change with it.
    if (Item->StyleNo == ItemKindListMarker || dynamic_cast<TRVSeqItemInfo*>(Item))
      UpdateRangeAfterMarkersOrSeq(pos, pos);
  } else {
    // The old caret line names draw items that are about to go.
    CharEnds.Clear();
    CaretDrawItemNo = CaretOffs = -1;
    Format_(false, true, false, 0, GetFormatCanvas(), false, false, false, false, false);
    InvalidateDocument();
  }

  const bool text = GetItem(pos)->StyleNo >= 0;
  int offs;
  if (CaretBefore)
    offs = text ? 1 : 0;
  else
    offs = text ? static_cast<int>(Text.size()) + 1 : 1;
  int dNo = -1, dOffs = 0;
  Item2DrawItem(pos, offs, dNo, dOffs);
  if (dNo < 0) Item2DrawItem(pos, offs, dNo, dOffs, 2);
  if (dNo >= 0) {
    CaretDrawItemNo = dNo;
    OnChangeCaretLine(dOffs - 2);
  } else if (DrawItems->Count() > 0) {
    // Nothing around the item is shown: the caret goes to the document's start.
    CaretDrawItemNo = 0;
    OnChangeCaretLine(GetOffsBeforeDrawItem(0) - 2);
  } else {
    CharEnds.Clear();
    CaretDrawItemNo = CaretOffs = -1;
  }
  ChangeCaret(false, true, false, false);
  DoAfterFormatAndCaretPositioning(true);
  return true;
}

bool TRVEditRVData::InsertItemAtCaret(TCustomRVItemInfo*& Item, TRVUnicodeString& Text, bool NewPara,
                                      bool CallTextEditEvent, bool TakeTag, int& Pos, int& ItemsAdded,
                                      bool& FullReformat, int& NewListNo) {
  insert_item::Placement R;
  TRVUnicodeString splitText;
  insert_item::Placer placer(*this, Item, Text, NewPara, CallTextEditEvent, TakeTag, splitText);
  const bool ok = placer.Run(R);
  Pos = R.Pos;
  ItemsAdded = R.ItemsAdded;
  FullReformat = R.FullReformat;
  NewListNo = R.NewListNo;
  return ok;
}
