#include "platform/base/IniFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/base/NLS.h"

namespace {

class IniFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetACP(1252);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    FPath = std::string(TAVRELO_TEST_OUTPUT) + "/ini-" + info->name() + ".ini";
    std::remove(FPath.c_str());
  }
  void TearDown() override {
    chmod(FPath.c_str(), 0644);
    std::remove(FPath.c_str());
  }
  UnicodeString Name() const { return Utf8ToUnicode(FPath); }
  std::string FileBytes() const {
    std::ifstream f(FPath, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  void SetFileBytes(const std::string& bytes) const {
    std::ofstream f(FPath, std::ios::binary | std::ios::trunc);
    f << bytes;
  }
  // The file as an independent parser sees it: "section|key|value" lines, option names as written.
  std::string ParsedByPython() const {
    const std::string cmd =
        "python3 -c \"import configparser,sys\n"
        "c=configparser.ConfigParser(interpolation=None,strict=True)\n"
        "c.optionxform=str\n"
        "c.read(sys.argv[1],encoding='cp1252')\n"
        "out=[s+'|'+k+'|'+v for s in c.sections() for k,v in c.items(s)]\n"
        "sys.stdout.buffer.write('\\n'.join(out).encode('utf-8'))\" '" +
        FPath + "' 2>&1";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
      char buf[4096];
      std::size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
      pclose(p);
    }
    return out;
  }
  std::string FPath;
};

TEST_F(IniFilesTest, WrittenFileParsesWithConfigParser) {
  {
    TMemIniFile ini(Name());
    ini.WriteString(u"Styles", u"FontName0", u"Times New Roman");
    ini.WriteInteger(u"Styles", u"SizeDouble0", -24);
    ini.WriteString(u"Styles", u"StyleName_Hex", u"043F0440");
    ini.WriteString(u"Styles", u"Odd", u"50% ; not # a comment = \"quoted\"");
    ini.WriteString(u"Styles", u"Empty", u"");
    ini.WriteString(u"Other Section", u"Caf\u00e9", u"cr\u00e8me");
    ini.WriteBool(u"Other Section", u"Flag", true);
    ini.UpdateFile();
  }
  EXPECT_EQ(ParsedByPython(),
            "Styles|FontName0|Times New Roman\n"
            "Styles|SizeDouble0|-24\n"
            "Styles|StyleName_Hex|043F0440\n"
            "Styles|Odd|50% ; not # a comment = \"quoted\"\n"
            "Styles|Empty|\n"
            "Other Section|Caf\xC3\xA9|cr\xC3\xA8me\n"
            "Other Section|Flag|1");
}

TEST_F(IniFilesTest, ValuesRoundTripThroughTheFile) {
  struct Case {
    UnicodeString section, key, value;
  };
  const Case cases[] = {
      {u"A", u"Plain", u"text with spaces inside"},
      {u"A", u"Symbols", u"=;#[]\"'%$\\"},
      {u"A", u"Latin1", u"\u00e0\u00e9\u00ee\u00f5\u00fc\u00df"},
      {u"A", u"Cp1252Only", u"\u20ac\u2013\u201c\u201d"},
      {u"B", u"Long", UnicodeString(5000, u'z')},
      {u"B", u"Empty", u""},
  };
  {
    TIniFile ini(Name());
    for (const Case& c : cases) ini.WriteString(c.section, c.key, c.value);
  }  // written when the object goes
  TMemIniFile back(Name());
  for (const Case& c : cases) EXPECT_EQ(back.ReadString(c.section, c.key, u"?"), c.value) << UnicodeToUtf8(c.key);
}

TEST_F(IniFilesTest, FileIsInTheAnsiCodePage) {
  {
    TMemIniFile ini(Name());
    ini.WriteString(u"S", u"Fr", u"caf\u00e9 \u20ac");
    ini.WriteString(u"S", u"Ru", u"\u043f\u0440\u0438");  // not in 1252
    ini.UpdateFile();
  }
  EXPECT_EQ(FileBytes(), "[S]\r\nFr=caf\xE9 \x80\r\nRu=???\r\n");

  SetACP(1251);
  {
    TMemIniFile ini(Name());
    ini.WriteString(u"S", u"Ru", u"\u043f\u0440\u0438");
    ini.UpdateFile();
  }
  SetACP(1252);
  EXPECT_EQ(FileBytes().substr(FileBytes().size() - 8), "Ru=\xEF\xF0\xE8\r\n");
}

