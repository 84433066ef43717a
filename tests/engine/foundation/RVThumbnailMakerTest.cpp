#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

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

namespace {

// The filter computed one channel at a time, plainly: weights as the maker makes them, every sum
// added tap by tap in source order, columns first into bytes, then rows. The maker's vector paths
// must give exactly these bytes.
float ReferenceFilter(float x) {
  x = std::fabs(x);
  if (x < 1.0f) return (7.0f * x * x * x - 12.0f * x * x + 16.0f / 3.0f) / 6.0f;
  if (x < 2.0f) return (-(7.0f / 3.0f) * x * x * x + 12.0f * x * x - 20.0f * x + 32.0f / 3.0f) / 6.0f;
  return 0.0f;
}

std::vector<std::vector<std::pair<int, float>>> ReferenceWeights(int dstSize, int srcSize) {
  const double scale =
      srcSize >= 2 ? static_cast<double>(dstSize - 1) / (srcSize - 1) : static_cast<double>(dstSize) / srcSize;
  const double inverse = scale >= 1e-20 ? 1.0 / scale : srcSize / 2.0;
  const float s = static_cast<float>(scale);
  const float halfWidth = scale >= 1.0 ? 2.0f : 2.0f * static_cast<float>(inverse);
  std::vector<std::vector<std::pair<int, float>>> m(static_cast<std::size_t>(dstSize));
  for (int i = 0; i < dstSize; ++i) {
    const float c = static_cast<float>(i) * static_cast<float>(inverse);
    for (int j = static_cast<int>(std::floor(c - halfWidth)); j <= static_cast<int>(std::ceil(c + halfWidth)); ++j) {
      const float d = std::fabs(c - static_cast<float>(j));
      const float weight = scale >= 1.0 ? ReferenceFilter(d) : s * ReferenceFilter(s * d);
      if (weight == 0.0f) continue;
      int pixel = j;
      if (j >= srcSize) {
        pixel = 2 * srcSize - j - 1;
        if (pixel < 0) continue;
      } else if (j < 0) {
        pixel = -j;
        if (pixel >= srcSize) continue;
      }
      m[static_cast<std::size_t>(i)].push_back({pixel, weight});
    }
  }
  return m;
}

std::uint8_t ReferenceStore(float v) {
  if (v <= 0.0f) return 0;
  if (v >= 255.0f) return 255;
  return static_cast<std::uint8_t>(std::nearbyint(v));
}

// Rows of dw * 3 bytes (blue, green, red) of src resampled to dw x dh.
std::vector<std::uint8_t> ReferenceThumbnail(const TBitmap& src, int dw, int dh) {
  const int sw = src.GetWidth(), sh = src.GetHeight();
  const int bpp = src.GetPixelFormat() == pf32bit ? 4 : 3;
  const auto columns = ReferenceWeights(dw, sw), rows = ReferenceWeights(dh, sh);
  const std::size_t stride = static_cast<std::size_t>(dw) * 3;
  std::vector<std::uint8_t> temp(stride * static_cast<std::size_t>(sh)), out(stride * static_cast<std::size_t>(dh));
  for (int y = 0; y < sh; ++y)
    for (int i = 0; i < dw; ++i)
      for (int c = 0; c < 3; ++c) {
        float sum = 0;
        for (const auto& [pixel, weight] : columns[static_cast<std::size_t>(i)])
          sum += src.ScanLine(y)[pixel * bpp + c] * weight;
        temp[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(i) * 3 + c] = ReferenceStore(sum);
      }
  for (int y = 0; y < dh; ++y)
    for (std::size_t k = 0; k < stride; ++k) {
      float sum = 0;
      for (const auto& [pixel, weight] : rows[static_cast<std::size_t>(y)])
        sum += temp[static_cast<std::size_t>(pixel) * stride + k] * weight;
      out[static_cast<std::size_t>(y) * stride + k] = ReferenceStore(sum);
    }
  return out;
}

}  // namespace

// Random sizes, shrinking and enlarging, 24- and 32-bit sources of noisy pixels (whose sums reach
// below 0 and above 255), on every vector width the processor has (a width it lacks falls back to
// the next): every byte is the plain filter's.
TEST(ThumbnailMaker, EveryPathGivesThePlainFiltersBytes) {
  std::mt19937 rng(26);
  auto size = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int n = 0; n < 40; ++n) {
    const int sw = size(1, 260), sh = size(1, 140);
    const int dw = n % 3 == 0 ? size(1, 600) : size(1, sw), dh = n % 4 == 0 ? size(1, 300) : size(1, sh);
    if (dw == sw && dh == sh) continue;
    TBitmap src;
    src.SetPixelFormat(n % 2 ? pf32bit : pf24bit);
    src.SetSize(sw, sh);
    const int bpp = n % 2 ? 4 : 3;
    for (int y = 0; y < sh; ++y)
      for (int x = 0; x < sw * bpp; ++x)
        src.ScanLine(y)[x] = static_cast<std::uint8_t>(rng() % 4 ? rng() : 255 * (x % 2));
    const std::vector<std::uint8_t> expected = ReferenceThumbnail(src, dw, dh);
    for (int bits : {512, 256, 128}) {
      SCOPED_TRACE(std::to_string(sw) + "x" + std::to_string(sh) + " to " + std::to_string(dw) + "x" +
                   std::to_string(dh) + (bpp == 4 ? ", 32-bit, " : ", 24-bit, ") + std::to_string(bits) + " bits");
      const int was = SetThumbnailVectorBits(bits);
      std::unique_ptr<TBitmap> t = ThumbnailMaker->MakeThumbnail(&src, dw, dh);
      SetThumbnailVectorBits(was);
      ASSERT_NE(t, nullptr);
      ASSERT_EQ(t->GetWidth(), dw);
      ASSERT_EQ(t->GetHeight(), dh);
      int wrong = 0;
      for (int y = 0; y < dh; ++y)
        wrong += std::memcmp(t->ScanLine(y), expected.data() + static_cast<std::size_t>(y) * dw * 3,
                             static_cast<std::size_t>(dw) * 3) != 0;
      EXPECT_EQ(wrong, 0) << "rows differ";
    }
  }
}
