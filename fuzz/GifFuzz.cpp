// GIF files, every frame rendered (as far as the fuzzer's decoding budget goes: rendering frame i
// composes frames 0..i on the whole screen, so a tall screen with many frames only makes it slow).
#include <algorithm>

#include "PictureFuzz.h"
#include "platform/graphics/Gif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::LoadPicture<TGIFImage>(data, size, [](TGIFImage& g, TStream& s) {
    g.LoadFromStream(s);
    const std::int64_t screen = std::max<std::int64_t>(1, std::int64_t(g.GetWidth()) * g.GetHeight());
    for (int i = 0; i < g.FrameCount() && i < 64 && (i + 1) * screen <= fuzz::MaxDecodedPixels; ++i) g.RenderFrame(i);
  });
  return 0;
}
