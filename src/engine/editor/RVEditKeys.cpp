// Keyboard handling of the editor control: what each key and character does, the shortcuts,
// characters typed by their decimal code with Alt and the numeric keypad, and the window
// messages through which the window system asks the control about keys. The editing and caret
// movement themselves are the data's; this unit decides which of them a key calls.
#include "engine/editor/RVEdit.h"

#include "engine/foundation/RVUni.h"

namespace edit_keys {

constexpr std::int64_t LastCodePoint = 0x10FFFF;

// Whether Code can stand in text on its own: not a surrogate, not beyond the last code point.
bool IsTypableCodePoint(std::int64_t Code) {
  return Code >= 0 && Code <= LastCodePoint && (Code < 0xD800 || Code > 0xDFFF);
}

// Keys that change nothing in the document and pass the first dispatch untouched.
bool KeyOnlyPasses(WORD Key) {
  return (Key >= VK_SHIFT && Key <= VK_CAPITAL) || Key == VK_ESCAPE || Key == VK_SNAPSHOT ||
         (Key >= VK_LWIN && Key <= VK_APPS) || (Key >= VK_F1 && Key <= VK_F24) || Key == VK_NUMLOCK ||
         Key == VK_SCROLL || (Key >= VK_LSHIFT && Key <= VK_LAUNCH_APP2) || Key == VK_PROCESSKEY || Key >= 246;
}

bool IsMovementKey(WORD Key) { return Key >= VK_PRIOR && Key <= VK_DOWN; }

// The arrow key that moves the caret on the screen as Key does in the document's own direction.
WORD MapArrowToRotation(WORD Key, TRVDocRotation Rotation) {
  static constexpr WORD Arrows[4] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
  if (Key < VK_LEFT || Key > VK_DOWN || Rotation == rvrotNone) return Key;
  // In the order Left, Up, Right, Down: a turn by 90 degrees gives the arrow three places on,
  // 180 two places, 270 one place (so Left acts as Down at 90 degrees).
  const int Turns = Rotation == rvrot90 ? 3 : Rotation == rvrot180 ? 2 : 1;
  return Arrows[(Key - VK_LEFT + Turns) % 4];
}

}  // namespace edit_keys

// ---- the shortcut hook ----------------------------------------------------------------------------

void TCustomViroZereEdit::CopyOnShortcut(WORD& Key, TShiftState Shift) {
  const bool S = Shift.Contains(ssShift), C = Shift.Contains(ssCtrl), A = Shift.Contains(ssAlt);
  if (Key == 'X' && A) {
    GetEditRVData()->ReplaceCharCode();
    Key = 0;
  } else if ((Key == 'Z' && C && !A && !S) || (Key == VK_BACK && A && !S)) {
    Undo();
    Key = 0;
  } else if ((Key == 'Z' && C && S && !A) || (Key == VK_BACK && A && S)) {
    Redo();
    Key = 0;
  } else if (IsCutShortcut(Key, Shift)) {
    Perform(WM_CUT, 0, 0);
    Key = 0;
  } else if (IsPasteShortcut(Key, Shift)) {
    Perform(WM_PASTE, 0, 0);
    Key = 0;
  } else {
    TCustomViroZere::CopyOnShortcut(Key, Shift);
  }
}

// ---- key down -------------------------------------------------------------------------------------

void TCustomViroZereEdit::KeyDown(WORD& Key, TShiftState Shift) { ProcessKeyDown(Key, Shift); }

