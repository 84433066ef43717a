#include "formats/html/RVHtmlParser.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/SysUtils.h"

namespace {

struct Block {
  TCurrBlock Kind;
  std::string Text;    // TagName as UTF-8
  std::string Params;  // name=value pairs joined by "|"
};

std::vector<Block> Blocks(std::string_view html, bool removeSpaces = true) {
  THtmlParser p(html);
  p.FEncoding = rvhtmleUTF8;
  p.SetRemoveSpaces(removeSpaces);
  std::vector<Block> out;
  // Every call consumes input: the count of blocks is bounded by the bytes.
  for (std::size_t guard = 0; !p.Done() && guard <= html.size() + 1; ++guard) {
    p.Next();
    std::string params;
    for (int i = 0; i < p.TagParamCount(); ++i) {
      if (i) params += "|";
      params += UnicodeToUtf8(p.TagParamNames(i)) + "=" + UnicodeToUtf8(p.TagParamValues(i));
    }
    out.push_back({p.CurrBlock(), UnicodeToUtf8(p.TagName()), params});
  }
  EXPECT_TRUE(p.Done()) << html;
  return out;
}

std::string Kinds(const std::vector<Block>& blocks) {
  std::string s;
  for (const Block& b : blocks) s += b.Kind == cbTag ? 'T' : b.Kind == cbText ? 't' : 'c';
  return s;
}

}  // namespace

TEST(HTMLTokenizer, TagsAndParameters) {
  struct Case {
    const char* html;
    const char* name;
    const char* params;
  };
  const Case cases[] = {
      {"<P ALIGN=Center>", "P", "align=Center"},
      {"</p>", "/p", ""},
      {"<br />", "br", "/="},
      {"<br/>", "br", ""},
      {"<img src=a.png/>", "img", "src=a.png/"},
      {"<a href=\"x y\"title='t'>", "a", "href=x y|title=t"},
      {"<td nowrap width = 5>", "td", "nowrap=|width=5"},
      {"<a href=\"&amp;\">", "a", "href=&amp;"},  // references in values are left as written
      {"<a href=\"unterminated", "a", "href=unterminated"},
      {"<a =x>", "a", "=x"},
      {"<", "", ""},
      {"<!DOCTYPE html>", "!DOCTYPE", "html="},
  };
  for (const Case& c : cases) {
    auto b = Blocks(c.html);
    ASSERT_EQ(b.size(), 1u) << c.html;
    EXPECT_EQ(b[0].Kind, cbTag) << c.html;
    EXPECT_EQ(b[0].Text, c.name) << c.html;
    EXPECT_EQ(b[0].Params, c.params) << c.html;
  }
}

TEST(HTMLTokenizer, ParameterAccessors) {
  THtmlParser p("<font SIZE=3 color=RED face=\"Arial\" size=9>");
  p.Next();
  EXPECT_EQ(p.GetTagParam(u"color"), u"RED");
  EXPECT_EQ(p.GetTagParam(u"color", true), u"red");
  EXPECT_EQ(p.GetTagParam(u"missing"), u"");
  EXPECT_EQ(p.GetTagParamInt(u"size", 0), 3);  // the first of two
  EXPECT_EQ(p.GetTagParamInt(u"face", -1), -1);
  EXPECT_EQ(p.GetTagParamInt(u"missing", 7), 7);
  p.AddTagParam(u"Extra", u"V");
  EXPECT_EQ(p.TagParamCount(), 5);
  EXPECT_EQ(p.TagParamNames(4), u"extra");
  // Many parameters: the arrays grow as needed and are reused by the next tag.
  std::string many = "<x";
  for (int i = 0; i < 40; ++i) many += " a" + std::to_string(i) + "=" + std::to_string(i);
  many += "><y b=1>";
  THtmlParser q(many);
  q.Next();
  EXPECT_EQ(q.TagParamCount(), 40);
  EXPECT_EQ(q.GetTagParamInt(u"a39", 0), 39);
  q.Next();
  EXPECT_EQ(q.TagParamCount(), 1);
}

TEST(HTMLTokenizer, TextBlocksAndWhiteSpace) {
  // One block per source line; a line ending in a space and one starting with spaces.
  auto b = Blocks("one \n   two<b>x</b>");
  ASSERT_EQ(Kinds(b), "ttTtT");
  EXPECT_EQ(b[0].Text, "one ");
  EXPECT_EQ(b[1].Text, "two");
  EXPECT_EQ(b[3].Text, "x");
  // Runs of blanks collapse to one space.
  EXPECT_EQ(Blocks("a \t  b")[0].Text, "a b");
  // Without collapsing, CR LF becomes CR and blanks stay.
  auto pre = Blocks("a  b\r\nc", false);
  ASSERT_EQ(pre.size(), 2u);
  EXPECT_EQ(pre[0].Text, "a  b\r");
  EXPECT_EQ(pre[1].Text, "c");
}

