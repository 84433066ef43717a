// Whole documents with embedded TrueType subsets and every image encoding, read back with the
// independent tools: pdffonts, pdftotext, pdfimages, qpdf, mutool and fontTools.
#include <gtest/gtest.h>

#include <algorithm>

#include "BilevelTest.h"
#include "PdfTestUtil.h"
#include "pdf/PDFDocument.h"
#include "pdf/PDFImage.h"
#include "pdf/PDFTrueTypeFont.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Png.h"

using namespace pdftest;

namespace {

std::string Utf8(const UnicodeString& s) { return UnicodeToUtf8(s); }

// 120 distinct non-ASCII characters: Latin-1 letters, Greek, Cyrillic.
UnicodeString NonAscii() {
  UnicodeString s;
  for (char16_t c = 0xC0; c <= 0xFF; ++c)
    if (c != 0xD7 && c != 0xF7) s += c;
  for (char16_t c = 0x391; c <= 0x3A9; ++c)
    if (c != 0x3A2) s += c;
  for (char16_t c = 0x410; c < 0x410 + 32; ++c) s += c;
  return s;
}

std::string Pdf(const std::string& name) { return OutDir() + "/" + name + ".pdf"; }

void WriteDocument(const std::string& path, const std::function<void(TPDFDocument&)>& draw) {
  TPDFDocument doc;
  doc.SetFileName(Utf8ToUnicode(path));
  doc.BeginDoc();
  draw(doc);
  doc.EndDoc();
}

}  // namespace

TEST(PDFTrueTypeFonts, SubsetsCarryTagsToUnicodeAndExactText) {
  const std::string path = Pdf("fonts");
  const UnicodeString lines[] = {
      u"Hello, subset world",                                  // the ASCII font
      NonAscii().substr(0, 60), NonAscii().substr(60),        // two subsets
      u"Съешь же ещё этих мягких французских булок",           // Cyrillic in Liberation
  };
  const UnicodeString beyond = u"Old Italic \U00010300\U00010301 end";
  WriteDocument(path, [&](TPDFDocument& doc) {
    TPDFPage* p = doc.CurrentPage();
    p->SetActiveFont(u"Arial", {}, 12, DEFAULT_CHARSET);
    Extended y = 40;
    for (const UnicodeString& l : lines) {
      p->WideTextOut(30, y, 0, l);
      y += 30;
    }
    p->SetActiveFont(u"DejaVu Sans", {}, 12, DEFAULT_CHARSET);
    p->WideTextOut(30, y, 0, beyond);
  });
  ASSERT_TRUE(HaveTool("pdftotext") && HaveTool("pdffonts") && HaveTool("qpdf"))
      << "poppler-utils and qpdf are needed (scripts/setup.sh installs them)";
  std::string out;
  EXPECT_EQ(ToolStatus("qpdf --check '" + path + "'", &out), 0) << out;
  ASSERT_EQ(ToolStatus("pdftotext -enc UTF-8 '" + path + "' -", &out), 0);
  for (const UnicodeString& l : lines) EXPECT_NE(out.find(Utf8(l)), std::string::npos) << Utf8(l);
  EXPECT_NE(out.find(Utf8(beyond)), std::string::npos) << out;
  // Every font: embedded, subset, with a ToUnicode map, named with a six-letter tag.
  ASSERT_EQ(ToolStatus("pdffonts '" + path + "'", &out), 0);
  std::istringstream rows(out);
  std::string row;
  int fonts = 0;
  while (std::getline(rows, row)) {
    if (row.rfind("name", 0) == 0 || row.rfind("----", 0) == 0) continue;
    std::istringstream f(row);
    std::string name, type, encoding, emb, sub, uni;
    f >> name >> type >> encoding >> emb >> sub >> uni;
    const bool tagged = name.size() > 7 && name[6] == '+' &&
                        std::all_of(name.begin(), name.begin() + 6, [](char c) { return c >= 'A' && c <= 'Z'; });
    EXPECT_TRUE(tagged) << row;
    EXPECT_EQ(type + " " + encoding + " " + emb + " " + sub + " " + uni, "TrueType WinAnsi yes yes yes") << row;
    ++fonts;
  }
  // Arial: the ASCII font and two subsets (118 + 25 lower-case Cyrillic characters); DejaVu Sans:
  // the ASCII font and one subset.
  EXPECT_EQ(fonts, 5);
}

