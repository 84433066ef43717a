#include "pdf/PDFCrypt.h"

#include <cstring>

#include "platform/base/SysUtils.h"

namespace {

// Rotations; a count of 0 is allowed (the table builder rotates by 0 bits).
inline std::uint32_t Rol32(std::uint32_t v, int n) { return (v << n) | (v >> ((32 - n) & 31)); }
inline std::uint32_t Ror32(std::uint32_t v, int n) { return (v >> n) | (v << ((32 - n) & 31)); }
inline std::uint64_t Ror64(std::uint64_t v, int n) { return (v >> n) | (v << ((64 - n) & 63)); }
inline std::uint32_t LoadBE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
inline std::uint32_t LoadLE32(const std::uint8_t* p) {
  return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}
inline std::uint64_t LoadBE64(const std::uint8_t* p) {
  return std::uint64_t(LoadBE32(p)) << 32 | LoadBE32(p + 4);
}
inline void StoreBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v >> 24); p[1] = std::uint8_t(v >> 16); p[2] = std::uint8_t(v >> 8); p[3] = std::uint8_t(v);
}
inline void StoreLE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v); p[1] = std::uint8_t(v >> 8); p[2] = std::uint8_t(v >> 16); p[3] = std::uint8_t(v >> 24);
}
inline void StoreBE64(std::uint8_t* p, std::uint64_t v) {
  StoreBE32(p, std::uint32_t(v >> 32));
  StoreBE32(p + 4, std::uint32_t(v));
}

template <class H>
std::string OneShot(std::string_view s) {
  H h;
  h.Update(s.data(), s.size());
  h.Final();
  return h.Digest();
}

}  // namespace

// ---- THash ----------------------------------------------------------------------------------

void THash::Finish(void* p) {
  Final();
  std::memcpy(p, GetDigest(), static_cast<std::size_t>(HashSize()));
}

std::string THash::Digest() const {
  return std::string(reinterpret_cast<const char*>(GetDigest()), static_cast<std::size_t>(HashSize()));
}

std::string THash::HashString() const {
  static const char Hex[] = "0123456789ABCDEF";
  std::string s;
  const std::uint8_t* d = GetDigest();
  for (int i = 0; i < HashSize(); ++i) {
    s += Hex[d[i] >> 4];
    s += Hex[d[i] & 15];
  }
  return s;
}

void TBlockHash::Update(const void* buf, std::size_t len) {
  const auto* p = static_cast<const std::uint8_t*>(buf);
  FLength += len;
  const std::size_t bs = static_cast<std::size_t>(FBlockSize);
  if (FBufLen) {
    std::size_t take = bs - FBufLen < len ? bs - FBufLen : len;
    std::memcpy(FBuffer + FBufLen, p, take);
    FBufLen += take;
    p += take;
    len -= take;
    if (FBufLen < bs) return;
    Compress(FBuffer);
    FBufLen = 0;
  }
  for (; len >= bs; p += bs, len -= bs) Compress(p);
  if (len) {
    std::memcpy(FBuffer, p, len);
    FBufLen = len;
  }
}

void TBlockHash::Final() {
  const std::size_t bs = static_cast<std::size_t>(FBlockSize);
  const std::size_t lenBytes = bs == 128 ? 16 : 8;
  const std::uint64_t bits = FLength * 8;  // lengths beyond 2^61 bytes do not occur here
  FBuffer[FBufLen++] = 0x80;
  if (FBufLen > bs - lenBytes) {
    std::memset(FBuffer + FBufLen, 0, bs - FBufLen);
    Compress(FBuffer);
    FBufLen = 0;
  }
  std::memset(FBuffer + FBufLen, 0, bs - FBufLen);
  if (FLittleEndian) {
    StoreLE32(FBuffer + bs - 8, std::uint32_t(bits));
    StoreLE32(FBuffer + bs - 4, std::uint32_t(bits >> 32));
  } else {
    StoreBE64(FBuffer + bs - 8, bits);
  }
  Compress(FBuffer);
  StoreDigest();
  FBufLen = 0;
  FLength = 0;
}

