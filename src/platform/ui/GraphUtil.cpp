#include "platform/ui/GraphUtil.h"

#include <algorithm>
#include <array>

namespace {
constexpr int HLSMAX = 240;
constexpr int RGBMAX = 255;
constexpr int HueUndefined = HLSMAX * 2 / 3;

int HueToRGB(int n1, int n2, int hue) {
  if (hue < 0) hue += HLSMAX;
  if (hue > HLSMAX) hue -= HLSMAX;
  if (hue < HLSMAX / 6) return n1 + (((n2 - n1) * hue + HLSMAX / 12) / (HLSMAX / 6));
  if (hue < HLSMAX / 2) return n2;
  if (hue < HLSMAX * 2 / 3) return n1 + (((n2 - n1) * (HLSMAX * 2 / 3 - hue) + HLSMAX / 12) / (HLSMAX / 6));
  return n1;
}

BYTE ToByte(int v) { return static_cast<BYTE>(std::clamp(v, 0, RGBMAX)); }
}  // namespace

void ColorRGBToHLS(COLORREF Color, WORD& Hue, WORD& Luminance, WORD& Saturation) {
  const int r = GetRValue(Color), g = GetGValue(Color), b = GetBValue(Color);
  const int cMax = std::max({r, g, b}), cMin = std::min({r, g, b});
  const int l = ((cMax + cMin) * HLSMAX + RGBMAX) / (2 * RGBMAX);
  int h = HueUndefined, s = 0;
  if (cMax != cMin) {
    const int d = cMax - cMin;
    if (l <= HLSMAX / 2)
      s = (d * HLSMAX + (cMax + cMin) / 2) / (cMax + cMin);
    else
      s = (d * HLSMAX + (2 * RGBMAX - cMax - cMin) / 2) / (2 * RGBMAX - cMax - cMin);
    const int rd = ((cMax - r) * (HLSMAX / 6) + d / 2) / d;
    const int gd = ((cMax - g) * (HLSMAX / 6) + d / 2) / d;
    const int bd = ((cMax - b) * (HLSMAX / 6) + d / 2) / d;
    if (r == cMax)
      h = bd - gd;
    else if (g == cMax)
      h = HLSMAX / 3 + rd - bd;
    else
      h = 2 * HLSMAX / 3 + gd - rd;
    if (h < 0) h += HLSMAX;
    if (h > HLSMAX) h -= HLSMAX;
  }
  Hue = static_cast<WORD>(h);
  Luminance = static_cast<WORD>(l);
  Saturation = static_cast<WORD>(s);
}

COLORREF ColorHLSToRGB(WORD Hue, WORD Luminance, WORD Saturation) {
  const int h = Hue, l = std::min<int>(Luminance, HLSMAX), s = std::min<int>(Saturation, HLSMAX);
  if (s == 0) {
    const BYTE v = ToByte(l * RGBMAX / HLSMAX);
    return RGB(v, v, v);
  }
  const int m2 = l <= HLSMAX / 2 ? (l * (HLSMAX + s) + HLSMAX / 2) / HLSMAX : l + s - (l * s + HLSMAX / 2) / HLSMAX;
  const int m1 = 2 * l - m2;
  return RGB(ToByte((HueToRGB(m1, m2, h + HLSMAX / 3) * RGBMAX + HLSMAX / 2) / HLSMAX),
             ToByte((HueToRGB(m1, m2, h) * RGBMAX + HLSMAX / 2) / HLSMAX),
             ToByte((HueToRGB(m1, m2, h - HLSMAX / 3) * RGBMAX + HLSMAX / 2) / HLSMAX));
}
