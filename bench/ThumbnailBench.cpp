// Thumbnails of a 4000x3000 picture: a 24-bit and a 32-bit bitmap and the same picture as a JPEG
// (whose decoding is part of the work), shrunk to 1000x750 and 400x300. Beside each, its peer in the same
// run: the toolkit's smooth scaling of the same pixels, and for the JPEG the JPEG library's own
// decoding followed by that scaling. Times are the CPU time of the whole process, so that the
// toolkit's scaling threads count as one thread's work; peak_MB is the largest rise of allocated
// memory during one thumbnail.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "engine/foundation/RVThumbnailMaker.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/ToolkitPeer.h"

#include "BenchPeers.h"

namespace {

// Smooth colour ramps with some noise, as a photograph has.
std::unique_ptr<TBitmap> Picture() {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(4000, 3000);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> noise(0, 15);
  for (int y = 0; y < 3000; ++y) {
    std::uint8_t* p = bmp->ScanLine(y);
    for (int x = 0; x < 4000; ++x) {
      p[x * 3] = static_cast<std::uint8_t>(x / 16 + noise(rng));
      p[x * 3 + 1] = static_cast<std::uint8_t>(y / 12 + noise(rng));
      p[x * 3 + 2] = static_cast<std::uint8_t>((x + y) / 28 + noise(rng));
    }
  }
  return bmp;
}

const TBitmap& Source() {
  static const std::unique_ptr<TBitmap> bmp = Picture();
  return *bmp;
}

// The same picture as a 32-bit bitmap, the form the toolkit's peer scales.
const TBitmap& Source32() {
  static const std::unique_ptr<TBitmap> bmp = [] {
    auto b = std::make_unique<TBitmap>();
    b->Assign(&Source());
    b->SetPixelFormat(pf32bit);
    return b;
  }();
  return *bmp;
}

const std::string& JpegBytes() {
  static const std::string bytes = [] {
    TJPEGImage j;
    j.Assign(&Source());
    TMemoryStream ms;
    j.SaveToStream(ms);
    return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  }();
  return bytes;
}

// vectorBits caps the resampler's vectors (512: the widest the processor has).
void Thumbnail(benchmark::State& state, bool jpeg, bool bits32 = false, int vectorBits = 512) {
  const int w = static_cast<int>(state.range(0)), h = w * 3 / 4;
  const int was = SetThumbnailVectorBits(vectorBits);
  const std::string& bytes = JpegBytes();
  const TBitmap& source = bits32 ? Source32() : Source();
  MeasurePeak(state, [&] {
    if (jpeg) {  // start from the compressed bytes every time
      TJPEGImage fresh;
      TMemoryStream ms;
      ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
      ms.SetPosition(0);
      fresh.LoadFromStream(ms);
      benchmark::DoNotOptimize(ThumbnailMaker->MakeThumbnail(&fresh, w, h));
    } else {
      benchmark::DoNotOptimize(ThumbnailMaker->MakeThumbnail(&source, w, h));
    }
  });
  SetThumbnailVectorBits(was);
}

void Thumbnail_Toolkit(benchmark::State& state, bool jpeg) {
  const int w = static_cast<int>(state.range(0)), h = w * 3 / 4;
  const std::string& bytes = JpegBytes();
  const TPixelImage pixels = Source().ToPixels();
  MeasurePeak(state, [&] {
    if (jpeg) {
      TPixelImage decoded;
      if (!LibJpegDecodeInto(bytes, [&](int width, int height) {
            decoded.Allocate(width, height);
            return reinterpret_cast<std::uint8_t*>(decoded.Pixels.data());
          }))
        state.SkipWithError("the library could not decode the picture");
      benchmark::DoNotOptimize(ToolkitSmoothScale(decoded, w, h));
    } else {
      benchmark::DoNotOptimize(ToolkitSmoothScale(pixels, w, h));
    }
  });
}

}  // namespace

BENCHMARK_CAPTURE(Thumbnail, Bitmap, false)->Arg(1000)->Arg(400)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Thumbnail, Bitmap32, false, true)->Arg(1000)->Arg(400)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
// The same on narrower vectors, as processors without AVX-512 (or AVX2) resample.
BENCHMARK_CAPTURE(Thumbnail, Bitmap32_256bit, false, true, 256)->Arg(1000)->Arg(400)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Thumbnail, Bitmap32_128bit, false, true, 128)->Arg(1000)->Arg(400)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Thumbnail_Toolkit, Bitmap, false)->Arg(1000)->Arg(400)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Thumbnail, Jpeg, true)->Arg(1000)->Arg(400)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Thumbnail_Toolkit, Jpeg, true)->Arg(1000)->Arg(400)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
