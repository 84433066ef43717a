#include "platform/ui/Input.h"

#include <QCursor>
#include <QApplication>
#include <QGuiApplication>
#include <QStyle>
#include <algorithm>

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
    case VK_LBUTTON: down = QGuiApplication::mouseButtons().testFlag(Qt::LeftButton); break;
    case VK_RBUTTON: down = QGuiApplication::mouseButtons().testFlag(Qt::RightButton); break;
    case VK_MBUTTON: down = QGuiApplication::mouseButtons().testFlag(Qt::MiddleButton); break;
    default: break;
  }
  return down ? static_cast<std::int16_t>(0x8000) : 0;
}

namespace {
// One thread's keyboard: key messages are handled on the thread whose windows get them.
thread_local BYTE GKeyboardState[256] = {};
}  // namespace

std::int16_t GetKeyState(int vKey) {
  if (vKey < 0 || vKey > 255) return 0;
  const BYTE b = GKeyboardState[vKey];
  return static_cast<std::int16_t>(((b & 0x80) ? 0x8000 : 0) | (b & 0x01));
}

BOOL GetKeyboardState(BYTE* KeyState) {
  if (!KeyState) return 0;
  std::copy(std::begin(GKeyboardState), std::end(GKeyboardState), KeyState);
  return 1;
}

BOOL SetKeyboardState(const BYTE* KeyState) {
  if (!KeyState) return 0;
  std::copy(KeyState, KeyState + 256, std::begin(GKeyboardState));
  return 1;
}

void SendTypedCharacter(char32_t Code, bool Alt, const std::function<LRESULT(Cardinal, WPARAM, LPARAM)>& Send) {
  const Cardinal Msg = Alt ? WM_SYSCHAR : WM_CHAR;
  const LPARAM Data = Alt ? AltMask : 0;
  if (Code <= 0xFFFF) {
    Send(Msg, static_cast<WPARAM>(Code), Data);
    return;
  }
  if (!Alt && Send(WM_UNICHAR, UNICODE_NOCHAR, 0) == 1) {
    Send(WM_UNICHAR, static_cast<WPARAM>(Code), 0);
    return;
  }
  const char32_t v = Code - 0x10000;
  Send(Msg, static_cast<WPARAM>(0xD800 + (v >> 10)), Data);
  Send(Msg, static_cast<WPARAM>(0xDC00 + (v & 0x3FF)), Data);
}

namespace {
bool GWheelLinesSet = false;
UINT GWheelLines = 3;
}  // namespace

BOOL SystemParametersInfoW(UINT uiAction, UINT uiParam, void* pvParam, UINT) {
  switch (uiAction) {
    case SPI_GETWHEELSCROLLLINES: {
      if (!pvParam) return 0;
      UINT lines = 3;
      if (GWheelLinesSet) lines = GWheelLines;
      else if (GuiSessionRunning()) lines = static_cast<UINT>(std::max(0, QApplication::wheelScrollLines()));
      *static_cast<UINT*>(pvParam) = lines;
      return 1;
    }
    case SPI_SETWHEELSCROLLLINES:
      // The process's own value wins over the desktop's from now on; the toolkit is told too,
      // except of the page mode, which it does not have.
      GWheelLinesSet = true;
      GWheelLines = uiParam;
      if (uiParam != WHEEL_PAGESCROLL && GuiSessionRunning()) QApplication::setWheelScrollLines(static_cast<int>(uiParam));
      return 1;
    case SPI_GETCARETWIDTH:
      if (!pvParam) return 0;
      *static_cast<DWORD*>(pvParam) = 1;
      return 1;
    default:
      return 0;
  }
}

int GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXDRAG:
    case SM_CYDRAG:
      return GuiSessionRunning() ? QApplication::startDragDistance() : 4;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return GuiSessionRunning() ? QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
    default:
      return 0;
  }
}

UINT GetDoubleClickTime() {
  return GuiSessionRunning() ? static_cast<UINT>(QApplication::doubleClickInterval()) : 500u;
}
