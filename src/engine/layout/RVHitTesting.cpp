// Hit-testing and the translations between points, draw-item positions and item positions: the
// draw item and character under a point, the draw item at a vertical position, item <-> draw
// item conversions, the selection kept in item terms across reformatting, the lines of a draw
// item and the rotation of coordinates of rotated sub-documents.
//
// Draw items are in document order and their tops grow from line to line, so every search by a
// vertical position is a binary search over the list; only the draw items of the one or two
// lines found are looked at one by one.
#include <algorithm>
#include <cstdlib>

#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVClasses.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/layout/RVFormattingUtils.h"
#include "engine/styles/FontInfo.h"

namespace {

constexpr int MaxNestingDepth = 64;

}  // namespace

static bool CaretData(TCustomRVFormattedData* Data, int DrawItemNo, std::vector<int>& Positions,
                      std::vector<int>* Lefts, std::vector<int>* Rights);

// ---- selection across reformatting -----------------------------------------------------------------

void TCustomRVFormattedData::StoreSelBounds(int& StartNo, int& EndNo, int& StartOffs, int& EndOffs, bool Normalize) {
  int sNo, eNo, sOffs, eOffs;
  GetSelBounds(sNo, eNo, sOffs, eOffs, Normalize);
  DrawItem2Item(sNo, sOffs, StartNo, StartOffs);
  DrawItem2Item(eNo, eOffs, EndNo, EndOffs);
}

void TCustomRVFormattedData::RestoreSelBounds(int StartNo, int EndNo, int StartOffs, int EndOffs,
                                              bool PreferLineBeginning) {
  Item2DrawItem(StartNo, StartOffs, FSelStartNo, FSelStartOffs, 2);
  Item2DrawItem(EndNo, EndOffs, FSelEndNo, FSelEndOffs, 2);
  if (FSelStartNo < 0 || FSelEndNo < 0) {
    FSelStartNo = FSelEndNo = -1;
    FSelStartOffs = FSelEndOffs = 0;
    return;
  }
  if (PreferLineBeginning) {
    ShiftPosToTheNewLine(FSelStartNo, FSelStartOffs);
    ShiftPosToTheNewLine(FSelEndNo, FSelEndOffs);
  }
}

void TCustomRVFormattedData::ShiftPosToTheNewLine(int& DItemNo, int& DOffs) {
  if (DItemNo < 0 || DItemNo + 1 >= DrawItems->Count()) return;
  if (DOffs < GetOffsAfterDrawItem(DItemNo)) return;
  TRVDrawLineInfo* d = (*DrawItems)[DItemNo];
  TRVDrawLineInfo* next = (*DrawItems)[DItemNo + 1];
  if (next->ItemNo != d->ItemNo || GetItem(d->ItemNo)->StyleNo < 0) return;
  if (next->Offs != d->Offs + d->TextLength) return;
  ++DItemNo;
  DOffs = GetOffsBeforeDrawItem(DItemNo);
}

// ---- item <-> draw item ----------------------------------------------------------------------------

void TCustomRVFormattedData::DrawItem2Item(int DrawItemNo, int DrawItemOffs, int& ItemNo, int& ItemOffs) {
  if (DrawItemNo < 0 || DrawItemNo >= DrawItems->Count()) {
    ItemNo = -1;
    ItemOffs = -1;
    return;
  }
  TRVDrawLineInfo* d = (*DrawItems)[DrawItemNo];
  ItemNo = d->ItemNo;
  ItemOffs = GetItem(ItemNo)->StyleNo < 0 ? DrawItemOffs : DrawItemOffs + d->Offs - 1;
}

