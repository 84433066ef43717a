#include "platform/ui/StdCtrls.h"

#include <algorithm>

#include "platform/base/Classes.h"
#include "platform/ui/Forms.h"
#include "platform/ui/UserDraw.h"

namespace {

// Draws text with the control's font and colour on a transparent background, leaving the
// context as it was.
void DrawControlText(HDC DC, TFont& font, const UnicodeString& text, RECT r, UINT format) {
  const int saved = SaveDC(DC);
  if (!saved) return;
  SelectObject(DC, font.GetHandle());
  SetTextColor(DC, ColorToRGB(font.GetColor()));
  SetBkMode(DC, TRANSPARENT);
  DrawTextW(DC, text.c_str(), -1, &r, format);
  RestoreDC(DC, saved);
}

}  // namespace

// ---- TButton ------------------------------------------------------------------------------------

const TClassInfo& TButton::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TButton>(u"TButton", &TWinControl::StaticClassInfo())
                                     .String(u"Caption", &TButton::GetCaption, &TButton::SetCaption)
                                     .Build();
  return info;
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 75, 25);
  SetColor(clBtnFace);
}

void TButton::SetDefault(bool v) { SetLookField(FDefault, v); }

void TButton::PaintWindow(HDC DC) {
  RECT r = GetClientRect();
  if (FDefault) {
    FrameRect(DC, &r, reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(COLOR_WINDOWTEXT + 1)));
    r = RECT(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  DrawFrameControl(DC, &r, DFC_BUTTON,
                   DFCS_BUTTONPUSH | (FPressed ? DFCS_PUSHED : 0) | (GetEnabled() ? 0 : DFCS_INACTIVE));
  TFont font;
  font.Assign(Font());
  if (!GetEnabled()) font.SetColor(clGrayText);
  DrawControlText(DC, font, GetCaption(), r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void TButton::Click() {
  if (!GetEnabled()) return;
  if (FModalResult != 0)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  if (OnClick) OnClick(this);
}

void TButton::MouseDown(TMouseButton Button, TShiftState, int, int) {
  if (Button != mbLeft) return;
  FPressed = true;
  Invalidate();
}

void TButton::MouseUp(TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft || !FPressed) return;
  FPressed = false;
  Invalidate();
  if (X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight()) Click();
}

void TButton::KeyDown(WORD& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    Key = 0;
    Click();
  }
}

void TButton::Dispatch(TMessage& Message) {
  // A focused button takes Enter itself: it clicks the button, not the form's default.
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = 0;
    return;
  }
  if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_RETURN) {
    Click();
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---- TCustomEdit --------------------------------------------------------------------------------

const TClassInfo& TCustomEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomEdit>(u"TCustomEdit", &TWinControl::StaticClassInfo())
          .String(u"Text", &TCustomEdit::GetText, &TCustomEdit::SetText)
          .Build();
  return info;
}

const TClassInfo& TEdit::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TEdit>(u"TEdit", &TCustomEdit::StaticClassInfo()).Build();
  return info;
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csClickEvents, csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 121, 21);
  SetBorderStyle(bsSingle);
}

void TCustomEdit::PaintWindow(HDC DC) {
  const TRect c = GetClientRect();
  DrawControlText(DC, Font(), GetText(), TRect(1, 1, c.Right - 1, c.Bottom - 1),
                  DT_EDITCONTROL | DT_SINGLELINE | DT_NOPREFIX);
  if (!Focused() || FReadOnly) return;
  // The caret: a line after the text before it.
  const int saved = SaveDC(DC);
  if (!saved) return;
  SelectObject(DC, Font().GetHandle());
  SIZE size{};
  const int caret = std::min<int>(FSelStart, static_cast<int>(GetText().size()));
  GetTextExtentPoint32W(DC, GetText().c_str(), caret, &size);
  RECT bar(1 + size.cx, 2, 2 + size.cx, std::max(3, c.Bottom - 2));
  FillRect(DC, &bar, reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(COLOR_WINDOWTEXT + 1)));
  RestoreDC(DC, saved);
}

void TCustomEdit::SetSelStart(int v) { SetLookField(FSelStart, std::clamp(v, 0, static_cast<int>(GetText().size()))); }

