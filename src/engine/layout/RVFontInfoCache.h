// Font metric caches: formatting measures text again and again in the fonts of a few text styles.
// A cache keeps, per text style, the style's text metrics, a few derived measures and a canvas
// with the style's font selected, so that measuring needs no font selection per run. The
// document that formats makes a cache for one formatting pass and frees it afterwards.
//
// TRVFontInfoCacheFast gives every used style a canvas of its own (compatible with the format
// canvas) with the font selected once; TRVFontInfoCacheLowResource measures every style on the
// one format canvas and selects the requested style's font on every request.
//
// Hot path: GetItems is asked for every text run; a known style with unchanged rotation is
// answered without allocating (the fast cache also without touching the canvas).
#pragma once

#include <memory>

#include "engine/foundation/RVClasses.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/RVStyleDraw.h"
#include "engine/styles/RVStyleTypes.h"
#include "platform/graphics/Graphics.h"

class TCanvas;
class TCustomRVData;
class TFontInfo;
class TRVStyle;

// The measures of one text style.
class TRVFontInfoCacheItem : public TObject {
 public:
  TRVBiDiMode LastBiDiMode = rvbdUnspecified;  // the paragraph direction last applied to Canvas
  // The canvas with the style's font selected: the fast cache's own canvas, or the format canvas
  // that the low-resource cache shares between styles.
  TCanvas* Canvas = nullptr;
  // Metrics of the font; on a reference canvas ascent, descent and height are in drawing units.
  TEXTMETRICW TextMetric{};
  TRVExtraFontInfo ExtraFontInfo;  // the height of the sub- or superscript font
  TFontInfo* FontInfo = nullptr;   // the text style
  int VerticalOffset = 0;    // how far the text is raised (negative: lowered), in drawing units
  int EmptyLineHeight = 0;   // the height of "-": the height of an empty line
  int AverageCharWidth = 1;  // the width of "X" on the format canvas, at least 1
  int HyphenWidth = 0;       // the width of "-" in drawing units
  int HyphenWidthFC = 0;     // the width of "-" as measured on the format canvas
  TRVDocRotation Rotation = rvrotNone;  // the rotation the measures were taken for
  bool UseVerticalFont = false;
  bool IsSymbolFont = false;  // the style's character set is the symbol set
  // The script font's height on the format canvas: ExtraFontInfo's in the units of that canvas,
  // which is how the script font is selected there.
  TRVExtraFontInfo ExtraFontInfoFC;
};

class TRVFontInfoCache : public TRVList {
 public:
  // One empty entry per text style of Style; FormatCanvas is where measuring happens, DrawCanvas
  // where the document will be drawn (when they differ, FormatCanvas is a reference canvas with
  // enlarged fonts and measures are scaled back to drawing units).
  TRVFontInfoCache(TCustomRVData* Owner, bool CanUseCustomPPI, TCanvas* DrawCanvas,
                   TCanvas* FormatCanvas, TRVStyle* Style);
  ~TRVFontInfoCache() override;

  // Frees every item and the invalid-style item.
  void Clear() override;
  // The measures of text style StyleNo. A style added to the sheet after the cache was made gets
  // an entry; a number outside the sheet's styles answers the one invalid-style item. Null only
  // for a cache made without a style sheet.
  virtual TRVFontInfoCacheItem* GetItems(int StyleNo) = 0;

  TCanvas* FCanvas;      // the format canvas
  TCanvas* FDrawCanvas;  // the canvas the document is drawn on
  TRVStyle* FRVStyle;
  bool FCanUseCustomPPI;
  TCustomRVData* FOwner;  // the document the cache was made for

  // Set by the formatter.
  TRVBiDiMode CurParaBiDiMode = rvbdUnspecified;
  bool IgnoreParaBiDiMode = false;
  int LastTextStyle = -1;
  TRVDocRotation Rotation = rvrotNone;
  bool UseVerticalFonts = false;
  const TRVScreenAndDevice* PSaD = nullptr;

 protected:
  // Whether measures are taken on a reference canvas.
  bool UsesRefCanvas() const { return FCanvas != FDrawCanvas; }
  // Whether style StyleNo is measured in the vertical variant of its font.
  bool VerticalFor(int StyleNo) const;
  // The item of StyleNo (growing the list for styles added to the sheet), or the invalid-style
  // item for a number outside it; null when not made yet. InList tells where a new item goes.
  TRVFontInfoCacheItem* Lookup(int StyleNo, bool& InList);
  void Store(int StyleNo, bool InList, TRVFontInfoCacheItem* Item);
  // Puts the style's font on Canvas for the current paragraph direction.
  void ApplyStyle(TCanvas* Canvas, int StyleNo, bool UseVerticalFont, bool IgnoreSubSuperScript,
                  const TRVExtraFontInfo* ExtraFontInfo);
  // Sub- and superscript size and offset from the font on Canvas (the style's full-size font).
  void ComputeScriptMeasures(TRVFontInfoCacheItem* Item, TCanvas* Canvas);
  // Text metrics, empty-line height, hyphen and average widths, and the vertical shift.
  void ComputeMetrics(TRVFontInfoCacheItem* Item, TCanvas* Canvas);

  std::unique_ptr<TRVFontInfoCacheItem> FInvalidItem;
};

class TRVFontInfoCacheFast : public TRVFontInfoCache {
 public:
  using TRVFontInfoCache::TRVFontInfoCache;
  ~TRVFontInfoCacheFast() override;
  // Destroys the items' own canvases, then frees the items.
  void Clear() override;
  TRVFontInfoCacheItem* GetItems(int StyleNo) override;
};

class TRVFontInfoCacheLowResource : public TRVFontInfoCache {
 public:
  using TRVFontInfoCache::TRVFontInfoCache;
  TRVFontInfoCacheItem* GetItems(int StyleNo) override;
};
