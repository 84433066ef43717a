#include "pdf/PDFSignature.h"

#include <cmath>

#include "pdf/PDFASN1.h"
#include "pdf/PDFCrypt.h"
#include "pdf/PDFPFX.h"
#include "pdf/PDFPages.h"
#include "pdf/PDFRSA.h"

namespace {

constexpr int kRangeBlanks = 10;  // room for the last number of /ByteRange
constexpr std::int64_t kReadBlock = 262144;

std::unique_ptr<TASN1Container> AlgorithmID(TOIDs id) {
  auto c = std::make_unique<TASN1Container>();
  c->Add(TASN1ObjectID::CreateFromID(id));
  c->Add(std::make_unique<TASN1Null>());
  return c;
}

std::unique_ptr<TASN1Container> Attribute(TOIDs type, std::unique_ptr<TASN1BaseObject> value,
                                          TASN1BaseObject** valueOut = nullptr) {
  auto a = std::make_unique<TASN1Container>();
  a->Add(TASN1ObjectID::CreateFromID(type));
  auto set = std::make_unique<TASN1Container>(asn1Set);
  if (valueOut) *valueOut = value.get();
  set->Add(std::move(value));
  a->Add(std::move(set));
  return a;
}

// The signing certificate's issuer name and serial number, from its DER structure:
// Certificate { TBSCertificate { [0] version (optional), serial, signature, issuer, ... }, ... }.
std::unique_ptr<TASN1Container> IssuerAndSerial(const TX509Certificate& cert) {
  auto* tbs = cert.FObject && cert.FObject->Count() > 0 ? dynamic_cast<TASN1Container*>(cert.FObject->Items(0))
                                                        : nullptr;
  if (!tbs || tbs->Count() < 4) throw EPDFSignatureException("Invalid signer certificate");
  int i = tbs->Items(0)->Class() == asn1Context && tbs->Items(0)->Tag() == 0 ? 1 : 0;
  if (tbs->Count() < i + 3 || tbs->Items(i)->Tag() != asn1Integer || tbs->Items(i + 2)->Tag() != asn1Sequence)
    throw EPDFSignatureException("Invalid signer certificate");
  auto r = std::make_unique<TASN1Container>();
  r->Add(tbs->Items(i + 2)->Copy());
  r->Add(tbs->Items(i)->Copy());
  return r;
}

void ReadAt(TStream& s, std::int64_t pos, void* buf, std::int64_t n) {
  s.Seek(pos, soBeginning);
  s.ReadBuffer(buf, n);
}

void WriteAt(TStream& s, std::int64_t pos, std::string_view bytes) {
  s.Seek(pos, soBeginning);
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

}  // namespace

// ---- the field ----------------------------------------------------------------------------------

TPDFDigitalSignatureAnnotation::TPDFDigitalSignatureAnnotation(TPDFPage* page, const TRect& box,
                                                               TPDFAcroForms* form, std::string name)
    : TPDFAcroFormAnnotation(page, box, form, std::move(name)) {
  if (form) form->AddField(this);
}

TPDFDigitalSignatureAnnotation::~TPDFDigitalSignatureAnnotation() = default;

TPDFForm* TPDFDigitalSignatureAnnotation::Form() {
  if (!FForm) {
    auto* fonts = static_cast<TPDFPage*>(FOwner)->Fonts();
    FForm = std::make_unique<TPDFForm>(FEngine, fonts);
    Extended d2p = FForm->D2P();
    FForm->SetWidth(static_cast<int>(std::lround((FRight - FLeft) * d2p)));
    FForm->SetHeight(static_cast<int>(std::lround((FTop - FBottom) * d2p)));
    FForm->SetLineWidth(d2p);
    FForm->SetColorFill(Color);
    FForm->SetColorStroke(FBorderColor);
  }
  return FForm.get();
}

TPDFSignature* TPDFDigitalSignatureAnnotation::CreateSignature(TPKCS12Document* pfx) {
  FSignature = std::make_unique<TPDFSignature>(FEngine, this, pfx);
  return FSignature.get();
}

void TPDFDigitalSignatureAnnotation::Save() {
  if (FForm) FForm->Save();
  if (FSignature) FSignature->Save();
  FEngine->StartObj(ID());
  std::string s = "/Type /Annot\r\n/Subtype /Widget\r\n/Rect [" + FormatIntQuad(FLeft, FBottom, FRight, FTop) +
                  "]\r\n/FT /Sig\r\n/F 132\r\n/P " + FOwner->RefID() + "\r\n/T " + CryptString(FName) + "\r\n";
  if (FSignature) s += "/V " + FSignature->RefID() + "\r\n";
  if (FForm) s += "/AP <</N " + FForm->RefID() + ">> \r\n";
  s += FieldActions() + ">>\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

void TPDFDigitalSignatureAnnotation::FinishSave() {
  if (FSignature) FSignature->FinishSave();
}

// ---- the signature ------------------------------------------------------------------------------

TPDFSignature::TPDFSignature(TPDFEngine* engine, TPDFDigitalSignatureAnnotation* annotation, TPKCS12Document* pfx)
    : TPDFObject(engine), FAnnotation(annotation), FPFX(pfx) {}

TPDFSignature::~TPDFSignature() = default;

// ContentInfo { signedData, [0] SignedData { 1, {sha256}, {data}, [0] certificates,
//   { SignerInfo { 1, issuer and serial, sha256, [0] {content type, message digest},
//     rsaEncryption, signature } } } }, with zeros for the digest and the signature.
void TPDFSignature::BuildSignedData() {
  if (!FPFX || !FPFX->FChain || !FPFX->FChain->FPrivateKey)
    throw EPDFSignatureException("No signer certificate with a private key");
  const TX509Certificate& signer = *FPFX->FChain;
  std::size_t modulusLength = TBigUnsigned::FromBytes(signer.FPrivateKey->Modulus()).ByteLength();
  TSHA256Hash probe;
  std::size_t digestLength = static_cast<std::size_t>(probe.HashSize());

  auto info = std::make_unique<TASN1Container>();
  info->Add(TASN1ObjectID::CreateFromID(OID_pkcs7_signed));
  auto* explicit0 = info->AddNew(std::make_unique<TASN1Container>(0, asn1Context));
  auto* sd = explicit0->AddNew(std::make_unique<TASN1Container>());
  sd->Add(std::make_unique<TASN1Integer>(1, false));
  auto* algs = sd->AddNew(std::make_unique<TASN1Container>(asn1Set));
  algs->Add(AlgorithmID(SignatureDigestAlgorithm));
  auto* content = sd->AddNew(std::make_unique<TASN1Container>());
  content->Add(TASN1ObjectID::CreateFromID(OID_pkcs7_data));
  auto* certs = sd->AddNew(std::make_unique<TASN1Container>(0, asn1Context));
  bool signerListed = false;
  for (auto& c : FPFX->FCertificates) {
    if (!c->FObject) continue;
    certs->Add(c->FObject->Copy());
    signerListed = signerListed || c.get() == &signer;
  }
  if (!signerListed) {
    if (!signer.FObject) throw EPDFSignatureException("Invalid signer certificate");
    certs->Add(signer.FObject->Copy());
  }
  auto* signers = sd->AddNew(std::make_unique<TASN1Container>(asn1Set));
  auto* si = signers->AddNew(std::make_unique<TASN1Container>());
  si->Add(std::make_unique<TASN1Integer>(1, false));
  si->Add(IssuerAndSerial(signer));
  si->Add(AlgorithmID(SignatureDigestAlgorithm));
  // DER orders a SET OF by encoding: the content type attribute is the shorter and comes first.
  FAttributes = si->AddNew(std::make_unique<TASN1Container>(0, asn1Context));
  FAttributes->Add(Attribute(OID_pkcs9_contentType, TASN1ObjectID::CreateFromID(OID_pkcs7_data)));
  TASN1BaseObject* digest = nullptr;
  FAttributes->Add(Attribute(OID_pkcs9_messageDigest,
                             std::make_unique<TASN1Data>(asn1OctetString, std::string(digestLength, '\0')),
                             &digest));
  FDigest = static_cast<TASN1Data*>(digest);
  si->Add(AlgorithmID(OID_rsaEncryption));
  FSignedDigest = si->AddNew(std::make_unique<TASN1Data>(asn1OctetString, std::string(modulusLength, '\0')));
  FSign = std::move(info);
}

void TPDFSignature::Save() {
  BuildSignedData();
  std::size_t size = FSign->Size();
  FEngine->StartObj(ID());
  FEngine->SaveToStream("/Type /Sig\r\n/SubFilter /adbe.pkcs7.detached\r\n/Filter /Adobe.PPKMS\r\n/Contents ",
                        false);
  FContentPosition = FEngine->Stream()->GetPosition();
  FEngine->SaveToStream("<" + std::string(size * 2, '0') + ">", false);
  FContentEndPosition = FEngine->Stream()->GetPosition();
  std::string s = "\r/ByteRange [0 " + std::to_string(FContentPosition) + " " +
                  std::to_string(FContentEndPosition) + " ";
  FEngine->SaveToStream(s, false);
  FSizePosition = FEngine->Stream()->GetPosition();
  s = std::string(kRangeBlanks, ' ') + "]\r\n";
  s += "/M " + CryptString("D:" + FormatPDFDateTime(NowUTC()) + "Z") + "\r\n";
  s += "/Name " + CryptString(Name) + "\r\n";
  if (!Location.empty()) s += "/Location " + CryptString(Location) + "\r\n";
  if (!Reason.empty()) s += "/Reason " + CryptString(Reason) + "\r\n";
  if (!ContactInfo.empty()) s += "/ContactInfo " + CryptString(ContactInfo) + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

void TPDFSignature::FinishSave() {
  if (!FSign) return;
  TStream& st = *FEngine->Stream();
  std::int64_t end = st.Seek(0, soEnd);
  std::string tail = std::to_string(end - FContentEndPosition);
  if (tail.size() > static_cast<std::size_t>(kRangeBlanks)) throw EPDFException("File too large to sign");
  WriteAt(st, FSizePosition, tail);

  TSHA256Hash hash;
  std::string block(static_cast<std::size_t>(kReadBlock), '\0');
  auto digestRange = [&](std::int64_t from, std::int64_t to) {
    for (std::int64_t p = from; p < to;) {
      std::int64_t n = std::min(kReadBlock, to - p);
      ReadAt(st, p, block.data(), n);
      hash.Update(block.data(), static_cast<std::size_t>(n));
      p += n;
    }
  };
  digestRange(0, FContentPosition);
  digestRange(FContentEndPosition, end);
  hash.Final();
  FDigest->SetData(hash.Digest());

  std::string attrs = FAttributes->WriteToString();
  attrs[0] = static_cast<char>(0x31);  // the same values encoded as a SET, as they are signed
  std::string attrsDigest = SHA256Of(attrs);
  auto digestInfo = CreateDigestInfo(SignatureDigestAlgorithm, attrsDigest);
  FSignedDigest->SetData(RSASign(*FPFX->FChain->FPrivateKey, *digestInfo));

  std::string der = FSign->WriteToString();
  std::string hex = StrToHexString(der, false);
  if (static_cast<std::int64_t>(hex.size()) > FContentEndPosition - FContentPosition - 2)
    throw EPDFSignatureException("Signature larger than its place");
  WriteAt(st, FContentPosition + 1, hex);
  st.Seek(0, soEnd);
}
