#include "engine/foundation/RVFuncs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVHtmlFuncs.h"
#include "engine/foundation/RVOOXMLFuncs.h"
#include "engine/foundation/RVGrIn.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/GraphUtil.h"
#include "platform/ui/Input.h"
#include "platform/ui/PrinterCaps.h"

int ScreenPixelsPerInchOverride = 0;

namespace {
// Halves to even, kept inside the range of int; values that are no number give 0.
int RoundToInt(long double v) {
  if (!std::isfinite(v)) return 0;
  v = std::clamp<long double>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
  return static_cast<int>(Round(v));
}
}  // namespace

// ---- units and resolutions --------------------------------------------------------------------

double UnitsPerInchOf(TRVUnits Units) {
  switch (Units) {
    case rvuInches: return 1.0;
    case rvuCentimeters: return 2.54;
    case rvuMillimeters: return 25.4;
    case rvuPicas: return 6.0;
    case rvuPoints: return 72.0;
    case rvuPixels:
      return ScreenPixelsPerInchOverride != 0 ? ScreenPixelsPerInchOverride : GetScreenPixelsPerInch();
  }
  return 1.0;
}

int UnitsValueToTwips(TRVUnits Units, double Value) {
  return RoundToInt(static_cast<long double>(Value) * 1440 / UnitsPerInchOf(Units));
}

double TwipsToUnitsValue(int Twips, TRVUnits Units) { return UnitsPerInchOf(Units) * Twips / 1440.0; }

double ConvertUnitsValue(TRVUnits FromUnits, TRVUnits ToUnits, double Value) {
  return Value * UnitsPerInchOf(ToUnits) / UnitsPerInchOf(FromUnits);
}

int UnitsValueToPixels(TRVUnits Units, int PixelsPerInch, double Value) {
  return RoundToInt(static_cast<long double>(Value) * PixelsPerInch / UnitsPerInchOf(Units));
}

int GetScreenPixelsPerInch() {
  if (ScreenPixelsPerInchOverride > 0) return ScreenPixelsPerInchOverride;
  HDC dc = CreateCompatibleDC(nullptr);
  const int ppi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) DeleteDC(dc);
  return ppi > 0 ? ppi : 96;
}

void InitScreenAndDevice(TRVScreenAndDevice& SaD, TCanvas* Canvas, TRVGraphicInterface* GraphicInterface) {
  SaD.ppixDevice = GraphicInterface->GetDeviceCaps(Canvas, LOGPIXELSX);
  SaD.ppiyDevice = GraphicInterface->GetDeviceCaps(Canvas, LOGPIXELSY);
  TCanvas* screen = GraphicInterface->CreateScreenCanvas();
  try {
    SaD.ppixScreen = GraphicInterface->GetDeviceCaps(screen, LOGPIXELSX);
    SaD.ppiyScreen = GraphicInterface->GetDeviceCaps(screen, LOGPIXELSY);
  } catch (...) {
    GraphicInterface->DestroyScreenCanvas(screen);
    throw;
  }
  GraphicInterface->DestroyScreenCanvas(screen);
}

int ScreenToDeviceX(int N, const TRVScreenAndDevice& SaD) { return MulDiv(N, SaD.ppixDevice, SaD.ppixScreen); }
int ScreenToDeviceY(int N, const TRVScreenAndDevice& SaD) { return MulDiv(N, SaD.ppiyDevice, SaD.ppiyScreen); }
int DeviceToScreenX(int N, const TRVScreenAndDevice& SaD) { return MulDiv(N, SaD.ppixScreen, SaD.ppixDevice); }
int DeviceToScreenY(int N, const TRVScreenAndDevice& SaD) { return MulDiv(N, SaD.ppiyScreen, SaD.ppiyDevice); }

void DeviceToScreenRect(TRect& Rect, const TRVScreenAndDevice& SaD) {
  Rect.Left = DeviceToScreenX(Rect.Left, SaD);
  Rect.Right = DeviceToScreenX(Rect.Right, SaD);
  Rect.Top = DeviceToScreenY(Rect.Top, SaD);
  Rect.Bottom = DeviceToScreenY(Rect.Bottom, SaD);
}

// ---- colours ----------------------------------------------------------------------------------


TColor RVColorToRGB(TColor Color) {
  if ((Color & clSystemColor) == clSystemColor) return static_cast<TColor>(GetSysColor(Color & 0xFF));
  return Color;
}

