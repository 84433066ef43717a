// PNG files.
#include "PictureFuzz.h"
#include "platform/graphics/Png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::LoadPicture<TPngImage>(data, size, [](TPngImage& g, TStream& s) { g.LoadFromStream(s); });
  return 0;
}
