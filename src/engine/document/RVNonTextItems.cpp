#include "engine/document/RVNonTextItems.h"

#include "engine/document/CustomRVData.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/RVStyleDraw.h"

// ---- non-text base ------------------------------------------------------------------------------------

int TRVNonTextItemInfo::GetHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  const int h = GetHeight(ARVStyle);
  return sad ? ScreenToDeviceY(h, *sad) : h;
}

int TRVNonTextItemInfo::GetWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  const int w = GetWidth(ARVStyle);
  return sad ? ScreenToDeviceX(w, *sad) : w;
}

void TRVNonTextItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVNonTextItemInfo*>(Source)) {
    DeleteProtect = src->DeleteProtect;
    Hidden = src->Hidden;
  }
  TCustomRVItemInfo::Assign(Source);
}

bool TRVNonTextItemInfo::SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) {
  switch (Prop) {
    case rvepDeleteProtect: DeleteProtect = Value != 0; return true;
    case rvepHidden: Hidden = Value != 0; return true;
    default: return TCustomRVItemInfo::SetExtraIntProperty(Prop, Value);
  }
}

bool TRVNonTextItemInfo::GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) {
  switch (Prop) {
    case rvepDeleteProtect: Value = DeleteProtect ? 1 : 0; return true;
    case rvepHidden: Value = Hidden ? 1 : 0; return true;
    default: return TCustomRVItemInfo::GetExtraIntProperty(Prop, Value);
  }
}

int TRVNonTextItemInfo::GetRVFExtraPropertyCount() {
  return TCustomRVItemInfo::GetRVFExtraPropertyCount() + (DeleteProtect ? 1 : 0) + (Hidden ? 1 : 0);
}

void TRVNonTextItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  TCustomRVItemInfo::SaveRVFExtraProperties(Stream);
  if (DeleteProtect) WriteRVFExtraIntProperty(Stream, rvepDeleteProtect, 1);
  if (Hidden) WriteRVFExtraIntProperty(Stream, rvepHidden, 1);
}

bool TRVFullLineItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  if (Prop == rvbpFullWidth) return true;
  return TRVNonTextItemInfo::GetBoolValue(Prop);
}

// ---- rectangular items ---------------------------------------------------------------------------------

TRVRectItemInfo::TRVRectItemInfo(TCustomRVData* ARVData) : TRVSimpleRectItemInfo(ARVData) {}

void TRVRectItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVRectItemInfo*>(Source)) {
    FMinHeightOnPage = src->FMinHeightOnPage;
    VAlign = src->VAlign;
    VShift = src->VShift;
    VShiftAbs = src->VShiftAbs;
    Spacing = src->Spacing;
    BorderWidth = src->BorderWidth;
    BorderColor = src->BorderColor;
    BackgroundColor = src->BackgroundColor;
    OuterVSpacing = src->OuterVSpacing;
    OuterHSpacing = src->OuterHSpacing;
  }
  TRVSimpleRectItemInfo::Assign(Source);
}

bool TRVRectItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  if (Prop == rvbpFloating) return VAlign == rvvaLeft || VAlign == rvvaRight;
  return TRVSimpleRectItemInfo::GetBoolValue(Prop);
}

void TRVRectItemInfo::ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) {
  TRVSimpleRectItemInfo::ConvertToDifferentUnits(NewUnits, ARVStyle, Recursive);
  if (!ARVStyle) return;
  Spacing = ARVStyle->GetAsDifferentUnits(Spacing, NewUnits);
  BorderWidth = ARVStyle->GetAsDifferentUnits(BorderWidth, NewUnits);
  OuterHSpacing = ARVStyle->GetAsDifferentUnits(OuterHSpacing, NewUnits);
  OuterVSpacing = ARVStyle->GetAsDifferentUnits(OuterVSpacing, NewUnits);
  if (VShiftAbs) VShift = ARVStyle->GetAsDifferentUnits(VShift, NewUnits);
}

TRVRawByteString TRVRectItemInfo::GetRVFHeaderTailText(TCustomRVData*) { return std::to_string(static_cast<int>(VAlign)); }

