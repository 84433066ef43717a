// Helpers of the DOCX writer that styles and items call for their own elements: colour values,
// text escaping and the small "w:" property elements.
#pragma once

#include "engine/foundation/RVTypes.h"

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
