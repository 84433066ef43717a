// The runtime's text routines and exceptions: number formatting and parsing, the Format routine,
// the two rounding rules, UTF-8 conversion and the exception hierarchy.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "platform/base/Types.h"

// ---- exceptions ---------------------------------------------------------------------------

class Exception : public std::exception {
 public:
  explicit Exception(UnicodeString msg);
  explicit Exception(std::string_view utf8msg);
  const UnicodeString& Message() const { return FMessage; }
  const char* what() const noexcept override { return FWhat.c_str(); }

 private:
  UnicodeString FMessage;
  std::string FWhat;
};

#define TAVRELO_EXCEPTION(Name, Base)    \
  class Name : public Base {             \
   public:                               \
    using Base::Base;                    \
  };

TAVRELO_EXCEPTION(EConvertError, Exception)
TAVRELO_EXCEPTION(EArgumentException, Exception)
TAVRELO_EXCEPTION(EInvalidOperation, Exception)
TAVRELO_EXCEPTION(EInvalidPointer, Exception)
TAVRELO_EXCEPTION(EOutOfMemory, Exception)
TAVRELO_EXCEPTION(EAbort, Exception)
TAVRELO_EXCEPTION(EListError, Exception)
TAVRELO_EXCEPTION(EStringListError, Exception)
TAVRELO_EXCEPTION(EStreamError, Exception)
TAVRELO_EXCEPTION(EReadError, EStreamError)
TAVRELO_EXCEPTION(EWriteError, EStreamError)
TAVRELO_EXCEPTION(EFileStreamError, EStreamError)
TAVRELO_EXCEPTION(EFOpenError, EFileStreamError)
TAVRELO_EXCEPTION(EFCreateError, EFileStreamError)
TAVRELO_EXCEPTION(EInOutError, Exception)
TAVRELO_EXCEPTION(EOSError, Exception)

// ---- UTF conversion -------------------------------------------------------------------------

// Ill-formed input becomes U+FFFD; nothing is ever dropped silently.
UnicodeString Utf8ToUnicode(std::string_view s);
std::string UnicodeToUtf8(std::u16string_view s);
// Widening of ASCII literals, for code and tests: one code unit per byte.
UnicodeString AsciiToUnicode(std::string_view s);
// UTF-16 code units and their little-endian bytes, as files and streams keep them whatever the
// machine's byte order. An odd last byte is left out.
std::string UnicodeToUtf16LE(std::u16string_view s);
UnicodeString Utf16LEToUnicode(std::string_view bytes);

// ---- process-wide format settings --------------------------------------------------------------

struct TFormatSettings {
  WideChar DecimalSeparator = u'.';
  WideChar ThousandSeparator = u',';
  UnicodeString CurrencyString = u"$";
  int CurrencyDecimals = 2;
};
TFormatSettings& FormatSettings();

// ---- Format ---------------------------------------------------------------------------------

// One argument of Format: an integer, a floating value, a string or a character.
class TVarRec {
 public:
  TVarRec(int v) : FValue(static_cast<std::int64_t>(v)) {}
  TVarRec(long v) : FValue(static_cast<std::int64_t>(v)) {}
  TVarRec(long long v) : FValue(static_cast<std::int64_t>(v)) {}
  TVarRec(unsigned v) : FValue(static_cast<std::int64_t>(v)) {}
  TVarRec(unsigned long v) : FValue(static_cast<std::int64_t>(v)) {}
  TVarRec(unsigned long long v) : FValue(static_cast<std::int64_t>(v)) {}
  TVarRec(double v) : FValue(static_cast<long double>(v)) {}
  TVarRec(long double v) : FValue(v) {}
  TVarRec(const UnicodeString& v) : FValue(v) {}
  TVarRec(const char16_t* v) : FValue(UnicodeString(v ? v : u"")) {}
  TVarRec(char16_t v) : FValue(UnicodeString(1, v)) {}
  // 8-bit text arguments are taken as ASCII/Latin-1 bytes, one code unit each.
  TVarRec(const std::string& v) : FValue(AsciiToUnicode(v)) {}
  TVarRec(const char* v) : FValue(AsciiToUnicode(v ? v : "")) {}
  TVarRec(const void* p) : FValue(reinterpret_cast<std::uintptr_t>(p)) {}

  const std::variant<std::int64_t, long double, UnicodeString, std::uintptr_t>& Value() const { return FValue; }

 private:
  std::variant<std::int64_t, long double, UnicodeString, std::uintptr_t> FValue;
};

// The runtime's Format: %[index:][-][width][.prec]type with types d u x e f g n m p s and %%.
// Width and precision may be "*" (taken from the arguments). A malformed format or an argument
// of the wrong kind raises EConvertError; the format is never handed to printf.
UnicodeString Format(std::u16string_view fmt, std::initializer_list<TVarRec> args);
UnicodeString Format(std::u16string_view fmt, const TVarRec* args, std::size_t count);

// ---- numbers --------------------------------------------------------------------------------

UnicodeString IntToStr(std::int64_t v);
UnicodeString IntToHex(std::int64_t v, int digits);
// Decimal or hexadecimal ("$", "0x"), optional sign, leading blanks; anything else raises
// EConvertError "'%s' is not a valid integer value".
int StrToInt(std::u16string_view s);
std::int64_t StrToInt64(std::u16string_view s);
int StrToIntDef(std::u16string_view s, int def);
bool TryStrToInt(std::u16string_view s, int& value);
bool TryStrToInt64(std::u16string_view s, std::int64_t& value);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
UnicodeString FloatToStrF(long double v, TFloatFormat format, int precision, int digits);
// General format with 15 significant digits and the process decimal separator.
UnicodeString FloatToStr(long double v);
// Parses with the process decimal separator; bad text raises EConvertError
// "'%s' is not a valid floating point value".
long double StrToFloat(std::u16string_view s);
bool TryStrToFloat(std::u16string_view s, long double& value);

// Halves to even (the runtime's Round).
std::int64_t Round(long double v);
// a * b / c in 64 bits, rounded to nearest with halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);
std::int64_t Trunc(long double v);

// ---- small text helpers ---------------------------------------------------------------------

UnicodeString Trim(std::u16string_view s);
UnicodeString TrimLeft(std::u16string_view s);
UnicodeString TrimRight(std::u16string_view s);
// ASCII-only case mapping and comparison (letters A-Z only).
UnicodeString UpperCaseAscii(std::u16string_view s);
UnicodeString LowerCaseAscii(std::u16string_view s);
int CompareTextAscii(std::u16string_view a, std::u16string_view b);
bool SameTextAscii(std::u16string_view a, std::u16string_view b);

// ---- scope guard -----------------------------------------------------------------------------

// Runs its action when the scope ends, however it ends.
template <typename F>
class TFinally {
 public:
  explicit TFinally(F f) : FAction(std::move(f)) {}
  TFinally(const TFinally&) = delete;
  TFinally& operator=(const TFinally&) = delete;
  ~TFinally() { FAction(); }

 private:
  F FAction;
};
