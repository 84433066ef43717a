// PNG pictures. The file's bytes are kept as read and written back unchanged; pixels are decoded
// on first need.
#pragma once

#include "platform/graphics/Pictures.h"

class TPngImage : public TGraphic {
  TAVRELO_GRAPHIC_CLASS(TPngImage, TGraphic)
 public:
  TPngImage();
  ~TPngImage() override;

  bool GetEmpty() const override { return FData.empty() && FPixels.Empty(); }
  int GetWidth() const override { return FWidth; }
  int GetHeight() const override { return FHeight; }
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
  int FWidth = 0;
  int FHeight = 0;
  bool FHasAlpha = false;
};
