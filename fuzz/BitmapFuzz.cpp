// Bitmap files, the length-headed form of component streams and packed DIBs. The first byte
// chooses the entry; the rest is the data.
#include "PictureFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0] % 3;
  ++data, --size;
  switch (mode) {
    case 0:
      fuzz::LoadPicture<TBitmap>(data, size, [](TBitmap& b, TStream& s) { b.LoadFromStream(s); });
      break;
    case 1:
      fuzz::LoadPicture<TBitmap>(data, size, [](TBitmap& b, TStream& s) { b.ReadData(s); });
      break;
    default:
      fuzz::LoadPicture<TBitmap>(data, size, [data, size](TBitmap& b, TStream&) {
        if (!b.LoadFromDIB(data, size)) b.SetSize(0, 0);
      });
  }
  return 0;
}
