#include "platform/graphics/Graphics.h"

#include <algorithm>
#include <cstring>

#include "platform/base/SysUtils.h"
#include "platform/graphics/Pictures.h"

COLORREF ColorToRGB(TColor color) {
  if (color == clNone || color == clDefault) return 0;
  if (color < 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

// ---- shared base --------------------------------------------------------------------------------

TGraphicsObject::~TGraphicsObject() { FreeHandle(); }

void TGraphicsObject::FreeHandle() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TGraphicsObject::Changed() {
  FreeHandle();
  if (OnChange) OnChange(this);
}

// ---- font ---------------------------------------------------------------------------------------

TFont::TFont() = default;

void TFont::Assign(const TFont& s) {
  if (&s == this) return;
  FName = s.FName;
  FHeight = s.FHeight;
  FWidth = s.FWidth;
  FStyle = s.FStyle;
  FColor = s.FColor;
  FCharset = s.FCharset;
  FPitch = s.FPitch;
  FQuality = s.FQuality;
  FOrientation = s.FOrientation;
  FPixelsPerInch = s.FPixelsPerInch;
  Changed();
}

LOGFONTW TFont::GetLogFont() const {
  LOGFONTW lf;
  lf.lfHeight = FHeight;
  lf.lfWidth = FWidth;
  lf.lfEscapement = FOrientation;
  lf.lfOrientation = FOrientation;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic);
  lf.lfUnderline = FStyle.Contains(fsUnderline);
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
  lf.lfCharSet = FCharset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  static const BYTE qualities[] = {DEFAULT_QUALITY, DRAFT_QUALITY, PROOF_QUALITY, NONANTIALIASED_QUALITY,
                                   ANTIALIASED_QUALITY, CLEARTYPE_QUALITY, 6};
  lf.lfQuality = qualities[FQuality];
  lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
  const std::size_t n = std::min<std::size_t>(FName.size(), LF_FACESIZE - 1);
  std::copy_n(FName.begin(), n, lf.lfFaceName);
  return lf;
}

HFONT TFont::GetHandle() {
  if (!FHandle) {
    const LOGFONTW lf = GetLogFont();
    FHandle = CreateFontIndirectW(&lf);
  }
  return FHandle;
}

void TFont::SetHandle(HFONT h) {
  LOGFONTW lf;
  if (!h || GetObjectW(h, sizeof lf, &lf) != static_cast<int>(sizeof lf)) return;
  if (h == FHandle) return;
  FreeHandle();
  FName = std::u16string(lf.lfFaceName);
  FHeight = lf.lfHeight;
  FWidth = lf.lfWidth;
  FOrientation = lf.lfEscapement;
  FStyle.Clear();
  if (lf.lfWeight >= FW_SEMIBOLD) FStyle.Include(fsBold);
  if (lf.lfItalic) FStyle.Include(fsItalic);
  if (lf.lfUnderline) FStyle.Include(fsUnderline);
  if (lf.lfStrikeOut) FStyle.Include(fsStrikeOut);
  FCharset = lf.lfCharSet;
  FHandle = h;
  if (OnChange) OnChange(this);
}

void TFont::SetName(const UnicodeString& v) {
  if (v.empty() || v == FName) return;
  FName = v;
  Changed();
}

int TFont::GetSize() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, FPixelsPerInch, 72)); }

void TFont::SetHeight(int v) {
  if (v == FHeight) return;
  FHeight = v;
  Changed();
}

void TFont::SetStyle(TFontStyles v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}

void TFont::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  if (OnChange) OnChange(this);
}

void TFont::SetCharset(TFontCharset v) {
  if (v == FCharset) return;
  FCharset = v;
  Changed();
}

void TFont::SetPitch(TFontPitch v) {
  if (v == FPitch) return;
  FPitch = v;
  Changed();
}

void TFont::SetQuality(TFontQuality v) {
  if (v == FQuality) return;
  FQuality = v;
  Changed();
}

void TFont::SetOrientation(int v) {
  if (v == FOrientation) return;
  FOrientation = v;
  Changed();
}

void TFont::SetWidth(int v) {
  if (v == FWidth) return;
  FWidth = v;
  Changed();
}

void TFont::SetPixelsPerInch(int v) {
  if (v > 0) FPixelsPerInch = v;
}

// ---- pen ----------------------------------------------------------------------------------------

void TPen::Assign(const TPen& s) {
  if (&s == this) return;
  FColor = s.FColor;
  FWidth = s.FWidth;
  FStyle = s.FStyle;
  FMode = s.FMode;
  Changed();
}

