#include "engine/foundation/RVUni.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/foundation/RVError.h"
#include "platform/base/NLS.h"
#include "platform/base/SysUtils.h"

bool IsWinNT = true;
bool IsWinVistaOrLater = true;
bool IsWin10OrLater = true;
int RefCanvasScaleFactor = 100;
int FormatCanvasPixelsPerInch = 9600;
TRVSoftHyphensShownQuery SoftHyphensShownQuery = nullptr;

void InitUnicodeHelpers() {
  OSVERSIONINFOW info;
  GetVersionExW(&info);
  IsWinNT = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  IsWinVistaOrLater = IsWinNT && info.dwMajorVersion > 5;
  IsWin10OrLater = IsWinNT && info.dwMajorVersion > 9;
  if (!IsWinNT) {
    RefCanvasScaleFactor = 10;
    FormatCanvasPixelsPerInch = 960;
  }
}

// ---- locales and character sets -------------------------------------------------------------

LANGID MakeLangId(WORD primary, WORD sublanguage) {
  return static_cast<LANGID>((static_cast<unsigned>(sublanguage) << 10) | (primary & 0x3FF));
}

LCID MakeLocaleId(LANGID language, WORD sort) {
  return (static_cast<LCID>(sort) << 16) | language;
}

LCID LocaleOfLanguage(WORD primary) { return MakeLocaleId(MakeLangId(primary, 1), 0); }

bool IsMultiByteCodePage() {
  CPINFO info;
  return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
}

TRVCodePage CharsetToCodePage(TFontCharset charset) {
  switch (charset) {
    case 0:
    case 254: return 1252;
    case 2: return IsMultiByteCodePage() ? 1252 : 0;
    case 77: return CP_MACCP;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return CP_OEMCP;
    default: return CP_ACP;
  }
}

LANGID CharsetToLanguageId(TFontCharset charset) {
  switch (charset) {
    case 0:
    case 1:
    case 178:
    case 186:
    case 238: return 0;
    case 128: return 1041;
    case 129: return 1042;
    case 130: return 2066;
    case 134: return 2052;
    case 136: return 1028;
    case 161: return 1032;
    case 162: return 1055;
    case 163: return 1066;
    case 177: return 1037;
    case 204: return 1049;
    case 222: return 1054;
    default: return 1024;
  }
}

TRVCodePage LocaleAnsiCodePage(LCID locale) {
  WideChar buf[16] = {};
  const int n = GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE, buf, 16);
  int cp = 0;
  if (n > 0 && TryStrToInt(std::u16string_view(buf, static_cast<std::size_t>(n - 1)), cp))
    return static_cast<TRVCodePage>(cp);
  return GetACP();
}

TRVCodePage KeyboardCodePage() {
  return LocaleAnsiCodePage(static_cast<LCID>(GetKeyboardLayout(0) & 0xFFFF));
}

// ---- conversions ----------------------------------------------------------------------------

TRVUnicodeString AnsiToUnicodeCP(TRVCodePage codePage, std::string_view s) {
  if (s.empty()) return {};
  TRVUnicodeString r;
  if (CodePageToUnicode(codePage, MB_PRECOMPOSED, s, r)) return r;
  if (codePage != CP_ACP && CodePageToUnicode(CP_ACP, MB_PRECOMPOSED, s, r)) return r;
  return TRVUnicodeString(s.size(), u'?');
}

TRVRawByteString UnicodeToAnsiCP(TRVCodePage codePage, std::u16string_view s) {
  if (s.empty()) return {};
  TRVRawByteString r;
  if (UnicodeToCodePage(codePage, WC_COMPOSITECHECK, s, r, "?")) return r;
  if (codePage != CP_ACP && UnicodeToCodePage(CP_ACP, WC_COMPOSITECHECK, s, r, "?")) return r;
  return TRVRawByteString(s.size(), '?');
}

bool TryUnicodeToAnsiCP(TRVCodePage codePage, const TRVUnicodeString& s, TRVRawByteString& out) {
  out.clear();
  if (s.empty()) return true;
  bool usedDefault = false;
  if (!UnicodeToCodePage(codePage, WC_NO_BEST_FIT_CHARS | WC_COMPOSITECHECK, s, out, "?",
                         &usedDefault)) return false;
  return !usedDefault;
}

TRVUnicodeString KeyboardAnsiToUnicode(const TRVRawByteString& s) {
  return AnsiToUnicodeCP(KeyboardCodePage(), s);
}

