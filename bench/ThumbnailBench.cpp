// Thumbnails of a 4000x3000 picture: a 24-bit bitmap and the same picture as a JPEG (whose
// decoding is part of the work), shrunk to 1000x750 and 400x300.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "engine/foundation/RVThumbnailMaker.h"
#include "platform/graphics/Jpeg.h"

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

void Thumbnail(benchmark::State& state, bool jpeg) {
  std::unique_ptr<TGraphic> picture = Picture();
  if (jpeg) {
    auto j = std::make_unique<TJPEGImage>();
    j->Assign(picture.get());
    j->Compress();
    picture = std::move(j);
  }
  const int w = static_cast<int>(state.range(0)), h = w * 3 / 4;
  for (auto _ : state) {
    if (jpeg) {  // start from the compressed bytes every time
      auto fresh = std::make_unique<TJPEGImage>();
      TMemoryStream ms;
      picture->SaveToStream(ms);
      ms.SetPosition(0);
      fresh->LoadFromStream(ms);
      benchmark::DoNotOptimize(ThumbnailMaker->MakeThumbnail(fresh.get(), w, h));
    } else {
      benchmark::DoNotOptimize(ThumbnailMaker->MakeThumbnail(picture.get(), w, h));
    }
  }
}

}  // namespace

BENCHMARK_CAPTURE(Thumbnail, Bitmap, false)->Arg(1000)->Arg(400)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Thumbnail, Jpeg, true)->Arg(1000)->Arg(400)->Unit(benchmark::kMillisecond);
