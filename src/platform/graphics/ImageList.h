// Image lists: equally sized images drawn plain, transparent or blended with a colour.
#pragma once

#include <vector>

#include "platform/graphics/Pictures.h"

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TObject {
 public:
  TCustomImageList(int width = 16, int height = 16);
  ~TCustomImageList() override;

  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  // Changing the size clears the list, as the system's lists do.
  void SetSize(int width, int height);
  int Count() const { return static_cast<int>(FImages.size()); }
  void Clear() { FImages.clear(); }
  void Delete(int index);

  // Adds the image, cut into as many list images as its width holds; pixels where the mask is
  // white (or the masked colour) are transparent. Answers the index of the first, -1 on failure.
  int Add(const TBitmap* image, const TBitmap* mask);
  int AddMasked(const TBitmap* image, TColor maskColor);
  int AddIcon(const TIcon* icon);
  // The image as 32-bit pixels with its transparency in the alpha bytes.
  TPixelImage GetImage(int index) const;
  void GetBitmap(int index, TBitmap* image) const;

  // clNone: the background shows through masked pixels; a colour fills them when drawing plain.
  TColor BkColor = clNone;
  // Colour of dsFocus (25 %) and dsSelected (50 %) blending; clDefault: the highlight colour.
  TColor BlendColor = clDefault;
  TDrawingStyle DrawingStyle = dsNormal;
  int Tag = 0;

  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);
  void Draw(TCanvas& canvas, int x, int y, int index, TDrawingStyle style, TImageType type, bool enabled = true);

 private:
  int FWidth, FHeight;
  std::vector<TPixelImage> FImages;
};

using TImageList = TCustomImageList;
