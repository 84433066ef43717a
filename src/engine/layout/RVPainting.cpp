// Painting a formatted document: PaintTo draws, in fixed passes, paragraph backgrounds and borders,
// text backgrounds, then every draw item (page breaks and checkpoints before it, text runs with
// selection and hover colours, non-text items in their draw states, the sign of a line or
// paragraph end after it), placeholders, word painters and the loose checkpoint. Everything goes
// through the style sheet's drawing interface, so screen, bitmap and printer agree.
//
// Only draw items that can intersect the clip rectangle are visited: the first one comes from a
// binary search at the clip top (GetFirstVisible) and the last one from a binary search at the
// clip bottom, so a view costs the same at the start and at the end of a long document.
#include "engine/layout/RVPainting.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/document/RVItem.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVBorder.h"
#include "engine/styles/RVStyle.h"

TRVPaintedSpecialCharacters PaintedSpecialCharacters =
    TRVPaintedSpecialCharacters::Range(rvpscLineEnds, rvpscFloatingLines);
bool ShowSpecialCharactersInPrintMode = false;
bool ShowSpaceAtLineWrap = false;
bool AlternativeLineEndSigns = false;

namespace {

constexpr UINT TextAlignBaseline = 24;  // TA_BASELINE

bool IsSymbolFace(const UnicodeString& Name) {
  static const char16_t* const faces[] = {u"symbol", u"wingdings", u"wingdings 2", u"wingdings 3", u"webdings"};
  UnicodeString low;
  for (char16_t c : Name) low += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  for (const char16_t* f : faces)
    if (low == f) return true;
  return false;
}

// The working state of one PaintTo call (nothing survives it).
class TRVDocPainter {
 public:
  TRVDocPainter(TCustomRVFormattedData* AData, TCanvas* ACanvas) : D(AData), Canvas(ACanvas) {}

  TCustomRVFormattedData* D;
  TCanvas* Canvas;
  TCanvas* FormatCanvas = nullptr;
  TRVStyle* St = nullptr;
  TRVGraphicInterface* GI = nullptr;
  TRVDrawLines* DI = nullptr;
  TRVColorMode ColorMode = rvcmColor;
  bool UseClip = false, StrictTop = false, StrictBottom = false, PrintMode = false, ForMetafile = false;
  bool UseWordPainters = false, InplaceOnMainCanvas = false;
  TRect Clip{0, 0, 0, 0};  // document coordinates
  TRect ClipRect{0, 0, 0, 0};
  int XS = 0, YS = 0, ExtraX = 0, ExtraY = 0;
  int First = 0, Last = -1, MinD = 0, MaxD = 0;
  TRVPaintItemPart* MinPart = nullptr;
  TRVPaintItemPart* MaxPart = nullptr;
  std::unique_ptr<TRVIntegerList> Tops;
  int SelStartNo = -1, SelEndNo = -1, SelStartOffs = 0, SelEndOffs = 0;
  bool ShowSpecial = false;
  TRVItemDrawStates ItemStates;
  TRVTextDrawStates TextStates;
  // The font applied last (style -1: none).
  int LastStyle = -1;
  TRVBiDiMode LastBiDi = rvbdUnspecified;
  bool LastHover = false;
  bool PlaceholdersNeeded = false;
  int LineTop = 0, LineBottom = 0;

  int Top(int i) const { return Tops ? Tops->Get(i) : (*DI)[i]->Top; }
  bool Hovered(int i) const {
    return D->State.Contains(rvstDrawHover) && i >= D->LastJumpDIMovedAboveFirst &&
           i <= D->LastJumpDIMovedAboveLast;
  }
  bool HasSelection() const { return !PrintMode && SelStartNo >= 0 && SelEndNo >= 0; }
  bool Shows(TRVPaintedSpecialCharacter Kind) const {
    return ShowSpecial && PaintedSpecialCharacters.Contains(Kind);
  }

