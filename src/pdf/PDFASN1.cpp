#include "pdf/PDFASN1.h"

#include <algorithm>
#include <typeinfo>

namespace {

void AppendBase128(std::string& out, std::uint64_t v) {
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>(v & 0x7F);
    v >>= 7;
  } while (v);
  while (n-- > 0) out += static_cast<char>(digits[n] | (n ? 0x80 : 0));
}

void AppendLength(std::string& out, std::size_t len) {
  if (len < 128) {
    out += static_cast<char>(len);
    return;
  }
  char bytes[8];
  int n = 0;
  for (; len; len >>= 8) bytes[n++] = static_cast<char>(len & 255);
  out += static_cast<char>(0x80 + n);
  while (n-- > 0) out += bytes[n];
}

std::size_t LengthBytes(std::size_t len) {
  if (len < 128) return 1;
  std::size_t n = 1;
  for (; len; len >>= 8) ++n;
  return n;
}

std::size_t IdentifierBytes(std::uint32_t tag) {
  if (tag <= 30) return 1;
  std::size_t n = 1;
  for (; tag; tag >>= 7) ++n;
  return n;
}

struct TOIDRow {
  TOIDs ID;
  const char* Dotted;
};

// Every known identifier by its dotted form; the table of content bytes below is made from it.
const TOIDRow KnownOIDs[] = {
    {OID_rsaEncryption, "1.2.840.113549.1.1.1"}, {OID_md2WithRSAEncryption, "1.2.840.113549.1.1.2"},
    {OID_md5WithRSAEncryption, "1.2.840.113549.1.1.4"}, {OID_pbeWithMD2AndDES_CBC, "1.2.840.113549.1.5.1"},
    {OID_pbeWithMD5AndDES_CBC, "1.2.840.113549.1.5.3"}, {OID_pbeWithMD2AndRC2_CBC, "1.2.840.113549.1.5.4"},
    {OID_pbeWithMD5AndRC2_CBC, "1.2.840.113549.1.5.6"}, {OID_pbeWithSHA1AndDES_CBC, "1.2.840.113549.1.5.10"},
    {OID_pbeWithSHA1AndRC2_CBC, "1.2.840.113549.1.5.11"}, {OID_id_pbkdf2, "1.2.840.113549.1.5.12"},
    {OID_pbes2, "1.2.840.113549.1.5.13"}, {OID_pbmac1, "1.2.840.113549.1.5.14"},
    {OID_pkcs7_data, "1.2.840.113549.1.7.1"}, {OID_pkcs7_signed, "1.2.840.113549.1.7.2"},
    {OID_pkcs7_enveloped, "1.2.840.113549.1.7.3"}, {OID_pkcs7_signedAndEnveloped, "1.2.840.113549.1.7.4"},
    {OID_pkcs7_digest, "1.2.840.113549.1.7.5"}, {OID_pkcs7_encrypted, "1.2.840.113549.1.7.6"},
    {OID_pkcs9_emailAddress, "1.2.840.113549.1.9.1"}, {OID_pkcs9_unstructuredName, "1.2.840.113549.1.9.2"},
    {OID_pkcs9_contentType, "1.2.840.113549.1.9.3"}, {OID_pkcs9_messageDigest, "1.2.840.113549.1.9.4"},
    {OID_pkcs9_signingTime, "1.2.840.113549.1.9.5"}, {OID_pkcs9_countersignature, "1.2.840.113549.1.9.6"},
    {OID_pkcs9_challengePassword, "1.2.840.113549.1.9.7"}, {OID_pkcs9_unstructuredAddress, "1.2.840.113549.1.9.8"},
    {OID_pkcs9_extCertAttributes, "1.2.840.113549.1.9.9"}, {OID_SigningDescription, "1.2.840.113549.1.9.13"},
    {OID_ext_req, "1.2.840.113549.1.9.14"}, {OID_SMIMECapabilities, "1.2.840.113549.1.9.15"},
    {OID_friendlyName, "1.2.840.113549.1.9.20"}, {OID_localKeyID, "1.2.840.113549.1.9.21"},
    {OID_x509Certificate, "1.2.840.113549.1.9.22.1"}, {OID_sdsiCertificate, "1.2.840.113549.1.9.22.2"},
    {OID_pkcs12CRLTypeX509, "1.2.840.113549.1.9.23.1"}, {OID_pbe_WithSHA1And128BitRC4, "1.2.840.113549.1.12.1.1"},
    {OID_pbe_WithSHA1And40BitRC4, "1.2.840.113549.1.12.1.2"},
    {OID_pbe_WithSHA1And3_Key_TripleDES_CBC, "1.2.840.113549.1.12.1.3"},
    {OID_pbe_WithSHA1And2_Key_TripleDES_CBC, "1.2.840.113549.1.12.1.4"},
    {OID_pbe_WithSHA1And128BitRC2_CBC, "1.2.840.113549.1.12.1.5"},
    {OID_pbe_WithSHA1And40BitRC2_CBC, "1.2.840.113549.1.12.1.6"}, {OID_keyBag, "1.2.840.113549.1.12.10.1.1"},
    {OID_pkcs8ShroudedKeyBag, "1.2.840.113549.1.12.10.1.2"}, {OID_certBag, "1.2.840.113549.1.12.10.1.3"},
    {OID_crlBag, "1.2.840.113549.1.12.10.1.4"}, {OID_secretBag, "1.2.840.113549.1.12.10.1.5"},
    {OID_safeContentsBag, "1.2.840.113549.1.12.10.1.6"}, {OID_md2, "1.2.840.113549.2.2"},
    {OID_md4, "1.2.840.113549.2.4"}, {OID_md5, "1.2.840.113549.2.5"}, {OID_md5WithRSA, "1.3.14.3.2.3"},
    {OID_des_ecb, "1.3.14.3.2.6"}, {OID_des_cbc, "1.3.14.3.2.7"}, {OID_des_ofb64, "1.3.14.3.2.8"},
    {OID_des_cfb64, "1.3.14.3.2.9"}, {OID_rsaSignature, "1.3.14.3.2.11"}, {OID_dsa_2, "1.3.14.3.2.12"},
    {OID_dsaWithSHA, "1.3.14.3.2.13"}, {OID_shaWithRSAEncryption, "1.3.14.3.2.15"}, {OID_sha, "1.3.14.3.2.18"},
    {OID_des_ede_ecb, "1.3.14.3.2.17"}, {OID_sha1, "1.3.14.3.2.26"}, {OID_sha224, "2.16.840.1.101.3.4.2.4"},
    {OID_sha256, "2.16.840.1.101.3.4.2.1"}, {OID_sha384, "2.16.840.1.101.3.4.2.2"},
    {OID_sha512, "2.16.840.1.101.3.4.2.3"}, {OID_ripedm160, "1.3.36.3.2.1"}, {OID_dsaWithSHA1_2, "1.3.14.3.2.27"},
    {OID_sha1WithRSA, "1.3.14.3.2.29"}, {OID_commonName, "2.5.4.3"}, {OID_surName, "2.5.4.4"},
    {OID_serialNumber, "2.5.4.5"}, {OID_countryName, "2.5.4.6"}, {OID_localityName, "2.5.4.7"},
    {OID_stateOrProvinceName, "2.5.4.8"}, {OID_organizationName, "2.5.4.10"},
    {OID_organizationalUnitName, "2.5.4.11"}, {OID_title, "2.5.4.12"}, {OID_description, "2.5.4.13"},
    {OID_searchGuide, "2.5.4.14"}, {OID_businessCategory, "2.5.4.15"}, {OID_postalAddress, "2.5.4.16"},
    {OID_postOfficeBox, "2.5.4.18"}, {OID_physicalDeliveryOfficeName, "2.5.4.19"},
    {OID_telephoneNumber, "2.5.4.20"}, {OID_telexNumber, "2.5.4.21"}, {OID_teletexTerminalIdentifier, "2.5.4.22"},
    {OID_facsimileTelephoneNumber, "2.5.4.23"}, {OID_x121Address, "2.5.4.24"},
    {OID_internationaliSDNNumber, "2.5.4.25"}, {OID_registeredAddress, "2.5.4.26"},
    {OID_destinationIndicator, "2.5.4.27"}, {OID_preferredDeliveryMethod, "2.5.4.28"},
    {OID_presentationAddress, "2.5.4.29"}, {OID_supportedApplicationContext, "2.5.4.30"},
    {OID_member, "2.5.4.31"}, {OID_owner, "2.5.4.32"}, {OID_roleOccupant, "2.5.4.33"}, {OID_seeAlso, "2.5.4.34"},
    {OID_userPassword, "2.5.4.35"}, {OID_userCertificate, "2.5.4.36"}, {OID_cACertificate, "2.5.4.37"},
    {OID_authorityRevocationList, "2.5.4.38"}, {OID_certificateRevocationList, "2.5.4.39"},
    {OID_crossCertificatePair, "2.5.4.40"}, {OID_name, "2.5.4.41"}, {OID_givenName, "2.5.4.42"},
    {OID_initials, "2.5.4.43"}, {OID_dnQualifier, "2.5.4.46"}, {OID_enhancedSearchGuide, "2.5.4.47"},
    {OID_protocolInformation, "2.5.4.48"}, {OID_distinguishedName, "2.5.4.49"}, {OID_uniqueMember, "2.5.4.50"},
    {OID_houseIdentifier, "2.5.4.51"}, {OID_supportedAlgorithms, "2.5.4.52"},
    {OID_deltaRevocationList, "2.5.4.53"}, {OID_dmdName, "2.5.4.54"},
};

