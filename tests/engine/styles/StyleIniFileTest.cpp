// Every collection of the sheet written to one INI file, read back, and checked by an
// independent INI parser.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>

#include "StyleTestUtil.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/StyleTemplate.h"

namespace {

void FillSheet(TRVStyle& s) {
  const char16_t* names[] = {u"Normal text", u"\u0417\u0430\u0433\u043E\u043B\u043E\u0432\u043E\u043A",
                             u"Link = here; [x]"};
  for (int i = 0; i < 3; ++i) {
    TFontInfo* f = s.TextStyles()->Add();
    f->StyleName = names[i];
    f->SizeDouble = 20 + 3 * i;
    f->Color = i == 1 ? clRed : clWindowText;
    f->Jump = i == 2;
    f->Style = i == 1 ? TFontStyles{fsBold} : TFontStyles{};
    f->NextStyleNo = i == 2 ? 0 : -1;
  }
  for (int i = 0; i < 2; ++i) {
    TParaInfo* p = s.ParaStyles()->Add();
    p->StyleName = names[i];
    p->LeftIndent = 10 * i;
    p->Border()->Style = i == 1 ? rvbDouble : rvbNone;
    p->Tabs()->Add()->SetPosition(100 + i);
    p->Tabs()->Items(0)->Leader = u"\u2026";
  }
  TRVListInfo* l = s.ListStyles()->Add();
  l->StyleName = UnicodeString(600, u'\u0416');  // long and not ASCII
  l->SetListID(99);
  l->Levels()->Add()->FormatString = u"\u25CF";
  l->Levels()->Add()->ListType = rvlstDecimal;
  TRVStyleTemplate* t = s.StyleTemplates()->Add();
  t->SetName(u"Normal");
  t->ValidParaProperties = {rvpiSpaceAfter};
  t->ParaStyle()->SetSpaceAfter(5);
}

void SaveSheet(TRVStyle& s, TCustomIniFile* ini) {
  ini->WriteInteger(u"Text", u"Count", s.TextStyles()->Count());
  for (int i = 0; i < s.TextStyles()->Count(); ++i)
    s.TextStyles()->Items(i)->SaveToINI(ini, u"Text", u"TS" + IntToStr(i) + u"%s", AllTextStyleProperties);
  ini->WriteInteger(u"Para", u"Count", s.ParaStyles()->Count());
  for (int i = 0; i < s.ParaStyles()->Count(); ++i)
    s.ParaStyles()->Items(i)->SaveToINI(ini, u"Para", u"PS" + IntToStr(i) + u"%s", AllParaStyleProperties);
  ini->WriteInteger(u"Lists", u"Count", s.ListStyles()->Count());
  for (int i = 0; i < s.ListStyles()->Count(); ++i)
    s.ListStyles()->Items(i)->SaveToINI(ini, u"Lists", u"LS" + IntToStr(i) + u"%s");
  s.StyleTemplates()->SaveToINI(ini, u"Templates");
}

void LoadSheet(TRVStyle& s, TCustomIniFile* ini) {
  for (int i = 0, n = ini->ReadInteger(u"Text", u"Count", 0); i < n; ++i)
    s.TextStyles()->Add()->LoadFromINI(ini, u"Text", u"TS" + IntToStr(i) + u"%s", false, 101);
  for (int i = 0, n = ini->ReadInteger(u"Para", u"Count", 0); i < n; ++i)
    s.ParaStyles()->Add()->LoadFromINI(ini, u"Para", u"PS" + IntToStr(i) + u"%s");
  for (int i = 0, n = ini->ReadInteger(u"Lists", u"Count", 0); i < n; ++i)
    s.ListStyles()->Add()->LoadFromINI(ini, u"Lists", u"LS" + IntToStr(i) + u"%s");
  s.StyleTemplates()->LoadFromINI(ini, u"Templates");
  s.StyleTemplates()->UpdateReferences();
}

}  // namespace

TEST(StyleIniFile, EveryCollectionRoundTripsThroughAFile) {
  const UnicodeString path = Utf8ToUnicode(TAVRELO_TEST_OUTPUT "/styles-roundtrip.ini");
  // Keys at their defaults are not written: a file left by an earlier run must not lend its own.
  std::remove(TAVRELO_TEST_OUTPUT "/styles-roundtrip.ini");
  TEmptyRVStyle sheet;
  FillSheet(sheet);
  {
    TIniFile ini(path);
    SaveSheet(sheet, &ini);
    ini.UpdateFile();
  }
  TEmptyRVStyle back;
  {
    TMemIniFile ini(path);
    LoadSheet(back, &ini);
  }
  ASSERT_EQ(back.TextStyles()->Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(back.TextStyles()->Items(i)->IsEqual(sheet.TextStyles()->Items(i), {})) << i;
    EXPECT_EQ(back.TextStyles()->Items(i)->StyleName, sheet.TextStyles()->Items(i)->StyleName);
  }
  ASSERT_EQ(back.ParaStyles()->Count(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(back.ParaStyles()->Items(i)->IsEqual(sheet.ParaStyles()->Items(i), {})) << i;
  ASSERT_EQ(back.ListStyles()->Count(), 1);
  EXPECT_TRUE(back.ListStyles()->Items(0)->IsSimpleEqual(sheet.ListStyles()->Items(0), false, false));
  EXPECT_EQ(back.ListStyles()->Items(0)->StyleName, sheet.ListStyles()->Items(0)->StyleName);
  ASSERT_EQ(back.StyleTemplates()->Count(), 1);
  EXPECT_EQ(back.StyleTemplates()->NormalStyleTemplate(), back.StyleTemplates()->Items(0));
  EXPECT_EQ(back.StyleTemplates()->Items(0)->ParaStyle()->GetSpaceAfter(), 5);

  // An independent parser reads the same file, with key spelling kept.
  if (std::system("python3 -c 'import configparser' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  const std::string out = TAVRELO_TEST_OUTPUT "/styles-roundtrip.keys";
  const std::string cmd =
      "python3 -c \"import configparser,sys\n"
      "c = configparser.ConfigParser(interpolation=None, strict=True)\n"
      "c.optionxform = str\n"
      "c.read(sys.argv[1], encoding='latin-1')\n"
      "open(sys.argv[2], 'w').write('\\n'.join(s + ':' + k for s in c.sections() for k in c[s]))\" " +
      UnicodeToUtf8(path) + " " + out;
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream keys(out);
  std::set<std::string> found;
  for (std::string line; std::getline(keys, line);) found.insert(line);
  for (const char* key : {"Text:TS1StyleName", "Text:TS1StyleName_Hex", "Text:TS1Bold", "Text:TS2Jump",
                          "Para:PS1BorderStyle", "Para:PS0TabTabLeader0_Hex", "Lists:LS0StyleName_Hex",
                          "Lists:LS0LvlFormatString0_Hex", "Lists:LS0LvlListType1", "Templates:STName0"})
    EXPECT_EQ(found.count(key), 1u) << key;
}