void TCustomEdit::Edit(const UnicodeString& NewText, int NewCaret) {
  SetText(NewText);
  SetSelStart(NewCaret);
}

void TCustomEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  const int n = static_cast<int>(GetText().size());
  const int at = std::min(FSelStart, n);
  switch (Key) {
    case VK_LEFT: SetSelStart(at - 1); break;
    case VK_RIGHT: SetSelStart(at + 1); break;
    case VK_HOME: SetSelStart(0); break;
    case VK_END: SetSelStart(n); break;
    case VK_DELETE:
      if (!FReadOnly && at < n) {
        UnicodeString t = GetText();
        t.erase(static_cast<std::size_t>(at), 1);
        Edit(t, at);
      }
      break;
    default: return;
  }
  Key = 0;
}

void TCustomEdit::KeyPress(WideChar& Key) {
  TWinControl::KeyPress(Key);
  if (!Key || FReadOnly) return;
  const int at = std::min(FSelStart, static_cast<int>(GetText().size()));
  UnicodeString t = GetText();
  if (Key == u'\b') {
    if (at > 0) {
      t.erase(static_cast<std::size_t>(at - 1), 1);
      Edit(t, at - 1);
    }
  } else if (Key >= 0x20 && Key != 0x7F) {
    t.insert(static_cast<std::size_t>(at), 1, Key);
    Edit(t, at + 1);
  }
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      FSelStart = std::min(FSelStart, static_cast<int>(GetText().size()));
      TWinControl::Dispatch(Message);
      if (OnChange) OnChange(this);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      TWinControl::Dispatch(Message);
      break;
    case WM_GETDLGCODE: Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; break;
    default: TWinControl::Dispatch(Message);
  }
}

// ---- TCustomLabel -------------------------------------------------------------------------------

const TClassInfo& TCustomLabel::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomLabel>(u"TCustomLabel", &TGraphicControl::StaticClassInfo())
          .String(u"Caption", &TCustomLabel::GetCaption, &TCustomLabel::SetCaption)
          .Boolean(u"Transparent", &TCustomLabel::GetTransparent, &TCustomLabel::SetTransparent, false)
          .Build();
  return info;
}

const TClassInfo& TLabel::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TLabel>(u"TLabel", &TCustomLabel::StaticClassInfo()).Build();
  return info;
}

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle = {csReplicatable, csSetCaption, csOpaque};
  SetBounds(0, 0, 65, 17);
  SetColor(clBtnFace);
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  if (v) FControlStyle.Exclude(csOpaque);
  else FControlStyle.Include(csOpaque);
  Invalidate();
}

void TCustomLabel::SetAlignment(TAlignment v) { SetLookField(FAlignment, v); }

void TCustomLabel::Paint() {
  PaintControlFace(*GetCanvas(), GetClientRect(), !FTransparent && GetColor() != clNone, GetColor(), Font(),
                   GetCaption(), FAlignment, DT_EXPANDTABS);
}

// ---- TCustomListBox -----------------------------------------------------------------------------

const TClassInfo& TCustomListBox::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomListBox>(u"TCustomListBox", &TWinControl::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TListBox::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TListBox>(u"TListBox", &TCustomListBox::StaticClassInfo()).Build();
  return info;
}

TCustomListBox::TCustomListBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TStringList>()) {
  FControlStyle = {csSetCaption, csDoubleClicks, csOpaque};
  SetBounds(0, 0, 121, 97);
  SetBorderStyle(bsSingle);
  SetTabStop(true);
  // A list that loses the selected line selects nothing.
  FItems->OnChange = [this](TObject*) {
    if (FItemIndex >= FItems->Count()) FItemIndex = -1;
    FTopIndex = std::clamp(FTopIndex, 0, std::max(0, FItems->Count() - 1));
    Invalidate();
  };
}

TCustomListBox::~TCustomListBox() { FItems->OnChange = nullptr; }

void TCustomListBox::SetItemIndex(int v) {
  if (v < 0 || v >= FItems->Count()) v = -1;
  if (v == FItemIndex) return;
  FItemIndex = v;
  ScrollIntoView();
  Invalidate();
}

void TCustomListBox::SetItemHeight(int v) { SetLookField(FItemHeight, std::max(1, v)); }

