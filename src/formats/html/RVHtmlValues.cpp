#include "formats/html/RVHtmlValues.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFileFuncs.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVStrFuncs.h"
#include "platform/base/Classes.h"

namespace rvhtmlvalues_detail {

struct TNamedColor {
  const char* Name;
  std::uint32_t RGB;  // 0xRRGGBB as written in CSS
};

// The colour keywords of CSS (both spellings of every grey).
const TNamedColor kNamedColors[] = {
    {"aliceblue", 0xF0F8FF},
    {"antiquewhite", 0xFAEBD7},
    {"aqua", 0x00FFFF},
    {"aquamarine", 0x7FFFD4},
    {"azure", 0xF0FFFF},
    {"beige", 0xF5F5DC},
    {"bisque", 0xFFE4C4},
    {"black", 0x000000},
    {"blanchedalmond", 0xFFEBCD},
    {"blue", 0x0000FF},
    {"blueviolet", 0x8A2BE2},
    {"brown", 0xA52A2A},
    {"burlywood", 0xDEB887},
    {"cadetblue", 0x5F9EA0},
    {"chartreuse", 0x7FFF00},
    {"chocolate", 0xD2691E},
    {"coral", 0xFF7F50},
    {"cornflowerblue", 0x6495ED},
    {"cornsilk", 0xFFF8DC},
    {"crimson", 0xDC143C},
    {"cyan", 0x00FFFF},
    {"darkblue", 0x00008B},
    {"darkcyan", 0x008B8B},
    {"darkgoldenrod", 0xB8860B},
    {"darkgray", 0xA9A9A9},
    {"darkgreen", 0x006400},
    {"darkgrey", 0xA9A9A9},
    {"darkkhaki", 0xBDB76B},
    {"darkmagenta", 0x8B008B},
    {"darkolivegreen", 0x556B2F},
    {"darkorange", 0xFF8C00},
    {"darkorchid", 0x9932CC},
    {"darkred", 0x8B0000},
    {"darksalmon", 0xE9967A},
    {"darkseagreen", 0x8FBC8F},
    {"darkslateblue", 0x483D8B},
    {"darkslategray", 0x2F4F4F},
    {"darkslategrey", 0x2F4F4F},
    {"darkturquoise", 0x00CED1},
    {"darkviolet", 0x9400D3},
    {"deeppink", 0xFF1493},
    {"deepskyblue", 0x00BFFF},
    {"dimgray", 0x696969},
    {"dimgrey", 0x696969},
    {"dodgerblue", 0x1E90FF},
    {"firebrick", 0xB22222},
    {"floralwhite", 0xFFFAF0},
    {"forestgreen", 0x228B22},
    {"fuchsia", 0xFF00FF},
    {"gainsboro", 0xDCDCDC},
    {"ghostwhite", 0xF8F8FF},
    {"gold", 0xFFD700},
    {"goldenrod", 0xDAA520},
    {"gray", 0x808080},
    {"grey", 0x808080},
    {"green", 0x008000},
    {"greenyellow", 0xADFF2F},
    {"honeydew", 0xF0FFF0},
    {"hotpink", 0xFF69B4},
    {"indianred", 0xCD5C5C},
    {"indigo", 0x4B0082},
    {"ivory", 0xFFFFF0},
    {"khaki", 0xF0E68C},
    {"lavender", 0xE6E6FA},
    {"lavenderblush", 0xFFF0F5},
    {"lawngreen", 0x7CFC00},
    {"lemonchiffon", 0xFFFACD},
    {"lightblue", 0xADD8E6},
    {"lightcoral", 0xF08080},
    {"lightcyan", 0xE0FFFF},
    {"lightgoldenrodyellow", 0xFAFAD2},
    {"lightgray", 0xD3D3D3},
    {"lightgreen", 0x90EE90},
    {"lightgrey", 0xD3D3D3},
    {"lightpink", 0xFFB6C1},
    {"lightsalmon", 0xFFA07A},
    {"lightseagreen", 0x20B2AA},
    {"lightskyblue", 0x87CEFA},
    {"lightslategray", 0x778899},
    {"lightslategrey", 0x778899},
    {"lightsteelblue", 0xB0C4DE},
    {"lightyellow", 0xFFFFE0},
    {"lime", 0x00FF00},
    {"limegreen", 0x32CD32},
    {"linen", 0xFAF0E6},
    {"magenta", 0xFF00FF},
    {"maroon", 0x800000},
    {"mediumaquamarine", 0x66CDAA},
    {"mediumblue", 0x0000CD},
    {"mediumorchid", 0xBA55D3},
    {"mediumpurple", 0x9370D8},
    {"mediumseagreen", 0x3CB371},
    {"mediumslateblue", 0x7B68EE},
    {"mediumspringgreen", 0x00FA9A},
    {"mediumturquoise", 0x48D1CC},
    {"mediumvioletred", 0xC71585},
    {"midnightblue", 0x191970},
    {"mintcream", 0xF5FFFA},
    {"mistyrose", 0xFFE4E1},
    {"moccasin", 0xFFE4B5},
    {"navajowhite", 0xFFDEAD},
    {"navy", 0x000080},
    {"oldlace", 0xFDF5E6},
    {"olive", 0x808000},
    {"olivedrab", 0x6B8E23},
    {"orange", 0xFFA500},
    {"orangered", 0xFF4500},
    {"orchid", 0xDA70D6},
    {"palegoldenrod", 0xEEE8AA},
    {"palegreen", 0x98FB98},
    {"paleturquoise", 0xAFEEEE},
    {"palevioletred", 0xD87093},
    {"papayawhip", 0xFFEFD5},
    {"peachpuff", 0xFFDAB9},
    {"peru", 0xCD853F},
    {"pink", 0xFFC0CB},
    {"plum", 0xDDA0DD},
    {"powderblue", 0xB0E0E6},
    {"purple", 0x800080},
    {"red", 0xFF0000},
    {"rosybrown", 0xBC8F8F},
    {"royalblue", 0x4169E1},
    {"saddlebrown", 0x8B4513},
    {"salmon", 0xFA8072},
    {"sandybrown", 0xF4A460},
    {"seagreen", 0x2E8B57},
    {"seashell", 0xFFF5EE},
    {"sienna", 0xA0522D},
    {"silver", 0xC0C0C0},
    {"skyblue", 0x87CEEB},
    {"slateblue", 0x6A5ACD},
    {"slategray", 0x708090},
    {"slategrey", 0x708090},
    {"snow", 0xFFFAFA},
    {"springgreen", 0x00FF7F},
    {"steelblue", 0x4682B4},
    {"tan", 0xD2B48C},
    {"teal", 0x008080},
    {"thistle", 0xD8BFD8},
    {"tomato", 0xFF6347},
    {"turquoise", 0x40E0D0},
    {"violet", 0xEE82EE},
    {"wheat", 0xF5DEB3},
    {"white", 0xFFFFFF},
    {"whitesmoke", 0xF5F5F5},
    {"yellow", 0xFFFF00},
    {"yellowgreen", 0x9ACD32},
};

struct TSystemColorName {
  const char* Name;
  int Index;
};

const TSystemColorName kSystemColors[] = {
    {"scrollbar", 0},
    {"background", 1},
    {"activecaption", 2},
    {"inactivecaption", 3},
    {"menu", 4},
    {"window", 5},
    {"windowframe", 6},
    {"menutext", 7},
    {"windowtext", 8},
    {"captiontext", 9},
    {"activeborder", 10},
    {"inactiveborder", 11},
    {"appworkspace", 12},
    {"highlight", 13},
    {"highlighttext", 14},
    {"buttonface", 15},
    {"buttonshadow", 16},
    {"graytext", 17},
    {"buttontext", 18},
    {"inactivecaptiontext", 19},
    {"buttonhighlight", 20},
    {"threeddarkshadow", 21},
    {"threedlightshadow", 20},
    {"infotext", 23},
    {"infobackground", 24},
    {"threedface", 15},
    {"threedhighlight", 22},
    {"threedshadow", 16},
};

bool EqualsAscii(const TRVUnicodeString& s, const char* a) {
  std::size_t n = std::strlen(a);
  if (s.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (s[i] != static_cast<unsigned char>(a[i])) return false;
  return true;
}

TColor ColorOfRGB(std::uint32_t rrggbb) {
  return static_cast<TColor>(RGB((rrggbb >> 16) & 0xFF, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF));
}

int HexDigit(WideChar c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Lengths read from foreign text are kept within what any page could use, so that converting
// them to the sheet's units cannot overflow.
constexpr long double kMaxPixels = 1000000;
constexpr long double kMaxPoints = 1000000;

TRVStyleLength ClampPixels(long double v) {
  return static_cast<TRVStyleLength>(std::clamp(v, -kMaxPixels, kMaxPixels));
}

TRVStyleLength PixelsToSheet(const TRVStyle* RVStyle, TRVStyleLength px) {
  px = ClampPixels(px);
  return RVStyle ? RVStyle->PixelsToUnits(px) : px;
}

// The number before a unit, with its first "." read as the decimal separator.
bool ReadPoints(const TRVUnicodeString& s, long double& value) {
  TRVUnicodeString t = s;
  std::size_t dot = t.find(u'.');
  if (dot != TRVUnicodeString::npos) t[dot] = FormatSettings().DecimalSeparator;
  if (!TryStrToFloat(t, value) || !std::isfinite(static_cast<double>(value))) return false;
  value = std::clamp(value, -kMaxPoints, kMaxPoints);
  return true;
}

TRVStyleLength PointsToSheet(const TRVStyle* RVStyle, long double pt) {
  return RVStyle ? RVStyle->RVUnitsToUnits(pt, rvuPoints) : TRVStyle::RVUnitsToUnitsEx(pt, rvuPoints, rvstuPixels);
}

// Base64 (standard alphabet) of text made only of its characters; "=" ends the data.
std::string DecodeBase64(const TRVUnicodeString& s) {
  std::string out;
  out.reserve(s.size() / 4 * 3 + 3);
  std::uint32_t acc = 0;
  int bits = 0;
  for (WideChar c : s) {
    int v;
    if (c >= u'A' && c <= u'Z')
      v = c - u'A';
    else if (c >= u'a' && c <= u'z')
      v = c - u'a' + 26;
    else if (c >= u'0' && c <= u'9')
      v = c - u'0' + 52;
    else if (c == u'+')
      v = 62;
    else if (c == u'/')
      v = 63;
    else
      break;
    acc = (acc << 6) | static_cast<std::uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  return out;
}

}  // namespace rvhtmlvalues_detail

using namespace rvhtmlvalues_detail;

TColor HtmlColorToColor(const TRVUnicodeString& Text) {
  TRVUnicodeString s = LowerCaseUnicode(Text);
  for (const auto& c : kNamedColors)
    if (EqualsAscii(s, c.Name)) return ColorOfRGB(c.RGB);
  for (const auto& c : kSystemColors)
    if (EqualsAscii(s, c.Name)) return clSystemColor | c.Index;
  if (s == u"transparent") return clNone;
  if (s.compare(0, 3, u"rgb") == 0) return ParseRGBColor(s);
  if (!s.empty() && s[0] == u'#') s.erase(0, 1);
  if (s.size() == 3) s = TRVUnicodeString{s[0], s[0], s[1], s[1], s[2], s[2]};
  // At most 8 digits fit the number; only its low three bytes are the colour.
  if (s.empty() || s.size() > 8) return clBlack;
  std::uint32_t v = 0;
  for (WideChar c : s) {
    int d = HexDigit(c);
    if (d < 0) return clBlack;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  return ColorOfRGB(v & 0xFFFFFF);
}

TColor ParseRGBColor(const TRVUnicodeString& Text) {
  std::size_t open = Text.find(u'(');
  TRVUnicodeString inner;
  if (open != TRVUnicodeString::npos) {
    std::size_t close = Text.find(u')', open + 1);
    inner = Text.substr(open + 1, close == TRVUnicodeString::npos ? TRVUnicodeString::npos : close - open - 1);
  }
  int parts[3] = {0, 0, 0};
  std::size_t start = 0;
  for (int i = 0; i < 3 && start <= inner.size(); ++i) {
    std::size_t comma = inner.find(u',', start);
    TRVUnicodeString part =
        Trim(inner.substr(start, comma == TRVUnicodeString::npos ? TRVUnicodeString::npos : comma - start));
    int v = 0;
    parts[i] = TryStrToInt(part, v) ? (v & 0xFF) : 0;
    if (comma == TRVUnicodeString::npos) break;
    start = comma + 1;
  }
  return static_cast<TColor>(RGB(parts[0], parts[1], parts[2]));
}

namespace rvhtmlvalues_detail {
const int kFontSizePoints[7] = {8, 10, 12, 14, 18, 24, 36};
}

int HtmlFontSizeIndex(int Points) {
  for (int i = 1; i <= 6; ++i)
    if (kFontSizePoints[i - 1] >= Points) return i;
  return 7;
}

int HtmlFontSizePoints(int Index) { return kFontSizePoints[std::clamp(Index, 1, 7) - 1]; }

TListType HtmlListTypeOf(const TRVUnicodeString& Text, TListType Default) {
  TRVUnicodeString l = LowerCaseUnicode(Text);
  if (l == u"disc") return ltDisc;
  if (l == u"circle") return ltCircle;
  if (l == u"square") return ltSquare;
  if (Text == u"1") return ltNumber;
  if (Text == u"a") return ltLowerAlpha;
  if (Text == u"A") return ltUpperAlpha;
  if (Text == u"i") return ltLowerRoman;
  if (Text == u"I") return ltUpperRoman;
  return Default;
}

TRVAlignment HtmlAlignmentOf(const TRVUnicodeString& Text, TRVAlignment Default) {
  if (Text == u"left") return rvaLeft;
  if (Text == u"right") return rvaRight;
  if (Text == u"center") return rvaCenter;
  if (Text == u"justify") return rvaJustify;
  return Default;
}

TRVUnicodeString GetCSSValue(const TRVUnicodeString& StyleText, const TRVUnicodeString& Name) {
  if (Name.empty()) return {};
  std::size_t pos = 0;
  for (;;) {
    pos = StyleText.find(Name, pos);
    if (pos == TRVUnicodeString::npos) return {};
    if (pos == 0 || StyleText[pos - 1] == u' ' || StyleText[pos - 1] == u';' || StyleText[pos - 1] == u'{') break;
    pos += Name.size();
  }
  TRVUnicodeString s = StyleText.substr(pos + Name.size(), 100);
  std::size_t b = 0;
  while (b < s.size() && (s[b] == u' ' || s[b] == u':')) ++b;
  s.erase(0, b);
  if (!s.empty() && (s[0] == u'"' || s[0] == u'\'')) {
    std::size_t e = s.find_first_of(u"\"'", 1);
    return s.substr(1, e == TRVUnicodeString::npos ? TRVUnicodeString::npos : e - 1);
  }
  std::size_t e = s.find_first_of(u");>]}");
  return s.substr(0, e);
}

TRVStyleLength CSSLengthToUnits(const TRVUnicodeString& Text, const TRVStyle* RVStyle, TRVStyleLength Default) {
  std::size_t px = Text.find(u"px");
  if (px != TRVUnicodeString::npos) {
    int v = 0;
    if (!TryStrToInt(Text.substr(0, px), v)) v = Default;
    return PixelsToSheet(RVStyle, v);
  }
  std::size_t pt = Text.find(u"pt");
  if (pt != TRVUnicodeString::npos) {
    long double v = 0;
    if (!ReadPoints(Text.substr(0, pt), v)) return PixelsToSheet(RVStyle, Default);
    return PointsToSheet(RVStyle, v);
  }
  int v = 0;
  if (!TryStrToInt(Text, v)) v = Default;
  return PixelsToSheet(RVStyle, v);
}

void ApplyCSSLineHeight(const TRVUnicodeString& Text, TCustomRVParaInfo* ParaStyle) {
  const TRVStyle* sheet = ParaStyle->GetRVStyle();
  std::size_t px = Text.find(u"px");
  if (px != TRVUnicodeString::npos) {
    int v = 0;
    if (!TryStrToInt(Text.substr(0, px), v)) return;
    ParaStyle->LineSpacing = PixelsToSheet(sheet, v);
    ParaStyle->LineSpacingType = rvlsLineHeightAtLeast;
    return;
  }
  std::size_t pt = Text.find(u"pt");
  if (pt != TRVUnicodeString::npos) {
    long double v = 0;
    if (!ReadPoints(Text.substr(0, pt), v)) return;
    ParaStyle->LineSpacing = PointsToSheet(sheet, v);
    ParaStyle->LineSpacingType = rvlsLineHeightAtLeast;
    return;
  }
  long double factor = 0;
  if (!ReadPoints(Text, factor)) return;
  ParaStyle->LineSpacing = static_cast<TRVLineSpacingValue>(Round(factor * 100));
  ParaStyle->LineSpacingType = rvlsPercent;
}

TRVStyleLength TotalBorderWidth(const TRVBorder* Border) {
  if (Border->Color == clNone) return 0;
  switch (Border->Style) {
    case rvbSingle: return Border->Width;
    case rvbDouble: return 2 * Border->Width + Border->InternalWidth;
    case rvbTriple: return 3 * Border->Width + 2 * Border->InternalWidth;
    case rvbThickInside:
    case rvbThickOutside: return 3 * Border->Width + Border->InternalWidth;
    default: return 0;
  }
}

TRVStyleLength BorderLineWidth(TRVStyleLength Total, TRVBorderStyle BorderStyle) {
  if (Total == 0) return 0;
  switch (BorderStyle) {
    case rvbSingle: return Total;
    case rvbDouble: return Total / 3;
    case rvbTriple: return Total / 5;
    case rvbThickInside:
    case rvbThickOutside: return Total / 4;
    default: return 0;
  }
}

std::unique_ptr<TGraphic> DataUriToGraphic(const TRVUnicodeString& Location) {
  if (Location.size() < 5 || LowerCaseUnicode(Location.substr(0, 5)) != u"data:") return nullptr;
  std::size_t comma = Location.find(u',');
  if (comma == TRVUnicodeString::npos) return nullptr;
  TRVUnicodeString payload;
  payload.reserve(Location.size() - comma);
  for (std::size_t i = comma + 1; i < Location.size(); ++i) {
    WideChar c = Location[i];
    if (c == u'\t' || c == u'\n' || c == u'\r' || c == u' ') continue;
    bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'+' ||
              c == u'/' || c == u'=';
    if (!ok) return nullptr;
    payload += c;
  }
  std::string bytes = DecodeBase64(payload);
  TMemoryStream stream;
  if (!bytes.empty()) stream.Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.Seek(0, soBeginning);
  try {
    return GraphicHandler->LoadFromStream(stream);
  } catch (...) {
    // A picture that cannot be decoded is no picture.
    RVRethrowUnlessDataError();
    return nullptr;
  }
}

TRVUnicodeString SiteRootOf(const TRVUnicodeString& Path) {
  TRVUnicodeString scheme, rest = Path;
  std::size_t p = Path.find(u"://");
  if (p != TRVUnicodeString::npos) {
    scheme = Path.substr(0, p + 3);
    rest = Path.substr(p + 3);
  }
  std::size_t cut = rest.find_first_of(u"/\\?");
  if (cut != TRVUnicodeString::npos) rest.resize(cut);
  return scheme + rest;
}

TRVUnicodeString FolderOf(const TRVUnicodeString& Path) {
  for (std::size_t i = Path.size(); i > 0; --i) {
    WideChar c = Path[i - 1];
    if (c == u'/' || c == u'\\') return Path.substr(0, i);
    if (c == u':') {
      // A colon ends the folder only when no delimiter stands before it (a drive).
      if (Path.find_first_of(u"/\\:", 0) == i - 1) return Path.substr(0, i);
    }
  }
  return {};
}

TRVUnicodeString MakeAbsoluteLocation(const TRVUnicodeString& Location, const TRVUnicodeString& BasePath) {
  if (Location.find(u':') != TRVUnicodeString::npos &&
      (IsUrl(Location) || (Location.size() >= 2 && Location[1] == u':')))
    return Location;
  if (!Location.empty() && Location[0] == u'#') return Location;
  if (!Location.empty() && (Location[0] == u'\\' || Location[0] == u'/')) return SiteRootOf(BasePath) + Location;
  return BasePath + Location;
}
