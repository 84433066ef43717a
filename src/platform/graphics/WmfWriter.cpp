// Windows-format metafiles from enhanced ones, for pictures saved without the enhanced flag.
// The records keep the enhanced picture's logical coordinates (which must fit 16 bits); text is
// written in the code page of the selected font's character set.
#include <algorithm>
#include <map>
#include <vector>

#include "platform/base/NLS.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"

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

}  // namespace

std::string EnhMetaFileToWinMetaFile(HENHMETAFILE emf, const RECT& window) {
  if (!emf) return {};
  const std::string_view d(emf->Bits);
  TWmfBuilder w;
  std::map<std::uint32_t, int> slots;      // enhanced slot -> object index
  std::map<std::uint32_t, BYTE> charsets;  // enhanced slot -> font character set
  std::map<std::uint32_t, int> stock;      // stock object -> object index (never freed)
  BYTE charset = DEFAULT_CHARSET;
  w.Rec(0x0103, {MM_ANISOTROPIC});
  w.Rec(0x020B, {Clamp16(window.Top), Clamp16(window.Left)});
  w.Rec(0x020C, {Clamp16(window.Height()), Clamp16(window.Width())});
  auto s32 = [&](std::string_view r, std::size_t at) { return Clamp16(static_cast<std::int32_t>(LE32(r, at))); };
  auto stockObject = [&](std::uint32_t index) {
    auto it = stock.find(index);
    if (it != stock.end()) return it->second;
    const int i = w.Allocate();
    switch (index) {
      case WHITE_PEN: case BLACK_PEN: case NULL_PEN: case DC_PEN: {
        std::string c = Color(index == WHITE_PEN ? 0xFFFFFF : 0);
        w.Rec(0x02FA, {index == NULL_PEN ? static_cast<int>(PS_NULL) : 0, 0, 0}, c);
        break;
      }
      case NULL_BRUSH:
        w.Rec(0x02FC, {static_cast<int>(BS_NULL)}, Color(0) + std::string(2, '\0'));
        break;
      default: {
        if (index <= BLACK_BRUSH || index == DC_BRUSH) {
          static const std::uint32_t greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0};
          w.Rec(0x02FC, {0}, Color(index <= BLACK_BRUSH ? greys[index] : 0xFFFFFF) + std::string(2, '\0'));
        } else {
          // Stock fonts: the default face at the default size.
          std::string lf(18, '\0');
          lf[0] = static_cast<char>(-13 & 0xFF);
          lf[1] = static_cast<char>(0xFF);
          lf += std::string("Liberation Sans", 15) + std::string(17, '\0');
          w.Rec(0x02FB, {}, lf);
        }
      }
    }
    stock[index] = i;
    return i;
  };
  std::size_t at = 0;
  while (at + 8 <= d.size()) {
    const std::uint32_t type = LE32(d, at), size = LE32(d, at + 4);
    if (size < 8 || size > d.size() - at) break;
    const std::string_view r = d.substr(at, size);
    at += size;
    switch (type) {
      case EMR_SETMAPMODE: break;  // the window above places the picture
      case EMR_SETBKMODE: w.Rec(0x0102, {static_cast<int>(LE32(r, 8))}); break;
      case EMR_SETROP2: w.Rec(0x0104, {static_cast<int>(LE32(r, 8))}); break;
      case EMR_SETPOLYFILLMODE: w.Rec(0x0106, {static_cast<int>(LE32(r, 8))}); break;
      case EMR_SETSTRETCHBLTMODE: w.Rec(0x0107, {static_cast<int>(LE32(r, 8))}); break;
      case EMR_SETTEXTALIGN: w.Rec(0x012E, {static_cast<int>(LE32(r, 8) & 0xFFFF)}); break;
      case EMR_SETBKCOLOR: w.Rec(0x0201, {}, Color(LE32(r, 8))); break;
      case EMR_SETTEXTCOLOR: w.Rec(0x0209, {}, Color(LE32(r, 8))); break;
      case EMR_SAVEDC: w.Rec(0x001E, {}); break;
      case EMR_RESTOREDC: w.Rec(0x0127, {static_cast<int>(static_cast<std::int32_t>(LE32(r, 8)))}); break;
      case EMR_CREATEPEN: {
        const int i = w.Allocate();
        slots[LE32(r, 8)] = i;
        w.Rec(0x02FA, {static_cast<int>(LE32(r, 12) & 0xFFFF), s32(r, 16), 0}, Color(LE32(r, 24)));
        break;
      }
      case EMR_CREATEBRUSHINDIRECT: {
        const int i = w.Allocate();
        slots[LE32(r, 8)] = i;
        std::string tail = Color(LE32(r, 16));
        PutLE16(tail, LE32(r, 20));
        const std::uint32_t style = LE32(r, 12);
        w.Rec(0x02FC, {static_cast<int>(style == BS_NULL || style == BS_HATCHED ? style : BS_SOLID)}, tail);
        break;
      }
      case EMR_CREATEDIBPATTERNBRUSHPT: {
        // As a solid brush of the pattern's first colour: a fair stand-in for an 8x8 pattern.
        const int i = w.Allocate();
        slots[LE32(r, 8)] = i;
        const std::uint32_t offBits = LE32(r, 24);
        const std::uint32_t first = LE32(r, offBits);
        w.Rec(0x02FC, {0}, Color(((first & 0xFF) << 16) | (first & 0xFF00) | ((first >> 16) & 0xFF)) + std::string(2, '\0'));
        break;
      }
      case EMR_EXTCREATEFONTINDIRECTW: {
        if (r.size() < 12 + 92) break;
        const int i = w.Allocate();
        slots[LE32(r, 8)] = i;
        const BYTE cs = static_cast<BYTE>(r[35]);
        charsets[LE32(r, 8)] = cs;
        std::string lf;
        for (std::size_t o : {12, 16, 20, 24, 28}) PutLE16(lf, static_cast<std::uint32_t>(s32(r, o)));
        lf.append(r.substr(32, 8));
        std::u16string face;
        for (int k = 0; k < LF_FACESIZE; ++k) {
          const char16_t c = static_cast<char16_t>(LE16(r, 40 + 2 * k));
          if (!c) break;
          face.push_back(c);
        }
        std::string bytes;
        UnicodeToCodePage(CharsetCodePage(cs), 0, face, bytes);
        bytes.resize(31, '\0');
        lf += bytes + '\0';
        w.Rec(0x02FB, {}, lf);
        break;
      }
      case EMR_SELECTOBJECT: {
        const std::uint32_t index = LE32(r, 8);
        if (index & 0x80000000u) {
          const std::uint32_t s = index & 0x7FFFFFFF;
          if (s <= DC_PEN && s != 9 && s != DEFAULT_PALETTE) {
            w.Rec(0x012D, {stockObject(s)});
            if (s >= OEM_FIXED_FONT && s <= DEFAULT_GUI_FONT) charset = DEFAULT_CHARSET;
          }
        } else if (auto it = slots.find(index); it != slots.end()) {
          w.Rec(0x012D, {it->second});
          if (auto c = charsets.find(index); c != charsets.end()) charset = c->second;
        }
        break;
      }
      case EMR_DELETEOBJECT:
        if (auto it = slots.find(LE32(r, 8)); it != slots.end()) {
          w.Rec(0x01F0, {it->second});
          w.Free(it->second);
          slots.erase(it);
        }
        break;
      case EMR_MOVETOEX: w.Rec(0x0214, {s32(r, 12), s32(r, 8)}); break;
      case EMR_LINETO: w.Rec(0x0213, {s32(r, 12), s32(r, 8)}); break;
      case EMR_RECTANGLE: w.Rec(0x041B, {s32(r, 20), s32(r, 16), s32(r, 12), s32(r, 8)}); break;
      case EMR_ELLIPSE: w.Rec(0x0418, {s32(r, 20), s32(r, 16), s32(r, 12), s32(r, 8)}); break;
      case EMR_ROUNDRECT:
        w.Rec(0x061C, {s32(r, 28), s32(r, 24), s32(r, 20), s32(r, 16), s32(r, 12), s32(r, 8)});
        break;
      case EMR_ARC: case EMR_PIE: case EMR_CHORD:
        w.Rec(type == EMR_ARC ? 0x0817 : type == EMR_PIE ? 0x081A : 0x0830,
              {s32(r, 36), s32(r, 32), s32(r, 28), s32(r, 24), s32(r, 20), s32(r, 16), s32(r, 12), s32(r, 8)});
        break;
      case EMR_SETPIXELV: w.Rec(0x041F, {}, Color(LE32(r, 16)) + [&] {
          std::string s;
          PutLE16(s, static_cast<std::uint32_t>(s32(r, 12)));
          PutLE16(s, static_cast<std::uint32_t>(s32(r, 8)));
          return s;
        }());
        break;
      case EMR_INTERSECTCLIPRECT: w.Rec(0x0416, {s32(r, 20), s32(r, 16), s32(r, 12), s32(r, 8)}); break;
      case EMR_EXCLUDECLIPRECT: w.Rec(0x0415, {s32(r, 20), s32(r, 16), s32(r, 12), s32(r, 8)}); break;
      case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYGON: case EMR_POLYLINE:
      case EMR_POLYLINETO16: case EMR_POLYLINETO: {
        const bool small = type == EMR_POLYGON16 || type == EMR_POLYLINE16 || type == EMR_POLYLINETO16;
        const std::uint32_t n = LE32(r, 24);
        const std::size_t step = small ? 4 : 8;
        if (n == 0 || n > 8000 || 28 + n * step > r.size()) break;
        std::string pts;
        PutLE16(pts, n);
        for (std::uint32_t k = 0; k < n; ++k) {
          const std::size_t o = 28 + k * step;
          PutLE16(pts, static_cast<std::uint32_t>(small ? static_cast<int>(static_cast<std::int16_t>(LE16(r, o))) : s32(r, o)));
          PutLE16(pts, static_cast<std::uint32_t>(small ? static_cast<int>(static_cast<std::int16_t>(LE16(r, o + 2))) : s32(r, o + 4)));
        }
        if (type == EMR_POLYLINETO16 || type == EMR_POLYLINETO) {
          // Lines on from the current position.
          for (std::uint32_t k = 0; k < n; ++k) {
            const std::size_t o = 28 + k * step;
            const int x = small ? static_cast<std::int16_t>(LE16(r, o)) : s32(r, o);
            const int y = small ? static_cast<std::int16_t>(LE16(r, o + 2)) : s32(r, o + 4);
            w.Rec(0x0213, {y, x});
          }
          break;
        }
        w.Rec(type == EMR_POLYGON16 || type == EMR_POLYGON ? 0x0324 : 0x0325, {}, pts);
        break;
      }
      case EMR_POLYPOLYGON16: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYLINE: {
        const bool small = type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYLINE16;
        const bool gon = type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYGON;
        const std::uint32_t polys = LE32(r, 24), total = LE32(r, 28);
        const std::size_t step = small ? 4 : 8;
        const std::size_t first = 32 + 4 * static_cast<std::size_t>(polys);
        if (polys == 0 || polys > 8000 || total > 8000 || first + total * step > r.size()) break;
        std::vector<std::uint32_t> counts;
        std::uint64_t sum = 0;
        for (std::uint32_t k = 0; k < polys; ++k) sum += counts.emplace_back(LE32(r, 32 + 4 * k));
        if (sum != total) break;
        auto point = [&](std::uint32_t k, std::string& s) {
          const std::size_t o = first + k * step;
          PutLE16(s, static_cast<std::uint32_t>(small ? static_cast<int>(static_cast<std::int16_t>(LE16(r, o))) : s32(r, o)));
          PutLE16(s, static_cast<std::uint32_t>(small ? static_cast<int>(static_cast<std::int16_t>(LE16(r, o + 2))) : s32(r, o + 4)));
        };
        if (gon) {
          std::string s;
          PutLE16(s, polys);
          for (std::uint32_t c : counts) PutLE16(s, c);
          for (std::uint32_t k = 0; k < total; ++k) point(k, s);
          w.Rec(0x0538, {}, s);
        } else {
          std::uint32_t k = 0;
          for (std::uint32_t c : counts) {
            std::string s;
            PutLE16(s, c);
            for (std::uint32_t j = 0; j < c; ++j) point(k++, s);
            w.Rec(0x0325, {}, s);
          }
        }
        break;
      }
      case EMR_EXTTEXTOUTW: {
        if (r.size() < 76) break;
        const std::uint32_t n = LE32(r, 44), offString = LE32(r, 48), options = LE32(r, 52), offDx = LE32(r, 72);
        if (offString > r.size() || n > (r.size() - offString) / 2 || n > 8000) break;
        std::u16string text;
        for (std::uint32_t k = 0; k < n; ++k) text.push_back(static_cast<char16_t>(LE16(r, offString + 2 * k)));
        std::string bytes;
        if (charset == SYMBOL_CHARSET) {
          for (char16_t c : text) bytes.push_back(static_cast<char>(c & 0xFF));
        } else {
          UnicodeToCodePage(CharsetCodePage(charset), 0, text, bytes);
        }
        // One advance per byte: a character written as two bytes gets its advance on the first.
        std::vector<int> dx;
        // Pairs of advances (ETO_PDY) give their x values; the format has no vertical ones.
        const std::uint32_t stride = (options & ETO_PDY) ? 2 : 1;
        const bool haveDx = offDx && offDx <= r.size() && n * stride <= (r.size() - offDx) / 4;
        if (haveDx) {
          std::size_t b = 0;
          for (std::uint32_t k = 0; k < n && b < bytes.size(); ++k) {
            std::string one;
            if (charset == SYMBOL_CHARSET) one.push_back(' ');
            else UnicodeToCodePage(CharsetCodePage(charset), 0, std::u16string_view(text).substr(k, 1), one);
            dx.push_back(Clamp16(static_cast<std::int32_t>(LE32(r, offDx + 4 * k * stride))));
            for (std::size_t e = 1; e < one.size(); ++e) dx.push_back(0);
            b += std::max<std::size_t>(one.size(), 1);
          }
          dx.resize(bytes.size(), 0);
        }
        std::string tail;
        if (options & (ETO_OPAQUE | ETO_CLIPPED))
          for (std::size_t o : {56, 60, 64, 68}) PutLE16(tail, static_cast<std::uint32_t>(s32(r, o)));
        tail += bytes;
        if (tail.size() % 2) tail.push_back('\0');
        for (int v : dx) PutLE16(tail, static_cast<std::uint32_t>(v));
        w.Rec(0x0A32, {s32(r, 40), s32(r, 36), static_cast<int>(bytes.size()), static_cast<int>(options & 0xFFFF & ~ETO_PDY)},
              tail);
        break;
      }
      case EMR_STRETCHDIBITS: {
        const std::uint32_t offBmi = LE32(r, 48), cbBmi = LE32(r, 52), offBits = LE32(r, 56), cbBits = LE32(r, 60);
        if (cbBmi < 40 || offBmi > r.size() || cbBmi > r.size() - offBmi || offBits > r.size() || cbBits > r.size() - offBits)
          break;
        std::string tail;
        tail.append(r.substr(offBmi, cbBmi));
        tail.append(r.substr(offBits, cbBits));
        const std::uint32_t rop = LE32(r, 68);
        w.Rec(0x0F43, {static_cast<int>(rop & 0xFFFF), static_cast<int>(rop >> 16), static_cast<int>(LE32(r, 64)),
                       s32(r, 44), s32(r, 40), s32(r, 36), s32(r, 32), s32(r, 76), s32(r, 72), s32(r, 28), s32(r, 24)},
              tail);
        break;
      }
      case EMR_BITBLT:
        if (LE32(r, 84) == 0) {  // a pattern fill
          const std::uint32_t rop = LE32(r, 40);
          w.Rec(0x0940, {static_cast<int>(rop & 0xFFFF), static_cast<int>(rop >> 16), 0, 0, 0, s32(r, 36), s32(r, 32),
                         s32(r, 28), s32(r, 24)});
        }
        break;
      default:
        break;  // paths, transforms and blending have no Windows-format record
    }
  }
  w.Rec(0x0000, {});
  std::string out;
  PutLE16(out, 1);
  PutLE16(out, 9);
  PutLE16(out, 0x0300);
  PutLE32(out, static_cast<std::uint32_t>((18 + w.Data.size()) / 2));
  PutLE16(out, static_cast<std::uint32_t>(std::max<std::size_t>(w.Used.size(), 1)));
  PutLE32(out, w.MaxRecord);
  PutLE16(out, 0);
  return out + w.Data;
}
