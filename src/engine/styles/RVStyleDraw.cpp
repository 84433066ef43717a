#include "engine/styles/RVStyleDraw.h"

#include <algorithm>
#include <cstdlib>

#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"

TRVSpecialCharacters ShownSpecialCharacters{rvspcSpace, rvspcNBSP, rvspcTab, rvspcSoftHyphen};

namespace {

// Soft hyphens are made visible by the text transformation below the styles; it asks here.
bool SoftHyphensShown() { return ShownSpecialCharacters.Contains(rvspcSoftHyphen); }

constexpr UINT AlignBaseline = 24;          // TA_BASELINE
constexpr UINT AlignBaselineRTL = 24 | 256;  // TA_BASELINE | TA_RTLREADING

// Lengths measured on the enlarged reference canvas, back in drawing units (nearest).
int FromRefCanvas(int Value, bool UseRefCanvas) {
  if (!UseRefCanvas || RefCanvasScaleFactor <= 1) return Value;
  return static_cast<int>(Round(static_cast<long double>(Value) / RefCanvasScaleFactor));
}
int ToRefCanvas(int Value, bool UseRefCanvas) {
  return UseRefCanvas ? Value * RefCanvasScaleFactor : Value;
}

bool IsThickUnderline(TRVUnderlineType t) {
  switch (t) {
    case rvutThick:
    case rvutThickDotted:
    case rvutThickDashed:
    case rvutThickLongDashed:
    case rvutThickDashDotted:
    case rvutThickDashDotDotted: return true;
    default: return false;
  }
}

struct TLinePattern {
  int Kind;
  int Length;
};

TLinePattern UnderlinePattern(TRVUnderlineType t) {
  switch (t) {
    case rvutDotted:
    case rvutThickDotted: return {2, 4};
    case rvutDashed:
    case rvutThickDashed: return {3, 12};
    case rvutLongDashed:
    case rvutThickLongDashed: return {3, 24};
    case rvutDashDotted:
    case rvutThickDashDotted: return {4, 14};
    case rvutDashDotDotted:
    case rvutThickDashDotDotted: return {5, 16};
    default: return {0, 0};
  }
}

// The resolution a style's size is converted with when the collection sets one; 0 = none.
int CustomPixelsPerInch(const TCustomRVFontInfo* Style, bool CanUseCustomPPI) {
  if (!CanUseCustomPPI) return 0;
  auto* infos = dynamic_cast<TFontInfos*>(Style->GetCollection());
  return infos ? infos->PixelsPerInch : 0;
}

void IncludeFontStyle(TCanvas* Canvas, TFontStyle S) {
  TFontStyles st = Canvas->Font().GetStyle();
  st.Include(S);
  Canvas->Font().SetStyle(st);
}
void ExcludeFontStyle(TCanvas* Canvas, TFontStyle S) {
  TFontStyles st = Canvas->Font().GetStyle();
  st.Exclude(S);
  Canvas->Font().SetStyle(st);
}

TColor PrintingColor(TColor Color) { return ApplyColorMode(Color, rvcmPrinterColor); }

// Black and white printing: the text is white when it is at least as light as its background.
bool WhiteTextOnBack(TColor TextColor, TColor BackColor) {
  return ColorLuminance(PrintingColor(TextColor)) >= ColorLuminance(PrintingColor(BackColor));
}

}  // namespace

void RegisterStyles() { SoftHyphensShownQuery = &SoftHyphensShown; }

// ---- underlines ---------------------------------------------------------------------------------

void RVDrawUnderline(TCanvas* Canvas, TRVUnderlineType UnderlineType, TColor Color, int Left, int Right, int Y,
                     int Width, TRVGraphicInterface* GraphicInterface) {
  if (Left == Right) return;
  if (Width == 0) Width = 1;
  if (IsThickUnderline(UnderlineType)) Width *= 2;
  const TLinePattern p = UnderlinePattern(UnderlineType);
  if (UnderlineType == rvutDouble) {
    const int w2 = std::max(1, static_cast<int>(Round(Width / 2.0L)));
    DrawStyledLine(Canvas, Color, p.Kind, w2, Left, Right, Y - Width, p.Length, GraphicInterface);
    DrawStyledLine(Canvas, Color, p.Kind, w2, Left, Right, Y + Width, p.Length, GraphicInterface);
  } else {
    DrawStyledLine(Canvas, Color, p.Kind, Width, Left, Right, Y, p.Length, GraphicInterface);
  }
}

