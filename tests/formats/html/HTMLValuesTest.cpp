#include "formats/html/RVHtmlValues.h"

#include <gtest/gtest.h>

#include "engine/foundation/RVStrFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/graphics/Graphics.h"

namespace {

constexpr TColor Rgb(int r, int g, int b) { return static_cast<TColor>(RGB(r, g, b)); }

}  // namespace

TEST(HTMLValues, Colors) {
  struct Case {
    const char16_t* text;
    TColor color;
  };
  const Case cases[] = {
      {u"#fff", Rgb(255, 255, 255)},
      {u"#F0a", Rgb(0xFF, 0, 0xAA)},
      {u"#123456", Rgb(0x12, 0x34, 0x56)},
      {u"123456", Rgb(0x12, 0x34, 0x56)},
      {u"red", Rgb(255, 0, 0)},
      {u"RED", Rgb(255, 0, 0)},
      {u"grey", Rgb(128, 128, 128)},
      {u"lightslategrey", Rgb(0x77, 0x88, 0x99)},
      {u"mediumpurple", Rgb(0x93, 0x70, 0xD8)},
      {u"palevioletred", Rgb(0xD8, 0x70, 0x93)},
      {u"ThreeDHighlight", clSystemColor | 22},
      {u"threedlightshadow", clBtnHighlight},
      {u"buttonface", clBtnFace},
      {u"transparent", clNone},
      {u"rgb(255,0,128)", Rgb(255, 0, 128)},
      {u"RGB( 255 , 0 , 128 )", Rgb(255, 0, 128)},
      {u"rgb(300,x,-1)", Rgb(44, 0, 255)},
      {u"rgb(1,2,3,4)", Rgb(1, 2, 3)},
      {u"rgb(7)", Rgb(7, 0, 0)},
      {u"rgb", Rgb(0, 0, 0)},
      {u"nosuchcolour", clBlack},
      {u"#12", Rgb(0, 0, 0x12)},
      {u"", clBlack},
      {u"#", clBlack},
      {u"#1234567890abcdef", clBlack},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HtmlColorToColor(c.text), c.color)
        << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
}

TEST(HTMLValues, FontSizesListTypesAlignments) {
  const int points[] = {8, 10, 12, 14, 18, 24, 36};
  for (int i = 1; i <= 7; ++i) {
    EXPECT_EQ(HtmlFontSizePoints(i), points[i - 1]);
    EXPECT_EQ(HtmlFontSizeIndex(points[i - 1]), i);
  }
  EXPECT_EQ(HtmlFontSizePoints(0), 8);
  EXPECT_EQ(HtmlFontSizePoints(99), 36);
  EXPECT_EQ(HtmlFontSizeIndex(11), 3);
  EXPECT_EQ(HtmlFontSizeIndex(1), 1);
  EXPECT_EQ(HtmlFontSizeIndex(100), 7);

  EXPECT_EQ(HtmlListTypeOf(u"Circle", ltNumber), ltCircle);
  EXPECT_EQ(HtmlListTypeOf(u"SQUARE", ltNumber), ltSquare);
  EXPECT_EQ(HtmlListTypeOf(u"disc", ltNumber), ltDisc);
  EXPECT_EQ(HtmlListTypeOf(u"1", ltDisc), ltNumber);
  EXPECT_EQ(HtmlListTypeOf(u"a", ltDisc), ltLowerAlpha);
  EXPECT_EQ(HtmlListTypeOf(u"A", ltDisc), ltUpperAlpha);
  EXPECT_EQ(HtmlListTypeOf(u"i", ltDisc), ltLowerRoman);
  EXPECT_EQ(HtmlListTypeOf(u"I", ltDisc), ltUpperRoman);
  EXPECT_EQ(HtmlListTypeOf(u"2", ltSquare), ltSquare);

  EXPECT_EQ(HtmlAlignmentOf(u"center", rvaLeft), rvaCenter);
  EXPECT_EQ(HtmlAlignmentOf(u"justify", rvaLeft), rvaJustify);
  EXPECT_EQ(HtmlAlignmentOf(u"right", rvaLeft), rvaRight);
  EXPECT_EQ(HtmlAlignmentOf(u"Center", rvaRight), rvaRight);
}

