// STOPGAP until the metric caches land from their own branch: the least the formatter needs.
#pragma once

#include <memory>
#include <vector>

#include "engine/foundation/RVFuncs.h"
#include "engine/styles/RVStyle.h"

class TCustomRVFormattedData;

class TRVFontInfoCacheItem : public TObject {
 public:
  TCanvas* Canvas = nullptr;
  TEXTMETRICW TextMetric{};
  int VerticalOffset = 0, EmptyLineHeight = 0, AverageCharWidth = 1, HyphenWidth = 0, HyphenWidthFC = 0;
  bool IsSymbolFont = false;
};

class TRVFontInfoCache : public TObject {
 public:
  TRVFontInfoCache(TCustomRVFormattedData* Owner, bool CanUseCustomPPI, TCanvas* DrawCanvas, TCanvas* FormatCanvas,
                   TRVStyle* Style);
  TRVFontInfoCacheItem* GetItems(int StyleNo);
  TRVBiDiMode CurParaBiDiMode = rvbdUnspecified;
  bool IgnoreParaBiDiMode = false;
  TRVDocRotation Rotation = rvrotNone;
  bool UseVerticalFonts = false;
  const TRVScreenAndDevice* PSaD = nullptr;

 private:
  std::vector<std::unique_ptr<TRVFontInfoCacheItem>> FItems;
  TCanvas* FCanvas;
  TCanvas* FDrawCanvas;
  TRVStyle* FStyle;
  bool FCanUseCustomPPI;
};
class TRVFontInfoCacheFast : public TRVFontInfoCache {
 public:
  using TRVFontInfoCache::TRVFontInfoCache;
};
class TRVFontInfoCacheLowResource : public TRVFontInfoCache {
 public:
  using TRVFontInfoCache::TRVFontInfoCache;
};
