#include "engine/foundation/RVUni.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/foundation/RVError.h"
#include "platform/base/NLS.h"

namespace {

// ---- code pages against the peer converter ------------------------------------------------------

bool HaveIconv() { return std::system("command -v iconv >/dev/null 2>&1") == 0; }

// Decodes bytes with the system's iconv; false when iconv refuses them (with skipUndefined,
// bytes it does not define are dropped instead).
bool IconvDecode(const std::string& iconvName, const std::string& bytes, UnicodeString& out,
                 bool skipUndefined) {
  const std::string path = std::string(TAVRELO_TEST_OUTPUT) + "/iconv-" + iconvName + ".bin";
  {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  const std::string cmd = std::string("iconv ") + (skipUndefined ? "-c " : "") + "-f " + iconvName + " -t UTF-8 '" + path + "' 2>/dev/null";
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return false;
  std::string utf8;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) utf8.append(buf, n);
  const int status = pclose(pipe);
  std::remove(path.c_str());
  if (status != 0) return false;
  out = Utf8ToUnicode(utf8);
  return true;
}

bool IsLeadByte(const CPINFO& info, int b) {
  for (int k = 0; k + 1 < MAX_LEADBYTES && info.LeadByte[k]; k += 2)
    if (b >= info.LeadByte[k] && b <= info.LeadByte[k + 1]) return true;
  return false;
}

bool IsCombining(WideChar c) {
  const WideChar pair[3] = {u'a', c, 0};
  return CharNextW(pair) == pair + 2;
}

struct Mapping {
  std::string Bytes;
  WideChar Char;
};

// Every printable character of the code page that maps both ways exactly. Combining marks are
// left out: decoding joins them with the letter before them.
std::vector<Mapping> Repertoire(TRVCodePage cp) {
  CPINFO info;
  EXPECT_TRUE(GetCPInfo(cp, &info));
  std::vector<Mapping> chars;
  auto consider = [&](const std::string& seq) {
    UnicodeString u;
    if (!CodePageToUnicode(cp, MB_ERR_INVALID_CHARS, seq, u) || u.size() != 1) return;
    const WideChar c = u[0];
    if (c == 0xFFFD || c < 0x20 || (c >= 0x7F && c < 0xA0) || IsCombining(c)) return;
    TRVRawByteString back;
    if (TryUnicodeToAnsiCP(cp, u, back) && back == seq) chars.push_back({seq, c});
  };
  for (int b = 0x20; b < 0x100; ++b) {
    if (IsLeadByte(info, b)) {
      for (int t = 0x30; t < 0xFF; ++t) consider({static_cast<char>(b), static_cast<char>(t)});
    } else {
      consider(std::string(1, static_cast<char>(b)));
    }
  }
  return chars;
}

// What iconv makes of each sequence on its own; an empty text where iconv does not define it
// (user-defined areas, bytes the system maps to themselves).
std::vector<UnicodeString> IconvEach(const std::string& name, const std::vector<Mapping>& reps) {
  std::string bytes;
  for (const Mapping& m : reps) bytes += m.Bytes + "\n";
  UnicodeString all;
  if (!IconvDecode(name, bytes, all, true)) return {};
  std::vector<UnicodeString> out(1);
  for (WideChar c : all) {
    if (c == u'\n')
      out.emplace_back();
    else
      out.back().push_back(c);
  }
  out.pop_back();
  return out;
}

struct CodePageCase {
  TRVCodePage CodePage;
  const char* IconvName;
  size_t MinRepertoire;
};

class CodePageRoundTrip : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageRoundTrip, RandomTextRoundTripsAndMatchesIconv) {
  const CodePageCase& c = GetParam();
  if (!IsValidCodePage(c.CodePage)) {
    FAIL() << "code page " << c.CodePage << " cannot be converted";
  }
  const std::vector<Mapping> rep = Repertoire(c.CodePage);
  ASSERT_GE(rep.size(), c.MinRepertoire);

