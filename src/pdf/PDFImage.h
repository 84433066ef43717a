// The image objects of a document: each picture is encoded with the chosen compression (Flate,
// JPEG, CCITT fax coding in three variants, JBIG2) and written as an image XObject as soon as it
// is added; it stays in the engine's resource list for the resource dictionaries.
#pragma once

#include <memory>

#include "pdf/PDFEngine.h"
#include "pdf/PDFJBIG2.h"
#include "platform/graphics/Pictures.h"

class TPDFImages;

// How an image's transparent parts are given: by a soft mask (an 8-bit grey image of coverage,
// by its index) or by a colour key (the colour that stays transparent, 0x00BBGGRR).
struct TPDFImageMask {
  int SoftMask = -1;
  bool HasColorKey = false;
  std::uint32_t ColorKey = 0;
};

class TPDFImage : public TPDFObject {
 public:
  TPDFImage(TPDFEngine* engine, TPDFImages* owner) : TPDFObject(engine), FOwner(owner) {}
  explicit TPDFImage(TPDFEngine* engine) : TPDFObject(engine) {}
  int BitPerPixel() const { return FBitPerPixel; }
  bool GrayScale() const { return FGrayScale; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool IsMask() const { return FIsMask; }
  TImageCompressionType Compression() const { return FCompression; }
  bool BWInvert() const { return FBWInvert; }
  // Encodes the picture (a JPEG picture or a bitmap).
  void Load(const TGraphic& image, TImageCompressionType compression);
  void Save() override;

 protected:
  friend class TPDFImages;
  int FBitPerPixel = 8;
  bool FBWInvert = false;
  TImageCompressionType FCompression = itcFlate;
  std::unique_ptr<TMemoryStream> FData;
  bool FGrayScale = false;
  int FWidth = 0, FHeight = 0;
  bool FIsMask = false;
  bool FLoaded = false;
  int FMaskIndex = -1;
  TPDFImageMask FSoftMask;
  TPDFImages* FOwner = nullptr;
};

class TPDFImages : public TPDFManager {
 public:
  explicit TPDFImages(TPDFEngine* engine);
  ~TPDFImages() override;
  // Encodes and writes a picture; answers its index in the resource list.
  int AddImage(const TGraphic& image, TImageCompressionType compression) { return AddImage(image, compression, -1); }
  int AddImage(const TGraphic& image, TImageCompressionType compression, int maskIndex);
  int AddImage(const TGraphic& image, TImageCompressionType compression, const TPDFImageMask& mask);
  // A soft mask: width x height coverage bytes, top row first (0 transparent, 255 opaque).
  int AddSoftMask(int width, int height, const std::string& alpha);
  void Clear() override;
  int GetCount() override { return static_cast<int>(FEngine->Resources.Images.size()); }
  // Writes the shared symbol dictionary when it holds symbols, and empties it.
  void Save() override;
  int JPEGQuality() const { return FJPEGQuality; }
  void SetJPEGQuality(int v) { FJPEGQuality = v; }
  TJBIG2Options& JBIG2Options() { return FJBIG2Options; }
  TJBig2SymbolDictionary& JBIG2Dictionary() { return FJBIG2Dictionary; }

 private:
  int FJPEGQuality = 80;
  TJBIG2Options FJBIG2Options;
  TJBig2SymbolDictionary FJBIG2Dictionary{TJBIG2Options()};
};
