#include "platform/graphics/DeviceContext.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <type_traits>
#include <unordered_set>

#include "platform/graphics/GdiInternal.h"

// ---- handle registry ----------------------------------------------------------------------------

namespace {

std::recursive_mutex& RegistryLock() {
  static std::recursive_mutex m;
  return m;
}
std::unordered_set<TGdiObject*>& Objects() {
  static std::unordered_set<TGdiObject*> s;
  return s;
}
std::unordered_set<TDeviceContext*>& Contexts() {
  static std::unordered_set<TDeviceContext*> s;
  return s;
}

// Raised under the registry lock whenever an object (or a context) leaves the registry. A handle
// found in the registry while its count stood at some value still names the same live object as
// long as the count stands there, so each thread remembers its last few checked handles with that
// value and answers them again without the lock (measuring and drawing check a context on every
// call, from several threads). Apart, since formatting creates and deletes fonts all the time
// while its contexts live on.
std::atomic<std::uint64_t> ObjectRemovals{1}, ContextRemovals{1};

void NoteRemoval(std::atomic<std::uint64_t>& removals) { removals.fetch_add(1, std::memory_order_release); }

struct TCheckedHandles {
  static constexpr std::size_t Ways = 8;
  std::array<const void*, Ways> Handle{};
  std::array<std::uint64_t, Ways> Removals{};
  std::size_t Next = 0;

  bool Known(const void* h, std::uint64_t removals) const {
    for (std::size_t i = 0; i < Ways; ++i)
      if (Handle[i] == h && Removals[i] == removals) return true;
    return false;
  }
  void Remember(const void* h, std::uint64_t removals) {
    Handle[Next] = h;
    Removals[Next] = removals;
    Next = (Next + 1) % Ways;
  }
};

// Objects and contexts apart: a handle checked as one kind says nothing about the other.
thread_local TCheckedHandles CheckedObjects, CheckedContexts;

template <typename T>
T* Register(T* obj) {
  std::lock_guard lock(RegistryLock());
  Objects().insert(obj);
  return obj;
}

void Destroy(TGdiObject* obj) {
  {
    std::lock_guard lock(RegistryLock());
    Objects().erase(obj);
    NoteRemoval(ObjectRemovals);
  }
  delete obj;
}

void AddRef(HGDIOBJ h) {
  if (h) ++h->Refs;
}

void Release(HGDIOBJ h) {
  if (!h) return;
  if (--h->Refs <= 0 && h->DeletePending && !h->Stock) Destroy(h);
}

unsigned NextClipSerial() {
  static unsigned serial = 0;
  return ++serial;
}

constexpr COLORREF kSysColors[31] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000,
    0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
    0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF, 0x000000, 0xCC6600,
    0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0};

HGDIOBJ MakeStock(int index) {
  auto solidBrush = [](COLORREF c, UINT style = BS_SOLID) {
    auto* b = new TGdiBrush();
    b->Info.Style = style;
    b->Info.Color = c;
    return static_cast<TGdiObject*>(b);
  };
  auto pen = [](COLORREF c, UINT style = PS_SOLID) {
    auto* p = new TGdiPen();
    p->Info.Style = style;
    p->Info.Color = c;
    return static_cast<TGdiObject*>(p);
  };
  auto font = [](const char16_t* face, LONG height, LONG weight) {
    LOGFONTW lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::u16string f(face);
    std::copy(f.begin(), f.end(), lf.lfFaceName);
    return static_cast<TGdiObject*>(new TGdiFont(lf));
  };
  switch (index) {
    case WHITE_BRUSH: return solidBrush(0xFFFFFF);
    case LTGRAY_BRUSH: return solidBrush(0xC0C0C0);
    case GRAY_BRUSH: return solidBrush(0x808080);
    case DKGRAY_BRUSH: return solidBrush(0x404040);
    case BLACK_BRUSH: return solidBrush(0);
    case NULL_BRUSH: return solidBrush(0, BS_NULL);
    case DC_BRUSH: return solidBrush(0xFFFFFF);
    case WHITE_PEN: return pen(0xFFFFFF);
    case BLACK_PEN: return pen(0);
    case NULL_PEN: return pen(0, PS_NULL);
    case DC_PEN: return pen(0);
    case OEM_FIXED_FONT: case ANSI_FIXED_FONT: case SYSTEM_FIXED_FONT:
      return font(u"Courier New", 16, FW_NORMAL);
    case ANSI_VAR_FONT: case DEVICE_DEFAULT_FONT: case DEFAULT_GUI_FONT:
      return font(u"MS Shell Dlg", -11, FW_NORMAL);
    case SYSTEM_FONT: return font(u"System", 16, FW_BOLD);
    case DEFAULT_PALETTE: return new TGdiPalette();
    default: return nullptr;
  }
}

// A 1x1 bitmap that every new memory context holds.
HBITMAP StockBitmap() {
  static HBITMAP bmp = [] {
    auto* b = new TGdiBitmap();
    b->Width = b->Height = 1;
    b->Stride = 4;
    b->Memory.assign(4, 0);
    b->Stock = true;
    return Register(static_cast<TGdiObject*>(b));
  }();
  return bmp;
}

// Device coordinates far outside any surface (those of a damaged picture, mapped) are held where a
// difference of two still fits an int; a NaN becomes 0.
LONG Rnd(double v) {
  constexpr double Limit = 1 << 29;
  return v >= -Limit && v <= Limit ? static_cast<LONG>(std::floor(v + 0.5)) : v > 0 ? LONG(Limit) : v < 0 ? -LONG(Limit) : 0;
}

