#include "engine/document/RVBreakItem.h"

#include "engine/document/CustomRVData.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVRTFFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/RVStyleDraw.h"

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData* ARVData) : TRVFullLineItemInfo(ARVData) {
  StyleNo = ItemKindHorizontalLine;
}

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData* ARVData, TRVStyleLength ALineWidth, TRVBreakStyle AStyle,
                                   TColor AColor)
    : TRVFullLineItemInfo(ARVData), LineWidth(ALineWidth), Style(AStyle), Color(AColor) {
  StyleNo = ItemKindHorizontalLine;
}

void TRVBreakItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVBreakItemInfo*>(Source)) {
    LineWidth = src->LineWidth;
    Color = src->Color;
    Style = src->Style;
  }
  TRVFullLineItemInfo::Assign(Source);
}

bool TRVBreakItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  if (Prop == rvbpIgnorePara || Prop == rvbpFullWidth) return true;
  return TRVFullLineItemInfo::GetBoolValue(Prop);
}

bool TRVBreakItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  if (Prop == rvbpPrintToBMP) return false;
  if (Prop == rvbpActualPrintSize) return true;
  return TRVFullLineItemInfo::GetBoolValueEx(Prop, ARVStyle);
}

void TRVBreakItemInfo::ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) {
  TRVFullLineItemInfo::ConvertToDifferentUnits(NewUnits, ARVStyle, Recursive);
  if (ARVStyle) LineWidth = ARVStyle->GetAsDifferentUnits(LineWidth, NewUnits);
}

bool TRVBreakItemInfo::SetExtraIntPropertyEx(int Prop, int Value) {
  switch (Prop) {
    case 200: LineWidth = Value; return true;
    case 201:
      if (Value < rvbsLine || Value > rvbsDashed) return false;
      Style = static_cast<TRVBreakStyle>(Value);
      return true;
    case 202: Color = static_cast<TColor>(Value); return true;
    default: return TRVFullLineItemInfo::SetExtraIntPropertyEx(Prop, Value);
  }
}

bool TRVBreakItemInfo::GetExtraIntPropertyEx(int Prop, int& Value) {
  switch (Prop) {
    case 200: Value = LineWidth; return true;
    case 201: Value = Style; return true;
    case 202: Value = static_cast<int>(Color); return true;
    default: return TRVFullLineItemInfo::GetExtraIntPropertyEx(Prop, Value);
  }
}

TColor TRVBreakItemInfo::ActualColor(TRVStyle* st) const {
  if (Color != clNone || !st) return Color;
  return st->TextStyles()->Items(0)->Color;
}

void TRVBreakItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas*, TCustomRVData* ARVData,
                                        const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                                        const TRVDocWidthChangeStates&) {
  HShift = 0;
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  int a = sad ? ScreenToDeviceX(5, *sad) : 5;
  int b = sad ? ScreenToDeviceY(5, *sad) : 5;
  const int t = st ? st->GetAsPixels(LineWidth) : LineWidth;
  if (t > 10) b = sad ? ScreenToDeviceY(t / 2, *sad) : t / 2;
  if (dli) {
    dli->Height = 2 * b + 1;
    dli->Width = DocWidth - 2 * a;
  }
  Desc = b;
}

