// The names the settings and component-stream code used for ANSI code-page text; they forward to
// the national-language functions, which hold the one implementation.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/NLS.h"
#include "platform/base/Types.h"

namespace persist_cp {

inline int AnsiCodePage() { return static_cast<int>(GetACP()); }
inline void SetAnsiCodePage(int codePage) { SetACP(static_cast<UINT>(codePage)); }
inline std::string UnicodeToAnsi(std::u16string_view s) { return UnicodeToAnsiString(s); }
inline UnicodeString AnsiToUnicode(std::string_view s) { return AnsiStringToUnicode(s); }
inline UnicodeString CodePageToUnicode(std::string_view s, int codePage) {
  return AnsiStringToUnicode(s, static_cast<UINT>(codePage));
}

}  // namespace persist_cp
