// What the PDF writer asks of the installed faces beyond the font layer's realised fonts: the
// glyph-outline TrueType faces of a family, as the system enumerates them for a face name.
#pragma once

#include <string>
#include <vector>

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
