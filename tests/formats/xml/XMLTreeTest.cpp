// The XML tree: parsing, decoding of values, writing and escaping, and input that tries to hurt.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "formats/xml/RVXMLTree.h"
#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"

namespace {

std::string Saved(const TXMLTree& t, bool tabs = true) {
  TMemoryStream m;
  t.SaveToStream(m, tabs);
  return std::string(static_cast<const char*>(m.Memory()), static_cast<std::size_t>(m.GetSize()));
}

TXMLTag* Root(TXMLTree& t) { return t.Items.Count() > 0 ? t.Items.Get(0) : nullptr; }

// A tree with every node kind: attributes, values, children, empty elements; with Mixed also a
// value beside children and a tag made without a parent (which reads back differently).
void FillSample(TXMLTree& t, const TRVUnicodeString& text, bool Mixed = false) {
  TXMLTag* r = t.Items.AddTag("rvxml", &t, &t, false);
  r->Attr.AddAttr("version", u"1");
  TXMLTag* d = r->Items.AddTag("document", r, &t, false);
  if (Mixed) d->Value = u"before";
  TXMLTag* p = d->Items.AddTag("p", d, &t, false);
  p->Attr.AddAttr("style", text);
  p->Value = text;
  d->Items.AddTag("empty", d, &t, false);
  TXMLTag* cell = d->Items.AddTag("cell", d, &t, false);
  TXMLTag* deep = cell->Items.AddTag("p", Mixed ? nullptr : cell, &t, false);
  deep->Value = u"x";
}

}  // namespace

TEST(XMLTreeTest, ParsesValuesAsTheLastTextInsideAnElement) {
  struct Case {
    const char* Xml;
    const char16_t* Value;
    TXMLValueType Type;
  } cases[] = {
      {"<a>x<b/>y</a>", u"y", vtText},
      {"<a>x<b/></a>", u"", vtText},
      {"<a><![CDATA[1<2]]></a>", u"1<2", vtCDATA},
      {"<a><![cdata[1<2]]>  </a>", u"  ", vtCDATA},
      {"<a>&#x41;&#65;&#0;</a>", u"AA", vtText},
      {"<a>a&#65</a>", u"a", vtText},
      {"<a>a&amp;lt;b</a>", u"a&lt;b", vtText},
      {"<a>&copy;&unknown</a>", u"&copy;&unknown", vtText},
      {"<a>&lt;&gt;&quot;&apos;&nbsp;</a>", u"<>\"'\u00A0", vtText},
      {"<a>one\r\ntwo\n\rthree\nfour\tfive</a>", u"one two three four five", vtText},
      {"<a>&#$41;&#X42;&#0x43;&# 68;&#+69;&#-70;&#zz;&#1114112;&#128512;</a>", u"ABCDE\U0001F600", vtText},
      {"<a>&#38;amp;&#38;lt;</a>", u"&&lt;", vtText},
      {"<a>x<!-- <b>not a tag</b> -->y</a>", u"y", vtText},
  };
  for (const Case& c : cases) {
    TXMLTree t(u"utf-8");
    EXPECT_TRUE(t.Parse(c.Xml)) << c.Xml;
    ASSERT_NE(Root(t), nullptr) << c.Xml;
    EXPECT_EQ(Root(t)->Value, c.Value) << c.Xml;
    EXPECT_EQ(Root(t)->ValueType, c.Type) << c.Xml;
    EXPECT_EQ(Root(t)->Items.Count() > 0, std::string(c.Xml).find("<b/>") != std::string::npos) << c.Xml;
  }
}

