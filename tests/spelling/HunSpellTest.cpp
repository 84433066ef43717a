// The spelling component against the hunspell command line tool's answers for the same
// dictionaries (tests/data/spelling, made by make_answers.sh), its word lists and the user word
// list file, and dictionaries in the encodings a dictionary may name.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/HunspellLayer.h"
#include "platform/base/SysUtils.h"
#include "spelling/RVHunSpell.h"
#include "spelling/RVISO8859.h"
#include "spelling/RVKoi8.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSystemDicts = "/usr/share/hunspell";

std::u16string U(const std::string& s) { return Utf8ToUnicode(s); }
std::string N(const std::u16string& s) { return UnicodeToUtf8(s); }

// A fresh folder of this test's own under the build's test output.
fs::path TestFolder() {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir =
      fs::path(TAVRELO_TEST_OUTPUT) / "spelling" / (std::string(info->test_suite_name()) + "." + info->name());
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

void Run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

// A dictionary written in UTF-8 and recoded to Charset (an iconv name) under the name Language
// in Folder; the .aff file names the encoding Set.
void MakeDictionary(const fs::path& Folder, const std::string& Language, const std::string& Set,
                    const std::string& Charset, const std::vector<std::string>& Words) {
  WriteBytes(Folder / (Language + ".aff.utf8"), "SET " + Set + "\nTRY abc\n");
  std::string dic = std::to_string(Words.size()) + "\n";
  for (const std::string& w : Words) dic += w + "\n";
  WriteBytes(Folder / (Language + ".dic.utf8"), dic);
  for (const char* ext : {".aff", ".dic"}) {
    const fs::path from = Folder / (Language + ext + ".utf8"), to = Folder / (Language + ext);
    Run("iconv -f UTF-8 -t " + Charset + " '" + from.string() + "' > '" + to.string() + "'");
  }
}

bool HaveSystemDictionaries() {
  return fs::exists(kSystemDicts / "en_US.dic") && fs::exists(kSystemDicts / "ru_RU.dic");
}

struct TToolAnswer {
  bool Correct = false;
  std::vector<std::string> Suggestions;
};

// The tool's "-a" answers: "*", "+ root" or "-" for a correct word, "& word n offset: a, b" or
// "# word offset" for a misspelled one; one line a word, blank lines between.
std::vector<TToolAnswer> ReadAnswers(const fs::path& p) {
  std::vector<TToolAnswer> answers;
  std::istringstream in(ReadBytes(p));
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    TToolAnswer a;
    a.Correct = line[0] == '*' || line[0] == '+' || line[0] == '-';
    if (line[0] == '&') {
      std::string list = line.substr(line.find(": ") + 2);
      for (std::size_t start = 0;;) {
        const std::size_t comma = list.find(", ", start);
        a.Suggestions.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 2;
      }
    }
    answers.push_back(a);
  }
  return answers;
}

std::vector<std::string> ReadWords(const fs::path& p) {
  std::vector<std::string> words;
  std::istringstream in(ReadBytes(p));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) words.push_back(line);
  return words;
}

std::vector<std::string> Strings(const TStrings& list) {
  std::vector<std::string> r;
  for (int i = 0; i < list.Count(); ++i) r.push_back(N(list.Get(i)));
  return r;
}

// A component whose user word list is a file of its own, so that no test touches the user's.
struct TSpeller : TRVHunSpell {
  explicit TSpeller(const fs::path& Folder) : TRVHunSpell(nullptr) {
    SetCustomDictionaryFileName(U((Folder / "customdic.txt").string()));
  }
};

}  // namespace

// ---- against the command line tool ----------------------------------------------------------