TEST_F(IniFilesTest, KeysIgnoreCaseAndKeepTheirSpelling) {
  TMemIniFile ini(Name());
  ini.WriteString(u"Section", u"FontName", u"one");
  ini.WriteString(u"SECTION", u"fontname", u"two");
  EXPECT_EQ(ini.ReadString(u"section", u"FONTNAME", u""), u"two");
  EXPECT_TRUE(ini.ValueExists(u"sEcTiOn", u"fontNAME"));
  TStringList lines;
  ini.GetStrings(lines);
  EXPECT_EQ(lines.GetText(), u"[Section]\r\nFontName=two\r\n");
}

TEST_F(IniFilesTest, OtherSectionsAndCommentsSurviveAnUpdate) {
  SetFileBytes(
      "; settings of the program\r\n"
      "[Window]\r\n"
      "Left = 10\r\n"
      "# kept\r\n"
      "Top=20\r\n"
      "Top=30\r\n"
      "\r\n"
      "[Styles]\r\n"
      "Old=1\n");
  {
    TMemIniFile ini(Name());
    EXPECT_EQ(ini.ReadInteger(u"Window", u"Top", 0), 20);  // the first of repeated keys counts
    ini.EraseSection(u"Styles");
    ini.WriteString(u"Styles", u"New", u"2");
    ini.UpdateFile();
  }
  EXPECT_EQ(FileBytes(),
            "; settings of the program\r\n"
            "\r\n"
            "[Window]\r\n"
            "Left=10\r\n"
            "# kept\r\n"
            "Top=20\r\n"
            "Top=30\r\n"
            "\r\n"
            "[Styles]\r\n"
            "New=2\r\n");
}

TEST_F(IniFilesTest, ReadOnlyFileLoadsWithoutWriting) {
  const std::string content = "[S]\r\nK=V\r\n";
  SetFileBytes(content);
  ASSERT_EQ(chmod(FPath.c_str(), 0444), 0);
  struct stat before {};
  stat(FPath.c_str(), &before);
  {
    TIniFile ini(Name());
    EXPECT_EQ(ini.ReadString(u"S", u"K", u""), u"V");
    TStringList keys;
    ini.ReadSection(u"S", keys);
    ini.UpdateFile();  // nothing changed: nothing to write
  }
  struct stat after {};
  stat(FPath.c_str(), &after);
  EXPECT_EQ(FileBytes(), content);
  EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
  EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
  if (geteuid() != 0) {  // permissions do not stop root
    TIniFile ini(Name());
    EXPECT_THROW(ini.WriteString(u"S", u"K", u"W"), EIniFileException);
    EXPECT_EQ(ini.ReadString(u"S", u"K", u""), u"V");  // the refused change did not happen
  }
}

TEST_F(IniFilesTest, UnwritableFileIsReported) {
  const UnicodeString missingDir = Name() + u".d/none/x.ini";
  {
    TIniFile ini(missingDir);
    EXPECT_THROW(ini.WriteString(u"S", u"K", u"v"), EIniFileException);
    EXPECT_FALSE(ini.ValueExists(u"S", u"K"));
  }
  TMemIniFile mem(missingDir);
  mem.WriteString(u"S", u"K", u"v");
  try {
    mem.UpdateFile();
    FAIL();
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message().rfind(u"Unable to write to " + missingDir, 0), 0u);
  }
}

TEST_F(IniFilesTest, NamesAndValuesALineCannotHoldAreRefused) {
  struct Case {
    UnicodeString section, key, value;
  };
  const Case cases[] = {
      {u"", u"K", u"v"},       {u"a]b", u"K", u"v"},   {u"a\nb", u"K", u"v"}, {u"S", u"", u"v"},
      {u"S", u"a=b", u"v"},    {u"S", u"[x", u"v"},    {u"S", u";x", u"v"},   {u"S", u"#x", u"v"},
      {u"S", u"a\rb", u"v"},   {u"S", u"K", u"a\r\nb"}, {u"S", u"K", u"a\nb"},
  };
  TMemIniFile ini(u"");
  for (const Case& c : cases) {
    EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), EIniFileException) << UnicodeToUtf8(c.key);
  }
  TStringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections.Count(), 0);
}

