// Finishing a line: pending tab sections, absolutely aligned objects, line spacing, alignment,
// justification and distribution, right-to-left visual order, floating boxes and placeholders on
// the line, and re-aligning a line when one draw item changes width.
#include <algorithm>
#include <vector>

#include "engine/document/RVNonTextItems.h"
#include "engine/document/RVTextItems.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/layout/RVFormattingUtils.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "platform/base/NLS.h"

namespace {

int AlignShift(TRVAlignment A, int Free) {
  switch (A) {
    case rvaLeft: return 0;
    case rvaCenter: return std::max(0, Free / 2);
    default: return std::max(0, Free);
  }
}

// The alignment of a justified paragraph's line that is not justified.
TRVAlignment LastLineAlign(const TParaInfo* Para, bool RTL) {
  switch (Para->LastLineAlignment) {
    case rvllaLeft: return rvaLeft;
    case rvllaRight: return rvaRight;
    case rvllaCenter: return rvaCenter;
    case rvllaJustify: return Para->Alignment;
    default: return RTL ? rvaRight : rvaLeft;
  }
}

}  // namespace

void TCustomRVFormattedData::FinishTabSection(TRVFormattingState& S) {
  if (S.TabSection < 0) return;
  const int tabPos = std::min(S.TabPos, S.LineLeft + S.LineWidth);
  TRVDrawLineInfo* T = DrawItems->Get(S.TabSection);
  TRVDrawLineInfo* L = DrawItems->Get(S.DrawItemCount - 1);
  int D;
  if (S.TabAlign == rvtaRight)
    D = tabPos - (L->Left + L->Width);
  else
    D = (2 * tabPos - T->Left - T->Width - L->Left - L->Width) / 2;
  if (D < 0) D = 0;
  T->Width += D;
  for (int i = S.TabSection + 1; i < S.DrawItemCount; ++i) DrawItems->Get(i)->Left += D;
  S.X += D;
  S.TabSection = -1;
}

void TCustomRVFormattedData::FinishLine(const TRVScreenAndDevice* PSaD, bool LastLineOfParagraph, int& ExtraBelow,
                                        TRVFormattingState& S) {
  ExtraBelow = 0;
  if (S.SkipFirstFinish) {
    S.SkipFirstFinish = false;
    return;
  }
  if (S.DrawItemCount == 0) return;
  const int last = S.DrawItemCount - 1;
  const int first = std::min(S.FirstDrawItemOfLine, last);
  TRVDrawLineInfo* L = DrawItems->Get(last);
  if (BreakLineJustification && LastLineOfParagraph) {
    int next = L->ItemNo + 1;
    while (next < ItemCount() && IsInvisibleItem(next)) ++next;
    LastLineOfParagraph = next >= ItemCount() || IsDisplayedParaStart(next);
  }
  if (GetItem(L->ItemNo)->GetBoolValue(rvbpFullWidth)) return;
  TRVStyle* st = GetRVStyle();
  const int paraNo = GetDisplayedParaNo(L->ItemNo);
  TParaInfo* para = st->ParaStyles()->Items(paraNo);
  const bool rtl = GetParaBiDiMode(paraNo) == rvbdRightToLeft;
  TRVAlignment A = para->Alignment, F = A;
  if (A == rvaJustify || A == rvaDistribute) {
    F = LastLineAlign(para, rtl);
    if (LastLineOfParagraph) A = F;
    if (F == rvaJustify || F == rvaDistribute) F = rtl ? rvaRight : rvaLeft;
  }
  // Where the line actually ends (right-aligned tab sections already spread).
  const int free = S.LineLeft + S.LineWidth - (L->Left + L->Width);
  const int shiftA = AlignShift(A, free), shiftF = AlignShift(F, free);
  if (S.LineHasAbsVAlign) ExtraBelow += PlaceAbsVAlignedItems(first, last, S);
  ExtraBelow += ApplyLineSpacing(first, last, paraNo, PSaD, S);
  if (para->LineSpacingType == rvlsLineHeightAtLeast || para->LineSpacingType == rvlsLineHeightExact) ExtraBelow = 0;
  if (A == rvaJustify || A == rvaDistribute) {
    JustifyLine(first, last, shiftA, shiftF, A == rvaDistribute, paraNo, S);
  } else if (shiftA != 0) {
    for (int i = first; i <= last; ++i) DrawItems->Get(i)->Left += shiftA;
  }
  ReorderLineRTL(first, last, paraNo, PSaD, nullptr);
  if (S.LineHasFloat || S.LineHasPlaceholder) PlaceFloatsOnFinishedLine(first, last, ExtraBelow, PSaD, S);
}

