// The viewer's input and window messages: mouse presses, moves and releases handed to the root
// data with the auto-scroll that follows a selection out of the window, the triple click, the
// context popup, the events documents post to the viewer, the auto-scroll and animation timers,
// the keyboard (copy shortcut, Tab between embedded controls, Enter on a focused item), focus,
// hints and gestures.
#include <algorithm>

#include "engine/layout/RVAnimate.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Menus.h"

bool AutoScrollAllowed = true;

namespace {

// The first popup menu of the control or of its parents.
TPopupMenu* FindPopupMenu(TControl* c) {
  for (; c; c = c->GetParent())
    if (c->GetPopupMenu()) return c->GetPopupMenu();
  return nullptr;
}

// The child control of Parent under the client point, null when none.
TControl* ChildAt(TWinControl* Parent, TPoint P) {
  for (int i = Parent->ControlCount() - 1; i >= 0; --i) {
    TControl* c = Parent->GetControl(i);
    const TRect r = c->GetBoundsRect();
    if (c->GetVisible() && P.X >= r.Left && P.X < r.Right && P.Y >= r.Top && P.Y < r.Bottom) return c;
  }
  return nullptr;
}
constexpr std::uintptr_t ScrollTimerId = 1, AnimationTimerId = 2;
}  // namespace

// ---- auto-scroll --------------------------------------------------------------------------------

int TCustomViroZere::AutoScrollDelta(int Pos, int ClientExtent) {
  if (Pos < -20) return -10;
  if (Pos < 0) return -1;
  if (Pos > ClientExtent + 20) return 10;
  if (Pos > ClientExtent) return 1;
  return 0;
}

void TCustomViroZere::ActivateScrollTimer(bool Slow) {
  if (!AutoScrollAllowed || ScrollTimerActive || !HandleAllocated()) return;
  ScrollTimerActive = SetTimer(GetHandle(), ScrollTimerId, Slow ? 300 : 100) != 0;
}

void TCustomViroZere::DeactivateScrollTimer() {
  if (!ScrollTimerActive) return;
  if (HandleAllocated()) KillTimer(GetHandle(), ScrollTimerId);
  ScrollTimerActive = false;
}

void TCustomViroZere::ScrollTimer() {
  if (VScrollDelta != 0) SetVPos(VPos + VScrollDelta, true);
  if (HScrollDelta != 0) SetHScrollPos(HPos + HScrollDelta);
  if (VScrollDelta != 0 || HScrollDelta != 0) GenerateMouseMove();
}

void TCustomViroZere::GenerateMouseMove() {
  if (!HandleAllocated()) return;
  TPoint p;
  if (!GetCursorPos(&p) || !ScreenToClient(GetHandle(), &p)) return;
  if (p.X < 0 || p.Y < 0 || p.X >= GetClientWidth() || p.Y >= GetClientHeight()) return;
  TShiftState shift;
  auto down = [](int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; };
  if (down(VK_SHIFT)) shift.Include(ssShift);
  if (down(VK_CONTROL)) shift.Include(ssCtrl);
  if (down(VK_MENU)) shift.Include(ssAlt);
  if (down(VK_LBUTTON)) shift.Include(ssLeft);
  if (down(VK_RBUTTON)) shift.Include(ssRight);
  if (down(VK_MBUTTON)) shift.Include(ssMiddle);
  MouseMove(shift, p.X, p.Y);
}

void TCustomViroZere::InputAfterScroll(bool Vertical) {
  GenerateMouseMove();
  if (Vertical && RVData) RVData->AfterVScroll();
  UpdateAfterScroll(false);
}

// ---- the mouse ----------------------------------------------------------------------------------

void TCustomViroZere::InputMouseMove(TShiftState Shift, int X, int Y) {
  VScrollDelta = AutoScrollDelta(Y, GetClientHeight());
  HScrollDelta = AutoScrollDelta(X, GetClientWidth());
  TRVScroller::MouseMove(Shift, X, Y);
  if (RVData) RVData->MouseMove(Shift, X, Y);
}

void TCustomViroZere::InputMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!RVData) return;
  if (!RVData->GetInplaceEditor()) RVData->State.Include(rvstDoNotTab);
  TCustomRVData* absRoot = RVData->GetAbsoluteRootData();
  if (Shift.Contains(ssTouch))
    absRoot->State.Include(rvstTouchMouseDown);
  else
    absRoot->State.Exclude(rvstTouchMouseDown);
  RVData->MouseDown(Button, Shift, X, Y);
  TRVScroller::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft) ActivateScrollTimer(false);
}

