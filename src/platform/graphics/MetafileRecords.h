// Reading the records of enhanced and Windows metafiles. Every walker of metafile bytes (the
// checks of a new handle, enumeration, both players, the conversion to the Windows format, the
// PDF translator) goes through these readers, so a record never reaches a handler unless it lies
// whole inside the data, and no field read of a handler can leave its record. The typed views
// below name the fields of the enhanced records that both the player and the PDF translator
// read, so that the two cannot disagree on where a field lies or when a value is unusable.
// Only the graphics platform code and the PDF translator include this.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/ImageCodecs.h"

// One record's bytes with little-endian field access. Fields past the record's end read 0, and
// an array is read only after HasArray said it lies inside.
class TRecordView {
 public:
  TRecordView() = default;
  explicit TRecordView(std::string_view bytes) : Bytes(bytes) {}

  std::size_t Size() const { return Bytes.size(); }
  std::uint32_t U32(std::size_t at) const { return LE32(Bytes, at); }
  std::uint32_t U16(std::size_t at) const { return LE16(Bytes, at); }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(LE32(Bytes, at)); }
  int I16(std::size_t at) const { return static_cast<std::int16_t>(LE16(Bytes, at)); }
  std::uint8_t U8(std::size_t at) const { return at < Bytes.size() ? static_cast<std::uint8_t>(Bytes[at]) : 0; }
  float F32(std::size_t at) const {
    const std::uint32_t v = U32(at);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
  }
  // A coordinate or size, kept in a range where sums of a few of them cannot overflow.
  std::int32_t Coord(std::size_t at) const {
    constexpr std::int32_t Limit = 1 << 27;
    return std::clamp(I32(at), -Limit, Limit);
  }
  // count items of step bytes each, starting at `at`, lie inside the record.
  bool HasArray(std::size_t at, std::uint64_t count, std::size_t step) const {
    return at <= Bytes.size() && count <= (Bytes.size() - at) / step;
  }
  // n bytes from at, or fewer when the record ends first.
  std::string_view Sub(std::size_t at, std::size_t n = std::string_view::npos) const {
    return at <= Bytes.size() ? Bytes.substr(at, n) : std::string_view();
  }

  std::string_view Bytes;
};

// The records of an enhanced metafile from `start`: each Next() makes the following record
// current. Walking stops after EMR_EOF, before a record shorter than its 8-byte head, and before
// one that would run past the data (Broken() then tells so).
class TEmfRecordReader {
 public:
  explicit TEmfRecordReader(std::string_view data, std::size_t start = 0) : FData(data), FNext(start) {}

  bool Next() {
    if (FDone || FNext + 8 > FData.size()) return Stop(false);
    const std::uint32_t type = LE32(FData, FNext), size = LE32(FData, FNext + 4);
    if (size < 8 || size > FData.size() - FNext) return Stop(true);
    FType = type;
    FAt = FNext;
    FRecord = TRecordView(FData.substr(FNext, size));
    FNext += size;
    if (type == 14) FDone = true;  // EMR_EOF
    return true;
  }
  std::uint32_t Type() const { return FType; }
  const TRecordView& Record() const { return FRecord; }
  std::size_t Offset() const { return FAt; }  // of the current record
  std::size_t End() const { return FNext; }   // just after it
  bool Broken() const { return FBroken; }

 private:
  bool Stop(bool broken) {
    FDone = true;
    FBroken = FBroken || broken;
    return false;
  }
  std::string_view FData;
  std::size_t FNext = 0, FAt = 0;
  std::uint32_t FType = 0;
  TRecordView FRecord;
  bool FDone = false, FBroken = false;
};

// The records of a Windows metafile (no placeable header): a size in 16-bit words, a function
// number, then the parameters. Walking starts after the header, stops after the end record
// (function 0) and before a record that does not fit.
class TWmfRecordReader {
 public:
  explicit TWmfRecordReader(std::string_view data) : FData(data), FNext(std::size_t(LE16(data, 2)) * 2) {}

