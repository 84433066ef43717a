// A memory context on a white 32-bit bitmap, with pixel access, for the drawing tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/graphics/Graphics.h"

class TSurface {
 public:
  TSurface(int w, int h, bool topDown = true) : W(w), H(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = topDown ? -h : h;
    bi.bmiHeader.biBitCount = 32;
    DC = CreateCompatibleDC(nullptr);
    Bmp = CreateDIBSection(DC, &bi, DIB_RGB_COLORS, &Bits, nullptr, 0);
    Old = SelectObject(DC, Bmp);
    Clear();
  }
  ~TSurface() {
    SelectObject(DC, Old);
    DeleteObject(Bmp);
    DeleteDC(DC);
  }
  TSurface(const TSurface&) = delete;
  TSurface& operator=(const TSurface&) = delete;

  void Clear(COLORREF c = 0xFFFFFF) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        BYTE* p = GetBitmapScanLine(Bmp, y) + x * 4;
        p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c), p[3] = 255;
      }
  }
  COLORREF At(int x, int y) const {
    const BYTE* p = GetBitmapScanLine(Bmp, y) + x * 4;
    return RGB(p[2], p[1], p[0]);
  }
  bool Dark(int x, int y) const {
    const COLORREF c = At(x, y);
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128;
  }
  // Pixels of one row (y) or column as '#' (not white) and '.' (white), from a to b exclusive.
  std::string Row(int y, int a, int b) const {
    std::string s;
    for (int x = a; x < b; ++x) s += At(x, y) == 0xFFFFFF ? '.' : '#';
    return s;
  }
  std::string Col(int x, int a, int b) const {
    std::string s;
    for (int y = a; y < b; ++y) s += At(x, y) == 0xFFFFFF ? '.' : '#';
    return s;
  }
  // Rightmost column with any ink darker than mid-grey, -1 when none.
  int InkRight() const {
    for (int x = W - 1; x >= 0; --x)
      for (int y = 0; y < H; ++y)
        if (Dark(x, y)) return x;
    return -1;
  }
  int InkLeft() const {
    for (int x = 0; x < W; ++x)
      for (int y = 0; y < H; ++y)
        if (Dark(x, y)) return x;
    return -1;
  }

  int W, H;
  HDC DC = nullptr;
  HBITMAP Bmp = nullptr;
  HGDIOBJ Old = nullptr;
  void* Bits = nullptr;
};

inline LOGFONTW MakeLogFont(const char16_t* face, int height, int weight = FW_NORMAL, bool italic = false) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfItalic = italic;
  std::u16string f(face);
  std::copy(f.begin(), f.end(), lf.lfFaceName);
  return lf;
}

// Selects a font for the life of the object.
class TFontScope {
 public:
  TFontScope(HDC dc, const LOGFONTW& lf) : DC(dc), Font(CreateFontIndirectW(&lf)) { Old = SelectObject(dc, Font); }
  ~TFontScope() {
    SelectObject(DC, Old);
    DeleteObject(Font);
  }
  HDC DC;
  HFONT Font;
  HGDIOBJ Old;
};
