// Conversion by a character set's name (as files name it: "ISO8859-11", "TIS-620", "utf-8"...),
// for text whose encoding is given by name rather than by a code page number. Names are
// matched ignoring letter case, "-", "_" and spaces.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/Types.h"

// True when the platform knows a converter of that name.
bool NamedCharsetKnown(const char* Name);
// UTF-16 to bytes; false when the name is unknown or a character has no counterpart.
bool UnicodeToNamedCharset(const char* Name, std::u16string_view s, std::string& Out);
// Bytes to UTF-16; false when the name is unknown or a byte sequence is not valid.
bool NamedCharsetToUnicode(const char* Name, std::string_view s, UnicodeString& Out);
