// Minimal widths: how narrow a document, a paragraph section or a line can be formatted. A
// section that wraps needs its widest unbreakable piece plus its indents; a section that does not
// wrap needs all of its items on one line, tabs laid out. Widths are device pixels.
//
// Text items find their widest unbreakable piece here rather than in the item: the break rules
// are the formatter's (the line-break pair table and the sheet's wrap mode). Only the largest
// width matters, so a question carries the width already reached (Beat): a piece that cannot
// pass it even with every character as wide as the font's widest is not measured. The pieces
// that may pass it are measured on their own, or, when there are many, the text is measured once
// for the positions of all its characters and only the pieces that come near the widest are
// measured again on their own; the answer is exactly what formatting will measure.
#include <algorithm>
#include <limits>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/layout/RVLineBreak.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

namespace {

// What one minimal-width question measures with: the canvas, the screen-and-device record (nil
// when screen and device agree) and the text style last applied to the canvas.
struct TMinWidthContext {
  TCustomRVFormattedData& Data;
  TRVStyle* Style;
  const TRVScreenAndDevice* SaD;
  TCanvas* Canvas;
  bool UseRefCanvas = false;
  int AppliedStyle = -1;
  int WidestChar = -1;  // of AppliedStyle, -1 until asked
  std::u16string Display;                   // a display text that differs from the item's
  std::vector<std::pair<int, int>> Pieces;  // the pieces of the text being measured

  TMinWidthContext(TCustomRVFormattedData& AData, const TRVScreenAndDevice* ASaD, TCanvas* ACanvas)
      : Data(AData), Style(AData.GetRVStyle()), SaD(ASaD), Canvas(ACanvas) {
    if (!Canvas) {
      Canvas = AData.GetFormatCanvas();
    }
    // A reference canvas with enlarged fonts measures for every document of the tree.
    if (TCanvas* ref = AData.GetFormatCanvasEx(nullptr)) {
      Canvas = ref;
      UseRefCanvas = true;
    }
  }

  int DevX(TRVStyleLength Value) const { return Style->GetAsDevicePixelsX(Value, SaD); }

  void Apply(int StyleNo, TRVBiDiMode BiDiMode) {
    if (StyleNo == AppliedStyle) return;
    Style->ApplyStyle(Canvas, StyleNo, BiDiMode, Data.GetFlags().Contains(rvflCanUseCustomPPI), false, nullptr,
                      false, UseRefCanvas, false, SaD);
    AppliedStyle = StyleNo;
    WidestChar = -1;
  }

  int ScaleDown(int Width) const {
    if (!UseRefCanvas) return Width;
    const int f = RefCanvasScaleFactor;
    return Width >= 0 ? (Width + f / 2) / f : -((-Width + f / 2) / f);
  }

  int Measure(const WideChar* Str, int Length, bool BiDi) {
    if (Length <= 0) return 0;
    return ScaleDown(Style->GetGraphicInterface()->TextSize(Canvas, Str, Length, BiDi, false).cx);
  }

  // An object's own minimal width. Objects may select fonts of their own (list markers do), so
  // the next text applies its style again.
  int ObjectWidth(TCustomRVItemInfo* Item) {
    AppliedStyle = -1;
    return Item->GetMinWidth(SaD, Canvas, &Data);
  }

