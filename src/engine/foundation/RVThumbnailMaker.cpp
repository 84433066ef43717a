#include "engine/foundation/RVThumbnailMaker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/foundation/RVGrHandler.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Png.h"
#include "platform/graphics/WicImage.h"

namespace {

constexpr float ResampleRadius = 2.0f;

typedef float TFloat4 __attribute__((vector_size(16)));
typedef std::uint8_t TBytes4 __attribute__((vector_size(4)));

// Mitchell-Netravali with B = C = 1/3.
float Filter(float x) {
  x = std::fabs(x);
  if (x < 1.0f) return (7.0f * x * x * x - 12.0f * x * x + 16.0f / 3.0f) / 6.0f;
  if (x < 2.0f)
    return (-(7.0f / 3.0f) * x * x * x + 12.0f * x * x - 20.0f * x + 32.0f / 3.0f) / 6.0f;
  return 0.0f;
}

// Source pixels and weights of every target position along one direction.
TWPMatrix MakeWeights(int dstSize, int srcSize) {
  const double scale =
      srcSize >= 2 ? static_cast<double>(dstSize - 1) / (srcSize - 1) : static_cast<double>(dstSize) / srcSize;
  const double inverse = scale >= 1e-20 ? 1.0 / scale : srcSize / 2.0;
  const float s = static_cast<float>(scale);
  const float halfWidth = scale >= 1.0 ? ResampleRadius : ResampleRadius * static_cast<float>(inverse);
  TWPMatrix m;
  m.Items.resize(static_cast<std::size_t>(dstSize));
  m.Counts.resize(static_cast<std::size_t>(dstSize));
  for (int i = 0; i < dstSize; ++i) {
    const float c = static_cast<float>(i) * static_cast<float>(inverse);
    auto& list = m.Items[static_cast<std::size_t>(i)];
    // The room the filter needs; the range below can be one wider, so the list may grow.
    list.reserve(static_cast<std::size_t>(2 * halfWidth + 1) + 1);
    const int first = static_cast<int>(std::floor(c - halfWidth));
    const int last = static_cast<int>(std::ceil(c + halfWidth));
    for (int j = first; j <= last; ++j) {
      const float d = std::fabs(c - static_cast<float>(j));
      const float weight = scale >= 1.0 ? Filter(d) : s * Filter(s * d);
      if (weight == 0.0f) continue;
      int pixel = j;
      if (j >= srcSize) {
        pixel = 2 * srcSize - j - 1;
        if (pixel < 0) continue;
      } else if (j < 0) {
        pixel = -j;
        if (pixel >= srcSize) continue;
      }
      list.push_back({pixel, weight});
    }
    m.Counts[static_cast<std::size_t>(i)] = static_cast<int>(list.size());
  }
  return m;
}

std::uint8_t StoreChannel(float v) {
  if (v <= 0.0f) return 0;
  if (v >= 255.0f) return 255;
  // Halves to even, as nearbyint does in the default rounding mode, without its library call:
  // adding 2^23 leaves no bits below the unit, so the addition itself rounds.
  const float shifted = v + 8388608.0f;
  return static_cast<std::uint8_t>(shifted - 8388608.0f);
}

// The bytes at P as floats, lane by lane; the processor's unpacking where it has it (the
// compiler turns the generic form into one conversion per lane).
TFloat4 BytesToFloats(const std::uint8_t* P) {
#if defined(__SSE2__)
  int v;
  std::memcpy(&v, P, 4);
  const __m128i zero = _mm_setzero_si128();
  const __m128i x = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(v), zero), zero);
  return reinterpret_cast<TFloat4>(_mm_cvtepi32_ps(x));
#else
  TBytes4 b;
  std::memcpy(&b, P, 4);
  return __builtin_convertvector(b, TFloat4);
#endif
}

// Four sums stored as bytes, as StoreChannel stores each.
void StoreChannels(std::uint8_t* D, TFloat4 V) {
#if defined(__SSE2__)
  __m128 x = _mm_min_ps(_mm_max_ps(reinterpret_cast<__m128>(V), _mm_setzero_ps()), _mm_set1_ps(255.0f));
  const __m128 shift = _mm_set1_ps(8388608.0f);
  x = _mm_sub_ps(_mm_add_ps(x, shift), shift);
  const __m128i i = _mm_cvttps_epi32(x);
  const int packed = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(i, i), _mm_setzero_si128()));
  std::memcpy(D, &packed, 4);
#else
  for (int c = 0; c < 4; ++c) D[c] = StoreChannel(V[c]);
#endif
}

// Distance between scan lines 0 and 1 (0 for one row).
std::ptrdiff_t RowStride(const TBitmap& b) {
  if (b.GetHeight() < 2) return 0;
  return b.ScanLine(1) - b.ScanLine(0);
}

