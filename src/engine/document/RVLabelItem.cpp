#include "engine/document/RVLabelItem.h"

#include "engine/document/CustomRVData.h"
#include "engine/document/RVDeleteUnusedStyles.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/foundation/RVOOXMLFuncs.h"
#include "engine/foundation/RVRTFFuncs.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/RVStyleDraw.h"

namespace {
const char* const LabelCustomNames[7] = {"protect",    "removeinternalleading", "cursor",        "minwidth",
                                         "alignment",  "removespacebelow",      "usetypometric"};

int ScaleDown(int v) { return static_cast<int>(Round(static_cast<long double>(v) / RefCanvasScaleFactor)); }
}  // namespace

TRVLabelItemInfo::TRVLabelItemInfo(TCustomRVData* ARVData) : TRVRectItemInfo(ARVData) {
  StyleNo = ItemKindLabel;
  FParentRVData = ARVData;
  FCanUseCustomPPI = ARVData && ARVData->GetFlags().Contains(rvflCanUseCustomPPI);
  Spacing = 0;
}

TRVLabelItemInfo::TRVLabelItemInfo(TCustomRVData* ARVData, int TextStyleNo, const TRVUnicodeString& AText)
    : TRVLabelItemInfo(ARVData) {
  VAlign = rvvaBaseline;
  FTextStyleNo = TextStyleNo;
  FText = AText;
}

void TRVLabelItemInfo::SetTextStyleNo(int Value) {
  FTextStyleNo = Value;
  FUpdated = false;
}

void TRVLabelItemInfo::SetText(const TRVUnicodeString& Value) {
  FText = Value;
  FUpdated = false;
}

void TRVLabelItemInfo::SetMinWidth(TRVStyleLength Value) {
  if (Value == FMinWidth) return;
  FMinWidth = Value;
  FUpdated = false;
}

TRVStyle* TRVLabelItemInfo::GetRVStyle() const { return FParentRVData ? FParentRVData->GetRVStyle() : nullptr; }

TRVUnicodeString TRVLabelItemInfo::GetTextForPrinting(TCustomRVData*, TRVDrawLineInfo*, int, int) { return FText; }
TRVUnicodeString TRVLabelItemInfo::GetDisplayText(TCustomRVData*) { return FText; }

void TRVLabelItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVLabelItemInfo*>(Source)) {
    SetTextStyleNo(src->GetTextStyleNo());
    SetText(src->FText);
    ProtectTextStyleNo = src->ProtectTextStyleNo;
    SetMinWidth(src->FMinWidth);
    SetAlignment(src->FAlignment);
    Cursor = src->Cursor;
    RemoveInternalLeading = src->RemoveInternalLeading;
    RemoveSpaceBelow = src->RemoveSpaceBelow;
    UseTypoMetric = src->UseTypoMetric;
  }
  TRVRectItemInfo::Assign(Source);
}

bool TRVLabelItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  switch (Prop) {
    case rvbpDrawingChangesFont:
    case rvbpAlwaysInText: return true;
    case rvbpSwitchToAssStyleNo: return !ProtectTextStyleNo;
    default: return TRVRectItemInfo::GetBoolValue(Prop);
  }
}

bool TRVLabelItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  switch (Prop) {
    case rvbpDisplayActiveState: return ARVStyle && ARVStyle->FieldHighlightType == rvfhCurrent;
    case rvbpJump:
    case rvbpAllowsFocus:
    case rvbpXORFocus:
    case rvbpHotColdJump: return RVTextStyleJumpValue(this, Prop, ARVStyle);
    case rvbpPrintToBMP: return false;
    case rvbpActualPrintSize: return true;
    default: return TRVRectItemInfo::GetBoolValueEx(Prop, ARVStyle);
  }
}

int TRVLabelItemInfo::ResolveTextStyle(TCustomRVData* ARVData) { return RVResolveItemTextStyle(this, ARVData); }

