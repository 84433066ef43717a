#include "engine/foundation/RVThumbnailMaker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "engine/foundation/RVError.h"
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

// The source's columns resampled into temp (rows of dw * 3 bytes), on the baseline vectors.
void ResampleColumns(const TSourceRows& src, const TWPMatrix& columns, int dw, std::uint8_t* temp) {
  const int sw = src.Width, sh = src.Height;
  const std::size_t tStride = static_cast<std::size_t>(dw) * 3;
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
    std::uint8_t* t = temp + static_cast<std::size_t>(y0) * tStride;
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
}

// temp's rows resampled into dst, on the baseline vectors.
void ResampleRows(const std::uint8_t* temp, const TWPMatrix& rows, TBitmap& dst) {
  const int dw = dst.GetWidth(), dh = dst.GetHeight();
  const std::size_t tStride = static_cast<std::size_t>(dw) * 3;
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
      const std::uint8_t* t = temp + static_cast<std::size_t>(wp.Pixel) * tStride;
      for (std::size_t q = 0; q < quads; ++q) acc4[q] += BytesToFloats(t + q * 4) * wp.Weight;
      for (std::size_t k = quads * 4; k < tStride; ++k) acc[k] += t[k] * wp.Weight;
    }
    std::uint8_t* d = dstRow0 + y * dstStride;
    for (std::size_t q = 0; q < quads; ++q) StoreChannels(d + q * 4, acc4[q]);
    for (std::size_t k = quads * 4; k < tStride; ++k) d[k] = StoreChannel(acc[k]);
  }
}

}  // namespace

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define RV_THUMBNAIL_AVX2 1
#endif

namespace rvthumbnail_detail {

// The widest vectors resampling may use, in bits.
int VectorBitsAllowed = 512;

#if defined(RV_THUMBNAIL_AVX2)
// The same passes on 8-float vectors, for processors with AVX2. Only the width changes: every
// product and sum is the one the baseline path makes, in the same order (there is no fused
// multiply-add: the target enables AVX2 alone, so the compiler cannot contract a product and a
// sum into one rounding).
#define RV_AVX2 __attribute__((target("avx2")))

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// Eight sums (two pixels' blue, green, red, unused) as bytes, as StoreChannel stores each: the
// first pixel's four bytes in the low 32 bits of the answer, the second's in the next.
RV_AVX2 inline __m128i PackChannels8(__m256 v) {
  __m256 x = _mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
  const __m256 shift = _mm256_set1_ps(8388608.0f);
  x = _mm256_sub_ps(_mm256_add_ps(x, shift), shift);
  const __m256i i = _mm256_cvttps_epi32(x);
  const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(i), _mm256_extracti128_si256(i, 1));
  return _mm_packus_epi16(words, words);
}

// Three bytes of a target pixel from 32 packed bits: four where the next pixel's store follows.
RV_AVX2 inline void StorePixel(std::uint8_t* t, int i, int dw, int packed) {
  if (i + 1 < dw)
    std::memcpy(t + i * 3, &packed, 4);
  else
    std::memcpy(t + i * 3, &packed, 3);
}

// Two pixels of the row at s as 8 floats (blue, green, red, unused of each); with three bytes a
// pixel, eight bytes are read.
RV_AVX2 inline __m256 TwoPixels(const std::uint8_t* s, int bpp) {
  __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
  if (bpp == 3) b = _mm_shuffle_epi8(b, _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, -1, -1, -1, -1, -1, -1, -1, -1));
  return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(b));
}