TRVUnicodeString AnsiToSymbolUnicode(const TRVRawByteString& s) {
  TRVUnicodeString r(s.size(), u'\0');
  for (std::size_t i = 0; i < s.size(); ++i)
    r[i] = static_cast<WideChar>(0xF000 + static_cast<unsigned char>(s[i]));
  return r;
}

TRVUnicodeString BytesToUnicode(const TRVRawByteString& s, bool utf8) {
  return utf8 ? UTF8ToUnicode(s) : AnsiToUnicodeCP(CP_ACP, s);
}

TRVRawByteString UnicodeToBytes(const TRVUnicodeString& s, bool utf8) {
  return utf8 ? UnicodeToUtf8(s) : UnicodeToAnsiCP(CP_ACP, s);
}

TRVUnicodeString UTF8ToUnicode(const TRVRawByteString& s) { return Utf8ToUnicode(s); }

TRVUnicodeString UnicodeToStringCP(const TRVUnicodeString& s, TRVCodePage) { return s; }
TRVUnicodeString StringToUnicodeCP(const TRVUnicodeString& s, TRVCodePage) { return s; }
TRVUnicodeString UnicodeToString(const TRVUnicodeString& s) { return s; }
TRVUnicodeString StringToUnicode(const TRVUnicodeString& s) { return s; }

namespace {

[[noreturn]] void RaiseUnicodeError() { throw EViroZereError(u"Can't perform Unicode operation"); }

}  // namespace

TRVUnicodeString RawBytesToUnicode(const TRVRawByteString& s) {
  if (s.size() % 2) RaiseUnicodeError();
  return Utf16LEToUnicode(s);
}

TRVRawByteString UnicodeToRawBytes(const TRVUnicodeString& s) { return UnicodeToUtf16LE(s); }

void SwapUTF16Bytes(WideChar* p, int count) {
  if (!p) return;
  for (int i = 0; i < count; ++i) p[i] = static_cast<WideChar>((p[i] >> 8) | (p[i] << 8));
}

WideChar* SkipUnicodeBOM(TRVUnicodeString& s) {
  WideChar* p = s.data();
  if (s.empty()) return p;
  if (p[0] == 0xFEFF) return p + 1;
  if (p[0] == 0xFFFE) {
    SwapUTF16Bytes(p + 1, static_cast<int>(s.size()) - 1);
    return p + 1;
  }
  return p;
}

// ---- streams and files ----------------------------------------------------------------------

TRVUnicodeString ReadUnicodeStreamRest(TStream& stream) {
  const std::int64_t count = stream.GetSize() - stream.GetPosition();
  if (count <= 0) return {};
  if (count % 2) RaiseUnicodeError();
  TRVUnicodeString r(static_cast<std::size_t>(count / 2), u'\0');
  stream.ReadBuffer(r.data(), count);
  // The bytes are little-endian UTF-16.
  if constexpr (std::endian::native == std::endian::big)
    SwapUTF16Bytes(r.data(), static_cast<int>(r.size()));
  return r;
}

TRVRawByteString ReadUnicodeStreamAsAnsi(TStream& stream, TRVCodePage codePage) {
  return UnicodeToAnsiCP(codePage, ReadUnicodeStreamRest(stream));
}

void UnicodeStreamToAnsiStream(TStream& source, TStream& target, TRVCodePage codePage) {
  const TRVRawByteString bytes = ReadUnicodeStreamAsAnsi(source, codePage);
  if (!bytes.empty()) target.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

TRVUnicodeTestResult TestUnicodeStream(TStream& stream) {
  try {
    const std::int64_t size = stream.GetSize();
    if (size == 0) return rvutrEmpty;
    if (size % 2) return rvutrOddSize;
    unsigned char mark[2];
    stream.ReadBuffer(mark, 2);
    const unsigned value = mark[0] | (mark[1] << 8);
    if (value == 0xFEFF || value == 0xFFFE) return rvutrUnicode;
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(size - 2, 500));
    std::string sample(count, '\0');
    if (count) stream.ReadBuffer(sample.data(), static_cast<std::int64_t>(count));
    return sample.find('\0') != std::string::npos ? rvutrUnicode : rvutrNotUnicode;
  } catch (...) {
    RVRethrowUnlessDataError();
    return rvutrError;
  }
}

