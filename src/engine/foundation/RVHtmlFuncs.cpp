#include "engine/foundation/RVHtmlFuncs.h"

#include <algorithm>

#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVStrFuncs.h"
#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Graphics.h"

namespace {
// clWindowText is written as black, whatever the desktop's text colour is.
COLORREF HTMLRGB(TColor Color) {
  if (Color == clWindowText) return 0;
  return static_cast<COLORREF>(RVColorToRGB(Color)) & 0xFFFFFF;
}

void AppendHex2(TRVAnsiString& s, BYTE b) {
  static const char Digits[] = "0123456789abcdef";
  s += Digits[b >> 4];
  s += Digits[b & 0xF];
}
}  // namespace

TRVUnicodeString HTMLEscapeUnicodeText(const TRVUnicodeString& Text) {
  TRVUnicodeString r = Text;
  r = ReplaceAllUnicode(r, u"&", u"&amp;");
  r = ReplaceAllUnicode(r, u">", u"&gt;");
  r = ReplaceAllUnicode(r, u"<", u"&lt;");
  r = ReplaceAllUnicode(r, u"  ", u"&nbsp; ");
  r = ReplaceAllUnicode(r, u"\"", u"&quot;");
  r = ReplaceAllUnicode(r, u"'", u"&apos;");
  return ReplaceControlChars(r);
}

void HTMLEscapeAnsiText(const TRVAnsiString& Text, bool NoEscape, bool NextStartsWithSpace, TRVAnsiString& Result,
                        bool SpecialSpaces) {
  Result = Text;
  if (NoEscape) return;
  Result = ReplaceAllAnsi(Result, "&", "&amp;");
  Result = ReplaceAllAnsi(Result, ">", "&gt;");
  Result = ReplaceAllAnsi(Result, "<", "&lt;");
  if (SpecialSpaces) {
    Result = ReplaceAllAnsi(Result, "  ", "&nbsp; ");
    if (NextStartsWithSpace && !Result.empty() && Result.back() == ' ') {
      Result.pop_back();
      Result += "&nbsp;";
    }
  }
  Result = ReplaceControlCharsAnsi(Result);
}

TRVAnsiString GetHTMLColorStr(TColor Color, bool Quotes) {
  if (Color == clNone) return {};
  const COLORREF c = HTMLRGB(Color);
  TRVAnsiString r;
  if (Quotes) r += '"';
  r += '#';
  AppendHex2(r, GetRValue(c));
  AppendHex2(r, GetGValue(c));
  AppendHex2(r, GetBValue(c));
  if (Quotes) r += '"';
  return r;
}

TRVAnsiString GetCSSColorStr(TColor Color) {
  if (Color == clNone) return "transparent";
  return GetHTMLColorStr(Color, false);
}

// The alpha is rounded to hundredths as a whole, so an opacity just under 100000 reads "1" and
// never carries a third fraction digit.
TRVAnsiString GetCSSColorWithOpacity(TColor Color, int Opacity) {
  if (Opacity == 100000) return GetCSSColorStr(Color);
  if (Color == clNone) return {};
  const COLORREF c = HTMLRGB(Color);
  const std::int64_t hundredths = std::max<std::int64_t>(Round(Opacity / 1000.0L), 0);
  TRVAnsiString alpha = std::to_string(hundredths / 100);
  if (const int frac = static_cast<int>(hundredths % 100); frac != 0) {
    alpha += '.';
    alpha += static_cast<char>('0' + frac / 10);
    if (frac % 10 != 0) alpha += static_cast<char>('0' + frac % 10);
  }
  return "rgba(" + std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
         std::to_string(GetBValue(c)) + "," + alpha + ")";
}

