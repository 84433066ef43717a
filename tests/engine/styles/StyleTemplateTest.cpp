#include "engine/styles/StyleTemplate.h"

#include "StyleTestUtil.h"
#include "platform/base/ComponentStream.h"

class StyleTemplateTest : public ::testing::Test {
 protected:
  TEmptyRVStyle sheet;
  TRVStyleTemplateCollection* templates = sheet.StyleTemplates();
  TRVStyleTemplate* Named(const char16_t* name, TRVStyleTemplateKind kind = rvstkParaText) {
    TRVStyleTemplate* t = templates->Add();
    t->SetName(name);
    t->SetKind(kind);
    return t;
  }
};

TEST_F(StyleTemplateTest, NewTemplatesGetUniqueNames) {
  EXPECT_EQ(templates->Add()->GetName(), u"Style 1");
  EXPECT_EQ(templates->Add()->GetName(), u"Style 2");
  templates->Items(1)->SetName(u"Style 3");
  templates->ResetNameCounter();
  EXPECT_EQ(templates->GetUniqueName(nullptr), u"Style 2");
  EXPECT_EQ(templates->MakeNameUnique(u"Style 1"), u"Style 1_");
  // A name format that cannot take the number, or ignores it, still ends.
  for (const char16_t* fmt : {u"Style", u"Style %s", u"%"}) {
    templates->DefStyleName = fmt;
    const UnicodeString a = templates->Add()->GetName();
    const UnicodeString b = templates->Add()->GetName();
    EXPECT_NE(a, b);
  }
}

TEST_F(StyleTemplateTest, NormalTemplate) {
  TRVStyleTemplate* parent = Named(u"Base");
  TRVStyleTemplate* t = Named(u"Other");
  t->SetParentId(parent->GetId());
  t->SetName(u"Normal");
  EXPECT_EQ(templates->NormalStyleTemplate(), t);
  EXPECT_EQ(t->GetKind(), rvstkPara);
  EXPECT_EQ(t->GetParentId(), -1);
  EXPECT_EQ(t->GetParent(), nullptr);
  EXPECT_TRUE(parent->GetChildren().empty());
  t->SetParentId(parent->GetId());
  EXPECT_EQ(t->GetParentId(), -1);
  t->SetName(u"Renamed");
  EXPECT_EQ(templates->NormalStyleTemplate(), nullptr);
}

TEST_F(StyleTemplateTest, KindFollowsTheName) {
  struct Case { const char16_t* name; TRVStyleTemplateKind set, expected; };
  const Case cases[] = {{u"heading 2", rvstkText, rvstkParaText}, {u"heading 2", rvstkPara, rvstkParaText},
                        {u"heading 10", rvstkText, rvstkText},    {u"Hyperlink", rvstkPara, rvstkText},
                        {u"caption", rvstkText, rvstkPara},       {u"caption", rvstkParaText, rvstkParaText},
                        {u"Normal", rvstkText, rvstkPara},        {u"mine", rvstkText, rvstkText}};
  for (const Case& c : cases) {
    TRVStyleTemplate* t = Named(c.name);
    t->SetKind(c.set);
    EXPECT_EQ(t->GetKind(), c.expected) << UnicodeToUtf8(c.name) << " " << int(c.set);
    delete t;
  }
}