TEST(HTMLValues, CSSValues) {
  struct Case {
    const char16_t* style;
    const char16_t* name;
    const char16_t* value;
  };
  const Case cases[] = {
      {u"background-color: #fff; color: red;", u"color", u"red"},
      {u"color:blue", u"color", u"blue"},
      {u"{ font-family: \"Times New Roman\", serif; }", u"font-family", u"Times New Roman"},
      {u"font-family: 'Arial\"", u"font-family", u"Arial"},
      {u"margin: 1px 2px }", u"margin", u"1px 2px "},
      {u"background-image: url(a.png);", u"background-image", u"url(a.png"},
      {u"x-color: red", u"color", u""},
      {u"color", u"color", u""},
      {u"", u"color", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(GetCSSValue(c.style, c.name), c.value);
  // At most 100 characters after the name are read.
  EXPECT_EQ(GetCSSValue(u"a:" + std::u16string(300, u'x'), u"a").size(), 99u);
}

TEST(HTMLValues, Lengths) {
  TRVStyle twips(nullptr);
  twips.Units = rvstuTwips;
  TRVStyle pixels(nullptr);
  pixels.Units = rvstuPixels;
  EXPECT_EQ(CSSLengthToUnits(u"12pt", &twips, 0), 240);
  EXPECT_EQ(CSSLengthToUnits(u"1.5pt", &twips, 0), 30);
  EXPECT_EQ(CSSLengthToUnits(u"12pt", nullptr, 0), 16);
  EXPECT_EQ(CSSLengthToUnits(u"10px", &twips, 0), twips.PixelsToUnits(10));
  EXPECT_EQ(CSSLengthToUnits(u"10px", &pixels, 0), 10);
  EXPECT_EQ(CSSLengthToUnits(u"7", &twips, 0), twips.PixelsToUnits(7));
  EXPECT_EQ(CSSLengthToUnits(u"7", nullptr, 0), 7);
  EXPECT_EQ(CSSLengthToUnits(u"2em", &twips, 3), twips.PixelsToUnits(3));
  EXPECT_EQ(CSSLengthToUnits(u"xpx", nullptr, 5), 5);
  EXPECT_EQ(CSSLengthToUnits(u"xpt", nullptr, 5), 5);
  // Huge values from a hostile page stay finite and within range.
  EXPECT_EQ(CSSLengthToUnits(u"2000000000px", &twips, 0), twips.PixelsToUnits(1000000));
  EXPECT_EQ(CSSLengthToUnits(u"1e300pt", &twips, 0), CSSLengthToUnits(u"1000000pt", &twips, 0));
  EXPECT_EQ(CSSLengthToUnits(u"nanpt", &twips, 4), twips.PixelsToUnits(4));
}

TEST(HTMLValues, LineHeight) {
  TRVStyle sheet(nullptr);
  sheet.Units = rvstuTwips;
  sheet.ParaStyles()->Add();
  TParaInfo* p = sheet.ParaStyles()->Items(0);
  ApplyCSSLineHeight(u"1.5", p);
  EXPECT_EQ(p->LineSpacing, 150);
  EXPECT_EQ(p->LineSpacingType, rvlsPercent);
  ApplyCSSLineHeight(u"normal", p);
  EXPECT_EQ(p->LineSpacing, 150);
  ApplyCSSLineHeight(u"12pt", p);
  EXPECT_EQ(p->LineSpacing, 240);
  EXPECT_EQ(p->LineSpacingType, rvlsLineHeightAtLeast);
  ApplyCSSLineHeight(u"20px", p);
  EXPECT_EQ(p->LineSpacing, sheet.PixelsToUnits(20));
}

TEST(HTMLValues, BorderWidths) {
  TRVBorder b;
  b.Width = 2;
  b.InternalWidth = 1;
  b.Color = clBlack;
  struct Case {
    TRVBorderStyle style;
    int total, lineOf12;
  };
  const Case cases[] = {{rvbSingle, 2, 12},     {rvbDouble, 5, 4},       {rvbTriple, 8, 2},
                        {rvbThickInside, 7, 3}, {rvbThickOutside, 7, 3}, {rvbNone, 0, 0}};
  for (const Case& c : cases) {
    b.Style = c.style;
    EXPECT_EQ(TotalBorderWidth(&b), c.total) << c.style;
    EXPECT_EQ(BorderLineWidth(12, c.style), c.lineOf12) << c.style;
    EXPECT_EQ(BorderLineWidth(0, c.style), 0);
  }
  b.Style = rvbSingle;
  b.Color = clNone;
  EXPECT_EQ(TotalBorderWidth(&b), 0);
}

TEST(HTMLValues, DataLocations) {
  const std::u16string png =
      u"data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJ\r\n"
      u"  RU5ErkJggg==";
  std::unique_ptr<TGraphic> g = DataUriToGraphic(png);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->GetWidth(), 1);
  EXPECT_EQ(DataUriToGraphic(u"DATA:image/png;base64,iVBORw0KGgo%3D"), nullptr);
  EXPECT_EQ(DataUriToGraphic(u"data:image/png;base64"), nullptr);
  EXPECT_EQ(DataUriToGraphic(u"http://x/a.png"), nullptr);
  EXPECT_EQ(DataUriToGraphic(u"data:,"), nullptr);
  EXPECT_EQ(DataUriToGraphic(u"data:,QUJD"), nullptr);  // "ABC": no picture
  // A picture's signature with broken data after it.
  EXPECT_EQ(DataUriToGraphic(u"data:,iVBORw0KGgoAAAANSUhEUgAAAAEAAAAB"), nullptr);
}

TEST(HTMLValues, Locations) {
  struct Case {
    const char16_t* path;
    const char16_t* root;
    const char16_t* folder;
  };
  const Case cases[] = {
      {u"http://host.org/docs/a.htm", u"http://host.org", u"http://host.org/docs/"},
      {u"http://host.org?q=1", u"http://host.org", u"http://"},
      {u"C:\\docs\\x\\", u"C:", u"C:\\docs\\x\\"},
      {u"C:\\docs\\a.htm", u"C:", u"C:\\docs\\"},
      {u"C:a.htm", u"C:a.htm", u"C:"},
      {u"a.htm", u"a.htm", u""},
      {u"/srv/www/a.htm", u"", u"/srv/www/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SiteRootOf(c.path), c.root);
    EXPECT_EQ(FolderOf(c.path), c.folder);
  }
  EXPECT_EQ(FolderOf(u"http://host.org"), u"http://");
  const std::u16string base = u"http://host.org/docs/";
  EXPECT_EQ(MakeAbsoluteLocation(u"img/a.png", base), u"http://host.org/docs/img/a.png");
  EXPECT_EQ(MakeAbsoluteLocation(u"/img/a.png", base), u"http://host.org/img/a.png");
  EXPECT_EQ(MakeAbsoluteLocation(u"#top", base), u"#top");
  EXPECT_EQ(MakeAbsoluteLocation(u"http://other/x", base), u"http://other/x");
  EXPECT_EQ(MakeAbsoluteLocation(u"D:\\x.png", base), u"D:\\x.png");
  EXPECT_EQ(MakeAbsoluteLocation(u"ab:c.png", u"/home/u/"), u"/home/u/ab:c.png");
}

class HTMLStyleSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    Sheet.Units = rvstuTwips;
    Texts0 = Sheet.TextStyles()->Count();
    Paras0 = Sheet.ParaStyles()->Count();
    Viewer = std::make_unique<TViroZere>(nullptr);
    Viewer->SetStyle(&Sheet);
    ClearImportedStyleTables();
  }
  void TearDown() override { ClearImportedStyleTables(); }
  void Parse(const std::u16string& css) { ParseImportedStyleSheet(Importer, css, Viewer.get()); }

  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZere> Viewer;
  TRVHtmlStyleSheetImporter Importer;
  int Texts0 = 0, Paras0 = 0;  // the sheet's own styles before the import
};

