// The toolkit's own picture scaling with nothing of ours around it: the peer that the thumbnail
// benchmark measures our resampler against. Not for program use.
#pragma once

#include "platform/graphics/Pictures.h"

// The toolkit's smooth (area-averaging) scaling of the pixels to width x height; the pixels are
// wrapped, not copied, on the way in. Empty for an empty image or size.
TPixelImage ToolkitSmoothScale(const TPixelImage& image, int width, int height);

// The toolkit's tiling of an image over the whole target, the tile grid shifted by (OffsetX,
// OffsetY): the peer of the background benchmark.
void ToolkitTiledFill(TPixelImage& Target, const TPixelImage& Tile, int OffsetX, int OffsetY);
