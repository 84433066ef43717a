#include "engine/foundation/RVUniscribeGrIn.h"

#include <algorithm>
#include <climits>

#include "engine/foundation/RVUni.h"
#include "platform/base/NLS.h"

namespace {

TRVUniscribeEntryPoints Entries;
bool Loaded = false;

int GlyphBufferSize(int Length) { return (3 * Length + 1) / 2 + 16; }  // ceil(1.5 n + 16)

bool IsRTLReading(TRVGraphicInterface& GI, TCanvas* Canvas) {
  return (GI.GetTextAlign(Canvas) & TA_RTLREADING) != 0;
}

// One analysis of a run. The canvas's character extra is off while the object lives, and the
// analysis is freed with it, on every path.
class TRVAnalysis {
 public:
  TRVAnalysis(TRVGraphicInterface& GI, TCanvas* Canvas)
      : FGI(GI), FCanvas(Canvas), FExtraOff(GI, Canvas) {}
  ~TRVAnalysis() { Free(); }
  TRVAnalysis(const TRVAnalysis&) = delete;
  TRVAnalysis& operator=(const TRVAnalysis&) = delete;

  int Extra() const { return FExtraOff.Extra(); }
  SCRIPT_STRING_ANALYSIS Get() const { return FSSA; }

  // Analyses the run; with Advances null and a character extra on the canvas, the extra is
  // applied to the logical widths of a first analysis and the run analysed again with them.
  bool Run(const WideChar* Str, int Length, DWORD MoreFlags, int ReqWidth, const int* Advances,
           bool ApplySpacing = true) {
    if (!Analyse(Str, Length, MoreFlags, ReqWidth, Advances)) return false;
    if (!ApplySpacing || Extra() == 0 || Advances) return true;
    std::vector<int> widths = LogicalWidths(Length);
    const int n = OutChars();
    Free();
    TRVGraphicInterface::ApplyCharSpacingToDX(Str, std::min(n, Length), Extra(), widths.data());
    return Analyse(Str, Length, MoreFlags, ReqWidth, widths.data());
  }

  int OutChars() const {
    if (!FSSA || !Entries.ScriptString_pcOutChars) return 0;
    const int* p = Entries.ScriptString_pcOutChars(FSSA);
    return p ? *p : 0;
  }

  TSize Size() const {
    const SIZE* p = FSSA && Entries.ScriptString_pSize ? Entries.ScriptString_pSize(FSSA) : nullptr;
    return p ? *p : TSize(0, 0);
  }

  // One width per character of the text (zero past the output characters).
  std::vector<int> LogicalWidths(int Length) const {
    std::vector<int> w(std::max(Length, OutChars()), 0);
    if (FSSA && Entries.ScriptStringGetLogicalWidths)
      Entries.ScriptStringGetLogicalWidths(FSSA, w.data());
    w.resize(Length);
    return w;
  }

  int CPtoX(int cp, bool trailing) const {
    int x = 0;
    if (FSSA && Entries.ScriptStringCPtoX) Entries.ScriptStringCPtoX(FSSA, cp, trailing, &x);
    return x;
  }

 private:
  bool Analyse(const WideChar* Str, int Length, DWORD MoreFlags, int ReqWidth,
               const int* Advances) {
    if (!Entries.ScriptStringAnalyse) return false;
    DWORD flags = SSA_GLYPHS | SSA_FALLBACK | SSA_LINK | MoreFlags;
    if (IsRTLReading(FGI, FCanvas)) flags |= SSA_RTL;
    SCRIPT_STRING_ANALYSIS ssa = nullptr;
    HRESULT hr = Entries.ScriptStringAnalyse(FCanvas->GetHandle(), Str, Length,
                                             GlyphBufferSize(Length), -1, flags, ReqWidth,
                                             nullptr, nullptr, Advances, nullptr, nullptr, &ssa);
    if (FAILED(hr)) {
      if (ssa && Entries.ScriptStringFree) Entries.ScriptStringFree(&ssa);
      return false;
    }
    FSSA = ssa;
    return FSSA != nullptr;
  }

