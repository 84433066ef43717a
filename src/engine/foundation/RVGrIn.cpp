#include "engine/foundation/RVGrIn.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/graphics/Pictures.h"

// ---- base behaviour of the virtual operations --------------------------------------------------

TRVCanvas* TRVGraphicInterface::InitDrawing(TCanvas* Canvas) { return Canvas; }

void TRVGraphicInterface::DoneDrawing(TRVCanvas*) {}

HFONT TRVGraphicInterface::GetFontHandle(TCanvas* Canvas) { return Canvas->Font().GetHandle(); }

void TRVGraphicInterface::FillRect(TCanvas* Canvas, const TRect& R) { Canvas->FillRect(R); }

void TRVGraphicInterface::Polygon(TRVCanvas* RVCanvas, const std::vector<TPoint>& Points) {
  RVCanvas->Polygon(Points);
}

void TRVGraphicInterface::Ellipse(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2) {
  RVCanvas->Ellipse(X1, Y1, X2, Y2);
}

void TRVGraphicInterface::Rectangle(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2) {
  RVCanvas->Rectangle(X1, Y1, X2, Y2);
}

void TRVGraphicInterface::RectangleGradient(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2,
                                            TColor Color1, TColor Color2, bool Vertical) {
  SetRectangleGradientBrush(RVCanvas, X1, Y1, X2, Y2, Color1, Color2, Vertical, 255, 255);
  Rectangle(RVCanvas, X1, Y1, X2, Y2);
}

void TRVGraphicInterface::SetRectangleGradientBrush(TRVCanvas* RVCanvas, int, int, int, int,
                                                    TColor, TColor Color2, bool, int, int) {
  // No gradients here: the second colour stands for the whole fill.
  RVCanvas->Brush().SetStyle(bsSolid);
  RVCanvas->Brush().SetColor(Color2);
}

void TRVGraphicInterface::MoveTo(TRVCanvas* RVCanvas, int X, int Y) { RVCanvas->MoveTo(X, Y); }

void TRVGraphicInterface::LineTo(TRVCanvas* RVCanvas, int X, int Y) { RVCanvas->LineTo(X, Y); }

void TRVGraphicInterface::Line(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2) {
  MoveTo(RVCanvas, X1, Y1);
  LineTo(RVCanvas, X2, Y2);
}

namespace {

// The box and the two radial points of a pie or arc; false when there is nothing to draw.
bool ArcPoints(int X1, int Y1, int X2, int Y2, double StartAngle, double SweepAngle,
               TPoint& Start, TPoint& End) {
  if (SweepAngle < 1e-6) return false;
  const int cx = (X1 + X2) / 2;
  const int cy = (Y1 + Y2) / 2;
  const double k = 3.14159265358979323846 / 180.0;
  auto radial = [&](double a) {
    return TPoint(static_cast<LONG>(std::lround(cx + 1000.0 * std::cos(a * k))),
                  static_cast<LONG>(std::lround(cy + 1000.0 * std::sin(a * k))));
  };
  Start = radial(StartAngle);
  End = radial(StartAngle + SweepAngle);
  return true;
}

}  // namespace

void TRVGraphicInterface::Pie(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2,
                              double StartAngle, double SweepAngle) {
  TPoint s, e;
  // y grows downward, so the system's counter-clockwise sweep from the end point back to the
  // start point covers the clockwise sweep asked for.
  if (ArcPoints(X1, Y1, X2, Y2, StartAngle, SweepAngle, s, e))
    RVCanvas->Pie(X1, Y1, X2 + 1, Y2 + 1, e.X, e.Y, s.X, s.Y);
}

void TRVGraphicInterface::Arc(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2,
                              double StartAngle, double SweepAngle) {
  TPoint s, e;
  if (ArcPoints(X1, Y1, X2, Y2, StartAngle, SweepAngle, s, e))
    RVCanvas->Arc(X1, Y1, X2, Y2, e.X, e.Y, s.X, s.Y);
}

