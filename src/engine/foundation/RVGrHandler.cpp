#include "engine/foundation/RVGrHandler.h"

#include <cstring>

#include "platform/graphics/Gif.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Png.h"
#include "platform/graphics/WicImage.h"

namespace {

bool IsClass(const TGraphic* g, TGraphicClass cls) { return g && cls && g->InstanceOf(cls); }

std::uint32_t Get16(const std::uint8_t* b, std::int64_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t Get32(const std::uint8_t* b, std::int64_t at) { return Get16(b, at) | (Get16(b, at + 2) << 16); }

}  // namespace

TRVGraphicHandler::TRVGraphicHandler() {
  FDefaultGraphicClasses[rvgtBitmap] = TBitmap::StaticClass();
  FDefaultGraphicClasses[rvgtIcon] = TIcon::StaticClass();
  FDefaultGraphicClasses[rvgtMetafile] = TMetafile::StaticClass();
  FDefaultGraphicClasses[rvgtJPEG] = TJPEGImage::StaticClass();
  FDefaultGraphicClasses[rvgtPNG] = TPngImage::StaticClass();
  FDefaultGraphicClasses[rvgtTIFF] = TWICImage::StaticClass();
}

TRVGraphicHandler::~TRVGraphicHandler() = default;

TRVUnicodeString TRVGraphicHandler::GetGraphicExt(const TGraphic* graphic) {
  if (const auto* w = dynamic_cast<const TWICImage*>(graphic)) {
    switch (w->GetImageFormat()) {
      case wifBmp: return u"bmp";
      case wifPng: return u"png";
      case wifJpeg: return u"jpg";
      case wifGif: return u"gif";
      case wifTiff: return u"tif";
      default: break;
    }
  }
  return graphic ? TPicture::GraphicExtension(graphic->ClassType()) : TRVUnicodeString();
}

TRVGraphicType TRVGraphicHandler::GetGraphicType(const TGraphic* graphic) {
  if (!graphic) return rvgtOther;
  TRVGraphicType result = rvgtOther;
  if (const auto* w = dynamic_cast<const TWICImage*>(graphic)) {
    switch (w->GetImageFormat()) {
      case wifBmp: result = rvgtBitmap; break;
      case wifPng: result = rvgtPNG; break;
      case wifJpeg: result = rvgtJPEG; break;
      default: result = rvgtOther; break;
    }
  } else if (IsClass(graphic, TBitmap::StaticClass())) {
    result = rvgtBitmap;
  } else if (IsClass(graphic, TIcon::StaticClass())) {
    result = rvgtIcon;
  } else if (IsClass(graphic, TMetafile::StaticClass())) {
    result = rvgtMetafile;
  } else if (IsClass(graphic, TJPEGImage::StaticClass())) {
    result = rvgtJPEG;
  } else if (IsClass(graphic, TPngImage::StaticClass()) || IsClass(graphic, FDefaultGraphicClasses[rvgtPNG])) {
    result = rvgtPNG;
  }
  if (result == rvgtOther)
    for (int t = rvgtBitmap; t <= rvgtAnyMap; ++t)
      if (IsClass(graphic, FDefaultGraphicClasses[t])) return static_cast<TRVGraphicType>(t);
  return result;
}

TGraphicClass TRVGraphicHandler::GetGraphicClassByType(TRVGraphicType graphicType) {
  return FDefaultGraphicClasses[graphicType];
}

bool TRVGraphicHandler::IsTransparent(const TGraphic* graphic) {
  if (!graphic) return true;
  if (IsClass(graphic, TBitmap::StaticClass()) || IsClass(graphic, TPngImage::StaticClass()))
    return graphic->GetTransparent();
  if (IsClass(graphic, TJPEGImage::StaticClass())) return false;
  if (const auto* w = dynamic_cast<const TWICImage*>(graphic))
    if (w->GetImageFormat() == wifJpeg || w->GetImageFormat() == wifTiff) return false;
  return true;
}

bool TRVGraphicHandler::IsVectorGraphic(const TGraphic* graphic) { return GetGraphicType(graphic) == rvgtMetafile; }

bool TRVGraphicHandler::IsVectorGraphic2(TGraphicClass graphicClass) {
  return graphicClass && graphicClass->InheritsFrom(TMetafile::StaticClass());
}

bool TRVGraphicHandler::IsResizeable(const TGraphic* graphic) {
  return graphic ? IsResizeable2(graphic->ClassType()) : true;
}

bool TRVGraphicHandler::IsResizeable2(TGraphicClass graphicClass) {
  return !(graphicClass && graphicClass->InheritsFrom(TIcon::StaticClass()));
}

bool TRVGraphicHandler::IsHTMLGraphic(const TGraphic* graphic) {
  const TRVGraphicType t = GetGraphicType(graphic);
  if (t == rvgtJPEG || t == rvgtPNG) return true;
  if (!graphic || !FHTMLGraphicFormats) return false;
  for (TGraphicClass c : *FHTMLGraphicFormats)
    if (c == graphic->ClassType()) return true;
  return false;
}

TGraphicClass TRVGraphicHandler::GetGraphicClass(const TRVUnicodeString& aClassName) {
  return FindGraphicClass(aClassName);  // knows the PNG class's former name too
}

std::unique_ptr<TGraphic> TRVGraphicHandler::LoadFromFile(const TRVUnicodeString& fileName) {
  std::unique_ptr<TGraphic> result;
  try {
    TPicture pic;
    pic.LoadFromFile(fileName);
    result = pic.ReleaseGraphic();
    if (result && IsClass(result.get(), TMetafile::StaticClass())) AfterLoadMetafile(result.get());
  } catch (const std::exception&) {
    result.reset();
  }
  if (result && result->GetWidth() == 0 && result->GetHeight() == 0) result.reset();
  if (!result) {
    try {
      TFileStream fs(fileName, fmOpenRead | fmShareDenyWrite);
      result = LoadFromStream(fs);
    } catch (const std::exception&) {
      result.reset();
    }
  }
  return result;
}

std::unique_ptr<TGraphic> TRVGraphicHandler::LoadFromStream(TStream& stream) {
  try {
    const TRVGraphicType t = GetStreamGraphicType(stream);
    if (t == rvgtOther) return nullptr;
    std::unique_ptr<TGraphic> g = CreateGraphicByType(t);
    if (!g) return nullptr;
    if (t == rvgtBitmap) {
      const std::int64_t pos = stream.GetPosition();
      const std::int64_t rest = stream.GetSize() - pos;
      if (rest >= 8) {
        std::uint8_t h[8];
        stream.ReadBuffer(h, 8);
        if (!(Get16(h, 0) == 1 && Get16(h, 2) == 256 && static_cast<std::int64_t>(Get32(h, 4)) == rest - 8))
          stream.SetPosition(pos);
      }
    }
    g->LoadFromStream(stream);
    if (t == rvgtMetafile) AfterLoadMetafile(g.get());
    return g;
  } catch (const std::exception&) {
    return nullptr;
  }
}

void TRVGraphicHandler::PrepareGraphic(TGraphic* graphic) {
  // An icon's handle exists as soon as it is loaded here.
  (void)graphic;
}

void TRVGraphicHandler::AfterImportGraphic(TGraphic*) {}

void TRVGraphicHandler::SetPalette(TGraphic* graphic, const void* pLogPal) {
  if (!pLogPal || !graphic) return;
  if (auto* j = dynamic_cast<TJPEGImage*>(graphic)) j->SetPixelFormat(jf8Bit);
}

void TRVGraphicHandler::RegisterPngGraphic(TGraphicClass graphicClass) {
  FDefaultGraphicClasses[rvgtPNG] = graphicClass;
}

HICON TRVGraphicHandler::GetIconHandle(const TGraphic* graphic) {
  const auto* i = dynamic_cast<const TIcon*>(graphic);
  return i ? i->GetHandle() : nullptr;
}

HENHMETAFILE TRVGraphicHandler::GetMetafileHandle(const TGraphic* graphic) {
  const auto* m = dynamic_cast<const TMetafile*>(graphic);
  return m ? m->GetHandle() : nullptr;
}

void TRVGraphicHandler::AfterLoadMetafile(TGraphic* graphic) {
  auto* m = dynamic_cast<TMetafile*>(graphic);
  if (m && !m->GetEnhanced() && m->GetInch() == 0) m->SetInch(1440);
}

void TRVGraphicHandler::GetMetafileMMSize(const TGraphic* graphic, TSize& size) {
  const auto* m = dynamic_cast<const TMetafile*>(graphic);
  size = m ? TSize(m->GetMMWidth(), m->GetMMHeight()) : TSize(0, 0);
}

bool TRVGraphicHandler::IsEnhancedMetafile(const TGraphic* graphic) {
  const auto* m = dynamic_cast<const TMetafile*>(graphic);
  return m && m->GetEnhanced();
}

void TRVGraphicHandler::SetMetafileEnhanced(TGraphic* graphic, bool enhanced) {
  if (auto* m = dynamic_cast<TMetafile*>(graphic)) m->SetEnhanced(enhanced);
}

void TRVGraphicHandler::SetMetafileHandle(TGraphic* graphic, HENHMETAFILE handle) {
  if (auto* m = dynamic_cast<TMetafile*>(graphic)) m->SetHandle(handle);
}

void TRVGraphicHandler::SetBitmapHandle(TGraphic* graphic, HBITMAP handle, bool aCopy) {
  if (auto* b = dynamic_cast<TBitmap*>(graphic)) b->SetHandle(handle, aCopy);
}

HBITMAP TRVGraphicHandler::GetBitmapHandle(TGraphic* graphic) {
  auto* b = dynamic_cast<TBitmap*>(graphic);
  return b ? static_cast<HBITMAP>(b->GetHandle()) : nullptr;
}

int TRVGraphicHandler::GetBitmapScanLineWidth(const TGraphic* graphic) {
  const auto* b = dynamic_cast<const TBitmap*>(graphic);
  if (!b) return 0;
  if (b->GetHeight() < 2) return b->GetWidth();
  return static_cast<int>(b->ScanLine(1) - b->ScanLine(0));
}

TCanvas* TRVGraphicHandler::GetBitmapCanvas(TGraphic* graphic) {
  auto* b = dynamic_cast<TBitmap*>(graphic);
  return b ? b->GetCanvas() : nullptr;
}

bool TRVGraphicHandler::IsJpegClassAssigned() { return FDefaultGraphicClasses[rvgtJPEG] != nullptr; }

void TRVGraphicHandler::RegisterJpegGraphic(TGraphicClass graphicClass) {
  FDefaultGraphicClasses[rvgtJPEG] = graphicClass;
}

bool TRVGraphicHandler::CanConvertIconToPng() { return true; }

std::unique_ptr<TGraphic> TRVGraphicHandler::IconToPng(const TGraphic* graphic) {
  const HICON icon = GetIconHandle(graphic);
  if (!icon) return nullptr;
  try {
    TBitmap color;
    TPixelImage px = icon->Color;
    px.HasAlpha = false;
    color.FromPixels(px);  // 32 bits, not transparent
    for (int y = 0; y < color.GetHeight(); ++y) {
      std::uint8_t* row = color.ScanLine(y);
      for (int x = 0; x < color.GetWidth(); ++x) row[4 * x + 3] = static_cast<std::uint8_t>(icon->Color.At(x, y) >> 24);
    }
    auto png = std::make_unique<TPngImage>();
    png->Assign(&color);
    bool anyAlpha = false;
    for (std::uint32_t p : icon->Color.Pixels) anyAlpha |= (p >> 24) != 0;
    png->CreateAlpha();
    TPixelImage& out = png->Pixels();
    for (int y = 0; y < out.Height; ++y)
      for (int x = 0; x < out.Width; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * out.Width + x;
        // Without alpha in the colour bitmap, the mask decides: set bits are transparent.
        const std::uint32_t a = anyAlpha ? (icon->Color.Pixels[i] >> 24) : (icon->Mask[i] ? 0u : 255u);
        out.Pixels[i] = (out.Pixels[i] & 0xFFFFFF) | a << 24;
      }
    return png;
  } catch (const std::exception&) {
    return nullptr;
  }
}

std::unique_ptr<TGraphic> TRVGraphicHandler::BitmapToPng(TBitmap* bitmap) {
  if (!bitmap) return nullptr;
  try {
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetTransparent(false);
    std::unique_ptr<TGraphic> g = CreateGraphicByType(rvgtPNG);
    auto* png = dynamic_cast<TPngImage*>(g.get());
    if (!g) return nullptr;
    const TAlphaFormat af = bitmap->GetAlphaFormat();
    bitmap->SetAlphaFormat(afIgnored);
    g->Assign(bitmap);
    bitmap->SetAlphaFormat(af);
    bool anyAlpha = false;
    for (int y = 0; y < bitmap->GetHeight() && !anyAlpha; ++y) {
      const std::uint8_t* row = static_cast<const TBitmap*>(bitmap)->ScanLine(y);
      for (int x = 0; x < bitmap->GetWidth(); ++x)
        if (row[4 * x + 3] != 0) {
          anyAlpha = true;
          break;
        }
    }
    if (anyAlpha && png) {
      png->CreateAlpha();
      TPixelImage& out = png->Pixels();
      for (int y = 0; y < out.Height; ++y) {
        const std::uint8_t* row = static_cast<const TBitmap*>(bitmap)->ScanLine(y);
        for (int x = 0; x < out.Width; ++x)
          out.At(x, y) = (out.At(x, y) & 0xFFFFFF) | static_cast<std::uint32_t>(row[4 * x + 3]) << 24;
      }
    }
    return g;
  } catch (const std::exception&) {
    return nullptr;
  }
}

TRVGraphicType TRVGraphicHandler::GetDataGraphicType(const void* buffer, std::int64_t size) {
  const auto* b = static_cast<const std::uint8_t*>(buffer);
  if (!b || size < 4) return rvgtOther;
  if (b[0] == 'G' && b[1] == 'I' && b[2] == 'F') return rvgtGIF;
  if (b[0] == 'P' && b[1] >= '1' && b[1] <= '6') return rvgtAnyMap;
  if (size < 44) return rvgtOther;
  if (Get16(b, 0) == 1 && Get16(b, 2) == 256 && static_cast<std::int64_t>(Get32(b, 4)) == size - 8 &&
      Get16(b, 8) == 0x4D42)
    return rvgtBitmap;
  const std::uint32_t w0 = Get16(b, 0);
  if (w0 == 0x4949 && Get16(b, 2) == 42) return rvgtTIFF;
  if (w0 == 0x4D42) return rvgtBitmap;
  if (w0 == 0x4D4D && b[2] == 0x00 && b[3] == 0x2A) return rvgtTIFF;
  if (b[0] == 0xFF && b[1] == 0xD8) return rvgtJPEG;
  static const std::uint8_t png[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  if (std::memcmp(b, png, 8) == 0) return rvgtPNG;
  if (b[0] == 0xD7 && b[1] == 0xCD && b[2] == 0xC6 && b[3] == 0x9A) return rvgtMetafile;
  if (Get32(b, 0) == 1 && b[40] == 0x20 && b[41] == 0x45 && b[42] == 0x4D && b[43] == 0x46) return rvgtMetafile;
  if (Get16(b, 2) == 1) return rvgtIcon;
  return rvgtOther;
}

TRVGraphicType TRVGraphicHandler::GetStreamGraphicType(TStream& stream) {
  const std::int64_t pos = stream.GetPosition();
  const std::int64_t rest = stream.GetSize() - pos;
  if (rest < 4) return rvgtOther;
  if (auto* ms = dynamic_cast<TCustomMemoryStream*>(&stream))
    return GetDataGraphicType(static_cast<const std::uint8_t*>(ms->Memory()) + pos, rest);
  std::uint8_t buf[44];
  const std::int64_t n = stream.Read(buf, std::min<std::int64_t>(44, rest));
  stream.Seek(-n, soCurrent);
  return GetDataGraphicType(buf, n);
}

bool TRVGraphicHandler::GetGraphicTypeByExt(const TRVUnicodeString& ext, TRVGraphicType& graphicType) {
  if (ext.empty()) return false;
  TRVUnicodeString e = ext;
  if (e[0] == u'.') e.erase(0, 1);
  e = LowerCaseAscii(e);
  static const struct {
    const char16_t* Ext;
    TRVGraphicType Type;
  } table[] = {{u"bmp", rvgtBitmap}, {u"ico", rvgtIcon},  {u"wmf", rvgtMetafile}, {u"emf", rvgtMetafile},
               {u"jpg", rvgtJPEG},   {u"jpeg", rvgtJPEG}, {u"png", rvgtPNG},       {u"gif", rvgtGIF},
               {u"tif", rvgtTIFF},   {u"tiff", rvgtTIFF}};
  for (const auto& t : table)
    if (e == t.Ext) {
      graphicType = t.Type;
      return true;
    }
  graphicType = rvgtOther;
  return false;
}

std::unique_ptr<TGraphic> TRVGraphicHandler::CreateGraphicByType(TRVGraphicType graphicType) {
  return CreateGraphic(FDefaultGraphicClasses[graphicType]);
}

std::unique_ptr<TGraphic> TRVGraphicHandler::CreateGraphic(TGraphicClass graphicClass) {
  if (!graphicClass || !graphicClass->Create) return nullptr;
  return graphicClass->Create();
}

void TRVGraphicHandler::SetDefaultGraphicClass(TRVGraphicType graphicType, TGraphicClass graphicClass) {
  FDefaultGraphicClasses[graphicType] = graphicClass;
}

bool TRVGraphicHandler::IsPngClassAssigned() { return FDefaultGraphicClasses[rvgtPNG] != nullptr; }

void TRVGraphicHandler::RegisterHTMLGraphicFormat(TGraphicClass graphicClass) {
  if (!FHTMLGraphicFormats) FHTMLGraphicFormats = std::make_unique<std::vector<TGraphicClass>>();
  for (TGraphicClass c : *FHTMLGraphicFormats)
    if (c == graphicClass) return;
  FHTMLGraphicFormats->push_back(graphicClass);
}

void TRVGraphicHandler::SaveToFile(TGraphic* graphic, const TRVUnicodeString& fileName) {
  TFileStream fs(fileName, fmCreate);
  graphic->SaveToStream(fs);
}

void TRVGraphicHandler::LoadGraphicFromFile(TGraphic* graphic, const TRVUnicodeString& fileName) {
  TFileStream fs(fileName, fmOpenRead | fmShareDenyWrite);
  graphic->LoadFromStream(fs);
}

void TRVGraphicHandler::AssignToBitmap(const TGraphic* graphic, TBitmap* bmp) {
  try {
    bmp->Assign(graphic);
  } catch (const std::exception&) {
    bmp->SetSize(graphic->GetWidth(), graphic->GetHeight());
    TCanvas* c = bmp->GetCanvas();
    c->Brush().SetColor(clWhite);
    c->FillRect(TRect(0, 0, bmp->GetWidth(), bmp->GetHeight()));
    c->Draw(0, 0, const_cast<TGraphic*>(graphic));
  }
}

std::unique_ptr<TBitmap> TRVGraphicHandler::ToBitmap(const TGraphic* graphic) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf32bit);
  AssignToBitmap(graphic, bmp.get());
  return bmp;
}

