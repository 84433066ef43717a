// Windows-format metafiles from enhanced ones, for pictures saved without the enhanced flag.
// The records keep the enhanced picture's logical coordinates (which must fit 16 bits); text is
// written in the code page of the selected font's character set.
#include <algorithm>
#include <array>
#include <map>
#include <vector>

#include "platform/base/NLS.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileRecords.h"

UINT CharsetCodePage(BYTE charset) {
  switch (charset) {
    case SHIFTJIS_CHARSET: return 932;
    case HANGEUL_CHARSET: return 949;
    case JOHAB_CHARSET: return 1361;
    case GB2312_CHARSET: return 936;
    case CHINESEBIG5_CHARSET: return 950;
    case GREEK_CHARSET: return 1253;
    case TURKISH_CHARSET: return 1254;
    case VIETNAMESE_CHARSET: return 1258;
    case HEBREW_CHARSET: return 1255;
    case ARABIC_CHARSET: return 1256;
    case BALTIC_CHARSET: return 1257;
    case RUSSIAN_CHARSET: return 1251;
    case THAI_CHARSET: return 874;
    case EASTEUROPE_CHARSET: return 1250;
    case ANSI_CHARSET: return 1252;
    default: return 0;  // the system's ANSI code page
  }
}

namespace {

class TWmfBuilder {
 public:
  void Rec(std::uint32_t fn, std::initializer_list<int> words, const std::string& tail = {}) {
    std::string body;
    for (int w : words) PutLE16(body, static_cast<std::uint32_t>(w) & 0xFFFF);
    body += tail;
    if (body.size() % 2) body.push_back('\0');
    const std::uint32_t size = static_cast<std::uint32_t>(3 + body.size() / 2);
    PutLE32(Data, size);
    PutLE16(Data, fn);
    Data += body;
    MaxRecord = std::max(MaxRecord, size);
  }
  // The lowest free object index, as players assign them.
  int Allocate() {
    for (std::size_t i = 0; i < Used.size(); ++i)
      if (!Used[i]) {
        Used[i] = true;
        return static_cast<int>(i);
      }
    Used.push_back(true);
    return static_cast<int>(Used.size()) - 1;
  }
  void Free(int i) {
    if (i >= 0 && static_cast<std::size_t>(i) < Used.size()) Used[static_cast<std::size_t>(i)] = false;
  }
  std::string Data;
  std::uint32_t MaxRecord = 3;
  std::vector<bool> Used;
};

int Clamp16(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, -32768, 32767)); }
std::string Color(std::uint32_t c) {
  std::string s;
  PutLE32(s, c & 0xFFFFFF);
  return s;
}

// Turns enhanced records into Windows-format ones, one handler per record type (found in one
// table). Coordinates are written as they stand, limited to 16 bits.
class TWmfConverter {
 public:
  explicit TWmfConverter(const RECT& window) {
    W.Rec(0x0103, {MM_ANISOTROPIC});
    W.Rec(0x020B, {Clamp16(window.Top), Clamp16(window.Left)});
    W.Rec(0x020C, {Clamp16(window.Height()), Clamp16(window.Width())});
  }

  std::string Convert(std::string_view emf) {
    TEmfRecordReader records(emf);
    while (records.Next())
      if (const THandler h = HandlerFor(records.Type())) (this->*h)(records.Type(), records.Record());
    W.Rec(0x0000, {});
    std::string out;
    PutLE16(out, 1);
    PutLE16(out, 9);
    PutLE16(out, 0x0300);
    PutLE32(out, static_cast<std::uint32_t>((18 + W.Data.size()) / 2));
    PutLE16(out, static_cast<std::uint32_t>(std::max<std::size_t>(W.Used.size(), 1)));
    PutLE32(out, W.MaxRecord);
    PutLE16(out, 0);
    return out + W.Data;
  }

 private:
  using R = const TRecordView&;
  using THandler = void (TWmfConverter::*)(DWORD type, R r);
  static THandler HandlerFor(DWORD type);