void TRVGraphicInterface::DrawFocusRect(TRVCanvas* RVCanvas, const TRect& R) {
  RVCanvas->DrawFocusRect(R);
}

void TRVGraphicInterface::DrawGraphic(TCanvas* Canvas, int X, int Y, TGraphic* Graphic) {
  Canvas->Draw(X, Y, Graphic);
}

void TRVGraphicInterface::StretchDrawGraphic(TCanvas* Canvas, const TRect& R, TGraphic* Graphic) {
  Canvas->StretchDraw(R, Graphic);
}

void TRVGraphicInterface::PrintBitmap(TCanvas* Canvas, const TRect& R, TBitmap* bmp) {
  StretchDrawGraphic(Canvas, R, bmp);
}

void TRVGraphicInterface::CopyRect(TCanvas* DestCanvas, const TRect& Dest, TCanvas* SourceCanvas,
                                   const TRect& Source) {
  DestCanvas->CopyRect(Dest, *SourceCanvas, Source);
}

void TRVGraphicInterface::SetPen(TRVCanvas* RVCanvas, TPen* Pen) { RVCanvas->Pen().Assign(*Pen); }

void TRVGraphicInterface::SetPenAntiAliasing(TRVCanvas*, bool) {}

void TRVGraphicInterface::SetBrush(TRVCanvas* RVCanvas, TBrush* Brush, int) {
  RVCanvas->Brush().Assign(*Brush);
}

void TRVGraphicInterface::PathAddEllipse(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2) {
  Ellipse(RVCanvas, X1, Y1, X2, Y2);
}

void TRVGraphicInterface::PathAddArc(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2,
                                     double StartAngle, double SweepAngle) {
  Arc(RVCanvas, X1, Y1, X2, Y2, StartAngle, SweepAngle);
}

void TRVGraphicInterface::PathAddLine(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2) {
  Line(RVCanvas, X1, Y1, X2, Y2);
}

void TRVGraphicInterface::PathAddRect(TRVCanvas* RVCanvas, int X1, int Y1, int X2, int Y2) {
  Rectangle(RVCanvas, X1, Y1, X2, Y2);
}

void TRVGraphicInterface::PathAddPolygon(TRVCanvas* RVCanvas, const std::vector<TPoint>& Points) {
  Polygon(RVCanvas, Points);
}

void TRVGraphicInterface::SetPenColorToBrush(TRVCanvas* RVCanvas) {
  if (RVCanvas->Pen().GetStyle() == psClear) {
    RVCanvas->Brush().SetStyle(bsClear);
  } else {
    RVCanvas->Brush().SetStyle(bsSolid);
    RVCanvas->Brush().SetColor(RVCanvas->Pen().GetColor());
  }
}

std::unique_ptr<TBrush> TRVGraphicInterface::CloneBrush(TRVCanvas* RVCanvas) {
  auto b = std::make_unique<TBrush>();
  b->Assign(RVCanvas->Brush());
  return b;
}

void TRVGraphicInterface::SetRVBrush(TRVCanvas* RVCanvas, std::unique_ptr<TBrush> Brush) {
  if (Brush) RVCanvas->Brush().Assign(*Brush);
}

void TRVGraphicInterface::SetCoordCorrectionMode(bool) {}

// ---- measuring --------------------------------------------------------------------------------

void TRVGraphicInterface::InitRVStringAdjRecord(TRVStringAdjRecord& Rec) {
  Rec.ZWSWidth = -1;
  Rec.SHRWidth = -1;
  Rec.WJWidth = -1;
}

int TRVGraphicInterface::GetTextWidthAdjustingDeltaEx(TCanvas* Canvas, const WideChar* Str,
                                                      int Length, TRVStringAdjRecord& Rec) {
  int delta = 0;
  if (!Str) return 0;
  for (int i = 0; i < Length; ++i) {
#if defined(__SSE2__)
    // Fitting asks this of every probe over the text so far: eight code units at a time are
    // passed over while none of them is one of the three characters.
    static_assert(sizeof(WideChar) == 2);
    while (i + 8 <= Length) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Str + i));
      const __m128i hit = _mm_or_si128(
          _mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16(RV_SHY)), _mm_cmpeq_epi16(v, _mm_set1_epi16(RV_ZWS))),
          _mm_cmpeq_epi16(v, _mm_set1_epi16(RV_WJ)));
      if (_mm_movemask_epi8(hit)) break;
      i += 8;
    }
    if (i >= Length) break;
