// Enhanced and Windows metafiles: loaded, played back onto a bitmap's device context, converted
// between the two forms.
#include "PictureFuzz.h"
#include "platform/graphics/Metafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::LoadPicture<TMetafile>(data, size, [](TMetafile& g, TStream& s) {
    g.LoadFromStream(s);
    if (g.GetEmpty()) return;
    // A Windows metafile becomes an enhanced one on request, and back.
    if (HENHMETAFILE h = g.GetHandle()) EnhMetaFileToWinMetaFile(h, RECT{0, 0, 100, 100});
  });
  return 0;
}
