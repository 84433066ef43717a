// Formatting a document into draw lines: the whole-document run, the per-item formatter (text
// pieces, inline objects, full-line items, empty text), line starts with their indents, floating
// boxes beside lines and the raising of a line's ascent.
#include <algorithm>

#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVNonTextItems.h"
#include "engine/document/RVTextItems.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/layout/RVFormattingUtils.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"

int TextFitStrategy = 0;
bool BreakLineJustification = false;
int FloatLineMinHeight = 5;
int RVFormattingPixelsPerInch = 0;

TRVFormattingState::TRVFormattingState() = default;
TRVFormattingState::~TRVFormattingState() = default;

namespace {

// Frees the metric cache, the floating lists and the state flags of a run on every path.
struct TFormattingRunGuard {
  TCustomRVFormattedData* Data;
  TRVFormattingState& State;
  ~TFormattingRunGuard() { Data->DoneFormattingState(State); }
};

TParaInfo* ParaOf(TRVStyle* st, int ParaNo) { return st->ParaStyles()->Items(ParaNo); }

}  // namespace

// ---- small queries ------------------------------------------------------------------------------------

TCanvas* TCustomRVFormattedData::GetFormatCanvas() {
  TCanvas* own = GetCanvas();
  TCustomRVData* root = GetAbsoluteRootData();
  TCanvas* c = root ? root->GetFormatCanvasEx(own) : nullptr;
  return c ? c : own;
}

void TCustomRVFormattedData::Format(bool NoCaching, bool AbsRotation) {
  Format_(false, true, false, 0, GetFormatCanvas(), false, NoCaching, false, false, AbsRotation);
}

void TCustomRVFormattedData::InitScreenAndDevice(TCanvas* Canvas, TRVScreenAndDevice& PSaD) {
  TRVStyle* st = GetRVStyle();
  if (RVFormattingPixelsPerInch > 0 || !Canvas || !st) {
    const int ppi = RVFormattingPixelsPerInch > 0 ? RVFormattingPixelsPerInch : GetScreenPixelsPerInch();
    PSaD.ppixScreen = PSaD.ppiyScreen = PSaD.ppixDevice = PSaD.ppiyDevice = ppi;
    return;
  }
  ::InitScreenAndDevice(PSaD, Canvas, st->GetGraphicInterface());
}

void TCustomRVFormattedData::NotifyBeforeFormat() {
  if (!GetFlags().Contains(rvflRoot)) return;
  std::shared_ptr<IRVScaleViroZereInterface> sv = GetScaleViroZereInterface();
  if (sv) sv->DoBeforeFormat(this);
}

void TCustomRVFormattedData::Hiding() {
  for (int i = 0; i < ItemCount(); ++i) GetItem(i)->Hiding();
}

int TCustomRVFormattedData::GetDevLeftMargin(const TRVScreenAndDevice* PSaD) {
  return GetRVStyle()->GetAsDevicePixelsX(GetLeftMargin(), PSaD);
}
int TCustomRVFormattedData::GetDevRightMargin(const TRVScreenAndDevice* PSaD) {
  return GetRVStyle()->GetAsDevicePixelsX(GetRightMargin(), PSaD);
}
int TCustomRVFormattedData::GetDevTopMargin(const TRVScreenAndDevice* PSaD) {
  return GetRVStyle()->GetAsDevicePixelsY(GetTopMargin(), PSaD);
}
int TCustomRVFormattedData::GetDevBottomMargin(const TRVScreenAndDevice* PSaD) {
  return GetRVStyle()->GetAsDevicePixelsY(GetBottomMargin(), PSaD);
}

int TCustomRVFormattedData::GetDisplayedParaNo(int ItemNo) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (GetOptions().Contains(rvoShowHiddenText) || item->CanBeBorderStart()) return item->ParaNo;
  // Hidden items before it may carry the paragraph start: the displayed paragraph takes the
  // number of the item that starts it.
  int i = ItemNo;
  while (i > 0 && !GetItem(i)->CanBeBorderStart()) --i;
  return GetItem(i)->ParaNo == item->ParaNo ? item->ParaNo : (IsHiddenItem(ItemNo) ? item->ParaNo : GetItem(i)->ParaNo);
}

bool TCustomRVFormattedData::IsDisplayedFromNewLine(int ItemNo) {
  if (!GetItem(ItemNo)->GetSameAsPrev()) return true;
  if (GetOptions().Contains(rvoShowHiddenText)) return false;
  for (int i = ItemNo - 1; i >= 0; --i) {
    if (!IsHiddenItem(i)) return false;
    if (!GetItem(i)->GetSameAsPrev()) return true;
  }
  return true;
}

bool TCustomRVFormattedData::IsDisplayedParaStart(int ItemNo) {
  if (GetItem(ItemNo)->CanBeBorderStart()) return true;
  if (GetItem(ItemNo)->GetBR() || GetOptions().Contains(rvoShowHiddenText)) return false;
  for (int i = ItemNo - 1; i >= 0; --i) {
    if (!IsHiddenItem(i)) return false;
    if (GetItem(i)->CanBeBorderStart()) return true;
    if (GetItem(i)->GetBR()) return false;
  }
  return true;
}

int TCustomRVFormattedData::GetDrawItemStyle(int DrawItemNo) {
  return GetActualStyle(GetItem(DrawItems->Get(DrawItemNo)->ItemNo));
}

std::unique_ptr<TRVDrawLineInfo> TCustomRVFormattedData::CreateStandardDrawLineInfo(TCustomRVItemInfo* Item,
                                                                                   int ParaNo) {
  if (Item->GetBoolValue(rvbpFloating)) return std::make_unique<TRVFloatingDrawLineInfo>();
  TParaInfo* para = ParaOf(GetRVStyle(), ParaNo);
  if (para->LineSpacingType == rvlsLineHeightAtLeast || para->LineSpacingType == rvlsLineHeightExact)
    return std::make_unique<TRVComplexLineHeightDrawLineInfo>();
  if ((para->LineSpacingType == rvlsPercent && para->LineSpacing != 100) ||
      (para->LineSpacingType == rvlsSpaceBetween && para->LineSpacing != 0))
    return std::make_unique<TRVSimpleLineHeightDrawLineInfo>();
  if (para->Alignment == rvaJustify || para->Alignment == rvaDistribute || Item->StyleNo == ItemKindListMarker)
    return std::make_unique<TRVJustifyDrawLineInfo>();
  return std::make_unique<TRVDrawLineInfo>();
}

int TCustomRVFormattedData::Item2FirstDrawItem(int ItemNo) {
  if (ItemNo < 0 || ItemNo >= ItemCount()) return -1;
  return GetItem(ItemNo)->DrawItemNo;
}

