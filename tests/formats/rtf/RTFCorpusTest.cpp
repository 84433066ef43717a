// The reader over RTF that other programs wrote: tests/data/rtf holds files that an office suite
// and a document converter made from sources in six scripts (make_corpus.sh writes them all),
// hand-made files for code pages and "\u" escapes, and next to each file the plain text the
// office suite exports from it. Every file reads with rtf_ec_OK, and the text of the reader's
// text events is that text. Also the generated 300-page sample of the benchmarks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "formats/rtf/RVRTFPictures.h"
#include "formats/rtf/RVRTFReader.h"
#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Pictures.h"
#include "support/RTFSample.h"

namespace {

namespace fs = std::filesystem;

const fs::path CorpusDir = fs::path(TAVRELO_TEST_DATA) / "rtf";

std::string ReadBytes(const fs::path& Path) {
  std::ifstream f(Path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// What the reader reported, as text: a run that starts a paragraph or a line starts a line of its
// own. 8-bit runs are converted as the builder converts them, with the code page of the run's
// font (or of the document).
//
// Where the reader and the office suite's text export differ by design, this is how the
// comparison treats it:
// - Notes: the export leaves a footnote's text out and writes its number at the anchor. The
//   reader reports a note's text between the note's start and end events (dropped here) and its
//   anchor as a note-character event, for which the running note number is written.
// - Headers and footers: neither side has them (the export leaves them out; the reader skips
//   their groups while no header handler is assigned).
// - Fields: both sides give the result stored in the file, with two exceptions. The reader turns
//   a SEQ field into a sequence event and drops its stored result (with or without a handler),
//   so the test numbers each sequence itself, as the document's numbered-sequence item would
//   show it (the corpus's sequences are decimal). Page-number fields stay out of the corpus's
//   body, since the export recomputes those without a layout (0 where the file holds 1).
// - Table cells: the export writes each cell's paragraphs on lines of their own, as the reader
//   starts a paragraph after each cell end. Empty cells and picture-only paragraphs give empty
//   lines on one side or the other: empty lines are not compared.
// - List labels: the export writes each list paragraph's number or bullet ("1.", "a)", "•")
//   before its text; the reader skips the label groups ("\listtext", "\pntext") by design, the
//   numbering being the builder's work from the list tables. A line of the export that begins
//   with such a label matches a reader line that lacks it (ListLabelMatch), and only so.
struct TEvents {
  TRVRTFErrorCode Result = rtf_ec_OK;
  std::u16string Text;
  int Notes = 0;
};

TEvents ReadEvents(const std::string& Bytes) {
  TEvents e;
  TRVRTFReader reader(nullptr);
  bool inNote = false;
  auto add = [&](const std::u16string& Text, TRVRTFPosition Position) {
    if (inNote) return;
    if (Position != rtf_ts_ContinuePara) e.Text += u'\n';
    e.Text += Text;
  };
  reader.OnNewText = [&](TObject*, const TRVAnsiString& Text, TRVRTFPosition Position) {
    add(reader.AnsiToUnicode(Text, reader.GetCurrentCodePage()), Position);
  };
  reader.OnNewUnicodeText = [&](TObject*, const TRVUnicodeString& Text, TRVRTFPosition Position) {
    add(Text, Position);
  };
  reader.OnNote = [&](TObject*, TRVRTFNoteEventType What, TRVRTFPosition Position) {
    if (What == rtf_ne_Start) {
      inNote = true;
    } else if (What == rtf_ne_End) {
      inNote = false;
    } else if (What == rtf_ne_Character && !inNote) {
      const std::string n = std::to_string(++e.Notes);
      add(std::u16string(n.begin(), n.end()), Position);
    }
  };
  std::map<std::u16string, int> sequences;
  reader.OnNewSeq = [&](TObject*, TRVRTFPosition Position, const TRVUnicodeString& Name, TRVRTFSeqType, bool Reset,
                        int StartFrom) {
    int& n = sequences[Name];
    n = Reset ? StartFrom : n + 1;
    const std::string s = std::to_string(n);
    add(std::u16string(s.begin(), s.end()), Position);
  };
  TMemoryStream in;
  if (!Bytes.empty()) in.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
  in.SetPosition(0);
  e.Result = reader.ReadFromStream(&in);
  return e;
}

// The normalisation of both sides: lines split at line feeds, every run of spaces, tabs and
// other ASCII white space made one space, each line trimmed, empty lines dropped. Tabs are
// compared as spaces because the export and the reader agree on where they stand, not on
// whether a tab beside a space survives.
std::vector<std::string> Lines(const std::u16string& Text) {
  std::vector<std::string> lines;
  std::string line;
  bool space = false;
  auto end = [&] {
    if (!line.empty()) lines.push_back(line);
    line.clear();
    space = false;
  };
  const std::string utf8 = UnicodeToUtf8(Text);
  for (char c : utf8) {
    if (c == '\n') {
      end();
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      space = !line.empty();
    } else {
      if (space) line += ' ';
      space = false;
      line += c;
    }
  }
  end();
  return lines;
}

// The export's line Expected is the reader's line Actual with a list label before it: a bullet
// or a number, letter or roman number ending in "." or ")", and a space.
bool ListLabelMatch(const std::string& Expected, const std::string& Actual) {
  if (Expected.size() <= Actual.size() + 1 || Expected.compare(Expected.size() - Actual.size(), Actual.size(), Actual))
    return false;
  std::string label = Expected.substr(0, Expected.size() - Actual.size());
  if (label.back() != ' ') return false;
  label.pop_back();
  for (const char* bullet : {"\u2022", "\u25e6", "\u25aa", "\u2013", "\u00b7", "\uf0b7", "-", "*"})
    if (label == bullet) return true;
  if (label.size() < 2 || label.size() > 6 || (label.back() != '.' && label.back() != ')')) return false;
  label.pop_back();
  const bool digits = std::all_of(label.begin(), label.end(), [](char c) { return c >= '0' && c <= '9'; });
  const bool letter = label.size() == 1 && std::isalpha(static_cast<unsigned char>(label[0]));
  const bool roman = std::all_of(label.begin(), label.end(),
                                 [](char c) { return std::string("ivxlcIVXLC").find(c) != std::string::npos; });
  return digits || letter || roman;
}

std::string Join(const std::vector<std::string>& Lines) {
  std::string s;
  for (const std::string& l : Lines) s += l + "\n";
  return s;
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(CorpusDir))
    if (entry.path().extension() == ".rtf") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class RTFCorpusTest : public ::testing::TestWithParam<std::string> {};

TEST_P(RTFCorpusTest, ReadsWithTheTextTheOfficeSuiteExports) {
  const std::string bytes = ReadBytes(CorpusDir / (GetParam() + ".rtf"));
  ASSERT_FALSE(bytes.empty());
  const TEvents events = ReadEvents(bytes);
  ASSERT_EQ(events.Result, rtf_ec_OK);

  const std::vector<std::string> actual = Lines(events.Text);
  const std::vector<std::string> fixture = Lines(Utf8ToUnicode(ReadBytes(CorpusDir / (GetParam() + ".txt"))));
  ASSERT_FALSE(fixture.empty());
  // Each line of the export as it should stand in the reader's text: unchanged, or without its
  // list label where the reader's line at that place is the rest of it.
  std::vector<std::string> expected = fixture;
  for (std::size_t i = 0; i < expected.size() && i < actual.size(); ++i)
    if (ListLabelMatch(expected[i], actual[i])) expected[i] = actual[i];
  EXPECT_EQ(Join(actual), Join(expected));
}

// The same files with every handler a builder installs, each taking what it is offered: still
// rtf_ec_OK, the documents' embedded pictures decoded, headers and footers, notes, tables and
// the style sheet reported. The hand-made files have none of these.
TEST_P(RTFCorpusTest, ReadsWithEveryHandlerTakingWhatItIsOffered) {
  if (GetParam().rfind("hand_", 0) == 0) GTEST_SKIP() << "no pictures, headers, notes or tables";
  const std::string bytes = ReadBytes(CorpusDir / (GetParam() + ".rtf"));
  TRVRTFReader reader(nullptr);
  int pictures = 0, decoded = 0, headers = 0, notes = 0, tables = 0, styleSheets = 0;
  reader.OnNewText = [](TObject*, const TRVAnsiString&, TRVRTFPosition) {};
  reader.OnNewUnicodeText = [](TObject*, const TRVUnicodeString&, TRVRTFPosition) {};
  reader.OnNewPicture = [&](TObject*, TRVRTFPicture*, TGraphic* Graphic, TRVRTFPosition, const TRVUnicodeString&,
                            bool& Inserted) {
    ++pictures;
    if (Graphic && !Graphic->GetEmpty() && Graphic->GetWidth() > 0 && Graphic->GetHeight() > 0) ++decoded;
    delete Graphic;
    Inserted = true;
  };
  reader.OnHeaderFooter = [&](TObject*, TRVRTFHeaderFooterType, bool Starting, bool& Supported) {
    headers += Starting;
    Supported = true;
  };
  reader.OnNote = [&](TObject*, TRVRTFNoteEventType What, TRVRTFPosition) { notes += What == rtf_ne_Start; };
  reader.OnTable = [&](TObject*, TRVRTFTableEventKind What, bool& Processed) {
    tables += What == rvf_tbl_TableStart;
    Processed = true;
  };
  reader.OnStyleSheet = [&](TObject*) { ++styleSheets; };
  TMemoryStream in;
  in.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  in.SetPosition(0);
  ASSERT_EQ(reader.ReadFromStream(&in), rtf_ec_OK);
  const bool office = GetParam().rfind("lo_", 0) == 0;
  // The office suite's documents hold two pictures each (one in a table cell) and its HTML page
  // none; the converter's documents one.
  EXPECT_EQ(pictures, GetParam() == "lo_mixed" ? 0 : office ? 2 : 1);
  EXPECT_EQ(decoded, pictures);
  EXPECT_GE(tables, 1);
  EXPECT_EQ(notes, GetParam() == "lo_mixed" ? 0 : 1);
  if (office) {
    EXPECT_EQ(styleSheets, 1);
    if (GetParam() != "lo_mixed") {
      EXPECT_GE(headers, 2);  // the header and the footer
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, RTFCorpusTest, ::testing::ValuesIn(CorpusFiles()),
                         [](const ::testing::TestParamInfo<std::string>& Info) { return Info.param; });

TEST(RTFCorpus, HoldsBothWritersEveryScriptAndTheHandMadeFiles) {
  const std::vector<std::string> names = CorpusFiles();
  for (const char* name : {"lo_latin", "lo_cyrillic", "lo_greek", "lo_hebrew", "lo_arabic", "lo_cjk", "lo_mixed",
                           "pd_latin", "pd_cyrillic", "pd_greek", "pd_hebrew_arabic", "pd_cjk", "hand_cp1251",
                           "hand_fcharset", "hand_uc0", "hand_uc1", "hand_uc2"})
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  for (const std::string& n : names) EXPECT_TRUE(fs::exists(CorpusDir / (n + ".txt"))) << n;
}

// The normalisation and the list-label rule themselves: a label is dropped only where the
// reader's line is the rest of the export's line.
TEST(RTFCorpus, ListLabelMatchesOnlyALabel) {
  struct {
    const char* Expected;
    const char* Actual;
    bool Match;
  } cases[] = {
      {"1. First item", "First item", true},   {"12) Twelve", "Twelve", true},    {"a) Left cell", "Left cell", true},
      {"iv. Fourth", "Fourth", true},          {"\u2022 Bullet", "Bullet", true}, {"First item", "First item", false},
      {"Item 1. First", "First", false},       {"1.First", "First", false},       {"word. First", "First", false},
      {"1. First item", "Second item", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ListLabelMatch(c.Expected, c.Actual), c.Match) << c.Expected;
  EXPECT_EQ(Lines(u"  a \t b  \n\n\t\nc"), (std::vector<std::string>{"a b", "c"}));
}

// The generated sample of the benchmarks reads whole: one line of text for every paragraph
// but the pictures' own, its Cyrillic paragraphs decoded through their Windows-1251 font, and
// nothing of its list labels or notes (no note handler here: the reader skips notes).
TEST(RTFSample, ReadsWithAParagraphForEveryParagraphWritten) {
  TRTFSampleInfo info;
  const std::string rtf = GenerateRTFSample({.Seed = 3}, &info);
  EXPECT_EQ(rtf, GenerateRTFSample({.Seed = 3}));
  EXPECT_NE(rtf, GenerateRTFSample({.Seed = 4}));
  EXPECT_GT(info.Bytes, 2'500'000u);
  EXPECT_LT(info.Bytes, 3'500'000u);
  EXPECT_GT(info.Tables, 0);
  EXPECT_GT(info.Pictures, 0);
  EXPECT_GT(info.BinaryPictures, 0);

  TRVRTFReader reader(nullptr);
  std::u16string text;
  reader.OnNewText = [&](TObject*, const TRVAnsiString& Text, TRVRTFPosition Position) {
    if (Position != rtf_ts_ContinuePara) text += u'\n';
    text += reader.AnsiToUnicode(Text, reader.GetCurrentCodePage());
  };
  reader.OnNewUnicodeText = [&](TObject*, const TRVUnicodeString& Text, TRVRTFPosition Position) {
    if (Position != rtf_ts_ContinuePara) text += u'\n';
    text += Text;
  };
  TMemoryStream in;
  in.WriteBuffer(rtf.data(), static_cast<std::int64_t>(rtf.size()));
  in.SetPosition(0);
  ASSERT_EQ(reader.ReadFromStream(&in), rtf_ec_OK);

  const std::vector<std::string> lines = Lines(text);
  EXPECT_EQ(static_cast<int>(lines.size()), info.Paragraphs - info.Pictures);
  // U+0430..U+044F in UTF-8 begin with the byte D0 or D1.
  const int cyrillic = static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
    return l.size() > 1 && (static_cast<unsigned char>(l[0]) == 0xD0 || static_cast<unsigned char>(l[0]) == 0xD1);
  }));
  EXPECT_EQ(cyrillic, info.CyrillicParagraphs);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("\u2022") == 0; }), 0);
}

}  // namespace
