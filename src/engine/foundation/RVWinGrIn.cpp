#include "engine/foundation/RVWinGrIn.h"

#include <algorithm>
#include <climits>

#include "engine/foundation/RVFuncs.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Printers.h"

namespace {

constexpr DWORD PlacementFlags = GCP_REORDER | GCP_GLYPHSHAPE | GCP_LIGATE | GCP_DIACRITIC;

HDC DC(TCanvas* Canvas) { return Canvas->GetHandle(); }

// Height part of a placement result: 0 means the placement failed.
bool PlacementOk(DWORD r) { return (r >> 16) >= 1; }

// MaxExtent widened by the width of the invisible characters, without overflowing.
int WidenExtent(int MaxExtent, int Delta) {
  if (MaxExtent == INT_MAX) return MaxExtent;
  long long v = static_cast<long long>(MaxExtent) + Delta;
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

bool IsRTLClass(char c) { return c == GCPCLASS_HEBREW || c == GCPCLASS_ARABIC; }

}  // namespace

// ---- glyph data -------------------------------------------------------------------------------

bool TRVWinGlyphDXData::CheckOrder(int Length) const {
  if (Length <= 0) return true;
  for (int i = 0; i < Length && i < static_cast<int>(POrder.size()); ++i)
    if (POrder[i] != 0) return true;
  return false;
}

void TRVWinGlyphDXData::FillReverseOrder(int Length) {
  POrderRev.assign(std::max(Length, 0), -1);
  for (int i = 0; i < Length && i < static_cast<int>(POrder.size()); ++i)
    if (POrder[i] >= 0 && POrder[i] < Length) POrderRev[POrder[i]] = i;
}

void TRVWinGlyphDXData::FillCoordsBiDi(int Length) {
  PXL.assign(std::max(Length, 0), -1);
  PXR.assign(std::max(Length, 0), -1);
  int x = 0;
  for (int j = 0; j < Length && j < static_cast<int>(POrderRev.size()); ++j) {
    int i = POrderRev[j];
    if (i < 0) continue;
    PXL[i] = x;
    if (j < static_cast<int>(PDX.size())) x += PDX[j];
    PXR[i] = x;
  }
}

void TRVWinGlyphDXData::FillCoordsLTR(int Length) {
  PXL.assign(std::max(Length, 0), 0);
  PXR.assign(std::max(Length, 0), 0);
  for (int i = 0; i < Length; ++i) {
    PXL[i] = i == 0 ? 0 : PDX[i - 1];
    PXR[i] = PDX[i];
  }
}

void TRVWinGlyphDXData::FillCoordsLTR2(int Length) {
  PXL.assign(std::max(Length, 0), 0);
  PXR.assign(std::max(Length, 0), 0);
  int x = 0;
  for (int i = 0; i < Length; ++i) {
    PXL[i] = x;
    x += PDX[i];
    PXR[i] = x;
  }
}

void TRVWinGlyphDXData::MakeCharWidthsLTR(int Length) {
  for (int i = Length - 1; i >= 1; --i) PDX[i] -= PDX[i - 1];
}

TRVCharExtraOff::TRVCharExtraOff(TRVGraphicInterface& GI, TCanvas* Canvas)
    : FGI(GI), FCanvas(Canvas), FExtra(GI.GetTextCharacterExtra(Canvas)) {
  if (FExtra != 0) FGI.SetTextCharacterExtra(FCanvas, 0);
}

TRVCharExtraOff::~TRVCharExtraOff() {
  if (FExtra != 0) FGI.SetTextCharacterExtra(FCanvas, FExtra);
}

// ---- one-to-one operations --------------------------------------------------------------------

void TRVWinGraphicInterface::TextOut(TCanvas* Canvas, int X, int Y, const WideChar* Str,
                                     int Length, bool) {
  ::TextOutW(DC(Canvas), X, Y, Str, Length);
}

UINT TRVWinGraphicInterface::GetOutlineTextMetrics(TCanvas* Canvas, UINT Size,
                                                   OUTLINETEXTMETRICW* POTM) {
  return ::GetOutlineTextMetricsW(DC(Canvas), Size, POTM);
}

bool TRVWinGraphicInterface::GetTextMetrics(TCanvas* Canvas, TEXTMETRICW& TM) {
  TM = TEXTMETRICW{};
  return ::GetTextMetricsW(DC(Canvas), &TM) != 0;
}

bool TRVWinGraphicInterface::FontHasLigationGlyphs(TCanvas* Canvas) {
  return (::GetFontLanguageInfo(DC(Canvas)) & GCP_LIGATE) != 0;
}

void TRVWinGraphicInterface::SetTextAlign(TCanvas* Canvas, UINT Flags) {
  ::SetTextAlign(DC(Canvas), Flags);
}

UINT TRVWinGraphicInterface::GetTextAlign(TCanvas* Canvas) { return ::GetTextAlign(DC(Canvas)); }

int TRVWinGraphicInterface::GetTextCharacterExtra(TCanvas* Canvas) {
  return ::GetTextCharacterExtra(DC(Canvas));
}

void TRVWinGraphicInterface::SetTextCharacterExtra(TCanvas* Canvas, int CharExtra) {
  ::SetTextCharacterExtra(DC(Canvas), CharExtra);
}

void TRVWinGraphicInterface::SetLogFont(TCanvas* Canvas, const LOGFONTW& LogFont) {
  Canvas->Font().SetHandle(::CreateFontIndirectW(&LogFont));
}

HFONT TRVWinGraphicInterface::SetFontHandle(TCanvas* Canvas, HFONT FontHandle) {
  return ::SelectObject(DC(Canvas), FontHandle);
}

void TRVWinGraphicInterface::SetDiagonalBrush(TCanvas* Canvas, TColor BackColor,
                                              TColor ForeColor, int XOrg, int YOrg) {
  HDC dc = DC(Canvas);
  ::SetBkColor(dc, ColorToRGB(BackColor));
  Canvas->Brush().SetStyle(bsFDiagonal);
  Canvas->Brush().SetColor(ForeColor);
  dc = DC(Canvas);  // selects the hatched brush
  ::SetBrushOrgEx(dc, XOrg, YOrg, nullptr);
  ::SetBkMode(dc, OPAQUE);
  // Selecting the brush may have set the background colour: set it again.
  ::SetBkColor(dc, ColorToRGB(BackColor));
}

TCanvas* TRVWinGraphicInterface::CreateScreenCanvas() {
  return new TCanvas(::GetDC(nullptr));
}

TCanvas* TRVWinGraphicInterface::CreateScreenCompatibleCanvas() {
  return new TCanvas(::CreateCompatibleDC(nullptr));
}

void TRVWinGraphicInterface::DestroyScreenCanvas(TCanvas* Canvas) {
  if (!Canvas) return;
  HDC dc = Canvas->HandleAllocated() ? Canvas->GetHandle() : nullptr;
  Canvas->SetHandle(nullptr);
  delete Canvas;
  if (dc) ::ReleaseDC(nullptr, dc);
}

TCanvas* TRVWinGraphicInterface::CreateCompatibleCanvas(TCanvas* Canvas) {
  HDC src = DC(Canvas);
  HDC dc = ::CreateCompatibleDC(src);
  ::SetGraphicsMode(dc, ::GetGraphicsMode(src));
  if (::GetGraphicsMode(src) == GM_ADVANCED) {
    XFORM x;
    ::GetWorldTransform(src, &x);
    ::SetWorldTransform(dc, &x);
  }
  auto* c = new TCanvas(dc);
  c->Font().SetPixelsPerInch(Canvas->Font().GetPixelsPerInch());
  return c;
}

void TRVWinGraphicInterface::DestroyCompatibleCanvas(TCanvas* Canvas) {
  if (!Canvas) return;
  HDC dc = Canvas->HandleAllocated() ? Canvas->GetHandle() : nullptr;
  Canvas->SetHandle(nullptr);
  delete Canvas;
  if (dc) ::DeleteDC(dc);
}

// A canvas on the current printer's information context: it measures like the printer and
// draws nothing; DestroyCompatibleCanvas frees it.
TCanvas* TRVWinGraphicInterface::CreatePrinterCanvas() {
  HDC dc = ::CreatePrinterDC();
  if (!dc) return nullptr;
  auto* canvas = new TCanvas(dc);
  canvas->Font().SetPixelsPerInch(::GetDeviceCaps(dc, LOGPIXELSY));
  return canvas;
}

bool TRVWinGraphicInterface::PrinterSupportsCopies(int Copies) { return PrinterCopiesAtLeast(Copies); }

void TRVWinGraphicInterface::GetViewportExtEx(TCanvas* Canvas, SIZE& Size) {
  ::GetViewportExtEx(DC(Canvas), &Size);
}
void TRVWinGraphicInterface::GetViewportOrgEx(TCanvas* Canvas, POINT& Point) {
  ::GetViewportOrgEx(DC(Canvas), &Point);
}
void TRVWinGraphicInterface::GetWindowExtEx(TCanvas* Canvas, SIZE& Size) {
  ::GetWindowExtEx(DC(Canvas), &Size);
}
void TRVWinGraphicInterface::GetWindowOrgEx(TCanvas* Canvas, POINT& Point) {
  ::GetWindowOrgEx(DC(Canvas), &Point);
}
void TRVWinGraphicInterface::SetViewportExtEx(TCanvas* Canvas, int XExt, int YExt,
                                              SIZE* OldSize) {
  ::SetViewportExtEx(DC(Canvas), XExt, YExt, OldSize);
}
void TRVWinGraphicInterface::SetViewportOrgEx(TCanvas* Canvas, int X, int Y, POINT* OldPoint) {
  ::SetViewportOrgEx(DC(Canvas), X, Y, OldPoint);
}
void TRVWinGraphicInterface::SetWindowExtEx(TCanvas* Canvas, int XExt, int YExt,
                                            SIZE* OldSize) {
  ::SetWindowExtEx(DC(Canvas), XExt, YExt, OldSize);
}
void TRVWinGraphicInterface::SetWindowOrgEx(TCanvas* Canvas, int X, int Y, POINT* OldPoint) {
  ::SetWindowOrgEx(DC(Canvas), X, Y, OldPoint);
}
int TRVWinGraphicInterface::GetMapMode(TCanvas* Canvas) { return ::GetMapMode(DC(Canvas)); }
int TRVWinGraphicInterface::SetMapMode(TCanvas* Canvas, int Mode) {
  return ::SetMapMode(DC(Canvas), Mode);
}

bool TRVWinGraphicInterface::SetGraphicsMode(TCanvas* Canvas, bool Advanced) {
  HDC dc = DC(Canvas);
  bool was = ::GetGraphicsMode(dc) != GM_COMPATIBLE;
  if (!Advanced && was) ::ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
  ::SetGraphicsMode(dc, Advanced ? GM_ADVANCED : GM_COMPATIBLE);
  return was;
}

bool TRVWinGraphicInterface::IsAdvancedGraphicsMode(TCanvas* Canvas) {
  return ::GetGraphicsMode(DC(Canvas)) != GM_COMPATIBLE;
}
bool TRVWinGraphicInterface::GetWorldTransform(TCanvas* Canvas, XFORM& XForm) {
  return ::GetWorldTransform(DC(Canvas), &XForm) != 0;
}
bool TRVWinGraphicInterface::SetWorldTransform(TCanvas* Canvas, const XFORM& XForm) {
  return ::SetWorldTransform(DC(Canvas), &XForm) != 0;
}
bool TRVWinGraphicInterface::ModifyWorldTransform(TCanvas* Canvas, const XFORM& XForm) {
  return ::ModifyWorldTransform(DC(Canvas), &XForm, MWT_LEFTMULTIPLY) != 0;
}

// ---- clipping ---------------------------------------------------------------------------------

void TRVWinGraphicInterface::IntersectClipRect(TCanvas* Canvas, int X1, int Y1, int X2, int Y2) {
  ::IntersectClipRect(DC(Canvas), X1, Y1, X2, Y2);
}
void TRVWinGraphicInterface::ExcludeClipRect(TCanvas* Canvas, int X1, int Y1, int X2, int Y2) {
  ::ExcludeClipRect(DC(Canvas), X1, Y1, X2, Y2);
}
void TRVWinGraphicInterface::IntersectClipRectEx(TCanvas* Canvas, int X1, int Y1, int X2, int Y2,
                                                 HRGN& Rgn, bool& RgnValid) {
  GetClipRgn(Canvas, Rgn, RgnValid);
  IntersectClipRect(Canvas, X1, Y1, X2, Y2);
}
void TRVWinGraphicInterface::GetClipRgn(TCanvas* Canvas, HRGN& Rgn, bool& RgnValid) {
  Rgn = ::CreateRectRgn(0, 0, 1, 1);
  RgnValid = ::GetClipRgn(DC(Canvas), Rgn) == 1;
}
void TRVWinGraphicInterface::RemoveClipRgn(TCanvas* Canvas, HRGN& Rgn, bool& RgnValid) {
  GetClipRgn(Canvas, Rgn, RgnValid);
  ::SelectClipRgn(DC(Canvas), nullptr);
}
void TRVWinGraphicInterface::RestoreClipRgn(TCanvas* Canvas, HRGN Rgn, bool RgnValid) {
  ::SelectClipRgn(DC(Canvas), RgnValid ? Rgn : nullptr);
  if (Rgn) ::DeleteObject(Rgn);
}
void TRVWinGraphicInterface::IntersectClipRgn(TCanvas* Canvas, HRGN Rgn, bool RgnValid) {
  if (RgnValid)
    ::ExtSelectClipRgn(DC(Canvas), Rgn, RGN_AND);
  else
    ::SelectClipRgn(DC(Canvas), nullptr);
}
void TRVWinGraphicInterface::UnionClipRgn(TCanvas* Canvas, HRGN Rgn, bool RgnValid) {
  if (RgnValid) ::ExtSelectClipRgn(DC(Canvas), Rgn, RGN_OR);
}
void TRVWinGraphicInterface::FreeClipRgn(HRGN Rgn, bool) {
  if (Rgn) ::DeleteObject(Rgn);
}
int TRVWinGraphicInterface::SaveCanvasState(TCanvas* Canvas) { return ::SaveDC(DC(Canvas)); }
void TRVWinGraphicInterface::RestoreCanvasState(TCanvas* Canvas, int State) {
  ::RestoreDC(DC(Canvas), State);
}

// ---- shapes and bitmaps -----------------------------------------------------------------------

void TRVWinGraphicInterface::FillColorRect(TCanvas* Canvas, const TRect& R, TColor Color) {
  HBRUSH b = ::CreateSolidBrush(ColorToRGB(Color));
  ::FillRect(DC(Canvas), &R, b);
  ::DeleteObject(b);
}

void TRVWinGraphicInterface::Polyline(TCanvas* Canvas, const TPoint* Points, int Count) {
  ::Polyline(DC(Canvas), Points, Count);
}

void TRVWinGraphicInterface::DrawBitmap(TCanvas* Canvas, int X, int Y, TBitmap* bmp) {
  if (!bmp || bmp->GetEmpty()) return;
  ::BitBlt(DC(Canvas), X, Y, bmp->GetWidth(), bmp->GetHeight(), bmp->GetCanvas()->GetHandle(), 0,
           0, SRCCOPY);
}

void TRVWinGraphicInterface::StretchDrawBitmap(TCanvas* Canvas, const TRect& R, TBitmap* bmp) {
  if (!bmp || bmp->GetEmpty()) return;
  ::StretchBlt(DC(Canvas), R.Left, R.Top, R.Width(), R.Height(), bmp->GetCanvas()->GetHandle(),
               0, 0, bmp->GetWidth(), bmp->GetHeight(), SRCCOPY);
}

void TRVWinGraphicInterface::PrintBitmap(TCanvas* Canvas, const TRect& R, TBitmap* bmp) {
  if (!bmp || bmp->GetEmpty()) return;
  // Printers take device-independent pixels: 32-bit top-down rows.
  TPixelImage img = bmp->ToPixels();
  if (img.Empty()) return;
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = img.Width;
  bi.bmiHeader.biHeight = -img.Height;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  ::StretchDIBits(DC(Canvas), R.Left, R.Top, R.Width(), R.Height(), 0, 0, img.Width, img.Height,
                  img.Pixels.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
}

void TRVWinGraphicInterface::DrawImageList(TCanvas* Canvas, TCustomImageList* ImageList,
                                           int Index, int X, int Y, TColor BlendColor) {
  if (!ImageList) return;
  if (BlendColor == clNone) {
    ImageList->Draw(*Canvas, X, Y, Index, dsTransparent, itImage);
    return;
  }
  // Half the blend colour over the image; the list keeps its own blend colour.
  const TColor old = ImageList->BlendColor;
  ImageList->BlendColor = BlendColor;
  try {
    ImageList->Draw(*Canvas, X, Y, Index, dsSelected, itImage);
  } catch (...) {
    ImageList->BlendColor = old;
    throw;
  }
  ImageList->BlendColor = old;
}

int TRVWinGraphicInterface::GetDeviceCaps(TCanvas* Canvas, int Index) {
  return ::GetDeviceCaps(DC(Canvas), Index);
}

void TRVWinGraphicInterface::BeginPath(TRVCanvas* RVCanvas) { ::BeginPath(DC(RVCanvas)); }
void TRVWinGraphicInterface::EndPath(TRVCanvas* RVCanvas) { ::EndPath(DC(RVCanvas)); }
void TRVWinGraphicInterface::PathCloseFigure(TRVCanvas* RVCanvas) { ::CloseFigure(DC(RVCanvas)); }

void TRVWinGraphicInterface::FillPath(TRVCanvas* RVCanvas, bool ALine, bool ABack) {
  if (ALine && ABack)
    ::StrokeAndFillPath(DC(RVCanvas));
  else if (ALine)
    ::StrokePath(DC(RVCanvas));
  else if (ABack)
    ::FillPath(DC(RVCanvas));
}

std::vector<TRect> TRVWinGraphicInterface::AlphaFillPieces(const TRect& R) {
  std::vector<TRect> pieces;
  const int w = R.Width(), h = R.Height();
  if (w <= 0 || h <= 0) return pieces;
  const int tw = std::min(w, 1000), th = std::min(h, 1000);
  const int cols = w / tw, rows = h / th, remW = w % tw, remH = h % th;
  for (int c = 0; c < cols; ++c)
    for (int r = 0; r < rows; ++r)
      pieces.push_back(Bounds(R.Left + c * tw, R.Top + r * th, tw, th));
  if (remW)
    for (int r = 0; r < rows; ++r)
      pieces.push_back(Bounds(R.Left + cols * tw, R.Top + r * th, remW, th));
  if (remH)
    for (int c = 0; c < cols; ++c)
      pieces.push_back(Bounds(R.Left + c * tw, R.Top + rows * th, tw, remH));
  if (remW && remH) pieces.push_back(Bounds(R.Left + cols * tw, R.Top + rows * th, remW, remH));
  return pieces;
}

void TRVWinGraphicInterface::FillRectAlpha(TCanvas* Canvas, const TRect& R, TColor Color,
                                           int Opacity) {
  if (Opacity <= 0 || Color == clNone || R.IsEmpty()) return;
  bool blended = false;
  if (Opacity < 255) {
    HDC tile = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    try {
      const int tw = std::min(R.Width(), 1000), th = std::min(R.Height(), 1000);
      HDC dc = DC(Canvas);
      tile = ::CreateCompatibleDC(dc);
      bmp = tile ? ::CreateCompatibleBitmap(dc, tw, th) : nullptr;
      if (tile && bmp) {
        old = ::SelectObject(tile, bmp);
        TRect all(0, 0, tw, th);
        HBRUSH b = ::CreateSolidBrush(ColorToRGB(Color));
        ::FillRect(tile, &all, b);
        ::DeleteObject(b);
        BLENDFUNCTION bf;
        bf.BlendOp = AC_SRC_OVER;
        bf.SourceConstantAlpha = static_cast<BYTE>(Opacity);
        blended = true;
        for (const TRect& p : AlphaFillPieces(R)) {
          if (!::AlphaBlend(dc, p.Left, p.Top, p.Width(), p.Height(), tile, 0, 0, p.Width(),
                            p.Height(), bf)) {
            blended = false;
            break;
          }
        }
      }
    } catch (...) {
      blended = false;
    }
    if (tile && old) ::SelectObject(tile, old);
    if (bmp) ::DeleteObject(bmp);
    if (tile) ::DeleteDC(tile);
  }
  if (!blended) {
    Canvas->Brush().SetStyle(bsSolid);
    Canvas->Brush().SetColor(Color);
    Canvas->FillRect(R);
  }
}

// ---- text -------------------------------------------------------------------------------------

TSize TRVWinGraphicInterface::TextSizeBasic(TCanvas* Canvas, const WideChar* Str, int Length,
                                            bool BiDi) {
  TSize sz(0, 0);
  HDC dc = DC(Canvas);
  if (!BiDi || Length <= 0) {
    if (!::GetTextExtentPoint32W(dc, Str, std::max(Length, 0), &sz)) sz = TSize(0, 0);
    return sz;
  }
  TRVCharExtraOff off(*this, Canvas);
  if (!::GetTextExtentPoint32W(dc, Str, Length, &sz)) sz = TSize(0, 0);
  if (off.Extra() != 0) {
    std::vector<int> dx(2 * Length + 16, 0);
    GCP_RESULTSW gcp;
    gcp.lpDx = dx.data();
    gcp.nGlyphs = static_cast<UINT>(dx.size());
    if (PlacementOk(::GetCharacterPlacementW(dc, Str, Length, 0, &gcp, PlacementFlags)))
      sz.cx += GetCharSpacingDelta(nullptr, static_cast<int>(gcp.nGlyphs), off.Extra(),
                                   dx.data());
  }
  return sz;
}

void TRVWinGraphicInterface::GetTextExtentExPoint(TCanvas* Canvas, const WideChar* Str,
                                                  int Length, int MaxExtent, bool BiDi,
                                                  bool IgnoreSpecialChars, int* PCoords,
                                                  int& Fit, TSize& Size) {
  Fit = 0;
  Size = TSize(0, 0);
  if (Length <= 0) return;
  HDC dc = DC(Canvas);
  if (!BiDi || GetTextCharacterExtra(Canvas) == 0) {
    TRVStringAdjRecord rec;
    const int delta =
        IgnoreSpecialChars ? 0 : -GetTextWidthAdjustingDeltaEx(Canvas, Str, Length, rec);
    int fit = 0;
    SIZE sz{};
    if (::GetTextExtentExPointW(dc, Str, Length, WidenExtent(MaxExtent, delta), &fit, PCoords,
                                &sz)) {
      Fit = std::clamp(fit, 0, Length);
      Size = sz;
      if (delta != 0 && PCoords && !BiDi) {
        AdjustCoordArray(Str, Fit, PCoords);
        while (Fit > 0 && PCoords[Fit - 1] > MaxExtent) --Fit;
      }
      if (Fit < Length) Size = TextSizeBasic(Canvas, Str, Fit, BiDi);
      if (delta != 0) TrimFitToExtent(Canvas, Str, MaxExtent, BiDi, rec, Fit, Size);
      return;
    }
  }
  // Measuring prefixes: slow, but right for any run. The size given back is that of the
  // characters that fit, as on the fast path.
  if (!PCoords) {
    // Nobody needs the width of every prefix: search by halves, the prefixes only grow.
    Size = TextSizeBasic(Canvas, Str, Length, BiDi);
    if (Size.cx <= MaxExtent) {
      Fit = Length;
      return;
    }
    int lo = 0, hi = Length;  // the first lo characters fit, the first hi do not
    TSize loSize = TextSizeBasic(Canvas, Str, 0, BiDi);
    while (hi - lo > 1) {
      const int mid = lo + (hi - lo) / 2;
      const TSize sz = TextSizeBasic(Canvas, Str, mid, BiDi);
      if (sz.cx <= MaxExtent) {
        lo = mid;
        loSize = sz;
      } else {
        hi = mid;
      }
    }
    Fit = lo;
    Size = loSize;
    return;
  }
  Fit = -1;
  TSize fitting = TextSizeBasic(Canvas, Str, 0, BiDi);
  for (int i = 1; i <= Length; ++i) {
    Size = TextSizeBasic(Canvas, Str, i, BiDi);
    if (Size.cx > MaxExtent) {
      Fit = i - 1;
      Size = fitting;
      break;
    }
    fitting = Size;
    if (PCoords) PCoords[i - 1] = Size.cx;
  }
  if (Fit < 0) Fit = Length;
}

std::unique_ptr<TCustomRVGlyphDXData> TRVWinGraphicInterface::GetGlyphDX(
    TCanvas* Canvas, const WideChar* Str, int Length, int SpaceCount, int ExtraSpaceWidth,
    bool BiDi, bool IgnoreSpecialChars, bool NeedDX, bool NeedCoords, int LeftNoExpIndex,
    int RightNoExpIndex) {
  if (Length < 0) Length = 0;
  if (BiDi && Length > 0) {
    auto data = std::make_unique<TRVWinGlyphDXData>();
    TRVCharExtraOff off(*this, Canvas);
    const int room = 2 * Length + 16;
    data->PDX.assign(room, 0);
    data->PGlyphs.assign(room, 0);
    // The order is kept for drawing too (see TextOutWithDX).
    std::vector<UINT> order(Length, 0);
    GCP_RESULTSW gcp;
    gcp.lpDx = data->PDX.data();
    gcp.lpGlyphs = data->PGlyphs.data();
    gcp.lpOrder = order.empty() ? nullptr : order.data();
    gcp.nGlyphs = static_cast<UINT>(room);
    DWORD r = ::GetCharacterPlacementW(DC(Canvas), Str, Length, 0, &gcp, PlacementFlags);
    data->POrder.assign(order.begin(), order.end());
    if (PlacementOk(r) && (!NeedCoords || data->CheckOrder(Length))) {
      data->nGlyphs = static_cast<int>(std::min<UINT>(gcp.nGlyphs, room));
      const int* po = data->POrder.empty() ? nullptr : data->POrder.data();
      ApplyCharSpacingToDX(nullptr, data->nGlyphs, off.Extra(), data->PDX.data());
      ApplySpacingToDX(Str, Length, data->PDX.data(), SpaceCount, ExtraSpaceWidth, LeftNoExpIndex,
                       RightNoExpIndex, po);
      if (NeedCoords) {
        data->FillReverseOrder(Length);
        data->FillCoordsBiDi(Length);
      }
      return data;
    }
  }
  auto data = std::make_unique<TRVWinGlyphDXData>();
  data->PDX.assign(Length, 0);
  if (Length > 0) {
    int fit = 0;
    TSize sz;
    GetTextExtentExPoint(Canvas, Str, Length, INT_MAX, false, IgnoreSpecialChars,
                         data->PDX.data(), fit, sz);
  }
  if (SpaceCount != 0) {
    data->MakeCharWidthsLTR(Length);
    ApplySpacingToDX(Str, Length, data->PDX.data(), SpaceCount, ExtraSpaceWidth, LeftNoExpIndex,
                     RightNoExpIndex, nullptr);
    if (NeedCoords) data->FillCoordsLTR2(Length);
  } else {
    if (NeedCoords) data->FillCoordsLTR(Length);
    if (NeedDX) data->MakeCharWidthsLTR(Length);
  }
  return data;
}

void TRVWinGraphicInterface::TextOutWithDX(TCanvas* Canvas, int X, int Y, const WideChar* Str,
                                           int Length, bool ForMetafile,
                                           TCustomRVGlyphDXData* Data) {
  TRVCharExtraOff off(*this, Canvas);
  HDC dc = DC(Canvas);
  auto* win = dynamic_cast<TRVWinGlyphDXData*>(Data);
  if (win && win->nGlyphs > 0) {
    // Glyph indexes name glyphs of the selected font only, while placement may have taken
    // glyphs from fallback faces; characters with their advances draw the same run on every
    // face, and are what a metafile must hold. Glyph indexes serve only without an order.
    const bool ordered = static_cast<int>(win->POrder.size()) >= Length;
    if (!ForMetafile && !ordered) {
      ::ExtTextOutW(dc, X, Y, ETO_GLYPH_INDEX, nullptr, win->PGlyphs.data(),
                    static_cast<UINT>(win->nGlyphs), win->PDX.data());
      return;
    }
    if (Length <= 0) return;
    // Characters take their advances in text order, while placement gave them in drawing
    // order: each drawing position's advance goes to the first character drawn there. Without
    // the order the characters keep their natural advances.
    std::vector<int> dx;
    if (ordered) {
      dx.assign(Length, 0);
      std::vector<bool> taken(win->PDX.size(), false);
      for (int i = 0; i < Length; ++i) {
        const int j = win->POrder[i];
        if (j < 0 || j >= static_cast<int>(win->PDX.size()) || taken[j]) continue;
        taken[j] = true;
        dx[i] = win->PDX[j];
      }
    }
    ::ExtTextOutW(dc, X, Y, 0, nullptr, Str, static_cast<UINT>(Length),
                  dx.empty() ? nullptr : dx.data());
    return;
  }
  if (Length <= 0) return;
  // Advances are used only when there is one for every character.
  const int* dx = Data && static_cast<int>(Data->PDX.size()) >= Length ? Data->PDX.data() : nullptr;
  ::ExtTextOutW(dc, X, Y, 0, nullptr, Str, static_cast<UINT>(Length), dx);
}

void TRVWinGraphicInterface::GetDXAndOrder(TCanvas* Canvas, const WideChar* Str, int Length,
                                           bool BiDi, bool IgnoreSpecialChars,
                                           std::vector<int>& PDX, std::vector<int>* POrder) {
  PDX.assign(std::max(Length, 0), 0);
  if (POrder) POrder->assign(std::max(Length, 0), 0);
  if (Length <= 0) return;
  if (BiDi) {
    std::vector<int> dx(2 * Length + 16, 0);
    std::vector<UINT> order(Length, 0);
    GCP_RESULTSW gcp;
    gcp.lpDx = dx.data();
    gcp.lpOrder = order.data();
    gcp.nGlyphs = static_cast<UINT>(dx.size());
    if (PlacementOk(::GetCharacterPlacementW(DC(Canvas), Str, Length, 0, &gcp, PlacementFlags))) {
      PDX.assign(dx.begin(), dx.end());
      if (POrder)
        for (int i = 0; i < Length; ++i) (*POrder)[i] = static_cast<int>(order[i]);
      return;
    }
  }
  int fit = 0;
  TSize sz;
  GetTextExtentExPoint(Canvas, Str, Length, INT_MAX, false, IgnoreSpecialChars, PDX.data(), fit,
                       sz);
  for (int i = Length - 1; i >= 1; --i) PDX[i] -= PDX[i - 1];
  if (POrder)
    for (int i = 0; i < Length; ++i) (*POrder)[i] = i;
}

int TRVWinGraphicInterface::GetExpandableCharCount(TCanvas* Canvas, const WideChar* Str,
                                                   int Length, bool BiDi,
                                                   bool IgnoreSpecialChars) {
  if (Length <= 0) return 0;
  std::vector<int> dx, order;
  GetDXAndOrder(Canvas, Str, Length, BiDi, IgnoreSpecialChars, dx, &order);
  std::vector<bool> starts = CharStarts(Str, Length);
  int n = 0;
  for (int i = 0; i < Length; ++i)
    if (starts[i] && dx[BiDi ? order[i] : i] != 0) ++n;
  return n;
}

void TRVWinGraphicInterface::GetOutermostNonExpandableCharacters(
    TCanvas* Canvas, const WideChar* Str, int Length, bool BiDi, bool IgnoreSpecialChars, bool,
    bool Right, int& LeftIndex, int& RightIndex) {
  LeftIndex = -1;
  if (Length <= 0 || !Right) {
    RightIndex = -1;
    return;
  }
  RightIndex = Length - 1;
  std::vector<int> dx, order;
  GetDXAndOrder(Canvas, Str, Length, BiDi, IgnoreSpecialChars, dx, &order);
  std::vector<bool> starts = CharStarts(Str, Length);
  int best = -1;
  for (int i = 0; i < Length; ++i) {
    const int pos = BiDi ? order[i] : i;
    if (!starts[i] || dx[pos] == 0) continue;
    if (best < 0 || pos > best) {
      best = pos;
      RightIndex = i;
    }
  }
}

bool TRVWinGraphicInterface::GetCaretPositions(TCanvas* Canvas, const WideChar* Str, int Length,
                                               int SpaceCount, int ExtraSpaceWidth, bool BiDi,
                                               bool IgnoreSpecialChars, int* PCP,
                                               int LeftNoExpIndex, int RightNoExpIndex) {
  if (!PCP) return false;
  if (Length <= 0) {
    PCP[0] = 0;
    return true;
  }
  if (BiDi && GetCaretPositionsByPlacement(Canvas, Str, Length, SpaceCount, ExtraSpaceWidth,
                                           IgnoreSpecialChars, PCP, LeftNoExpIndex,
                                           RightNoExpIndex))
    return true;
  GetCaretPositionsByExtents(Canvas, Str, Length, SpaceCount, ExtraSpaceWidth,
                             IgnoreSpecialChars, PCP, LeftNoExpIndex, RightNoExpIndex);
  return true;
}

bool TRVWinGraphicInterface::GetCaretPositionsByPlacement(
    TCanvas* Canvas, const WideChar* Str, int Length, int SpaceCount, int ExtraSpaceWidth,
    bool IgnoreSpecialChars, int* PCP, int LeftNoExpIndex, int RightNoExpIndex) {
  std::fill(PCP, PCP + Length + 1, -1);
  TRVCharExtraOff off(*this, Canvas);
  std::vector<UINT> order(Length, 0);
  std::vector<int> dx(Length, 0);
  std::vector<char> cls(Length, 0);
  GCP_RESULTSW gcp;
  gcp.lpOrder = order.data();
  gcp.lpDx = dx.data();
  gcp.lpClass = cls.data();
  gcp.nGlyphs = static_cast<UINT>(Length);
  if (!PlacementOk(::GetCharacterPlacementW(DC(Canvas), Str, Length, 0, &gcp, PlacementFlags)))
    return false;
  const int nGlyphs = static_cast<int>(std::min<UINT>(gcp.nGlyphs, Length));
  ApplyCharSpacingToDX(nullptr, nGlyphs, off.Extra(), dx.data());
  std::vector<int> po(Length), rev(Length, -1);
  for (int i = 0; i < Length; ++i) {
    po[i] = order[i] < static_cast<UINT>(Length) ? static_cast<int>(order[i]) : 0;
    rev[po[i]] = i;
  }
  if (!IgnoreSpecialChars)
    for (int i = 0; i < Length; ++i)
      if (IsInvisibleSpecialChar(Str[i])) dx[po[i]] = 0;
  ApplySpacingToDX(Str, Length, dx.data(), SpaceCount, ExtraSpaceWidth, LeftNoExpIndex,
                   RightNoExpIndex, po.data());
  bool gap = false;
  int x = 0;
  for (int j = 0; j < Length; ++j) {
    const int i = rev[j];
    const int d = dx[j];
    if (i < 0) {
      gap = true;
    } else if (IsRTLClass(cls[i])) {
      PCP[i + 1] = x;
      if (i == 0) PCP[0] = x + d;
    } else {
      PCP[i + 1] = x + d;
      if (i == 0) PCP[0] = x;
    }
    x += d;
  }
  if (gap)
    for (int k = 0; k <= Length; ++k)
      if (PCP[k] < 0) PCP[k] = k == 0 ? 0 : PCP[k - 1];
  return true;
}

void TRVWinGraphicInterface::GetCaretPositionsByExtents(
    TCanvas* Canvas, const WideChar* Str, int Length, int SpaceCount, int ExtraSpaceWidth,
    bool IgnoreSpecialChars, int* PCP, int LeftNoExpIndex, int RightNoExpIndex) {
  PCP[0] = 0;
  int fit = 0;
  TSize sz;
  std::fill(PCP + 1, PCP + Length + 1, 0);
  GetTextExtentExPoint(Canvas, Str, Length, INT_MAX, false, IgnoreSpecialChars, PCP + 1, fit, sz);
  if (SpaceCount == 0) return;
  std::vector<int> left(PCP, PCP + Length);
  ApplySpacingToCoords(Str, Length, left.data(), PCP + 1, nullptr, SpaceCount, ExtraSpaceWidth,
                       LeftNoExpIndex, RightNoExpIndex);
}

bool TRVWinGraphicInterface::DoesTextOutSupportSpacing(int, bool BiDi) { return !BiDi; }

bool TRVWinGraphicInterface::PreferMaxFit(TCanvas*, bool, bool UseFormatCanvas, int Length,
                                          int EstimFit) {
  if (!UseFormatCanvas) return false;
  return Length / std::max(EstimFit, 1) < 6;
}