void TCustomViroZereEdit::ProcessKeyDown(WORD& Key, TShiftState Shift) {
  TRVEditRVData* Data = GetEditRVData();
  Data->PrepareForEdit();
  TCustomViroZere::KeyDown(Key, Shift);
  if (SmartPopupShortcut(Key, Shift)) Key = 0;
  const bool S = Shift.Contains(ssShift), C = Shift.Contains(ssCtrl), A = Shift.Contains(ssAlt);

  // Alt+keypad digits collect a code that starts with 0; anything else forgets it.
  TRVEditRootProperties* Props = Data->GetRootEditProperties();
  if (A && Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) {
    const int Digit = Key - VK_NUMPAD0;
    if (Props->AltCode < 0) {
      if (Digit == 0) Props->AltCode = 0;
    } else if (Props->AltCode <= edit_keys::LastCodePoint) {
      // A code beyond the last code point stays pending, without growing, until its character
      // comes: that character is then refused rather than typed.
      Props->AltCode = Props->AltCode * 10 + Digit;
    }
  } else {
    Props->AltCode = -1;
  }

  if (Key == VK_RETURN && FEditorOptions.Contains(rvoDoNotWantReturns)) Key = 0;
  if (Key == 0) return;
  if (Key == VK_ESCAPE && Data->CancelResize()) return;

  if (C && !S && (Key == VK_UP || Key == VK_DOWN)) {
    TCustomViroZereEdit* Root = GetRootEditor();
    Root->SetVScrollPos(Root->GetVScrollPos() + (Key == VK_UP ? -1 : 1));
    return;
  }

  const bool KeepsColumn =
      (Key == VK_SHIFT || Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN) && !A && !C;
  if (!KeepsColumn) Data->ResetUpDownMovingX();

  // The first dispatch: what happens to the selection.
  bool Repaint = false;
  if (Key == VK_BACK || Key == VK_DELETE) {
    if (Data->SelectionExists(false, true)) {
      if (BeforeChange(false)) {
        Data->DeleteSelection_();
        Invalidate();
      }
      return;
    }
  } else if (Key == VK_CONTROL) {
    if (FEditorOptions.Contains(rvoCtrlJumps) && !Data->GetAbsoluteRootData()->GetFlags().Contains(rvflUseJumps)) {
      // Hyperlinks answer the mouse while Ctrl is held.
      Data->BuildJumpsInfo(false);
      GenerateMouseMove();
    }
  } else if (edit_keys::KeyOnlyPasses(Key)) {
    // nothing to do with the selection
  } else if (edit_keys::IsMovementKey(Key)) {
    LiveSpellingCheckCurrentItem(Data->GetSourceRVData(), Data->GetCurItemNo());
    if (S) {
      Data->StartShiftMoving();
      Repaint = true;
    } else {
      Repaint = Data->SelectionExists(false, true);
      if (Repaint) Data->Deselect(nullptr, true);
    }
  } else {
    CopyOnShortcut(Key, Shift);
    if (Key == 0) return;
    if (!A && !C && Key != VK_INSERT && !Data->FPartialSelectedItem && Data->SelectionExists(false, false)) {
      // The character that follows replaces the selection.
      Repaint = true;
      if (!BeforeChange(false)) return;
      Data->DeleteSelection_();
    }
  }

  // The key as it acts in the document: rotation, then the reading direction, then the line order.
  WORD Mapped = edit_keys::MapArrowToRotation(Key, Data->GetRealRotation(true));
  if (GetBiDiMode() == rvbdRightToLeft) {
    if (Mapped == VK_LEFT)
      Mapped = VK_RIGHT;
    else if (Mapped == VK_RIGHT)
      Mapped = VK_LEFT;
  }
  if (Data->IsLineOrderReversed()) {
    switch (Mapped) {
      case VK_PRIOR: Mapped = VK_NEXT; break;
      case VK_NEXT: Mapped = VK_PRIOR; break;
      case VK_UP: Mapped = VK_DOWN; break;
      case VK_DOWN: Mapped = VK_UP; break;
      default: break;
    }
  }

  // The second dispatch: the editing and movement keys.
  bool GetsOut = false;
  TRVGetOutDirection Direction = rvdBottom;
  switch (Mapped) {
    case VK_BACK:
      Data->OnBackSpacePress_(C, false, false, 0);
      if (!GetReadOnly()) Change();
      return;
    case VK_DELETE:
      Data->OnDeletePress_(C, false);
      if (!GetReadOnly()) Change();
      return;
    case VK_RETURN:
      if (S && FEditorOptions.Contains(rvoDoNotWantShiftReturns)) return;
      if (!BeforeChange(false)) return;
      if (Data->OnEnterPress_(S, false)) {
        Change();
        Invalidate();
      }
      return;
    case VK_TAB:
      // Ctrl+Tab types a tab through the character message (Tab alone may belong to the dialog).
      if (C) PostMessage(GetHandle(), WM_CHAR, VK_TAB, 0);
      break;
    case VK_PRIOR: Data->OnPgUpPress(S); break;
    case VK_NEXT: Data->OnPgDownPress(S); break;
    case VK_END: GetsOut = Data->OnEndPress(S, C), Direction = rvdBottom; break;
    case VK_HOME: GetsOut = Data->OnHomePress(S, C), Direction = rvdTop; break;
    case VK_LEFT: GetsOut = Data->OnLeftPress(S, C), Direction = rvdLeft; break;
    case VK_UP: GetsOut = Data->OnUpPress(S, C), Direction = rvdUp; break;
    case VK_RIGHT: GetsOut = Data->OnRightPress(S, C), Direction = rvdRight; break;
    case VK_DOWN: GetsOut = Data->OnDownPress(S, C), Direction = rvdDown; break;
    default:
      if (Repaint) Invalidate();
      return;
  }

  if (S) Data->EndShiftMoving();
  if (Repaint) {
    Data->DoOnSelection(true);
    Invalidate();
  }
  if (GetCustomCaretInterval() > 0) Data->DrawCustomCaret();
  // Raised last: a cell editor's handler may close the editor.
  if (GetsOut && OnCaretGetOut) OnCaretGetOut(this, Direction);
}

