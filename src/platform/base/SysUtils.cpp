#include "platform/base/SysUtils.h"

#include <charconv>
#include <cmath>
#include <limits>

// ---- exceptions ---------------------------------------------------------------------------

Exception::Exception(UnicodeString msg) : FMessage(std::move(msg)), FWhat(UnicodeToUtf8(FMessage)) {}
Exception::Exception(std::string_view utf8msg) : FMessage(Utf8ToUnicode(utf8msg)), FWhat(utf8msg) {}

// ---- UTF conversion -------------------------------------------------------------------------

UnicodeString Utf8ToUnicode(std::string_view s) {
  UnicodeString r;
  r.reserve(s.size());
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    unsigned c = p[i];
    if (c < 0x80) {
      r.push_back(static_cast<char16_t>(c));
      ++i;
      continue;
    }
    int len = 0;
    char32_t cp = 0, min = 0;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; min = 0x10000; }
    bool ok = len > 0 && i + len <= n;
    for (int k = 1; ok && k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (!ok) {
      r.push_back(u'\xFFFD');
      ++i;
      // skip the continuation bytes of the broken sequence
      while (i < n && (p[i] & 0xC0) == 0x80) ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      r.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      r.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      r.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return r;
}

std::string UnicodeToUtf16LE(std::u16string_view s) {
  std::string r(s.size() * 2, '\0');
  for (std::size_t i = 0; i < s.size(); ++i) {
    r[2 * i] = static_cast<char>(s[i] & 0xFF);
    r[2 * i + 1] = static_cast<char>(s[i] >> 8);
  }
  return r;
}

UnicodeString Utf16LEToUnicode(std::string_view bytes) {
  UnicodeString r(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < r.size(); ++i)
    r[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                 (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
  return r;
}

std::string UnicodeToUtf8(std::u16string_view s) {
  std::string r;
  r.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // an unpaired surrogate has no UTF-8 form
    }
    if (c < 0x80) {
      r.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      r.push_back(static_cast<char>(0xC0 | (c >> 6)));
      r.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      r.push_back(static_cast<char>(0xE0 | (c >> 12)));
      r.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      r.push_back(static_cast<char>(0xF0 | (c >> 18)));
      r.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return r;
}

UnicodeString AsciiToUnicode(std::string_view s) {
  UnicodeString r(s.size(), u'\0');
  for (std::size_t i = 0; i < s.size(); ++i) r[i] = static_cast<unsigned char>(s[i]);
  return r;
}

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

// ---- numbers --------------------------------------------------------------------------------

UnicodeString IntToStr(std::int64_t v) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return AsciiToUnicode(std::string_view(buf, res.ptr - buf));
}

static UnicodeString HexDigits(std::uint64_t v, int digits) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, v, 16);
  UnicodeString r = AsciiToUnicode(std::string_view(buf, res.ptr - buf));
  for (auto& c : r)
    if (c >= u'a' && c <= u'f') c = static_cast<char16_t>(c - u'a' + u'A');
  if (static_cast<int>(r.size()) < digits) r.insert(0, digits - r.size(), u'0');
  return r;
}

UnicodeString IntToHex(std::int64_t v, int digits) {
  // Negative 32-bit values print as their 32-bit two's complement, as the runtime does.
  std::uint64_t u = (v < 0 && v >= INT32_MIN) ? static_cast<std::uint32_t>(v) : static_cast<std::uint64_t>(v);
  return HexDigits(u, digits);
}

bool TryStrToInt64(std::u16string_view s, std::int64_t& value) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) neg = s[i++] == u'-';
  int base = 10;
  if (i < s.size() && s[i] == u'$') { base = 16; ++i; }
  else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) { base = 16; i += 2; }
  else if (i < s.size() && (s[i] == u'x' || s[i] == u'X')) { base = 16; ++i; }
  if (i >= s.size()) return false;
  std::uint64_t acc = 0;
  const std::uint64_t limit = base == 16 ? UINT64_MAX : (neg ? std::uint64_t(INT64_MAX) + 1 : INT64_MAX);
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    unsigned d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else return false;
    if (acc > (limit - d) / base) return false;
    acc = acc * base + d;
  }
  std::int64_t v = static_cast<std::int64_t>(acc);
  value = neg ? static_cast<std::int64_t>(0 - acc) : v;
  return true;
}