void TRVBreakItemInfo::PaintFullWidth(int Left, int, int Top, TCanvas* Canvas, const TRVItemDrawStates& State,
                                      TRVStyle* AStyle, const TRect&, TCustomRVData* ARVData, TRVDrawLineInfo* dli,
                                      int ExtraX, int ExtraY, TRVPaintItemPart*, bool) {
  if (!AStyle || !dli) return;
  TRVGraphicInterface* gi = AStyle->GetGraphicInterface();
  const bool themes = ARVData && ARVData->GetRootProperties() && ARVData->GetRootProperties()->UseVCLThemes;
  auto styled = [&](TColor c) { return themes ? GetStyledColor(c) : c; };
  const TColor c = styled(ActualColor(AStyle));
  Canvas->Pen().SetColor(c);
  Canvas->Pen().SetStyle(psInsideFrame);
  Canvas->Brush().SetStyle(bsClear);
  const int t = AStyle->GetAsPixels(LineWidth);
  const int L = Left - ExtraX, R = L + dli->Width;
  const int y = Top + dli->Height / 2 - ExtraY;
  const int y1 = y - t / 2, y2 = y1 + t;
  switch (Style) {
    case rvbsLine: DrawStyledLine(Canvas, c, 0, t, L, R, y, 0, gi); break;
    case rvbsDotted: DrawStyledLine(Canvas, c, 1, t, L, R, y, 0, gi); break;
    case rvbsDashed: DrawStyledLine(Canvas, c, 2, t, L, R, y, 0, gi); break;
    case rvbsRectangle:
      Canvas->Pen().SetWidth(1);
      gi->Rectangle(Canvas, L, y1, R, y2);
      break;
    case rvbs3d:
      DrawBevelFrame(Canvas, TRect(L, y1, R - 1, y2 - 1), styled(clBtnShadow), gi, 1, styled(clBtnFace));
      break;
  }
  Canvas->Pen().SetStyle(psSolid);
  Canvas->Pen().SetWidth(1);
  Canvas->Brush().SetStyle(bsClear);
  if (State.Contains(rvidsSelected)) {
    const TColor sc = AStyle->GetSelectionColor(State.Contains(rvidsControlFocused), true);
    if (sc != clNone) {
      Canvas->Pen().SetColor(sc);
      gi->Rectangle(Canvas, L, y1 - 1, R, y2 + 1);
    }
  }
  if (Hidden) RVDrawDottedLine(Canvas, AStyle->TextStyles()->Items(0)->Color, L, R, y2 + 1, gi);
}

void TRVBreakItemInfo::Print(TCanvas* Canvas, int X, int Y, int, bool, bool, bool, const TRVScreenAndDevice& sad,
                             TRVMultiDrawItemPart*, TRVColorMode ColorMode, TCustomRVData* ARVData,
                             TRVDrawLineInfo* dli, int, bool) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  if (!st || !dli) return;
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  Canvas->Pen().SetStyle(psInsideFrame);
  Canvas->Pen().SetMode(pmCopy);
  const TColor c = ApplyColorMode(ActualColor(st), ColorMode);
  Canvas->Pen().SetColor(c);
  const int t = st->GetAsDevicePixelsY(LineWidth, &sad);
  const int w = dli->Width;
  const int y = Y + dli->Height / 2 - t / 2;
  switch (Style) {
    case rvbsLine: DrawStyledLine(Canvas, c, 0, t, X, X + w, y, 0, gi); break;
    case rvbsDotted: DrawStyledLine(Canvas, c, 1, t, X, X + w, y, 0, gi); break;
    case rvbsDashed: DrawStyledLine(Canvas, c, 2, t, X, X + w, y, 0, gi); break;
    case rvbsRectangle:
      Canvas->Pen().SetWidth(ScreenToDeviceY(1, sad));
      Canvas->Brush().SetStyle(bsClear);
      gi->Rectangle(Canvas, X, y, X + w, y + t);
      break;
    case rvbs3d: {
      const int width = sad.ppiyScreen ? static_cast<int>(Round(static_cast<long double>(sad.ppiyDevice) / sad.ppiyScreen)) : 1;
      DrawBevelFrame(Canvas, TRect(X, y, X + w - 1, y + t - 1), ApplyColorMode(clBtnShadow, ColorMode), gi, width,
                     ApplyColorMode(clBtnHighlight, ColorMode));
      break;
    }
  }
  Canvas->Pen().SetStyle(psSolid);
  Canvas->Pen().SetWidth(1);
}

