// Paragraph styles written as CSS declarations, RTF keywords and OOXML paragraph properties.
#include <functional>

#include "FragmentTestUtil.h"
#include "StyleTestUtil.h"
#include "engine/foundation/RVRTFFuncs.h"
#include "engine/styles/ParaInfo.h"

namespace {

using Prep = std::function<void(TParaInfo&)>;

void AddTab(TParaInfo& p, TRVStyleLength pos, TRVTabAlign align, const char16_t* leader) {
  TRVTabInfo* t = p.Tabs()->Add();
  t->SetPosition(pos);
  t->Align = align;
  t->Leader = leader;
}

void SingleRedBorder(TParaInfo& p, TRVStyleLength width, TRVStyleLength offset) {
  p.Border()->Style = rvbSingle;
  p.Border()->Color = clRed;
  p.Border()->Width = width;
  p.Border()->BorderOffsets()->SetAll(offset);
}

// A pixel sheet at 96 dpi: one pixel is 15 twips.
class ParaFragments : public ::testing::Test {
 protected:
  void SetUp() override {
    for (TColor c : {clBlack, clRed, clBlue, clYellow}) tables.AddColor(c);
  }
  TParaInfo* Make(const Prep& prep) {
    TParaInfo* p = sheet.ParaStyles()->Add();
    prep(*p);
    return p;
  }
  std::string Rtf(const Prep& prep, TRVStyleLength minTab = 0, const std::string& fili = "") {
    TMemoryStream ms;
    Make(prep)->SaveRTFToStream(&ms, &tables, minTab, fili, &sheet);
    return StreamText(ms);
  }
  std::string Css(const Prep& prep, const Prep* base, bool multiline, bool ignoreLeft, bool ignoreStart,
                  TRVBiDiMode mainBiDi = rvbdUnspecified) {
    TParaInfo* p = Make(prep);
    TParaInfo* b = base ? Make(*base) : nullptr;
    TMemoryStream ms;
    p->SaveCSSToStream(&ms, b, multiline, ignoreLeft, ignoreStart, mainBiDi);
    return StreamText(ms);
  }
  std::string Idx(TColor c) { return std::to_string(tables.GetColorIndex(c)); }

  TRVStyle sheet{nullptr};
  TRVRTFTables tables;
};

const std::string PlainTail = "\\fi0\\li0\\ql\\ri0\\sb0\\sa0";

}  // namespace

