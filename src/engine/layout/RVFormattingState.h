// The record of one formatting run, shared by the formatter, the line finisher, the text fitter
// and partial reformatting. Coordinates are device pixels of the format canvas.
#pragma once

#include <memory>
#include <vector>

#include "engine/document/RVItem.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVBorder.h"
#include "engine/styles/RVStyle.h"

class TCanvas;
class TRVFontInfoCache;
class TRVFontInfoCacheItem;
class TRVFloatingDrawItems;
class TRVDrawLines;

// Process-wide switches of the formatter: how text is fitted (0 asks the text engine, 1 always
// takes its maximal fit, other values probe), whether a line ended by a line break inside a
// paragraph is justified, and the smallest line height given to floating boxes on a line.
extern int TextFitStrategy;
extern bool BreakLineJustification;
extern int FloatLineMinHeight;
// The resolution documents are formatted at when a page-layout editor fixes one (0: the canvas's).
extern int RVFormattingPixelsPerInch;

struct TRVFormattingState {
  int X = 0;                 // position on the current line, from the line's start
  int BaseLineY = 0;         // absolute Y of the current line's baseline
  int PendingGap = 0;        // space below the previous baseline not yet added
  int Ascent = 0;            // height of the current line above its baseline
  int ParaNo = -1;           // displayed paragraph style of the current item
  bool HardLineStart = true; // the current item starts a line of its own
  int LineWidth = 0;
  int LineLeft = 0;
  int LineTop = 0;
  int DrawItemCount = 0;     // index of the next draw item
  int VShift = 0;
  int LeftIndent = 0, RightIndent = 0, FirstIndent = 0;
  int CurTextStyle = -1;     // style last applied to the canvas; -1 forces applying again
  int LeftBound = 0, RightBound = 0;
  int ParaFirstItem = -1;
  TRVBiDiMode ParaBiDiMode = rvbdUnspecified;
  int FixedAscent = 0, FixedDescent = 0;
  int LineChars = 0, MaxLineChars = 0;
  bool Reformatting = false, NoCaching = false, ThisLevelOnly = false;
  bool SkipFirstFinish = true;
  bool LineHasAbsVAlign = false, LineHasFloat = false, LineHasPlaceholder = false;
  int TabSection = -1;
  TRVTabAlign TabAlign = rvtaLeft;
  int TabPos = 0;
  bool SpaceConsumed = false;
  TRVFontInfoCache* FontCache = nullptr;
  TCanvas* FormatCanvas = nullptr;
  TRVFontInfoCacheItem* FontItem = nullptr;  // the cache entry of CurTextStyle (its canvas and metrics)
  int TMAscent = 0, TMDescent = 0;           // ascent and descent of the current text style
  bool WordWrap = true, IsSymbolFont = false, UseRefCanvas = false;
  std::unique_ptr<TRVFloatingDrawItems> Floats;
  std::unique_ptr<TRVFloatingDrawItems> FloatsPlaced;
  bool OnlyFloatsOnLine = true, LineMovedByFloats = false;
  // The line being formatted ended by wrapping (used by the finisher's line-break rule).
  int FirstDrawItemOfLine = 0;
  // Device-pixel margins of the run.
  int DevLeftMargin = 0, DevRightMargin = 0;
  // The paragraph style record of ParaNo.
  TParaInfo* ParaInfo = nullptr;
  // The display text of the current text item and the offset of the next character to place.
  std::u16string DisplayText;
  TRVDocWidthChangeStates DrawingStates;
  // Settings of the run read once.
  TCanvas* MeasureCanvas = nullptr;  // the canvas of the current style's cache entry
  bool Trim = false, Printing = false, ShowSpecial = false;
  bool NoWrap = false;               // the paragraph does not wrap (or word wrap is off)
  bool ItemFromNewLine = false;      // the item being formatted is shown from a new line
  TRVLineWrapMode WrapMode = rvWrapNormal;
  TRVScreenAndDevice SaD;

  // ==== text fitting (RVTextFitting.cpp) ====
  // The text last measured whole before its first line was fitted, and the canvas: the lines
  // after it are measured from that shaping without asking for the whole again.
  const WideChar* FitWholeStart = nullptr;
  const WideChar* FitWholeEnd = nullptr;
  TCanvas* FitWholeCanvas = nullptr;

  TRVFormattingState();
  ~TRVFormattingState();
  TRVFormattingState(const TRVFormattingState&) = delete;
  TRVFormattingState& operator=(const TRVFormattingState&) = delete;
};
