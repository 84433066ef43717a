// Decoding large pictures and playing back a long metafile: a 4000 x 3000 JPEG and PNG (ours
// beside the decoder library's own call into a buffer of its own, with the peak of allocated
// memory of each), and an enhanced metafile of 10,000 records drawn onto a bitmap.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Png.h"

#include "BenchCommon.h"
#include "BenchPeers.h"

// The PNG library's header comes last: it defines TRUE and FALSE as macros.
#include <png.h>

namespace {

TPixelImage Photo() {
  // Smooth gradients with some texture, so both codecs have real work.
  TPixelImage img;
  img.Resize(4000, 3000);
  std::uint32_t seed = 12345;
  for (int y = 0; y < img.Height; ++y)
    for (int x = 0; x < img.Width; ++x) {
      seed = seed * 1103515245u + 12345u;
      const std::uint32_t noise = (seed >> 24) & 15;
      const std::uint32_t r = (x * 255 / img.Width + noise) & 0xFF, g = (y * 255 / img.Height + noise) & 0xFF,
                          b = ((x + y) / 30 % 256);
      img.At(x, y) = 0xFF000000u | r << 16 | g << 8 | b;
    }
  return img;
}

std::string Encoded(TGraphic& g) {
  TMemoryStream ms;
  g.SaveToStream(ms);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

const std::string& JpegBytes() {
  static const std::string bytes = [] {
    TBitmap b;
    b.FromPixels(Photo());
    TJPEGImage j;
    j.Assign(&b);
    return Encoded(j);
  }();
  return bytes;
}

const std::string& PngBytes() {
  static const std::string bytes = [] {
    TBitmap b;
    b.FromPixels(Photo());
    TPngImage p;
    p.Assign(&b);
    return Encoded(p);
  }();
  return bytes;
}

template <typename T>
void Decode(benchmark::State& state, const std::string& bytes) {
  MeasurePeak(state, [&] {
    TMemoryStream ms;
    ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    ms.SetPosition(0);
    T picture;
    picture.LoadFromStream(ms);
    const TPixelImage px = picture.ToPixels();
    benchmark::DoNotOptimize(px.Pixels.data());
  });
  state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}

// The PNG library's own call: 32-bit BGRA rows into one buffer of the picture's size.
std::unique_ptr<std::uint8_t[]> LibPngDecode(const std::string& bytes, int& w, int& h) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return nullptr;
  image.format = PNG_FORMAT_BGRA;
  w = static_cast<int>(image.width);
  h = static_cast<int>(image.height);
  std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[PNG_IMAGE_SIZE(image)]);
  if (!png_image_finish_read(&image, nullptr, out.get(), 0, nullptr)) return nullptr;
  return out;
}

template <typename F>
void DecodeWithLibrary(benchmark::State& state, const std::string& bytes, F decode) {
  MeasurePeak(state, [&] {
    int w = 0, h = 0;
    auto px = decode(bytes, w, h);
    if (!px) state.SkipWithError("the library could not decode the picture");
    benchmark::DoNotOptimize(px.get());
  });
  state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void BM_DecodeJpeg4000x3000(benchmark::State& state) { Decode<TJPEGImage>(state, JpegBytes()); }
void BM_DecodeJpeg4000x3000_Library(benchmark::State& state) {
  DecodeWithLibrary(state, JpegBytes(), LibJpegDecode);
}
void BM_DecodePng4000x3000(benchmark::State& state) { Decode<TPngImage>(state, PngBytes()); }
void BM_DecodePng4000x3000_Library(benchmark::State& state) {
  DecodeWithLibrary(state, PngBytes(), LibPngDecode);
}

// 10,000 records: object selection, lines, rectangles and text, as a page of a document gives.
HENHMETAFILE LongMetafile() {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 128));
  HBRUSH brush = CreateSolidBrush(RGB(200, 230, 200));
  LOGFONTW lf;
  lf.lfHeight = -13;
  const std::u16string face = u"Liberation Sans";
  face.copy(lf.lfFaceName, face.size());
  HFONT font = CreateFontIndirectW(&lf);
  SelectObject(dc, pen);
  SelectObject(dc, brush);
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const std::u16string text = u"Sample text on a page";
  int records = 0;
  for (int i = 0; records < 9990; ++i) {
    const int x = (i * 37) % 760, y = (i * 53) % 1000;
    MoveToEx(dc, x, y, nullptr);
    LineTo(dc, x + 40, y + 3);
    Rectangle(dc, x, y + 5, x + 30, y + 20);
    TextOutW(dc, x, y + 22, text.data(), static_cast<int>(text.size()));
    records += 4;
  }
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  DeleteObject(font);
  DeleteObject(brush);
  DeleteObject(pen);
  return emf;
}

void BM_PlayMetafile10000Records(benchmark::State& state) {
  PlayMetafileOntoBitmap(state, LongMetafile());
}

}  // namespace

BENCHMARK(BM_DecodeJpeg4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg4000x3000_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng4000x3000_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayMetafile10000Records)->Unit(benchmark::kMillisecond);
