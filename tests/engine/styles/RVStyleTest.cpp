// The style sheet: defaults, units, tab stops, events, templates of a main sheet, text engine,
// CSS, INI and component-stream forms, and the typed style references of the document format.
#include "engine/styles/RVStyle.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "StyleTestUtil.h"
#include "engine/foundation/RVUniscribeGrIn.h"
#include "engine/foundation/RVWinGrIn.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/base/ComponentStream.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Cursors.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string StreamText(TMemoryStream& ms) {
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

// A sheet with a length of every kind that the unit conversion touches.
void FillLengths(TRVStyle& s) {
  s.DefTabWidth = 40;
  TFontInfo* f = s.TextStyles()->Items(1);
  f->CharSpacing = 2;
  f->EmptyWidth = 7;
  TParaInfo* p = s.ParaStyles()->Items(1);
  p->LeftIndent = 30;
  p->FirstIndent = -12;
  p->RightIndent = 5;
  p->SetSpaceAfter(9);
  p->Border()->Style = rvbSingle;
  p->Border()->Width = 2;
  p->Tabs()->Add()->SetPosition(100);
  TRVListLevel* lvl = s.ListStyles()->Add()->Levels()->Add();
  lvl->LeftIndent = 24;
  lvl->FirstIndent = -8;
  lvl->MarkerIndent = 3;
  TRVStyleTemplate* t = s.StyleTemplates()->Add();
  t->SetName(u"Quote");
  t->ValidParaProperties = {rvpiLeftIndent};
  t->ParaStyle()->LeftIndent = 45;
}

std::vector<UnicodeString> IniLines(TRVStyle& s) {
  auto ini = NewIni();
  s.SaveToINI(ini.get(), u"Sheet");
  TStringList values;
  ini->ReadSectionValues(u"Sheet", values);
  std::vector<UnicodeString> r;
  for (int i = 0; i < values.Count(); ++i) r.push_back(values[i]);
  return r;
}

}  // namespace

TEST(RVStyleDefaults, TextAndParagraphStyles) {
  TRVStyle sheet(nullptr);
  struct Case {
    const char16_t* name;
    TFontStyles style;
    TColor color;
    bool jump;
  };
  const Case cases[] = {
      {u"Normal text", {}, clWindowText, false}, {u"Heading", {fsBold}, clBlue, false},
      {u"Subheading", {fsBold}, clNavy, false},   {u"Keywords", {fsItalic}, clMaroon, false},
      {u"Jump 1", {fsUnderline}, clGreen, true},  {u"Jump 2", {fsUnderline}, clGreen, true},
  };
  ASSERT_EQ(sheet.TextStyles()->Count(), 6);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    TFontInfo* f = sheet.TextStyles()->Items(i);
    EXPECT_EQ(f->StyleName, cases[i].name);
    EXPECT_EQ(f->Style, cases[i].style);
    EXPECT_EQ(f->Color, cases[i].color);
    EXPECT_EQ(f->Jump, cases[i].jump);
    EXPECT_EQ(f->JumpCursor, crJump);
    EXPECT_EQ(f->FontName, u"Arial");
    EXPECT_EQ(f->SizeDouble, 20);
  }
  ASSERT_EQ(sheet.ParaStyles()->Count(), 2);
  EXPECT_EQ(sheet.ParaStyles()->Items(0)->StyleName, u"Paragraph Style");
  EXPECT_EQ(sheet.ParaStyles()->Items(0)->Alignment, rvaLeft);
  EXPECT_EQ(sheet.ParaStyles()->Items(1)->StyleName, u"Centered");
  EXPECT_EQ(sheet.ParaStyles()->Items(1)->Alignment, rvaCenter);
  EXPECT_EQ(sheet.ListStyles()->Count(), 0);
  EXPECT_EQ(sheet.Units, rvstuPixels);
  EXPECT_EQ(sheet.DefTabWidth, 48);
  EXPECT_EQ(sheet.EndnoteNumbering, rvseqLowerRoman);
  EXPECT_EQ(sheet.Color, clWindow);
  EXPECT_EQ(sheet.GetTextEngine(), rvteUniscribe);
}

TEST(RVStyleDefaults, ResetUsesTheSheetsJumpCursorAndReplacesEverything) {
  TRVStyle sheet(nullptr);
  sheet.TextStyles()->Add();
  sheet.JumpCursor = 55;
  sheet.ResetTextStyles();
  sheet.ParaStyles()->Items(0)->LeftIndent = 9;
  sheet.ResetParaStyles();
  ASSERT_EQ(sheet.TextStyles()->Count(), 6);
  EXPECT_EQ(sheet.TextStyles()->Items(4)->JumpCursor, 55);
  EXPECT_EQ(sheet.TextStyles()->Items(0)->JumpCursor, crJump);
  ASSERT_EQ(sheet.ParaStyles()->Count(), 2);
  EXPECT_EQ(sheet.ParaStyles()->Items(0)->LeftIndent, 0);
}

