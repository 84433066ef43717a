// The editor control's state that the editor data uses.
#include "engine/editor/RVEdit.h"

#include <algorithm>

#include "engine/document/DLines.h"
#include "engine/layout/DrawLines.h"
#include "engine/document/RVScaleViroZere.h"
#include "engine/foundation/RVError.h"
#include "platform/ui/Dialogs.h"

namespace {
// The text cursor (the window system's I-beam).
constexpr int crIBeam = -4;

std::unique_ptr<TViroZereRVData> MakeEditData(TCustomViroZere* Viewer) {
  return std::make_unique<TRVEditRVData>(Viewer);
}
}  // namespace

TCustomViroZereEdit::TCustomViroZereEdit(TComponent* AOwner) : TCustomViroZere(AOwner, &MakeEditData) {
  TRVFlags F = GetViewerFlags();
  F.Include(rvflRootEditor);
  F.Exclude(rvflUseJumps);
  F.Exclude(rvflUseExternalLeading);
  SetViewerFlags(F);
  // Arrow keys move the caret, they do not scroll.
  KeyboardScroll = false;
  SetCursor(crIBeam);
  SetLiveSpellingMode(rvlspOnChange);
  GetEditRVData()->SetEditor(this);
}
// The viewer's destructor clears the data after this part of the control is gone.
TCustomViroZereEdit::~TCustomViroZereEdit() {
  if (TRVEditRVData* Data = GetEditRVData()) Data->SetEditor(nullptr);
}

// The vertical bar stays (disabled) when the document fits: deleting everything must not widen
// the text area, or what undo brings back would be laid out at another width.
void TCustomViroZereEdit::CreateParams(TCreateParams& Params) {
  TCustomViroZere::CreateParams(Params);
  SetVDisableNoScroll(true);
}

// ---- the gate and the change notification ----

bool TCustomViroZereEdit::BeforeChange(bool FromOutside) {
  TRVEditRVData* Data = GetEditRVData();
  const bool Allowed = !GetReadOnly() && GetStyle() && (FromOutside || !Data->FCaptureMouseItem) && QueryChanging();
  if (!Allowed) {
    Data->Beep();
    return false;
  }
  LiveSpellingBeforeChange();
  Data->PrepareForEdit();
  if (TCustomViroZereEdit* Root = GetRootEditor()) Root->ClearSoftPageBreaks();
  HideSmartPopup();
  return true;
}

bool TCustomViroZereEdit::QueryChanging() {
  bool CanEdit = true;
  if (OnChanging) OnChanging(GetRootEditor() ? GetRootEditor() : this, CanEdit);
  return CanEdit;
}

void TCustomViroZereEdit::DoChange(bool AClearRedo) {
  TRVEditRVData* Data = GetEditRVData();
  Data->CreateResizer();
  FModified = true;
  ClearSoftPageBreaks();
  Data->ClearJumpsInfo();
  if (AClearRedo) ClearRedo();
  if (GetViewerFlags().Contains(rvflRoot))
    if (std::shared_ptr<IRVScaleViroZereInterface> Owner = Data->GetScaleViroZereInterface())
      Owner->DoOnChange(this, AClearRedo);
  if (OnChange) OnChange(this);
  LiveSpellingAfterChange();
  HideSmartPopup();
}

// ---- current styles and caret events ----

int TCustomViroZereEdit::GetCurTextStyleNo() {
  TRVEditRVData* Data = GetTopLevelEditor()->GetEditRVData();
  return Data->GetActualStyleEx(Data->FCurTextStyleNo, Data->FCurParaStyleNo);
}
int TCustomViroZereEdit::GetActualCurTextStyleNo() { return GetTopLevelEditor()->GetEditRVData()->FCurTextStyleNo; }
void TCustomViroZereEdit::SetCurTextStyleNo(int Value) {
  TCustomViroZereEdit* Top = GetTopLevelEditor();
  if (Top != this) {
    Top->SetCurTextStyleNo(Value);
    return;
  }
  TRVEditRVData* Data = GetEditRVData();
  const bool Forced = Data->State.Contains(rvstForceStyleChangeEvent);
  Data->State.Exclude(rvstForceStyleChangeEvent);
  if (Value == Data->FCurTextStyleNo && !Forced) return;
  Data->FCurTextStyleNo = Value;
  CurTextStyleChange();
}
int TCustomViroZereEdit::GetCurParaStyleNo() { return GetTopLevelEditor()->GetEditRVData()->FCurParaStyleNo; }
void TCustomViroZereEdit::SetCurParaStyleNo(int Value) {
  TCustomViroZereEdit* Top = GetTopLevelEditor();
  if (Top != this) {
    Top->SetCurParaStyleNo(Value);
    return;
  }
  TRVEditRVData* Data = GetEditRVData();
  if (Value == Data->FCurParaStyleNo && !Data->State.Contains(rvstForceStyleChangeEvent)) return;
  Data->FCurParaStyleNo = Value;
  CurParaStyleChange();
}