TEST_F(ParaFragments, RtfKeywords) {
  struct Case { const char* name; Prep prep; TRVStyleLength minTab; std::string fili; std::string expected; };
  const Case cases[] = {
      {"plain", [](TParaInfo&) {}, 0, "", PlainTail},
      {"right aligned, right indent 720 twips", [](TParaInfo& p) { p.Alignment = rvaRight; p.RightIndent = 48; }, 0,
       "", "\\fi0\\li0\\qr\\ri720\\sb0\\sa0"},
      {"distributed", [](TParaInfo& p) { p.Alignment = rvaDistribute; }, 0, "", "\\fi0\\li0\\qd\\ri0\\sb0\\sa0"},
      {"one and a half lines", [](TParaInfo& p) { p.LineSpacing = 150; }, 0, "", "\\sl360\\slmult1" + PlainTail},
      {"at least 20 px",
       [](TParaInfo& p) { p.LineSpacingType = rvlsLineHeightAtLeast; p.LineSpacing = 20; }, 0, "",
       "\\sl300\\slmult0" + PlainTail},
      {"exactly 20 px",
       [](TParaInfo& p) { p.LineSpacingType = rvlsLineHeightExact; p.LineSpacing = 20; }, 0, "",
       "\\sl-300\\slmult0" + PlainTail},
      {"space between", [](TParaInfo& p) { p.LineSpacingType = rvlsSpaceBetween; p.LineSpacing = 20; }, 0, "",
       PlainTail},
      {"direction and flow",
       [](TParaInfo& p) {
         p.BiDiMode = rvbdRightToLeft;
         p.Options = {rvpaoKeepLinesTogether, rvpaoKeepWithNext, rvpaoWidowOrphanControl};
       },
       0, "", "\\rtlpar\\keep\\keepn\\widctlpar" + PlainTail},
      {"indents", [](TParaInfo& p) { p.FirstIndent = -10; p.LeftIndent = 20; p.BiDiMode = rvbdLeftToRight; }, 0, "",
       "\\ltrpar\\fi-150\\li300\\ql\\ri0\\sb0\\sa0"},
      {"list indents replace the style's", [](TParaInfo& p) { p.LeftIndent = 20; }, 0, "\\li600\\fi-300",
       "\\li600\\fi-300\\ql\\ri0\\sb0\\sa0"},
      {"right tab at 2 inches with dots", [](TParaInfo& p) { AddTab(p, 192, rvtaRight, u"."); }, 0, "",
       "\\fi0\\li0\\tqr\\tldot\\tx2880\\ql\\ri0\\sb0\\sa0"},
      {"leaders and the list indent",
       [](TParaInfo& p) {
         AddTab(p, 10, rvtaLeft, u"-");
         AddTab(p, 20, rvtaCenter, u"-");
         AddTab(p, 30, rvtaLeft, u"=");
         AddTab(p, 40, rvtaLeft, u"_");
         AddTab(p, 50, rvtaLeft, u"\u00B7");
         AddTab(p, 60, rvtaLeft, u"");
       },
       10, "",
       "\\fi0\\li0\\tqc\\tlhyph\\tx300\\tleq\\tx450\\tlul\\tx600\\tlmdot\\tx750\\tx900\\ql\\ri0\\sb0\\sa0"},
      {"heading", [](TParaInfo& p) { p.OutlineLevel = 2; }, 0, "", PlainTail.substr(0, 15) + "\\outlinelevel1\\sb0\\sa0"},
      {"outline level beyond headings", [](TParaInfo& p) { p.OutlineLevel = 10; }, 0, "", PlainTail},
      {"single border, left side hidden",
       [](TParaInfo& p) {
         SingleRedBorder(p, 1, 5);
         p.Border()->VisibleBorders()->Left = false;
       },
       0, "",
       "\\fi0\\li0\\ql\\ri0\\brdrbtw"
       "\\brdrt\\brsp75\\brdrs\\brdrcf1\\brdrw15\\brdrr\\brsp75\\brdrs\\brdrcf1\\brdrw15"
       "\\brdrb\\brsp75\\brdrs\\brdrcf1\\brdrw15\\sb0\\sa0"},
      {"thick inside border, negative offset",
       [](TParaInfo& p) {
         p.Border()->Style = rvbThickInside;
         p.Border()->Color = clBlue;
         p.Border()->BorderOffsets()->SetAll(-2);
         p.Border()->VisibleBorders()->SetValues(true, false, true, false);
       },
       0, "",
       "\\fi0\\li0\\ql\\ri0\\brdrbtw\\brdrl\\brsp0\\brdrthtnmg\\brdrcf2\\brdrw30"
       "\\brdrr\\brsp0\\brdrtnthmg\\brdrcf2\\brdrw30\\sb0\\sa0"},
      {"thick outside border words",
       [](TParaInfo& p) {
         p.Border()->Style = rvbThickOutside;
         p.Border()->Color = clBlue;
         p.Border()->VisibleBorders()->SetValues(false, true, false, true);
       },
       0, "",
       "\\fi0\\li0\\ql\\ri0\\brdrbtw\\brdrt\\brsp0\\brdrtnthmg\\brdrcf2\\brdrw30"
       "\\brdrb\\brsp0\\brdrthtnmg\\brdrcf2\\brdrw30\\sb0\\sa0"},
      {"border without colour is not written", [](TParaInfo& p) { SingleRedBorder(p, 1, 5); p.Border()->Color = clNone; },
       0, "", PlainTail},
      {"space before less a top border",
       [](TParaInfo& p) {
         SingleRedBorder(p, 3, 2);
         p.SetSpaceBefore(10);
         p.SetSpaceAfter(10);
         p.Border()->VisibleBorders()->SetValues(false, true, false, false);
       },
       0, "", "\\fi0\\li0\\ql\\ri0\\brdrbtw\\brdrt\\brsp30\\brdrs\\brdrcf1\\brdrw45\\sb75\\sa150"},
      {"spaces never below 0, even a colourless border takes its room",
       [](TParaInfo& p) {
         p.Border()->Style = rvbDouble;
         p.Border()->Color = clNone;
         p.Border()->BorderOffsets()->SetAll(9);
         p.SetSpaceBefore(4);
         p.SetSpaceAfter(30);
       },
       0, "", "\\fi0\\li0\\ql\\ri0\\sb0\\sa270"},
      {"background",
       [](TParaInfo& p) { p.Background()->Color = clYellow; }, 0, "", "\\fi0\\li0\\ql\\ri0\\cbpat3\\sb0\\sa0"},
  };
  for (const Case& c : cases) EXPECT_EQ(Rtf(c.prep, c.minTab, c.fili), c.expected) << c.name;
}