// ---- MD5 ------------------------------------------------------------------------------------

void TMD5Hash::Init() {
  Restart();
  FState[0] = 0x67452301; FState[1] = 0xefcdab89; FState[2] = 0x98badcfe; FState[3] = 0x10325476;
}

void TMD5Hash::Compress(const std::uint8_t* block) {
  static const std::uint32_t K[64] = {
      0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
      0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
      0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
      0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
      0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
      0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
      0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
      0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
  static const int S[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                            5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                            4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                            6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
  std::uint32_t M[16];
  for (int i = 0; i < 16; ++i) M[i] = LoadLE32(block + 4 * i);
  std::uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t f;
    int g;
    if (i < 16) { f = (b & c) | (~b & d); g = i; }
    else if (i < 32) { f = (d & b) | (~d & c); g = (5 * i + 1) & 15; }
    else if (i < 48) { f = b ^ c ^ d; g = (3 * i + 5) & 15; }
    else { f = c ^ (b | ~d); g = (7 * i) & 15; }
    std::uint32_t t = d;
    d = c;
    c = b;
    b = b + Rol32(a + f + K[i] + M[g], S[i]);
    a = t;
  }
  FState[0] += a; FState[1] += b; FState[2] += c; FState[3] += d;
}

void TMD5Hash::StoreDigest() {
  for (int i = 0; i < 4; ++i) StoreLE32(FDigest + 4 * i, FState[i]);
}

// ---- SHA-1 ----------------------------------------------------------------------------------

void TSHA1Hash::Init() {
  Restart();
  FState[0] = 0x67452301; FState[1] = 0xEFCDAB89; FState[2] = 0x98BADCFE; FState[3] = 0x10325476;
  FState[4] = 0xC3D2E1F0;
}

void TSHA1Hash::Compress(const std::uint8_t* block) {
  std::uint32_t W[80];
  for (int i = 0; i < 16; ++i) W[i] = LoadBE32(block + 4 * i);
  for (int i = 16; i < 80; ++i) W[i] = Rol32(W[i - 3] ^ W[i - 8] ^ W[i - 14] ^ W[i - 16], 1);
  std::uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3], e = FState[4];
  for (int i = 0; i < 80; ++i) {
    std::uint32_t f, k;
    if (i < 20) { f = (b & c) | (~b & d); k = 0x5A827999; }
    else if (i < 40) { f = b ^ c ^ d; k = 0x6ED9EBA1; }
    else if (i < 60) { f = (b & c) | (b & d) | (c & d); k = 0x8F1BBCDC; }
    else { f = b ^ c ^ d; k = 0xCA62C1D6; }
    std::uint32_t t = Rol32(a, 5) + f + e + k + W[i];
    e = d; d = c; c = Rol32(b, 30); b = a; a = t;
  }
  FState[0] += a; FState[1] += b; FState[2] += c; FState[3] += d; FState[4] += e;
}

void TSHA1Hash::StoreDigest() {
  for (int i = 0; i < 5; ++i) StoreBE32(FDigest + 4 * i, FState[i]);
}

// ---- SHA-256 --------------------------------------------------------------------------------

