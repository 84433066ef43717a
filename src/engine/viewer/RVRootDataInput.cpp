// What the root data of a viewer answers for the mouse handling of its document tree: the drop
// caret record, the drag source, the press point and drag threshold, the text cursor, item hints,
// and the hyperlink jump, which reaches the viewer from its message loop.
#include <memory>

#include "engine/viewer/RVRootData.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/ui/Controls.h"

TRVDragDropCaretInfo* TViroZereRVData::GetDragDropCaretInfo() {
  if (!IsRoot()) return TRVControlData::GetDragDropCaretInfo();
  return &FDragDropCaretInfo;
}

bool TViroZereRVData::GetDropSource(TObject*& DropSource, DWORD& OkEffects) {
  DropSource = nullptr;
  OkEffects = DROPEFFECT_NONE;
  if (!IsRoot()) return TRVControlData::GetDropSource(DropSource, OkEffects);
  if (!OnCreateDropSource || FDropSource) return false;
  FDropSource = OnCreateDropSource(OkEffects);
  DropSource = FDropSource;
  return FDropSource != nullptr;
}

void TViroZereRVData::ReleaseDropSource(bool Moved) {
  if (!IsRoot()) {
    TRVControlData::ReleaseDropSource(Moved);
    return;
  }
  TObject* source = FDropSource;
  FDropSource = nullptr;
  if (source && OnReleaseDropSource) OnReleaseDropSource(source, Moved);
}

void TViroZereRVData::SetClickCoords(int X, int Y) {
  if (!IsRoot()) {
    TRVControlData::SetClickCoords(X, Y);
    return;
  }
  SetClickPoint(X, Y);
}

bool TViroZereRVData::IsDragThresholdExceeded(int X, int Y) {
  if (!IsRoot()) return TRVControlData::IsDragThresholdExceeded(X, Y);
  return DragThresholdPassed(X, Y);
}

void TViroZereRVData::DoJump(int id) {
  if (!IsRoot()) {
    TRVControlData::DoJump(id);
    return;
  }
  if (FViroZere->IsDestroying()) return;
  TRVScroller* viewer = GetScroller();
  if (!viewer->HandleAllocated()) {
    // Without a window there is no message loop to wait for.
    if (FViroZere->OnJump) FViroZere->OnJump(viewer, id);
    return;
  }
  auto data = std::make_unique<TRVJumpMessageData>();
  data->Event = rvetJump;
  data->id = id;
  PostMessageWithData(viewer->GetHandle(), WM_RVEVENT, 0, std::move(data));
}

TCursor TViroZereRVData::GetNormalCursor() {
  if (!IsRoot()) return TRVControlData::GetNormalCursor();
  if (auto* viewer = dynamic_cast<TCustomViroZere*>(GetScroller())) return viewer->GetCursor();
  return NormalCursor;
}

void TViroZereRVData::SetControlHint(const TRVUnicodeString& Hint) { GetScroller()->SetHint(Hint); }

bool TViroZereRVData::FocusesItemsOnClick() { return TabNavigation != rvtnNone; }

HWND TViroZereRVData::GetRootControlWindow() {
  if (!IsRoot()) return TRVControlData::GetRootControlWindow();
  return GetScroller()->GetHandle();
}

void TViroZereRVData::AfterVScroll() {
  if (!IsRoot()) return;
  auto* viewer = dynamic_cast<TCustomViroZere*>(GetScroller());
  if (!viewer || viewer->GetCPEventKind() == cpeNone || !IsAssignedCheckpointVisible()) return;
  const int v = GetVOffs(), b = v + GetHeight();
  auto raise = [this](TRVCPInfo* CP) {
    LastRaisedCP = CP;
    DoCheckpointVisible(CP);
  };
  // The checkpoints that raise the event, in document order, with their tops; the first at or
  // below the view's top and the one before it.
  TRVCPInfo *first = nullptr, *prev = nullptr, *last = nullptr;
  int firstTop = 0;
  for (int i = 0; i < ItemCount() && !first; ++i) {
    TRVCPInfo* cp = GetItem(i)->Checkpoint;
    if (!cp || !cp->RaiseEvent) continue;
    const int dNo = FindDrawItemByItem(i);
    if (dNo < 0) return;
    const int top = GetTransformedDItemTop(dNo);
    if (top >= v) {
      first = cp;
      firstTop = top;
    } else {
      prev = cp;
    }
    last = cp;
  }
  const bool notAddedCounts = NotAddedCP && NotAddedCP->RaiseEvent && DocumentHeight < b;
  if (viewer->GetCPEventKind() == cpeAsSectionStart) {
    TRVCPInfo* taken = nullptr;
    if (first)
      taken = firstTop < b ? first : prev;
    else if (notAddedCounts)
      taken = NotAddedCP;
    else
      taken = last;
    if (taken && taken != LastRaisedCP) raise(taken);
    return;
  }
  // cpeWhenVisible
  if (first && firstTop <= b) {
    if (first != LastRaisedCP) raise(first);
  } else if (!first && notAddedCounts) {
    if (NotAddedCP != LastRaisedCP) raise(NotAddedCP);
  } else if (LastRaisedCP) {
    raise(nullptr);
  }
}