TRVUnicodeString TRVBreakItemInfo::AsText(TCustomRVData* ARVData, int, const TRVUnicodeString&, TObject*) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const int px = st ? st->GetAsPixels(LineWidth) : LineWidth;
  if (LineWidth < 1) LineWidth = 1;
  return TRVUnicodeString(static_cast<std::size_t>(std::min(LineWidth, 100000)), px >= 2 ? u'=' : u'-');
}

TRVRawByteString TRVBreakItemInfo::GetRVFHeaderTailText(TCustomRVData*) {
  return std::to_string(static_cast<int>(Color)) + " " + std::to_string(static_cast<int>(Style)) + " " +
         std::to_string(LineWidth);
}

bool TRVBreakItemInfo::ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool, bool&) {
  while (*P == ' ') ++P;
  if (*P == 0) {
    TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
    Color = clNone;
    Style = rvbsLine;
    LineWidth = st ? st->PixelsToUnits(1) : 1;
    return true;
  }
  int c = 0, s = 0, w = 0;
  if (!ReadRVFInteger(P, c) || !ReadRVFInteger(P, s) || !ReadRVFInteger(P, w)) return false;
  if (s < rvbsLine || s > rvbsDashed) return false;
  Color = static_cast<TColor>(c);
  Style = static_cast<TRVBreakStyle>(s);
  LineWidth = w;
  return true;
}

void TRVBreakItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int, int AParaNo, const TRVUnicodeString&,
                               TRVMultiDrawItemPart*, bool, const TRVScreenAndDevice*) {
  const bool pchars = ARVData && ARVData->GetOptions().Contains(rvoTagsArePChars);
  WriteRVFLine(Stream, std::to_string(ItemKindHorizontalLine) + " " + std::to_string(GetRVFExtraPropertyCount()) + " " +
                           RVFItemParaRef(ARVData, AParaNo, false) + " " + std::to_string(ItemOptionsForRVF(ItemOptions, false)) +
                           " 0 " + EncodeRVFStringField(pchars, Tag) + " " + GetRVFHeaderTailText(ARVData));
  SaveRVFExtraProperties(Stream);
}

void TRVBreakItemInfo::SaveRTF(TStream* Stream, TCustomRVData* ARVData, int, int ALevel, TRVRTFSavingData* SavingData,
                               TRVRTFDocType, bool HiddenParent) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  int ci = 0;
  if (Color != clNone && SavingData && SavingData->Tables) ci = std::max(SavingData->Tables->GetColorIndex(Color), 0);
  TRVAnsiString prefix;
  if (ALevel == 1)
    prefix = "\\intbl\\itap1";
  else if (ALevel > 1)
    prefix = "\\itap" + std::to_string(ALevel);
  const bool hidden = Hidden || HiddenParent;
  TRVAnsiString s;
  if (hidden) s += "{\\v";
  s += "\\pard" + prefix + "\\plain\\fs6\\brdrb\\brdrs\\brdrw" + std::to_string(RVTwipsOf(st, LineWidth)) + "\\brdrcf" +
       std::to_string(ci) + "\\par\\pard" + prefix;
  if (hidden) s += "}";
  WriteRVFAnsi(Stream, s);
}

void TRVBreakItemInfo::FillRTFTables(TCustomRVRTFTables* RTFTables, TRVIntegerList*, TCustomRVData*) {
  if (auto* t = dynamic_cast<TRVRTFTables*>(RTFTables); t && Color != clNone) t->AddColor(Color);
}

