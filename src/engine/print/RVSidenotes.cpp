// Sidenotes and text boxes on printed pages: one printed document per box and page, placed from
// the box properties against the page, its margins or the object the box is anchored to, and
// drawn with the box's background and border above or below the text.
#include <algorithm>
#include <cmath>

#include "engine/document/RVFloatingBox.h"
#include "engine/document/RVNoteItems.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/print/RVPageRects.h"
#include "engine/print/RVPrintableViewer.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace {

int RoundDiv(long long a, long long b) { return static_cast<int>(std::llround(static_cast<double>(a) / b)); }

// The page geometry a box is placed in (device pixels of the printable area; the paper spans
// -physical left .. page width + physical right).
struct TPageFrame {
  int PageWidth, PageHeight, PhysLeft, PhysTop, PhysRight, PhysBottom;
  int AreaLeft, AreaWidth, TopMargin, ContentHeight;

  TPageFrame(TCustomMainPtblRVData* m, int P) {
    PageWidth = m->GetPageWidth();
    PageHeight = m->GetPageHeight();
    PhysLeft = m->PhysM.Left;
    PhysTop = m->PhysM.Top;
    PhysRight = m->PhysM.Right;
    PhysBottom = m->PhysM.Bottom;
    AreaLeft = m->GetPrintableAreaLeft(P);
    AreaWidth = m->GetWidth();
    TopMargin = m->GetTmpMForPage(P).Top;
    ContentHeight = m->GetContentHeightForPage(P);
  }
  int LeftMarginWidth() const { return AreaLeft + PhysLeft; }
  int RightMarginWidth() const { return PageWidth + PhysRight - (AreaLeft + AreaWidth); }
  int BottomMarginHeight() const { return PageHeight + PhysBottom - (TopMargin + ContentHeight); }
};

int BoxWidth(const TRVBoxProperties& b, const TPageFrame& f, bool odd, TRVStyle* style, const TRVScreenAndDevice& sad) {
  int r = 0;
  switch (b.WidthType) {
    case rvbwtAbsolute: return style->GetAsDevicePixelsX(b.Width, &sad);
    case rvbwtRelPage: r = f.PageWidth + f.PhysLeft + f.PhysRight; break;
    case rvbwtRelMainTextArea: r = f.AreaWidth; break;
    case rvbwtRelLeftMargin: r = f.LeftMarginWidth(); break;
    case rvbwtRelRightMargin: r = f.RightMarginWidth(); break;
    case rvbwtRelInnerMargin: r = odd ? f.LeftMarginWidth() : f.RightMarginWidth(); break;
    case rvbwtRelOuterMargin: r = odd ? f.RightMarginWidth() : f.LeftMarginWidth(); break;
  }
  return RoundDiv(static_cast<long long>(r) * b.Width, 100000);
}

int BoxHeight(const TRVBoxProperties& b, const TPageFrame& f, TRVStyle* style, const TRVScreenAndDevice& sad) {
  int r = 0;
  switch (b.HeightType) {
    case rvbhtAbsolute: return style->GetAsDevicePixelsY(b.Height, &sad);
    case rvbhtRelPage: r = f.PageHeight + f.PhysTop + f.PhysBottom; break;
    case rvbhtRelMainTextArea: r = f.ContentHeight; break;
    case rvbhtRelTopMargin: r = f.TopMargin + f.PhysTop; break;
    case rvbhtRelBottomMargin: r = f.BottomMarginHeight(); break;
    case rvbhtAuto: return 0;
  }
  return RoundDiv(static_cast<long long>(r) * b.Height, 100000);
}

// The content's left (top) edge from the reference edges [A, B], the position kind and the
// paddings; Size is the content width (height).
int PlaceAlong(int A, int B, TRVFloatPositionKind kind, int offsetDevice, int offsetRaw, int alignment, int padBefore,
               int padAfter, int Size) {
  int x = A;
  switch (kind) {
    case rvfpkAbsPosition: x = A + offsetDevice; break;
    case rvfpkPercentPosition: x = A + RoundDiv(static_cast<long long>(B - A) * offsetRaw, 100000); break;
    case rvfpkAlignment: {
      const int free = B - A - padBefore - padAfter - Size;
      x = alignment == 0 ? A : alignment == 1 ? A + free / 2 : A + free;
      break;
    }
  }
  return x + padBefore;
}

// The document that holds a sidenote item, and the item's index there; nil when it is not an item
// of formatted data reachable from Source.
TCustomRVFormattedData* HolderOf(TCustomRVData* Source, TCustomRVItemInfo* Item, int& ItemNo) {
  ItemNo = Source->GetItemNo(Item);
  if (ItemNo < 0) return nullptr;
  return Source->AsFormattedData();
}

}  // namespace