bool TRVRectItemInfo::ReadRVFHeaderTail(const char*& P, TCustomRVData*, bool, bool&) {
  while (*P == ' ') ++P;
  if (*P == 0) {
    VAlign = rvvaBaseline;
    return true;
  }
  int v = 0;
  if (!ReadRVFInteger(P, v)) return false;
  // A placement outside the enumeration is stored as the baseline rather than as a value no
  // switch knows.
  VAlign = (v >= rvvaBaseline && v <= rvvaRight) ? static_cast<TRVVAlign>(v) : rvvaBaseline;
  return true;
}

bool TRVRectItemInfo::SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) {
  switch (Prop) {
    case rvepVShift: VShift = Value; return true;
    case rvepVShiftAbs: VShiftAbs = Value != 0; return true;
    case rvepSpacing: Spacing = std::max(Value, 0); return true;
    case rvepBorderWidth: BorderWidth = std::max(Value, 0); return true;
    case rvepColor: BackgroundColor = static_cast<TColor>(Value); return true;
    case rvepBorderColor: BorderColor = static_cast<TColor>(Value); return true;
    case rvepOuterHSpacing: OuterHSpacing = std::max(Value, 0); return true;
    case rvepOuterVSpacing: OuterVSpacing = std::max(Value, 0); return true;
    case rvepVAlign:
      if (Value < rvvaBaseline || Value > rvvaRight) return false;
      VAlign = static_cast<TRVVAlign>(Value);
      return true;
    default: return TRVSimpleRectItemInfo::SetExtraIntProperty(Prop, Value);
  }
}

bool TRVRectItemInfo::GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) {
  switch (Prop) {
    case rvepVShift: Value = VShift; return true;
    case rvepVShiftAbs: Value = VShiftAbs ? 1 : 0; return true;
    case rvepSpacing: Value = Spacing; return true;
    case rvepBorderWidth: Value = BorderWidth; return true;
    case rvepColor: Value = static_cast<int>(BackgroundColor); return true;
    case rvepBorderColor: Value = static_cast<int>(BorderColor); return true;
    case rvepOuterHSpacing: Value = OuterHSpacing; return true;
    case rvepOuterVSpacing: Value = OuterVSpacing; return true;
    case rvepVAlign: Value = VAlign; return true;
    default: return TRVSimpleRectItemInfo::GetExtraIntProperty(Prop, Value);
  }
}

int TRVRectItemInfo::GetRVFExtraPropertyCount() {
  int n = TRVSimpleRectItemInfo::GetRVFExtraPropertyCount();
  n += (VShift != 0) + VShiftAbs + (Spacing != 1) + (BorderWidth != 0) + (BorderColor != 0) +
       (BackgroundColor != clNone) + (OuterHSpacing != 0) + (OuterVSpacing != 0);
  return n;
}

void TRVRectItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  TRVSimpleRectItemInfo::SaveRVFExtraProperties(Stream);
  if (VShift != 0) WriteRVFExtraIntProperty(Stream, rvepVShift, VShift);
  if (VShiftAbs) WriteRVFExtraIntProperty(Stream, rvepVShiftAbs, 1);
  if (Spacing != 1) WriteRVFExtraIntProperty(Stream, rvepSpacing, Spacing);
  if (BorderWidth != 0) WriteRVFExtraIntProperty(Stream, rvepBorderWidth, BorderWidth);
  if (BorderColor != 0) WriteRVFExtraIntProperty(Stream, rvepBorderColor, static_cast<int>(BorderColor));
  if (BackgroundColor != clNone) WriteRVFExtraIntProperty(Stream, rvepColor, static_cast<int>(BackgroundColor));
  if (OuterHSpacing != 0) WriteRVFExtraIntProperty(Stream, rvepOuterHSpacing, OuterHSpacing);
  if (OuterVSpacing != 0) WriteRVFExtraIntProperty(Stream, rvepOuterVSpacing, OuterVSpacing);
}

void TRVRectItemInfo::Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
                            TCustomRVData* ARVData, bool) {
  PaintDef(X, Y, Canvas, State, dli, ARVData, true);
}