HPEN TPen::GetHandle() {
  if (!FHandle) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL,
                                 PS_INSIDEFRAME, PS_SOLID, PS_ALTERNATE};
    if (FStyle == psAlternate) {
      LOGBRUSH lb{BS_SOLID, ColorToRGB(FColor), 0};
      FHandle = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lb, 0, nullptr);
    } else {
      FHandle = CreatePen(styles[FStyle], FWidth, ColorToRGB(FColor));
    }
  }
  return FHandle;
}

void TPen::SetHandle(HPEN h) {
  LOGPEN lp;
  if (!h || GetObjectW(h, sizeof lp, &lp) != static_cast<int>(sizeof lp) || h == FHandle) return;
  FreeHandle();
  FHandle = h;
  FColor = static_cast<TColor>(lp.lopnColor);
  FWidth = lp.lopnWidth.X;
  switch (lp.lopnStyle & PS_STYLE_MASK) {
    case PS_DASH: FStyle = psDash; break;
    case PS_DOT: FStyle = psDot; break;
    case PS_DASHDOT: FStyle = psDashDot; break;
    case PS_DASHDOTDOT: FStyle = psDashDotDot; break;
    case PS_NULL: FStyle = psClear; break;
    case PS_INSIDEFRAME: FStyle = psInsideFrame; break;
    default: FStyle = psSolid; break;
  }
  if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}

void TPen::SetWidth(int v) {
  if (v < 0 || v == FWidth) return;
  FWidth = v;
  Changed();
}

void TPen::SetStyle(TPenStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}

void TPen::SetMode(TPenMode v) {
  if (v == FMode) return;
  FMode = v;
  if (OnChange) OnChange(this);
}

// ---- brush --------------------------------------------------------------------------------------

void TBrush::Assign(const TBrush& s) {
  if (&s == this) return;
  FColor = s.FColor;
  FStyle = s.FStyle;
  FHasPattern = s.FHasPattern;
  std::memcpy(FPattern, s.FPattern, sizeof FPattern);
  Changed();
}

HBRUSH TBrush::GetHandle() {
  if (!FHandle) {
    if (FHasPattern) {
      FHandle = CreatePattern8x8Brush(FPattern);
    } else {
      switch (FStyle) {
        case bsSolid: FHandle = CreateSolidBrush(ColorToRGB(FColor)); break;
        case bsClear: {
          LOGBRUSH lb{BS_NULL, 0, 0};
          FHandle = CreateBrushIndirect(&lb);
          break;
        }
        default: {
          static const int hatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS,
                                        HS_DIAGCROSS};
          FHandle = CreateHatchBrush(hatches[FStyle], ColorToRGB(FColor));
        }
      }
    }
  }
  return FHandle;
}

void TBrush::SetHandle(HBRUSH h) {
  LOGBRUSH lb;
  if (!h || GetObjectW(h, sizeof lb, &lb) != static_cast<int>(sizeof lb) || h == FHandle) return;
  FreeHandle();
  FHandle = h;
  FColor = static_cast<TColor>(lb.lbColor);
  FHasPattern = false;
  if (lb.lbStyle == BS_NULL)
    FStyle = bsClear;
  else if (lb.lbStyle == BS_HATCHED)
    FStyle = static_cast<TBrushStyle>(bsHorizontal + std::min<std::uintptr_t>(lb.lbHatch, 5));
  else
    FStyle = bsSolid;
  if (OnChange) OnChange(this);
}

void TBrush::SetColor(TColor v) {
  if (v == FColor && !FHasPattern) return;
  FColor = v;
  FHasPattern = false;
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle v) {
  if (v == FStyle && !FHasPattern) return;
  FStyle = v;
  FHasPattern = false;
  Changed();
}

void TBrush::SetPattern(const BYTE rows[8]) {
  std::memcpy(FPattern, rows, sizeof FPattern);
  FHasPattern = true;
  Changed();
}

// ---- canvas -------------------------------------------------------------------------------------

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
  FFont->OnChange = [this](TObject* o) { FontChanged(o); };
  FPen->OnChange = [this](TObject* o) { PenChanged(o); };
  FBrush->OnChange = [this](TObject* o) { BrushChanged(o); };
}

TCanvas::TCanvas(HDC dc) : TCanvas() { SetHandle(dc); }

TCanvas::~TCanvas() { SetHandle(nullptr); }

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FState.Contains(csPenValid) || FState.Contains(csBrushValid) || FState.Contains(csFontValid)) {
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
    SelectObject(FHandle, GetStockObject(WHITE_BRUSH));
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
  FState.Exclude(csPenValid).Exclude(csBrushValid).Exclude(csFontValid);
}

