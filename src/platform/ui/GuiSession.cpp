#include "platform/ui/GuiSession.h"

#include <QApplication>
#include <cstdlib>

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The application object keeps references to these for its whole life.
  static int argc = 1;
  static char name[] = "tavrelopad";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the process ends, like the program's own one
}
