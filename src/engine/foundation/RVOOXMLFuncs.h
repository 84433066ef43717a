// Helpers of the DOCX writer that styles and items call for their own elements: colour values,
// text escaping and the small "w:" property elements.
#pragma once

#include "engine/foundation/RVTypes.h"
#include "engine/foundation/RVVAlign.h"
#include "platform/base/Classes.h"

// When set, hyperlinks (and so their hints) are written as HYPERLINK fields.
extern bool DocXHyperlinksAsFields;

// Six upper-case hexadecimal digits, red first; "auto" for clWindowText and clNone when asked.
TRVAnsiString GetOOXMLColorStr(TColor Color, bool Auto);
// UTF-8 text with control characters replaced and "&", ">", "<" as entities; quotes stay.
TRVAnsiString OOXMLEncodeText(const TRVUnicodeString& Text);
TRVUnicodeString OOXMLEscapeUnicodeText(const TRVUnicodeString& Text);
TRVAnsiString OOXMLEscapeAnsiText(const TRVAnsiString& Text, bool EscapeQuotes, bool ReplaceControls);

void OOXMLBoolElement(const TRVAnsiString& Name, bool Value, TRVAnsiString& Output);
void OOXMLValElement(const TRVAnsiString& Name, const TRVAnsiString& Value, TRVAnsiString& Output);
void OOXMLIntValElement(const TRVAnsiString& Name, int Value, TRVAnsiString& Output);
void OOXMLColorValElement(const TRVAnsiString& Name, TColor Color, TRVAnsiString& Output);
void OOXMLRFontsElement(const TRVUnicodeString& FontName, TRVAnsiString& Output);

// One picture run: "<w:drawing>", an inline picture (or, for rvvaLeft and rvvaRight, one anchored
// to that side of the column with the text wrapped on the other side), "</w:drawing>". Lengths
// are in EMU as given; the picture is stretched to Width x Height and refers to relation RelId.
void OOXMLWriteDrawing(TStream& Stream, const TRVAnsiString& Name, const TRVAnsiString& RelId, TColor FillColor,
                       TColor BorderColor, int BorderWidth, int DrawingIndex, int HSpacing, int VSpacing,
                       TRVVAlign VAlign, int Height, int Width, const TRVUnicodeString& Alt);
