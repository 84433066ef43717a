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

  TRV_GRIN_TEXT_OPERATIONS(override)
  UINT GetOutlineTextMetrics(TCanvas* Canvas, UINT Size, OUTLINETEXTMETRICW* POTM) override;
  bool GetTextMetrics(TCanvas* Canvas, TEXTMETRICW& TM) override;
  bool FontHasLigationGlyphs(TCanvas* Canvas) override;

 private:
  // Width of each code unit: the fixed width plus the canvas's character extra, invisible
  // characters 0 unless they are measured.
  std::vector<int> Advances(TCanvas* Canvas, const WideChar* Str, int Length,
                            bool IgnoreSpecialChars);
  int FCharWidth, FAscent, FDescent;
};
