// WM_SETREDRAW: a window stops painting while redrawing is off and paints again once it is on.
#include <gtest/gtest.h>

#include "platform/ui/Controls.h"

namespace {

class TPaintCounter : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int Paints = 0;

 protected:
  void PaintWindow(HDC) override { ++Paints; }
};

// Lets the window system deliver what is pending until Done or a second has passed.
template <class F>
void PumpUntil(F Done) {
  for (int i = 0; i < 100 && !Done(); ++i) ProcessMessages(10);
}

TEST(RedrawSwitch, NoPaintingWhileRedrawIsOff) {
  TPaintCounter c(nullptr);
  c.SetBounds(0, 0, 120, 80);
  HWND h = c.GetHandle();
  ShowWindow(h, SW_SHOW);
  PumpUntil([&] { return c.Paints > 0; });
  if (c.Paints == 0) GTEST_SKIP() << "the window system paints no windows here";

  c.Perform(WM_SETREDRAW, 0, 0);
  const int Before = c.Paints;
  c.Invalidate();
  ProcessMessages(100);
  EXPECT_EQ(c.Paints, Before);

  c.Perform(WM_SETREDRAW, 1, 0);
  c.Invalidate();
  PumpUntil([&] { return c.Paints > Before; });
  EXPECT_GT(c.Paints, Before);
}

}  // namespace