int TCustomRVFormattedData::Item2LastDrawItem(int ItemNo) {
  int d = Item2FirstDrawItem(ItemNo);
  if (d < 0) return -1;
  while (d + 1 < DrawItems->Count() && DrawItems->Get(d + 1)->ItemNo == ItemNo) ++d;
  return d;
}

void TCustomRVFormattedData::DeleteParas(int FirstItemNo, int LastItemNo) {
  // The draw items of the paragraphs of the range go; the items keep no draw item.
  const int n = DrawItems->Count();
  int first = -1, last = -1;
  for (int i = 0; i < n; ++i) {
    const int it = DrawItems->Get(i)->ItemNo;
    if (it >= FirstItemNo && it <= LastItemNo) {
      if (first < 0) first = i;
      last = i;
    }
  }
  if (first < 0) return;
  DrawItems->MarkForDelete(first, last);
  DrawItems->DeleteMarked();
  for (int i = FirstItemNo; i <= LastItemNo && i < ItemCount(); ++i) GetItem(i)->DrawItemNo = -1;
  for (int i = first; i < DrawItems->Count(); ++i) {
    TRVDrawLineInfo* d = DrawItems->Get(i);
    if (i == 0 || DrawItems->Get(i - 1)->ItemNo != d->ItemNo) GetItem(d->ItemNo)->DrawItemNo = i;
  }
}

// ---- the formatting state ------------------------------------------------------------------------------

void TCustomRVFormattedData::InitFormattingState(TRVFormattingState& S, TCanvas* Canvas, bool NoCaching,
                                                 bool Reformatting, bool ThisLevelOnly) {
  S.X = 0;
  S.PendingGap = 0;
  S.Ascent = 0;
  S.ParaNo = -1;
  S.HardLineStart = true;
  S.LineWidth = 0;
  S.LineLeft = 0;
  S.DrawItemCount = DrawItems->Count();
  S.SkipFirstFinish = true;
  S.TabSection = -1;
  S.CurTextStyle = -1;
  S.ParaFirstItem = -1;
  S.MaxLineChars = GetMaxLength();
  S.WordWrap = GetWordWrap();
  S.NoCaching = NoCaching;
  S.Reformatting = Reformatting;
  S.ThisLevelOnly = ThisLevelOnly;
  S.FormatCanvas = Canvas;
  S.UseRefCanvas = Canvas != GetCanvas();
  S.Trim = GetFlags().Contains(rvflTrim);
  S.Printing = GetFlags().Contains(rvflPrinting);
  S.ShowSpecial = ShowsSpecialCharacters();
  S.WrapMode = GetRVStyle()->LineWrapMode;
  S.DrawingStates = GetDrawingStates(NoCaching, Reformatting, S.UseRefCanvas, ThisLevelOnly);
  InitScreenAndDevice(Canvas, S.SaD);
  S.DevLeftMargin = GetDevLeftMargin(&S.SaD);
  S.DevRightMargin = GetDevRightMargin(&S.SaD);
  S.SaD.LeftMargin = S.DevLeftMargin;
  S.SaD.RightMargin = S.DevRightMargin;
  S.FontCache = CreateFontInfoCache(GetCanvas(), Canvas);
  if (S.FontCache) {
    if (!S.FontCache->PSaD) S.FontCache->PSaD = &S.SaD;
    S.FontCache->Rotation = GetRealRotation(true);
    S.FontCache->UseVerticalFonts = UseVerticalFonts();
  }
}

void TCustomRVFormattedData::DoneFormattingState(TRVFormattingState& S) {
  if (S.FontCache) DestroyFontInfoCache(S.FontCache);
  S.FontCache = nullptr;
  S.FontItem = nullptr;
  S.Floats.reset();
  S.FloatsPlaced.reset();
}

void TCustomRVFormattedData::ApplyTextStyle(int StyleNo, TRVFormattingState& S) {
  S.CurTextStyle = StyleNo;
  S.FontCache->CurParaBiDiMode = S.ParaBiDiMode;
  TRVFontInfoCacheItem* fi = RVCacheItem(S.FontCache, StyleNo);
  S.FontItem = fi;
  S.MeasureCanvas = fi->Canvas;
  S.TMAscent = fi->TextMetric.tmAscent;
  S.TMDescent = fi->TextMetric.tmDescent;
  S.VShift = fi->VerticalOffset;
  S.IsSymbolFont = fi->IsSymbolFont;
}

TSize TCustomRVFormattedData::MeasureText(const WideChar* Str, int Length, TRVFormattingState& S) {
  if (Length <= 0) return TSize(0, S.TMAscent + S.TMDescent);
  TSize sz = GetRVStyle()->GetGraphicInterface()->TextSize(S.MeasureCanvas, Str, Length,
                                                          S.ParaBiDiMode != rvbdUnspecified, S.ShowSpecial);
  sz.cx = RVScaleDownFromRef(sz.cx, S.UseRefCanvas);
  sz.cy = RVScaleDownFromRef(sz.cy, S.UseRefCanvas);
  return sz;
}

// ---- the whole-document run ----------------------------------------------------------------------------

