#include "engine/foundation/RVFixedGrIn.h"

#include <algorithm>

TRVFixedGraphicInterface::TRVFixedGraphicInterface(int CharWidth, int Ascent, int Descent)
    : FCharWidth(CharWidth), FAscent(Ascent), FDescent(Descent) {}

std::vector<int> TRVFixedGraphicInterface::Advances(TCanvas* Canvas, const WideChar* Str,
                                                    int Length, bool IgnoreSpecialChars) {
  const int extra = Canvas ? GetTextCharacterExtra(Canvas) : 0;
  std::vector<int> dx(std::max(Length, 0), FCharWidth + extra);
  if (!IgnoreSpecialChars)
    for (int i = 0; i < Length; ++i)
      if (IsInvisibleSpecialChar(Str[i])) dx[i] = 0;
  return dx;
}

TSize TRVFixedGraphicInterface::TextSizeBasic(TCanvas* Canvas, const WideChar* Str, int Length,
                                              bool) {
  int w = 0;
  for (int d : Advances(Canvas, Str, Length, true)) w += d;
  return TSize(w, FAscent + FDescent);
}

UINT TRVFixedGraphicInterface::GetOutlineTextMetrics(TCanvas*, UINT, OUTLINETEXTMETRICW*) {
  return 0;  // no outline metrics: callers take the plain metrics
}

bool TRVFixedGraphicInterface::GetTextMetrics(TCanvas*, TEXTMETRICW& TM) {
  TM = TEXTMETRICW{};
  TM.tmHeight = FAscent + FDescent;
  TM.tmAscent = FAscent;
  TM.tmDescent = FDescent;
  TM.tmAveCharWidth = FCharWidth;
  TM.tmMaxCharWidth = FCharWidth;
  TM.tmWeight = FW_NORMAL;
  TM.tmDigitizedAspectX = 96;
  TM.tmDigitizedAspectY = 96;
  TM.tmFirstChar = 0x20;
  TM.tmLastChar = 0xFFFD;
  TM.tmDefaultChar = u'?';
  TM.tmBreakChar = u' ';
  TM.tmCharSet = DEFAULT_CHARSET;
  return true;
}

bool TRVFixedGraphicInterface::FontHasLigationGlyphs(TCanvas*) { return false; }

void TRVFixedGraphicInterface::GetTextExtentExPoint(TCanvas* Canvas, const WideChar* Str,
                                                    int Length, int MaxExtent, bool,
                                                    bool IgnoreSpecialChars, int* PCoords,
                                                    int& Fit, TSize& Size) {
  std::vector<int> dx = Advances(Canvas, Str, Length, IgnoreSpecialChars);
  Fit = 0;
  int x = 0;
  bool fits = true;
  for (int i = 0; i < Length; ++i) {
    x += dx[i];
    if (PCoords) PCoords[i] = x;
    if (fits && x <= MaxExtent)
      Fit = i + 1;
    else
      fits = false;
  }
  int w = 0;
  for (int i = 0; i < Fit; ++i) w += dx[i];
  Size = TSize(w, FAscent + FDescent);
}

std::unique_ptr<TCustomRVGlyphDXData> TRVFixedGraphicInterface::GetGlyphDX(
    TCanvas* Canvas, const WideChar* Str, int Length, int SpaceCount, int ExtraSpaceWidth, bool,
    bool IgnoreSpecialChars, bool, bool NeedCoords, int LeftNoExpIndex, int RightNoExpIndex) {
  auto data = std::make_unique<TRVWinGlyphDXData>();
  data->PDX = Advances(Canvas, Str, Length, IgnoreSpecialChars);
  ApplySpacingToDX(Str, Length, data->PDX.data(), SpaceCount, ExtraSpaceWidth, LeftNoExpIndex,
                   RightNoExpIndex, nullptr);
  if (NeedCoords) data->FillCoordsLTR2(Length);
  return data;
}

void TRVFixedGraphicInterface::TextOutWithDX(TCanvas* Canvas, int X, int Y, const WideChar* Str,
                                             int Length, bool, TCustomRVGlyphDXData* Data) {
  if (Length <= 0) return;
  std::vector<int> dx;
  if (Data && static_cast<int>(Data->PDX.size()) >= Length)
    dx.assign(Data->PDX.begin(), Data->PDX.begin() + Length);
  else
    dx = Advances(Canvas, Str, Length, false);
  TRVCharExtraOff off(*this, Canvas);
  ::ExtTextOutW(Canvas->GetHandle(), X, Y, 0, nullptr, Str, static_cast<UINT>(Length), dx.data());
}

void TRVFixedGraphicInterface::TextOut(TCanvas* Canvas, int X, int Y, const WideChar* Str,
                                       int Length, bool) {
  if (Length <= 0) return;
  std::vector<int> dx = Advances(Canvas, Str, Length, true);
  TRVCharExtraOff off(*this, Canvas);
  ::ExtTextOutW(Canvas->GetHandle(), X, Y, 0, nullptr, Str, static_cast<UINT>(Length), dx.data());
}

int TRVFixedGraphicInterface::GetExpandableCharCount(TCanvas* Canvas, const WideChar* Str,
                                                     int Length, bool, bool IgnoreSpecialChars) {
  std::vector<int> dx = Advances(Canvas, Str, Length, IgnoreSpecialChars);
  std::vector<bool> starts = CharStarts(Str, Length);
  int n = 0;
  for (int i = 0; i < Length; ++i)
    if (starts[i] && dx[i] != 0) ++n;
  return n;
}

void TRVFixedGraphicInterface::GetOutermostNonExpandableCharacters(
    TCanvas* Canvas, const WideChar* Str, int Length, bool, bool IgnoreSpecialChars, bool,
    bool Right, int& LeftIndex, int& RightIndex) {
  LeftIndex = -1;
  RightIndex = -1;
  if (Length <= 0 || !Right) return;
  std::vector<int> dx = Advances(Canvas, Str, Length, IgnoreSpecialChars);
  std::vector<bool> starts = CharStarts(Str, Length);
  RightIndex = Length - 1;
  for (int i = Length - 1; i >= 0; --i)
    if (starts[i] && dx[i] != 0) {
      RightIndex = i;
      break;
    }
}

bool TRVFixedGraphicInterface::GetCaretPositions(TCanvas* Canvas, const WideChar* Str,
                                                 int Length, int SpaceCount, int ExtraSpaceWidth,
                                                 bool, bool IgnoreSpecialChars, int* PCP,
                                                 int LeftNoExpIndex, int RightNoExpIndex) {
  if (!PCP) return false;
  std::vector<int> dx = Advances(Canvas, Str, Length, IgnoreSpecialChars);
  std::vector<int> l(std::max(Length, 0)), r(std::max(Length, 0));
  PCP[0] = 0;
  int x = 0;
  for (int i = 0; i < Length; ++i) {
    l[i] = x;
    x += dx[i];
    r[i] = x;
    PCP[i + 1] = x;
  }
  ApplySpacingToCoords(Str, Length, l.data(), r.data(), PCP, SpaceCount, ExtraSpaceWidth,
                       LeftNoExpIndex, RightNoExpIndex);
  return true;
}

bool TRVFixedGraphicInterface::DoesTextOutSupportSpacing(int, bool) { return true; }
