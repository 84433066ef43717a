#include "engine/layout/RVPalette.h"

std::unique_ptr<TRVLogPalette> RVMakeColorCubePalette() {
  auto pal = std::make_unique<TRVLogPalette>();
  pal->Entries.reserve(216);
  for (int b = 0; b < 6; ++b)
    for (int g = 0; g < 6; ++g)
      for (int r = 0; r < 6; ++r)
        pal->Entries.push_back({static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(b * 51), 0});
  return pal;
}
