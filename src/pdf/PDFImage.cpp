#include "pdf/PDFImage.h"

#include <zlib.h>

#include "pdf/PDFCCITT.h"
#include "pdf/PDFCrypt.h"
#include "platform/graphics/Jpeg.h"

namespace {

int Luminance(std::uint32_t c) { return int((c >> 16) & 0xFF) + int((c >> 8) & 0xFF) + int(c & 0xFF); }

// In a 1-bit bitmap, set bits stand for black: the top-left pixel's bit is 1 exactly when its
// colour is the dark one.
bool SetBitsAreBlack(const TBitmap& b) {
  const auto& pal = b.Palette();
  const std::uint32_t c0 = pal.size() > 0 ? pal[0] : 0x000000, c1 = pal.size() > 1 ? pal[1] : 0xFFFFFF;
  const bool bit = b.GetHeight() > 0 && b.GetWidth() > 0 && (b.ScanLine(0)[0] & 0x80);
  const bool black = Luminance(bit ? c1 : c0) < Luminance(bit ? c0 : c1);
  return bit == black;
}

}  // namespace

void TPDFImage::Load(const TGraphic& image, TImageCompressionType compression) {
  const auto* jpeg = dynamic_cast<const TJPEGImage*>(&image);
  const auto* bitmap = dynamic_cast<const TBitmap*>(&image);
  if (!jpeg && !bitmap) throw EPDFException("Not valid image.");
  FCompression = compression;
  FWidth = image.GetWidth();
  FHeight = image.GetHeight();
  FData = std::make_unique<TMemoryStream>();
  if (bitmap && bitmap->GetPixelFormat() == pf1bit && compression != itcJpeg) FBWInvert = SetBitsAreBlack(*bitmap);
  switch (compression) {
    case itcFlate: {
      FBitPerPixel = 8;
      const TPixelImage px = image.ToPixels();
      std::string rows;
      rows.reserve(static_cast<std::size_t>(px.Width) * px.Height * 3);
      for (std::uint32_t p : px.Pixels) {
        rows += static_cast<char>((p >> 16) & 0xFF);
        rows += static_cast<char>((p >> 8) & 0xFF);
        rows += static_cast<char>(p & 0xFF);
      }
      FEngine->Deflate(rows.data(), rows.size(), Z_DEFAULT_COMPRESSION, *FData);
      break;
    }
    case itcJpeg: {
      FBitPerPixel = 8;
      if (jpeg && !jpeg->Data().empty()) {
        // The picture's own bytes go out as they are.
        FData->WriteBuffer(jpeg->Data().data(), static_cast<std::int64_t>(jpeg->Data().size()));
        FGrayScale = jpeg->GetGrayscale();
      } else {
        TJPEGImage j;
        j.ProgressiveEncoding = false;
        j.CompressionQuality = FOwner ? FOwner->JPEGQuality() : 80;
        j.Assign(&image);
        j.SaveToStream(*FData);
        FGrayScale = j.GetGrayscale();
      }
      break;
    }
    case itcCCITT3:
    case itcCCITT32d:
    case itcCCITT4: {
      FBitPerPixel = 1;
      TCCITTCompression c;
      c.SetStream(FData.get());
      c.SetCompressionType(compression == itcCCITT3 ? CCITT31D : compression == itcCCITT32d ? CCITT32D : CCITT42D);
      c.Execute(*bitmap);
      break;
    }
    case itcJBIG2: {
      FBitPerPixel = 1;
      TJBIG2Compression c(nullptr, FOwner ? FOwner->JBIG2Options() : TJBIG2Options());
      c.Execute(FData.get(), *bitmap);
      break;
    }
  }
  FLoaded = true;
}