void TCustomViroZere::InputMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TRVScroller::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft) DeactivateScrollTimer();
  if (!RVData) return;
  RVData->MouseUp(Button, Shift, X, Y);
  if (!FStyle || Button != mbRight) return;
  TCustomViroZere* root = GetRootControl();
  const bool ignored = root->Flags.Contains(rvflIgnoreMouseLeave);
  root->Flags.Include(rvflIgnoreMouseLeave);
  TPoint p(X, Y);
  AdjustPopupMenuPos(p);
  TPoint screen = p;
  if (HandleAllocated()) ::ClientToScreen(GetHandle(), &screen);
  if (HandleAllocated() && root->HandleAllocated() && root != this) {
    ::ClientToScreen(GetHandle(), &p);
    ::ScreenToClient(root->GetHandle(), &p);
  }
  // The handler may free the viewer (and the root with it).
  TRVDestroyInformer* informer = GetDestroyInformer();
  informer->AddRef();
  bool handled = false;
  try {
    if (root->OnContextPopup) root->OnContextPopup(root, p, handled);
  } catch (...) {
    const bool gone = informer->ControlDestroyed;
    informer->Release();
    if (!gone && !ignored) root->Flags.Exclude(rvflIgnoreMouseLeave);
    throw;
  }
  if (!informer->ControlDestroyed && !handled) {
    TPopupMenu* menu = FindPopupMenu(this);
    if (menu && menu->GetAutoPopup()) {
      menu->SetPopupComponent(this);
      menu->Popup(screen.X, screen.Y);
    }
  }
  const bool destroyed = informer->ControlDestroyed;
  informer->Release();
  if (!destroyed && !ignored) root->Flags.Exclude(rvflIgnoreMouseLeave);
}

void TCustomViroZere::InputDblClick() {
  TRVScroller::DblClick();
  // The point of the double click itself: the pointer may have moved on since.
  if (RVData) RVData->DblClickAt(FDblClickPoint.X, FDblClickPoint.Y);
}

TCustomViroZere* TCustomViroZere::GetRootControl() {
  TCustomViroZere* root = this;
  for (TWinControl* p = GetParent(); p && !root->Flags.Contains(rvflRoot); p = p->GetParent())
    if (auto* v = dynamic_cast<TCustomViroZere*>(p)) root = v;
  return root;
}

// ---- messages -----------------------------------------------------------------------------------

bool TCustomViroZere::InputWndProc(TMessage& Message) {
  // A press soon after a double click is the third click: it selects the paragraph, and is not a
  // press of its own.
  switch (Message.Msg) {
    case WM_LBUTTONDBLCLK:
      FDblClickTime = std::max<DWORD>(GetMessageTime(), 1);
      FDblClickPoint = TPoint(LoWordSigned(static_cast<std::uintptr_t>(Message.LParam)),
                              HiWordSigned(static_cast<std::uintptr_t>(Message.LParam)));
      return false;
    case WM_LBUTTONDOWN: {
      const DWORD last = FDblClickTime;
      FDblClickTime = 0;
      if (last != 0 && GetMessageTime() - last < GetDoubleClickTime()) {
        TCustomViroZere* root = GetRootControl();
        auto data = std::make_unique<TRVTripleClickMessageData>();
        data->Event = rvetTripleClick;
        if (root->HandleAllocated()) PostMessageWithData(root->GetHandle(), WM_RVEVENT, 0, std::move(data));
        return true;
      }
      return false;
    }
    default: return false;
  }
}

void TCustomViroZere::HandlePostedEvent(TMessage& Message) {
  auto* data = reinterpret_cast<TRVMessageData*>(Message.LParam);
  if (!data || !RVData) return;
  switch (data->Event) {
    case rvetRVDblClick:
      if (auto* d = dynamic_cast<TRVDblClickMessageData*>(data)) RVData->DoRVDblClick(d->ClickedWord, d->StyleNo);
      break;
    case rvetJump:
      if (auto* d = dynamic_cast<TRVJumpMessageData*>(data); d && OnJump) OnJump(this, d->id);
      break;
    case rvetRVMouseUp:
    case rvetRVMouseDown:
      if (auto* d = dynamic_cast<TRVMouseUpDownMessageData*>(data)) {
        if (data->Event == rvetRVMouseUp)
          RVData->DoRVMouseUp(d->Button, d->Shift, d->ItemNo, d->X, d->Y);
        else
          RVData->DoRVMouseDown(d->Button, d->Shift, d->ItemNo, d->X, d->Y);
      }
      break;
    case rvetDblClick: DblClick(); break;
    case rvetTripleClick: RVData->TripleClick(); break;
    case rvetMouseMove:
      if (auto* d = dynamic_cast<TRVMouseMoveMessageData*>(data)) MouseMove(d->Shift, d->X, d->Y);
      break;
    default:
      // Clicks and the drag objects of the class library's own dragging have no counterpart here.
      break;
  }
  // The platform frees the data with the message.
}

