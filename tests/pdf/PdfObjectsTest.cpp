#include <gtest/gtest.h>

#include <zlib.h>

#include "PdfTestUtil.h"
#include "pdf/PDFDocument.h"

using namespace pdftest;

TEST(PdfEngine, NumbersOffsetsAndFraming) {
  TPDFEngine e;
  std::vector<int> caps;
  for (int i = 0; i < 80; ++i) {
    e.GetNextID();
    if (caps.empty() || caps.back() != e.Capacity()) caps.push_back(e.Capacity());
  }
  EXPECT_EQ(caps, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95}));
  TMemoryStream m;
  e.SetStream(&m);
  EXPECT_THROW(e.StartObj(81), EPDFException);
  EXPECT_EQ(m.GetSize(), 0);
  e.StartObj(3);
  e.SaveToStream("/A 1");
  e.CloseObj();
  EXPECT_EQ(std::string(static_cast<char*>(m.Memory()), m.GetSize()),
            "3 0 obj\r\n<</A 1\r\n>>\nendobj\r\n");
  EXPECT_EQ(e.Offset(3), 0);
  EXPECT_EQ(e.CurrentSaveID(), -1);
}

namespace {

// The bytes of a document built by the callback between BeginDoc and EndDoc.
template <class F>
std::string Build(F draw, TCompressionType compression = ctFlate) {
  TMemoryStream out;
  TPDFDocument doc;
  doc.SetCompression(compression);
  doc.SetOutputStream(&out);
  doc.BeginDoc();
  draw(doc);
  doc.EndDoc();
  return std::string(static_cast<char*>(out.Memory()), static_cast<std::size_t>(out.GetSize()));
}

// The decompressed data of the stream that follows position pos.
std::string Inflate(const std::string& bytes, std::size_t pos) {
  auto s = bytes.find("stream\r\n", pos) + 8;
  auto e = bytes.find("\nendstream", s);
  std::string out(1 << 16, '\0');
  uLongf n = out.size();
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &n,
                 reinterpret_cast<const Bytef*>(bytes.data() + s), e - s) != Z_OK)
    return {};
  out.resize(n);
  return out;
}

}  // namespace

TEST(PdfObjects, EmptyPageDocument) {
  std::string b = Build([](TPDFDocument&) {});
  ExpectXrefWellFormed(b);
  // information, resources, content, page, page tree, metadata, catalog
  EXPECT_NE(b.find("/Size 8"), std::string::npos);
  EXPECT_NE(b.find("0000000000 65535 f\r\n"), std::string::npos);
  EXPECT_NE(b.find("/Metadata "), std::string::npos);
  EXPECT_EQ(b.find("/AcroForm"), std::string::npos);
  EXPECT_EQ(b.find("/Names"), std::string::npos);
  EXPECT_EQ(b.find("pdfaid"), std::string::npos);
  // the page's content is the balanced "q" and "Q" alone
  EXPECT_EQ(Inflate(b, b.find("/Filter /FlateDecode")), "q\r\nQ\r\n");
  std::string plain = Build([](TPDFDocument&) {}, ctNone);
  EXPECT_NE(plain.find("/Length 6\r\n>>\nstream\r\nq\r\nQ\r\n\nendstream"), std::string::npos);
}

TEST(PdfObjects, PatternsGraphicStatesAndOptionalContent) {
  std::string b = Build([](TPDFDocument& doc) {
    auto* pat = new TPDFPattern(&doc.Engine(), &doc.Fonts());
    doc.Patterns().Add(pat);
    pat->SetWidth(8);
    pat->SetHeight(8);
    pat->SetXStep(8);
    pat->SetYStep(8);
    pat->MoveTo(0, 0);
    pat->LineTo(8, 8);
    pat->Stroke();
    doc.CurrentPage()->SetPattern(pat);
    auto* gs = new TPDFGState(&doc.Engine());
    doc.GStates().Add(gs);
    gs->SetLineWidth(2);
    TOptionalContent* layer = doc.OptionalContents().Add("Layer");
    EXPECT_EQ(doc.OptionalContents().GetByName("LAYER"), layer);
    EXPECT_FALSE(doc.OptionalContents().IsExitst("Other"));
  });
  auto p = b.find("/Type /Pattern");
  ASSERT_NE(p, std::string::npos);
  EXPECT_NE(b.find("/XStep 8 /YStep 8", p), std::string::npos);
  EXPECT_NE(b.find("/BBox [0 0 8 8]", p), std::string::npos);
  auto res = b.find("/Resources <<\r\n/ProcSet [/PDF ]\r\n>>", p);
  EXPECT_NE(res, std::string::npos);
  std::string content = Inflate(b, p);
  EXPECT_EQ(content.substr(0, 3), "q\r\n");
  EXPECT_EQ(content.substr(content.size() - 3), "Q\r\n");
  EXPECT_NE(b.find("/Ptn0 "), std::string::npos);
  auto g = b.find("/Type /ExtGState\r\n/LW 2\r\n>>");
  EXPECT_NE(g, std::string::npos);
  EXPECT_NE(b.find("/OCProperties "), std::string::npos);
  EXPECT_NE(b.find("/Type/OCG"), std::string::npos);
}

TEST(PdfObjects, ActionsAnnotationsAndOutlines) {
  std::string b = Build([](TPDFDocument& doc) {
    TPDFPage* page = doc.CurrentPage();
    auto* first = static_cast<TPDFActionAnnotation*>(page->SetUrl(TRect(10, 10, 110, 30), "http://a"));
    page->SetUrl(TRect(10, 40, 110, 60), "http://b");
    first->Action()->Next = static_cast<TPDFActionAnnotation*>(page->Annotation(1))->Action();
  });
  EXPECT_NE(b.find("/Rect [10 812 110 832]"), std::string::npos);
  EXPECT_NE(b.find("/F 4\r\n"), std::string::npos);
  EXPECT_NE(b.find("/Border []"), std::string::npos);
  auto annots = b.find("/Annots [");
  ASSERT_NE(annots, std::string::npos);
  // annotations come before the page's resource dictionary
  EXPECT_LT(b.find("/Subtype /Link"), b.find("/ProcSet"));
  EXPECT_NE(b.find("/S /URI /URI (http://a)\r\n/Next "), std::string::npos);
  ExpectXrefWellFormed(b);
}

TEST(PdfObjects, RadioGroupInTheInteractiveForm) {
  std::string path = OutPath("pdf-radio.pdf");
  TPDFDocument doc;
  doc.SetFileName(Utf8ToUnicode(path));
  doc.BeginDoc();
  TPDFRadioGroup* g = doc.AcroForms().AddRadioGroup("choice");
  for (int i = 0; i < 3; ++i)
    new TPDFRadioButton(doc.CurrentPage(), TRect(50, 50 + 30 * i, 70, 70 + 30 * i), g,
                        "opt" + std::to_string(i), i == 1);
  doc.EndDoc();
  std::string b = ReadFile(path);
  ExpectQpdfClean(path);
  ExpectXrefWellFormed(b);
  EXPECT_NE(b.find("/Ff 49152"), std::string::npos);
  EXPECT_NE(b.find("/V /opt1\r\n/DV /opt1"), std::string::npos);
  EXPECT_NE(b.find("/AcroForm "), std::string::npos);
  EXPECT_NE(b.find("/ZaDb "), std::string::npos);
  if (!HaveTool("pdfinfo")) return;
  EXPECT_NE(RunTool("pdfinfo '" + path + "'").find("AcroForm"), std::string::npos);
}
