#include "engine/styles/ListInfo.h"

#include "StyleTestUtil.h"
#include "platform/base/ComponentStream.h"

namespace {
TRVListInfo* OneLevelList(TRVStyle& sheet, int firstIndent, int id) {
  TRVListInfo* l = sheet.ListStyles()->Add();
  l->Levels()->Add()->FirstIndent = firstIndent;
  l->SetListID(id);
  return l;
}
}  // namespace

TEST(ListLevel, DefaultsAndKinds) {
  TRVListLevelCollection levels;
  TRVListLevel* l = levels.Add();
  EXPECT_EQ(l->ListType, rvlstBullet);
  EXPECT_EQ(l->FormatString, u"\u00B7");
  EXPECT_EQ(l->FirstIndent, 10);
  EXPECT_EQ(l->StartFrom, 1);
  EXPECT_EQ(l->Options, (TRVListLevelOptions{rvloContinuous, rvloLevelReset}));
  EXPECT_FALSE(l->HasFont());
  EXPECT_EQ(l->GetDisplayName(), u"bullet 0/0/10");
  struct Case { TRVListType type; bool numbering, variable, font; };
  const Case cases[] = {{rvlstBullet, false, false, true},       {rvlstPicture, false, false, false},
                        {rvlstImageList, false, false, false},   {rvlstDecimal, true, true, true},
                        {rvlstUpperRoman, true, true, true},     {rvlstImageListCounter, true, false, false},
                        {rvlstUnicodeBullet, false, false, true}};
  for (const Case& c : cases) {
    l->ListType = c.type;
    EXPECT_EQ(l->HasNumbering(), c.numbering) << int(c.type);
    EXPECT_EQ(l->HasVariableWidth(), c.variable) << int(c.type);
    EXPECT_EQ(l->UsesFont(), c.font) << int(c.type);
  }
}

TEST(ListLevel, EqualityTreatsDefaultFontAsAbsent) {
  TRVListLevelCollection a, b;
  TRVListLevel* x = a.Add();
  TRVListLevel* y = b.Add();
  y->GetFont();
  EXPECT_TRUE(x->IsEqual(y));
  y->GetFont()->Style = {fsBold};
  EXPECT_FALSE(x->IsEqual(y));
  x->GetFont()->Style = {fsBold};
  x->GetFont()->Name = u"ARIAL";
  EXPECT_TRUE(x->IsEqual(y));
  y->StartFrom = 5;  // only compared for numbered levels
  EXPECT_TRUE(x->IsEqual(y));
  x->ListType = y->ListType = rvlstDecimal;
  EXPECT_FALSE(x->IsEqual(y));
}

TEST(ListInfo, SimilarityOfOneLevelLists) {
  TEmptyRVStyle sheet;
  TRVListInfo* a = OneLevelList(sheet, 10, 5);
  TRVListInfo* b = OneLevelList(sheet, 20, 5);
  EXPECT_EQ(a->SimilarityValue(b), 6250);
  b->SetListID(6);
  EXPECT_EQ(a->SimilarityValue(b), 6200);
  b->Levels()->Add();
  EXPECT_EQ(a->SimilarityValue(b), 6100);
}

TEST(ListInfo, IdsDecideSmartEqualityNotSearch) {
  TEmptyRVStyle sheet;
  TRVListInfo* a = OneLevelList(sheet, 10, 5);
  TRVListInfo* b = OneLevelList(sheet, 10, 6);
  EXPECT_FALSE(a->IsSimpleEqualEx(b, {}));
  EXPECT_TRUE(a->IsSimpleEqual(b, false, true));
  EXPECT_EQ(sheet.ListStyles()->FindSuchStyle(b, false), 0);
  TRVListInfo other(nullptr);
  other.Levels()->Add()->FirstIndent = 99;
  EXPECT_EQ(sheet.ListStyles()->FindSuchStyle(&other, false), -1);
  EXPECT_EQ(sheet.ListStyles()->FindSuchStyle(&other, true), 2);
  EXPECT_FALSE(sheet.ListStyles()->Items(2)->Standard);
  EXPECT_EQ(sheet.ListStyles()->FindStyleWithLevels(other.Levels(), u"Found", false), 2);
  other.Levels()->Items(0)->FirstIndent = 7;
  EXPECT_EQ(sheet.ListStyles()->FindStyleWithLevels(other.Levels(), u"Added", true), 3);
  EXPECT_EQ(sheet.ListStyles()->Items(3)->StyleName, u"Added");
  EXPECT_TRUE(sheet.ListStyles()->Items(3)->OneLevelPreview);
  EXPECT_THROW(sheet.ListStyles()->Items(9), EListError);
}

