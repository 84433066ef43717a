#include "pdf/PDFSecurity.h"

#include <sys/time.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "pdf/PDFCrypt.h"
#include "pdf/PDFMisc.h"
#include "platform/base/SystemRandom.h"

namespace {

const unsigned char PasswordPadding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                           0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                           0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

const RawByteString& Padding() {
  static const RawByteString p(reinterpret_cast<const char*>(PasswordPadding), 32);
  return p;
}

RawByteString LittleEndian32(std::uint32_t v) {
  RawByteString s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
  return s;
}

RawByteString XorKey(const RawByteString& key, int v) {
  RawByteString k = key;
  for (char& c : k) c = static_cast<char>(static_cast<unsigned char>(c) ^ v);
  return k;
}

// MD5 of data, then for revision 3 and later 50 more times over the first n bytes; first n bytes.
RawByteString IteratedMD5(const RawByteString& data, std::size_t n, bool revision3) {
  RawByteString d = MD5Of(data);
  if (revision3)
    for (int i = 0; i < 50; ++i) d = MD5Of(std::string_view(d).substr(0, n));
  return d.substr(0, n);
}

// The local time as "ddd dd-mm-yyyy hh:nn:ss.zzz", with English day names whatever the locale.
AnsiString TimeStamp() {
  static const char* Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm tm{};
  time_t secs = tv.tv_sec;
  localtime_r(&secs, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s %02d-%02d-%04d %02d:%02d:%02d.%03d", Days[tm.tm_wday % 7], tm.tm_mday,
                tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(tv.tv_usec / 1000));
  return buf;
}

AnsiString UpperHex(const RawByteString& s) {
  static const char Hex[] = "0123456789ABCDEF";
  AnsiString r;
  for (unsigned char c : s) {
    r += Hex[c >> 4];
    r += Hex[c & 15];
  }
  return r;
}

bool IsAES(TPDFSecurityState state) { return state == ss128AES || state == ss256AES; }

RawByteString EncryptBytes(const TPDFSecurity& security, const char* data, std::size_t len, int objectID) {
  if (security.State == ssNone) return RawByteString(data, len);
  RawByteString key = PDFObjectKey(security, objectID);
  if (!IsAES(security.State)) return RC4Crypt(key, std::string_view(data, len));
  RawByteString iv = SystemRandomBytes(16);
  return iv + AESEncryptCBCPadded(key, iv, std::string_view(data, len));
}

void InitRC4OrAES128(TPDFSecurity& s, const RawByteString& idBytes, const RawByteString& owner,
                     const RawByteString& user) {
  const bool r3 = s.State != ss40RC4;
  const std::size_t n = r3 ? 16 : 5;
  // Owner entry (algorithm 3).
  RawByteString ownerKey = IteratedMD5(PDFPadPassword(owner), n, r3);
  RawByteString o = RC4Crypt(ownerKey, PDFPadPassword(user));
  if (r3)
    for (int i = 1; i <= 19; ++i) o = RC4Crypt(XorKey(ownerKey, i), o);
  s.Owner = o;
  // File key (algorithm 2); revision 4 with plain metadata adds four 0xFF bytes.
  RawByteString material = PDFPadPassword(user) + s.Owner + LittleEndian32(static_cast<std::uint32_t>(s.Permission)) + idBytes;
  if (s.Revision >= 4 && !s.CryptMetadata) material += RawByteString(4, '\xFF');
  s.Key = IteratedMD5(material, n, r3);
  // User entry (algorithms 4 and 5).
  if (!r3) {
    s.User = RC4Crypt(s.Key, Padding());
  } else {
    RawByteString u = RC4Crypt(s.Key, MD5Of(Padding() + idBytes));
    for (int i = 1; i <= 19; ++i) u = RC4Crypt(XorKey(s.Key, i), u);
    // The rest is arbitrary; printable-range random bytes as readers have always seen there.
    RawByteString tail = SystemRandomBytes(16);
    for (char& c : tail) c = static_cast<char>(32 + static_cast<unsigned char>(c) % 200);
    s.User = u + tail;
  }
}

void InitAES256(TPDFSecurity& s, const RawByteString& owner, const RawByteString& user) {
  s.Key = SystemRandomBytes(32);
  RawByteString salts = SystemRandomBytes(32);
  const RawByteString userValidation = salts.substr(0, 8), userKeySalt = salts.substr(8, 8);
  const RawByteString ownerValidation = salts.substr(16, 8), ownerKeySalt = salts.substr(24, 8);
  const RawByteString u = user.substr(0, 127), o = owner.substr(0, 127);
  s.User = PDFPasswordHashR6(u, userValidation, "") + userValidation + userKeySalt;
  s.UE = AESEncryptCBCRaw(PDFPasswordHashR6(u, userKeySalt, ""), s.Key);
  s.Owner = PDFPasswordHashR6(o, ownerValidation, s.User) + ownerValidation + ownerKeySalt;
  s.OE = AESEncryptCBCRaw(PDFPasswordHashR6(o, ownerKeySalt, s.User), s.Key);
  RawByteString perms = LittleEndian32(static_cast<std::uint32_t>(s.Permission)) + RawByteString(4, '\xFF');
  perms += s.CryptMetadata ? 'T' : 'F';
  perms += "adb";
  perms += RawByteString(4, '\0');
  s.Perm = AESEncryptCBCRaw(s.Key, perms);
}

}  // namespace

