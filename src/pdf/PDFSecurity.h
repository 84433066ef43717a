// The PDF standard security handler: owner and user entries, the permission word, the file
// identifier and key, and the encryption of each string and stream for its object.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/PDFTypes.h"
#include "platform/base/Classes.h"
#include "platform/base/Types.h"

struct TPDFSecurity {
  TPDFSecurityState State = ssNone;
  RawByteString Key;          // file encryption key: 5, 16 or 32 bytes
  std::int32_t Permission = 0;  // /P
  AnsiString FileID;          // 32 upper-case hexadecimal digits
  int Revision = 0;           // /R
  int Version = 0;            // /V
  RawByteString Owner, User;  // /O, /U: 32 bytes, 48 for AES-256
  RawByteString Perm, OE, UE; // /Perms (16 bytes), /OE, /UE (32 bytes): AES-256 only
  // Whether the XMP metadata stream is encrypted. Only the AES levels can leave it plain (the
  // RC4 levels have no way to say so, and readers would decrypt it), so it stays true for them.
  bool CryptMetadata = true;
};

// Fills the record once per document. seed is the document's file name. Without protection only
// the file identifier is made. An empty owner password becomes the
// user password as the standard says (otherwise an empty password would open the file with the
// owner's rights, bypassing both the user password and the restrictions); when both are empty a
// random owner password takes its place, so the restrictions still hold.
void InitPDFSecurity(TPDFSecurity& security, TPDFSecurityState state, TPDFSecurityPermissions permissions,
                     bool cryptMetadata, const RawByteString& seed, const RawByteString& ownerPassword,
                     const RawByteString& userPassword);

// The permission word for a level and a set of permissions.
std::int32_t PDFPermissionWord(TPDFSecurityState state, TPDFSecurityPermissions permissions);

// s encrypted for object objectID (generation 0); with asLiteral escaped and in parentheses.
RawByteString CryptPDFString(const TPDFSecurity& security, std::string_view s, int objectID, bool asLiteral = true);
void WritePDFCryptedString(const TPDFSecurity& security, TStream& stream, std::string_view s, int objectID);
// Appends the encrypted content of source (read from its start) to dest. The RC4 levels encrypt
// source in place.
void CryptPDFStream(const TPDFSecurity& security, TCustomMemoryStream& source, TStream& dest, int objectID);
// The length that n bytes have once encrypted, for a stream's /Length.
std::int64_t EncryptedLength(TPDFSecurityState state, std::int64_t n);

// What the document writes for the handler: the keys of the encryption dictionary, one a line
// (without the enclosing "<<" and ">>"), and the catalog's extension entry (empty when none).
std::vector<AnsiString> PDFEncryptDictionaryLines(const TPDFSecurity& security);
AnsiString PDFCatalogExtensions(const TPDFSecurity& security);
// True when the metadata stream must be written unencrypted.
inline bool PDFMetadataStaysPlain(const TPDFSecurity& security) {
  return security.State != ssNone && !security.CryptMetadata;
}

// Building blocks, exposed for tests: the password padding of the RC4 and AES-128 levels, and
// the password hash of AES-256 (revision 6); userKey is the 48-byte /U for owner hashes, else
// empty.
RawByteString PDFPadPassword(const RawByteString& password);
RawByteString PDFPasswordHashR6(const RawByteString& password, const RawByteString& salt,
                                const RawByteString& userKey);
// The per-object key of the RC4 and AES-128 levels (the file key itself for AES-256).
RawByteString PDFObjectKey(const TPDFSecurity& security, int objectID);
