#include "platform/graphics/EmfRecorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/ImageCodecs.h"

// ---- TEmfWriter -----------------------------------------------------------------------------------

namespace {
constexpr std::size_t HeaderSize = 108;
}

TEmfWriter::TEmfWriter() : FData(HeaderSize, '\0') {}

void TEmfWriter::Put32(std::string& s, std::uint32_t v) { PutLE32(s, v); }
void TEmfWriter::Put16(std::string& s, std::uint32_t v) { PutLE16(s, v); }
void TEmfWriter::PutRect(std::string& s, const TRect& r) {
  PutLE32(s, static_cast<std::uint32_t>(r.Left));
  PutLE32(s, static_cast<std::uint32_t>(r.Top));
  PutLE32(s, static_cast<std::uint32_t>(r.Right));
  PutLE32(s, static_cast<std::uint32_t>(r.Bottom));
}
void TEmfWriter::PutFloat(std::string& s, float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  PutLE32(s, v);
}

void TEmfWriter::Add(DWORD type, const std::string& payload) {
  const std::size_t padded = (payload.size() + 3) & ~std::size_t(3);
  PutLE32(FData, type);
  PutLE32(FData, static_cast<std::uint32_t>(8 + padded));
  FData += payload;
  FData.append(padded - payload.size(), '\0');
  ++FRecords;
}

void TEmfWriter::AddBounds(const TRect& r) {
  if (r.Right < r.Left || r.Bottom < r.Top) return;
  if (!FHasBounds) {
    FBounds = r;
    FHasBounds = true;
    return;
  }
  FBounds.Left = std::min(FBounds.Left, r.Left);
  FBounds.Top = std::min(FBounds.Top, r.Top);
  FBounds.Right = std::max(FBounds.Right, r.Right);
  FBounds.Bottom = std::max(FBounds.Bottom, r.Bottom);
}

std::string TEmfWriter::Finish(const TRect& frame, TSize device, TSize mm, int handles,
                               const std::u16string& description) {
  // EMR_EOF: no palette entries, offset to them, and the record size again.
  std::string eof;
  PutLE32(eof, 0);
  PutLE32(eof, 16);
  PutLE32(eof, 20);
  Add(EMR_EOF, eof);
  // The description as given, ended by a null (it normally ends with the null that follows the
  // second string's own).
  std::string desc;
  for (char16_t c : description) PutLE16(desc, c);
  const bool addNull = !description.empty() && description.back() != u'\0';
  if (addNull) PutLE16(desc, 0);
  const std::size_t chars = description.size() + (addNull ? 1 : 0);
  const std::size_t descPadded = (desc.size() + 3) & ~std::size_t(3);
  desc.append(descPadded - desc.size(), '\0');
  std::string h;
  PutLE32(h, EMR_HEADER);
  PutLE32(h, static_cast<std::uint32_t>(HeaderSize + desc.size()));
  PutRect(h, FHasBounds ? FBounds : TRect(0, 0, -1, -1));
  PutRect(h, frame);
  PutLE32(h, ENHMETA_SIGNATURE);
  PutLE32(h, 0x10000);
  PutLE32(h, static_cast<std::uint32_t>(FData.size() + desc.size()));
  PutLE32(h, static_cast<std::uint32_t>(FRecords + 1));
  PutLE16(h, static_cast<std::uint32_t>(std::max(handles, 1)));
  PutLE16(h, 0);
  PutLE32(h, static_cast<std::uint32_t>(chars));
  PutLE32(h, description.empty() ? 0 : static_cast<std::uint32_t>(HeaderSize));
  PutLE32(h, 0);
  PutLE32(h, static_cast<std::uint32_t>(device.cx));
  PutLE32(h, static_cast<std::uint32_t>(device.cy));
  PutLE32(h, static_cast<std::uint32_t>(mm.cx));
  PutLE32(h, static_cast<std::uint32_t>(mm.cy));
  PutLE32(h, 0);  // no pixel format
  PutLE32(h, 0);
  PutLE32(h, 0);  // no OpenGL records
  PutLE32(h, static_cast<std::uint32_t>(mm.cx * 1000));
  PutLE32(h, static_cast<std::uint32_t>(mm.cy * 1000));
  std::string out = h + desc;
  out.append(FData, HeaderSize, std::string::npos);
  return out;
}

// ---- TEmfRecorder ---------------------------------------------------------------------------------