bool TCustomRVFormattedData::Format_(bool OnlyResized, bool ForceFormat, bool NoScroll, int depth, TCanvas* Canvas,
                                     bool OnlyTail, bool NoCaching, bool Reformatting, bool CallOnFormat,
                                     bool AbsRotation) {
  (void)CallOnFormat;
  (void)AbsRotation;
  if (AlreadyFormatted) {
    AlreadyFormatted = false;
    return false;
  }
  TRVStyle* st = GetRVStyle();
  if (depth > 1 || !st || State.Contains(rvstSkipFormatting)) return false;
  if (OnlyTail && LastItemFormatted >= ItemCount() - 1) return false;
  if (!Canvas) Canvas = GetFormatCanvas();
  if (!Canvas) return false;

  bool ran = false;
  int keepItemNo = -1, keepDist = 0, keepScroll = 0;
  int selS = -1, selSO = 0, selE = -1, selEO = 0;
  if (depth == 0) {
    State.Include(rvstSkipFormatting);
    State.Include(rvstFormatting);
    NotifyBeforeFormat();
    if (OnlyResized) {
      GetSelectionBoundsEx(selS, selSO, selE, selEO, false);
      if (!NoScroll && DrawItems->Count() > 0) {
        const int v = GetVOffs();
        int d = 0;
        while (d + 1 < DrawItems->Count() && DrawItems->Get(d + 1)->Top <= v) ++d;
        keepItemNo = DrawItems->Get(d)->ItemNo;
        d = Item2FirstDrawItem(keepItemNo);
        keepDist = v - (d >= 0 ? DrawItems->Get(d)->Top : 0);
      }
    }
    if (OnlyTail) keepScroll = GetVOffs();
  }
  const int oldAreaW = GetAreaWidth(), oldAreaH = GetAreaHeight();
  try {
    TRVScreenAndDevice sad;
    InitScreenAndDevice(Canvas, sad);
    const int lm = GetDevLeftMargin(&sad), rm = GetDevRightMargin(&sad);
    const int first = OnlyTail ? LastItemFormatted + 1 : 0;
    const int oldTextWidth = TextWidth, oldDocWidth = DocumentWidth;
    const int minText = GetMinTextWidth();
    DocumentWidth = std::max(GetWidthRot() - lm - rm, ItemCount() > 0 ? CalculateMinDocWidthPlus(first, &sad, Canvas) : 0);
    DocumentWidth = std::max(DocumentWidth, minText);
    if (GetOptions().Contains(rvoClientTextWidth))
      TextWidth = std::max(GetWidthRot() - lm - rm, minText);
    else if (GetMaxTextWidth() < 1)
      TextWidth = DocumentWidth;
    else
      TextWidth = std::min(GetMaxTextWidth(), DocumentWidth);

    if ((!OnlyResized && depth == 0) || TextWidth != oldTextWidth ||
        (!GetFlags().Contains(rvflRoot) && DocumentWidth != oldDocWidth) || ForceFormat) {
      ran = true;
      int y;
      if (OnlyTail) {
        y = DocumentHeight - GetDevBottomMargin(&sad);
        if (LastItemFormatted >= 0)
          y -= st->GetAsDevicePixelsY(ParaOf(st, GetItemPara(LastItemFormatted))->GetSpaceAfter(), &sad);
      } else {
        ClearTemporal();
        y = GetDevTopMargin(&sad);
      }
      TRVFormattingState S;
      TFormattingRunGuard guard{this, S};
      InitFormattingState(S, Canvas, NoCaching, Reformatting, false);
      S.BaseLineY = y;
      int lastVisible = -1;
      const bool shared = SharesItemList();
      for (int i = first; i < ItemCount(); ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (IsInvisibleItem(i)) {
          if (!shared) {
            item->DrawItemNo = -1;
            item->JumpID = -1;
            item->Hiding();
          }
          continue;
        }
        if (IsDisplayedParaStart(i)) S.ParaFirstItem = i;
        FormatItemLines(i, Canvas, &S.SaD, S);
        lastVisible = i;
      }
      FinishTabSection(S);
      int extraBelow = 0;
      FinishLine(&S.SaD, !State.Contains(rvstLastParaAborted), extraBelow, S);
      S.BaseLineY += extraBelow;
      const int bm = GetDevBottomMargin(&sad);
      DocumentHeight = bm + S.BaseLineY + S.PendingGap;
      if (lastVisible >= 0) DocumentHeight += st->GetAsDevicePixelsY(ParaOf(st, GetDisplayedParaNo(lastVisible))->GetSpaceAfter(), &sad);
      if (S.Floats) DocumentHeight = std::max(DocumentHeight, bm + S.Floats->GetFloatBottom());
      AdjustVScrollUnits();
    }
  } catch (...) {
    if (depth == 0) {
      LastItemFormatted = ItemCount() - 1;
      State.Exclude(rvstSkipFormatting);
      State.Exclude(rvstFormatting);
      EnsureEmptyParagraph(0, ItemCount() - 1, false);
    }
    throw;
  }

  AlreadyFormatted = true;
  if (IsVerticalText())
    SetDocumentAreaSize(DocumentHeight, GetAreaHeight(), true, true);
  else
    SetDocumentAreaSize(GetLeftMargin() + DocumentWidth + GetRightMargin(), DocumentHeight, true, true);
  AlreadyFormatted = false;
  if (GetAreaWidth() != oldAreaW || GetAreaHeight() != oldAreaH) {
    const bool hadSkip = State.Contains(rvstSkipFormatting);
    State.Exclude(rvstSkipFormatting);
    State.Exclude(rvstFormatting);
    Format_(OnlyResized, false, false, depth + 1, Canvas, false, NoCaching, Reformatting, false, AbsRotation);
    if (hadSkip) {
      State.Include(rvstSkipFormatting);
      State.Include(rvstFormatting);
    }
  }

  if (depth == 0) {
    if (OnlyResized && !NoScroll) {
      const int d = keepItemNo >= 0 ? Item2FirstDrawItem(keepItemNo) : -1;
      if (d >= 0)
        ScrollTo(DrawItems->Get(d)->Top + keepDist, false);
      else if (keepItemNo >= 0)
        ScrollTo(0, false);
    }
    AdjustChildrenCoords();
    if (OnlyTail) ScrollTo(GetOptions().Contains(rvoScrollToEnd) ? DocumentHeight : keepScroll, false);
    if (OnlyResized && selS >= 0) {
      // Back to draw-item terms.
      auto toDraw = [this](int ItemNo, int Offs, int& DNo, int& DOffs) {
        DNo = -1;
        DOffs = 0;
        int d = Item2FirstDrawItem(ItemNo);
        if (d < 0) return;
        if (GetItem(ItemNo)->StyleNo < 0) {
          DNo = d;
          DOffs = Offs;
          return;
        }
        while (d + 1 < DrawItems->Count() && DrawItems->Get(d + 1)->ItemNo == ItemNo &&
               DrawItems->Get(d + 1)->Offs <= Offs)
          ++d;
        DNo = d;
        DOffs = Offs - DrawItems->Get(d)->Offs + 1;
      };
      toDraw(selS, selSO, FSelStartNo, FSelStartOffs);
      toDraw(selE, selEO, FSelEndNo, FSelEndOffs);
    }
    LastItemFormatted = ItemCount() - 1;
    State.Exclude(rvstSkipFormatting);
    State.Exclude(rvstFormatting);
    EnsureEmptyParagraph(0, ItemCount() - 1, false);
    ResetCaretBlinking();
  } else {
    LastItemFormatted = ItemCount() - 1;
  }
  return ran;
}

// ---- one item ------------------------------------------------------------------------------------------

