#include "engine/layout/RVBack.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "engine/document/CustomRVData.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVThumbnailMaker.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Pictures.h"

namespace {

constexpr int kMaxTiles = 1000;

bool IsCornerOrCentre(TBackgroundStyle s) { return s >= bsCentered && s <= bsBottomRight; }

bool IsBitmap(const TGraphic* g) { return g && g->InstanceOf(TBitmap::StaticClass()); }

// Calls Place for every position (in area coordinates) at which a tile or the single image of
// the style lies over the part R of an area of AreaW x AreaH. Tiles: columns and rows that R
// touches; tiles that follow the scroll position are shifted by (HOffs, VOffs). False when Limit
// is given and the tiles would exceed it (nothing is placed then).
bool ForEachPlacement(TBackgroundStyle Style, const TRect& R, int AreaW, int AreaH, int ImgW, int ImgH, int HOffs,
                      int VOffs, bool Limit, const std::function<void(int, int)>& Place) {
  if (ImgW <= 0 || ImgH <= 0) return true;
  switch (Style) {
    case bsTiled:
    case bsTiledAndScrolled: {
      const int h = Style == bsTiledAndScrolled ? HOffs : 0, v = Style == bsTiledAndScrolled ? VOffs : 0;
      const int c1 = (R.Left + h) / ImgW, c2 = (R.Right + h) / ImgW;
      const int r1 = (R.Top + v) / ImgH, r2 = (R.Bottom + v) / ImgH;
      if (Limit && static_cast<long long>(c2 - c1 + 1) * (r2 - r1 + 1) > kMaxTiles) return false;
      for (int j = r1; j <= r2; ++j)
        for (int i = c1; i <= c2; ++i) Place(i * ImgW - h, j * ImgH - v);
      return true;
    }
    case bsCentered: Place((AreaW - ImgW) / 2, (AreaH - ImgH) / 2); return true;
    case bsTopLeft: Place(0, 0); return true;
    case bsTopRight: Place(AreaW - ImgW, 0); return true;
    case bsBottomLeft: Place(0, AreaH - ImgH); return true;
    case bsBottomRight: Place(AreaW - ImgW, AreaH - ImgH); return true;
    default: return true;
  }
}

// A bitmap of Graphic for printing: the graphic itself when it is one, else a bitmap assigned from
// it, else one of its size onto which it is drawn. Owned is set when a new bitmap was made.
TBitmap* BitmapForPrinting(TGraphic* Graphic, std::unique_ptr<TBitmap>& Owned) {
  if (IsBitmap(Graphic)) return static_cast<TBitmap*>(Graphic);
  Owned = std::make_unique<TBitmap>();
  try {
    Owned->Assign(Graphic);
  } catch (...) {
    RVRethrowUnlessDataError();
    Owned = std::make_unique<TBitmap>(Graphic->GetWidth(), Graphic->GetHeight());
    Owned->GetCanvas()->Draw(0, 0, Graphic);
  }
  return Owned.get();
}

}  // namespace

TBackgroundStyle RVPageBackgroundStyle(TBackgroundStyle Style) {
  return Style == bsTiledAndScrolled ? bsTiled : Style;
}

TRVBackground::TRVBackground(bool CreateBitmap, TRVGraphicCache* Cache) {
  if (CreateBitmap) {
    GraphicHolder = std::make_unique<TRVGraphicHolder>(Cache);
    GraphicHolder->SetGraphic(new TBitmap());
  }
}

TRVBackground::~TRVBackground() = default;

TGraphic* TRVBackground::GetBitmap() { return GraphicHolder ? GraphicHolder->GetGraphic() : nullptr; }

TRVItemBackgroundStyle TRVBackground::GetItemBackStyle() const {
  switch (Style) {
    case bsNoBitmap: return rvbsColor;
    case bsStretched: return rvbsStretched;
    case bsTiled:
    case bsTiledAndScrolled: return rvbsTiled;
    default: return rvbsCentered;
  }
}

void TRVBackground::SetItemBackStyle(TRVItemBackgroundStyle Value) {
  switch (Value) {
    case rvbsColor: Style = bsNoBitmap; break;
    case rvbsStretched: Style = bsStretched; break;
    case rvbsCentered: Style = bsCentered; break;
    default: Style = bsTiled; break;
  }
}

