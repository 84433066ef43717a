#include "engine/styles/FontInfo.h"

#include "StyleTestUtil.h"
#include "platform/base/ComponentStream.h"

class FontInfoTest : public ::testing::Test {
 protected:
  TEmptyRVStyle sheet;
  TFontInfos* fonts = sheet.TextStyles();
  TFontInfo* a = fonts->Add();
  TFontInfo* b = fonts->Add();
};

TEST_F(FontInfoTest, DefaultsAndSize) {
  EXPECT_EQ(a->StyleName, u"Font Style");
  EXPECT_EQ(a->FontName, u"Arial");
  EXPECT_EQ(a->SizeDouble, 20);
  EXPECT_EQ(a->Color, clWindowText);
  EXPECT_EQ(a->JumpCursor, 101);
  EXPECT_TRUE(a->Unicode);
  a->SizeDouble = 21;
  EXPECT_EQ(a->GetSize(), 10);
  a->SetSize(11);
  EXPECT_EQ(a->SizeDouble, 22);
  a->SizeDouble = -21;
  EXPECT_EQ(a->GetSize(), -10);
}

TEST_F(FontInfoTest, EqualityAndIgnoreLists) {
  b->FontName = u"ARIAL";
  EXPECT_TRUE(a->IsEqual(b, {}));
  EXPECT_TRUE(a->IsSimpleEqual(b, false));
  b->Options.Include(rvteoDocXInRunCode);
  EXPECT_FALSE(a->IsEqual(b, {}));
  EXPECT_TRUE(a->IsEqual(b, {rvfiDocXCode}));
  b->Options.Clear();
  b->Style.Include(fsUnderline);
  b->UnderlineType = rvutDouble;
  EXPECT_FALSE(a->IsEqual(b, {rvfiUnderline}));
  EXPECT_TRUE(a->IsEqual(b, {rvfiUnderline, rvfiUnderlineType}));
  b->Style.Clear();
  b->UnderlineType = rvutNormal;
  b->BaseStyleNo = 0;
  EXPECT_FALSE(a->IsEqual(b, {}));
  EXPECT_TRUE(a->IsSimpleEqual(b, false));
  b->BaseStyleNo = -1;
  b->ParaStyleTemplateId = 4;  // compared always by the sheet's styles
  EXPECT_FALSE(a->IsEqual(b, AllTextStyleProperties));
}

TEST_F(FontInfoTest, CompareStyleNamesSwitch) {
  b->StyleName = u"Other";
  EXPECT_TRUE(a->IsEqual(b, {}));
  CompareStyleNames = true;
  EXPECT_FALSE(a->IsEqual(b, {}));
  EXPECT_FALSE(a->IsSimpleEqual(b, false));
  CompareStyleNames = false;
}

TEST_F(FontInfoTest, SimilarityHoverTermsOnlyForTwoHyperlinks) {
  const int base = a->SimilarityValue(b);
  b->FontName = u"arial";
  EXPECT_EQ(a->SimilarityValue(b), base);
  a->Jump = b->Jump = true;
  const int links = a->SimilarityValue(b);
  EXPECT_EQ(links, base + 10000 + 5000 + (3 * 3333 + 3000) / 2 + (3 * 10000 + 50000) / 2);
  b->HoverColor = clRed;
  EXPECT_EQ(a->SimilarityValue(b), links - (3 * 3333 + 3000) / 2);
  b->Jump = false;
  EXPECT_EQ(a->SimilarityValue(b), base);
  b->Protection.Include(rvprModifyProtect);
  EXPECT_EQ(a->SimilarityValue(b), base - 100000);
}

TEST_F(FontInfoTest, ModifiedProperties) {
  b->FontName = u"arial";
  b->Color = clRed;
  b->Style.Include(fsBold);
  b->Jump = true;
  b->NextStyleNo = 3;
  EXPECT_EQ(b->CalculateModifiedProperties(a, AllTextStyleProperties),
            (TRVFontInfoProperties{rvfiColor, rvfiBold, rvfiJump}));
  EXPECT_EQ(b->CalculateModifiedProperties(a, {rvfiColor}), (TRVFontInfoProperties{rvfiColor}));
  EXPECT_EQ(b->CalculateModifiedProperties2(AllTextStyleProperties),
            (TRVFontInfoProperties{rvfiColor, rvfiBold, rvfiJump}));
  b->IncludeModifiedProperties2({rvfiBold});
  EXPECT_EQ(b->ModifiedProperties, (TRVFontInfoProperties{rvfiBold}));
}

