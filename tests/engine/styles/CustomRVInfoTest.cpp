#include "engine/styles/CustomRVInfo.h"

#include "StyleTestUtil.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"

TEST(StyleSimilarity, IntSimilarity) {
  struct Case { int a, b, w, expected; };
  const Case cases[] = {{10, 10, 50, 50}, {0, 0, 50, 50}, {5, -5, 50, 0}, {10, 30, 40, 0},
                        {1, 3, 7, 0},     {3, 1, 5, 0},   {4, 6, 10, 6},  {5, 3, 5, 2},
                        {5, 3, 3, 2},     {1, 100, 10, -10}};
  for (const Case& c : cases)
    EXPECT_EQ(IntSimilarity(c.a, c.b, c.w), c.expected) << c.a << "," << c.b << "," << c.w;
}

TEST(StyleSimilarity, ColorSimilarity) {
  EXPECT_EQ(ColorSimilarity(clNone, clNone, 10, 5), 35);
  EXPECT_EQ(ColorSimilarity(clRed, clNone, 10, 5), 0);
  EXPECT_EQ(ColorSimilarity(clNone, clRed, 10, 5), 0);
  EXPECT_EQ(ColorSimilarity(clBlack, clWhite, 255, 1000), -765);
  EXPECT_EQ(ColorSimilarity(clRed, clRed, 3333, 3000), 3000);
  // Both have a bright channel: the bonus counts; 255 of 255 in two channels costs 2 weights.
  EXPECT_EQ(ColorSimilarity(clRed, clWhite, 100, 7), -200 + 7);
  // A system colour resolves to its RGB value first.
  EXPECT_EQ(ColorSimilarity(clWindowText, clBlack, 100, 7), 7);
}

TEST(StyleIni, StringsAboveAsciiAlsoGoUnderHexKey) {
  auto ini = NewIni();
  const UnicodeString cyr = u"\u043F\u0440\u0438\u043C\u0435\u0440";
  IniWriteString(ini.get(), u"S", u"Name", u"", cyr);
  EXPECT_EQ(ini->ReadString(u"S", u"Name", u""), cyr);
  EXPECT_EQ(ini->ReadString(u"S", u"Name_Hex", u""), u"043F04400438043C04350440");
}

TEST(StyleIni, RewritingAsAsciiDropsTheOlderHexForm) {
  auto ini = NewIni();
  IniWriteString(ini.get(), u"S", u"Name", u"", u"\u0416");
  IniWriteString(ini.get(), u"S", u"Name", u"", u"Plain");
  UnicodeString v;
  IniReadString(ini.get(), u"S", u"Name", v, u"");
  EXPECT_EQ(v, u"Plain");
  EXPECT_FALSE(ini->ValueExists(u"S", u"Name_Hex"));
}

TEST(StyleIni, ReadingPrefersHexKeyAndFallsBack) {
  auto ini = NewIni();
  UnicodeString v;
  ini->WriteString(u"S", u"K", u"plain");
  ini->WriteString(u"S", u"K_Hex", u"0041");
  IniReadString(ini.get(), u"S", u"K", v, u"def");
  EXPECT_EQ(v, u"A");
  ini->WriteString(u"S", u"K_Hex", u"zz");  // not hexadecimal: the plain key wins
  IniReadString(ini.get(), u"S", u"K", v, u"def");
  EXPECT_EQ(v, u"plain");
  IniReadString(ini.get(), u"S", u"Missing", v, u"def");
  EXPECT_EQ(v, u"def");
  IniWriteString(ini.get(), u"S", u"Same", u"d", u"d");
  EXPECT_FALSE(ini->ValueExists(u"S", u"Same"));
  EXPECT_FALSE(ini->ValueExists(u"S", u"Same_Hex"));
}

