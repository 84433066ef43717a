// The graphic handler's type detection and its loading by detected type, which answers nil for
// anything it cannot read and never raises.
#include <cstdlib>

#include "PictureFuzz.h"
#include "engine/foundation/RVGrHandler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > fuzz::MaxInput) return 0;
  const TRVGraphicType byData = TRVGraphicHandler::GetDataGraphicType(data, static_cast<std::int64_t>(size));
  TMemoryStream ms;
  fuzz::Fill(ms, data, size);
  const TRVGraphicType byStream = TRVGraphicHandler::GetStreamGraphicType(ms);
  // Looking at the stream leaves it where it was, and both ways agree.
  if (ms.GetPosition() != 0 || byData != byStream) std::abort();
  std::unique_ptr<TGraphic> g = GraphicHandler->LoadFromStream(ms);
  if (g && fuzz::Decodable(*g)) {
    try {
      g->ToPixels();
    } catch (const EInvalidGraphic&) {
      return 0;  // decoded on first need
    }
    GraphicHandler->GetGraphicType(g.get());
    GraphicHandler->IsTransparent(g.get());
  }
  return 0;
}
