// Decoding large pictures and playing back a long metafile: a 4000 x 3000 JPEG and PNG (ours
// beside the decoder library's own call into a buffer of its own, with the peak of allocated
// memory of each), and an enhanced metafile of 10,000 records drawn onto a bitmap.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Png.h"

// The libraries' own headers come last: they define TRUE and FALSE as macros.
#include <jpeglib.h>
#include <png.h>

namespace {

// Bytes allocated through new and delete: the current total and the peak since the last reset.
std::atomic<std::int64_t> gAllocated{0}, gPeak{0};

void CountAllocation(void* p) {
  if (!p) return;
  const auto n = static_cast<std::int64_t>(malloc_usable_size(p));
  const std::int64_t now = gAllocated.fetch_add(n) + n;
  std::int64_t peak = gPeak.load();
  while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
  }
}

void CountRelease(void* p) {
  if (p) gAllocated.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(p)));
}

}  // namespace

void* operator new(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  CountAllocation(p);
  return p;
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept {
  CountRelease(p);
  std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

namespace {

// Runs the body once per iteration and reports the largest rise of allocated memory over the
// amount before it, in MB.
template <typename Body>
void MeasurePeak(benchmark::State& state, Body body) {
  std::int64_t worst = 0;
  for (auto _ : state) {
    const std::int64_t before = gAllocated.load();
    gPeak = before;
    body();
    worst = std::max(worst, gPeak.load() - before);
  }
  state.counters["peak_MB"] = static_cast<double>(worst) / 1e6;
}

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

// The decoder library's own calls: 32-bit BGRA rows into one buffer of the picture's size.
struct TJpegPeerError {
  jpeg_error_mgr Mgr;
  std::jmp_buf Jump;
};

std::unique_ptr<std::uint8_t[]> LibJpegDecode(const std::string& bytes, int& w, int& h) {
  jpeg_decompress_struct cinfo;
  TJpegPeerError err;
  cinfo.err = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<TJpegPeerError*>(c->err)->Jump, 1); };
  std::uint8_t* out = nullptr;
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&cinfo);
    delete[] out;
    return nullptr;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);
  w = static_cast<int>(cinfo.output_width);
  h = static_cast<int>(cinfo.output_height);
  out = new std::uint8_t[static_cast<std::size_t>(w) * h * 4];
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out + static_cast<std::size_t>(cinfo.output_scanline) * w * 4;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return std::unique_ptr<std::uint8_t[]>(out);
}

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
  HENHMETAFILE emf = LongMetafile();
  ENHMETAHEADER h;
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetSize(800, 1050);
  HDC dc = target.GetCanvas()->GetHandle();
  const RECT rect{0, 0, 800, 1050};
  for (auto _ : state) {
    PlayEnhMetaFile(dc, emf, &rect);
    GdiFlush();
  }
  state.counters["records"] = h.nRecords;
  DeleteEnhMetaFile(emf);
}

}  // namespace

BENCHMARK(BM_DecodeJpeg4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg4000x3000_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng4000x3000_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayMetafile10000Records)->Unit(benchmark::kMillisecond);
