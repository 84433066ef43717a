// What the PDF writer asks of the installed faces beyond the font layer's realised fonts: the
// glyph-outline TrueType faces of a family, as the system enumerates them for a face name.
#pragma once

#include <string>
#include <vector>

#include "platform/base/Types.h"

struct TTrueTypeFaceEntry {
  std::u16string Family;  // as the system spells it
  int Weight = 400;       // 100..900
  bool Italic = false;
};

// The TrueType faces (glyph outlines) of the family a face name stands for, after the platform's
// substitution of Windows face names; empty when the family is not installed as TrueType.
std::vector<TTrueTypeFaceEntry> EnumTrueTypeFaces(const std::u16string& faceName);
// The family of the TrueType face the system takes for sans-serif text; empty when there is none.
std::u16string DefaultTrueTypeFamily();

// A family as an enumeration by character set lists it.
struct TFontFamilyEntry {
  std::u16string Family;  // as the system spells it
  bool TrueType = false;  // its faces have TrueType glyph outlines
};
// The installed families that cover a character set, each once: those of a face name (after the
// substitution of Windows face names), or every family when the name is empty. A family covers a
// character set when one of its faces supports the set's language (ANSI asks for English);
// DEFAULT_CHARSET and the sets without a language here (symbol, OEM...) take every family. The
// system's sans-serif family comes first, then the rest in alphabetical order.
std::vector<TFontFamilyEntry> EnumFontFamiliesForCharset(const std::u16string& faceName, BYTE charset);