TEST(ListInfo, ListIdIsDrawnOnceAndCopiedOnlyWhenAllowed) {
  TEmptyRVStyle sheet;
  TRVListInfo* a = sheet.ListStyles()->Add();
  const int id = a->GetListID();
  EXPECT_GE(id, 1);
  EXPECT_EQ(a->GetListID(), id);
  TRVListInfo* b = sheet.ListStyles()->Add();
  b->Assign(a);
  EXPECT_NE(b->GetListID(), id);
  sheet.ListStyles()->FViroZereAllowAssignListID = true;
  b->Assign(a);
  EXPECT_EQ(b->GetListID(), id);
}

TEST(MarkerFont, TextForm) {
  TRVMarkerFont f;
  EXPECT_TRUE(f.IsDefault());
  EXPECT_EQ(f.ToText(), u"Arial,-11,,0,clWindowText,1");
  f.Style = {fsBold, fsStrikeOut};
  f.Color = 0x123456;
  f.Name = u"Symbol";
  f.Charset = 2;
  EXPECT_EQ(f.ToText(), u"Symbol,-11,BS,0,$00123456,2");
  TRVMarkerFont g;
  g.FromText(u"Courier New,-16,iuX,2,clRed");
  EXPECT_EQ(g.Name, u"Courier New");
  EXPECT_EQ(g.GetHeight(), -16);
  EXPECT_EQ(g.GetSize(), 12);
  EXPECT_EQ(g.Style, (TFontStyles{fsItalic, fsUnderline}));
  EXPECT_EQ(g.Pitch, fpFixed);
  EXPECT_EQ(g.Color, clRed);
  EXPECT_EQ(g.Charset, DEFAULT_CHARSET);
  g.FromText(f.ToText());
  EXPECT_TRUE(g.IsEqual(&f));
}

TEST(ListInfoIni, RoundTrip) {
  TEmptyRVStyle sheet;
  TRVListInfo* l = sheet.ListStyles()->Add();
  l->StyleName = u"\u0421\u043F\u0438\u0441\u043E\u043A";
  l->OneLevelPreview = true;
  l->SetListID(1234);
  TRVListLevel* a = l->Levels()->Add();
  a->FormatStringW = u"\u2022";
  a->ListType = rvlstUnicodeBullet;
  a->GetFont()->Name = u"Wingdings";
  a->Options = {};
  TRVListLevel* b = l->Levels()->Add();
  b->ListType = rvlstLowerRoman;
  b->FormatString = u"%1:s.";
  b->LeftIndent = 24;
  b->MarkerIndent = 12;
  b->MarkerAlignment = rvmaRight;
  b->StartFrom = 5;
  b->Options = {rvloLevelReset, rvloLegalStyleNumbering};
  auto ini = NewIni();
  l->SaveToINI(ini.get(), u"L", u"L0%s");
  EXPECT_FALSE(ini->ValueExists(u"L", u"L0LvlStartFrom0"));
  EXPECT_EQ(ini->ReadInteger(u"L", u"L0LvlStartFrom1", 0), 5);
  EXPECT_EQ(ini->ReadInteger(u"L", u"L0LevelsCount", 0), 2);
  EXPECT_EQ(ini->ReadString(u"L", u"L0LvlFormatStringW0", u""), u"2220");
  EXPECT_EQ(ini->ReadString(u"L", u"L0LvlContinuous0", u""), u"No");
  TRVListInfo* back = sheet.ListStyles()->Add();
  back->Levels()->Add();
  back->LoadFromINI(ini.get(), u"L", u"L0%s");
  EXPECT_TRUE(back->IsSimpleEqual(l, false, false));
  EXPECT_EQ(back->StyleName, l->StyleName);
  ini->WriteString(u"L", u"L0LvlFormatStringW0", u"222022");  // three bytes
  EXPECT_THROW(back->LoadFromINI(ini.get(), u"L", u"L0%s"), EViroZereError);
}

