// Value types shared by every style class of the style sheet: units, directions, the property
// enumerations through which style properties are selected, ignored and recorded as modified.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/foundation/RVError.h"
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"
#include "platform/graphics/Graphics.h"

// A length in the sheet's units (pixels or twips).
using TRVStyleLength = std::int32_t;
// A length in units chosen by the owner, as floating point.
using TRVLength = Extended;
using TRVStyleTemplateId = std::int32_t;
using TRVStyleTemplateName = UnicodeString;
// Thousandths of a percent: 100000 is opaque.
using TRVOpacity = std::int32_t;
using TRVLineSpacingValue = std::int32_t;
using TCursor = std::int16_t;

// The sheet's hyperlink cursor.
constexpr TCursor crJump = 101;

enum TRVStyleUnits : std::uint8_t { rvstuPixels, rvstuTwips };
enum TRVBiDiMode : std::uint8_t { rvbdUnspecified, rvbdLeftToRight, rvbdRightToLeft };
enum TRVStyleMergeMode { rvs_merge_SmartMerge = 0, rvs_merge_Map = 1, rvs_merge_Append = 2 };

// ---- text style properties ----------------------------------------------------------------------

enum TRVFontInfoProperty : std::uint8_t {
  rvfiFontName, rvfiSize, rvfiCharset, rvfiUnicode, rvfiBold, rvfiItalic, rvfiUnderline,
  rvfiStrikeout, rvfiOverline, rvfiAllCaps, rvfiSubSuperScriptType, rvfiVShift, rvfiColor,
  rvfiBackColor, rvfiJump, rvfiHoverBackColor, rvfiHoverColor, rvfiHoverUnderline, rvfiJumpCursor,
  rvfiNextStyleNo, rvfiProtection, rvfiCharScale, rvfiBaseStyleNo, rvfiBiDiMode, rvfiCharSpacing,
  rvfiHTMLCode, rvfiRTFCode, rvfiDocXCode, rvfiHidden, rvfiUnderlineType, rvfiUnderlineColor,
  rvfiHoverUnderlineColor, rvfiEmptyWidth, rvfiCustom, rvfiCustom2, rvfiCustom3, rvfiCustom4,
  rvfiCustom5
};
constexpr int RVFontInfoPropertyCount = 38;
using TRVFontInfoProperties = TSet<TRVFontInfoProperty, RVFontInfoPropertyCount>;
inline constexpr TRVFontInfoProperties AllTextStyleProperties =
    TRVFontInfoProperties::Range(rvfiFontName, rvfiCustom5);
// Member names as the component stream and INI files spell them.
extern const char* const RVFontInfoPropertyNames[RVFontInfoPropertyCount];

// ---- paragraph style properties -----------------------------------------------------------------

enum TRVParaInfoProperty : std::uint8_t {
  rvpiFirstIndent, rvpiLeftIndent, rvpiRightIndent, rvpiSpaceBefore, rvpiSpaceAfter,
  rvpiAlignment, rvpiLastLineAlignment, rvpiNextParaNo, rvpiDefStyleNo, rvpiLineSpacing,
  rvpiLineSpacingType, rvpiBackground_Color, rvpiBackground_Opacity, rvpiBackground_BO_Left,
  rvpiBackground_BO_Top, rvpiBackground_BO_Right, rvpiBackground_BO_Bottom, rvpiBorder_Color,
  rvpiBorder_Style, rvpiBorder_Width, rvpiBorder_InternalWidth, rvpiBorder_BO_Left,
  rvpiBorder_BO_Top, rvpiBorder_BO_Right, rvpiBorder_BO_Bottom, rvpiBorder_Vis_Left,
  rvpiBorder_Vis_Top, rvpiBorder_Vis_Right, rvpiBorder_Vis_Bottom, rvpiNoWrap, rvpiReadOnly,
  rvpiStyleProtect, rvpiDoNotWantReturns, rvpiKeepLinesTogether, rvpiKeepWithNext,
  rvpiWidowOrphanControl, rvpiTabs, rvpiBiDiMode, rvpiOutlineLevel, rvpiCustom, rvpiCustom2,
  rvpiCustom3, rvpiCustom4, rvpiCustom5
};
constexpr int RVParaInfoPropertyCount = 44;
using TRVParaInfoProperties = TSet<TRVParaInfoProperty, RVParaInfoPropertyCount>;
inline constexpr TRVParaInfoProperties AllParaStyleProperties =
    TRVParaInfoProperties::Range(rvpiFirstIndent, rvpiCustom5);
inline constexpr TRVParaInfoProperties BackgroundParaProperties =
    TRVParaInfoProperties::Range(rvpiBackground_Color, rvpiBackground_BO_Bottom);
inline constexpr TRVParaInfoProperties BorderParaProperties =
    TRVParaInfoProperties::Range(rvpiBorder_Color, rvpiBorder_Vis_Bottom);
extern const char* const RVParaInfoPropertyNames[RVParaInfoPropertyCount];

// Looks a member name up ("rvfiBold"); -1 when it names no member.
int RVFontInfoPropertyFromName(std::string_view name);
int RVParaInfoPropertyFromName(std::string_view name);

// Value names of the component stream shared by several style classes.
const std::vector<UnicodeString>& RVBiDiModeNames();
const std::vector<UnicodeString>& RVFontStyleValueNames();

// Case-insensitive comparison of names (font names) by the user's locale.
bool RVStyleSameText(const UnicodeString& a, const UnicodeString& b);