int TCustomRVFormattedData::PlaceAbsVAlignedItems(int FirstDItem, int LastDItem, TRVFormattingState& S) {
  // The line's own paragraph (the state may already hold the next one's).
  const TRVLineSpacingType ls =
      GetRVStyle()->ParaStyles()->Items(GetDisplayedParaNo(DrawItems->Get(LastDItem)->ItemNo))->LineSpacingType;
  auto isAbs = [this](TRVDrawLineInfo* d) {
    auto* r = dynamic_cast<TRVRectItemInfo*>(GetItem(d->ItemNo));
    return r && (r->VAlign == rvvaAbsTop || r->VAlign == rvvaAbsBottom || r->VAlign == rvvaAbsMiddle) &&
           !r->GetBoolValue(rvbpFloating);
  };
  int top, bottom;
  bool grow = true;
  if (ls == rvlsLineHeightExact || ls == rvlsLineHeightAtLeast) {
    top = S.BaseLineY - S.FixedAscent;
    bottom = S.BaseLineY + S.FixedDescent;
    grow = ls == rvlsLineHeightAtLeast;
  } else {
    top = DrawItems->Get(FirstDItem)->Top;
    bottom = top;
  }
  if (grow)
    for (int i = FirstDItem; i <= LastDItem; ++i) {
      TRVDrawLineInfo* d = DrawItems->Get(i);
      if (isAbs(d)) continue;
      top = std::min(top, d->Top);
      bottom = std::max(bottom, d->Top + d->Height);
    }
  int above = 0, below = 0;
  for (int i = FirstDItem; i <= LastDItem; ++i) {
    TRVDrawLineInfo* d = DrawItems->Get(i);
    if (!isAbs(d)) continue;
    const TRVVAlign va = static_cast<TRVRectItemInfo*>(GetItem(d->ItemNo))->VAlign;
    int t = va == rvvaAbsTop ? top : va == rvvaAbsBottom ? bottom - d->Height : (top + bottom - d->Height) / 2;
    d->BaseLine += t - d->Top;
    d->Top = t;
    above = std::max(above, top - t);
  }
  if (above > 0 && ls != rvlsLineHeightExact) {
    for (int i = FirstDItem; i <= LastDItem; ++i) {
      DrawItems->Get(i)->Top += above;
      DrawItems->Get(i)->BaseLine += above;
    }
    S.BaseLineY += above;
    top += above;
    bottom += above;
  }
  for (int i = FirstDItem; i <= LastDItem; ++i) {
    TRVDrawLineInfo* d = DrawItems->Get(i);
    if (isAbs(d)) below = std::max(below, d->Top + d->Height - bottom);
  }
  return below;
}