void TRVLabelItemInfo::MeasureLabel(int& AWidth, int& AHeight, const TRVScreenAndDevice* sad, TCanvas* Canvas,
                                    const TRVUnicodeString& Text, TCustomRVData* ARVData, bool ApplyMinWidth,
                                    bool CanUseCustomPPI, int& ADescend, int& AYOffs) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  if (!st) return;
  if (!ARVData) ARVData = FParentRVData;
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  // Only a reference canvas with enlarged fonts is asked for here; without one the label measures
  // on the canvas it is given, which is the device's when printing.
  TCanvas* c = ARVData ? ARVData->GetFormatCanvasEx(nullptr) : nullptr;
  const bool formatCanvas = c != nullptr;
  TCanvas* own = nullptr;
  if (!c) c = Canvas;
  if (!c) c = own = gi->CreateScreenCompatibleCanvas();
  try {
    st->ApplyStyle(c, ResolveTextStyle(ARVData), rvbdUnspecified, CanUseCustomPPI, false, nullptr, false, formatCanvas,
                   ARVData && ARVData->UseVerticalFonts(), sad);
    TEXTMETRICW tm{};
    gi->GetTextMetrics(c, tm);
    ADescend = tm.tmDescent;
    AHeight = tm.tmHeight;
    AYOffs = 0;
    if ((RemoveInternalLeading || RemoveSpaceBelow) && UseTypoMetric) {
      if (TRVOutlineTextMetrics otm = AllocOutlineTextMetrics(c, gi)) {
        if (RemoveInternalLeading) {
          const int d = tm.tmAscent - otm->otmAscent;
          AHeight -= d;
          AYOffs = -d;
        }
        if (RemoveSpaceBelow) {
          const int b = tm.tmDescent + otm->otmDescent;
          AHeight -= b;
          ADescend -= b;
        }
      }
    }
    if (RemoveInternalLeading && !UseTypoMetric) {
      AHeight -= tm.tmInternalLeading;
      AYOffs = -tm.tmInternalLeading;
    }
    AWidth = gi->TextWidth(c, Text, false, false);
    if (formatCanvas) {
      AHeight = ScaleDown(AHeight);
      AWidth = ScaleDown(AWidth);
      AYOffs = ScaleDown(AYOffs);
      ADescend = ScaleDown(ADescend);
    }
    if (ApplyMinWidth && FMinWidth > 0) AWidth = std::max(AWidth, st->GetAsDevicePixelsX(FMinWidth, sad));
  } catch (...) {
    if (own) gi->DestroyCompatibleCanvas(own);
    throw;
  }
  if (own) gi->DestroyCompatibleCanvas(own);
}

void TRVLabelItemInfo::UpdateMe() {
  if (FUpdated || !GetRVStyle()) return;
  MeasureLabel(Width, Height, nullptr, nullptr, FText, FParentRVData, true, FCanUseCustomPPI, Descend, YOffs);
  FUpdated = true;
}

int TRVLabelItemInfo::GetWidth(TRVStyle* ARVStyle) {
  UpdateMe();
  return Width + 2 * (ARVStyle ? ARVStyle->GetAsPixels(GetBorderWidth()) : GetBorderWidth());
}

int TRVLabelItemInfo::GetHeight(TRVStyle* ARVStyle) {
  UpdateMe();
  return Height + 2 * (ARVStyle ? ARVStyle->GetAsPixels(GetBorderHeight()) : GetBorderHeight());
}

int TRVLabelItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas*, TCustomRVData*) {
  UpdateMe();
  TRVStyle* st = GetRVStyle();
  int w = sad ? ScreenToDeviceX(Width, *sad) : Width;
  if (st) {
    if (FMinWidth > 0) w = std::max(w, st->GetAsDevicePixelsX(FMinWidth, sad));
    w += 2 * st->GetAsDevicePixelsX(GetBorderWidth(), sad);
  }
  return w;
}

void TRVLabelItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* ARVData,
                                        const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                                        const TRVDocWidthChangeStates& State) {
  TRVRectItemInfo::OnDocWidthChange(DocWidth, dli, Canvas, ARVData, sad, HShift, Desc, State);
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  if (!st || !dli) return;
  const bool screen = (!State.Contains(rvdwcsUseFormatCanvas) && !sad) ||
                      (sad && sad->ppixScreen == sad->ppixDevice && sad->ppiyScreen == sad->ppiyDevice);
  if (screen) {
    UpdateMe();
    dli->Width = Width + 2 * st->GetAsPixels(GetBorderWidth());
    dli->Height = Height + 2 * st->GetAsPixels(GetBorderHeight());
    Desc = st->GetAsPixels(GetBorderHeight()) + Descend;
    return;
  }
  int w = 0, h = 0, d = 0, y = 0;
  MeasureLabel(w, h, sad, Canvas, GetDisplayText(ARVData), ARVData, false,
               ARVData->GetFlags().Contains(rvflCanUseCustomPPI), d, y);
  if (FMinWidth > 0) w = std::max(w, st->GetAsDevicePixelsX(FMinWidth, sad));
  dli->Width = w + 2 * st->GetAsDevicePixelsX(GetBorderWidth(), sad);
  dli->Height = h + 2 * st->GetAsDevicePixelsY(GetBorderHeight(), sad);
  Desc = d + st->GetAsDevicePixelsY(GetBorderHeight(), sad);
}

int TRVLabelItemInfo::GetFinalPrintingWidth(TCanvas* Canvas, TRVDrawLineInfo* dli, TCustomRVData* ARVData, int PageNo,
                                            int PageCount, const TRVScreenAndDevice* PSaD) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  if (!st) return TRVRectItemInfo::GetFinalPrintingWidth(Canvas, dli, ARVData, PageNo, PageCount, PSaD);
  int w = 0, h = 0, d = 0, y = 0;
  MeasureLabel(w, h, PSaD, Canvas, GetTextForPrinting(ARVData, dli, PageNo, PageCount), ARVData, true,
               ARVData->GetFlags().Contains(rvflCanUseCustomPPI), d, y);
  return w + 2 * st->GetAsDevicePixelsX(GetBorderWidth(), PSaD);
}

