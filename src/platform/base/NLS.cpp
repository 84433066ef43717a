#include "platform/base/NLS.h"

#include "platform/base/CodePagePeer.h"
#include "platform/base/IcuConverter.h"
#include "platform/base/Johab.h"
#include "platform/base/NLSTables.h"
#include "platform/base/SysUtils.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/uset.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

std::atomic<UINT> gAnsiCP{1252};
std::atomic<UINT> gOemCP{437};
std::atomic<UINT> gMacCP{10000};
std::atomic<LANGID> gKeyboardLanguage{0x0409};
std::atomic<DWORD> gPlatformId{VER_PLATFORM_WIN32_NT};
std::atomic<DWORD> gMajorVersion{10};
std::atomic<DWORD> gMinorVersion{0};

// ICU names of the code pages whose first alias is not the Windows table.
std::string IcuNameOf(UINT cp) {
  switch (cp) {
    case 874: return "windows-874-2000";
    case 932: return "ibm-943_P15A-2003";
    case 936: return "windows-936-2000";
    case 949: return "windows-949-2000";
    case 950: return "windows-950-2000";
    // The PC (OEM) code pages.
    case 437: case 720: case 737: case 775: case 850: case 852: case 855: case 857: case 858:
    case 860: case 861: case 862: case 863: case 864: case 865: case 866: case 869:
      return "ibm-" + std::to_string(cp);
    case 10000: return "macos-0_2-10.2";
    case 20127: return "US-ASCII";
    case 28591: return "ISO-8859-1";
    case CP_UTF8: return "UTF-8";
    // UTF-16 and UTF-32 are not byte code pages for these interfaces.
    case 1200: case 1201: case 12000: case 12001: return {};
    default: break;
  }
  return "windows-" + std::to_string(cp);
}

using ConverterPtr = icu_converter::Ptr;
using icu_converter::StopAtUnmappable;

// Opening a converter costs far more than a short conversion, so every thread keeps the ones it
// has used. The helper converts the decomposition of an unmappable character.
struct CodePageConverters {
  ConverterPtr Main;
  ConverterPtr Helper;
  // Some tables follow a PC convention that rotates the controls 1A, 1C and 7F; the code pages
  // map them to themselves. DecodedAs[k] is what the table decodes byte kControls[k] to.
  bool RotatedControls = false;
  std::array<UChar, 3> DecodedAs{};
  // False when no byte of a single-byte code page decodes to a combining mark, so decoding
  // needs no composition pass.
  bool MayCombine = true;
  // The Unicode encodings carry every code point as it stands: composing would change the text
  // (and its bytes on saving), so the composition flags do nothing for them.
  bool KeepsCodePoints = false;
  // Single-byte code pages convert by their own table (shared by all threads); the converters
  // then serve only for information.
  const nls_tables::TSingleByteTable* Table = nullptr;
};

constexpr std::array<UChar, 3> kControls{0x1A, 0x1C, 0x7F};

void ProbeControls(CodePageConverters& entry) {
  UConverter* cnv = entry.Main.get();
  for (size_t k = 0; k < kControls.size(); ++k) {
    const char byte = static_cast<char>(kControls[k]);
    UChar out[4];
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(cnv, out, 4, &byte, 1, &err);
    entry.DecodedAs[k] = (U_SUCCESS(err) && n == 1) ? out[0] : kControls[k];
    if (entry.DecodedAs[k] != kControls[k]) entry.RotatedControls = true;
  }
  if (entry.RotatedControls) {
    // Only a pure permutation of the three controls is corrected.
    for (size_t k = 0; k < kControls.size(); ++k)
      if (std::find(kControls.begin(), kControls.end(), entry.DecodedAs[k]) == kControls.end())
        entry.RotatedControls = false;
  }
  ucnv_resetToUnicode(cnv);
}

// Marks with a non-zero combining class among the BMP code units, one bit each: the test runs
// on every character of converted text, where the library's lookup would dominate.
const std::array<std::uint64_t, 1024>& CombiningUnits() {
  static const std::array<std::uint64_t, 1024> bits = [] {
    std::array<std::uint64_t, 1024> b{};
    for (UChar32 c = 0x300; c < 0x10000; ++c)
      if (u_getCombiningClass(c) != 0) b[c >> 6] |= std::uint64_t(1) << (c & 63);
    return b;
  }();
  return bits;
}

bool IsCombiningClassNonZero(UChar32 c) {
  if (c < 0x300) return false;
  if (c > 0xFFFF) return u_getCombiningClass(c) != 0;
  return (CombiningUnits()[static_cast<size_t>(c) >> 6] >> (c & 63)) & 1;
}

// True when some character the code page has both ways is a combining mark (or when the
// library cannot say).
bool HasCombiningMarks(UConverter* cnv) {
  UErrorCode err = U_ZERO_ERROR;
  USet* set = uset_openEmpty();
  ucnv_getUnicodeSet(cnv, set, UCNV_ROUNDTRIP_SET, &err);
  USet* marks = uset_openPattern(u"[:^ccc=0:]", -1, &err);
  const bool result = U_FAILURE(err) || uset_containsSome(set, marks);
  uset_close(set);
  if (marks) uset_close(marks);
  return result;
}

