// Complex-script analysis of a text run for measuring and drawing: shaping, fallback faces,
// bidirectional reordering, caret positions and logical widths. Entry points, records and flag
// values keep the system's names and documented values; results are in the context's logical
// units, with the same glyph positions that GetTextExtentPoint32W and TextOutW use.
#pragma once

#include <cstdint>

#include "platform/graphics/DeviceContext.h"

using HRESULT = std::int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_PENDING = static_cast<HRESULT>(0x8000000Au);
constexpr HRESULT USP_E_SCRIPT_NOT_IN_FONT = static_cast<HRESULT>(0x80040200u);
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Analysis flags
constexpr DWORD SSA_PASSWORD = 0x1, SSA_TAB = 0x2, SSA_CLIP = 0x4, SSA_FIT = 0x8, SSA_DZWG = 0x10,
                SSA_FALLBACK = 0x20, SSA_BREAK = 0x40, SSA_GLYPHS = 0x80, SSA_RTL = 0x100,
                SSA_GCP = 0x200, SSA_HOTKEY = 0x400, SSA_METAFILE = 0x800, SSA_LINK = 0x1000,
                SSA_FULLMEASURE = 0x4000000, SSA_LAYOUTRTL = 0x20000000;

class TScriptStringAnalysis;
using SCRIPT_STRING_ANALYSIS = TScriptStringAnalysis*;
class TScriptCache;
using SCRIPT_CACHE = TScriptCache*;

struct SCRIPT_CONTROL {
  WORD uDefaultLanguage = 0;
  bool fContextDigits = false;
  bool fInvertPreBoundDir = false;
  bool fInvertPostBoundDir = false;
  bool fLinkStringBefore = false;
  bool fLinkStringAfter = false;
  bool fNeutralOverride = false;
  bool fNumericOverride = false;
  bool fLegacyBidiClass = false;
  bool fMergeNeutralItems = false;
};

struct SCRIPT_STATE {
  BYTE uBidiLevel = 0;
  bool fOverrideDirection = false;
  bool fInhibitSymSwap = false;
  bool fCharShape = false;
  bool fDigitSubstitute = false;
  bool fInhibitLigate = false;
  bool fDisplayZWG = false;
  bool fArabicNumContext = false;
  bool fGcpClusters = false;
};

// eScript here is the script code of the run (an ISO 15924 tag packed big-endian, as the shaper
// uses it); 0 means common/unknown.
struct SCRIPT_ANALYSIS {
  DWORD eScript = 0;
  bool fRTL = false;
  bool fLayoutRTL = false;
  bool fLinkBefore = false;
  bool fLinkAfter = false;
  bool fLogicalOrder = false;
  bool fNoGlyphIndex = false;
  SCRIPT_STATE s;
};

struct SCRIPT_ITEM {
  int iCharPos = 0;
  SCRIPT_ANALYSIS a;
};

struct SCRIPT_VISATTR {
  BYTE uJustification = 0;
  bool fClusterStart = false;
  bool fDiacritic = false;
  bool fZeroWidth = false;
};

struct GOFFSET {
  LONG du = 0, dv = 0;
};

struct ABC {
  int abcA = 0;
  UINT abcB = 0;
  int abcC = 0;
};

struct SCRIPT_FONTPROPERTIES {
  int cBytes = sizeof(SCRIPT_FONTPROPERTIES);
  WORD wgBlank = 0, wgDefault = 0, wgInvalid = 0, wgKashida = 0;
  int iKashidaWidth = 0;
};

struct SCRIPT_TABDEF {
  int cTabStops = 0;
  int iScale = 0;
  int* pTabStops = nullptr;
  int iTabOrigin = 0;
};

// True: shaping is available (it is linked in, so always).
bool ScriptShapingAvailable();

// The string interface.
HRESULT ScriptStringAnalyse(HDC dc, const void* str, int length, int glyphs, int charset,
                            DWORD flags, int reqWidth, SCRIPT_CONTROL* control, SCRIPT_STATE* state,
                            const int* dx, SCRIPT_TABDEF* tabdef, const BYTE* inClass,
                            SCRIPT_STRING_ANALYSIS* ssa);
HRESULT ScriptStringFree(SCRIPT_STRING_ANALYSIS* ssa);
const SIZE* ScriptString_pSize(SCRIPT_STRING_ANALYSIS ssa);
const int* ScriptString_pcOutChars(SCRIPT_STRING_ANALYSIS ssa);
// One width per output character, in text order.
HRESULT ScriptStringGetLogicalWidths(SCRIPT_STRING_ANALYSIS ssa, int* dx);
// Per character: its position in drawing order.
HRESULT ScriptStringGetOrder(SCRIPT_STRING_ANALYSIS ssa, UINT* order);
HRESULT ScriptStringCPtoX(SCRIPT_STRING_ANALYSIS ssa, int cp, BOOL trailing, int* x);
HRESULT ScriptStringXtoCP(SCRIPT_STRING_ANALYSIS ssa, int x, int* cp, int* trailing);
// Draws on the context the analysis was made on. ETO_OPAQUE fills the run's cell (or *rect)
// with the background colour first; ETO_CLIPPED clips to *rect.
HRESULT ScriptStringOut(SCRIPT_STRING_ANALYSIS ssa, int x, int y, UINT options, const RECT* rect,
                        int minSel, int maxSel, BOOL disabled);

// The item interface.
HRESULT ScriptItemize(const WCHAR* str, int length, int maxItems, const SCRIPT_CONTROL* control,
                      const SCRIPT_STATE* state, SCRIPT_ITEM* items, int* itemCount);
HRESULT ScriptShape(HDC dc, SCRIPT_CACHE* cache, const WCHAR* str, int length, int maxGlyphs,
                    SCRIPT_ANALYSIS* sa, WORD* glyphs, WORD* logClust, SCRIPT_VISATTR* visAttr,
                    int* glyphCount);
HRESULT ScriptPlace(HDC dc, SCRIPT_CACHE* cache, const WORD* glyphs, int glyphCount,
                    const SCRIPT_VISATTR* visAttr, SCRIPT_ANALYSIS* sa, int* advance,
                    GOFFSET* offsets, ABC* abc);
HRESULT ScriptTextOut(HDC dc, SCRIPT_CACHE* cache, int x, int y, UINT options, const RECT* rect,
                      const SCRIPT_ANALYSIS* sa, const WCHAR* reserved, int reservedCount,
                      const WORD* glyphs, int glyphCount, const int* advance, const int* justify,
                      const GOFFSET* offsets);
HRESULT ScriptGetFontProperties(HDC dc, SCRIPT_CACHE* cache, SCRIPT_FONTPROPERTIES* props);
// The display order of runs (or characters) from their bidirectional levels, by the reordering
// rule of the bidirectional algorithm: visualToLogical[v] is the run shown at place v,
// logicalToVisual[i] the place of run i; either map may be null. E_INVALIDARG for no runs, no
// levels or a level above 126.
HRESULT ScriptLayout(int runs, const BYTE* levels, int* visualToLogical, int* logicalToVisual);
HRESULT ScriptFreeCache(SCRIPT_CACHE* cache);