#endif
    int* width = nullptr;
    switch (Str[i]) {
      case RV_SHY: width = &Rec.SHRWidth; break;
      case RV_ZWS: width = &Rec.ZWSWidth; break;
      case RV_WJ: width = &Rec.WJWidth; break;
      default: continue;
    }
    if (!IsInvisibleSpecialChar(Str[i])) continue;
    if (*width < 0) *width = TextSizeBasic(Canvas, &Str[i], 1, false).cx;
    delta -= *width;
  }
  return delta;
}

void TRVGraphicInterface::TrimFitToExtent(TCanvas* Canvas, const WideChar* Str, int MaxExtent,
                                          bool BiDi, TRVStringAdjRecord& Rec, int& Fit,
                                          TSize& Size) {
  for (;;) {
    Size.cx += GetTextWidthAdjustingDeltaEx(Canvas, Str, Fit, Rec);
    if (Fit == 0 || Size.cx <= MaxExtent) break;
    --Fit;
    Size = TextSizeBasic(Canvas, Str, Fit, BiDi);
  }
}

TSize TRVGraphicInterface::TextSize(TCanvas* Canvas, const WideChar* Str, int Length, bool BiDi,
                                    bool IgnoreSpecialChars) {
  TSize sz = TextSizeBasic(Canvas, Str, Length, BiDi);
  if (!IgnoreSpecialChars) {
    TRVStringAdjRecord rec;
    sz.cx += GetTextWidthAdjustingDeltaEx(Canvas, Str, Length, rec);
  }
  return sz;
}

int TRVGraphicInterface::TextWidth(TCanvas* Canvas, const TRVUnicodeString& S, bool BiDi,
                                   bool IgnoreSpecialChars) {
  return TextSize(Canvas, S.data(), static_cast<int>(S.size()), BiDi, IgnoreSpecialChars).cx;
}

int TRVGraphicInterface::TextHeight(TCanvas* Canvas, const TRVUnicodeString& S, bool BiDi,
                                    bool IgnoreSpecialChars) {
  return TextSize(Canvas, S.data(), static_cast<int>(S.size()), BiDi, IgnoreSpecialChars).cy;
}

void TRVGraphicInterface::MaxFit(TCanvas* Canvas, const WideChar* Str, int Length, int Width,
                                 bool BiDi, bool IgnoreSpecialChars, int& Fit, TSize& Size) {
  if (Length > 0) {
    GetTextExtentExPoint(Canvas, Str, Length, Width, BiDi, IgnoreSpecialChars, nullptr, Fit,
                         Size);
  } else {
    Fit = 0;
    Size = TextSize(Canvas, Str, Length, BiDi, IgnoreSpecialChars);
  }
}

// ---- character ranges ---------------------------------------------------------------------------

void TRVGraphicInterface::GetTextRangeCoords(TCanvas* Canvas, const WideChar* Str, int Length,
                                             int SpaceCount, int ExtraSpaceWidth, bool BiDi,
                                             bool IgnoreSpecialChars, int CharIndex1,
                                             int CharIndex2, TRVCoordRangeRecord& Coords,
                                             int LeftNoExpIndex, int RightNoExpIndex) {
  Coords.Left = 0;
  Coords.Right = 0;
  Coords.PNext = nullptr;
  if (CharIndex1 < 0 || CharIndex1 >= Length) return;
  if (CharIndex2 >= Length) CharIndex2 = Length - 1;
  std::unique_ptr<TCustomRVGlyphDXData> data =
      GetGlyphDX(Canvas, Str, Length, SpaceCount, ExtraSpaceWidth, BiDi, IgnoreSpecialChars,
                 false, true, LeftNoExpIndex, RightNoExpIndex);
  if (!data || static_cast<int>(data->PXL.size()) < Length ||
      static_cast<int>(data->PXR.size()) < Length)
    return;
  Coords.Left = data->PXL[CharIndex1];
  Coords.Right = data->PXR[CharIndex1];
  TRVCoordRangeRecord* last = &Coords;
  for (int i = CharIndex1 + 1; i <= CharIndex2; ++i) {
    int l = data->PXL[i], r = data->PXR[i];
    // Pieces that touch stay one run on screen.
    if (l > last->Right || r < last->Left) {
      auto* rec = new TRVCoordRangeRecord{l, r, nullptr};
      last->PNext = rec;
      last = rec;
    } else {
      if (l < last->Left) last->Left = l;
      if (r > last->Right) last->Right = r;
    }
  }
}