void TRVLabelItemInfo::DrawLabel(const TRect& Rect, TCanvas* Canvas, const TRVScreenAndDevice* sad, int BorderV,
                                 int BorderH, bool ForMetafile, TCustomRVData* ARVData, const TRVUnicodeString& Text,
                                 TRVColorMode ColorMode, TRVDrawLineInfo* dli, const TRVItemDrawStates& State) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  if (!st) return;
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  const bool clip = RemoveInternalLeading || RemoveSpaceBelow;
  HRGN rgn = nullptr;
  bool rgnValid = false;
  if (clip) gi->IntersectClipRectEx(Canvas, Rect.Left - BorderH, Rect.Top - BorderV, Rect.Right + BorderH,
                                    Rect.Bottom + BorderV, rgn, rgnValid);
  const int s = ResolveTextStyle(ARVData);
  TFontInfo* fi = st->TextStyles()->Items(s);
  st->ApplyStyle(Canvas, s, rvbdUnspecified, State.Contains(rvidsCanUseCustomPPI), false, nullptr, false, false,
                 ARVData && ARVData->UseVerticalFonts(), sad);
  TRVTextDrawStates ts;
  if (State.Contains(rvidsSelected)) ts.Include(rvtsSelected);
  if (State.Contains(rvidsHover)) ts.Include(rvtsHover);
  if (State.Contains(rvidsControlFocused)) ts.Include(rvtsControlFocused);
  st->ApplyStyleColor(Canvas, s, ts, State.Contains(rvidsPrint), ColorMode);
  if (!State.Contains(rvidsSelected)) {
    const bool highlight =
        st->FieldHighlightType == rvfhAlways ||
        (st->FieldHighlightType == rvfhCurrent && State.Contains(rvidsCurrent) &&
         (State.Contains(rvidsControlFocused) || (ARVData && ARVData->GetForceFieldHighlight())));
    if (highlight) {
      Canvas->Brush().SetStyle(bsSolid);
      Canvas->Brush().SetColor(st->FieldHighlightColor);
    }
  }
  if (Canvas->Brush().GetStyle() != bsClear) gi->FillRect(Canvas, Rect);
  if (Hidden) {
    TFontStyles fs = Canvas->Font().GetStyle();
    fs.Exclude(fsUnderline);
    Canvas->Font().SetStyle(fs);
  }
  const int y = Rect.Top + (dli ? dli->BaseLine - dli->Top : Height - Descend + YOffs);
  const UINT oldAlign = gi->GetTextAlign(Canvas);
  gi->SetTextAlign(Canvas, TA_LEFT | TA_BASELINE);
  Canvas->Brush().SetStyle(bsClear);
  const int len = static_cast<int>(Text.size());
  const int tw = gi->TextWidth(Canvas, Text, false, false);
  const int rw = Rect.Right - Rect.Left;
  if (FMinWidth > 0 || rw == tw || len < 2) {
    int x = Rect.Left;
    if (FAlignment == taRightJustify)
      x = Rect.Right - tw;
    else if (FAlignment == taCenter)
      x = (Rect.Left + Rect.Right - tw) / 2;
    gi->TextOut(Canvas, x, y, Text.data(), len, ForMetafile);
  } else {
    TRVBiDiMode bidi = fi->BiDiMode;
    if (bidi == rvbdUnspecified && ARVData) bidi = st->ParaStyles()->Items(ParaNo)->BiDiMode;
    auto dx = gi->GetGlyphDX(Canvas, Text.data(), len, 0, 0, bidi == rvbdRightToLeft, false, true, false, -1, -1);
    if (dx && static_cast<int>(dx->PDX.size()) >= len) {
      TRVGraphicInterface::DistributeSpacingToDX(Text.data(), len, dx->PDX.data(), rw - tw, -1, -1,
                                                 dx->POrder.empty() ? nullptr : dx->POrder.data());
      gi->TextOutWithDX(Canvas, Rect.Left, y, Text.data(), len, ForMetafile, dx.get());
    } else {
      gi->TextOut(Canvas, Rect.Left, y, Text.data(), len, ForMetafile);
    }
  }
  gi->SetTextAlign(Canvas, oldAlign);
  if (Hidden) RVDrawDottedLine(Canvas, Canvas->Font().GetColor(), Rect.Left, Rect.Right, Rect.Bottom - 1, gi);
  Canvas->Brush().SetStyle(bsClear);
  if (clip) gi->RestoreClipRgn(Canvas, rgn, rgnValid);
}

void TRVLabelItemInfo::Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
                             TCustomRVData* ARVData, bool ForMetafile) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  if (!st || !dli) return;
  UpdateMe();
  TRVGraphicInterface* gi = st->GetGraphicInterface();
  const int oh = st->GetAsPixels(OuterHSpacing), ov = st->GetAsPixels(OuterVSpacing);
  const int bw = st->GetAsPixels(GetBorderWidth()), bh = st->GetAsPixels(GetBorderHeight());
  if (BorderWidth > 0 && BorderColor != clNone) {
    Canvas->Pen().SetWidth(bw);
    Canvas->Pen().SetColor(BorderColor);
    Canvas->Pen().SetStyle(psInsideFrame);
    Canvas->Brush().SetStyle(bsClear);
    gi->Rectangle(Canvas, X + oh, Y + ov, X + dli->GetObjectWidth() - oh, Y + dli->GetObjectHeight() - ov);
    Canvas->Pen().SetStyle(psSolid);
  }
  DrawLabel(TRect(X + bw, Y + bh, X + bw + Width, Y + bh + Height), Canvas, nullptr, bh, bw, ForMetafile, ARVData,
            FText, RVScreenColorMode(ARVData), dli, State);
}

