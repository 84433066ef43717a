// JPEG files, plain and in the length-headed form of component streams (first byte odd).
#include "PictureFuzz.h"
#include "platform/graphics/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool sized = data[0] & 1;
  fuzz::LoadPicture<TJPEGImage>(data + 1, size - 1, [sized](TJPEGImage& g, TStream& s) {
    if (sized)
      g.ReadData(s);
    else
      g.LoadFromStream(s);
  });
  return 0;
}
