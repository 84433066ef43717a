// Own tables of the code-page layer: single-byte code pages converted by table, the corrections
// that make the converter library's tables those of the system, and best-fit mappings. Internal
// to the platform's base layer.
#pragma once

#include <unicode/ucnv.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/base/Types.h"

namespace nls_tables {

// A single-byte code page. Decoding is one table lookup per byte; encoding one lookup per code
// unit in a two-level table whose entries say how the character is written.
class TSingleByteTable {
 public:
  // Entry kinds of the encoding table (the low byte holds the byte of the first two).
  static constexpr std::uint16_t Unmapped = 0;
  static constexpr std::uint16_t Exact = 0x100;         // the code page's own byte
  static constexpr std::uint16_t ExactMark = 0x200;     // the same, for a combining mark
  static constexpr std::uint16_t BestFit = 0x300;       // a best-fit byte
  static constexpr std::uint16_t Sequence = 0x400;      // written as its decomposition
  static constexpr std::uint16_t BestFitSequence = 0x500;

  // Built from the library's converter for the code page (decoding byte by byte) and the own
  // corrections; null when the converter is not single-byte.
  static std::unique_ptr<TSingleByteTable> Build(UINT codePage, UConverter* converter);

  char16_t Decoded(unsigned char b) const { return ToUnicode_[b]; }
  bool Defined(unsigned char b) const { return Defined_[b]; }
  // True when some byte decodes to a combining mark (decoding then may need composition).
  bool MayCombine() const { return MayCombine_; }

  std::uint16_t Entry(char16_t c) const { return Pages_[c >> 8][c & 0xFF]; }
  // The bytes of a Sequence or BestFitSequence entry.
  const std::string& SequenceOf(char16_t c) const { return Sequences_.at(c); }

 private:
  std::array<char16_t, 256> ToUnicode_{};
  std::array<bool, 256> Defined_{};
  bool MayCombine_ = false;
  std::array<const std::uint16_t*, 256> Pages_{};
  std::vector<std::unique_ptr<std::array<std::uint16_t, 256>>> OwnPages_;
  std::unordered_map<char16_t, std::string> Sequences_;

  std::uint16_t& Slot(char16_t c);
};

// The table of a single-byte code page, built once for the process (the converter is used only
// on the first call); null for a code page that is not single-byte.
const TSingleByteTable* SingleByteTableFor(UINT codePage, UConverter* converter);

// Double-byte code pages: characters the converter library's table leaves undecoded that the
// system's table decodes (and encodes back). 0 when there is none.
char16_t DecodeCorrection(UINT codePage, unsigned char lead, int trail);
// The bytes of a character from those corrections; empty when there is none.
std::string_view EncodeCorrection(UINT codePage, char16_t c);

// Best-fit candidates for a character a code page lacks, best first: the code page's own
// lookalike, the fullwidth form of the character (for the double-byte code pages, which have
// them), the plain form of typographic
// punctuation, and the letter without its marks or compatibility form. Answers the number
// written (at most 4).
int BestFitCandidates(UINT codePage, UChar32 c, bool doubleByte, UChar32 out[4]);

}  // namespace nls_tables