bool TryStrToInt(std::u16string_view s, int& value) {
  std::int64_t v;
  if (!TryStrToInt64(s, v)) return false;
  // Hexadecimal text may spell a negative 32-bit value ("$FFFFFFFF").
  if (v > INT32_MAX && v <= static_cast<std::int64_t>(UINT32_MAX)) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'-' || s[i] == u'+')) ++i;
    if (i < s.size() && s[i] != u'$' && s[i] != u'x' && s[i] != u'X' &&
        !(s[i] == u'0' && i + 1 < s.size() && (s[i + 1] == u'x' || s[i + 1] == u'X')))
      return false;
    v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  }
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int>(v);
  return true;
}

int StrToInt(std::u16string_view s) {
  int v;
  if (!TryStrToInt(s, v)) throw EConvertError(u"'" + UnicodeString(s) + u"' is not a valid integer value");
  return v;
}

std::int64_t StrToInt64(std::u16string_view s) {
  std::int64_t v;
  if (!TryStrToInt64(s, v)) throw EConvertError(u"'" + UnicodeString(s) + u"' is not a valid integer value");
  return v;
}

int StrToIntDef(std::u16string_view s, int def) {
  int v;
  return TryStrToInt(s, v) ? v : def;
}

bool TryStrToFloat(std::u16string_view s, long double& value) {
  const char16_t sep = FormatSettings().DecimalSeparator;
  std::size_t i = 0, n = s.size();
  while (i < n && s[i] <= u' ') ++i;
  while (n > i && s[n - 1] <= u' ') --n;
  std::string buf;
  if (i < n && (s[i] == u'-' || s[i] == u'+')) buf.push_back(static_cast<char>(s[i++]));
  bool digits = false;
  while (i < n && s[i] >= u'0' && s[i] <= u'9') { buf.push_back(static_cast<char>(s[i++])); digits = true; }
  if (i < n && s[i] == sep) {
    buf.push_back('.');
    ++i;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') { buf.push_back(static_cast<char>(s[i++])); digits = true; }
  }
  if (!digits) return false;
  if (i < n && (s[i] == u'e' || s[i] == u'E')) {
    buf.push_back('e');
    ++i;
    if (i < n && (s[i] == u'-' || s[i] == u'+')) buf.push_back(static_cast<char>(s[i++]));
    bool expDigits = false;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') { buf.push_back(static_cast<char>(s[i++])); expDigits = true; }
    if (!expDigits) return false;
  }
  if (i != n) return false;
  const char* first = buf.data();
  if (*first == '+') ++first;
  long double v = 0;
  auto res = std::from_chars(first, buf.data() + buf.size(), v);
  if (res.ec == std::errc::invalid_argument || res.ptr != buf.data() + buf.size()) return false;
  if (res.ec == std::errc::result_out_of_range && std::isinf(v)) return false;
  value = v;
  return true;
}

long double StrToFloat(std::u16string_view s) {
  long double v;
  if (!TryStrToFloat(s, v))
    throw EConvertError(u"'" + UnicodeString(s) + u"' is not a valid floating point value");
  return v;
}

namespace {

// Decimal digits of |v| rounded to `precision` significant digits, and the exponent of the first.
struct Digits {
  std::string digits;  // without trailing zeros removed
  int exponent = 0;    // value = 0.d1d2d3... * 10^(exponent+1), i.e. d1 is at 10^exponent
  bool negative = false;
};

Digits SignificantDigits(long double v, int precision) {
  Digits d;
  d.negative = std::signbit(v) && v != 0;
  v = std::fabs(v);
  char buf[128];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, precision - 1);
  std::string_view s(buf, res.ptr - buf);
  auto e = s.find('e');
  for (char c : s.substr(0, e))
    if (c != '.') d.digits.push_back(c);
  int ex = 0;
  std::from_chars(s.data() + e + 1 + (s[e + 1] == '+'), s.data() + s.size(), ex);
  d.exponent = ex;
  if (v == 0) d.exponent = 0;
  return d;
}