TEST(ListInfoStream, LevelsReadBackEqual) {
  TEmptyRVStyle sheet;
  TRVListInfo* l = sheet.ListStyles()->Add();
  l->StyleName = u"Numbers";
  l->SetListID(4242);
  TRVListLevel* a = l->Levels()->Add();
  TRVListLevel* b = l->Levels()->Add();
  b->ListType = rvlstDecimal;
  b->FormatString = u"%0:s)";
  b->FormatStringW = u"\u25A0";
  b->StartFrom = 3;
  b->GetFont()->Style = {fsItalic};
  b->GetFont()->SetSize(12);
  b->Options = {rvloLegalStyleNumbering};
  a->LeftIndent = 30;
  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteProperties(l);
    w.WriteListEnd();
  }
  const std::string bytes(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  EXPECT_LT(bytes.find("Levels"), bytes.find("StyleName"));  // own properties first
  ms.SetPosition(0);
  TRVListInfo* back = sheet.ListStyles()->Add();
  TReader r(ms);
  r.ReadProperties(back);
  EXPECT_TRUE(back->IsSimpleEqual(l, false, false));
  EXPECT_EQ(back->StyleName, u"Numbers");
  EXPECT_TRUE(back->Levels()->Items(0)->FormatString == u"\u00B7");
  EXPECT_FALSE(back->Levels()->Items(0)->HasFont());
}

TEST(ListInfoStream, DefaultLevelWritesNoFormatOrFont) {
  TRVListLevelCollection levels;
  TRVListLevel* l = levels.Add();
  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteProperties(l);
    w.WriteListEnd();
  }
  const std::string bytes(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  EXPECT_EQ(bytes.find("FormatStringCodeW"), std::string::npos);
  EXPECT_EQ(bytes.find("Font"), std::string::npos);
  EXPECT_FALSE(l->HasFont());
}

// ---- picture markers -------------------------------------------------------------------------------

namespace {
std::unique_ptr<TPicture> SmallPicture(TColor c) {
  TBitmap bmp(3, 2);
  bmp.SetPixel(1, 1, c);
  auto pic = std::make_unique<TPicture>();
  pic->SetGraphic(&bmp);
  return pic;
}
}  // namespace

TEST(ListLevelPicture, SettingCopiesAndEmptyFrees) {
  TRVListLevelCollection levels;
  TRVListLevel* l = levels.Add();
  auto pic = SmallPicture(clRed);
  l->SetPicture(pic.get());
  ASSERT_TRUE(l->HasPicture());
  EXPECT_NE(l->GetPicture(), pic.get());
  EXPECT_TRUE(l->GetPicture()->GetGraphic()->GetTransparent());
  TPicture empty;
  l->SetPicture(&empty);
  EXPECT_FALSE(l->HasPicture());
  l->SetPicture(pic.get());
  l->SetPicture(nullptr);
  EXPECT_FALSE(l->HasPicture());
}

TEST(ListLevelPicture, EqualityComparesTheBytes) {
  TRVListLevelCollection levels;
  TRVListLevel* a = levels.Add();
  TRVListLevel* b = levels.Add();
  auto red = SmallPicture(clRed), blue = SmallPicture(clBlue);
  a->SetPicture(red.get());
  EXPECT_FALSE(a->IsEqual(b));
  b->SetPicture(red.get());
  EXPECT_TRUE(a->IsEqual(b));
  b->SetPicture(blue.get());
  EXPECT_FALSE(a->IsEqual(b));
  EXPECT_EQ(a->SimilarityValue(b), 5000 + 11 * 100);
}

