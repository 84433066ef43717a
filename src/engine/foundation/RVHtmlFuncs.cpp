#include "engine/foundation/RVHtmlFuncs.h"

#include <algorithm>

#include "engine/foundation/RVFuncs.h"
#include "platform/base/SysUtils.h"

namespace {
template <typename S>
void ReplaceAllIn(S& s, const S& from, const S& to) {
  std::size_t pos = 0;
  while ((pos = s.find(from, pos)) != S::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
}

// clWindowText is written as black, whatever the desktop's text colour is.
COLORREF HTMLRGB(TColor Color) {
  if (Color == clWindowText) return 0;
  return static_cast<COLORREF>(RVColorToRGB(Color)) & 0xFFFFFF;
}

TRVAnsiString Hex2(BYTE b) {
  static const char Digits[] = "0123456789abcdef";
  return {Digits[b >> 4], Digits[b & 0xF]};
}
}  // namespace

TRVUnicodeString HTMLEscapeUnicodeText(const TRVUnicodeString& Text) {
  TRVUnicodeString r = Text;
  ReplaceAllIn<TRVUnicodeString>(r, u"&", u"&amp;");
  ReplaceAllIn<TRVUnicodeString>(r, u">", u"&gt;");
  ReplaceAllIn<TRVUnicodeString>(r, u"<", u"&lt;");
  ReplaceAllIn<TRVUnicodeString>(r, u"  ", u"&nbsp; ");
  ReplaceAllIn<TRVUnicodeString>(r, u"\"", u"&quot;");
  ReplaceAllIn<TRVUnicodeString>(r, u"'", u"&apos;");
  return ReplaceControlChars(r);
}

void HTMLEscapeAnsiText(const TRVAnsiString& Text, bool NoEscape, bool NextStartsWithSpace, TRVAnsiString& Result,
                        bool SpecialSpaces) {
  Result = Text;
  if (NoEscape) return;
  ReplaceAllIn<TRVAnsiString>(Result, "&", "&amp;");
  ReplaceAllIn<TRVAnsiString>(Result, ">", "&gt;");
  ReplaceAllIn<TRVAnsiString>(Result, "<", "&lt;");
  if (SpecialSpaces) {
    ReplaceAllIn<TRVAnsiString>(Result, "  ", "&nbsp; ");
    if (NextStartsWithSpace && !Result.empty() && Result.back() == ' ') Result.replace(Result.size() - 1, 1, "&nbsp;");
  }
  Result = ReplaceControlCharsAnsi(Result);
}

TRVAnsiString GetHTMLColorStr(TColor Color, bool Quotes) {
  if (Color == clNone) return {};
  const COLORREF c = HTMLRGB(Color);
  TRVAnsiString r = "#" + Hex2(GetRValue(c)) + Hex2(GetGValue(c)) + Hex2(GetBValue(c));
  return Quotes ? "\"" + r + "\"" : r;
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
  return u"'" + FontName + u"'";
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