void TRVLabelItemInfo::Print(TCanvas* Canvas, int X, int Y, int, bool, bool, bool, const TRVScreenAndDevice& sad,
                             TRVMultiDrawItemPart*, TRVColorMode ColorMode, TCustomRVData* ARVData,
                             TRVDrawLineInfo* dli, int PageNo, bool ForMetafile) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  if (!st || !dli) return;
  UpdateMe();
  const int bw = st->GetAsDevicePixelsX(GetBorderWidth(), &sad), bh = st->GetAsDevicePixelsY(GetBorderHeight(), &sad);
  const TRect r(X + bw, Y + ScreenToDeviceY(YOffs, sad) + bh, X + dli->Width - bw, Y + dli->Height - bh);
  TRVItemDrawStates state{rvidsPrint};
  if (ARVData && ARVData->GetFlags().Contains(rvflCanUseCustomPPI)) state.Include(rvidsCanUseCustomPPI);
  int dispPageNo = PageNo, pageCount = 0;
  if (ARVData) ARVData->GetPrintedPageNumbers(PageNo, dispPageNo, pageCount);
  DrawLabel(r, Canvas, &sad, bh, bw, ForMetafile, ARVData, GetTextForPrinting(ARVData, dli, dispPageNo, pageCount),
            ColorMode, dli, state);
}

void TRVLabelItemInfo::Inserted(TCustomRVData* ARVData, int ItemNo) {
  if (ARVData) {
    FParentRVData = ARVData;
    FCanUseCustomPPI = ARVData->GetFlags().Contains(rvflCanUseCustomPPI);
  }
  TRVRectItemInfo::Inserted(ARVData, ItemNo);
}

void TRVLabelItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) {
  TRVRectItemInfo::MovingToUndoList(ItemNo, ARVData, AContainerUndoItem);
  // The editor's undo records hand over the document that owns the undo list.
  if (auto* owner = dynamic_cast<TCustomRVData*>(AContainerUndoItem)) FParentRVData = owner;
}

void TRVLabelItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) {
  TRVRectItemInfo::MovingFromUndoList(ItemNo, ARVData);
  FParentRVData = ARVData;
}

void TRVLabelItemInfo::AfterLoading(TRVLoadFormat FileFormat) {
  TRVRectItemInfo::AfterLoading(FileFormat);
  FUpdated = false;
}

void TRVLabelItemInfo::Execute(TCustomRVData*) {}

bool TRVLabelItemInfo::MouseMove(const TShiftState& Shift, int X, int Y, int ItemNo, TCustomRVData* ARVData) {
  bool r = TRVRectItemInfo::MouseMove(Shift, X, Y, ItemNo, ARVData);
  if (Cursor != crDefault && ARVData) {
    ARVData->SetCursor(Cursor);
    r = true;
  }
  return r;
}

void TRVLabelItemInfo::ApplyStyleConversion(TCustomRVData* ARVData, int ItemNo, int UserData, int, bool) {
  if (ProtectTextStyleNo || !ARVData) return;
  int s = ResolveTextStyle(ARVData);
  ARVData->DoCurrentTextStyleConversion(s, ParaNo, ItemNo, UserData, false);
  SetTextStyleNo(s);
}

void TRVLabelItemInfo::ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) {
  TRVRectItemInfo::ConvertToDifferentUnits(NewUnits, ARVStyle, Recursive);
  if (ARVStyle) SetMinWidth(ARVStyle->GetAsDifferentUnits(FMinWidth, NewUnits));
}

bool TRVLabelItemInfo::SetExtraIntPropertyEx(int Prop, int Value) {
  switch (Prop) {
    case 200: ProtectTextStyleNo = Value != 0; return true;
    case 201: RemoveInternalLeading = Value != 0; FUpdated = false; return true;
    case 202: Cursor = static_cast<TCursor>(Value); return true;
    case 203: SetMinWidth(Value); return true;
    case 204:
      if (Value < taLeftJustify || Value > taCenter) return false;
      SetAlignment(static_cast<TAlignment>(Value));
      return true;
    case 205: RemoveSpaceBelow = Value != 0; FUpdated = false; return true;
    case 206: UseTypoMetric = Value != 0; FUpdated = false; return true;
    default: return TRVRectItemInfo::SetExtraIntPropertyEx(Prop, Value);
  }
}

