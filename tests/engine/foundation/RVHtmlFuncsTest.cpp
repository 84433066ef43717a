#include <gtest/gtest.h>

#include "engine/foundation/RVHtmlFuncs.h"
#include "engine/foundation/RVOOXMLFuncs.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Graphics.h"

namespace {
std::string U8(const std::u16string& s) { return UnicodeToUtf8(s); }
}  // namespace

TEST(RVHtml, EscapeUnicodeText) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"", u""},
      {u"a & b", u"a &amp; b"},
      {u"<p>", u"&lt;p&gt;"},
      {u"a  b", u"a&nbsp; b"},
      {u"a   b", u"a&nbsp;  b"},
      {u"a    b", u"a&nbsp; &nbsp; b"},
      {u"\"it's\"", u"&quot;it&apos;s&quot;"},
      {u"&lt;", u"&amp;lt;"},  // "&" goes first, so entities in the text stay visible
      {u"a\tb\x01\r\n\uFFFF", u"a\tb????"},
  };
  for (auto [text, result] : cases) EXPECT_EQ(HTMLEscapeUnicodeText(text), result) << U8(text);
}

TEST(RVHtml, EscapeAnsiText) {
  struct Case { const char* text; bool noEscape, nextSpace, special; const char* result; };
  const Case cases[] = {
      {"a<&>\x01", true, false, true, "a<&>\x01"},
      {"a<&>\x01\t", false, false, false, "a&lt;&amp;&gt;?\t"},
      {"a  b ", false, false, false, "a  b "},
      {"a  b ", false, false, true, "a&nbsp; b "},
      {"a  b ", false, true, true, "a&nbsp; b&nbsp;"},
      {"a  ", false, true, true, "a&nbsp;&nbsp;"},
      {"a ", false, true, false, "a "},
      {"", false, true, true, ""},
      {"\"q\"", false, false, true, "\"q\""},
  };
  for (const auto& c : cases) {
    std::string r = "junk";
    HTMLEscapeAnsiText(c.text, c.noEscape, c.nextSpace, r, c.special);
    EXPECT_EQ(r, c.result) << c.text << " " << c.noEscape << c.nextSpace << c.special;
  }
}

TEST(RVHtml, ColorStrings) {
  struct Case { TColor color; const char* html; const char* quoted; const char* css; const char* ooxml; const char* ooxmlAuto; };
  const Case cases[] = {
      {clRed, "#ff0000", "\"#ff0000\"", "#ff0000", "FF0000", "FF0000"},
      {0x563412, "#123456", "\"#123456\"", "#123456", "123456", "123456"},
      {clWindowText, "#000000", "\"#000000\"", "#000000", "000000", "auto"},
      {clWindow, "#ffffff", "\"#ffffff\"", "#ffffff", "FFFFFF", "FFFFFF"},
      {clNone, "", "", "transparent", "FFFFFF", "auto"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetHTMLColorStr(c.color, false), c.html) << std::hex << c.color;
    EXPECT_EQ(GetHTMLColorStr(c.color, true), c.quoted) << std::hex << c.color;
    EXPECT_EQ(GetCSSColorStr(c.color), c.css) << std::hex << c.color;
    EXPECT_EQ(GetOOXMLColorStr(c.color, false), c.ooxml) << std::hex << c.color;
    EXPECT_EQ(GetOOXMLColorStr(c.color, true), c.ooxmlAuto) << std::hex << c.color;
  }
}