TEST_F(FontInfoTest, AssignSelectedProperties) {
  b->Color = clRed;
  b->Options = {rvteoDocXCode, rvteoHidden};
  b->NextStyleNo = 4;
  b->Jump = true;
  a->AssignSelectedProperties(b, {rvfiColor, rvfiDocXCode, rvfiJump, rvfiNextStyleNo});
  EXPECT_EQ(a->Color, clRed);
  EXPECT_EQ(a->Options, (TRVTextOptions{rvteoDocXCode}));
  EXPECT_FALSE(a->Jump);
  EXPECT_EQ(a->NextStyleNo, -1);
}

TEST_F(FontInfoTest, FindSuchStyle) {
  a->Color = clRed;
  b->Color = clRed;
  b->SizeDouble = 30;
  TFontInfo probe(nullptr);
  probe.Color = clRed;
  EXPECT_EQ(fonts->FindSuchStyle(1, &probe, {rvfiColor}), 1);
  EXPECT_EQ(fonts->FindSuchStyle(5, &probe, {rvfiColor}), 0);
  probe.Color = clBlue;
  EXPECT_EQ(fonts->FindSuchStyle(0, &probe, {rvfiColor}), -1);
  EXPECT_EQ(fonts->FindSuchStyleEx(0, &probe, {rvfiColor}), 2);
  EXPECT_FALSE(fonts->Items(2)->Standard);
  EXPECT_EQ(fonts->Items(2)->Color, clBlue);
}

TEST(FontInfos, InvalidItemIsWhiteOnRed) {
  TEmptyRVStyle sheet;
  TFontInfo* invalid = sheet.TextStyles()->Items(3);
  EXPECT_EQ(invalid, sheet.TextStyles()->Items(-1));
  EXPECT_EQ(invalid->FontName, u"Arial");
  EXPECT_EQ(invalid->SizeDouble, 20);
  EXPECT_EQ(invalid->Color, clWhite);
  EXPECT_EQ(invalid->BackColor, clRed);
  EXPECT_EQ(invalid->GetRVStyle(), &sheet);
  TFontInfo other(nullptr);
  other.SizeDouble = 30;
  sheet.TextStyles()->SetInvalidItem(&other);
  EXPECT_EQ(invalid->SizeDouble, 30);
}

TEST(FontInfos, ConvertToTwips) {
  TEmptyRVStyle sheet;
  TFontInfo* f = sheet.TextStyles()->Add();
  f->CharSpacing = 2;
  f->EmptyWidth = 48;
  sheet.TextStyles()->ConvertToDifferentUnits(rvstuTwips);
  EXPECT_EQ(f->CharSpacing, 30);
  EXPECT_EQ(f->EmptyWidth, 720);
}

TEST(FontInfoIni, SizeKeys) {
  struct Case { int sizeDouble; const char16_t* key; int value; };
  for (const Case c : {Case{21, u"SizeDouble", 21}, Case{20, nullptr, 0}, Case{24, u"Size", 12}}) {
    TFontInfo f(nullptr);
    f.SizeDouble = c.sizeDouble;
    auto ini = NewIni();
    f.SaveToINI(ini.get(), u"S", u"%s", AllTextStyleProperties);
    EXPECT_EQ(ini->ValueExists(u"S", u"SizeDouble"), c.key && UnicodeString(c.key) == u"SizeDouble");
    EXPECT_EQ(ini->ValueExists(u"S", u"Size"), c.key && UnicodeString(c.key) == u"Size");
    if (c.key) {
      EXPECT_EQ(ini->ReadInteger(u"S", c.key, 0), c.value);
    }
    TFontInfo g(nullptr);
    g.LoadFromINI(ini.get(), u"S", u"%s", false, 101);
    EXPECT_EQ(g.SizeDouble, c.sizeDouble);
  }
  auto ini = NewIni();
  ini->WriteInteger(u"S", u"Size", 9);
  TFontInfo g(nullptr);
  g.LoadFromINI(ini.get(), u"S", u"%s", false, 101);
  EXPECT_EQ(g.SizeDouble, 18);
}