TEST_F(HTMLStyleSheet, TextRules) {
  Parse(u"body {font-size: 10pt; font-family: 'tahoma'; color: #000000; background-color: #ffffff; margin: 5px 10px;}");
  Parse(u"span.rvts7 {font-weight: bold; color: red; text-decoration: underline line-through overline}");
  Parse(u"a.rvts1 {color: #0000ff; vertical-align: super; letter-spacing: 2pt}");
  Parse(u"a.rvts1:hover {color: #ff0000}");
  Parse(u"span.rvts3 {font-style: italic; text-transform: uppercase; display: none; direction: rtl}");
  auto* ts = Sheet.TextStyles();
  ASSERT_EQ(ts->Count(), Texts0 + 3);  // the hover rule adds nothing
  ASSERT_EQ(TRVFonts().size(), 4u);
  EXPECT_EQ(TRVFonts()[0].TextStyleNo, 0);
  EXPECT_EQ(TRVFonts()[2].TextStyleNo, Texts0 + 1);  // the second class fills entry 2, whatever its number
  EXPECT_EQ(ts->Items(0)->FontName, u"tahoma");
  EXPECT_EQ(ts->Items(0)->GetSize(), 10);
  EXPECT_EQ(Viewer->GetColor(), clWhite);
  EXPECT_EQ(Viewer->GetTopMargin(), 5);
  EXPECT_EQ(Viewer->GetRightMargin(), 10);
  EXPECT_EQ(Viewer->GetBottomMargin(), 10);
  EXPECT_EQ(Viewer->GetLeftMargin(), 10);
  TFontInfo* span = ts->Items(Texts0);
  EXPECT_FALSE(span->Standard);
  EXPECT_FALSE(span->Jump);
  EXPECT_EQ(span->FontName, u"tahoma");  // a copy of the body's style
  EXPECT_TRUE(span->Style.Contains(fsBold));
  EXPECT_TRUE(span->Style.Contains(fsUnderline));
  EXPECT_TRUE(span->Style.Contains(fsStrikeOut));
  EXPECT_TRUE(span->StyleEx.Contains(rvfsOverline));
  EXPECT_EQ(span->Color, clRed);
  TFontInfo* link = ts->Items(Texts0 + 1);
  EXPECT_TRUE(link->Jump);
  EXPECT_EQ(link->SubSuperScriptType, rvsssSuperScript);
  EXPECT_EQ(link->CharSpacing, 40);
  TFontInfo* hidden = ts->Items(Texts0 + 2);
  EXPECT_TRUE(hidden->Style.Contains(fsItalic));
  EXPECT_TRUE(hidden->StyleEx.Contains(rvfsAllCaps));
  EXPECT_TRUE(hidden->Options.Contains(rvteoHidden));
  EXPECT_EQ(hidden->BiDiMode, rvbdRightToLeft);
}