  std::vector<WideChar> shared;
  const bool iconv = HaveIconv();
  if (iconv) {
    const std::vector<UnicodeString> peer = IconvEach(c.IconvName, rep);
    ASSERT_EQ(peer.size(), rep.size());
    for (size_t i = 0; i < rep.size(); ++i) {
      // iconv -c drops what it does not define; of a two-byte sequence it may keep the trail.
      if (peer[i].empty() || (rep[i].Bytes.size() == 2 && peer[i].size() == 1 && peer[i][0] < 0x80))
        continue;
      EXPECT_EQ(peer[i], UnicodeString(1, rep[i].Char)) << "character U+" << std::hex
                                                        << static_cast<unsigned>(rep[i].Char);
      shared.push_back(rep[i].Char);
    }
    ASSERT_GE(shared.size(), c.MinRepertoire);
  } else {
    for (const Mapping& m : rep) shared.push_back(m.Char);
  }

  std::mt19937 rng(c.CodePage);
  std::uniform_int_distribution<size_t> pick(0, shared.size() - 1);
  UnicodeString text;
  for (int i = 0; i < 4000; ++i) text.push_back(shared[pick(rng)]);
  text += u" plain ASCII 0123";

  TRVRawByteString bytes;
  ASSERT_TRUE(TryUnicodeToAnsiCP(c.CodePage, text, bytes));
  EXPECT_EQ(UnicodeToAnsiCP(c.CodePage, text), bytes);
  EXPECT_EQ(AnsiToUnicodeCP(c.CodePage, bytes), text);

  if (!iconv) GTEST_SKIP() << "iconv is not installed";
  UnicodeString peer;
  ASSERT_TRUE(IconvDecode(c.IconvName, bytes, peer, false));
  EXPECT_EQ(peer, text);
}

INSTANTIATE_TEST_SUITE_P(
    CharsetCodePages, CodePageRoundTrip,
    ::testing::Values(CodePageCase{874, "CP874", 170}, CodePageCase{932, "CP932", 9000},
                      CodePageCase{936, "CP936", 21000}, CodePageCase{949, "CP949", 17000},
                      CodePageCase{950, "CP950", 13000}, CodePageCase{1250, "CP1250", 200},
                      CodePageCase{1251, "CP1251", 200}, CodePageCase{1252, "CP1252", 200},
                      CodePageCase{1253, "CP1253", 200}, CodePageCase{1254, "CP1254", 200},
                      CodePageCase{1255, "CP1255", 180}, CodePageCase{1256, "CP1256", 200},
                      CodePageCase{1257, "CP1257", 200}, CodePageCase{1258, "CP1258", 200},
                      CodePageCase{1361, "CP1361", 17000}),
    [](const auto& info) { return "CP" + std::to_string(info.param.CodePage); });

}  // namespace

