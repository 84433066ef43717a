// Every code page the program converts with, checked whole against an independent reference
// (Python's codecs, which agree with iconv wherever both have the code page): every byte of a
// single-byte code page, every lead and trail pair of a double-byte one, and every BMP character
// in the other direction. Where the system's own table differs from the reference on purpose, the
// system's mapping is kept and listed below.
#include "platform/base/NLS.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Reference {
  bool Double = false;
  std::map<std::string, char32_t> Decode;  // bytes -> the one character they decode to
  std::map<char32_t, std::string> Encode;  // double-byte only: character -> bytes
};

std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (unsigned char b : bytes) {
    s.push_back(digits[b >> 4]);
    s.push_back(digits[b & 15]);
  }
  return s;
}

std::string FromHex(const std::string& hex) {
  std::string s;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    s.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return s;
}

std::string CodePoint(char32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
  return buf;
}

// Runs the reference script; false when Python cannot be run.
bool LoadReference(const std::vector<UINT>& codePages, std::map<UINT, Reference>& refs,
                   std::set<UINT>& missing) {
  std::string cmd = "python3 " TAVRELO_TEST_DATA "/codepages/reference.py";
  for (UINT cp : codePages) cmd += " " + std::to_string(cp);
  cmd += " 2>/dev/null";
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return false;
  std::string text;
  char buf[1 << 16];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) text.append(buf, n);
  if (pclose(pipe) != 0) return false;
  std::istringstream in(text);
  std::string kind;
  Reference* current = nullptr;
  while (in >> kind) {
    if (kind == "cp") {
      UINT cp;
      std::string form;
      in >> cp >> form;
      current = &refs[cp];
      current->Double = form == "double";
    } else if (kind == "missing") {
      UINT cp;
      in >> cp;
      missing.insert(cp);
    } else if (kind == "d" && current) {
      std::string bytes, c;
      in >> bytes >> c;
      current->Decode[FromHex(bytes)] = static_cast<char32_t>(std::stoul(c, nullptr, 16));
    } else if (kind == "e" && current) {
      std::string c, bytes;
      in >> c >> bytes;
      current->Encode[static_cast<char32_t>(std::stoul(c, nullptr, 16))] = FromHex(bytes);
    }
  }
  return !refs.empty();
}

// Where the system's own table differs from the reference on purpose. Bytes (a single byte or
// a lead and trail pair) from First to Last decode to consecutive characters from Character on;
// Character 0 leaves them undefined, kSameValue maps each byte to the code point of its value.
constexpr char32_t kSameValue = 0xFFFFFFFF;
struct Difference {
  UINT CodePage;
  unsigned First, Last;
  char32_t Character;
  const char* Why;
};