  void Free() {
    if (FSSA && Entries.ScriptStringFree) Entries.ScriptStringFree(&FSSA);
    FSSA = nullptr;
  }

  TRVGraphicInterface& FGI;
  TCanvas* FCanvas;
  TRVCharExtraOff FExtraOff;
  SCRIPT_STRING_ANALYSIS FSSA = nullptr;
};

}  // namespace

TRVUniscribeEntryPoints& RVUniscribe() { return Entries; }

void LoadUniscribe() {
  Entries = TRVUniscribeEntryPoints{};
  Loaded = ScriptShapingAvailable();
  if (!Loaded) return;
  Entries.ScriptStringAnalyse = &::ScriptStringAnalyse;
  Entries.ScriptStringCPtoX = &::ScriptStringCPtoX;
  Entries.ScriptStringXtoCP = &::ScriptStringXtoCP;
  Entries.ScriptStringOut = &::ScriptStringOut;
  Entries.ScriptString_pSize = &::ScriptString_pSize;
  Entries.ScriptStringFree = &::ScriptStringFree;
  Entries.ScriptStringGetLogicalWidths = &::ScriptStringGetLogicalWidths;
  Entries.ScriptString_pcOutChars = &::ScriptString_pcOutChars;
  Entries.ScriptStringGetOrder = &::ScriptStringGetOrder;
  Entries.ScriptFreeCache = &::ScriptFreeCache;
  Entries.ScriptItemize = &::ScriptItemize;
  Entries.ScriptShape = &::ScriptShape;
  Entries.ScriptPlace = &::ScriptPlace;
  Entries.ScriptTextOut = &::ScriptTextOut;
  Entries.ScriptGetFontProperties = &::ScriptGetFontProperties;
}

void UnloadUniscribe() {
  Entries = TRVUniscribeEntryPoints{};
  Loaded = false;
}

bool IsUniscribeLoaded() { return Loaded; }

std::unique_ptr<TRVGraphicInterface> RVCreateGraphicInterface(bool PreferUniscribe) {
  if (PreferUniscribe && IsUniscribeLoaded())
    return std::make_unique<TRVUniscribeGraphicInterface>();
  return std::make_unique<TRVWinGraphicInterface>();
}

// ---- operations -------------------------------------------------------------------------------

TSize TRVUniscribeGraphicInterface::TextSizeBasic(TCanvas* Canvas, const WideChar* Str,
                                                  int Length, bool BiDi) {
  if (Length <= 0) return TRVWinGraphicInterface::TextSizeBasic(Canvas, Str, Length, BiDi);
  {
    TRVAnalysis a(*this, Canvas);
    if (a.Run(Str, Length, 0, -1, nullptr)) return a.Size();
  }
  return TRVWinGraphicInterface::TextSizeBasic(Canvas, Str, Length, BiDi);
}