namespace {

using W = TEmfWriter;

std::string PointBytes(LONG x, LONG y) {
  std::string s;
  W::Put32(s, static_cast<std::uint32_t>(x));
  W::Put32(s, static_cast<std::uint32_t>(y));
  return s;
}

std::string U32(std::uint32_t v) {
  std::string s;
  W::Put32(s, v);
  return s;
}

bool Fits16(const std::vector<TPoint>& pts) {
  return std::all_of(pts.begin(), pts.end(), [](const TPoint& p) {
    return p.X >= -32768 && p.X <= 32767 && p.Y >= -32768 && p.Y <= 32767;
  });
}

// Points as 16-bit pairs when small, else 32-bit pairs.
void PutPoints(std::string& s, const std::vector<TPoint>& pts, bool small) {
  for (const TPoint& p : pts) {
    if (small) {
      W::Put16(s, static_cast<std::uint16_t>(p.X));
      W::Put16(s, static_cast<std::uint16_t>(p.Y));
    } else {
      s += PointBytes(p.X, p.Y);
    }
  }
}

int StockIndex(HGDIOBJ obj) {
  for (int i = 0; i <= DC_PEN; ++i)
    if (i != 9 && GetStockObject(i) == obj) return i;
  return -1;
}

}  // namespace

TEmfRecorder::TEmfRecorder(TSize deviceSize, int ppiX, int ppiY, const TRect* frame, std::u16string description)
    : FSlots(1), FDevice(deviceSize), FPpiX(ppiX > 0 ? ppiX : 96), FPpiY(ppiY > 0 ? ppiY : 96),
      FHasFrame(frame != nullptr), FFrame(frame ? *frame : TRect()), FDescription(std::move(description)) {}

TEmfRecorder::~TEmfRecorder() = default;

int TEmfRecorder::SlotOf(HGDIOBJ obj) const {
  for (std::size_t i = 1; i < FSlots.size(); ++i)
    if (FSlots[i].Obj == obj) return static_cast<int>(i);
  return 0;
}

int TEmfRecorder::NewSlot() {
  for (std::size_t i = 1; i < FSlots.size(); ++i)
    if (!FSlots[i].Obj && FSlots[i].Create.empty()) return static_cast<int>(i);
  FSlots.emplace_back();
  FMaxSlot = std::max(FMaxSlot, static_cast<int>(FSlots.size()) - 1);
  return static_cast<int>(FSlots.size()) - 1;
}

void TEmfRecorder::SelectSlot(int slot) { FWriter.Add(EMR_SELECTOBJECT, U32(static_cast<std::uint32_t>(slot))); }

void TEmfRecorder::DeleteSlot(int slot) {
  FWriter.Add(EMR_DELETEOBJECT, U32(static_cast<std::uint32_t>(slot)));
  FSlots[static_cast<std::size_t>(slot)] = TSlot{};
}

