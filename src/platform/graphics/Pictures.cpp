#include "platform/graphics/Pictures.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/base/ComponentStream.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/ImageCodecs.h"

// ---- registry ---------------------------------------------------------------------------------

namespace {

std::vector<std::pair<UnicodeString, TGraphicClass>>& AliasList() {
  static std::vector<std::pair<UnicodeString, TGraphicClass>> list;
  return list;
}

struct TFileFormat {
  UnicodeString Ext;
  UnicodeString Description;
  TGraphicClass Class;
};
std::vector<TFileFormat>& FileFormats() {
  static std::vector<TFileFormat> list;
  return list;
}

UnicodeString NormalExt(const UnicodeString& ext) {
  UnicodeString e = ext;
  if (!e.empty() && e[0] == u'.') e.erase(0, 1);
  return LowerCaseAscii(e);
}

}  // namespace

void RegisterGraphicClass(TGraphicClass cls) {
  if (cls) RegisterClass(*cls);
}

void RegisterGraphicClassAlias(const UnicodeString& name, TGraphicClass cls) {
  if (cls) AliasList().emplace_back(name, cls);
}

TGraphicClass FindGraphicClass(std::u16string_view name) {
  if (const TClassInfo* c = GetClass(name); c && c->InheritsFrom(TGraphic::StaticClassInfo()))
    return static_cast<TGraphicClass>(c);
  for (const auto& a : AliasList())
    if (SameTextAscii(a.first, name)) return a.second;
  return nullptr;
}

void TPicture::RegisterFileFormat(const UnicodeString& ext, const UnicodeString& description,
                                  TGraphicClass cls) {
  FileFormats().insert(FileFormats().begin(), TFileFormat{NormalExt(ext), description, cls});
}

TGraphicClass TPicture::FileFormatClass(const UnicodeString& ext) {
  const UnicodeString e = NormalExt(ext);
  for (const TFileFormat& f : FileFormats())
    if (f.Ext == e) return f.Class;
  return nullptr;
}

UnicodeString TPicture::GraphicExtension(TGraphicClass cls) {
  // The list is newest first; the class's first registration is its last entry.
  const auto& list = FileFormats();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (it->Class == cls) return it->Ext;
  return {};
}

// ---- shared helpers -------------------------------------------------------------------------

namespace {
std::atomic<std::int64_t> PixelBudget{DefaultPicturePixelBudget};
}

std::int64_t PicturePixelBudget() { return PixelBudget.load(std::memory_order_relaxed); }

void SetPicturePixelBudget(std::int64_t pixels) {
  PixelBudget.store(pixels > 0 ? pixels : DefaultPicturePixelBudget, std::memory_order_relaxed);
}

void CheckPictureSize(std::int64_t width, std::int64_t height, std::int64_t others) {
  if (width <= 0 || height <= 0 || width > MaxPictureSide || height > MaxPictureSide ||
      width * height > PicturePixelBudget() - others)
    throw EInvalidGraphic(std::string_view("Picture size is not valid"));
}

std::string ReadRest(TStream& stream) {
  const std::int64_t pos = stream.GetPosition();
  const std::int64_t size = stream.GetSize();
  std::string data;
  if (size > pos) {
    data.resize(static_cast<std::size_t>(size - pos));
    data.resize(static_cast<std::size_t>(stream.Read(data.data(), static_cast<std::int64_t>(data.size()))));
  }
  return data;
}

