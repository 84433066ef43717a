// GIF files, every frame rendered.
#include "PictureFuzz.h"
#include "platform/graphics/Gif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::LoadPicture<TGIFImage>(data, size, [](TGIFImage& g, TStream& s) {
    g.LoadFromStream(s);
    for (int i = 0; i < g.FrameCount() && i < 64; ++i) g.RenderFrame(i);
  });
  return 0;
}