int ColorLuminance(TColor Color) {
  const COLORREF c = static_cast<COLORREF>(RVColorToRGB(Color));
  return static_cast<int>(Round(0.3L * GetRValue(c) + 0.59L * GetGValue(c) + 0.11L * GetBValue(c)));
}

TColor ColorToGrayscale(TColor Color) {
  if (Color == clNone) return clNone;
  const int l = std::min(ColorLuminance(Color), 255);
  return static_cast<TColor>(l * 0x010101);
}

TColor ScaleColorLuminance(TColor Color, double Factor) {
  WORD h = 0, l = 0, s = 0;
  ColorRGBToHLS(static_cast<COLORREF>(RVColorToRGB(Color)), h, l, s);
  const WORD nl = static_cast<WORD>(std::clamp(RoundToInt(static_cast<long double>(l) * Factor), 0, 0xFFFF));
  return static_cast<TColor>(ColorHLSToRGB(h, nl, s));
}

// No style engine of the class library is active here, so colours stay as they are.
TColor GetStyledColor(TColor Color) { return Color; }

TColor SystemColorToPrinterColor(TColor Color) {
  switch (Color) {
    case clScrollBar:
    case clBtnFace: return clSilver;
    case clWindow:
    case clBtnHighlight: return clWhite;
    case clWindowText: return clBlack;
    case clBtnShadow: return clGray;
    default: return Color;
  }
}

TColor ApplyColorMode(TColor Color, TRVColorMode ColorMode) {
  if (Color == clNone) return clNone;
  switch (ColorMode) {
    case rvcmColor: return Color;
    case rvcmVCLThemeColor: return GetStyledColor(Color);
    case rvcmPrinterColor: return SystemColorToPrinterColor(Color);
    case rvcmGrayScale: return ColorToGrayscale(SystemColorToPrinterColor(Color));
    case rvcmBlackAndWhite:
    case rvcmBlackOnWhite: return Color == 0xFFFFFF ? clWhite : clBlack;
  }
  return Color;
}

TColor ApplyBackColorMode(TColor Color, TRVColorMode ColorMode) {
  if (Color == clNone) return clNone;
  if (ColorMode == rvcmBlackAndWhite || ColorMode == rvcmBlackOnWhite) return clWhite;
  return ApplyColorMode(Color, ColorMode);
}

BYTE OpacityToAlpha(int Opacity) {
  if (Opacity <= 0) return 0;
  if (Opacity >= 100000) return 255;
  return static_cast<BYTE>(Round(static_cast<long double>(Opacity) * 255 / 100000));
}

// ---- numbering and text ---------------------------------------------------------------------

TRVUnicodeString IntToRoman(int N) {
  if (N <= 0) return u"?";
  static const struct { int Value; const char16_t* Numeral; } Table[13] = {
      {1000, u"M"}, {900, u"CM"}, {500, u"D"}, {400, u"CD"}, {100, u"C"}, {90, u"XC"}, {50, u"L"},
      {40, u"XL"}, {10, u"X"},    {9, u"IX"},  {5, u"V"},   {4, u"IV"},  {1, u"I"}};
  TRVUnicodeString r;
  for (const auto& p : Table)
    while (N >= p.Value) {
      r += p.Numeral;
      N -= p.Value;
    }
  return r;
}

TRVUnicodeString IntToLetters(int N) {
  if (N <= 0) return u"?";
  TRVUnicodeString r;
  while (N > 0) {
    r.insert(r.begin(), static_cast<char16_t>(u'A' + (N - 1) % 26));
    N = (N - 1) / 26;
  }
  return r;
}

int SubSuperScriptSize(int Size) { return RoundToInt(Size * 2 / 3.0L); }

int LineWidthForFontSize(int Size) {
  const long long a = std::llabs(static_cast<long long>(Size));
  return a <= 22 ? 1 : static_cast<int>((a - 23) / 15 + 2);
}

TRVUnicodeString ReplaceTabsWithSpaces(const TRVUnicodeString& Text, int N) {
  const TRVUnicodeString spaces(static_cast<std::size_t>(std::max(N, 0)), u' ');
  TRVUnicodeString r;
  r.reserve(Text.size());
  for (char16_t c : Text) {
    if (c == u'\t')
      r += spaces;
    else
      r += c;
  }
  return r;
}

