#include "engine/styles/RVStyleTypes.h"

#include <string_view>

#include "platform/base/NLS.h"

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
}  // namespace

int RVFontInfoPropertyFromName(std::string_view name) {
  return Lookup(RVFontInfoPropertyNames, RVFontInfoPropertyCount, name);
}
int RVParaInfoPropertyFromName(std::string_view name) {
  return Lookup(RVParaInfoPropertyNames, RVParaInfoPropertyCount, name);
}

const std::vector<UnicodeString>& RVBiDiModeNames() {
  static const std::vector<UnicodeString> n = {u"rvbdUnspecified", u"rvbdLeftToRight", u"rvbdRightToLeft"};
  return n;
}

const std::vector<UnicodeString>& RVFontStyleValueNames() {
  static const std::vector<UnicodeString> n = {u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut"};
  return n;
}

bool RVStyleSameText(const UnicodeString& a, const UnicodeString& b) {
  if (a.size() != b.size()) return false;
  UnicodeString ua = a, ub = b;
  CharUpperBuffW(ua.data(), static_cast<DWORD>(ua.size()));
  CharUpperBuffW(ub.data(), static_cast<DWORD>(ub.size()));
  return ua == ub;
}
