#include "platform/graphics/Png.h"

#include "platform/graphics/ImageCodecs.h"

namespace {
constexpr std::string_view PngSignature("\x89PNG\r\n\x1a\n", 8);

std::uint32_t BE32(std::string_view d, std::size_t at) {
  if (at + 4 > d.size()) return 0;
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[at])) << 24 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[at + 1])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[at + 2])) << 8 | static_cast<std::uint8_t>(d[at + 3]);
}

// Walks the chunks up to IEND: the end of the file, whether it carries alpha, or 0 when broken.
std::size_t PngExtent(std::string_view d, bool& alpha) {
  alpha = false;
  std::size_t p = 8;
  while (p + 12 <= d.size()) {
    const std::uint32_t len = BE32(d, p);
    const std::string_view type = d.substr(p + 4, 4);
    if (len > d.size() - p - 12) return 0;
    if (type == "IHDR" && len >= 13) {
      const std::uint8_t colorType = static_cast<std::uint8_t>(d[p + 8 + 9]);
      alpha = colorType == 4 || colorType == 6;
    } else if (type == "tRNS") {
      alpha = true;
    }
    p += 12 + len;
    if (type == "IEND") return p;
  }
  return 0;
}
}  // namespace

bool PngSize(std::string_view data, int& width, int& height) {
  if (data.size() < 24 || data.substr(0, 8) != PngSignature || data.substr(12, 4) != "IHDR") return false;
  width = static_cast<int>(BE32(data, 16));
  height = static_cast<int>(BE32(data, 20));
  return width > 0 && height > 0;
}

TPixelImage DecodePng(std::string_view data) {
  int w = 0, h = 0;
  if (!PngSize(data, w, h)) throw EInvalidGraphic(std::string_view("PNG image is not valid"));
  CheckPictureSize(w, h);
  TPixelImage img;
  if (!ToolkitDecode(data, "png", img)) throw EInvalidGraphic(std::string_view("PNG image is not valid"));
  return img;
}

std::string EncodePng(const TPixelImage& image) {
  std::string data;
  if (!image.Empty() && !ToolkitEncode(image, "png", data))
    throw EInvalidGraphic(std::string_view("PNG image could not be written"));
  return data;
}

TPngImage::TPngImage() = default;
TPngImage::~TPngImage() = default;

void TPngImage::Decode() const {
  if (FPixels.Empty() && !FData.empty()) FPixels = DecodePng(FData);
}

TPixelImage& TPngImage::Pixels() {
  Decode();
  FData.clear();
  FModified = true;
  return FPixels;
}

const TPixelImage& TPngImage::Pixels() const {
  Decode();
  return FPixels;
}

void TPngImage::CreateAlpha() {
  if (FHasAlpha) return;
  Pixels().HasAlpha = true;
  FHasAlpha = true;
  Changed();
}

void TPngImage::SetWidth(int value) {
  if (value != FWidth) Resize(value, FHeight);
}

void TPngImage::SetHeight(int value) {
  if (value != FHeight) Resize(FWidth, value);
}

void TPngImage::Resize(int width, int height) {
  const TPixelImage old = Pixels();
  TPixelImage img;
  img.HasAlpha = old.HasAlpha;
  img.Resize(width, height, 0);
  for (int y = 0; y < std::min(old.Height, img.Height); ++y)
    for (int x = 0; x < std::min(old.Width, img.Width); ++x) img.At(x, y) = old.At(x, y);
  FPixels = std::move(img);
  FWidth = FPixels.Width;
  FHeight = FPixels.Height;
  Changed();
}

void TPngImage::LoadFromStream(TStream& stream) {
  std::string data = ReadRest(stream);
  int w = 0, h = 0;
  bool alpha = false;
  if (!PngSize(data, w, h)) throw EInvalidGraphic(std::string_view("PNG image is not valid"));
  CheckPictureSize(w, h);
  const std::size_t end = PngExtent(data, alpha);
  if (end == 0) throw EInvalidGraphic(std::string_view("PNG image is not valid"));
  FHasAlpha = alpha;
  KeepRead(stream, std::move(data), end, w, h);
}

std::string TPngImage::Encode() const { return EncodePng(FPixels); }

bool TPngImage::AssignFrom(const TGraphic* source) {
  if (const auto* p = dynamic_cast<const TPngImage*>(source)) {
    CopyEncoded(*p);
    FHasAlpha = p->FHasAlpha;
    return true;
  }
  TPixelImage img = source ? source->ToPixels() : TPixelImage{};
  if (source && dynamic_cast<const TBitmap*>(source) && source->GetTransparent()) {
    // A transparent bitmap's key colour becomes transparent pixels.
    const std::uint32_t key = static_cast<std::uint32_t>(static_cast<const TBitmap*>(source)->GetTransparentColor()) & 0xFFFFFF;
    const std::uint32_t keyArgb = (key & 0xFF) << 16 | (key & 0xFF00) | ((key >> 16) & 0xFF);
    for (auto& px : img.Pixels)
      if ((px & 0xFFFFFF) == keyArgb) px &= 0x00FFFFFF;
    img.HasAlpha = true;
  }
  FHasAlpha = img.HasAlpha;
  TakePixels(std::move(img));
  return true;
}