void TCustomListBox::ScrollIntoView() {
  if (FItemIndex < 0) return;
  const int rows = std::max(1, GetClientRect().Height() / FItemHeight);
  if (FItemIndex < FTopIndex)
    FTopIndex = FItemIndex;
  else if (FItemIndex >= FTopIndex + rows)
    FTopIndex = FItemIndex - rows + 1;
}

int TCustomListBox::ItemAtPos(TPoint Pos) const {
  if (Pos.X < 0 || Pos.Y < 0 || Pos.X >= GetClientRect().Width()) return -1;
  const int i = FTopIndex + Pos.Y / FItemHeight;
  return i < FItems->Count() ? i : -1;
}

void TCustomListBox::PaintWindow(HDC DC) {
  const TRect c = GetClientRect();
  for (int i = FTopIndex, y = 0; i < FItems->Count() && y < c.Height(); ++i, y += FItemHeight) {
    RECT r(0, y, c.Width(), y + FItemHeight);
    TFont font;
    font.Assign(Font());
    if (i == FItemIndex) {
      FillRect(DC, &r, reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(COLOR_HIGHLIGHT + 1)));
      font.SetColor(clHighlightText);
    }
    r.Left += 2;
    DrawControlText(DC, font, FItems->Get(i), r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
}

void TCustomListBox::Select() {
  if (OnClick) OnClick(this);
}

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft) return;
  if (CanFocus() && !Focused() && HandleAllocated()) SetFocus();
  const int i = ItemAtPos(TPoint(X, Y));
  if (i < 0) return;
  SetItemIndex(i);
  Select();
}

void TCustomListBox::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TCustomListBox::KeyDown(WORD& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  const int n = FItems->Count();
  if (!n) return;
  int to;
  switch (Key) {
    case VK_UP: to = std::max(0, FItemIndex - 1); break;
    case VK_DOWN: to = std::min(n - 1, FItemIndex + 1); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    default: return;
  }
  Key = 0;
  if (to == FItemIndex) return;
  SetItemIndex(to);
  Select();
}

// ---- TComboBox ----------------------------------------------------------------------------------

const TClassInfo& TComboBox::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TComboBox>(u"TComboBox", &TWinControl::StaticClassInfo()).Build();
  return info;
}

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FEdit(new TEdit(nullptr)), FList(new TListBox(nullptr)) {
  FControlStyle = {csSetCaption, csDoubleClicks};
  FEdit->SetParent(this);
  FList->SetParent(this);
  FList->SetTabStop(false);
  FEdit->SetTabStop(true);
  FEdit->OnKeyDown = [this](TObject*, WORD& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    // Up and Down in the field move through the list.
    if (Key == VK_UP || Key == VK_DOWN) {
      const int n = Items().Count();
      if (n) SetItemIndex(std::clamp(GetItemIndex() + (Key == VK_UP ? -1 : 1), 0, n - 1));
      Key = 0;
    }
  };
  FEdit->OnChange = [this](TObject*) {
    if (OnChange) OnChange(this);
  };
  FList->OnClick = [this](TObject*) {
    if (FList->GetItemIndex() >= 0) FEdit->SetText(Items().Get(FList->GetItemIndex()));
    FEdit->SetSelStart(static_cast<int>(FEdit->GetText().size()));
  };
  FList->OnDblClick = [this](TObject*) {
    if (OnDblClick) OnDblClick(this);
  };
  SetBounds(0, 0, 145, 105);
}

void TComboBox::SetItemIndex(int v) {
  FList->SetItemIndex(v);
  if (FList->GetItemIndex() >= 0) {
    FEdit->SetText(Items().Get(FList->GetItemIndex()));
    FEdit->SetSelStart(static_cast<int>(FEdit->GetText().size()));
  }
}

void TComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  Arrange();
}

void TComboBox::Arrange() {
  if (!FEdit || !FList) return;
  const int field = std::min(GetHeight(), 21);
  FEdit->SetBounds(0, 0, GetWidth(), field);
  FList->SetBounds(0, field + 1, GetWidth(), std::max(0, GetHeight() - field - 1));
}

void TComboBox::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_SETFOCUS && FEdit->CanFocus()) {
    TWinControl::Dispatch(Message);
    FEdit->SetFocus();
    return;
  }
  TWinControl::Dispatch(Message);
}