bool TEmfRecorder::Select(const TDCState& dc, HGDIOBJ obj) {
  if (!obj) return false;
  const int stock = StockIndex(obj);
  if (stock >= 0) {
    FWriter.Add(EMR_SELECTOBJECT, U32(0x80000000u | static_cast<std::uint32_t>(stock)));
    return true;
  }
  DWORD type = 0;
  std::string create;
  const DWORD kind = GetObjectType(obj);
  if (kind == OBJ_PEN || kind == OBJ_EXTPEN) {
    LOGPEN lp;
    if (!GetObjectW(obj, sizeof lp, &lp)) return false;
    type = EMR_CREATEPEN;
    W::Put32(create, lp.lopnStyle);
    create += PointBytes(lp.lopnWidth.X, 0);
    W::Put32(create, lp.lopnColor);
  } else if (kind == OBJ_BRUSH) {
    LOGBRUSH lb;
    if (!GetObjectW(obj, sizeof lb, &lb)) return false;
    if ((lb.lbStyle == BS_PATTERN || lb.lbStyle == BS_DIBPATTERN || lb.lbStyle == BS_DIBPATTERNPT) &&
        dc.BrushInfo.Pattern.size() == 64) {
      // The 8x8 pattern as a 32-bit DIB.
      type = EMR_CREATEDIBPATTERNBRUSHPT;
      std::string bmi;
      W::Put32(bmi, 40);
      W::Put32(bmi, 8);
      W::Put32(bmi, static_cast<std::uint32_t>(-8));
      W::Put16(bmi, 1);
      W::Put16(bmi, 32);
      for (int i = 0; i < 6; ++i) W::Put32(bmi, 0);
      std::string bits;
      for (DWORD c : dc.BrushInfo.Pattern) {
        const DWORD rgb = dc.BrushInfo.Mono ? (c ? dc.BkColor : dc.TextColor) : c;
        // 0x00BBGGRR into B, G, R, 0.
        W::Put32(bits, ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
      }
      W::Put32(create, DIB_RGB_COLORS);
      W::Put32(create, 32);
      W::Put32(create, static_cast<std::uint32_t>(bmi.size()));
      W::Put32(create, static_cast<std::uint32_t>(32 + bmi.size()));
      W::Put32(create, static_cast<std::uint32_t>(bits.size()));
      create += bmi + bits;
    } else {
      type = EMR_CREATEBRUSHINDIRECT;
      W::Put32(create, lb.lbStyle == BS_HATCHED || lb.lbStyle == BS_NULL ? lb.lbStyle : BS_SOLID);
      W::Put32(create, lb.lbColor);
      W::Put32(create, static_cast<std::uint32_t>(lb.lbHatch));
    }
  } else if (kind == OBJ_FONT) {
    LOGFONTW lf;
    if (!GetObjectW(obj, sizeof lf, &lf)) return false;
    type = EMR_EXTCREATEFONTINDIRECTW;
    for (LONG v : {lf.lfHeight, lf.lfWidth, lf.lfEscapement, lf.lfOrientation, lf.lfWeight})
      W::Put32(create, static_cast<std::uint32_t>(v));
    for (BYTE b : {lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut, lf.lfCharSet, lf.lfOutPrecision,
                   lf.lfClipPrecision, lf.lfQuality, lf.lfPitchAndFamily})
      create.push_back(static_cast<char>(b));
    for (int i = 0; i < LF_FACESIZE; ++i) W::Put16(create, lf.lfFaceName[i]);
  } else {
    return false;  // bitmaps, regions and palettes are not metafile objects
  }
  int slot = SlotOf(obj);
  if (slot && FSlots[static_cast<std::size_t>(slot)].Create != create) {
    // The handle was reused for another object: forget the old one.
    DeleteSlot(slot);
    slot = 0;
  }
  if (!slot) {
    slot = NewSlot();
    FSlots[static_cast<std::size_t>(slot)] = TSlot{obj, create};
    std::string payload = U32(static_cast<std::uint32_t>(slot));
    FWriter.Add(type, payload + create);
  }
  SelectSlot(slot);
  return true;
}

int TEmfRecorder::TempBrush(const TBrushInfo& b) {
  const int slot = NewSlot();
  std::string create;
  W::Put32(create, b.Style == BS_HATCHED || b.Style == BS_NULL ? b.Style : BS_SOLID);
  W::Put32(create, b.Color);
  W::Put32(create, static_cast<std::uint32_t>(b.Hatch));
  FSlots[static_cast<std::size_t>(slot)] = TSlot{nullptr, create};
  FWriter.Add(EMR_CREATEBRUSHINDIRECT, U32(static_cast<std::uint32_t>(slot)) + create);
  SelectSlot(slot);
  return slot;
}

void TEmfRecorder::ObjectSelected(const TDCState& dc, HGDIOBJ obj) {
  if (!FClosed) Select(dc, obj);
}

void TEmfRecorder::ObjectDeleted(HGDIOBJ obj) {
  if (FClosed || !obj) return;
  if (const int slot = SlotOf(obj)) DeleteSlot(slot);
}

void TEmfRecorder::Saved(const TDCState&) {
  if (FClosed) return;
  ++FDepth;
  FWriter.Add(EMR_SAVEDC, {});
}

void TEmfRecorder::Restored(const TDCState&, int savedLevel) {
  if (FClosed) return;
  const int rel = savedLevel < 0 ? savedLevel : savedLevel - FDepth - 1;
  if (rel >= 0 || FDepth + rel < 0) return;
  FDepth += rel;
  FWriter.Add(EMR_RESTOREDC, U32(static_cast<std::uint32_t>(rel)));
}

void TEmfRecorder::StateChanged(const TDCState& dc, TDCChange what) {
  if (FClosed) return;
  switch (what) {
    case TDCChange::MapMode: FWriter.Add(EMR_SETMAPMODE, U32(static_cast<std::uint32_t>(dc.MapMode))); break;
    case TDCChange::WindowOrg: FWriter.Add(EMR_SETWINDOWORGEX, PointBytes(dc.WindowOrg.X, dc.WindowOrg.Y)); break;
    case TDCChange::WindowExt: FWriter.Add(EMR_SETWINDOWEXTEX, PointBytes(dc.WindowExt.cx, dc.WindowExt.cy)); break;
    case TDCChange::ViewportOrg: FWriter.Add(EMR_SETVIEWPORTORGEX, PointBytes(dc.ViewportOrg.X, dc.ViewportOrg.Y)); break;
    case TDCChange::ViewportExt: FWriter.Add(EMR_SETVIEWPORTEXTEX, PointBytes(dc.ViewportExt.cx, dc.ViewportExt.cy)); break;
    case TDCChange::WorldTransform: {
      std::string s;
      const XFORM& x = dc.WorldTransform;
      for (float f : {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}) W::PutFloat(s, f);
      FWriter.Add(EMR_SETWORLDTRANSFORM, s);
      break;
    }
    case TDCChange::TextAlign: FWriter.Add(EMR_SETTEXTALIGN, U32(dc.TextAlign)); break;
    case TDCChange::BkMode: FWriter.Add(EMR_SETBKMODE, U32(static_cast<std::uint32_t>(dc.BkMode))); break;
    case TDCChange::BkColor: FWriter.Add(EMR_SETBKCOLOR, U32(dc.BkColor)); break;
    case TDCChange::TextColor: FWriter.Add(EMR_SETTEXTCOLOR, U32(dc.TextColor)); break;
    case TDCChange::Rop2: FWriter.Add(EMR_SETROP2, U32(static_cast<std::uint32_t>(dc.Rop2))); break;
    case TDCChange::PolyFillMode: FWriter.Add(EMR_SETPOLYFILLMODE, U32(static_cast<std::uint32_t>(dc.PolyFillMode))); break;
    case TDCChange::StretchBltMode:
      FWriter.Add(EMR_SETSTRETCHBLTMODE, U32(static_cast<std::uint32_t>(dc.StretchBltMode)));
      break;
    case TDCChange::BrushOrg: FWriter.Add(EMR_SETBRUSHORGEX, PointBytes(dc.BrushOrg.X, dc.BrushOrg.Y)); break;
    case TDCChange::MoveTo: FWriter.Add(EMR_MOVETOEX, PointBytes(dc.CurrentPos.X, dc.CurrentPos.Y)); break;
    case TDCChange::BeginPath: FWriter.Add(EMR_BEGINPATH, {}); break;
    case TDCChange::EndPath: FWriter.Add(EMR_ENDPATH, {}); break;
    case TDCChange::AbortPath: FWriter.Add(EMR_ABORTPATH, {}); break;
    case TDCChange::CloseFigure: FWriter.Add(EMR_CLOSEFIGURE, {}); break;
    case TDCChange::Clip: {
      // The clip as it now is, in device pixels: a region of rectangles, or none.
      std::string s;
      if (!dc.HasClip) {
        W::Put32(s, 0);
        W::Put32(s, RGN_COPY);
      } else {
        std::string rgn;
        W::Put32(rgn, 32);
        W::Put32(rgn, 1);  // rectangles
        W::Put32(rgn, static_cast<std::uint32_t>(dc.ClipRects.size()));
        W::Put32(rgn, static_cast<std::uint32_t>(dc.ClipRects.size() * 16));
        W::PutRect(rgn, dc.ClipRects.empty() ? TRect() : dc.ClipBounds);
        for (const TRect& r : dc.ClipRects) W::PutRect(rgn, r);
        W::Put32(s, static_cast<std::uint32_t>(rgn.size()));
        W::Put32(s, RGN_COPY);
        s += rgn;
      }
      FWriter.Add(EMR_EXTSELECTCLIPRGN, s);
      break;
    }
    default:
      break;  // graphics mode and character extra have no record: drawing carries them
  }
}

void TEmfRecorder::Bounds(const TDCState& dc, double x0, double y0, double x1, double y1, double extra, TRect& out) {
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (const auto& [x, y] : {std::pair{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}}) {
    double dx, dy;
    dc.LogicalToDevice.Map(x, y, dx, dy);
    minX = std::min(minX, dx);
    minY = std::min(minY, dy);
    maxX = std::max(maxX, dx);
    maxY = std::max(maxY, dy);
  }
  out = TRect(static_cast<LONG>(std::floor(minX - extra)), static_cast<LONG>(std::floor(minY - extra)),
              static_cast<LONG>(std::ceil(maxX + extra)) - 1, static_cast<LONG>(std::ceil(maxY + extra)) - 1);
  if (out.Right < out.Left) out.Right = out.Left;
  if (out.Bottom < out.Top) out.Bottom = out.Top;
}

void TEmfRecorder::AddRecord(DWORD type, const TRect& bounds, const std::string& rest) {
  std::string s;
  W::PutRect(s, bounds);
  FWriter.Add(type, s + rest);
  FWriter.AddBounds(bounds);
}

void TEmfRecorder::PatBltRecord(const TDCState& dc, const TRect& r, DWORD rop) {
  TRect b;
  Bounds(dc, r.Left, r.Top, r.Right, r.Bottom, 0, b);
  std::string s;
  W::PutRect(s, b);
  W::Put32(s, static_cast<std::uint32_t>(r.Left));
  W::Put32(s, static_cast<std::uint32_t>(r.Top));
  W::Put32(s, static_cast<std::uint32_t>(r.Width()));
  W::Put32(s, static_cast<std::uint32_t>(r.Height()));
  W::Put32(s, rop);
  W::Put32(s, 0);
  W::Put32(s, 0);
  for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) W::PutFloat(s, f);
  for (int i = 0; i < 6; ++i) W::Put32(s, 0);  // no source bitmap
  FWriter.Add(EMR_BITBLT, s);
  FWriter.AddBounds(b);
}