int RegionType(const QRegion& r) {
  if (r.isEmpty()) return NULLREGION;
  return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

TGdiObject* GdiLookup(HGDIOBJ h, DWORD type) {
  if (!h) return nullptr;
  if (!CheckedObjects.Known(h, ObjectRemovals.load(std::memory_order_acquire))) {
    std::lock_guard lock(RegistryLock());
    if (!Objects().count(h)) return nullptr;
    CheckedObjects.Remember(h, ObjectRemovals.load(std::memory_order_relaxed));
  }
  if (type && h->Type != type) return nullptr;
  return h;
}

TDeviceContext* DCLookup(HDC dc) {
  if (!dc) return nullptr;
  if (CheckedContexts.Known(dc, ContextRemovals.load(std::memory_order_acquire))) return dc;
  std::lock_guard lock(RegistryLock());
  if (!Contexts().count(dc)) return nullptr;
  CheckedContexts.Remember(dc, ContextRemovals.load(std::memory_order_relaxed));
  return dc;
}

const TFontInstance* TGdiFont::Instance() const {
  if (FTried.load(std::memory_order_acquire)) return FInstance.get();
  std::lock_guard lock(FontLock());
  if (!FTried.load(std::memory_order_relaxed)) {
    try {
      FInstance = TFontInstance::Get(Log);
    } catch (...) {
      FInstance.reset();
    }
    FTried.store(true, std::memory_order_release);
  }
  return FInstance.get();
}

HGDIOBJ GetStockObject(int index) {
  static std::array<HGDIOBJ, 20> stock{};
  static std::once_flag once;
  std::call_once(once, [] {
    for (int i = 0; i < 20; ++i)
      if (HGDIOBJ o = MakeStock(i)) {
        o->Stock = true;
        stock[static_cast<std::size_t>(i)] = Register(o);
      }
  });
  if (index < 0 || index >= 20) return nullptr;
  return stock[static_cast<std::size_t>(index)];
}

// ---- the context --------------------------------------------------------------------------------

TDeviceContext::TDeviceContext(std::unique_ptr<TDeviceBackend> backend, bool memory)
    : Backend(std::move(backend)), Memory(memory) {
  S.Font = GetStockObject(SYSTEM_FONT);
  S.Pen = GetStockObject(BLACK_PEN);
  S.Brush = GetStockObject(WHITE_BRUSH);
  S.PenInfo = GdiAs<TGdiPen>(S.Pen, OBJ_PEN)->Info;
  S.BrushInfo = GdiAs<TGdiBrush>(S.Brush, OBJ_BRUSH)->Info;
  AddRef(S.Font);
  AddRef(S.Pen);
  AddRef(S.Brush);
  if (memory) {
    S.Bitmap = StockBitmap();
    AddRef(S.Bitmap);
  }
  UpdateTransform();
  std::lock_guard lock(RegistryLock());
  Contexts().insert(this);
}

TDeviceContext::~TDeviceContext() {
  {
    std::lock_guard lock(RegistryLock());
    Contexts().erase(this);
    NoteRemoval(ContextRemovals);
  }
  if (Backend) Backend->Finish();
  Backend.reset();
  auto releaseState = [](TDCState& s) {
    Release(s.Font);
    Release(s.Pen);
    Release(s.Brush);
    if (s.Bitmap) {
      Release(s.Bitmap);
    }
  };
  if (auto* b = GdiAs<TGdiBitmap>(S.Bitmap, OBJ_BITMAP)) b->SelectedIn = nullptr;
  for (auto& sv : Saved) releaseState(sv.State);
  releaseState(S);
}

TSize TDeviceContext::SurfaceSize() const {
  if (Memory)
    if (auto* b = GdiAs<TGdiBitmap>(S.Bitmap, OBJ_BITMAP))
      return b->Scale == 1 ? TSize(b->Width, b->Height)
                           : TSize(static_cast<int>(b->Width / b->Scale), static_cast<int>(b->Height / b->Scale));
  return TSize(Width, Height);
}

double TDeviceContext::PixelScale() const {
  if (Memory)
    if (auto* b = GdiAs<TGdiBitmap>(S.Bitmap, OBJ_BITMAP)) return b->Scale;
  return 1;
}

const TFontInstance* TDeviceContext::Font() const {
  auto* f = SelectedFont();
  return f ? f->Instance() : nullptr;
}

// The context holds a reference to its selected font (selected or restored alike), so the font
// outlives its selection and needs no look-up.
TGdiFont* TDeviceContext::SelectedFont() const {
  return S.Font && S.Font->Type == OBJ_FONT ? static_cast<TGdiFont*>(S.Font) : nullptr;
}

void TDeviceContext::UpdateTransform() {
  double sx = 1, sy = 1;
  if (S.MapMode != MM_TEXT) {
    sx = S.WindowExt.cx ? static_cast<double>(S.ViewportExt.cx) / S.WindowExt.cx : 1;
    sy = S.WindowExt.cy ? static_cast<double>(S.ViewportExt.cy) / S.WindowExt.cy : 1;
  }
  TGdiMatrix page{sx, 0, 0, sy, S.ViewportOrg.X - S.WindowOrg.X * sx, S.ViewportOrg.Y - S.WindowOrg.Y * sy};
  TGdiMatrix world = S.GraphicsMode == GM_ADVANCED ? TGdiMatrix::FromXForm(S.WorldTransform) : TGdiMatrix{};
  S.LogicalToDevice = world.Then(page);
  S.DeviceSize = SurfaceSize();
}

void TDeviceContext::SetClip(const QRegion* r) {
  S.HasClip = r != nullptr;
  Clip = r ? *r : QRegion();
  S.ClipRects.clear();
  if (r)
    for (const QRect& q : *r) S.ClipRects.emplace_back(q.left(), q.top(), q.right() + 1, q.bottom() + 1);
  const QRect b = Clip.boundingRect();
  S.ClipBounds = r && !b.isEmpty() ? TRect(b.left(), b.top(), b.right() + 1, b.bottom() + 1) : TRect();
  S.ClipSerial = NextClipSerial();
  NotifyState(TDCChange::Clip);
}

double CurveTolerance(const TDeviceContext& dc) {
  const TGdiMatrix& m = dc.S.LogicalToDevice;
  const double scale = std::max(std::hypot(m.M11, m.M12), std::hypot(m.M21, m.M22));
  return scale > 0 ? 0.25 / scale : 0.25;
}

HDC CreateCompatibleDC(HDC dc) {
  TDeviceContext* ref = dc ? DCLookup(dc) : nullptr;
  if (dc && !ref) return nullptr;
  auto* c = new TDeviceContext(CreateBitmapBackend(), true);
  if (ref) {
    c->PpiX = ref->PpiX;
    c->PpiY = ref->PpiY;
  }
  c->Backend->BitmapSelected(c->S.Bitmap);
  c->UpdateTransform();
  return c;
}

BOOL DeleteDC(HDC dc) {
  TDeviceContext* c = DCLookup(dc);
  if (!c || c->Screen) return FALSE;
  delete c;
  return TRUE;
}

HDC GetDC(HWND wnd) {
  if (wnd) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  dc->Screen = true;
  dc->Memory = false;
  dc->Width = 1920;
  dc->Height = 1080;
  dc->UpdateTransform();
  return dc;
}

int ReleaseDC(HWND, HDC dc) {
  TDeviceContext* c = DCLookup(dc);
  if (!c || !c->Screen) return 0;
  delete c;
  return 1;
}

HDC CreateBackendDC(std::unique_ptr<TDeviceBackend> backend, int pixelsX, int pixelsY, int ppiX, int ppiY,
                    int technology) {
  if (!backend) return nullptr;
  auto* c = new TDeviceContext(std::move(backend), false);
  c->Width = std::max(pixelsX, 1);
  c->Height = std::max(pixelsY, 1);
  c->PpiX = ppiX > 0 ? ppiX : 96;
  c->PpiY = ppiY > 0 ? ppiY : 96;
  c->Technology = technology;
  c->UpdateTransform();
  return c;
}

TDeviceBackend* GetDCBackend(HDC dc) {
  TDeviceContext* c = DCLookup(dc);
  return c ? c->Backend.get() : nullptr;
}

void SetDeviceResolution(HDC dc, int ppiX, int ppiY) {
  if (TDeviceContext* c = DCLookup(dc)) {
    if (ppiX > 0) c->PpiX = ppiX;
    if (ppiY > 0) c->PpiY = ppiY;
  }
}

void SetDevicePhysicalPage(HDC dc, int width, int height, int offsetX, int offsetY) {
  if (TDeviceContext* c = DCLookup(dc)) {
    c->PhysWidth = width;
    c->PhysHeight = height;
    c->PhysOffsetX = offsetX;
    c->PhysOffsetY = offsetY;
  }
}

int GetDeviceCaps(HDC dc, int index) {
  TDeviceContext* c = DCLookup(dc);
  if (!c) return 0;
  const TSize sz = c->SurfaceSize();
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return c->Technology;
    case HORZSIZE: return static_cast<int>(std::lround(sz.cx * 25.4 / c->PpiX));
    case VERTSIZE: return static_cast<int>(std::lround(sz.cy * 25.4 / c->PpiY));
    case HORZRES: return sz.cx;
    case VERTRES: return sz.cy;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case RASTERCAPS:
      return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case ASPECTX: case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX: return c->PpiX;
    case LOGPIXELSY: return c->PpiY;
    case SIZEPALETTE: return 0;
    case COLORRES: return 24;
    case PHYSICALWIDTH: return c->PhysWidth;
    case PHYSICALHEIGHT: return c->PhysHeight;
    case PHYSICALOFFSETX: return c->PhysOffsetX;
    case PHYSICALOFFSETY: return c->PhysOffsetY;
    case SCALINGFACTORX: case SCALINGFACTORY: return 0;
    case SHADEBLENDCAPS: return 3;
    default: return 0;
  }
}