TEST(FontInfoIni, SizesWhoseHalfPointsDoNotFitAreTakenAsTheNearestThatDo) {
  // A file may hold any integer; twice it must not overflow.
  const int maxSize = std::numeric_limits<int>::max() / 2, minSize = std::numeric_limits<int>::min() / 2;
  struct Case { int size; int sizeDouble; };
  for (const Case c : {Case{maxSize, maxSize * 2}, Case{maxSize + 1, maxSize * 2},
                       Case{std::numeric_limits<int>::max(), maxSize * 2}, Case{minSize, minSize * 2},
                       Case{std::numeric_limits<int>::min(), minSize * 2}}) {
    auto ini = NewIni();
    ini->WriteInteger(u"S", u"Size", c.size);
    TFontInfo g(nullptr);
    g.LoadFromINI(ini.get(), u"S", u"%s", false, 101);
    EXPECT_EQ(g.SizeDouble, c.sizeDouble) << c.size;
  }
}

TEST(FontInfoIni, RoundTripOfEveryProperty) {
  TEmptyRVStyle sheet;
  TFontInfo* f = sheet.TextStyles()->Add();
  f->StyleName = u"\u0417\u0430\u0433\u043E\u043B\u043E\u0432\u043E\u043A";
  f->FontName = u"\u0428\u0440\u0438\u0444\u0442";
  f->BaseStyleNo = 0;
  f->Standard = false;
  f->StyleTemplateId = 12;
  f->SizeDouble = 23;
  f->Color = clRed;
  f->BackColor = clYellow;
  f->HoverColor = clBlue;
  f->HoverBackColor = clGreen;
  f->UnderlineColor = clMaroon;
  f->HoverUnderlineColor = clNavy;
  f->UnderlineType = rvutThickDashDotted;
  f->HoverEffects = {rvheUnderline};
  f->Style = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
  f->StyleEx = {rvfsOverline, rvfsAllCaps};
  f->VShift = -33;
  f->Charset = 204;
  f->Protection = {rvprModifyProtect, rvprSticking2};
  f->Options = {rvteoHTMLCode, rvteoRTFCode, rvteoDocXCode, rvteoDocXInRunCode, rvteoHidden};
  f->CharScale = 80;
  f->CharSpacing = 3;
  f->EmptyWidth = 7;
  f->SubSuperScriptType = rvsssSuperScript;
  f->BiDiMode = rvbdRightToLeft;
  f->ParaStyleTemplateId = 44;
  f->Jump = true;
  f->JumpCursor = 5;
  f->NextStyleNo = 0;
  auto ini = NewIni();
  f->SaveToINI(ini.get(), u"Styles", u"T0%s", AllTextStyleProperties);
  EXPECT_EQ(ini->ReadString(u"Styles", u"T0Name", u""), f->FontName);
  EXPECT_TRUE(ini->ValueExists(u"Styles", u"T0Name_Hex"));
  EXPECT_TRUE(ini->ValueExists(u"Styles", u"T0StyleName_Hex"));
  TFontInfo* g = sheet.TextStyles()->Add();
  g->LoadFromINI(ini.get(), u"Styles", u"T0%s", false, 101);
  EXPECT_TRUE(g->IsEqual(f, {})) << "round trip";
  EXPECT_EQ(g->StyleName, f->StyleName);
  EXPECT_EQ(g->JumpCursor, 5);
}

TEST(FontInfoIni, ProtectionKeepsTenFlagsAndSingleSymbolsAddsTwo) {
  TFontInfo f(nullptr);
  f.Protection = {rvprStickToTop, rvprDeleteProtect};
  auto ini = NewIni();
  f.SaveToINI(ini.get(), u"S", u"%s", AllTextStyleProperties);
  ini->WriteString(u"S", u"SingleSymbols", u"Yes");
  TFontInfo g(nullptr);
  g.LoadFromINI(ini.get(), u"S", u"%s", false, 101);
  EXPECT_EQ(g.Protection, (TRVProtectOptions{rvprDeleteProtect, rvprStyleProtect, rvprDoNotAutoSwitch}));
}

