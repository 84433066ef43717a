#include <gtest/gtest.h>

#include <cmath>

#include "PdfTestUtil.h"
#include "pdf/PDFDocument.h"
#include "platform/base/NLS.h"

using namespace pdftest;

namespace {

// Tool output with every run of blanks made one space, so columns do not matter.
std::string Collapse(const std::string& s) {
  std::string r;
  for (char c : s) {
    if (c == ' ' || c == '\t') {
      if (r.empty() || r.back() != ' ') r += ' ';
    } else {
      r += c;
    }
  }
  return r;
}

// The page an outline without children leads to, from qpdf's outline listing ("" when absent).
std::string OutlinePage(const std::string& json, const std::string& title) {
  auto t = json.find("\"title\": \"" + title + "\"");
  if (t == std::string::npos) return {};
  const std::string key = "\"destpageposfrom1\": ";
  auto p = json.rfind(key, t);
  if (p == std::string::npos) return {};
  p += key.size();
  return json.substr(p, json.find_first_not_of("0123456789", p) - p);
}

}  // namespace

namespace {

UnicodeString U(const std::string& s) { return Utf8ToUnicode(s); }

}  // namespace

TEST(PdfDocument, StateRefusals) {
  TPDFDocument doc;
  EXPECT_THROW(doc.PageCount(), EPDFException);
  EXPECT_THROW(doc.Canvas(), EPDFException);
  EXPECT_THROW(doc.CurrentPage(), EPDFException);
  TPDFSecurityOptions sec;
  sec.State = ss40RC4;
  doc.SetSecurity(sec);
  EXPECT_THROW(doc.SetPDFACompatible(true), EPDFException);
  sec.State = ssNone;
  doc.SetSecurity(sec);
  doc.SetPDFACompatible(true);
  sec.State = ss128AES;
  EXPECT_THROW(doc.SetSecurity(sec), EPDFException);
  doc.SetPDFACompatible(false);

  TMemoryStream out;
  doc.SetOutputStream(&out);
  doc.BeginDoc();
  EXPECT_EQ(doc.PageCount(), 1);
  EXPECT_EQ(doc.PageNumber(), 1);
  EXPECT_THROW(doc.SetFileName(u"other.pdf"), EPDFException);
  EXPECT_THROW(doc.BeginDoc(), EPDFException);
  doc.NewPage();
  EXPECT_EQ(doc.GetPage(1), doc.CurrentPage());
  EXPECT_THROW(doc.GetPage(2), EPDFException);
  doc.EndDoc();
  EXPECT_EQ(std::string(static_cast<char*>(out.Memory()), 8), "%PDF-1.4");
  EXPECT_FALSE(doc.Printing());

  doc.SetOnePass(true);
  doc.BeginDoc();
  doc.NewPage();
  EXPECT_THROW(doc.GetPage(1), EPDFException);
  EXPECT_THROW(doc.SetCurrentPageIndex(0), EPDFException);
  doc.Abort();
  EXPECT_TRUE(doc.Aborted());
}