TEST_F(StyleTemplateTest, ParentErrorsLeaveNoParent) {
  TRVStyleTemplate* a = Named(u"A", rvstkPara);
  TRVStyleTemplate* b = Named(u"B", rvstkText);
  try {
    a->SetParentId(b->GetId());
    FAIL() << "no error";
  } catch (const EViroZereError& e) {
    EXPECT_EQ(e.Message(), u"Wrong kind of StyleTemplate parent");
  }
  EXPECT_EQ(a->GetParentId(), -1);
  EXPECT_EQ(a->GetParent(), nullptr);
  b->SetKind(rvstkPara);
  a->SetParentId(b->GetId());
  EXPECT_EQ(a->GetParent(), b);
  EXPECT_EQ(b->GetChildren(), std::vector<TRVStyleTemplate*>{a});
  try {
    b->SetParentId(a->GetId());
    FAIL() << "no error";
  } catch (const EViroZereError& e) {
    EXPECT_EQ(e.Message(), u"Circular references in StyleTemplates are not allowed");
  }
  EXPECT_EQ(b->GetParentId(), -1);
  EXPECT_EQ(b->GetParent(), nullptr);
  EXPECT_THROW(a->SetParentId(a->GetId()), EViroZereError);
  EXPECT_TRUE(a->IsAncestorFor(a));
  EXPECT_FALSE(a->IsAncestorFor(b));
}

TEST_F(StyleTemplateTest, DeletingATemplateClearsLinksToIt) {
  TRVStyleTemplate* a = Named(u"Normal");
  TRVStyleTemplate* b = Named(u"B", rvstkPara);
  TRVStyleTemplate* c = Named(u"C", rvstkPara);
  b->SetParentId(c->GetId());
  a->SetNextId(c->GetId());
  EXPECT_EQ(a->GetNext(), c);
  templates->Delete(c->GetIndex());
  EXPECT_EQ(b->GetParentId(), -1);
  EXPECT_EQ(b->GetParent(), nullptr);
  EXPECT_EQ(a->GetNextId(), -1);
  EXPECT_EQ(a->GetNext(), nullptr);
  templates->Delete(a->GetIndex());
  EXPECT_EQ(templates->NormalStyleTemplate(), nullptr);
}

TEST_F(StyleTemplateTest, IdsAreUniqueAndFound) {
  TRVStyleTemplate* a = templates->Add();
  TRVStyleTemplate* b = templates->Add();
  EXPECT_GT(a->GetId(), 0);
  EXPECT_NE(a->GetId(), b->GetId());
  EXPECT_EQ(templates->FindById(b->GetId()), 1);
  EXPECT_EQ(templates->FindById(0), -1);
  EXPECT_EQ(templates->FindItemByName(b->GetName()), b);
}

TEST_F(StyleTemplateTest, ApplyingTextChainSetsExactlyTheValidProperties) {
  TRVStyleTemplate* t = Named(u"Big", rvstkText);
  t->TextStyle()->SizeDouble = 40;
  t->TextStyle()->Color = clRed;  // not valid: must not be applied
  t->ValidTextProperties = {rvfiSize};
  TFontInfo* f = sheet.TextStyles()->Add();
  f->Style = {fsBold, fsItalic};
  f->FontName = u"Courier New";
  f->ModifiedProperties = {rvfiBold};
  t->ApplyToTextStyle(f, nullptr);
  EXPECT_EQ(f->SizeDouble, 40);
  EXPECT_EQ(f->Style, (TFontStyles{fsBold}));  // italic back to the default, bold kept
  EXPECT_EQ(f->FontName, u"Arial");
  EXPECT_EQ(f->Color, clWindowText);
  EXPECT_EQ(f->StyleTemplateId, t->GetId());

  // With a paragraph template, the rest comes from its chain instead of the defaults.
  TRVStyleTemplate* base = Named(u"Body", rvstkPara);
  base->TextStyle()->FontName = u"Georgia";
  base->ValidTextProperties = {rvfiFontName};
  TRVStyleTemplate* para = Named(u"Quote", rvstkPara);
  para->SetParentId(base->GetId());
  para->TextStyle()->Color = clBlue;
  para->ValidTextProperties = {rvfiColor};
  f->FontName = u"Courier New";
  TRVStyleTemplate::ApplyToTextStyle(t, f, para);
  EXPECT_EQ(f->SizeDouble, 40);
  EXPECT_EQ(f->Color, clBlue);
  EXPECT_EQ(f->FontName, u"Georgia");
  // A paragraph-only template as the text template leaves no id on the text style.
  TRVStyleTemplate::ApplyToTextStyle(para, f, nullptr);
  EXPECT_EQ(f->StyleTemplateId, -1);
  TRVStyleTemplate::ApplyToTextStyle(nullptr, f, nullptr);
  EXPECT_EQ(f->StyleTemplateId, -1);
  EXPECT_EQ(f->Color, clWindowText);
}

