#include "engine/foundation/RVFuncs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/foundation/RVHtmlFuncs.h"
#include "engine/foundation/RVOOXMLFuncs.h"
#include "platform/base/SysUtils.h"
#include "platform/ui/GraphUtil.h"
#include "platform/ui/GuiSession.h"
#include "platform/ui/Input.h"

int ScreenPixelsPerInchOverride = 0;

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
  return static_cast<int>(Round(static_cast<long double>(Value) * 1440 / UnitsPerInchOf(Units)));
}

double TwipsToUnitsValue(int Twips, TRVUnits Units) { return UnitsPerInchOf(Units) * Twips / 1440.0; }

double ConvertUnitsValue(TRVUnits FromUnits, TRVUnits ToUnits, double Value) {
  return Value * UnitsPerInchOf(ToUnits) / UnitsPerInchOf(FromUnits);
}

int UnitsValueToPixels(TRVUnits Units, int PixelsPerInch, double Value) {
  return static_cast<int>(Round(static_cast<long double>(Value) * PixelsPerInch / UnitsPerInchOf(Units)));
}

int GetScreenPixelsPerInch() {
  if (ScreenPixelsPerInchOverride > 0) return ScreenPixelsPerInchOverride;
  return GetScreenLogPixelsY();
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

namespace {
COLORREF SysColor(int Index) {
  // The light desktop scheme; nothing here follows a desktop theme, so output stays reproducible.
  static constexpr std::array<COLORREF, 31> Colors = {
      RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
      RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
      RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255),
      RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
      RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
      RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234), RGB(215, 228, 242), RGB(51, 153, 255),
      RGB(240, 240, 240)};
  if (Index < 0 || Index >= static_cast<int>(Colors.size())) return 0;
  return Colors[static_cast<std::size_t>(Index)];
}
}  // namespace


TColor RVColorToRGB(TColor Color) {
  if ((Color & clSystemColor) == clSystemColor) return static_cast<TColor>(SysColor(Color & 0xFF));
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
  const long double scaled = Round(static_cast<long double>(l) * Factor);
  const WORD nl = static_cast<WORD>(std::clamp<long double>(scaled, 0, 0xFFFF));
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

int SubSuperScriptSize(int Size) { return static_cast<int>(Round(Size * 2 / 3.0L)); }

int LineWidthForFontSize(int Size) {
  const int a = std::abs(Size);
  return a <= 22 ? 1 : (a - 23) / 15 + 2;
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

namespace {
template <typename S>
S ReplaceAll(S s, const S& from, const S& to) {
  if (from.empty()) return s;
  std::size_t pos = 0;
  while ((pos = s.find(from, pos)) != S::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
  return s;
}
}  // namespace

TRVUnicodeString EscapeXmlText(const TRVUnicodeString& Text) {
  TRVUnicodeString r = ReplaceAll<TRVUnicodeString>(Text, u"&", u"&amp;");
  r = ReplaceAll<TRVUnicodeString>(r, u">", u"&gt;");
  r = ReplaceAll<TRVUnicodeString>(r, u"<", u"&lt;");
  r = ReplaceAll<TRVUnicodeString>(r, u"\"", u"&quot;");
  r = ReplaceAll<TRVUnicodeString>(r, u"'", u"&apos;");
  return ReplaceControlChars(r);
}

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

void AppendWithSeparator(TRVUnicodeString& S, const TRVUnicodeString& Text, const TRVUnicodeString& Separator) {
  if (S.empty())
    S = Text;
  else if (!Text.empty())
    S += Separator + Text;
}

void AppendWithSeparatorAnsi(TRVAnsiString& S, const TRVAnsiString& Text, const TRVAnsiString& Separator) {
  if (S.empty())
    S = Text;
  else if (!Text.empty())
    S += Separator + Text;
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
int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

void AppendEscape(TRVUnicodeString& r, char16_t c) {
  static const char16_t Digits[] = u"0123456789ABCDEF";
  r += u'%';
  r += Digits[(c >> 4) & 0xF];
  r += Digits[c & 0xF];
}
}  // namespace

TRVUnicodeString DecodeUrlText(const TRVUnicodeString& Text, bool AllowCRLF) {
  TRVUnicodeString s = Text;
  if (s.size() <= 2) return s;
  std::string run;  // decoded bytes whose escapes end just before index i
  std::size_t i = 0;  // 0-based here
  auto flush = [&] {
    if (run.empty()) return;
    const std::size_t escLen = run.size() * 3;
    const TRVUnicodeString decoded = Utf8ToUnicode(run);
    s.replace(i - escLen, escLen, decoded);
    i = i - escLen + decoded.size();
    run.clear();
  };
  while (i + 2 < s.size()) {
    int hi, lo;
    if (s[i] == u'%' && (hi = HexDigit(s[i + 1])) >= 0 && (lo = HexDigit(s[i + 2])) >= 0) {
      const char b = static_cast<char>(hi * 16 + lo);
      if (AllowCRLF || (b != '\r' && b != '\n')) {
        run += b;
        i += 3;
        continue;
      }
      flush();
    } else {
      flush();
      if (s[i] == u'+') s[i] = u' ';
    }
    ++i;
  }
  flush();
  return s;
}

TRVUnicodeString EncodeUrlText(const TRVUnicodeString& Text) {
  TRVUnicodeString r;
  r.reserve(Text.size());
  for (char16_t c : Text) {
    if (c == u'\n' || c == u'\r' || c == u' ' || c == u'"' || c == u'%' || c == u'+')
      AppendEscape(r, c);
    else
      r += c;
  }
  return r;
}

TRVUnicodeString EncodeUrlSpaces(const TRVUnicodeString& Text) {
  TRVUnicodeString r;
  r.reserve(Text.size());
  for (char16_t c : Text) {
    if (c == u'\n' || c == u'\r' || c == u' ')
      AppendEscape(r, c);
    else
      r += c;
  }
  return r;
}

// Paths here are absolute with "/" separators, so the slashes after "file:" collapse into the
// root and backslashes become slashes.
TRVUnicodeString FileUrlToPath(const TRVUnicodeString& Text) {
  if (Text.size() < 5 || !SameTextAscii(std::u16string_view(Text).substr(0, 5), u"file:")) return Text;
  std::size_t p = 5;
  while (p < Text.size() && (Text[p] == u'/' || Text[p] == u'\\')) ++p;
  TRVUnicodeString r = u"/" + Text.substr(p);
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

void MakeRotationTransform(TRVXForm& XForm, TRVDocRotation Rotation, int Left, int Top, int Width, int Height,
                           int ContentSize, int Alignment) {
  XForm = TRVXForm{};
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
