// Compares a painted picture with its reference picture, channel by channel.
#pragma once

#include <cstdint>

#include "platform/graphics/Pictures.h"

// The number of pixels of got (as large as want) that differ from want by more than Tolerance in
// any of the red, green and blue channels.
inline int PixelsBeyondTolerance(const TPixelImage& want, const TPixelImage& got, int Tolerance) {
  int bad = 0;
  for (int y = 0; y < got.Height; ++y)
    for (int x = 0; x < got.Width; ++x) {
      const std::uint32_t a = want.At(x, y), b = got.At(x, y);
      for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > Tolerance || d < -Tolerance) {
          ++bad;
          break;
        }
      }
    }
  return bad;
}