TEST(ListLevelPicture, IniAndStreamRoundTrip) {
  TEmptyRVStyle sheet;
  TRVListInfo* l = sheet.ListStyles()->Add();
  l->SetListID(5);
  TRVListLevel* lvl = l->Levels()->Add();
  lvl->ListType = rvlstPicture;
  auto pic = SmallPicture(clGreen);
  lvl->SetPicture(pic.get());
  auto ini = NewIni();
  l->SaveToINI(ini.get(), u"L", u"%s");
  EXPECT_EQ(ini->ReadString(u"L", u"LvlGraphicClass0", u""), u"TBitmap");
  EXPECT_TRUE(ini->ValueExists(u"L", u"LvlPicture0_0"));
  TRVListInfo* back = sheet.ListStyles()->Add();
  back->LoadFromINI(ini.get(), u"L", u"%s");
  EXPECT_TRUE(back->IsSimpleEqual(l, false, false));
  ini->WriteString(u"L", u"LvlGraphicClass0", u"TNoSuchGraphic");
  back->LoadFromINI(ini.get(), u"L", u"%s");
  EXPECT_FALSE(back->Levels()->Items(0)->HasPicture());
  ini->WriteString(u"L", u"LvlGraphicClass0", u"TBitmap");
  ini->WriteString(u"L", u"LvlPicture0_0", u"00FF");  // not a bitmap: no picture
  back->LoadFromINI(ini.get(), u"L", u"%s");
  EXPECT_FALSE(back->Levels()->Items(0)->HasPicture());

  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteProperties(l);
    w.WriteListEnd();
  }
  ms.SetPosition(0);
  TRVListInfo* streamed = sheet.ListStyles()->Add();
  TReader r(ms);
  r.ReadProperties(streamed);
  EXPECT_TRUE(streamed->IsSimpleEqual(l, false, false));
  EXPECT_TRUE(streamed->Levels()->Items(0)->HasPicture());
}

// ---- CSS and HTML ----------------------------------------------------------------------------------

namespace {
std::string Written(const std::function<void(TStream*)>& write) {
  TMemoryStream ms;
  write(&ms);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}
}  // namespace

TEST(ListLevelCss, BulletShapes) {
  struct Case { const char16_t* font; char16_t c; TRVListType type; TRVBulletShape shape; };
  const Case cases[] = {
      {u"Arial", 0x2022, rvlstBullet, rvbsDisc},        {u"Arial", 0x25A0, rvlstBullet, rvbsSquare},
      {u"Arial", u'o', rvlstBullet, rvbsCircle},         {u"Arial", u'x', rvlstBullet, rvbsNoShape},
      {u"Wingdings", 0x6E, rvlstBullet, rvbsSquare},     {u"WINGDINGS", 0xF06C, rvlstBullet, rvbsDisc},
      {u"Wingdings", 0xA1, rvlstBullet, rvbsCircle},     {u"Wingdings", 0x2022, rvlstBullet, rvbsNoShape},
      {u"Symbol", 0xB7, rvlstBullet, rvbsDisc},          {u"Symbol", u'o', rvlstBullet, rvbsNoShape},
      {u"Arial", 0x25CB, rvlstUnicodeBullet, rvbsCircle}, {u"Arial", 0x2022, rvlstDecimal, rvbsNoShape}};
  TRVListLevelCollection levels;
  TRVListLevel* l = levels.Add();
  for (const Case& c : cases) {
    l->GetFont()->Name = c.font;
    l->ListType = c.type;
    l->FormatString = UnicodeString(1, c.c);
    l->FormatStringW = UnicodeString(1, c.c);
    EXPECT_EQ(l->GetBulletShape(), c.shape) << UnicodeToUtf8(c.font) << " " << int(c.c);
  }
  l->ListType = rvlstBullet;
  l->FormatString = u"\u2022\u2022";
  EXPECT_EQ(l->GetBulletShape(), rvbsNoShape);
  EXPECT_EQ(l->GetListStyleTypeCSS(), "");
  l->ListType = rvlstUpperRoman;
  EXPECT_EQ(l->GetListStyleTypeCSS(), " list-style-type: upper-roman;");
}