// The ANSI code pages pass the bytes they leave undefined through as the C1 controls.
constexpr const char* kPassThrough = "undefined bytes pass through as C1 controls";
const Difference kDifferences[] = {
    {874, 0x81, 0x84, kSameValue, kPassThrough},
    {874, 0x86, 0x90, kSameValue, kPassThrough},
    {874, 0x98, 0x9F, kSameValue, kPassThrough},
    {874, 0xDB, 0xDE, 0xF8C1, "undefined bytes map to private use"},
    {874, 0xFC, 0xFF, 0xF8C5, "undefined bytes map to private use"},
    {1250, 0x81, 0x81, kSameValue, kPassThrough}, {1250, 0x83, 0x83, kSameValue, kPassThrough},
    {1250, 0x88, 0x88, kSameValue, kPassThrough}, {1250, 0x90, 0x90, kSameValue, kPassThrough},
    {1250, 0x98, 0x98, kSameValue, kPassThrough},
    {1251, 0x98, 0x98, kSameValue, kPassThrough},
    {1252, 0x81, 0x81, kSameValue, kPassThrough}, {1252, 0x8D, 0x8D, kSameValue, kPassThrough},
    {1252, 0x8F, 0x90, kSameValue, kPassThrough}, {1252, 0x9D, 0x9D, kSameValue, kPassThrough},
    {1253, 0x81, 0x81, kSameValue, kPassThrough}, {1253, 0x88, 0x88, kSameValue, kPassThrough},
    {1253, 0x8A, 0x8A, kSameValue, kPassThrough}, {1253, 0x8C, 0x90, kSameValue, kPassThrough},
    {1253, 0x98, 0x98, kSameValue, kPassThrough}, {1253, 0x9A, 0x9A, kSameValue, kPassThrough},
    {1253, 0x9C, 0x9F, kSameValue, kPassThrough},
    {1253, 0xAA, 0xAA, kSameValue, "undefined byte passes through"},
    {1254, 0x81, 0x81, kSameValue, kPassThrough}, {1254, 0x8D, 0x90, kSameValue, kPassThrough},
    {1254, 0x9D, 0x9E, kSameValue, kPassThrough},
    {1255, 0x81, 0x81, kSameValue, kPassThrough}, {1255, 0x8A, 0x8A, kSameValue, kPassThrough},
    {1255, 0x8C, 0x90, kSameValue, kPassThrough}, {1255, 0x9A, 0x9A, kSameValue, kPassThrough},
    {1255, 0x9C, 0x9F, kSameValue, kPassThrough},
    {1257, 0x81, 0x81, kSameValue, kPassThrough}, {1257, 0x83, 0x83, kSameValue, kPassThrough},
    {1257, 0x88, 0x88, kSameValue, kPassThrough}, {1257, 0x8A, 0x8A, kSameValue, kPassThrough},
    {1257, 0x8C, 0x8C, kSameValue, kPassThrough}, {1257, 0x90, 0x90, kSameValue, kPassThrough},
    {1257, 0x98, 0x98, kSameValue, kPassThrough}, {1257, 0x9A, 0x9A, kSameValue, kPassThrough},
    {1257, 0x9C, 0x9C, kSameValue, kPassThrough}, {1257, 0x9F, 0x9F, kSameValue, kPassThrough},
    {1258, 0x81, 0x81, kSameValue, kPassThrough}, {1258, 0x8A, 0x8A, kSameValue, kPassThrough},
    {1258, 0x8D, 0x90, kSameValue, kPassThrough}, {1258, 0x9A, 0x9A, kSameValue, kPassThrough},
    {1258, 0x9D, 0x9E, kSameValue, kPassThrough},
    {936, 0x80, 0x80, 0x20AC, "the euro sign"},
    {936, 0xFF, 0xFF, 0xF8F5, "undefined byte maps to private use"},
    {949, 0x80, 0x80, kSameValue, "undefined byte passes through"},
    {949, 0xFF, 0xFF, 0xF8F7, "undefined byte maps to private use"},
    {950, 0x80, 0x80, kSameValue, "undefined byte passes through"},
    {950, 0xFF, 0xFF, 0xF8F8, "undefined byte maps to private use"},
    {1361, 0x5C, 0x5C, 0x20A9, "the won sign in place of the backslash"},
    {1361, 0x8441, 0x8443, 0, "fill codes the reference only reads"},
    {1361, 0x8445, 0x8445, 0, "fill codes the reference only reads"},
    {1361, 0x8448, 0x8449, 0, "fill codes the reference only reads"},
    {1361, 0x8451, 0x8451, 0, "fill codes the reference only reads"},
    {1361, 0x8453, 0x8453, 0, "fill codes the reference only reads"},
    {1361, 0x8455, 0x845D, 0, "fill codes the reference only reads"},
};

// Rows of user-defined characters: the system's table gives private-use characters where the
// reference has none, and in these rows even where the reference has an extension character.
struct PrivateUseRows {
  UINT CodePage;
  unsigned FirstLead, LastLead;
};
const PrivateUseRows kPrivateUseRows[] = {
    {950, 0xC6, 0xC8},  // the reference reads an extension set of kana and Cyrillic there
};

