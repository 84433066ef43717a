// Message digests and ciphers of the PDF writer: MD5, SHA-1, the SHA-2 family, RC4 and AES in
// CBC mode. The security handler and the signature use them through these small classes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// ---- digests --------------------------------------------------------------------------------

class THash {
 public:
  virtual ~THash() = default;
  virtual const std::uint8_t* GetDigest() const = 0;
  virtual void Init() = 0;
  virtual void Update(const void* buf, std::size_t len) = 0;
  virtual void Final() = 0;
  virtual int HashSize() const { return 0; }

  void Update(std::string_view s) { Update(s.data(), s.size()); }
  // Runs Final and copies HashSize bytes of the digest to p.
  void Finish(void* p);
  // The digest (after Final) as bytes and as upper-case hexadecimal text.
  std::string Digest() const;
  std::string HashString() const;
};

// The common frame of the Merkle-Damgard hashes: block buffering, length counting and padding.
class TBlockHash : public THash {
 public:
  const std::uint8_t* GetDigest() const override { return FDigest; }
  void Update(const void* buf, std::size_t len) override;
  void Final() override;
  using THash::Update;

 protected:
  // Block of 64 or 128 bytes; the message length closes the padding in 8 or 16 bytes, low byte
  // first or high byte first.
  TBlockHash(int blockSize, bool littleEndianLength) : FBlockSize(blockSize), FLittleEndian(littleEndianLength) {}
  void Restart() { FBufLen = 0; FLength = 0; }
  virtual void Compress(const std::uint8_t* block) = 0;
  virtual void StoreDigest() = 0;

  std::uint8_t FDigest[64] = {};

 private:
  int FBlockSize;
  bool FLittleEndian;
  std::uint8_t FBuffer[128] = {};
  std::size_t FBufLen = 0;
  std::uint64_t FLength = 0;  // bytes hashed so far
};

class TMD5Hash : public TBlockHash {
 public:
  TMD5Hash() : TBlockHash(64, true) { Init(); }
  void Init() override;
  int HashSize() const override { return 16; }

 protected:
  void Compress(const std::uint8_t* block) override;
  void StoreDigest() override;

 private:
  std::uint32_t FState[4] = {};
};

class TSHA1Hash : public TBlockHash {
 public:
  TSHA1Hash() : TBlockHash(64, false) { Init(); }
  void Init() override;
  int HashSize() const override { return 20; }

 protected:
  void Compress(const std::uint8_t* block) override;
  void StoreDigest() override;

 private:
  std::uint32_t FState[5] = {};
};

class TSHA256Hash : public TBlockHash {
 public:
  TSHA256Hash() : TBlockHash(64, false) { Init(); }
  void Init() override;
  int HashSize() const override { return 32; }

 protected:
  void Compress(const std::uint8_t* block) override;
  void StoreDigest() override;

 private:
  std::uint32_t FState[8] = {};
};

// SHA-512 and its truncation SHA-384: the AES-256 password hash of the security handler mixes
// them with SHA-256.
class TSHA512Hash : public TBlockHash {
 public:
  TSHA512Hash() : TBlockHash(128, false) { Init(); }
  void Init() override;
  int HashSize() const override { return 64; }

 protected:
  void Compress(const std::uint8_t* block) override;
  void StoreDigest() override;
  std::uint64_t FState[8] = {};
};

class TSHA384Hash : public TSHA512Hash {
 public:
  TSHA384Hash() { Init(); }
  void Init() override;
  int HashSize() const override { return 48; }
};

// One-shot digests of a buffer.
void MD5Buffer(const void* buf, std::size_t len, std::uint8_t out[16]);
std::string MD5Of(std::string_view s);
std::string SHA1Of(std::string_view s);
std::string SHA256Of(std::string_view s);
std::string SHA384Of(std::string_view s);
std::string SHA512Of(std::string_view s);

// ---- ciphers --------------------------------------------------------------------------------

class TCipher {
 public:
  virtual ~TCipher() = default;
  virtual void Init(const void* key, int len, void* initVector) = 0;
  virtual void Decode(void* buf, std::size_t len) = 0;
  virtual void Encode(void* buf, std::size_t len) = 0;

  // Transform len bytes of source in place and copy them to dest; with preserve the source is
  // put back afterwards.
  void EncodeTo(void* source, void* dest, bool preserve, std::size_t len);
  void DecodeTo(void* source, void* dest, bool preserve, std::size_t len);

 protected:
  explicit TCipher(int len) : FKeyLen(len) {}
  int FKeyLen;
};

// CBC over a block primitive. The stored vector is not advanced between calls.
class TBlockCipher : public TCipher {
 public:
  virtual int BlockSize() const = 0;
  virtual void EncodeBlock(std::uint8_t* block) = 0;
  virtual void DecodeBlock(std::uint8_t* block) = 0;
  // A final partial block is chained through a zero-filled block of which only the leading
  // bytes are written back.
  void Encode(void* buf, std::size_t len) override;
  void Decode(void* buf, std::size_t len) override;

 protected:
  explicit TBlockCipher(int len) : TCipher(len) {}
  std::uint8_t FVector[32] = {};
};

class TRC4Cipher : public TCipher {
 public:
  // len is the key length in bytes: 1 to 256, else "RC4: Invalid key length".
  TRC4Cipher(const void* key, int len, void* initVector = nullptr);
  void Init(const void* key, int len, void* initVector) override;
  // XOR with the key stream. Each call starts from the permutation set up by Init, so one
  // object encrypts every buffer independently.
  void Encode(void* buf, std::size_t len) override;
  void Decode(void* buf, std::size_t len) override { Encode(buf, len); }

 private:
  std::uint8_t FKey[256] = {};
  std::uint8_t FOrgKey[256] = {};
};

class TAESCipher : public TBlockCipher {
 public:
  // keyBits 128, 192 or 256, else "AES: Invalid key length". The 16-byte vector buffer is the
  // caller's and stays the chaining value: after Encode it holds the last cipher block, so
  // consecutive calls continue one chain. Data must come in whole blocks.
  TAESCipher(const void* key, void* initVector, int keyBits);
  void Init(const void* key, int len, void* initVector) override;
  int BlockSize() const override { return 16; }
  void EncodeBlock(std::uint8_t* block) override;
  void DecodeBlock(std::uint8_t* block) override;
  void Encode(void* buf, std::size_t len) override;
  void Decode(void* buf, std::size_t len) override;
  int Rounds() const { return FRounds; }

 private:
  int FRounds = 0;
  std::uint32_t FEncKey[60] = {};
  std::uint32_t FDecKey[60] = {};
  std::uint8_t* FIV = nullptr;
};

// AES-CBC with a vector of the caller and PKCS #7 padding (1 to 16 bytes of the pad length),
// as PDF strings and streams are encrypted. keyBits 128 or 256.
std::string AESEncryptCBCPadded(std::string_view key, std::string_view iv, std::string_view data);
// Whole blocks, no padding, the vector zero unless given.
std::string AESEncryptCBCRaw(std::string_view key, std::string_view data, std::string_view iv = {});
std::string RC4Crypt(std::string_view key, std::string_view data);
