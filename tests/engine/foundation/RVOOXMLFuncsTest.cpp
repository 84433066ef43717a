#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "engine/foundation/RVOOXMLFuncs.h"
#include "platform/base/SysUtils.h"

namespace {
std::string Drawing(TRVVAlign valign, TColor fill, const std::u16string& alt) {
  TMemoryStream s;
  OOXMLWriteDrawing(s, "image1.png", "rId7", fill, clRed, 12700, 3, 114300, 57150, valign, 952500, 1905000, alt);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.GetSize()));
}

// Checks well-formedness with the independent XML tool. A missing tool is a failure, not a skip:
// CTest reports a program whose tests skipped as passed, so a skip would hide the lost check.
void ExpectWellFormed(const std::string& fragment) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    ADD_FAILURE() << "xmllint is missing (libxml2-utils, installed by scripts/setup.sh)";
    return;
  }
  const std::string path = std::string(TAVRELO_TEST_OUTPUT) + "/drawing.xml";
  std::ofstream(path) << "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                         "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
                         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                      << fragment << "</w:document>";
  EXPECT_EQ(std::system(("xmllint --noout " + path).c_str()), 0) << fragment;
}
}  // namespace

TEST(RVOOXML, TextEscaping) {
  EXPECT_EQ(OOXMLEncodeText(u"a<b>&\"'\t\x01\uFFFE\u0436\u20AC"), "a&lt;b&gt;&amp;\"'\t??\xD0\xB6\xE2\x82\xAC");
  EXPECT_EQ(OOXMLEscapeUnicodeText(u"a<b>&\"'\x02\t"), u"a&lt;b&gt;&amp;&quot;&apos;?\t");
  struct Case { const char* text; bool quotes, controls; const char* result; };
  const Case cases[] = {
      {"a<&>\"'\x01", false, false, "a&lt;&amp;&gt;\"'\x01"},
      {"a<&>\"'\x01", true, false, "a&lt;&amp;&gt;&quot;&apos;\x01"},
      {"a<&>\"'\x01\t", true, true, "a&lt;&amp;&gt;&quot;&apos;?\t"},
  };
  for (const auto& c : cases) EXPECT_EQ(OOXMLEscapeAnsiText(c.text, c.quotes, c.controls), c.result);
}

TEST(RVOOXML, Elements) {
  std::string out = "<w:rPr>";
  OOXMLBoolElement("b", true, out);
  OOXMLBoolElement("i", false, out);
  OOXMLValElement("u", "single", out);
  OOXMLIntValElement("sz", -24, out);
  OOXMLColorValElement("color", clRed, out);
  OOXMLColorValElement("color", clWindowText, out);
  OOXMLRFontsElement(u"A&B \u0436", out);
  EXPECT_EQ(out,
            "<w:rPr><w:b/><w:i w:val=\"0\"/><w:u w:val=\"single\"/><w:sz w:val=\"-24\"/>"
            "<w:color w:val=\"FF0000\"/><w:color w:val=\"auto\"/>"
            "<w:rFonts w:ascii=\"A&amp;B \xD0\xB6\" w:hAnsi=\"A&amp;B \xD0\xB6\" w:cs =\"A&amp;B \xD0\xB6\" "
            "w:eastAsia=\"A&amp;B \xD0\xB6\"/>");
  // Font names stand in attribute values: their quotes are escaped.
  out.clear();
  OOXMLRFontsElement(u"Bob's \"Font\"", out);
  const std::string f = "Bob&apos;s &quot;Font&quot;";
  EXPECT_EQ(out, "<w:rFonts w:ascii=\"" + f + "\" w:hAnsi=\"" + f + "\" w:cs =\"" + f + "\" w:eastAsia=\"" + f + "\"/>");
}

TEST(RVOOXML, Drawings) {
  struct Case { TRVVAlign valign; TColor fill; std::u16string alt; std::vector<std::string> present, absent; };
  const Case cases[] = {
      {rvvaBaseline, clNone, u"",
       {"<w:drawing><wp:inline distT=\"57150\" distB=\"57150\" distL=\"114300\" distR=\"114300\">",
        "<wp:extent cx=\"1905000\" cy=\"952500\"/>",
        "<wp:effectExtent l=\"12700\" t=\"12700\" r=\"12700\" b=\"12700\"/>",
        "<wp:docPr id=\"3\" name=\"Pic 3\"/>", "name=\"image1.png\"", "<a:blip r:embed=\"rId7\"/>",
        "<a:stretch><a:fillRect/></a:stretch>", "<a:ext cx=\"1905000\" cy=\"952500\"/>",
        "</wp:inline></w:drawing>"},
       {"solidFill", "anchor", "title=", "FF0000"}},
      {rvvaLeft, clYellow, u"A \"q\" & <\u0436>",
       {"<wp:anchor distT=\"57150\"", "<wp:positionH relativeFrom=\"column\"><wp:align>left</wp:align>",
        "<wp:wrapSquare wrapText=\"right\"/>", "title=\"A &quot;q&quot; &amp; &lt;\xD0\xB6&gt;\"",
        "<a:solidFill><a:srgbClr val=\"FFFF00\"/></a:solidFill>", "</wp:anchor></w:drawing>"},
       {"wp:inline"}},
      {rvvaRight, clWhite, u"x",
       {"<wp:align>right</wp:align>", "<wp:wrapSquare wrapText=\"left\"/>", "val=\"FFFFFF\""},
       {"wp:inline"}},
      {rvvaAbsMiddle, clNone, u"", {"<wp:inline "}, {"wp:anchor"}},
  };
  for (const auto& c : cases) {
    const std::string x = Drawing(c.valign, c.fill, c.alt);
    for (const auto& p : c.present) EXPECT_NE(x.find(p), std::string::npos) << p << "\n" << x;
    for (const auto& a : c.absent) EXPECT_EQ(x.find(a), std::string::npos) << a << "\n" << x;
    ExpectWellFormed(x);
  }
}
