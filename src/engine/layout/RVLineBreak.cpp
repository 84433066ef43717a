#include "engine/layout/RVLineBreak.h"

#include <array>

#include "platform/base/UnicodeLineBreak.h"

// clang-format off
const std::uint8_t RVLineBreakPairs[RVLineBreakClassCount * RVLineBreakClassCount] = {
//  0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15 16 17 18 19 20 21 22 23   after / before
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 4, 4,  // 0
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 4, 4,  // 1
    0, 0, 2, 1, 1, 2, 2, 2, 2, 0, 1, 0, 0, 2, 0, 0, 1, 1, 0, 0, 2, 1, 4, 4,  // 2
    2, 2, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 4, 4,  // 3
    1, 1, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 4, 4,  // 4
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1, 4, 4,  // 5
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1, 4, 4,  // 6
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 0, 0, 0, 1, 1, 0, 0, 2, 1, 4, 4,  // 7
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1, 4, 4,  // 8
    1, 1, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 1, 1, 0, 1, 1, 0, 0, 2, 1, 4, 4,  // 9
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 2, 1, 4, 4,  // 10
    1, 0, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1, 4, 4,  // 11
    1, 0, 2, 1, 1, 1, 2, 2, 2, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1, 4, 4,  // 12
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 2, 0, 1, 1, 1, 0, 0, 2, 1, 4, 4,  // 13
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 1, 0, 0, 0, 0, 1, 1, 1, 0, 0, 2, 1, 4, 4,  // 14
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 2, 1, 4, 4,  // 15
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1, 4, 4,  // 16
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1, 4, 4,  // 17
    1, 1, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 4, 4,  // 18
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 2, 2, 1, 4, 4,  // 19
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 4, 4,  // 20
    0, 0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1, 4, 4,  // 21
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,  // 22
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 2, 4,  // 23
};
// clang-format on