TEST_F(StyleTemplateTest, AssigningATemplateToAStyleAppliesIt) {
  TRVStyleTemplate* t = Named(u"Wide", rvstkPara);
  t->ParaStyle()->RightIndent = 33;
  t->ValidParaProperties = {rvpiRightIndent};
  TParaInfo* p = sheet.ParaStyles()->Add();
  p->Assign(t);
  EXPECT_EQ(p->RightIndent, 33);
  EXPECT_EQ(p->StyleTemplateId, t->GetId());
  TRVStyleTemplate* bold = Named(u"Strong", rvstkText);
  bold->TextStyle()->Style = {fsBold};
  bold->ValidTextProperties = {rvfiBold};
  TFontInfo* f = sheet.TextStyles()->Add();
  f->Assign(bold);
  EXPECT_EQ(f->Style, (TFontStyles{fsBold}));
  TRVUnitsRect rect(nullptr);
  EXPECT_THROW(rect.Assign(t), EConvertError);
}

TEST_F(StyleTemplateTest, ApplyingParagraphChain) {
  TRVStyleTemplate* base = Named(u"Base", rvstkPara);
  base->ParaStyle()->LeftIndent = 20;
  base->ParaStyle()->Alignment = rvaCenter;
  base->ValidParaProperties = {rvpiLeftIndent, rvpiAlignment};
  TRVStyleTemplate* child = Named(u"Child", rvstkPara);
  child->SetParentId(base->GetId());
  child->ParaStyle()->Alignment = rvaRight;
  child->ValidParaProperties = {rvpiAlignment};
  TParaInfo* p = sheet.ParaStyles()->Add();
  p->RightIndent = 9;
  p->SetSpaceAfter(4);
  p->ModifiedProperties = {rvpiSpaceAfter};
  child->ApplyToParaStyle(p);
  EXPECT_EQ(p->Alignment, rvaRight);
  EXPECT_EQ(p->LeftIndent, 20);
  EXPECT_EQ(p->RightIndent, 0);
  EXPECT_EQ(p->GetSpaceAfter(), 4);
  EXPECT_EQ(p->StyleTemplateId, child->GetId());
  // Meeting a text template stops the walk without defaults.
  TRVStyleTemplate* textOnly = Named(u"T", rvstkText);
  textOnly->ParaStyle()->FirstIndent = 7;
  textOnly->ValidParaProperties = {rvpiFirstIndent};
  p->RightIndent = 9;
  textOnly->ApplyToParaStyle(p);
  EXPECT_EQ(p->RightIndent, 9);
  EXPECT_EQ(p->FirstIndent, 0);
}