TRVEditRootEvents* TCustomViroZereEdit::RootEditEvents() {
  TCustomViroZereEdit* Root = GetRootEditor();
  return Root ? Root->GetEditRVData()->FRootEditEvents.get() : nullptr;
}

void TCustomViroZereEdit::CurParaStyleChange() {
  if (!GetStyle() || IsDestroying()) return;
  TCustomViroZereEdit* Root = GetRootEditor();
  if (OnCurParaStyleChanged) OnCurParaStyleChanged(Root);
  if (TRVEditRootEvents* Events = RootEditEvents()) Events->ExecuteCurParaStyleChange(Root);
}
void TCustomViroZereEdit::CurTextStyleChange() {
  if (!GetStyle() || IsDestroying()) return;
  TCustomViroZereEdit* Root = GetRootEditor();
  if (OnCurTextStyleChanged) OnCurTextStyleChanged(Root);
  if (TRVEditRootEvents* Events = RootEditEvents()) Events->ExecuteCurTextStyleChange(Root);
}
void TCustomViroZereEdit::AfterCaretMove() {
  if (IsDestroying()) return;
  TCustomViroZereEdit* Root = GetRootEditor();
  if (OnCaretMove) OnCaretMove(Root);
  if (TRVEditRootEvents* Events = RootEditEvents()) Events->ExecuteCaretMove(Root);
}
int TCustomViroZereEdit::GetCurItemNo() { return GetEditRVData()->GetCurItemNo(); }
int TCustomViroZereEdit::GetOffsetInCurItem() { return GetEditRVData()->GetOffsetInCurItem(); }

void TCustomViroZereEdit::RegisterCurTextStyleChangeHandler(TComponent* Component, TNotifyEvent Event) {
  if (TRVEditRootEvents* E = RootEditEvents())
    TCustomRVDataEvents::RegisterEventHandler(Component, E->CurTextStyleChangeHandlers, std::move(Event));
}
void TCustomViroZereEdit::UnregisterCurTextStyleChangeHandler(TComponent* Component) {
  if (TRVEditRootEvents* E = RootEditEvents())
    TCustomRVDataEvents::UnregisterEventHandler(Component, E->CurTextStyleChangeHandlers);
}
void TCustomViroZereEdit::RegisterCurParaStyleChangeHandler(TComponent* Component, TNotifyEvent Event) {
  if (TRVEditRootEvents* E = RootEditEvents())
    TCustomRVDataEvents::RegisterEventHandler(Component, E->CurParaStyleChangeHandlers, std::move(Event));
}
void TCustomViroZereEdit::UnregisterCurParaStyleChangeHandler(TComponent* Component) {
  if (TRVEditRootEvents* E = RootEditEvents())
    TCustomRVDataEvents::UnregisterEventHandler(Component, E->CurParaStyleChangeHandlers);
}
void TCustomViroZereEdit::RegisterCaretMoveHandler(TComponent* Component, TNotifyEvent Event) {
  if (TRVEditRootEvents* E = RootEditEvents())
    TCustomRVDataEvents::RegisterEventHandler(Component, E->CaretMoveHandlers, std::move(Event));
}
void TCustomViroZereEdit::UnregisterCaretMoveHandler(TComponent* Component) {
  if (TRVEditRootEvents* E = RootEditEvents()) TCustomRVDataEvents::UnregisterEventHandler(Component, E->CaretMoveHandlers);
}

// ---- the chain of editors ----