void TCustomViroZere::ContextMenuMessage(TMessage& Message) {
  TRVDestroyInformer* informer = GetDestroyInformer();
  informer->AddRef();
  const LPARAM l = Message.LParam;
  const bool fromKeyboard = LoWordSigned(static_cast<std::uintptr_t>(l)) == -1 &&
                            HiWordSigned(static_cast<std::uintptr_t>(l)) == -1;
  if (fromKeyboard) {
    TCustomViroZere* root = GetRootControl();
    if (root != this) {
      root->Perform(WM_CONTEXTMENU, Message.WParam, l);
    } else {
      bool handled = false;
      if (OnContextPopup) OnContextPopup(this, TPoint(-1, -1), handled);
      TPopupMenu* menu = informer->ControlDestroyed || handled ? nullptr : FindPopupMenu(this);
      if (menu && menu->GetAutoPopup()) {
        // From the keyboard the menu opens at the top left corner of the client area.
        TPoint screen(0, 0);
        if (HandleAllocated()) ::ClientToScreen(GetHandle(), &screen);
        menu->SetPopupComponent(this);
        menu->Popup(screen.X, screen.Y);
      }
    }
  } else if (!informer->ControlDestroyed) {
    // A click: the right button's release raised the popup already, unless an embedded control
    // with a menu of its own lies under the point.
    TPoint p(LoWordSigned(static_cast<std::uintptr_t>(l)), HiWordSigned(static_cast<std::uintptr_t>(l)));
    if (HandleAllocated()) ::ScreenToClient(GetHandle(), &p);
    TControl* child = ChildAt(this, p);
    TPopupMenu* menu = child ? child->GetPopupMenu() : nullptr;
    if (menu && menu != GetPopupMenu() && menu->GetAutoPopup()) {
      menu->SetPopupComponent(child);
      menu->Popup(LoWordSigned(static_cast<std::uintptr_t>(l)), HiWordSigned(static_cast<std::uintptr_t>(l)));
    }
  }
  const bool destroyed = informer->ControlDestroyed;
  informer->Release();
  if (destroyed) return;
  Message.Result = 1;
}

bool TCustomViroZere::InputDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_RVEVENT: HandlePostedEvent(Message); return true;
    case WM_RVDRAGDROP:
      // Moves past the threshold may post more than one request; a release before the message
      // arrived ended the candidate.
      if (RVData && RVData->State.Contains(rvstStartingDragDrop)) RVData->DoDrag();
      return true;
    case WM_TIMER:
      if (Message.WParam == ScrollTimerId) {
        ScrollTimer();
        return true;
      }
      if (Message.WParam == AnimationTimerId) {
        AnimationTimer();
        return true;
      }
      return false;
    case WM_DESTROY:
      DeactivateScrollTimer();
      return false;
    case CM_MOUSELEAVE:
      if (RVData && !RVData->GetAbsoluteRootData()->GetFlags().Contains(rvflIgnoreMouseLeave)) RVData->MouseLeave();
      return true;
    case CM_COLORCHANGED:
      if (RVData) RVData->ResetAniBackground();
      return false;
    case CM_HINTSHOW: {
      TCustomViroZere* root = GetRootControl();
      if (root->OnCMHintShow) root->OnCMHintShow(this, Message);
      return Message.Result != 0;
    }
    case WM_CONTEXTMENU: ContextMenuMessage(Message); return true;
    case WM_COPY:
      if (TWinControl* editor = GetInplaceEditor(); editor && editor->HandleAllocated())
        PostMessage(editor->GetHandle(), WM_COPY, 0, 0);
      else if (RVData)
        RVData->CopyDef(GetEffectiveColor(), nullptr);
      return true;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      if (RVData && RVData->TabNavigation != rvtnNone) {
        Message.Result |= DLGC_WANTTAB;
        if (RVData->TopLevelFocusedRVData) Message.Result |= DLGC_WANTALLKEYS;
      }
      return true;
    case WM_SETFOCUS:
      TRVScroller::Dispatch(Message);
      if (IsDestroying() || !RVData) return true;
      if (RVData->TabNavigation != rvtnNone) {
        auto* prev = reinterpret_cast<TWinControl*>(Message.WParam);
        if (!prev) RVData->State.Include(rvstDoNotTab);
        RVData->DoTabNavigation((GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0, prev ? prev : this);
      }
      if (FStyle) Invalidate();
      return true;
    case WM_KILLFOCUS:
      TRVScroller::Dispatch(Message);
      if (FStyle) Invalidate();
      return true;
    default: return false;
  }
}

// ---- the keyboard -------------------------------------------------------------------------------

bool TCustomViroZere::IsCopyShortcut(WORD Key, TShiftState Shift) {
  return Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && (Key == 'C' || Key == VK_INSERT);
}

bool TCustomViroZere::IsCutShortcut(WORD Key, TShiftState Shift) {
  return (Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && Key == 'X') ||
         (Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && Key == VK_DELETE);
}