TEST_F(StyleTemplateTest, ModifiedPropertiesAreRecorded) {
  TRVStyleTemplate* t = Named(u"Big", rvstkText);
  t->TextStyle()->SizeDouble = 40;
  t->ValidTextProperties = {rvfiSize, rvfiColor};
  TFontInfo* f = sheet.TextStyles()->Add();
  f->SizeDouble = 40;
  f->Color = clRed;
  f->Style = {fsItalic};
  TRVStyleTemplate::UpdateModifiedTextStyleProperties(t, f, nullptr);
  EXPECT_EQ(f->ModifiedProperties, (TRVFontInfoProperties{rvfiColor, rvfiItalic}));
  TRVStyleTemplate::UpdateModifiedTextStyleProperties(nullptr, f, nullptr);
  EXPECT_EQ(f->ModifiedProperties, (TRVFontInfoProperties{rvfiSize, rvfiColor, rvfiItalic}));

  TRVStyleTemplate* pt = Named(u"P", rvstkPara);
  pt->ParaStyle()->LeftIndent = 10;
  pt->ValidParaProperties = {rvpiLeftIndent};
  TParaInfo* p = sheet.ParaStyles()->Add();
  p->LeftIndent = 10;
  p->Alignment = rvaJustify;
  TRVStyleTemplate::UpdateModifiedParaStyleProperties(pt, p);
  EXPECT_EQ(p->ModifiedProperties, (TRVParaInfoProperties{rvpiAlignment}));
  TRVStyleTemplate::UpdateModifiedParaStyleProperties(nullptr, p);
  EXPECT_EQ(p->ModifiedProperties, (TRVParaInfoProperties{rvpiLeftIndent, rvpiAlignment}));
  // Applying again keeps the modified alignment.
  p->Alignment = rvaJustify;
  pt->ApplyToParaStyle(p);
  EXPECT_EQ(p->Alignment, rvaJustify);
}

TEST_F(StyleTemplateTest, TabsComeFromTheNearestTemplateThatDefinesThem) {
  TRVStyleTemplate* base = Named(u"Base", rvstkPara);
  base->ParaStyle()->Tabs()->Add()->SetPosition(50);
  base->ValidParaProperties = {rvpiTabs};
  TRVStyleTemplate* child = Named(u"Child", rvstkPara);
  EXPECT_EQ(child->GetTabs(), nullptr);
  child->SetParentId(base->GetId());
  EXPECT_EQ(child->GetTabs(), base->ParaStyle()->Tabs());
  EXPECT_EQ(Named(u"T", rvstkText)->GetTabs(), nullptr);
}

TEST_F(StyleTemplateTest, ClearFormat) {
  TRVStyleTemplate* normal = Named(u"Normal");
  normal->ParaStyle()->SetSpaceAfter(12);
  normal->ValidParaProperties = {rvpiSpaceAfter};
  TParaInfo* p = sheet.ParaStyles()->Add();
  p->LeftIndent = 3;
  p->ModifiedProperties = {rvpiLeftIndent};
  templates->ClearParaFormat(p);
  EXPECT_EQ(p->LeftIndent, 0);
  EXPECT_EQ(p->GetSpaceAfter(), 12);
  EXPECT_EQ(p->StyleTemplateId, normal->GetId());
  EXPECT_TRUE(p->ModifiedProperties.Empty());

  TRVStyleTemplate* link = Named(u"Hyperlink");
  link->TextStyle()->Color = clBlue;
  link->ValidTextProperties = {rvfiColor};
  TFontInfo* f = sheet.TextStyles()->Add();
  f->Jump = true;
  f->SizeDouble = 30;
  templates->ClearTextFormat(f);
  EXPECT_EQ(f->Color, clBlue);
  EXPECT_EQ(f->SizeDouble, 20);
  EXPECT_EQ(f->StyleTemplateId, link->GetId());
}

TEST_F(StyleTemplateTest, MergeLinksAppendedTemplatesByName) {
  Named(u"Normal");
  TEmptyRVStyle other;
  TRVStyleTemplate* n = other.StyleTemplates()->Add();
  n->SetName(u"Normal");
  TRVStyleTemplate* h = other.StyleTemplates()->Add();
  h->SetName(u"Heading");
  h->SetParentId(n->GetId());
  TRVIntegerList map;
  templates->MergeWith(other.StyleTemplates(), &map);
  EXPECT_EQ(V(map), (std::vector<int>{0, 1}));
  ASSERT_EQ(templates->Count(), 2);
  EXPECT_EQ(templates->Items(1)->GetParent(), templates->Items(0));
}