void TSHA256Hash::Init() {
  Restart();
  static const std::uint32_t H0[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                      0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::memcpy(FState, H0, sizeof FState);
}

void TSHA256Hash::Compress(const std::uint8_t* block) {
  static const std::uint32_t K[64] = {
      0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
      0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
      0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
      0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
      0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
      0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
      0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
      0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
  std::uint32_t W[64];
  for (int i = 0; i < 16; ++i) W[i] = LoadBE32(block + 4 * i);
  for (int i = 16; i < 64; ++i) {
    std::uint32_t s0 = Ror32(W[i - 15], 7) ^ Ror32(W[i - 15], 18) ^ (W[i - 15] >> 3);
    std::uint32_t s1 = Ror32(W[i - 2], 17) ^ Ror32(W[i - 2], 19) ^ (W[i - 2] >> 10);
    W[i] = W[i - 16] + s0 + W[i - 7] + s1;
  }
  std::uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3];
  std::uint32_t e = FState[4], f = FState[5], g = FState[6], h = FState[7];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t S1 = Ror32(e, 6) ^ Ror32(e, 11) ^ Ror32(e, 25);
    std::uint32_t ch = (e & f) ^ (~e & g);
    std::uint32_t t1 = h + S1 + ch + K[i] + W[i];
    std::uint32_t S0 = Ror32(a, 2) ^ Ror32(a, 13) ^ Ror32(a, 22);
    std::uint32_t maj = (a & b) ^ (a & c) ^ (b & c);
    std::uint32_t t2 = S0 + maj;
    h = g; g = f; f = e; e = d + t1; d = c; c = b; b = a; a = t1 + t2;
  }
  FState[0] += a; FState[1] += b; FState[2] += c; FState[3] += d;
  FState[4] += e; FState[5] += f; FState[6] += g; FState[7] += h;
}

void TSHA256Hash::StoreDigest() {
  for (int i = 0; i < 8; ++i) StoreBE32(FDigest + 4 * i, FState[i]);
}

// ---- SHA-512 and SHA-384 ----------------------------------------------------------------------

void TSHA512Hash::Init() {
  Restart();
  static const std::uint64_t H0[8] = {0x6a09e667f3bcc908ULL, 0xbb67ae8584caa73bULL, 0x3c6ef372fe94f82bULL,
                                      0xa54ff53a5f1d36f1ULL, 0x510e527fade682d1ULL, 0x9b05688c2b3e6c1fULL,
                                      0x1f83d9abfb41bd6bULL, 0x5be0cd19137e2179ULL};
  std::memcpy(FState, H0, sizeof FState);
}

void TSHA384Hash::Init() {
  Restart();
  static const std::uint64_t H0[8] = {0xcbbb9d5dc1059ed8ULL, 0x629a292a367cd507ULL, 0x9159015a3070dd17ULL,
                                      0x152fecd8f70e5939ULL, 0x67332667ffc00b31ULL, 0x8eb44a8768581511ULL,
                                      0xdb0c2e0d64f98fa7ULL, 0x47b5481dbefa4fa4ULL};
  std::memcpy(FState, H0, sizeof FState);
}

