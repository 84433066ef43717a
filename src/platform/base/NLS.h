// National-language functions: conversion between UTF-16 and the Windows code pages, code-page
// and locale information, character classes, wide case mapping, character stepping, the
// keyboard layout's language and the version answer. Built over ICU; the names and constant
// values are those of the system interfaces the engine was written against.
//
// The "system" ANSI, OEM and Mac code pages are process settings (1252, 437 and 10000 unless
// changed), so that conversions never depend on the machine's locale.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/Types.h"

// ---- code pages -----------------------------------------------------------------------------

constexpr UINT CP_ACP = 0;         // the system ANSI code page
constexpr UINT CP_OEMCP = 1;       // the system OEM code page
constexpr UINT CP_MACCP = 2;       // the system Mac code page
constexpr UINT CP_THREAD_ACP = 3;  // the ANSI code page of the current thread (= CP_ACP here)
constexpr UINT CP_SYMBOL = 42;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x00000001;
constexpr DWORD MB_COMPOSITE = 0x00000002;
constexpr DWORD MB_USEGLYPHCHARS = 0x00000004;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;

constexpr DWORD WC_DISCARDNS = 0x00000010;
constexpr DWORD WC_SEPCHARS = 0x00000020;
constexpr DWORD WC_DEFAULTCHAR = 0x00000040;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;
constexpr DWORD WC_COMPOSITECHECK = 0x00000200;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;

UINT GetACP();
UINT GetOEMCP();
UINT GetMacCP();
// Settings; a value of 0, 1 or 2 is ignored (those numbers name the settings themselves).
void SetACP(UINT codePage);
void SetOEMCP(UINT codePage);
void SetMacCP(UINT codePage);

// Resolves 0 to 3 to the configured code pages; other values are returned as they are.
UINT ResolveCodePage(UINT codePage);
bool IsValidCodePage(UINT codePage);

constexpr int MAX_DEFAULTCHAR = 2;
constexpr int MAX_LEADBYTES = 12;
struct CPINFO {
  UINT MaxCharSize = 0;                 // longest character in bytes
  BYTE DefaultChar[MAX_DEFAULTCHAR]{};  // the default character used for unmappable text
  BYTE LeadByte[MAX_LEADBYTES]{};       // ranges of lead bytes, pairs of first and last
};
// False for a code page that cannot be converted.
BOOL GetCPInfo(UINT codePage, CPINFO* info);

// String forms of the two conversions below; they answer false (and leave out empty) when the
// code page cannot be converted or, with MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS, when the
// input is not valid. Undecodable bytes become U+FFFD. Unmappable characters become defaultChar
// ("?" when null); usedDefaultChar (may be null) tells whether that happened. Without
// WC_NO_BEST_FIT_CHARS the code page's best-fit mappings are used. With MB_PRECOMPOSED and
// WC_COMPOSITECHECK a letter followed by combining marks becomes the precomposed letter where one
// exists, except in UTF-8, UTF-7 and GB18030, which keep every code point. A precomposed character that
// the code page lacks is written as its canonical decomposition when the code page has all its
// parts (Vietnamese text in 1258).
bool CodePageToUnicode(UINT codePage, DWORD flags, std::string_view src, UnicodeString& out);
bool UnicodeToCodePage(UINT codePage, DWORD flags, std::u16string_view src, std::string& out,
                       const char* defaultChar = nullptr, bool* usedDefaultChar = nullptr);

// Text in the system ANSI code page (or in codePage), for the 8-bit strings of settings files and
// component streams. Characters the code page lacks become "?"; encoding raises EConvertError
// when the code page cannot be converted, decoding then reads the bytes as 1252.
std::string UnicodeToAnsiString(std::u16string_view s);
UnicodeString AnsiStringToUnicode(std::string_view s, UINT codePage = CP_ACP);

// The system interfaces: srcLen -1 means zero-terminated (the terminator is converted and
// counted); dstLen 0 asks for the length needed. The answer is the number of units written (or
// needed), 0 on failure: bad arguments, an unknown code page, a target that is too small.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLen, WideChar* dst,
                        int dstLen);
