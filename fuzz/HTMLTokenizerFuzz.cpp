// The HTML tokenizer over any bytes: the first byte chooses the encoding and the white-space
// handling, the rest is the page. Every block consumes input, the blocks' texts stay bounded by
// the input, and the value readers take every parameter value and text without failing.
#include <cstdlib>

#include "FuzzCommon.h"
#include "formats/html/RVHtmlParser.h"
#include "formats/html/RVHtmlValues.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > fuzz::MaxInput) return 0;
  const std::uint8_t opts = data[0];
  const std::string text = fuzz::Bytes(data + 1, size - 1);
  THtmlParser parser(text);
  parser.FEncoding = (opts & 1) ? rvhtmleUTF8 : rvhtmleANSI;
  parser.FCodePage = (opts & 2) ? 932 : 1252;
  parser.SetRemoveSpaces((opts & 4) == 0);
  TRVStyle sheet(nullptr);
  sheet.Units = (opts & 8) ? rvstuTwips : rvstuPixels;
  std::size_t blocks = 0, chars = 0;
  while (!parser.Done()) {
    const int before = parser.BytesParsed();
    parser.Next();
    if (parser.BytesParsed() <= before) std::abort();
    if (++blocks > text.size()) std::abort();
    // A reference never gives more code units than it was written with, nor a byte more than two.
    chars += parser.TagName().size();
    if (chars > 2 * text.size() + 2) std::abort();
    if ((opts & 16) && parser.CurrBlock() == cbTag) {
      for (int i = 0; i < parser.TagParamCount(); ++i) {
        const TRVUnicodeString& v = parser.TagParamValues(i);
        HtmlColorToColor(v);
        CSSLengthToUnits(v, &sheet, 0);
        CSSLengthToUnits(GetCSSValue(v, u"margin"), nullptr, 0);
        MakeAbsoluteLocation(THtmlParser::ReplaceEntities(v), u"/srv/page/");
        FolderOf(v);
        HtmlListTypeOf(v, ltDisc);
      }
    }
  }
  return 0;
}