// n source rows (from row0, stride apart) as floats into d, one 4-float slot a pixel and row, a
// pixel's Rows slots side by side. Pixels are unpacked across the rows, eight rows at a time, so
// that d is written straight through in whole cache lines and the source read in few streams
// (writing d row by row, a slot in every other line, cost three times the reading of the
// source). The fourth lane is never stored; no byte past a row is read.
template <int Rows, int Bpp>
RV_AVX2 void UnpackRowsOf(const std::uint8_t* row0, std::ptrdiff_t stride, int n, int sw, TFloat4* d) {
  // Pairs of pixels while eight bytes stay within the row.
  const int pairs = Bpp == 4 ? sw / 2 : std::max(0, (sw - 1) / 2);
  float* out = reinterpret_cast<float*>(d);
  for (int r0 = 0; r0 < n; r0 += 8) {
    const int r1 = std::min(n, r0 + 8);
    for (int k = 0; k < pairs; ++k) {
      const std::uint8_t* s = row0 + r0 * stride + static_cast<std::ptrdiff_t>(k) * 2 * Bpp;
      float* o = out + static_cast<std::size_t>(k) * 2 * Rows * 4;
      for (int r = r0; r < r1; ++r, s += stride) {
        const __m256 f = TwoPixels(s, Bpp);
        _mm_storeu_ps(o + r * 4, _mm256_castps256_ps128(f));
        _mm_storeu_ps(o + (Rows + r) * 4, _mm256_extractf128_ps(f, 1));
      }
    }
  }
  for (int x = 2 * pairs; x < sw; ++x)
    for (int r = 0; r < n; ++r) {
      const std::uint8_t* s = row0 + r * stride + static_cast<std::ptrdiff_t>(x) * Bpp;
      const std::uint8_t px[4] = {s[0], s[1], s[2], 0};
      d[static_cast<std::size_t>(x) * Rows + r] = BytesToFloats(px);
    }
}

template <int Rows>
RV_AVX2 void UnpackRows(const std::uint8_t* row0, std::ptrdiff_t stride, int n, int sw, int bpp, TFloat4* d) {
  if (bpp == 4)
    UnpackRowsOf<Rows, 4>(row0, stride, n, sw, d);
  else
    UnpackRowsOf<Rows, 3>(row0, stride, n, sw, d);
}

// Two target pixels' sums of one tap each over eight rows: weights w, the pixel's slots at p.
#define RV_TAP8(p, w, s0, s1, s2, s3)                                \
  s0 = _mm256_add_ps(s0, _mm256_mul_ps(_mm256_loadu_ps(p), w));      \
  s1 = _mm256_add_ps(s1, _mm256_mul_ps(_mm256_loadu_ps(p + 8), w));  \
  s2 = _mm256_add_ps(s2, _mm256_mul_ps(_mm256_loadu_ps(p + 16), w)); \
  s3 = _mm256_add_ps(s3, _mm256_mul_ps(_mm256_loadu_ps(p + 24), w))

// Eight rows' sums of target pixel i stored into the rows of t.
RV_AVX2 inline void StoreSums8(std::uint8_t* t, std::size_t tStride, int i, int dw, const __m256 (&sums)[4]) {
  for (int k = 0; k < 4; ++k) {
    const __m128i b = PackChannels8(sums[k]);
    StorePixel(t + 2 * k * tStride, i, dw, _mm_cvtsi128_si32(b));
    StorePixel(t + (2 * k + 1) * tStride, i, dw, _mm_extract_epi32(b, 1));
  }
}