TEST(RVStyleDefaults, CursorsAndInvalidPictureAreOurOwn) {
  TRVStyle sheet(nullptr);
  ASSERT_NE(GetScreenCursor(crJump), nullptr);
  EXPECT_EQ(GetScreenCursor(crJump)->Shape, csHand);
  for (TCursor id : {crRVFlipArrow, crRVLayingIBeam}) {
    HCURSOR c = GetScreenCursor(id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_EQ(c->Shape, csCustom);
    ASSERT_FALSE(c->Image.Empty());
    // The hot spot lies on a drawn pixel.
    EXPECT_NE(c->Image.At(c->HotX, c->HotY) >> 24, 0u) << id;
  }
  HCURSOR jump = LoadCursorResource(u"RV_JUMP_CURSOR");
  ASSERT_NE(jump, nullptr);
  EXPECT_NE(jump->Image.At(jump->HotX, jump->HotY) >> 24, 0u);
  EXPECT_EQ(LoadCursorResource(u"NO_SUCH_CURSOR"), nullptr);

  TPicture* bad = sheet.GetInvalidPicture();
  ASSERT_NE(bad->GetGraphic(), nullptr);
  EXPECT_EQ(bad->GetWidth(), 20);
  TPicture other;
  other.TakeGraphic(std::make_unique<TBitmap>(3, 4));
  sheet.SetInvalidPicture(&other);
  EXPECT_EQ(sheet.GetInvalidPicture()->GetHeight(), 4);
  EXPECT_NE(sheet.GetInvalidPicture()->GetGraphic(), other.GetGraphic());
  sheet.SetInvalidPicture(nullptr);
  EXPECT_EQ(sheet.GetInvalidPicture()->GetWidth(), 20);  // made anew from the built-in one
}

TEST(RVStyleUnits, Conversions) {
  TRVStyle px(nullptr);
  TRVStyle tw(nullptr);
  tw.Units = rvstuTwips;
  EXPECT_EQ(px.GetAsTwips(48), 720);
  EXPECT_EQ(px.GetAsEMU(48), 457200);
  EXPECT_EQ(tw.GetAsEMU(1440), 914400);
  // Past 3,381,983 twips the product no longer fits 32 bits.
  EXPECT_EQ(tw.GetAsEMU(3381984), 3381984LL * 635);
  EXPECT_EQ(tw.GetAsEMU(-3381984), -3381984LL * 635);
  EXPECT_EQ(px.GetAsEMU(300000), 4500000LL * 635);  // 300,000 pixels are 4,500,000 twips
  EXPECT_EQ(tw.GetAsPixels(1, 1), 1);   // 0.0667 rounds to 0: the minimum instead
  EXPECT_EQ(tw.GetAsPixels(-1, 2), -2);
  EXPECT_EQ(tw.GetAsPixels(0, 1), 0);
  EXPECT_EQ(tw.TwipsToUnits(0), 0);
  EXPECT_EQ(px.TwipsToUnits(0), 0);
  EXPECT_EQ(px.TwipsToUnits(1), 1);
  EXPECT_EQ(px.TwipsToUnits(-1), -1);
  EXPECT_EQ(px.PixelsToUnits(7), 7);
  EXPECT_EQ(tw.PixelsToUnits(7), 105);
  EXPECT_DOUBLE_EQ(static_cast<double>(tw.GetAsPoints(30)), 1.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(px.GetAsPoints(4)), 3.0);
  EXPECT_EQ(tw.GetCSSSize(30), "1.5pt");
  EXPECT_EQ(px.GetCSSSize(30), "30px");
  EXPECT_EQ(px.GetCSSSizeW(30), u"30px");
  EXPECT_EQ(px.GetAsDifferentUnits(2, rvstuTwips), 30);
  EXPECT_EQ(tw.GetAsDifferentUnits(30, rvstuPixels), 2);
  EXPECT_EQ(px.DifferentUnitsToUnits(30, rvstuTwips), 2);
  EXPECT_EQ(tw.DifferentUnitsToUnits(2, rvstuPixels), 30);
  EXPECT_DOUBLE_EQ(static_cast<double>(px.GetAsRVUnits(96, rvuInches)), 1.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(px.GetAsRVUnits(13, rvuPixels)), 13.0);
  EXPECT_EQ(px.RVUnitsToUnits(1.0, rvuInches), 96);
  EXPECT_EQ(tw.RVUnitsToUnits(1.0, rvuInches), 1440);
  EXPECT_EQ(px.RVUnitsToUnits(2.5, rvuPixels), 2);  // halves to even
  EXPECT_EQ(TRVStyle::RVUnitsToPixels(72.0, rvuPoints), 96);
  EXPECT_DOUBLE_EQ(static_cast<double>(TRVStyle::PixelsToRVUnits(96, rvuPoints)), 72.0);
  TRVScreenAndDevice sad{96, 96, 600, 300, 0, 0};
  EXPECT_EQ(px.GetAsDevicePixelsX(96, &sad), 600);
  EXPECT_EQ(px.GetAsDevicePixelsY(96, &sad), 300);
  EXPECT_EQ(tw.GetAsDevicePixelsX(1, &sad, 1), 1);
  EXPECT_EQ(px.GetAsDevicePixelsX(5, nullptr), 5);
}

TEST(RVStyleUnits, PointsAsCSSText) {
  struct Case {
    long double value;
    const char* text;
  };
  for (const Case c : {Case{12, "12pt"}, {12.5L, "12.5pt"}, {12.05L, "12.05pt"}, {12.25L, "12.25pt"},
                       {-18.5L, "-18.5pt"}, {0, "0pt"}, {12.999L, "13pt"}})
    EXPECT_EQ(PointsToCSSText(c.value), c.text) << c.text;
}

TEST(RVStyleUnits, PixelsToTwipsAndBackKeepsEveryLength) {
  TRVStyle sheet(nullptr);
  FillLengths(sheet);
  const auto before = IniLines(sheet);
  sheet.ConvertToPixels();  // own units: nothing happens
  EXPECT_EQ(IniLines(sheet), before);
  sheet.ConvertToTwips();
  EXPECT_EQ(sheet.Units, rvstuTwips);
  EXPECT_EQ(sheet.DefTabWidth, 600);
  EXPECT_EQ(sheet.ParaStyles()->Items(1)->LeftIndent, 450);
  EXPECT_EQ(sheet.ParaStyles()->Items(1)->Tabs()->Items(0)->GetPosition(), 1500);
  EXPECT_EQ(sheet.ListStyles()->Items(0)->Levels()->Items(0)->LeftIndent, 360);
  EXPECT_EQ(sheet.StyleTemplates()->Items(0)->ParaStyle()->LeftIndent, 675);
  EXPECT_NE(IniLines(sheet), before);
  sheet.ConvertToPixels();
  EXPECT_EQ(IniLines(sheet), before);
}

TEST(RVStyleTabs, NextTabStop) {
  struct Case {
    const char* what;
    int x, leftIndent, rightIndent;
    std::vector<int> tabs;  // pixels
    TRVBiDiMode bidi;
    int leftMargin;
    int position;
    TRVTabAlign align;
  };
  const Case cases[] = {
      {"default stops from 0", 0, 0, 0, {}, rvbdUnspecified, 0, 48, rvtaLeft},
      {"strictly beyond x", 48, 0, 0, {}, rvbdUnspecified, 0, 96, rvtaLeft},
      {"hanging indent first", 10, 40, 0, {100}, rvbdUnspecified, 0, 40, rvtaLeft},
      {"then the tab stop", 40, 40, 0, {100}, rvbdUnspecified, 0, 100, rvtaRight},
      {"past every stop", 120, 0, 0, {100}, rvbdUnspecified, 0, 144, rvtaLeft},
      {"indent without stops", 5, 30, 0, {}, rvbdUnspecified, 0, 30, rvtaLeft},
      {"measured from the margin", 110, 0, 0, {}, rvbdUnspecified, 100, 148, rvtaLeft},
      // Right to left: x counts from the right indent; 10 + 20 goes to 48, back by 20.
      {"right to left", 10, 0, 20, {}, rvbdRightToLeft, 0, 28, rvtaLeft},
      {"right to left before the indent", 0, 30, 20, {}, rvbdRightToLeft, 0, 30, rvtaLeft},
      {"paragraph direction", 10, 0, 20, {}, rvbdUnspecified, 0, 28, rvtaLeft},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TRVStyle sheet(nullptr);
    TParaInfo* p = sheet.ParaStyles()->Items(0);
    // Without a document direction the paragraph's own counts.
    if (std::string(c.what) == "paragraph direction") p->BiDiMode = rvbdRightToLeft;
    for (int t : c.tabs) {
      TRVTabInfo* tab = p->Tabs()->Add();
      tab->SetPosition(t);
      tab->Align = rvtaRight;
      tab->Leader = u".";
    }
    TRVScreenAndDevice sad{96, 96, 96, 96, c.leftMargin, 0};
    int pos = -999;
    TRVUnicodeString leader = u"old";
    TRVTabAlign align = rvtaCenter;
    sheet.GetNextTab(0, c.x, sad, pos, leader, align, c.bidi, c.leftIndent, c.rightIndent);
    EXPECT_EQ(pos, c.position);
    EXPECT_EQ(align, c.align);
    EXPECT_EQ(leader, c.align == rvtaRight ? u"." : u"");
  }
}

TEST(RVStyleEvents, TextBackFillUnlessTheHandlerTakesOver) {
  struct Case {
    TRVTextBackgroundKind kind;
    bool handlerDraws;
    bool filled;
  };
  for (const Case c : {Case{rvtbkSimple, true, true}, {rvtbkItems, true, false}, {rvtbkLines, true, false},
                       {rvtbkItems, false, true}}) {
    TRVStyle sheet(nullptr);
    sheet.TextStyles()->Items(0)->BackColor = clBlue;
    sheet.TextBackgroundKind = c.kind;
    int calls = 0;
    sheet.OnDrawTextBack = [&](TRVStyle*, TCanvas*, int StyleNo, int, int, int, int, const TRVTextDrawStates&,
                               bool& DoDefault) {
      ++calls;
      EXPECT_EQ(StyleNo, 0);
      DoDefault = !c.handlerDraws;
    };
    TBitmap bmp(20, 20);
    sheet.DrawTextBack(bmp.GetCanvas(), 3, 0, nullptr, 2, 2, 10, 10, {}, false, rvcmColor);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(sheet.ItemNo, 3);
    EXPECT_EQ(bmp.GetCanvas()->GetPixel(5, 5) == clBlue, c.filled) << c.kind;
    EXPECT_EQ(bmp.GetCanvas()->GetPixel(15, 15), clWhite);
  }
}

TEST(RVStyleEvents, ApplyStyleColorSaysWhatIsApplied) {
  TRVStyle sheet(nullptr);
  std::vector<TRVColoredParts> seen;
  sheet.OnApplyStyleColor = [&](TRVStyle*, TCanvas*, int, const TRVTextDrawStates&, const TRVColoredParts& ApplyTo,
                                bool& DoDefault) {
    seen.push_back(ApplyTo);
    DoDefault = false;
  };
  TBitmap bmp(4, 4);
  sheet.ApplyStyleColor(bmp.GetCanvas(), 0, {}, false, rvcmColor);
  sheet.ApplyStyleBackColor(bmp.GetCanvas(), 0, {}, false, rvcmColor);
  sheet.ApplyStyleTextColor(bmp.GetCanvas(), 0, {}, false, rvcmColor);
  EXPECT_EQ(seen, (std::vector<TRVColoredParts>{{rvcpBack, rvcpText}, {rvcpBack}, {rvcpText}}));
}

TEST(RVStyleEvents, ApplyStyleByHandlerScalesForTheFormatCanvas) {
  TRVStyle sheet(nullptr);
  bool after = false;
  sheet.OnApplyStyle = [](TRVStyle*, TCanvas* c, int, const TRVScreenAndDevice*, bool& DoDefault) {
    c->Font().SetHeight(-12);
    DoDefault = false;
  };
  sheet.OnAfterApplyStyle = [&](TRVStyle*, TCanvas*, int) { after = true; };
  TBitmap bmp(4, 4);
  sheet.ApplyStyle(bmp.GetCanvas(), 0, rvbdUnspecified, false, false, nullptr, false, true, false, nullptr);
  EXPECT_EQ(bmp.GetCanvas()->Font().GetHeight(), -12 * RefCanvasScaleFactor);
  EXPECT_FALSE(after);
  sheet.OnApplyStyle = nullptr;
  sheet.ApplyStyle(bmp.GetCanvas(), 1, rvbdUnspecified, false, false, nullptr, false, false, false, nullptr);
  EXPECT_TRUE(after);
  EXPECT_TRUE(bmp.GetCanvas()->Font().GetStyle().Contains(fsBold));
}

TEST(RVStyleEvents, MarksLeaveTheCanvasClean) {
  struct Doc : TPersistent, IRVStyleDocument {
    int GetWidth() const override { return 60; }
  } doc;
  TRVStyle sheet(nullptr);
  TBitmap bmp(80, 40);
  TCanvas* c = bmp.GetCanvas();
  sheet.DrawPageBreak(c, 10, 0, rvpbPageBreak, nullptr, &doc, 4);
  EXPECT_EQ(c->Pen().GetStyle(), psSolid);
  EXPECT_EQ(c->Brush().GetStyle(), bsClear);
  EXPECT_EQ(sheet.ItemNo, -1);  // no handler: nothing stored
  EXPECT_NE(c->GetPixel(20, 10), clWhite);  // the line
  EXPECT_EQ(c->GetPixel(20, 20), clWhite);
  sheet.CheckpointColor = clRed;
  sheet.DrawCheckpoint(c, 30, 30, 0, 80, &doc, 2, 0, false, nullptr);
  EXPECT_EQ(c->Pen().GetStyle(), psSolid);
  EXPECT_EQ(c->Brush().GetStyle(), bsClear);
  EXPECT_EQ(c->GetPixel(28, 30), clRed);  // the circle's left side
}

TEST(RVStyleEvents, PageBreakWithoutADocument) {
  // A page break drawn for no document, or for data that is not one, has no width to reach:
  // the mark is drawn from the left edge and nothing is dereferenced.
  TRVStyle sheet(nullptr);
  TBitmap bmp(80, 40);
  TCanvas* c = bmp.GetCanvas();
  TPersistent notADocument;
  for (TPersistent* data : {static_cast<TPersistent*>(nullptr), &notADocument}) {
    sheet.DrawPageBreak(c, 10, -40, rvpbSoftPageBreak, nullptr, data, 3);
    EXPECT_EQ(c->Pen().GetStyle(), psSolid);
    EXPECT_EQ(c->Brush().GetStyle(), bsClear);
    EXPECT_NE(c->GetPixel(35, 10), clWhite);  // the line from x=40 to the mark at x=32
  }
  TPersistent* seen = &notADocument;
  sheet.OnDrawPageBreak = [&](TRVStyle* s, TCanvas*, int, int, TRVPageBreakType, TObject*, bool&) {
    seen = s->RVData;
  };
  sheet.DrawPageBreak(c, 20, 0, rvpbPageBreak, nullptr, nullptr, 5);
  EXPECT_EQ(seen, nullptr);
  EXPECT_EQ(sheet.ItemNo, 5);
}

TEST(RVStyleHover, SensitiveStyles) {
  struct Case {
    const char* what;
    TColor sheetHover, hover, hoverBack, back, hoverUnderline;
    bool underlineEffect;
    bool sensitive;
  };
  const Case cases[] = {
      {"plain", clNone, clNone, clNone, clNone, clNone, false, false},
      {"sheet hover colour", clRed, clNone, clNone, clNone, clNone, false, true},
      {"own hover colour", clNone, clRed, clNone, clNone, clNone, false, true},
      {"hover back differs", clNone, clNone, clYellow, clNone, clNone, false, true},
      {"hover back same", clNone, clNone, clYellow, clYellow, clNone, false, false},
      {"hover underline colour", clNone, clNone, clNone, clNone, clBlue, false, true},
      {"underline effect", clNone, clNone, clNone, clNone, clNone, true, true},
  };
  for (const Case& c : cases) {
    TRVStyle sheet(nullptr);
    sheet.HoverColor = c.sheetHover;
    TFontInfo* f = sheet.TextStyles()->Items(0);
    f->HoverColor = c.hover;
    f->HoverBackColor = c.hoverBack;
    f->BackColor = c.back;
    f->HoverUnderlineColor = c.hoverUnderline;
    if (c.underlineEffect) f->HoverEffects = {rvheUnderline};
    EXPECT_EQ(sheet.StyleHoverSensitive(0), c.sensitive) << c.what;
    sheet.OnStyleHoverSensitive = [](TRVStyle*, int, bool& s) { s = !s; };
    EXPECT_EQ(sheet.StyleHoverSensitive(0), !c.sensitive) << c.what;
  }
  TRVStyle sheet(nullptr);
  sheet.HoverColor = clRed;
  sheet.TextStyles()->Items(1)->HoverColor = clBlue;
  EXPECT_EQ(sheet.GetHoverColor(0), clRed);
  EXPECT_EQ(sheet.GetHoverColor(1), clBlue);
  sheet.SelColor = 1, sheet.SelTextColor = 2, sheet.InactiveSelColor = 3, sheet.InactiveSelTextColor = 4;
  EXPECT_EQ(sheet.GetSelectionColor(true, true), 1);
  EXPECT_EQ(sheet.GetSelectionColor(true, false), 2);
  EXPECT_EQ(sheet.GetSelectionColor(false, true), 3);
  EXPECT_EQ(sheet.GetSelectionColor(false, false), 4);
}

TEST(RVStyleMain, TemplatesOfTheMainSheet) {
  auto main = std::make_unique<TRVStyle>(nullptr);
  TRVStyle sheet(nullptr);
  sheet.SetMainRVStyle(&sheet);
  EXPECT_EQ(sheet.GetMainRVStyle(), nullptr);
  main->StyleTemplates()->Add()->SetName(u"Normal");
  sheet.StyleTemplates()->Add()->SetName(u"Own");
  sheet.SetMainRVStyle(main.get());
  EXPECT_EQ(sheet.StyleTemplates(), main->StyleTemplates());
  TRVStyleTemplateCollection other(nullptr);
  other.Add()->SetName(u"Other");
  try {
    sheet.SetStyleTemplates(&other);
    ADD_FAILURE() << "no error";
  } catch (const EViroZereError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign StyleTemplate property because MainRVStyle is assigned");
  }
  EXPECT_EQ(sheet.OwnStyleTemplates()->Items(0)->GetName(), u"Own");
  main.reset();  // the sheet forgets a main sheet that goes
  EXPECT_EQ(sheet.GetMainRVStyle(), nullptr);
  EXPECT_EQ(sheet.StyleTemplates(), sheet.OwnStyleTemplates());
  sheet.SetStyleTemplates(&other);
  EXPECT_EQ(sheet.StyleTemplates()->Items(0)->GetName(), u"Other");
  // A sheet that goes first leaves nothing behind in its main sheet; a loop of main sheets ends.
  auto main2 = std::make_unique<TRVStyle>(nullptr);
  {
    TRVStyle dependent(nullptr);
    dependent.SetMainRVStyle(main2.get());
  }
  main2.reset();
  TRVStyle a(nullptr), b(nullptr);
  a.SetMainRVStyle(&b);
  b.SetMainRVStyle(&a);
  EXPECT_NE(a.StyleTemplates(), nullptr);
  b.SetMainRVStyle(nullptr);
  EXPECT_EQ(a.StyleTemplates(), b.OwnStyleTemplates());
}

TEST(RVStyleEngine, ChangingTheEngineMakesANewInterface) {
  TRVStyle sheet(nullptr);
  ASSERT_NE(sheet.GetGraphicInterface(), nullptr);
  EXPECT_EQ(dynamic_cast<TRVUniscribeGraphicInterface*>(sheet.GetGraphicInterface()) != nullptr,
            IsUniscribeLoaded());
  sheet.SetTextEngine(rvteWindows);
  EXPECT_EQ(dynamic_cast<TRVUniscribeGraphicInterface*>(sheet.GetGraphicInterface()), nullptr);
  EXPECT_NE(dynamic_cast<TRVWinGraphicInterface*>(sheet.GetGraphicInterface()), nullptr);
  EXPECT_EQ(dynamic_cast<TRVUniscribeGraphicInterface*>(TRVStyle::CreateSystemGraphicInterface().get()), nullptr);
  EXPECT_NE(CreateDefaultGraphicInterface(), nullptr);
}

TEST(RVStyleCSS, SelectorsAndComments) {
  TRVStyle sheet(nullptr);
  sheet.TextStyles()->Items(2)->Standard = false;
  TMemoryStream ms;
  sheet.SaveCSSToStream(&ms, {});
  const std::string css = StreamText(ms);
  for (const char* piece :
       {"/* ========== Text Styles ========== */\r\nhr { color: #000000}\r\nbody, table, span.rvts0 /* Normal text */\r\n{\r\n",
        "span.rvts1 /* Heading */\r\n{\r\n", "span.rvts2\r\n{\r\n", "a.rvts4, span.rvts4 /* Jump 1 */\r\n{\r\n",
        "/* ========== Para Styles ========== */\r\np,ul,ol /* Paragraph Style */\r\n{\r\n",
        ".rvps1 /* Centered */\r\n{\r\n"})
    EXPECT_NE(css.find(piece), std::string::npos) << piece << "\n" << css;
  EXPECT_EQ(css.find("hover"), std::string::npos);
  sheet.HoverColor = clRed;
  TMemoryStream ms2;
  sheet.SaveCSSToStream(&ms2, {rvcssNoDefCSSStyle, rvcssDefault0Style});
  const std::string css2 = StreamText(ms2);
  EXPECT_EQ(css2.find("rvts0"), std::string::npos);
  EXPECT_NE(css2.find(".rvps0 /* Paragraph Style */"), std::string::npos);
  EXPECT_NE(css2.find("a.rvts5:hover { color: #ff0000; }\r\n"), std::string::npos) << css2;
}

TEST(RVStyleIni, WholeSheetRoundTripsAndLoadingNeverWrites) {
  const std::string path = TAVRELO_TEST_OUTPUT "/sheet-roundtrip.rvst";
  std::remove(path.c_str());
  TRVStyle sheet(nullptr);
  FillLengths(sheet);
  sheet.SelColor = clYellow;
  sheet.UseSound = false;
  sheet.LineWrapMode = rvWrapAnywhere;
  sheet.TextStyles()->Add()->StyleName = u"Seventh";
  sheet.SetTextEngine(rvteWindows);
  sheet.SaveINI(Utf8ToUnicode(path), u"Style");
  chmod(path.c_str(), 0444);
  const std::string bytes = ReadFile(path);
  TRVStyle back(nullptr);
  ASSERT_TRUE(back.LoadINI(Utf8ToUnicode(path), u"Style"));
  EXPECT_EQ(ReadFile(path), bytes);
  EXPECT_EQ(IniLines(back), IniLines(sheet));
  EXPECT_EQ(back.TextStyles()->Count(), 7);
  EXPECT_EQ(back.SelColor, clYellow);
  EXPECT_FALSE(back.UseSound);
  EXPECT_EQ(back.LineWrapMode, rvWrapAnywhere);
  EXPECT_EQ(back.GetTextEngine(), rvteWindows);
  EXPECT_EQ(back.StyleTemplates()->Items(0)->GetName(), u"Quote");
  chmod(path.c_str(), 0644);
}

TEST(RVStyleIni, DamagedOrMissingFilesLeaveTheSheetAsItWas) {
  struct Case {
    const char* what;
    const char* text;
  };
  const Case cases[] = {
      {"huge count", "[S]\nTextStyleCount=2000000000\n"},
      {"units out of range", "[S]\nUnits=7\n"},
      {"negative enumeration", "[S]\nSelectionMode=-1\n"},
  };
  for (const Case& c : cases) {
    const std::string path = TAVRELO_TEST_OUTPUT "/sheet-damaged.rvst";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << c.text;
    TRVStyle sheet(nullptr);
    sheet.SelColor = clRed;
    EXPECT_FALSE(sheet.LoadINI(Utf8ToUnicode(path), u"S")) << c.what;
    EXPECT_EQ(sheet.SelColor, clRed);
    EXPECT_EQ(sheet.TextStyles()->Count(), 6);
    EXPECT_EQ(sheet.Units, rvstuPixels);
  }
  TRVStyle sheet(nullptr);
  EXPECT_FALSE(sheet.LoadINI(u"/nonexistent-dir-for-tests/none.rvst", u"S"));
}

TEST(RVStyleStream, OptionsAndCollectionsRoundTrip) {
  TRVStyle sheet(nullptr);
  sheet.SpacesInTab = 4;
  sheet.GridStyle = psDash;
  sheet.FootnotePageReset = false;
  sheet.DefUnicodeStyle = 2;
  sheet.SetTextEngine(rvteWindows);
  sheet.TextStyles()->Items(3)->StyleName = u"Changed";
  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteRootComponent(&sheet);
  }
  ms.SetPosition(0);
  TRVStyle back(nullptr);
  TReader r(ms);
  r.ReadRootComponent(&back);
  EXPECT_EQ(back.SpacesInTab, 4);
  EXPECT_EQ(back.GridStyle, psDash);
  EXPECT_FALSE(back.FootnotePageReset);
  EXPECT_EQ(back.DefUnicodeStyle, 2);
  EXPECT_EQ(back.GetTextEngine(), rvteWindows);
  EXPECT_EQ(back.SelColor, clHighlight);
  ASSERT_EQ(back.TextStyles()->Count(), 6);
  EXPECT_EQ(back.TextStyles()->Items(3)->StyleName, u"Changed");
  EXPECT_EQ(IniLines(back), IniLines(sheet));
}