  bool Next() {
    if (FDone || FNext + 6 > FData.size()) return Stop();
    const std::uint64_t words = LE32(FData, FNext);
    const std::uint32_t fn = LE16(FData, FNext + 4);
    if (words < 3 || words * 2 > FData.size() - FNext) return Stop();
    FFunction = fn;
    FParams = TRecordView(FData.substr(FNext + 6, static_cast<std::size_t>(words * 2 - 6)));
    FNext += static_cast<std::size_t>(words * 2);
    if (fn == 0) FDone = true;
    return true;
  }
  std::uint32_t Function() const { return FFunction; }
  // The parameters, after size and function.
  const TRecordView& Params() const { return FParams; }

 private:
  bool Stop() {
    FDone = true;
    return false;
  }
  std::string_view FData;
  std::size_t FNext;
  std::uint32_t FFunction = 0;
  TRecordView FParams;
  bool FDone = false;
};

// ---- typed views of enhanced-metafile records -------------------------------------------------------
// Each view reads one record layout; offsets count from the record's start (type and size take the
// first 8 bytes). Values that cannot be used (an array running past the record, a zero extent, a
// bitmap whose rows are not all there) are answered by the view, so every reader refuses them alike.

// One 32-bit value: modes, colours, object indices (SETMAPMODE, SETBKMODE, SETPOLYFILLMODE, SETROP2,
// SETSTRETCHBLTMODE, SETTEXTALIGN, SETTEXTCOLOR, SETBKCOLOR, SETARCDIRECTION, SELECTOBJECT,
// DELETEOBJECT, RESTOREDC, SELECTCLIPPATH).
struct TEmrValue {
  TRecordView R;
  std::uint32_t Value() const { return R.U32(8); }
  std::int32_t Signed() const { return R.I32(8); }
};

// A point (MOVETOEX, LINETO, SETWINDOWORGEX, SETVIEWPORTORGEX, SETBRUSHORGEX).
struct TEmrPoint {
  TRecordView R;
  POINT Point() const { return POINT{R.Coord(8), R.Coord(12)}; }
};

// SETWINDOWEXTEX, SETVIEWPORTEXTEX. An extent with a zero side is refused, as a device context
// refuses it: it would make the mapping singular.
struct TEmrExtent {
  TRecordView R;
  bool Extent(SIZE& e) const {
    const LONG cx = R.Coord(8), cy = R.Coord(12);
    if (!cx || !cy) return false;
    e = SIZE{cx, cy};
    return true;
  }
};

// SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX: x and y numerator and denominator. Scales e in place;
// false (e unchanged) when a denominator or a resulting side is zero.
struct TEmrScaleExtent {
  TRecordView R;
  bool Scale(SIZE& e) const {
    const std::int64_t xn = R.Coord(8), xd = R.Coord(12), yn = R.Coord(16), yd = R.Coord(20);
    if (!xd || !yd) return false;
    constexpr std::int64_t Limit = 1 << 27;
    const LONG cx = static_cast<LONG>(std::clamp<std::int64_t>(e.cx * xn / xd, -Limit, Limit));
    const LONG cy = static_cast<LONG>(std::clamp<std::int64_t>(e.cy * yn / yd, -Limit, Limit));
    if (!cx || !cy) return false;
    e = SIZE{cx, cy};
    return true;
  }
};

// SETWORLDTRANSFORM, MODIFYWORLDTRANSFORM: six floats, then (modify only) the mode. A term that is
// not finite or absurdly large takes the identity's value.
struct TEmrTransform {
  TRecordView R;
  XFORM Transform() const {
    auto term = [&](std::size_t at, FLOAT identity) {
      const FLOAT v = R.F32(at);
      return std::isfinite(v) && std::fabs(v) <= 1e7f ? v : identity;
    };
    return XFORM{term(8, 1), term(12, 0), term(16, 0), term(20, 1), term(24, 0), term(28, 0)};
  }
  std::uint32_t Mode() const { return R.U32(32); }
};

// CREATEPEN: index, style, width (x of a point), colour.
struct TEmrCreatePen {
  TRecordView R;
  std::uint32_t Index() const { return R.U32(8); }
  std::uint32_t Style() const { return R.U32(12); }
  LONG Width() const { return R.Coord(16); }
  COLORREF Color() const { return R.U32(24); }
};

