// The viewer in a real window under an X server: a formatted document scrolled by the window
// system's own wheel and key events (sent by xdotool); after every step the screen shows exactly
// what the viewer paints at its new position, so no stale pixels are left where the content moved.
// CTest runs these through xvfb-run as test_engine_viewer_x11; elsewhere they are skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/base/SysUtils.h"
#include "support/GdiFixture.h"
#include "platform/ui/GuiSession.h"
#include "support/X11TestUtil.h"

namespace {

using x11_test_util::RunCommand;
using x11_test_util::ShowFocused;
using x11_test_util::WaitUntil;

// Pixels of the client area where the screen differs from what the viewer paints now; -1 when
// the window system gives no screen pixels.
int StalePixels(TViroZere& V) {
  const int w = V.GetClientWidth(), h = V.GetClientHeight();
  TSurface painted(w, h), screen(w, h);
  V.PaintTo(painted.DC, 0, 0);
  TPoint origin(0, 0);
  ClientToScreen(V.GetHandle(), &origin);
  if (!CopyScreenRect(origin.X, origin.Y, w, h, screen.DC)) return -1;
  int stale = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (painted.At(x, y) != screen.At(x, y)) ++stale;
  return stale;
}

TEST(ViewerX11, RealInputScrollsTheDocumentAndRepaints) {
  if (WindowSystemName() != "xcb") GTEST_SKIP() << "needs an X server (CTest entry test_engine_viewer_x11)";
  ASSERT_TRUE(RunCommand("command -v xdotool")) << "xdotool is missing: scripts/setup.sh installs it";
  UINT savedLines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &savedLines, 0);
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0);

  TRVStyle sheet(nullptr);
  sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
  sheet.Color = clWhite;
  TViroZere v(nullptr);
  v.SetStyle(&sheet);
  v.SetBounds(40, 40, 400, 300);
  // Lines of different lengths, so that every position looks different.
  for (int i = 0; i < 300; ++i) v.GetRVData()->AddNL(u"Line " + IntToStr(i) + UnicodeString(i % 23, u'x'), 0, 0);
  v.HandleNeeded();
  v.Format();
  ASSERT_GT(v.GetDocumentHeight(), 3000);
  ASSERT_TRUE(ShowFocused(v)) << "the window did not get the keyboard";
  ASSERT_TRUE(WaitUntil([&] { return StalePixels(v) == 0; })) << "the first picture is not on the screen";

  TPoint inside(60, 60);
  ClientToScreen(v.GetHandle(), &inside);
  ASSERT_TRUE(RunCommand("xdotool mousemove " + std::to_string(inside.X) + " " + std::to_string(inside.Y)));
  const int page = v.GetClientHeight() / v.GetVSmallStep();
  struct Step {
    const char* Command;
    int Expected;
  } const steps[] = {
      {"xdotool click 5", 2},                  // a notch down: WheelStep 2 at three lines a notch
      {"xdotool click 5", 4},
      {"xdotool key Next", 4 + page},          // a page
      {"xdotool key Down", 5 + page},          // a line
      {"xdotool click 4", 3 + page},           // a notch up
      {"xdotool key End", v.GetVScrollMax()},  // the end
      {"xdotool key Prior", v.GetVScrollMax() - page},
      {"xdotool key Home", 0},
  };
  for (const Step& step : steps) {
    ASSERT_TRUE(RunCommand(step.Command)) << step.Command;
    EXPECT_TRUE(WaitUntil([&] { return v.GetVScrollPos() == step.Expected; }))
        << step.Command << ": at " << v.GetVScrollPos() << ", expected " << step.Expected;
    EXPECT_TRUE(WaitUntil([&] { return StalePixels(v) == 0; })) << step.Command << ": " << StalePixels(v)
                                                                 << " pixels differ from a fresh paint";
  }
  ShowWindow(v.GetHandle(), SW_HIDE);
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, savedLines, nullptr, 0);
}

}  // namespace
