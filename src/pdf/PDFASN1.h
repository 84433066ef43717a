// ASN.1 values encoded in DER (and BER with indefinite lengths) for signatures, and the table of
// object identifiers the writer knows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/PDFTypes.h"
#include "platform/base/Types.h"

enum TOIDs {
  OID_undef,
  OID_rsaEncryption, OID_md2WithRSAEncryption, OID_md5WithRSAEncryption, OID_pbeWithMD2AndDES_CBC,
  OID_pbeWithMD5AndDES_CBC, OID_pbeWithMD2AndRC2_CBC, OID_pbeWithMD5AndRC2_CBC, OID_pbeWithSHA1AndDES_CBC,
  OID_pbeWithSHA1AndRC2_CBC, OID_id_pbkdf2, OID_pbes2, OID_pbmac1, OID_pkcs7_data, OID_pkcs7_signed,
  OID_pkcs7_enveloped, OID_pkcs7_signedAndEnveloped, OID_pkcs7_digest, OID_pkcs7_encrypted,
  OID_pkcs9_emailAddress, OID_pkcs9_unstructuredName, OID_pkcs9_contentType, OID_pkcs9_messageDigest,
  OID_pkcs9_signingTime, OID_pkcs9_countersignature, OID_pkcs9_challengePassword,
  OID_pkcs9_unstructuredAddress, OID_pkcs9_extCertAttributes, OID_SigningDescription, OID_ext_req,
  OID_SMIMECapabilities, OID_friendlyName, OID_localKeyID, OID_x509Certificate, OID_sdsiCertificate,
  OID_pkcs12CRLTypeX509, OID_pbe_WithSHA1And128BitRC4, OID_pbe_WithSHA1And40BitRC4,
  OID_pbe_WithSHA1And3_Key_TripleDES_CBC, OID_pbe_WithSHA1And2_Key_TripleDES_CBC,
  OID_pbe_WithSHA1And128BitRC2_CBC, OID_pbe_WithSHA1And40BitRC2_CBC, OID_keyBag, OID_pkcs8ShroudedKeyBag,
  OID_certBag, OID_crlBag, OID_secretBag, OID_safeContentsBag, OID_md2, OID_md4, OID_md5, OID_md5WithRSA,
  OID_des_ecb, OID_des_cbc, OID_des_ofb64, OID_des_cfb64, OID_rsaSignature, OID_dsa_2, OID_dsaWithSHA,
  OID_shaWithRSAEncryption, OID_sha, OID_des_ede_ecb, OID_sha1, OID_sha224, OID_sha256, OID_sha384,
  OID_sha512, OID_ripedm160, OID_dsaWithSHA1_2, OID_sha1WithRSA, OID_commonName, OID_surName,
  OID_serialNumber, OID_countryName, OID_localityName, OID_stateOrProvinceName, OID_organizationName,
  OID_organizationalUnitName, OID_title, OID_description, OID_searchGuide, OID_businessCategory,
  OID_postalAddress, OID_postOfficeBox, OID_physicalDeliveryOfficeName, OID_telephoneNumber,
  OID_telexNumber, OID_teletexTerminalIdentifier, OID_facsimileTelephoneNumber, OID_x121Address,
  OID_internationaliSDNNumber, OID_registeredAddress, OID_destinationIndicator, OID_preferredDeliveryMethod,
  OID_presentationAddress, OID_supportedApplicationContext, OID_member, OID_owner, OID_roleOccupant,
  OID_seeAlso, OID_userPassword, OID_userCertificate, OID_cACertificate, OID_authorityRevocationList,
  OID_certificateRevocationList, OID_crossCertificatePair, OID_name, OID_givenName, OID_initials,
  OID_dnQualifier, OID_enhancedSearchGuide, OID_protocolInformation, OID_distinguishedName,
  OID_uniqueMember, OID_houseIdentifier, OID_supportedAlgorithms, OID_deltaRevocationList, OID_dmdName,
  OID_notChecked
};

// Failures of signing: keys too small for the digest, values that cannot change.
TAVRELO_EXCEPTION(EPDFSignatureException, EPDFException)

// Universal tag numbers used by the writer.
constexpr std::uint32_t asn1Integer = 2, asn1BitString = 3, asn1OctetString = 4, asn1Null = 5,
                        asn1ObjectID = 6, asn1UTF8String = 12, asn1Sequence = 16, asn1Set = 17,
                        asn1PrintableString = 19, asn1UTCTime = 23;
// Tag classes.
constexpr std::uint8_t asn1Universal = 0, asn1Application = 1, asn1Context = 2, asn1Private = 3;

class TASN1BaseObject {
 public:
  virtual ~TASN1BaseObject() = default;
  virtual std::size_t ContentLength() const = 0;
  virtual void AppendContent(std::string& out) const = 0;
  virtual std::unique_ptr<TASN1BaseObject> Copy() const = 0;
  virtual bool IsEqual(const TASN1BaseObject& other) const;

  // Identifier, length and content.
  std::string WriteToString() const;
  void AppendTo(std::string& out) const;
  std::size_t Size() const;
  std::uint32_t Tag() const { return FTag; }
  std::uint8_t Class() const { return FClass; }