void TRVUniscribeGraphicInterface::GetTextExtentExPoint(TCanvas* Canvas, const WideChar* Str,
                                                        int Length, int MaxExtent, bool BiDi,
                                                        bool IgnoreSpecialChars, int* PCoords,
                                                        int& Fit, TSize& Size) {
  // Coordinates come from the device-context measuring only.
  if (Length > 0 && !PCoords) {
    TRVStringAdjRecord rec;
    const int delta =
        IgnoreSpecialChars ? 0 : -GetTextWidthAdjustingDeltaEx(Canvas, Str, Length, rec);
    int req = MaxExtent;
    if (MaxExtent != INT_MAX)
      req = static_cast<int>(std::clamp<long long>(static_cast<long long>(MaxExtent) + delta,
                                                   INT_MIN, INT_MAX));
    bool done = false, trim = false;
    {
      TRVAnalysis a(*this, Canvas);
      const bool clip = req >= 0 && a.Extra() == 0;
      if (a.Run(Str, Length, clip ? SSA_CLIP : 0, clip ? req : -1, nullptr)) {
        done = true;
        Size = a.Size();
        const int n = std::min(a.OutChars(), Length);
        if (a.Extra() != 0) {
          std::vector<int> w = a.LogicalWidths(Length);
          Fit = -1;
          int sum = 0;
          for (int i = 0; i < n; ++i) {
            const int wi = !IgnoreSpecialChars && IsInvisibleSpecialChar(Str[i]) ? 0 : w[i];
            if (sum + wi > MaxExtent) {
              Fit = i;
              Size.cx = sum;
              break;
            }
            sum += wi;
          }
          if (Fit < 0) {
            Fit = n;
            // The whole run fits: its width leaves the invisible characters out too.
            if (delta != 0) Size.cx = sum;
          }
        } else {
          Fit = n;
          trim = delta != 0;
        }
      }
    }
    if (done) {
      if (trim) TrimFitToExtent(Canvas, Str, MaxExtent, BiDi, rec, Fit, Size);
      return;
    }
  }
  TRVWinGraphicInterface::GetTextExtentExPoint(Canvas, Str, Length, MaxExtent, BiDi,
                                               IgnoreSpecialChars, PCoords, Fit, Size);
}

std::unique_ptr<TCustomRVGlyphDXData> TRVUniscribeGraphicInterface::GetGlyphDX(
    TCanvas* Canvas, const WideChar* Str, int Length, int SpaceCount, int ExtraSpaceWidth,
    bool BiDi, bool IgnoreSpecialChars, bool NeedDX, bool NeedCoords, int LeftNoExpIndex,
    int RightNoExpIndex) {
  if (Length > 0) {
    TRVAnalysis a(*this, Canvas);
    if (a.Run(Str, Length, 0, -1, nullptr)) {
      auto data = std::make_unique<TRVUniscribeGlyphDXData>();
      if (NeedDX) {
        data->PDX = a.LogicalWidths(Length);
        ApplySpacingToDX(Str, Length, data->PDX.data(), SpaceCount, ExtraSpaceWidth, LeftNoExpIndex,
                         RightNoExpIndex, nullptr);
      }
      if (NeedCoords) {
        data->PXL.assign(Length, 0);
        data->PXR.assign(Length, 0);
        for (int i = 0; i < Length; ++i) {
          const int lead = a.CPtoX(i, false), trail = a.CPtoX(i, true);
          data->PXL[i] = std::min(lead, trail);
          data->PXR[i] = std::max(lead, trail);
        }
        ApplySpacingToCoords(Str, Length, data->PXL.data(), data->PXR.data(), nullptr, SpaceCount,
                             ExtraSpaceWidth, LeftNoExpIndex, RightNoExpIndex);
      }
      return data;
    }
  }
  return TRVWinGraphicInterface::GetGlyphDX(Canvas, Str, Length, SpaceCount, ExtraSpaceWidth,
                                            BiDi, IgnoreSpecialChars, NeedDX, NeedCoords,
                                            LeftNoExpIndex, RightNoExpIndex);
}

