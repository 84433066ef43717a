// Text-spacing arithmetic of the drawing interface: character spacing, justification of spaces,
// distributed alignment and the removal of invisible characters from widths. Everything here
// works in place on the caller's arrays.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>

#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVUni.h"

namespace {

// Walks the counting entries; Str null means every entry counts. A position counts when the
// character stepping lands on it from the position before, so surrogate pairs and combining
// sequences take one share. The stepping reads up to a terminator, so it runs on a bounded
// copy of the run: the caller's buffer need not be terminated.
template <class F>
void ForEachCharStart(const WideChar* Str, int n, F f) {
  if (!Str || !IsWinNT) {
    for (int i = 0; i < n; ++i) f(i);
    return;
  }
  if (n <= 0) return;
  WideChar local[256];
  std::u16string heap;
  const WideChar* s = local;
  if (n < static_cast<int>(std::size(local))) {
    std::copy(Str, Str + n, local);
    local[n] = 0;
  } else {
    heap.assign(Str, static_cast<size_t>(n));
    s = heap.c_str();
  }
  const WideChar* next = s;
  for (int i = 0; i < n; ++i) {
    const bool counts = i == 0 || s + i == next;
    next = NextCharPtr(s + i);
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
  // Newer platforms draw U+200B and U+2060 as nothing themselves.
  return Ch == RV_SHY || (!IsWinVistaOrLater && (Ch == RV_ZWS || Ch == RV_WJ));
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

void TRVGraphicInterface::ApplySpacingToDX(const WideChar* Str, int Length, int* PDX,
                                           int SpaceCount, int ExtraSpacing, int LeftNoExpIndex,
                                           int RightNoExpIndex, const int* POrder) {
  if (SpaceCount > 0)
    ExpandSpacesInDX(Str, Length, PDX, SpaceCount, ExtraSpacing, POrder);
  else if (SpaceCount == RV_DISTRIBUTE_SPACING)
    DistributeSpacingToDX(Str, Length, PDX, ExtraSpacing, LeftNoExpIndex, RightNoExpIndex,
                          POrder);
}

void TRVGraphicInterface::ApplySpacingToCoords(const WideChar* Str, int Length, int* PCoordsL,
                                               int* PCoordsR, int* PCP, int SpaceCount,
                                               int ExtraSpacing, int LeftNoExpIndex,
                                               int RightNoExpIndex) {
  if (SpaceCount > 0)
    ExpandSpacesInCoords(Str, Length, PCoordsL, PCoordsR, PCP, SpaceCount, ExtraSpacing);
  else if (SpaceCount == RV_DISTRIBUTE_SPACING)
    DistributeSpacingInCoords(Str, Length, PCoordsL, PCoordsR, PCP, ExtraSpacing,
                              LeftNoExpIndex, RightNoExpIndex);
}