int SaveDC(HDC dc) {
  TDeviceContext* c = DCLookup(dc);
  if (!c) return 0;
  TSavedDC sv{c->S, c->Clip};
  AddRef(sv.State.Font);
  AddRef(sv.State.Pen);
  AddRef(sv.State.Brush);
  AddRef(sv.State.Bitmap);
  c->Saved.push_back(std::move(sv));
  if (c->Backend) c->Backend->Saved(c->S);
  return static_cast<int>(c->Saved.size());
}

BOOL RestoreDC(HDC dc, int saved) {
  TDeviceContext* c = DCLookup(dc);
  if (!c) return FALSE;
  const int depth = static_cast<int>(c->Saved.size());
  const int target = saved < 0 ? depth + saved + 1 : saved;
  if (saved == 0 || target < 1 || target > depth) return FALSE;
  while (static_cast<int>(c->Saved.size()) > target) {
    TSavedDC& top = c->Saved.back();
    Release(top.State.Font);
    Release(top.State.Pen);
    Release(top.State.Brush);
    Release(top.State.Bitmap);
    c->Saved.pop_back();
  }
  TSavedDC sv = std::move(c->Saved.back());
  c->Saved.pop_back();
  const HGDIOBJ oldObjs[4] = {c->S.Font, c->S.Pen, c->S.Brush, c->S.Bitmap};
  const HBITMAP oldBitmap = c->S.Bitmap;
  c->S = sv.State;
  c->Clip = sv.Clip;
  if (c->S.Bitmap != oldBitmap) {
    if (auto* b = GdiAs<TGdiBitmap>(oldBitmap, OBJ_BITMAP)) b->SelectedIn = nullptr;
    if (auto* b = GdiAs<TGdiBitmap>(c->S.Bitmap, OBJ_BITMAP)) b->SelectedIn = c;
    if (c->Backend) c->Backend->BitmapSelected(c->S.Bitmap);
  }
  // The saved state's references now belong to the current state.
  for (HGDIOBJ o : oldObjs) Release(o);
  c->UpdateTransform();
  if (c->Backend) c->Backend->Restored(c->S, target);
  return TRUE;
}

BOOL GdiFlush() { return TRUE; }

// ---- objects ------------------------------------------------------------------------------------

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
  TDeviceContext* c = DCLookup(dc);
  TGdiObject* o = GdiLookup(obj);
  if (!c || !o || o->DeletePending) return nullptr;
  HGDIOBJ* slot = nullptr;
  switch (o->Type) {
    case OBJ_FONT: slot = &c->S.Font; break;
    case OBJ_PEN: slot = &c->S.Pen; break;
    case OBJ_BRUSH: slot = &c->S.Brush; break;
    case OBJ_BITMAP: {
      if (!c->Memory) return nullptr;
      auto* b = static_cast<TGdiBitmap*>(o);
      if (b->SelectedIn && b->SelectedIn != c && !b->Stock) return nullptr;
      slot = &c->S.Bitmap;
      break;
    }
    case OBJ_REGION: {
      const int r = SelectClipRgn(dc, obj);
      return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(r));
    }
    case OBJ_PAL: return GetStockObject(DEFAULT_PALETTE);
    default: return nullptr;
  }
  HGDIOBJ old = *slot;
  if (old == obj) return old;
  AddRef(obj);
  *slot = obj;
  if (o->Type == OBJ_PEN) c->S.PenInfo = static_cast<TGdiPen*>(o)->Info;
  if (o->Type == OBJ_BRUSH) c->S.BrushInfo = static_cast<TGdiBrush*>(o)->Info;
  if (o->Type == OBJ_BITMAP) {
    if (auto* ob = GdiAs<TGdiBitmap>(old, OBJ_BITMAP)) ob->SelectedIn = nullptr;
    static_cast<TGdiBitmap*>(o)->SelectedIn = c;
    if (c->Backend) c->Backend->BitmapSelected(obj);
    c->UpdateTransform();
  }
  if (c->Backend) c->Backend->ObjectSelected(c->S, obj);
  // The previous object is returned to the caller; it may be freed once nothing refers to it.
  Release(old);
  return old;
}