void WriteBytes(TStream& stream, std::string_view bytes) {
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void GiveBackRest(TStream& stream, std::string& data, std::size_t end) {
  if (end >= data.size()) return;
  stream.Seek(static_cast<std::int64_t>(end) - static_cast<std::int64_t>(data.size()), soCurrent);
  data.resize(end);
}

void TPixelImage::Resize(int w, int h, std::uint32_t fill) {
  Width = std::max(w, 0);
  Height = std::max(h, 0);
  Pixels.assign(static_cast<std::size_t>(Width) * Height, fill);
}

void TPixelImage::Allocate(int w, int h) {
  Width = std::max(w, 0);
  Height = std::max(h, 0);
  Pixels.clear();
  Pixels.resize(static_cast<std::size_t>(Width) * Height);
}

// ---- TGraphic ---------------------------------------------------------------------------------

const TGraphicClassInfo& TGraphic::StaticClassInfo() {
  return MakeGraphicClassInfo<TGraphic>(u"TGraphic", TPersistent::StaticClassInfo());
}

void TGraphic::SetTransparent(bool value) {
  if (value != FTransparent) {
    FTransparent = value;
    Changed();
  }
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed();
  else
    FModified = false;
}

void TGraphic::Changed() {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const UnicodeString& fileName) {
  TFileStream fs(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(fs);
}

void TGraphic::SaveToFile(const UnicodeString& fileName) {
  TFileStream fs(fileName, fmCreate);
  SaveToStream(fs);
}

bool TGraphic::AssignFrom(const TGraphic*) { return false; }

void TGraphic::Assign(TPersistent* source) {
  if (!source || dynamic_cast<TGraphic*>(source)) {
    Assign(static_cast<const TGraphic*>(dynamic_cast<TGraphic*>(source)));
    return;
  }
  TPersistent::Assign(source);
}

void TGraphic::Assign(const TGraphic* source) {
  if (source == this) return;
  if (AssignFrom(source)) {
    Changed();
    return;
  }
  const UnicodeString from = source ? source->ClassName() : UnicodeString(u"nil");
  throw EConvertError(Format(u"Cannot assign a %s to a %s", {from, ClassName()}));
}

void TGraphic::ReadSizedData(TStream& stream) {
  const std::uint32_t size = stream.ReadValue<std::uint32_t>();
  // A forged length must not make us allocate more than the stream holds.
  if (size > stream.GetSize() - stream.GetPosition()) throw EReadError(u"Stream read error");
  std::string bytes(size, '\0');
  stream.ReadBuffer(bytes.data(), size);
  TMemoryStream ms;
  WriteBytes(ms, bytes);
  ms.SetPosition(0);
  LoadFromStream(ms);
}

void TGraphic::WriteSizedData(TStream& stream) {
  TMemoryStream ms;
  SaveToStream(ms);
  stream.WriteValue<std::uint32_t>(static_cast<std::uint32_t>(ms.GetSize()));
  stream.WriteBuffer(ms.Memory(), ms.GetSize());
}

// ---- TEncodedImage --------------------------------------------------------------------------

void TEncodedImage::SaveToStream(TStream& stream) {
  EnsureEncoded();
  WriteBytes(stream, FData);
}

void TEncodedImage::Draw(TCanvas& canvas, const TRect& rect) {
  Decode();
  if (!FPixels.Empty()) DrawPixelImage(canvas, rect, FPixels);
}

TPixelImage TEncodedImage::ToPixels() const {
  if (FPixels.Empty() && !FData.empty()) {
    // Decoded for the caller alone: the pixels are handed over rather than kept beside a copy
    // (the bytes stay, so drawing decodes again when it needs to).
    Decode();
    TPixelImage image = std::move(FPixels);
    FPixels = TPixelImage{};
    return image;
  }
  return FPixels;
}

void TEncodedImage::KeepRead(TStream& stream, std::string data, std::size_t end, int width, int height) {
  GiveBackRest(stream, data, end);
  FData = std::move(data);
  FPixels = TPixelImage{};
  FWidth = width;
  FHeight = height;
  FModified = false;
  if (OnChange) OnChange(this);
}

void TEncodedImage::CopyEncoded(const TEncodedImage& source) {
  FData = source.FData;
  FPixels = source.FPixels;
  FWidth = source.FWidth;
  FHeight = source.FHeight;
}

void TEncodedImage::TakePixels(TPixelImage image) {
  FData.clear();
  FWidth = image.Width;
  FHeight = image.Height;
  FPixels = std::move(image);
}

// ---- pixel formats --------------------------------------------------------------------------

int PixelFormatBits(TPixelFormat pf) {
  switch (pf) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
  }
}

namespace {

std::uint32_t Expand5(std::uint32_t v) { return (v << 3) | (v >> 2); }
std::uint32_t Expand6(std::uint32_t v) { return (v << 2) | (v >> 4); }

// The fixed palettes used when a picture is reduced to 1, 4 or 8 bits.
const std::vector<std::uint32_t>& FixedPalette(int bits) {
  static const std::vector<std::uint32_t> mono{0x000000, 0xFFFFFF};
  static const std::vector<std::uint32_t> vga{
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
      0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  static const std::vector<std::uint32_t> cube = [] {
    std::vector<std::uint32_t> p;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) p.push_back((r * 51u) << 16 | (g * 51u) << 8 | (b * 51u));
    for (int i = 1; i <= 40; ++i) {
      const std::uint32_t v = static_cast<std::uint32_t>(i * 255 / 41);
      p.push_back(v << 16 | v << 8 | v);
    }
    return p;
  }();
  return bits == 1 ? mono : bits == 4 ? vga : cube;
}

int NearestIndex(const std::vector<std::uint32_t>& pal, std::uint32_t rgb) {
  int best = 0;
  int bestDist = 1 << 30;
  for (std::size_t i = 0; i < pal.size(); ++i) {
    const int dr = static_cast<int>((pal[i] >> 16) & 0xFF) - static_cast<int>((rgb >> 16) & 0xFF);
    const int dg = static_cast<int>((pal[i] >> 8) & 0xFF) - static_cast<int>((rgb >> 8) & 0xFF);
    const int db = static_cast<int>(pal[i] & 0xFF) - static_cast<int>(rgb & 0xFF);
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDist) {
      bestDist = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  return best;
}

int Stride(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

// Reads pixel x of a row in the given format as 0xAARRGGBB (alpha 255 except for 32 bits).
std::uint32_t ReadPixel(const std::uint8_t* row, int x, int bits, const std::vector<std::uint32_t>& pal,
                        bool is565) {
  switch (bits) {
    case 1:
    case 4:
    case 8: {
      int idx;
      if (bits == 8)
        idx = row[x];
      else if (bits == 4)
        idx = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
      else
        idx = (row[x / 8] >> (7 - (x & 7))) & 1;
      const std::uint32_t c = static_cast<std::size_t>(idx) < pal.size() ? pal[idx] : 0;
      return 0xFF000000u | (c & 0xFFFFFF);
    }
    case 16: {
      const std::uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
      if (is565)
        return 0xFF000000u | Expand5((v >> 11) & 31) << 16 | Expand6((v >> 5) & 63) << 8 | Expand5(v & 31);
      return 0xFF000000u | Expand5((v >> 10) & 31) << 16 | Expand5((v >> 5) & 31) << 8 | Expand5(v & 31);
    }
    case 24:
      return 0xFF000000u | row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x];
    default: {
      std::uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      return v;
    }
  }
}

void WritePixel(std::uint8_t* row, int x, int bits, const std::vector<std::uint32_t>& pal, bool is565,
                std::uint32_t argb, std::map<std::uint32_t, int>* cache) {
  switch (bits) {
    case 1:
    case 4:
    case 8: {
      const std::uint32_t rgb = argb & 0xFFFFFF;
      int idx;
      if (cache) {
        auto it = cache->find(rgb);
        if (it == cache->end()) it = cache->emplace(rgb, NearestIndex(pal, rgb)).first;
        idx = it->second;
      } else {
        idx = NearestIndex(pal, rgb);
      }
      if (bits == 8) {
        row[x] = static_cast<std::uint8_t>(idx);
      } else if (bits == 4) {
        const int sh = (x & 1) ? 0 : 4;
        row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & ~(0x0F << sh)) | (idx << sh));
      } else {
        const int sh = 7 - (x & 7);
        row[x / 8] = static_cast<std::uint8_t>((row[x / 8] & ~(1 << sh)) | (idx << sh));
      }
      break;
    }
    case 16: {
      const std::uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
      const std::uint32_t v = is565 ? ((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3))
                                    : ((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
      row[2 * x] = static_cast<std::uint8_t>(v & 0xFF);
      row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
      break;
    }
    case 24:
      row[3 * x] = static_cast<std::uint8_t>(argb & 0xFF);
      row[3 * x + 1] = static_cast<std::uint8_t>((argb >> 8) & 0xFF);
      row[3 * x + 2] = static_cast<std::uint8_t>((argb >> 16) & 0xFF);
      break;
    default:
      std::memcpy(row + 4 * x, &argb, 4);
  }
}

constexpr std::uint32_t BI_ALPHABITFIELDS = 6;

[[noreturn]] void BadBitmap() { throw EInvalidGraphic(std::string_view("Bitmap image is not valid")); }

// Shift and width of a channel mask, for generic bit-field pixels.
struct TMaskChannel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;
  explicit TMaskChannel(std::uint32_t m) : Mask(m) {
    if (!m) return;
    while (!((m >> Shift) & 1)) ++Shift;
    while (Shift + Bits < 32 && ((m >> (Shift + Bits)) & 1)) ++Bits;
  }
  std::uint32_t Get(std::uint32_t v) const {
    if (!Mask) return 0;
    const std::uint32_t c = (v & Mask) >> Shift;
    if (Bits >= 8) return c >> (Bits - 8);
    const std::uint32_t max = (1u << Bits) - 1;
    return max ? (c * 255 + max / 2) / max : 0;
  }
};

// Expands RLE8/RLE4 data into rows of indices (bottom-up order, as the data gives them).
void DecodeRle(std::string_view src, int width, int height, int bits, std::vector<std::uint8_t>& rows,
               int stride) {
  rows.assign(static_cast<std::size_t>(stride) * height, 0);
  auto put = [&](int x, int y, int idx) {
    if (x < 0 || x >= width || y < 0 || y >= height) return;
    std::uint8_t* row = rows.data() + static_cast<std::size_t>(y) * stride;
    if (bits == 8) {
      row[x] = static_cast<std::uint8_t>(idx);
    } else {
      const int sh = (x & 1) ? 0 : 4;
      row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & ~(0x0F << sh)) | ((idx & 0x0F) << sh));
    }
  };
  std::size_t p = 0;
  int x = 0, y = 0;
  auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(src[i]); };
  while (p + 1 < src.size() && y < height) {
    const int count = byte(p), value = byte(p + 1);
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) {
        const int idx = bits == 8 ? value : ((i & 1) ? (value & 0x0F) : (value >> 4));
        put(x++, y, idx);
      }
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (p + 1 >= src.size()) break;
      x += byte(p);
      y += byte(p + 1);
      p += 2;
    } else {
      const int n = value;
      const std::size_t bytes = bits == 8 ? static_cast<std::size_t>(n) : static_cast<std::size_t>((n + 1) / 2);
      if (p + bytes > src.size()) break;
      for (int i = 0; i < n; ++i) {
        const int idx = bits == 8 ? byte(p + i) : ((i & 1) ? (byte(p + i / 2) & 0x0F) : (byte(p + i / 2) >> 4));
        put(x++, y, idx);
      }
      p += (bytes + 1) & ~std::size_t(1);
    }
  }
}

}  // namespace

