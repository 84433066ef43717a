// Conversion between UTF-16 and the process's ANSI code page for the INI files and the 8-bit
// strings of the component stream. Kept in one place so that it follows the platform's code-page
// setting.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/Types.h"

namespace persist_cp {

// The code page used for 8-bit text (1252 unless set).
int AnsiCodePage();
void SetAnsiCodePage(int codePage);
// Characters the code page lacks become "?".
std::string UnicodeToAnsi(std::u16string_view s);
UnicodeString AnsiToUnicode(std::string_view s);
// The same for a given code page (65001 is UTF-8); an unknown code page is taken as 1252.
UnicodeString CodePageToUnicode(std::string_view s, int codePage);

}  // namespace persist_cp