TEST(PDFTrueTypeFonts, ExtractedProgramsOpenInFontTools) {
  if (!HaveTool("mutool")) GTEST_SKIP() << "mupdf-tools is not installed";
  if (ToolStatus("/usr/bin/python3 -c 'import fontTools'") != 0) GTEST_SKIP() << "python3-fonttools is not installed";
  const std::string dir = OutDir() + "/extract";
  ToolStatus("rm -rf '" + dir + "' && mkdir -p '" + dir + "'");
  const std::string path = Pdf("extract");
  int subsetLast = 0;
  WriteDocument(path, [&](TPDFDocument& doc) {
    TPDFPage* p = doc.CurrentPage();
    p->SetActiveFont(u"Times New Roman", TFontStyles{fsBold}, 14, DEFAULT_CHARSET);
    p->WideTextOut(30, 40, 0, u"Plain text ÀÉÎÕÜ ЖЩЯ");
    auto* f = dynamic_cast<TPDFTrueTypeFont*>(doc.CurrentPage()->Engine()->Resources.Fonts.back());
    ASSERT_NE(f, nullptr);
    subsetLast = dynamic_cast<TPDFTrueTypeSubsetFont*>(f->GetSubset(0))->Last();
  });
  ASSERT_EQ(ToolStatus("cd '" + dir + "' && mutool extract '" + path + "'"), 0);
  std::string out;
  const std::string script =
      "import glob, sys\n"
      "from fontTools.ttLib import TTFont\n"
      "for p in sorted(glob.glob('" + dir + "/*.ttf')):\n"
      "    data = open(p, 'rb').read()\n"
      "    s = sum(int.from_bytes(data[i:i+4].ljust(4, b'\\0'), 'big') for i in range(0, len(data), 4)) & 0xFFFFFFFF\n"
      "    f = TTFont(p, checkChecksums=2)\n"
      "    f.ensureDecompiled()\n"
      "    print(f['maxp'].numGlyphs, hex(s), max(f['cmap'].getcmap(1, 0).cmap))\n";
  WriteFile(dir + "/check.py", script);
  ASSERT_EQ(ToolStatus("/usr/bin/python3 '" + dir + "/check.py'", &out), 0) << out;
  // Two programs: the ASCII one ("Plain text": 8 letters and the space) and the subset of 8
  // characters, each with glyphs 0 and 1 and the components of its composite glyphs, counted
  // here by fontTools in the installed face.
  std::string expected;
  const std::string closure =
      "import subprocess\n"
      "from fontTools.ttLib import TTFont\n"
      "path = subprocess.check_output(['fc-match', '-f', '%{file}', 'Liberation Serif:bold']).decode()\n"
      "f = TTFont(path); cmap = f.getBestCmap(); glyf = f['glyf']\n"
      "def count(text):\n"
      "    names = set(f.getGlyphOrder()[:2]) | {cmap[ord(c)] for c in text}\n"
      "    todo = list(names)\n"
      "    while todo:\n"
      "        g = glyf[todo.pop()]\n"
      "        for c in (g.getComponentNames(glyf) if g.isComposite() else []):\n"
      "            if c not in names: names.add(c); todo.append(c)\n"
      "    return len(names)\n"
      "print(*sorted([count('Plain tex'), count('\\u00c0\\u00c9\\u00ce\\u00d5\\u00dc\\u0416\\u0429\\u042f')]))\n";
  WriteFile(dir + "/closure.py", closure);
  ASSERT_EQ(ToolStatus("/usr/bin/python3 '" + dir + "/closure.py'", &expected), 0);
  std::istringstream r(out);
  std::vector<int> counts;
  int n, last;
  std::string sum;
  while (r >> n >> sum >> last) {
    EXPECT_EQ(sum, "0xb1b0afba");
    counts.push_back(n);
  }
  std::sort(counts.begin(), counts.end());
  ASSERT_EQ(counts.size(), 2u);
  EXPECT_EQ(std::to_string(counts[0]) + " " + std::to_string(counts[1]) + "\n", expected);
  EXPECT_EQ(subsetLast, 32 + 8 - 1);
}