int TCustomRVFormattedData::ApplyLineSpacing(int FirstDItem, int LastDItem, int ParaNo, const TRVScreenAndDevice* PSaD,
                                             TRVFormattingState& S) {
  TRVStyle* st = GetRVStyle();
  TParaInfo* para = st->ParaStyles()->Items(ParaNo);
  int extraBelow = 0, extraAbove = 0;
  switch (para->LineSpacingType) {
    case rvlsPercent: {
      if (para->LineSpacing == 100 || para->LineSpacing < 50) return 0;
      int top = 0, bottom = 0;
      bool any = false;
      for (int i = FirstDItem; i <= LastDItem; ++i) {
        TRVDrawLineInfo* d = DrawItems->Get(i);
        if (GetItem(d->ItemNo)->StyleNo < 0) continue;
        top = any ? std::min(top, d->Top) : d->Top;
        bottom = any ? std::max(bottom, d->Top + d->Height) : d->Top + d->Height;
        any = true;
      }
      if (!any) return 0;
      extraBelow = (bottom - top) * (para->LineSpacing - 100) / 100;
      break;
    }
    case rvlsSpaceBetween:
      if (para->LineSpacing < 0) return 0;
      extraBelow = st->GetAsDevicePixelsY(para->LineSpacing, PSaD);
      break;
    case rvlsLineHeightAtLeast:
    case rvlsLineHeightExact: {
      int top = S.BaseLineY, bottom = S.BaseLineY;
      for (int i = FirstDItem; i <= LastDItem; ++i) {
        TRVDrawLineInfo* d = DrawItems->Get(i);
        top = std::min(top, d->Top);
        bottom = std::max(bottom, d->Top + d->Height);
      }
      extraAbove = S.FixedAscent - (S.BaseLineY - top);
      extraBelow = S.FixedDescent - (bottom - S.BaseLineY);
      if (para->LineSpacingType == rvlsLineHeightAtLeast) {
        extraAbove = std::max(0, extraAbove);
        extraBelow = std::max(0, extraBelow);
      }
      break;
    }
  }
  if (extraAbove != 0)
    for (int i = FirstDItem; i <= LastDItem; ++i) DrawItems->Get(i)->SetExtraSpaceAbove(extraAbove);
  if (extraBelow != 0)
    for (int i = FirstDItem; i <= LastDItem; ++i) DrawItems->Get(i)->SetExtraSpaceBelow(extraBelow);
  return extraBelow;
}