  void Run();
  void PaintParaBackgrounds();
  void PaintTextBackgrounds();
  void ComputeLineBounds(int i);
  void ComputeLineBoundsFor(int i) {
    while (i > 0 && !(*DI)[i]->FromNewLine) --i;
    ComputeLineBounds(i);
  }
  void PaintTextDrawItem(int i);
  void DrawText(int i, const TRVUnicodeString& s, int StyleNo, TRVBiDiMode BiDi, bool Selected, int Index1,
                int Index2);
  void PaintNonTextDrawItem(int i, bool ConnectionLine);
  void PaintOrPrint(TCustomRVItemInfo* Item, int X, int Y, const TRVItemDrawStates& States, TRVDrawLineInfo* d);
  void PaintSign(int i);
  void PaintWordPainters();
  void ApplyFont(int StyleNo, TRVBiDiMode BiDi);
};

void TRVDocPainter::ApplyFont(int StyleNo, TRVBiDiMode BiDi) {
  const bool canUsePPI = D->GetFlags().Contains(rvflCanUseCustomPPI);
  St->ApplyStyle(Canvas, StyleNo, BiDi, canUsePPI, true, nullptr, false, false, false, nullptr);
  if (FormatCanvas != Canvas)
    St->ApplyStyle(FormatCanvas, StyleNo, BiDi, canUsePPI, true, nullptr, false, true, false, nullptr);
  LastStyle = StyleNo;
  LastBiDi = BiDi;
}

// ---- step 4: paragraph backgrounds and borders ----------------------------------------------------------

void TRVDocPainter::PaintParaBackgrounds() {
  const int n = DI->Count();
  // Paragraphs that end before the first draw item asked for paint nothing: the walk starts at
  // the paragraph holding it (a printed page would otherwise walk every page before it).
  int p = std::max(First, MinD);
  while (p > 0 && !(*DI)[p]->FromNewPara) --p;
  while (p <= Last && p <= MaxD) {
    TRVDrawLineInfo* first = (*DI)[p];
    const int paraNo = D->GetDisplayedParaNo(first->ItemNo);
    TParaInfo* para = St->ParaStyles()->Items(paraNo);
    const bool isBreak = D->GetItem(first->ItemNo)->StyleNo == ItemKindHorizontalLine;
    const bool painted =
        !isBreak && (para->Border()->Style != rvbNone || para->Background()->Color != clNone || St->OnDrawParaBack);
    // Draw items p..q-1 form one displayed paragraph; its end is looked for beyond the painted
    // range only when its rectangle needs it.
    int q = p + 1;
    while (q < n && (painted || q <= Last) && !(*DI)[q]->FromNewPara) ++q;
    if (painted) {
      int left = St->GetAsDevicePixelsX(para->LeftIndent, nullptr, 1) + D->GetLeftMargin();
      const int firstIndent = St->GetAsDevicePixelsX(para->FirstIndent, nullptr, 1);
      if (firstIndent < 0) left += firstIndent;
      const int rightIndent = St->GetAsDevicePixelsX(para->RightIndent, nullptr, 1);
      int right;
      if (D->GetOptions().Contains(rvoClientTextWidth))
        right = D->GetWidthRot() - rightIndent - D->GetRightMargin();
      else if (D->GetMaxTextWidth() < 1)
        right = D->GetAreaWidthRot() - rightIndent - D->GetRightMargin();
      else
        right = D->GetLeftMargin() + D->GetMaxTextWidth() - rightIndent;
      int top = 1 << 30, bottom = -(1 << 30);
      for (int k = std::max(p, MinD); k < q; ++k) {
        TRVDrawLineInfo* d = (*DI)[k];
        right = std::max(right, d->Left + d->Width);
        top = std::min(top, Top(k) - d->GetExtraSpaceAbove());
        bottom = std::max(bottom, Top(k) + d->Height + d->GetExtraSpaceBelow());
      }
      if (top <= bottom) {
        TRect r(left - XS, top - YS, right - XS - 1, bottom - YS - 1);
        TRect back = r;
        para->Background()->PrepareDraw(back, St);
        St->ItemNo = first->ItemNo;
        St->RVData = D;
        St->XShiftParam = XS;
        St->YShiftParam = YS;
        St->DrawParaBack(Canvas, paraNo, back, PrintMode, ColorMode, true);
        para->Border()->Draw(r, Canvas, St, GI, ColorMode);
      }
    }
    p = q;
  }
}

// ---- step 5: text backgrounds -----------------------------------------------------------------------------

void TRVDocPainter::PaintTextBackgrounds() {
  if (!St->OnDrawTextBack && St->TextBackgroundKind == rvtbkSimple) return;
  const bool lines = St->TextBackgroundKind == rvtbkLines;
  int i = std::max(First, MinD);
  if (lines)
    while (i > 0 && !(*DI)[i]->FromNewLine) --i;
  int lineTop = 0, lineBottom = 0;
  for (; i <= Last && i <= MaxD; ++i) {
    TRVDrawLineInfo* d = (*DI)[i];
    if (lines && (d->FromNewLine || i == First)) {
      int f, l;
      D->GetLineVerticalBoundsOrigEx(i, lineTop, lineBottom, f, l);
    }
    TCustomRVItemInfo* item = D->GetItem(d->ItemNo);
    if (item->StyleNo < 0 || i < MinD) continue;
    const int style = D->GetActualStyle(item);
    int j = i;
    while (j + 1 <= Last && j + 1 <= MaxD && !(*DI)[j + 1]->FromNewLine &&
           D->GetItem((*DI)[j + 1]->ItemNo)->StyleNo >= 0 &&
           D->GetActualStyle(D->GetItem((*DI)[j + 1]->ItemNo)) == style)
      ++j;
    TRVDrawLineInfo* e = (*DI)[j];
    const int left = std::min(d->Left, e->Left), right = std::max(d->Left + d->Width, e->Left + e->Width);
    int top = Top(i), height = d->Height;
    if (lines) {
      top = lineTop;
      height = lineBottom - lineTop;
    }
    TRVTextDrawStates states = TextStates;
    if (St->TextStyles()->Items(style)->Jump && Hovered(i)) states.Include(rvtsHover);
    St->DrawTextBack(Canvas, d->ItemNo, style, D, left - XS, top - YS, right - left, height, states, PrintMode,
                     ColorMode);
    i = j;
  }
}

void TRVDocPainter::ComputeLineBounds(int i) {
  LineTop = 1 << 30;
  LineBottom = -(1 << 30);
  const int n = DI->Count();
  for (int k = i; k < n && (k == i || !(*DI)[k]->FromNewLine); ++k) {
    LineTop = std::min(LineTop, Top(k));
    LineBottom = std::max(LineBottom, Top(k) + (*DI)[k]->Height + (*DI)[k]->GetExtraSpaceBelow());
  }
}

// ---- step 8: text draw items -------------------------------------------------------------------------------

void TRVDocPainter::DrawText(int i, const TRVUnicodeString& s, int StyleNo, TRVBiDiMode BiDi, bool Selected,
                             int Index1, int Index2) {
  TRVDrawLineInfo* d = (*DI)[i];
  TCustomRVItemInfo* item = D->GetItem(d->ItemNo);
  TRVTextDrawStates states = TextStates;
  if (Selected) states.Include(rvtsSelected);
  if (LastHover) states.Include(rvtsHover);
  if (St->OnDrawStyleText) {
    states.Include(rvtsDrawItemStart);
    states.Include(rvtsDrawItemEnd);
    if (d->Offs == 1) states.Include(rvtsItemStart);
    if (d->Offs + d->TextLength - 1 >= static_cast<int>(item->ItemText.size())) states.Include(rvtsItemEnd);
  }
  if (ShowSpecial) states.Include(rvtsSpecialCharacters);
  if (St->TextBackgroundKind == rvtbkSimple || Selected) {
    St->ApplyStyleColor(Canvas, StyleNo, states, PrintMode, ColorMode);
  } else {
    St->ApplyStyleTextColor(Canvas, StyleNo, states, PrintMode, ColorMode);
    Canvas->Brush().SetStyle(bsClear);
  }
  const bool useRef = FormatCanvas != Canvas;
  const int spaceAtLeft = d->GetSpaceAtLeft();
  const int spaceCount = d->GetSpaceCount();
  const int width = useRef ? d->Width : d->Width + spaceAtLeft;
  const int textWidth = spaceCount != 0 ? d->GetTextWidth() : d->Width;
  const int top = Top(i) - YS;
  const int baseLine = Top(i) + (d->BaseLine - d->Top) - YS;
  const int left = d->Left - XS;
  // Line selection: the selection colour covers the line's height behind the selected text.
  if (Selected && St->SelectionStyle == rvssLines && d->Width > 0) {
    const TColor c = St->GetSelectionColor(TextStates.Contains(rvtsControlFocused), true);
    if (c != clNone) {
      // The clip region in force before is given back on every path.
      struct TRgnGuard {
        TRVGraphicInterface* GI = nullptr;
        TCanvas* Canvas = nullptr;
        HRGN Rgn = nullptr;
        bool Valid = false;
        ~TRgnGuard() {
          if (GI) GI->RestoreClipRgn(Canvas, Rgn, Valid);
        }
      } guard;
      bool clipped = false;
      int fillLeft = left, fillRight = left + d->Width;
      if (Index1 > 0 && !useRef) {
        GI->GetClipRgn(Canvas, guard.Rgn, guard.Valid);
        guard.GI = GI;
        guard.Canvas = Canvas;
        // The interface counts characters from 0.
        clipped = GI->ApplyTextRangeRegion(Canvas, Canvas, s.data(), static_cast<int>(s.size()), spaceCount,
                                           d->Width - spaceAtLeft - textWidth, BiDi != rvbdUnspecified,
                                           St->TextStyles()->Items(StyleNo)->IsSymbolCharset(), Index1 - 1,
                                           Index2 - 1, left, left + spaceAtLeft, LineTop - YS, LineBottom - YS,
                                           d->GetLeftNoExpandIndex() - 1, d->GetRightNoExpandIndex() - 1);
      } else if (Index1 > 0) {
        // Measured on the reference canvas: the characters' places as hit-testing finds them.
        std::vector<int> pos;
        D->GetDrawItemCaretPositions(i, pos);
        if (static_cast<int>(pos.size()) > Index2) {
          const int a = pos[static_cast<std::size_t>(Index1 - 1)], b = pos[static_cast<std::size_t>(Index2)];
          fillLeft = left + spaceAtLeft + std::min(a, b);
          fillRight = left + spaceAtLeft + std::max(a, b);
          clipped = true;
        }
      }
      if (Index1 <= 0 || clipped) {
        Canvas->Brush().SetStyle(bsSolid);
        Canvas->Brush().SetColor(c);
        GI->FillRect(Canvas, TRect(fillLeft, LineTop - YS, fillRight, LineBottom - YS));
      }
      St->ApplyStyleColor(Canvas, StyleNo, states, PrintMode, ColorMode);
    }
  }
  if (Index1 <= 0)
    St->DrawStyleText(s, Canvas, d->ItemNo, d->Offs, StyleNo, D, spaceAtLeft, left, top, width, d->Height, baseLine,
                      textWidth, spaceCount, states, PrintMode, false, ForMetafile, ColorMode, BiDi,
                      useRef ? FormatCanvas : nullptr, d->GetLeftNoExpandIndex() - 1, d->GetRightNoExpandIndex() - 1,
                      nullptr);
  else
    St->DrawSelectedStyleText(s, Canvas, d->ItemNo, d->Offs, StyleNo, D, spaceAtLeft, left, top, width, d->Height,
                              baseLine, textWidth, spaceCount, states, PrintMode, false, ForMetafile, ColorMode,
                              BiDi, useRef ? FormatCanvas : nullptr, Index1, Index2, d->GetLeftNoExpandIndex() - 1,
                              d->GetRightNoExpandIndex() - 1);
}

void TRVDocPainter::PaintTextDrawItem(int i) {
  TRVDrawLineInfo* d = (*DI)[i];
  TCustomRVItemInfo* item = D->GetItem(d->ItemNo);
  const int style = D->GetActualStyle(item);
  TFontInfo* fi = St->TextStyles()->Items(style);
  const bool hover = fi->Jump && Hovered(i);
  const TRVBiDiMode paraBiDi = D->GetParaBiDiMode(D->GetDisplayedParaNo(d->ItemNo));
  if (style != LastStyle || paraBiDi != LastBiDi || hover != LastHover) ApplyFont(style, paraBiDi);
  LastHover = hover;
  const TRVBiDiMode biDi = D->GetItemBiDiMode(d->ItemNo);
  // The displayed text keeps the item text's length, so offsets still name the same characters;
  // it is made only when it differs from the item's text (as formatting measured it).
  const TRVUnicodeString& src = item->ItemText;
  const int from = std::clamp(d->Offs - 1, 0, static_cast<int>(src.size()));
  const int len = std::clamp(d->TextLength, 0, static_cast<int>(src.size()) - from);
  bool transform = fi->StyleEx.Contains(rvfsAllCaps);
  for (int k = from; k < from + len && !transform; ++k)
    if (src[static_cast<std::size_t>(k)] == 0x2011 || (src[static_cast<std::size_t>(k)] == 0x00AD && ShowSpecial))
      transform = true;
  TRVUnicodeString s;
  if (transform) {
    TRVUnicodeString display;
    TransformTextForDisplaySimple(src, fi->StyleEx.Contains(rvfsAllCaps), D->IsDrawItemLastOnWrappedLine(i), display,
                                  false, false, ShowSpecial);
    s = display.substr(std::min(static_cast<std::size_t>(from), display.size()), static_cast<std::size_t>(len));
  } else {
    s = src.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(len));
  }