struct TOIDTable {
  std::vector<std::pair<std::string, TOIDs>> Rows;  // by content bytes, unsigned, prefix first
  std::string ByID[OID_notChecked + 1];
  TOIDTable() {
    Rows.emplace_back(std::string(1, '\0'), OID_undef);
    for (const TOIDRow& r : KnownOIDs) Rows.emplace_back(EncodeOID(r.Dotted), r.ID);
    // std::string compares as unsigned char bytes with shorter prefixes first.
    std::sort(Rows.begin(), Rows.end());
    for (const auto& r : Rows) ByID[r.second] = r.first;
  }
};

const TOIDTable& OIDTable() {
  static const TOIDTable t;
  return t;
}

}  // namespace

// ---- identifiers --------------------------------------------------------------------------------

std::string EncodeOID(std::string_view dotted) {
  std::vector<std::uint64_t> arcs;
  std::uint64_t v = 0;
  bool digit = false;
  for (char c : dotted) {
    if (c >= '0' && c <= '9') {
      v = v * 10 + static_cast<std::uint64_t>(c - '0');
      digit = true;
    } else if (c == '.') {
      arcs.push_back(v);
      v = 0;
      digit = false;
    }
  }
  if (digit || !arcs.empty()) arcs.push_back(v);
  std::string out;
  if (arcs.empty()) return out;
  AppendBase128(out, arcs[0] * 40 + (arcs.size() > 1 ? arcs[1] : 0));
  for (std::size_t i = 2; i < arcs.size(); ++i) AppendBase128(out, arcs[i]);
  return out;
}

