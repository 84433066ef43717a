#include "platform/base/UnicodeLineBreak.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>


TUnicodeLineBreak GetUnicodeLineBreak(char32_t CodePoint) {
  using L = TUnicodeLineBreak;
  switch (u_getIntPropertyValue(static_cast<UChar32>(CodePoint), UCHAR_LINE_BREAK)) {
    case U_LB_AMBIGUOUS: return L::AI;
    case U_LB_ALPHABETIC: return L::AL;
    case U_LB_BREAK_BOTH: return L::B2;
    case U_LB_BREAK_AFTER: return L::BA;
    case U_LB_BREAK_BEFORE: return L::BB;
    case U_LB_MANDATORY_BREAK: return L::BK;
    case U_LB_CONTINGENT_BREAK: return L::CB;
    case U_LB_CONDITIONAL_JAPANESE_STARTER: return L::CJ;
    case U_LB_CLOSE_PUNCTUATION: return L::CL;
    case U_LB_COMBINING_MARK: return L::CM;
    case U_LB_CLOSE_PARENTHESIS: return L::CP;
    case U_LB_CARRIAGE_RETURN: return L::CR;
    case U_LB_E_BASE: return L::EB;
    case U_LB_E_MODIFIER: return L::EM;
    case U_LB_EXCLAMATION: return L::EX;
    case U_LB_GLUE: return L::GL;
    case U_LB_H2: return L::H2;
    case U_LB_H3: return L::H3;
    case U_LB_HEBREW_LETTER: return L::HL;
    case U_LB_HYPHEN: return L::HY;
    case U_LB_IDEOGRAPHIC: return L::ID;
    case U_LB_INSEPARABLE: return L::IN;
    case U_LB_INFIX_NUMERIC: return L::IS;
    case U_LB_JL: return L::JL;
    case U_LB_JT: return L::JT;
    case U_LB_JV: return L::JV;
    case U_LB_LINE_FEED: return L::LF;
    case U_LB_NEXT_LINE: return L::NL;
    case U_LB_NONSTARTER: return L::NS;
    case U_LB_NUMERIC: return L::NU;
    case U_LB_OPEN_PUNCTUATION: return L::OP;
    case U_LB_POSTFIX_NUMERIC: return L::PO;
    case U_LB_PREFIX_NUMERIC: return L::PR;
    case U_LB_QUOTATION: return L::QU;
    case U_LB_REGIONAL_INDICATOR: return L::RI;
    case U_LB_COMPLEX_CONTEXT: return L::SA;
    case U_LB_SURROGATE: return L::SG;
    case U_LB_SPACE: return L::SP;
    case U_LB_BREAK_SYMBOLS: return L::SY;
    case U_LB_WORD_JOINER: return L::WJ;
    case U_LB_ZWSPACE: return L::ZW;
    case U_LB_ZWJ: return L::ZWJ;
#if U_ICU_VERSION_MAJOR_NUM >= 74
    case U_LB_AKSARA: return L::AK;
    case U_LB_AKSARA_PREBASE: return L::AP;
    case U_LB_AKSARA_START: return L::AS;
    case U_LB_VIRAMA_FINAL: return L::VF;
    case U_LB_VIRAMA: return L::VI;
#endif
    default: return L::XX;
  }
}

namespace {
UBreakIterator* Iter(void* p) { return static_cast<UBreakIterator*>(p); }
}  // namespace

TUnicodeLineBreaker::TUnicodeLineBreaker() {
  UErrorCode status = U_ZERO_ERROR;
  FIterator = ubrk_open(UBRK_LINE, "", nullptr, 0, &status);
  if (U_FAILURE(status)) FIterator = nullptr;
}

TUnicodeLineBreaker::~TUnicodeLineBreaker() {
  if (FIterator) ubrk_close(Iter(FIterator));
}

void TUnicodeLineBreaker::SetText(std::u16string_view Text) {
  FLength = static_cast<int>(Text.size());
  if (!FIterator) return;
  UErrorCode status = U_ZERO_ERROR;
  ubrk_setText(Iter(FIterator), reinterpret_cast<const UChar*>(Text.data()), FLength, &status);
  if (U_FAILURE(status)) FLength = 0;
}

int TUnicodeLineBreaker::Preceding(int Offset) {
  if (!FIterator || FLength == 0 || Offset <= 0) return 0;
  if (Offset >= FLength) return FLength;
  if (ubrk_isBoundary(Iter(FIterator), Offset)) return Offset;
  const int32_t p = ubrk_preceding(Iter(FIterator), Offset);
  return p == UBRK_DONE ? 0 : p;
}

int TUnicodeLineBreaker::Following(int Offset) {
  if (!FIterator || FLength == 0 || Offset >= FLength) return FLength;
  const int32_t p = ubrk_following(Iter(FIterator), Offset < 0 ? 0 : Offset);
  return p == UBRK_DONE ? FLength : p;
}

std::vector<int> UnicodeLineBreakOffsets(std::u16string_view Text) {
  std::vector<int> result;
  TUnicodeLineBreaker breaker;
  breaker.SetText(Text);
  const int n = static_cast<int>(Text.size());
  for (int p = breaker.Following(0); p < n; p = breaker.Following(p)) result.push_back(p);
  return result;
}