  static int S(R r, std::size_t at) { return Clamp16(r.I32(at)); }
  // The point at `at`: 16-bit pairs when small, else 32-bit ones limited to 16 bits.
  static int X(R r, std::size_t at, bool small) { return small ? r.I16(at) : S(r, at); }
  static int Y(R r, std::size_t at, bool small) { return small ? r.I16(at + 2) : S(r, at + 4); }
  static void PutPoint(R r, std::size_t at, bool small, std::string& s) {
    PutLE16(s, static_cast<std::uint32_t>(X(r, at, small)));
    PutLE16(s, static_cast<std::uint32_t>(Y(r, at, small)));
  }

  // A value of a mode record, as the one 16-bit parameter.
  void Mode(DWORD type, R r) {
    std::uint32_t fn = 0;
    switch (type) {
      case EMR_SETBKMODE: fn = 0x0102; break;
      case EMR_SETROP2: fn = 0x0104; break;
      case EMR_SETPOLYFILLMODE: fn = 0x0106; break;
      case EMR_SETSTRETCHBLTMODE: fn = 0x0107; break;
      case EMR_SETTEXTALIGN: W.Rec(0x012E, {static_cast<int>(r.U32(8) & 0xFFFF)}); return;
      default: return;
    }
    W.Rec(fn, {r.I32(8)});
  }
  void SetColor(DWORD type, R r) { W.Rec(type == EMR_SETBKCOLOR ? 0x0201 : 0x0209, {}, Color(r.U32(8))); }
  void Save(DWORD, R) { W.Rec(0x001E, {}); }
  void Restore(DWORD, R r) { W.Rec(0x0127, {r.I32(8)}); }

