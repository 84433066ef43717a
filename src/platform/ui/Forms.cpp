#include "platform/ui/Forms.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/ui/GuiSession.h"
#include "platform/ui/NativeWindow.h"
#include "platform/ui/StdCtrls.h"

std::function<void(TCustomForm& Form)> TCustomForm::ShowModalHook;

namespace forms_detail {

// The first button below Parent (depth first, in child order) that is visible, enabled and
// passes Wanted.
TButton* FindButton(const TWinControl* Parent, const std::function<bool(const TButton&)>& Wanted) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->GetControl(i);
    if (!c->GetVisible() || !c->GetEnabled()) continue;
    if (auto* b = dynamic_cast<TButton*>(c); b && Wanted(*b)) return b;
    if (auto* w = dynamic_cast<TWinControl*>(c))
      if (TButton* found = FindButton(w, Wanted)) return found;
  }
  return nullptr;
}

}  // namespace forms_detail

const TClassInfo& TCustomForm::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TCustomForm>(u"TCustomForm", &TWinControl::StaticClassInfo())
                                     .String(u"Caption", &TCustomForm::GetCaption, &TCustomForm::SetCaption)
                                     .Build();
  return info;
}

const TClassInfo& TForm::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TForm>(u"TForm", &TCustomForm::StaticClassInfo()).Build();
  return info;
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csAcceptsControls, csSetCaption, csClickEvents, csDoubleClicks};
  SetColor(clBtnFace);
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm() { FActiveControl = nullptr; }

void TCustomForm::SetFormBorderStyle(TFormBorderStyle v) {
  if (v == FFormBorderStyle) return;
  FFormBorderStyle = v;
  ApplyWindowLook();
}

void TCustomForm::SetActiveControl(TWinControl* v) {
  FActiveControl = v;
  if (v && FModal && HandleAllocated() && v->CanFocus()) v->SetFocus();
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyWindowLook();
}

void TCustomForm::ApplyWindowLook() {
  if (!HandleAllocated()) return;
  QWidget* w = NativeWidgetOf(GetHandle());
  if (!w || w->parentWidget()) return;
  Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
  if (FFormBorderStyle == bsSizeable || FFormBorderStyle == bsSizeToolWin)
    flags |= Qt::WindowMinMaxButtonsHint;
  else
    flags |= Qt::MSWindowsFixedSizeDialogHint;
  if (FFormBorderStyle == bsNone) flags = Qt::Dialog | Qt::FramelessWindowHint;
  // Setting the flags makes the window again: only when they change.
  if (w->windowFlags() != flags) w->setWindowFlags(flags);
  const UnicodeString& caption = GetCaption();
  w->setWindowTitle(QString::fromUtf16(caption.data(), static_cast<qsizetype>(caption.size())));
  if (FFormBorderStyle == bsSizeable || FFormBorderStyle == bsSizeToolWin) {
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    w->setFixedSize(std::max(0, GetWidth()), std::max(0, GetHeight()));
  }
}

void TCustomForm::CenterOnScreen() {
  QScreen* screen = GuiSessionRunning() ? QGuiApplication::primaryScreen() : nullptr;
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  SetBounds(area.x() + (area.width() - GetWidth()) / 2, area.y() + (area.height() - GetHeight()) / 2, GetWidth(),
            GetHeight());
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::Activate() {
  // Without a control to focus, the form takes the keys itself (Enter and Escape still work).
  if (FActiveControl && FActiveControl->CanFocus())
    FActiveControl->SetFocus();
  else if (HandleAllocated())
    SetFocus();
  if (OnActivate) OnActivate(this);
}

TButton* TCustomForm::FindDefaultButton() const {
  return forms_detail::FindButton(this, [](const TButton& b) { return b.GetDefault(); });
}

TButton* TCustomForm::FindCancelButton() const {
  return forms_detail::FindButton(this, [](const TButton& b) { return b.GetCancel(); });
}

bool TCustomForm::DialogKey(WORD Key) {
  TButton* b = Key == VK_RETURN ? FindDefaultButton() : Key == VK_ESCAPE ? FindCancelButton() : nullptr;
  if (!b) return false;
  b->Click();
  return true;
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGKEY: Message.Result = DialogKey(static_cast<WORD>(Message.WParam)) ? 1 : 0; break;
    case CM_TEXTCHANGED:
      ApplyWindowLook();
      TWinControl::Dispatch(Message);
      break;
    default: TWinControl::Dispatch(Message);
  }
}

TModalResult TCustomForm::ShowModal() {
  if (FModal) throw EInvalidOperation(u"Cannot make a visible window modal");
  FModal = true;
  FModalResult = mrNone;
  SetVisible(true);
  TFinally done([this] {
    FModal = false;
    SetVisible(false);
  });
  if (FPosition == poScreenCenter) CenterOnScreen();
  if (ShowModalHook) {
    DoShow();
    Activate();
    ShowModalHook(*this);
    if (FModalResult == mrNone) FModalResult = mrCancel;
    return FModalResult;
  }
  HandleNeeded();
  QWidget* w = NativeWidgetOf(GetHandle());
  ApplyWindowLook();
  w->setWindowModality(Qt::ApplicationModal);
  w->move(GetLeft(), GetTop());
  w->show();
  // The window goes when the showing ends: a window shown again after hiding may not get the
  // keyboard from the window system (the focus it lost counts as newer than the request), while a
  // new one does. The controls keep their state without their windows.
  TFinally hide([this] { DestroyHandle(); });
  DoShow();
  w->raise();
  w->activateWindow();
  // The window system gives the window the keyboard a little later; the active control gets the
  // focus once it has, or the window would hand it to the control that had it last.
  QElapsedTimer waited;
  waited.start();
  while (!w->isActiveWindow() && waited.elapsed() < 1000 && w->isVisible()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    // A request made before the window was mapped may go unheard: ask again.
    if (!w->isActiveWindow()) w->activateWindow();
  }
  Activate();
  // The user's actions set the result; a window the user closed is hidden, which counts as Cancel.
  while (FModalResult == mrNone) {
    if (!HandleAllocated() || !NativeWidgetOf(GetHandle())->isVisible()) {
      FModalResult = mrCancel;
      break;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
  }
  return FModalResult;
}

TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  TControl* top = Control;
  while (top->GetParent()) top = top->GetParent();
  return dynamic_cast<TCustomForm*>(top);
}