  // A piece that ends in a soft hyphen ends a line there, where the hyphen is drawn.
  int MeasurePiece(const WideChar* Str, int Length, bool BiDi) {
    if (Length <= 0 || Str[Length - 1] != 0x00AD || Style->TextStyles()->Items(AppliedStyle)->Charset == SYMBOL_CHARSET)
      return Measure(Str, Length, BiDi);
    std::u16string piece(Str, static_cast<std::size_t>(Length));
    piece.back() = u'-';
    return Measure(piece.data(), Length, BiDi);
  }
};

bool IsListMarker(const TCustomRVItemInfo* Item) { return Item->StyleNo == ItemKindListMarker; }

bool HasStrongRTL(std::u16string_view s) {
  for (WideChar c : s)
    if (c >= 0x0590 && c < 0x0900) return true;
  return false;
}

// What the display text needs to know of an item's own text, eight code units at a time: whether
// it holds a non-breaking hyphen or (shy set) a soft hyphen, and whether it holds a character
// HasStrongRTL looks for.
struct TDisplayTextScan {
  bool Special = false, Rtl = false;
};

TDisplayTextScan ScanForDisplayText(std::u16string_view s, bool shy) {
  TDisplayTextScan r;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i nbHyphen = _mm_set1_epi16(0x2011), softHyphen = _mm_set1_epi16(shy ? 0x00AD : 0x2011);
  const __m128i rtlFrom = _mm_set1_epi16(0x0590), rtlSpan = _mm_set1_epi16(0x0900 - 0x0590 - 1);
  __m128i special = _mm_setzero_si128(), rtl = _mm_setzero_si128();
  for (; i + 8 <= s.size(); i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
    special = _mm_or_si128(special, _mm_or_si128(_mm_cmpeq_epi16(v, nbHyphen), _mm_cmpeq_epi16(v, softHyphen)));
    // Unsigned v - 0x590 <= 0x36F: the saturating difference from the span is zero.
    rtl = _mm_or_si128(rtl, _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, rtlFrom), rtlSpan), _mm_setzero_si128()));
  }
  r.Special = _mm_movemask_epi8(special) != 0;
  r.Rtl = _mm_movemask_epi8(rtl) != 0;
#endif
  for (; i < s.size(); ++i) {
    r.Special = r.Special || s[i] == 0x2011 || (s[i] == 0x00AD && shy);
    r.Rtl = r.Rtl || (s[i] >= 0x0590 && s[i] < 0x0900);
  }
  return r;
}

// The display text of a text item with its style applied to the canvas; BiDi set when the run
// is measured with the bidirectional algorithm. The item's own text unless all capitals,
// non-breaking hyphens or shown soft hyphens change it (then a copy in the context, valid until
// the next call).
std::u16string_view DisplayTextOf(TMinWidthContext& C, int ItemNo, bool& BiDi) {
  TCustomRVData& d = C.Data;
  TCustomRVItemInfo* item = d.GetItem(ItemNo);
  const int styleNo = d.GetActualStyle(item);
  const TRVBiDiMode mode = d.GetItemBiDiMode(ItemNo);
  C.Apply(styleNo, mode);
  const TRVUnicodeString& own = d.GetItemTextW(ItemNo);
  const bool allCaps = C.Style->TextStyles()->Items(styleNo)->StyleEx.Contains(rvfsAllCaps);
  const bool showSpecial = C.Data.ShowsSpecialCharacters();
  const TDisplayTextScan scan = ScanForDisplayText(own, showSpecial);
  std::u16string_view text = own;
  if (allCaps || scan.Special) {
    TransformTextForDisplaySimple(own, allCaps, false, C.Display, false, false, showSpecial);
    text = C.Display;
    BiDi = mode == rvbdRightToLeft || HasStrongRTL(text);
  } else {
    BiDi = mode == rvbdRightToLeft || scan.Rtl;
  }
  return text;
}

