// The editor control's state that the editor data uses.
#include "engine/editor/RVEdit.h"

#include "engine/document/RVScaleViroZere.h"

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

// ---- the gate and the change notification ----

bool TCustomViroZereEdit::BeforeChange(bool FromOutside) {
  TRVEditRVData* Data = GetEditRVData();
  const bool Allowed = !GetReadOnly() && GetStyle() && (FromOutside || !Data->FCaptureMouseItem) && QueryChanging();
  if (!Allowed) {
    Data->Beep();
    return false;
  }
  if (TRVWordEnumThread* Thread = GetRootWordEnumThread()) {
    TRVEditRVData* TopData = GetTopLevelEditor()->GetEditRVData();
    const bool Typing = TopData->State.Contains(rvstKeyPress);
    Thread->Stop(!Typing);
    if (!Typing) Thread->SetBackToItem(TopData->GetSourceRVData(), GetTopLevelEditor()->GetCurItemNo());
  }
  Data->PrepareForEdit();
  if (TCustomViroZereEdit* Root = GetRootEditor()) Root->ClearSoftPageBreaks();
  return true;
}

bool TCustomViroZereEdit::QueryChanging() {
  bool CanEdit = true;
  if (OnChanging) OnChanging(GetRootEditor() ? GetRootEditor() : this, CanEdit);
  return CanEdit;
}

void TCustomViroZereEdit::DoChange(bool AClearRedo) {
  TRVEditRVData* Data = GetEditRVData();
  Data->FResizer.reset();
  FModified = true;
  ClearSoftPageBreaks();
  Data->ClearJumpsInfo();
  if (AClearRedo) ClearRedo();
  if (GetViewerFlags().Contains(rvflRoot))
    if (std::shared_ptr<IRVScaleViroZereInterface> Owner = Data->GetScaleViroZereInterface())
      Owner->DoOnChange(this, AClearRedo);
  if (OnChange) OnChange(this);
  // Live spelling picks up the change; inside an undo group it waits for the group to close.
  const bool Grouping = Data->UndoList->GroupModeCount > 0 ||
                        GetTopLevelEditor()->GetEditRVData()->UndoList->GroupModeCount > 0;
  TRVWordEnumThread* Thread = GetRootWordEnumThread();
  if (Grouping) return;
  if (Thread) {
    Thread->Stop(true);
    Thread->ContinueCheck();
  } else if (GetLiveSpellingMode() == rvlspOnChange) {
    StartLiveSpelling();
  }
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

// ---- PLACEHOLDER: undo and redo, the update lock and the window messages ----

void TCustomViroZereEdit::Dispatch(TMessage& Message) {
  if (KeyDispatch(Message)) return;
  TCustomViroZere::Dispatch(Message);
}
void TCustomViroZereEdit::BeginUpdate() {}
void TCustomViroZereEdit::EndUpdate() {}
void TCustomViroZereEdit::RefreshAll() {}
void TCustomViroZereEdit::BeginUndoGroup(TRVUndoType UndoType) {}
void TCustomViroZereEdit::SetUndoGroupMode(bool GroupUndo) {}
void TCustomViroZereEdit::BeginUndoGroup2(TRVUndoType UndoType) {}
void TCustomViroZereEdit::EndUndoGroup2(TRVUndoType UndoType) {}
void TCustomViroZereEdit::DoUndo(bool AllowMessages) {}
void TCustomViroZereEdit::DoRedo(bool AllowMessages) {}
TRVUndoType TCustomViroZereEdit::UndoAction() { return rvutNone; }
TRVUndoType TCustomViroZereEdit::RedoAction() { return rvutNone; }
TRVUnicodeString TCustomViroZereEdit::UndoName() { return {}; }
TRVUnicodeString TCustomViroZereEdit::RedoName() { return {}; }