void TCustomRVFormattedData::Item2DrawItem(int ItemNo, int ItemOffs, int& DrawItemNo, int& DrawItemOffs,
                                           int PosIfHidden) {
  DrawItemNo = -1;
  DrawItemOffs = 0;
  const int n = DrawItems->Count();
  if (ItemNo < 0 || ItemNo >= ItemCount() || n == 0) return;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  int d = item->DrawItemNo;
  if (d < 0 || d >= n || (*DrawItems)[d]->ItemNo != ItemNo) {
    // A hidden (or not yet formatted) item has no draw item: a visible neighbour stands for it.
    if (PosIfHidden == 0) return;
    const int prev = GetPrevVisibleItemNo(ItemNo), next = GetNextVisibleItemNo(ItemNo);
    auto atEnd = [&](int i) {
      if (i < 0) return false;
      Item2DrawItem(i, GetOffsAfterItem(i), DrawItemNo, DrawItemOffs, 0);
      return DrawItemNo >= 0;
    };
    auto atStart = [&](int i) {
      if (i < 0) return false;
      Item2DrawItem(i, GetOffsBeforeItem(i), DrawItemNo, DrawItemOffs, 0);
      return DrawItemNo >= 0;
    };
    if (PosIfHidden == 1) {
      if (!atEnd(prev)) atStart(next);
    } else {
      if (!atStart(next)) atEnd(prev);
    }
    return;
  }
  if (item->StyleNo < 0) {
    DrawItemNo = d;
    DrawItemOffs = ItemOffs;
    return;
  }
  // Text: the position belongs to the draw item that ends at or after it while the next one (of
  // the same item) starts at or after it, so a boundary belongs to the earlier draw item and the
  // position after a character consumed by a wrap to the next draw item at its start.
  while (true) {
    TRVDrawLineInfo* di = (*DrawItems)[d];
    const int end = di->Offs + di->TextLength;
    if (d + 1 < n && (*DrawItems)[d + 1]->ItemNo == ItemNo) {
      if (end >= ItemOffs && (*DrawItems)[d + 1]->Offs >= ItemOffs) break;
      ++d;
      continue;
    }
    if (ItemOffs - di->Offs + 1 > di->TextLength + 1) {
      // A trailing character of the item was consumed by the wrap after it.
      if (d + 1 < n && IsDrawItemItemStart(d + 1) && (*DrawItems)[d + 1]->Offs <= 1) {
        DrawItemNo = d + 1;
        DrawItemOffs = GetOffsBeforeDrawItem(d + 1);
      } else {
        DrawItemNo = d;
        DrawItemOffs = GetOffsAfterDrawItem(d);
      }
      return;
    }
    break;
  }
  DrawItemNo = d;
  DrawItemOffs = std::clamp(ItemOffs - (*DrawItems)[d]->Offs + 1, GetOffsBeforeDrawItem(d), GetOffsAfterDrawItem(d));
}

void TCustomRVFormattedData::Item2FirstDrawItem(int ItemNo, int& DrawItemNo) {
  int offs;
  if (ItemNo < 0 || ItemNo >= ItemCount()) {
    DrawItemNo = -1;
    return;
  }
  Item2DrawItem(ItemNo, GetOffsBeforeItem(ItemNo), DrawItemNo, offs, 2);
}

void TCustomRVFormattedData::Item2LastDrawItem(int ItemNo, int& DrawItemNo) {
  Item2FirstDrawItem(ItemNo, DrawItemNo);
  if (DrawItemNo < 0) return;
  const int item = (*DrawItems)[DrawItemNo]->ItemNo;
  while (DrawItemNo + 1 < DrawItems->Count() && (*DrawItems)[DrawItemNo + 1]->ItemNo == item) ++DrawItemNo;
}

int TCustomRVFormattedData::FindDrawItemByItem(int ItemNo) {
  if (ItemNo < 0) return -1;
  const int n = DrawItems->Count();
  for (int i = 0; i < n; ++i)
    if ((*DrawItems)[i]->ItemNo == ItemNo) return i;
  return -1;
}

// ---- lines ------------------------------------------------------------------------------------------

void TCustomRVFormattedData::GetLineBounds(int DrawItemNo, int& First, int& Last) {
  const int n = DrawItems->Count();
  if (DrawItemNo < 0 || DrawItemNo >= n) {
    First = Last = -1;
    return;
  }
  First = DrawItemNo;
  while (First > 0 && !(*DrawItems)[First]->FromNewLine) --First;
  Last = DrawItemNo;
  while (Last + 1 < n && !(*DrawItems)[Last + 1]->FromNewLine) ++Last;
}