CodePageConverters* ConvertersFor(UINT cp) {
  thread_local std::unordered_map<UINT, CodePageConverters> cache;
  auto it = cache.find(cp);
  if (it != cache.end()) return it->second.Main ? &it->second : nullptr;
  CodePageConverters entry;
  const std::string name = IcuNameOf(cp);
  if (!name.empty()) {
    UErrorCode err = U_ZERO_ERROR;
    entry.Main.reset(ucnv_open(name.c_str(), &err));
    if (U_FAILURE(err)) entry.Main.reset();
    if (entry.Main) {
      err = U_ZERO_ERROR;
      entry.Helper.reset(ucnv_open(name.c_str(), &err));
      if (U_FAILURE(err)) entry.Helper.reset();
      if (entry.Helper) {
        err = U_ZERO_ERROR;
        ucnv_setFromUCallBack(entry.Helper.get(), StopAtUnmappable, nullptr, nullptr,
                              nullptr, &err);
      }
      entry.KeepsCodePoints = cp == CP_UTF8 || cp == 65000 || cp == 54936;
      entry.Table = nls_tables::SingleByteTableFor(cp, entry.Main.get());
      if (entry.Table) {
        entry.MayCombine = entry.Table->MayCombine();
      } else {
        ProbeControls(entry);
        entry.MayCombine = HasCombiningMarks(entry.Main.get());
      }
    }
  }
  auto& slot = cache[cp] = std::move(entry);
  return slot.Main ? &slot : nullptr;
}

// ICU's shared normaliser instance, or null when ICU cannot give it.
const UNormalizer2* Normalizer(const UNormalizer2* (*get)(UErrorCode*)) {
  UErrorCode err = U_ZERO_ERROR;
  const UNormalizer2* r = get(&err);
  return U_SUCCESS(err) ? r : nullptr;
}

const UNormalizer2* Nfc() {
  static const UNormalizer2* n = Normalizer(unorm2_getNFCInstance);
  return n;
}

const UNormalizer2* Nfd() {
  static const UNormalizer2* n = Normalizer(unorm2_getNFDInstance);
  return n;
}

struct ToUnicodeContext {
  UINT CodePage = 0;
  bool Strict = false;
};

void U_CALLCONV ToUnicodeCallback(const void* context, UConverterToUnicodeArgs* args,
                                  const char* codeUnits, int32_t length,
                                  UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  const auto* ctx = static_cast<const ToUnicodeContext*>(context);
  if (length == 1) {
    // A byte the library's table lacks but the code page defines.
    const UChar fixed =
        nls_tables::DecodeCorrection(ctx->CodePage, static_cast<unsigned char>(codeUnits[0]), -1);
    if (fixed) {
      *err = U_ZERO_ERROR;
      ucnv_cbToUWriteUChars(args, &fixed, 1, 0, err);
      return;
    }
  }
  if (ctx->Strict) return;  // the error stops it
  static const UChar replacement = 0xFFFD;
  *err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, err);
}

struct FromUnicodeContext {
  UINT CodePage = 0;
  bool BestFit = false;
  UConverter* Helper = nullptr;
  const char* Default = "?";
  int32_t DefaultLength = 1;
  bool StrictInvalid = false;
  bool UsedDefault = false;
  // Composition on demand: a combining mark the code page lacks stops the conversion, so that
  // text without marks needs no scan for them.
  bool StopAtMarks = false;
  bool StoppedAtMark = false;
};

// Writes c with the stopping helper converter (and the code page's own corrections).
bool EncodeOne(UConverter* helper, UINT cp, UChar32 c, std::string& out) {
  if (U_IS_BMP(c)) {
    const std::string_view fixed = nls_tables::EncodeCorrection(cp, static_cast<char16_t>(c));
    if (!fixed.empty()) {
      out.append(fixed);
      return true;
    }
  }
  UChar units[2];
  int32_t n = 0;
  U16_APPEND_UNSAFE(units, n, c);
  char bytes[16];
  char* target = bytes;
  const UChar* source = units;
  UErrorCode err = U_ZERO_ERROR;
  ucnv_resetFromUnicode(helper);
  ucnv_fromUnicode(helper, &target, bytes + sizeof bytes, &source, units + n, nullptr, true, &err);
  if (U_FAILURE(err)) return false;
  out.append(bytes, static_cast<size_t>(target - bytes));
  return true;
}

// Writes c, or else its canonical decomposition into a letter and marks, one level at a time
// (so that a letter with two marks may use a code page's letter with one of them).
bool EncodeDecomposed(UConverter* helper, UINT cp, UChar32 c, std::string& out, int depth) {
  if (EncodeOne(helper, cp, c, out)) return true;
  if (depth > 4 || !Nfd()) return false;
  UChar parts[8];
  UErrorCode err = U_ZERO_ERROR;
  const int32_t len = unorm2_getRawDecomposition(Nfd(), c, parts, 8, &err);
  if (U_FAILURE(err) || len <= 0) return false;
  UChar32 first;
  int32_t i = 0;
  U16_NEXT(parts, i, len, first);
  if (i == len) return false;  // a singleton is another character, not a letter with marks
  for (int32_t k = i; k < len;) {
    UChar32 mark;
    U16_NEXT(parts, k, len, mark);
    if (u_getCombiningClass(mark) == 0) return false;
  }
  for (i = 0; i < len;) {
    UChar32 part;
    U16_NEXT(parts, i, len, part);
    if (!EncodeDecomposed(helper, cp, part, out, depth + 1)) return false;
  }
  return true;
}