TEST(RVStyleRefs, TypedStyleReferences) {
  TRVStyle sheet(nullptr);
  sheet.TextStyles()->Items(2)->StyleName = u"Say \"hi\"";
  struct Case {
    const char* text;
    int no;
    bool nameUsed;
  };
  for (const Case c : {Case{"3 rest", 3, false}, {"\"Say \"\"hi\"\"\" rest", 2, true}, {"\"Nobody\" x", 0, true}}) {
    const char* p = c.text;
    int no = -5;
    bool used = !c.nameUsed;
    EXPECT_TRUE(ReadRVFTextStyleRef(&sheet, p, no, used, true)) << c.text;
    EXPECT_EQ(no, c.no) << c.text;
    EXPECT_EQ(used, c.nameUsed) << c.text;
  }
  const char* p = "\"Centered\"";
  int no = 0;
  bool used = false;
  EXPECT_TRUE(ReadRVFParaStyleRef(&sheet, p, no, used, true));
  EXPECT_EQ(no, 1);
  EXPECT_EQ(EncodeRVFTextStyleRef(&sheet, true, 2), "\"Say \"\"hi\"\"\"");
  EXPECT_EQ(EncodeRVFTextStyleRef(&sheet, false, 2), "2");
  EXPECT_EQ(EncodeRVFTextStyleRef(&sheet, true, -1), "-1");
  EXPECT_EQ(EncodeRVFParaStyleRef(&sheet, true, 1), "\"Centered\"");
  EXPECT_EQ(EncodeRVFItemParaRef(&sheet, true, 1, true), "-1");
  EXPECT_EQ(EncodeRVFItemParaRef(&sheet, true, 0, false), "\"Paragraph Style\"");
}