bool TRVUniscribeGraphicInterface::GetCaretPositions(TCanvas* Canvas, const WideChar* Str,
                                                     int Length, int SpaceCount,
                                                     int ExtraSpaceWidth, bool BiDi,
                                                     bool IgnoreSpecialChars, int* PCP,
                                                     int LeftNoExpIndex, int RightNoExpIndex) {
  if (Length > 0 && PCP) {
    TRVAnalysis a(*this, Canvas);
    if (a.Run(Str, Length, 0, -1, nullptr)) {
      std::vector<int> l(Length), r(Length);
      PCP[0] = a.CPtoX(0, false);
      for (int i = 0; i < Length; ++i) {
        const int lead = a.CPtoX(i, false), trail = a.CPtoX(i, true);
        PCP[i + 1] = trail;
        l[i] = std::min(lead, trail);
        r[i] = std::max(lead, trail);
      }
      if (!IgnoreSpecialChars) {
        for (int i = 0; i < Length; ++i) {
          const int w = r[i] - l[i];
          if (!IsInvisibleSpecialChar(Str[i]) || w == 0) continue;
          const int at = l[i];
          for (int k = 0; k < Length; ++k) {
            if (l[k] > at) l[k] -= w;
            if (r[k] > at) r[k] -= w;
          }
          for (int k = 0; k <= Length; ++k)
            if (PCP[k] > at) PCP[k] -= w;
        }
      }
      ApplySpacingToCoords(Str, Length, l.data(), r.data(), PCP, SpaceCount, ExtraSpaceWidth,
                           LeftNoExpIndex, RightNoExpIndex);
      return true;
    }
  }
  // Also when the analysis failed: the callers read every position.
  return TRVWinGraphicInterface::GetCaretPositions(Canvas, Str, Length, SpaceCount,
                                                   ExtraSpaceWidth, BiDi, IgnoreSpecialChars, PCP,
                                                   LeftNoExpIndex, RightNoExpIndex);
}

namespace {

UINT OutOptions(TCanvas* Canvas) { return Canvas->Brush().GetStyle() == bsClear ? 0 : ETO_OPAQUE; }

}  // namespace

void TRVUniscribeGraphicInterface::TextOutWithDX(TCanvas* Canvas, int X, int Y,
                                                 const WideChar* Str, int Length,
                                                 bool ForMetafile, TCustomRVGlyphDXData* Data) {
  auto* data = dynamic_cast<TRVUniscribeGlyphDXData*>(Data);
  if (Length > 0 && data) {
    const int* dx = static_cast<int>(data->PDX.size()) >= Length ? data->PDX.data() : nullptr;
    TRVAnalysis a(*this, Canvas);
    if (a.Run(Str, Length, 0, -1, dx)) {
      if (ForMetafile)
        ::ExtTextOutW(Canvas->GetHandle(), X, Y, 0, nullptr, Str, static_cast<UINT>(Length), dx);
      else
        Entries.ScriptStringOut(a.Get(), X, Y, OutOptions(Canvas), nullptr, 0, 0, FALSE);
      return;
    }
    if (ForMetafile) {
      TRVWinGraphicInterface::TextOut(Canvas, X, Y, Str, Length, true);
      return;
    }
  }
  // Also when the analysis failed on screen: the run is drawn, not lost.
  TRVWinGraphicInterface::TextOutWithDX(Canvas, X, Y, Str, Length, ForMetafile, Data);
}

void TRVUniscribeGraphicInterface::TextOut(TCanvas* Canvas, int X, int Y, const WideChar* Str,
                                           int Length, bool ForMetafile) {
  if (Length > 0) {
    TRVAnalysis a(*this, Canvas);
    if (a.Run(Str, Length, 0, -1, nullptr)) {
      if (ForMetafile) {
        // The extra is off the canvas now: the spaced widths carry it into the metafile.
        std::vector<int> dx;
        if (a.Extra() != 0) dx = a.LogicalWidths(Length);
        ::ExtTextOutW(Canvas->GetHandle(), X, Y, 0, nullptr, Str, static_cast<UINT>(Length),
                      dx.empty() ? nullptr : dx.data());
      } else
        Entries.ScriptStringOut(a.Get(), X, Y, OutOptions(Canvas), nullptr, 0, 0, FALSE);
      return;
    }
  }
  // An empty run, and a failed analysis also on screen, go to the device-context output.
  TRVWinGraphicInterface::TextOut(Canvas, X, Y, Str, Length, ForMetafile);
}

