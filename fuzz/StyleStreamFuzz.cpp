// The style sheet read from a component stream: bad data raises a stream error, and whatever
// was read stays usable.
#include "FuzzCommon.h"
#include "StyleFuzz.h"
#include "platform/base/ComponentStream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > fuzz::MaxInput) return 0;
  TMemoryStream ms;
  fuzz::Fill(ms, data, size);
  TRVStyle sheet(nullptr);
  try {
    TReader r(ms);
    r.ReadRootComponent(&sheet);
  } catch (const EStreamError&) {
  }
  fuzz::VisitSheet(sheet);
  return 0;
}