UnicodeString ExponentText(int exp, bool alwaysSign, int minDigits) {
  UnicodeString r = u"E";
  if (exp < 0) r += u'-';
  else if (alwaysSign) r += u'+';
  UnicodeString digits = IntToStr(exp < 0 ? -exp : exp);
  if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), u'0');
  return r + digits;
}

UnicodeString FixedText(long double v, int decimals, bool thousands) {
  char buf[6000];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, decimals);
  if (res.ec != std::errc()) return u"";
  std::string s(buf, res.ptr - buf);
  auto dot = s.find('.');
  std::string intPart = s.substr(0, dot);
  UnicodeString r;
  const auto& fs = FormatSettings();
  for (std::size_t i = 0; i < intPart.size(); ++i) {
    if (thousands && i > 0 && (intPart.size() - i) % 3 == 0) r += fs.ThousandSeparator;
    r += static_cast<char16_t>(intPart[i]);
  }
  if (dot != std::string::npos) {
    r += fs.DecimalSeparator;
    r += AsciiToUnicode(s.substr(dot + 1));
  }
  bool allZero = true;
  for (char c : s)
    if (c >= '1' && c <= '9') allZero = false;
  if (std::signbit(v) && !allZero) r.insert(0, 1, u'-');
  return r;
}

}  // namespace

UnicodeString FloatToStrF(long double v, TFloatFormat format, int precision, int digits) {
  if (std::isnan(v)) return u"NAN";
  if (std::isinf(v)) return v > 0 ? u"INF" : u"-INF";
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  const auto& fs = FormatSettings();
  switch (format) {
    case ffGeneral: {
      Digits d = SignificantDigits(v, precision);
      while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
      if (v == 0) return u"0";
      UnicodeString r;
      if (d.negative) r += u'-';
      if (d.exponent < precision && d.exponent >= -5) {
        if (d.exponent < 0) {
          r += u'0';
          r += fs.DecimalSeparator;
          r.append(-d.exponent - 1, u'0');
          r += AsciiToUnicode(d.digits);
        } else {
          std::string ds = d.digits;
          if (static_cast<int>(ds.size()) < d.exponent + 1) ds.append(d.exponent + 1 - ds.size(), '0');
          r += AsciiToUnicode(ds.substr(0, d.exponent + 1));
          if (static_cast<int>(ds.size()) > d.exponent + 1) {
            r += fs.DecimalSeparator;
            r += AsciiToUnicode(ds.substr(d.exponent + 1));
          }
        }
        return r;
      }
      r += static_cast<char16_t>(d.digits[0]);
      if (d.digits.size() > 1) {
        r += fs.DecimalSeparator;
        r += AsciiToUnicode(d.digits.substr(1));
      }
      return r + ExponentText(d.exponent, false, digits);
    }
    case ffExponent: {
      Digits d = SignificantDigits(v, precision);
      UnicodeString r;
      if (d.negative) r += u'-';
      r += static_cast<char16_t>(d.digits[0]);
      if (d.digits.size() > 1) {
        r += fs.DecimalSeparator;
        r += AsciiToUnicode(d.digits.substr(1));
      }
      return r + ExponentText(d.exponent, true, digits > 4 ? 4 : digits);
    }
    case ffFixed:
    case ffNumber: {
      Digits d = SignificantDigits(v, precision);
      if (d.exponent >= precision) return FloatToStrF(v, ffGeneral, precision, 0);
      return FixedText(v, digits < 0 ? 0 : (digits > 18 ? 18 : digits), format == ffNumber);
    }
    case ffCurrency: {
      UnicodeString num = FixedText(std::fabs(v), digits < 0 ? 0 : digits, true);
      return (v < 0 ? u"-" : u"") + fs.CurrencyString + num;
    }
  }
  return u"";
}

