// Glyph runs shown with advances, names written with delimiters in them, pages freed once written
// in one pass, and the failures of a file being written.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "PdfTestUtil.h"
#include "PdfToolRunner.h"
#include "pdf/PDFDocument.h"
#include "pdf/PDFMisc.h"

using namespace pdftest;

namespace {

const char16_t* const kFace = u"DejaVu Sans";

bool HaveFace(const char16_t* face) { return IsTrueTypeFontName(face, ANSI_CHARSET); }

// The glyphs a text line was shown with, read back from the operators: for each glyph its
// position along the line (units of the font size, from the text matrix), and the operators met.
struct TShownLine {
  std::vector<double> Positions;
  int TJ = 0, Tj = 0, Tc = 0, Td = 0, Tf = 0, Numbers = 0;
};

// widthOf(font alias, code): the glyph's width in 1/1000 of the font size.
TShownLine ReadLine(const TAnsiStringList& content, int from,
                    const std::function<int(const std::string&, unsigned char)>& widthOf) {
  TShownLine r;
  std::string font;  // the one selected last, perhaps before the line
  for (int i = 0; i < from; ++i) {
    const std::string& l = content.Get(i);
    if (l.size() > 3 && l.compare(l.size() - 3, 3, " Tf") == 0) font = l.substr(1, l.find(' ') - 1);
  }
  double x = 0, tc = 0;
  for (int i = from; i < content.Count(); ++i) {
    const std::string& l = content.Get(i);
    auto endsWith = [&](const char* op) {
      const std::string o = std::string(" ") + op;
      return l.size() >= o.size() && l.compare(l.size() - o.size(), o.size(), o) == 0;
    };
    if (endsWith("Tf")) {
      ++r.Tf;
      font = l.substr(1, l.find(' ') - 1);
    } else if (endsWith("Tc")) {
      ++r.Tc;
      tc = std::stod(l);
    } else if (endsWith("Td")) {
      ++r.Td;
    } else if (endsWith("Tj")) {
      ++r.Tj;
    } else if (endsWith("TJ")) {
      ++r.TJ;
      // [(..) n (..)] TJ
      std::size_t p = 1;
      while (p < l.size() && l[p] != ']') {
        if (l[p] == '(') {
          for (++p; l[p] != ')'; ++p) {
            unsigned char c = static_cast<unsigned char>(l[p]);
            if (c == '\\') {
              c = static_cast<unsigned char>(l[++p]);
              if (c == 'n') c = '\n';
              else if (c == 'r') c = '\r';
            }
            r.Positions.push_back(x);
            x += widthOf(font, c) / 1000.0 + tc;
          }
          ++p;
        } else {
          std::size_t q = p;
          while (q < l.size() && l[q] != '(' && l[q] != ']') ++q;
          x -= std::stod(l.substr(p, q - p)) / 1000.0;
          ++r.Numbers;
          p = q;
        }
      }
    }
  }
  return r;
}

struct TTextFixture : ::testing::Test {
  TMemoryStream out;
  TPDFDocument doc;
  TPDFPage* page = nullptr;
  void SetUp() override {
    if (!HaveFace(kFace)) GTEST_SKIP() << "the face DejaVu Sans is not installed";
    doc.SetOutputStream(&out);
    doc.BeginDoc();
    page = doc.CurrentPage();
  }
  void TearDown() override {
    if (doc.Printing()) doc.Abort();
  }
};

}  // namespace