  bool outside = true, inside = false;
  if (HasSelection()) {
    outside = i < SelStartNo || i > SelEndNo;
    const bool startsBefore =
        SelStartNo < i || (SelStartNo == i && SelStartOffs <= D->GetOffsBeforeDrawItem(i));
    const bool endsAfter = SelEndNo > i || (SelEndNo == i && SelEndOffs >= D->GetOffsAfterDrawItem(i));
    inside = !outside && startsBefore && endsAfter;
  }
  // The space the wrap swallowed, shown at the end of the piece.
  auto withWrapSpace = [&](bool Selected) {
    TRVUnicodeString t = s;
    if (ShowSpaceAtLineWrap && ShowSpecial && d->Offs + d->TextLength - 1 < static_cast<int>(item->ItemText.size())) {
      const bool nextContinues = i + 1 < DI->Count() && (*DI)[i + 1]->ItemNo == d->ItemNo &&
                                 (*DI)[i + 1]->Offs == d->Offs + d->TextLength;
      if (!nextContinues && !(Selected && i == SelEndNo)) t += u' ';
    }
    return t;
  };
  if (outside || !inside) DrawText(i, withWrapSpace(false), style, biDi, false, 0, 0);
  if (inside) {
    DrawText(i, withWrapSpace(true), style, biDi, true, 0, 0);
  } else if (!outside) {
    const int i1 = (i == SelStartNo && SelStartOffs > 1) ? SelStartOffs : 1;
    const int i2 = (i == SelEndNo && SelEndOffs <= d->TextLength) ? SelEndOffs - 1 : d->TextLength;
    if (i1 <= i2) DrawText(i, s, style, biDi, true, i1, i2);
  }
}

