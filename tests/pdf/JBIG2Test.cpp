#include <gtest/gtest.h>

#include <algorithm>

#include "BilevelTest.h"
#include "PdfTestUtil.h"
#include "pdf/PDFJBIG2.h"
#include "platform/base/Classes.h"

using namespace pdftest;

namespace {

TBWImage Page(int w, int h, const std::vector<TImgBorder>& boxes) {
  TBWImage p(w, h);
  for (const TImgBorder& b : boxes)
    for (int y = b.LeftTop.y; y <= b.RightBottom.y; ++y) p.DrawHorLine(b.LeftTop.x, b.RightBottom.x, y, true);
  return p;
}

std::string Encode(TBWImage page, const TJBIG2Options& o, TJBIG2Compression** keep = nullptr) {
  static thread_local std::unique_ptr<TJBIG2Compression> last;
  last = std::make_unique<TJBIG2Compression>(nullptr, o);
  std::string out;
  last->Execute(out, page);
  if (keep) *keep = last.get();
  return out;
}

// Decodes an embedded stream with the reference decoder; the page as PBM.
bool DecodeWithJbig2dec(const std::string& name, const std::string& data, TPbm& pbm) {
  const std::string dir = OutDir(), in = dir + "/" + name + ".jb2", out = dir + "/" + name + ".pbm";
  WriteFile(in, data);
  std::remove(out.c_str());
  if (ToolStatus("jbig2dec -q -e -t pbm -o '" + out + "' '" + in + "'") != 0) return false;
  pbm = ReadPbm(ReadFile(out));
  return !pbm.Bits.empty();
}

int Differences(const TBitmap& b, const TPbm& pbm) {
  int wrong = 0;
  const int w = b.GetWidth(), h = b.GetHeight();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      wrong += Get(b, x, y) != bool((pbm.Bits[std::size_t(y * ((w + 7) / 8) + x / 8)] >> (7 - x % 8)) & 1);
  return wrong;
}

}  // namespace

TEST(JBIG2Symbols, WhitePageHasOnlyThePageInformation) {
  const std::string s = Encode(TBWImage(100, 50), TJBIG2Options());
  ASSERT_EQ(s.size(), 30u);
  EXPECT_EQ(s.substr(0, 11), std::string("\0\0\0\0\x30\0\x01\0\0\0\x13", 11));
  EXPECT_EQ(s.substr(11, 8), std::string("\0\0\0\x64\0\0\0\x32", 8));
}

TEST(JBIG2Symbols, IdenticalLettersShareOneSymbol) {
  TJBIG2Compression* c;
  Encode(Page(60, 20, {{{2, 3}, {6, 9}}, {{20, 3}, {24, 9}}, {{40, 5}, {44, 11}}}), TJBIG2Options(), &c);
  ASSERT_EQ(c->Symbols().size(), 3u);
  EXPECT_EQ(c->Dictionary().Count(), 1);
  EXPECT_EQ(c->Symbols()[2].x, 40);
  EXPECT_EQ(c->Symbols()[2].y, 5);
}

TEST(JBIG2Symbols, MatchingIsExactUnlessALossyLevelIsSet) {
  TBWImage a = Page(10, 10, {{{0, 0}, {9, 9}}}), one = a, block = a;
  one.SetPixel(5, 5, false);
  for (int y = 3; y < 6; ++y) block.DrawHorLine(3, 5, y, false);
  TJBIG2Options lossless, lossy;
  lossy.LossyLevel = 5;
  TJBig2SymbolDictionary exact(lossless), loose(lossy);
  EXPECT_EQ(exact.FindTemplate(a), 0);
  EXPECT_EQ(exact.FindTemplate(one), 1);
  EXPECT_EQ(exact.FindTemplate(a), 0);
  EXPECT_EQ(loose.FindTemplate(a), 0);
  EXPECT_EQ(loose.FindTemplate(one), 0);
  EXPECT_EQ(loose.FindTemplate(block), 1);
  EXPECT_EQ(loose.GetItem(1).DW, 0);
}

TEST(JBIG2Symbols, SpecksAreKeptUnlessAskedToDrop) {
  const TBWImage page = Page(40, 10, {{{2, 2}, {3, 3}}, {{10, 2}, {12, 3}}});
  TJBIG2Compression* c;
  Encode(page, TJBIG2Options(), &c);
  EXPECT_EQ(c->Symbols().size(), 2u);
  TJBIG2Options drop;
  drop.SkipBlackDots = true;
  Encode(page, drop, &c);
  ASSERT_EQ(c->Symbols().size(), 1u);
  EXPECT_EQ(c->Symbols()[0].x, 10);
}