bool GetAnchorObjectCoords(TCustomMultiPagePtblRVData* Self, TCustomMultiPagePtblRVData* PtRVData, int ItemNo,
                           bool& IsInnermost, TRect& RectV, TRect& RectH, bool /*RelativeToCell*/,
                           int VerticalAnchor, int /*HorizontalAnchor*/, int LocalPageNo, int PageNo) {
  // Boxes inside split items (table cells) are found through the items' parts, which only tables
  // have; their search comes with them.
  if (PtRVData != Self) return false;
  const int pages = Self->PagesCount();
  if ((pages == 0 && LocalPageNo != 1) || (pages > 0 && pages < LocalPageNo)) return false;
  if (!Self->DrawItems) return false;
  int first = -1;
  for (int k = 0; k < Self->DrawItems->Count(); ++k)
    if (Self->DrawItems->Get(k)->ItemNo == ItemNo) {
      first = k;
      break;
    }
  if (first < 0) return false;
  TRVDrawLineInfo* di = Self->DrawItems->Get(first);
  int lo = first, hi = first;
  if (VerticalAnchor == rvvanLine) {
    while (lo > 0 && !Self->DrawItems->Get(lo)->FromNewLine) --lo;
    while (hi + 1 < Self->DrawItems->Count() && !Self->DrawItems->Get(hi + 1)->FromNewLine) ++hi;
  } else if (VerticalAnchor == rvvanParagraph) {
    while (lo > 0 && !Self->IsDrawItemParaStart(lo)) --lo;
    while (hi + 1 < Self->DrawItems->Count() && !Self->IsDrawItemParaStart(hi + 1)) ++hi;
    if (pages > 0) {
      int s, e, part;
      Self->GetDrawItemsRange(LocalPageNo, s, e, part);
      lo = std::max(lo, s);
      hi = std::min(hi, e);
    }
  }
  int top = INT32_MAX, bottom = INT32_MIN;
  for (int k = lo; k <= hi; ++k) {
    TRVDrawLineInfo* d = Self->DrawItems->Get(k);
    const int t = Self->GetTransformedDItemTop(k);
    top = std::min(top, t - d->GetExtraSpaceAbove());
    bottom = std::max(bottom, t + d->Height + d->GetExtraSpaceBelow());
  }
  TRVScreenAndDevice sad;
  Self->InitScreenAndDevice(Self->GetCanvas(), sad);
  if (VerticalAnchor == rvvanParagraph && Self->GetRVStyle()) {
    TParaInfo* para = Self->GetRVStyle()->ParaStyles()->Items(Self->GetDisplayedParaNo(ItemNo));
    top -= Self->GetRVStyle()->GetAsDevicePixelsY(para->GetSpaceBefore(), &sad);
    bottom += Self->GetRVStyle()->GetAsDevicePixelsY(para->GetSpaceAfter(), &sad);
  }
  RectV = TRect(di->Left, top, di->Left + di->Width, bottom);
  // Page coordinates.
  int s = 0, e = 0, part = -1;
  if (pages > 0) Self->GetDrawItemsRange(LocalPageNo, s, e, part);
  const bool second = pages > 0 && first != s && part >= 0;
  const int dy = dynamic_cast<TCustomMainPtblRVData*>(Self) || dynamic_cast<TRVHeaderFooterRVData*>(Self)
                     ? (second ? Self->GetPageStartY2(LocalPageNo, PageNo) : Self->GetPageStartY(LocalPageNo, PageNo))
                     : (pages > 0 ? (second ? Self->Pages->GetItem(LocalPageNo - 1)->StartY2
                                            : Self->Pages->GetItem(LocalPageNo - 1)->StartY)
                                  : 0);
  RectV.Left += Self->GetPrintableAreaLeft(PageNo);
  RectV.Right += Self->GetPrintableAreaLeft(PageNo);
  RectV.Top -= dy;
  RectV.Bottom -= dy;
  if (Self->GetRotation() != rvrotNone) RectV = TRect(0, 0, 0, 0);
  RectH = RectV;
  IsInnermost = true;
  return true;
}

