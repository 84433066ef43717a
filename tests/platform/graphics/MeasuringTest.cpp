// Measuring text: fitting that stops at the extent, character widths, the faces behind the
// language information, independence from the process locale and from the device.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/GdiFixture.h"
#include "platform/graphics/FontCaches.h"
#include "platform/graphics/Graphics.h"

namespace {

// Varied text: words of Latin letters with accents and combining marks, digits and punctuation,
// now and then a Greek or Cyrillic word, an ideograph (a fallback face) or a character beyond the
// basic plane.
std::u16string VariedText(unsigned seed, std::size_t length) {
  std::mt19937 rng(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::u16string s;
  while (s.size() < length) {
    const int kind = pick(0, 19);
    const int letters = pick(1, 10);
    for (int i = 0; i < letters; ++i) {
      if (kind == 0) {
        s += static_cast<char16_t>(pick(0x3B1, 0x3C9));
      } else if (kind == 1) {
        s += static_cast<char16_t>(pick(0x430, 0x44F));
      } else if (kind == 2 && i == 0) {
        s += static_cast<char16_t>(pick(0x4E00, 0x4E80));
      } else if (kind == 3 && i == 0) {
        s += u"\U0001D400";
      } else {
        s += static_cast<char16_t>(pick(0, 3) == 0 ? pick(0xC0, 0x17F) : pick('a', 'z'));
        if (pick(0, 15) == 0) s += static_cast<char16_t>(pick(0x300, 0x30C));
      }
    }
    s += pick(0, 6) == 0 ? u", " : pick(0, 9) == 0 ? u" 1984 " : u" ";
  }
  return s;
}

}  // namespace

TEST(TextFit, StopsAtTheExtentWithTheWholeTextsPositions) {
  TSurface s(4, 4);
  const std::u16string text = VariedText(7, 6000);
  const int n = static_cast<int>(text.size());
  struct Case {
    const char16_t* face;
    int height, extra;
    std::u16string tail;  // appended: right-to-left text sends fitting back to the whole text
  };
  const Case cases[] = {{u"Arial", -16, 0, u""}, {u"DejaVu Serif", -13, 2, u""}, {u"Arial", -16, 0, u" \u05D0\u05D1"}};
  for (const Case& c : cases) {
    TFontScope f(s.DC, MakeLogFont(c.face, c.height));
    SetTextCharacterExtra(s.DC, c.extra);
    const std::u16string t = text + c.tail;
    const int tn = static_cast<int>(t.size());
    std::vector<INT> whole(t.size());
    SIZE size;
    ASSERT_TRUE(GetTextExtentExPointW(s.DC, t.c_str(), tn, 0x7FFFFFFF, nullptr, whole.data(), &size));
    for (int maxExtent : {-1, 0, 37, 500, whole[200] - 1, whole[1999], whole[4001] + 3, whole[n - 1], 0x7FFFFFFF}) {
      std::vector<INT> dx(t.size(), -7);
      INT fit = -1;
      ASSERT_TRUE(GetTextExtentExPointW(s.DC, t.c_str(), tn, maxExtent, &fit, dx.data(), &size));
      int expected = 0;
      while (expected < tn && whole[static_cast<std::size_t>(expected)] <= maxExtent) ++expected;
      ASSERT_EQ(fit, expected) << maxExtent;
      const int measured = std::min(fit + 1, tn);
      for (int i = 0; i < measured; ++i) ASSERT_EQ(dx[static_cast<std::size_t>(i)], whole[static_cast<std::size_t>(i)]) << i;
      // Nothing after the first character that does not fit is measured.
      for (int i = measured; i < tn; ++i) ASSERT_EQ(dx[static_cast<std::size_t>(i)], -7) << i;
      EXPECT_EQ(size.cx, fit > 0 ? whole[static_cast<std::size_t>(fit - 1)] : 0);
    }
  }
  SetTextCharacterExtra(s.DC, 0);
}

TEST(CharWidths, AgreeWithEachCharacterMeasuredAlone) {
  TSurface s(4, 4);
  struct Range {
    UINT first, last;
  };
  const Range ranges[] = {{0x20, 0x24F}, {0x300, 0x3FF}, {0x400, 0x4FF}, {0x590, 0x6FF},
                          {0x2000, 0x206F}, {0x4E00, 0x4E20}, {0xFB00, 0xFB06}, {0x1D400, 0x1D410}};
  LOGFONTW wide = MakeLogFont(u"DejaVu Serif", -15, FW_BOLD, true);
  wide.lfWidth = 11;
  for (const LOGFONTW& lf : {MakeLogFont(u"Arial", -16), MakeLogFont(u"DejaVu Sans", 23), wide}) {
    TFontScope f(s.DC, lf);
    SetTextCharacterExtra(s.DC, 3);  // not part of character widths
    for (const Range& r : ranges) {
      std::vector<INT> widths(r.last - r.first + 1);
      ASSERT_TRUE(GetCharWidth32W(s.DC, r.first, r.last, widths.data()));
      SetTextCharacterExtra(s.DC, 0);
      for (UINT ch = r.first; ch <= r.last; ++ch) {
        std::u16string one;
        if (ch > 0xFFFF) {
          one += static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10));
          one += static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF));
        } else {
          one += static_cast<char16_t>(ch);
        }
        SIZE sz;
        GetTextExtentPoint32W(s.DC, one.c_str(), static_cast<int>(one.size()), &sz);
        ASSERT_EQ(widths[ch - r.first], sz.cx) << std::hex << ch;
      }
      SetTextCharacterExtra(s.DC, 3);
    }
    SetTextCharacterExtra(s.DC, 0);
  }
}