TEST_F(HTMLStyleSheet, ParagraphRules) {
  Parse(u"p,ul,ol {text-align: left; margin: 0px 0px 0px 0px;}");
  Parse(
      u".rvps1 {text-align: center; text-indent: 12pt; line-height: 1.5; white-space: nowrap; "
      u"page-break-after: avoid}");
  Parse(
      u".rvps2 {background: #ff0000; padding: 1pt 2pt; border-color: #00ff00; border-style: double; "
      u"border-width: 6pt; border-left: none; margin: 3pt 4pt}");
  auto* ps = Sheet.ParaStyles();
  ASSERT_EQ(ps->Count(), Paras0 + 2);
  ASSERT_EQ(TRVParas().size(), 3u);
  EXPECT_EQ(TRVParas()[0].TAlign, u"left");
  EXPECT_EQ(TRVParas()[1].TAlign, u"center");
  EXPECT_EQ(TRVParas()[2].ParaStyleNo, Paras0 + 1);
  TParaInfo* p1 = ps->Items(Paras0);
  EXPECT_FALSE(p1->Standard);
  EXPECT_EQ(p1->Alignment, rvaCenter);
  EXPECT_EQ(p1->FirstIndent, 240);
  EXPECT_EQ(p1->LineSpacing, 150);
  EXPECT_TRUE(p1->Options.Contains(rvpaoNoWrap));
  EXPECT_TRUE(p1->Options.Contains(rvpaoKeepWithNext));
  TParaInfo* p2 = ps->Items(Paras0 + 1);
  EXPECT_EQ(p2->Background()->Color, clRed);
  EXPECT_EQ(p2->Background()->BorderOffsets()->Top, 20);
  EXPECT_EQ(p2->Background()->BorderOffsets()->Right, 40);
  EXPECT_EQ(p2->Background()->BorderOffsets()->Left, 40);
  EXPECT_EQ(p2->Border()->Style, rvbDouble);
  EXPECT_EQ(p2->Border()->Color, clLime);
  EXPECT_EQ(p2->Border()->Width, 40);  // 120 twips in three parts
  EXPECT_EQ(p2->Border()->InternalWidth, 40);
  EXPECT_EQ(p2->Border()->BorderOffsets()->Top, 20);
  EXPECT_FALSE(p2->Border()->VisibleBorders()->Left);
  EXPECT_TRUE(p2->Border()->VisibleBorders()->Top);
  // The margin holds the border's offsets and thickness: 60 + 20 + 120 above, 80 + 40 + 120 beside.
  EXPECT_EQ(p2->GetSpaceBefore(), 200);
  EXPECT_EQ(p2->RightIndent, 240);
  EXPECT_EQ(p2->LeftIndent, 240);
}