void TSHA512Hash::Compress(const std::uint8_t* block) {
  static const std::uint64_t K[80] = {
      0x428a2f98d728ae22ULL, 0x7137449123ef65cdULL, 0xb5c0fbcfec4d3b2fULL, 0xe9b5dba58189dbbcULL,
      0x3956c25bf348b538ULL, 0x59f111f1b605d019ULL, 0x923f82a4af194f9bULL, 0xab1c5ed5da6d8118ULL,
      0xd807aa98a3030242ULL, 0x12835b0145706fbeULL, 0x243185be4ee4b28cULL, 0x550c7dc3d5ffb4e2ULL,
      0x72be5d74f27b896fULL, 0x80deb1fe3b1696b1ULL, 0x9bdc06a725c71235ULL, 0xc19bf174cf692694ULL,
      0xe49b69c19ef14ad2ULL, 0xefbe4786384f25e3ULL, 0x0fc19dc68b8cd5b5ULL, 0x240ca1cc77ac9c65ULL,
      0x2de92c6f592b0275ULL, 0x4a7484aa6ea6e483ULL, 0x5cb0a9dcbd41fbd4ULL, 0x76f988da831153b5ULL,
      0x983e5152ee66dfabULL, 0xa831c66d2db43210ULL, 0xb00327c898fb213fULL, 0xbf597fc7beef0ee4ULL,
      0xc6e00bf33da88fc2ULL, 0xd5a79147930aa725ULL, 0x06ca6351e003826fULL, 0x142929670a0e6e70ULL,
      0x27b70a8546d22ffcULL, 0x2e1b21385c26c926ULL, 0x4d2c6dfc5ac42aedULL, 0x53380d139d95b3dfULL,
      0x650a73548baf63deULL, 0x766a0abb3c77b2a8ULL, 0x81c2c92e47edaee6ULL, 0x92722c851482353bULL,
      0xa2bfe8a14cf10364ULL, 0xa81a664bbc423001ULL, 0xc24b8b70d0f89791ULL, 0xc76c51a30654be30ULL,
      0xd192e819d6ef5218ULL, 0xd69906245565a910ULL, 0xf40e35855771202aULL, 0x106aa07032bbd1b8ULL,
      0x19a4c116b8d2d0c8ULL, 0x1e376c085141ab53ULL, 0x2748774cdf8eeb99ULL, 0x34b0bcb5e19b48a8ULL,
      0x391c0cb3c5c95a63ULL, 0x4ed8aa4ae3418acbULL, 0x5b9cca4f7763e373ULL, 0x682e6ff3d6b2b8a3ULL,
      0x748f82ee5defb2fcULL, 0x78a5636f43172f60ULL, 0x84c87814a1f0ab72ULL, 0x8cc702081a6439ecULL,
      0x90befffa23631e28ULL, 0xa4506cebde82bde9ULL, 0xbef9a3f7b2c67915ULL, 0xc67178f2e372532bULL,
      0xca273eceea26619cULL, 0xd186b8c721c0c207ULL, 0xeada7dd6cde0eb1eULL, 0xf57d4f7fee6ed178ULL,
      0x06f067aa72176fbaULL, 0x0a637dc5a2c898a6ULL, 0x113f9804bef90daeULL, 0x1b710b35131c471bULL,
      0x28db77f523047d84ULL, 0x32caab7b40c72493ULL, 0x3c9ebe0a15c9bebcULL, 0x431d67c49c100d4cULL,
      0x4cc5d4becb3e42b6ULL, 0x597f299cfc657e2aULL, 0x5fcb6fab3ad6faecULL, 0x6c44198c4a475817ULL};
  std::uint64_t W[80];
  for (int i = 0; i < 16; ++i) W[i] = LoadBE64(block + 8 * i);
  for (int i = 16; i < 80; ++i) {
    std::uint64_t s0 = Ror64(W[i - 15], 1) ^ Ror64(W[i - 15], 8) ^ (W[i - 15] >> 7);
    std::uint64_t s1 = Ror64(W[i - 2], 19) ^ Ror64(W[i - 2], 61) ^ (W[i - 2] >> 6);
    W[i] = W[i - 16] + s0 + W[i - 7] + s1;
  }
  std::uint64_t a = FState[0], b = FState[1], c = FState[2], d = FState[3];
  std::uint64_t e = FState[4], f = FState[5], g = FState[6], h = FState[7];
  for (int i = 0; i < 80; ++i) {
    std::uint64_t S1 = Ror64(e, 14) ^ Ror64(e, 18) ^ Ror64(e, 41);
    std::uint64_t ch = (e & f) ^ (~e & g);
    std::uint64_t t1 = h + S1 + ch + K[i] + W[i];
    std::uint64_t S0 = Ror64(a, 28) ^ Ror64(a, 34) ^ Ror64(a, 39);
    std::uint64_t maj = (a & b) ^ (a & c) ^ (b & c);
    std::uint64_t t2 = S0 + maj;
    h = g; g = f; f = e; e = d + t1; d = c; c = b; b = a; a = t1 + t2;
  }
  FState[0] += a; FState[1] += b; FState[2] += c; FState[3] += d;
  FState[4] += e; FState[5] += f; FState[6] += g; FState[7] += h;
}

void TSHA512Hash::StoreDigest() {
  for (int i = 0; i < 8; ++i) StoreBE64(FDigest + 8 * i, FState[i]);
}