bool TRVBackground::EmptyImage() { return !GraphicHolder || GraphicHolder->IsEmpty(); }

bool TRVBackground::Empty() { return Style == bsNoBitmap && !GraphicHolder; }

bool TRVBackground::Visible() { return Style != bsNoBitmap && !EmptyImage(); }

bool TRVBackground::ScrollRequiresFullRedraw() {
  return !EmptyImage() && Style != bsNoBitmap && Style != bsTiledAndScrolled;
}

bool TRVBackground::ImageTransparent() {
  if (EmptyImage()) return false;
  TGraphic* g = nullptr;
  bool wasActive = false;
  GraphicHolder->GetGraphicTemporary(g, wasActive);
  TFinally done([&] { GraphicHolder->FinalizeGetGraphicTemporary(wasActive); });
  return g && GraphicHandler->IsTransparent(g);
}

bool TRVBackground::IsSemitransparent() {
  if (EmptyImage()) return false;
  return ImageTransparent() || IsCornerOrCentre(Style);
}

void TRVBackground::FreeImage() {
  GraphicHolder.reset();
  ImageCopy.reset();
  FHasThumbnail = false;
}

void TRVBackground::FreeThumbnail() {
  ImageCopy.reset();
  FHasThumbnail = false;
}

void TRVBackground::UpdatePaletted(TRVPaletteAction PaletteAction, HPALETTE, const TRVLogPalette* LogPalette) {
  FreeThumbnail();
  if (!LogPalette || EmptyImage()) return;
  TGraphic* g = nullptr;
  bool wasActive = false;
  GraphicHolder->GetGraphicTemporary(g, wasActive);
  TFinally done([&] { GraphicHolder->FinalizeGetGraphicTemporary(wasActive); });
  if (!g) return;
  switch (PaletteAction) {
    case rvpaAssignPalette: GraphicHandler->SetPalette(g, LogPalette); break;
    case rvpaCreateCopies:
    case rvpaCreateCopiesEx: {
      if (PaletteAction == rvpaCreateCopiesEx && GraphicHandler->GetGraphicType(g) == rvgtJPEG)
        ImageCopy = std::make_unique<TBitmap>();
      else ImageCopy = g->ClassType()->Create();
      if (!ImageCopy) return;
      ImageCopy->Assign(g);
      GraphicHandler->SetPalette(ImageCopy.get(), LogPalette);
      if (IsBitmap(ImageCopy.get())) static_cast<TBitmap*>(ImageCopy.get())->SetIgnorePalette(true);
      break;
    }
    case rvpaDoNothing: break;
  }
}

void TRVBackground::UpdateThumbnail(TCustomRVData* RVData, IRVThumbnailOwner* BackgroundOwner, int Width, int Height) {
  TRVThumbnailCache* cache = nullptr;
  if (RVData)
    if (TRVDataRootProperties* rp = RVData->GetAbsoluteRootData()->GetRootProperties()) cache = rp->GetThumbnailCache();
  auto dropThumbnail = [&] {
    if (!FHasThumbnail) return;
    FreeThumbnail();
    if (cache && BackgroundOwner) cache->RemoveThumbnail(BackgroundOwner);
  };
  if (!GraphicHolder || Style == bsNoBitmap) {
    dropThumbnail();
    return;
  }
  const int imgW = GraphicHolder->GetWidth(), imgH = GraphicHolder->GetHeight();
  int w = Style == bsStretched ? Width : imgW;
  int h = Style == bsStretched ? Height : imgH;
  if (RVData)
    if (auto srv = RVData->GetScaleViroZereInterface()) {
      const double zoom = srv->GetDrawnPageZoomPercent() / 100.0;
      w = static_cast<int>(Round(w * zoom));
      h = static_cast<int>(Round(h * zoom));
    }
  if (imgW == w && imgH == h) {
    dropThumbnail();
    return;
  }
  if (GraphicHolder->SupportsThumbnails()) {
    const int maxCount = cache ? cache->MaxCount : ThumbnailCacheMaxCount;
    bool needed = false;
    if (maxCount != 0) {
      if (!ImageCopy) needed = true;
      else if (FHasThumbnail) {
        int aw = w, ah = h;
        ThumbnailMaker->AdjustThumbnailSize(aw, ah);
        needed = ImageCopy->GetWidth() != aw || ImageCopy->GetHeight() != ah;
      }
    }
    if (needed) {
      TGraphic* g = nullptr;
      bool wasActive = false;
      GraphicHolder->GetGraphicTemporary(g, wasActive);
      TFinally done([&] { GraphicHolder->FinalizeGetGraphicTemporary(wasActive); });
      std::unique_ptr<TBitmap> thumb = g ? ThumbnailMaker->MakeThumbnail(g, w, h) : nullptr;
      FHasThumbnail = thumb != nullptr;
      ImageCopy = std::move(thumb);
    }
  }
  if (FHasThumbnail && cache && BackgroundOwner) cache->AddThumbnail(BackgroundOwner);
}