TEST(PdfDocument, PagesSizesAndInformation) {
  std::string path = OutPath("pdf-pages.pdf");
  TPDFDocument doc;
  doc.DocumentInfo().Title = U("Fish & Chips <\u00E9t\u00E9>");
  doc.DocumentInfo().Author = U("J\u00F6rg \"Q\" O'Neil");
  doc.DocumentInfo().Subject = u"Sizes";
  doc.SetFileName(U(path));
  doc.BeginDoc();
  TPDFPage* p = doc.CurrentPage();
  EXPECT_EQ(p->GetWidth(), 595);
  EXPECT_EQ(p->GetHeight(), 842);
  doc.NewPage();
  doc.CurrentPage()->SetSize(psLetter);
  doc.NewPage();
  doc.CurrentPage()->SetSize(psLetter);
  doc.CurrentPage()->SetOrientation(poPageLandscape);
  doc.NewPage();
  doc.CurrentPage()->SetOrientation(poPageLandscape);
  doc.CurrentPage()->SetSize(psA4);  // the size ignores the orientation
  doc.CurrentPage()->SetPageRotate(pr90);
  doc.CurrentPage()->MoveTo(0, 0);
  EXPECT_THROW(doc.CurrentPage()->SetSize(psA3), EPDFException);
  doc.EndDoc();

  std::string bytes = ReadFile(path);
  ExpectXrefWellFormed(bytes);
  ExpectQpdfClean(path);
  EXPECT_NE(bytes.find("/Count 4"), std::string::npos);
  EXPECT_EQ(bytes.find("/Outlines"), std::string::npos);
  EXPECT_EQ(bytes.find("/Encrypt"), std::string::npos);
  EXPECT_NE(bytes.find("/ID [<"), std::string::npos);
  if (!HaveTool("pdfinfo")) GTEST_SKIP() << "pdfinfo is not installed";
  std::string info = Collapse(RunTool("pdfinfo -f 1 -l 4 '" + path + "'"));
  auto has = [&](const std::string& t) { return info.find(t) != std::string::npos; };
  EXPECT_TRUE(has("Pages: 4\n")) << info;
  EXPECT_TRUE(has("Page 1 size: 595 x 842 pts")) << info;
  EXPECT_TRUE(has("Page 2 size: 612 x 792 pts")) << info;
  EXPECT_TRUE(has("Page 3 size: 792 x 612 pts")) << info;
  EXPECT_TRUE(has("Page 4 size: 595 x 842 pts")) << info;
  EXPECT_TRUE(has("Page 4 rot: 90")) << info;
  EXPECT_NE(info.find("Fish & Chips <\u00E9t\u00E9>\n"), std::string::npos) << info;
  EXPECT_NE(info.find("J\u00F6rg \"Q\" O'Neil\n"), std::string::npos) << info;
  EXPECT_TRUE(has("Producer: Tavrelopad PDF writer")) << info;
  // The dates are UTC: the creation date pdfinfo shows in UTC equals the moment of creation.
  std::string iso = Collapse(RunTool("TZ=UTC pdfinfo -isodates '" + path + "'"));
  std::string expect = FormatXMPDate(LocalToUTC(doc.DocumentInfo().CreationDate)) + "T" +
                       FormatXMPTime(LocalToUTC(doc.DocumentInfo().CreationDate));
  EXPECT_NE(iso.find("CreationDate: " + expect), std::string::npos) << iso;

  if (!HaveTool("xmllint")) return;
  std::string meta = OutPath("pdf-pages.xmp");
  RunTool("pdfinfo -meta '" + path + "' > '" + meta + "'");
  int st = 0;
  std::string lint = RunTool("xmllint --noout '" + meta + "'", &st);
  EXPECT_EQ(st, 0) << lint;
  std::string xmp = ReadFile(meta);
  EXPECT_NE(xmp.find("Fish &amp; Chips &lt;"), std::string::npos) << xmp;
  EXPECT_NE(xmp.find("<xmp:CreateDate>" + expect + "Z</xmp:CreateDate>"), std::string::npos) << xmp;
}

TEST(PdfDocument, TextRoundTripIncludingTheStandardEncoding) {
  std::string path = OutPath("pdf-text.pdf");
  TPDFDocument doc;
  doc.SetFileName(U(path));
  doc.SetResolution(96);
  doc.BeginDoc();
  TPDFPage* p = doc.CurrentPage();
  UnicodeString lines[] = {U("Plain ASCII line (with brackets) \\ backslash"),
                           U("Caf\u00E9 na\u00EFve \u00C5ngstr\u00F6m \u00DF \u00E6\u00F8"),
                           U("\u20AC 5 \u2013 \u201Cquoted\u201D \u2026 \u00A9 \u00AE \u00B0")};
  int y = 50;
  for (int i = 0; i < 3; ++i) {
    p->SetActiveFont(i == 1 ? stdfTimesRoman : stdfHelvetica, 14);
    std::string bytes;
    UnicodeToCodePage(1252, 0, lines[i], bytes);
    p->TextOut(50, y, 0, bytes);
    y += 30;
  }
  doc.EndDoc();
  ExpectQpdfClean(path);
  ExpectXrefWellFormed(ReadFile(path));
  if (!HaveTool("pdftotext")) GTEST_SKIP() << "pdftotext is not installed";
  std::string text = RunTool("pdftotext -enc UTF-8 -layout '" + path + "' -");
  std::size_t at = 0;
  for (auto& l : lines) {
    std::string want = UnicodeToUtf8(l);
    auto f = text.find(want, at);
    EXPECT_NE(f, std::string::npos) << want << "\n---\n" << text;
    if (f != std::string::npos) at = f + want.size();
  }
}