void TRVGraphicInterface::FreeAdditionalCoordRangeRecords(TRVCoordRangeRecord& Coords) {
  TRVCoordRangeRecord* p = Coords.PNext;
  Coords.PNext = nullptr;
  while (p) {
    TRVCoordRangeRecord* next = p->PNext;
    delete p;
    p = next;
  }
}

bool TRVGraphicInterface::ApplyTextRangeRegion(TCanvas* Canvas, TCanvas* RefCanvas,
                                               const WideChar* Str, int Length, int SpaceCount,
                                               int ExtraSpaceWidth, bool BiDi,
                                               bool IgnoreSpecialChars, int CharIndex1,
                                               int CharIndex2, int Left, int TextLeft, int Top,
                                               int Bottom, int LeftNoExpIndex,
                                               int RightNoExpIndex) {
  if (CharIndex2 < CharIndex1) return false;
  TRVCoordRangeRecord coords;
  HRGN saved = nullptr, taken = nullptr;
  bool savedValid = false, takenValid = false;
  try {
    GetTextRangeCoords(RefCanvas, Str, Length, SpaceCount, ExtraSpaceWidth, BiDi,
                       IgnoreSpecialChars, CharIndex1, CharIndex2, coords, LeftNoExpIndex,
                       RightNoExpIndex);
    const bool fromStart = CharIndex1 == 0;
    if (!coords.PNext && (!fromStart || coords.Left == 0 || TextLeft == Left)) {
      int x1 = (fromStart ? Left : TextLeft) + coords.Left;
      IntersectClipRect(Canvas, x1, Top, TextLeft + coords.Right, Bottom);
    } else {
      RemoveClipRgn(Canvas, saved, savedValid);
      IntersectClipRect(Canvas, TextLeft + coords.Left, Top, TextLeft + coords.Right, Bottom);
      auto addRect = [&](int x1, int x2) {
        RemoveClipRgn(Canvas, taken, takenValid);
        IntersectClipRect(Canvas, x1, Top, x2, Bottom);
        UnionClipRgn(Canvas, taken, takenValid);
        FreeClipRgn(taken, takenValid);
        taken = nullptr;
      };
      for (TRVCoordRangeRecord* p = coords.PNext; p; p = p->PNext)
        addRect(TextLeft + p->Left, TextLeft + p->Right);
      if (fromStart && TextLeft != Left) addRect(Left, TextLeft);
      if (savedValid) IntersectClipRgn(Canvas, saved, savedValid);
      FreeClipRgn(saved, savedValid);
      saved = nullptr;
    }
  } catch (...) {
    if (taken) FreeClipRgn(taken, takenValid);
    if (saved) FreeClipRgn(saved, savedValid);
    FreeAdditionalCoordRangeRecords(coords);
    throw;
  }
  FreeAdditionalCoordRangeRecords(coords);
  return true;
}

// ---- fonts and transforms of a reference canvas -------------------------------------------------

