#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>

#include "PdfToolRunner.h"
#include "pdf/PDFCrypt.h"
#include "platform/base/SysUtils.h"

using namespace pdftest;

// The published test values of RFC 1321 and FIPS 180 (including the two-block messages and the
// million "a"), fed in one piece and in uneven pieces so the block buffering is crossed.
TEST(PDFCrypt, DigestsReproducePublishedValues) {
  struct Case {
    std::string Message;
    const char *MD5, *SHA1, *SHA256;
  };
  const Case cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709",
       "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d",
       "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "8215ef0796a20bcaaae116d3876c664a",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1", "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a", "50abf5706a150990a08b2c5ea40fa0e585554732",
       "f371bc4a311f2b009eef952dd83ca80e2b60026c8e935592d0f9c308453c813e"},
      {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21", "34aa973cd4c4daa4f61eeb2bdbad27316534016f",
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Message.substr(0, 20));
    EXPECT_EQ(ToHex(MD5Of(c.Message)), c.MD5);
    EXPECT_EQ(ToHex(SHA1Of(c.Message)), c.SHA1);
    EXPECT_EQ(ToHex(SHA256Of(c.Message)), c.SHA256);
    TSHA256Hash h;
    for (std::size_t pos = 0, step = 1; pos < c.Message.size(); pos += step, step = step * 3 % 97 + 1)
      h.Update(c.Message.data() + pos, std::min(step, c.Message.size() - pos));
    h.Final();
    EXPECT_EQ(ToHex(h.Digest()), c.SHA256);
  }
  EXPECT_EQ(ToHex(SHA384Of("abc")),
            "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7");
  EXPECT_EQ(ToHex(SHA512Of("abc")),
            "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd"
            "454d4423643ce80e2a9ac94fa54ca49f");
  EXPECT_EQ(ToHex(SHA512Of(std::string(1000000, 'a'))).substr(0, 32), "e718483d0ce769644e2e42c7bc15b463");

  TMD5Hash md5;
  md5.Update("abc");
  md5.Final();
  EXPECT_EQ(md5.HashString(), "900150983CD24FB0D6963F7D28E17F72");
  // A hash object is reusable after Init.
  md5.Init();
  md5.Update("abc");
  std::uint8_t out[16];
  md5.Finish(out);
  EXPECT_EQ(std::memcmp(out, md5.GetDigest(), 16), 0);
  EXPECT_EQ(md5.HashString(), "900150983CD24FB0D6963F7D28E17F72");
}

