// The width tables of the standard fonts are our own measurements of the metric-compatible free
// faces, taken through the platform's font layer at an em of 1000. This test measures again and
// compares, so the tables cannot drift from the faces; with TAVRELO_PRINT_STD_WIDTHS set it
// prints the tables in the form src/pdf/PDFStdFontWidths.cpp keeps them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pdf/PDFFont.h"
#include "platform/base/NLS.h"
#include "platform/graphics/DeviceContext.h"

namespace {

struct TFaceOf {
  const char16_t* Face;
  bool Bold, Italic;
  int Kind;  // 0: WinAnsiEncoding, else the face's own codes
};

const TFaceOf kFaces[14] = {
    {u"Liberation Sans", false, false, 0}, {u"Liberation Sans", true, false, 0},
    {u"Liberation Sans", false, true, 0},  {u"Liberation Sans", true, true, 0},
    {u"Liberation Serif", false, false, 0}, {u"Liberation Serif", true, false, 0},
    {u"Liberation Serif", false, true, 0},  {u"Liberation Serif", true, true, 0},
    {u"Liberation Mono", false, false, 0}, {u"Liberation Mono", true, false, 0},
    {u"Liberation Mono", false, true, 0},  {u"Liberation Mono", true, true, 0},
    {u"Standard Symbols PS", false, false, 1}, {u"D050000L", false, false, 2},
};

char16_t CharOfCode(int kind, int code) {
  // The symbol and dingbat faces carry a symbol character map: their own codes reach the glyphs.
  if (kind != 0) return code >= 32 ? static_cast<char16_t>(code) : 0;
  if (code < 32 || code == 0x7F) return 0;
  std::string b(1, static_cast<char>(code));
  UnicodeString u = AnsiStringToUnicode(b, 1252);
  if (u.size() != 1) return 0;
  // Codes the code page leaves undefined come back as themselves among the C1 controls.
  if (u[0] >= 0x80 && u[0] < 0xA0) return 0;
  if (u[0] == 0xAD) return u'-';  // the soft hyphen prints as a hyphen
  if (u[0] == 0xA0) return u' ';
  return u[0];
}

// Measures the widths of one face; false when the face is not installed as asked.
bool MeasureFace(const TFaceOf& f, std::vector<int>& widths) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-1000, 0, 0, 0, f.Bold ? 700 : 400, f.Italic, 0, 0, DEFAULT_CHARSET, 0,
                           0, 0, 0, f.Face);
  HGDIOBJ old = SelectObject(dc, font);
  widths.assign(256, 0);
  bool ok = true;
  WCHAR face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  if (std::u16string(face) != std::u16string(f.Face)) ok = false;
  for (int code = 0; ok && code < 256; ++code) {
    char16_t ch = CharOfCode(f.Kind, code);
    if (!ch) continue;
    WORD glyph = 0;
    GetGlyphIndicesW(dc, &ch, 1, &glyph, 0);
    if (glyph == 0) continue;
    INT w = 0;
    GetCharWidth32W(dc, ch, ch, &w);
    widths[code] = w;
  }
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return ok;
}

}  // namespace

TEST(StdFontWidths, AgreeWithTheMetricCompatibleFaces) {
  bool print = std::getenv("TAVRELO_PRINT_STD_WIDTHS") != nullptr;
  int measured = 0;
  for (int s = 0; s < 14; ++s) {
    std::vector<int> w;
    if (!MeasureFace(kFaces[s], w)) continue;
    ++measured;
    if (print) {
      std::printf("    {  // %s\n", StdFontInfo(static_cast<TPDFStdFont>(s)).BaseFont);
      for (int i = 0; i < 256; i += 16) {
        std::printf("        ");
        for (int j = 0; j < 16; ++j) std::printf("%d,%s", w[i + j], j == 15 ? "\n" : " ");
      }
      std::printf("    },\n");
      continue;
    }
    for (int code = 0; code < 256; ++code)
      EXPECT_EQ(kStdFontWidths[s][code], w[code])
          << StdFontInfo(static_cast<TPDFStdFont>(s)).BaseFont << " code " << code;
  }
  if (measured == 0) GTEST_SKIP() << "none of the metric-compatible faces is installed";
}

TEST(StdFontWidths, KnownValues) {
  EXPECT_EQ(kStdFontWidths[stdfHelvetica][' '], 278);
  EXPECT_EQ(kStdFontWidths[stdfHelvetica]['A'], 667);
  for (int s = stdfCourier; s <= stdfCourierBoldOblique; ++s)
    for (int c = 33; c < 127; ++c) EXPECT_EQ(kStdFontWidths[s][c], 600) << s << " " << c;
}