// EXTCREATEPEN: index, a pattern bitmap's fields, then the pen: style, width, brush style,
// colour, hatch.
struct TEmrExtCreatePen {
  TRecordView R;
  std::uint32_t Index() const { return R.U32(8); }
  std::uint32_t Style() const { return R.U32(28); }
  std::uint32_t Width() const { return R.U32(32); }
  std::uint32_t BrushStyle() const { return R.U32(36); }
  COLORREF Color() const { return R.U32(40); }
  std::uint32_t Hatch() const { return R.U32(44); }
};

// CREATEBRUSHINDIRECT: index, style, colour, hatch.
struct TEmrCreateBrush {
  TRecordView R;
  std::uint32_t Index() const { return R.U32(8); }
  std::uint32_t Style() const { return R.U32(12); }
  COLORREF Color() const { return R.U32(16); }
  std::uint32_t Hatch() const { return R.U32(20); }
};

// A device-independent bitmap inside a record: the header with its colours, and the bits.
struct TRecordDib {
  std::string_view Info, Bits;
  int Width() const { return static_cast<std::int32_t>(LE32(Info, 4)); }
  int Height() const { return std::abs(static_cast<std::int32_t>(LE32(Info, 8))); }
  bool BottomUp() const { return static_cast<std::int32_t>(LE32(Info, 8)) > 0; }
  int BitCount() const { return static_cast<int>(LE16(Info, 14)); }
  // Header, colours and bits in one piece, as a packed bitmap is read.
  std::string Packed() const {
    std::string p(Info);
    p.append(Bits);
    return p;
  }
};

// The bitmap whose offset and size of header, then offset and size of bits, are the four fields
// at `fields`. False when there is none (no header), when a part lies outside the record, when
// its size is not positive or beyond the picture pixel budget, when its bit count is not one a
// bitmap has, or when its rows are not all there (a compressed bitmap claims no more than its
// bytes plausibly hold).
bool ReadRecordDib(const TRecordView& r, std::size_t fields, TRecordDib& dib);

// CREATEDIBPATTERNBRUSHPT, CREATEMONOBRUSH: index, colour usage, the bitmap.
struct TEmrCreateDibBrush {
  TRecordView R;
  std::uint32_t Index() const { return R.U32(8); }
  std::uint32_t Usage() const { return R.U32(12); }
  bool Dib(TRecordDib& dib) const { return ReadRecordDib(R, 16, dib); }
};

// EXTCREATEFONTINDIRECTW: index, then the logical font. False when the record is too short to
// hold it.
struct TEmrCreateFont {
  TRecordView R;
  std::uint32_t Index() const { return R.U32(8); }
  bool Font(LOGFONTW& lf) const;
};

// RECTANGLE, ELLIPSE, ROUNDRECT (then the corner), ARC, CHORD, PIE, ARCTO (then start and end).
struct TEmrBox {
  TRecordView R;
  RECT Box() const { return RECT{R.Coord(8), R.Coord(12), R.Coord(16), R.Coord(20)}; }
  SIZE Corner() const { return SIZE{R.Coord(24), R.Coord(28)}; }
  POINT Start() const { return POINT{R.Coord(24), R.Coord(28)}; }
  POINT End() const { return POINT{R.Coord(32), R.Coord(36)}; }
};

// SETPIXELV: the point and the colour.
struct TEmrPixel {
  TRecordView R;
  POINT Point() const { return POINT{R.Coord(8), R.Coord(12)}; }
  COLORREF Color() const { return R.U32(16); }
};

// INTERSECTCLIPRECT, EXCLUDECLIPRECT: the rectangle in logical units.
struct TEmrClipRect {
  TRecordView R;
  RECT Rect() const { return RECT{R.Coord(8), R.Coord(12), R.Coord(16), R.Coord(20)}; }
};