// ---- non-text draw items -------------------------------------------------------------------------------------

// On a printed page an item that prints directly prints itself at the device's size and with
// the page's values (page numbers, counts); the screen painting would draw its screen-sized
// measure and its placeholder text.
void TRVDocPainter::PaintOrPrint(TCustomRVItemInfo* Item, int X, int Y, const TRVItemDrawStates& States,
                                 TRVDrawLineInfo* d) {
  const TCustomRVFormattedData::TRVPrintedPage* page = PrintMode ? D->PrintedPage : nullptr;
  if (page && page->SaD && !Item->GetBoolValueEx(rvbpPrintToBMP, St))
    Item->Print(Canvas, X, Y, 0, page->Printing, page->Preview, page->Correction, *page->SaD, nullptr, ColorMode, D,
                d, page->PageNo, ForMetafile);
  else
    Item->Paint(X, Y, Canvas, States, d, D, ForMetafile);
}

void TRVDocPainter::PaintNonTextDrawItem(int i, bool ConnectionLine) {
  TRVDrawLineInfo* d = (*DI)[i];
  TCustomRVItemInfo* item = D->GetItem(d->ItemNo);
  TRVItemDrawStates states = ItemStates;
  bool selected = false;
  if (HasSelection() && i >= SelStartNo && i <= SelEndNo &&
      !(i == SelEndNo && SelEndOffs == 0) && !(i == SelStartNo && SelStartOffs == 1))
    selected = true;
  if (selected) states.Include(rvidsSelected);
  if (PrintMode) states.Include(rvidsPrint);
  if (Hovered(i) && item->GetBoolValueEx(rvbpJump, St)) states.Include(rvidsHover);
  if (item == D->FActiveItem) states.Include(rvidsCurrent);
  const TCustomRVFormattedData::TRVPrintedPage* page = PrintMode ? D->PrintedPage : nullptr;
  if (item->GetBoolValue(rvbpFullWidth) && page && page->SaD && d->PrintsFullLineItem()) {
    TRVMultiDrawItemPart* part =
        i == page->StartPartDrawItemNo ? page->StartPart : (i == page->EndPartDrawItemNo ? page->EndPart : nullptr);
    item->Print(Canvas, d->Left - XS, Top(i) - YS, 0, page->Printing, page->Preview, page->Correction, *page->SaD, part,
                ColorMode, D, d, page->PageNo, ForMetafile);
  } else if (item->GetBoolValue(rvbpFullWidth)) {
    int w;
    if (D->GetOptions().Contains(rvoClientTextWidth)) {
      w = D->GetWidthRot();
    } else {
      w = D->GetAreaWidthRot();
      if (D->GetMaxTextWidth() > 0) w = std::min(w, D->GetMaxTextWidth() + D->GetLeftMargin() + D->GetRightMargin());
    }
    TRVPaintItemPart* part = i == MinD ? MinPart : (i == MaxD ? MaxPart : nullptr);
    item->PaintFullWidth(d->Left + ExtraX - XS, w + ExtraX - D->GetRightMargin() - XS, Top(i) + ExtraY - YS, Canvas,
                         states, St, ClipRect, D, d, ExtraX, ExtraY, part, ForMetafile);
  } else {
    if (selected && St->SelectionStyle == rvssLines && item->StyleNo != ItemKindListMarker) {
      const TColor c = St->GetSelectionColor(TextStates.Contains(rvtsControlFocused), true);
      if (c != clNone) {
        ComputeLineBoundsFor(i);
        Canvas->Brush().SetStyle(bsSolid);
        Canvas->Brush().SetColor(c);
        GI->FillRect(Canvas, TRect(d->Left - XS, LineTop - YS, d->Left + d->Width - XS, LineBottom - YS));
        Canvas->Brush().SetStyle(bsClear);
      }
    }
    if (item->GetBoolValue(rvbpFloating)) {
      const int y = D->GetTransformedDItemObjectTop(i) - YS;
      const int x = d->GetObjectLeft() - XS;
      if (ConnectionLine && !PrintMode && St->FloatingLineColor != clNone &&
          (item == D->FActiveItem || Shows(rvpscFloatingLines))) {
        // The anchor: the draw item before the box that holds its place in the text.
        TRVCanvas* c = GI->InitDrawing(Canvas);
        Canvas->Pen().SetColor(St->FloatingLineColor);
        Canvas->Pen().SetWidth(1);
        Canvas->Pen().SetStyle(psSolid);
        GI->SetPen(c, &Canvas->Pen());
        const int ax = d->Left - XS, ay1 = Top(i) - YS, ay2 = Top(i) + d->Height - YS;
        GI->Line(c, ax, ay1, ax, ay2);
        const int bx = ax <= x ? x : x + d->GetObjectWidth();
        const int by = std::clamp(ay1, y, y + d->GetObjectHeight());
        GI->Line(c, ax, ay1, bx, by);
        GI->DoneDrawing(c);
      }
      PaintOrPrint(item, x, y, states, d);
    } else {
      PaintOrPrint(item, d->Left - XS, Top(i) - YS, states, d);
    }
  }
  Canvas->Brush().SetStyle(bsClear);
}

