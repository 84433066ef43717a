#include <gtest/gtest.h>

#include <algorithm>

#include "PdfTestUtil.h"
#include "pdf/PDFTrueType.h"

using namespace pdftest;

namespace {

const char* const LiberationSans = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
const char* const DejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::uint32_t U32(const std::string& s, std::size_t p) {
  return (std::uint32_t(std::uint8_t(s[p])) << 24) | (std::uint32_t(std::uint8_t(s[p + 1])) << 16) |
         (std::uint32_t(std::uint8_t(s[p + 2])) << 8) | std::uint8_t(s[p + 3]);
}
std::uint32_t U16(const std::string& s, std::size_t p) {
  return (std::uint32_t(std::uint8_t(s[p])) << 8) | std::uint8_t(s[p + 1]);
}

// A table of a font file by tag; empty when absent.
std::string TableOf(const std::string& file, const char* tag) {
  const std::uint32_t n = U16(file, 4);
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::size_t p = 12 + 16 * i;
    if (file.compare(p, 4, tag) == 0) return file.substr(U32(file, p + 8), U32(file, p + 12));
  }
  return {};
}

// Component glyph indexes of glyph g of a font file (none for a simple glyph).
std::vector<int> Components(const std::string& file, int g) {
  const std::string head = TableOf(file, "head"), loca = TableOf(file, "loca"), glyf = TableOf(file, "glyf");
  const bool lng = U16(head, 50) == 1;
  const std::size_t a = lng ? U32(loca, 4 * g) : 2 * U16(loca, 2 * g);
  std::vector<int> r;
  if (std::int16_t(U16(glyf, a)) >= 0) return r;
  std::size_t p = a + 10;
  for (;;) {
    const std::uint32_t flags = U16(glyf, p);
    r.push_back(int(U16(glyf, p + 2)));
    p += 4 + ((flags & 1) ? 4 : 2) + ((flags & 8) ? 2 : (flags & 0x40) ? 4 : (flags & 0x80) ? 8 : 0);
    if (!(flags & 0x20)) return r;
  }
}

bool Exists(const char* path) { return !ReadFile(path).empty(); }

}  // namespace

TEST(TrueTypeSubset, SingleCharacterHasThreeGlyphsAndVerifiesItsChecksum) {
  if (!Exists(LiberationSans)) GTEST_SKIP() << "Liberation Sans is not installed";
  TTrueTypeManager m = TTrueTypeManager::FromFileData(ReadFile(LiberationSans), u"Liberation Sans", {});
  const int a = m.GetIdxByUnicode(U'A');
  ASSERT_GT(a, 1);
  EXPECT_EQ(m.GetGlyph(a).CharInfo.Width, 666);  // 1366 / 2048 em, truncated
  bool used[96] = {};
  used['A' - 32] = true;
  std::string font;
  m.PrepareASCIIFont(used, font);
  EXPECT_EQ(TTrueTypeManager::CheckSum(reinterpret_cast<const std::uint8_t*>(font.data()), font.size()),
            0xB1B0AFBAu);
  // The subset read back: three glyphs, code 65 on glyph 2, nothing else mapped; its only map is
  // the Macintosh one, so Unicode lookups give glyph 0.
  TTrueTypeManager sub = TTrueTypeManager::FromFileData(font, u"Sub", {});
  EXPECT_EQ(sub.GlyphCount(), 3);
  const std::string cmap = TableOf(font, "cmap");
  ASSERT_EQ(cmap.size(), 276u);
  EXPECT_EQ(std::uint8_t(cmap[12 + 6 + 65]), 2);
  EXPECT_EQ(std::count_if(cmap.begin() + 18, cmap.begin() + 18 + 256, [](char c) { return c != 0; }), 1);
  EXPECT_EQ(sub.GetIdxByUnicode(U'A'), 0);
  // Table checksums and four-byte alignment of every table.
  const std::uint32_t n = U16(font, 4);
  EXPECT_EQ(n, 12u);
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::size_t p = 12 + 16 * i;
    EXPECT_EQ(U32(font, p + 8) % 4, 0u);
    if (font.compare(p, 4, "head") == 0) continue;
    EXPECT_EQ(U32(font, p + 4), TTrueTypeManager::CheckSum(reinterpret_cast<const std::uint8_t*>(font.data()) + U32(font, p + 8),
                                                           U32(font, p + 12)));
  }
}

