#include <gtest/gtest.h>

#include "PdfToolRunner.h"
#include "pdf/PDFASN1.h"
#include "pdf/PDFCertKey.h"
#include "pdf/PDFDocument.h"
#include "pdf/PDFPFX.h"
#include "pdf/PDFPages.h"
#include "pdf/PDFSignature.h"

using namespace pdftest;

namespace {

UnicodeString U(const std::string& s) { return Utf8ToUnicode(s); }

// DER as the tests' key files hold it, read into objects: constructed values become containers,
// primitive ones plain data, so writing them again gives the same bytes.
std::unique_ptr<TASN1BaseObject> ReadDer(std::string_view der, std::size_t& pos) {
  auto byte = [&]() -> unsigned {
    if (pos >= der.size()) throw std::runtime_error("truncated DER");
    return static_cast<unsigned char>(der[pos++]);
  };
  unsigned id = byte();
  std::uint32_t tag = id & 31;
  if (tag == 31) {
    tag = 0;
    unsigned b;
    do {
      b = byte();
      tag = tag << 7 | (b & 127);
    } while (b & 128);
  }
  std::size_t len = byte();
  if (len & 128) {
    unsigned n = len & 127;
    len = 0;
    while (n--) len = len << 8 | byte();
  }
  if (pos + len > der.size()) throw std::runtime_error("truncated DER");
  auto cls = static_cast<std::uint8_t>(id >> 6);
  if (id & 32) {
    auto c = std::make_unique<TASN1Container>(tag, cls);
    std::size_t end = pos + len;
    while (pos < end) c->Add(ReadDer(der, pos));
    return c;
  }
  auto d = std::make_unique<TASN1Data>(tag, std::string(der.substr(pos, len)), cls);
  pos += len;
  return d;
}

std::unique_ptr<TASN1Container> ReadDerContainer(const std::string& der) {
  std::size_t pos = 0;
  auto o = ReadDer(der, pos);
  auto* c = dynamic_cast<TASN1Container*>(o.get());
  if (!c) return nullptr;
  o.release();
  return std::unique_ptr<TASN1Container>(c);
}

struct TSigner {
  TPKCS12Document Pfx;
  std::unique_ptr<TPrivateKey> Key;
};

// A fresh RSA key and self-signed certificate from the openssl tool, held as a caller fills them.
bool MakeSigner(const TScratchDir& dir, int bits, TSigner& s) {
  std::string key = dir.File("key.der"), cert = dir.File("cert.der");
  auto r = RunCommand("(openssl req -x509 -newkey rsa:" + std::to_string(bits) + " -nodes -days 2 -subj '/CN=Signer " +
                      "Test/O=Tavrelo' -keyout '" + dir.File("key.pem") + "' -out '" + dir.File("cert.pem") +
                      "' && openssl rsa -traditional -in '" + dir.File("key.pem") + "' -outform DER -out '" + key +
                      "' && openssl x509 -in '" + dir.File("cert.pem") + "' -outform DER -out '" + cert + "')");
  if (r.Status != 0) {
    ADD_FAILURE() << r.Output;
    return false;
  }
  s.Key = std::make_unique<TPrivateKey>(ReadDerContainer(ReadFile(key)));
  auto c = std::make_unique<TX509Certificate>();
  c->FObject = ReadDerContainer(ReadFile(cert));
  c->FPrivateKey = s.Key.get();
  s.Pfx.FChain = c.get();
  s.Pfx.FChainLen = 1;
  s.Pfx.FCertificates.push_back(std::move(c));
  return true;
}

// Writes a one-page document with a signature field to path, or into out when given.
void WriteSigned(TSigner& signer, const std::string& path, TPDFSecurityState security = ssNone,
                 TStream* out = nullptr) {
  TPDFDocument doc;
  if (out)
    doc.SetOutputStream(out);
  else
    doc.SetFileName(U(path));
  if (security != ssNone) {
    TPDFSecurityOptions o;
    o.State = security;
    o.UserPassword = "user";
    o.OwnerPassword = "owner";
    doc.SetSecurity(o);
  }
  doc.BeginDoc();
  TPDFPage* page = doc.CurrentPage();
  page->SetActiveFont(stdfHelvetica, 12, {});
  page->TextOut(50, 100, 0, "Signed page");
  auto* field = new TPDFDigitalSignatureAnnotation(page, TRect{50, 150, 250, 200}, &doc.AcroForms(), "Sig1");
  field->Form()->Rectangle(1, 1, 199, 49);
  field->Form()->Stroke();
  TPDFSignature* sig = field->CreateSignature(&signer.Pfx);
  sig->Name = "Signer Test";
  sig->Reason = "Approval";
  sig->Location = "Here";
  doc.EndDoc();
}

struct TByteRange {
  std::int64_t V[4] = {};
};

bool ParseByteRange(const std::string& pdf, TByteRange& r) {
  auto p = pdf.find("/ByteRange [");
  if (p == std::string::npos) return false;
  std::istringstream in(pdf.substr(p + 12, 80));
  for (auto& v : r.V) in >> v;
  return static_cast<bool>(in);
}

}  // namespace