void TCustomRVFormattedData::GetLineVerticalBoundsOrig(int FirstDrawItemNo, int& LineTopY, int& LineBottomY,
                                                       int& LastDrawItemNo) {
  const int n = DrawItems->Count();
  LastDrawItemNo = FirstDrawItemNo;
  if (FirstDrawItemNo < 0 || FirstDrawItemNo >= n) {
    LineTopY = LineBottomY = 0;
    LastDrawItemNo = -1;
    return;
  }
  TRVDrawLineInfo* d = (*DrawItems)[FirstDrawItemNo];
  LineTopY = d->Top - d->GetExtraSpaceAbove();
  LineBottomY = d->Top + d->Height + d->GetExtraSpaceBelow();
  while (LastDrawItemNo + 1 < n && !(*DrawItems)[LastDrawItemNo + 1]->FromNewLine) {
    d = (*DrawItems)[++LastDrawItemNo];
    LineTopY = std::min(LineTopY, d->Top - d->GetExtraSpaceAbove());
    LineBottomY = std::max(LineBottomY, d->Top + d->Height + d->GetExtraSpaceBelow());
  }
}

void TCustomRVFormattedData::GetLineVerticalBoundsOrigEx(int DrawItemNo, int& LineTopY, int& LineBottomY,
                                                         int& FirstDrawItemNo, int& LastDrawItemNo) {
  int last;
  GetLineBounds(DrawItemNo, FirstDrawItemNo, last);
  GetLineVerticalBoundsOrig(FirstDrawItemNo, LineTopY, LineBottomY, LastDrawItemNo);
}

int TCustomRVFormattedData::GetTransformedDItemTop(int DrawItemNo) { return DrawItems->Get(DrawItemNo)->Top; }

int TCustomRVFormattedData::GetTransformedDItemObjectTop(int DrawItemNo) {
  return DrawItems->Get(DrawItemNo)->GetObjectTop();
}

std::unique_ptr<TRVIntegerList> TCustomRVFormattedData::BuildTransformedYCoords() {
  if (!IsLineOrderReversed()) return nullptr;
  auto list = std::make_unique<TRVIntegerList>();
  const int n = DrawItems->Count();
  int i = 0;
  while (i < n) {
    int top, bottom, last;
    GetLineVerticalBoundsOrig(i, top, bottom, last);
    for (int k = i; k <= last; ++k) list->Add(GetTransformedY((*DrawItems)[k]->Top, top, bottom));
    i = last + 1;
  }
  return list;
}

// ---- the draw item at a vertical position --------------------------------------------------------------

int TCustomRVFormattedData::GetDrawItemNo(int BoundLine, int Option) {
  const int n = DrawItems->Count();
  if (n == 0) return -1;
  std::unique_ptr<TRVIntegerList> tops = BuildTransformedYCoords();
  auto top = [&](int i) { return tops ? tops->Get(i) : (*DrawItems)[i]->Top; };
  if (top(0) >= BoundLine) return 0;
  if (Option == 3 && top(n - 1) < BoundLine) return n - 1;
  // The first draw item (from 1) at or below BoundLine whose predecessor starts above it.
  int lo = 1, hi = n - 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (top(mid) >= BoundLine)
      hi = mid;
    else
      lo = mid + 1;
  }
  // One draw item that starts above BoundLine leaves lo past the end.
  int i = std::min(lo, n - 1);
  if (Option == 1) {
    // At least one full line above BoundLine, so that tall draw items reaching down are included.
    while (i > 0 && !(*DrawItems)[i]->FromNewLine) --i;
    if (i > 0) --i;
    while (i > 0 && !(*DrawItems)[i]->FromNewLine) --i;
    if (i > 0) --i;
    return i;
  }
  while (i < n - 1 && top(i) < BoundLine) ++i;
  return i;
}

int TCustomRVFormattedData::GetFirstItemVisible() {
  int d = GetDrawItemNo(GetVOffs(), 1);
  if (d < 0) return -1;
  d = std::min(d, DrawItems->Count() - 1);
  return (*DrawItems)[d]->ItemNo;
}

