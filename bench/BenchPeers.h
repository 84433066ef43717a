// Shared by the benchmark programs that measure pictures: a count of the memory allocated
// through new and delete (each program that includes this header replaces the global operators),
// and the JPEG library's own decoding call. Include after the platform headers: the JPEG
// library's header defines TRUE and FALSE as macros.
#pragma once

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include <jpeglib.h>

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

// The JPEG library's own call: 32-bit BGRA rows into one buffer of the picture's size, which
// allocate(width, height) gives; false when the library fails.
template <typename Allocate>
bool LibJpegDecodeInto(const std::string& bytes, Allocate allocate) {
  struct TError {
    jpeg_error_mgr Mgr;
    std::jmp_buf Jump;
  };
  jpeg_decompress_struct cinfo;
  TError err;
  cinfo.err = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<TError*>(c->err)->Jump, 1); };
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);
  const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
  std::uint8_t* out = allocate(w, h);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out + static_cast<std::size_t>(cinfo.output_scanline) * w * 4;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

[[maybe_unused]] std::unique_ptr<std::uint8_t[]> LibJpegDecode(const std::string& bytes, int& w, int& h) {
  std::unique_ptr<std::uint8_t[]> out;
  const bool ok = LibJpegDecodeInto(bytes, [&](int width, int height) {
    w = width;
    h = height;
    out.reset(new std::uint8_t[static_cast<std::size_t>(width) * height * 4]);
    return out.get();
  });
  return ok ? std::move(out) : nullptr;
}

}  // namespace