TCustomViroZereEdit* TCustomViroZereEdit::GetTopLevelEditor() {
  TCustomViroZereEdit* Editor = this;
  // Bounded: a cell editor never holds its own owner, but a broken chain must not hang.
  for (int Depth = 0; Depth < 1000; ++Depth) {
    auto* Inner = dynamic_cast<TCustomViroZereEdit*>(Editor->GetInplaceEditor());
    if (!Inner || Inner == Editor) break;
    Editor = Inner;
  }
  return Editor;
}

TCustomViroZereEdit* TCustomViroZereEdit::GetRootEditor() {
  TViroZereRVData* Data = GetRVData();
  if (!Data) return nullptr;
  auto* Root = dynamic_cast<TViroZereRVData*>(Data->GetAbsoluteRootData());
  if (!Root) return this;
  auto* Editor = dynamic_cast<TCustomViroZereEdit*>(Root->GetViroZere());
  return Editor ? Editor : this;
}

// ---- undo ----

int TCustomViroZereEdit::GetUndoLimit() const { return GetEditRVData()->UndoList->Limit; }
void TCustomViroZereEdit::SetUndoLimit(int Value) { GetEditRVData()->UndoList->Limit = Value; }
void TCustomViroZereEdit::ClearUndo() {
  if (TCustomViroZereEdit* Inner = GetTopLevelEditor(); Inner != this) Inner->ClearUndo();
  GetEditRVData()->UndoList->Clear();
  GetEditRVData()->RedoList->Clear();
}
void TCustomViroZereEdit::ClearRedo() { GetEditRVData()->RedoList->Clear(); }

// ---- settings ----

void TCustomViroZereEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  TRVEditRVData* Data = GetEditRVData();
  if (!FEditorOptions.Contains(rvoNoReadOnlyJumps)) {
    if (Value)
      Data->BuildJumpsInfo(true);
    else
      Data->ClearJumpsInfo();
  }
  GetTopLevelEditor()->GetEditRVData()->ChangeCaret(false, false, true, false);
  Invalidate();
}
int TCustomViroZereEdit::GetCustomCaretInterval() { return GetEditRVData()->GetRootEditProperties()->CustomCaretInterval; }
void TCustomViroZereEdit::SetCustomCaretInterval(int Value) {
  GetEditRVData()->GetRootEditProperties()->CustomCaretInterval = Value;
}

const TClassInfo& TCustomViroZereEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomViroZereEdit>(u"TCustomViroZereEdit", &TCustomViroZere::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TViroZereEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TViroZereEdit>(u"TViroZereEdit", &TCustomViroZereEdit::StaticClassInfo()).Build();
  return info;
}

// ---- undo and redo, the update lock and the window messages ----

namespace edit_control {
// Posted to the editor's own window: close the cell editor, then undo or redo.
constexpr Cardinal WM_RVUNDOFROMINPLACE = WM_USER + 13;
constexpr Cardinal WM_RVREDOFROMINPLACE = WM_USER + 14;
// The blink of the self-drawn caret.
constexpr WPARAM CustomCaretTimerId = 3;

// The cell editor that edits a cell of this editor's document, or nil.
TCustomViroZereEdit* InplaceEdit(TCustomViroZereEdit* Editor) {
  auto* Inner = dynamic_cast<TCustomViroZereEdit*>(Editor->GetInplaceEditor());
  return Inner == Editor ? nullptr : Inner;
}
}  // namespace edit_control

