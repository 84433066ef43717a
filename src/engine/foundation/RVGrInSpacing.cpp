// Text-spacing arithmetic of the drawing interface: character spacing, justification of spaces,
// distributed alignment and the removal of invisible characters from widths. Everything here
// works in place on the caller's arrays.
#include <cstdlib>

#include "engine/foundation/RVGrIn.h"

namespace {

bool IsHighSurrogate(WideChar c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(WideChar c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Code points that join the preceding character instead of starting one: combining marks of
// the scripts the program lays out, variation selectors and the zero-width joiner family.
bool IsCombining(char32_t c) {
  struct Range { char32_t Lo, Hi; };
  static constexpr Range Ranges[] = {
      {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF},
      {0x05C1, 0x05C2}, {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A},
      {0x064B, 0x065F}, {0x0670, 0x0670}, {0x06D6, 0x06DC}, {0x06DF, 0x06E4},
      {0x06E7, 0x06E8}, {0x06EA, 0x06ED}, {0x0900, 0x0903}, {0x093A, 0x093C},
      {0x093E, 0x094F}, {0x0951, 0x0957}, {0x0962, 0x0963}, {0x0981, 0x0983},
      {0x09BC, 0x09BC}, {0x09BE, 0x09CD}, {0x0E31, 0x0E31}, {0x0E34, 0x0E3A},
      {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200C, 0x200D},
      {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xE0100, 0xE01EF}};
  for (const Range& r : Ranges) {
    if (c < r.Lo) return false;
    if (c <= r.Hi) return true;
  }
  return false;
}

char32_t CodePointAt(const WideChar* s, int len, int i) {
  if (IsHighSurrogate(s[i]) && i + 1 < len && IsLowSurrogate(s[i + 1]))
    return 0x10000 + ((char32_t(s[i]) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00);
  return s[i];
}

// The position of the character after the one at i: steps over surrogate pairs and the
// combining marks that follow, and never stops inside a pair.
int NextCharIndex(const WideChar* s, int len, int i) {
  if (i >= len) return len;
  int p = i;
  if (IsHighSurrogate(s[p]) && p + 1 < len && IsLowSurrogate(s[p + 1]))
    p += 2;
  else
    p += 1;
  while (p < len) {
    char32_t c = CodePointAt(s, len, p);
    if (!IsCombining(c)) break;
    p += c > 0xFFFF ? 2 : 1;
  }
  return p;
}

// Walks the counting entries; Str null means every entry counts.
template <class F>
void ForEachCharStart(const WideChar* Str, int n, F f) {
  if (!Str) {
    for (int i = 0; i < n; ++i) f(i);
    return;
  }
  int next = 0;
  for (int i = 0; i < n; ++i) {
    bool counts = i == 0 || i == next;
    next = NextCharIndex(Str, n, i);
    if (counts) f(i);
  }
}

int SpacingChange(int dx, int CharSpacing) {
  if (CharSpacing >= 1) return dx > 0 ? CharSpacing : 0;
  if (dx > -CharSpacing) return CharSpacing;
  if (dx >= 1) return 1 - dx;  // condensing never goes below one pixel
  return 0;
}

int Sign(int v) { return v < 0 ? -1 : 1; }

// Adds Amount to every coordinate greater than Threshold.
void ShiftCoords(int* L, int* R, int* PCP, int Length, int Threshold, int Amount) {
  for (int k = 0; k < Length; ++k) {
    if (L[k] > Threshold) L[k] += Amount;
    if (R[k] > Threshold) R[k] += Amount;
  }
  if (PCP)
    for (int k = 0; k <= Length; ++k)
      if (PCP[k] > Threshold) PCP[k] += Amount;
}

}  // namespace

std::vector<bool> TRVGraphicInterface::CharStarts(const WideChar* Str, int Length) {
  std::vector<bool> r(Length > 0 ? Length : 0, false);
  ForEachCharStart(Str, Length, [&](int i) { r[i] = true; });
  return r;
}

bool TRVGraphicInterface::IsInvisibleSpecialChar(WideChar Ch) {
  // U+200B and U+2060 are drawn as nothing by the shaping layer itself, so only the soft
  // hyphen needs its width taken out.
  return Ch == RV_SHY;
}

void TRVGraphicInterface::ApplyCharSpacingToDX(const WideChar* Str, int n, int CharSpacing,
                                               int* PDX) {
  if (!PDX) return;
  ForEachCharStart(Str, n, [&](int i) { PDX[i] += SpacingChange(PDX[i], CharSpacing); });
}

int TRVGraphicInterface::GetCharSpacingDelta(const WideChar* Str, int n, int CharSpacing,
                                             const int* PDX) {
  if (!PDX) return 0;
  int total = 0;
  ForEachCharStart(Str, n, [&](int i) { total += SpacingChange(PDX[i], CharSpacing); });
  return total;
}

void TRVGraphicInterface::ExpandSpacesInDX(const WideChar* Str, int Length, int* PDX,
                                           int SpaceCount, int ExtraSpacing,
                                           const int* POrder) {
  if (SpaceCount <= 0 || ExtraSpacing == 0 || !Str || !PDX) return;
  for (int i = 0; i < Length && SpaceCount > 0; ++i) {
    if (Str[i] != u' ') continue;
    int share = ExtraSpacing / SpaceCount;
    PDX[POrder ? POrder[i] : i] += share;
    ExtraSpacing -= share;
    --SpaceCount;
  }
}

void TRVGraphicInterface::ExpandSpacesInCoords(const WideChar* Str, int Length, int* PCoordsL,
                                               int* PCoordsR, int* PCP, int SpaceCount,
                                               int ExtraSpacing) {
  if (SpaceCount <= 0 || ExtraSpacing == 0 || !Str || !PCoordsL || !PCoordsR) return;
  for (int i = 0; i < Length && SpaceCount > 0; ++i) {
    if (Str[i] != u' ') continue;
    int share = ExtraSpacing / SpaceCount;
    ShiftCoords(PCoordsL, PCoordsR, PCP, Length, PCoordsL[i], share);
    ExtraSpacing -= share;
    --SpaceCount;
  }
}

void TRVGraphicInterface::DistributeSpacingToDX(const WideChar* Str, int Length, int* PDX,
                                                int ExtraSpacing, int LeftNoExpIndex,
                                                int RightNoExpIndex, const int* POrder) {
  if (ExtraSpacing == 0 || !PDX || Length <= 0) return;
  auto adv = [&](int i) -> int& { return PDX[POrder ? POrder[i] : i]; };
  std::vector<int> exp;
  ForEachCharStart(Str, Length, [&](int i) {
    if (i != LeftNoExpIndex && i != RightNoExpIndex && adv(i) != 0) exp.push_back(i);
  });
  int N = static_cast<int>(exp.size());
  if (N == 0) return;
  if (std::abs(ExtraSpacing) >= N) {
    int q = ExtraSpacing / N;
    for (int i : exp) adv(i) += q;
    ExtraSpacing %= N;
  }
  int r = ExtraSpacing;
  if (r == 0) return;
  int b = (N - 1) / (std::abs(r) + 1);
  int skip = b;
  for (int i : exp) {
    if (skip > 0) {
      --skip;
      continue;
    }
    adv(i) += Sign(r);
    r -= Sign(r);
    N -= b + 1;
    if (r == 0 || N <= 0) break;
    b = (N - 1) / (std::abs(r) + 1);
    skip = b;
  }
}

void TRVGraphicInterface::DistributeSpacingInCoords(const WideChar* Str, int Length,
                                                    int* PCoordsL, int* PCoordsR, int* PCP,
                                                    int ExtraSpacing, int LeftNoExpIndex,
                                                    int RightNoExpIndex) {
  if (ExtraSpacing == 0 || !PCoordsL || !PCoordsR || Length <= 0) return;
  std::vector<int> exp;
  ForEachCharStart(Str, Length, [&](int i) {
    if (i != LeftNoExpIndex && i != RightNoExpIndex && PCoordsL[i] != PCoordsR[i])
      exp.push_back(i);
  });
  int N = static_cast<int>(exp.size());
  if (N == 0) return;
  const int q = ExtraSpacing / N;
  int r = ExtraSpacing % N;
  const int sign = Sign(ExtraSpacing);
  bool pixels = r != 0;
  int b = pixels ? (N - 1) / (std::abs(r) + 1) : 0;
  int skip = b;
  for (int i : exp) {
    int amount = q;
    if (pixels && skip == 0) {
      amount += sign;
      r -= sign;
      N -= b + 1;
      if (r == 0 || N <= 0) {
        pixels = false;
      } else {
        b = (N - 1) / (std::abs(r) + 1);
        skip = b;
      }
    } else if (pixels) {
      --skip;
    }
    if (amount != 0) ShiftCoords(PCoordsL, PCoordsR, PCP, Length, PCoordsL[i], amount);
  }
}

void TRVGraphicInterface::AdjustCoordArray(const WideChar* Str, int Length, int* PCoords) {
  if (!Str || !PCoords) return;
  for (int i = 0; i < Length; ++i) {
    if (!IsInvisibleSpecialChar(Str[i])) continue;
    int w = i == 0 ? PCoords[0] : PCoords[i] - PCoords[i - 1];
    if (w == 0) continue;
    for (int k = i; k < Length; ++k) PCoords[k] -= w;
  }
}