TEST(RVHtml, ColorWithOpacity) {
  struct Case { TColor color; int opacity; const char* result; };
  const Case cases[] = {
      {clRed, 100000, "#ff0000"},
      {clNone, 100000, "transparent"},
      {clNone, 50000, ""},
      {0x563412, 50000, "rgba(18,52,86,0.5)"},
      {clWindowText, 25000, "rgba(0,0,0,0.25)"},
      {clRed, 0, "rgba(255,0,0,0)"},
      {clRed, 400, "rgba(255,0,0,0)"},          // hundredths round to 0
      {clRed, 12500, "rgba(255,0,0,0.12)"},     // 12.5 hundredths round to even
      {clRed, 10000, "rgba(255,0,0,0.1)"},      // trailing zero dropped
      {clRed, 99999, "rgba(255,0,0,1)"},        // rounds up into the integer part
      {clRed, 150000, "rgba(255,0,0,1.5)"},
      {clRed, -20000, "rgba(255,0,0,0)"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetCSSColorWithOpacity(c.color, c.opacity), c.result) << c.opacity;
}

TEST(RVHtml, CssFontFamily) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"Arial", u"'Arial', 'Helvetica', sans-serif"},
      {u"arial", u"'Arial', 'Helvetica', sans-serif"},
      {u"ARIAL BLACK", u"'Arial Black', 'Gadget', sans-serif"},
      {u"Times New Roman", u"'Times New Roman', 'Times', serif"},
      {u"courier new", u"'Courier New', 'Courier', monospace"},
      {u"Comic Sans MS", u"'Comic Sans MS', cursive"},
      {u"Impact", u"'Impact', 'Charcoal', fantasy"},
      {u"Arial Unicode MS", u"'Arial Unicode MS', 'Arial', 'Helvetica', sans-serif"},
      {u"Georgia", u"'Georgia', serif"},
      {u"Lucida Console", u"'Lucida Console', 'Monaco', monospace"},
      {u"DejaVu Sans", u"'DejaVu Sans'"},
      {u"\u0428\u0440\u0438\u0444\u0442", u"'\u0428\u0440\u0438\u0444\u0442'"},
      {u"", u"''"},
      // Quotes, backslashes and control characters cannot end the string or the attribute.
      {u"Bob's Font", u"'Bob\\'s Font'"},
      {u"A\\B", u"'A\\\\B'"},
      {u"Say \"Hi\"", u"'Say \\22 Hi\\22 '"},
      {u"Two\nLines", u"'Two\\0A Lines'"},
  };
  for (auto [name, family] : cases) EXPECT_EQ(GetCSSFontFamily(name), family) << U8(name);
}

TEST(RVHtml, AttributePieces) {
  const TRVSaveOptions none;
  const TRVSaveOptions xhtml{rvsoXHTML};
  EXPECT_EQ(GetHTMLEmptyTagEnd(none), "");
  EXPECT_EQ(GetHTMLEmptyTagEnd(xhtml), " /");

  struct ImgCase { TRVSaveOptions options; bool noSize; const char* result; };
  const ImgCase images[] = {
      {none, false, " "},
      {{rvsoNoHypertextImageBorders}, false, " border=0 "},
      {{rvsoImageSizes}, false, " width=32 height=16 "},
      {{rvsoImageSizes}, true, " "},
      {{rvsoImageSizes, rvsoNoHypertextImageBorders}, false, " border=0 width=32 height=16 "},
  };
  for (const auto& c : images) EXPECT_EQ(GetHTMLImageAttributes(c.options, 32, 16, c.noSize), c.result);

  struct QuoteCase { const char* value; TRVSaveOptions options; const char* result; };
  const QuoteCase quotes[] = {
      {"disc", none, "disc"},       {"disc", xhtml, "\"disc\""},     {"\"disc\"", xhtml, "\"disc\""},
      {"", xhtml, "\"\""},          {"\"a", xhtml, "\"\"a\""},        {"a\"", xhtml, "\"a\"\""},
  };
  for (const auto& c : quotes) EXPECT_EQ(GetHTMLQuotedAttrValue(c.value, c.options), c.result) << c.value;

  EXPECT_EQ(GetHTMLIntAttrValue(-12, none), "-12");
  EXPECT_EQ(GetHTMLIntAttrValue(7, xhtml), "\"7\"");
}

TEST(RVHtml, CssFontDeclarations) {
  struct Case { const char16_t* name; int height; TFontStyles style; TColor color; bool family; const char16_t* css; };
  const Case cases[] = {
      {u"Arial", -16, {}, clBlack, false, u"font-size: 12pt; color: #000000;"},
      {u"Arial", -16, {fsBold, fsItalic}, clRed, true,
       u"font-weight: bold; font-style: italic; font-size: 12pt; font-family: 'Arial', 'Helvetica', sans-serif; "
       u"color: #ff0000;"},
      {u"My Face", -13, {fsUnderline}, clWindowText, true,
       u"font-size: 10pt; font-family: 'My Face'; text-decoration: underline; color: #000000;"},
      {u"wingdings", -16, {fsUnderline, fsStrikeOut}, 0x563412, true,
       u"font-size: 12pt; font-family: Symbola, 'Arial Unicode MS', 'Lucida Sans Unicode', 'Arial', 'Helvetica', "
       u"sans-serif; text-decoration: underline line-through; color: #123456;"},
      {u"Arial", 0, {fsStrikeOut}, clBlue, false, u"font-size: 0px; text-decoration: line-through; color: #0000ff;"},
  };
  for (const auto& c : cases) {
    TFont f;
    f.SetName(c.name);
    f.SetHeight(c.height);
    f.SetStyle(c.style);
    f.SetColor(c.color);
    EXPECT_EQ(GetCSSFontDeclarations(f, c.family), c.css) << U8(c.name);
  }
}