void RVDrawDottedLine(TCanvas* Canvas, TColor Color, int Left, int Right, int Y,
                      TRVGraphicInterface* GraphicInterface) {
  DrawStyledLine(Canvas, Color, 6, 1, Left, Right, Y, 3, GraphicInterface);
}

// ---- putting a style on a canvas ----------------------------------------------------------------

void TCustomRVFontInfo::Apply(TCanvas* Canvas, TRVBiDiMode DefBiDiMode, bool CanUseCustomPPI,
                              bool CanUseFontQuality, const TRVExtraFontInfo* ExtraFontInfo,
                              bool IgnoreSubSuperScript, bool ToFormatCanvas, bool UseVerticalFont,
                              const TRVScreenAndDevice* PSaD, TRVStyle* RVStyle) const {
  TRVGraphicInterface* gi = RVStyle->GetGraphicInterface();
  const bool script = !IgnoreSubSuperScript && SubSuperScriptType != rvsssNormal;
  auto scriptHeight = [&] { return ExtraFontInfo ? ExtraFontInfo->ScriptHeight : GetScriptHeight(Canvas, gi); };
  TFont& font = Canvas->Font();
  if (HasDefaultCharScale()) {
    // The font's setters ignore equal values, so applying the same style again keeps the font.
    font.SetStyle(Style);
    if (ToFormatCanvas) {
      font.SetHeight(-MulDiv(SizeDouble, FormatCanvasPixelsPerInch, 144));
    } else if (const int ppi = CustomPixelsPerInch(this, CanUseCustomPPI); ppi != 0) {
      font.SetHeight(-MulDiv(SizeDouble, ppi, 144));
    } else if (SizeDouble % 2 != 0) {
      font.SetHeight(-MulDiv(SizeDouble, font.GetPixelsPerInch(), 144));
    } else {
      font.SetSize(GetSize());
    }
    if (CanUseFontQuality) font.SetQuality(RVStyle->FontQuality);
    if (UseVerticalFont && !FontName.empty() && FontName[0] != u'@')
      font.SetName(u"@" + FontName);
    else
      font.SetName(FontName);
    font.SetCharset(Charset);
    if (script) font.SetHeight(-scriptHeight());
  } else {
    LOGFONTW lf;
    AssignToLogFont(lf, Canvas, CanUseCustomPPI, CanUseFontQuality, true, ToFormatCanvas, RVStyle);
    gi->SetLogFont(Canvas, lf);
    if (script) {
      lf.lfHeight = -scriptHeight();
      gi->SetLogFont(Canvas, lf);
    }
    TEXTMETRICW tm;
    if (gi->GetTextMetrics(Canvas, tm))
      lf.lfWidth = CharScale * tm.tmAveCharWidth / 100;
    else
      lf.lfWidth = gi->TextWidth(Canvas, u"x", false, false) * CharScale / 100;
    gi->SetLogFont(Canvas, lf);
  }
  ApplyBiDiMode(Canvas, DefBiDiMode, ToFormatCanvas, PSaD, RVStyle);
}

