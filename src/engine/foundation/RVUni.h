// Unicode and code-page functions of the engine: conversions between UTF-16 and 8-bit text,
// font character sets, the plain-text encoding test, walking UTF-16 text by characters, the
// drawn form of a text run, and the process-wide platform flags.
#pragma once

#include <string_view>

#include "engine/foundation/RVSearchOptions.h"
#include "engine/foundation/RVTypes.h"
#include "platform/base/Classes.h"
#include "platform/base/FindOptions.h"

// ---- process-wide flags, set by InitUnicodeHelpers --------------------------------------------

extern bool IsWinNT;
extern bool IsWinVistaOrLater;
extern bool IsWin10OrLater;

// Scaling of the format (reference) canvas; read by the style sheet. InitUnicodeHelpers lowers
// them to 10 and 960 on a platform without the NT kernel.
extern int RefCanvasScaleFactor;       // 100
extern int FormatCanvasPixelsPerInch;  // 9600

// Reads the platform version and sets the flags above. Runs once at start-up.
void InitUnicodeHelpers();

// Whether the process-wide set of shown special characters holds soft hyphens. The set lives
// with the text styles, which install this query; without one every kind counts as shown.
using TRVSoftHyphensShownQuery = bool (*)();
extern TRVSoftHyphensShownQuery SoftHyphensShownQuery;

// ---- plain-text encoding test ---------------------------------------------------------------

enum TRVUnicodeTestResult {
  rvutrOddSize = 0,
  rvutrUnicode = 1,
  rvutrNotUnicode = 2,
  rvutrEmpty = 3,
  rvutrError = 4,
};

// ---- locales and character sets -------------------------------------------------------------

using TRVCodePage = UINT;
using TFontCharset = BYTE;

LANGID MakeLangId(WORD primary, WORD sublanguage);
LCID MakeLocaleId(LANGID language, WORD sort);
LCID LocaleOfLanguage(WORD primary);
bool IsMultiByteCodePage();
TRVCodePage CharsetToCodePage(TFontCharset charset);
LANGID CharsetToLanguageId(TFontCharset charset);
TRVCodePage LocaleAnsiCodePage(LCID locale);
TRVCodePage KeyboardCodePage();

// ---- conversions ----------------------------------------------------------------------------

// Never raise: an unusable code page falls back to the system ANSI code page, then to one "?"
// per input unit.
TRVUnicodeString AnsiToUnicodeCP(TRVCodePage codePage, std::string_view s);
TRVRawByteString UnicodeToAnsiCP(TRVCodePage codePage, std::u16string_view s);
// True only when every character was mapped exactly (no best fit, no default character).
bool TryUnicodeToAnsiCP(TRVCodePage codePage, const TRVUnicodeString& s, TRVRawByteString& out);
TRVUnicodeString KeyboardAnsiToUnicode(const TRVRawByteString& s);
// Each byte b becomes U+F000 + b.
TRVUnicodeString AnsiToSymbolUnicode(const TRVRawByteString& s);
TRVUnicodeString BytesToUnicode(const TRVRawByteString& s, bool utf8);
TRVRawByteString UnicodeToBytes(const TRVUnicodeString& s, bool utf8);
TRVUnicodeString UTF8ToUnicode(const TRVRawByteString& s);
// The class library's strings are UTF-16: these give the text back unchanged.
TRVUnicodeString UnicodeToStringCP(const TRVUnicodeString& s, TRVCodePage codePage);
TRVUnicodeString StringToUnicodeCP(const TRVUnicodeString& s, TRVCodePage codePage);
TRVUnicodeString UnicodeToString(const TRVUnicodeString& s);
TRVUnicodeString StringToUnicode(const TRVUnicodeString& s);
// Little-endian UTF-16 bytes; an odd byte count raises EViroZereError.
TRVUnicodeString RawBytesToUnicode(const TRVRawByteString& s);
TRVRawByteString UnicodeToRawBytes(const TRVUnicodeString& s);
void SwapUTF16Bytes(WideChar* p, int count);
// Pointer to the first unit after a byte-order mark; a swapped mark makes the rest of s
// little-endian in place.
WideChar* SkipUnicodeBOM(TRVUnicodeString& s);

// ---- streams and files ----------------------------------------------------------------------

// The rest of the stream as UTF-16; an odd byte count raises EViroZereError (nothing is read).
TRVUnicodeString ReadUnicodeStreamRest(TStream& stream);
TRVRawByteString ReadUnicodeStreamAsAnsi(TStream& stream, TRVCodePage codePage);
void UnicodeStreamToAnsiStream(TStream& source, TStream& target, TRVCodePage codePage);
TRVUnicodeTestResult TestUnicodeStream(TStream& stream);
TRVUnicodeTestResult TestUnicodeFile(const TRVUnicodeString& fileName);
bool StreamHasUTF8BOM(TStream& stream);
bool FileHasUTF8BOM(const TRVUnicodeString& fileName);

// ---- characters -----------------------------------------------------------------------------

TRVUnicodeString CodePointToUTF16(DWORD codePoint);
DWORD SurrogatePairToCodePoint(WideChar high, WideChar low);
bool IsHighSurrogate(WideChar c);
bool IsLowSurrogate(WideChar c);
bool IsApostrophe(WideChar c);
// Steps over a character (a surrogate pair, a base with its combining marks) in zero-terminated
// text, never stopping inside a pair.
const WideChar* NextCharPtr(const WideChar* p);
const WideChar* PrevCharPtr(const WideChar* start, const WideChar* p);
inline WideChar* NextCharPtr(WideChar* p) {
  return const_cast<WideChar*>(NextCharPtr(static_cast<const WideChar*>(p)));
}
inline WideChar* PrevCharPtr(WideChar* start, WideChar* p) {
  return const_cast<WideChar*>(PrevCharPtr(static_cast<const WideChar*>(start), static_cast<const WideChar*>(p)));
}

// The drawn form of a text run. allCaps is whether the run's text style has all capitals.
// pos1 and pos2 are 1-based positions in s that keep naming the same characters in result.
void TransformTextForDisplay(const TRVUnicodeString& s, bool allCaps, bool atLineEnd,
                             TRVUnicodeString& result, int& pos1, int& pos2, bool skip,
                             bool removeInvisibles, bool showSoftHyphens);
void TransformTextForDisplaySimple(const TRVUnicodeString& s, bool allCaps, bool atLineEnd,
                                   TRVUnicodeString& result, bool skip, bool removeInvisibles,
                                   bool showSoftHyphens);

TRVESearchOptions FindOptionsToSearchOptions(const TFindOptions& options);
