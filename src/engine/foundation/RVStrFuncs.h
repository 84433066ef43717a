// Small stateless text routines of the engine: numbers, searching, case, formatting, replacing,
// quoting, and scanning of zero-terminated UTF-16 buffers. Positions are 1-based; 0 means
// "not found".
#pragma once

#include <initializer_list>

#include "engine/foundation/RVTypes.h"
#include "platform/base/SysUtils.h"

// A set of 8-bit characters, one bit per byte value.
using TRVAnsiCharSet = TSet<unsigned char, 256>;

// ---- numbers --------------------------------------------------------------------------------

TRVAnsiString IntToStrAnsi(int value);
TRVUnicodeString IntToStrUnicode(int value);
// Upper-case hexadecimal, left-padded with "0" to at least `digits` digits.
TRVAnsiString IntToHexAnsi(int value, int digits);
TRVUnicodeString IntToHexUnicode(int value, int digits);
// Raise EConvertError "'%s' is not a valid integer value".
int StrToIntAnsi(const TRVAnsiString& s);
int StrToIntUnicode(const TRVUnicodeString& s);
// Parse with the process decimal separator; raise EConvertError
// "'%s' is not a valid floating point value".
Extended AnsiStrToFloat(const TRVAnsiString& s);
Extended UnicodeStrToFloat(const TRVUnicodeString& s);

// ---- zero-terminated UTF-16 buffers ----------------------------------------------------------

int StrLenW(const WideChar* p);
int StrLCompW(const WideChar* a, const WideChar* b, int n);
const WideChar* StrScanW(const WideChar* p, WideChar c);
const WideChar* StrScanLenW(const WideChar* p, WideChar c, int n);
const WideChar* StrPosLenW(const WideChar* text, int n, const WideChar* pattern, int m);

// ---- searching ------------------------------------------------------------------------------

// s is searched as a zero-terminated string: nothing after its first zero byte is found.
int PosAnsi(const TRVAnsiString& sub, const TRVAnsiString& s);
int PosExAnsi(const TRVAnsiString& sub, const TRVAnsiString& s, int offset);
int PosUnicode(const TRVUnicodeString& sub, const TRVUnicodeString& s);
int PosExUnicode(const TRVUnicodeString& sub, const TRVUnicodeString& s, int offset);

// ---- case, format and trimming --------------------------------------------------------------

TRVUnicodeString UpperCaseUnicode(const TRVUnicodeString& s);
TRVUnicodeString LowerCaseUnicode(const TRVUnicodeString& s);
TRVAnsiString UpperCaseAnsi(const TRVAnsiString& s);
TRVAnsiString LowerCaseAnsi(const TRVAnsiString& s);
// The format and 8-bit arguments are taken byte for byte; characters of Unicode arguments that
// do not fit in a byte go through the system ANSI code page.
TRVAnsiString FormatAnsi(const TRVAnsiString& format, std::initializer_list<TVarRec> args);
TRVUnicodeString FormatUnicode(const TRVUnicodeString& format, std::initializer_list<TVarRec> args);
// Removes leading and trailing bytes at or below the blank.
TRVAnsiString TrimAnsi(const TRVAnsiString& s);
// Characters at 128 and above are never members.
bool CharInAnsiSet(WideChar c, const TRVAnsiCharSet& set);

// ---- widening and narrowing without a code page (ASCII text only) ------------------------------

TRVAnsiString UnicodeToAnsiTruncate(const TRVUnicodeString& s);
TRVUnicodeString AnsiToUnicodeWiden(const TRVAnsiString& s);

// ---- replacing and building -----------------------------------------------------------------

// Left to right; text produced by a replacement is never scanned again. An empty pattern
// changes nothing.
TRVUnicodeString ReplaceAllUnicode(const TRVUnicodeString& s, const TRVUnicodeString& pattern,
                                   const TRVUnicodeString& replacement);
TRVAnsiString ReplaceAllAnsi(const TRVAnsiString& s, const TRVAnsiString& pattern,
                             const TRVAnsiString& replacement);
TRVUnicodeString ReplaceAllString(const TRVUnicodeString& s, const TRVUnicodeString& pattern,
                                  const TRVUnicodeString& replacement);
TRVAnsiString ReplaceCharAnsi(const TRVAnsiString& s, AnsiChar c, const TRVAnsiString& replacement);
TRVUnicodeString StringOfCharUnicode(WideChar c, int count);
TRVUnicodeString QuoteUnicode(const TRVUnicodeString& s, WideChar q);
TRVAnsiString QuoteAnsi(const TRVAnsiString& s, AnsiChar q);
// Reads a q-quoted string at p (a zero-terminated 8-bit string) and moves p past it; see the
// source for the rules on a missing closing quote.
TRVAnsiString ExtractQuotedAnsi(const AnsiChar*& p, AnsiChar q);
// Every line break (CR LF, lone CR, lone LF) becomes CR LF.
TRVUnicodeString PrepareDescriptionText(const TRVUnicodeString& s);