RV_AVX2 __attribute__((noinline)) void ResampleColumnsAvx2(const TSourceRows& src, const TWPMatrix& columns, int dw,
                                                           std::uint8_t* temp) {
  const int sw = src.Width, sh = src.Height;
  const std::size_t tStride = static_cast<std::size_t>(dw) * 3;
  // Eight rows go together, a pixel's eight slots side by side: each 8-float vector holds two
  // rows of one pixel, four vectors a pixel. Two target pixels are summed at once, so that eight
  // independent sums keep the processor busy instead of waiting on a chain of additions.
  constexpr int Rows = 8;
  std::vector<TFloat4> rows8(static_cast<std::size_t>(sw) * Rows);
  const float* base = reinterpret_cast<const float*>(rows8.data());
  auto at = [base](const TWeightedPixel& wp) { return base + static_cast<std::size_t>(wp.Pixel) * Rows * 4; };
  for (int y0 = 0; y0 < sh; y0 += Rows) {
    const int n = std::min(Rows, sh - y0);
    UnpackRows<Rows>(src.Row0 + y0 * src.Stride, src.Stride, n, sw, src.BytesPerPixel, rows8.data());
    std::uint8_t* t = temp + static_cast<std::size_t>(y0) * tStride;
    if (n == Rows) {
      int i = 0;
      for (; i + 1 < dw; i += 2) {
        const std::vector<TWeightedPixel>& a = columns.Items[static_cast<std::size_t>(i)];
        const std::vector<TWeightedPixel>& b = columns.Items[static_cast<std::size_t>(i) + 1];
        __m256 a0 = _mm256_setzero_ps(), a1 = a0, a2 = a0, a3 = a0, b0 = a0, b1 = a0, b2 = a0, b3 = a0;
        const std::size_t both = std::min(a.size(), b.size());
        for (std::size_t k = 0; k < both; ++k) {
          const float* pa = at(a[k]);
          const float* pb = at(b[k]);
          const __m256 wa = _mm256_set1_ps(a[k].Weight), wb = _mm256_set1_ps(b[k].Weight);
          RV_TAP8(pa, wa, a0, a1, a2, a3);
          RV_TAP8(pb, wb, b0, b1, b2, b3);
        }
        for (std::size_t k = both; k < a.size(); ++k) {
          const float* pa = at(a[k]);
          const __m256 wa = _mm256_set1_ps(a[k].Weight);
          RV_TAP8(pa, wa, a0, a1, a2, a3);
        }
        for (std::size_t k = both; k < b.size(); ++k) {
          const float* pb = at(b[k]);
          const __m256 wb = _mm256_set1_ps(b[k].Weight);
          RV_TAP8(pb, wb, b0, b1, b2, b3);
        }
        StoreSums8(t, tStride, i, dw, {a0, a1, a2, a3});
        StoreSums8(t, tStride, i + 1, dw, {b0, b1, b2, b3});
      }
      if (i < dw) {
        __m256 a0 = _mm256_setzero_ps(), a1 = a0, a2 = a0, a3 = a0;
        for (const TWeightedPixel& wp : columns.Items[static_cast<std::size_t>(i)]) {
          const float* pa = at(wp);
          const __m256 wa = _mm256_set1_ps(wp.Weight);
          RV_TAP8(pa, wa, a0, a1, a2, a3);
        }
        StoreSums8(t, tStride, i, dw, {a0, a1, a2, a3});
      }
      continue;
    }
    for (int i = 0; i < dw; ++i)
      for (int r = 0; r < n; ++r) {
        __m128 sum = _mm_setzero_ps();
        for (const TWeightedPixel& wp : columns.Items[static_cast<std::size_t>(i)])
          sum = _mm_add_ps(sum, _mm_mul_ps(_mm_loadu_ps(at(wp) + r * 4), _mm_set1_ps(wp.Weight)));
        const __m128i b = PackChannels8(_mm256_insertf128_ps(_mm256_setzero_ps(), sum, 0));
        StorePixel(t + r * tStride, i, dw, _mm_cvtsi128_si32(b));
      }
  }
}
#undef RV_TAP8

// Eight bytes at p as floats.
RV_AVX2 inline __m256 Bytes8ToFloats(const std::uint8_t* p) {
  return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}

