// Text output with caller advances: single values, (x, y) pairs (ETO_PDY), characters and glyph
// indexes, drawn directly, recorded into a metafile and played back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "support/GdiFixture.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Png.h"

namespace {

constexpr int SW = 120, SH = 60;

// The ink of the surface: left edge and top of each separate mark, left to right.
struct TMark {
  int Left, Top;
};
std::vector<TMark> Marks(const TSurface& s) {
  std::vector<TMark> marks;
  bool inMark = false;
  for (int x = 0; x < s.W; ++x) {
    int top = -1;
    for (int y = 0; y < s.H && top < 0; ++y)
      if (s.Dark(x, y)) top = y;
    if (top >= 0 && !inMark) marks.push_back({x, top});
    if (top >= 0) marks.back().Top = std::min(marks.back().Top, top);
    inMark = top >= 0;
  }
  return marks;
}

}  // namespace

TEST(TextOutput, AdvancesPairsAndGlyphIndexesDrawAndRecordAlike) {
  const LOGFONTW lf = MakeLogFont(u"Liberation Sans", -20);
  // Glyph indexes of "III" in the font.
  WORD glyph[3];
  {
    TSurface probe(4, 4);
    TFontScope f(probe.DC, lf);
    ASSERT_EQ(GetGlyphIndicesW(probe.DC, u"III", 3, glyph, 0), 3u);
  }
  const std::u16string glyphs{static_cast<char16_t>(glyph[0]), static_cast<char16_t>(glyph[1]),
                              static_cast<char16_t>(glyph[2])};
  const struct {
    const char* Name;
    UINT Options;
    std::u16string Text;
    std::vector<INT> Dx;
    int Rise[3];  // how far each mark stands above the first one
  } cases[] = {
      {"advances", 0, u"III", {20, 20, 20}, {0, 0, 0}},
      {"pairs", ETO_PDY, u"III", {20, 0, 20, 0, 20, 0}, {0, 0, 0}},
      {"pairs with a rise", ETO_PDY, u"III", {20, 0, 20, 20, 20, 0}, {0, 0, 20}},
      {"glyph indexes", ETO_GLYPH_INDEX, glyphs, {20, 20, 20}, {0, 0, 0}},
      {"glyph indexes in pairs", ETO_GLYPH_INDEX | ETO_PDY, glyphs, {20, 0, 20, 0, 20, 0}, {0, 0, 0}},
  };
  const RECT frame{0, 0, MulDiv(SW, 2540, 96), MulDiv(SH, 2540, 96)};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto draw = [&](HDC dc) {
      TFontScope f(dc, lf);
      SetBkMode(dc, TRANSPARENT);
      ASSERT_TRUE(ExtTextOutW(dc, 10, 25, c.Options, nullptr, c.Text.data(), 3, c.Dx.data()));
    };
    // Drawn directly: three marks 20 pixels apart, each at its height.
    TSurface direct(SW, SH);
    draw(direct.DC);
    const std::vector<TMark> marks = Marks(direct);
    ASSERT_EQ(marks.size(), 3u);
    for (int i = 1; i < 3; ++i) {
      EXPECT_NEAR(marks[i].Left - marks[0].Left, 20 * i, 1) << i;
      EXPECT_NEAR(marks[0].Top - marks[i].Top, c.Rise[i], 1) << i;
    }

    // Recorded: one text record with the characters and the whole advance array.
    HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    draw(rec);
    HENHMETAFILE emf = CloseEnhMetaFile(rec);
    ASSERT_NE(emf, nullptr);
    std::string bytes(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
    GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
    int texts = 0;
    for (std::size_t at = 0; at + 8 <= bytes.size() && LE32(bytes, at + 4) >= 8; at += LE32(bytes, at + 4)) {
      if (LE32(bytes, at) != EMR_EXTTEXTOUTW) continue;
      ++texts;
      const std::string_view r = std::string_view(bytes).substr(at, LE32(bytes, at + 4));
      const std::uint32_t n = LE32(r, 44), offString = LE32(r, 48), options = LE32(r, 52), offDx = LE32(r, 72);
      EXPECT_EQ(n, 3u);
      EXPECT_EQ(options & (ETO_PDY | ETO_GLYPH_INDEX), c.Options);
      std::u16string text;
      for (std::uint32_t i = 0; i < n; ++i) text.push_back(static_cast<char16_t>(LE16(r, offString + 2 * i)));
      EXPECT_EQ(text, c.Text);
      ASSERT_LE(offDx + 4 * c.Dx.size(), r.size());
      std::vector<INT> dx;
      for (std::size_t i = 0; i < c.Dx.size(); ++i) dx.push_back(static_cast<INT>(LE32(r, offDx + 4 * i)));
      EXPECT_EQ(dx, c.Dx);
      // Its bounds hold the ink.
      for (const TMark& m : marks) {
        EXPECT_LE(static_cast<std::int32_t>(LE32(r, 8)), m.Left);
        EXPECT_LE(static_cast<std::int32_t>(LE32(r, 12)), m.Top);
        EXPECT_GE(static_cast<std::int32_t>(LE32(r, 16)), m.Left);
      }
    }
    EXPECT_EQ(texts, 1);

    // Played back, the marks land where they were drawn.
    TSurface played(SW, SH);
    const RECT target{0, 0, SW, SH};
    ASSERT_TRUE(PlayEnhMetaFile(played.DC, emf, &target));
    DeleteEnhMetaFile(emf);
    const std::vector<TMark> again = Marks(played);
    ASSERT_EQ(again.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(again[i].Left, marks[i].Left, 1) << i;
      EXPECT_NEAR(again[i].Top, marks[i].Top, 1) << i;
    }
  }
}

