// Text output with caller advances: single values, (x, y) pairs (ETO_PDY), characters and glyph
// indexes, drawn directly, recorded into a metafile and played back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GdiFixture.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"

namespace {

constexpr int SW = 120, SH = 50;

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
      {"pairs with a rise", ETO_PDY, u"III", {20, 0, 20, 6, 20, 0}, {0, 0, 6}},
      {"glyph indexes", ETO_GLYPH_INDEX, glyphs, {20, 20, 20}, {0, 0, 0}},
      {"glyph indexes in pairs", ETO_GLYPH_INDEX | ETO_PDY, glyphs, {20, 0, 20, 0, 20, 0}, {0, 0, 0}},
  };
  const RECT frame{0, 0, MulDiv(SW, 2540, 96), MulDiv(SH, 2540, 96)};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto draw = [&](HDC dc) {
      TFontScope f(dc, lf);
      SetBkMode(dc, TRANSPARENT);
      ASSERT_TRUE(ExtTextOutW(dc, 10, 15, c.Options, nullptr, c.Text.data(), 3, c.Dx.data()));
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