namespace {

// Process-wide settings that a test changes come back afterwards.
class UniSettings : public ::testing::Test {
 protected:
  void TearDown() override {
    SetACP(1252);
    SetKeyboardLayoutLanguage(0x0409);
    SetReportedVersion(VER_PLATFORM_WIN32_NT, 10, 0);
    InitUnicodeHelpers();
    RefCanvasScaleFactor = 100;
    FormatCanvasPixelsPerInch = 9600;
    SoftHyphensShownQuery = nullptr;
  }
};

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

TEST(RVUniCodePages, ConversionEdges) {
  const UnicodeString cyrillicA = u"\u0410";
  EXPECT_EQ(UnicodeToAnsiCP(1252, cyrillicA), "?");
  TRVRawByteString out = "stale";
  EXPECT_FALSE(TryUnicodeToAnsiCP(1252, cyrillicA, out));
  EXPECT_TRUE(TryUnicodeToAnsiCP(1251, cyrillicA, out));
  EXPECT_EQ(out, Bytes({0xC0}));
  EXPECT_TRUE(TryUnicodeToAnsiCP(1252, u"", out));
  EXPECT_EQ(out, "");
  EXPECT_FALSE(TryUnicodeToAnsiCP(12345, u"abc", out));
  EXPECT_EQ(AnsiToUnicodeCP(1252, ""), u"");
  EXPECT_EQ(UnicodeToAnsiCP(1252, u""), "");
  // An unknown code page converts with the system ANSI code page.
  EXPECT_EQ(AnsiToUnicodeCP(12345, Bytes({0x80, 0xE9})), u"\u20AC\u00E9");
  EXPECT_EQ(UnicodeToAnsiCP(12345, u"\u20AC\u00E9\u0410"), Bytes({0x80, 0xE9, '?'}));
  // 0, 1 and 2 are the system's ANSI, OEM and Mac code pages.
  EXPECT_EQ(AnsiToUnicodeCP(0, Bytes({0xE9})), u"\u00E9");
  EXPECT_EQ(AnsiToUnicodeCP(1, Bytes({0x82})), u"\u00E9");
  EXPECT_EQ(AnsiToUnicodeCP(2, Bytes({0x8E})), u"\u00E9");
}

TEST(RVUniCodePages, VietnameseIsPrecomposed) {
  // A letter followed by a tone mark decodes to the precomposed letter, and a precomposed
  // letter that the code page lacks is written as letter plus tone mark.
  EXPECT_EQ(AnsiToUnicodeCP(1258, Bytes({'a', 0xEC})), u"\u00E1");
  EXPECT_EQ(AnsiToUnicodeCP(1258, Bytes({0xEA, 0xEC})), u"\u1EBF");
  TRVRawByteString out;
  EXPECT_TRUE(TryUnicodeToAnsiCP(1258, u"\u1EBF", out));
  EXPECT_EQ(out, Bytes({0xEA, 0xEC}));
  EXPECT_EQ(AnsiToUnicodeCP(1258, out), u"\u1EBF");
  EXPECT_EQ(UnicodeToAnsiCP(1252, u"e\u0301"), "\xE9");
  EXPECT_TRUE(TryUnicodeToAnsiCP(1258, u"e\u0302\u0301", out));
  EXPECT_EQ(out, Bytes({0xEA, 0xEC}));
  if (!HaveIconv()) GTEST_SKIP() << "iconv is not installed";
  UnicodeString peer;
  ASSERT_TRUE(IconvDecode("CP1258", Bytes({'a', 0xEC, 0xEA, 0xEC}), peer, false));
  EXPECT_EQ(peer, u"\u00E1\u1EBF");
}

TEST_F(UniSettings, SystemCodePageSettingAndMultiByte) {
  EXPECT_FALSE(IsMultiByteCodePage());
  EXPECT_EQ(CharsetToCodePage(2), 0u);
  SetACP(932);
  EXPECT_TRUE(IsMultiByteCodePage());
  EXPECT_EQ(CharsetToCodePage(2), 1252u);
  EXPECT_EQ(AnsiToUnicodeCP(0, Bytes({0x82, 0xA0})), u"\u3042");
  EXPECT_EQ(BytesToUnicode(Bytes({0x82, 0xA0}), false), u"\u3042");
  EXPECT_EQ(UnicodeToBytes(u"\u3042", false), Bytes({0x82, 0xA0}));
  EXPECT_EQ(UnicodeToBytes(u"\u3042", true), Bytes({0xE3, 0x81, 0x82}));
  EXPECT_EQ(BytesToUnicode(Bytes({0xE3, 0x81, 0x82}), true), u"\u3042");
  EXPECT_EQ(UTF8ToUnicode(Bytes({0xE3, 0x81, 0x82})), u"\u3042");
}

TEST(RVUniCharsets, CodePagesAndLanguages) {
  struct Case {
    int Charset;
    TRVCodePage CodePage;
    LANGID Language;
  };
  const Case cases[] = {
      {0, 1252, 0},      {1, 0, 0},         {2, 0, 1024},      {77, 2, 1024},
      {128, 932, 1041},  {129, 949, 1042},  {130, 1361, 2066}, {134, 936, 2052},
      {136, 950, 1028},  {161, 1253, 1032}, {162, 1254, 1055}, {163, 1258, 1066},
      {177, 1255, 1037}, {178, 1256, 0},    {186, 1257, 0},    {204, 1251, 1049},
      {222, 874, 1054},  {238, 1250, 0},    {254, 1252, 1024}, {255, 1, 1024},
      {100, 0, 1024},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Charset);
    EXPECT_EQ(CharsetToCodePage(static_cast<TFontCharset>(c.Charset)), c.CodePage);
    EXPECT_EQ(CharsetToLanguageId(static_cast<TFontCharset>(c.Charset)), c.Language);
  }
}