class HunSpellTool : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!HaveSystemDictionaries()) return;
    Folder = new fs::path(fs::path(TAVRELO_TEST_OUTPUT) / "spelling" / "tool");
    fs::remove_all(*Folder);
    fs::create_directories(*Folder);
    // The Russian dictionary recoded to KOI8-R, as make_answers.sh recodes it for the tool.
    const std::string aff = (kSystemDicts / "ru_RU.aff").string(), dic = (kSystemDicts / "ru_RU.dic").string();
    const std::string to = (*Folder / "ru_RU_KOI8").string();
    if (std::system(
            ("sed '1s/^SET UTF-8/SET KOI8-R/' " + aff + " | iconv -f UTF-8 -t KOI8-R > " + to + ".aff").c_str()) ||
        std::system(("iconv -f UTF-8 -t KOI8-R " + dic + " > " + to + ".dic").c_str()))
      return;
    System = new TSpeller(*Folder);
    System->SetDictDir(U(kSystemDicts.string()));
    System->GetDictionaries()->Add()->Load(u"en_US");
    System->GetDictionaries()->Add()->Load(u"ru_RU");
    Koi8 = new TSpeller(*Folder);
    Koi8->SetDictDir(U(Folder->string()));
    Koi8->GetDictionaries()->Add()->Load(u"ru_RU_KOI8");
  }
  static void TearDownTestSuite() {
    delete System;
    delete Koi8;
    delete Folder;
    System = Koi8 = nullptr;
    Folder = nullptr;
  }
  void SetUp() override {
    if (!System) GTEST_SKIP() << "the Debian dictionaries hunspell-en-us and hunspell-ru are not installed";
  }

  // Every word of the list is accepted or rejected as the tool says, with its suggestions.
  static void CompareWithTool(TRVHunSpell& Speller, const std::u16string& Language, const std::string& Words,
                              const std::string& Answers) {
    const fs::path data = fs::path(TAVRELO_TEST_DATA) / "spelling";
    const std::vector<std::string> words = ReadWords(data / Words);
    const std::vector<TToolAnswer> answers = ReadAnswers(data / Answers);
    ASSERT_EQ(words.size(), answers.size());
    int rejected = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
      SCOPED_TRACE(words[i]);
      EXPECT_EQ(Speller.Spell(U(words[i]), Language), answers[i].Correct);
      if (answers[i].Correct) continue;
      ++rejected;
      // A list that compares case-sensitively keeps "Oz" beside "oz", as the tool does.
      TStringList suggestions;
      suggestions.CaseSensitive = true;
      Speller.Suggest(U(words[i]), suggestions, Language);
      EXPECT_EQ(Strings(suggestions), answers[i].Suggestions);
    }
    EXPECT_GT(rejected, 5);
  }

  static fs::path* Folder;
  static TRVHunSpell* System;
  static TRVHunSpell* Koi8;
};

fs::path* HunSpellTool::Folder = nullptr;
TRVHunSpell* HunSpellTool::System = nullptr;
TRVHunSpell* HunSpellTool::Koi8 = nullptr;

TEST_F(HunSpellTool, EnglishUtf8) {
  EXPECT_EQ(System->GetDictionaries()->Items(0)->GetEncoding(), rvhseUTF8);
  CompareWithTool(*System, u"en_US", "en_US.words", "en_US.answers");
}

TEST_F(HunSpellTool, RussianUtf8) { CompareWithTool(*System, u"ru_RU", "ru_RU.words", "ru_RU.answers"); }

TEST_F(HunSpellTool, RussianKoi8) {
  ASSERT_EQ(Koi8->GetDictionaries()->Count(), 1);
  EXPECT_EQ(Koi8->GetDictionaries()->Items(0)->GetEncoding(), rvhseKOI8);
  CompareWithTool(*Koi8, u"ru_RU_KOI8", "ru_RU.words", "ru_RU_KOI8.answers");
}