void TCustomRVFontInfo::AssignToLogFont(LOGFONTW& LogFont, TCanvas* Canvas, bool CanUseCustomPPI,
                                        bool CanUseFontQuality, bool ExcludeUnderline, bool ToFormatCanvas,
                                        TRVStyle* RVStyle) const {
  LogFont = LOGFONTW{};
  int ppi = FormatCanvasPixelsPerInch;
  if (!ToFormatCanvas) {
    ppi = CustomPixelsPerInch(this, CanUseCustomPPI);
    if (ppi == 0) ppi = Canvas->Font().GetPixelsPerInch();
  }
  LogFont.lfHeight = -MulDiv(SizeDouble, ppi, 144);
  LogFont.lfWeight = Style.Contains(fsBold) ? 700 : 400;
  LogFont.lfItalic = Style.Contains(fsItalic) ? 1 : 0;
  LogFont.lfStrikeOut = Style.Contains(fsStrikeOut) ? 1 : 0;
  LogFont.lfUnderline = !ExcludeUnderline && Style.Contains(fsUnderline) ? 1 : 0;
  LogFont.lfCharSet = Charset;
  // The face name field holds 31 units; a longer name is cut there, but never inside a
  // surrogate pair, so the font layer never sees half a character.
  std::size_t n = std::min<std::size_t>(FontName.size(), LF_FACESIZE - 1);
  if (n > 0 && n < FontName.size() && FontName[n - 1] >= 0xD800 && FontName[n - 1] <= 0xDBFF) --n;
  std::copy_n(FontName.begin(), n, LogFont.lfFaceName);
  LogFont.lfFaceName[n] = 0;
  LogFont.lfQuality = CanUseFontQuality ? static_cast<BYTE>(RVStyle->FontQuality) : 0;
}

void TCustomRVFontInfo::ApplyBiDiMode(TCanvas* Canvas, TRVBiDiMode DefBiDiMode, bool ToFormatCanvas,
                                      const TRVScreenAndDevice* PSaD, TRVStyle* RVStyle) const {
  TRVGraphicInterface* gi = RVStyle->GetGraphicInterface();
  const int extra = ToFormatCanvas ? RVStyle->GetAsPixels(CharSpacing) * RefCanvasScaleFactor
                                   : RVStyle->GetAsDevicePixelsX(CharSpacing, PSaD);
  gi->SetTextCharacterExtra(Canvas, extra);
  const TRVBiDiMode mode = BiDiMode != rvbdUnspecified ? BiDiMode : DefBiDiMode;
  gi->SetTextAlign(Canvas, mode == rvbdRightToLeft ? AlignBaselineRTL : AlignBaseline);
}

int TCustomRVFontInfo::GetScriptHeight(TCanvas* Canvas, TRVGraphicInterface* GraphicInterface) const {
  if (SubSuperScriptType == rvsssNormal) return 0;
  if (TRVOutlineTextMetrics otm = AllocOutlineTextMetrics(Canvas, GraphicInterface)) {
    const int h = SubSuperScriptType == rvsssSubscript ? otm->otmptSubscriptSize.Y : otm->otmptSuperscriptSize.Y;
    return std::max(h, static_cast<int>(otm->otmTextMetrics.tmHeight / 3));
  }
  return SubSuperScriptSize(std::abs(Canvas->Font().GetHeight()));
}

// ---- colours ------------------------------------------------------------------------------------

void TCustomRVFontInfo::ApplyColor(TCanvas* Canvas, TRVStyle* RVStyle, const TRVTextDrawStates& DrawState,
                                   bool Printing, TRVColorMode ColorMode) const {
  ApplyTextColor(Canvas, RVStyle, DrawState, Printing, ColorMode);
  ApplyBackColor(Canvas, RVStyle, DrawState, Printing, ColorMode);
}

