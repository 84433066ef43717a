#include "platform/ui/GuiSession.h"

#include <QApplication>
#include <QGuiApplication>

#include "platform/base/SysUtils.h"
#include "platform/base/Threads.h"

struct TGuiSession::TData {
  QApplication App;
  TData(int& argc, char** argv) : App(argc, argv) {}
};

TGuiSession::TGuiSession(int& argc, char** argv) {
  if (QCoreApplication::instance()) throw EInvalidOperation(u"The application object exists already");
  FData = std::make_unique<TData>(argc, argv);
  SetMainThread();
  // A worker's synchronised call wakes the event loop, which runs it between events.
  WakeMainThread.store([] {
    if (QCoreApplication* app = QCoreApplication::instance())
      QMetaObject::invokeMethod(app, [] { CheckSynchronize(0); }, Qt::QueuedConnection);
  });
}

TGuiSession::~TGuiSession() { WakeMainThread.store(nullptr); }

bool GuiSessionRunning() { return QCoreApplication::instance() != nullptr; }

std::string WindowSystemName() {
  return GuiSessionRunning() ? QGuiApplication::platformName().toStdString() : std::string();
}