bool IsAsciiLetter(WideChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Whether the pair table keeps the basic Latin letters together: each is alphabetic and no line
// ends between two alphabetic characters without a space between them.
bool AsciiLettersJoin() {
  for (WideChar c = 0; c < 0x80; ++c)
    if (IsAsciiLetter(c) && GetLineBreakClass(c) != rvlbAlphabetic) return false;
  return GetLineBreakPairValue(rvlbAlphabetic, rvlbAlphabetic) >= rvlbpBreakAfterSpaces;
}

// The unbreakable pieces of a text, as [Start, End) with trailing spaces left out: a piece ends
// where the pair table allows a break before the next non-space character. With the wrap-anywhere
// mode every character (a surrogate pair whole) is a piece.
template <typename F>
void ForEachPiece(std::u16string_view s, bool Anywhere, F&& Piece) {
  const int n = static_cast<int>(s.size());
  auto pairAt = [&](int i) { return i + 1 < n && IsHighSurrogate(s[i]) && IsLowSurrogate(s[i + 1]); };
  if (Anywhere) {
    for (int i = 0; i < n;) {
      const int next = pairAt(i) ? i + 2 : i + 1;
      if (s[i] != u' ') Piece(i, next);
      i = next;
    }
    return;
  }
  int start = 0, end = 0;  // the current piece and the end of its last non-space character
  int prevClass = -1;
  bool spaces = false;
  static const bool lettersJoin = AsciiLettersJoin();
  for (int i = 0; i < n;) {
    if (s[i] == u' ') {
      spaces = true;
      ++i;
      continue;
    }
    if (lettersJoin && prevClass == rvlbAlphabetic && !spaces && IsAsciiLetter(s[i])) {
      // A letter after a letter never starts a piece: the rest of the word at once.
      while (i < n && IsAsciiLetter(s[i])) ++i;
      end = i;
      continue;
    }
    const bool pair = pairAt(i);
    int cls = pair ? rvlbAlphabetic : GetLineBreakClass(s[i]);
    if (cls == rvlbLowSurrogate || cls == rvlbHighSurrogate) cls = rvlbAlphabetic;
    if (prevClass >= 0) {
      int v = GetLineBreakPairValue(prevClass, cls);
      if (v == rvlbpBreakAfterSpaces && !spaces) v = rvlbpNoBreak;
      if (v < rvlbpNoBreak) {
        Piece(start, end);
        start = i;
      }
    }
    prevClass = cls;
    spaces = false;
    i += pair ? 2 : 1;
    end = i;
  }
  if (end > start) Piece(start, end);
}

// The most a character of the current style can add on the measuring canvas: the font's widest
// advance (or its height, for characters a fallback face draws), plus the character spacing.
// Zero when the text has characters whose shapes may be wider still: complex scripts and
// symbols; the alphabets up to Cyrillic and Armenian, general punctuation and currency signs
// are drawn by the font itself.
int WidestCharBound(TMinWidthContext& C, std::u16string_view s) {
  for (WideChar c : s)
    if (c >= 0x0590 && !(c >= 0x2000 && c < 0x2070) && !(c >= 0x20A0 && c < 0x20D0)) return 0;
  if (C.WidestChar < 0) {
    TEXTMETRICW tm{};
    TRVGraphicInterface* gi = C.Style->GetGraphicInterface();
    C.WidestChar = gi->GetTextMetrics(C.Canvas, tm)
                       ? std::max<int>(tm.tmMaxCharWidth, tm.tmHeight) + std::max(0, gi->GetTextCharacterExtra(C.Canvas))
                       : 0;
  }
  return C.WidestChar;
}

// The widest unbreakable piece of a text item; any width up to Beat when no piece passes Beat.
int TextItemMinWidth(TMinWidthContext& C, int ItemNo, int Beat) {
  bool bidi = false;
  const std::u16string_view text = DisplayTextOf(C, ItemNo, bidi);
  const int n = static_cast<int>(text.size());
  if (n == 0) return 0;
  const bool anywhere = C.Style->LineWrapMode == rvWrapAnywhere;
  TRVGraphicInterface* gi = C.Style->GetGraphicInterface();
  std::vector<std::pair<int, int>>& pieces = C.Pieces;
  pieces.clear();
  ForEachPiece(text, anywhere, [&](int a, int b) { pieces.emplace_back(a, b); });
  if (Beat >= 0 && !bidi) {
    if (const int perChar = WidestCharBound(C, text)) {
      // Pieces that might pass Beat: measured on their own when there are few of them.
      int candidates = 0, best = 0;
      for (const auto& p : pieces)
        if (C.ScaleDown((p.second - p.first) * perChar) + 1 > Beat && ++candidates > 8) break;
      if (candidates <= 8) {
        for (const auto& p : pieces)
          if (C.ScaleDown((p.second - p.first) * perChar) + 1 > Beat)
            best = std::max(best, C.MeasurePiece(text.data() + p.first, p.second - p.first, false));
        return best;
      }
    }
  }
  if (bidi) {
    // Positions of right-to-left text are visual; each piece is measured on its own.
    int best = 0;
    for (const auto& p : pieces) best = std::max(best, C.MeasurePiece(text.data() + p.first, p.second - p.first, true));
    return best;
  }
  // One pass for the end position of every character, then the near-widest pieces exactly.
  std::vector<int> ends(static_cast<std::size_t>(n));
  int fit = 0;
  TSize size;
  gi->GetTextExtentExPoint(C.Canvas, text.data(), n, std::numeric_limits<int>::max() / 2, false, false, ends.data(),
                           fit, size);
  if (fit < n) {  // the back-end gave up early: measure every piece on its own
    int best = 0;
    for (const auto& p : pieces) best = std::max(best, C.MeasurePiece(text.data() + p.first, p.second - p.first, false));
    return best;
  }
  auto estimate = [&](const std::pair<int, int>& p) {
    return ends[static_cast<std::size_t>(p.second - 1)] - (p.first > 0 ? ends[static_cast<std::size_t>(p.first - 1)] : 0);
  };
  int widest = 0;
  for (const auto& p : pieces) widest = std::max(widest, estimate(p));
  // Positions are rounded from the cumulative pen, so a piece measured alone differs from its
  // share of the whole run by at most a unit of the measuring canvas.
  const int slack = 2;
  int best = 0;
  for (const auto& p : pieces)
    if (estimate(p) + slack >= widest || text[static_cast<std::size_t>(p.second - 1)] == 0x00AD)
      best = std::max(best, C.MeasurePiece(text.data() + p.first, p.second - p.first, false));
  return best;
}

// The whole text of an item on one line.
int TextItemWidth(TMinWidthContext& C, int ItemNo) {
  bool bidi = false;
  const std::u16string_view text = DisplayTextOf(C, ItemNo, bidi);
  return C.Measure(text.data(), static_cast<int>(text.size()), bidi);
}

int EmptyTextWidth(TMinWidthContext& C, int ItemNo) {
  TCustomRVData& d = C.Data;
  return std::max(0, C.DevX(C.Style->TextStyles()->Items(d.GetActualStyle(d.GetItem(ItemNo)))->EmptyWidth));
}

// First item of the paragraph section holding ItemNo, and its last.
int SectionStart(TCustomRVData& D, int ItemNo) {
  while (ItemNo > 0 && !D.IsFromNewLine(ItemNo)) --ItemNo;
  return ItemNo;
}
int SectionEnd(TCustomRVData& D, int ItemNo) {
  const int n = D.ItemCount();
  while (ItemNo + 1 < n && !D.IsFromNewLine(ItemNo + 1)) ++ItemNo;
  return ItemNo;
}

int MinItemWidthWrap(TMinWidthContext& C, int ItemNo, bool IgnoreFloating, bool IgnoreMarkers, int Beat = -1) {
  TCustomRVFormattedData& d = C.Data;
  if (d.IsInvisibleItem(ItemNo)) return 0;
  TCustomRVItemInfo* item = d.GetItem(ItemNo);
  if (IgnoreFloating && item->GetBoolValue(rvbpFloating)) return 0;
  int w;
  if (item->StyleNo >= 0)
    w = d.GetItemTextW(ItemNo).empty() ? EmptyTextWidth(C, ItemNo) : TextItemMinWidth(C, ItemNo, IgnoreMarkers ? Beat : -1);
  else
    w = C.ObjectWidth(item);
  if (!IgnoreMarkers && item->GetSameAsPrev()) {
    int prev = ItemNo - 1;
    while (prev >= 0 && d.IsInvisibleItem(prev)) --prev;
    if (prev >= 0 && IsListMarker(d.GetItem(prev))) w += C.ObjectWidth(d.GetItem(prev));
  }
  return w;
}

// The list level of the paragraph that FirstParaItemNo starts, and its marker (nil when the
// level comes from an earlier part of the document).
TRVListLevel* ParagraphListLevel(TMinWidthContext& C, int FirstParaItemNo, TRVMarkerItemInfo*& Marker) {
  TCustomRVFormattedData& d = C.Data;
  Marker = nullptr;
  if (FirstParaItemNo < 0 || FirstParaItemNo >= d.ItemCount()) return nullptr;
  if (auto* m = dynamic_cast<TRVMarkerItemInfo*>(d.GetItem(FirstParaItemNo))) {
    Marker = m;
    return m->GetLevelInfo(C.Style);
  }
  if (d.State.Contains(rvstFirstParaAborted) && d.GetFirstParaItem(FirstParaItemNo) == 0) {
    int listNo = -1, level = -1;
    if (d.GetFirstParaListInfo(listNo, level)) return FindListLevel(C.Style, listNo, level);
  }
  return nullptr;
}

int EmptySectionWidth(TMinWidthContext& C, int ItemNo, int& FirstParaItemNo, bool EventNegativeFirstIndent) {
  TCustomRVFormattedData& d = C.Data;
  const int start = SectionStart(d, ItemNo);
  if (d.IsHiddenParaSection(start)) return 0;
  if (FirstParaItemNo < 0) FirstParaItemNo = d.GetFirstParaItem(start);
  TCustomRVItemInfo* item = d.GetItem(start);
  TParaInfo* para = C.Style->ParaStyles()->Items(item->ParaNo);
  const bool rtl = d.GetParaBiDiMode(item->ParaNo) == rvbdRightToLeft;
  TRVMarkerItemInfo* marker = nullptr;
  if (TRVListLevel* level = ParagraphListLevel(C, FirstParaItemNo, marker)) {
    int w = C.DevX(level->LeftIndent);
    if (EventNegativeFirstIndent || level->FirstIndent > 0) w += C.DevX(level->FirstIndent);
    if (marker) {
      const int m = C.ObjectWidth(marker);
      const int share = level->MarkerAlignment == rvmaLeft ? m : level->MarkerAlignment == rvmaCenter ? m / 2 : 0;
      w = std::max(w, C.DevX(level->MarkerIndent) + share);
    }
    return w + C.DevX(rtl ? para->LeftIndent : para->RightIndent);
  }
  int w = C.DevX(para->LeftIndent) + C.DevX(para->RightIndent);
  if ((EventNegativeFirstIndent || para->FirstIndent > 0) && !item->GetBoolValue(rvbpFullWidth))
    w += C.DevX(para->FirstIndent);
  return w;
}

// Beat: as for TextItemMinWidth (-1 for the exact answer).
int MinItemsWidthPlusWrap(TMinWidthContext& C, int StartItemNo, int EndItemNo, int& FirstParaItemNo, int Beat = -1) {
  TCustomRVFormattedData& d = C.Data;
  int w = std::max(0, EmptySectionWidth(C, StartItemNo, FirstParaItemNo, false));
  int result = 0;
  for (int i = StartItemNo; i <= EndItemNo; ++i) {
    if (i > StartItemNo && !d.IsInvisibleItem(i)) {
      if (d.IsParaStart(i)) FirstParaItemNo = i;
      if (d.IsFromNewLine(i)) w = std::max(0, EmptySectionWidth(C, i, FirstParaItemNo, false));
    }
    if (IsListMarker(d.GetItem(i))) continue;
    result = std::max(result, MinItemWidthWrap(C, i, false, true, std::max(result, Beat) - w) + w);
  }
  return result;
}

int MinItemsWidthNoWrap(TMinWidthContext& C, int StartItemNo, int EndItemNo, bool IgnoreFloating,
                        bool IgnoreMarkers) {
  TCustomRVFormattedData& d = C.Data;
  int sum = 0, widestFloat = 0;
  // The tab origin, computed on the first tab.
  bool tabsReady = false;
  int origin = 0, leftIndent = 0, rightIndent = 0;
  TRVScreenAndDevice ownSaD{};
  const TRVScreenAndDevice* sad = C.SaD;
  // A right or centre tab waiting for the text after it.
  bool pending = false;
  int pendingWidth = 0, pendingFrom = 0;
  TRVTabAlign pendingAlign = rvtaLeft;
  auto finishPending = [&] {
    if (!pending) return;
    const int after = sum - pendingFrom;
    sum -= std::min(pendingWidth, pendingAlign == rvtaCenter ? after / 2 : after);
    pending = false;
  };
  for (int i = StartItemNo; i <= EndItemNo; ++i) {
    TCustomRVItemInfo* item = d.GetItem(i);
    if (d.IsInvisibleItem(i)) {
      if (!d.SharesItemList()) item->DrawItemNo = -1;
      continue;
    }
    if (item->StyleNo == ItemKindTab) {
      finishPending();
      if (!tabsReady) {
        tabsReady = true;
        if (!sad) {
          d.InitScreenAndDevice(C.Canvas, ownSaD);
          ownSaD.LeftMargin = d.GetDevLeftMargin(&ownSaD);
          sad = &ownSaD;
        }
        const int start = SectionStart(d, i);
        TParaInfo* para = C.Style->ParaStyles()->Items(d.GetItemPara(start));
        int firstPara = d.GetFirstParaItem(start);
        TRVMarkerItemInfo* marker = nullptr;
        TRVListLevel* level = ParagraphListLevel(C, firstPara, marker);
        // As for a hard line start (the formatter's line indents).
        int firstIndent = C.DevX(para->FirstIndent);
        leftIndent = C.DevX(para->LeftIndent);
        rightIndent = C.DevX(para->RightIndent);
        if (level) {
          leftIndent = C.DevX(start == firstPara ? level->MarkerIndent : level->LeftIndent);
          firstIndent = 0;
        } else if (d.GetItem(start)->GetBR() || d.GetItem(start)->GetBoolValue(rvbpFullWidth)) {
          firstIndent = 0;
        }
        // Tab stops count from the record's left margin, as the style sheet places them.
        origin = sad->LeftMargin + leftIndent + firstIndent;
      }
      int position = 0;
      TRVUnicodeString leader;
      TRVTabAlign align = rvtaLeft;
      C.Style->GetNextTab(d.GetItemPara(i), origin + sum, *sad, position, leader, align, d.GetBiDiMode(), leftIndent,
                          rightIndent);
      const int width = std::max(0, position - origin - sum);
      sum += width;
      if (align != rvtaLeft) {
        pending = true;
        pendingWidth = width;
        pendingFrom = sum;
        pendingAlign = align;
      }
      continue;
    }
    if (item->StyleNo >= 0) {
      sum += d.GetItemTextW(i).empty() ? EmptyTextWidth(C, i) : TextItemWidth(C, i);
    } else if (IsListMarker(item)) {
      if (!IgnoreMarkers) sum += C.ObjectWidth(item);
    } else if (item->GetBoolValue(rvbpFloating)) {
      if (!IgnoreFloating) widestFloat = std::max(widestFloat, C.ObjectWidth(item));
    } else {
      sum += C.ObjectWidth(item);
    }
  }
  finishPending();
  return std::max(sum, widestFloat);
}

bool SectionWraps(TCustomRVFormattedData& D, int ItemNo) {
  TRVStyle* st = D.GetRVStyle();
  return D.GetWordWrap() && !st->ParaStyles()->Items(D.GetItemPara(ItemNo))->Options.Contains(rvpaoNoWrap);
}

int ParaSectionMinWidth(TMinWidthContext& C, int StartItemNo, int& FirstParaItemNo, int Beat = -1) {
  TCustomRVFormattedData& d = C.Data;
  const int start = SectionStart(d, StartItemNo), end = SectionEnd(d, StartItemNo);
  if (FirstParaItemNo < 0) FirstParaItemNo = d.GetFirstParaItem(start);
  if (SectionWraps(d, start)) return MinItemsWidthPlusWrap(C, start, end, FirstParaItemNo, Beat);
  return EmptySectionWidth(C, start, FirstParaItemNo, true) + MinItemsWidthNoWrap(C, start, end, false, true);
}

// The widest section among those from the section of StartItemNo to that of EndItemNo. A
// section is measured at its first visible item (a hidden line start passes its start on).
int ParaSectionsMinWidth(TMinWidthContext& C, int StartItemNo, int EndItemNo, int& FirstParaItemNo, int Beat = -1) {
  TCustomRVFormattedData& d = C.Data;
  if (d.ItemCount() == 0 || StartItemNo > EndItemNo) return 0;
  StartItemNo = SectionStart(d, std::max(0, StartItemNo));
  EndItemNo = SectionEnd(d, std::min(EndItemNo, d.ItemCount() - 1));
  int result = 0;
  bool sectionOpen = false, paraOpen = false;
  for (int i = StartItemNo; i <= EndItemNo; ++i) {
    if (d.IsFromNewLine(i)) sectionOpen = true;
    if (d.IsParaStart(i)) paraOpen = true;
    if (d.IsInvisibleItem(i)) continue;
    if (paraOpen) {
      FirstParaItemNo = i;
      paraOpen = false;
    }
    if (sectionOpen) {
      sectionOpen = false;
      result = std::max(result, ParaSectionMinWidth(C, i, FirstParaItemNo, std::max(result, Beat)));
    }
  }
  return result;
}

const TRVScreenAndDevice* UsefulSaD(const TRVScreenAndDevice* sad) {
  if (sad && sad->ppixScreen == sad->ppixDevice && sad->ppiyScreen == sad->ppiyDevice) return nullptr;
  return sad;
}

}  // namespace

