// Helpers of the HTML and CSS writers that styles and items call for their own fragments:
// escaping, colour values, font-family values and small attribute pieces.
#pragma once

#include "engine/foundation/RVTypes.h"

class TFont;
class TStream;

enum TRVSaveOption {
  rvsoOverrideImages,
  rvsoFirstOnly,
  rvsoMiddleOnly,
  rvsoLastOnly,
  rvsoDefault0Style,
  rvsoNoHypertextImageBorders,
  rvsoImageSizes,
  rvsoForceNonTextCSS,
  rvsoUseCheckpointsNames,
  rvsoMarkersAsText,
  rvsoInlineCSS,
  rvsoNoDefCSSStyle,
  rvsoUseItemImageFileNames,
  rvsoXHTML,
  rvsoUTF8,
  rvsoHeaderFooter
};
using TRVSaveOptions = TSet<TRVSaveOption, 16>;

TRVUnicodeString HTMLEscapeUnicodeText(const TRVUnicodeString& Text);
void HTMLEscapeAnsiText(const TRVAnsiString& Text, bool NoEscape, bool NextStartsWithSpace, TRVAnsiString& Result,
                        bool SpecialSpaces);

// "#rrggbb"; empty for clNone.
TRVAnsiString GetHTMLColorStr(TColor Color, bool Quotes);
// "transparent" for clNone.
TRVAnsiString GetCSSColorStr(TColor Color);
// Opacity in thousandths of a percent, 100000 = opaque.
TRVAnsiString GetCSSColorWithOpacity(TColor Color, int Opacity);
TRVUnicodeString GetCSSFontFamily(const TRVUnicodeString& FontName);
// CSS declarations of a font: weight, style, size, family (WithFamily), decoration and colour.
TRVUnicodeString GetCSSFontDeclarations(TFont& Font, bool WithFamily);

// Writes 8-bit text to a CSS or HTML stream, with CR LF after it when Multiline is set.
void RVWriteAnsiX(TStream* Stream, const TRVAnsiString& s, bool Multiline);

TRVAnsiString GetHTMLEmptyTagEnd(const TRVSaveOptions& SaveOptions);
TRVAnsiString GetHTMLImageAttributes(const TRVSaveOptions& SaveOptions, int Width, int Height, bool NoSize);
TRVAnsiString GetHTMLQuotedAttrValue(const TRVAnsiString& Value, const TRVSaveOptions& Options);
TRVAnsiString GetHTMLIntAttrValue(int Value, const TRVSaveOptions& SaveOptions);