void TRVBackground::AssignImage(TGraphic* AImage, TCustomRVData* ARVData, bool Copy,
                                IRVThumbnailOwner* BackgroundOwner) {
  if (!AImage && !GraphicHolder) return;
  if (GraphicHolder && AImage && AImage == GraphicHolder->GetGraphicAsIs()) return;
  TRVDataRootProperties* rp = ARVData ? ARVData->GetAbsoluteRootData()->GetRootProperties() : nullptr;
  if (FHasThumbnail && BackgroundOwner && rp)
    if (TRVThumbnailCache* tc = rp->GetThumbnailCache()) tc->RemoveThumbnail(BackgroundOwner);
  TRVGraphicCache* graphicCache = rp ? rp->GetGraphicCache() : nullptr;
  if (Copy) {
    FreeImage();
    if (AImage) {
      std::unique_ptr<TGraphic> copy = AImage->ClassType()->Create();
      if (copy) {
        copy->Assign(AImage);
        GraphicHolder = std::make_unique<TRVGraphicHolder>(graphicCache);
        GraphicHolder->SetGraphic(copy.release());
        GraphicHolder->SetTransparent(AImage->GetTransparent());
      }
    }
  } else {
    FreeThumbnail();
    if (AImage) {
      if (GraphicHolder) {
        // The previous graphic belongs to whoever gave it; it is not freed here.
        GraphicHolder->ReplaceGraphic(AImage);
      } else {
        GraphicHolder = std::make_unique<TRVGraphicHolder>(graphicCache);
        GraphicHolder->SetGraphic(AImage);
      }
    } else {
      GraphicHolder->ReplaceGraphic(nullptr);
      FreeImage();
    }
  }
  // This platform's screens are not palette devices: documents have no palette to give.
  UpdatePaletted(rvpaDoNothing, nullptr, nullptr);
}

void TRVBackground::Draw(TCanvas* Canvas, const TRect& Rect, int HOffs, int VOffs, int Left, int Top, int Width,
                         int Height, TColor Color, int Opacity, bool Clipping, bool PrintSimulation,
                         TRVGraphicInterface* GraphicInterface, TCustomRVData* RVData,
                         IRVThumbnailOwner* BackgroundOwner, bool AllowThumbnails) {
  DrawAs(Style, Canvas, Rect, HOffs, VOffs, Left, Top, Width, Height, Color, Opacity, Clipping, PrintSimulation,
         GraphicInterface, RVData, BackgroundOwner, AllowThumbnails);
}

void TRVBackground::DrawOnPage(TCanvas* Canvas, const TRect& Rect, int Width, int Height, TColor Color, int Opacity,
                               bool PrintSimulation, TRVGraphicInterface* GraphicInterface) {
  // A local copy of the style: the background's own stays as the document set it.
  const TBackgroundStyle pageStyle = RVPageBackgroundStyle(Style);
  DrawAs(pageStyle, Canvas, Rect, 0, 0, 0, 0, Width, Height, Color, Opacity, false, PrintSimulation, GraphicInterface,
         nullptr, nullptr, false);
}

