#include "engine/styles/ParaInfo.h"

#include "StyleTestUtil.h"
#include "platform/base/ComponentStream.h"

class ParaInfoTest : public ::testing::Test {
 protected:
  TEmptyRVStyle sheet;
  TParaInfos* paras = sheet.ParaStyles();
  TParaInfo* a = paras->Add();
  TParaInfo* b = paras->Add();
};

TEST_F(ParaInfoTest, SpacesAreNeverNegative) {
  a->SetSpaceBefore(-5);
  a->SetSpaceAfter(-1);
  a->FirstIndent = -20;
  EXPECT_EQ(a->GetSpaceBefore(), 0);
  EXPECT_EQ(a->GetSpaceAfter(), 0);
  EXPECT_EQ(a->FirstIndent, -20);
  auto ini = NewIni();
  ini->WriteInteger(u"S", u"SpaceBefore", -7);
  b->LoadFromINI(ini.get(), u"S", u"%s");
  EXPECT_EQ(b->GetSpaceBefore(), 0);
}

TEST_F(ParaInfoTest, EqualityIgnoreLists) {
  b->LineSpacingType = rvlsLineHeightExact;
  b->LineSpacing = 100;
  EXPECT_FALSE(a->IsEqual(b, {rvpiLineSpacing}));
  EXPECT_TRUE(a->IsEqual(b, {rvpiLineSpacingType}));
  b->LineSpacingType = rvlsPercent;
  b->Border()->Style = rvbSingle;
  b->Border()->VisibleBorders()->Top = false;
  EXPECT_TRUE(a->IsEqual(b, BorderParaProperties));
  EXPECT_FALSE(a->IsEqual(b, {rvpiBorder_Vis_Top}));
  b->Border()->Style = rvbNone;
  EXPECT_TRUE(a->IsEqual(b, {rvpiBorder_Vis_Top}));
  b->Border()->VisibleBorders()->Top = true;
  b->ModifiedProperties = {rvpiLeftIndent};
  EXPECT_TRUE(a->IsEqual(b, {}));
  EXPECT_FALSE(a->IsSimpleEqual(b, false));
  b->ModifiedProperties.Clear();
  b->NextParaNo = 1;
  EXPECT_FALSE(a->IsEqual(b, {}));
  EXPECT_TRUE(a->IsEqual(b, {rvpiNextParaNo}));
  EXPECT_TRUE(a->IsSimpleEqual(b, true));
  EXPECT_FALSE(a->IsSimpleEqual(b, false));
}

TEST_F(ParaInfoTest, AssignSelectedLineSpacingCopiesBoth) {
  b->LineSpacing = 240;
  b->LineSpacingType = rvlsLineHeightAtLeast;
  b->Options = {rvpaoKeepWithNext, rvpaoNoWrap};
  b->Background()->Color = clRed;
  a->AssignSelectedProperties(b, {rvpiLineSpacingType, rvpiKeepWithNext, rvpiBackground_Color, rvpiNextParaNo});
  EXPECT_EQ(a->LineSpacing, 240);
  EXPECT_EQ(a->LineSpacingType, rvlsLineHeightAtLeast);
  EXPECT_EQ(a->Options, (TRVParaOptions{rvpaoKeepWithNext}));
  EXPECT_EQ(a->Background()->Color, clRed);
}

TEST_F(ParaInfoTest, SimilarityOfLineSpacing) {
  a->LineSpacing = 150;
  b->LineSpacingType = rvlsLineHeightExact;
  b->LineSpacing = 20;
  TParaInfo single(nullptr);
  TParaInfo same(nullptr);
  same.LineSpacing = 150;
  const int withSame = a->SimilarityValue(&same);
  // Against an exact spacing: only the spacing term of 5000 is lost.
  EXPECT_EQ(a->SimilarityValue(b), withSame - 5000);
  // Against single percent spacing: same type, IntSimilarity(150, 100, 5000) = 3000.
  EXPECT_EQ(a->SimilarityValue(&single), withSame - 5000 + 3000);
  TParaInfo exactZero(nullptr);
  exactZero.LineSpacingType = rvlsLineHeightExact;
  exactZero.LineSpacing = 0;
  EXPECT_EQ(a->SimilarityValue(&exactZero), withSame - 5000 - 20000);
}