std::string DecodeOID(std::string_view content) {
  std::string out;
  std::uint64_t v = 0;
  bool first = true;
  for (unsigned char c : content) {
    if (v >> 56) v = 0;  // an arc beyond 64 bits is nonsense; keep going without overflow
    v = (v << 7) | (c & 0x7F);
    if (c & 0x80) continue;
    if (first) {
      // The first number joins two arcs: 40 x first + second, the first at most 2.
      std::uint64_t a = v < 80 ? v / 40 : 2;
      out = std::to_string(a) + "." + std::to_string(v - 40 * a);
      first = false;
    } else {
      out += "." + std::to_string(v);
    }
    v = 0;
  }
  return out;
}

std::string OIDContent(TOIDs id) {
  return id >= OID_undef && id < OID_notChecked ? OIDTable().ByID[id] : std::string();
}

TOIDs FindOID(std::string_view content) {
  const auto& rows = OIDTable().Rows;
  auto it = std::lower_bound(rows.begin(), rows.end(), content,
                             [](const std::pair<std::string, TOIDs>& r, std::string_view c) { return r.first < c; });
  return it != rows.end() && it->first == content ? it->second : OID_undef;
}

// ---- objects --------------------------------------------------------------------------------

bool TASN1BaseObject::IsEqual(const TASN1BaseObject& other) const {
  return typeid(*this) == typeid(other) && FTag == other.FTag && FClass == other.FClass;
}

void TASN1BaseObject::AppendTo(std::string& out) const {
  const char id = static_cast<char>(FClass * 64 + (Constructed() ? 32 : 0));
  if (FTag <= 30) {
    out += static_cast<char>(id + static_cast<char>(FTag));
  } else {
    out += static_cast<char>(id + 31);
    AppendBase128(out, FTag);
  }
  if (IndefiniteLength()) {
    out += '\x80';
    AppendContent(out);
    out.append(2, '\0');
  } else {
    AppendLength(out, ContentLength());
    AppendContent(out);
  }
}

std::string TASN1BaseObject::WriteToString() const {
  std::string out;
  out.reserve(Size());
  AppendTo(out);
  return out;
}

std::size_t TASN1BaseObject::Size() const {
  const std::size_t content = ContentLength();
  return IdentifierBytes(FTag) + (IndefiniteLength() ? 1 + content + 2 : LengthBytes(content) + content);
}

std::size_t TASN1Container::ContentLength() const {
  std::size_t n = 0;
  for (const auto& item : FList) n += item->Size();
  return n;
}

void TASN1Container::AppendContent(std::string& out) const {
  for (const auto& item : FList) item->AppendTo(out);
}