// POLYGON, POLYLINE, POLYBEZIER, POLYLINETO, POLYBEZIERTO and their 16-bit forms: bounds, count,
// points.
struct TEmrPoly {
  TRecordView R;
  bool Small;  // 16-bit points
  std::uint32_t Count() const { return R.U32(24); }
  // All the points lie inside the record.
  bool Valid() const { return R.HasArray(std::min<std::size_t>(28, R.Size()), Count(), Small ? 4 : 8); }
  POINT At(std::uint64_t i) const { return PointAt(R, 28 + static_cast<std::size_t>(i) * (Small ? 4 : 8), Small); }
  static POINT PointAt(const TRecordView& r, std::size_t at, bool small) {
    return small ? POINT{r.I16(at), r.I16(at + 2)} : POINT{r.Coord(at), r.Coord(at + 4)};
  }
};

// POLYPOLYGON, POLYPOLYLINE and their 16-bit forms: bounds, number of figures, number of points,
// the count of each figure, the points.
struct TEmrPolyPoly {
  TRecordView R;
  bool Small;
  std::uint32_t Figures() const { return R.U32(24); }
  std::uint32_t Total() const { return R.U32(28); }
  std::uint32_t FigureCount(std::uint32_t k) const { return R.U32(32 + 4 * static_cast<std::size_t>(k)); }
  // Counts and points lie inside the record.
  bool Valid() const {
    return R.HasArray(std::min<std::size_t>(32, R.Size()), Figures(), 4) &&
           R.HasArray(std::min(PointsAt(), R.Size()), Total(), Small ? 4 : 8);
  }
  POINT At(std::uint64_t i) const {
    return TEmrPoly::PointAt(R, PointsAt() + static_cast<std::size_t>(i) * (Small ? 4 : 8), Small);
  }
  std::size_t PointsAt() const { return 32 + 4 * static_cast<std::size_t>(Figures()); }
};

// The rectangles of region data (a 32-byte header, then rectangles of 16 bytes) of cb bytes at
// `at` of a record.
struct TRegionRects {
  TRecordView R;
  std::size_t At;
  std::uint32_t Cb;
  // The count, when the header and every rectangle lie inside both the data and the record.
  bool Valid() const {
    if (Cb < 32 || At > R.Size() || Cb > R.Size() - At) return false;
    return Count() <= (Cb - 32) / 16;
  }
  std::uint32_t Count() const { return R.U32(At + 8); }
  RECT Rect(std::uint32_t i) const {
    const std::size_t o = At + 32 + 16 * static_cast<std::size_t>(i);
    return RECT{R.Coord(o), R.Coord(o + 4), R.Coord(o + 8), R.Coord(o + 12)};
  }
};

// EXTSELECTCLIPRGN: the data's size, the mode, the region in device units. A size of 0 means no
// region.
struct TEmrClipRegion {
  TRecordView R;
  std::uint32_t Cb() const { return R.U32(8); }
  std::uint32_t Mode() const { return R.U32(12); }
  TRegionRects Region() const { return TRegionRects{R, 16, Cb()}; }
};

// FILLRGN: bounds, the data's size, the brush, the region.
struct TEmrFillRegion {
  TRecordView R;
  std::uint32_t Brush() const { return R.U32(28); }
  TRegionRects Region() const { return TRegionRects{R, 32, R.U32(24)}; }
};

// The text part of EXTTEXTOUTW/A (at 36) and of each entry of POLYTEXTOUTW: reference point,
// count, string offset, options, rectangle, offset of the advances.
struct TEmrText {
  TRecordView R;
  std::size_t At = 36;
  POINT Reference() const { return POINT{R.Coord(At), R.Coord(At + 4)}; }
  std::uint32_t Count() const { return R.U32(At + 8); }
  std::uint32_t StringOffset() const { return R.U32(At + 12); }
  std::uint32_t Options() const { return R.U32(At + 16); }
  RECT Rect() const { return RECT{R.Coord(At + 20), R.Coord(At + 24), R.Coord(At + 28), R.Coord(At + 32)}; }
  std::uint32_t AdvancesOffset() const { return R.U32(At + 36); }
  // The characters (of `unit` bytes each) lie inside the record.
  bool HasText(std::size_t unit) const { return R.HasArray(std::min<std::size_t>(StringOffset(), R.Size()), Count(), unit); }
  // The advances, one per character or, with ETO_PDY, two: present and inside the record.
  bool HasAdvances() const {
    const std::uint64_t entries = (Options() & ETO_PDY) ? 2 * std::uint64_t(Count()) : Count();
    return AdvancesOffset() && R.HasArray(std::min<std::size_t>(AdvancesOffset(), R.Size()), entries, 4);
  }
  // Entry i of the advances (an x, or with ETO_PDY the x and y of pairs in turn).
  LONG Advance(std::uint64_t i) const { return R.Coord(AdvancesOffset() + 4 * static_cast<std::size_t>(i)); }
};