void U_CALLCONV FromUnicodeCallback(const void* context, UConverterFromUnicodeArgs* args,
                                    const UChar*, int32_t, UChar32 codePoint,
                                    UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  auto* ctx = static_cast<FromUnicodeContext*>(const_cast<void*>(context));
  if (reason == UCNV_UNASSIGNED && ctx->StopAtMarks && IsCombiningClassNonZero(codePoint)) {
    ctx->StoppedAtMark = true;
    return;  // the error stops it
  }
  if (reason == UCNV_UNASSIGNED && ctx->Helper) {
    // A character of the code page's own corrections, a precomposed letter the code page lacks
    // written as base plus marks, or else a best-fit form.
    std::string bytes;
    bool done = EncodeDecomposed(ctx->Helper, ctx->CodePage, codePoint, bytes, 0);
    if (!done && ctx->BestFit) {
      UChar32 candidates[4];
      const int n = nls_tables::BestFitCandidates(ctx->CodePage, codePoint, true, candidates);
      for (int i = 0; i < n && !done; ++i) {
        bytes.clear();
        done = EncodeOne(ctx->Helper, ctx->CodePage, candidates[i], bytes);
      }
    }
    if (done) {
      *err = U_ZERO_ERROR;
      ucnv_cbFromUWriteBytes(args, bytes.data(), static_cast<int32_t>(bytes.size()), 0, err);
      return;
    }
  }
  if (reason == UCNV_ILLEGAL && ctx->StrictInvalid) return;  // the error stops it
  ctx->UsedDefault = true;
  *err = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, ctx->Default, ctx->DefaultLength, 0, err);
}

// Joins each base character with the combining marks after it where a precomposed character
// exists (composition exclusions and singletons are left alone, so that compatibility
// ideographs keep their code points).
size_t FirstCombining(std::u16string_view s) {
  // Every unit is below 0x10000: the table alone answers, fetched once for the whole scan.
  const auto& bits = CombiningUnits();
  size_t i = 0;
  for (; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c >= 0x300 && ((bits[c >> 6] >> (c & 63)) & 1)) break;
  }
  return i;
}

void Precompose(UnicodeString& s) {
  const UNormalizer2* nfc = Nfc();
  if (!nfc) return;
  const auto n = static_cast<int32_t>(s.size());
  const auto first = static_cast<int32_t>(FirstCombining(s));
  if (first >= n) return;
  UnicodeString r(s, 0, static_cast<size_t>(first));
  int32_t i = first;
  while (i < n) {
    UChar32 c;
    U16_NEXT(s.data(), i, n, c);
    if (!r.empty() && u_getCombiningClass(c) != 0) {
      int32_t j = static_cast<int32_t>(r.size());
      UChar32 last;
      U16_PREV(r.data(), 0, j, last);
      const UChar32 composed = unorm2_composePair(nfc, last, c);
      if (composed >= 0) {
        r.resize(static_cast<size_t>(j));
        c = composed;
      }
    }
    if (U_IS_BMP(c)) {
      r.push_back(static_cast<char16_t>(c));
    } else {
      r.push_back(U16_LEAD(c));
      r.push_back(U16_TRAIL(c));
    }
  }
  s.swap(r);
}

bool IsCombiningMark(UChar32 c) {
  const int8_t t = u_charType(c);
  return t == U_NON_SPACING_MARK || t == U_ENCLOSING_MARK || t == U_COMBINING_SPACING_MARK;
}

UChar32 CodePointAt(const WideChar* p) {
  if (U16_IS_LEAD(p[0]) && U16_IS_TRAIL(p[1])) return U16_GET_SUPPLEMENTARY(p[0], p[1]);
  return p[0];
}

}  // namespace

// ---- code pages -----------------------------------------------------------------------------

UINT GetACP() { return gAnsiCP.load(); }
UINT GetOEMCP() { return gOemCP.load(); }
UINT GetMacCP() { return gMacCP.load(); }

void SetACP(UINT codePage) {
  if (codePage > CP_THREAD_ACP) gAnsiCP = codePage;
}
void SetOEMCP(UINT codePage) {
  if (codePage > CP_THREAD_ACP) gOemCP = codePage;
}
void SetMacCP(UINT codePage) {
  if (codePage > CP_THREAD_ACP) gMacCP = codePage;
}

UINT ResolveCodePage(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case CP_THREAD_ACP: return GetACP();
    case CP_OEMCP: return GetOEMCP();
    case CP_MACCP: return GetMacCP();
    default: return codePage;
  }
}

bool IsValidCodePage(UINT codePage) {
  const UINT cp = ResolveCodePage(codePage);
  return cp == JohabCodePage ? IsJohabAvailable() : ConvertersFor(cp) != nullptr;
}

BOOL GetCPInfo(UINT codePage, CPINFO* info) {
  if (!info) return false;
  const UINT cp = ResolveCodePage(codePage);
  if (cp == JohabCodePage) {
    if (!IsJohabAvailable()) return false;
    *info = CPINFO{};
    info->MaxCharSize = 2;
    info->DefaultChar[0] = '?';
    std::copy(std::begin(JohabLeadBytes), std::end(JohabLeadBytes), info->LeadByte);
    return true;
  }
  CodePageConverters* c = ConvertersFor(cp);
  if (!c) return false;
  *info = CPINFO{};
  info->MaxCharSize = static_cast<UINT>(ucnv_getMaxCharSize(c->Main.get()));
  info->DefaultChar[0] = '?';
  if (info->MaxCharSize > 1) {
    UBool starters[256];
    UErrorCode err = U_ZERO_ERROR;
    ucnv_getStarters(c->Main.get(), starters, &err);
    if (U_SUCCESS(err)) {
      int k = 0;
      for (int b = 0; b < 256 && k + 1 < MAX_LEADBYTES - 1; ++b) {
        if (!starters[b]) continue;
        int e = b;
        while (e + 1 < 256 && starters[e + 1]) ++e;
        info->LeadByte[k++] = static_cast<BYTE>(b);
        info->LeadByte[k++] = static_cast<BYTE>(e);
        b = e;
      }
    }
  }
  return true;
}

