// JPEG pictures over libjpeg-turbo. The compressed bytes are the picture: they are kept as read
// and written back unchanged; pixels are decoded on first need.
#pragma once

#include "platform/graphics/Pictures.h"

enum TJPEGPixelFormat { jf24Bit, jf8Bit };
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };

class TJPEGImage : public TEncodedImage {
  TAVRELO_GRAPHIC_CLASS(TJPEGImage, TEncodedImage)
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  // A JPEG picture keeps its size; as the class library, setting it raises.
  void SetWidth(int) override;
  void SetHeight(int) override;

  int CompressionQuality = 90;
  bool ProgressiveEncoding = false;
  TJPEGPerformance Performance = jpBestQuality;
  bool GetGrayscale() const { return FGrayscale; }
  void SetGrayscale(bool value);
  TJPEGPixelFormat GetPixelFormat() const { return FPixelFormat; }
  // 8-bit output reduces the decoded pixels to the fixed 8-bit palette.
  void SetPixelFormat(TJPEGPixelFormat value);

  // Encodes the pixels when there are no compressed bytes yet.
  void Compress() { EnsureEncoded(); }
  // Decodes the pixels when there are none yet.
  void DIBNeeded() const;

  void LoadFromStream(TStream& stream) override;
  void ReadData(TStream& stream) override { ReadSizedData(stream); }
  void WriteData(TStream& stream) override { WriteSizedData(stream); }

 protected:
  bool AssignFrom(const TGraphic* source) override;
  void Decode() const override { DIBNeeded(); }
  std::string Encode() const override;

 private:
  bool FGrayscale = false;
  TJPEGPixelFormat FPixelFormat = jf24Bit;
};