TEST_F(IniFilesTest, TypedReadsFallBackToTheDefault) {
  TMemIniFile ini(u"");
  struct Case {
    UnicodeString text;
    int asInt;
    bool asBool;
  };
  const Case cases[] = {
      {u"12", 12, true}, {u"-7", -7, true}, {u"$1F", 31, true}, {u"0x10", 16, true}, {u"0", 0, false},
      {u"abc", -99, true}, {u"Yes", -99, true}, {u"", -99, true}, {u"1.5", -99, true},
  };
  for (const Case& c : cases) {
    ini.WriteString(u"S", u"K", c.text);
    EXPECT_EQ(ini.ReadInteger(u"S", u"K", -99), c.asInt) << UnicodeToUtf8(c.text);
    EXPECT_EQ(ini.ReadBool(u"S", u"K", true), c.asBool) << UnicodeToUtf8(c.text);
  }
  EXPECT_EQ(ini.ReadInteger(u"S", u"Missing", 5), 5);
  ini.WriteFloat(u"S", u"F", 2.25);
  EXPECT_EQ(ini.ReadString(u"S", u"F", u""), u"2.25");
  EXPECT_EQ(ini.ReadFloat(u"S", u"F", 0), 2.25);
  ini.WriteString(u"S", u"K", u"2,5x");
  EXPECT_EQ(ini.ReadFloat(u"S", u"K", 3.5), 3.5);
  ini.WriteBool(u"S", u"B", false);
  EXPECT_EQ(ini.ReadString(u"S", u"B", u""), u"0");
}

TEST_F(IniFilesTest, SectionQueriesAndRemoval) {
  TMemIniFile ini(u"");
  TStringList list;
  list.Add(u"[One]");
  list.Add(u"A=1");
  list.Add(u"B = 2");
  list.Add(u"[Two]");
  list.Add(u"[Three]");
  list.Add(u"C=3");
  ini.SetStrings(list);

  ini.ReadSections(list);
  EXPECT_EQ(list.GetCommaText(), u"One,Two,Three");
  ini.ReadSection(u"one", list);
  EXPECT_EQ(list.GetCommaText(), u"A,B");
  ini.ReadSectionValues(u"One", list);
  EXPECT_EQ(list.GetCommaText(), u"A=1,B=2");
  EXPECT_TRUE(ini.SectionExists(u"Two"));
  EXPECT_TRUE(ini.SectionExists(u" two "));  // names are trimmed as the file trims them
  EXPECT_FALSE(ini.SectionExists(u"Four"));
  EXPECT_FALSE(ini.ValueExists(u"Two", u"A"));

  ini.DeleteKey(u"One", u"a");
  EXPECT_FALSE(ini.ValueExists(u"One", u"A"));
  EXPECT_EQ(ini.ReadString(u"One", u"B", u""), u"2");  // the rest still found after the removal
  ini.EraseSection(u"TWO");
  ini.ReadSections(list);
  EXPECT_EQ(list.GetCommaText(), u"One,Three");
  EXPECT_EQ(ini.ReadString(u"Three", u"C", u""), u"3");
  ini.DeleteKey(u"Nowhere", u"A");  // nothing to do, no error
  ini.EraseSection(u"Nowhere");
}

TEST_F(IniFilesTest, Utf8FileStaysUtf8) {
  SetFileBytes("\xEF\xBB\xBF[S]\r\nRu=\xD0\xBF\r\n");
  {
    TMemIniFile ini(Name());
    EXPECT_EQ(ini.ReadString(u"S", u"Ru", u""), u"\u043f");
    ini.WriteString(u"S", u"More", u"\u0440");
    ini.UpdateFile();
  }
  EXPECT_EQ(FileBytes(), "\xEF\xBB\xBF[S]\r\nRu=\xD0\xBF\r\nMore=\xD1\x80\r\n");
}

}  // namespace