TEST(FontInfoIni, MissingJumpTakesTheDefaultsAndTheIniStaysAsItWas) {
  auto ini = NewIni();
  TFontInfo g(nullptr);
  g.LoadFromINI(ini.get(), u"S", u"%s", true, 55);
  EXPECT_TRUE(g.Jump);
  EXPECT_EQ(g.JumpCursor, 55);
  EXPECT_FALSE(ini->ValueExists(u"S", u"Jump"));
  ini->WriteInteger(u"S", u"Script", 99);  // out of range: the default
  ini->WriteString(u"S", u"Jump", u"yes");
  g.LoadFromINI(ini.get(), u"S", u"%s", false, 55);
  EXPECT_EQ(g.SubSuperScriptType, rvsssNormal);
  EXPECT_TRUE(g.Jump);
  EXPECT_EQ(g.JumpCursor, 101);
  ini->WriteString(u"S", u"Jump", u"No");
  g.LoadFromINI(ini.get(), u"S", u"%s", true, 55);
  EXPECT_FALSE(g.Jump);
}

TEST(FontInfoStream, ModifiedPropsSkipsUnknownNamesAndRejectsOtherValues) {
  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteSet({u"rvfiBold", u"rvfiNoSuchThing"});
    w.WriteInteger(std::int32_t(5));
  }
  ms.SetPosition(0);
  TFontInfo f(nullptr);
  TReader r(ms);
  bool readBold = false;
  // Read through the class's own definition of the property.
  struct Probe : TFiler {
    TReader& R;
    Probe(TStream& s, TReader& r) : TFiler(s, 0), R(r) {}
    UnicodeString Want;
    bool Found = false;
    void DefineProperty(const UnicodeString& name, const TReaderProc& readData, const TWriterProc&, bool) override {
      if (name == Want && readData) {
        readData(R);
        Found = true;
      }
    }
    void DefineBinaryProperty(const UnicodeString&, const TStreamProc&, const TStreamProc&, bool) override {}
  } probe(ms, r);
  probe.Want = u"ModifiedProps";
  f.DefineProperties(probe);
  readBold = f.ModifiedProperties == TRVFontInfoProperties{rvfiBold};
  EXPECT_TRUE(probe.Found);
  EXPECT_TRUE(readBold);
  EXPECT_THROW(f.DefineProperties(probe), EViroZereError);
}

TEST(FontInfoStream, PublishedPropertiesRoundTrip) {
  TEmptyRVStyle sheet;
  TFontInfo* f = sheet.TextStyles()->Add();
  f->SizeDouble = 21;
  f->Style = {fsBold};
  f->Protection = {rvprStickToBottom};
  f->Jump = true;
  f->ModifiedProperties = {rvfiBold, rvfiSize};
  f->StyleName = u"Heading";
  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteProperties(f);
    w.WriteListEnd();
  }
  ms.SetPosition(0);
  TFontInfo* g = sheet.TextStyles()->Add();
  TReader r(ms);
  r.ReadProperties(g);
  EXPECT_TRUE(g->IsEqual(f, {}));
  EXPECT_EQ(g->ModifiedProperties, f->ModifiedProperties);
  EXPECT_EQ(g->StyleName, u"Heading");
}

TEST(FontInfoCanvasFont, FiveProperties) {
  TFont font;
  font.SetName(u"Georgia");
  font.SetSize(14);
  font.SetColor(clMaroon);
  font.SetStyle({fsItalic});
  font.SetCharset(204);
  TFontInfo f(nullptr);
  f.BackColor = clYellow;
  f.Assign(font);
  EXPECT_EQ(f.FontName, u"Georgia");
  EXPECT_EQ(f.SizeDouble, 28);
  EXPECT_EQ(f.Color, clMaroon);
  EXPECT_EQ(f.Style, (TFontStyles{fsItalic}));
  EXPECT_EQ(f.Charset, 204);
  EXPECT_EQ(f.BackColor, clYellow);
  f.SizeDouble = 21;
  TFont out;
  f.AssignTo(out);
  EXPECT_EQ(out.GetName(), u"Georgia");
  EXPECT_EQ(out.GetSize(), 10);
  EXPECT_EQ(out.GetColor(), clMaroon);
  EXPECT_EQ(out.GetCharset(), 204);
}
