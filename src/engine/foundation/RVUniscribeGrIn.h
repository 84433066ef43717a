// The drawing back-end over string analysis: shaping, ligatures, combining characters and
// bidirectional runs for every script. Operations whose analysis fails fall back to the
// device-context back-end it derives from.
#pragma once

#include "engine/foundation/RVWinGrIn.h"

// The string-analysis entry points, bound once at start-up; null while unbound.
struct TRVUniscribeEntryPoints {
  decltype(&::ScriptStringAnalyse) ScriptStringAnalyse = nullptr;
  decltype(&::ScriptStringCPtoX) ScriptStringCPtoX = nullptr;
  decltype(&::ScriptStringXtoCP) ScriptStringXtoCP = nullptr;
  decltype(&::ScriptStringOut) ScriptStringOut = nullptr;
  decltype(&::ScriptString_pSize) ScriptString_pSize = nullptr;
  decltype(&::ScriptStringFree) ScriptStringFree = nullptr;
  decltype(&::ScriptStringGetLogicalWidths) ScriptStringGetLogicalWidths = nullptr;
  decltype(&::ScriptString_pcOutChars) ScriptString_pcOutChars = nullptr;
  decltype(&::ScriptStringGetOrder) ScriptStringGetOrder = nullptr;
  decltype(&::ScriptFreeCache) ScriptFreeCache = nullptr;
  decltype(&::ScriptItemize) ScriptItemize = nullptr;
  decltype(&::ScriptShape) ScriptShape = nullptr;
  decltype(&::ScriptPlace) ScriptPlace = nullptr;
  decltype(&::ScriptTextOut) ScriptTextOut = nullptr;
  decltype(&::ScriptGetFontProperties) ScriptGetFontProperties = nullptr;
};

// The bound entry points (all null when the shaping layer is not loaded).
TRVUniscribeEntryPoints& RVUniscribe();
// Binds the entry points when the shaping layer is available.
void LoadUniscribe();
void UnloadUniscribe();
bool IsUniscribeLoaded();

// Logical widths in text order; POrder stays empty.
class TRVUniscribeGlyphDXData : public TCustomRVGlyphDXData {};

class TRVUniscribeGraphicInterface : public TRVWinGraphicInterface {
 public:
  void TextOut(TCanvas* Canvas, int X, int Y, const WideChar* Str, int Length,
               bool ForMetafile) override;
  TSize TextSizeBasic(TCanvas* Canvas, const WideChar* Str, int Length, bool BiDi) override;
  void GetTextExtentExPoint(TCanvas* Canvas, const WideChar* Str, int Length, int MaxExtent,
                            bool BiDi, bool IgnoreSpecialChars, int* PCoords, int& Fit,
                            TSize& Size) override;
  std::unique_ptr<TCustomRVGlyphDXData> GetGlyphDX(TCanvas* Canvas, const WideChar* Str,
                                                   int Length, int SpaceCount,
                                                   int ExtraSpaceWidth, bool BiDi,
                                                   bool IgnoreSpecialChars, bool NeedDX,
                                                   bool NeedCoords, int LeftNoExpIndex,
                                                   int RightNoExpIndex) override;
  void TextOutWithDX(TCanvas* Canvas, int X, int Y, const WideChar* Str, int Length,
                     bool ForMetafile, TCustomRVGlyphDXData* Data) override;
  int GetExpandableCharCount(TCanvas* Canvas, const WideChar* Str, int Length, bool BiDi,
                             bool IgnoreSpecialChars) override;
  void GetOutermostNonExpandableCharacters(TCanvas* Canvas, const WideChar* Str, int Length,
                                           bool BiDi, bool IgnoreSpecialChars, bool Left,
                                           bool Right, int& LeftIndex,
                                           int& RightIndex) override;
  bool GetCaretPositions(TCanvas* Canvas, const WideChar* Str, int Length, int SpaceCount,
                         int ExtraSpaceWidth, bool BiDi, bool IgnoreSpecialChars, int* PCP,
                         int LeftNoExpIndex, int RightNoExpIndex) override;
  bool DoesTextOutSupportSpacing(int Length, bool BiDi) override;
  bool PreferMaxFit(TCanvas* Canvas, bool BiDi, bool UseFormatCanvas, int Length,
                    int EstimFit) override;
};

// The back-end a style sheet uses: the string-analysis one when asked for and loaded,
// otherwise the device-context one.
std::unique_ptr<TRVGraphicInterface> RVCreateGraphicInterface(bool PreferUniscribe);