void TCustomRVFormattedData::FormatItemLines(int ItemNo, TCanvas* Canvas, const TRVScreenAndDevice* PSaD,
                                             TRVFormattingState& S) {
  (void)Canvas;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  TRVStyle* st = GetRVStyle();
  const int paraNo = GetDisplayedParaNo(ItemNo);
  if (paraNo != S.ParaNo || !S.ParaInfo) {
    S.ParaNo = paraNo;
    S.ParaInfo = ParaOf(st, paraNo);
    const TRVBiDiMode bidi = GetParaBiDiMode(paraNo);
    if (bidi != S.ParaBiDiMode) {
      S.ParaBiDiMode = bidi;
      S.CurTextStyle = -1;
    }
    S.NoWrap = S.ParaInfo->Options.Contains(rvpaoNoWrap) || !S.WordWrap;
  }
  // A line starts at an item shown from a new line and after a full-line item.
  bool fromNewLine = IsDisplayedFromNewLine(ItemNo);
  if (!fromNewLine && S.DrawItemCount > 0 &&
      GetItem(DrawItems->Get(S.DrawItemCount - 1)->ItemNo)->GetBoolValue(rvbpFullWidth))
    fromNewLine = true;
  S.ItemFromNewLine = fromNewLine;
  if (fromNewLine) {
    S.HardLineStart = true;
    S.SpaceConsumed = false;
  }
  if (item->StyleNo >= 0) {
    if (item->ItemText.empty())
      FormatEmptyTextItem(ItemNo, PSaD, S);
    else
      FormatTextItem(ItemNo, PSaD, S);
    if (item->GetBoolValueEx(rvbpJump, st)) item->JumpID = item->ItemText.empty() ? -3 : nJmps++;
  } else if (dynamic_cast<TRVSimpleRectItemInfo*>(item)) {
    if (item->GetBoolValue(rvbpDrawingChangesFont)) S.CurTextStyle = -1;
    if (item->GetBoolValueEx(rvbpJump, st)) item->JumpID = nJmps++;
    FormatNonTextItem(ItemNo, PSaD, S);
  } else {
    FormatFullLineItem(ItemNo, PSaD, S);
  }
}

void TCustomRVFormattedData::InsertDrawItem(std::unique_ptr<TRVDrawLineInfo> DrawItem, int ItemNo,
                                            TRVFormattingState& S) {
  const int index = S.DrawItemCount;
  TRVDrawLineInfo* d = DrawItem.release();
  DrawItems->Insert(index, d);
  if (d->FromNewLine) S.FirstDrawItemOfLine = index;
  ++S.DrawItemCount;
  if (!SharesItemList()) {
    TCustomRVItemInfo* item = GetItem(ItemNo);
    if (index == 0 || DrawItems->Get(index - 1)->ItemNo != ItemNo) item->DrawItemNo = index;
  }
}

// Whether the line being filled holds only floating boxes so far, and whether its last draw item
// is a list marker.
static bool LastOnLineIsMarker(TCustomRVFormattedData* D, TRVFormattingState& S) {
  if (S.OnlyFloatsOnLine || S.DrawItemCount == 0) return false;
  return D->GetItem(D->DrawItems->Get(S.DrawItemCount - 1)->ItemNo)->StyleNo == ItemKindListMarker;
}

void TCustomRVFormattedData::AddTextDrawItem(int ItemNo, int Pos, int Count, const TSize& Size, bool NewLine,
                                             TRVFormattingState& S) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  std::unique_ptr<TRVDrawLineInfo> d = CreateStandardDrawLineInfo(item, S.ParaNo);
  const TRVLineSpacingType ls = S.ParaInfo->LineSpacingType;
  const int textAscent = S.TMAscent + S.VShift;
  d->ItemNo = ItemNo;
  d->Offs = Pos + 1;
  d->TextLength = Count;
  d->Width = Size.cx;
  d->Height = Size.cy;
  if (NewLine) {
    d->FromNewLine = true;
    d->FromNewPara = Pos == 0 && S.ItemFromNewLine;
    d->FloatingAboveUsed = S.LineMovedByFloats || (S.Floats && S.Floats->Count() > 0);
    S.X = 0;
    int asc = textAscent;
    if (ls == rvlsLineHeightExact || (ls == rvlsLineHeightAtLeast && asc < S.FixedAscent)) asc = S.FixedAscent;
    S.Ascent = asc;
    S.BaseLineY += S.PendingGap + asc;
    S.PendingGap = S.TMDescent - S.VShift;
  } else {
    RaiseLineAscent(textAscent, S);
    S.PendingGap = std::max(S.PendingGap, S.TMDescent - S.VShift);
  }
  if (ls == rvlsLineHeightExact)
    S.PendingGap = S.FixedDescent;
  else if (ls == rvlsLineHeightAtLeast)
    S.PendingGap = std::max(S.PendingGap, S.FixedDescent);
  d->Left = S.LineLeft + S.X;
  d->Top = S.BaseLineY - textAscent;
  d->BaseLine = S.BaseLineY - S.VShift;
  S.LineChars += Count;
  S.X += Size.cx;
  S.OnlyFloatsOnLine = false;
  InsertDrawItem(std::move(d), ItemNo, S);
}

void TCustomRVFormattedData::FormatTextItem(int ItemNo, const TRVScreenAndDevice* PSaD, TRVFormattingState& S) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  TRVStyle* st = GetRVStyle();
  const int style = GetActualStyle(item);
  if (style != S.CurTextStyle) ApplyTextStyle(style, S);
  // The display text has the length of the item's text; it is copied only when it differs.
  const TRVUnicodeString& src = item->ItemText;
  const WideChar* text = src.data();
  const int len = static_cast<int>(src.size());
  TFontInfo* fi = st->TextStyles()->Items(style);
  bool transform = fi->StyleEx.Contains(rvfsAllCaps);
  if (!transform)
    for (int i = 0; i < len; ++i)
      if (text[i] == 0x2011 || (text[i] == 0x00AD && S.ShowSpecial)) {
        transform = true;
        break;
      }
  if (transform) {
    TransformTextForDisplaySimple(src, fi->StyleEx.Contains(rvfsAllCaps), false, S.DisplayText, false, false,
                                  S.ShowSpecial);
    text = S.DisplayText.data();
  }

  int pos = 0;
  bool needNewLine = S.HardLineStart;
  bool afterMarker = !needNewLine && LastOnLineIsMarker(this, S);
  bool newLine = false;  // the next piece starts the line
  while (pos < len) {
    if (needNewLine) {
      const bool wasHard = S.HardLineStart;
      StartNewLine(item, ItemNo, !wasHard, PSaD, S);
      S.HardLineStart = false;
      if (S.CurTextStyle != style) ApplyTextStyle(style, S);
      S.X = 0;
      needNewLine = false;
      newLine = true;
      afterMarker = false;
      if (S.Trim && !wasHard && !S.SpaceConsumed && len - pos > 1 && text[pos] == u' ') ++pos;
    }
    const int N = len - pos;
    const int avail = std::max(0, S.LineWidth - S.X);
    const bool limited = S.MaxLineChars > 0 && !S.NoWrap;
    TSize size;
    int count;
    if (limited && S.LineChars >= S.MaxLineChars)
      count = 0;
    else
      count = FitTextToWidth(text + pos, N, avail, S, size);
    if (limited && count > S.MaxLineChars - S.LineChars) {
      count = std::max(0, S.MaxLineChars - S.LineChars);
      size = MeasureText(text + pos, count, S);
    }
    const bool forceOne = S.OnlyFloatsOnLine || afterMarker;
    int piece = count;
    bool consumed = false;
    if (count == 0) {
      if (!forceOne) {
        needNewLine = true;
        continue;
      }
      piece = (N > 1 && RVIsHighSurrogate(text[pos]) && RVIsLowSurrogate(text[pos + 1])) ? 2 : 1;
    } else if (count < N && S.WrapMode != rvWrapAnywhere) {
      const bool nextNewLine = NextVisibleStartsLine(ItemNo);
      piece = ChooseTextBreak(text + pos, N, count, false, nextNewLine, forceOne, ItemNo, S, consumed);
    }
    // With the normal mode a piece that ends the item must leave room for the rest of its word.
    if (piece > 0 && S.WrapMode == rvWrapNormal && !S.NoWrap && piece + (consumed ? 1 : 0) >= N &&
        !consumed) {
      if (piece != count) size = MeasureText(text + pos, piece, S);
      if (!RestOfWordFits(ItemNo, 0, size.cx, S)) {
        int c = N;
        while (c > 0 && text[pos + c - 1] == u' ') --c;
        c -= 1;
        if (limited) c = std::min(c, S.MaxLineChars - S.LineChars);
        int retry = -1;
        bool rc = false;
        if (c > 0) {
          const int r = RVFindBreakBefore(text + pos, N, c, false, true);
          if (r >= 0) {
            rc = false;
            retry = PieceFromBreak(text + pos, r, S, rc);
          }
        }
        if (retry > 0) {
          piece = retry;
          consumed = rc;
        } else if (!forceOne && CanBreakBeforeItem(ItemNo, S)) {
          piece = 0;
        } else {
          piece = N;
          consumed = false;
        }
      }
    }
    if (piece == 0) {
      if (forceOne) {
        piece = (N > 1 && RVIsHighSurrogate(text[pos]) && RVIsLowSurrogate(text[pos + 1])) ? 2 : 1;
      } else {
        needNewLine = true;
        continue;
      }
    }
    if (piece != count || consumed) size = MeasureText(text + pos, piece, S);
    else if (count == 0) size = MeasureText(text + pos, piece, S);
    AddTextDrawItem(ItemNo, pos, piece, size, newLine, S);
    newLine = false;
    pos += piece;
    S.SpaceConsumed = consumed;
    if (consumed) ++pos;
    if (pos < len) needNewLine = true;
  }
}

