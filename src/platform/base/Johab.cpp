#include "platform/base/Johab.h"

#include "platform/base/IcuConverter.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <array>
#include <memory>

namespace {

// ---- the KS X 1001 characters, through code page 949 -------------------------------------------

// A strict converter of code page 949 per thread: it stops at anything it cannot map.
UConverter* KsConverter() {
  thread_local icu_converter::Ptr cnv = [] {
    UErrorCode err = U_ZERO_ERROR;
    icu_converter::Ptr c(ucnv_open("windows-949-2000", &err));
    if (U_FAILURE(err)) return icu_converter::Ptr();
    ucnv_setToUCallBack(c.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    ucnv_setFromUCallBack(c.get(), icu_converter::StopAtUnmappable, nullptr, nullptr, nullptr,
                          &err);
    if (U_FAILURE(err)) return icu_converter::Ptr();
    return c;
  }();
  return cnv.get();
}

// KS X 1001 rows A4 A1..D3 are the compatibility jamo, which Johab writes in its Hangul area.
bool IsKsInJohab(unsigned k1, unsigned k2) {
  if (k2 < 0xA1 || k2 > 0xFE) return false;
  if (k1 == 0xA4 && k2 <= 0xD3) return false;
  return (k1 >= 0xA1 && k1 <= 0xAC) || (k1 >= 0xCA && k1 <= 0xFD);
}

// Each Johab lead byte holds two KS rows: the first row's trail bytes are 31..7E and 91..A0,
// the second row's A1..FE.
bool JohabToKs(unsigned j1, unsigned j2, unsigned& k1, unsigned& k2) {
  if (j1 >= 0xD9 && j1 <= 0xDE)
    k1 = 0xA1 + (j1 - 0xD9) * 2;
  else if (j1 >= 0xE0 && j1 <= 0xF9)
    k1 = 0xCA + (j1 - 0xE0) * 2;
  else
    return false;
  if (j2 >= 0x31 && j2 <= 0x7E) {
    k2 = j2 + 0x70;
  } else if (j2 >= 0x91 && j2 <= 0xA0) {
    k2 = j2 + 0x5E;
  } else if (j2 >= 0xA1 && j2 <= 0xFE) {
    k1 += 1;
    k2 = j2;
  } else {
    return false;
  }
  return IsKsInJohab(k1, k2);
}

void KsToJohab(unsigned k1, unsigned k2, unsigned& j1, unsigned& j2) {
  const unsigned row = k1 <= 0xAC ? k1 - 0xA1 : k1 - 0xCA;
  j1 = (k1 <= 0xAC ? 0xD9 : 0xE0) + row / 2;
  if (row % 2)
    j2 = k2;
  else
    j2 = k2 <= 0xEE ? k2 - 0x70 : k2 - 0x5E;
}

// ---- Hangul by algorithm ----------------------------------------------------------------------

constexpr UChar kSyllableBase = 0xAC00;
constexpr int kMedials = 21, kFinals = 28;
constexpr int kFill = -1, kBad = -2;

// Five-bit medial values of the 21 vowels.
constexpr std::array<unsigned, 21> kMedialValue = {3,  4,  5,  6,  7,  10, 11, 12, 13, 14, 15,
                                                   18, 19, 20, 21, 22, 23, 26, 27, 28, 29};
// Compatibility jamo of the initial and final consonants.
constexpr std::array<UChar, 19> kInitialJamo = {0x3131, 0x3132, 0x3134, 0x3137, 0x3138,
                                                0x3139, 0x3141, 0x3142, 0x3143, 0x3145,
                                                0x3146, 0x3147, 0x3148, 0x3149, 0x314A,
                                                0x314B, 0x314C, 0x314D, 0x314E};
constexpr std::array<UChar, 27> kFinalJamo = {
    0x3131, 0x3132, 0x3133, 0x3134, 0x3135, 0x3136, 0x3137, 0x3139, 0x313A,
    0x313B, 0x313C, 0x313D, 0x313E, 0x313F, 0x3140, 0x3141, 0x3142, 0x3144,
    0x3145, 0x3146, 0x3147, 0x3148, 0x314A, 0x314B, 0x314C, 0x314D, 0x314E};
constexpr UChar kFirstVowelJamo = 0x314F;

int InitialIndex(unsigned v) { return v == 1 ? kFill : (v >= 2 && v <= 20 ? int(v) - 2 : kBad); }

int MedialIndex(unsigned v) {
  if (v == 2) return kFill;
  const auto it = std::find(kMedialValue.begin(), kMedialValue.end(), v);
  return it == kMedialValue.end() ? kBad : int(it - kMedialValue.begin());
}

// 0 for no final consonant.
int FinalIndex(unsigned v) {
  if (v == 1) return 0;
  if (v >= 2 && v <= 17) return int(v) - 1;
  if (v >= 19 && v <= 29) return int(v) - 2;
  return kBad;
}

unsigned FinalValue(int index) {
  return index == 0 ? 1u : (index <= 16 ? unsigned(index) + 1 : unsigned(index) + 2);
}

bool IsInitialJamo(UChar c) {
  return std::find(kInitialJamo.begin(), kInitialJamo.end(), c) != kInitialJamo.end();
}

// The character of a code in the Hangul area, or 0 when the code is not defined.
UChar DecodeHangul(unsigned code) {
  const int i = InitialIndex((code >> 10) & 31);
  const int m = MedialIndex((code >> 5) & 31);
  const int f = FinalIndex(code & 31);
  if (i == kBad || m == kBad || f == kBad) return 0;
  if (i >= 0 && m >= 0) return static_cast<UChar>(kSyllableBase + (i * kMedials + m) * kFinals + f);
  if (i >= 0 && m == kFill && f == 0) return kInitialJamo[static_cast<size_t>(i)];
  if (i == kFill && m >= 0 && f == 0) return static_cast<UChar>(kFirstVowelJamo + m);
  if (i == kFill && m == kFill && f > 0) {
    // Consonants that can begin a syllable are written in their initial form only.
    const UChar jamo = kFinalJamo[static_cast<size_t>(f - 1)];
    return IsInitialJamo(jamo) ? 0 : jamo;
  }
  return 0;
}

// The Hangul-area code of a syllable or compatibility jamo, or 0.
unsigned EncodeHangul(UChar c) {
  auto code = [](unsigned i, unsigned m, unsigned f) { return 0x8000u | (i << 10) | (m << 5) | f; };
  if (c >= kSyllableBase && c < kSyllableBase + 11172) {
    const int s = c - kSyllableBase;
    return code(unsigned(s / (kMedials * kFinals)) + 2, kMedialValue[size_t(s % (kMedials * kFinals) / kFinals)],
                FinalValue(s % kFinals));
  }
  if (c >= kFirstVowelJamo && c < kFirstVowelJamo + kMedials)
    return code(1, kMedialValue[size_t(c - kFirstVowelJamo)], 1);
  const auto in = std::find(kInitialJamo.begin(), kInitialJamo.end(), c);
  if (in != kInitialJamo.end()) return code(unsigned(in - kInitialJamo.begin()) + 2, 2, 1);
  const auto fin = std::find(kFinalJamo.begin(), kFinalJamo.end(), c);
  if (fin != kFinalJamo.end()) return code(1, 2, FinalValue(int(fin - kFinalJamo.begin()) + 1));
  return 0;
}

bool IsHangulTrail(unsigned b) { return (b >= 0x41 && b <= 0x7E) || (b >= 0x81 && b <= 0xFE); }

bool IsWellFormedPair(unsigned lead, unsigned trail) {
  if (lead >= 0x84 && lead <= 0xD3) return IsHangulTrail(trail);
  if ((lead >= 0xD8 && lead <= 0xDE) || (lead >= 0xE0 && lead <= 0xF9))
    return (trail >= 0x31 && trail <= 0x7E) || (trail >= 0x91 && trail <= 0xFE);
  return false;
}

}  // namespace

bool IsJohabAvailable() { return KsConverter() != nullptr; }

bool JohabToUnicode(std::string_view src, bool strict, UnicodeString& out) {
  out.clear();
  UConverter* ks = KsConverter();
  if (!ks) return false;
  out.reserve(src.size());
  const size_t n = src.size();
  for (size_t i = 0; i < n;) {
    const unsigned b = static_cast<unsigned char>(src[i]);
    if (b < 0x80) {
      out.push_back(b == 0x5C ? u'\u20A9' : static_cast<char16_t>(b));  // 5C is the won sign
      ++i;
      continue;
    }
    UChar c = 0;
    const unsigned t = i + 1 < n ? static_cast<unsigned char>(src[i + 1]) : 0x100;
    if (b >= 0x84 && b <= 0xD3 && IsHangulTrail(t)) {
      c = DecodeHangul((b << 8) | t);
    } else if (unsigned k1, k2; t < 0x100 && JohabToKs(b, t, k1, k2)) {
      const char pair[2] = {static_cast<char>(k1), static_cast<char>(k2)};
      UChar u[2];
      UErrorCode err = U_ZERO_ERROR;
      if (ucnv_toUChars(ks, u, 2, pair, 2, &err) == 1 && U_SUCCESS(err)) c = u[0];
    }
    if (c) {
      out.push_back(c);
      i += 2;
      continue;
    }
    if (strict) {
      out.clear();
      return false;
    }
    // A well-formed pair that means nothing is skipped whole, so that its trail byte is not
    // read as the start of another character.
    out.push_back(u'\uFFFD');
    i += IsWellFormedPair(b, t) ? 2 : 1;
  }
  return true;
}

bool UnicodeToJohab(std::u16string_view src, bool bestFit, std::string_view defaultChar,
                    std::string& out, bool& usedDefault) {
  out.clear();
  usedDefault = false;
  UConverter* ks = KsConverter();
  if (!ks) return false;
  ucnv_setFallback(ks, bestFit);
  out.reserve(src.size() * 2);
  for (size_t i = 0; i < src.size(); ++i) {
    const UChar c = src[i];
    if (c < 0x80 && c != 0x5C) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (c == 0x20A9 || (c == 0x5C && bestFit)) {
      out.push_back('\x5C');
      continue;
    }
    if (const unsigned code = EncodeHangul(c)) {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
      continue;
    }
    char bytes[4];
    UErrorCode err = U_ZERO_ERROR;
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < src.size();
    const int32_t len = ucnv_fromUChars(ks, bytes, 4, &src[i], pair ? 2 : 1, &err);
    if (U_SUCCESS(err) && len == 2 &&
        IsKsInJohab(static_cast<unsigned char>(bytes[0]), static_cast<unsigned char>(bytes[1]))) {
      unsigned j1, j2;
      KsToJohab(static_cast<unsigned char>(bytes[0]), static_cast<unsigned char>(bytes[1]), j1, j2);
      out.push_back(static_cast<char>(j1));
      out.push_back(static_cast<char>(j2));
    } else if (U_SUCCESS(err) && len == 1 && bestFit && static_cast<unsigned char>(bytes[0]) < 0x80) {
      out.push_back(bytes[0]);  // a best fit to ASCII
    } else {
      out.append(defaultChar);
      usedDefault = true;
    }
    if (pair && c >= 0xD800 && c <= 0xDBFF && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) ++i;
  }
  return true;
}
