// Forms: top-level windows that hold controls, shown modally as dialogs. A form's client area is
// its whole window (the window system draws the frame and the title). ShowModal shows the form,
// runs the events until ModalResult is set (a button with a modal result sets it when clicked)
// or the user closes the window, hides the form and answers the result. Enter and Escape that the
// focused control does not want reach the form, which clicks its default or its cancel button.
#pragma once

#include <functional>

#include "platform/ui/Controls.h"

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
                       mrClose = 8, mrHelp = 9, mrTryAgain = 10, mrContinue = 11, mrAll = 12, mrNoToAll = 13,
                       mrYesToAll = 14;

enum TPosition { poDesigned, poScreenCenter };

class TButton;

class TCustomForm : public TWinControl {
  TAVRELO_PERSISTENT(TCustomForm, TWinControl)
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // The frame the window system gives the window: bsDialog and bsSingle keep the size fixed,
  // bsDialog also leaves out the minimise and maximise buttons.
  TFormBorderStyle GetFormBorderStyle() const { return FFormBorderStyle; }
  void SetFormBorderStyle(TFormBorderStyle v);
  // Where the form appears when shown: poScreenCenter centres it on the screen's work area.
  TPosition GetPosition() const { return FPosition; }
  void SetPosition(TPosition v) { FPosition = v; }
  void SetClientWidth(int v) { SetWidth(v); }
  void SetClientHeight(int v) { SetHeight(v); }

  // The control that gets the keyboard when the form is shown (not owned; null: none).
  TWinControl* GetActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* v);

  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  // Shows the form modally until ModalResult is set (closing the window sets mrCancel) and
  // answers it. Raises EInvalidOperation when the form is being shown modally already.
  virtual TModalResult ShowModal();
  bool IsModal() const { return FModal; }

  // Replaces the showing of every modal form (tests): called once the form counts as shown and
  // active; it presses buttons or sets the result. A result still unset afterwards is mrCancel.
  static std::function<void(TCustomForm& Form)> ShowModalHook;

  // Raised when the form is shown and when it becomes the active window.
  std::function<void(TObject*)> OnShow, OnActivate;

  // The visible, enabled button of the form marked Default (or Cancel); null when none.
  TButton* FindDefaultButton() const;
  TButton* FindCancelButton() const;

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateWnd() override;
  virtual void DoShow();
  virtual void Activate();
  // Enter clicks the default button, Escape the cancel button; true when one was clicked.
  virtual bool DialogKey(WORD Key);

 private:
  void ApplyWindowLook();
  void CenterOnScreen();
  TFormBorderStyle FFormBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  TWinControl* FActiveControl = nullptr;
  TModalResult FModalResult = mrNone;
  bool FModal = false;
};

class TForm : public TCustomForm {
  TAVRELO_PERSISTENT(TForm, TCustomForm)
 public:
  using TCustomForm::TCustomForm;
};

// The form a control stands on (its topmost parent, when that is a form); null when none.
TCustomForm* GetParentForm(TControl* Control);