BOOL DeleteObject(HGDIOBJ obj) {
  TGdiObject* o = GdiLookup(obj);
  if (!o || o->Type == OBJ_DC) return FALSE;
  if (o->Stock) return TRUE;
  if (o->DeletePending) return FALSE;
  {
    std::lock_guard lock(RegistryLock());
    for (TDeviceContext* c : Contexts())
      if (c->Backend) c->Backend->ObjectDeleted(obj);
  }
  if (o->Refs > 0) {
    o->DeletePending = true;
    return TRUE;
  }
  Destroy(o);
  return TRUE;
}

DWORD GetObjectType(HGDIOBJ obj) {
  if (DCLookup(reinterpret_cast<HDC>(obj))) return reinterpret_cast<TDeviceContext*>(obj)->Memory ? OBJ_MEMDC : OBJ_DC;
  TGdiObject* o = GdiLookup(obj);
  if (!o) return 0;
  if (o->Type == OBJ_PEN && static_cast<TGdiPen*>(o)->Ext) return OBJ_EXTPEN;
  return o->Type;
}

int GetObjectW(HGDIOBJ obj, int size, void* buffer) {
  TGdiObject* o = GdiLookup(obj);
  if (!o) return 0;
  auto out = [&](const void* data, int n) {
    if (!buffer) return n;
    if (size < n) n = size;
    if (n <= 0) return 0;
    std::memcpy(buffer, data, static_cast<std::size_t>(n));
    return n;
  };
  switch (o->Type) {
    case OBJ_FONT: return out(&static_cast<TGdiFont*>(o)->Log, sizeof(LOGFONTW));
    case OBJ_PEN: {
      const TPenInfo& i = static_cast<TGdiPen*>(o)->Info;
      LOGPEN lp{i.Style, TPoint(i.Width, 0), i.Color};
      return out(&lp, sizeof lp);
    }
    case OBJ_BRUSH: {
      const auto* b = static_cast<TGdiBrush*>(o);
      LOGBRUSH lb{b->Info.Style, b->Info.Color,
                  b->Info.Style == BS_PATTERN ? reinterpret_cast<std::uintptr_t>(b->PatternBitmap)
                                              : static_cast<std::uintptr_t>(b->Info.Hatch)};
      return out(&lb, sizeof lb);
    }
    case OBJ_BITMAP: {
      auto* b = static_cast<TGdiBitmap*>(o);
      DIBSECTION ds;
      ds.dsBm.bmWidth = b->Width;
      ds.dsBm.bmHeight = b->Height;
      ds.dsBm.bmWidthBytes = b->Stride;
      ds.dsBm.bmPlanes = 1;
      ds.dsBm.bmBitsPixel = static_cast<WORD>(b->BitCount);
      ds.dsBm.bmBits = b->IsDib ? b->Memory.data() : nullptr;
      if (b->IsDib && (!buffer || size >= static_cast<int>(sizeof(DIBSECTION)))) {
        ds.dsBmih.biWidth = b->Width;
        ds.dsBmih.biHeight = b->TopDown ? -b->Height : b->Height;
        ds.dsBmih.biBitCount = static_cast<WORD>(b->BitCount);
        ds.dsBmih.biSizeImage = static_cast<DWORD>(b->Stride * b->Height);
        return out(&ds, sizeof ds);
      }
      return out(&ds.dsBm, sizeof(BITMAP));
    }
    default: return 0;
  }
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  TDeviceContext* c = DCLookup(dc);
  if (!c) return nullptr;
  switch (type) {
    case OBJ_FONT: return c->S.Font;
    case OBJ_PEN: return c->S.Pen;
    case OBJ_BRUSH: return c->S.Brush;
    case OBJ_BITMAP: return c->S.Bitmap;
    case OBJ_PAL: return GetStockObject(DEFAULT_PALETTE);
    default: return nullptr;
  }
}

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  auto* f = new TGdiFont(*lf);
  // A face name that fills the whole field is cut so that it always ends.
  f->Log.lfFaceName[LF_FACESIZE - 1] = 0;
  return Register(static_cast<TGdiObject*>(f));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR face) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic != 0);
  lf.lfUnderline = static_cast<BYTE>(underline != 0);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  for (int i = 0; face && face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  return CreateFontIndirectW(&lf);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD, const DWORD*) {
  auto* p = new TGdiPen();
  p->Ext = true;
  p->Info.Style = style;
  p->Info.Width = static_cast<int>(std::min<DWORD>(width, 1u << 20));
  p->Info.Color = brush ? brush->lbColor : 0;
  if (brush && brush->lbStyle == BS_NULL) p->Info.Style = (style & ~PS_STYLE_MASK) | PS_NULL;
  return Register(static_cast<TGdiObject*>(p));
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < 0 || style > static_cast<int>(PS_INSIDEFRAME)) style = PS_SOLID;
  auto* p = new TGdiPen();
  p->Info.Style = static_cast<UINT>(style);
  // Wide pens are geometric with round ends and joins.
  if (width > 1) p->Info.Style |= PS_GEOMETRIC;
  p->Info.Width = std::clamp(width, 0, 1 << 20);
  p->Info.Color = color & 0xFFFFFF;
  return Register(static_cast<TGdiObject*>(p));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) return nullptr;
  return CreatePen(static_cast<int>(lp->lopnStyle), lp->lopnWidth.X, lp->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* b = new TGdiBrush();
  b->Info.Color = color & 0xFFFFFF;
  return Register(static_cast<TGdiObject*>(b));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  auto* b = new TGdiBrush();
  b->Info.Style = BS_HATCHED;
  b->Info.Hatch = hatch;
  b->Info.Color = color & 0xFFFFFF;
  return Register(static_cast<TGdiObject*>(b));
}

HBRUSH CreatePatternBrush(HBITMAP bmp) {
  auto* src = GdiAs<TGdiBitmap>(bmp, OBJ_BITMAP);
  if (!src || src->Width <= 0 || src->Height <= 0) return nullptr;
  auto* b = new TGdiBrush();
  b->Info.Style = BS_PATTERN;
  b->PatternBitmap = bmp;
  b->Info.Pattern.resize(64);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const BYTE* p = src->Row(y % src->Height) + (x % src->Width) * (src->BitCount / 8);
      b->Info.Pattern[static_cast<std::size_t>(y * 8 + x)] = RGB(p[2], p[1], p[0]);
    }
  return Register(static_cast<TGdiObject*>(b));
}