RawByteString PDFPadPassword(const RawByteString& password) {
  RawByteString p = password.substr(0, 32);
  return p + Padding().substr(0, 32 - p.size());
}

RawByteString PDFPasswordHashR6(const RawByteString& password, const RawByteString& salt,
                                const RawByteString& userKey) {
  RawByteString k = SHA256Of(password + salt + userKey);
  RawByteString block, e;
  for (int round = 1;; ++round) {
    block = password + k + userKey;
    RawByteString k1;
    k1.reserve(block.size() * 64);
    for (int i = 0; i < 64; ++i) k1 += block;
    e = AESEncryptCBCRaw(std::string_view(k).substr(0, 16), k1, std::string_view(k).substr(16, 16));
    unsigned sum = 0;
    for (int i = 0; i < 16; ++i) sum += static_cast<unsigned char>(e[i]);
    switch (sum % 3) {
      case 0: k = SHA256Of(e); break;
      case 1: k = SHA384Of(e); break;
      default: k = SHA512Of(e); break;
    }
    if (round >= 64 && static_cast<unsigned char>(e.back()) <= static_cast<unsigned>(round - 32)) break;
  }
  return k.substr(0, 32);
}

std::int32_t PDFPermissionWord(TPDFSecurityState state, TPDFSecurityPermissions permissions) {
  // Bits are set, not added: the assemble bit is already part of the base of the later
  // revisions, and adding it again would carry into the high-quality printing bit.
  std::uint32_t p = static_cast<std::uint32_t>(state == ss40RC4 ? -64 : -2880);
  if (permissions.Contains(coPrint)) p |= 4;
  if (permissions.Contains(coModifyStructure)) p |= 8;
  if (permissions.Contains(coCopyInformation)) p |= 16;
  if (permissions.Contains(coModifyAnnotation)) p |= 32;
  if (state != ss40RC4) {
    if (permissions.Contains(coFillAnnotation)) p |= 256;
    if (permissions.Contains(coExtractInfo)) p |= 512;
    if (permissions.Contains(coAssemble)) p |= 1024;
    if (permissions.Contains(coPrintHi)) p |= 2048;
  }
  return static_cast<std::int32_t>(p);
}

void InitPDFSecurity(TPDFSecurity& security, TPDFSecurityState state, TPDFSecurityPermissions permissions,
                     bool cryptMetadata, const RawByteString& seed, const RawByteString& ownerPassword,
                     const RawByteString& userPassword) {
  security = TPDFSecurity{};
  // The identifier: MD5 of the file name and the time, as readers expect it to vary per file,
  // with random bytes mixed in so that two files written at the same moment under the same name
  // never share it (with RC4 that would mean sharing a key stream).
  RawByteString idBytes = MD5Of(seed + TimeStamp() + SystemRandomBytes(16));
  security.FileID = UpperHex(idBytes);
  security.State = state;
  if (state == ssNone) return;

  RawByteString owner = ownerPassword.empty() ? userPassword : ownerPassword;
  if (owner.empty()) owner = UpperHex(SystemRandomBytes(16));
  security.CryptMetadata = IsAES(state) ? cryptMetadata : true;
  security.Permission = PDFPermissionWord(state, permissions);
  switch (state) {
    case ss40RC4: security.Version = 1; security.Revision = 2; break;
    case ss128RC4: security.Version = 2; security.Revision = 3; break;
    case ss128AES: security.Version = 4; security.Revision = 4; break;
    default: security.Version = 5; security.Revision = 6; break;
  }
  if (state == ss256AES)
    InitAES256(security, owner, userPassword);
  else
    InitRC4OrAES128(security, idBytes, owner, userPassword);
}

