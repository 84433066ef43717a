// Hand-made enhanced-metafile records that the player and the PDF translator must draw alike.
// Each case writes its records on an A4 page of 794 x 1123 pixels (96 per inch) and names pixels
// with the colour they must have. The player's test plays each page onto a bitmap, the
// translator's renders the PDF page at 96 per inch: the same records, the same pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/EmfRecorder.h"
#include "platform/graphics/Metafile.h"

namespace emfcases {

struct TProbe {
  int X, Y;
  std::uint32_t Rgb;  // 0xRRGGBB
};

struct TCase {
  const char* Name;
  std::function<void(TEmfWriter&)> Records;
  std::vector<TProbe> Probes;
};

constexpr std::uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, Magenta = 0xFF00FF, White = 0xFFFFFF;

inline std::string U32(std::uint32_t v) {
  std::string s;
  TEmfWriter::Put32(s, v);
  return s;
}
inline std::string Rect(int l, int t, int r, int b) {
  return U32(static_cast<std::uint32_t>(l)) + U32(static_cast<std::uint32_t>(t)) + U32(static_cast<std::uint32_t>(r)) +
         U32(static_cast<std::uint32_t>(b));
}
inline COLORREF Ref(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// A solid brush in slot 1, selected, with the null pen.
inline void Brush(TEmfWriter& w, std::uint32_t rgb) {
  w.Add(EMR_CREATEBRUSHINDIRECT, U32(1) + U32(BS_SOLID) + U32(Ref(rgb)) + U32(0));
  w.Add(EMR_SELECTOBJECT, U32(1));
  w.Add(EMR_SELECTOBJECT, U32(0x80000000u | NULL_PEN));
}

// A 32 x 32 bottom-up 32-bit bitmap in quadrants: red top left, green top right, blue bottom
// left, magenta bottom right. Header, then bits.
inline std::pair<std::string, std::string> Quadrants() {
  const int n = 32;
  std::string bmi = U32(40) + U32(n) + U32(n);  // positive height: bottom-up
  TEmfWriter::Put16(bmi, 1);
  TEmfWriter::Put16(bmi, 32);
  bmi += U32(BI_RGB) + U32(n * n * 4) + U32(0) + U32(0) + U32(0) + U32(0);
  std::string bits;
  for (int row = 0; row < n; ++row) {  // row 0 is the bottom one
    const bool top = row >= n / 2;
    for (int x = 0; x < n; ++x) {
      const bool left = x < n / 2;
      bits += U32(0xFF000000u | (top ? (left ? Red : Green) : (left ? Blue : Magenta)));
    }
  }
  return {bmi, bits};
}

// BITBLT (no source size) or STRETCHBLT of the quadrants.
inline void Blt(TEmfWriter& w, DWORD type, int x, int y, int cx, int cy, int sx, int sy, int scx, int scy) {
  const auto [bmi, bits] = Quadrants();
  const std::uint32_t fixed = type == EMR_STRETCHBLT ? 108 : 100;
  std::string s = Rect(x, y, x + cx - 1, y + cy - 1) + U32(x) + U32(y) + U32(cx) + U32(cy) + U32(SRCCOPY) + U32(sx) +
                  U32(sy);
  for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) TEmfWriter::PutFloat(s, f);
  // The background colour comes before the usage: a reader one field early takes it for the usage.
  s += U32(0x00FFFFFF) + U32(DIB_RGB_COLORS) + U32(fixed) + U32(static_cast<std::uint32_t>(bmi.size())) +
       U32(fixed + static_cast<std::uint32_t>(bmi.size())) + U32(static_cast<std::uint32_t>(bits.size()));
  if (type == EMR_STRETCHBLT) s += U32(scx) + U32(scy);
  w.Add(type, s + bmi + bits);
}

inline void StretchDib(TEmfWriter& w, int x, int y, int cx, int cy, int sx, int sy, int scx, int scy) {
  const auto [bmi, bits] = Quadrants();
  const std::uint32_t fixed = 80;
  const std::string s = Rect(x, y, x + cx - 1, y + cy - 1) + U32(x) + U32(y) + U32(sx) + U32(sy) + U32(scx) + U32(scy) +
                        U32(fixed) + U32(static_cast<std::uint32_t>(bmi.size())) +
                        U32(fixed + static_cast<std::uint32_t>(bmi.size())) +
                        U32(static_cast<std::uint32_t>(bits.size())) + U32(DIB_RGB_COLORS) + U32(SRCCOPY) + U32(cx) +
                        U32(cy);
  w.Add(EMR_STRETCHDIBITS, s + bmi + bits);
}

// The page's bytes.
inline std::string Page(const TCase& c) {
  TEmfWriter w;
  c.Records(w);
  return w.Finish(TRect(0, 0, 21000, 29700), TSize(794, 1123), TSize(210, 297), 8, u"");
}

inline const std::vector<TCase>& Cases() {
  static const std::vector<TCase> cases = {
      {"BITBLT copies from the top of a bottom-up bitmap",
       [](TEmfWriter& w) { Blt(w, EMR_BITBLT, 40, 40, 16, 16, 0, 0, 0, 0); },
       {{48, 48, Red}, {60, 48, White}}},
      {"STRETCHBLT doubles the top right quadrant",
       [](TEmfWriter& w) { Blt(w, EMR_STRETCHBLT, 80, 40, 32, 32, 16, 0, 16, 16); },
       {{88, 48, Green}, {104, 64, Green}}},
      {"STRETCHDIBITS counts a bottom-up bitmap's rows from the bottom",
       [](TEmfWriter& w) { StretchDib(w, 40, 80, 16, 16, 0, 0, 16, 16); },
       {{48, 88, Blue}}},
      {"a zero window extent is refused",
       [](TEmfWriter& w) {
         w.Add(EMR_SETMAPMODE, U32(MM_ANISOTROPIC));
         w.Add(EMR_SETWINDOWEXTEX, U32(10) + U32(10));
         w.Add(EMR_SETVIEWPORTEXTEX, U32(20) + U32(20));
         w.Add(EMR_SETWINDOWEXTEX, U32(0) + U32(5));
         Brush(w, Red);
         w.Add(EMR_RECTANGLE, Rect(5, 70, 15, 80));  // twice as large: 10..30, 140..160
       },
       {{20, 150, Red}, {10, 300, White}}},
      {"an extent scaled to zero is refused",
       [](TEmfWriter& w) {
         w.Add(EMR_SETMAPMODE, U32(MM_ANISOTROPIC));
         w.Add(EMR_SETWINDOWEXTEX, U32(10) + U32(10));
         w.Add(EMR_SETVIEWPORTEXTEX, U32(20) + U32(20));
         w.Add(EMR_SCALEWINDOWEXTEX, U32(0) + U32(1) + U32(1) + U32(1));
         Brush(w, Blue);
         w.Add(EMR_RECTANGLE, Rect(5, 5, 15, 15));  // 10..30
       },
       {{20, 20, Blue}, {8, 20, White}}},
      {"an extended pen keeps its style, width and colour",
       [](TEmfWriter& w) {
         w.Add(EMR_EXTCREATEPEN, U32(2) + U32(0) + U32(0) + U32(0) + U32(0) +
                                     U32(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT) + U32(8) + U32(BS_SOLID) +
                                     U32(Ref(Blue)) + U32(0) + U32(0));
         w.Add(EMR_SELECTOBJECT, U32(2));
         w.Add(EMR_MOVETOEX, U32(20) + U32(50));
         w.Add(EMR_LINETO, U32(100) + U32(50));
       },
       {{60, 50, Blue}, {60, 52, Blue}, {60, 60, White}}},
      {"a clip rectangle far outside, under a large scale",
       [](TEmfWriter& w) {
         w.Add(EMR_SETMAPMODE, U32(MM_ANISOTROPIC));
         w.Add(EMR_SETWINDOWEXTEX, U32(1) + U32(1));
         w.Add(EMR_SETVIEWPORTEXTEX, U32(1000) + U32(1000));
         w.Add(EMR_INTERSECTCLIPRECT, Rect(5, -2130706427, -2147482312, 97));
         Brush(w, Red);
         w.Add(EMR_RECTANGLE, Rect(0, 0, 1, 1));  // 0..1000 pixels, inside the clip
       },
       {{50, 50, Red}}},
  };
  return cases;
}

}  // namespace emfcases