  // Objects: each enhanced slot gets the lowest free Windows-format index.
  int NewObject(R r) {
    const int i = W.Allocate();
    Slots[r.U32(8)] = i;
    return i;
  }
  void CreatePen(DWORD, R r) {
    NewObject(r);
    W.Rec(0x02FA, {static_cast<int>(r.U32(12) & 0xFFFF), S(r, 16), 0}, Color(r.U32(24)));
  }
  void CreateBrush(DWORD, R r) {
    NewObject(r);
    std::string tail = Color(r.U32(16));
    PutLE16(tail, r.U32(20));
    const std::uint32_t style = r.U32(12);
    W.Rec(0x02FC, {static_cast<int>(style == BS_NULL || style == BS_HATCHED ? style : BS_SOLID)}, tail);
  }
  void CreatePatternBrush(DWORD, R r) {
    // As a solid brush of the pattern's first colour: a fair stand-in for an 8x8 pattern.
    NewObject(r);
    const std::uint32_t first = r.U32(r.U32(24));
    W.Rec(0x02FC, {0}, Color(((first & 0xFF) << 16) | (first & 0xFF00) | ((first >> 16) & 0xFF)) + std::string(2, '\0'));
  }
  void CreateFont(DWORD, R r) {
    if (r.Size() < 12 + 92) return;
    NewObject(r);
    const BYTE cs = r.U8(35);
    Charsets[r.U32(8)] = cs;
    std::string lf;
    for (std::size_t o : {12, 16, 20, 24, 28}) PutLE16(lf, static_cast<std::uint32_t>(S(r, o)));
    lf.append(r.Sub(32, 8));
    std::u16string face;
    for (int k = 0; k < LF_FACESIZE; ++k) {
      const char16_t c = static_cast<char16_t>(r.U16(40 + 2 * static_cast<std::size_t>(k)));
      if (!c) break;
      face.push_back(c);
    }
    std::string bytes;
    UnicodeToCodePage(CharsetCodePage(cs), 0, face, bytes);
    bytes.resize(31, '\0');
    lf += bytes + '\0';
    W.Rec(0x02FB, {}, lf);
  }
  // A stock object is made once, on first selection, and never freed.
  int StockObject(std::uint32_t index) {
    auto it = Stock.find(index);
    if (it != Stock.end()) return it->second;
    const int i = W.Allocate();
    switch (index) {
      case WHITE_PEN: case BLACK_PEN: case NULL_PEN: case DC_PEN: {
        std::string c = Color(index == WHITE_PEN ? 0xFFFFFF : 0);
        W.Rec(0x02FA, {index == NULL_PEN ? static_cast<int>(PS_NULL) : 0, 0, 0}, c);
        break;
      }
      case NULL_BRUSH:
        W.Rec(0x02FC, {static_cast<int>(BS_NULL)}, Color(0) + std::string(2, '\0'));
        break;
      default: {
        if (index <= BLACK_BRUSH || index == DC_BRUSH) {
          static const std::uint32_t greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0};
          W.Rec(0x02FC, {0}, Color(index <= BLACK_BRUSH ? greys[index] : 0xFFFFFF) + std::string(2, '\0'));
        } else {
          // Stock fonts: the default face at the default size.
          std::string lf(18, '\0');
          lf[0] = static_cast<char>(-13 & 0xFF);
          lf[1] = static_cast<char>(0xFF);
          lf += std::string("Liberation Sans", 15) + std::string(17, '\0');
          W.Rec(0x02FB, {}, lf);
        }
      }
    }
    Stock[index] = i;
    return i;
  }
  void Select(DWORD, R r) {
    const std::uint32_t index = r.U32(8);
    if (index & 0x80000000u) {
      const std::uint32_t s = index & 0x7FFFFFFF;
      if (s <= DC_PEN && s != 9 && s != DEFAULT_PALETTE) {
        W.Rec(0x012D, {StockObject(s)});
        if (s >= OEM_FIXED_FONT && s <= DEFAULT_GUI_FONT) Charset = DEFAULT_CHARSET;
      }
    } else if (auto it = Slots.find(index); it != Slots.end()) {
      W.Rec(0x012D, {it->second});
      if (auto c = Charsets.find(index); c != Charsets.end()) Charset = c->second;
    }
  }
  void Delete(DWORD, R r) {
    auto it = Slots.find(r.U32(8));
    if (it == Slots.end()) return;
    W.Rec(0x01F0, {it->second});
    W.Free(it->second);
    Slots.erase(it);
  }

  // Shapes: Windows-format parameters come in reverse order.
  void MoveTo(DWORD, R r) { W.Rec(0x0214, {S(r, 12), S(r, 8)}); }
  void Line(DWORD, R r) { W.Rec(0x0213, {S(r, 12), S(r, 8)}); }
  void Box(DWORD type, R r) {
    const std::uint32_t fn = type == EMR_RECTANGLE ? 0x041B : type == EMR_ELLIPSE ? 0x0418
                           : type == EMR_INTERSECTCLIPRECT ? 0x0416 : 0x0415;
    W.Rec(fn, {S(r, 20), S(r, 16), S(r, 12), S(r, 8)});
  }
  void RoundRect(DWORD, R r) { W.Rec(0x061C, {S(r, 28), S(r, 24), S(r, 20), S(r, 16), S(r, 12), S(r, 8)}); }
  void ArcLike(DWORD type, R r) {
    W.Rec(type == EMR_ARC ? 0x0817 : type == EMR_PIE ? 0x081A : 0x0830,
          {S(r, 36), S(r, 32), S(r, 28), S(r, 24), S(r, 20), S(r, 16), S(r, 12), S(r, 8)});
  }
  void Pixel(DWORD, R r) {
    std::string s = Color(r.U32(16));
    PutLE16(s, static_cast<std::uint32_t>(S(r, 12)));
    PutLE16(s, static_cast<std::uint32_t>(S(r, 8)));
    W.Rec(0x041F, {}, s);
  }
  void Poly(DWORD type, R r) {
    const bool small = type == EMR_POLYGON16 || type == EMR_POLYLINE16 || type == EMR_POLYLINETO16;
    const std::uint32_t n = r.U32(24);
    const std::size_t step = small ? 4 : 8;
    if (n == 0 || n > 8000 || 28 + n * step > r.Size()) return;
    if (type == EMR_POLYLINETO16 || type == EMR_POLYLINETO) {
      // Lines on from the current position.
      for (std::uint32_t k = 0; k < n; ++k) {
        const std::size_t o = 28 + k * step;
        W.Rec(0x0213, {Y(r, o, small), X(r, o, small)});
      }
      return;
    }
    std::string pts;
    PutLE16(pts, n);
    for (std::uint32_t k = 0; k < n; ++k) PutPoint(r, 28 + k * step, small, pts);
    W.Rec(type == EMR_POLYGON16 || type == EMR_POLYGON ? 0x0324 : 0x0325, {}, pts);
  }
  void PolyPoly(DWORD type, R r) {
    const bool small = type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYLINE16;
    const bool gon = type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYGON;
    const std::uint32_t polys = r.U32(24), total = r.U32(28);
    const std::size_t step = small ? 4 : 8;
    const std::size_t first = 32 + 4 * static_cast<std::size_t>(polys);
    if (polys == 0 || polys > 8000 || total > 8000 || first + total * step > r.Size()) return;
    std::vector<std::uint32_t> counts;
    std::uint64_t sum = 0;
    for (std::uint32_t k = 0; k < polys; ++k) sum += counts.emplace_back(r.U32(32 + 4 * k));
    if (sum != total) return;
    if (gon) {
      std::string s;
      PutLE16(s, polys);
      for (std::uint32_t c : counts) PutLE16(s, c);
      for (std::uint32_t k = 0; k < total; ++k) PutPoint(r, first + k * step, small, s);
      W.Rec(0x0538, {}, s);
      return;
    }
    std::uint32_t k = 0;
    for (std::uint32_t c : counts) {
      std::string s;
      PutLE16(s, c);
      for (std::uint32_t j = 0; j < c; ++j) PutPoint(r, first + (k++) * step, small, s);
      W.Rec(0x0325, {}, s);
    }
  }

  void ExtTextOut(DWORD, R r) {
    if (r.Size() < 76) return;
    const std::uint32_t n = r.U32(44), offString = r.U32(48), options = r.U32(52), offDx = r.U32(72);
    if (!r.HasArray(offString, n, 2) || n > 8000) return;
    std::u16string text;
    for (std::uint32_t k = 0; k < n; ++k) text.push_back(static_cast<char16_t>(r.U16(offString + 2 * k)));
    std::string bytes;
    if (Charset == SYMBOL_CHARSET) {
      for (char16_t c : text) bytes.push_back(static_cast<char>(c & 0xFF));
    } else {
      UnicodeToCodePage(CharsetCodePage(Charset), 0, text, bytes);
    }
    // One advance per byte: a character written as two bytes gets its advance on the first.
    std::vector<int> dx;
    // Pairs of advances (ETO_PDY) give their x values; the format has no vertical ones.
    const std::uint32_t stride = (options & ETO_PDY) ? 2 : 1;
    if (offDx && r.HasArray(offDx, std::uint64_t(n) * stride, 4)) {
      std::size_t b = 0;
      for (std::uint32_t k = 0; k < n && b < bytes.size(); ++k) {
        std::string one;
        if (Charset == SYMBOL_CHARSET) one.push_back(' ');
        else UnicodeToCodePage(CharsetCodePage(Charset), 0, std::u16string_view(text).substr(k, 1), one);
        dx.push_back(S(r, offDx + 4 * k * stride));
        for (std::size_t e = 1; e < one.size(); ++e) dx.push_back(0);
        b += std::max<std::size_t>(one.size(), 1);
      }
      dx.resize(bytes.size(), 0);
    }
    std::string tail;
    if (options & (ETO_OPAQUE | ETO_CLIPPED))
      for (std::size_t o : {56, 60, 64, 68}) PutLE16(tail, static_cast<std::uint32_t>(S(r, o)));
    tail += bytes;
    if (tail.size() % 2) tail.push_back('\0');
    for (int v : dx) PutLE16(tail, static_cast<std::uint32_t>(v));
    W.Rec(0x0A32, {S(r, 40), S(r, 36), static_cast<int>(bytes.size()), static_cast<int>(options & 0xFFFF & ~ETO_PDY)},
          tail);
  }
  void StretchDib(DWORD, R r) {
    const std::uint32_t offBmi = r.U32(48), cbBmi = r.U32(52), offBits = r.U32(56), cbBits = r.U32(60);
    if (cbBmi < 40 || !r.HasArray(offBmi, cbBmi, 1) || !r.HasArray(offBits, cbBits, 1)) return;
    std::string tail;
    tail.append(r.Sub(offBmi, cbBmi));
    tail.append(r.Sub(offBits, cbBits));
    const std::uint32_t rop = r.U32(68);
    W.Rec(0x0F43, {static_cast<int>(rop & 0xFFFF), static_cast<int>(rop >> 16), r.I32(64), S(r, 44), S(r, 40),
                   S(r, 36), S(r, 32), S(r, 76), S(r, 72), S(r, 28), S(r, 24)},
          tail);
  }
  void BitBlt(DWORD, R r) {
    if (r.U32(84) != 0) return;  // only pattern fills
    const std::uint32_t rop = r.U32(40);
    W.Rec(0x0940, {static_cast<int>(rop & 0xFFFF), static_cast<int>(rop >> 16), 0, 0, 0, S(r, 36), S(r, 32), S(r, 28),
                   S(r, 24)});
  }

  TWmfBuilder W;
  std::map<std::uint32_t, int> Slots;      // enhanced slot -> object index
  std::map<std::uint32_t, BYTE> Charsets;  // enhanced slot -> font character set
  std::map<std::uint32_t, int> Stock;      // stock object -> object index (never freed)
  BYTE Charset = DEFAULT_CHARSET;
};

