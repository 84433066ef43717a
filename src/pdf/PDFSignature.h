// Signature fields of the interactive form and the detached PKCS #7 signature over the finished
// file. The signature object is written with a zero-filled /Contents and a /ByteRange whose last
// number is left blank; once the trailer is out, FinishSave fills the byte range, digests the
// file around /Contents with SHA-256, signs with the signer's RSA key and writes the signed-data
// structure in hexadecimal over the zeros.
#pragma once

#include <memory>
#include <string>

#include "pdf/PDFAnnots.h"
#include "pdf/PDFForms.h"

class TPKCS12Document;
class TASN1Container;
class TASN1Data;
class TPDFSignature;

class TPDFDigitalSignatureAnnotation : public TPDFAcroFormAnnotation {
 public:
  // Registers itself as a field of form; the page owns it.
  TPDFDigitalSignatureAnnotation(TPDFPage* page, const TRect& box, TPDFAcroForms* form, std::string name);
  ~TPDFDigitalSignatureAnnotation() override;
  // The appearance, made on first use with the field's size, line width 1, the background as fill
  // and the border colour as stroke, for the caller to draw on.
  TPDFForm* Form();
  // The signature the field holds, signed with pfx's signer (its FChain and that certificate's
  // private key; every certificate of pfx goes into the signature). pfx stays the caller's and
  // must live until the document ends.
  TPDFSignature* CreateSignature(TPKCS12Document* pfx);
  TPDFSignature* Signature() const { return FSignature.get(); }
  bool HoldsSignature() const override { return FSignature != nullptr; }
  void Save() override;
  void FinishSave() override;

 private:
  std::unique_ptr<TPDFSignature> FSignature;
  std::unique_ptr<TPDFForm> FForm;
};

class TPDFSignature : public TPDFObject {
 public:
  TPDFSignature(TPDFEngine* engine, TPDFDigitalSignatureAnnotation* annotation, TPKCS12Document* pfx);
  ~TPDFSignature() override;
  std::string Name, Reason, ContactInfo, Location, AuthorName;
  void Save() override;
  // Signs the file written through the engine's stream, which must read and seek.
  void FinishSave() override;
  // The file offsets of "<" of /Contents and just after its ">".
  std::int64_t ContentPosition() const { return FContentPosition; }
  std::int64_t ContentEndPosition() const { return FContentEndPosition; }

 private:
  void BuildSignedData();
  TPDFDigitalSignatureAnnotation* FAnnotation;
  TPKCS12Document* FPFX;
  std::unique_ptr<TASN1Container> FSign;
  TASN1Container* FAttributes = nullptr;  // the signer's authenticated attributes, in FSign
  TASN1Data* FDigest = nullptr;           // the message-digest value, in FAttributes
  TASN1Data* FSignedDigest = nullptr;     // the signature value, in FSign
  std::int64_t FContentPosition = 0, FContentEndPosition = 0, FSizePosition = 0;
};