void TCustomViroZereEdit::Dispatch(TMessage& Message) {
  using namespace edit_control;
  if (KeyDispatch(Message) || ClipboardDispatch(Message) || IMEDispatch(Message)) return;
  TRVEditRVData* Data = GetEditRVData();
  switch (Message.Msg) {
    case WM_UNDO:
    case EM_UNDO:
      Message.Result = UndoAction() != rvutNone ? 1 : 0;
      Undo();
      return;
    case EM_CANUNDO: Message.Result = UndoAction() != rvutNone ? 1 : 0; return;
    case EM_REDO:
      Message.Result = RedoAction() != rvutNone ? 1 : 0;
      if (Message.Result) Redo();
      return;
    case EM_CANREDO: Message.Result = RedoAction() != rvutNone ? 1 : 0; return;
    case WM_CLEAR: DeleteSelection(); return;
    case WM_RVUNDOFROMINPLACE:
    case WM_RVREDOFROMINPLACE:
      DestroyInplace();
      if (Message.Msg == WM_RVUNDOFROMINPLACE)
        Undo();
      else
        Redo();
      return;
    case WM_TIMER:
      if (Message.WParam == CustomCaretTimerId) {
        Data->DrawCustomCaret();
        return;
      }
      break;
    case WM_SETFOCUS: {
      TCustomViroZere::Dispatch(Message);
      if (IsDestroying() || !Data) return;
      Data->PrepareForEdit();
      if (GetStyle() && !Data->NotFormatted() && !Data->GetAbsoluteRootData()->State.Contains(rvstClearing)) {
        Data->ChangeCaret(true, false, true, false);
        Invalidate();
      }
      return;
    }
    case WM_KILLFOCUS: {
      TCustomViroZere::Dispatch(Message);
      if (IsDestroying() || !Data) return;
      Data->ClearJumpsInfo();
      if (!GetReadOnly())
        if (auto* Parent = dynamic_cast<TRVEditRVData*>(Data->GetAbsoluteParentData())) {
          Parent->ClearJumpsInfo();
          TRVFlags F = Parent->GetFlags();
          F.Exclude(rvflUseJumps);
          Parent->SetFlags(F);
          Parent->State.Exclude(rvstDrawHover);
        }
      GenerateMouseMove();
      if (GetStyle() && !Data->NotFormatted() && HandleAllocated()) {
        HideCaret(GetHandle());
        if (GetCaretWindow(nullptr, nullptr) == GetHandle()) DestroyCaret();
      }
      return;
    }
    case WM_DESTROY:
      if (Data) Data->DeactivateCustomCaretTimer();
      break;
    default: break;
  }
  TCustomViroZere::Dispatch(Message);
}

void TCustomViroZereEdit::BeginUpdate() {
  if (FLockCount++ == 0 && HandleAllocated() && GetVisible()) Perform(WM_SETREDRAW, 0, 0);
}
void TCustomViroZereEdit::EndUpdate() {
  if (FLockCount <= 0) return;
  if (--FLockCount > 0) return;
  if (HandleAllocated()) Perform(WM_SETREDRAW, 1, 0);
  RefreshAll();
}

void TCustomViroZereEdit::RefreshAll() {
  TCustomViroZereEdit* Editor = GetRootEditor();
  if (!Editor) Editor = this;
  // Bounded like the editor chain: a broken chain must not hang.
  for (int Depth = 0; Editor && Depth < 1000; ++Depth) {
    Editor->InvalidateControlTree();
    Editor = edit_control::InplaceEdit(Editor);
  }
}

void TCustomViroZereEdit::BeginUndoGroup(TRVUndoType UndoType) { GetEditRVData()->BeginUndoSequence(UndoType, true); }
void TCustomViroZereEdit::SetUndoGroupMode(bool GroupUndo) { GetEditRVData()->SetUndoGroupMode(GroupUndo); }
void TCustomViroZereEdit::BeginUndoGroup2(TRVUndoType UndoType) { GetEditRVData()->BeginUndoGroup2(UndoType); }
void TCustomViroZereEdit::EndUndoGroup2(TRVUndoType UndoType) { GetEditRVData()->EndUndoGroup2(UndoType); }

void TCustomViroZereEdit::DoUndo(bool AllowMessages) {
  if (GetReadOnly()) {
    MessageBeep(0);
    return;
  }
  TRVEditRVData* Data = GetEditRVData();
  if (TCustomViroZereEdit* Inplace = edit_control::InplaceEdit(this)) {
    if (Inplace->UndoAction() != rvutNone) {
      Inplace->Undo();
    } else if (Data->UndoList->CurrentUndoType() != rvutNone) {
      if (!AllowMessages || !HandleAllocated() ||
          !PostMessage(GetHandle(), edit_control::WM_RVUNDOFROMINPLACE, 0, 0)) {
        DestroyInplace();
        DoUndo(false);
      }
    }
    return;
  }
  if (Data->UndoList->CurrentUndoType() == rvutNone) {
    Data->Beep();
    return;
  }
  if (!QueryChanging()) return;
  LiveSpellingBeforeUndo();
  if (TCustomViroZereEdit* Root = GetRootEditor()) Root->ClearSoftPageBreaks();
  Data->UndoList->Undo(Data);
  DoChange(false);
}