RawByteString PDFObjectKey(const TPDFSecurity& security, int objectID) {
  if (security.State == ss256AES) return security.Key;
  RawByteString material = security.Key;
  material += static_cast<char>(objectID & 255);
  material += static_cast<char>((objectID >> 8) & 255);
  material += static_cast<char>((objectID >> 16) & 255);
  material += RawByteString(2, '\0');
  if (security.State == ss128AES) material += "sAlT";
  std::size_t n = security.Key.size() + 5;
  return MD5Of(material).substr(0, n < 16 ? n : 16);
}

RawByteString CryptPDFString(const TPDFSecurity& security, std::string_view s, int objectID, bool asLiteral) {
  // Unprotected files, the common case, take no copy on the way.
  RawByteString r = security.State == ssNone ? RawByteString() : EncryptBytes(security, s.data(), s.size(), objectID);
  std::string_view bytes = security.State == ssNone ? s : std::string_view(r);
  if (!asLiteral) return RawByteString(bytes);
  RawByteString lit;
  lit.reserve(bytes.size() + bytes.size() / 8 + 2);
  lit += '(';
  AppendPDFEscaped(lit, bytes);
  lit += ')';
  return lit;
}

void WritePDFCryptedString(const TPDFSecurity& security, TStream& stream, std::string_view s, int objectID) {
  if (security.State == ssNone) {
    if (!s.empty()) stream.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
    return;
  }
  RawByteString r = EncryptBytes(security, s.data(), s.size(), objectID);
  if (!r.empty()) stream.WriteBuffer(r.data(), static_cast<std::int64_t>(r.size()));
}

void CryptPDFStream(const TPDFSecurity& security, TCustomMemoryStream& source, TStream& dest, int objectID) {
  auto* data = static_cast<char*>(source.Memory());
  const std::size_t size = static_cast<std::size_t>(source.GetSize());
  if (security.State == ssNone || !IsAES(security.State)) {
    if (security.State != ssNone && size) {
      const RawByteString key = PDFObjectKey(security, objectID);
      TRC4Cipher rc4(key.data(), static_cast<int>(key.size()));
      rc4.Encode(data, size);
    }
    if (size) dest.WriteBuffer(data, static_cast<std::int64_t>(size));
    source.SetPosition(static_cast<std::int64_t>(size));
    return;
  }
  RawByteString r = EncryptBytes(security, data, size, objectID);
  dest.WriteBuffer(r.data(), static_cast<std::int64_t>(r.size()));
}

std::int64_t EncryptedLength(TPDFSecurityState state, std::int64_t n) {
  return IsAES(state) ? n - n % 16 + 32 : n;
}

std::vector<AnsiString> PDFEncryptDictionaryLines(const TPDFSecurity& security) {
  std::vector<AnsiString> lines;
  if (security.State == ssNone) return lines;
  lines.push_back("/Filter /Standard");
  switch (security.State) {
    case ss40RC4:
      lines.insert(lines.end(), {"/V 1", "/R 2"});
      break;
    case ss128RC4:
      lines.insert(lines.end(), {"/V 2", "/R 3", "/Length 128"});
      break;
    case ss128AES:
      lines.insert(lines.end(), {"/V 4", "/R 4", "/Length 128",
                                 "/CF<</StdCF<</CFM/AESV2/Length 16/AuthEvent/DocOpen>>>>/StmF/StdCF/StrF/StdCF"});
      break;
    default:
      lines.insert(lines.end(), {"/V 5", "/R 6", "/Length 256",
                                 "/CF<</StdCF<</CFM/AESV3/Length 32/AuthEvent/DocOpen>>>>/StmF/StdCF/StrF/StdCF",
                                 "/OE (" + PDFEscapeString(security.OE) + ")", "/UE (" + PDFEscapeString(security.UE) + ")",
                                 "/Perms (" + PDFEscapeString(security.Perm) + ")"});
      break;
  }
  if (PDFMetadataStaysPlain(security)) lines.push_back("/EncryptMetadata false");
  lines.push_back("/P " + std::to_string(security.Permission));
  lines.push_back("/O (" + PDFEscapeString(security.Owner) + ")");
  lines.push_back("/U (" + PDFEscapeString(security.User) + ")");
  return lines;
}

AnsiString PDFCatalogExtensions(const TPDFSecurity& security) {
  // Revision 6 of AES-256 belongs to extension level 8 of PDF 1.7.
  return security.State == ss256AES ? "/Extensions<</ADBE<</BaseVersion/1.7/ExtensionLevel 8>>>>" : "";
}