// ---- step 9: the sign of a line or paragraph end ---------------------------------------------------------------

void TRVDocPainter::PaintSign(int i) {
  const int n = DI->Count();
  TRVDrawLineInfo* d = (*DI)[i];
  if (i + 1 < n && ((*DI)[i + 1]->ItemNo == d->ItemNo || !(*DI)[i + 1]->FromNewLine)) return;
  const bool paraEnd = i + 1 >= n || (*DI)[i + 1]->FromNewPara;
  TCustomRVItemInfo* item = D->GetItem(d->ItemNo);
  const int paraNo = D->GetDisplayedParaNo(d->ItemNo);
  TParaInfo* para = St->ParaStyles()->Items(paraNo);
  const TRVBiDiMode paraBiDi = D->GetParaBiDiMode(paraNo);
  int style = LastStyle;
  if (style < 0) style = item->StyleNo > 0 ? D->GetActualStyle(item) : 0;
  ApplyFont(style, paraBiDi);
  TRVTextDrawStates states = TextStates;
  states.Include(rvtsSpecialCharacters);
  if (St->TextBackgroundKind == rvtbkSimple) {
    St->ApplyStyleColor(Canvas, style, states, PrintMode, ColorMode);
  } else {
    St->ApplyStyleTextColor(Canvas, style, states, PrintMode, ColorMode);
    Canvas->Brush().SetStyle(bsClear);
  }
  TFont& font = Canvas->Font();
  if (St->SpecialCharactersColor != clNone) font.SetColor(St->SpecialCharactersColor);
  if (font.GetCharset() == SYMBOL_CHARSET || IsSymbolFace(font.GetName())) {
    font.SetName(u"Arial");
    font.SetCharset(DEFAULT_CHARSET);
  }
  if (font.GetSize() < 12) font.SetSize(12);
  WideChar sign;
  if (paraEnd)
    sign = AlternativeLineEndSigns ? 0x21B5 : 0x00B6;
  else
    sign = AlternativeLineEndSigns ? 0x2193 : 0x21B5;
  if (sign != 0x00B6) {
    font.SetName(u"Symbol");
    font.SetCharset(SYMBOL_CHARSET);
    sign = sign == 0x21B5 ? 0xF0BF : 0xF0AF;
  }
  // The font changed behind the style's back: the next text draw item applies its style again.
  LastStyle = -1;
  const TSize sz = GI->TextSize(Canvas, &sign, 1, false, false);
  const bool rtl = D->GetItemBiDiMode(d->ItemNo) == rvbdRightToLeft;
  const int X = rtl ? d->Left - XS - sz.cx : d->Left + d->Width - XS;
  const bool fullWidth = item->StyleNo < 0 && item->GetBoolValue(rvbpFullWidth);
  const int baseLine = (fullWidth ? Top(i) + d->Height : Top(i) + (d->BaseLine - d->Top)) - YS;
  GI->SetTextAlign(Canvas, TextAlignBaseline);
  GI->TextOut(Canvas, X, baseLine, &sign, 1, ForMetafile);
  Canvas->Brush().SetStyle(bsClear);
  if (!paraEnd || !Shows(rvpscParaAttributes)) return;

  // Paragraph attribute signs, in the font colour.
  const TColor color = font.GetColor();
  const int T = Top(i) + d->Height - YS - sz.cy;
  const int W = sz.cx, H = sz.cy, S = H * 2 / 5;
  int groupLeft = X, groupRight = X + W;
  int nx = X + W + 2, ny = T;
  bool shape = false;
  TRVCanvas* c = GI->InitDrawing(Canvas);
  Canvas->Pen().SetColor(color);
  Canvas->Pen().SetStyle(psSolid);
  Canvas->Pen().SetWidth(1);
  Canvas->Brush().SetColor(color);
  Canvas->Brush().SetStyle(bsSolid);
  GI->SetPen(c, &Canvas->Pen());
  GI->SetBrush(c, &Canvas->Brush(), 100000);
  if (para->BiDiMode != rvbdUnspecified) {
    if (para->BiDiMode != rvbdRightToLeft) {
      const int x1 = X + W + 2;
      GI->Polygon(c, {TPoint(x1, T), TPoint(x1, T + S), TPoint(x1 + S / 2, T + S / 2)});
      nx = x1;
      groupRight = std::max(groupRight, x1 + S / 2);
    } else {
      const int x1 = X - 2;
      GI->Polygon(c, {TPoint(x1, T), TPoint(x1, T + S), TPoint(x1 - S / 2, T + S / 2)});
      nx = x1 - S / 2;
      groupLeft = std::min(groupLeft, nx);
    }
    ny = T + S + 2;
    shape = true;
  }
  const bool keep = para->Options.Contains(rvpaoKeepLinesTogether) || para->Options.Contains(rvpaoKeepWithNext) ||
                    para->Options.Contains(rvpaoWidowOrphanControl);
  if (para->OutlineLevel == 0 && keep) {
    GI->Rectangle(c, nx, ny, nx + S, ny + S);
    groupRight = std::max(groupRight, nx + S);
    shape = true;
  }
  GI->DoneDrawing(c);
  if (para->OutlineLevel >= 1 && para->OutlineLevel <= 9) {
    font.SetName(u"Wingdings");
    font.SetCharset(SYMBOL_CHARSET);
    font.SetStyle({});
    const WideChar num = static_cast<WideChar>(0xF08B + para->OutlineLevel);
    const int nw = GI->TextSize(Canvas, &num, 1, false, false).cx;
    int hx;
    if (paraBiDi == rvbdRightToLeft) {
      hx = X - nw - (shape ? S : 0);
      groupLeft = std::min(groupLeft, hx);
    } else {
      hx = X + W + (shape ? S : 0);
      groupRight = std::max(groupRight, hx + nw);
    }
    Canvas->Brush().SetStyle(bsClear);
    GI->TextOut(Canvas, hx, baseLine, &num, 1, ForMetafile);
  }
  if (i + 1 < n) {
    TCustomRVItemInfo* next = D->GetItem((*DI)[i + 1]->ItemNo);
    if (next->GetClearLeft() || next->GetClearRight()) {
      TRVCanvas* c2 = GI->InitDrawing(Canvas);
      Canvas->Pen().SetColor(color);
      Canvas->Pen().SetWidth(1);
      GI->SetPen(c2, &Canvas->Pen());
      const int lx = next->GetClearLeft() ? groupLeft : groupRight;
      GI->Line(c2, lx, T + H, lx, T);
      GI->DoneDrawing(c2);
    }
  }
  Canvas->Brush().SetStyle(bsClear);
}