TRVUnicodeTestResult TestUnicodeFile(const TRVUnicodeString& fileName) {
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    return TestUnicodeStream(stream);
  } catch (...) {
    RVRethrowUnlessDataError();
    return rvutrError;
  }
}

bool StreamHasUTF8BOM(TStream& stream) {
  try {
    if (stream.GetSize() < 3) return false;
    unsigned char bom[3];
    if (stream.Read(bom, 3) != 3) return false;
    return bom[0] == 0xEF && bom[1] == 0xBB && bom[2] == 0xBF;
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
}

bool FileHasUTF8BOM(const TRVUnicodeString& fileName) {
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    return StreamHasUTF8BOM(stream);
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
}

// ---- characters -----------------------------------------------------------------------------

TRVUnicodeString CodePointToUTF16(DWORD codePoint) {
  if (codePoint <= 0xFFFF) return TRVUnicodeString(1, static_cast<WideChar>(codePoint));
  const DWORD v = codePoint - 0x10000;
  return {static_cast<WideChar>(0xD800 + ((v >> 10) & 0x3FF)),
          static_cast<WideChar>(0xDC00 + (v & 0x3FF))};
}

DWORD SurrogatePairToCodePoint(WideChar high, WideChar low) {
  if (!IsHighSurrogate(high) || !IsLowSurrogate(low)) return 0;
  return 0x10000 + ((static_cast<DWORD>(high) & 0x3FF) << 10) + (static_cast<DWORD>(low) & 0x3FF);
}

bool IsHighSurrogate(WideChar c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(WideChar c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsApostrophe(WideChar c) { return c == 0x0027 || c == 0x0092 || c == 0x2019; }

const WideChar* NextCharPtr(const WideChar* p) {
  if (IsHighSurrogate(*p)) return IsLowSurrogate(p[1]) ? p + 2 : p + 1;
  const WideChar* next = IsWinNT ? CharNextW(p) : p + 1;
  if (next == p) next = p + 1;  // at the terminator: one unit on, as without the system's step
  if (IsLowSurrogate(*next)) {
    if (next == p + 1)
      ++next;
    else
      --next;
  }
  return next;
}

const WideChar* PrevCharPtr(const WideChar* start, const WideChar* p) {
  if (p <= start) return p;
  if (IsLowSurrogate(*p)) --p;
  if (p <= start) return p;
  const WideChar* prev = IsWinNT ? CharPrevW(start, p) : p - 1;
  if (prev > start && IsLowSurrogate(*prev)) --prev;
  return prev;
}

void TransformTextForDisplay(const TRVUnicodeString& s, bool allCaps, bool atLineEnd,
                             TRVUnicodeString& result, int& pos1, int& pos2, bool skip,
                             bool removeInvisibles, bool showSoftHyphens) {
  result = s;
  if (skip) return;
  if (SoftHyphensShownQuery && !SoftHyphensShownQuery()) showSoftHyphens = false;
  if (allCaps && IsWinNT) CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
  const std::size_t n = result.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (result[i] == 0x2011) {
      result[i] = u'-';
    } else if (result[i] == 0x00AD) {
      if (i + 1 == n && atLineEnd)
        result[i] = u'-';
      else if (showSoftHyphens)
        result[i] = 0x00AC;
    }
  }
  if (!removeInvisibles) return;
  for (std::size_t k = n; k-- > 0;) {
    const WideChar c = result[k];
    if (c == 0x00AD || (!IsWinVistaOrLater && (c == 0x200B || c == 0x2060))) {
      result.erase(k, 1);
      const int i = static_cast<int>(k) + 1;
      if (pos1 > i) --pos1;
      if (pos2 > i) --pos2;
    }
  }
}

void TransformTextForDisplaySimple(const TRVUnicodeString& s, bool allCaps, bool atLineEnd,
                                   TRVUnicodeString& result, bool skip, bool removeInvisibles,
                                   bool showSoftHyphens) {
  int pos1 = 0, pos2 = 0;
  TransformTextForDisplay(s, allCaps, atLineEnd, result, pos1, pos2, skip, removeInvisibles,
                          showSoftHyphens);
}

TRVESearchOptions FindOptionsToSearchOptions(const TFindOptions& options) {
  TRVESearchOptions r{rvseoMultiItem, rvseoSmartStart};
  if (options.Contains(frMatchCase)) r.Include(rvseoMatchCase);
  if (options.Contains(frDown)) r.Include(rvseoDown);
  if (options.Contains(frWholeWord)) r.Include(rvseoWholeWord);
  return r;
}
