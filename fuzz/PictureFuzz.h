// The common body of the picture targets: load, decode, draw, and save what was loaded.
#pragma once

#include <cstdlib>
#include <memory>

#include "FuzzCommon.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace fuzz {

// The readers accept pictures up to the platform's size limit by design; decoding one that big
// only makes the fuzzer slow, so pictures above this many pixels are loaded but not decoded.
constexpr std::int64_t MaxDecodedPixels = std::int64_t(1) << 22;

inline bool Decodable(const TGraphic& g) {
  return !g.GetEmpty() && static_cast<std::int64_t>(g.GetWidth()) * g.GetHeight() <= MaxDecodedPixels;
}

// Drawing goes through the device layer, stretched both ways, so that decoding and drawing
// both see the picture.
inline void DrawSmall(TGraphic& g) {
  TBitmap target(24, 16);
  target.SetPixelFormat(pf32bit);
  g.Draw(*target.GetCanvas(), TRect(0, 0, 24, 16));
  g.Draw(*target.GetCanvas(), TRect(2, 3, 2 + 200, 3 + 5));
}

// Pictures raise EInvalidGraphic or a stream error on bad data; anything else escaping is a
// fault. A picture that loaded must save and load again at the same size.
template <typename T, typename Load>
void LoadPicture(const std::uint8_t* data, std::size_t size, Load load, bool draw = true) {
  if (size > MaxInput) return;
  auto g = std::make_unique<T>();
  try {
    TMemoryStream ms;
    Fill(ms, data, size);
    load(*g, ms);
  } catch (const EInvalidGraphic&) {
    return;
  } catch (const EStreamError&) {
    return;
  }
  if (!Decodable(*g)) return;
  // Decoding happens on first need and may still find the data bad.
  try {
    g->ToPixels();
  } catch (const EInvalidGraphic&) {
    return;
  }
  if (draw) DrawSmall(*g);
  TMemoryStream saved;
  g->SaveToStream(saved);
  saved.SetPosition(0);
  T again;
  again.LoadFromStream(saved);
  if (again.GetWidth() != g->GetWidth() || again.GetHeight() != g->GetHeight()) std::abort();
}

}  // namespace fuzz
