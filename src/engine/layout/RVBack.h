// The background of a document area: a colour given by the caller and an optional image, placed
// in one of nine ways. It paints itself on the screen (from the image, a palette copy or a
// thumbnail of the displayed size), prints itself on pages in device pixels, composing transparent
// images and semi-transparent colours with what the page shows behind them, and answers what
// scrolling and printing ask of it.
#pragma once

#include <memory>

#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVGraphicHolder.h"
#include "engine/layout/RVPalette.h"

class TCanvas;
class TGraphic;
class TBitmap;
class TCustomRVData;
class TRVGraphicInterface;

enum TBackgroundStyle {
  bsNoBitmap,          // colour only
  bsStretched,         // the image fills the area
  bsTiled,             // tiles from the area's origin
  bsTiledAndScrolled,  // tiles shifted by the scroll position
  bsCentered,
  bsTopLeft,
  bsTopRight,
  bsBottomLeft,
  bsBottomRight  // one image at that place, at its own size
};

// The style as tables and cells keep it.
enum TRVItemBackgroundStyle { rvbsColor, rvbsStretched, rvbsTiled, rvbsCentered };

// What printing a background asks of the page it lies on (the printable document).
class IRVBackgroundPage {
 public:
  // Whether semi-transparent colours and images may be drawn straight onto the page's canvas.
  virtual bool AllowTransparentDrawing() = 0;
  // Paints into Bitmap (screen pixels) what the page shows behind the point (Left, Top) of this
  // document's area (screen pixels): the page and the backgrounds below ItemBackgroundLayer.
  virtual void DrawBackToBitmap(int Left, int Top, TBitmap* Bitmap, const TRVScreenAndDevice& SaD,
                                int ItemBackgroundLayer, bool RelativeToItem, bool AllowBitmaps, int PageNo) = 0;

 protected:
  ~IRVBackgroundPage() = default;
};

class TRVBackground {
 public:
  // With CreateBitmap, a holder on Cache holding a new empty bitmap.
  TRVBackground(bool CreateBitmap, TRVGraphicCache* Cache);
  ~TRVBackground();
  TRVBackground(const TRVBackground&) = delete;
  TRVBackground& operator=(const TRVBackground&) = delete;

  TBackgroundStyle Style = bsNoBitmap;

  // The image (decoded when needed), null without one.
  TGraphic* GetBitmap();
  TGraphic* GetThumbnail() const { return ImageCopy.get(); }
  bool HasThumbnail() const { return FHasThumbnail; }
  TRVGraphicHolder* GetGraphicHolder() const { return GraphicHolder.get(); }
  TRVItemBackgroundStyle GetItemBackStyle() const;
  void SetItemBackStyle(TRVItemBackgroundStyle Value);

  // Scrolling cannot move the pixels: the image does not scroll with the document.
  bool ScrollRequiresFullRedraw();
  bool Empty();
  bool EmptyImage();
  bool Visible();
  // The image leaves part of the area uncovered or lets it show through.
  bool IsSemitransparent();

  void FreeImage();
  void FreeThumbnail();
  void UpdatePaletted(TRVPaletteAction PaletteAction, HPALETTE Palette, const TRVLogPalette* LogPalette);
  // Width x Height: the area the background fills, in screen pixels.
  void UpdateThumbnail(TCustomRVData* RVData, IRVThumbnailOwner* BackgroundOwner, int Width, int Height);
  // Copy: the background keeps a copy of AImage; otherwise it takes AImage over. Documents give
  // their palette (none on this platform's screens) to UpdatePaletted afterwards.
  void AssignImage(TGraphic* AImage, TCustomRVData* ARVData, bool Copy, IRVThumbnailOwner* BackgroundOwner);

  // Paints the part Rect of an area whose top-left corner is (Left, Top) and whose size is
  // Width x Height; HOffs and VOffs are the scroll position (bsTiledAndScrolled).
  void Draw(TCanvas* Canvas, const TRect& Rect, int HOffs, int VOffs, int Left, int Top, int Width, int Height,
            TColor Color, int Opacity, bool Clipping, bool PrintSimulation, TRVGraphicInterface* GraphicInterface,
            TCustomRVData* RVData, IRVThumbnailOwner* BackgroundOwner, bool AllowThumbnails);
  // Draw as a page shows it: a background that tiles with the scroll position is tiled from the
  // area's origin, without changing Style (a page never scrolls, and the document that owns the
  // background keeps its style).
  void DrawOnPage(TCanvas* Canvas, const TRect& Rect, int Width, int Height, TColor Color, int Opacity,
                  bool PrintSimulation, TRVGraphicInterface* GraphicInterface);
  // Paints the part ARect of an area AFullRect of a page, in device pixels.
  void Print(TCanvas* Canvas, const TRect& ARect, const TRect& AFullRect, const TRVScreenAndDevice& SaD, TColor Color,
             int Opacity, bool Printing, const TRVLogPalette* LogPalette, IRVBackgroundPage* PrintingRVData,
             int ItemBackgroundLayer, TRVGraphicInterface* GraphicInterface, int PageNo, TRVColorMode ColorMode);

 private:
  void DrawAs(TBackgroundStyle AStyle, TCanvas* Canvas, const TRect& Rect, int HOffs, int VOffs, int Left, int Top,
              int Width, int Height, TColor Color, int Opacity, bool Clipping, bool PrintSimulation,
              TRVGraphicInterface* GraphicInterface, TCustomRVData* RVData, IRVThumbnailOwner* BackgroundOwner,
              bool AllowThumbnails);
  bool ImageTransparent();

  std::unique_ptr<TGraphic> ImageCopy;  // a thumbnail (FHasThumbnail) or a copy for the palette
  bool FHasThumbnail = false;
  std::unique_ptr<TRVGraphicHolder> GraphicHolder;
};

// The style a page draws a background in: tiles that follow the scroll position tile from the
// area's origin instead.
TBackgroundStyle RVPageBackgroundStyle(TBackgroundStyle Style);