int WideCharToMultiByte(UINT codePage, DWORD flags, const WideChar* src, int srcLen, char* dst,
                        int dstLen, const char* defaultChar, BOOL* usedDefaultChar);

// ---- locales and keyboard -------------------------------------------------------------------

using LCTYPE = DWORD;
constexpr LCTYPE LOCALE_IDEFAULTANSICODEPAGE = 0x00001004;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

constexpr WORD PRIMARYLANGID(LANGID lang) { return static_cast<WORD>(lang & 0x3FF); }
constexpr WORD SUBLANGID(LANGID lang) { return static_cast<WORD>(lang >> 10); }
constexpr LANGID LANGIDFROMLCID(LCID lcid) { return static_cast<LANGID>(lcid & 0xFFFF); }

// Answers LOCALE_IDEFAULTANSICODEPAGE as decimal text (a locale without an ANSI code page answers
// "0"; the default locales answer the system ANSI code page). Returns the characters written including the terminator, or the size needed when cch is
// 0; 0 for an unknown locale or item, or a buffer that is too small.
int GetLocaleInfoW(LCID locale, LCTYPE type, WideChar* data, int cch);

// The keyboard layout of the current input language: its low word is the language. The language
// is a setting (U.S. English, 0x0409, unless changed).
HKL GetKeyboardLayout(DWORD threadId);
void SetKeyboardLayoutLanguage(LANGID language);

// ---- characters -----------------------------------------------------------------------------

// Steps over a character and the combining marks that follow it; never stops inside a surrogate
// pair. At the terminator CharNextW answers p; at start CharPrevW answers start.
const WideChar* CharNextW(const WideChar* p);
const WideChar* CharPrevW(const WideChar* start, const WideChar* p);

constexpr DWORD CT_CTYPE1 = 0x0001;
constexpr DWORD CT_CTYPE2 = 0x0002;
constexpr DWORD CT_CTYPE3 = 0x0004;
// Bidirectional classes of CT_CTYPE2.
constexpr WORD C2_NOTAPPLICABLE = 0x0000;
constexpr WORD C2_LEFTTORIGHT = 0x0001;
constexpr WORD C2_RIGHTTOLEFT = 0x0002;
constexpr WORD C2_EUROPENUMBER = 0x0003;
constexpr WORD C2_EUROPESEPARATOR = 0x0004;
constexpr WORD C2_EUROPETERMINATOR = 0x0005;
constexpr WORD C2_ARABICNUMBER = 0x0006;
constexpr WORD C2_COMMONSEPARATOR = 0x0007;
constexpr WORD C2_BLOCKSEPARATOR = 0x0008;
constexpr WORD C2_SEGMENTSEPARATOR = 0x0009;
constexpr WORD C2_WHITESPACE = 0x000A;
constexpr WORD C2_OTHERNEUTRAL = 0x000B;
// Only CT_CTYPE2 is answered (false for the other types). srcLen -1: zero-terminated. Both
// units of a surrogate pair get the class of the pair's code point.
BOOL GetStringTypeExW(LCID locale, DWORD infoType, const WideChar* src, int srcLen, WORD* charType);

// Simple one-to-one case mapping in place; the length never changes (U+00DF stays). Returns
// the number of units processed.
DWORD CharUpperBuffW(WideChar* s, DWORD length);
DWORD CharLowerBuffW(WideChar* s, DWORD length);
// Case mapping of 8-bit text in the system ANSI code page, in place: letters of the code page
// whose other case exists in it change; in a multibyte code page only ASCII letters change.
DWORD CharUpperBuffA(char* s, DWORD length);
DWORD CharLowerBuffA(char* s, DWORD length);

// ---- version --------------------------------------------------------------------------------

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
struct OSVERSIONINFOW {
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
};
// The program answers as the NT family, version 10.0. The answer is a setting so that code
// written for the older platforms can be exercised.
BOOL GetVersionExW(OSVERSIONINFOW* info);
void SetReportedVersion(DWORD platformId, DWORD majorVersion, DWORD minorVersion);