void TEmfRecorder::ShapePoints(DWORD type16, DWORD type32, const TDCState&, const std::vector<TPoint>& pts,
                               const TRect& b) {
  std::string s;
  W::PutRect(s, b);
  W::Put32(s, static_cast<std::uint32_t>(pts.size()));
  const bool small = Fits16(pts);
  PutPoints(s, pts, small);
  FWriter.Add(small ? type16 : type32, s);
  FWriter.AddBounds(b);
}

void TEmfRecorder::DrawShape(const TDCState& dc, const TShapeRequest& r) {
  if (FClosed) return;
  // Device bounds of the outline, widened by the pen.
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (const auto& fig : r.Outline)
    for (const auto& p : fig.Points) {
      minX = std::min(minX, p.X);
      minY = std::min(minY, p.Y);
      maxX = std::max(maxX, p.X);
      maxY = std::max(maxY, p.Y);
    }
  for (const TPoint& p : r.Points) {
    minX = std::min(minX, double(p.X));
    minY = std::min(minY, double(p.Y));
    maxX = std::max(maxX, double(p.X));
    maxY = std::max(maxY, double(p.Y));
  }
  if (minX > maxX) minX = maxX = minY = maxY = 0;
  TRect b;
  const double pen = r.Stroke && !dc.PenInfo.IsNull() ? std::max(1, dc.PenInfo.Width) / 2.0 + 1 : 0;
  if (r.DeviceUnits) {
    b = TRect(static_cast<LONG>(std::floor(minX)), static_cast<LONG>(std::floor(minY)),
              static_cast<LONG>(std::ceil(maxX)) - 1, static_cast<LONG>(std::ceil(maxY)) - 1);
  } else {
    Bounds(dc, minX, minY, maxX, maxY, pen, b);
  }
  const auto& P = r.Points;
  auto rectOf = [&](std::size_t i) { return TRect(P[i].X, P[i].Y, P[i + 1].X, P[i + 1].Y); };
  switch (r.Kind) {
    case TShapeKind::LineTo:
      if (!P.empty()) FWriter.Add(EMR_LINETO, PointBytes(P.back().X, P.back().Y));
      FWriter.AddBounds(b);
      return;
    case TShapeKind::Polyline: ShapePoints(EMR_POLYLINE16, EMR_POLYLINE, dc, P, b); return;
    case TShapeKind::PolylineTo: ShapePoints(EMR_POLYLINETO16, EMR_POLYLINETO, dc, P, b); return;
    case TShapeKind::Polygon: ShapePoints(EMR_POLYGON16, EMR_POLYGON, dc, P, b); return;
    case TShapeKind::PolyBezier: ShapePoints(EMR_POLYBEZIER16, EMR_POLYBEZIER, dc, P, b); return;
    case TShapeKind::PolyBezierTo: ShapePoints(EMR_POLYBEZIERTO16, EMR_POLYBEZIERTO, dc, P, b); return;
    case TShapeKind::PolyPolyline:
    case TShapeKind::PolyPolygon: {
      const bool gon = r.Kind == TShapeKind::PolyPolygon;
      const bool small = Fits16(P);
      std::string s;
      W::PutRect(s, b);
      W::Put32(s, static_cast<std::uint32_t>(r.Counts.size()));
      W::Put32(s, static_cast<std::uint32_t>(P.size()));
      for (int c : r.Counts) W::Put32(s, static_cast<std::uint32_t>(c));
      PutPoints(s, P, small);
      FWriter.Add(gon ? (small ? EMR_POLYPOLYGON16 : EMR_POLYPOLYGON) : (small ? EMR_POLYPOLYLINE16 : EMR_POLYPOLYLINE), s);
      FWriter.AddBounds(b);
      return;
    }
    case TShapeKind::Rectangle:
    case TShapeKind::Ellipse:
      if (P.size() >= 2) {
        std::string s;
        W::PutRect(s, rectOf(0));
        FWriter.Add(r.Kind == TShapeKind::Rectangle ? EMR_RECTANGLE : EMR_ELLIPSE, s);
        FWriter.AddBounds(b);
      }
      return;
    case TShapeKind::RoundRect:
      if (P.size() >= 3) {
        std::string s;
        W::PutRect(s, rectOf(0));
        s += PointBytes(P[2].X, P[2].Y);
        FWriter.Add(EMR_ROUNDRECT, s);
        FWriter.AddBounds(b);
      }
      return;
    case TShapeKind::Arc:
    case TShapeKind::Pie:
    case TShapeKind::Chord:
      if (P.size() >= 4) {
        std::string s;
        W::PutRect(s, rectOf(0));
        s += PointBytes(P[2].X, P[2].Y) + PointBytes(P[3].X, P[3].Y);
        FWriter.Add(r.Kind == TShapeKind::Arc ? EMR_ARC : r.Kind == TShapeKind::Pie ? EMR_PIE : EMR_CHORD, s);
        FWriter.AddBounds(b);
      }
      return;
    case TShapeKind::SetPixel:
      if (!P.empty()) {
        FWriter.Add(EMR_SETPIXELV, PointBytes(P[0].X, P[0].Y) + U32(r.PixelColor));
        FWriter.AddBounds(b);
      }
      return;
    case TShapeKind::FillPath: AddRecord(EMR_FILLPATH, b, {}); return;
    case TShapeKind::StrokePath: AddRecord(EMR_STROKEPATH, b, {}); return;
    case TShapeKind::StrokeAndFillPath: AddRecord(EMR_STROKEANDFILLPATH, b, {}); return;
    case TShapeKind::FocusRect:
      return;  // focus feedback is never part of a picture
    default:
      break;
  }
  // Fills of rectangles and regions: each figure's box as a pattern block transfer, with an
  // explicit brush selected for the time of the fill.
  const DWORD rop = r.Kind == TShapeKind::InvertRect ? DSTINVERT : r.Kind == TShapeKind::PatBlt ? r.Rop3 : PATCOPY;
  int temp = 0;
  if (r.FillBrush && rop != DSTINVERT) temp = TempBrush(*r.FillBrush);
  auto toLogical = [&](double x, double y, double& lx, double& ly) {
    if (!r.DeviceUnits) {
      lx = x;
      ly = y;
      return;
    }
    const TGdiMatrix& m = dc.LogicalToDevice;
    const double det = m.M11 * m.M22 - m.M12 * m.M21;
    if (det == 0) {
      lx = x;
      ly = y;
      return;
    }
    const double px = x - m.Dx, py = y - m.Dy;
    lx = (px * m.M22 - py * m.M21) / det;
    ly = (py * m.M11 - px * m.M12) / det;
  };
  if ((r.Kind == TShapeKind::FillRect || r.Kind == TShapeKind::PatBlt || r.Kind == TShapeKind::InvertRect) &&
      P.size() >= 2 && !r.DeviceUnits) {
    PatBltRecord(dc, rectOf(0), rop);
  } else {
    for (const auto& fig : r.Outline) {
      if (fig.Points.empty()) continue;
      double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
      for (const auto& p : fig.Points) {
        double lx, ly;
        toLogical(p.X, p.Y, lx, ly);
        x0 = std::min(x0, lx);
        y0 = std::min(y0, ly);
        x1 = std::max(x1, lx);
        y1 = std::max(y1, ly);
      }
      PatBltRecord(dc, TRect(static_cast<LONG>(std::lround(x0)), static_cast<LONG>(std::lround(y0)),
                             static_cast<LONG>(std::lround(x1)), static_cast<LONG>(std::lround(y1))),
                   rop);
    }
  }
  if (temp) {
    if (dc.Brush) Select(dc, dc.Brush);
    DeleteSlot(temp);
  }
}