// Records without a handler have no Windows-format record (paths, transforms, blending) or need
// none (the map mode: the window above places the picture).
TWmfConverter::THandler TWmfConverter::HandlerFor(DWORD type) {
  static const auto table = [] {
    std::array<THandler, EMR_CREATECOLORSPACEW + 1> t{};
    auto set = [&](std::initializer_list<DWORD> types, THandler h) {
      for (DWORD k : types) t[k] = h;
    };
    set({EMR_SETBKMODE, EMR_SETROP2, EMR_SETPOLYFILLMODE, EMR_SETSTRETCHBLTMODE, EMR_SETTEXTALIGN}, &TWmfConverter::Mode);
    set({EMR_SETBKCOLOR, EMR_SETTEXTCOLOR}, &TWmfConverter::SetColor);
    set({EMR_SAVEDC}, &TWmfConverter::Save);
    set({EMR_RESTOREDC}, &TWmfConverter::Restore);
    set({EMR_CREATEPEN}, &TWmfConverter::CreatePen);
    set({EMR_CREATEBRUSHINDIRECT}, &TWmfConverter::CreateBrush);
    set({EMR_CREATEDIBPATTERNBRUSHPT}, &TWmfConverter::CreatePatternBrush);
    set({EMR_EXTCREATEFONTINDIRECTW}, &TWmfConverter::CreateFont);
    set({EMR_SELECTOBJECT}, &TWmfConverter::Select);
    set({EMR_DELETEOBJECT}, &TWmfConverter::Delete);
    set({EMR_MOVETOEX}, &TWmfConverter::MoveTo);
    set({EMR_LINETO}, &TWmfConverter::Line);
    set({EMR_RECTANGLE, EMR_ELLIPSE, EMR_INTERSECTCLIPRECT, EMR_EXCLUDECLIPRECT}, &TWmfConverter::Box);
    set({EMR_ROUNDRECT}, &TWmfConverter::RoundRect);
    set({EMR_ARC, EMR_PIE, EMR_CHORD}, &TWmfConverter::ArcLike);
    set({EMR_SETPIXELV}, &TWmfConverter::Pixel);
    set({EMR_POLYGON16, EMR_POLYLINE16, EMR_POLYGON, EMR_POLYLINE, EMR_POLYLINETO16, EMR_POLYLINETO},
        &TWmfConverter::Poly);
    set({EMR_POLYPOLYGON16, EMR_POLYPOLYGON, EMR_POLYPOLYLINE16, EMR_POLYPOLYLINE}, &TWmfConverter::PolyPoly);
    set({EMR_EXTTEXTOUTW}, &TWmfConverter::ExtTextOut);
    set({EMR_STRETCHDIBITS}, &TWmfConverter::StretchDib);
    set({EMR_BITBLT}, &TWmfConverter::BitBlt);
    return t;
  }();
  return type < table.size() ? table[type] : nullptr;
}

}  // namespace

std::string EnhMetaFileToWinMetaFile(HENHMETAFILE emf, const RECT& window) {
  if (!emf) return {};
  return TWmfConverter(window).Convert(emf->Bits);
}
