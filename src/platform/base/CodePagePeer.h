// The converter library's own calls for a code page, with nothing of ours around them: the
// peer that benchmarks measure the code-page layer against. Not for program use (no fallbacks,
// no corrections, no best fit of our own).
#pragma once

#include <string>
#include <string_view>

#include "platform/base/Types.h"

// One library call each into a result sized beforehand; false when the library has no converter
// for the code page or reports an error.
bool LibraryCodePageToUnicode(UINT codePage, std::string_view src, UnicodeString& out);
bool LibraryUnicodeToCodePage(UINT codePage, std::u16string_view src, std::string& out);
