// Code page 1361 (Korean Johab), which the converter library lacks. Hangul is encoded by
// algorithm (five bits each for the initial, medial and final sound); symbols and Hanja are the
// KS X 1001 characters of code page 949, with their byte pairs rearranged.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/Types.h"

constexpr UINT JohabCodePage = 1361;

// Undecodable bytes become U+FFFD, or the answer is false when strict. False also when code
// page 949, which supplies the symbols and Hanja, is missing.
bool JohabToUnicode(std::string_view src, bool strict, UnicodeString& out);
// Unmappable characters become defaultChar (1 or 2 bytes) and set usedDefault; without bestFit
// only exact mappings are used.
bool UnicodeToJohab(std::u16string_view src, bool bestFit, std::string_view defaultChar,
                    std::string& out, bool& usedDefault);
bool IsJohabAvailable();
// Lead-byte ranges, pairs of first and last.
constexpr BYTE JohabLeadBytes[6] = {0x84, 0xD3, 0xD8, 0xDE, 0xE0, 0xF9};