TEST(RVStyleStream, InvalidPictureOnlyWhenGiven) {
  auto written = [](TRVStyle& s) {
    auto ms = std::make_unique<TMemoryStream>();
    TWriter w(*ms);
    w.WriteRootComponent(&s);
    return ms;
  };
  TRVStyle plain(nullptr);
  plain.GetInvalidPicture();
  EXPECT_EQ(StreamText(*written(plain)).find("InvalidPicture"), std::string::npos);

  TRVStyle sheet(nullptr);
  TPicture pic;
  pic.TakeGraphic(std::make_unique<TBitmap>(7, 5));
  sheet.SetInvalidPicture(&pic);
  auto ms = written(sheet);
  ms->SetPosition(0);
  TRVStyle back(nullptr);
  TReader r(*ms);
  r.ReadRootComponent(&back);
  EXPECT_EQ(back.GetInvalidPicture()->GetWidth(), 7);
  EXPECT_EQ(back.GetInvalidPicture()->GetHeight(), 5);
}

TEST(RVStyleStream, TemplatesOfASheetWithAMainSheetAreNotStored) {
  TRVStyle main(nullptr);
  TRVStyle sheet(nullptr);
  sheet.OwnStyleTemplates()->Add()->SetName(u"Mine");
  auto size = [&] {
    TMemoryStream ms;
    TWriter w(ms);
    w.WriteRootComponent(&sheet);
    return StreamText(ms).find("Mine") != std::string::npos;
  };
  EXPECT_TRUE(size());
  sheet.SetMainRVStyle(&main);
  EXPECT_FALSE(size());
}

