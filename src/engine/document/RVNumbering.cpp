#include "engine/document/RVNumbering.h"

#include "engine/foundation/RVFuncs.h"

// Roman numerals grow by one letter per thousand: a counter read from a damaged document could
// otherwise make megabytes of "M" per marker. Beyond this the number is written in digits.
constexpr int MaxRomanNumber = 99999;

TRVUnicodeString RVNumberText(int N, TRVNumberTextKind Kind) {
  if ((Kind == rvntUpperRoman || Kind == rvntLowerRoman) && N > MaxRomanNumber) Kind = rvntDecimal;
  switch (Kind) {
    case rvntDecimal: return IntToStr(N);
    case rvntUpperAlpha: return IntToLetters(N);
    case rvntLowerAlpha: return LowerCaseAscii(IntToLetters(N));
    case rvntUpperRoman: return IntToRoman(N);
    case rvntLowerRoman: return LowerCaseAscii(IntToRoman(N));
    default: return {};
  }
}

TRVUnicodeString RVSafeFormat(const TRVUnicodeString& Fmt, const TVarRec* Args, std::size_t Count) {
  try {
    return Format(Fmt, Args, Count);
  } catch (const Exception&) {
    return Fmt;
  }
}