void TCustomRVFormattedData::JustifyLine(int FirstDItem, int LastDItem, int Space, int ShiftIfNone, bool Distribute,
                                         int ParaNo, TRVFormattingState& S) {
  (void)ParaNo;
  int partFirst = FirstDItem;
  for (int i = LastDItem; i >= FirstDItem; --i)
    if (GetItem(DrawItems->Get(i)->ItemNo)->StyleNo == ItemKindTab) {
      partFirst = i + 1;
      break;
    }
  if (partFirst > LastDItem) return;
  if (!Distribute) {
    // Spaces, counted twice rather than kept: justified lines are the common case.
    auto spacesOf = [this](TRVDrawLineInfo* d) {
      TCustomRVItemInfo* item = GetItem(d->ItemNo);
      if (item->StyleNo < 0) return 0;
      const WideChar* text = item->ItemText.data() + d->Offs - 1;
      int c = 0;
      for (int i = 0; i < d->TextLength; ++i) c += text[i] == u' ';
      return c;
    };
    long long total = 0;
    for (int i = partFirst; i <= LastDItem; ++i) total += static_cast<long long>(spacesOf((*DrawItems)[i])) * (*DrawItems)[i]->Height;
    if (total < 1) {
      if (ShiftIfNone != 0)
        for (int i = partFirst; i <= LastDItem; ++i) (*DrawItems)[i]->Left += ShiftIfNone;
      return;
    }
    long long rest = Space;
    for (int i = partFirst; i <= LastDItem; ++i) {
      TRVDrawLineInfo* d = (*DrawItems)[i];
      const int c = spacesOf(d);
      if (c <= 0) continue;
      d->SetSpaceCount(c);
      d->SetTextWidth(d->Width);
      const long long w = static_cast<long long>(c) * d->Height;
      const long long extra = rest * w / total;
      d->Width += static_cast<int>(extra);
      total -= w;
      rest -= extra;
    }
    for (int i = std::max(partFirst, FirstDItem + 1); i <= LastDItem; ++i) {
      TRVDrawLineInfo* prev = (*DrawItems)[i - 1];
      (*DrawItems)[i]->Left = prev->Left + prev->Width;
    }
    return;
  }
  const int n = LastDItem - partFirst + 1;
  std::vector<int> counts(static_cast<std::size_t>(n), 0);
  std::vector<int> leftNoExp(static_cast<std::size_t>(n), 0), rightNoExp(static_cast<std::size_t>(n), 0);
  long long sum = 0;
  TRVGraphicInterface* gi = GetRVStyle()->GetGraphicInterface();
  const bool bidi = GetParaBiDiMode(ParaNo) != rvbdUnspecified;
  const int savedStyle = S.CurTextStyle;
  int visFirst = FirstDItem, visLast = LastDItem;
  if (Distribute && bidi) {
    std::vector<int> order;
    ReorderLineRTL(FirstDItem, LastDItem, ParaNo, &S.SaD, &order);
    if (!order.empty()) {
      visFirst = order.front();
      visLast = order.back();
    }
  }
  for (int k = 0; k < n; ++k) {
    TRVDrawLineInfo* d = DrawItems->Get(partFirst + k);
    TCustomRVItemInfo* item = GetItem(d->ItemNo);
    if (item->StyleNo < 0 || d->TextLength == 0) continue;
    const WideChar* text = item->ItemText.data() + d->Offs - 1;
    int c = 0;
    if (!Distribute) {
      for (int i = 0; i < d->TextLength; ++i)
        if (text[i] == u' ') ++c;
    } else {
      const int style = GetActualStyle(item);
      if (style != S.CurTextStyle) ApplyTextStyle(style, S);
      TRVUnicodeString disp;
      TransformTextForDisplaySimple(TRVUnicodeString(text, static_cast<std::size_t>(d->TextLength)),
                                    GetRVStyle()->TextStyles()->Items(style)->StyleEx.Contains(rvfsAllCaps),
                                    partFirst + k == LastDItem, disp, false, false, S.ShowSpecial);
      const int len = static_cast<int>(disp.size());
      c = gi->GetExpandableCharCount(S.MeasureCanvas, disp.data(), len, bidi, S.ShowSpecial);
      const int idx = partFirst + k;
      if (idx == visFirst || idx == visLast) {
        int li = -1, ri = -1;
        gi->GetOutermostNonExpandableCharacters(S.MeasureCanvas, disp.data(), len, bidi, S.ShowSpecial,
                                                idx == visFirst, idx == visLast, li, ri);
        if (idx == visFirst && li >= 0) {
          --c;
          leftNoExp[static_cast<std::size_t>(k)] = li + 1;
        }
        if (idx == visLast && ri >= 0) {
          --c;
          rightNoExp[static_cast<std::size_t>(k)] = ri + 1;
        }
      }
      if (c < 0) c = 0;
    }
    counts[static_cast<std::size_t>(k)] = c;
    sum += static_cast<long long>(c) * d->Height;
  }
  if (Distribute && savedStyle >= 0 && S.CurTextStyle != savedStyle) ApplyTextStyle(savedStyle, S);
  if (sum < 1) {
    if (ShiftIfNone != 0)
      for (int i = partFirst; i <= LastDItem; ++i) DrawItems->Get(i)->Left += ShiftIfNone;
    return;
  }
  long long R = Space;
  for (int k = 0; k < n; ++k) {
    const int c = counts[static_cast<std::size_t>(k)];
    if (c <= 0) continue;
    TRVDrawLineInfo* d = DrawItems->Get(partFirst + k);
    d->SetSpaceCount(Distribute ? RV_DISTRIBUTE_SPACING : c);
    d->SetTextWidth(d->Width);
    if (Distribute) {
      d->SetLeftNoExpandIndex(leftNoExp[static_cast<std::size_t>(k)]);
      d->SetRightNoExpandIndex(rightNoExp[static_cast<std::size_t>(k)]);
    }
    const long long w = static_cast<long long>(c) * d->Height;
    const long long extra = R * w / sum;
    d->Width += static_cast<int>(extra);
    sum -= w;
    R -= extra;
  }
  for (int i = std::max(partFirst, FirstDItem + 1); i <= LastDItem; ++i) {
    TRVDrawLineInfo* prev = DrawItems->Get(i - 1);
    DrawItems->Get(i)->Left = prev->Left + prev->Width;
  }
}