int TCustomRVFormattedData::GetLastItemVisible() {
  int d = GetDrawItemNo(GetVOffs() + GetHeight(), 3);
  if (d < 0) return -1;
  d = std::min(d, DrawItems->Count() - 1);
  return (*DrawItems)[d]->ItemNo;
}

// ---- points -----------------------------------------------------------------------------------------

namespace {

// Which draw item's line holds a document point: the last draw item starting (less its extra
// space above) at or above Y, then the following line when one of its draw items already starts
// there. Tops are read transformed when Tops is given.
int FindLineOfPoint(TRVDrawLines& D, int Y, const TRVIntegerList* Tops) {
  const int n = D.Count();
  auto top = [&](int i) { return Tops ? Tops->Get(i) : D[i]->Top - D[i]->GetExtraSpaceAbove(); };
  auto bottom = [&](int i) { return Tops ? Tops->Get(i) + D[i]->Height : D[i]->Top + D[i]->Height; };
  if (Y < bottom(0)) return 0;
  // The last index whose top is at or above Y.
  int lo = 0, hi = n - 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (top(mid) <= Y)
      lo = mid;
    else
      hi = mid - 1;
  }
  int last = lo;
  while (last + 1 < n && !D[last + 1]->FromNewLine) ++last;
  // A draw item of the following line that already starts at or above Y takes that line.
  for (int i = last + 1; i < n; ++i) {
    if (i > last + 1 && D[i]->FromNewLine) break;
    if (top(i) <= Y) return i;
  }
  return lo;
}

}  // namespace

// The floating box containing a document point, searched from the draw item Start backwards
// through the lines above that were laid out under floating boxes; -1 when none.
static int FindFloatingBoxAt(TCustomRVFormattedData* Data, int X, int Y, int Start, const TRVIntegerList* Tops) {
  TRVDrawLines& D = *Data->DrawItems;
  for (int i = std::min(Start, D.Count() - 1); i >= 0; --i) {
    TRVDrawLineInfo* d = D[i];
    if (const TRVFloatingDrawLineInfo* f = AsFloatingDrawItem(d)) {
      const int ftop = Tops ? Data->GetTransformedDItemObjectTop(i) : f->FloatTop;
      const int fheight = Tops ? f->GetObjectHeight() : f->FloatHeight;
      if (f->FloatLeft <= X && X <= f->FloatLeft + f->FloatWidth && ftop <= Y && Y <= ftop + fheight) return i;
    }
    if (d->FromNewLine) {
      const int top = Tops ? Tops->Get(i) : d->Top - d->GetExtraSpaceAbove();
      if (top <= Y && !d->FloatingAboveUsed) break;
    }
  }
  return -1;
}