// Source rows of blue, green, red in 3 bytes a pixel (24-bit bitmaps) or 4 (32-bit pixels,
// whose fourth byte is left out).
struct TSourceRows {
  const std::uint8_t* Row0;
  std::ptrdiff_t Stride;
  int BytesPerPixel;
  int Width, Height;
};

// src into 24-bit dst: columns first into an intermediate of dst's width, then rows.
void Resample(const TSourceRows& src, TBitmap& dst) {
  const int sw = src.Width, sh = src.Height;
  const int dw = dst.GetWidth(), dh = dst.GetHeight();
  const TWPMatrix columns = MakeWeights(dw, sw);
  const TWPMatrix rows = MakeWeights(dh, sh);

  const std::size_t tStride = static_cast<std::size_t>(dw) * 3;
  std::vector<std::uint8_t> temp(tStride * static_cast<std::size_t>(sh));
  const std::uint8_t* srcRow0 = src.Row0;
  const std::ptrdiff_t srcStride = src.Stride;
  const int bpp = src.BytesPerPixel;
  // Each source pixel as blue, green, red, unused in one 4-float vector: the three sums run side
  // by side, each in the same order as channel by channel. Four rows go together, their pixels
  // interleaved: the four sums of a target pixel are independent, so the processor overlaps them
  // instead of waiting on one chain of additions (each sum keeps its order, and so its value).
  constexpr int Rows = 4;
  std::vector<TFloat4> rows4(static_cast<std::size_t>(sw) * Rows);
  // A target pixel's three bytes; all but the row's last are stored four at a time (the fourth
  // byte is the next pixel's, written after).
  auto store = [dw](std::uint8_t* t, int i, const TFloat4& sum) {
    if (i + 1 < dw) {
      StoreChannels(t + i * 3, sum);
      return;
    }
    t[i * 3] = StoreChannel(sum[0]);
    t[i * 3 + 1] = StoreChannel(sum[1]);
    t[i * 3 + 2] = StoreChannel(sum[2]);
  };
  for (int y0 = 0; y0 < sh; y0 += Rows) {
    const int n = std::min(Rows, sh - y0);
    for (int r = 0; r < n; ++r) {
      // Four bytes are read per pixel (the fourth lane is never stored); the last pixel of a
      // 24-bit row is copied first, so that nothing past the row is read.
      const std::uint8_t* s = srcRow0 + (y0 + r) * srcStride;
      TFloat4* d = rows4.data() + r;
      const int whole = bpp == 4 ? sw : sw - 1;
      for (int x = 0; x < whole; ++x, s += bpp, d += Rows) *d = BytesToFloats(s);
      if (whole < sw) {
        std::uint8_t last[4] = {s[0], s[1], s[2], 0};
        *d = BytesToFloats(last);
      }
    }
    std::uint8_t* t = temp.data() + static_cast<std::size_t>(y0) * tStride;
    for (int i = 0; i < dw; ++i) {
      const std::vector<TWeightedPixel>& taps = columns.Items[static_cast<std::size_t>(i)];
      if (n == Rows) {
        TFloat4 s0 = {0.0f, 0.0f, 0.0f, 0.0f}, s1 = s0, s2 = s0, s3 = s0;
        for (const TWeightedPixel& wp : taps) {
          const TFloat4* p = rows4.data() + static_cast<std::size_t>(wp.Pixel) * Rows;
          s0 += p[0] * wp.Weight;
          s1 += p[1] * wp.Weight;
          s2 += p[2] * wp.Weight;
          s3 += p[3] * wp.Weight;
        }
        store(t, i, s0);
        store(t + tStride, i, s1);
        store(t + 2 * tStride, i, s2);
        store(t + 3 * tStride, i, s3);
      } else {
        for (int r = 0; r < n; ++r) {
          TFloat4 sum = {0.0f, 0.0f, 0.0f, 0.0f};
          for (const TWeightedPixel& wp : taps) sum += rows4[static_cast<std::size_t>(wp.Pixel) * Rows + r] * wp.Weight;
          store(t + r * tStride, i, sum);
        }
      }
    }
  }

  std::uint8_t* dstRow0 = dst.ScanLine(0);
  const std::ptrdiff_t dstStride = RowStride(dst);
  // Four channel values at a time (each sum in the same order as one by one).
  const std::size_t quads = tStride / 4;
  std::vector<float> acc(tStride);
  std::vector<TFloat4> acc4(quads);
  for (int y = 0; y < dh; ++y) {
    std::fill(acc.begin(), acc.end(), 0.0f);
    std::fill(acc4.begin(), acc4.end(), TFloat4{0.0f, 0.0f, 0.0f, 0.0f});
    for (const TWeightedPixel& wp : rows.Items[static_cast<std::size_t>(y)]) {
      const std::uint8_t* t = temp.data() + static_cast<std::size_t>(wp.Pixel) * tStride;
      for (std::size_t q = 0; q < quads; ++q) acc4[q] += BytesToFloats(t + q * 4) * wp.Weight;
      for (std::size_t k = quads * 4; k < tStride; ++k) acc[k] += t[k] * wp.Weight;
    }
    std::uint8_t* d = dstRow0 + y * dstStride;
    for (std::size_t q = 0; q < quads; ++q) StoreChannels(d + q * 4, acc4[q]);
    for (std::size_t k = quads * 4; k < tStride; ++k) d[k] = StoreChannel(acc[k]);
  }
}