// ---- TBitmap ----------------------------------------------------------------------------------


int TBitmap::BytesPerScanLine() const { return Stride(FWidth, PixelFormatBits(FPixelFormat)); }

void TBitmap::Allocate(int width, int height, TPixelFormat pf, std::uint32_t fill) {
  FWidth = std::max(width, 0);
  FHeight = std::max(height, 0);
  FPixelFormat = pf;
  const int bits = PixelFormatBits(pf);
  if (bits <= 8 && FPalette.empty()) FPalette = FixedPalette(bits);
  if (bits > 8) FPalette.clear();
  const int stride = BytesPerScanLine();
  AllocateStorage();
  if (fill != 0) {
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x)
        WritePixel(Data() + static_cast<std::size_t>(y) * stride, x, bits, FPalette,
                   pf == pf16bit, fill, nullptr);
  }
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight) return;
  if (width > 0 && height > 0) CheckPictureSize(width, height);
  SyncFromDevice();
  const std::vector<std::uint8_t> old(Data(), Data() + DataSize());
  const int oldW = FWidth, oldH = FHeight, oldStride = BytesPerScanLine();
  Allocate(width, height, FPixelFormat, 0xFFFFFFFFu);
  const int bits = PixelFormatBits(FPixelFormat);
  const int stride = BytesPerScanLine();
  const int w = std::min(oldW, width), h = std::min(oldH, height);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      WritePixel(Data() + static_cast<std::size_t>(y) * stride, x, bits, FPalette, FPixelFormat == pf16bit,
                 ReadPixel(old.data() + static_cast<std::size_t>(y) * oldStride, x, bits, FPalette,
                           FPixelFormat == pf16bit),
                 nullptr);
  FSaved.clear();
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == FPixelFormat) return;
  SyncFromDevice();
  const int oldBits = PixelFormatBits(FPixelFormat);
  const bool old565 = FPixelFormat == pf16bit;
  if (oldBits == PixelFormatBits(value) && oldBits > 16) {
    // Same layout (device, 32 bits, custom): only the name changes.
    FPixelFormat = value;
    FSaved.clear();
    Changed();
    return;
  }
  const std::vector<std::uint8_t> old(Data(), Data() + DataSize());
  const std::vector<std::uint32_t> oldPal = FPalette;
  const int oldStride = BytesPerScanLine();
  FPalette.clear();
  Allocate(FWidth, FHeight, value, 0);
  const int bits = PixelFormatBits(value);
  const int stride = BytesPerScanLine();
  if ((oldBits == 32 && bits == 24) || (oldBits == 24 && bits == 32)) {
    // Between the two direct layouts, byte by byte: blue, green and red keep their places.
    for (int y = 0; y < FHeight; ++y) {
      const std::uint8_t* from = old.data() + static_cast<std::size_t>(y) * oldStride;
      std::uint8_t* to = Data() + static_cast<std::size_t>(y) * stride;
      if (bits == 24) {
        for (int x = 0; x < FWidth; ++x, from += 4, to += 3) {
          to[0] = from[0];
          to[1] = from[1];
          to[2] = from[2];
        }
      } else {
        for (int x = 0; x < FWidth; ++x, from += 3, to += 4) {
          to[0] = from[0];
          to[1] = from[1];
          to[2] = from[2];
          to[3] = 0xFF;
        }
      }
    }
    FSaved.clear();
    Changed();
    return;
  }
  std::map<std::uint32_t, int> cache;
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) {
      std::uint32_t c = ReadPixel(old.data() + static_cast<std::size_t>(y) * oldStride, x, oldBits, oldPal, old565);
      if (oldBits != 32) c |= 0xFF000000u;
      WritePixel(Data() + static_cast<std::size_t>(y) * stride, x, bits, FPalette, value == pf16bit, c, &cache);
    }
  FSaved.clear();
  Changed();
}