void MD5Buffer(const void* buf, std::size_t len, std::uint8_t out[16]) {
  TMD5Hash h;
  h.Update(buf, len);
  h.Finish(out);
}
std::string MD5Of(std::string_view s) { return OneShot<TMD5Hash>(s); }
std::string SHA1Of(std::string_view s) { return OneShot<TSHA1Hash>(s); }
std::string SHA256Of(std::string_view s) { return OneShot<TSHA256Hash>(s); }
std::string SHA384Of(std::string_view s) { return OneShot<TSHA384Hash>(s); }
std::string SHA512Of(std::string_view s) { return OneShot<TSHA512Hash>(s); }

// ---- TCipher --------------------------------------------------------------------------------

void TCipher::EncodeTo(void* source, void* dest, bool preserve, std::size_t len) {
  std::string saved;
  if (preserve) saved.assign(static_cast<const char*>(source), len);
  Encode(source, len);
  if (len) std::memcpy(dest, source, len);
  if (preserve && len) std::memcpy(source, saved.data(), len);
}

void TCipher::DecodeTo(void* source, void* dest, bool preserve, std::size_t len) {
  std::string saved;
  if (preserve) saved.assign(static_cast<const char*>(source), len);
  Decode(source, len);
  if (len) std::memcpy(dest, source, len);
  if (preserve && len) std::memcpy(source, saved.data(), len);
}

// ---- TBlockCipher ---------------------------------------------------------------------------

void TBlockCipher::Encode(void* buf, std::size_t len) {
  const std::size_t bs = static_cast<std::size_t>(BlockSize());
  auto* p = static_cast<std::uint8_t*>(buf);
  std::uint8_t chain[32];
  std::memcpy(chain, FVector, bs);
  for (; len >= bs; p += bs, len -= bs) {
    for (std::size_t i = 0; i < bs; ++i) p[i] ^= chain[i];
    EncodeBlock(p);
    std::memcpy(chain, p, bs);
  }
  if (len) {
    std::uint8_t last[32] = {};
    std::memcpy(last, p, len);
    for (std::size_t i = 0; i < bs; ++i) last[i] ^= chain[i];
    EncodeBlock(last);
    std::memcpy(p, last, len);
  }
}

void TBlockCipher::Decode(void* buf, std::size_t len) {
  const std::size_t bs = static_cast<std::size_t>(BlockSize());
  auto* p = static_cast<std::uint8_t*>(buf);
  std::uint8_t chain[32], next[32];
  std::memcpy(chain, FVector, bs);
  for (; len >= bs; p += bs, len -= bs) {
    std::memcpy(next, p, bs);
    DecodeBlock(p);
    for (std::size_t i = 0; i < bs; ++i) p[i] ^= chain[i];
    std::memcpy(chain, next, bs);
  }
  // A partial tail cannot be undone (only its leading bytes were kept); it is left as it is.
}

// ---- RC4 ------------------------------------------------------------------------------------

TRC4Cipher::TRC4Cipher(const void* key, int len, void* initVector) : TCipher(len) {
  Init(key, len, initVector);
}

void TRC4Cipher::Init(const void* key, int len, void*) {
  if (len <= 0 || len > 256) throw EArgumentException(std::string_view("RC4: Invalid key length"));
  const auto* k = static_cast<const std::uint8_t*>(key);
  for (int i = 0; i < 256; ++i) FKey[i] = std::uint8_t(i);
  std::uint8_t j = 0;
  for (int i = 0; i < 256; ++i) {
    j = std::uint8_t(j + FKey[i] + k[i % len]);
    std::uint8_t t = FKey[i];
    FKey[i] = FKey[j];
    FKey[j] = t;
  }
  std::memcpy(FOrgKey, FKey, 256);
}

void TRC4Cipher::Encode(void* buf, std::size_t len) {
  auto* p = static_cast<std::uint8_t*>(buf);
  std::uint8_t i = 0, j = 0;
  for (std::size_t n = 0; n < len; ++n) {
    ++i;
    std::uint8_t si = FKey[i];
    j = std::uint8_t(j + si);
    std::uint8_t sj = FKey[j];
    FKey[i] = sj;
    FKey[j] = si;
    p[n] ^= FKey[std::uint8_t(si + sj)];
  }
  std::memcpy(FKey, FOrgKey, 256);
}