TEST(HTMLTokenizer, LinesAndBytes) {
  THtmlParser p("a\nb\n<p>\nc");
  EXPECT_EQ(p.CurrLine(), 1);
  p.Next();
  EXPECT_EQ(p.CurrLine(), 2);
  EXPECT_EQ(p.BytesParsed(), 2);
  p.Next();
  p.Next();  // the tag does not count lines
  EXPECT_EQ(p.CurrLine(), 3);
  EXPECT_EQ(p.BytesParsed(), 7);
  // A NUL byte ends the text.
  THtmlParser z(std::string_view("ab\0<p>", 6));
  z.Next();
  EXPECT_TRUE(z.Done());
  EXPECT_EQ(z.TagName(), u"ab");
}

TEST(HTMLTokenizer, Comments) {
  auto b = Blocks("<!---->x<!-- a\n b -->y");
  ASSERT_EQ(Kinds(b), "ctct");
  EXPECT_EQ(b[0].Text, "<!---->");
  EXPECT_EQ(b[2].Text, "<!-- a\n b -->");
  // "<!-->" does not close itself.
  EXPECT_EQ(Kinds(Blocks("<!-->x-->")), "c");
  // Never closed: a comment block, then its last two bytes as text.
  auto u = Blocks("<!-- open end");
  ASSERT_EQ(Kinds(u), "ct");
  EXPECT_EQ(u[1].Text, "nd");
  EXPECT_EQ(Kinds(Blocks("<!--")), "ct");
}

TEST(HTMLTokenizer, EntitiesInText) {
  struct Case {
    const char* html;
    const char* text;
  };
  const Case cases[] = {
      {"&amp;&lt;&gt;&quot;&apos;", "&<>\"'"},
      {"&nbsp;&eacute;&Eacute;&euro;&hearts;", "\u00a0\u00e9\u00c9\u20ac\u2665"},
      {"&T;", "&T;"},      // no such name
      {"&AMP;", "&AMP;"},  // names are case-sensitive
      {"a & b", "a & b"},  // no ";" after it in the block
      {"&#65;&#x41;&#X41;", "AAA"},
      {"&#128512;&#x1F600;", "\U0001F600\U0001F600"},
      {"&#0;", "&#0;"},
      {"&#x;", "&#x;"},
      {"&#xZZ;", "&#xZZ;"},
      {"&#-5;", "&#-5;"},
      {"&#1114112;", "&#1114112;"},  // past the last code point
      {"&#99999999999999999999;", "&#99999999999999999999;"},
      {"&#xD800;", "\ufffd"},      // a lone surrogate is no character
      {"&amp &lt;", "&amp &lt;"},  // the first "&" runs to the ";": one unknown name
  };
  for (const Case& c : cases) {
    auto b = Blocks(c.html);
    ASSERT_EQ(b.size(), 1u) << c.html;
    EXPECT_EQ(b[0].Text, c.text) << c.html;
  }
}

TEST(HTMLTokenizer, EntityTableAndHelpers) {
  const auto& t = THtmlParser::EntityTable();
  EXPECT_EQ(t.size(), 253u);
  for (std::size_t i = 1; i < t.size(); ++i) EXPECT_LT(std::string(t[i - 1].CData), std::string(t[i].CData));
  EXPECT_EQ(THtmlParser::DecodeEntity(u"copy"), u"\u00a9");
  EXPECT_EQ(THtmlParser::DecodeEntity(u"yuml"), u"\u00ff");
  EXPECT_EQ(THtmlParser::DecodeEntity(u"Yuml"), u"\u0178");
  EXPECT_EQ(THtmlParser::DecodeEntity(u"nosuch"), u"&nosuch;");
  // Named references only; numeric ones and bare "&" stay.
  EXPECT_EQ(THtmlParser::ReplaceEntities(u"a.php?x=1&amp;y=2&#38;z&"), u"a.php?x=1&y=2&#38;z&");
  EXPECT_EQ(THtmlParser::ReplaceEntities(u"&&lt;&;"), u"&<&;");
}

TEST(HTMLTokenizer, CodePageDecoding) {
  THtmlParser p("caf\xe9 <b t=\xe9>");
  p.FEncoding = rvhtmleANSI;
  p.FCodePage = 1252;
  p.Next();
  EXPECT_EQ(p.TagName(), u"caf\u00e9 ");
  p.Next();
  EXPECT_EQ(p.GetTagParam(u"t"), u"\u00e9");
}

TEST(HTMLTokenizer, HostileInputEndsAndStaysBounded) {
  // Long runs without the bytes that end blocks: each call still moves on, and the whole stays
  // linear in the input.
  const std::string amps(200000, '&');
  const std::string lts(20000, '<');
  const std::string quotes = "<a b=\"" + std::string(200000, 'x');
  const std::string opens = [] {
    std::string s;
    for (int i = 0; i < 20000; ++i) s += "<!--";
    return s;
  }();
  for (const std::string* s : {&amps, &lts, &quotes, &opens}) {
    THtmlParser p(*s);
    std::size_t blocks = 0, total = 0;
    while (!p.Done()) {
      int before = p.BytesParsed();
      p.Next();
      ASSERT_GT(p.BytesParsed(), before);
      total += p.TagName().size();
      ++blocks;
    }
    EXPECT_LE(blocks, s->size());
    EXPECT_LE(total, 2 * s->size() + 8);
  }
}