void TBitmap::SetPalette(const std::vector<std::uint32_t>& palette) {
  SyncFromDevice();
  FPalette = palette;
  if (FPalette.size() > 256) FPalette.resize(256);
  FSaved.clear();
  Changed();
}

std::uint8_t* TBitmap::ScanLine(int row) {
  if (row < 0 || row >= FHeight) throw EInvalidGraphicOperation(std::string_view("Scan line index out of range"));
  SyncFromDevice();
  FSaved.clear();
  FModified = true;
  return Data() + static_cast<std::size_t>(row) * BytesPerScanLine();
}

const std::uint8_t* TBitmap::ScanLine(int row) const {
  if (row < 0 || row >= FHeight) throw EInvalidGraphicOperation(std::string_view("Scan line index out of range"));
  SyncFromDevice();
  return Data() + static_cast<std::size_t>(row) * BytesPerScanLine();
}

TColor TBitmap::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return -1;
  SyncFromDevice();
  const std::uint32_t c = ReadPixel(Data() + static_cast<std::size_t>(y) * BytesPerScanLine(), x,
                                    PixelFormatBits(FPixelFormat), FPalette, FPixelFormat == pf16bit);
  return static_cast<TColor>(RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
  const std::uint32_t argb = 0xFF000000u | static_cast<std::uint32_t>(GetRValue(color)) << 16 |
                             static_cast<std::uint32_t>(GetGValue(color)) << 8 | GetBValue(color);
  WritePixel(ScanLine(y), x, PixelFormatBits(FPixelFormat), FPalette, FPixelFormat == pf16bit, argb, nullptr);
  Changed();
}

TColor TBitmap::GetTransparentColor() const {
  TColor result;
  if (FTransparentColor == clDefault) {
    if (FPixelFormat == pf1bit)
      result = clWhite;
    else
      result = GetPixel(0, FHeight - 1);
  } else {
    result = FTransparentColor;
  }
  return result | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == FTransparentColor) return;
  FTransparentColor = value;
  FTransparentMode = value == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == FTransparentMode) return;
  if (value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(GetTransparentColor() & 0xFFFFFF);
}

TPixelImage TBitmap::ToPixels() const {
  TPixelImage img;
  if (GetEmpty()) return img;
  SyncFromDevice();
  img.Resize(FWidth, FHeight);
  const int bits = PixelFormatBits(FPixelFormat);
  const int stride = BytesPerScanLine();
  img.HasAlpha = bits == 32 && FAlphaFormat != afIgnored;
  for (int y = 0; y < FHeight; ++y) {
    const std::uint8_t* row = Data() + static_cast<std::size_t>(y) * stride;
    std::uint32_t* out = img.Pixels.data() + static_cast<std::size_t>(y) * FWidth;
    if (bits == 32) {
      std::memcpy(out, row, static_cast<std::size_t>(FWidth) * 4);
      if (!img.HasAlpha) {
        for (int x = 0; x < FWidth; ++x) out[x] |= 0xFF000000u;
      } else if (FAlphaFormat == afPremultiplied) {
        for (int x = 0; x < FWidth; ++x) {
          const std::uint32_t a = out[x] >> 24;
          if (a == 0 || a == 255) continue;
          auto un = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
          out[x] = a << 24 | un((out[x] >> 16) & 0xFF) << 16 | un((out[x] >> 8) & 0xFF) << 8 | un(out[x] & 0xFF);
        }
      }
    } else {
      for (int x = 0; x < FWidth; ++x) out[x] = ReadPixel(row, x, bits, FPalette, FPixelFormat == pf16bit);
    }
  }
  return img;
}

