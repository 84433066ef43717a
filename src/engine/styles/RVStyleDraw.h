// Putting text styles on a canvas and painting styled runs: the draw states and colour choices of
// a run, the process-wide set of visible special characters, and the underline painters that the
// item painters share. The operations themselves are methods of the text styles (FontInfo.h); their
// bodies live in RVStyleDraw.cpp.
#pragma once

#include <cstdint>

#include "engine/foundation/RVFuncs.h"
#include "platform/base/Types.h"

class TCanvas;
class TRVGraphicInterface;

enum TRVTextDrawState : std::uint8_t {
  rvtsSelected, rvtsHover, rvtsItemStart, rvtsItemEnd, rvtsDrawItemStart, rvtsDrawItemEnd,
  rvtsControlFocused, rvtsSpecialCharacters, rvtstControlDisabled
};
using TRVTextDrawStates = TSet<TRVTextDrawState, 9>;

// Precomputed per run by layout, so sub/superscript fonts need no metrics query when drawn.
struct TRVExtraFontInfo {
  std::int32_t ScriptHeight = 0;
};
using PRVExtraFontInfo = TRVExtraFontInfo*;

// Kinds of special characters that become visible when a document shows special characters.
// Members keep their bit numbers: spaces 0, non-breaking spaces 1, tabs 2, soft hyphens 3.
enum TRVSpecialCharacter : std::uint8_t { rvspcSpace, rvspcNBSP, rvspcTab, rvspcSoftHyphen };
using TRVSpecialCharacters = TSet<TRVSpecialCharacter, 8>;

// The style library's start-up: installs the foundation's query of the shown soft hyphens. The
// program's main calls it once, after RegisterFoundation (RVStartUp.h); calling it again does
// nothing.
void RegisterStyles();
// Starts with every member; the engine never clears one (applications may).
extern TRVSpecialCharacters ShownSpecialCharacters;

// Signs drawn for shown spaces and non-breaking spaces.
constexpr WideChar RV_SPACE_SIGN = 0x00B7;  // middle dot
constexpr WideChar RV_NBSP_SIGN = 0x00B0;   // degree sign

enum TRVUnderlineType : std::uint8_t;  // FontInfo.h

// One underline of the given kind from Left to Right (exclusive) around Y; Width 0 counts as 1,
// thick kinds double it, a double underline draws two lines at Y - Width and Y + Width.
void RVDrawUnderline(TCanvas* Canvas, TRVUnderlineType UnderlineType, TColor Color, int Left, int Right, int Y,
                     int Width, TRVGraphicInterface* GraphicInterface);
// The sparse dotted line that marks hidden text.
void RVDrawDottedLine(TCanvas* Canvas, TColor Color, int Left, int Right, int Y,
                      TRVGraphicInterface* GraphicInterface);