void TEmfRecorder::DrawText(const TDCState& dc, const TTextRequest& r) {
  if (FClosed) return;
  // Bounds from the run's advance and the font's height.
  double h = 16;
  LOGFONTW lf;
  if (dc.Font && GetObjectW(dc.Font, sizeof lf, &lf) && lf.lfHeight != 0) h = std::abs(lf.lfHeight) * 1.25;
  // Pairs of advances raise (or lower) the later characters.
  double up = 0, down = 0;
  if (r.Options & ETO_PDY) {
    double y = 0;
    for (std::size_t i = 1; i + 2 < r.Dx.size(); i += 2) {
      y += r.Dx[i];
      up = std::max(up, y);
      down = std::min(down, y);
    }
  }
  TRect b;
  Bounds(dc, std::min(r.OriginX, r.OriginX + r.Width), r.OriginY - h - up, std::max(r.OriginX, r.OriginX + r.Width),
         r.OriginY + h / 2 - down, 1, b);
  if (r.HasRect && (r.Options & (ETO_OPAQUE | ETO_CLIPPED))) {
    TRect rb;
    Bounds(dc, r.Rect.Left, r.Rect.Top, r.Rect.Right, r.Rect.Bottom, 0, rb);
    if (r.Options & ETO_OPAQUE) {
      b.Left = std::min(b.Left, rb.Left);
      b.Top = std::min(b.Top, rb.Top);
      b.Right = std::max(b.Right, rb.Right);
      b.Bottom = std::max(b.Bottom, rb.Bottom);
    }
  }
  const std::size_t n = r.Text.size();
  const std::size_t offString = 76;
  const std::size_t strBytes = ((n * 2) + 3) & ~std::size_t(3);
  const std::size_t offDx = offString + strBytes;
  std::string s;
  W::PutRect(s, b);
  W::Put32(s, static_cast<std::uint32_t>(dc.GraphicsMode));
  // Scale from page units to 0.01 mm, as recorded for compatible mode.
  const bool compat = dc.GraphicsMode == GM_COMPATIBLE;
  W::PutFloat(s, compat ? static_cast<float>(2540.0 / FPpiX / 100.0 * 100.0 / 100.0) : 0.f);
  W::PutFloat(s, compat ? static_cast<float>(2540.0 / FPpiY / 100.0 * 100.0 / 100.0) : 0.f);
  s += PointBytes(r.X, r.Y);
  W::Put32(s, static_cast<std::uint32_t>(n));
  W::Put32(s, static_cast<std::uint32_t>(offString));
  W::Put32(s, r.Options);
  W::PutRect(s, r.HasRect ? r.Rect : TRect());
  W::Put32(s, static_cast<std::uint32_t>(offDx));
  for (char16_t c : r.Text) W::Put16(s, c);
  s.append(strBytes - n * 2, '\0');
  const std::size_t entries = (r.Options & ETO_PDY) ? 2 * n : n;
  for (std::size_t i = 0; i < entries; ++i)
    W::Put32(s, static_cast<std::uint32_t>(i < r.Dx.size() ? r.Dx[i] : 0));
  FWriter.Add(EMR_EXTTEXTOUTW, s);
  FWriter.AddBounds(b);
}