TEST(RVStyleCollections, FindStylesAndForgetImageLists) {
  TRVStyle sheet(nullptr);
  TFontInfo probe(nullptr);
  probe.Assign(sheet.TextStyles()->Items(3));
  EXPECT_EQ(sheet.FindTextStyle(&probe), 3);
  probe.SizeDouble = 99;  // none equal: a copy is appended, not standard
  EXPECT_EQ(sheet.FindTextStyle(&probe), 6);
  EXPECT_FALSE(sheet.TextStyles()->Items(6)->Standard);
  EXPECT_EQ(sheet.TextStyles()->Items(6)->SizeDouble, 99);
  TParaInfo para(nullptr);
  para.Assign(sheet.ParaStyles()->Items(1));
  EXPECT_EQ(sheet.FindParaStyle(&para), 1);

  TCustomImageList images;
  TRVListLevel* lvl = sheet.ListStyles()->Add()->Levels()->Add();
  lvl->ImageList = &images;
  sheet.Notification(&images, opInsert);
  EXPECT_EQ(lvl->ImageList, &images);
  sheet.Notification(&images, opRemove);
  EXPECT_EQ(lvl->ImageList, nullptr);

  // Setting a collection copies it; its own collection is left alone.
  TRVStyle other(nullptr);
  other.TextStyles()->Items(0)->StyleName = u"Copied";
  sheet.SetTextStyles(other.TextStyles());
  EXPECT_EQ(sheet.TextStyles()->Items(0)->StyleName, u"Copied");
  sheet.SetTextStyles(sheet.TextStyles());
  EXPECT_EQ(sheet.TextStyles()->Count(), 6);
  EXPECT_EQ(sheet.TextStyles()->Items(0)->StyleName, u"Copied");
}