 protected:
  TASN1BaseObject(std::uint32_t tag, std::uint8_t cls) : FTag(tag), FClass(cls) {}
  virtual bool Constructed() const { return false; }
  virtual bool IndefiniteLength() const { return false; }
  std::uint32_t FTag;
  std::uint8_t FClass;
};

// SEQUENCE (16) and SET (17), and any constructed value of another tag.
class TASN1Container : public TASN1BaseObject {
 public:
  explicit TASN1Container(std::uint32_t tag = asn1Sequence, std::uint8_t cls = asn1Universal,
                          bool unknownLength = false)
      : TASN1BaseObject(tag, cls), FUnknowLength(unknownLength) {}
  std::size_t ContentLength() const override;
  void AppendContent(std::string& out) const override;
  std::unique_ptr<TASN1BaseObject> Copy() const override;
  bool IsEqual(const TASN1BaseObject& other) const override;

  // Takes ownership; answers the index.
  int Add(std::unique_ptr<TASN1BaseObject> item);
  template <class T>
  T* AddNew(std::unique_ptr<T> item) {
    T* p = item.get();
    Add(std::move(item));
    return p;
  }
  int Count() const { return static_cast<int>(FList.size()); }
  TASN1BaseObject* Items(int i) const { return FList.at(static_cast<std::size_t>(i)).get(); }

 protected:
  bool Constructed() const override { return true; }
  bool IndefiniteLength() const override { return FUnknowLength; }

 private:
  std::vector<std::unique_ptr<TASN1BaseObject>> FList;
  bool FUnknowLength;
};

class TASN1Data : public TASN1BaseObject {
 public:
  TASN1Data(std::uint32_t tag, std::string data, std::uint8_t cls = asn1Universal)
      : TASN1BaseObject(tag, cls), FData(std::move(data)) {}
  std::size_t ContentLength() const override { return FData.size(); }
  void AppendContent(std::string& out) const override { out += FData; }
  std::unique_ptr<TASN1BaseObject> Copy() const override;
  bool IsEqual(const TASN1BaseObject& other) const override;

  const std::string& Data() const { return FData; }
  const char* Buffer() const { return FData.data(); }
  std::size_t DataSize() const { return FData.size(); }
  // Raises "Cannot change value for this class" for integers and object identifiers.
  virtual void SetData(std::string data);

 protected:
  std::string FData;
};

class TASN1Integer : public TASN1Data {
 public:
  // The value as 8 big-endian bytes, shortened. Signed: the shortest two's-complement form.
  // Unsigned: the value read as unsigned, leading zero bytes removed, and one zero byte kept in
  // front when the first byte left has its high bit set, so a reader never takes it as negative.
  TASN1Integer(std::int64_t value, bool isUnsigned);
  // From content bytes as they stand (two's complement, big-endian).
  static std::unique_ptr<TASN1Integer> FromContent(std::string content);
  // From the big-endian bytes of a non-negative number of any length (a modulus, a serial
  // number): leading zeros removed, a sign byte added where needed.
  static std::unique_ptr<TASN1Integer> FromUnsigned(std::string_view bytes);
  std::unique_ptr<TASN1BaseObject> Copy() const override;
  void SetData(std::string data) override;

  std::int64_t Value() const { return FValue; }
  bool IsLargest() const { return FIsLargest; }

 private:
  explicit TASN1Integer(std::string content);
  std::int64_t FValue = 0;
  bool FIsLargest = false;
};

class TASN1ObjectID : public TASN1Data {
 public:
  // With dotted true the text is "1.2.840..." and is encoded; otherwise it is the content.
  TASN1ObjectID(std::string_view text, bool dotted);
  static std::unique_ptr<TASN1ObjectID> CreateFromID(TOIDs id);
  std::unique_ptr<TASN1BaseObject> Copy() const override;
  void SetData(std::string data) override;

  const std::string& OID() const { return FOID; }
  // Looked up once in the table; OID_undef when absent.
  TOIDs ID() const;

 private:
  mutable TOIDs FID = OID_notChecked;
  std::string FOID;
};

class TASN1Null : public TASN1Data {
 public:
  TASN1Null() : TASN1Data(asn1Null, {}) {}
  std::unique_ptr<TASN1BaseObject> Copy() const override { return std::make_unique<TASN1Null>(); }
};

class TASN1Document {
 public:
  int Add(std::unique_ptr<TASN1BaseObject> item);
  int Count() const { return static_cast<int>(FList.size()); }
  TASN1BaseObject* Items(int i) const { return FList.at(static_cast<std::size_t>(i)).get(); }

 private:
  std::vector<std::unique_ptr<TASN1BaseObject>> FList;
};

// The DER content bytes of a known identifier (empty for OID_notChecked), and the identifier of
// content bytes (OID_undef when unknown). The dotted forms go both ways as well.
std::string OIDContent(TOIDs id);
TOIDs FindOID(std::string_view content);
std::string EncodeOID(std::string_view dotted);
std::string DecodeOID(std::string_view content);
