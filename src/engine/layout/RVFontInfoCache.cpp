#include "engine/layout/RVFontInfoCache.h"

#include <algorithm>
#include <cstdlib>

#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/SysUtils.h"

namespace {

// A length measured on the enlarged reference canvas, in drawing units (nearest, halves to even).
int ScaleDown(int Value) {
  if (RefCanvasScaleFactor <= 1) return Value;
  return static_cast<int>(Round(static_cast<long double>(Value) / RefCanvasScaleFactor));
}

}  // namespace

// ---- the common part ----------------------------------------------------------------------------

TRVFontInfoCache::TRVFontInfoCache(TCustomRVData* Owner, bool CanUseCustomPPI, TCanvas* DrawCanvas,
                                   TCanvas* FormatCanvas, TRVStyle* Style)
    : FCanvas(FormatCanvas),
      FDrawCanvas(DrawCanvas),
      FRVStyle(Style),
      FCanUseCustomPPI(CanUseCustomPPI),
      FOwner(Owner) {
  if (FRVStyle) SetCount(FRVStyle->TextStyles()->Count());
}

TRVFontInfoCache::~TRVFontInfoCache() { TRVFontInfoCache::Clear(); }

void TRVFontInfoCache::Clear() {
  TRVList::Clear();
  FInvalidItem.reset();
}

bool TRVFontInfoCache::VerticalFor(int StyleNo) const {
  if (!UseVerticalFonts) return false;
  const UnicodeString& name = FRVStyle->TextStyles()->Items(StyleNo)->FontName;
  return name.empty() || name[0] != u'@';
}

TRVFontInfoCacheItem* TRVFontInfoCache::Lookup(int StyleNo, bool& InList) {
  if (StyleNo >= Count() && StyleNo < FRVStyle->TextStyles()->Count()) SetCount(StyleNo + 1);
  InList = StyleNo >= 0 && StyleNo < Count();
  return InList ? static_cast<TRVFontInfoCacheItem*>(Get(StyleNo)) : FInvalidItem.get();
}

void TRVFontInfoCache::Store(int StyleNo, bool InList, TRVFontInfoCacheItem* Item) {
  if (InList)
    Put(StyleNo, Item);
  else
    FInvalidItem.reset(Item);
}

void TRVFontInfoCache::ApplyStyle(TCanvas* Canvas, int StyleNo, bool UseVerticalFont,
                                  bool IgnoreSubSuperScript, const TRVExtraFontInfo* ExtraFontInfo) {
  FRVStyle->ApplyStyle(Canvas, StyleNo, CurParaBiDiMode, FCanUseCustomPPI, FCanUseCustomPPI,
                       ExtraFontInfo, IgnoreSubSuperScript, UsesRefCanvas(), UseVerticalFont, PSaD);
}

void TRVFontInfoCache::ComputeScriptMeasures(TRVFontInfoCacheItem* Item, TCanvas* Canvas) {
  const TRVSubSuperScriptType type = Item->FontInfo->SubSuperScriptType;
  if (type == rvsssNormal) {
    Item->VerticalOffset = 0;
    return;
  }
  int height, offset;
  if (TRVOutlineTextMetrics otm = AllocOutlineTextMetrics(Canvas, FRVStyle->GetGraphicInterface())) {
    if (type == rvsssSubscript) {
      height = otm->otmptSubscriptSize.Y;
      offset = -otm->otmptSubscriptOffset.Y;
    } else {
      height = otm->otmptSuperscriptSize.Y;
      // never above the font's ascent
      offset = std::min<int>(otm->otmptSuperscriptOffset.Y, otm->otmTextMetrics.tmAscent - height);
    }
  } else {
    const long double h = Canvas->Font().GetHeight();
    height = static_cast<int>(std::abs(Round(h * 2 / 3)));
    offset = type == rvsssSubscript ? -static_cast<int>(std::abs(Round(h * 0.25L)))
                                    : static_cast<int>(std::abs(Round(h * 0.45L)));
  }
  Item->ExtraFontInfoFC.ScriptHeight = height;
  if (UsesRefCanvas()) {
    height = ScaleDown(height);
    offset = ScaleDown(offset);
  }
  Item->ExtraFontInfo.ScriptHeight = height;
  Item->VerticalOffset = offset;
}

void TRVFontInfoCache::ComputeMetrics(TRVFontInfoCacheItem* Item, TCanvas* Canvas) {
  TRVGraphicInterface* gi = FRVStyle->GetGraphicInterface();
  if (!gi->GetTextMetrics(Canvas, Item->TextMetric)) Item->TextMetric = TEXTMETRICW{};
  const TSize hyphen = gi->TextSize(Canvas, u"-", 1, false, false);
  Item->EmptyLineHeight = hyphen.cy;
  Item->HyphenWidth = hyphen.cx;
  Item->HyphenWidthFC = hyphen.cx;
  Item->AverageCharWidth = std::max(1, gi->TextSize(Canvas, u"X", 1, false, false).cx);
  TEXTMETRICW& tm = Item->TextMetric;
  if (UsesRefCanvas()) {
    tm.tmAscent = ScaleDown(tm.tmAscent);
    tm.tmHeight = ScaleDown(tm.tmHeight);
    Item->EmptyLineHeight = ScaleDown(Item->EmptyLineHeight);
    Item->HyphenWidth = ScaleDown(Item->HyphenWidth);
    tm.tmDescent = Item->EmptyLineHeight - tm.tmAscent;
  }
  Item->VerticalOffset += MulDiv(tm.tmHeight, Item->FontInfo->VShift, 100);
}

