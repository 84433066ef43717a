// Value types shared by every style class of the style sheet: units, directions, the property
// enumerations through which style properties are selected, ignored and recorded as modified.
#pragma once

#include <cstdint>

#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"

// A length in the sheet's units (pixels or twips).
using TRVStyleLength = std::int32_t;
// A length in units chosen by the owner, as floating point.
using TRVLength = Extended;
using TRVStyleTemplateId = std::int32_t;
using TRVStyleTemplateName = UnicodeString;
// Thousandths of a percent: 100000 is opaque.
using TRVOpacity = std::int32_t;
using TRVLineSpacingValue = std::int32_t;
using TFontCharset = BYTE;
using TCursor = std::int16_t;

constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
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

// ---- stand-ins for routines of neighbouring units ------------------------------------------
// The engine's error class and the resolution of system colours are declared by lower layers
// that are still being written; these stand-ins are the only copies and go when those land.

#ifndef TAVRELO_HAS_EVIROZEREERROR
TAVRELO_EXCEPTION(EViroZereError, Exception)
#endif

#ifndef TAVRELO_HAS_TFONTSTYLE
enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle, 4>;
#endif

// An RGB value for any colour: system colours resolve to the current desktop values.
TColor RVStyleColorToRGB(TColor Color);
// UTF-16 text as four upper-case hexadecimal digits per code unit, and back (either case);
// decoding answers false on a length that is not a multiple of four or a non-digit.
UnicodeString RVStyleUnicodeToHex(const UnicodeString& s);
bool RVStyleHexToUnicode(const UnicodeString& hex, UnicodeString& s);
// Pixels per inch of the screen that style lengths in pixels refer to.
int RVStyleScreenPixelsPerInch();
// Case-insensitive comparison of names (font names) by the user's locale.
bool RVStyleSameText(const UnicodeString& a, const UnicodeString& b);
