// The signer's keys and certificate chain, as a PKCS #12 file would carry them. Nothing reads
// such files here: a caller that signs fills the chain and its private key.
#pragma once

#include <memory>
#include <vector>

#include "pdf/PDFCertKey.h"

class TPKCS12Document {
 public:
  std::unique_ptr<TASN1Document> FASN1Doc;
  std::unique_ptr<TASN1Container> FContentInfo, FMacData;
  bool FPasswordChecked = false, FValidPassword = false;
  std::vector<std::unique_ptr<TPrivateKey>> FPrivateKeys;
  std::vector<std::unique_ptr<TX509Certificate>> FCertificates;
  // The signer's certificate (one of FCertificates), whose private key signs.
  TX509Certificate* FChain = nullptr;
  int FChainLen = 0;
};