void TEmfRecorder::DibRecord(const TDCState& dc, const TImageRequest& r, const TRect& b) {
  (void)dc;
  // The header and bits: the caller's own for StretchDIBits, else the source pixels cropped.
  std::string bmi, bits;
  int srcX = r.Src.Left, srcY = r.Src.Top, srcW = r.Src.Width(), srcH = r.Src.Height();
  UINT usage = DIB_RGB_COLORS;
  if (r.Kind == TImageKind::StretchDIBits && r.Dib && r.DibBits) {
    const BITMAPINFOHEADER& h = r.Dib->bmiHeader;
    const int bitCount = h.biBitCount;
    std::size_t colors = h.biClrUsed ? h.biClrUsed : (bitCount <= 8 ? (1u << bitCount) : 0);
    if (h.biCompression == BI_BITFIELDS) colors = 3;
    const std::size_t bmiSize = h.biSize + colors * 4;
    bmi.assign(reinterpret_cast<const char*>(r.Dib), bmiSize);
    const std::size_t stride = ((static_cast<std::size_t>(std::abs(h.biWidth)) * bitCount + 31) / 32) * 4;
    bits.assign(static_cast<const char*>(r.DibBits), stride * static_cast<std::size_t>(std::abs(h.biHeight)));
    // The record keeps the call's own source origin: from the bottom row of a bottom-up bitmap.
    if (h.biHeight > 0) srcY = h.biHeight - (srcY + srcH);
  } else if (r.HasSource && r.Source.Bits) {
    const int bpp = r.Source.BitCount == 24 ? 24 : 32;
    const int x0 = std::clamp(srcX, 0, r.Source.Width), y0 = std::clamp(srcY, 0, r.Source.Height);
    const int x1 = std::clamp(srcX + srcW, 0, r.Source.Width), y1 = std::clamp(srcY + srcH, 0, r.Source.Height);
    const int w = std::max(x1 - x0, 0), hgt = std::max(y1 - y0, 0);
    W::Put32(bmi, 40);
    W::Put32(bmi, static_cast<std::uint32_t>(w));
    W::Put32(bmi, static_cast<std::uint32_t>(hgt));  // bottom-up, as GDI writes it
    W::Put16(bmi, 1);
    W::Put16(bmi, static_cast<std::uint32_t>(bpp));
    W::Put32(bmi, BI_RGB);
    const std::size_t stride = ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
    W::Put32(bmi, static_cast<std::uint32_t>(stride * hgt));
    for (int i = 0; i < 4; ++i) W::Put32(bmi, 0);
    for (int y = y1 - 1; y >= y0; --y) {
      const std::size_t before = bits.size();
      bits.append(reinterpret_cast<const char*>(r.Source.Row(y)) + static_cast<std::size_t>(x0) * (bpp / 8),
                  static_cast<std::size_t>(w) * (bpp / 8));
      bits.append(stride - (bits.size() - before), '\0');
    }
    srcX -= x0;
    srcY -= y0;
    srcX = std::max(srcX, 0);
    srcY = std::max(srcY, 0);
    // Rows are bottom-up in the record: the source rectangle counts from the bottom.
    srcY = hgt - srcY - srcH;
    if (srcY < 0) srcY = 0;
  } else {
    return;
  }
  std::string s;
  W::PutRect(s, b);
  if (r.Kind == TImageKind::AlphaBlend || r.Kind == TImageKind::TransparentBlt) {
    const std::size_t fixed = 108;
    W::Put32(s, static_cast<std::uint32_t>(r.Dest.Left));
    W::Put32(s, static_cast<std::uint32_t>(r.Dest.Top));
    W::Put32(s, static_cast<std::uint32_t>(r.Dest.Width()));
    W::Put32(s, static_cast<std::uint32_t>(r.Dest.Height()));
    if (r.Kind == TImageKind::AlphaBlend)
      W::Put32(s, static_cast<std::uint32_t>(r.Blend.BlendOp) | r.Blend.BlendFlags << 8 |
                      r.Blend.SourceConstantAlpha << 16 | static_cast<std::uint32_t>(r.Blend.AlphaFormat) << 24);
    else
      W::Put32(s, r.TransparentColor);
    W::Put32(s, static_cast<std::uint32_t>(srcX));
    W::Put32(s, static_cast<std::uint32_t>(srcY));
    for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) W::PutFloat(s, f);
    W::Put32(s, 0);
    W::Put32(s, usage);
    W::Put32(s, static_cast<std::uint32_t>(fixed));
    W::Put32(s, static_cast<std::uint32_t>(bmi.size()));
    W::Put32(s, static_cast<std::uint32_t>(fixed + bmi.size()));
    W::Put32(s, static_cast<std::uint32_t>(bits.size()));
    W::Put32(s, static_cast<std::uint32_t>(srcW));
    W::Put32(s, static_cast<std::uint32_t>(srcH));
    FWriter.Add(r.Kind == TImageKind::AlphaBlend ? EMR_ALPHABLEND : EMR_TRANSPARENTBLT, s + bmi + bits);
  } else {
    const std::size_t fixed = 80;
    W::Put32(s, static_cast<std::uint32_t>(r.Dest.Left));
    W::Put32(s, static_cast<std::uint32_t>(r.Dest.Top));
    W::Put32(s, static_cast<std::uint32_t>(srcX));
    W::Put32(s, static_cast<std::uint32_t>(srcY));
    W::Put32(s, static_cast<std::uint32_t>(srcW));
    W::Put32(s, static_cast<std::uint32_t>(srcH));
    W::Put32(s, static_cast<std::uint32_t>(fixed));
    W::Put32(s, static_cast<std::uint32_t>(bmi.size()));
    W::Put32(s, static_cast<std::uint32_t>(fixed + bmi.size()));
    W::Put32(s, static_cast<std::uint32_t>(bits.size()));
    W::Put32(s, usage);
    W::Put32(s, r.Rop3);
    W::Put32(s, static_cast<std::uint32_t>(r.Dest.Width()));
    W::Put32(s, static_cast<std::uint32_t>(r.Dest.Height()));
    FWriter.Add(EMR_STRETCHDIBITS, s + bmi + bits);
  }
  FWriter.AddBounds(b);
}

