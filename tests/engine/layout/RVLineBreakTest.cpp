// Line breaking by the pair table: classes, the two searches, and agreement with the Unicode
// library's line breaker on mixed-script text.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/layout/RVLineBreak.h"
#include "platform/base/UnicodeLineBreak.h"

namespace {

using U16 = std::u16string;

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Every offset before which the pair table lets a line start: the answers of FindBreakBefore
// asked at every non-space character, moved past the character that ends the line.
std::vector<int> PairTableBreaks(const U16& t) {
  std::set<int> offsets;
  for (int i = 1; i < static_cast<int>(t.size()); ++i) {
    if (t[i] == u' ') continue;
    const int a = FindBreakBefore(t, i, false, false);
    if (a >= 0) offsets.insert(a + 1);
  }
  return {offsets.begin(), offsets.end()};
}

// The text with "|" at every break of the pair table.
U16 Marked(const U16& t) {
  U16 r;
  const std::vector<int> b = PairTableBreaks(t);
  for (int i = 0; i < static_cast<int>(t.size()); ++i) {
    if (std::binary_search(b.begin(), b.end(), i)) r += u'|';
    r += t[i];
  }
  return r;
}

std::string Utf8(const U16& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (IsHigh(s[i]) && i + 1 < s.size() && IsLow(s[i + 1]))
      c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (c < 0x80) {
      r += static_cast<char>(c);
    } else if (c < 0x800) {
      r += static_cast<char>(0xC0 | (c >> 6));
      r += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      r += static_cast<char>(0xE0 | (c >> 12));
      r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      r += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      r += static_cast<char>(0xF0 | (c >> 18));
      r += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      r += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return r;
}

TEST(LineBreakClasses, NamedUnitsAndUnicodeData) {
  struct Case {
    char16_t Ch;
    int Class;
  };
  const Case cases[] = {
      // U+0000 to U+00FF are fixed whole
      {u'(', 0}, {u'[', 0}, {u'{', 0}, {u')', 2}, {u'}', 2}, {u'"', 3}, {u'\'', 3},
      {0xAB, 3}, {0xBB, 3}, {u'$', 4}, {0xA0, 4}, {u'?', 6}, {u'/', 7}, {u'+', 9},
      {u'\\', 9}, {0xA3, 9}, {0xB1, 9}, {u'%', 10}, {0xA2, 10}, {0xB0, 10}, {u'0', 11},
      {u'9', 11}, {u'a', 12}, {u' ', 12}, {u'\n', 12}, {u'\r', 12}, {0x0C, 12}, {u'#', 12},
      {0xA1, 12}, {0xBF, 12}, {u'!', 13}, {u',', 13}, {u'.', 13}, {u':', 13}, {u';', 13},
      {u'-', 16}, {0x09, 17}, {u'|', 17}, {0xAD, 17}, {0xB4, 18}, {0x00, 21}, {0x0B, 21},
      {0x1F, 21}, {0x7F, 21}, {0x9F, 21},
      // named units beyond, where current Unicode data class them otherwise
      {0x201A, 1}, {0x3001, 2}, {0xFF0C, 2}, {0x2044, 5}, {0x0589, 13}, {0x3000, 14},
      {0x1369, 11}, {0x20A7, 10}, {0x20AC, 9}, {0x2060, 4}, {0xFEFF, 4}, {0x200D, 21},
      {0x2024, 15}, {0x2014, 19}, {0x200B, 20}, {0x1160, 21}, {0x1100, 14}, {0xAC00, 14},
      {0xD7A3, 14}, {0xDC00, 22}, {0xDFFF, 22}, {0xD800, 23}, {0xDBFF, 23},
      // the rest from the Unicode data
      {0x4E00, 14}, {0x3042, 14}, {0x3041, 5}, {0x30FC, 5}, {0x0663, 11}, {0x0967, 11},
      {0x05D0, 12}, {0x0627, 12}, {0x060C, 13}, {0x061F, 6}, {0x0301, 21}, {0x064B, 21},
      {0x0E01, 12}, {0x2329, 1}, {0x232A, 2}, {0xFF5B, 1}, {0x2019, 3}, {0x2030, 10},
      {0x2116, 9}, {0x2013, 17}, {0x05BE, 17},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetLineBreakClass(c.Ch), c.Class) << "U+" << std::hex << int(c.Ch);
  EXPECT_EQ(sizeof(RVLineBreakPairs), 576u);
  EXPECT_EQ(RVLineBreakPairs[12 * 24 + 0], 1);  // letter before "("
  EXPECT_EQ(RVLineBreakPairs[23 * 24 + 22], 2);  // inside a pair
}

// Break opportunities of small texts, "|" before the character that may start a line.
TEST(LineBreakRules, EdgeCases) {
  struct Case {
    U16 Text;
    U16 Breaks;
  };
  const Case cases[] = {
      {u"a(b", u"a(b"},                                // letter before "(": not directly
      {u"a (b", u"a |(b"},                             // but after a space
      {u"a\u4E00b", u"a|\u4E00|b"},                    // a letter and an ideograph
      {u"a )", u"a )"},                                // never before ")" ...
      {u"a ?", u"a ?"},                                // ... or "?", even after a space
      {u"a ,", u"a |,"},                               // a comma after a space
      {u"a,b", u"a,b"},                                // but not directly
      {u"a\u200Bb", u"a\u200B|b"},                     // after a zero-width space only
      {u"a\u200B\u200Bb", u"a\u200B\u200B|b"},         // never between two
      {u"a\u200B\u0301", u"a\u200B\u0301"},            // nor before a combining mark
      {u"a\u200B(", u"a\u200B|("},                     // before anything else
      {u"a\u2014b", u"a|\u2014|b"},                    // an em dash on both sides
      {u"a\u2014\u2014b", u"a|\u2014\u2014|b"},        // two em dashes stay together
      {u"well-known", u"well-|known"},                 // after a hyphen
      {u"a  b   c", u"a  |b   |c"},                    // spaces stay on the line
      {u"\u4E00\u4E00\u3002\u4E00", u"\u4E00|\u4E00\u3002|\u4E00"},  // not before a full stop
      {u"\u4E00\u3041", u"\u4E00\u3041"},              // nor before a small kana
      {u"\U0001F600\u4E00", u"\U0001F600|\u4E00"},     // a pair is one alphabetic character
      {u"\u4E00\U0001F600", u"\u4E00|\U0001F600"},
      {u"ab\U0001F600cd", u"ab\U0001F600cd"},
      {u"\U0001F600 \U0001F600", u"\U0001F600 |\U0001F600"},
      {{0xDC00, 0x4E00}, {0xDC00, u'|', 0x4E00}},       // a lone low surrogate is alphabetic
      {{0x4E00, 0xD800}, {0x4E00, u'|', 0xD800}},       // and so is a lone high one
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8(Marked(c.Text)), Utf8(c.Breaks));
}

TEST(LineBreakRules, FindBreakBeforeArguments) {
  struct Case {
    const char16_t* Text;
    int Index;
    bool SpaceEnds, SkipSpaces;
    int Answer;
  };
  const Case cases[] = {
      {u"ab cd", 4, false, false, 2},    // the space stays on the line
      {u"ab cd", 2, true, false, 2},     // a space at Index may end the line
      {u"ab cd", 2, false, false, 1},    // otherwise it counts as a letter
      {u"ab cd", 2, true, true, -1},     // skipping spaces: from "b" back, no break
      {u"ab cd  ", 6, false, true, 2},   // skipping the trailing spaces, from "d"
      {u"   ", 2, false, true, -1},      // only spaces: back at Index
      {u"abc", 2, false, false, -1},     // one word
      {u"abc", 3, false, false, -1},     // Index outside the text
      {u"abc", -1, false, false, -1},
      {u"", 0, true, false, -1},
      // after a pair the line ends at its low surrogate, never inside the pair
      {u"\U0001F600\u4E00", 2, false, false, 1},
      {u"x\U0001F600\u4E00", 3, false, false, 2},
      {u"\U0001F600  \u4E00", 4, false, false, 3},
      {u"\u4E00\U0001F600", 1, false, false, 0},  // before a pair, Index at its high half
      {u"\u4E00\U0001F600", 2, false, false, -1},  // Index inside the pair: no break at all
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindBreakBefore(c.Text, c.Index, c.SpaceEnds, c.SkipSpaces), c.Answer)
        << Utf8(c.Text) << " at " << c.Index;
}

TEST(LineBreakRules, FindBreakInString) {
  struct Case {
    U16 Text;
    bool HasPrev;
    int PrevClass;
    bool PrecededBySpace;
    int Answer;
    char16_t LastChar;  // 0xFFFF: unchanged
    int LastClass;      // -1: unchanged
  };
  const Case cases[] = {
      {u"", false, 0, false, 0, 0xFFFF, -1},
      {u"", true, 12, true, 0, 0xFFFF, -1},
      {u"   ", false, 0, false, 0, u' ', 12},           // spaces only
      {u"   ", true, 14, true, 0, u' ', 12},
      {u"abc", false, 0, false, 3, u'c', 12},           // no break: after the last character
      {u"ab)  ", false, 0, false, 3, u')', 2},          // trailing spaces left out
      {u"ab cd", false, 0, false, 2, 0, -1},            // break inside, spaces left out
      {u"a\u4E00", false, 0, false, 1, 0, -1},
      {u"cd", true, 12, true, -1, 0, -1},               // break before the text, after spaces
      {u"  cd", true, 12, false, 0, 0, -1},              // spaces of its own: no -1
      {u"\u4E00", true, 12, false, 0, 0, -1},           // directly after the previous item
      {u")x y", true, 12, true, 1, 0, -1},              // ")" stays with the previous word
      {u"cd", true, 12, false, 2, u'd', 12},            // one word across the two items
      {u"\U0001F600\u4E00", false, 0, false, 2, 0, -1},  // the pair stays whole
      {u"a\U0001F600", false, 0, false, 3, 0xDE00, 12},  // ends in a pair: alphabetic
      {{0xDC00, u'x'}, true, 14, false, 0, 0, -1},           // a lone low surrogate is alphabetic
  };
  for (const Case& c : cases) {
    int lastClass = -1;
    WideChar lastChar = 0xFFFF;
    EXPECT_EQ(FindBreakInString(c.Text, c.HasPrev, c.PrevClass, lastClass, lastChar,
                                c.PrecededBySpace),
              c.Answer)
        << Utf8(c.Text);
    EXPECT_EQ(lastChar, c.LastChar) << Utf8(c.Text);
    EXPECT_EQ(lastClass, c.LastClass) << Utf8(c.Text);
  }
}

// ---- agreement with the Unicode library --------------------------------------------------------

// Mixed-script samples (no scripts that need a dictionary to break).
const char16_t* const Samples[] = {
    u"The quick brown fox jumps over the lazy dog; it didn't care.",
    u"\"Hello,\" she said. 'Fine!' \u201CQuoted\u201D and \u2018single\u2019 text.",
    u"Prices: $10.50, \u20AC20, \u00A330 (about 15%) and +7\u00B0C on 2026-12-10.",
    u"Call (555) 123-4567 or 1,000,000.00 or 3.14 \u2014 see p. 12/13.",
    u"https://example.com/path/to/page?q=1&r=two#frag and mail@example.org",
    u"C:\\Program Files\\Tavrelopad | tabs\there",
    u"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3067\u3059\u3002\u3053\u308C\u306F"
    u"\u30C6\u30B9\u30C8\u3001\u3068\u3066\u3082\u826F\u3044\uFF01",
    u"\u4E2D\u6587\u6587\u672C\uFF0C\u5305\u542B\u6807\u70B9\u7B26\u53F7\u3002"
    u"\u300C\u5F15\u7528\u300D\u548C\uFF08\u62EC\u53F7\uFF09\u3002",
    u"\uD55C\uAD6D\uC5B4 \uBB38\uC7A5\uC785\uB2C8\uB2E4. \uC548\uB155\uD558\uC138\uC694!",
    u"\u0627\u0644\u0639\u0631\u0628\u064A\u0629 \u0644\u063A\u0629 \u062C\u0645\u064A\u0644\u0629"
    u"\u060C \u0623\u0644\u064A\u0633 \u0643\u0630\u0644\u0643\u061F \u0661\u0662\u0663",
    u"\u05E2\u05D1\u05E8\u05D9\u05EA \u05D4\u05D9\u05D0 \u05E9\u05E4\u05D4, "
    u"\u05D1\u05D9\u05EA\u05BE\u05E1\u05E4\u05E8 \u05D2\u05D3\u05D5\u05DC.",
    u"\u0420\u0443\u0441\u0441\u043A\u0438\u0439 \u0442\u0435\u043A\u0441\u0442 \u2014 "
    u"\u00AB\u0446\u0438\u0442\u0430\u0442\u0430\u00BB, \u0415\u043B\u043B\u0438\u043D\u0438"
    u"\u03BA\u03AC \u03BA\u03B5\u03AF\u03BC\u03B5\u03BD\u03BF.",
    u"\u0939\u093F\u0928\u094D\u0926\u0940 \u092D\u093E\u0937\u093E \u0967\u0968\u0969 "
    u"\u0915\u093E \u0935\u093E\u0915\u094D\u092F\u0964",
    u"Emoji \U0001F600 and \U0001F44D\U0001F3FD here; math \U0001D400\U0001D401 too.",
    u"Mixed Latin\u4E2D\u6587text with\u00A0no-break, soft\u00ADhyphen, zero\u200Bwidth, "
    u"\u2026 ellipsis... and \u201Equotes\u201C (German) \u00BBsolche\u00AB.",
    u"caf\u00E9 na\u0131\u0308ve re\u0301sume\u0301 [note] {brace} <angle> a/b 50/50",
    u"Footnote\u00B9 x\u00B2 H\u2082O 5\u00A0kg 10\u202F000 #1 @user 100%+",
    u"Calls f(x)y and g[1]2 {3}4, e\u0301(x) and \u00E9(y); \u4E00(a) \u4E00\uFF08b\uFF09",
};

// Breaks that the pair table gives and the Unicode library's breaker does not, on purpose: the
// table keeps older rules. Each predicate gets the text and the offset of the character that
// would start the next line.
struct TKnownDifference {
  const char* Why;
  std::function<bool(const U16&, int)> Applies;
};

using L = TUnicodeLineBreak;

L Lb(char16_t c) { return GetUnicodeLineBreak(c); }
bool OneOf(L v, std::initializer_list<L> set) {
  return std::find(set.begin(), set.end(), v) != set.end();
}

const std::vector<TKnownDifference> KnownDifferences = {
    {"a currency or unit sign and a letter: newer rules keep them together (7\u00B0|C)",
     [](const U16& t, int b) {
       return OneOf(Lb(t[b - 1]), {L::PR, L::PO}) && OneOf(Lb(t[b]), {L::AL, L::HL});
     }},
    {"a hyphen and a digit: newer rules keep a hyphen with the number after it (123-|4567)",
     [](const U16& t, int b) { return Lb(t[b - 1]) == L::HY && Lb(t[b]) == L::NU; }},
    {"an ideograph and sentence punctuation: the table lets \".\" and \"!\" start a line after an "
     "ideograph or Hangul syllable, newer rules never break before them",
     [](const U16& t, int b) {
       return OneOf(Lb(t[b - 1]), {L::ID, L::H2, L::H3}) && OneOf(Lb(t[b]), {L::IS, L::EX});
     }},
    {"a Hebrew letter and the hyphen after it stay with what follows in newer rules",
     [](const U16& t, int b) {
       return b >= 2 && OneOf(Lb(t[b - 1]), {L::HY, L::BA}) && Lb(t[b - 2]) == L::HL;
     }},
    {"a closing parenthesis or bracket and a letter or digit: newer rules keep them together "
     "(f(x)|y, [1]|2); braces still break",
     [](const U16& t, int b) {
       return Lb(t[b - 1]) == L::CP && OneOf(Lb(t[b]), {L::AL, L::HL, L::NU});
     }},
    {"a combining mark takes its own class instead of its base letter's, so it may break before "
     "an opening bracket (e\u0301|(x))",
     [](const U16& t, int b) { return Lb(t[b - 1]) == L::CM && Lb(t[b]) == L::OP; }},
};

TEST(LineBreakRules, EveryPairTableBreakIsAUnicodeBreak) {
  std::vector<int> seen(KnownDifferences.size());
  for (const char16_t* sample : Samples) {
    const U16 t = sample;
    const std::vector<int> ours = PairTableBreaks(t);
    const std::vector<int> reference = UnicodeLineBreakOffsets(t);
    ASSERT_FALSE(reference.empty()) << Utf8(t);
    for (int b : ours) {
      // never inside a surrogate pair
      EXPECT_FALSE(IsLow(t[b]) && IsHigh(t[b - 1])) << Utf8(t) << " at " << b;
      if (std::binary_search(reference.begin(), reference.end(), b)) continue;
      bool known = false;
      for (size_t k = 0; k < KnownDifferences.size(); ++k)
        if (KnownDifferences[k].Applies(t, b)) {
          known = true;
          ++seen[k];
        }
      EXPECT_TRUE(known) << "pair table breaks where the Unicode breaker does not: "
                         << Utf8(t.substr(0, b)) << " | " << Utf8(t.substr(b));
    }
    // The search across items finds the first of these breaks (spaces before it left out).
    int lastClass = -1;
    WideChar lastChar = 0;
    const int first = FindBreakInString(t, false, 0, lastClass, lastChar, false);
    ASSERT_FALSE(ours.empty());
    int expected = ours.front();
    while (expected > 0 && t[expected - 1] == u' ') --expected;
    EXPECT_EQ(first, expected) << Utf8(t);
    EXPECT_EQ(lastChar, 0);
  }
  // Every listed difference still shows in the samples, so the list stays honest.
  for (size_t k = 0; k < KnownDifferences.size(); ++k)
    EXPECT_GT(seen[k], 0) << KnownDifferences[k].Why;
}

}  // namespace
