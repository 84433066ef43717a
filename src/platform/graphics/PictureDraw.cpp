// The parts of the picture classes that meet device contexts: a bitmap's canvas and handle, and
// drawing pixels onto any canvas.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

// The device side of a bitmap while it has a canvas or a handle.
struct TBitmapStorage {
  HDC DC = nullptr;
  HBITMAP Dib = nullptr;
  HBITMAP Original = nullptr;  // what the memory context held before the bitmap
  ~TBitmapStorage() {
    if (DC && Original) SelectObject(DC, Original);
    if (Dib) DeleteObject(Dib);
    if (DC) DeleteDC(DC);
  }
};

namespace {

HBITMAP CreateTopDownDib(int width, int height, int bits, void** mem) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = std::max(width, 1);
  bmi.bmiHeader.biHeight = -std::max(height, 1);
  bmi.bmiHeader.biBitCount = static_cast<WORD>(bits);
  bmi.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, mem, nullptr, 0);
}

}  // namespace

TBitmap::TBitmap() { AllocateStorage(); }

TBitmap::TBitmap(int width, int height) {
  AllocateStorage();
  SetSize(width, height);
}

TBitmap::~TBitmap() {
  FCanvas.reset();
  FDevice.reset();
}

void TBitmap::AllocateStorage() {
  const std::size_t size = DataSize();
  const int bits = PixelFormatBits(FPixelFormat);
  if (FDevice && bits >= 24 && FWidth > 0 && FHeight > 0) {
    void* mem = nullptr;
    HBITMAP dib = CreateTopDownDib(FWidth, FHeight, bits, &mem);
    if (dib && mem) {
      if (FDevice->DC) SelectObject(FDevice->DC, dib);
      if (FDevice->Dib) DeleteObject(FDevice->Dib);
      FDevice->Dib = dib;
      FData = static_cast<std::uint8_t*>(mem);
      std::memset(FData, 0, size);
      FBits.clear();
      FBits.shrink_to_fit();
      return;
    }
  }
  if (FDevice && FDevice->Dib) {
    // The device cannot hold this format: the canvas goes on drawing into a detached 1x1 bitmap.
    if (FDevice->DC && FDevice->Original) SelectObject(FDevice->DC, FDevice->Original);
    DeleteObject(FDevice->Dib);
    FDevice->Dib = nullptr;
  }
  FBits.assign(std::max<std::size_t>(size, 1), 0);
  FData = FBits.data();
}

void TBitmap::SyncFromDevice() const {
  if (FDevice && FDevice->Dib) GdiFlush();
}

void TBitmap::Flush() const { SyncFromDevice(); }

void* TBitmap::GetHandle() {
  if (!FDevice) {
    // Devices draw on 24 and 32 bits; other formats become 32 bits for them.
    if (PixelFormatBits(FPixelFormat) < 24) SetPixelFormat(pf32bit);
    const std::vector<std::uint8_t> keep(Data(), Data() + DataSize());
    FDevice = std::make_unique<TBitmapStorage>();
    AllocateStorage();
    if (!keep.empty() && DataSize() == keep.size()) std::memcpy(Data(), keep.data(), keep.size());
  }
  return FDevice->Dib;
}

TCanvas* TBitmap::GetCanvas() {
  // A format devices cannot draw on (after an Assign, say) becomes 32 bits again.
  if (FDevice && PixelFormatBits(FPixelFormat) < 24) SetPixelFormat(pf32bit);
  if (!FCanvas) {
    GetHandle();
    FDevice->DC = CreateCompatibleDC(nullptr);
    if (FDevice->Dib) FDevice->Original = SelectObject(FDevice->DC, FDevice->Dib);
    FCanvas = std::make_unique<TCanvas>(FDevice->DC);
  }
  // Drawing through the canvas changes the pixels: the kept file bytes no longer describe them.
  FSaved.clear();
  return FCanvas.get();
}