// Gr as a 24-bit bitmap: taken over when the bitmap can, else drawn on one.
std::unique_ptr<TBitmap> SourceBitmap(const TGraphic* gr) {
  auto bmp = std::make_unique<TBitmap>();
  try {
    bmp->Assign(gr);
    bmp->SetPixelFormat(pf24bit);
    return bmp;
  } catch (const std::exception&) {
  }
  bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(gr->GetWidth(), gr->GetHeight());
  bmp->GetCanvas()->Draw(0, 0, const_cast<TGraphic*>(gr));
  return bmp;
}

std::unique_ptr<TRVThumbnailMaker> MakerOwner = std::make_unique<TRVThumbnailMaker>();

}  // namespace

TRVThumbnailMaker* ThumbnailMaker = MakerOwner.get();

TRVThumbnailMaker::TRVThumbnailMaker()
    : FClassList{TBitmap::StaticClass(), TPngImage::StaticClass(), TJPEGImage::StaticClass(),
                 TWICImage::StaticClass()} {}

bool TRVThumbnailMaker::IsAllowedFor(const TGraphic* Gr) const {
  if (!Gr) return false;
  bool listed = false;
  for (TGraphicClass cls : FClassList) listed = listed || Gr->ClassType() == cls;
  return listed && !GraphicHandler->IsTransparent(Gr);
}

void TRVThumbnailMaker::AdjustThumbnailSize(int& Width, int& Height) const {
  const int a = std::max(Width, Height);
  if (a <= FMaxThumbnailSize) return;
  // Multiplied before dividing, so that an exact half stays exact and goes to even.
  Width = static_cast<int>(Round(static_cast<long double>(Width) * FMaxThumbnailSize / a));
  Height = static_cast<int>(Round(static_cast<long double>(Height) * FMaxThumbnailSize / a));
}

std::unique_ptr<TBitmap> TRVThumbnailMaker::MakeThumbnail(const TGraphic* Gr, int Width, int Height) const {
  try {
    if (!IsAllowedFor(Gr)) return nullptr;
    const int gw = Gr->GetWidth(), gh = Gr->GetHeight();
    if (gw + gh == 0 || Width <= 0 || Height <= 0 || (gw == Width && gh == Height)) return nullptr;
    // A picture with no pixels along one side has nothing to resample.
    if (gw <= 0 || gh <= 0) return nullptr;
    const int m = FMaxThumbnailSize;
    const bool sizeOk = (gw <= m && gh <= m) || (Width <= m && Height <= m) || gw >= Width || gh >= Height;
    if (!sizeOk) return nullptr;  // never enlarge a picture beyond the limit
    AdjustThumbnailSize(Width, Height);
    auto result = std::make_unique<TBitmap>();
    result->SetPixelFormat(pf24bit);
    result->SetSize(Width, Height);
    if (Width <= 0 || Height <= 0) return result;
    // A picture kept encoded is resampled straight from its decoded pixels, without a bitmap
    // copy of them in between.
    if (!dynamic_cast<const TBitmap*>(Gr)) {
      TPixelImage pixels;
      try {
        pixels = Gr->ToPixels();
      } catch (const std::exception&) {
        pixels = TPixelImage{};
      }
      if (!pixels.Empty()) {
        Resample(TSourceRows{reinterpret_cast<const std::uint8_t*>(pixels.Pixels.data()),
                             static_cast<std::ptrdiff_t>(pixels.Width) * 4, 4, pixels.Width, pixels.Height},
                 *result);
        return result;
      }
    }
    // A bitmap of a direct 24- or 32-bit layout is read where it is.
    if (const auto* bmp = dynamic_cast<const TBitmap*>(Gr)) {
      const TPixelFormat pf = bmp->GetPixelFormat();
      if ((pf == pf24bit || pf == pf32bit) && bmp->GetWidth() == gw && bmp->GetHeight() == gh) {
        const std::ptrdiff_t stride = gh < 2 ? 0 : bmp->ScanLine(1) - bmp->ScanLine(0);
        Resample(TSourceRows{bmp->ScanLine(0), stride, pf == pf24bit ? 3 : 4, gw, gh}, *result);
        return result;
      }
    }
    std::unique_ptr<TBitmap> source = SourceBitmap(Gr);
    Resample(TSourceRows{source->ScanLine(0), RowStride(*source), 3, source->GetWidth(), source->GetHeight()},
             *result);
    return result;
  } catch (const std::exception&) {
    return nullptr;
  }
}