TEST(StyleIni, BooleansAndIntegersOnlyWhenNotDefault) {
  auto ini = NewIni();
  IniWriteBool(ini.get(), u"S", u"B1", false, false);
  IniWriteBool(ini.get(), u"S", u"B2", false, true);
  IniWriteInteger(ini.get(), u"S", u"I1", -1, -1);
  IniWriteInteger(ini.get(), u"S", u"I2", -1, 7);
  EXPECT_FALSE(ini->ValueExists(u"S", u"B1"));
  EXPECT_EQ(ini->ReadString(u"S", u"B2", u""), u"Yes");
  EXPECT_FALSE(ini->ValueExists(u"S", u"I1"));
  EXPECT_EQ(ini->ReadInteger(u"S", u"I2", 0), 7);
  ini->WriteString(u"S", u"B3", u"yes");
  EXPECT_TRUE(IniReadBool(ini.get(), u"S", u"B3", false));
  EXPECT_TRUE(IniReadBool(ini.get(), u"S", u"Absent", true));
  EXPECT_FALSE(IniReadBool(ini.get(), u"S", u"Absent", false));
}

TEST(StyleIni, LongStringsInPiecesOf500) {
  struct Case { std::size_t length; int pieces; };
  for (const Case c : {Case{0, 0}, Case{500, 1}, Case{1000, 2}, Case{1201, 3}}) {
    auto ini = NewIni();
    UnicodeString text;
    for (std::size_t i = 0; i < c.length; ++i) text += static_cast<char16_t>(u'a' + i % 26);
    IniWriteLongString(ini.get(), u"S", u"Pic", text);
    for (int n = 0; n < 4; ++n)
      EXPECT_EQ(ini->ValueExists(u"S", u"Pic_" + IntToStr(n)), n < c.pieces) << c.length << " " << n;
    EXPECT_EQ(IniReadLongString(ini.get(), u"S", u"Pic"), text);
  }
}

TEST(StyleIni, KeyFormatThatCannotTakeTheNameFallsBack) {
  EXPECT_EQ(RVIniKey(u"Pre%sPost", u"Name"), u"PreNamePost");
  EXPECT_EQ(RVIniKey(u"Bad%d", u"Name"), u"Name");
}

TEST(StyleBase, AssignAndNamesList) {
  TEmptyRVStyle sheet;
  TFontInfo* a = sheet.TextStyles()->Add();
  a->StyleName = u"One";
  a->BaseStyleNo = 3;
  a->Standard = false;
  a->StyleTemplateId = 9;
  TFontInfo* b = sheet.TextStyles()->Add();
  b->Assign(a);
  EXPECT_EQ(b->StyleName, u"One");
  EXPECT_EQ(b->BaseStyleNo, 3);
  EXPECT_FALSE(b->Standard);
  EXPECT_EQ(b->StyleTemplateId, 9);
  TStringList names;
  sheet.TextStyles()->AssignTo(&names);
  ASSERT_EQ(names.Count(), 2);
  EXPECT_EQ(names[1], u"One");
  EXPECT_EQ(sheet.ParaStyles()->Add()->StyleName, u"Paragraph Style");
  EXPECT_EQ(sheet.ListStyles()->Add()->StyleName, u"List Style");
  EXPECT_EQ(a->GetRVStyle(), &sheet);
  TRVUnitsRect rect(nullptr);
  EXPECT_THROW(a->Assign(&rect), EConvertError);
}

TEST(StyleBase, TemplateIdLeftOutOfIniWhenSheetIgnoresTemplates) {
  TEmptyRVStyle sheet;
  TFontInfo* f = sheet.TextStyles()->Add();
  f->StyleTemplateId = 5;
  auto ini = NewIni();
  f->TCustomFontOrParaRVInfo::SaveToINI(ini.get(), u"S", u"%s");
  EXPECT_EQ(ini->ReadInteger(u"S", u"StyleTemplateId", 0), 5);
  sheet.IgnoreStyleTemplates = true;
  auto ini2 = NewIni();
  f->TCustomFontOrParaRVInfo::SaveToINI(ini2.get(), u"S", u"%s");
  EXPECT_FALSE(ini2->ValueExists(u"S", u"StyleTemplateId"));
}