TEST_F(HunSpellTool, LanguageSelectsTheDictionaries) {
  // en_US skips ru_RU in both calls; no language asks every dictionary.
  EXPECT_FALSE(System->Spell(u"привет", u"en_US"));
  EXPECT_TRUE(System->Spell(u"привет", u"ru_RU"));
  EXPECT_TRUE(System->Spell(u"привет"));
  EXPECT_TRUE(System->Spell(u"hello"));
  TStringList suggestions;
  System->Suggest(u"превет", suggestions, u"en_US");
  EXPECT_EQ(suggestions.Count(), 0);
  System->Suggest(u"превет", suggestions);
  EXPECT_GT(suggestions.Count(), 0);
  TStringList languages;
  languages.Assign(System->GetDictionaries());
  EXPECT_EQ(Strings(languages), (std::vector<std::string>{"en_US", "ru_RU"}));
}

TEST_F(HunSpellTool, WordsTooLongOrHoldingAZero) {
  // Far beyond any buffer of the library or of ours: misspelled, no suggestions, no fault.
  for (const std::u16string& word :
       {std::u16string(100000, u'a'), std::u16string(5000, u'ж'), u"hello" + std::u16string(300, u'x')}) {
    EXPECT_FALSE(System->Spell(word));
    TStringList suggestions;
    System->Suggest(word, suggestions);
  }
  // A zero would end the word early for the library: "hello\0xq" is not "hello".
  const std::u16string withZero(u"hello\0xq", 8);
  EXPECT_TRUE(System->Spell(u"hello"));
  EXPECT_FALSE(System->Spell(withZero));
}

TEST_F(HunSpellTool, ChecksFromSeveralThreadsWhileTheListsChange) {
  TSpeller speller(*Folder);
  speller.SetDictDir(U(kSystemDicts.string()));
  ASSERT_TRUE(speller.GetDictionaries()->Add()->Load(u"en_US"));
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 300; ++i)
        if (!speller.Spell(u"hello") || speller.Spell(u"wrold")) ++wrong;
    });
  for (int i = 0; i < 300; ++i) speller.AddToIgnoreList(U("zzword" + std::to_string(i)));
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_TRUE(speller.Spell(u"zzword299"));
}

// ---- without dictionaries, and dictionaries that fail ---------------------------------------

TEST(HunSpell, WithoutDictionaries) {
  const fs::path dir = TestFolder();
  TSpeller speller(dir);
  EXPECT_TRUE(speller.Spell(u"a"));
  EXPECT_TRUE(speller.Spell(u""));
  EXPECT_FALSE(speller.Spell(u"ab"));
  EXPECT_TRUE(speller.GetActive());  // every one of no dictionaries is loaded
  TStringList suggestions;
  suggestions.Add(u"old");
  speller.Suggest(u"ab", suggestions);
  EXPECT_EQ(suggestions.Count(), 0);
}

TEST(HunSpell, DictionariesThatFailToLoadAreDropped) {
  const fs::path dir = TestFolder();
  MakeDictionary(dir, "good", "UTF-8", "UTF-8", {"apple", "pear"});
  // Half a dictionary: the word list without its affix file.
  MakeDictionary(dir, "noaff", "UTF-8", "UTF-8", {"apple"});
  fs::remove(dir / "noaff.aff");
  // A word list without the word count the library needs on its first line.
  MakeDictionary(dir, "garbage", "UTF-8", "UTF-8", {});
  WriteBytes(dir / "garbage.dic", std::string("\x01\x02\x03 not a dictionary\n", 22));
  // An empty word list file.
  WriteBytes(dir / "empty.aff", "SET UTF-8\n");
  WriteBytes(dir / "empty.dic", "");
  TSpeller speller(dir);
  speller.SetDictDir(U(dir.string()));
  speller.LoadAllDictionaries();
  TStringList languages;
  languages.Assign(speller.GetDictionaries());
  EXPECT_EQ(Strings(languages), std::vector<std::string>{"good"});
  EXPECT_TRUE(speller.Spell(u"apple"));
  EXPECT_FALSE(speller.Spell(u"banana"));
  // Loading again loads no language twice.
  speller.LoadAllDictionaries();
  EXPECT_EQ(speller.GetDictionaries()->Count(), 1);

  // A failed load leaves the dictionary inactive with an empty language.
  TDictionary* d = speller.GetDictionaries()->Add();
  EXPECT_FALSE(d->Load(u"noaff"));
  EXPECT_FALSE(d->GetActive());
  EXPECT_TRUE(d->GetLanguage().empty());
  EXPECT_FALSE(d->Load(u"missing"));
  // The same language again answers at once; another one unloads the first.
  ASSERT_TRUE(d->Load(u"good"));
  EXPECT_TRUE(d->Load(u"good"));
  EXPECT_FALSE(d->Load(u"garbage"));
  EXPECT_FALSE(d->GetActive());
  // A different folder unloads every dictionary.
  speller.SetDictDir(U((dir / "elsewhere").string()));
  EXPECT_FALSE(speller.GetActive());
  EXPECT_FALSE(speller.Spell(u"apple"));
}

