#include "engine/styles/RVStyleTypes.h"

#include <string_view>

const char* const RVFontInfoPropertyNames[RVFontInfoPropertyCount] = {
    "rvfiFontName", "rvfiSize", "rvfiCharset", "rvfiUnicode", "rvfiBold", "rvfiItalic",
    "rvfiUnderline", "rvfiStrikeout", "rvfiOverline", "rvfiAllCaps", "rvfiSubSuperScriptType",
    "rvfiVShift", "rvfiColor", "rvfiBackColor", "rvfiJump", "rvfiHoverBackColor", "rvfiHoverColor",
    "rvfiHoverUnderline", "rvfiJumpCursor", "rvfiNextStyleNo", "rvfiProtection", "rvfiCharScale",
    "rvfiBaseStyleNo", "rvfiBiDiMode", "rvfiCharSpacing", "rvfiHTMLCode", "rvfiRTFCode",
    "rvfiDocXCode", "rvfiHidden", "rvfiUnderlineType", "rvfiUnderlineColor",
    "rvfiHoverUnderlineColor", "rvfiEmptyWidth", "rvfiCustom", "rvfiCustom2", "rvfiCustom3",
    "rvfiCustom4", "rvfiCustom5"};

const char* const RVParaInfoPropertyNames[RVParaInfoPropertyCount] = {
    "rvpiFirstIndent", "rvpiLeftIndent", "rvpiRightIndent", "rvpiSpaceBefore", "rvpiSpaceAfter",
    "rvpiAlignment", "rvpiLastLineAlignment", "rvpiNextParaNo", "rvpiDefStyleNo",
    "rvpiLineSpacing", "rvpiLineSpacingType", "rvpiBackground_Color", "rvpiBackground_Opacity",
    "rvpiBackground_BO_Left", "rvpiBackground_BO_Top", "rvpiBackground_BO_Right",
    "rvpiBackground_BO_Bottom", "rvpiBorder_Color", "rvpiBorder_Style", "rvpiBorder_Width",
    "rvpiBorder_InternalWidth", "rvpiBorder_BO_Left", "rvpiBorder_BO_Top", "rvpiBorder_BO_Right",
    "rvpiBorder_BO_Bottom", "rvpiBorder_Vis_Left", "rvpiBorder_Vis_Top", "rvpiBorder_Vis_Right",
    "rvpiBorder_Vis_Bottom", "rvpiNoWrap", "rvpiReadOnly", "rvpiStyleProtect",
    "rvpiDoNotWantReturns", "rvpiKeepLinesTogether", "rvpiKeepWithNext",
    "rvpiWidowOrphanControl", "rvpiTabs", "rvpiBiDiMode", "rvpiOutlineLevel", "rvpiCustom",
    "rvpiCustom2", "rvpiCustom3", "rvpiCustom4", "rvpiCustom5"};

namespace {
int Lookup(const char* const* names, int count, std::string_view name) {
  for (int i = 0; i < count; ++i)
    if (name == names[i]) return i;
  return -1;
}
int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}
}  // namespace

int RVFontInfoPropertyFromName(std::string_view name) {
  return Lookup(RVFontInfoPropertyNames, RVFontInfoPropertyCount, name);
}
int RVParaInfoPropertyFromName(std::string_view name) {
  return Lookup(RVParaInfoPropertyNames, RVParaInfoPropertyCount, name);
}

UnicodeString RVStyleUnicodeToHex(const UnicodeString& s) {
  static const char16_t digits[] = u"0123456789ABCDEF";
  UnicodeString r;
  r.reserve(s.size() * 4);
  for (char16_t c : s)
    for (int shift = 12; shift >= 0; shift -= 4) r += digits[(c >> shift) & 0xF];
  return r;
}

bool RVStyleHexToUnicode(const UnicodeString& hex, UnicodeString& s) {
  if (hex.size() % 4 != 0) return false;
  UnicodeString r;
  r.reserve(hex.size() / 4);
  for (std::size_t i = 0; i < hex.size(); i += 4) {
    unsigned v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const int d = HexDigit(hex[i + k]);
      if (d < 0) return false;
      v = v * 16 + static_cast<unsigned>(d);
    }
    r += static_cast<char16_t>(v);
  }
  s = std::move(r);
  return true;
}

// The desktop colours of a light default theme stand in until the platform answers them.
TColor RVStyleColorToRGB(TColor Color) {
  if ((static_cast<std::uint32_t>(Color) & 0xFF000000u) != 0xFF000000u) return Color & 0xFFFFFF;
  static const TColor sys[] = {
      0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
      0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
      0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
      0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0};
  const std::uint32_t idx = static_cast<std::uint32_t>(Color) & 0xFF;
  return idx < sizeof sys / sizeof sys[0] ? sys[idx] : 0;
}

int RVStyleScreenPixelsPerInch() { return 96; }

namespace {
// Simple upper-casing for the Latin-1, Latin Extended-A, Greek and Cyrillic letters.
char16_t UpperChar(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c >= 0x100 && c <= 0x17F && (c & 1)) return c - 1;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  return c;
}
}  // namespace

bool RVStyleSameText(const UnicodeString& a, const UnicodeString& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}