TEST(PdfSignature, SignedFileVerifiesAndCoversAllButTheContents) {
  if (!HaveTool("openssl")) GTEST_SKIP() << "openssl is not installed";
  for (int bits : {1024, 2048}) {
    SCOPED_TRACE(bits);
    TScratchDir dir("pdf-sign");
    TSigner signer;
    ASSERT_TRUE(MakeSigner(dir, bits, signer));
    std::string path = dir.File("signed.pdf");
    WriteSigned(signer, path);
    std::string pdf = ReadFile(path);
    ExpectQpdfClean(path);
    EXPECT_NE(pdf.find("/SigFlags 3"), std::string::npos);
    EXPECT_NE(pdf.find("/FT /Sig"), std::string::npos);

    TByteRange br;
    ASSERT_TRUE(ParseByteRange(pdf, br));
    EXPECT_EQ(br.V[0], 0);
    EXPECT_EQ(static_cast<std::size_t>(br.V[2] + br.V[3]), pdf.size());  // the whole file ...
    ASSERT_LT(br.V[1], br.V[2]);
    EXPECT_EQ(pdf[br.V[1]], '<');  // ... but the contents' hexadecimal string
    EXPECT_EQ(pdf[br.V[2] - 1], '>');
    std::string hex = pdf.substr(br.V[1] + 1, br.V[2] - br.V[1] - 2);
    ASSERT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    std::string cms = FromHex(hex);
    ASSERT_EQ(static_cast<unsigned char>(cms[0]), 0x30);

    std::string signedBytes = pdf.substr(0, br.V[1]) + pdf.substr(br.V[2], br.V[3]);
    WriteFile(dir.File("sig.der"), cms);
    WriteFile(dir.File("content.bin"), signedBytes);
    auto verify = [&](const std::string& content) {
      return RunCommand("openssl cms -verify -binary -inform DER -noverify -in '" + dir.File("sig.der") +
                        "' -content '" + content + "' -out /dev/null");
    };
    auto ok = verify(dir.File("content.bin"));
    EXPECT_EQ(ok.Status, 0) << ok.Output;
    // The signer info names SHA-256 and the structure is what a reader of CMS expects.
    auto printed = RunCommand("openssl cms -cmsout -print -inform DER -in '" + dir.File("sig.der") + "'");
    EXPECT_NE(printed.Output.find("sha256"), std::string::npos) << printed.Output;
    EXPECT_EQ(printed.Output.find("sha1"), std::string::npos) << printed.Output;

    // A PDF reader's own signature check agrees (the self-signed certificate is not trusted, but
    // the signature over the byte range is valid).
    if (HaveTool("pdfsig")) {
      auto sig = RunCommand("pdfsig '" + path + "'");
      EXPECT_NE(sig.Output.find("Signature is Valid"), std::string::npos) << sig.Output;
      EXPECT_NE(sig.Output.find("SHA-256"), std::string::npos) << sig.Output;
      EXPECT_NE(sig.Output.find("Total document signed"), std::string::npos) << sig.Output;
    }

    // One changed byte outside the contents breaks the signature.
    std::string tampered = signedBytes;
    tampered[signedBytes.size() / 3] ^= 1;
    WriteFile(dir.File("tampered.bin"), tampered);
    EXPECT_NE(verify(dir.File("tampered.bin")).Status, 0);
  }
}

