// Text written in the symbol fonts: the fonts' own 8-bit codes (stored as U+F000 + code or as
// ANSI characters) turned into real Unicode characters through built-in tables, or into ASCII
// renderings of the common bullets and arrows for plain text.
#pragma once

#include <cstdint>

#include "engine/foundation/RVTypes.h"

enum TRVSymbolFontKind : std::uint8_t { rvsfkSymbol, rvsfkWingdings, rvsfkWingdings2, rvsfkWingdings3, rvsfkWebdings };
constexpr int RVSymbolFontKindCount = 5;

// Code points of the codes 32..255 of each font; 0 where the code has no Unicode equivalent.
extern const std::uint32_t RVSymbolFontCodePoints[RVSymbolFontKindCount][224];

// True and the kind for the five symbol-font names (compared case-insensitively).
bool GetSymbolFontKind(const TRVUnicodeString& FontName, TRVSymbolFontKind& Kind);
// 8-bit form: U+F000..U+F0FF give their low byte; other units below U+F000 go through the system
// ANSI code page; units above U+F0FF are dropped.
TRVRawByteString SymbolTextToBytes(const TRVUnicodeString& Text);
TRVUnicodeString SymbolTextToPrivateUse(const TRVUnicodeString& Text);
// The table entry as UTF-16; "?" outside 32..255 and for entries of 0.
TRVUnicodeString SymbolCharToUnicode(int Code, TRVSymbolFontKind Kind);
TRVUnicodeString SymbolBytesToUnicode(const TRVRawByteString& Bytes, TRVSymbolFontKind Kind);
TRVUnicodeString SymbolTextToUnicode(const TRVUnicodeString& Text, TRVSymbolFontKind Kind);
// ASCII renderings of "Symbol" and "Wingdings" codes ("?" for the others).
TRVUnicodeString SymbolBytesToPlainText(const TRVRawByteString& Bytes);
TRVUnicodeString WingdingsBytesToPlainText(const TRVRawByteString& Bytes);
TRVUnicodeString SymbolTextToPlainText(const TRVUnicodeString& Text);
TRVUnicodeString WingdingsTextToPlainText(const TRVUnicodeString& Text);
// Text written in FontName, converted: unchanged for other fonts; for plain text the "Symbol" and
// "Wingdings" renderings (other symbol fonts unchanged); otherwise the Unicode characters.
TRVUnicodeString ConvertSymbolFontText(const TRVUnicodeString& Text, bool ForPlainText,
                                       const TRVUnicodeString& FontName);
