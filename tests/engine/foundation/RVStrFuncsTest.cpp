#include "engine/foundation/RVStrFuncs.h"

#include <gtest/gtest.h>

#include "engine/foundation/RVUni.h"
#include "platform/base/NLS.h"

namespace {

TEST(RVStrFuncsNumbers, FormattingAndParsing) {
  EXPECT_EQ(IntToStrAnsi(-42), "-42");
  EXPECT_EQ(IntToStrUnicode(2147483647), u"2147483647");
  EXPECT_EQ(IntToStrUnicode(-2147483647 - 1), u"-2147483648");
  EXPECT_EQ(IntToHexAnsi(255, 4), "00FF");
  EXPECT_EQ(IntToHexUnicode(0xABCDE, 2), u"ABCDE");
  EXPECT_EQ(IntToHexUnicode(-1, 1), u"FFFFFFFF");
  EXPECT_EQ(StrToIntAnsi("-17"), -17);
  EXPECT_EQ(StrToIntUnicode(u"$1F"), 31);
  EXPECT_DOUBLE_EQ(static_cast<double>(AnsiStrToFloat("2.5")), 2.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(UnicodeStrToFloat(u"-0.125")), -0.125);

  struct Bad {
    const char* Text;
    const char16_t* Message;
    bool Float;
  };
  const Bad bad[] = {
      {"12a", u"'12a' is not a valid integer value", false},
      {"", u"'' is not a valid integer value", false},
      {"\xC0", u"'\u00C0' is not a valid integer value", false},  // widened as ANSI text
      {"1.2.3", u"'1.2.3' is not a valid floating point value", true},
  };
  for (const Bad& b : bad) {
    try {
      if (b.Float)
        AnsiStrToFloat(b.Text);
      else
        StrToIntAnsi(b.Text);
      ADD_FAILURE() << b.Text << " must raise";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), b.Message);
    }
  }
  EXPECT_THROW(StrToIntUnicode(u"x"), EConvertError);
  EXPECT_THROW(UnicodeStrToFloat(u"x"), EConvertError);
}

TEST(RVStrFuncsBuffers, ZeroTerminated) {
  EXPECT_EQ(StrLenW(u"abc"), 3);
  EXPECT_EQ(StrLenW(u""), 0);

  struct Cmp {
    const char16_t* A;
    const char16_t* B;
    int N;
    int Sign;
  };
  const Cmp cmps[] = {
      {u"abc", u"abd", 3, -1}, {u"abc", u"abd", 2, 0}, {u"abd", u"abc", 5, 1},
      {u"ab", u"ab", 10, 0},   {u"ab", u"abc", 3, -1}, {u"x", u"y", 0, 0},
  };
  for (const Cmp& c : cmps) {
    const int r = StrLCompW(c.A, c.B, c.N);
    EXPECT_EQ((r > 0) - (r < 0), c.Sign) << UnicodeToUtf8(c.A) << " " << UnicodeToUtf8(c.B);
  }
  EXPECT_EQ(StrLCompW(u"b", u"a", 1), 1);

  const char16_t* s = u"hello";
  EXPECT_EQ(StrScanW(s, u'l'), s + 2);
  EXPECT_EQ(StrScanW(s, u'\0'), s + 5);
  EXPECT_EQ(StrScanW(s, u'z'), nullptr);
  EXPECT_EQ(StrScanW(nullptr, u'a'), nullptr);

  const char16_t withZero[] = {u'a', 0, u'b', u'c'};
  EXPECT_EQ(StrScanLenW(withZero, u'b', 4), withZero + 2);
  EXPECT_EQ(StrScanLenW(withZero, u'c', 3), nullptr);
  EXPECT_EQ(StrScanLenW(withZero, 0, 4), withZero + 1);
  EXPECT_EQ(StrScanLenW(nullptr, u'a', 4), nullptr);

  const char16_t text[] = {u'x', 0, u'a', u'b', u'a', u'b', u'c'};
  struct PosCase {
    const char16_t* Pattern;
    int N, M;
    int At;  // -1: not found
  };
  const PosCase cases[] = {
      {u"abc", 7, 3, 4}, {u"ab", 7, 2, 2}, {u"ab", 3, 2, -1}, {u"abc", 7, 0, -1},
      {u"abc", 0, 3, -1}, {u"abcabcabc", 7, 8, -1}, {u"zz", 7, 2, -1},
  };
  for (const PosCase& c : cases) {
    const char16_t* r = StrPosLenW(text, c.N, c.Pattern, c.M);
    if (c.At < 0)
      EXPECT_EQ(r, nullptr) << UnicodeToUtf8(c.Pattern);
    else
      EXPECT_EQ(r, text + c.At) << UnicodeToUtf8(c.Pattern);
  }
  // A start place that holds a zero is skipped even though a zero pattern would match there.
  const char16_t zeroPattern[] = {0, u'q'};
  EXPECT_EQ(StrPosLenW(text, 7, zeroPattern, 2), nullptr);
}

