// Helpers of the RTF writer that styles and items call for their own fragments: escaping 8-bit
// and UTF-16 text as RTF, and the colour table of the document being written.
#pragma once

#include <vector>

#include "engine/foundation/RVTypes.h"
#include "engine/foundation/RVUni.h"
#include "platform/base/Classes.h"

// Bytes below 0x20 and from 0x80 up become "\'hh" (0xA0 "\~" with SpecialNBSP); with Hex also
// the backslash and the braces.
void RTFEscapeBytes(TRVAnsiString& S, bool SpecialNBSP, bool Hex);
// Unless Raw or Hex, backslashes and braces get a backslash and, with Quote, a double quote two.
// Then RTFEscapeBytes.
TRVAnsiString RTFEscapeAnsiText(const TRVAnsiString& S, bool Raw, bool SpecialNBSP, bool Hex, bool Quote);
// UTF-16 text as RTF: ASCII escaped, named special characters, "\uN " with an 8-bit fallback in
// CodePage when DuplicateUnicode (or ForceFallback) is set, and "\ucN" kept in step with the
// fallback's length and restored at the end.
void RTFWriteEscapedText(TStream& Stream, const TRVUnicodeString& Text, TRVCodePage CodePage, bool DuplicateUnicode,
                         bool ForceFallback, bool Raw, bool DoubleBackslash, bool Hex, bool Quote);
// For font names, style names and field texts: always with the fallback.
TRVAnsiString RTFEncodeText(const TRVUnicodeString& Text, TRVCodePage CodePage, bool DuplicateUnicode);
TRVAnsiString RTFEncodeTextEx(const TRVUnicodeString& Text, TRVCodePage CodePage, bool DuplicateUnicode,
                              bool ForceFallback, bool Raw, bool Hex);

// The tables of the RTF document being written, as styles see them.
class TCustomRVRTFTables : public TObject {
 public:
  // The colour's position in the colour table; -1 when it was never added.
  virtual int GetColorIndex(TColor Color) = 0;
};

// Appends Keyword and the colour's index in Tables; nothing without a table entry, as a keyword
// with -1 would only confuse readers.
void RTFAppendColorKeyword(TRVAnsiString& s, const char* Keyword, TCustomRVRTFTables* Tables, TColor Color);

class TRVRTFTables : public TCustomRVRTFTables {
 public:
  // Adds a colour unless the table has it already.
  void AddColor(TColor Color);
  int GetColorIndex(TColor Color) override;
  const std::vector<TColor>& Colors() const { return FColors; }

 private:
  std::vector<TColor> FColors;
};