// From byte First of every row on (a multiple of 8).
RV_AVX2 __attribute__((noinline)) void ResampleRowsAvx2(const std::uint8_t* temp, const TWPMatrix& rows, TBitmap& dst,
                                                        std::size_t First = 0) {
  const int dw = dst.GetWidth(), dh = dst.GetHeight();
  const std::size_t tStride = static_cast<std::size_t>(dw) * 3;
  std::uint8_t* dstRow0 = dst.ScanLine(0);
  const std::ptrdiff_t dstStride = RowStride(dst);
  const std::size_t octs = tStride / 8;
  for (int y = 0; y < dh; ++y) {
    const std::vector<TWeightedPixel>& taps = rows.Items[static_cast<std::size_t>(y)];
    std::uint8_t* d = dstRow0 + y * dstStride;
    // 32 channel values at a time in four independent sums, each added tap by tap.
    std::size_t q = First / 8;
    for (; q + 4 <= octs; q += 4) {
      __m256 s0 = _mm256_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
      for (const TWeightedPixel& wp : taps) {
        const std::uint8_t* t = temp + static_cast<std::size_t>(wp.Pixel) * tStride + q * 8;
        const __m256 w = _mm256_set1_ps(wp.Weight);
        s0 = _mm256_add_ps(s0, _mm256_mul_ps(Bytes8ToFloats(t), w));
        s1 = _mm256_add_ps(s1, _mm256_mul_ps(Bytes8ToFloats(t + 8), w));
        s2 = _mm256_add_ps(s2, _mm256_mul_ps(Bytes8ToFloats(t + 16), w));
        s3 = _mm256_add_ps(s3, _mm256_mul_ps(Bytes8ToFloats(t + 24), w));
      }
      _mm_storel_epi64(reinterpret_cast<__m128i*>(d + q * 8), PackChannels8(s0));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(d + q * 8 + 8), PackChannels8(s1));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(d + q * 8 + 16), PackChannels8(s2));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(d + q * 8 + 24), PackChannels8(s3));
    }
    for (; q < octs; ++q) {
      __m256 sum = _mm256_setzero_ps();
      for (const TWeightedPixel& wp : taps)
        sum = _mm256_add_ps(sum,
                            _mm256_mul_ps(Bytes8ToFloats(temp + static_cast<std::size_t>(wp.Pixel) * tStride + q * 8),
                                          _mm256_set1_ps(wp.Weight)));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(d + q * 8), PackChannels8(sum));
    }
    for (std::size_t k = octs * 8; k < tStride; ++k) {
      float sum = 0.0f;
      for (const TWeightedPixel& wp : taps) sum += temp[static_cast<std::size_t>(wp.Pixel) * tStride + k] * wp.Weight;
      d[k] = StoreChannel(sum);
    }
  }
}

// The same passes on 16-float vectors, for processors with AVX-512: a vector holds four rows of
// one pixel. The foundation set brings fused multiply-add with it, so every product and sum is
// written with its rounding given: the compiler cannot fuse those, and each keeps its own
// rounding as on the other paths. Rows left over from groups of sixteen and bytes left over from
// blocks of 64 go to the AVX2 path, whose code cannot fuse either.
#define RV_AVX512 __attribute__((target("avx512f")))
// GCC 12's AVX-512 intrinsics start their results from an "undefined" vector it then warns about.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

bool HasAvx512() {
  static const bool has = __builtin_cpu_supports("avx512f");
  return has;
}

// Sixteen sums (four rows of one pixel) as bytes, as StoreChannel stores each: row k's pixel in
// bits 32k to 32k + 31.
RV_AVX512 inline __m128i PackChannels16(__m512 v) {
  __m512 x = _mm512_min_ps(_mm512_max_ps(v, _mm512_setzero_ps()), _mm512_set1_ps(255.0f));
  const __m512 shift = _mm512_set1_ps(8388608.0f);
  x = _mm512_sub_ps(_mm512_add_ps(x, shift), shift);
  return _mm512_cvtepi32_epi8(_mm512_cvttps_epi32(x));
}

#define RV_NEAREST (_MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC)
// s + v * w, rounded after the product and after the sum.
#define RV_MULADD16(s, v, w) _mm512_add_round_ps(s, _mm512_mul_round_ps(v, w, RV_NEAREST), RV_NEAREST)

#define RV_TAP16(p, w, s0, s1, s2, s3)              \
  s0 = RV_MULADD16(s0, _mm512_loadu_ps(p), w);      \
  s1 = RV_MULADD16(s1, _mm512_loadu_ps(p + 16), w); \
  s2 = RV_MULADD16(s2, _mm512_loadu_ps(p + 32), w); \
  s3 = RV_MULADD16(s3, _mm512_loadu_ps(p + 48), w)

// Sixteen rows' sums of target pixel i stored into the rows of t.
RV_AVX512 inline void StoreSums16(std::uint8_t* t, std::size_t tStride, int i, int dw, const __m512 (&sums)[4]) {
  for (int k = 0; k < 4; ++k) {
    const __m128i b = PackChannels16(sums[k]);
    std::uint8_t* row = t + 4 * k * tStride;
    StorePixel(row, i, dw, _mm_cvtsi128_si32(b));
    StorePixel(row + tStride, i, dw, _mm_extract_epi32(b, 1));
    StorePixel(row + 2 * tStride, i, dw, _mm_extract_epi32(b, 2));
    StorePixel(row + 3 * tStride, i, dw, _mm_extract_epi32(b, 3));
  }
}