TEST(HunSpell, MissingLibraryIsReported) {
  if (HunspellLibraryLoaded()) HunspellUnloadLibrary();
  EXPECT_FALSE(HunspellLoadLibrary(u"", u"libnot-a-spelling-library.so.0"));
  EXPECT_FALSE(HunspellLoadLibrary(u"/nonexistent", u"libhunspell-1.7.so.0"));
  // A library that lacks the entry points is released again.
  EXPECT_FALSE(HunspellLoadLibrary(u"", u"libz.so.1"));
  EXPECT_FALSE(HunspellLibraryLoaded());
  EXPECT_EQ(hunspell_initialize("/x.aff", "/x.dic"), nullptr);
  EXPECT_EQ(hunspell_spell(nullptr, "word"), 0);
  const fs::path dir = TestFolder();
  MakeDictionary(dir, "good", "UTF-8", "UTF-8", {"apple"});
  {
    TSpeller speller(dir);
    speller.SetDictDir(U(dir.string()));
    speller.SetDllName(u"libnot-a-spelling-library.so.0");
    speller.LoadAllDictionaries();
    EXPECT_EQ(speller.GetDictionaries()->Count(), 0);
    EXPECT_FALSE(speller.Spell(u"apple"));
    EXPECT_TRUE(speller.Spell(u"a"));
  }
  // The configured name and folder find the system's library.
  TSpeller speller(dir);
  speller.SetDictDir(U(dir.string()));
  speller.SetDllDir(u"/usr/lib/x86_64-linux-gnu");
  speller.LoadAllDictionaries();
  if (fs::exists("/usr/lib/x86_64-linux-gnu/libhunspell-1.7.so.0")) {
    EXPECT_EQ(N(HunspellLibraryPath()), "/usr/lib/x86_64-linux-gnu/libhunspell-1.7.so.0");
  }
  EXPECT_TRUE(speller.Spell(u"apple"));
}

// ---- encodings ------------------------------------------------------------------------------

