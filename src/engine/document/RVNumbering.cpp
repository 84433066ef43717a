#include "engine/document/RVNumbering.h"

#include "engine/foundation/RVFuncs.h"

TRVUnicodeString RVNumberText(int N, TRVNumberTextKind Kind) {
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