void TCustomViroZereEdit::DoRedo(bool AllowMessages) {
  if (GetReadOnly()) {
    MessageBeep(0);
    return;
  }
  TRVEditRVData* Data = GetEditRVData();
  if (TCustomViroZereEdit* Inplace = edit_control::InplaceEdit(this)) {
    if (Inplace->RedoAction() != rvutNone) {
      Inplace->Redo();
    } else if (Data->RedoList->CurrentUndoType() != rvutNone) {
      if (!AllowMessages || !HandleAllocated() ||
          !PostMessage(GetHandle(), edit_control::WM_RVREDOFROMINPLACE, 0, 0)) {
        DestroyInplace();
        DoRedo(false);
      }
    }
    return;
  }
  if (Data->RedoList->CurrentUndoType() == rvutNone) {
    Data->Beep();
    return;
  }
  if (!QueryChanging()) return;
  LiveSpellingBeforeUndo();
  Data->RedoList->Redo(Data);
  DoChange(false);
}

TRVUndoType TCustomViroZereEdit::UndoAction() {
  if (TCustomViroZereEdit* Inplace = edit_control::InplaceEdit(this))
    if (TRVUndoType Action = Inplace->UndoAction(); Action != rvutNone) return Action;
  return GetEditRVData()->UndoList->CurrentUndoType();
}
TRVUndoType TCustomViroZereEdit::RedoAction() {
  if (TCustomViroZereEdit* Inplace = edit_control::InplaceEdit(this))
    if (TRVUndoType Action = Inplace->RedoAction(); Action != rvutNone) return Action;
  return GetEditRVData()->RedoList->CurrentUndoType();
}
TRVUnicodeString TCustomViroZereEdit::UndoName() {
  if (TCustomViroZereEdit* Inplace = edit_control::InplaceEdit(this))
    if (Inplace->UndoAction() != rvutNone) return Inplace->UndoName();
  return GetEditRVData()->UndoList->CurrentUndoCaption();
}
TRVUnicodeString TCustomViroZereEdit::RedoName() {
  if (TCustomViroZereEdit* Inplace = edit_control::InplaceEdit(this))
    if (Inplace->RedoAction() != rvutNone) return Inplace->RedoName();
  return GetEditRVData()->RedoList->CurrentUndoCaption();
}

// ---- the current item ----

int TCustomViroZereEdit::GetCurItemStyle() {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->GetCurItemStyle();
  GetEditRVData()->PrepareForEdit();
  return GetItemStyle(GetCurItemNo());
}
TRVTag TCustomViroZereEdit::GetCurrentTag() {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->GetCurrentTag();
  GetEditRVData()->PrepareForEdit();
  return GetItemTag(GetCurItemNo());
}
TRVVAlign TCustomViroZereEdit::GetCurrentItemVAlign() {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->GetCurrentItemVAlign();
  GetEditRVData()->PrepareForEdit();
  return GetItemVAlign(GetCurItemNo());
}
TRVUnicodeString TCustomViroZereEdit::GetCurrentItemTextW() {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->GetCurrentItemTextW();
  GetEditRVData()->PrepareForEdit();
  return GetItemTextW(GetCurItemNo());
}
TCustomRVItemInfo* TCustomViroZereEdit::GetCurrentItem() {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->GetCurrentItem();
  const int ItemNo = GetCurItemNo();
  return ItemNo < 0 ? nullptr : GetEditRVData()->GetItem(ItemNo);
}

