// Number texts shared by list markers, numbered sequences and page fields, and the formatting of
// a document's own format strings, which never raises: a format the formatter rejects gives the
// raw format text back.
#pragma once

#include "engine/foundation/RVTypes.h"
#include "platform/base/SysUtils.h"

enum TRVNumberTextKind { rvntDecimal, rvntLowerAlpha, rvntUpperAlpha, rvntLowerRoman, rvntUpperRoman, rvntNone };

// Decimal; letters A..Z, AA, AB... or Roman numerals, lower-cased when asked; "?" for numbers
// below 1 in the letter and Roman forms; empty for rvntNone. Roman numbers above 99999 are
// written in digits.
TRVUnicodeString RVNumberText(int N, TRVNumberTextKind Kind);
// Format with the arguments; on a bad format (or an argument the format cannot take) Fmt itself.
TRVUnicodeString RVSafeFormat(const TRVUnicodeString& Fmt, const TVarRec* Args, std::size_t Count);
