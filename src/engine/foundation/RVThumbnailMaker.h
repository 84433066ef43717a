// Thumbnails: resampled copies of pictures shown much smaller or larger than their natural
// size, made with a two-pass Mitchell-Netravali filter (B = C = 1/3). One process-wide maker.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Pictures.h"

// One source pixel's share in a target pixel.
struct TWeightedPixel {
  int Pixel;
  float Weight;
};

// Per target column (or row): its source pixels, with the number of entries in use.
struct TWPMatrix {
  std::vector<std::vector<TWeightedPixel>> Items;
  std::vector<int> Counts;
};

class TRVThumbnailMaker : public TObject {
 public:
  TRVThumbnailMaker();
  // Thumbnails are made only from bitmaps, PNG, JPEG and imaging-component pictures (exactly
  // those classes) that are not transparent.
  bool IsAllowedFor(const TGraphic* Gr) const;
  // Scales the size down proportionally so that neither side exceeds the maximum.
  void AdjustThumbnailSize(int& Width, int& Height) const;
  // A new 24-bit bitmap of Gr resampled to Width x Height (limited as AdjustThumbnailSize
  // says), or null when not allowed, not needed or not possible.
  std::unique_ptr<TBitmap> MakeThumbnail(const TGraphic* Gr, int Width, int Height) const;

 private:
  std::vector<TGraphicClass> FClassList;
  int FMaxThumbnailSize = 3000;
};

// Created when the program starts and freed when it ends.
extern TRVThumbnailMaker* ThumbnailMaker;

// The widest vectors resampling may use where the processor has them: 512, 256 or 128 bits (the
// baseline, every processor's); 512 by default. Every width gives the same bytes, and tests check
// each. Answers the previous setting.
int SetThumbnailVectorBits(int Bits);