TEST(PDFTrueTypeFonts, FaceResolutionAndCodes) {
  TPDFEngine engine;
  TPDFFonts fonts(&engine);
  TPDFFont* a = fonts.GetFontByInfo(u"Times New Roman", {});
  EXPECT_EQ(fonts.GetFontByInfo(u"TIMES NEW ROMAN", TFontStyles{fsUnderline}), a);
  ASSERT_TRUE(a->IsTrueType());
  EXPECT_EQ(a->AliasName(), "TT0");
  auto* t = static_cast<TPDFTrueTypeFont*>(a);
  EXPECT_EQ(t->SubsetTag().size(), 6u);
  // A face that is not installed becomes Arial.
  TPDFFont* missing = fonts.GetFontByInfo(u"No Such Face Anywhere", TFontStyles{fsBold});
  EXPECT_EQ(static_cast<TPDFTrueTypeFont*>(missing)->Name(), u"ARIAL");
  EXPECT_EQ(fonts.GetFontByInfo(u"Arial", TFontStyles{fsBold}), missing);
  // 100 distinct non-ASCII characters: subsets of 96 and 4 codes, aliases +1 and +2.
  const UnicodeString text = NonAscii().substr(0, 100);
  for (char16_t c : text) t->GetNewCharByUnicode(c);
  ASSERT_EQ(t->SubsetCount(), 2);
  EXPECT_EQ(t->GetSubset(0)->AliasName(), "TT0+1");
  EXPECT_EQ(t->GetSubset(1)->AliasName(), "TT0+2");
  EXPECT_EQ(static_cast<TPDFTrueTypeSubsetFont*>(t->GetSubset(0))->Last(), 127);
  EXPECT_EQ(static_cast<TPDFTrueTypeSubsetFont*>(t->GetSubset(1))->Last(), 35);
  const TNewCharInfo again = t->GetNewCharByUnicode(text[97]);
  EXPECT_EQ(again.FontIndex, 2);
  EXPECT_EQ(again.NewCharacter, 33);
  EXPECT_EQ(t->GetNewCharByUnicode(u'A').FontIndex, 0);
  EXPECT_EQ(t->GetNewCharByUnicode(u'A').NewCharacter, 'A');
  EXPECT_THROW(t->GetSubset(2), EPDFException);
  // A character beyond the Basic Multilingual Plane is one code with its code point.
  TPDFTrueTypeFont* d = static_cast<TPDFTrueTypeFont*>(fonts.GetFontByInfo(u"DejaVu Sans", {}));
  const TNewCharInfo ci = d->GetNewCharByUnicode(U'\U00010300');
  auto* sub = static_cast<TPDFTrueTypeSubsetFont*>(d->GetSubset(ci.FontIndex - 1));
  EXPECT_EQ(sub->UnicodeOf(ci.NewCharacter), U'\U00010300');
  EXPECT_NE(sub->IndexOf(ci.NewCharacter), 0);
}

// ---- images -------------------------------------------------------------------------------------