TEST(HunSpellEncoding, ByTheNameTheDictionaryReports) {
  const struct {
    const char* Name;
    TRVHunSpellEncoding Encoding;
    std::uint32_t Number;
  } cases[] = {{"UTF-8", rvhseUTF8, 0},
               {"utf-8", rvhseOther, 0},
               {"KOI8-R", rvhseKOI8, 0},
               {"KOI8-U", rvhseKOI8, 0},
               {"koi8-r", rvhseOther, 0},
               {"ISO8859-1", rvhseISO8859, 1},
               {"ISO8859-15", rvhseISO8859, 15},
               {"ISO8859-x", rvhseISO8859, 0},
               {"ISO-8859-1", rvhseOther, 0},
               {"microsoft-cp1251", rvhseMicrosoftCP, 1251},
               {"microsoft-cp12x", rvhseMicrosoftCP, 0},
               {"TIS620-2533", rvhseOther, 0},
               {"", rvhseOther, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TRVHunSpellEncoding e;
    std::uint32_t n = 99;
    RVHunSpellEncodingOfName(c.Name, e, n);
    EXPECT_EQ(e, c.Encoding);
    EXPECT_EQ(n, c.Number);
  }
}

TEST(HunSpellEncoding, Koi8Tables) {
  // Every Windows-1251 letter goes to KOI8 and back; the Ukrainian letters to KOI8-U's places.
  TRVRawByteString all;
  for (int b = 0xC0; b <= 0xFF; ++b) all += static_cast<char>(b);
  all += "\xA5\xB4\xAA\xBA\xB2\xB3\xAF\xBF\xA8\xB8\x95";
  TRVRawByteString koi = all;
  ConvertCP1251ToKOI8R(koi);
  EXPECT_EQ(koi.substr(0, 2), "\xE1\xE2");  // а б
  EXPECT_EQ(koi.substr(32, 2), "\xC1\xC2");
  EXPECT_EQ(koi.substr(64), "\xBD\xAD\xB4\xA4\xB6\xA6\xB7\xA7\xB3\xA3\x95");
  TRVRawByteString back = koi;
  ConvertKOI8RToCP1251(back);
  EXPECT_EQ(back, all);
  // Bytes without a counterpart: 0x94 one way, '?' the other; ASCII stays.
  TRVRawByteString s = "A\x80\x98\xBB";
  ConvertCP1251ToKOI8R(s);
  EXPECT_EQ(s, "A\x94\x94\x94");
  s = "A\x80\xA0\xBE";
  ConvertKOI8RToCP1251(s);
  EXPECT_EQ(s, "A???");
  int to94 = 0, toQuestion = 0;
  for (int b = 0x80; b <= 0xFF; ++b) {
    TRVRawByteString one(1, static_cast<char>(b)), two(1, static_cast<char>(b));
    ConvertCP1251ToKOI8R(one);
    ConvertKOI8RToCP1251(two);
    to94 += one[0] == '\x94';
    toQuestion += two[0] == '?';
  }
  EXPECT_EQ(to94, 49);
  EXPECT_EQ(toQuestion, 49);
}

TEST(HunSpellEncoding, Iso8859Parts) {
  TRVUnicodeString u;
  TRVRawByteString b;
  // Part 5: Cyrillic byte for byte; the euro sign has no byte.
  EXPECT_TRUE(UnicodeToISO8859(5, u"дом", b));
  EXPECT_EQ(b, "\xD4\xDE\xDC");
  EXPECT_TRUE(ISO8859ToUnicode(5, b, u));
  EXPECT_EQ(u, u"дом");
  EXPECT_FALSE(UnicodeToISO8859(5, u"д€", b));
  EXPECT_EQ(b, "\xD4?");
  // Part 1 is the identity up to U+00FF.
  EXPECT_TRUE(UnicodeToISO8859(1, u"é", b));
  EXPECT_EQ(b, "\xE9");
  EXPECT_FALSE(UnicodeToISO8859(1, u"ē", b));
  // Part 3's table holds '?' at the bytes the part leaves undefined, which is no failure; the
  // other parts hold 0 there (part 8 at A1), which is.
  EXPECT_TRUE(ISO8859ToUnicode(3, "\xA5", u));
  EXPECT_EQ(u, u"?");
  EXPECT_FALSE(ISO8859ToUnicode(8, "a\xA1", u));
  EXPECT_EQ(u, u"a?");
  EXPECT_TRUE(UnicodeToISO8859(15, u"€", b));
  EXPECT_EQ(b, "\xA4");
  // Parts without a table convert nothing.
  for (unsigned part : {11u, 12u, 16u, 0u}) {
    EXPECT_FALSE(UnicodeToISO8859(part, u"ab", b));
    EXPECT_TRUE(b.empty());
    EXPECT_FALSE(ISO8859ToUnicode(part, "ab", u));
  }
  EXPECT_EQ(ISO8859PairList(2)->Find(u'Ł'), 0xA3);
  EXPECT_EQ(ISO8859PairList(2)->Find(u'€'), 0);
}

// Small dictionaries in each kind of encoding, recoded with iconv.
TEST(HunSpellEncoding, DictionariesInEachEncoding) {
  const fs::path dir = TestFolder();
  MakeDictionary(dir, "koi8u", "KOI8-U", "KOI8-U", {"білий", "дім"});
  MakeDictionary(dir, "iso5", "ISO8859-5", "ISO-8859-5", {"дом", "кот"});
  MakeDictionary(dir, "cp1251", "microsoft-cp1251", "CP1251", {"дом", "ёж"});
  MakeDictionary(dir, "latin2", "ISO8859-2", "ISO-8859-2", {"łódź", "żółw"});
  // Encodings without a table or a code page number: recoded by the name they carry.
  MakeDictionary(dir, "thai", "ISO8859-11", "ISO-8859-11", {"ภาษา", "ไทย"});
  MakeDictionary(dir, "latin1", "ISO-8859-1", "ISO-8859-1", {"café", "naïve"});
  TSpeller speller(dir);
  speller.SetDictDir(U(dir.string()));
  speller.LoadAllDictionaries();
  ASSERT_EQ(speller.GetDictionaries()->Count(), 6);
  const struct {
    const char* Language;
    TRVHunSpellEncoding Encoding;
    std::vector<std::string> Correct, Misspelled, Suggestion;
  } cases[] = {
      // і (Windows-1251 B3) must reach the library as KOI8-U's A6; ǅ is outside Windows-1251.
      {"koi8u", rvhseKOI8, {"білий", "дім"}, {"бiлий", "білийǅ", "дом"}, {"білй", "білий"}},
      {"iso5", rvhseISO8859, {"дом", "кот"}, {"дом€", "дім"}, {"дмо", "дом"}},
      {"cp1251", rvhseMicrosoftCP, {"дом", "ёж"}, {"ёжж€"}, {"ёжж", "ёж"}},
      {"latin2", rvhseISO8859, {"łódź", "żółw"}, {"lodz"}, {"żółww", "żółw"}},
      {"thai", rvhseISO8859, {"ภาษา", "ไทย"}, {"ภาษาไทยx"}, {}},
      {"latin1", rvhseOther, {"café", "naïve"}, {"cafe", "caféē"}, {"cafée", "café"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Language);
    const std::u16string language = U(c.Language);
    const TDictionary* d = nullptr;
    for (int i = 0; i < speller.GetDictionaries()->Count(); ++i)
      if (speller.GetDictionaries()->Items(i)->GetLanguage() == language) d = speller.GetDictionaries()->Items(i);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->GetEncoding(), c.Encoding);
    for (const std::string& w : c.Correct) EXPECT_TRUE(speller.Spell(U(w), language)) << w;
    for (const std::string& w : c.Misspelled) EXPECT_FALSE(speller.Spell(U(w), language)) << w;
    if (!c.Suggestion.empty()) {
      TStringList suggestions;
      speller.Suggest(U(c.Suggestion[0]), suggestions, language);
      EXPECT_NE(suggestions.IndexOf(U(c.Suggestion[1])), -1) << N(suggestions.GetText());
    }
  }
  EXPECT_EQ(speller.GetDictionaries()->Items(0)->GetEncodingNumber(), 1251u);  // cp1251 sorts first
}

TEST(HunSpell, TwoDictionariesSuggestingTheSameWordGiveItOnce) {
  const fs::path dir = TestFolder();
  MakeDictionary(dir, "one", "UTF-8", "UTF-8", {"world", "word"});
  MakeDictionary(dir, "two", "UTF-8", "UTF-8", {"world", "wold"});
  TSpeller speller(dir);
  speller.SetDictDir(U(dir.string()));
  speller.LoadAllDictionaries();
  TStringList suggestions;
  speller.Suggest(u"wrold", suggestions);
  std::vector<std::string> s = Strings(suggestions);
  EXPECT_EQ(std::count(s.begin(), s.end(), "world"), 1) << N(suggestions.GetText());
  EXPECT_EQ(std::count(s.begin(), s.end(), "wold"), 1);
}

// ---- the word lists -------------------------------------------------------------------------

TEST(HunSpellLists, IgnoreListAndUserWordsAreExact) {
  const fs::path dir = TestFolder();
  TSpeller speller(dir);
  EXPECT_FALSE(speller.Spell(u"Tavrelo"));
  speller.AddToIgnoreList(u"Tavrelo");
  speller.AddToDictionary(u"Привет");
  EXPECT_TRUE(speller.Spell(u"Tavrelo"));
  EXPECT_TRUE(speller.Spell(u"Привет", u"en_US"));  // the lists hold for every language
  EXPECT_FALSE(speller.Spell(u"tavrelo"));
  EXPECT_FALSE(speller.Spell(u"привет"));
  // Automatic replacements: the word in any letter case finds its replacement.
  speller.AddReplacement(u"teh", u"the");
  TRVUnicodeString to;
  EXPECT_TRUE(speller.FindReplacement(u"TEH", to));
  EXPECT_EQ(to, u"the");
  speller.AddReplacement(u"Teh", u"The");
  EXPECT_EQ(speller.ReplaceFrom().Count(), 1);
  EXPECT_TRUE(speller.FindReplacement(u"teh", to));
  EXPECT_EQ(to, u"The");
  EXPECT_FALSE(speller.FindReplacement(u"thee", to));
}

TEST(HunSpellLists, UserWordsSurviveARestart) {
  const fs::path dir = TestFolder();
  const fs::path file = dir / "customdic.txt";
  {
    TSpeller speller(dir);
    speller.LoadAllDictionaries();
    speller.AddToDictionary(u"zebra");
    speller.AddToDictionary(u"Ärger");
    speller.AddToDictionary(u"apple");
  }
  // UTF-16 little-endian, sorted, every line ended by CR LF, no byte-order mark.
  std::string expected;
  for (char16_t c : std::u16string(u"apple\r\nzebra\r\nÄrger\r\n")) {  // code-unit order
    expected += static_cast<char>(c & 0xFF);
    expected += static_cast<char>(c >> 8);
  }
  EXPECT_EQ(ReadBytes(file), expected);
  TSpeller restarted(dir);
  EXPECT_FALSE(restarted.Spell(u"zebra"));
  EXPECT_TRUE(restarted.LoadCustomDic());
  EXPECT_TRUE(restarted.Spell(u"zebra"));
  EXPECT_TRUE(restarted.Spell(u"Ärger"));
  EXPECT_FALSE(restarted.Spell(u"Zebra"));
}

TEST(HunSpellLists, ListFileIsKeptByComponentsThatDidNotReadIt) {
  const fs::path dir = TestFolder();
  const fs::path file = dir / "customdic.txt";
  { TSpeller(dir).AddToDictionary(u"first"); }
  // A component that never read the list neither deletes nor replaces the file...
  { TSpeller speller(dir); }
  EXPECT_TRUE(fs::exists(file));
  // ...and a word it adds joins the stored ones.
  { TSpeller(dir).AddToDictionary(u"second"); }
  TSpeller speller(dir);
  ASSERT_TRUE(speller.LoadCustomDic());
  EXPECT_EQ(Strings(speller.CustomDic()), (std::vector<std::string>{"first", "second"}));
}

TEST(HunSpellLists, EmptyListDeletesTheFile) {
  const fs::path dir = TestFolder();
  const fs::path file = dir / "customdic.txt";
  WriteBytes(file, std::string("\r\0\n\0", 4));  // one empty line: no words
  {
    TSpeller speller(dir);
    EXPECT_TRUE(speller.LoadCustomDic());
    EXPECT_EQ(speller.CustomDic().Count(), 0);
  }
  EXPECT_FALSE(fs::exists(file));
  // A missing file reads as success and leaves the list as it was.
  TSpeller speller(dir);
  speller.CustomDic().Add(u"kept");
  EXPECT_TRUE(speller.LoadCustomDic());
  EXPECT_EQ(speller.CustomDic().Count(), 1);
}

TEST(HunSpellLists, DamagedListIsReportedAndKept) {
  const fs::path dir = TestFolder();
  const fs::path file = dir / "customdic.txt";
  const std::string damaged("w\0o\0r\0d\0\r\0\n\0x", 13);  // an odd number of bytes
  WriteBytes(file, damaged);
  {
    TSpeller speller(dir);
    EXPECT_FALSE(speller.LoadCustomDic());
    EXPECT_EQ(speller.CustomDic().Count(), 0);
    EXPECT_EQ(ReadBytes(file), damaged);
    speller.AddToDictionary(u"new");
  }
  // The damaged content is kept beside the new list.
  EXPECT_EQ(ReadBytes(dir / "customdic.txt.damaged"), damaged);
  TSpeller speller(dir);
  EXPECT_TRUE(speller.LoadCustomDic());
  EXPECT_EQ(Strings(speller.CustomDic()), std::vector<std::string>{"new"});
  // A byte-order mark another editor wrote is not part of the first word.
  WriteBytes(file, std::string("\xFF\xFEh\0i\0\r\0\n\0", 10));
  EXPECT_TRUE(speller.LoadCustomDic());
  EXPECT_EQ(Strings(speller.CustomDic()), std::vector<std::string>{"hi"});
}

TEST(HunSpellLists, UnwritableListIsReported) {
  const fs::path dir = TestFolder();
  WriteBytes(dir / "afile", "x");
  TSpeller speller(dir);
  // A folder that cannot be made: its parent is a file.
  speller.SetCustomDictionaryFileName(U((dir / "afile" / "customdic.txt").string()));
  speller.CustomDic().Add(u"word");
  EXPECT_FALSE(speller.SaveCustomDic());
  EXPECT_EQ(speller.CustomDic().Count(), 1);
  speller.CustomDic().Clear();
}

TEST(HunSpellLists, ListPathUnderTheUsersDataFolder) {
  const fs::path dir = TestFolder();
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_DATA_HOME", dir.c_str(), 1);
  {
    TRVHunSpell speller(nullptr);
    EXPECT_EQ(N(speller.CustomDicPath()), (dir / "tavrelopad" / "customdic.txt").string());
    speller.SetCustomDictionaryFileName(u"words.txt");
    EXPECT_EQ(N(speller.CustomDicPath()), (dir / "tavrelopad" / "words.txt").string());
    speller.AddToDictionary(u"stored");  // the folder is made when missing
    EXPECT_TRUE(fs::exists(dir / "tavrelopad" / "words.txt"));
    speller.SetCustomDictionaryFileName(u"/elsewhere/words.txt");
    EXPECT_EQ(N(speller.CustomDicPath()), "/elsewhere/words.txt");
    speller.SetCustomDictionaryFileName(u"words.txt");
  }
  setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_EQ(N(TRVHunSpell(nullptr).CustomDicPath()), std::string(home) + "/.local/share/tavrelopad/customdic.txt");
  }
  if (old)
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}

TEST(HunSpell, DictionaryFolder) {
  TRVHunSpell speller(nullptr);
  EXPECT_EQ(speller.GetDictDir(), u"/usr/share/hunspell");  // where Debian's packages put them
  const std::u16string program = ProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), u'/');
  const struct {
    const char16_t* DictDir;
    std::u16string Folder;
  } cases[] = {{u"/usr/share/hunspell", u"/usr/share/hunspell/"},
               {u"/x/", u"/x/"},
               {u"Spell", program + u"Spell/"},  // relative: from the program's folder
               {u"", program}};
  for (const auto& c : cases) {
    speller.SetDictDir(c.DictDir);
    EXPECT_EQ(N(speller.DictFolder()), N(c.Folder));
  }
}

TEST(HunSpell, RegisteredByName) {
  RegisterSpelling();
  RegisterSpelling();
  ASSERT_NE(GetClass(u"TRVHunSpell"), nullptr);
  auto made = GetClass(u"TRVHunSpell")->Create();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->ClassName(), u"TRVHunSpell");
}
