// Signing a written document: 300 pages of text lines in two standard fonts with a signature
// field, written into memory, beside the same document without a signature in the same run. The
// difference is the signature's own cost (one SHA-256 pass over the file, one RSA operation).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "pdf/PDFASN1.h"
#include "pdf/PDFCertKey.h"
#include "pdf/PDFDocument.h"
#include "pdf/PDFPFX.h"
#include "pdf/PDFPages.h"
#include "pdf/PDFSignature.h"
#include "pdf/PdfTestKey.h"

namespace {

constexpr int kPages = 300;

using pdftest::TestKeyHex;

std::string FromHex(std::string_view h) {
  std::string r;
  auto v = [](char c) { return c <= '9' ? c - '0' : (c | 32) - 'a' + 10; };
  for (std::size_t i = 0; i + 1 < h.size(); i += 2) r += static_cast<char>(v(h[i]) * 16 + v(h[i + 1]));
  return r;
}

// The signer: the key, and a certificate structure with what the signature takes from it.
struct TSigner {
  TPKCS12Document Pfx;
  std::unique_ptr<TPrivateKey> Key;
  TSigner() {
    auto c = [](int i) { return FromHex(TestKeyHex[i]); };
    Key = TPrivateKey::FromComponents(c(0), c(1), c(2), c(3), c(4), c(5), c(6), c(7));
    auto name = std::make_unique<TASN1Container>();
    auto* rdn = name->AddNew(std::make_unique<TASN1Container>(asn1Set));
    auto* atv = rdn->AddNew(std::make_unique<TASN1Container>());
    atv->Add(TASN1ObjectID::CreateFromID(OID_commonName));
    atv->Add(std::make_unique<TASN1Data>(asn1UTF8String, "Bench"));
    auto tbs = std::make_unique<TASN1Container>();
    tbs->Add(std::make_unique<TASN1Integer>(12345, false));
    auto alg = std::make_unique<TASN1Container>();
    alg->Add(TASN1ObjectID::CreateFromID(OID_rsaEncryption));
    tbs->Add(std::move(alg));
    tbs->Add(name->Copy());
    tbs->Add(std::make_unique<TASN1Container>());
    tbs->Add(std::move(name));
    auto cert = std::make_unique<TX509Certificate>();
    cert->FObject = std::make_unique<TASN1Container>();
    cert->FObject->Add(std::move(tbs));
    cert->FPrivateKey = Key.get();
    Pfx.FChain = cert.get();
    Pfx.FCertificates.push_back(std::move(cert));
  }
};

void WriteDocument(benchmark::State& state, bool sign) {
  TSigner signer;
  long long bytes = 0;
  int run = 0;
  for (auto _ : state) {
    TMemoryStream out;
    TPDFDocument doc;
    doc.SetOutputStream(&out);
    doc.BeginDoc();
    ++run;
    for (int p = 0; p < kPages; ++p) {
      if (p) doc.NewPage();
      TPDFPage* page = doc.CurrentPage();
      for (int l = 0; l < 60; ++l) {
        page->SetActiveFont(l % 3 ? stdfHelvetica : stdfTimesBold, 10);
        page->TextOut(50, 64 + 12 * l, 0,
                      "Run " + std::to_string(run) + " page " + std::to_string(p) + " line " + std::to_string(l) +
                          ": the quick brown fox jumps over the lazy dog");
      }
      page->MoveTo(50, 50);
      page->LineTo(545, 50);
      page->Stroke();
    }
    if (sign) {
      auto* field = new TPDFDigitalSignatureAnnotation(doc.CurrentPage(), TRect{50, 780, 250, 820},
                                                       &doc.AcroForms(), "Signature");
      field->CreateSignature(&signer.Pfx)->Name = "Bench";
    }
    doc.EndDoc();
    bytes = out.GetSize();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_SignedDocument(benchmark::State& state) { WriteDocument(state, true); }
void BM_UnsignedDocument(benchmark::State& state) { WriteDocument(state, false); }

}  // namespace

BENCHMARK(BM_SignedDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnsignedDocument)->Unit(benchmark::kMillisecond);