bool TCustomViroZere::IsPasteShortcut(WORD Key, TShiftState Shift) {
  return (Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && Key == 'V') ||
         (Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && Key == VK_INSERT);
}

void TCustomViroZere::CopyOnShortcut(WORD& Key, TShiftState Shift) {
  if (!IsCopyShortcut(Key, Shift)) return;
  Perform(WM_COPY, 0, 0);
  Key = 0;
}

void TCustomViroZere::InputKeyDown(WORD& Key, TShiftState Shift) {
  TRVScroller::KeyDown(Key, Shift);
  CopyOnShortcut(Key, Shift);
  if (Key == 0 || !RVData) return;
  if (Key == VK_TAB) {
    const TRVTabNavigationType nav = RVData->TabNavigation;
    const bool ctrl = Shift.Contains(ssCtrl);
    if (nav != rvtnNone && !Shift.Contains(ssAlt) && ((ctrl && nav == rvtnCtrlTab) || (!ctrl && nav == rvtnTab))) {
      RVData->State.Exclude(rvstDoNotTab);
      RVData->DoTabNavigation(Shift.Contains(ssShift), this);
    }
  } else if (Key == VK_RETURN) {
    RVData->ExecuteFocused();
  }
}

void TCustomViroZere::GetTabOrderList(std::vector<TWinControl*>& List) {
  List = RVGetTabOrderList(RVGetParentForm(this));
  if (!RVData || RVData->TabNavigation == rvtnNone) return;
  for (int i = static_cast<int>(List.size()) - 1; i >= 2; --i)
    if (List[static_cast<std::size_t>(i)]->GetParent() == this) List.insert(List.begin() + i, this);
  if (List.size() > 1) List.push_back(this);
}

// ---- gestures -----------------------------------------------------------------------------------

void TCustomViroZere::InputGesture(const TGestureEventInfo& EventInfo, bool& Handled) {
  if (!Flags.Contains(rvflRoot)) {
    // A nested viewer lets the viewer that holds it handle the gesture.
    for (TWinControl* p = GetParent(); p; p = p->GetParent())
      if (auto* v = dynamic_cast<TCustomViroZere*>(p)) {
        TGestureEventInfo shifted = EventInfo;
        shifted.Location.X += GetLeft();
        shifted.Location.Y += GetTop();
        v->InputGesture(shifted, Handled);
        return;
      }
  }
  // Touch selection handles come with the editor; without them the scroller pans.
  TRVScroller::DoGesture(EventInfo, Handled);
}

// ---- animation ----------------------------------------------------------------------------------

void TCustomViroZere::InputStartAnimation() {
  if (!RVData) return;
  RVData->FPlayingAnimation = true;
  TRVAnimatorList* list = RVData->GetAnimatorList();
  if (!list || list->Count() == 0 || list->Active || !HandleAllocated()) return;
  list->Active = true;
  list->LastMinInterval = list->MinInterval;
  FAnimationInterval = std::max(list->MinInterval, 1);
  SetTimer(GetHandle(), AnimationTimerId, static_cast<UINT>(FAnimationInterval));
}

void TCustomViroZere::InputStopAnimation() {
  if (!RVData) return;
  RVData->FPlayingAnimation = false;
  TRVAnimatorList* list = RVData->GetAnimatorList();
  if (!HandleAllocated() || !list || !list->Active) return;
  list->Active = false;
  KillTimer(GetHandle(), AnimationTimerId);
  FAnimationInterval = 0;
}

void TCustomViroZere::AnimationTimer() {
  TRVAnimatorList* list = RVData ? RVData->GetAnimatorList() : nullptr;
  if (!list || list->Count() == 0) {
    KillTimer(GetHandle(), AnimationTimerId);
    FAnimationInterval = 0;
    if (list) list->Active = false;
    return;
  }
  list->TimerEvent();
  if (list->Count() == 0) {
    KillTimer(GetHandle(), AnimationTimerId);
    FAnimationInterval = 0;
    list->Active = false;
    return;
  }
  if (list->MinInterval != list->LastMinInterval) {
    list->LastMinInterval = list->MinInterval;
    FAnimationInterval = std::max(list->MinInterval, 1);
    SetTimer(GetHandle(), AnimationTimerId, static_cast<UINT>(FAnimationInterval));
  }
}

void TCustomViroZere::InputAnimationModeChanged() {
  if (!RVData) return;
  if (FAnimationMode == rvaniDisabled) {
    StopAnimation();
    if (TRVAnimatorList* list = RVData->GetAnimatorList()) list->FreeAnimators();
    return;
  }
  for (int i = 0; i < RVData->ItemCount(); ++i) RVData->GetItem(i)->UpdateAnimator(RVData.get());
}
