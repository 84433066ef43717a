// The pieces of the converter interface that the code-page units (NLS, Johab) share. Internal to
// the platform's base layer.
#pragma once

#include <unicode/ucnv.h>

#include <memory>

namespace icu_converter {

struct Deleter {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Ptr = std::unique_ptr<UConverter, Deleter>;

// Leaves the error set for every unmappable character. (The library's own stopping callback
// lets default-ignorable characters such as U+202E vanish without a trace.)
inline void U_CALLCONV StopAtUnmappable(const void*, UConverterFromUnicodeArgs*, const UChar*,
                                        int32_t, UChar32, UConverterCallbackReason,
                                        UErrorCode*) {}

}  // namespace icu_converter
