#include "pdf/PDFCertKey.h"

TPrivateKey::TPrivateKey(std::unique_ptr<TASN1Container> key, TOIDs algorithm)
    : FKey(std::move(key)), FAlgorithm(algorithm) {
  if (!FKey) FKey = std::make_unique<TASN1Container>();
  if (FKey->Count() > 0)
    if (auto* v = dynamic_cast<TASN1Integer*>(FKey->Items(0))) FVersion = static_cast<int>(v->Value());
}

std::unique_ptr<TPrivateKey> TPrivateKey::FromComponents(std::string_view modulus, std::string_view publicExponent,
                                                         std::string_view privateExponent, std::string_view prime1,
                                                         std::string_view prime2, std::string_view exponent1,
                                                         std::string_view exponent2, std::string_view coefficient) {
  auto seq = std::make_unique<TASN1Container>();
  seq->Add(std::make_unique<TASN1Integer>(0, false));
  for (std::string_view v : {modulus, publicExponent, privateExponent, prime1, prime2, exponent1, exponent2, coefficient})
    seq->Add(TASN1Integer::FromUnsigned(v));
  return std::make_unique<TPrivateKey>(std::move(seq));
}

std::string TPrivateKey::Item(int i) const {
  if (i >= FKey->Count()) return {};
  auto* d = dynamic_cast<const TASN1Data*>(FKey->Items(i));
  return d ? d->Data() : std::string();
}

void TX509Name::Add(TOIDs key, std::unique_ptr<TASN1BaseObject> value) {
  FKeys.push_back(key);
  FValues.push_back(std::move(value));
}