int TCustomRVFormattedData::CalculateMinDocWidthPlus(int FirstItemNo, const TRVScreenAndDevice* sad, TCanvas* Canvas) {
  if (ItemCount() == 0 || !GetRVStyle()) return 0;
  TMinWidthContext c(*this, UsefulSaD(sad), Canvas);
  int first = -1;
  return ParaSectionsMinWidth(c, std::max(0, FirstItemNo), ItemCount() - 1, first);
}

int TCustomRVFormattedData::CalculateParaSectionsMinWidth(int StartItemNo, int EndItemNo, int& FirstParaItemNo,
                                                          const TRVScreenAndDevice* sad, TCanvas* Canvas) {
  if (ItemCount() == 0 || !GetRVStyle()) return 0;
  TMinWidthContext c(*this, sad, Canvas);
  return ParaSectionsMinWidth(c, StartItemNo, EndItemNo, FirstParaItemNo);
}

int TCustomRVFormattedData::CalculateParaSectionsMinWidthDef(int StartItemNo, int EndItemNo) {
  int first = -1;
  return CalculateParaSectionsMinWidth(StartItemNo, EndItemNo, first, nullptr, nullptr);
}

int TCustomRVFormattedData::CalculateParaSectionMinWidth(int StartItemNo, int& FirstParaItemNo,
                                                         const TRVScreenAndDevice* sad, TCanvas* Canvas) {
  if (StartItemNo < 0 || StartItemNo >= ItemCount() || !GetRVStyle()) return 0;
  TMinWidthContext c(*this, sad, Canvas);
  return ParaSectionMinWidth(c, StartItemNo, FirstParaItemNo);
}