bool TRVLabelItemInfo::GetExtraIntPropertyEx(int Prop, int& Value) {
  switch (Prop) {
    case 200: Value = ProtectTextStyleNo; return true;
    case 201: Value = RemoveInternalLeading; return true;
    case 202: Value = Cursor; return true;
    case 203: Value = FMinWidth; return true;
    case 204: Value = FAlignment; return true;
    case 205: Value = RemoveSpaceBelow; return true;
    case 206: Value = UseTypoMetric; return true;
    default: return TRVRectItemInfo::GetExtraIntPropertyEx(Prop, Value);
  }
}

bool TRVLabelItemInfo::SetExtraStrPropertyEx(int Prop, const TRVUnicodeString& Value) {
  if (Prop == 200) {
    SetText(Value);
    return true;
  }
  return TRVRectItemInfo::SetExtraStrPropertyEx(Prop, Value);
}

bool TRVLabelItemInfo::GetExtraStrPropertyEx(int Prop, TRVUnicodeString& Value) {
  if (Prop == 200) {
    Value = FText;
    return true;
  }
  return TRVRectItemInfo::GetExtraStrPropertyEx(Prop, Value);
}

TRVReformatType TRVLabelItemInfo::GetExtraIntPropertyReformat(int Prop) {
  switch (Prop) {
    case 200:
    case 202: return rvrfNone;
    case 204: return rvrfRepaint;
    case 201:
    case 203:
    case 205:
    case 206: return rvrfNormal;
    default: return TRVRectItemInfo::GetExtraIntPropertyReformat(Prop);
  }
}

TRVReformatType TRVLabelItemInfo::GetExtraStrPropertyReformat(int Prop) {
  return Prop == 200 ? rvrfNormal : TRVRectItemInfo::GetExtraStrPropertyReformat(Prop);
}

bool TRVLabelItemInfo::SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) {
  for (int i = 0; i < 7; ++i) {
    if (PropName != LabelCustomNames[i]) continue;
    int v = 0;
    if (!TryStrToInt(Value, v)) return false;
    return SetExtraIntPropertyEx(200 + i, v);
  }
  return TRVRectItemInfo::SetExtraCustomProperty(PropName, Value);
}

int TRVLabelItemInfo::GetRVFExtraPropertyCount() {
  return TRVRectItemInfo::GetRVFExtraPropertyCount() + RemoveInternalLeading + RemoveSpaceBelow + !UseTypoMetric;
}

void TRVLabelItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  TRVRectItemInfo::SaveRVFExtraProperties(Stream);
  if (RemoveInternalLeading) WriteRVFExtraCustomIntProperty(Stream, "removeinternalleading", 1);
  if (RemoveSpaceBelow) WriteRVFExtraCustomIntProperty(Stream, "removespacebelow", 1);
  if (!UseTypoMetric) WriteRVFExtraCustomIntProperty(Stream, "usetypometric", 0);
}

void TRVLabelItemInfo::MarkStylesInUse(TRVDeleteUnusedStylesData* Data) {
  TRVRectItemInfo::MarkStylesInUse(Data);
  Data->MarkTextStyle(FTextStyleNo);
}

void TRVLabelItemInfo::UpdateStyles(TRVDeleteUnusedStylesData* Data) {
  TRVRectItemInfo::UpdateStyles(Data);
  FTextStyleNo = Data->NewTextStyle(FTextStyleNo);
}

TRVUnicodeString TRVLabelItemInfo::AsText(TCustomRVData*, int, const TRVUnicodeString&, TObject*) { return FText; }

void TRVLabelItemInfo::SaveFormattingToStream(TStream* Stream) {
  const std::int32_t v[5] = {-1, Width, Height, Descend, YOffs};
  Stream->WriteBuffer(v, sizeof v);
  const std::uint8_t u = FUpdated;
  Stream->WriteBuffer(&u, 1);
}

void TRVLabelItemInfo::LoadFormattingFromStream(TStream* Stream) {
  std::int32_t v[4];
  Stream->ReadBuffer(v, sizeof v);
  Width = v[0];
  Height = v[1];
  Descend = v[2];
  YOffs = v[3];
  std::uint8_t u = 0;
  Stream->ReadBuffer(&u, 1);
  FUpdated = u != 0;
}

