// Small helpers shared by the formatting units: rounding for the reference canvas, access to the
// draw lines, the metric cache and the break search in the forms the formatter uses them.
#pragma once

#include "engine/document/DLines.h"
#include "engine/layout/DrawLines.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/RVFontInfoCache.h"
#include "engine/layout/RVLineBreak.h"
#include "engine/layout/RVFormattingState.h"

// Halves to even, as the measuring conventions ask.
inline int RVDivRoundEven(long long a, long long b) {
  if (b < 0) {
    a = -a;
    b = -b;
  }
  long long q = a / b, r = a % b;
  if (r < 0) {
    --q;
    r += b;
  }
  const long long twice = 2 * r;
  if (twice > b || (twice == b && (q & 1))) ++q;
  return static_cast<int>(q);
}

inline int RVScaleDownFromRef(int Value, bool UseRefCanvas) {
  return UseRefCanvas && RefCanvasScaleFactor > 1 ? RVDivRoundEven(Value, RefCanvasScaleFactor) : Value;
}
inline int RVScaleUpForRef(int Value, bool UseRefCanvas) {
  return UseRefCanvas ? Value * RefCanvasScaleFactor : Value;
}

inline bool RVIsHighSurrogate(WideChar c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool RVIsLowSurrogate(WideChar c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The metric-cache entry of a text style.
inline TRVFontInfoCacheItem* RVCacheItem(TRVFontInfoCache* Cache, int StyleNo) { return Cache->GetItems(StyleNo); }

// The last character (0-based) that stays on the line when a line may end at or before Index;
// -1 when there is no break opportunity.
inline int RVFindBreakBefore(const WideChar* Text, int Length, int Index, bool SpaceEnds, bool SkipSpaces) {
  return FindBreakBefore(std::u16string_view(Text, static_cast<std::size_t>(Length)), Index, SpaceEnds, SkipSpaces);
}

// Narrows a line at Y around the floating boxes of F (see TRVFloatingDrawItems::AdjustLineSize).
inline void RVAdjustLineSize(TRVFloatingDrawItems* F, int MinLeftIndent, int MinWidth, int MaxRightSide, int& Y,
                             int& LeftIndent, int& LineWidth, bool AllowDelete, bool ClearLeft, bool ClearRight,
                             TRVFloatingDrawItems* ClearIgnore) {
  F->AdjustLineSize(MinLeftIndent, MinWidth, ClearIgnore, ClearRight, ClearLeft, AllowDelete, LineWidth, LeftIndent,
                    Y, MaxRightSide);
}
