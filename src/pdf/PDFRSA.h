// RSA signing with PKCS #1 v1.5 padding over an unsigned integer arithmetic of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/PDFASN1.h"

class TPrivateKey;

// Unsigned integers of any size: 32-bit words, least significant first, no leading zero words.
class TBigUnsigned {
 public:
  TBigUnsigned() = default;
  explicit TBigUnsigned(std::uint32_t v) {
    if (v) FWords.push_back(v);
  }
  static TBigUnsigned FromBytes(std::string_view bigEndian);
  // Big-endian bytes, filled on the left with zeros to at least minLength.
  std::string ToBytes(std::size_t minLength = 0) const;

  bool IsZero() const { return FWords.empty(); }
  bool IsOdd() const { return !FWords.empty() && (FWords[0] & 1); }
  std::size_t BitLength() const;
  std::size_t ByteLength() const { return (BitLength() + 7) / 8; }
  bool Bit(std::size_t i) const;
  int Compare(const TBigUnsigned& o) const;
  friend bool operator<(const TBigUnsigned& a, const TBigUnsigned& b) { return a.Compare(b) < 0; }
  friend bool operator==(const TBigUnsigned& a, const TBigUnsigned& b) { return a.FWords == b.FWords; }

  static TBigUnsigned Add(const TBigUnsigned& a, const TBigUnsigned& b);
  // a - b for a >= b.
  static TBigUnsigned Sub(const TBigUnsigned& a, const TBigUnsigned& b);
  static TBigUnsigned Mul(const TBigUnsigned& a, const TBigUnsigned& b);
  static TBigUnsigned Mod(const TBigUnsigned& a, const TBigUnsigned& m);
  TBigUnsigned ShiftLeft(std::size_t bits) const;
  // base^exp mod m; Montgomery multiplication for odd moduli.
  static TBigUnsigned ModPow(const TBigUnsigned& base, const TBigUnsigned& exp, const TBigUnsigned& m);

  const std::vector<std::uint32_t>& Words() const { return FWords; }

 private:
  void Trim();
  std::vector<std::uint32_t> FWords;
};

// The PKCS #1 v1.5 signature of the encoded DigestInfo, as many bytes as the modulus has.
// Raises "Small modulus size for Digital Signature" when the modulus cannot hold the padding.
std::string RSASign(const TPrivateKey& key, const TASN1Container& digestInfo);
// DigestInfo: SEQUENCE { SEQUENCE { algorithm, NULL }, OCTET STRING digest }.
std::unique_ptr<TASN1Container> CreateDigestInfo(TOIDs algorithm, std::string_view digest);
// The digest that signatures use.
constexpr TOIDs SignatureDigestAlgorithm = OID_sha256;
