#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <atomic>
#include <QMessageBox>
#include <QWidget>

#include "platform/ui/GuiSession.h"
#include "platform/ui/NativeWindow.h"

std::function<int(HWND Wnd, const UnicodeString& Text, const UnicodeString& Caption, UINT Type)> MessageBoxHook;

int MessageBoxW(HWND Wnd, const UnicodeString& Text, const UnicodeString& Caption, UINT Type) {
  if (MessageBoxHook) return MessageBoxHook(Wnd, Text, Caption, Type);
  if (!GuiSessionRunning() || !qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (Type & 0xF0) {
    case MB_ICONERROR: icon = QMessageBox::Critical; break;
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
  }
  QWidget* parent = NativeWidgetOf(Wnd) ? NativeWidgetOf(Wnd)->window() : nullptr;
  QMessageBox box(icon, QString::fromUtf16(Caption.data(), static_cast<qsizetype>(Caption.size())),
                  QString::fromUtf16(Text.data(), static_cast<qsizetype>(Text.size())), QMessageBox::Ok, parent);
  box.exec();
  return IDOK;
}

namespace {
std::atomic<int> BeepCount{0};
}

bool MessageBeep(UINT) {
  BeepCount.fetch_add(1, std::memory_order_relaxed);
  if (!GuiSessionRunning() || !qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  QApplication::beep();
  return true;
}

int MessageBeepCount() { return BeepCount.load(std::memory_order_relaxed); }