TRVUnicodeString ReplaceControlChars(const TRVUnicodeString& Text) {
  TRVUnicodeString r = Text;
  for (char16_t& c : r)
    if ((c < 32 && c != u'\t') || c == 0xFFFE || c == 0xFFFF) c = u'?';
  return r;
}

TRVAnsiString ReplaceControlCharsAnsi(const TRVAnsiString& Text) {
  TRVAnsiString r = Text;
  for (char& c : r)
    if (static_cast<unsigned char>(c) < 32 && c != '\t') c = '?';
  return r;
}

TRVUnicodeString EscapeXmlText(const TRVUnicodeString& Text) { return OOXMLEscapeUnicodeText(Text); }

TRVUnicodeString MakeHintAttribute(TRVSaveFormat Format, const TRVUnicodeString& Hint) {
  if (Hint.empty()) return Hint;
  switch (Format) {
    case rvsfHTML: return u"title=\"" + HTMLEscapeUnicodeText(Hint) + u"\"";
    case rvsfRTF: {
      TRVUnicodeString h = Hint;
      std::replace(h.begin(), h.end(), u'"', u'\'');
      return u"\\o \"" + h + u"\"";
    }
    case rvsfDocX:
      return (DocXHyperlinksAsFields ? u"\\o \"" : u"w:tooltip=\"") + OOXMLEscapeUnicodeText(Hint) + u"\"";
    default: return Hint;
  }
}

namespace {
template <typename Str>
void AppendSeparated(Str& S, const Str& Text, const Str& Separator) {
  if (S.empty())
    S = Text;
  else if (!Text.empty())
    S += Separator + Text;
}
}  // namespace

void AppendWithSeparator(TRVUnicodeString& S, const TRVUnicodeString& Text, const TRVUnicodeString& Separator) {
  AppendSeparated(S, Text, Separator);
}

void AppendWithSeparatorAnsi(TRVAnsiString& S, const TRVAnsiString& Text, const TRVAnsiString& Separator) {
  AppendSeparated(S, Text, Separator);
}

void AppendWithSpace(TRVUnicodeString& S, const TRVUnicodeString& Text) { AppendWithSeparator(S, Text, u" "); }
void AppendWithSpaceAnsi(TRVAnsiString& S, const TRVAnsiString& Text) { AppendWithSeparatorAnsi(S, Text, " "); }

TRVUnicodeString ReplaceCharsInSet(const TRVUnicodeString& S, TRVUnicodeChar Ch, const TRVCharSet& CharSet) {
  TRVUnicodeString r = S;
  for (char16_t& c : r)
    if (c < 128 && CharSet.Contains(static_cast<unsigned char>(c))) c = Ch;
  return r;
}

bool IsNotVerticalFontName(const TRVUnicodeString& Name) { return !Name.empty() && Name[0] != u'@'; }

// ---- URLs ---------------------------------------------------------------------------------------

namespace {
// The byte of "%XX" at Text[j], or -1 when no escape stands there.
int EscapedByte(const TRVUnicodeString& Text, std::size_t j) {
  if (Text[j] != u'%' || Text[j + 1] >= 0x80 || Text[j + 2] >= 0x80) return -1;
  const TRVRawByteString b =
      HexToAnsi({static_cast<char>(Text[j + 1]), static_cast<char>(Text[j + 2])});
  return b.size() == 1 ? static_cast<unsigned char>(b[0]) : -1;
}

// Writes the characters of Which (all ASCII) as "%XX".
TRVUnicodeString EscapeUrlChars(const TRVUnicodeString& Text, std::u16string_view Which) {
  TRVUnicodeString r;
  r.reserve(Text.size());
  for (char16_t c : Text) {
    if (Which.find(c) == std::u16string_view::npos) {
      r += c;
      continue;
    }
    const TRVRawByteString hex = AnsiToHex(TRVRawByteString(1, static_cast<char>(c)));
    r += u'%';
    r.append(hex.begin(), hex.end());
  }
  return r;
}
}  // namespace

