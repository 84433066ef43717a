// Holders of an RSA private key and of X.509 certificates for signing. Nothing reads key files:
// a caller that signs fills these in.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pdf/PDFASN1.h"
#include "platform/base/Types.h"

class TPrivateKey {
 public:
  // key: the PKCS #1 RSAPrivateKey sequence (version, modulus, public and private exponents,
  // the two primes, their exponents and the coefficient).
  explicit TPrivateKey(std::unique_ptr<TASN1Container> key, TOIDs algorithm = OID_rsaEncryption);
  // Builds the sequence from big-endian numbers.
  static std::unique_ptr<TPrivateKey> FromComponents(std::string_view modulus, std::string_view publicExponent,
                                                     std::string_view privateExponent, std::string_view prime1,
                                                     std::string_view prime2, std::string_view exponent1,
                                                     std::string_view exponent2, std::string_view coefficient);

  // The content bytes of the sequence's integers (empty when missing).
  std::string Modulus() const { return Item(1); }
  std::string PublicExponent() const { return Item(2); }
  std::string PrivateExponent() const { return Item(3); }
  std::string Prime1() const { return Item(4); }
  std::string Prime2() const { return Item(5); }
  std::string Exponent1() const { return Item(6); }
  std::string Exponent2() const { return Item(7); }
  std::string Coeficient() const { return Item(8); }
  const TASN1Container& Key() const { return *FKey; }
  TOIDs Algorithm() const { return FAlgorithm; }
  int Version() const { return FVersion; }

 private:
  std::string Item(int i) const;
  std::unique_ptr<TASN1Container> FKey;
  int FVersion = 0;
  TOIDs FAlgorithm;
};

class TX509Name {
 public:
  void Add(TOIDs key, std::unique_ptr<TASN1BaseObject> value);
  int Count() const { return static_cast<int>(FKeys.size()); }
  TOIDs Keys(int i) const { return FKeys.at(static_cast<std::size_t>(i)); }
  TASN1BaseObject* Values(int i) const { return FValues.at(static_cast<std::size_t>(i)).get(); }

 private:
  std::vector<TOIDs> FKeys;
  std::vector<std::unique_ptr<TASN1BaseObject>> FValues;
};

class TX509Certificate {
 public:
  // The private key is the caller's; the certificate frees only what it holds itself.
  TPrivateKey* FPrivateKey = nullptr;
  std::unique_ptr<TX509Name> FIssuer, FSubject;
  std::unique_ptr<TASN1Container> FPublicKey, FObject;
  TDateTime FValidTo = 0, FValidFrom = 0;
  void* FOwner = nullptr;
};
