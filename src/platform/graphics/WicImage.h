// The imaging-component picture: any format the platform's image readers decode (TIFF, GIF,
// BMP, PNG, JPEG, and the rest installed). The file's bytes are the picture and are written back
// unchanged; pixels are decoded on first need.
#pragma once

#include "platform/graphics/Pictures.h"

enum TWICImageFormat { wifBmp, wifPng, wifJpeg, wifGif, wifTiff, wifWMPhoto, wifOther };

class TWICImage : public TEncodedImage {
  TAVRELO_GRAPHIC_CLASS(TWICImage, TEncodedImage)
 public:
  TWICImage();
  ~TWICImage() override;

  void SetWidth(int) override;
  void SetHeight(int) override;
  TWICImageFormat GetImageFormat() const { return FFormat; }
  // Saving after a change of format encodes the pixels in that format (BMP, PNG, JPEG, TIFF).
  void SetImageFormat(TWICImageFormat value);

  void LoadFromStream(TStream& stream) override;

 protected:
  bool AssignFrom(const TGraphic* source) override;
  void Decode() const override;
  std::string Encode() const override;

 private:
  TWICImageFormat FFormat = wifPng;
};