// Characters with two codes, written with the code the system prefers.
struct PreferredCode {
  UINT CodePage;
  char32_t Character;
  unsigned Bytes;
  const char* Why;
};
const PreferredCode kPreferredCodes[] = {
    {950, 0x2550, 0xF9F9, "box drawing"}, {950, 0x255E, 0xF9E9, "box drawing"},
    {950, 0x2561, 0xF9EB, "box drawing"}, {950, 0x256A, 0xF9EA, "box drawing"},
    // Not the system's choice: the converter library writes this private-use character as the
    // numero sign, one way.
    {932, 0xF86F, 0x8782, "kept from the library's table"},
    // With best fit: the library's fullwidth macron for the overline, where the reference
    // writes the macron.
    {950, 0x203E, 0xA1C3, "kept from the library's best fit"},
};

std::string BytesOf(unsigned v) {
  std::string s;
  if (v > 0xFF) s.push_back(static_cast<char>(v >> 8));
  s.push_back(static_cast<char>(v & 0xFF));
  return s;
}

bool IsPrivateUse(char32_t c) { return c >= 0xE000 && c <= 0xF8FF; }

// Decodes strictly; answers the one character decoded, or 0 when the bytes do not decode to
// exactly one character.
char32_t DecodeOne(UINT cp, const std::string& bytes) {
  UnicodeString u;
  if (!CodePageToUnicode(cp, MB_ERR_INVALID_CHARS, bytes, u) || u.size() != 1 || u[0] == 0xFFFD)
    return 0;
  return u[0];
}