TEST_F(ParaInfoTest, ModifiedProperties) {
  b->LineSpacing = 200;
  b->Border()->Width = 3;
  b->Tabs()->Add()->SetPosition(10);
  b->NextParaNo = 0;
  EXPECT_EQ(b->CalculateModifiedProperties(a, AllParaStyleProperties),
            (TRVParaInfoProperties{rvpiLineSpacing, rvpiLineSpacingType, rvpiBorder_Width, rvpiTabs}));
  EXPECT_EQ(b->CalculateModifiedProperties(a, {rvpiLineSpacingType}),
            (TRVParaInfoProperties{rvpiLineSpacing, rvpiLineSpacingType}));
  b->Border()->VisibleBorders()->Left = false;
  EXPECT_EQ(b->CalculateModifiedProperties2(AllParaStyleProperties),
            (TRVParaInfoProperties{rvpiLineSpacing, rvpiLineSpacingType, rvpiBorder_Width, rvpiBorder_Vis_Left,
                                   rvpiTabs}));
}

TEST_F(ParaInfoTest, HeadingLevels) {
  struct Case { int level; bool heading; };
  for (const Case c : {Case{0, false}, Case{1, true}, Case{9, true}, Case{10, false}}) {
    a->OutlineLevel = c.level;
    EXPECT_EQ(a->IsHeading(9), c.heading) << c.level;
  }
}

TEST_F(ParaInfoTest, ConvertToTwips) {
  a->LineSpacing = 150;
  b->LineSpacingType = rvlsLineHeightAtLeast;
  b->LineSpacing = 12;
  b->LeftIndent = 48;
  b->SetSpaceAfter(96);
  b->Border()->Width = 2;
  b->Background()->BorderOffsets()->Left = 1;
  paras->ConvertToDifferentUnits(rvstuTwips);
  EXPECT_EQ(a->LineSpacing, 150);
  EXPECT_EQ(b->LineSpacing, 180);
  EXPECT_EQ(b->LeftIndent, 720);
  EXPECT_EQ(b->GetSpaceAfter(), 1440);
  EXPECT_EQ(b->Border()->Width, 30);
  EXPECT_EQ(b->Background()->BorderOffsets()->Left, 15);
}

TEST_F(ParaInfoTest, FindSuchStyle) {
  b->Alignment = rvaCenter;
  TParaInfo probe(nullptr);
  probe.Alignment = rvaCenter;
  probe.LeftIndent = 99;
  EXPECT_EQ(paras->FindSuchStyle(0, &probe, {rvpiAlignment}), 1);
  probe.Alignment = rvaRight;
  EXPECT_EQ(paras->FindSuchStyleEx(0, &probe, {rvpiAlignment}), 2);
  EXPECT_FALSE(paras->Items(2)->Standard);
}

TEST(ParaInfos, InvalidItemIsFramedInRed) {
  struct Case { TRVStyleUnits units; int three, two, one; };
  for (const Case c : {Case{rvstuPixels, 3, 2, 1}, Case{rvstuTwips, 45, 30, 15}}) {
    TEmptyRVStyle sheet;
    sheet.Units = c.units;
    sheet.ParaStyles()->Add()->Alignment = rvaCenter;
    TParaInfo* inv = sheet.ParaStyles()->Items(5);
    EXPECT_EQ(inv->Alignment, rvaCenter);
    EXPECT_EQ(inv->GetSpaceBefore(), c.three);
    EXPECT_EQ(inv->GetSpaceAfter(), c.three);
    EXPECT_EQ(inv->LeftIndent, c.three);
    EXPECT_EQ(inv->RightIndent, c.three);
    EXPECT_EQ(inv->Border()->Style, rvbSingle);
    EXPECT_EQ(inv->Border()->Color, clRed);
    EXPECT_EQ(inv->Border()->Width, c.two);
    EXPECT_TRUE(inv->Border()->BorderOffsets()->IsAllEqual(c.one));
  }
}

