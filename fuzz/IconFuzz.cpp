// Icon files.
#include "PictureFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::LoadPicture<TIcon>(data, size, [](TIcon& g, TStream& s) { g.LoadFromStream(s); });
  return 0;
}
