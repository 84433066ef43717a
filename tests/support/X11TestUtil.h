// For the tests that drive real windows under an X server: running another program (xdotool,
// xclip) quietly, waiting on the event loop for a condition, bringing a window up with the
// keyboard, and serving the clipboard to another program while it reads it.
#pragma once

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "platform/ui/Controls.h"
#include "platform/ui/GuiSession.h"

namespace x11_test_util {

// True when Command exits with 0; its output is dropped.
inline bool RunCommand(const std::string& Command) { return std::system((Command + " > /dev/null 2>&1").c_str()) == 0; }

// Runs the event loop until Done holds (true) or Seconds pass (false).
inline bool WaitUntil(const std::function<bool()>& Done, int Seconds = 3) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ProcessMessages(10);
  }
  return true;
}

// Shows Window in front and gives it the keyboard; true once it has it.
inline bool ShowFocused(TWinControl& Window, int Seconds = 3) {
  ShowWindow(Window.GetHandle(), SW_SHOW);
  SetForegroundWindow(Window.GetHandle());
  Window.SetFocus();
  return WaitUntil([&] { return Window.Focused(); }, Seconds);
}

// Runs Command in a thread (its output into a file) while this process serves the clipboard to
// it through the event loop; the command's output, or "<failed>".
inline std::string RunServingClipboard(const std::string& Command) {
  char path[] = "/tmp/tavrelo-clip-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return "<failed>";
  close(fd);
  std::atomic<bool> done{false};
  std::atomic<int> status{-1};
  std::thread t([&] {
    status = std::system(("timeout 10 " + Command + " > " + path + " 2>/dev/null").c_str());
    done = true;
  });
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(12);
  while (!done && std::chrono::steady_clock::now() < end) ProcessMessages(10);
  t.join();
  std::ifstream in(path, std::ios::binary);
  std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path);
  return status == 0 ? out : "<failed>";
}

}  // namespace x11_test_util
