// The security handler's face towards the writer: the record the engine keeps and the four
// operations every string and stream passes through with the number of its object. Without
// encryption (ssNone) strings and streams pass unchanged; the handler computes the file
// identifier in any state.
#pragma once

#include <string>
#include <string_view>

#include "pdf/PDFTypes.h"
#include "platform/base/Classes.h"

struct TPDFSecurity {
  TPDFSecurityState State = ssNone;
  std::string Key;
  std::int32_t Permission = 0;
  std::string FileID;  // upper-case hexadecimal, as the trailer writes it
  int Revision = 0;
  int Version = 0;
  std::string Owner, User, Perm, OE, UE;
};

// Fills security from the options; the file identifier is computed also for ssNone.
void InitPDFSecurity(TPDFSecurityState state, TPDFSecurityPermissions permissions,
                     const std::string& userPassword, const std::string& ownerPassword,
                     const std::string& fileName, bool cryptMetadata, TPDFSecurity& security);
// The length n bytes have once encrypted.
std::int64_t EncryptedLength(TPDFSecurityState state, std::int64_t n);
// s encrypted for the object; escaped and in parentheses when asLiteral.
std::string CryptPDFString(const TPDFSecurity& security, std::string_view s, int objectID,
                           bool asLiteral = true);
void WritePDFCryptedString(const TPDFSecurity& security, TStream& stream, std::string_view s,
                           int objectID);
// Appends the encrypted content of source (read from its start) to dest.
void CryptPDFStream(const TPDFSecurity& security, TCustomMemoryStream& source, TStream& dest,
                    int objectID);
