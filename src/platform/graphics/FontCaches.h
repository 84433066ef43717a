// Bounds in bytes of the font layer's caches, each for all fonts together: shaped texts kept for
// measuring them again, glyph images kept for drawing them again, and realised fonts (their own
// tables; their shaped texts and images count in the first two). A cache at its bound keeps no
// more or starts over; nothing measures or draws differently.
#pragma once

#include <cstddef>

struct TFontCacheLimits {
  std::size_t ShapedTextBytes = 4u << 20;
  std::size_t GlyphImageBytes = 16u << 20;
  std::size_t FontBytes = 16u << 20;
};

void SetFontCacheLimits(const TFontCacheLimits& limits);
TFontCacheLimits GetFontCacheLimits();
// Bytes the caches hold now, in the same fields.
TFontCacheLimits GetFontCacheUsage();