void TBitmap::FromPixels(const TPixelImage& image) {
  FPalette.clear();
  Allocate(image.Width, image.Height, pf32bit, 0);
  if (!image.Empty()) {
    const int stride = BytesPerScanLine();
    for (int y = 0; y < FHeight; ++y)
      std::memcpy(Data() + static_cast<std::size_t>(y) * stride,
                  image.Pixels.data() + static_cast<std::size_t>(y) * FWidth, static_cast<std::size_t>(FWidth) * 4);
  }
  FAlphaFormat = image.HasAlpha ? afDefined : afIgnored;
  FSaved.clear();
  Changed();
}

bool TBitmap::AssignFrom(const TGraphic* source) {
  if (!source) {
    FPalette.clear();
    Allocate(0, 0, FPixelFormat, 0);
    FSaved.clear();
    return true;
  }
  if (const auto* b = dynamic_cast<const TBitmap*>(source)) {
    b->SyncFromDevice();
    FWidth = b->FWidth;
    FHeight = b->FHeight;
    FPixelFormat = b->FPixelFormat;
    FAlphaFormat = b->FAlphaFormat;
    FPalette = b->FPalette;
    AllocateStorage();
    if (DataSize()) std::memcpy(Data(), b->Data(), DataSize());
    FSaved = b->FSaved;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    FTransparent = b->FTransparent;
    return true;
  }
  // Any other picture: its pixels, drawn as the picture draws itself.
  FromPixels(source->ToPixels());
  return true;
}

void TBitmap::Changed() { TGraphic::Changed(); }

bool TBitmap::LoadFromDIB(const std::uint8_t* data, std::size_t size) {
  // A packed DIB behind a synthetic file header, so that one reader serves both.
  std::string file(14, '\0');
  file[0] = 'B';
  file[1] = 'M';
  SetLE32(file, 2, static_cast<std::uint32_t>(size + 14));
  file.append(reinterpret_cast<const char*>(data), size);
  try {
    TMemoryStream ms;
    ms.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
    ms.SetPosition(0);
    LoadFromStream(ms);
    FSaved.clear();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TBitmap::LoadFromStream(TStream& stream) {
  std::string data = ReadRest(stream);
  const std::string_view d(data);
  if (d.size() < 14 + 12 || LE16(d, 0) != 0x4D42) BadBitmap();
  // The file's own size bounds the picture when it is sane (and covers the pixels), so that a
  // picture embedded in a longer stream does not swallow what follows it.
  const std::uint32_t fileSize = LE32(d, 2);
  std::size_t used = fileSize >= 14 + 12 && fileSize < d.size() ? fileSize : d.size();
  const std::string_view f = d;
  const std::uint32_t hdrSize = LE32(f, 14);
  std::int64_t width, height;
  int bits;
  std::uint32_t compression = BI_RGB;
  std::uint32_t clrUsed = 0;
  std::size_t palEntry = 4;
  std::uint32_t masks[4] = {0, 0, 0, 0};
  std::size_t afterHeader = 14 + hdrSize;
  if (hdrSize == 12) {
    width = LE16(f, 18);
    height = static_cast<std::int16_t>(LE16(f, 20));
    bits = static_cast<int>(LE16(f, 24));
    palEntry = 3;
  } else if (hdrSize >= 40 && hdrSize <= 1024) {
    width = static_cast<std::int32_t>(LE32(f, 18));
    height = static_cast<std::int32_t>(LE32(f, 22));
    bits = static_cast<int>(LE16(f, 28));
    compression = LE32(f, 30);
    clrUsed = LE32(f, 46);
    if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
      if (hdrSize >= 52) {
        for (int i = 0; i < 3; ++i) masks[i] = LE32(f, 54 + 4 * i);
      } else {
        const int n = compression == BI_ALPHABITFIELDS ? 4 : 3;
        for (int i = 0; i < n; ++i) masks[i] = LE32(f, afterHeader + 4 * i);
        afterHeader += 4 * n;
      }
    }
    if (hdrSize >= 56) masks[3] = LE32(f, 66);
  } else {
    BadBitmap();
  }
  if (f.size() < afterHeader) BadBitmap();
  const bool topDown = height < 0;
  if (topDown) height = -height;
  CheckPictureSize(width, height);
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) BadBitmap();
  if ((compression == BI_RLE8 && bits != 8) || (compression == BI_RLE4 && bits != 4) ||
      (compression != BI_RGB && compression != BI_RLE8 && compression != BI_RLE4 && compression != BI_BITFIELDS &&
       compression != BI_ALPHABITFIELDS))
    BadBitmap();

  std::vector<std::uint32_t> palette;
  if (bits <= 8) {
    std::size_t n = clrUsed ? clrUsed : (1u << bits);
    n = std::min<std::size_t>(n, 256);
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t at = afterHeader + i * palEntry;
      if (at + palEntry > f.size()) BadBitmap();
      palette.push_back((LE32(f, at) & (palEntry == 3 ? 0xFFFFFFu : 0xFFFFFFFFu)) & 0xFFFFFF);
    }
    afterHeader += (clrUsed ? clrUsed : (1u << bits)) * palEntry;
  }
  // The kept bytes must hold the header and colour table too, or they would not load again.
  used = std::max(used, std::min(afterHeader, f.size()));
  const std::uint32_t offBits = LE32(f, 10);
  const std::size_t bitsAt = (offBits >= 14 + hdrSize && offBits < f.size()) ? offBits : afterHeader;
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  const int srcStride = Stride(w, bits);
  std::vector<std::uint8_t> src;  // rows in file order
  if (compression == BI_RLE8 || compression == BI_RLE4) {
    if (topDown) BadBitmap();
    DecodeRle(f.substr(std::min(bitsAt, f.size())), w, h, bits, src, srcStride);
  } else {
    const std::size_t need = static_cast<std::size_t>(srcStride) * h;
    if (bitsAt > f.size() || f.size() - bitsAt < need) BadBitmap();
    used = std::max(used, bitsAt + need);
    src.assign(reinterpret_cast<const std::uint8_t*>(f.data()) + bitsAt,
               reinterpret_cast<const std::uint8_t*>(f.data()) + bitsAt + need);
  }

  // Choose the kept format: the file's own when the pixels can stay as they are.
  TPixelFormat pf;
  bool direct = true;
  bool alpha = false;
  const bool fields = compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS;
  switch (bits) {
    case 1: pf = pf1bit; break;
    case 4: pf = pf4bit; break;
    case 8: pf = pf8bit; break;
    case 16:
      if (!fields || (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F))
        pf = pf15bit;
      else if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F)
        pf = pf16bit;
      else
        pf = pf32bit, direct = false;
      break;
    case 24: pf = pf24bit; break;
    default:
      pf = pf32bit;
      if (fields && !(masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF)) direct = false;
      alpha = masks[3] == 0xFF000000u;
      break;
  }
  FWidth = w;
  FHeight = h;
  FPixelFormat = pf;
  FPalette = palette;
  const int stride = BytesPerScanLine();
  AllocateStorage();
  if (direct) {
    for (int y = 0; y < h; ++y) {
      const int sy = topDown ? y : h - 1 - y;
      std::memcpy(Data() + static_cast<std::size_t>(y) * stride, src.data() + static_cast<std::size_t>(sy) * srcStride,
                  static_cast<std::size_t>(std::min(stride, srcStride)));
    }
  } else {
    const TMaskChannel r(masks[0]), g(masks[1]), b(masks[2]), a(masks[3]);
    for (int y = 0; y < h; ++y) {
      const int sy = topDown ? y : h - 1 - y;
      const std::uint8_t* row = src.data() + static_cast<std::size_t>(sy) * srcStride;
      for (int x = 0; x < w; ++x) {
        std::uint32_t v = bits == 16 ? (row[2 * x] | row[2 * x + 1] << 8)
                                     : (row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16 |
                                        static_cast<std::uint32_t>(row[4 * x + 3]) << 24);
        const std::uint32_t px = (a.Mask ? a.Get(v) : 255u) << 24 | r.Get(v) << 16 | g.Get(v) << 8 | b.Get(v);
        std::memcpy(Data() + static_cast<std::size_t>(y) * stride + 4 * x, &px, 4);
      }
    }
  }
  FAlphaFormat = alpha ? afDefined : afIgnored;
  GiveBackRest(stream, data, used);
  FSaved = std::move(data);
  FModified = false;
  if (OnChange) OnChange(this);
}

