// STOPGAP until the metric caches land from their own branch.
#include "engine/layout/RVFontInfoCache.h"

#include "engine/foundation/RVGrIn.h"
#include "engine/styles/FontInfo.h"

TRVFontInfoCache::TRVFontInfoCache(TCustomRVFormattedData*, bool CanUseCustomPPI, TCanvas* DrawCanvas,
                                   TCanvas* FormatCanvas, TRVStyle* Style)
    : FCanvas(FormatCanvas), FDrawCanvas(DrawCanvas), FStyle(Style), FCanUseCustomPPI(CanUseCustomPPI) {}

TRVFontInfoCacheItem* TRVFontInfoCache::GetItems(int StyleNo) {
  const int n = FStyle->TextStyles()->Count();
  if (StyleNo < 0 || StyleNo >= n) StyleNo = 0;
  if (static_cast<int>(FItems.size()) < n) FItems.resize(n);
  const bool ref = FCanvas != FDrawCanvas;
  FStyle->ApplyStyle(FCanvas, StyleNo, CurParaBiDiMode, FCanUseCustomPPI, false, nullptr, false, ref, false, PSaD);
  auto& p = FItems[StyleNo];
  if (p) return p.get();
  p = std::make_unique<TRVFontInfoCacheItem>();
  TRVGraphicInterface* gi = FStyle->GetGraphicInterface();
  p->Canvas = FCanvas;
  gi->GetTextMetrics(FCanvas, p->TextMetric);
  const TSize hy = gi->TextSize(FCanvas, u"-", 1, false, false);
  const TSize x = gi->TextSize(FCanvas, u"X", 1, false, false);
  p->EmptyLineHeight = hy.cy;
  p->HyphenWidth = p->HyphenWidthFC = hy.cx;
  p->AverageCharWidth = std::max(1, static_cast<int>(x.cx));
  p->IsSymbolFont = FStyle->TextStyles()->Items(StyleNo)->IsSymbolCharset();
  if (ref) {
    auto dn = [](int v) { return v / RefCanvasScaleFactor; };
    p->TextMetric.tmAscent = dn(p->TextMetric.tmAscent);
    p->TextMetric.tmHeight = dn(p->TextMetric.tmHeight);
    p->EmptyLineHeight = dn(p->EmptyLineHeight);
    p->HyphenWidth = dn(p->HyphenWidth);
    p->TextMetric.tmDescent = p->TextMetric.tmHeight - p->TextMetric.tmAscent;
  }
  p->VerticalOffset = MulDiv(p->TextMetric.tmHeight, FStyle->TextStyles()->Items(StyleNo)->VShift, 100);
  return p.get();
}
