// The undo and redo lists: steps, group markers, typing and the step performer.
#include "engine/editor/RVUndo.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "engine/document/RVScaleViroZere.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVError.h"
#include "engine/layout/DrawLines.h"

namespace {

bool IsGroupMarker(const TRVUndoInfos* Step) { return dynamic_cast<const TRVUndoInfosBeginOrEnd2*>(Step) != nullptr; }

// A typing step holds its one typing record and nothing else.
bool IsTypingStep(const TRVUndoInfos* Step) { return Step->Count() == 1 && Step->Items(0)->Action == rvuTyping; }

// The editor data a record is undone on, when it is one: typing records the character they move
// on the list that data records to now.
TRVEditRVData* AsEditData(TCustomRVData* RVData) { return dynamic_cast<TRVEditRVData*>(RVData); }

// The text item ItemNo of RVData holds 1-based position Pos (Pos may be one past the end when
// AllowEnd).
bool TextPosExists(TCustomRVData* RVData, int ItemNo, int Pos, bool AllowEnd) {
  if (!RVData || ItemNo < 0 || ItemNo >= RVData->ItemCount() || RVData->GetItem(ItemNo)->StyleNo < 0) return false;
  const int len = static_cast<int>(RVData->GetItemTextW(ItemNo).size());
  return Pos >= 1 && Pos <= len + (AllowEnd ? 1 : 0);
}

}  // namespace

TCustomRVFormattedData* TRVUndoInfo::GetUndoListOwnerRVData() const { return FUndoList ? FUndoList->FRVData : nullptr; }

// ---- typing records ---------------------------------------------------------------------------

void TRVUndoTypingInfo::Undo(TCustomRVData* RVData) {
  const int pos = Index + Length - 1;
  if (Length <= 0 || !TextPosExists(RVData, ItemNo, pos, false)) {
    // The document no longer holds what was typed: the record has nothing left to give back.
    Length = 0;
    return;
  }
  OldWidth = RVUndoItemMinWidth(RVData, ItemNo);
  TRVUnicodeString text = RVData->GetItemTextW(ItemNo);
  const WideChar ch = text[pos - 1];
  text.erase(pos - 1, 1);
  RVData->SetItemTextW(ItemNo, text);
  --Length;
  if (TRVEditRVData* edit = AsEditData(RVData))
    if (TRVUndoList* list = edit->GetUndoList()) list->AddUntyping(ch, ItemNo, Index + Length + 1, edit->GetEditor());
}

void TRVRedoTypingInfo::Undo(TCustomRVData* RVData) {
  const int n = static_cast<int>(s.size());
  if (n == 0 || !TextPosExists(RVData, ItemNo, Index - n, true)) {
    s.clear();
    return;
  }
  OldWidth = RVUndoItemMinWidth(RVData, ItemNo);
  TRVUnicodeString text = RVData->GetItemTextW(ItemNo);
  text.insert(text.begin() + (Index - n - 1), s.back());
  RVData->SetItemTextW(ItemNo, text);
  s.pop_back();
  if (TRVEditRVData* edit = AsEditData(RVData))
    if (TRVUndoList* list = edit->GetUndoList()) list->AddTyping(ItemNo, Index - n, true, edit->GetEditor());
}

bool TRVRedoTypingInfo::RequiresFullReformat2(TCustomRVData* RVData) {
  return RVUndoWidthCheck(RVData, ItemNo, OldWidth);
}

// ---- steps ------------------------------------------------------------------------------------

void TRVUndoInfos::Undo(TRVEditRVData* RVData, bool Reformat) {
  RVData->BeginRedoSequence(UndoType, Caption);
  Perform(RVData, Reformat);
}

void TRVUndoInfos::Redo(TRVEditRVData* RVData, bool Reformat) {
  RVData->BeginNamedUndoSequence(UndoType, Caption, true);
  Perform(RVData, Reformat);
}

bool TRVUndoInfos::CanDelete() const { return Count() == 0 || !Items(0)->HoldsMore(); }

void TRVUndoInfos::ChangeUndoList(TRVUndoList* List) {
  for (int i = 0; i < Count(); ++i) Items(i)->FUndoList = List;
}