// FIPS 197 appendix C and SP 800-38A F.2 (CBC), the RC4 vectors of RFC 6229.
TEST(PDFCrypt, CiphersReproducePublishedVectors) {
  const std::string pt = FromHex("00112233445566778899aabbccddeeff");
  EXPECT_EQ(ToHex(AESEncryptCBCRaw(FromHex("000102030405060708090a0b0c0d0e0f"), pt)),
            "69c4e0d86a7b0430d8cdb78070b4c55a");
  EXPECT_EQ(ToHex(AESEncryptCBCRaw(FromHex("000102030405060708090a0b0c0d0e0f1011121314151617"), pt)),
            "dda97ca4864cdfe06eaf70a0ec0d7191");
  EXPECT_EQ(ToHex(AESEncryptCBCRaw(FromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"), pt)),
            "8ea2b7ca516745bfeafc49904b496089");

  const std::string msg = FromHex(
      "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
      "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
  const std::string iv = FromHex("000102030405060708090a0b0c0d0e0f");
  EXPECT_EQ(ToHex(AESEncryptCBCRaw(FromHex("2b7e151628aed2a6abf7158809cf4f3c"), msg, iv)),
            "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
            "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7");
  const std::string key256 = FromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
  EXPECT_EQ(ToHex(AESEncryptCBCRaw(key256, msg, iv)),
            "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
            "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b");

  // The caller's vector carries the chain: two calls equal one call over both halves, and the
  // vector ends as the last cipher block. Decoding with a fresh vector gives the text back.
  std::uint8_t vec[16];
  std::memcpy(vec, iv.data(), 16);
  std::string data = msg;
  TAESCipher aes(key256.data(), vec, 256);
  EXPECT_EQ(aes.Rounds(), 14);
  aes.Encode(data.data(), 32);
  aes.Encode(data.data() + 32, 32);
  EXPECT_EQ(data, AESEncryptCBCRaw(key256, msg, iv));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(vec), 16), data.substr(48));
  std::memcpy(vec, iv.data(), 16);
  aes.Decode(data.data(), data.size());
  EXPECT_EQ(data, msg);
  EXPECT_THROW(aes.Encode(data.data(), 15), EArgumentException);
  EXPECT_THROW(TAESCipher(key256.data(), vec, 100), EArgumentException);

  EXPECT_EQ(ToHex(RC4Crypt(FromHex("0102030405"), std::string(16, '\0'))), "b2396305f03dc027ccc3524a0a1118a8");
  EXPECT_EQ(ToHex(RC4Crypt(FromHex("0102030405060708090a0b0c0d0e0f10"), std::string(16, '\0'))),
            "9ac7cc9a609d1ef7b2932899cde41b97");
  EXPECT_EQ(ToHex(RC4Crypt("Key", "Plaintext")), "bbf316e8d940af0ad3");
}

TEST(PDFCrypt, RC4KeyLengthsAndRepeatedEncodes) {
  std::string key(257, 'k');
  for (int len : {0, 257}) {
    try {
      TRC4Cipher c(key.data(), len);
      ADD_FAILURE() << len;
    } catch (const EArgumentException& e) {
      EXPECT_STREQ(e.what(), "RC4: Invalid key length");
    }
  }
  TRC4Cipher full(key.data(), 256);  // the longest key is allowed
  // Each Encode starts the key stream afresh.
  TRC4Cipher rc4("secret", 6);
  std::string a = "same input", b = a;
  rc4.Encode(a.data(), a.size());
  rc4.Encode(b.data(), b.size());
  EXPECT_EQ(a, b);
  EXPECT_NE(a, "same input");
  // EncodeTo with preserve leaves the source alone.
  std::string src = "plain text", dst(src.size(), '\0');
  rc4.EncodeTo(src.data(), dst.data(), true, src.size());
  EXPECT_EQ(src, "plain text");
  EXPECT_EQ(dst, RC4Crypt("secret", "plain text"));
  rc4.EncodeTo(src.data(), dst.data(), false, src.size());
  EXPECT_EQ(src, dst);
}

// Every length from 0 to 300 of random bytes, under random keys and vectors, against the openssl
// command-line tool: digests of all lengths in one run per algorithm, ciphers one file each.
TEST(PDFCrypt, AgreesWithOpenSSLOnEveryLengthTo300) {
  if (!HaveOpenSSL()) GTEST_SKIP() << "openssl (with its legacy provider) is not installed: peer check skipped";
  TScratchDir dir("crypt-openssl");
  std::mt19937 rng(20261210);
  auto bytes = [&](std::size_t n) {
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
  };
  std::vector<std::string> inputs;
  std::string fileList;
  for (int len = 0; len <= 300; ++len) {
    inputs.push_back(bytes(static_cast<std::size_t>(len)));
    std::string f = dir.File("in" + std::to_string(len));
    WriteFile(f, inputs.back());
    fileList += " '" + f + "'";
  }

  struct Digest {
    const char* Name;
    std::string (*Ours)(std::string_view);
  };
  for (const Digest& d : {Digest{"md5", &MD5Of}, Digest{"sha1", &SHA1Of}, Digest{"sha256", &SHA256Of},
                          Digest{"sha384", &SHA384Of}, Digest{"sha512", &SHA512Of}}) {
    TCommandResult r = RunCommand(std::string("openssl dgst -") + d.Name + " -r" + fileList);
    ASSERT_EQ(r.Status, 0) << d.Name;
    std::istringstream lines(r.Output);
    std::string line;
    int len = 0;
    while (std::getline(lines, line)) {
      ASSERT_LE(len, 300);
      EXPECT_EQ(line.substr(0, line.find(' ')), ToHex(d.Ours(inputs[len]))) << d.Name << " length " << len;
      ++len;
    }
    EXPECT_EQ(len, 301) << d.Name;
  }

  // Each cipher writes one output file per length; the openssl runs go four at a time.
  struct Cipher {
    const char* Name;
    std::size_t KeyLen;
    bool Padded;  // AES with a vector and the standard padding, as PDF strings are encrypted
  };
  const Cipher ciphers[] = {{"rc4", 16, false}, {"rc4-40", 5, false}, {"aes-128-cbc", 16, true},
                            {"aes-256-cbc", 32, true}};
  std::vector<std::string> keys, ivs, outs;
  std::string scripts[4];
  int n = 0;
  for (const Cipher& c : ciphers)
    for (int len = 0; len <= 300; ++len, ++n) {
      keys.push_back(bytes(c.KeyLen));
      ivs.push_back(bytes(16));
      outs.push_back(dir.File("out" + std::to_string(n)));
      scripts[n % 4] += std::string("openssl enc -provider legacy -provider default -") + c.Name + " -nosalt -K " +
                        ToHex(keys.back()) + (c.Padded ? " -iv " + ToHex(ivs.back()) : "") + " -in '" +
                        dir.File("in" + std::to_string(len)) + "' -out '" + outs.back() + "' || exit 1\n";
    }
  std::string run = "s=0\n";
  for (int i = 0; i < 4; ++i) {
    WriteFile(dir.File("run" + std::to_string(i) + ".sh"), scripts[i]);
    run += "sh '" + dir.File("run" + std::to_string(i) + ".sh") + "' & p" + std::to_string(i) + "=$!\n";
  }
  for (int i = 0; i < 4; ++i) run += "wait $p" + std::to_string(i) + " || s=1\n";
  run += "exit $s\n";
  WriteFile(dir.File("run.sh"), run);
  ASSERT_EQ(RunCommand("sh '" + dir.File("run.sh") + "' 2>&1").Status, 0);
  n = 0;
  for (const Cipher& c : ciphers)
    for (int len = 0; len <= 300; ++len, ++n) {
      std::string ours = c.Padded ? AESEncryptCBCPadded(keys[n], ivs[n], inputs[len]) : RC4Crypt(keys[n], inputs[len]);
      ASSERT_EQ(ToHex(ours), ToHex(ReadFile(outs[n]))) << c.Name << " length " << len;
    }
}
