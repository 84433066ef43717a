#include <gtest/gtest.h>

#include <chrono>

#include "pdf/PDFMisc.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/FontData.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

TEST(PdfFontLookup, TrueTypeFaceNames) {
  EXPECT_FALSE(IsTrueTypeFontName(u"", ANSI_CHARSET));
  EXPECT_FALSE(IsTrueTypeFontName(u"No Such Face Installed Anywhere", ANSI_CHARSET));
  EXPECT_FALSE(IsTrueTypeFontName(u"No Such Face Installed Anywhere", DEFAULT_CHARSET));
  const std::u16string def = DefaultTrueTypeFamily();
  if (def.empty()) GTEST_SKIP() << "no TrueType face installed";
  EXPECT_TRUE(IsTrueTypeFontName(def, ANSI_CHARSET));
  EXPECT_TRUE(IsTrueTypeFontName(def, DEFAULT_CHARSET));
  // Only the first 31 characters of a name count, as in a logical font.
  EXPECT_FALSE(IsTrueTypeFontName(std::u16string(500, u'x') + def, ANSI_CHARSET));
}

TEST(PdfFontLookup, FaceForEveryCharsetOrNoneWithoutLooping) {
  const BYTE charsets[] = {ANSI_CHARSET, DEFAULT_CHARSET, SYMBOL_CHARSET, SHIFTJIS_CHARSET, HANGEUL_CHARSET,
                           GB2312_CHARSET, CHINESEBIG5_CHARSET, GREEK_CHARSET, TURKISH_CHARSET, HEBREW_CHARSET,
                           ARABIC_CHARSET, BALTIC_CHARSET, RUSSIAN_CHARSET, THAI_CHARSET, EASTEUROPE_CHARSET,
                           VIETNAMESE_CHARSET, OEM_CHARSET, 99 /* no such set */};
  const bool anyTrueType = !DefaultTrueTypeFamily().empty();
  for (BYTE cs : charsets) {
    SCOPED_TRACE(int(cs));
    auto t0 = std::chrono::steady_clock::now();
    UnicodeString face = FindTrueTypeFaceForCharset(cs);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    EXPECT_LE(face.size(), 31u);
    if (!face.empty()) {
      EXPECT_TRUE(IsTrueTypeFontName(face, cs == DEFAULT_CHARSET ? ANSI_CHARSET : cs));
    }
    if (anyTrueType && (cs == ANSI_CHARSET || cs == DEFAULT_CHARSET)) {
      EXPECT_FALSE(face.empty());
    }
  }
  // The default character set is the system's, ANSI here.
  EXPECT_EQ(FindTrueTypeFaceForCharset(DEFAULT_CHARSET), FindTrueTypeFaceForCharset(ANSI_CHARSET));
}

TEST(PdfMirrorBitmap, EveryPixelFormatAndDirection) {
  const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit};
  const TColor colors[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x808080, 0x00FFFF};
  for (TPixelFormat pf : formats) {
    for (int w : {1, 5, 9, 17}) {
      const int h = 3;
      TBitmap b(w, h);
      b.SetPixelFormat(pf);
      b.SetSize(w, h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, colors[(x * 3 + y * 5 + x * y) % 7]);
      std::vector<TColor> before(static_cast<std::size_t>(w * h));
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) before[y * w + x] = b.GetPixel(x, y);
      auto at = [&](int x, int y) { return before[y * w + x]; };
      struct TCase {
        bool H, V;
      };
      // Each step mirrors the picture left by the one before; the expected pixel follows.
      bool flippedH = false, flippedV = false;
      for (TCase c : {TCase{true, false}, TCase{false, true}, TCase{true, true}, TCase{false, false}}) {
        SCOPED_TRACE(testing::Message() << "format " << pf << " width " << w << " h " << c.H << " v " << c.V);
        MirrorBitmap(b, c.H, c.V);
        flippedH ^= c.H;
        flippedV ^= c.V;
        EXPECT_EQ(b.GetPixelFormat(), pf);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            ASSERT_EQ(b.GetPixel(x, y), at(flippedH ? w - 1 - x : x, flippedV ? h - 1 - y : y)) << x << "," << y;
      }
    }
  }
  TBitmap empty;
  MirrorBitmap(empty, true, true);  // nothing to do, no failure
  EXPECT_TRUE(empty.GetEmpty());
}

TEST(PdfMirrorBitmap, DrawingOnTheCanvasIsMirrored) {
  TBitmap b(20, 10);
  b.SetPixelFormat(pf24bit);
  b.GetCanvas()->Brush().SetColor(clWhite);
  b.GetCanvas()->FillRect(TRect{0, 0, 20, 10});
  b.GetCanvas()->Brush().SetColor(clRed);
  b.GetCanvas()->FillRect(TRect{0, 0, 5, 3});  // top left corner
  MirrorBitmap(b, true, true);
  EXPECT_EQ(b.GetPixel(19, 9), static_cast<TColor>(clRed));
  EXPECT_EQ(b.GetPixel(15, 7), static_cast<TColor>(clRed));
  EXPECT_EQ(b.GetPixel(0, 0), static_cast<TColor>(clWhite));
}