namespace {

constexpr WideChar Space = u' ';

// ---- the class table ------------------------------------------------------------------------

// Classes of U+0000 to U+00FF, complete: every unit not named here is alphabetic.
void FillLatin1(std::uint8_t* t) {
  for (int c = 0; c <= 0xFF; ++c) t[c] = rvlbAlphabetic;
  for (int c = 0x00; c <= 0x08; ++c) t[c] = rvlbCombining;
  t[0x09] = rvlbBreakAfter;
  t[0x0B] = rvlbCombining;
  for (int c = 0x0E; c <= 0x1F; ++c) t[c] = rvlbCombining;
  for (int c = 0x7F; c <= 0x9F; ++c) t[c] = rvlbCombining;
  for (int c = '0'; c <= '9'; ++c) t[c] = rvlbNumeric;
  t[u'('] = t[u'['] = t[u'{'] = rvlbOpenNarrow;
  t[u')'] = t[u']'] = t[u'}'] = rvlbClose;
  t[0x22] = t[0x27] = t[0xAB] = t[0xBB] = rvlbQuote;
  t[u'$'] = t[0xA0] = rvlbGlue;
  t[u'?'] = rvlbExclamation;
  t[u'/'] = rvlbSolidus;
  t[u'+'] = t[u'\\'] = t[0xA3] = t[0xA4] = t[0xA5] = t[0xB1] = rvlbPrefix;
  t[u'%'] = t[0xA2] = t[0xB0] = rvlbPostfix;
  t[u'!'] = t[u','] = t[u'.'] = t[u':'] = t[u';'] = rvlbPunctuation;
  t[u'-'] = rvlbHyphen;
  t[u'|'] = t[0xAD] = rvlbBreakAfter;
  t[0xB4] = rvlbBreakBefore;
}

// The platform's Unicode line-break property folded onto our classes. The table keeps an older
// set of classes: what it lacks becomes the nearest one it has (infix separators join the
// sentence punctuation, Hangul jamo the ideographs or the marks), and every class for which
// it has no rules (spaces, line ends, complex-context scripts, ambiguous width) is alphabetic.
std::uint8_t FromUnicode(TUnicodeLineBreak lb) {
  using L = TUnicodeLineBreak;
  switch (lb) {
    case L::OP: return rvlbOpen;
    case L::CL:
    case L::CP: return rvlbClose;
    case L::QU: return rvlbQuote;
    case L::GL:
    case L::WJ: return rvlbGlue;
    case L::NS:
    case L::CJ: return rvlbNonStarter;
    case L::EX: return rvlbExclamation;
    case L::SY: return rvlbSolidus;
    case L::IS: return rvlbPunctuation;
    case L::PR: return rvlbPrefix;
    case L::PO: return rvlbPostfix;
    case L::NU: return rvlbNumeric;
    case L::ID:
    case L::H2:
    case L::H3:
    case L::JL:
    case L::EB:
    case L::EM: return rvlbIdeographic;
    case L::IN: return rvlbInseparable;
    case L::HY: return rvlbHyphen;
    case L::BA: return rvlbBreakAfter;
    case L::BB: return rvlbBreakBefore;
    case L::B2: return rvlbBreakBoth;
    case L::ZW: return rvlbZeroWidthSpace;
    case L::CM:
    case L::ZWJ:
    case L::JV:
    case L::JT:
    case L::VF:
    case L::VI: return rvlbCombining;
    default: return rvlbAlphabetic;
  }
}

struct TRange {
  char16_t First, Last;
  std::uint8_t Class;
};

// Code units above U+00FF whose class the table fixes whatever the Unicode data say.
constexpr TRange FixedClasses[] = {
    // other opening punctuation
    {0x201A, 0x201A, rvlbOpen}, {0x201E, 0x201E, rvlbOpen}, {0x2045, 0x2045, rvlbOpen},
    {0x207D, 0x207D, rvlbOpen}, {0x208D, 0x208D, rvlbOpen}, {0x2329, 0x2329, rvlbOpen},
    {0x2768, 0x2768, rvlbOpen}, {0x3008, 0x3008, rvlbOpen}, {0x300A, 0x300A, rvlbOpen},
    {0x300C, 0x300C, rvlbOpen}, {0x300E, 0x300E, rvlbOpen}, {0x3010, 0x3010, rvlbOpen},
    {0x3014, 0x3014, rvlbOpen}, {0x3016, 0x3016, rvlbOpen}, {0x3018, 0x3018, rvlbOpen},
    {0x301A, 0x301A, rvlbOpen}, {0x301D, 0x301D, rvlbOpen}, {0xFD3E, 0xFD3E, rvlbOpen},
    {0xFE35, 0xFE35, rvlbOpen}, {0xFE37, 0xFE37, rvlbOpen}, {0xFE39, 0xFE39, rvlbOpen},
    {0xFE3B, 0xFE3B, rvlbOpen}, {0xFE3D, 0xFE3D, rvlbOpen}, {0xFE3F, 0xFE3F, rvlbOpen},
    {0xFE41, 0xFE41, rvlbOpen}, {0xFE43, 0xFE43, rvlbOpen}, {0xFE59, 0xFE59, rvlbOpen},
    {0xFE5B, 0xFE5B, rvlbOpen}, {0xFE5D, 0xFE5D, rvlbOpen}, {0xFF08, 0xFF08, rvlbOpen},
    {0xFF3B, 0xFF3B, rvlbOpen}, {0xFF5B, 0xFF5B, rvlbOpen}, {0xFF5F, 0xFF5F, rvlbOpen},
    {0xFF62, 0xFF62, rvlbOpen},
    // closing punctuation: the matching right brackets, ideographic comma and full stop
    {0x2046, 0x2046, rvlbClose}, {0x207E, 0x207E, rvlbClose}, {0x208E, 0x208E, rvlbClose},
    {0x232A, 0x232A, rvlbClose}, {0x2769, 0x2769, rvlbClose}, {0x3001, 0x3002, rvlbClose},
    {0x3009, 0x3009, rvlbClose}, {0x300B, 0x300B, rvlbClose}, {0x300D, 0x300D, rvlbClose},
    {0x300F, 0x300F, rvlbClose}, {0x3011, 0x3011, rvlbClose}, {0x3015, 0x3015, rvlbClose},
    {0x3017, 0x3017, rvlbClose}, {0x3019, 0x3019, rvlbClose}, {0x301B, 0x301B, rvlbClose},
    {0x301E, 0x301F, rvlbClose}, {0xFD3F, 0xFD3F, rvlbClose}, {0xFE36, 0xFE36, rvlbClose},
    {0xFE38, 0xFE38, rvlbClose}, {0xFE3A, 0xFE3A, rvlbClose}, {0xFE3C, 0xFE3C, rvlbClose},
    {0xFE3E, 0xFE3E, rvlbClose}, {0xFE40, 0xFE40, rvlbClose}, {0xFE42, 0xFE42, rvlbClose},
    {0xFE44, 0xFE44, rvlbClose}, {0xFE50, 0xFE50, rvlbClose}, {0xFE52, 0xFE52, rvlbClose},
    {0xFE5A, 0xFE5A, rvlbClose}, {0xFE5C, 0xFE5C, rvlbClose}, {0xFE5E, 0xFE5E, rvlbClose},
    {0xFF09, 0xFF09, rvlbClose}, {0xFF0C, 0xFF0C, rvlbClose}, {0xFF0E, 0xFF0E, rvlbClose},
    {0xFF3D, 0xFF3D, rvlbClose}, {0xFF5D, 0xFF5D, rvlbClose}, {0xFF60, 0xFF61, rvlbClose},
    {0xFF63, 0xFF64, rvlbClose},
    // quotation marks
    {0x2018, 0x2019, rvlbQuote}, {0x201B, 0x201D, rvlbQuote}, {0x201F, 0x201F, rvlbQuote},
    {0x2039, 0x203A, rvlbQuote}, {0x23B6, 0x23B6, rvlbQuote}, {0x275B, 0x275E, rvlbQuote},
    // glue
    {0x0F0C, 0x0F0C, rvlbGlue}, {0x2007, 0x2007, rvlbGlue}, {0x2011, 0x2011, rvlbGlue},
    {0x202F, 0x202F, rvlbGlue}, {0x2060, 0x2060, rvlbGlue}, {0xFEFF, 0xFEFF, rvlbGlue},
    // non-starters named besides the kana and sound marks
    {0x203C, 0x203C, rvlbNonStarter}, {0x2044, 0x2044, rvlbNonStarter},
    {0xFF1A, 0xFF1B, rvlbNonStarter},
    // exclamation and interrogation
    {0x2762, 0x2763, rvlbExclamation}, {0xFE56, 0xFE57, rvlbExclamation},
    {0xFF01, 0xFF01, rvlbExclamation}, {0xFF1F, 0xFF1F, rvlbExclamation},
    // prefixes: currency signs before U+20B2 (the peseta sign is a postfix) and the rest
    {0x09F2, 0x09F3, rvlbPrefix}, {0x0E3F, 0x0E3F, rvlbPrefix}, {0x17DB, 0x17DB, rvlbPrefix},
    {0x20A0, 0x20A6, rvlbPrefix}, {0x20A8, 0x20B1, rvlbPrefix}, {0x2116, 0x2116, rvlbPrefix},
    {0x2212, 0x2213, rvlbPrefix}, {0xFE69, 0xFE69, rvlbPrefix}, {0xFF04, 0xFF04, rvlbPrefix},
    {0xFFE1, 0xFFE1, rvlbPrefix}, {0xFFE5, 0xFFE6, rvlbPrefix},
    // postfixes
    {0x2030, 0x2037, rvlbPostfix}, {0x20A7, 0x20A7, rvlbPostfix}, {0x2103, 0x2103, rvlbPostfix},
    {0x2109, 0x2109, rvlbPostfix}, {0x2126, 0x2126, rvlbPostfix}, {0xFDFC, 0xFDFC, rvlbPostfix},
    {0xFE6A, 0xFE6A, rvlbPostfix}, {0xFF05, 0xFF05, rvlbPostfix}, {0xFFE0, 0xFFE0, rvlbPostfix},
    // the Tamil and Ethiopic digits
    {0x0BE7, 0x0BEF, rvlbNumeric}, {0x1369, 0x1371, rvlbNumeric},
    // sentence punctuation
    {0x0589, 0x0589, rvlbPunctuation},
    // ideographic: leading Hangul consonants, the ideographic space, Hangul syllables
    {0x1100, 0x1159, rvlbIdeographic}, {0x115F, 0x115F, rvlbIdeographic},
    {0x3000, 0x3000, rvlbIdeographic}, {0xAC00, 0xD7A3, rvlbIdeographic},
    // inseparable
    {0x2024, 0x2026, rvlbInseparable},
    // break after
    {0x058A, 0x058A, rvlbBreakAfter}, {0x0F0B, 0x0F0B, rvlbBreakAfter},
    {0x1361, 0x1361, rvlbBreakAfter}, {0x1680, 0x1680, rvlbBreakAfter},
    {0x17D5, 0x17D5, rvlbBreakAfter}, {0x2000, 0x2006, rvlbBreakAfter},
    {0x2008, 0x200A, rvlbBreakAfter}, {0x2010, 0x2010, rvlbBreakAfter},
    {0x2012, 0x2013, rvlbBreakAfter}, {0x2027, 0x2027, rvlbBreakAfter},
    {0x205F, 0x205F, rvlbBreakAfter},
    // break before, both sides, zero-width space
    {0x02C8, 0x02C8, rvlbBreakBefore}, {0x02CC, 0x02CC, rvlbBreakBefore},
    {0x1806, 0x1806, rvlbBreakBefore}, {0x2014, 0x2014, rvlbBreakBoth},
    {0x200B, 0x200B, rvlbZeroWidthSpace},
    // combining marks and format controls
    {0x0300, 0x034F, rvlbCombining}, {0x0360, 0x036F, rvlbCombining},
    {0x1160, 0x11A2, rvlbCombining}, {0x11A8, 0x11F9, rvlbCombining},
    {0x200C, 0x200F, rvlbCombining}, {0x202A, 0x202E, rvlbCombining},
    {0x206A, 0x206F, rvlbCombining}, {0x20D0, 0x20EA, rvlbCombining},
    {0x302A, 0x302F, rvlbCombining}, {0x3099, 0x309A, rvlbCombining},
    {0xFB1E, 0xFB1E, rvlbCombining}, {0xFE00, 0xFE0F, rvlbCombining},
    {0xFE20, 0xFE23, rvlbCombining}, {0xFFF9, 0xFFFB, rvlbCombining},
    // surrogate halves
    {0xD800, 0xDBFF, rvlbHighSurrogate}, {0xDC00, 0xDFFF, rvlbLowSurrogate},
};

std::array<std::uint8_t, 0x10000> BuildClasses() {
  std::array<std::uint8_t, 0x10000> t{};
  FillLatin1(t.data());
  for (char32_t c = 0x100; c <= 0xFFFF; ++c) t[c] = FromUnicode(GetUnicodeLineBreak(c));
  for (const TRange& r : FixedClasses)
    for (char32_t c = r.First; c <= r.Last; ++c) t[c] = r.Class;
  return t;
}

// ---- classes inside the searches --------------------------------------------------------------

inline bool IsHigh(WideChar c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLow(WideChar c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

const std::uint8_t* RVLineBreakTable::Classes() {
  static const std::array<std::uint8_t, 0x10000> Table = BuildClasses();
  return Table.data();
}

int FindBreakBefore(std::u16string_view Text, int Index, bool SpaceEnds, bool SkipSpaces) {
  const int n = static_cast<int>(Text.size());
  if (Index < 0 || Index >= n) return -1;
  const WideChar* s = Text.data();
  if (SpaceEnds && !SkipSpaces && s[Index] == Space) return Index;
  int i = Index;
  if (SkipSpaces) {
    while (i >= 0 && s[i] == Space) --i;
    if (i < 0) i = Index;
  }
  // The character after the possible break. A pair, and a lone half, are alphabetic; a low
  // surrogate that ends a pair (Index inside the pair) keeps its own class, which the table
  // never separates from its high surrogate.
  int c;
  const WideChar ci = s[i];
  if (IsHigh(ci))
    c = rvlbAlphabetic;
  else if (IsLow(ci))
    c = (i > 0 && IsHigh(s[i - 1])) ? rvlbLowSurrogate : rvlbAlphabetic;
  else
    c = GetLineBreakClass(ci);
  for (int d = i - 1; d >= 0; --d) {
    const WideChar x = s[d];
    if (x == Space) continue;
    const int last = d;  // the last code unit of the character before the break
    int h;
    if (IsLow(x)) {
      h = rvlbAlphabetic;
      if (d > 0 && IsHigh(s[d - 1])) --d;
    } else if (IsHigh(x)) {
      h = (last + 1 < n && IsLow(s[last + 1])) ? rvlbHighSurrogate : rvlbAlphabetic;
    } else {
      h = GetLineBreakClass(x);
    }
    int v = GetLineBreakPairValue(h, c);
    if (v == rvlbpBreakAfterSpaces && !(last + 1 < n && s[last + 1] == Space)) v = rvlbpNoBreak;
    if (v < rvlbpNoBreak) {
      // The line ends after the whole character (a pair's low surrogate) and keeps the spaces
      // that follow it.
      int answer = last;
      while (answer + 1 < i && s[answer + 1] == Space) ++answer;
      return answer;
    }
    c = h;
  }
  return -1;
}

int FindBreakInString(std::u16string_view Text, bool HasPrev, int PrevClass, int& LastClass,
                      WideChar& LastChar, bool PrecededBySpace) {
  const int n = static_cast<int>(Text.size());
  if (n == 0) return 0;
  const WideChar* s = Text.data();
  int k = 0;
  if (!HasPrev) {
    // The first character only gives the class before the second.
    if (IsHigh(s[0]) || IsLow(s[0])) {
      PrevClass = rvlbAlphabetic;
      k = (IsHigh(s[0]) && n > 1 && IsLow(s[1])) ? 2 : 1;
    } else {
      PrevClass = GetLineBreakClass(s[0]);
      k = 1;
    }
    PrecededBySpace = false;
  }
  LastChar = 0;
  bool spaceBefore = PrecededBySpace;
  bool passedNonSpace = false;
  while (k < n) {
    const WideChar ch = s[k];
    if (ch == Space) {
      spaceBefore = true;
      ++k;
      continue;
    }
    int f, len = 1;
    if (IsHigh(ch)) {
      f = rvlbAlphabetic;
      if (k + 1 < n && IsLow(s[k + 1])) len = 2;
    } else if (IsLow(ch)) {
      f = rvlbAlphabetic;
    } else {
      f = GetLineBreakClass(ch);
    }
    int v = GetLineBreakPairValue(PrevClass, f);
    if (v == rvlbpBreakAfterSpaces && !spaceBefore) v = rvlbpNoBreak;
    if (v < rvlbpNoBreak) {
      if (HasPrev && PrecededBySpace && !passedNonSpace) return -1;
      int p = k;
      while (p > 0 && s[p - 1] == Space) --p;
      return p;
    }
    PrevClass = f;
    spaceBefore = false;
    passedNonSpace = true;
    k += len;
  }
  int j = n - 1;
  while (j >= 0 && s[j] == Space) --j;
  if (j < 0) {
    LastChar = Space;
    LastClass = GetLineBreakClass(Space);
    return 0;
  }
  LastChar = s[j];
  LastClass = (IsHigh(s[j]) || IsLow(s[j])) ? int(rvlbAlphabetic) : GetLineBreakClass(s[j]);
  return j + 1;
}