UnicodeString FloatToStr(long double v) { return FloatToStrF(v, ffGeneral, 15, 0); }

std::int64_t Round(long double v) {
  long double f = std::floor(v);
  long double diff = v - f;
  if (diff > 0.5L) f += 1;
  else if (diff == 0.5L && std::fmod(f, 2.0L) != 0) f += 1;
  return static_cast<std::int64_t>(f);
}

std::int64_t Trunc(long double v) { return static_cast<std::int64_t>(v); }

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t num = static_cast<std::int64_t>(a) * b;
  const bool neg = (num < 0) != (c < 0);
  std::uint64_t an = num < 0 ? static_cast<std::uint64_t>(-num) : static_cast<std::uint64_t>(num);
  std::uint64_t ac = c < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(c)) : static_cast<std::uint64_t>(c);
  std::uint64_t q = (an + ac / 2) / ac;
  if (q > static_cast<std::uint64_t>(INT32_MAX) + (neg ? 1 : 0)) return -1;
  return neg ? static_cast<int>(-static_cast<std::int64_t>(q)) : static_cast<int>(q);
}

// ---- Format ---------------------------------------------------------------------------------

namespace {

[[noreturn]] void BadFormat(std::u16string_view fmt) {
  throw EConvertError(u"Format '" + UnicodeString(fmt) + u"' invalid or incompatible with argument");
}

}  // namespace

UnicodeString Format(std::u16string_view fmt, std::initializer_list<TVarRec> args) {
  return Format(fmt, args.begin(), args.size());
}