TEST(PdfDocument, LinksOutlinesAndNamedDestinations) {
  std::string path = OutPath("pdf-links.pdf");
  TPDFDocument doc;
  doc.SetFileName(U(path));
  doc.SetAutoCreateURL(true);
  doc.BeginDoc();
  doc.CurrentPage()->TextOut(20, 20, 0, "Visit http://example.org/a?b=1 today");
  doc.NewPage();
  doc.NewPage();
  TPDFOutlines& o = doc.Outlines();
  TPDFOutlineNode* top = o.Add(nullptr, u"Chapter", new TPDFGoToPageAction(&doc.Actions(), 0));
  for (int i = 0; i < 3; ++i)
    o.Add(top, U("Part " + std::to_string(i)), new TPDFGoToPageAction(&doc.Actions(), i));
  o.Add(nullptr, u"Appendix", new TPDFGoToPageAction(&doc.Actions(), 2));
  doc.Names().AddNamedDestination("b", 2, 100);
  doc.Names().AddNamedDestination("a", 1, 0);
  doc.EndDoc();

  std::string bytes = ReadFile(path);
  ExpectQpdfClean(path);
  ExpectXrefWellFormed(bytes);
  EXPECT_NE(bytes.find("/Count -3"), std::string::npos);
  EXPECT_NE(bytes.find("/Limits [(a)(b)]"), std::string::npos);
  EXPECT_NE(bytes.find("/Outlines "), std::string::npos);
  if (HaveTool("qpdf")) {
    std::string json = RunTool("qpdf --json --json-key=qpdf '" + path + "'");
    EXPECT_NE(json.find("\"/URI\": \"u:http://example.org/a?b=1\""), std::string::npos);
    EXPECT_NE(json.find("\"/Subtype\": \"/Link\""), std::string::npos);
    // Each outline leads to its page (qpdf names the page counted from 1).
    std::string outlines = RunTool("qpdf --json --json-key=outlines '" + path + "'");
    for (auto [title, page] :
         {std::pair{"Part 0", "1"}, {"Part 1", "2"}, {"Part 2", "3"}, {"Appendix", "3"}})
      EXPECT_EQ(OutlinePage(outlines, title), page) << title << "\n" << outlines;
    // the chapter comes first and its page before its children's
    EXPECT_NE(outlines.find("\"destpageposfrom1\": 1,\n      \"kids\""), std::string::npos) << outlines;
  }
  if (!HaveTool("pdfinfo")) GTEST_SKIP() << "pdfinfo is not installed";
  // Destinations: page, view and name; "a" is on the second page at its top, "b" on the third
  // 100 units from its top.
  std::string d = Collapse(RunTool("pdfinfo -dests '" + path + "'"));
  EXPECT_NE(d.find(" 2 [ FitH 842 ] \"a\""), std::string::npos) << d;
  EXPECT_NE(d.find(" 3 [ FitH 742 ] \"b\""), std::string::npos) << d;
}

