#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/foundation/RVThumbnailMaker.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Png.h"

namespace {

// A 24-bit bitmap of one colour (bytes blue, green, red).
std::unique_ptr<TBitmap> Uniform(int w, int h, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* p = bmp->ScanLine(y);
    for (int x = 0; x < w; ++x) {
      p[x * 3] = b;
      p[x * 3 + 1] = g;
      p[x * 3 + 2] = r;
    }
  }
  return bmp;
}

// Thumbnails are made from the listed classes only, not from their descendants.
class TDerivedBitmap : public TBitmap {
  TAVRELO_GRAPHIC_CLASS(TDerivedBitmap, TBitmap)
 public:
  using TBitmap::TBitmap;
};

}  // namespace

TEST(ThumbnailMaker, AdjustSizeKeepsWithinTheLimit) {
  struct Case { int w, h, ew, eh; };
  const Case cases[] = {
      {8000, 4000, 3000, 1500}, {4000, 6000, 2000, 3000}, {3000, 10, 3000, 10},
      {3001, 1, 3000, 1},       {6000, 1, 3000, 0},       {6000, 3, 3000, 2},  // halves to even
      {4500, 4501, 2999, 3000}, {0, 0, 0, 0},
  };
  for (const Case& tc : cases) {
    int w = tc.w, h = tc.h;
    ThumbnailMaker->AdjustThumbnailSize(w, h);
    EXPECT_EQ(w, tc.ew) << tc.w << "x" << tc.h;
    EXPECT_EQ(h, tc.eh) << tc.w << "x" << tc.h;
  }
}

TEST(ThumbnailMaker, RefusesWhatItMustNotResample) {
  auto transparentPng = std::make_unique<TPngImage>();
  transparentPng->Assign(Uniform(4, 4, 1, 2, 3).get());
  transparentPng->CreateAlpha();
  auto transparentBmp = Uniform(4, 4, 1, 2, 3);
  transparentBmp->SetTransparent(true);
  TMetafile metafile;
  metafile.SetWidth(40);
  metafile.SetHeight(20);
  auto small = Uniform(4, 2, 1, 2, 3);
  auto huge = Uniform(6000, 3000, 1, 2, 3);
  auto empty = std::make_unique<TBitmap>();
  TDerivedBitmap derived(4, 4);

  struct Case { const char* name; const TGraphic* g; int w, h; };
  const Case cases[] = {
      {"transparent png", transparentPng.get(), 2, 2},
      {"transparent bitmap", transparentBmp.get(), 2, 2},
      {"metafile", &metafile, 20, 10},
      {"own size", small.get(), 4, 2},
      {"zero width", small.get(), 0, 2},
      {"negative height", small.get(), 8, -1},
      {"empty", empty.get(), 8, 8},
      {"descendant of bitmap", &derived, 2, 2},
      {"null", nullptr, 8, 8},
      {"beyond the limit, enlarged", huge.get(), 8000, 4000},
  };
  for (const Case& tc : cases) EXPECT_EQ(ThumbnailMaker->MakeThumbnail(tc.g, tc.w, tc.h), nullptr) << tc.name;
  EXPECT_FALSE(ThumbnailMaker->IsAllowedFor(&metafile));
  EXPECT_FALSE(ThumbnailMaker->IsAllowedFor(transparentPng.get()));
  EXPECT_TRUE(ThumbnailMaker->IsAllowedFor(small.get()));
}

TEST(ThumbnailMaker, ResamplesLargePicturesWithinTheLimit) {
  struct Case { int sw, sh, rw, rh, ew, eh; };
  const Case cases[] = {
      {6000, 3000, 1000, 500, 1000, 500},   // shrunk
      {100, 50, 8000, 4000, 3000, 1500},    // enlarged only up to the limit
  };
  for (const Case& tc : cases) {
    SCOPED_TRACE(std::to_string(tc.sw) + "x" + std::to_string(tc.sh));
    auto source = Uniform(tc.sw, tc.sh, 10, 120, 240);
    std::unique_ptr<TBitmap> t = ThumbnailMaker->MakeThumbnail(source.get(), tc.rw, tc.rh);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetWidth(), tc.ew);
    EXPECT_EQ(t->GetHeight(), tc.eh);
    EXPECT_EQ(t->GetPixelFormat(), pf24bit);
    // A picture of one colour stays that colour everywhere, edges included.
    for (int y : {0, tc.eh / 2, tc.eh - 1})
      for (int x : {0, 1, tc.ew / 3, tc.ew - 1}) {
        const std::uint8_t* p = t->ScanLine(y) + x * 3;
        EXPECT_NEAR(p[0], 10, 1) << x << "," << y;
        EXPECT_NEAR(p[1], 120, 1) << x << "," << y;
        EXPECT_NEAR(p[2], 240, 1) << x << "," << y;
      }
  }
}

// Columns 90, 180, 180, 90 enlarged to 8: the filter's weights at distances 0 and 1 are 8/9 and
// 1/18; beyond the left edge column j reads column -j, beyond the right edge the columns fold
// back onto the last one; rows of equal height pass unchanged.
TEST(ThumbnailMaker, FilterWeightsAndEdges) {
  auto source = Uniform(4, 4, 0, 0, 0);
  const std::uint8_t columns[] = {90, 180, 180, 90};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) std::memset(source->ScanLine(y) + x * 3, columns[x], 3);
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->Assign(source.get());

  std::unique_ptr<TBitmap> t = ThumbnailMaker->MakeThumbnail(source.get(), 8, 4);
  ASSERT_NE(t, nullptr);
  for (int y = 0; y < 4; ++y) {
    const std::uint8_t* row = t->ScanLine(y);
    EXPECT_EQ(row[0], 100);     // 8/9 * 90 + 2 * 1/18 * 180
    EXPECT_EQ(row[7 * 3], 95);  // 17/18 * 90 + 1/18 * 180
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(row[x * 3], row[x * 3 + 1]);
      EXPECT_EQ(row[x * 3], row[x * 3 + 2]);
    }
  }
  // Any allowed class is first taken over by a bitmap.
  std::unique_ptr<TBitmap> fromJpeg = ThumbnailMaker->MakeThumbnail(jpeg.get(), 2, 2);
  ASSERT_NE(fromJpeg, nullptr);
  EXPECT_EQ(fromJpeg->GetWidth(), 2);
}