TEST(RVStrFuncsSearch, AnsiAndUnicode) {
  using namespace std::string_literals;
  struct Case {
    std::string Sub, S;
    int Offset;  // 0: PosAnsi
    int Result;
  };
  const Case cases[] = {
      {"b", "abc", 0, 2},
      {"bc", "abc", 0, 2},
      {"", "abc", 0, 0},
      {"x", "", 0, 0},
      {"c", "ab\0c"s, 0, 0},  // after a zero byte
      {"cd", "ab\0cd"s, 0, 0},
      {"\0"s, "ab\0c"s, 0, 0},  // the terminator is not found
      {"a", "aba", 2, 3},
      {"ab", "abab", 2, 3},
      {"a", "aba", -1, 0},
      {"ab", "abab", 4, 0},  // too little room: no search
      {"b", "abc", 3, 0},
      {"c", "abc", 3, 3},
  };
  for (const Case& c : cases) {
    const int r = c.Offset == 0 ? PosAnsi(c.Sub, c.S) : PosExAnsi(c.Sub, c.S, c.Offset);
    EXPECT_EQ(r, c.Result) << c.Sub << " in " << c.S << " from " << c.Offset;
  }
  EXPECT_EQ(PosExAnsi("a", "aba", 0), 0);

  EXPECT_EQ(PosUnicode(u"\u0410", u"x\u0410"), 2);
  EXPECT_EQ(PosUnicode(u"", u"abc"), 0);
  EXPECT_EQ(PosUnicode(u"c", UnicodeString(u"ab\0c", 4)), 4);  // no zero rule here
  EXPECT_EQ(PosExUnicode(u"a", u"aba", 2), 3);
  EXPECT_EQ(PosExUnicode(u"a", u"aba", 0), 0);
  EXPECT_EQ(PosExUnicode(u"a", u"aba", 4), 0);
}

TEST(RVStrFuncsCase, UnicodeAndAnsi) {
  EXPECT_EQ(UpperCaseUnicode(u""), u"");
  EXPECT_EQ(LowerCaseUnicode(u""), u"");
  const UnicodeString withZero(u"a\0\u0431\u00DF", 4);
  EXPECT_EQ(UpperCaseUnicode(withZero), UnicodeString(u"A\0\u0411\u00DF", 4));
  EXPECT_EQ(LowerCaseUnicode(u"\u0411\u0130Z"), u"\u0431iz");
  IsWinNT = false;
  EXPECT_EQ(UpperCaseUnicode(u"abc"), u"abc");
  IsWinNT = true;

  EXPECT_EQ(UpperCaseAnsi("abc\xE9\xFF"), "ABC\xC9\x9F");  // 1252: e acute and y diaeresis
  EXPECT_EQ(LowerCaseAnsi("ABC\xC9\x8A"), "abc\xE9\x9A");
  EXPECT_EQ(UpperCaseAnsi("\xDF\xB5"), "\xDF\xB5");  // sharp s and micro have no upper case here
  SetACP(1251);
  EXPECT_EQ(UpperCaseAnsi("\xE0\xFF"), "\xC0\xDF");
  SetACP(932);
  // In a multibyte code page a trail byte that looks like a letter is left alone.
  EXPECT_EQ(UpperCaseAnsi("a\x82\x61z"), "A\x82\x61Z");
  SetACP(1252);
}

TEST(RVStrFuncsFormat, FormatAndTrim) {
  EXPECT_EQ(FormatUnicode(u"%1:s %0:s", {u"a", u"b"}), u"b a");
  EXPECT_EQ(FormatAnsi("%s=%d", {"k\xE9", 5}), "k\xE9=5");
  EXPECT_EQ(FormatAnsi("%s", {UnicodeString(u"\u20AC\u0410")}), "\x80?");
  EXPECT_THROW(FormatAnsi("%", {}), EConvertError);

  struct Case {
    std::string In, Out;
  };
  const Case cases[] = {
      {"  a b \t\r\n", "a b"}, {"\x01x\x1F", "x"}, {"   ", ""}, {"", ""}, {"\xA0x\xA0", "\xA0x\xA0"},
  };
  for (const Case& c : cases) EXPECT_EQ(TrimAnsi(c.In), c.Out);
}

