#include "pdf/PDFMisc.h"

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/FontData.h"
#include "platform/graphics/Pictures.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>

#include "engine/foundation/RVUni.h"
#include "platform/base/NLS.h"

// ---- numbers ------------------------------------------------------------------------------------

void AppendPDFInt(std::string& out, std::int64_t n) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, n);
  out.append(buf, r.ptr);
}

std::string PDFIntToStr(std::int64_t n) {
  std::string s;
  AppendPDFInt(s, n);
  return s;
}

void AppendPDFFloat(std::string& out, Extended x, bool precise) {
  if (!std::isfinite(x)) {
    out += '0';
    return;
  }
  const int decimals = precise ? 5 : 2;
  const Extended scale = precise ? 100000.0L : 100.0L;
  Extended scaled = std::fabs(x) * scale;
  if (scaled >= 9.0e17L) {  // beyond what a 64-bit integer holds: no decimals are meaningful
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(std::round(x)),
                           std::chars_format::fixed, 0);
    out.append(buf, r.ptr);
    return;
  }
  // The caller means the decimal value the binary number approximates: 12.345 is stored a hair
  // below, yet must round up. A nudge of a few parts in 10^13 settles such ties and is far below
  // anything a coordinate can carry.
  std::uint64_t v = static_cast<std::uint64_t>(std::floor(scaled * (1.0L + 2e-13L) + 0.5L));
  if (v == 0) {
    out += '0';
    return;
  }
  if (x < 0) out += '-';
  std::uint64_t ip = v / static_cast<std::uint64_t>(scale);
  std::uint64_t fp = v % static_cast<std::uint64_t>(scale);
  AppendPDFInt(out, static_cast<std::int64_t>(ip));
  if (fp != 0) {
    char digits[5];
    for (int i = decimals - 1; i >= 0; --i) {
      digits[i] = static_cast<char>('0' + fp % 10);
      fp /= 10;
    }
    int n = decimals;
    while (n > 0 && digits[n - 1] == '0') --n;
    out += '.';
    out.append(digits, n);
  }
}

std::string PDFFloatToStr(bool precise, Extended x) {
  std::string s;
  AppendPDFFloat(s, x, precise);
  return s;
}

std::string PDFObjectRef(int n) {
  std::string s = PDFIntToStr(n);
  s += " 0 R";
  return s;
}

std::string IntToZeroPaddedStr(std::int64_t n, int width) {
  std::string s = PDFIntToStr(n);
  if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
  return s;
}

std::string FormatIntQuad(int a, int b, int c, int d) {
  std::string s;
  AppendPDFInt(s, a);
  s += ' ';
  AppendPDFInt(s, b);
  s += ' ';
  AppendPDFInt(s, c);
  s += ' ';
  AppendPDFInt(s, d);
  return s;
}

std::string PDFRectToStr(const TRect& r) { return FormatIntQuad(r.Left, r.Bottom, r.Right, r.Top); }

// ---- strings ------------------------------------------------------------------------------------

void AppendPDFEscaped(std::string& out, std::string_view s) {
  for (char c : s) {
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '(': out += "\\("; break;
      case ')': out += "\\)"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
}

std::string PDFName(std::string_view s) { return "/" + PDFEscapeName(s); }

std::string PDFEscapeName(std::string_view s) {
  static const char Hex[] = "0123456789ABCDEF";
  std::string r;
  r.reserve(s.size());
  for (char ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == 0) continue;
    const bool regular = c > 0x20 && c < 0x7F && !std::strchr("()<>[]{}/%#", c);
    if (regular) {
      r += ch;
    } else {
      r += '#';
      r += Hex[c >> 4];
      r += Hex[c & 15];
    }
  }
  return r;
}

std::string PDFEscapeString(std::string_view s) {
  std::string r;
  r.reserve(s.size() + 8);
  AppendPDFEscaped(r, s);
  return r;
}

std::string WideToPDFTextString(std::u16string_view w) {
  std::string r;
  r.reserve(2 + 2 * w.size());
  r += '\xFE';
  r += '\xFF';
  for (char16_t c : w) {
    r += static_cast<char>(c >> 8);
    r += static_cast<char>(c & 0xFF);
  }
  return r;
}

