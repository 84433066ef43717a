// Free functions the whole engine calls: unit and resolution conversions, the colour modes of
// printing, numbering texts, URL percent coding, XML/RTF-safe text, hint attributes and small
// geometry helpers.
#pragma once

#include <memory>
#include <utility>

#include "engine/foundation/RVTypes.h"
#include "platform/base/Classes.h"
#include "platform/graphics/DeviceContext.h"

class TCanvas;
class TGraphic;
class TBitmap;
class TRVGraphicInterface;

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
// Device resolutions from the canvas, screen resolutions from a temporary screen canvas; the
// margins are left alone.
void InitScreenAndDevice(TRVScreenAndDevice& SaD, TCanvas* Canvas, TRVGraphicInterface* GraphicInterface);

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
void MakeRotationTransform(XFORM& XForm, TRVDocRotation Rotation, int Left, int Top, int Width,
                           int Height, int ContentSize, int Alignment);
// The two points (of the first and of the second rectangle) between which a connecting line runs.
void GetLineBetweenRects(int Left1, int Top1, int Width1, int Height1, int Left2, int Top2,
                         int Width2, int Height2, TPoint& From, TPoint& To);

// ---- drawing ----------------------------------------------------------------------------------

// Replaces Graphic by a bitmap of it rotated (rvrot90 turns it counter-clockwise).
void RotateGraphic(std::unique_ptr<TGraphic>& Graphic, TRVDocRotation Rotation, TRVGraphicInterface* GraphicInterface);
// Negative sizes mean the graphic's own; with SaD the sizes are screen pixels made device ones.
void DrawOrPrintGraphic(TCanvas* Canvas, int X, int Y, TRVGraphicInterface* GraphicInterface, bool Stretch,
                        TGraphic* Graphic, const TRVScreenAndDevice* SaD, int Height, int Width);
void PrintBitmapThroughDIB(HDC DC, int X, int Y, TBitmap* Bitmap, int Height, int Width);
void StretchDrawBitmapHalftone(TCanvas* Canvas, int X, int Y, TBitmap* Bitmap, int Height, int Width);
// Pixels at the clear bits of an 8 x 8 checkerboard take Color; the others stay.
void FillRectWithPattern(TCanvas* Canvas, const TRect& Rect, TColor Color);
// A horizontal line from Left to Right (exclusive) in a band of Thickness pixels around Y. Kinds:
// 0 solid, 1 dotted, 2 dashed, 3 long dashed, 4 dash-dot, 5 dash-dot-dot, 6 sparse dots; other
// kinds draw nothing. PatternLength (at 96 pixels per inch, 0 = from the thickness) sets the
// length of one repetition.
void DrawStyledLine(TCanvas* Canvas, TColor Color, int Kind, int Thickness, int Left, int Right, int Y,
                    int PatternLength, TRVGraphicInterface* GraphicInterface);
void DrawLineBetweenRects(int Left1, int Top1, int Width1, int Height1, int Left2, int Top2, int Width2, int Height2,
                          TCanvas* Canvas, TRVGraphicInterface* GraphicInterface);

struct TRVFreeDeleter {
  void operator()(void* p) const;
};
using TRVOutlineTextMetrics = std::unique_ptr<OUTLINETEXTMETRICW, TRVFreeDeleter>;
// The font's outline metrics in a zero-filled block of the size the system asks for; null when the
// font has none. An underscore thickness of 0 is stored as 1.
TRVOutlineTextMetrics AllocOutlineTextMetrics(TCanvas* Canvas, TRVGraphicInterface* GraphicInterface);

// ---- input state ------------------------------------------------------------------------------

// The mouse position in screen coordinates; (0, 0) when the system cannot tell.
TPoint GetCursorPosSafe();
// Shift, Alt and Ctrl as they are now.
TShiftState GetAsyncShiftState();

// True when the current printer can print at least N copies of a job by itself.
bool PrinterCopiesAtLeast(int N);

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