void TEmfRecorder::DrawImage(const TDCState& dc, const TImageRequest& r) {
  if (FClosed) return;
  TRect b;
  Bounds(dc, r.Dest.Left, r.Dest.Top, r.Dest.Right, r.Dest.Bottom, 0, b);
  if (!r.HasSource && !(r.Kind == TImageKind::StretchDIBits && r.Dib)) {
    PatBltRecord(dc, r.Dest, r.Rop3);
    return;
  }
  DibRecord(dc, r, b);
}

std::string TEmfRecorder::Close() {
  if (FClosed) return {};
  FClosed = true;
  const TSize mm(MulDiv(FDevice.cx, 254, FPpiX * 10), MulDiv(FDevice.cy, 254, FPpiY * 10));
  TRect frame = FFrame;
  if (!FHasFrame) {
    // From the drawn bounds, both edges inclusive.
    const TRect& bb = FWriter.HasBounds() ? FWriter.Bounds() : TRect(0, 0, 0, 0);
    frame = TRect(MulDiv(bb.Left, 2540, FPpiX), MulDiv(bb.Top, 2540, FPpiY), MulDiv(bb.Right + 1, 2540, FPpiX),
                  MulDiv(bb.Bottom + 1, 2540, FPpiY));
  }
  return FWriter.Finish(frame, FDevice, mm, FMaxSlot + 1, FDescription);
}