// The walk stops where fewer than three code units are left, counted in the text as it is being
// decoded; since decoding only shrinks what lies behind the walk, that is the same as counting
// in the original text, which lets one pass build the result.
TRVUnicodeString DecodeUrlText(const TRVUnicodeString& Text, bool AllowCRLF) {
  const std::size_t n = Text.size();
  if (n <= 2) return Text;
  TRVUnicodeString r;
  r.reserve(n);
  std::string run;  // decoded bytes of the escapes just passed
  auto flush = [&] {
    if (run.empty()) return;
    r += Utf8ToUnicode(run);
    run.clear();
  };
  std::size_t j = 0;
  while (j + 2 < n) {
    const int escaped = EscapedByte(Text, j);
    if (escaped >= 0) {
      const char b = static_cast<char>(escaped);
      if (AllowCRLF || (b != '\r' && b != '\n')) {
        run += b;
        j += 3;
        continue;
      }
      flush();
      r += Text[j];
    } else {
      flush();
      r += Text[j] == u'+' ? u' ' : Text[j];
    }
    ++j;
  }
  flush();
  r.append(Text, j, TRVUnicodeString::npos);
  return r;
}

TRVUnicodeString EncodeUrlText(const TRVUnicodeString& Text) { return EscapeUrlChars(Text, u"\n\r \"%+"); }

TRVUnicodeString EncodeUrlSpaces(const TRVUnicodeString& Text) { return EscapeUrlChars(Text, u"\n\r "); }

// Paths here are absolute with "/" separators, so the slashes after "file:" collapse into the
// root and backslashes become slashes.
TRVUnicodeString FileUrlToPath(const TRVUnicodeString& Text) {
  if (Text.size() < 5 || !SameTextAscii(std::u16string_view(Text).substr(0, 5), u"file:")) return Text;
  std::size_t p = 5;
  while (p < Text.size() && (Text[p] == u'/' || Text[p] == u'\\')) ++p;
  TRVUnicodeString r(1, u'/');
  r.append(Text, p, TRVUnicodeString::npos);
  std::replace(r.begin(), r.end(), u'\\', u'/');
  return r;
}

// ---- geometry -------------------------------------------------------------------------------

bool PointInBounds(int X, int Y, int Left, int Top, int Width, int Height) {
  return Left <= X && X < Left + Width && Top <= Y && Y < Top + Height;
}

void SetRectSizeFromSide(TRect& Rect, TRVSide Side, int Size, bool Centered) {
  if (Centered) {
    switch (Side) {
      case rvsdTop:
      case rvsdBottom:
        Rect.Top = (Rect.Top + Rect.Bottom - Size) / 2;
        Rect.Bottom = Rect.Top + Size;
        break;
      case rvsdLeft:
      case rvsdRight:
        Rect.Left = (Rect.Left + Rect.Right - Size) / 2;
        Rect.Right = Rect.Left + Size;
        break;
    }
    return;
  }
  switch (Side) {
    case rvsdLeft: Rect.Left = Rect.Right - Size; break;
    case rvsdTop: Rect.Top = Rect.Bottom - Size; break;
    case rvsdRight: Rect.Right = Rect.Left + Size; break;
    case rvsdBottom: Rect.Bottom = Rect.Top + Size; break;
  }
}

TRVDocRotation CombineRotation(TRVDocRotation Rotation, int Step) {
  if (Step < 1 || Step > 3) return Rotation;
  return static_cast<TRVDocRotation>((static_cast<int>(Rotation) + Step) % 4);
}

void MakeRotationTransform(XFORM& XForm, TRVDocRotation Rotation, int Left, int Top, int Width, int Height,
                           int ContentSize, int Alignment) {
  XForm = XFORM{};
  XForm.eM11 = XForm.eM22 = 0;
  const double L = Left, T = Top, W = Width, H = Height, S = ContentSize;
  auto shift = [&](double span) { return Alignment == 1 ? (span - S) / 2 : Alignment == 2 ? span - S : 0.0; };
  switch (Rotation) {
    case rvrotNone:
      XForm.eM11 = XForm.eM22 = 1;
      XForm.eDy = static_cast<float>(shift(H));
      break;
    case rvrot90:
      XForm.eM12 = 1;
      XForm.eM21 = -1;
      XForm.eDx = static_cast<float>(W - L - T - shift(W));
      XForm.eDy = static_cast<float>(L - T);
      break;
    case rvrot180:
      XForm.eM11 = XForm.eM22 = -1;
      XForm.eDx = static_cast<float>(W - 2 * L);
      XForm.eDy = static_cast<float>(H - 2 * T - shift(H));
      break;
    case rvrot270:
      XForm.eM12 = -1;
      XForm.eM21 = 1;
      XForm.eDx = static_cast<float>(T - L + shift(W));
      XForm.eDy = static_cast<float>(H - T - L);
      break;
  }
}