// ---- the fast cache -----------------------------------------------------------------------------

TRVFontInfoCacheFast::~TRVFontInfoCacheFast() { TRVFontInfoCacheFast::Clear(); }

void TRVFontInfoCacheFast::Clear() {
  TRVGraphicInterface* gi = FRVStyle ? FRVStyle->GetGraphicInterface() : nullptr;
  if (gi) {
    for (int i = 0; i < Count(); ++i)
      if (auto* item = static_cast<TRVFontInfoCacheItem*>(Get(i))) {
        gi->DestroyCompatibleCanvas(item->Canvas);
        item->Canvas = nullptr;
      }
    if (FInvalidItem) {
      gi->DestroyCompatibleCanvas(FInvalidItem->Canvas);
      FInvalidItem->Canvas = nullptr;
    }
  }
  TRVFontInfoCache::Clear();
}

TRVFontInfoCacheItem* TRVFontInfoCacheFast::GetItems(int StyleNo) {
  if (!FRVStyle) return nullptr;
  const bool vertical = VerticalFor(StyleNo);
  bool inList;
  TRVFontInfoCacheItem* item = Lookup(StyleNo, inList);
  if (!item || item->Rotation != Rotation || item->UseVerticalFont != vertical) {
    TRVGraphicInterface* gi = FRVStyle->GetGraphicInterface();
    if (!item) {
      auto made = std::make_unique<TRVFontInfoCacheItem>();
      made->Canvas = gi->CreateCompatibleCanvas(FCanvas);
      item = made.get();
      Store(StyleNo, inList, made.release());
      if (UsesRefCanvas() && gi->GetMapMode(FCanvas) == MM_ANISOTROPIC) {
        SIZE ext;
        gi->SetMapMode(item->Canvas, MM_ANISOTROPIC);
        gi->GetWindowExtEx(FCanvas, ext);
        gi->SetWindowExtEx(item->Canvas, ext.cx, ext.cy, nullptr);
        gi->GetViewportExtEx(FCanvas, ext);
        gi->SetViewportExtEx(item->Canvas, ext.cx, ext.cy, nullptr);
      }
      item->FontInfo = FRVStyle->TextStyles()->Items(StyleNo);
      item->IsSymbolFont = item->FontInfo->Charset == SYMBOL_CHARSET;
      item->LastBiDiMode = CurParaBiDiMode;
      ApplyStyle(item->Canvas, StyleNo, vertical, true, nullptr);
    } else if (item->UseVerticalFont != vertical ||
               item->FontInfo->SubSuperScriptType != rvsssNormal) {
      // The vertical variant is another font, and script measures are taken from the full-size
      // font: select it again (otherwise the canvas keeps its font).
      ApplyStyle(item->Canvas, StyleNo, vertical, true, nullptr);
      item->LastBiDiMode = CurParaBiDiMode;
    }
    if (gi->IsAdvancedGraphicsMode(FCanvas)) {
      XFORM x;
      gi->GetWorldTransform(FCanvas, x);
      gi->SetGraphicsMode(item->Canvas, true);
      gi->SetWorldTransform(item->Canvas, x);
    } else {
      gi->SetGraphicsMode(item->Canvas, false);
    }
    item->Rotation = Rotation;
    item->UseVerticalFont = vertical;
    ComputeScriptMeasures(item, item->Canvas);
    if (item->FontInfo->SubSuperScriptType != rvsssNormal)
      ApplyStyle(item->Canvas, StyleNo, vertical, false, &item->ExtraFontInfoFC);
    ComputeMetrics(item, item->Canvas);
  }
  if (CurParaBiDiMode != item->LastBiDiMode) {
    item->FontInfo->ApplyBiDiMode(item->Canvas, CurParaBiDiMode, UsesRefCanvas(), PSaD, FRVStyle);
    item->LastBiDiMode = CurParaBiDiMode;
  }
  return item;
}

// ---- the low-resource cache ---------------------------------------------------------------------

TRVFontInfoCacheItem* TRVFontInfoCacheLowResource::GetItems(int StyleNo) {
  if (!FRVStyle) return nullptr;
  const bool vertical = VerticalFor(StyleNo);
  bool inList;
  TRVFontInfoCacheItem* item = Lookup(StyleNo, inList);
  const bool existed = item != nullptr;
  if (!existed) {
    auto made = std::make_unique<TRVFontInfoCacheItem>();
    made->Canvas = FCanvas;
    made->FontInfo = FRVStyle->TextStyles()->Items(StyleNo);
    made->IsSymbolFont = made->FontInfo->Charset == SYMBOL_CHARSET;
    item = made.get();
    Store(StyleNo, inList, made.release());
  }
  // The script size measured before stands for the one the style would compute itself.
  ApplyStyle(FCanvas, StyleNo, vertical, false, existed ? &item->ExtraFontInfoFC : nullptr);
  item->LastBiDiMode = CurParaBiDiMode;
  if (existed && item->Rotation == Rotation && item->UseVerticalFont == vertical) return item;
  item->Rotation = Rotation;
  item->UseVerticalFont = vertical;
  if (item->FontInfo->SubSuperScriptType != rvsssNormal) {
    ApplyStyle(FCanvas, StyleNo, vertical, true, nullptr);
    ComputeScriptMeasures(item, FCanvas);
    ApplyStyle(FCanvas, StyleNo, vertical, false, &item->ExtraFontInfoFC);
  } else {
    item->VerticalOffset = 0;
  }
  ComputeMetrics(item, FCanvas);
  return item;
}