int TCustomRVFormattedData::CalculateParaSectionMinWidthDef(int StartItemNo) {
  int first = -1;
  return CalculateParaSectionMinWidth(StartItemNo, first, nullptr, nullptr);
}

int TCustomRVFormattedData::CalculateMinItemWidthPlusEx(int ItemNo) {
  int first = -1;
  return CalculateParaSectionMinWidth(ItemNo, first, nullptr, GetFormatCanvas());
}

int TCustomRVFormattedData::CalculateMinItemsWidthPlusEx(int StartItemNo, int EndItemNo, int Beat) {
  StartItemNo = std::max(0, StartItemNo);
  EndItemNo = std::min(EndItemNo, ItemCount() - 1);
  if (StartItemNo > EndItemNo || !GetRVStyle()) return 0;
  TMinWidthContext c(*this, nullptr, nullptr);
  const int firstStart = SectionStart(*this, StartItemNo), firstEnd = SectionEnd(*this, StartItemNo);
  int first = -1, result;
  // The first section: with wrapping only the part from StartItemNo counts.
  if (SectionWraps(*this, firstStart))
    result = MinItemsWidthPlusWrap(c, StartItemNo, std::min(firstEnd, EndItemNo), first, Beat);
  else
    result = ParaSectionMinWidth(c, firstStart, first, Beat);
  if (EndItemNo > firstEnd) {
    const int lastStart = SectionStart(*this, EndItemNo);
    if (lastStart > firstEnd + 1) {
      first = -1;
      result = std::max(result, ParaSectionsMinWidth(c, firstEnd + 1, lastStart - 1, first, std::max(result, Beat)));
    }
    first = -1;
    if (SectionWraps(*this, lastStart))
      result = std::max(result, MinItemsWidthPlusWrap(c, lastStart, EndItemNo, first, std::max(result, Beat)));
    else
      result = std::max(result, ParaSectionMinWidth(c, lastStart, first, std::max(result, Beat)));
  }
  return result;
}