void TRVUndoInfos::Perform(TRVEditRVData* RVData, bool Reformat) {
  TRVEditRVData* D = RVData;
  // Style templates must not be adjusted to the styles the records put back.
  TCustomRVData* absRoot = D->GetAbsoluteRootData();
  const bool hadNoAdjustment = absRoot->State.Contains(rvstNoStyleTemplateAdustment);
  absRoot->State.Include(rvstNoStyleTemplateAdustment);
  struct RestoreState {
    TCustomRVData* Root;
    bool Had;
    bool Done = false;
    void operator()() {
      if (!Done && !Had) Root->State.Exclude(rvstNoStyleTemplateAdustment);
      Done = true;
    }
    ~RestoreState() { (*this)(); }
  } restoreState{absRoot, hadNoAdjustment};
  if (IsEmpty()) return;
  D->Deselect(nullptr, true);

  // The items the records touch, as they stand before undoing, widened by the items undoing adds.
  bool needFormat = false, changesStyles = false, superFormat = false;
  int firstItem = D->ItemCount() - 1, lastItem = 0, added = 0;
  int rangeStart = -1, rangeEnd = -1;
  for (int i = Count() - 1; i >= 0; --i) {
    TRVUndoInfo* info = Items(i);
    needFormat = needFormat || info->RequiresFormat();
    changesStyles = changesStyles || info->ChangesStyles();
    superFormat = superFormat || info->RequiresSuperFormat();
    info->GetItemsRange(rangeStart, rangeEnd, D);
    if (added > 0) rangeEnd += added;
    const int n = info->ItemsAdded();
    if (n > 0) rangeEnd += n;
    added += n;
    firstItem = std::min(firstItem, rangeStart);
    lastItem = std::max(lastItem, rangeEnd);
  }
  if (lastItem < firstItem) std::swap(firstItem, lastItem);
  firstItem = std::max(firstItem, 0);
  lastItem = std::max(lastItem, firstItem);
  if (lastItem + added < firstItem) lastItem = firstItem - added;
  lastItem = std::min(lastItem, D->ItemCount() - 1);
  const int drawCount = D->DrawItems->Count();
  int firstDraw = D->Item2FirstDrawItem(firstItem), lastDraw = D->Item2LastDrawItem(lastItem);
  if (firstDraw < 0 || firstDraw >= drawCount) firstDraw = 0;
  if (lastDraw < 0 || lastDraw >= drawCount) lastDraw = drawCount - 1;
  D->GetParaBoundsEx(firstDraw, lastDraw, firstDraw, lastDraw, false);

  // Undo the records, last first, judging whether the whole document must be formatted.
  int depth = 0, bracketOldW = 0;
  bool full = false, repaginate = false;
  for (int i = Count() - 1; i >= 0; --i) {
    TRVUndoInfo* info = Items(i);
    if (depth == 0) full = needFormat && (full || info->RequiresFullReformat1(D));
    repaginate = info->RequiresRepagination(D) || repaginate;
    switch (info->WidthBracket()) {
      case rvwbClosing:
        if (depth == 0) bracketOldW = info->GetBracketOldW();
        ++depth;
        break;
      case rvwbOpening:
        // An opening bracket without its closing one is judged on its own.
        if (depth > 0 && --depth == 0) info->SetBracketOldW(bracketOldW);
        break;
      case rvwbNone:
        break;
    }
    if (info->RequiresFormattedDocBefore()) {
      D->Format(false);
      needFormat = false;
    }
    info->Undo(D);
    if (depth == 0) full = needFormat && (full || info->RequiresFullReformat2(D));
  }

  // Live spelling checks the touched paragraphs again.
  const int itemCount = D->ItemCount();
  if (itemCount > 0) {
    firstItem = std::clamp(firstItem, 0, itemCount - 1);
    lastItem = std::clamp(lastItem, firstItem, itemCount - 1);
    D->ExpandToParaSection(firstItem, lastItem, firstItem, lastItem);
    for (int i = firstItem; i <= lastItem; ++i) D->GetItem(i)->ClearLiveSpellingResult();
    if (auto* viewer = dynamic_cast<TCustomViroZere*>(D->GetViroZere()))
      viewer->LaterSetBackLiveSpellingTo(D, firstItem, 0);
  }
  restoreState();

  if (Reformat && needFormat) {
    if (full && D->CalculateMinDocWidthPlus(0, nullptr, D->GetFormatCanvas()) != D->DocumentWidth)
      D->Format(false);
    else
      D->FormatParas(firstDraw, lastDraw, added, false);
  }
  // The caret goes where the step says, when that is still in the document.
  if (!D->GetInplaceEditor() && CaretItemNo >= 0 && CaretItemNo < D->ItemCount())
    D->SetSelectionBounds(CaretItemNo, CaretOffs, CaretItemNo, CaretOffs);
  if (auto* Window = dynamic_cast<TWinControl*>(D->GetParentControl())) Window->Invalidate();
  if (superFormat) static_cast<TCustomRVFormattedData*>(absRoot)->Format(false);
  if (repaginate)
    if (auto layout = absRoot->GetScaleViroZereInterface()) layout->Paginate();
  D->DoAfterFormatAndCaretPositioning(true);
  if (changesStyles)
    if (TCustomViroZereEdit* editor = D->GetEditor()) {
      editor->CurTextStyleChange();
      editor->CurParaStyleChange();
    }
}