namespace {

// Bytes as the characters the table decodes them to. A string built from two of these measures
// them and decodes straight into its storage: one pass, no zero-filling of the text first.
struct TTableDecodedBytes {
  using iterator_category = std::random_access_iterator_tag;
  using value_type = char16_t;
  using difference_type = std::ptrdiff_t;
  using pointer = const char16_t*;
  using reference = char16_t;
  const nls_tables::TSingleByteTable* Table;
  const unsigned char* P;
  char16_t operator*() const { return Table->Decoded(*P); }
  TTableDecodedBytes& operator++() {
    ++P;
    return *this;
  }
  TTableDecodedBytes operator++(int) {
    TTableDecodedBytes r = *this;
    ++P;
    return r;
  }
  difference_type operator-(const TTableDecodedBytes& Other) const { return P - Other.P; }
  bool operator==(const TTableDecodedBytes& Other) const { return P == Other.P; }
};

bool DecodeSingleByte(const nls_tables::TSingleByteTable& t, DWORD flags, std::string_view src,
                      UnicodeString& out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(src.data());
  const size_t n = src.size();
  if (flags & MB_ERR_INVALID_CHARS)
    for (size_t i = 0; i < n; ++i)
      if (!t.Defined(bytes[i])) return false;
  UnicodeString result(TTableDecodedBytes{&t, bytes}, TTableDecodedBytes{&t, bytes + n});
  if ((flags & MB_PRECOMPOSED) && t.MayCombine()) Precompose(result);
  out.swap(result);
  return true;
}

enum class EncodeResult { Done, NeedsComposition, Invalid };

// One lookup per code unit; everything but the code page's own characters takes the slow way.
// With WC_COMPOSITECHECK a combining mark asks the caller to compose the text first.
EncodeResult EncodeSingleByte(const nls_tables::TSingleByteTable& t, DWORD flags,
                              std::u16string_view src, std::string_view def, std::string& out,
                              bool& used) {
  using T = nls_tables::TSingleByteTable;
  const bool bestFit = (flags & WC_NO_BEST_FIT_CHARS) == 0;
  const bool composite = (flags & WC_COMPOSITECHECK) != 0;
  const size_t n = src.size();
  out.assign(n, '\0');
  char* d = out.data();
  size_t k = 0;
  auto append = [&](std::string_view bytes) {
    if (k + bytes.size() > out.size()) {
      out.resize(std::max(out.size() * 2, k + bytes.size() + 16));
      d = out.data();
    }
    std::memcpy(d + k, bytes.data(), bytes.size());
    k += bytes.size();
  };
  // The code page's own characters up to the first other one: the output cannot have grown yet,
  // so no room check.
  size_t i = 0;
  for (; i < n; ++i) {
    const std::uint16_t e = t.Entry(src[i]);
    if ((e & 0xFF00) != T::Exact) break;
    d[i] = static_cast<char>(e & 0xFF);
  }
  k = i;
  for (; i < n; ++i) {
    const char16_t u = src[i];
    const std::uint16_t e = t.Entry(u);
    if ((e & 0xFF00) == T::Exact) {
      if (k == out.size()) {  // only after sequences made the text longer
        out.resize(out.size() * 2 + 16);
        d = out.data();
      }
      d[k++] = static_cast<char>(e & 0xFF);
      continue;
    }
    const char byte = static_cast<char>(e & 0xFF);
    switch (e & 0xFF00) {
      case T::ExactMark:
        if (composite) return EncodeResult::NeedsComposition;
        append(std::string_view(&byte, 1));
        continue;
      case T::BestFit:
        if (bestFit) {
          append(std::string_view(&byte, 1));
          continue;
        }
        break;
      case T::Sequence: append(t.SequenceOf(u)); continue;
      case T::BestFitSequence:
        if (bestFit) {
          append(t.SequenceOf(u));
          continue;
        }
        break;
      default:
        if (composite && IsCombiningClassNonZero(u)) return EncodeResult::NeedsComposition;
        if (U16_IS_LEAD(u) && i + 1 < n && U16_IS_TRAIL(src[i + 1])) {
          ++i;  // a supplementary character: one default character
        } else if (U16_IS_SURROGATE(u) && (flags & WC_ERR_INVALID_CHARS)) {
          return EncodeResult::Invalid;
        }
        break;
    }
    used = true;
    append(def);
  }
  out.resize(k);
  return EncodeResult::Done;
}

}  // namespace

bool CodePageToUnicode(UINT codePage, DWORD flags, std::string_view src, UnicodeString& out) {
  out.clear();
  const UINT cp = ResolveCodePage(codePage);
  if (cp == JohabCodePage) return JohabToUnicode(src, (flags & MB_ERR_INVALID_CHARS) != 0, out);
  CodePageConverters* c = ConvertersFor(cp);
  if (!c) return false;
  if (src.empty()) return true;
  if (c->Table) return DecodeSingleByte(*c->Table, flags, src, out);
  UConverter* cnv = c->Main.get();
  ToUnicodeContext ctx;
  ctx.CodePage = cp;
  ctx.Strict = (flags & MB_ERR_INVALID_CHARS) != 0;
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setToUCallBack(cnv, ToUnicodeCallback, &ctx, nullptr, nullptr, &err);
  ucnv_resetToUnicode(cnv);
  UnicodeString result(src.size() + 16, u'\0');
  const char* source = src.data();
  const char* sourceEnd = src.data() + src.size();
  UChar* target = reinterpret_cast<UChar*>(result.data());
  for (;;) {
    err = U_ZERO_ERROR;
    ucnv_toUnicode(cnv, &target, reinterpret_cast<UChar*>(result.data()) + result.size(), &source,
                   sourceEnd, nullptr, true, &err);
    if (err != U_BUFFER_OVERFLOW_ERROR) break;
    const auto used = target - reinterpret_cast<UChar*>(result.data());
    result.resize(result.size() * 2);
    target = reinterpret_cast<UChar*>(result.data()) + used;
  }
  if (U_FAILURE(err)) {
    ucnv_resetToUnicode(cnv);
    return false;
  }
  result.resize(static_cast<size_t>(target - reinterpret_cast<UChar*>(result.data())));
  // The three controls are never part of a double-byte character where the table rotates them,
  // so only input that has one of those bytes needs the correction.
  auto hasByte = [&src](char b) { return std::memchr(src.data(), b, src.size()) != nullptr; };
  if (c->RotatedControls && (hasByte(0x1A) || hasByte(0x1C) || hasByte(0x7F))) {
    for (auto& ch : result) {
      if (ch > 0x7F) continue;
      for (size_t k = 0; k < kControls.size(); ++k)
        if (ch == c->DecodedAs[k]) {
          ch = kControls[k];
          break;
        }
    }
  }
  if ((flags & MB_PRECOMPOSED) && c->MayCombine && !c->KeepsCodePoints) Precompose(result);
  out.swap(result);
  return true;
}

