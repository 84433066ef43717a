// The process's application object. The program makes it at the start of main, on the main
// thread, and keeps it until main returns; library code never makes one. Code that needs the
// window system (clipboard, pointer, printers, windows) asks whether a session is running and
// fails softly when none is. The window system is chosen by the environment as usual
// (QT_QPA_PLATFORM=offscreen for headless runs).
#pragma once

#include <memory>
#include <string>

class TGuiSession {
 public:
  // argc and argv must outlive the session (main's own do); the window system may take its
  // options out of them.
  TGuiSession(int& argc, char** argv);
  ~TGuiSession();
  TGuiSession(const TGuiSession&) = delete;
  TGuiSession& operator=(const TGuiSession&) = delete;

 private:
  struct TData;
  std::unique_ptr<TData> FData;
};

// True while the application object exists.
bool GuiSessionRunning();
// The window system the session runs on ("xcb", "wayland", "offscreen"...); empty without one.
std::string WindowSystemName();