TEST(ListLevelCss, OpenCssAndTextVersion) {
  TEmptyRVStyle sheet;
  TRVListLevelCollection levels;
  TRVListLevel* first = levels.Add();
  first->LeftIndent = 24;
  first->FirstIndent = -12;
  first->FormatString = u"\u2022";
  TRVListLevel* second = levels.Add();
  second->LeftIndent = 48;
  second->MarkerIndent = 60;
  second->ListType = rvlstDecimal;
  EXPECT_EQ(first->GetHTMLOpenCSS(&sheet, rvbdUnspecified),
            "text-indent: -12px; padding: 0; margin: 0 0 0 24px; list-style-position: outside; list-style-type: disc;");
  EXPECT_EQ(second->GetHTMLOpenCSS(&sheet, rvbdRightToLeft),
            "text-indent: 12px; padding: 0; margin: 0 24px 0 0; list-style-position: inside; list-style-type: decimal;");
  EXPECT_EQ(first->GetIndentCSSForTextVersion(&sheet, rvbdUnspecified),
            "text-indent: -24px; padding-left: 24px; margin-left: 0px;");
  EXPECT_EQ(second->GetIndentCSSForTextVersion(&sheet, rvbdRightToLeft), "text-indent: 12px; margin-right: 48px;");
  sheet.Units = rvstuTwips;
  first->LeftIndent = 30;
  EXPECT_EQ(first->GetIndentCSSForTextVersion(&sheet, rvbdUnspecified),
            "text-indent: -1.5pt; padding-left: 1.5pt; margin-left: 0pt;");
}

TEST(ListLevelCss, TagsAndSharedClasses) {
  TEmptyRVStyle sheet;
  TRVListInfo* a = sheet.ListStyles()->Add();
  a->Levels()->Add()->LeftIndent = 10;
  TRVListInfo* b = sheet.ListStyles()->Add();
  b->Levels()->Add()->LeftIndent = 10;  // same CSS as a's level: shares its class
  TRVListLevel* numbered = b->Levels()->Add();
  numbered->ListType = rvlstLowerAlpha;
  numbered->LeftIndent = 20;
  TRVHTMLListCSSList bullets;
  const std::string css = Written([&](TStream* s) { sheet.ListStyles()->SaveCSSToStream(s, bullets, {}, "/* lists */"); });
  EXPECT_EQ(css,
            "/* lists */\r\n"
            ".list0 {text-indent: 10px; padding: 0; margin: 0 0 0 10px; list-style-position: outside; "
            "list-style-type: disc;}\r\n"
            ".list1 {text-indent: 10px; padding: 0; margin: 0 0 0 10px; list-style-position: outside; "
            "list-style-type: lower-alpha;}\r\n");
  EXPECT_EQ(bullets.Count(), 2);
  TRVListLevel* shared = b->Levels()->Items(0);
  EXPECT_EQ(Written([&](TStream* s) { shared->HTMLOpenTag(s, true, &sheet, {}, &bullets, rvbdUnspecified); }),
            "<ul class=list0>");
  EXPECT_EQ(Written([&](TStream* s) { numbered->HTMLOpenTag(s, true, &sheet, {rvsoXHTML}, &bullets, rvbdUnspecified); }),
            "<ol class=\"list1\">");
  TRVHTMLListCSSList none;
  EXPECT_EQ(Written([&](TStream* s) { numbered->HTMLOpenTag(s, true, &sheet, {}, &none, rvbdUnspecified); }),
            "<ol style=\"" + numbered->GetHTMLOpenCSS(&sheet, rvbdUnspecified) + "\">");
  EXPECT_EQ(Written([&](TStream* s) { numbered->HTMLOpenTag(s, false, &sheet, {}, nullptr, rvbdUnspecified); }),
            "<ol type=\"a\">");
  numbered->ListType = rvlstDecimal;
  EXPECT_EQ(Written([&](TStream* s) { numbered->HTMLOpenTag(s, false, &sheet, {}, nullptr, rvbdUnspecified); }),
            "<ol>");
  EXPECT_EQ(Written([&](TStream* s) { numbered->HTMLCloseTag(s, false); }), "</ol>");
  EXPECT_EQ(Written([&](TStream* s) { shared->HTMLCloseTag(s, true); }), "</ul>");
}