void TCustomRVFormattedData::FindDrawItemForSel(int X, int Y, int& No, int& Offs, bool FStrict, bool IgnoreFloating,
                                                bool XYAlreadyRotated, bool XYLocalRotation) {
  No = -1;
  Offs = -1;
  if (!XYAlreadyRotated) RotateCoordsFromScreenToDoc(X, Y, XYLocalRotation, false);
  TRVDrawLines& D = *DrawItems;
  const int n = D.Count();
  if (n == 0) return;
  std::unique_ptr<TRVIntegerList> tops = BuildTransformedYCoords();
  const int found = FindLineOfPoint(D, Y, tops.get());
  int first, last;
  GetLineBounds(found, first, last);
  // A floating box under the point wins.
  if (!IgnoreFloating) {
    int below = last + 1;
    while (below + 1 < n && !D[below + 1]->FromNewLine) ++below;
    const int f = FindFloatingBoxAt(this, X, Y, std::min(below, n - 1), tops.get());
    if (f >= 0) {
      No = f;
      Offs = 1;
      return;
    }
  }
  int chosen = -1;
  if (FStrict) {
    for (int i = first; i <= last && chosen < 0; ++i) {
      TRVDrawLineInfo* d = D[i];
      if (AsFloatingDrawItem(d)) continue;
      const int top = tops ? tops->Get(i) : d->Top - d->GetExtraSpaceAbove();
      const int bottom = tops ? tops->Get(i) + d->Height : d->Top + d->Height;
      if (d->Left <= X && X < d->Left + d->Width && top <= Y && Y < bottom) chosen = i;
    }
    if (chosen < 0) return;
  } else {
    // The draw items of the line in visual order (floating boxes only on a line of nothing else).
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(last - first + 1));
    for (int i = first; i <= last; ++i)
      if (!AsFloatingDrawItem(D[i])) order.push_back(i);
    if (order.empty())
      for (int i = first; i <= last; ++i) order.push_back(i);
    if (GetParaBiDiMode(GetDisplayedParaNo(D[first]->ItemNo)) != rvbdUnspecified)
      std::stable_sort(order.begin(), order.end(), [&D](int a, int b) { return D[a]->Left < D[b]->Left; });
    if (X < D[order.front()]->Left) {
      chosen = order.front();
    } else if (X > D[order.back()]->Left) {
      chosen = order.back();
    } else {
      chosen = order.back();
      for (std::size_t k = 0; k + 1 < order.size(); ++k)
        if (D[order[k]]->Left <= X && D[order[k + 1]]->Left > X) {
          chosen = order[k];
          break;
        }
    }
  }
  TRVDrawLineInfo* d = D[chosen];
  TCustomRVItemInfo* item = GetItem(d->ItemNo);
  const bool rtlItem = GetItemBiDiMode2(item) == rvbdRightToLeft;
  No = chosen;
  if (item->StyleNo < 0) {
    const bool rightHalf = X > d->Left + d->Width / 2;
    Offs = (rightHalf != rtlItem) ? 1 : 0;
  } else if (d->TextLength == 0) {
    Offs = 1;
    if (GetOffsAfterDrawItem(chosen) == 2) {
      const int mid = d->Left + d->Width / 2;
      if (rtlItem ? X < mid : X > mid) Offs = 2;
    }
  } else {
    std::vector<int> pos, lefts, rights;
    GetDrawItemCaretPositionsAndBoxes(chosen, pos, lefts, rights);
    const int x = X - d->Left;
    const int len = d->TextLength;
    // Positions running leftwards make the run right-to-left whatever its style says.
    const bool rtl = pos[static_cast<std::size_t>(len)] != pos[0] ? pos[static_cast<std::size_t>(len)] < pos[0]
                                                                   : rtlItem;
    int best = -1;
    // A point on a character's painted box: the position before the character on the half of its
    // start, after it on the other half. Caret boundaries alone are ambiguous where the direction
    // changes inside the run (the boundary between runs has two places on the line).
    for (int k = 0; k < static_cast<int>(lefts.size()) && best < 0; ++k) {
      const int l = lefts[static_cast<std::size_t>(k)], r = rights[static_cast<std::size_t>(k)];
      if (l >= r || x < l || x >= r) continue;
      // The character runs right to left when the caret after it stands at its left edge.
      const int after = pos[static_cast<std::size_t>(k) + 1];
      const bool charRtl = std::abs(after - l) != std::abs(after - r) ? std::abs(after - l) < std::abs(after - r) : rtl;
      const bool startHalf = charRtl ? 2 * x >= l + r : 2 * x <= l + r;
      best = startHalf ? k : k + 1;
    }
    if (best < 0) {
      // Elsewhere (beside the characters): the nearest caret boundary.
      best = 0;
      int bestDist = std::abs(pos[0] - x);
      for (int b = 1; b <= len; ++b) {
        const int p = pos[static_cast<std::size_t>(b)];
        const int dist = std::abs(p - x);
        // On a tie the boundary before a character whose box X halves wins (its two boundaries
        // are neighbours); between boundaries of different runs the later one wins when it lies
        // on the run's leading side of X.
        if (dist < bestDist || (dist == bestDist && best != b - 1 && (rtl ? p > x : p < x))) {
          best = b;
          bestDist = dist;
        }
      }
    }
    // A boundary inside a character (a surrogate pair, a combining sequence) moves to its start.
    if (best > 0 && best < len) {
      const WideChar* text = item->ItemText.data() + d->Offs - 1;
      const WideChar* target = text + best;
      const WideChar* p = text;
      const WideChar* start = text;
      while (p < target) {
        start = p;
        p = NextCharPtr(p);
      }
      if (p != target) best = static_cast<int>(start - text);
    }
    Offs = std::clamp(best + 1, 1, len + 1);
  }
  if (!FStrict && item->StyleNo == ItemKindListMarker && chosen + 1 < n) {
    No = chosen + 1;
    Offs = GetOffsBeforeDrawItem(No);
  }
}