TRVUnicodeString GetCSSFontFamily(const TRVUnicodeString& FontName) {
  static const struct { const char16_t* Name; const char16_t* Family; } Table[16] = {
      {u"Arial", u"'Arial', 'Helvetica', sans-serif"},
      {u"Trebuchet MS", u"'Trebuchet MS', 'Helvetica', sans-serif"},
      {u"Times New Roman", u"'Times New Roman', 'Times', serif"},
      {u"Verdana", u"'Verdana', 'Geneva', sans-serif"},
      {u"Tahoma", u"'Tahoma', 'Geneva', sans-serif"},
      {u"MS Sans Serif", u"'MS Sans Serif', 'Geneva', sans-serif"},
      {u"Arial Black", u"'Arial Black', 'Gadget', sans-serif"},
      {u"MS Serif", u"'MS Serif', 'New York', serif"},
      {u"Book Antiqua", u"'Book Antiqua', 'Palatino', serif"},
      {u"Palatino Linotype", u"'Palatino Linotype', 'Palatino', serif"},
      {u"Georgia", u"'Georgia', serif"},
      {u"Lucida Console", u"'Lucida Console', 'Monaco', monospace"},
      {u"Courier New", u"'Courier New', 'Courier', monospace"},
      {u"Comic Sans MS", u"'Comic Sans MS', cursive"},
      {u"Impact", u"'Impact', 'Charcoal', fantasy"},
      {u"Arial Unicode MS", u"'Arial Unicode MS', 'Arial', 'Helvetica', sans-serif"}};
  // The table's names are plain ASCII, so a case-insensitive ASCII comparison finds the same rows
  // as a locale-aware one.
  for (const auto& row : Table)
    if (SameTextAscii(FontName, row.Name)) return row.Family;
  // Other names go between single quotes, escaped so that no name can end the string early:
  // quotes and backslashes by a backslash, double quotes and control characters (which a CSS
  // string cannot hold) by their hexadecimal code, so the value also survives a double-quoted
  // style attribute.
  TRVUnicodeString r = u"'";
  for (char16_t c : FontName) {
    if (c == u'\'' || c == u'\\') {
      r += u'\\';
      r += c;
    } else if (c == u'"' || c < 0x20 || c == 0x7F) {
      const TRVRawByteString hex = AnsiToHex(TRVRawByteString(1, static_cast<char>(c)));
      r += u'\\';
      r.append(hex.begin(), hex.end());
      r += u' ';
    } else {
      r += c;
    }
  }
  return r + u"'";
}

namespace {
// The fonts whose characters are pictures rather than letters.
bool IsSymbolFontName(const TRVUnicodeString& Name) {
  for (const char16_t* n : {u"Symbol", u"Wingdings", u"Wingdings 2", u"Wingdings 3", u"Webdings"})
    if (SameTextAscii(Name, n)) return true;
  return false;
}
}  // namespace

TRVUnicodeString GetCSSFontDeclarations(TFont& Font, bool WithFamily) {
  TRVUnicodeString r;
  const TFontStyles style = Font.GetStyle();
  if (style.Contains(fsBold)) AppendWithSpace(r, u"font-weight: bold;");
  if (style.Contains(fsItalic)) AppendWithSpace(r, u"font-style: italic;");
  const int size = Font.GetSize();
  if (size >= 1)
    AppendWithSpace(r, Format(u"font-size: %dpt;", {size}));
  else
    AppendWithSpace(r, Format(u"font-size: %dpx;", {Font.GetHeight()}));
  if (WithFamily) {
    const TRVUnicodeString family =
        IsSymbolFontName(Font.GetName())
            ? TRVUnicodeString(u"Symbola, 'Arial Unicode MS', 'Lucida Sans Unicode', 'Arial', 'Helvetica', sans-serif")
            : GetCSSFontFamily(Font.GetName());
    AppendWithSpace(r, Format(u"font-family: %s;", {family}));
  }
  const bool underline = style.Contains(fsUnderline), strike = style.Contains(fsStrikeOut);
  if (underline || strike) {
    const char16_t* decoration = underline && strike ? u"underline line-through" : underline ? u"underline" : u"line-through";
    r = Format(u"%s text-decoration: %s;", {r, decoration});
  }
  return Format(u"%s color: %s;", {r, GetHTMLColorStr(Font.GetColor(), false)});
}

void RVWriteAnsiX(TStream* Stream, const TRVAnsiString& s, bool Multiline) {
  if (!s.empty()) Stream->WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
  if (Multiline) Stream->WriteBuffer("\r\n", 2);
}

TRVAnsiString GetHTMLEmptyTagEnd(const TRVSaveOptions& SaveOptions) {
  return SaveOptions.Contains(rvsoXHTML) ? " /" : "";
}

TRVAnsiString GetHTMLImageAttributes(const TRVSaveOptions& SaveOptions, int Width, int Height, bool NoSize) {
  TRVAnsiString r = SaveOptions.Contains(rvsoNoHypertextImageBorders) ? " border=0 " : " ";
  if (SaveOptions.Contains(rvsoImageSizes) && !NoSize)
    r += "width=" + std::to_string(Width) + " height=" + std::to_string(Height) + " ";
  return r;
}

TRVAnsiString GetHTMLQuotedAttrValue(const TRVAnsiString& Value, const TRVSaveOptions& Options) {
  if (!Options.Contains(rvsoXHTML)) return Value;
  if (Value.size() >= 1 && Value.front() == '"' && Value.back() == '"') return Value;
  return "\"" + Value + "\"";
}

TRVAnsiString GetHTMLIntAttrValue(int Value, const TRVSaveOptions& SaveOptions) {
  const TRVAnsiString s = std::to_string(Value);
  return SaveOptions.Contains(rvsoXHTML) ? "\"" + s + "\"" : s;
}