// Undoing the end of a group starts the group on the other list, and the other way round, so a
// bracketed run comes out bracketed again.
void TRVUndoInfosBegin2::Undo(TRVEditRVData* RVData, bool /*Reformat*/) { RVData->EndRedoGroup2(UndoType); }
void TRVUndoInfosBegin2::Redo(TRVEditRVData* RVData, bool /*Reformat*/) { RVData->EndUndoGroup2(UndoType); }
void TRVUndoInfosEnd2::Undo(TRVEditRVData* RVData, bool /*Reformat*/) { RVData->BeginRedoGroup2(UndoType); }
void TRVUndoInfosEnd2::Redo(TRVEditRVData* RVData, bool /*Reformat*/) { RVData->BeginUndoGroup2(UndoType); }

// ---- the list ---------------------------------------------------------------------------------

void TRVUndoList::NotifyAdded(TObject* Editor) {
  if (!FRVData) return;
  if (auto layout = FRVData->GetAbsoluteRootData()->GetScaleViroZereInterface()) layout->DoOnAddUndo(Editor);
}

void TRVUndoList::NotifyDropped(TObject* Editor) {
  if (!FRVData) return;
  if (auto layout = FRVData->GetAbsoluteRootData()->GetScaleViroZereInterface()) layout->DoOnDeleteLastUndo(Editor);
}

void TRVUndoList::DropEmptyLast() {
  if (Count() && LastStep()->IsEmpty()) Delete(Count() - 1);
}

bool TRVUndoList::BeginItem(TRVUndoType UndoType, const TRVUnicodeString& Caption, int CaretItemNo, int CaretOffs,
                            TObject* Editor) {
  if (Limit == 0) return false;
  // In group mode records join the last step; a typing step and a group marker take none, so
  // a step of its own is opened after them.
  if (GroupModeCount > 0 && Count() && !IsTypingStep(LastStep()) && !IsGroupMarker(LastStep())) return true;
  while (Limit > 0 && Count() >= Limit) Delete(0);
  TRVUnicodeString caption = Caption;
  if (Count() && LastStep()->IsEmpty()) {
    // A step left empty is replaced; the caret and caption it was opened with are the ones the
    // user saw before this change.
    const TRVUndoInfos* empty = LastStep();
    CaretItemNo = empty->CaretItemNo;
    CaretOffs = empty->CaretOffs;
    caption = empty->Caption;
    Delete(Count() - 1);
  }
  auto* Step = new TRVUndoInfos;
  Step->UndoType = UndoType;
  Step->Caption = caption;
  Step->CaretItemNo = CaretItemNo;
  Step->CaretOffs = CaretOffs;
  Add(Step);
  NotifyAdded(Editor);
  return true;
}

void TRVUndoList::EndItem(TObject* Editor) {
  if (Count() && LastStep()->IsEmpty()) {
    Delete(Count() - 1);
    NotifyDropped(Editor);
  }
}

void TRVUndoList::AddInfo(TRVUndoInfo* Info, TObject* /*Editor*/) {
  if (!Count() || IsGroupMarker(LastStep())) throw EViroZereError("Can't modify empty undo list");
  if (IsTypingStep(LastStep())) throw EViroZereError("Incorrect adding into undo list");
  Info->FUndoList = this;
  LastStep()->Add(Info);
}

void TRVUndoList::AddInfoIfPossible(TRVUndoInfo* Info, TObject* Editor) {
  if (!Count() || IsGroupMarker(LastStep()) || IsTypingStep(LastStep())) {
    delete Info;
    return;
  }
  AddInfo(Info, Editor);
}

void TRVUndoList::AddInfos(TRVUndoInfos* Infos, TObject* Editor) {
  if (Limit == 0) {
    delete Infos;
    return;
  }
  while (Limit > 0 && Count() >= Limit) Delete(0);
  Infos->ChangeUndoList(this);
  Add(Infos);
  NotifyAdded(Editor);
}

void TRVUndoList::AddTyping(int CaretItemNo, int CaretOffs, bool Unicode, TObject* Editor) {
  if (Limit == 0) return;
  DropEmptyLast();
  if (Count() && LastStep()->Count()) {
    auto* typing = dynamic_cast<TRVUndoTypingInfo*>(LastStep()->Items(0));
    if (typing && typing->ItemNo == CaretItemNo && CaretOffs == typing->Index + typing->Length) {
      ++typing->Length;
      ++LastStep()->CaretOffs;
      return;
    }
  }
  if (!BeginItem(rvutTyping, TRVUnicodeString(), CaretItemNo, CaretOffs, Editor)) return;
  auto info = std::make_unique<TRVUndoTypingInfo>();
  info->ItemNo = CaretItemNo;
  info->Index = CaretOffs;
  info->Length = 1;
  info->Unicode = Unicode;
  AddInfo(info.get(), Editor);
  info.release();
}