void TRVGraphicHandler::MakeBitmapTransparent(TBitmap* bitmap) {
  if (!bitmap || bitmap->GetEmpty()) return;
  bitmap->SetPixelFormat(pf32bit);
  for (int y = 0; y < bitmap->GetHeight(); ++y) {
    std::uint8_t* row = bitmap->ScanLine(y);
    for (int x = 0; x < bitmap->GetWidth(); ++x) row[4 * x + 3] = 0;
  }
}

void TRVGraphicHandler::ConvertBitmapTo32Bit(TBitmap* bitmap) { bitmap->SetPixelFormat(pf32bit); }
void TRVGraphicHandler::ConvertBitmapTo24Bit(TBitmap* bitmap) { bitmap->SetPixelFormat(pf24bit); }

std::unique_ptr<TGraphic> TRVGraphicHandler::GraphicToPng(TGraphic* graphic) {
  if (auto* b = dynamic_cast<TBitmap*>(graphic)) return BitmapToPng(b);
  if (dynamic_cast<TIcon*>(graphic))
    if (auto png = IconToPng(graphic)) return png;
  std::unique_ptr<TGraphic> png = CreateGraphicByType(rvgtPNG);
  if (!png) return nullptr;
  try {
    png->Assign(graphic);
  } catch (const std::exception&) {
    std::unique_ptr<TBitmap> bmp = ToBitmap(graphic);
    png->Assign(bmp.get());
  }
  return png;
}

