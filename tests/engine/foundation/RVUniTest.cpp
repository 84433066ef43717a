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
      for (int t = 0x40; t < 0xFF; ++t) consider({static_cast<char>(b), static_cast<char>(t)});
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
    ASSERT_EQ(c.CodePage, 1361u) << "only Johab may be missing from the converter library";
    GTEST_SKIP() << "code page 1361 is not available";
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
    ::testing::Values(CodePageCase{874, "CP874", 90}, CodePageCase{932, "CP932", 7000},
                      CodePageCase{936, "CP936", 20000}, CodePageCase{949, "CP949", 8000},
                      CodePageCase{950, "CP950", 13000}, CodePageCase{1250, "CP1250", 200},
                      CodePageCase{1251, "CP1251", 200}, CodePageCase{1252, "CP1252", 200},
                      CodePageCase{1253, "CP1253", 180}, CodePageCase{1254, "CP1254", 200},
                      CodePageCase{1255, "CP1255", 150}, CodePageCase{1256, "CP1256", 200},
                      CodePageCase{1257, "CP1257", 200}, CodePageCase{1258, "CP1258", 190},
                      CodePageCase{1361, "CP1361", 10000}),
    [](const auto& info) { return "CP" + std::to_string(info.param.CodePage); });

}  // namespace