TEST(XMLTreeTest, SplitsAttributesOnlyAtDoubleQuotes) {
  TXMLTree t(u"");
  EXPECT_TRUE(t.Parse("<root><a b=\"x>y\" C=\"2\">v</a><e n=\"&quot;1&quot;\"/></root>"));
  TXMLTag* a = Root(t)->Items.FindTagOfName("A");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->Attr.Count(), 2);
  EXPECT_EQ(a->Attr.Get(0)->Value, u"x>y");
  EXPECT_EQ(a->Attr.FindAttrOfName("c")->Value, u"2");
  EXPECT_EQ(a->Value, u"v");
  EXPECT_EQ(a->Level, 1);
  EXPECT_EQ(Root(t)->Items.FindTagOfName("e")->Attr.Get(0)->Value, u"\"1\"");
  EXPECT_EQ(Root(t)->Items.FindTagOfName("none"), nullptr);

  // Single quotes mean nothing: the tag runs on to the ">" after the next double-quoted value.
  TXMLTree q(u"");
  q.Parse("<r><a b='1'>t</a><c d=\"2\">u</c></r>");
  ASSERT_EQ(Root(q)->Items.Count(), 1);
  EXPECT_EQ(Root(q)->Items.Get(0)->Name, "a");
  TXMLTree none(u"");
  EXPECT_FALSE(none.Parse("<r><a b='1'>t</a></r>"));
}

TEST(XMLTreeTest, DecodesInTheDeclaredEncoding) {
  struct Case {
    const char* Decl;
    const char* Bytes;
    const char16_t* Value;
    const char16_t* Encoding;
  } cases[] = {
      {"", "\xE9", u"\u00E9", u""},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "\xE9", u"\u00E9", u"ISO-8859-1"},
      {"<?xml version=\"1.0\" encoding=\"utf-8\"?>", "\xC3\xA9\xD0\x96", u"\u00E9\u0416", u"utf-8"},
      {"<?XML encoding=\"UTF-8\"?>", "\xC3\xA9&nbsp;", u"\u00E9\u00A0", u"UTF-8"},
      {"<?xml encoding=\"windows-1252\"?>", "\x80&nbsp;", u"\u20AC\u00A0", u"windows-1252"},
  };
  for (const Case& c : cases) {
    TXMLTree t(u"");
    std::string xml = std::string(c.Decl) + "\r\n<a v=\"" + c.Bytes + "\">" + c.Bytes + "</a>";
    EXPECT_TRUE(t.Parse(xml)) << xml;
    EXPECT_EQ(t.Encoding, c.Encoding) << xml;
    EXPECT_EQ(Root(t)->Value, c.Value) << xml;
    EXPECT_EQ(Root(t)->Attr.Get(0)->Value, c.Value) << xml;
  }
}

