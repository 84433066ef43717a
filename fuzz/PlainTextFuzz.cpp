// The plain-text reader in every encoding: the first byte chooses UTF-16 or a code page, the
// second the reading options. Whatever comes in, reading never fails for 8-bit text, the document
// it builds is well formed (a first item that starts a paragraph, no empty line breaks lost), and
// the document saves back as UTF-16 and as 8-bit text.
#include <cstdlib>

#include "FuzzCommon.h"
#include "engine/document/CustomRVData.h"
#include "engine/document/RVPlainText.h"
#include "engine/styles/RVStyle.h"

namespace {

const TRVCodePage CodePages[] = {0, 65001, 1250, 1251, 1252, 1253, 1255, 1256, 874, 932, 936, 949, 950, 42};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > fuzz::MaxInput) return 0;
  const std::uint8_t enc = data[0], opts = data[1];
  TRVStyle sheet(nullptr);
  sheet.SpacesInTab = (opts & 1) ? 0 : 4;
  TRVPlainRootData doc((opts & 2) ? &sheet : nullptr);
  TMemoryStream in;
  in.WriteBuffer(data + 2, static_cast<std::int64_t>(size - 2));
  in.SetPosition(0);
  const bool single = opts & 4;
  if (enc % (std::size(CodePages) + 1) == std::size(CodePages)) {
    const bool ok = doc.LoadTextFromStreamW(&in, 0, 0, single);
    if (ok != ((size - 2) % 2 == 0)) std::abort();
  } else {
    doc.LoadTextFromStream(&in, 0, 0, single, CodePages[enc % (std::size(CodePages) + 1)]);
  }
  if (doc.ItemCount() > 0 && doc.GetItem(0)->GetSameAsPrev()) std::abort();
  if (!doc.GetAddParagraphMode()) std::abort();
  TMemoryStream w, a;
  if (!doc.SaveTextToStreamW(u"", &w, 80, false, false, false, true, true)) std::abort();
  if (!doc.SaveTextToStreamA(u"", &a, 80, false, (opts & 8) != 0, 1251, true)) std::abort();
  if (doc.ItemCount() > 0 && w.GetSize() < 2) std::abort();
  return 0;
}