TEST_F(UniSettings, LocalesAndKeyboard) {
  EXPECT_EQ(MakeLangId(0x19, 1), 0x0419);
  EXPECT_EQ(MakeLangId(0x04, 2), 0x0804);
  EXPECT_EQ(MakeLocaleId(0x0804, 2), 0x00020804u);
  EXPECT_EQ(LocaleOfLanguage(0x11), 0x0411u);
  struct Case {
    LCID Locale;
    TRVCodePage CodePage;
  };
  const Case cases[] = {
      {0x0419, 1251}, {0x0411, 932}, {0x0804, 936}, {0x0404, 950}, {0x0412, 949},
      {0x041E, 874},  {0x042A, 1258}, {0x0409, 1252}, {0x0405, 1250}, {0x0C1A, 1251},
      {0x081A, 1250}, {0x0439, 0},    {0x0400, 1252}, {0x03FF, 1252},  // unknown: system's
  };
  for (const Case& c : cases) EXPECT_EQ(LocaleAnsiCodePage(c.Locale), c.CodePage) << c.Locale;
  EXPECT_EQ(KeyboardCodePage(), 1252u);
  SetKeyboardLayoutLanguage(0x0419);
  EXPECT_EQ(KeyboardCodePage(), 1251u);
  EXPECT_EQ(KeyboardAnsiToUnicode(Bytes({0xC0})), u"\u0410");
}

TEST(RVUniConversions, BytesAndBOMs) {
  EXPECT_EQ(AnsiToSymbolUnicode(Bytes({0x41, 0xFF})), u"\uF041\uF0FF");
  EXPECT_EQ(UnicodeToString(u"\u0410b"), u"\u0410b");
  EXPECT_EQ(StringToUnicodeCP(u"\u0410b", 1252), u"\u0410b");
  EXPECT_EQ(UnicodeToStringCP(u"\u0410b", 1252), u"\u0410b");
  EXPECT_EQ(StringToUnicode(u"x"), u"x");
  EXPECT_EQ(RawBytesToUnicode(Bytes({0x41, 0x00, 0x10, 0x04})), u"A\u0410");
  EXPECT_EQ(UnicodeToRawBytes(u"A\u0410"), Bytes({0x41, 0x00, 0x10, 0x04}));
  try {
    RawBytesToUnicode("abc");
    FAIL() << "an odd byte count must raise";
  } catch (const EViroZereError& e) {
    EXPECT_EQ(e.Message(), u"Can't perform Unicode operation");
  }
  WideChar swapped[] = {0x4100, 0x1004};
  SwapUTF16Bytes(swapped, 2);
  EXPECT_EQ(UnicodeString(swapped, 2), u"A\u0410");

  struct Case {
    UnicodeString In;
    size_t Skipped;
    UnicodeString Rest;
  };
  const Case cases[] = {
      {u"\uFEFFab", 1, u"ab"}, {u"\uFFFE\u4100\u1004", 1, u"A\u0410"}, {u"ab", 0, u"ab"}, {u"", 0, u""},
  };
  for (Case c : cases) {
    WideChar* p = SkipUnicodeBOM(c.In);
    EXPECT_EQ(p, c.In.data() + c.Skipped);
    EXPECT_EQ(UnicodeString(p), c.Rest);
  }
}

