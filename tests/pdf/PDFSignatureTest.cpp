#include <gtest/gtest.h>

#include <sstream>

#include "PdfTestKey.h"
#include "PdfToolRunner.h"
#include "pdf/PDFASN1.h"
#include "pdf/PDFCertKey.h"
#include "pdf/PDFCrypt.h"
#include "pdf/PDFPFX.h"
#include "pdf/PDFRSA.h"

using namespace pdftest;

namespace {

std::string Der(const TASN1BaseObject& o) { return ToHex(o.WriteToString()); }

// TestKeyHex signs this message with a SHA-256 signature that starts with a zero byte.
const char* const LeadingZeroMessage = "message 237";
const char* const LeadingZeroSignature =
    "00dc5c82b7c92512c78cd7860c49b8337926e68892a62200ad4752df908a336438ea5c657ff854c223689f1a0f9ebe010c1aeb833b6b30a9"
    "7d16aaf966206758fa0160a1391375297b9d635c4a4ca5798e68aca43fea23e21a1c4624511e3b0dfc49ea848812edd92f31208c7ce0e9e1"
    "2333809b6ad2d2fac261b96295a8b9d0";

std::unique_ptr<TPrivateKey> KeyFromHex(const std::vector<std::string>& h) {
  auto b = [&](int i) { return FromHex(h[static_cast<std::size_t>(i)]); };
  return TPrivateKey::FromComponents(b(0), b(1), b(2), b(3), b(4), b(5), b(6), b(7));
}

}  // namespace

TEST(PDFASN1, Encodings) {
  TASN1Container seq;
  seq.Add(std::make_unique<TASN1Null>());
  EXPECT_EQ(Der(seq), "30020500");
  EXPECT_EQ(seq.Size(), 4u);

  TASN1Data long200(asn1OctetString, std::string(200, 'x'));
  EXPECT_EQ(Der(long200).substr(0, 6), "0481c8");
  EXPECT_EQ(long200.Size(), 203u);
  TASN1Data long300(asn1OctetString, std::string(300, 'x'));
  EXPECT_EQ(Der(long300).substr(0, 8), "0482012c");
  EXPECT_EQ(Der(TASN1Data(31, "")), "1f1f00");
  EXPECT_EQ(Der(TASN1Data(200, "", asn1Context)), "9f814800");
  EXPECT_EQ(Der(TASN1Container(0, asn1Context)), "a000");

  TASN1Container indefinite(asn1Sequence, asn1Universal, true);
  indefinite.Add(std::make_unique<TASN1Null>());
  EXPECT_EQ(Der(indefinite), "308005000000");
  EXPECT_EQ(indefinite.Size(), 6u);

  // Integers: the shortest two's complement, and unsigned values with their sign byte.
  struct Case {
    std::int64_t Value;
    bool Unsigned;
    const char* Content;
  };
  const Case cases[] = {{0, false, "00"},       {127, false, "7f"},     {128, false, "0080"},  {-128, false, "80"},
                        {-129, false, "ff7f"},  {256, false, "0100"},   {-1, false, "ff"},     {128, true, "0080"},
                        {255, true, "00ff"},    {127, true, "7f"},      {0, true, "00"},       {65537, true, "010001"},
                        {-1, true, "00ffffffffffffffff"}, {INT64_MIN, false, "8000000000000000"}};
  for (const Case& c : cases) {
    TASN1Integer i(c.Value, c.Unsigned);
    EXPECT_EQ(ToHex(i.Data()), c.Content) << c.Value << " " << c.Unsigned;
    EXPECT_EQ(i.Value(), c.Value);
  }
  EXPECT_EQ(ToHex(TASN1Integer::FromUnsigned(FromHex("0000c3"))->Data()), "00c3");
  EXPECT_EQ(ToHex(TASN1Integer::FromUnsigned(FromHex("4001"))->Data()), "4001");
  EXPECT_EQ(ToHex(TASN1Integer::FromUnsigned("")->Data()), "00");
  EXPECT_EQ(TASN1Integer::FromContent(FromHex("ff7f"))->Value(), -129);
  auto big = TASN1Integer::FromContent(std::string(9, '\x01'));
  EXPECT_TRUE(big->IsLargest());
  EXPECT_EQ(big->Value(), -1);
  try {
    big->SetData("x");
    ADD_FAILURE();
  } catch (const EPDFSignatureException& e) {
    EXPECT_STREQ(e.what(), "Cannot change value for this class");
  }
  TASN1Data plain(asn1OctetString, "a");
  plain.SetData("b");
  EXPECT_EQ(plain.Data(), "b");
}

