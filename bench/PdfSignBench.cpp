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

namespace {

constexpr int kPages = 300;

// A 1024-bit key made by openssl for the tests.
const char* const KeyHex[8] = {
    "D9D1041F861E8AEC3D1A61BC792FCE79D7DE30512AD443105D4BBF360A1D1EAF8603A01215FF696B587789F6724A9F7C1DF559FC47441DF5"
    "EBA1521571AEBC975EBCD482ED280F9590109B39C3739F921AA9EC257E99FCD6418C932B176E62F4AD1BB44BD37D61886867E12F93FA8B48"
    "95CC52E50811786354934303AB9ED9A9",
    "010001",
    "D1BD7E2DE8D5124B074F971B88CA6B1552B3A66D1243D0CC3A3A4D467918AF4AAF4E605DEA06C6F951F7D1C6992998474905CFFFA8944411"
    "6133373A64FCB0A57E189FACFB11C430A533543652B281539EBB55B12175D5B4C0D8759C4FD98BF0645D8A818868C68CD69EF72E37C334BB"
    "DFE4FFAF6DF8E4C225A4C02E8F647A4D",
    "FC2C959A2888FEA880F57FF4AA839EC92EAF9C2B46252F1A2D49A98AF9CA36957612E8A7C39937181C81E30A22D20B55D4C2E22755A82412"
    "76D90FD699EF0093",
    "DD1EFD89E8D4E462025F5003E87E881CD30273C9874CEF47C8408049E0F05A65FCFF2F97585002BE084EDF7A440C0C80473AD3C1C24BB8A7"
    "E0ECA2E7E1A3EE53",
    "24F64BFF4A8DB9F5ECE10F1E4797FF4031CD9FB06019B72BB913A0FC33DCC5DF666D2318E3FCA32CAF91023C4C1A497B0D327B7F94788EC0"
    "FE1696D1B7C2666D",
    "6CF91AE65E529D03183C34C8D8499376F11EE2454D62C301D354C664A270917C75C4A585A6C637B3C3906B5E6C2EABF284281FB7FBB3299B"
    "C2A39C5D3EBC7575",
    "7D67241393AF5828AA3ECD90469882EDAC04121A1404C13D207E9E430E11260C8FF18B6D258EA765C4360F56D737708364958BE4AE19C97B"
    "8FDB7653574969BF"};

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
    Key = TPrivateKey::FromComponents(FromHex(KeyHex[0]), FromHex(KeyHex[1]), FromHex(KeyHex[2]), FromHex(KeyHex[3]),
                                      FromHex(KeyHex[4]), FromHex(KeyHex[5]), FromHex(KeyHex[6]), FromHex(KeyHex[7]));
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
