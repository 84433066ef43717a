// The device behind a device context. The context keeps all GDI state (objects, mapping,
// transform, clip, colours, modes) and turns each drawing call into one of three requests to its
// back-end: a shape (filled and/or stroked outline), a text run, or an image transfer. Each request
// carries both what the caller asked for in logical units (so a metafile recorder can write the
// matching record) and the geometry already resolved (so a painter just paints). State changes
// and object selections are announced too, for recorders; painters may ignore them.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/DeviceContext.h"

class TFontInstance;  // FontEngine.h

// A 2-D affine transform in the XFORM layout, in double precision:
// x' = x*M11 + y*M21 + Dx, y' = x*M12 + y*M22 + Dy.
struct TGdiMatrix {
  double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
  static TGdiMatrix FromXForm(const XFORM& x) { return {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}; }
  // This transform, then t.
  TGdiMatrix Then(const TGdiMatrix& t) const {
    return {M11 * t.M11 + M12 * t.M21, M11 * t.M12 + M12 * t.M22,
            M21 * t.M11 + M22 * t.M21, M21 * t.M12 + M22 * t.M22,
            Dx * t.M11 + Dy * t.M21 + t.Dx, Dx * t.M12 + Dy * t.M22 + t.Dy};
  }
  bool IsIdentity() const { return M11 == 1 && M12 == 0 && M21 == 0 && M22 == 1 && Dx == 0 && Dy == 0; }
  void Map(double x, double y, double& ox, double& oy) const {
    ox = x * M11 + y * M21 + Dx;
    oy = x * M12 + y * M22 + Dy;
  }
};

// An outline in logical coordinates: figures of straight segments (curves already flattened
// finely enough for the device) with a closed flag each.
struct TGdiFigure {
  struct Pt { double X, Y; };
  std::vector<Pt> Points;
  bool Closed = false;
};
using TGdiOutline = std::vector<TGdiFigure>;

// Resolved pen and brush, as the painter needs them.
struct TPenInfo {
  UINT Style = PS_SOLID;  // PS_* style bits (type, cap, join, style)
  int Width = 0;          // logical units; 0 or 1 with a cosmetic pen means one device pixel
  COLORREF Color = 0;
  bool IsNull() const { return (Style & PS_STYLE_MASK) == PS_NULL; }
};

struct TBrushInfo {
  UINT Style = BS_SOLID;
  COLORREF Color = 0;
  int Hatch = 0;
  // BS_PATTERN: 8x8 pattern, each pixel 0x00RRGGBB; Mono means set/clear bits mapped to the
  // text and background colours at drawing time (then each entry is 1 or 0).
  std::vector<DWORD> Pattern;
  bool Mono = false;
  bool IsNull() const { return Style == BS_NULL; }
};

// Everything a back-end may read about the context when it serves a request. The clip is in
// device pixels; HasClip false means "no clip", an empty ClipRects list with HasClip means
// nothing is visible.
struct TDCState {
  int MapMode = MM_TEXT;
  TPoint WindowOrg, ViewportOrg;
  TSize WindowExt{1, 1}, ViewportExt{1, 1};
  int GraphicsMode = GM_COMPATIBLE;
  XFORM WorldTransform;
  TGdiMatrix LogicalToDevice;  // world, then window-to-viewport
  UINT TextAlign = 0;
  int BkMode = OPAQUE;
  COLORREF BkColor = 0xFFFFFF;
  COLORREF TextColor = 0;
  int Rop2 = R2_COPYPEN;
  int CharExtra = 0;
  int PolyFillMode = ALTERNATE;
  int StretchBltMode = BLACKONWHITE;
  TPoint BrushOrg;
  TPoint CurrentPos;
  HFONT Font = nullptr;
  HPEN Pen = nullptr;
  HBRUSH Brush = nullptr;
  HBITMAP Bitmap = nullptr;
  TPenInfo PenInfo;
  TBrushInfo BrushInfo;
  bool HasClip = false;
  std::vector<TRect> ClipRects;
  TRect ClipBounds;
  unsigned ClipSerial = 0;  // changes whenever the clip changes
  TSize DeviceSize;         // pixels of the surface
};

// A shape request. Kind and Args repeat the call (logical units) for recorders; Outline is the
// geometry to paint.
enum class TShapeKind {
  LineTo, Polyline, PolylineTo, PolyPolyline, Polygon, PolyPolygon, PolyBezier, PolyBezierTo,
  Rectangle, Ellipse, RoundRect, Arc, Pie, Chord, FillRect, FrameRect, InvertRect, FillRgn,
  PatBlt, FocusRect, SetPixel, FillPath, StrokePath, StrokeAndFillPath
};