void TBitmap::ReadData(TStream& stream) { ReadSizedData(stream); }

void TBitmap::WriteData(TStream& stream) { WriteSizedData(stream); }

std::string TBitmap::SaveToDIB() const {
  SyncFromDevice();
  const int bits = PixelFormatBits(FPixelFormat);
  std::string s;
  PutLE32(s, 40);
  PutLE32(s, static_cast<std::uint32_t>(FWidth));
  PutLE32(s, static_cast<std::uint32_t>(FHeight));
  PutLE16(s, 1);
  PutLE16(s, static_cast<std::uint32_t>(bits));
  PutLE32(s, FPixelFormat == pf16bit ? BI_BITFIELDS : BI_RGB);
  const int stride = BytesPerScanLine();
  PutLE32(s, static_cast<std::uint32_t>(stride) * FHeight);
  PutLE32(s, 3780);  // 96 dpi in pixels per metre
  PutLE32(s, 3780);
  PutLE32(s, bits <= 8 ? static_cast<std::uint32_t>(FPalette.size()) : 0);
  PutLE32(s, 0);
  if (FPixelFormat == pf16bit) {
    PutLE32(s, 0xF800);
    PutLE32(s, 0x07E0);
    PutLE32(s, 0x001F);
  }
  if (bits <= 8)
    for (std::uint32_t c : FPalette) PutLE32(s, c & 0xFFFFFF);
  for (int y = FHeight - 1; y >= 0; --y)
    s.append(reinterpret_cast<const char*>(Data()) + static_cast<std::size_t>(y) * stride, static_cast<std::size_t>(stride));
  return s;
}

void TBitmap::SaveToStream(TStream& stream) {
  if (!FSaved.empty()) {
    WriteBytes(stream, FSaved);
    return;
  }
  if (GetEmpty()) return;
  const std::string dib = SaveToDIB();
  std::string file;
  PutLE16(file, 0x4D42);
  PutLE32(file, static_cast<std::uint32_t>(14 + dib.size()));
  PutLE32(file, 0);
  const int bits = PixelFormatBits(FPixelFormat);
  const std::uint32_t palBytes = bits <= 8 ? static_cast<std::uint32_t>(FPalette.size()) * 4 : 0;
  PutLE32(file, 14 + 40 + palBytes + (FPixelFormat == pf16bit ? 12 : 0));
  WriteBytes(stream, file);
  WriteBytes(stream, dib);
}

// ---- TIcon ----------------------------------------------------------------------------------

TIcon::TIcon() { FTransparent = true; }
TIcon::~TIcon() = default;

void TIcon::SetWidth(int) {
  throw EInvalidGraphicOperation(std::string_view("Cannot change the size of an icon"));
}
void TIcon::SetHeight(int) {
  throw EInvalidGraphicOperation(std::string_view("Cannot change the size of an icon"));
}

