// Standard controls: push button, single-line edit box, label, list box and combo box, painted by
// our own code (see Controls.h), the way the window system draws them.
#pragma once

#include "platform/ui/Controls.h"

class TStringList;

class TButton : public TWinControl {
  TAVRELO_PERSISTENT(TButton, TWinControl)
 public:
  explicit TButton(TComponent* AOwner);

  // The default button is clicked by Enter, the cancel button by Escape, anywhere in the form
  // (unless the focused control wants the key).
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool v);
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool v) { FCancel = v; }
  // Set as the form's ModalResult when the button is clicked (0: none).
  int GetModalResult() const { return FModalResult; }
  void SetModalResult(int v) { FModalResult = v; }
  std::function<void(TObject*)> OnClick;
  // What a click does: the form's ModalResult, then OnClick. Nothing while disabled.
  virtual void Click();
  void Dispatch(TMessage& Message) override;

 protected:
  // A push-button frame with the caption centred on one line; a default button has a dark frame.
  void PaintWindow(HDC DC) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  bool FDefault = false;
  bool FCancel = false;
  int FModalResult = 0;
  bool FPressed = false;
};

class TCustomEdit : public TWinControl {
  TAVRELO_PERSISTENT(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* AOwner);

  // A read-only edit shows its text and takes no typing.
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  // The caret, as a 0-based position in the text.
  int GetSelStart() const { return FSelStart; }
  void SetSelStart(int v);
  // Raised when the text changes, by typing or by SetText.
  std::function<void(TObject*)> OnChange;
  void Dispatch(TMessage& Message) override;

 protected:
  // The text on one line, one pixel in from the client area's edges, and the caret while focused.
  void PaintWindow(HDC DC) override;
  // Left, Right, Home, End move the caret; Delete removes the character after it.
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // Printable characters are typed at the caret, Backspace removes the one before it.
  void KeyPress(WideChar& Key) override;

 private:
  void Edit(const UnicodeString& NewText, int NewCaret);
  bool FReadOnly = false;
  int FSelStart = 0;
};

class TEdit : public TCustomEdit {
  TAVRELO_PERSISTENT(TEdit, TCustomEdit)
 public:
  using TCustomEdit::TCustomEdit;
};

class TCustomLabel : public TGraphicControl {
  TAVRELO_PERSISTENT(TCustomLabel, TGraphicControl)
 public:
  explicit TCustomLabel(TComponent* AOwner);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool v);
  // The control that the label's accelerator names (not owned).
  TWinControl* GetFocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* v) { FFocusControl = v; }
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);

 protected:
  // The background in Color unless transparent, then the caption ("&" marks an accelerator).
  void Paint() override;

 private:
  bool FTransparent = false;
  TAlignment FAlignment = taLeftJustify;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
  TAVRELO_PERSISTENT(TLabel, TCustomLabel)
 public:
  using TCustomLabel::TCustomLabel;
};

// A list of text lines, one selectable (ItemIndex, -1 for none). A click selects the line under
// the pointer, Up, Down, Home and End move the selection, a double click raises OnDblClick.
class TCustomListBox : public TWinControl {
  TAVRELO_PERSISTENT(TCustomListBox, TWinControl)
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStringList& Items() { return *FItems; }
  const TStringList& Items() const { return *FItems; }
  int GetItemIndex() const { return FItemIndex; }
  // An index outside the items selects nothing.
  void SetItemIndex(int v);
  int GetItemHeight() const { return FItemHeight; }
  void SetItemHeight(int v);
  int GetTopIndex() const { return FTopIndex; }
  // The index of the line at a client point, -1 when none is there.
  int ItemAtPos(TPoint Pos) const;
  std::function<void(TObject*)> OnClick, OnDblClick;

 protected:
  void PaintWindow(HDC DC) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // The selection changed by the user.
  virtual void Select();

 private:
  void ScrollIntoView();
  std::unique_ptr<TStringList> FItems;
  int FItemIndex = -1;
  int FItemHeight = 16;
  int FTopIndex = 0;
};

class TListBox : public TCustomListBox {
  TAVRELO_PERSISTENT(TListBox, TCustomListBox)
 public:
  using TCustomListBox::TCustomListBox;
};

// csSimple: a text field over an always open list; choosing a line puts it into the field.
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// The combo box of the simple style: an edit field on top and a list below, as child controls.
// Text is the field's; keys typed in the field raise the combo's OnKeyDown first.
class TComboBox : public TWinControl {
  TAVRELO_PERSISTENT(TComboBox, TWinControl)
 public:
  explicit TComboBox(TComponent* AOwner);

  TComboBoxStyle GetStyle() const { return FStyle; }
  void SetStyle(TComboBoxStyle v) { FStyle = v; }
  TStringList& Items() { return FList->Items(); }
  const TStringList& Items() const { return FList->Items(); }
  int GetItemIndex() const { return FList->GetItemIndex(); }
  // Selects a line and puts it into the field (-1: none, the field keeps its text).
  void SetItemIndex(int v);
  // The field's text.
  UnicodeString GetText() const { return FEdit->GetText(); }
  void SetText(const UnicodeString& v) { FEdit->SetText(v); }
  TEdit* EditPart() const { return FEdit; }
  TListBox* ListPart() const { return FList; }
  std::function<void(TObject*)> OnChange, OnDblClick;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  // The keyboard focus given to the combo goes to its field.
  void Dispatch(TMessage& Message) override;

 private:
  void Arrange();
  TComboBoxStyle FStyle = csDropDown;
  TEdit* FEdit;     // owned as a child
  TListBox* FList;  // owned as a child
};
