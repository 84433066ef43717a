#include "platform/base/NLS.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/SysUtils.h"

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

class NLSSettings : public ::testing::Test {
 protected:
  void TearDown() override {
    SetACP(1252);
    SetOEMCP(437);
    SetMacCP(10000);
    SetKeyboardLayoutLanguage(0x0409);
    SetReportedVersion(VER_PLATFORM_WIN32_NT, 10, 0);
  }
};

TEST_F(NLSSettings, SystemCodePages) {
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(GetOEMCP(), 437u);
  EXPECT_EQ(GetMacCP(), 10000u);
  struct Case {
    UINT CodePage, Resolved;
  };
  for (const Case& c : {Case{CP_ACP, 1252}, Case{CP_OEMCP, 437}, Case{CP_MACCP, 10000},
                        Case{CP_THREAD_ACP, 1252}, Case{1251, 1251}})
    EXPECT_EQ(ResolveCodePage(c.CodePage), c.Resolved);
  SetACP(1251);
  SetOEMCP(866);
  SetMacCP(CP_OEMCP);  // the symbolic numbers cannot be settings
  EXPECT_EQ(ResolveCodePage(CP_ACP), 1251u);
  EXPECT_EQ(ResolveCodePage(CP_OEMCP), 866u);
  EXPECT_EQ(GetMacCP(), 10000u);
  UnicodeString u;
  ASSERT_TRUE(CodePageToUnicode(CP_ACP, 0, Bytes({0xC0}), u));
  EXPECT_EQ(u, u"\u0410");
}

// The 8-bit strings of settings files and component streams follow the ANSI setting.
TEST_F(NLSSettings, AnsiStrings) {
  EXPECT_EQ(UnicodeToAnsiString(u"caf\u00e9 \u043f"), "caf\xE9 ?");
  EXPECT_EQ(AnsiStringToUnicode("caf\xE9"), u"caf\u00e9");
  EXPECT_EQ(AnsiStringToUnicode("\xC0", 1251), u"\u0410");
  SetACP(1251);
  EXPECT_EQ(UnicodeToAnsiString(u"\u043f\u0440\u0438"), "\xEF\xF0\xE8");
  EXPECT_EQ(AnsiStringToUnicode("\xEF\xF0\xE8"), u"\u043f\u0440\u0438");
  // An unusable code page: reading falls back to 1252, writing refuses.
  SetACP(54321);
  EXPECT_EQ(AnsiStringToUnicode("caf\xE9"), u"caf\u00e9");
  EXPECT_THROW(UnicodeToAnsiString(u"x"), EConvertError);
  EXPECT_EQ(UnicodeToAnsiString(u""), "");
}

TEST(NLSCodePages, ValidityAndInfo) {
  for (UINT cp : {874u, 932u, 936u, 949u, 950u, 1250u, 1258u, 1361u, 437u, 10000u, 65001u})
    EXPECT_TRUE(IsValidCodePage(cp)) << cp;
  for (UINT cp : {12345u, 1200u, 1201u}) EXPECT_FALSE(IsValidCodePage(cp)) << cp;

  struct Case {
    UINT CodePage;
    UINT MaxCharSize;
    BYTE FirstLead, LastLead;
  };
  const Case cases[] = {
      {1252, 1, 0, 0}, {1251, 1, 0, 0}, {932, 2, 0x81, 0x9F}, {936, 2, 0x81, 0xFE}, {949, 2, 0x81, 0xFE},
      {1361, 2, 0x84, 0xD3},
  };
  for (const Case& c : cases) {
    CPINFO info;
    ASSERT_TRUE(GetCPInfo(c.CodePage, &info)) << c.CodePage;
    EXPECT_EQ(info.MaxCharSize, c.MaxCharSize) << c.CodePage;
    EXPECT_EQ(info.DefaultChar[0], '?');
    EXPECT_EQ(info.LeadByte[0], c.FirstLead) << c.CodePage;
    EXPECT_EQ(info.LeadByte[1], c.LastLead) << c.CodePage;
  }
  CPINFO info;
  EXPECT_FALSE(GetCPInfo(12345, &info));
  EXPECT_FALSE(GetCPInfo(1252, nullptr));
}