void TIcon::SetHandle(std::unique_ptr<TIconImage> image) {
  FImage = std::move(image);
  FSaved.clear();
  Changed();
}

void TIcon::FromPixels(const TPixelImage& image) {
  auto icon = std::make_unique<TIconImage>();
  icon->Color = image;
  icon->Mask.assign(image.Pixels.size(), 0);
  if (image.HasAlpha)
    for (std::size_t i = 0; i < image.Pixels.size(); ++i) icon->Mask[i] = (image.Pixels[i] >> 24) == 0;
  icon->Color.HasAlpha = true;
  if (!image.HasAlpha)
    for (auto& p : icon->Color.Pixels) p |= 0xFF000000u;
  SetHandle(std::move(icon));
}

bool TIcon::AssignFrom(const TGraphic* source) {
  if (const auto* i = dynamic_cast<const TIcon*>(source)) {
    FImage = i->FImage ? std::make_unique<TIconImage>(*i->FImage) : nullptr;
    FSaved = i->FSaved;
    return true;
  }
  if (!source) {
    FImage.reset();
    FSaved.clear();
    return true;
  }
  return false;
}

namespace {

[[noreturn]] void BadIcon() { throw EInvalidGraphic(std::string_view("Icon image is not valid")); }

// One icon image in its BMP form: the info header with double height, colours, then the mask.
std::unique_ptr<TIconImage> DecodeIconDib(std::string_view d) {
  const std::uint32_t hdr = LE32(d, 0);
  if (hdr < 40 || hdr > d.size()) BadIcon();
  const std::int64_t w = static_cast<std::int32_t>(LE32(d, 4));
  const std::int64_t h2 = static_cast<std::int32_t>(LE32(d, 8));
  const int bits = static_cast<int>(LE16(d, 14));
  const std::uint32_t compression = LE32(d, 16);
  const std::int64_t h = h2 / 2;
  CheckPictureSize(w, h);
  if ((bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) || compression != BI_RGB) BadIcon();
  std::size_t at = hdr;
  std::vector<std::uint32_t> pal;
  if (bits <= 8) {
    std::uint32_t n = LE32(d, 32);
    if (n == 0 || n > (1u << bits)) n = 1u << bits;
    for (std::uint32_t i = 0; i < n; ++i, at += 4) {
      if (at + 4 > d.size()) BadIcon();
      pal.push_back(LE32(d, at) & 0xFFFFFF);
    }
  }
  const int iw = static_cast<int>(w), ih = static_cast<int>(h);
  const int xorStride = Stride(iw, bits), andStride = Stride(iw, 1);
  const std::size_t xorBytes = static_cast<std::size_t>(xorStride) * ih;
  if (at + xorBytes > d.size()) BadIcon();
  auto img = std::make_unique<TIconImage>();
  img->BitCount = bits;
  img->Color.Resize(iw, ih);
  img->Color.HasAlpha = true;
  img->Mask.assign(static_cast<std::size_t>(iw) * ih, 0);
  const auto* base = reinterpret_cast<const std::uint8_t*>(d.data());
  bool anyAlpha = false;
  for (int y = 0; y < ih; ++y) {
    const std::uint8_t* row = base + at + static_cast<std::size_t>(ih - 1 - y) * xorStride;
    for (int x = 0; x < iw; ++x) {
      std::uint32_t c = ReadPixel(row, x, bits, pal, false);
      if (bits == 32) anyAlpha |= (c >> 24) != 0;
      img->Color.At(x, y) = c;
    }
  }
  const std::size_t andAt = at + xorBytes;
  const bool haveMask = andAt + static_cast<std::size_t>(andStride) * ih <= d.size();
  for (int y = 0; y < ih; ++y)
    for (int x = 0; x < iw; ++x) {
      std::uint8_t m = 0;
      if (haveMask) m = (base[andAt + static_cast<std::size_t>(ih - 1 - y) * andStride + x / 8] >> (7 - (x & 7))) & 1;
      const std::size_t i = static_cast<std::size_t>(y) * iw + x;
      img->Mask[i] = m;
      if (bits != 32 || !anyAlpha) img->Color.Pixels[i] = (img->Color.Pixels[i] & 0xFFFFFF) | (m ? 0u : 0xFF000000u);
    }
  return img;
}

}  // namespace

void TIcon::LoadFromStream(TStream& stream) {
  std::string data = ReadRest(stream);
  const std::string_view d(data);
  const std::uint32_t count = LE16(d, 4);
  if (d.size() < 6 + 16 || LE16(d, 0) != 0 || (LE16(d, 2) != 1 && LE16(d, 2) != 2) || count == 0 ||
      6 + 16 * static_cast<std::size_t>(count) > d.size())
    BadIcon();
  // Choose the entry closest to the usual icon size of 32 pixels, the deepest among equals.
  int best = -1;
  int bestDist = 0, bestBits = 0;
  std::size_t end = 6 + 16 * static_cast<std::size_t>(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t e = 6 + 16 * static_cast<std::size_t>(i);
    const int w = static_cast<std::uint8_t>(d[e]) ? static_cast<std::uint8_t>(d[e]) : 256;
    const int bits = static_cast<int>(LE16(d, e + 6));
    const std::uint32_t size = LE32(d, e + 8), off = LE32(d, e + 12);
    if (off > d.size() || size > d.size() - off) continue;
    end = std::max<std::size_t>(end, off + size);
    const int dist = std::abs(w - 32);
    if (best < 0 || dist < bestDist || (dist == bestDist && bits > bestBits)) {
      best = static_cast<int>(i);
      bestDist = dist;
      bestBits = bits;
    }
  }
  if (best < 0) BadIcon();
  const std::size_t e = 6 + 16 * static_cast<std::size_t>(best);
  const std::string_view img = d.substr(LE32(d, e + 12), LE32(d, e + 8));
  std::unique_ptr<TIconImage> icon;
  if (img.size() >= 8 && img.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
    icon = std::make_unique<TIconImage>();
    icon->Color = DecodePng(img);
    icon->Color.HasAlpha = true;
    icon->Mask.resize(icon->Color.Pixels.size());
    for (std::size_t i = 0; i < icon->Mask.size(); ++i) icon->Mask[i] = (icon->Color.Pixels[i] >> 24) == 0;
  } else {
    icon = DecodeIconDib(img);
  }
  FImage = std::move(icon);
  if (end < d.size()) {
    stream.Seek(static_cast<std::int64_t>(end) - static_cast<std::int64_t>(d.size()), soCurrent);
    data.resize(end);
  }
  FSaved = std::move(data);
  FModified = false;
  if (OnChange) OnChange(this);
}