std::unique_ptr<TBitmap> TRVGraphicHandler::ExtractBitmapFromMetafile(const TGraphic* graphic) {
  const HENHMETAFILE emf = IsEnhancedMetafile(graphic) ? GetMetafileHandle(graphic) : nullptr;
  if (!emf) return nullptr;
  std::unique_ptr<TBitmap> result;
  bool failed = false;
  EnumEnhMetaFileRecords(emf, [&](DWORD type, const BYTE* rec, DWORD size) {
    switch (type) {
      case EMR_HEADER: case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX:
      case EMR_SETVIEWPORTORGEX: case EMR_EOF: case EMR_SETMAPMODE: case EMR_SETSTRETCHBLTMODE:
      case EMR_SETTEXTCOLOR: case EMR_SETBKCOLOR: case EMR_SAVEDC: case EMR_RESTOREDC:
      case EMR_SELECTOBJECT: case EMR_SELECTPALETTE: case EMR_GDICOMMENT: case EMR_EXTSELECTCLIPRGN:
      case EMR_BITBLT: case EMR_SETICMMODE:
        return true;
      case EMR_SETDIBITSTODEVICE:
      case EMR_STRETCHDIBITS: {
        if (result || size < 64) break;
        const DWORD offBmi = Get32(rec, 48), cbBmi = Get32(rec, 52), offBits = Get32(rec, 56), cbBits = Get32(rec, 60);
        if (cbBmi < 40 || offBmi > size || cbBmi > size - offBmi || offBits > size || cbBits > size - offBits) break;
        std::unique_ptr<TGraphic> g = CreateGraphicByType(rvgtBitmap);
        auto* bmp = dynamic_cast<TBitmap*>(g.get());
        if (!bmp) break;
        std::string dib(reinterpret_cast<const char*>(rec) + offBmi, cbBmi);
        dib.append(reinterpret_cast<const char*>(rec) + offBits, cbBits);
        if (!bmp->LoadFromDIB(reinterpret_cast<const std::uint8_t*>(dib.data()), dib.size())) break;
        g.release();
        result.reset(bmp);
        return true;
      }
      default:
        break;
    }
    failed = true;
    return false;
  });
  if (failed) result.reset();
  return result;
}

namespace {
std::unique_ptr<TRVGraphicHandler> HandlerOwner = [] {
  auto h = std::make_unique<TRVGraphicHandler>();
  h->RegisterHTMLGraphicFormat(TPngImage::StaticClass());
  h->SetDefaultGraphicClass(rvgtGIF, TGIFImage::StaticClass());
  h->RegisterHTMLGraphicFormat(TGIFImage::StaticClass());
  return h;
}();
}  // namespace

TRVGraphicHandler* GraphicHandler = HandlerOwner.get();