void TCustomRVFormattedData::FormatEmptyTextItem(int ItemNo, const TRVScreenAndDevice* PSaD, TRVFormattingState& S) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  TRVStyle* st = GetRVStyle();
  const int style = GetActualStyle(item);
  if (style != S.CurTextStyle) ApplyTextStyle(style, S);
  const int emptyWidth = std::max(0, st->GetAsDevicePixelsX(st->TextStyles()->Items(style)->EmptyWidth, PSaD));
  bool newLine = S.HardLineStart;
  if (!newLine && emptyWidth >= 1 && !S.OnlyFloatsOnLine) {
    if (S.WrapMode == rvWrapNormal)
      newLine = !RestOfWordFits(ItemNo, 0, emptyWidth, S);
    else
      newLine = S.LineWidth - S.X < emptyWidth && !S.NoWrap;
  }
  if (newLine) {
    const bool wasHard = S.HardLineStart;
    StartNewLine(item, ItemNo, !wasHard, PSaD, S);
    S.HardLineStart = false;
    if (S.CurTextStyle != style) ApplyTextStyle(style, S);
  }
  TSize size(emptyWidth, S.FontItem->EmptyLineHeight);
  AddTextDrawItem(ItemNo, 0, 0, size, newLine, S);
  // An empty text item does not mark a paragraph start for partial reformatting.
  DrawItems->Get(S.DrawItemCount - 1)->FromNewPara = false;
  S.SpaceConsumed = false;
}

// ---- inline objects ------------------------------------------------------------------------------------