TEST_F(ParaFragments, RtfLengthsOfATwipsSheet) {
  sheet.Units = rvstuTwips;
  EXPECT_EQ(Rtf([](TParaInfo& p) { p.LeftIndent = 720; AddTab(p, 1440, rvtaCenter, u""); }),
            "\\fi0\\li720\\tqc\\tx1440\\ql\\ri0\\sb0\\sa0");
}

TEST_F(ParaFragments, CssDeclarations) {
  const Prep plain = [](TParaInfo&) {};
  const Prep wrapped = [](TParaInfo& p) {
    p.Options = {rvpaoNoWrap, rvpaoKeepLinesTogether, rvpaoKeepWithNext, rvpaoWidowOrphanControl};
    SingleRedBorder(p, 1, 0);
  };
  const Prep backed = [](TParaInfo& p) {
    p.LeftIndent = 15;
    p.Background()->Color = clYellow;
    p.Background()->BorderOffsets()->SetAll(5);
  };
  struct Case { const char* name; Prep prep; const Prep* base; bool multiline, ignoreLeft, ignoreStart;
                TRVBiDiMode mainBiDi; std::string expected; };
  const Case cases[] = {
      {"left alignment ignored", plain, nullptr, false, true, false, rvbdUnspecified,
       " text-indent: 0px; padding: 0px 0px 0px 0px; margin: 0px 0px 0px 0px;"},
      {"left alignment written, lines", plain, nullptr, true, false, false, rvbdUnspecified,
       " text-align: left;\r\n text-indent: 0px;\r\n padding: 0px 0px 0px 0px;\r\n margin: 0px 0px 0px 0px;\r\n"},
      {"justified without base", [](TParaInfo& p) { p.Alignment = rvaJustify; }, nullptr, false, true, false,
       rvbdUnspecified,
       " text-align: justify; text-align-last: auto; text-indent: 0px; padding: 0px 0px 0px 0px;"
       " margin: 0px 0px 0px 0px;"},
      {"justified over a base", [](TParaInfo& p) { p.Alignment = rvaJustify; p.LastLineAlignment = rvllaCenter; },
       &plain, false, false, false, rvbdUnspecified,
       " text-align: justify; text-justify: inter-word; text-align-last: center;"},
      {"distributed", [](TParaInfo& p) { p.Alignment = rvaDistribute; }, nullptr, false, false, true,
       rvbdUnspecified,
       " text-align: justify; text-justify: distribute; text-align-last: auto; padding: 0px 0px 0px 0px;"
       " margin-top: 0px; margin-right: 0px; margin-bottom: 0px;"},
      {"equal to its base", plain, &plain, false, false, false, rvbdUnspecified, ""},
      {"line heights", [](TParaInfo& p) { p.LineSpacing = 150; p.BiDiMode = rvbdRightToLeft; p.FirstIndent = 8; },
       &plain, false, false, false, rvbdUnspecified, " direction: rtl; text-indent: 8px; line-height: 1.50;"},
      {"small percent", [](TParaInfo& p) { p.LineSpacing = 105; }, &plain, false, false, false, rvbdUnspecified,
       " line-height: 1.05;"},
      {"line height at least",
       [](TParaInfo& p) { p.LineSpacingType = rvlsLineHeightAtLeast; p.LineSpacing = 20; }, &plain, false, false,
       false, rvbdUnspecified, " line-height: 20px;"},
      {"back to normal flow, no border", plain, &wrapped, false, false, false, rvbdUnspecified,
       " white-space: normal; page-break-inside: auto; page-break-after: auto; widows: 1; orphans: 1;"
       " border: none;"},
      {"flow options", wrapped, &plain, false, false, false, rvbdUnspecified,
       " white-space: nowrap; page-break-inside: avoid; page-break-after: avoid; widows: 2; orphans: 2;"
       " border-color: #ff0000; border-style: solid; border-width: 1px;"},
      {"left indent 20 with a single red border",
       [](TParaInfo& p) { p.LeftIndent = 20; SingleRedBorder(p, 1, 5); }, nullptr, false, true, false,
       rvbdUnspecified,
       " text-indent: 0px; border-color: #ff0000; border-style: solid; border-width: 1px;"
       " padding: 5px 5px 5px 5px; margin: 0px 0px 0px 14px;"},
      {"hidden sides, double style",
       [](TParaInfo& p) {
         SingleRedBorder(p, 1, 0);
         p.Border()->Style = rvbTriple;
         p.Border()->VisibleBorders()->SetValues(false, false, false, true);
       },
       &plain, false, false, false, rvbdUnspecified,
       " border-color: #ff0000; border-style: double; border-width: 5px; border-top: none; border-right: none;"
       " border-left: none;"},
      {"semitransparent background",
       [](TParaInfo& p) { p.Background()->Color = clRed; p.Background()->Opacity = 50000; }, &plain, false, false,
       false, rvbdUnspecified, " background: #ff0000; background-color: rgba(255,0,0,0.5);"},
      {"background offsets raise the padding", backed, &plain, false, false, false, rvbdUnspecified,
       " background: #ffff00; padding: 5px 5px 5px 5px; margin: 0px 0px 0px 10px;"},
      // The base's own CSS took 5px of its indent as padding; the same indent here is all margin.
      {"margin of a base whose background pads it",
       [](TParaInfo& p) { p.LeftIndent = 15; }, &backed, false, false, false, rvbdUnspecified,
       " background: transparent; padding: 0px 0px 0px 0px; margin: 0px 0px 0px 15px;"},
      {"same margin as a base whose background pads it",
       [](TParaInfo& p) { p.LeftIndent = 10; }, &backed, false, false, false, rvbdUnspecified,
       " background: transparent; padding: 0px 0px 0px 0px;"},
      {"start side left out, right to left",
       [](TParaInfo& p) { p.LeftIndent = 3; p.RightIndent = 4; p.SetSpaceBefore(1); p.SetSpaceAfter(2); }, nullptr,
       false, true, true, rvbdRightToLeft,
       " padding: 0px 0px 0px 0px; margin-left: 3px; margin-top: 1px; margin-bottom: 2px;"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Css(c.prep, c.base, c.multiline, c.ignoreLeft, c.ignoreStart, c.mainBiDi), c.expected) << c.name;
}

TEST_F(ParaFragments, CssSizesOfATwipsSheet) {
  sheet.Units = rvstuTwips;
  EXPECT_EQ(Css([](TParaInfo& p) { p.FirstIndent = 30; }, nullptr, false, true, false),
            " text-indent: 1.5pt; padding: 0pt 0pt 0pt 0pt; margin: 0pt 0pt 0pt 0pt;");
}

TEST_F(ParaFragments, OoxmlParagraphProperties) {
  const TRVParaInfoProperties borderProps = {rvpiBorder_Style, rvpiBorder_Width, rvpiBorder_Color,
                                             rvpiBorder_BO_Left, rvpiBorder_BO_Top, rvpiBorder_BO_Right,
                                             rvpiBorder_BO_Bottom};
  struct Case { const char* name; Prep prep; TRVParaInfoProperties props; TRVStyleLength minTab; bool parentTabs;
                std::string expected; };
  const Case cases[] = {
      {"hanging indent", [](TParaInfo& p) { p.FirstIndent = -24; }, {rvpiFirstIndent}, 0, false,
       "<w:ind w:hanging=\"360\"/>"},
      {"all indents", [](TParaInfo& p) { p.FirstIndent = 5; p.LeftIndent = 20; p.RightIndent = 10; },
       {rvpiFirstIndent, rvpiLeftIndent, rvpiRightIndent}, 0, false,
       "<w:ind w:left=\"300\" w:right=\"150\" w:firstLine=\"75\"/>"},
      {"alignment and heading", [](TParaInfo& p) { p.Alignment = rvaJustify; p.OutlineLevel = 3; },
       {rvpiAlignment, rvpiOutlineLevel}, 0, false, "<w:jc w:val=\"both\"/><w:outlineLvl w:val=\"2\"/>"},
      {"no outline level for body text", [](TParaInfo&) {}, {rvpiOutlineLevel}, 0, false, ""},
      {"flow flags off",
       [](TParaInfo&) {},
       {rvpiKeepLinesTogether, rvpiKeepWithNext, rvpiWidowOrphanControl, rvpiNoWrap, rvpiBiDiMode}, 0, false,
       "<w:keepLines w:val=\"0\"/><w:keepNext w:val=\"0\"/><w:widowControl w:val=\"0\"/><w:wordWrap/>"
       "<w:bidi w:val=\"0\"/>"},
      {"flow flags on",
       [](TParaInfo& p) {
         p.Options = {rvpaoKeepLinesTogether, rvpaoKeepWithNext, rvpaoWidowOrphanControl, rvpaoNoWrap};
         p.BiDiMode = rvbdRightToLeft;
       },
       {rvpiKeepLinesTogether, rvpiKeepWithNext, rvpiWidowOrphanControl, rvpiNoWrap, rvpiBiDiMode}, 0, false,
       "<w:keepLines/><w:keepNext/><w:widowControl/><w:wordWrap w:val=\"0\"/><w:bidi/>"},
      {"spacing", [](TParaInfo& p) { p.SetSpaceBefore(4); p.SetSpaceAfter(8); p.LineSpacing = 150; },
       {rvpiSpaceBefore, rvpiSpaceAfter, rvpiLineSpacing}, 0, false,
       "<w:spacing w:before=\"60\" w:after=\"120\" w:lineRule=\"auto\" w:line=\"360\"/>"},
      {"exact line", [](TParaInfo& p) { p.LineSpacingType = rvlsLineHeightExact; p.LineSpacing = 20; },
       {rvpiLineSpacingType}, 0, false, "<w:spacing w:lineRule=\"exact\" w:line=\"300\"/>"},
      {"line at least", [](TParaInfo& p) { p.LineSpacingType = rvlsLineHeightAtLeast; p.LineSpacing = 20; },
       {rvpiLineSpacing}, 0, false, "<w:spacing w:lineRule=\"atLeast\" w:line=\"300\"/>"},
      {"space before less a top border",
       [](TParaInfo& p) { SingleRedBorder(p, 3, 2); p.SetSpaceBefore(10); }, {rvpiSpaceBefore}, 0, false,
       "<w:spacing w:before=\"75\"/>"},
      {"shading", [](TParaInfo& p) { p.Background()->Color = clYellow; }, {rvpiBackground_Color}, 0, false,
       "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"FFFF00\"/>"},
      {"triple border, left side hidden",
       [](TParaInfo& p) {
         SingleRedBorder(p, 1, 5);
         p.Border()->Style = rvbTriple;
         p.Border()->VisibleBorders()->Left = false;
       },
       borderProps, 0, false,
       "<w:pBdr><w:top w:val=\"triple\" w:sz=\"6\" w:space=\"3\" w:color=\"FF0000\"/>"
       "<w:left w:val=\"none\" w:sz=\"6\" w:space=\"3\" w:color=\"FF0000\"/>"
       "<w:bottom w:val=\"triple\" w:sz=\"6\" w:space=\"3\" w:color=\"FF0000\"/>"
       "<w:right w:val=\"triple\" w:sz=\"6\" w:space=\"3\" w:color=\"FF0000\"/></w:pBdr>"},
      {"thick inside border",
       [](TParaInfo& p) { SingleRedBorder(p, 1, -3); p.Border()->Style = rvbThickInside; }, {rvpiBorder_Style,
       rvpiBorder_Width, rvpiBorder_BO_Top}, 0, false,
       "<w:pBdr><w:top w:val=\"thickThinMediumGap\" w:sz=\"12\" w:space=\"0\"/>"
       "<w:left w:val=\"thickThinMediumGap\" w:sz=\"12\"/><w:bottom w:val=\"thinThickMediumGap\" w:sz=\"12\"/>"
       "<w:right w:val=\"thinThickMediumGap\" w:sz=\"12\"/></w:pBdr>"},
      {"thick outside border",
       [](TParaInfo& p) { SingleRedBorder(p, 1, 0); p.Border()->Style = rvbThickOutside; }, {rvpiBorder_Style}, 0,
       false,
       "<w:pBdr><w:top w:val=\"thinThickMediumGap\"/><w:left w:val=\"thinThickMediumGap\"/>"
       "<w:bottom w:val=\"thickThinMediumGap\"/><w:right w:val=\"thickThinMediumGap\"/></w:pBdr>"},
      {"one side's offset alone", [](TParaInfo& p) { p.Border()->BorderOffsets()->Left = 40; }, {rvpiBorder_BO_Left},
       0, false, "<w:pBdr><w:left w:val=\"none\" w:space=\"30\"/></w:pBdr>"},
      {"no border property, no element", [](TParaInfo& p) { SingleRedBorder(p, 1, 0); }, {rvpiBorder_Vis_Left}, 0,
       false, ""},
      {"tabs with leaders and the list indent",
       [](TParaInfo& p) {
         AddTab(p, 10, rvtaRight, u"-");
         AddTab(p, 20, rvtaRight, u"=");
         AddTab(p, 30, rvtaCenter, u"_");
         AddTab(p, 40, rvtaLeft, u"\u00B7");
         AddTab(p, 50, rvtaLeft, u"x");
         AddTab(p, 60, rvtaLeft, u"");
       },
       {rvpiTabs}, 10, false,
       "<w:tabs><w:tab w:val=\"clear\" w:pos=\"150\"/><w:tab w:val=\"right\" w:pos=\"300\" w:leader=\"heavy\"/>"
       "<w:tab w:val=\"center\" w:pos=\"450\" w:leader=\"underscore\"/>"
       "<w:tab w:val=\"left\" w:pos=\"600\" w:leader=\"middleDot\"/>"
       "<w:tab w:val=\"left\" w:pos=\"750\" w:leader=\"dot\"/><w:tab w:val=\"left\" w:pos=\"900\"/></w:tabs>"},
      {"inherited stop the style lacks is cleared",
       [](TParaInfo& p) { AddTab(p, 48, rvtaRight, u"-"); AddTab(p, 144, rvtaLeft, u""); }, {rvpiTabs}, 0, true,
       "<w:tabs><w:tab w:val=\"right\" w:pos=\"720\" w:leader=\"hyphen\"/><w:tab w:val=\"clear\" w:pos=\"1440\"/>"
       "<w:tab w:val=\"left\" w:pos=\"2160\"/></w:tabs>"},
      {"no stops, no element", [](TParaInfo&) {}, {rvpiTabs}, 0, false, ""},
  };
  const bool lint = XmlLintAvailable();
  for (const Case& c : cases) {
    TParaInfo* p = Make(c.prep);
    TRVTabInfos parent;
    TRVTabInfo* inherited = parent.Add();
    inherited->SetPosition(96);
    const std::string x = p->GetOOXMLStr(&sheet, c.minTab, c.parentTabs ? &parent : nullptr, c.props);
    EXPECT_EQ(x, c.expected) << c.name;
    if (lint) {
      EXPECT_TRUE(XmlWellFormed("ppr", x, "")) << c.name;
    }
  }
  if (!lint) GTEST_SKIP() << "xmllint is not installed; well-formedness not checked";
}

TEST(ParaInfoIniKeys, OnlyValuesOtherThanTheDefaultsAreWritten) {
  struct Case { const char* name; Prep prep; TRVParaInfoProperties props; std::vector<std::string> keys; };
  const Case cases[] = {
      {"defaults", [](TParaInfo&) {}, AllParaStyleProperties, {}},
      {"percent spacing through its type", [](TParaInfo& p) { p.LineSpacing = 150; }, {rvpiLineSpacingType},
       {"LineSpacing"}},
      {"exact spacing", [](TParaInfo& p) { p.LineSpacingType = rvlsLineHeightExact; p.LineSpacing = 12; },
       {rvpiLineSpacing}, {"LineSpacing", "LSType"}},
      {"not asked", [](TParaInfo& p) { p.Alignment = rvaRight; }, {rvpiLeftIndent}, {}},
      {"one option", [](TParaInfo& p) { p.Options = {rvpaoKeepWithNext, rvpaoNoWrap}; }, {rvpiKeepWithNext},
       {"KeepWithNext"}},
      {"references", [](TParaInfo& p) { p.NextParaNo = 2; p.DefStyleNo = 0; }, {rvpiNextParaNo, rvpiDefStyleNo},
       {"NextParaNo", "DefStyleNo"}},
      {"border, background and tabs",
       [](TParaInfo& p) {
         p.Border()->Style = rvbSingle;
         p.Background()->Color = clRed;
         p.Tabs()->Add()->SetPosition(30);
       },
       {rvpiBorder_Style, rvpiBackground_Color, rvpiTabs}, {"BorderStyle", "BackgroundColor", "TabTabCount", "TabTabPos0"}},
  };
  for (const Case& c : cases) {
    TParaInfo p(nullptr);
    c.prep(p);
    auto ini = NewIni();
    p.SaveToINI(ini.get(), u"S", u"%s", c.props);
    EXPECT_EQ(StyleKeysOf(*ini, u"S"), c.keys) << c.name;
  }
}

// Values read from damaged files reach the writers unchecked; extreme ones must not overflow.
TEST(StyleFragmentsExtremes, WritersSurviveExtremeValues) {
  for (TRVStyleUnits units : {rvstuPixels, rvstuTwips}) {
    for (int v : {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX}) {
      TRVStyle sheet(nullptr);
      sheet.Units = units;
      TRVRTFTables tables;
      tables.AddColor(clRed);
      TFontInfo* f = sheet.TextStyles()->Add();
      f->SizeDouble = v;
      f->VShift = v;
      f->CharSpacing = v;
      f->CharScale = v;
      f->Style = {fsUnderline};
      f->UnderlineColor = clRed;
      TParaInfo* p = sheet.ParaStyles()->Add();
      p->FirstIndent = p->LeftIndent = p->RightIndent = v;
      p->SetSpaceBefore(v);
      p->SetSpaceAfter(v);
      p->LineSpacing = v;
      p->OutlineLevel = v;
      p->Border()->Style = rvbThickOutside;
      p->Border()->Color = clRed;
      p->Border()->Width = v;
      p->Border()->InternalWidth = v;
      p->Border()->BorderOffsets()->SetAll(v);
      p->Background()->Color = clRed;
      p->Background()->Opacity = v;
      p->Background()->BorderOffsets()->SetAll(v);
      p->Tabs()->Add()->SetPosition(v);
      TParaInfo* base = sheet.ParaStyles()->Add();
      for (TRVLineSpacingType t : {rvlsPercent, rvlsLineHeightAtLeast, rvlsLineHeightExact}) {
        p->LineSpacingType = t;
        TMemoryStream ms;
        f->SaveRTFToStream(&ms, nullptr, &tables, &sheet, false);
        f->SaveCSSToStream(&ms, nullptr, false, true, false);
        p->SaveRTFToStream(&ms, &tables, 0, "", &sheet);
        p->SaveCSSToStream(&ms, nullptr, false, false, false, rvbdUnspecified);
        p->SaveCSSToStream(&ms, base, true, false, true, rvbdRightToLeft);
        EXPECT_FALSE(f->GetOOXMLStr(&sheet, AllTextStyleProperties).empty());
        EXPECT_FALSE(p->GetOOXMLStr(&sheet, 0, base->Tabs(), AllParaStyleProperties).empty());
        EXPECT_GT(ms.GetSize(), 0);
      }
    }
  }
}