TEST_F(StyleTemplateTest, AssignCopiesTheTreeWithNewOrSameIds) {
  TRVStyleTemplate* a = Named(u"A", rvstkPara);
  TRVStyleTemplate* b = Named(u"B", rvstkPara);
  b->SetParentId(a->GetId());
  a->SetNextId(b->GetId());
  for (bool copyIds : {false, true}) {
    TEmptyRVStyle copy;
    copy.StyleTemplates()->AssignStyleTemplates(templates, copyIds);
    ASSERT_EQ(copy.StyleTemplates()->Count(), 2);
    TRVStyleTemplate* ca = copy.StyleTemplates()->Items(0);
    TRVStyleTemplate* cb = copy.StyleTemplates()->Items(1);
    EXPECT_EQ(cb->GetParent(), ca);
    EXPECT_EQ(ca->GetNext(), cb);
    EXPECT_EQ(ca->GetId() == a->GetId(), copyIds);
    EXPECT_EQ(cb->GetName(), u"B");
  }
}

TEST_F(StyleTemplateTest, IniRoundTrip) {
  TRVStyleTemplate* a = Named(u"\u041E\u0431\u044B\u0447\u043D\u044B\u0439", rvstkPara);
  a->ParaStyle()->LeftIndent = 15;
  a->ParaStyle()->Tabs()->Add()->SetPosition(30);
  a->ValidParaProperties = {rvpiLeftIndent, rvpiTabs};
  a->QuickAccess = false;
  TRVStyleTemplate* b = Named(u"Emphasis", rvstkText);
  b->TextStyle()->Style = {fsItalic};
  b->TextStyle()->Color = clRed;  // not valid: not written
  b->ValidTextProperties = {rvfiItalic, rvfiSize};
  TRVStyleTemplate* c = Named(u"Child", rvstkPara);
  c->SetParentId(a->GetId());
  auto ini = NewIni();
  templates->SaveToINI(ini.get(), u"T");
  EXPECT_EQ(ini->ReadInteger(u"T", u"STItemCount", 0), 3);
  EXPECT_TRUE(ini->ValueExists(u"T", u"STName0_Hex"));
  EXPECT_EQ(ini->ReadString(u"T", u"STValidTextProperties1", u""), u"Size Italic");
  EXPECT_EQ(ini->ReadString(u"T", u"STValidParaProperties0", u""), u"LeftIndent Tabs");
  EXPECT_TRUE(ini->ValueExists(u"T", u"ST0ParaTabTabPos0"));
  EXPECT_FALSE(ini->ValueExists(u"T", u"ST1FontColor"));
  EXPECT_EQ(ini->ReadString(u"T", u"ST1FontItalic", u""), u"Yes");
  TEmptyRVStyle back;
  back.StyleTemplates()->LoadFromINI(ini.get(), u"T");
  back.StyleTemplates()->UpdateReferences();
  ASSERT_EQ(back.StyleTemplates()->Count(), 3);
  TRVStyleTemplate* ba = back.StyleTemplates()->Items(0);
  TRVStyleTemplate* bb = back.StyleTemplates()->Items(1);
  EXPECT_EQ(ba->GetName(), a->GetName());
  EXPECT_EQ(ba->GetId(), a->GetId());
  EXPECT_FALSE(ba->QuickAccess);
  EXPECT_EQ(ba->ValidParaProperties, a->ValidParaProperties);
  EXPECT_TRUE(ba->ParaStyle()->IsEqual(a->ParaStyle(), {}));
  EXPECT_EQ(bb->GetKind(), rvstkText);
  EXPECT_TRUE(bb->TextStyle()->IsEqual(b->TextStyle(), {rvfiColor}));
  EXPECT_EQ(back.StyleTemplates()->Items(2)->GetParent(), ba);
}