TEST(XMLTreeTest, WritesEscapedIndentedLines) {
  TXMLTree t(u"windows-1251");
  FillSample(t, u"\u0416x\t<&>\"'\u00A0\U0001F600", true);
  t.Items.AddTag("second", &t, &t, false);  // only the first top-level element is written
  EXPECT_EQ(
      Saved(t),
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n"
      "<rvxml version=\"1\">\r\n"
      "\t<document>before\r\n"
      "\t\t<p "
      "style=\"&#1046;x?&lt;&amp;&gt;&quot;&apos;&#160;&#128512;\">&#1046;x?&lt;&amp;&gt;\"'&#160;&#128512;</p>\r\n"
      "\t\t<empty />\r\n"
      "\t\t<cell>\r\n"
      "<p>x</p>\r\n"  // a tag made without a parent has level -1: no indent
      "\t\t</cell>\r\n"
      "\t</document>\r\n"
      "</rvxml>");
  TXMLTree u(u"UTF-8");
  FillSample(u, u"\u0416\x01\xD800");
  std::string s = Saved(u, false);
  EXPECT_NE(s.find("<p style=\"\xD0\x96?\xEF\xBF\xBD\">\xD0\x96?\xEF\xBF\xBD</p>"), std::string::npos) << s;
  EXPECT_EQ(s.find('\t'), std::string::npos);
  // The helpers of the HTML writers keep the HTML spelling and every control character.
  EXPECT_EQ(HTMLEncodeUnicodeAsNumRefs(u"\u00A0\x01  \"", true, true), "&nbsp;? &nbsp;&quot;");
  EXPECT_EQ(HTMLEncodeUnicodeAsUTF8(u"\u00A0\x01\"\u0416", false, false, false), "&nbsp;\x01\"\xD0\x96");
  EXPECT_EQ(HTMLEncodeUnicodeAsUTF8(u"<\u00A0", true, false, false), "<\xC2\xA0");
  TXMLTree empty(u"utf-8");
  EXPECT_EQ(Saved(empty), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n");
}

TEST(XMLTreeTest, RoundTripsEveryTextThroughBothEncodings) {
  const char16_t* texts[] = {u"plain",
                             u"",
                             u"<tag> & \"quotes\" 'apos'",
                             u"&amp; &lt; &#65; &nbsp;",
                             u"\u00A0no-break\u00A0",
                             u"\u0416\u4E2D\U0001F600",
                             u"a  b   c",
                             u"]]> <![CDATA[ -->"};
  for (const char16_t* enc : {u"utf-8", u"windows-1252"}) {
    for (const char16_t* text : texts) {
      TXMLTree t(enc);
      FillSample(t, text);
      std::string first = Saved(t);
      TXMLTree back(u"");
      EXPECT_TRUE(back.Parse(first)) << first;
      TXMLTag* d = Root(back)->Items.Get(0);
      TXMLTag* p = d->Items.Get(0);
      EXPECT_EQ(p->Value, text) << first;
      EXPECT_EQ(p->Attr.Get(0)->Value, text) << first;
      EXPECT_EQ(d->Items.Get(1)->Name, "empty");
      EXPECT_EQ(d->Items.Get(2)->Items.Get(0)->Value, u"x");
      EXPECT_EQ(d->Items.Get(2)->Items.Get(0)->Level, 3);
    }
  }
}

TEST(XMLTreeTest, OutputIsWellFormedForAnXMLChecker) {
  if (std::system("xmllint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is not installed";
  for (const char16_t* enc : {u"utf-8", u"windows-1252"}) {
    TXMLTree t(enc);
    FillSample(t, u"\u0416\x01\x1F\xDC00 <&>\"'\u00A0\U0001F600 ]]> --");
    std::string path = std::string(TAVRELO_TEST_OUTPUT) + "/xmltree-" + UnicodeToUtf8(enc) + ".xml";
    std::ofstream(path, std::ios::binary) << Saved(t);
    EXPECT_EQ(std::system(("xmllint --noout '" + path + "'").c_str()), 0) << path;
  }
}

TEST(XMLTreeTest, MalformedInputEndsParsingWithWhatWasBuilt) {
  struct Case {
    const char* Xml;
    int Children;  // of the top-level element, -1 when there is none
  } cases[] = {
      {"", -1},
      {"just text", -1},
      {"<a><b>", 1},
      {"<a><b/>", 1},
      {"</a>", -1},
      {"<a></a></a>", 0},
      {"<a><!-- open", 0},
      {"<a><![CDATA[ open", 0},
      {"<a><?xml open", 0},
      {"<a><b c=\"open>", 0},
      {"<a><b", 0},
      {"<!DOCTYPE a><a></a>", 1},  // a document type is a start tag that stays open
  };
  for (const Case& c : cases) {
    TXMLTree t(u"");
    EXPECT_FALSE(t.Parse(c.Xml)) << c.Xml;
    EXPECT_EQ(t.Items.Count() > 0 ? Root(t)->Items.Count() : -1, c.Children) << c.Xml;
  }
}

TEST(XMLTreeTest, TruncationAtEveryByteIsReportedAndSafe) {
  TXMLTree t(u"utf-8");
  FillSample(t, u"\u0416 <&> \U0001F600");
  Root(t)->Items.AddTag("c", Root(t), &t, false)->Value = u"tail";
  std::string whole = Saved(t);
  TXMLTree back(u"");
  ASSERT_TRUE(back.Parse(whole));
  for (std::size_t n = 0; n < whole.size(); ++n) {
    TXMLTree part(u"");
    EXPECT_FALSE(part.Parse(whole.substr(0, n))) << n;
    Saved(part);  // whatever was read writes out again
  }
}

TEST(XMLTreeTest, EntityDefinitionsAreNeverExpanded) {
  std::string laughs =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n"
      " <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n";
  for (int i = 2; i <= 9; ++i) {
    laughs += " <!ENTITY lol" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) laughs += "&lol" + std::to_string(i - 1) + ";";
    laughs += "\">\n";
  }
  laughs += "]>\n<lolz>&lol9;</lolz>";
  TXMLTree t(u"");
  EXPECT_FALSE(t.Parse(laughs));
  std::size_t chars = 0;
  std::vector<TXMLTag*> stack = {&t};
  while (!stack.empty()) {
    TXMLTag* x = stack.back();
    stack.pop_back();
    chars += x->Value.size();
    for (int i = 0; i < x->Attr.Count(); ++i) chars += x->Attr.Get(i)->Value.size();
    for (int i = 0; i < x->Items.Count(); ++i) stack.push_back(x->Items.Get(i));
  }
  EXPECT_LT(chars, laughs.size());
}

TEST(XMLTreeTest, DeepNestingIsRefusedAndDeepTreesAreSafe) {
  auto nested = [](int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += "<a>";
    for (int i = 0; i < depth; ++i) s += "</a>";
    return s;
  };
  TXMLTree ok(u"");
  EXPECT_TRUE(ok.Parse(nested(XMLMaxDepth)));
  TXMLTree refused(u"");
  EXPECT_FALSE(refused.Parse(nested(10000)));
  EXPECT_EQ(refused.Items.Count(), 0);
  std::string opens;
  for (int i = 0; i < 1000000; ++i) opens += "<a>";
  EXPECT_FALSE(refused.Parse(opens));
  EXPECT_EQ(refused.Items.Count(), 0);

  // A tree built by hand may be deeper still: it writes and frees without recursion.
  TXMLTree deep(u"utf-8");
  TXMLTag* cur = &deep;
  for (int i = 0; i < 200000; ++i) cur = cur->Items.AddTag("a", cur, &deep, false);
  EXPECT_GT(Saved(deep, false).size(), 200000u * 4);
}

TEST(XMLTreeTest, LongRunsWithoutMarkupParseInLinearTime) {
  // Many tags and no "=" anywhere, then many quoted values inside one tag.
  std::string s = "<r>";
  for (int i = 0; i < 200000; ++i) s += "<b></b>";
  s += "<c";
  for (int i = 0; i < 200000; ++i) s += " d=\"1\"";
  s += "/></r>";
  TXMLTree t(u"");
  EXPECT_TRUE(t.Parse(s));
  EXPECT_EQ(Root(t)->Items.Count(), 200001);
  EXPECT_EQ(Root(t)->Items.Get(200000)->Attr.Count(), 200000);
}

TEST(XMLTreeTest, LoadsFromTheStreamPositionAndListsCanInsert) {
  TMemoryStream m;
  std::string junk = "junk<x>";
  m.WriteBuffer(junk.data(), 4);
  m.WriteBuffer("<a><b/></a>", 11);
  m.SetPosition(4);
  TXMLTree t(u"");
  EXPECT_TRUE(t.LoadFromStream(m));
  TXMLTag* a = Root(t);
  a->Items.InsertTag(0, " first  x=\"1\" ", a, &t, false);
  EXPECT_EQ(a->Items.Get(0)->Name, "first");
  EXPECT_EQ(a->Items.Get(0)->Attr.Get(0)->Name, "x");
  EXPECT_EQ(a->Items.Get(1)->Name, "b");
  EXPECT_THROW(a->Items.InsertTag(5, "z", a, &t, false), EListError);
  TRVXMLUniStringList lines;
  t.GetDocument(lines, false);
  ASSERT_EQ(lines.Count(), 4);
  EXPECT_EQ(lines.Get(1), "<first x=\"1\" />");
}