int TCustomRVFormattedData::CalculateMinItemsWidthPlusWrap(int StartItemNo, int EndItemNo, int& FirstParaItemNo,
                                                           const TRVScreenAndDevice* sad, TCanvas* Canvas) {
  if (StartItemNo < 0 || EndItemNo >= ItemCount() || StartItemNo > EndItemNo || !GetRVStyle()) return 0;
  TMinWidthContext c(*this, sad, Canvas);
  return MinItemsWidthPlusWrap(c, StartItemNo, EndItemNo, FirstParaItemNo);
}

int TCustomRVFormattedData::CalculateMinItemsWidthNoWrap(int StartItemNo, int EndItemNo, const TRVScreenAndDevice* sad,
                                                         TCanvas* Canvas, bool IgnoreFloating, bool IgnoreMarkers) {
  if (StartItemNo < 0 || EndItemNo >= ItemCount() || StartItemNo > EndItemNo || !GetRVStyle()) return 0;
  TMinWidthContext c(*this, sad, Canvas);
  return MinItemsWidthNoWrap(c, StartItemNo, EndItemNo, IgnoreFloating, IgnoreMarkers);
}

int TCustomRVFormattedData::CalculateMinItemWidthWrap(int ItemNo, const TRVScreenAndDevice* sad, TCanvas* Canvas,
                                                      bool IgnoreFloating, bool IgnoreMarkers) {
  if (ItemNo < 0 || ItemNo >= ItemCount() || !GetRVStyle()) return 0;
  TMinWidthContext c(*this, sad, Canvas);
  return MinItemWidthWrap(c, ItemNo, IgnoreFloating, IgnoreMarkers);
}

