// Free functions the whole engine calls: unit and resolution conversions, the colour modes of
// printing, numbering texts, URL percent coding, XML/RTF-safe text, hint attributes and small
// geometry helpers.
#pragma once

#include <memory>
#include <utility>

#include "engine/foundation/RVTypes.h"
#include "platform/base/Classes.h"

// ---- types ----------------------------------------------------------------------------------

enum TRVUnits { rvuInches, rvuCentimeters, rvuMillimeters, rvuPicas, rvuPixels, rvuPoints };

enum TRVColorMode {
  rvcmColor,
  rvcmVCLThemeColor,
  rvcmPrinterColor,
  rvcmGrayScale,
  rvcmBlackAndWhite,
  rvcmBlackOnWhite
};

enum TRVDocRotation { rvrotNone, rvrot90, rvrot180, rvrot270 };

enum TRVSide { rvsdLeft, rvsdTop, rvsdRight, rvsdBottom };

enum TRVSaveFormat { rvsfText, rvsfHTML, rvsfRTF, rvsfRVF, rvsfDocX };

// Screen and device resolutions of a print job; everything on a printed page is in device pixels.
struct TRVScreenAndDevice {
  LONG ppixScreen = 0, ppiyScreen = 0, ppixDevice = 0, ppiyDevice = 0;
  LONG LeftMargin = 0, RightMargin = 0;
};

// A world transform, as device contexts take it.
struct TRVXForm {
  float eM11 = 0, eM12 = 0, eM21 = 0, eM22 = 0, eDx = 0, eDy = 0;
  friend bool operator==(const TRVXForm&, const TRVXForm&) = default;
};

// Code units below 128 that a text operation looks for.
using TRVCharSet = TSet<unsigned char, 128>;

// 0 means "use the real screen resolution".
extern int ScreenPixelsPerInchOverride;

// ---- units and resolutions --------------------------------------------------------------------

double UnitsPerInchOf(TRVUnits Units);
int UnitsValueToTwips(TRVUnits Units, double Value);
double TwipsToUnitsValue(int Twips, TRVUnits Units);
double ConvertUnitsValue(TRVUnits FromUnits, TRVUnits ToUnits, double Value);
int UnitsValueToPixels(TRVUnits Units, int PixelsPerInch, double Value);
int GetScreenPixelsPerInch();

int ScreenToDeviceX(int N, const TRVScreenAndDevice& SaD);
int ScreenToDeviceY(int N, const TRVScreenAndDevice& SaD);
int DeviceToScreenX(int N, const TRVScreenAndDevice& SaD);
int DeviceToScreenY(int N, const TRVScreenAndDevice& SaD);
void DeviceToScreenRect(TRect& Rect, const TRVScreenAndDevice& SaD);

// ---- colours ----------------------------------------------------------------------------------

// The colour with system colours looked up; clNone and other special values pass unchanged.
TColor RVColorToRGB(TColor Color);
int ColorLuminance(TColor Color);
TColor ColorToGrayscale(TColor Color);
TColor ScaleColorLuminance(TColor Color, double Factor);
TColor GetStyledColor(TColor Color);
TColor SystemColorToPrinterColor(TColor Color);
TColor ApplyColorMode(TColor Color, TRVColorMode ColorMode);
TColor ApplyBackColorMode(TColor Color, TRVColorMode ColorMode);
BYTE OpacityToAlpha(int Opacity);

// ---- numbering and text ---------------------------------------------------------------------

TRVUnicodeString IntToRoman(int N);
TRVUnicodeString IntToLetters(int N);
int SubSuperScriptSize(int Size);
int LineWidthForFontSize(int Size);
TRVUnicodeString ReplaceTabsWithSpaces(const TRVUnicodeString& Text, int N);
TRVUnicodeString ReplaceControlChars(const TRVUnicodeString& Text);
TRVAnsiString ReplaceControlCharsAnsi(const TRVAnsiString& Text);
TRVUnicodeString EscapeXmlText(const TRVUnicodeString& Text);
TRVUnicodeString MakeHintAttribute(TRVSaveFormat Format, const TRVUnicodeString& Hint);
void AppendWithSeparator(TRVUnicodeString& S, const TRVUnicodeString& Text,
                         const TRVUnicodeString& Separator);
void AppendWithSeparatorAnsi(TRVAnsiString& S, const TRVAnsiString& Text,
                             const TRVAnsiString& Separator);
void AppendWithSpace(TRVUnicodeString& S, const TRVUnicodeString& Text);
void AppendWithSpaceAnsi(TRVAnsiString& S, const TRVAnsiString& Text);
TRVUnicodeString ReplaceCharsInSet(const TRVUnicodeString& S, TRVUnicodeChar Ch,
                                   const TRVCharSet& CharSet);
bool IsNotVerticalFontName(const TRVUnicodeString& Name);
inline TRVUnicodeString CopyItemTag(const TRVUnicodeString& Source) { return Source; }
inline bool AreItemTagsEqual(const TRVUnicodeString& A, const TRVUnicodeString& B) { return A == B; }
inline void SwapAnsiStrings(TRVAnsiString& A, TRVAnsiString& B) { A.swap(B); }

// ---- URLs ---------------------------------------------------------------------------------------

TRVUnicodeString DecodeUrlText(const TRVUnicodeString& Text, bool AllowCRLF);
TRVUnicodeString EncodeUrlText(const TRVUnicodeString& Text);
TRVUnicodeString EncodeUrlSpaces(const TRVUnicodeString& Text);
TRVUnicodeString FileUrlToPath(const TRVUnicodeString& Text);

// ---- geometry -------------------------------------------------------------------------------

bool PointInBounds(int X, int Y, int Left, int Top, int Width, int Height);
void SetRectSizeFromSide(TRect& Rect, TRVSide Side, int Size, bool Centered);
TRVDocRotation CombineRotation(TRVDocRotation Rotation, int Step);
void MakeRotationTransform(TRVXForm& XForm, TRVDocRotation Rotation, int Left, int Top, int Width,
                           int Height, int ContentSize, int Alignment);
// The two points (of the first and of the second rectangle) between which a connecting line runs.
void GetLineBetweenRects(int Left1, int Top1, int Width1, int Height1, int Left2, int Top2,
                         int Width2, int Height2, TPoint& From, TPoint& To);

// ---- input state ------------------------------------------------------------------------------

// The mouse position in screen coordinates; (0, 0) when the system cannot tell.
TPoint GetCursorPosSafe();
// Shift, Alt and Ctrl as they are now.
TShiftState GetAsyncShiftState();

// ---- small utilities --------------------------------------------------------------------------

inline int NonNegative(int N) { return N < 0 ? 0 : N; }
inline int SignOf(int N) { return N < 0 ? -1 : (N > 0 ? 1 : 0); }
template <typename T>
void FreeAndNilObject(std::unique_ptr<T>& Obj) {
  Obj.reset();
}
template <typename T>
void FreeAndNilObject(T*& Obj) {
  T* p = Obj;
  Obj = nullptr;
  delete p;
}
