// The viewer on a screen whose pixels are finer than the program's units (a scale factor of 2):
// text must be drawn at the screen's resolution, not drawn at the units' size and enlarged, which
// leaves every 2 x 2 block of screen pixels one colour and the glyphs blurred. CTest runs this
// through xvfb-run with QT_SCALE_FACTOR=2 as test_engine_viewer_hidpi; elsewhere it is skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/base/SysUtils.h"
#include "platform/ui/Controls.h"
#include "platform/ui/GuiSession.h"

namespace {

struct TScreenShot {
  std::vector<std::uint32_t> Pixels;
  int Width = 0, Height = 0;
  std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};

TScreenShot ClientOnScreen(TViroZere& V) {
  TPoint origin(0, 0);
  ClientToScreen(V.GetHandle(), &origin);
  TScreenShot s;
  s.Pixels = GrabScreenPixels(origin.X, origin.Y, V.GetClientWidth(), V.GetClientHeight(), s.Width, s.Height);
  return s;
}

bool IsInk(std::uint32_t c) { return c != 0xFFFFFF; }

// Blocks of 2 x 2 screen pixels (aligned with the client area's corner) that hold ink, and how
// many of them are not one colour throughout.
void CountBlocks(const TScreenShot& s, int& inked, int& mixed) {
  inked = mixed = 0;
  for (int y = 0; y + 1 < s.Height; y += 2)
    for (int x = 0; x + 1 < s.Width; x += 2) {
      const std::uint32_t a = s.At(x, y), b = s.At(x + 1, y), c = s.At(x, y + 1), d = s.At(x + 1, y + 1);
      if (!(IsInk(a) || IsInk(b) || IsInk(c) || IsInk(d))) continue;
      ++inked;
      if (a != b || a != c || a != d) ++mixed;
    }
}

TEST(ViewerHiDpi, TextIsDrawnAtTheScreensResolution) {
  if (WindowSystemName() != "xcb") GTEST_SKIP() << "needs an X server (CTest entry test_engine_viewer_hidpi)";
  TRVStyle sheet(nullptr);
  sheet.Color = clWhite;
  sheet.TextStyles()->Items(0)->FontName = u"Liberation Sans";
  sheet.TextStyles()->Items(0)->SetSize(11);
  sheet.TextStyles()->Items(0)->Color = clBlack;
  TViroZere v(nullptr);
  v.SetStyle(&sheet);
  v.SetBounds(40, 40, 360, 200);
  for (int i = 0; i < 6; ++i)
    v.GetRVData()->AddNL(u"The quick brown fox jumps over the lazy dog " + IntToStr(i), 0, 0);
  v.HandleNeeded();
  v.Format();
  ShowWindow(v.GetHandle(), SW_SHOW);

  // Until the text is on the screen (the window system maps and paints in its own time).
  TScreenShot shot;
  int inked = 0, mixed = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  do {
    ProcessMessages(20);
    shot = ClientOnScreen(v);
    if (!shot.Pixels.empty()) CountBlocks(shot, inked, mixed);
  } while (inked < 200 && std::chrono::steady_clock::now() < end);
  ASSERT_FALSE(shot.Pixels.empty()) << "the window system gives no screen pixels";
  if (shot.Width < 2 * v.GetClientWidth())
    GTEST_SKIP() << "the screen is not scaled by 2 (run with QT_SCALE_FACTOR=2)";
  ASSERT_GE(inked, 200) << "the text did not reach the screen";
  // Enlarged text has no mixed block at all; text drawn at the screen's pixels has its edges
  // and stems inside blocks everywhere.
  EXPECT_GT(mixed * 3, inked) << mixed << " of " << inked << " inked blocks are not one colour";
}

}  // namespace