std::string UTF16ToUTF8(std::u16string_view w) {
  std::string r;
  r.reserve(w.size());
  for (char16_t c : w) {
    if (c < 0x80) {
      r += static_cast<char>(c);
    } else if (c < 0x800) {
      r += static_cast<char>(0xC0 | (c >> 6));
      r += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      r += static_cast<char>(0xE0 | (c >> 12));
      r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      r += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return r;
}

std::u16string WideCharsToStr(const char16_t* p, int n) {
  if (!p || n <= 0) return {};
  return std::u16string(p, p + n);
}

int AnsiPosFrom(std::string_view sub, std::string_view s, int start) {
  if (start < 1) start = 1;
  if (sub.empty() || static_cast<std::size_t>(start) > s.size()) return 0;
  auto p = s.find(sub, start - 1);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::string ReplaceCharByStr(std::string_view s, char c, std::string_view r) {
  std::string out;
  out.reserve(s.size());
  for (char x : s) {
    if (x == c)
      out += r;
    else
      out += x;
  }
  return out;
}

std::string UpperCaseASCII(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

std::string LowerCaseASCII(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

int ClassifyTextBytes(BYTE charset, std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return charset == 0 ? 1 : 2;
  return 0;
}

std::string XMLEscape(std::string_view utf8) {
  std::string r;
  r.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '&': r += "&amp;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '"': r += "&quot;"; break;
      case '\'': r += "&apos;"; break;
      default:
        // Control characters other than tab and line breaks are not allowed in XML 1.0.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
          r += ' ';
        else
          r += c;
    }
  }
  return r;
}

// ---- hexadecimal --------------------------------------------------------------------------------

static const char kHex[] = "0123456789ABCDEF";

std::string ByteToHex(BYTE b) { return {kHex[b >> 4], kHex[b & 15]}; }

std::string WordToHex(WORD w) {
  return {kHex[(w >> 12) & 15], kHex[(w >> 8) & 15], kHex[(w >> 4) & 15], kHex[w & 15]};
}

std::string BytesToHex(const void* p, int n) {
  std::string r;
  if (!p || n <= 0) return r;
  r.reserve(2 * n);
  auto b = static_cast<const unsigned char*>(p);
  for (int i = 0; i < n; ++i) {
    r += kHex[b[i] >> 4];
    r += kHex[b[i] & 15];
  }
  return r;
}

std::string StrToHexString(std::string_view s, bool brackets) {
  std::string r = BytesToHex(s.data(), static_cast<int>(s.size()));
  if (brackets) r = "<" + r + ">";
  return r;
}

// ---- colours ------------------------------------------------------------------------------------

TPDFColor ColorToPDFRGB(TColor c) {
  TPDFColor r;
  r.ColorSpace = csRGB;
  r.Red = (c & 0xFF) / 255.0L;
  r.Green = ((c >> 8) & 0xFF) / 255.0L;
  r.Blue = ((c >> 16) & 0xFF) / 255.0L;
  return r;
}

TPDFColor GrayColor(Extended g) {
  TPDFColor r;
  r.ColorSpace = csGray;
  r.Gray = g;
  return r;
}

std::string PDFColorToStr(const TPDFColor& color) {
  std::string s;
  switch (color.ColorSpace) {
    case csGray:
      AppendPDFFloat(s, color.Gray);
      break;
    case csRGB:
      AppendPDFFloat(s, color.Red);
      s += ' ';
      AppendPDFFloat(s, color.Green);
      s += ' ';
      AppendPDFFloat(s, color.Blue);
      break;
    case csCMYK:
      AppendPDFFloat(s, color.Cyan);
      s += ' ';
      AppendPDFFloat(s, color.Magenta);
      s += ' ';
      AppendPDFFloat(s, color.Yellow);
      s += ' ';
      AppendPDFFloat(s, color.Key);
      break;
  }
  return s;
}

// ---- time ---------------------------------------------------------------------------------------

// TDateTime counts days from 1899-12-30; 25569 days lie between it and the Unix epoch.
static constexpr double kUnixEpochDays = 25569.0;

static std::time_t DateTimeToSeconds(TDateTime t) {
  return static_cast<std::time_t>(std::llround((t - kUnixEpochDays) * 86400.0));
}

static TDateTime SecondsToDateTime(std::time_t s) {
  return kUnixEpochDays + static_cast<double>(s) / 86400.0;
}

int TimeZoneBias(TDateTime localTime) {
  // The local wall-clock value read as if it were UTC gives a moment; mktime on the broken-down
  // local value gives the real one; their difference is the bias at that moment.
  std::time_t asUtc = DateTimeToSeconds(localTime);
  std::tm tm{};
  gmtime_r(&asUtc, &tm);
  tm.tm_isdst = -1;
  std::time_t real = mktime(&tm);
  if (real == static_cast<std::time_t>(-1)) return 0;
  return static_cast<int>((real - asUtc) / 60);
}

TDateTime LocalToUTC(TDateTime t) { return t + TimeZoneBias(t) / 1440.0; }

TDateTime NowLocal() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return SecondsToDateTime(now + tm.tm_gmtoff);
}

TDateTime NowUTC() { return SecondsToDateTime(std::time(nullptr)); }

static std::tm BrokenDown(TDateTime t) {
  std::time_t s = DateTimeToSeconds(t);
  std::tm tm{};
  gmtime_r(&s, &tm);
  return tm;
}

static void AppendTwo(std::string& s, int v) {
  s += static_cast<char>('0' + v / 10 % 10);
  s += static_cast<char>('0' + v % 10);
}

std::string FormatPDFDateTime(TDateTime t) {
  std::tm tm = BrokenDown(t);
  std::string s = IntToZeroPaddedStr(tm.tm_year + 1900, 4);
  AppendTwo(s, tm.tm_mon + 1);
  AppendTwo(s, tm.tm_mday);
  AppendTwo(s, tm.tm_hour);
  AppendTwo(s, tm.tm_min);
  AppendTwo(s, tm.tm_sec);
  return s;
}

std::string FormatXMPDate(TDateTime t) {
  std::tm tm = BrokenDown(t);
  std::string s = IntToZeroPaddedStr(tm.tm_year + 1900, 4);
  s += '-';
  AppendTwo(s, tm.tm_mon + 1);
  s += '-';
  AppendTwo(s, tm.tm_mday);
  return s;
}

std::string FormatXMPTime(TDateTime t) {
  std::tm tm = BrokenDown(t);
  std::string s;
  AppendTwo(s, tm.tm_hour);
  s += ':';
  AppendTwo(s, tm.tm_min);
  s += ':';
  AppendTwo(s, tm.tm_sec);
  return s;
}

// ---- code pages ---------------------------------------------------------------------------------

// The engine's table of character sets, with the system's own code pages (ANSI, OEM, Mac) fixed:
// a document written here must not depend on the machine that writes it.
UINT PDFCharsetToCodePage(BYTE charset) {
  switch (const UINT cp = CharsetToCodePage(charset)) {
    case CP_ACP:
    case CP_OEMCP: return 1252;
    case CP_MACCP: return 10000;
    default: return cp;
  }
}

namespace {
constexpr std::size_t kFaceNameLength = 31;  // the longest face name a logical font holds
}

bool IsTrueTypeFontName(const UnicodeString& name, BYTE charset) {
  if (name.empty()) return false;
  const auto families = EnumFontFamiliesForCharset(name.substr(0, kFaceNameLength), charset);
  return !families.empty() && families.front().TrueType;
}

UnicodeString FindTrueTypeFaceForCharset(BYTE charset) {
  if (charset == DEFAULT_CHARSET) charset = ANSI_CHARSET;  // the system's default character set here
  for (const TFontFamilyEntry& e : EnumFontFamiliesForCharset(UnicodeString(), charset)) {
    if (!e.TrueType) continue;
    // The family asked for by its own name must list the character set again: a name that
    // stands for another family after substitution does not count.
    const auto again = EnumFontFamiliesForCharset(e.Family, charset);
    if (!again.empty() && again.front().TrueType) return e.Family.substr(0, kFaceNameLength);
  }
  return {};
}

// ---- bits and geometry --------------------------------------------------------------------------

int BitCount(std::uint32_t v) { return __builtin_popcount(v); }
int HighestBitIndex(std::uint32_t v) { return v == 0 ? -1 : 31 - __builtin_clz(v); }
std::uint32_t HighestPowerOfTwo(std::uint32_t v) { return v == 0 ? 0 : 1u << HighestBitIndex(v); }
std::uint32_t RotateLeft32(std::uint32_t v, int n) {
  n &= 31;
  return n == 0 ? v : (v << n) | (v >> (32 - n));
}
std::uint32_t ByteSwap32(std::uint32_t v) { return __builtin_bswap32(v); }
std::uint64_t ByteSwap64(std::uint32_t hi, std::uint32_t lo) {
  return __builtin_bswap64((static_cast<std::uint64_t>(hi) << 32) | lo);
}

TDoublePoint RotatePoint(Extended angle, Extended x, Extended y) {
  Extended a = angle * M_PIl / 180.0L;
  return {x * std::cos(a) - y * std::sin(a), x * std::sin(a) + y * std::cos(a)};
}

void SwapInts(int& a, int& b) { std::swap(a, b); }
void SwapExtendeds(Extended& a, Extended& b) { std::swap(a, b); }
void NormalizeIntRect(int& x1, int& y1, int& x2, int& y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
}
void NormalizeExtRect(Extended& x1, Extended& y1, Extended& x2, Extended& y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
}

// ---- TAnsiStringList ----------------------------------------------------------------------------

int TAnsiStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw EStringListError(Format(u"List index out of bounds (%d)", {index}));
  return index;
}

void TAnsiStringList::Grow() {
  int delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
  SetCapacity(FCapacity + delta);
}

void TAnsiStringList::SetCapacity(int value) {
  if (value < Count() || value > 134217727)
    throw EStringListError(Format(u"List capacity out of bounds (%d)", {value}));
  FCapacity = value;
  FList.reserve(static_cast<std::size_t>(value));
}

int TAnsiStringList::Add(std::string s) {
  if (Count() == FCapacity) Grow();
  FList.push_back({std::move(s), nullptr});
  return Count() - 1;
}

const std::string& TAnsiStringList::Get(int index) const { return FList[CheckIndex(index)].FString; }
TObject* TAnsiStringList::GetObject(int index) const { return FList[CheckIndex(index)].FObject; }
void TAnsiStringList::PutObject(int index, TObject* obj) { FList[CheckIndex(index)].FObject = obj; }
void TAnsiStringList::Delete(int index) { FList.erase(FList.begin() + CheckIndex(index)); }

int TAnsiStringList::IndexOfObject(const TObject* obj) const {
  for (int i = 0; i < Count(); ++i)
    if (FList[i].FObject == obj) return i;
  return -1;
}

static int CompareTextBytes(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool TAnsiStringList::Find(std::string_view s, int& index) const {
  bool found = false;
  int lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = CompareTextBytes(FList[mid].FString, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (!AcceptDuplicates) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TAnsiStringList::Clear() {
  std::vector<TItem>().swap(FList);
  FCapacity = 0;
}

void TAnsiStringList::AppendText(std::string& out) const {
  for (const auto& it : FList) {
    out += it.FString;
    out += LineBreak;
  }
}

std::string TAnsiStringList::Text() const {
  std::size_t n = 0;
  for (const auto& it : FList) n += it.FString.size() + LineBreak.size();
  std::string r;
  r.reserve(n);
  AppendText(r);
  return r;
}

void TAnsiStringList::SetText(std::string_view text) {
  Clear();
  std::size_t i = 0, start = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      Add(std::string(text.substr(start, i - start)));
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
    ++i;
  }
  if (start < text.size()) Add(std::string(text.substr(start)));
}

void TAnsiStringList::SaveToStream(TStream& stream) const {
  std::string t = Text();
  if (!t.empty()) stream.Write(t.data(), static_cast<std::int64_t>(t.size()));
}

// ---- TBitStream ---------------------------------------------------------------------------------

TBitStream::~TBitStream() {
  try {
    if (FCurrentBit < 32) FlushBits();
  } catch (...) {
  }
}

void TBitStream::Put(std::uint32_t value, int count) {
  if (count <= 0) return;
  if (count > 32) count = 32;
  if (count < 32) value &= (1u << count) - 1;
  if (count <= FCurrentBit) {
    FCurrentBit -= count;
    if (count == 32)
      FBuffer = value;
    else
      FBuffer |= value << FCurrentBit;
    if (FCurrentBit == 0) FlushBits();
  } else {
    int rest = count - FCurrentBit;
    FBuffer |= value >> rest;
    FCurrentBit = 0;
    FlushBits();
    FCurrentBit = 32 - rest;
    FBuffer = value << FCurrentBit;
  }
}

void TBitStream::Put64(std::uint64_t value, int count) {
  if (count <= 32) {
    Put(static_cast<std::uint32_t>(value), count);
  } else {
    Put(static_cast<std::uint32_t>(value), 32);
    Put(static_cast<std::uint32_t>(value >> 32), count - 32);
  }
}

void TBitStream::Write(const void* buffer, int count) {
  auto b = static_cast<const unsigned char*>(buffer);
  if (FCurrentBit == 32) {
    if (count > 0) FStream.Write(b, count);
    return;
  }
  for (int i = 0; i < count; ++i) Put(b[i], 8);
}

void TBitStream::FlushBits() {
  int bits = 32 - FCurrentBit;
  int bytes = (bits + 7) / 8;
  unsigned char out[4] = {static_cast<unsigned char>(FBuffer >> 24),
                          static_cast<unsigned char>(FBuffer >> 16),
                          static_cast<unsigned char>(FBuffer >> 8),
                          static_cast<unsigned char>(FBuffer)};
  FBuffer = 0;
  FCurrentBit = 32;
  if (bytes > 0) FStream.Write(out, bytes);
}

// ---- TObjList -----------------------------------------------------------------------------------

TObject* TObjList::GetItem(int index) const {
  if (index < 0 || index >= Count())
    throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return FItems[index];
}

void TObjList::Clear() {
  if (FOwnsObjects)
    for (TObject* o : FItems) delete o;
  FItems.clear();
}

// ---- bitmaps ------------------------------------------------------------------------------------

void MirrorBitmap(TBitmap& bitmap, bool horizontal, bool vertical) {
  const int w = bitmap.GetWidth(), h = bitmap.GetHeight();
  if (w <= 0 || h <= 0 || (!horizontal && !vertical)) return;
  const std::size_t stride = static_cast<std::size_t>(bitmap.BytesPerScanLine());
  if (vertical) {
    std::vector<std::uint8_t> tmp(stride);
    for (int top = 0, bottom = h - 1; top < bottom; ++top, --bottom) {
      std::uint8_t* a = bitmap.ScanLine(top);
      std::uint8_t* b = bitmap.ScanLine(bottom);
      std::memcpy(tmp.data(), a, stride);
      std::memcpy(a, b, stride);
      std::memcpy(b, tmp.data(), stride);
    }
  }
  if (!horizontal) return;
  const int bits = PixelFormatBits(bitmap.GetPixelFormat());
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = bitmap.ScanLine(y);
    if (bits >= 8) {
      const std::size_t bytes = static_cast<std::size_t>(bits / 8);
      for (int l = 0, r = w - 1; l < r; ++l, --r)
        std::swap_ranges(row + l * bytes, row + (l + 1) * bytes, row + r * bytes);
    } else {
      // Packed pixels, the leftmost in the high bits of a byte.
      const int perByte = 8 / bits, mask = (1 << bits) - 1;
      auto get = [&](int x) {
        return (row[x / perByte] >> (8 - bits - (x % perByte) * bits)) & mask;
      };
      auto put = [&](int x, int v) {
        const int shift = 8 - bits - (x % perByte) * bits;
        row[x / perByte] = static_cast<std::uint8_t>((row[x / perByte] & ~(mask << shift)) | (v << shift));
      };
      for (int l = 0, r = w - 1; l < r; ++l, --r) {
        const int a = get(l), b = get(r);
        put(l, b);
        put(r, a);
      }
    }
  }
}