TEST(RVStrFuncsSets, CharInAnsiSet) {
  TRVAnsiCharSet set;
  for (int b = 0; b < 256; ++b) set.Include(static_cast<unsigned char>(b));
  EXPECT_TRUE(CharInAnsiSet(u'a', set));
  EXPECT_TRUE(CharInAnsiSet(127, set));
  for (WideChar c : {WideChar(128), WideChar(0xE9), WideChar(0x161), WideChar(0x4E00)})
    EXPECT_FALSE(CharInAnsiSet(c, set)) << static_cast<unsigned>(c);
  const TRVAnsiCharSet digits = TRVAnsiCharSet::Range('0', '9');
  EXPECT_TRUE(CharInAnsiSet(u'5', digits));
  EXPECT_FALSE(CharInAnsiSet(u'a', digits));
  EXPECT_FALSE(CharInAnsiSet(0x135, digits));  // low byte is '5'
}

TEST(RVStrFuncsWidening, TruncateAndWiden) {
  EXPECT_EQ(UnicodeToAnsiTruncate(u"A\u0142"), "A\x42");
  EXPECT_EQ(AnsiToUnicodeWiden("A\xE9"), u"A\u00E9");
}

TEST(RVStrFuncsReplace, ReplaceAll) {
  struct Case {
    std::string S, Pattern, Replacement, Result;
  };
  const Case cases[] = {
      {"aaa", "a", "aa", "aaaaaa"},
      {"abab", "ab", "b", "bb"},
      {"abc", "", "x", "abc"},
      {"", "a", "x", ""},
      {"xyx", "x", "", "y"},
      {"aaaa", "aa", "a", "aa"},
      {"hello", "lo", "p!", "help!"},
      {"abc", "abcd", "x", "abc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplaceAllAnsi(c.S, c.Pattern, c.Replacement), c.Result) << c.S;
    const UnicodeString u = ReplaceAllUnicode(AnsiToUnicodeWiden(c.S), AnsiToUnicodeWiden(c.Pattern),
                                              AnsiToUnicodeWiden(c.Replacement));
    EXPECT_EQ(u, AnsiToUnicodeWiden(c.Result)) << c.S;
    EXPECT_EQ(ReplaceAllString(AnsiToUnicodeWiden(c.S), AnsiToUnicodeWiden(c.Pattern),
                               AnsiToUnicodeWiden(c.Replacement)),
              u);
  }
  EXPECT_EQ(ReplaceCharAnsi("a\"b\"", '"', "&quot;"), "a&quot;b&quot;");
  EXPECT_EQ(ReplaceCharAnsi("abc", 'x', "yy"), "abc");
  EXPECT_EQ(ReplaceCharAnsi("aa", 'a', ""), "");
}

TEST(RVStrFuncsBuild, StringOfCharAndQuotes) {
  EXPECT_EQ(StringOfCharUnicode(u'-', 3), u"---");
  EXPECT_EQ(StringOfCharUnicode(u'-', 0), u"");
  EXPECT_EQ(StringOfCharUnicode(u'-', -2), u"");
  EXPECT_EQ(QuoteUnicode(u"it's", u'\''), u"'it''s'");
  EXPECT_EQ(QuoteUnicode(u"", u'"'), u"\"\"");
  EXPECT_EQ(QuoteAnsi("it's", '\''), "'it''s'");

  struct Case {
    const char* In;
    std::string Result;
    int Moved;  // how far p moves
  };
  const Case cases[] = {
      {"'it''s'", "it's", 7},
      {"'it''s' rest", "it's", 7},
      {"'ab", "ab", 3},
      {"'a''b", "a'b", 5},
      {"''", "", 2},
      {"''''", "'", 4},
      {"abc", "", 0},
      {"", "", 0},
  };
  for (const Case& c : cases) {
    const AnsiChar* p = c.In;
    EXPECT_EQ(ExtractQuotedAnsi(p, '\''), c.Result) << c.In;
    EXPECT_EQ(p - c.In, c.Moved) << c.In;
  }
  const AnsiChar* null = nullptr;
  EXPECT_EQ(ExtractQuotedAnsi(null, '\''), "");
  EXPECT_EQ(null, nullptr);
  const std::string quoted = QuoteAnsi("it's", '\'');
  const AnsiChar* p = quoted.c_str();
  EXPECT_EQ(ExtractQuotedAnsi(p, '\''), "it's");
  EXPECT_EQ(p, quoted.c_str() + quoted.size());
}

TEST(RVStrFuncsBuild, PrepareDescriptionText) {
  struct Case {
    UnicodeString In, Out;
  };
  const Case cases[] = {
      {u"one line", u"one line"}, {u"a\r\nb", u"a\r\nb"}, {u"a\rb", u"a\r\nb"},
      {u"a\nb", u"a\r\nb"},       {u"a\n\rb", u"a\r\n\r\nb"}, {u"\r", u"\r\n"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(PrepareDescriptionText(c.In), c.Out);
}

}  // namespace
