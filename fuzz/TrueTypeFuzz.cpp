// TrueType font files: the tables read, characters looked up, subset programs written and the
// subset read back. Damaged data may be refused (ETTFException), never read outside the copy.
#include "FuzzCommon.h"
#include "pdf/PDFTrueType.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > fuzz::MaxInput) return 0;
  try {
    TTrueTypeManager m = TTrueTypeManager::FromFileData(fuzz::Bytes(data, size), u"Fuzz Face", TFontStyles{fsBold});
    for (char32_t c : {U' ', U'A', U'z', U'\u00E9', U'\u0416', U'\U00010300'}) m.GetGlyphByUnicode(c);
    bool used[96];
    for (bool& u : used) u = true;
    std::string ascii;
    m.PrepareASCIIFont(used, ascii);
    int indexes[96];
    for (int i = 0; i < 96; ++i) indexes[i] = (i * 7919) % (m.GlyphCount() + 3) - 1;
    std::string sub;
    m.PrepareFont(indexes, 96, sub);
    TTrueTypeManager back = TTrueTypeManager::FromFileData(sub, u"Fuzz Face", {});
    if (back.GlyphCount() < 2 && m.GlyphCount() >= 2) __builtin_trap();
  } catch (const EListError&) {
    throw;  // an index error is a fault of the font code, not of the input
  } catch (const Exception&) {
  }
  return 0;
}