void TRVUndoList::AddUntyping(WideChar Char, int CaretItemNo, int CaretOffs, TObject* Editor) {
  if (Limit == 0) return;
  DropEmptyLast();
  if (Count() && LastStep()->Count()) {
    auto* untyping = dynamic_cast<TRVRedoTypingInfo*>(LastStep()->Items(0));
    if (untyping && untyping->ItemNo == CaretItemNo &&
        untyping->Index - static_cast<int>(untyping->s.size()) == CaretOffs) {
      untyping->s.push_back(Char);
      --LastStep()->CaretOffs;
      return;
    }
  }
  if (!BeginItem(rvutTyping, TRVUnicodeString(), CaretItemNo, CaretOffs, Editor)) return;
  auto info = std::make_unique<TRVRedoTypingInfo>();
  info->ItemNo = CaretItemNo;
  info->Index = CaretOffs;
  info->s = TRVUnicodeString(1, Char);
  AddInfo(info.get(), Editor);
  info.release();
}

namespace {
// Appends a group marker of class Marker (only without a limit: a finite list could drop one
// end of a bracket).
template <typename Marker>
bool AddGroupMarker(TRVUndoList& List, TRVUndoType UndoType, const TRVUnicodeString& Caption, int CaretItemNo,
                    int CaretOffs) {
  if (List.Limit >= 0) return false;
  auto* M = new Marker;
  M->UndoType = UndoType;
  M->Caption = Caption;
  M->CaretItemNo = CaretItemNo;
  M->CaretOffs = CaretOffs;
  List.Add(M);
  return true;
}
}  // namespace

bool TRVUndoList::AddBeginGroup2(TRVUndoType UndoType, const TRVUnicodeString& Caption, int CaretItemNo,
                                 int CaretOffs, TObject* Editor) {
  if (!AddGroupMarker<TRVUndoInfosBegin2>(*this, UndoType, Caption, CaretItemNo, CaretOffs)) return false;
  NotifyAdded(Editor);
  return true;
}

bool TRVUndoList::AddEndGroup2(TRVUndoType UndoType, const TRVUnicodeString& Caption, int CaretItemNo, int CaretOffs,
                               TObject* Editor) {
  if (!AddGroupMarker<TRVUndoInfosEnd2>(*this, UndoType, Caption, CaretItemNo, CaretOffs)) return false;
  NotifyAdded(Editor);
  return true;
}

void TRVUndoList::PopIfEmpty() {
  if (GroupModeCount <= 0) DropEmptyLast();
}

void TRVUndoList::SetUndoGroupMode(bool GroupUndo, TObject* /*Editor*/) { GroupModeCount += GroupUndo ? 1 : -1; }

void TRVUndoList::PerformGroup(TRVEditRVData* RVData, bool Redo) {
  if (!Count()) throw EViroZereError("Undo buffer is empty");
  int depth = 0;
  while (Count()) {
    TRVUndoInfos* Step = LastStep();
    if (Redo) Step->Redo(RVData, FReformatLock <= 0);
    else Step->Undo(RVData, FReformatLock <= 0);
    if (dynamic_cast<TRVUndoInfosEnd2*>(Step)) ++depth;
    else if (dynamic_cast<TRVUndoInfosBegin2*>(Step) && depth > 0) --depth;
    // What the step's records did may have cleared the list (an event handler clearing undo):
    // the step is then gone and must not be touched again.
    const int index = IndexOf(Step);
    if (index >= 0) {
      if (Step->CanDelete()) Delete(index);
      else if (Step->Count() && dynamic_cast<TRVUndoTypingInfo*>(Step->Items(0))) --Step->CaretOffs;
      else if (Step->Count() && dynamic_cast<TRVRedoTypingInfo*>(Step->Items(0))) ++Step->CaretOffs;
    }
    // The step opened on the other list keeps nothing when the records had nothing to give back.
    TRVUndoList* Other = this == RVData->UndoList.get() ? static_cast<TRVUndoList*>(RVData->RedoList.get())
                                                        : RVData->UndoList.get();
    Other->EndItem(RVData->GetEditor());
    if (depth == 0) break;
    PerformNestedEditors(RVData, Redo);
  }
}

void TRVUndoList::Undo(TRVEditRVData* RVData) { PerformGroup(RVData, false); }
void TRVUndoList::Redo(TRVEditRVData* RVData) { PerformGroup(RVData, true); }

TRVUndoType TRVUndoList::CurrentUndoType() const { return Count() ? LastStep()->UndoType : rvutNone; }
TRVUnicodeString TRVUndoList::CurrentUndoCaption() const { return Count() ? LastStep()->Caption : TRVUnicodeString(); }