int TRVUniscribeGraphicInterface::GetExpandableCharCount(TCanvas* Canvas, const WideChar* Str,
                                                         int Length, bool BiDi,
                                                         bool IgnoreSpecialChars) {
  if (Length <= 0) return 0;
  {
    TRVAnalysis a(*this, Canvas);
    if (a.Run(Str, Length, 0, -1, nullptr)) {
      std::vector<int> w = a.LogicalWidths(Length);
      std::vector<bool> starts = CharStarts(Str, Length);
      int n = 0;
      for (int i = 0; i < Length; ++i)
        if (starts[i] && w[i] != 0) ++n;
      return n;
    }
  }
  return TRVWinGraphicInterface::GetExpandableCharCount(Canvas, Str, Length, BiDi,
                                                        IgnoreSpecialChars);
}

void TRVUniscribeGraphicInterface::GetOutermostNonExpandableCharacters(
    TCanvas* Canvas, const WideChar* Str, int Length, bool BiDi, bool IgnoreSpecialChars,
    bool Left, bool Right, int& LeftIndex, int& RightIndex) {
  LeftIndex = -1;
  RightIndex = -1;
  if (Length <= 0 || (!Left && !Right)) return;
  std::vector<UINT> order(Length, 0);
  std::vector<int> w;
  {
    TRVAnalysis a(*this, Canvas);
    if (!a.Run(Str, Length, 0, -1, nullptr, false) || !Entries.ScriptStringGetOrder ||
        FAILED(Entries.ScriptStringGetOrder(a.Get(), order.data()))) {
      TRVWinGraphicInterface::GetOutermostNonExpandableCharacters(
          Canvas, Str, Length, BiDi, IgnoreSpecialChars, Left, Right, LeftIndex, RightIndex);
      return;
    }
    w = a.LogicalWidths(Length);
  }
  std::vector<bool> starts = CharStarts(Str, Length);
  LeftIndex = 0;
  RightIndex = Length - 1;
  bool first = true;
  for (int i = 0; i < Length; ++i) {
    if (!starts[i] || w[i] == 0) continue;
    if (first) {
      LeftIndex = RightIndex = i;
      first = false;
      continue;
    }
    if (order[i] < order[LeftIndex]) LeftIndex = i;
    if (order[i] > order[RightIndex]) RightIndex = i;
  }
  // Character types, for a boundary with no differently placed character before it.
  std::vector<WORD> types;
  auto typeOf = [&](int i) {
    if (types.empty()) {
      types.assign(Length, C2_NOTAPPLICABLE);
      const LCID locale =
          MakeLocaleId(CharsetToLanguageId(Canvas->Font().GetCharset()), 0);
      ::GetStringTypeExW(locale, CT_CTYPE2, Str, Length, types.data());
    }
    return types[i];
  };
  const bool rtlReading = IsRTLReading(*this, Canvas);
  auto runsLTR = [&](int i) {
    for (int k = i - 1; k >= 0; --k)
      if (order[k] != order[i]) return order[k] < order[i];
    const WORD t = typeOf(i);
    if (!rtlReading) return t != C2_RIGHTTOLEFT;
    return t == C2_LEFTTORIGHT || t == C2_EUROPENUMBER || t == C2_ARABICNUMBER;
  };
  if (!Left || runsLTR(LeftIndex)) LeftIndex = -1;
  if (!Right || !runsLTR(RightIndex)) RightIndex = -1;
}

bool TRVUniscribeGraphicInterface::DoesTextOutSupportSpacing(int Length, bool BiDi) {
  if (Length > 0) return true;
  return TRVWinGraphicInterface::DoesTextOutSupportSpacing(Length, BiDi);
}

bool TRVUniscribeGraphicInterface::PreferMaxFit(TCanvas* Canvas, bool, bool, int Length,
                                                int EstimFit) {
  const int ratio = Length / std::max(EstimFit, 1);
  return GetTextCharacterExtra(Canvas) != 0 ? ratio < 8 : ratio < 4;
}