TEST(RVUniStreams, TestUnicodeStream) {
  std::string zeroPast502(600, 'a');
  zeroPast502[550] = '\0';
  std::string zeroWithin(600, 'a');
  zeroWithin[501] = '\0';
  struct Case {
    const char* Name;
    std::string Data;
    TRVUnicodeTestResult Result;
  };
  const Case cases[] = {
      {"empty", "", rvutrEmpty},
      {"FF FE", Bytes({0xFF, 0xFE}), rvutrUnicode},
      {"FE FF", Bytes({0xFE, 0xFF, 'a', 'b'}), rvutrUnicode},
      {"odd size", "abc", rvutrOddSize},
      {"1000 ASCII bytes", std::string(1000, 'a'), rvutrNotUnicode},
      {"zero past the first 502 bytes", zeroPast502, rvutrNotUnicode},
      {"zero at byte 502", zeroWithin, rvutrUnicode},
      {"UTF-16 without BOM", Bytes({'a', 0, 'b', 0}), rvutrUnicode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemoryStream s;
    if (!c.Data.empty()) s.WriteBuffer(c.Data.data(), static_cast<std::int64_t>(c.Data.size()));
    s.SetPosition(0);
    EXPECT_EQ(TestUnicodeStream(s), c.Result);
    const std::string path = std::string(TAVRELO_TEST_OUTPUT) + "/unitest.txt";
    {
      std::ofstream f(path, std::ios::binary);
      f.write(c.Data.data(), static_cast<std::streamsize>(c.Data.size()));
    }
    EXPECT_EQ(TestUnicodeFile(Utf8ToUnicode(path)), c.Result);
    std::remove(path.c_str());
  }
  EXPECT_EQ(TestUnicodeFile(u"/nonexistent/dir/file.txt"), rvutrError);
}

// A stream that fails every read, as a damaged medium would.
class TFailingStream : public TStream {
 public:
  std::int64_t Read(void*, std::int64_t) override { throw EReadError(u"Stream read error"); }
  std::int64_t Write(const void*, std::int64_t count) override { return count; }
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return 0; }
  std::int64_t GetSize() override { return 10; }
};

TEST(RVUniStreams, ReadErrorsAreCaught) {
  TFailingStream s;
  EXPECT_EQ(TestUnicodeStream(s), rvutrError);
  EXPECT_FALSE(StreamHasUTF8BOM(s));
}

TEST(RVUniStreams, UTF8BOM) {
  struct Case {
    std::string Data;
    bool HasBOM;
  };
  const Case cases[] = {
      {Bytes({0xEF, 0xBB, 0xBF}), true},
      {Bytes({0xEF, 0xBB, 0xBF, 'x'}), true},
      {Bytes({0xEF, 0xBB}), false},
      {Bytes({0xEF, 0xBB, 0xBE}), false},
      {"", false},
  };
  for (const Case& c : cases) {
    TMemoryStream s;
    if (!c.Data.empty()) s.WriteBuffer(c.Data.data(), static_cast<std::int64_t>(c.Data.size()));
    s.SetPosition(0);
    EXPECT_EQ(StreamHasUTF8BOM(s), c.HasBOM);
    const std::string path = std::string(TAVRELO_TEST_OUTPUT) + "/bomtest.txt";
    {
      std::ofstream f(path, std::ios::binary);
      f.write(c.Data.data(), static_cast<std::streamsize>(c.Data.size()));
    }
    EXPECT_EQ(FileHasUTF8BOM(Utf8ToUnicode(path)), c.HasBOM);
    std::remove(path.c_str());
  }
  EXPECT_FALSE(FileHasUTF8BOM(u"/nonexistent/dir/file.txt"));
}

TEST(RVUniStreams, ReadingUTF16Streams) {
  TMemoryStream s;
  const std::string data = Bytes({'x', 0x41, 0x00, 0x10, 0x04, 0xAC, 0x20});
  s.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  s.SetPosition(1);
  EXPECT_EQ(ReadUnicodeStreamRest(s), u"A\u0410\u20AC");
  EXPECT_EQ(ReadUnicodeStreamRest(s), u"");  // at the end
  s.SetPosition(1);
  EXPECT_EQ(ReadUnicodeStreamAsAnsi(s, 1251), Bytes({'A', 0xC0, 0x88}));
  s.SetPosition(1);
  TMemoryStream target;
  UnicodeStreamToAnsiStream(s, target, 1252);
  EXPECT_EQ(target.GetSize(), 3);
  s.SetPosition(0);
  EXPECT_THROW(ReadUnicodeStreamRest(s), EViroZereError);
  EXPECT_EQ(s.GetPosition(), 0);
}