RV_AVX512 void ResampleColumnsAvx512(const TSourceRows& src, const TWPMatrix& columns, int dw, std::uint8_t* temp) {
  const int sw = src.Width, sh = src.Height;
  const std::size_t tStride = static_cast<std::size_t>(dw) * 3;
  // Sixteen rows go together (four vectors a pixel), two target pixels at once: eight
  // independent sums, as on AVX2.
  constexpr int Rows = 16;
  std::vector<TFloat4> rows16(static_cast<std::size_t>(sw) * Rows);
  const float* base = reinterpret_cast<const float*>(rows16.data());
  auto at = [base](const TWeightedPixel& wp) { return base + static_cast<std::size_t>(wp.Pixel) * Rows * 4; };
  int y0 = 0;
  for (; y0 + Rows <= sh; y0 += Rows) {
    UnpackRows<Rows>(src.Row0 + y0 * src.Stride, src.Stride, Rows, sw, src.BytesPerPixel, rows16.data());
    std::uint8_t* t = temp + static_cast<std::size_t>(y0) * tStride;
    {
      int i = 0;
      for (; i + 1 < dw; i += 2) {
        const std::vector<TWeightedPixel>& a = columns.Items[static_cast<std::size_t>(i)];
        const std::vector<TWeightedPixel>& b = columns.Items[static_cast<std::size_t>(i) + 1];
        __m512 a0 = _mm512_setzero_ps(), a1 = a0, a2 = a0, a3 = a0, b0 = a0, b1 = a0, b2 = a0, b3 = a0;
        const std::size_t both = std::min(a.size(), b.size());
        for (std::size_t k = 0; k < both; ++k) {
          const float* pa = at(a[k]);
          const float* pb = at(b[k]);
          const __m512 wa = _mm512_set1_ps(a[k].Weight), wb = _mm512_set1_ps(b[k].Weight);
          RV_TAP16(pa, wa, a0, a1, a2, a3);
          RV_TAP16(pb, wb, b0, b1, b2, b3);
        }
        for (std::size_t k = both; k < a.size(); ++k) {
          const float* pa = at(a[k]);
          const __m512 wa = _mm512_set1_ps(a[k].Weight);
          RV_TAP16(pa, wa, a0, a1, a2, a3);
        }
        for (std::size_t k = both; k < b.size(); ++k) {
          const float* pb = at(b[k]);
          const __m512 wb = _mm512_set1_ps(b[k].Weight);
          RV_TAP16(pb, wb, b0, b1, b2, b3);
        }
        StoreSums16(t, tStride, i, dw, {a0, a1, a2, a3});
        StoreSums16(t, tStride, i + 1, dw, {b0, b1, b2, b3});
      }
      if (i < dw) {
        __m512 a0 = _mm512_setzero_ps(), a1 = a0, a2 = a0, a3 = a0;
        for (const TWeightedPixel& wp : columns.Items[static_cast<std::size_t>(i)]) {
          const float* pa = at(wp);
          const __m512 wa = _mm512_set1_ps(wp.Weight);
          RV_TAP16(pa, wa, a0, a1, a2, a3);
        }
        StoreSums16(t, tStride, i, dw, {a0, a1, a2, a3});
      }
    }
  }
  if (y0 < sh)
    ResampleColumnsAvx2(TSourceRows{src.Row0 + y0 * src.Stride, src.Stride, src.BytesPerPixel, sw, sh - y0}, columns,
                        dw, temp + static_cast<std::size_t>(y0) * tStride);
}
#undef RV_TAP16