void RVPrepareSidenotes(TCustomMultiPagePtblRVData* Self, TCustomMainPtblRVData* PrintData, TRVHFType HFType) {
  TCustomRVData* src = Self->GetSourceRVDataForPrintingEx();
  auto* viewer = dynamic_cast<TCustomPrintableRV*>(Self->GetViroZere());
  TRVStyle* style = Self->GetRVStyle();
  if (!src || !viewer || !PrintData || !style) return;
  const bool hidden = src->GetOptions().Contains(rvoShowHiddenText);
  const bool isHF = dynamic_cast<TRVHeaderFooterRVData*>(Self) != nullptr;
  const TRVScreenAndDevice sad = PrintData->PrnSad;
  for (TRVSidenoteItemInfo* s = FindNoteOfClass<TRVSidenoteItemInfo>(src, nullptr, hidden); s;
       s = FindNoteOfClass<TRVSidenoteItemInfo>(src, s, hidden)) {
    int itemNo = -1;
    TCustomRVFormattedData* holder = HolderOf(src, s, itemNo);
    if (!holder) continue;
    int page = 1, localPage = 1, localCount = 1;
    TCustomMultiPagePtblRVData* pt = Self;
    if (!Self->GetPageNo(holder, itemNo, 0, src, page, localPage, localCount, pt)) {
      if (!isHF) continue;
      page = localPage = localCount = 1;
      pt = Self;
    }
    if (isHF) page = HFType == rvhftNormal ? 3 : HFType == rvhftFirstPage ? 1 : 2;
    const TRVBoxProperties& box = s->BoxProperties;
    const TRVBoxPosition& pos = s->BoxPosition;
    const int padL = ScreenToDeviceX(const_cast<TRVBoxProperties&>(box).GetTotalLeftPadding(style), sad);
    const int padR = ScreenToDeviceX(const_cast<TRVBoxProperties&>(box).GetTotalRightPadding(style), sad);
    const int padT = ScreenToDeviceY(const_cast<TRVBoxProperties&>(box).GetTotalTopPadding(style), sad);
    const int padB = ScreenToDeviceY(const_cast<TRVBoxProperties&>(box).GetTotalBottomPadding(style), sad);
    for (int k = 0; k < localCount; ++k) {
      const int P = page + k;
      const bool odd = P % 2 == 1;
      const TPageFrame f(PrintData, P);
      auto note = std::make_unique<TRVSidenotePtblRVData>(viewer, Self, s->GetDocument());
      note->ParentDrawsBack = true;
      note->Transparent = box.Background.Color == clNone || box.Background.Opacity < 100000;
      note->FColor = box.Background.Color;
      note->Sidenote = s;
      note->SidenoteItemRVData = pt;
      note->SidenoteItemNo = itemNo;
      note->Width = std::max(BoxWidth(box, f, odd, style, sad) - padL - padR, 0);
      note->Height = 1;
      note->Format(false);
      note->Height = note->DocumentHeight;
      int H = note->DocumentHeight, S = 0;
      if (box.HeightType != rvbhtAuto) {
        H = std::max(BoxHeight(box, f, style, sad) - padT - padB, 0);
        S = box.VAlign == tlTop ? 0 : H - note->DocumentHeight;
        if (box.VAlign == tlCenter) S /= 2;
        if (S < 0) S = 0;
      }
      TRect rv(0, 0, 0, 0), rh(0, 0, 0, 0);
      bool innermost = false;
      const bool needH = pos.HorizontalAnchor == rvhanCharacter;
      const bool needV = pos.VerticalAnchor == rvvanLine || pos.VerticalAnchor == rvvanParagraph;
      bool found = false;
      if (needH || needV)
        found = GetAnchorObjectCoords(Self, pt, itemNo, innermost, rv, rh, pos.RelativeToCell, pos.VerticalAnchor,
                                      pos.HorizontalAnchor, localPage, P);
      // Horizontal reference edges.
      int A = 0, B = 0;
      if (needH && found) {
        A = rh.Left;
        B = rh.Right;
      } else {
        switch (pos.HorizontalAnchor) {
          case rvhanPage: A = -f.PhysLeft; B = f.PageWidth + f.PhysRight; break;
          case rvhanMainTextArea: A = f.AreaLeft; B = f.AreaLeft + f.AreaWidth; break;
          case rvhanLeftMargin: A = -f.PhysLeft; B = f.AreaLeft; break;
          case rvhanRightMargin: A = f.AreaLeft + f.AreaWidth; B = f.PageWidth + f.PhysRight; break;
          case rvhanInnerMargin:
          case rvhanOuterMargin:
            if ((pos.HorizontalAnchor == rvhanInnerMargin) == odd) {
              A = -f.PhysLeft;
              B = f.AreaLeft;
            } else {
              A = f.AreaLeft + f.AreaWidth;
              B = f.PageWidth + f.PhysRight;
            }
            break;
          case rvhanCharacter: break;
        }
      }
      const int left = PlaceAlong(A, B, pos.HorizontalPositionKind, style->GetAsDevicePixelsX(pos.HorizontalOffset, &sad),
                                  pos.HorizontalOffset, pos.HorizontalAlignment, padL, padR, note->Width);
      if (needV && found) {
        A = rv.Top;
        B = rv.Bottom;
      } else {
        switch (pos.VerticalAnchor) {
          case rvvanPage: A = -f.PhysTop; B = f.PageHeight + f.PhysBottom; break;
          case rvvanMainTextArea: A = f.TopMargin; B = f.TopMargin + f.ContentHeight; break;
          case rvvanTopMargin: A = -f.PhysTop; B = f.TopMargin; break;
          case rvvanBottomMargin: A = f.TopMargin + f.ContentHeight; B = f.PageHeight + f.PhysBottom; break;
          default: A = B = 0; break;
        }
      }
      const int top = PlaceAlong(A, B, pos.VerticalPositionKind, style->GetAsDevicePixelsY(pos.VerticalOffset, &sad),
                                 pos.VerticalOffset, pos.VerticalAlignment, padT, padB, H);
      note->FullRect = TRect(left, top, left + note->Width, top + H);
      note->Left = note->FullRect.Left;
      note->Top = note->FullRect.Top + S;
      // The list of page P: the header's or footer's own, else the page's.
      TRVSidenoteList* list = nullptr;
      if (auto* hf = dynamic_cast<TRVHeaderFooterRVData*>(Self)) {
        if (!hf->Sidenotes) hf->Sidenotes = std::make_unique<TRVSidenoteList>();
        list = hf->Sidenotes.get();
      } else if (Self->Pages && P >= 1 && P <= Self->Pages->Count()) {
        TRVPageInfo* pg = Self->Pages->GetItem(P - 1);
        if (!pg->Sidenotes) pg->Sidenotes = std::make_unique<TRVSidenoteList>();
        list = pg->Sidenotes.get();
      }
      if (list) list->Add(note.release());
    }
  }
}

