// The imaging-component picture: any format the platform's image readers decode (TIFF, GIF,
// BMP, PNG, JPEG, and the rest installed). The file's bytes are the picture and are written back
// unchanged; pixels are decoded on first need.
#pragma once

#include "platform/graphics/Pictures.h"

enum TWICImageFormat { wifBmp, wifPng, wifJpeg, wifGif, wifTiff, wifWMPhoto, wifOther };

class TWICImage : public TGraphic {
  TAVRELO_GRAPHIC_CLASS(TWICImage, TGraphic)
 public:
  TWICImage();
  ~TWICImage() override;

  bool GetEmpty() const override { return FData.empty() && FPixels.Empty(); }
  int GetWidth() const override { return FWidth; }
  int GetHeight() const override { return FHeight; }
  void SetWidth(int) override;
  void SetHeight(int) override;
  TWICImageFormat GetImageFormat() const { return FFormat; }
  // Saving after a change of format encodes the pixels in that format (BMP, PNG, JPEG, TIFF).
  void SetImageFormat(TWICImageFormat value);
  const std::string& Data() const { return FData; }

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  TPixelImage ToPixels() const override;

 protected:
  bool AssignFrom(const TGraphic* source) override;

 private:
  void Decode() const;
  std::string FData;
  mutable TPixelImage FPixels;
  TWICImageFormat FFormat = wifPng;
  int FWidth = 0;
  int FHeight = 0;
};