HBRUSH CreatePattern8x8Brush(const BYTE rows[8]) {
  if (!rows) return nullptr;
  auto* b = new TGdiBrush();
  b->Info.Style = BS_PATTERN;
  b->Info.Mono = true;
  b->Info.Pattern.resize(64);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      b->Info.Pattern[static_cast<std::size_t>(y * 8 + x)] = (rows[y] >> (7 - x)) & 1;
  return Register(static_cast<TGdiObject*>(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
    case BS_NULL: {
      auto* b = new TGdiBrush();
      b->Info.Style = BS_NULL;
      return Register(static_cast<TGdiObject*>(b));
    }
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    default: return nullptr;
  }
}

DWORD GetSysColor(int index) {
  if (index < 0 || index >= 31) return 0;
  return kSysColors[index];
}

HBRUSH GetSysColorBrush(int index) {
  static std::array<HBRUSH, 31> brushes{};
  if (index < 0 || index >= 31) return nullptr;
  HBRUSH& b = brushes[static_cast<std::size_t>(index)];
  if (!b) {
    b = CreateSolidBrush(kSysColors[index]);
    b->Stock = true;
  }
  return b;
}

// ---- bitmaps ------------------------------------------------------------------------------------

namespace {

HBITMAP NewBitmap(int w, int h, int bpp, bool topDown, bool dib) {
  if (w <= 0 || h <= 0 || (bpp != 24 && bpp != 32)) return nullptr;
  const std::int64_t stride = ((static_cast<std::int64_t>(w) * bpp + 31) / 32) * 4;
  if (stride * h > (std::int64_t(1) << 30)) return nullptr;
  auto* b = new TGdiBitmap();
  b->Width = w;
  b->Height = h;
  b->BitCount = bpp;
  b->Stride = static_cast<int>(stride);
  b->TopDown = topDown;
  b->IsDib = dib;
  try {
    b->Memory.assign(static_cast<std::size_t>(stride * h), 0);
  } catch (...) {
    delete b;
    return nullptr;
  }
  return Register(static_cast<TGdiObject*>(b));
}

}  // namespace

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT usage, void** bits, void*, DWORD) {
  if (bits) *bits = nullptr;
  if (!bmi || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 ||
      h.biHeight == std::numeric_limits<LONG>::min())
    return nullptr;
  if (!(h.biCompression == BI_RGB || (h.biCompression == BI_BITFIELDS && h.biBitCount == 32))) return nullptr;
  HBITMAP b = NewBitmap(h.biWidth, std::abs(h.biHeight), h.biBitCount, h.biHeight < 0, true);
  if (b && bits) *bits = static_cast<TGdiBitmap*>(b)->Memory.data();
  return b;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  TDeviceContext* c = dc ? DCLookup(dc) : nullptr;
  if (dc && !c) return nullptr;
  if (width <= 0 || height <= 0) width = height = 1;
  // A bitmap compatible with a finer surface (a window's on a scaled screen) is as fine.
  const double scale = c ? c->PixelScale() : 1;
  return scale == 1 ? NewBitmap(width, height, 32, true, false) : CreateScaledBitmap(width, height, scale);
}

HBITMAP CreateScaledBitmap(int width, int height, double scale) {
  if (!(scale >= 1 && scale <= 16)) scale = 1;
  if (width <= 0 || height <= 0) width = height = 1;
  HBITMAP b = NewBitmap(static_cast<int>(std::ceil(width * scale)), static_cast<int>(std::ceil(height * scale)), 32,
                        true, false);
  if (b) static_cast<TGdiBitmap*>(b)->Scale = scale;
  return b;
}

BYTE* GetBitmapScanLine(HBITMAP bmp, int y) {
  auto* b = GdiAs<TGdiBitmap>(bmp, OBJ_BITMAP);
  if (!b || y < 0 || y >= b->Height) return nullptr;
  return b->Row(y);
}

int GetBitmapStride(HBITMAP bmp) {
  auto* b = GdiAs<TGdiBitmap>(bmp, OBJ_BITMAP);
  return b ? b->Stride : 0;
}

bool SaveBitmapToPng(HBITMAP bmp, const std::string& fileName) {
  auto* b = GdiAs<TGdiBitmap>(bmp, OBJ_BITMAP);
  if (!b) return false;
  QImage img(b->Width, b->Height, QImage::Format_RGB32);
  for (int y = 0; y < b->Height; ++y) {
    const BYTE* src = b->Row(y);
    auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < b->Width; ++x) {
      const BYTE* p = src + x * (b->BitCount / 8);
      dst[x] = qRgb(p[2], p[1], p[0]);
    }
  }
  return img.save(QString::fromStdString(fileName), "PNG");
}

// ---- attributes ---------------------------------------------------------------------------------

#define DC_OR(fail)                 \
  TDeviceContext* c = DCLookup(dc); \
  if (!c) return fail

namespace {
// Stores one state field and tells the back-end; answers the old value.
template <typename T>
T SetState(TDeviceContext* c, T TDCState::*field, std::type_identity_t<T> value, TDCChange change) {
  const T old = c->S.*field;
  c->S.*field = value;
  c->NotifyState(change);
  return old;
}
}  // namespace