struct TShapeRequest {
  TShapeKind Kind = TShapeKind::Polygon;
  std::vector<TPoint> Points;  // the call's points: corners, radial points, vertices
  std::vector<int> Counts;     // per polygon / polyline
  TGdiOutline Outline;
  bool Fill = false;    // fill Outline with the brush (FillBrush when set)
  bool Stroke = false;  // stroke Outline with the pen
  // Fill-only requests on an explicit brush (FillRect, FillRgn); otherwise the selected brush.
  const TBrushInfo* FillBrush = nullptr;
  DWORD Rop3 = PATCOPY;  // PatBlt; other fills paint with Rop2
  COLORREF PixelColor = 0;  // SetPixel
  // Fill/stroke in device pixels instead of logical units (regions and device rectangles).
  bool DeviceUnits = false;
  // Part of a path under construction: recorders record it, painters draw nothing.
  bool InPath = false;
};

// One positioned glyph of a text run: a glyph of a face of the font (0 = the font's own face,
// others fallback faces), placed relative to the run's origin in logical units.
struct TPlacedGlyph {
  int Face = 0;
  UINT Glyph = 0;
  double X = 0, Y = 0;
  bool Rotated = false;  // turned a quarter counter-clockwise (upright glyphs of a vertical face)
};

struct TTextRequest {
  // The call: reference point, options, rectangle, characters (or glyph indexes with
  // ETO_GLYPH_INDEX) and the advances (always present: the context fills them when the caller
  // gave none, as a metafile needs a full advance array).
  int X = 0, Y = 0;
  UINT Options = 0;
  bool HasRect = false;
  TRect Rect;
  std::u16string Text;
  std::vector<INT> Dx;
  // Resolved: the font, the baseline origin after alignment, and the glyphs.
  const TFontInstance* Font = nullptr;
  double OriginX = 0, OriginY = 0;  // logical
  double Width = 0;                 // logical advance of the whole run
  std::vector<TPlacedGlyph> Glyphs;
};

// A view of pixel memory: 24 (BGR) or 32 (BGRX/BGRA) bits per pixel, rows top to bottom.
struct TPixelView {
  const BYTE* Bits = nullptr;
  int Width = 0, Height = 0, Stride = 0, BitCount = 32;
  const BYTE* Row(int y) const { return Bits + static_cast<std::ptrdiff_t>(y) * Stride; }
};

enum class TImageKind { BitBlt, StretchBlt, StretchDIBits, AlphaBlend, TransparentBlt };

struct TImageRequest {
  TImageKind Kind = TImageKind::BitBlt;
  TRect Dest;  // logical
  TRect Src;   // source pixels
  bool HasSource = false;  // false: a pattern/constant ROP without a source
  TPixelView Source;       // valid during the call only
  DWORD Rop3 = SRCCOPY;
  BLENDFUNCTION Blend;
  UINT TransparentColor = 0;
  // StretchDIBits: the caller's header and bits, for recorders that keep the packed DIB.
  const BITMAPINFO* Dib = nullptr;
  const void* DibBits = nullptr;
};

enum class TDCChange {
  MapMode, WindowOrg, WindowExt, ViewportOrg, ViewportExt, GraphicsMode, WorldTransform,
  TextAlign, BkMode, BkColor, TextColor, Rop2, CharExtra, PolyFillMode, StretchBltMode, BrushOrg,
  Clip, MoveTo, BeginPath, EndPath, AbortPath, CloseFigure
};

// The three requests every back-end serves, declared once: by the interface with "= 0" and by
// each back-end (painter, recorder) with "override".
#define TAVRELO_DEVICE_REQUESTS(Spec)                                  \
  virtual void DrawShape(const TDCState& dc, const TShapeRequest& r) Spec; \
  virtual void DrawText(const TDCState& dc, const TTextRequest& r) Spec;   \
  virtual void DrawImage(const TDCState& dc, const TImageRequest& r) Spec;

class TDeviceBackend {
 public:
  virtual ~TDeviceBackend() = default;

  TAVRELO_DEVICE_REQUESTS(= 0)

  // Pixels of the device for reading back (source of a blit, GetPixel); null when the device
  // cannot be read (a recorder).
  virtual bool GetPixels(TPixelView& /*view*/) { return false; }
  // A memory context selected another bitmap; painters retarget, recorders ignore.
  virtual void BitmapSelected(HBITMAP /*bmp*/) {}
  // Notifications for recorders.
  virtual void StateChanged(const TDCState& /*dc*/, TDCChange /*what*/) {}
  virtual void ObjectSelected(const TDCState& /*dc*/, HGDIOBJ /*obj*/) {}
  virtual void ObjectDeleted(HGDIOBJ /*obj*/) {}
  virtual void Saved(const TDCState& /*dc*/) {}
  virtual void Restored(const TDCState& /*dc*/, int /*savedLevel*/) {}
  // The context is going away; flush anything pending.
  virtual void Finish() {}
};

// The painter back-end over a bitmap (memory contexts). Other painters (windows, printers) are
// made by the user-interface layer over their own paint devices.
std::unique_ptr<TDeviceBackend> CreateBitmapBackend();