TEST(PDFASN1, ObjectIdentifiers) {
  TASN1ObjectID rsa("1.2.840.113549.1.1.1", true);
  EXPECT_EQ(ToHex(rsa.Data()), "2a864886f70d010101");
  EXPECT_EQ(rsa.ID(), OID_rsaEncryption);
  EXPECT_EQ(rsa.OID(), "1.2.840.113549.1.1.1");
  auto sha = TASN1ObjectID::CreateFromID(OID_sha256);
  EXPECT_EQ(ToHex(sha->Data()), "608648016503040201");
  EXPECT_EQ(sha->OID(), "2.16.840.1.101.3.4.2.1");
  EXPECT_EQ(sha->ID(), OID_sha256);
  EXPECT_EQ(TASN1ObjectID("1.2.3.4", true).ID(), OID_undef);
  EXPECT_EQ(TASN1ObjectID("2.999.1", true).OID(), "2.999.1");
  EXPECT_EQ(TASN1ObjectID(EncodeOID("2.999.1"), false).OID(), "2.999.1");
  // Every known identifier goes to its content and back, and the content is found again.
  for (int id = OID_rsaEncryption; id < OID_notChecked; ++id) {
    std::string content = OIDContent(static_cast<TOIDs>(id));
    ASSERT_FALSE(content.empty()) << id;
    EXPECT_EQ(FindOID(content), id);
    EXPECT_EQ(EncodeOID(DecodeOID(content)), content) << id;
  }
  EXPECT_EQ(FindOID(std::string(1, '\0')), OID_undef);
  EXPECT_EQ(OIDContent(OID_notChecked), "");
  // Damaged contents decode to something without running away.
  EXPECT_EQ(DecodeOID(FromHex("2a86")), "1.2");
  DecodeOID(std::string(40, '\xff'));

  // Copies are deep and equal; a changed child makes them differ.
  TASN1Container a;
  a.Add(TASN1ObjectID::CreateFromID(OID_sha1));
  a.Add(std::make_unique<TASN1Integer>(5, false));
  auto b = a.Copy();
  EXPECT_TRUE(a.IsEqual(*b));
  EXPECT_EQ(Der(*b), Der(a));
  static_cast<TASN1Container&>(*b).Add(std::make_unique<TASN1Null>());
  EXPECT_FALSE(a.IsEqual(*b));
  EXPECT_FALSE(TASN1Integer(5, false).IsEqual(TASN1Integer(6, false)));
  EXPECT_FALSE(TASN1Data(asn1OctetString, "\x05").IsEqual(TASN1Integer(5, false)));
}

TEST(PDFRSA, IntegerArithmetic) {
  const TBigUnsigned a = TBigUnsigned::FromBytes(FromHex("0123456789abcdef0123456789abcdef")),
                     b = TBigUnsigned::FromBytes(FromHex("fedcba9876543210"));
  EXPECT_EQ(ToHex(TBigUnsigned::Mul(a, b).ToBytes()), "0121fa00ad77d7422358d29092d964322236d88fe5618cf0");
  EXPECT_EQ(ToHex(TBigUnsigned::Mod(a, b).ToBytes()), "7f598f328cc265bf");
  EXPECT_EQ(ToHex(TBigUnsigned::Sub(TBigUnsigned::Add(a, b), b).ToBytes()), ToHex(a.ToBytes()));
  EXPECT_EQ(ToHex(TBigUnsigned(5).ToBytes(4)), "00000005");
  // 4^13 mod 497 = 445 and mod 500 = 364, by Montgomery (odd modulus) and by plain reduction (even modulus).
  EXPECT_EQ(TBigUnsigned::ModPow(TBigUnsigned(4), TBigUnsigned(13), TBigUnsigned(497)), TBigUnsigned(445));
  EXPECT_EQ(TBigUnsigned::ModPow(TBigUnsigned(4), TBigUnsigned(13), TBigUnsigned(500)), TBigUnsigned(364));
  EXPECT_EQ(TBigUnsigned::ModPow(TBigUnsigned(7), TBigUnsigned(), TBigUnsigned(13)), TBigUnsigned(1));
  // Fermat over a 521-bit prime: a^(p-1) = 1.
  const TBigUnsigned p = TBigUnsigned::Sub(TBigUnsigned(1).ShiftLeft(521), TBigUnsigned(1));
  EXPECT_EQ(TBigUnsigned::ModPow(a, TBigUnsigned::Sub(p, TBigUnsigned(1)), p), TBigUnsigned(1));
  EXPECT_THROW(TBigUnsigned::Mod(a, TBigUnsigned()), EPDFException);
}

