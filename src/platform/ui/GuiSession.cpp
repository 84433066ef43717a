#include "platform/ui/GuiSession.h"

#include <QApplication>
#include <QGuiApplication>

#include "platform/base/SysUtils.h"

struct TGuiSession::TData {
  QApplication App;
  TData(int& argc, char** argv) : App(argc, argv) {}
};

TGuiSession::TGuiSession(int& argc, char** argv) {
  if (QCoreApplication::instance()) throw EInvalidOperation(u"The application object exists already");
  FData = std::make_unique<TData>(argc, argv);
}

TGuiSession::~TGuiSession() = default;

bool GuiSessionRunning() { return QCoreApplication::instance() != nullptr; }

std::string WindowSystemName() {
  return GuiSessionRunning() ? QGuiApplication::platformName().toStdString() : std::string();
}