TEST(FontLanguage, FallbackFacesCount) {
  TSurface s(4, 4);
  // Liberation Sans has no Arabic; shaping takes it from an installed face that has.
  TFontScope f(s.DC, MakeLogFont(u"Arial", -16));
  const std::u16string arabic = u"\u0644\u0627";
  SIZE sz;
  GetTextExtentPoint32W(s.DC, arabic.c_str(), 2, &sz);
  EXPECT_GT(sz.cx, 0);
  const DWORD info = GetFontLanguageInfo(s.DC);
  EXPECT_EQ(info & (GCP_LIGATE | GCP_GLYPHSHAPE | GCP_REORDER), DWORD(GCP_LIGATE | GCP_GLYPHSHAPE | GCP_REORDER));
  EXPECT_TRUE(info & GCP_DIACRITIC);
}

// Measurements that the shaping language could change: Serbian Cyrillic letters and Urdu digits
// have forms of their own in these faces.
std::string LanguageSensitiveMeasures() {
  TSurface s(4, 4);
  std::ostringstream out;
  for (BYTE charset : {BYTE(DEFAULT_CHARSET), BYTE(ARABIC_CHARSET), BYTE(TURKISH_CHARSET)}) {
    for (const char16_t* face : {u"DejaVu Sans", u"DejaVu Serif"}) {
      LOGFONTW lf = MakeLogFont(face, -40);
      lf.lfCharSet = charset;
      TFontScope f(s.DC, lf);
      for (const char16_t* text : {u"\u0628\u06F4\u06F6\u06F7 \u06F4\u06F6\u06F7", u"fi ffi \u0130i\u0131I", u"\u0431\u0433\u0434"}) {
        const int n = static_cast<int>(std::u16string(text).size());
        WCHAR glyphs[64];
        GCP_RESULTSW r;
        r.lpGlyphs = glyphs;
        r.nGlyphs = 64;
        const DWORD extent = GetCharacterPlacementW(s.DC, text, n, 0, &r, 0);
        out << extent << ':';
        for (UINT i = 0; i < r.nGlyphs; ++i) out << static_cast<unsigned>(glyphs[i]) << ' ';
        out << '\n';
      }
    }
  }
  return out.str();
}

TEST(ShapingLanguage, ProcessLocaleChangesNothing) {
  if (const char* child = std::getenv("TAVRELO_MEASURE_TO")) {
    // The program sets the locale from the environment at start, as the toolkit does.
    std::setlocale(LC_ALL, "");
    std::ofstream(child) << std::setlocale(LC_CTYPE, nullptr) << '\n' << LanguageSensitiveMeasures();
    return;
  }
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(TAVRELO_TEST_OUTPUT) / "locales";
  fs::create_directories(dir);
  // A locale of our own (the machine may have none but C): Serbian, whose letters differ.
  const std::string make = "localedef -i sr_RS -f UTF-8 '" + (dir / "sr_RS.UTF-8").string() + "' >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0 && !fs::exists(dir / "sr_RS.UTF-8"))
    GTEST_SKIP() << "localedef cannot build the sr_RS locale here";
  const fs::path self = fs::read_symlink("/proc/self/exe");
  auto measure = [&](const std::string& lang) {
    const fs::path file = dir / ("measures-" + lang);
    fs::remove(file);
    const std::string cmd = "LC_ALL= LANG=" + lang + " LOCPATH='" + dir.string() + "' TAVRELO_MEASURE_TO='" +
                            file.string() + "' '" + self.string() + "' --gtest_filter=ShapingLanguage.ProcessLocaleChangesNothing >/dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::ifstream in(file);
    std::string locale, rest;
    std::getline(in, locale);
    std::getline(in, rest, '\0');
    return std::make_pair(locale, rest);
  };
  const auto plain = measure("C");
  const auto serbian = measure("sr_RS.UTF-8");
  ASSERT_EQ(serbian.first, "sr_RS.UTF-8");  // the child really ran in that locale
  ASSERT_FALSE(plain.second.empty());
  EXPECT_EQ(plain.second, serbian.second);
}