TEST(TrueTypeSubset, CompositeComponentsComeLastAndAreRenumbered) {
  // Glyph 3 is composite of 4 (with a two-by-two transform) and 5; glyph 2 is simple.
  TTinyFont f;
  f.Glyphs = {TTinyFont::Simple(4), TTinyFont::Simple(4), TTinyFont::Simple(6),
              TTinyFont::Composite({{4, 0x80}, {5, 0x01}}), TTinyFont::Simple(8), TTinyFont::Simple(10),
              TTinyFont::Composite({{9999, 0}})};
  f.Chars = {{u'B', 2}, {u'C', 3}, {u'D', 6}};
  TTrueTypeManager m = TTrueTypeManager::FromFileData(f.Build(), u"Tiny", {});
  const int indexes[] = {3, 2, 6};
  std::string font;
  m.PrepareFont(indexes, 3, font);
  EXPECT_EQ(m.GetGlyph(3).NewIndex, 2);
  EXPECT_EQ(m.GetGlyph(2).NewIndex, 3);
  EXPECT_EQ(m.GetGlyph(6).NewIndex, 4);
  EXPECT_EQ(m.GetGlyph(4).NewIndex, 5);
  EXPECT_EQ(m.GetGlyph(5).NewIndex, 6);
  EXPECT_EQ(Components(font, 2), (std::vector<int>{5, 6}));
  EXPECT_EQ(Components(font, 4), (std::vector<int>{0}));  // a component outside the font
  EXPECT_EQ(TTrueTypeManager::FromFileData(font, u"Sub", {}).GlyphCount(), 7);
  const std::string cmap = TableOf(font, "cmap");
  EXPECT_EQ(std::uint8_t(cmap[18 + 32]), 2);
  EXPECT_EQ(std::uint8_t(cmap[18 + 34]), 4);
}

TEST(TrueTypeSubset, LargeGlyphDataUseLongOffsets) {
  TTinyFont f;
  f.LongLoca = false;
  f.Glyphs = {TTinyFont::Simple(4), TTinyFont::Simple(4), TTinyFont::Simple(60000), TTinyFont::Simple(60000),
              TTinyFont::Simple(60000)};
  f.Chars = {{u'a', 2}, {u'b', 3}, {u'c', 4}};
  f.LongLoca = true;
  TTrueTypeManager m = TTrueTypeManager::FromFileData(f.Build(), u"Tiny", {});
  bool used[96] = {};
  used['a' - 32] = used['b' - 32] = true;
  std::string small, large;
  m.PrepareASCIIFont(used, small);
  EXPECT_EQ(U16(TableOf(small, "head"), 50), 0u);
  used['c' - 32] = true;
  m.PrepareASCIIFont(used, large);
  EXPECT_EQ(U16(TableOf(large, "head"), 50), 1u);
  EXPECT_EQ(TableOf(large, "loca").size(), 4u * 6);
  EXPECT_EQ(TTrueTypeManager::FromFileData(large, u"Sub", {}).GlyphCount(), 5);
}

TEST(TrueTypeNames, PostScriptNameAndRebuiltNameTable) {
  TTinyFont f;
  f.Glyphs = {TTinyFont::Simple(4), TTinyFont::Simple(4)};
  EXPECT_EQ(TTrueTypeManager::FromFileData(f.Build(), u"Tiny Face", {}).PostScriptName(), "TinyFace-Regular");
  f.PostScriptName = false;
  TTrueTypeManager m = TTrueTypeManager::FromFileData(f.Build(), u"Tiny Face", TFontStyles{fsBold, fsItalic});
  EXPECT_EQ(m.PostScriptName(), "Tiny#20Face#20Bold#20Italic");
  // Kept: Mac 1, 2; the Mac unique name; Windows 1, 2; the Windows unique name.
  const std::string& name = m.NameTable();
  ASSERT_EQ(U16(name, 2), 6u);
  EXPECT_EQ(U16(name, 4), 6u + 12 * 6);
  EXPECT_EQ(name.size() % 4, 0u);
  const std::uint32_t ids[6][2] = {{1, 1}, {1, 2}, {1, 3}, {3, 1}, {3, 2}, {3, 3}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(U16(name, 6 + 12 * i), ids[i][0]);
    EXPECT_EQ(U16(name, 6 + 12 * i + 6), ids[i][1]);
  }
  const std::size_t macUid = U16(name, 4) + U16(name, 6 + 24 + 10);
  EXPECT_NE(name.find("Tiny Face", macUid), std::string::npos);
}

TEST(TrueTypeCharMap, MacintoshMapAloneGivesGlyphZero) {
  TTinyFont f;
  f.MacCmapOnly = true;
  f.Glyphs = {TTinyFont::Simple(4), TTinyFont::Simple(4), TTinyFont::Simple(4)};
  TTrueTypeManager m = TTrueTypeManager::FromFileData(f.Build(), u"Tiny", {});
  EXPECT_EQ(m.GetIdxByUnicode(U'A'), 0);
  EXPECT_EQ(&m.GetGlyphByUnicode(U'B'), &m.GetGlyph(0));
  EXPECT_THROW(m.GetGlyph(3), Exception);
  EXPECT_THROW(m.GetGlyph(-1), Exception);
}