void TCustomRVFontInfo::ApplyTextColor(TCanvas* Canvas, TRVStyle* RVStyle, const TRVTextDrawStates& DrawState,
                                       bool Printing, TRVColorMode ColorMode) const {
  const bool hover = DrawState.Contains(rvtsHover);
  const bool disabled = DrawState.Contains(rvtstControlDisabled);
  if (HoverEffects.Contains(rvheUnderline) && HasDefaultCharScale() && hover)
    IncludeFontStyle(Canvas, fsUnderline);
  TColor c;
  if (DrawState.Contains(rvtsSelected)) {
    c = RVStyle->GetSelectionColor(DrawState.Contains(rvtsControlFocused), false);
  } else if (hover) {
    if (disabled && RVStyle->DisabledFontColor != clNone)
      c = RVStyle->DisabledFontColor;
    else
      c = HoverColor != clNone ? HoverColor : RVStyle->HoverColor;
  } else if (Printing) {
    switch (ColorMode) {
      case rvcmPrinterColor: c = PrintingColor(Color); break;
      case rvcmGrayScale: c = ApplyColorMode(Color, rvcmGrayScale); break;
      case rvcmBlackAndWhite:
        if (BackColor == clNone)
          c = PrintingColor(Color) == clWhite ? clWhite : clBlack;
        else
          c = WhiteTextOnBack(Color, BackColor) ? clWhite : clBlack;
        break;
      case rvcmBlackOnWhite: c = clBlack; break;
      default: c = Color; break;
    }
  } else {
    c = disabled && RVStyle->DisabledFontColor != clNone ? RVStyle->DisabledFontColor : Color;
  }
  if (c == clNone) c = Color;
  if (ColorMode == rvcmVCLThemeColor) c = GetStyledColor(c);
  Canvas->Font().SetColor(c);
}

void TCustomRVFontInfo::ApplyBackColor(TCanvas* Canvas, TRVStyle* RVStyle, const TRVTextDrawStates& DrawState,
                                       bool Printing, TRVColorMode ColorMode) const {
  const bool hover = DrawState.Contains(rvtsHover);
  TColor c;
  if (DrawState.Contains(rvtsSelected)) {
    c = RVStyle->GetSelectionColor(DrawState.Contains(rvtsControlFocused), true);
  } else if (hover || !Printing || ColorMode == rvcmColor || ColorMode == rvcmVCLThemeColor) {
    c = hover ? HoverBackColor : BackColor;
  } else {
    switch (ColorMode) {
      case rvcmPrinterColor: c = PrintingColor(BackColor); break;
      case rvcmGrayScale: c = ApplyColorMode(BackColor, rvcmGrayScale); break;
      case rvcmBlackAndWhite:
        if (BackColor == clNone)
          c = clNone;
        else
          c = WhiteTextOnBack(Color, BackColor) ? clBlack : clWhite;
        break;
      default: c = clNone; break;  // black on white
    }
  }
  if (ColorMode == rvcmVCLThemeColor) c = GetStyledColor(c);
  Canvas->Brush().SetColor(c);
  Canvas->Brush().SetStyle(c == clNone ? bsClear : bsSolid);
}

// ---- drawing a run ------------------------------------------------------------------------------

namespace {

// Arguments of one Draw call that its steps share.
struct TRunDraw {
  const TFontInfo* Style;
  const TRVUnicodeString& s;
  TCanvas* Canvas;
  TCanvas* RefCanvas;
  TRVStyle* RVStyle;
  TRVGraphicInterface* GI;       // the caller's interface (measuring with advances)
  TRVGraphicInterface* SheetGI;  // the sheet's (plain output, lines)
  int SpaceAtLeft, Left, Top, Width, Height, BaseLine, TextWidth, SpaceCount;
  TRVTextDrawStates DrawState;
  bool Printing, PreviewCorrection, ForMetafile;
  TRVBiDiMode DefBiDiMode;
  int LeftNoExpIndex, RightNoExpIndex;

  int Length() const { return static_cast<int>(s.size()); }
  bool BiDi() const { return DefBiDiMode != rvbdUnspecified; }
  // Invisible characters are ordinary glyphs in symbol fonts.
  bool MeasureInvisibles() const { return Style->IsSymbolCharset(); }

