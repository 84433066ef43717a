// The drawing back-end over string analysis: shaping, ligatures, combining characters and
// bidirectional runs for every script. Operations whose analysis fails fall back to the
// device-context back-end it derives from.
#pragma once

#include "engine/foundation/RVWinGrIn.h"

// The string-analysis entry points, bound by RegisterFoundation (RVStartUp.h); null while unbound.
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
  TRV_GRIN_TEXT_OPERATIONS(override)
  bool PreferMaxFit(TCanvas* Canvas, bool BiDi, bool UseFormatCanvas, int Length,
                    int EstimFit) override;
};

// The back-end a style sheet uses: the string-analysis one when asked for and loaded,
// otherwise the device-context one.
std::unique_ptr<TRVGraphicInterface> RVCreateGraphicInterface(bool PreferUniscribe);
