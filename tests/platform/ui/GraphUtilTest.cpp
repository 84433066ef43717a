#include <gtest/gtest.h>

#include "platform/ui/GraphUtil.h"

TEST(GraphUtil, HueLuminanceSaturation) {
  struct Case { COLORREF rgb; WORD h, l, s; };
  const Case cases[] = {
      {RGB(255, 0, 0), 0, 120, 240},     {RGB(0, 255, 0), 80, 120, 240},  {RGB(0, 0, 255), 160, 120, 240},
      {RGB(255, 255, 255), 160, 240, 0}, {RGB(0, 0, 0), 160, 0, 0},       {RGB(128, 128, 128), 160, 120, 0},
      {RGB(255, 255, 0), 40, 120, 240},  {RGB(128, 0, 0), 0, 60, 240},
  };
  for (const auto& c : cases) {
    WORD h = 1, l = 1, s = 1;
    ColorRGBToHLS(c.rgb, h, l, s);
    EXPECT_EQ(h, c.h) << std::hex << c.rgb;
    EXPECT_EQ(l, c.l) << std::hex << c.rgb;
    EXPECT_EQ(s, c.s) << std::hex << c.rgb;
  }
  // Saturated colours come back exactly; out-of-range values are held to the scale.
  for (COLORREF c : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255), RGB(0, 0, 0)}) {
    WORD h, l, s;
    ColorRGBToHLS(c, h, l, s);
    EXPECT_EQ(ColorHLSToRGB(h, l, s), c) << std::hex << c;
  }
  EXPECT_EQ(ColorHLSToRGB(0, 1000, 0), RGB(255, 255, 255));
  EXPECT_EQ(ColorHLSToRGB(0, 60, 240), RGB(128, 0, 0));
}