// EXTTEXTOUTW, EXTTEXTOUTA: bounds, graphics mode, scales, then the text part. Records shorter
// than the text part are not text.
struct TEmrExtTextOut {
  TRecordView R;
  bool Valid() const { return R.Size() >= 76; }
  TEmrText Text() const { return TEmrText{R, 36}; }
};

// SMALLTEXTOUT: reference point, count, options, graphics mode, scales, the rectangle unless
// ETO_NO_RECT (0x100), then 8-bit characters with ETO_SMALL_CHARS (0x200) or 16-bit ones.
struct TEmrSmallTextOut {
  TRecordView R;
  POINT Reference() const { return POINT{R.Coord(8), R.Coord(12)}; }
  std::uint32_t Count() const { return R.U32(16); }
  std::uint32_t Options() const { return R.U32(20); }
  bool HasRect() const { return !(Options() & 0x100); }
  RECT Rect() const { return HasRect() ? RECT{R.Coord(36), R.Coord(40), R.Coord(44), R.Coord(48)} : RECT{}; }
  std::size_t Unit() const { return (Options() & 0x200) ? 1 : 2; }
  std::size_t TextAt() const { return HasRect() ? 52 : 36; }
  bool HasText() const { return R.HasArray(std::min(TextAt(), R.Size()), Count(), Unit()); }
};

// BITBLT, STRETCHBLT, MASKBLT, ALPHABLEND, TRANSPARENTBLT: bounds, destination, raster operation
// (the blend function of ALPHABLEND, the transparent colour of TRANSPARENTBLT), source origin and
// transform, background colour, colour usage, the source bitmap, then (all but BITBLT) the
// source size or (MASKBLT) the mask's origin, usage and bitmap.
struct TEmrBlt {
  TRecordView R;
  std::uint32_t Type;
  RECT Bounds() const { return RECT{R.Coord(8), R.Coord(12), R.Coord(16), R.Coord(20)}; }
  POINT Dest() const { return POINT{R.Coord(24), R.Coord(28)}; }
  SIZE DestSize() const { return SIZE{R.Coord(32), R.Coord(36)}; }
  std::uint32_t Rop() const { return R.U32(40); }
  POINT Source() const { return POINT{R.Coord(44), R.Coord(48)}; }
  COLORREF BkColor() const { return R.U32(76); }
  std::uint32_t Usage() const { return R.U32(80); }
  // The source bitmap's header size: 0 when the record has no source (a pattern operation).
  std::uint32_t SourceInfoSize() const { return R.U32(88); }
  bool Dib(TRecordDib& dib) const { return ReadRecordDib(R, 84, dib); }
  // STRETCHBLT, ALPHABLEND and TRANSPARENTBLT give the source size; the others copy the
  // destination's.
  bool HasSourceSize() const { return Type == 77 || Type == 114 || Type == 116; }
  SIZE SourceSize() const { return HasSourceSize() ? SIZE{R.Coord(100), R.Coord(104)} : DestSize(); }
  // The source's first row counted from the picture's top: the source is a surface, whose rows
  // count from the top whichever way the bitmap is stored.
  LONG SourceTop(const TRecordDib&) const { return Source().Y; }
  // MASKBLT's mask.
  POINT MaskOrigin() const { return POINT{R.Coord(100), R.Coord(104)}; }
  bool MaskDib(TRecordDib& dib) const { return ReadRecordDib(R, 112, dib); }
};