HDC TCanvas::GetHandle() {
  RequiredState({csHandleValid, csFontValid, csPenValid, csBrushValid});
  return FHandle;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == FHandle) return;
  DeselectHandles();
  FHandle = dc;
  FState.Clear();
  if (dc) {
    FState.Include(csHandleValid);
    FFont->SetPixelsPerInch(GetDeviceCaps(dc, LOGPIXELSY));
  }
}

void TCanvas::RequiredState(TCanvasState req) {
  if (req.Contains(csHandleValid) && !FHandle) CreateHandle();
  if (!FHandle) return;
  if (req.Contains(csFontValid) && !FState.Contains(csFontValid)) {
    SelectObject(FHandle, FFont->GetHandle());
    SetTextColor(FHandle, ColorToRGB(FFont->GetColor()));
    FState.Include(csFontValid);
  }
  if (req.Contains(csPenValid) && !FState.Contains(csPenValid)) {
    SelectObject(FHandle, FPen->GetHandle());
    static const int rops[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN, R2_MERGEPENNOT,
                               R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
                               R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
    SetROP2(FHandle, rops[FPen->GetMode()]);
    FState.Include(csPenValid);
  }
  if (req.Contains(csBrushValid) && !FState.Contains(csBrushValid)) {
    SelectObject(FHandle, FBrush->GetHandle());
    SetBkColor(FHandle, ColorToRGB(FBrush->GetColor()));
    SetBkMode(FHandle, FBrush->GetStyle() == bsSolid ? OPAQUE : TRANSPARENT);
    FState.Include(csBrushValid);
  }
}

void TCanvas::FontChanged(TObject*) {
  if (FHandle && FState.Contains(csFontValid)) {
    FState.Exclude(csFontValid);
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
}

void TCanvas::PenChanged(TObject*) {
  if (FHandle && FState.Contains(csPenValid)) {
    FState.Exclude(csPenValid);
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (FHandle && FState.Contains(csBrushValid)) {
    FState.Exclude(csBrushValid);
    SelectObject(FHandle, GetStockObject(WHITE_BRUSH));
  }
}

TPoint TCanvas::GetPenPos() {
  RequiredState({csHandleValid});
  POINT p;
  if (FHandle) GetCurrentPositionEx(FHandle, &p);
  return p;
}

TColor TCanvas::GetPixel(int x, int y) {
  RequiredState({csHandleValid});
  const COLORREF c = ::GetPixel(FHandle, x, y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixel(int x, int y, TColor c) {
  RequiredState({csHandleValid, csPenValid});
  ::SetPixel(FHandle, x, y, ColorToRGB(c));
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState({csHandleValid});
  ::MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, x, y);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, x1, y1, x2, y2);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, x1, y1, x2, y2);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(FHandle, points.data(), static_cast<int>(points.size()));
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(FHandle, points.data(), static_cast<int>(points.size()));
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Arc(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Pie(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Chord(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::FillRect(const TRect& r) {
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(FHandle, &r, FBrush->GetHandle());
}

void TCanvas::FrameRect(const TRect& r) {
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(FHandle, &r, FBrush->GetHandle());
}

void TCanvas::DrawFocusRect(const TRect& r) {
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(FHandle, &r);
}

void TCanvas::TextOut(int x, int y, const UnicodeString& text) {
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ::ExtTextOutW(FHandle, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  MoveTo(x + TextWidth(text), y);
}

void TCanvas::TextRect(const TRect& r, int x, int y, const UnicodeString& text) {
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  const UINT opts = ETO_CLIPPED | (FBrush->GetStyle() != bsClear ? ETO_OPAQUE : 0);
  ::ExtTextOutW(FHandle, x, y, opts, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

TSize TCanvas::TextExtent(const UnicodeString& text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE s;
  if (!FHandle || !GetTextExtentPoint32W(FHandle, text.c_str(), static_cast<int>(text.size()), &s)) return TSize();
  return s;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  RequiredState({csHandleValid});
  graphic->Draw(*this, Bounds(x, y, graphic->GetWidth(), graphic->GetHeight()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  RequiredState({csHandleValid});
  graphic->Draw(*this, r);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& src) {
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  source.RequiredState({csHandleValid, csBrushValid});
  ::StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), source.FHandle, src.Left, src.Top,
               src.Width(), src.Height(), FCopyMode);
}