TEST(CodePageTable, AgreesWithReference) {
  const std::vector<UINT> codePages = {
      437, 720, 737, 775, 850, 852, 855, 857, 858, 860, 861, 862, 863, 864, 865, 866, 869,
      874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 10000,
      932, 936, 949, 950, 1361};
  std::map<UINT, Reference> refs;
  std::set<UINT> missing;
  if (!LoadReference(codePages, refs, missing))
    GTEST_SKIP() << "python3 cannot be run: the code pages are NOT checked against a reference";

  for (UINT cp : codePages) {
    SCOPED_TRACE(cp);
    if (missing.count(cp)) {
      ADD_FAILURE() << "the reference has no table for code page " << cp;
      continue;
    }
    if (!IsValidCodePage(cp)) {
      ADD_FAILURE() << "code page " << cp << " cannot be converted";
      continue;
    }
    Reference& ref = refs[cp];
    // The system's own mappings where they differ on purpose.
    std::map<std::string, char32_t> expected = ref.Decode;
    std::set<std::string> changed;  // bytes whose system mapping differs from the reference
    for (const Difference& d : kDifferences) {
      if (d.CodePage != cp) continue;
      for (unsigned v = d.First; v <= d.Last; ++v) {
        const std::string bytes = BytesOf(v);
        changed.insert(bytes);
        if (d.Character == 0) expected.erase(bytes);
        else expected[bytes] = d.Character == kSameValue ? v : d.Character + (v - d.First);
      }
    }
    std::vector<std::string> faults;

    // Decoding: every byte, and every pair after a lead byte.
    std::vector<std::string> inputs;
    for (int b = 0; b < 256; ++b) inputs.emplace_back(1, static_cast<char>(b));
    if (ref.Double) {
      for (int lead = 0x80; lead < 256; ++lead) {
        const std::string single(1, static_cast<char>(lead));
        if (expected.count(single)) continue;
        for (int trail = 0; trail < 256; ++trail)
          inputs.push_back(single + static_cast<char>(trail));
      }
    }
    for (const std::string& bytes : inputs) {
      const auto it = expected.find(bytes);
      const char32_t want = it == expected.end() ? 0 : it->second;
      const char32_t got = DecodeOne(cp, bytes);
      if (got != want && ref.Double && bytes.size() == 2 && IsPrivateUse(got)) {
        bool userRow = want == 0;
        for (const PrivateUseRows& r : kPrivateUseRows)
          if (r.CodePage == cp && static_cast<unsigned char>(bytes[0]) >= r.FirstLead &&
              static_cast<unsigned char>(bytes[0]) <= r.LastLead)
            userRow = true;
        if (userRow) {
          expected[bytes] = got;
          changed.insert(bytes);
          continue;
        }
      }
      if (got != want)
        faults.push_back("decode " + Hex(bytes) + ": " + (got ? CodePoint(got) : "undefined") +
                         ", expected " + (want ? CodePoint(want) : "undefined"));
    }

    // Encoding without best fit: every BMP character.
    // The reference's one-way mappings are the system's best fit: checked with best fit allowed.
    std::map<char32_t, std::string> encode, bestFit;
    if (ref.Double) {
      for (const auto& [c, bytes] : ref.Encode) {
        if (changed.count(bytes)) continue;
        const auto it = ref.Decode.find(bytes);
        if (it != ref.Decode.end() && it->second == c) encode[c] = bytes;
        else bestFit[c] = bytes;
      }
      for (const std::string& bytes : changed) {
        const auto it = expected.find(bytes);
        if (it != expected.end()) encode[it->second] = bytes;
      }
      for (const PreferredCode& p : kPreferredCodes)
        if (p.CodePage == cp) (bestFit.count(p.Character) ? bestFit : encode)[p.Character] = BytesOf(p.Bytes);
    } else {
      for (const auto& [bytes, c] : expected) encode.emplace(c, bytes);
    }
    for (char32_t c = 0; c < 0x10000; ++c) {
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      const char16_t unit = static_cast<char16_t>(c);
      std::string out;
      bool used = false;
      ASSERT_TRUE(UnicodeToCodePage(cp, WC_NO_BEST_FIT_CHARS, std::u16string_view(&unit, 1), out,
                                    nullptr, &used));
      const auto it = encode.find(c);
      // The NEC-selected IBM extensions are written with their IBM codes, as the system does.
      if (cp == 932 && it != encode.end() && !used && out.size() == 2 &&
          static_cast<unsigned char>(it->second[0]) >= 0xED &&
          static_cast<unsigned char>(it->second[0]) <= 0xEE &&
          static_cast<unsigned char>(out[0]) >= 0xFA && static_cast<unsigned char>(out[0]) <= 0xFC &&
          DecodeOne(cp, out) == c)
        continue;
      if (it != encode.end()) {
        if (used || out != it->second)
          faults.push_back("encode " + CodePoint(c) + ": " + (used ? "default" : Hex(out)) +
                           ", expected " + Hex(it->second));
        continue;
      }
      if (used) continue;
      // A character the code page lacks may be written as a letter and its marks.
      UnicodeString back;
      if (out.size() > 1 && CodePageToUnicode(cp, MB_ERR_INVALID_CHARS, out, back) && back.size() > 1 &&
          CharNextW(back.c_str()) == back.c_str() + back.size())
        continue;
      faults.push_back("encode " + CodePoint(c) + ": " + Hex(out) + ", expected the default");
    }
    for (const auto& [c, bytes] : bestFit) {
      const char16_t unit = static_cast<char16_t>(c);
      std::string out;
      bool used = false;
      ASSERT_TRUE(UnicodeToCodePage(cp, 0, std::u16string_view(&unit, 1), out, nullptr, &used));
      if (used || out != bytes)
        faults.push_back("best fit " + CodePoint(c) + ": " + (used ? "default" : Hex(out)) +
                         ", expected " + Hex(bytes));
    }
    std::string report;
    for (size_t i = 0; i < faults.size() && i < 40; ++i) report += "\n  " + faults[i];
    EXPECT_TRUE(faults.empty()) << faults.size() << " differences in code page " << cp << ":"
                                << report;
  }
}

}  // namespace
