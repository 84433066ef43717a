#include "platform/ui/Input.h"

#include <QCursor>
#include <QGuiApplication>

#include "platform/ui/GuiSession.h"

BOOL GetCursorPos(TPoint* point) {
  if (!point) return 0;
  if (!GuiSessionRunning() || !QGuiApplication::primaryScreen()) return 0;
  const QPoint p = QCursor::pos();
  *point = TPoint(p.x(), p.y());
  return 1;
}

std::int16_t GetAsyncKeyState(int vKey) {
  if (!GuiSessionRunning()) return 0;
  const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
  bool down = false;
  switch (vKey) {
    case VK_SHIFT: down = m.testFlag(Qt::ShiftModifier); break;
    case VK_CONTROL: down = m.testFlag(Qt::ControlModifier); break;
    case VK_MENU: down = m.testFlag(Qt::AltModifier); break;
    default: break;
  }
  return down ? static_cast<std::int16_t>(0x8000) : 0;
}
