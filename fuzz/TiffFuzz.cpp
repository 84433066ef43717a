// TIFF files, read by the imaging-component picture.
#include "PictureFuzz.h"
#include "platform/graphics/WicImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::LoadPicture<TWICImage>(data, size, [](TWICImage& g, TStream& s) { g.LoadFromStream(s); });
  return 0;
}