// ---- key up ---------------------------------------------------------------------------------------

void TCustomViroZereEdit::KeyUp(WORD& Key, TShiftState Shift) {
  if (Key == VK_CONTROL) {
    GetEditRVData()->ClearJumpsInfo();
    GenerateMouseMove();
  }
  TCustomViroZere::KeyUp(Key, Shift);
}

// ---- characters -----------------------------------------------------------------------------------

void TCustomViroZereEdit::KeyPress(WideChar& Key) { ProcessKeyPress(Key); }

void TCustomViroZereEdit::ProcessKeyPress(WideChar& Key) {
  TRVEditRVData* Data = GetEditRVData();
  if (Data->State.Contains(rvstIgnoreNextChar)) return;

  TRVEditRootProperties* Props = Data->GetRootEditProperties();
  if (Props->AltCode > 0) {
    const std::int64_t Code = Props->AltCode;
    if (!FEditorOptions.Contains(rvoAlt0CodesUseKeyboardCodepage)) {
      // The collected code replaces the character the window system made of it.
      Props->AltCode = -1;
      Key = 0;
      if (!edit_keys::IsTypableCodePoint(Code)) {
        Data->Beep();
        return;
      }
      InsertTextW(CodePointToUTF16(static_cast<DWORD>(Code)));
      return;
    }
  }
  if (Props->AltCode == 0) Props->AltCode = -1;

  // Control characters: Enter and Backspace act on key-down; the others only raise OnKeyPress.
  if (Key != 0 && Key != VK_TAB && (Key < 32 || Key == 127)) {
    TCustomViroZere::KeyPress(Key);
    return;
  }

  bool Allowed = false;
  {
    Data->State.Include(rvstKeyPress);
    TFinally Leave([Data] { Data->State.Exclude(rvstKeyPress); });
    Allowed = BeforeChange(false);
  }
  if (!Allowed) return;
  TCustomViroZere::KeyPress(Key);
  if (Key == 0) return;
  if (Data->FPartialSelectedItem) {
    // A table whose cells are selected takes no typing.
    Data->Beep();
    return;
  }
  DeleteSelection();
  if (Key == VK_TAB) {
    const int Spaces = GetStyle()->SpacesInTab;
    if (Spaces > 0)
      InsertTextW(TRVUnicodeString(static_cast<std::size_t>(Spaces), u' '));
    else
      InsertTab();
  } else {
    Data->KeyPress(Key);
  }
}

// ---- window messages about keys -------------------------------------------------------------------

bool TCustomViroZereEdit::KeyDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      if (!FEditorOptions.Contains(rvoDoNotWantReturns)) Message.Result |= DLGC_WANTALLKEYS;
      if (FEditorOptions.Contains(rvoWantTabs)) Message.Result |= DLGC_WANTTAB;
      return true;
    case CM_WANTSPECIALKEY:
      TCustomViroZere::Dispatch(Message);
      if ((Message.WParam & 0xFFFF) == VK_RETURN && !FEditorOptions.Contains(rvoDoNotWantReturns)) Message.Result = 1;
      return true;
    case WM_UNICHAR: {
      if (Message.WParam == UNICODE_NOCHAR) {
        Message.Result = 1;
        return true;
      }
      Message.Result = 0;
      TRVEditRVData* Data = GetEditRVData();
      const auto Code = static_cast<std::int64_t>(Message.WParam);
      if (!edit_keys::IsTypableCodePoint(Code) || Data->FPartialSelectedItem) {
        Data->Beep();
        return true;
      }
      if (!BeforeChange(false)) return true;
      Data->DeleteSelection_();
      Data->InsertTextTyping(CodePointToUTF16(static_cast<DWORD>(Code)));
      return true;
    }
    case WM_SYSCHAR:
      // Alt+Backspace is undo (on key-down); its character must not sound the window system's alarm.
      if (Message.WParam == VK_BACK && GetUndoLimit() != 0) {
        Message.Result = 0;
        return true;
      }
      return false;
    default: return false;
  }
}