// A line of glyphs with their advances is one "TJ" per subset font (after one "Tc" at most): a
// string while the advances agree with the widths, a number where a glyph would stand more than
// 0.05 point off; read back, every glyph stands where it was asked to within that, however long
// the line.
TEST_F(TTextFixture, GlyphsWithAdvancesAreOneArrayPerSubset) {
  struct TCase {
    const char* Name;
    int First, Count, Distinct;  // Count glyphs, indexes First .. First + Distinct - 1 in turn
    double Every, Extra;       // every Every-th glyph moves Extra points further
    int Arrays, Numbers;       // TJ operators; numbers expected at most
  };
  const TCase cases[] = {
      {"natural widths", 36, 40, 40, 1, 0, 1, 0},
      {"a third of a point here and there", 36, 40, 40, 3, 0.33, 1, 14},
      {"a tiny drift on every glyph", 36, 200, 50, 1, 0.0011, 1, 6},
      {"two subset fonts", 36, 150, 150, 7, -0.2, 2, 24},
  };
  const double size = 12;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    page->SetActiveFont(kFace, {}, size);
    TPDFFont* font = page->ResolveFont();
    std::vector<WORD> glyphs;
    std::vector<float> dx;
    std::vector<double> want;  // positions in units of the font size
    std::map<std::pair<int, unsigned char>, int> widths;
    double at = 0;
    for (int i = 0; i < c.Count; ++i) {
      const int g = c.First + i % c.Distinct;
      glyphs.push_back(static_cast<WORD>(g));
      const TNewCharInfo ci = font->GetNewCharByIndex(g);
      widths[{ci.FontIndex, ci.NewCharacter}] = ci.Width;
      want.push_back(at / size);
      const double advance = ci.Width * size / 1000 + ((i + 1) % static_cast<int>(c.Every) == 0 ? c.Extra : 0);
      dx.push_back(static_cast<float>(advance));
      at += dx.back();
    }
    // The subset of an alias: "TTn" is subset 0, "TTn+k" subset k.
    auto widthOf = [&](const std::string& alias, unsigned char code) {
      const auto plus = alias.find('+');
      const int index = plus == std::string::npos ? 0 : std::stoi(alias.substr(plus + 1));
      auto it = widths.find({index, code});
      return it == widths.end() ? -100000 : it->second;
    };
    const int from = page->Content().Count();
    page->ExtGlyphTextOut(100, 100, 0, glyphs.data(), c.Count, dx.data());
    const TShownLine line = ReadLine(page->Content(), from, widthOf);
    EXPECT_EQ(line.Tj, 0);
    EXPECT_LE(line.Tc, 1);
    EXPECT_EQ(line.Td, 0);
    EXPECT_EQ(line.TJ, c.Arrays);
    ASSERT_EQ(line.Positions.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
      EXPECT_NEAR(line.Positions[i] * size, want[i] * size, 0.051) << "glyph " << i;
    EXPECT_LE(line.Numbers, c.Numbers);
  }
  doc.EndDoc();
  ExpectXrefWellFormed(std::string(static_cast<const char*>(out.Memory()), out.GetSize()));
}

TEST(PDFNames, DelimitersAndBytesOutsideAsciiAreEscaped) {
  const struct {
    std::string In, Out;
  } cases[] = {
      {"TT1", "/TT1"},
      {"TT1+2", "/TT1+2"},
      {"Probe Face/X(1)", "/Probe#20Face#2FX#281#29"},
      {"a#b%c<d>e[f]g{h}", "/a#23b#25c#3Cd#3Ee#5Bf#5Dg#7Bh#7D"},
      {std::string("caf\xE9\t\x7F", 7), "/caf#E9#09#7F"},
      {std::string("x\0y", 3), "/xy"},
  };
  for (const auto& c : cases) EXPECT_EQ(PDFName(c.In), c.Out) << c.In;
}

// A radio button's export value becomes a name of the widget and of its group; with a slash and
// parentheses in it the file must still read.
TEST(PDFNames, ExportValuesWithDelimitersKeepTheFileReadable) {
  if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed";
  TScratchDir dir("pdf-names");
  const std::string path = dir.File("radio.pdf");
  TPDFDocument doc;
  doc.SetFileName(Utf8ToUnicode(path));
  doc.BeginDoc();
  TPDFRadioGroup* g = doc.AcroForms().AddRadioGroup("choice");
  new TPDFRadioButton(doc.CurrentPage(), TRect(50, 50, 70, 70), g, "yes/no (1)", true);
  new TPDFRadioButton(doc.CurrentPage(), TRect(50, 80, 70, 100), g, "other", false);
  doc.EndDoc();
  ExpectQpdfClean(path);
  const std::string json = RunTool("qpdf --json --json-key=acroform '" + path + "'");
  EXPECT_NE(json.find("yes/no (1)"), std::string::npos) << json;
}