void TRVRectItemInfo::PaintDef(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
                               TCustomRVData* ARVData, bool PaintBackground) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  if (!st || !dli) return;
  const bool themes = ARVData->GetRootProperties() && ARVData->GetRootProperties()->UseVCLThemes;
  auto styled = [&](TColor c) { return themes ? GetStyledColor(c) : c; };
  const int W = dli->GetObjectWidth(), H = dli->GetObjectHeight();
  const int oh = st->GetAsPixels(OuterHSpacing), ov = st->GetAsPixels(OuterVSpacing);
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  if (PaintBackground) {
    int d = 0;
    TColor color = clNone;
    if (State.Contains(rvidsSelected)) {
      color = State.Contains(rvidsControlFocused) ? st->SelColor : st->InactiveSelColor;
      d = 1;
    }
    if (color == clNone) color = BackgroundColor;
    if (color != clNone)
      gi->FillColorRect(Canvas, TRect(X + oh - d, Y + ov - d, X + W + d - oh, Y + H + d - ov), styled(color));
  }
  if (BorderWidth > 0 && BorderColor != clNone) {
    Canvas->Pen().SetWidth(st->GetAsPixels(BorderWidth));
    Canvas->Pen().SetColor(styled(BorderColor));
    Canvas->Pen().SetStyle(psInsideFrame);
    Canvas->Brush().SetStyle(bsClear);
    gi->Rectangle(Canvas, X + oh, Y + ov, X + W - oh, Y + H - ov);
    Canvas->Pen().SetStyle(psSolid);
  }
  if (State.Contains(rvidsCurrent) && st->CurrentItemColor != clNone) {
    Canvas->Pen().SetWidth(1);
    Canvas->Pen().SetColor(styled(st->CurrentItemColor));
    Canvas->Pen().SetStyle(psSolid);
    Canvas->Brush().SetStyle(bsClear);
    gi->Rectangle(Canvas, X - 1, Y - 1, X + W + 1, Y + H + 1);
  }
  if (Hidden) RVDrawDottedLine(Canvas, st->TextStyles()->Items(0)->Color, X, X + W, Y + H + 1, gi);
}

void TRVRectItemInfo::GetCSSVShift(TRVStyle* ARVStyle, TRVAnsiString& CSS) {
  const int h = GetImageHeight(ARVStyle);
  if (VShift == 0 || h == 0 || VAlign != rvvaBaseline) return;
  if (VShiftAbs)
    AppendWithSpaceAnsi(CSS, "vertical-align : " + RVCSSSize(ARVStyle, VShift) + ";");
  else
    AppendWithSpaceAnsi(CSS, "vertical-align : " + std::to_string(static_cast<int>(Round(h * VShift / 100.0L))) + "px;");
}

void TRVRectItemInfo::GetCSSVAlign(TRVAnsiString& CSS) {
  const char* v = nullptr;
  bool floating = false;
  switch (VAlign) {
    case rvvaMiddle:
    case rvvaAbsMiddle: v = "middle"; break;
    case rvvaAbsTop: v = "text-top"; break;
    case rvvaAbsBottom: v = "text-bottom"; break;
    case rvvaLeft: v = "left"; floating = true; break;
    case rvvaRight: v = "right"; floating = true; break;
    default: return;
  }
  AppendWithSpaceAnsi(CSS, TRVAnsiString(floating ? "float" : "vertical-align") + ": " + v + ";");
}

void TRVRectItemInfo::AppendCSSProperties(TRVStyle* ARVStyle, bool NoPadding, TRVAnsiString& CSS, bool NoBackground) {
  GetCSSVShift(ARVStyle, CSS);
  GetCSSVAlign(CSS);
  if (Hidden) AppendWithSpaceAnsi(CSS, "display: none;");
  if (Spacing > 0 && !NoPadding) AppendWithSpaceAnsi(CSS, "padding : " + RVCSSSize(ARVStyle, Spacing) + ";");
  if (BackgroundColor != clNone && !NoBackground)
    AppendWithSpaceAnsi(CSS, "background-color : " + GetCSSColorStr(BackgroundColor) + ";");
  if (BorderWidth > 0)
    AppendWithSpaceAnsi(CSS, "border : " + GetCSSColorStr(BorderColor) + " solid " + RVCSSSize(ARVStyle, BorderWidth) + ";");
  if (OuterVSpacing > 0 || OuterHSpacing > 0)
    AppendWithSpaceAnsi(CSS, "margin : " + RVCSSSize(ARVStyle, OuterVSpacing) + " " + RVCSSSize(ARVStyle, OuterHSpacing) + ";");
}

