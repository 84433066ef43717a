// Text through a device context: measuring and drawing lines of 80 characters on a bitmap.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"

namespace {

std::u16string Line(bool arabic) {
  const std::u16string word = arabic ? u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645 "
                                     : u"Quick brown foxes jump over lazy dogs ";
  std::u16string s;
  while (s.size() < 80) s += word;
  s.resize(80);
  return s;
}

struct TTarget {
  HDC DC;
  HBITMAP Bmp;
  HFONT Font;
  TTarget() {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = 1200;
    bi.bmiHeader.biHeight = -40;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    DC = CreateCompatibleDC(nullptr);
    Bmp = CreateDIBSection(DC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(DC, Bmp);
    LOGFONTW lf;
    lf.lfHeight = -16;
    std::u16string face = u"DejaVu Sans";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    Font = CreateFontIndirectW(&lf);
    SelectObject(DC, Font);
    SetBkMode(DC, TRANSPARENT);
    SetTextAlign(DC, TA_BASELINE);
  }
  ~TTarget() {
    DeleteDC(DC);
    DeleteObject(Bmp);
    DeleteObject(Font);
  }
};

void BM_Measure(benchmark::State& state) {
  TTarget t;
  const std::u16string line = Line(state.range(0) != 0);
  SIZE sz;
  for (auto _ : state) {
    GetTextExtentPoint32W(t.DC, line.c_str(), static_cast<int>(line.size()), &sz);
    benchmark::DoNotOptimize(sz);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}

void BM_Draw(benchmark::State& state) {
  TTarget t;
  const std::u16string line = Line(state.range(0) != 0);
  for (auto _ : state) TextOutW(t.DC, 5, 30, line.c_str(), static_cast<int>(line.size()));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}

}  // namespace

BENCHMARK(BM_Measure)->Arg(0)->Arg(1)->ArgName("arabic");
BENCHMARK(BM_Draw)->Arg(0)->Arg(1)->ArgName("arabic");
