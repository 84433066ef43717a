#include "platform/base/PersistCodePage.h"

#include "platform/base/NLS.h"
#include "platform/base/SysUtils.h"

namespace persist_cp {

int AnsiCodePage() { return static_cast<int>(GetACP()); }

void SetAnsiCodePage(int codePage) { SetACP(static_cast<UINT>(codePage)); }

std::string UnicodeToAnsi(std::u16string_view s) {
  std::string out;
  if (s.empty()) return out;
  if (!UnicodeToCodePage(CP_ACP, 0, s, out)) throw EConvertError(u"Text cannot be converted to the ANSI code page");
  return out;
}

UnicodeString AnsiToUnicode(std::string_view s) { return CodePageToUnicode(s, static_cast<int>(CP_ACP)); }

UnicodeString CodePageToUnicode(std::string_view s, int codePage) {
  UnicodeString out;
  if (s.empty()) return out;
  const UINT cp = IsValidCodePage(ResolveCodePage(static_cast<UINT>(codePage))) ? static_cast<UINT>(codePage) : 1252;
  if (!::CodePageToUnicode(cp, 0, s, out)) throw EConvertError(u"Text cannot be converted from its code page");
  return out;
}

}  // namespace persist_cp