bool UnicodeToCodePage(UINT codePage, DWORD flags, std::u16string_view src, std::string& out,
                       const char* defaultChar, bool* usedDefaultChar) {
  out.clear();
  if (usedDefaultChar) *usedDefaultChar = false;
  const UINT cp = ResolveCodePage(codePage);
  if (cp == JohabCodePage) {
    bool used = false;
    const std::string_view def =
        defaultChar && *defaultChar ? std::string_view(defaultChar, std::min<size_t>(std::strlen(defaultChar), 2))
                                    : std::string_view("?");
    if (!UnicodeToJohab(src, (flags & WC_NO_BEST_FIT_CHARS) == 0, def, out, used)) return false;
    if (usedDefaultChar) *usedDefaultChar = used;
    return true;
  }
  CodePageConverters* c = ConvertersFor(cp);
  if (!c) return false;
  if (src.empty()) return true;
  const bool bestFit = (flags & WC_NO_BEST_FIT_CHARS) == 0;
  FromUnicodeContext ctx;
  if (defaultChar && *defaultChar) {
    ctx.Default = defaultChar;
    ctx.DefaultLength = static_cast<int32_t>(std::min<size_t>(std::strlen(defaultChar), 2));
  }
  if (c->Table) {
    const std::string_view def(ctx.Default, static_cast<size_t>(ctx.DefaultLength));
    bool used = false;
    std::string result;
    EncodeResult r = EncodeSingleByte(*c->Table, flags, src, def, result, used);
    if (r == EncodeResult::NeedsComposition) {
      // Base letters with marks are written as the code page's precomposed letters.
      UnicodeString composed(src);
      Precompose(composed);
      used = false;
      r = EncodeSingleByte(*c->Table, flags & ~WC_COMPOSITECHECK, composed, def, result, used);
    }
    if (r != EncodeResult::Done) return false;
    if (usedDefaultChar) *usedDefaultChar = used;
    out.swap(result);
    return true;
  }
  UConverter* cnv = c->Main.get();
  ctx.CodePage = cp;
  ctx.BestFit = bestFit;
  ctx.Helper = c->Helper.get();
  ctx.StrictInvalid = (flags & WC_ERR_INVALID_CHARS) != 0;
  ucnv_setFallback(cnv, bestFit);
  if (ctx.Helper) ucnv_setFallback(ctx.Helper, bestFit);
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setFromUCallBack(cnv, FromUnicodeCallback, &ctx, nullptr, nullptr, &err);
  UnicodeString composed;
  if ((flags & WC_COMPOSITECHECK) && !c->KeepsCodePoints) {
    // Base letters with marks are written as the code page's precomposed letters. When the code
    // page has no marks of its own, any mark reaches the callback, which asks for composition.
    if (c->MayCombine) {
      if (FirstCombining(src) < src.size()) {
        composed.assign(src);
        Precompose(composed);
        src = composed;
      }
    } else {
      ctx.StopAtMarks = true;
    }
  }
  const auto maxChar = static_cast<size_t>(ucnv_getMaxCharSize(cnv));
  std::string result;
  char* target = nullptr;
  for (int pass = 0; pass < 2; ++pass) {
    ucnv_resetFromUnicode(cnv);
    result.resize(src.size() * maxChar + 16);
    const UChar* source = reinterpret_cast<const UChar*>(src.data());
    const UChar* sourceEnd = source + src.size();
    target = result.data();
    for (;;) {
      err = U_ZERO_ERROR;
      ucnv_fromUnicode(cnv, &target, result.data() + result.size(), &source, sourceEnd, nullptr,
                       true, &err);
      if (err != U_BUFFER_OVERFLOW_ERROR) break;
      const auto used = target - result.data();
      result.resize(result.size() * 2);
      target = result.data() + used;
    }
    if (!ctx.StoppedAtMark) break;
    ctx.StoppedAtMark = ctx.StopAtMarks = ctx.UsedDefault = false;
    composed.assign(src);
    Precompose(composed);
    src = composed;
  }
  if (U_FAILURE(err)) {
    ucnv_resetFromUnicode(cnv);
    return false;
  }
  result.resize(static_cast<size_t>(target - result.data()));
  if (c->RotatedControls) {
    // The three controls are never part of a double-byte character here: find them all before
    // putting the code page's bytes in their place.
    std::vector<std::pair<size_t, char>> fixes;
    for (size_t k = 0; k < kControls.size(); ++k) {
      // The library writes the character its table reads from byte kControls[k] as that byte.
      const char written = static_cast<char>(kControls[k]);
      for (const char* p = result.data(); (p = static_cast<const char*>(std::memchr(
                                               p, written, result.data() + result.size() - p)));
           ++p)
        fixes.emplace_back(static_cast<size_t>(p - result.data()), static_cast<char>(c->DecodedAs[k]));
    }
    for (const auto& [at, byte] : fixes) result[at] = byte;
  }
  if (usedDefaultChar) *usedDefaultChar = ctx.UsedDefault;
  out.swap(result);
  return true;
}