  bool DrawWithAdvances();
  void DrawSpecialCharacters();
};

bool TRunDraw::DrawWithAdvances() {
  if (s.empty()) return false;
  const int len = Length();
  std::unique_ptr<TCustomRVGlyphDXData> data;
  if (RefCanvas) {
    TRVCanvasStoreFontParams oldFont;
    GI->CopyCanvasFont(Canvas, RefCanvas, oldFont);
    data = GI->GetGlyphDX(RefCanvas, s.data(), len, SpaceCount,
                          ToRefCanvas(Width - SpaceAtLeft - TextWidth, true), BiDi(), MeasureInvisibles(), true,
                          false, LeftNoExpIndex, RightNoExpIndex);
    GI->FinalizeCopyCanvasFont(Canvas, RefCanvas, oldFont);
  } else {
    int textWidth = TextWidth;
    if (PreviewCorrection) textWidth = GI->TextSize(Canvas, s.data(), len, BiDi(), MeasureInvisibles()).cx;
    const int extra = std::max(0, Width - SpaceAtLeft - textWidth);
    data = GI->GetGlyphDX(Canvas, s.data(), len, SpaceCount, extra, BiDi(), MeasureInvisibles(), true, false,
                          LeftNoExpIndex, RightNoExpIndex);
    const bool justified = SpaceCount > 0 || SpaceCount == RV_DISTRIBUTE_SPACING;
    const int covered = extra > 0 && justified ? Width - SpaceAtLeft : textWidth;
    if (PreviewCorrection) {
      if (covered == Width - SpaceAtLeft && SpaceCount == 0) return false;
      if (data && static_cast<int>(data->PDX.size()) >= len)
        TRVGraphicInterface::DistributeSpacingToDX(s.data(), len, data->PDX.data(), Width - SpaceAtLeft - covered,
                                                   LeftNoExpIndex, RightNoExpIndex,
                                                   data->POrder.empty() ? nullptr : data->POrder.data());
    }
  }
  if (!data) return false;
  if (RefCanvas) {
    TRVCanvasStoreTransformParams oldTransform;
    GI->ScaleCanvasTransform(Canvas, oldTransform, RefCanvasScaleFactor);
    GI->TextOutWithDX(Canvas, (Left + SpaceAtLeft) * RefCanvasScaleFactor, BaseLine * RefCanvasScaleFactor,
                      s.data(), len, ForMetafile, data.get());
    GI->RestoreCanvasTransform(Canvas, oldTransform);
  } else {
    GI->TextOutWithDX(Canvas, Left + SpaceAtLeft, BaseLine, s.data(), len, ForMetafile, data.get());
  }
  return true;
}

void TRunDraw::DrawSpecialCharacters() {
  if (Printing && !RefCanvas) return;
  const bool spaces = ShownSpecialCharacters.Contains(rvspcSpace);
  const bool nbsps = ShownSpecialCharacters.Contains(rvspcNBSP);
  const int len = Length();
  if (std::none_of(s.begin(), s.end(), [&](char16_t c) { return (c == u' ' && spaces) || (c == 0xA0 && nbsps); }))
    return;
  TCanvas* measure = RefCanvas ? RefCanvas : Canvas;
  TRVCanvasStoreFontParams oldFont;
  TRVCanvasStoreTransformParams oldTransform;
  int x0 = Left + SpaceAtLeft, y = BaseLine;
  if (RefCanvas) {
    GI->CopyCanvasFont(Canvas, RefCanvas, oldFont);
    GI->ScaleCanvasTransform(Canvas, oldTransform, RefCanvasScaleFactor);
    x0 *= RefCanvasScaleFactor;
    y *= RefCanvasScaleFactor;
  }
  // The signs are drawn on Canvas, so that is where their colour must go, also when the run is
  // measured on a reference canvas.
  const TColor oldColor = Canvas->Font().GetColor();
  const bool recolor = !DrawState.Contains(rvtsSelected) && RVStyle->SpecialCharactersColor != clNone;
  if (recolor) Canvas->Font().SetColor(RVStyle->SpecialCharactersColor);
  std::unique_ptr<TCustomRVGlyphDXData> data =
      GI->GetGlyphDX(measure, s.data(), len, SpaceCount, ToRefCanvas(Width - TextWidth - SpaceAtLeft, RefCanvas),
                     BiDi(), MeasureInvisibles(), false, true, LeftNoExpIndex, RightNoExpIndex);
  if (data && static_cast<int>(data->PXL.size()) >= len && static_cast<int>(data->PXR.size()) >= len) {
    const TColor oldBrushColor = Canvas->Brush().GetColor();
    const TBrushStyle oldBrushStyle = Canvas->Brush().GetStyle();
    Canvas->Brush().SetStyle(bsClear);
    int spaceSignWidth = -1, nbspSignWidth = -1;  // measured on first need, once per run
    for (int i = 0; i < len; ++i) {
      if (data->PXL[i] < 0) continue;
      WideChar sign;
      int* signWidth;
      if (s[i] == u' ' && spaces) {
        sign = RV_SPACE_SIGN;
        signWidth = &spaceSignWidth;
      } else if (s[i] == 0xA0 && nbsps) {
        sign = RV_NBSP_SIGN;
        signWidth = &nbspSignWidth;
      } else {
        continue;
      }
      if (*signWidth < 0) *signWidth = GI->TextWidth(measure, TRVUnicodeString(1, sign), false, true);
      const int x = x0 + data->PXL[i] + (data->PXR[i] - data->PXL[i] - *signWidth) / 2;
      SheetGI->TextOut(Canvas, x, y, &sign, 1, ForMetafile);
    }
    Canvas->Brush().SetColor(oldBrushColor);
    Canvas->Brush().SetStyle(oldBrushStyle);
  }
  if (recolor) Canvas->Font().SetColor(oldColor);
  if (RefCanvas) {
    GI->RestoreCanvasTransform(Canvas, oldTransform);
    GI->FinalizeCopyCanvasFont(Canvas, RefCanvas, oldFont);
  }
}

}  // namespace