TEST(MappingModes, MeasuringIsDeviceIndependentAndUnhinted) {
  // A font of 240 logical units measures the same in twips on a 96 and a 600 pixel-per-inch
  // device, in an anisotropic mode of any scale, and in pixels at 240 pixels: the design widths,
  // scaled, with no rounding to the device's pixels.
  const std::u16string text = u"Wavy fjord quiz, 0123 \u00C5ngstr\u00F6m \u0645\u0631\u062D\u0628\u0627";
  const int n = static_cast<int>(text.size());
  struct TMeasures {
    SIZE Extent;
    TEXTMETRICW Tm;
    std::vector<INT> Dx, Widths;
    bool operator==(const TMeasures& o) const {
      return Extent.cx == o.Extent.cx && Extent.cy == o.Extent.cy && Tm.tmHeight == o.Tm.tmHeight &&
             Tm.tmAscent == o.Tm.tmAscent && Tm.tmAveCharWidth == o.Tm.tmAveCharWidth && Dx == o.Dx && Widths == o.Widths;
    }
  };
  auto measure = [&](int ppi, int mode, SIZE window, SIZE viewport) {
    TSurface s(8, 8);
    SetDeviceResolution(s.DC, ppi, ppi);
    SetMapMode(s.DC, mode);
    if (mode == MM_ANISOTROPIC) {
      SetWindowExtEx(s.DC, window.cx, window.cy, nullptr);
      SetViewportExtEx(s.DC, viewport.cx, viewport.cy, nullptr);
    }
    TFontScope f(s.DC, MakeLogFont(u"Arial", -240));
    TMeasures m;
    m.Dx.resize(text.size());
    m.Widths.resize(26);
    GetTextExtentExPointW(s.DC, text.c_str(), n, 0x7FFFFFFF, nullptr, m.Dx.data(), &m.Extent);
    GetTextMetricsW(s.DC, &m.Tm);
    GetCharWidth32W(s.DC, 'a', 'z', m.Widths.data());
    return m;
  };
  const TMeasures pixels = measure(96, MM_TEXT, {}, {});
  EXPECT_GT(pixels.Extent.cx, 240 * 10);
  EXPECT_EQ(pixels.Tm.tmHeight, pixels.Extent.cy);
  EXPECT_TRUE(measure(96, MM_TWIPS, {}, {}) == pixels);
  EXPECT_TRUE(measure(600, MM_TWIPS, {}, {}) == pixels);
  EXPECT_TRUE(measure(96, MM_ANISOTROPIC, {1000, 1000}, {37, -41}) == pixels);
  EXPECT_TRUE(measure(600, MM_ANISOTROPIC, {3, 7}, {1000, 999}) == pixels);
}

TEST(TextMeasuring, ThreadsMeasureAlikeAtOnce) {
  const std::u16string text = VariedText(11, 4000) + u" \u0645\u0631\u062D\u0628\u0627 \u05E9\u05DC\u05D5\u05DD";
  const int n = static_cast<int>(text.size());
  auto run = [&](std::vector<INT>& dx) {
    TSurface s(4, 4);
    TFontScope f(s.DC, MakeLogFont(u"DejaVu Sans", -14));
    SIZE sz;
    dx.assign(text.size(), 0);
    // Lines of 80 characters, then the whole, as formatting would ask.
    std::vector<INT> line(80);
    for (int at = 0; at + 80 <= n; at += 80) GetTextExtentExPointW(s.DC, text.c_str() + at, 80, 0x7FFFFFFF, nullptr, line.data(), &sz);
    GetTextExtentExPointW(s.DC, text.c_str(), n, 0x7FFFFFFF, nullptr, dx.data(), &sz);
  };
  std::vector<INT> alone;
  run(alone);
  std::vector<std::vector<INT>> results(4);
  std::vector<std::thread> threads;
  for (auto& r : results) threads.emplace_back(run, std::ref(r));
  for (auto& t : threads) t.join();
  for (const auto& r : results) EXPECT_EQ(r, alone);
}