void TPDFImage::Save() {
  TPDFEngine& e = *FEngine;
  e.StartObj(ID());
  std::string s = "/Type /XObject\r\n/Subtype /Image\r\n";
  s += FBitPerPixel == 1 || FGrayScale ? "/ColorSpace /DeviceGray\r\n" : "/ColorSpace /DeviceRGB\r\n";
  s += "/BitsPerComponent " + PDFIntToStr(FBitPerPixel) + "\r\n/Width " + PDFIntToStr(FWidth) + "\r\n/Height " +
       PDFIntToStr(FHeight) + "\r\n";
  if (FIsMask) s += "/ImageMask true\r\n";
  if (FMaskIndex != -1 && FMaskIndex < static_cast<int>(e.Resources.Images.size()))
    s += "/Mask " + e.Resources.Images[std::size_t(FMaskIndex)]->RefID() + "\r\n";
  if (FSoftMask.SoftMask >= 0 && FSoftMask.SoftMask < static_cast<int>(e.Resources.Images.size()))
    s += "/SMask " + e.Resources.Images[std::size_t(FSoftMask.SoftMask)]->RefID() + "\r\n";
  if (FSoftMask.HasColorKey && FBitPerPixel == 8 && !FGrayScale) {
    const std::uint32_t c = FSoftMask.ColorKey;
    const std::string r = PDFIntToStr(int(c & 0xFF)), g = PDFIntToStr(int((c >> 8) & 0xFF)),
                      b = PDFIntToStr(int((c >> 16) & 0xFF));
    s += "/Mask [" + r + " " + r + " " + g + " " + g + " " + b + " " + b + "]\r\n";
  }
  switch (FCompression) {
    case itcFlate: s += "/Filter /FlateDecode\r\n"; break;
    case itcJpeg: s += "/Filter /DCTDecode\r\n"; break;
    case itcJBIG2: s += "/Filter /JBIG2Decode\r\n"; break;
    default: s += "/Filter [/CCITTFaxDecode]\r\n"; break;
  }
  const std::int64_t size = FData ? FData->GetSize() : 0;
  s += "/Length " + PDFIntToStr(EncryptedLength(e.SecurityInfo.State, size)) + "\r\n";
  if (FCompression == itcCCITT3 || FCompression == itcCCITT32d || FCompression == itcCCITT4) {
    s += FCompression == itcCCITT3 ? "/DecodeParms [<</K 0 /Columns " : FCompression == itcCCITT32d
                                                                         ? "/DecodeParms [<</K 1 /Columns "
                                                                         : "/DecodeParms [<</K -1 /Columns ";
    s += PDFIntToStr(FWidth) + " /Rows " + PDFIntToStr(FHeight);
    if (FBWInvert) s += "/BlackIs1 true";
    s += ">>]\r\n";
  }
  e.SaveToStream(s, false);
  e.StartStream();
  if (FData) CryptPDFStream(e.SecurityInfo, *FData, *e.Stream(), ID());
  e.CloseStream();
  FData.reset();
}

// ---- the manager ------------------------------------------------------------------------------

TPDFImages::TPDFImages(TPDFEngine* engine) : TPDFManager(engine) {}

TPDFImages::~TPDFImages() { TPDFImages::Clear(); }

void TPDFImages::Clear() {
  for (TPDFImage* i : FEngine->Resources.Images) delete i;
  FEngine->Resources.Images.clear();
  FJBIG2Dictionary.Clear();
  TPDFManager::Clear();
}

int TPDFImages::AddImage(const TGraphic& image, TImageCompressionType compression, int maskIndex) {
  if (compression >= itcCCITT3 && compression <= itcJBIG2) {
    const auto* b = dynamic_cast<const TBitmap*>(&image);
    if (!b) throw EPDFException("CCITT compression work only for bitmap.");
    if (b->GetPixelFormat() != pf1bit) throw Exception("Cannot compress not monochrome image via CCITT");
  }
  auto img = std::make_unique<TPDFImage>(FEngine, this);
  img->Load(image, compression);
  img->FIsMask = false;
  img->FMaskIndex = maskIndex;
  img->Save();
  FEngine->Resources.Images.push_back(img.release());
  if (FJBIG2Dictionary.TotalWidth() > 0x1FFFF) Save();
  return GetCount() - 1;
}

int TPDFImages::AddImage(const TGraphic& image, TImageCompressionType compression, const TPDFImageMask& mask) {
  auto img = std::make_unique<TPDFImage>(FEngine, this);
  img->Load(image, compression);
  img->FSoftMask = mask;
  img->Save();
  FEngine->Resources.Images.push_back(img.release());
  return GetCount() - 1;
}

int TPDFImages::AddSoftMask(int width, int height, const std::string& alpha) {
  if (width <= 0 || height <= 0 || alpha.size() != static_cast<std::size_t>(width) * height)
    throw EPDFException("Out of range");
  auto img = std::make_unique<TPDFImage>(FEngine, this);
  img->FWidth = width;
  img->FHeight = height;
  img->FGrayScale = true;
  img->FBitPerPixel = 8;
  img->FCompression = itcFlate;
  img->FData = std::make_unique<TMemoryStream>();
  FEngine->Deflate(alpha.data(), alpha.size(), Z_DEFAULT_COMPRESSION, *img->FData);
  img->FLoaded = true;
  img->Save();
  FEngine->Resources.Images.push_back(img.release());
  return GetCount() - 1;
}

void TPDFImages::Save() {
  if (FJBIG2Dictionary.Count() == 0) return;
  // The shared dictionary as a stream of its own (page association 0).
  const std::string data = FJBIG2Dictionary.SegmentData();
  std::string seg("\0\0\0\0\0\x01\0", 7);
  for (int k = 24; k >= 0; k -= 8) seg += static_cast<char>((data.size() >> k) & 0xFF);
  seg += data;
  TMemoryStream mem;
  mem.WriteBuffer(seg.data(), static_cast<std::int64_t>(seg.size()));
  TPDFEngine& e = *FEngine;
  const int id = e.GetNextID();
  e.StartObj(id);
  e.SaveToStream("/Length " + PDFIntToStr(EncryptedLength(e.SecurityInfo.State, mem.GetSize())));
  e.StartStream();
  CryptPDFStream(e.SecurityInfo, mem, *e.Stream(), id);
  e.CloseStream();
  FJBIG2Dictionary.Clear();
}