TEST(PDFImages, EncodingsAreReportedAndBilevelImagesComeBackExactly) {
  if (!HaveTool("pdfimages")) GTEST_SKIP() << "poppler-utils is not installed";
  const std::string path = Pdf("images");
  TBitmap bw;
  MakeBlackIs1(bw, 613, 237);
  FillPage(bw, 5);
  TBitmap bwWhiteIs1;  // the same pixels with set bits white
  bwWhiteIs1.SetPixelFormat(pf1bit);
  bwWhiteIs1.SetSize(613, 237);
  bwWhiteIs1.SetPalette({0x000000, 0xFFFFFF});
  for (int y = 0; y < 237; ++y)
    for (int i = 0; i < bw.BytesPerScanLine(); ++i) bwWhiteIs1.ScanLine(y)[i] = std::uint8_t(~bw.ScanLine(y)[i]);
  TBitmap rgb(40, 30);
  rgb.SetPixelFormat(pf24bit);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) rgb.SetPixel(x, y, TColor(x * 6 | (y * 8) << 8 | 0x400000));
  TJPEGImage jpeg;
  jpeg.Assign(&rgb);
  jpeg.Compress();
  const std::string jpegBytes = jpeg.Data();
  std::vector<int> indexes;
  WriteDocument(path, [&](TPDFDocument& doc) {
    TPDFImages& im = *doc.Images();
    for (TImageCompressionType t : {itcCCITT3, itcCCITT32d, itcCCITT4, itcJBIG2})
      indexes.push_back(im.AddImage(bw, t));
    indexes.push_back(im.AddImage(bwWhiteIs1, itcCCITT4));
    indexes.push_back(im.AddImage(rgb, itcFlate));
    indexes.push_back(im.AddImage(jpeg, itcJpeg));
    indexes.push_back(im.AddImage(rgb, itcJpeg));
    EXPECT_THROW(im.AddImage(rgb, itcCCITT4), Exception);
    EXPECT_THROW(im.AddImage(jpeg, itcJBIG2), EPDFException);
    for (std::size_t i = 0; i < indexes.size(); ++i)
      doc.CurrentPage()->ShowImage(indexes[i], 10, 10 + 250 * Extended(i), 613, 237, 0);
  });
  EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  std::string out;
  if (HaveTool("qpdf")) {
    EXPECT_EQ(ToolStatus("qpdf --check '" + path + "'", &out), 0) << out;
  }
  ASSERT_EQ(ToolStatus("pdfimages -list '" + path + "'", &out), 0);
  std::vector<std::string> enc;
  std::istringstream rows(out);
  std::string row;
  while (std::getline(rows, row)) {
    std::istringstream f(row);
    std::string page, num, type, w, h, color, comp, bpc, e;
    if (f >> page >> num >> type >> w >> h >> color >> comp >> bpc >> e && std::isdigit(page[0])) enc.push_back(e + "/" + color);
  }
  EXPECT_EQ(enc, (std::vector<std::string>{"ccitt/gray", "ccitt/gray", "ccitt/gray", "jbig2/gray", "ccitt/gray",
                                           "image/rgb", "jpeg/rgb", "jpeg/rgb"}));
  // The bilevel ones as PNG equal the source pixel for pixel.
  const std::string dir = OutDir() + "/imgs";
  ToolStatus("rm -rf '" + dir + "' && mkdir -p '" + dir + "'");
  ASSERT_EQ(ToolStatus("pdfimages -png '" + path + "' '" + dir + "/i'"), 0);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    char name[32];
    std::snprintf(name, sizeof name, "/i-%03d.png", i);
    // pngtopnm is not always there: decode with the platform's PNG reader.
    TPngImage png;
    png.LoadFromFile(Utf8ToUnicode(dir + name));
    const TPixelImage px = png.ToPixels();
    ASSERT_EQ(px.Width, 613);
    int wrong = 0;
    for (int y = 0; y < 237; ++y)
      for (int x = 0; x < 613; ++x) wrong += Get(bw, x, y) != ((px.At(x, y) & 0xFFFFFF) == 0);
    EXPECT_EQ(wrong, 0);
  }
  // JPEG pass-through: the picture's bytes stand in the file unchanged.
  const std::string file = ReadFile(path);
  EXPECT_NE(file.find(jpegBytes), std::string::npos);
  EXPECT_NE(file.find("/DecodeParms [<</K -1 /Columns 613 /Rows 237/BlackIs1 true>>]"), std::string::npos);
  EXPECT_NE(file.find("/DecodeParms [<</K -1 /Columns 613 /Rows 237>>]"), std::string::npos);
  // The JBIG2 stream decodes on its own too.
  if (HaveTool("jbig2dec")) {
    ASSERT_EQ(ToolStatus("cd '" + dir + "' && pdfimages -all '" + path + "' raw"), 0);
    EXPECT_EQ(ToolStatus("jbig2dec -q -e -t pbm -o '" + dir + "/raw.pbm' '" + dir + "/raw-003.jb2e'"), 0);
    const TPbm p = ReadPbm(ReadFile(dir + "/raw.pbm"));
    ASSERT_EQ(p.W, 613);
    int wrong = 0;
    for (int y = 0; y < 237; ++y)
      for (int x = 0; x < 613; ++x) wrong += Get(bw, x, y) != bool((p.Bits[std::size_t(y * 77 + x / 8)] >> (7 - x % 8)) & 1);
    EXPECT_EQ(wrong, 0);
  }
}