TEST(PdfSignature, EncryptedSignedFileOpensAndVerifies) {
  if (!HaveTool("openssl") || !HaveTool("qpdf")) GTEST_SKIP() << "openssl or qpdf is not installed";
  TScratchDir dir("pdf-sign-enc");
  TSigner signer;
  ASSERT_TRUE(MakeSigner(dir, 2048, signer));
  std::string path = dir.File("signed.pdf");
  WriteSigned(signer, path, ss128AES);
  auto check = RunCommand("qpdf --password=user --check '" + path + "'");
  EXPECT_EQ(check.Status, 0) << check.Output;
  std::string pdf = ReadFile(path);
  TByteRange br;
  ASSERT_TRUE(ParseByteRange(pdf, br));
  EXPECT_EQ(static_cast<std::size_t>(br.V[2] + br.V[3]), pdf.size());
  WriteFile(dir.File("sig.der"), FromHex(pdf.substr(br.V[1] + 1, br.V[2] - br.V[1] - 2)));
  WriteFile(dir.File("content.bin"), pdf.substr(0, br.V[1]) + pdf.substr(br.V[2], br.V[3]));
  auto ok = RunCommand("openssl cms -verify -binary -inform DER -noverify -in '" + dir.File("sig.der") +
                       "' -content '" + dir.File("content.bin") + "' -out /dev/null");
  EXPECT_EQ(ok.Status, 0) << ok.Output;
}

TEST(PdfSignature, SignedIntoAnOutputStream) {
  if (!HaveTool("openssl")) GTEST_SKIP() << "openssl is not installed";
  TScratchDir dir("pdf-sign-mem");
  TSigner signer;
  ASSERT_TRUE(MakeSigner(dir, 1024, signer));
  TMemoryStream out;
  WriteSigned(signer, "", ssNone, &out);
  std::string pdf(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.GetSize()));
  TByteRange br;
  ASSERT_TRUE(ParseByteRange(pdf, br));
  EXPECT_EQ(static_cast<std::size_t>(br.V[2] + br.V[3]), pdf.size());
  WriteFile(dir.File("sig.der"), FromHex(pdf.substr(br.V[1] + 1, br.V[2] - br.V[1] - 2)));
  WriteFile(dir.File("content.bin"), pdf.substr(0, br.V[1]) + pdf.substr(br.V[2], br.V[3]));
  auto ok = RunCommand("openssl cms -verify -binary -inform DER -noverify -in '" + dir.File("sig.der") +
                       "' -content '" + dir.File("content.bin") + "' -out /dev/null");
  EXPECT_EQ(ok.Status, 0) << ok.Output;
}

TEST(PdfSignature, MissingSignerFailsAndLeavesTheTarget) {
  TScratchDir dir("pdf-sign-bad");
  std::string path = dir.File("target.pdf");
  WriteFile(path, "kept");
  TPKCS12Document empty;
  TPDFDocument doc;
  doc.SetFileName(U(path));
  doc.BeginDoc();
  auto* field = new TPDFDigitalSignatureAnnotation(doc.CurrentPage(), TRect{10, 10, 60, 30}, &doc.AcroForms(), "S");
  field->CreateSignature(&empty);
  EXPECT_THROW(doc.EndDoc(), EPDFSignatureException);
  EXPECT_EQ(ReadFile(path), "kept");
}

TEST(PdfSignature, FieldWithoutSignatureHasNoSigFlags) {
  TMemoryStream out;
  TPDFDocument doc;
  doc.SetOutputStream(&out);
  doc.BeginDoc();
  new TPDFDigitalSignatureAnnotation(doc.CurrentPage(), TRect{10, 10, 60, 30}, &doc.AcroForms(), "Empty");
  doc.EndDoc();
  std::string pdf(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.GetSize()));
  EXPECT_NE(pdf.find("/AcroForm"), std::string::npos);
  EXPECT_NE(pdf.find("/FT /Sig"), std::string::npos);
  EXPECT_EQ(pdf.find("/SigFlags"), std::string::npos);
  EXPECT_EQ(pdf.find("/ByteRange"), std::string::npos);
}
