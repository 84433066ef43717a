// Text fitting: how many characters of a text fit the room left on a line, where the line may
// end before that point, and whether the rest of a word that runs on into the following items
// still fits (the normal wrap mode keeps such words together).
#include <algorithm>
#include <functional>

#include "engine/document/RVNonTextItems.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/layout/RVFormattingUtils.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"

namespace {

// The break class of the character at P (0-based), a surrogate pair read as one character.
int ClassAt(const TRVUnicodeString& T, int P) {
  const WideChar c = T[P];
  if (RVIsLowSurrogate(c) && P > 0 && RVIsHighSurrogate(T[P - 1])) return 12;
  if (RVIsHighSurrogate(c)) return 12;
  return GetLineBreakClass(c);
}

// Text longer than this is fitted through windows of about two lines.
constexpr int WholeFitLimit = 1024;

// Whether the text holds characters that shaping reorders (right-to-left letters, direction
// marks and embeddings, characters beyond the basic plane).
bool HasRightToLeft(const WideChar* Str, int Length) {
  for (int i = 0; i < Length; ++i) {
    const WideChar c = Str[i];
    if (c < 0x590) continue;
    if ((c <= 0x8FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x200E && c <= 0x200F) ||
        (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || (c >= 0xD800 && c <= 0xDBFF))
      return true;
  }
  return false;
}

}  // namespace

int TCustomRVFormattedData::FitTextToWidth(const WideChar* Str, int Length, int AvailWidth, TRVFormattingState& S,
                                           TSize& Size) {
  if (Length <= 0) {
    Size = TSize(0, S.TMAscent + S.TMDescent);
    return 0;
  }
  if (S.NoWrap) {
    Size = MeasureText(Str, Length, S);
    return Length;
  }
  TRVGraphicInterface* gi = GetRVStyle()->GetGraphicInterface();
  const bool bidi = S.ParaBiDiMode != rvbdUnspecified;
  const int W = RVScaleUpForRef(AvailWidth, S.UseRefCanvas);
  const int avg = std::max(1, S.FontItem->AverageCharWidth);
  const bool useMaxFit = TextFitStrategy == 1 ||
                         (TextFitStrategy == 0 && gi->PreferMaxFit(S.MeasureCanvas, bidi, S.UseRefCanvas, Length, W / avg));
  const bool hyphens = !S.IsSymbolFont;
  int fit = 0;
  TSize sz(0, 0);
  auto measure = [&](int n) {
    TSize r = gi->TextSize(S.MeasureCanvas, Str, n, bidi, S.ShowSpecial);
    return r;
  };
  if (useMaxFit) {
    // Text with no right-to-left characters, up to a paragraph's length, is asked about whole:
    // the back-end shapes it once for the first line and measures the following lines (and the
    // pieces that end them) from that shaping. Otherwise only about twice what the line can hold
    // is shaped, so that a long paragraph is not shaped again as a whole for each of its lines;
    // when all of the window fits, it grows.
    int window = Length;
    if (Length > 64 && (Length > WholeFitLimit || HasRightToLeft(Str, Length))) {
      const long long est = static_cast<long long>(W) / avg * 2 + 32;
      if (est < Length) window = static_cast<int>(est);
    }
    while (true) {
      gi->MaxFit(S.MeasureCanvas, Str, window, W, bidi, S.ShowSpecial, fit, sz);
      if (fit < window || window >= Length) break;
      window = static_cast<int>(std::min<long long>(Length, 2LL * window));
    }
    const int hyph = RVScaleUpForRef(S.FontItem->HyphenWidth, S.UseRefCanvas);
    if (hyphens && fit > 0 && fit < Length && Str[fit - 1] == RV_SHY && sz.cx + hyph > W) {
      --fit;
      sz = measure(fit);
    }
    if (hyphens && fit > 0 && fit < Length && Str[fit] == RV_SHY) {
      --fit;
      sz = measure(fit);
    }
  } else {
    const int hyphFC = S.FontItem->HyphenWidthFC;
    auto probe = [&](int n) {
      TSize r = measure(n);
      if (hyphens && n > 0 && n < Length && Str[n - 1] == RV_SHY) r.cx += hyphFC;
      return r;
    };
    int N = std::clamp(MulDiv(W, 2, avg), 10, Length);
    N = std::max(N, 1);
    // The probes measure prefixes of the text. A text of up to a paragraph's length without
    // right-to-left characters is measured whole first: the back-end shapes it once and
    // measures every prefix from it instead of shaping each, on this line and the following
    // ones (the rest of the text measured whole before).
    const bool rest = std::less<const WideChar*>()(S.FitWholeStart, Str) && Str + Length == S.FitWholeEnd &&
                      S.MeasureCanvas == S.FitWholeCanvas;
    if (N < Length && !rest && Length <= WholeFitLimit && !HasRightToLeft(Str, Length)) {
      measure(Length);
      S.FitWholeStart = Str;
      S.FitWholeEnd = Str + Length;
      S.FitWholeCanvas = S.MeasureCanvas;
    }
    TSize hiSize(0, 0);
    bool overshot = false;
    while (true) {
      hiSize = probe(N);
      if (hiSize.cx > W) {
        overshot = true;
        break;
      }
      if (N >= Length) break;
      N = std::min(Length, 2 * N);
    }
    if (!overshot) {
      fit = Length;
      sz = measure(Length);
    } else {
      int lo = 0, hi = N, loW = 0, hiW = hiSize.cx;
      fit = -1;
      while (hi - lo > 1) {
        int div = hiW - loW;
        if (div == 0) div = 1;
        int f = lo + static_cast<int>(static_cast<long long>(hi - lo) * (W - loW) / div);
        f = std::clamp(f, lo + 1, hi - 1);
        const TSize fs = probe(f);
        if (fs.cx == W) {
          fit = f;
          break;
        }
        if (fs.cx < W) {
          lo = f;
          loW = fs.cx;
        } else {
          hi = f;
          hiW = fs.cx;
        }
      }
      if (fit < 0) {
        fit = lo;
        if (hyphens && fit > 0 && fit < Length && Str[fit] == RV_SHY) --fit;
      }
      sz = measure(fit);
    }
  }
  // A surrogate pair is never split.
  if (fit > 0 && fit < Length && RVIsHighSurrogate(Str[fit - 1]) && RVIsLowSurrogate(Str[fit])) {
    const TSize more = measure(fit + 1);
    if (more.cx <= W) {
      ++fit;
      sz = more;
    } else {
      --fit;
      sz = measure(fit);
    }
  }
  Size.cx = RVScaleDownFromRef(sz.cx, S.UseRefCanvas);
  Size.cy = RVScaleDownFromRef(sz.cy, S.UseRefCanvas);
  return fit;
}

int TCustomRVFormattedData::PieceFromBreak(const WideChar* Text, int R, TRVFormattingState& S, bool& Consumed) {
  Consumed = false;
  if (Text[R] == u' ' && S.Trim) {
    if (R == 0) return 1;
    Consumed = true;
    return R;
  }
  return R + 1;
}

int TCustomRVFormattedData::ChooseTextBreak(const WideChar* Text, int Length, int Count, bool Retry,
                                            bool NextStartsLine, bool ForceOne, int ItemNo, TRVFormattingState& S,
                                            bool& Consumed) {
  Consumed = false;
  const bool spaceEnds = Count + 1 == Length && (Retry || NextStartsLine);
  const int r = RVFindBreakBefore(Text, Length, Count, spaceEnds, Retry);
  if (r >= 0) return PieceFromBreak(Text, r, S, Consumed);
  if (S.Trim && !Retry && Text[Count] == u' ' && (Count + 1 < Length || !NextStartsLine)) {
    Consumed = true;
    return Count;
  }
  if (ForceOne) return Count;
  if (CanBreakBeforeItem(ItemNo, S)) return 0;
  return Count;
}

bool TCustomRVFormattedData::FindTextBreakPos(int& ItemNo, int& Offs) {
  const int start = ItemNo;
  const int n = ItemCount();
  TRVStyle* st = GetRVStyle();
  // The last non-space character before the end of the item.
  bool hasPrev = false, spaces = false;
  int prevClass = 0;
  for (int k = start; k >= 0; --k) {
    TCustomRVItemInfo* ki = GetItem(k);
    if (k < start && IsInvisibleItem(k)) {
      if (!ki->GetSameAsPrev()) break;
      continue;
    }
    if (ki->StyleNo < 0) break;
    const TRVUnicodeString& t = ki->ItemText;
    int p = static_cast<int>(t.size()) - 1;
    while (p >= 0 && t[p] == u' ') {
      --p;
      spaces = true;
    }
    if (p >= 0) {
      hasPrev = true;
      prevClass = ClassAt(t, p);
      break;
    }
    if (!ki->GetSameAsPrev()) break;
  }
  bool found = false;
  int resItem = start, resOffs = 0;
  bool prevNonText = GetItem(start)->StyleNo < 0;
  for (int k = start + 1; k < n; ++k) {
    TCustomRVItemInfo* ki = GetItem(k);
    if (!ki->GetSameAsPrev() || ki->GetBoolValue(rvbpFullWidth)) break;
    if (IsInvisibleItem(k)) continue;
    if (ki->StyleNo < 0) {
      if (!ki->GetBoolValue(rvbpKeepWithPrior)) break;
      resItem = k;
      resOffs = 1;
      found = true;
      prevNonText = true;
      continue;
    }
    if (prevNonText) break;
    const TRVUnicodeString& t = ki->ItemText;
    if (t.empty()) {
      if (st && st->TextStyles()->Items(GetActualStyle(ki))->EmptyWidth > 0) break;
      continue;
    }
    int lastClass = 0;
    WideChar lastChar = 0;
    const int len = static_cast<int>(t.size());
    const int r = FindBreakInString(t, hasPrev, prevClass, lastClass, lastChar, spaces);
    if (lastChar == 0) {
      if (r <= 0) {
        if (spaces || r < 0) break;  // the word ended at the last recorded position
        ItemNo = k;
        Offs = 1;
        return true;
      }
      ItemNo = k;
      Offs = r + 1;
      return true;
    }
    if (lastChar == u' ') {
      if (!hasPrev) break;
      spaces = true;
      continue;
    }
    resItem = k;
    resOffs = r + 1;
    found = true;
    prevClass = lastClass;
    hasPrev = true;
    spaces = t[len - 1] == u' ';
  }
  if (!found) return false;
  ItemNo = resItem;
  Offs = resOffs;
  return true;
}

bool TCustomRVFormattedData::CanBreakBeforeItem(int ItemNo, TRVFormattingState& S) {
  if (S.WrapMode != rvWrapNormal || ItemNo == 0 || IsDisplayedFromNewLine(ItemNo)) return true;
  const int prev = PrevVisibleItem(ItemNo);
  if (prev < 0 || GetItem(prev)->StyleNo < 0) return true;
  int e = prev, offs = 0;
  if (!FindTextBreakPos(e, offs)) return true;
  return !(e > ItemNo || (e == ItemNo && offs > 1));
}

int TCustomRVFormattedData::MeasureNonTextItemWidth(int ItemNo, TRVFormattingState& S) {
  auto* item = dynamic_cast<TRVNonTextItemInfo*>(GetItem(ItemNo));
  if (!item || item->GetBoolValue(rvbpFloating)) return 0;
  TRVStyle* st = GetRVStyle();
  const TRVScreenAndDevice* PSaD = &S.SaD;
  std::unique_ptr<TRVDrawLineInfo> d = CreateStandardDrawLineInfo(item, S.ParaNo);
  int hShift = 0, desc = 1;
  const int docWidth = TextWidth - st->GetAsDevicePixelsX(S.ParaInfo->LeftIndent, PSaD) -
                       st->GetAsDevicePixelsX(S.ParaInfo->RightIndent, PSaD);
  item->OnDocWidthChange(docWidth, d.get(), S.FormatCanvas, this, PSaD, hShift, desc, S.DrawingStates);
  S.CurTextStyle = -1;
  if (item->GetBoolValueEx(rvbpActualPrintSize, st)) return d->Width;
  return S.Printing ? item->GetWidthEx(st, PSaD) : item->GetWidth(st);
}

bool TCustomRVFormattedData::RestOfWordFits(int ItemNo, int RemainingChars, int UsedWidth, TRVFormattingState& S) {
  if (S.NoWrap) return true;
  TCustomRVItemInfo* cur = GetItem(ItemNo);
  int R = S.LineWidth - S.X - UsedWidth;
  int e = ItemNo, offs = 0;
  const bool continues = FindTextBreakPos(e, offs);
  if (continues && e > ItemNo && offs <= 1) {
    // The word ends with the item before E.
    int p = e - 1;
    while (p > ItemNo && IsInvisibleItem(p)) --p;
    e = p;
    offs = GetOffsAfterItem(p);
  }
  const bool objectOrEmpty = cur->StyleNo < 0 || cur->ItemText.empty();
  if (!continues || e == ItemNo) {
    if (cur->StyleNo >= 0 && !cur->ItemText.empty() && cur->ItemText.back() == RV_SHY && !S.IsSymbolFont) {
      R -= S.FontItem->HyphenWidth;
      if (R < 0) return false;
    }
    return objectOrEmpty ? R >= 0 : true;
  }
  const int savedStyle = S.CurTextStyle;
  int chars = S.LineChars + RemainingChars + (cur->StyleNo < 0 ? 1 : 0);
  bool result = R >= 0;
  for (int j = ItemNo + 1; result && j <= e; ++j) {
    if (IsInvisibleItem(j)) continue;
    TCustomRVItemInfo* it = GetItem(j);
    if (it->StyleNo < 0) {
      ++chars;
      R -= MeasureNonTextItemWidth(j, S);
    } else {
      const int style = GetActualStyle(it);
      if (style != S.CurTextStyle) ApplyTextStyle(style, S);
      const int len = j == e ? std::min<int>(offs - 1, static_cast<int>(it->ItemText.size()))
                             : static_cast<int>(it->ItemText.size());
      chars += len;
      R -= MeasureText(it->ItemText.data(), len, S).cx;
    }
    if ((S.MaxLineChars > 0 && chars > S.MaxLineChars) || R < 0) result = false;
  }
  if (savedStyle >= 0 && S.CurTextStyle != savedStyle) ApplyTextStyle(savedStyle, S);
  return result;
}
