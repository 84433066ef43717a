// Text styles written as CSS declarations, RTF keywords and OOXML run properties, and their INI
// form read from a file that must stay untouched.
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "FragmentTestUtil.h"
#include "StyleTestUtil.h"
#include "engine/foundation/RVRTFFuncs.h"
#include "engine/styles/FontInfo.h"
#include "platform/base/NLS.h"

namespace {

using Prep = std::function<void(TFontInfo&)>;

class FontFragments : public ::testing::Test {
 protected:
  void SetUp() override {
    for (TColor c : {clBlack, clRed, clBlue, clYellow}) tables.AddColor(c);
  }
  std::string Rtf(const Prep& setup, bool inherited = false) {
    TFontInfo* f = sheet.TextStyles()->Add();
    setup(*f);
    TMemoryStream ms;
    f->SaveRTFToStream(&ms, nullptr, &tables, &sheet, inherited);
    return StreamText(ms);
  }
  std::string Css(const Prep& setup, const Prep* baseSetup, bool multiline, bool jump, bool utf8 = true) {
    TFontInfo* f = sheet.TextStyles()->Add();
    setup(*f);
    TFontInfo* base = nullptr;
    if (baseSetup) {
      base = sheet.TextStyles()->Add();
      (*baseSetup)(*base);
    }
    TMemoryStream ms;
    f->SaveCSSToStream(&ms, base, multiline, utf8, jump);
    return StreamText(ms);
  }
  std::string Idx(TColor c) { return std::to_string(tables.GetColorIndex(c)); }

  TRVStyle sheet{nullptr};
  TRVRTFTables tables;
};

}  // namespace

TEST_F(FontFragments, RtfKeywords) {
  struct Case { const char* name; Prep setup; bool inherited; std::string expected; };
  const Case cases[] = {
      {"plain", [](TFontInfo&) {}, false, "\\fs20"},
      {"plain inherited", [](TFontInfo&) {}, true, ""},
      {"inherited keeps other sizes", [](TFontInfo& f) { f.SizeDouble = 21; }, true, "\\fs21"},
      {"bold 12 pt red", [](TFontInfo& f) { f.Style = {fsBold}; f.SetSize(12); f.Color = clRed; }, false,
       "\\b\\fs24\\cf" + Idx(clRed)},
      {"10 pt up 50 %", [](TFontInfo& f) { f.VShift = 50; }, false, "\\up10\\fs20"},
      {"down rounds to nearest", [](TFontInfo& f) { f.SizeDouble = 21; f.VShift = -33; }, false, "\\dn7\\fs21"},
      {"half rounds to even", [](TFontInfo& f) { f.SizeDouble = 25; f.VShift = 10; }, false, "\\up2\\fs25"},
      {"dotted underline with colour",
       [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineType = rvutDotted; f.UnderlineColor = clBlue; }, false,
       "\\uld\\ulc" + Idx(clBlue) + "\\fs20"},
      {"last underline kind",
       [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineType = rvutThickDashDotDotted; }, false,
       "\\ulthdashdd\\fs20"},
      {"underline colour without underline", [](TFontInfo& f) { f.UnderlineColor = clBlue; }, false, "\\fs20"},
      {"protect needs both flags", [](TFontInfo& f) { f.Protection = {rvprModifyProtect}; }, false, "\\fs20"},
      {"default charset writes no language", [](TFontInfo& f) { f.Charset = 1; }, false, "\\fs20"},
      {"charset without language", [](TFontInfo& f) { f.Charset = 238; }, false, "\\fs20"},
      {"every keyword in order",
       [](TFontInfo& f) {
         f.Style = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
         f.SubSuperScriptType = rvsssSuperScript;
         f.VShift = 20;
         f.CharScale = 80;
         f.CharSpacing = 2;
         f.StyleEx = {rvfsAllCaps};
         f.BiDiMode = rvbdRightToLeft;
         f.Charset = 204;
         f.Options = {rvteoHidden};
         f.Protection = {rvprModifyProtect, rvprDeleteProtect};
         f.BackColor = clYellow;
         f.Color = clBlack;
       },
       false,
       "\\b\\i\\ul\\strike\\super\\up4\\charscalex80\\expndtw30\\caps\\rtlch\\lang1049\\v\\protect\\fs20\\chcbpat" +
           Idx(clYellow) + "\\cf" + Idx(clBlack)},
      {"subscript, left to right", [](TFontInfo& f) { f.SubSuperScriptType = rvsssSubscript; f.BiDiMode = rvbdLeftToRight; },
       false, "\\sub\\ltrch\\fs20"},
  };
  for (const Case& c : cases) EXPECT_EQ(Rtf(c.setup, c.inherited), c.expected) << c.name;
}