TEST(PdfDocument, RefusedOrFailedExportLeavesTheTargetUnchanged) {
  std::string path = OutPath("pdf-keep.pdf");
  {
    std::ofstream f(path, std::ios::binary);
    f << "precious contents";
  }
  TPDFDocument doc;
  doc.SetFileName(U(path));
  doc.BeginDoc();
  doc.CurrentPage()->MoveTo(1, 1);
  doc.Abort();
  EXPECT_EQ(ReadFile(path), "precious contents");
  EXPECT_TRUE(doc.Aborted());

  // A failure while storing: a destination on a page that does not exist.
  doc.BeginDoc();
  doc.Names().AddNamedDestination("x", 5, 0);
  EXPECT_THROW(doc.EndDoc(), EPDFException);
  EXPECT_EQ(ReadFile(path), "precious contents");
  EXPECT_TRUE(doc.Aborted());
  EXPECT_FALSE(doc.Printing());
  // No temporary file is left in the folder.
  EXPECT_EQ(RunTool("ls -a '" + std::string(TAVRELO_TEST_OUTPUT) + "' | grep -c '^\\.pdf-keep.pdf\\.'"), "0\n");

  // The next document starts clean and replaces the file.
  doc.BeginDoc();
  doc.EndDoc();
  EXPECT_EQ(ReadFile(path).substr(0, 8), "%PDF-1.4");
  ExpectQpdfClean(path);

  // A folder that does not exist: BeginDoc fails before generation starts.
  doc.SetFileName(U(OutPath("no-such-folder/x.pdf")));
  EXPECT_THROW(doc.BeginDoc(), EFCreateError);
  EXPECT_FALSE(doc.Printing());
}

TEST(PdfDocument, OutputStreamReceivesTheFileOnlyAtTheEnd) {
  std::string path = OutPath("pdf-never-created.pdf");
  std::remove(path.c_str());
  TMemoryStream out;
  TPDFDocument doc;
  doc.SetFileName(U(path));
  doc.SetOutputStream(&out);
  doc.BeginDoc();
  doc.NewPage();
  EXPECT_EQ(out.GetSize(), 0);
  doc.EndDoc();
  EXPECT_GT(out.GetSize(), 500);
  EXPECT_FALSE(FileExists(U(path)));
  std::string bytes(static_cast<char*>(out.Memory()), static_cast<std::size_t>(out.GetSize()));
  ExpectXrefWellFormed(bytes);
  // two files with one component carry the same creation date
  std::string date1 = bytes.substr(bytes.find("/CreationDate"), 60);
  out.Clear();
  doc.BeginDoc();
  doc.EndDoc();
  std::string bytes2(static_cast<char*>(out.Memory()), static_cast<std::size_t>(out.GetSize()));
  EXPECT_EQ(bytes2.substr(bytes2.find("/CreationDate"), 60), date1);
}

TEST(PdfDocument, MetafileCanvasAndOnePass) {
  std::string path = OutPath("pdf-onepass.pdf");
  TPDFDocument doc;
  doc.SetFileName(U(path));
  doc.SetOnePass(true);
  doc.SetResolution(96);
  doc.BeginDoc();
  TCanvas* c = doc.Canvas();
  ASSERT_NE(c, nullptr);
  c->MoveTo(0, 0);
  c->LineTo(100, 100);
  // drawing on the metafile canvas does not block the page size
  doc.CurrentPage()->SetSize(psLetter);
  doc.CurrentPage()->SetOrientation(poPageLandscape);
  EXPECT_EQ(doc.CurrentPage()->GetWidth(), 1056);  // 792 points at 96 units per inch
  EXPECT_EQ(doc.CurrentPage()->GetHeight(), 816);
  doc.CurrentPage()->TextOut(96, 96, 0, "first");
  for (int i = 0; i < 3; ++i) {
    doc.NewPage();
    doc.CurrentPage()->TextOut(96, 96, 0, "page " + std::to_string(i + 2));
  }
  doc.EndDoc();
  ExpectQpdfClean(path);
  ExpectXrefWellFormed(ReadFile(path));
  if (!HaveTool("pdftotext")) return;
  std::string text = RunTool("pdftotext '" + path + "' -");
  auto a = text.find("first"), b = text.find("page 2"), d = text.find("page 4");
  EXPECT_NE(a, std::string::npos) << text;
  EXPECT_LT(a, b);
  EXPECT_LT(b, d);
}