namespace {
// The ends of two spans closest to each other; ties keep the first pair tried.
void NearestEnds(int Start1, int Len1, int Start2, int Len2, int& A, int& B) {
  const int e1 = Start1 + Len1, e2 = Start2 + Len2;
  const int pairs[4][2] = {{Start1, Start2}, {e1, Start2}, {Start1, e2}, {e1, e2}};
  long long best = -1;
  for (const auto& p : pairs) {
    const long long d = std::llabs(static_cast<long long>(p[0]) - p[1]);
    if (best < 0 || d < best) {
      best = d;
      A = p[0];
      B = p[1];
    }
  }
}
}  // namespace

void GetLineBetweenRects(int Left1, int Top1, int Width1, int Height1, int Left2, int Top2, int Width2,
                         int Height2, TPoint& From, TPoint& To) {
  int x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  NearestEnds(Left1, Width1, Left2, Width2, x1, x2);
  NearestEnds(Top1, Height1, Top2, Height2, y1, y2);
  From = TPoint(x1, y1);
  To = TPoint(x2, y2);
}

// ---- input state ------------------------------------------------------------------------------

TPoint GetCursorPosSafe() {
  TPoint p;
  if (!GetCursorPos(&p)) return TPoint(0, 0);
  return p;
}

TShiftState GetAsyncShiftState() {
  TShiftState s;
  if (GetAsyncKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetAsyncKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetAsyncKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  return s;
}

// ---- drawing ----------------------------------------------------------------------------------

void RotateGraphic(std::unique_ptr<TGraphic>& Graphic, TRVDocRotation Rotation, TRVGraphicInterface* GraphicInterface) {
  if (Rotation == rvrotNone || !Graphic) return;
  // Device coordinates grow downwards, which turns the sense of a quarter turn round.
  const TRVDocRotation r = Rotation == rvrot90 ? rvrot270 : Rotation == rvrot270 ? rvrot90 : Rotation;
  const int gw = Graphic->GetWidth(), gh = Graphic->GetHeight();
  auto bmp = std::make_unique<TBitmap>();
  if (r == rvrot180)
    bmp->SetSize(std::max(gw - 2, 0), std::max(gh - 2, 0));
  else
    bmp->SetSize(std::max(gh - 2, 0), std::max(gw - 2, 0));
  const int s = r == rvrot90 ? bmp->GetWidth() : bmp->GetHeight();
  XFORM xf;
  MakeRotationTransform(xf, r, 0, 0, gw, s, s, r == rvrot90 || r == rvrot180 ? 2 : 0);
  TCanvas* canvas = bmp->GetCanvas();
  const bool wasAdvanced = GraphicInterface->SetGraphicsMode(canvas, true);
  try {
    GraphicInterface->SetWorldTransform(canvas, xf);
    GraphicInterface->DrawGraphic(canvas, r == rvrot180 ? 1 : -1, -1, Graphic.get());
  } catch (...) {
    GraphicInterface->SetGraphicsMode(canvas, wasAdvanced);
    throw;
  }
  GraphicInterface->SetGraphicsMode(canvas, wasAdvanced);
  Graphic = std::move(bmp);
}

void DrawOrPrintGraphic(TCanvas* Canvas, int X, int Y, TRVGraphicInterface* GraphicInterface, bool Stretch,
                        TGraphic* Graphic, const TRVScreenAndDevice* SaD, int Height, int Width) {
  if (!Graphic) return;
  if (Width < 0) Width = Graphic->GetWidth();
  if (Height < 0) Height = Graphic->GetHeight();
  if (SaD) {
    Width = ScreenToDeviceX(Width, *SaD);
    Height = ScreenToDeviceY(Height, *SaD);
  }
  const TRect r = Bounds(X, Y, Width, Height);
  if (Stretch)
    GraphicInterface->StretchDrawGraphic(Canvas, r, Graphic);
  else if (Graphic->InstanceOf(TBitmap::StaticClass()))
    GraphicInterface->PrintBitmap(Canvas, r, static_cast<TBitmap*>(Graphic));
}

namespace {
// The bitmap as a 24-bit bottom-up image whose size counts the padding of every row, so that
// no row is written past the block.
std::vector<BYTE> Dib24(const TBitmap& Bitmap, BITMAPINFO& Info) {
  const TPixelImage img = Bitmap.ToPixels();
  const int stride = ((img.Width * 24 + 31) / 32) * 4;
  Info = BITMAPINFO{};
  Info.bmiHeader.biWidth = img.Width;
  Info.bmiHeader.biHeight = img.Height;
  Info.bmiHeader.biBitCount = 24;
  Info.bmiHeader.biSizeImage = static_cast<DWORD>(stride) * static_cast<DWORD>(std::max(img.Height, 0));
  std::vector<BYTE> bits(Info.bmiHeader.biSizeImage);
  for (int y = 0; y < img.Height; ++y) {
    BYTE* row = bits.data() + static_cast<std::size_t>(img.Height - 1 - y) * stride;
    for (int x = 0; x < img.Width; ++x) {
      const std::uint32_t p = img.At(x, y);
      row[x * 3] = static_cast<BYTE>(p & 0xFF);
      row[x * 3 + 1] = static_cast<BYTE>((p >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<BYTE>((p >> 16) & 0xFF);
    }
  }
  return bits;
}
}  // namespace

// Palette devices do not exist here, so the image always travels as 24-bit colour.
void PrintBitmapThroughDIB(HDC DC, int X, int Y, TBitmap* Bitmap, int Height, int Width) {
  if (!Bitmap || Bitmap->GetEmpty()) return;
  BITMAPINFO info;
  const std::vector<BYTE> bits = Dib24(*Bitmap, info);
  StretchDIBits(DC, X, Y, Width, Height, 0, 0, info.bmiHeader.biWidth, info.bmiHeader.biHeight, bits.data(), &info,
                DIB_RGB_COLORS, SRCCOPY);
}

void StretchDrawBitmapHalftone(TCanvas* Canvas, int X, int Y, TBitmap* Bitmap, int Height, int Width) {
  if (!Bitmap || Bitmap->GetEmpty()) return;
  HDC dc = Canvas->GetHandle();
  BITMAPINFO info;
  const std::vector<BYTE> bits = Dib24(*Bitmap, info);
  const int oldMode = SetStretchBltMode(dc, HALFTONE);
  StretchDIBits(dc, X, Y, Width, Height, 0, 0, info.bmiHeader.biWidth, info.bmiHeader.biHeight, bits.data(), &info,
                DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(dc, oldMode);
}

void FillRectWithPattern(TCanvas* Canvas, const TRect& Rect, TColor Color) {
  static const BYTE Rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  constexpr DWORD PatAnd = 0x00A000C9;    // D & P
  constexpr DWORD PatMerge = 0x00FA0089;  // D | P
  HDC dc = Canvas->GetHandle();
  HBRUSH brush = CreatePattern8x8Brush(Rows);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  // Clear bits draw in the text colour: first they are cleared to black, then Color is merged
  // in; set bits leave the pixels alone in both steps.
  const COLORREF oldText = SetTextColor(dc, 0);
  const COLORREF oldBk = SetBkColor(dc, 0xFFFFFF);
  PatBlt(dc, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), PatAnd);
  SetTextColor(dc, static_cast<COLORREF>(RVColorToRGB(Color)) & 0xFFFFFF);
  SetBkColor(dc, 0);
  PatBlt(dc, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), PatMerge);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
}

void DrawStyledLine(TCanvas* Canvas, TColor Color, int Kind, int Thickness, int Left, int Right, int Y,
                    int PatternLength, TRVGraphicInterface* GraphicInterface) {
  // A band without thickness has nothing to show, and its patterns would never advance.
  if (Thickness <= 0 || Left >= Right) return;
  const int T = Thickness;
  const int top = Y - T / 2, bottom = top + T;
  Canvas->Pen().SetColor(Color);
  Canvas->Pen().SetStyle(psInsideFrame);
  Canvas->Pen().SetWidth(1);
  Canvas->Brush().SetStyle(bsClear);
  const int P =
      PatternLength != 0 ? RoundToInt(static_cast<long double>(PatternLength) * Canvas->Font().GetPixelsPerInch() / 96) : 0;
  auto scaled = [&](int num, int den) { return RoundToInt(static_cast<long double>(P) * num / den); };
  auto piece = [&](int x, int w) {
    if (w <= 0) return;
    Canvas->Brush().SetStyle(bsSolid);
    Canvas->Brush().SetColor(Color);
    GraphicInterface->FillRect(Canvas, TRect(x, top, std::min(x + w, Right), bottom));
  };
  // Every step moves at least one pixel, so a tiny pattern length cannot stall the walk.
  auto advance = [](int& x, int step) { x += std::max(step, 1); };
  int x = Left;
  // Patterns are walked only across the clipped part of the band, whole periods at a time so the
  // phase stays anchored at Left: a run far wider than the visible area costs no more than it.
  int period = 0;
  switch (Kind) {
    case 1: period = 2 * T; break;
    case 2: period = std::max(P ? P : 2 * T, 1); break;
    case 3: period = std::max(P ? P : 3 * T, 1); break;
    case 4: period = std::max(P ? scaled(5, 7) : 3 * T, 1) + std::max(P ? scaled(2, 7) : 2 * T, 1); break;
    case 5: period = std::max(P ? scaled(1, 2) : 3 * T, 1) + 2 * std::max(P ? scaled(1, 4) : 2 * T, 1); break;
    case 6: period = 3 * T; break;
    default: break;
  }
  if (period > 0) {
    HDC dc = Canvas->GetHandle();
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    RECT clip;
    if (GetClipRgn(dc, probe) == 1 && GetClipBox(dc, &clip) != ERROR) {
      const long long visLeft = static_cast<long long>(clip.Left) - period;
      const long long visRight = static_cast<long long>(clip.Right) + period;
      if (visLeft > Left) x = static_cast<int>(Left + (visLeft - Left) / period * period);
      if (visRight < Right) Right = static_cast<int>(visRight);
    }
    DeleteObject(probe);
  }
  switch (Kind) {
    case 0:
      if (T == 1)
        GraphicInterface->Line(Canvas, Left, Y, Right, Y);
      else
        piece(Left, Right - Left);
      break;
    case 1:
      for (; x + T < Right; advance(x, 2 * T)) {
        if (T > 2) {
          Canvas->Brush().SetStyle(bsSolid);
          Canvas->Brush().SetColor(Color);
          GraphicInterface->Ellipse(Canvas, x, bottom + 1, x + T + 1, top);
        } else {
          piece(x, T);
        }
      }
      break;
    case 2:
      for (; x < Right; advance(x, P ? P : 2 * T)) piece(x, P ? scaled(1, 2) : T);
      break;
    case 3:
      for (; x < Right; advance(x, P ? P : 3 * T)) piece(x, P ? scaled(2, 3) : 2 * T);
      break;
    case 4:
      while (x < Right) {
        piece(x, P ? scaled(4, 7) : 2 * T);
        advance(x, P ? scaled(5, 7) : 3 * T);
        if (x >= Right) break;
        piece(x, P ? scaled(1, 7) : T);
        advance(x, P ? scaled(2, 7) : 2 * T);
      }
      break;
    case 5:
      while (x < Right) {
        piece(x, P ? scaled(3, 8) : 2 * T);
        advance(x, P ? scaled(1, 2) : 3 * T);
        for (int dot = 0; dot < 2 && x < Right; ++dot) {
          piece(x, P ? scaled(1, 8) : T);
          advance(x, P ? scaled(1, 4) : 2 * T);
        }
      }
      break;
    case 6:
      for (; x < Right; advance(x, 3 * T)) piece(x, T);
      break;
    default: break;
  }
}

void DrawLineBetweenRects(int Left1, int Top1, int Width1, int Height1, int Left2, int Top2, int Width2, int Height2,
                          TCanvas* Canvas, TRVGraphicInterface* GraphicInterface) {
  TPoint from, to;
  GetLineBetweenRects(Left1, Top1, Width1, Height1, Left2, Top2, Width2, Height2, from, to);
  GraphicInterface->Line(Canvas, from.X, from.Y, to.X, to.Y);
}

void TRVFreeDeleter::operator()(void* p) const { std::free(p); }

TRVOutlineTextMetrics AllocOutlineTextMetrics(TCanvas* Canvas, TRVGraphicInterface* GraphicInterface) {
  const UINT size = GraphicInterface->GetOutlineTextMetrics(Canvas, 0, nullptr);
  if (size < sizeof(OUTLINETEXTMETRICW)) return nullptr;
  TRVOutlineTextMetrics otm(static_cast<OUTLINETEXTMETRICW*>(std::calloc(1, size)));
  if (!otm) return nullptr;
  if (GraphicInterface->GetOutlineTextMetrics(Canvas, size, otm.get()) == 0) return nullptr;
  if (otm->otmsUnderscoreSize == 0) otm->otmsUnderscoreSize = 1;
  return otm;
}

bool PrinterCopiesAtLeast(int N) { return GetDefaultPrinterMaxCopies() >= N; }