TEST_F(FontFragments, RtfColourMissingFromTheTableIsLeftOut) {
  EXPECT_EQ(Rtf([](TFontInfo& f) { f.Color = clGreen; }), "\\fs20");
}

TEST_F(FontFragments, RtfLengthsOfATwipsSheet) {
  sheet.Units = rvstuTwips;
  EXPECT_EQ(Rtf([](TFontInfo& f) { f.CharSpacing = 40; }), "\\expndtw40\\fs20");
}

TEST_F(FontFragments, CssValues) {
  struct Case { const char* name; Prep setup; const char* fontSize; const char* vAlign; const char* decoration;
                const char* hoverDecoration; const char* border; const char* hoverBorder; };
  const Case cases[] = {
      {"plain", [](TFontInfo&) {}, "10pt", "", "none", "none", "", ""},
      {"half point", [](TFontInfo& f) { f.SizeDouble = 21; }, "10.5pt", "", "none", "none", "", ""},
      {"12 pt superscript", [](TFontInfo& f) { f.SetSize(12); f.SubSuperScriptType = rvsssSuperScript; },
       "8pt", "super", "none", "none", "", ""},
      {"subscript", [](TFontInfo& f) { f.SubSuperScriptType = rvsssSubscript; }, "7pt", "sub", "none", "none", "", ""},
      {"shifted", [](TFontInfo& f) { f.VShift = -5; }, "10pt", "sub", "none", "none", "", ""},
      {"pixel height", [](TFontInfo& f) { f.SizeDouble = -24; }, "16px", "", "none", "none", "", ""},
      {"every line", [](TFontInfo& f) { f.Style = {fsUnderline, fsStrikeOut}; f.StyleEx = {rvfsOverline}; },
       "10pt", "", "underline line-through overline", "underline line-through overline", "", ""},
      {"hover underline", [](TFontInfo& f) { f.HoverEffects = {rvheUnderline}; },
       "10pt", "", "none", "underline", "", ""},
      {"red underline", [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineColor = clRed; },
       "10pt", "", "none", "none", "border-bottom: solid 1px #ff0000", "border-bottom: solid 1px #ff0000"},
      {"hover colour replaces on hover",
       [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineColor = clRed; f.HoverUnderlineColor = clBlue; },
       "10pt", "", "none", "none", "border-bottom: solid 1px #ff0000", "border-bottom: solid 1px #0000ff"},
      {"thick at 30 pt", [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineType = rvutThick; f.SetSize(30); },
       "30pt", "", "none", "none", "border-bottom: solid 4px", "border-bottom: solid 4px"},
      {"double", [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineType = rvutDouble; f.UnderlineColor = clRed; },
       "10pt", "", "none", "none", "border-bottom: double #ff0000", "border-bottom: double #ff0000"},
      {"thick dash-dot-dot", [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineType = rvutThickDashDotDotted; },
       "10pt", "", "none", "none", "border-bottom: dashed 2px", "border-bottom: dashed 2px"},
      {"long dashes", [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineType = rvutLongDashed; },
       "10pt", "", "none", "none", "border-bottom: dashed 1px", "border-bottom: dashed 1px"},
      {"dotted hover only", [](TFontInfo& f) { f.HoverEffects = {rvheUnderline}; f.UnderlineType = rvutDotted; },
       "10pt", "", "none", "none", "", "border-bottom: dotted 1px"},
  };
  for (const Case& c : cases) {
    TFontInfo f(nullptr);
    c.setup(f);
    EXPECT_EQ(f.GetCSSFontSize(), c.fontSize) << c.name;
    EXPECT_EQ(f.GetCSSVerticalAlign(), c.vAlign) << c.name;
    EXPECT_EQ(f.GetCSSTextDecoration(false), c.decoration) << c.name;
    EXPECT_EQ(f.GetCSSTextDecoration(true), c.hoverDecoration) << c.name;
    EXPECT_EQ(f.GetCSSUnderlineBorder(false), c.border) << c.name;
    EXPECT_EQ(f.GetCSSUnderlineBorder(true), c.hoverBorder) << c.name;
  }
}