TEST(RVStyleCollections, ModifiedPropertiesFollowTheTemplates) {
  TRVStyle sheet(nullptr);
  TRVStyleTemplate* t = sheet.StyleTemplates()->Add();
  t->SetName(u"Big");
  t->ValidTextProperties = {rvfiSize};
  t->TextStyle()->SizeDouble = 40;
  TFontInfo* f = sheet.TextStyles()->Items(0);
  f->StyleTemplateId = t->GetId();
  f->SizeDouble = 30;
  f->ModifiedProperties = {};
  sheet.UpdateModifiedProperties();
  EXPECT_TRUE(f->ModifiedProperties.Contains(rvfiSize));
  f->SizeDouble = 40;
  sheet.UpdateModifiedProperties();
  EXPECT_FALSE(f->ModifiedProperties.Contains(rvfiSize));
}

TEST(RVStyleText, SelectedCharactersAreRedrawnInTheirRangeOnly) {
  TRVStyle sheet(nullptr);
  TBitmap bmp(120, 30);
  TCanvas* c = bmp.GetCanvas();
  c->Brush().SetColor(clWhite);
  c->FillRect(TRect(0, 0, 120, 30));
  const TRVUnicodeString s = u"HHHHHHHH";
  sheet.ApplyStyle(c, 0, rvbdUnspecified, false, false, nullptr, false, false, false, nullptr);
  const int w = sheet.GetGraphicInterface()->TextWidth(c, s, false, false);
  TEXTMETRICW tm{};
  sheet.GetGraphicInterface()->GetTextMetrics(c, tm);
  sheet.DrawSelectedStyleText(s, c, 0, 1, 0, nullptr, 0, 10, 5, w, tm.tmHeight, 5 + tm.tmAscent, w, 0, {}, false,
                              false, false, rvcmColor, rvbdUnspecified, nullptr, 3, 4, -1, -1);
  bmp.SaveToFile(Utf8ToUnicode(TAVRELO_TEST_OUTPUT "/sheet-selected-range.bmp"));
  const int x1 = 10 + sheet.GetGraphicInterface()->TextWidth(c, u"HH", false, false);
  const int x2 = 10 + sheet.GetGraphicInterface()->TextWidth(c, u"HHHH", false, false);
  int inside = 0, outside = 0;
  for (int x = 0; x < 120; ++x)
    for (int y = 0; y < 30; ++y)
      if (c->GetPixel(x, y) != clWhite) (x >= x1 && x < x2 ? inside : outside)++;
  EXPECT_GT(inside, 0);
  EXPECT_EQ(outside, 0);
  // The clip region is given back: the whole canvas can be painted again.
  c->Brush().SetColor(clBlue);
  c->FillRect(TRect(0, 0, 120, 30));
  EXPECT_EQ(c->GetPixel(1, 1), clBlue);
  EXPECT_EQ(c->GetPixel(118, 28), clBlue);
}