void TRVBreakItemInfo::SaveToHTML(TStream* Stream, TCustomRVData* ARVData, int, const TRVUnicodeString&,
                                  const TRVUnicodeString&, const TRVUnicodeString&, int&, TColor,
                                  const TRVSaveOptions& SaveOptions, bool UseCSS, TRVList*, TRVHTMLListCSSList*) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const bool css = UseCSS || SaveOptions.Contains(rvsoForceNonTextCSS);
  TRVAnsiString title;
  if (!Hint.empty()) title = UnicodeToUtf8(MakeHintAttribute(rvsfHTML, Hint)) + " ";
  const TRVAnsiString color = GetHTMLColorStr(ActualColor(st), false);
  if (css) {
    TRVAnsiString d = "height: " + RVCSSSize(st, LineWidth) + ";";
    if (Style != rvbs3d) AppendWithSpaceAnsi(d, "color : " + color + ";");
    if (Style == rvbsLine) d += " background-color : " + color + "; border-width : 0px;";
    if (Style == rvbsRectangle || Style == rvbsDotted || Style == rvbsDashed) {
      const char* bs = Style == rvbsDotted ? "dotted" : Style == rvbsDashed ? "dashed" : "solid";
      AppendWithSpaceAnsi(d, TRVAnsiString("background-color : transparent; border-style : ") + bs + "; border-color : " +
                                 color + ";");
      if (Style == rvbsRectangle) AppendWithSpaceAnsi(d, "border-width : 1px;");
    }
    if (Hidden) AppendWithSpaceAnsi(d, "display: none;");
    WriteRVFAnsi(Stream, "<hr " + title + "style=\"" + d + "\"" + GetHTMLEmptyTagEnd(SaveOptions) + ">");
  } else {
    const TRVAnsiString noshade = Style == rvbs3d ? "" : "noshade ";
    const int px = st ? st->GetAsPixels(LineWidth) : LineWidth;
    WriteRVFAnsi(Stream, "<hr " + noshade + "size=" + GetHTMLIntAttrValue(px, SaveOptions) + " " + title + "color=" +
                             GetHTMLColorStr(ActualColor(st), true) + GetHTMLEmptyTagEnd(SaveOptions) + ">");
  }
}

void TRVBreakItemInfo::SaveOOXML(TStream* Stream, TCustomRVData* ARVData, int, TRVDocXSavingData* SavingData, bool) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const int index = SavingData ? SavingData->BreakIndex : 0;
  TRVAnsiString extra, fill;
  if (Style == rvbs3d) {
    fill = "\"#a0a0a0\"";
  } else {
    extra = " o:hrnoshade=\"t\"";
    fill = Color == clNone ? "\"#000000\"" : GetHTMLColorStr(Color, true);
  }
  WriteRVFAnsi(Stream, "<w:pict><v:rect id=\"hr" + std::to_string(index) + "\" style=\"width:0;height:" +
                           RVCSSSize(st, LineWidth) + "\" o:hralign=\"center\" o:hrstd=\"t\"" + extra +
                           " o:hr=\"t\" fillcolor=" + fill + " stroked=\"f\"/></w:pict>");
  if (SavingData) ++SavingData->BreakIndex;
}

void DrawBevelFrame(TCanvas* Canvas, TRect Rect, TColor TopLeftColor, TRVGraphicInterface* GraphicInterface, int Width,
                    TColor BottomRightColor) {
  if (Width < 1) Width = 1;
  const bool tall = Rect.Bottom - Rect.Top >= Width;
  Canvas->Pen().SetWidth(1);
  Canvas->Pen().SetStyle(psSolid);
  for (int i = 0; i < Width; ++i) {
    Canvas->Pen().SetColor(TopLeftColor);
    GraphicInterface->MoveTo(Canvas, Rect.Left, Rect.Bottom);
    GraphicInterface->LineTo(Canvas, Rect.Left, Rect.Top);
    GraphicInterface->LineTo(Canvas, Rect.Right, Rect.Top);
    if (tall) {
      Canvas->Pen().SetColor(BottomRightColor);
      GraphicInterface->LineTo(Canvas, Rect.Right, Rect.Bottom);
      GraphicInterface->LineTo(Canvas, Rect.Left - 1, Rect.Bottom);
      Rect = TRect(Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1);
    } else {
      Rect = TRect(Rect.Left, Rect.Top + 1, Rect.Right, Rect.Bottom - 1);
    }
  }
}
