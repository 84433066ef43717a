// Inside of the device-context layer: the objects behind the handles and the context itself.
// Only the graphics platform code includes this.
#pragma once

#include <QImage>
#include <QRegion>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/graphics/DeviceBackend.h"
#include "platform/graphics/FontEngine.h"

class TGdiObject {
 public:
  explicit TGdiObject(DWORD type) : Type(type) {}
  virtual ~TGdiObject() = default;
  const DWORD Type;
  bool Stock = false;
  bool DeletePending = false;
  std::atomic<int> Refs{0};  // references from contexts (selected or saved), on any thread
};

class TGdiFont : public TGdiObject {
 public:
  explicit TGdiFont(const LOGFONTW& lf) : TGdiObject(OBJ_FONT), Log(lf) {}
  LOGFONTW Log;
  // Realised on first use; null when no face could be found.
  const TFontInstance* Instance() const;
  std::shared_ptr<const TFontInstance> Shared() const {
    Instance();
    return FInstance;
  }

 private:
  mutable std::shared_ptr<const TFontInstance> FInstance;
  // Set once FInstance is final. Stock fonts are shared by contexts on several threads; a flag
  // read before the font lock keeps the lock (and any system call) off every later use.
  mutable std::atomic<bool> FTried{false};
};

class TGdiPen : public TGdiObject {
 public:
  TGdiPen() : TGdiObject(OBJ_PEN) {}
  TPenInfo Info;
  bool Ext = false;
};

class TGdiBrush : public TGdiObject {
 public:
  TGdiBrush() : TGdiObject(OBJ_BRUSH) {}
  TBrushInfo Info;
  HBITMAP PatternBitmap = nullptr;  // reported by GetObject only
};

class TGdiBitmap : public TGdiObject {
 public:
  TGdiBitmap() : TGdiObject(OBJ_BITMAP) {}
  int Width = 0, Height = 0, BitCount = 32, Stride = 0;
  // Pixels per device unit: above 1 for a window's surface on a screen whose pixels are finer
  // than the units the program draws in. Width and Height count pixels.
  double Scale = 1;
  bool TopDown = true;
  bool IsDib = false;
  std::vector<BYTE> Memory;
  TDeviceContext* SelectedIn = nullptr;
  BYTE* Row(int y) {  // y = 0 is the top row
    const int r = TopDown ? y : Height - 1 - y;
    return Memory.data() + static_cast<std::ptrdiff_t>(r) * Stride;
  }
  TPixelView View() {
    TPixelView v;
    v.Width = Width;
    v.Height = Height;
    v.BitCount = BitCount;
    if (Height > 0) {
      v.Bits = Row(0);
      v.Stride = TopDown ? Stride : -Stride;
    }
    return v;
  }
};

class TGdiRegion : public TGdiObject {
 public:
  TGdiRegion() : TGdiObject(OBJ_REGION) {}
  QRegion Rgn;
};

class TGdiPalette : public TGdiObject {
 public:
  TGdiPalette() : TGdiObject(OBJ_PAL) {}
};

// Everything SaveDC keeps.
struct TSavedDC {
  TDCState State;
  QRegion Clip;
};

class TDeviceContext {
 public:
  TDeviceContext(std::unique_ptr<TDeviceBackend> backend, bool memory);
  ~TDeviceContext();

  TDCState S;
  QRegion Clip;  // device pixels, valid when S.HasClip
  std::unique_ptr<TDeviceBackend> Backend;
  bool Memory = false;
  bool Screen = false;
  int Technology = DT_RASDISPLAY;
  int PpiX = 96, PpiY = 96;
  int Width = 1, Height = 1;
  int PhysWidth = 0, PhysHeight = 0, PhysOffsetX = 0, PhysOffsetY = 0;
  std::vector<TSavedDC> Saved;
  COLORREF DCBrushColor = 0xFFFFFF, DCPenColor = 0;
  // Path under construction / finished.
  bool PathOpen = false, PathDone = false;
  TGdiOutline Path;

  void UpdateTransform();
  void SetClip(const QRegion* r);  // null: no clip
  void NotifyState(TDCChange what) {
    if (Backend) Backend->StateChanged(S, what);
  }
  TSize SurfaceSize() const;
  // Pixels per device unit of the selected bitmap (1 for every other surface).
  double PixelScale() const;
  const TFontInstance* Font() const;
  TGdiFont* SelectedFont() const;
};

// Handle checks: the object when h names a live object of that type (type 0: any), else null.
TGdiObject* GdiLookup(HGDIOBJ h, DWORD type = 0);
TDeviceContext* DCLookup(HDC dc);
template <typename T>
T* GdiAs(HGDIOBJ h, DWORD type) {
  return static_cast<T*>(GdiLookup(h, type));
}
// Sets the run's width and its baseline origin from the reference point (req.X, req.Y) and the
// context's text alignment.
void PlaceTextRun(const TDeviceContext& dc, double width, TTextRequest& req);
// Flattening tolerance for curves, in logical units, for the context's scale.
double CurveTolerance(const TDeviceContext& dc);