RV_AVX512 inline __m512 Bytes16ToFloats(const std::uint8_t* p) {
  return _mm512_cvtepi32_ps(_mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
}

RV_AVX512 void ResampleRowsAvx512(const std::uint8_t* temp, const TWPMatrix& rows, TBitmap& dst) {
  const int dw = dst.GetWidth(), dh = dst.GetHeight();
  const std::size_t tStride = static_cast<std::size_t>(dw) * 3;
  std::uint8_t* dstRow0 = dst.ScanLine(0);
  const std::ptrdiff_t dstStride = RowStride(dst);
  const std::size_t blocks = tStride / 64 * 4;
  for (int y = 0; y < dh; ++y) {
    const std::vector<TWeightedPixel>& taps = rows.Items[static_cast<std::size_t>(y)];
    std::uint8_t* d = dstRow0 + y * dstStride;
    // 64 channel values at a time in four independent sums, each added tap by tap.
    for (std::size_t q = 0; q < blocks; q += 4) {
      __m512 s0 = _mm512_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
      for (const TWeightedPixel& wp : taps) {
        const std::uint8_t* t = temp + static_cast<std::size_t>(wp.Pixel) * tStride + q * 16;
        const __m512 w = _mm512_set1_ps(wp.Weight);
        s0 = RV_MULADD16(s0, Bytes16ToFloats(t), w);
        s1 = RV_MULADD16(s1, Bytes16ToFloats(t + 16), w);
        s2 = RV_MULADD16(s2, Bytes16ToFloats(t + 32), w);
        s3 = RV_MULADD16(s3, Bytes16ToFloats(t + 48), w);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + q * 16), PackChannels16(s0));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + q * 16 + 16), PackChannels16(s1));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + q * 16 + 32), PackChannels16(s2));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + q * 16 + 48), PackChannels16(s3));
    }
  }
  if (blocks * 16 < tStride) ResampleRowsAvx2(temp, rows, dst, blocks * 16);
}
#undef RV_MULADD16
#undef RV_NEAREST
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#undef RV_AVX512
#undef RV_AVX2
#endif

// The widest vectors allowed and present: 512, 256 or 128 (the baseline's) bits.
int VectorBits() {
#if defined(RV_THUMBNAIL_AVX2)
  if (VectorBitsAllowed >= 512 && HasAvx512()) return 512;
  if (VectorBitsAllowed >= 256 && HasAvx2()) return 256;
#endif
  return 128;
}

// src into 24-bit dst: columns first into an intermediate of dst's width, then rows.
void Resample(const TSourceRows& src, TBitmap& dst) {
  const int dw = dst.GetWidth(), dh = dst.GetHeight();
  const TWPMatrix columns = MakeWeights(dw, src.Width);
  const TWPMatrix rows = MakeWeights(dh, src.Height);
  // Every byte of the intermediate is written by the column pass, so it is not cleared first.
  std::vector<std::uint8_t, TUninitialisedAllocator<std::uint8_t>> temp(static_cast<std::size_t>(dw) * 3 *
                                                                        static_cast<std::size_t>(src.Height));
#if defined(RV_THUMBNAIL_AVX2)
  switch (VectorBits()) {
    case 512:
      ResampleColumnsAvx512(src, columns, dw, temp.data());
      ResampleRowsAvx512(temp.data(), rows, dst);
      return;
    case 256:
      ResampleColumnsAvx2(src, columns, dw, temp.data());
      ResampleRowsAvx2(temp.data(), rows, dst);
      return;
    default: break;
  }
#endif
  ResampleColumns(src, columns, dw, temp.data());
  ResampleRows(temp.data(), rows, dst);
}

}  // namespace rvthumbnail_detail

namespace {

using rvthumbnail_detail::Resample;

// Gr as a 24-bit bitmap: taken over when the bitmap can, else drawn on one.
std::unique_ptr<TBitmap> SourceBitmap(const TGraphic* gr) {
  auto bmp = std::make_unique<TBitmap>();
  try {
    bmp->Assign(gr);
    bmp->SetPixelFormat(pf24bit);
    return bmp;
  } catch (...) {
    RVRethrowUnlessDataError();  // a picture that cannot be a bitmap is drawn on one below
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

int SetThumbnailVectorBits(int Bits) {
  const int was = rvthumbnail_detail::VectorBitsAllowed;
  rvthumbnail_detail::VectorBitsAllowed = Bits;
  return was;
}

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
      } catch (...) {
        RVRethrowUnlessDataError();
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
  } catch (...) {
    RVRethrowUnlessDataError();
    return nullptr;
  }
}