// ---- AES ------------------------------------------------------------------------------------

namespace {

struct TAESTables {
  std::uint8_t SBox[256], InvSBox[256];
  std::uint32_t Te[4][256], Td[4][256];

  static std::uint8_t XTime(std::uint8_t x) { return std::uint8_t((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }
  static std::uint8_t Mul(std::uint8_t a, std::uint8_t b) {
    std::uint8_t r = 0;
    while (b) {
      if (b & 1) r ^= a;
      a = XTime(a);
      b >>= 1;
    }
    return r;
  }

  TAESTables() {
    // The S-box from the field inverse and the affine map of the standard.
    std::uint8_t p = 1, q = 1;
    SBox[0] = 0x63;
    do {
      p = std::uint8_t(p ^ (p << 1) ^ ((p & 0x80) ? 0x1B : 0));  // p * 3
      q ^= std::uint8_t(q << 1);                                  // q / 3
      q ^= std::uint8_t(q << 2);
      q ^= std::uint8_t(q << 4);
      if (q & 0x80) q ^= 0x09;
      std::uint8_t x = std::uint8_t(q ^ Rol8(q, 1) ^ Rol8(q, 2) ^ Rol8(q, 3) ^ Rol8(q, 4));
      SBox[p] = std::uint8_t(x ^ 0x63);
    } while (p != 1);
    for (int i = 0; i < 256; ++i) InvSBox[SBox[i]] = std::uint8_t(i);
    for (int i = 0; i < 256; ++i) {
      std::uint8_t s = SBox[i];
      std::uint32_t t = std::uint32_t(Mul(s, 2)) << 24 | std::uint32_t(s) << 16 | std::uint32_t(s) << 8 | Mul(s, 3);
      std::uint8_t v = InvSBox[i];
      std::uint32_t u = std::uint32_t(Mul(v, 14)) << 24 | std::uint32_t(Mul(v, 9)) << 16 |
                        std::uint32_t(Mul(v, 13)) << 8 | Mul(v, 11);
      for (int r = 0; r < 4; ++r) {
        Te[r][i] = Ror32(t, 8 * r);
        Td[r][i] = Ror32(u, 8 * r);
      }
    }
  }
  static std::uint8_t Rol8(std::uint8_t v, int n) { return std::uint8_t((v << n) | (v >> (8 - n))); }
};

const TAESTables& AES() {
  static const TAESTables t;
  return t;
}

}  // namespace

TAESCipher::TAESCipher(const void* key, void* initVector, int keyBits) : TBlockCipher(keyBits) {
  Init(key, keyBits, initVector);
}

void TAESCipher::Init(const void* key, int len, void* initVector) {
  if (len != 128 && len != 192 && len != 256) throw EArgumentException(std::string_view("AES: Invalid key length"));
  const TAESTables& T = AES();
  FIV = static_cast<std::uint8_t*>(initVector);
  const int nk = len / 32;
  FRounds = nk + 6;
  const int total = 4 * (FRounds + 1);
  const auto* k = static_cast<const std::uint8_t*>(key);
  for (int i = 0; i < nk; ++i) FEncKey[i] = LoadBE32(k + 4 * i);
  std::uint32_t rcon = 1;
  for (int i = nk; i < total; ++i) {
    std::uint32_t t = FEncKey[i - 1];
    auto sub = [&](std::uint32_t w) {
      return std::uint32_t(T.SBox[w >> 24]) << 24 | std::uint32_t(T.SBox[(w >> 16) & 255]) << 16 |
             std::uint32_t(T.SBox[(w >> 8) & 255]) << 8 | T.SBox[w & 255];
    };
    if (i % nk == 0) {
      t = sub(Rol32(t, 8)) ^ (rcon << 24);
      rcon = TAESTables::XTime(std::uint8_t(rcon));
    } else if (nk > 6 && i % nk == 4) {
      t = sub(t);
    }
    FEncKey[i] = FEncKey[i - nk] ^ t;
  }
  // The equivalent inverse cipher: round keys in reverse, inner ones through InvMixColumns.
  for (int r = 0; r <= FRounds; ++r)
    for (int c = 0; c < 4; ++c) {
      std::uint32_t w = FEncKey[4 * (FRounds - r) + c];
      if (r > 0 && r < FRounds)
        w = T.Td[0][T.SBox[w >> 24]] ^ T.Td[1][T.SBox[(w >> 16) & 255]] ^ T.Td[2][T.SBox[(w >> 8) & 255]] ^
            T.Td[3][T.SBox[w & 255]];
      FDecKey[4 * r + c] = w;
    }
  if (FIV) std::memcpy(FVector, FIV, 16);
}

void TAESCipher::EncodeBlock(std::uint8_t* block) {
  const TAESTables& T = AES();
  const std::uint32_t* rk = FEncKey;
  std::uint32_t s0 = LoadBE32(block) ^ rk[0], s1 = LoadBE32(block + 4) ^ rk[1];
  std::uint32_t s2 = LoadBE32(block + 8) ^ rk[2], s3 = LoadBE32(block + 12) ^ rk[3];
  for (int r = 1; r < FRounds; ++r) {
    rk += 4;
    std::uint32_t t0 = T.Te[0][s0 >> 24] ^ T.Te[1][(s1 >> 16) & 255] ^ T.Te[2][(s2 >> 8) & 255] ^ T.Te[3][s3 & 255] ^ rk[0];
    std::uint32_t t1 = T.Te[0][s1 >> 24] ^ T.Te[1][(s2 >> 16) & 255] ^ T.Te[2][(s3 >> 8) & 255] ^ T.Te[3][s0 & 255] ^ rk[1];
    std::uint32_t t2 = T.Te[0][s2 >> 24] ^ T.Te[1][(s3 >> 16) & 255] ^ T.Te[2][(s0 >> 8) & 255] ^ T.Te[3][s1 & 255] ^ rk[2];
    std::uint32_t t3 = T.Te[0][s3 >> 24] ^ T.Te[1][(s0 >> 16) & 255] ^ T.Te[2][(s1 >> 8) & 255] ^ T.Te[3][s2 & 255] ^ rk[3];
    s0 = t0; s1 = t1; s2 = t2; s3 = t3;
  }
  rk += 4;
  const std::uint8_t* S = T.SBox;
  auto last = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t k) {
    return (std::uint32_t(S[a >> 24]) << 24 | std::uint32_t(S[(b >> 16) & 255]) << 16 |
            std::uint32_t(S[(c >> 8) & 255]) << 8 | S[d & 255]) ^ k;
  };
  StoreBE32(block, last(s0, s1, s2, s3, rk[0]));
  StoreBE32(block + 4, last(s1, s2, s3, s0, rk[1]));
  StoreBE32(block + 8, last(s2, s3, s0, s1, rk[2]));
  StoreBE32(block + 12, last(s3, s0, s1, s2, rk[3]));
}

void TAESCipher::DecodeBlock(std::uint8_t* block) {
  const TAESTables& T = AES();
  const std::uint32_t* rk = FDecKey;
  std::uint32_t s0 = LoadBE32(block) ^ rk[0], s1 = LoadBE32(block + 4) ^ rk[1];
  std::uint32_t s2 = LoadBE32(block + 8) ^ rk[2], s3 = LoadBE32(block + 12) ^ rk[3];
  for (int r = 1; r < FRounds; ++r) {
    rk += 4;
    std::uint32_t t0 = T.Td[0][s0 >> 24] ^ T.Td[1][(s3 >> 16) & 255] ^ T.Td[2][(s2 >> 8) & 255] ^ T.Td[3][s1 & 255] ^ rk[0];
    std::uint32_t t1 = T.Td[0][s1 >> 24] ^ T.Td[1][(s0 >> 16) & 255] ^ T.Td[2][(s3 >> 8) & 255] ^ T.Td[3][s2 & 255] ^ rk[1];
    std::uint32_t t2 = T.Td[0][s2 >> 24] ^ T.Td[1][(s1 >> 16) & 255] ^ T.Td[2][(s0 >> 8) & 255] ^ T.Td[3][s3 & 255] ^ rk[2];
    std::uint32_t t3 = T.Td[0][s3 >> 24] ^ T.Td[1][(s2 >> 16) & 255] ^ T.Td[2][(s1 >> 8) & 255] ^ T.Td[3][s0 & 255] ^ rk[3];
    s0 = t0; s1 = t1; s2 = t2; s3 = t3;
  }
  rk += 4;
  const std::uint8_t* S = T.InvSBox;
  auto last = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t k) {
    return (std::uint32_t(S[a >> 24]) << 24 | std::uint32_t(S[(b >> 16) & 255]) << 16 |
            std::uint32_t(S[(c >> 8) & 255]) << 8 | S[d & 255]) ^ k;
  };
  StoreBE32(block, last(s0, s3, s2, s1, rk[0]));
  StoreBE32(block + 4, last(s1, s0, s3, s2, rk[1]));
  StoreBE32(block + 8, last(s2, s1, s0, s3, rk[2]));
  StoreBE32(block + 12, last(s3, s2, s1, s0, rk[3]));
}

