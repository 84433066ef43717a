// A drawing back-end with fixed text metrics: every code unit advances by the same width and
// every font has the same ascent and descent. Layout rules can then be checked with exact
// numbers, independently of the fonts installed. Everything that is not text measuring is the
// device-context back-end's.
#pragma once

#include "engine/foundation/RVWinGrIn.h"

class TRVFixedGraphicInterface : public TRVWinGraphicInterface {
 public:
  explicit TRVFixedGraphicInterface(int CharWidth = 10, int Ascent = 8, int Descent = 2);

  int GetCharWidth() const { return FCharWidth; }
  int GetAscent() const { return FAscent; }
  int GetDescent() const { return FDescent; }

  void TextOut(TCanvas* Canvas, int X, int Y, const WideChar* Str, int Length,
               bool ForMetafile) override;
  TSize TextSizeBasic(TCanvas* Canvas, const WideChar* Str, int Length, bool BiDi) override;
  UINT GetOutlineTextMetrics(TCanvas* Canvas, UINT Size, OUTLINETEXTMETRICW* POTM) override;
  bool GetTextMetrics(TCanvas* Canvas, TEXTMETRICW& TM) override;
  bool FontHasLigationGlyphs(TCanvas* Canvas) override;
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

 private:
  // Width of each code unit: the fixed width plus the canvas's character extra, invisible
  // characters 0 unless they are measured.
  std::vector<int> Advances(TCanvas* Canvas, const WideChar* Str, int Length,
                            bool IgnoreSpecialChars);
  int FCharWidth, FAscent, FDescent;
};