TEST(NLSCodePages, DefaultCharAndBestFit) {
  struct Case {
    const char* Name;
    UINT CodePage;
    DWORD Flags;
    UnicodeString Text;
    const char* Default;
    std::string Bytes;
    bool Used;
  };
  const Case cases[] = {
      {"mapped", 1251, 0, u"\u0410b", nullptr, Bytes({0xC0, 'b'}), false},
      {"unmappable", 1252, 0, u"a\u0410", nullptr, "a?", true},
      {"own default", 1252, 0, u"a\u0410", "*", "a*", true},
      {"no best fit", 1252, WC_NO_BEST_FIT_CHARS, u"\u0410", nullptr, "?", true},
      {"lone surrogate", 1252, 0, u"a\xD800", nullptr, "a?", true},
      {"format control", 1255, WC_NO_BEST_FIT_CHARS, u"a\u202Eb", nullptr, "a?b", true},
      {"zero width space", 1252, 0, u"\u200B", nullptr, "?", true},
      {"supplementary", 1252, 0, u"\U0001F600", nullptr, "?", true},
      {"CJK default", 932, 0, u"\u0E01", nullptr, "?", true},
      {"decomposed", 1252, WC_NO_BEST_FIT_CHARS, u"e\u0301", nullptr, "e?", true},
      {"composite check", 1252, WC_COMPOSITECHECK, u"e\u0301x", nullptr, "\xE9x", false},
      {"composite check, no composite", 1252, WC_COMPOSITECHECK, u"q\u0301", nullptr, "q?", true},
      {"composite check, UTF-8 keeps marks", 65001, WC_COMPOSITECHECK, u"E\u0302", nullptr, "E\xCC\x82", false},
      {"question mark is not a default", 1252, WC_NO_BEST_FIT_CHARS, u"?", nullptr, "?", false},
      // Best fit: letters lose the marks the code page lacks, typographic punctuation and
      // compatibility forms become their plain forms; without it they are default characters.
      {"best fit, macron", 1252, 0, u"\u0100x\u0101", nullptr, "Axa", false},
      {"no best fit, macron", 1252, WC_NO_BEST_FIT_CHARS, u"\u0100x\u0101", nullptr, "?x?", true},
      {"best fit, nearest letter", 1250, 0, u"\u01D6\u0100", nullptr, "\xFC" "A", false},
      {"best fit, Cyrillic page", 1251, 0, u"\u00E9\u00F1", nullptr, "en", false},
      {"best fit, Greek page", 1253, 0, u"\u00E7\u0160", nullptr, "cS", false},
      {"best fit, Hebrew page", 1255, 0, u"\u0141\u0107", nullptr, "?c", true},
      {"best fit, Baltic page", 1257, 0, u"\u00F1\u00E8", nullptr, "ne", false},
      {"best fit, Vietnamese page", 1258, 0, u"\u0100\u1EA5", nullptr, "A\xE2\xEC", false},
      {"best fit, Turkish and Arabic pages", 1254, 0, u"\u0100", nullptr, "A", false},
      {"best fit, Arabic page", 1256, 0, u"\u0100", nullptr, "A", false},
      {"typographic punctuation kept", 1252, 0, u"\u2018\u201C\u2013", nullptr, "\x91\x93\x96", false},
      {"typographic punctuation, best fit", 437, 0, u"\u2018a\u2019 \u201Cb\u201D \u2013\u2014", nullptr,
       "'a' \"b\" --", false},
      {"typographic punctuation, no best fit", 437, WC_NO_BEST_FIT_CHARS, u"\u2018\u201C\u2013", nullptr,
       "???", true},
      {"compatibility forms, best fit", 1252, 0, u"\uFF21\u2002\u212A", nullptr, "A K", false},
      {"compatibility forms, no best fit", 1252, WC_NO_BEST_FIT_CHARS, u"\uFF21\u2002\u212A", nullptr, "???",
       true},
      {"fullwidth forms, best fit", 932, 0, u"\u00A2\u00A3\u00AC", nullptr, Bytes({0x81, 0x91, 0x81, 0x92, 0x81, 0xCA}),
       false},
      {"fullwidth forms, no best fit", 932, WC_NO_BEST_FIT_CHARS, u"\u00A2\u00A3\u00AC", nullptr, "???", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::string out;
    bool used = !c.Used;
    ASSERT_TRUE(UnicodeToCodePage(c.CodePage, c.Flags, c.Text, out, c.Default, &used));
    EXPECT_EQ(out, c.Bytes);
    EXPECT_EQ(used, c.Used);
  }
  std::string out = "stale";
  EXPECT_FALSE(UnicodeToCodePage(12345, 0, u"a", out));
  EXPECT_EQ(out, "");
  EXPECT_FALSE(UnicodeToCodePage(1252, WC_ERR_INVALID_CHARS, u"a\xD800", out));
}

TEST(NLSCodePages, Decoding) {
  struct Case {
    const char* Name;
    UINT CodePage;
    DWORD Flags;
    std::string Bytes;
    bool Ok;
    UnicodeString Text;
  };
  const Case cases[] = {
      {"euro", 1252, 0, Bytes({0x80}), true, u"\u20AC"},
      {"Shift-JIS", 932, 0, Bytes({0x82, 0xA0, 'a'}), true, u"\u3042a"},
      {"controls keep their codes", 932, 0, Bytes({0x1A, 0x1C, 0x7F}), true, u"\x1A\x1C\x7F"},
      {"truncated lead byte", 932, 0, Bytes({'a', 0x82}), true, u"a\uFFFD"},
      {"truncated lead byte, strict", 932, MB_ERR_INVALID_CHARS, Bytes({'a', 0x82}), false, u""},
      {"precomposed", 1258, MB_PRECOMPOSED, Bytes({'a', 0xEC}), true, u"\u00E1"},
      {"not precomposed", 1258, 0, Bytes({'a', 0xEC}), true, u"a\u0301"},
      {"UTF-8 keeps marks", 65001, MB_PRECOMPOSED, Bytes({'E', 0xCC, 0x82}), true, u"E\u0302"},
      {"compatibility ideograph kept", 949, MB_PRECOMPOSED, Bytes({0xCB, 0xD0}), true, u"\uF900"},
      {"Johab syllables and jamo", 1361, 0, Bytes({0x88, 0x61, 0x84, 0x44, 0x88, 0x41, 0x84, 0x61}), true,
       u"\uAC00\u3133\u3131\u314F"},
      {"Johab symbols and Hanja", 1361, 0, Bytes({0xD9, 0x31, 0xD9, 0xA1, 0xE0, 0x31, 0xF9, 0xFE}), true,
       u"\u3000\u21D2\u4F3D\u8A70"},
      {"Johab won sign", 1361, 0, Bytes({0x5C, 'a'}), true, u"\u20A9a"},
      {"Johab undefined codes", 1361, 0, Bytes({0x84, 0x42, 0xDA, 0xA1, 0xD8, 0x31, 0xFF, 'a'}), true,
       u"\uFFFD\uFFFD\uFFFD\uFFFDa"},
      {"Johab truncated, strict", 1361, MB_ERR_INVALID_CHARS, Bytes({'a', 0x88}), false, u""},
      {"empty", 1252, 0, "", true, u""},
      {"unknown code page", 12345, 0, "a", false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    UnicodeString out = u"stale";
    EXPECT_EQ(CodePageToUnicode(c.CodePage, c.Flags, c.Bytes, out), c.Ok);
    EXPECT_EQ(out, c.Text);
  }
  std::string bytes;
  bool used = true;
  ASSERT_TRUE(UnicodeToCodePage(1361, WC_NO_BEST_FIT_CHARS, u"\uD7A3\u3144\u3000\u20A9\u0410", bytes,
                                nullptr, &used));
  EXPECT_EQ(bytes, Bytes({0xD3, 0xBD, 0x84, 0x54, 0xD9, 0x31, 0x5C, 0xDE, 0xA1}));
  EXPECT_FALSE(used);
  ASSERT_TRUE(UnicodeToCodePage(1361, WC_NO_BEST_FIT_CHARS, u"\\\u0E01\U0001F600", bytes, nullptr, &used));
  EXPECT_EQ(bytes, "???");
  EXPECT_TRUE(used);
  ASSERT_TRUE(UnicodeToCodePage(1361, 0, u"\\", bytes, nullptr, &used));
  EXPECT_EQ(bytes, "\\");  // best fit
  ASSERT_TRUE(UnicodeToCodePage(932, 0, u"\x1A\x1C\x7F", bytes));
  EXPECT_EQ(bytes, Bytes({0x1A, 0x1C, 0x7F}));
  ASSERT_TRUE(UnicodeToCodePage(949, 0, u"\uF900", bytes));
  EXPECT_EQ(bytes, Bytes({0xCB, 0xD0}));
}

// Any bytes decode and any UTF-16 encodes without harm; an encoding that needed no default
// character decodes back to the same text. (1258 is left out of that last check: it writes
// some letters as letter plus mark, which decode as two characters without precomposition.)
TEST(NLSCodePages, ArbitraryInput) {
  std::mt19937 rng(7);
  const std::pair<char16_t, char16_t> ranges[] = {
      {0x20, 0x7E},     {0xA0, 0x2FF},    {0x370, 0x4FF},   {0x590, 0x6FF},  {0xE00, 0xE7F},
      {0x2000, 0x22FF}, {0x3000, 0x30FF}, {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0xD800, 0xDFFF},
      {0xE000, 0xF8FF}, {0xF900, 0xFFFF},
  };
  for (UINT cp : {874u, 932u, 936u, 949u, 950u, 1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u,
                  1257u, 1258u, 1361u, 437u, 10000u, 65001u}) {
    SCOPED_TRACE(cp);
    for (int round = 0; round < 50; ++round) {
      std::string bytes(rng() % 40, '\0');
      for (char& b : bytes) b = static_cast<char>(rng());
      UnicodeString u;
      EXPECT_TRUE(CodePageToUnicode(cp, MB_PRECOMPOSED, bytes, u));
      EXPECT_FALSE(bytes.size() && u.empty());
      CodePageToUnicode(cp, MB_ERR_INVALID_CHARS, bytes, u);

      UnicodeString text;
      for (size_t n = rng() % 40; n > 0; --n) {
        const auto& r = ranges[rng() % std::size(ranges)];
        text.push_back(static_cast<char16_t>(r.first + rng() % (r.second - r.first + 1)));
      }
      for (DWORD flags : {DWORD(0), WC_NO_BEST_FIT_CHARS, WC_COMPOSITECHECK}) {
        std::string out;
        bool used = false;
        ASSERT_TRUE(UnicodeToCodePage(cp, flags, text, out, nullptr, &used));
        if (!used && flags == WC_NO_BEST_FIT_CHARS && cp != 1258) {
          UnicodeString back;
          EXPECT_TRUE(CodePageToUnicode(cp, 0, out, back));
          EXPECT_EQ(back, text);
        }
      }
    }
  }
}

TEST(NLSCodePages, BufferInterfaces) {
  // Zero-terminated input counts and converts the terminator.
  EXPECT_EQ(MultiByteToWideChar(1251, 0, "\xC0\xC1", -1, nullptr, 0), 3);
  WideChar wide[8] = {};
  EXPECT_EQ(MultiByteToWideChar(1251, 0, "\xC0\xC1", -1, wide, 8), 3);
  EXPECT_EQ(UnicodeString(wide), u"\u0410\u0411");
  EXPECT_EQ(MultiByteToWideChar(1251, 0, "\xC0\xC1", 2, wide, 1), 0);  // too small
  EXPECT_EQ(MultiByteToWideChar(1251, 0, "\xC0", 0, wide, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, wide, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(1251, 0, nullptr, 1, wide, 8), 0);

  char narrow[8] = {};
  BOOL used = true;
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u3042", 1, nullptr, 0, nullptr, nullptr), 2);
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u3042", -1, narrow, 8, nullptr, &used), 3);
  EXPECT_EQ(std::string(narrow), Bytes({0x82, 0xA0}));
  EXPECT_FALSE(used);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"\u0410", 1, narrow, 8, nullptr, &used), 1);
  EXPECT_TRUE(used);
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u3042", 1, narrow, 1, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"a", -2, narrow, 8, nullptr, nullptr), 0);
}

TEST(NLSCodePages, ConvertersAreUsableFromManyThreads) {
  const UnicodeString text = u"\u041F\u0440\u0438\u0432\u0435\u0442 \u3042";
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        std::string bytes;
        UnicodeString back;
        const UINT cp = (i % 2) ? 1251 : 932;
        bool used = false;
        UnicodeToCodePage(cp, 0, text, bytes, nullptr, &used);
        CodePageToUnicode(cp, 0, bytes, back);
        const bool expectUsed = cp == 1251;  // the kana is not in 1251
        if (used != expectUsed || (cp == 932 && back != text)) ++failures[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

TEST_F(NLSSettings, LocalesAndKeyboard) {
  WideChar buf[8];
  EXPECT_EQ(GetLocaleInfoW(0x0419, LOCALE_IDEFAULTANSICODEPAGE, buf, 8), 5);
  EXPECT_EQ(UnicodeString(buf), u"1251");
  EXPECT_EQ(GetLocaleInfoW(0x0411, LOCALE_IDEFAULTANSICODEPAGE, nullptr, 0), 4);
  EXPECT_EQ(GetLocaleInfoW(0x0411, LOCALE_IDEFAULTANSICODEPAGE, buf, 3), 0);
  EXPECT_EQ(GetLocaleInfoW(0x0439, LOCALE_IDEFAULTANSICODEPAGE, buf, 8), 2);  // Unicode only
  EXPECT_EQ(UnicodeString(buf), u"0");
  EXPECT_EQ(GetLocaleInfoW(0x03FF, LOCALE_IDEFAULTANSICODEPAGE, buf, 8), 0);  // unknown
  EXPECT_EQ(GetLocaleInfoW(0x0419, 0x0002, buf, 8), 0);                        // other item
  SetACP(1250);
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, buf, 8), 5);
  EXPECT_EQ(UnicodeString(buf), u"1250");

  EXPECT_EQ(GetKeyboardLayout(0) & 0xFFFF, 0x0409u);
  SetKeyboardLayoutLanguage(0x0412);
  EXPECT_EQ(GetKeyboardLayout(0) & 0xFFFF, 0x0412u);
}

TEST(NLSCharacters, Stepping) {
  struct Case {
    const char* Name;
    UnicodeString Text;
    size_t From, Next, Prev;
  };
  const Case cases[] = {
      {"letter", u"abc", 1, 2, 0},
      {"pair", u"a\U0001D11Eb", 1, 3, 0},
      {"before a pair", u"a\U0001D11Eb", 3, 4, 1},
      {"marks", u"xa\u0301\u0323y", 1, 4, 0},
      {"enclosing and spacing marks", u"x1\u20DD\u0903y", 1, 4, 0},
      {"mark as a pair", u"xa\U0001D165y", 1, 4, 0},  // a combining stem above U+FFFF
      {"at the terminator", u"ab", 2, 2, 1},
      {"at start", u"ab", 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const WideChar* s = c.Text.c_str();
    EXPECT_EQ(CharNextW(s + c.From) - s, static_cast<std::ptrdiff_t>(c.Next));
    EXPECT_EQ(CharPrevW(s, s + c.From) - s, static_cast<std::ptrdiff_t>(c.Prev));
  }
}

TEST(NLSCharacters, BidiClasses) {
  const UnicodeString text = u"a\u05D0\u0627" u"1+$\u0661,\u2029\t \u00A7\u0301\U0001D400";
  const std::vector<WORD> expected = {
      C2_LEFTTORIGHT,     C2_RIGHTTOLEFT,      C2_RIGHTTOLEFT,   C2_EUROPENUMBER,
      C2_EUROPESEPARATOR, C2_EUROPETERMINATOR, C2_ARABICNUMBER,  C2_COMMONSEPARATOR,
      C2_BLOCKSEPARATOR,  C2_SEGMENTSEPARATOR, C2_WHITESPACE,    C2_OTHERNEUTRAL,
      C2_NOTAPPLICABLE,   C2_LEFTTORIGHT,      C2_LEFTTORIGHT,
  };
  ASSERT_EQ(text.size(), expected.size());
  std::vector<WORD> types(text.size());
  ASSERT_TRUE(GetStringTypeExW(0x0409, CT_CTYPE2, text.data(), static_cast<int>(text.size()), types.data()));
  EXPECT_EQ(types, expected);
  EXPECT_EQ(C2_LEFTTORIGHT, 1);
  EXPECT_EQ(C2_RIGHTTOLEFT, 2);
  EXPECT_EQ(C2_EUROPENUMBER, 3);
  EXPECT_EQ(C2_ARABICNUMBER, 6);
  WORD one[2];
  EXPECT_TRUE(GetStringTypeExW(0, CT_CTYPE2, u"1", -1, one));
  EXPECT_EQ(one[0], C2_EUROPENUMBER);
  EXPECT_FALSE(GetStringTypeExW(0, CT_CTYPE1, u"1", 1, one));
  EXPECT_FALSE(GetStringTypeExW(0, CT_CTYPE2, u"1", 0, one));
}

TEST(NLSCharacters, WideCaseKeepsLength) {
  struct Case {
    UnicodeString In, Upper, Lower;
  };
  const Case cases[] = {
      {u"stra\u00DFe", u"STRA\u00DFE", u"stra\u00DFe"},
      {u"\u0430\u0411", u"\u0410\u0411", u"\u0430\u0431"},
      {u"\uFB01x", u"\uFB01X", u"\uFB01x"},  // a ligature has no one-unit upper case
      {u"\U00010428\U00010400", u"\U00010400\U00010400", u"\U00010428\U00010428"},
      {UnicodeString(u"a\0b", 3), UnicodeString(u"A\0B", 3), UnicodeString(u"a\0b", 3)},
  };
  for (const Case& c : cases) {
    UnicodeString u = c.In, l = c.In;
    EXPECT_EQ(CharUpperBuffW(u.data(), static_cast<DWORD>(u.size())), u.size());
    CharLowerBuffW(l.data(), static_cast<DWORD>(l.size()));
    EXPECT_EQ(u, c.Upper);
    EXPECT_EQ(l, c.Lower);
  }
  // Only the given length changes.
  UnicodeString partial = u"abc";
  CharUpperBuffW(partial.data(), 2);
  EXPECT_EQ(partial, u"ABc");
}

TEST_F(NLSSettings, AnsiCase) {
  struct Case {
    UINT CodePage;
    std::string In, Upper, Lower;
  };
  const Case cases[] = {
      {1252, "aZ\xE9\xC9\xFF\xDF", "AZ\xC9\xC9\x9F\xDF", "az\xE9\xE9\xFF\xDF"},
      {1251, "\xE0\xC0\xB8", "\xC0\xC0\xA8", "\xE0\xE0\xB8"},
      {1253, "\xE1\xC1", "\xC1\xC1", "\xE1\xE1"},
      {932, "a\x82\x61\x83\x41", "A\x82\x61\x83\x41", "a\x82\x61\x83\x41"},
  };
  for (const Case& c : cases) {
    SetACP(c.CodePage);
    std::string u = c.In, l = c.In;
    CharUpperBuffA(u.data(), static_cast<DWORD>(u.size()));
    CharLowerBuffA(l.data(), static_cast<DWORD>(l.size()));
    EXPECT_EQ(u, c.Upper) << c.CodePage;
    EXPECT_EQ(l, c.Lower) << c.CodePage;
  }
}

TEST_F(NLSSettings, Version) {
  OSVERSIONINFOW info;
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(info.dwMajorVersion, 10u);
  SetReportedVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 90);
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(info.dwMinorVersion, 90u);
  EXPECT_FALSE(GetVersionExW(nullptr));
}

}  // namespace