// PKCS #1 v1.5 signing with SHA-256: the signature of the fixture key equals openssl's, leading zero
// byte included (the result keeps the modulus's length); the DigestInfo has the standard prefix;
// a modulus too small for the digest is refused.
TEST(PDFRSA, SignsLikeTheStandardSays) {
  std::vector<std::string> hex(TestKeyHex, TestKeyHex + 8);
  auto key = KeyFromHex(hex);
  EXPECT_EQ(ToHex(key->Modulus()).substr(0, 4), "00d9");  // the sign byte is kept
  auto info = CreateDigestInfo(SignatureDigestAlgorithm, SHA256Of(LeadingZeroMessage));
  EXPECT_EQ(ToHex(info->WriteToString()).substr(0, 38), "3031300d060960864801650304020105000420");
  std::string sig = RSASign(*key, *info);
  ASSERT_EQ(sig.size(), 128u);
  EXPECT_EQ(ToHex(sig), LeadingZeroSignature);

  // A SHA-1 DigestInfo of 35 bytes gives 128 bytes as well.
  auto sha1Info = CreateDigestInfo(OID_sha1, SHA1Of("abc"));
  EXPECT_EQ(sha1Info->Size(), 35u);
  EXPECT_EQ(RSASign(*key, *sha1Info).size(), 128u);

  // The same key without its primes signs through the private exponent alone.
  TPKCS12Document pfx;
  auto seq = std::make_unique<TASN1Container>();
  seq->Add(std::make_unique<TASN1Integer>(0, false));
  seq->Add(TASN1Integer::FromUnsigned(FromHex(hex[0])));
  seq->Add(TASN1Integer::FromUnsigned(FromHex(hex[1])));
  seq->Add(TASN1Integer::FromUnsigned(FromHex(hex[2])));
  pfx.FPrivateKeys.push_back(std::make_unique<TPrivateKey>(std::move(seq)));
  EXPECT_EQ(ToHex(RSASign(*pfx.FPrivateKeys[0], *info)), LeadingZeroSignature);

  auto small = TPrivateKey::FromComponents(FromHex(std::string(80, 'c')), FromHex("010001"), FromHex("03"), "", "",
                                           "", "", "");
  try {
    RSASign(*small, *info);  // 40 bytes of modulus cannot hold 51 bytes of DigestInfo and padding
    ADD_FAILURE();
  } catch (const EPDFSignatureException& e) {
    EXPECT_STREQ(e.what(), "Small modulus size for Digital Signature");
  }
}

// Fresh keys of several sizes from openssl (odd bit lengths among them, so the modulus length is
// not a multiple of four bytes): our signature equals openssl's and verifies with the public key.
TEST(PDFRSA, AgreesWithOpenSSLOnFreshKeys) {
  if (!HaveOpenSSL()) GTEST_SKIP() << "openssl is not installed: peer check skipped";
  TScratchDir dir("rsa-openssl");
  const std::string key = dir.File("k.pem"), msg = dir.File("m"), sig = dir.File("s");
  for (int bits : {1024, 1031, 1544, 2048}) {
    SCOPED_TRACE(bits);
    ASSERT_EQ(RunCommand("openssl genrsa -traditional -out '" + key + "' " + std::to_string(bits) + " 2>/dev/null").Status, 0);
    TCommandResult parsed = RunCommand("openssl asn1parse -in '" + key + "'");
    ASSERT_EQ(parsed.Status, 0);
    std::vector<std::string> ints;
    std::istringstream lines(parsed.Output);
    for (std::string line; std::getline(lines, line);)
      if (line.find("INTEGER") != std::string::npos) {
        std::string h = line.substr(line.rfind(':') + 1);
        ints.push_back(h.size() % 2 ? "0" + h : h);
      }
    ASSERT_EQ(ints.size(), 9u);
    auto priv = KeyFromHex(std::vector<std::string>(ints.begin() + 1, ints.end()));
    for (int i = 0; i < 3; ++i) {
      const std::string text = "message " + std::to_string(i) + " for " + std::to_string(bits);
      WriteFile(msg, text);
      ASSERT_EQ(RunCommand("openssl dgst -sha256 -sign '" + key + "' -out '" + sig + "' '" + msg + "'").Status, 0);
      std::string ours = RSASign(*priv, *CreateDigestInfo(OID_sha256, SHA256Of(text)));
      EXPECT_EQ(ours.size(), static_cast<std::size_t>((bits + 7) / 8));
      EXPECT_EQ(ToHex(ours), ToHex(ReadFile(sig)));
      WriteFile(sig, ours);
      EXPECT_EQ(RunCommand("openssl dgst -sha256 -prverify '" + key + "' -signature '" + sig + "' '" + msg + "' 2>&1").Output,
                "Verified OK\n");
    }
  }
}