void TAESCipher::Encode(void* buf, std::size_t len) {
  if (len % 16) throw EArgumentException(std::string_view("AES: data is not a whole number of blocks"));
  std::uint8_t zero[16] = {};
  std::uint8_t* chain = FIV ? FIV : zero;
  auto* p = static_cast<std::uint8_t*>(buf);
  for (; len; p += 16, len -= 16) {
    for (int i = 0; i < 16; ++i) p[i] ^= chain[i];
    EncodeBlock(p);
    std::memcpy(chain, p, 16);
  }
}

void TAESCipher::Decode(void* buf, std::size_t len) {
  if (len % 16) throw EArgumentException(std::string_view("AES: data is not a whole number of blocks"));
  std::uint8_t zero[16] = {};
  std::uint8_t* chain = FIV ? FIV : zero;
  auto* p = static_cast<std::uint8_t*>(buf);
  std::uint8_t next[16];
  for (; len; p += 16, len -= 16) {
    std::memcpy(next, p, 16);
    DecodeBlock(p);
    for (int i = 0; i < 16; ++i) p[i] ^= chain[i];
    std::memcpy(chain, next, 16);
  }
}

std::string AESEncryptCBCRaw(std::string_view key, std::string_view data, std::string_view iv) {
  std::uint8_t vec[16] = {};
  if (!iv.empty()) std::memcpy(vec, iv.data(), iv.size() < 16 ? iv.size() : 16);
  std::string out(data);
  TAESCipher aes(key.data(), vec, static_cast<int>(key.size() * 8));
  aes.Encode(out.data(), out.size());
  return out;
}

std::string AESEncryptCBCPadded(std::string_view key, std::string_view iv, std::string_view data) {
  std::size_t pad = 16 - data.size() % 16;
  std::string out;
  out.reserve(data.size() + pad);
  out.append(data);
  out.append(pad, static_cast<char>(pad));
  std::uint8_t vec[16] = {};
  std::memcpy(vec, iv.data(), iv.size() < 16 ? iv.size() : 16);
  TAESCipher aes(key.data(), vec, static_cast<int>(key.size() * 8));
  aes.Encode(out.data(), out.size());
  return out;
}

std::string RC4Crypt(std::string_view key, std::string_view data) {
  std::string out(data);
  TRC4Cipher rc4(key.data(), static_cast<int>(key.size()));
  rc4.Encode(out.data(), out.size());
  return out;
}