std::unique_ptr<TASN1BaseObject> TASN1Container::Copy() const {
  auto c = std::make_unique<TASN1Container>(FTag, FClass, FUnknowLength);
  for (const auto& item : FList) c->Add(item->Copy());
  return c;
}

bool TASN1Container::IsEqual(const TASN1BaseObject& other) const {
  if (!TASN1BaseObject::IsEqual(other)) return false;
  const auto& o = static_cast<const TASN1Container&>(other);
  if (o.FList.size() != FList.size()) return false;
  for (std::size_t i = 0; i < FList.size(); ++i)
    if (!FList[i]->IsEqual(*o.FList[i])) return false;
  return true;
}

int TASN1Container::Add(std::unique_ptr<TASN1BaseObject> item) {
  FList.push_back(std::move(item));
  return static_cast<int>(FList.size()) - 1;
}

std::unique_ptr<TASN1BaseObject> TASN1Data::Copy() const {
  return std::make_unique<TASN1Data>(FTag, FData, FClass);
}

bool TASN1Data::IsEqual(const TASN1BaseObject& other) const {
  return TASN1BaseObject::IsEqual(other) && static_cast<const TASN1Data&>(other).FData == FData;
}

void TASN1Data::SetData(std::string data) { FData = std::move(data); }

TASN1Integer::TASN1Integer(std::int64_t value, bool isUnsigned) : TASN1Data(asn1Integer, {}), FValue(value) {
  std::string b(8, '\0');
  for (int i = 0; i < 8; ++i) b[static_cast<std::size_t>(i)] = static_cast<char>(static_cast<std::uint64_t>(value) >> (56 - 8 * i));
  std::size_t start = 0;
  if (isUnsigned) {
    while (start < 7 && b[start] == 0) ++start;
    FData = b.substr(start);
    if (static_cast<unsigned char>(FData[0]) >= 0x80) FData.insert(FData.begin(), '\0');
  } else {
    while (start < 7 && ((b[start] == 0 && static_cast<unsigned char>(b[start + 1]) < 0x80) ||
                         (static_cast<unsigned char>(b[start]) == 0xFF && static_cast<unsigned char>(b[start + 1]) >= 0x80)))
      ++start;
    FData = b.substr(start);
  }
}

TASN1Integer::TASN1Integer(std::string content) : TASN1Data(asn1Integer, std::move(content)) {
  if (FData.size() > 8) {
    FIsLargest = true;
    FValue = -1;
  } else if (!FData.empty()) {
    std::uint64_t v = static_cast<unsigned char>(FData[0]) >= 0x80 ? ~std::uint64_t(0) : 0;
    for (unsigned char c : FData) v = (v << 8) | c;
    FValue = static_cast<std::int64_t>(v);
  }
}

std::unique_ptr<TASN1Integer> TASN1Integer::FromContent(std::string content) {
  return std::unique_ptr<TASN1Integer>(new TASN1Integer(std::move(content)));
}

std::unique_ptr<TASN1Integer> TASN1Integer::FromUnsigned(std::string_view bytes) {
  std::size_t start = 0;
  while (start + 1 < bytes.size() && bytes[start] == 0) ++start;
  std::string content(bytes.substr(start));
  if (content.empty()) content = std::string(1, '\0');
  if (static_cast<unsigned char>(content[0]) >= 0x80) content.insert(content.begin(), '\0');
  return FromContent(std::move(content));
}

std::unique_ptr<TASN1BaseObject> TASN1Integer::Copy() const { return FromContent(FData); }

void TASN1Integer::SetData(std::string) {
  throw EPDFSignatureException(std::string_view("Cannot change value for this class"));
}

TASN1ObjectID::TASN1ObjectID(std::string_view text, bool dotted) : TASN1Data(asn1ObjectID, {}) {
  if (dotted) {
    FOID = std::string(text);
    FData = EncodeOID(text);
  } else {
    FData = std::string(text);
    FOID = DecodeOID(text);
  }
}

std::unique_ptr<TASN1ObjectID> TASN1ObjectID::CreateFromID(TOIDs id) {
  return std::make_unique<TASN1ObjectID>(OIDContent(id), false);
}

std::unique_ptr<TASN1BaseObject> TASN1ObjectID::Copy() const {
  return std::make_unique<TASN1ObjectID>(FData, false);
}

void TASN1ObjectID::SetData(std::string) {
  throw EPDFSignatureException(std::string_view("Cannot change value for this class"));
}

TOIDs TASN1ObjectID::ID() const {
  if (FID == OID_notChecked) FID = FindOID(FData);
  return FID;
}

int TASN1Document::Add(std::unique_ptr<TASN1BaseObject> item) {
  FList.push_back(std::move(item));
  return static_cast<int>(FList.size()) - 1;
}