void TIcon::SaveToStream(TStream& stream) {
  if (!FSaved.empty()) {
    WriteBytes(stream, FSaved);
    return;
  }
  if (!FImage) return;
  // One 32-bit image with its mask.
  const TPixelImage& c = FImage->Color;
  std::string dib;
  PutLE32(dib, 40);
  PutLE32(dib, static_cast<std::uint32_t>(c.Width));
  PutLE32(dib, static_cast<std::uint32_t>(c.Height * 2));
  PutLE16(dib, 1);
  PutLE16(dib, 32);
  for (int i = 0; i < 6; ++i) PutLE32(dib, 0);
  for (int y = c.Height - 1; y >= 0; --y)
    for (int x = 0; x < c.Width; ++x) PutLE32(dib, c.At(x, y));
  const int andStride = Stride(c.Width, 1);
  for (int y = c.Height - 1; y >= 0; --y) {
    std::string row(static_cast<std::size_t>(andStride), '\0');
    for (int x = 0; x < c.Width; ++x)
      if (FImage->Mask[static_cast<std::size_t>(y) * c.Width + x]) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x & 7)));
    dib += row;
  }
  std::string file;
  PutLE16(file, 0);
  PutLE16(file, 1);
  PutLE16(file, 1);
  file.push_back(static_cast<char>(c.Width >= 256 ? 0 : c.Width));
  file.push_back(static_cast<char>(c.Height >= 256 ? 0 : c.Height));
  file.push_back(0);
  file.push_back(0);
  PutLE16(file, 1);
  PutLE16(file, 32);
  PutLE32(file, static_cast<std::uint32_t>(dib.size()));
  PutLE32(file, 22);
  WriteBytes(stream, file);
  WriteBytes(stream, dib);
}

TPixelImage TIcon::ToPixels() const {
  return FImage ? FImage->Color : TPixelImage{};
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
  if (FImage) DrawPixelImage(canvas, rect, FImage->Color);
}

// ---- TPicture -------------------------------------------------------------------------------

const TClassInfo& TPicture::StaticClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i;
    i.ClassName = u"TPicture";
    i.Parent = &TPersistent::StaticClassInfo();
    i.Create = [] { return std::unique_ptr<TPersistent>(new TPicture); };
    return i;
  }();
  return info;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::SetGraphic(const TGraphic* value) {
  if (!value) {
    FGraphic.reset();
    return;
  }
  std::unique_ptr<TGraphic> g = value->ClassType()->Create();
  g->Assign(value);
  FGraphic = std::move(g);
}

TBitmap* TPicture::GetBitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(FGraphic.get())) return b;
  auto b = std::make_unique<TBitmap>();
  if (FGraphic) b->Assign(FGraphic.get());
  FGraphic = std::move(b);
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromFile(const UnicodeString& fileName) {
  const std::size_t dot = fileName.find_last_of(u'.');
  const std::size_t slash = fileName.find_last_of(u'/');
  UnicodeString ext;
  if (dot != UnicodeString::npos && (slash == UnicodeString::npos || dot > slash)) ext = fileName.substr(dot + 1);
  const TGraphicClass cls = FileFormatClass(ext);
  if (!cls) throw EInvalidGraphic(Format(u"Unknown picture file extension (.%s)", {ext}));
  std::unique_ptr<TGraphic> g = cls->Create();
  g->LoadFromFile(fileName);
  FGraphic = std::move(g);
}

void TPicture::SaveToFile(const UnicodeString& fileName) {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::Assign(const TPicture* source) { SetGraphic(source ? source->GetGraphic() : nullptr); }

void TPicture::Assign(TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(source)) {
    Assign(static_cast<const TPicture*>(p));
  } else if (auto* g = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      u"Data",
      [this](TStream& stream) {
        std::uint8_t n = 0;
        stream.ReadBuffer(&n, 1);
        std::string name(n, '\0');
        stream.ReadBuffer(name.data(), n);
        const TGraphicClass cls = FindGraphicClass(Utf8ToUnicode(name));
        if (!cls || !cls->Create) throw EInvalidGraphic(Format(u"Unknown picture class %s", {Utf8ToUnicode(name)}));
        std::unique_ptr<TGraphic> g = cls->Create();
        g->ReadData(stream);
        FGraphic = std::move(g);
      },
      [this](TStream& stream) {
        const std::string name = UnicodeToUtf8(FGraphic->ClassName());
        const auto n = static_cast<std::uint8_t>(std::min<std::size_t>(name.size(), 255));
        stream.WriteBuffer(&n, 1);
        stream.WriteBuffer(name.data(), n);
        FGraphic->WriteData(stream);
      },
      FGraphic != nullptr);
}