// Runs longer than a piece are measured piece by piece, cut where the shaper says cutting
// changes nothing: the widths are those of the run shaped whole (which measuring every
// character's edge still does).
TEST(TextMeasuring, LongRunsMeasuredInPiecesAsWhole) {
  TSurface s(4, 4);
  auto repeat = [](const std::u16string& word, std::size_t length) {
    std::u16string r;
    while (r.size() < length) r += word;
    r.resize(length);
    return r;
  };
  struct TCase {
    const char* Name;
    std::u16string Text;
    int Extra;
  };
  const TCase cases[] = {
      {"varied words", VariedText(5, 9000), 0},
      {"varied words, character extra", VariedText(6, 9000), 2},
      {"letters without a space", repeat(u"AVATAR\u00E9tude\u0142awaTypoWAVEfin", 9000), 0},
      {"digits and punctuation", repeat(u"0123456789.,", 9000), 0},
      // The script is settled only by the last word, which gives all digits before it theirs.
      {"digits, then a Cyrillic word", repeat(u"0123456789.,", 9000) + u"\u0436\u0443\u043A", 0},
      {"marks and characters beyond the basic plane", repeat(u"e\u0301\U0001D400x\u0308\u4E00", 9000), 0},
  };
  for (const char16_t* face : {u"Arial", u"DejaVu Serif"}) {
    TFontScope f(s.DC, MakeLogFont(face, -15));
    for (const TCase& c : cases) {
      SCOPED_TRACE(c.Name);
      SetTextCharacterExtra(s.DC, c.Extra);
      const int n = static_cast<int>(c.Text.size());
      std::vector<INT> dx(c.Text.size());
      SIZE whole{}, pieces{};
      ASSERT_TRUE(GetTextExtentExPointW(s.DC, c.Text.c_str(), n, 0x7FFFFFFF, nullptr, dx.data(), &whole));
      ASSERT_TRUE(GetTextExtentPoint32W(s.DC, c.Text.c_str(), n, &pieces));
      EXPECT_EQ(pieces.cx, whole.cx);
      SetTextCharacterExtra(s.DC, 0);
      if (c.Extra != 0) continue;
      SCRIPT_STRING_ANALYSIS ssa = nullptr;
      ASSERT_EQ(ScriptStringAnalyse(s.DC, c.Text.c_str(), n, n * 3 / 2 + 16, -1, SSA_GLYPHS | SSA_FALLBACK, 0, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, &ssa),
                S_OK);
      EXPECT_EQ(ScriptString_pSize(ssa)->cx, whole.cx);
      // Asked for more than its size, the analysis shapes the run whole.
      std::vector<int> widths(c.Text.size());
      ScriptStringGetLogicalWidths(ssa, widths.data());
      int sum = 0;
      for (int w : widths) sum += w;
      EXPECT_EQ(sum, whole.cx);
      ScriptStringFree(&ssa);
    }
  }
}

// The caches of shaped texts, glyph images and realised fonts stay within the bounds set for
// them, in bytes, whatever is measured and drawn, and their bounds change no measurement.
TEST(FontCaches, StayWithinTheirBoundsInBytes) {
  const TFontCacheLimits saved = GetFontCacheLimits();
  TSurface s(64, 64);
  const std::u16string text = VariedText(9, 3000);
  auto measureAll = [&](std::vector<int>& widths) {
    widths.clear();
    for (int size = 9; size < 40; ++size) {
      TFontScope f(s.DC, MakeLogFont(size % 2 ? u"Arial" : u"DejaVu Serif", -size));
      for (std::size_t at = 0; at + 12 <= text.size(); at += 7) {
        SIZE sz;
        GetTextExtentPoint32W(s.DC, text.c_str() + at, 1 + static_cast<int>(at % 11), &sz);
        widths.push_back(sz.cx);
      }
      TextOutW(s.DC, 0, 0, text.c_str(), 60);
      const TFontCacheLimits use = GetFontCacheUsage(), limits = GetFontCacheLimits();
      EXPECT_LE(use.ShapedTextBytes, limits.ShapedTextBytes);
      EXPECT_LE(use.GlyphImageBytes, limits.GlyphImageBytes);
      EXPECT_LE(use.FontBytes, limits.FontBytes);
    }
  };
  std::vector<int> roomy, tight;
  measureAll(roomy);
  SetFontCacheLimits({.ShapedTextBytes = 20000, .GlyphImageBytes = 30000, .FontBytes = 300000});
  measureAll(tight);
  EXPECT_EQ(tight, roomy);
  SetFontCacheLimits({.ShapedTextBytes = 0, .GlyphImageBytes = 0, .FontBytes = 0});
  measureAll(tight);
  EXPECT_EQ(tight, roomy);
  SetFontCacheLimits(saved);
}