COLORREF SetTextColor(HDC dc, COLORREF color) {
  DC_OR(CLR_INVALID);
  return SetState(c, &TDCState::TextColor, color & 0xFFFFFF, TDCChange::TextColor);
}
COLORREF GetTextColor(HDC dc) {
  DC_OR(CLR_INVALID);
  return c->S.TextColor;
}
COLORREF SetBkColor(HDC dc, COLORREF color) {
  DC_OR(CLR_INVALID);
  return SetState(c, &TDCState::BkColor, color & 0xFFFFFF, TDCChange::BkColor);
}
COLORREF GetBkColor(HDC dc) {
  DC_OR(CLR_INVALID);
  return c->S.BkColor;
}
int SetBkMode(HDC dc, int mode) {
  DC_OR(0);
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return SetState(c, &TDCState::BkMode, mode, TDCChange::BkMode);
}
int GetBkMode(HDC dc) {
  DC_OR(0);
  return c->S.BkMode;
}
UINT SetTextAlign(HDC dc, UINT align) {
  DC_OR(GDI_ERROR);
  const UINT known = TA_UPDATECP | TA_CENTER | TA_BASELINE | TA_RTLREADING;
  return SetState(c, &TDCState::TextAlign, align & known, TDCChange::TextAlign);
}
UINT GetTextAlign(HDC dc) {
  DC_OR(GDI_ERROR);
  return c->S.TextAlign;
}
int SetTextCharacterExtra(HDC dc, int extra) {
  DC_OR(static_cast<int>(0x80000000u));
  return SetState(c, &TDCState::CharExtra, extra, TDCChange::CharExtra);
}
int GetTextCharacterExtra(HDC dc) {
  DC_OR(static_cast<int>(0x80000000u));
  return c->S.CharExtra;
}
int SetROP2(HDC dc, int rop2) {
  DC_OR(0);
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  return SetState(c, &TDCState::Rop2, rop2, TDCChange::Rop2);
}
int GetROP2(HDC dc) {
  DC_OR(0);
  return c->S.Rop2;
}
int SetPolyFillMode(HDC dc, int mode) {
  DC_OR(0);
  if (mode != ALTERNATE && mode != WINDING) return 0;
  return SetState(c, &TDCState::PolyFillMode, mode, TDCChange::PolyFillMode);
}
int GetPolyFillMode(HDC dc) {
  DC_OR(0);
  return c->S.PolyFillMode;
}
int SetStretchBltMode(HDC dc, int mode) {
  DC_OR(0);
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return SetState(c, &TDCState::StretchBltMode, mode, TDCChange::StretchBltMode);
}
int GetStretchBltMode(HDC dc) {
  DC_OR(0);
  return c->S.StretchBltMode;
}
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* old) {
  DC_OR(FALSE);
  if (old) *old = c->S.BrushOrg;
  c->S.BrushOrg = TPoint(x, y);
  c->NotifyState(TDCChange::BrushOrg);
  return TRUE;
}
BOOL GetBrushOrgEx(HDC dc, POINT* pt) {
  DC_OR(FALSE);
  if (pt) *pt = c->S.BrushOrg;
  return TRUE;
}
COLORREF SetDCBrushColor(HDC dc, COLORREF color) {
  DC_OR(CLR_INVALID);
  COLORREF old = c->DCBrushColor;
  c->DCBrushColor = color & 0xFFFFFF;
  if (c->S.Brush == GetStockObject(DC_BRUSH)) c->S.BrushInfo.Color = c->DCBrushColor;
  return old;
}
COLORREF SetDCPenColor(HDC dc, COLORREF color) {
  DC_OR(CLR_INVALID);
  COLORREF old = c->DCPenColor;
  c->DCPenColor = color & 0xFFFFFF;
  if (c->S.Pen == GetStockObject(DC_PEN)) c->S.PenInfo.Color = c->DCPenColor;
  return old;
}
HPALETTE SelectPalette(HDC dc, HPALETTE, BOOL) {
  DC_OR(nullptr);
  return GetStockObject(DEFAULT_PALETTE);
}
UINT RealizePalette(HDC dc) {
  DC_OR(GDI_ERROR);
  return 0;
}

// ---- coordinate spaces --------------------------------------------------------------------------

int SetMapMode(HDC dc, int mode) {
  DC_OR(0);
  if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
  const int old = c->S.MapMode;
  c->S.MapMode = mode;
  int upi = 0;
  switch (mode) {
    case MM_TEXT: c->S.WindowExt = TSize(1, 1); c->S.ViewportExt = TSize(1, 1); break;
    case MM_LOMETRIC: upi = 254; break;
    case MM_HIMETRIC: upi = 2540; break;
    case MM_LOENGLISH: upi = 100; break;
    case MM_HIENGLISH: upi = 1000; break;
    case MM_TWIPS: upi = 1440; break;
    default: break;
  }
  if (upi) {
    c->S.WindowExt = TSize(upi, upi);
    c->S.ViewportExt = TSize(c->PpiX, -c->PpiY);
  }
  c->UpdateTransform();
  c->NotifyState(TDCChange::MapMode);
  return old;
}
int GetMapMode(HDC dc) {
  DC_OR(0);
  return c->S.MapMode;
}

namespace {
void AdjustIsotropic(TDeviceContext* c) {
  if (c->S.MapMode != MM_ISOTROPIC || !c->S.WindowExt.cx || !c->S.WindowExt.cy) return;
  const double sx = std::abs(static_cast<double>(c->S.ViewportExt.cx) / c->S.WindowExt.cx);
  const double sy = std::abs(static_cast<double>(c->S.ViewportExt.cy) / c->S.WindowExt.cy);
  if (sx < sy)
    c->S.ViewportExt.cy = static_cast<LONG>(std::lround(std::copysign(sx * std::abs(c->S.WindowExt.cy), c->S.ViewportExt.cy)));
  else if (sy < sx)
    c->S.ViewportExt.cx = static_cast<LONG>(std::lround(std::copysign(sy * std::abs(c->S.WindowExt.cx), c->S.ViewportExt.cx)));
}

BOOL SetOrigin(TDeviceContext* c, TPoint TDCState::*org, TDCChange change, int x, int y, POINT* old) {
  if (old) *old = c->S.*org;
  c->S.*org = TPoint(x, y);
  c->UpdateTransform();
  c->NotifyState(change);
  return TRUE;
}

// Extents count only in the two scalable mapping modes; zero is refused.
BOOL SetExtent(TDeviceContext* c, TSize TDCState::*ext, TDCChange change, int x, int y, SIZE* old) {
  if (old) *old = c->S.*ext;
  if (c->S.MapMode != MM_ISOTROPIC && c->S.MapMode != MM_ANISOTROPIC) return TRUE;
  if (x == 0 || y == 0) return FALSE;
  c->S.*ext = TSize(x, y);
  AdjustIsotropic(c);
  c->UpdateTransform();
  c->NotifyState(change);
  return TRUE;
}
}  // namespace

BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old) {
  DC_OR(FALSE);
  return SetOrigin(c, &TDCState::WindowOrg, TDCChange::WindowOrg, x, y, old);
}
BOOL GetWindowOrgEx(HDC dc, POINT* pt) {
  DC_OR(FALSE);
  if (pt) *pt = c->S.WindowOrg;
  return TRUE;
}
BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* old) {
  DC_OR(FALSE);
  return SetExtent(c, &TDCState::WindowExt, TDCChange::WindowExt, x, y, old);
}
BOOL GetWindowExtEx(HDC dc, SIZE* sz) {
  DC_OR(FALSE);
  if (sz) *sz = c->S.WindowExt;
  return TRUE;
}
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old) {
  DC_OR(FALSE);
  return SetOrigin(c, &TDCState::ViewportOrg, TDCChange::ViewportOrg, x, y, old);
}
BOOL GetViewportOrgEx(HDC dc, POINT* pt) {
  DC_OR(FALSE);
  if (pt) *pt = c->S.ViewportOrg;
  return TRUE;
}
BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* old) {
  DC_OR(FALSE);
  return SetExtent(c, &TDCState::ViewportExt, TDCChange::ViewportExt, x, y, old);
}
BOOL GetViewportExtEx(HDC dc, SIZE* sz) {
  DC_OR(FALSE);
  if (sz) *sz = c->S.ViewportExt;
  return TRUE;
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old) {
  DC_OR(FALSE);
  return SetViewportOrgEx(dc, c->S.ViewportOrg.X + dx, c->S.ViewportOrg.Y + dy, old);
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old) {
  DC_OR(FALSE);
  return SetWindowOrgEx(dc, c->S.WindowOrg.X + dx, c->S.WindowOrg.Y + dy, old);
}

