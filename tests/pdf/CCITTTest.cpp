#include <gtest/gtest.h>

#include "BilevelTest.h"
#include "PdfTestUtil.h"
#include "pdf/PDFCCITT.h"
#include "platform/base/Classes.h"

using namespace pdftest;

namespace {

std::string Code(const std::vector<std::uint8_t>& row, int width, TCCITT type, int height = 1) {
  std::string out;
  CCITTEncodeRows(row.data(), int(row.size()) / height, width, height, type, out);
  return out;
}

std::string Hex(const std::string& s) {
  std::string r;
  char b[4];
  for (char c : s) {
    std::snprintf(b, sizeof b, "%02X", std::uint8_t(c));
    r += b;
  }
  return r;
}

// Decodes the code through an independent reader: the image of a one-page PDF, extracted as PBM.
bool DecodeWithPoppler(const std::string& name, int w, int h, int k, const std::string& data, TPbm& pbm) {
  const std::string dir = OutDir();
  WriteFile(dir + "/" + name + ".pdf",
            MiniPdf(w, h,
                    "/Filter /CCITTFaxDecode /DecodeParms << /K " + std::to_string(k) + " /Columns " +
                        std::to_string(w) + " /Rows " + std::to_string(h) + " /BlackIs1 true >>",
                    data));
  if (ToolStatus("pdfimages '" + dir + "/" + name + ".pdf' '" + dir + "/" + name + "'") != 0) return false;
  pbm = ReadPbm(ReadFile(dir + "/" + name + "-000.pbm"));
  return pbm.W == w && pbm.H == h;
}

}  // namespace

TEST(CCITTCode, RunCodesOfTheStandard) {
  // 3000 white: make-up 2560, make-up 384, terminating 56.
  EXPECT_EQ(Hex(Code(std::vector<std::uint8_t>(375, 0), 3000, CCITT31D)), "01F37590");
  // A row that starts black begins with the white run of 0.
  EXPECT_EQ(Hex(Code({0xFF}, 8, CCITT31D)), "3514");
  // Two-dimensional all-white row against the white reference: V0 only; G3 2-D adds EOL + tag 0.
  EXPECT_EQ(Hex(Code({0x00}, 8, CCITT42D)), "80");
  EXPECT_EQ(Hex(Code({0x00}, 8, CCITT32D)), "0014");
}

TEST(CCITTCode, ErrorsAndEmptyBitmaps) {
  TCCITTCompression c;
  TBitmap b;
  MakeBlackIs1(b, 8, 8);
  EXPECT_THROW(c.Execute(b), Exception);  // no stream
  TMemoryStream s;
  c.SetStream(&s);
  TBitmap rgb(4, 4);
  rgb.SetPixelFormat(pf24bit);
  EXPECT_THROW(c.Execute(rgb), Exception);
  TBitmap empty;
  empty.SetPixelFormat(pf1bit);
  c.Execute(empty);
  EXPECT_EQ(s.GetSize(), 0);
}

// Each scheme decodes to the source pixels, on a page with letters, rules, specks and long runs.
TEST(CCITTCode, IndependentDecoderGivesBackEveryPixel) {
  if (!HaveTool("pdfimages")) GTEST_SKIP() << "poppler-utils (pdfimages) is not installed";
  const struct {
    TCCITT Type;
    int K;
    const char* Name;
  } cases[] = {{CCITT31D, 0, "g3-1d"}, {CCITT32D, 1, "g3-2d"}, {CCITT42D, -1, "g4"}};
  for (int size = 0; size < 2; ++size) {
    TBitmap b;
    const int w = size ? 3001 : 613, h = size ? 90 : 237;
    MakeBlackIs1(b, w, h);
    FillPage(b, 7u + unsigned(size));
    for (const auto& c : cases) {
      SCOPED_TRACE(c.Name);
      TMemoryStream s;
      TCCITTCompression enc;
      enc.SetStream(&s);
      enc.SetCompressionType(c.Type);
      enc.Execute(b);
      const std::string data(static_cast<const char*>(s.Memory()), std::size_t(s.GetSize()));
      TPbm pbm;
      ASSERT_TRUE(DecodeWithPoppler(std::string(c.Name) + "-" + std::to_string(size), w, h, c.K, data, pbm));
      int wrong = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          wrong += Get(b, x, y) != bool((pbm.Bits[std::size_t(y * ((w + 7) / 8) + x / 8)] >> (7 - x % 8)) & 1);
      EXPECT_EQ(wrong, 0);
    }
  }
}