namespace {

// The first and last strong direction of a text: 1 left to right, 2 right to left, 0 none.
void TextDirections(const WideChar* Text, int Length, LCID Locale, int& Leading, int& Trailing) {
  Leading = Trailing = 0;
  if (Length <= 0) return;
  std::vector<WORD> types(static_cast<std::size_t>(Length));
  if (!GetStringTypeExW(Locale, CT_CTYPE2, Text, Length, types.data())) return;
  for (int i = 0; i < Length; ++i)
    if (types[static_cast<std::size_t>(i)] == C2_LEFTTORIGHT || types[static_cast<std::size_t>(i)] == C2_RIGHTTOLEFT) {
      Leading = types[static_cast<std::size_t>(i)] == C2_RIGHTTOLEFT ? 2 : 1;
      break;
    }
  for (int i = Length - 1; i >= 0; --i)
    if (types[static_cast<std::size_t>(i)] == C2_LEFTTORIGHT || types[static_cast<std::size_t>(i)] == C2_RIGHTTOLEFT) {
      Trailing = types[static_cast<std::size_t>(i)] == C2_RIGHTTOLEFT ? 2 : 1;
      break;
    }
}

}  // namespace

void TCustomRVFormattedData::ReorderLineRTL(int FirstDItem, int LastDItem, int ParaNo, const TRVScreenAndDevice* PSaD,
                                            std::vector<int>* VisualOrder) {
  const TRVBiDiMode paraMode = GetParaBiDiMode(ParaNo);
  if (paraMode == rvbdUnspecified) return;
  const bool rtl = paraMode == rvbdRightToLeft;
  TRVStyle* st = GetRVStyle();
  // The first-line indent was applied at the left while formatting; in a right-to-left paragraph
  // it belongs on the right.
  TRVDrawLineInfo* firstDI = DrawItems->Get(FirstDItem);
  if (!VisualOrder && rtl && firstDI->FromNewPara) {
    TCustomRVItemInfo* item = GetItem(firstDI->ItemNo);
    if (item->CanBeBorderStart()) {
      int dx = 0;
      if (item->StyleNo == ItemKindListMarker)
        dx = PSaD ? ScreenToDeviceX(static_cast<TRVNonTextItemInfo*>(item)->GetLeftOverhang(), *PSaD)
                  : static_cast<TRVNonTextItemInfo*>(item)->GetLeftOverhang();
      else
        dx = -st->GetAsDevicePixelsX(st->ParaStyles()->Items(ParaNo)->FirstIndent, PSaD);
      if (dx != 0)
        for (int i = FirstDItem; i <= LastDItem; ++i) DrawItems->Get(i)->Left += dx;
    }
  }
  const int n = LastDItem - FirstDItem + 1;
  if (n <= 1) {
    if (VisualOrder) VisualOrder->assign(1, FirstDItem);
    return;
  }
  const int paraDir = rtl ? 2 : 1;
  std::vector<int> lead(static_cast<std::size_t>(n)), trail(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    TRVDrawLineInfo* d = DrawItems->Get(FirstDItem + k);
    TCustomRVItemInfo* item = GetItem(d->ItemNo);
    int l = paraDir, t = paraDir;
    if (item->StyleNo >= 0) {
      const int style = GetActualStyle(item);
      TFontInfo* fi = st->TextStyles()->Items(style);
      if (fi->BiDiMode != rvbdUnspecified) {
        l = t = fi->BiDiMode == rvbdRightToLeft ? 2 : 1;
      } else {
        int a = 0, b = 0;
        TextDirections(item->ItemText.data() + d->Offs - 1, d->TextLength, GetStyleLocale(style), a, b);
        if (a) l = a;
        if (b) t = b;
      }
    }
    lead[static_cast<std::size_t>(k)] = l;
    trail[static_cast<std::size_t>(k)] = t;
  }
  // Visual order by insertion. A draw item that does not continue the previous one's run starts
  // a new run where the paragraph's direction puts it; the insertion point then stays at the run's
  // start, so a run against the paragraph's direction comes out reversed.
  std::vector<int> order;
  order.reserve(static_cast<std::size_t>(n));
  int insertAt = 0;
  for (int k = 0; k < n; ++k) {
    const int own = lead[static_cast<std::size_t>(k)];
    const bool continues = k > 0 && trail[static_cast<std::size_t>(k - 1)] == own;
    const int dir = k == 0 || continues ? own : paraDir;
    if (!rtl) {
      if (dir == 1) {
        order.push_back(k);
        // A right-to-left draw item that started its run here: the rest of the run goes before it.
        insertAt = static_cast<int>(order.size()) - (own == 2 ? 1 : 0);
      } else {
        order.insert(order.begin() + insertAt, k);
      }
    } else {
      if (dir == 2) {
        order.insert(order.begin(), k);
        insertAt = 1;
      } else {
        order.insert(order.begin() + insertAt, k);
        ++insertAt;
      }
    }
  }
  if (VisualOrder) {
    VisualOrder->clear();
    for (int k : order) VisualOrder->push_back(FirstDItem + k);
    return;
  }
  bool identity = true;
  for (int k = 0; k < n; ++k)
    if (order[static_cast<std::size_t>(k)] != k) identity = false;
  if (identity) return;
  std::vector<int> gap(static_cast<std::size_t>(n), 0);
  for (int k = 1; k < n; ++k) {
    TRVDrawLineInfo* p = DrawItems->Get(FirstDItem + k - 1);
    gap[static_cast<std::size_t>(k)] = DrawItems->Get(FirstDItem + k)->Left - (p->Left + p->Width);
  }
  int x = firstDI->Left;
  for (int k : order) {
    TRVDrawLineInfo* d = DrawItems->Get(FirstDItem + k);
    x += gap[static_cast<std::size_t>(k)];
    d->Left = x;
    x += d->Width;
  }
}