std::string UnicodeToAnsiString(std::u16string_view s) {
  std::string out;
  if (!s.empty() && !UnicodeToCodePage(CP_ACP, 0, s, out))
    throw EConvertError(u"Text cannot be converted to the ANSI code page");
  return out;
}

UnicodeString AnsiStringToUnicode(std::string_view s, UINT codePage) {
  UnicodeString out;
  if (!s.empty() && !CodePageToUnicode(IsValidCodePage(codePage) ? codePage : 1252, 0, s, out))
    throw EConvertError(u"Text cannot be converted from its code page");
  return out;
}

namespace {
// The length the system interfaces mean: -1 counts up to and including the terminator.
template <typename C>
size_t SourceLength(const C* src, int srcLen) {
  if (srcLen != -1) return static_cast<size_t>(srcLen);
  size_t n = 0;
  while (src[n]) ++n;
  return n + 1;
}

// Answers the length needed for dstLen 0, copies when the result fits, 0 when it does not.
template <typename S>
int CopyResult(const S& out, typename S::value_type* dst, int dstLen) {
  if (dstLen == 0) return static_cast<int>(out.size());
  if (out.size() > static_cast<size_t>(dstLen)) return 0;
  std::copy(out.begin(), out.end(), dst);
  return static_cast<int>(out.size());
}
}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLen, WideChar* dst,
                        int dstLen) {
  if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && !dst)) return 0;
  UnicodeString out;
  if (!CodePageToUnicode(codePage, flags, std::string_view(src, SourceLength(src, srcLen)), out))
    return 0;
  return CopyResult(out, dst, dstLen);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const WideChar* src, int srcLen, char* dst,
                        int dstLen, const char* defaultChar, BOOL* usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = false;
  if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && !dst)) return 0;
  std::string out;
  bool used = false;
  if (!UnicodeToCodePage(codePage, flags, std::u16string_view(src, SourceLength(src, srcLen)), out,
                         defaultChar, &used))
    return 0;
  if (usedDefaultChar) *usedDefaultChar = used;
  return CopyResult(out, dst, dstLen);
}

// ---- locales and keyboard -------------------------------------------------------------------

namespace {

// Default ANSI code page of a language; -1 for an unknown language, 0 for languages written
// only in Unicode.
int AnsiCodePageOfLanguage(LANGID lang) {
  const WORD primary = PRIMARYLANGID(lang);
  const WORD sub = SUBLANGID(lang);
  switch (primary) {
    case 0x00: return static_cast<int>(GetACP());  // neutral: the user's and system's default
    case 0x04: return (sub == 1 || sub == 3 || sub == 5 || sub == 0x1F) ? 950 : 936;
    case 0x1A: return (sub == 3 || sub == 7 || sub == 8 || sub == 10 || sub == 12) ? 1251 : 1250;
    case 0x2C:
    case 0x43: return sub == 2 ? 1251 : 1254;
    case 0x50: return sub == 2 ? 0 : 1251;
    default: break;
  }
  struct Entry {
    WORD Primary;
    WORD CodePage;
  };
  static constexpr Entry table[] = {
      {0x01, 1256}, {0x02, 1251}, {0x03, 1252}, {0x05, 1250}, {0x06, 1252}, {0x07, 1252},
      {0x08, 1253}, {0x09, 1252}, {0x0A, 1252}, {0x0B, 1252}, {0x0C, 1252}, {0x0D, 1255},
      {0x0E, 1250}, {0x0F, 1252}, {0x10, 1252}, {0x11, 932},  {0x12, 949},  {0x13, 1252},
      {0x14, 1252}, {0x15, 1250}, {0x16, 1252}, {0x17, 1252}, {0x18, 1250}, {0x19, 1251},
      {0x1B, 1250}, {0x1C, 1250}, {0x1D, 1252}, {0x1E, 874},  {0x1F, 1254}, {0x20, 1256},
      {0x21, 1252}, {0x22, 1251}, {0x23, 1251}, {0x24, 1250}, {0x25, 1257}, {0x26, 1257},
      {0x27, 1257}, {0x28, 1251}, {0x29, 1256}, {0x2A, 1258}, {0x2B, 0},    {0x2D, 1252},
      {0x2E, 1252}, {0x2F, 1251}, {0x32, 1252}, {0x34, 1252}, {0x35, 1252}, {0x36, 1252},
      {0x37, 0},    {0x38, 1252}, {0x39, 0},    {0x3A, 0},    {0x3B, 1252}, {0x3C, 1252},
      {0x3E, 1252}, {0x3F, 1251}, {0x40, 1251}, {0x41, 1252}, {0x42, 1250}, {0x44, 1251},
      {0x45, 0},    {0x46, 0},    {0x47, 0},    {0x48, 0},    {0x49, 0},    {0x4A, 0},
      {0x4B, 0},    {0x4C, 0},    {0x4D, 0},    {0x4E, 0},    {0x4F, 0},    {0x52, 1252},
      {0x53, 0},    {0x54, 0},    {0x56, 1252}, {0x57, 0},    {0x5A, 0},    {0x5B, 0},
      {0x5E, 0},    {0x61, 0},    {0x62, 1252}, {0x63, 0},    {0x64, 1252}, {0x65, 0},
      {0x68, 1252}, {0x6A, 1252}, {0x6D, 1251}, {0x6E, 1252}, {0x6F, 1252}, {0x70, 1252},
      {0x78, 0},    {0x7E, 1252}, {0x80, 1256}, {0x81, 0},    {0x82, 1252}, {0x83, 1252},
      {0x84, 1252}, {0x85, 1251}, {0x87, 1252}, {0x88, 1252}, {0x8C, 1256}, {0x92, 1256},
  };
  for (const Entry& e : table)
    if (e.Primary == primary) return e.CodePage;
  return -1;
}

}  // namespace

