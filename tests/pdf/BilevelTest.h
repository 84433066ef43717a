// Bilevel pictures for the encoder tests: a page of repeated letter-like shapes, rules, specks
// and long runs, reproducible from a seed.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "platform/graphics/Pictures.h"

namespace pdftest {

// A 1-bit bitmap whose set bits are black (palette: 0 white, 1 black).
inline void MakeBlackIs1(TBitmap& b, int w, int h) {
  b.SetPixelFormat(pf1bit);
  b.SetSize(w, h);
  b.SetPalette({0xFFFFFF, 0x000000});
  for (int y = 0; y < h; ++y) {
    std::uint8_t* r = b.ScanLine(y);
    std::fill(r, r + b.BytesPerScanLine(), 0);
  }
}

inline void Set(TBitmap& b, int x, int y) {
  if (x < 0 || y < 0 || x >= b.GetWidth() || y >= b.GetHeight()) return;
  b.ScanLine(y)[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
}
inline bool Get(const TBitmap& b, int x, int y) { return (b.ScanLine(y)[x >> 3] >> (7 - (x & 7))) & 1; }

inline void FillPage(TBitmap& b, unsigned seed) {
  std::mt19937 rng(seed);
  const int w = b.GetWidth(), h = b.GetHeight();
  // Twelve "letters", 5..11 wide and 7..13 high, set down in lines of text.
  struct TShape {
    int W, H;
    std::vector<bool> Px;
  };
  std::vector<TShape> shapes;
  for (int i = 0; i < 12; ++i) {
    TShape s{5 + int(rng() % 7), 7 + int(rng() % 7), {}};
    s.Px.resize(std::size_t(s.W * s.H));
    for (int k = 0; k < s.W * s.H; ++k) s.Px[std::size_t(k)] = rng() % 3 != 0;
    shapes.push_back(s);
  }
  for (int line = 8; line + 14 < h; line += 19 + int(rng() % 9)) {
    for (int x = 4 + int(rng() % 9); x + 12 < w; x += 13 + int(rng() % 4)) {
      const TShape& s = shapes[rng() % shapes.size()];
      for (int y = 0; y < s.H; ++y)
        for (int k = 0; k < s.W; ++k)
          if (s.Px[std::size_t(y * s.W + k)]) Set(b, x + k, line + y);
    }
  }
  // A rule, a block and specks.
  for (int x = 0; x < w; ++x) Set(b, x, h / 2);
  for (int y = h - 12; y < h - 2; ++y)
    for (int x = w / 3; x < w - 3; ++x) Set(b, x, y);
  for (int i = 0; i < 40; ++i) Set(b, int(rng() % unsigned(w)), int(rng() % unsigned(h)));
}

}  // namespace pdftest