TEST(ParaInfoIni, RoundTripOfEveryProperty) {
  TEmptyRVStyle sheet;
  TParaInfo* p = sheet.ParaStyles()->Add();
  p->StyleName = u"\u0410\u0431\u0437\u0430\u0446";
  p->FirstIndent = -10;
  p->LeftIndent = 20;
  p->RightIndent = 5;
  p->SetSpaceBefore(3);
  p->SetSpaceAfter(4);
  p->LineSpacing = 12;
  p->LineSpacingType = rvlsLineHeightExact;
  p->Alignment = rvaDistribute;
  p->LastLineAlignment = rvllaCenter;
  p->Options = {rvpaoNoWrap, rvpaoReadOnly, rvpaoStyleProtect, rvpaoDoNotWantReturns, rvpaoKeepLinesTogether,
                rvpaoKeepWithNext, rvpaoWidowOrphanControl};
  p->BiDiMode = rvbdLeftToRight;
  p->OutlineLevel = 2;
  p->Border()->Style = rvbTriple;
  p->Border()->Color = clBlue;
  p->Border()->Width = 2;
  p->Border()->InternalWidth = 3;
  p->Border()->BorderOffsets()->Bottom = 4;
  p->Border()->VisibleBorders()->Right = false;
  p->Background()->Color = clYellow;
  p->Background()->Opacity = 30000;
  p->Background()->BorderOffsets()->Left = 2;
  TRVTabInfo* t = p->Tabs()->Add();
  t->SetPosition(100);
  t->Leader = u"\u00B7";
  p->NextParaNo = 0;
  p->DefStyleNo = 3;
  p->StyleTemplateId = 8;
  auto ini = NewIni();
  p->SaveToINI(ini.get(), u"P", u"%s", AllParaStyleProperties);
  for (const char16_t* key : {u"BorderWidth", u"BorderOffsetsBottom", u"BorderVisibleRight", u"BackgroundColor",
                              u"BackgroundOffsetsLeft", u"TabTabCount", u"TabTabPos0", u"TabTabLeader0_Hex",
                              u"LSType", u"StyleName_Hex"})
    EXPECT_TRUE(ini->ValueExists(u"P", key)) << UnicodeToUtf8(key);
  TParaInfo* q = sheet.ParaStyles()->Add();
  q->LoadFromINI(ini.get(), u"P", u"%s");
  EXPECT_TRUE(q->IsEqual(p, {}));
  EXPECT_EQ(q->StyleName, p->StyleName);
}

TEST(ParaInfoStream, PublishedPropertiesRoundTrip) {
  TEmptyRVStyle sheet;
  TParaInfo* p = sheet.ParaStyles()->Add();
  p->Alignment = rvaJustify;
  p->SetSpaceBefore(6);
  p->Border()->Style = rvbDouble;
  p->Border()->BorderOffsets()->Top = 3;
  p->Background()->Color = clAqua;
  p->Tabs()->Add()->SetPosition(40);
  p->Tabs()->Add()->SetPosition(20);
  p->Options = {rvpaoKeepWithNext};
  p->ModifiedProperties = {rvpiAlignment, rvpiTabs};
  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteProperties(p);
    w.WriteListEnd();
  }
  ms.SetPosition(0);
  TParaInfo* q = sheet.ParaStyles()->Add();
  TReader r(ms);
  r.ReadProperties(q);
  EXPECT_TRUE(q->IsEqual(p, {}));
  EXPECT_EQ(q->ModifiedProperties, p->ModifiedProperties);
  sheet.IgnoreStyleTemplates = true;
  TMemoryStream ms2;
  {
    TWriter w(ms2);
    w.WriteProperties(p);
    w.WriteListEnd();
  }
  ms2.SetPosition(0);
  TParaInfo* s = sheet.ParaStyles()->Add();
  TReader r2(ms2);
  r2.ReadProperties(s);
  EXPECT_TRUE(s->ModifiedProperties.Empty());
}