void RVDrawSidenotes(TCustomMultiPagePtblRVData* Self, TCanvas* Canvas, int PageNo, bool PostFormat,
                     bool PositionInText, bool Correction, bool Preview, bool Printing, int GlobalPageNo) {
  TRVSidenoteList* list = Self->GetSidenoteList(PageNo);
  TRVStyle* style = Self->GetRVStyle();
  if (!list || !style || !Canvas) return;
  int minItem = 0, maxItem = 0;
  Self->GetPrintableItemsRange(minItem, maxItem);
  TRVScreenAndDevice sad;
  Self->InitScreenAndDevice(Canvas, sad);
  TCustomPrintableRVData* owner = Self;
  if (dynamic_cast<TRVHeaderFooterRVData*>(Self))
    if (auto* p = dynamic_cast<TCustomPrintableRVData*>(Self->GetParentData())) owner = p;
  TRVGraphicInterface* gi = style->GetGraphicInterface();
  const TRVColorMode colorMode = Self->GetColorMode();
  for (int k = 0; k < list->Count(); ++k) {
    auto* note = dynamic_cast<TRVSidenotePtblRVData*>(list->Get(k));
    if (!note || !note->Sidenote) continue;
    if ((note->Sidenote->BoxPosition.PositionInText == rvpitAboveText) != PositionInText) continue;
    // Boxes are placed for items of the printed document itself (boxes in cells come with tables).
    const int rootItem = note->SidenoteItemNo;
    if (rootItem < minItem || rootItem > maxItem) continue;
    TRect R = note->FullRect;
    owner->FTextBoxItem = note->Sidenote;
    TRVBoxProperties& box = note->Sidenote->BoxProperties;
    box.Background.PrepareDrawSaD(R, style, sad);
    if (box.Background.IsSemitransparent()) {
      TRect screen = R;
      DeviceToScreenRect(screen, sad);
      auto bmp = std::make_unique<TBitmap>();
      bmp->SetPixelFormat(pf32bit);
      bmp->SetSize(std::max(screen.Width(), 1), std::max(screen.Height(), 1));
      owner->DrawBackToBitmapEx(DeviceToScreenX(R.Left - owner->GetPrintableAreaLeft(GlobalPageNo), sad),
                                DeviceToScreenY(R.Top - owner->GetPrintableAreaTop(GlobalPageNo), sad), bmp.get(),
                                sad, -1, false, true, true, GlobalPageNo);
      box.Background.Draw(TRect(0, 0, bmp->GetWidth(), bmp->GetHeight()), bmp->GetCanvas(), false, colorMode, gi,
                          true);
      Canvas->StretchDraw(R, bmp.get());
    } else {
      box.Background.Draw(R, Canvas, Printing, colorMode, gi, false);
    }
    HRGN rgn = nullptr;
    bool rgnValid = false;
    gi->IntersectClipRectEx(Canvas, R.Left, R.Top, R.Right, R.Bottom, rgn, rgnValid);
    try {
      if (PostFormat) note->PostFormat(GlobalPageNo);
      note->DrawPage(1, GlobalPageNo, Canvas, Printing, Preview, Correction);
    } catch (...) {
      gi->RestoreClipRgn(Canvas, rgn, rgnValid);
      owner->FTextBoxItem = nullptr;
      throw;
    }
    gi->RestoreClipRgn(Canvas, rgn, rgnValid);
    box.Border.DrawSaD(note->FullRect, Canvas, style, sad, colorMode, gi);
  }
  owner->FTextBoxItem = nullptr;
}