TEST(RVUniCharacters, CodePointsAndSurrogates) {
  EXPECT_EQ(CodePointToUTF16(0x41), u"A");
  EXPECT_EQ(CodePointToUTF16(0xFFFF), u"\uFFFF");
  EXPECT_EQ(CodePointToUTF16(0x10000), u"\U00010000");
  EXPECT_EQ(CodePointToUTF16(0x1F600), u"\U0001F600");
  EXPECT_EQ(CodePointToUTF16(0x10FFFF), u"\U0010FFFF");
  struct Case {
    WideChar High, Low;
    DWORD CodePoint;
  };
  const Case cases[] = {
      {0xD83D, 0xDE00, 0x1F600}, {0xD800, 0xDC00, 0x10000}, {0xDBFF, 0xDFFF, 0x10FFFF},
      {0xDE00, 0xD83D, 0},       {0x0041, 0xDC00, 0},       {0xD800, 0x0041, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(SurrogatePairToCodePoint(c.High, c.Low), c.CodePoint);
  EXPECT_TRUE(IsHighSurrogate(0xD800));
  EXPECT_FALSE(IsHighSurrogate(0xDC00));
  EXPECT_TRUE(IsLowSurrogate(0xDFFF));
  EXPECT_FALSE(IsLowSurrogate(0xE000));
  for (WideChar c : {u'\'', u'\u0092', u'\u2019'}) EXPECT_TRUE(IsApostrophe(c));
  for (WideChar c : {u'"', u'\u2018', u'`'}) EXPECT_FALSE(IsApostrophe(c));
}

TEST_F(UniSettings, CharacterStepping) {
  struct Case {
    const char* Name;
    UnicodeString Text;
    size_t From;
    size_t Next;  // NextCharPtr(From) on NT
    size_t Prev;  // PrevCharPtr(start, From) on NT
  };
  const Case cases[] = {
      {"letters", u"abc", 1, 2, 0},
      {"pair", u"a\U0001F600b", 1, 3, 0},
      {"after pair", u"a\U0001F600b", 3, 4, 1},
      {"inside pair", u"a\U0001F600b", 2, 3, 0},
      {"high then letter", u"a\xD83D" u"b", 1, 2, 0},
      {"combining", u"ae\u0301\u0302x", 1, 4, 0},
      {"after combining", u"ae\u0301\u0302x", 4, 5, 1},
      {"stray low", u"a\xDC00" u"b", 0, 2, 0},
      {"at end", u"ab", 2, 3, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const WideChar* s = c.Text.c_str();
    EXPECT_EQ(NextCharPtr(s + c.From) - s, static_cast<std::ptrdiff_t>(c.Next));
    EXPECT_EQ(PrevCharPtr(s, s + c.From) - s, static_cast<std::ptrdiff_t>(c.Prev));
  }
  const WideChar* s = u"ab";
  EXPECT_EQ(PrevCharPtr(s, s), s);
  UnicodeString editable = u"x\U0001F600";
  WideChar* w = editable.data();
  EXPECT_EQ(NextCharPtr(w + 1), w + 3);
  EXPECT_EQ(PrevCharPtr(w, w + 3), w + 1);
  // Without the system's stepping a combining mark is a character of its own.
  IsWinNT = false;
  const UnicodeString t = u"e\u0301x";
  EXPECT_EQ(NextCharPtr(t.c_str()), t.c_str() + 1);
  EXPECT_EQ(PrevCharPtr(t.c_str(), t.c_str() + 2), t.c_str() + 1);
}

TEST_F(UniSettings, VersionFlags) {
  struct Case {
    DWORD Platform, Major;
    bool NT, Vista, Win10;
    int Scale, Ppi;
  };
  const Case cases[] = {
      {VER_PLATFORM_WIN32_NT, 10, true, true, true, 100, 9600},
      {VER_PLATFORM_WIN32_NT, 6, true, true, false, 100, 9600},
      {VER_PLATFORM_WIN32_NT, 5, true, false, false, 100, 9600},
      {VER_PLATFORM_WIN32_WINDOWS, 10, false, false, false, 10, 960},
  };
  for (const Case& c : cases) {
    RefCanvasScaleFactor = 100;
    FormatCanvasPixelsPerInch = 9600;
    SetReportedVersion(c.Platform, c.Major, 0);
    InitUnicodeHelpers();
    EXPECT_EQ(IsWinNT, c.NT);
    EXPECT_EQ(IsWinVistaOrLater, c.Vista);
    EXPECT_EQ(IsWin10OrLater, c.Win10);
    EXPECT_EQ(RefCanvasScaleFactor, c.Scale);
    EXPECT_EQ(FormatCanvasPixelsPerInch, c.Ppi);
  }
}

TEST_F(UniSettings, TransformTextForDisplay) {
  struct Case {
    const char* Name;
    UnicodeString Text;
    bool AllCaps, AtLineEnd, Skip, Remove, Show, Vista;
    int Pos1, Pos2;
    UnicodeString Result;
    int NewPos1, NewPos2;
  };
  const Case cases[] = {
      {"soft hyphen removed", u"ab\u00ADc", false, false, false, true, false, true, 4, 2, u"abc", 3, 2},
      {"soft hyphen kept", u"ab\u00ADc", false, false, false, false, false, true, 4, 2, u"ab\u00ADc", 4, 2},
      {"soft hyphen shown", u"ab\u00ADc", false, false, false, true, true, true, 4, 2, u"ab\u00ACc", 4, 2},
      {"soft hyphen at line end", u"ab\u00AD", false, true, false, true, false, true, 3, 1, u"ab-", 3, 1},
      {"soft hyphen last, no line end", u"ab\u00AD", false, false, false, true, false, true, 3, 1, u"ab", 3, 1},
      {"non-breaking hyphen", u"a\u2011b", false, false, false, false, false, true, 1, 1, u"a-b", 1, 1},
      {"all caps keeps length", u"stra\u00DFe", true, false, false, false, false, true, 1, 1, u"STRA\u00DFE", 1, 1},
      {"skip", u"a\u2011\u00ADb", true, true, true, true, true, true, 4, 4, u"a\u2011\u00ADb", 4, 4},
      {"zero width kept on Vista", u"a\u200Bb\u2060c", false, false, false, true, false, true, 5, 3, u"a\u200Bb\u2060c", 5, 3},
      {"zero width removed before Vista", u"a\u200Bb\u2060c", false, false, false, true, false, false, 5, 3, u"abc", 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    IsWinVistaOrLater = c.Vista;
    UnicodeString result;
    int p1 = c.Pos1, p2 = c.Pos2;
    TransformTextForDisplay(c.Text, c.AllCaps, c.AtLineEnd, result, p1, p2, c.Skip, c.Remove, c.Show);
    EXPECT_EQ(result, c.Result);
    EXPECT_EQ(p1, c.NewPos1);
    EXPECT_EQ(p2, c.NewPos2);
    UnicodeString simple;
    TransformTextForDisplaySimple(c.Text, c.AllCaps, c.AtLineEnd, simple, c.Skip, c.Remove, c.Show);
    EXPECT_EQ(simple, c.Result);
  }
  // Soft hyphens are shown only while the shown special characters include them.
  SoftHyphensShownQuery = [] { return false; };
  UnicodeString result;
  TransformTextForDisplaySimple(u"a\u00ADb", false, false, result, false, false, true);
  EXPECT_EQ(result, u"a\u00ADb");
  // Without the NT kernel all capitals are not applied.
  IsWinNT = false;
  TransformTextForDisplaySimple(u"ab", true, false, result, false, false, false);
  EXPECT_EQ(result, u"ab");
}

TEST(RVUniSearch, FindOptionsToSearchOptions) {
  const TRVESearchOptions always{rvseoMultiItem, rvseoSmartStart};
  EXPECT_EQ(FindOptionsToSearchOptions({}), always);
  const TRVESearchOptions all = always + rvseoMatchCase + rvseoDown + rvseoWholeWord;
  EXPECT_EQ(FindOptionsToSearchOptions({frMatchCase, frDown, frWholeWord, frReplace}), all);
  EXPECT_EQ(FindOptionsToSearchOptions({frDown, frFindNext}), always + rvseoDown);
}

}  // namespace