int SetGraphicsMode(HDC dc, int mode) {
  DC_OR(0);
  if (mode != GM_COMPATIBLE && mode != GM_ADVANCED) return 0;
  // Back to the compatible mode only with an identity world transform.
  if (mode == GM_COMPATIBLE && c->S.GraphicsMode == GM_ADVANCED && !(c->S.WorldTransform == XFORM{}))
    return 0;
  const int old = c->S.GraphicsMode;
  c->S.GraphicsMode = mode;
  c->UpdateTransform();
  c->NotifyState(TDCChange::GraphicsMode);
  return old;
}
int GetGraphicsMode(HDC dc) {
  DC_OR(0);
  return c->S.GraphicsMode;
}

namespace {
bool Invertible(const XFORM& x) {
  const double det = static_cast<double>(x.eM11) * x.eM22 - static_cast<double>(x.eM12) * x.eM21;
  return std::isfinite(det) && det != 0 && std::isfinite(x.eDx) && std::isfinite(x.eDy);
}
XFORM ToXForm(const TGdiMatrix& m) {
  return XFORM{static_cast<float>(m.M11), static_cast<float>(m.M12), static_cast<float>(m.M21),
               static_cast<float>(m.M22), static_cast<float>(m.Dx), static_cast<float>(m.Dy)};
}
}  // namespace

BOOL SetWorldTransform(HDC dc, const XFORM* xf) {
  DC_OR(FALSE);
  if (!xf || c->S.GraphicsMode != GM_ADVANCED || !Invertible(*xf)) return FALSE;
  c->S.WorldTransform = *xf;
  c->UpdateTransform();
  c->NotifyState(TDCChange::WorldTransform);
  return TRUE;
}

BOOL ModifyWorldTransform(HDC dc, const XFORM* xf, DWORD mode) {
  DC_OR(FALSE);
  if (c->S.GraphicsMode != GM_ADVANCED) return FALSE;
  XFORM result;
  const TGdiMatrix cur = TGdiMatrix::FromXForm(c->S.WorldTransform);
  switch (mode) {
    case MWT_IDENTITY: result = XFORM{}; break;
    case MWT_LEFTMULTIPLY:
      if (!xf) return FALSE;
      result = ToXForm(TGdiMatrix::FromXForm(*xf).Then(cur));
      break;
    case MWT_RIGHTMULTIPLY:
      if (!xf) return FALSE;
      result = ToXForm(cur.Then(TGdiMatrix::FromXForm(*xf)));
      break;
    default: return FALSE;
  }
  if (!Invertible(result)) return FALSE;
  c->S.WorldTransform = result;
  c->UpdateTransform();
  c->NotifyState(TDCChange::WorldTransform);
  return TRUE;
}

BOOL GetWorldTransform(HDC dc, XFORM* xf) {
  DC_OR(FALSE);
  if (!xf) return FALSE;
  *xf = c->S.WorldTransform;
  return TRUE;
}

BOOL CombineTransform(XFORM* out, const XFORM* a, const XFORM* b) {
  if (!out || !a || !b) return FALSE;
  *out = ToXForm(TGdiMatrix::FromXForm(*a).Then(TGdiMatrix::FromXForm(*b)));
  return TRUE;
}

BOOL LPtoDP(HDC dc, POINT* pts, int count) {
  DC_OR(FALSE);
  if (count < 0 || (count > 0 && !pts)) return FALSE;
  for (int i = 0; i < count; ++i) {
    double x, y;
    c->S.LogicalToDevice.Map(pts[i].X, pts[i].Y, x, y);
    pts[i] = TPoint(Rnd(x), Rnd(y));
  }
  return TRUE;
}

BOOL DPtoLP(HDC dc, POINT* pts, int count) {
  DC_OR(FALSE);
  if (count < 0 || (count > 0 && !pts)) return FALSE;
  const TGdiMatrix& m = c->S.LogicalToDevice;
  const double det = m.M11 * m.M22 - m.M12 * m.M21;
  if (det == 0) return FALSE;
  for (int i = 0; i < count; ++i) {
    const double x = pts[i].X - m.Dx, y = pts[i].Y - m.Dy;
    pts[i] = TPoint(Rnd((x * m.M22 - y * m.M21) / det), Rnd((y * m.M11 - x * m.M12) / det));
  }
  return TRUE;
}

// ---- regions ------------------------------------------------------------------------------------

namespace {
HRGN NewRegion(const QRegion& r) {
  auto* g = new TGdiRegion();
  g->Rgn = r;
  return Register(static_cast<TGdiObject*>(g));
}
QRect NormRect(int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  return QRect(l, t, r - l, b - t);
}
}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) { return NewRegion(QRegion(NormRect(left, top, right, bottom))); }
HRGN CreateRectRgnIndirect(const RECT* r) { return r ? CreateRectRgn(r->Left, r->Top, r->Right, r->Bottom) : nullptr; }
HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  const QRect r = NormRect(left, top, right, bottom);
  return NewRegion(r.isEmpty() ? QRegion() : QRegion(r, QRegion::Ellipse));
}
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int w, int h) {
  const QRect r = NormRect(left, top, right, bottom);
  if (r.isEmpty()) return NewRegion(QRegion());
  QPainterPath p;
  p.addRoundedRect(QRectF(r), std::abs(w) / 2.0, std::abs(h) / 2.0);
  return NewRegion(QRegion(p.toFillPolygon().toPolygon()));
}
HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
  if (!pts || count < 0) return nullptr;
  QPolygon poly;
  for (int i = 0; i < count; ++i) poly << QPoint(pts[i].X, pts[i].Y);
  if (count < 3) return NewRegion(QRegion());
  return NewRegion(QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  auto* d = GdiAs<TGdiRegion>(dest, OBJ_REGION);
  auto* a = GdiAs<TGdiRegion>(src1, OBJ_REGION);
  auto* b = GdiAs<TGdiRegion>(src2, OBJ_REGION);
  if (!d || !a || (mode != RGN_COPY && !b)) return ERROR;
  switch (mode) {
    case RGN_AND: d->Rgn = a->Rgn.intersected(b->Rgn); break;
    case RGN_OR: d->Rgn = a->Rgn.united(b->Rgn); break;
    case RGN_XOR: d->Rgn = a->Rgn.xored(b->Rgn); break;
    case RGN_DIFF: d->Rgn = a->Rgn.subtracted(b->Rgn); break;
    case RGN_COPY: d->Rgn = a->Rgn; break;
    default: return ERROR;
  }
  return RegionType(d->Rgn);
}
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  auto* g = GdiAs<TGdiRegion>(rgn, OBJ_REGION);
  if (!g) return FALSE;
  g->Rgn = QRegion(NormRect(left, top, right, bottom));
  return TRUE;
}
int OffsetRgn(HRGN rgn, int dx, int dy) {
  auto* g = GdiAs<TGdiRegion>(rgn, OBJ_REGION);
  if (!g) return ERROR;
  g->Rgn.translate(dx, dy);
  return RegionType(g->Rgn);
}
int GetRgnBox(HRGN rgn, RECT* r) {
  auto* g = GdiAs<TGdiRegion>(rgn, OBJ_REGION);
  if (!g || !r) return ERROR;
  const QRect b = g->Rgn.boundingRect();
  *r = g->Rgn.isEmpty() ? TRect() : TRect(b.left(), b.top(), b.right() + 1, b.bottom() + 1);
  return RegionType(g->Rgn);
}
BOOL PtInRegion(HRGN rgn, int x, int y) {
  auto* g = GdiAs<TGdiRegion>(rgn, OBJ_REGION);
  return g && g->Rgn.contains(QPoint(x, y)) ? TRUE : FALSE;
}
BOOL RectInRegion(HRGN rgn, const RECT* r) {
  auto* g = GdiAs<TGdiRegion>(rgn, OBJ_REGION);
  return g && r && g->Rgn.intersects(NormRect(r->Left, r->Top, r->Right, r->Bottom)) ? TRUE : FALSE;
}
BOOL EqualRgn(HRGN a, HRGN b) {
  auto* x = GdiAs<TGdiRegion>(a, OBJ_REGION);
  auto* y = GdiAs<TGdiRegion>(b, OBJ_REGION);
  return x && y && x->Rgn == y->Rgn ? TRUE : FALSE;
}