// STRETCHDIBITS, SETDIBITSTODEVICE: bounds, destination, source rectangle, the bitmap, colour
// usage, then the raster operation and destination size (STRETCHDIBITS) or the first scan line
// and the number of lines (SETDIBITSTODEVICE). The source origin counts from the bitmap's first
// row in memory: the bottom row of a bottom-up bitmap.
struct TEmrDibBits {
  TRecordView R;
  std::uint32_t Type;
  RECT Bounds() const { return RECT{R.Coord(8), R.Coord(12), R.Coord(16), R.Coord(20)}; }
  POINT Dest() const { return POINT{R.Coord(24), R.Coord(28)}; }
  POINT Source() const { return POINT{R.Coord(32), R.Coord(36)}; }
  SIZE SourceSize() const { return SIZE{R.Coord(40), R.Coord(44)}; }
  bool Dib(TRecordDib& dib) const { return ReadRecordDib(R, 48, dib); }
  std::uint32_t SourceInfoSize() const { return R.U32(52); }
  std::uint32_t Usage() const { return R.U32(64); }
  bool Stretch() const { return Type == 81; }
  std::uint32_t Rop() const { return Stretch() ? R.U32(68) : 0x00CC0020u; }  // SETDIBITSTODEVICE copies
  SIZE DestSize() const { return Stretch() ? SIZE{R.Coord(72), R.Coord(76)} : SourceSize(); }
  std::uint32_t StartScan() const { return Stretch() ? 0 : R.U32(68); }
  std::uint32_t Scans() const { return Stretch() ? 0 : R.U32(72); }
  // The source's first row counted from the picture's top.
  LONG SourceTop(const TRecordDib& dib) const {
    return dib.BottomUp() ? dib.Height() - Source().Y - SourceSize().cy : Source().Y;
  }
};

inline bool ReadRecordDib(const TRecordView& r, std::size_t fields, TRecordDib& dib) {
  const std::uint32_t offInfo = r.U32(fields), cbInfo = r.U32(fields + 4), offBits = r.U32(fields + 8),
                      cbBits = r.U32(fields + 12);
  if (cbInfo < 40 || offInfo > r.Size() || cbInfo > r.Size() - offInfo || offBits > r.Size() ||
      cbBits > r.Size() - offBits)
    return false;
  const std::string_view info = r.Sub(offInfo, cbInfo);
  const std::int64_t w = static_cast<std::int32_t>(LE32(info, 4));
  const std::int64_t h = std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(LE32(info, 8))));
  const std::uint32_t bits = LE16(info, 14), compression = LE32(info, 16);
  if (w <= 0 || h <= 0 || w > MaxPictureSide || h > MaxPictureSide || w * h > PicturePixelBudget()) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (compression == BI_RGB || compression == BI_BITFIELDS) {
    const std::uint64_t stride = ((static_cast<std::uint64_t>(w) * bits + 31) / 32) * 4;
    if (stride * static_cast<std::uint64_t>(h) > cbBits) return false;
  } else if (static_cast<std::uint64_t>(w * h) > 4096ull * std::max<std::uint32_t>(cbBits, 1)) {
    return false;
  }
  dib = TRecordDib{info, r.Sub(offBits, cbBits)};
  return true;
}

inline bool TEmrCreateFont::Font(LOGFONTW& lf) const {
  if (R.Size() < 12 + 92) return false;
  lf.lfHeight = R.Coord(12);
  lf.lfWidth = R.Coord(16);
  // Angles in tenths of a degree: whole turns change nothing.
  lf.lfEscapement = R.I32(20) % 3600;
  lf.lfOrientation = R.I32(24) % 3600;
  lf.lfWeight = R.Coord(28);
  BYTE* bytes[] = {&lf.lfItalic,      &lf.lfUnderline,     &lf.lfStrikeOut, &lf.lfCharSet,
                   &lf.lfOutPrecision, &lf.lfClipPrecision, &lf.lfQuality,   &lf.lfPitchAndFamily};
  for (std::size_t i = 0; i < 8; ++i) *bytes[i] = R.U8(32 + i);
  for (int i = 0; i < LF_FACESIZE; ++i) lf.lfFaceName[i] = static_cast<WCHAR>(R.U16(40 + 2 * static_cast<std::size_t>(i)));
  lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return true;
}