// ---- step 11: word painters -------------------------------------------------------------------------------------

void TRVDocPainter::PaintWordPainters() {
  std::vector<int> pos;
  for (int i = std::max(First, MinD); i <= Last && i <= MaxD; ++i) {
    TRVDrawLineInfo* d = (*DI)[i];
    if (UseClip && StrictBottom && Clip.Bottom < Top(i) + d->Height) break;
    TCustomRVItemInfo* item = D->GetItem(d->ItemNo);
    if (item->StyleNo < 0 || !item->WordPaintList || item->WordPaintList->Count() == 0 || d->TextLength <= 0) continue;
    bool measured = false;
    for (int k = 0; k < item->WordPaintList->Count(); ++k) {
      TRVWordPainter* wp = item->WordPaintList->Get(k);
      const int a = std::max(wp->StartOffs, d->Offs), b = std::min(wp->StartOffs + wp->Length, d->Offs + d->TextLength);
      if (a >= b) continue;
      if (!measured) {
        D->GetDrawItemCaretPositions(i, pos);
        measured = true;
      }
      if (pos.size() < static_cast<std::size_t>(d->TextLength) + 1) break;
      const int x1 = pos[static_cast<std::size_t>(a - d->Offs)], x2 = pos[static_cast<std::size_t>(b - d->Offs)];
      const int left = d->GetSpaceAtLeft() + d->Left - XS;
      TRect r(left + std::min(x1, x2), Top(i) - YS, left + std::max(x1, x2), Top(i) - YS + d->Height);
      wp->Draw(Canvas, d, D, r, k);
    }
  }
}