int SelectClipRgn(HDC dc, HRGN rgn) { return ExtSelectClipRgn(dc, rgn, RGN_COPY); }

int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode) {
  DC_OR(ERROR);
  auto* g = GdiAs<TGdiRegion>(rgn, OBJ_REGION);
  if (!g) {
    if (rgn || mode != RGN_COPY) return ERROR;
    c->SetClip(nullptr);
    return SIMPLEREGION;
  }
  QRegion r;
  const QRegion surface(QRect(0, 0, c->SurfaceSize().cx, c->SurfaceSize().cy));
  const QRegion cur = c->S.HasClip ? c->Clip : surface;
  switch (mode) {
    case RGN_COPY: r = g->Rgn; break;
    case RGN_AND: r = cur.intersected(g->Rgn); break;
    case RGN_OR: r = cur.united(g->Rgn); break;
    case RGN_XOR: r = cur.xored(g->Rgn); break;
    case RGN_DIFF: r = cur.subtracted(g->Rgn); break;
    default: return ERROR;
  }
  c->SetClip(&r);
  return RegionType(r);
}

int GetClipRgn(HDC dc, HRGN rgn) {
  DC_OR(-1);
  auto* g = GdiAs<TGdiRegion>(rgn, OBJ_REGION);
  if (!g) return -1;
  if (!c->S.HasClip) return 0;
  g->Rgn = c->Clip;
  return 1;
}

namespace {
// A logical rectangle as a device region (a polygon under rotation or shear).
QRegion DeviceRegionOf(const TDeviceContext* c, int l, int t, int r, int b) {
  const TGdiMatrix& m = c->S.LogicalToDevice;
  if (m.M12 == 0 && m.M21 == 0) {
    double x1, y1, x2, y2;
    m.Map(l, t, x1, y1);
    m.Map(r, b, x2, y2);
    return QRegion(NormRect(Rnd(x1), Rnd(y1), Rnd(x2), Rnd(y2)));
  }
  QPolygon poly;
  const int xs[4] = {l, r, r, l}, ys[4] = {t, t, b, b};
  for (int i = 0; i < 4; ++i) {
    double x, y;
    m.Map(xs[i], ys[i], x, y);
    poly << QPoint(Rnd(x), Rnd(y));
  }
  return QRegion(poly);
}
}  // namespace

int GetClipBox(HDC dc, RECT* r) {
  DC_OR(ERROR);
  if (!r) return ERROR;
  QRect b = c->S.HasClip ? c->Clip.boundingRect() : QRect(0, 0, c->SurfaceSize().cx, c->SurfaceSize().cy);
  TPoint pts[2] = {TPoint(b.left(), b.top()), TPoint(b.right() + 1, b.bottom() + 1)};
  if (c->S.HasClip && c->Clip.isEmpty()) pts[0] = pts[1] = TPoint();
  DPtoLP(dc, pts, 2);
  *r = TRect(std::min(pts[0].X, pts[1].X), std::min(pts[0].Y, pts[1].Y), std::max(pts[0].X, pts[1].X),
             std::max(pts[0].Y, pts[1].Y));
  return c->S.HasClip ? RegionType(c->Clip) : SIMPLEREGION;
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  DC_OR(ERROR);
  QRegion r = DeviceRegionOf(c, left, top, right, bottom);
  if (c->S.HasClip) r = c->Clip.intersected(r);
  c->SetClip(&r);
  return RegionType(r);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  DC_OR(ERROR);
  const QRegion base = c->S.HasClip ? c->Clip : QRegion(QRect(0, 0, c->SurfaceSize().cx, c->SurfaceSize().cy));
  QRegion r = base.subtracted(DeviceRegionOf(c, left, top, right, bottom));
  c->SetClip(&r);
  return RegionType(r);
}

int OffsetClipRgn(HDC dc, int dx, int dy) {
  DC_OR(ERROR);
  if (!c->S.HasClip) return SIMPLEREGION;
  QRegion r = c->Clip.translated(dx, dy);
  c->SetClip(&r);
  return RegionType(r);
}

BOOL PtVisible(HDC dc, int x, int y) {
  DC_OR(FALSE);
  if (!c->S.HasClip) return TRUE;
  double dx, dy;
  c->S.LogicalToDevice.Map(x, y, dx, dy);
  return c->Clip.contains(QPoint(Rnd(dx), Rnd(dy))) ? TRUE : FALSE;
}

BOOL RectVisible(HDC dc, const RECT* r) {
  DC_OR(FALSE);
  if (!r) return FALSE;
  if (!c->S.HasClip) return TRUE;
  return c->Clip.intersects(DeviceRegionOf(c, r->Left, r->Top, r->Right, r->Bottom)) ? TRUE : FALSE;
}