void TRVGraphicInterface::CopyCanvasFont(TCanvas* SourceCanvas, TCanvas* DestCanvas,
                                         TRVCanvasStoreFontParams& OldState) {
  SetTextAlign(DestCanvas, GetTextAlign(SourceCanvas));
  SetTextCharacterExtra(DestCanvas, GetTextCharacterExtra(SourceCanvas));
  OldState.Charset = DestCanvas->Font().GetCharset();
  if (SourceCanvas->Font().GetCharset() != OldState.Charset)
    DestCanvas->Font().SetCharset(SourceCanvas->Font().GetCharset());
  OldState.FontHandle = SetFontHandle(DestCanvas, GetFontHandle(SourceCanvas));
}

void TRVGraphicInterface::FinalizeCopyCanvasFont(TCanvas* SourceCanvas, TCanvas* DestCanvas,
                                                 const TRVCanvasStoreFontParams& OldState) {
  SetFontHandle(DestCanvas, OldState.FontHandle);
  if (SourceCanvas->Font().GetCharset() != OldState.Charset)
    DestCanvas->Font().SetCharset(OldState.Charset);
}

void TRVGraphicInterface::ScaleCanvasTransform(TCanvas* Canvas,
                                               TRVCanvasStoreTransformParams& OldState,
                                               int ScaleFactor) {
  if (IsAdvancedGraphicsMode(Canvas)) {
    GetWorldTransform(Canvas, OldState.XForm);
    XFORM x = OldState.XForm;
    const float f = static_cast<float>(ScaleFactor);
    x.eM11 /= f;
    x.eM12 /= f;
    x.eM21 /= f;
    x.eM22 /= f;
    SetWorldTransform(Canvas, x);
  } else {
    GetWindowOrgEx(Canvas, OldState.wopt);
    GetWindowExtEx(Canvas, OldState.wesz);
    SetWindowExtEx(Canvas, OldState.wesz.cx * ScaleFactor, OldState.wesz.cy * ScaleFactor,
                   nullptr);
    SetWindowOrgEx(Canvas, OldState.wopt.X * ScaleFactor, OldState.wopt.Y * ScaleFactor, nullptr);
  }
}

void TRVGraphicInterface::RestoreCanvasTransform(TCanvas* Canvas,
                                                 const TRVCanvasStoreTransformParams& OldState) {
  if (IsAdvancedGraphicsMode(Canvas)) {
    SetWorldTransform(Canvas, OldState.XForm);
  } else {
    SetWindowOrgEx(Canvas, OldState.wopt.X, OldState.wopt.Y, nullptr);
    SetWindowExtEx(Canvas, OldState.wesz.cx, OldState.wesz.cy, nullptr);
  }
}

void TRVGraphicInterface::MoveWindowOrgAdvanced(TCanvas* Canvas, int DX, int DY) {
  if (IsAdvancedGraphicsMode(Canvas)) {
    XFORM t;
    t.eDx = static_cast<FLOAT>(DX);
    t.eDy = static_cast<FLOAT>(DY);
    ModifyWorldTransform(Canvas, t);
  } else {
    POINT p;
    GetWindowOrgEx(Canvas, p);
    SetWindowOrgEx(Canvas, p.X - DX, p.Y - DY, nullptr);
  }
}

// ---- feedback lines -----------------------------------------------------------------------------

void TRVGraphicInterface::LineDragDropCaret(TCanvas* Canvas, int X, int Y1, int Y2) {
  for (int y = Y1 + (Y1 & 1); y <= Y2; y += 2) Line(Canvas, X, y, X + 2, y);
}

void TRVGraphicInterface::DrawTableResizeVLine(TCanvas* Canvas, int X, int Y1, int Y2) {
  for (int y = Y1; y < Y2; y += 8) {
    Line(Canvas, X, y, X, y + 1);
    Line(Canvas, X, y + 2, X, y + 3);
    Line(Canvas, X, y + 4, X, y + 5);
  }
}

void TRVGraphicInterface::DrawTableResizeHLine(TCanvas* Canvas, int X1, int X2, int Y) {
  for (int x = X1; x < X2; x += 8) {
    Line(Canvas, x, Y, x + 1, Y);
    Line(Canvas, x + 2, Y, x + 3, Y);
    Line(Canvas, x + 4, Y, x + 5, Y);
  }
}
