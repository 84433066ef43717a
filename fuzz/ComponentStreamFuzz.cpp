// The binary component stream: a component made from the stream, read into an existing one, and
// a collection alone. Bad data raises EReadError (or another stream error); nothing else may
// escape.
#include "FuzzCommon.h"
#include "StreamFixtures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > fuzz::MaxInput) return 0;
  static const bool registered = (fuzz::RegisterStreamFixtures(), true);
  (void)registered;
  const std::uint8_t mode = data[0] % 3;
  TMemoryStream ms;
  fuzz::Fill(ms, data + 1, size - 1);
  try {
    TReader r(ms);
    if (mode == 0) {
      std::unique_ptr<TComponent> made(r.ReadRootComponent(nullptr));
    } else if (mode == 1) {
      fuzz::TFuzzPanel into;
      into.Items.Add();
      r.ReadRootComponent(&into);
      // Children made while reading are owned by the root; they stay reachable.
      for (fuzz::TFuzzPanel* c : into.Children) c->GetCaption();
    } else {
      TOwnedCollection items(nullptr, &NewCollectionItem<fuzz::TFuzzItem>);
      r.ReadCollection(&items);
    }
  } catch (const EStreamError&) {
  }
  return 0;
}