UnicodeString Format(std::u16string_view fmt, const TVarRec* args, std::size_t count) {
  UnicodeString out;
  out.reserve(fmt.size() + 16);
  std::size_t argIndex = 0;
  std::size_t i = 0;
  const std::size_t n = fmt.size();

  auto nextArg = [&]() -> const TVarRec& {
    if (argIndex >= count)
      throw EConvertError(u"No argument for format '" + UnicodeString(fmt) + u"'");
    return args[argIndex++];
  };
  // A number in the specifier, or "*" taking an integer argument; -1 when absent.
  auto readNumber = [&]() -> long long {
    if (i < n && fmt[i] == u'*') {
      ++i;
      const auto& a = nextArg();
      if (!std::holds_alternative<std::int64_t>(a.Value())) BadFormat(fmt);
      return std::get<std::int64_t>(a.Value());
    }
    if (i >= n || fmt[i] < u'0' || fmt[i] > u'9') return -1;
    long long v = 0;
    while (i < n && fmt[i] >= u'0' && fmt[i] <= u'9') {
      v = v * 10 + (fmt[i++] - u'0');
      if (v > 100000) BadFormat(fmt);  // no field this wide is ever meant
    }
    return v;
  };

  while (i < n) {
    char16_t c = fmt[i];
    if (c != u'%') {
      out += c;
      ++i;
      continue;
    }
    ++i;
    if (i >= n) BadFormat(fmt);
    if (fmt[i] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    // [index:]
    long long num = readNumber();
    if (i < n && fmt[i] == u':') {
      if (num < 0) num = 0;
      argIndex = static_cast<std::size_t>(num);
      ++i;
      num = -1;
    }
    bool left = false;
    if (num < 0 && i < n && fmt[i] == u'-') {
      left = true;
      ++i;
    }
    long long width = num >= 0 ? num : readNumber();
    long long prec = -1;
    if (i < n && fmt[i] == u'.') {
      ++i;
      prec = readNumber();
      if (prec < 0) BadFormat(fmt);
    }
    if (i >= n) BadFormat(fmt);
    char16_t type = fmt[i++];
    if (type >= u'A' && type <= u'Z') type = static_cast<char16_t>(type - u'A' + u'a');
    const TVarRec& arg = nextArg();
    const auto& v = arg.Value();
    UnicodeString text;
    switch (type) {
      case u'd':
      case u'u': {
        if (!std::holds_alternative<std::int64_t>(v)) BadFormat(fmt);
        std::int64_t x = std::get<std::int64_t>(v);
        bool neg = false;
        std::uint64_t mag;
        if (type == u'u') {
          mag = (x < 0 && x >= INT32_MIN) ? static_cast<std::uint32_t>(x) : static_cast<std::uint64_t>(x);
        } else {
          neg = x < 0;
          mag = neg ? static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(x) : static_cast<std::uint64_t>(x);
        }
        char buf[32];
        auto res = std::to_chars(buf, buf + sizeof buf, mag);
        text = AsciiToUnicode(std::string_view(buf, res.ptr - buf));
        if (prec > 0 && static_cast<long long>(text.size()) < prec) text.insert(0, prec - text.size(), u'0');
        if (neg) text.insert(0, 1, u'-');
        break;
      }
      case u'x': {
        if (!std::holds_alternative<std::int64_t>(v)) BadFormat(fmt);
        text = IntToHex(std::get<std::int64_t>(v), prec > 0 ? static_cast<int>(prec) : 0);
        break;
      }
      case u'p': {
        std::uint64_t p = std::holds_alternative<std::uintptr_t>(v) ? std::get<std::uintptr_t>(v) : 0;
        if (!std::holds_alternative<std::uintptr_t>(v)) BadFormat(fmt);
        text = HexDigits(p, 8);
        break;
      }
      case u'e':
      case u'f':
      case u'g':
      case u'n':
      case u'm': {
        long double x;
        if (std::holds_alternative<long double>(v)) x = std::get<long double>(v);
        else BadFormat(fmt);
        if (type == u'e') text = FloatToStrF(x, ffExponent, prec < 0 ? 15 : static_cast<int>(prec), 3);
        else if (type == u'f') text = FloatToStrF(x, ffFixed, 18, prec < 0 ? 2 : static_cast<int>(prec));
        else if (type == u'g') text = FloatToStrF(x, ffGeneral, prec < 0 ? 15 : static_cast<int>(prec), 3);
        else if (type == u'n') text = FloatToStrF(x, ffNumber, 18, prec < 0 ? 2 : static_cast<int>(prec));
        else text = FloatToStrF(x, ffCurrency, 18, prec < 0 ? FormatSettings().CurrencyDecimals : static_cast<int>(prec));
        break;
      }
      case u's': {
        if (!std::holds_alternative<UnicodeString>(v)) BadFormat(fmt);
        text = std::get<UnicodeString>(v);
        if (prec >= 0 && static_cast<long long>(text.size()) > prec) text.resize(static_cast<std::size_t>(prec));
        break;
      }
      default:
        BadFormat(fmt);
    }
    if (width > 0 && static_cast<long long>(text.size()) < width) {
      if (left) text.append(width - text.size(), u' ');
      else text.insert(0, width - text.size(), u' ');
    }
    out += text;
  }
  return out;
}

// ---- small text helpers ---------------------------------------------------------------------

UnicodeString TrimLeft(std::u16string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] <= u' ') ++i;
  return UnicodeString(s.substr(i));
}

UnicodeString TrimRight(std::u16string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] <= u' ') --n;
  return UnicodeString(s.substr(0, n));
}

UnicodeString Trim(std::u16string_view s) { return TrimRight(TrimLeft(s)); }

UnicodeString UpperCaseAscii(std::u16string_view s) {
  UnicodeString r(s);
  for (auto& c : r)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return r;
}

UnicodeString LowerCaseAscii(std::u16string_view s) {
  UnicodeString r(s);
  for (auto& c : r)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return r;
}

int CompareTextAscii(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
    if (x != y) return static_cast<int>(x) - static_cast<int>(y);
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool SameTextAscii(std::u16string_view a, std::u16string_view b) { return CompareTextAscii(a, b) == 0; }
