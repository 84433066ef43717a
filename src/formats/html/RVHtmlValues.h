// Values of HTML attributes and CSS declarations as the HTML importer reads them: colours, font
// sizes, list types, alignments, lengths, line heights, border widths, pictures given as "data:"
// locations and the completion of relative locations; and the reader of the style sheet that our
// own HTML export writes (classes rvtsN and rvpsN) with its two process-wide lookup tables.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"

class TCustomViroZere;

// ==== values (RVHtmlValues.cpp) ====

// List kinds of the "type" attribute of lists and list items.
enum TListType { ltDisc, ltCircle, ltSquare, ltNumber, ltLowerAlpha, ltUpperAlpha, ltLowerRoman, ltUpperRoman };

// An HTML or CSS colour: a keyword (CSS colours, system colours, "transparent" = clNone), an
// "rgb(...)" value or hexadecimal digits; anything else gives black.
TColor HtmlColorToColor(const TRVUnicodeString& Text);
// "rgb(r, g, b)": each part trimmed and read as an integer (0 when unreadable), low 8 bits used.
TColor ParseRGBColor(const TRVUnicodeString& Text);
// HTML font sizes 1..7 are 8, 10, 12, 14, 18, 24 and 36 points.
int HtmlFontSizeIndex(int Points);
int HtmlFontSizePoints(int Index);
TListType HtmlListTypeOf(const TRVUnicodeString& Text, TListType Default);
TRVAlignment HtmlAlignmentOf(const TRVUnicodeString& Text, TRVAlignment Default);
// The value of the property Name in a declaration text (name matched case-sensitively at the
// start or after a space, ";" or "{"); empty when absent.
TRVUnicodeString GetCSSValue(const TRVUnicodeString& StyleText, const TRVUnicodeString& Name);
// A CSS length ("px", "pt" or a bare number of pixels) in the units of RVStyle; in pixels when
// RVStyle is null. Default (pixels) stands for an unreadable value.
TRVStyleLength CSSLengthToUnits(const TRVUnicodeString& Text, const TRVStyle* RVStyle, TRVStyleLength Default);
// "line-height": a length ("px", "pt") gives at-least spacing, a bare factor percent spacing.
void ApplyCSSLineHeight(const TRVUnicodeString& Text, TCustomRVParaInfo* ParaStyle);
// The thickness of a whole border, and the width of one of its lines for a whole thickness.
TRVStyleLength TotalBorderWidth(const TRVBorder* Border);
TRVStyleLength BorderLineWidth(TRVStyleLength Total, TRVBorderStyle BorderStyle);
// A new picture decoded from a Base64 "data:" location; null when it is none or is unreadable.
std::unique_ptr<TGraphic> DataUriToGraphic(const TRVUnicodeString& Location);
// The scheme and host of a URL, or the drive of a path ("C:").
TRVUnicodeString SiteRootOf(const TRVUnicodeString& Path);
// The path up to and including its last "/", "\" (or a leading drive's ":").
TRVUnicodeString FolderOf(const TRVUnicodeString& Path);
// Location completed with BasePath (which ends with a delimiter); URLs, drive paths and "#"
// anchors are given back unchanged.
TRVUnicodeString MakeAbsoluteLocation(const TRVUnicodeString& Location, const TRVUnicodeString& BasePath);

// ==== imported style sheet (RVHtmlStyleSheet.cpp) ====

// Entry N: the text style that class rvtsN stands for.
struct TRVFontRec {
  int TextStyleNo = 0;
};
// Entry N: the "text-align" value (lower case, possibly empty) and paragraph style of rvpsN.
struct TRVParaRec {
  TRVUnicodeString TAlign;
  int ParaStyleNo = 0;
};
// The process-wide lookup tables, filled by ParseImportedStyleSheet; emptied when an import starts.
std::vector<TRVFontRec>& TRVFonts();
std::vector<TRVParaRec>& TRVParas();
void ClearImportedStyleTables();

// What the style-sheet reader needs of the importer that calls it.
struct TRVHtmlStyleSheetImporter {
  // Pictures named by the sheet (the body's background) are not loaded.
  bool IgnorePictures = false;
  // Loads a picture named by a location (null when it cannot be loaded); unset: none is loaded.
  std::function<std::unique_ptr<TGraphic>(const TRVUnicodeString& Location)> LoadPicture;
  // Set when the body's background picture was read.
  bool BackgroundRead = false;
};

// Reads the rules of one piece of an exported style sheet (one source line or one comment,
// lower-cased) into the viewer's style sheet and the two tables.
void ParseImportedStyleSheet(TRVHtmlStyleSheetImporter& Importer, const TRVUnicodeString& CSSText,
                             TCustomViroZere* Viewer);
