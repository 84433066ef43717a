// Bit writer of the bilevel encoders: bits go out most significant first; flushing pads the last
// byte with zero bits.
#pragma once

#include <cstdint>
#include <string>

class TBitWriter {
 public:
  explicit TBitWriter(std::string& out) : FOut(out) {}
  ~TBitWriter() { Flush(); }
  TBitWriter(const TBitWriter&) = delete;
  TBitWriter& operator=(const TBitWriter&) = delete;

  // The low count bits of code (count at most 32).
  void Put(std::uint32_t code, int count) {
    while (count > 0) {
      const int take = count > 24 ? count - 24 : count;
      count -= take;
      const std::uint32_t part = (code >> count) & ((1u << take) - 1);
      FAcc = (FAcc << take) | part;
      FBits += take;
      while (FBits >= 8) {
        FBits -= 8;
        FOut += static_cast<char>((FAcc >> FBits) & 0xFF);
      }
      FAcc &= (1u << FBits) - 1;
    }
  }
  void Flush() {
    if (FBits > 0) {
      FOut += static_cast<char>((FAcc << (8 - FBits)) & 0xFF);
      FBits = 0;
      FAcc = 0;
    }
  }
  std::string& Out() { return FOut; }

 private:
  std::string& FOut;
  std::uint32_t FAcc = 0;
  int FBits = 0;
};