// ---- recording contexts ---------------------------------------------------------------------------

HDC CreateEnhMetaFileW(HDC refDC, LPCWSTR fileName, const RECT* frame, LPCWSTR description) {
  (void)fileName;  // written by CloseEnhMetaFile
  int w = 1920, h = 1080, ppiX = 96, ppiY = 96;
  if (refDC) {
    w = GetDeviceCaps(refDC, HORZRES);
    h = GetDeviceCaps(refDC, VERTRES);
    ppiX = GetDeviceCaps(refDC, LOGPIXELSX);
    ppiY = GetDeviceCaps(refDC, LOGPIXELSY);
    if (w <= 0 || h <= 0) w = 1920, h = 1080;
    if (ppiX <= 0 || ppiY <= 0) ppiX = ppiY = 96;
  }
  // Both strings of the description, each with its null, and the closing null.
  std::u16string desc;
  if (description) {
    const std::u16string_view app(description);
    const std::u16string_view title(description + app.size() + 1);
    if (!app.empty() || !title.empty()) {
      desc.append(app);
      desc += u'\0';
      desc.append(title);
      desc += u'\0';
      desc += u'\0';
    }
  }
  auto rec = std::make_unique<TEmfRecorder>(TSize(w, h), ppiX, ppiY, frame, std::move(desc));
  HDC dc = CreateBackendDC(std::move(rec), w, h, ppiX, ppiY, DT_METAFILE);
  return dc;
}

HENHMETAFILE CloseEnhMetaFile(HDC dc) {
  auto* rec = dynamic_cast<TEmfRecorder*>(GetDCBackend(dc));
  if (!rec) return nullptr;
  const std::string bytes = rec->Close();
  DeleteDC(dc);
  return SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), reinterpret_cast<const BYTE*>(bytes.data()));
}
