#include "platform/graphics/ImageList.h"

#include <algorithm>

#include "platform/graphics/Graphics.h"

TCustomImageList::TCustomImageList(int width, int height) : FWidth(std::max(width, 1)), FHeight(std::max(height, 1)) {}
TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::SetSize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == FWidth && height == FHeight) return;
  FWidth = width;
  FHeight = height;
  FImages.clear();
}

void TCustomImageList::Delete(int index) {
  if (index >= 0 && index < Count()) FImages.erase(FImages.begin() + index);
}

namespace {

std::uint32_t ToArgb(TColor c) {
  const COLORREF rgb = ColorToRGB(c);
  return 0xFF000000u | static_cast<std::uint32_t>(GetRValue(rgb)) << 16 | static_cast<std::uint32_t>(GetGValue(rgb)) << 8 |
         GetBValue(rgb);
}

}  // namespace

int TCustomImageList::Add(const TBitmap* image, const TBitmap* mask) {
  if (!image || image->GetEmpty()) return -1;
  TPixelImage px = image->ToPixels();
  const bool alpha = px.HasAlpha;
  TPixelImage mk = mask ? mask->ToPixels() : TPixelImage{};
  const int first = Count();
  for (int left = 0; left + FWidth <= px.Width || (left == 0 && px.Width < FWidth); left += FWidth) {
    TPixelImage one;
    one.Resize(FWidth, FHeight, 0);
    one.HasAlpha = true;
    for (int y = 0; y < std::min(FHeight, px.Height); ++y)
      for (int x = 0; x < std::min(FWidth, px.Width - left); ++x) {
        std::uint32_t p = px.At(left + x, y);
        if (!alpha) p |= 0xFF000000u;
        if (!mk.Empty() && left + x < mk.Width && y < mk.Height && (mk.At(left + x, y) & 0xFFFFFF) == 0xFFFFFF)
          p &= 0x00FFFFFF;
        one.At(x, y) = p;
      }
    FImages.push_back(std::move(one));
  }
  return first;
}

int TCustomImageList::AddMasked(const TBitmap* image, TColor maskColor) {
  if (!image || image->GetEmpty()) return -1;
  TBitmap mask;
  mask.SetPixelFormat(pf32bit);
  mask.SetSize(image->GetWidth(), image->GetHeight());
  const std::uint32_t key = ToArgb(maskColor) & 0xFFFFFF;
  const TPixelImage px = image->ToPixels();
  for (int y = 0; y < px.Height; ++y)
    for (int x = 0; x < px.Width; ++x) mask.SetPixel(x, y, (px.At(x, y) & 0xFFFFFF) == key ? clWhite : clBlack);
  return Add(image, &mask);
}

int TCustomImageList::AddIcon(const TIcon* icon) {
  if (!icon || icon->GetEmpty()) return -1;
  TBitmap b;
  TPixelImage px = icon->ToPixels();
  px.HasAlpha = true;
  b.FromPixels(px);
  return Add(&b, nullptr);
}

TPixelImage TCustomImageList::GetImage(int index) const {
  return index >= 0 && index < Count() ? FImages[static_cast<std::size_t>(index)] : TPixelImage{};
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) const {
  if (!image || index < 0 || index >= Count()) return;
  image->FromPixels(FImages[static_cast<std::size_t>(index)]);
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) {
  Draw(canvas, x, y, index, DrawingStyle, itImage, enabled);
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
                            bool enabled) {
  if (index < 0 || index >= Count()) return;
  TPixelImage img = FImages[static_cast<std::size_t>(index)];
  if (type == itMask) {
    // The mask itself: black where the image is, white where it is transparent.
    for (auto& p : img.Pixels) p = (p >> 24) ? 0xFF000000u : 0xFFFFFFFFu;
  } else {
    if (!enabled) {
      // Disabled images are drawn grey.
      for (auto& p : img.Pixels) {
        const std::uint32_t g = (((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
        p = (p & 0xFF000000u) | g << 16 | g << 8 | g;
      }
    }
    if (style == dsFocus || style == dsSelected) {
      const std::uint32_t c = ToArgb(BlendColor == clDefault || BlendColor == clNone ? clHighlight : BlendColor);
      const std::uint32_t share = style == dsSelected ? 128 : 64;  // out of 256
      for (auto& p : img.Pixels) {
        if (!(p >> 24)) continue;
        auto mix = [&](int sh) {
          const std::uint32_t a = (p >> sh) & 0xFF, b = (c >> sh) & 0xFF;
          return ((a * (256 - share) + b * share) >> 8) << sh;
        };
        p = (p & 0xFF000000u) | mix(16) | mix(8) | mix(0);
      }
    } else if (style == dsNormal && BkColor != clNone) {
      const std::uint32_t bk = ToArgb(BkColor);
      for (auto& p : img.Pixels) {
        const std::uint32_t a = p >> 24;
        auto mix = [&](int sh) { return ((((p >> sh) & 0xFF) * a + ((bk >> sh) & 0xFF) * (255 - a)) / 255) << sh; };
        p = 0xFF000000u | mix(16) | mix(8) | mix(0);
      }
    }
  }
  DrawPixelImage(canvas, TRect(x, y, x + FWidth, y + FHeight), img);
}
