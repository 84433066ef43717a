// PNG pictures. The file's bytes are kept as read and written back unchanged; pixels are decoded
// on first need.
#pragma once

#include "platform/graphics/Pictures.h"

class TPngImage : public TEncodedImage {
  TAVRELO_GRAPHIC_CLASS(TPngImage, TEncodedImage)
 public:
  TPngImage();
  ~TPngImage() override;

  // Resizing keeps the pixels inside both sizes; new pixels are transparent black.
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  // Transparent when the picture has an alpha channel or a transparent colour.
  bool GetTransparent() const override { return FHasAlpha; }
  void SetTransparent(bool) override {}

  // Gives the picture an alpha channel (all opaque) when it has none.
  void CreateAlpha();
  bool HasAlphaChannel() const { return FHasAlpha; }
  // The decoded pixels, writable; taking them drops the kept file bytes.
  TPixelImage& Pixels();
  const TPixelImage& Pixels() const;

  void LoadFromStream(TStream& stream) override;

 protected:
  bool AssignFrom(const TGraphic* source) override;
  void Decode() const override;
  std::string Encode() const override;

 private:
  void Resize(int width, int height);
  bool FHasAlpha = false;
};