int TCustomRVFormattedData::GetDrawItemAt(int X, int Y) {
  TRVDrawLines& D = *DrawItems;
  const int n = D.Count();
  if (n == 0) return -1;
  std::unique_ptr<TRVIntegerList> tops = BuildTransformedYCoords();
  auto top = [&](int i) { return tops ? tops->Get(i) : D[i]->Top - D[i]->GetExtraSpaceAbove(); };
  auto contains = [&](int i) {
    TRVDrawLineInfo* d = D[i];
    if (AsFloatingDrawItem(d)) return false;
    const int t = top(i);
    const int b = (tops ? tops->Get(i) : d->Top) + d->Height;
    return d->Left <= X && X < d->Left + d->Width && t <= Y && Y < b;
  };
  if (contains(0)) return 0;
  if (n == 1) return -1;
  int lo = 0, hi = n - 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (top(mid) <= Y)
      lo = mid;
    else
      hi = mid - 1;
  }
  int i = lo;
  // Back over draw items that still reach down to Y (tall items earlier on the line).
  while (i > 0 && top(i - 1) <= Y && Y < (tops ? tops->Get(i - 1) : D[i - 1]->Top) + D[i - 1]->Height) --i;
  while (i > 0 && !D[i]->FromNewLine) --i;
  // Forward until a whole line starting below the point has been passed.
  bool lineBelow = false;
  for (; i < n; ++i) {
    if (D[i]->FromNewLine) {
      if (lineBelow) break;
      lineBelow = true;
    }
    if (top(i) <= Y) lineBelow = false;
    if (contains(i)) return i;
  }
  return FindFloatingBoxAt(this, X, Y, i - 1, tops.get());
}

// ---- caret positions of a text draw item -----------------------------------------------------------------

bool TCustomRVFormattedData::GetDrawItemCaretPositions(int DrawItemNo, std::vector<int>& Positions) {
  return CaretData(this, DrawItemNo, Positions, nullptr, nullptr);
}

bool TCustomRVFormattedData::GetDrawItemCaretPositionsAndBoxes(int DrawItemNo, std::vector<int>& Positions,
                                                               std::vector<int>& Lefts, std::vector<int>& Rights) {
  return CaretData(this, DrawItemNo, Positions, &Lefts, &Rights);
}