void TCustomRVFormattedData::FormatNonTextItem(int ItemNo, const TRVScreenAndDevice* PSaD, TRVFormattingState& S) {
  auto* item = static_cast<TRVNonTextItemInfo*>(GetItem(ItemNo));
  TRVStyle* st = GetRVStyle();
  auto* rect = dynamic_cast<TRVRectItemInfo*>(item);
  if (!SharesItemList()) item->Unhiding(this);
  std::unique_ptr<TRVDrawLineInfo> d = CreateStandardDrawLineInfo(item, S.ParaNo);
  TParaInfo* para = S.ParaInfo;
  int hShift = 0, desc = 1;
  const int docWidth = TextWidth - st->GetAsDevicePixelsX(para->LeftIndent, PSaD) -
                       st->GetAsDevicePixelsX(para->RightIndent, PSaD) -
                       st->GetAsDevicePixelsX(para->FirstIndent, PSaD);
  item->OnDocWidthChange(docWidth, d.get(), S.FormatCanvas, this, PSaD, hShift, desc, S.DrawingStates);
  if (item->GetBoolValue(rvbpDrawingChangesFont)) S.CurTextStyle = -1;
  const bool floating = item->GetBoolValue(rvbpFloating);
  int w, h;
  if (floating) {
    w = 0;
    h = 1;
    desc = 0;
  } else if (item->GetBoolValueEx(rvbpActualPrintSize, st)) {
    w = d->Width;
    h = d->Height;
  } else if (S.Printing) {
    w = item->GetWidthEx(st, PSaD);
    h = item->GetHeightEx(st, PSaD);
    if (PSaD) desc = ScreenToDeviceY(desc, *PSaD);
  } else {
    w = item->GetWidth(st);
    h = item->GetHeight(st);
  }
  const bool isTab = item->StyleNo == ItemKindTab;
  if (isTab) {
    FinishTabSection(S);
    int stop = 0;
    TRVUnicodeString leader;
    TRVTabAlign align = rvtaLeft;
    st->GetNextTab(S.ParaNo, S.LineLeft + S.X, S.SaD, stop, leader, align, S.ParaBiDiMode, S.LeftIndent,
                   S.RightIndent);
    w = std::max(0, stop - (S.LineLeft + S.X));
    if (stop <= S.LineLeft + S.LineWidth) {
      if (align == rvtaRight)
        w = 0;
      else if (align == rvtaCenter)
        w = std::max(0, w - (S.LineLeft + S.LineWidth - stop));
    }
  }
  // Vertical shift and ascent.
  int vshift = 0;
  if (!floating) {
    const int ass = item->GetAssociatedTextStyleNo();
    if (ass >= 0) {
      if (ass != S.CurTextStyle) ApplyTextStyle(ass, S);
      vshift = S.VShift;
    } else if (rect) {
      vshift = rect->VShiftAbs ? st->GetAsDevicePixelsY(rect->VShift, PSaD) : MulDiv(h, rect->VShift, 100);
    }
  }
  bool absAlign = false;
  int asc = h - desc;
  if (rect) {
    switch (rect->VAlign) {
      case rvvaMiddle: asc = h / 2; break;
      case rvvaAbsTop:
      case rvvaAbsBottom:
      case rvvaAbsMiddle:
        asc = 0;
        absAlign = true;
        break;
      default: break;
    }
  }
  asc += vshift;
  if (absAlign) S.LineHasAbsVAlign = true;
  const TRVLineSpacingType ls = para->LineSpacingType;
  // A new line?
  const bool afterMarker = LastOnLineIsMarker(this, S);
  bool newLine = S.HardLineStart;
  if (!newLine && !afterMarker && !S.OnlyFloatsOnLine && !floating) {
    if (S.WrapMode == rvWrapNormal && !S.NoWrap)
      newLine = !RestOfWordFits(ItemNo, 0, w + hShift, S);
    else
      newLine = !S.NoWrap &&
                (S.LineWidth < S.X + w || (S.MaxLineChars > 0 && S.LineChars >= S.MaxLineChars));
  }
  if (newLine) {
    const bool wasHard = S.HardLineStart;
    StartNewLine(item, ItemNo, !wasHard, PSaD, S);
    S.HardLineStart = false;
    S.X = 0;
    d->FromNewLine = true;
    d->FromNewPara = S.ItemFromNewLine;
    d->FloatingAboveUsed = S.LineMovedByFloats || (S.Floats && S.Floats->Count() > 0);
    int a = asc;
    if (ls == rvlsLineHeightExact || (ls == rvlsLineHeightAtLeast && a < S.FixedAscent)) a = S.FixedAscent;
    S.Ascent = a;
    S.BaseLineY += S.PendingGap + a;
    S.PendingGap = absAlign ? 0 : h - asc;
  } else {
    RaiseLineAscent(asc, S);
    if (!absAlign) S.PendingGap = std::max(S.PendingGap, h - asc);
  }
  if (ls == rvlsLineHeightExact)
    S.PendingGap = S.FixedDescent;
  else if (ls == rvlsLineHeightAtLeast)
    S.PendingGap = std::max(S.PendingGap, S.FixedDescent);
  S.LineChars += 1;
  const int left = S.LineLeft + S.X + hShift;
  if (isTab) {
    auto* tab = static_cast<TRVTabItemInfo*>(item);
    int stop = 0;
    TRVUnicodeString leader;
    TRVTabAlign align = rvtaLeft;
    st->GetNextTab(S.ParaNo, left, S.SaD, stop, leader, align, S.ParaBiDiMode, S.LeftIndent, S.RightIndent);
    tab->Leader = leader;
    tab->Align = align;
    w = std::max(0, stop - left);
    if (align == rvtaRight || align == rvtaCenter) {
      if (align == rvtaRight)
        w = 0;
      else
        w = std::max(0, (stop - left) - (S.LineLeft + S.LineWidth - stop));
      S.TabSection = S.DrawItemCount;
      S.TabAlign = align;
      S.TabPos = stop;
    }
  }
  S.X += w + hShift;
  d->Left = left;
  d->Top = S.BaseLineY - asc;
  d->Width = w;
  d->Height = h;
  d->BaseLine = d->Top + h - desc;
  d->ItemNo = ItemNo;
  d->Offs = 0;
  d->TextLength = 0;
  const int index = S.DrawItemCount;
  InsertDrawItem(std::move(d), ItemNo, S);
  TCustomRVData* absRoot = GetAbsoluteRootData();
  if (absRoot && absRoot->GetFlags().Contains(rvflUseJumps)) item->BuildJumps(nJmps);
  if (item->GetBoolValue(rvbpPlaceholder)) S.LineHasPlaceholder = true;
  S.SpaceConsumed = false;
  if (floating) {
    S.LineHasFloat = true;
    if (S.OnlyFloatsOnLine) {
      PlaceFloatingItem(S, PSaD, index, S.LineTop);
      AdjustLineToFloats(ItemNo, PSaD, S);
      for (int i = S.FirstDrawItemOfLine; i <= index; ++i) DrawItems->Get(i)->Left = S.LineLeft + S.X;
    }
  } else {
    S.OnlyFloatsOnLine = false;
  }
}

// ---- full-line items -----------------------------------------------------------------------------------

void TCustomRVFormattedData::FormatFullLineItem(int ItemNo, const TRVScreenAndDevice* PSaD, TRVFormattingState& S) {
  auto* item = static_cast<TRVNonTextItemInfo*>(GetItem(ItemNo));
  TRVStyle* st = GetRVStyle();
  FinishTabSection(S);
  int extraBelow = 0;
  FinishLine(PSaD, true, extraBelow, S);
  if (S.FloatsPlaced) S.FloatsPlaced->Clear();
  S.BaseLineY += extraBelow;
  const bool ignorePara = item->GetBoolValue(rvbpIgnorePara);
  const int prev = PrevVisibleItem(ItemNo);
  if (prev >= 0) S.PendingGap += st->GetAsDevicePixelsY(ParaOf(st, GetDisplayedParaNo(prev))->GetSpaceAfter(), PSaD);
  TParaInfo* para = ParaOf(st, ignorePara ? 0 : S.ParaNo);
  S.PendingGap += st->GetAsDevicePixelsY(para->GetSpaceBefore(), PSaD);
  const int li = ignorePara ? 0 : st->GetAsDevicePixelsX(S.ParaInfo->LeftIndent, PSaD);
  const int ri = ignorePara ? 0 : st->GetAsDevicePixelsX(S.ParaInfo->RightIndent, PSaD);
  const int y0 = S.BaseLineY + S.PendingGap;
  int y = y0;
  int lineWidth = TextWidth - li - ri;
  int leftEdge = S.DevLeftMargin + li;
  S.LeftBound = leftEdge;
  S.RightBound = leftEdge + lineWidth;
  if (S.Floats) {
    const bool clearL = item->GetClearLeft() || item->GetPageBreakBefore();
    const bool clearR = item->GetClearRight() || item->GetPageBreakBefore();
    RVAdjustLineSize(S.Floats.get(), S.LeftBound, CalculateMinLineWidth(ItemNo, PSaD, S.FormatCanvas), S.RightBound,
                     y, leftEdge, lineWidth, true, clearL, clearR, S.FloatsPlaced.get());
    S.CurTextStyle = -1;
  }
  if (!SharesItemList()) item->Unhiding(this);
  std::unique_ptr<TRVDrawLineInfo> d;
  if (S.Printing && PSaD) d = item->CreatePrintingDrawItem(this, ParaOf(st, S.ParaNo), *PSaD);
  if (!d) d = CreateStandardDrawLineInfo(item, S.ParaNo);
  int hShift = 0, desc = 0;
  item->OnDocWidthChange(lineWidth, d.get(), S.FormatCanvas, this, PSaD, hShift, desc, S.DrawingStates);
  const bool printsItself = S.Printing && d->PrintsFullLineItem();
  if (printsItself) d->LayOutForPrinting(lineWidth, S.FormatCanvas);
  if (item->GetBoolValue(rvbpDrawingChangesFont)) S.CurTextStyle = -1;
  int w = d->Width, h = d->Height;
  if (!printsItself && !item->GetBoolValueEx(rvbpActualPrintSize, st)) {
    if (S.Printing) {
      w = item->GetWidthEx(st, PSaD);
      h = item->GetHeightEx(st, PSaD);
    } else {
      w = item->GetWidth(st);
      h = item->GetHeight(st);
    }
  }
  int left = leftEdge;
  if (ignorePara)
    left += std::max(0, (lineWidth - w) / 2);
  else if (S.ParaInfo->Alignment == rvaRight)
    left += lineWidth - w;
  else if (S.ParaInfo->Alignment == rvaCenter)
    left += (lineWidth - w) / 2;
  left += hShift;
  d->Left = left;
  d->Top = y;
  d->Width = w;
  d->Height = h;
  d->BaseLine = y + h;
  d->ItemNo = ItemNo;
  d->Offs = 0;
  d->TextLength = 0;
  d->FromNewLine = true;
  d->FromNewPara = false;
  d->FloatingAboveUsed = y != y0 || (S.Floats && S.Floats->Count() > 0);
  S.BaseLineY = y + h;
  S.Ascent = h;
  S.PendingGap = 0;
  S.X = w;
  S.LineLeft = left;
  S.LineWidth = w;
  S.LineTop = y;
  InsertDrawItem(std::move(d), ItemNo, S);
  S.OnlyFloatsOnLine = false;
  S.HardLineStart = true;
  S.SpaceConsumed = false;
}