bool TCustomViroZereEdit::GetCurrentMisspelling(bool SelectIt, TRVUnicodeString& Word, int& StyleNo) {
  Word.clear();
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this)
    return Top->GetCurrentMisspelling(SelectIt, Word, StyleNo);
  TRVEditRVData* Data = GetEditRVData();
  int ItemNo = Data->GetCurItemNo();
  if (ItemNo < 0) return false;
  int Offs = Data->GetOffsetInCurItem();
  // Beside a picture the word after it on the same line counts.
  if (Data->GetItem(ItemNo)->StyleNo < 0) {
    if (ItemNo + 1 >= Data->ItemCount() || Data->IsFromNewLine(ItemNo + 1) || Data->GetItem(ItemNo + 1)->StyleNo < 0)
      return false;
    ++ItemNo;
    Offs = Data->GetOffsBeforeItem(ItemNo);
  }
  TCustomRVItemInfo* Item = Data->GetItem(ItemNo);
  int MisOffs = 0, MisLength = 0;
  if (!Item->GetMisspelling(Offs, MisOffs, MisLength)) return false;
  Word = Data->GetItemTextW(ItemNo).substr(static_cast<size_t>(MisOffs - 1), static_cast<size_t>(MisLength));
  StyleNo = Item->StyleNo;
  if (SelectIt) {
    Data->SetSelectionBounds(ItemNo, MisOffs, ItemNo, MisOffs + MisLength);
    Invalidate();
  }
  return true;
}

// ---- other operations ----

bool TCustomViroZereEdit::SearchTextW(const TRVUnicodeString& s, TRVESearchOptions SrchOptions) {
  return GetEditRVData()->SearchText(SrchOptions.Contains(rvseoDown), SrchOptions.Contains(rvseoMatchCase),
                                     SrchOptions.Contains(rvseoWholeWord), false,
                                     SrchOptions.Contains(rvseoMultiItem), SrchOptions.Contains(rvseoSmartStart), s);
}

void TCustomViroZereEdit::ScrollToDrawItem(TCustomRVFormattedData* ARVData, int DrawItemNo, bool ToCenter) {
  if (!ARVData || DrawItemNo < 0 || DrawItemNo >= ARVData->DrawItems->Count()) return;
  int OrgX = 0, OrgY = 0;
  ARVData->GetOriginEx(OrgX, OrgY);
  TRVDrawLineInfo* DItem = ARVData->DrawItems->Get(DrawItemNo);
  if (ToCenter) {
    const int Top = DItem->Top + OrgY, Bottom = Top + DItem->Height;
    ScrollTo((Top + Bottom - GetClientHeight()) / 2);
    return;
  }
  int First = DrawItemNo;
  while (First > 0 && !ARVData->DrawItems->Get(First)->FromNewLine) --First;
  int MinTop = ARVData->DrawItems->Get(First)->Top;
  for (int i = First + 1; i < ARVData->DrawItems->Count() && !ARVData->DrawItems->Get(i)->FromNewLine; ++i)
    MinTop = std::min(MinTop, ARVData->DrawItems->Get(i)->Top);
  ScrollTo(MinTop + OrgY + 1);
}

void TCustomViroZereEdit::AssignEvents(TCustomViroZere* Source) {
  TCustomViroZere::AssignEvents(Source);
  auto* Src = dynamic_cast<TCustomViroZereEdit*>(Source);
  if (!Src) return;
  OnItemTextEdit = Src->OnItemTextEdit;
  OnDeleting = Src->OnDeleting;
  OnCaretGetOut = Src->OnCaretGetOut;
  OnStyleConversion = Src->OnStyleConversion;
  OnParaStyleConversion = Src->OnParaStyleConversion;
  OnCurParaStyleChanged = Src->OnCurParaStyleChanged;
  OnCurTextStyleChanged = Src->OnCurTextStyleChanged;
  OnChange = Src->OnChange;
  OnCaretMove = Src->OnCaretMove;
  OnChanging = Src->OnChanging;
  OnDrawCustomCaret = Src->OnDrawCustomCaret;
  OnMeasureCustomCaret = Src->OnMeasureCustomCaret;
  OnCheckStickingItems = Src->OnCheckStickingItems;
}

TCustomRVControl* TCustomViroZereEdit::SRVGetActiveEditor(bool /*MainDoc*/) { return GetRootEditor(); }

void TCustomViroZereEdit::SetEnabled(bool Value) {
  TCustomViroZere::SetEnabled(Value);
  RefreshAll();
}

void TViroZereEdit::SetTabNavigation(TRVTabNavigationType Value) {
  if (Value != rvtnNone) throw EViroZereError("Not supported in editor");
  TCustomViroZereEdit::SetTabNavigation(Value);
}