// The caret positions of a text draw item and, when asked, its characters' painted boxes.
static bool CaretData(TCustomRVFormattedData* Data, int DrawItemNo, std::vector<int>& Positions,
                      std::vector<int>* Lefts, std::vector<int>* Rights) {
  TCustomRVFormattedData* self = Data;
  TRVDrawLines* DrawItems = Data->DrawItems.get();
  Positions.clear();
  if (Lefts) Lefts->clear();
  if (Rights) Rights->clear();
  if (DrawItemNo < 0 || DrawItemNo >= DrawItems->Count()) return false;
  TRVDrawLineInfo* d = (*DrawItems)[DrawItemNo];
  TCustomRVItemInfo* item = self->GetItem(d->ItemNo);
  if (item->StyleNo < 0) return false;
  const int len = d->TextLength;
  Positions.assign(static_cast<std::size_t>(len) + 1, 0);
  TRVStyle* st = self->GetRVStyle();
  if (len <= 0 || !st) return true;
  const int style = self->GetActualStyle(item);
  TFontInfo* fi = st->TextStyles()->Items(style);
  const bool showSpecial = self->ShowsSpecialCharacters();
  // The display text as formatting measured it.
  const TRVUnicodeString& src = item->ItemText;
  TRVUnicodeString display;
  const WideChar* text = src.data() + d->Offs - 1;
  bool transform = fi->StyleEx.Contains(rvfsAllCaps);
  for (int i = 0; i < len && !transform; ++i)
    if (text[i] == 0x2011 || (text[i] == 0x00AD && showSpecial)) transform = true;
  if (transform) {
    TransformTextForDisplaySimple(src, fi->StyleEx.Contains(rvfsAllCaps), false, display, false, false, showSpecial);
    if (static_cast<int>(display.size()) >= d->Offs - 1 + len) text = display.data() + d->Offs - 1;
  }
  const int paraNo = self->GetDisplayedParaNo(d->ItemNo);
  const TRVBiDiMode paraBiDi = self->GetParaBiDiMode(paraNo);
  const bool bidi = paraBiDi != rvbdUnspecified;
  TCanvas* drawCanvas = self->GetCanvas();
  TCanvas* formatCanvas = self->GetFormatCanvas();
  if (!formatCanvas) formatCanvas = drawCanvas;
  const bool useRef = formatCanvas != drawCanvas;
  const int spaceCount = d->GetSpaceCount();
  const int extra = spaceCount != 0 ? RVScaleUpForRef(d->Width - d->GetTextWidth(), useRef) : 0;
  const int leftNoExp = d->GetLeftNoExpandIndex() - 1, rightNoExp = d->GetRightNoExpandIndex() - 1;
  bool ok = false;
  TRVFontInfoCache* cache = formatCanvas ? self->CreateFontInfoCache(drawCanvas, formatCanvas) : nullptr;
  if (cache) {
    TRVScreenAndDevice sad{};
    try {
      self->InitScreenAndDevice(formatCanvas, sad);
      if (!cache->PSaD) cache->PSaD = &sad;
      cache->Rotation = self->GetRealRotation(true);
      cache->UseVerticalFonts = self->UseVerticalFonts();
      cache->CurParaBiDiMode = paraBiDi;
      TRVFontInfoCacheItem* ci = cache->GetItems(style);
      TRVGraphicInterface* gi = st->GetGraphicInterface();
      if (ci && ci->Canvas) {
        ok = gi->GetCaretPositions(ci->Canvas, text, len, spaceCount, extra, bidi, showSpecial, Positions.data(),
                                   leftNoExp, rightNoExp);
        if (ok && Lefts && Rights) {
          std::unique_ptr<TCustomRVGlyphDXData> dx =
              gi->GetGlyphDX(ci->Canvas, text, len, spaceCount, extra, bidi, showSpecial, false, true, leftNoExp,
                             rightNoExp);
          if (dx && static_cast<int>(dx->PXL.size()) == len && static_cast<int>(dx->PXR.size()) == len) {
            *Lefts = dx->PXL;
            *Rights = dx->PXR;
          }
        }
      }
    } catch (...) {
      self->DestroyFontInfoCache(cache);
      throw;
    }
    self->DestroyFontInfoCache(cache);
  }
  if (ok) {
    for (int& p : Positions) p = RVScaleDownFromRef(p, useRef);
    if (Lefts)
      for (int& p : *Lefts) p = RVScaleDownFromRef(p, useRef);
    if (Rights)
      for (int& p : *Rights) p = RVScaleDownFromRef(p, useRef);
  } else {
    // No measuring canvas: characters share the draw item's width evenly.
    for (int i = 0; i <= len; ++i)
      Positions[static_cast<std::size_t>(i)] = static_cast<int>(static_cast<long long>(d->Width) * i / len);
  }
  return true;
}

// ---- rotation -----------------------------------------------------------------------------------------

void TCustomRVFormattedData::GetPrerotatedSize(int& Width, int& Height) {
  Width = GetWidth();
  Height = GetHeight();
}