// An independent reader of the format (LibreOffice, when it can read metafiles here) draws recorded
// pairs where we draw them: four evenly spaced marks, and with a rise on the third pair the last
// two higher.
TEST(TextOutput, AnIndependentReaderPlacesRecordedPairs) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  const std::string dir = std::string(TAVRELO_TEST_OUTPUT) + "/pairs-reader";
  ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
  const RECT frame{0, 0, MulDiv(300, 2540, 96), MulDiv(100, 2540, 96)};
  const RECT all{0, 0, 300, 100};
  auto record = [&](const std::string& name, const std::function<void(HDC)>& draw) {
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    draw(dc);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    std::string bytes(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
    GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
    DeleteEnhMetaFile(emf);
    std::ofstream(dir + "/" + name + ".emf", std::ios::binary) << bytes;
  };
  // A black block and nothing else: what any reader of metafiles converts.
  record("probe", [](HDC dc) {
    const RECT block{100, 25, 200, 75};
    FillRect(dc, &block, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  });
  record("pairs", [](HDC dc) {
    TFontScope f(dc, MakeLogFont(u"Liberation Sans", -40));
    SetBkMode(dc, TRANSPARENT);
    const INT level[] = {40, 0, 40, 0, 40, 0, 40, 0}, rise[] = {40, 0, 40, 10, 40, 0, 40, 0};
    ExtTextOutW(dc, 10, 5, ETO_PDY, nullptr, u"IIII", 4, level);
    ExtTextOutW(dc, 10, 55, ETO_PDY, nullptr, u"IIII", 4, rise);
  });
  const std::string cmd = "cd '" + dir + "' && timeout 300 soffice -env:UserInstallation=file://" + dir +
                          "/profile --headless --convert-to png --outdir '" + dir + "' '" + dir + "/probe.emf' '" +
                          dir + "/pairs.emf' >/dev/null 2>&1";
  const int status = std::system(cmd.c_str());
  // Without its drawing component the converter opens no metafile at all.
  if (!std::filesystem::exists(dir + "/probe.png"))
    GTEST_SKIP() << "this LibreOffice cannot convert a metafile to PNG (exit status " << status
                 << "; is its drawing component installed?)";
  ASSERT_TRUE(std::filesystem::exists(dir + "/pairs.png")) << "the probe converted, the recorded pairs did not";
  TPngImage png;
  png.LoadFromFile(Utf8ToUnicode(dir + "/pairs.png"));
  const TPixelImage px = png.ToPixels();
  ASSERT_GT(px.Width, 0);
  // The two lines of marks: columns with ink, split at the blank row between the lines.
  auto dark = [&](int x, int y) {
    const std::uint32_t v = px.At(x, y);
    return ((v >> 16) & 0xFF) + ((v >> 8) & 0xFF) + (v & 0xFF) < 3 * 128;
  };
  std::vector<int> inkRows;
  for (int y = 0; y < px.Height; ++y)
    for (int x = 0; x < px.Width; ++x)
      if (dark(x, y)) {
        inkRows.push_back(y);
        break;
      }
  ASSERT_FALSE(inkRows.empty());
  int split = -1;
  for (std::size_t i = 1; i < inkRows.size() && split < 0; ++i)
    if (inkRows[i] > inkRows[i - 1] + 1) split = inkRows[i];
  ASSERT_GT(split, 0) << "one line of marks only";
  auto marks = [&](int y0, int y1) {
    std::vector<TMark> m;
    bool in = false;
    for (int x = 0; x < px.Width; ++x) {
      int top = -1;
      for (int y = y0; y < y1 && top < 0; ++y)
        if (dark(x, y)) top = y;
      if (top >= 0 && !in) m.push_back({x, top});
      if (top >= 0) m.back().Top = std::min(m.back().Top, top);
      in = top >= 0;
    }
    return m;
  };
  const std::vector<TMark> level = marks(inkRows.front(), split), rise = marks(split, inkRows.back() + 1);
  ASSERT_EQ(level.size(), 4u);
  ASSERT_EQ(rise.size(), 4u);
  const int step = level[1].Left - level[0].Left;
  EXPECT_GT(step, 10);
  for (int i = 1; i < 4; ++i) {
    EXPECT_NEAR(level[i].Left - level[i - 1].Left, step, 1 + step / 20) << i;
    EXPECT_NEAR(level[i].Top, level[0].Top, 1) << i;
    EXPECT_NEAR(rise[i].Left, level[i].Left, 1) << i;
  }
  EXPECT_NEAR(rise[1].Top, rise[0].Top, 1);
  // A rise of 10 units, a quarter of the 40-unit step.
  EXPECT_NEAR(rise[0].Top - rise[2].Top, step / 4, 1 + step / 20);
  EXPECT_NEAR(rise[3].Top, rise[2].Top, 1);
}