// The face name reaches the file as the font's name: written under a fontconfig that knows a face
// called "Probe Face/X(1)" (a child run of this program), the file must pass qpdf's check, and
// poppler must list the font by its whole name and extract the text.
TEST(PDFNames, FaceNameWithDelimitersSurvivesIndependentReaders) {
  const char* childOut = std::getenv("TAVRELO_PROBE_FACE_PDF");
  if (childOut) {
    TPDFDocument doc;
    doc.SetFileName(Utf8ToUnicode(childOut));
    doc.BeginDoc();
    doc.CurrentPage()->SetActiveFont(u"Probe Face/X(1)", {}, 24);
    doc.CurrentPage()->TextOut(100, 100, 0, "ABBA");
    doc.EndDoc();
    return;
  }
  if (!HaveTool("qpdf") || !HaveTool("pdffonts") || !HaveTool("pdftotext") || !HaveTool("fc-list"))
    GTEST_SKIP() << "qpdf, poppler-utils and fontconfig's tools are needed";
  TScratchDir dir("pdf-face-name");
  TTinyFont f;
  f.Family = "Probe Face/X(1)";
  f.PostScript = "Probe Face/X(1)";
  f.Glyphs = {TTinyFont::Simple(4), TTinyFont::Simple(4), TTinyFont::Simple(4), TTinyFont::Simple(4)};
  f.Chars = {{' ', 1}, {'A', 2}, {'B', 3}};
  std::filesystem::create_directories(dir.File("fonts"));
  WriteFile(dir.File("fonts/probe.ttf"), f.Build());
  WriteFile(dir.File("fonts.conf"),
            "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
            "<include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n<dir>" +
                dir.File("fonts") + "</dir>\n<cachedir>" + dir.File("cache") + "</cachedir>\n</fontconfig>\n");
  const std::string env = "FONTCONFIG_FILE='" + dir.File("fonts.conf") + "' ";
  if (RunTool(env + "fc-list : family").find("Probe Face/X(1)") == std::string::npos)
    GTEST_SKIP() << "fontconfig does not take the probe face here";
  const std::string path = dir.File("face.pdf");
  int st = 0;
  const std::string child = RunTool(env + "TAVRELO_PROBE_FACE_PDF='" + path +
                                        "' /proc/" + std::to_string(getpid()) +
                                        "/exe --gtest_filter=PDFNames.FaceNameWithDelimitersSurvivesIndependentReaders",
                                    &st);
  ASSERT_EQ(st, 0) << child;
  ExpectQpdfClean(path);
  const std::string fonts = RunTool("pdffonts '" + path + "'", &st);
  EXPECT_EQ(st, 0) << fonts;
  EXPECT_NE(fonts.find("+Probe Face/X(1)"), std::string::npos) << fonts;
  EXPECT_EQ(fonts.find("Syntax Error"), std::string::npos) << fonts;
  const std::string text = RunTool("pdftotext '" + path + "' -", &st);
  EXPECT_EQ(st, 0) << text;
  EXPECT_NE(text.find("ABBA"), std::string::npos) << text;
}

// In one pass a page is written when the next one begins; what it drew is not kept after that.
TEST(PDFOnePass, WrittenPagesKeepNoContent) {
  TMemoryStream out;
  TPDFDocument doc;
  doc.SetOutputStream(&out);
  doc.SetOnePass(true);
  doc.BeginDoc();
  std::vector<TPDFPage*> pages;
  for (int p = 0; p < 3; ++p) {
    if (p > 0) doc.NewPage();
    pages.push_back(doc.CurrentPage());
    for (int i = 0; i < 200; ++i) {
      pages.back()->MoveTo(10, 10 + i);
      pages.back()->LineTo(100, 10 + i);
      pages.back()->Stroke();
    }
  }
  EXPECT_EQ(pages[0]->Content().Count(), 0);
  EXPECT_EQ(pages[1]->Content().Count(), 0);
  EXPECT_GT(pages[2]->Content().Count(), 600);
  doc.EndDoc();
  const std::string bytes(static_cast<const char*>(out.Memory()), out.GetSize());
  ExpectXrefWellFormed(bytes);
  EXPECT_NE(bytes.find("/Count 3"), std::string::npos);
}

// A file that cannot be written all the way (here: the process may not write files that long)
// raises an error that names the file the caller asked for, not the temporary one; neither file
// is left behind.
TEST(PDFFailures, WriteErrorsNameTheTargetFile) {
  TScratchDir dir("pdf-write-failure");
  const std::string path = dir.File("target.pdf");
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  if (old.rlim_max != RLIM_INFINITY && old.rlim_max < 4096) GTEST_SKIP() << "the file size limit is already low";
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
  std::string message;
  {
    TPDFDocument doc;
    doc.SetFileName(Utf8ToUnicode(path));
    doc.SetCompression(ctNone);
    doc.BeginDoc();
    for (int p = 0; p < 20; ++p) {
      if (p > 0) doc.NewPage();
      for (int i = 0; i < 400; ++i) doc.CurrentPage()->MoveTo(i, p);
    }
    rlimit low = old;
    low.rlim_cur = 2048;
    setrlimit(RLIMIT_FSIZE, &low);
    try {
      doc.EndDoc();
    } catch (const Exception& e) {
      message = UnicodeToUtf8(e.Message());
    }
    setrlimit(RLIMIT_FSIZE, &old);
  }
  sigaction(SIGXFSZ, &previous, nullptr);
  ASSERT_FALSE(message.empty()) << "the failure was not reported";
  EXPECT_NE(message.find(path), std::string::npos) << message;
  EXPECT_EQ(message.find("/.target.pdf."), std::string::npos) << message;
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}