TEST_F(HTMLStyleSheet, MalformedSheetsEnd) {
  const std::u16string texts[] = {u"",
                                  u"   ",
                                  u"body",
                                  u"span.rvts1 {color: red",
                                  u".rvps1",
                                  u"p,ul,ol",
                                  u"}}}{{{ body{ span.rvts{ .rvps{",
                                  u"garbage words \r\n and more"};
  for (const auto& t : texts) Parse(t);
  EXPECT_GE(TRVFonts().size(), 1u);
  EXPECT_EQ(Sheet.TextStyles()->Count() - Texts0, static_cast<int>(TRVFonts().size()) - 1);
}

TEST_F(HTMLStyleSheet, BodyBackgroundPicture) {
  std::vector<std::u16string> asked;
  Importer.LoadPicture = [&](const std::u16string& location) -> std::unique_ptr<TGraphic> {
    asked.push_back(location);
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(2, 2);
    return bmp;
  };
  Parse(u"body {background-image: url(\"pics/back.png\"); background-position: top right;}");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], u"pics/back.png");
  EXPECT_TRUE(Importer.BackgroundRead);
  EXPECT_EQ(Viewer->GetBackgroundStyle(), bsTopRight);
  EXPECT_NE(Viewer->GetBackgroundBitmap(), nullptr);
  Parse(u"body {background-attachment: fixed}");
  EXPECT_EQ(Viewer->GetBackgroundStyle(), bsTiled);
  // With pictures ignored, the sheet names none to load.
  Importer.IgnorePictures = true;
  Parse(u"body {background-image: url(\"other.png\")}");
  EXPECT_EQ(asked.size(), 1u);
}

// The sheet our HTML export writes, one rule per line as the page carries it, is read back into
// the same styles.
TEST_F(HTMLStyleSheet, ExportedSheetReadsBack) {
  TRVStyle source(nullptr);
  source.Units = rvstuTwips;
  source.TextStyles()->Items(1)->Style.Include(fsItalic);
  source.TextStyles()->Items(1)->StyleEx.Include(rvfsAllCaps);
  TParaInfo* para = source.ParaStyles()->Add();
  para->Alignment = rvaRight;
  para->LeftIndent = 300;
  para->FirstIndent = 120;
  para->LineSpacing = 150;
  TMemoryStream ms;
  source.SaveCSSToStream(&ms, {});
  std::string css(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  // One rule per line, lower-cased.
  std::u16string text = LowerCaseUnicode(Utf8ToUnicode(css)), line;
  for (char16_t c : text) {
    if (c == u'\n' || c == u'\r') {
      if (!line.empty() && line.back() == u'}') {
        Parse(line);
        line.clear();
      } else if (!line.empty() && line.back() != u' ')
        line += u' ';
      continue;
    }
    line += c;
  }
  const int texts = source.TextStyles()->Count(), paras = source.ParaStyles()->Count();
  ASSERT_EQ(TRVFonts().size(), static_cast<std::size_t>(texts));
  ASSERT_EQ(TRVParas().size(), static_cast<std::size_t>(paras));
  for (int i = 0; i < texts; ++i) {
    TFontInfo* want = source.TextStyles()->Items(i);
    TFontInfo* got = Sheet.TextStyles()->Items(TRVFonts()[i].TextStyleNo);
    EXPECT_EQ(got->Style, want->Style) << i;
    EXPECT_EQ(got->StyleEx, want->StyleEx) << i;
    // A system colour is written as the colour it shows.
    EXPECT_EQ(ColorToRGB(got->Color), ColorToRGB(want->Color)) << i;
    EXPECT_EQ(got->GetSize(), want->GetSize()) << i;
    EXPECT_EQ(LowerCaseUnicode(got->FontName), LowerCaseUnicode(want->FontName)) << i;
    EXPECT_EQ(got->Jump, want->Jump) << i;
  }
  for (int i = 0; i < paras; ++i) {
    TParaInfo* want = source.ParaStyles()->Items(i);
    TParaInfo* got = Sheet.ParaStyles()->Items(TRVParas()[i].ParaStyleNo);
    EXPECT_EQ(got->Alignment, want->Alignment) << i;
    EXPECT_EQ(got->LeftIndent, want->LeftIndent) << i;
    EXPECT_EQ(got->FirstIndent, want->FirstIndent) << i;
    EXPECT_EQ(got->LineSpacing, want->LineSpacing) << i;
    EXPECT_EQ(got->LineSpacingType, want->LineSpacingType) << i;
  }
}