void TBitmap::SetHandle(void* handle, bool copy) {
  // The pixels are always copied; a handle that is taken over (not copied) is freed with that.
  auto bmp = static_cast<HBITMAP>(handle);
  BITMAP info{};
  if (!bmp || GetObjectW(bmp, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight <= 0) {
    Assign(static_cast<const TGraphic*>(nullptr));
    return;
  }
  TPixelImage img;
  img.Resize(info.bmWidth, info.bmHeight);
  for (int y = 0; y < info.bmHeight; ++y) {
    const BYTE* row = GetBitmapScanLine(bmp, y);
    if (!row) continue;
    for (int x = 0; x < info.bmWidth; ++x) {
      if (info.bmBitsPixel == 24)
        img.At(x, y) = 0xFF000000u | row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x];
      else
        std::memcpy(&img.At(x, y), row + 4 * x, 4);
    }
  }
  FromPixels(img);
  SetAlphaFormat(afIgnored);
  if (!copy) DeleteObject(bmp);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
  if (GetEmpty()) return;
  const int bits = PixelFormatBits(FPixelFormat);
  if (!GetTransparent() && (bits != 32 || FAlphaFormat == afIgnored) && bits != 16) {
    // Opaque pixels go to the device as they are, without a copy.
    HDC dc = canvas.GetHandle();
    if (!dc) return;
    SyncFromDevice();
    std::vector<std::uint32_t> info((sizeof(BITMAPINFOHEADER) + 4 * 256 + 3) / 4, 0);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = FWidth;
    bmi->bmiHeader.biHeight = -FHeight;
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = static_cast<WORD>(bits);
    bmi->bmiHeader.biCompression = BI_RGB;
    if (bits <= 8) {
      bmi->bmiHeader.biClrUsed = static_cast<DWORD>(FPalette.size());
      auto* colors = reinterpret_cast<std::uint32_t*>(reinterpret_cast<BYTE*>(bmi) + sizeof(BITMAPINFOHEADER));
      std::copy(FPalette.begin(), FPalette.end(), colors);
    }
    StretchDIBits(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), 0, 0, FWidth, FHeight, Data(), bmi,
                  DIB_RGB_COLORS, SRCCOPY);
    return;
  }
  TPixelImage img = ToPixels();
  if (GetTransparent()) {
    const TColor key = GetTransparentColor() & 0xFFFFFF;
    const std::uint32_t keyArgb = static_cast<std::uint32_t>(GetRValue(key)) << 16 |
                                  static_cast<std::uint32_t>(GetGValue(key)) << 8 | GetBValue(key);
    for (auto& p : img.Pixels)
      if ((p & 0xFFFFFF) == keyArgb) p &= 0x00FFFFFF;
    img.HasAlpha = true;
  }
  DrawPixelImage(canvas, rect, img);
}

void DrawPixelImage(TCanvas& canvas, const TRect& rect, const TPixelImage& image) {
  if (image.Empty() || rect.Width() == 0 || rect.Height() == 0) return;
  HDC dc = canvas.GetHandle();
  if (!dc) return;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = image.Width;
  bmi.bmiHeader.biHeight = -image.Height;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  bool partial = false;
  if (image.HasAlpha)
    partial = std::any_of(image.Pixels.begin(), image.Pixels.end(), [](std::uint32_t p) { return (p >> 24) != 255; });
  if (!partial) {
    StretchDIBits(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), 0, 0, image.Width, image.Height,
                  image.Pixels.data(), &bmi, DIB_RGB_COLORS, SRCCOPY);
    return;
  }
  // Per-pixel alpha: a premultiplied copy blended through a memory context.
  void* mem = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &mem, nullptr, 0);
  if (!dib || !mem) return;
  auto* dst = static_cast<std::uint32_t*>(mem);
  for (std::size_t i = 0; i < image.Pixels.size(); ++i) {
    const std::uint32_t p = image.Pixels[i], a = p >> 24;
    auto pm = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    dst[i] = a << 24 | pm((p >> 16) & 0xFF) << 16 | pm((p >> 8) & 0xFF) << 8 | pm(p & 0xFF);
  }
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, dib);
  BLENDFUNCTION blend;
  blend.BlendOp = AC_SRC_OVER;
  blend.SourceConstantAlpha = 255;
  blend.AlphaFormat = AC_SRC_ALPHA;
  AlphaBlend(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, image.Width, image.Height, blend);
  SelectObject(src, old);
  DeleteDC(src);
  DeleteObject(dib);
}
