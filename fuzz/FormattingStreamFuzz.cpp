// The formatting-stream reader of the draw items: any input is read into a small document. A
// stream that loads must give a well-formed list (items in range and in order, text pieces
// inside their text), write back, and read back to the same bytes; one that does not must leave
// the list empty.
#include <cstdlib>
#include <cstring>

#include "FormattingStreamDoc.h"
#include "FuzzCommon.h"

namespace {

struct TOwnedLines : TRVDrawLines {
  ~TOwnedLines() override { FreeAll(); }
};

std::string Saved(const TRVDrawLines& Lines, TRVItemList* Items) {
  TMemoryStream ms;
  if (!Lines.SaveToStream(&ms, Items)) std::abort();
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > fuzz::MaxInput) return 0;
  fuzz::TFormattingStreamDoc doc;
  TMemoryStream in;
  fuzz::Fill(in, data, size);
  TOwnedLines lines;
  if (!lines.LoadFromStream(&in, doc.Items())) {
    if (lines.Count() != 0) std::abort();
    return 0;
  }
  for (int i = 0; i < lines.Count(); ++i) {
    const TRVDrawLineInfo* d = lines.Get(i);
    if (d->ItemNo < 0 || d->ItemNo >= doc.Doc.ItemCount()) std::abort();
    if (i > 0 && d->ItemNo < lines.Get(i - 1)->ItemNo) std::abort();
    if (doc.Doc.GetItem(d->ItemNo)->StyleNo >= 0 &&
        lines.GetString(i, doc.Items()).size() != static_cast<std::size_t>(d->TextLength))
      std::abort();
  }
  const std::string once = Saved(lines, doc.Items());
  TMemoryStream again;
  again.WriteBuffer(once.data(), static_cast<std::int64_t>(once.size()));
  again.SetPosition(0);
  TOwnedLines back;
  if (!back.LoadFromStream(&again, doc.Items()) || again.GetPosition() != again.GetSize()) std::abort();
  if (Saved(back, doc.Items()) != once) std::abort();
  return 0;
}