void TCustomRVFormattedData::PlaceFloatsOnFinishedLine(int FirstDItem, int LastDItem, int ExtraBelow,
                                                       const TRVScreenAndDevice* PSaD, TRVFormattingState& S) {
  int top = DrawItems->Get(FirstDItem)->Top, bottom = top, below = top;
  for (int i = FirstDItem; i <= LastDItem; ++i) {
    TRVDrawLineInfo* d = DrawItems->Get(i);
    top = std::min(top, d->Top);
    bottom = std::max(bottom, d->Top + d->Height);
    below = std::max(below, d->Top + d->Height + d->GetExtraSpaceBelow());
  }
  if (bottom - top < FloatLineMinHeight) top = bottom - FloatLineMinHeight;
  below += ExtraBelow;
  bool seenNonFloat = false;
  for (int i = FirstDItem; i <= LastDItem; ++i) {
    TRVDrawLineInfo* d = DrawItems->Get(i);
    TCustomRVItemInfo* item = GetItem(d->ItemNo);
    const bool floating = item->GetBoolValue(rvbpFloating);
    if (floating || item->GetBoolValue(rvbpPlaceholder)) {
      d->BaseLine += top - d->Top;
      d->Top = top;
      d->Height = bottom - top;
    }
    if (floating && seenNonFloat) {
      int y = below;
      PlaceFloatingItem(S, PSaD, i, y);
    }
    if (!floating) seenNonFloat = true;
  }
}