TEST(TrueTypeCharMap, CharactersBeyondTheBasicPlaneHaveTheirGlyphs) {
  if (!Exists(DejaVuSans)) GTEST_SKIP() << "DejaVu Sans is not installed";
  TTrueTypeManager m = TTrueTypeManager::FromFileData(ReadFile(DejaVuSans), u"DejaVu Sans", {});
  const int g = m.GetIdxByUnicode(U'\U00010300');  // old italic letter A
  ASSERT_GT(g, 0);
  EXPECT_EQ(m.GetGlyph(g).Unicode, U'\U00010300');
  // The code units alone are no characters.
  EXPECT_EQ(m.GetIdxByUnicode(0xD800), 0);
}

TEST(TrueTypeErrors, MissingAndDamagedTablesRaise) {
  TTinyFont f;
  f.Glyphs = {TTinyFont::Simple(4), TTinyFont::Simple(4)};
  const std::string good = f.Build();
  EXPECT_NO_THROW(TTrueTypeManager::FromFileData(good, u"Tiny", {}));
  EXPECT_THROW(TTrueTypeManager::FromFileData(std::string(), u"Tiny", {}), Exception);
  // Each table in turn cut to four bytes, then dropped from the directory.
  const std::uint32_t n = U16(good, 4);
  for (std::uint32_t i = 0; i < n; ++i) {
    std::string bad = good;
    bad[12 + 16 * i + 12] = bad[12 + 16 * i + 13] = bad[12 + 16 * i + 14] = 0;
    bad[12 + 16 * i + 15] = 4;
    try {
      TTrueTypeManager m = TTrueTypeManager::FromFileData(bad, u"Tiny", {});
      bool used[96] = {true};
      std::string out;
      m.PrepareASCIIFont(used, out);
    } catch (const ETTFException& e) {
      EXPECT_STREQ(e.what(), "Cannot receive TTF info") << bad.substr(12 + 16 * i, 4);
    }
  }
  std::string noCmap = good;
  const std::size_t p = good.find("cmap");
  noCmap.replace(p, 4, "cmaq");
  EXPECT_THROW(TTrueTypeManager::FromFileData(noCmap, u"Tiny", {}), ETTFException);
}

TEST(TrueTypeSubset, FontToolsOpensTheSubset) {
  if (!Exists(LiberationSans)) GTEST_SKIP() << "Liberation Sans is not installed";
  if (ToolStatus("/usr/bin/python3 -c 'import fontTools'") != 0) GTEST_SKIP() << "python3-fonttools is not installed";
  TTrueTypeManager m = TTrueTypeManager::FromFileData(ReadFile(LiberationSans), u"Liberation Sans", {});
  int idx[96];
  const char16_t* text = u"Привет, мир! Äöü ß";
  int n = 0;
  for (const char16_t* c = text; *c; ++c) idx[n++] = m.GetIdxByUnicode(*c);
  std::string font;
  m.PrepareFont(idx, n, font);
  const std::string path = OutDir() + "/subset.ttf";
  WriteFile(path, font);
  std::string out;
  ASSERT_EQ(ToolStatus("/usr/bin/python3 -c \"from fontTools.ttLib import TTFont; f = TTFont('" + path +
                    "', checkChecksums=2); f.ensureDecompiled(); print(f['maxp'].numGlyphs, "
                    "f.getGlyphID(f['cmap'].getcmap(1, 0).cmap[32]))\"",
                &out),
            0)
      << out;
  int glyphs = 0, first = 0;
  std::istringstream(out) >> glyphs >> first;
  EXPECT_EQ(first, m.GetGlyph(idx[0]).NewIndex);
  int used = 0;
  for (int i = 0; i < m.GlyphCount(); ++i) used += m.GetGlyph(i).Used;
  EXPECT_EQ(glyphs, used);
}

TEST(TrueTypePlatform, WindowsFaceNameReadsTheSubstitutedFace) {
  if (!Exists(LiberationSans)) GTEST_SKIP() << "Liberation Sans is not installed";
  TTrueTypeManager m(u"Arial", {});
  TTrueTypeManager file = TTrueTypeManager::FromFileData(ReadFile(LiberationSans), u"Liberation Sans", {});
  EXPECT_EQ(m.GlyphCount(), file.GlyphCount());
  EXPECT_EQ(m.PostScriptName(), "LiberationSans");
  EXPECT_EQ(m.Ascent(), file.Ascent());
  EXPECT_EQ(m.Descent(), file.Descent());
  EXPECT_EQ(m.GetIdxByUnicode(U'Ж'), file.GetIdxByUnicode(U'Ж'));
  bool used[96] = {};
  used['H' - 32] = true;
  std::string a, b;
  m.PrepareASCIIFont(used, a);
  file.PrepareASCIIFont(used, b);
  EXPECT_EQ(a, b);
}