TRVAnsiString TRVRectItemInfo::GetHTMLImgAttributes(TRVStyle* ARVStyle, bool UseCSS, bool NoBackground,
                                                    bool PaddingInSize, const TRVUnicodeString& Alt,
                                                    const TRVSaveOptions& SaveOptions, bool NoHTMLImageSize) {
  TRVAnsiString a;
  int w = GetImageWidth(ARVStyle), h = GetImageHeight(ARVStyle);
  const int sp = ARVStyle ? ARVStyle->GetAsPixels(Spacing) : Spacing;
  if (PaddingInSize) {
    w += 2 * sp;
    h += 2 * sp;
  }
  int v = 0;
  const bool sizeSet = (GetExtraIntProperty(rvepImageWidth, v) && v > 0) || (GetExtraIntProperty(rvepImageHeight, v) && v > 0);
  if (!UseCSS && (BorderWidth > 0 || SaveOptions.Contains(rvsoNoHypertextImageBorders)))
    AppendWithSpaceAnsi(a, "border=" + GetHTMLIntAttrValue(ARVStyle ? ARVStyle->GetAsPixels(BorderWidth) : BorderWidth, SaveOptions));
  if (sizeSet || (SaveOptions.Contains(rvsoImageSizes) && !NoHTMLImageSize))
    AppendWithSpaceAnsi(a, "width=" + GetHTMLIntAttrValue(w, SaveOptions) + " height=" + GetHTMLIntAttrValue(h, SaveOptions));
  if (!Alt.empty() || UseCSS)
    AppendWithSpaceAnsi(a, "alt=\"" + UnicodeToUtf8(HTMLEscapeUnicodeText(Alt)) + "\"");
  if (!UseCSS && !PaddingInSize && Spacing > 0) {
    const int hs = ARVStyle ? ARVStyle->GetAsPixels(Spacing + OuterHSpacing) : Spacing + OuterHSpacing;
    const int vs = ARVStyle ? ARVStyle->GetAsPixels(Spacing + OuterVSpacing) : Spacing + OuterVSpacing;
    AppendWithSpaceAnsi(a, "hspace=" + GetHTMLIntAttrValue(hs, SaveOptions) + " vspace=" + GetHTMLIntAttrValue(vs, SaveOptions));
  }
  if (!Hint.empty()) AppendWithSpaceAnsi(a, UnicodeToUtf8(MakeHintAttribute(rvsfHTML, Hint)));
  if (UseCSS) {
    TRVAnsiString css;
    AppendCSSProperties(ARVStyle, PaddingInSize, css, NoBackground);
    if (!css.empty()) AppendWithSpaceAnsi(a, "style=\"" + css + "\"");
  }
  return " " + a + (a.empty() ? "" : " ");
}

TRVAnsiString TRVRectItemInfo::GetHTMLAlignAttr(TRVVAlign VAlign, const TRVSaveOptions& SaveOptions, bool UseCSS) {
  if (UseCSS || VAlign == rvvaBaseline) return {};
  const char* v = "";
  switch (VAlign) {
    case rvvaMiddle: v = "middle"; break;
    case rvvaAbsTop: v = "top"; break;
    case rvvaAbsBottom: v = "absbottom"; break;
    case rvvaAbsMiddle: v = "absmiddle"; break;
    case rvvaLeft: v = "left"; break;
    case rvvaRight: v = "right"; break;
    default: break;
  }
  return SaveOptions.Contains(rvsoXHTML) ? TRVAnsiString(" align=\"") + v + "\"" : TRVAnsiString(" align=") + v;
}

bool RVTextStyleJumpValue(const TCustomRVItemInfo* Item, TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  if (!ARVStyle) return false;
  const int s = Item->GetActualTextStyleNo(ARVStyle);
  const bool jump = ARVStyle->TextStyles()->Items(s)->Jump;
  return Prop == rvbpHotColdJump ? jump && ARVStyle->StyleHoverSensitive(s) : jump;
}

int RVResolveItemTextStyle(TCustomRVItemInfo* Item, TCustomRVData* ARVData) {
  const int stored = Item->GetActualTextStyleNo();
  int s = stored;
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  if (s == StyleNoFromParagraph) {
    s = st ? st->ParaStyles()->Items(Item->ParaNo)->DefStyleNo : -1;
    if (s < 0) s = 0;
  }
  if (s >= 0 && ARVData) {
    const int m = ARVData->GetStyleFromStyleTemplate(s, Item->ParaNo);
    if (m != s && stored != StyleNoFromParagraph) ARVData->ModifyStyleNoByTemplate(Item, m);
    s = m;
  }
  return s;
}
