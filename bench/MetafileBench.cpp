// Walking the records of a long enhanced metafile: the floor of just reading each record's type
// and size, enumeration through the record reader, conversion to the Windows format, and
// playback onto a bitmap. The picture varies its records (lines, polygons, rectangles, text with
// advances, object changes, clipping) so no branch is always taken.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Metafile.h"

#include "BenchCommon.h"

namespace {

HENHMETAFILE VariedMetafile() {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  HPEN pens[3] = {CreatePen(PS_SOLID, 1, RGB(0, 0, 128)), CreatePen(PS_DASH, 1, RGB(128, 0, 0)),
                  CreatePen(PS_SOLID, 3, RGB(0, 96, 0))};
  HBRUSH brushes[2] = {CreateSolidBrush(RGB(200, 230, 200)), CreateHatchBrush(HS_CROSS, RGB(90, 90, 200))};
  LOGFONTW lf;
  lf.lfHeight = -13;
  const std::u16string face = u"Liberation Sans";
  face.copy(lf.lfFaceName, face.size());
  HFONT font = CreateFontIndirectW(&lf);
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  static const char16_t* words[] = {u"Sample", u"text", u"on", u"a", u"page", u"with", u"varied", u"words"};
  std::uint32_t seed = 7;
  auto next = [&](std::uint32_t m) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % m);
  };
  for (int i = 0; i < 2400; ++i) {
    const int x = next(760), y = next(1000);
    SelectObject(dc, pens[next(3)]);
    SelectObject(dc, brushes[next(2)]);
    switch (next(5)) {
      case 0:
        MoveToEx(dc, x, y, nullptr);
        LineTo(dc, x + next(80), y + next(20));
        break;
      case 1: {
        POINT pts[5] = {{x, y}, {x + 20, y + next(30)}, {x + 40, y}, {x + 30, y + 25}, {x + 5, y + 20}};
        Polygon(dc, pts, 5);
        break;
      }
      case 2: Rectangle(dc, x, y, x + 10 + next(40), y + 5 + next(20)); break;
      case 3: {
        const std::u16string w = words[next(8)];
        std::vector<INT> dx(w.size(), 7 + next(3));
        ExtTextOutW(dc, x, y, 0, nullptr, w.data(), static_cast<UINT>(w.size()), dx.data());
        break;
      }
      default:
        SaveDC(dc);
        IntersectClipRect(dc, x, y, x + 50, y + 30);
        Ellipse(dc, x - 10, y - 10, x + 60, y + 40);
        RestoreDC(dc, -1);
    }
  }
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  DeleteObject(font);
  for (HBRUSH b : brushes) DeleteObject(b);
  for (HPEN p : pens) DeleteObject(p);
  return emf;
}

const std::string& Bytes(HENHMETAFILE emf) {
  static std::string bytes;
  bytes.assign(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
  GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
  return bytes;
}

std::uint32_t Le32(const std::string& d, std::size_t at) {
  std::uint32_t v;
  std::memcpy(&v, d.data() + at, 4);
  return v;
}

// The floor: every record's type and size read, nothing done with them.
void BM_WalkFloor(benchmark::State& state) {
  HENHMETAFILE emf = VariedMetafile();
  const std::string& d = Bytes(emf);
  for (auto _ : state) {
    std::uint64_t sum = 0;
    for (std::size_t at = 0; at + 8 <= d.size();) {
      const std::uint32_t size = Le32(d, at + 4);
      sum += Le32(d, at);
      if (size < 8) break;
      at += size;
    }
    benchmark::DoNotOptimize(sum);
  }
  DeleteEnhMetaFile(emf);
}

void BM_EnumerateRecords(benchmark::State& state) {
  HENHMETAFILE emf = VariedMetafile();
  for (auto _ : state) {
    std::uint64_t sum = 0;
    EnumEnhMetaFileRecords(emf, [&](DWORD type, const BYTE*, DWORD) {
      sum += type;
      return true;
    });
    benchmark::DoNotOptimize(sum);
  }
  DeleteEnhMetaFile(emf);
}

void BM_ConvertToWindowsFormat(benchmark::State& state) {
  HENHMETAFILE emf = VariedMetafile();
  for (auto _ : state) benchmark::DoNotOptimize(EnhMetaFileToWinMetaFile(emf, RECT{0, 0, 800, 1050}));
  DeleteEnhMetaFile(emf);
}

void BM_PlayVariedMetafile(benchmark::State& state) {
  PlayMetafileOntoBitmap(state, VariedMetafile());
}

}  // namespace

BENCHMARK(BM_WalkFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnumerateRecords)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertToWindowsFormat)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayVariedMetafile)->Unit(benchmark::kMillisecond);