int TCustomRVFormattedData::CalculateEmptyParaSectionWidth(int ItemNo, int& FirstParaItemNo,
                                                           const TRVScreenAndDevice* sad, TCanvas* Canvas,
                                                           bool EventNegativeFirstIndent) {
  if (ItemNo < 0 || ItemNo >= ItemCount() || !GetRVStyle()) return 0;
  TMinWidthContext c(*this, sad, Canvas);
  return EmptySectionWidth(c, ItemNo, FirstParaItemNo, EventNegativeFirstIndent);
}

int TCustomRVFormattedData::CalculateMinLineWidth(int FirstItemNo, const TRVScreenAndDevice* sad, TCanvas* Canvas) {
  if (FirstItemNo < 0 || FirstItemNo >= ItemCount() || !GetRVStyle()) return 0;
  TMinWidthContext c(*this, sad, Canvas);
  if (!SectionWraps(*this, FirstItemNo))
    return MinItemsWidthNoWrap(c, SectionStart(*this, FirstItemNo), SectionEnd(*this, FirstItemNo), true, false);
  int item = FirstItemNo;
  if (IsListMarker(GetItem(item)) && item + 1 < ItemCount() && !IsFromNewLine(item + 1)) ++item;
  int w = MinItemWidthWrap(c, item, true, true);
  if (IsDisplayedParaStart(FirstItemNo) && !IsInvisibleItem(FirstItemNo) &&
      !GetItem(FirstItemNo)->GetBoolValue(rvbpFullWidth)) {
    TRVMarkerItemInfo* marker = nullptr;
    if (!ParagraphListLevel(c, FirstItemNo, marker))
      w += c.DevX(GetRVStyle()->ParaStyles()->Items(GetItemPara(FirstItemNo))->FirstIndent);
  }
  return w;
}