// ---- the passes ----------------------------------------------------------------------------------------------------

void TRVDocPainter::Run() {
  Canvas->Brush().SetStyle(bsClear);
  const int n = DI->Count();
  if (n == 0) return;
  if (MaxD < 0 || MaxD >= n) MaxD = n - 1;
  Last = n - 1;
  First = 0;
  if (UseClip) {
    First = std::max(0, D->GetFirstVisible(Clip.Top));
    // The first draw item starting at or below the clip bottom: its line may still hold taller
    // draw items reaching into the clip, the lines after it lie wholly below.
    int k = D->GetDrawItemNo(Clip.Bottom, 0);
    if (k >= 0 && k < n && Top(k) >= Clip.Bottom) {
      int j = k + 1;
      while (j < n && !(*DI)[j]->FromNewLine) ++j;
      Last = std::min(n - 1, j - 1);
    }
  }
  if (StrictTop && UseClip) {
    int i = First;
    while (i < n && Top(i) < Clip.Top) ++i;
    while (i > 0 && i < n && !(*DI)[i]->FromNewLine) --i;
    First = std::min(i, n - 1);
  }
  // Floating boxes anchored before the first draw item, reaching into the view.
  if (First > 0) {
    TRVIntegerList floats;
    DI->AssignFloatingAboveDrawItem(First, floats);
    for (int k = 0; k < floats.Count(); ++k) {
      const int f = floats.Get(k);
      if (f >= MinD && f <= MaxD) PaintNonTextDrawItem(f, false);
    }
  }
  PaintParaBackgrounds();
  PaintTextBackgrounds();

  const bool lineSel = HasSelection() && St->SelectionStyle == rvssLines;
  const bool showBreaks = D->GetOptions().Contains(rvoShowPageBreaks);
  const bool showCPs = !PrintMode && D->GetOptions().Contains(rvoShowCheckpoints);
  int lastPainted = -1;
  for (int i = std::max(First, MinD); i <= Last; ++i) {
    if (i > MaxD) break;
    TRVDrawLineInfo* d = (*DI)[i];
    if (i < MinD || (UseClip && StrictBottom && Clip.Bottom < Top(i) + d->Height)) continue;
    if (lineSel && (d->FromNewLine || i == First)) ComputeLineBoundsFor(i);
    TCustomRVItemInfo* item = D->GetItem(d->ItemNo);
    const bool itemStart = i == 0 || (*DI)[i - 1]->ItemNo != d->ItemNo;
    if (showBreaks && itemStart && item->GetPageBreakBefore()) {
      int f, l, lt, lb;
      D->GetLineVerticalBoundsOrigEx(i, lt, lb, f, l);
      St->DrawPageBreak(Canvas, lt - YS - 1, XS, rvpbPageBreak, D->GetParentControl(), D, d->ItemNo);
      LastStyle = -1;
    }
    if (showCPs && itemStart && item->Checkpoint) {
      St->DrawCheckpoint(Canvas, d->Left - XS, Top(i) - YS, 0, D->GetWidth(), D, d->ItemNo, XS,
                         item->Checkpoint->RaiseEvent, D->GetParentControl());
      LastStyle = -1;
    }
    if (item->StyleNo < 0) {
      if (item->GetBoolValue(rvbpPlaceholder)) {
        if (Shows(rvpscPlaceholders) || item == D->FActiveItem) PlaceholdersNeeded = true;
      } else {
        PaintNonTextDrawItem(i, true);
      }
      if (Shows(rvpscLineEnds)) PaintSign(i);
      if (item->GetBoolValue(rvbpDrawingChangesFont)) LastStyle = -1;
    } else {
      PaintTextDrawItem(i);
      if (Shows(rvpscLineEnds)) PaintSign(i);
    }
    lastPainted = i;
  }
  if (PlaceholdersNeeded && !PrintMode)
    for (int i = std::max(First, MinD); i <= lastPainted; ++i) {
      TCustomRVItemInfo* item = D->GetItem((*DI)[i]->ItemNo);
      if (item->StyleNo < 0 && item->GetBoolValue(rvbpPlaceholder) &&
          (Shows(rvpscPlaceholders) || item == D->FActiveItem))
        PaintNonTextDrawItem(i, false);
    }
  if (UseWordPainters && !PrintMode) PaintWordPainters();
  if (showCPs && D->NotAddedCP && lastPainted == n - 1)
    St->DrawCheckpoint(Canvas, 0, D->DocumentHeight - YS - D->GetBottomMargin(), 0, D->GetWidth(), D, -1, XS,
                       D->NotAddedCP->RaiseEvent, D->GetParentControl());
  D->DrawItemResizer(Canvas, XS, YS, StrictTop, StrictBottom, PrintMode, First, lastPainted);
  GI->SetTextAlign(Canvas, 0);
}

}  // namespace

