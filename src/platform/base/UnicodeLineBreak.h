// The Unicode line-breaking data and the Unicode library's own line breaker. The engine keeps
// line-break rules of its own and fills its class table from the property below; the breaker is
// the reference that tests hold the engine's rules against.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Line-break property values of the current Unicode data, by their standard two-letter names.
// Values the library does not know (newer than this list) come back as XX.
enum class TUnicodeLineBreak : std::uint8_t {
  XX, AI, AK, AL, AP, AS, B2, BA, BB, BK, CB, CJ, CL, CM, CP, CR, EB, EM, EX, GL, H2, H3, HL,
  HY, ID, IN, IS, JL, JT, JV, LF, NL, NS, NU, OP, PO, PR, QU, RI, SA, SG, SP, SY, VF, VI, WJ,
  ZW, ZWJ
};

// The line-break property of a code point (surrogate code points give SG).
TUnicodeLineBreak GetUnicodeLineBreak(char32_t CodePoint);

// The Unicode library's default line breaker (root locale), kept open across texts.
class TUnicodeLineBreaker {
 public:
  TUnicodeLineBreaker();
  ~TUnicodeLineBreaker();
  TUnicodeLineBreaker(const TUnicodeLineBreaker&) = delete;
  TUnicodeLineBreaker& operator=(const TUnicodeLineBreaker&) = delete;
  // Starts on Text, which must stay alive while the breaker walks it.
  void SetText(std::u16string_view Text);
  // The last offset at or before Offset where a line may start (0 when there is none).
  int Preceding(int Offset);
  // The first offset after Offset where a line may start (the text's length when none).
  int Following(int Offset);

 private:
  void* FIterator = nullptr;
  int FLength = 0;
};

// Where the Unicode library's default line breaker (root locale) lets a line end: each offset is
// the index of the code unit that would start the next line, in increasing order; 0 and the text's
// length are not included.
std::vector<int> UnicodeLineBreakOffsets(std::u16string_view Text);