void TRVLabelItemInfo::WriteLabelPropertyLines(TStream* Stream, TCustomRVData* ARVData) {
  WriteRVFLine(Stream, RVFTextStyleRef(ARVData, FTextStyleNo));
  WriteRVFLine(Stream, std::to_string(FMinWidth));
  WriteRVFLine(Stream, std::to_string(static_cast<int>(FAlignment)));
  WriteRVFLine(Stream, ProtectTextStyleNo ? "protect" : "no-protect");
}

bool TRVLabelItemInfo::ReadLabelPropertyLine(int Index, const TRVRawByteString& s, TCustomRVData* ARVData,
                                             bool UTF8Strings, bool& AssStyleNameUsed) {
  int v = 0;
  switch (Index) {
    case 0: {
      const char* p = s.c_str();
      int style = 0;
      if (!ReadRVFTextStyleRef(ARVData ? ARVData->GetRVStyle() : nullptr, p, style, AssStyleNameUsed, UTF8Strings))
        return false;
      SetTextStyleNo(style);
      return true;
    }
    case 1:
      if (!TryStrToInt(AsciiToUnicode(s), v)) return false;
      SetMinWidth(v);
      return true;
    case 2:
      if (!TryStrToInt(AsciiToUnicode(s), v)) return false;
      if (v >= taLeftJustify && v <= taCenter) SetAlignment(static_cast<TAlignment>(v));
      return true;
    case 3: ProtectTextStyleNo = s == "protect"; return true;
    default: return true;
  }
}

void TRVLabelItemInfo::WriteLabelRVFHeader(TStream* Stream, TCustomRVData* ARVData, int AParaNo, bool ForceSameAsPrev,
                                           int LineCount) {
  const bool pchars = ARVData && ARVData->GetOptions().Contains(rvoTagsArePChars);
  WriteRVFLine(Stream, std::to_string(StyleNo) + " " + std::to_string(LineCount) + " " +
                           RVFItemParaRef(ARVData, AParaNo, ForceSameAsPrev) + " " +
                           std::to_string(ItemOptionsForRVF(ItemOptions, ForceSameAsPrev)) + " 0 " +
                           EncodeRVFStringField(pchars, Tag) + " " + std::to_string(static_cast<int>(VAlign)));
}

void TRVLabelItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int, int AParaNo, const TRVUnicodeString&,
                               TRVMultiDrawItemPart*, bool ForceSameAsPrev, const TRVScreenAndDevice*) {
  WriteLabelRVFHeader(Stream, ARVData, AParaNo, ForceSameAsPrev, 6 + GetRVFExtraPropertyCount());
  WriteRVFLine(Stream, EncodeRVFString(FText));
  WriteLabelPropertyLines(Stream, ARVData);
  WriteRVFLine(Stream, EncodeRVFString(ItemText));
  SaveRVFExtraProperties(Stream);
}

bool TRVLabelItemInfo::ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo,
                                   int LineCount, TRVUnicodeString& Name, TRVFReadMode& ReadMode,
                                   TRVFReadState& ReadState, bool UTF8Strings, bool& AssStyleNameUsed) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const TRVCodePage cp = st ? st->DefCodePage : 0;
  switch (LineNo) {
    case 0: SetText(DecodeRVFString(s, UTF8Strings, cp)); return true;
    case 1:
    case 2:
    case 3:
    case 4: return ReadLabelPropertyLine(LineNo - 1, s, ARVData, UTF8Strings, AssStyleNameUsed);
    case 5:
      Name = DecodeRVFString(s, UTF8Strings, cp);
      FParentRVData = ARVData;
      return true;
    default: {
      // The free-named label properties must be numbers; other lines are extra properties.
      const auto eq = s.find('=');
      if (eq != TRVRawByteString::npos) {
        const TRVRawByteString key = s.substr(0, eq);
        for (const char* n : LabelCustomNames)
          if (key == n) return SetExtraCustomProperty(key, AsciiToUnicode(s.substr(eq + 1)));
      }
      return TRVRectItemInfo::ReadRVFLine(s, ARVData, ReadType, LineNo, LineCount, Name, ReadMode, ReadState,
                                          UTF8Strings, AssStyleNameUsed);
    }
  }
}

