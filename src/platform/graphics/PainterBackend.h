// The painting back-end: serves a context's requests with a painter on a raster surface. Bitmap
// contexts paint into the selected bitmap's own memory; windows and printers give their surface
// through Surface().
#pragma once

#include <QImage>
#include <QPainter>

#include <memory>

#include "platform/graphics/DeviceBackend.h"

class TPainterBackend : public TDeviceBackend {
 public:
  ~TPainterBackend() override;

  TAVRELO_DEVICE_REQUESTS(override)
  void Finish() override { End(); }

 protected:
  // The painter on the surface with the base transform set (device pixels, y down); null when
  // there is no surface.
  virtual QPainter* Painter() = 0;
  void End();
  // Vector devices (printers, PDF files) keep text as text: the glyphs of each run are drawn as
  // glyph runs of their font files, so that the output can be searched and copied. Raster
  // devices paint cached glyph images.
  virtual bool TextAsGlyphRuns() const { return false; }
  // Device pixel space of the surface to the painter's coordinates (a flip for bottom-up rows).
  QTransform FBase;
  std::unique_ptr<QPainter> FPainter;
  unsigned FClipSerial = ~0u;

 private:
  bool Prepare(const TDCState& dc);
  void StrokeOutline(QPainter& p, const TDCState& dc, const TGdiOutline& outline, bool deviceUnits);
  void FillOutline(QPainter& p, const TDCState& dc, const TGdiOutline& outline, const TBrushInfo& brush,
                   bool deviceUnits);
  void PlotPixels(QPainter& p, const TDCState& dc, const TGdiOutline& outline);
  void FocusRect(QPainter& p, const TDCState& dc, const TRect& r);
  bool DrawGlyphRuns(QPainter& p, const TFontInstance& f, const TTextRequest& r, COLORREF color);
};
