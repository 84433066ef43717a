#include "pdf/PDFCrypt.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <unistd.h>

#include "pdf/PDFMisc.h"

namespace {

// 64-bit mixing of a few inputs into the 16 bytes of an identifier. The identifier only has to
// differ between files; the ciphers bring a digest of their own.
std::uint64_t Mix(std::uint64_t h, std::string_view s) {
  for (unsigned char c : s) {
    h ^= c;
    h *= 0x100000001B3ull;
  }
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 32;
  return h;
}

std::string MakeFileID(const std::string& fileName) {
  static std::atomic<std::uint64_t> counter{0};
  auto now = std::chrono::system_clock::now().time_since_epoch().count();
  std::string seed = fileName + '|' + std::to_string(now) + '|' + std::to_string(getpid()) + '|' +
                     std::to_string(counter++);
  std::uint64_t a = Mix(0xCBF29CE484222325ull, seed);
  std::uint64_t b = Mix(a ^ 0x9E3779B97F4A7C15ull, seed);
  unsigned char bytes[16];
  for (int i = 0; i < 8; ++i) {
    bytes[i] = static_cast<unsigned char>(a >> (8 * i));
    bytes[8 + i] = static_cast<unsigned char>(b >> (8 * i));
  }
  return BytesToHex(bytes, 16);
}

}  // namespace

void InitPDFSecurity(TPDFSecurityState state, TPDFSecurityPermissions, const std::string&,
                     const std::string&, const std::string& fileName, bool,
                     TPDFSecurity& security) {
  if (state != ssNone) throw EPDFException("Encryption is not available in this build.");
  security = TPDFSecurity{};
  security.State = ssNone;
  security.FileID = MakeFileID(fileName);
}

std::int64_t EncryptedLength(TPDFSecurityState state, std::int64_t n) {
  if (state == ss128AES || state == ss256AES) return n / 16 * 16 + 32;
  return n;
}

std::string CryptPDFString(const TPDFSecurity&, std::string_view s, int, bool asLiteral) {
  if (!asLiteral) return std::string(s);
  std::string r;
  r.reserve(s.size() + 2);
  r += '(';
  AppendPDFEscaped(r, s);
  r += ')';
  return r;
}

void WritePDFCryptedString(const TPDFSecurity&, TStream& stream, std::string_view s, int) {
  if (!s.empty()) stream.Write(s.data(), static_cast<std::int64_t>(s.size()));
}

void CryptPDFStream(const TPDFSecurity&, TCustomMemoryStream& source, TStream& dest, int) {
  std::int64_t n = source.GetSize();
  if (n > 0) dest.Write(source.Memory(), n);
}