int GetLocaleInfoW(LCID locale, LCTYPE type, WideChar* data, int cch) {
  if (cch < 0 || (cch > 0 && !data)) return 0;
  if ((type & 0xFFFF) != LOCALE_IDEFAULTANSICODEPAGE) return 0;
  const int cp = AnsiCodePageOfLanguage(LANGIDFROMLCID(locale));
  if (cp < 0) return 0;
  const std::string digits = std::to_string(cp);
  const int needed = static_cast<int>(digits.size()) + 1;
  if (cch == 0) return needed;
  if (cch < needed) return 0;
  for (size_t i = 0; i < digits.size(); ++i) data[i] = static_cast<WideChar>(digits[i]);
  data[digits.size()] = 0;
  return needed;
}

HKL GetKeyboardLayout(DWORD) {
  const HKL lang = gKeyboardLanguage.load();
  return (lang << 16) | lang;
}

void SetKeyboardLayoutLanguage(LANGID language) { gKeyboardLanguage = language; }

// ---- characters -----------------------------------------------------------------------------

const WideChar* CharNextW(const WideChar* p) {
  if (!p || *p == 0) return p;
  const WideChar* q = p + U16_LENGTH(CodePointAt(p));
  while (*q) {
    const UChar32 c = CodePointAt(q);
    if (!IsCombiningMark(c)) break;
    q += U16_LENGTH(c);
  }
  return q;
}

const WideChar* CharPrevW(const WideChar* start, const WideChar* p) {
  if (!start || !p || p <= start) return start;
  auto stepBack = [start](const WideChar* q) {
    --q;
    if (q > start && U16_IS_TRAIL(q[0]) && U16_IS_LEAD(q[-1])) --q;
    return q;
  };
  const WideChar* q = stepBack(p);
  while (q > start && IsCombiningMark(CodePointAt(q))) q = stepBack(q);
  return q;
}

BOOL GetStringTypeExW(LCID, DWORD infoType, const WideChar* src, int srcLen, WORD* charType) {
  if (infoType != CT_CTYPE2 || !src || !charType || srcLen == 0 || srcLen < -1) return false;
  const size_t n = SourceLength(src, srcLen);
  for (size_t i = 0; i < n;) {
    UChar32 c = src[i];
    size_t len = 1;
    if (U16_IS_LEAD(src[i]) && i + 1 < n && U16_IS_TRAIL(src[i + 1])) {
      c = U16_GET_SUPPLEMENTARY(src[i], src[i + 1]);
      len = 2;
    }
    WORD t = C2_NOTAPPLICABLE;
    switch (u_charDirection(c)) {
      case U_LEFT_TO_RIGHT: t = C2_LEFTTORIGHT; break;
      case U_RIGHT_TO_LEFT:
      case U_RIGHT_TO_LEFT_ARABIC: t = C2_RIGHTTOLEFT; break;
      case U_EUROPEAN_NUMBER: t = C2_EUROPENUMBER; break;
      case U_EUROPEAN_NUMBER_SEPARATOR: t = C2_EUROPESEPARATOR; break;
      case U_EUROPEAN_NUMBER_TERMINATOR: t = C2_EUROPETERMINATOR; break;
      case U_ARABIC_NUMBER: t = C2_ARABICNUMBER; break;
      case U_COMMON_NUMBER_SEPARATOR: t = C2_COMMONSEPARATOR; break;
      case U_BLOCK_SEPARATOR: t = C2_BLOCKSEPARATOR; break;
      case U_SEGMENT_SEPARATOR: t = C2_SEGMENTSEPARATOR; break;
      case U_WHITE_SPACE_NEUTRAL: t = C2_WHITESPACE; break;
      case U_OTHER_NEUTRAL:
      case U_LEFT_TO_RIGHT_EMBEDDING:
      case U_LEFT_TO_RIGHT_OVERRIDE:
      case U_RIGHT_TO_LEFT_EMBEDDING:
      case U_RIGHT_TO_LEFT_OVERRIDE:
      case U_POP_DIRECTIONAL_FORMAT:
      case U_FIRST_STRONG_ISOLATE:
      case U_LEFT_TO_RIGHT_ISOLATE:
      case U_RIGHT_TO_LEFT_ISOLATE:
      case U_POP_DIRECTIONAL_ISOLATE: t = C2_OTHERNEUTRAL; break;
      default: t = C2_NOTAPPLICABLE; break;  // marks and boundary neutrals
    }
    for (size_t k = 0; k < len; ++k) charType[i + k] = t;
    i += len;
  }
  return true;
}