// The text part of a template has no "Jump" key to read its cursor with; every property must
// still come back.
TEST_F(StyleTemplateTest, IniRoundTripKeepsEveryProperty) {
  TRVStyleTemplate* t = Named(u"Link");
  t->ValidTextProperties = AllTextStyleProperties;
  t->ValidParaProperties = AllParaStyleProperties;
  TRVSTParaInfo* p = t->ParaStyle();
  p->FirstIndent = -10;
  p->LeftIndent = 20;
  p->RightIndent = 5;
  p->SetSpaceBefore(3);
  p->SetSpaceAfter(4);
  p->LineSpacing = 12;
  p->LineSpacingType = rvlsLineHeightAtLeast;
  p->Alignment = rvaJustify;
  p->LastLineAlignment = rvllaRight;
  p->Options = {rvpaoNoWrap, rvpaoReadOnly, rvpaoStyleProtect, rvpaoDoNotWantReturns, rvpaoKeepLinesTogether,
                rvpaoKeepWithNext, rvpaoWidowOrphanControl};
  p->BiDiMode = rvbdRightToLeft;
  p->OutlineLevel = 3;
  p->Border()->Style = rvbDouble;
  p->Border()->Color = clBlue;
  p->Border()->Width = 2;
  p->Border()->InternalWidth = 3;
  p->Border()->BorderOffsets()->SetAll(4);
  p->Border()->VisibleBorders()->Top = false;
  p->Background()->Color = clYellow;
  p->Background()->Opacity = 30000;
  p->Background()->BorderOffsets()->Right = 2;
  p->Tabs()->Add()->SetPosition(100);
  TRVSTFontInfo* f = t->TextStyle();
  f->FontName = u"Courier New";
  f->SizeDouble = 23;
  f->Color = clRed;
  f->BackColor = clYellow;
  f->HoverColor = clBlue;
  f->HoverBackColor = clGreen;
  f->HoverEffects = {rvheUnderline};
  f->JumpCursor = 55;
  f->Charset = 204;
  f->CharScale = 80;
  f->CharSpacing = 3;
  f->BiDiMode = rvbdRightToLeft;
  f->Style = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
  f->StyleEx = {rvfsOverline, rvfsAllCaps};
  f->Protection = {rvprModifyProtect};
  f->Options = {rvteoHidden, rvteoDocXCode};
  f->VShift = -33;
  f->EmptyWidth = 7;
  f->SubSuperScriptType = rvsssSubscript;
  f->UnderlineType = rvutDashed;
  f->UnderlineColor = clMaroon;
  f->HoverUnderlineColor = clNavy;
  auto ini = NewIni();
  templates->SaveToINI(ini.get(), u"T");
  TEmptyRVStyle back;
  back.StyleTemplates()->LoadFromINI(ini.get(), u"T");
  ASSERT_EQ(back.StyleTemplates()->Count(), 1);
  TRVSTFontInfo* g = back.StyleTemplates()->Items(0)->TextStyle();
  EXPECT_EQ(g->JumpCursor, 55);
  EXPECT_TRUE(g->IsEqual(f, {}));
  EXPECT_TRUE(back.StyleTemplates()->Items(0)->ParaStyle()->IsEqual(p, {}));
}

TEST_F(StyleTemplateTest, StreamRoundTripAndHiddenProperties) {
  TRVStyleTemplate* a = Named(u"A", rvstkPara);
  a->ValidParaProperties = {rvpiAlignment};
  a->ValidTextProperties = {rvfiBold};
  a->ParaStyle()->Alignment = rvaCenter;
  a->TextStyle()->Style = {fsBold};
  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteCollection(templates);
  }
  const std::string bytes(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  EXPECT_EQ(bytes.find("StyleName"), std::string::npos);
  EXPECT_EQ(bytes.find("BaseStyleNo"), std::string::npos);
  ms.SetPosition(0);
  TEmptyRVStyle back;
  TReader r(ms);
  r.ReadCollection(back.StyleTemplates());
  ASSERT_EQ(back.StyleTemplates()->Count(), 1);
  TRVStyleTemplate* b = back.StyleTemplates()->Items(0);
  EXPECT_EQ(b->GetName(), u"A");
  EXPECT_EQ(b->GetId(), a->GetId());
  EXPECT_EQ(b->ValidParaProperties, a->ValidParaProperties);
  EXPECT_EQ(b->ValidTextProperties, a->ValidTextProperties);
  EXPECT_EQ(b->ParaStyle()->Alignment, rvaCenter);
  EXPECT_EQ(b->TextStyle()->Style, (TFontStyles{fsBold}));
  const TPropInfo* hidden = b->TextStyle()->ClassInfo().FindProperty(u"StyleName");
  ASSERT_NE(hidden, nullptr);
  EXPECT_THROW(hidden->SetStr(*b->TextStyle(), u"x"), EViroZereError);
  EXPECT_EQ(b->TextStyle()->GetRVStyle(), &back);
  EXPECT_EQ(b->ParaStyle()->GetRVStyle(), &back);
}