TEST(RVStyleCSS, HoverRules) {
  struct Case {
    const char* what;
    TColor sheetHover, hover, hoverBack, baseHover;
    bool underlineEffect, jumpBase;
    const char* rule;  // nullptr: no hover rule at all
  };
  const Case cases[] = {
      {"nothing on hover", clNone, clNone, clNone, clNone, false, false, nullptr},
      {"sheet colour", clRed, clNone, clNone, clNone, false, false, "a.rvts4:hover { color: #ff0000; }\r\n"},
      {"own colour wins", clRed, clBlue, clNone, clNone, false, false, "a.rvts4:hover { color: #0000ff; }\r\n"},
      {"back colour", clNone, clNone, clYellow, clNone, false, false,
       "a.rvts4:hover { background-color: #ffff00; }\r\n"},
      {"underline", clNone, clNone, clNone, clNone, true, false, "a.rvts4:hover { text-decoration: underline; }\r\n"},
      {"same as the jump base", clNone, clBlue, clNone, clBlue, false, true, "a.rvts4:hover { }\r\n"},
      {"differs from the jump base", clNone, clBlue, clNone, clRed, false, true,
       "a.rvts4:hover { color: #0000ff; }\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TRVStyle sheet(nullptr);
    for (int i = 4; i <= 5; ++i) sheet.TextStyles()->Items(i)->Style = {};
    sheet.HoverColor = c.sheetHover;
    TFontInfo* f = sheet.TextStyles()->Items(4);
    f->HoverColor = c.hover;
    f->HoverBackColor = c.hoverBack;
    if (c.underlineEffect) f->HoverEffects = {rvheUnderline};
    TFontInfo* base = sheet.TextStyles()->Items(c.jumpBase ? 5 : 0);
    base->HoverColor = c.baseHover;
    f->BaseStyleNo = base->GetIndex();
    TMemoryStream ms;
    sheet.SaveCSSToStream(&ms, {rvcssOnlyDifference});
    const std::string css = StreamText(ms);
    const auto at = css.find("a.rvts4:hover");
    if (!c.rule) {
      EXPECT_EQ(at, std::string::npos) << css;
      continue;
    }
    ASSERT_NE(at, std::string::npos) << css;
    EXPECT_EQ(css.substr(at, std::string(c.rule).size()), c.rule);
  }
}

TEST(RVStyleCSS, CommentsInTheChosenEncoding) {
  TRVStyle sheet(nullptr);
  sheet.DefCodePage = 1251;
  sheet.TextStyles()->Items(1)->StyleName = u"\u0416";
  TMemoryStream utf8, cp;
  sheet.SaveCSSToStream(&utf8, {rvcssUTF8});
  sheet.SaveCSSToStream(&cp, {});
  EXPECT_NE(StreamText(utf8).find("span.rvts1 /* \xD0\x96 */\r\n"), std::string::npos);
  EXPECT_NE(StreamText(cp).find("span.rvts1 /* \xC6 */\r\n"), std::string::npos);
}