void TRVLabelItemInfo::SaveRTF(TStream* Stream, TCustomRVData* ARVData, int, int, TRVRTFSavingData* SavingData,
                               TRVRTFDocType, bool HiddenParent) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  const bool hidden = Hidden || HiddenParent;
  const bool border = BorderWidth > 0;
  TRVAnsiString s;
  if (hidden) s += "{\\v";
  if (border) {
    const int ci = SavingData && SavingData->Tables ? std::max(SavingData->Tables->GetColorIndex(BorderColor), 0) : 0;
    s += "{\\chbrdr\\brdrs\\brdrw" + std::to_string(RVTwipsOf(st, BorderWidth)) + "\\brsp" +
         std::to_string(RVTwipsOf(st, Spacing)) + "\\brdrcf" + std::to_string(ci) + " ";
  }
  TRVCodePage cp = st ? st->DefCodePage : 0;
  if (st && ARVData) {
    const int ts = ResolveTextStyle(ARVData);
    const TFontCharset cs = st->TextStyles()->Items(ts)->Charset;
    if (cs != DEFAULT_CHARSET) cp = CharsetToCodePage(cs);
  }
  s += RTFEncodeTextEx(FText, cp, false, false, false, false);
  if (border) s += "}";
  if (hidden) s += "}";
  WriteRVFAnsi(Stream, s);
}

void TRVLabelItemInfo::FillRTFTables(TCustomRVRTFTables* RTFTables, TRVIntegerList*, TCustomRVData*) {
  if (auto* t = dynamic_cast<TRVRTFTables*>(RTFTables); t && BorderWidth > 0) t->AddColor(BorderColor);
}

void TRVLabelItemInfo::SaveOOXML(TStream* Stream, TCustomRVData* ARVData, int, TRVDocXSavingData*, bool) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  TFontInfo* fi = st && ARVData ? st->TextStyles()->Items(ResolveTextStyle(ARVData)) : nullptr;
  if (fi && fi->IsSymbolCharset()) {
    TRVAnsiString out;
    for (char16_t c : FText) {
      out += "<w:sym w:font=\"" + OOXMLEncodeText(fi->FontName) + "\" w:char=\"" +
             UnicodeToUtf8(IntToHex(static_cast<int>(c), 4)) + "\"/>";
    }
    WriteRVFAnsi(Stream, out);
  } else {
    WriteRVFAnsi(Stream, "<w:t>" + OOXMLEncodeText(FText) + "</w:t>");
  }
}

void TRVLabelItemInfo::SaveToHTML(TStream* Stream, TCustomRVData* ARVData, int, const TRVUnicodeString&,
                                  const TRVUnicodeString&, const TRVUnicodeString&, int&, TColor,
                                  const TRVSaveOptions& SaveOptions, bool UseCSS, TRVList*, TRVHTMLListCSSList*) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : GetRVStyle();
  TRVAnsiString open, close;
  if (UseCSS && (VAlign == rvvaLeft || VAlign == rvvaRight)) {
    open += VAlign == rvvaLeft ? "<div style=\"float: left;\">" : "<div style=\"float: right;\">";
    close = "</div>" + close;
  }
  if (UseCSS && BorderWidth > 0) {
    TRVAnsiString css;
    AppendCSSProperties(st, false, css, false);
    open += "<span style=\"display: inline-block; " + css + "\">";
    close = "</span>" + close;
  }
  TRVAnsiString text;
  const TRVAnsiString enc = SaveOptions.Contains(rvsoUTF8) ? UnicodeToUtf8(FText)
                                                           : UnicodeToAnsiCP(st ? st->DefCodePage : 0, FText);
  HTMLEscapeAnsiText(enc, false, false, text, true);
  WriteRVFAnsi(Stream, open + text + close);
}