int TCustomRVFormattedData::PrevVisibleItem(int ItemNo) {
  for (int i = ItemNo - 1; i >= 0; --i)
    if (!IsInvisibleItem(i)) return i;
  return -1;
}

bool TCustomRVFormattedData::NextVisibleStartsLine(int ItemNo) {
  for (int i = ItemNo + 1; i < ItemCount(); ++i) {
    if (IsInvisibleItem(i)) continue;
    return !GetItem(i)->GetSameAsPrev() || GetItem(i)->GetBoolValue(rvbpFullWidth);
  }
  return true;
}

// ---- line starts ---------------------------------------------------------------------------------------

void TCustomRVFormattedData::GetLineIndents(int ItemNo, bool HardStart, const TRVScreenAndDevice* PSaD,
                                            TRVFormattingState& S) {
  TRVStyle* st = GetRVStyle();
  TParaInfo* para = S.ParaInfo;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  S.LeftIndent = st->GetAsDevicePixelsX(para->LeftIndent, PSaD);
  S.RightIndent = st->GetAsDevicePixelsX(para->RightIndent, PSaD);
  S.FirstIndent = 0;
  bool hard = HardStart;
  const bool firstParaAborted = State.Contains(rvstFirstParaAborted) && S.ParaFirstItem == FirstVisibleParaItem();
  if (firstParaAborted && S.ParaFirstItem >= 0 && !item->GetBR() && ItemNo == S.ParaFirstItem) hard = false;
  if (hard && !item->GetBR() && !item->GetBoolValue(rvbpFullWidth))
    S.FirstIndent = st->GetAsDevicePixelsX(para->FirstIndent, PSaD);
  // List paragraphs take their indents from the level of their marker.
  TRVListLevel* level = nullptr;
  if (S.ParaFirstItem >= 0 && S.ParaFirstItem < ItemCount()) {
    auto* marker = dynamic_cast<TRVMarkerItemInfo*>(GetItem(S.ParaFirstItem));
    if (marker) level = marker->GetLevelInfo(st);
  }
  if (!level && firstParaAborted) {
    int listNo, levelNo;
    if (GetFirstParaListInfo(listNo, levelNo) && RVInRange(listNo, st->ListStyles()->Count())) {
      TRVListInfo* list = st->ListStyles()->Items(listNo);
      if (RVInRange(levelNo, list->Levels()->Count())) level = list->Levels()->Items(levelNo);
    }
  }
  if (level) {
    int v;
    if (hard)
      v = st->GetAsDevicePixelsX(item->GetBR() ? level->LeftIndent : level->MarkerIndent, PSaD);
    else
      v = st->GetAsDevicePixelsX(level->LeftIndent, PSaD);
    S.FirstIndent = 0;
    if (S.ParaBiDiMode == rvbdRightToLeft)
      S.RightIndent = v;
    else
      S.LeftIndent = v;
  }
}

int TCustomRVFormattedData::FirstVisibleParaItem() {
  for (int i = 0; i < ItemCount(); ++i)
    if (!IsInvisibleItem(i)) return i;
  return -1;
}