void TRVBackground::DrawAs(TBackgroundStyle AStyle, TCanvas* Canvas, const TRect& Rect, int HOffs, int VOffs,
                           int Left, int Top, int Width, int Height, TColor Color, int Opacity, bool Clipping,
                           bool PrintSimulation, TRVGraphicInterface* GraphicInterface, TCustomRVData* RVData,
                           IRVThumbnailOwner* BackgroundOwner, bool AllowThumbnails) {
  const bool hasImage = AStyle != bsNoBitmap && !EmptyImage();
  const int imgW = hasImage ? GraphicHolder->GetWidth() : 0;
  const int imgH = hasImage ? GraphicHolder->GetHeight() : 0;
  TGraphic* graphic = nullptr;
  if (hasImage) {
    if (AllowThumbnails) UpdateThumbnail(RVData, BackgroundOwner, Width, Height);
    graphic = AllowThumbnails && ImageCopy ? ImageCopy.get() : GraphicHolder->GetGraphic();
  }
  const bool thumbnail = graphic && FHasThumbnail && graphic == ImageCopy.get();
  int state = 0;
  if (Clipping) {
    state = GraphicInterface->SaveCanvasState(Canvas);
    GraphicInterface->IntersectClipRect(Canvas, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
    GraphicInterface->MoveWindowOrgAdvanced(Canvas, Rect.Left, Rect.Top);
  }
  TFinally restore([&] {
    if (Clipping) GraphicInterface->RestoreCanvasState(Canvas, state);
  });
  const TRect R(Rect.Left - Left, Rect.Top - Top, Rect.Right - Left, Rect.Bottom - Top);
  // Colour, unless an opaque image covers the whole area.
  if (Color != clNone && Opacity > 0) {
    const bool covered = hasImage && (AStyle == bsStretched || AStyle == bsTiled || AStyle == bsTiledAndScrolled) &&
                         !ImageTransparent();
    if (!covered)
      GraphicInterface->FillRectAlpha(Canvas, TRect(0, 0, R.Width(), R.Height()), Color, OpacityToAlpha(Opacity));
  }
  if (!graphic || graphic->GetEmpty()) return;
  // Bitmaps are block-copied; a transparent one goes the graphic way, which keeps its transparent
  // pixels, so that the colour beneath shows through them.
  if (IsBitmap(graphic) && !graphic->GetTransparent() && !PrintSimulation && (AStyle != bsStretched || thumbnail)) {
    auto* bmp = static_cast<TBitmap*>(graphic);
    if (AStyle == bsStretched) {
      if (bmp->GetWidth() == Width && bmp->GetHeight() == Height) GraphicInterface->DrawBitmap(Canvas, -R.Left, -R.Top, bmp);
      else GraphicInterface->StretchDrawBitmap(Canvas, TRect(-R.Left, -R.Top, Width - R.Left, Height - R.Top), bmp);
      return;
    }
    const bool resized = bmp->GetWidth() != imgW || bmp->GetHeight() != imgH;
    ForEachPlacement(AStyle, R, Width, Height, imgW, imgH, HOffs, VOffs, false, [&](int x, int y) {
      if (resized)
        GraphicInterface->StretchDrawBitmap(Canvas, TRect(x - R.Left, y - R.Top, x - R.Left + imgW, y - R.Top + imgH), bmp);
      else GraphicInterface->DrawBitmap(Canvas, x - R.Left, y - R.Top, bmp);
    });
    return;
  }
  // The graphic path: the drawn graphic at its own size; errors of a graphic skip the placement.
  const int gw = graphic->GetWidth(), gh = graphic->GetHeight();
  std::unique_ptr<TBitmap> printCopy;
  TBitmap* printBitmap = nullptr;
  if (PrintSimulation) {
    try {
      printBitmap = BitmapForPrinting(graphic, printCopy);
    } catch (...) {
      RVRethrowUnlessDataError();
      return;
    }
  }
  auto place = [&](int x, int y) {
    try {
      if (printBitmap)
        DrawOrPrintGraphic(Canvas, x - R.Left, y - R.Top, GraphicInterface, false, printBitmap, nullptr, -1, -1);
      else GraphicInterface->DrawGraphic(Canvas, x - R.Left, y - R.Top, graphic);
    } catch (...) {
      RVRethrowUnlessDataError();
    }
  };
  if (AStyle == bsStretched) {
    try {
      if (printBitmap)
        DrawOrPrintGraphic(Canvas, -R.Left, -R.Top, GraphicInterface, false, printBitmap, nullptr, Height, Width);
      else GraphicInterface->StretchDrawGraphic(Canvas, TRect(-R.Left, -R.Top, Width - R.Left, Height - R.Top), graphic);
    } catch (...) {
      RVRethrowUnlessDataError();
    }
    return;
  }
  ForEachPlacement(AStyle, R, Width, Height, gw, gh, HOffs, VOffs, AStyle == bsTiled, place);
}

void TRVBackground::Print(TCanvas* Canvas, const TRect& ARect, const TRect& AFullRect, const TRVScreenAndDevice& SaD,
                          TColor Color, int Opacity, bool Printing, const TRVLogPalette*,
                          IRVBackgroundPage* PrintingRVData, int ItemBackgroundLayer,
                          TRVGraphicInterface* GraphicInterface, int PageNo, TRVColorMode) {
  const int state = GraphicInterface->SaveCanvasState(Canvas);
  TFinally restore([&] { GraphicInterface->RestoreCanvasState(Canvas, state); });
  const int offX = ARect.Left - AFullRect.Left, offY = ARect.Top - AFullRect.Top;
  GraphicInterface->MoveWindowOrgAdvanced(Canvas, ARect.Left, ARect.Top);
  const TRect R(0, 0, ARect.Width(), ARect.Height());
  const int fullW = AFullRect.Width(), fullH = AFullRect.Height();
  const bool transparentAllowed = PrintingRVData && PrintingRVData->AllowTransparentDrawing();

  // The image: a palette copy when there is one, else the holder's (never a thumbnail).
  TGraphic* image = nullptr;
  bool wasActive = false;
  if (ImageCopy && !FHasThumbnail) image = ImageCopy.get();
  else if (GraphicHolder) GraphicHolder->GetGraphicTemporary(image, wasActive);
  TFinally release([&] {
    if (GraphicHolder && !(ImageCopy && !FHasThumbnail)) GraphicHolder->FinalizeGetGraphicTemporary(wasActive);
  });
  const bool usable = image && !image->GetEmpty();
  const bool colorOpaque = Color != clNone && Opacity >= 100000;
  const int alpha = OpacityToAlpha(Opacity);

  // What lies behind a part of the area (device pixels, local) in a new bitmap of screen pixels.
  auto behind = [&](int x, int y, int w, int h) {
    auto bmp = std::make_unique<TBitmap>(std::max(1, DeviceToScreenX(w, SaD)), std::max(1, DeviceToScreenY(h, SaD)));
    if (PrintingRVData)
      PrintingRVData->DrawBackToBitmap(DeviceToScreenX(offX + x, SaD), DeviceToScreenY(offY + y, SaD), bmp.get(), SaD,
                                       ItemBackgroundLayer, true, true, PageNo);
    return bmp;
  };
  auto output = [&](int x, int y, TBitmap* bmp) {
    DrawOrPrintGraphic(Canvas, x, y, GraphicInterface, !Printing, bmp, &SaD, -1, -1);
  };

  // 1. Colour.
  if (Color != clNone && (!usable || Style == bsNoBitmap || IsCornerOrCentre(Style) || (!Printing && transparentAllowed))) {
    if (Opacity >= 100000) GraphicInterface->FillColorRect(Canvas, R, Color);
    else if (!Printing && transparentAllowed) GraphicInterface->FillRectAlpha(Canvas, R, Color, alpha);
    else {
      try {
        auto bmp = behind(0, 0, R.Width(), R.Height());
        GraphicInterface->FillRectAlpha(bmp->GetCanvas(), TRect(0, 0, bmp->GetWidth(), bmp->GetHeight()), Color, alpha);
        output(0, 0, bmp.get());
      } catch (...) {
        RVRethrowUnlessDataError();
        GraphicInterface->FillColorRect(Canvas, R, Color);
      }
    }
  }
  if (!usable || Style == bsNoBitmap) return;

  const int sw = image->GetWidth(), sh = image->GetHeight();
  const int iw = ScreenToDeviceX(sw, SaD), ih = ScreenToDeviceY(sh, SaD);
  // Placements of 4a and 4b (device pixels, local), with the corners of AFullRect as they are.
  auto forEach = [&](const std::function<void(int, int)>& place) {
    switch (Style) {
      case bsTiled:
      case bsTiledAndScrolled:
        if (iw > 0 && ih > 0)
          for (int y = (R.Top / ih) * ih; y < R.Bottom; y += ih)
            for (int x = (R.Left / iw) * iw; x < R.Right; x += iw) place(x, y);
        break;
      case bsCentered: place((fullW - iw) / 2, (fullH - ih) / 2); break;
      case bsTopLeft: place(AFullRect.Left, AFullRect.Top); break;
      case bsTopRight: place(AFullRect.Right - iw, AFullRect.Top); break;
      case bsBottomLeft: place(AFullRect.Left, AFullRect.Bottom - ih); break;
      case bsBottomRight: place(AFullRect.Right - iw, AFullRect.Bottom - ih); break;
      default: break;
    }
  };

  // 2a. Straight onto the canvas.
  if (!Printing && transparentAllowed) {
    GraphicInterface->IntersectClipRect(Canvas, 0, 0, fullW, fullH);
    try {
      if (Style == bsStretched) GraphicInterface->StretchDrawGraphic(Canvas, TRect(0, 0, fullW, fullH), image);
      else forEach([&](int x, int y) { GraphicInterface->StretchDrawGraphic(Canvas, TRect(x, y, x + iw, y + ih), image); });
    } catch (...) {
      RVRethrowUnlessDataError();
    }
    return;
  }

  // 2b. Composed in a bitmap of the image's own size.
  const bool transparent = GraphicHandler->IsTransparent(image);
  TBitmap tile(sw, sh);
  if (colorOpaque) GraphicInterface->FillColorRect(tile.GetCanvas(), TRect(0, 0, sw, sh), Color);
  if (!transparent || colorOpaque) {
    try {
      tile.GetCanvas()->Draw(0, 0, image);
    } catch (...) {
      RVRethrowUnlessDataError();
    }
  }
  const bool composeBehind = transparent && !colorOpaque;
  if (Style == bsStretched) {
    if (!composeBehind) {
      DrawOrPrintGraphic(Canvas, 0, 0, GraphicInterface, !Printing, &tile, nullptr, fullH, fullW);
      return;
    }
    auto bmp = behind(0, 0, fullW, fullH);
    if (Color != clNone)
      GraphicInterface->FillRectAlpha(bmp->GetCanvas(), TRect(0, 0, bmp->GetWidth(), bmp->GetHeight()), Color, alpha);
    try {
      bmp->GetCanvas()->StretchDraw(TRect(0, 0, bmp->GetWidth(), bmp->GetHeight()), image);
    } catch (...) {
      RVRethrowUnlessDataError();
    }
    output(0, 0, bmp.get());
    return;
  }
  forEach([&](int x, int y) {
    std::unique_ptr<TBitmap> composed;
    TBitmap* src = &tile;
    if (composeBehind) {
      composed = behind(x, y, iw, ih);
      if (Color != clNone)
        GraphicInterface->FillRectAlpha(composed->GetCanvas(), TRect(0, 0, composed->GetWidth(), composed->GetHeight()),
                                        Color, alpha);
      try {
        composed->GetCanvas()->Draw(0, 0, image);
      } catch (...) {
        RVRethrowUnlessDataError();
      }
      src = composed.get();
    }
    // A tile reaching past R is cut to its part inside R.
    const int l = std::max(x, static_cast<int>(R.Left)), t = std::max(y, static_cast<int>(R.Top));
    const int r = std::min(x + iw, static_cast<int>(R.Right)), b = std::min(y + ih, static_cast<int>(R.Bottom));
    if (l == x && t == y && r == x + iw && b == y + ih) {
      output(x, y, src);
      return;
    }
    const int pw = DeviceToScreenX(r - l, SaD), ph = DeviceToScreenY(b - t, SaD);
    if (pw < 1 || ph < 1) return;
    TBitmap part(pw, ph);
    const int sx = DeviceToScreenX(l - x, SaD), sy = DeviceToScreenY(t - y, SaD);
    part.GetCanvas()->CopyRect(TRect(0, 0, pw, ph), *src->GetCanvas(), TRect(sx, sy, sx + pw, sy + ph));
    output(l, t, &part);
  });
}