TEST(StyleSheetStream, TemplatesLinkAfterTheSheetIsLoaded) {
  TEmptyRVStyle sheet;
  // The child comes first, so its parent is read after it.
  TRVStyleTemplate* b = sheet.StyleTemplates()->Add();
  b->SetName(u"Quote");
  TRVStyleTemplate* a = sheet.StyleTemplates()->Add();
  a->SetName(u"Normal");
  b->SetKind(rvstkPara);
  b->SetParentId(a->GetId());
  b->SetNextId(a->GetId());
  TFontInfo* f = sheet.TextStyles()->Add();
  f->StyleTemplateId = b->GetId();
  f->ModifiedProperties = {rvfiColor};
  TParaInfo* p = sheet.ParaStyles()->Add();
  p->Tabs()->Add()->SetPosition(30);
  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteRootComponent(&sheet);
  }
  ms.SetPosition(0);
  TEmptyRVStyle back;
  TReader r(ms);
  r.ReadRootComponent(&back);
  ASSERT_EQ(back.StyleTemplates()->Count(), 2);
  TRVStyleTemplate* bb = back.StyleTemplates()->Items(0);
  TRVStyleTemplate* ba = back.StyleTemplates()->Items(1);
  // Names were not made unique and ids were kept while loading; links came with Loaded.
  EXPECT_EQ(ba->GetName(), u"Normal");
  EXPECT_EQ(bb->GetName(), u"Quote");
  EXPECT_EQ(bb->GetId(), b->GetId());
  EXPECT_EQ(bb->GetParent(), ba);
  EXPECT_EQ(bb->GetNext(), ba);
  EXPECT_EQ(back.StyleTemplates()->NormalStyleTemplate(), ba);
  ASSERT_EQ(back.TextStyles()->Count(), 1);
  EXPECT_TRUE(back.TextStyles()->Items(0)->IsEqual(f, {}));
  EXPECT_EQ(back.TextStyles()->Items(0)->ModifiedProperties, f->ModifiedProperties);
  ASSERT_EQ(back.ParaStyles()->Count(), 1);
  EXPECT_TRUE(back.ParaStyles()->Items(0)->IsEqual(p, {}));
}

TEST(StyleTemplateIni, DamagedCountsAndValuesStayBounded) {
  auto ini = NewIni();
  ini->WriteString(u"T", u"STItemCount", u"2000000000");
  ini->WriteString(u"T", u"STKind0", u"77");
  ini->WriteString(u"T", u"STValidTextProperties0", u"Size NoSuchThing  Bold");
  ini->WriteString(u"T", u"STParentId1", u"abc");
  TEmptyRVStyle sheet;
  sheet.StyleTemplates()->LoadFromINI(ini.get(), u"T");
  EXPECT_LE(sheet.StyleTemplates()->Count(), 10000);
  EXPECT_EQ(sheet.StyleTemplates()->Items(0)->GetKind(), rvstkParaText);
  EXPECT_EQ(sheet.StyleTemplates()->Items(0)->ValidTextProperties, (TRVFontInfoProperties{rvfiSize, rvfiBold}));
  EXPECT_EQ(sheet.StyleTemplates()->Items(1)->GetParentId(), -1);
}