void TFontInfo::Draw(const TRVUnicodeString& s, TCanvas* Canvas, int ThisStyleNo, int SpaceAtLeft, int Left,
                     int Top, int Width, int Height, int BaseLine, int TextWidth, int SpaceCount, TRVStyle* RVStyle,
                     const TRVTextDrawStates& DrawState, bool Printing, bool PreviewCorrection, bool ForMetafile,
                     TRVColorMode ColorMode, TRVBiDiMode DefBiDiMode, TCanvas* RefCanvas,
                     TRVGraphicInterface* GraphicInterface, int LeftNoExpIndex, int RightNoExpIndex,
                     const TRVScreenAndDevice*) {
  if (RefCanvas == Canvas) RefCanvas = nullptr;
  TRVGraphicInterface* sheetGI = RVStyle->GetGraphicInterface();
  if (!GraphicInterface) GraphicInterface = sheetGI;
  const bool hidden = Options.Contains(rvteoHidden);
  const bool defScale = HasDefaultCharScale();
  const bool fontUnderlined = Canvas->Font().GetStyle().Contains(fsUnderline);
  const bool underlined =
      defScale ? fontUnderlined || hidden
               : Style.Contains(fsUnderline) ||
                     (DrawState.Contains(rvtsHover) && HoverEffects.Contains(rvheUnderline)) || hidden;
  // The painter draws its own underline, so that it can lie under the space at the left too.
  const bool takeUnderlineOff = (underlined || SpaceAtLeft != 0) && defScale;
  if (takeUnderlineOff) ExcludeFontStyle(Canvas, fsUnderline);
  if (BiDiMode != rvbdUnspecified) DefBiDiMode = BiDiMode;

  TRunDraw run{this,         s,          Canvas,       RefCanvas,         RVStyle,         GraphicInterface,
               sheetGI,      SpaceAtLeft, Left,        Top,               Width,           Height,
               BaseLine,     TextWidth,  SpaceCount,   DrawState,         Printing,        PreviewCorrection,
               ForMetafile,  DefBiDiMode, LeftNoExpIndex, RightNoExpIndex};
  const int len = static_cast<int>(s.size());
  bool advances = Printing || RefCanvas || (s.empty() && Width > 0) ||
                  ((SpaceCount > 0 || SpaceCount == RV_DISTRIBUTE_SPACING) && TextWidth != Width);
  if (!advances && GraphicInterface->GetTextCharacterExtra(Canvas) != 0)
    advances = !GraphicInterface->DoesTextOutSupportSpacing(len, DefBiDiMode != rvbdUnspecified);
  if (advances) {
    if (Canvas->Brush().GetStyle() != bsClear && !RefCanvas) {
      Canvas->Pen().SetStyle(psClear);
      GraphicInterface->FillRect(Canvas, TRect(Left, Top, Left + Width, Top + Height));
      Canvas->Brush().SetStyle(bsClear);
      Canvas->Pen().SetStyle(psSolid);
    }
    if (!run.DrawWithAdvances() && !s.empty())
      sheetGI->TextOut(Canvas, Left + SpaceAtLeft, BaseLine, s.data(), len, ForMetafile);
  } else if (!s.empty()) {
    sheetGI->TextOut(Canvas, Left + SpaceAtLeft, BaseLine, s.data(), len, ForMetafile);
  }

  if (DrawState.Contains(rvtsSpecialCharacters) &&
      (ShownSpecialCharacters.Contains(rvspcSpace) || ShownSpecialCharacters.Contains(rvspcNBSP)))
    run.DrawSpecialCharacters();

  if (SpaceAtLeft != 0 && (!Printing || RefCanvas)) {
    if (DrawState.Contains(rvtsSelected) && s.empty()) {
      TRVTextDrawStates unselected = DrawState;
      unselected.Exclude(rvtsSelected);
      RVStyle->ApplyStyleColor(Canvas, ThisStyleNo, unselected, Printing, ColorMode);
    }
    if (Canvas->Brush().GetStyle() != bsClear)
      GraphicInterface->FillRect(Canvas, TRect(Left, Top, Left + SpaceAtLeft, Top + Height));
  }
  Canvas->Brush().SetStyle(bsClear);

  const bool overline = StyleEx.Contains(rvfsOverline);
  const bool spaceUnderline = !underlined && fontUnderlined && SpaceAtLeft != 0;
  if (underlined || spaceUnderline || overline) {
    const bool useRef = RefCanvas != nullptr;
    TRVOutlineTextMetrics otm = AllocOutlineTextMetrics(Canvas, sheetGI);
    const int thickness = otm ? FromRefCanvas(otm->otmsUnderscoreSize, useRef)
                              : LineWidthForFontSize(Canvas->Font().GetSize());
    if (underlined || spaceUnderline) {
      const int y = otm ? Top + FromRefCanvas(otm->otmTextMetrics.tmAscent + otm->otmsUnderscoreSize / 2 -
                                                  otm->otmsUnderscorePosition,
                                              useRef)
                        : Top + Height - thickness / 2;
      const TColor fontColor = Canvas->Font().GetColor();
      if (underlined && hidden) {
        RVDrawDottedLine(Canvas, fontColor, Left, Left + Width, y, sheetGI);
      } else {
        TColor color = fontColor;
        if (DrawState.Contains(rvtsSelected))
          color = fontColor;
        else if (DrawState.Contains(rvtsHover) && HoverUnderlineColor != clNone)
          color = HoverUnderlineColor;
        else if (UnderlineColor != clNone)
          color = UnderlineColor;
        RVDrawUnderline(Canvas, UnderlineType, color, Left, underlined ? Left + Width : Left + SpaceAtLeft, y,
                        thickness, sheetGI);
      }
      Canvas->Pen().SetStyle(psSolid);
    }
    if (overline)
      RVDrawUnderline(Canvas, rvutNormal, Canvas->Font().GetColor(), Left, Left + Width, Top - thickness / 2,
                      thickness, sheetGI);
  }
  // Only an underline that the font had is given back: hidden text must not leave the canvas font
  // underlined for whatever is drawn next.
  if (takeUnderlineOff && fontUnderlined) IncludeFontStyle(Canvas, fsUnderline);
}