TEST(PDFImages, FlateDataAndGrayJpeg) {
  TPDFEngine engine;
  TMemoryStream out;
  engine.SetStream(&out);
  TPDFImages images(&engine);
  TBitmap two(2, 1);
  two.SetPixelFormat(pf24bit);
  two.SetPixel(0, 0, TColor(0xFF0000));  // blue (0x00BBGGRR)
  two.SetPixel(1, 0, TColor(0x0000FF));  // red
  TPDFImage img(&engine, &images);
  img.Load(two, itcFlate);
  EXPECT_EQ(img.BitPerPixel(), 8);
  TBitmap gray(8, 8);
  gray.SetPixelFormat(pf24bit);
  TJPEGImage j;
  j.Assign(&gray);
  j.SetGrayscale(true);
  j.Compress();
  const int k = images.AddImage(j, itcJpeg);
  EXPECT_TRUE(engine.Resources.Images[std::size_t(k)]->GrayScale());
  const std::string file(static_cast<const char*>(out.Memory()), std::size_t(out.GetSize()));
  EXPECT_NE(file.find("/ColorSpace /DeviceGray"), std::string::npos);
}

TEST(PDFTrueTypeFonts, NonEmbeddedFacesAndFontsUsedOnlyBeyondAscii) {
  const std::string path = Pdf("nonembedded");
  std::string file;
  {
    TPDFDocument doc;
    doc.SetFileName(Utf8ToUnicode(path));
    doc.SetCompression(ctNone);
    doc.NonEmbeddedFonts().Add(u"courier new");
    doc.BeginDoc();
    TPDFPage* p = doc.CurrentPage();
    p->SetActiveFont(u"Courier New", {}, 12, DEFAULT_CHARSET);
    p->WideTextOut(30, 40, 0, u"AC é");
    p->SetActiveFont(u"Arial", {}, 12, DEFAULT_CHARSET);
    p->WideTextOut(30, 80, 0, u"ЖЖЩ");  // only characters beyond ASCII
    // Advances for a surrogate pair: one code, both advances.
    p->SetActiveFont(u"DejaVu Sans", {}, 12, DEFAULT_CHARSET);
    const float dx[] = {7.34f, 4.5f, 4.57f, 7.6f};
    p->ExtWideTextOut(30, 120, 0, u"a\U00010300b", dx);
    doc.EndDoc();
  }
  file = ReadFile(path);
  // Courier New: the ASCII font names the face without a tag and embeds nothing, its subset does.
  const std::size_t plain = file.find("/BaseFont /LiberationMono\r\n");
  ASSERT_NE(plain, std::string::npos) << file.substr(0, 4000);
  const std::size_t desc = file.find("/FontName /LiberationMono\r\n");
  ASSERT_NE(desc, std::string::npos);
  EXPECT_EQ(file.substr(desc, 200).find("/FontFile2"), std::string::npos);
  EXPECT_NE(file.find("+LiberationMono\r\n/FirstChar 32\r\n/LastChar 32"), std::string::npos);
  // Arial was used beyond ASCII only: one subset font object (two codes), no ASCII font object.
  EXPECT_NE(file.find("+LiberationSans\r\n/FirstChar 32\r\n/LastChar 33\r\n"), std::string::npos);
  EXPECT_EQ(file.find("/BaseFont /LiberationSans\r\n"), std::string::npos);
  // Unused ASCII codes between the first and the last used one have width 0 (space .. "C").
  const std::size_t widths = file.find("/Widths [600 \r\n", plain);
  ASSERT_NE(widths, std::string::npos);
  EXPECT_EQ(file.substr(widths + 15, 8), "0 0 0 0 ");
  std::string out;
  if (HaveTool("pdftotext")) {
    ASSERT_EQ(ToolStatus("pdftotext -enc UTF-8 '" + path + "' -", &out), 0);
    EXPECT_NE(out.find("ЖЖЩ"), std::string::npos) << out;
    EXPECT_NE(out.find("a\xF0\x90\x8C\x80" "b"), std::string::npos) << out;
  }
  if (HaveTool("qpdf")) {
    EXPECT_EQ(ToolStatus("qpdf --check '" + path + "'", &out), 0) << out;
  }
}