void TCustomRVFormattedData::StartNewLine(TCustomRVItemInfo* Item, int ItemNo, bool IsWrap,
                                          const TRVScreenAndDevice* PSaD, TRVFormattingState& S) {
  TRVStyle* st = GetRVStyle();
  // 1. The space at which the previous line wrapped goes.
  if (IsWrap && S.Trim && !S.SpaceConsumed && S.DrawItemCount > 0) {
    TRVDrawLineInfo* last = DrawItems->Get(S.DrawItemCount - 1);
    TCustomRVItemInfo* lastItem = GetItem(last->ItemNo);
    if (lastItem->StyleNo >= 0 && last->TextLength > 0 &&
        lastItem->ItemText[last->Offs - 1 + last->TextLength - 1] == u' ') {
      if (last->TextLength == 1 && !last->FromNewLine && S.DrawItemCount >= 2 &&
          DrawItems->Get(S.DrawItemCount - 2)->ItemNo == last->ItemNo) {
        DrawItems->Delete(S.DrawItemCount - 1);
        --S.DrawItemCount;
      } else {
        --last->TextLength;
        const int cur = S.CurTextStyle;
        const int lastStyle = GetActualStyle(lastItem);
        if (lastStyle != cur) ApplyTextStyle(lastStyle, S);
        last->Width = MeasureText(lastItem->ItemText.data() + last->Offs - 1, last->TextLength, S).cx;
        const int itemStyle = Item->StyleNo >= 0 ? GetActualStyle(Item) : -1;
        if (itemStyle >= 0 && itemStyle != S.CurTextStyle) ApplyTextStyle(itemStyle, S);
      }
      S.SpaceConsumed = true;
    }
  }
  // 2. A line that wrapped after a soft hyphen shows the hyphen.
  if (IsWrap && S.DrawItemCount > 0) {
    TRVDrawLineInfo* last = DrawItems->Get(S.DrawItemCount - 1);
    TCustomRVItemInfo* lastItem = GetItem(last->ItemNo);
    if (lastItem->StyleNo >= 0 && last->TextLength > 0 &&
        lastItem->ItemText[last->Offs - 1 + last->TextLength - 1] == RV_SHY &&
        !(S.ShowSpecial && ShownSpecialCharacters.Contains(rvspcSoftHyphen))) {
      const int lastStyle = GetActualStyle(lastItem);
      TRVFontInfoCacheItem* fi = lastStyle == S.CurTextStyle ? S.FontItem : RVCacheItem(S.FontCache, lastStyle);
      if (lastStyle != S.CurTextStyle) S.CurTextStyle = -1;
      if (!fi->IsSymbolFont) last->Width += fi->HyphenWidth;
      if (S.CurTextStyle == -1 && Item->StyleNo >= 0) ApplyTextStyle(GetActualStyle(Item), S);
    }
  }
  // 3. The previous line is finished.
  FinishTabSection(S);
  int extraBelow = 0;
  FinishLine(PSaD, !IsWrap, extraBelow, S);
  // 4. Indents and paragraph spacing.
  GetLineIndents(ItemNo, !IsWrap, PSaD, S);
  if (!IsWrap && IsDisplayedParaStart(ItemNo)) {
    const int prev = PrevVisibleItem(ItemNo);
    if (prev >= 0) S.PendingGap += st->GetAsDevicePixelsY(ParaOf(st, GetDisplayedParaNo(prev))->GetSpaceAfter(), PSaD);
    TParaInfo* para = Item->GetBoolValue(rvbpIgnorePara) ? ParaOf(st, 0) : S.ParaInfo;
    S.PendingGap += st->GetAsDevicePixelsY(para->GetSpaceBefore(), PSaD);
  }
  // 5. Bounds of the line.
  S.BaseLineY += extraBelow;
  S.LineTop = S.BaseLineY + S.PendingGap;
  const int full = S.NoWrap ? DocumentWidth : TextWidth;
  S.LineWidth = full - S.LeftIndent - S.RightIndent - S.FirstIndent;
  S.LeftBound = S.DevLeftMargin + S.LeftIndent;
  S.RightBound = full + S.DevLeftMargin - S.RightIndent;
  if (!IsWrap && S.FloatsPlaced) S.FloatsPlaced->Clear();
  // 6. Floating boxes narrow it.
  S.LineLeft = S.DevLeftMargin + S.LeftIndent + S.FirstIndent;
  AdjustLineToFloats(ItemNo, PSaD, S);
  // 7. A fresh line.
  S.Ascent = 0;
  S.LineChars = 0;
  S.LineHasFloat = false;
  S.LineHasPlaceholder = false;
  S.LineHasAbsVAlign = false;
  S.OnlyFloatsOnLine = true;
  S.FirstDrawItemOfLine = S.DrawItemCount;
  const TRVLineSpacingType ls = S.ParaInfo->LineSpacingType;
  if (ls == rvlsLineHeightAtLeast || ls == rvlsLineHeightExact) {
    const int L = std::max(4, st->GetAsDevicePixelsY(S.ParaInfo->LineSpacing, PSaD));
    S.FixedAscent = RVDivRoundEven(static_cast<long long>(L) * 8, 10);
    S.FixedDescent = L - S.FixedAscent;
  }
}

void TCustomRVFormattedData::AdjustLineToFloats(int ItemNo, const TRVScreenAndDevice* PSaD, TRVFormattingState& S) {
  if (!S.Floats) {
    S.LineMovedByFloats = false;
    return;
  }
  TCustomRVItemInfo* item = GetItem(ItemNo);
  S.LineWidth += S.FirstIndent;
  int leftIndent = S.LeftIndent + S.DevLeftMargin;
  const int oldTop = S.LineTop;
  const bool clearL = item->GetClearLeft() || item->GetPageBreakBefore();
  const bool clearR = item->GetClearRight() || item->GetPageBreakBefore();
  RVAdjustLineSize(S.Floats.get(), S.LeftBound, CalculateMinLineWidth(ItemNo, PSaD, S.FormatCanvas), S.RightBound,
                   S.LineTop, leftIndent, S.LineWidth, true, clearL, clearR, S.FloatsPlaced.get());
  S.CurTextStyle = -1;
  S.BaseLineY += S.LineTop - oldTop;
  S.LineMovedByFloats = S.LineTop != oldTop;
  S.LeftIndent = leftIndent - S.DevLeftMargin;
  S.LineWidth -= S.FirstIndent;
  S.LineLeft = S.DevLeftMargin + S.LeftIndent + S.FirstIndent;
}

void TCustomRVFormattedData::PlaceFloatingItem(TRVFormattingState& S, const TRVScreenAndDevice* PSaD, int DrawItemNo,
                                               int& Y) {
  TRVStyle* st = GetRVStyle();
  if (!S.Floats) S.Floats = std::make_unique<TRVFloatingDrawItems>();
  if (!S.FloatsPlaced) S.FloatsPlaced = std::make_unique<TRVFloatingDrawItems>();
  auto* fd = static_cast<TRVFloatingDrawLineInfo*>(DrawItems->Get(DrawItemNo));
  auto* item = static_cast<TRVNonTextItemInfo*>(GetItem(fd->ItemNo));
  auto* rect = dynamic_cast<TRVRectItemInfo*>(item);
  fd->FloatTop = Y;
  fd->FloatType = rect && rect->VAlign == rvvaRight ? rvdifRight : rvdifLeft;
  if (S.Printing) {
    fd->FloatWidth = item->GetWidthEx(st, PSaD);
    fd->FloatHeight = item->GetHeightEx(st, PSaD);
  } else {
    fd->FloatWidth = item->GetWidth(st);
    fd->FloatHeight = item->GetHeight(st);
  }
  int left = S.LeftBound;
  int width = S.RightBound - S.LeftBound;
  const bool clearL = item->GetClearLeft() || item->GetPageBreakBefore();
  const bool clearR = item->GetClearRight() || item->GetPageBreakBefore();
  RVAdjustLineSize(S.Floats.get(), S.LeftBound, fd->FloatWidth, S.RightBound, Y, left, width, false, clearL, clearR,
                   S.FloatsPlaced.get());
  fd->FloatTop = Y;
  fd->FloatLeft = fd->FloatType == rvdifRight ? left + width - fd->FloatWidth : left;
  S.Floats->Add(fd);
  S.FloatsPlaced->Add(fd);
}

void TCustomRVFormattedData::RaiseLineAscent(int NewAscent, TRVFormattingState& S) {
  if (NewAscent <= S.Ascent) return;
  if (S.ParaInfo && S.ParaInfo->LineSpacingType == rvlsLineHeightExact) return;
  const int d = NewAscent - S.Ascent;
  for (int i = S.FirstDrawItemOfLine; i < S.DrawItemCount; ++i) {
    TRVDrawLineInfo* di = DrawItems->Get(i);
    di->Top += d;
    di->BaseLine += d;
  }
  S.BaseLineY += d;
  S.Ascent = NewAscent;
}