TEST(JBIG2Symbols, ImageOnlyTakesTheLetterAndRectangleTheBox) {
  // An L whose box holds the corner of a separate square.
  const TBWImage page = Page(30, 30, {{{2, 2}, {3, 20}}, {{2, 19}, {15, 20}}, {{8, 8}, {12, 12}}});
  TJBIG2Options o;
  TJBIG2Compression* c;
  Encode(page, o, &c);
  ASSERT_EQ(c->Symbols().size(), 2u);
  const TBWImage& l = c->Dictionary().GetItem(c->Symbols()[0].Picture).Image;
  EXPECT_FALSE(l.GetPixel(8, 8));
  o.SymbolExtract = icRectangle;
  Encode(page, o, &c);
  const TBWImage& box = c->Dictionary().GetItem(c->Symbols()[0].Picture).Image;
  EXPECT_TRUE(box.GetPixel(6, 6));
  EXPECT_EQ(c->Symbols().size(), 1u);
}

TEST(JBIG2Huffman, CodeLengthsStayWithinTheLimit) {
  // Fibonacci use counts make the deepest plain Huffman tree.
  std::vector<std::uint64_t> counts{1, 1};
  while (counts.size() < 60) counts.push_back(counts[counts.size() - 1] + counts[counts.size() - 2]);
  counts.push_back(0);
  for (int limit : {31, 15}) {
    const std::vector<int> lens = JBIG2CodeLengths(counts, limit);
    EXPECT_LE(*std::max_element(lens.begin(), lens.end()), limit);
    EXPECT_EQ(lens.back(), 0);
    double kraft = 0;
    for (int l : lens)
      if (l) kraft += std::ldexp(1.0, -l);
    EXPECT_LE(kraft, 1.0);
  }
  EXPECT_EQ(JBIG2CodeLengths({0, 7, 0}, 31), (std::vector<int>{0, 1, 0}));
}

TEST(JBIG2Stream, ErrorsOfTheEncoder) {
  TJBIG2Compression c(nullptr, TJBIG2Options());
  TBitmap b;
  MakeBlackIs1(b, 8, 8);
  EXPECT_THROW(c.Execute(nullptr, b), Exception);
  TMemoryStream s;
  TBitmap rgb(4, 4);
  rgb.SetPixelFormat(pf24bit);
  EXPECT_THROW(c.Execute(&s, rgb), Exception);
}

// The reference decoder gives back every pixel: letters, rules, specks, a wide page, and a page
// of many symbols used very unevenly.
TEST(JBIG2Stream, ReferenceDecoderGivesBackEveryPixel) {
  if (!HaveTool("jbig2dec")) GTEST_SKIP() << "jbig2dec is not installed";
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    TBitmap b;
    const int w = k == 1 ? 2601 : 613, h = k == 1 ? 120 : 397;
    MakeBlackIs1(b, w, h);
    if (k < 2) FillPage(b, 11u + unsigned(k));
    else {
      // 200 distinct bars, bar i used about 1.05^i / 50 + 1 times.
      int x = 0, y = 0;
      for (int i = 0; i < 200; ++i) {
        const int uses = 1 + int(std::pow(1.05, i) / 50);
        for (int u = 0; u < uses; ++u) {
          for (int r = 0; r <= i % 20; ++r) Set(b, x + (i / 20), y + r), Set(b, x, y + r);
          x += 14;
          if (x + 14 >= w) x = 0, y += 24;
        }
      }
    }
    TMemoryStream s;
    TJBIG2Compression enc(nullptr, TJBIG2Options());
    enc.Execute(&s, b);
    const std::string data(static_cast<const char*>(s.Memory()), std::size_t(s.GetSize()));
    TPbm pbm;
    ASSERT_TRUE(DecodeWithJbig2dec("page" + std::to_string(k), data, pbm));
    ASSERT_EQ(pbm.W, w);
    ASSERT_EQ(pbm.H, h);
    EXPECT_EQ(Differences(b, pbm), 0);
    if (k == 0 && HaveTool("pdfimages")) {
      const std::string dir = OutDir();
      WriteFile(dir + "/jbig2.pdf", MiniPdf(w, h, "/Filter /JBIG2Decode", data));
      ASSERT_EQ(ToolStatus("pdfimages '" + dir + "/jbig2.pdf' '" + dir + "/jbig2'"), 0);
      const TPbm p = ReadPbm(ReadFile(dir + "/jbig2-000.pbm"));
      ASSERT_EQ(p.W, w);
      EXPECT_EQ(Differences(b, p), 0);
    }
  }
}