namespace {

template <typename Map>
DWORD MapCaseW(WideChar* s, DWORD length, Map map) {
  if (!s) return 0;
  for (DWORD i = 0; i < length;) {
    if (U16_IS_LEAD(s[i]) && i + 1 < length && U16_IS_TRAIL(s[i + 1])) {
      const UChar32 m = map(U16_GET_SUPPLEMENTARY(s[i], s[i + 1]));
      if (!U_IS_BMP(m)) {  // a supplementary letter keeps to two units
        s[i] = U16_LEAD(m);
        s[i + 1] = U16_TRAIL(m);
      }
      i += 2;
      continue;
    }
    const UChar32 m = map(s[i]);
    if (U_IS_BMP(m)) s[i] = static_cast<WideChar>(m);
    ++i;
  }
  return length;
}

// Per code page: the byte of the other case for every byte (the byte itself when none).
struct AnsiCaseTables {
  std::array<unsigned char, 256> Upper{};
  std::array<unsigned char, 256> Lower{};
};

const AnsiCaseTables& CaseTablesFor(UINT cp) {
  thread_local std::unordered_map<UINT, AnsiCaseTables> cache;
  auto it = cache.find(cp);
  if (it != cache.end()) return it->second;
  AnsiCaseTables t;
  for (int b = 0; b < 256; ++b) t.Upper[b] = t.Lower[b] = static_cast<unsigned char>(b);
  for (int b = 'a'; b <= 'z'; ++b) {
    t.Upper[b] = static_cast<unsigned char>(b - 32);
    t.Lower[b - 32] = static_cast<unsigned char>(b);
  }
  CPINFO info;
  if (GetCPInfo(cp, &info) && info.MaxCharSize == 1) {
    for (int b = 0x80; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      UnicodeString u;
      if (!CodePageToUnicode(cp, MB_ERR_INVALID_CHARS, std::string_view(&byte, 1), u) ||
          u.size() != 1)
        continue;
      auto other = [&](UChar32 m, unsigned char& slot) {
        if (m == u[0] || !U_IS_BMP(m)) return;
        std::string back;
        bool used = true;
        const char16_t mc = static_cast<char16_t>(m);
        if (UnicodeToCodePage(cp, WC_NO_BEST_FIT_CHARS, std::u16string_view(&mc, 1), back,
                              nullptr, &used) &&
            !used && back.size() == 1)
          slot = static_cast<unsigned char>(back[0]);
      };
      other(u_toupper(u[0]), t.Upper[b]);
      other(u_tolower(u[0]), t.Lower[b]);
    }
  }
  return cache.emplace(cp, t).first->second;
}

DWORD MapCaseA(char* s, DWORD length, bool upper) {
  if (!s) return 0;
  const AnsiCaseTables& t = CaseTablesFor(GetACP());
  const auto& table = upper ? t.Upper : t.Lower;
  CPINFO info;
  const bool multiByte = GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
  bool lead[256] = {};
  if (multiByte)
    for (int k = 0; k + 1 < MAX_LEADBYTES && info.LeadByte[k]; k += 2)
      for (int b = info.LeadByte[k]; b <= info.LeadByte[k + 1]; ++b) lead[b] = true;
  for (DWORD i = 0; i < length; ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (lead[b]) {
      ++i;  // a double-byte character: its trail byte may look like a letter
      continue;
    }
    s[i] = static_cast<char>(table[b]);
  }
  return length;
}

}  // namespace

DWORD CharUpperBuffW(WideChar* s, DWORD length) {
  return MapCaseW(s, length, [](UChar32 c) { return u_toupper(c); });
}
DWORD CharLowerBuffW(WideChar* s, DWORD length) {
  return MapCaseW(s, length, [](UChar32 c) { return u_tolower(c); });
}
DWORD CharUpperBuffA(char* s, DWORD length) { return MapCaseA(s, length, true); }
DWORD CharLowerBuffA(char* s, DWORD length) { return MapCaseA(s, length, false); }

// ---- version --------------------------------------------------------------------------------

BOOL GetVersionExW(OSVERSIONINFOW* info) {
  if (!info) return false;
  info->dwPlatformId = gPlatformId.load();
  info->dwMajorVersion = gMajorVersion.load();
  info->dwMinorVersion = gMinorVersion.load();
  info->dwBuildNumber = 0;
  return true;
}

void SetReportedVersion(DWORD platformId, DWORD majorVersion, DWORD minorVersion) {
  gPlatformId = platformId;
  gMajorVersion = majorVersion;
  gMinorVersion = minorVersion;
}

// ---- the converter library's own calls ------------------------------------------------------

namespace {
UConverter* PeerConverter(UINT cp) {
  thread_local std::unordered_map<UINT, ConverterPtr> cache;
  auto it = cache.find(cp);
  if (it == cache.end()) {
    ConverterPtr cnv;
    const std::string name = IcuNameOf(cp);
    UErrorCode err = U_ZERO_ERROR;
    if (!name.empty()) cnv.reset(ucnv_open(name.c_str(), &err));
    if (U_FAILURE(err)) cnv.reset();
    it = cache.emplace(cp, std::move(cnv)).first;
  }
  return it->second.get();
}
}  // namespace

bool LibraryCodePageToUnicode(UINT codePage, std::string_view src, UnicodeString& out) {
  UConverter* cnv = PeerConverter(codePage);
  if (!cnv) return false;
  out.resize(src.size() + 1);
  UErrorCode err = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(cnv, reinterpret_cast<UChar*>(out.data()),
                                  static_cast<int32_t>(out.size()), src.data(),
                                  static_cast<int32_t>(src.size()), &err);
  if (U_FAILURE(err)) return false;
  out.resize(static_cast<size_t>(n));
  return true;
}

bool LibraryUnicodeToCodePage(UINT codePage, std::u16string_view src, std::string& out) {
  UConverter* cnv = PeerConverter(codePage);
  if (!cnv) return false;
  out.resize(src.size() * static_cast<size_t>(ucnv_getMaxCharSize(cnv)) + 1);
  UErrorCode err = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(cnv, out.data(), static_cast<int32_t>(out.size()),
                                    reinterpret_cast<const UChar*>(src.data()),
                                    static_cast<int32_t>(src.size()), &err);
  if (U_FAILURE(err)) return false;
  out.resize(static_cast<size_t>(n));
  return true;
}
