// The engine's three string types. Conversions between the 8-bit and the 16-bit types are never
// implicit: they go through the named conversion routines only.
#pragma once

#include "platform/base/Types.h"

using TRVUnicodeString = UnicodeString;  // UTF-16 code units
using TRVAnsiString = AnsiString;        // bytes in the system ANSI code page
using TRVRawByteString = RawByteString;  // bytes in no code page
using TRVUnicodeChar = char16_t;
using TRVAnsiChar = char;