TEST(SheetCss, PointsText) {
  struct Case { long double v; const char* text; };
  for (const Case c : {Case{12, "12pt"}, Case{12.5L, "12.5pt"}, Case{12.05L, "12.05pt"}, Case{12.25L, "12.25pt"},
                       Case{-18.5L, "-18.5pt"}, Case{12.999L, "13pt"}, Case{0, "0pt"}})
    EXPECT_EQ(PointsToCSSText(c.v), c.text) << double(c.v);
  TEmptyRVStyle sheet;
  EXPECT_EQ(sheet.GetCSSSize(30), "30px");
  sheet.Units = rvstuTwips;
  EXPECT_EQ(sheet.GetCSSSize(30), "1.5pt");
}

TEST(ListLevelImageList, TagStreamedOnlyForADocumentAndForgotten) {
  struct Doc : IRVListStylesDocument {
    TCustomImageList* List = nullptr;
    int AskedTag = 0;
    TCustomImageList* GetImageListByTag(int Tag) override {
      AskedTag = Tag;
      return List;
    }
  } doc;
  TCustomImageList images;
  images.Tag = 17;
  doc.List = &images;
  TEmptyRVStyle sheet;
  TRVListInfo* l = sheet.ListStyles()->Add();
  l->SetListID(3);
  TRVListLevel* lvl = l->Levels()->Add();
  lvl->ListType = rvlstImageList;
  lvl->ImageList = &images;
  lvl->ImageIndex = 2;
  auto write = [&](TMemoryStream& ms) {
    TWriter w(ms);
    w.WriteProperties(l);
    w.WriteListEnd();
  };
  TMemoryStream plain;
  write(plain);
  EXPECT_EQ(std::string(static_cast<const char*>(plain.Memory()), static_cast<std::size_t>(plain.GetSize())).find("ILTag"),
            std::string::npos);
  sheet.ListStyles()->FRVData = &doc;
  TMemoryStream withDoc;
  write(withDoc);
  withDoc.SetPosition(0);
  TRVListInfo* back = sheet.ListStyles()->Add();
  TReader r(withDoc);
  r.ReadProperties(back);
  EXPECT_EQ(doc.AskedTag, 17);
  EXPECT_EQ(back->Levels()->Items(0)->ImageList, &images);
  EXPECT_TRUE(back->IsSimpleEqual(l, false, false));
  sheet.ListStyles()->FRVData = nullptr;
  sheet.ListStyles()->ForgetImageList(&images);
  EXPECT_EQ(lvl->ImageList, nullptr);
  EXPECT_EQ(back->Levels()->Items(0)->ImageList, nullptr);
}

TEST(ListLevelCss, MarkersAsTextRulesUseTheMarkerFont) {
  TEmptyRVStyle sheet;
  TRVListInfo* l = sheet.ListStyles()->Add();
  TRVListLevel* bullet = l->Levels()->Add();
  bullet->GetFont()->Name = u"Symbol";
  bullet->GetFont()->Style = {fsBold};
  bullet->LeftIndent = 24;
  bullet->FirstIndent = -12;
  l->Levels()->Add()->ListType = rvlstPicture;  // no font: no rule
  TRVListLevel* plain = l->Levels()->Add();
  plain->FirstIndent = 0;
  TRVHTMLListCSSList bullets;
  const std::string css = Written([&](TStream* s) {
    sheet.ListStyles()->SaveCSSToStream(s, bullets, {rvcssMarkersAsText, rvcssUTF8}, "/* markers */");
  });
  EXPECT_EQ(css,
            "/* markers */\r\n"
            "span.bullet0 {font-weight: bold; font-size: 8pt; font-family: Symbola, 'Arial Unicode MS', "
            "'Lucida Sans Unicode', 'Arial', 'Helvetica', sans-serif; color: #000000; display: inline-block; "
            "text-indent: 0px; min-width: 12px;}\r\n"
            "span.bullet1 {font-size: 8pt; font-family: 'Arial', 'Helvetica', sans-serif; color: #000000;}\r\n");
  EXPECT_FALSE(plain->HasFont());
}