void TCustomRVFormattedData::RotateCoordsFromScreenToDoc(int& X, int& Y, bool AlwaysLocal, bool ParentInplace) {
  TRVDocRotation rot;
  int W, H;
  if (ParentInplace) {
    TCustomRVData* parent = GetAbsoluteParentData();
    rot = parent ? parent->GetRealRotation(true) : GetRealRotation(true);
    W = GetWidth();
    H = GetHeight();
  } else if (AlwaysLocal) {
    rot = GetRotation();
    GetPrerotatedSize(W, H);
  } else {
    rot = GetRealRotation(true);
    if (rot == rvrotNone && !(GetAbsoluteParentData() == nullptr && GetRotation() != rvrotNone)) return;
    W = GetWidth();
    H = GetHeight();
  }
  const int va = GetVerticalAlign();
  const int D = DocumentHeight;
  switch (rot) {
    case rvrot90: {
      if (va == 1) X += (W - D) / 2;
      else if (va == 2) X += W - D;
      const int x = X;
      X = Y;
      Y = W - x;
      break;
    }
    case rvrot180:
      if (va == 1) Y += (H - D) / 2;
      else if (va == 2) Y += H - D;
      X = W - X;
      Y = H - Y;
      break;
    case rvrot270: {
      if (va == 1) X -= (W - D) / 2;
      else if (va == 2) X += D - W;
      const int x = X;
      X = H - Y;
      Y = x;
      break;
    }
    default:
      if (va == 1) Y -= (H - D) / 2;
      else if (va == 2) Y -= H - D;
      break;
  }
}

void TCustomRVFormattedData::RotateCoordsFromScreenToDocAbs(int& X, int& Y) {
  // From the top of the tree down: each level leaves the point in its own coordinates.
  TCustomRVData* parentData = GetAbsoluteParentData();
  TCustomRVFormattedData* parent = parentData ? parentData->AsFormattedData() : nullptr;
  if (parent) {
    parent->RotateCoordsFromScreenToDocAbs(X, Y);
    int pl, pt, l, t;
    parent->GetOriginEx(pl, pt);
    GetOriginEx(l, t);
    X += pl - l;
    Y += pt - t;
  }
  RotateCoordsFromScreenToDoc(X, Y, true, false);
}

void TCustomRVFormattedData::RotateCoordsFromDocToScreen(int& X, int& Y, TRVTransformBase Base) {
  TCustomRVFormattedData* data = this;
  for (int depth = 0; data && depth < MaxNestingDepth; ++depth) {
    TRVDocRotation rot;
    int W, H;
    if (Base == rvtrbRoot) {
      rot = data->GetRealRotation(true);
      W = data->GetWidth();
      H = data->GetHeight();
    } else {
      rot = data->GetRotation();
      data->GetPrerotatedSize(W, H);
    }
    const int va = data->GetVerticalAlign();
    const int D = data->DocumentHeight;
    switch (rot) {
      case rvrot90: {
        const int xd = X;
        X = W - Y;
        Y = xd;
        if (va == 1) X -= (W - D) / 2;
        else if (va == 2) X -= W - D;
        break;
      }
      case rvrot180:
        X = W - X;
        Y = H - Y;
        if (va == 1) Y -= (H - D) / 2;
        else if (va == 2) Y -= H - D;
        break;
      case rvrot270: {
        const int xd = X;
        X = Y;
        Y = H - xd;
        if (va == 1) X += (W - D + 1) / 2;
        else if (va == 2) X -= D - W;
        break;
      }
      default:
        if (va == 1) Y += (H - D + 1) / 2;
        else if (va == 2) Y += H - D;
        break;
    }
    if (Base == rvtrbLocal) return;
    TCustomRVData* parentData = Base == rvtrbAbsRoot ? data->GetAbsoluteParentData() : data->GetParentData();
    TCustomRVFormattedData* parent = parentData ? parentData->AsFormattedData() : nullptr;
    if (!parent || parent == data) return;
    int pl, pt, l, t;
    parent->GetOriginEx(pl, pt);
    data->GetOriginEx(l, t);
    X += l - pl;
    Y += t - pt;
    data = parent;
  }
}

void TCustomRVFormattedData::RotateRectFromDocToScreen(TRect& R, TRVTransformBase Base) {
  int x1 = R.Left, y1 = R.Top, x2 = R.Right, y2 = R.Bottom;
  RotateCoordsFromDocToScreen(x1, y1, Base);
  RotateCoordsFromDocToScreen(x2, y2, Base);
  R = TRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
}
