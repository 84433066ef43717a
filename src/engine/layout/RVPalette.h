// Palettes of palette displays: what a control does about them and the logical palette it makes.
// This platform's screens are never palette devices and selecting a palette does nothing, so the
// values travel through the engine unchanged and the logical palette is made only when asked for.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/base/Types.h"

enum TRVPaletteAction { rvpaDoNothing, rvpaAssignPalette, rvpaCreateCopies, rvpaCreateCopiesEx };

struct TRVPaletteEntry {
  BYTE Red = 0, Green = 0, Blue = 0, Flags = 0;
};

struct TRVLogPalette {
  WORD Version = 0x300;
  std::vector<TRVPaletteEntry> Entries;
};

// The 6 x 6 x 6 colour cube (components 0, 51, 102, 153, 204, 255; red changing fastest, then
// green, then blue; flags 0): 216 entries.
std::unique_ptr<TRVLogPalette> RVMakeColorCubePalette();