void TCustomRVFormattedData::PaintTo(TCanvas* Canvas, const TRect& AClipRect, bool StrictTop, bool StrictBottom,
                                     bool InplaceOnMainCanvas, bool PrintMode, bool UseWordPainters, int ExtraXOffs,
                                     int ExtraYOffs, int MinDItemNo, int MaxDItemNo, TRVPaintItemPart* MinItemPart,
                                     TRVPaintItemPart* MaxItemPart, bool ForMetafile) {
  TRVStyle* st = GetRVStyle();
  if (!Canvas || !st || !DrawItems) return;
  TRVDocPainter p(this, Canvas);
  p.St = st;
  p.GI = st->GetGraphicInterface();
  p.DI = DrawItems.get();
  TCustomRVData* root = GetAbsoluteRootData();
  p.FormatCanvas = root ? root->GetFormatCanvasEx(Canvas) : nullptr;
  if (!p.FormatCanvas) p.FormatCanvas = Canvas;
  p.ColorMode = GetPaintColorMode();
  p.StrictTop = StrictTop;
  p.StrictBottom = StrictBottom;
  p.InplaceOnMainCanvas = InplaceOnMainCanvas;
  p.PrintMode = PrintMode;
  p.UseWordPainters = UseWordPainters;
  p.ForMetafile = ForMetafile;
  p.ExtraX = ExtraXOffs;
  p.ExtraY = ExtraYOffs;
  p.MinD = std::max(0, MinDItemNo);
  p.MaxD = MaxDItemNo;
  p.MinPart = MinItemPart;
  p.MaxPart = MaxItemPart;
  p.ClipRect = AClipRect;
  const bool zeroClip = AClipRect.Left == 0 && AClipRect.Top == 0 && AClipRect.Right == 0 && AClipRect.Bottom == 0;
  p.UseClip = !zeroClip && GetRealRotation(false) == rvrotNone && !IsLineOrderReversed();
  p.Clip = TRect(AClipRect.Left + GetHOffs(), AClipRect.Top + GetVOffs(), AClipRect.Right + GetHOffs(),
                 AClipRect.Bottom + GetVOffs());
  p.XS = GetHOffs() + AClipRect.Left + ExtraXOffs;
  p.YS = GetVOffs() + AClipRect.Top + ExtraYOffs;
  p.Tops = BuildTransformedYCoords();
  // With a clip, the canvas is clipped to it too: paragraph backgrounds and items of lines that
  // cross its edges never spill over the area asked for.
  struct TClipGuard {
    TRVGraphicInterface* GI = nullptr;
    TCanvas* Canvas = nullptr;
    HRGN Rgn = nullptr;
    bool Valid = false;
    ~TClipGuard() {
      if (GI) GI->RestoreClipRgn(Canvas, Rgn, Valid);
    }
  } guard;
  if (p.UseClip) {
    p.GI->GetClipRgn(Canvas, guard.Rgn, guard.Valid);
    guard.GI = p.GI;
    guard.Canvas = Canvas;
    p.GI->IntersectClipRect(Canvas, p.Clip.Left - p.XS, p.Clip.Top - p.YS, p.Clip.Right - p.XS,
                            p.Clip.Bottom - p.YS);
  }
  GetSelBounds(p.SelStartNo, p.SelEndNo, p.SelStartOffs, p.SelEndOffs, true);
  p.ShowSpecial = ShowsSpecialCharacters() && (!PrintMode || ShowSpecialCharactersInPrintMode);
  if (UseWordPainters) p.ItemStates.Include(rvidsUseWordPainters);
  if (FocusedEx()) {
    p.ItemStates.Include(rvidsControlFocused);
    p.TextStates.Include(rvtsControlFocused);
  }
  if (!EnabledEx()) p.TextStates.Include(rvtstControlDisabled);
  if (GetFlags().Contains(rvflCanUseCustomPPI)) p.ItemStates.Include(rvidsCanUseCustomPPI);
  p.Run();
}