TEST_F(FontFragments, CssDeclarations) {
  const Prep plain = [](TFontInfo&) {};
  const Prep caps = [](TFontInfo& f) { f.StyleEx = {rvfsAllCaps}; };
  const std::string plainAlone =
      " font-size: 10pt; font-family: 'Arial', 'Helvetica', sans-serif; font-style: normal; font-weight: normal;"
      " color: #000000;";
  struct Case { const char* name; Prep setup; const Prep* base; bool multiline; bool jump; std::string expected; };
  const Case cases[] = {
      {"no base, one line", plain, nullptr, false, false,
       plainAlone + " background-color: transparent; text-decoration: none;"},
      {"no base, lines", plain, nullptr, true, false,
       " font-size: 10pt;\r\n font-family: 'Arial', 'Helvetica', sans-serif;\r\n font-style: normal;\r\n"
       " font-weight: normal;\r\n color: #000000;\r\n text-decoration: none;\r\n"},
      {"hyperlink like its base", plain, &plain, false, true, " text-decoration: none;"},
      {"equal to its base", plain, &plain, false, false, ""},
      {"dotted red underline over a plain base",
       [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineType = rvutDotted; f.UnderlineColor = clRed; }, &plain,
       false, false, " border-bottom: dotted 1px #ff0000;"},
      {"everything that differs from a plain base",
       [](TFontInfo& f) {
         f.SizeDouble = 21;
         f.Options = {rvteoHidden};
         f.BiDiMode = rvbdRightToLeft;
         f.FontName = u"Times New Roman";
         f.Style = {fsBold, fsItalic, fsUnderline};
         f.Color = clRed;
         f.CharSpacing = 2;
         f.StyleEx = {rvfsAllCaps};
         f.BackColor = clYellow;
         f.VShift = 10;
       },
       &plain, false, false,
       " font-size: 10.5pt; display: none; direction: rtl; font-family: 'Times New Roman', 'Times', serif;"
       " font-style: italic; font-weight: bold; color: #ff0000; letter-spacing: 2px; text-transform: uppercase;"
       " background-color: #ffff00; vertical-align: super; text-decoration: underline;"},
      {"back to the plain values", plain, &caps, false, false, " text-transform: none;"},
      {"font names compare without case", [](TFontInfo& f) { f.FontName = u"ARIAL"; }, &plain, false, false, ""},
      {"symbol font", [](TFontInfo& f) { f.FontName = u"wingdings 2"; }, &plain, false, false,
       " font-family: Symbola, 'Arial Unicode MS', 'Lucida Sans Unicode', 'Arial', 'Helvetica', sans-serif;"},
      {"left to right without base", [](TFontInfo& f) { f.BiDiMode = rvbdLeftToRight; f.BackColor = clRed; }, nullptr,
       true, false,
       " font-size: 10pt;\r\n direction: ltr;\r\n font-family: 'Arial', 'Helvetica', sans-serif;\r\n"
       " font-style: normal;\r\n font-weight: normal;\r\n color: #000000;\r\n background-color: #ff0000;\r\n"
       " text-decoration: none;\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Css(c.setup, c.base, c.multiline, c.jump), c.expected) << c.name;
}

TEST_F(FontFragments, CssFontFamilyEncoding) {
  const Prep plain = [](TFontInfo&) {};
  const Prep cyrillic = [](TFontInfo& f) { f.FontName = u"\u0428\u0440\u0438\u0444\u0442"; };
  EXPECT_EQ(Css(cyrillic, &plain, false, false, true), " font-family: '\xD0\xA8\xD1\x80\xD0\xB8\xD1\x84\xD1\x82';");
  const UINT savedCP = GetACP();
  SetACP(1251);
  EXPECT_EQ(Css(cyrillic, &plain, false, false, false), " font-family: '\xD8\xF0\xE8\xF4\xF2';");
  SetACP(savedCP);
}

TEST_F(FontFragments, OoxmlRunProperties) {
  struct Case { const char* name; Prep setup; TRVFontInfoProperties props; std::string expected; };
  const Case cases[] = {
      {"no underline", [](TFontInfo&) {}, {rvfiUnderline}, "<w:u w:val=\"none\"/>"},
      {"10.5 pt raised 20 %", [](TFontInfo& f) { f.SizeDouble = 21; f.VShift = 20; }, {rvfiSize, rvfiVShift},
       "<w:sz w:val=\"21\"/><w:position w:val=\"4\"/>"},
      {"lowered", [](TFontInfo& f) { f.VShift = -25; }, {rvfiVShift}, "<w:position w:val=\"-5\"/>"},
      {"pixel height size", [](TFontInfo& f) { f.SizeDouble = -24; }, {rvfiSize}, "<w:sz w:val=\"24\"/>"},
      {"font name escaped", [](TFontInfo& f) { f.FontName = u"A&B"; }, {rvfiFontName},
       "<w:rFonts w:ascii=\"A&amp;B\" w:hAnsi=\"A&amp;B\" w:cs =\"A&amp;B\" w:eastAsia=\"A&amp;B\"/>"},
      {"false flags", [](TFontInfo&) {}, {rvfiBold, rvfiItalic, rvfiStrikeout, rvfiAllCaps, rvfiBiDiMode},
       "<w:b w:val=\"0\"/><w:i w:val=\"0\"/><w:strike w:val=\"0\"/><w:caps w:val=\"0\"/><w:rtl w:val=\"0\"/>"},
      {"true flags",
       [](TFontInfo& f) {
         f.Style = {fsBold, fsItalic, fsStrikeOut};
         f.StyleEx = {rvfsAllCaps};
         f.BiDiMode = rvbdRightToLeft;
       },
       {rvfiBold, rvfiItalic, rvfiStrikeout, rvfiAllCaps, rvfiBiDiMode}, "<w:b/><w:i/><w:strike/><w:caps/><w:rtl/>"},
      {"underline kind and colour",
       [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineType = rvutThickDotted; f.UnderlineColor = clRed; },
       {rvfiUnderline, rvfiUnderlineColor}, "<w:u w:val=\"dottedHeavy\" w:color=\"FF0000\"/>"},
      {"underline without its colour",
       [](TFontInfo& f) { f.Style = {fsUnderline}; f.UnderlineType = rvutDashDotDotted; f.UnderlineColor = clRed; },
       {rvfiUnderline}, "<w:u w:val=\"dotDotDash\"/>"},
      {"underline colour alone", [](TFontInfo&) {}, {rvfiUnderlineColor}, "<w:u w:color=\"auto\"/>"},
      {"scripts", [](TFontInfo& f) { f.SubSuperScriptType = rvsssSubscript; }, {rvfiSubSuperScriptType},
       "<w:vertAlign w:val=\"subscript\"/>"},
      {"baseline", [](TFontInfo&) {}, {rvfiSubSuperScriptType}, "<w:vertAlign w:val=\"baseline\"/>"},
      {"default colours", [](TFontInfo&) {}, {rvfiColor, rvfiBackColor},
       "<w:color w:val=\"auto\"/><w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"auto\"/>"},
      {"every property in order",
       [](TFontInfo& f) {
         f.FontName = u"Georgia";
         f.Style = {fsBold, fsItalic, fsStrikeOut, fsUnderline};
         f.UnderlineColor = clBlue;
         f.StyleEx = {rvfsAllCaps};
         f.SubSuperScriptType = rvsssSuperScript;
         f.SetSize(12);
         f.CharScale = 80;
         f.CharSpacing = 2;
         f.VShift = 50;
         f.Color = clRed;
         f.BackColor = clYellow;
         f.BiDiMode = rvbdLeftToRight;
       },
       AllTextStyleProperties,
       "<w:rFonts w:ascii=\"Georgia\" w:hAnsi=\"Georgia\" w:cs =\"Georgia\" w:eastAsia=\"Georgia\"/><w:b/><w:i/>"
       "<w:strike/><w:u w:val=\"single\" w:color=\"0000FF\"/><w:caps/><w:vertAlign w:val=\"superscript\"/>"
       "<w:sz w:val=\"24\"/><w:w w:val=\"80\"/><w:spacing w:val=\"30\"/><w:position w:val=\"12\"/>"
       "<w:color w:val=\"FF0000\"/><w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"FFFF00\"/>"
       "<w:rtl w:val=\"0\"/>"},
  };
  const bool lint = XmlLintAvailable();
  for (const Case& c : cases) {
    TFontInfo* f = sheet.TextStyles()->Add();
    c.setup(*f);
    const std::string x = f->GetOOXMLStr(&sheet, c.props);
    EXPECT_EQ(x, c.expected) << c.name;
    if (lint) {
      EXPECT_TRUE(XmlWellFormed("rpr", "", x)) << c.name;
    }
  }
  if (!lint) GTEST_SKIP() << "xmllint is not installed; well-formedness not checked";
}

TEST(FontInfoIniFile, LoadingLeavesAReadOnlyFileUntouched) {
  const std::string path = std::string(TAVRELO_TEST_OUTPUT) + "/font-readonly.ini";
  ::chmod(path.c_str(), 0644);
  const std::string content = "[S]\r\nName=Tahoma\r\nBold=Yes\r\nSize=12\r\n";
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << content;
  }
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  TFontInfo g(nullptr);
  {
    TIniFile ini(Utf8ToUnicode(path));
    g.LoadFromINI(&ini, u"S", u"%s", true, 55);
    EXPECT_FALSE(ini.ValueExists(u"S", u"Jump"));
  }
  EXPECT_EQ(g.FontName, u"Tahoma");
  EXPECT_EQ(g.SizeDouble, 24);
  EXPECT_TRUE(g.Style.Contains(fsBold));
  EXPECT_TRUE(g.Jump);
  EXPECT_EQ(g.JumpCursor, 55);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
  ::chmod(path.c_str(), 0644);
}

TEST(FontInfoIniKeys, OnlyValuesOtherThanTheDefaultsAreWritten) {
  struct Case { const char* name; std::function<void(TFontInfo&)> prep; TRVFontInfoProperties props;
                std::vector<std::string> keys; };
  const Case cases[] = {
      {"defaults", [](TFontInfo&) {}, AllTextStyleProperties, {"Name", "Jump"}},
      {"nothing asked", [](TFontInfo& f) { f.Color = clRed; }, {}, {}},
      {"10.5 pt", [](TFontInfo& f) { f.SizeDouble = 21; }, {rvfiSize}, {"SizeDouble"}},
      {"12 pt", [](TFontInfo& f) { f.SizeDouble = 24; }, {rvfiSize}, {"Size"}},
      {"only the asked property", [](TFontInfo& f) { f.Color = clRed; f.Style = {fsBold}; }, {rvfiBold}, {"Bold"}},
      {"protection beyond the ten flags", [](TFontInfo& f) { f.Protection = {rvprStickToTop}; }, {rvfiProtection},
       {}},
      {"both code keys", [](TFontInfo& f) { f.Options = {rvteoDocXInRunCode}; }, {rvfiDocXCode}, {"DocXInRunCode"}},
      {"template of the paragraph always", [](TFontInfo& f) { f.ParaStyleTemplateId = 5; }, {},
       {"ParaStyleTemplateId"}},
      {"hyperlink keys", [](TFontInfo& f) { f.Jump = false; f.NextStyleNo = 2; f.Unicode = true; },
       {rvfiJump, rvfiNextStyleNo, rvfiUnicode}, {"Jump", "NextStyleNo", "Unicode"}},
  };
  for (const Case& c : cases) {
    TFontInfo f(nullptr);
    f.FontName = u"Arial";
    f.Unicode = false;
    c.prep(f);
    auto ini = NewIni();
    f.SaveToINI(ini.get(), u"S", u"%s", c.props);
    EXPECT_EQ(StyleKeysOf(*ini, u"S"), c.keys) << c.name;
  }
}
