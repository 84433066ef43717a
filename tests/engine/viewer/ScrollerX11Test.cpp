// The scroller in a real window under an X server: the window system's own wheel and key events
// (sent through the X test extension by xdotool) scroll it, and the screen shows the document at
// the new position, the uncovered strip included. CTest runs these through xvfb-run as the entry
// test_engine_viewer_x11; on any other window system they are skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "ScrollerTestUtil.h"
#include "support/GdiFixture.h"
#include "platform/ui/GuiSession.h"
#include "support/X11TestUtil.h"

namespace {

using x11_test_util::RunCommand;
using x11_test_util::ShowFocused;
using x11_test_util::WaitUntil;

// Rows of the client area on the screen that do not show the document at the scroller's position.
int WrongRows(TBandScroller& S) {
  const int w = S.GetClientWidth(), h = S.GetClientHeight();
  TPoint origin(0, 0);
  ClientToScreen(S.GetHandle(), &origin);
  TSurface screen(w, h);
  if (!CopyScreenRect(origin.X, origin.Y, w, h, screen.DC)) return -1;
  int wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x : {2, w / 2, w - 3})
      if (screen.At(x, y) != BandColor(y + S.DocTop())) {
        ++wrong;
        break;
      }
  return wrong;
}

TEST(ScrollerX11, RealInputScrollsAndRepaints) {
  if (WindowSystemName() != "xcb") GTEST_SKIP() << "needs an X server (CTest entry test_engine_viewer_x11)";
  ASSERT_TRUE(RunCommand("command -v xdotool")) << "xdotool is missing: scripts/setup.sh installs it";
  UINT savedLines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &savedLines, 0);
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0);

  TBandScroller s(nullptr);
  s.SetBounds(40, 40, 400, 300);
  s.HandleNeeded();
  s.UpdateScrollBars(s.GetClientWidth(), 200, true, true);
  ASSERT_TRUE(ShowFocused(s)) << "the window did not get the keyboard";
  ASSERT_TRUE(WaitUntil([&] { return WrongRows(s) == 0; })) << "the first picture is not on the screen";

  TPoint inside(60, 60);
  ClientToScreen(s.GetHandle(), &inside);
  ASSERT_TRUE(RunCommand("xdotool mousemove " + std::to_string(inside.X) + " " + std::to_string(inside.Y)));
  struct Step {
    const char* Command;
    int Expected;
  };
  const int page = s.GetClientHeight() / 10;
  const Step steps[] = {
      {"xdotool click 5", 2},                  // one notch down: WheelStep 2 at three lines
      {"xdotool key Next", 2 + page},          // a page
      {"xdotool key Down", 3 + page},          // a line
      {"xdotool click 4", 1 + page},           // a notch up
      {"xdotool key End", s.GetVScrollMax()},  // the end
      {"xdotool key Home", 0},
  };
  for (const Step& step : steps) {
    ASSERT_TRUE(RunCommand(step.Command)) << step.Command;
    EXPECT_TRUE(WaitUntil([&] { return s.GetVScrollPos() == step.Expected; }))
        << step.Command << ": at " << s.GetVScrollPos() << ", expected " << step.Expected;
    // What the screen shows is the document at the new position: the moved pixels and the
    // repainted strip together.
    EXPECT_TRUE(WaitUntil([&] { return WrongRows(s) == 0; })) << step.Command << ": " << WrongRows(s) << " wrong rows";
  }

  // The window's scroll bar: its arrow steps a line, its trough a page.
  const int ext = GetSystemMetrics(SM_CXVSCROLL);
  TPoint arrow(s.GetClientWidth() + ext / 2, s.GetClientHeight() - ext / 2);
  TPoint trough(s.GetClientWidth() + ext / 2, s.GetClientHeight() - 3 * ext);
  ClientToScreen(s.GetHandle(), &arrow);
  ClientToScreen(s.GetHandle(), &trough);
  auto click = [](TPoint p) {
    return "xdotool mousemove " + std::to_string(p.X) + " " + std::to_string(p.Y) + " click 1";
  };
  ASSERT_TRUE(RunCommand(click(arrow)));
  EXPECT_TRUE(WaitUntil([&] { return s.GetVScrollPos() == 1; })) << "arrow: at " << s.GetVScrollPos();
  ASSERT_TRUE(RunCommand(click(trough)));
  EXPECT_TRUE(WaitUntil([&] { return s.GetVScrollPos() == 1 + page; })) << "trough: at " << s.GetVScrollPos();
  EXPECT_TRUE(WaitUntil([&] { return WrongRows(s) == 0; })) << "after the bar: " << WrongRows(s) << " wrong rows";
  ShowWindow(s.GetHandle(), SW_HIDE);
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, savedLines, nullptr, 0);
}

}  // namespace