TEST(StyleBase, UnitsRect) {
  TRVUnitsRect a(nullptr), b(nullptr);
  a.SetAll(1.5L);
  a.Top = 2;
  b.Assign(&a);
  EXPECT_EQ(b.Left, 1.5L);
  EXPECT_EQ(b.Top, 2);
  EXPECT_TRUE(AreRectsEqual(TRect(1, 2, 3, 4), TRect(1, 2, 3, 4)));
  EXPECT_FALSE(AreRectsEqual(TRect(1, 2, 3, 4), TRect(1, 2, 3, 5)));
}

// ---- merging ---------------------------------------------------------------------------------------

class MergeTest : public ::testing::Test {
 protected:
  TEmptyRVStyle own;
  TEmptyRVStyle incoming;
  TRVStyleMapping map;
  void AddFonts(TRVStyle& s, std::initializer_list<TColor> colors) {
    for (TColor c : colors) s.TextStyles()->Add()->Color = c;
  }
};

TEST_F(MergeTest, SmartMergeOfEqualCollectionsIsIdentity) {
  AddFonts(own, {clRed, clBlue, clGreen});
  AddFonts(incoming, {clRed, clBlue, clGreen});
  own.TextStyles()->MergeWith(incoming.TextStyles(), rvs_merge_SmartMerge, map, nullptr);
  EXPECT_EQ(V(map), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(own.TextStyles()->Count(), 3);
}

TEST_F(MergeTest, SmartMergeFindsMovedStylesAndAppendsNewOnes) {
  AddFonts(own, {clRed, clBlue});
  AddFonts(incoming, {clBlue, clYellow, clRed});
  own.TextStyles()->MergeWith(incoming.TextStyles(), rvs_merge_SmartMerge, map, nullptr);
  EXPECT_EQ(V(map), (std::vector<int>{1, 2, 0}));
  ASSERT_EQ(own.TextStyles()->Count(), 3);
  EXPECT_EQ(own.TextStyles()->Items(2)->Color, clYellow);
  EXPECT_FALSE(own.TextStyles()->Items(2)->Standard);
}

TEST_F(MergeTest, SmartMergeComparesNextStyleThroughTheMapping) {
  AddFonts(own, {clRed, clBlue});
  own.TextStyles()->Items(1)->NextStyleNo = 0;
  AddFonts(incoming, {clBlue, clRed});
  incoming.TextStyles()->Items(1)->NextStyleNo = 0;  // refers to incoming blue, i.e. own 1
  own.TextStyles()->MergeWith(incoming.TextStyles(), rvs_merge_SmartMerge, map, nullptr);
  // Incoming red (next: own 1) differs from own red (next: none): appended and renumbered.
  EXPECT_EQ(V(map), (std::vector<int>{1, 2}));
  EXPECT_EQ(own.TextStyles()->Items(2)->NextStyleNo, 1);
}

TEST_F(MergeTest, NextStyleBeyondTheMergedOnesIsDropped) {
  TFontInfo* mine = own.TextStyles()->Add();
  TFontInfo* in = incoming.TextStyles()->Add();
  in->NextStyleNo = 5;
  TRVStyleMapping partial = L({0, 1, 2});
  EXPECT_TRUE(mine->IsSimpleEqualEx(in, partial));
  EXPECT_EQ(in->NextStyleNo, -1);
}

TEST_F(MergeTest, NumberedListsNeverShareOneOwnList) {
  TRVListInfo* ownList = own.ListStyles()->Add();
  ownList->Levels()->Add()->ListType = rvlstDecimal;
  ownList->SetListID(77);
  for (int i = 0; i < 2; ++i) {
    TRVListInfo* l = incoming.ListStyles()->Add();
    l->Levels()->Add()->ListType = rvlstDecimal;
    l->SetListID(77);
  }
  own.ListStyles()->MergeWith(incoming.ListStyles(), rvs_merge_SmartMerge, map, nullptr);
  EXPECT_EQ(V(map), (std::vector<int>{0, 1}));
  ASSERT_EQ(own.ListStyles()->Count(), 2);
  EXPECT_EQ(own.ListStyles()->Items(1)->GetListID(), 77);
}

TEST_F(MergeTest, ListsWithOtherIdsAreAppended) {
  own.ListStyles()->Add()->SetListID(1);
  incoming.ListStyles()->Add()->SetListID(2);
  own.ListStyles()->MergeWith(incoming.ListStyles(), rvs_merge_SmartMerge, map, nullptr);
  EXPECT_EQ(V(map), (std::vector<int>{1}));
  EXPECT_EQ(own.ListStyles()->Items(1)->GetListID(), 2);
  // FindSuchStyle ignores the ids.
  EXPECT_EQ(own.ListStyles()->FindSuchStyle(incoming.ListStyles()->Items(0), false), 0);
}

TEST_F(MergeTest, MapModeIntoEmptyCollectionGivesMinusOne) {
  AddFonts(incoming, {clRed, clBlue});
  own.TextStyles()->MergeWith(incoming.TextStyles(), rvs_merge_Map, map, nullptr);
  EXPECT_EQ(V(map), (std::vector<int>{-1, -1}));
}

TEST_F(MergeTest, MapModePrefersSameJumpFlag) {
  TFontInfo* plainSame = own.TextStyles()->Add();
  plainSame->Color = clBlue;
  TFontInfo* link = own.TextStyles()->Add();
  link->Jump = true;
  link->Color = clRed;
  link->SizeDouble = 40;
  TFontInfo* in = incoming.TextStyles()->Add();
  in->Jump = true;
  in->Color = clBlue;
  own.TextStyles()->MergeWith(incoming.TextStyles(), rvs_merge_Map, map, nullptr);
  EXPECT_EQ(V(map), (std::vector<int>{1}));
  in->Jump = false;
  own.TextStyles()->MergeWith(incoming.TextStyles(), rvs_merge_Map, map, nullptr);
  EXPECT_EQ(V(map), (std::vector<int>{0}));
  EXPECT_EQ(own.TextStyles()->Count(), 2);
}

TEST_F(MergeTest, AppendRenumbersReferencesOfAppendedParagraphStyles) {
  own.ParaStyles()->Add();
  for (int i = 0; i < 4; ++i) incoming.ParaStyles()->Add()->LeftIndent = i;
  incoming.ParaStyles()->Items(0)->NextParaNo = 3;
  incoming.ParaStyles()->Items(0)->DefStyleNo = 2;
  incoming.ParaStyles()->Items(1)->BaseStyleNo = 9;  // broken reference
  own.ParaStyles()->MergeWith(incoming.ParaStyles(), rvs_merge_Append, map, nullptr);
  EXPECT_EQ(V(map), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(own.ParaStyles()->Items(1)->NextParaNo, 4);
  EXPECT_EQ(own.ParaStyles()->Items(1)->DefStyleNo, 2);  // no text mapping given
  EXPECT_EQ(own.ParaStyles()->Items(2)->BaseStyleNo, -1);
  TRVStyleMapping textMap = L({7, 8, 9});
  own.ParaStyles()->MergeWith(incoming.ParaStyles(), rvs_merge_Append, map, &textMap);
  EXPECT_EQ(own.ParaStyles()->Items(5)->DefStyleNo, 9);
}

TEST_F(MergeTest, AppendNotifiesTheDocument) {
  struct Listener : IRVStyleAddListener {
    int calls = 0;
    void AfterAddStyle(TCustomRVInfo*) override { ++calls; }
  } listener;
  AddFonts(incoming, {clRed, clBlue});
  own.TextStyles()->MergeWith(incoming.TextStyles(), rvs_merge_Append, map, nullptr, &listener);
  EXPECT_EQ(listener.calls, 2);
}

TEST_F(MergeTest, FindDuplicate) {
  AddFonts(own, {clRed, clBlue, clRed});
  EXPECT_EQ(own.TextStyles()->FindDuplicate(2), 0);
  EXPECT_EQ(own.TextStyles()->FindDuplicate(0), 2);
  EXPECT_EQ(own.TextStyles()->FindDuplicate(1), -1);
  EXPECT_EQ(own.TextStyles()->FindDuplicate(7), -1);
  own.ParaStyles()->Add();
  own.ParaStyles()->Add();
  EXPECT_EQ(own.ParaStyles()->FindDuplicate(1), 0);
  own.ListStyles()->Add();
  own.ListStyles()->Add();
  EXPECT_EQ(own.ListStyles()->FindDuplicate(1), -1);
}

TEST(StyleBase, WriterWriteByte) {
  TMemoryStream ms;
  WriterWriteByte(ms, 0xAB);
  WriterWriteByte(ms, 0x01);
  ASSERT_EQ(ms.GetSize(), 2);
  EXPECT_EQ(static_cast<const unsigned char*>(ms.Memory())[0], 0xAB);
}

TEST(StyleBase, DescendantSheetChoosesItsStyleClasses) {
  struct TMyFontInfo : TFontInfo {
    using TFontInfo::TFontInfo;
  };
  struct TMySheet : TRVStyle {
    TMySheet() : TRVStyle(nullptr) {}
    TCollectionItemClass GetTextStyleClass() const override { return &NewCollectionItem<TMyFontInfo>; }
  } sheet;
  EXPECT_NE(dynamic_cast<TMyFontInfo*>(sheet.TextStyles()->Add()), nullptr);
  TRVStyleMapping map;
  TEmptyRVStyle other;
  other.TextStyles()->Add()->Color = clRed;
  sheet.TextStyles()->MergeWith(other.TextStyles(), rvs_merge_Append, map, nullptr);
  EXPECT_NE(dynamic_cast<TMyFontInfo*>(sheet.TextStyles()->Items(1)), nullptr);
}

TEST(StylePictureData, RoundTripKeepsClassAndSize) {
  TBitmap bmp(7, 5);
  TMemoryStream ms;
  RVWritePictureData(ms, &bmp);
  ms.SetPosition(0);
  std::unique_ptr<TGraphic> back = RVReadPictureData(ms);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->ClassName(), bmp.ClassName());
  EXPECT_EQ(back->GetWidth(), 7);
  EXPECT_EQ(back->GetHeight(), 5);
}

TEST(StylePictureData, DamagedDataGivesNil) {
  TBitmap bmp(3, 3);
  TMemoryStream good;
  RVWritePictureData(good, &bmp);
  const std::string bytes(static_cast<const char*>(good.Memory()), static_cast<std::size_t>(good.GetSize()));
  const std::string unknown = std::string(1, '\x07') + "TNoSuch" + bytes.substr(1 + bytes[0]);
  const struct {
    const char* Name;
    std::string Data;
  } cases[] = {
      {"empty", ""},
      {"name cut short", bytes.substr(0, 4)},
      {"graphic cut short", bytes.substr(0, bytes.size() / 2)},
      {"unknown class", unknown},
  };
  for (const auto& c : cases) {
    TMemoryStream ms;
    ms.WriteBuffer(c.Data.data(), static_cast<std::int64_t>(c.Data.size()));
    ms.SetPosition(0);
    EXPECT_EQ(RVReadPictureData(ms), nullptr) << c.Name;
  }
}

TEST(StyleIni, PropertyWriterWritesOnlySelectedNonDefaultValues) {
  auto ini = NewIni();
  const TRVParaInfoProperties selected{rvpiSpaceBefore, rvpiSpaceAfter, rvpiNoWrap};
  const TRVIniPropWriter write(ini.get(), u"S", u"X%s", selected);
  write.Int(rvpiSpaceBefore, u"SpaceBefore", 0, 5);
  write.Int(rvpiSpaceAfter, u"SpaceAfter", 0, 0);
  write.Int(rvpiLeftIndent, u"LeftIndent", 0, 9);
  write.Bool(rvpiNoWrap, u"NoWrap", false, true);
  write.Bool(rvpiReadOnly, u"ReadOnly", false, true);
  EXPECT_EQ(ini->ReadInteger(u"S", u"XSpaceBefore", 0), 5);
  EXPECT_FALSE(ini->ValueExists(u"S", u"XSpaceAfter"));
  EXPECT_FALSE(ini->ValueExists(u"S", u"XLeftIndent"));
  EXPECT_TRUE(IniReadBool(ini.get(), u"S", u"XNoWrap", false));
  EXPECT_FALSE(ini->ValueExists(u"S", u"XReadOnly"));
}