void TCustomRVFormattedData::ChangeDItemWidth(int DItemNo, int NewWidth) {
  TRVDrawLineInfo* di = DrawItems->Get(DItemNo);
  const int D = NewWidth - di->Width;
  if (D == 0) return;
  int first = DItemNo, last = DItemNo;
  while (first > 0 && !DrawItems->Get(first)->FromNewLine) --first;
  while (last + 1 < DrawItems->Count() && !DrawItems->Get(last + 1)->FromNewLine) ++last;
  TRVStyle* st = GetRVStyle();
  const int paraNo = GetDisplayedParaNo(di->ItemNo);
  TParaInfo* para = st->ParaStyles()->Items(paraNo);
  const bool rtl = GetParaBiDiMode(paraNo) == rvbdRightToLeft;
  TRVAlignment A = para->Alignment;
  bool anyJustified = false;
  for (int i = first; i <= last; ++i)
    if (DrawItems->Get(i)->GetSpaceCount() != 0) anyJustified = true;
  if (A == rvaJustify || A == rvaDistribute) {
    const bool paraEnd = last + 1 >= DrawItems->Count() || DrawItems->Get(last + 1)->FromNewPara;
    if (paraEnd) A = LastLineAlign(para, rtl);
    if ((A == rvaJustify || A == rvaDistribute) && !anyJustified) A = rtl ? rvaRight : rvaLeft;
  }
  // Line sorted by Left.
  std::vector<int> line;
  for (int i = first; i <= last; ++i) line.push_back(i);
  std::sort(line.begin(), line.end(), [this](int a, int b) { return DrawItems->Get(a)->Left < DrawItems->Get(b)->Left; });
  if (A == rvaJustify || A == rvaDistribute) {
    long long E = 0;
    for (int i : line) {
      TRVDrawLineInfo* d = DrawItems->Get(i);
      if (d->GetSpaceCount() != 0) E += d->Width - d->GetTextWidth();
    }
    di->Width = NewWidth;
    int x = DrawItems->Get(line.front())->Left;
    for (int i : line) {
      TRVDrawLineInfo* d = DrawItems->Get(i);
      if (E > 0 && d->GetSpaceCount() != 0 && D > 0) {
        const int exp = d->Width - d->GetTextWidth();
        const int give = static_cast<int>(std::min<long long>(exp, exp * static_cast<long long>(D) / E));
        d->Width -= give;
      }
      d->Left = x;
      x += d->Width;
    }
    return;
  }
  // Tabs around the draw item absorb the growth first.
  int T1 = -1, T2 = -1;
  const auto pos = std::find(line.begin(), line.end(), DItemNo) - line.begin();
  for (auto k = pos - 1; k >= 0; --k)
    if (GetItem(DrawItems->Get(line[static_cast<std::size_t>(k)])->ItemNo)->StyleNo == ItemKindTab) {
      T1 = static_cast<int>(k);
      break;
    }
  for (auto k = pos + 1; k < static_cast<long>(line.size()); ++k)
    if (GetItem(DrawItems->Get(line[static_cast<std::size_t>(k)])->ItemNo)->StyleNo == ItemKindTab) {
      T2 = static_cast<int>(k);
      break;
    }
  int rest = D;
  auto moveRange = [&](long a, long b, int dx) {
    for (long k = a; k <= b; ++k) DrawItems->Get(line[static_cast<std::size_t>(k)])->Left += dx;
  };
  if (T1 >= 0) {
    auto* tab = static_cast<TRVTabItemInfo*>(GetItem(DrawItems->Get(line[static_cast<std::size_t>(T1)])->ItemNo));
    TRVDrawLineInfo* t1 = DrawItems->Get(line[static_cast<std::size_t>(T1)]);
    if (tab->Align == rvtaLeft && T2 >= 0) {
      TRVDrawLineInfo* t2 = DrawItems->Get(line[static_cast<std::size_t>(T2)]);
      const int take = std::min(rest, t2->Width);
      moveRange(pos + 1, T2 - 1, take);
      t2->Left += take;
      t2->Width -= take;
      rest -= take;
    } else if (tab->Align == rvtaRight) {
      const int take = std::min(rest, t1->Width);
      t1->Width -= take;
      moveRange(T1 + 1, pos, -take);
      rest -= take;
    } else if (tab->Align == rvtaCenter) {
      const int half = rest / 2;
      const int take1 = std::min(half, t1->Width);
      t1->Width -= take1;
      moveRange(T1 + 1, pos, -take1);
      rest -= take1;
      if (T2 >= 0) {
        TRVDrawLineInfo* t2 = DrawItems->Get(line[static_cast<std::size_t>(T2)]);
        const int take2 = std::min(rest, t2->Width);
        moveRange(pos + 1, T2 - 1, take2);
        t2->Left += take2;
        t2->Width -= take2;
        rest -= take2;
      }
    }
  }
  if (rest != 0) {
    const long n = static_cast<long>(line.size());
    if (A == rvaRight) {
      moveRange(0, pos, -rest);
    } else if (A == rvaCenter) {
      moveRange(0, pos - 1, -(rest / 2));
      di->Left -= rest / 2;
      moveRange(pos + 1, n - 1, rest - rest / 2);
    } else {
      moveRange(pos + 1, n - 1, rest);
    }
  }
  di->Width = NewWidth;
}
